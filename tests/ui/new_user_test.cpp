// What a new user meets in the windows, offscreen: positions that come back as saved, the
// launcher's size, titles that fit, logs that belong to the tool shown and end in view, the
// netlist dialogs, the text viewer that is not there, the completion line of ".MAT --> .APT",
// the viewer's problem list and F1 in every window.
#include <memory>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "annotate/ui/dxf_window.h"
#include "annotate/ui/placement_window.h"
#include "common/scripted_host.h"
#include "convert/ui/apt_builder_window.h"
#include "convert/ui/rs274x_window.h"
#include "plot/ui/gerber_plot_window.h"
#include "shell/settings_store.h"
#include "shell/ui/about_box.h"
#include "shell/ui/controls.h"
#include "shell/ui/help_window.h"
#include "shell/ui/launcher.h"
#include "shell/ui/qt_host.h"
#include "shell/ui/shell.h"
#include "tango/ui/tango_plot_window.h"
#include "tools/ui/package_choice_dialog.h"
#include "tools/ui/skipped_components_dialog.h"
#include "view/ui/output_viewer.h"

using namespace padloom;
using namespace padloom::ui;

namespace {

/// A shell whose hosts are scripted; a window shown modally is shown, runs `onModal` and is
/// closed again, as the user would close it.
struct Harness {
    shell::MemorySettingsStore& store;
    common::ScriptedHost host;
    std::function<int(QDialog&)> onModal;
    std::unique_ptr<Shell> shell;

    explicit Harness(shell::MemorySettingsStore& s) : store(s) {
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
};

/// Runs `fn`; the first modal dialog it opens is shown to `look`, then closed.
void answerModal(const std::function<void()>& fn, const std::function<void(QWidget*)>& look) {
    bool seen = false;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (QWidget* w = QApplication::activeModalWidget(); w && !seen) {
            seen = true;
            look(w);
            if (auto* d = qobject_cast<QDialog*>(w)) {
                d->reject();
            }
        }
    });
    timer.start();
    fn();
    timer.stop();
    QVERIFY(seen);
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile f(dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly)) {
        return {};
    }
    f.write(bytes);
    return f.fileName();
}

}  // namespace

class NewUserTest : public QObject {
    Q_OBJECT
private slots:
    void positionsComeBackAsSaved();
    void launcherKeepsItsButtonsWholeAndCentred();
    void textResizeWindowIsTitledForItsJobWithItsOwnLog();
    void messageListsScrollToTheNewestLine();
    void titlesFitTheirWindowsAndBoxes();
    void packageDialogTakesNothingWhenNothingMatches();
    void skippedComponentsWindowHasAClose();
    void missingTextViewerIsSaid();
    void matToAptSaysItIsDone();
    void problemListNamesEachFileOnceAndWraps();
    void f1OpensTheHelpOfEveryWindow();
};

