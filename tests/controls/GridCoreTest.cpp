// The grid without a window: counts and cells, item access, deleting and
// sorting, focus and selection and their notifications, the clipboard's
// bytes, geometry and scrolling, sizes and fitting, the keyboard's walk, the
// page layout of a printout and the text files.
#include "controls/core/GridCore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// A grid that records what it tells its owner and what it redraws.
class RecordingGrid : public CGridCore {
public:
    using CGridCore::CGridCore;

    struct Note {
        int code, row, col;
        bool operator==(const Note& o) const {
            return code == o.code && row == o.row && col == o.col;
        }
    };
    std::vector<Note> notes;
    std::vector<std::pair<int, int>> redrawn;
    int scrolls = 0;
    // Focus state seen by the owner at each notification.
    std::vector<CellId> focusAtNote;

    void ClearRecords() {
        notes.clear();
        redrawn.clear();
        focusAtNote.clear();
        scrolls = 0;
    }

protected:
    intptr_t SendMessageToParent(int row, int col, int code) override {
        notes.push_back({code, row, col});
        focusAtNote.push_back(GetFocusCell());
        return 0;
    }
    bool RedrawCell(int row, int col) override {
        redrawn.emplace_back(row, col);
        return true;
    }
    void BeforeScroll() override { ++scrolls; }
};

std::vector<std::string> Column(const CGridCore& g, int col) {
    std::vector<std::string> out;
    for (int r = 0; r < g.GetRowCount(); ++r)
        out.push_back(g.GetItemText(r, col));
    return out;
}

std::vector<std::vector<std::string>> Texts(const CGridCore& g) {
    std::vector<std::vector<std::string>> out(static_cast<size_t>(g.GetRowCount()));
    for (int r = 0; r < g.GetRowCount(); ++r)
        for (int c = 0; c < g.GetColumnCount(); ++c)
            out[static_cast<size_t>(r)].push_back(g.GetItemText(r, c));
    return out;
}

std::vector<int> Widths(const CGridCore& g) {
    std::vector<int> out;
    for (int c = 0; c < g.GetColumnCount(); ++c)
        out.push_back(g.GetColumnWidth(c));
    return out;
}

// ---------------------------------------------------------------------------
// Counts and cells
// ---------------------------------------------------------------------------

TEST(GridCounts, SettersGrowShrinkAndKeepTheFixedCountsWithin) {
    RecordingGrid g(5, 3, 2, 1);
    EXPECT_EQ(g.GetRowCount(), 5);
    EXPECT_EQ(g.GetColumnCount(), 3);
    EXPECT_EQ(g.GetFixedRowCount(), 2);
    EXPECT_EQ(g.GetFixedColumnCount(), 1);
    g.SetItemText(4, 2, "x");
    // The same count changes nothing.
    EXPECT_TRUE(g.SetRowCount(5));
    EXPECT_EQ(g.GetItemText(4, 2), "x");
    // Below the fixed rows: the fixed count follows.
    EXPECT_TRUE(g.SetRowCount(1));
    EXPECT_EQ(g.GetRowCount(), 1);
    EXPECT_EQ(g.GetFixedRowCount(), 1);
    EXPECT_EQ(g.GetCell(4, 2), nullptr);
    // Growing again gives empty cells of the default height.
    EXPECT_TRUE(g.SetRowCount(3));
    EXPECT_EQ(g.GetItemText(2, 2), "");
    EXPECT_EQ(g.GetRowHeight(2), g.GetDefaultRowHeight());

    CGridCore empty;
    EXPECT_TRUE(empty.SetFixedRowCount(1));
    EXPECT_EQ(empty.GetRowCount(), 1);
    EXPECT_EQ(empty.GetFixedRowCount(), 1);
}

TEST(GridCounts, NegativeCountsAreRefusedAndChangeNothing) {
    RecordingGrid g(4, 3, 1, 1);
    g.SetItemText(2, 2, "kept");
    g.SetFocusCellAt(2, 2);
    g.ClearRecords();
    EXPECT_FALSE(g.SetRowCount(-1));
    EXPECT_FALSE(g.SetColumnCount(-3));
    EXPECT_FALSE(g.SetFixedRowCount(-1));
    EXPECT_FALSE(g.SetFixedColumnCount(-2));
    EXPECT_EQ(g.GetRowCount(), 4);
    EXPECT_EQ(g.GetColumnCount(), 3);
    EXPECT_EQ(g.GetFixedRowCount(), 1);
    EXPECT_EQ(g.GetFixedColumnCount(), 1);
    EXPECT_EQ(g.GetItemText(2, 2), "kept");
    EXPECT_EQ(g.GetFocusCell(), CellId(2, 2));
    EXPECT_TRUE(g.notes.empty());
}

TEST(GridCounts, ShrinkingPastTheFocusAndTheSelectionForgetsThem) {
    RecordingGrid g(5, 3, 1, 1);
    g.SetFocusCellAt(4, 1);
    g.SetSelectedRange(3, 1, 4, 2);
    ASSERT_EQ(g.SelectedCells().size(), 4u);
    g.ClearRecords();
    g.SetRowCount(4);
    EXPECT_EQ(g.GetFocusCell(), CellId());
    EXPECT_THAT(g.notes, ElementsAre(RecordingGrid::Note{GRIDN_FOCUS_CHANGING, 4, 1}));
    EXPECT_EQ(g.SelectedCells().size(), 2u); // row 3 only
    g.SetColumnCount(2);
    EXPECT_EQ(g.SelectedCells().size(), 1u);
    EXPECT_EQ(g.SelectedCells().begin()->second, CellId(3, 1));
}

TEST(GridCounts, NewCellsTakeTheFormatOfTheCellAboveAndInsertsGiveTheirOwn) {
    CGridCore g(3, 2, 1, 1);
    g.SetItemFormat(2, 1, 0x25);
    g.SetRowCount(6);
    for (int r = 3; r < 6; ++r)
        EXPECT_EQ(g.GetItemFormat(r, 1), 0x25u) << r;
    EXPECT_EQ(g.GetItemFormat(5, 0), 0u);
    // A new column has format 0 all the way down.
    g.SetColumnCount(3);
    for (int r = 0; r < 6; ++r)
        EXPECT_EQ(g.GetItemFormat(r, 2), 0u) << r;
    // An inserted column takes the given format, its heading too.
    EXPECT_EQ(g.InsertColumn("H", 0x8025, 1), 1);
    for (int r = 0; r < 6; ++r)
        EXPECT_EQ(g.GetItemFormat(r, 1), 0x8025u) << r;
    EXPECT_EQ(g.GetItemText(0, 1), "H");
    // The old column 1 moved right with its formats.
    EXPECT_EQ(g.GetItemFormat(0, 2), 0u);
    EXPECT_EQ(g.GetItemFormat(2, 2), 0x25u);
}

