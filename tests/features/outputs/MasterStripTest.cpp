// The master-volume strip: its field, slider, minus and plus at their bounds,
// the mute button on the master record, and the keys that lead on to the
// output page.
#include "tests/pages/PageTestSupport.h"

#include "features/outputs/MasterStrip.h"
#include "tests/controls/SkinTestSupport.h"

#include <QKeyEvent>

namespace {

using skintest::Message;

class MasterStripTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_LanguageFlag = 0;
        g_StateFlags[kFlagStatusGuard] = 0;
        g_DeviceRecords.Bytes().master[kMasterOnByte] = 1;
        strip = new CMasterStrip(&parent);
        strip->SetView(&host);
        strip->SetBackgroundBitmap(1153);
        strip->SetSliderChannelBitmap(357, 357, CBitmapSlider::kColorAtPoint);
        strip->SetSliderThumbBitmap(358, 282, CBitmapSlider::kColorAtPoint);
        strip->SetSliderRange(0, 66, true);
        strip->setGeometry(830, 29, 438, 31);
        parent.Clear();
    }
    void TearDown() override {
        g_StateFlags[kFlagStatusGuard] = 0;
        g_DeviceRecords.Bytes().master[kMasterOnByte] = 1;
    }

    skintest::Parent parent;
    FakeHost host{&parent};
    CMasterStrip* strip = nullptr;
};

TEST_F(MasterStripTest, TheFieldShowsDecibelsAndOffAtTheBottom) {
    struct Case {
        int value;
        const char* en;
        const char* cn;
    };
    const Case cases[] = {
        {60, "0dB", "0dB"}, {66, "6dB", "6dB"}, {0, "OFF", "关闭"}, {1, "-59dB", "-59dB"}};
    for (const Case& c : cases) {
        for (int cn : {0, 1}) {
            g_LanguageFlag = cn;
            strip->SetValue(c.value);
            EXPECT_EQ(strip->Field()->text().toStdString(), cn ? c.cn : c.en);
            EXPECT_EQ(strip->GetValue(), c.value);
            EXPECT_EQ(strip->Slider()->GetPos(), c.value);
        }
    }
    g_LanguageFlag = 0;
}

TEST_F(MasterStripTest, MinusAndPlusStepWithinTheRangeAndAlwaysReport) {
    struct Case {
        int from;
        int button;
        int to;
    };
    const Case cases[] = {
        {66, CMasterStrip::IDC_PLUS, 66},  {65, CMasterStrip::IDC_PLUS, 66},
        {0, CMasterStrip::IDC_MINUS, 0},   {1, CMasterStrip::IDC_MINUS, 0},
        {60, CMasterStrip::IDC_MINUS, 59},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " button " << c.button);
        strip->SetValue(c.from);
        parent.Clear();
        (c.button == CMasterStrip::IDC_PLUS ? strip->PlusButton() : strip->MinusButton())->click();
        EXPECT_EQ(strip->GetValue(), c.to);
        EXPECT_EQ(strip->Slider()->GetPos(), c.to);
        EXPECT_EQ(skintest::Take(parent, WM_MASTER_VOLUME),
                  (std::vector<Message>{{WM_MASTER_VOLUME, CMasterStrip::IDD, c.to}}));
    }
    strip->SetValue(0);
    EXPECT_EQ(strip->Field()->text(), QStringLiteral("OFF"));
    EXPECT_TRUE(host.calls.empty()); // nothing refused, nothing asked of the view
}

TEST_F(MasterStripTest, TheMuteButtonTogglesTheMastersOnByteAndMarksTheRecord) {
    strip->SetMuteCheck(false);
    const uint8_t expected[] = {0, 1, 0};
    for (uint8_t on : expected) {
        host.calls.clear();
        g_StateFlags[kFlagStatusGuard] = 0;
        strip->MuteButton()->click();
        EXPECT_EQ(g_DeviceRecords.Bytes().master[kMasterOnByte], on);
        EXPECT_EQ(strip->IsMuteChecked(), on == 0);
        EXPECT_EQ(strip->MuteButton()->GetCheck(), on == 0 ? 1 : 0);
        EXPECT_EQ(strip->MuteButton()->Current().bitmap, on == 0 ? 1008u : 1007u);
        EXPECT_EQ(g_StateFlags[kFlagStatusGuard].load(), 1);
        EXPECT_EQ(host.calls,
                  (std::vector<std::string>{"StartEditGuardTimer", "MarkMasterChanged 1"}));
    }
    // The mute reports no volume.
    EXPECT_TRUE(skintest::Take(parent, WM_MASTER_VOLUME).empty());
}

TEST_F(MasterStripTest, TheSliderReportsWhileMovingAndWhenItStops) {
    strip->SetValue(60);
    strip->Slider()->SetPos(30);
    strip->SendMessage(WM_SLIDER_MOVING, CMasterStrip::IDC_SLIDER, 30);
    strip->Slider()->SetPos(20);
    strip->SendMessage(WM_SLIDER_MOVED, CMasterStrip::IDC_SLIDER, 20);
    strip->SendMessage(WM_SLIDER_MOVED, 1234, 5); // another slider: nothing
    EXPECT_EQ(skintest::Take(parent, WM_MASTER_VOLUME),
              (std::vector<Message>{{WM_MASTER_VOLUME, CMasterStrip::IDD, 30},
                                    {WM_MASTER_VOLUME, CMasterStrip::IDD, 20}}));
    EXPECT_EQ(strip->GetValue(), 20);
    // A choice in the hidden unit list goes to the view as its number + 1.
    strip->SendMessage(WM_DROP_CHOICE, CMasterStrip::IDC_LIST, 2);
    EXPECT_EQ(skintest::Take(parent, WM_MASTER_UNIT),
              (std::vector<Message>{{WM_MASTER_UNIT, CMasterStrip::IDD, 3}}));
}

TEST_F(MasterStripTest, ArrowKeysInTheFieldLeadOnToTheOutputPage) {
    struct Case {
        int key;
        const char* field;
    };
    const Case cases[] = {{Qt::Key_Right, "FocusField 1004"},
                          {Qt::Key_Return, "FocusField 1004"},
                          {Qt::Key_Tab, "FocusField 1004"},
                          {Qt::Key_Left, "FocusField 2817"}};
    for (const Case& c : cases) {
        host.output.calls.clear();
        QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier);
        QApplication::sendEvent(strip->Field(), &press);
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(host.output.calls, std::vector<std::string>{c.field}) << c.key;
    }
}

TEST_F(MasterStripTest, TheControlsFitTheStripAndDoNotOverlap) {
    const QRect strip(0, 0, 438, 31);
    const std::vector<QWidget*> shown = {this->strip->Field(), this->strip->MinusButton(),
                                         this->strip->Slider(), this->strip->PlusButton(),
                                         this->strip->MuteButton()};
    for (size_t i = 0; i < shown.size(); ++i) {
        EXPECT_TRUE(strip.contains(shown[i]->geometry())) << i;
        for (size_t j = i + 1; j < shown.size(); ++j)
            EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry())) << i << " " << j;
    }
    // The field sits in the dark frame of the background picture.
    EXPECT_TRUE(QRect(82, 6, 46, 20).contains(this->strip->Field()->geometry()));
    EXPECT_FALSE(this->strip->Spin()->isVisibleTo(this->strip));
    EXPECT_FALSE(this->strip->UnitList()->isVisibleTo(this->strip));
}

} // namespace
