#include "controls/MessageBox.h"

#include "model/Globals.h"

#include "tests/platform/GuiTestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>

#include <vector>

namespace {

using Action = CMessageBox::Action;

// Answers every box with one action and keeps what the boxes showed.
class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = CMessageBox::SetResponder([this](const CMessageBox::Shown& s) {
            shown.push_back(s);
            lockFree.push_back(DeviceLockFreeForOthers());
            return answer;
        });
    }
    void TearDown() override {
        CMessageBox::SetResponder(previous_);
        g_LanguageFlag = 0;
    }

    Action answer = Action::Ok;
    std::vector<CMessageBox::Shown> shown;
    std::vector<bool> lockFree;

private:
    CMessageBox::Responder previous_;
};

TEST_F(MessageBoxTest, CaptionsButtonsAndClosingByTheThirdValue) {
    struct Case {
        unsigned type;
        int ms;
        int language;
        const char* caption;
        QStringList buttons;
        int autoClose;
    };
    const Case cases[] = {
        {0, 2000, 0, "Prompting", {"OK"}, 2000},
        {0, 2000, 1, "提示", {"确定"}, 2000},
        {0, 2001, 0, "Warning", {"OK"}, 2001},
        {0, 2001, 1, "警告", {"确定"}, 2001},
        {4, -3, 0, "Prompting", {"YES", "NO"}, 0}, // caption codes ignore the language
        {4, -3, 1, "Prompting", {"是", "否"}, 0},
        {4, -2, 0, "提示", {"YES", "NO"}, 0},
        {0, -4, 0, "警告", {"OK"}, 0},
        {0, -5, 1, "Warning", {"确定"}, 0},
        {0, 0, 0, "Quellmark", {"OK"}, 0},       // no value: the product title, no closing
        {0, 5000, 0, "Quellmark", {"OK"}, 5000}, // any other time closes, the title stays
        {0, -106, 0, "Quellmark", {"OK"}, 0},    // other negative values never close
        {1, 0, 1, "Quellmark", {"确定", "取消"}, 0},
        {6, 0, 0, "Quellmark", {"Quit"}, 0},
        {0x30, -2, 1, "提示", {"OK", "Cancel"}, 0}, // icon bits: the template's buttons
    };
    for (const Case& c : cases) {
        shown.clear();
        g_LanguageFlag = c.language;
        CMessageBox::Show(QStringLiteral("text"), c.type, c.ms);
        ASSERT_EQ(shown.size(), 1u);
        const std::string label = std::to_string(c.type) + "/" + std::to_string(c.ms);
        EXPECT_EQ(shown[0].caption, QString::fromUtf8(c.caption)) << label;
        QStringList want;
        for (const QString& b : c.buttons)
            want << QString::fromUtf8(b.toLatin1());
        EXPECT_EQ(shown[0].buttons.size(), c.buttons.size()) << label;
        for (int i = 0; i < std::min(shown[0].buttons.size(), c.buttons.size()); ++i)
            EXPECT_EQ(shown[0].buttons[i].toStdString(), c.buttons[i].toStdString()) << label;
        EXPECT_EQ(shown[0].autoCloseMs, c.autoClose) << label;
        EXPECT_EQ(shown[0].text, QStringLiteral("text"));
    }
}

TEST_F(MessageBoxTest, AnswersByButtonKeyAndTimer) {
    struct Case {
        unsigned type;
        int ms;
        Action action;
        int result;
    };
    const Case cases[] = {
        {0, 0, Action::Ok, IDOK},
        {0, 0, Action::Escape, IDOK},
        {0, 0, Action::Close, IDOK},
        {0, 0, Action::Enter, IDOK},
        {0, 2000, Action::Timeout, IDOK},
        {4, -3, Action::Ok, IDYES},
        {4, -3, Action::Enter, IDYES},
        {4, -3, Action::Escape, IDNO},
        {4, -3, Action::Cancel, IDNO},
        {4, 2001, Action::Timeout, IDNO},
        {4, -3, Action::Timeout, 0}, // a caption code arms no timer: no answer
        {1, 0, Action::Ok, IDOK},
        {1, 0, Action::Cancel, IDCANCEL},
        {1, 900, Action::Timeout, IDCANCEL},
        {6, 0, Action::Enter, IDCANCEL},
        {6, 0, Action::Cancel, IDCANCEL},
        {6, 0, Action::Ok, 0}, // the OK button is hidden
        {0x34, 0, Action::Ok, IDOK},
        {0x34, 0, Action::Cancel, IDCANCEL},
    };
    for (const Case& c : cases) {
        answer = c.action;
        EXPECT_EQ(CMessageBox::Show(QStringLiteral("?"), c.type, c.ms), c.result)
            << c.type << "/" << c.ms << "/" << static_cast<int>(c.action);
    }
}

TEST_F(MessageBoxTest, ASingleButtonIsCentred) {
    answer = Action::Ok;
    CMessageBox::SetResponder([](const CMessageBox::Shown&) {
        for (QWidget* w : QApplication::allWidgets()) {
            auto* box = qobject_cast<QDialog*>(w);
            if (!box) continue;
            for (QPushButton* b : box->findChildren<QPushButton*>()) {
                if (!b->isHidden()) {
                    EXPECT_EQ(b->x(), (box->width() - b->width()) / 2);
                }
            }
        }
        return Action::Ok;
    });
    CMessageBox::Show(QStringLiteral("one"), 0, 0);
    CMessageBox::Show(QStringLiteral("quit"), 6, 0);
}

