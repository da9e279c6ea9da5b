// The input page's frame with the real model: sources, modes, the input
// lock, the view's queue flushed after a choice, the second source and the
// 1-way / 2-way option, the source strip, and the messages from elsewhere
// with indexes out of range.
#include "tests/pages/InputPageTestSupport.h"

#include "controls/PngButton.h"

namespace {

using namespace inputtest;

// ---------------------------------------------------------------------------
// Sources and modes
// ---------------------------------------------------------------------------

TEST_F(InputPageTest, SourceClicksOnThePageAndOnTheStrip) {
    // The active source again: nothing is sent.
    Command(CInputPage::IDC_SOURCE0 + 1);
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(Button(CInputPage::IDC_SOURCE0 + 1)->GetCheck(), 1);

    // Another one: the source record goes, the buttons and the block follow.
    Command(CInputPage::IDC_SOURCE0 + 3);
    EXPECT_EQ(Commands(), std::vector<int>{kRecordSources});
    EXPECT_EQ(g_ActiveSource, 3);
    EXPECT_EQ(g_DeviceRecords.Bytes().sources[kSourceActiveByte], 3);
    EXPECT_EQ(Button(CInputPage::IDC_SOURCE0 + 1)->GetCheck(), 0);
    EXPECT_EQ(Button(CInputPage::IDC_SOURCE0 + 3)->GetCheck(), 1);
    EXPECT_EQ(page->Input(), &Music(3));
    EXPECT_EQ(page->ButtonLooks(CInputPage::IDC_ACTIVE_SOURCE).ids[6], 452u + 3u);
    EXPECT_EQ(host.Count("flush"), 1);

    // The strip asks for the active source again: it is sent again.
    host.calls.clear();
    page->Strip()->Button(CInputConnectorStrip::IDC_AUX1)->click();
    QApplication::processEvents();
    EXPECT_EQ(Commands(), std::vector<int>{kRecordSources});
    EXPECT_EQ(page->Strip()->Button(CInputConnectorStrip::IDC_AUX1)->GetCheck(), 1);
}

TEST_F(InputPageTest, AModeRemapsTheActiveSourceAndHidesWhatItLacks) {
    struct Case {
        int source, mode, expected;
        bool aux2Shown, aux3Shown;
    };
    const Case cases[] = {
        {5, 1, 3, true, false},  {4, 1, 4, true, false},  {6, 1, 3, true, false},
        {4, 2, 3, false, false}, {5, 2, 3, false, false}, {6, 2, 3, false, false},
        {1, 2, 1, false, false}, {6, 0, 6, true, true},   {5, 0, 5, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "source " << c.source << " mode " << c.mode);
        // From the other side: mode 0 for modes 1 and 2, mode 2 for mode 0.
        g_InputMode = c.mode == 0 ? 2 : 0;
        source::SetActive(c.source);
        page->ApplyModeAndSource(0);
        host.calls.clear();
        page->OnModeButton(c.mode);
        EXPECT_EQ(g_InputMode, c.mode);
        EXPECT_EQ(g_ActiveSource, c.expected);
        EXPECT_EQ(g_DeviceRecords.Bytes().sources[kSourceActiveByte], c.expected);
        // Only the source travels, never the mode.
        EXPECT_EQ(Commands(), std::vector<int>{kRecordSources});
        EXPECT_EQ(page->Control(CInputPage::IDC_SOURCE0 + 4)->isVisibleTo(page.get()), c.aux2Shown);
        EXPECT_EQ(page->Control(CInputPage::IDC_SOURCE0 + 5)->isVisibleTo(page.get()), c.aux3Shown);
        for (int m = 0; m < 3; ++m)
            EXPECT_EQ(Button(CInputPage::IDC_MODE0 + m)->GetCheck(), m == c.mode ? 1 : 0);
    }
    // The mode already in force: nothing.
    host.calls.clear();
    page->OnModeButton(0);
    EXPECT_TRUE(Commands().empty());
}

TEST_F(InputPageTest, ALockedInputIsFreedByTheFirstChoiceMasterBeforeSource) {
    g_DeviceRecords.Bytes().master[kMasterInputLockByte] = 1;
    Button(CInputPage::IDC_SECOND_SOURCE)->SetCheck(1);
    page->ApplyLockState();
    EXPECT_FALSE(page->EqEditable());
    EXPECT_FALSE(page->Field(CInputPage::kBandGain + 2)->isEnabled());
    EXPECT_FALSE(page->Control(CInputPage::IDC_BYPASS_EQ)->isEnabled());
    EXPECT_EQ(page->ButtonLooks(CInputPage::IDC_SOURCE0 + 1).ids[3], 8211u);

    page->OnSourceButton(3);
    EXPECT_EQ(Commands(), (std::vector<int>{kRecordMaster, kRecordSources}));
    EXPECT_EQ(g_DeviceRecords.Bytes().master[kMasterInputLockByte], 0);
    EXPECT_EQ(Button(CInputPage::IDC_SECOND_SOURCE)->GetCheck(), 0);
    EXPECT_TRUE(page->EqEditable());
    EXPECT_TRUE(page->Field(CInputPage::kBandGain + 2)->isEnabled());
    EXPECT_EQ(page->ButtonLooks(CInputPage::IDC_SOURCE0 + 1).ids[3], 8121u);

    // A mode choice on a locked input: master first as well, even with the
    // source unchanged.
    g_DeviceRecords.Bytes().master[kMasterInputLockByte] = 1;
    page->ApplyLockState();
    host.calls.clear();
    page->OnModeButton(1);
    EXPECT_EQ(Commands(), (std::vector<int>{kRecordMaster, kRecordSources}));
}

TEST_F(InputPageTest, AStatusReportWaitingBeforeASourceClickIsNotDelivered) {
    platform::PostMessage(&host.queue, WM_DEVICE_STATUS, 0, 0);
    platform::PostMessage(&host.queue, WM_USER + 5, 0, 0);
    page->OnSourceButton(3);
    // The other message was handled during the click, the report dropped.
    EXPECT_EQ(host.queue.handled, std::vector<unsigned>{WM_USER + 5});
    QApplication::processEvents();
    EXPECT_EQ(host.queue.handled, std::vector<unsigned>{WM_USER + 5});
    // A report posted after the choice arrives as usual.
    platform::PostMessage(&host.queue, WM_DEVICE_STATUS, 0, 0);
    QApplication::processEvents();
    EXPECT_EQ(host.queue.handled, (std::vector<unsigned>{WM_USER + 5, WM_DEVICE_STATUS}));
}

// ---------------------------------------------------------------------------
// Second source and 1-way / 2-way
// ---------------------------------------------------------------------------

TEST_F(InputPageTest, TheSecondSourceMenuGreysByTheActiveSourceAndTheChoiceIsSent) {
    // Hi.Level in mode 0: Hi.Level, AUX2 and AUX3 greyed.
    page->choice = -1;
    Command(CInputPage::IDC_SECOND_SOURCE);
    EXPECT_EQ(page->offered, (std::vector<bool>{true, false, true, true, false, false, true}));
    EXPECT_TRUE(Commands().empty());
    // A greyed item that still gets in is refused.
    page->choice = 4;
    Command(CInputPage::IDC_SECOND_SOURCE);
    EXPECT_EQ(g_SourceTable->current, 6);
    EXPECT_TRUE(Commands().empty());

    // AUX1 as active source, then AUX2 as second source: byte 4 and command 8.
    page->OnSourceButton(3);
    host.calls.clear();
    page->choice = 4;
    Command(CInputPage::IDC_SECOND_SOURCE);
    EXPECT_EQ(g_SourceTable->current, 4);
    EXPECT_EQ(g_DeviceRecords.Bytes().sourceSetup[kSecondSourceByte],
              3); // the AUX inputs are one code to the device
    EXPECT_EQ(Commands(), std::vector<int>{kRecordSourceSetup});
    EXPECT_EQ(g_StateFlags[kFlagStatusGuard].load(), 1);
    EXPECT_EQ(page->ButtonLooks(CInputPage::IDC_SECOND_SOURCE).ids[0], 3124u);
    // The same again: nothing.
    host.calls.clear();
    Command(CInputPage::IDC_SECOND_SOURCE);
    EXPECT_TRUE(Commands().empty());

    // Hi.Level does not go with AUX2: the second source falls back to off,
    // on the device too, and the button shows it.
    page->OnSourceButton(1);
    EXPECT_EQ(g_SourceTable->current, 6);
    EXPECT_EQ(g_DeviceRecords.Bytes().sourceSetup[kSecondSourceByte], 6);
    EXPECT_EQ(Commands(), (std::vector<int>{kRecordSourceSetup, kRecordSources}));
    const CInputPage::Looks looks = page->ButtonLooks(CInputPage::IDC_SECOND_SOURCE);
    EXPECT_EQ((std::vector<unsigned>(looks.ids, looks.ids + 3)),
              (std::vector<unsigned>{3126, 3136, 3136}));
    // In Chinese the same fallback shows 3106.
    g_LanguageFlag = 1;
    page->ApplyLanguage();
    EXPECT_EQ(page->ButtonLooks(CInputPage::IDC_SECOND_SOURCE).ids[0], 3106u);
}

TEST_F(InputPageTest, OneWayAndTwoWaySendTheSetupRecordOnlyOnAChange) {
    Command(CInputPage::IDC_ONE_WAY);
    EXPECT_TRUE(Commands().empty());
    Command(CInputPage::IDC_TWO_WAY);
    EXPECT_EQ(Commands(), std::vector<int>{kRecordSourceSetup});
    EXPECT_EQ(g_DeviceRecords.Bytes().sourceSetup[kBridgeModeByte], 1);
    EXPECT_EQ(Button(CInputPage::IDC_TWO_WAY)->GetCheck(), 1);
    EXPECT_EQ(Button(CInputPage::IDC_ONE_WAY)->GetCheck(), 0);
    Command(CInputPage::IDC_TWO_WAY);
    EXPECT_EQ(Commands().size(), 1u);
    Command(CInputPage::IDC_ONE_WAY);
    EXPECT_EQ(Commands(), (std::vector<int>{kRecordSourceSetup, kRecordSourceSetup}));
    EXPECT_EQ(g_DeviceRecords.Bytes().sourceSetup[kBridgeModeByte], 0);
    EXPECT_EQ(host.Count("source setup shown"), 2);
}

// ---------------------------------------------------------------------------
// The strip
// ---------------------------------------------------------------------------

TEST_F(InputPageTest, TheStripShowsTheModesButtonsAndChecksTheActiveSource) {
    CInputConnectorStrip* strip = page->Strip();
    const int modeIds[] = {
        CInputConnectorStrip::IDC_AUX1,       CInputConnectorStrip::IDC_AUX2,
        CInputConnectorStrip::IDC_AUX3,       CInputConnectorStrip::IDC_AUX1_4CH,
        CInputConnectorStrip::IDC_AUX2_MODE1, CInputConnectorStrip::IDC_AUX3_MODE1,
        CInputConnectorStrip::IDC_AUX1_6CH,   CInputConnectorStrip::IDC_AUX2_MODE2};
    const std::vector<int> shown[3] = {
        {CInputConnectorStrip::IDC_AUX1, CInputConnectorStrip::IDC_AUX2,
         CInputConnectorStrip::IDC_AUX3},
        {CInputConnectorStrip::IDC_AUX1_4CH, CInputConnectorStrip::IDC_AUX2_MODE1},
        {CInputConnectorStrip::IDC_AUX1_6CH}};
    for (int mode = 0; mode < 3; ++mode) {
        for (int s = 0; s <= 6; ++s) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " source " << s);
            g_InputMode = mode;
            source::SetActive(s);
            page->ApplyModeAndSource(0);
            for (int id : modeIds) {
                const bool want = std::count(shown[mode].begin(), shown[mode].end(), id) > 0;
                EXPECT_EQ(strip->Button(id)->isVisibleTo(strip), want) << id;
            }
            // The page hides S/PDIF and Phone.
            EXPECT_FALSE(strip->Button(CInputConnectorStrip::IDC_SPDIF)->isVisibleTo(strip));
            EXPECT_FALSE(strip->Button(CInputConnectorStrip::IDC_PHONE)->isVisibleTo(strip));
            const int checked = CInputConnectorStrip::ButtonOf(s, mode);
            for (int id : {CInputConnectorStrip::IDC_SPDIF, CInputConnectorStrip::IDC_HILEVEL,
                           CInputConnectorStrip::IDC_PHONE, CInputConnectorStrip::IDC_AUX1,
                           CInputConnectorStrip::IDC_AUX2, CInputConnectorStrip::IDC_AUX3,
                           CInputConnectorStrip::IDC_AUX1_4CH, CInputConnectorStrip::IDC_AUX2_MODE1,
                           CInputConnectorStrip::IDC_AUX1_6CH})
                EXPECT_EQ(strip->Button(id)->GetCheck(), id == checked ? 1 : 0) << id;
        }
    }
    EXPECT_EQ(CInputConnectorStrip::ButtonOf(6, 0), 0);
    EXPECT_EQ(CInputConnectorStrip::ButtonOf(5, 2), 0);
    EXPECT_EQ(CInputConnectorStrip::ButtonOf(9, 0), 0);
    EXPECT_EQ(CInputConnectorStrip::ButtonOf(3, 7), 0);
}

