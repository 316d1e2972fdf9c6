// The output viewer offscreen: "Preview" after a plot run, "Open outputs..." from the
// launcher, its picture against `padloom-cli render`, the layer list, zoom, pan and the
// cursor position.
#include <memory>

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>

#include "common/scripted_host.h"
#include "convert/ui/apt_builder_window.h"
#include "plot/ui/gerber_plot_window.h"
#include "shell/settings_store.h"
#include "shell/ui/launcher.h"
#include "shell/ui/shell.h"
#include "tango/ui/tango_plot_window.h"
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

// Plots the demo board into `dir` through the plot window: the given layer boxes and NC drill.
void plotDemo(Harness& h, const QTemporaryDir& dir, const QStringList& layerBoxes) {
    const QString board = dir.filePath("demo.pcb");
    QVERIFY(QFile::copy(QString(PADLOOM_SOURCE_DIR) + "/examples/demo.pcb", board));
    GerberPlotWindow* window = h.shell->gerberPlotWindow;
    for (const QString& name : layerBoxes) {
        window->findChild<QCheckBox*>(name)->setChecked(true);
    }
    window->findChild<QCheckBox*>("CheckBox17")->setChecked(true);  // NC Drill
    h.onModal = [&h, board](QDialog& w) {
        if (&w == h.shell->aptBuilderWindow) {
            h.host.openAnswers.push_back({board.toStdString()});
            h.shell->aptBuilderWindow->onMakeAptClicked();
        }
        return 0;
    };
    window->onPlotClicked();
}

// Colour distance of two pixels, the largest of the three channels.
int distance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

QString hex(const QColor& c) {
    return c.name(QColor::HexRgb);
}

// The viewer shown modally, whatever it was opened by; the netlist question answered with the
// button `answer`, and its text and whether the board's own netlist could be chosen noted.
struct ModalViewer {
    OutputViewer* viewer = nullptr;
    QString answer = "UseBoardNetlistButton";
    QString question;
    bool insideOffered = false;

    std::function<int(QDialog&)> handler() {
        return [this](QDialog& w) {
            if (auto* box = qobject_cast<QMessageBox*>(&w)) {
                question = box->text() + "\n" + box->informativeText();
                insideOffered = box->findChild<QPushButton*>("UseBoardNetlistButton")->isEnabled();
                box->findChild<QPushButton*>(answer)->click();
            } else if (auto* v = qobject_cast<OutputViewer*>(&w)) {
                viewer = v;
            }
            return 0;
        };
    }
};

// Writes a board file of these bytes into `dir`.
QString writeBoard(const QTemporaryDir& dir, const char* name, const std::string& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
}

// U1-1 to U2-1 joined (GND), U1-2 and U2-2 apart although NETDEF joins them (SIG).
const char* const kBoard =
    "PCB FILE 4\r\nCOMP\r\nU1\r\nDIP\r\nX\r\n0 0 60 0 8 7\r\n0 0 60 0 8 7\r\n0 0 2 2 0\r\n"
    "CP\r\n1000 1000 60 60 1 30 1 13\r\n1\r\nCP\r\n1000 1100 60 60 1 30 1 13\r\n2\r\nENDCOMP\r\n"
    "COMP\r\nU2\r\nDIP\r\nX\r\n0 0 60 0 8 7\r\n0 0 60 0 8 7\r\n0 0 2 2 0\r\n"
    "CP\r\n2000 1000 60 60 1 30 1 13\r\n1\r\nCP\r\n2000 1100 60 60 1 30 1 13\r\n2\r\nENDCOMP\r\n"
    "FT\r\n1000 1000 2000 1000 10 6\r\nENDPCB\r\n"
    "NETDEF\r\nGND\r\n0\r\n(\r\nU1-1\r\nU2-1\r\n)\r\n{\r\n}\r\n"
    "NETDEF\r\nSIG\r\n0\r\n(\r\nU1-2\r\nU2-2\r\n)\r\n{\r\n}\r\n";

// The same board without its netlist.
const std::string kBoardWithoutNetlist =
    std::string(kBoard).substr(0, std::string_view(kBoard).find("NETDEF"));

}  // namespace

