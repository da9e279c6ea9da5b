// The bitmap slider's mapping and input rules.
#include "controls/core/SliderCore.h"

#include <gtest/gtest.h>

#include <vector>

using slider::Key;
using slider::Model;
using slider::Travel;

namespace {

// A 200-pixel vertical travel: margins 7 and 1, a 20-pixel thumb; the thumb
// centre moves from 17 to 189 (172 usable pixels).
Travel EqTravel() {
    return Travel{200, 7, 1, 20};
}

Model MakeModel(int maximum = 240, int pos = 120, bool vertical = true) {
    Model m;
    m.SetRange(maximum);
    m.SetTravel(EqTravel());
    m.SetVertical(vertical);
    m.SetPos(pos);
    return m;
}

} // namespace

TEST(SliderMap, PositionToPixelAndBack) {
    struct Case {
        Travel travel;
        int minimum, maximum, pos, pixel;
    } cases[] = {
        {EqTravel(), 0, 240, 0, 17},
        {EqTravel(), 0, 240, 240, 189},
        {EqTravel(), 0, 240, 120, 103},
        {EqTravel(), 0, 240, 1, 17},
        {EqTravel(), 0, 240, 2, 18},
        {Travel{31, 3, 3, 15}, 0, 66, 33, 15},
        {Travel{31, 3, 3, 15}, 0, 66, 66, 20},
        // Nothing to travel, or nothing to map: the start.
        {EqTravel(), 0, 0, 0, 17},
        {EqTravel(), 0, 0, 5, 17},
        {Travel{20, 0, 0, 20}, 0, 240, 200, 10},
        {Travel{10, 3, 3, 20}, 0, 240, 200, 13},
        {EqTravel(), 5, 5, 5, 17},
    };
    for (const auto& c : cases)
        EXPECT_EQ(slider::PosToPixel(c.travel, c.minimum, c.maximum, c.pos), c.pixel)
            << "pos " << c.pos << " of " << c.maximum;

    struct Back {
        Travel travel;
        int minimum, maximum, pixel, pos;
    } back[] = {
        {EqTravel(), 0, 240, 17, 0},
        {EqTravel(), 0, 240, 189, 240},
        {EqTravel(), 0, 240, 103, 120},
        {EqTravel(), 0, 240, 18, 1},
        {EqTravel(), 0, 240, 0, -23}, // truncated toward zero
        {EqTravel(), 0, 0, 150, 0},
        {Travel{20, 0, 0, 20}, 0, 240, 15, 0},
        {Travel{10, 3, 3, 20}, 7, 240, 15, 7},
    };
    for (const auto& c : back)
        EXPECT_EQ(slider::PixelToPos(c.travel, c.minimum, c.maximum, c.pixel), c.pos)
            << "pixel " << c.pixel;
}

TEST(SliderMap, ValueKinds) {
    struct Case {
        int kind, maximum, value, pos;
    } cases[] = {
        {slider::kEqGain, 240, 320, 0},
        {slider::kEqGain, 240, 80, 240},
        {slider::kEqGain, 240, 200, 120},
        {slider::kDirect, 100, 55, 55},
        {slider::kPhase, 180, 20, 0},
        {slider::kPhase, 180, 200, 180},
        {slider::kInverted, 66, 60, 6},
        {1, 66, 60, 6},
        {2, 600, 0, 600},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(slider::PositionFromValue(c.kind, c.maximum, c.value), c.pos)
            << "kind " << c.kind;
        EXPECT_EQ(slider::ValueFromPosition(c.kind, c.maximum, c.pos), c.value)
            << "kind " << c.kind;
    }
    // Positions are not clamped by a value: the page's values stay in range.
    Model m = MakeModel();
    m.SetKind(slider::kEqGain);
    m.SetValue(330);
    EXPECT_EQ(m.Pos(), -10);
    EXPECT_EQ(m.Value(), 330);
}

TEST(SliderMap, FrequencyKinds) {
    struct Case {
        int kind, maximum, pos, hz, expected;
    } cases[] = {
        {slider::kFrequencyLow, 240, 0, 1000, 104},  {slider::kFrequencyLow, 240, 0, 20000, 0},
        {slider::kFrequencyLow, 240, 0, 10, 240},    {slider::kFrequencyHigh, 100, 0, 20000, 52},
        {slider::kFrequencyHigh, 100, 0, 1000, 100}, {slider::kInverted, 100, 40, 1000, 40},
        {slider::kEqGain, 100, 140, 1000, 100},
    };
    for (const auto& c : cases)
        EXPECT_EQ(slider::PositionFromFrequency(c.kind, c.maximum, c.pos, c.hz), c.expected)
            << "kind " << c.kind << " " << c.hz << " Hz";
}

TEST(SliderModel, PositionIsClampedToTheRange) {
    Model m = MakeModel(200, 0);
    m.SetPos(-3);
    EXPECT_EQ(m.Pos(), 0);
    m.SetPos(201);
    EXPECT_EQ(m.Pos(), 200);
    m.SetRange(100); // not re-clamped until the next move
    EXPECT_EQ(m.Pos(), 200);
}

