// The QFN builder and the netlist library tool offscreen, started from the launcher: the QFN
// window's unit change and Generate, the library window's menu with the package choice dialog
// (OK, Enter, Skip, Stop, close box) and the skipped-components grid.
#include <memory>

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "common/scripted_host.h"
#include "shell/settings_store.h"
#include "shell/ui/controls.h"
#include "shell/ui/launcher.h"
#include "shell/ui/shell.h"
#include "tools/component_library.h"
#include "tools/library_test_support.h"
#include "tools/ui/library_window.h"
#include "tools/ui/package_choice_dialog.h"
#include "tools/ui/qfn_window.h"
#include "tools/ui/skipped_components_dialog.h"

using namespace padloom;
using namespace padloom::ui;

namespace {

/// Passes every call on to a ScriptedHost the test keeps, except the package question, which
/// goes to the window's real dialog; a box centred on a window notes which window it was.
class ForwardHost : public common::ForwardingHost {
public:
    ForwardHost(common::ScriptedHost& h, HostBinding b)
        : common::ForwardingHost(h), m_b(std::move(b)) {}
    void show(common::Box b, std::string_view t, common::Place p) override {
        if (p == common::Place::WindowCentre) {
            m_script.transcript.push_back("centred on " + m_b.window->objectName().toStdString());
        }
        m_script.show(b, t, p);
    }
    common::PackageAnswer askPackage(const common::PackageQuestion& q) override {
        return m_b.askPackage ? m_b.askPackage(q) : m_script.askPackage(q);
    }

private:
    HostBinding m_b;
};

struct Harness {
    shell::MemorySettingsStore store;
    common::ScriptedHost host;
    QStringList shown;
    std::function<int(QDialog&)> onModal;
    std::unique_ptr<Shell> shell;

    Harness() {
        ShellHooks hooks;
        hooks.showModal = [this](QDialog& w) {
            shown << w.objectName();
            return onModal ? onModal(w) : 0;
        };
        hooks.makeHost = [this](const HostBinding& b) {
            return std::make_unique<ForwardHost>(host, b);
        };
        shell = std::make_unique<Shell>(store, std::move(hooks));
    }
    void press(const char* launcherButton) {
        shell->launcher->findChild<QPushButton*>(launcherButton)->click();
    }
};

QLineEdit* edit(QWidget* w, const char* name) {
    return w->findChild<QLineEdit*>(name);
}

enum class Act { Ok, Enter, Stop, Skip, CloseBox, Escape };

// Leaves the package choice dialog as a user would; returns its result code.
int leave(QDialog& dialog, Act act, const QString& typed = {}) {
    dialog.show();
    auto* combo = dialog.findChild<QComboBox*>("ComboBox1");
    if (!typed.isEmpty()) {
        combo->setEditText(typed);
    }
    switch (act) {
        case Act::Ok:
            dialog.findChild<QPushButton*>("Button1")->click();
            break;
        case Act::Enter:
            QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
            break;
        case Act::Stop:
            dialog.findChild<QPushButton*>("Button2")->click();
            break;
        case Act::Skip:
            dialog.findChild<QPushButton*>("Button3")->click();
            break;
        case Act::CloseBox:
            dialog.close();
            break;
        case Act::Escape:
            QTest::keyClick(&dialog, Qt::Key_Escape);
            break;
    }
    return dialog.result();
}

}  // namespace

class LibraryToolsTest : public QObject {
    Q_OBJECT
private slots:
    void qfnFromTheLauncher();
    void packageDialogAnswers_data();
    void packageDialogAnswers();
    void libraryFromTheLauncher();
    void stopWritesNothing();
};

