#include "model/SourceTable.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
std::vector<int> Enabled(const CSourceTable& t) {
    return std::vector<int>(t.enabled, t.enabled + 7);
}
} // namespace

TEST(SourceTable, Init) {
    CSourceTable t;
    t.Init();
    EXPECT_EQ(t.current, 6);
    EXPECT_EQ(Enabled(t), (std::vector<int>{0, 1, 1, 1, 1, 1, 1}));
}

TEST(SourceTable, RowsFollowActiveSourceAndMode) {
    CSourceTable t;
    t.Init();
    t.current = 4;
    EXPECT_EQ(t.SelectRow(1, 0), 0);
    EXPECT_EQ(Enabled(t), (std::vector<int>{1, 0, 1, 1, 0, 0, 1}));
    EXPECT_EQ(t.current, 6);

    EXPECT_EQ(t.SelectRow(3, 2), 1);
    EXPECT_EQ(Enabled(t), (std::vector<int>{1, 0, 0, 0, 0, 0, 1}));

    t.SelectRow(0, 0);
    t.current = 2;
    EXPECT_EQ(t.SelectRow(6, 0), 1); // no row for "off": the old row stays
    EXPECT_EQ(Enabled(t), (std::vector<int>{0, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(t.SelectRow(4, 2), 1); // mode 2 has no row 4 either
    EXPECT_EQ(t.SelectRow(0, 3), 1);
}

TEST(SourceTable, EveryRowKeepsOffAndExcludesItself) {
    CSourceTable t;
    t.Init();
    const int rows[3] = {6, 5, 4};
    for (int mode = 0; mode < 3; ++mode) {
        for (int r = 0; r < rows[mode]; ++r) {
            t.current = 6;
            EXPECT_EQ(t.SelectRow(r, mode), 1);
            EXPECT_EQ(t.enabled[r], 0) << mode << "/" << r;
            EXPECT_EQ(t.enabled[6], 1) << mode << "/" << r;
        }
    }
}

TEST(SourceTable, DeviceValuesOutsideTheSourcesCountAsOff) {
    CSourceTable t;
    t.Init();
    t.SetCurrent(200);
    EXPECT_EQ(t.current, 6);
    t.SetCurrent(3);
    EXPECT_EQ(t.current, 3);
    t.current = 99; // even a corrupt value is never used as an index
    EXPECT_EQ(t.SelectRow(0, 0), 0);
    EXPECT_EQ(t.current, 6);
}
