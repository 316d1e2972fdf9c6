// The DXF window offscreen, opened from the launcher in both modes: DXF export with the height
// questions, and component text resize, each run through a scripted Host.
#include "annotate/ui/dxf_window.h"

#include <memory>

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "annotate/ui/placement_window.h"
#include "common/scripted_host.h"
#include "shell/settings_store.h"
#include "shell/ui/launcher.h"
#include "shell/ui/shell.h"

using namespace padloom;
using namespace padloom::ui;

namespace {

/// A shell whose modal windows and hosts are scripted; the window shown modally runs
/// `onModal` while it is visible.
struct Harness {
    shell::MemorySettingsStore store;
    common::ScriptedHost host;
    HostBinding binding;  // of the last Host made
    QStringList shown;
    QStringList boxes;
    std::function<void(QDialog&)> onModal;
    std::unique_ptr<Shell> shell;

    Harness() {
        ShellHooks hooks;
        hooks.showModal = [this](QDialog& w) {
            shown << w.objectName();
            w.show();
            if (onModal) {
                onModal(w);
            }
            w.done(0);
            return 0;
        };
        hooks.makeHost = [this](const HostBinding& b) {
            binding = b;
            return std::make_unique<common::ForwardingHost>(host);
        };
        hooks.showBox = [this](QWidget*, common::Box, const QString& text) { boxes << text; };
        shell = std::make_unique<Shell>(store, std::move(hooks));
    }

    void clickLauncher(const char* name) {
        auto* button = shell->launcher->findChild<QPushButton*>(name);
        QVERIFY(button);
        button->click();
    }
    QPushButton* button(const char* name) {
        return shell->dxfWindow->findChild<QPushButton*>(name);
    }
    QLineEdit* edit(const char* name) { return shell->dxfWindow->findChild<QLineEdit*>(name); }
};

QString copyDemo(const QTemporaryDir& dir) {
    const QString board = dir.filePath("demo.pcb");
    if (!QFile::copy(QString(PADLOOM_SOURCE_DIR) + "/examples/demo.pcb", board)) {
        return {};
    }
    return board;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class DxfWindowTest : public QObject {
    Q_OBJECT
private slots:
    void exportFromTheLauncher();
    void resizeFromTheLauncher();
    void resizeRefusesSizesThatAreNoWholeNumbers();
};

void DxfWindowTest::exportFromTheLauncher() {
    QTemporaryDir dir;
    const QString board = copyDemo(dir);
    QVERIFY(!board.isEmpty());
    Harness h;
    bool exportShown = false;
    h.onModal = [&](QDialog&) {
        exportShown = h.button("Button1")->isVisible() &&
                      !h.shell->dxfWindow->findChild<QWidget*>("Panel1")->isVisible();
        h.host.openAnswers.push_back({board.toStdString()});
        // DIP8, 0805 (asked once for three parts), HDR2
        h.host.lineAnswers = {"180", "25", std::nullopt};
        h.button("Button1")->click();
    };
    h.clickLauncher("Button10");
    QCOMPARE(h.shown, QStringList{"Form10"});
    QVERIFY(exportShown);
    QVERIFY(h.boxes.isEmpty());
    QCOMPARE(h.binding.memo, h.shell->dxfWindow->findChild<QPlainTextEdit*>("Memo1"));
    QCOMPARE(h.binding.openDialog, &h.shell->placementWindow->openDialog());

    const auto& t = h.host.transcript;
    QCOMPARE(t.front(), std::string("open|1|"));
    QCOMPARE(t[1], "memo|" + board.toStdString());
    QCOMPARE(t[2], std::string("memo|.DXF"));
    QCOMPARE(t.back(), std::string("memo|Done"));
    QStringList asked;
    for (const auto& entry : t) {
        if (entry.rfind("line|", 0) == 0) {
            asked << QString::fromStdString(entry);
        }
    }
    QCOMPARE(asked, (QStringList{"line|Component height entry|height for DIP8|",
                                 "line|Component height entry|height for 0805|",
                                 "line|Component height entry|height for HDR2|"}));
    const QByteArray dxf = readAll(dir.filePath("demo.DXF"));
    QVERIFY(dxf.startsWith("  0\r\nSECTION\r\n"));
    QVERIFY(dxf.endsWith("  0\r\nEOF\r\n"));
    QVERIFY(dxf.contains("  39\r\n0.18\r\n"));
    QCOMPARE(readAll(dir.filePath("demo.DAT")).size(), 3 * 40);
}

void DxfWindowTest::resizeFromTheLauncher() {
    QTemporaryDir dir;
    const QString board = copyDemo(dir);
    QVERIFY(!board.isEmpty());
    Harness h;
    bool resizeShown = false;
    h.onModal = [&](QDialog&) {
        resizeShown = !h.button("Button1")->isVisible() && h.button("Button2")->isVisible();
        h.edit("Edit1")->setText(" 40 ");
        h.edit("Edit2")->setText("6");
        h.host.openAnswers.push_back({board.toStdString()});
        h.button("Button2")->click();
    };
    h.clickLauncher("Button11");
    QCOMPARE(h.shown, QStringList{"Form10"});
    QVERIFY(resizeShown);
    const auto& lines = h.host.lines;
    QVERIFY(lines.size() > 3);
    QCOMPARE(lines[0], board.toStdString());
    QCOMPARE(lines[1], std::string("Change component text to  40  / 6"));
    QCOMPARE(lines.back(), std::string("Done"));

    const QByteArray before = readAll(board);
    const QByteArray after = readAll(dir.filePath("demo.NEW"));
    QCOMPARE(before.count("\r\n"), after.count("\r\n"));
    QVERIFY(before.contains("\r\n1240 1760 50 0 8 7\r\n"));
    QVERIFY(after.contains("\r\n1240 1760 40 0 6 7\r\n"));
    QVERIFY2(after.contains("\r\n1450 1760 50 0 8 7\r\n"), "the comment keeps its size");
}

void DxfWindowTest::resizeRefusesSizesThatAreNoWholeNumbers() {
    QTemporaryDir dir;
    const QString board = copyDemo(dir);
    Harness h;
    h.onModal = [&](QDialog&) {
        h.edit("Edit1")->setText("2 4");
        h.host.openAnswers.push_back({board.toStdString()});
        h.button("Button2")->click();
    };
    h.clickLauncher("Button11");
    QCOMPARE(h.host.transcript.size(), size_t(1));
    QVERIFY(h.host.transcript[0].rfind("error|String Size and Line Width", 0) == 0);
    QVERIFY(!QFile::exists(dir.filePath("demo.NEW")));
}

QTEST_MAIN(DxfWindowTest)
#include "dxf_window_test.moc"
