// What the main view does with its strips, level bar and top bar without a
// device: the current output, levels spread over a link group, speaker types
// chosen on a strip, pasted equalisers, the mix-source warning, the L/R link
// with its question, and the top bar's texts.
#include "tests/app/ShellTestSupport.h"

#include "app/ShellMessages.h"
#include "controls/ButtonRadio.h"
#include "controls/LinkIndicator.h"
#include "model/KTV_Data.h"
#include "model/SpeakerTypes.h"
#include "features/outputs/LeftRightLinkDialog.h"
#include "features/outputs/MasterStrip.h"
#include "features/outputs/OutputStrip.h"
#include "pages/output/PositionButtons.h"
#include "platform/Fonts.h"

#include <QFontMetrics>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include <gmock/gmock.h>

namespace {

class StripsViewTest : public ShellTest {
protected:
    void TearDown() override {
        CLeftRightLinkDialog::SetResponder(nullptr);
        ShellTest::TearDown();
        InitParamModel();
    }
    COutputStrip* StripOf(int i) { return dynamic_cast<COutputStrip*>(view->Strip(i)); }
    CKTV_OutData* Out(int i) { return view->Data()->GetOut(i); }
    void SetTypes(const std::vector<int>& types) {
        ResetSpeakerTypeStates();
        for (int i = 0; i < 12; ++i)
            g_OutputSpeakerType[i] = static_cast<uint8_t>(i < int(types.size()) ? types[i] : 0);
        RecomputeSpeakerTypeStates();
    }
    // Answers the L/R link question with a direction (-1: Cancel).
    void AnswerLinkQuestion(int direction) {
        CLeftRightLinkDialog::SetResponder([this, direction](CLeftRightLinkDialog& d) {
            ++questions;
            if (direction < 0) return CLeftRightLinkDialog::IDCANCEL;
            (direction ? d.RightToLeft() : d.LeftToRight())->click();
            return CLeftRightLinkDialog::IDOK;
        });
    }
    void Press(int id) { view->SendMessage(WM_COMMAND, static_cast<WPARAM>(id), 0); }

    int questions = 0;
};

// ---------------------------------------------------------------------------
// The current output
// ---------------------------------------------------------------------------

TEST_F(StripsViewTest, SelectingAnOutputMovesTheMarksAndKeepsItsGroupSelected) {
    Start();
    g_LinkKey[5] = 0; // outputs 0 and 5 are linked
    auto selected = [this] {
        std::vector<int> on;
        for (int i = 0; i < 12; ++i)
            if (view->Strip(i)->IsCaptionChecked() && view->Strip(i)->IsSelected()) on.push_back(i);
        return on;
    };
    view->SendMessage(WM_STRIP_SELECT_OUTPUT, 5, 0);
    EXPECT_EQ(g_CurrentOutput, 5);
    EXPECT_THAT(selected(), ::testing::ElementsAre(0, 5));
    // The current output again: nothing.
    view->SendMessage(WM_STRIP_SELECT_OUTPUT, 5, 0);
    EXPECT_EQ(g_CurrentOutput, 5);
    view->SendMessage(WM_PAGE_SELECT_OUTPUT, 3, 0); // the mix page's request
    EXPECT_EQ(g_CurrentOutput, 3);
    EXPECT_THAT(selected(), ::testing::ElementsAre(3));
    // The position button of output 3's type (18, rear right full range) is checked.
    EXPECT_EQ(view->PositionButtons()->Button(18)->GetCheck(), 1);
    EXPECT_EQ(view->PositionButtons()->Button(6)->GetCheck(), 0);
    // A click on a strip's caption goes the same way.
    StripOf(1)->CaptionButton()->click();
    ASSERT_TRUE(PumpUntil([] { return g_CurrentOutput == 1; }));
}

// ---------------------------------------------------------------------------
// Levels
// ---------------------------------------------------------------------------

TEST_F(StripsViewTest, ALevelSpreadsOverTheLinkGroupWithinItsRange) {
    struct Case {
        const char* what;
        int gains[3]; // outputs 2, 5 and 7, linked
        int level;    // for output 2
        int want[3];
    };
    const Case cases[] = {
        {"up 30", {300, 400, 100}, 330, {330, 430, 130}},
        {"up 30 stops at 600", {300, 590, 100}, 330, {330, 600, 130}},
        {"down 50 stops at 0", {300, 400, 10}, 250, {250, 350, 0}},
        {"the same level moves nothing", {300, 590, 10}, 300, {300, 590, 10}},
        {"all the way up", {0, 300, 600}, 600, {600, 600, 600}},
    };
    Start();
    const int outputs[3] = {2, 5, 7};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int k = 0; k < 3; ++k) {
            Out(outputs[k])->SetGain(static_cast<int16_t>(c.gains[k]));
            Out(outputs[k])->SetOutputOn(0);
        }
        ASSERT_TRUE(view->RefreshAllPages()); // the page shows the levels
        g_LinkKey[5] = g_LinkKey[7] = 2;
        view->SendMessage(WM_PAGE_OUTPUT_LEVEL, 2, c.level);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(Out(outputs[k])->GetGain(), c.want[k]) << outputs[k];
            EXPECT_EQ(view->OutputPage()->PanelLevel(outputs[k]), c.want[k]) << outputs[k];
        }
        // Only the output itself is switched on, and only by a change.
        EXPECT_EQ(Out(2)->GetOutputOn(), c.level != c.gains[0] ? 1 : 0);
        EXPECT_EQ(Out(5)->GetOutputOn(), 0);
        // An output outside the group stays.
        EXPECT_EQ(Out(3)->GetGain(), 600);
    }
}

