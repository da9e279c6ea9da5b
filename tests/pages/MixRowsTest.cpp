// The mix page's tables: every speaker type's levels by its group, the
// edits' ring, and each control id found in its row.
#include "pages/input/MixRows.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(MixRows, EverySpeakerTypeTakesTheLevelsOfItsGroup) {
    // Levels of sources 1..16 for: none, front left, front right, rear left,
    // rear right, centre, left sub, right sub, sub.
    using Row = MixPresetRow;
    const Row none{};
    const Row left{100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 100, 0, 100, 0, 100, 0};
    const Row right{0, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 100, 0, 100, 0, 100};
    const Row rearLeft{0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 100, 0, 100, 0, 100, 0};
    const Row rearRight{0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 100, 0, 100, 0, 100};
    const Row centre{50, 50, 0, 0, 0, 0, 0, 0, 0, 0, 50, 50, 50, 50, 50, 50};
    const Row both{100, 100, 0, 0, 0, 0, 0, 0, 0, 0, 100, 100, 100, 100, 100, 100};
    for (unsigned type = 0; type <= 40; ++type) {
        SCOPED_TRACE(type);
        const Row& want = type == 0 || type > 24 ? none
                          : type <= 6            ? left
                          : type <= 12           ? right
                          : type <= 15           ? rearLeft
                          : type <= 18           ? rearRight
                          : type <= 21           ? centre
                          : type == 22           ? left
                          : type == 23           ? right
                                                 : both;
        EXPECT_EQ(MixPresetLevels(type), want);
    }
}

TEST(MixRows, TheEditRingVisitsEveryRowInSourceOrder) {
    const int ring[kMixRowCount] = {2818, 2820, 2822, 2824, 2826, 2828, 2830, 2832, 2834,
                                    2836, 2860, 2864, 2868, 2872, 2876, 2880, 2979, 2981};
    for (int i = 0; i < kMixRowCount; ++i) {
        EXPECT_EQ(NextMixEdit(ring[i]), ring[(i + 1) % kMixRowCount]) << i;
        EXPECT_EQ(PreviousMixEdit(ring[i]), ring[(i + kMixRowCount - 1) % kMixRowCount]) << i;
    }
    EXPECT_EQ(NextMixEdit(2838), 0); // a spin
    EXPECT_EQ(PreviousMixEdit(0), 0);
}

TEST(MixRows, EveryControlIdNamesOneRowAndPart) {
    std::set<int> ids;
    for (const MixRowLayout& r : MixRows()) {
        SCOPED_TRACE(r.source);
        for (const auto& [id, part] : MixRowParts(r)) {
            if (!id) continue;
            EXPECT_TRUE(ids.insert(id).second) << id;
            EXPECT_EQ(FindMixControl(id).source, r.source) << id;
            EXPECT_EQ(FindMixControl(id).part, part) << id;
        }
    }
    EXPECT_EQ(ids.size(), 16u * 9 + 2u * 7);
    for (int spare : MixSpareButtons())
        EXPECT_EQ(FindMixControl(spare).part, MixPart::None);
    // The packed change keeps its output and source.
    EXPECT_EQ(UnpackMixChange(PackMixChange(11, 18)).output, 11);
    EXPECT_EQ(UnpackMixChange(PackMixChange(11, 18)).source, 18);
}

} // namespace
