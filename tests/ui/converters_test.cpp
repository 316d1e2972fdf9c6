// The three converters from the launcher, offscreen: MAT to APT through the X/Y window's status
// label and progress bar, the RS274D to RS274X window and the TXT+TOL to XLN window. Dialogs and
// boxes are answered by a script; message lines, status and progress go to the real controls.
#include <memory>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "annotate/ui/placement_window.h"
#include "common/scripted_host.h"
#include "convert/ui/rs274x_window.h"
#include "shell/settings_store.h"
#include "shell/ui/controls.h"
#include "shell/ui/launcher.h"
#include "shell/ui/qt_host.h"
#include "shell/ui/shell.h"
#include "tools/ui/xln_window.h"

using namespace padloom;
using namespace padloom::ui;

namespace {

/// Dialogs and boxes from the script; message list, status label and progress bar are the
/// window's own, through the desktop Host bound to them.
class BoundHost : public common::Host {
public:
    BoundHost(common::ScriptedHost& script, const HostBinding& binding, QString& statusSeen)
        : m_script(script), m_real(binding), m_binding(binding), m_statusSeen(statusSeen) {}
    std::vector<std::string> askOpen(const common::FileAsk& a) override {
        return m_script.askOpen(a);
    }
    std::optional<std::string> askSave(const common::FileAsk& a) override {
        return m_script.askSave(a);
    }
    bool askYesNo(std::string_view t, common::Place p) override {
        if (m_binding.status) {
            m_statusSeen = m_binding.status->text();  // what the label says while asking
        }
        return m_script.askYesNo(t, p);
    }
    void show(common::Box b, std::string_view t, common::Place p) override {
        m_script.show(b, t, p);
    }
    std::optional<std::string> askLine(std::string_view c, std::string_view p,
                                       std::string_view i) override {
        return m_script.askLine(c, p, i);
    }
    void addLine(std::string_view t) override {
        m_script.addLine(t);
        m_real.addLine(t);
    }
    void setStatus(std::string_view t) override {
        m_script.setStatus(t);
        m_real.setStatus(t);
    }
    void setProgress(int p) override { m_real.setProgress(p); }
    void letMessagesRun() override {}
    void beep() override {}
    void openInViewer(const std::string& p) override { m_script.openInViewer(p); }

private:
    common::ScriptedHost& m_script;
    QtHost m_real;
    HostBinding m_binding;
    QString& m_statusSeen;
};

struct Harness {
    shell::MemorySettingsStore store;
    common::ScriptedHost host;
    QString statusSeen;
    QStringList boxes;  // the shell's own boxes: file errors
    std::function<void(QDialog&)> onModal;
    std::unique_ptr<Shell> shell;