TEST_F(StripsViewTest, TheMasterStripsMinusAndPlusStopAtTheirBounds) {
    Start();
    auto* strip = dynamic_cast<CMasterStrip*>(view->LevelBar());
    ASSERT_NE(strip, nullptr);
    struct Case {
        int from;
        bool plus;
        int word;
    };
    const Case cases[] = {{66, true, 66}, {65, true, 66}, {0, false, 0}, {1, false, 0}};
    for (const Case& c : cases) {
        {
            DeviceLockGuard lock(g_DeviceLock);
            PutU16(g_DeviceRecords.Bytes().master, static_cast<unsigned>(c.from));
            g_DeviceRecords.Bytes().master[kMasterOnByte] =
                0; // muted: a volume change switches the master on
        }
        view->RefreshMasterControls();
        EXPECT_TRUE(strip->IsMuteChecked());
        g_StateFlags[kFlagStatusGuard] = 0;
        (c.plus ? strip->PlusButton() : strip->MinusButton())->click();
        QCoreApplication::sendPostedEvents(); // the strip's report reaches the view
        EXPECT_EQ(GetS16(g_DeviceRecords.Bytes().master), c.word);
        EXPECT_EQ(strip->GetValue(), c.word);
        EXPECT_EQ(g_StateFlags[kFlagStatusGuard].load(), 1);
        // Not connected: nothing waits to be sent.
        EXPECT_EQ(g_SendCmd5Pending.load(), 0);
        if (c.word != c.from) {
            EXPECT_EQ(g_DeviceRecords.Bytes().master[kMasterOnByte], 1);
            EXPECT_FALSE(strip->IsMuteChecked());
        }
    }
    EXPECT_EQ(strip->Field()->text(), QStringLiteral("OFF"));
}

TEST_F(StripsViewTest, AMasterWordOutsideItsRangeShowsAsZeroDecibels) {
    Start();
    for (int word : {67, 600, -1, -32768, 32767}) {
        SCOPED_TRACE(word);
        {
            DeviceLockGuard lock(g_DeviceLock);
            PutU16(g_DeviceRecords.Bytes().master, static_cast<uint16_t>(word));
        }
        boxes.clear();
        ASSERT_TRUE(view->RefreshAllPages());
        EXPECT_EQ(GetS16(g_DeviceRecords.Bytes().master), 60);
        EXPECT_EQ(view->LevelBar()->GetValue(), 60);
        // Shown straight away: the strip asks nothing.
        EXPECT_TRUE(boxes.empty());
        // The status reports' refresh of the master shows 60 too.
        {
            DeviceLockGuard lock(g_DeviceLock);
            PutU16(g_DeviceRecords.Bytes().master, static_cast<uint16_t>(word));
        }
        view->RefreshMasterControls();
        EXPECT_EQ(view->LevelBar()->GetValue(), 60);
        EXPECT_TRUE(boxes.empty());
    }
}

