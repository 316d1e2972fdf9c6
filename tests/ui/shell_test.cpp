// The desktop shell offscreen: start-up, the launcher's dispatch, window controls, settings
// persistence through the windows, and the plot run's first steps.
#include "shell/ui/shell.h"

#include <memory>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

#include "annotate/ui/drc_window.h"
#include "annotate/ui/dxf_window.h"
#include "annotate/ui/placement_window.h"
#include "common/scripted_host.h"
#include "common/version.h"
#include "convert/ui/apt_builder_window.h"
#include "convert/ui/rs274x_window.h"
#include "plot/ui/gerber_plot_window.h"
#include "shell/settings_store.h"
#include "shell/ui/about_box.h"
#include "shell/ui/controls.h"
#include "shell/ui/help_window.h"
#include "shell/ui/launcher.h"
#include "tango/ui/tango_plot_window.h"
#include "tools/ui/library_window.h"
#include "tools/ui/package_choice_dialog.h"
#include "tools/ui/qfn_window.h"
#include "tools/ui/skipped_components_dialog.h"
#include "tools/ui/xln_window.h"

using namespace padloom;
using namespace padloom::ui;

namespace {

/// A shell whose modal windows, hosts and boxes are recorded instead of shown.
struct Harness {
    shell::MemorySettingsStore store;
    common::ScriptedHost host;
    QStringList shown;  // objectName of each window shown modally
    QStringList boxes;  // texts of the shell's own boxes
    std::function<int(QDialog&)> onModal;
    std::unique_ptr<Shell> shell;

    void start() {
        ShellHooks hooks;
        hooks.showModal = [this](QDialog& w) {
            shown << w.objectName();
            return onModal ? onModal(w) : 0;
        };
        hooks.makeHost = [this](const HostBinding&) {
            return std::make_unique<common::ForwardingHost>(host);
        };
        hooks.showBox = [this](QWidget*, common::Box, const QString& text) { boxes << text; };
        shell = std::make_unique<Shell>(store, std::move(hooks));
    }
};

template <class T>
T* child(QObject* parent, const char* name) {
    T* c = parent->findChild<T*>(name);
    if (!c) {
        qWarning("missing control %s", name);
    }
    return c;
}

}  // namespace

class ShellTest : public QObject {
    Q_OBJECT
private slots:
    void startupCreatesTheWindowsInOrder();
    void everyWindowHasItsControls();
    void launcherLayout();
    void launcherButtonsOpenTheirWindows_data();
    void launcherButtonsOpenTheirWindows();
    void launcherCopiesFormatSettingsAfterTheConverterCloses();
    void exclusivePairsWithTheirGuard();
    void spinEditTextThatIsNoIntegerCountsAsMinimum();
    void dxfWindowSwitchesModeWhenShown();
    void xyWindowShowsNoMenu();
    void f1OpensHelpAtTheWindowsContext();
    void firstRunWritesOnlyTheXyKey();
    void windowsSaveByTagWhenClosedAfterShowing();
    void storedSettingsAreRestoredAtStartup();
    void exitSavesNothingButClosingSavesThePosition();
    void xyWindowReportsDamagedSettings();
    void plotRunStopsSilentlyWithoutApertureFile();
    void plotRunGoesOnWhenTheApertureFileWasMade();
    void builderShowsItsInstructionsOncePerShowing();
    void plotRunEndToEnd();
    void pourGroupReachesTheBuilderAndThePlot();
};

void ShellTest::startupCreatesTheWindowsInOrder() {
    Harness h;
    h.start();
    // clang-format off
    const std::pair<const char*, const char*> expected[] = {
        {"padloom::ui::Launcher", "Padloom"},
        {"padloom::ui::PlacementWindow", "Padloom"},
        {"padloom::ui::Rs274xWindow", "Gerber to xGerber RS274x converter "},
        {"padloom::ui::AptBuilderWindow", "PCB ---> APT"},
        {"padloom::ui::AboutBox", "About"},
        {"padloom::ui::DrcWindow", "DRC --> PCB"},
        {"padloom::ui::GerberPlotWindow", "Generate XGerbers"},
        {"padloom::ui::LibraryWindow", "Protel Autotrax Combined Library Generation"},
        {"padloom::ui::PackageChoiceDialog", "Select Matching Package from Library"},
        {"padloom::ui::SkippedComponentsDialog", "Skipped Components"},
        {"padloom::ui::XlnWindow", "TXT+TOL --> XLN"},
        {"padloom::ui::TangoPlotWindow", "TANGO -> Generate XGerbers"},
        {"padloom::ui::DxfWindow", "PCB --> DXF"},
        {"padloom::ui::QfnWindow", "Build  QFN (in new .PCB)"},
    };
    // clang-format on
    auto windows = h.shell->windows();
    QCOMPARE(windows.size(), std::size(expected));
    for (size_t i = 0; i < windows.size(); ++i) {
        QCOMPARE(windows[i]->metaObject()->className(), expected[i].first);
        QCOMPARE(windows[i]->windowTitle(), QString(expected[i].second));
        QVERIFY(!windows[i]->isVisible());
    }
    QVERIFY(qobject_cast<QMainWindow*>(windows[0]));
    for (size_t i = 1; i < windows.size(); ++i) {
        QCOMPARE(windows[i]->parentWidget(), windows[0]);
    }
    QVERIFY(h.shown.isEmpty());
}

