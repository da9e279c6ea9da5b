#include "controls/core/GridCore.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace {

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDivRound(int a, int b, int c) {
    if (c == 0) return 0;
    const int64_t product = static_cast<int64_t>(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const int64_t n = std::llabs(product);
    const int64_t d = std::llabs(static_cast<int64_t>(c));
    const int64_t q = (n + d / 2) / d;
    return static_cast<int>(negative ? -q : q);
}

int CodePoints(const std::string& text) {
    int n = 0;
    for (unsigned char c : text)
        n += (c & 0xC0) != 0x80;
    return n;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string Trimmed(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// The fields of a pasted line: runs of TAB and comma separate them, so no
// field is empty.
std::vector<std::string> PasteFields(const std::string& line) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == '\t' || line[i] == ','))
            ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != '\t' && line[i] != ',')
            ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

} // namespace

// ---------------------------------------------------------------------------
// Value types
// ---------------------------------------------------------------------------

CellRange CellRange::Intersect(const CellRange& o) const {
    return {std::max(minRow, o.minRow), std::max(minCol, o.minCol), std::min(maxRow, o.maxRow),
            std::min(maxCol, o.maxCol)};
}

void GridChoiceLists::Add(int column, std::vector<std::string> strings) {
    lists_.emplace_back(column, std::move(strings));
}

int GridChoiceLists::Find(int column) const {
    for (size_t i = 0; i < lists_.size(); ++i)
        if (lists_[i].first == column) return static_cast<int>(i);
    return -1;
}

const std::vector<std::string>* GridChoiceLists::Choices(int column) const {
    const int i = Find(column);
    return i < 0 ? nullptr : &lists_[static_cast<size_t>(i)].second;
}

bool GridChoiceLists::Accepts(int column, const std::string& text) const {
    const std::vector<std::string>* list = Choices(column);
    return !list || std::find(list->begin(), list->end(), text) != list->end();
}

// ---------------------------------------------------------------------------
// Construction and colours
// ---------------------------------------------------------------------------

CGridCore::CGridCore(int rows, int cols, int fixedRows, int fixedCols) {
    InitColours(m_SysColours);
    SetRowCount(rows);
    SetColumnCount(cols);
    SetFixedRowCount(fixedRows);
    SetFixedColumnCount(fixedCols);
}

CGridCore::~CGridCore() = default;

void CGridCore::InitColours(const GridSystemColours& sys) {
    m_SysColours = sys;
    m_TextColour = sys.windowText;
    m_TextBkColour = sys.window;
    m_BkColour = sys.btnShadow;
    m_FixedTextColour = sys.windowText;
    m_FixedBkColour = sys.btnFace;
}

void CGridCore::OnSysColourChange(const GridSystemColours& sys) {
    if (m_TextColour == m_SysColours.windowText) m_TextColour = sys.windowText;
    if (m_TextBkColour == m_SysColours.window) m_TextBkColour = sys.window;
    if (m_BkColour == m_SysColours.btnShadow) m_BkColour = sys.btnShadow;
    if (m_FixedTextColour == m_SysColours.windowText) m_FixedTextColour = sys.windowText;
    if (m_FixedBkColour == m_SysColours.btnFace) m_FixedBkColour = sys.btnFace;
    m_SysColours = sys;
}

void CGridCore::SetEditable(bool editable) {
    m_Editable = editable;
    SetFocusCell(m_FocusCell);
}

void CGridCore::SetRedraw(bool allow, bool resetScrollBars) {
    const bool was = m_AllowDraw;
    m_AllowDraw = allow;
    if (allow && !was) Invalidate();
    if (resetScrollBars) ResetScrollBars();
}

// ---------------------------------------------------------------------------
// The window's side: nothing without a window
// ---------------------------------------------------------------------------

intptr_t CGridCore::SendMessageToParent(int, int, int) {
    return 0;
}
bool CGridCore::RedrawCell(int row, int col) {
    return m_AllowDraw && IsCellVisible(row, col);
}
void CGridCore::InvalidateClientRect(const GridRect&) {}
void CGridCore::Invalidate() {}
void CGridCore::ScrollBarsChanged() {}
void CGridCore::BeforeScroll() {}

GridFontMetrics CGridCore::MeasureFont(const GridFont& font) const {
    // No font at hand: an estimate in proportion to the height.
    GridFontMetrics m;
    const int h = font.height < 0 ? (-font.height * 8 + 3) / 7 : font.height;
    m.height = std::max(1, h);
    m.aveCharWidth = std::max(1, m.height * 7 / 16);
    m.spaceWidth = std::max(1, m.height / 4);
    return m;
}

GridSize CGridCore::MeasureText(const std::string& text, const GridFont& font) const {
    const GridFontMetrics m = MeasureFont(font);
    return {m.aveCharWidth * CodePoints(text), m.height};
}

GridSize CGridCore::ImageSize(int) const {
    return {0, 0};
}

std::unique_ptr<CellRecord> CGridCore::CreateCell(int row, int col) {
    auto cell = std::make_unique<CellRecord>();
    if (row > 0 && col >= 0 && col < m_Cols)
        if (const CellRecord* above = GetCell(row - 1, col)) cell->format = above->format;
    cell->font = m_Font;
    return cell;
}

void CGridCore::EmptyCell(CellRecord* cell, int row, int col) {
    if (!cell) return;
    if (cell->state & CELLSTATE_SELECTED) m_SelectedCells.erase(CellKey(row, col));
    cell->state = 0;
    cell->text.clear();
}

// ---------------------------------------------------------------------------
// Counts
// ---------------------------------------------------------------------------

CGridCore::CellRow* CGridCore::Row(int row) const {
    if (row < 0 || row >= m_Rows || static_cast<size_t>(row) >= m_RowData.size()) return nullptr;
    return m_RowData[static_cast<size_t>(row)].get();
}

CellRecord* CGridCore::GetCell(int row, int col) const {
    const CellRow* r = Row(row);
    if (!r || col < 0 || col >= m_Cols || static_cast<size_t>(col) >= r->size()) return nullptr;
    return (*r)[static_cast<size_t>(col)].get();
}

bool CGridCore::IsValid(int row, int col) const {
    return row >= 0 && row < m_Rows && col >= 0 && col < m_Cols;
}

bool CGridCore::IsValid(const CellRange& r) const {
    return r.minRow >= 0 && r.minCol >= 0 && r.maxRow >= 0 && r.maxCol >= 0 && r.maxRow < m_Rows &&
           r.maxCol < m_Cols && r.minRow <= r.maxRow && r.minCol <= r.maxCol;
}

void CGridCore::RemoveCell(CellRecord* cell, int row, int col) {
    EmptyCell(cell, row, col);
    // A selected cell that was emptied elsewhere leaves no key behind either.
    m_SelectedCells.erase(CellKey(row, col));
}

bool CGridCore::SetRowCount(int n) {
    if (n < 0) return false;
    if (n == m_Rows) return true;
    if (n < m_FixedRows) m_FixedRows = n;
    if (m_FocusCell.row >= n) SetFocusCellAt(-1, -1);
    if (n < m_Rows) {
        for (int r = n; r < m_Rows; ++r)
            for (int c = 0; c < m_Cols; ++c)
                RemoveCell(GetCell(r, c), r, c);
        m_RowData.resize(static_cast<size_t>(n));
    }
    const int old = m_Rows;
    m_Rows = n;
    m_RowHeights.resize(static_cast<size_t>(n), m_DefRowHeight);
    for (int k = old; k < n; ++k) {
        m_RowHeights[static_cast<size_t>(k)] = m_DefRowHeight;
        m_RowData.push_back(std::make_unique<CellRow>());
        CellRow& row = *m_RowData.back();
        row.reserve(static_cast<size_t>(m_Cols));
        for (int l = 0; l < m_Cols; ++l)
            row.push_back(CreateCell(k, l));
    }
    ResetScrollBars();
    Invalidate();
    return true;
}

