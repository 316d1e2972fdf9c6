#pragma once

#include <QMainWindow>

class QPushButton;
class QAction;

namespace padloom::ui {

class Shell;

/// The launcher: twelve buttons, one per tool, and the File and Help menus. It is the main
/// window; closing it ends the program.
class TForm7 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm7(Shell& shell);

    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QPushButton* Button4;
    QPushButton* Button5;
    QPushButton* Button6;
    QPushButton* Button7;
    QPushButton* Button8;
    QPushButton* Button9;
    QPushButton* Button10;
    QPushButton* Button11;
    QPushButton* Button12;
    QAction* eXit1;
    QAction* About1;

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();
    void Button9Click();
    void Button10Click();
    void Button11Click();
    void Button12Click();
    void eXit1Click();
    void About1Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    Shell& m_shell;
};

}  // namespace padloom::ui
