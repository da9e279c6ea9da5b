#include "platform/DialogUnits.h"
#include "platform/Skin.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <vector>

using namespace skin;

namespace {

const Catalogue& Program() {
    return Catalogue::Program();
}

TEST(SkinCatalogueTest, TheProgramCatalogueParsesCleanly) {
    EXPECT_TRUE(Program().Errors().isEmpty()) << Program().Errors().join('\n').toStdString();
    EXPECT_GT(Program().Pictures().size(), 200u);
}

TEST(SkinCatalogueTest, EveryPictureResolvesInBothLanguagesWithItsSize) {
    for (const Picture& p : Program().Pictures()) {
        SCOPED_TRACE(p.id);
        const QImage img = Image(p.id);
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(img.size(), p.size);
        EXPECT_EQ(Size(p.id), p.size);
        if (p.set == Set::Both) {
            EXPECT_EQ(p.twin, p.id); // one picture serves both languages
            continue;
        }
        // A picture of one set has its twin in the other, alike but for the language.
        const Picture* twin = Program().Find(p.twin);
        ASSERT_NE(twin, nullptr) << "no twin " << p.twin;
        EXPECT_EQ(twin->twin, p.id);
        EXPECT_NE(twin->set, p.set);
        EXPECT_NE(twin->set, Set::Both);
        EXPECT_EQ(twin->size, p.size);
        EXPECT_EQ(twin->role, p.role);
        EXPECT_EQ(twin->state, p.state);
        EXPECT_EQ(twin->texts.size(), p.texts.size());
    }
}

TEST(SkinCatalogueTest, PicturesSizedExplicitlyHaveTheirSizes) {
    struct Case {
        int id;
        int w, h;
    };
    const Case cases[] = {
        {287, 1280, 607}, {286, 1280, 607}, {1135, 1280, 607}, {1136, 1280, 607}, {968, 40, 290},
        {969, 34, 16},    {1204, 34, 16},   {1151, 98, 46},    {1152, 98, 46},    {818, 96, 20},
        {852, 96, 20},    {594, 96, 24},    {641, 96, 24},     {1060, 19, 14},    {1124, 19, 14},
        {1018, 36, 19},   {1020, 36, 19},   {1108, 36, 19},    {739, 438, 31},    {1153, 438, 31},
        {873, 131, 212},  {1005, 131, 212}, {1173, 680, 360},  {1174, 680, 360},  {804, 93, 18},
        {807, 93, 18},    {1268, 346, 172}, {1317, 1280, 608}, {1320, 1280, 608}, {1182, 340, 32},
        {1277, 340, 32},  {1305, 23, 15},   {1278, 23, 15},    {1307, 42, 20},    {1311, 42, 20},
        {1252, 24, 24},   {1249, 24, 24},   {7030, 1248, 652}, {523, 1248, 652},  {654, 860, 175},
        {1190, 247, 139}, {1191, 247, 139}, {1347, 374, 207},  {1348, 374, 207},  {1340, 296, 207},
        {1341, 296, 207},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Size(c.id), QSize(c.w, c.h)) << c.id;
}

TEST(SkinCatalogueTest, ButtonsSizedByTheirTemplateTakeItsPixels) {
    EXPECT_EQ(Size(4320), platform::DluToPixels(QSize(13, 10), platform::kMsSansSerif8));
    EXPECT_EQ(Size(4330), Size(4320));
    EXPECT_EQ(Size(1008), platform::DluToPixels(QSize(20, 10), platform::kMsSansSerif8));
}

TEST(SkinCatalogueTest, PicturesAreDrawnNotBlank) {
    for (const Picture& p : Program().Pictures()) {
        const QImage img = Image(p.id);
        std::set<QRgb> colours;
        for (int y = 0; y < img.height() && colours.size() < 3; y += std::max(1, img.height() / 16))
            for (int x = 0; x < img.width() && colours.size() < 3; ++x)
                colours.insert(img.pixel(x, y));
        EXPECT_GE(colours.size(), 2u) << p.id;
    }
}

TEST(SkinCatalogueTest, CaptionsFollowTheLanguageOfTheSet) {
    // The master volume strip reads "主音量" in one set and "Main Volume" in the other.
    const Picture* zh = Program().Find(739);
    const Picture* en = Program().Find(1153);
    ASSERT_TRUE(zh && en);
    EXPECT_EQ(zh->set, Set::Chinese);
    EXPECT_EQ(zh->texts, QStringList{QString::fromUtf8("主音量")});
    EXPECT_EQ(en->texts, QStringList{QStringLiteral("Main Volume")});
    EXPECT_NE(Image(739), Image(1153));
}

TEST(SkinCatalogueTest, TransparentPngsKeepTheirTransparentParts) {
    const QImage panel = Image(654);
    EXPECT_EQ(qAlpha(panel.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(panel.pixel(panel.width() / 2, panel.height() / 2)), 255);
}

TEST(SkinCatalogueTest, DrawnPicturesAreKept) {
    EXPECT_EQ(Image(287).cacheKey(), Image(287).cacheKey());
    ClearCache();
    EXPECT_EQ(Image(287), Render(*Program().Find(287)));
}

// One copy of a picture: its pixmap draws from the kept pixels, opaque or not.
TEST(SkinCatalogueTest, APixmapSharesTheKeptPicturesPixels) {
    for (const int id : {287, 1151, 654, 273}) {
        SCOPED_TRACE(id);
        const QImage kept = Image(id);
        EXPECT_EQ(Pixmap(id).toImage().constBits(), kept.constBits());
    }
}

// A large picture drawn only where it shows is pixel for pixel that part of
// the whole: the parts the main window and the output page cut their
// backgrounds into (around the pages, around the graph), and others.
TEST(SkinCatalogueTest, APartOfAPictureIsThatPartOfTheWhole) {
    const struct {
        std::vector<int> ids;
        QRect covered;
    } cases[] = {{{284, 285}, QRect(0, 123, 1275, 607)},
                 {{286, 287}, QRect(234, 11, 990, 305)},
                 {{383, 654, 1174}, QRect(37, 11, 300, 217)}};
    for (const auto& c : cases) {
        for (const int id : c.ids) {
            const QImage whole = Render(*Program().Find(id)).convertToFormat(QImage::Format_RGB32);
            std::vector<QRect> parts = {c.covered, QRect(1, 620, 1279, 112), QRect(640, 301, 3, 5)};
            for (const QRect& r : QRegion(whole.rect()) - c.covered)
                parts.push_back(r);
            for (const QRect& part : parts) {
                SCOPED_TRACE(testing::Message() << id << " " << part.x() << "," << part.y() << " "
                                                << part.width() << "x" << part.height());
                const QRect inside = part & whole.rect();
                const QImage drawn = RenderPart(id, part);
                if (inside.isEmpty()) {
                    EXPECT_TRUE(drawn.isNull());
                    continue;
                }
                ASSERT_EQ(drawn.size(), inside.size());
                EXPECT_EQ(drawn.convertToFormat(QImage::Format_RGB32), whole.copy(inside));
            }
        }
    }
    EXPECT_TRUE(RenderPart(-5, QRect(0, 0, 4, 4)).isNull());
}

// The main window's background under its pages: only the parts that show are
// drawn and kept, with the pixels of the whole; the covered part when it
// shows, until it is covered again; a language switch draws the other's.
TEST(SkinCatalogueTest, ACoveredPictureIsKeptOnlyWhereItShows) {
    const QRect covered(0, 123, 1275, 607);
    PartedPixmap background(284, 285);
    background.SetCovered(covered);
    const QRegion all(0, 0, 1282, 732);
    const auto draw = [&](const QRegion& exposed, bool chinese) {
        QImage shown(all.boundingRect().size(), QImage::Format_RGB32);
        shown.fill(Qt::magenta);
        QPainter p(&shown);
        p.setClipRegion(exposed);
        background.Draw(p, QPoint(2, 0), exposed, chinese);
        return shown;
    };
    const auto expected = [&](int id, const QRegion& exposed) {
        QImage shown(all.boundingRect().size(), QImage::Format_RGB32);
        shown.fill(Qt::magenta);
        QPainter p(&shown);
        p.setClipRegion(exposed);
        p.drawImage(2, 0, Render(*Program().Find(id)));
        return shown;
    };
    const QRegion around = all - covered.translated(2, 0);
    EXPECT_EQ(draw(around, false), expected(284, around));
    EXPECT_EQ(background.HeldParts(), 3);
    EXPECT_EQ(draw(QRegion(500, 50, 40, 30), false), expected(284, QRegion(500, 50, 40, 30)));
    EXPECT_EQ(background.HeldParts(), 3);
    EXPECT_EQ(draw(all, false), expected(284, all));
    EXPECT_EQ(background.HeldParts(), 4);
    background.ReleaseCovered();
    EXPECT_EQ(background.HeldParts(), 3);
    EXPECT_EQ(draw(around, true), expected(285, around));
    EXPECT_EQ(background.HeldParts(), 3);
}

TEST(SkinCatalogueTest, ALanguagesPicturesCanBeLetGo) {
    ClearCache();
    const QImage both = Image(8830), chinese = Image(287), english = Image(286);
    ReleaseOtherLanguage(false);
    EXPECT_EQ(CachedIds(), (std::vector<int>{286, 8830}));
    EXPECT_EQ(Image(287), chinese); // drawn again, alike
    ReleaseOtherLanguage(true);
    EXPECT_EQ(CachedIds(), (std::vector<int>{287, 8830}));
}

// The desktop's icons: the program's icon drawn larger is the same picture.
TEST(SkinCatalogueTest, AScaledPictureIsTheSamePictureLarger) {
    const Picture& icon = *Program().Find(273);
    const QImage small = Render(icon).convertToFormat(QImage::Format_ARGB32);
    for (const qreal scale : {1.5, 8.0}) {
        SCOPED_TRACE(scale);
        const QImage large = Render(icon, scale);
        ASSERT_EQ(large.size(), (QSizeF(icon.size) * scale).toSize());
        const QImage back = large.scaled(icon.size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                .convertToFormat(QImage::Format_ARGB32);
        long difference = 0;
        for (int y = 0; y < small.height(); ++y)
            for (int x = 0; x < small.width(); ++x) {
                const QRgb a = small.pixel(x, y), b = back.pixel(x, y);
                difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                              std::abs(qBlue(a) - qBlue(b)) + std::abs(qAlpha(a) - qAlpha(b));
            }
        // Edges differ by the smoothing; the shapes and colours are the same.
        EXPECT_LT(difference / (small.width() * small.height() * 4), 12);
    }
}

TEST(SkinLoadTest, PngAndBitmapLoadsFindOnlyTheirKind) {
    QImage out;
    EXPECT_EQ(LoadPngResource(654, "PNG", out), 1);
    EXPECT_EQ(out.size(), QSize(860, 175));
    EXPECT_EQ(LoadPngResource(654, "png", out), 1);

    QImage untouched(3, 3, QImage::Format_ARGB32);
    untouched.fill(Qt::red);
    QImage keep = untouched;
    EXPECT_EQ(LoadPngResource(654, "BMP", keep), 0);
    EXPECT_EQ(LoadPngResource(287, "PNG", keep), 0); // a bitmap, not a PNG
    EXPECT_EQ(LoadPngResource(9999, "PNG", keep), 0);
    EXPECT_EQ(LoadPngResource(654, nullptr, keep), 0);
    EXPECT_EQ(keep, untouched);

    EXPECT_EQ(LoadBitmapResource(287, out), 1);
    EXPECT_EQ(out.size(), QSize(1280, 607));
    EXPECT_EQ(LoadBitmapResource(654, keep), 0);
    EXPECT_EQ(keep, untouched);
}

TEST(SkinParserTest, MalformedLinesAreReportedAndSkipped) {
    struct Case {
        const char* line;
        const char* says;
    };
    const Case cases[] = {
        {"1 | 2 | bmp | button | 10x10 | normal | - | a | b", "columns"},
        {"1 | 2 | gif | button | 10x10 | normal | - | a | b | x", "kind"},
        {"1 | 2 | bmp | knob | 10x10 | - | - | a | b | x", "role"},
        {"1 | 2 | bmp | button | 10 | normal | - | a | b | x", "size"},
        {"1 | 2 | bmp | button | 0x10 | normal | - | a | b | x", "size"},
        {"1 | 2 | bmp | button | 10x10 | lit | - | a | b | x", "look"},
        {"1 | 2 | bmp | background | 10x10 | - | glow=1 | a | b | x", "token"},
        {"1 | 2 | bmp | background | 10x10 | - | frame=1,2,3 | a | b | x", "rectangle"},
        {"1 | 2 | bmp | background | 10x10 | - | tone=pink | a | b | x", "tone"},
        {"3 | 3 | bmp | button | 10x10 | normal | - | a | b | x", "both"},
        {"x | 2 | bmp | button | 10x10 | normal | - | a | b | x", "id"},
        {"- | - | bmp | button | 10x10 | normal | - | a | b | x", "no id"},
    };
    for (const Case& c : cases) {
        const Catalogue cat = Catalogue::Parse(QString::fromUtf8(c.line));
        ASSERT_EQ(cat.Errors().size(), 1) << c.line;
        EXPECT_TRUE(cat.Errors()[0].contains(QString::fromLatin1(c.says)))
            << c.line << " -> " << cat.Errors()[0].toStdString();
        EXPECT_TRUE(cat.Pictures().empty()) << c.line;
    }
    const Catalogue dup =
        Catalogue::Parse(QStringLiteral("5 | 5 | bmp | button | 4x4 | normal | - | | | a\n"
                                        "5 | 6 | bmp | button | 4x4 | normal | - | | | b\n"));
    ASSERT_EQ(dup.Errors().size(), 1);
    EXPECT_TRUE(dup.Errors()[0].contains(QStringLiteral("line 2")));
    EXPECT_TRUE(dup.Errors()[0].contains(QStringLiteral("already")));
}

// The height of a caption's letters in a button picture: the rows of the
// light ink, leaving out a leading icon (the first run of inked columns).
int CaptionInkHeight(int id, bool icon) {
    const QImage img = Image(id).convertToFormat(QImage::Format_ARGB32);
    std::vector<bool> inked(static_cast<size_t>(img.width()));
    auto ink = [&](int x, int y) {
        return qGray(img.pixel(x, y)) > 200 && qAlpha(img.pixel(x, y)) == 255;
    };
    for (int x = 0; x < img.width(); ++x)
        for (int y = 0; y < img.height(); ++y)
            inked[static_cast<size_t>(x)] = inked[static_cast<size_t>(x)] || ink(x, y);
    int first = 0;
    if (icon) {
        while (first < img.width() && !inked[static_cast<size_t>(first)])
            ++first;
        while (first < img.width() && inked[static_cast<size_t>(first)])
            ++first;
    }
    int top = img.height(), bottom = -1;
    for (int x = first; x < img.width(); ++x)
        for (int y = 0; y < img.height(); ++y)
            if (ink(x, y)) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return bottom - top + 1;
}

// The lock button's captions, beside their padlock, are as large as the
// captions of the other buttons of the top bar.
TEST(SkinCatalogueTest, ThePadlockButtonsCaptionsMatchTheTopBarsOthers) {
    const int recall = CaptionInkHeight(1214, false); // "Recall"
    ASSERT_GT(recall, 5);
    EXPECT_EQ(CaptionInkHeight(1129, true), recall); // "Lock"
    EXPECT_EQ(CaptionInkHeight(1131, true), recall); // "Unlock", locked
    EXPECT_EQ(CaptionInkHeight(1275, true), recall); // "Unlock", pointer over it
}

TEST(SkinParserTest, ALineDescribesATwinPairWithCaptionsAndLayout) {
    const Catalogue cat = Catalogue::Parse(QString::fromUtf8(
        "# a comment\n\n"
        "10 | 11 | png | background | 200x100 | - | tone=light text=1,2,30,40 lit=5,5,5,5 "
        "ctext=9,9,9,9 "
        "icon=car@0,0,20,20 | 标题;第二\\n行 | Title;Second\\nline | a test picture\n"
        "12 | - | bmp | track | 20x100 | active | - | | | a lone vertical track"));
    ASSERT_TRUE(cat.Errors().isEmpty()) << cat.Errors().join('\n').toStdString();
    ASSERT_EQ(cat.Pictures().size(), 3u);
    const Picture* zh = cat.Find(10);
    const Picture* en = cat.Find(11);
    ASSERT_TRUE(zh && en);
    EXPECT_EQ(zh->twin, 11);
    EXPECT_EQ(en->twin, 10);
    EXPECT_EQ(en->kind, Kind::Png);
    EXPECT_EQ(en->tone, QStringLiteral("light"));
    EXPECT_EQ(en->texts, (QStringList{"Title", "Second\nline"}));
    EXPECT_EQ(zh->texts[0], QString::fromUtf8("标题"));
    ASSERT_EQ(en->textBoxes.size(), 3);
    EXPECT_EQ(en->textBoxes[1].look, TextBox::Lit);
    EXPECT_FALSE(en->textBoxes[1].centred);
    EXPECT_EQ(en->textBoxes[2].look, TextBox::Plain);
    EXPECT_TRUE(en->textBoxes[2].centred);
    EXPECT_EQ(en->iconRect, QRect(0, 0, 20, 20));
    const Picture* track = cat.Find(12);
    ASSERT_NE(track, nullptr);
    EXPECT_EQ(track->twin, 0);
    EXPECT_EQ(track->orientation, Qt::Vertical);
    EXPECT_EQ(Render(*track).size(), QSize(20, 100));
}

} // namespace
