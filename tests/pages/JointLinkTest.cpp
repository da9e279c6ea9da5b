// The strips' link buttons and link-group menu with the output page and the
// program's model: what a click shows (the picture, the captions, the
// current output), the copy it makes under the lock, byte 287 and the
// dynamics item; the joint-debug dialog's lists, questions, undo and OK; and
// the pair and group-number dialogs.
#include "tests/pages/OutputPageTestSupport.h"

#include "controls/BitButton.h"
#include "controls/ButtonRadio.h"
#include "controls/ModalDialog.h"
#include "controls/StaticControls.h"
#include "model/JointDebug.h"
#include "features/outputs/PairLinkDialog.h"
#include "features/outputs/JoinGroupDialog.h"
#include "features/outputs/JointGroupsDialog.h"
#include "features/outputs/JointGroupList.h"
#include "features/outputs/OutputStrip.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>

namespace {

using namespace pagetest;

// The recording host with a row of twelve strips and the page behind them.
class StripHost : public RecordingHost {
public:
    CStripBase* OutputStrip(int output) override {
        return output >= 0 && output < 12 ? strips[output] : nullptr;
    }
    CViewPage* OutputPageWindow() override { return page; }
    void SelectOutput(int output) override {
        RecordingHost::SelectOutput(output);
        g_CurrentOutput = output;
        for (int i = 0; i < 12; ++i) {
            strips[i]->SetCaptionChecked(i == output);
            strips[i]->SetSelected(i == output);
        }
    }
    void RepaintStrips() override { ++repaints; }
    void SyncLinkGroupStrips(int output, int key) override {
        Record("sync " + std::to_string(output) + (key == g_LinkKey[output] ? "" : " ?"));
    }
    COutputStrip* strips[12] = {};
    int repaints = 0;
};

class JointLinkTest : public OutputPageTest {
protected:
    void SetUp() override {
        OutputPageTest::SetUp();
        g_LanguageFlag = 0;
        for (int i = 0; i < 12; ++i) {
            COutputStrip* s = strips.emplace_back(std::make_unique<COutputStrip>(nullptr)).get();
            s->m_OutputIndex = i;
            s->m_Output = data->GetOut(i);
            s->m_View = &stripHost;
            s->SetLanguage(0);
            s->ShowLinkGroup(g_LinkKey[i]);
            stripHost.strips[i] = s;
            page->Panel(i).mask = 1 << i;
        }
        stripHost.page = page.get();
        page->SetView(&stripHost);
        previous = COutputStrip::SetPopupChooser([this](QMenu& menu, const QPoint&) {
            menuItems.clear();
            for (QAction* a : menu.actions())
                menuItems.push_back({a->text().toStdString(), a->isEnabled()});
            return menuChoice;
        });
    }
    void TearDown() override {
        COutputStrip::SetPopupChooser(previous);
        ctl::SetModalScript({});
        page->SetView(&host);
        strips.clear();
        g_LanguageFlag = 0;
        OutputPageTest::TearDown();
    }
    // The strips' host sends through the session too.
    void ConnectStrips() {
        Connect();
        stripHost.session = session.get();
    }
    COutputStrip& Strip(int i) { return *strips[static_cast<size_t>(i)]; }
    bool Checked(int i) { return Strip(i).LinkButton()->GetCheck() != 0; }
    unsigned Picture(int i) { return Strip(i).LinkButton()->Current().bitmap; }
    std::vector<int> CheckedCaptions() {
        std::vector<int> out;
        for (int i = 0; i < 12; ++i)
            if (Strip(i).IsCaptionChecked()) out.push_back(i);
        return out;
    }
    // Runs the next modal dialog with a script that plays the user.
    template <typename Dialog> void Script(std::function<void(Dialog&)> play) {
        ctl::SetModalScript([play](QDialog& d) {
            auto* dialog = dynamic_cast<Dialog*>(&d);
            ASSERT_NE(dialog, nullptr);
            play(*dialog);
        });
    }

