#pragma once

#include "shell/ui/tool_window.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace padloom::ui {

/// "PCB --> DXF": exports a board as a DXF drawing (mode 0) or, in mode 1, sets the size of
/// every component designator text. The launcher sets the mode before showing the window.
class DxfWindow : public ToolWindow {
    Q_OBJECT
public:
    DxfWindow(Shell& shell, QWidget* parent);

    static constexpr int kDxfExport = 0;
    static constexpr int kTextResize = 1;

    /// kDxfExport or kTextResize.
    int mode = kDxfExport;

    /// "Make DXF" and "Change Size": runs the tool of the current mode.
    void onRunClicked();
    /// The help of the current mode's tool.
    int helpContext() const override;

protected:
    void onShown() override;

private:
    /// The message list as a new run of `mode`'s tool starts it: the export's instructions,
    /// or the resize tool's.
    void startMessageList();

    int m_shownMode = -1;  // the mode the window was last shown in
    QPushButton* m_makeDxfButton;
    QPlainTextEdit* m_messageList;
    QFrame* m_resizePanel;
    QLabel* m_stringSizeLabel;
    QLineEdit* m_stringSizeEdit;
    QLabel* m_lineWidthLabel;
    QLineEdit* m_lineWidthEdit;
    QPushButton* m_changeSizeButton;
};

}  // namespace padloom::ui
