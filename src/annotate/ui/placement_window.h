#pragma once

#include "annotate/placement.h"
#include "shell/ui/ag_dialogs.h"
#include "shell/ui/tool_window.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QMenuBar;
class QAction;
class QProgressBar;
class QPushButton;

namespace padloom::ui {

/// The Gerber number format last set in the RS274D to RS274X window: digits, precision, mode
/// (0 absolute, 1 incremental) and zero suppression (0 leading, 1 trailing, 2 none).
struct GerberFormat {
    int digits = 2;
    int precision = 4;
    int mode = 0;
    int suppression = 0;
};

/// The X/Y placement window. It also holds what other tools share: the open dialog (so every
/// tool opens where the last one left off), the "Open notepad" choice, and the four format
/// settings mirrored from the RS274D to RS274X window.
class PlacementWindow : public ToolWindow {
    Q_OBJECT
public:
    PlacementWindow(Shell& shell, QWidget* parent);

    /// The open dialog every tool shares.
    FileDialog& openDialog() { return m_openDialog; }
    /// "Open notepad": whether tools show the text files they write.
    bool openNotepad() const;
    /// The X/Y file's options as the controls set them (the fab package uses them too).
    annotate::PlacementOptions placementOptions() const;

    /// The format settings: kept in the settings only, used by no tool of this window.
    GerberFormat gerberFormat;

    void onCreateClicked();
    void onOpenTriggered();
    /// ".MAT --> .APT", run from this window's menu or straight from the launcher. Returns the
    /// aperture file written, or an empty text when none was.
    QString runMatToApt();

protected:
    void onShown() override;
    void onClosedAfterShown() override;

private:
    void restoreSettings();
    void saveSettings();

    QMenuBar* m_menuBar;
    QAction* m_openAction;
    QAction* m_matToAptAction;
    QPushButton* m_createButton;
    QLabel* m_statusLabel;
    QLabel* m_widthLabel;   // "x ="
    QLabel* m_heightLabel;  // "y ="
    QProgressBar* m_progressBar;
    QComboBox* m_topLegendCombo;
    QComboBox* m_bottomLegendCombo;
    QComboBox* m_topFillCombo;
    QComboBox* m_bottomFillCombo;
    QCheckBox* m_ignoreRobberPadsBox;
    QCheckBox* m_commaDelimitedBox;
    QCheckBox* m_openNotepadBox;
    QCheckBox* m_sortResultsBox;
    FileDialog m_openDialog;
};

}  // namespace padloom::ui