    StripHost stripHost;
    std::vector<std::unique_ptr<COutputStrip>> strips;
    COutputStrip::PopupChooser previous;
    struct Item {
        std::string text;
        bool enabled;
        bool operator==(const Item& o) const { return text == o.text && enabled == o.enabled; }
    };
    std::vector<Item> menuItems;
    int menuChoice = -1;
};

// ---------------------------------------------------------------------------
// The link button
// ---------------------------------------------------------------------------

TEST_F(JointLinkTest, ASingleClickOpensAGroupWithoutChangingTheCurrentOutput) {
    Out(2).SetDynamicsDirty(0);
    Strip(2).OnLinkClick(COutputStrip::kLinkSingle);
    EXPECT_TRUE(Checked(2));
    EXPECT_EQ(Strip(2).LastLinkClick(), 1);
    EXPECT_EQ(g_LinkKey[2], GroupLinkKey(1));
    EXPECT_EQ(OutputBlock(2)[kOutLinkGroupByte], 1);
    EXPECT_EQ(Out(2).IsDynamicsDirty(), 1);
    EXPECT_EQ(Picture(2), 1028u); // group 1, English
    EXPECT_EQ(g_CurrentOutput, 0);
    EXPECT_EQ(stripHost.Count("copy"), 0);

    // In Chinese the same group shows its Chinese picture.
    g_LanguageFlag = 1;
    Strip(2).SetLanguage(1);
    Strip(2).ShowLinkGroup(g_LinkKey[2]);
    EXPECT_EQ(Picture(2), 1020u);
}

// The clicks of a sequence with the button's check state and picture and
// the device byte after each (English pictures: 1019 unlinked, 1028 + g).
TEST_F(JointLinkTest, PicturesAndDeviceBytesAlongAClickSequence) {
    struct Step {
        int output;
        int kind;
        bool checked;
        unsigned picture; // when checked
        uint8_t device;   // byte 287
    };
    using S = COutputStrip;
    const Step steps[] = {
        {2, S::kLinkSingle, true, 1028, 1}, // opens group 1
        {5, S::kLinkSingle, true, 1028, 1}, // joins the open group
        {5, S::kLinkSingle, false, 0, 0},   // leaves, may rejoin
        {5, S::kLinkSingle, true, 1028, 1}, // rejoins
        {6, S::kLinkDouble, true, 1029, 2}, // opens group 2, current
        {5, S::kLinkDouble, true, 1030, 3}, // leaves group 1 for a new group 3
        {2, S::kLinkRight, false, 0, 0},    // group 1 is empty now
        {1, S::kLinkDouble, true, 1028, 1}, // and its number is taken again
        {3, S::kLinkRight, false, 0, 0},    // unchecked: nothing happens
    };
    for (size_t n = 0; n < std::size(steps); ++n) {
        const Step& s = steps[n];
        SCOPED_TRACE(n + 1);
        Strip(s.output).OnLinkClick(s.kind);
        EXPECT_EQ(Checked(s.output), s.checked);
        EXPECT_EQ(Picture(s.output), s.checked ? s.picture : 1019u);
        EXPECT_EQ(OutputBlock(s.output)[kOutLinkGroupByte], s.device);
    }
    EXPECT_EQ(g_LinkGroupCount[0], 1);
    EXPECT_EQ(g_LinkGroupCount[1], 1);
    EXPECT_EQ(g_LinkGroupCount[2], 1);
}

// Cut to the view's 99 x 47 pixels a strip shows its link button at the
// right end of the caption row; at its template's size where the template
// puts it.
TEST_F(JointLinkTest, TheLinkButtonStaysWithinTheStripsVisiblePart) {
    COutputStrip& s = Strip(0);
    s.show();
    s.resize(99, 47);
    const QRect button = s.LinkButton()->geometry();
    EXPECT_TRUE(QRect(0, 0, 99, 47).contains(button)) << button.x() << "," << button.y();
    EXPECT_EQ(button.top(), s.CaptionButton()->y());
    EXPECT_FALSE(button.intersects(s.SpeakerTypeButton()->geometry()));
    const QSize full = platform::DluToPixels(QSize(98, 173), platform::kArial7);
    s.resize(full);
    EXPECT_EQ(s.LinkButton()->pos(), platform::DluToPixels(QPoint(39, 116), platform::kArial7));
}

TEST_F(JointLinkTest, JoiningCopiesFromTheMemberUnderTheLockAndLeavingSendsZero) {
    ConnectStrips();
    Strip(2).OnLinkClick(COutputStrip::kLinkSingle);
    stripHost.calls.clear();
    Strip(5).OnLinkClick(COutputStrip::kLinkSingle);
    EXPECT_EQ(stripHost.calls, (std::vector<std::string>{"queue (locked)", "copy 2 5 (locked)",
                                                         "queue (locked)", "sync 2 (locked)"}));
    EXPECT_EQ(g_LinkKey[5], g_LinkKey[2]);
    EXPECT_EQ(OutputBlock(5)[kOutLinkGroupByte], 1);
    EXPECT_EQ(Picture(5), 1028u);
    // The off frame of the source's outputs, its copy, the restoring frame.
    const std::vector<Frame> frames = Queued(session->Command());
    ASSERT_GE(frames.size(), 2u);
    EXPECT_TRUE(IsBasicFrame(frames.front(), 2, 0));
    EXPECT_TRUE(IsBasicFrame(frames.back(), 2, 1));

    // Leaving: unchecked, byte 287 back to 0, linked with nobody.
    Strip(5).OnLinkClick(COutputStrip::kLinkSingle);
    EXPECT_FALSE(Checked(5));
    EXPECT_EQ(OutputBlock(5)[kOutLinkGroupByte], 0);
    EXPECT_EQ(Picture(5), 1019u);
    for (int i = 0; i < 12; ++i)
        if (i != 5) {
            EXPECT_NE(g_LinkKey[i], g_LinkKey[5]) << i;
        }
    // Unedited, a second click rejoins through output 2.
    stripHost.calls.clear();
    Strip(5).OnLinkClick(COutputStrip::kLinkSingle);
    EXPECT_TRUE(Checked(5));
    EXPECT_EQ(stripHost.Count("copy 2 5"), 1);
}

TEST_F(JointLinkTest, ADoubleClickMakesTheOutputCurrentWithTheOnlyCheckedCaption) {
    Strip(0).SetCaptionChecked(true);
    Strip(4).SetCaptionChecked(true);
    Strip(3).OnLinkClick(COutputStrip::kLinkDouble);
    EXPECT_EQ(Strip(3).LastLinkClick(), 2);
    EXPECT_EQ(g_CurrentOutput, 3);
    EXPECT_EQ(CheckedCaptions(), std::vector<int>{3});
    EXPECT_TRUE(Checked(3));
    EXPECT_EQ(g_LinkKey[3], GroupLinkKey(1));
    // The current output's group takes the next single click's output.
    Strip(7).OnLinkClick(COutputStrip::kLinkSingle);
    EXPECT_EQ(stripHost.Count("copy 3 7"), 1);
    EXPECT_EQ(g_LinkKey[7], GroupLinkKey(1));
    // A right click on a checked non-current output unchecks only its caption.
    Strip(7).SetCaptionChecked(true);
    Strip(7).OnLinkClick(COutputStrip::kLinkRight);
    EXPECT_FALSE(Checked(7));
    EXPECT_EQ(CheckedCaptions(), std::vector<int>{3});
    // A right click on an unchecked button changes nothing.
    const uint8_t before = OutputBlock(7)[kOutLinkGroupByte];
    Out(7).SetDynamicsDirty(0);
    Strip(7).OnLinkClick(COutputStrip::kLinkRight);
    EXPECT_EQ(Out(7).IsDynamicsDirty(), 0);
    EXPECT_EQ(OutputBlock(7)[kOutLinkGroupByte], before);
}

TEST_F(JointLinkTest, AllTwelveGroupsTakenTellsTheUserAndChangesNothing) {
    Boxes boxes;
    for (int& used : g_LinkGroupInUse)
        used = 1;
    Strip(4).OnLinkClick(COutputStrip::kLinkSingle);
    Strip(4).OnLinkClick(COutputStrip::kLinkDouble);
    EXPECT_FALSE(Checked(4));
    EXPECT_EQ(g_LinkKey[4], 4);
    EXPECT_EQ(g_CurrentOutput, 0);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text,
              QStringLiteral("All 12 link groups are in use. Please release a group first."));
}

