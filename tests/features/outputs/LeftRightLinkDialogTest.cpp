// The L/R link question: its texts in both languages, the direction taken
// from the radio buttons, and how a test answers it.
#include "features/outputs/LeftRightLinkDialog.h"

#include "controls/ButtonRadio.h"
#include "controls/StaticControls.h"
#include "model/Globals.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace {

class LeftRightLinkDialogTest : public ::testing::Test {
protected:
    void TearDown() override {
        CLeftRightLinkDialog::SetResponder(nullptr);
        g_LanguageFlag = 0;
    }
};

TEST_F(LeftRightLinkDialogTest, TextsAndCaptionInBothLanguages) {
    struct Case {
        int language;
        const char* caption;
        const char* ok;
        const char* cancel;
        const char* leftToRight;
        const char* rightToLeft;
        const char* note;
    };
    const Case cases[] = {
        {0, "Prompting", "OK", "Cancel", "Copy from left to right", "Copy from right to left ",
         "Need to synchronize the data transfer, \nplease select sync mode"},
        {1, "提示", "确定", "取消", "从左复制到右", "从右复制到左",
         "联调前需要同步左右通道的数据,\n请选择同步方式"},
    };
    for (const Case& c : cases) {
        g_LanguageFlag = c.language;
        CLeftRightLinkDialog dialog;
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("L/R Link"));
        dialog.InitDialog();
        EXPECT_EQ(dialog.windowTitle().toStdString(), c.caption);
        EXPECT_EQ(dialog.OkButton()->text().toStdString(), c.ok);
        EXPECT_EQ(dialog.CancelButton()->text().toStdString(), c.cancel);
        EXPECT_EQ(dialog.LeftToRight()->text().toStdString(), c.leftToRight);
        EXPECT_EQ(dialog.RightToLeft()->text().toStdString(), c.rightToLeft);
        EXPECT_EQ(dialog.Note()->text().toStdString(), c.note);
        // Left to right is chosen at the start.
        EXPECT_TRUE(dialog.LeftToRight()->isChecked());
        EXPECT_EQ(dialog.m_Direction, 0);
    }
}

TEST_F(LeftRightLinkDialogTest, TheDirectionFollowsTheRadioButtonsAndOkOrCancelAnswers) {
    struct Case {
        bool rightToLeft; // the radio clicked in the dialog
        int answer;
        int result;
        int direction;
    };
    const Case cases[] = {
        {false, CLeftRightLinkDialog::IDOK, CLeftRightLinkDialog::IDOK, 0},
        {true, CLeftRightLinkDialog::IDOK, CLeftRightLinkDialog::IDOK, 1},
        {true, CLeftRightLinkDialog::IDCANCEL, CLeftRightLinkDialog::IDCANCEL,
         1}, // a click is taken at once
    };
    for (const Case& c : cases) {
        CLeftRightLinkDialog::SetResponder([&](CLeftRightLinkDialog& d) {
            (c.rightToLeft ? d.RightToLeft() : d.LeftToRight())->click();
            return c.answer;
        });
        CLeftRightLinkDialog dialog;
        EXPECT_EQ(dialog.DoModal(), c.result);
        EXPECT_EQ(dialog.m_Direction, c.direction);
    }
}

} // namespace
