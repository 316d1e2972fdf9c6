#pragma once

#include <QDialog>

class QLabel;
class QFrame;
class QPushButton;

namespace padloom::ui {

/// The About box: the program icon, product name, version and release date.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QFrame* m_panel;
    QLabel* m_programIcon;
    QLabel* m_productName;
    QLabel* m_version;
    QLabel* m_releaseDate;
    QPushButton* m_okButton;
};

}  // namespace padloom::ui