TEST_F(JointLinkTest, TheLinkButtonReportsItsClicksToTheStrip) {
    // A right click reports on its release; a double click without the
    // single click first.
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent right(type, QPointF(2, 2), QPointF(2, 2), Qt::RightButton, Qt::RightButton,
                          Qt::NoModifier);
        QApplication::sendEvent(Strip(1).LinkButton(), &right);
    }
    QApplication::processEvents();
    EXPECT_EQ(Strip(1).LastLinkClick(), 0); // a right click leaves the last click
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Strip(1).LinkButton(), &dbl);
    QApplication::processEvents();
    EXPECT_EQ(Strip(1).LastLinkClick(), 2);
    EXPECT_TRUE(Checked(1));
    EXPECT_EQ(g_CurrentOutput, 1);
}

// ---------------------------------------------------------------------------
// The link-group menu and the joint-debug dialog
// ---------------------------------------------------------------------------

void SetMasks(COutputPage& page, std::initializer_list<std::initializer_list<int>> groups) {
    for (const auto& g : groups) {
        int m = 0;
        for (int o : g)
            m |= 1 << o;
        for (int o : g)
            page.Panel(o).mask = m;
    }
}

TEST_F(JointLinkTest, TheMenuOffersLeaveAndDissolveOnlyToALinkedOutput) {
    Strip(2).OpenLinkGroupMenu(QPoint());
    const std::vector<Item> alone = {{"New joint debug group", true},
                                     {"Join a joint debug group", true},
                                     {"Leave the joint debug group", false},
                                     {"Dissolve the joint debug group", false}};
    EXPECT_EQ(menuItems, alone);
    SetMasks(*page, {{1, 2, 3}});
    g_LanguageFlag = 1;
    Strip(2).OpenLinkGroupMenu(QPoint());
    ASSERT_EQ(menuItems.size(), 4u);
    EXPECT_EQ(menuItems[0].text, "生成新联调组");
    EXPECT_EQ(menuItems[3].text, "撤销联调组");
    EXPECT_TRUE(menuItems[2].enabled);
    // Outputs 9 to 12 have no masks: no menu.
    menuItems.clear();
    Strip(9).OpenLinkGroupMenu(QPoint());
    EXPECT_TRUE(menuItems.empty());
}

