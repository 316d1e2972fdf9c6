#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include <QString>

#include "board/run_values.h"
#include "common/errors.h"
#include "common/host.h"
#include "nets/copper.h"
#include "shell/settings_store.h"
#include "shell/ui/qt_host.h"

class QDialog;
class QWidget;

namespace padloom::ui {

class AboutBox;
class AptBuilderWindow;
class DrcWindow;
class DxfWindow;
class GerberPlotWindow;
class Launcher;
class LibraryWindow;
class PackageChoiceDialog;
class PlacementWindow;
class QfnWindow;
class Rs274xWindow;
class SkippedComponentsDialog;
class TangoPlotWindow;
class XlnWindow;
class HelpWindow;
class OutputViewer;

/// Points where tests replace the real dialogs: showing a window modally, the Host a tool
/// talks to, and the shell's own message boxes. Empty members take the real behaviour.
struct ShellHooks {
    std::function<int(QDialog&)> showModal;
    std::function<std::unique_ptr<common::Host>(const HostBinding&)> makeHost;
    std::function<void(QWidget*, common::Box, const QString&)> showBox;
};

/// The running program: every window, created at start in the fixed order with the launcher
/// first, the settings store they persist to and the values a plot run hands from the
/// aperture builder to the plotter.
class Shell {
public:
    explicit Shell(shell::SettingsStore& store, ShellHooks hooks = {});
    ~Shell();
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;

    Launcher* launcher = nullptr;
    PlacementWindow* placementWindow = nullptr;
    Rs274xWindow* rs274xWindow = nullptr;
    AptBuilderWindow* aptBuilderWindow = nullptr;
    AboutBox* aboutBox = nullptr;
    DrcWindow* drcWindow = nullptr;
    GerberPlotWindow* gerberPlotWindow = nullptr;
    LibraryWindow* libraryWindow = nullptr;
    PackageChoiceDialog* packageChoiceDialog = nullptr;
    SkippedComponentsDialog* skippedComponentsDialog = nullptr;
    XlnWindow* xlnWindow = nullptr;
    TangoPlotWindow* tangoPlotWindow = nullptr;
    DxfWindow* dxfWindow = nullptr;
    QfnWindow* qfnWindow = nullptr;

    board::RunValues runValues;

    shell::SettingsStore& settings() { return m_store; }
    /// Every window in creation order.
    std::vector<QWidget*> windows() const;

    /// Shows a window modally and returns its result code.
    int showModal(QDialog& window);
    /// The Host a tool of `binding.window` talks to.
    std::unique_ptr<common::Host> makeHost(const HostBinding& binding);
    /// A message box of the shell itself, centred on the screen.
    void showBox(QWidget* window, common::Box box, const QString& text);
    /// Opens the program's help at a help context (100, 5000, 6000).
    void showHelp(int context);
    HelpWindow* helpWindow();
    /// The output viewer, made when first wanted.
    OutputViewer* outputViewer();
    /// Shows fab files in the output viewer, modally; with the board they were plotted from
    /// (and the copper options of the plot), a click on a pad shows its net.
    void showOutputs(const std::vector<std::string>& paths, const std::string& board = {},
                     const nets::CopperOptions& copper = {});
    /// The message of an action whose tool is not in this version.
    void notAvailable(QWidget* window);

    /// Runs a tool call at a slot's edge: file errors and any other exception end the run
    /// with an error box; nothing escapes into the event loop.
    template <class Fn>
    void guarded(QWidget* window, Fn&& fn) noexcept {
        try {
            fn();
        } catch (const common::IoError& e) {
            reportError(window, e.what());
        } catch (const std::exception& e) {
            reportError(window, e.what());
        } catch (...) {
            reportError(window, "Unexpected error");
        }
    }

private:
    void reportError(QWidget* window, const char* what) noexcept;

    shell::SettingsStore& m_store;
    ShellHooks m_hooks;
    std::unique_ptr<Launcher> m_main;  // owns every other window as its child
    HelpWindow* m_help = nullptr;
    OutputViewer* m_viewer = nullptr;
};

}  // namespace padloom::ui
