// The grid below its window: a table of cells in rows and columns with fixed
// (heading) rows at the top and fixed columns at the left, each cell with its
// own text, state, format, colours, font and image index; the focus cell and
// the selection; the clipboard's tab-separated text; where each cell lies for
// the current scroll positions and which cell lies under a point; row heights,
// column widths and fitting; deleting, sorting and searching; the keyboard's
// walk from cell to cell; the page layout of a printout; and the grid's
// comma-separated text files. Plain C++: the window (controls/grid/GridCtrl.h)
// derives from it and answers its hooks (notifications, redraws, measuring
// text, the clipboard); without a window the hooks do nothing and texts are
// measured by a plain estimate, so every rule can be tested without one.
//
// Texts are UTF-8. Rectangles follow the system's convention: a cell's
// rectangle runs from its origin to origin + width - 1 (its last pixel), so
// the next cell's origin is one pixel beyond it.
#pragma once

#include "model/ChannelColors.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Value types
// ---------------------------------------------------------------------------

struct CellId {
    int row = -1;
    int col = -1;
    constexpr CellId() = default;
    constexpr CellId(int r, int c) : row(r), col(c) {}
    friend constexpr bool operator==(const CellId& a, const CellId& b) {
        return a.row == b.row && a.col == b.col;
    }
    friend constexpr bool operator!=(const CellId& a, const CellId& b) { return !(a == b); }
};

struct CellRange {
    int minRow = -1;
    int minCol = -1;
    int maxRow = -1;
    int maxCol = -1;
    constexpr CellRange() = default;
    constexpr CellRange(int r1, int c1, int r2, int c2)
        : minRow(r1), minCol(c1), maxRow(r2), maxCol(c2) {}
    int GetMinRow() const { return minRow; }
    int GetMinCol() const { return minCol; }
    int GetMaxRow() const { return maxRow; }
    int GetMaxCol() const { return maxCol; }
    // No validity test: an empty range may count negative.
    int Count() const { return (maxRow - minRow + 1) * (maxCol - minCol + 1); }
    CellId GetTopLeft() const { return {minRow, minCol}; }
    bool InRange(const CellId& c) const {
        return c.row >= minRow && c.row <= maxRow && c.col >= minCol && c.col <= maxCol;
    }
    CellRange Intersect(const CellRange& o) const;
    friend bool operator==(const CellRange& a, const CellRange& b) {
        return a.minRow == b.minRow && a.minCol == b.minCol && a.maxRow == b.maxRow &&
               a.maxCol == b.maxCol;
    }
};

struct GridPoint {
    int x = 0;
    int y = 0;
};

struct GridSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const GridSize& a, const GridSize& b) {
        return a.cx == b.cx && a.cy == b.cy;
    }
};

// A rectangle as the system keeps one: right and bottom are one past the
// area for fills, and a cell's rectangle names its last pixel there.
struct GridRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    friend bool operator==(const GridRect& a, const GridRect& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
};

// A font as the grid describes one: face, height (positive: the character
// cell in pixels; negative: the em), weight 1..1000, and its styles.
struct GridFont {
    std::string face = "System";
    int height = 16;
    int weight = 700;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    friend bool operator==(const GridFont& a, const GridFont& b) {
        return a.face == b.face && a.height == b.height && a.weight == b.weight &&
               a.italic == b.italic && a.underline == b.underline && a.strikeOut == b.strikeOut;
    }
};

// What a font measures: the character cell, the leading between lines, the
// average character width and the width of a space.
struct GridFontMetrics {
    int height = 16;
    int externalLeading = 0;
    int aveCharWidth = 7;
    int spaceWidth = 4;
};

// Cell state bits.
enum : uint32_t {
    CELLSTATE_FOCUSED = 0x01,
    CELLSTATE_SELECTED = 0x02,
    CELLSTATE_DROPTARGET = 0x04,
    CELLSTATE_READONLY = 0x08,
    CELLSTATE_MODIFIED = 0x20,
};

// Which fields of a GridItem are meant.
enum : uint32_t {
    GIM_TEXT = 0x01,
    GIM_IMAGE = 0x02,
    GIM_PARAM = 0x04,
    GIM_STATE = 0x08,
    GIM_BKCOLOUR = 0x10,
    GIM_FGCOLOUR = 0x20,
    GIM_FORMAT = 0x40,
    GIM_FONT = 0x80,
};

