#include "controls/PictureButton.h"

#include "tests/controls/SkinTestSupport.h"
#include "platform/Skin.h"

#include <gtest/gtest.h>

namespace {

using skintest::Message;
using skintest::Parent;

// Six pictures of one size.
constexpr unsigned kOnN = 1061, kOnH = 1117, kOnP = 1060;
constexpr unsigned kOffN = 1063, kOffH = 1118, kOffP = 1064;

TEST(PictureButtonTest, TheFaceFollowsTheStateAndThePointer) {
    struct Case {
        int state;
        bool hover, pressed;
        unsigned want;
    };
    const Case cases[] = {
        {1, false, false, kOnN}, {1, true, false, kOnH},   {1, true, true, kOnP},
        {1, false, true, kOnN},  {0, false, false, kOffN}, {0, true, false, kOffH},
        {0, true, true, kOffP},  {5, false, false, kOnN}, // any non-zero state is on
    };
    for (const Case& c : cases) {
        Parent parent;
        CPictureButton b(&parent, 1413);
        b.SetBitmaps(kOnN, kOnH, kOnP, kOffN, kOffH, kOffP);
        if (c.pressed) skintest::Press(&b, {2, 2});
        b.SetHoverLook(c.hover);
        b.SetCheck(c.state);
        EXPECT_EQ(b.GetCheck(), c.state);
        EXPECT_EQ(b.CurrentBitmap(), c.want) << c.state << c.hover << c.pressed;
        EXPECT_TRUE(skintest::ShowsPicture(&b, skin::Image(int(c.want))));
    }
}

TEST(PictureButtonTest, ANewButtonShowsTheOnGroup) {
    Parent parent;
    CPictureButton b(&parent);
    b.SetBitmaps(kOnN, kOnH, kOnP, kOffN, kOffH, kOffP);
    EXPECT_EQ(b.GetCheck(), 1);
    EXPECT_EQ(b.CurrentBitmap(), kOnN);
    EXPECT_EQ(b.size(), skin::Size(int(kOnN))); // a template size is corrected
}

TEST(PictureButtonTest, APressedFaceNeedsAHoverFace) {
    Parent parent;
    CPictureButton b(&parent);
    b.resize(30, 20);
    b.SetBitmaps(kOnN, 0, kOnP, kOffN, kOffH, kOffP);
    skintest::Press(&b, {2, 2});
    b.SetHoverLook(true);
    EXPECT_EQ(b.CurrentBitmap(), 0u); // nothing painted: what is under it shows
    const QSize before = b.size();
    b.SetBitmaps(0, 0, 0, 0, 0, 0); // no picture: the size stays
    EXPECT_EQ(b.size(), before);
}

TEST(PictureButtonTest, EnteringReportsOncePerEntryPoint) {
    Parent parent;
    CPictureButton b(&parent, 8801);
    b.SetBitmaps(kOnN, kOnH, kOnP, kOffN, kOffH, kOffP);
    skintest::Move(&b, {3, 3});
    skintest::Leave(&b);
    EXPECT_TRUE(skintest::Take(parent, WM_CONTROL_HOVER).empty()); // off until asked for
    b.EnableHoverNotify(true);
    skintest::Move(&b, {3, 3});
    skintest::Move(&b, {4, 3}); // moves inside tell nothing
    skintest::Leave(&b);
    skintest::Move(&b, {3, 3}); // the same entry point again
    skintest::Leave(&b);
    skintest::Move(&b, {5, 6}, Qt::LeftButton);
    EXPECT_EQ(
        skintest::Take(parent, WM_CONTROL_HOVER),
        (std::vector<Message>{{WM_CONTROL_HOVER, 0, 8801}, {WM_CONTROL_HOVER, MK_LBUTTON, 8801}}));
}

TEST(PictureButtonTest, AClickIsACommandAndChangesNothing) {
    Parent parent;
    CPictureButton b(&parent, 8802);
    b.SetCheck(0);
    skintest::Click(&b, {2, 2});
    EXPECT_EQ(skintest::Take(parent, WM_COMMAND).size(), 1u);
    EXPECT_EQ(b.GetCheck(), 0);
}

} // namespace
