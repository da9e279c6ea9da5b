// The level and delay page with the real model: source buttons and what they
// send, the music-input columns it has, levels, on/off and the master, the
// shared distance fields, the units, the linked steps in every unit, the
// link toggles, the lamps, the keys, and messages with indexes out of range.
// Before any Qt header: Qt's "slots" keyword would take the groups' member name.
#include "model/SpeakerGroups.h"

#include "tests/pages/InputPageTestSupport.h"

#include "controls/LinkIndicator.h"
#include "controls/PngButton.h"
#include "model/FrameBuilder.h"
#include "pages/leveldelay/LevelDelayPage.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QStyle>

namespace {

using namespace inputtest;
using Page = CLevelDelayPage;

// The input page as the level page sees it: what it was asked.
class InputPageDouble : public CSourcePage {
public:
    InputPageDouble() : CSourcePage(nullptr) {}
    std::vector<std::pair<int, int>> updates;
    std::vector<std::pair<WPARAM, LPARAM>> changes;
    void UpdateSourceButton(int s, int m) override { updates.emplace_back(s, m); }

protected:
    LRESULT WindowProc(unsigned msg, WPARAM w, LPARAM l) override {
        if (msg == WM_SOURCE_CHANGED) changes.emplace_back(w, l);
        return 0;
    }
};

class LevelDelayTest : public SourcePageFixture {
protected:
    void SetUp() override {
        SetUpModel();
        g_DistanceUnit = 1;
        // Front left: tweeter, woofer, midrange; front right: tweeter and two
        // outputs on its midrange field (types 10 and 11); a rear-left pair;
        // a subwoofer; the centre; an output without type.
        const uint8_t types[12] = {1, 3, 10, 0, 13, 14, 11, 24, 7, 2, 19, 20};
        for (int i = 0; i < 12; ++i)
            g_OutputSpeakerType[i] = types[i];
        g_SpeakerGroups->Analyse();
        page = std::make_unique<Page>();
        page->SetView(&host);
        page->SetChannelArray(data.get());
        page->Refresh();
        page->UpdateInputArea();
        host.calls.clear();
    }
    void TearDown() override {
        page.reset();
        g_DistanceUnit = 1;
        SourcePageFixture::TearDown();
    }
    void Command(int id) { CommandTo(page.get(), id); }
    void Type(int id, const QString& text) {
        SCOPED_TRACE(id);
        TypeInto(page->Field(id), text);
    }
    CKTV_OutData& Out(int n) { return *data->GetOut(n); }
    int Delay(int n) {
        return WithDeviceLock([&] { return static_cast<int>(Out(n).GetDelay()); });
    }
    void SetDelay(int n, int v) {
        WithDeviceLock([&] { Out(n).SetDelay(static_cast<int16_t>(v)); });
    }
    bool Checked(int id) { return page->PngButton(id)->GetCheck() != 0; }

