#include "platform/DialogUnits.h"

#include "platform/Fonts.h"

#include <QFontMetrics>

#include <cstdint>
#include <cstring>

namespace platform {

namespace {

// Base units of the template fonts as the layouts were made with them at
// 96 dpi. They are pinned rather than measured because the replacement faces
// (Liberation Sans for Arial) are hinted differently and would move every
// control by a pixel here and there. Two anchors fix the Arial rows: the main
// view's page area (850 x 347 units, Arial 8) holds the 607-pixel-high pages,
// and the pop-ups in Arial 7 (542 x 239, 298 x 137, 196 x 91 units) are
// covered by their 680 x 360, 374 x 207 and 247 x 139 pixel backgrounds.
struct KnownFont {
    const char* face;
    int points;
    DialogBaseUnits units;
};
constexpr KnownFont kKnownFonts[] = {
    {"Arial", 7, {5, 12}},  {"Arial", 8, {6, 14}},         {"Arial", 9, {6, 15}},
    {"Arial", 10, {7, 16}}, {"MS Sans Serif", 8, {6, 13}}, {"System", 10, {8, 16}},
};

DialogBaseUnits Measure(const TemplateFont& font) {
    // The system's own rule: the average advance of the 52 letters, rounded,
    // and the height of the character cell.
    QFontMetrics fm(TemplateQFont(font));
    int total = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(total / 26 + 1) / 2, fm.height()};
}

} // namespace

int MulDiv(int a, int b, int c) {
    if (c == 0) return 0;
    const int64_t product = static_cast<int64_t>(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const int64_t n = product < 0 ? -product : product;
    const int64_t d = c < 0 ? -static_cast<int64_t>(c) : c;
    const int64_t q = (n + d / 2) / d;
    return static_cast<int>(negative ? -q : q);
}

DialogBaseUnits BaseUnits(const TemplateFont& font) {
    for (const KnownFont& k : kKnownFonts)
        if (k.points == font.points && std::strcmp(k.face, font.face) == 0) return k.units;
    return Measure(font);
}

int DluToPixelsX(int dlu, const TemplateFont& font) {
    return MulDiv(dlu, BaseUnits(font).x, 4);
}
int DluToPixelsY(int dlu, const TemplateFont& font) {
    return MulDiv(dlu, BaseUnits(font).y, 8);
}

QPoint DluToPixels(QPoint dlu, const TemplateFont& font) {
    return {DluToPixelsX(dlu.x(), font), DluToPixelsY(dlu.y(), font)};
}

QSize DluToPixels(QSize dlu, const TemplateFont& font) {
    return {DluToPixelsX(dlu.width(), font), DluToPixelsY(dlu.height(), font)};
}

QRect DluToPixels(const QRect& dlu, const TemplateFont& font) {
    return {DluToPixels(dlu.topLeft(), font), DluToPixels(dlu.size(), font)};
}

QFont TemplateQFont(const TemplateFont& font) {
    return FaceFont(QString::fromLatin1(font.face), -MulDiv(font.points, kScreenDpi, 72), 400);
}

} // namespace platform