// Direction flags of CGridCore::GetNextItem, combined with state bits.
enum : uint32_t {
    NEXT_ABOVE = 0x100,
    NEXT_BELOW = 0x200,
    NEXT_LEFT = 0x400,
    NEXT_RIGHT = 0x800,
};

// What the left button is doing.
enum : int {
    MOUSEMODE_NONE = 0,
    MOUSEMODE_SELECT_ALL = 1,
    MOUSEMODE_SELECT_COLUMNS = 2,
    MOUSEMODE_SELECT_ROWS = 3,
    MOUSEMODE_SELECT_CELLS = 4,
    MOUSEMODE_OVER_ROW_BORDER = 6,
    MOUSEMODE_SIZING_ROW = 7,
    MOUSEMODE_OVER_COLUMN_BORDER = 8,
    MOUSEMODE_SIZING_COLUMN = 9,
    MOUSEMODE_PREPARE_EDIT = 10,
    MOUSEMODE_PREPARE_DRAG = 11,
    MOUSEMODE_DRAGGING = 12,
};

// Notification codes the grid sends its owner.
enum : int {
    NM_DBLCLK = -3,
    GRIDN_FOCUS_CHANGING = -100,
    GRIDN_FOCUS_CHANGED = -101,
    GRIDN_TEXT_DELETED = -103,
    GRIDN_BEGIN_EDIT = -105,
    GRIDN_END_EDIT = -106,
    GRIDN_BEGIN_DRAG = -109,
};

// The in-place editors' control id.
constexpr int IDC_INPLACE_EDIT = 8;

// Text format flags (the system's text-drawing flags).
namespace dt {
constexpr uint32_t kLeft = 0x0;
constexpr uint32_t kCenter = 0x1;
constexpr uint32_t kRight = 0x2;
constexpr uint32_t kVCenter = 0x4;
constexpr uint32_t kBottom = 0x8;
constexpr uint32_t kWordBreak = 0x10;
constexpr uint32_t kSingleLine = 0x20;
constexpr uint32_t kNoClip = 0x100;
constexpr uint32_t kNoPrefix = 0x800;
constexpr uint32_t kEndEllipsis = 0x8000;
} // namespace dt

// Key codes the grid and its editors act on (the system's virtual keys).
namespace vk {
constexpr int kLButton = 0x01;
constexpr int kBack = 0x08;
constexpr int kTab = 0x09;
constexpr int kReturn = 0x0D;
constexpr int kEscape = 0x1B;
constexpr int kSpace = 0x20;
constexpr int kPrior = 0x21;
constexpr int kNext = 0x22;
constexpr int kEnd = 0x23;
constexpr int kHome = 0x24;
constexpr int kLeft = 0x25;
constexpr int kUp = 0x26;
constexpr int kRight = 0x27;
constexpr int kDown = 0x28;
constexpr int kDelete = 0x2E;
} // namespace vk

// Scroll bars and the scroll requests of the scroll messages.
namespace sb {
constexpr int kHorz = 0;
constexpr int kVert = 1;
constexpr int kLineUp = 0; // also line left
constexpr int kLineDown = 1;
constexpr int kPageUp = 2;
constexpr int kPageDown = 3;
constexpr int kThumbPosition = 4;
constexpr int kThumbTrack = 5;
constexpr int kTop = 6; // also left end
constexpr int kBottom = 7;
} // namespace sb

constexpr COLORREF CLR_DEFAULT = 0xFF000000;

// One cell.
struct CellRecord {
    uint32_t state = 0;
    uint32_t format = 0;
    std::string text;
    std::string secondText; // kept equal to the text by the text setter
    int image = -1;
    COLORREF bkColour = CLR_DEFAULT;
    COLORREF fgColour = CLR_DEFAULT;
    GridFont font;
    intptr_t lParam = 0;
};

// A cell described to the item setter and getter; also what an in-place
// editor reports when it ends (lParam: the key that ended it).
struct GridItem {
    int row = 0;
    int col = 0;
    uint32_t mask = 0;
    uint32_t state = 0;
    uint32_t format = 0;
    std::string text;
    int image = -1;
    COLORREF bkColour = CLR_DEFAULT;
    COLORREF fgColour = CLR_DEFAULT;
    intptr_t lParam = 0;
    GridFont font;
};