TEST(SliderModel, ClickOnTheChannelStepsOnceAndDoesNotDrag) {
    Model m = MakeModel(240, 120);
    const int thumb = m.PosToPixel(120);
    ASSERT_TRUE(m.Press(thumb + 50, 0)); // below the thumb of a vertical slider
    EXPECT_EQ(m.Pos(), 121);
    EXPECT_FALSE(m.Dragging());
    EXPECT_FALSE(m.Move(thumb + 80, 10));
    EXPECT_EQ(m.Pos(), 121);
    EXPECT_FALSE(m.Tick(40));
    EXPECT_TRUE(m.Tick(50)); // the step is reported on the next tick
    EXPECT_FALSE(m.Tick(100));
    EXPECT_TRUE(m.Release());

    ASSERT_TRUE(m.Press(m.PosToPixel(121) - 50, 200)); // above: one step up
    EXPECT_EQ(m.Pos(), 120);
    m.Release();
}

TEST(SliderModel, DragOnTheThumbFollowsTheMouseFromTheGrabPoint) {
    Model m = MakeModel(240, 120);
    const int thumb = m.PosToPixel(120);
    ASSERT_TRUE(m.Press(thumb + 4, 0)); // grabbed 4 pixels below the centre
    EXPECT_TRUE(m.Dragging());
    EXPECT_EQ(m.Pos(), 120);
    m.Move(thumb + 4 + 43, 60); // the centre goes 43 pixels down: 60 positions
    EXPECT_EQ(m.Pos(), m.PixelToPos(thumb + 43));
    EXPECT_EQ(m.Pos(), 180);
    m.Move(1000, 120); // beyond the end: the end
    EXPECT_EQ(m.Pos(), 240);
    m.Move(-1000, 180);
    EXPECT_EQ(m.Pos(), 0);
    EXPECT_TRUE(m.Release());
    EXPECT_FALSE(m.Dragging());
}

TEST(SliderModel, HorizontalDragUsesItsOwnAxis) {
    Model m = MakeModel(66, 0, false);
    m.SetTravel(Travel{31, 3, 3, 15});
    ASSERT_TRUE(m.Press(m.PosToPixel(0), 0));
    m.Move(23, 10);
    EXPECT_EQ(m.Pos(), 66);
}

TEST(SliderModel, MovingReportsAreRateLimited) {
    Model m = MakeModel(240, 0);
    ASSERT_TRUE(m.Press(m.PosToPixel(0), 0));
    std::vector<int64_t> reports;
    // The mouse moves a pixel every 2 ms for 300 ms; the timer ticks every 50.
    for (int64_t t = 1; t <= 300; ++t) {
        if (t % 2 == 0 && m.Move(m.PosToPixel(0) + static_cast<int>(t / 2), t))
            reports.push_back(t);
        if (t % 50 == 0 && m.Tick(t)) reports.push_back(t);
    }
    ASSERT_FALSE(reports.empty());
    EXPECT_GE(reports.front(), 50);
    for (size_t i = 1; i < reports.size(); ++i)
        EXPECT_GE(reports[i] - reports[i - 1], 50);
    EXPECT_GE(reports.size(), 5u);
    // No change, no report; the release drops what is pending.
    m.Move(m.PosToPixel(m.Pos()), 301);
    EXPECT_FALSE(m.Tick(400));
    m.Move(m.PosToPixel(m.Pos()) + 5, 410);
    EXPECT_TRUE(m.Release());
    EXPECT_FALSE(m.Tick(500));
}

TEST(SliderModel, Keys) {
    struct Case {
        Key key;
        int from, expected;
    } cases[] = {
        {Key::PageUp, 50, 37}, {Key::PageDown, 50, 63},  {Key::End, 50, 100},
        {Key::Home, 50, 0},    {Key::Left, 50, 49},      {Key::Up, 50, 49},
        {Key::Right, 50, 51},  {Key::Down, 50, 51},      {Key::Home, 0, 0},
        {Key::PageUp, 5, 0},   {Key::PageDown, 95, 100},
    };
    for (const auto& c : cases) {
        Model m = MakeModel(100, c.from);
        EXPECT_TRUE(m.KeyPress(c.key)); // reported even when nothing moved
        EXPECT_EQ(m.Pos(), c.expected);
    }
}

TEST(SliderModel, Wheel) {
    struct Case {
        bool vertical;
        int delta, expected;
    } cases[] = {
        {true, -120, 51}, {true, 120, 49}, {false, -120, 49}, {false, 120, 51},
        {true, 240, 50},  {true, 60, 50},  {false, 0, 50},
    };
    for (const auto& c : cases) {
        Model m = MakeModel(100, 50, c.vertical);
        EXPECT_TRUE(m.Wheel(c.delta)); // every wheel message is reported
        EXPECT_EQ(m.Pos(), c.expected) << c.delta;
    }
}

TEST(SliderModel, DisabledInputIgnoresMouseKeysAndWheel) {
    Model m = MakeModel(100, 50);
    m.EnableInput(false);
    EXPECT_FALSE(m.Press(m.PosToPixel(50) + 40, 0));
    EXPECT_FALSE(m.KeyPress(Key::End));
    EXPECT_FALSE(m.Wheel(-120));
    EXPECT_FALSE(m.Release());
    EXPECT_EQ(m.Pos(), 50);

    // Disabling during a drag ends the drag.
    Model d = MakeModel(100, 50);
    ASSERT_TRUE(d.Press(d.PosToPixel(50), 0));
    ASSERT_TRUE(d.Dragging());
    EXPECT_TRUE(d.EnableInput(false));
    EXPECT_FALSE(d.Dragging());
    EXPECT_FALSE(d.EnableInput(true));
    EXPECT_FALSE(d.Move(d.PosToPixel(50) + 30, 60));
    EXPECT_EQ(d.Pos(), 50);
}
