#include "controls/grid/GridCtrl.h"

#include "controls/ControlNotify.h"
#include "controls/grid/GridDropTarget.h"
#include "controls/grid/InPlaceEdit.h"
#include "controls/grid/InPlaceList.h"
#include "controls/MessageBox.h"
#include "controls/grid/TitleTip.h"
#include "model/Globals.h"
#include "model/ThreadRole.h"
#include "platform/Fonts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

QColor ToQColor(COLORREF c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

COLORREF ToColorRef(const QColor& c) {
    return RgbColor(c.red(), c.green(), c.blue());
}

// A system rectangle (right and bottom one past the area) as Qt's.
QRect Area(const GridRect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void Fill(QPainter& dc, const GridRect& r, COLORREF colour) {
    if (!r.IsEmpty()) dc.fillRect(Area(r), ToQColor(colour));
}

// A line as the system draws one: from the first point up to, not
// including, the last (horizontal and vertical lines only).
void Line(QPainter& dc, int x1, int y1, int x2, int y2) {
    if (x1 == x2 && y1 == y2) return;
    const int dx = x2 > x1 ? 1 : x2 < x1 ? -1 : 0;
    const int dy = y2 > y1 ? 1 : y2 < y1 ? -1 : 0;
    dc.drawLine(x1, y1, x2 - dx, y2 - dy);
}

// A one-pixel frame as the system's rectangle with a hollow brush draws it.
void Frame(QPainter& dc, const GridRect& r, const QColor& colour) {
    if (r.right - r.left < 1 || r.bottom - r.top < 1) return;
    dc.save();
    dc.setPen(QPen(colour, 0));
    dc.setBrush(Qt::NoBrush);
    dc.drawRect(QRect(r.left, r.top, r.right - r.left - 1, r.bottom - r.top - 1));
    dc.restore();
}

QColor SysColour(QPalette::ColorRole role) {
    return QApplication::palette().color(QPalette::Active, role);
}

CGridCtrl::MenuChooser& MenuChooserSlot() {
    static CGridCtrl::MenuChooser chooser;
    return chooser;
}

constexpr GridRect Deflated(GridRect r, int by) {
    return {r.left + by, r.top + by, r.right - by, r.bottom - by};
}

// The owner of a window's resize handler: one for the whole program, as a
// resize may resize others.
UiThreadOnly<bool> g_InGridResize{false};

} // namespace

// ---------------------------------------------------------------------------
// Construction
// ---------------------------------------------------------------------------

CGridCtrl::CGridCtrl(QWidget* parent, int rows, int cols, int fixedRows, int fixedCols)
    : MessageTarget(parent), m_DropTarget(std::make_unique<CGridDropTarget>()) {
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::ArrowCursor);
    ConnectScrollBar(sb::kHorz);
    ConnectScrollBar(sb::kVert);
    InitColours(SystemColours());
    m_WheelLines = QApplication::wheelScrollLines();
    SetClientSize(viewport()->width(), viewport()->height());
    SetRowCount(rows);
    SetColumnCount(cols);
    SetFixedRowCount(fixedRows);
    SetFixedColumnCount(fixedCols);
    BuildPresetMenu();
}

CGridCtrl::~CGridCtrl() = default;

void CGridCtrl::BuildPresetMenu() {
    // The language of the moment: the menu keeps it for the load and save texts.
    const bool cn = g_LanguageFlag.load() != 0;
    m_PresetMenu = new QMenu(this);
    auto add = [this](int command, const QString& text) {
        QAction* a = m_PresetMenu->addAction(text);
        a->setData(command);
    };
    add(ID_GRID_LOAD_PRESET,
        cn ? QStringLiteral("加载 机器预置场景(&E)") : QStringLiteral("Load Machine Preset(&E)"));
    add(ID_GRID_SAVE_AS_PRESET, cn ? QStringLiteral("另存为 机器预置场景(&I)")
                                   : QStringLiteral("Save As Machine Preset(&I)"));
    add(ID_GRID_DELETE_PRESET, QString());
}

GridSystemColours CGridCtrl::SystemColours() const {
    GridSystemColours c;
    c.windowText = ToColorRef(SysColour(QPalette::Text));
    c.window = ToColorRef(SysColour(QPalette::Base));
    c.btnFace = ToColorRef(SysColour(QPalette::Button));
    c.btnShadow = ToColorRef(SysColour(QPalette::Dark));
    return c;
}

void CGridCtrl::ConnectScrollBar(int bar) {
    QScrollBar* s = bar == sb::kHorz ? horizontalScrollBar() : verticalScrollBar();
    connect(s, &QAbstractSlider::actionTriggered, this, [this, s, bar](int action) {
        if (m_SyncingBars) return;
        int code;
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            code = sb::kLineDown;
            break;
        case QAbstractSlider::SliderSingleStepSub:
            code = sb::kLineUp;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            code = sb::kPageDown;
            break;
        case QAbstractSlider::SliderPageStepSub:
            code = sb::kPageUp;
            break;
        case QAbstractSlider::SliderToMinimum:
            code = sb::kTop;
            break;
        case QAbstractSlider::SliderToMaximum:
            code = sb::kBottom;
            break;
        case QAbstractSlider::SliderMove:
            code = sb::kThumbTrack;
            break;
        default:
            return;
        }
        OnScroll(bar, code, s->sliderPosition());
        // The grid's step wins over the bar's own.
        const QSignalBlocker block(s);
        s->setSliderPosition(GetScrollPos32(bar));
    });
    connect(s, &QAbstractSlider::valueChanged, this, [this, bar](int value) {
        if (!m_SyncingBars && value != GetScrollPos32(bar))
            OnScroll(bar, sb::kThumbPosition, value);
    });
}

