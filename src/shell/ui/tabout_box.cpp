#include "shell/ui/tabout_box.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace padloom::ui {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutBox");
    setWindowTitle("About");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(2);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName("ProgramIcon");
    ProgramIcon->setPixmap(QPixmap(":/icons/padloom.png"));
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setFixedSize(65, 57);

    ProductName = new QLabel("Padloom", Panel1);
    ProductName->setObjectName("ProductName");
    QFont big = ProductName->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    ProductName->setFont(big);
    Version = new QLabel("Version 4.6", Panel1);
    Version->setObjectName("Version");
    ReleaseDate = new QLabel("Released 12 May 2008", Panel1);
    ReleaseDate->setObjectName("ReleaseDate");

    auto* grid = new QGridLayout(Panel1);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(16);
    grid->addWidget(ProgramIcon, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(ProductName, 0, 1);
    grid->addWidget(Version, 1, 1);
    grid->addWidget(ReleaseDate, 2, 1);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(1, 1);

    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Panel1, 1);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);
    setFixedSize(298, 213);
}

void TAboutBox::showEvent(QShowEvent* event) {
    // the box is centred on the screen, not on the launcher
    if (QScreen* s = screen()) {
        move(s->availableGeometry().center() - rect().center());
    }
    QDialog::showEvent(event);
}

}  // namespace padloom::ui
