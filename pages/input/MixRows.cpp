#include "pages/input/MixRows.h"

#include <cstddef>
#include <utility>

namespace {

// Template 965: ids, then the template places (dialog units).
// clang-format off
constexpr std::array<MixRowLayout, kMixRowCount> kRows = {{
    {1, "Hi.Level1", "高电平1", "Hi.Level1", "高电平1",
     2818, 2838, 2837, 2930, 2912, 2946, 2962, 2882, 2898, 1182, 120, 161, 213, 53, 49, 52},
    {2, "Hi.Level2", "高电平2", "Hi.Level2", "高电平2",
     2820, 2840, 2839, 2931, 2915, 2954, 2963, 2883, 2899, 1182, 619, 661, 712, 53, 49, 52},
    {3, "Hi.Level3", "高电平3", "Hi.Level3", "高电平3",
     2822, 2842, 2841, 2932, 2916, 2947, 2964, 2884, 2900, 1182, 120, 161, 213, 117, 112, 116},
    {4, "Hi.Level4", "高电平4", "Hi.Level4", "高电平4",
     2824, 2844, 2843, 2933, 2917, 2955, 2965, 2885, 2901, 1182, 619, 661, 712, 117, 112, 116},
    {5, "Hi.Level5", "高电平5", "Hi.Level5", "高电平5",
     2826, 2846, 2845, 2934, 2918, 2948, 2966, 2886, 2902, 1182, 120, 161, 213, 178, 172, 177},
    {6, "Hi.Level6", "高电平6", "Hi.Level6", "高电平6",
     2828, 2848, 2847, 2935, 2919, 2956, 2967, 2887, 2903, 1182, 619, 661, 712, 178, 173, 177},
    {7, "Hi.Level7", "高电平7", "AUX1", "AUX1",
     2830, 2850, 2849, 2936, 2920, 2949, 2968, 2888, 2904, 1182, 120, 161, 213, 429, 425, 428},
    {8, "Hi.Level8", "高电平8", "AUX2", "AUX2",
     2832, 2852, 2851, 2937, 2921, 2957, 2969, 2889, 2905, 1182, 619, 661, 713, 429, 425, 428},
    {9, "Hi.Level9", "高电平9", "AUX3", "AUX3",
     2834, 2854, 2853, 2938, 2922, 2950, 2970, 2890, 2906, 1183, 120, 161, 213, 416, 412, 415},
    {10, "Hi.Level10", "高电平10", "AUX4", "AUX4",
     2836, 2856, 2855, 2939, 2923, 2958, 2971, 2891, 2907, 1183, 619, 661, 713, 416, 412, 415},
    {11, "AUX1", "AUX1", "AUX5", "AUX5",
     2860, 2859, 2858, 2940, 2924, 2951, 2972, 2892, 2908, 1183, 123, 161, 213, 240, 236, 240},
    {12, "AUX2", "AUX2", "AUX6", "AUX6",
     2864, 2863, 2862, 2941, 2925, 2959, 2973, 2893, 2909, 1183, 619, 661, 712, 240, 234, 238},
    {13, "SPDIF-L", "数字左", "SPDIF-L", "数字左",
     2868, 2867, 2866, 2942, 2926, 2952, 2974, 2894, 2910, 1184, 120, 161, 213, 302, 298, 301},
    {14, "SPDIF-R", "数字右", "SPDIF-R", "数字右",
     2872, 2871, 2870, 2943, 2927, 2960, 2975, 2895, 2911, 1184, 619, 661, 712, 302, 298, 301},
    {15, "Bluetooth/Player-L", "蓝牙/播放器-左", "Bluetooth/Player-L", "蓝牙/播放器-左",
     2876, 2875, 2874, 2944, 2928, 2953, 2976, 2896, 2913, 1185, 120, 161, 213, 365, 361, 364},
    {16, "Bluetooth/Player-R", "蓝牙/播放器-右", "Bluetooth/Player-R", "蓝牙/播放器-右",
     2880, 2879, 2878, 2945, 2929, 2961, 2977, 2897, 2914, 1185, 619, 661, 712, 365, 361, 364},
    {17, nullptr, nullptr, nullptr, nullptr,
     2979, 2991, 2978, 2985, 2983, 2987, 2989, 0, 0, 0, 120, 161, 213, 447, 443, 445},
    {18, nullptr, nullptr, nullptr, nullptr,
     2981, 2992, 2980, 2986, 2984, 2988, 2990, 0, 0, 0, 619, 661, 713, 447, 443, 445},
}};
// clang-format on

constexpr std::array<int, 16> kSpareButtons = {2819, 2821, 2823, 2825, 2827, 2829, 2831, 2833,
                                               2835, 2857, 2861, 2865, 2869, 2873, 2877, 2881};

// Levels of sources 1, 2, 3, 4, 5..10, 11, 12, 13, 14, 15, 16.
struct PresetLine {
    uint8_t s1, s2, s3, s4, s5to10, s11, s12, s13, s14, s15, s16;
};
constexpr PresetLine kSilent = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
constexpr PresetLine kLeft = {100, 0, 0, 0, 0, 100, 0, 100, 0, 100, 0};
constexpr PresetLine kRight = {0, 100, 0, 0, 0, 0, 100, 0, 100, 0, 100};
constexpr PresetLine kRearLeft = {0, 0, 100, 0, 0, 100, 0, 100, 0, 100, 0};
constexpr PresetLine kRearRight = {0, 0, 0, 100, 0, 0, 100, 0, 100, 0, 100};
constexpr PresetLine kCentre = {50, 50, 0, 0, 0, 50, 50, 50, 50, 50, 50};
constexpr PresetLine kBoth = {100, 100, 0, 0, 0, 100, 100, 100, 100, 100, 100};

const PresetLine& PresetLineOf(unsigned type) {
    if (type == 0 || type > 24) return kSilent;
    if (type <= 6) return kLeft;       // front left
    if (type <= 12) return kRight;     // front right
    if (type <= 15) return kRearLeft;  // rear left
    if (type <= 18) return kRearRight; // rear right
    if (type <= 21) return kCentre;    // centre
    if (type == 22) return kLeft;      // left subwoofer
    if (type == 23) return kRight;     // right subwoofer
    return kBoth;                      // subwoofer
}

bool InRange(int source, int first, int last) {
    return source >= first && source <= last;
}

// The sources an active source code makes live.
bool IsLive(unsigned code, bool wide, int source) {
    switch (code) {
    case 0:
        return InRange(source, 13, 14);
    case 1:
        return InRange(source, 1, wide ? 10 : 6);
    case 2:
    case 5:
        return InRange(source, 15, 16);
    case 3:
        return wide ? InRange(source, 11, 12) : InRange(source, 7, 10);
    default:
        return false;
    }
}

int EditIndex(int editId) {
    for (std::size_t i = 0; i < kRows.size(); ++i)
        if (kRows[i].edit == editId) return static_cast<int>(i);
    return -1;
}

} // namespace