bool CGridCtrl::Create(const QRect& rect, QWidget* parent, int id) {
    setParent(parent);
    setGeometry(rect);
    SetControlId(this, id);
    if (!SubclassWindow()) return false;
    show();
    return true;
}

bool CGridCtrl::SubclassWindow() {
    m_DropTarget->Register(this);
    if (m_TitleTips && !m_TitleTip) m_TitleTip = new CTitleTip(this);
    // The font description becomes the grid's font, without a redraw.
    const bool allow = IsRedrawAllowed();
    SetRedraw(false);
    ApplyFont(GetFont());
    SetRedraw(allow);
    setFont(GetGridQFont()); // the editors and the title tip take it
    SetClientSize(viewport()->width(), viewport()->height());
    ResetScrollBars();
    return true;
}

int CGridCtrl::GetDlgCtrlID() const {
    return ControlId(this);
}

// ---------------------------------------------------------------------------
// Fonts
// ---------------------------------------------------------------------------

QFont CGridCtrl::ToQFont(const GridFont& font) {
    QFont f = platform::FaceFont(QString::fromStdString(font.face), font.height, font.weight);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeOut);
    return f;
}

GridFont CGridCtrl::ToGridFont(const QFont& font) {
    GridFont g;
    g.face = font.family().toStdString();
    g.height = font.pixelSize() > 0 ? -font.pixelSize()
                                    : -static_cast<int>(font.pointSizeF() * 96.0 / 72.0 + 0.5);
    g.weight = font.weight();
    g.italic = font.italic();
    g.underline = font.underline();
    g.strikeOut = font.strikeOut();
    return g;
}

void CGridCtrl::SetGridFont(const QFont& font) {
    ApplyFont(ToGridFont(font));
    setFont(GetGridQFont()); // the editors and the title tip take it
}

QFont CGridCtrl::GetGridQFont() const {
    return ToQFont(GetFont());
}

GridFontMetrics CGridCtrl::MeasureFont(const GridFont& font) const {
    const QFontMetrics fm(ToQFont(font));
    GridFontMetrics m;
    m.height = fm.height();
    m.externalLeading = std::max(0, fm.leading());
    m.aveCharWidth = fm.averageCharWidth();
    m.spaceWidth = fm.horizontalAdvance(QLatin1Char(' '));
    return m;
}

GridSize CGridCtrl::MeasureText(const std::string& text, const GridFont& font) const {
    const QFontMetrics fm(ToQFont(font));
    return {fm.horizontalAdvance(QString::fromStdString(text)), fm.height()};
}

// ---------------------------------------------------------------------------
// The window's side of the grid's rules
// ---------------------------------------------------------------------------

intptr_t CGridCtrl::SendMessageToParent(int row, int col, int code) {
    QWidget* owner = parentWidget();
    if (!owner) return 0;
    GridNotify record;
    record.hdr.from = this;
    record.hdr.idFrom = static_cast<uintptr_t>(GetDlgCtrlID());
    record.hdr.code = code;
    record.row = row;
    record.col = col;
    return platform::SendMessage(owner, WM_NOTIFY, record.hdr.idFrom,
                                 reinterpret_cast<LPARAM>(&record));
}

bool CGridCtrl::RedrawCell(int row, int col) {
    if (!IsRedrawAllowed() || !IsCellVisible(row, col)) return false;
    GridRect r;
    if (!GetCellRect(row, col, &r)) return false;
    // The cell with the grid lines on its last pixel row and column.
    viewport()->update(QRect(r.left, r.top, r.right - r.left + 1, r.bottom - r.top + 1));
    return true;
}

void CGridCtrl::InvalidateClientRect(const GridRect& rect) {
    viewport()->update(Area(rect));
}

void CGridCtrl::Invalidate() {
    if (IsRedrawAllowed()) viewport()->update();
}

void CGridCtrl::ScrollBarsChanged() {
    m_SyncingBars = true;
    for (int bar : {sb::kHorz, sb::kVert}) {
        QScrollBar* s = bar == sb::kHorz ? horizontalScrollBar() : verticalScrollBar();
        s->setRange(0, GetScrollLimit(bar));
        s->setPageStep(std::max(1, GetScrollPage(bar)));
        s->setValue(GetScrollPos32(bar));
    }
    m_SyncingBars = false;
}

void CGridCtrl::BeforeScroll() {
    if (!hasFocus()) setFocus(Qt::OtherFocusReason);
    if (m_TitleTip) m_TitleTip->Hide();
}

void CGridCtrl::scrollContentsBy(int, int) {
    // The grid draws from its own positions; it never moves pixels.
    viewport()->update();
}

// ---------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------