void ShellTest::everyWindowHasItsControls() {
    Harness h;
    h.start();
    auto names = [](std::initializer_list<const char*> l) { return std::vector<const char*>(l); };
    struct WindowControls {
        QWidget* window;
        std::vector<const char*> controls;
    };
    const WindowControls windows[] = {
        {h.shell->launcher,
         names({"Button1", "Button2", "Button3", "Button4", "Button5", "Button6", "Button7",
                "Button8", "Button9", "Button10", "Button11", "Button12", "eXit1", "About1"})},
        {h.shell->placementWindow,
         names({"Button1", "Label2", "Label3", "Label4", "ProgressBar1", "ComboBox1", "ComboBox2",
                "ComboBox3", "ComboBox4", "CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4",
                "MainMenu1", "MATAPT1"})},
        {h.shell->rs274xWindow,
         names({"Button1", "Button2", "Button3", "ComboBox1", "ListBox1", "SpinEdit1", "SpinEdit2",
                "RadioGroup1", "RadioGroup2", "RadioGroup3", "RadioGroup4"})},
        {h.shell->aptBuilderWindow, names({"Button1", "SpinEdit1", "SpinEdit2", "SpinEdit3",
                                           "SpinEdit4", "SpinEdit5", "CheckBox1"})},
        {h.shell->aboutBox,
         names({"Panel1", "ProgramIcon", "ProductName", "Version", "ReleaseDate", "OKButton"})},
        {h.shell->drcWindow, names({"RadioGroup1", "Button1"})},
        {h.shell->gerberPlotWindow,
         names({"CheckBox1",  "CheckBox2",  "CheckBox3",  "CheckBox4",  "CheckBox5",  "CheckBox6",
                "CheckBox7",  "CheckBox8",  "CheckBox9",  "CheckBox10", "CheckBox11", "CheckBox12",
                "CheckBox13", "CheckBox14", "CheckBox15", "CheckBox16", "CheckBox17", "CheckBox18",
                "CheckBox19", "CheckBox20", "CheckBox21", "CheckBox22", "CheckBox23", "CheckBox24",
                "CheckBox25", "CheckBox26", "CheckBox27", "CheckBox28", "Button1",    "Memo1"})},
        {h.shell->libraryWindow, names({"MainMenu1", "ReadLibrary1", "ProcessNetlist1", "Exit1",
                                        "CheckBox1", "CheckBox2", "ProgressBar1"})},
        {h.shell->packageChoiceDialog,
         names({"Label1", "ComboBox1", "Button1", "Button2", "Button3"})},
        {h.shell->skippedComponentsDialog, names({"StringGrid1"})},
        {h.shell->xlnWindow, names({"Button1", "Button2", "Memo1"})},
        {h.shell->tangoPlotWindow,
         names({"Button1", "Memo1", "SpinEdit1", "SpinEdit2", "SpinEdit3", "CheckBox1",
                "CheckBox15", "CheckBox16", "CheckBox17", "CheckBox24", "CheckBox25", "CheckBox26",
                "CheckBox27", "CheckBox28"})},
        {h.shell->dxfWindow,
         names({"Button1", "Memo1", "Panel1", "Label1", "Edit1", "Label2", "Edit2", "Button2"})},
        {h.shell->qfnWindow, names({"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7",
                                    "RadioGroup1", "Label6", "Memo1", "Button1"})},
    };
    for (const auto& [window, controls] : windows) {
        for (const char* name : controls) {
            QVERIFY2(window->findChild<QObject*>(name),
                     qPrintable(window->objectName() + " lacks " + name));
        }
    }

    // a few captions, defaults, states and initial texts
    auto* f6 = h.shell->gerberPlotWindow;
    QCOMPARE(child<QCheckBox>(f6, "CheckBox15")->text(), QString("Board Layer"));
    QVERIFY(child<QCheckBox>(f6, "CheckBox15")->isChecked());
    QCOMPARE(child<QCheckBox>(f6, "CheckBox24")->text(), QString("Board Layer"));
    QVERIFY(!child<QCheckBox>(f6, "CheckBox24")->isChecked());
    QCOMPARE(child<QCheckBox>(f6, "CheckBox23")->text(), QString("Thermals on external layers"));
    QCOMPARE(tagOf(child<QCheckBox>(f6, "CheckBox23")), 0);
    QCOMPARE(tagOf(child<QCheckBox>(f6, "CheckBox24")), 23);
    QCOMPARE(tagOf(child<QCheckBox>(f6, "CheckBox15")), 18);
    QCOMPARE(tagOf(child<QCheckBox>(f6, "CheckBox18")), 15);
    QCOMPARE(child<QPlainTextEdit>(f6, "Memo1")->toPlainText(),
             QString("Please selects layers and options.\nThen press the Plot button"));
    auto* f1 = h.shell->placementWindow;
    QCOMPARE(child<QComboBox>(f1, "ComboBox2")->currentText(), QString("3 - 2nd mid"));
    QCOMPARE(child<QComboBox>(f1, "ComboBox1")->count(), 14);
    QCOMPARE(child<QComboBox>(f1, "ComboBox1")->itemText(13), QString("13 - Multi Layer"));
    QVERIFY(child<QCheckBox>(f1, "CheckBox3")->isChecked());
    QVERIFY(child<QProgressBar>(f1, "ProgressBar1")->isHidden());
    auto* f2 = h.shell->rs274xWindow;
    QCOMPARE(child<RadioGroup>(f2, "RadioGroup1")->button(0)->text(), QString("Absoulte"));
    QCOMPARE(child<RadioGroup>(f2, "RadioGroup3")->itemIndex(), 1);
    QCOMPARE(child<SpinEdit>(f2, "SpinEdit1")->maximum(), 9);
    QCOMPARE(child<SpinEdit>(f2, "SpinEdit2")->value(), 3);
    QVERIFY(!child<QCheckBox>(h.shell->aptBuilderWindow, "CheckBox1")->isEnabled());
    QCOMPARE(child<SpinEdit>(h.shell->aptBuilderWindow, "SpinEdit3")->value(), 0);
    QVERIFY(!child<QCheckBox>(h.shell->tangoPlotWindow, "CheckBox2")->isEnabled());
    QVERIFY(!child<QCheckBox>(h.shell->tangoPlotWindow, "CheckBox21")->isEnabled());
    QVERIFY(child<QCheckBox>(h.shell->tangoPlotWindow, "CheckBox1")->isEnabled());
    QVERIFY(!h.shell->tangoPlotWindow->findChild<QObject*>("CheckBox20"));
    QVERIFY(!h.shell->tangoPlotWindow->findChild<QObject*>("CheckBox22"));
    QCOMPARE(child<SpinEdit>(h.shell->tangoPlotWindow, "SpinEdit2")->value(), 6);
    QVERIFY(!child<QPushButton>(h.shell->xlnWindow, "Button1")->isEnabled());
    QVERIFY(child<QCheckBox>(h.shell->libraryWindow, "CheckBox2")->isHidden());
    QCOMPARE(child<QLineEdit>(h.shell->qfnWindow, "Edit3")->text(), QString("Num?"));
    QCOMPARE(child<QLineEdit>(h.shell->dxfWindow, "Edit1")->text(), QString("24"));
    // the About box names the release and build that padloom-cli --version names
    const QString version = child<QLabel>(h.shell->aboutBox, "Version")->text();
    QVERIFY2(version.startsWith("Version 4.6"), qPrintable(version));
    QCOMPARE(version, QString("Version ") + common::programVersion());
}

