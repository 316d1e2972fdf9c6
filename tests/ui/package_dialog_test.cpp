// "Package..." offscreen: the package's choices first, then the board, its aperture file made
// without the aperture window unless asked for, the zip; the choices remembered; a board without
// an outline said so in the log and in the viewer's problem list.
#include "fab/ui/package_dialog.h"

#include <memory>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "common/scripted_host.h"
#include "convert/ui/apt_builder_window.h"
#include "plot/ui/gerber_plot_window.h"
#include "shell/settings_store.h"
#include "shell/ui/shell.h"
#include "view/ui/output_viewer.h"

using namespace padloom;
using namespace padloom::ui;

namespace {

// A shell with a scripted Host; a window shown modally is shown, runs `onModal` and is closed
// with its result.
struct Harness {
    common::ScriptedHost host;
    QStringList shown;
    QStringList boxes;
    std::function<int(QDialog&)> onModal;
    std::unique_ptr<Shell> shell;

    explicit Harness(shell::SettingsStore& store) {
        ShellHooks hooks;
        hooks.showModal = [this](QDialog& w) {
            shown << w.objectName();
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
        hooks.showBox = [this](QWidget*, common::Box, const QString& text) { boxes << text; };
        shell = std::make_unique<Shell>(store, std::move(hooks));
    }
    PackageDialog* dialog() const { return shell->gerberPlotWindow->packageDialog(); }
    void setChoice(const char* box, const QString& text) {
        dialog()->findChild<QComboBox*>(box)->setEditText(text);
    }
    // Package... for `board`, the dialog's choices made by `choose`, the zip to `zip`
    void package(const QString& board, const std::string& zip,
                 const std::function<void()>& choose) {
        onModal = [this, choose](QDialog& w) {
            if (&w == dialog()) {
                choose();
                return int(QDialog::Accepted);
            }
            if (&w == shell->aptBuilderWindow) {
                shell->aptBuilderWindow->onMakeAptClicked();
            }
            return 0;
        };
        host.openAnswers.push_back({board.toStdString()});
        host.saveAnswers.push_back(zip);
        shell->gerberPlotWindow->findChild<QPushButton*>("PackageButton")->click();
    }
};

QString copyOf(const QTemporaryDir& dir, const QString& example, const QString& name) {
    const QString board = dir.filePath(name);
    if (!QFile::copy(QString(PADLOOM_SOURCE_DIR) + "/examples/" + example, board)) {
        return {};
    }
    return board;
}

QString unzipped(const std::string& zip, const char* name) {
    QProcess unzip;
    unzip.start("unzip", {"-p", QString::fromStdString(zip), name});
    unzip.waitForFinished();
    return QString::fromUtf8(unzip.readAllStandardOutput());
}

bool said(const std::vector<std::string>& transcript, const std::string& start) {
    return std::any_of(transcript.begin(), transcript.end(),
                       [&](const std::string& t) { return t.starts_with(start); });
}

}  // namespace

class PackageDialogTest : public QObject {
    Q_OBJECT
private slots:
    void choicesFirstThenTheZipWithoutTheApertureWindow();
    void apertureWindowWhenAskedAndNothingWhenCancelled();
    void noOutlineIsSaidInTheLogAndTheViewer();
    void badThicknessIsRefused();
    void boardHouseIsChosenAndRemembered();
};

void PackageDialogTest::choicesFirstThenTheZipWithoutTheApertureWindow() {
    QTemporaryDir dir;
    const QString board = copyOf(dir, "demo.pcb", "demo.pcb");
    shell::MemorySettingsStore store;
    {
        Harness h(store);
        const std::string zip = dir.filePath("demo fab.zip").toStdString();
        h.package(board, zip, [&h] {
            h.setChoice("ThicknessCombo", "1.6");
            h.setChoice("FinishCombo", "ENIG");
            h.dialog()->findChild<QComboBox*>("OutlineCombo")->setCurrentIndex(1);
        });
        // one dialog, then the board and the zip: no aperture window, no box to click away
        QCOMPARE(h.shown, QStringList{"PackageDialog"});
        QVERIFY(h.boxes.isEmpty());
        QVERIFY(!said(h.host.transcript, "show|"));
        QVERIFY(QFile::exists(QString::fromStdString(zip)));
        QCOMPARE(h.host.lines.back(), "Package " + zip + ": 19 files");
        const QString readme = unzipped(zip, "README.md");
        QVERIFY(readme.contains("    Board thickness:    1.60 mm\r\n"));
        QVERIFY(readme.contains("    Surface finish:     ENIG\r\n"));
        QVERIFY(readme.contains("    Copper weight:      to be chosen when ordering\r\n"));
        QVERIFY(unzipped(zip, "demo.gbrjob").contains("\"BoardThickness\": 1.6,"));
        // the set can be looked at through its job file
        const auto& preview = h.shell->gerberPlotWindow->previewFiles();
        QCOMPARE(preview, std::vector<std::string>{dir.filePath("demo.gbrjob").toStdString()});
    }
    // the choices come back
    QCOMPARE(store.readInt(PackageDialog::kSettingsKey, "Outline"), std::optional<int>(1));
    Harness again(store);
    QCOMPARE(again.dialog()->findChild<QComboBox*>("FinishCombo")->currentText(), "ENIG");
    QCOMPARE(again.dialog()->findChild<QComboBox*>("ThicknessCombo")->currentText(), "1.6");
    QCOMPARE(again.dialog()->findChild<QComboBox*>("OutlineCombo")->currentIndex(), 1);
    const std::optional<fab::PackageOptions> options = again.dialog()->apply({});
    QVERIFY(options && options->outline == plot::OutlineSource::Board);
    QCOMPARE(options->order.thickness, std::optional<double>(1.6));
}

void PackageDialogTest::apertureWindowWhenAskedAndNothingWhenCancelled() {
    QTemporaryDir dir;
    const QString board = copyOf(dir, "demo.pcb", "demo.pcb");
    shell::MemorySettingsStore store;
    Harness h(store);
    const std::string zip = dir.filePath("demo.zip").toStdString();
    h.package(board, zip,
              [&h] { h.dialog()->findChild<QCheckBox*>("ApertureWindowBox")->setChecked(true); });
    QCOMPARE(h.shown, (QStringList{"PackageDialog", "Form3"}));
    QVERIFY(QFile::exists(QString::fromStdString(zip)));
    QCOMPARE(store.readInt(PackageDialog::kSettingsKey, "CheckBox2"), std::optional<int>(1));

    // cancelled: no board asked for, nothing written
    QVERIFY(QFile::remove(QString::fromStdString(zip)));
    h.shown.clear();
    h.onModal = [](QDialog&) { return int(QDialog::Rejected); };
    h.host.openAnswers.clear();
    h.host.openAnswers.push_back({board.toStdString()});
    h.shell->gerberPlotWindow->findChild<QPushButton*>("PackageButton")->click();
    QCOMPARE(h.shown, QStringList{"PackageDialog"});
    QCOMPARE(h.host.openAnswers.size(), size_t(1));
    QVERIFY(!QFile::exists(QString::fromStdString(zip)));
}

void PackageDialogTest::noOutlineIsSaidInTheLogAndTheViewer() {
    QTemporaryDir dir;
    const QString board = dir.filePath("bare.pcb");
    QFile file(board);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "PCB FILE 4\r\nFP\r\n1000 1000 60 60 1 30 1 13\r\n1\r\nFP\r\n"
        "2000 1000 60 60 1 30 1 13\r\n2\r\nFT\r\n1000 1000 2000 1000 10 1\r\nENDPCB\r\n");
    file.close();
    shell::MemorySettingsStore store;
    Harness h(store);
    const std::string zip = dir.filePath("bare.zip").toStdString();
    h.package(board, zip, [] {});
    QVERIFY(QFile::exists(QString::fromStdString(zip)));
    // the plot window's log
    QVERIFY(std::any_of(h.host.lines.begin(), h.host.lines.end(), [](const std::string& line) {
        return line.starts_with(
            "No board outline: neither the board layer (11) nor the "
            "keep-out layer (12) has lines");
    }));
    QVERIFY(!QFile::exists(dir.filePath("bare.GBD")));
    // the viewer's problem list, over the set its job file lists
    OutputViewer* viewer = nullptr;
    h.onModal = [&](QDialog& w) {
        viewer = qobject_cast<OutputViewer*>(&w);
        return 0;
    };
    h.shell->gerberPlotWindow->findChild<QPushButton*>("PreviewButton")->click();
    QVERIFY(viewer);
    QVERIFY(viewer->problemList()->toPlainText().contains("No board outline: "));
}