bool CGridCtrl::event(QEvent* e) {
    switch (e->type()) {
    case QEvent::KeyPress: {
        // The grid takes Tab for itself unless Ctrl is held.
        auto* key = static_cast<QKeyEvent*>(e);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && GetHandleTabKey() &&
            !(key->modifiers() & Qt::ControlModifier)) {
            keyPressEvent(key);
            return true;
        }
        break;
    }
    case QEvent::ApplicationPaletteChange:
        OnSysColourChange(SystemColours());
        viewport()->update();
        break;
    default:
        break;
    }
    return MessageTarget::event(e);
}

bool CGridCtrl::viewportEvent(QEvent* e) {
    // The cells are drawn over their whole area: no background first.
    return QAbstractScrollArea::viewportEvent(e);
}

void CGridCtrl::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    if (g_InGridResize) return;
    g_InGridResize = true;
    // A resize ends an in-place edit.
    QWidget* f = QApplication::focusWidget();
    if (f && f != this && isAncestorOf(f)) setFocus(Qt::OtherFocusReason);
    SetClientSize(viewport()->width(), viewport()->height());
    ResetScrollBars();
    g_InGridResize = false;
}

void CGridCtrl::paintEvent(QPaintEvent* e) {
    QPainter dc(viewport());
    OnDraw(dc, e->rect());
}

void CGridCtrl::mousePressEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    if (e->button() == Qt::LeftButton)
        OnLButtonDown(shift, e->modifiers() & Qt::ControlModifier, {p.x(), p.y()});
    else if (e->button() == Qt::RightButton)
        OnRButtonDown(shift, {p.x(), p.y()}, e->globalPosition().toPoint());
    e->accept();
}

void CGridCtrl::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        const QPoint p = e->position().toPoint();
        OnLButtonUp({p.x(), p.y()});
    }
    e->accept();
}

void CGridCtrl::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        const QPoint p = e->position().toPoint();
        OnLButtonDblClk({p.x(), p.y()});
    }
    e->accept();
}

void CGridCtrl::mouseMoveEvent(QMouseEvent* e) {
    // Moving the mouse selects, sizes and drags nothing.
    e->accept();
}

void CGridCtrl::wheelEvent(QWheelEvent* e) {
    OnMouseWheel(e->angleDelta().y());
    e->accept();
}

void CGridCtrl::keyPressEvent(QKeyEvent* e) {
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    int vkey = 0;
    switch (e->key()) {
    case Qt::Key_Tab:
        vkey = vk::kTab;
        break;
    case Qt::Key_Backtab:
        vkey = vk::kTab;
        break;
    case Qt::Key_PageUp:
        vkey = vk::kPrior;
        break;
    case Qt::Key_PageDown:
        vkey = vk::kNext;
        break;
    case Qt::Key_End:
        vkey = vk::kEnd;
        break;
    case Qt::Key_Home:
        vkey = vk::kHome;
        break;
    case Qt::Key_Left:
        vkey = vk::kLeft;
        break;
    case Qt::Key_Up:
        vkey = vk::kUp;
        break;
    case Qt::Key_Right:
        vkey = vk::kRight;
        break;
    case Qt::Key_Down:
        vkey = vk::kDown;
        break;
    case Qt::Key_Delete:
        vkey = vk::kDelete;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        // Enter and Escape belong to the dialog the grid sits in.
        e->ignore();
        return;
    default:
        if (e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z) vkey = 'A' + (e->key() - Qt::Key_A);
        break;
    }
    if (vkey) OnKeyDown(vkey, ctrl, shift || e->key() == Qt::Key_Backtab);
    const QString text = e->text();
    if (!text.isEmpty() && text[0].unicode() != 0x7F && vkey != vk::kDelete)
        OnChar(text[0].unicode(), ctrl);
    e->accept();
}

void CGridCtrl::OnChar(int ch, bool ctrl) {
    if (ctrl || m_MouseMode != MOUSEMODE_NONE) return;
    if (ch == vk::kTab && GetHandleTabKey()) return;
    const CellId focus = GetFocusCell();
    OnEditCell(focus.row, focus.col, ch);
}

LRESULT CGridCtrl::WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NOTIFY: {
        const auto* hdr = reinterpret_cast<const GridNotifyHeader*>(lParam);
        if (hdr && hdr->idFrom == IDC_INPLACE_EDIT && hdr->code == GRIDN_END_EDIT)
            OnEndInPlaceEdit(*reinterpret_cast<const GridEditNotify*>(lParam));
        return 0;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
        OnScroll(msg == WM_HSCROLL ? sb::kHorz : sb::kVert, static_cast<int>(wParam & 0xFFFF),
                 static_cast<int>((wParam >> 16) & 0xFFFF));
        return 0;
    default:
        return 0;
    }
}

// ---------------------------------------------------------------------------
// The mouse and the machine-preset menu
// ---------------------------------------------------------------------------

CGridCtrl::MenuChooser CGridCtrl::SetMenuChooser(MenuChooser chooser) {
    MenuChooser previous = std::move(MenuChooserSlot());
    MenuChooserSlot() = std::move(chooser);
    return previous;
}