// The notification records (WM_NOTIFY): the sender, its control id and the code.
struct GridNotifyHeader {
    const void* from = nullptr;
    uintptr_t idFrom = 0;
    int code = 0;
};
struct GridNotify {
    GridNotifyHeader hdr;
    int row = 0;
    int col = 0;
};
struct GridEditNotify {
    GridNotifyHeader hdr;
    GridItem item;
};

// The system colours the grid's colours start from and follow.
struct GridSystemColours {
    COLORREF windowText = RgbColor(0, 0, 0);
    COLORREF window = RgbColor(255, 255, 255);
    COLORREF btnFace = RgbColor(212, 208, 200);
    COLORREF btnShadow = RgbColor(128, 128, 128);
};

// The layout of a printout: the printer font's average character width and
// height, the paper in device pixels, the logical page (the grid's units
// scaled to the paper's width) and the height left on a page for rows.
struct GridPrintLayout {
    int charWidth = 0;
    int charHeight = 0;
    int paperWidth = 0;
    int paperHeight = 0;
    int pageWidth = 0;
    int pageHeight = 0;
    int pageRowHeight = 0;
    int pages = 0; // 0: nothing to lay out
};

// Why a text file could not be written or read.
enum class GridFileResult { Ok, OpenFailed, IoFailed };

// Per-column lists of allowed texts (the choice-list grid): a column with a
// list takes only its texts in its non-fixed cells. The first list given for
// a column is the one used.
class GridChoiceLists {
public:
    void Add(int column, std::vector<std::string> strings);
    // Index of the column's first list, or -1.
    int Find(int column) const;
    const std::vector<std::string>* Choices(int column) const;
    // True when the column has no list or the text is one of its strings
    // (exactly, case-sensitive).
    bool Accepts(int column, const std::string& text) const;

private:
    std::vector<std::pair<int, std::vector<std::string>>> lists_;
};

// ---------------------------------------------------------------------------
// The grid
// ---------------------------------------------------------------------------

class CGridCore {
public:
    using CellRow = std::vector<std::unique_ptr<CellRecord>>;
    using CompareFn = std::function<int(intptr_t, intptr_t, intptr_t)>;

    // Counts are set in this order: rows, columns, fixed rows, fixed columns.
    explicit CGridCore(int rows = 0, int cols = 0, int fixedRows = 0, int fixedCols = 0);
    virtual ~CGridCore();
    CGridCore(const CGridCore&) = delete;
    CGridCore& operator=(const CGridCore&) = delete;

    // ---- colours ------------------------------------------------------------
    // The system colours at construction: the cache and the five colours.
    void InitColours(const GridSystemColours& sys);
    // The system colours changed: each colour that still equals its cached
    // system colour follows it; the cache takes the new ones.
    void OnSysColourChange(const GridSystemColours& sys);
    void SetTextColor(COLORREF c) { m_TextColour = c; }
    void SetTextBkColor(COLORREF c) { m_TextBkColour = c; }
    void SetBkColor(COLORREF c) { m_BkColour = c; }
    void SetFixedTextColor(COLORREF c) { m_FixedTextColour = c; }
    void SetFixedBkColor(COLORREF c) { m_FixedBkColour = c; }
    void SetGridLineColour(COLORREF c) { m_GridColour = c; }
    COLORREF GetTextColor() const { return m_TextColour; }
    COLORREF GetTextBkColor() const { return m_TextBkColour; }
    COLORREF GetBkColor() const { return m_BkColour; }
    COLORREF GetFixedTextColor() const { return m_FixedTextColour; }
    COLORREF GetFixedBkColor() const { return m_FixedBkColour; }
    COLORREF GetGridLineColour() const { return m_GridColour; }
    // 0 none, 1 horizontal, 2 vertical, 3 both.
    void SetGridLines(int lines) { m_GridLines = lines; }
    int GetGridLines() const { return m_GridLines; }

