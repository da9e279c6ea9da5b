// The bitmap slider as a widget: pictures, mouse, keys, wheel, focus and the
// messages it posts to its page.
#include "tests/controls/ControlPage.h"
#include "controls/BitmapSlider.h"
#include "controls/NumEdit.h"
#include "platform/Skin.h"

#include <QTest>
#include <QWheelEvent>

#include <memory>

namespace {

constexpr int kSliderId = 5100;
// The equaliser gain fader's pictures: track, thumb, focused thumb, and the
// thumb of a band outside the crossover.
constexpr int kTrack = 610, kThumb = 611, kThumbOutside = 612, kThumbActive = 613;
constexpr int kThumbOff = 628; // a fader whose input is off

class SliderTest : public ::testing::Test {
protected:
    void SetUp() override {
        page = std::make_unique<RecordingPage>();
        fader = new CBitmapSlider(page.get());
        SetControlId(fader, kSliderId);
        fader->move(20, 20);
        ASSERT_TRUE(fader->SetBitmapChannel(kTrack, 0, false));
        ASSERT_TRUE(fader->SetBitmapThumb(kThumb, kThumbActive, true));
        fader->SetRange(0, 240, false);
        fader->SetMargin(7, 1, 1, 1);
        fader->SetValueKind(10);
        fader->EnableMoveNotify(true);
        fader->SetClock(clock.Fn());
        ShowActive(page.get());
        page->Clear();
    }