bool CGridCore::SetColumnCount(int n) {
    if (n < 0) return false;
    if (n == m_Cols) return true;
    if (n < m_FixedCols) m_FixedCols = n;
    if (m_FocusCell.col >= n) SetFocusCellAt(-1, -1);
    if (n < m_Cols)
        for (int r = 0; r < m_Rows; ++r)
            for (int c = n; c < m_Cols; ++c)
                RemoveCell(GetCell(r, c), r, c);
    const int old = m_Cols;
    m_Cols = n;
    m_ColWidths.resize(static_cast<size_t>(n), m_DefColWidth);
    for (auto& row : m_RowData)
        row->resize(static_cast<size_t>(n));
    for (int c = old; c < n; ++c)
        m_ColWidths[static_cast<size_t>(c)] = m_DefColWidth;
    for (int r = 0; r < m_Rows; ++r)
        for (int c = old; c < n; ++c)
            (*m_RowData[static_cast<size_t>(r)])[static_cast<size_t>(c)] = CreateCell(r, c);
    ResetScrollBars();
    Invalidate();
    return true;
}

bool CGridCore::SetFixedRowCount(int n) {
    if (n < 0) return false;
    if (m_Rows < n && !SetRowCount(n)) return false;
    if (m_FocusCell.row < n) SetFocusCellAt(-1, -1);
    m_FixedRows = n;
    Invalidate();
    return true;
}

bool CGridCore::SetFixedColumnCount(int n) {
    if (n < 0) return false;
    if (m_Cols < n && !SetColumnCount(n)) return false;
    if (m_FocusCell.col < n) SetFocusCellAt(-1, -1);
    m_FixedCols = n;
    Invalidate();
    return true;
}

int CGridCore::InsertRow(const std::string& heading, int before) {
    if (before >= 0 && before >= m_Rows) return -1;
    ClearSelection();
    if (m_Cols < 1) SetColumnCount(1);
    if (before < 0) {
        before = m_Rows;
        m_RowData.push_back(std::make_unique<CellRow>());
        m_RowHeights.push_back(0);
    } else {
        m_RowData.insert(m_RowData.begin() + before, std::make_unique<CellRow>());
        m_RowHeights.insert(m_RowHeights.begin() + before, 0);
    }
    ++m_Rows;
    CellRow& row = *m_RowData[static_cast<size_t>(before)];
    for (int c = 0; c < m_Cols; ++c)
        row.push_back(CreateCell(before, c));
    SetItemText(before, 0, heading);
    m_RowHeights[static_cast<size_t>(before)] = GetTextExtent(heading).cy;
    ResetScrollBars();
    return before;
}

int CGridCore::InsertColumn(const std::string& heading, uint32_t format, int before) {
    if (before >= 0 && before >= m_Cols) return -1;
    ClearSelection();
    if (m_Rows < 1) SetRowCount(1);
    const bool append = before < 0;
    if (append) before = m_Cols;
    m_ColWidths.insert(m_ColWidths.begin() + before, 0);
    for (int r = 0; r < m_Rows; ++r) {
        CellRow& row = *m_RowData[static_cast<size_t>(r)];
        row.insert(row.begin() + before, CreateCell(r, before));
    }
    ++m_Cols;
    SetItemText(0, before, heading);
    for (int r = 0; r < m_Rows; ++r)
        SetItemFormat(r, before, format);
    m_ColWidths[static_cast<size_t>(before)] = GetTextExtent(heading).cx;
    ResetScrollBars();
    return before;
}

// ---------------------------------------------------------------------------
// Item access
// ---------------------------------------------------------------------------

bool CGridCore::SetItem(const GridItem* item) {
    if (!item) return false;
    CellRecord* cell = GetCell(item->row, item->col);
    if (!cell) return false;
    if (item->mask & GIM_TEXT) cell->text = item->text;
    if (item->mask & GIM_PARAM) cell->lParam = item->lParam;
    if (item->mask & GIM_IMAGE) cell->image = item->image;
    if (item->mask & GIM_STATE) SetItemState(item->row, item->col, item->state);
    if (item->mask & GIM_FORMAT) cell->format = item->format;
    if (item->mask & GIM_BKCOLOUR) cell->bkColour = item->bkColour;
    if (item->mask & GIM_FGCOLOUR) cell->fgColour = item->fgColour;
    if (item->mask & GIM_FONT) cell->font = item->font;
    return true;
}

bool CGridCore::GetItem(GridItem* item) const {
    if (!item) return false;
    const CellRecord* cell = GetCell(item->row, item->col);
    if (!cell) return false;
    if (item->mask & GIM_TEXT) item->text = GetItemText(item->row, item->col);
    if (item->mask & GIM_PARAM) item->lParam = cell->lParam;
    if (item->mask & GIM_IMAGE) item->image = cell->image;
    if (item->mask & GIM_STATE) item->state = cell->state;
    if (item->mask & GIM_FORMAT) item->format = cell->format;
    if (item->mask & GIM_BKCOLOUR) item->bkColour = cell->bkColour;
    if (item->mask & GIM_FGCOLOUR) item->fgColour = cell->fgColour;
    if (item->mask & GIM_FONT) item->font = cell->font;
    return true;
}

bool CGridCore::SetItemText(int row, int col, const std::string& text) {
    CellRecord* cell = GetCell(row, col);
    if (!cell) return false;
    cell->text = text;
    cell->secondText = text;
    Invalidate();
    return true;
}

std::string CGridCore::GetItemText(int row, int col) const {
    const CellRecord* cell = GetCell(row, col);
    return cell ? cell->text : std::string();
}

bool CGridCore::SetItemSecondText(int row, int col, const std::string& text) {
    CellRecord* cell = GetCell(row, col);
    if (!cell) return false;
    cell->secondText = text;
    return true;
}

std::string CGridCore::GetItemSecondText(int row, int col) const {
    const CellRecord* cell = GetCell(row, col);
    return cell ? cell->secondText : std::string();
}

bool CGridCore::SetItemData(int row, int col, intptr_t data) {
    CellRecord* cell = GetCell(row, col);
    if (!cell) return false;
    cell->lParam = data;
    return true;
}

intptr_t CGridCore::GetItemData(int row, int col) const {
    const CellRecord* cell = GetCell(row, col);
    return cell ? cell->lParam : 0;
}

bool CGridCore::SetItemImage(int row, int col, int image) {
    CellRecord* cell = GetCell(row, col);
    if (!cell) return false;
    cell->image = image;
    return true;
}

int CGridCore::GetItemImage(int row, int col) const {
    const CellRecord* cell = GetCell(row, col);
    return cell ? cell->image : -1;
}

bool CGridCore::SetItemState(int row, int col, uint32_t state) {
    CellRecord* cell = GetCell(row, col);
    if (!cell) return false;
    const uint32_t key = CellKey(row, col);
    if ((cell->state & CELLSTATE_SELECTED) && !(state & CELLSTATE_SELECTED))
        m_SelectedCells.erase(key);
    if (!(cell->state & CELLSTATE_SELECTED) && (state & CELLSTATE_SELECTED))
        m_SelectedCells[key] = CellId(row, col);
    cell->state = state;
    return true;
}

uint32_t CGridCore::GetItemState(int row, int col) const {
    const CellRecord* cell = GetCell(row, col);
    return cell ? cell->state : 0;
}

bool CGridCore::SetItemFormat(int row, int col, uint32_t format) {
    CellRecord* cell = GetCell(row, col);
    if (!cell) return false;
    cell->format = format;
    return true;
}