    std::unique_ptr<Page> page;
};

// ---------------------------------------------------------------------------
// Sources
// ---------------------------------------------------------------------------

TEST_F(LevelDelayTest, ASourceButtonSendsMasterBeforeSourceAndTellsTheInputPage) {
    InputPageDouble input;
    g_pInputPage = &input;
    g_DeviceRecords.Bytes().master[kMasterInputLockByte] = 1;
    page->UpdateSourceButtonLooks();
    Command(Page::kSourceButton + 3);
    EXPECT_EQ(Commands(), (std::vector<int>{kRecordMaster, kRecordSources}));
    EXPECT_EQ(g_ActiveSource, 3);
    EXPECT_EQ(g_DeviceRecords.Bytes().sources[kSourceActiveByte], 3);
    EXPECT_EQ(g_DeviceRecords.Bytes().master[kMasterInputLockByte], 0);
    EXPECT_EQ(page->BitButton(Page::kSourceButton + 3)->GetCheck(), 1);
    EXPECT_EQ(page->BitButton(Page::kSourceButton + 1)->GetCheck(), 0);
    EXPECT_EQ(input.updates, (std::vector<std::pair<int, int>>{{3, 0}}));
    QApplication::processEvents();
    // The values from before the change.
    EXPECT_EQ(input.changes, (std::vector<std::pair<WPARAM, LPARAM>>{{1, 1}}));

    // The active source again: with the lock set only the master record goes.
    host.calls.clear();
    g_DeviceRecords.Bytes().master[kMasterInputLockByte] = 1;
    Command(Page::kSourceButton + 3);
    EXPECT_EQ(Commands(), std::vector<int>{kRecordMaster});
    host.calls.clear();
    Command(Page::kSourceButton + 3);
    EXPECT_TRUE(Commands().empty());

    // Without an input page nothing is called into one.
    g_pInputPage = nullptr;
    Command(Page::kSourceButton + 5);
    EXPECT_EQ(Commands(), std::vector<int>{kRecordSources});
    EXPECT_EQ(g_ActiveSource, 5);
    EXPECT_EQ(input.updates.size(), 1u);
}

TEST_F(LevelDelayTest, ThePageClearsItsPointerAndWithTheInputPageBothFollowASourceChange) {
    EXPECT_EQ(g_pLevelDelayPage, page.get());
    {
        CInputPage input;
        input.SetView(&host);
        input.SetDataModel(data.get());
        input.ApplyModeAndSource(0);
        Command(Page::kSourceButton + 3);
        QApplication::processEvents();
        EXPECT_EQ(input.BitButton(CInputPage::IDC_SOURCE0 + 3)->GetCheck(), 1);
        EXPECT_EQ(input.Input(), data->GetMusic(3));
        // And the other way.
        input.OnSourceButton(1);
        QApplication::processEvents();
        EXPECT_EQ(page->BitButton(Page::kSourceButton + 1)->GetCheck(), 1);
    }
    EXPECT_EQ(g_pInputPage, nullptr);
    page.reset();
    EXPECT_EQ(g_pLevelDelayPage, nullptr);
}

TEST_F(LevelDelayTest, InputColumnsFourAndFiveReachNoMusicInput) {
    g_DeviceSynced = 1;
    for (int k : {4, 5}) {
        page->Field(Page::kInputField + k)->setText(QStringLiteral("-10.0"));
        Command(Page::kInputField + k);
        Command(Page::kInputSpin + k);
        platform::SendMessage(page.get(), WM_SLIDER_MOVED, Page::kInputSlider + k, 0);
        EXPECT_FALSE(page->Field(Page::kInputField + k)->isVisibleTo(page.get()));
    }
    // Their source buttons follow the mode.
    EXPECT_TRUE(page->Control(Page::kSourceButton + 4)->isVisibleTo(page.get()));
    g_InputMode = 1;
    page->UpdateInputArea();
    EXPECT_TRUE(page->Control(Page::kSourceButton + 4)->isVisibleTo(page.get()));
    EXPECT_FALSE(page->Control(Page::kSourceButton + 5)->isVisibleTo(page.get()));
    // A music input's column edits its gain.
    Type(Page::kInputField + 3, QStringLiteral("-20.0"));
    EXPECT_EQ(data->GetMusic(3)->GetGain(), 400);
    EXPECT_EQ(page->Slider(Page::kInputSlider + 3)->GetValue(), 400);
}

// ---------------------------------------------------------------------------
// Levels
// ---------------------------------------------------------------------------

TEST_F(LevelDelayTest, OutputsAndMasterSwitchOnWithALevel) {
    WithDeviceLock([&] { Out(1).SetOutputOn(0); });
    page->Refresh();
    EXPECT_EQ(page->BitButton(Page::kOutputOn + 1)->GetCheck(), 0);
    Type(Page::kOutputField + 1, QStringLiteral("-12.0"));
    EXPECT_EQ(Out(1).GetGain(), 480);
    EXPECT_EQ(Out(1).GetOutputOn(), 1);
    EXPECT_EQ(page->BitButton(Page::kOutputOn + 1)->GetCheck(), 1);
    EXPECT_EQ(page->SelectedOutput(), 1);
    // The position of type 3 (button 6042) is highlighted.
    EXPECT_TRUE(Checked(Page::kPositionButton + 3 - 1));
    // The same level again changes nothing and keeps the row selected.
    g_DeviceSynced = 1;
    WithDeviceLock([&] { data->ClearChangeFlags(0); });
    Type(Page::kOutputField + 1, QStringLiteral("-12.0"));
    // Nothing pending: the poller's next packet is the status request.
    const PacketPtr next = data->GetNextPacket();
    EXPECT_EQ(next->GetData()[7], kGroupSystem);
    EXPECT_EQ(next->GetData()[8], kRecordStatus);
    EXPECT_EQ(page->SelectedOutput(), 1);
    g_DeviceSynced = 0;
    // The on/off button: off (muted picture, the position highlighted), then on again.
    page->SelectOutput(-1);
    Command(Page::kOutputOn + 1);
    EXPECT_EQ(Out(1).GetOutputOn(), 0);
    EXPECT_EQ(page->BitButton(Page::kOutputOn + 1)->GetCheck(), 0);
    EXPECT_TRUE(Checked(Page::kPositionButton + 3 - 1));
    Command(Page::kOutputOn + 1);
    EXPECT_EQ(Out(1).GetOutputOn(), 1);
    Command(Page::kOutputPolarity + 1);
    EXPECT_EQ(Out(1).GetPolarity(), 1);

    // The master slider while the master is off: on, marked, nothing queued.
    g_DeviceRecords.Bytes().master[kMasterOnByte] = 0;
    page->Refresh();
    page->Slider(Page::IDC_MASTER_SLIDER)->SetValue(50);
    platform::SendMessage(page.get(), WM_SLIDER_MOVING, Page::IDC_MASTER_SLIDER, 0);
    EXPECT_EQ(g_DeviceRecords.Bytes().master[0], 50);
    EXPECT_EQ(g_DeviceRecords.Bytes().master[kMasterOnByte], 1);
    EXPECT_EQ(page->BitButton(Page::IDC_MASTER_ON)->GetCheck(), 1);
    EXPECT_EQ(host.Count("master changed 1"), 1);
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(page->Field(Page::IDC_MASTER)->text(), QStringLiteral("-10dB"));
}

TEST_F(LevelDelayTest, AnOutputWithoutTypeShowsThePlaceholderAndNoDistance) {
    EXPECT_TRUE(page->Control(Page::kRowPlaceholder + 3)->isVisibleTo(page.get()));
    EXPECT_FALSE(page->Control(Page::kOutputField + 3)->isVisibleTo(page.get()));
    EXPECT_FALSE(page->Control(Page::kLamp + 3)->isVisibleTo(page.get()));
    EXPECT_EQ(page->DistanceFieldOf(3), nullptr);
    EXPECT_TRUE(page->Control(Page::kOutputField + 2)->isVisibleTo(page.get()));
}

// ---------------------------------------------------------------------------
// Layout
// ---------------------------------------------------------------------------

// The columns of a picture that hold the light pixels of a fader's thumb.
std::vector<int> ThumbColumns(QWidget* fader) {
    const QImage img = fader->grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::vector<int> xs;
    for (int x = 0; x < img.width(); ++x)
        for (int y = 0; y < img.height(); ++y)
            if (qGray(img.pixel(x, y)) > 150) {
                xs.push_back(x);
                break;
            }
    return xs;
}

// Every level fader shows its thumb centred on its track, and the input
// faders end above their fields, so that a field's "OFF" does not sit on a
// fader's end.
TEST_F(LevelDelayTest, EveryFaderShowsItsThumbOnItsTrackClearOfItsField) {
    page->resize(page->size());              // laid out as shown
    std::vector<std::pair<int, int>> faders; // slider, field
    for (int k = 0; k < Page::kMusicColumns; ++k)
        faders.emplace_back(Page::kInputSlider + k, Page::kInputField + k);
    for (int r : {0, 1, 2})
        faders.emplace_back(Page::kOutputSlider + r, Page::kOutputField + r);
    for (const auto& [sliderId, fieldId] : faders) {
        SCOPED_TRACE(sliderId);
        QWidget* fader = page->Control(sliderId);
        const std::vector<int> xs = ThumbColumns(fader);
        ASSERT_FALSE(xs.empty());
        EXPECT_NEAR((xs.front() + xs.back()) / 2.0, (fader->width() - 1) / 2.0, 1.5);
        EXPECT_FALSE(fader->geometry().intersects(page->Control(fieldId)->geometry()));
    }
}

// The link rings sit beside the speakers they link and the distance texts
// below or beside theirs: none covers a speaker.
TEST_F(LevelDelayTest, NoRingOrDistanceTextCoversASpeaker) {
    std::vector<QRect> speakers;
    for (int t = 1; t < Page::kSpeakerTypes; ++t)
        speakers.push_back(page->Control(Page::kPositionButton + t - 1)->geometry());
    std::vector<std::pair<int, QRect>> others;
    for (int id = 6800; id <= 6811; ++id)
        others.emplace_back(id, page->Control(id)->geometry());
    for (int d = 0; d < Page::kDistanceFields; ++d) {
        QLineEdit* field = page->Field(Page::kDistanceField + d);
        const QFontMetrics fm(field->font());
        const QSize text(fm.horizontalAdvance(field->text()), fm.height());
        others.emplace_back(
            Page::kDistanceField + d,
            QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, text, field->geometry()));
    }
    for (const auto& [id, rect] : others)
        for (size_t s = 0; s < speakers.size(); ++s)
            EXPECT_FALSE(rect.intersects(speakers[s]))
                << id << " over the speaker of type " << s + 1;
}

