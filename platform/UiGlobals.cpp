#include "platform/UiGlobals.h"

#include "model/Globals.h"
#include "platform/Fonts.h"
#include "platform/SpeakerTypeMenu.h"

#include <QCoreApplication>
#include <QMenu>

UiThreadOnly<QFont> g_FontSmall14;
UiThreadOnly<QFont> g_FontDialog16;
UiThreadOnly<QFont> g_FontHuge108;
UiThreadOnly<QFont> g_FontDialog14;
UiThreadOnly<QFont> g_FontSmall12;
UiThreadOnly<QFont> g_Font15;
UiThreadOnly<QFont> g_FontBold16;
UiThreadOnly<QFont> g_FontTitle24;
UiThreadOnly<QFont> g_FontList16;
UiThreadOnly<QFont> g_FontHeavy16;

const QBrush g_DialogBkBrush{QColor(g_DialogBkColor)};

UiThreadOnly<QMenu*> g_PopupMenu{nullptr};

UiThreadOnly<std::string> g_LanguageSetting;
UiThreadOnly<int> g_LineSetting{1};

namespace {

void ReleasePopupMenu() {
    delete g_PopupMenu;
    g_PopupMenu = nullptr;
}

} // namespace

int LanguageFromLocale(const QLocale& locale) {
    return locale.language() == QLocale::Chinese ? 1 : 0;
}

void CreateSharedFonts() {
    struct FontDef {
        QFont* font;
        int height;
        int weight;
    };
    const FontDef defs[] = {
        {&g_FontSmall14.Get(), 14, 400},  {&g_FontDialog16.Get(), 16, 400},
        {&g_FontHuge108.Get(), 108, 400}, {&g_FontDialog14.Get(), 14, 400},
        {&g_FontSmall12.Get(), 12, 400},  {&g_Font15.Get(), 15, 400},
        {&g_FontBold16.Get(), 16, 700},   {&g_FontTitle24.Get(), 24, 400},
        {&g_FontList16.Get(), 16, 400},   {&g_FontHeavy16.Get(), 16, 1200},
    };
    for (const FontDef& s : defs)
        *s.font = platform::ArialFont(s.height, s.weight);
}

void SetLanguageFromSystemLocale() {
    g_LanguageFlag = LanguageFromLocale(QLocale::system());
}

void LoadPopupMenu(int menuId) {
    static bool releaseRegistered = false;
    if (!releaseRegistered) {
        // Menus are widgets: they must go before the application object.
        qAddPostRoutine(ReleasePopupMenu);
        releaseRegistered = true;
    }
    ReleasePopupMenu();
    g_PopupMenu = platform::BuildSpeakerTypeMenu(menuId != kSpeakerMenuEnglish).release();
}

void InitUiGlobals() {
    CreateSharedFonts();
    SetLanguageFromSystemLocale();
    LoadPopupMenu(kSpeakerMenuChinese);
}