TEST(GridCounts, InsertingRowsChecksThePlaceAndAppendsWithTheHeading) {
    CGridCore g(3, 2);
    EXPECT_EQ(g.InsertRow("late", 3), -1);
    EXPECT_EQ(g.GetRowCount(), 3);
    EXPECT_EQ(g.InsertRow("end"), 3);
    EXPECT_EQ(g.GetRowCount(), 4);
    EXPECT_EQ(g.GetItemText(3, 0), "end");
    EXPECT_EQ(g.InsertRow("first", 0), 0);
    EXPECT_THAT(Column(g, 0), ElementsAre("first", "", "", "", "end"));
    EXPECT_EQ(g.InsertColumn("c", 0, 2), -1);
    // Either insert on an empty grid makes the other dimension 1.
    CGridCore r;
    EXPECT_EQ(r.InsertRow("a"), 0);
    EXPECT_EQ(r.GetColumnCount(), 1);
    CGridCore c;
    EXPECT_EQ(c.InsertColumn("b"), 0);
    EXPECT_EQ(c.GetRowCount(), 1);
    EXPECT_EQ(c.GetItemText(0, 0), "b");
}

// ---------------------------------------------------------------------------
// Item access
// ---------------------------------------------------------------------------

TEST(GridItems, TextsStatesAndDefaultsOutsideTheGrid) {
    CGridCore g(7, 2, 1, 1);
    EXPECT_FALSE(g.SetItemText(7, 0, "x"));
    EXPECT_EQ(g.GetItemText(7, 0), "");
    EXPECT_TRUE(g.SetItemText(1, 1, "abc"));
    EXPECT_EQ(g.GetItemSecondText(1, 1), "abc");
    EXPECT_TRUE(g.SetItemSecondText(1, 1, "other"));
    EXPECT_EQ(g.GetItemText(1, 1), "abc");

    struct Outside {
        int row, col;
    } outside[] = {{-1, 0}, {0, -1}, {7, 1}, {1, 2}};
    for (const Outside& o : outside) {
        SCOPED_TRACE(std::to_string(o.row) + "," + std::to_string(o.col));
        EXPECT_EQ(g.GetCell(o.row, o.col), nullptr);
        EXPECT_EQ(g.GetItemData(o.row, o.col), 0);
        EXPECT_EQ(g.GetItemImage(o.row, o.col), -1);
        EXPECT_EQ(g.GetItemState(o.row, o.col), 0u);
        EXPECT_EQ(g.GetItemFormat(o.row, o.col), 0u);
        EXPECT_EQ(g.GetItemBkColour(o.row, o.col), 0u);
        EXPECT_EQ(g.GetItemFgColour(o.row, o.col), 0u);
        EXPECT_EQ(&g.GetItemFont(o.row, o.col), &g.GetFont());
        EXPECT_FALSE(g.SetItemState(o.row, o.col, CELLSTATE_SELECTED));
        EXPECT_TRUE(g.IsCellEditable(o.row, o.col));
    }
    EXPECT_TRUE(g.SelectedCells().empty());
    EXPECT_EQ(g.GetItemBkColour(1, 1), CLR_DEFAULT);
    EXPECT_EQ(g.GetItemImage(1, 1), -1);
}

TEST(GridItems, TheSelectedBitKeepsTheSelectedCellMap) {
    CGridCore g(3, 3, 1, 1);
    g.SetItemState(2, 1, CELLSTATE_SELECTED);
    g.SetItemState(2, 1, CELLSTATE_SELECTED | CELLSTATE_READONLY);
    ASSERT_EQ(g.SelectedCells().size(), 1u);
    EXPECT_EQ(g.SelectedCells().count(CGridCore::CellKey(2, 1)), 1u);
    g.SetItemState(2, 1, 0);
    EXPECT_TRUE(g.SelectedCells().empty());
    // The item setter keeps it the same way, in one go with other fields.
    GridItem item;
    item.row = 1;
    item.col = 2;
    item.mask = GIM_STATE | GIM_TEXT | GIM_BKCOLOUR;
    item.state = CELLSTATE_SELECTED;
    item.text = "t";
    item.bkColour = RgbColor(255, 0, 0);
    EXPECT_TRUE(g.SetItem(&item));
    EXPECT_EQ(g.SelectedCells().count(CGridCore::CellKey(1, 2)), 1u);
    EXPECT_EQ(g.GetItemText(1, 2), "t");
    EXPECT_EQ(g.GetItemSecondText(1, 2), ""); // the item setter writes the text only
    GridItem read;
    read.row = 1;
    read.col = 2;
    read.mask = GIM_TEXT | GIM_STATE | GIM_BKCOLOUR;
    EXPECT_TRUE(g.GetItem(&read));
    EXPECT_EQ(read.text, "t");
    EXPECT_EQ(read.state, CELLSTATE_SELECTED);
    EXPECT_EQ(read.bkColour, RgbColor(255, 0, 0));
    EXPECT_FALSE(g.SetItem(nullptr));
    item.row = 3;
    EXPECT_FALSE(g.SetItem(&item));
}

TEST(GridItems, ModifiedFlagsOfTheGridAndOfCells) {
    CGridCore g(4, 4, 1, 1);
    g.SetModified(true, 0, 3);
    EXPECT_TRUE(g.GetModified());
    EXPECT_EQ(g.GetItemState(0, 3) & CELLSTATE_MODIFIED, 0u);
    g.SetModified(true, 2, 2);
    g.SetModified(true, 3, 1);
    EXPECT_TRUE(g.GetModified(2, 2));
    g.SetModified(false, 2, 2);
    EXPECT_FALSE(g.GetModified(2, 2));
    EXPECT_TRUE(g.GetModified()); // a cell's flag leaves the grid's
    g.SetModified(false);
    EXPECT_FALSE(g.GetModified());
    EXPECT_FALSE(g.GetModified(3, 1));
}

TEST(GridItems, ChoiceListsTakeOnlyTheirOwnTexts) {
    GridChoiceLists lists;
    EXPECT_TRUE(lists.Accepts(1, "anything"));
    lists.Add(1, {"Low", "High"});
    lists.Add(1, {"other"}); // the first list of a column wins
    EXPECT_EQ(lists.Find(1), 0);
    EXPECT_EQ(lists.Find(2), -1);
    EXPECT_TRUE(lists.Accepts(1, "High"));
    EXPECT_FALSE(lists.Accepts(1, "high"));
    EXPECT_FALSE(lists.Accepts(1, "other"));
    EXPECT_TRUE(lists.Accepts(2, "high"));
}

// ---------------------------------------------------------------------------
// Deleting and sorting
// ---------------------------------------------------------------------------

