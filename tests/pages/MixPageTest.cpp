// The mix page with a stand-in for the view: what each way of changing a row
// does to every control of the row, the output's object, the image and the
// view; the send step carrying its own output and source; the speaker-type
// presets; the rows by active source and device variant; the refresh of
// damaged levels; the picture, the keys and the tiles.
#include "tests/pages/MixPageTestSupport.h"

#include <QKeyEvent>
#include <QTest>

#include <set>
#include <string>

namespace {

constexpr int kSources = kMixRowCount;

// Sources of a text like "1-10,15,16".
std::set<int> SourceSet(const std::string& text) {
    std::set<int> out;
    size_t i = 0;
    while (i < text.size()) {
        size_t end = text.find(',', i);
        if (end == std::string::npos) end = text.size();
        const std::string part = text.substr(i, end - i);
        const size_t dash = part.find('-');
        const int first = std::stoi(part.substr(0, dash));
        const int last = dash == std::string::npos ? first : std::stoi(part.substr(dash + 1));
        for (int s = first; s <= last; ++s)
            out.insert(s);
        i = end + 1;
    }
    return out;
}

class MixRowTest : public MixPageTest {
protected:
    void SetLevel(int source, int level) {
        WithDeviceLock([&] { Out(0)->SetMixLevel(source, static_cast<uint8_t>(level)); });
    }
    // The edit's text replaced by typing, then the focus leaves it.
    void Type(int source, const char* text) {
        CNumEdit* edit = Row(source).edit;
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromLatin1(text));
        QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
        QApplication::sendEvent(edit, &out);
    }
    void Key(QWidget* w, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
    }
};