// ---------------------------------------------------------------------------
// Speaker types
// ---------------------------------------------------------------------------

TEST_F(StripsViewTest, AChosenTypeChangesTheTablesTheMapTheStripAndTheCrossover) {
    Start(); // types the popups offer from the start-up map
    struct Case {
        int output;
        int type;
        uint8_t* mapByte;
        const char* caption;
        int highPass, lowPass;
        int mixFirst;
    };
    const Case cases[] = {
        {4, 20, &g_DeviceRecords.Bytes().outputMapA[4], "C-Woofer", 70, 320, 0},
        {9, 0, &g_DeviceRecords.Bytes().outputMapB[1], "NULL", 20, 20000,
         1}, // the right subwoofer goes
        {5, 19, &g_DeviceRecords.Bytes().outputMapA[5], "C-Tweeter", 3400, 20000, 0},
        {4, 0, &g_DeviceRecords.Bytes().outputMapA[4], "NULL", 20, 20000, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        view->SendMessage(WM_STRIP_SPEAKER_TYPE, static_cast<WPARAM>(c.output), c.type);
        EXPECT_EQ(g_OutputSpeakerType[c.output], c.type);
        EXPECT_EQ(*c.mapByte, c.type);
        EXPECT_EQ(g_MixItemsFirst.load(), c.mixFirst);
        EXPECT_EQ(StripOf(c.output)->SpeakerTypeText().toStdString(), c.caption);
        EXPECT_EQ(Out(c.output)->GetSpeakerType(), c.type);
        EXPECT_EQ(Out(c.output)->GetHighPass()->GetFreq(), c.highPass);
        EXPECT_EQ(Out(c.output)->GetLowPass()->GetFreq(), c.lowPass);
        if (c.type) {
            EXPECT_EQ(g_SpeakerTypeState[c.type], kTypeHeld);
            EXPECT_TRUE(
                view->PositionButtons()->Button(c.type)->isVisibleTo(view->PositionButtons()));
            EXPECT_EQ(view->PositionButtons()->Button(c.type)->GetUserData(), c.output);
        }
    }
    // The table is what a fresh computation from the types gives.
    uint8_t now[kSpeakerTypeTableSize];
    std::copy(std::begin(g_SpeakerTypeState), std::end(g_SpeakerTypeState), now);
    SetTypes({g_OutputSpeakerType, g_OutputSpeakerType + 12});
    EXPECT_TRUE(std::equal(std::begin(now), std::end(now), std::begin(g_SpeakerTypeState)));
    // The released right subwoofer's button is gone.
    EXPECT_FALSE(view->PositionButtons()->Button(23)->isVisibleTo(view->PositionButtons()));
}

TEST_F(StripsViewTest, TypeBytesAbove24FromTheDeviceCountAsNoTypeButStayInTheMap) {
    Start();
    {
        DeviceLockGuard lock(g_DeviceLock);
        const uint8_t map6[8] = {40, 6, 40, 0, 255, 0, 0, 0};
        std::copy(std::begin(map6), std::end(map6), g_DeviceRecords.Bytes().outputMapA);
        std::fill(g_DeviceRecords.Bytes().outputMapB, g_DeviceRecords.Bytes().outputMapB + 4, 0);
    }
    view->ApplyMapFromDevice(0);
    // Two equal bytes above 24 are no duplicates: nothing is cleared or sent.
    EXPECT_EQ(g_DeviceRecords.Bytes().outputMapA[0], 40);
    EXPECT_EQ(g_DeviceRecords.Bytes().outputMapA[2], 40);
    EXPECT_EQ(g_DeviceRecords.Bytes().outputMapA[4], 255);
    EXPECT_EQ(g_OutputSpeakerType[0], 40);
    EXPECT_EQ(OutputSpeakerType(0), 0);
    EXPECT_EQ(g_SpeakerTypeState[0], kTypeHeld); // some output has no type
    EXPECT_EQ(GetOutputSide(0), -1);
    EXPECT_FALSE(FindSpeakerPairs());
    SetTypes({40});
    EXPECT_FALSE(AnyOutputTyped());
    // The strip shows no type; no position button stands for it.
    view->Strip(0)->UpdateCaption();
    EXPECT_EQ(StripOf(0)->SpeakerTypeText(), QStringLiteral("NULL"));
    view->PositionButtons()->ShowPositionButtons();
    for (int t = 1; t <= 24; ++t)
        EXPECT_FALSE(view->PositionButtons()->Button(t)->isVisibleTo(view->PositionButtons()));
    // The user's choice replaces the byte.
    view->SendMessage(WM_STRIP_SPEAKER_TYPE, 0, 2);
    EXPECT_EQ(g_DeviceRecords.Bytes().outputMapA[0], 2);
}

// ---------------------------------------------------------------------------
// Equalisers
// ---------------------------------------------------------------------------

TEST_F(StripsViewTest, APasteOntoATweeterKeepsItsCrossoverUsable) {
    Start();
    SetTypes({0, 0, 0, 0, 1, 3}); // output 4 a tweeter, output 5 a woofer
    // Output 0: a high-pass at 10 Hz switched off, a low-pass at 15 Hz, band 3 at +5 dB.
    const uint8_t crossover[8] = {10, 0, 1, 8, 15, 0, 1, 1};
    {
        DeviceLockGuard lock(g_DeviceLock);
        Out(0)->LoadCrossover(crossover);
        Out(0)->GetFilter(3)->SetGainCode(250);
    }
    struct Case {
        int to;
        int highPass, highSlope, lowPass;
    };
    const Case cases[] = {{4, 20, 1, 20000}, {5, 10, 8, 15}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.to);
        view->PasteOutputEq(0, c.to);
        EXPECT_EQ(Out(c.to)->GetHighPass()->GetFreq(), c.highPass);
        EXPECT_EQ(Out(c.to)->GetHighPass()->GetSlope(), c.highSlope);
        EXPECT_EQ(Out(c.to)->GetLowPass()->GetFreq(), c.lowPass);
        EXPECT_EQ(Out(c.to)->GetFilter(3)->GetGainCode(), 250);
    }
}

