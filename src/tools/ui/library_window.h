#pragma once

#include "shell/ui/ag_dialogs.h"
#include "shell/ui/tool_window.h"
#include "tools/netlist_library.h"

class QAction;
class QCheckBox;
class QMenuBar;
class QProgressBar;

namespace padloom::ui {

/// "Protel Autotrax Combined Library Generation": copies the footprints a netlist uses from
/// component libraries into one new library.
class LibraryWindow : public ToolWindow {
    Q_OBJECT
public:
    LibraryWindow(Shell& shell, QWidget* parent);

    void onReadLibraryTriggered();
    void onProcessNetlistTriggered();

    /// The loaded libraries and their package choice list.
    const tools::LibraryGenerator& generator() const { return m_generator; }

private:
    QMenuBar* m_menuBar;
    QAction* m_readLibraryAction;
    QAction* m_processNetlistAction;
    QAction* m_exitAction;
    QCheckBox* m_writeComponentsBox;
    QCheckBox* m_writeNetsBox;  // hidden
    QProgressBar* m_progressBar;
    FileDialog m_openDialog;
    FileDialog m_saveDialog;
    tools::LibraryGenerator m_generator;
};

}  // namespace padloom::ui
