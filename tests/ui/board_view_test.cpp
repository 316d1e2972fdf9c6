// The board view's redraws offscreen: what a pan keeps of the picture drawn before against a
// picture drawn anew, and work waited for with a progress dialog that can be cancelled.
#include "view/ui/board_view.h"

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include <QProgressDialog>
#include <QTimer>
#include <QtTest>

#include "view/layer_image.h"
#include "view/ui/background_work.h"

using namespace padloom;
using namespace padloom::ui;

namespace {

// Rows of round and square pads joined by tracks, and a region, on 3 x 2 inches.
std::vector<view::LayerImage> board() {
    std::string g =
        "%FSLAX23Y23*%\r\n%MOIN*%\r\n%ADD10C,.070*%\r\n%ADD11R,.060X.060*%\r\n"
        "%ADD12C,.012*%\r\n";
    for (int i = 0; i < 300; ++i) {
        const std::string x = std::to_string(100 + (i % 30) * 95);
        const std::string y = std::to_string(100 + (i / 30) * 190);
        const std::string x2 = std::to_string(140 + (i % 30) * 95);
        g += "D10*X" + x + "Y" + y + "D03*\r\nD11*X" + x2 + "Y" + y + "D03*\r\n";
        g += "D12*X" + x + "Y" + y + "D02*X" + x2 + "Y" + std::to_string(190 + (i / 30) * 190) +
             "D01*\r\n";
    }
    g += "G36*X1000Y1000D02*X2000Y1100D01*X1500Y1800D01*X1000Y1000D01*G37*\r\nM02*\r\n";
    std::vector<view::LayerImage> layers;
    layers.push_back(view::readLayerBytes("board.GTL", g));
    return layers;
}

int largestDifference(const QImage& a, const QImage& b) {
    int most = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                             std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return most;
}

}  // namespace

class BoardViewTest : public QObject {
    Q_OBJECT
private slots:
    void panKeepsWhatItCanAndDrawsTheRest();
    void workIsWaitedForAndCanBeCancelled();
};

// After pans by whole pixels (a drag, the arrow keys) the picture is what a view drawn from
// nothing shows there.
void BoardViewTest::panKeepsWhatItCanAndDrawsTheRest() {
    BoardView panned;
    panned.resize(400, 300);
    panned.setLayers(board());
    panned.zoomAt(2.0, QPointF(120, 90));
    panned.picture();
    const std::vector<QPointF> steps{{37, -21}, {-90, 0}, {0, 64}, {-5, -200}};
    for (const QPointF& step : steps) {
        panned.panBy(step);
        const QImage kept = panned.picture();

        BoardView fresh;
        fresh.resize(400, 300);
        fresh.setLayers(board());
        const view::ViewWindow v = panned.viewWindow();
        fresh.showAround((v.left + v.right()) / 2, (v.bottom + v.top()) / 2,
                         std::min(v.right() - v.left, v.top() - v.bottom));
        QVERIFY(std::abs(fresh.viewWindow().pixelsPerInch / v.pixelsPerInch - 1) < 1e-9);
        QVERIFY2(largestDifference(kept, fresh.picture()) <= 2,
                 qPrintable(QString("after a pan by %1, %2").arg(step.x()).arg(step.y())));
    }
    // a pan of a whole view or more draws it all anew
    panned.panBy(QPointF(1000, 0));
    QCOMPARE(panned.picture().size(), QSize(400, 300));
}

void BoardViewTest::workIsWaitedForAndCanBeCancelled() {
    QWidget window;
    // quick work: done without a dialog
    bool ran = false;
    QVERIFY(runWithProgress(&window, "Quick", [&](BackgroundProgress&) { ran = true; }));
    QVERIFY(ran);
    QVERIFY(window.findChildren<QProgressDialog*>().isEmpty());

    // what the work throws comes out here
    bool thrown = false;
    try {
        runWithProgress(&window, "Failing",
                        [](BackgroundProgress&) { throw std::runtime_error("bad file"); });
    } catch (const std::runtime_error& e) {
        thrown = QString(e.what()) == "bad file";
    }
    QVERIFY(thrown);

    // long work shows its progress; Cancel returns at once, and the work sees it
    auto stopped = std::make_shared<std::atomic<bool>>(false);
    QString shown;
    QTimer::singleShot(400, [&] {
        const auto dialogs = window.findChildren<QProgressDialog*>();
        if (!dialogs.isEmpty()) {
            shown = dialogs.front()->labelText();
            dialogs.front()->cancel();
        }
    });
    const auto start = std::chrono::steady_clock::now();
    const bool done = runWithProgress(&window, "Long", [stopped](BackgroundProgress& progress) {
        for (int i = 0; i < 1000 && !progress.cancelled(); ++i) {
            progress.report(i, 1000, "Reading step " + QString::number(i));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        *stopped = progress.cancelled();
    });
    QVERIFY(!done);
    QVERIFY(std::chrono::steady_clock::now() - start < std::chrono::seconds(5));
    QVERIFY2(shown.startsWith("Reading step "), qPrintable(shown));
    QTRY_VERIFY(stopped->load());
}

QTEST_MAIN(BoardViewTest)
#include "board_view_test.moc"