TEST_F(LevelDelayTest, TheLampsShowTheDeviceStatus) {
    WithDeviceLock([] {
        g_DeviceRecords.Bytes().status[6] = 0x13;    // row 0: three level lamps and a flag
        g_DeviceRecords.Bytes().status[13] = 0x7F0F; // row 7: bits above the lamps are ignored
    });
    page->UpdateLamps();
    EXPECT_TRUE(page->Lamp(0)->IsLit(2));
    EXPECT_FALSE(page->Lamp(0)->IsLit(3));
    EXPECT_TRUE(page->Lamp(0)->IsLit(11));
    EXPECT_FALSE(page->Lamp(7)->IsLit(11));
    page->ClearLamps();
    EXPECT_FALSE(page->Lamp(0)->IsLit(2));
}

// ---------------------------------------------------------------------------
// Distances
// ---------------------------------------------------------------------------

TEST_F(LevelDelayTest, ASharedDistanceFieldGoesToTheHigherOutput) {
    SetDelay(2, 96);
    SetDelay(6, 240);
    page->Refresh();
    // Types 10 (output 2) and 11 (output 6) share field 6004.
    CNumEdit* shared = page->Field(Page::kDistanceField + 4);
    EXPECT_EQ(page->Spin(Page::kDistanceSpin + 4)->GetChannel(), 6);
    EXPECT_EQ(shared->GetValue(), 240);
    EXPECT_EQ(shared->text(), QStringLiteral("5.000"));
    Type(Page::kDistanceField + 4, QStringLiteral("2.5"));
    EXPECT_EQ(Delay(6), 120);
    EXPECT_EQ(Delay(2), 96);
    EXPECT_EQ(page->SelectedOutput(), 6);
    // A position button selects the output holding it and focuses its field.
    Command(Page::kPositionButton + 13 - 1);
    EXPECT_EQ(page->SelectedOutput(), 4);
}

