// What a new user meets in the windows, offscreen: positions that come back as saved, the
// launcher's size, titles that fit, logs that belong to the tool shown and end in view, the
// netlist dialogs, a missing text viewer, the completion line of ".MAT --> .APT" and F1.
#include <memory>
#include <set>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include "annotate/ui/dxf_window.h"
#include "common/scripted_host.h"
#include "shell/settings_store.h"
#include "shell/ui/about_box.h"
#include "shell/ui/controls.h"
#include "shell/ui/help_window.h"
#include "shell/ui/launcher.h"
#include "shell/ui/qt_host.h"
#include "shell/ui/shell.h"
#include "tools/ui/package_choice_dialog.h"
#include "tools/ui/skipped_components_dialog.h"
#include "view/ui/output_viewer.h"

using namespace padloom;
using namespace padloom::ui;

namespace {

/// A shell with a scripted Host; a window shown modally is shown, runs `onModal` and is closed.
struct Harness {
    common::ScriptedHost host;
    std::function<int(QDialog&)> onModal;
    std::unique_ptr<Shell> shell;

    explicit Harness(shell::SettingsStore& store) {
        ShellHooks hooks;
        hooks.showModal = [this](QDialog& w) {
            w.show();
            const int result = onModal ? onModal(w) : 0;
            if (w.isVisible()) {
                w.done(result);
            }
            return result;
        };
        hooks.makeHost = [this](const HostBinding&) {
            return std::make_unique<common::ForwardingHost>(host);
        };
        hooks.showBox = [](QWidget*, common::Box, const QString&) {};
        shell = std::make_unique<Shell>(store, std::move(hooks));
    }
    void click(const char* launcherButton) {
        shell->launcher->findChild<QPushButton*>(launcherButton)->click();
    }
};

/// The width of the modal dialog that `fn` opens, closed as soon as it shows.
int modalWidth(const std::function<void()>& fn) {
    int width = 0;
    QTimer::singleShot(0, [&] {
        QWidget* w = QApplication::activeModalWidget();
        width = w ? w->width() : -1;
        if (w) {
            w->close();
        }
    });
    fn();
    return width;
}

}  // namespace

class NewUserTest : public QObject {
    Q_OBJECT
private slots:
    void positionsComeBackAsSaved();
    void launcherKeepsItsButtonsWholeAndCentred();
    void textResizeWindowIsTitledForItsJobAndItsLogEndsInView();
    void titlesFitTheirWindowsAndBoxes();
    void netlistDialogs();
    void missingViewerAndMatCompletionAreSaid();
    void f1OpensTheHelpOfEveryWindow();
};

// Each window that keeps its place is sized before it is placed, so the window system puts its
// frame (not its client area) at the stored point.
void NewUserTest::positionsComeBackAsSaved() {
    shell::MemorySettingsStore store;
    for (int start = 0; start < 2; ++start) {
        Harness h(store);
        const std::vector<QWidget*> all = h.shell->windows();
        int i = 0;
        // the launcher and the RS274D, PCB to APT, Autotrax and TANGO plot windows
        for (QWidget* w : {all[0], all[2], all[3], all[6], all[11]}) {
            const QPoint saved(300 + 10 * i, 200 + 7 * i);
            ++i;
            QVERIFY2(w->testAttribute(Qt::WA_Resized), w->metaObject()->className());
            if (start == 0) {
                w->move(saved);
            }
            w->show();
            QCOMPARE(w->frameGeometry().topLeft(), saved);
            w->close();
        }
    }
}

void NewUserTest::launcherKeepsItsButtonsWholeAndCentred() {
    shell::MemorySettingsStore store;
    Harness h(store);
    Launcher* l = h.shell->launcher;
    l->show();
    l->resize(50, 50);  // as small as it goes: every button still whole
    for (QPushButton* b : l->findChildren<QPushButton*>()) {
        QVERIFY2(l->rect().contains(QRect(b->mapTo(l, QPoint(0, 0)), b->size())),
                 qPrintable(b->text()));
    }
    l->resize(1200, 900);  // large: the buttons in the middle
    QCoreApplication::processEvents();
    QWidget* panel = l->findChild<QWidget*>("ButtonPanel");
    QWidget* area = l->centralWidget();
    QVERIFY((panel->mapTo(l, panel->rect().center()) - area->mapTo(l, area->rect().center()))
                .manhattanLength() <= 2);
    l->close();
}

void NewUserTest::textResizeWindowIsTitledForItsJobAndItsLogEndsInView() {
    shell::MemorySettingsStore store;
    Harness h(store);
    auto* log = h.shell->dxfWindow->findChild<QPlainTextEdit*>("Memo1");
    QStringList titles;
    QScrollBar* bar = log->verticalScrollBar();
    h.onModal = [&](QDialog& d) {
        QCoreApplication::processEvents();  // the window on screen before its button is pressed
        QtHost host({&d, log});
        for (int i = 0; i < 40; ++i) {
            host.addLine(d.windowTitle().toStdString());
            bar->setValue(0);  // the user looks back
        }
        host.addLine("Done");
        titles << d.windowTitle() + (bar->value() == bar->maximum() ? "" : " (Done out of view)");
        return 0;
    };
    h.click("Button10");
    h.click("Button10");  // the same tool again keeps its log
    QVERIFY(log->toPlainText().startsWith("Set comment field"));
    QCOMPARE(log->toPlainText().count("PCB --> DXF"), 80);
    h.click("Button11");
    QVERIFY(!log->toPlainText().contains("PCB --> DXF"));
    h.click("Button10");
    QVERIFY(!log->toPlainText().contains("COMP TEXT RESIZE"));
    QCOMPARE(titles,
             (QStringList{"PCB --> DXF", "PCB --> DXF", "COMP TEXT RESIZE", "PCB --> DXF"}));
}