// Every way of changing a row shows the level on every control of the row,
// stores it in the output's object and ends in the send step.
TEST_F(MixRowTest, EachWayOfChangingARowEndsInTheSendStep) {
    enum Action { Typed, SpunUp, StepDown, StepUp, SwitchOnce, SwitchTwice };
    struct Case {
        const char* name;
        int source;
        int start;
        Action action;
        const char* typed;
        int level;  // afterwards, everywhere on the row and in the object
        int memory; // the level the on/off switch comes back to
    };
    const Case cases[] = {
        {"typed 150 gives 100", 3, 40, Typed, "150", 100, 100},
        {"typed -5 gives 0", 4, 40, Typed, "-5", 0, 0},
        {"spun up", 6, 41, SpunUp, nullptr, 42, 42},
        {"step down at 0 stays 0", 13, 0, StepDown, nullptr, 0, 0},
        {"step up at 100 stays 100", 14, 100, StepUp, nullptr, 100, 100},
        {"step up", 16, 99, StepUp, nullptr, 100, 100},
        {"off at 37", 5, 37, SwitchOnce, nullptr, 0, 37},
        {"off at 37 then on gives 37", 5, 37, SwitchTwice, nullptr, 37, 37},
        {"on with memory 0 gives 100", 9, 0, SwitchOnce, nullptr, 100, 100},
        {"off and on again on row 18", 18, 12, SwitchTwice, nullptr, 12, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetLevel(c.source, c.start);
        ASSERT_EQ(page->Refresh(), 1);
        Drain();
        host.switches.clear();
        const CMixPage::Row& r = Row(c.source);
        switch (c.action) {
        case Typed:
            Type(c.source, c.typed);
            break;
        case SpunUp:
            Key(r.edit, Qt::Key_Up);
            break;
        case StepDown:
            r.stepDown->click();
            break;
        case StepUp:
            r.stepUp->click();
            break;
        case SwitchOnce:
            r.onOff->click();
            break;
        case SwitchTwice:
            r.onOff->click();
            r.onOff->click();
            break;
        }
        Drain();
        const Shown s = ShownRow(c.source);
        EXPECT_EQ(s.edit, c.level);
        EXPECT_EQ(s.fader, c.level);
        EXPECT_EQ(s.grey, c.level);
        EXPECT_EQ(s.value, QString::number(c.level));
        EXPECT_EQ(s.onOff, c.level != 0);
        EXPECT_EQ(s.indicator, c.level ? 1311u : 1310u);
        EXPECT_EQ(Out(0)->GetMixLevel(c.source), c.level);
        EXPECT_EQ(ImageLevel(0, c.source), c.level);
        EXPECT_EQ(page->LevelMemory(c.source), c.memory);
        // Every step of the action reached the send step, the last with the level.
        ASSERT_FALSE(host.switches.empty());
        EXPECT_EQ(host.switches.back(), std::make_tuple(0, c.source, c.level));
        EXPECT_EQ(host.switches.size(), c.action == SwitchTwice ? 2u : 1u);
    }
}

TEST_F(MixRowTest, ATypedZeroSwitchesTheSourceOffAndOnAgainAtFull) {
    Type(2, "0");
    Drain();
    EXPECT_EQ(Row(2).onOff->GetCheck(), 0);
    EXPECT_EQ(Row(2).indicator->Current().bitmap, 1310u);
    Row(2).onOff->click();
    Drain();
    EXPECT_EQ(Out(0)->GetMixLevel(2), 100);
    EXPECT_EQ(ShownRow(2).edit, 100);
}

// The focus ring runs over the 18 edits in source order and round again;
// the keys of an edit move along it.
TEST_F(MixRowTest, TheFocusRingWrapsBothWays) {
    EXPECT_EQ(page->FocusNextEdit(2981), 2818);     // source 18 -> 1
    EXPECT_EQ(page->FocusPreviousEdit(2818), 2981); // source 1 -> 18
    EXPECT_EQ(page->FocusNextEdit(2836), 2860);     // source 10 -> 11
    EXPECT_EQ(page->FocusPreviousEdit(2979), 2880); // source 17 -> 16
    EXPECT_EQ(page->FocusNextEdit(2837), 0);        // a fader is no edit

    page->show();
    QApplication::setActiveWindow(page.get());
    Row(3).edit->setFocus();
    ASSERT_TRUE(PumpUntil([&] { return Row(3).edit->hasFocus(); }));
    Key(Row(3).edit, Qt::Key_Return);
    EXPECT_TRUE(PumpUntil([&] { return Row(4).edit->hasFocus(); }));
    Key(Row(4).edit, Qt::Key_Left);
    EXPECT_TRUE(PumpUntil([&] { return Row(3).edit->hasFocus(); }));
    Key(Row(3).edit, Qt::Key_Tab);
    EXPECT_TRUE(PumpUntil([&] { return Row(4).edit->hasFocus(); }));
    // Other key codes of the focus message move nothing; Esc leaves the edits.
    page->SendMessage(CMixPage::kKeyFocusMessage, 2824, 38);
    EXPECT_TRUE(Row(4).edit->hasFocus());
    Key(Row(4).edit, Qt::Key_Escape);
    EXPECT_TRUE(PumpUntil([&] { return page->hasFocus(); }));
}

// Each send step carries its own output, source and level: two changes
// queued before either is handled each write their own byte.
TEST_F(MixRowTest, TheSendStepCarriesItsOwnOutputAndSource) {
    Row(5).fader->SetValue(30);
    page->PostMessage(WM_SLIDER_MOVED, 2845, 0);
    Row(12).fader->SetValue(70);
    page->PostMessage(WM_SLIDER_MOVED, 2862, 0);
    page->PostMessage(CMixPage::kLevelMessage, PackMixChange(7, 3), 44);
    Drain();
    EXPECT_EQ(ImageLevel(0, 5), 30);
    EXPECT_EQ(ImageLevel(0, 12), 70);
    EXPECT_EQ(ImageLevel(7, 3), 44);
    const std::vector<std::tuple<int, int, int>> told = {{7, 3, 44}, {0, 5, 30}, {0, 12, 70}};
    EXPECT_EQ(host.switches, told);
}

// Numbers that arrive in messages are checked before they are used.
TEST_F(MixRowTest, IndexesInMessagesAreRangeChecked) {
    const std::vector<uint8_t> before(g_ParamImage, g_ParamImage + kParamBlockSize);
    page->PostMessage(CMixPage::kLevelMessage, PackMixChange(12, 3), 44); // no output 12
    page->PostMessage(CMixPage::kLevelMessage, PackMixChange(2, 0), 44);  // no source 0
    page->PostMessage(CMixPage::kLevelMessage, PackMixChange(2, 19), 44); // no source 19
    page->PostMessage(WM_SLIDER_MOVED, 2930, 0);                          // a grey fader
    page->PostMessage(WM_SLIDER_MOVING, 0, 0);
    page->PostMessage(CMixPage::kOutputMessage, 12, 0);
    page->PostMessage(CMixPage::kRepaintMessage, 19, 0);
    page->PostMessage(WM_COMMAND, 2962, 0); // an indicator
    page->PostMessage(WM_COMMAND, 2819, 0); // a spare button
    Drain();
    EXPECT_EQ(std::vector<uint8_t>(g_ParamImage, g_ParamImage + kParamBlockSize), before);
    EXPECT_TRUE(host.requested.empty());
    // The sources outside 1..18 still reach the view, which ignores them.
    EXPECT_EQ(host.switches.size(), 2u);
    page->PostMessage(CMixPage::kOutputMessage, 4, 9);
    Drain();
    EXPECT_EQ(host.requested, std::vector<int>{4});
}

// ---------------------------------------------------------------------------
// Speaker-type presets
// ---------------------------------------------------------------------------

TEST_F(MixPageTest, ASpeakerTypeSetsTheMixOfSources1To16) {
    struct Case {
        unsigned type;
        const char* full; // sources at 100
        const char* half; // sources at 50
    };
    const Case cases[] = {
        {0, "", ""},           {7, "2,12,14,16", ""}, {20, "", "1,2,11-16"},
        {24, "1,2,11-16", ""}, {30, "", ""},
    };
    g_DeviceSynced = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        WithDeviceLock([&] { Out(0)->SetAllDirty(0); });
        // Sources 17 and 18 hold what the factory gives them (164 and 1).
        page->ApplySpeakerTypePreset(0, c.type);
        Drain();
        const std::set<int> full = SourceSet(c.full), half = SourceSet(c.half);
        for (int s = 1; s <= kNamedMixRows; ++s) {
            SCOPED_TRACE(s);
            const int want = full.count(s) ? 100 : half.count(s) ? 50 : 0;
            EXPECT_EQ(Out(0)->GetMixLevel(s), want);
            EXPECT_EQ(ImageLevel(0, s), want);
            EXPECT_EQ(ShownRow(s).edit, want);
            EXPECT_EQ(ShownRow(s).grey, want);
            EXPECT_EQ(ShownRow(s).value, QString::number(want));
            EXPECT_EQ(ShownRow(s).onOff, want != 0);
            EXPECT_EQ(page->LevelMemory(s), want);
        }
        // Sources 17 and 18 are no speaker's: the object keeps them, the rows show them.
        EXPECT_EQ(Out(0)->GetMixLevel(17), 164);
        EXPECT_EQ(Out(0)->GetMixLevel(18), 1);
        EXPECT_EQ(ShownRow(17).edit, 100);
        EXPECT_EQ(ShownRow(18).edit, 1);
        EXPECT_EQ(ShownRow(18).onOff, 1);
        EXPECT_EQ(Out(0)->IsDynamicsDirty(), 0);
    }
    // A change of the levels is marked for sending while synchronised.
    WithDeviceLock([&] { Out(0)->SetAllDirty(0); });
    page->ApplySpeakerTypePreset(0, 1);
    EXPECT_EQ(Out(0)->IsMixADirty(), 1);
    EXPECT_EQ(Out(0)->IsMixBDirty(), 1);
}

