// The grid control: the grid's cells and rules (controls/core/GridCore.h) in
// a window with scroll bars. It paints the headings raised (pressed in the
// focus cell's row and column) and the cells in their colours, the selected
// ones highlighted and the focus cell of an editable grid framed; takes the
// mouse (a press focuses and selects, a double click edits or is reported,
// the right button opens the machine-preset menu), the wheel and the keys;
// edits a cell in place; copies, cuts and pastes tab-separated text; takes
// dropped text; prints itself scaled to the paper's width; and writes and
// reads its texts as comma-separated lines.
//
// It reports to its parent: WM_NOTIFY with a GridNotify (the grid, its
// control id, the code, the row and the column), sent; WM_COMMAND (its id, 0)
// after each left release on a cell, and the menu's commands 713, 714 and
// 715, posted. Message boxes go through the program's message box, the print
// dialog through the modal seam; tests choose a menu command and a print
// target without anything on the screen.
#pragma once

#include "controls/core/GridCore.h"
#include "platform/Message.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QPointer>
#include <QRect>

#include <functional>
#include <memory>
#include <string>

class CGridDropTarget;
class CTitleTip;
class QMenu;
class QMimeData;
class QPaintDevice;
class QPainter;

// Where a printout goes: a printer, a PDF file, or a test's recorder.
class CGridPrintTarget {
public:
    virtual ~CGridPrintTarget() = default;
    // The device of the printable area (its width and height in device pixels).
    virtual QPaintDevice* Device() = 0;
    virtual void SetDocumentName(const QString& name) { (void)name; }
    // Ends a page and starts the next; false when printing cannot go on.
    virtual bool NewPage() = 0;
    // Drops the document (after the painter has ended).
    virtual void Abort() {}
};

// A PDF file as the print target.
std::unique_ptr<CGridPrintTarget> MakePdfPrintTarget(const QString& path);

// The print information of one printout: the pages, the page being printed
// and the rectangle a part of the page is drawn in.
struct GridPrintInfo {
    static constexpr int kUnsetLastPage = 65535;
    int minPage = 1;
    int maxPage = kUnsetLastPage;
    int currentPage = 1;
    GridRect drawRect;
};

class CGridCtrl : public platform::MessageTarget<QAbstractScrollArea>, public CGridCore {
public:
    // The machine-preset menu's commands.
    enum : int {
        ID_GRID_SAVE_AS_PRESET = 713,
        ID_GRID_LOAD_PRESET = 714,
        ID_GRID_DELETE_PRESET = 715,
    };
    // Drop effects.
    enum DropEffect { DROPEFFECT_NONE = 0, DROPEFFECT_COPY = 1, DROPEFFECT_MOVE = 2 };
    // Edit styles of the in-place editor (text alignment).
    enum : uint32_t { ES_CENTER = 0x1, ES_RIGHT = 0x2 };

    explicit CGridCtrl(QWidget* parent = nullptr, int rows = 0, int cols = 0, int fixedRows = 0,
                       int fixedCols = 0);
    ~CGridCtrl() override;

    // A grid of its own at a place under a parent: the drop target, the
    // title tip, the grid font and the scroll bars.
    bool Create(const QRect& rect, QWidget* parent, int id);
    // A grid placed by its dialog: the same steps for the window it is.
    bool SubclassWindow();
    int GetDlgCtrlID() const;

    // WM_SETFONT: the font of the grid and of every cell; the margin and the
    // default sizes follow, existing rows and columns keep theirs.
    void SetGridFont(const QFont& font);
    QFont GetGridQFont() const;
    static QFont ToQFont(const GridFont& font);
    static GridFont ToGridFont(const QFont& font);

    // ---- the mouse and the machine-preset menu -------------------------------
    void OnLButtonDown(bool shift, bool ctrl, GridPoint point);
    void OnLButtonUp(GridPoint point);
    void OnLButtonDblClk(GridPoint point);
    void OnRButtonDown(bool shift, GridPoint point, const QPoint& screen);
    // One wheel movement: scroll messages posted to the grid.
    void OnMouseWheel(int delta);
    virtual void OnFixedRowClick(const CellId& cell);
    virtual void OnFixedColumnClick(const CellId& cell);
    QMenu* PresetMenu() const { return m_PresetMenu; }
    // Shows a menu at a screen point and returns the chosen command (0: none).
    using MenuChooser = std::function<int(QMenu& menu, const QPoint& at)>;
    static MenuChooser SetMenuChooser(MenuChooser chooser);

    // ---- editing ----------------------------------------------------------------
    // Starts an in-place editor on a cell with the character or key that started it.
    virtual void OnEditCell(int row, int col, int ch);
    // Takes an editor's final text into its cell.
    virtual void OnEndEditCell(int row, int col, const std::string& text);
    virtual QWidget* CreateInPlaceEditControl(const GridRect& rect, uint32_t style, int id, int row,
                                              int col, const std::string& text, int ch);
    // The character part of a key press (WM_CHAR).
    void OnChar(int ch, bool ctrl);

