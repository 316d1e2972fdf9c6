// The TANGO plot window offscreen: a plot run from its controls, the boxes it shows disabled,
// and runs that end without output.
#include <memory>

#include <QCheckBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "common/scripted_host.h"
#include "shell/settings_store.h"
#include "shell/ui/controls.h"
#include "shell/ui/shell.h"
#include "tango/ui/tango_plot_window.h"

using namespace padloom;
using namespace padloom::ui;

namespace {

/// A shell whose hosts answer from a script and whose own boxes are recorded.
struct Harness {
    shell::MemorySettingsStore store;
    common::ScriptedHost host;
    HostBinding binding;  // what the last host was bound to
    QStringList boxes;
    std::unique_ptr<Shell> shell;
    QTemporaryDir dir;

    void start() {
        ShellHooks hooks;
        hooks.showModal = [](QDialog&) { return 0; };
        hooks.makeHost = [this](const HostBinding& b) {
            binding = b;
            return std::make_unique<common::ForwardingHost>(host);
        };
        hooks.showBox = [this](QWidget*, common::Box, const QString& text) { boxes << text; };
        shell = std::make_unique<Shell>(store, std::move(hooks));
    }
    TangoPlotWindow* window() const { return shell->tangoPlotWindow; }
    QCheckBox* box(const char* name) const { return window()->findChild<QCheckBox*>(name); }
    SpinEdit* spin(const char* name) const { return window()->findChild<SpinEdit*>(name); }
    void plot() { window()->findChild<QPushButton*>("Button1")->click(); }
    // The example board copied into the test folder.
    std::string example() const {
        const QString path = dir.filePath("DEMO.PCB");
        QFile::copy(QString(PADLOOM_SOURCE_DIR) + "/examples/tango/DEMO.PCB", path);
        return path.toStdString();
    }
    bool written(const char* suffix) const {
        return QFile::exists(dir.filePath(QString("DEMO.OUT") + suffix));
    }
    QByteArray output(const char* suffix) const {
        QFile f(dir.filePath(QString("DEMO.OUT") + suffix));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
};

}  // namespace

class TangoWindowTest : public QObject {
    Q_OBJECT
private slots:
    void plotFromTheWindow();
    void disabledBoxesTickedThroughStoredSettings();
    void runsThatEndWithoutOutput();
    void x2BoxIsKeptByNameAndMakesFilesSayWhatTheyAre();
};

void TangoWindowTest::plotFromTheWindow() {
    Harness h;
    h.start();
    h.box("CheckBox1")->click();   // Top Copper
    h.box("CheckBox11")->click();  // Top Solder mask
    h.box("CheckBox17")->click();  // NC Drill
    h.box("CheckBox26")->click();  // "2,4"
    h.spin("SpinEdit1")->setValue(10);
    h.spin("SpinEdit3")->setValue(1250);
    const std::string board = h.example();
    h.host.openAnswers.push_back({board});
    h.plot();

    QVERIFY(h.boxes.isEmpty());
    QCOMPARE(h.binding.window, static_cast<QWidget*>(h.window()));
    QCOMPARE(h.binding.memo, h.window()->findChild<QPlainTextEdit*>("Memo1"));
    QVERIFY(h.binding.openDialog);
    const std::string base = h.dir.filePath("DEMO.OUT").toStdString();
    const auto& lines = h.host.lines;
    QVERIFY(lines.size() > 8);
    QCOMPARE(lines[0], board);
    QCOMPARE(lines[1], h.dir.filePath("DEMO.APT").toStdString());
    QCOMPARE(lines[2], base);
    QCOMPARE(lines[3], std::string());
    QCOMPARE(lines[4], std::string("Dimentions are: 0 0, 3000, 2000"));
    QCOMPARE(lines[5], std::string(".GTL"));
    QCOMPARE(lines[6], std::string(".GTS"));
    QCOMPARE(lines[7], std::string("NC Drill"));
    QCOMPARE(lines.back(), std::string("Done"));

    QVERIFY(h.written(".GTL") && h.written(".GTS") && h.written(".TXT"));
    QVERIFY(!h.written(".GBL"));
    QVERIFY(h.output(".GTL").contains("%ADD20C,1.250*%"));
    QVERIFY(h.output(".GTS").contains("C,.070*%"));            // 60 mils + 10
    QVERIFY(h.output(".TXT").contains("X004000Y006000\r\n"));  // 2,4 form
}

void TangoWindowTest::disabledBoxesTickedThroughStoredSettings() {
    Harness h;
    for (const char* name : {"CheckBox2", "CheckBox13", "CheckBox21"}) {  // Mid 1, Ground, BOM
        h.store.writeInt("\\Software\\Castorvane-9", name, 1);
    }
    h.start();
    for (const char* name : {"CheckBox2", "CheckBox13", "CheckBox21"}) {
        QVERIFY(!h.box(name)->isEnabled());
        QVERIFY(h.box(name)->isChecked());
    }
    h.host.openAnswers.push_back({h.example()});
    h.plot();
    // a mid layer holds the all-layer pads and vias; no plane file and no BOM is written
    QVERIFY(h.written(".GM1"));
    QVERIFY(h.output(".GM1").contains("D02*X1200Y800*D03*"));
    QVERIFY(!h.written(".GGD"));
    QVERIFY(!QFile::exists(h.dir.filePath("DEMO.OUT.csv")));
    const auto& lines = h.host.lines;
    QVERIFY(std::find(lines.begin(), lines.end(),
                      ".GGD not written: a TANGO board has no plane layers") != lines.end());
    QVERIFY(std::find(lines.begin(), lines.end(),
                      "BOM not written: a TANGO board has no component list") != lines.end());
}

void TangoWindowTest::x2BoxIsKeptByNameAndMakesFilesSayWhatTheyAre() {
    Harness h;
    h.store.writeInt("\\Software\\Castorvane-9", "gerberx2", 1);  // names match in any case
    h.start();
    auto* x2 = h.window()->findChild<QCheckBox*>("GerberX2Box");
    QVERIFY(x2);
    QVERIFY(x2->isChecked());
    QCOMPARE(x2->text(), QString("Gerber X2 attributes"));
    h.box("CheckBox1")->click();   // Top Copper
    h.box("CheckBox17")->click();  // NC Drill
    h.host.openAnswers.push_back({h.example()});
    h.plot();
    QVERIFY(h.output(".GTL").contains("G04 #@! TF.FileFunction,Copper,L1,Top*\r\n"));
    QVERIFY(h.output(".TXT").contains("; #@! TF.FileFunction,Plated,1,2,PTH\r\n"));
    QVERIFY(h.written(".gbrjob"));

    x2->setChecked(false);
    auto* noMacros = h.window()->findChild<QCheckBox*>("NoMacrosBox");
    QVERIFY(noMacros);
    QVERIFY(!noMacros->isChecked());
    noMacros->click();
    QVERIFY(h.window()->plotOptions().noMacros);
    h.window()->show();
    h.window()->close();
    QCOMPARE(h.store.readInt("\\Software\\Castorvane-9", "GerberX2"), std::optional<int>(0));
    QCOMPARE(h.store.readInt("\\Software\\Castorvane-9", "NoMacros"), std::optional<int>(1));
}

void TangoWindowTest::runsThatEndWithoutOutput() {
    Harness h;
    h.start();
    h.box("CheckBox1")->click();
    h.plot();  // the open dialog cancelled
    QVERIFY(h.host.lines.empty());
    QVERIFY(h.boxes.isEmpty());

    const QString missing = h.dir.filePath("MISSING.PCB");
    h.host.openAnswers.push_back({missing.toStdString()});
    h.plot();  // a file that cannot be read: the error box names it
    QCOMPARE(h.boxes.size(), 1);
    QVERIFY(h.boxes[0].contains(missing));
    QVERIFY(h.host.lines.back() != "Done");

    QFile bad(h.dir.filePath("BAD.PCB"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("COMP U1 x 0 0 0 0 0 0 0 0 0 5000\r\n");
    bad.close();
    h.host.openAnswers.push_back({bad.fileName().toStdString()});
    h.plot();  // refused: an error message naming the line, and no file
    QVERIFY(h.host.transcript.back().starts_with("error|" + bad.fileName().toStdString() +
                                                 ": line 1: the component number 5000"));
    QVERIFY(!QFile::exists(h.dir.filePath("BAD.OUT.GTL")));
}

QTEST_MAIN(TangoWindowTest)
#include "tango_window_test.moc"
