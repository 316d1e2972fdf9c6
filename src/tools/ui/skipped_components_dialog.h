#pragma once

#include "shell/ui/tool_window.h"

class QTableWidget;

namespace padloom::ui {

/// "Skipped Components": the netlist footprints that were skipped, with their designators.
class SkippedComponentsDialog : public ToolWindow {
    Q_OBJECT
public:
    SkippedComponentsDialog(Shell& shell, QWidget* parent);

private:
    QTableWidget* m_table;
};

}  // namespace padloom::ui