    // ---- flags --------------------------------------------------------------
    // Stores the flag, then the focus cell takes the state that goes with it.
    void SetEditable(bool editable);
    bool IsEditable() const { return m_Editable; }
    void SetListMode(bool on) { m_ListMode = on; }
    bool GetListMode() const { return m_ListMode; }
    void SetSingleSelection(bool on) { m_SingleSelection = on; }
    bool GetSingleSelection() const { return m_SingleSelection; }
    void EnableSelection(bool on) { m_EnableSelection = on; }
    bool IsSelectable() const { return m_EnableSelection; }
    void SetRowResize(bool on) { m_AllowRowResize = on; }
    bool GetRowResize() const { return m_AllowRowResize; }
    void SetColumnResize(bool on) { m_AllowColumnResize = on; }
    bool GetColumnResize() const { return m_AllowColumnResize; }
    void SetSortOnClick(bool on) { m_SortOnClick = on; }
    bool GetSortOnClick() const { return m_SortOnClick; }
    void SetHandleTabKey(bool on) { m_HandleTabKey = on; }
    bool GetHandleTabKey() const { return m_HandleTabKey; }
    void EnableDragAndDrop(bool on) { m_AllowDragAndDrop = on; }
    bool IsDragAndDropEnabled() const { return m_AllowDragAndDrop; }
    void EnableTitleTips(bool on) { m_TitleTips = on; }
    bool GetTitleTips() const { return m_TitleTips; }
    void SetDoubleBuffering(bool on) { m_DoubleBuffer = on; }
    bool GetDoubleBuffering() const { return m_DoubleBuffer; }
    // While false nothing is drawn and the scroll bars are not recomputed.
    bool IsRedrawAllowed() const { return m_AllowDraw; }
    // Allowing again redraws everything; resetScrollBars recomputes them.
    void SetRedraw(bool allow, bool resetScrollBars = false);
    void SetWheelScrollLines(int lines) { m_WheelLines = lines; }
    int GetWheelScrollLines() const { return m_WheelLines; }

    // ---- counts ---------------------------------------------------------------
    int GetRowCount() const { return m_Rows; }
    int GetColumnCount() const { return m_Cols; }
    int GetFixedRowCount() const { return m_FixedRows; }
    int GetFixedColumnCount() const { return m_FixedCols; }
    // A negative count is refused (false) and changes nothing.
    bool SetRowCount(int n);
    bool SetColumnCount(int n);
    bool SetFixedRowCount(int n);
    bool SetFixedColumnCount(int n);
    // The new row's (column's) index, or -1 for a before index at or beyond
    // the count; a negative before appends.
    int InsertRow(const std::string& heading, int before = -1);
    int InsertColumn(const std::string& heading,
                     uint32_t format = dt::kCenter | dt::kVCenter | dt::kSingleLine,
                     int before = -1);

    CellRecord* GetCell(int row, int col) const;
    bool IsValid(int row, int col) const;
    bool IsValid(const CellId& cell) const { return IsValid(cell.row, cell.col); }
    bool IsValid(const CellRange& range) const;

    // ---- item access ----------------------------------------------------------
    virtual bool SetItem(const GridItem* item);
    bool GetItem(GridItem* item) const;
    // Both texts; the whole grid is invalidated. False for no cell.
    virtual bool SetItemText(int row, int col, const std::string& text);
    virtual std::string GetItemText(int row, int col) const;
    bool SetItemSecondText(int row, int col, const std::string& text);
    std::string GetItemSecondText(int row, int col) const;
    bool SetItemData(int row, int col, intptr_t data);
    intptr_t GetItemData(int row, int col) const;
    bool SetItemImage(int row, int col, int image);
    int GetItemImage(int row, int col) const;
    // Keeps the selected-cell map in step with the selected bit.
    bool SetItemState(int row, int col, uint32_t state);
    uint32_t GetItemState(int row, int col) const;
    bool SetItemFormat(int row, int col, uint32_t format);
    uint32_t GetItemFormat(int row, int col) const;
    bool SetItemBkColour(int row, int col, COLORREF colour);
    COLORREF GetItemBkColour(int row, int col) const;
    bool SetItemFgColour(int row, int col, COLORREF colour);
    COLORREF GetItemFgColour(int row, int col) const;
    bool SetItemFont(int row, int col, const GridFont& font);
    // The grid's font description for a position outside the grid.
    const GridFont& GetItemFont(int row, int col) const;
    bool IsCellFixed(int row, int col) const;
    // The grid is editable and the cell is not read-only (outside: editable).
    bool IsCellEditable(int row, int col) const;
    bool IsCellEditable(const CellId& c) const { return IsCellEditable(c.row, c.col); }
    // Row or column <= 0 addresses the grid as a whole.
    void SetModified(bool modified = true, int row = -1, int col = -1);
    bool GetModified(int row = -1, int col = -1) const;

