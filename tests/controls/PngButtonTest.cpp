#include "controls/PngButton.h"

#include "tests/controls/SkinTestSupport.h"
#include "model/Globals.h"
#include "platform/Skin.h"

#include <gtest/gtest.h>

namespace {

using skintest::Parent;

// PNG pictures of the speaker-position buttons: three of one button for the
// unchecked looks, three of another for the checked ones, two more sets as
// the Chinese ones.
constexpr unsigned kUnchecked[3] = {7100, 7101, 7102};
constexpr unsigned kChecked[3] = {7103, 7104, 7105};
constexpr unsigned kZh[6] = {7106, 7107, 7108, 7110, 7111, 7112};

class PngButtonTest : public ::testing::Test {
protected:
    void SetUp() override { g_LanguageFlag = 0; }
    void TearDown() override { g_LanguageFlag = 0; }

    CPngButton* Button(bool chinese) {
        auto* b = new CPngButton(&parent, 4605);
        b->SetImages(kUnchecked[0], kUnchecked[1], kUnchecked[2]);
        b->SetCheckedImages(kChecked[0], kChecked[1], kChecked[2]);
        if (chinese) b->SetChineseImages(kZh[0], kZh[1], kZh[2], kZh[3], kZh[4], kZh[5]);
        return b;
    }
    static QImage Png(unsigned id) {
        QImage img;
        EXPECT_EQ(LoadPngResource(id, "PNG", img), 1) << id;
        return img;
    }

    Parent parent;
};

TEST_F(PngButtonTest, PngImagesLoadOnlyFromPngResources) {
    CPngResImage image;
    EXPECT_TRUE(image.Load(kUnchecked[0]));
    EXPECT_EQ(image.Image().size(), skin::Size(int(kUnchecked[0])));
    EXPECT_TRUE(image.Image().hasAlphaChannel());
    EXPECT_FALSE(image.Load(1060)); // a bitmap
    EXPECT_TRUE(image.IsNull());    // holds nothing
    EXPECT_FALSE(image.Load(kUnchecked[0], "BMP"));
    EXPECT_FALSE(image.Load(9999)); // no such picture
    EXPECT_TRUE(image.IsNull());
}

TEST_F(PngButtonTest, EachStateShowsItsPictureInEitherLanguage) {
    struct Case {
        bool enabled, checked, hover, pressed, chineseSet, chinese;
        CPngButton::State state;
        unsigned picture;
        bool dimmed = false;
    };
    const Case cases[] = {
        {true, false, false, false, false, false, CPngButton::Normal, kUnchecked[0]},
        {true, false, true, false, false, false, CPngButton::Hover, kUnchecked[1]},
        {true, false, true, true, false, false, CPngButton::Pressed, kUnchecked[2]},
        {true, false, false, true, false, false, CPngButton::Normal, kUnchecked[0]},
        {true, true, false, false, false, false, CPngButton::CheckedNormal, kChecked[0]},
        {true, true, true, false, false, false, CPngButton::CheckedHover, kChecked[1]},
        {true, true, true, true, false, false, CPngButton::CheckedPressed, kChecked[2]},
        // Chinese pictures only with the Chinese set and the Chinese language.
        {true, false, false, false, false, true, CPngButton::Normal, kUnchecked[0]},
        {true, false, false, false, true, false, CPngButton::Normal, kUnchecked[0]},
        {true, false, false, false, true, true, CPngButton::ZhNormal, kZh[0]},
        {true, false, true, true, true, true, CPngButton::ZhPressed, kZh[2]},
        {true, true, true, false, true, true, CPngButton::ZhCheckedHover, kZh[4]},
        // Without disabled pictures a disabled button shows its normal picture
        // dimmed, the same in both languages.
        {false, false, true, false, true, true, CPngButton::Disabled, kUnchecked[0], true},
        {false, true, false, false, true, true, CPngButton::DisabledChecked, kChecked[0], true},
    };
    for (const Case& c : cases) {
        g_LanguageFlag = c.chinese ? 1 : 0;
        CPngButton* b = Button(c.chineseSet);
        if (c.pressed) skintest::Press(b, {2, 2});
        b->SetHoverLook(c.hover);
        b->SetCheck(c.checked);
        b->setEnabled(c.enabled);
        const std::string label = "case " + std::to_string(&c - cases);
        EXPECT_EQ(b->CurrentState(), c.state) << label;
        const QImage picture = Png(c.picture);
        EXPECT_TRUE(skintest::ShowsPicture(b, c.dimmed ? ctl::Dimmed(picture) : picture)) << label;
        delete b;
    }
}

TEST_F(PngButtonTest, SwitchingTheLanguageSwitchesThePictures) {
    CPngButton* b = Button(true);
    EXPECT_TRUE(skintest::ShowsPicture(b, Png(kUnchecked[0])));
    g_LanguageFlag = 1;
    EXPECT_TRUE(skintest::ShowsPicture(b, Png(kZh[0])));
}

TEST_F(PngButtonTest, MissingPicturesFallBackToTheOneBefore) {
    CPngButton b(&parent);
    b.SetImages(kUnchecked[0], 9999, kUnchecked[2]);
    EXPECT_EQ(b.size(), skin::Size(int(kUnchecked[0])));
    EXPECT_EQ(b.Picture(CPngButton::Hover), Png(kUnchecked[0]));
    EXPECT_EQ(b.Picture(CPngButton::CheckedNormal), Png(kUnchecked[2])); // no checked set
    EXPECT_EQ(b.Picture(CPngButton::CheckedPressed), Png(kUnchecked[2]));
}

TEST_F(PngButtonTest, SetCheckActsOnlyOnAChange) {
    CPngButton* a = Button(false);
    CPngButton* partner = Button(false);
    a->SetPartners(partner, nullptr);
    partner->SetHoverLook(true);
    a->SetCheck(0); // the same state: the partner keeps its look
    EXPECT_TRUE(partner->IsHover());
    a->SetCheck(1);
    EXPECT_TRUE(partner->IsHover()); // a checked button leaves its partners alone
    a->SetCheck(0);
    EXPECT_FALSE(partner->IsHover()); // unchecked: it clears their hover
}

TEST_F(PngButtonTest, AnUncheckedButtonLendsItsHoverUntilHidden) {
    CPngButton* a = Button(false);
    CPngButton* partner = Button(false);
    a->SetPartners(partner, nullptr);
    a->SetUserData(7);
    EXPECT_EQ(a->GetUserData(), 7);
    skintest::Move(a, {3, 3});
    EXPECT_TRUE(partner->IsHover());
    skintest::Leave(a);
    EXPECT_FALSE(partner->IsHover());
    a->ShowWindow(0);
    skintest::Move(a, {3, 3});
    EXPECT_FALSE(partner->IsHover());
}

TEST_F(PngButtonTest, TransparentPartsShowTheParentUnderTheButton) {
    Parent page;
    page.setAutoFillBackground(true);
    QPalette pal = page.palette();
    pal.setColor(QPalette::Window, QColor(200, 30, 30));
    page.setPalette(pal);
    CPngButton* b = new CPngButton(&page);
    b->SetImages(kUnchecked[0], kUnchecked[1], kUnchecked[2]);
    b->move(10, 10);
    const QImage shot = page.grab().toImage();
    EXPECT_EQ(shot.pixelColor(10, 10), QColor(200, 30, 30)); // the round picture's corner
    EXPECT_NE(shot.pixelColor(10 + b->width() / 2, 10 + b->height() / 2), QColor(200, 30, 30));
}

} // namespace