    Harness() {
        ShellHooks hooks;
        hooks.showModal = [this](QDialog& w) {
            if (onModal) {
                onModal(w);
            }
            return 0;
        };
        hooks.makeHost = [this](const HostBinding& b) {
            return std::make_unique<BoundHost>(host, b, statusSeen);
        };
        hooks.showBox = [this](QWidget*, common::Box, const QString& text) { boxes << text; };
        shell = std::make_unique<Shell>(store, std::move(hooks));
    }
    void click(QWidget* window, const char* button) {
        auto* b = window->findChild<QPushButton*>(button);
        QVERIFY2(b, button);
        b->click();
    }
};

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile f(dir.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return f.fileName();
}

QByteArray read(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

}  // namespace

class ConvertersTest : public QObject {
    Q_OBJECT
private slots:
    void matToAptFromTheLauncher();
    void rs274xWindowFromTheLauncher();
    void rs274xWindowNeedsItsSources();
    void xlnWindowFromTheLauncher();
};

void ConvertersTest::matToAptFromTheLauncher() {
    QTemporaryDir dir;
    const QString matrix = write(dir, "board.mat", "B: D11 ROUND 5 X\r\nA: D10 ROUND 3 X\r\n");
    write(dir, "board.APT", "old");
    Harness h;
    PlacementWindow* xy = h.shell->placementWindow;
    auto* label = xy->findChild<QLabel*>("Label2");
    auto* progress = xy->findChild<QProgressBar*>("ProgressBar1");
    h.host.openAnswers.push_back({matrix.toStdString()});
    h.host.yesNoAnswers.push_back(true);
    h.click(h.shell->launcher, "Button3");

    QCOMPARE(read(dir.filePath("board.APT")),
             QByteArray("D10 ROUND 3 X\tA\r\nD11 ROUND 5 X\tB\r\n"));
    QVERIFY(h.boxes.isEmpty());
    QCOMPARE(h.statusSeen, QString("pass 1.  Reading MAT file."));
    QCOMPARE(label->text(), QString("Ready"));
    QVERIFY(progress->isHidden());
    // "Open notepad" is ticked by default
    QCOMPARE(h.host.viewed, std::vector<std::string>{dir.filePath("board.APT").toStdString()});

    // unticked, the viewer stays shut; a matrix named like its output is refused
    xy->findChild<QCheckBox*>("CheckBox3")->setChecked(false);
    const QString apt = write(dir, "self.APT", "A: D10 ROUND 3 X\r\n");
    h.host.openAnswers.push_back({apt.toStdString()});
    h.click(h.shell->launcher, "Button3");
    QCOMPARE(h.host.viewed.size(), size_t(1));
    QCOMPARE(h.boxes.size(), 1);
    QVERIFY(h.boxes[0].contains("would overwrite the input file"));
    QCOMPARE(read(apt), QByteArray("A: D10 ROUND 3 X\r\n"));
    QCOMPARE(label->text(), QString("Ready"));
}

void ConvertersTest::rs274xWindowFromTheLauncher() {
    QTemporaryDir dir;
    const QString apt = write(dir, "b.APT", "D10\tCIRCULAR   \t60\t60\t0\tMULTI\r\n");
    const QString top = write(dir, "top.gbr", "D10*\r\nX100Y200D03*\r\nM02*\r\n");
    const QString bot = write(dir, "Bot.gbr", "D10*\r\nX300Y200D03*\r\nM02*\r\n");
    const QString single = dir.filePath("all.gbx");
    Harness h;
    Rs274xWindow* w = h.shell->rs274xWindow;
    h.onModal = [&](QDialog& shown) {
        QCOMPARE(&shown, static_cast<QDialog*>(w));
        h.host.openAnswers.push_back({apt.toStdString()});
        h.click(w, "Button2");  // "Choose aperture file"
        h.host.openAnswers.push_back({top.toStdString(), bot.toStdString()});
        h.click(w, "Button1");  // "Add Gerber input files"
        h.host.openAnswers.push_back({top.toStdString()});
        h.click(w, "Button1");  // a plot already listed is not added again

        w->findChild<RadioGroup*>("RadioGroup3")->setItemIndex(0);  // "Single"
        w->findChild<RadioGroup*>("RadioGroup4")->setItemIndex(1);  // "Metric"
        w->findChild<SpinEdit*>("SpinEdit2")->setValue(4);
        h.host.saveAnswers.push_back(single.toStdString());
        h.click(w, "Button3");  // "Create eXtended Gerber(s)"
    };
    h.click(h.shell->launcher, "Button4");

    auto* combo = w->findChild<QComboBox*>("ComboBox1");
    QCOMPARE(combo->currentText(), apt);
    QCOMPARE(combo->count(), 1);
    auto* list = w->findChild<QListWidget*>("ListBox1");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), bot);
    QCOMPARE(list->item(1)->text(), top);
    QVERIFY(h.boxes.isEmpty());
    QCOMPARE(h.host.transcript,
             (std::vector<std::string>{"open|4|", "open|2|", "open|2|", "save|1|", "plain|Done!"}));
    const QByteArray expected =
        "G04 Format statement*\r\n%FSLAX24Y24*%\r\n%MOMM*%\r\n"
        "G04 Apeture information*\r\n%ADD10C,1.524*%\r\n"
        "G04 End of aperture information*\r\n"
        "G04 data from " +
        bot.toUtf8() + "*\r\n%INBOT.GBR*%\r\nD10*\r\nX300Y200D03*\r\n    \r\n" + "G04 data from " +
        top.toUtf8() + "*\r\n%INTOP.GBR*%\r\nD10*\r\nX100Y200D03*\r\n    \r\nM02*\r\n";
    QCOMPARE(read(single), expected);
    // the launcher mirrors the format controls once the window is closed
    QCOMPARE(h.shell->placementWindow->gerberFormat.precision, 4);
}

void ConvertersTest::rs274xWindowNeedsItsSources() {
    QTemporaryDir dir;
    Harness h;
    Rs274xWindow* w = h.shell->rs274xWindow;
    // the untouched combo box names no aperture file: multiple mode says so and writes nothing
    h.host.openAnswers.push_back({write(dir, "p.gbr", "X1Y1D03*\r\n").toStdString()});
    h.click(w, "Button1");
    h.click(w, "Button3");
    QCOMPARE(h.host.transcript,
             (std::vector<std::string>{"open|2|", "plain|No source files defined"}));
    QVERIFY(!QFile::exists(dir.filePath("p.gbr.xgerber")));
}

void ConvertersTest::xlnWindowFromTheLauncher() {
    QTemporaryDir dir;
    const QString tol = write(dir, "B.TOL", "T01 28\r\nT1 28\r\nT03 1250\r\n");
    const QString txt = write(dir, "B.TXT", "M48\r\nT01\r\nT03\r\n%\r\nT01\r\nX1Y1\r\nM30\r\n");
    Harness h;
    XlnWindow* w = h.shell->xlnWindow;
    auto* selectTxt = w->findChild<QPushButton*>("Button1");
    h.onModal = [&](QDialog&) {
        QVERIFY(!selectTxt->isEnabled());
        h.host.openAnswers.push_back({tol.toStdString()});
        h.click(w, "Button2");  // "Select TOL"
        QVERIFY(selectTxt->isEnabled());
        h.host.openAnswers.push_back({txt.toStdString()});
        h.click(w, "Button1");  // "Select TXT"
    };
    h.click(h.shell->launcher, "Button8");
    QCOMPARE(read(txt + ".xln"),
             QByteArray("M48\r\nT01C0.028\r\nT03C1.250\r\n%\r\nT01\r\nX1Y1\r\nM30\r\n"));
    QCOMPARE(w->findChild<QPlainTextEdit*>("Memo1")->toPlainText(),
             QString("Memo1\nT1 = 28\nT1 = 28\nT3 = 1250\nT01C0.028\nT03C1.250\n"
                     "Created: B.TXT.xln\nDone"));
    QCOMPARE(h.host.transcript.back(), std::string("plain|Done"));
    QCOMPARE(h.host.transcript[0], std::string("open|2|"));  // "TOL FIles"
}

QTEST_MAIN(ConvertersTest)
#include "converters_test.moc"
