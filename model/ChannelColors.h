// Curve colours of the channels: a COLORREF-style value (0x00BBGGRR) for
// plain pens and an ARGB colour for antialiased drawing.
#pragma once

#include <cstdint>

using COLORREF = uint32_t;

constexpr COLORREF RgbColor(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

struct ArgbColor {
    uint8_t a = 255;
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    constexpr uint32_t Value() const {
        return (static_cast<uint32_t>(a) << 24) | (static_cast<uint32_t>(r) << 16) |
               (static_cast<uint32_t>(g) << 8) | b;
    }
    friend constexpr bool operator==(const ArgbColor& x, const ArgbColor& y) {
        return x.Value() == y.Value();
    }
};

extern const ArgbColor g_EffectCurveArgb;
extern const ArgbColor g_MicCurveArgb;
extern const ArgbColor g_MusicCurveArgb[4];
extern const ArgbColor g_OutCurveArgb[12];

extern const COLORREF g_MicCurveColor;
extern const COLORREF g_MusicCurveColor[4];
extern const COLORREF g_OutCurveColor[12];
