#include "shell/ui/shell.h"

#include <QDialog>

#include "annotate/ui/tform1.h"
#include "annotate/ui/tform10.h"
#include "annotate/ui/tform5.h"
#include "convert/ui/tform2.h"
#include "convert/ui/tform3.h"
#include "plot/ui/tform6.h"
#include "shell/ui/help_window.h"
#include "shell/ui/tabout_box.h"
#include "shell/ui/tform7.h"
#include "tango/ui/tform9.h"
#include "tools/ui/tform11.h"
#include "tools/ui/tform20.h"
#include "tools/ui/tform22.h"
#include "tools/ui/tform23.h"
#include "tools/ui/tform8.h"

// Resources of a static library are registered by name from the global namespace.
static void initShellResources() {
    Q_INIT_RESOURCE(shell);
}

namespace padloom::ui {

Shell::Shell(shell::SettingsStore& store, ShellHooks hooks)
    : m_store(store), m_hooks(std::move(hooks)) {
    initShellResources();
    // the creation order is fixed; each window restores its settings as it is created
    m_main = std::make_unique<TForm7>(*this);
    Form7 = m_main.get();
    Form1 = new TForm1(*this, Form7);
    Form2 = new TForm2(*this, Form7);
    Form3 = new TForm3(*this, Form7);
    AboutBox = new TAboutBox(Form7);
    Form5 = new TForm5(*this, Form7);
    Form6 = new TForm6(*this, Form7);
    Form20 = new TForm20(*this, Form7);
    Form22 = new TForm22(*this, Form7);
    Form23 = new TForm23(*this, Form7);
    Form8 = new TForm8(*this, Form7);
    Form9 = new TForm9(*this, Form7);
    Form10 = new TForm10(*this, Form7);
    Form11 = new TForm11(*this, Form7);
}

Shell::~Shell() = default;

std::vector<QWidget*> Shell::windows() const {
    return {Form7,  Form1,  Form2,  Form3, AboutBox, Form5,  Form6,
            Form20, Form22, Form23, Form8, Form9,    Form10, Form11};
}

int Shell::showModal(QDialog& window) {
    if (m_hooks.showModal) {
        return m_hooks.showModal(window);
    }
    return window.exec();
}

std::unique_ptr<common::Host> Shell::makeHost(const HostBinding& binding) {
    if (m_hooks.makeHost) {
        return m_hooks.makeHost(binding);
    }
    return std::make_unique<QtHost>(binding);
}

void Shell::showBox(QWidget* window, common::Box box, const QString& text) {
    if (m_hooks.showBox) {
        m_hooks.showBox(window, box, text);
        return;
    }
    showMessageBox(window, box, text, common::Place::Screen);
}

HelpWindow* Shell::helpWindow() {
    if (!m_help) {
        m_help = new HelpWindow(Form7);
    }
    return m_help;
}

void Shell::showHelp(int context) {
    HelpWindow* help = helpWindow();
    help->showContext(context);
    showModal(*help);
}

void Shell::notAvailable(QWidget* window) {
    showBox(window, common::Box::Info, "This tool is not available yet.");
}

void Shell::reportError(QWidget* window, const char* what) noexcept {
    try {
        showBox(window, common::Box::Error, QString::fromLocal8Bit(what));
    } catch (...) {
        // nothing more can be done at the slot's edge
    }
}

}  // namespace padloom::ui
