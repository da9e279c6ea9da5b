#include "model/KTV_OutRoute.h"

#include "model/DataDefine.h"
#include "model/SpeakerTypes.h"

CKTV_MicRoute::CKTV_MicRoute() {
    CMIC_InData& mic = Add();
    mic.SetName("Mic 1");
    mic.SetCurveColor(g_MicCurveColor);
    mic.SetCurveGdiColor(g_MicCurveArgb);
    mic.SetChannelIndex(0);
    mic.BuildEq(8, 10, 20000);
}

CKTV_MusicRoute::CKTV_MusicRoute() {
    static const char* const names[kMusicInputCount] = {"Music 1", "Music 2", "Music 3", "Music 4"};
    for (int i = 0; i < kMusicInputCount; ++i) {
        CMusic_InData& in = Add();
        in.SetDefaultName(names[i]);
        in.SetCurveColor(g_MusicCurveColor[i]);
        in.SetCurveGdiColor(g_MusicCurveArgb[i]);
        if (i == 0)
            in.SetGain(450);
        else
            in.SetSpareValue(0);
        in.SetChannelIndex(i);
        in.BuildEq(30, 32, 20000);
    }
}

CKTV_OutRoute::CKTV_OutRoute() {
    static const char* const names[6] = {"FL", "FR", "SL", "SR", "Center", "ULF"};
    static const int highPassOptions[kOutputCount] = {11, 10, 9, 11, 10, 9, 9, 9, 9, 9, 9, 9};
    for (int i = 0; i < kOutputCount; ++i) {
        CKTV_OutData& out = Add();
        out.SetCurveColor(g_OutCurveColor[i]);
        out.SetCurveGdiColor(g_OutCurveArgb[i]);
        if (i < 6) out.SetName(names[i]);
        out.BuildEq(30, 32, highPassOptions[i], 20, 20000);
        out.SetSpeakerType(g_OutputSpeakerType[i]);
        out.SetChannelIndex(i);
    }
}