TEST(GridDelete, RowsColumnsAndEverything) {
    RecordingGrid g(6, 4, 3, 1);
    for (int r = 0; r < 6; ++r)
        g.SetItemText(r, 0, std::to_string(r));
    g.SetFocusCellAt(4, 2);
    g.SetSelectedRange(4, 1, 5, 3);
    g.ClearRecords();
    EXPECT_FALSE(g.DeleteRow(6));
    EXPECT_FALSE(g.DeleteColumn(-1));
    EXPECT_EQ(g.GetFocusCell(), CellId(4, 2)); // a refused delete clears nothing
    EXPECT_TRUE(g.DeleteRow(2));
    EXPECT_EQ(g.GetRowCount(), 5);
    EXPECT_EQ(g.GetFixedRowCount(), 2);
    EXPECT_THAT(Column(g, 0), ElementsAre("0", "1", "3", "4", "5"));
    EXPECT_EQ(g.GetFocusCell(), CellId());
    EXPECT_TRUE(g.SelectedCells().empty());
    EXPECT_THAT(g.notes, ElementsAre(RecordingGrid::Note{GRIDN_FOCUS_CHANGING, 4, 2}));

    g.SetFocusCellAt(3, 3);
    EXPECT_TRUE(g.DeleteColumn(0));
    EXPECT_EQ(g.GetColumnCount(), 3);
    EXPECT_EQ(g.GetFixedColumnCount(), 0);
    EXPECT_EQ(g.GetFocusCell(), CellId());

    EXPECT_TRUE(g.DeleteNonFixedRows());
    EXPECT_EQ(g.GetRowCount(), 2);
    EXPECT_TRUE(g.DeleteAllItems());
    EXPECT_EQ(g.GetRowCount(), 0);
    EXPECT_EQ(g.GetColumnCount(), 0);
    EXPECT_EQ(g.GetFixedRowCount(), 0);
    EXPECT_EQ(g.GetFixedColumnCount(), 0);
    EXPECT_EQ(g.GetFocusCell(), CellId());
}

