#include "controls/BitButton.h"

#include "tests/controls/SkinTestSupport.h"
#include "model/Globals.h"
#include "platform/Skin.h"

#include <QPainter>

#include <string>

#include <gtest/gtest.h>

namespace {

using skintest::Message;
using skintest::Parent;

// Eight pictures of one size, one per look.
constexpr unsigned kOff[3] = {1060, 1059, 1061};
constexpr unsigned kOn[3] = {1063, 1062, 1064};
constexpr unsigned kDisabledOff = 1117, kDisabledOn = 1118;
const QColor kColours[6] = {QColor(1, 0, 0), QColor(2, 0, 0), QColor(3, 0, 0),
                            QColor(4, 0, 0), QColor(5, 0, 0), QColor(6, 0, 0)};
const QColor kDisabledColour(7, 0, 0);

class BitButtonTest : public ::testing::Test {
protected:
    void SetUp() override { g_ScenePickerOpen = 0; }
    void TearDown() override { g_ScenePickerOpen = 0; }

    CBitButton* Skinned(int id = 2000) {
        auto* b = new CBitButton(&parent, id);
        b->SetBitmaps(kOff[0], kOff[1], kOff[2], kOn[0], kOn[1], kOn[2]);
        b->SetDisabledBitmaps(kDisabledOff, kDisabledOn);
        b->SetTextColors(kColours[0], kColours[1], kColours[2], kColours[3], kColours[4],
                         kColours[5]);
        b->SetDisabledTextColor(kDisabledColour);
        return b;
    }