TEST_F(JointLinkTest, LeaveAndDissolveWriteMasksAndMaskKeys) {
    SetMasks(*page, {{1, 2, 3}, {5, 6}});
    g_CurrentOutput = 1;
    for (int i : {1, 2, 3})
        Strip(i).SetCaptionChecked(true);
    menuChoice = COutputStrip::kCmdLeaveJointGroup;
    Strip(2).OpenLinkGroupMenu(QPoint());
    EXPECT_EQ(page->Panel(2).mask, 1 << 2);
    EXPECT_EQ(page->Panel(1).mask, 0b1010);
    EXPECT_EQ(page->Panel(3).mask, 0b1010);
    EXPECT_EQ(g_LinkKey[2], MaskLinkKey(1 << 2));
    EXPECT_EQ(g_LinkKey[1], MaskLinkKey(0b1010));
    EXPECT_EQ(g_LinkKey[3], g_LinkKey[1]);
    // Output 2 was not current: only its caption goes.
    EXPECT_EQ(CheckedCaptions(), (std::vector<int>{1, 3}));

    menuChoice = COutputStrip::kCmdDissolveJointGroup;
    Strip(6).OpenLinkGroupMenu(QPoint());
    EXPECT_EQ(page->Panel(5).mask, 1 << 5);
    EXPECT_EQ(page->Panel(6).mask, 1 << 6);
    EXPECT_NE(g_LinkKey[5], g_LinkKey[6]);
    // A mask key never equals an output's own index.
    for (int i = 0; i < 12; ++i)
        for (int j = 0; j < 12; ++j)
            if (i != j) {
                EXPECT_NE(g_LinkKey[i], OutputLinkKey(j));
            }
}

using Row = CJointGroupsDialog::Row;
std::vector<std::pair<int, int>> IdsAndOutputs(const std::vector<Row>& rows) {
    std::vector<std::pair<int, int>> out;
    for (const Row& r : rows)
        out.emplace_back(r.id, r.output);
    return out;
}
using Pairs = std::vector<std::pair<int, int>>;

