#pragma once

#include "shell/ui/tool_window.h"

class QTableWidget;

namespace padloom::ui {

/// "Skipped Components": the netlist footprints that were skipped, with their designators.
class TForm23 : public ToolWindow {
    Q_OBJECT
public:
    TForm23(Shell& shell, QWidget* parent);

    QTableWidget* StringGrid1;
};

}  // namespace padloom::ui
