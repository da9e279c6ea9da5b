#include "controls/LinkIndicator.h"

#include <gtest/gtest.h>

namespace {

const QColor kRed(255, 0, 0), kNearWhite(250, 250, 250);

TEST(LinkIndicatorTest, BlinkingAlternatesRedAndNearWhiteEveryPeriod) {
    ControlTimer::ManualTime manual;
    CLinkStateText link;
    link.resize(195, 24);
    EXPECT_EQ(link.CurrentTextColor(), kNearWhite);
    link.StartBlink();
    EXPECT_TRUE(link.BlinkTimer().IsActive());
    EXPECT_EQ(link.BlinkTimer().Period(), 1001);
    EXPECT_EQ(link.CurrentTextColor(), kNearWhite); // the first change waits for a tick
    const QColor want[] = {kRed, kNearWhite, kRed, kNearWhite};
    for (const QColor& c : want) {
        link.BlinkTimer().Fire();
        EXPECT_EQ(link.CurrentTextColor(), c);
    }
    link.BlinkTimer().Fire(); // red
    link.StartBlink();        // again: the phase starts over
    EXPECT_EQ(link.CurrentTextColor(), kNearWhite);
    link.BlinkTimer().Fire();
    EXPECT_EQ(link.CurrentTextColor(), kRed);
    link.StopBlink();
    EXPECT_FALSE(link.BlinkTimer().IsActive());
    EXPECT_EQ(link.CurrentTextColor(), kNearWhite);
    EXPECT_FALSE(link.BlinkTimer().Fire());
}

TEST(LinkIndicatorTest, TextIsCentredLeftOfTheRightStrip) {
    CLinkStateText link;
    link.resize(200, 24);
    link.SetText(QStringLiteral("WWWWWWWW"));
    const QImage img = link.grab().toImage();
    int first = -1, last = -1;
    for (int x = 0; x < img.width(); ++x)
        for (int y = 0; y < img.height(); ++y)
            if (img.pixelColor(x, y) == kNearWhite) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    ASSERT_GE(first, 0);
    EXPECT_EQ(img.pixelColor(199, 0), QColor(76, 76, 76));
    // Centred on 181 pixels: the margins differ by the strip, give or take a pixel.
    const int left = first, right = 199 - last;
    EXPECT_NEAR(right - left, 19, 3);
}

TEST(LampRowTest, StateBitsLightTheLamps) {
    struct Case {
        unsigned flags;
        const char* want; // lamps 0..11
    };
    const Case cases[] = {
        {0x75, "111110000111"}, // five levels and the three flags
        {0x00, "000000000000"}, {0x09, "111111111000"},
        {0x1C, "111111111001"}, // 12: the level lamps stay, only the flags change
        {0x43, "111000000100"},
    };
    CLampRow row;
    row.resize(130, 10);
    row.InitLayout();
    for (const Case& c : cases) {
        row.SetState(c.flags);
        std::string got;
        for (int i = 0; i < CLampRow::kLamps; ++i)
            got += row.IsLit(i) ? '1' : '0';
        EXPECT_EQ(got, c.want) << std::hex << c.flags;
    }
}

TEST(LampRowTest, LampsArePaintedInTheirColours) {
    CLampRow row;
    row.resize(130, 10);
    row.InitLayout();
    EXPECT_EQ(row.LampRect(1), QRect(11, 0, 10, 10));
    row.SetState(0x72);
    QImage img = row.grab().toImage();
    auto at = [&](int lamp) { return img.pixelColor(row.LampRect(lamp).center()); };
    EXPECT_EQ(at(0), QColor(0, 200, 51));
    EXPECT_EQ(at(2), CLampRow::DarkColor());
    EXPECT_EQ(at(9), QColor(255, 204, 74));
    EXPECT_EQ(at(10), QColor(255, 127, 39));
    EXPECT_EQ(at(11), QColor(237, 0, 0));
    EXPECT_EQ(img.pixelColor(row.LampRect(0).left(), 0),
              QColor(127, 127, 127)); // the row above the lamps
    row.ClearAll();
    img = row.grab().toImage();
    EXPECT_EQ(at(0), CLampRow::DarkColor());
    EXPECT_EQ(at(11), CLampRow::DarkColor());
}

} // namespace
