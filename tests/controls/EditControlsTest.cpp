#include "controls/EditControls.h"

#include <QApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

void Type(QLineEdit& edit, const QString& text) {
    for (QChar c : text) {
        QKeyEvent e(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&edit, &e);
    }
}

// What the name field holds after typing into it, as its GBK bytes count.
TEST(NameEditTest, DoubleByteCharactersStartAtEvenByteOffsets) {
    struct Case {
        const char* before;
        const char* typed;
        bool align;
        int limit;
        const char* want;
    };
    const Case cases[] = {
        {"ab", "中", true, 13, "ab中"},
        {"abc", "中", true, 13, "abc 中"},
        {"", "中文", true, 13, "中文"},
        {"a", "中文", true, 13, "a 中文"}, // one space keeps both aligned
        {"中", "a中", true, 13, "中a 中"},
        {"abc", "中", false, 13, "abc"}, // without alignment the character is refused
        {"abc", "d", false, 13, "abcd"},
        // The limit counts bytes, the alignment space among them.
        {"abcdefghijk", "中", true, 13, "abcdefghijk"}, // 11 + space + 2 = 14
        {"abcdefghij", "中", true, 13, "abcdefghij中"}, // 10 + 2 = 12
        {"abcdefghijkl", "m", true, 13, "abcdefghijklm"},
        {"abcdefghijklm", "n", true, 13, "abcdefghijklm"},
        {"中文中文中文", "中", true, 13, "中文中文中文"}, // 12 + 2
        // Characters GBK cannot hold never reach the device's name.
        {"ab", "\xF0\x9F\x8E\xB5", true, 13, "ab"},
    };
    for (const Case& c : cases) {
        CPresetNameEdit edit;
        edit.SetLimitText(c.limit);
        edit.EnableDbcsAlign(c.align);
        edit.setText(QString::fromUtf8(c.before));
        edit.end(false);
        edit.TypeText(QString::fromUtf8(c.typed));
        EXPECT_EQ(edit.text(), QString::fromUtf8(c.want)) << c.before << " + " << c.typed;
        EXPECT_LE(CPresetNameEdit::GbkLength(edit.text()), c.limit);
    }
}

TEST(NameEditTest, TypingOverASelectionCountsOnlyTheBytesThatStay) {
    CPresetNameEdit edit;
    edit.SetLimitText(13);
    edit.setText(QStringLiteral("abcd"));
    edit.setSelection(3, 1); // "d" goes: three bytes stay, the character needs a space
    edit.TypeText(QStringLiteral("中"));
    EXPECT_EQ(edit.text(), QStringLiteral("abc 中"));
}

TEST(NameEditTest, KeysAndPastingKeepTheRules) {
    CPresetNameEdit edit;
    edit.SetLimitText(6);
    Type(edit, QStringLiteral("x中"));
    EXPECT_EQ(edit.text(), QStringLiteral("x 中"));
    edit.clear();
    edit.insert(QStringLiteral("中文中文")); // 8 bytes: over the limit
    EXPECT_EQ(edit.text(), QString());
    edit.insert(QStringLiteral("ab\U0001F3B5")); // not GBK
    EXPECT_EQ(edit.text(), QString());
    edit.insert(QStringLiteral("中文"));
    EXPECT_EQ(edit.text(), QStringLiteral("中文"));
}

TEST(PassWordEditTest, AcceptsOnlyLettersAndDigits) {
    CPasswordEdit edit;
    Type(edit, QStringLiteral("a1# Zé9"));
    EXPECT_EQ(edit.text(), QStringLiteral("a1Z9"));
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QApplication::sendEvent(&edit, &back);
    EXPECT_EQ(edit.text(), QStringLiteral("a1Z"));
}

} // namespace