void ShellTest::launcherLayout() {
    Harness h;
    h.start();
    Launcher* l = h.shell->launcher;
    QCOMPARE(l->pos(), QPoint(192, 114));
    QCOMPARE(child<QPushButton>(l, "Button1")->geometry().topLeft(), QPoint(8, 16));
    QCOMPARE(child<QPushButton>(l, "Button8")->geometry().topLeft(), QPoint(178, 232));
    QCOMPARE(child<QPushButton>(l, "Button5")->geometry().topLeft(), QPoint(352, 160));
    QCOMPARE(child<QPushButton>(l, "Button12")->height(), 57);
    QCOMPARE(child<QPushButton>(l, "Button1")->toolTip(),
             QString("Directly generate RS274X gerbers, NC drill files and BOMs from Protel "
                     "Autotrax .PCB files.  Replaces Traxplot."));
    QCOMPARE(child<QPushButton>(l, "Button5")->toolTip(),
             QString("Add hihlightinh information to a .PCB file to show DRC errors."));
    QPushButton* order[] = {child<QPushButton>(l, "Button1"),  child<QPushButton>(l, "Button2"),
                            child<QPushButton>(l, "Button3"),  child<QPushButton>(l, "Button4"),
                            child<QPushButton>(l, "Button5"),  child<QPushButton>(l, "Button6"),
                            child<QPushButton>(l, "Button7"),  child<QPushButton>(l, "Button8"),
                            child<QPushButton>(l, "Button9"),  child<QPushButton>(l, "Button10"),
                            child<QPushButton>(l, "Button11"), child<QPushButton>(l, "Button12")};
    for (int i = 0; i < 12; ++i) {
        QVERIFY(!order[i]->toolTip().isEmpty());
        if (i < 11) {
            QCOMPARE(order[i]->nextInFocusChain(), order[i + 1]);
        }
    }
    QCOMPARE(child<QAction>(l, "eXit1")->text(), QString("eXit"));
    QCOMPARE(child<QAction>(l, "About1")->text(), QString("About"));
}