    // ---- deleting, sorting, searching -----------------------------------------
    bool DeleteColumn(int col);
    bool DeleteRow(int row);
    bool DeleteNonFixedRows();
    bool DeleteAllItems();
    // Sorts the non-fixed rows by a column's texts (by character code) or by
    // a comparison of the cells' lParam values; false for a bad column or
    // fewer than two rows.
    bool SortTextItems(int col, bool ascending);
    bool SortItems(const CompareFn& compare, int col, bool ascending, intptr_t data);
    // The heading click in list mode: the same column again turns the order.
    void SortOnHeading(int col);
    int GetSortColumn() const { return m_SortColumn; }
    bool GetSortAscending() const { return m_SortAscending; }
    CellId GetNextItem(const CellId& start, uint32_t flags) const;

    // ---- focus and selection --------------------------------------------------
    // Returns the previous focus cell.
    CellId SetFocusCell(const CellId& cell);
    CellId SetFocusCellAt(int row, int col) { return SetFocusCell({row, col}); }
    CellId GetFocusCell() const { return m_FocusCell; }
    void SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, bool redrawNow = false);
    void SelectRange(const CellRange& range, bool redrawNow = false) {
        SetSelectedRange(range.minRow, range.minCol, range.maxRow, range.maxCol, redrawNow);
    }
    void SelectAllCells();
    void SelectColumns(const CellId& cell);
    void SelectRows(const CellId& cell);
    void SelectCells(const CellId& cell);
    // Extends the selection to the cell by the mouse mode.
    void OnSelecting(const CellId& cell);
    // Deselects everything, forgets the selection a Ctrl-click kept, and
    // clears the focus cell.
    void ClearSelection();
    CellRange GetSelectionBounds() const;
    CellRange GetWholeRange() const { return {0, 0, m_Rows - 1, m_Cols - 1}; }
    static uint32_t CellKey(int row, int col) {
        return (static_cast<uint32_t>(col) << 16) | (static_cast<uint32_t>(row) & 0xFFFF);
    }
    const std::map<uint32_t, CellId>& SelectedCells() const { return m_SelectedCells; }
    const std::map<uint32_t, CellId>& PreviousSelection() const { return m_PrevSelectedCells; }
    // A Ctrl-click keeps the selection so far; a plain click forgets it.
    void KeepSelectionForNext(bool keep);
    CellId GetSelectionStartCell() const { return m_SelectionStartCell; }
    void SetSelectionStartCell(const CellId& c) { m_SelectionStartCell = c; }
    int GetMouseMode() const { return m_MouseMode; }
    void SetMouseMode(int mode) { m_MouseMode = mode; }
    CellId GetRightClickCell() const { return m_RightClickCell; }

    // ---- clipboard text -------------------------------------------------------
    // The selection as clipboard bytes: one line per row of its bounds
    // (joined by LF), one field per column (joined by TAB); a selected cell
    // gives its text (a space when empty), an unselected one nothing; a NUL
    // ends it. Nothing for no valid selection.
    std::optional<std::string> CopyTextFromGrid() const;
    // Empties the editable selected cells; false when the grid is not editable.
    virtual bool CutSelectedText();
    // Writes a clipboard block (read up to its first NUL and never beyond its
    // size) from the cell on; read-only cells are skipped and keep their
    // place. False when the first cell is not valid or not editable.
    bool PasteTextToGrid(int row, int col, const std::string& block);

    // ---- geometry -------------------------------------------------------------
    // The window's client area in pixels; the first call means the window exists.
    void SetClientSize(int width, int height);
    GridSize GetClientSize() const { return {m_ClientWidth, m_ClientHeight}; }
    bool HasWindow() const { return m_HasWindow; }
    int GetScrollPos32(int bar) const { return bar == sb::kHorz ? m_HScrollPos : m_VScrollPos; }
    // Clamped to 0 .. the largest position the page allows.
    void SetScrollPos32(int bar, int pos);
    // The scroll range's maximum (virtual size - 1 when the cells do not
    // fit, else 0) and the page (the visible size).
    int GetScrollMax(int bar) const { return bar == sb::kHorz ? m_HScrollMax : m_VScrollMax; }
    int GetScrollPage(int bar) const { return bar == sb::kHorz ? m_HScrollPage : m_VScrollPage; }
    int GetScrollLimit(int bar) const;
    void ResetScrollBars();

    bool GetCellOrigin(int row, int col, GridPoint* p) const;
    bool GetCellRect(int row, int col, GridRect* rect) const;
    bool GetCellRect(const CellId& c, GridRect* rect) const {
        return GetCellRect(c.row, c.col, rect);
    }
    bool GetTextRect(int row, int col, GridRect* rect) const;
    bool GetRangeRect(const CellRange& range, GridRect* rect) const;
    CellId GetCellFromPoint(GridPoint p, bool includeFixed = true) const;
    CellId GetTopLeftScrolledCell() const;
    CellRange GetVisibleScrolledRange(GridRect* rect = nullptr) const;
    CellRange GetFullyVisibleScrolledRange() const;
    bool IsOnRowResizeBorder(GridPoint p) const;
    bool IsOnColumnResizeBorder(GridPoint p) const;
    bool IsCellVisible(int row, int col) const;
    bool IsCellVisible(const CellId& c) const { return IsCellVisible(c.row, c.col); }
    bool InvalidateCell(const CellId& cell);
    bool InvalidateRange(const CellRange& range);
    // Scrolls one row or column at a time until the cell is in view.
    void EnsureVisible(int row, int col);
    // A scroll request of a scroll bar (sb::kLineUp ...); track is the
    // thumb's position for the thumb requests.
    void OnScroll(int bar, int code, int track = 0);

    // ---- sizes ----------------------------------------------------------------
    int GetRowHeight(int row) const;
    int GetColumnWidth(int col) const;
    // False for an index outside the counts or a negative size.
    bool SetRowHeight(int row, int height);
    bool SetColumnWidth(int col, int width);
    int GetVirtualWidth() const;
    int GetVirtualHeight() const;
    int GetFixedColumnWidth() const;
    int GetFixedRowHeight() const;
    int GetDefaultRowHeight() const { return m_DefRowHeight; }
    int GetDefaultColumnWidth() const { return m_DefColWidth; }
    int GetMargin() const { return m_Margin; }
    // A text in the grid font (bold: weight 600) plus twice the margin.
    GridSize GetTextExtent(const std::string& text, bool bold = false) const;
    // What a cell's text and image need; headings measure bold.
    virtual GridSize GetCellExtent(int row, int col) const;
    bool AutoSizeColumn(int col);
    bool AutoSizeRow(int row);
    void AutoSizeColumns();
    void AutoSizeRows();
    void AutoSize();
    // Spread the difference to the client size over the columns (rows);
    // never below zero.
    void ExpandColumnsToFit();
    void ExpandRowsToFit();
    void ExpandToFit();
    // The sizes grown or shrunk evenly to total, as the fitting does.
    static std::vector<int> FitSizes(std::vector<int> sizes, int total);

    // ---- font -----------------------------------------------------------------
    // The grid's font: into every cell; margin and default sizes from its metrics.
    void ApplyFont(const GridFont& font);
    const GridFont& GetFont() const { return m_Font; }

    // ---- keyboard -------------------------------------------------------------
    // A key press (vk:: codes; letters as upper-case characters).
    void OnKeyDown(int key, bool ctrl, bool shift);

    // ---- printing -------------------------------------------------------------
    // The layout for a printer font of cw x ch and paper of the given size;
    // pages 0 when there are no non-fixed rows.
    GridPrintLayout LayoutPrint(int cw, int ch, int paperWidth, int paperHeight) const;
    // The page (1..) of each height in order: a page takes rows while their
    // heights fit in pageRowHeight; a taller row gets a page of its own.
    static std::vector<int> PaginateRows(const std::vector<int>& heights, int pageRowHeight);
    // The non-fixed rows on a page.
    std::vector<int> RowsOnPrintPage(int page, int pageRowHeight) const;

    // ---- text files -----------------------------------------------------------
    // One line per row, the cell texts joined by commas, lines ended by CR LF.
    GridFileResult WriteTextFile(const std::string& path) const;
    // Rebuilds the grid from such a file: the first line gives the columns
    // (row 0), each further line a row; columns sized to their contents.
    GridFileResult ReadTextFile(const std::string& path);
    // A line's fields: split at commas; a trailing CR is not part of it; a
    // text that ends right after a comma without a line feed has no empty
    // last field.
    static std::vector<std::string> SplitCsvLine(std::string line, bool endedByLineFeed);

