#pragma once

#include "shell/ui/ag_dialogs.h"
#include "shell/ui/tool_window.h"
#include "tools/xln_merge.h"

class QPlainTextEdit;
class QPushButton;

namespace padloom::ui {

/// "TXT+TOL --> XLN": adds the tool sizes of a tool table to the header of an NC drill file.
class XlnWindow : public ToolWindow {
    Q_OBJECT
public:
    XlnWindow(Shell& shell, QWidget* parent);

    void onSelectTxtClicked();
    void onSelectTolClicked();

private:
    QPushButton* m_selectTolButton;
    QPushButton* m_selectTxtButton;  // enabled once a tool table is loaded
    QPlainTextEdit* m_messageList;
    PlacesOpenDialog m_openDialog;
    tools::ToolTable m_toolTable;  // kept while the program runs; replaced by each "Select TOL"
};

}  // namespace padloom::ui
