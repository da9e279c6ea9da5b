#include "controls/SkinButton.h"

#include "tests/controls/SkinTestSupport.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

using skintest::Message;
using skintest::Parent;

class SkinButtonTest : public ::testing::Test {
protected:
    ControlTimer::ManualTime manual;
    Parent parent;
};

TEST_F(SkinButtonTest, CheckStateByKind) {
    CSkinButton push(&parent, 1781, CSkinButton::kPush);
    push.SetCheck(1);
    EXPECT_EQ(push.GetCheck(), 0); // a push button stays unchecked

    CSkinButton check(&parent, 1782, CSkinButton::kCheck);
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(&check, &space);
    EXPECT_EQ(check.GetCheck(), 1);
    QApplication::sendEvent(&check, &space);
    EXPECT_EQ(check.GetCheck(), 0);
    skintest::Click(&check, {2, 2});
    EXPECT_EQ(check.GetCheck(), 1);
}

TEST_F(SkinButtonTest, CheckingARadioButtonUnchecksTheRestOfItsGroup) {
    Parent page;
    // Two groups: a, b, other (a window of another kind) | c.
    auto* a = new CSkinButton(&page, 1, CSkinButton::kRadio);
    auto* b = new CSkinButton(&page, 2, CSkinButton::kRadio);
    auto* other = new Parent;
    other->setParent(&page);
    auto* c = new CSkinButton(&page, 3, CSkinButton::kRadio);
    CSkinButton::SetGroupStart(a, true);
    CSkinButton::SetGroupStart(c, true);
    b->SetCheck(1);
    c->SetCheck(1);
    page.Clear();
    other->Clear();

    skintest::Click(a, {2, 2}); // released over itself: checked
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(a->GetCheck(), 1);
    EXPECT_EQ(b->GetCheck(), 0);
    EXPECT_EQ(c->GetCheck(), 1); // another group
    EXPECT_EQ(skintest::Take(*other, WM_RADIO_UNCHECK).size(),
              1u); // windows of other kinds hear it too

    a->SetCheck(1); // already checked: nobody is told again
    EXPECT_TRUE(skintest::Take(*other, WM_RADIO_UNCHECK).empty());
}

TEST_F(SkinButtonTest, LoadSkinTakesItsValuesWithinTheirRanges) {
    struct Case {
        int mode, margin;
        CSkinButton::DrawMode wantMode;
        int wantMargin;
    };
    const Case cases[] = {{-1, 2, CSkinButton::kNormal, 2},
                          {7, -3, CSkinButton::kTile, 0},
                          {1, 5, CSkinButton::kStretch, 5}};
    for (const Case& c : cases) {
        CSkinButton b(&parent);
        b.LoadSkin(1060, 1061, 1059, 0, 0, 0, c.mode, 1, c.margin);
        EXPECT_EQ(b.GetDrawMode(), c.wantMode);
        EXPECT_EQ(b.Margin(), c.wantMargin);
        EXPECT_TRUE(b.WindowRegion().isEmpty());
    }
}

TEST_F(SkinButtonTest, TheMaskCutsTheButtonToItsShape) {
    struct Case {
        std::vector<const char*> rows; // '#' not see-through
        std::vector<QRect> want;
    };
    const Case cases[] = {
        {{"....", "...."}, {}}, // all white: nothing of the button is left
        {{"##..", ".##."}, {QRect(0, 0, 2, 1), QRect(1, 1, 2, 1)}},
        {{"#.##", "...."}, {QRect(0, 0, 1, 1), QRect(2, 0, 2, 1)}},
        // A run reaching the last column ends there, not in the next row.
        {{"...#", "#..."}, {QRect(3, 0, 1, 1), QRect(0, 1, 1, 1)}},
    };
    for (const Case& c : cases) {
        QImage mask(int(std::strlen(c.rows[0])), int(c.rows.size()), QImage::Format_RGB32);
        for (int y = 0; y < mask.height(); ++y)
            for (int x = 0; x < mask.width(); ++x)
                mask.setPixel(x, y, c.rows[y][x] == '#' ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        QRegion want;
        for (const QRect& r : c.want)
            want += r;
        EXPECT_EQ(CSkinButton::RegionFromMask(mask), want) << c.rows[0];
    }
}

TEST_F(SkinButtonTest, AHeldButtonReportsEveryPeriod) {
    CSkinButton b(&parent, 1837);
    skintest::Press(&b, {2, 2});
    EXPECT_FALSE(b.HoldTimer().IsActive()); // only with the report on
    skintest::Release(&b, {2, 2});
    b.EnableHoldNotify(42);
    skintest::Press(&b, {2, 2});
    EXPECT_TRUE(b.HoldTimer().IsActive());
    EXPECT_EQ(b.HoldTimer().Period(), 200);
    b.HoldTimer().Fire();
    b.HoldTimer().Fire();
    skintest::Release(&b, {2, 2});
    EXPECT_FALSE(b.HoldTimer().IsActive());
    EXPECT_EQ(skintest::Take(parent, WM_HOLD_REPORT),
              (std::vector<Message>{{WM_HOLD_REPORT, 1837, 42}, {WM_HOLD_REPORT, 1837, 42}}));
    EXPECT_EQ(skintest::Take(parent, WM_COMMAND).size(), 2u);
}

TEST_F(SkinButtonTest, ThePointerLightsTheCaptionUntilAPress) {
    CSkinButton b(&parent);
    skintest::Move(&b, {2, 2});
    EXPECT_TRUE(b.IsHover());
    skintest::Press(&b, {2, 2});
    EXPECT_FALSE(b.IsHover());
    EXPECT_TRUE(b.IsPressed());
    EXPECT_TRUE(b.isDown());
    skintest::Move(&b, {b.width() + 5, 2}, Qt::LeftButton); // dragged off: raised again
    EXPECT_FALSE(b.isDown());
    skintest::Move(&b, {2, 2}, Qt::LeftButton);
    EXPECT_TRUE(b.isDown());
    EXPECT_FALSE(b.IsHover());
}

} // namespace
