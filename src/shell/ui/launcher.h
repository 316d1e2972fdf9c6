#pragma once

#include <QMainWindow>

class QAction;

namespace padloom::ui {

class Shell;

/// The launcher: twelve buttons, one per tool, and the File and Help menus. It is the main
/// window; closing it ends the program.
class Launcher : public QMainWindow {
    Q_OBJECT
public:
    explicit Launcher(Shell& shell);

    void onAutotraxPlotClicked();
    void onPcbToAptClicked();
    void onMatToAptClicked();
    void onRs274xClicked();
    void onDrcClicked();
    void onPlacementClicked();
    void onLibraryClicked();
    void onXlnClicked();
    void onTangoPlotClicked();
    void onDxfClicked();
    void onTextResizeClicked();
    void onQfnClicked();
    void onOpenOutputsTriggered();
    void onCheckNetlistTriggered();
    void onExitTriggered();
    void onAboutTriggered();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void restoreSettings();
    void saveSettings();

    Shell& m_shell;
    QAction* m_openOutputsAction;
    QAction* m_checkNetlistAction;
    QAction* m_exitAction;
    QAction* m_helpAction;
    QAction* m_aboutAction;
    QWidget* m_buttonPanel;  // the twelve buttons, centred in the window
};

}  // namespace padloom::ui
