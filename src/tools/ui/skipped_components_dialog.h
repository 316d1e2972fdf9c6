#pragma once

#include <vector>

#include "shell/ui/tool_window.h"
#include "tools/netlist_library.h"

class QTableWidget;

namespace padloom::ui {

/// "Skipped Components": the netlist footprints that were skipped, with their designators.
class SkippedComponentsDialog : public ToolWindow {
    Q_OBJECT
public:
    SkippedComponentsDialog(Shell& shell, QWidget* parent);

    /// Fills the grid, one row per skipped package in the order skipped, and shows it modally.
    void showSkipped(const std::vector<tools::SkippedPackage>& skipped);

private:
    QTableWidget* m_table;
};

}  // namespace padloom::ui