uint32_t CGridCore::GetItemFormat(int row, int col) const {
    const CellRecord* cell = GetCell(row, col);
    return cell ? cell->format : 0;
}

bool CGridCore::SetItemBkColour(int row, int col, COLORREF colour) {
    CellRecord* cell = GetCell(row, col);
    if (!cell) return false;
    cell->bkColour = colour;
    return true;
}

COLORREF CGridCore::GetItemBkColour(int row, int col) const {
    const CellRecord* cell = GetCell(row, col);
    return cell ? cell->bkColour : 0;
}

bool CGridCore::SetItemFgColour(int row, int col, COLORREF colour) {
    CellRecord* cell = GetCell(row, col);
    if (!cell) return false;
    cell->fgColour = colour;
    return true;
}

COLORREF CGridCore::GetItemFgColour(int row, int col) const {
    const CellRecord* cell = GetCell(row, col);
    return cell ? cell->fgColour : 0;
}

bool CGridCore::SetItemFont(int row, int col, const GridFont& font) {
    CellRecord* cell = GetCell(row, col);
    if (!cell) return false;
    cell->font = font;
    return true;
}

const GridFont& CGridCore::GetItemFont(int row, int col) const {
    const CellRecord* cell = GetCell(row, col);
    return cell ? cell->font : m_Font;
}

bool CGridCore::IsCellFixed(int row, int col) const {
    return row < m_FixedRows || col < m_FixedCols;
}

bool CGridCore::IsCellEditable(int row, int col) const {
    return m_Editable && !(GetItemState(row, col) & CELLSTATE_READONLY);
}

void CGridCore::SetModified(bool modified, int row, int col) {
    if (row <= 0 || col <= 0) {
        m_Modified = modified;
    } else if (modified) {
        SetItemState(row, col, GetItemState(row, col) | CELLSTATE_MODIFIED);
        m_Modified = true;
    } else {
        SetItemState(row, col, GetItemState(row, col) & ~CELLSTATE_MODIFIED);
    }
    if (!m_Modified)
        for (auto& r : m_RowData)
            for (auto& cell : *r)
                if (cell) cell->state &= ~CELLSTATE_MODIFIED;
}

bool CGridCore::GetModified(int row, int col) const {
    if (row <= 0 || col <= 0) return m_Modified;
    return (GetItemState(row, col) & CELLSTATE_MODIFIED) != 0;
}

// ---------------------------------------------------------------------------
// Deleting, sorting, searching
// ---------------------------------------------------------------------------

bool CGridCore::DeleteColumn(int col) {
    if (col < 0 || col >= m_Cols) return false;
    ClearSelection();
    for (int r = 0; r < m_Rows; ++r) {
        CellRow* row = Row(r);
        if (!row) return false;
        RemoveCell(GetCell(r, col), r, col);
        row->erase(row->begin() + col);
    }
    m_ColWidths.erase(m_ColWidths.begin() + col);
    --m_Cols;
    if (col < m_FixedCols) --m_FixedCols;
    ResetScrollBars();
    return true;
}

bool CGridCore::DeleteRow(int row) {
    if (row < 0 || row >= m_Rows || !Row(row)) return false;
    ClearSelection();
    for (int c = 0; c < m_Cols; ++c)
        RemoveCell(GetCell(row, c), row, c);
    m_RowData.erase(m_RowData.begin() + row);
    m_RowHeights.erase(m_RowHeights.begin() + row);
    --m_Rows;
    if (row < m_FixedRows) --m_FixedRows;
    ResetScrollBars();
    return true;
}

bool CGridCore::DeleteNonFixedRows() {
    for (int r = m_Rows; r >= m_FixedRows; --r)
        DeleteRow(r);
    return true;
}

bool CGridCore::DeleteAllItems() {
    ClearSelection();
    m_ColWidths.clear();
    m_RowHeights.clear();
    for (int r = 0; r < m_Rows; ++r)
        for (int c = 0; c < m_Cols; ++c)
            RemoveCell(GetCell(r, c), r, c);
    m_RowData.clear();
    m_Rows = m_FixedRows = m_Cols = m_FixedCols = 0;
    m_SelectedCells.clear();
    ResetScrollBars();
    return true;
}

void CGridCore::SwapRows(int a, int b) {
    std::swap(m_RowData[static_cast<size_t>(a)], m_RowData[static_cast<size_t>(b)]);
    std::swap(m_RowHeights[static_cast<size_t>(a)], m_RowHeights[static_cast<size_t>(b)]);
}

bool CGridCore::SortTextItems(int col, bool ascending) {
    ClearSelection();
    return SortTextRange(col, ascending, m_FixedRows, -1);
}

bool CGridCore::SortTextRange(int col, bool ascending, int low, int high) {
    if (col < 0 || col >= m_Cols) return false;
    if (high == -1) high = m_Rows - 1;
    if (high <= low) return false;
    int lo = low;
    int hi = high;
    const std::string pivot = GetItemText((low + high) / 2, col);
    while (lo <= hi) {
        if (ascending) {
            while (lo < high && GetItemText(lo, col) < pivot)
                ++lo;
            while (hi > low && GetItemText(hi, col) > pivot)
                --hi;
        } else {
            while (lo < high && GetItemText(lo, col) > pivot)
                ++lo;
            while (hi > low && GetItemText(hi, col) < pivot)
                --hi;
        }
        if (lo <= hi) {
            if (GetItemText(lo, col) != GetItemText(hi, col)) SwapRows(lo, hi);
            ++lo;
            --hi;
        }
    }
    if (low < hi) SortTextRange(col, ascending, low, hi);
    if (lo < high) SortTextRange(col, ascending, lo, high);
    return true;
}

bool CGridCore::SortItems(const CompareFn& compare, int col, bool ascending, intptr_t data) {
    ClearSelection();
    return SortItemsRange(compare, col, ascending, data, m_FixedRows, -1);
}

bool CGridCore::SortItemsRange(const CompareFn& compare, int col, bool ascending, intptr_t data,
                               int low, int high) {
    if (!compare || col < 0 || col >= m_Cols) return false;
    if (high == -1) high = m_Rows - 1;
    if (high <= low) return false;
    int lo = low;
    int hi = high;
    const intptr_t pivot = GetItemData((low + high) / 2, col);
    while (lo <= hi) {
        if (ascending) {
            while (lo < high && compare(GetItemData(lo, col), pivot, data) < 0)
                ++lo;
            while (hi > low && compare(GetItemData(hi, col), pivot, data) > 0)
                --hi;
        } else {
            while (lo < high && compare(GetItemData(lo, col), pivot, data) > 0)
                ++lo;
            while (hi > low && compare(GetItemData(hi, col), pivot, data) < 0)
                --hi;
        }
        if (lo <= hi) {
            if (compare(GetItemData(lo, col), GetItemData(hi, col), data) != 0) SwapRows(lo, hi);
            ++lo;
            --hi;
        }
    }
    if (low < hi) SortItemsRange(compare, col, ascending, data, low, hi);
    if (lo < high) SortItemsRange(compare, col, ascending, data, lo, high);
    return true;
}

void CGridCore::SortOnHeading(int col) {
    if (col == m_SortColumn) {
        m_SortAscending = !m_SortAscending;
    } else {
        m_SortAscending = true;
        m_SortColumn = col;
    }
    SortTextItems(m_SortColumn, m_SortAscending);
    Invalidate();
}