void LibraryToolsTest::qfnFromTheLauncher() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));  // decimal comma
    QTemporaryDir dir;
    Harness h;
    QfnWindow* w = h.shell->qfnWindow;
    auto* unit = w->findChild<RadioGroup*>("RadioGroup1");
    const char* names[] = {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7"};
    QStringList seen;  // Pad X, Pad Y and Num Y after each unit change
    auto look = [&] {
        seen << edit(w, "Edit1")->text() + " " + edit(w, "Edit2")->text() + " " +
                    edit(w, "Edit4")->text();
    };
    h.onModal = [&](QDialog& shown) {
        if (&shown != w) {
            return 0;
        }
        // a size still showing its prompt, a value, and a count that is never converted
        edit(w, "Edit1")->setText("60");
        edit(w, "Edit4")->setText("2");
        unit->button(1)->click();  // Metric
        unit->button(1)->click();  // picked again: nothing changes
        look();
        unit->button(0)->click();  // Imperial
        look();
        const char* values[] = {"12", "30", "2", "2", "20", "100", "100"};
        for (int i = 0; i < 7; ++i) {
            edit(w, names[i])->setText(values[i]);
        }
        h.host.saveAnswers.push_back(dir.filePath("qfn8.pcb").toStdString());
        w->findChild<QPushButton*>("Button1")->click();  // Generate
        return 0;
    };
    h.press("Button12");
    QLocale::setDefault(QLocale::c());
    QCOMPARE(h.shown, QStringList{"Form11"});
    QCOMPARE(seen, (QStringList{"1.520000 In mm 2", "60 In Mills 2"}));
    QCOMPARE(h.host.transcript, (std::vector<std::string>{"save|1|", "plain|Done"}));
    QFile out(dir.filePath("qfn8.pcb"));
    QVERIFY(out.open(QIODevice::ReadOnly));
    QCOMPARE(out.readAll().split('\n').value(9), QByteArray("5990 5950 12 30 4 0 1 1\r"));
}

void LibraryToolsTest::packageDialogAnswers_data() {
    QTest::addColumn<int>("act");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("action");  // common::PackageAction
    QTest::addColumn<QString>("text");
    const int accept = static_cast<int>(common::PackageAction::Accept);
    const int stop = static_cast<int>(common::PackageAction::Stop);
    const int skip = static_cast<int>(common::PackageAction::Skip);
    QTest::newRow("OK") << int(Act::Ok) << "" << accept << "B.LIB@DIP14";
    QTest::newRow("OK typed") << int(Act::Ok) << "dip14" << accept << "dip14";
    QTest::newRow("Enter") << int(Act::Enter) << "A.LIB@SO8" << accept << "A.LIB@SO8";
    QTest::newRow("Stop") << int(Act::Stop) << "" << stop << "B.LIB@DIP14";
    QTest::newRow("Skip") << int(Act::Skip) << "" << skip << "B.LIB@DIP14";
    QTest::newRow("close box") << int(Act::CloseBox) << "" << stop << "B.LIB@DIP14";
    QTest::newRow("Escape") << int(Act::Escape) << "" << stop << "B.LIB@DIP14";
}

void LibraryToolsTest::packageDialogAnswers() {
    QFETCH(int, act);
    QFETCH(QString, typed);
    QFETCH(int, action);
    QFETCH(QString, text);
    Harness h;
    PackageChoiceDialog* d = h.shell->packageChoiceDialog;
    h.onModal = [&](QDialog& w) { return leave(w, static_cast<Act>(act), typed); };
    const std::vector<std::string> choices = {"A.LIB@SO8", "B.LIB@DIP14"};
    common::PackageQuestion q;
    q.question = " Choose package for U1: DIP14";
    q.choices = choices;
    q.text = "B.LIB@DIP14";
    auto answer = d->ask(q);
    QCOMPARE(static_cast<int>(answer.action), action);
    QCOMPARE(QString::fromStdString(answer.text), text);
    QCOMPARE(d->findChild<QLabel*>("Label1")->text(), QString(" Choose package for U1: DIP14"));
    QCOMPARE(d->findChild<QComboBox*>("ComboBox1")->count(), 2);
}