TEST_F(MixPageTest, APresetForAnotherOutputLeavesThePageOnItsOwn) {
    page->ApplySpeakerTypePreset(3, 3); // front left
    Drain();
    EXPECT_EQ(Out(3)->GetMixLevel(1), 100);
    EXPECT_EQ(Out(3)->GetMixLevel(4), 0);
    EXPECT_EQ(ImageLevel(3, 1), 100);
    // The page still shows output 0 (source 4 of output 3 was 100 by default).
    EXPECT_EQ(ShownRow(1).edit, 100);
    EXPECT_EQ(ShownRow(2).edit, 0);
    EXPECT_EQ(page->LevelMemory(13), 100);
    // The strips of output 3 follow its new levels.
    EXPECT_EQ(host.switches.size(), 16u);
    EXPECT_EQ(std::get<0>(host.switches.front()), 3);
    // A level typed afterwards still goes to the output on the page.
    Row(4).fader->SetValue(55);
    page->SendMessage(WM_SLIDER_MOVED, 2843, 0);
    EXPECT_EQ(Out(0)->GetMixLevel(4), 55);
    EXPECT_EQ(Out(3)->GetMixLevel(4), 0);
    page->ApplySpeakerTypePreset(12, 3); // no output 12: nothing
}

// After a preset the dimmed value texts stand where the active source's row
// states put them, and only there.
TEST_F(MixPageTest, AfterAPresetTheValueTextsFollowTheRowStates) {
    for (unsigned code : {1u, 4u}) {
        SCOPED_TRACE(code);
        page->LayoutForInputMode(static_cast<int>(code)); // 4 keeps the states of 1
        page->ApplySpeakerTypePreset(0, 7);
        for (int s = 1; s <= kNamedMixRows; ++s)
            EXPECT_EQ(!Row(s).value->isHidden(), s >= 11) << s; // variant 2: 1..10 live
    }
}

