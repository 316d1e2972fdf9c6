#pragma once

#include "common/host.h"
#include "shell/ui/tool_window.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace padloom::ui {

/// "Select Matching Package from Library": asks which library component a netlist footprint
/// takes. Results: 1 OK (or Enter in the combo box), 2 Stop (or the close box), 3 Skip.
class PackageChoiceDialog : public ToolWindow {
    Q_OBJECT
public:
    PackageChoiceDialog(Shell& shell, QWidget* parent);

    static constexpr int kOk = 1;
    static constexpr int kStop = 2;
    static constexpr int kSkip = 3;

    /// Asks the question modally: the question in the label, the choices in the box (kept
    /// from one question to the next), the box showing `question.text` first. The answer
    /// carries what the box held when the dialog closed.
    common::PackageAnswer ask(const common::PackageQuestion& question);

    void reject() override;

private:
    QLabel* m_promptLabel;
    QComboBox* m_packageCombo;
    QPushButton* m_okButton;
    QPushButton* m_stopButton;
    QPushButton* m_skipButton;
};

}  // namespace padloom::ui
