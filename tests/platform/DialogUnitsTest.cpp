#include "platform/DialogUnits.h"
#include "platform/Skin.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

TEST(DialogUnitsTest, MulDivRoundsHalvesAwayFromZero) {
    struct Case {
        int a, b, c, want;
    };
    const Case cases[] = {
        {347, 14, 8, 607}, {418, 14, 8, 732}, {852, 6, 4, 1278}, {3, 5, 2, 8},
        {-3, 5, 2, -8},    {3, -5, 2, -8},    {-3, -5, 2, 8},    {7, 1, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.want) << c.a << "*" << c.b << "/" << c.c;
}

TEST(DialogUnitsTest, MainViewTemplateFitsTheWindowAndHoldsThePages) {
    // Template 101 (852 x 418 units, Arial 8) inside the 1283 x 732 window.
    const QSize view = DluToPixels(QSize(852, 418), kArial8);
    EXPECT_EQ(view, QSize(1278, 732));
    // Its page area, control 1368 at (1, 70), 850 x 347 units, holds the pages,
    // whose backgrounds (the output page's and the lock panel's) are 607 high.
    const QRect pages = DluToPixels(QRect(1, 70, 850, 347), kArial8);
    EXPECT_EQ(pages, QRect(2, 123, 1275, 607));
    EXPECT_EQ(skin::Size(286).height(), pages.height());
    EXPECT_EQ(skin::Size(1135).height(), pages.height());
    EXPECT_LE(pages.bottom(), view.height());
}

TEST(DialogUnitsTest, ArialSevenPopUpsAreCoveredByTheirBackgrounds) {
    // Each pop-up paints one background in its own size over its client area.
    struct Case {
        QSize dlu;
        int backgroundId;
    };
    const Case cases[] = {
        {{542, 239}, 1174}, // phase settings
        {{298, 137}, 1348}, // input source volume
        {{196, 91}, 1191},  // mix parameters
    };
    for (const Case& c : cases) {
        const QSize client = DluToPixels(c.dlu, kArial7);
        const QSize picture = skin::Size(c.backgroundId);
        ASSERT_TRUE(picture.isValid()) << c.backgroundId;
        EXPECT_GE(picture.width(), client.width()) << c.backgroundId;
        EXPECT_GE(picture.height(), client.height()) << c.backgroundId;
        EXPECT_LE(picture.width() - client.width(), 2) << c.backgroundId;
        EXPECT_LE(picture.height() - client.height(), 2) << c.backgroundId;
    }
}

TEST(DialogUnitsTest, ControlsConvertPlaceAndSizeSeparately) {
    // The message box's template (Arial 9) and its OK button.
    EXPECT_EQ(DluToPixels(QSize(183, 78), kArial9), QSize(275, 146));
    EXPECT_EQ(DluToPixels(QRect(37, 56, 50, 14), kArial9), QRect(56, 105, 75, 26));
    // The output page's response graph (Arial 7).
    EXPECT_EQ(DluToPixels(QRect(187, 7, 792, 203), kArial7), QRect(234, 11, 990, 305));
    // A delay unit button of the MS Sans Serif 8 template.
    EXPECT_EQ(DluToPixels(QSize(13, 10), kMsSansSerif8), QSize(20, 16));
}

TEST(DialogUnitsTest, OtherFontsAreMeasured) {
    const DialogBaseUnits u = BaseUnits(TemplateFont{"Arial", 12});
    EXPECT_GE(u.x, 6);
    EXPECT_LE(u.x, 9);
    EXPECT_GE(u.y, 16);
    EXPECT_LE(u.y, 22);
}

} // namespace