class ViewerTest : public QObject {
    Q_OBJECT
private slots:
    void previewShowsTheRunsFilesAsRenderDrawsThem();
    void launcherOpensOutputsAndListsProblems();
    void layerListZoomPanAndCursor();
    void packageButtonWritesTheZip();
    void tangoPreviewShowsTheRunsFiles();
    // "File > Check against netlist...": the check over the plotted copper, its list of
    // differences to step through, and a click on a pad showing its net
    void netlistCheckShowsDifferencesAndNetsOnClick();
    // which netlist the check uses is asked outright, and a board without one says so
    void netlistChoiceIsAskedOutright();
    // a click on a pad in Preview shows its net as in a check
    void previewShowsTheNetOfAClickedPad();
    // a job file's set: its copper from the top down by layer number, and files that another
    // run left listed as problems
    void jobFileSetInCopperOrderAndStaleFilesTold();
};

void ViewerTest::previewShowsTheRunsFilesAsRenderDrawsThem() {
    QTemporaryDir dir;
    Harness h;
    GerberPlotWindow* window = h.shell->gerberPlotWindow;
    auto* preview = window->findChild<QPushButton*>("PreviewButton");
    QVERIFY(preview && !preview->isEnabled());
    // top and bottom copper, top legend and solder mask, ground plane and board outline
    plotDemo(h, dir,
             {"CheckBox1", "CheckBox6", "CheckBox7", "CheckBox11", "CheckBox13", "CheckBox24"});
    QVERIFY(h.boxes.isEmpty());
    QVERIFY(preview->isEnabled());
    QCOMPARE(window->previewFiles().size(), size_t(7));

    OutputViewer* viewer = nullptr;
    QImage shot;
    h.onModal = [&](QDialog& w) {
        viewer = qobject_cast<OutputViewer*>(&w);
        if (viewer) {
            viewer->resize(1000, 700);
            viewer->show();
            QCoreApplication::processEvents();
            shot = viewer->boardView()->grab().toImage();
            QString path = qEnvironmentVariable("PADLOOM_VIEWER_SCREENSHOT");
            if (!path.isEmpty()) {
                viewer->grab().save(path);
            }
            viewer->hide();
        }
        return 0;
    };
    preview->click();
    QCOMPARE(h.shown.last(), QString("OutputViewer"));
    QVERIFY(viewer);
    QCOMPARE(viewer->layerList()->count(), 7);
    // topmost first: the drills, then the outline, then the top side
    QVERIFY(viewer->layerList()->item(0)->text().startsWith("NC drill  -  demo.TXT"));
    QVERIFY(viewer->layerList()->item(1)->text().startsWith("Board outline"));
    QCOMPARE(viewer->problemList()->toPlainText(), QString("No problems found."));

    // the same files drawn by the command line over the same window
    const view::ViewWindow v = viewer->boardView()->viewWindow();
    QCOMPARE(shot.size(), v.size);
    QStringList args{"render"};
    for (const std::string& f : window->previewFiles()) {
        args << QString::fromStdString(f);
    }
    const QString out = dir.filePath("render.png");
    args << "-o" << out << "--dpi" << QString::number(v.pixelsPerInch, 'g', 17) << "--window"
         << QString::number(v.left, 'g', 17) + "," + QString::number(v.bottom, 'g', 17) + "," +
                QString::number(v.right(), 'g', 17) + "," + QString::number(v.top(), 'g', 17)
         << "--background" << hex(BoardView::boardColour());
    QProcess render;
    render.start(PADLOOM_CLI, args);
    QVERIFY(render.waitForFinished(60000));
    QCOMPARE(render.exitCode(), 0);
    QImage rendered(out);
    QCOMPARE(rendered.size(), shot.size());
    long differing = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            differing += distance(shot.pixel(x, y), rendered.pixel(x, y)) > 8;
        }
    }
    QVERIFY2(differing < shot.width() * shot.height() / 1000,
             qPrintable(QString::number(differing) + " pixels differ"));
}

