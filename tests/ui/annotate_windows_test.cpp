#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "annotate/ui/drc_window.h"
#include "annotate/ui/placement_window.h"
#include "common/scripted_host.h"
#include "shell/settings_store.h"
#include "shell/ui/controls.h"
#include "shell/ui/launcher.h"
#include "shell/ui/shell.h"

using namespace padloom;
using namespace padloom::ui;

namespace {

/// A shell whose modal windows and hosts are scripted: a launcher button shows its window,
/// `onModal` works its controls, and the tool asks the ScriptedHost.
struct Harness {
    shell::MemorySettingsStore store;
    common::ScriptedHost host;
    QStringList shown;
    QStringList boxes;
    std::function<void(QDialog&)> onModal;
    std::unique_ptr<Shell> shell;

    Harness() {
        ShellHooks hooks;
        hooks.showModal = [this](QDialog& w) {
            shown << w.objectName();
            if (onModal) {
                onModal(w);
            }
            return 0;
        };
        hooks.makeHost = [this](const HostBinding&) {
            return std::make_unique<common::ForwardingHost>(host);
        };
        hooks.showBox = [this](QWidget*, common::Box, const QString& text) { boxes << text; };
        shell = std::make_unique<Shell>(store, std::move(hooks));
    }
    void press(QWidget* window, const char* button) {
        auto* b = window->findChild<QPushButton*>(button);
        QVERIFY(b);
        b->click();
    }
};

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

const char* const kBoard =
    "PCB FILE 4\r\nFT\r\n0 0 4000 3000 10 11\r\nCOMP\r\nU1\r\nSO8\r\nX\r\n0 0 60 0 8 7\r\n"
    "0 0 60 0 8 7\r\n0 0 1 2 0\r\nCP\r\n1000 2000 60 60 1 0 1 1\r\n1\r\nCP\r\n"
    "1200 2000 60 60 1 0 1 1\r\n2\r\nCT\r\n900 1900 1300 1900 8 8\r\nENDCOMP\r\nENDPCB\r\n";

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace

class AnnotateWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void placementFromTheLauncher();
    void drcWindowBothModes();
};

// ".PCB --> X/Y locations": the window's layer and option controls reach the file, the size
// labels show the board, and the file is opened in the viewer while "Open notepad" is ticked.
void AnnotateWindowsTest::placementFromTheLauncher() {
    QTemporaryDir dir;
    const QString board = dir.filePath("b.pcb");
    writeFile(board, kBoard);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Harness h;
    PlacementWindow* w = h.shell->placementWindow;
    h.onModal = [&](QDialog& shown) {
        QCOMPARE(&shown, static_cast<QDialog*>(w));
        w->findChild<QComboBox*>("ComboBox2")->setCurrentIndex(8);  // bottom overlay
        w->findChild<QCheckBox*>("CheckBox4")->setChecked(true);    // "Sort Results"
        h.host.openAnswers.push_back({board.toStdString()});
        h.press(w, "Button1");
    };
    h.press(h.shell->launcher, "Button6");
    QCOMPARE(h.shown, QStringList{"Form1"});
    QCOMPARE(readAll(dir.filePath("b.UCM")),
             QByteArray("corners at 0.000, 0.000 x 4.000, 3.000\r\n"
                        "Component ID, x position, y position, Side, Rotation\r\n"
                        "U1\t2,900\t2,000\tB\t180\r\n"));
    QCOMPARE(w->findChild<QLabel*>("Label3")->text(), QString("x = 4,000"));
    QCOMPARE(w->findChild<QLabel*>("Label4")->text(), QString("y = 3,000"));
    const std::vector<std::string> expected = {"open|1|",
                                               "status|pass 1.  Computing board size.",
                                               "status|pass 2.  Computing component centers.",
                                               "status|Sorting.                          ",
                                               "status|Ready",
                                               "view|" + dir.filePath("b.UCM").toStdString()};
    QCOMPARE(h.host.transcript, expected);

    // comma-delimited with "." whatever the locale; no viewer with "Open notepad" unticked
    h.host.transcript.clear();
    h.onModal = [&](QDialog&) {
        w->findChild<QCheckBox*>("CheckBox2")->setChecked(true);
        w->findChild<QCheckBox*>("CheckBox3")->setChecked(false);
        h.host.openAnswers.push_back({board.toStdString()});
        h.press(w, "Button1");
    };
    h.press(h.shell->launcher, "Button6");
    QVERIFY(readAll(dir.filePath("b.UCM")).endsWith("U1,2.900,2.000,B,180\r\n"));
    QCOMPARE(h.host.transcript.back(), std::string("status|Ready"));
    QVERIFY(h.boxes.isEmpty());
    QLocale::setDefault(QLocale::c());

    // a board that cannot be read: an error box naming it; a cancelled dialog: nothing at all
    h.onModal = [&](QDialog&) {
        h.host.openAnswers.push_back({dir.filePath("missing.pcb").toStdString()});
        h.press(w, "Button1");
    };
    h.press(h.shell->launcher, "Button6");
    QCOMPARE(h.boxes.size(), 1);
    QVERIFY(h.boxes[0].contains("missing.pcb"));
    h.host.transcript.clear();
    h.onModal = [&](QDialog&) { h.press(w, "Button1"); };
    h.press(h.shell->launcher, "Button6");
    QCOMPARE(h.host.transcript, std::vector<std::string>{"open|1|"});
}