CellId CGridCore::GetNextItem(const CellId& start, uint32_t flags) const {
    const uint32_t wanted = flags & (CELLSTATE_DROPTARGET | CELLSTATE_FOCUSED | CELLSTATE_SELECTED |
                                     CELLSTATE_READONLY | CELLSTATE_MODIFIED);
    auto matches = [&](int r, int c) { return (GetItemState(r, c) & wanted) != 0; };
    const int firstRow = start.row <= 0 ? m_FixedRows : start.row;
    const int firstCol = start.col + 1 <= 0 ? m_FixedCols : start.col + 1;
    if ((flags & NEXT_BELOW) && (flags & NEXT_LEFT) && (flags & NEXT_RIGHT)) {
        for (int r = firstRow; r < m_Rows; ++r)
            for (int c = r == firstRow ? firstCol : m_FixedCols; c < m_Cols; ++c)
                if (matches(r, c)) return {r, c};
    } else if ((flags & NEXT_BELOW) && (flags & NEXT_RIGHT)) {
        for (int r = firstRow; r < m_Rows; ++r)
            for (int c = firstCol; c < m_Cols; ++c)
                if (matches(r, c)) return {r, c};
    } else if (flags & NEXT_ABOVE) {
        for (int r = start.row - 1; r >= m_FixedRows; --r)
            if (matches(r, start.col)) return {r, start.col};
    } else if (flags & NEXT_BELOW) {
        for (int r = start.row + 1; r < m_Rows; ++r)
            if (matches(r, start.col)) return {r, start.col};
    } else if (flags & NEXT_LEFT) {
        for (int c = start.col - 1; c >= m_FixedCols; --c)
            if (matches(start.row, c)) return {start.row, c};
    } else if (flags & NEXT_RIGHT) {
        for (int c = start.col + 1; c < m_Cols; ++c)
            if (matches(start.row, c)) return {start.row, c};
    }
    return {};
}

// ---------------------------------------------------------------------------
// Focus and selection
// ---------------------------------------------------------------------------

uint32_t CGridCore::FocusState(uint32_t state) const {
    return m_Editable ? state | CELLSTATE_FOCUSED
                      : (state & ~CELLSTATE_FOCUSED) | CELLSTATE_SELECTED;
}

void CGridCore::RedrawFixedRowCells(int col) {
    for (int r = 0; r < m_FixedRows; ++r)
        RedrawCell(r, col);
}

void CGridCore::RedrawFixedColumnCells(int row) {
    for (int c = 0; c < m_FixedCols; ++c)
        RedrawCell(row, c);
}

CellId CGridCore::SetFocusCell(const CellId& cell) {
    if (cell == m_FocusCell) {
        if (IsValid(cell)) {
            SetItemState(cell.row, cell.col, FocusState(GetItemState(cell.row, cell.col)));
            RedrawCell(cell.row, cell.col);
            RedrawFixedRowCells(cell.col);
            RedrawFixedColumnCells(cell.row);
        }
        return m_FocusCell;
    }
    const CellId prev = m_FocusCell;
    m_FocusCell = cell;
    if (IsValid(prev)) {
        SendMessageToParent(prev.row, prev.col, GRIDN_FOCUS_CHANGING);
        SetItemState(prev.row, prev.col, GetItemState(prev.row, prev.col) & ~CELLSTATE_FOCUSED);
        RedrawCell(prev.row, prev.col);
        if (prev.col != cell.col) RedrawFixedRowCells(prev.col);
        if (prev.row != cell.row) RedrawFixedColumnCells(prev.row);
    }
    if (IsValid(cell)) {
        SetItemState(cell.row, cell.col, FocusState(GetItemState(cell.row, cell.col)));
        RedrawCell(cell.row, cell.col);
        if (prev.col != cell.col) RedrawFixedRowCells(cell.col);
        if (prev.row != cell.row) RedrawFixedColumnCells(cell.row);
        SendMessageToParent(cell.row, cell.col, GRIDN_FOCUS_CHANGED);
    }
    return prev;
}

void CGridCore::SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, bool redrawNow) {
    if (!m_EnableSelection) return;
    auto redraw = [&](int r, int c) {
        if (redrawNow)
            RedrawCell(r, c);
        else
            InvalidateCell({r, c});
    };
    const CellRange range(minRow, minCol, maxRow, maxCol);
    const std::map<uint32_t, CellId> was = m_SelectedCells;
    for (const auto& [key, cell] : was) {
        if (!IsValid(cell)) {
            m_SelectedCells.erase(key);
            continue;
        }
        SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) & ~CELLSTATE_SELECTED);
        if (!range.InRange(cell)) redraw(cell.row, cell.col);
    }
    if (!m_SingleSelection) {
        for (const auto& [key, cell] : m_PrevSelectedCells) {
            if (!IsValid(cell)) continue;
            SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) | CELLSTATE_SELECTED);
            redraw(cell.row, cell.col);
        }
    }
    if (minRow < 0 || minCol < 0 || maxRow < 0 || maxCol < 0) return;
    if (maxRow >= m_Rows || maxCol >= m_Cols || minRow > maxRow || minCol > maxCol) return;
    for (int r = minRow; r <= maxRow; ++r)
        for (int c = minCol; c <= maxCol; ++c) {
            const uint32_t state = GetItemState(r, c);
            if (state & CELLSTATE_SELECTED) continue;
            SetItemState(r, c, state | CELLSTATE_SELECTED);
            redraw(r, c);
        }
}

void CGridCore::SelectAllCells() {
    if (!m_EnableSelection) return;
    SetSelectedRange(m_FixedRows, m_FixedCols, m_Rows - 1, m_Cols - 1);
}

void CGridCore::SelectColumns(const CellId& cell) {
    if (!m_EnableSelection || cell.col < m_FixedCols || !IsValid(cell)) return;
    SetSelectedRange(m_FixedRows, std::min(m_SelectionStartCell.col, cell.col), m_Rows - 1,
                     std::max(m_SelectionStartCell.col, cell.col));
}

void CGridCore::SelectRows(const CellId& cell) {
    if (!m_EnableSelection || cell.row < m_FixedRows || !IsValid(cell)) return;
    if (m_ListMode && m_SingleSelection)
        SetSelectedRange(cell.row, m_FixedCols, cell.row, m_Cols - 1);
    else
        SetSelectedRange(std::min(m_SelectionStartCell.row, cell.row), m_FixedCols,
                         std::max(m_SelectionStartCell.row, cell.row), m_Cols - 1);
}

void CGridCore::SelectCells(const CellId& cell) {
    if (!m_EnableSelection || cell.row < m_FixedRows || cell.col < m_FixedCols || !IsValid(cell))
        return;
    SetSelectedRange(
        std::min(m_SelectionStartCell.row, cell.row), std::min(m_SelectionStartCell.col, cell.col),
        std::max(m_SelectionStartCell.row, cell.row), std::max(m_SelectionStartCell.col, cell.col));
}

void CGridCore::OnSelecting(const CellId& cell) {
    switch (m_MouseMode) {
    case MOUSEMODE_SELECT_ALL:
        SelectAllCells();
        break;
    case MOUSEMODE_SELECT_COLUMNS:
        SelectColumns(cell);
        break;
    case MOUSEMODE_SELECT_ROWS:
        SelectRows(cell);
        break;
    case MOUSEMODE_SELECT_CELLS:
        SelectCells(cell);
        break;
    default:
        break;
    }
}

void CGridCore::ClearSelection() {
    // What a Ctrl-click kept belongs to the selection being cleared: kept,
    // it would come back at the next selection, at positions that may no
    // longer hold those cells.
    m_PrevSelectedCells.clear();
    SetSelectedRange(-1, -1, -1, -1);
    SetFocusCellAt(-1, -1);
}

void CGridCore::KeepSelectionForNext(bool keep) {
    m_PrevSelectedCells.clear();
    if (keep) m_PrevSelectedCells = m_SelectedCells;
}