void CGridCtrl::UpdateCursor() {
    switch (m_MouseMode) {
    case MOUSEMODE_OVER_ROW_BORDER:
        viewport()->setCursor(Qt::SizeVerCursor);
        break;
    case MOUSEMODE_OVER_COLUMN_BORDER:
        viewport()->setCursor(Qt::SizeHorCursor);
        break;
    case MOUSEMODE_DRAGGING:
        break;
    default:
        viewport()->setCursor(Qt::ArrowCursor);
        break;
    }
}

void CGridCtrl::OnLButtonDown(bool shift, bool ctrl, GridPoint point) {
    const bool hadFocus = hasFocus();
    m_MouseMode = MOUSEMODE_SELECT_ROWS;
    m_LeftClickDownPoint = point;
    m_LeftClickDownCell = GetCellFromPoint(point, true);
    CellId& cell = m_LeftClickDownCell;
    if (cell.row == 0) return;
    if (cell.col == 0) cell.col = 1; // a press in the first column acts on the second
    if (!IsValid(cell)) return;
    m_SelectionStartCell = shift ? GetFocusCell() : cell;
    setFocus(Qt::MouseFocusReason);
    SetFocusCellAt(-1, -1);
    SetFocusCell(cell);
    // Only the selected and focused bits change: the cell stays read-only
    // or modified as it was.
    SetItemState(cell.row, cell.col,
                 (GetItemState(cell.row, cell.col) & ~CELLSTATE_FOCUSED) | CELLSTATE_SELECTED);
    Invalidate();
    if (m_AllowDragAndDrop && hadFocus) {
        m_MouseMode = MOUSEMODE_PREPARE_DRAG;
        return;
    }
    KeepSelectionForNext(ctrl);
    if (cell.row < GetFixedRowCount()) {
        OnFixedRowClick(cell);
        return;
    }
    if (cell.col < GetFixedColumnCount()) return;
    m_MouseMode = m_ListMode ? MOUSEMODE_SELECT_ROWS : MOUSEMODE_SELECT_CELLS;
    OnSelecting(cell);
}

void CGridCtrl::OnLButtonUp(GridPoint point) {
    m_LastMousePoint = point;
    if (m_MouseMode == MOUSEMODE_PREPARE_EDIT) {
        const CellId focus = GetFocusCell();
        OnEditCell(focus.row, focus.col, vk::kLButton);
    } else if (m_MouseMode == MOUSEMODE_PREPARE_DRAG) {
        ClearSelection();
    }
    m_MouseMode = MOUSEMODE_NONE;
    UpdateCursor();
    if (IsValid(m_LeftClickDownCell))
        if (QWidget* owner = parentWidget())
            platform::PostMessage(owner, WM_COMMAND, CommandWParam(GetDlgCtrlID(), 0),
                                  reinterpret_cast<LPARAM>(this));
}

void CGridCtrl::OnLButtonDblClk(GridPoint point) {
    const CellId cell = GetCellFromPoint(point, true);
    if (!IsValid(cell) || m_MouseMode != MOUSEMODE_NONE) return;
    const int fr = GetFixedRowCount();
    const int fc = GetFixedColumnCount();
    if (IsEditable()) {
        const CellId& down = m_LeftClickDownCell;
        if (down.row >= fr && IsValid(down) && down.col >= fc) {
            setFocus(Qt::MouseFocusReason);
            SetFocusCellAt(std::max(cell.row, fr), std::max(cell.col, fc));
            m_MouseMode = MOUSEMODE_PREPARE_EDIT;
        }
        return;
    }
    if (cell.row >= fr && cell.col <= fc) {
        OnEditCell(cell.row, cell.col, vk::kLButton);
        SetFocusCellQuietly(m_LeftClickDownCell);
        SendMessageToParent(cell.row, cell.col, NM_DBLCLK);
    }
}

void CGridCtrl::OnRButtonDown(bool shift, GridPoint point, const QPoint& screen) {
    m_MouseMode = MOUSEMODE_SELECT_ROWS;
    m_LeftClickDownPoint = point;
    m_LeftClickDownCell = GetCellFromPoint(point, true);
    const CellId cell = m_LeftClickDownCell;
    if (cell.row == 0 || !IsValid(cell)) return; // no menu over the headings or outside
    m_SelectionStartCell = shift ? GetFocusCell() : cell;
    setFocus(Qt::MouseFocusReason);
    if (cell == GetFocusCell()) {
        m_MouseMode = MOUSEMODE_PREPARE_EDIT;
    } else {
        SetFocusCellAt(-1, -1);
        OnSelecting(cell);
    }
    m_RightClickCell = cell;
    // The delete text follows the language of each press.
    for (QAction* a : m_PresetMenu->actions())
        if (a->data().toInt() == ID_GRID_DELETE_PRESET)
            a->setText(g_LanguageFlag.load() ? QStringLiteral("删除 机器预置场景(&D)")
                                             : QStringLiteral("Delete Machine Preset(&D)"));
    int command = 0;
    QPointer<CGridCtrl> alive(this);
    if (MenuChooserSlot()) {
        command = MenuChooserSlot()(*m_PresetMenu, screen);
    } else if (const QAction* chosen = m_PresetMenu->exec(screen)) {
        command = chosen->data().toInt();
    }
    if (!alive || command == 0) return;
    if (QWidget* owner = parentWidget())
        platform::PostMessage(owner, WM_COMMAND, CommandWParam(command, 0), 0);
}