void ViewerTest::launcherOpensOutputsAndListsProblems() {
    QTemporaryDir dir;
    const QString broken = dir.filePath("broken.gbr");
    QFile f(broken);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("%FSLAX23Y23*%\r\n%MOIN*%\r\n%ADD10C,.010*%\r\nD11*\r\nX100Y100D03*\r\nM02*\r\n");
    f.close();
    // a picture is no layer at all
    QFile png(dir.filePath("picture.png"));
    QVERIFY(png.open(QIODevice::WriteOnly));
    png.write(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    png.close();
    Harness h;
    h.host.openAnswers.push_back({broken.toStdString(), dir.filePath("missing.GTL").toStdString(),
                                  png.fileName().toStdString()});
    OutputViewer* viewer = nullptr;
    h.onModal = [&](QDialog& w) {
        viewer = qobject_cast<OutputViewer*>(&w);
        return 0;
    };
    h.shell->launcher->findChild<QAction*>("OpenOutputs1")->trigger();
    QCOMPARE(h.shown, QStringList{"OutputViewer"});
    QVERIFY(viewer);
    QCOMPARE(viewer->layerList()->count(), 1);
    QVERIFY(viewer->layerList()->item(0)->text().endsWith("broken.gbr  (errors)"));
    const QString problems = viewer->problemList()->toPlainText();
    QVERIFY2(problems.contains("missing.GTL\n    No such file or directory"), qPrintable(problems));
    QVERIFY2(problems.contains("broken.gbr\n    line 4: error: aperture D11 is not defined"),
             qPrintable(problems));  // each file named once, its problems under it
    QVERIFY2(problems.contains("picture.png\n    not a Gerber or drill file: binary data at byte 8"),
             qPrintable(problems));
    QVERIFY(!problems.contains(dir.path()));
    QCOMPARE(viewer->problemList()->lineWrapMode(), QPlainTextEdit::WidgetWidth);

    // a cancelled dialog shows nothing
    h.shown.clear();
    h.host.openAnswers.push_back({});
    h.shell->launcher->findChild<QAction*>("OpenOutputs1")->trigger();
    QVERIFY(h.shown.isEmpty());
}

void ViewerTest::layerListZoomPanAndCursor() {
    QTemporaryDir dir;
    Harness h;
    plotDemo(h, dir, {"CheckBox1", "CheckBox24"});
    OutputViewer* viewer = h.shell->outputViewer();
    viewer->openFiles(h.shell->gerberPlotWindow->previewFiles());
    viewer->resize(900, 600);
    viewer->show();
    QCoreApplication::processEvents();
    BoardView* view = viewer->boardView();

    // the top copper pad at (2.70, 1.40) in, 0.070 in round with a 0.040 in hole: its ring
    auto pixelAt = [&](double x, double y) {
        view::ViewWindow v = view->viewWindow();
        return QPoint(int((x - v.left) * v.pixelsPerInch),
                      int(v.size.height() - (y - v.bottom) * v.pixelsPerInch));
    };
    const QPoint ring = pixelAt(2.70 + 0.03, 1.40);
    const QRgb withCopper = view->picture().pixel(ring);
    QVERIFY(qRed(withCopper) > 150);
    QListWidgetItem* copper = viewer->layerList()->item(2);
    QVERIFY(copper->text().startsWith("Top copper"));
    copper->setCheckState(Qt::Unchecked);
    QCOMPARE(view->picture().pixel(ring), BoardView::boardColour().rgb());
    copper->setCheckState(Qt::Checked);
    QCOMPARE(view->picture().pixel(ring), withCopper);

    // a wheel notch zooms by 1.25 about the cursor: the board point under it stays put
    const QPointF at(200, 150);
    view::ViewWindow before = view->viewWindow();
    view::Point under = before.boardPoint(at.x(), at.y());
    QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view, &wheel);
    view::ViewWindow after = view->viewWindow();
    QVERIFY(std::abs(after.pixelsPerInch / before.pixelsPerInch - 1.25) < 1e-9);
    view::Point still = after.boardPoint(at.x(), at.y());
    QVERIFY(std::abs(still.x - under.x) < 1e-9 && std::abs(still.y - under.y) < 1e-9);

    // dragging moves the board with the mouse
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(300, 300));
    QTest::mouseMove(view, QPoint(350, 280));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(350, 280));
    view::Point moved = view->viewWindow().boardPoint(350, 280);
    view::Point was = after.boardPoint(300, 300);
    QVERIFY(std::abs(moved.x - was.x) < 1e-9 && std::abs(moved.y - was.y) < 1e-9);

    // the cursor position in mils and millimetres
    view->fit();
    QPoint p = pixelAt(1.0, 1.0);
    QTest::mouseMove(view, p);
    view::Point b = view->viewWindow().boardPoint(p.x(), p.y());
    QCOMPARE(viewer->cursorLabel()->text(), "X " + QString::number(b.x * 1000, 'f', 1) +
                                                " mil   Y " + QString::number(b.y * 1000, 'f', 1) +
                                                " mil      X " +
                                                QString::number(b.x * 25.4, 'f', 3) + " mm   Y " +
                                                QString::number(b.y * 25.4, 'f', 3) + " mm");

    // a fitted view stays fitted when the window is resized; a zoomed one keeps its scale
    viewer->resize(700, 500);
    QCoreApplication::processEvents();
    const double refitted = view->viewWindow().pixelsPerInch;
    view->fit();
    QCOMPARE(view->viewWindow().pixelsPerInch, refitted);
    view->zoomAt(2.0, QPointF(100, 100));
    const double zoomed = view->viewWindow().pixelsPerInch;
    viewer->resize(900, 600);
    QCoreApplication::processEvents();
    QCOMPARE(view->viewWindow().pixelsPerInch, zoomed);

    // a chosen file that cannot be opened leaves the set shown as it was
    const size_t layers = view->layerCount();
    const std::string note = dir.filePath("note.txt").toStdString();
    QFile text(QString::fromStdString(note));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("a note\r\n");
    text.close();
    viewer->openFiles({note});
    QCOMPARE(view->layerCount(), layers);
    QVERIFY(viewer->problemList()->toPlainText().contains("Nothing opened"));
}

