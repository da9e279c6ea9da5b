#include "platform/UiGlobals.h"

#include "model/Globals.h"
#include "platform/Fonts.h"
#include "platform/SpeakerTypeMenu.h"

#include <QCoreApplication>
#include <QMenu>

QFont g_FontSmall14;
QFont g_FontDialog16;
QFont g_FontHuge108;
QFont g_FontDialog14;
QFont g_FontSmall12;
QFont g_Font15;
QFont g_FontBold16;
QFont g_FontTitle24;
QFont g_FontList16;
QFont g_FontHeavy16;

const QBrush g_DialogBkBrush{QColor(g_DialogBkColor)};

QMenu* g_PopupMenu = nullptr;

std::string g_LanguageSetting;
int g_LineSetting = 1;

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
        {&g_FontSmall14, 14, 400}, {&g_FontDialog16, 16, 400}, {&g_FontHuge108, 108, 400},
        {&g_FontDialog14, 14, 400}, {&g_FontSmall12, 12, 400}, {&g_Font15, 15, 400},
        {&g_FontBold16, 16, 700},   {&g_FontTitle24, 24, 400}, {&g_FontList16, 16, 400},
        {&g_FontHeavy16, 16, 1200},
    };
    for (const FontDef& s : defs) *s.font = platform::ArialFont(s.height, s.weight);
}

void SetLanguageFromSystemLocale() { g_LanguageFlag = LanguageFromLocale(QLocale::system()); }

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