TEST_F(JointLinkTest, TheDialogOpensWithItsTextsAndListsInBothModes) {
    SetMasks(*page, {{0, 4}, {6, 7}});
    bool ran = false;
    Script<CJointGroupsDialog>([&](CJointGroupsDialog& d) {
        ran = true;
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Joint Debug Settings"));
        EXPECT_EQ(d.LeftHeading()->text(), QStringLiteral("Operable channel:"));
        EXPECT_EQ(d.RightHeading()->text(), QStringLiteral("joint debug relations:"));
        EXPECT_EQ(d.LeftList()->horizontalHeaderItem(1)->text(), QStringLiteral("Channel Name:"));
        EXPECT_EQ(IdsAndOutputs(d.RightRows()), (Pairs{{1, 3}}));
        EXPECT_EQ(d.LeftRows().front().name, QStringLiteral("Channel1"));
        EXPECT_EQ(d.LeftList()->item(0, 1)->text(), QStringLiteral("Channel1"));
        EXPECT_FALSE(d.Button(CJointGroupsDialog::IDC_ADD)->isHidden());
        for (int id : {CJointGroupsDialog::IDC_ADD_GROUP1, CJointGroupsDialog::IDC_ADD_GROUP2})
            EXPECT_TRUE(d.Button(id)->isHidden());
    });
    Strip(3).OnLinkGroupCommand(COutputStrip::kCmdNewJointGroup);
    EXPECT_TRUE(ran);

    ran = false;
    g_LanguageFlag = 1;
    Script<CJointGroupsDialog>([&](CJointGroupsDialog& d) {
        ran = true;
        EXPECT_EQ(d.windowTitle(), QStringLiteral("联调设置"));
        EXPECT_EQ(d.LeftHeading()->text(), QStringLiteral("可操作通道:"));
        EXPECT_EQ(IdsAndOutputs(d.LeftRows()), (Pairs{{1, 3}}));
        EXPECT_EQ(IdsAndOutputs(d.RightRows()), (Pairs{{1, 0}, {1, 4}, {2, 6}, {2, 7}}));
        EXPECT_EQ(d.RightRows().front().name, QStringLiteral("通道1"));
        EXPECT_TRUE(d.Button(CJointGroupsDialog::IDC_ADD)->isHidden());
        EXPECT_FALSE(d.Button(CJointGroupsDialog::IDC_ADD_GROUP1)->isHidden());
        EXPECT_FALSE(d.Button(CJointGroupsDialog::IDC_ADD_GROUP2)->isHidden());
        EXPECT_TRUE(d.Button(CJointGroupsDialog::IDC_ADD_GROUP3)->isHidden());
        EXPECT_FALSE(d.Button(CJointGroupsDialog::IDC_UNDO)->isHidden());
    });
    Strip(3).OnLinkGroupCommand(COutputStrip::kCmdJoinJointGroup);
    EXPECT_TRUE(ran);
}

TEST_F(JointLinkTest, AddingALinkedOutputAsksAboutItsPartners) {
    const QString question =
        QStringLiteral("Channel2 and channel5 channel7  joint debugging, whether to add "
                       "unselected joint debugging item?");
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes ? "yes" : "no");
        for (int i = 0; i < 8; ++i)
            page->Panel(i).mask = 1 << i;
        SetMasks(*page, {{1, 4, 6}});
        Boxes boxes(yes ? CMessageBox::Action::Ok : CMessageBox::Action::Cancel);
        Script<CJointGroupsDialog>([&](CJointGroupsDialog& d) {
            d.SelectOutputs(false, {1});
            d.OnAdd();
            ASSERT_EQ(boxes.shown.size(), 1u);
            EXPECT_EQ(boxes.shown[0].text, question);
            const Pairs moved = yes ? Pairs{{1, 3}, {1, 1}, {1, 4}, {1, 6}} : Pairs{{1, 3}, {1, 1}};
            EXPECT_EQ(IdsAndOutputs(d.RightRows()), moved);
            EXPECT_EQ(d.LeftRows().front().id, 1);
            EXPECT_TRUE(d.m_Changed);
            d.Button(CJointGroupsDialog::IDOK)->click();
        });
        Strip(3).OnLinkGroupCommand(COutputStrip::kCmdNewJointGroup);
        const int group = yes ? 0b1011010 : 0b1010;
        for (int o : {1, 3})
            EXPECT_EQ(page->Panel(o).mask, group) << o;
        // Answered no: the partners left outside keep each other only.
        if (!yes) {
            EXPECT_EQ(page->Panel(4).mask, 0b1010000);
            EXPECT_EQ(page->Panel(6).mask, 0b1010000);
        }
        // The result goes to the page: the keys become the masks.
        QApplication::processEvents();
        EXPECT_EQ(g_LinkKey[3], MaskLinkKey(group));
        EXPECT_EQ(g_LinkKey[1], MaskLinkKey(group));
    }
}