void ShellTest::launcherButtonsOpenTheirWindows_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("window");  // empty: none
    QTest::addColumn<int>("dxfMode");     // -1: not the DXF window
    QTest::newRow("1") << "Button1"
                       << "Form6" << -1;
    QTest::newRow("2") << "Button2"
                       << "Form3" << -1;
    QTest::newRow("3") << "Button3"
                       << "" << -1;
    QTest::newRow("4") << "Button4"
                       << "Form2" << -1;
    QTest::newRow("5") << "Button5"
                       << "Form5" << -1;
    QTest::newRow("6") << "Button6"
                       << "Form1" << -1;
    QTest::newRow("7") << "Button7"
                       << "Form20" << -1;
    QTest::newRow("8") << "Button8"
                       << "Form8" << -1;
    QTest::newRow("9") << "Button9"
                       << "Form9" << -1;
    QTest::newRow("10") << "Button10"
                        << "Form10" << 0;
    QTest::newRow("11") << "Button11"
                        << "Form10" << 1;
    QTest::newRow("12") << "Button12"
                        << "Form11" << -1;
}

void ShellTest::launcherButtonsOpenTheirWindows() {
    QFETCH(QString, button);
    QFETCH(QString, window);
    QFETCH(int, dxfMode);
    Harness h;
    h.start();
    h.shell->dxfWindow->mode = dxfMode == 0 ? 1 : 0;  // the button must set it
    int modeSeen = -1;
    h.onModal = [&](QDialog& w) {
        if (&w == h.shell->dxfWindow) {
            modeSeen = h.shell->dxfWindow->mode;
        }
        return 0;
    };
    child<QPushButton>(h.shell->launcher, qPrintable(button))->click();
    if (window.isEmpty()) {
        // the MAT to APT routine runs straight from the launcher, with no window: its file
        // dialog opens at once, on the "MAT files" filter
        QVERIFY(h.shown.isEmpty());
        QVERIFY(h.boxes.isEmpty());
        QCOMPARE(h.host.transcript, std::vector<std::string>{"open|3|"});
    } else {
        QCOMPARE(h.shown, QStringList{window});
        QCOMPARE(modeSeen, dxfMode);
    }
}

void ShellTest::launcherCopiesFormatSettingsAfterTheConverterCloses() {
    Harness h;
    h.start();
    Rs274xWindow* f2 = h.shell->rs274xWindow;
    h.onModal = [&](QDialog&) {
        child<SpinEdit>(f2, "SpinEdit1")->setValue(5);
        child<SpinEdit>(f2, "SpinEdit2")
            ->edit()
            ->setText("");  // not an integer: counts as the minimum, 1
        child<RadioGroup>(f2, "RadioGroup1")->setItemIndex(1);
        child<RadioGroup>(f2, "RadioGroup2")->setItemIndex(2);
        return static_cast<int>(QDialog::Rejected);  // closed by its close box
    };
    h.shell->launcher->onRs274xClicked();
    QCOMPARE(h.shell->placementWindow->gerberFormat.digits, 5);
    QCOMPARE(h.shell->placementWindow->gerberFormat.precision, 1);
    QCOMPARE(h.shell->placementWindow->gerberFormat.mode, 1);
    QCOMPARE(h.shell->placementWindow->gerberFormat.suppression, 2);
}

void ShellTest::exclusivePairsWithTheirGuard() {
    Harness h;
    h.start();
    for (QWidget* w : {static_cast<QWidget*>(h.shell->gerberPlotWindow),
                       static_cast<QWidget*>(h.shell->tangoPlotWindow)}) {
        const std::pair<const char*, const char*> pairs[] = {{"CheckBox25", "CheckBox26"},
                                                             {"CheckBox27", "CheckBox28"}};
        for (auto [first, second] : pairs) {
            auto* a = child<QCheckBox>(w, first);
            auto* b = child<QCheckBox>(w, second);
            QVERIFY(!a->isChecked() && !b->isChecked());  // both off until one is clicked
            a->click();
            QVERIFY(a->isChecked() && !b->isChecked());
            b->click();
            QVERIFY(!a->isChecked() && b->isChecked());
            b->click();  // clicking the ticked box leaves it ticked
            QVERIFY(!a->isChecked() && b->isChecked());
        }
    }
}

void ShellTest::spinEditTextThatIsNoIntegerCountsAsMinimum() {
    Harness h;
    h.start();
    struct Case {
        SpinEdit* spin;
        QString text;
        int expected;
    };
    const Case cases[] = {
        {child<SpinEdit>(h.shell->aptBuilderWindow, "SpinEdit1"), "", 0},  // no range: 0
        {child<SpinEdit>(h.shell->aptBuilderWindow, "SpinEdit1"), "-", 0},
        {child<SpinEdit>(h.shell->aptBuilderWindow, "SpinEdit1"), "-12", -12},
        {child<SpinEdit>(h.shell->aptBuilderWindow, "SpinEdit5"), "250", 250},
        {child<SpinEdit>(h.shell->rs274xWindow, "SpinEdit1"), "", 1},  // range 1 to 9: its minimum
        {child<SpinEdit>(h.shell->rs274xWindow, "SpinEdit2"), "7", 7},
        {child<SpinEdit>(h.shell->tangoPlotWindow, "SpinEdit3"), "", 0},
    };
    for (const auto& c : cases) {
        c.spin->edit()->setText(c.text);
        QCOMPARE(c.spin->toolValue(), c.expected);
    }
    // the builder reads its enlargements by the same rule
    child<SpinEdit>(h.shell->aptBuilderWindow, "SpinEdit4")->edit()->setText("");
    QCOMPARE(h.shell->aptBuilderWindow->enlargements().plane, 0);
}