// Each window that keeps its place is sized before it is placed, so the window system puts its
// frame (not its client area) at the stored point; saved and restored, the point stays.
void NewUserTest::positionsComeBackAsSaved() {
    shell::MemorySettingsStore store;
    auto persisting = [](Shell& s) {
        return std::vector<QWidget*>{s.launcher, s.rs274xWindow, s.aptBuilderWindow,
                                     s.gerberPlotWindow, s.tangoPlotWindow};
    };
    {
        Harness h(store);
        int i = 0;
        for (QWidget* w : persisting(*h.shell)) {
            QVERIFY2(w->testAttribute(Qt::WA_Resized), w->metaObject()->className());
            w->move(300 + 10 * i, 200 + 7 * i);
            ++i;
            w->show();
            w->close();
        }
    }
    for (int start = 0; start < 2; ++start) {
        Harness h(store);
        int i = 0;
        for (QWidget* w : persisting(*h.shell)) {
            const QPoint saved(300 + 10 * i, 200 + 7 * i);
            ++i;
            QVERIFY2(w->testAttribute(Qt::WA_Resized), w->metaObject()->className());
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
    QWidget* panel = l->findChild<QWidget*>("ButtonPanel");
    QVERIFY(panel);
    // shrunk as far as it goes, every button is still whole
    l->resize(50, 50);
    QCoreApplication::processEvents();
    QVERIFY(l->width() >= panel->width() && l->height() > panel->height());
    for (QPushButton* b : l->findChildren<QPushButton*>()) {
        const QRect inWindow(b->mapTo(l, QPoint(0, 0)), b->size());
        QVERIFY2(l->rect().contains(inWindow), qPrintable(b->text()));
    }
    // made large, the buttons stay in the middle
    l->resize(1200, 900);
    QCoreApplication::processEvents();
    const QPoint panelCentre = panel->mapTo(l, panel->rect().center());
    const QPoint areaCentre = l->centralWidget()->mapTo(l, l->centralWidget()->rect().center());
    QVERIFY((panelCentre - areaCentre).manhattanLength() <= 2);
    l->close();
}

void NewUserTest::textResizeWindowIsTitledForItsJobWithItsOwnLog() {
    shell::MemorySettingsStore store;
    Harness h(store);
    DxfWindow* w = h.shell->dxfWindow;
    auto* log = w->findChild<QPlainTextEdit*>("Memo1");
    QStringList titles;
    h.onModal = [&](QDialog& d) {
        titles << d.windowTitle();
        return 0;
    };
    h.shell->launcher->findChild<QPushButton*>("Button10")->click();
    log->appendPlainText("R1\tRC0805\nDone");  // an export's log
    h.shell->launcher->findChild<QPushButton*>("Button10")->click();
    QVERIFY(log->toPlainText().endsWith("Done"));  // the same tool again keeps its log
    h.shell->launcher->findChild<QPushButton*>("Button11")->click();
    QVERIFY(!log->toPlainText().contains("RC0805"));
    log->appendPlainText("Done");  // a resize's log
    h.shell->launcher->findChild<QPushButton*>("Button10")->click();
    QVERIFY(!log->toPlainText().contains("Done"));
    QVERIFY(log->toPlainText().startsWith("Set comment field"));
    QCOMPARE(titles,
             (QStringList{"PCB --> DXF", "PCB --> DXF", "COMP TEXT RESIZE", "PCB --> DXF"}));
}

void NewUserTest::messageListsScrollToTheNewestLine() {
    QPlainTextEdit log;
    log.resize(300, 120);
    log.show();
    log.setPlainText("an old run");
    HostBinding binding;
    binding.memo = &log;
    QtHost host(binding);
    for (int i = 0; i < 40; ++i) {
        host.addLine("line " + std::to_string(i));
        if (i == 20) {
            log.verticalScrollBar()->setValue(0);  // the user looks back
        }
    }
    host.addLine("Done");
    QCoreApplication::processEvents();
    QVERIFY(log.verticalScrollBar()->maximum() > 0);
    QCOMPARE(log.verticalScrollBar()->value(), log.verticalScrollBar()->maximum());
}

void NewUserTest::titlesFitTheirWindowsAndBoxes() {
    shell::MemorySettingsStore store;
    Harness h(store);
    std::vector<QWidget*> windows = h.shell->windows();
    windows.push_back(h.shell->helpWindow());
    for (QWidget* w : windows) {
        w->show();
        QVERIFY2(w->width() >= titleBarWidth(w->windowTitle()), qPrintable(w->windowTitle()));
        w->hide();
    }
    // the text resize tool's title is longer than the window's own
    h.shell->dxfWindow->mode = DxfWindow::kTextResize;
    h.shell->dxfWindow->show();
    QVERIFY(h.shell->dxfWindow->width() >= titleBarWidth("COMP TEXT RESIZE"));
    h.shell->dxfWindow->hide();

    // a box with a short text and the one-line input dialog
    QWidget parent;
    HostBinding binding;
    binding.window = &parent;
    QtHost host(binding);
    int boxWidth = 0;
    QString boxTitle;
    answerModal([&] { host.show(common::Box::Info, "Done", common::Place::Screen); },
                [&](QWidget* w) {
                    boxWidth = w->width();
                    boxTitle = w->windowTitle();
                });
    QCOMPARE(boxTitle, QString("Information"));
    QVERIFY(boxWidth >= titleBarWidth(boxTitle));
    int inputWidth = 0;
    answerModal([&] { host.askLine("Component height entry", "height for DIP8", ""); },
                [&](QWidget* w) { inputWidth = w->width(); });
    QVERIFY(inputWidth >= titleBarWidth("Component height entry"));
}

// With no package proposed, neither OK nor Enter takes the empty box; a package typed in may be
// taken.
void NewUserTest::packageDialogTakesNothingWhenNothingMatches() {
    shell::MemorySettingsStore store;
    Harness h(store);
    PackageChoiceDialog* d = h.shell->packageChoiceDialog;
    auto* ok = d->findChild<QPushButton*>("Button1");
    auto* combo = d->findChild<QComboBox*>("ComboBox1");
    const std::vector<std::string> choices = {"MAIN.LIB@DIP14", "MAIN.LIB@TO220"};
    common::PackageQuestion q;
    q.question = " Choose package for C1: RAD0.2";
    q.choices = choices;
    bool okEnabled = true;
    h.onModal = [&](QDialog&) {
        okEnabled = ok->isEnabled();
        emit combo->lineEdit()->returnPressed();  // Enter in the empty box
        return d->isVisible() ? PackageChoiceDialog::kSkip : PackageChoiceDialog::kOk;
    };
    common::PackageAnswer answer = d->ask(q);
    QVERIFY(!okEnabled);
    QCOMPARE(answer.action, common::PackageAction::Skip);
    QCOMPARE(combo->currentText(), QString());

    h.onModal = [&](QDialog&) {
        combo->setEditText("MAIN.LIB@TO220");
        okEnabled = ok->isEnabled();
        emit combo->lineEdit()->returnPressed();
        return d->isVisible() ? PackageChoiceDialog::kSkip : d->result();
    };
    answer = d->ask(q);
    QVERIFY(okEnabled);
    QCOMPARE(answer.action, common::PackageAction::Accept);
    QCOMPARE(answer.text, std::string("MAIN.LIB@TO220"));
}

void NewUserTest::skippedComponentsWindowHasAClose() {
    shell::MemorySettingsStore store;
    Harness h(store);
    SkippedComponentsDialog* d = h.shell->skippedComponentsDialog;
    bool closed = false;
    h.onModal = [&](QDialog& w) {
        auto* buttons = w.findChild<QDialogButtonBox*>("CloseButtons");
        if (buttons && buttons->button(QDialogButtonBox::Close)) {
            buttons->button(QDialogButtonBox::Close)->click();
            closed = !w.isVisible();
        }
        return 0;
    };
    d->showSkipped({{"RAD0.2", "C1,C2"}});
    QVERIFY(closed);
}

// Where no program shows text files, the tool says so in its message list (or, in a window
// without one, in a box) instead of failing in silence.
void NewUserTest::missingTextViewerIsSaid() {
    QTemporaryDir empty;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", empty.path().toLocal8Bit());
    qunsetenv("BROWSER");
    qunsetenv("DEFAULT_BROWSER");
    QPlainTextEdit log;
    HostBinding binding;
    binding.memo = &log;
    QtHost host(binding);
    host.openInViewer(empty.filePath("board.APT").toStdString());
    qputenv("PATH", path);
    QVERIFY2(log.toPlainText().contains("Open notepad: no program to show text files is set up "
                                        "on this computer"),
             qPrintable(log.toPlainText()));
    QVERIFY(log.toPlainText().contains("board.APT"));
}

void NewUserTest::matToAptSaysItIsDone() {
    QTemporaryDir dir;
    const QString mat = writeFile(dir, "board.MAT", "CIRC10: D12 CIRCLE 10 X\r\n");
    shell::MemorySettingsStore store;
    Harness h(store);
    Launcher* l = h.shell->launcher;
    h.host.openAnswers.push_back({mat.toStdString()});
    l->findChild<QPushButton*>("Button3")->click();
    QCOMPARE(l->statusBar()->currentMessage(), "Done: " + dir.filePath("board.APT") + " written");
    // another tool leaves no old completion line behind; a cancelled run writes none
    l->findChild<QPushButton*>("Button2")->click();
    QCOMPARE(l->statusBar()->currentMessage(), QString());
    l->findChild<QPushButton*>("Button3")->click();
    QCOMPARE(l->statusBar()->currentMessage(), QString());
}

void NewUserTest::problemListNamesEachFileOnceAndWraps() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("other"));
    const QByteArray broken =
        "%FSLAX23Y23*%\r\n%MOIN*%\r\n%ADD10C,.010*%\r\nD11*\r\nX100Y100D03*\r\nM02*\r\n";
    const QString first = writeFile(dir, "broken.gbr", broken);
    const QString second = writeFile(dir, "other/broken.gbr", broken);
    const QString good = writeFile(
        dir, "good.GTL", "%FSLAX23Y23*%\r\n%MOIN*%\r\n%ADD10C,.010*%\r\nD10*\r\nM02*\r\n");
    shell::MemorySettingsStore store;
    Harness h(store);
    OutputViewer* viewer = h.shell->outputViewer();
    viewer->openFiles(
        {good.toStdString(), first.toStdString(), dir.filePath("missing.GTL").toStdString()});
    QCOMPARE(viewer->problemList()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(viewer->problemList()->toPlainText(),
             QString("broken.gbr\n"
                     "    line 4: error: aperture D11 is not defined\n"
                     "    line 5: error: flash without a defined aperture\n"
                     "missing.GTL\n"
                     "    No such file or directory"));
    // two files of one name are told apart by their folders
    viewer->openFiles({first.toStdString(), second.toStdString()});
    const QStringList lines = viewer->problemList()->toPlainText().split('\n');
    QVERIFY(lines.contains(first) && lines.contains(second));
}

// F1 opens the help at a section of its own in every window, the tool's section in the DXF
// window's two modes; the launcher's Help menu opens the contents.
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
    windows.erase(windows.begin(), windows.begin() + 1);  // the launcher has its menu
    windows.erase(std::find(windows.begin(), windows.end(), h.shell->aboutBox));
    windows.push_back(h.shell->outputViewer());
    for (QWidget* w : windows) {
        auto* f1 = w->findChild<QShortcut*>("HelpShortcut");
        QVERIFY2(f1, w->metaObject()->className());
        QCOMPARE(f1->key(), QKeySequence(Qt::Key_F1));
        emit f1->activated();
    }
    h.shell->dxfWindow->mode = DxfWindow::kTextResize;
    emit h.shell->dxfWindow->findChild<QShortcut*>("HelpShortcut")->activated();
    QCOMPARE(contexts.size(), windows.size() + 1);
    // the contexts the three old windows always had, first in creation order
    QCOMPARE(std::vector<int>(contexts.begin(), contexts.begin() + 3),
             (std::vector<int>{100, 5000, 6000}));
    std::vector<int> distinct = contexts;
    std::sort(distinct.begin(), distinct.end());
    QCOMPARE(std::unique(distinct.begin(), distinct.end()), distinct.end());
    for (int c : contexts) {
        QVERIFY2(h.shell->helpWindow()->hasSection(c), qPrintable(QString::number(c)));
    }

    QAction* help = h.shell->launcher->findChild<QAction*>("PadloomHelp1");
    QVERIFY(help);
    QCOMPARE(help->text(), QString("Padloom Help"));
    QCOMPARE(help->shortcut(), QKeySequence(Qt::Key_F1));
    help->trigger();
    QCOMPARE(contexts.back(), int(kHelpContents));
    QVERIFY(h.shell->helpWindow()->hasSection(kHelpContents));
}

QTEST_MAIN(NewUserTest)
#include "new_user_test.moc"