CellRange CGridCore::GetSelectionBounds() const {
    CellRange r(m_Rows, m_Cols, -1, -1);
    for (const auto& [key, cell] : m_SelectedCells) {
        r.minRow = std::min(r.minRow, cell.row);
        r.minCol = std::min(r.minCol, cell.col);
        r.maxRow = std::max(r.maxRow, cell.row);
        r.maxCol = std::max(r.maxCol, cell.col);
    }
    return r;
}

// ---------------------------------------------------------------------------
// Clipboard text
// ---------------------------------------------------------------------------

std::optional<std::string> CGridCore::CopyTextFromGrid() const {
    const CellRange range = GetSelectionBounds();
    if (!IsValid(range)) return std::nullopt;
    std::string out;
    for (int r = range.minRow; r <= range.maxRow; ++r) {
        for (int c = range.minCol; c <= range.maxCol; ++c) {
            if (GetItemState(r, c) & CELLSTATE_SELECTED) {
                const std::string text = GetItemText(r, c);
                out += text.empty() ? std::string(" ") : text;
            }
            if (c != range.maxCol) out += '\t';
        }
        if (r != range.maxRow) out += '\n';
    }
    out += '\0';
    return out;
}

bool CGridCore::CutSelectedText() {
    if (!m_Editable) return false;
    const std::map<uint32_t, CellId> selected = m_SelectedCells;
    for (const auto& [key, cell] : selected) {
        if (!IsCellEditable(cell)) continue;
        SendMessageToParent(cell.row, cell.col, GRIDN_BEGIN_EDIT);
        EmptyCell(GetCell(cell.row, cell.col), cell.row, cell.col);
        SetModified(true, cell.row, cell.col);
        SendMessageToParent(cell.row, cell.col, GRIDN_END_EDIT);
    }
    Invalidate();
    return true;
}

bool CGridCore::PasteTextToGrid(int row, int col, const std::string& block) {
    if (!IsValid(row, col) || !IsCellEditable(row, col)) return false;
    // The text ends at its first NUL, or with the block when it has none.
    const std::string text = block.substr(0, block.find('\0'));
    size_t at = 0;
    for (int line = 0;; ++line) {
        const size_t lf = text.find('\n', at);
        std::string part = text.substr(at, lf == std::string::npos ? std::string::npos : lf - at);
        if (part.empty() && lf != std::string::npos) part = " ";
        const std::vector<std::string> fields = PasteFields(part);
        for (size_t j = 0; j < fields.size(); ++j) {
            const int r = row + line;
            const int c = col + static_cast<int>(j);
            // A read-only cell keeps its text; the next field goes one further on.
            if (!IsValid(r, c) || (GetItemState(r, c) & CELLSTATE_READONLY)) continue;
            SendMessageToParent(r, c, GRIDN_BEGIN_EDIT);
            SetItemText(r, c, Trimmed(fields[j]));
            SetModified(true, r, c);
            SendMessageToParent(r, c, GRIDN_END_EDIT);
            SetItemState(r, c, GetItemState(r, c) & ~CELLSTATE_SELECTED);
        }
        if (lf == std::string::npos) break;
        at = lf + 1;
    }
    Invalidate();
    return true;
}

// ---------------------------------------------------------------------------
// Geometry
// ---------------------------------------------------------------------------

void CGridCore::SetClientSize(int width, int height) {
    m_HasWindow = true;
    m_ClientWidth = std::max(0, width);
    m_ClientHeight = std::max(0, height);
}

int CGridCore::GetScrollLimit(int bar) const {
    const int max = GetScrollMax(bar);
    if (max <= 0) return 0;
    return std::max(0, max - std::max(1, GetScrollPage(bar)) + 1);
}

void CGridCore::SetScrollPos32(int bar, int pos) {
    pos = std::clamp(pos, 0, GetScrollLimit(bar));
    (bar == sb::kHorz ? m_HScrollPos : m_VScrollPos) = pos;
    ScrollBarsChanged();
}

void CGridCore::ResetScrollBars() {
    if (!m_AllowDraw || !m_HasWindow) return;
    const int fixedW = GetFixedColumnWidth();
    const int fixedH = GetFixedRowHeight();
    const int visibleW = m_ClientWidth - fixedW;
    const int visibleH = m_ClientHeight - fixedH;
    if (visibleW <= 0 || visibleH <= 0) return;
    // Without rows or columns to scroll the bars stay as they are. A row or
    // column larger than the view is no reason to keep them: its hidden part
    // could never be scrolled to.
    if (m_Rows <= m_FixedRows || m_Cols <= m_FixedCols) return;
    const int virtualW = GetVirtualWidth() - fixedW;
    const int virtualH = GetVirtualHeight() - fixedH;
    m_HScrollPage = visibleW;
    m_VScrollPage = visibleH;
    m_VScrollMax = visibleH < virtualH ? virtualH - 1 : 0;
    m_HScrollMax = visibleW < virtualW ? virtualW - 1 : 0;
    m_HScrollPos = std::clamp(m_HScrollPos, 0, GetScrollLimit(sb::kHorz));
    m_VScrollPos = std::clamp(m_VScrollPos, 0, GetScrollLimit(sb::kVert));
    ScrollBarsChanged();
}

CellId CGridCore::GetTopLeftScrolledCell() const {
    CellId cell(m_FixedRows, m_FixedCols);
    int x = 0;
    while (x < m_HScrollPos && cell.col < m_Cols - 1)
        x += GetColumnWidth(cell.col++);
    int y = 0;
    while (y < m_VScrollPos && cell.row < m_Rows - 1)
        y += GetRowHeight(cell.row++);
    return cell;
}

bool CGridCore::GetCellOrigin(int row, int col, GridPoint* p) const {
    if (!IsValid(row, col)) return false;
    CellId tl;
    if (col >= m_FixedCols || row >= m_FixedRows) tl = GetTopLeftScrolledCell();
    if (col >= m_FixedCols && col < tl.col) return false;
    if (row >= m_FixedRows && row < tl.row) return false;
    int x = 0;
    if (col < m_FixedCols) {
        for (int c = 0; c < col; ++c)
            x += GetColumnWidth(c);
    } else {
        x = GetFixedColumnWidth();
        for (int c = tl.col; c < col; ++c)
            x += GetColumnWidth(c);
    }
    int y = 0;
    if (row < m_FixedRows) {
        for (int r = 0; r < row; ++r)
            y += GetRowHeight(r);
    } else {
        y = GetFixedRowHeight();
        for (int r = tl.row; r < row; ++r)
            y += GetRowHeight(r);
    }
    if (p) *p = {x, y};
    return true;
}

bool CGridCore::GetCellRect(int row, int col, GridRect* rect) const {
    GridPoint o;
    if (!GetCellOrigin(row, col, &o)) return false;
    if (rect) *rect = {o.x, o.y, o.x + GetColumnWidth(col) - 1, o.y + GetRowHeight(row) - 1};
    return true;
}

bool CGridCore::GetTextRect(int row, int col, GridRect* rect) const {
    GridItem item;
    item.row = row;
    item.col = col;
    item.mask = GIM_IMAGE;
    if (!GetItem(&item)) return false;
    GridRect r;
    if (!GetCellRect(row, col, &r)) return false;
    if (item.image >= 0) {
        const GridSize image = ImageSize(item.image);
        if (image.cx > 0) r.left += image.cx + m_Margin;
    }
    if (rect) *rect = r;
    return true;
}

bool CGridCore::GetRangeRect(const CellRange& range, GridRect* rect) const {
    GridPoint first;
    GridRect last;
    if (!GetCellOrigin(range.minRow, range.minCol, &first)) return false;
    if (!GetCellRect(range.maxRow, range.maxCol, &last)) return false;
    if (rect) *rect = {first.x, first.y, last.right, last.bottom};
    return true;
}

