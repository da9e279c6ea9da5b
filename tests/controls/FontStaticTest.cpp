#include "controls/FontStatic.h"

#include "tests/controls/SkinTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(FontStaticTest, SetFontStyleTakesTheAlignmentOnlyWithANewColour) {
    struct Case {
        bool leftBefore;
        QColor colour; // black is the colour the control starts with
        unsigned style;
        Qt::Alignment want;
    };
    const QColor grey(147, 156, 171);
    const Case cases[] = {
        {false, Qt::black, 0x40, Qt::AlignHCenter}, // same colour: stays centred
        {true, grey, 0x00, Qt::AlignHCenter},       // new colour, no bit: left is cleared
        {false, grey, 0x40, Qt::AlignLeft},           {false, grey, 0x80, Qt::AlignRight},
        {false, grey, 0xC0, Qt::AlignRight},          // right before left
        {false, grey, 0x20 | 0x80, Qt::AlignHCenter}, // centred before both
        {true, Qt::black, 0x80, Qt::AlignLeft},       // same colour: left kept
    };
    for (const Case& c : cases) {
        CFontStatic s;
        s.SetLeftAlign(c.leftBefore);
        s.SetFontStyle(QString(), 14, c.colour, c.style);
        EXPECT_EQ(s.HorizontalAlignment(), c.want) << c.style;
        EXPECT_EQ(s.FontHeight(), 14);
    }
}

TEST(FontStaticTest, TextIsDrawnWhereItsAlignmentSays) {
    struct Case {
        unsigned style;
        int minX, maxX; // where the ink must lie in 240 pixels
    };
    const Case cases[] = {{0x40, 0, 80}, {0x80, 160, 240}, {0x20, 80, 160}};
    for (const Case& c : cases) {
        CFontStatic s;
        s.resize(240, 24);
        s.SetBackgroundColor(Qt::white);
        s.SetFontStyle(QString(), 16, Qt::red, c.style);
        s.SetText(QStringLiteral("CH1"));
        const std::vector<int> xs = skintest::InkColumns(s.grab().toImage(), Qt::red);
        ASSERT_FALSE(xs.empty()) << c.style;
        EXPECT_GE(xs.front(), c.minX) << c.style;
        EXPECT_LT(xs.back(), c.maxX) << c.style;
    }
}

TEST(FontStaticTest, AnEmptyTextPaintsOnlyTheBackground) {
    CFontStatic s;
    s.resize(50, 20);
    s.SetBackgroundColor(QColor(10, 20, 30));
    const QImage img = s.grab().toImage();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ASSERT_EQ(img.pixelColor(x, y), QColor(10, 20, 30));
}

} // namespace