void ViewerTest::packageButtonWritesTheZip() {
    QTemporaryDir dir;
    const QString board = dir.filePath("demo.pcb");
    QVERIFY(QFile::copy(QString(PADLOOM_SOURCE_DIR) + "/examples/demo.pcb", board));
    Harness h;
    // the package's choices taken as they are; the board chosen without the aperture window
    h.onModal = [](QDialog& w) {
        return w.objectName() == "PackageDialog" ? int(QDialog::Accepted) : 0;
    };
    const std::string zip = dir.filePath("out/demo fab.zip").toStdString();
    QVERIFY(QDir(dir.path()).mkdir("out"));
    h.host.openAnswers.push_back({board.toStdString()});
    h.host.saveAnswers.push_back(zip);
    GerberPlotWindow* window = h.shell->gerberPlotWindow;
    window->findChild<QPushButton*>("PackageButton")->click();
    QVERIFY(h.boxes.isEmpty());
    QVERIFY(QFile::exists(QString::fromStdString(zip)));
    QCOMPARE(h.host.lines.back(), "Package " + zip + ": 19 files");  // job file, netlist, CPL
    // its Gerber and drill files can be looked at, as the job file lists them
    QCOMPARE(window->previewFiles().size(), size_t(1));
    QVERIFY(window->findChild<QPushButton*>("PreviewButton")->isEnabled());

    // a cancelled save dialog writes nothing
    QVERIFY(QFile::remove(QString::fromStdString(zip)));
    h.host.openAnswers.push_back({board.toStdString()});
    h.host.saveAnswers.push_back(std::nullopt);
    window->findChild<QPushButton*>("PackageButton")->click();
    QVERIFY(!QFile::exists(QString::fromStdString(zip)));
}

void ViewerTest::tangoPreviewShowsTheRunsFiles() {
    QTemporaryDir dir;
    const QString board = dir.filePath("DEMO.PCB");
    QVERIFY(QFile::copy(QString(PADLOOM_SOURCE_DIR) + "/examples/tango/DEMO.PCB", board));
    Harness h;
    TangoPlotWindow* window = h.shell->tangoPlotWindow;
    auto* preview = window->findChild<QPushButton*>("PreviewButton");
    // top copper, the ground plane (not written for a TANGO board), the drill drawing, NC drill
    for (const char* name : {"CheckBox1", "CheckBox13", "CheckBox9", "CheckBox17"}) {
        window->findChild<QCheckBox*>(name)->setChecked(true);
    }
    h.host.openAnswers.push_back({board.toStdString()});
    window->findChild<QPushButton*>("Button1")->click();
    QVERIFY(h.boxes.isEmpty());
    QVERIFY(preview->isEnabled());
    const std::string base = dir.filePath("DEMO.OUT").toStdString();
    QCOMPARE(window->previewFiles(),
             (std::vector<std::string>{base + ".GTL", base + ".GDD", base + ".TXT"}));

    OutputViewer* viewer = nullptr;
    h.onModal = [&](QDialog& w) {
        viewer = qobject_cast<OutputViewer*>(&w);
        return 0;
    };
    preview->click();
    QVERIFY(viewer);
    QCOMPARE(viewer->layerList()->count(), 3);
    QCOMPARE(viewer->problemList()->toPlainText(), QString("No problems found."));

    // a cancelled run keeps the last run's files
    window->findChild<QPushButton*>("Button1")->click();
    QCOMPARE(window->previewFiles().size(), size_t(3));
}