CellId CGridCore::GetCellFromPoint(GridPoint p, bool includeFixed) const {
    const CellId tl = GetTopLeftScrolledCell();
    auto find = [&](int at, int fixedCount, int count, int first, auto size) {
        int fixedExtent = 0;
        for (int i = 0; i < fixedCount; ++i)
            fixedExtent += size(i);
        if (at < 0 || (!includeFixed && at < fixedExtent)) return -1;
        if (at < fixedExtent) {
            int x = 0;
            for (int i = 0; i < fixedCount; ++i) {
                x += size(i);
                if (at < x) return i;
            }
            return -1;
        }
        int x = fixedExtent;
        for (int i = first; i < count; ++i) {
            x += size(i);
            if (at < x) return i;
        }
        return -1;
    };
    CellId cell;
    cell.col = find(p.x, m_FixedCols, m_Cols, tl.col, [this](int c) { return GetColumnWidth(c); });
    cell.row = find(p.y, m_FixedRows, m_Rows, tl.row, [this](int r) { return GetRowHeight(r); });
    return cell;
}

CellRange CGridCore::GetVisibleScrolledRange(GridRect* rect) const {
    const CellId tl = GetTopLeftScrolledCell();
    int bottom = GetFixedRowHeight();
    int i = tl.row;
    for (; i < m_Rows; ++i) {
        bottom += GetRowHeight(i);
        if (bottom >= m_ClientHeight) {
            bottom = m_ClientHeight;
            break;
        }
    }
    const int maxRow = std::min(i, m_Rows - 1);
    int right = GetFixedColumnWidth();
    int j = tl.col;
    for (; j < m_Cols; ++j) {
        right += GetColumnWidth(j);
        if (right >= m_ClientWidth) {
            right = m_ClientWidth;
            break;
        }
    }
    const int maxCol = std::min(j, m_Cols - 1);
    if (rect) *rect = {0, 0, right, bottom};
    return {tl.row, tl.col, maxRow, maxCol};
}

CellRange CGridCore::GetFullyVisibleScrolledRange() const {
    const CellId tl = GetTopLeftScrolledCell();
    int bottom = GetFixedRowHeight();
    int i = tl.row;
    for (; i < m_Rows; ++i) {
        bottom += GetRowHeight(i);
        if (bottom >= m_ClientHeight) break;
    }
    int maxRow = std::min(i, m_Rows - 1);
    if (maxRow > 0 && bottom > m_ClientHeight) --maxRow;
    int right = GetFixedColumnWidth();
    int j = tl.col;
    for (; j < m_Cols; ++j) {
        right += GetColumnWidth(j);
        if (right >= m_ClientWidth) break;
    }
    int maxCol = std::min(j, m_Cols - 1);
    if (maxCol > 0 && right > m_ClientWidth) --maxCol;
    return {tl.row, tl.col, maxRow, maxCol};
}

bool CGridCore::IsOnRowResizeBorder(GridPoint p) const {
    if (p.x >= GetFixedColumnWidth()) return false;
    const CellId cell = GetCellFromPoint(p, true);
    GridPoint o;
    if (!GetCellOrigin(cell.row, cell.col, &o)) return false;
    if (p.y - o.y <= m_ResizeCaptureRange && cell.row != 0) return true;
    return o.y + GetRowHeight(cell.row) - p.y <= m_ResizeCaptureRange;
}

bool CGridCore::IsOnColumnResizeBorder(GridPoint p) const {
    if (p.y >= GetFixedRowHeight()) return false;
    const CellId cell = GetCellFromPoint(p, true);
    GridPoint o;
    if (!GetCellOrigin(cell.row, cell.col, &o)) return false;
    if (p.x - o.x <= m_ResizeCaptureRange && cell.col != 0) return true;
    return o.x + GetColumnWidth(cell.col) - p.x <= m_ResizeCaptureRange;
}

bool CGridCore::IsCellVisible(int row, int col) const {
    if (!m_HasWindow) return false;
    CellId tl(m_FixedRows, m_FixedCols);
    if (!(row < m_FixedRows && col < m_FixedCols)) {
        tl = GetTopLeftScrolledCell();
        if (col >= m_FixedCols && col < tl.col) return false;
        if (row >= m_FixedRows && row < tl.row) return false;
    }
    int x = 0;
    int first = 0;
    if (col >= m_FixedCols) {
        x = GetFixedColumnWidth();
        first = tl.col;
    }
    for (int c = first; c <= col; ++c) {
        if (x >= m_ClientWidth) return false;
        x += GetColumnWidth(c);
    }
    int y = 0;
    first = 0;
    if (row >= m_FixedRows) {
        y = GetFixedRowHeight();
        first = tl.row;
    }
    for (int r = first; r <= row; ++r) {
        if (y >= m_ClientHeight) return false;
        y += GetRowHeight(r);
    }
    return true;
}

bool CGridCore::InvalidateCell(const CellId& cell) {
    if (!m_HasWindow || !m_AllowDraw || !IsCellVisible(cell)) return false;
    GridRect r;
    if (!GetCellRect(cell, &r)) return false;
    InvalidateClientRect({r.left, r.top, r.right + 1, r.bottom + 1});
    return true;
}

bool CGridCore::InvalidateRange(const CellRange& range) {
    if (!m_HasWindow || !m_AllowDraw) return false;
    GridRect r;
    if (!GetRangeRect(range.Intersect(GetVisibleScrolledRange()), &r)) return false;
    InvalidateClientRect({r.left, r.top, r.right + 1, r.bottom + 1});
    return true;
}

void CGridCore::ScrollLines(int bar, int code, int times) {
    for (int i = 0; i < times; ++i)
        OnScroll(bar, code);
}

void CGridCore::EnsureVisible(int row, int col) {
    const CellRange vis = GetVisibleScrolledRange();
    ScrollLines(sb::kHorz, sb::kLineDown, col - vis.maxCol);
    ScrollLines(sb::kHorz, sb::kLineUp, vis.minCol - col);
    ScrollLines(sb::kVert, sb::kLineDown, row - vis.maxRow);
    ScrollLines(sb::kVert, sb::kLineUp, vis.minRow - row);
    GridRect rect;
    if (GetCellRect(row, col, &rect)) {
        if (rect.right > m_ClientWidth) OnScroll(sb::kHorz, sb::kLineDown);
        if (rect.bottom > m_ClientHeight) OnScroll(sb::kVert, sb::kLineDown);
    }
}

void CGridCore::OnScroll(int bar, int code, int track) {
    BeforeScroll();
    const bool horz = bar == sb::kHorz;
    const int p = GetScrollPos32(bar);
    const int range = GetScrollMax(bar);
    const CellId tl = GetTopLeftScrolledCell();
    const int page =
        horz ? m_ClientWidth - GetFixedColumnWidth() : m_ClientHeight - GetFixedRowHeight();
    const int first = horz ? tl.col : tl.row;
    const int fixedCount = horz ? m_FixedCols : m_FixedRows;
    auto size = [&](int i) { return horz ? GetColumnWidth(i) : GetRowHeight(i); };
    int pos = p;
    switch (code) {
    case sb::kLineUp:
        if (p > 0 && first > fixedCount) pos = std::max(0, p - size(first - 1));
        break;
    case sb::kLineDown:
        if (p < range) pos = p + size(first);
        break;
    case sb::kPageUp:
        if (p > 0) pos = std::max(0, p - page);
        break;
    case sb::kPageDown:
        if (p < range) pos = std::min(range, p + page);
        break;
    case sb::kThumbPosition:
    case sb::kThumbTrack:
        pos = track;
        break;
    case sb::kTop:
        if (p > 0) pos = 0;
        break;
    case sb::kBottom:
        if (p < range) pos = range;
        break;
    default:
        return;
    }
    if (pos == p) return;
    SetScrollPos32(bar, pos);
    if (GetScrollPos32(bar) != p) Invalidate();
}

