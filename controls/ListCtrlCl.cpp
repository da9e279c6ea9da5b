#include "controls/ListCtrlCl.h"

#include "model/Globals.h"
#include "platform/DialogUnits.h"
#include "platform/UiGlobals.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

QFont ListFont() {
    return g_LanguageFlag.load() ? g_FontBold16 : g_FontList16;
}

// The alignment character of a column: '0' left, '1' centre, '2' right.
QChar AlignmentChar(int format) {
    if (format == LVCFMT_LEFT) return QLatin1Char('0');
    if (format == LVCFMT_RIGHT) return QLatin1Char('2');
    return QLatin1Char('1');
}

Qt::Alignment AlignmentOfChar(const QString& alignment, int column) {
    const QChar c = column >= 0 && column < alignment.size() ? alignment[column] : QChar();
    if (c == QLatin1Char('0')) return Qt::AlignLeft;
    if (c == QLatin1Char('2')) return Qt::AlignRight;
    return Qt::AlignHCenter;
}

bool FindCell(const std::list<ColourEntry>& entries, int column, int row, QColor& colour) {
    for (const ColourEntry& e : entries) {
        if (e.column == column && e.row == row) {
            colour = e.colour;
            return true;
        }
    }
    return false;
}

bool FindColumn(const std::list<ColourEntry>& entries, int column, QColor& colour) {
    for (const ColourEntry& e : entries) {
        if (e.column == column) {
            colour = e.colour;
            return true;
        }
    }
    return false;
}

void SetCell(std::list<ColourEntry>& entries, int column, int row, const QColor& colour) {
    for (ColourEntry& e : entries) {
        if (e.column == column && e.row == row) {
            e.colour = colour;
            return;
        }
    }
    entries.push_back({row, column, colour});
}

class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(CListCtrlCl* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        list_->DrawCell(*painter, option.rect, index.row(), index.column(),
                        (option.state & QStyle::State_Selected) != 0);
    }

private:
    CListCtrlCl* list_;
};

} // namespace

// ---------------------------------------------------------------------------
// The header
// ---------------------------------------------------------------------------

CHeaderCtrlCl::CHeaderCtrlCl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    // Column widths are fixed: a divider cannot be dragged.
    setSectionResizeMode(QHeaderView::Fixed);
    setSectionsClickable(false);
    setHighlightSections(false);
}

int CHeaderCtrlCl::ScaledHeight(int height, float factor) {
    return static_cast<int>(static_cast<float>(height) * factor);
}

QSize CHeaderCtrlCl::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    // A header without items keeps the height one item would give it.
    if (count() == 0)
        size.setHeight(fontMetrics().height() +
                       2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this));
    size.setHeight(ScaledHeight(size.height(), m_HeightFactor));
    return size;
}

void CHeaderCtrlCl::FillGradient(QPainter& painter, int left, int top, int bottom,
                                 int right) const {
    int r = m_R, g = m_G, b = m_B;
    for (int y = top; y <= bottom; ++y) {
        if (right > left) painter.fillRect(QRect(left, y, right - left, 1), QColor(r, g, b));
        r = std::max(0, r - m_Gradient);
        g = std::max(0, g - m_Gradient);
        b = std::max(0, b - m_Gradient);
    }
}

void CHeaderCtrlCl::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const QFont font = ListFont();
    const int textHeight = QFontMetrics(font).height();
    const int n = count();
    int lastRight = -1, lastTop = 0, lastBottom = height();
    for (int i = 0; i < n; ++i) {
        if (isSectionHidden(i)) continue;
        // The item's rectangle with an exclusive right and bottom edge.
        const int left = sectionViewportPosition(i);
        const int right = left + sectionSize(i);
        const int top = 0, bottom = height();
        FillGradient(painter, left + 1, top, bottom, right);
        painter.setPen(m_TextColor);
        painter.setFont(font);
        const Qt::Alignment align = AlignmentOfChar(m_Alignment, i);
        int textLeft = left, textRight = right;
        if (align == Qt::AlignLeft) textLeft += 3;
        if (align == Qt::AlignRight) textRight -= 3;
        const int shift = (bottom - top - textHeight) / 2;
        // A column added without InsertColumn has no recorded heading.
        if (i < m_Headings.size())
            painter.drawText(QRect(textLeft, top + shift, textRight - textLeft, bottom - top),
                             static_cast<int>(align | Qt::AlignTop), m_Headings[i]);
        lastRight = std::max(lastRight, right);
        lastTop = top;
        lastBottom = bottom;
    }
    // The filler to the right of the last item; without items it is the whole header.
    const int fillLeft = lastRight < 0 ? 0 : lastRight + 1;
    FillGradient(painter, fillLeft, lastTop, lastBottom, viewport()->width());
}

// ---------------------------------------------------------------------------
// The list
// ---------------------------------------------------------------------------

CListCtrlCl::CListCtrlCl(QWidget* parent) : CListCtrl(parent), header_(new CHeaderCtrlCl(this)) {
    setHorizontalHeader(header_);
    setItemDelegate(new CellDelegate(this));
    setShowGrid(false);
}