struct LibraryFiles {
    QTemporaryDir dir;
    std::string main = write("MAIN.LIB", testing::handLibrary({
                                             {"DIP14", testing::componentData(2, 'd')},
                                             {"AXIAL0.4", testing::componentData(1, 'a')},
                                         }));
    std::string net = write(
        "BOARD.NET", testing::netlistText({{"U1", "DIP14"}, {"R1", "AXIAL0.4"}, {"U2", "DIP14"}}));
    std::string write(const char* name, const std::string& bytes) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return f.fileName().toStdString();
    }
    std::string path(const char* name) const { return dir.filePath(name).toStdString(); }
};

// Read Library and Process Netlist from the window's menu: U1's DIP14 skipped (U2's "dip14"
// joins it in the grid), R1's AXIAL0.4 taken with Enter; the boxes are centred on the window.
void LibraryToolsTest::libraryFromTheLauncher() {
    LibraryFiles f;
    Harness h;
    LibraryWindow* w = h.shell->libraryWindow;
    QStringList questions;
    QList<QStringList> grid;
    h.onModal = [&](QDialog& shown) {
        if (&shown == w) {
            h.host.openAnswers.push_back({f.main});
            w->findChild<QAction*>("ReadLibrary1")->trigger();
            h.host.openAnswers.push_back({f.net});
            h.host.saveAnswers.push_back(f.path("OUT"));
            w->findChild<QAction*>("ProcessNetlist1")->trigger();
            return 0;
        }
        if (&shown == h.shell->packageChoiceDialog) {
            auto* combo = shown.findChild<QComboBox*>("ComboBox1");
            questions << shown.findChild<QLabel*>("Label1")->text() + "|" + combo->currentText();
            return leave(shown, questions.size() == 1 ? Act::Skip : Act::Enter);
        }
        auto* table = shown.findChild<QTableWidget*>("StringGrid1");
        grid << QStringList{table->horizontalHeaderItem(0)->text(),
                            table->horizontalHeaderItem(1)->text()};
        for (int row = 0; row < table->rowCount(); ++row) {
            grid << QStringList{table->item(row, 0)->text(), table->item(row, 1)->text()};
        }
        return 0;
    };
    h.press("Button7");
    QCOMPARE(h.shown, (QStringList{"Form20", "Form22", "Form22", "Form23"}));
    QCOMPARE(questions, (QStringList{" Choose package for U1: DIP14|MAIN.LIB@DIP14",
                                     " Choose package for R1: AXIAL0.4|MAIN.LIB@AXIAL0.4"}));
    QCOMPARE(grid, (QList<QStringList>{{"Package", "Ref Designator(s)"}, {"DIP14", "U1,U2"}}));
    QCOMPARE(h.host.transcript,
             (std::vector<std::string>{"open|1|Choose Component library", "centred on Form20",
                                       "info|2 components loaded", "open|3|Choose Source Net List",
                                       "save|3|Choose Output Net List file", "centred on Form20",
                                       "warning|Some Components were skipped", "centred on Form20",
                                       "info|Done"}));
    auto lib = tools::readLibraryDirectory(f.path("OUT.lib"));
    QCOMPARE(lib.components.size(), size_t{1});
    QCOMPARE(QString::fromStdString(lib.components[0].name), QString("AXIAL0.4"));
    QCOMPARE(w->generator().choices().size(), size_t{2});
}

void LibraryToolsTest::stopWritesNothing() {
    LibraryFiles f;
    Harness h;
    LibraryWindow* w = h.shell->libraryWindow;
    h.onModal = [&](QDialog& shown) {
        if (&shown == h.shell->packageChoiceDialog) {
            return leave(shown, Act::Stop);
        }
        return 0;
    };
    h.host.openAnswers = {{f.main}, {f.net}};
    h.host.saveAnswers.push_back(f.path("OUT.lib"));
    w->onReadLibraryTriggered();
    w->onProcessNetlistTriggered();
    QCOMPARE(h.shown, QStringList{"Form22"});
    QVERIFY(!QFile::exists(QString::fromStdString(f.path("OUT.lib"))));
    QCOMPARE(h.host.transcript.back(), std::string("save|3|Choose Output Net List file"));
}

QTEST_MAIN(LibraryToolsTest)
#include "library_tools_test.moc"
