#include "controls/GradientProgressCtrl.h"

#include "tests/platform/GuiTestSupport.h"

#include <QApplication>
#include <QPainter>
#include <QThread>

#include <atomic>

namespace {

const QColor kBack(1, 2, 3);

struct Bar {
    CGradientProgressCtrl ctrl;
    QImage Paint(int w, int h) {
        QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
        img.fill(kBack);
        QPainter p(&img);
        ctrl.Paint(p, img.rect());
        return img;
    }
};

// The gradient colour of band i from red to blue in 255 bands.
QColor Band(int i) {
    return QColor(255 - i, 0, i);
}

TEST(GradientProgressTest, PositionsAndRanges) {
    struct Case {
        int lower, upper, pos, stored;
        bool empty; // only background
    };
    const Case cases[] = {
        {0, 100, INT32_MIN, 0, true}, // SetRange alone: the position is the lower end
        {0, 100, 150, 100, false},    // limited to the upper end: the full gradient
        {0, 100, -5, -5, true},       // not raised to the lower end: an empty bar
        {0, 100, 100, 100, false},    {-10, 0, -5, -5, true}, // no upper end to divide by
    };
    for (const Case& c : cases) {
        Bar bar;
        bar.ctrl.SetRange(c.lower, c.upper);
        if (c.pos != INT32_MIN) bar.ctrl.SetPos(c.pos);
        EXPECT_EQ(bar.ctrl.GetPos(), c.stored);
        const QImage img = bar.Paint(255, 10);
        const QColor back = QApplication::palette().color(QPalette::Button);
        if (c.empty) {
            EXPECT_EQ(img.pixelColor(0, 5), back) << c.pos;
            EXPECT_EQ(img.pixelColor(254, 5), back) << c.pos;
        } else {
            EXPECT_EQ(img.pixelColor(0, 5), Band(0)) << c.pos;
            EXPECT_EQ(img.pixelColor(254, 5), Band(254)) << c.pos;
        }
    }
}

TEST(GradientProgressTest, TheBarGrowsInWholeBands) {
    // 255 pixels at 50 of 0..100: extent 127; bands 0 to 127, background from 128.
    Bar bar;
    bar.ctrl.SetRange(0, 100);
    bar.ctrl.SetPos(50);
    const QImage img = bar.Paint(255, 10);
    const QColor back = QApplication::palette().color(QPalette::Button);
    for (int x : {0, 1, 64, 126, 127})
        EXPECT_EQ(img.pixelColor(x, 9), Band(x)) << x;
    for (int x : {128, 200, 254})
        EXPECT_EQ(img.pixelColor(x, 9), back) << x;
}

TEST(GradientProgressTest, BandsSpanSeveralPixelsOnAWideBar) {
    // 510 pixels: two pixels per band.
    Bar bar;
    bar.ctrl.SetRange(0, 100);
    bar.ctrl.SetPos(100);
    const QImage img = bar.Paint(510, 4);
    for (int x : {0, 1, 2, 3, 100, 101, 509})
        EXPECT_EQ(img.pixelColor(x, 0), Band(x / 2)) << x;
}

TEST(GradientProgressTest, AVerticalBarFillsFromTheTop) {
    Bar bar;
    bar.ctrl.SetOrientation(Qt::Vertical);
    bar.ctrl.SetRange(0, 100);
    bar.ctrl.SetPos(50);
    const QImage img = bar.Paint(6, 255);
    EXPECT_EQ(img.pixelColor(3, 0), Band(0));
    EXPECT_EQ(img.pixelColor(3, 127), Band(127));
    EXPECT_EQ(img.pixelColor(3, 128), QApplication::palette().color(QPalette::Button));
}

// Counts the repaint requests and where they are handled.
class CountingBar : public CGradientProgressCtrl {
public:
    LRESULT WindowProc(unsigned msg, WPARAM w, LPARAM l) override {
        if (msg == PBM_SETPOS) {
            handled++;
            if (QThread::currentThread() != thread()) wrongThread = true;
        }
        return CGradientProgressCtrl::WindowProc(msg, w, l);
    }
    std::atomic<int> handled{0};
    std::atomic<bool> wrongThread{false};
};

TEST(GradientProgressTest, APositionSetFromAWorkerThreadRepaintsOnTheUiThread) {
    Watchdog dog(30);
    CountingBar bar;
    bar.resize(255, 12);
    bar.show();
    bar.SetRange(0, 100);
    std::thread worker([&bar] {
        for (int pos = 1; pos <= 100; ++pos)
            bar.SetPos(pos);
    });
    worker.join();
    EXPECT_EQ(bar.GetPos(), 100);
    ASSERT_TRUE(PumpUntil([&] { return bar.handled == 100; }));
    EXPECT_FALSE(bar.wrongThread);
    const QImage shown = bar.grab().toImage();
    EXPECT_EQ(shown.pixelColor(0, 6), Band(0));
    EXPECT_EQ(shown.pixelColor(254, 6), Band(254));
}

} // namespace

namespace {

// The update dialog's bar draws its percentage of the range over itself:
// two decimals on the way, none at the end, nothing on an empty bar.
TEST(GradientProgressTest, ThePercentageOfTheRangeIsDrawnOverTheBar) {
    struct Case {
        int lower, upper, pos;
        const char* text;
    } cases[] = {
        {0, 7329, 2949, "40.24 %"},
        {0, 400, 400, "100 %"},
        {100, 300, 200, "50.00 %"},
    };
    for (const Case& c : cases) {
        Bar bar;
        bar.ctrl.SetRange(c.lower, c.upper);
        bar.ctrl.SetPos(c.pos);
        EXPECT_EQ(bar.ctrl.PercentText(), QString::fromLatin1(c.text)) << c.text;
        const QImage plain = bar.Paint(200, 20);
        bar.ctrl.SetShowText(true);
        EXPECT_NE(bar.Paint(200, 20), plain) << "the text is drawn";
    }
    Bar empty;
    empty.ctrl.SetShowText(true);
    empty.ctrl.SetRange(0, 100);
    const QImage img = empty.Paint(200, 20);
    for (int x = 0; x < img.width(); ++x)
        ASSERT_EQ(img.pixelColor(x, 10), img.pixelColor(0, 0))
            << "an empty bar has no text, at " << x;
}

} // namespace
