#pragma once

#include <vector>

#include "shell/ui/ag_dialogs.h"
#include "shell/ui/tool_window.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace padloom::ui {

class RadioGroup;
class SpinEdit;

/// "Gerber to xGerber RS274x converter": Traxplot RS274D plots and their aperture file into
/// RS274X files.
class TForm2 : public ToolWindow {
    Q_OBJECT
public:
    TForm2(Shell& shell, QWidget* parent);

    QPushButton* Button2;
    QComboBox* ComboBox1;
    QPushButton* Button1;
    QListWidget* ListBox1;
    QPushButton* Button3;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    SpinEdit* SpinEdit1;
    SpinEdit* SpinEdit2;
    RadioGroup* RadioGroup1;
    RadioGroup* RadioGroup2;
    RadioGroup* RadioGroup3;
    RadioGroup* RadioGroup4;
    FileDialog SaveDialog1;

    void Edit1Change();
    void Button1Click();
    void Button3Click();
    void FormCreate();

protected:
    void FormClose() override;

private:
    std::vector<QWidget*> m_tagged;
};

}  // namespace padloom::ui
