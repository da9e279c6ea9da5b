#include "controls/GroupBox.h"

#include "controls/SkinControl.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Whether the area holds text pixels (the caption is black).
bool HasCaptionInk(const QImage& img, const QRect& area) {
    for (int y = std::max(0, area.top()); y <= area.bottom() && y < img.height(); ++y)
        for (int x = std::max(0, area.left()); x <= area.right() && x < img.width(); ++x)
            if (img.pixelColor(x, y).lightness() < 60) return true;
    return false;
}

TEST(SxLogFontTest, TheRecordHoldsAFaceOfAtMost31Characters) {
    const std::string face31(31, 'A'), face40(40, 'B');
    struct Case {
        const char* face;
        size_t want;
    };
    const Case cases[] = {{"Arial", 5}, {face31.c_str(), 31}, {face40.c_str(), 31}, {"", 0}};
    for (const Case& c : cases) {
        CCaptionFont f(100, 700, true, c.face);
        EXPECT_EQ(std::strlen(f.lfFaceName), c.want);
        EXPECT_EQ(std::strncmp(f.lfFaceName, c.face, c.want), 0);
        EXPECT_EQ(f.lfHeight, 100);
        EXPECT_EQ(f.lfWeight, 700);
        EXPECT_EQ(f.lfItalic, 1);
        EXPECT_EQ(f.lfOutPrecision, 3);
        EXPECT_EQ(f.lfClipPrecision, 2);
        EXPECT_EQ(f.lfQuality, 2);
    }
    const QFont tenPoint = CCaptionFont(100, 700, false, "Arial").PointFont();
    EXPECT_EQ(tenPoint.pixelSize(), 13); // 10 points at 96 dpi
    EXPECT_TRUE(tenPoint.bold());
}

TEST(GroupBoxTest, TheCaptionSitsInAGapOfTheTopEdge) {
    struct Case {
        unsigned style;
        CGroupBox::Alignment alignment;
    };
    const Case cases[] = {{BS_CENTER, CGroupBox::kCentre},
                          {BS_LEFT, CGroupBox::kLeft},
                          {0, CGroupBox::kLeft},
                          {BS_RIGHT, CGroupBox::kRight}};
    const QFont caption = CCaptionFont(100, 700, false, "Arial").PointFont();
    for (const Case& c : cases) {
        CGroupBox box(nullptr, c.style);
        box.resize(300, 120);
        box.SetText(QStringLiteral("CH1  Limiter && Compression"), false);
        EXPECT_EQ(box.GetAlignment(), c.alignment);
        const int cw =
            QFontMetrics(caption).horizontalAdvance(QStringLiteral("CH1  Limiter & Compression"));
        const auto [xa, xb] = box.CaptionGap();
        EXPECT_NEAR(xb - xa, cw, 1); // "&&" shows as one "&"
        switch (c.alignment) {
        case CGroupBox::kCentre:
            EXPECT_EQ(xa, (299 - (xb - xa)) / 2);
            break;
        case CGroupBox::kLeft:
            EXPECT_EQ(xa, 8);
            break;
        case CGroupBox::kRight:
            EXPECT_EQ(xb, 299 - 8);
            break;
        }
    }
}

TEST(GroupBoxTest, AnEtchedFrameIsADarkLineWithALightOneInside) {
    CGroupBox box(nullptr, BS_CENTER);
    box.resize(200, 100);
    box.SetText(QStringLiteral("Hex File"), false);
    const QImage img = box.grab().toImage();
    const int y = box.TopEdgeY();
    const auto [xa, xb] = box.CaptionGap();
    const QColor dark = ctl::kButtonShadow, light = ctl::kButtonHighlight;
    EXPECT_EQ(img.pixelColor(0, 50), dark);
    EXPECT_EQ(img.pixelColor(1, 50), light);
    EXPECT_EQ(img.pixelColor(198, 50), dark);
    EXPECT_EQ(img.pixelColor(199, 50), light);
    EXPECT_EQ(img.pixelColor(100, 98), dark);
    EXPECT_EQ(img.pixelColor(100, 99), light);
    EXPECT_EQ(img.pixelColor(xa - 2, y), dark); // the top edge up to the gap
    EXPECT_EQ(img.pixelColor(xb + 2, y), dark);
    EXPECT_TRUE(HasCaptionInk(img, QRect(xa, 0, xb - xa, y + 10)));
    EXPECT_FALSE(HasCaptionInk(img, QRect(0, 0, xa - 1, y + 10)));
}

TEST(GroupBoxTest, ADisabledBoxHasNoCaptionAndItsOwnColours) {
    CGroupBox box(nullptr, BS_CENTER);
    box.resize(200, 100);
    box.SetText(QStringLiteral("Communication interface"), false);
    box.setEnabled(false);
    const QImage img = box.grab().toImage();
    EXPECT_FALSE(HasCaptionInk(img, img.rect()));
    EXPECT_EQ(img.pixelColor(0, 50), ctl::kButtonShadow);
}

TEST(GroupBoxTest, AFlatTemplateGivesOneLine) {
    CGroupBox box(nullptr, BS_CENTER | BS_FLAT);
    EXPECT_EQ(box.GetFrame(), CGroupBox::kFlat);
    box.resize(200, 100);
    const QImage img = box.grab().toImage();
    EXPECT_EQ(img.pixelColor(0, 50), ctl::kButtonShadow);
    EXPECT_NE(img.pixelColor(1, 50), ctl::kButtonHighlight);
    EXPECT_EQ(img.pixelColor(199, 50), ctl::kButtonShadow);
    EXPECT_EQ(img.pixelColor(100, 99), ctl::kButtonShadow);
    EXPECT_EQ(CGroupBox(nullptr, BS_CENTER).GetFrame(), CGroupBox::kEtched);
}

} // namespace