void CGridCtrl::OnMouseWheel(int delta) {
    const int lines = GetWheelScrollLines();
    int n;
    int up, down;
    if (lines == -1) {
        n = delta / 120;
        up = sb::kPageUp;
        down = sb::kPageDown;
    } else {
        n = delta * lines / 120;
        up = sb::kLineUp;
        down = sb::kLineDown;
    }
    for (int i = 0; i < std::abs(n); ++i)
        PostMessage(WM_VSCROLL, static_cast<WPARAM>(n > 0 ? up : down));
}

void CGridCtrl::OnFixedRowClick(const CellId& cell) {
    if (!IsValid(cell)) return;
    if (GetListMode()) {
        if (!GetSortOnClick()) return;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        SortOnHeading(cell.col);
        QApplication::restoreOverrideCursor();
        return;
    }
    m_MouseMode =
        cell.col < GetFixedColumnCount() ? MOUSEMODE_SELECT_ALL : MOUSEMODE_SELECT_COLUMNS;
    OnSelecting(cell);
}

void CGridCtrl::OnFixedColumnClick(const CellId& cell) {
    if (!IsValid(cell)) return;
    m_MouseMode = cell.row < GetFixedRowCount() ? MOUSEMODE_SELECT_ALL : MOUSEMODE_SELECT_ROWS;
    OnSelecting(cell);
}

// ---------------------------------------------------------------------------
// Editing
// ---------------------------------------------------------------------------

void CGridCtrl::OnEditCell(int row, int col, int ch) {
    if (!IsValid(row, col)) return;
    EnsureVisible(row, col);
    if (!IsCellEditable(row, col) || !IsCellVisible(row, col)) return;
    GridRect rect;
    if (!GetCellRect(row, col, &rect)) return;
    SendMessageToParent(row, col, GRIDN_BEGIN_EDIT);
    GridItem item;
    item.row = row;
    item.col = col;
    item.mask = GIM_TEXT | GIM_FORMAT;
    if (!GetItem(&item)) return;
    uint32_t style = 0;
    if (item.format & dt::kRight)
        style = ES_RIGHT;
    else if (item.format & dt::kCenter)
        style = ES_CENTER;
    CreateInPlaceEditControl(rect, style, IDC_INPLACE_EDIT, row, col, item.text, ch);
}

QWidget* CGridCtrl::CreateInPlaceEditControl(const GridRect& rect, uint32_t style, int id, int row,
                                             int col, const std::string& text, int ch) {
    return new CInPlaceEdit(viewport(), rect, style, id, row, col, text, ch);
}

void CGridCtrl::OnEndEditCell(int row, int col, const std::string& text) {
    if (text == GetItemText(row, col)) return;
    SetModified(true, row, col);
    SetItemText(row, col, text);
}

void CGridCtrl::OnEndInPlaceEdit(const GridEditNotify& record) {
    const int row = record.item.row;
    const int col = record.item.col;
    OnEndEditCell(row, col, record.item.text);
    InvalidateCell({row, col});
    SendMessageToParent(row, col, GRIDN_END_EDIT);
    const int key = static_cast<int>(record.item.lParam);
    if (key != vk::kTab && (key < vk::kPrior || key > vk::kDown)) return;
    // The walk to the next cell runs once the editor has let the focus go.
    QPointer<CGridCtrl> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, key] {
            if (!self) return;
            const bool shift = QApplication::keyboardModifiers() & Qt::ShiftModifier;
            self->OnKeyDown(key, false, shift);
            const CellId focus = self->GetFocusCell();
            self->OnEditCell(focus.row, focus.col, key);
        },
        Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------
// Clipboard
// ---------------------------------------------------------------------------

std::unique_ptr<QMimeData> CGridCtrl::CopyDataFromGrid() const {
    std::optional<std::string> bytes = CopyTextFromGrid();
    if (!bytes) return nullptr;
    bytes->pop_back(); // the NUL that ends the block
    auto data = std::make_unique<QMimeData>();
    data->setText(QString::fromStdString(*bytes));
    return data;
}

bool CGridCtrl::PasteDataToGrid(int row, int col, const QMimeData* data) {
    if (!data || !data->hasText()) return false;
    return PasteTextToGrid(row, col, data->text().toStdString());
}

void CGridCtrl::OnEditCopy() {
    if (std::unique_ptr<QMimeData> data = CopyDataFromGrid())
        QApplication::clipboard()->setMimeData(data.release());
}

void CGridCtrl::OnEditCut() {
    if (!IsEditable()) return;
    std::unique_ptr<QMimeData> data = CopyDataFromGrid();
    if (!data) return;
    QApplication::clipboard()->setMimeData(data.release());
    CutSelectedText();
}

void CGridCtrl::OnEditPaste() {
    if (!IsEditable()) return;
    CellId cell = GetFocusCell();
    if (!IsValid(cell)) cell = GetTopLeftScrolledCell();
    if (!IsValid(cell)) return;
    PasteDataToGrid(cell.row, cell.col, QApplication::clipboard()->mimeData());
}