// ---------------------------------------------------------------------------
// Sources
// ---------------------------------------------------------------------------

TEST_F(StripsViewTest, TheMixSourceAvailabilityTable) {
    // Rows: input source 0..6; columns: mix source 0..6 (1: not available).
    const int table[7][7] = {
        {1, 0, 1, 0, 1, 1, 1}, {0, 1, 0, 1, 0, 0, 1}, {1, 0, 1, 0, 1, 1, 1}, {0, 1, 0, 1, 0, 0, 1},
        {1, 0, 1, 0, 1, 1, 1}, {1, 0, 1, 0, 1, 1, 1}, {0, 0, 0, 0, 0, 0, 0},
    };
    for (int s = 0; s < 7; ++s)
        for (int m = 0; m < 7; ++m)
            EXPECT_EQ(CLumaraView::MixSourceUnavailable(s, m), table[s][m]) << s << "," << m;
    // Codes above 6 count as 6.
    EXPECT_EQ(CLumaraView::MixSourceUnavailable(0, 255), 1);
    EXPECT_EQ(CLumaraView::MixSourceUnavailable(200, 0), 0);

    Start();
    struct Case {
        int input, mix;
        bool flag, shown, struck;
    };
    const Case cases[] = {
        {0, 0, true, true, true},    // optical with optical
        {0, 3, false, false, false}, // optical with AUX
        {1, 6, true, false, false},  // the flag, but "OFF" shows no warning
        {6, 0, false, false, false}, // no input source
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.input << "," << c.mix);
        {
            DeviceLockGuard lock(g_DeviceLock);
            g_DeviceRecords.Bytes().sources[kSourceActiveByte] = static_cast<uint8_t>(c.input);
            g_DeviceRecords.Bytes().sourceSetup[kSecondSourceByte] = static_cast<uint8_t>(c.mix);
        }
        view->UpdateMixSourceWarning();
        EXPECT_EQ(g_StateFlags[kFlagMixWarning].load(), c.flag ? 1 : 0);
        EXPECT_EQ(view->BitButton(CLumaraView::IDC_MIX_WARNING)->isVisibleTo(view), c.shown);
        const CDropListButton::Shown look = view->MixSourceList()->Current();
        EXPECT_EQ(look.font == CDropListButton::FontKind::StruckOut, c.struck);
        EXPECT_EQ(look.textColor == QColor(255, 0, 0), c.flag);
    }
}

