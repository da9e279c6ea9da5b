#include "platform/SpeakerTypeMenu.h"
#include "platform/UiGlobals.h"

#include "model/SpeakerTypes.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

namespace {

TEST(UiGlobalsTest, DialogBrushAndCurveColours) {
    EXPECT_EQ(g_DialogBkBrush.color(), QColor(227, 228, 238));
    EXPECT_EQ(g_DialogBkBrush.style(), Qt::SolidPattern);
    EXPECT_EQ(QColor::fromRgba(g_EffectCurveArgb), QColor(255, 0, 0, 220));
    EXPECT_EQ(QColor::fromRgba(g_OutCurveArgb[0]), QColor(255, 0, 0, 255));
    EXPECT_EQ(QColor::fromRgba(g_OutCurveArgb[10]), QColor(50, 0, 255, 150));
    EXPECT_EQ(QColor::fromRgba(g_OutCurveArgb[11]), QColor(0, 50, 255, 100));
    EXPECT_EQ(QColor::fromRgba(g_MusicCurveArgb[1]), QColor(223, 18, 123));
    EXPECT_EQ(QColor::fromRgba(g_GraphCurveArgb), QColor(234, 120, 0));
}

TEST(UiGlobalsTest, LanguageFollowsAChineseLocale) {
    struct Case {
        const char* locale;
        int flag;
    };
    const Case cases[] = {{"zh_CN", 1}, {"zh_TW", 1}, {"zh_HK", 1}, {"en_US", 0},
                          {"de_DE", 0}, {"ja_JP", 0}, {"C", 0}};
    for (const Case& c : cases)
        EXPECT_EQ(LanguageFromLocale(QLocale(QString::fromLatin1(c.locale))), c.flag) << c.locale;
}

struct MenuItem {
    int type;
    const char* path[3]; // submenu titles down to the item, Chinese
    const char* pathEn[3];
};

TEST(SpeakerTypeMenuTest, EveryTypeHasItsItemAndCommandInBothLanguages) {
    const MenuItem items[] = {
        {0, {"空"}, {"NULL"}},
        {1, {"前置", "左", "高频"}, {"Front", "Left", "Tweeter"}},
        {4, {"前置", "左", "中高频"}, {"Front", "Left", "Midrange Tweeter"}},
        {6, {"前置", "左", "全频"}, {"Front", "Left", "Full"}},
        {11, {"前置", "右", "中低频"}, {"Front", "Right", "Midrange Woofer"}},
        {14, {"后置", "左", "低频"}, {"Rear", "Left", "Woofer"}},
        {18, {"后置", "右", "全频"}, {"Rear", "Right", "Full"}},
        {19, {"中置", "高频"}, {"Center", "Tweeter"}},
        {22, {"超低", "左超低"}, {"Subwoofer", "L-Subwoofer"}},
        {24, {"超低", "超低"}, {"Subwoofer", "Subwoofer"}},
    };
    for (bool chinese : {true, false}) {
        auto popup = platform::BuildSpeakerTypeMenu(chinese);
        for (int type = 0; type < kSpeakerTypeCount; ++type) {
            QAction* a = platform::SpeakerTypeAction(popup.get(), type);
            ASSERT_NE(a, nullptr) << type;
            EXPECT_EQ(platform::SpeakerTypeCommand(a), kSpeakerTypeCommandBase + type);
        }
        EXPECT_EQ(platform::SpeakerTypeAction(popup.get(), 25), nullptr);
        EXPECT_EQ(platform::SpeakerTypeAction(popup.get(), -1), nullptr);
        for (const MenuItem& item : items) {
            // Walk the titles from the popup down and land on the type's item.
            const char* const* path = chinese ? item.path : item.pathEn;
            QMenu* menu = popup.get();
            QAction* found = nullptr;
            for (int depth = 0; depth < 3 && path[depth]; ++depth) {
                found = nullptr;
                for (QAction* a : menu->actions())
                    if (a->text() == QString::fromUtf8(path[depth])) found = a;
                ASSERT_NE(found, nullptr) << item.type << " " << path[depth];
                if (found->menu()) menu = found->menu();
            }
            EXPECT_EQ(found, platform::SpeakerTypeAction(popup.get(), item.type)) << item.type;
        }
    }
}

TEST(SpeakerTypeMenuTest, TheGlobalMenuIsReloadedInTheLanguage) {
    LoadPopupMenu(kSpeakerMenuChinese);
    ASSERT_NE(g_PopupMenu, nullptr);
    EXPECT_EQ(g_PopupMenu->actions().first()->text(), QString::fromUtf8("空"));
    LoadPopupMenu(kSpeakerMenuEnglish);
    EXPECT_EQ(g_PopupMenu->actions().first()->text(), QStringLiteral("NULL"));
    EXPECT_EQ(platform::SpeakerTypeCommand(platform::SpeakerTypeAction(g_PopupMenu, 12)), 4112);
}

} // namespace