// ---------------------------------------------------------------------------
// Sizes
// ---------------------------------------------------------------------------

int CGridCore::GetRowHeight(int row) const {
    if (row < 0 || row >= m_Rows) return -1;
    return m_RowHeights[static_cast<size_t>(row)];
}

int CGridCore::GetColumnWidth(int col) const {
    if (col < 0 || col >= m_Cols) return -1;
    return m_ColWidths[static_cast<size_t>(col)];
}

bool CGridCore::SetRowHeight(int row, int height) {
    if (row < 0 || row >= m_Rows || height < 0) return false;
    m_RowHeights[static_cast<size_t>(row)] = height;
    return true;
}

bool CGridCore::SetColumnWidth(int col, int width) {
    if (col < 0 || col >= m_Cols || width < 0) return false;
    m_ColWidths[static_cast<size_t>(col)] = width;
    return true;
}

int CGridCore::GetVirtualWidth() const {
    int w = 0;
    for (int c = 0; c < m_Cols; ++c)
        w += GetColumnWidth(c);
    return w;
}

int CGridCore::GetVirtualHeight() const {
    int h = 0;
    for (int r = 0; r < m_Rows; ++r)
        h += GetRowHeight(r);
    return h;
}

int CGridCore::GetFixedColumnWidth() const {
    int w = 0;
    for (int c = 0; c < m_FixedCols; ++c)
        w += GetColumnWidth(c);
    return w;
}

int CGridCore::GetFixedRowHeight() const {
    int h = 0;
    for (int r = 0; r < m_FixedRows; ++r)
        h += GetRowHeight(r);
    return h;
}

GridSize CGridCore::GetTextExtent(const std::string& text, bool bold) const {
    if (!m_HasWindow) return {0, 0};
    GridFont font = m_Font;
    if (bold) font.weight = 600;
    const GridSize size = MeasureText(text, font);
    return {size.cx + 2 * m_Margin, size.cy + 2 * m_Margin};
}

GridSize CGridCore::GetCellExtent(int row, int col) const {
    GridFont font = GetItemFont(row, col);
    if (IsCellFixed(row, col)) font.weight = 600;
    GridSize size = MeasureText(GetItemText(row, col), font);
    size.cx += 4 * m_Margin;
    size.cy += 2 * m_Margin;
    const int image = GetItemImage(row, col);
    const GridSize img = image >= 0 ? ImageSize(image) : GridSize{0, 0};
    return {size.cx + img.cx, std::max(size.cy, img.cy)};
}

bool CGridCore::AutoSizeColumn(int col) {
    if (col < 0 || col >= m_Cols || !m_HasWindow) return false;
    int width = 0;
    for (int r = 0; r < m_Rows; ++r)
        width = std::max(width, GetCellExtent(r, col).cx);
    m_ColWidths[static_cast<size_t>(col)] = width;
    ResetScrollBars();
    return true;
}

bool CGridCore::AutoSizeRow(int row) {
    if (row < 0 || row >= m_Rows || !m_HasWindow) return false;
    int height = 0;
    for (int c = 0; c < m_Cols; ++c)
        height = std::max(height, GetCellExtent(row, c).cy);
    m_RowHeights[static_cast<size_t>(row)] = height;
    ResetScrollBars();
    return true;
}

void CGridCore::AutoSizeColumns() {
    for (int c = 0; c < m_Cols; ++c)
        AutoSizeColumn(c);
}

void CGridCore::AutoSizeRows() {
    for (int r = 0; r < m_Rows; ++r)
        AutoSizeRow(r);
}

void CGridCore::AutoSize() {
    if (!m_HasWindow) return;
    std::fill(m_ColWidths.begin(), m_ColWidths.end(), 0);
    std::fill(m_RowHeights.begin(), m_RowHeights.end(), 0);
    for (int r = 0; r < m_Rows; ++r)
        for (int c = 0; c < m_Cols; ++c) {
            const GridSize e = GetCellExtent(r, c);
            int& w = m_ColWidths[static_cast<size_t>(c)];
            int& h = m_RowHeights[static_cast<size_t>(r)];
            w = std::max(w, e.cx);
            h = std::max(h, e.cy);
        }
    if (m_AllowDraw) {
        ResetScrollBars();
        Invalidate();
    }
}

std::vector<int> CGridCore::FitSizes(std::vector<int> sizes, int total) {
    if (sizes.empty()) return sizes;
    int sum = 0;
    for (int s : sizes)
        sum += s;
    int remaining = total - sum;
    std::vector<size_t> active(sizes.size());
    for (size_t i = 0; i < active.size(); ++i)
        active[i] = i;
    // Spread evenly; a size that would go below zero stops at zero and its
    // share goes to the others in the next round.
    while (remaining != 0 && !active.empty()) {
        const int n = static_cast<int>(active.size());
        const int each = remaining / n;
        const int extra = std::abs(remaining) % n;
        for (size_t k = 0; k < active.size(); ++k) {
            int& s = sizes[active[k]];
            s += each;
            if (static_cast<int>(k) < extra) s += remaining < 0 ? -1 : 1;
        }
        remaining = 0;
        std::vector<size_t> still;
        for (size_t i : active) {
            if (sizes[i] < 0) {
                remaining += sizes[i];
                sizes[i] = 0;
            } else {
                still.push_back(i);
            }
        }
        active = std::move(still);
    }
    return sizes;
}

void CGridCore::ExpandColumnsToFit() {
    if (m_Cols == 0) return;
    m_ColWidths = FitSizes(m_ColWidths, m_ClientWidth);
    if (m_AllowDraw) Invalidate();
}

void CGridCore::ExpandRowsToFit() {
    if (m_Rows == 0) return;
    m_RowHeights = FitSizes(m_RowHeights, m_ClientHeight);
    if (m_AllowDraw) Invalidate();
}

void CGridCore::ExpandToFit() {
    ExpandColumnsToFit();
    ExpandRowsToFit();
    ExpandColumnsToFit();
}

void CGridCore::ApplyFont(const GridFont& font) {
    m_Font = font;
    for (auto& row : m_RowData)
        for (auto& cell : *row)
            if (cell) cell->font = font;
    const GridFontMetrics m = MeasureFont(font);
    m_Margin = m.spaceWidth;
    m_DefRowHeight = m.height + m.externalLeading + 2 * m_Margin;
    m_DefColWidth = 12 * m.aveCharWidth + 2 * m_Margin;
    Invalidate();
}

// ---------------------------------------------------------------------------
// Keyboard
// ---------------------------------------------------------------------------