// The warning shows whole and leaves every other control of the window,
// the preset name above all, uncovered.
TEST_F(StripsViewTest, TheMixSourceWarningCoversNoOtherControl) {
    Start();
    {
        DeviceLockGuard lock(g_DeviceLock);
        g_DeviceRecords.Bytes().sources[kSourceActiveByte] = 0;
        g_DeviceRecords.Bytes().sourceSetup[kSecondSourceByte] = 0;
    }
    view->UpdateMixSourceWarning();
    QWidget* badge = view->BitButton(CLumaraView::IDC_MIX_WARNING);
    ASSERT_TRUE(badge->isVisibleTo(view));
    EXPECT_TRUE(view->rect().contains(badge->geometry()));
    int others = 0;
    for (QWidget* w : view->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w == badge || !w->isVisibleTo(view)) continue;
        ++others;
        EXPECT_FALSE(badge->geometry().intersects(w->geometry())) << w->objectName().toStdString();
    }
    EXPECT_GT(others, 20);
}

// ---------------------------------------------------------------------------
// The left/right link
// ---------------------------------------------------------------------------

TEST_F(StripsViewTest, WithoutLeftRightPairsTheLinkSaysSoAndStaysOff) {
    Start();
    struct Case {
        int language;
        const char* text;
        const char* caption;
    };
    const Case cases[] = {{0, "No link L&R output !", "Prompting"},
                          {1, "没有左右通道可以联调!", "提示"}};
    for (const Case& c : cases) {
        SetTypes({19, 24}); // centre and mono subwoofer only
        g_LanguageFlag = c.language;
        boxes.clear();
        AnswerLinkQuestion(0);
        Press(CLumaraView::IDC_LR_LINK);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text.toStdString(), c.text);
        EXPECT_EQ(boxes[0].caption.toStdString(), c.caption);
        EXPECT_EQ(boxes[0].autoCloseMs, 0);
        EXPECT_EQ(questions, 0);
        EXPECT_EQ(g_LRLinkOn, 0);
        EXPECT_EQ(g_LinkActive, 0);
        EXPECT_EQ(view->BitButton(CLumaraView::IDC_LR_LINK)->GetCheck(), 0);
    }
}