void ViewerTest::netlistCheckShowsDifferencesAndNetsOnClick() {
    QTemporaryDir dir;
    const QString board = writeBoard(dir, "B.PCB", kBoard);
    Harness h;
    // the board, then its own netlist
    h.host.openAnswers.push_back({board.toStdString()});
    ModalViewer modal;
    h.onModal = modal.handler();
    h.shell->launcher->findChild<QAction*>("CheckNetlist1")->trigger();
    QCOMPARE(h.shown, (QStringList{"NetlistChoice", "OutputViewer"}));
    QVERIFY2(h.boxes.isEmpty(), qPrintable(h.boxes.join("\n")));
    OutputViewer* viewer = modal.viewer;
    QVERIFY(viewer);
    // the plotted copper and drill file, nothing of them left beside the board
    QCOMPARE(viewer->layerList()->count(), 3);
    QVERIFY(!QFile::exists(dir.filePath("B.GTL")));

    QListWidget* list = viewer->differenceList();
    QVERIFY(!list->isHidden());
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QString("Open: SIG on 2 copper islands"));
    // the check's summary comes first, the reading of the plotted files after it
    const QString said = viewer->problemList()->toPlainText();
    QVERIFY2(said.startsWith("The copper of ") && said.contains("Open: SIG on 2 copper islands") &&
                 said.endsWith("The plotted files: No problems found."),
             qPrintable(said));

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

    // a click on U1-1 shows its net: both of its pads outlined, and the track that joins them
    const QPoint pad(int((1.0 - v.left) * v.pixelsPerInch),
                     int(v.size.height() - (1.0 - v.bottom) * v.pixelsPerInch));
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, pad);
    QCOMPARE(viewer->netLabel()->text().trimmed(), QString("Net GND: 2 pins"));
    QCOMPARE(view->marks().size(), size_t{5});
    QVERIFY(!view->marks().front().outline.isEmpty());
    // the track's outline drawn beside it, off the pads (1.000 to 2.000 in, 10 mils wide)
    const QPoint onTrack(int((1.5 - v.left) * v.pixelsPerInch),
                         int(v.size.height() - (1.005 - v.bottom) * v.pixelsPerInch));
    QCOMPARE(QColor(view->grab().toImage().pixel(onTrack)).name(), QColor(0, 230, 255).name());
    // a click where no pad is clears it
    QVERIFY(!viewer->highlightNetAt(1.5, 1.5));
    QVERIFY(viewer->netLabel()->text().isEmpty());
    QCOMPARE(view->marks().size(), size_t{2});

    // the next check starts clear: nothing of the net shown before stays marked
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, pad);
    QCOMPARE(view->marks().size(), size_t{5});
    const QString second = writeBoard(dir, "C.PCB", kBoardWithoutNetlist);
    const QString netlist = dir.filePath("C.NET");
    QFile net(netlist);
    QVERIFY(net.open(QIODevice::WriteOnly));
    net.write(
        "[\r\nU1\r\nDIP\r\nX\r\n]\r\n[\r\nU2\r\nDIP\r\nX\r\n]\r\n"
        "(\r\nGND\r\nU1-1\r\nU2-1\r\n)\r\n");
    net.close();
    h.host.openAnswers.push_back({second.toStdString()});
    h.host.openAnswers.push_back({netlist.toStdString()});
    modal.answer = "ChooseNetlistFileButton";
    h.shell->launcher->findChild<QAction*>("CheckNetlist1")->trigger();
    QVERIFY2(h.boxes.isEmpty(), qPrintable(h.boxes.join("\n")));
    QCOMPARE(list->item(0)->text(), QString("No differences."));
    QVERIFY(viewer->netLabel()->text().isEmpty());
    QCOMPARE(view->marks().size(), size_t{0});

    // files opened on their own show no check
    viewer->openFiles({});
    QVERIFY(list->isHidden());
}

void ViewerTest::netlistChoiceIsAskedOutright() {
    QTemporaryDir dir;
    const QString without = writeBoard(dir, "C.PCB", kBoardWithoutNetlist);
    Harness h;
    ModalViewer modal;
    h.onModal = modal.handler();
    QAction* check = h.shell->launcher->findChild<QAction*>("CheckNetlist1");

    // a board without a netlist says so and cannot be checked against one; Cancel checks
    // nothing, nor does a netlist file dialog cancelled
    for (const char* answer : {"CancelButton", "ChooseNetlistFileButton"}) {
        h.shown.clear();
        modal.answer = answer;
        h.host.openAnswers.push_back({without.toStdString()});
        h.host.openAnswers.push_back({});
        check->trigger();
        QCOMPARE(h.shown, QStringList{"NetlistChoice"});
        QVERIFY(!modal.insideOffered);
        QCOMPARE(modal.question, QString("Check the copper of C.PCB against which netlist?\nThe "
                                         "board has no netlist inside it: choose a netlist file."));
        QCOMPARE(h.host.openAnswers.size(), size_t(answer[1] == 'a' ? 1 : 0));
        h.host.openAnswers.clear();
    }
    QVERIFY(h.boxes.isEmpty());
}

