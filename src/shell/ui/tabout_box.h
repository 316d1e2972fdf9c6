#pragma once

#include <QDialog>

class QLabel;
class QFrame;
class QPushButton;

namespace padloom::ui {

/// The About box: the program icon, product name, version and release date.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent);

    QFrame* Panel1;
    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* ReleaseDate;
    QPushButton* OKButton;

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace padloom::ui