protected:
    // ---- the window's side (nothing without a window) ------------------------
    // A notification to the owner; its answer.
    virtual intptr_t SendMessageToParent(int row, int col, int code);
    // Draws a cell at once (or has it drawn); whether it was.
    virtual bool RedrawCell(int row, int col);
    virtual void InvalidateClientRect(const GridRect& rect);
    virtual void Invalidate();
    // The scroll ranges, pages or positions changed.
    virtual void ScrollBarsChanged();
    // Before a scroll request is handled: the window takes the keyboard
    // focus and hides its title tip.
    virtual void BeforeScroll();
    virtual GridSize MeasureText(const std::string& text, const GridFont& font) const;
    virtual GridFontMetrics MeasureFont(const GridFont& font) const;
    // The size of an image of the image list; (0, 0) without one.
    virtual GridSize ImageSize(int image) const;
    // The edit commands of the keys Ctrl+A, C, V, X.
    virtual void OnEditSelectAll() { SelectAllCells(); }
    virtual void OnEditCopy() {}
    virtual void OnEditPaste() {}
    virtual void OnEditCut() {}

    virtual std::unique_ptr<CellRecord> CreateCell(int row, int col);
    // Before a cell is deleted, and by cut: state 0 and no text.
    virtual void EmptyCell(CellRecord* cell, int row, int col);

    // The focus cell's state for the editable flag: only its selected and
    // focused bits change.
    uint32_t FocusState(uint32_t state) const;
    // The focus cell without telling the owner or redrawing (a double click
    // on a read-only grid).
    void SetFocusCellQuietly(const CellId& cell) { m_FocusCell = cell; }
    // Redraws the cells of the fixed rows in a column, of the fixed columns in a row.
    void RedrawFixedRowCells(int col);
    void RedrawFixedColumnCells(int row);

    // Colours.
    COLORREF m_TextColour = 0;
    COLORREF m_TextBkColour = 0;
    COLORREF m_BkColour = 0;
    COLORREF m_FixedTextColour = 0;
    COLORREF m_FixedBkColour = 0;
    COLORREF m_GridColour = RgbColor(192, 192, 192);
    GridSystemColours m_SysColours;
    int m_GridLines = 3;

    // Flags.
    bool m_Editable = true;
    bool m_Modified = false;
    bool m_AllowDragAndDrop = false;
    bool m_ListMode = false;
    bool m_SingleSelection = false;
    bool m_AllowDraw = true;
    bool m_EnableSelection = true;
    bool m_SortOnClick = true;
    bool m_HandleTabKey = true;
    bool m_DoubleBuffer = true;
    bool m_TitleTips = true;

    // Mouse.
    int m_MouseMode = MOUSEMODE_NONE;
    GridPoint m_LeftClickDownPoint;
    GridPoint m_LastMousePoint;
    CellId m_LeftClickDownCell;
    CellId m_SelectionStartCell;
    CellId m_RightClickCell;
    CellId m_LastDragOverCell;
    int m_ResizeCaptureRange = 3;
    bool m_AllowRowResize = true;
    bool m_AllowColumnResize = true;
    int m_WheelLines = 3;