void ViewerTest::previewShowsTheNetOfAClickedPad() {
    QTemporaryDir dir;
    Harness h;
    plotDemo(h, dir, {"CheckBox1", "CheckBox6"});
    QString label;
    size_t marks = 0;
    h.onModal = [&](QDialog& w) {
        auto* viewer = qobject_cast<OutputViewer*>(&w);
        if (!viewer) {
            return 0;
        }
        viewer->resize(900, 600);
        viewer->show();
        QCoreApplication::processEvents();
        BoardView* view = viewer->boardView();
        // the top copper pad at (2.70, 1.40) in
        const view::ViewWindow v = view->viewWindow();
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier,
                          QPoint(int((2.70 - v.left) * v.pixelsPerInch),
                                 int(v.size.height() - (1.40 - v.bottom) * v.pixelsPerInch)));
        label = viewer->netLabel()->text().trimmed();
        marks = view->marks().size();
        viewer->hide();
        return 0;
    };
    h.shell->gerberPlotWindow->findChild<QPushButton*>("PreviewButton")->click();
    QVERIFY(h.boxes.isEmpty());
    QVERIFY2(label.startsWith("Net ") || label.startsWith("Pad "), qPrintable(label));
    QVERIFY(marks >= 1);

    // files opened on their own are of no board: a click shows nothing
    OutputViewer* viewer = h.shell->outputViewer();
    viewer->openFiles(h.shell->gerberPlotWindow->previewFiles());
    QVERIFY(!viewer->highlightNetAt(2.70, 1.40));
}

void ViewerTest::jobFileSetInCopperOrderAndStaleFilesTold() {
    QTemporaryDir dir;
    Harness h;
    GerberPlotWindow* window = h.shell->gerberPlotWindow;
    QCheckBox* x2 = window->findChild<QCheckBox*>("GerberX2Box");
    x2->setChecked(true);
    // top and bottom copper, the ground and the power plane of the demo board
    plotDemo(h, dir, {"CheckBox1", "CheckBox6", "CheckBox13", "CheckBox14"});
    QVERIFY(h.boxes.isEmpty());
    const std::string job = dir.filePath("demo.gbrjob").toStdString();
    OutputViewer* viewer = h.shell->outputViewer();
    viewer->openFiles({job});
    QStringList rows;
    for (int i = 0; i < viewer->layerList()->count(); ++i) {
        rows << viewer->layerList()->item(i)->text().section("  -  ", 0, 0);
    }
    QCOMPARE(rows, (QStringList{"NC drill", "Top copper", "Ground plane", "Power plane",
                                "Bottom copper"}));
    // the stack follows the list: bottom copper drawn first, top copper under the drills
    BoardView* view = viewer->boardView();
    QVERIFY(view->layerImage(0).fileFunction.starts_with("Copper,L4,Bot"));
    QVERIFY(view->layerImage(1).fileFunction.starts_with("Copper,L3,Inr"));
    QVERIFY(view->layerImage(2).fileFunction.starts_with("Copper,L2,Inr"));
    QVERIFY(view->layerImage(3).fileFunction.starts_with("Copper,L1,Top"));
    QVERIFY2(!viewer->problemList()->toPlainText().contains("is not of this job's run"),
             qPrintable(viewer->problemList()->toPlainText()));

    // a plot without X2 rewrites the files and leaves the job file of the run before
    x2->setChecked(false);
    window->onPlotClicked();
    viewer->openFiles({job});
    const QString problems = viewer->problemList()->toPlainText();
    for (const char* file : {"demo.GTL", "demo.GBL", "demo.GGD", "demo.GPW", "demo.TXT"}) {
        QVERIFY2(problems.contains(QString(file) +
                                   " is not of this job's run (the job file may be left from an "
                                   "earlier plot): it carries no ProjectId and no CreationDate"),
                 qPrintable(file + ("\n" + problems)));
    }
}

QTEST_MAIN(ViewerTest)
#include "viewer_test.moc"
