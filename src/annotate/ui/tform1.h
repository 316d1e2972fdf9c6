#pragma once

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

/// The X/Y placement window. It also holds what other tools share: the open dialog (so every
/// tool opens where the last one left off), the "Open notepad" choice, and the four format
/// settings mirrored from the RS274D to RS274X window.
class TForm1 : public ToolWindow {
    Q_OBJECT
public:
    TForm1(Shell& shell, QWidget* parent);

    QMenuBar* MainMenu1;
    QAction* Open1;
    QAction* MATAPT1;
    QPushButton* Button1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QProgressBar* ProgressBar1;
    QComboBox* ComboBox1;
    QComboBox* ComboBox2;
    QComboBox* ComboBox3;
    QComboBox* ComboBox4;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox3;
    QCheckBox* CheckBox4;
    FileDialog OpenDialog1;

    // the format settings: only persisted
    int Digits = 2;
    int Precision = 4;
    int Mode = 0;
    int Suppression = 0;

    void Button1Click();
    void Open1Click();
    void MATAPT1Click();
    void ReadRegistry();
    void SaveRegistry();

protected:
    void FormShow() override;
    void FormClose() override;
};

}  // namespace padloom::ui