TEST_F(InputPageTest, AStripClickPostsTheSourceAndChecksOnlyOnAChange) {
    struct Recorder : platform::MessageTarget<QObject> {
        std::vector<LPARAM> sources;
        LRESULT WindowProc(unsigned msg, WPARAM, LPARAM l) override {
            if (msg == CInputConnectorStrip::kSourceMessage) sources.push_back(l);
            return 0;
        }
    } recorder;
    CInputConnectorStrip strip;
    strip.SetOwner(&recorder);
    g_InputMode = 1;
    g_ActiveSource = 3;
    strip.ShowModeButtons();
    strip.CheckActiveSourceButton();
    strip.Button(CInputConnectorStrip::IDC_AUX1_4CH)->click(); // the active one
    strip.Button(CInputConnectorStrip::IDC_AUX2_MODE1)->click();
    QApplication::processEvents();
    EXPECT_EQ(recorder.sources, (std::vector<LPARAM>{3, 4}));
    // The strip checks the new button; the globals are the page's.
    EXPECT_EQ(strip.Button(CInputConnectorStrip::IDC_AUX2_MODE1)->GetCheck(), 1);
    EXPECT_EQ(strip.Button(CInputConnectorStrip::IDC_AUX1_4CH)->GetCheck(), 0);
    EXPECT_EQ(g_ActiveSource, 3);
    // With off active nothing is checked.
    g_ActiveSource = 6;
    strip.CheckActiveSourceButton();
    for (int id : {CInputConnectorStrip::IDC_AUX1_4CH, CInputConnectorStrip::IDC_AUX2_MODE1,
                   CInputConnectorStrip::IDC_HILEVEL})
        EXPECT_EQ(strip.Button(id)->GetCheck(), 0);
}