void ShellTest::dxfWindowSwitchesModeWhenShown() {
    Harness h;
    h.start();
    DxfWindow* f = h.shell->dxfWindow;
    f->mode = 1;
    f->show();
    QVERIFY(child<QFrame>(f, "Panel1")->isVisible());
    QVERIFY(!child<QPushButton>(f, "Button1")->isVisible());
    f->done(0);
    f->mode = 0;
    f->show();
    QVERIFY(!child<QFrame>(f, "Panel1")->isVisible());
    QVERIFY(child<QPushButton>(f, "Button1")->isVisible());
    f->done(0);
}

void ShellTest::xyWindowShowsNoMenu() {
    Harness h;
    h.start();
    PlacementWindow* f = h.shell->placementWindow;
    QVERIFY(f->findChild<QMenuBar*>("MainMenu1"));
    f->show();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!f->findChild<QMenuBar*>());
    f->done(0);
}

void ShellTest::f1OpensHelpAtTheWindowsContext() {
    Harness h;
    h.start();
    int context = -1;
    h.onModal = [&](QDialog& w) {
        if (auto* help = qobject_cast<HelpWindow*>(&w)) {
            context = help->context();
        }
        return 0;
    };
    const std::pair<QWidget*, int> cases[] = {{h.shell->placementWindow, 100},
                                              {h.shell->rs274xWindow, 5000},
                                              {h.shell->aptBuilderWindow, 6000}};
    for (auto [window, expected] : cases) {
        auto* f1 = window->findChild<QShortcut*>("HelpShortcut");
        QVERIFY(f1);
        QCOMPARE(f1->key(), QKeySequence(Qt::Key_F1));
        emit f1->activated();
        QCOMPARE(context, expected);
    }
    QVERIFY(h.shell->helpWindow()->browser()->toPlainText().contains("Make APT file"));
}

void ShellTest::firstRunWritesOnlyTheXyKey() {
    Harness h;
    h.start();
    h.shell.reset();  // windows never shown save nothing, even when destroyed
    QCOMPARE(h.store.keys(), std::vector<std::string>{"\\Software\\Castorvane"});
    QCOMPARE(h.store.valueNames("\\Software\\Castorvane").size(), size_t{9});
}

void ShellTest::windowsSaveByTagWhenClosedAfterShowing() {
    Harness h;
    h.start();
    GerberPlotWindow* f6 = h.shell->gerberPlotWindow;
    f6->done(0);  // never shown: nothing
    QVERIFY(!h.store.keyExists("\\Software\\Castorvane-6"));

    child<QCheckBox>(f6, "CheckBox24")->setChecked(true);  // "Board Layer" to plot: tag 23
    child<QCheckBox>(f6, "CheckBox23")
        ->setChecked(false);  // "Thermals on external layers": not kept
    f6->show();
    f6->close();
    const std::string k6 = "\\Software\\Castorvane-6";
    QCOMPARE(h.store.readInt(k6, "CheckBox23"), std::optional<int>(1));
    QCOMPARE(h.store.readInt(k6, "CheckBox18"), std::optional<int>(1));
    QCOMPARE(h.store.readInt(k6, "CheckBox15"), std::optional<int>(0));  // "Top Paste mask"
    QCOMPARE(h.store.valueNames(k6).size(), size_t{27 + 2 + 2});  // "GerberX2", "NoMacros"
    QCOMPARE(h.store.readInt(k6, "GerberX2"), std::optional<int>(0));
    QCOMPARE(h.store.readInt(k6, "NoMacros"), std::optional<int>(0));

    AptBuilderWindow* f3 = h.shell->aptBuilderWindow;
    child<SpinEdit>(f3, "SpinEdit3")->setValue(4);  // "Paste mask enlarement", tag 2
    f3->show();
    f3->done(0);
    const std::vector<std::string> names3 = h.store.valueNames("\\Software\\Castorvane-3");
    QCOMPARE(names3, (std::vector<std::string>{"CheckBox1", "Spinedit1", "Spinedit2", "Spinedit3",
                                               "Spinedit4", "Spinedit5", "FormX", "FormY"}));
    QCOMPARE(h.store.readInt("\\Software\\Castorvane-3", "SpinEdit2"), std::optional<int>(4));

    child<SpinEdit>(h.shell->tangoPlotWindow, "SpinEdit3")->setValue(1250);
    h.shell->tangoPlotWindow->show();
    h.shell->tangoPlotWindow->done(0);
    QCOMPARE(h.store.readInt("\\Software\\Castorvane-9", "SE3"), std::optional<int>(1250));
    QVERIFY(!h.store.readInt("\\Software\\Castorvane-9", "CheckBox20"));

    h.shell->rs274xWindow->show();
    h.shell->rs274xWindow->done(0);
    QCOMPARE(h.store.readInt("\\Software\\Castorvane-2", "RadioGroup5"), std::optional<int>(1));

    // the X/Y window keeps the stored folder when no file was chosen in the shared dialog
    h.store.writeText("\\Software\\Castorvane", "DIRECTORY", "/kept/");
    h.shell->placementWindow->show();
    h.shell->placementWindow->done(0);
    QCOMPARE(h.store.value("\\Software\\Castorvane", "DIRECTORY"),
             std::optional<shell::StoredValue>(std::string("/kept/")));

    // windows that keep nothing write nothing
    for (QDialog* w :
         {static_cast<QDialog*>(h.shell->drcWindow), static_cast<QDialog*>(h.shell->xlnWindow),
          static_cast<QDialog*>(h.shell->dxfWindow), static_cast<QDialog*>(h.shell->qfnWindow)}) {
        w->show();
        w->done(0);
    }
    QCOMPARE(h.store.keys().size(), size_t{5});
}

