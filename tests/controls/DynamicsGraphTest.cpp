// The dynamics curve of the system page: frame, scales and grid where the
// layout puts them, the transfer curve and its handle from the values, the
// curve inside the plotting area for any values, and a mouse that changes
// nothing.
#include "tests/controls/GraphTestSupport.h"
#include "tests/controls/SkinTestSupport.h"

#include "controls/DynamicsGraph.h"
#include "controls/GraphSnapshots.h"
#include "model/Globals.h"

#include <QPainter>

#include <climits>
#include <memory>

using graphtest::Count;
using graphtest::Exactly;
using graphtest::InkBox;
using graphtest::Near;

namespace {

const QColor kFrame(0, 180, 0);
const QColor kGrid(21, 100, 21);
const QColor kYellow(255, 255, 0);
const QColor kReference(195, 195, 195);

class DynamicsGraphTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetModelState();
        model = std::make_unique<CKTV_Data>();
        page = std::make_unique<RecordingPage>();
        curve = new CDynamicsGraph(page.get());
        Prepare(*curve, DynamicsGraphSize(), 0);
    }
    void Prepare(CDynamicsGraph& c, QSize size, int channel) {
        c.resize(size);
        c.InitLayout();
        c.SetMode(CDynamicsGraph::kModeCurve);
        c.SetData(model.get());
        c.SetChannel(channel);
    }
    static QImage Paint(CDynamicsGraph& c, QColor under = Qt::magenta) {
        QImage img(c.size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32);
        img.fill(under);
        QPainter p(&img);
        c.PaintTo(p);
        return img;
    }

    std::unique_ptr<CKTV_Data> model;
    std::unique_ptr<RecordingPage> page;
    CDynamicsGraph* curve = nullptr;
};

TEST_F(DynamicsGraphTest, FrameScalesAndGridFollowTheLayout) {
    EXPECT_EQ(curve->size(), QSize(101, 158)); // 67 x 90 units of Arial 8
    EXPECT_EQ(curve->PlotRect(), QRect(20, 5, 71, 138));
    // A plotting area 420 pixels high: one pixel per unit, so the 0 dB line
    // is 120 pixels below the top.
    CDynamicsGraph tall(page.get());
    Prepare(tall, QSize(450, 440), 0);
    EXPECT_DOUBLE_EQ(tall.UnitY(), 1.0);
    EXPECT_DOUBLE_EQ(tall.UnitX(), 1.0);
    const QImage img = Paint(tall);
    EXPECT_EQ(img.pixelColor(20, 5), kFrame);
    EXPECT_EQ(img.pixelColor(439, 424), kFrame);
    for (int y : {125, 225, 325})
        EXPECT_EQ(img.pixelColor(400, y), kGrid) << y;
    for (int x : {120, 220, 320})
        EXPECT_EQ(img.pixelColor(x, 15), kGrid) << x;
    // Labels left of the frame and under it.
    EXPECT_GT(Count(img, QRect(0, 118, 20, 14), Near(QColor(200, 200, 200), 60)), 5);   // "  0"
    EXPECT_GT(Count(img, QRect(300, 425, 40, 15), Near(QColor(200, 200, 200), 60)), 3); // "0"
}

// Whether ink of the colour lies within a pixel of the point.
bool InkNear(const QImage& img, QPoint at, QColor colour) {
    return Count(img, QRect(at - QPoint(1, 1), QSize(3, 3)), Near(colour, 60)) > 0;
}

TEST_F(DynamicsGraphTest, TheCurveFollowsTheLimiterAndCompressor) {
    // One pixel per unit: input u is x = 20 + u, output u is y = 425 - u.
    CDynamicsGraph tall(page.get());
    Prepare(tall, QSize(450, 440), 2);
    // Compressor from -10 dBu at 2:1, limiter at -2 dBu.
    tall.SetLevels({280, 200, 11});
    const QImage img = Paint(tall);
    const QColor colour = tall.CurveColor();
    EXPECT_EQ(colour, QColor(128, 128, 192));
    // 1:1 below the knee (input -20 dBu gives -20 dBu) ...
    EXPECT_TRUE(InkNear(img, QPoint(120, 325), colour));
    // ... half as steep above it (input 0 dBu gives -5 dBu) ...
    EXPECT_TRUE(InkNear(img, QPoint(320, 175), colour));
    EXPECT_FALSE(InkNear(img, QPoint(320, 125), colour));
    // ... and flat at the limiter from input +6 dBu on, where the handle sits.
    EXPECT_EQ(img.pixelColor(420, 145), colour);
    EXPECT_EQ(img.pixelColor(438, 145), colour);
    EXPECT_EQ(tall.HandleRect(), QRect(377, 142, 6, 6));
    EXPECT_EQ(img.pixelColor(380, 145), kYellow);
    // The 1:1 reference runs on, dashed, above the compressed part.
    EXPECT_GT(Count(img, QRect(320, 5, 120, 121), Near(kReference, 30)), 40);
    // A limiter at 0 dBu lies on the 0 dB grid line.
    tall.SetLevels({300, 300, 1});
    EXPECT_EQ(Paint(tall).pixelColor(430, 125), colour);
}

