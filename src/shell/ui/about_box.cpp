#include "shell/ui/about_box.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

#include "common/version.h"

namespace padloom::ui {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutBox");
    setWindowTitle("About");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

    m_panel = new QFrame(this);
    m_panel->setObjectName("Panel1");
    m_panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_panel->setLineWidth(2);

    m_programIcon = new QLabel(m_panel);
    m_programIcon->setObjectName("ProgramIcon");
    m_programIcon->setPixmap(QPixmap(":/icons/padloom.png"));
    m_programIcon->setScaledContents(true);
    m_programIcon->setFixedSize(65, 57);

    m_productName = new QLabel("Padloom", m_panel);
    m_productName->setObjectName("ProductName");
    QFont big = m_productName->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    m_productName->setFont(big);
    m_version = new QLabel(QString("Version ") + common::programVersion(), m_panel);
    m_version->setObjectName("Version");
    m_version->setWordWrap(true);  // a build from git adds its commit, which may take a second line
    m_releaseDate = new QLabel("Released 12 May 2008", m_panel);
    m_releaseDate->setObjectName("ReleaseDate");

    auto* grid = new QGridLayout(m_panel);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(16);
    grid->addWidget(m_programIcon, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(m_productName, 0, 1);
    grid->addWidget(m_version, 1, 1);
    grid->addWidget(m_releaseDate, 2, 1);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(1, 1);

    m_okButton = new QPushButton("OK", this);
    m_okButton->setObjectName("OKButton");
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_panel, 1);
    layout->addWidget(m_okButton, 0, Qt::AlignHCenter);
    setFixedSize(298, 213);
}

void AboutBox::showEvent(QShowEvent* event) {
    // the box is centred on the screen, not on the launcher
    if (QScreen* s = screen()) {
        move(s->availableGeometry().center() - rect().center());
    }
    QDialog::showEvent(event);
}

}  // namespace padloom::ui