// ---------------------------------------------------------------------------
// Messages from elsewhere
// ---------------------------------------------------------------------------

TEST_F(InputPageTest, SourcesFromOtherWindowsAreTakenAndOutOfRangeOnesIgnored) {
    platform::SendMessage(page.get(), WM_SOURCE_REPORTED, 0, 3);
    EXPECT_EQ(g_ActiveSource, 3);
    EXPECT_EQ(Button(CInputPage::IDC_SOURCE0 + 3)->GetCheck(), 1);
    EXPECT_EQ(Button(CInputPage::IDC_SOURCE0 + 1)->GetCheck(), 0);
    EXPECT_TRUE(Commands().empty());

    struct Message {
        unsigned msg;
        WPARAM w;
        LPARAM l;
    };
    const Message bad[] = {
        {WM_SOURCE_REPORTED, 0, 7},
        {WM_SOURCE_REPORTED, 0, -1},
        {WM_SOURCE_REPORTED, 0, LPARAM(1) << 40},
        {WM_SOURCE_CHANGED, 1, 99},
        {CInputConnectorStrip::kSourceMessage, 0, 6},
        {CInputConnectorStrip::kSourceMessage, 0, -3},
        {CInputConnectorStrip::kSourceMessage, 0, 1000},
        {WM_GRAPH_BAND_CHANGED, 5000, 3},
        {WM_GRAPH_BAND_CHANGED, WPARAM(-1), 3},
        {CInputPage::kBandSelectedMessage, 31, 3},
        {WM_SLIDER_MOVED, 9999, 0},
        {CInputPage::kFocusStepMessage, 123456, 39},
        {CInputPage::kEnterStepMessage, 42, 0},
        {WM_COMMAND, CommandWParam(3966, 0), 0},
        {WM_COMMAND, CommandWParam(CInputPage::ID_SECOND_SOURCE0 + 9, 0), 0},
    };
    for (const Message& m : bad) {
        SCOPED_TRACE(m.msg);
        platform::SendMessage(page.get(), m.msg, m.w, m.l);
        EXPECT_EQ(g_ActiveSource, 3);
        EXPECT_EQ(g_SourceTable->current, 6);
    }
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(Band(3, 5).IsChanged(), 0);

    // From the level and delay page: the lock was cleared there, the page
    // shows it; the source it left is unchecked.
    g_DeviceRecords.Bytes().master[kMasterInputLockByte] = 1;
    page->ApplyLockState();
    g_DeviceRecords.Bytes().master[kMasterInputLockByte] = 0;
    source::SetActive(1);
    platform::SendMessage(page.get(), WM_SOURCE_CHANGED, 1, 3);
    EXPECT_TRUE(page->EqEditable());
    EXPECT_EQ(Button(CInputPage::IDC_SOURCE0 + 3)->GetCheck(), 0);
    EXPECT_EQ(Button(CInputPage::IDC_SOURCE0 + 1)->GetCheck(), 1);
    EXPECT_EQ(page->Input(), &Music(1));
    EXPECT_TRUE(Commands().empty());
}

