// "File > Check against netlist..." offscreen: the check over the plotted copper, its list of
// differences to step through, and a click on a pad showing its net.
#include <memory>

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "common/scripted_host.h"
#include "shell/settings_store.h"
#include "shell/ui/launcher.h"
#include "shell/ui/shell.h"
#include "view/ui/board_view.h"
#include "view/ui/output_viewer.h"

using namespace padloom;
using namespace padloom::ui;

namespace {

struct Harness {
    shell::MemorySettingsStore store;
    common::ScriptedHost host;
    QStringList shown;
    QStringList boxes;
    std::function<int(QDialog&)> onModal;
    std::unique_ptr<Shell> shell;

    Harness() {
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

// U1-1 to U2-1 joined (GND), U1-2 and U2-2 apart although NETDEF joins them (SIG).
const char* const kBoard =
    "PCB FILE 4\r\nCOMP\r\nU1\r\nDIP\r\nX\r\n0 0 60 0 8 7\r\n0 0 60 0 8 7\r\n0 0 2 2 0\r\n"
    "CP\r\n1000 1000 60 60 1 30 1 13\r\n1\r\nCP\r\n1000 1100 60 60 1 30 1 13\r\n2\r\nENDCOMP\r\n"
    "COMP\r\nU2\r\nDIP\r\nX\r\n0 0 60 0 8 7\r\n0 0 60 0 8 7\r\n0 0 2 2 0\r\n"
    "CP\r\n2000 1000 60 60 1 30 1 13\r\n1\r\nCP\r\n2000 1100 60 60 1 30 1 13\r\n2\r\nENDCOMP\r\n"
    "FT\r\n1000 1000 2000 1000 10 6\r\nENDPCB\r\n"
    "NETDEF\r\nGND\r\n0\r\n(\r\nU1-1\r\nU2-1\r\n)\r\n{\r\n}\r\n"
    "NETDEF\r\nSIG\r\n0\r\n(\r\nU1-2\r\nU2-2\r\n)\r\n{\r\n}\r\n";

}  // namespace

class NetlistCheckTest : public QObject {
    Q_OBJECT
private slots:
    void checksAgainstNetdefAndShowsNetsOnClick();
};

void NetlistCheckTest::checksAgainstNetdefAndShowsNetsOnClick() {
    QTemporaryDir dir;
    const QString board = dir.filePath("B.PCB");
    QFile f(board);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(kBoard);
    f.close();
    Harness h;
    // the board, then no netlist: the board's own NETDEF
    h.host.openAnswers.push_back({board.toStdString()});
    h.host.openAnswers.push_back({});
    OutputViewer* viewer = nullptr;
    h.onModal = [&](QDialog& w) {
        viewer = qobject_cast<OutputViewer*>(&w);
        return 0;
    };
    h.shell->launcher->findChild<QAction*>("CheckNetlist1")->trigger();
    QCOMPARE(h.shown, QStringList{"OutputViewer"});
    QVERIFY2(h.boxes.isEmpty(), qPrintable(h.boxes.join("\n")));
    QVERIFY(viewer);
    // the plotted copper and drill file, nothing of them left beside the board
    QCOMPARE(viewer->layerList()->count(), 3);
    QVERIFY(!QFile::exists(dir.filePath("B.GTL")));

    QListWidget* list = viewer->differenceList();
    QVERIFY(!list->isHidden());
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QString("Open: SIG on 2 copper islands"));
    QVERIFY(viewer->problemList()->toPlainText().contains("Open: SIG on 2 copper islands"));

    // stepping to the open shows both islands, marked, in the middle of the view
    viewer->resize(900, 600);
    viewer->show();
    QCoreApplication::processEvents();
    BoardView* view = viewer->boardView();
    list->setCurrentRow(0);
    const view::ViewWindow v = view->viewWindow();
    QVERIFY(std::abs((v.left + v.right()) / 2 - 1.5) < 1e-6);
    QVERIFY(std::abs((v.bottom + v.top()) / 2 - 1.1) < 1e-6);
    QCOMPARE(view->marks().size(), size_t{2});

    // a click on U1-1 shows its net: both of its pads outlined
    const QPoint pad(int((1.0 - v.left) * v.pixelsPerInch),
                     int(v.size.height() - (1.0 - v.bottom) * v.pixelsPerInch));
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, pad);
    QCOMPARE(viewer->netLabel()->text().trimmed(), QString("Net GND: 2 pins"));
    QCOMPARE(view->marks().size(), size_t{4});
    // a click where no pad is clears it
    QVERIFY(!viewer->highlightNetAt(1.5, 1.5));
    QVERIFY(viewer->netLabel()->text().isEmpty());
    QCOMPARE(view->marks().size(), size_t{2});

    // files opened on their own show no check
    viewer->openFiles({});
    QVERIFY(list->isHidden());
}

QTEST_MAIN(NetlistCheckTest)
#include "netlist_check_test.moc"