void CGridCtrl::OnEditSelectAll() {
    SelectAllCells();
}

bool CGridCtrl::CanCopy() const {
    const CellRange r = GetSelectionBounds();
    return IsValid(r) && r.Count() > 0;
}

bool CGridCtrl::CanCut() const {
    return IsEditable() && CanCopy();
}

bool CGridCtrl::CanPaste() const {
    const CellId focus = GetFocusCell();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return IsValid(focus) && IsCellEditable(focus) && data && data->hasText();
}

// ---------------------------------------------------------------------------
// Drag and drop
// ---------------------------------------------------------------------------

CGridCtrl::DropEffect CGridCtrl::OnDragEnter(const QMimeData* data, bool ctrl, GridPoint point) {
    if (!m_AllowDragAndDrop || !data || !data->hasText()) return DROPEFFECT_NONE;
    m_LastDragOverCell = GetCellFromPoint(point, false);
    const CellId cell = m_LastDragOverCell;
    if (!IsValid(cell) || !IsCellEditable(cell)) return DROPEFFECT_NONE;
    SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) | CELLSTATE_DROPTARGET);
    RedrawCell(cell.row, cell.col);
    return ctrl ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

CGridCtrl::DropEffect CGridCtrl::OnDragOver(const QMimeData* data, bool ctrl, GridPoint point) {
    if (!m_AllowDragAndDrop || !IsEditable() || !data || !data->hasText()) return DROPEFFECT_NONE;
    const CellId cell = GetCellFromPoint(point, false);
    if (!IsValid(cell)) {
        OnDragLeave();
        m_LastDragOverCell = CellId();
        return DROPEFFECT_NONE;
    }
    if (!IsCellEditable(cell)) return DROPEFFECT_NONE;
    if (cell != m_LastDragOverCell) {
        const CellId old = m_LastDragOverCell;
        if (IsValid(old)) {
            SetItemState(old.row, old.col, GetItemState(old.row, old.col) & ~CELLSTATE_DROPTARGET);
            RedrawCell(old.row, old.col);
        }
        m_LastDragOverCell = cell;
        SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) | CELLSTATE_DROPTARGET);
        RedrawCell(cell.row, cell.col);
    }
    return ctrl ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

void CGridCtrl::OnDragLeave() {
    const CellId cell = m_LastDragOverCell;
    if (!IsValid(cell)) return;
    SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) & ~CELLSTATE_DROPTARGET);
    RedrawCell(cell.row, cell.col);
}

bool CGridCtrl::OnDrop(const QMimeData* data) {
    if (!m_AllowDragAndDrop || !IsValid(m_LastDragOverCell) || !IsCellEditable(m_LastDragOverCell))
        return false;
    m_MouseMode = MOUSEMODE_NONE;
    OnDragLeave();
    return PasteDataToGrid(m_LastDragOverCell.row, m_LastDragOverCell.col, data);
}

void CGridCtrl::OnBeginDrag() {
    if (!m_AllowDragAndDrop) return;
    std::unique_ptr<QMimeData> data = CopyDataFromGrid();
    if (!data) return;
    const CellId corner = GetSelectionBounds().GetTopLeft();
    SendMessageToParent(corner.row, corner.col, GRIDN_BEGIN_DRAG);
    m_MouseMode = MOUSEMODE_DRAGGING;
    QPointer<CGridCtrl> alive(this);
    auto* drag = new QDrag(this);
    drag->setMimeData(data.release());
    const Qt::DropAction result = drag->exec(Qt::CopyAction | Qt::MoveAction);
    if (alive && result == Qt::MoveAction) CutSelectedText();
}

// ---------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------

void CGridCtrl::DrawGridText(QPainter& dc, const GridRect& rect, uint32_t format,
                             const QString& text) {
    int flags = 0;
    if (format & dt::kCenter)
        flags |= Qt::AlignHCenter;
    else if (format & dt::kRight)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    if (format & dt::kSingleLine) {
        flags |= Qt::TextSingleLine;
        if (format & dt::kVCenter)
            flags |= Qt::AlignVCenter;
        else if (format & dt::kBottom)
            flags |= Qt::AlignBottom;
        else
            flags |= Qt::AlignTop;
    } else {
        flags |= Qt::AlignTop;
        if (format & dt::kWordBreak) flags |= Qt::TextWordWrap;
    }
    if (!(format & dt::kNoPrefix)) flags |= Qt::TextShowMnemonic;
    if (format & dt::kNoClip) flags |= Qt::TextDontClip;
    QString shown = text;
    const QRect area = Area(rect);
    if (format & dt::kEndEllipsis)
        shown = dc.fontMetrics().elidedText(text, Qt::ElideRight, std::max(0, area.width()));
    dc.drawText(area, flags, shown);
}