TEST_F(StripsViewTest, TheLeftRightLinkCopiesEachPairInTheChosenDirection) {
    // Start-up types: 6 and 12 on outputs 0 and 1, 15 and 18 on 2 and 3,
    // 22 and 23 on 8 and 9.
    Start();
    struct Case {
        int direction;
        int source, target; // of the pair on outputs 0 and 1
    };
    const Case cases[] = {{0, 0, 1}, {1, 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.direction);
        {
            DeviceLockGuard lock(g_DeviceLock);
            Out(0)->GetFilter(0)->SetGainCode(150);
            Out(1)->GetFilter(0)->SetGainCode(260);
            Out(2)->GetFilter(5)->SetGainCode(230);
        }
        const int sourceGain = Out(c.source)->GetFilter(0)->GetGainCode();
        AnswerLinkQuestion(c.direction);
        Press(CLumaraView::IDC_LR_LINK);
        EXPECT_EQ(Out(c.target)->GetFilter(0)->GetGainCode(), sourceGain);
        EXPECT_EQ(Out(c.source)->GetFilter(0)->GetGainCode(), sourceGain);
        EXPECT_EQ(g_LinkKey[c.target], c.source);
        EXPECT_EQ(g_LinkKey[c.source], c.source);
        // The other pairs too.
        EXPECT_EQ(g_LinkKey[c.direction ? 2 : 3], c.direction ? 3 : 2);
        EXPECT_EQ(g_LinkKey[c.direction ? 8 : 9], c.direction ? 9 : 8);
        EXPECT_EQ(g_LRLinkOn, 1);
        EXPECT_EQ(g_LinkActive, 1);
        EXPECT_EQ(g_ParamImage[kOutputBlockOffset + kOutLockMarkByte], 1);
        EXPECT_EQ(view->BitButton(CLumaraView::IDC_LR_LINK)->GetCheck(), 1);
        for (int i = 0; i < 12; ++i)
            EXPECT_FALSE(view->Strip(i)->IsSpeakerTypeEnabled()) << i;
        // The current output 0 and its partner are selected.
        EXPECT_TRUE(view->Strip(1)->IsSelected());

        // Off again: every key its own, the type buttons back, the byte 0.
        Press(CLumaraView::IDC_LR_LINK);
        for (int i = 0; i < 12; ++i) {
            EXPECT_EQ(g_LinkKey[i], i);
            EXPECT_TRUE(view->Strip(i)->IsSpeakerTypeEnabled()) << i;
            EXPECT_EQ(view->Strip(i)->IsSelected(), i == g_CurrentOutput) << i;
        }
        EXPECT_EQ(g_LRLinkOn, 0);
        EXPECT_EQ(g_LinkActive, 0);
        EXPECT_EQ(g_ParamImage[kOutputBlockOffset + kOutLockMarkByte], 0);
        EXPECT_EQ(view->BitButton(CLumaraView::IDC_LR_LINK)->GetCheck(), 0);
    }
    EXPECT_EQ(questions, 2);
}

TEST_F(StripsViewTest, CancellingTheLinkQuestionChangesNothing) {
    Start();
    const int gain1 = Out(1)->GetFilter(0)->GetGainCode();
    AnswerLinkQuestion(-1);
    Press(CLumaraView::IDC_LR_LINK);
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(g_LRLinkOn, 0);
    EXPECT_EQ(g_LinkActive, 0);
    EXPECT_EQ(g_ParamImage[kOutputBlockOffset + kOutLockMarkByte], 0);
    EXPECT_EQ(Out(1)->GetFilter(0)->GetGainCode(), gain1);
    for (int i = 0; i < 12; ++i)
        EXPECT_TRUE(view->Strip(i)->IsSpeakerTypeEnabled());
}

// ---------------------------------------------------------------------------
// The system records and the device lock
// ---------------------------------------------------------------------------

