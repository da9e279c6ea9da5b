// The output strip: the speaker-type popup built from a snapshot of the type
// table, the choice it reports, the caption, the selection look and the
// green frame of the current output, the mix toggles and the key filter.
#include "tests/pages/PageTestSupport.h"

#include "tests/controls/SkinTestSupport.h"
#include "platform/SpeakerTypeMenu.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>

#include <cstring>

namespace {

using skintest::Message;

struct ItemState {
    bool checked;
    bool enabled;
    bool operator==(const ItemState& o) const {
        return checked == o.checked && enabled == o.enabled;
    }
};

class StripTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_LanguageFlag = 0;
        g_CurrentOutput = 0;
        for (int i = 0; i < 3; ++i) {
            strips[i] = new COutputStrip(&owner, &owner);
            strips[i]->m_OutputIndex = i;
            strips[i]->SetBackgroundBitmap(1152, 1152, 1152, 1152);
            strips[i]->SetCaptionBitmaps(818 + 3 * i, 817 + 3 * i, 819 + 3 * i);
            strips[i]->setGeometry(128 * i + 15, 67, 99, 47);
        }
        previous = COutputStrip::SetPopupChooser([this](QMenu& menu, const QPoint& at) {
            shownAt = at;
            shownItems = menu.actions().size();
            return chosen;
        });
    }
    void TearDown() override {
        COutputStrip::SetPopupChooser(previous);
        SetSpeakerTypes({6, 12, 15, 18, 0, 0, 0, 0, 22, 23});
        g_CurrentOutput = 0;
    }
    static ItemState StateOf(QMenu* popup, int type) {
        QAction* a = platform::SpeakerTypeAction(popup, type);
        EXPECT_NE(a, nullptr) << type;
        return a ? ItemState{a->isChecked(), a->isEnabled()} : ItemState{};
    }

    skintest::Parent owner;
    COutputStrip* strips[3] = {};
    COutputStrip::PopupChooser previous;
    int chosen = -1;
    QPoint shownAt;
    int shownItems = 0;
};

// ---------------------------------------------------------------------------
// The speaker-type popup
// ---------------------------------------------------------------------------