void CGridCtrl::OnDraw(QPainter& dc, const QRect& clip) {
    if (clip.isEmpty()) return;
    const GridRect C{clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1};
    GridRect V;
    const CellRange vis = GetVisibleScrolledRange(&V);
    const int W = GetFixedColumnWidth();
    const int H = GetFixedRowHeight();
    if (C.left < W && C.top < V.bottom) Fill(dc, {C.left, C.top, W, V.bottom}, m_FixedBkColour);
    if (C.top < H && C.right > W && C.left < V.right)
        Fill(dc, {W - 1, C.top, V.right, H}, m_FixedBkColour);
    const GridRect I{std::max(V.left, C.left), std::max(V.top, C.top), std::min(V.right, C.right),
                     std::min(V.bottom, C.bottom)};
    if (!I.IsEmpty())
        Fill(dc, {std::max(W, I.left), std::max(H, I.top), I.right, I.bottom}, m_TextBkColour);
    if (V.right < C.right) Fill(dc, {V.right, C.top, C.right, C.bottom}, m_BkColour);
    if (V.bottom < C.bottom && C.left < V.right)
        Fill(dc, {C.left, V.bottom, V.right, C.bottom}, m_BkColour);

    const int fr = GetFixedRowCount();
    const int fc = GetFixedColumnCount();
    const CellId T = vis.GetTopLeft();
    const int R = vis.maxRow;
    const int K = vis.maxCol;

    // The corner, with no clip test.
    int top = 0;
    for (int r = 0; r < fr; ++r) {
        const int bottom = top + GetRowHeight(r) - 1;
        int left = 0;
        for (int c = 0; c < fc; ++c) {
            const int right = left + GetColumnWidth(c) - 1;
            DrawFixedCell(dc, r, c, {left, top, right, bottom}, false);
            left = right + 1;
        }
        top = bottom + 1;
    }
    // A band of cells: rows from rowTop, columns from colLeft, with the clip tests.
    auto band = [&](int firstRow, int lastRow, int rowTop, int firstCol, int lastCol, int colLeft,
                    bool fixed) {
        int y = rowTop;
        for (int r = firstRow; r <= lastRow; ++r) {
            const int bottom = y + GetRowHeight(r) - 1;
            if (y > C.bottom) break;
            if (bottom < C.top) {
                y = bottom + 1;
                continue;
            }
            int x = colLeft;
            for (int c = firstCol; c <= lastCol; ++c) {
                const int right = x + GetColumnWidth(c) - 1;
                if (x > C.right) break;
                if (right >= C.left) {
                    if (fixed)
                        DrawFixedCell(dc, r, c, {x, y, right, bottom}, false);
                    else
                        DrawCell(dc, r, c, {x, y, right, bottom}, false);
                }
                x = right + 1;
            }
            y = bottom + 1;
        }
    };
    band(T.row, R, H, 0, fc - 1, 0, true); // the fixed columns of the shown rows
    band(0, fr - 1, 0, T.col, K, W, true); // the fixed rows over the shown columns
    band(T.row, R, H, T.col, K, W, false); // the cells

    dc.save();
    dc.setPen(QPen(ToQColor(m_GridColour), 0));
    const int lines = GetGridLines();
    if (lines == 3 || lines == 2) {
        int x = W;
        for (int c = T.col; c <= K; ++c) {
            x += GetColumnWidth(c);
            Line(dc, x - 1, H, x - 1, V.bottom);
        }
    }
    if (lines == 3 || lines == 1) {
        int y = H;
        for (int r = T.row; r <= R; ++r) {
            y += GetRowHeight(r);
            Line(dc, W, y - 1, V.right, y - 1);
        }
    }
    dc.restore();
}

bool CGridCtrl::DrawFixedCell(QPainter& dc, int row, int col, GridRect rect, bool) {
    if (!IsRedrawAllowed()) return false;
    GridItem item;
    item.row = row;
    item.col = col;
    item.mask = GIM_TEXT | GIM_IMAGE | GIM_FORMAT | GIM_BKCOLOUR | GIM_FGCOLOUR;
    if (!GetItem(&item)) return false;
    // The cell's rectangle names its last pixel; fills run one short of it,
    // as the system's do.
    if (!m_Printing) Fill(dc, rect, item.bkColour == CLR_DEFAULT ? m_FixedBkColour : item.bkColour);
    const QColor text = ToQColor(item.fgColour == CLR_DEFAULT ? m_FixedTextColour : item.fgColour);
    dc.save();
    dc.setFont(ToQFont(GetItemFont(row, col)));
    const CellId focus = GetFocusCell();
    if (IsValid(focus) && (focus.row == row || focus.col == col)) {
        // Pressed: a sunken inner edge.
        const GridRect e{rect.left, rect.top, rect.right + 1, rect.bottom + 1};
        dc.setPen(QPen(SysColour(QPalette::Shadow), 0));
        Line(dc, e.left, e.bottom - 1, e.left, e.top);
        Line(dc, e.left, e.top, e.right, e.top);
        dc.setPen(QPen(SysColour(QPalette::Midlight), 0));
        Line(dc, e.right - 1, e.top, e.right - 1, e.bottom);
        Line(dc, e.left, e.bottom - 1, e.right, e.bottom - 1);
        rect = Deflated(e, 1);
    } else {
        // Raised: light top and left, dark right and bottom.
        dc.setPen(QPen(SysColour(QPalette::Light), 0));
        Line(dc, rect.right, rect.top, rect.left, rect.top);
        Line(dc, rect.left, rect.top, rect.left, rect.bottom);
        dc.setPen(QPen(SysColour(QPalette::Shadow), 0));
        Line(dc, rect.right, rect.top, rect.right, rect.bottom);
        Line(dc, rect.right, rect.bottom, rect.left, rect.bottom);
        rect = Deflated(rect, 1);
    }
    dc.setPen(text);
    rect.left += GetMargin();
    rect.right -= GetMargin();
    DrawGridText(dc, rect, item.format, QString::fromStdString(item.text));
    dc.restore();
    return true;
}

