#include "model/ChannelColors.h"

const ArgbColor g_EffectCurveArgb{220, 255, 0, 0};
const ArgbColor g_MicCurveArgb{255, 255, 128, 51};
const ArgbColor g_MusicCurveArgb[4] = {
    {255, 0, 255, 255}, {255, 223, 18, 123}, {255, 2, 123, 192}, {255, 255, 255, 0}};
const ArgbColor g_OutCurveArgb[12] = {{255, 255, 0, 0},    {255, 0, 192, 0},   {255, 128, 128, 192},
                                      {255, 255, 64, 255}, {255, 0, 192, 192}, {255, 192, 168, 0},
                                      {255, 125, 128, 0},  {255, 0, 0, 255},   {255, 125, 128, 0},
                                      {255, 0, 0, 255},    {150, 50, 0, 255},  {100, 0, 50, 255}};

const COLORREF g_MicCurveColor = RgbColor(255, 128, 51);
const COLORREF g_MusicCurveColor[4] = {RgbColor(0, 255, 255), RgbColor(223, 18, 123),
                                       RgbColor(2, 123, 192), RgbColor(255, 255, 0)};
const COLORREF g_OutCurveColor[12] = {
    RgbColor(255, 0, 0),   RgbColor(0, 192, 0),   RgbColor(128, 128, 192), RgbColor(255, 64, 255),
    RgbColor(0, 192, 192), RgbColor(192, 168, 0), RgbColor(125, 128, 0),   RgbColor(0, 0, 255),
    RgbColor(125, 128, 0), RgbColor(0, 0, 255),   RgbColor(0, 40, 200),    RgbColor(40, 0, 150)};