private:
    CellRow* Row(int row) const;
    void RemoveCell(CellRecord* cell, int row, int col);
    bool SortTextRange(int col, bool ascending, int low, int high);
    bool SortItemsRange(const CompareFn& compare, int col, bool ascending, intptr_t data, int low,
                        int high);
    void SwapRows(int a, int b);
    void ScrollLines(int bar, int code, int times);

    int m_Rows = 0;
    int m_FixedRows = 0;
    int m_Cols = 0;
    int m_FixedCols = 0;
    std::vector<int> m_RowHeights;
    std::vector<int> m_ColWidths;
    int m_DefRowHeight = 10;
    int m_DefColWidth = 30;
    int m_Margin = 0;
    GridFont m_Font;
    std::vector<std::unique_ptr<CellRow>> m_RowData;

    CellId m_FocusCell;
    std::map<uint32_t, CellId> m_SelectedCells;
    std::map<uint32_t, CellId> m_PrevSelectedCells;
    bool m_SortAscending = true;
    int m_SortColumn = -1;

    bool m_HasWindow = false;
    int m_ClientWidth = 0;
    int m_ClientHeight = 0;
    int m_HScrollPos = 0;
    int m_VScrollPos = 0;
    int m_HScrollMax = 0;
    int m_VScrollMax = 0;
    int m_HScrollPage = 0;
    int m_VScrollPage = 0;
};