// "DRC --> .PCB": the first mode writes a board of the highlights, the second a copy of the
// chosen board with them.
void AnnotateWindowsTest::drcWindowBothModes() {
    QTemporaryDir dir;
    const QString report = dir.filePath("r.drc");
    const QString board = dir.filePath("b.pcb");
    writeFile(report, "Clearance Error\r\nPad (1000,2000)\r\nTrack (1100,1500 1100,2500)\r\n");
    writeFile(board, kBoard);
    const QByteArray records =
        "FA\r\n1000 2000 50 15 30 12\r\nFT\r\n1100 1500 1100 2500 30 12 1\r\nENDPCB\r\n";
    Harness h;
    DrcWindow* w = h.shell->drcWindow;
    auto* mode = w->findChild<RadioGroup*>("RadioGroup1");
    QVERIFY(mode);
    QCOMPARE(mode->itemIndex(), 0);
    h.onModal = [&](QDialog&) {
        h.host.openAnswers.push_back({report.toStdString()});
        h.host.saveAnswers.push_back(dir.filePath("error.pcb").toStdString());
        h.press(w, "Button1");
    };
    h.press(h.shell->launcher, "Button5");
    QCOMPARE(readAll(dir.filePath("error.pcb")), "PCB FILE 4\r\n" + records);

    h.onModal = [&](QDialog&) {
        mode->button(1)->click();
        h.host.openAnswers.push_back({report.toStdString()});
        h.host.openAnswers.push_back({board.toStdString()});
        h.host.saveAnswers.push_back(dir.filePath("new.pcb").toStdString());
        h.press(w, "Button1");
    };
    h.press(h.shell->launcher, "Button5");
    QByteArray copy(kBoard);
    copy.chop(8);
    QCOMPARE(readAll(dir.filePath("new.pcb")), copy + records);
    const std::vector<std::string> expected = {
        "open|1|Select DRC file", "save|1|", "plain|Done", "open|1|Select DRC file",
        "open|2|Select PCB file", "save|1|", "plain|Done"};
    QCOMPARE(h.host.transcript, expected);
    QCOMPARE(h.shown, (QStringList{"Form5", "Form5"}));
    QVERIFY(h.boxes.isEmpty());
}

QTEST_MAIN(AnnotateWindowsTest)
#include "annotate_windows_test.moc"