TEST_F(InputPageTest, ASourceAndModeFromTheDeviceOutOfRangeReachNothing) {
    Connect();
    Boxes boxes(CMessageBox::Action::Ok);
    for (int s : {7, 113, 255, -1}) {
        SCOPED_TRACE(s);
        g_ActiveSource = s;
        g_InputMode = s; // no mode either
        g_SourceTable->current = s;
        page->ApplyModeAndSource(0);
        EXPECT_EQ(page->Input(), nullptr);
        EXPECT_FALSE(page->EqEditable());
        // The indicator and the second source show off.
        EXPECT_EQ(page->ButtonLooks(CInputPage::IDC_ACTIVE_SOURCE).ids[6], 452u + 6u);
        EXPECT_EQ(page->ButtonLooks(CInputPage::IDC_SECOND_SOURCE).ids[0], 3126u);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(Button(CInputPage::IDC_SOURCE0 + i)->GetCheck(), 0) << i;
        Command(CInputPage::kBandGain + 2);
        Command(CInputPage::IDC_BYPASS_EQ);
        Command(CInputPage::IDC_SECOND_SOURCE);
        platform::SendMessage(page.get(), WM_SOURCE_CHANGED, 0, 3);
    }
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(link.session->Command().GetCount(), 0);
    // A choice on the page puts things right again.
    g_InputMode = 0;
    page->OnSourceButton(3);
    EXPECT_EQ(g_ActiveSource, 3);
    EXPECT_EQ(page->Input(), &Music(3));
}

TEST_F(InputPageTest, TheGlobalPointerFollowsThePageAndTheLevelPageHearsFirst) {
    EXPECT_EQ(g_pInputPage, page.get());
    struct LevelPage : CSourcePage {
        using CSourcePage::CSourcePage;
        std::vector<std::pair<WPARAM, LPARAM>> heard;
        void UpdateSourceButton(int, int) override {}
        LRESULT WindowProc(unsigned msg, WPARAM w, LPARAM l) override {
            if (msg == WM_SOURCE_CHANGED) heard.emplace_back(w, l);
            return 0;
        }
    } level(nullptr);
    g_pLevelDelayPage = &level;
    g_DeviceRecords.Bytes().master[kMasterInputLockByte] = 1;
    page->OnSourceButton(3);
    g_pLevelDelayPage = nullptr;
    QApplication::processEvents();
    // With the values from before the change.
    EXPECT_EQ(level.heard, (std::vector<std::pair<WPARAM, LPARAM>>{{1, 1}}));
    page.reset();
    EXPECT_EQ(g_pInputPage, nullptr);
}

} // namespace
