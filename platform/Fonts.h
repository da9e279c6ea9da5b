// Fonts sized in pixels. A height follows the system's font request: a
// positive height is the character cell (ascent + descent), a negative one
// the em size. Faces fall back to metric-compatible ones where missing
// (Liberation Sans for Arial) and to a Chinese face for Chinese text.
#pragma once

#include "platform/Display.h"

#include <QFont>
#include <QString>

namespace platform {

// Fallback faces, in the order they are tried after the requested one.
constexpr const char* kMetricFallbackFace = "Liberation Sans";
constexpr const char* kChineseFace = "WenQuanYi Micro Hei";

// The em size in pixels for a height as above (cell heights use Arial's
// em / (ascent + descent) = 2048 / 2288); 0 asks for the usual 12 pixels.
// Never less than 1.
int PixelSizeForHeight(int height);

// face at the height; weight on the 1..1000 scale (400 normal, 700 bold;
// heavier requests are clamped to 1000).
QFont FaceFont(const QString& face, int height, int weight);
inline QFont ArialFont(int height, int weight = 400) {
    return FaceFont(QStringLiteral("Arial"), height, weight);
}

} // namespace platform