void PackageDialogTest::badThicknessIsRefused() {
    QTemporaryDir dir;
    const QString board = copyOf(dir, "demo.pcb", "demo.pcb");
    shell::MemorySettingsStore store;
    Harness h(store);
    const std::string zip = dir.filePath("demo.zip").toStdString();
    h.package(board, zip, [&h] { h.setChoice("ThicknessCombo", "thick"); });
    QCOMPARE(h.boxes.size(), qsizetype(1));
    QVERIFY(h.boxes[0].startsWith("The board thickness is a number of millimetres"));
    QVERIFY(!QFile::exists(QString::fromStdString(zip)));
    // OK in the dialog keeps it open
    h.dialog()->show();
    h.dialog()->accept();
    QVERIFY(h.dialog()->isVisible());
    h.dialog()->reject();
}

// The board house chosen in the dialog makes its package (JLCPCB: its CPL and BOM, no X2, no
// job file) and is the choice the next time.
void PackageDialogTest::boardHouseIsChosenAndRemembered() {
    QTemporaryDir dir;
    const QString board = copyOf(dir, "demo.pcb", "demo.pcb");
    shell::MemorySettingsStore store;
    {
        Harness h(store);
        auto* houses = h.dialog()->findChild<QComboBox*>("BoardHouseCombo");
        QCOMPARE(houses->currentText(), "generic");
        QVERIFY(houses->findText("jlcpcb") >= 0);
        const std::string zip = dir.filePath("demo.zip").toStdString();
        h.package(board, zip, [houses] { houses->setCurrentIndex(houses->findText("jlcpcb")); });
        QVERIFY(h.boxes.isEmpty());
        QVERIFY(unzipped(zip, "demo-CPL.csv").startsWith("Designator,Mid X,Mid Y,Layer,Rotation"));
        QVERIFY(unzipped(zip, "demo-BOM.csv").startsWith("Comment,Designator,Footprint"));
        QVERIFY(unzipped(zip, "demo.gbrjob").isEmpty());
        QVERIFY(!unzipped(zip, "demo.GTL").contains("%TF"));
        QVERIFY(unzipped(zip, "README.md").contains("## Board house: jlcpcb"));
    }
    QCOMPARE(store.value(PackageDialog::kSettingsKey, "BoardHouse"),
             std::optional<shell::StoredValue>(std::string("jlcpcb")));
    Harness again(store);
    QCOMPARE(again.dialog()->findChild<QComboBox*>("BoardHouseCombo")->currentText(), "jlcpcb");
    const std::optional<fab::PackageOptions> options = again.dialog()->apply({});
    QVERIFY(options && options->profile && options->profile->name == "jlcpcb");
}

QTEST_MAIN(PackageDialogTest)
#include "package_dialog_test.moc"
