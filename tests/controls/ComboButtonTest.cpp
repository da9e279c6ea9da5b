#include "controls/DropListButton.h"

#include "tests/controls/SkinTestSupport.h"

#include <QKeyEvent>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

using skintest::Message;
using skintest::Parent;

constexpr int kNotifyId = 2820;

class ComboButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent.move(0, 0);
        parent.resize(800, 600);
        parent.show();
        button = new CDropListButton(&parent, 4705);
        button->move(100, 100);
        button->SetBitmaps(594, 595);
        button->CreateDropList(&parent, kNotifyId);
        for (const char* s : {"Optical", "Phone", "Player", "AUX", "Hi.Level"})
            button->AddString(QString::fromLatin1(s));
    }

    CDropListBox* List() { return button->DropWindow()->List(); }
    void Open() {
        skintest::Press(button, {5, 5});
        QCoreApplication::processEvents();
        ASSERT_TRUE(button->DropWindow()->isVisible());
    }
    QPoint ItemCentre(int row) { return List()->visualItemRect(List()->item(row)).center(); }

    Parent parent;
    CDropListButton* button = nullptr;
};

TEST(ComboButtonPlacementTest, TheListOpensBelowTheButtonOrAboveWhenTheWorkAreaEnds) {
    struct Case {
        QRect button;
        QRect workArea;
        int count;
        QRect want;
    };
    const QRect screen(0, 0, 800, 600);
    const Case cases[] = {
        // One pixel over the button's bottom edge, n items of 14 pixels.
        {{100, 100, 96, 19}, screen, 3, {100, 118, 96, 43}},
        // At most 130 pixels; an empty list opens that high too.
        {{100, 100, 96, 19}, screen, 10, {100, 118, 96, 131}},
        {{100, 100, 96, 19}, screen, 0, {100, 118, 96, 131}},
        // Exactly reaching the bottom of the work area still opens below.
        {{100, 539, 96, 19}, screen, 3, {100, 557, 96, 43}},
        // One more pixel and it opens above, its bottom at the button's top.
        {{100, 540, 96, 19}, screen, 3, {100, 498, 96, 42}},
        {{100, 500, 96, 19}, screen, 10, {100, 370, 96, 130}},
        // The work area, not the screen, counts (a panel at the bottom).
        {{100, 400, 96, 19}, {0, 0, 800, 540}, 10, {100, 270, 96, 130}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CDropListButton::DropRect(c.button, c.workArea, 96, 14, c.count), c.want)
            << c.button.y() << " count " << c.count;
}

TEST_F(ComboButtonTest, TheListOpensWhereThePlacementSays) {
    EXPECT_EQ(List()->ItemHeight(), 14);
    const QRect area = button->screen()->availableGeometry();
    for (int y : {100, area.bottom() - 30}) {
        button->move(100, y);
        Open();
        const QRect global(button->mapToGlobal(QPoint(0, 0)), button->size());
        EXPECT_EQ(button->DropWindow()->geometry(),
                  CDropListButton::DropRect(global, area, button->width(), 14, 5))
            << y;
        button->DropWindow()->hide();
    }
}

TEST_F(ComboButtonTest, SetCurSelClampsShowsTheItemAndPostsNothing) {
    struct Case {
        int index, selected;
        const char* caption;
    };
    const Case cases[] = {{2, 2, "Player"}, {-5, 0, "Optical"}, {99, 4, "Hi.Level"}};
    for (const Case& c : cases) {
        button->SetCurSel(c.index);
        EXPECT_EQ(button->GetCurSel(), c.selected) << c.index;
        EXPECT_EQ(button->text(), QString::fromLatin1(c.caption)) << c.index;
    }
    EXPECT_TRUE(skintest::Take(parent, WM_DROP_CHOICE).empty());
}

TEST_F(ComboButtonTest, AnEmptyListShowsAnEmptyCaptionAndNoSelection) {
    button->SetCurSel(1);
    button->ResetContent();
    EXPECT_EQ(button->GetCount(), 0);
    button->SetCurSel(0);
    EXPECT_EQ(button->GetCurSel(), -1);
    EXPECT_EQ(button->text(), QString());
    skintest::Wheel(button, -120); // nothing to step to
    EXPECT_TRUE(skintest::Take(parent, WM_DROP_CHOICE).empty());
    button->AddString(QStringLiteral("A"));
    EXPECT_EQ(button->GetCount(), 1);
}

TEST_F(ComboButtonTest, ChoosingAnItemPostsExactlyOneChoice) {
    button->SetCurSel(0);
    Open();
    skintest::Move(List()->viewport(), ItemCentre(3));
    skintest::Click(List()->viewport(), ItemCentre(3));
    EXPECT_FALSE(button->DropWindow()->isVisible());
    EXPECT_EQ(skintest::Take(parent, WM_DROP_CHOICE),
              (std::vector<Message>{{WM_DROP_CHOICE, kNotifyId, 3}}));
    EXPECT_EQ(button->text(), QStringLiteral("AUX"));
    EXPECT_EQ(button->GetCurSel(), 3);
    EXPECT_EQ(List()->GetCommittedSel(), 3);
    QCoreApplication::processEvents();
    EXPECT_TRUE(skintest::Take(parent, WM_DROP_CHOICE).empty());
}

TEST_F(ComboButtonTest, ThePressThatOpensTheListDoesNotChooseFromIt) {
    button->SetCurSel(0);
    Open();
    // Its release may land on the list (it overlaps the button by a pixel).
    skintest::Release(List()->viewport(), ItemCentre(0));
    EXPECT_TRUE(button->DropWindow()->isVisible());
    EXPECT_TRUE(skintest::Take(parent, WM_DROP_CHOICE).empty());
}

TEST_F(ComboButtonTest, ClosingTheListElsewherePostsNothing) {
    button->SetCurSel(1);
    Open();
    skintest::Move(List()->viewport(), ItemCentre(4)); // the selection follows the pointer
    EXPECT_EQ(button->GetCurSel(), 4);
    skintest::Press(button->DropWindow(), {-40, -40});
    EXPECT_FALSE(button->DropWindow()->isVisible());
    EXPECT_TRUE(skintest::Take(parent, WM_DROP_CHOICE).empty());
    EXPECT_EQ(button->text(), QStringLiteral("Phone"));
}

TEST_F(ComboButtonTest, AKeyInTheListClosesItAndKeepsTheCommittedChoice) {
    button->SetCurSel(2);
    Open();
    skintest::Move(List()->viewport(), ItemCentre(2));
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(List(), &down);
    EXPECT_FALSE(button->DropWindow()->isVisible());
    EXPECT_EQ(button->GetCurSel(), 0); // the committed choice, none made yet
    EXPECT_TRUE(skintest::Take(parent, WM_DROP_CHOICE).empty());
}

TEST_F(ComboButtonTest, WheelStepsOneItemPerNotch) {
    struct Step {
        int delta;
        bool posted;
        int selected;
    };
    button->SetCurSel(3);
    const Step steps[] = {
        {-120, true, 4}, // towards the user: the next item
        {-120, true, 4}, // at the end: reported again, unchanged
        {-60, false, 4}, // half a notch waits
        {120, false, 4}, // a notch the other way leaves half a notch up
        {60, true, 3},   // which the next half completes
        {360, true, 2},  // a fast turn is still one step
        {120, true, 1},  {120, true, 0}, {120, true, 0},
    };
    for (const Step& s : steps) {
        skintest::Wheel(button, s.delta);
        const std::vector<Message> got = skintest::Take(parent, WM_DROP_CHOICE);
        const std::vector<Message> want =
            s.posted ? std::vector<Message>{{WM_DROP_CHOICE, kNotifyId, s.selected}}
                     : std::vector<Message>{};
        EXPECT_EQ(got, want) << "delta " << s.delta;
        EXPECT_EQ(button->GetCurSel(), s.selected) << "delta " << s.delta;
    }
    EXPECT_EQ(List()->GetCommittedSel(), 0); // the wheel does not commit
}

TEST_F(ComboButtonTest, CaptionColourAndFontFollowTheLook) {
    using Font = CDropListButton::FontKind;
    struct Case {
        int id;
        bool enabled, hover;
        bool warning, struckOut; // what the owner tells the button
        unsigned bitmap;
        Font font;
        QColor colour;
    };
    const QColor white(255, 255, 255), red(255, 0, 0), grey(155, 155, 155);
    const Case cases[] = {
        {4705, true, false, false, false, 594, Font::Normal, white},
        {4705, true, true, false, false, 595, Font::Normal, white},
        {4705, false, true, false, false, 0, Font::Own, grey},
        {4706, false, false, true, true, 0, Font::Own, grey}, // disabled wins over the warning
        {4706, true, false, false, false, 594, Font::Normal, white},
        {4706, true, false, true, true, 594, Font::StruckOut, red},
        {4706, true, false, true, false, 594, Font::Normal, red}, // "OFF" chosen
        {4706, true, true, true, true, 595, Font::Normal, white}, // hover wins over the warning
    };
    for (const Case& c : cases) {
        CDropListButton b(&parent, c.id);
        b.SetBitmaps(594, 595);
        b.SetHoverLook(c.hover);
        b.setEnabled(c.enabled);
        b.SetWarning(c.warning, c.struckOut);
        const CDropListButton::Shown shown = b.Current();
        const std::string label = "case " + std::to_string(&c - cases);
        EXPECT_EQ(shown.bitmap, c.bitmap) << label;
        EXPECT_EQ(shown.font, c.font) << label;
        EXPECT_EQ(shown.textColor, c.colour) << label;
    }
}

TEST_F(ComboButtonTest, MovesAreReportedWhileTheButtonHasNoFocus) {
    button->EnableMoveNotify(true);
    skintest::Move(button, {4, 4}, Qt::NoButton, Qt::ControlModifier);
    skintest::Move(button, {4, 4});
    EXPECT_EQ(skintest::Take(parent, WM_CONTROL_HOVER),
              (std::vector<Message>{{WM_CONTROL_HOVER, MK_CONTROL, 4705}}));
    EXPECT_TRUE(button->IsHover());
}

} // namespace