TEST(GridSort, TextsSortByCharacterCodeAndRowsTravelWhole) {
    struct Case {
        const char* what;
        std::vector<std::string> texts;
        bool ascending;
        std::vector<std::string> sorted;
    } cases[] = {
        {"case differs", {"b", "B", "a"}, true, {"B", "a", "b"}},
        {"descending", {"b", "B", "a"}, false, {"b", "a", "B"}},
        {"digits as characters", {"9", "10", "2"}, true, {"10", "2", "9"}},
        {"equal texts", {"x", "a", "x", "a"}, true, {"a", "a", "x", "x"}},
        {"one row", {"z"}, true, {"z"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int n = static_cast<int>(c.texts.size());
        CGridCore g(n + 1, 3, 1, 1);
        g.SetItemText(0, 1, "heading");
        for (int i = 0; i < n; ++i) {
            g.SetItemText(i + 1, 1, c.texts[static_cast<size_t>(i)]);
            g.SetItemText(i + 1, 2, c.texts[static_cast<size_t>(i)] + "!");
            g.SetRowHeight(i + 1, 10 + static_cast<int>(c.texts[static_cast<size_t>(i)][0]));
        }
        EXPECT_EQ(g.SortTextItems(1, c.ascending), n > 1);
        std::vector<std::string> got, partner;
        for (int i = 1; i <= n; ++i) {
            got.push_back(g.GetItemText(i, 1));
            partner.push_back(g.GetItemText(i, 2));
            EXPECT_EQ(g.GetRowHeight(i), 10 + static_cast<int>(g.GetItemText(i, 1)[0]));
        }
        EXPECT_EQ(got, c.sorted);
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(partner[i], got[i] + "!");
        EXPECT_EQ(g.GetItemText(0, 1), "heading");
    }
    CGridCore g(3, 2, 1, 1);
    EXPECT_FALSE(g.SortTextItems(2, true));
}

TEST(GridSort, HeadingClicksTurnTheOrderAndComparisonsSortByValue) {
    CGridCore g(4, 2, 1, 1);
    const char* texts[] = {"m", "z", "a"};
    for (int i = 0; i < 3; ++i) {
        g.SetItemText(i + 1, 1, texts[i]);
        g.SetItemData(i + 1, 1, 30 - 10 * i);
    }
    g.SelectAllCells();
    g.SortOnHeading(1);
    EXPECT_THAT(Column(g, 1), ElementsAre("", "a", "m", "z"));
    EXPECT_TRUE(g.SelectedCells().empty()); // sorting clears the selection
    g.SortOnHeading(1);
    EXPECT_THAT(Column(g, 1), ElementsAre("", "z", "m", "a"));
    EXPECT_FALSE(g.GetSortAscending());
    // By the cells' values (m 30, z 20, a 10).
    g.SortItems([](intptr_t a, intptr_t b, intptr_t) { return static_cast<int>(a - b); }, 1, true,
                0);
    EXPECT_THAT(Column(g, 1), ElementsAre("", "a", "z", "m"));
}

TEST(GridSearch, NextItemInEachDirection) {
    CGridCore g(5, 4, 1, 1);
    g.SetItemState(2, 3, CELLSTATE_SELECTED);
    g.SetItemState(3, 1, CELLSTATE_SELECTED);
    g.SetItemState(4, 2, CELLSTATE_MODIFIED);
    struct Case {
        CellId start;
        uint32_t flags;
        CellId found;
    } cases[] = {
        {{-1, -1}, CELLSTATE_SELECTED | NEXT_BELOW | NEXT_LEFT | NEXT_RIGHT, {2, 3}},
        {{2, 3}, CELLSTATE_SELECTED | NEXT_BELOW | NEXT_LEFT | NEXT_RIGHT, {3, 1}},
        {{-1, -1}, CELLSTATE_SELECTED | NEXT_BELOW | NEXT_RIGHT, {2, 3}},
        {{2, 1}, CELLSTATE_SELECTED | NEXT_BELOW | NEXT_RIGHT, {2, 3}},
        {{1, 1}, CELLSTATE_SELECTED | NEXT_BELOW, {3, 1}},
        {{4, 1}, CELLSTATE_SELECTED | NEXT_ABOVE, {3, 1}},
        {{2, 1}, CELLSTATE_SELECTED | NEXT_RIGHT, {2, 3}},
        {{3, 3}, CELLSTATE_SELECTED | NEXT_LEFT, {3, 1}},
        {{4, 3}, CELLSTATE_MODIFIED | NEXT_LEFT, {4, 2}},
        {{1, 1}, CELLSTATE_SELECTED, {-1, -1}},
        {{3, 1}, CELLSTATE_FOCUSED | NEXT_BELOW | NEXT_LEFT | NEXT_RIGHT, {-1, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.start.row) + "," + std::to_string(c.start.col) + " " +
                     std::to_string(c.flags));
        EXPECT_EQ(g.GetNextItem(c.start, c.flags), c.found);
    }
}

// ---------------------------------------------------------------------------
// Focus and selection
// ---------------------------------------------------------------------------

TEST(GridFocus, OrderOfNotificationsAndTheHeadingsRedrawn) {
    RecordingGrid g(3, 3, 1, 1);
    g.SetFocusCellAt(1, 1);
    g.ClearRecords();
    g.SetFocusCellAt(1, 2);
    EXPECT_THAT(g.notes, ElementsAre(RecordingGrid::Note{GRIDN_FOCUS_CHANGING, 1, 1},
                                     RecordingGrid::Note{GRIDN_FOCUS_CHANGED, 1, 2}));
    // The owner already sees the new focus cell when told of the change.
    EXPECT_EQ(g.focusAtNote[0], CellId(1, 2));
    EXPECT_THAT(g.redrawn,
                ElementsAre(std::pair(1, 1), std::pair(0, 1), std::pair(1, 2), std::pair(0, 2)));
    // The same cell again sends nothing.
    g.ClearRecords();
    g.SetFocusCellAt(1, 2);
    EXPECT_TRUE(g.notes.empty());
    // No cell: only the change away.
    g.SetFocusCellAt(-1, -1);
    EXPECT_THAT(g.notes, ElementsAre(RecordingGrid::Note{GRIDN_FOCUS_CHANGING, 1, 2}));
    EXPECT_EQ(g.GetItemState(1, 2) & CELLSTATE_FOCUSED, 0u);
}

TEST(GridFocus, FocusingChangesOnlyTheSelectedAndFocusedBits) {
    struct Case {
        const char* what;
        bool editable;
        uint32_t before;
        uint32_t focused;
        uint32_t after; // once the focus has moved on
    } cases[] = {
        {"editable", true, 0, CELLSTATE_FOCUSED, 0},
        {"editable read-only cell", true, CELLSTATE_READONLY,
         CELLSTATE_READONLY | CELLSTATE_FOCUSED, CELLSTATE_READONLY},
        {"read-only grid", false, 0, CELLSTATE_SELECTED, CELLSTATE_SELECTED},
        {"read-only grid keeps the cell's read-only and modified bits", false,
         CELLSTATE_READONLY | CELLSTATE_MODIFIED,
         CELLSTATE_READONLY | CELLSTATE_MODIFIED | CELLSTATE_SELECTED,
         CELLSTATE_READONLY | CELLSTATE_MODIFIED | CELLSTATE_SELECTED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CGridCore g(3, 3, 1, 1);
        g.SetEditable(c.editable);
        g.SetItemState(2, 2, c.before);
        g.SetFocusCellAt(2, 2);
        EXPECT_EQ(g.GetItemState(2, 2), c.focused);
        g.SetFocusCellAt(1, 1);
        EXPECT_EQ(g.GetItemState(2, 2), c.after);
    }
    // Switching the grid to editable puts the focus bit on the focus cell.
    CGridCore g(3, 3, 1, 1);
    g.SetEditable(false);
    g.SetFocusCellAt(1, 2);
    g.SetEditable(true);
    EXPECT_EQ(g.GetItemState(1, 2), CELLSTATE_SELECTED | CELLSTATE_FOCUSED);
}

TEST(GridSelection, RangesByExtentAndTheSelectionStart) {
    CGridCore g(6, 5, 1, 1);
    auto selected = [&g] {
        std::vector<std::pair<int, int>> out;
        for (int r = 0; r < g.GetRowCount(); ++r)
            for (int c = 0; c < g.GetColumnCount(); ++c)
                if (g.GetItemState(r, c) & CELLSTATE_SELECTED) out.emplace_back(r, c);
        return out;
    };
    g.SetSelectionStartCell({2, 2});
    g.SetMouseMode(MOUSEMODE_SELECT_CELLS);
    g.OnSelecting({3, 1});
    EXPECT_THAT(selected(),
                ElementsAre(std::pair(2, 1), std::pair(2, 2), std::pair(3, 1), std::pair(3, 2)));
    g.SetMouseMode(MOUSEMODE_SELECT_ROWS);
    g.OnSelecting({2, 3});
    EXPECT_EQ(selected().size(), 4u); // row 2, non-fixed columns
    g.SetMouseMode(MOUSEMODE_SELECT_COLUMNS);
    g.OnSelecting({5, 4});
    EXPECT_EQ(selected().size(), 5u * 3u);
    g.SetMouseMode(MOUSEMODE_SELECT_ALL);
    g.OnSelecting({});
    EXPECT_EQ(selected().size(), 5u * 4u);
    EXPECT_EQ(g.GetSelectionBounds(), CellRange(1, 1, 5, 4));
    // Headings are never selected by extent.
    g.SetMouseMode(MOUSEMODE_SELECT_CELLS);
    g.OnSelecting({0, 2});
    EXPECT_EQ(selected().size(), 5u * 4u);
    // Nothing selected: a range that is not valid.
    g.ClearSelection();
    EXPECT_FALSE(g.IsValid(g.GetSelectionBounds()));
    EXPECT_EQ(g.GetSelectionBounds(), CellRange(6, 5, -1, -1));
    // Selection switched off: nothing changes.
    g.EnableSelection(false);
    g.SelectAllCells();
    EXPECT_TRUE(selected().empty());
}

TEST(GridSelection, ClearingForgetsWhatACtrlClickKept) {
    // Cells kept for a Ctrl-click come back with each new selection while
    // that selection lasts ...
    CGridCore g(5, 3, 1, 1);
    g.SetSelectedRange(1, 1, 1, 2);
    g.KeepSelectionForNext(true);
    g.SetSelectedRange(3, 1, 3, 1);
    EXPECT_EQ(g.SelectedCells().size(), 3u);
    // ... and no longer once it is cleared, also by inserting, deleting and sorting.
    struct Case {
        const char* what;
        std::function<void(CGridCore&)> clear;
    } cases[] = {
        {"clear", [](CGridCore& x) { x.ClearSelection(); }},
        {"insert", [](CGridCore& x) { x.InsertRow("r", 4); }},
        {"delete", [](CGridCore& x) { x.DeleteRow(4); }},
        {"sort", [](CGridCore& x) { x.SortTextItems(1, true); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CGridCore x(5, 3, 1, 1);
        x.SetSelectedRange(1, 1, 1, 2);
        x.KeepSelectionForNext(true);
        c.clear(x);
        EXPECT_TRUE(x.PreviousSelection().empty());
        x.SetSelectedRange(3, 2, 3, 2);
        EXPECT_EQ(x.SelectedCells().size(), 1u);
        EXPECT_EQ(x.GetItemState(1, 1) & CELLSTATE_SELECTED, 0u);
    }
}

// ---------------------------------------------------------------------------
// Clipboard text
// ---------------------------------------------------------------------------

TEST(GridClipboard, CopyGivesTabAndLineSeparatedBytes) {
    CGridCore g(3, 3, 1, 1);
    g.SetItemText(1, 1, "a");
    g.SetItemText(1, 2, "not selected");
    g.SetItemState(1, 1, CELLSTATE_SELECTED);
    g.SetItemState(2, 2, CELLSTATE_SELECTED);
    EXPECT_EQ(g.CopyTextFromGrid(), std::string("a\t\n\t \0", 6));
    CGridCore one(3, 3, 1, 1);
    one.SetItemText(2, 1, "x");
    one.SetItemState(2, 1, CELLSTATE_SELECTED);
    EXPECT_EQ(one.CopyTextFromGrid(), std::string("x\0", 2));
    CGridCore none(3, 3, 1, 1);
    EXPECT_EQ(none.CopyTextFromGrid(), std::nullopt);
}

TEST(GridClipboard, PasteCases) {
    using Rows = std::vector<std::vector<std::string>>;
    struct Case {
        const char* what;
        std::string block;
        Rows texts; // rows 1..3, columns 1..3; every cell held "o" before
    } cases[] = {
        {"comma and tab",
         std::string("a,b\tc\0", 6),
         {{"a", "b", "c"}, {"o", "o", "o"}, {"o", "o", "o"}}},
        {"double tab leaves no empty cell",
         std::string("a\t\tb\0", 5),
         {{"a", "b", "o"}, {"o", "o", "o"}, {"o", "o", "o"}}},
        {"an empty line empties its cell",
         std::string("a\n\nb\0", 5),
         {{"a", "o", "o"}, {"", "o", "o"}, {"b", "o", "o"}}},
        {"blanks trimmed",
         std::string("  a  \0", 6),
         {{"a", "o", "o"}, {"o", "o", "o"}, {"o", "o", "o"}}},
        {"beyond the last column skipped",
         std::string("1,2,3,4\n5\0", 10),
         {{"1", "2", "3"}, {"5", "o", "o"}, {"o", "o", "o"}}},
        {"text after the NUL is not read",
         std::string("a\0b", 3),
         {{"a", "o", "o"}, {"o", "o", "o"}, {"o", "o", "o"}}},
        {"a block without a NUL is read within its size",
         std::string("p\tq"),
         {{"p", "q", "o"}, {"o", "o", "o"}, {"o", "o", "o"}}},
        {"an empty last line has no fields",
         std::string("a\n\0", 3),
         {{"a", "o", "o"}, {"o", "o", "o"}, {"o", "o", "o"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingGrid g(4, 4, 1, 1);
        for (int r = 1; r < 4; ++r)
            for (int col = 1; col < 4; ++col)
                g.SetItemText(r, col, "o");
        g.SetItemState(1, 1, CELLSTATE_SELECTED);
        ASSERT_TRUE(g.PasteTextToGrid(1, 1, c.block));
        Rows got;
        for (int r = 1; r < 4; ++r) {
            got.emplace_back();
            for (int col = 1; col < 4; ++col)
                got.back().push_back(g.GetItemText(r, col));
        }
        EXPECT_EQ(got, c.texts);
        // Each written cell is announced, marked modified and left unselected.
        ASSERT_EQ(g.notes.size() % 2, 0u);
        for (size_t i = 0; i + 1 < g.notes.size(); i += 2) {
            EXPECT_EQ(g.notes[i].code, GRIDN_BEGIN_EDIT);
            EXPECT_EQ(g.notes[i + 1].code, GRIDN_END_EDIT);
            EXPECT_TRUE(g.GetModified(g.notes[i].row, g.notes[i].col));
        }
        EXPECT_EQ(g.GetItemState(1, 1) & CELLSTATE_SELECTED, 0u);
    }
}

TEST(GridClipboard, PasteSkipsReadOnlyCellsWhichKeepTheirPlace) {
    RecordingGrid g(3, 5, 1, 1);
    g.SetItemText(1, 2, "locked");
    g.SetItemState(1, 2, CELLSTATE_READONLY);
    ASSERT_TRUE(g.PasteTextToGrid(1, 1, std::string("a\tb\tc\0", 6)));
    EXPECT_EQ(g.GetItemText(1, 1), "a");
    EXPECT_EQ(g.GetItemText(1, 2), "locked");
    EXPECT_EQ(g.GetItemText(1, 3), "c");
    EXPECT_FALSE(g.GetModified(1, 2));
    for (const auto& n : g.notes)
        EXPECT_NE(n.col, 2);
    // A read-only or missing first cell refuses the whole paste.
    EXPECT_FALSE(g.PasteTextToGrid(1, 2, std::string("z\0", 2)));
    EXPECT_FALSE(g.PasteTextToGrid(3, 1, std::string("z\0", 2)));
    g.SetEditable(false);
    EXPECT_FALSE(g.PasteTextToGrid(1, 1, std::string("z\0", 2)));
    EXPECT_EQ(g.GetItemText(1, 1), "a");
}

TEST(GridClipboard, CutEmptiesTheEditableSelectedCells) {
    RecordingGrid g(3, 3, 1, 1);
    g.SetItemText(1, 1, "a");
    g.SetItemText(1, 2, "b");
    g.SetItemState(1, 1, CELLSTATE_SELECTED);
    g.SetItemState(1, 2, CELLSTATE_SELECTED | CELLSTATE_READONLY);
    EXPECT_TRUE(g.CutSelectedText());
    EXPECT_EQ(g.GetItemText(1, 1), "");
    EXPECT_EQ(g.GetItemText(1, 2), "b");
    EXPECT_THAT(g.notes, ElementsAre(RecordingGrid::Note{GRIDN_BEGIN_EDIT, 1, 1},
                                     RecordingGrid::Note{GRIDN_END_EDIT, 1, 1}));
    g.SetEditable(false);
    EXPECT_FALSE(g.CutSelectedText());
    EXPECT_EQ(g.GetItemText(1, 2), "b");
}

// ---------------------------------------------------------------------------
// Geometry and scrolling
// ---------------------------------------------------------------------------

// 1 fixed row of 20, rows of 20; 1 fixed column of 40, columns of 30.
void Shape(CGridCore& g, int clientW, int clientH) {
    g.SetClientSize(clientW, clientH);
    for (int r = 0; r < g.GetRowCount(); ++r)
        g.SetRowHeight(r, 20);
    g.SetColumnWidth(0, 40);
    for (int c = 1; c < g.GetColumnCount(); ++c)
        g.SetColumnWidth(c, 30);
    g.ResetScrollBars();
}

TEST(GridGeometry, OriginsRectanglesAndTheCellUnderAPoint) {
    CGridCore g(10, 8, 1, 1);
    Shape(g, 200, 100);
    GridRect r;
    ASSERT_TRUE(g.GetCellRect(2, 3, &r));
    EXPECT_EQ(r, (GridRect{100, 40, 129, 59}));
    ASSERT_TRUE(g.GetCellRect(0, 0, &r));
    EXPECT_EQ(r, (GridRect{0, 0, 39, 19}));
    // Scrolled by 10 pixels: the first non-fixed column is partly hidden,
    // so the top-left scrolled column is the second.
    g.SetScrollPos32(sb::kHorz, 10);
    EXPECT_EQ(g.GetTopLeftScrolledCell(), CellId(1, 2));
    EXPECT_FALSE(g.GetCellRect(2, 1, &r));
    ASSERT_TRUE(g.GetCellRect(2, 2, &r));
    EXPECT_EQ(r.left, 40);
    // Fixed cells stay where they are.
    ASSERT_TRUE(g.GetCellRect(0, 0, &r));
    EXPECT_EQ(r.left, 0);
    struct Hit {
        GridPoint p;
        bool includeFixed;
        CellId cell;
    } hits[] = {
        {{5, 5}, true, {0, 0}},    {{5, 5}, false, {-1, -1}}, {{45, 5}, true, {0, 2}},
        {{45, 25}, false, {1, 2}}, {{39, 39}, true, {1, 0}},  {{-1, 5}, true, {0, -1}},
        {{195, 95}, true, {4, 7}}, {{400, 5}, true, {0, -1}},
    };
    for (const Hit& h : hits) {
        SCOPED_TRACE(std::to_string(h.p.x) + "," + std::to_string(h.p.y));
        EXPECT_EQ(g.GetCellFromPoint(h.p, h.includeFixed), h.cell);
    }
    ASSERT_TRUE(g.GetRangeRect(CellRange(1, 2, 2, 3), &r));
    EXPECT_EQ(r, (GridRect{40, 20, 99, 59}));
}

TEST(GridGeometry, ResizeBordersOnlyInTheHeadings) {
    CGridCore g(6, 6, 1, 1);
    Shape(g, 300, 200);
    // Row 2 spans y 40..59: its last pixel row is on its border.
    EXPECT_TRUE(g.IsOnRowResizeBorder({10, 59}));
    EXPECT_FALSE(g.IsOnRowResizeBorder({60, 59}));
    EXPECT_TRUE(g.IsOnRowResizeBorder({10, 41})); // top border of row 2
    EXPECT_FALSE(g.IsOnRowResizeBorder({10, 50}));
    EXPECT_FALSE(g.IsOnRowResizeBorder({10, 1})); // row 0 has no top border
    EXPECT_TRUE(g.IsOnColumnResizeBorder({69, 5}));
    EXPECT_FALSE(g.IsOnColumnResizeBorder({69, 25}));
    EXPECT_FALSE(g.IsOnColumnResizeBorder({1, 5})); // column 0 has no left border
}

TEST(GridGeometry, ScrollRangesVisibleRangesAndVisibility) {
    CGridCore g(4, 3, 1, 1);
    Shape(g, 200, 200);
    EXPECT_EQ(g.GetScrollMax(sb::kVert), 0); // all rows fit
    EXPECT_EQ(g.GetScrollMax(sb::kHorz), 0);
    g.SetRowCount(12);
    for (int r = 0; r < 12; ++r)
        g.SetRowHeight(r, 20);
    g.ResetScrollBars();
    EXPECT_EQ(g.GetScrollMax(sb::kVert), 11 * 20 - 1);
    EXPECT_EQ(g.GetScrollPage(sb::kVert), 180);
    EXPECT_EQ(g.GetScrollLimit(sb::kVert), 220 - 180);
    g.SetScrollPos32(sb::kVert, 1000);
    EXPECT_EQ(g.GetScrollPos32(sb::kVert), 40);
    EXPECT_EQ(g.GetVisibleScrolledRange(), CellRange(3, 1, 11, 2));
    EXPECT_EQ(g.GetFullyVisibleScrolledRange(), CellRange(3, 1, 11, 2));
    // No non-fixed rows: the ranges stay as they were.
    CGridCore headings(2, 3, 2, 1);
    Shape(headings, 50, 20);
    EXPECT_EQ(headings.GetScrollMax(sb::kHorz), 0);
    headings.SetColumnWidth(2, 500);
    headings.ResetScrollBars();
    EXPECT_EQ(headings.GetScrollMax(sb::kHorz), 0);

    // One column wider than the view can still be scrolled to its end.
    CGridCore wide(7, 2, 1, 1);
    Shape(wide, 300, 100);
    wide.SetColumnWidth(1, 262);
    wide.ResetScrollBars();
    EXPECT_EQ(wide.GetScrollMax(sb::kHorz), 262 - 1);
    EXPECT_EQ(wide.GetScrollLimit(sb::kHorz), 262 - 260);
    EXPECT_EQ(wide.GetScrollMax(sb::kVert), 6 * 20 - 1);

    // A column whose left edge lies on the client's right edge is not
    // visible; one pixel further in, it is.
    CGridCore v(3, 5, 1, 1);
    Shape(v, 100, 100); // column 3 starts at 40 + 30 + 30 = 100
    EXPECT_FALSE(v.IsCellVisible(1, 3));
    v.SetClientSize(101, 100);
    EXPECT_TRUE(v.IsCellVisible(1, 3));
    EXPECT_TRUE(v.IsCellVisible(0, 0));
    CGridCore noWindow(3, 3, 1, 1);
    EXPECT_FALSE(noWindow.IsCellVisible(1, 1));
    EXPECT_FALSE(noWindow.InvalidateCell({1, 1}));
    v.SetRedraw(false);
    EXPECT_FALSE(v.InvalidateCell({1, 1}));
}

TEST(GridGeometry, LineAndPageScrollsAndEnsureVisible) {
    RecordingGrid g(20, 10, 1, 1);
    Shape(g, 160, 120); // 4 columns and 5 rows of cells show
    g.OnScroll(sb::kHorz, sb::kLineDown);
    EXPECT_EQ(g.GetScrollPos32(sb::kHorz), 30);
    g.OnScroll(sb::kHorz, sb::kLineUp);
    EXPECT_EQ(g.GetScrollPos32(sb::kHorz), 0);
    g.OnScroll(sb::kVert, sb::kPageDown);
    EXPECT_EQ(g.GetScrollPos32(sb::kVert), 100);
    g.OnScroll(sb::kVert, sb::kBottom);
    EXPECT_EQ(g.GetScrollPos32(sb::kVert), g.GetScrollLimit(sb::kVert));
    g.OnScroll(sb::kVert, sb::kTop);
    EXPECT_EQ(g.GetScrollPos32(sb::kVert), 0);
    // A cell in view sends no scroll request; one out of view scrolls it in.
    g.ClearRecords();
    g.EnsureVisible(2, 2);
    EXPECT_EQ(g.scrolls, 0);
    g.EnsureVisible(12, 8);
    EXPECT_GT(g.scrolls, 0);
    EXPECT_TRUE(g.GetFullyVisibleScrolledRange().InRange({12, 8}));
}

// ---------------------------------------------------------------------------
// Sizes and fitting
// ---------------------------------------------------------------------------

TEST(GridSizes, SettersRefuseBadIndicesAndSizes) {
    CGridCore g(7, 2, 1, 1);
    EXPECT_TRUE(g.SetColumnWidth(1, 262));
    EXPECT_EQ(g.GetColumnWidth(1), 262);
    EXPECT_FALSE(g.SetColumnWidth(2, 10));
    EXPECT_FALSE(g.SetColumnWidth(1, -1));
    EXPECT_EQ(g.GetColumnWidth(1), 262);
    EXPECT_EQ(g.GetRowHeight(-1), -1);
    EXPECT_EQ(g.GetColumnWidth(2), -1);
    EXPECT_FALSE(g.SetRowHeight(7, 5));
}

TEST(GridSizes, FittingSpreadsTheDifferenceAndNeverGoesBelowZero) {
    struct Case {
        std::vector<int> sizes;
        int total;
        std::vector<int> fitted;
    } cases[] = {
        {{10, 10, 10}, 100, {34, 33, 33}}, {{10, 10, 10}, 20, {6, 7, 7}},
        {{10, 10, 10}, 30, {10, 10, 10}},  {{1, 30, 30}, 40, {0, 20, 20}},
        {{0, 0, 50}, 10, {0, 0, 10}},      {{5, 5}, 0, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.sizes) + " to " + std::to_string(c.total));
        const std::vector<int> got = CGridCore::FitSizes(c.sizes, c.total);
        EXPECT_EQ(got, c.fitted);
    }
    CGridCore g(3, 3);
    g.SetClientSize(40, 5);
    g.SetColumnWidth(0, 1);
    g.SetColumnWidth(1, 30);
    g.SetColumnWidth(2, 30);
    g.ExpandToFit();
    EXPECT_THAT(Widths(g), ElementsAre(0, 20, 20));
    for (int r = 0; r < 3; ++r)
        EXPECT_GE(g.GetRowHeight(r), 0);
    EXPECT_EQ(g.GetVirtualHeight(), 5);
}

TEST(GridSizes, TheFontGivesTheMarginAndTheDefaultsButNotTheSizesOfExistingRows) {
    CGridCore g(3, 3);
    const int before = g.GetRowHeight(1);
    GridFont big;
    big.face = "Arial";
    big.height = 32;
    big.weight = 400;
    g.ApplyFont(big);
    EXPECT_EQ(g.GetRowHeight(1), before);
    EXPECT_EQ(g.GetItemFont(2, 2), big);
    EXPECT_EQ(g.GetDefaultRowHeight(), 32 + 2 * g.GetMargin());
    EXPECT_GT(g.GetMargin(), 0);
    g.SetRowCount(4);
    EXPECT_EQ(g.GetRowHeight(3), g.GetDefaultRowHeight());
}

TEST(GridSizes, HeadingsMeasureBoldAndACellWithoutAnImageAddsNothingForIt) {
    // Measures every text as 10 units a character, 20 high, and keeps the weights asked for.
    class MeasuringGrid : public CGridCore {
    public:
        using CGridCore::CGridCore;
        mutable std::vector<int> weights;

    protected:
        GridSize MeasureText(const std::string& text, const GridFont& font) const override {
            weights.push_back(font.weight);
            return {10 * static_cast<int>(text.size()), 20};
        }
    };
    MeasuringGrid g(3, 3, 1, 1);
    GridFont normal;
    normal.face = "Arial";
    normal.height = 16;
    normal.weight = 400;
    g.ApplyFont(normal);
    const int m = g.GetMargin();
    struct Case {
        int row, col;
        int weight;
    } cases[] = {{0, 1, 600}, {1, 0, 600}, {2, 2, 400}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.col));
        g.SetItemText(c.row, c.col, "abcd");
        g.weights.clear();
        EXPECT_EQ(g.GetCellExtent(c.row, c.col), (GridSize{40 + 4 * m, 20 + 2 * m}));
        EXPECT_THAT(g.weights, ElementsAre(c.weight));
        EXPECT_EQ(g.GetItemFont(c.row, c.col).weight, 400); // the cell's own font stays
    }
}

// ---------------------------------------------------------------------------
// The keyboard
// ---------------------------------------------------------------------------

TEST(GridKeys, TheFocusWalksAndWraps) {
    struct Case {
        const char* what;
        CellId from;
        int key;
        bool shift;
        CellId to;
    } cases[] = {
        {"down on the last row wraps to row 1", {6, 1}, vk::kDown, false, {1, 1}},
        {"up on the first row wraps to the last", {1, 2}, vk::kUp, false, {6, 2}},
        {"right", {2, 1}, vk::kRight, false, {2, 2}},
        {"right on the last column stays", {2, 2}, vk::kRight, false, {2, 2}},
        {"left stops at the headings", {2, 1}, vk::kLeft, false, {2, 1}},
        {"tab", {3, 1}, vk::kTab, false, {3, 2}},
        {"tab at the end of a row", {3, 2}, vk::kTab, false, {4, 1}},
        {"tab at the last cell wraps to row 1", {6, 2}, vk::kTab, false, {1, 1}},
        {"shift tab at a row's start", {3, 1}, vk::kTab, true, {2, 2}},
        {"shift tab at the first cell stays", {1, 1}, vk::kTab, true, {1, 1}},
        {"page up at the top", {3, 2}, vk::kPrior, false, {1, 2}},
        {"page down with everything in view", {3, 2}, vk::kNext, false, {6, 2}},
        {"home", {5, 1}, vk::kHome, false, {1, 1}},
        {"end", {2, 1}, vk::kEnd, false, {6, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingGrid g(7, 3, 1, 1);
        Shape(g, 300, 300);
        g.SetFocusCell(c.from);
        g.ClearRecords();
        g.OnKeyDown(c.key, false, c.shift);
        EXPECT_EQ(g.GetFocusCell(), c.to);
        if (c.to != c.from) {
            EXPECT_NE(g.GetItemState(c.to.row, c.to.col) & CELLSTATE_SELECTED, 0u);
            EXPECT_EQ(g.SelectedCells().size(), 1u);
        }
    }
}

TEST(GridKeys, TabAtTheLastCellScrollsBackToTheLeft) {
    RecordingGrid g(30, 12, 1, 1);
    Shape(g, 160, 120);
    g.SetFocusCellAt(29, 11);
    g.EnsureVisible(29, 11);
    ASSERT_GT(g.GetScrollPos32(sb::kHorz), 0);
    g.OnKeyDown(vk::kTab, false, false);
    EXPECT_EQ(g.GetFocusCell(), CellId(1, 1));
    EXPECT_EQ(g.GetScrollPos32(sb::kHorz), 0);
    EXPECT_TRUE(g.GetFullyVisibleScrolledRange().InRange({1, 1}));
}

TEST(GridKeys, DeleteEmptiesAnEditableFocusCellOnly) {
    RecordingGrid g(3, 3, 1, 1);
    g.SetEditable(false); // the Delete key looks at the cell alone
    g.SetItemText(1, 1, "name");
    g.SetItemText(2, 1, "locked");
    g.SetItemState(2, 1, CELLSTATE_READONLY);
    g.SetFocusCellAt(1, 1);
    g.ClearRecords();
    g.OnKeyDown(vk::kDelete, false, false);
    EXPECT_EQ(g.GetItemText(1, 1), "");
    EXPECT_TRUE(g.GetModified(1, 1));
    EXPECT_THAT(g.notes, ElementsAre(RecordingGrid::Note{GRIDN_TEXT_DELETED, 1, 1}));
    g.SetFocusCellAt(2, 1);
    g.ClearRecords();
    g.OnKeyDown(vk::kDelete, false, false);
    EXPECT_EQ(g.GetItemText(2, 1), "locked");
    EXPECT_TRUE(g.notes.empty());
    // Without a focus cell, keys do nothing.
    g.SetFocusCellAt(-1, -1);
    g.ClearRecords();
    g.OnKeyDown(vk::kDown, false, false);
    EXPECT_EQ(g.GetFocusCell(), CellId());
    EXPECT_TRUE(g.notes.empty());
}

// ---------------------------------------------------------------------------
// Printing
// ---------------------------------------------------------------------------

TEST(GridPrintLayout, RowsArePaginatedWithoutBlankPages) {
    struct Case {
        const char* what;
        std::vector<int> heights;
        int pageRowHeight;
        std::vector<int> pages;
    } cases[] = {
        {"ten rows of 20 on pages of 95",
         std::vector<int>(10, 20),
         95,
         {1, 1, 1, 1, 2, 2, 2, 2, 3, 3}},
        {"exactly full", {50, 45, 10}, 95, {1, 1, 2}},
        {"a tall row gets a page of its own", {20, 200, 20}, 95, {1, 2, 3}},
        {"a tall first row leaves no blank page", {200, 20}, 95, {1, 2}},
        {"a page with no room", {20, 20}, 0, {1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CGridCore::PaginateRows(c.heights, c.pageRowHeight), c.pages);
    }
    CGridCore g(11, 2, 1, 1);
    for (int r = 0; r < 11; ++r)
        g.SetRowHeight(r, 20);
    EXPECT_THAT(g.RowsOnPrintPage(2, 95), ElementsAre(5, 6, 7, 8));
    EXPECT_THAT(g.RowsOnPrintPage(3, 95), ElementsAre(9, 10));
    EXPECT_TRUE(g.RowsOnPrintPage(4, 95).empty());
}

TEST(GridPrintLayout, ThePageKeepsThePapersProportions) {
    CGridCore g(11, 2, 1, 1);
    for (int r = 0; r < 11; ++r)
        g.SetRowHeight(r, 20);
    g.SetColumnWidth(0, 60);
    g.SetColumnWidth(1, 200);
    // W = 260 + 8 x 5 = 300; H = 300 x 1100 / 1500 = 220; U = 220 - 20 - 6 x 10 = 140.
    const GridPrintLayout l = g.LayoutPrint(5, 10, 1500, 1100);
    EXPECT_EQ(l.pageWidth, 300);
    EXPECT_EQ(l.pageHeight, 220);
    EXPECT_EQ(l.pageRowHeight, 140);
    EXPECT_EQ(l.pages, 2); // 7 rows, then 3
    CGridCore headingsOnly(2, 2, 2, 0);
    EXPECT_EQ(headingsOnly.LayoutPrint(5, 10, 1500, 1100).pages, 0);
}

// ---------------------------------------------------------------------------
// Text files
// ---------------------------------------------------------------------------

class GridFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = ::testing::TempDir() + "grid_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".csv";
    }
    void TearDown() override { std::remove(path.c_str()); }
    std::string Read() const {
        std::ifstream f(path, std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }
    void Write(const std::string& bytes) const {
        std::ofstream f(path, std::ios::binary);
        f << bytes;
    }
    std::string path;
};

TEST_F(GridFileTest, SaveAndLoadRoundTripWithALongRow) {
    CGridCore g(3, 2, 1, 1);
    g.SetItemText(0, 0, "No.");
    g.SetItemText(0, 1, "Name");
    g.SetItemText(1, 0, "1");
    g.SetItemText(1, 1, std::string(3000, 'n')); // far longer than 1023 characters
    g.SetItemText(2, 0, "2");
    g.SetItemText(2, 1, "中文");
    ASSERT_EQ(g.WriteTextFile(path), GridFileResult::Ok);
    EXPECT_EQ(Read(), "No.,Name\r\n1," + std::string(3000, 'n') + "\r\n2,中文\r\n");
    CGridCore loaded;
    ASSERT_EQ(loaded.ReadTextFile(path), GridFileResult::Ok);
    EXPECT_EQ(Texts(loaded), Texts(g));
    EXPECT_EQ(loaded.GetFixedRowCount(), 0);
    EXPECT_EQ(loaded.GetFixedColumnCount(), 0);
    EXPECT_EQ(loaded.GetItemFormat(1, 1), dt::kCenter | dt::kVCenter | dt::kSingleLine);
}

TEST_F(GridFileTest, LinesAndFields) {
    struct Case {
        const char* what;
        std::string file;
        std::vector<std::vector<std::string>> texts;
    } cases[] = {
        {"a comma in a text splits it", "a,b\r\nx,y,z\r\n", {{"a", "b"}, {"x", "y"}}},
        {"two commas give an empty field", "a,,c\n", {{"a", "", "c"}}},
        {"a trailing comma before the line end", "a,b,\n1,2,\n", {{"a", "b", ""}, {"1", "2", ""}}},
        {"a trailing comma at the end of the file", "a,b\n1,", {{"a", "b"}, {"1", ""}}},
        {"an empty line is one empty field", "a,b\n\n1,2\n", {{"a", "b"}, {"", ""}, {"1", "2"}}},
        {"lines without CR", "h\nv\n", {{"h"}, {"v"}}},
        {"no line end at the end", "h\nv", {{"h"}, {"v"}}},
        {"an empty file", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Write(c.file);
        CGridCore g(2, 2);
        ASSERT_EQ(g.ReadTextFile(path), GridFileResult::Ok);
        EXPECT_EQ(Texts(g), c.texts);
    }
    EXPECT_THAT(CGridCore::SplitCsvLine("a,b,\r", false), ElementsAre("a", "b"));
    EXPECT_THAT(CGridCore::SplitCsvLine("a,b,\r", true), ElementsAre("a", "b", ""));
}

TEST_F(GridFileTest, AFileThatCannotBeOpened) {
    CGridCore g(2, 2);
    g.SetItemText(1, 1, "kept");
    EXPECT_EQ(g.WriteTextFile(::testing::TempDir() + "no/such/folder/x.csv"),
              GridFileResult::OpenFailed);
    EXPECT_EQ(g.ReadTextFile(::testing::TempDir() + "no/such/folder/x.csv"),
              GridFileResult::OpenFailed);
    EXPECT_EQ(g.GetItemText(1, 1), "kept");
    CGridCore noColumns(3, 0);
    ASSERT_EQ(noColumns.WriteTextFile(path), GridFileResult::Ok);
    EXPECT_EQ(Read(), "");
    CGridCore noRows(0, 3);
    ASSERT_EQ(noRows.WriteTextFile(path), GridFileResult::Ok);
    EXPECT_EQ(Read(), ",,\r\n");
}

} // namespace