void ShellTest::storedSettingsAreRestoredAtStartup() {
    Harness h;
    h.store.writeInt("\\Software\\Castorvane-2", "SpinEdit1", 12);
    h.store.writeInt("\\Software\\Castorvane-2", "RadioGroup6", 2);  // "Units": tag 6
    h.store.writeInt("\\Software\\Castorvane-3", "SpinEdit3", 11);   // written by an older save
    h.store.writeInt("\\Software\\Castorvane-3", "spinedit2", 3);
    h.store.writeInt("\\Software\\Castorvane-6", "CheckBox23", 1);
    h.store.writeInt("\\Software\\Castorvane-6", "CheckBox18", 0);
    h.store.writeInt("\\Software\\Castorvane-6", "CheckBox41", 1);
    h.store.writeInt("\\Software\\Castorvane-6", "FormX", 3000);
    h.store.writeInt("\\Software\\Castorvane-7", "FormX", 40);
    h.store.writeInt("\\Software\\Castorvane-7", "FormY", 50);
    h.store.writeInt("\\Software\\Castorvane-9", "SE1", -3);
    h.store.writeText("\\Software\\Castorvane", "DIRECTORY", "/boards/");
    h.store.writeInt("\\Software\\Castorvane", "TopLeg", 8);
    for (const char* n :
         {"BotLeg", "TopFill", "BotFill", "Digits", "Precision", "Mode", "Suppression"}) {
        h.store.writeInt("\\Software\\Castorvane", n, 1);
    }
    h.start();
    QVERIFY(h.boxes.isEmpty());
    QCOMPARE(child<SpinEdit>(h.shell->rs274xWindow, "SpinEdit1")->value(), 9);
    QCOMPARE(child<RadioGroup>(h.shell->rs274xWindow, "RadioGroup4")->itemIndex(),
             1);  // limited to its items
    QCOMPARE(child<SpinEdit>(h.shell->aptBuilderWindow, "SpinEdit4")->value(), 11);
    QCOMPARE(child<SpinEdit>(h.shell->aptBuilderWindow, "SpinEdit3")->value(), 3);
    QVERIFY(child<QCheckBox>(h.shell->gerberPlotWindow, "CheckBox24")->isChecked());
    QVERIFY(!child<QCheckBox>(h.shell->gerberPlotWindow, "CheckBox23")->isChecked());
    QVERIFY(!child<QCheckBox>(h.shell->gerberPlotWindow, "CheckBox15")->isChecked());
    QVERIFY(child<QCheckBox>(h.shell->gerberPlotWindow, "CheckBox26")->isChecked());
    QCOMPARE(h.shell->gerberPlotWindow->x(), 3000);
    QCOMPARE(h.shell->launcher->pos(), QPoint(40, 50));
    QCOMPARE(child<SpinEdit>(h.shell->tangoPlotWindow, "SpinEdit1")->value(), -3);
    QCOMPARE(h.shell->placementWindow->openDialog().initialDir, QString("/boards/"));
    QCOMPARE(child<QComboBox>(h.shell->placementWindow, "ComboBox1")->currentIndex(), 8);
    QCOMPARE(h.shell->placementWindow->gerberFormat.precision, 1);
}

void ShellTest::exitSavesNothingButClosingSavesThePosition() {
    Harness h;
    h.start();
    h.shell->gerberPlotWindow->show();  // still open at the end: saves nothing
    h.shell->launcher->onExitTriggered();
    QVERIFY(!h.store.keyExists("\\Software\\Castorvane-7"));
    h.shell->gerberPlotWindow->hide();
    QVERIFY(!h.store.keyExists("\\Software\\Castorvane-6"));

    h.shell->launcher->move(300, 200);
    h.shell->launcher->show();
    h.shell->launcher->close();
    QCOMPARE(h.store.readInt("\\Software\\Castorvane-7", "FormX"), std::optional<int>(300));
    QCOMPARE(h.store.readInt("\\Software\\Castorvane-7", "FormY"), std::optional<int>(200));
}

void ShellTest::xyWindowReportsDamagedSettings() {
    Harness h;
    {
        shell::PlacementSettings s;
        shell::readSettings(h.store, s);
    }
    h.store.removeValue("\\Software\\Castorvane", "TopFill");
    h.store.writeText("\\Software\\Castorvane", "Digits", "two");
    h.store.writeInt("\\Software\\Castorvane", "BotFill", 5);
    h.start();
    QCOMPARE(h.boxes,
             (QStringList{"Failed to get data for 'TopFill'", "Invalid data type for 'Digits'"}));
    QCOMPARE(child<QComboBox>(h.shell->placementWindow, "ComboBox3")->currentIndex(), 1);
    QCOMPARE(child<QComboBox>(h.shell->placementWindow, "ComboBox4")->currentIndex(), 5);
    QCOMPARE(h.shell->placementWindow->gerberFormat.digits, 2);
}