// The text keeps a margin from the box's edges and its wrapped lines fit the
// space above the buttons, in both languages.
TEST_F(MessageBoxTest, TheTextFitsInsideTheBoxWithMargins) {
    const char* const texts[] = {
        "Validation failure,password error",
        "The password length is incorrect! Please enter a 8-digit password!",
        "输入密码格式不正确!请输入8位数密码!",
        "Data exception, do you want to restore the default data?",
    };
    constexpr int kMargin = 8;
    int looked = 0;
    CMessageBox::SetResponder([&](const CMessageBox::Shown& s) {
        for (QWidget* w : QApplication::allWidgets()) {
            auto* box = dynamic_cast<CMessageBox*>(w);
            if (!box) continue;
            for (QLabel* label : box->findChildren<QLabel*>()) {
                ++looked;
                const QRect r = label->geometry();
                EXPECT_GE(r.left(), kMargin) << s.text.toStdString();
                EXPECT_LE(r.right(), box->width() - 1 - kMargin) << s.text.toStdString();
                const QRect need = label->fontMetrics().boundingRect(
                    QRect(0, 0, r.width(), 1000), Qt::AlignHCenter | Qt::TextWordWrap, s.text);
                EXPECT_LE(need.width(), r.width()) << s.text.toStdString();
                EXPECT_LE(need.height(), r.height()) << s.text.toStdString();
                for (QPushButton* b : box->findChildren<QPushButton*>()) {
                    if (!b->isHidden()) {
                        EXPECT_LE(r.bottom(), b->y()) << s.text.toStdString();
                    }
                }
            }
        }
        return Action::Ok;
    });
    for (int language : {0, 1}) {
        g_LanguageFlag = language;
        for (const char* text : texts)
            CMessageBox::Show(QString::fromUtf8(text), 0, 2000);
    }
    EXPECT_EQ(looked, 8);
}

TEST_F(MessageBoxTest, TheInputPageWayReadsTheResultMember) {
    answer = Action::Ok;
    CMessageBox box;
    box.SetMessage(QStringLiteral("Reset?"), 4, QStringLiteral("ignored"), -3);
    box.DoModal();
    EXPECT_EQ(box.Result(), IDYES);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, QStringLiteral("Prompting"));
}

TEST_F(MessageBoxTest, ShowMessageBoxIsTheBoxUnderTheProgramsName) {
    answer = Action::Ok;
    EXPECT_EQ(ShowMessageBox(nullptr, "连接失败", "", MB_YESNO, 0, -2), IDYES);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QString::fromUtf8("连接失败"));
    EXPECT_EQ(shown[0].caption, QString::fromUtf8("提示"));
    answer = Action::Escape;
    EXPECT_EQ(ShowMessageBox(nullptr, "lost", "ignored", MB_YESNO, 1, 0), IDNO);
    EXPECT_EQ(shown[1].caption, QStringLiteral("Quellmark"));
}

// The model only says why it refused a text; these boxes tell the user, one
// each, in order, as the program always has (product title, OK, no closing),
// and only once the operation has let go of the model's lock.
TEST_F(MessageBoxTest, RefusedTextsAreShownInOrderOnceTheLockIsFree) {
    Watchdog dog(30);
    for (int language : {0, 1}) {
        shown.clear();
        lockFree.clear();
        g_LanguageFlag = language;
        {
            CTextFieldMessages refused;
            DeviceLockGuard lock(g_DeviceLock);
            refused.Add(TextFieldError::TooLong);
            refused.Add(TextFieldError::None);
            refused.Add(TextFieldErrors{TextFieldError::Invalid, TextFieldError::TooLong});
            refused.Errors()->push_back(TextFieldError::Invalid);
            EXPECT_TRUE(shown.empty()); // nothing while the operation runs
        }
        const char* tooLong = language ? "字符长度错误!" : "Char len error!";
        const char* invalid = language ? "字符无效!" : "Invalid characters!";
        const std::vector<const char*> want = {tooLong, invalid, tooLong, invalid};
        ASSERT_EQ(shown.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(shown[i].text, QString::fromUtf8(want[i])) << i;
            EXPECT_EQ(shown[i].caption, QStringLiteral("Quellmark")) << i;
            EXPECT_EQ(shown[i].buttons, QStringList{QString::fromUtf8(language ? "确定" : "OK")})
                << i;
            EXPECT_EQ(shown[i].autoCloseMs, 0) << i;
            EXPECT_TRUE(lockFree[i]) << i;
        }
    }
    // Nothing refused, nothing shown.
    shown.clear();
    { CTextFieldMessages none; }
    EXPECT_TRUE(shown.empty());
}

TEST(MessageBoxTimerTest, ABoxClosesItselfAnsweringAsItsNegativeButton) {
    Watchdog dog(30);
    struct Case {
        unsigned type;
        int result;
    };
    for (const Case& c : {Case{4, IDNO}, Case{0, IDOK}, Case{1, IDCANCEL}}) {
        QElapsedTimer t;
        t.start();
        EXPECT_EQ(CMessageBox::Show(QStringLiteral("closing"), c.type, 60), c.result);
        EXPECT_GE(t.elapsed(), 55);
    }
}

} // namespace