// ---------------------------------------------------------------------------
// Rows by active source
// ---------------------------------------------------------------------------

TEST_F(MixPageTest, TheActiveSourceMakesRowsLiveDimmedOrHidden) {
    struct Case {
        int variant;
        int code;
        const char* live;
        const char* hidden; // every other row of 1..16 is dimmed
    };
    const Case cases[] = {
        {2, 0, "13-14", ""},
        {2, 1, "1-10", ""},
        {2, 2, "15-16", ""},
        {2, 3, "11-12", ""},
        {2, 5, "15-16", ""},
        {1, 0, "13-14", "11-12"},
        {1, 1, "1-6", "11-12"},
        {1, 2, "15-16", "11-12"},
        {1, 3, "7-10", "11-12"},
        {1, 5, "15-16", "11-12"},
        // No row set: the rows keep the states of the code before (1).
        {2, 4, "1-10", ""},
        {2, 6, "1-10", ""},
        {1, 4, "1-6", "11-12"},
        {1, 6, "1-6", "11-12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.variant) + "/" + std::to_string(c.code));
        g_DeviceVariant = c.variant;
        page->LayoutForInputMode(1);
        page->LayoutForInputMode(c.code);
        const std::set<int> live = SourceSet(c.live);
        const std::set<int> hidden = c.hidden[0] ? SourceSet(c.hidden) : std::set<int>{};
        for (int s = 1; s <= kNamedMixRows; ++s) {
            SCOPED_TRACE(s);
            const bool isLive = live.count(s), isDimmed = !isLive && !hidden.count(s);
            const CMixPage::Row& r = Row(s);
            EXPECT_EQ(!r.edit->isHidden(), isLive);
            EXPECT_EQ(!r.fader->isHidden(), isLive);
            EXPECT_EQ(!r.onOff->isHidden(), isLive);
            EXPECT_EQ(!r.indicator->isHidden(), isDimmed);
            EXPECT_EQ(!r.value->isHidden(), isDimmed);
            EXPECT_EQ(!r.greyFader->isHidden(), isDimmed);
            // Spins and step buttons stay hidden.
            EXPECT_TRUE(r.spin->isHidden());
            EXPECT_TRUE(r.stepUp->isHidden());
        }
        // Rows 17 and 18 are not the active source's.
        EXPECT_FALSE(Row(17).edit->isHidden());
        EXPECT_FALSE(Row(18).value->isHidden());
    }
    // On a device with six AUX inputs, AUX 1 and AUX 2 (sources 7 and 8)
    // stand in the pictured AUX row.
    g_DeviceVariant = 2;
    page->LayoutForInputMode(3);
    const QRect aux1 = Row(11).edit->geometry(), aux2 = Row(12).edit->geometry();
    g_DeviceVariant = 1;
    page->LayoutForInputMode(3);
    EXPECT_EQ(Row(7).edit->geometry(), aux1);
    EXPECT_EQ(Row(8).edit->geometry(), aux2);
    EXPECT_EQ(Row(7).edit->toolTip(), QStringLiteral("AUX1"));
    g_DeviceVariant = 2;
    page->LayoutForInputMode(3);
    EXPECT_EQ(Row(7).edit->toolTip(), QStringLiteral("Hi.Level7"));
    EXPECT_GT(Row(7).edit->y(), MixPageSize().height()); // below the pictured rows
}

TEST_F(MixPageTest, ArrangedRowsStandInSourceOrder) {
    page->LayoutForInputMode(1);
    page->ArrangeRows();
    EXPECT_FALSE(Row(11).edit->isHidden());
    EXPECT_TRUE(Row(12).indicator->isHidden());
    EXPECT_EQ(Row(1).edit->pos(), QPoint(202, 80));
    EXPECT_EQ(Row(8).fader->pos(), QPoint(895, 274));
    EXPECT_EQ(Row(15).onOff->pos(), QPoint(145, 545));
    EXPECT_EQ(Row(16).value->geometry(), Row(16).edit->geometry());
    EXPECT_EQ(Row(16).edit->size(), Row(1).edit->size());
}

// ---------------------------------------------------------------------------
// Loading the current output
// ---------------------------------------------------------------------------

// Damaged levels load clamped on every row; with a device the user is asked
// once, not again for the same values, and Yes asks the device for its data.
TEST_F(MixPageTest, ARefreshOfDamagedDataAsksOnceAndShowsEveryRow) {
    host.connected = true;
    WithDeviceLock([&] {
        Out(0)->SetMixLevel(2, 120);
        Out(0)->SetMixLevel(9, 33);
    });
    // (Sources 17 and 18 hold the factory's 164 and 1.)
    ASSERT_EQ(page->Refresh(), 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              QStringLiteral("Data exception, do you want to restore the default data?"));
    EXPECT_EQ(boxes[0].buttons, (QStringList{QStringLiteral("YES"), QStringLiteral("NO")}));
    const int shown[kSources] = {100, 100, 0, 0, 0, 0, 0, 0, 33, 0, 100, 0, 100, 0, 100, 0, 100, 1};
    for (int s = 1; s <= kSources; ++s) {
        SCOPED_TRACE(s);
        EXPECT_EQ(ShownRow(s).edit, shown[s - 1]);
        EXPECT_EQ(ShownRow(s).fader, shown[s - 1]);
        EXPECT_EQ(page->LevelMemory(s), shown[s - 1]);
    }
    EXPECT_EQ(host.resyncs, 0);
    // The object keeps what it holds until the user changes it.
    EXPECT_EQ(Out(0)->GetMixLevel(2), 120);

    // Again, and after a resync that brought the same bytes: no question.
    EXPECT_EQ(page->Refresh(), 1);
    WithDeviceLock([&] { data->LoadFromImage(g_ParamImage, -1); });
    WithDeviceLock([&] { Out(0)->SetMixLevel(2, 120); });
    EXPECT_EQ(page->Refresh(), 1);
    EXPECT_EQ(boxes.size(), 1u);

    // New damage asks again; Yes asks the device for its data.
    answerYes = true;
    WithDeviceLock([&] { Out(0)->SetMixLevel(5, 200); });
    EXPECT_EQ(page->Refresh(), 0);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(host.resyncs, 1);
    EXPECT_EQ(ShownRow(5).edit, 100);
    EXPECT_EQ(ShownRow(18).edit, 1); // the rows after it loaded too
}

// The program's own defaults (source 17 at 164 from the factory's item 35)
// ask nothing on any output; neither does damage in a row the page has no
// place for, whose byte stays as stored; damage in a row it shows asks once.
TEST_F(MixPageTest, OnlyDamageInARowThePageShowsAsks) {
    host.connected = true;
    for (int variant : {1, 2}) {
        g_DeviceVariant = variant;
        page->LayoutForInputMode(1);
        for (int o = 0; o < kOutputCount; ++o) {
            g_CurrentOutput = o;
            EXPECT_EQ(page->Refresh(), 1);
        }
    }
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Out(4)->GetMixLevel(17), 164);

    struct Case {
        int variant, source;
        bool asks;
    };
    const Case cases[] = {
        {1, 2, true},   {1, 7, true},   {1, 8, true},   {1, 12, false}, {1, 11, false},
        {1, 9, false},  {1, 10, false}, {1, 17, false}, {1, 18, false}, {1, 16, true},
        {2, 11, true},  {2, 12, true},  {2, 7, false},  {2, 8, false},  {2, 9, false},
        {2, 10, false}, {2, 18, false}, {2, 13, true},
    };
    g_CurrentOutput = 0;
    int value = 101;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.variant) + "/" + std::to_string(c.source));
        g_DeviceVariant = c.variant;
        page->LayoutForInputMode(1);
        boxes.clear();
        const uint8_t damaged = static_cast<uint8_t>(value++);
        WithDeviceLock([&] {
            OutputBlock(0)[kOutMixAOffset - 1 + c.source] = damaged;
            data->LoadFromImage(g_ParamImage, -1);
        });
        EXPECT_EQ(page->Refresh(), 1);
        EXPECT_EQ(page->Refresh(), 1); // once
        EXPECT_EQ(boxes.size(), c.asks ? 1u : 0u);
        EXPECT_EQ(ShownRow(c.source).edit, 100);
        EXPECT_EQ(Out(0)->GetMixLevel(c.source), damaged);
        // Another row's change leaves the byte as stored.
        const int other = c.source == 1 ? 3 : 1;
        Row(other).fader->SetValue(40);
        page->SendMessage(WM_SLIDER_MOVED, static_cast<WPARAM>(ControlId(Row(other).fader)), 0);
        Drain();
        EXPECT_EQ(Out(0)->GetMixLevel(c.source), damaged);
        EXPECT_EQ(ImageLevel(0, c.source), damaged);
        WithDeviceLock([&] { OutputBlock(0)[kOutMixAOffset - 1 + c.source] = 0; });
    }
    EXPECT_EQ(host.resyncs, 0);
}

