#pragma once

#include "shell/ui/tool_window.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace padloom::ui {

/// "Select Matching Package from Library": asks which library component a netlist footprint
/// takes. Results: 1 OK (or Enter in the combo box), 2 Stop (or the close box), 3 Skip.
class TForm22 : public ToolWindow {
    Q_OBJECT
public:
    TForm22(Shell& shell, QWidget* parent);

    static constexpr int kOk = 1;
    static constexpr int kStop = 2;
    static constexpr int kSkip = 3;

    QLabel* Label1;
    QComboBox* ComboBox1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void ComboBox1KeyPress();
    void reject() override;
};

}  // namespace padloom::ui