const std::array<MixRowLayout, kMixRowCount>& MixRows() {
    return kRows;
}

const MixRowLayout* MixRowOfSource(int source) {
    return source >= 1 && source <= kMixRowCount ? &kRows[static_cast<std::size_t>(source - 1)]
                                                 : nullptr;
}

std::array<std::pair<int, MixPart>, 9> MixRowParts(const MixRowLayout& r) {
    return {{{r.edit, MixPart::Edit},
             {r.spin, MixPart::Spin},
             {r.fader, MixPart::Fader},
             {r.greyFader, MixPart::GreyFader},
             {r.valueStatic, MixPart::ValueStatic},
             {r.onOff, MixPart::OnOff},
             {r.indicator, MixPart::Indicator},
             {r.stepDown, MixPart::StepDown},
             {r.stepUp, MixPart::StepUp}}};
}

MixControl FindMixControl(int id) {
    if (id <= 0) return {};
    for (const MixRowLayout& r : kRows)
        for (const auto& [partId, part] : MixRowParts(r))
            if (partId == id) return MixControl{r.source, part};
    return {};
}

const std::array<int, 16>& MixSpareButtons() {
    return kSpareButtons;
}

bool WideVariant(int variant) {
    return variant == 2 || variant == 3;
}

bool MixRowHasPlace(int source, int variant) {
    const int auxPair = WideVariant(variant) ? 11 : 7;
    return InRange(source, 1, 6) || InRange(source, 13, 16) ||
           InRange(source, auxPair, auxPair + 1);
}

const char* MixRowName(int source, int chinese, int variant) {
    const MixRowLayout* r = MixRowOfSource(source);
    if (!r) return nullptr;
    if (WideVariant(variant)) return chinese ? r->nameWideCn : r->nameWideEn;
    return chinese ? r->nameNarrowCn : r->nameNarrowEn;
}

MixPresetRow MixPresetLevels(unsigned speakerType) {
    const PresetLine& l = PresetLineOf(speakerType);
    MixPresetRow row{};
    row[0] = l.s1;
    row[1] = l.s2;
    row[2] = l.s3;
    row[3] = l.s4;
    for (int s = 5; s <= 10; ++s)
        row[static_cast<std::size_t>(s - 1)] = l.s5to10;
    row[10] = l.s11;
    row[11] = l.s12;
    row[12] = l.s13;
    row[13] = l.s14;
    row[14] = l.s15;
    row[15] = l.s16;
    return row;
}

bool MixRowStatesFor(unsigned code, int variant, MixRowStates& out) {
    if (code == 4 || code > 5) return false;
    const bool wide = WideVariant(variant);
    for (int s = 1; s <= kNamedMixRows; ++s) {
        MixRowState state = MixRowState::Dimmed;
        if (IsLive(code, wide, s))
            state = MixRowState::Live;
        else if (!wide && InRange(s, 11, 12))
            state = MixRowState::Hidden;
        out[static_cast<std::size_t>(s - 1)] = state;
    }
    return true;
}

int NextMixEdit(int editId) {
    const int i = EditIndex(editId);
    return i < 0 ? 0 : kRows[static_cast<std::size_t>((i + 1) % kMixRowCount)].edit;
}

int PreviousMixEdit(int editId) {
    const int i = EditIndex(editId);
    return i < 0 ? 0 : kRows[static_cast<std::size_t>((i + kMixRowCount - 1) % kMixRowCount)].edit;
}