void ShellTest::plotRunStopsSilentlyWithoutApertureFile() {
    Harness h;
    h.start();
    h.shell->runValues.extents.add(5, 5);
    h.shell->runValues.aptMade = true;  // left from an earlier run
    bool plotModeSeen = false;
    h.onModal = [&](QDialog& w) {
        if (&w == h.shell->aptBuilderWindow) {
            plotModeSeen = h.shell->aptBuilderWindow->plotMode;
            h.shell->aptBuilderWindow
                ->onMakeAptClicked();  // the user presses "Make APT file" and gives up
        }
        return 0;
    };
    const QString memo = child<QPlainTextEdit>(h.shell->gerberPlotWindow, "Memo1")->toPlainText();
    h.shell->gerberPlotWindow->onPlotClicked();
    QCOMPARE(h.shown, QStringList{"Form3"});
    QVERIFY(plotModeSeen);
    QVERIFY(!h.shell->aptBuilderWindow->plotMode);
    QVERIFY(!h.shell->runValues.aptMade);
    QCOMPARE(h.shell->runValues.extents.minX, 1000000);
    QCOMPARE(h.shell->runValues.extents.maxY, -1);
    QVERIFY(h.host.lines.empty());
    QCOMPARE(child<QPlainTextEdit>(h.shell->gerberPlotWindow, "Memo1")->toPlainText(), memo);
}

void ShellTest::plotRunGoesOnWhenTheApertureFileWasMade() {
    Harness h;
    h.start();
    child<SpinEdit>(h.shell->aptBuilderWindow, "SpinEdit4")->setValue(9);
    h.onModal = [&](QDialog&) {
        h.shell->runValues.aptMade = true;
        return 0;
    };
    h.shell->gerberPlotWindow
        ->onPlotClicked();  // nothing may escape the slot, whatever the run does
    QCOMPARE(h.shell->runValues.enlargements.plane, 9);
    QCOMPARE(h.shell->runValues.enlargements.solderMask, 6);
    QVERIFY(h.boxes.isEmpty());  // nothing ticked: only the names, dimensions and "Done"
    QCOMPARE(h.host.lines.back(), std::string("Done"));

    plot::PlotOptions o = h.shell->gerberPlotWindow->plotOptions();
    QVERIFY(o.includeBoardLayer);
    QVERIFY(!o.layers[17]);
    QVERIFY(o.compareText);
    QCOMPARE(o.compareText("abc", "ABC"), 0);
    QVERIFY(o.compareText("r10", "R2") < 0);  // not numeric
    child<QCheckBox>(h.shell->gerberPlotWindow, "CheckBox24")->setChecked(true);
    child<QCheckBox>(h.shell->gerberPlotWindow, "CheckBox28")->click();
    child<QCheckBox>(h.shell->gerberPlotWindow, "CheckBox26")->click();
    QVERIFY(!o.noMacros);
    child<QCheckBox>(h.shell->gerberPlotWindow, "NoMacrosBox")->click();
    o = h.shell->gerberPlotWindow->plotOptions();
    QVERIFY(o.layers[17]);
    QVERIFY(o.fillMode == plot::FillMode::Flash);
    QVERIFY(o.drillFormat24);
    QVERIFY(o.noMacros);
}

void ShellTest::builderShowsItsInstructionsOncePerShowing() {
    Harness h;
    h.start();
    AptBuilderWindow* f3 = h.shell->aptBuilderWindow;
    child<QCheckBox>(h.shell->gerberPlotWindow, "CheckBox28")->click();  // "D3 flash"
    const std::string instructions =
        "info|Set the desired spacing for mask and plane layers.\n\r"
        "Click of the \"Make APT file\" button.\n\r"
        "Select the PCB file to be plotted.\n\r"
        "Close this form when \"done\" is displayed.";
    f3->plotMode = true;
    f3->show();
    QTRY_COMPARE(h.host.transcript.size(), size_t{1});
    QCOMPARE(h.host.transcript[0], instructions);
    QVERIFY(child<QCheckBox>(f3, "CheckBox1")->isChecked());
    f3->activateWindow();
    QTest::qWait(20);
    QCOMPARE(h.host.transcript.size(), size_t{1});
    f3->done(0);
    f3->show();
    QTRY_COMPARE(h.host.transcript.size(), size_t{2});
    f3->done(0);

    // outside plot mode: nothing is shown and the box keeps its state
    f3->plotMode = false;
    child<QCheckBox>(h.shell->gerberPlotWindow, "CheckBox27")->click();
    f3->show();
    QTest::qWait(20);
    QCOMPARE(h.host.transcript.size(), size_t{2});
    QVERIFY(child<QCheckBox>(f3, "CheckBox1")->isChecked());
    f3->done(0);
}