TEST_F(JointLinkTest, UndoRestoresTheOpeningListsAndOnlyAfterAChange) {
    SetMasks(*page, {{0, 4}});
    Script<CJointGroupsDialog>([&](CJointGroupsDialog& d) {
        const auto left = d.LeftRows(), right = d.RightRows();
        d.OnUndo(); // nothing changed: nothing happens
        EXPECT_EQ(d.LeftRows(), left);
        d.SelectOutputs(false, {2, 5});
        d.OnAdd();
        EXPECT_NE(d.RightRows(), right);
        d.Button(CJointGroupsDialog::IDC_UNDO)->click();
        EXPECT_EQ(d.LeftRows(), left);
        EXPECT_EQ(d.RightRows(), right);
        EXPECT_FALSE(d.m_Changed);
    });
    Strip(0).OnLinkGroupCommand(COutputStrip::kCmdNewJointGroup);
    // Closed without OK: the masks stay.
    EXPECT_EQ(page->Panel(0).mask, 0b10001);
    EXPECT_EQ(page->Panel(2).mask, 1 << 2);
}

TEST_F(JointLinkTest, JoinModeOkJoinsTheChosenGroupAndPostsItsFirstMember) {
    ConnectStrips();
    SetMasks(*page, {{0, 1}, {5, 6}});
    Band(5, 3).SetGainCode(300);
    Script<CJointGroupsDialog>([&](CJointGroupsDialog& d) {
        d.OnOk(); // no ">>n" yet: OK only closes
        EXPECT_EQ(d.result(), QDialog::Accepted);
    });
    Strip(3).OnLinkGroupCommand(COutputStrip::kCmdJoinJointGroup);
    EXPECT_EQ(page->Panel(3).mask, 1 << 3);

    Script<CJointGroupsDialog>([&](CJointGroupsDialog& d) {
        d.SelectOutputs(false, {3});
        d.Button(CJointGroupsDialog::IDC_ADD_GROUP2)->click();
        EXPECT_EQ(IdsAndOutputs(d.RightRows()), (Pairs{{1, 0}, {1, 1}, {2, 3}, {2, 5}, {2, 6}}));
        d.Button(CJointGroupsDialog::IDOK)->click();
    });
    Strip(3).OnLinkGroupCommand(COutputStrip::kCmdJoinJointGroup);
    for (int o : {3, 5, 6})
        EXPECT_EQ(page->Panel(o).mask, 0b1101000) << o;
    EXPECT_EQ(page->Panel(0).mask, 0b11);
    QApplication::processEvents();
    // Output 5's settings reached output 3.
    EXPECT_EQ(Band(3, 3).GetGainCode(), 300);
    EXPECT_EQ(g_LinkKey[3], g_LinkKey[5]);
}

TEST_F(JointLinkTest, NewGroupOkWithoutAChangeLeavesTheOutputAlone) {
    SetMasks(*page, {{2, 6}});
    Script<CJointGroupsDialog>(
        [&](CJointGroupsDialog& d) { d.Button(CJointGroupsDialog::IDOK)->click(); });
    Strip(4).OnLinkGroupCommand(COutputStrip::kCmdNewJointGroup);
    EXPECT_EQ(page->Panel(4).mask, 1 << 4);
    EXPECT_EQ(page->Panel(2).mask, 0b1000100);
}

// ---------------------------------------------------------------------------
// The pair and group-number dialogs, the mouse-less list
// ---------------------------------------------------------------------------