// The rows the page has a place for are the ones it shows inside the page:
// the others lie below the picture or are hidden.
TEST_F(MixPageTest, TheRowsWithAPlaceAreTheOnesShownOnThePage) {
    for (int variant : {1, 2}) {
        g_DeviceVariant = variant;
        for (int code : {0, 1, 2, 3, 5}) {
            page->LayoutForInputMode(code);
            for (int s = 1; s <= kSources; ++s) {
                SCOPED_TRACE(std::to_string(variant) + "/" + std::to_string(code) + "/" +
                             std::to_string(s));
                const CMixPage::Row& r = Row(s);
                const bool visible = !r.edit->isHidden() || !r.value->isHidden();
                const bool inside = QRect(QPoint(0, 0), MixPageSize()).contains(r.edit->geometry());
                EXPECT_EQ(visible && inside, MixRowHasPlace(s, variant));
            }
        }
    }
}

TEST_F(MixPageTest, WithoutADeviceDamagedLevelsLoadWithoutAQuestion) {
    WithDeviceLock([&] { Out(0)->SetMixLevel(2, 250); });
    EXPECT_EQ(page->Refresh(), 1);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(ShownRow(2).edit, 100);
}

TEST_F(MixPageTest, ARefreshBindsThePageToTheCurrentOutput) {
    g_CurrentOutput = 4;
    page->Refresh();
    EXPECT_EQ(page->BoundOutput(), 4);
    Row(6).fader->SetValue(21);
    page->SendMessage(WM_SLIDER_MOVED, 2847, 0);
    Drain();
    EXPECT_EQ(Out(4)->GetMixLevel(6), 21);
    EXPECT_EQ(ImageLevel(4, 6), 21);
    EXPECT_EQ(host.switches.back(), std::make_tuple(4, 6, 21));
}