    ControlTimer::ManualTime manual;
    Parent parent;
};

TEST_F(BitButtonTest, EachStateShowsThePictureAndCaptionColourOfItsLook) {
    struct Case {
        bool enabled, on, hover, pressed;
        CBitButton::Look look;
        unsigned bitmap;
        QColor colour;
    };
    const Case cases[] = {
        {true, false, false, false, CBitButton::OffNormal, kOff[0], kColours[0]},
        {true, false, true, false, CBitButton::OffHover, kOff[1], kColours[1]},
        {true, false, true, true, CBitButton::OffPressed, kOff[2], kColours[2]},
        // A press whose pointer has left the button shows the normal look.
        {true, false, false, true, CBitButton::OffNormal, kOff[0], kColours[0]},
        {true, true, false, false, CBitButton::OnNormal, kOn[0], kColours[3]},
        {true, true, true, false, CBitButton::OnHover, kOn[1], kColours[4]},
        {true, true, true, true, CBitButton::OnPressed, kOn[2], kColours[5]},
        {true, true, false, true, CBitButton::OnNormal, kOn[0], kColours[3]},
        {false, false, true, true, CBitButton::DisabledOff, kDisabledOff, kDisabledColour},
        {false, true, false, false, CBitButton::DisabledOn, kDisabledOn, kDisabledColour},
    };
    for (const Case& c : cases) {
        CBitButton* b = Skinned();
        if (c.pressed) skintest::Press(b, {2, 2});
        b->SetHoverLook(c.hover);
        b->SetCheck(c.on);
        b->setEnabled(c.enabled);
        const CBitButton::Shown shown = b->Current();
        const std::string label = "enabled " + std::to_string(c.enabled) + " on " +
                                  std::to_string(c.on) + " hover " + std::to_string(c.hover) +
                                  " pressed " + std::to_string(c.pressed);
        EXPECT_EQ(shown.look, c.look) << label;
        EXPECT_EQ(shown.bitmap, c.bitmap) << label;
        EXPECT_EQ(shown.textColor, c.colour) << label;
        // What is painted is that picture, at its size.
        EXPECT_EQ(b->size(), skin::Size(int(c.bitmap))) << label;
        EXPECT_TRUE(skintest::ShowsPicture(b, skin::Image(int(c.bitmap)))) << label;
        delete b;
    }
}

TEST_F(BitButtonTest, OnPicturesOfZeroTakeTheOffPictures) {
    CBitButton b(&parent);
    b.SetBitmaps(kOff[0], kOff[1], kOff[2], 0, 0, 0);
    b.SetCheck(1);
    EXPECT_EQ(b.Current().bitmap, kOff[0]);
    b.SetHoverLook(true);
    EXPECT_EQ(b.Current().bitmap, kOff[1]);
    b.SetOnBitmap(kOn[2]);
    EXPECT_EQ(b.Current().bitmap, kOn[2]);
}

TEST_F(BitButtonTest, AnyNonZeroStateIsOnAndReadsBackAsGiven) {
    CBitButton* b = Skinned();
    b->SetCheck(5);
    EXPECT_EQ(b->GetCheck(), 5);
    EXPECT_EQ(b->Current().look, CBitButton::OnNormal);
    b->SetCheck(0);
    EXPECT_EQ(b->Current().look, CBitButton::OffNormal);
}

TEST_F(BitButtonTest, AlternatePicturesReplaceOnlyTheNormalLooks) {
    CBitButton* b = Skinned();
    b->SetAltBitmaps(kDisabledOff, kDisabledOn);
    b->UseAltBitmaps(true);
    EXPECT_EQ(b->Current().bitmap, kDisabledOff);
    b->SetCheck(1);
    EXPECT_EQ(b->Current().bitmap, kDisabledOn);
    b->SetHoverLook(true);
    EXPECT_EQ(b->Current().bitmap, kOn[1]);
}

// A disabled button whose disabled picture is not given, or is one the skin
// lacks (as the strips' caption buttons' 1336), shows its normal picture of
// the same state dimmed, never a blank box.
TEST_F(BitButtonTest, ADisabledLookWithoutItsPictureShowsTheNormalPictureDimmed) {
    struct Case {
        unsigned disabledOff, disabledOn;
        int on;
        unsigned normal;
    };
    constexpr unsigned kMissing = 1336;
    ASSERT_TRUE(ctl::Picture(kMissing).isNull());
    const Case cases[] = {
        {0, 0, 0, kOff[0]},
        {0, 0, 1, kOn[0]},
        {kMissing, kMissing, 0, kOff[0]},
        {kMissing, kMissing, 1, kOn[0]},
    };
    for (const Case& c : cases) {
        CBitButton b(&parent);
        b.SetBitmaps(kOff[0], kOff[1], kOff[2], kOn[0], kOn[1], kOn[2]);
        b.SetDisabledBitmaps(c.disabledOff, c.disabledOn);
        b.SetCheck(c.on);
        b.setEnabled(false);
        const std::string label = "case " + std::to_string(&c - cases);
        EXPECT_TRUE(skintest::ShowsPicture(&b, ctl::Dimmed(skin::Image(int(c.normal))))) << label;
        EXPECT_FALSE(skintest::ShowsPicture(&b, skin::Image(int(c.normal)))) << label;
    }
}

TEST_F(BitButtonTest, AButtonWithoutAnyPictureShowsTheButtonFace) {
    CBitButton b(&parent);
    b.resize(30, 12);
    for (bool enabled : {true, false}) {
        b.setEnabled(enabled);
        const QImage img = b.grab().toImage();
        EXPECT_EQ(img.pixelColor(img.width() / 2, img.height() / 2), ctl::kButtonFace) << enabled;
    }
}

TEST_F(BitButtonTest, CaptionsAreDrawnAsTheirLookSays) {
    // Without pictures the face is plain, so the caption's pixels show.
    CBitButton b(&parent);
    b.resize(200, 24);
    b.setText(QStringLiteral("NAME"));
    const QColor red(255, 0, 0);
    b.SetTextColors(red, red, red, red, red, red);
    std::vector<int> xs = skintest::InkColumns(b.grab().toImage(), red);
    ASSERT_FALSE(xs.empty());
    EXPECT_GT(xs.front(), 60); // centred
    EXPECT_LT(xs.back(), 140);

    // Multi-line captions are white whatever the colour.
    b.SetMultiLineText(true, 4);
    EXPECT_TRUE(skintest::InkColumns(b.grab().toImage(), red).empty());
    EXPECT_FALSE(skintest::InkColumns(b.grab().toImage(), Qt::white).empty());

    // Disabled: left, after the indent.
    b.SetMultiLineText(false);
    b.SetDisabledTextColor(red);
    b.SetDisabledTextFormat(CBitButton::kDtLeft);
    b.SetDisabledTextIndent(50);
    b.setEnabled(false);
    xs = skintest::InkColumns(b.grab().toImage(), red);
    ASSERT_FALSE(xs.empty());
    EXPECT_GE(xs.front(), 50);
    EXPECT_LT(xs.front(), 70); // not centred (that starts past 80)
}

TEST_F(BitButtonTest, ClicksReachTheParentAsCommands) {
    CBitButton* b = Skinned(2636);
    skintest::Click(b, {3, 3});
    EXPECT_EQ(skintest::Take(parent, WM_COMMAND),
              (std::vector<Message>{
                  {WM_COMMAND, CommandWParam(2636, BN_CLICKED), reinterpret_cast<LPARAM>(b)}}));
    EXPECT_EQ(b->GetCheck(), 0); // a click does not toggle
    EXPECT_FALSE(b->IsPressed());
}

// The speaker button reports its clicks after its click timer; the test ticks
// the timer by hand.
TEST_F(BitButtonTest, SpeakerButtonReportsASingleClickWhenItsTimerRunsOut) {
    CBitButton* b = Skinned(kSpeakerButtonId);
    skintest::Click(b, {3, 3});
    EXPECT_TRUE(b->ClickTimer().IsActive());
    EXPECT_EQ(b->ClickTimer().Period(), 210);
    EXPECT_TRUE(skintest::Take(parent, WM_SPEAKER_CLICK).empty()); // nothing before the time
    b->ClickTimer().Fire();
    EXPECT_EQ(skintest::Take(parent, WM_SPEAKER_CLICK),
              (std::vector<Message>{{WM_SPEAKER_CLICK, WM_LBUTTONDOWN, 0}}));
    EXPECT_FALSE(b->ClickTimer().IsActive());
    EXPECT_FALSE(b->ClickTimer().Fire()); // one notice per click
    EXPECT_TRUE(skintest::Take(parent, WM_SPEAKER_CLICK).empty());
}

TEST_F(BitButtonTest, SpeakerButtonDoubleClickWithinItsTimerReportsOnlyTheDoubleClick) {
    CBitButton* b = Skinned(kSpeakerButtonId);
    skintest::Click(b, {3, 3});
    skintest::DoubleClick(b, {3, 3});
    EXPECT_FALSE(b->ClickTimer().IsActive());
    EXPECT_FALSE(b->ClickTimer().Fire());
    EXPECT_EQ(skintest::Take(parent, WM_SPEAKER_CLICK),
              (std::vector<Message>{{WM_SPEAKER_CLICK, WM_LBUTTONDBLCLK, 0}}));
    EXPECT_EQ(skintest::Take(parent, WM_COMMAND).size(), 2u); // both presses are clicks too
}

TEST_F(BitButtonTest, SpeakerButtonSlowDoubleClickReportsTheClickThenTheDoubleClick) {
    CBitButton* b = Skinned(kSpeakerButtonId);
    skintest::Click(b, {3, 3});
    b->ClickTimer().Fire();
    skintest::DoubleClick(b, {3, 3});
    EXPECT_EQ(skintest::Take(parent, WM_SPEAKER_CLICK),
              (std::vector<Message>{{WM_SPEAKER_CLICK, WM_LBUTTONDOWN, 0},
                                    {WM_SPEAKER_CLICK, WM_LBUTTONDBLCLK, 0}}));
}

TEST_F(BitButtonTest, SpeakerButtonReportsARightClickReleasedOverIt) {
    CBitButton* b = Skinned(kSpeakerButtonId);
    skintest::Click(b, {3, 3}, Qt::RightButton);
    EXPECT_EQ(skintest::Take(parent, WM_SPEAKER_CLICK),
              (std::vector<Message>{{WM_SPEAKER_CLICK, WM_RBUTTONDOWN, 0}}));
    skintest::Press(b, {3, 3}, Qt::RightButton);
    skintest::Release(b, {b->width() + 5, 3}, Qt::RightButton); // let go elsewhere
    EXPECT_TRUE(skintest::Take(parent, WM_SPEAKER_CLICK).empty());
    EXPECT_FALSE(b->ClickTimer().IsActive());
    EXPECT_TRUE(skintest::Take(parent, WM_COMMAND).empty());
}

TEST_F(BitButtonTest, OtherButtonsHaveNoClickRule) {
    CBitButton* b = Skinned(kSpeakerButtonId + 1);
    skintest::Click(b, {3, 3});
    skintest::DoubleClick(b, {3, 3});
    skintest::Click(b, {3, 3}, Qt::RightButton);
    EXPECT_FALSE(b->ClickTimer().IsActive());
    EXPECT_TRUE(skintest::Take(parent, WM_SPEAKER_CLICK).empty());
    EXPECT_TRUE(skintest::Take(parent, WM_SLOT_RIGHT_CLICK).empty());
}

TEST_F(BitButtonTest, SceneSlotButtonsReportRightClicksWhileThePickerIsOpen) {
    struct Case {
        int id;
        int pickerOpen;
        bool reported;
    };
    const Case cases[] = {
        {2819, 1, true},  {2822, 1, true},  {2824, 1, true},  {2818, 1, false},
        {2825, 1, false}, {2821, 0, false}, {2821, 2, false},
    };
    for (const Case& c : cases) {
        g_ScenePickerOpen = c.pickerOpen;
        CBitButton* b = Skinned(c.id);
        skintest::Click(b, {3, 3}, Qt::RightButton);
        const std::vector<Message> want =
            c.reported ? std::vector<Message>{{WM_SLOT_RIGHT_CLICK, WM_RBUTTONDOWN, c.id}}
                       : std::vector<Message>{};
        EXPECT_EQ(skintest::Take(parent, WM_SLOT_RIGHT_CLICK), want)
            << c.id << " open " << c.pickerOpen;
        skintest::Click(b, {3, 3}); // a left click is only a click
        EXPECT_TRUE(skintest::Take(parent, WM_SLOT_RIGHT_CLICK).empty());
        delete b;
    }
}

TEST_F(BitButtonTest, MoveNotificationReportsEachNewPointOnce) {
    CBitButton* b = Skinned(2700);
    skintest::Move(b, {3, 3});
    EXPECT_TRUE(skintest::Take(parent, WM_CONTROL_HOVER).empty()); // off by default
    b->EnableMoveNotify(true);
    skintest::Move(b, {4, 3});
    skintest::Move(b, {4, 3});
    skintest::Move(b, {5, 3}, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(skintest::Take(parent, WM_CONTROL_HOVER),
              (std::vector<Message>{{WM_CONTROL_HOVER, 0, 2700},
                                    {WM_CONTROL_HOVER, MK_LBUTTON | MK_SHIFT, 2700}}));
}

TEST_F(BitButtonTest, HoverFollowsThePointer) {
    CBitButton* b = Skinned();
    skintest::Move(b, {3, 3});
    EXPECT_TRUE(b->IsHover());
    EXPECT_EQ(b->Current().look, CBitButton::OffHover);
    skintest::Press(b, {3, 3});
    EXPECT_EQ(b->Current().look, CBitButton::OffPressed);
    skintest::Move(b, {b->width() + 4, 3}, Qt::LeftButton); // dragged off while held
    EXPECT_FALSE(b->IsHover());
    EXPECT_EQ(b->Current().look, CBitButton::OffNormal);
    skintest::Release(b, {b->width() + 4, 3});
    EXPECT_TRUE(skintest::Take(parent, WM_COMMAND).empty()); // released elsewhere: no click
    skintest::Move(b, {3, 3});
    skintest::Leave(b);
    EXPECT_FALSE(b->IsHover());
}

TEST_F(BitButtonTest, AnOffButtonLendsItsHoverToItsPartners) {
    CBitButton* a = Skinned();
    CBitButton* p1 = Skinned();
    CBitButton* p2 = Skinned();
    a->SetPartners(p1, p2);
    skintest::Move(a, {3, 3});
    EXPECT_TRUE(p1->IsHover());
    EXPECT_TRUE(p2->IsHover());
    skintest::Leave(a);
    EXPECT_FALSE(p1->IsHover());
    EXPECT_FALSE(p2->IsHover());

    // An on button leaves them alone; switching it off clears their hover.
    a->SetCheck(1);
    skintest::Move(a, {3, 3});
    EXPECT_FALSE(p1->IsHover());
    p1->SetHoverLook(true);
    a->SetCheck(0);
    EXPECT_FALSE(p1->IsHover());

    // Hidden, it forgets them.
    skintest::Leave(a);
    a->ShowWindow(0);
    EXPECT_TRUE(a->isHidden());
    skintest::Move(a, {3, 3});
    EXPECT_FALSE(p1->IsHover());
    a->ShowWindow(5);
    EXPECT_FALSE(a->isHidden());
}

} // namespace
