// The shared objects of the user interface: the ten Arial fonts, the dialog
// background brush, the curve colours, the speaker-type popup menu, the
// language taken from the system locale, and the settings the view keeps.
#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QLocale>
#include <QRgb>

#include <string>

class QMenu;

// Fonts, created by CreateSharedFonts() in this order (cell heights in pixels).
extern QFont g_FontSmall14;  // 14, normal
extern QFont g_FontDialog16; // 16, normal
extern QFont g_FontHuge108;  // 108, normal
extern QFont g_FontDialog14; // 14, normal
extern QFont g_FontSmall12;  // 12, normal
extern QFont g_Font15;       // 15, normal
extern QFont g_FontBold16;   // 16, bold
extern QFont g_FontTitle24;  // 24, normal
extern QFont g_FontList16;   // 16, normal
extern QFont g_FontHeavy16;  // 16, asked for with weight 1200: the heaviest there is

// Dialog background.
constexpr QRgb g_DialogBkColor = qRgb(227, 228, 238);
extern const QBrush g_DialogBkBrush;

// Curve colours (alpha, red, green, blue).
constexpr QRgb g_EffectCurveArgb = qRgba(255, 0, 0, 220);
constexpr QRgb g_MicCurveArgb = qRgba(255, 128, 51, 255);
constexpr QRgb g_MusicCurveArgb[4] = {qRgba(0, 255, 255, 255), qRgba(223, 18, 123, 255),
                                      qRgba(2, 123, 192, 255), qRgba(255, 255, 0, 255)};
constexpr QRgb g_OutCurveArgb[12] = {
    qRgba(255, 0, 0, 255),     qRgba(0, 192, 0, 255),   qRgba(128, 128, 192, 255),
    qRgba(255, 64, 255, 255),  qRgba(0, 192, 192, 255), qRgba(192, 168, 0, 255),
    qRgba(125, 128, 0, 255),   qRgba(0, 0, 255, 255),   qRgba(125, 128, 0, 255),
    qRgba(0, 0, 255, 255),     qRgba(50, 0, 255, 150),  qRgba(0, 50, 255, 100)};
constexpr QRgb g_GraphCurveArgb = qRgba(234, 120, 0, 255);
constexpr QRgb g_GraphGridArgb = qRgba(100, 100, 100, 255);

// The speaker-type popup: the first submenu of menu 106 (Chinese) or 107
// (English). Null until LoadPopupMenu; owned here and released before the
// application object goes away.
extern QMenu* g_PopupMenu;
constexpr int kSpeakerMenuChinese = 106;
constexpr int kSpeakerMenuEnglish = 107;

// The stored language choice ("Chinese", "English", or empty) and the stored
// equaliser display number ("Line_Set", 1 until read).
extern std::string g_LanguageSetting;
extern int g_LineSetting;

// 1 for a Chinese locale (zh_CN, zh_TW, ...), else 0.
int LanguageFromLocale(const QLocale& locale);

// Start-up, after the QApplication exists, in this order: the fonts, the
// language flag from the system locale, the brush (a constant), the menu.
void CreateSharedFonts();
void SetLanguageFromSystemLocale();
// Replaces g_PopupMenu with menu 106 or 107 (any other id: 106).
void LoadPopupMenu(int menuId);
void InitUiGlobals();
