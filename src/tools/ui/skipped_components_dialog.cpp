#include "tools/ui/skipped_components_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "shell/ui/help_window.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

SkippedComponentsDialog::SkippedComponentsDialog(Shell& shell, QWidget* parent)
    : ToolWindow(shell, parent, "Skipped Components") {
    setObjectName("Form23");
    setHelpContext(kHelpSkippedComponents);
    // two columns, one fixed heading row, no fixed column
    m_table = new QTableWidget(0, 2, this);
    m_table->setObjectName("StringGrid1");
    m_table->setColumnWidth(0, 102);
    m_table->setColumnWidth(1, 414);
    m_table->setHorizontalHeaderLabels({QString(), QString()});  // filled by the run
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName("CloseButtons");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addWidget(buttons);
    resize(560, 300);
}

void SkippedComponentsDialog::showSkipped(const std::vector<tools::SkippedPackage>& skipped) {
    m_table->setHorizontalHeaderLabels({"Package", "Ref Designator(s)"});
    m_table->setRowCount(static_cast<int>(skipped.size()));
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const auto& s = skipped[static_cast<size_t>(row)];
        m_table->setItem(row, 0, new QTableWidgetItem(fromBytes(s.footprint)));
        m_table->setItem(row, 1, new QTableWidgetItem(fromBytes(s.designators)));
    }
    m_shell.showModal(*this);
}

}  // namespace padloom::ui
