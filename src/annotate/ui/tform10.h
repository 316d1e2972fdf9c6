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
class TForm10 : public ToolWindow {
    Q_OBJECT
public:
    TForm10(Shell& shell, QWidget* parent);

    QPushButton* Button1;
    QPlainTextEdit* Memo1;
    QFrame* Panel1;
    QLabel* Label1;
    QLineEdit* Edit1;
    QLabel* Label2;
    QLineEdit* Edit2;
    QPushButton* Button2;

    /// 0: DXF export; 1: component text resize.
    int mode = 0;

    void Button1Click();

protected:
    void FormShow() override;
};

}  // namespace padloom::ui