TEST_F(StripsViewTest, WritesOfTheSystemRecordsWaitForTheDeviceLock) {
    Start();
    struct Case {
        const char* what;
        uint8_t* byte;
        std::function<void()> act;
    };
    const Case cases[] = {
        {"a load's master word out of range", &g_DeviceRecords.Bytes().master[0],
         [this] { view->RefreshAllPages(); }},
        {"the master strip's volume", &g_DeviceRecords.Bytes().master[0],
         [this] {
             view->LevelBar()->SetValue(30);
             view->OnMasterVolume();
         }},
        {"the master mute", &g_DeviceRecords.Bytes().master[kMasterOnByte],
         [this] { dynamic_cast<CMasterStrip*>(view->LevelBar())->OnOnOffButton(); }},
        {"the input source", &g_DeviceRecords.Bytes().sources[kSourceActiveByte],
         [this] { view->OnDropListChoice(2820, 0); }},
        {"the mix source", &g_DeviceRecords.Bytes().sourceSetup[kSecondSourceByte],
         [this] { view->OnDropListChoice(1310, 3); }},
        {"the bridge switch", &g_DeviceRecords.Bytes().sourceSetup[kBridgeModeByte],
         [this] { view->OnBridgeModeButton(); }},
        {"a speaker type", &g_DeviceRecords.Bytes().outputMapA[4],
         [this] { view->OnSpeakerTypeChosen(4, 19); }},
        {"a mode page", &g_DeviceRecords.Bytes().pageTable[kModeCurrentPageByte],
         [this] { view->OnModePageButton(2); }},
    };
    PutU16(g_DeviceRecords.Bytes().master, 200); // as a load may leave it
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const uint8_t before = *c.byte;
        std::atomic<bool> locked{false};
        uint8_t seenWhileLocked = 0;
        // The link worker's part: it holds the lock a while and reads the byte
        // just before it lets go.
        std::thread worker([&] {
            DeviceLockGuard lock(g_DeviceLock);
            locked = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            seenWhileLocked = *c.byte;
        });
        while (!locked)
            std::this_thread::yield();
        c.act();
        worker.join();
        EXPECT_EQ(seenWhileLocked, before);
        EXPECT_NE(*c.byte, before);
    }
}

TEST_F(StripsViewTest, ASettingChangeOfTheWorkAreaPutsTheTitleBack) {
    Start();
    struct Case {
        WPARAM setting;
        bool restored;
    };
    const Case cases[] = {{kWorkAreaSetting, true}, {0, true}, {5, false}};
    for (const Case& c : cases) {
        view->window()->setWindowTitle(QStringLiteral("other"));
        view->SendMessage(WM_SETTINGCHANGE, c.setting, 0);
        EXPECT_EQ(view->window()->windowTitle() == QString::fromUtf8(g_ProductTitle), c.restored)
            << c.setting;
    }
}

// ---------------------------------------------------------------------------
// The top bar
// ---------------------------------------------------------------------------

TEST_F(StripsViewTest, ThePresetNameAndTheStatusShowWholeInsideTheTopBar) {
    Start();
    const QRect levelBar = view->LevelBar()->geometry();
    QWidget* name = view->BitButton(CLumaraView::IDC_PRESET_NAME);
    CLinkStateText* status = view->LinkStatus();
    const QFont nameFont = platform::ArialFont(20, 400);
    const QFontMetrics nameMetrics(nameFont);
    const QFontMetrics statusMetrics(status->font());
    for (QWidget* w : {name, static_cast<QWidget*>(status)}) {
        SCOPED_TRACE(w->objectName().toStdString());
        // In the top row, clear of the level bar, the strips and the other buttons.
        EXPECT_LE(w->geometry().bottom(), levelBar.top() - 1);
        EXPECT_GE(w->geometry().top(), 0);
        EXPECT_FALSE(w->geometry().intersects(levelBar));
        for (QWidget* other : view->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (other == w || !other->isVisibleTo(view) || other == view->PageArea()) continue;
            EXPECT_FALSE(w->geometry().intersects(other->geometry()))
                << other->objectName().toStdString();
        }
    }
    // The names the program shows and one of the longest a user gives fit
    // after the indent; the font fits the height.
    for (const char* text :
         {"Preset 1", "Preset 6", "Custom", "自定义", "Living Room 12", "前门左右声道设置"}) {
        EXPECT_LE(nameMetrics.horizontalAdvance(QString::fromUtf8(text)) + 8, name->width())
            << text;
    }
    EXPECT_LE(nameMetrics.height(), name->height());
    for (const char* text :
         {"Connected device", "Not connected devices", "已连接设备", "未连接设备"}) {
        EXPECT_LE(statusMetrics.horizontalAdvance(QString::fromUtf8(text)), status->width() - 20)
            << text;
    }
    EXPECT_LE(statusMetrics.height(), status->height());
}

} // namespace
