#pragma once

#include <string>
#include <vector>

#include <QDialog>

#include "shell/ui/ag_dialogs.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QSplitter;

namespace padloom::ui {

class BoardView;
class Shell;

/// "Output viewer": the fab files of a board (RS274X layers and Excellon drills) stacked in
/// colour as the board house will read them. The layer list shows each file with its colour
/// and a box to hide it (topmost layer first; double-click a layer for another colour); the
/// problems met while reading are listed beneath; the cursor position shows in mils and mm.
class OutputViewer : public QDialog {
    Q_OBJECT
public:
    OutputViewer(Shell& shell, QWidget* parent);

    /// Reads the files and shows them; a file that cannot be read is listed as a problem.
    void openFiles(const std::vector<std::string>& paths);
    /// Asks for files with the open dialog and shows them; false when the user cancelled.
    bool chooseFiles();

    BoardView* boardView() const { return m_view; }
    QListWidget* layerList() const { return m_layerList; }
    QPlainTextEdit* problemList() const { return m_problems; }
    QLabel* cursorLabel() const { return m_cursor; }

    void onOpenClicked();
    void onLayerChanged(QListWidgetItem* item);
    void onLayerDoubleClicked(QListWidgetItem* item);
    void onCursorMoved(double x, double y);

private:
    void fillLayerList();

    Shell& m_shell;
    FileDialog m_openDialog;
    BoardView* m_view;
    QListWidget* m_layerList;
    QPlainTextEdit* m_problems;
    QSplitter* m_split;  // the layer and problem lists beside the board
    QLabel* m_cursor;
    QPushButton* m_openButton;
    QPushButton* m_fitButton;
    QPushButton* m_zoomInButton;
    QPushButton* m_zoomOutButton;
    bool m_filling = false;  // the list is being filled: its changes are not the user's
};

}  // namespace padloom::ui