void CGridCore::OnKeyDown(int key, bool ctrl, bool shift) {
    if (!IsValid(m_FocusCell)) return;
    const CellId from = m_FocusCell;
    CellId next = m_FocusCell;
    bool wrapped = false;
    if (ctrl) {
        switch (key) {
        case 'A':
            OnEditSelectAll();
            break;
        case 'C':
            OnEditCopy();
            break;
        case 'V':
            OnEditPaste();
            break;
        case 'X':
            OnEditCut();
            break;
        default:
            break;
        }
    }
    auto scrolledRows = [&](int code) {
        const int before = GetTopLeftScrolledCell().row;
        OnScroll(sb::kVert, code);
        return GetTopLeftScrolledCell().row - before;
    };
    switch (key) {
    case vk::kTab:
        if (!shift) {
            if (next.col < m_Cols - 1) {
                ++next.col;
            } else {
                next.col = m_FixedCols;
                next.row = next.row < m_Rows - 1 ? next.row + 1 : 1;
                wrapped = true;
            }
        } else if (next.col > m_FixedCols) {
            --next.col;
        } else if (next.col == m_FixedCols && next.row > m_FixedRows) {
            --next.row;
            next.col = m_Cols - 1;
            wrapped = true;
        }
        break;
    case vk::kPrior: {
        const int d = scrolledRows(sb::kPageUp);
        next.row = d == 0 ? m_FixedRows : std::max(m_FixedRows, next.row + d);
        break;
    }
    case vk::kNext: {
        const int d = scrolledRows(sb::kPageDown);
        next.row = d == 0 ? m_Rows - 1 : std::min(m_Rows - 1, next.row + d);
        break;
    }
    case vk::kEnd:
        OnScroll(sb::kVert, sb::kBottom);
        next.row = m_Rows - 1;
        break;
    case vk::kHome:
        OnScroll(sb::kVert, sb::kTop);
        next.row = m_FixedRows;
        break;
    case vk::kLeft:
        if (next.col > m_FixedCols) --next.col;
        break;
    case vk::kUp:
        next.row = next.row <= m_FixedRows ? m_Rows - 1 : next.row - 1;
        break;
    case vk::kRight:
        if (next.col < m_Cols - 1) ++next.col;
        break;
    case vk::kDown:
        next.row = next.row < m_Rows - 1 ? next.row + 1 : 1;
        break;
    case vk::kDelete:
        if (!(GetItemState(next.row, next.col) & CELLSTATE_READONLY)) {
            SetItemText(next.row, next.col, std::string());
            SetModified(true, next.row, next.col);
            SendMessageToParent(next.row, next.col, GRIDN_TEXT_DELETED);
            RedrawCell(next.row, next.col);
        }
        break;
    default:
        break;
    }
    if (next == m_FocusCell) return;
    if (m_MouseMode == MOUSEMODE_NONE) {
        m_PrevSelectedCells.clear();
        m_MouseMode = m_ListMode ? MOUSEMODE_SELECT_ROWS : MOUSEMODE_SELECT_CELLS;
        m_SelectionStartCell = next;
        SetFocusCellAt(-1, -1);
        SetFocusCell(next);
        OnSelecting(next);
        m_MouseMode = MOUSEMODE_NONE;
    }
    if (GetFullyVisibleScrolledRange().InRange(next)) return;
    EnsureVisible(next.row, next.col);
    switch (key) {
    case vk::kTab:
        if (!shift) {
            if (wrapped) {
                // One row further down shows the next row's neighbour; a walk
                // back to the first row keeps that row in view.
                if (next.row > from.row) OnScroll(sb::kVert, sb::kLineDown);
                OnScroll(sb::kHorz, sb::kThumbPosition, 0);
            } else {
                OnScroll(sb::kHorz, sb::kLineDown);
            }
        } else if (wrapped) {
            OnScroll(sb::kVert, sb::kLineUp);
            OnScroll(sb::kHorz, sb::kThumbPosition, GetScrollLimit(sb::kHorz));
        } else {
            OnScroll(sb::kHorz, sb::kLineUp);
        }
        break;
    case vk::kLeft:
        OnScroll(sb::kHorz, sb::kLineUp);
        break;
    case vk::kUp:
        OnScroll(sb::kVert, sb::kLineUp);
        break;
    case vk::kRight:
        OnScroll(sb::kHorz, sb::kLineDown);
        break;
    case vk::kDown:
        OnScroll(sb::kVert, sb::kLineDown);
        break;
    default:
        break;
    }
    Invalidate();
}

// ---------------------------------------------------------------------------
// Printing
// ---------------------------------------------------------------------------

std::vector<int> CGridCore::PaginateRows(const std::vector<int>& heights, int pageRowHeight) {
    std::vector<int> pages;
    pages.reserve(heights.size());
    int page = 1;
    int total = 0;
    int onPage = 0;
    for (int h : heights) {
        total += h;
        // A page that has rows already breaks; an empty one takes the row
        // even when it is taller than the page, so no page is left blank.
        if (total > pageRowHeight && onPage > 0) {
            ++page;
            total = h;
            onPage = 0;
        }
        pages.push_back(page);
        ++onPage;
    }
    return pages;
}

GridPrintLayout CGridCore::LayoutPrint(int cw, int ch, int paperWidth, int paperHeight) const {
    GridPrintLayout l;
    l.charWidth = cw;
    l.charHeight = ch;
    l.paperWidth = paperWidth;
    l.paperHeight = paperHeight;
    if (m_Rows <= m_FixedRows || paperWidth <= 0 || paperHeight <= 0) return l;
    l.pageWidth = GetVirtualWidth() + 8 * cw;
    l.pageHeight = MulDivRound(l.pageWidth, paperHeight, paperWidth);
    l.pageRowHeight = l.pageHeight - GetFixedRowHeight() - 6 * ch;
    std::vector<int> heights;
    for (int r = m_FixedRows; r < m_Rows; ++r)
        heights.push_back(GetRowHeight(r));
    const std::vector<int> pages = PaginateRows(heights, l.pageRowHeight);
    l.pages = pages.empty() ? 0 : pages.back();
    return l;
}

std::vector<int> CGridCore::RowsOnPrintPage(int page, int pageRowHeight) const {
    std::vector<int> heights;
    for (int r = m_FixedRows; r < m_Rows; ++r)
        heights.push_back(GetRowHeight(r));
    const std::vector<int> pages = PaginateRows(heights, pageRowHeight);
    std::vector<int> rows;
    for (size_t i = 0; i < pages.size(); ++i)
        if (pages[i] == page) rows.push_back(m_FixedRows + static_cast<int>(i));
    return rows;
}

// ---------------------------------------------------------------------------
// Text files
// ---------------------------------------------------------------------------

GridFileResult CGridCore::WriteTextFile(const std::string& path) const {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return GridFileResult::OpenFailed;
    auto line = [&](int r) {
        for (int c = 0; c < m_Cols; ++c)
            file << GetItemText(r, c) << (c < m_Cols - 1 ? "," : "\r\n");
    };
    if (m_Cols > 0) {
        line(0);
        for (int r = 1; r < m_Rows; ++r)
            line(r);
    }
    file.close();
    return file ? GridFileResult::Ok : GridFileResult::IoFailed;
}

std::vector<std::string> CGridCore::SplitCsvLine(std::string line, bool endedByLineFeed) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> fields;
    size_t at = 0;
    for (;;) {
        const size_t comma = line.find(',', at);
        if (comma == std::string::npos) {
            fields.push_back(line.substr(at));
            break;
        }
        fields.push_back(line.substr(at, comma - at));
        at = comma + 1;
    }
    if (!endedByLineFeed && fields.size() > 1 && fields.back().empty()) fields.pop_back();
    return fields;
}

GridFileResult CGridCore::ReadTextFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return GridFileResult::OpenFailed;
    DeleteAllItems();
    // Whole lines, however long: a row comes back as one row.
    std::string line;
    auto next = [&](std::vector<std::string>& fields) {
        if (!std::getline(file, line)) return false;
        fields = SplitCsvLine(line, !file.eof());
        return true;
    };
    std::vector<std::string> fields;
    if (next(fields)) {
        for (const std::string& heading : fields)
            InsertColumn(heading, dt::kCenter | dt::kVCenter | dt::kSingleLine);
        while (next(fields)) {
            const int row = InsertRow(fields[0]);
            for (size_t j = 1; j < fields.size() && static_cast<int>(j) < m_Cols; ++j)
                SetItemText(row, static_cast<int>(j), fields[j]);
        }
    }
    if (file.bad()) return GridFileResult::IoFailed;
    AutoSizeColumns();
    return GridFileResult::Ok;
}