void NewUserTest::titlesFitTheirWindowsAndBoxes() {
    shell::MemorySettingsStore store;
    Harness h(store);
    h.shell->dxfWindow->mode = DxfWindow::kTextResize;  // the longer of its two titles
    std::vector<QWidget*> windows = h.shell->windows();
    windows.push_back(h.shell->helpWindow());
    for (QWidget* w : windows) {
        w->show();
        QVERIFY2(w->width() >= titleBarWidth(w->windowTitle()), qPrintable(w->windowTitle()));
        w->hide();
    }
    QtHost host({});
    QVERIFY(modalWidth([&] { host.show(common::Box::Info, "Done", common::Place::Screen); }) >=
            titleBarWidth("Information"));
    QVERIFY(modalWidth([&] { host.askLine("Component height entry", "height for DIP8", ""); }) >=
            titleBarWidth("Component height entry"));
}

// With no package proposed, neither OK nor Enter takes the empty box, while a package typed in
// is taken; the skipped components close with their Close button.
void NewUserTest::netlistDialogs() {
    shell::MemorySettingsStore store;
    Harness h(store);
    PackageChoiceDialog* d = h.shell->packageChoiceDialog;
    auto* combo = d->findChild<QComboBox*>("ComboBox1");
    const std::vector<std::string> choices = {"MAIN.LIB@DIP14", "MAIN.LIB@TO220"};
    common::PackageQuestion q{" Choose package for C1: RAD0.2", "C1", "RAD0.2", choices, ""};
    QList<bool> okEnabled;
    for (const QString typed : {"", "MAIN.LIB@TO220"}) {
        h.onModal = [&](QDialog&) {
            combo->setEditText(typed);
            okEnabled << d->findChild<QPushButton*>("Button1")->isEnabled();
            emit combo->lineEdit()->returnPressed();
            return d->isVisible() ? PackageChoiceDialog::kSkip : d->result();
        };
        common::PackageAnswer answer = d->ask(q);
        QCOMPARE(answer.action,
                 typed.isEmpty() ? common::PackageAction::Skip : common::PackageAction::Accept);
    }
    QCOMPARE(okEnabled, (QList<bool>{false, true}));

    bool closed = false;
    h.onModal = [&](QDialog& w) {
        w.findChild<QDialogButtonBox*>("CloseButtons")->button(QDialogButtonBox::Close)->click();
        closed = !w.isVisible();
        return 0;
    };
    h.shell->skippedComponentsDialog->showSkipped({{"RAD0.2", "C1"}});
    QVERIFY(closed);
}

// Where no program shows text files the message list says so; ".MAT --> .APT", which has no
// window, says it is done in the launcher's status line until another tool starts.
void NewUserTest::missingViewerAndMatCompletionAreSaid() {
    QPlainTextEdit log;
    QtHost({nullptr, &log}).openInViewer("/jobs/board.APT");
    QCOMPARE(log.toPlainText(), QString("Open notepad: no program to show text files is set up on "
                                        "this computer, so /jobs/board.APT was written but not "
                                        "opened."));

    QTemporaryDir dir;
    QFile mat(dir.filePath("board.MAT"));
    QVERIFY(mat.open(QIODevice::WriteOnly) && mat.write("CIRC10: D12 CIRCLE 10 X\r\n") > 0);
    mat.close();
    shell::MemorySettingsStore store;
    Harness h(store);
    h.host.openAnswers.push_back({mat.fileName().toStdString()});
    h.click("Button3");
    QStatusBar* status = h.shell->launcher->statusBar();
    QCOMPARE(status->currentMessage(), "Done: " + dir.filePath("board.APT") + " written");
    h.click("Button2");
    QCOMPARE(status->currentMessage(), QString());
}

// F1 opens a section of its own in every window (the DXF window's by its tool); the launcher's
// Help menu opens the contents.
void NewUserTest::f1OpensTheHelpOfEveryWindow() {
    shell::MemorySettingsStore store;
    Harness h(store);
    std::vector<int> contexts;
    h.onModal = [&](QDialog& w) {
        if (auto* help = qobject_cast<HelpWindow*>(&w)) {
            contexts.push_back(help->context());
        }
        return 0;
    };
    std::vector<QWidget*> windows = h.shell->windows();
    std::erase(windows, h.shell->launcher);
    std::erase(windows, static_cast<QWidget*>(h.shell->aboutBox));
    windows.push_back(h.shell->outputViewer());
    windows.push_back(h.shell->dxfWindow);  // again, in its other mode
    for (QWidget* w : windows) {
        h.shell->dxfWindow->mode =
            contexts.size() + 1 == windows.size() ? DxfWindow::kTextResize : DxfWindow::kDxfExport;
        auto* f1 = w->findChild<QShortcut*>("HelpShortcut");
        QVERIFY2(f1 && f1->key() == QKeySequence(Qt::Key_F1), w->metaObject()->className());
        emit f1->activated();
    }
    h.shell->launcher->findChild<QAction*>("PadloomHelp1")->trigger();
    QCOMPARE(h.shell->launcher->findChild<QAction*>("PadloomHelp1")->shortcut(),
             QKeySequence(Qt::Key_F1));
    QCOMPARE(contexts.size(), windows.size() + 1);
    QCOMPARE(contexts.back(), int(kHelpContents));
    QCOMPARE(std::set<int>(contexts.begin(), contexts.end()).size(), contexts.size());
    for (int c : contexts) {
        QVERIFY2(h.shell->helpWindow()->hasSection(c), qPrintable(QString::number(c)));
    }
}

QTEST_MAIN(NewUserTest)
#include "new_user_test.moc"
