#include "platform/Fonts.h"
#include "platform/UiGlobals.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>
#include <QWidget>

#include <gtest/gtest.h>

using namespace platform;

namespace {

TEST(FontsTest, HeightsBecomePixelSizes) {
    struct Case {
        int height, px;
    };
    // Positive: the character cell; negative: the em; 0: the usual size.
    const Case cases[] = {{14, 13}, {16, 14},  {108, 97}, {12, 11}, {15, 13}, {24, 21},
                          {20, 18}, {-11, 11}, {-9, 9},   {0, 12},  {1, 1}};
    for (const Case& c : cases)
        EXPECT_EQ(PixelSizeForHeight(c.height), c.px) << c.height;
}

TEST(FontsTest, TheTenSharedFontsHaveTheirCellHeightsAndWeights) {
    CreateSharedFonts();
    struct Case {
        const QFont* font;
        int height;
        int weight;
    };
    const Case cases[] = {
        {&g_FontSmall14.Get(), 14, 400},  {&g_FontDialog16.Get(), 16, 400},
        {&g_FontHuge108.Get(), 108, 400}, {&g_FontDialog14.Get(), 14, 400},
        {&g_FontSmall12.Get(), 12, 400},  {&g_Font15.Get(), 15, 400},
        {&g_FontBold16.Get(), 16, 700},   {&g_FontTitle24.Get(), 24, 400},
        {&g_FontList16.Get(), 16, 400},   {&g_FontHeavy16.Get(), 16, 1000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.font->pixelSize(), PixelSizeForHeight(c.height)) << c.height;
        EXPECT_EQ(c.font->weight(), c.weight) << c.height;
        // The resolved face has the cell the height asks for, give or take the
        // rounding of its ascent and descent.
        const int cell = QFontMetrics(*c.font).ascent() + QFontMetrics(*c.font).descent();
        EXPECT_NEAR(cell, c.height, 1) << c.height;
    }
}

TEST(FontsTest, ArialFallsBackToAMetricCompatibleFace) {
    const QString family = QFontInfo(ArialFont(14)).family();
    EXPECT_TRUE(family == QLatin1String("Arial") || family == QLatin1String(kMetricFallbackFace))
        << family.toStdString();
}

// The glyphs a font shows for a text, with the faces they come from.
std::vector<std::pair<QString, quint32>> Glyphs(const QFont& font, const QString& text) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    std::vector<std::pair<QString, quint32>> out;
    for (const QGlyphRun& run : layout.glyphRuns())
        for (quint32 g : run.glyphIndexes())
            out.emplace_back(run.rawFont().familyName(), g);
    return out;
}

QImage Draw(const QFont& font, const QString& text) {
    QImage img(64, 32, QImage::Format_ARGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(img.rect(), Qt::AlignCenter, text);
    return img;
}

TEST(FontsTest, ChineseTextRendersWithRealGlyphs) {
    const QFont font = ArialFont(16);
    const QString text = QString::fromUtf8("提示警告");
    const auto glyphs = Glyphs(font, text);
    ASSERT_EQ(glyphs.size(), 4u);
    for (const auto& [family, index] : glyphs) {
        EXPECT_NE(index, 0u) << "a missing glyph (a box) from " << family.toStdString();
        EXPECT_TRUE(QRawFont::fromFont(font).supportsCharacter(text[0]) ||
                    family == QLatin1String(kChineseFace))
            << family.toStdString();
    }
    // Two different characters draw differently: boxes would look the same.
    const QImage a = Draw(font, QString::fromUtf8("提")), b = Draw(font, QString::fromUtf8("警"));
    EXPECT_NE(a, b);
    EXPECT_NE(a, Draw(font, QString()));
}

TEST(FontsTest, WindowsAreLaidOutAtNinetySixDpiWithoutScaling) {
    QWidget w;
    EXPECT_EQ(w.logicalDpiX(), kScreenDpi);
    EXPECT_EQ(w.logicalDpiY(), kScreenDpi);
    EXPECT_EQ(w.devicePixelRatio(), 1.0);
}

} // namespace