// ---------------------------------------------------------------------------
// Picture, language, tiles
// ---------------------------------------------------------------------------

TEST_F(MixPageTest, ThePicturePaintsTheActiveSourceOrTheBackground) {
    const struct {
        int language, code, picture;
    } cases[] = {{0, 0, 1318}, {1, 0, 1317}, {0, 1, 1314}, {1, 3, 1315}, {0, 2, 1320},
                 {0, 5, 1320}, {1, 5, 1319}, {0, 4, 0},    {1, 6, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        g_LanguageFlag = c.language;
        WithDeviceLock([&] { g_DeviceRecords.Bytes().sources[0] = static_cast<uint8_t>(c.code); });
        EXPECT_EQ(page->CurrentPagePicture(), c.picture);
    }
    // A source without a picture paints the background, not what was there.
    WithDeviceLock([] { g_DeviceRecords.Bytes().sources[0] = 1; });
    (void)page->grab();
    WithDeviceLock([] { g_DeviceRecords.Bytes().sources[0] = 6; });
    page->LayoutForInputMode(6);
    const QImage shot = page->grab().toImage();
    EXPECT_EQ(shot.pixel(20, 50), g_DialogBkColor);
    EXPECT_EQ(shot.pixel(5, 600), g_DialogBkColor);
}

TEST_F(MixPageTest, TooltipsFollowTheLanguage) {
    EXPECT_EQ(Row(15).fader->toolTip(), QStringLiteral("Bluetooth/Player-L"));
    g_LanguageFlag = 1;
    page->ApplyLanguage();
    EXPECT_EQ(Row(15).fader->toolTip(), QStringLiteral("蓝牙/播放器-左"));
    EXPECT_EQ(Row(13).edit->toolTip(), QStringLiteral("数字左"));
    EXPECT_TRUE(Row(17).edit->toolTip().isEmpty());
}

// The twelve tiles exist as objects; their hooks leave them as they are, a
// tile of another output loses its focus flag on a click, and its keys post
// to itself without effect.
TEST_F(MixPageTest, TheTilesAnswerTheirHooks) {
    for (int i = 0; i < 12; ++i)
        page->Tile(i).SetFocusFlag(1);
    page->ChannelChanging();
    g_CurrentOutput = 2;
    page->ChannelChanged();
    page->ApplyLanguage();
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(page->Tile(i).FocusFlag(), 1);
        EXPECT_EQ(page->Tile(i).Output(), i);
        EXPECT_FALSE(page->Tile(i).isVisible());
    }
    QTest::mouseClick(&page->Tile(2), Qt::LeftButton);
    QTest::mouseClick(&page->Tile(5), Qt::LeftButton);
    EXPECT_EQ(page->Tile(2).FocusFlag(), 1);
    EXPECT_EQ(page->Tile(5).FocusFlag(), 0);
    QTest::keyClick(&page->Tile(5), Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(&page->Tile(5), Qt::Key_V, Qt::ControlModifier);
    Drain();
    EXPECT_EQ(page->Tile(5).FocusFlag(), 0);
}

} // namespace