    QPoint AtPos(int pos, int offset = 0) const {
        return QPoint(fader->width() / 2, fader->PosToPixel(pos) + offset);
    }
    void Wheel(int delta) {
        QWheelEvent e(QPointF(5, 5), fader->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(fader, &e);
    }
    static int Position(const Received& r) { return static_cast<int>(r.lParam); }

    FakeClock clock;
    std::unique_ptr<RecordingPage> page;
    CBitmapSlider* fader = nullptr;
};

} // namespace

// A page has a dozen faders with the same track: one copy of it, keyed alike,
// serves them all; another key colour is a picture of its own.
TEST_F(SliderTest, FadersWithTheSameTrackShareOnePicture) {
    const struct {
        bool transparent;
        QRgb key;
    } looks[] = {{false, CBitmapSlider::kColorAtPoint}, {false, 0xFFFFFFFFu},
                 {true, CBitmapSlider::kColorAtPoint},  {true, 0xFFFFFFFFu},
                 {true, CBitmapSlider::kColorAtPoint},  {true, 0xFFFFFFFFu}};
    std::vector<const uchar*> bits;
    for (const auto& look : looks) {
        auto* other = new CBitmapSlider(page.get());
        ASSERT_TRUE(other->SetBitmapChannel(kTrack, 0, look.transparent, look.key));
        bits.push_back(other->ChannelPicture().constBits());
    }
    const uchar* plain = fader->ChannelPicture().constBits();
    EXPECT_EQ(bits[0], plain);
    EXPECT_EQ(bits[1], plain); // no key, no colour
    EXPECT_EQ(bits[4], bits[2]);
    EXPECT_EQ(bits[5], bits[3]);
    EXPECT_NE(bits[2], plain);
    EXPECT_NE(bits[3], bits[2]);
    // Keyed pixels are transparent, and only those.
    auto* keyedFader = new CBitmapSlider(page.get());
    ASSERT_TRUE(keyedFader->SetBitmapChannel(kTrack, 0, true));
    const QImage whole = fader->ChannelPicture(), keyed = keyedFader->ChannelPicture();
    const QRgb key = whole.pixel(0, 0) & RGB_MASK;
    for (int y = 0; y < whole.height(); ++y)
        for (int x = 0; x < whole.width(); ++x)
            ASSERT_EQ(keyed.pixel(x, y),
                      (whole.pixel(x, y) & RGB_MASK) == key ? 0u : whole.pixel(x, y));
}

TEST_F(SliderTest, TakesTheSizeOfItsTrackAndRejectsUnknownPictures) {
    EXPECT_EQ(fader->size(), skin::Size(kTrack));
    EXPECT_FALSE(fader->SetBitmapChannel(65000));
    EXPECT_FALSE(fader->SetBitmapThumb(65000));
    // The same thumb again changes nothing, whatever its other arguments.
    EXPECT_TRUE(fader->SetBitmapThumb(kThumb, kThumbOutside, false));
}

TEST_F(SliderTest, RangeAlwaysStartsAtZeroAndPositionsAreClamped) {
    fader->SetRange(5, 200, true);
    EXPECT_EQ(fader->GetRangeMax(), 200);
    fader->SetPos(-3);
    EXPECT_EQ(fader->GetPos(), 0);
    fader->SetPos(201);
    EXPECT_EQ(fader->GetPos(), 200);
}

TEST_F(SliderTest, ValueKinds) {
    fader->SetValue(320); // +12 dB at the top
    EXPECT_EQ(fader->GetPos(), 0);
    EXPECT_EQ(fader->GetValue(), 320);
    fader->SetValue(200);
    EXPECT_EQ(fader->GetPos(), 120);
    fader->SetValueKind(34);
    fader->SetValue(20);
    EXPECT_EQ(fader->GetPos(), 0);
}

TEST_F(SliderTest, AClickOnTheTrackStepsOnceAndReportsOnTheNextTickAndAtRelease) {
    fader->SetPos(120);
    QTest::mousePress(fader, Qt::LeftButton, {}, AtPos(120, 40)); // below the thumb
    EXPECT_EQ(fader->GetPos(), 121);
    EXPECT_TRUE(fader->hasFocus());
    page->Take(WM_SLIDER_MOVING); // the report of taking the focus
    clock.now += 20;
    fader->OnMoveTimer();
    EXPECT_EQ(page->Count(WM_SLIDER_MOVING), 0u);
    clock.now += 30;
    fader->OnMoveTimer();
    const auto moving = page->Take(WM_SLIDER_MOVING);
    ASSERT_EQ(moving.size(), 1u);
    EXPECT_EQ(moving[0].wParam, static_cast<WPARAM>(kSliderId));
    EXPECT_EQ(Position(moving[0]), 121);
    QTest::mouseMove(fader, AtPos(200)); // a click does not drag
    EXPECT_EQ(fader->GetPos(), 121);
    QTest::mouseRelease(fader, Qt::LeftButton, {}, AtPos(200));
    const auto moved = page->Take(WM_SLIDER_MOVED);
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(Position(moved[0]), 121);
}

TEST_F(SliderTest, DraggingReportsAtMostOncePer50Ms) {
    fader->SetPos(0);
    QTest::mousePress(fader, Qt::LeftButton, {}, AtPos(0));
    page->Clear();
    int reports = 0;
    int64_t last = -1000;
    for (int step = 1; step <= 100; ++step) {
        clock.now += 3;
        QTest::mouseMove(fader, AtPos(0, step));
        if (step % 17 == 0) fader->OnMoveTimer();
        for (const Received& r : page->Take(WM_SLIDER_MOVING)) {
            (void)r;
            EXPECT_GE(clock.now - last, 50);
            last = clock.now;
            ++reports;
        }
    }
    EXPECT_GE(reports, 5);
    EXPECT_LE(reports, 300 / 50);
    EXPECT_GT(fader->GetPos(), 100);
    QTest::mouseRelease(fader, Qt::LeftButton, {}, AtPos(0, 100));
    EXPECT_EQ(page->Count(WM_SLIDER_MOVED), 1u);
    clock.now += 100;
    fader->OnMoveTimer();
    EXPECT_EQ(page->Count(WM_SLIDER_MOVING), 0u);
}

TEST_F(SliderTest, KeysMoveAndAlwaysReportTheEndOfAMove) {
    struct Case {
        Qt::Key key;
        int from, to;
    } cases[] = {
        {Qt::Key_Home, 0, 0},         {Qt::Key_End, 10, 240}, {Qt::Key_PageUp, 100, 87},
        {Qt::Key_PageDown, 100, 113}, {Qt::Key_Up, 100, 99},  {Qt::Key_Right, 100, 101},
    };
    for (const auto& c : cases) {
        fader->SetPos(c.from);
        QTest::keyClick(fader, c.key);
        EXPECT_EQ(fader->GetPos(), c.to) << c.key;
        const auto moved = page->Take(WM_SLIDER_MOVED);
        ASSERT_EQ(moved.size(), 1u) << c.key;
        EXPECT_EQ(Position(moved[0]), c.to);
    }
    QTest::keyClick(fader, Qt::Key_A);
    EXPECT_EQ(page->Count(WM_SLIDER_MOVED), 0u);
}

TEST_F(SliderTest, WheelStepsOnlyWholeNotchesButReportsEveryMessage) {
    fader->SetPos(100);
    Wheel(-120); // toward the user: a vertical thumb goes down
    EXPECT_EQ(fader->GetPos(), 101);
    Wheel(240);
    EXPECT_EQ(fader->GetPos(), 101);
    Wheel(120);
    EXPECT_EQ(fader->GetPos(), 100);
    EXPECT_EQ(page->Count(WM_SLIDER_MOVED), 3u);
}

TEST_F(SliderTest, InputOffIgnoresMouseKeysAndWheel) {
    fader->SetPos(100);
    fader->EnableInput(false);
    QTest::mousePress(fader, Qt::LeftButton, {}, AtPos(100, 40));
    QTest::mouseRelease(fader, Qt::LeftButton, {}, AtPos(100, 40));
    QTest::keyClick(fader, Qt::Key_End);
    Wheel(-120);
    EXPECT_EQ(fader->GetPos(), 100);
    EXPECT_EQ(page->Count(WM_SLIDER_MOVED), 0u);
    EXPECT_EQ(page->Count(WM_SLIDER_MOVING), 0u);
}

TEST_F(SliderTest, TurningInputOffEndsADrag) {
    fader->SetPos(100);
    QTest::mousePress(fader, Qt::LeftButton, {}, AtPos(100));
    fader->EnableInput(false);
    QTest::mouseMove(fader, AtPos(100, 30));
    EXPECT_EQ(fader->GetPos(), 100);
    fader->EnableInput(true);
    QTest::mouseMove(fader, AtPos(100, 30));
    EXPECT_EQ(fader->GetPos(), 100);
}

TEST_F(SliderTest, FocusIsReportedAndSharedWithTheBuddyField) {
    auto* field = new CNumEdit(page.get());
    field->setGeometry(100, 10, 60, 18);
    field->show();
    fader->SetBuddyEdit(field);
    fader->SetPos(42);
    platform::SendMessage(fader, WM_SLIDER_TAKE_FOCUS);
    EXPECT_TRUE(fader->hasFocus());
    EXPECT_TRUE(fader->GetFocusState());
    EXPECT_TRUE(field->IsHighlighted());
    const auto moving = page->Take(WM_SLIDER_MOVING);
    ASSERT_EQ(moving.size(), 1u);
    EXPECT_EQ(Position(moving[0]), 42);
    field->setFocus();
    QCoreApplication::processEvents();
    EXPECT_FALSE(fader->hasFocus());
}

TEST_F(SliderTest, HoverReportsNewPointsOutsideADrag) {
    QTest::mouseMove(fader, QPoint(5, 30));
    QTest::mouseMove(fader, QPoint(5, 30));
    QTest::mouseMove(fader, QPoint(6, 30));
    const auto hover = page->Take(WM_CONTROL_HOVER);
    ASSERT_EQ(hover.size(), 2u);
    EXPECT_EQ(hover[0].lParam, kSliderId);
    fader->EnableMoveNotify(false);
    QTest::mouseMove(fader, QPoint(7, 30));
    EXPECT_EQ(page->Count(WM_CONTROL_HOVER), 0u);
}

TEST_F(SliderTest, DrawsTheThumbAtItsPositionAndTheOffThumbWhileInputIsOff) {
    const QImage thumb = skin::Image(kThumb);
    const QImage off = skin::Image(kThumbOff);
    ASSERT_FALSE(thumb.isNull());
    ASSERT_FALSE(off.isNull());
    fader->SetThumbMask(kThumbOff);
    for (int pos : {0, 120, 240}) {
        fader->SetPos(pos);
        const QImage shot = fader->grab().toImage();
        const QPoint centre(7 + thumb.width() / 2, fader->PosToPixel(pos));
        EXPECT_EQ(shot.pixel(centre), thumb.pixel(thumb.width() / 2, thumb.height() / 2)) << pos;
    }
    fader->EnableInput(false);
    const QImage shot = fader->grab().toImage();
    const QPoint centre(7 + off.width() / 2,
                        fader->PosToPixel(240) - thumb.height() / 2 + off.height() / 2);
    EXPECT_EQ(shot.pixel(centre), off.pixel(off.width() / 2, off.height() / 2));
}
