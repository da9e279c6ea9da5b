// The shared objects of the user interface: the ten Arial fonts, the dialog
// background brush, the curve colours, the speaker-type popup menu, the
// language taken from the system locale, and the settings the view keeps.
#pragma once

#include "model/DeviceLock.h"

#include "model/ChannelColors.h"
#include "model/ThreadRole.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QLocale>
#include <QRgb>

#include <string>

class QMenu;

// Fonts, created by CreateSharedFonts() in this order (cell heights in pixels).
extern UiThreadOnly<QFont> g_FontSmall14;  // 14, normal
extern UiThreadOnly<QFont> g_FontDialog16; // 16, normal
extern UiThreadOnly<QFont> g_FontHuge108;  // 108, normal
extern UiThreadOnly<QFont> g_FontDialog14; // 14, normal
extern UiThreadOnly<QFont> g_FontSmall12;  // 12, normal
extern UiThreadOnly<QFont> g_Font15;       // 15, normal
extern UiThreadOnly<QFont> g_FontBold16;   // 16, bold
extern UiThreadOnly<QFont> g_FontTitle24;  // 24, normal
extern UiThreadOnly<QFont> g_FontList16;   // 16, normal
extern UiThreadOnly<QFont> g_FontHeavy16;  // 16, asked for with weight 1200: the heaviest there is

// Dialog background.
constexpr QRgb g_DialogBkColor = qRgb(227, 228, 238);
extern const QBrush g_DialogBkBrush;

// The channels' curve colours are the model's (model/ChannelColors.h:
// ArgbColor::Value() is a QRgb); the graphs' own colours (alpha, red, green, blue):
constexpr QRgb g_GraphCurveArgb = qRgba(234, 120, 0, 255);
constexpr QRgb g_GraphGridArgb = qRgba(100, 100, 100, 255);

// The speaker-type popup: the first submenu of menu 106 (Chinese) or 107
// (English). Null until LoadPopupMenu; owned here and released before the
// application object goes away.
extern UiThreadOnly<QMenu*> g_PopupMenu;
constexpr int kSpeakerMenuChinese = 106;
constexpr int kSpeakerMenuEnglish = 107;

// The stored language choice ("Chinese", "English", or empty) and the stored
// equaliser display number ("Line_Set", 1 until read).
extern UiThreadOnly<std::string> g_LanguageSetting;
extern UiThreadOnly<int> g_LineSetting;

// 1 for a Chinese locale (zh_CN, zh_TW, ...), else 0.
int LanguageFromLocale(const QLocale& locale);

// Start-up, after the QApplication exists, in this order: the fonts, the
// language flag from the system locale, the brush (a constant), the menu.
void CreateSharedFonts();
void SetLanguageFromSystemLocale();
// Replaces g_PopupMenu with menu 106 or 107 (any other id: 106).
void LoadPopupMenu(int menuId);
void InitUiGlobals();