bool CGridCtrl::DrawCell(QPainter& dc, int row, int col, GridRect rect, bool) {
    if (!IsRedrawAllowed()) return false;
    GridItem item;
    item.row = row;
    item.col = col;
    item.mask = GIM_TEXT | GIM_IMAGE | GIM_STATE | GIM_FORMAT | GIM_BKCOLOUR | GIM_FGCOLOUR;
    if (!GetItem(&item)) return false;
    const COLORREF bk = item.bkColour == CLR_DEFAULT ? m_TextBkColour : item.bkColour;
    const COLORREF fg = item.fgColour == CLR_DEFAULT ? m_TextColour : item.fgColour;
    dc.save();
    const GridRect wide{rect.left, rect.top, rect.right + 1, rect.bottom + 1};
    QColor text = ToQColor(fg);
    if (!m_Printing && (item.state & CELLSTATE_FOCUSED)) {
        Fill(dc, wide, bk);
        Frame(dc, rect, Qt::black);
        rect = Deflated(rect, 1);
    } else if (!m_Printing && (item.state & CELLSTATE_SELECTED)) {
        dc.fillRect(Area(wide), SysColour(QPalette::Highlight));
        text = SysColour(QPalette::HighlightedText);
    } else {
        Fill(dc, wide, bk);
    }
    if (!m_Printing && (item.state & CELLSTATE_DROPTARGET)) Frame(dc, rect, Qt::black);
    dc.setFont(ToQFont(GetItemFont(row, col)));
    dc.setPen(text);
    rect.left += GetMargin();
    rect.right -= GetMargin();
    DrawGridText(dc, rect, item.format, QString::fromStdString(item.text));
    dc.restore();
    return true;
}

// ---------------------------------------------------------------------------
// Text files
// ---------------------------------------------------------------------------

namespace {

// A text file that could not be opened: said, and false. Other failures
// on the way are false without a word.
bool FileDone(GridFileResult result, const QString& path, bool writing) {
    if (result == GridFileResult::Ok) return true;
    if (result != GridFileResult::OpenFailed) return false;
    const bool cn = g_LanguageFlag.load() != 0;
    const QString text = writing ? (cn ? QStringLiteral("无法写入文件 %1。")
                                       : QStringLiteral("The file %1 cannot be written."))
                                 : (cn ? QStringLiteral("无法打开文件 %1。")
                                       : QStringLiteral("The file %1 cannot be opened."));
    ShowMessageBox(nullptr, text.arg(path).toStdString(), g_ProductTitle, MB_OK, cn ? 1 : 0,
                   cn ? -4 : -5);
    return false;
}

} // namespace

bool CGridCtrl::Save(const QString& path) {
    return FileDone(WriteTextFile(path.toStdString()), path, true);
}

bool CGridCtrl::Load(const QString& path) {
    return FileDone(ReadTextFile(path.toStdString()), path, false);
}

// ---------------------------------------------------------------------------
// The choice-list grid
// ---------------------------------------------------------------------------

CComboGridCtrl::CComboGridCtrl(QWidget* parent) : CGridCtrl(parent) {}

void CComboGridCtrl::SetColumnChoices(int col, const std::vector<std::string>& choices) {
    if (col < GetFixedColumnCount()) return;
    m_Choices.Add(col, choices);
}

bool CComboGridCtrl::SetItemTextFromChoice(int row, int col, int index) {
    const std::vector<std::string>* list = m_Choices.Choices(col);
    if (!list || index < 0 || index >= static_cast<int>(list->size())) return false;
    return CGridCtrl::SetItemText(row, col, (*list)[static_cast<size_t>(index)]);
}

bool CComboGridCtrl::SetItemText(int row, int col, const std::string& text) {
    if (row < GetFixedRowCount() || m_Choices.Accepts(col, text))
        return CGridCtrl::SetItemText(row, col, text);
    return false;
}

bool CComboGridCtrl::SetItem(const GridItem* item) {
    if (!item || !GetCell(item->row, item->col)) return false;
    // A refused text refuses the whole item.
    if ((item->mask & GIM_TEXT) && item->row >= GetFixedRowCount() &&
        !m_Choices.Accepts(item->col, item->text))
        return false;
    return CGridCtrl::SetItem(item);
}

QWidget* CComboGridCtrl::CreateInPlaceEditControl(const GridRect& rect, uint32_t style, int id,
                                                  int row, int col, const std::string& text,
                                                  int ch) {
    if (const std::vector<std::string>* list = m_Choices.Choices(col))
        return new CInPlaceList(viewport(), rect, m_ListStyle, id, row, col, *list, text, ch);
    return CGridCtrl::CreateInPlaceEditControl(rect, style, id, row, col, text, ch);
}