TEST(PairDialogTest, TextsPerPairAndTheChoice) {
    struct Case {
        int pair;
        int language;
        const char* first;
        const char* second;
        const char* caption;
    };
    const Case cases[] = {
        {0, 0, "CH1 be applied?", "CH2 be applied? ", "Linking of CH1 and CH2 channel"},
        {1, 0, "CH3 be applied? ", "CH4 be applied? ", "Linking of CH3 and CH4 channel"},
        {2, 0, "CH5 be applied? ", "CH6 be applied? ", "Linking of CH5 and CH6 channel"},
        {3, 0, "First channel be applied?", "Second channel be applied?", "Link"},
        {-1, 0, "First channel be applied?", "Second channel be applied?", "Link"},
        {0, 1, "是否应用CH1?", "是否应用CH2?", "CH1与CH2通道联动"},
        {2, 1, "是否应用CH5?", "是否应用CH6?", "CH5与CH6通道联动"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pair);
        g_LanguageFlag = c.language;
        CPairLinkDialog d;
        d.m_Pair = c.pair;
        d.InitDialog();
        EXPECT_EQ(d.First()->text(), QString::fromUtf8(c.first));
        EXPECT_EQ(d.Second()->text(), QString::fromUtf8(c.second));
        EXPECT_EQ(d.windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_TRUE(d.First()->isChecked());
    }
    g_LanguageFlag = 0;
    EXPECT_EQ(CPairLinkDialog().Question()->text(), QString());

    // A click of a radio button is taken at once; OK keeps it, Cancel too.
    for (const bool ok : {true, false}) {
        CPairLinkDialog d;
        d.m_Pair = 1;
        ctl::SetModalScript([&](QDialog&) {
            d.Second()->click();
            EXPECT_EQ(d.m_Choice, 1);
            (ok ? d.OkButton() : d.CancelButton())->click();
        });
        EXPECT_EQ(d.DoModal(), ok ? CPairLinkDialog::IDOK : CPairLinkDialog::IDCANCEL);
        EXPECT_EQ(d.m_Choice, 1);
        ctl::SetModalScript({});
    }
}

TEST(GroupNumberDialogTest, ButtonsFromTheFlagsAndTheResult) {
    for (const int language : {0, 1}) {
        g_LanguageFlag = language;
        CJoinGroupDialog d;
        d.m_Enabled[1] = 0;
        d.m_Result = 3;
        d.InitDialog();
        EXPECT_EQ(d.m_Result, 0);
        EXPECT_EQ(d.windowTitle(),
                  language ? QStringLiteral("加入联调组") : QStringLiteral("Join Group"));
        EXPECT_EQ(d.Prompt()->text(),
                  language ? QStringLiteral("请选择要加入的联调组:")
                           : QStringLiteral("Please select the group you want to join:"));
        for (int n = 1; n <= 4; ++n) {
            EXPECT_EQ(d.GroupButton(n)->text(), QString::number(n));
            EXPECT_EQ(d.GroupButton(n)->isEnabled(), n != 2) << n;
        }
    }
    g_LanguageFlag = 0;
    for (int n = 1; n <= 4; ++n) {
        CJoinGroupDialog d;
        ctl::SetModalScript([&](QDialog&) { d.GroupButton(n)->click(); });
        EXPECT_EQ(d.DoModal(), CJoinGroupDialog::IDOK);
        EXPECT_EQ(d.m_Result, n);
    }
    // Closed without a choice: 0.
    CJoinGroupDialog d;
    ctl::SetModalScript([](QDialog&) {});
    EXPECT_EQ(d.DoModal(), CJoinGroupDialog::IDCANCEL);
    EXPECT_EQ(d.m_Result, 0);
    ctl::SetModalScript({});
}

TEST(JointGroupListTest, TheMouseSelectsNothing) {
    CJointGroupList list(3, 2);
    list.resize(200, 120);
    for (int r = 0; r < 3; ++r)
        list.setItem(r, 0, new QTableWidgetItem(QString::number(r)));
    const QPoint at = list.visualItemRect(list.item(1, 0)).center();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonDblClick}) {
        QMouseEvent e(type, at, list.viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &e);
    }
    EXPECT_TRUE(list.selectedItems().isEmpty());
    EXPECT_EQ(list.currentRow(), -1);
    // The caller may still select.
    list.selectRow(2);
    EXPECT_EQ(list.selectedItems().size(), 1);
}

} // namespace
