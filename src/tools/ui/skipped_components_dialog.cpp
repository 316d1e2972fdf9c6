#include "tools/ui/skipped_components_dialog.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace padloom::ui {

SkippedComponentsDialog::SkippedComponentsDialog(Shell& shell, QWidget* parent)
    : ToolWindow(shell, parent, "Skipped Components") {
    setObjectName("Form23");
    // two columns, one fixed heading row, no fixed column
    m_table = new QTableWidget(0, 2, this);
    m_table->setObjectName("StringGrid1");
    m_table->setColumnWidth(0, 102);
    m_table->setColumnWidth(1, 414);
    m_table->setHorizontalHeaderLabels({QString(), QString()});  // filled by the run
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    resize(560, 300);
}

}  // namespace padloom::ui