CListCtrlCl::~CListCtrlCl() = default;

int CListCtrlCl::InsertColumn(int column, const QString& heading, int format, int width,
                              int subItem) {
    header_->m_Headings.append(heading);
    header_->m_Alignment.append(AlignmentChar(format));
    return CListCtrl::InsertColumn(column, heading, format, width, subItem);
}

bool CListCtrlCl::ClearHeadingTexts() {
    header_->m_Headings.clear();
    header_->viewport()->update();
    return true;
}

void CListCtrlCl::SetRowHeight(int height) {
    rowHeight_ = height;
    // The list asks for the item height again.
    UpdateItemHeight();
}

int CListCtrlCl::ItemHeight() const {
    // 0 or less leaves the list's own height.
    return rowHeight_ > 0 ? rowHeight_ : CListCtrl::ItemHeight();
}

bool CListCtrlCl::SetTextColor(const QColor& colour) {
    textColour_ = colour;
    viewport()->update();
    return true;
}

void CListCtrlCl::SetFontHW(int height, int width) {
    fontHeight_ = height;
    fontWidth_ = width;
}

void CListCtrlCl::SetHeaderFontHW(int height, int width) {
    header_->m_FontHeight = height;
    header_->m_FontWidth = width;
}

void CListCtrlCl::SetHeaderBkColor(int red, int green, int blue, int step) {
    header_->m_R = red;
    header_->m_G = green;
    header_->m_B = blue;
    header_->m_Gradient = step;
    header_->viewport()->update();
}

void CListCtrlCl::SetHeaderTextColor(const QColor& colour) {
    header_->m_TextColor = colour;
    header_->viewport()->update();
}

void CListCtrlCl::SetHeaderHeight(float factor) {
    header_->m_HeightFactor = factor;
    header_->updateGeometry();
    updateGeometries();
}

void CListCtrlCl::SetColumnBkColor(int column, const QColor& colour) {
    columnBk_.push_back({-1, column, colour});
}

void CListCtrlCl::SetColumnTextColor(int column, const QColor& colour) {
    columnText_.push_back({-1, column, colour});
}

void CListCtrlCl::SetRowBkColor(int row, const QColor& colour) {
    for (int c = 0; c < header_->count(); ++c)
        itemBk_.push_back({row, c, colour});
}

void CListCtrlCl::SetRowTextColor(int row, const QColor& colour) {
    for (int c = 0; c < header_->count(); ++c)
        itemText_.push_back({row, c, colour});
}

void CListCtrlCl::SetItemBkColor(int column, int row, const QColor& colour) {
    SetCell(itemBk_, column, row, colour);
}

void CListCtrlCl::SetItemTextColor(int column, int row, const QColor& colour) {
    SetCell(itemText_, column, row, colour);
}

bool CListCtrlCl::FindColumnBkColor(int column, QColor& colour) const {
    return FindColumn(columnBk_, column, colour);
}

bool CListCtrlCl::FindColumnTextColor(int column, QColor& colour) const {
    return FindColumn(columnText_, column, colour);
}

bool CListCtrlCl::FindItemBkColor(int column, int row, QColor& colour) const {
    return FindCell(itemBk_, column, row, colour);
}

bool CListCtrlCl::FindItemTextColor(int column, int row, QColor& colour) const {
    return FindCell(itemText_, column, row, colour);
}

void CListCtrlCl::DrawCell(QPainter& painter, const QRect& labelRect, int row, int column,
                           bool selected) const {
    if (labelRect.isEmpty()) return;
    QRect background = labelRect;
    if (column == 0) background.setLeft(background.left() - 2);
    QColor colour;
    if (selected) {
        painter.fillRect(background, palette().color(QPalette::Highlight));
    } else {
        painter.fillRect(background, GetBkColor());
        if (FindColumnBkColor(column, colour)) painter.fillRect(background, colour);
        if (FindItemBkColor(column, row, colour)) painter.fillRect(background, colour);
    }
    const Qt::Alignment align = AlignmentOfChar(header_->m_Alignment, column);
    // Centred by the height of the system's default dialog font, as the
    // list measures its rows with it.
    const int guiTextHeight =
        QFontMetrics(platform::TemplateQFont(platform::kMsSansSerif8)).height();
    QRect textRect = labelRect;
    textRect.translate(0, (labelRect.height() - guiTextHeight) / 2);
    QColor text = textColour_;
    if (FindColumnTextColor(column, colour)) text = colour;
    if (FindItemTextColor(column, row, colour)) text = colour;
    painter.save();
    painter.setPen(text);
    painter.setFont(ListFont());
    painter.drawText(textRect, static_cast<int>(align | Qt::AlignTop), GetItemText(row, column));
    painter.restore();
}

void CListCtrlCl::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Delete:
        event->accept(); // dropped
        return;
    default:
        CListCtrl::keyPressEvent(event);
    }
}