TEST_F(DynamicsGraphTest, ExtremeValuesKeepTheCurveInsideThePlottingArea) {
    const int values[] = {INT_MIN, -1, 0, 1, 191, 360, 420, 421, 65535, INT_MAX};
    for (QSize size : {DynamicsGraphSize(), QSize(35, 25)}) {
        CDynamicsGraph c(page.get());
        Prepare(c, size, 7); // blue: nothing else of the graph is near it
        const QRect plot = c.PlotRect();
        const QColor ink = c.CurveColor();
        for (int limiter : values)
            for (int compressor : values)
                for (int ratio : {INT_MIN, 0, 1, 11, 191, INT_MAX}) {
                    c.SetLevels({limiter, compressor, ratio});
                    const QImage img = Paint(c);
                    int inside = 0;
                    for (int y = 0; y < img.height(); ++y) {
                        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
                        for (int x = 0; x < img.width(); ++x) {
                            if (qBlue(line[x]) < 200 || qRed(line[x]) > 60 || qGreen(line[x]) > 60)
                                continue;
                            ASSERT_TRUE(plot.contains(x, y)) << limiter << " " << compressor << " "
                                                             << ratio << " at " << x << "," << y;
                            ++inside;
                        }
                    }
                    // (In the smallest area the handle covers what there is of it.)
                    if (size == DynamicsGraphSize()) {
                        ASSERT_GT(inside, 0) << limiter << " " << compressor << " " << ratio;
                    }
                    // The handle's centre, on the curve: the far edges count as inside.
                    const QPoint centre = c.HandleRect().topLeft() + QPoint(3, 3);
                    ASSERT_TRUE(plot.adjusted(0, 0, 1, 1).contains(centre))
                        << centre.x() << "," << centre.y();
                }
        EXPECT_EQ(ink, QColor(0, 0, 255));
    }
}

TEST_F(DynamicsGraphTest, ChannelColoursAndWhatIsDrawnBeforeSetUp) {
    curve->SetChannel(5);
    EXPECT_EQ(curve->CurveColor(), QColor(192, 168, 0));
    curve->SetChannel(9); // no colour of its own: keeps the last
    EXPECT_EQ(curve->CurveColor(), QColor(192, 168, 0));
    EXPECT_EQ(curve->GetChannel(), 9);
    // Before mode 3 nothing is drawn.
    CDynamicsGraph fresh(page.get());
    fresh.resize(DynamicsGraphSize());
    fresh.InitLayout();
    const QImage untouched = Paint(fresh);
    EXPECT_EQ(Count(untouched, untouched.rect(), Exactly(Qt::magenta)),
              untouched.width() * untouched.height());
    // Without an output: frame and grid, no curve and no handle.
    fresh.SetMode(CDynamicsGraph::kModeCurve);
    const QImage bare = Paint(fresh);
    EXPECT_EQ(bare.pixelColor(fresh.PlotRect().topLeft()), kFrame);
    EXPECT_EQ(Count(bare, bare.rect(), Near(kYellow, 40)), 0);
}

TEST_F(DynamicsGraphTest, TheHandleShowsItsStatesAndAMouseDragChangesNothing) {
    curve->SetLevels({300, 100, 21});
    g_DeviceSynced = 1;
    const auto before = graphtest::ModelSettings(*model);
    const ItemRecord copy = curve->GetDynamicsCopy();
    const QPoint at = curve->HandleRect().center();
    skintest::Move(curve, at);
    EXPECT_TRUE(curve->IsHovering());
    EXPECT_EQ(curve->cursor().shape(), Qt::SizeBDiagCursor);
    skintest::Press(curve, at);
    EXPECT_TRUE(curve->IsDragging());
    skintest::Move(curve, at + QPoint(10, -30), Qt::LeftButton);
    skintest::Move(curve, QPoint(-500, 9000), Qt::LeftButton);
    EXPECT_TRUE(curve->IsHovering()); // unchanged while dragging
    skintest::Release(curve, QPoint(-500, 9000));
    EXPECT_FALSE(curve->IsDragging());
    skintest::Move(curve, QPoint(2, 2));
    EXPECT_FALSE(curve->IsHovering());
    EXPECT_EQ(curve->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(curve->GetLevels(), (dynamics::Levels{300, 100, 21}));
    EXPECT_EQ(curve->GetDynamicsCopy(), copy);
    EXPECT_EQ(graphtest::ModelSettings(*model), before);
    EXPECT_TRUE(page->received.empty());
    g_DeviceSynced = 0;
}

TEST_F(DynamicsGraphTest, RefreshTakesTheOutputsItemAgain) {
    model->GetOut(0)->SetAttackTime(77);
    EXPECT_NE(curve->GetDynamicsCopy(), model->GetOut(0)->GetDynamicsRecord());
    curve->Refresh();
    EXPECT_EQ(curve->GetDynamicsCopy(), model->GetOut(0)->GetDynamicsRecord());
}

TEST_F(DynamicsGraphTest, TinySizesPaint) {
    for (QSize size : {QSize(0, 0), QSize(1, 1), QSize(30, 20), QSize(31, 21)}) {
        CDynamicsGraph c(page.get());
        Prepare(c, size, 0);
        c.SetLevels({INT_MAX, INT_MIN, INT_MAX});
        Paint(c);
        c.grab();
        for (QPoint at : {QPoint(0, 0), QPoint(-3, -3), QPoint(size.width(), size.height())}) {
            skintest::Move(&c, at);
            skintest::Click(&c, at);
        }
    }
}

} // namespace
