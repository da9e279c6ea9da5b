#include "model/SourceTable.h"

#include <algorithm>

UiThreadOnly<CSourceTable> g_SourceTable;

namespace {
constexpr int kMode0[6][7] = {
    {0, 1, 1, 1, 1, 1, 1}, {1, 0, 1, 1, 0, 0, 1}, {1, 1, 0, 0, 1, 1, 1},
    {1, 1, 0, 0, 1, 1, 1}, {1, 0, 1, 1, 0, 1, 1}, {1, 0, 1, 1, 1, 0, 1},
};
constexpr int kMode1[5][7] = {
    {0, 1, 1, 1, 1, 0, 1}, {1, 0, 1, 0, 0, 0, 1}, {1, 1, 0, 0, 1, 0, 1},
    {1, 0, 0, 0, 1, 0, 1}, {1, 0, 1, 1, 0, 0, 1},
};
constexpr int kMode2[4][7] = {
    {0, 1, 1, 1, 0, 0, 1},
    {1, 0, 1, 0, 0, 0, 1},
    {1, 1, 0, 0, 0, 0, 1},
    {1, 0, 0, 0, 0, 0, 1},
};

template <size_t R> void CopyRows(int (&dst)[R][7], const int (&src)[R][7]) {
    for (size_t r = 0; r < R; ++r)
        std::copy(src[r], src[r] + 7, dst[r]);
}
} // namespace

void CSourceTable::Init() {
    current = 6;
    CopyRows(mode0, kMode0);
    CopyRows(mode1, kMode1);
    CopyRows(mode2, kMode2);
    std::copy(mode0[0], mode0[0] + 7, enabled);
}

int CSourceTable::SelectRow(int row, int mode) {
    const int* src = nullptr;
    if (mode == 0 && row >= 0 && row < 6) src = mode0[row];
    if (mode == 1 && row >= 0 && row < 5) src = mode1[row];
    if (mode == 2 && row >= 0 && row < 4) src = mode2[row];
    if (src) std::copy(src, src + 7, enabled);
    if (current >= 0 && current <= 6 && enabled[current]) return 1;
    current = 6;
    return 0;
}

void CSourceTable::SetCurrent(int source) {
    current = (source >= 0 && source <= 6) ? source : 6;
}