TEST_F(LevelDelayTest, TheUnitSwitchReformatsEveryFieldAndKeepsTheDelays) {
    SetDelay(0, 48);
    page->Refresh();
    EXPECT_EQ(page->Field(Page::kDistanceField)->text(), QStringLiteral("1.000"));
    Command(Page::IDC_UNIT_CM);
    EXPECT_EQ(g_DistanceUnit, 2);
    EXPECT_EQ(page->BitButton(Page::IDC_UNIT_CM)->GetCheck(), 1);
    EXPECT_EQ(page->BitButton(Page::IDC_UNIT_MS)->GetCheck(), 0);
    EXPECT_EQ(page->Field(Page::kDistanceField)->GetType(), numfield::kDelayCm);
    EXPECT_EQ(page->Field(Page::kDistanceField + 14)->GetType(), numfield::kDelayCm);
    EXPECT_EQ(page->Field(Page::kDistanceField)->GetValue(), 48);
    EXPECT_EQ(Delay(0), 48);
    Command(Page::IDC_UNIT_INCH);
    EXPECT_EQ(page->Field(Page::kDistanceField + 7)->GetType(), numfield::kDelayInch);
    EXPECT_EQ(Delay(0), 48);
    // The unit outlives the page.
    page = std::make_unique<Page>();
    page->SetChannelArray(data.get());
    page->Refresh();
    EXPECT_EQ(page->BitButton(Page::IDC_UNIT_INCH)->GetCheck(), 1);
}

TEST_F(LevelDelayTest, ALinkedStepMovesEveryMemberInEachUnit) {
    struct Case {
        int unit;
        int (*step)(int, int);
    };
    const Case cases[] = {
        {1, [](int v, int d) { return v + d; }},
        {2, StepDelayCentimetres},
        {3, StepDelayInches},
    };
    Command(Page::kLinkToggle + 1); // front left, pair mode of its three members
    ASSERT_EQ(g_SpeakerGroups->frontLeft.state, 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unit);
        for (int o : {0, 1, 9})
            SetDelay(o, 100);
        page->Refresh();
        Command(Page::IDC_UNIT_MS + c.unit - 1);
        // One step up on the tweeter's field (output 0).
        page->Spin(Page::kDistanceSpin + 0)->StepBy(1);
        QApplication::processEvents();
        const int moved = c.step(100, 1);
        ASSERT_NE(moved, 100);
        EXPECT_EQ(Delay(0), moved);
        EXPECT_EQ(Delay(1), moved); // the woofer
        EXPECT_EQ(Delay(9), moved); // the midrange
        // Not in the group: the rear left and the subwoofer.
        EXPECT_EQ(Delay(4), 0);
        EXPECT_EQ(Delay(7), 0);
    }
    // Down at the bottom stops at 0.
    for (int o : {0, 1, 9})
        SetDelay(o, 0);
    page->Refresh();
    Command(Page::IDC_UNIT_MS);
    page->Spin(Page::kDistanceSpin + 0)->StepBy(-1);
    QApplication::processEvents();
    EXPECT_EQ(Delay(1), 0);
    // The subwoofer's step moves only itself.
    page->Spin(Page::kDistanceSpin + 14)->StepBy(1);
    QApplication::processEvents();
    EXPECT_EQ(Delay(7), 1);
    EXPECT_EQ(Delay(1), 0);
}

