#include "controls/TabCtrl.h"

#include "tests/controls/SkinTestSupport.h"
#include "controls/SkinControl.h"

#include <gtest/gtest.h>

namespace {

class TabCtrlTest : public ::testing::Test {
protected:
    void SetUp() override { CEnTabCtrl::SetLookFlags(1, 0x1F); }
    void TearDown() override { CEnTabCtrl::SetLookFlags(0, 0); }
};

TEST(TabColourTest, DarkerAndLighterScaleEachChannel) {
    struct Case {
        QColor in;
        float factor;
        QColor darker, lighter;
    };
    const Case cases[] = {
        {QColor(127, 168, 222), 0.9f, QColor(114, 151, 199), QColor(127, 168, 222)},
        {QColor(227, 228, 238), 1.5f, QColor(227, 228, 238), QColor(255, 255, 255)},
        {QColor(227, 228, 238), 0.75f, QColor(170, 171, 178), QColor(227, 228, 238)},
        {QColor(100, 50, 10), 1.9f, QColor(100, 50, 10), QColor(190, 95, 19)},
        {QColor(100, 50, 10), -1.0f, QColor(0, 0, 0), QColor(100, 50, 10)},
        {QColor(255, 255, 255), 0.9f, QColor(229, 229, 229), QColor(255, 255, 255)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CEnTabCtrl::Darker(c.in, c.factor), c.darker) << c.factor;
        EXPECT_EQ(CEnTabCtrl::Lighter(c.in, c.factor), c.lighter) << c.factor;
    }
}

TEST_F(TabCtrlTest, LookFlagsChooseTheTabColours) {
    struct Case {
        int flags;
        bool selected;
        QColor want;
    };
    const QColor face = ctl::kButtonFace;
    const Case cases[] = {
        {0x1F, true, QColor(0, 0, 0)},        // the selected tab in the main view's look
        {0x1F, false, QColor(227, 228, 238)}, // another tab while tab 3 is the one drawn
        {0x1D, true, CEnTabCtrl::Lighter(face, 1.4f)},
        {0x1D, false, CEnTabCtrl::Darker(face, 0.9f)},
        {0x03, false, QColor(10, 20, 30)}, // flat without back borders: the background
        {0x03, true, face},                // no selection highlight
        {0x02, false, QColor(227, 228, 238)},
    };
    for (const Case& c : cases) {
        CEnTabCtrl::SetLookFlags(1, c.flags);
        CEnTabCtrl tabs;
        tabs.SetBkgndColor(QColor(10, 20, 30));
        EXPECT_EQ(tabs.TabColor(c.selected), c.want) << std::hex << c.flags << " " << c.selected;
    }
    CEnTabCtrl tabs;
    EXPECT_EQ(tabs.TabTextColor(true), QColor(229, 0, 0));
    EXPECT_EQ(tabs.TabTextColor(false), QColor(229, 229, 229));
    CEnTabCtrl::SetLookFlags(0, 0x1F);
    EXPECT_EQ(CEnTabCtrl::LookFlags(), 0);
}

TEST_F(TabCtrlTest, WithoutTabsOnlyTheBorderAndTheTopBandAreDrawn) {
    CEnTabCtrl tabs;
    tabs.resize(300, 200);
    tabs.SetBkgndColor(QColor(227, 228, 238));
    tabs.EnableDraw(2);
    tabs.EnableDraw(3); // not a mode: nothing changes
    EXPECT_EQ(tabs.GetDrawMode(), 2);
    const QImage img = tabs.grab().toImage();
    for (int x : {0, 150, 299}) {
        EXPECT_EQ(img.pixelColor(x, 0), QColor(227, 228, 238)) << x;
        EXPECT_EQ(img.pixelColor(x, 1), QColor(227, 228, 238)) << x;
    }
    EXPECT_EQ(img.pixelColor(150, 2), QColor(255, 255, 255));   // the border's light top
    EXPECT_EQ(img.pixelColor(0, 100), QColor(255, 255, 255));   // and left
    EXPECT_EQ(img.pixelColor(150, 199), QColor(170, 171, 178)); // its shadow bottom
    EXPECT_EQ(img.pixelColor(299, 100), QColor(170, 171, 178)); // and right
    EXPECT_EQ(img.pixelColor(150, 100), ctl::kButtonFace);
}

TEST_F(TabCtrlTest, TheSelectedTabIsBlackWithARedCaption) {
    CEnTabCtrl tabs;
    tabs.resize(400, 200);
    tabs.EnableDraw(2);
    for (const char* t : {"One", "Two", "Three"})
        tabs.InsertItem(tabs.GetItemCount(), QString::fromLatin1(t));
    tabs.SetCurSel(1);
    const QImage img = tabs.grab().toImage();
    const QRect sel = tabs.GetItemRect(1);
    // Raised by two pixels over its neighbours, its gradient starting black.
    EXPECT_EQ(img.pixelColor(sel.center().x(), sel.top() - 1), QColor(0, 0, 0));
    EXPECT_FALSE(skintest::InkColumns(img.copy(sel), QColor(229, 0, 0)).empty());
}

TEST_F(TabCtrlTest, TheHandShowsOverTabsThatCanBeClicked) {
    CEnTabCtrl tabs;
    tabs.resize(600, 200);
    for (int i = 0; i < 5; ++i)
        tabs.InsertItem(i, QStringLiteral("Tab %1").arg(i));
    tabs.SetCurSel(1);
    struct Case {
        int tab; // -1: no tab
        Qt::CursorShape want;
    };
    const Case cases[] = {{0, Qt::PointingHandCursor}, {1, Qt::ArrowCursor},
                          {2, Qt::PointingHandCursor}, {3, Qt::ArrowCursor},
                          {4, Qt::PointingHandCursor}, {-1, Qt::ArrowCursor}};
    for (const Case& c : cases) {
        const QPoint at = c.tab < 0 ? QPoint(300, 150) : tabs.GetItemRect(c.tab).center();
        skintest::Move(&tabs, at);
        EXPECT_EQ(tabs.cursor().shape(), c.want) << c.tab;
    }
    skintest::Press(&tabs, tabs.GetItemRect(2).center());
    EXPECT_EQ(tabs.GetCurSel(), 2);
}

} // namespace