    // ---- clipboard ----------------------------------------------------------------
    // The selection as plain text for the clipboard or a drag; none without one.
    std::unique_ptr<QMimeData> CopyDataFromGrid() const;
    bool PasteDataToGrid(int row, int col, const QMimeData* data);
    void OnEditCopy() override;
    void OnEditCut() override;
    void OnEditPaste() override;
    void OnEditSelectAll() override;
    // Whether the commands are enabled.
    bool CanCopy() const;
    bool CanCut() const;
    bool CanPaste() const;
    bool CanSelectAll() const { return IsSelectable(); }

    // ---- drag and drop ---------------------------------------------------------
    DropEffect OnDragEnter(const QMimeData* data, bool ctrl, GridPoint point);
    DropEffect OnDragOver(const QMimeData* data, bool ctrl, GridPoint point);
    void OnDragLeave();
    bool OnDrop(const QMimeData* data);
    void OnBeginDrag();
    CGridDropTarget* DropTarget() const { return m_DropTarget.get(); }
    CellId GetLastDragOverCell() const { return m_LastDragOverCell; }

    // ---- drawing ------------------------------------------------------------------
    virtual void OnDraw(QPainter& dc, const QRect& clip);
    virtual bool DrawFixedCell(QPainter& dc, int row, int col, GridRect rect, bool erase);
    virtual bool DrawCell(QPainter& dc, int row, int col, GridRect rect, bool erase);
    // Draws a text the way the system's text drawing does with these flags
    // (dt::); rect's right and bottom are one past the area.
    static void DrawGridText(QPainter& dc, const GridRect& rect, uint32_t format,
                             const QString& text);
    CTitleTip* TitleTip() const { return m_TitleTip; }

    // ---- printing -----------------------------------------------------------------
    // Chooses where a printout goes (the print dialog by default); none: no printout.
    using PrintTargetChooser = std::function<std::unique_ptr<CGridPrintTarget>(QWidget* parent)>;
    static PrintTargetChooser SetPrintTargetChooser(PrintTargetChooser chooser);
    void Print();
    virtual void OnBeginPrinting(QPainter& dc, GridPrintInfo& info);
    virtual void OnPrint(QPainter& dc, GridPrintInfo& info);
    virtual void OnEndPrinting(QPainter& dc, GridPrintInfo& info);
    virtual void PrintColumnHeadings(QPainter& dc, GridPrintInfo& info);
    virtual void PrintHeader(QPainter& dc, GridPrintInfo& info);
    virtual void PrintFooter(QPainter& dc, GridPrintInfo& info);
    const GridPrintLayout& PrintLayout() const { return m_PrintLayout; }
    bool IsPrinting() const { return m_Printing; }

    // ---- text files ---------------------------------------------------------------
    // False after saying why when the file cannot be opened; false without a
    // word when writing or reading fails on the way.
    bool Save(const QString& path);
    bool Load(const QString& path);

    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;

protected:
    intptr_t SendMessageToParent(int row, int col, int code) override;
    bool RedrawCell(int row, int col) override;
    void InvalidateClientRect(const GridRect& rect) override;
    void Invalidate() override;
    void ScrollBarsChanged() override;
    void BeforeScroll() override;
    GridSize MeasureText(const std::string& text, const GridFont& font) const override;
    GridFontMetrics MeasureFont(const GridFont& font) const override;

    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void BuildPresetMenu();
    void ConnectScrollBar(int bar);
    void OnEndInPlaceEdit(const GridEditNotify& record);
    // Prints one row of cells (headings drawn as headings) from top with
    // their grid lines; the next row's top.
    int PrintRowOfCells(QPainter& dc, int row, int top, bool headings, bool firstLine);
    void UpdateCursor();
    GridSystemColours SystemColours() const;

    QMenu* m_PresetMenu = nullptr;
    CTitleTip* m_TitleTip = nullptr;
    std::unique_ptr<CGridDropTarget> m_DropTarget;
    bool m_SyncingBars = false;
    bool m_Printing = false;
    QFont m_PrinterFont;
    GridPrintLayout m_PrintLayout;
};

// The grid with lists of allowed texts per column: a column with a list
// takes only its texts in its non-fixed cells and is edited with a drop-down
// list.
class CComboGridCtrl : public CGridCtrl {
public:
    // Combo styles of the drop-down editor.
    enum : uint32_t { CBS_DROPDOWN = 2, CBS_DROPDOWNLIST = 3 };

    explicit CComboGridCtrl(QWidget* parent = nullptr);

    // A list for a non-fixed column (an earlier list of the column wins).
    void SetColumnChoices(int col, const std::vector<std::string>& choices);
    int FindColumnChoices(int col) const { return m_Choices.Find(col); }
    void SetListStyle(uint32_t style) { m_ListStyle = style; }
    uint32_t GetListStyle() const { return m_ListStyle; }
    // Writes the list's text at index into a cell of the column.
    bool SetItemTextFromChoice(int row, int col, int index);

    bool SetItemText(int row, int col, const std::string& text) override;
    bool SetItem(const GridItem* item) override;
    QWidget* CreateInPlaceEditControl(const GridRect& rect, uint32_t style, int id, int row,
                                      int col, const std::string& text, int ch) override;

private:
    GridChoiceLists m_Choices;
    uint32_t m_ListStyle = CBS_DROPDOWN;
};