TEST_F(StripTest, PopupItemsShowTheTableAsIfTheOutputHadNoType) {
    // Output 0 a front left tweeter, output 1 the right tweeter, output 2 the
    // left woofer.
    SetSpeakerTypes({1, 7, 3});
    const ItemState mine{true, true}, held{true, false}, excluded{false, false}, free{false, true};
    struct Case {
        int output;
        std::vector<std::pair<int, ItemState>> items;
    };
    const Case cases[] = {
        // Its own type checked and choosable; the others' types checked and
        // grey; the full range and mid+tweeter excluded by the woofer and the
        // right tweeter; "none" never checked.
        {0,
         {{0, free},
          {1, mine},
          {7, held},
          {3, held},
          {2, free},
          {4, excluded},
          {6, excluded},
          {12, excluded},
          {19, free},
          {24, free}}},
        // An output without a type: nothing checked but the held types, and
        // the tweeter of output 0 is taken.
        {3, {{0, free}, {1, held}, {7, held}, {3, held}, {2, free}, {4, excluded}, {19, free}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        COutputStrip strip(&owner, &owner);
        strip.m_OutputIndex = c.output;
        std::unique_ptr<QMenu> popup = strip.BuildSpeakerTypePopup();
        ASSERT_NE(popup, nullptr);
        for (const auto& [type, want] : c.items)
            EXPECT_EQ(StateOf(popup.get(), type), want) << "type " << type;
        // The snapshot holds the output's own type, the others as they are.
        EXPECT_EQ(strip.TypeSnapshot()[26 + c.output], g_OutputSpeakerType[c.output]);
        EXPECT_EQ(strip.TypeSnapshot()[26 + 1], 7);
    }
}

TEST_F(StripTest, ATypeByteAbove24IsNoTypeInThePopupAndTheCaption) {
    SetSpeakerTypes({30, 7});
    COutputStrip strip(&owner, &owner);
    strip.m_OutputIndex = 0;
    std::unique_ptr<QMenu> popup = strip.BuildSpeakerTypePopup();
    for (int t = 1; t < kSpeakerTypeCount; ++t) {
        if (t != 7) {
            EXPECT_FALSE(StateOf(popup.get(), t).checked) << t;
        }
    }
    EXPECT_EQ(StateOf(popup.get(), 7), (ItemState{true, false}));
    strip.UpdateCaption();
    EXPECT_EQ(strip.SpeakerTypeText(), QStringLiteral("NULL"));
    // The byte stays what the device sent.
    EXPECT_EQ(g_OutputSpeakerType[0], 30);
}

TEST_F(StripTest, OpeningThePopupLeavesTheTypeTableExactlyAsItWas) {
    // Layouts whose release and take rules are not each other's inverse too.
    const std::vector<std::vector<int>> layouts = {
        {1, 7, 3},        {4, 10, 9, 2},    {6, 12, 15, 18, 0, 0, 0, 0, 22, 23},
        {19, 20, 21, 24}, {2, 3, 1, 8, 30}, {}};
    for (const auto& types : layouts) {
        ResetSpeakerTypeStates();
        for (int i = 0; i < 12; ++i)
            g_OutputSpeakerType[i] = static_cast<uint8_t>(i < int(types.size()) ? types[i] : 0);
        RecomputeSpeakerTypeStates();
        for (int output = 0; output < 12; ++output) {
            SCOPED_TRACE(testing::Message()
                         << "layout of " << types.size() << ", output " << output);
            uint8_t before[kSpeakerTypeTableSize];
            std::memcpy(before, g_SpeakerTypeState, sizeof before);
            COutputStrip strip(&owner, &owner);
            strip.m_OutputIndex = output;
            chosen = -1; // the menu closes without a choice
            strip.OpenSpeakerTypePopup();
            EXPECT_EQ(0, std::memcmp(before, g_SpeakerTypeState, sizeof before));
        }
    }
}

TEST_F(StripTest, AChoiceIsReportedOnlyWhenItDiffersFromTheOutputsType) {
    struct Case {
        std::vector<int> types; // of outputs 0..
        int command;            // chosen in the popup of output 1; -1 none
        bool posted;
    };
    const Case cases[] = {
        {{6, 12}, 4100 + 12, false},                             // its own type
        {{6, 12}, 4100 + 0, true},                               // "none" for a typed output
        {{6, 12}, 4100 + 8, true},   {{6, 0}, 4100 + 0, false},  // "none" for an untyped output
        {{6, 0}, 4100 + 12, true},   {{6, 31}, 4100 + 0, false}, // a byte above 24 is no type
        {{6, 12}, -1, false},                                    // closed without a choice
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        SetSpeakerTypes({c.types[0], c.types[1]});
        owner.Clear();
        chosen = c.command;
        strips[1]->OpenSpeakerTypePopup();
        const auto got = skintest::Take(owner, WM_STRIP_SPEAKER_TYPE);
        if (c.posted) {
            EXPECT_EQ(got, (std::vector<Message>{{WM_STRIP_SPEAKER_TYPE, 1, c.command - 4100}}));
        } else {
            EXPECT_TRUE(got.empty());
        }
    }
    // The popup opens below the button's left edge, 2 pixels down.
    const QWidget* button = strips[1]->SpeakerTypeButton();
    EXPECT_EQ(shownAt, button->mapToGlobal(QPoint(0, button->height() + 2)));
    EXPECT_EQ(shownItems, 5); // "NULL" and four submenus
}

TEST_F(StripTest, ThePopupItemsSpeakTheLanguage) {
    SetSpeakerTypes({1});
    for (int cn : {0, 1}) {
        g_LanguageFlag = cn;
        std::unique_ptr<QMenu> popup = strips[0]->BuildSpeakerTypePopup();
        EXPECT_EQ(platform::SpeakerTypeAction(popup.get(), 0)->text(),
                  cn ? QStringLiteral("空") : QStringLiteral("NULL"));
        EXPECT_EQ(popup->actions()[1]->text(),
                  cn ? QStringLiteral("前置") : QStringLiteral("Front"));
    }
    g_LanguageFlag = 0;
}

// ---------------------------------------------------------------------------
// Caption, look, frame
// ---------------------------------------------------------------------------

TEST_F(StripTest, TheCaptionClickSelectsTheOutputAndTheTypeButtonShowsTheName) {
    SetSpeakerTypes({4, 0, 24});
    for (int cn : {0, 1}) {
        g_LanguageFlag = cn;
        for (COutputStrip* s : strips)
            s->UpdateCaption();
        EXPECT_EQ(strips[0]->SpeakerTypeText(),
                  cn ? QStringLiteral("前置左中高频") : QStringLiteral("FL-M & T"));
        EXPECT_EQ(strips[1]->SpeakerTypeText(), cn ? QStringLiteral("空") : QStringLiteral("NULL"));
        EXPECT_EQ(strips[2]->SpeakerTypeText(),
                  cn ? QStringLiteral("超低频") : QStringLiteral("Subwoofer"));
        // A caption is no mnemonic.
        EXPECT_TRUE(strips[0]->SpeakerTypeButton()->shortcut().isEmpty());
    }
    g_LanguageFlag = 0;
    owner.Clear();
    strips[2]->CaptionButton()->click();
    EXPECT_EQ(skintest::Take(owner, WM_STRIP_SELECT_OUTPUT),
              (std::vector<Message>{{WM_STRIP_SELECT_OUTPUT, 2, 0}}));
}

TEST_F(StripTest, SelectionLookAndTheDisabledTypeButton) {
    COutputStrip* s = strips[0];
    s->SetCaptionChecked(true);
    s->SetSelected(true);
    EXPECT_EQ(s->CaptionButton()->GetCheck(), 1);
    EXPECT_EQ(s->CaptionButton()->Current().bitmap, 819u); // the down picture while checked
    EXPECT_EQ(s->SpeakerTypeButton()->Current().bitmap, 596u);
    s->SetCaptionChecked(false);
    s->SetSelected(false);
    EXPECT_EQ(s->CaptionButton()->Current().bitmap, 818u);
    EXPECT_EQ(s->SpeakerTypeButton()->Current().bitmap, 594u);
    s->EnableSpeakerTypeButton(false);
    EXPECT_FALSE(s->SpeakerTypeButton()->isEnabled());
    EXPECT_FALSE(s->IsSpeakerTypeEnabled());
    EXPECT_EQ(s->SpeakerTypeButton()->Current().bitmap, 594u); // unselected and disabled
    s->SetSelected(true);
    EXPECT_EQ(s->SpeakerTypeButton()->Current().bitmap, 641u);
    s->EnableSpeakerTypeButton(true);
    EXPECT_TRUE(s->SpeakerTypeButton()->isEnabled());
}

TEST_F(StripTest, OnlyTheCurrentOutputsStripHasTheGreenFrame) {
    const QColor green = QColor::fromRgb(COutputStrip::kCurrentFrameColor);
    for (int current = 0; current < 3; ++current) {
        g_CurrentOutput = current;
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(testing::Message() << "current " << current << ", strip " << i);
            const QImage img = strips[i]->grab().toImage();
            ASSERT_EQ(img.size(), QSize(99, 47));
            // The outline runs along all four edges, one pixel beyond the 98 x 46 picture.
            for (const QPoint p : {QPoint(0, 0), QPoint(98, 0), QPoint(0, 46), QPoint(98, 46),
                                   QPoint(49, 46), QPoint(98, 23)})
                EXPECT_EQ(img.pixelColor(p) == green, i == current) << p.x() << "," << p.y();
        }
    }
}

// ---------------------------------------------------------------------------
// Toggles and keys
// ---------------------------------------------------------------------------

TEST_F(StripTest, AToggleClickedTwiceIsOffAgainAfterTwoReports) {
    for (int n : {1, 6, 16}) {
        SCOPED_TRACE(n);
        owner.Clear();
        const unsigned msg = WM_STRIP_TOGGLE_FIRST + static_cast<unsigned>(n - 1);
        strips[1]->ToggleButton(n)->click();
        EXPECT_EQ(strips[1]->Toggle(n), 1);
        strips[1]->ToggleButton(n)->click();
        EXPECT_EQ(strips[1]->Toggle(n), 0);
        EXPECT_EQ(skintest::Take(owner, msg), (std::vector<Message>{{msg, 1, 1}, {msg, 1, 0}}));
    }
    // The view shows a mix switch with the state's pictures.
    strips[1]->SetToggle(2, 1);
    EXPECT_EQ(strips[1]->ToggleButton(2)->Current().bitmap, 1064u);
    strips[1]->SetToggle(2, 0);
    EXPECT_EQ(strips[1]->ToggleButton(2)->Current().bitmap, 1063u);
}

TEST_F(StripTest, EnterEscapeAndTabStayInTheStripAndCopyPasteChangeNothing) {
    owner.Clear();
    for (int key : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Tab}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        EXPECT_TRUE(QApplication::sendEvent(strips[0]->SpeakerTypeButton(), &press) &&
                    press.isAccepted());
    }
    for (int key : {Qt::Key_C, Qt::Key_V}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
        QApplication::sendEvent(strips[0], &press);
    }
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(owner.received.empty());
    EXPECT_TRUE(strips[0]->isVisibleTo(&owner));
}

} // namespace
