#include "tools/ui/tform23.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace padloom::ui {

TForm23::TForm23(Shell& shell, QWidget* parent) : ToolWindow(shell, parent, "Skipped Components") {
    setObjectName("Form23");
    // two columns, one fixed heading row, no fixed column
    StringGrid1 = new QTableWidget(0, 2, this);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setColumnWidth(0, 102);
    StringGrid1->setColumnWidth(1, 414);
    StringGrid1->setHorizontalHeaderLabels({QString(), QString()});  // filled by the run
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setStretchLastSection(true);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(StringGrid1);
    resize(560, 300);
}

}  // namespace padloom::ui