// Tick layers, press Plot, make the aperture file in the builder window, and get the files.
void ShellTest::plotRunEndToEnd() {
    QTemporaryDir dir;
    const QString board = dir.filePath("demo.pcb");
    QVERIFY(QFile::copy(QString(PADLOOM_SOURCE_DIR) + "/examples/demo.pcb", board));
    Harness h;
    h.start();
    GerberPlotWindow* f6 = h.shell->gerberPlotWindow;
    child<QCheckBox>(f6, "CheckBox1")->setChecked(true);   // Top Copper
    child<QCheckBox>(f6, "CheckBox11")->setChecked(true);  // Top Solder mask
    child<QCheckBox>(f6, "CheckBox17")->setChecked(true);  // NC Drill
    child<QCheckBox>(f6, "CheckBox21")->setChecked(true);  // BOM
    h.onModal = [&](QDialog& w) {
        if (&w == h.shell->aptBuilderWindow) {
            h.host.openAnswers.push_back({board.toStdString()});
            h.shell->aptBuilderWindow->onMakeAptClicked();
        }
        return 0;
    };
    f6->onPlotClicked();
    QCOMPARE(h.shown, QStringList{"Form3"});
    QVERIFY(h.boxes.isEmpty());
    for (const char* ext : {"APT", "TOL", "GTL", "GTS", "TXT", "csv"}) {
        QVERIFY2(QFile::exists(dir.filePath(QString("demo.") + ext)), ext);
    }
    QVERIFY(!QFile::exists(dir.filePath("demo.GBL")));
    const std::string base = dir.filePath("demo").toStdString();
    const auto& lines = h.host.lines;
    QVERIFY(lines.size() >= 9);
    QCOMPARE(lines[0], board.toStdString());
    QCOMPARE(lines[1], base + ".APT");
    QCOMPARE(lines[2], base);
    QVERIFY(lines[3].rfind("Dimentions are: ", 0) == 0);
    QCOMPARE(lines[4], std::string(".GTL"));
    QCOMPARE(lines[5], std::string(".GTS"));
    QCOMPARE(lines[6], std::string("NC Drill"));
    QCOMPARE(lines.back(), std::string("Done"));
    QCOMPARE(lines[lines.size() - 3], std::string("BOM"));
    // the layers left unticked that the board has copper, planes or mask openings for are
    // named last; the boxes stay as they were
    QCOMPARE(lines[lines.size() - 2],
             std::string("The board has objects on layers that are not ticked, so they are not "
                         "plotted: Bottom copper (.GBL), Bottom solder mask (.GBS), Ground plane "
                         "(.GGD), Power plane (.GPW), Top paste mask (.GTP), Bottom paste mask "
                         "(.GBP)"));
    QVERIFY(!child<QCheckBox>(f6, "CheckBox6")->isChecked());
}

// "Enable" reaches the aperture builder (which marks the pour layers) and "Thermals on external
// layers" the plot: the pour example gets its pour blocks and its spokes, and neither without.
void ShellTest::pourGroupReachesTheBuilderAndThePlot() {
    QTemporaryDir dir;
    const QString board = dir.filePath("pours.pcb");
    QVERIFY(QFile::copy(QString(PADLOOM_SOURCE_DIR) + "/examples/pours.pcb", board));
    Harness h;
    h.start();
    GerberPlotWindow* window = h.shell->gerberPlotWindow;
    child<QCheckBox>(window, "CheckBox1")->setChecked(true);  // Top Copper
    h.onModal = [&](QDialog& w) {
        if (&w == h.shell->aptBuilderWindow) {
            h.host.openAnswers.push_back({board.toStdString()});
            if (QFile::exists(dir.filePath("pours.APT"))) {
                h.host.yesNoAnswers.push_back(true);  // replace the last run's aperture file
            }
            h.shell->aptBuilderWindow->onMakeAptClicked();
        }
        return 0;
    };
    auto plotTopCopper = [&] {
        window->onPlotClicked();
        QFile file(dir.filePath("pours.GTL"));
        file.open(QIODevice::ReadOnly);
        return QString::fromLatin1(file.readAll());
    };
    // the D-code of the outer relief of the 60-mil round pads, selected in the copper block
    auto spokes = [](const QString& gtl) {
        auto m = QRegularExpression("%ADD(\\d+)THERM_EXT_ROUND60\\*%").match(gtl);
        return m.hasMatch() && gtl.indexOf("\r\nD" + m.captured(1) + "*\r\n") > 0;
    };
    child<QCheckBox>(window, "CheckBox20")->setChecked(true);  // Enable
    child<QCheckBox>(window, "CheckBox23")->setChecked(true);  // Thermals on external layers
    QString gtl = plotTopCopper();
    QCOMPARE(gtl.count("%LN"), 3);
    QVERIFY(spokes(gtl));
    QCOMPARE(h.host.lines.back(), std::string("Done"));

    child<QCheckBox>(window, "CheckBox20")->setChecked(false);
    child<QCheckBox>(window, "CheckBox23")->setChecked(false);
    gtl = plotTopCopper();
    QCOMPARE(gtl.count("%LN"), 0);
    QVERIFY(!spokes(gtl));
    QVERIFY(h.boxes.isEmpty());
}

QTEST_MAIN(ShellTest)
#include "shell_test.moc"
