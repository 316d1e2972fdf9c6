#pragma once

#include <vector>

#include "shell/ui/ag_dialogs.h"
#include "shell/ui/tool_window.h"

class QCheckBox;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;

namespace padloom::ui {

class SpinEdit;

/// "TANGO -> Generate XGerbers": plots a TANGO board into RS274X layer files, the NC drill
/// file and the drill drawing. Layers a TANGO board cannot have are shown disabled.
class TForm9 : public ToolWindow {
    Q_OBJECT
public:
    TForm9(Shell& shell, QWidget* parent);

    QPushButton* Button1;
    QPlainTextEdit* Memo1;
    SpinEdit* SpinEdit1;   // "Solder mask enlargement"
    SpinEdit* SpinEdit2;   // "Paste mask enlarement"
    SpinEdit* SpinEdit3;   // "Drill guilde size"
    QGroupBox* GroupBox1;  // "Layers to plot"
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox3;
    QCheckBox* CheckBox4;
    QCheckBox* CheckBox5;
    QCheckBox* CheckBox6;
    QCheckBox* CheckBox7;
    QCheckBox* CheckBox8;
    QCheckBox* CheckBox9;
    QCheckBox* CheckBox10;
    QCheckBox* CheckBox11;
    QCheckBox* CheckBox12;
    QCheckBox* CheckBox13;
    QCheckBox* CheckBox14;
    QCheckBox* CheckBox18;
    QCheckBox* CheckBox19;
    QCheckBox* CheckBox24;
    QCheckBox* CheckBox17;
    QCheckBox* CheckBox21;
    QGroupBox* GroupBox2;  // "Include"
    QCheckBox* CheckBox15;
    QCheckBox* CheckBox16;
    QGroupBox* GroupBox4;  // "NC Drill"
    QCheckBox* CheckBox25;
    QCheckBox* CheckBox26;
    QGroupBox* GroupBox5;  // "Fill mode"
    QCheckBox* CheckBox27;
    QCheckBox* CheckBox28;
    TAgOpenDialog AgOpenDialog1;

    void Button1Click();
    void CheckBox25Click();
    void CheckBox26Click();
    void CheckBox27Click();
    void CheckBox28Click();
    void FormCreate();

protected:
    void FormClose() override;

private:
    std::vector<QWidget*> m_tagged;
    bool m_pairGuard = false;
};

}  // namespace padloom::ui
