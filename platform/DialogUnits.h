// Dialog units to pixels: the one conversion every template layout goes
// through. A template's font gives its base units (the average width of the
// letters and the character height, in pixels at 96 dpi); x and widths scale
// by base x / 4, y and heights by base y / 8, each rounded like MulDiv.
#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

namespace platform {

struct TemplateFont {
    const char* face;
    int points;
};

// The fonts of the program's templates.
constexpr TemplateFont kArial7{"Arial", 7};
constexpr TemplateFont kArial8{"Arial", 8};
constexpr TemplateFont kArial9{"Arial", 9};
constexpr TemplateFont kArial10{"Arial", 10};
constexpr TemplateFont kMsSansSerif8{"MS Sans Serif", 8};
constexpr TemplateFont kSystem10{"System", 10};

struct DialogBaseUnits {
    int x;
    int y;
};

// a * b / c rounded to the nearest integer, halves away from zero; 0 when c is 0.
int MulDiv(int a, int b, int c);

DialogBaseUnits BaseUnits(const TemplateFont& font);

int DluToPixelsX(int dlu, const TemplateFont& font);
int DluToPixelsY(int dlu, const TemplateFont& font);
QPoint DluToPixels(QPoint dlu, const TemplateFont& font);
QSize DluToPixels(QSize dlu, const TemplateFont& font);
// Place and size of a template control (x, y, width, height in dialog units).
QRect DluToPixels(const QRect& dlu, const TemplateFont& font);

// The font a template gives its controls: the face at points * 96 / 72 pixels.
QFont TemplateQFont(const TemplateFont& font);

} // namespace platform
