// The speaker-position buttons: shown and checked by the outputs' types,
// the centre buttons' places, selection of an output by its button, and the
// left/right link check after a preset file.
#include "tests/pages/PageTestSupport.h"

#include "pages/output/PositionButtons.h"
#include "tests/controls/SkinTestSupport.h"

#include <set>

namespace {

class PositionButtonsTest : public ::testing::Test {
protected:
    void SetUp() override {
        page.resize(1275, 607);
        buttons = new CPositionButtons(&page, &host);
    }
    void TearDown() override {
        SetSpeakerTypes({6, 12, 15, 18, 0, 0, 0, 0, 22, 23});
        g_CurrentOutput = 0;
        g_LRLinkOn = 0;
    }
    std::set<int> Shown() const {
        std::set<int> ids;
        for (int t = 1; t <= 24; ++t)
            if (buttons->Button(t)->isVisibleTo(buttons)) ids.insert(CPositionButtons::ButtonId(t));
        return ids;
    }

    QWidget page;
    FakeHost host{&page};
    CPositionButtons* buttons = nullptr;
};

TEST_F(PositionButtonsTest, TheButtonsOfTheOutputsTypesShowAndTheCurrentOnesIsChecked) {
    SetSpeakerTypes({1, 0, 0, 7});
    g_CurrentOutput = 3;
    buttons->ShowPositionButtons();
    EXPECT_EQ(Shown(), (std::set<int>{4605, 4611}));
    EXPECT_EQ(buttons->Button(7)->GetCheck(), 1);
    EXPECT_EQ(buttons->Button(7)->GetUserData(), 3);
    EXPECT_EQ(buttons->Button(1)->GetCheck(), 0);
    EXPECT_EQ(buttons->Button(1)->GetUserData(), 0);

    // A type no output carries any more goes with the next showing.
    SetSpeakerTypes({0, 0, 0, 7, 30});
    buttons->ShowPositionButtons();
    EXPECT_EQ(Shown(), (std::set<int>{4611})); // the byte 30 shows nothing
}

TEST_F(PositionButtonsTest, ClickingAButtonMakesItsOutputCurrent) {
    SetSpeakerTypes({1, 0, 0, 7});
    g_LinkKey[5] = 0; // output 5 is linked with output 0
    g_CurrentOutput = 3;
    buttons->ShowPositionButtons();

    // The current output's own button does nothing.
    buttons->Button(7)->click();
    EXPECT_EQ(g_CurrentOutput, 3);
    EXPECT_TRUE(host.calls.empty());

    buttons->Button(1)->click();
    EXPECT_EQ(g_CurrentOutput, 0);
    EXPECT_EQ(buttons->LastChosenOutput(), 0);
    EXPECT_EQ(buttons->Button(1)->GetCheck(), 1);
    EXPECT_EQ(buttons->Button(7)->GetCheck(), 0);
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        const bool group = i == 0 || i == 5;
        EXPECT_EQ(host.strips[i]->IsCaptionChecked(), group);
        EXPECT_EQ(host.strips[i]->IsSelected(), group);
    }
    EXPECT_EQ(host.output.calls, std::vector<std::string>{"RefreshChannel"});
    EXPECT_EQ(host.mix.calls,
              (std::vector<std::string>{"ChannelChanging", "ChannelChanged", "Refresh"}));
    EXPECT_EQ(host.calls, std::vector<std::string>{"RepaintStrips"});
}

TEST_F(PositionButtonsTest, TheSubwooferAndCentreButtonsGuardByTheirOwnRules) {
    SetSpeakerTypes({24, 20, 19});
    g_CurrentOutput = 2;
    buttons->ShowPositionButtons();
    // The subwoofer button while checked does nothing even for another output.
    buttons->Button(24)->SetCheck(1);
    buttons->Button(24)->click();
    EXPECT_EQ(g_CurrentOutput, 2);
    // The centre woofer compares with the output last chosen by a button (0
    // at first): its output 1 is chosen although the button is checked.
    buttons->Button(20)->SetCheck(1);
    buttons->Button(20)->click();
    EXPECT_EQ(g_CurrentOutput, 1);
    buttons->Button(20)->click();
    EXPECT_EQ(buttons->LastChosenOutput(), 1);
}

TEST_F(PositionButtonsTest, TheCentreButtonsStandSideBySideOrTheTweeterAlone) {
    SetSpeakerTypes({19});
    buttons->ShowPositionButtons();
    CPngButton* tweeter = buttons->Button(19);
    CPngButton* woofer = buttons->Button(20);
    EXPECT_EQ(tweeter->pos(), buttons->CentreTweeterAlonePlace());
    buttons->ShowPositionButton(20, false, 1);
    EXPECT_EQ(tweeter->pos(), buttons->CentreTweeterPlace());
    EXPECT_EQ(woofer->pos(), buttons->CentreWooferPlace());
    EXPECT_FALSE(tweeter->geometry().intersects(woofer->geometry()));
    // Hiding the woofer moves the tweeter to its place alone.
    buttons->HidePositionButton(20);
    EXPECT_EQ(tweeter->pos(), buttons->CentreTweeterAlonePlace());
    EXPECT_FALSE(woofer->isVisibleTo(buttons));
}

TEST_F(PositionButtonsTest, ButtonsOfTypesThatCanBeHeldTogetherDoNotOverlap) {
    // The fullest car the rules allow: three bands a side in front, two at
    // the back, both centre parts and both subwoofers.
    SetSpeakerTypes({1, 2, 3, 7, 8, 9, 13, 14, 16, 17, 19, 20});
    buttons->ShowPositionButtons();
    buttons->ShowPositionButton(22, false, 0);
    buttons->ShowPositionButton(23, false, 0);
    std::vector<QRect> places;
    for (int t = 1; t <= 24; ++t)
        if (buttons->Button(t)->isVisibleTo(buttons))
            places.push_back(buttons->Button(t)->geometry());
    ASSERT_EQ(places.size(), 14u);
    for (size_t i = 0; i < places.size(); ++i) {
        EXPECT_TRUE(CPositionButtons::Area().contains(places[i].translated(buttons->pos())));
        for (size_t j = i + 1; j < places.size(); ++j)
            EXPECT_FALSE(places[i].intersects(places[j])) << i << " " << j;
    }
}

TEST_F(PositionButtonsTest, TheLeftRightLinkCheckAfterAPresetFile) {
    struct Case {
        std::vector<int> types;
        int linkOn;
        int current;
        int linkAfter;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {{0, 0}, 1, 0, 0, {}},                        // nothing typed: the link goes off
        {{0, 0}, 0, 0, 0, {}},                        // link off: nothing
        {{0, 0, 6, 12}, 1, 1, 1, {"SelectOutput 2"}}, // current untyped: the first typed
        {{6, 12}, 1, 1, 1, {}},                       // current typed: nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        SetSpeakerTypes(c.types);
        host.calls.clear();
        g_LRLinkOn = c.linkOn;
        g_CurrentOutput = c.current;
        buttons->ValidateLRLink();
        EXPECT_EQ(g_LRLinkOn, c.linkAfter);
        EXPECT_EQ(host.calls, c.calls);
    }
}

} // namespace