TEST_F(LevelDelayTest, ALinkToggleLocksItsGroupsFields) {
    const int toggle = Page::ToggleOfType(1);
    ASSERT_NE(toggle, 0);
    EXPECT_TRUE(page->PngButton(toggle)->isVisibleTo(page.get()));
    EXPECT_FALSE(page->Field(Page::kDistanceField)->isReadOnly());
    Command(toggle);
    EXPECT_EQ(g_SpeakerGroups->frontLeft.state, 1);
    EXPECT_TRUE(Checked(toggle));
    for (int d : {0, 1, 2})
        EXPECT_TRUE(page->Field(Page::kDistanceField + d)->isReadOnly()) << d;
    EXPECT_FALSE(page->Field(Page::kDistanceField + 8)->isReadOnly());
    // Typing is impossible while linked.
    SetDelay(0, 10);
    page->Refresh();
    EXPECT_TRUE(page->Field(Page::kDistanceField)->isReadOnly());
    Command(toggle);
    EXPECT_EQ(g_SpeakerGroups->frontLeft.state, 0);
    EXPECT_FALSE(Checked(toggle));
    EXPECT_FALSE(page->Field(Page::kDistanceField)->isReadOnly());
    // The rear-left toggle is shown; the rear-right one (no members) is not.
    EXPECT_TRUE(page->PngButton(6808)->isVisibleTo(page.get()));
    EXPECT_FALSE(page->PngButton(6809)->isVisibleTo(page.get()));
}

// ---------------------------------------------------------------------------
// Keys and bad messages
// ---------------------------------------------------------------------------

TEST_F(LevelDelayTest, TabFromTheLastFieldGoesToTheMasterSkippingHiddenOnes) {
    page->show();
    page->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(page.get()));
    page->Field(Page::kOutputField + 7)->setFocus();
    QTest::keyClick(page->Field(Page::kOutputField + 7), Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), page->Field(Page::IDC_MASTER));
    // Enter acts as Tab; the hidden S/PDIF column is skipped.
    QTest::keyClick(page->Field(Page::IDC_MASTER), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), page->Field(Page::kInputField + 1));
    // Output 2's field (row 3 has no type and is hidden) on to row 4.
    page->Field(Page::kOutputField + 2)->setFocus();
    QTest::keyClick(page->Field(Page::kOutputField + 2), Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), page->Field(Page::kOutputField + 4));
    EXPECT_EQ(page->SelectedOutput(), 4);
}

TEST_F(LevelDelayTest, MessagesWithIndexesOutOfRangeAreIgnored) {
    struct Message {
        unsigned msg;
        WPARAM w;
        LPARAM l;
    };
    const Message bad[] = {
        {WM_COMMAND, CommandWParam(Page::kSourceButton + 6, 0), 0},
        {WM_COMMAND, CommandWParam(Page::kOutputOn + 8, 0), 0},
        {WM_COMMAND, CommandWParam(Page::kLinkToggle + 12, 0), 0},
        {WM_COMMAND, CommandWParam(Page::kPositionButton + 24, 0), 0},
        {WM_COMMAND, CommandWParam(Page::kDistanceField + 3, 0), 0}, // a field no output holds
        {WM_SLIDER_MOVED, 99999, 0},
        {WM_SLIDER_MOVED, Page::kOutputSlider + 8, 0},
        {WM_DELAY_SPIN_STEP, Page::kDistanceSpin + 15, 1},
        {WM_DELAY_SPIN_STEP, WPARAM(-1), 1},
        {WM_DELAY_SPIN_STEP, Page::kDistanceSpin + 3, 1},
        {WM_CONTROL_HOVER, 0, 99999},
        {WM_SOURCE_CHANGED, 7, 1000},
        {WM_SOURCE_REPORTED, 0, -5},
        {Page::kFocusMoveMessage, 424242, 39},
    };
    for (const Message& m : bad) {
        SCOPED_TRACE(m.msg);
        platform::SendMessage(page.get(), m.msg, m.w, m.l);
    }
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(g_ActiveSource, 1);
    for (int o = 0; o < 12; ++o)
        EXPECT_EQ(Delay(o), 0) << o;
}

} // namespace
