#include "controls/ListCtrlPrint.h"

#include "controls/ListCtrl.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// Tall enough for any text: measuring boxes are open at the bottom.
constexpr int kOpenHeight = 1 << 20;

// Line breaks as the system's text call takes them.
QString Lines(const QString& text) {
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

// The page-number format with its two numbers ("%d" twice, "%%" a percent
// sign); nothing else in it is a conversion.
QString FormatPageNumber(const QString& format, int page, int pages) {
    QString out;
    int next = 0;
    const int numbers[2] = {page, pages};
    for (int i = 0; i < format.size(); ++i) {
        if (format[i] == QLatin1Char('%') && i + 1 < format.size()) {
            const QChar c = format[i + 1];
            if (c == QLatin1Char('%')) {
                out += QLatin1Char('%');
                ++i;
                continue;
            }
            if (c == QLatin1Char('d') && next < 2) {
                out += QString::number(numbers[next++]);
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}

int ColumnAlignment(int format) {
    if (format & HDF_CENTER) return Qt::AlignHCenter;
    if (format & HDF_RIGHT) return Qt::AlignRight;
    return Qt::AlignLeft;
}

QFont PrinterFont(const QString& face, int points) {
    QFont font(face);
    font.setPointSizeF(points);
    return font;
}

QSize SizeOfX(const QFont& font, QPaintDevice* device) {
    const QFontMetrics fm(font, device);
    return {fm.horizontalAdvance(QLatin1Char('X')), fm.height()};
}

// Hundredths of a millimetre to device units at the device's resolution.
int HimetricToDevice(int himetric, int dpi) {
    return static_cast<int>(std::lround(static_cast<double>(himetric) * dpi / 2540.0));
}

} // namespace

CListCtrlPrint::CListCtrlPrint() = default;
CListCtrlPrint::~CListCtrlPrint() = default;

void CListCtrlPrint::ApplyMargins(CPrintDC& dc, PrintRect& rect) const {
    rect.left += HimetricToDevice(m_nMarginLeft * 100, dc.DpiX());
    rect.top += HimetricToDevice(m_nMarginTop * 100, dc.DpiY());
    rect.right -= HimetricToDevice(m_nMarginRight * 100, dc.DpiX());
    rect.bottom -= HimetricToDevice(m_nMarginBottom * 100, dc.DpiY());
}

bool CListCtrlPrint::OnPreparePrinting(CPrintInfo& info, bool skipDialog) {
    info.SetMinPage(1);
    if (!m_pList || m_pList->GetItemCount() == 0) return false;
    const int count = m_pList->GetColumnCount();
    if (count <= 0) return false;
    // Every job reads the columns afresh: the list may have changed since
    // the last one, and the edges are turned into running sums below.
    m_pColumnEdges.assign(static_cast<size_t>(count) + 1, 0);
    m_pColumnFormats.assign(static_cast<size_t>(count), 0);
    m_pColumnHeadings.assign(static_cast<size_t>(count), QString());
    for (int c = 0; c < count; ++c) {
        CListCtrl::Column column;
        if (!m_pList->GetColumn(c, column)) continue;
        const auto i = static_cast<size_t>(c);
        m_pColumnEdges[i + 1] = std::max(0, column.width);
        m_pColumnFormats[i] = column.format;
        m_pColumnHeadings[i] = column.text.left(127);
    }
    // Columns all 0 wide leave no width to share out: nothing to print.
    if (std::accumulate(m_pColumnEdges.begin(), m_pColumnEdges.end(), 0LL) <= 0) return false;
    m_nColumns = count;
    m_nItems = m_pList->GetItemCount();
    return CPrinterJob::OnPreparePrinting(info, skipDialog);
}

void CListCtrlPrint::OnBeginPrinting(CPrintDC& dc, CPrintInfo& info) {
    m_ftHead = PrinterFont(m_strFtHead, m_nFtHead);
    m_ftFoot = PrinterFont(m_strFtFoot, m_nFtFoot);
    m_ftBody = PrinterFont(m_strFtBody, m_nFtBody);
    m_szFtHead = SizeOfX(m_ftHead, dc.Device());
    m_szFtFoot = SizeOfX(m_ftFoot, dc.Device());
    m_szFtBody = SizeOfX(m_ftBody, dc.Device());
    m_szFtHead.rheight() += 4;
    m_szFtBody.rheight() += 4;

    for (int c = 1; c <= m_nColumns; ++c)
        m_pColumnEdges[c] += m_pColumnEdges[c - 1];

    PrintRect rect = info.m_rectDraw;
    ApplyMargins(dc, rect);
    const double scale = static_cast<double>(rect.Width()) / m_pColumnEdges[m_nColumns];
    for (int& edge : m_pColumnEdges)
        edge = static_cast<int>(edge * scale);

    PrintColumnHeadings(dc, rect, true);
    PrintHeader(dc, rect, 0, 0, true);
    const QSize footer = PrintFooter(dc, rect, true);
    m_szFooter = QSize(footer.width(), footer.height() + 2);
    m_TableArea = rect;

    // At least one row on a page, however small the page.
    m_nRowsPerPage = std::max(1, rect.Height() / (RowHeight() + 1) - 1);
    info.SetMaxPage(m_nItems / m_nRowsPerPage + 1);
}

void CListCtrlPrint::OnEndPrinting(CPrintDC&, CPrintInfo&) {}

QRect CListCtrlPrint::Text(CPrintDC& dc, const QFont& font, const QRect& box, int flags,
                           const QString& text, bool measureOnly) const {
    const QString lines = Lines(text);
    const QRect bounds =
        QFontMetrics(font, dc.Device())
            .boundingRect(QRect(box.left(), box.top(), box.width(), kOpenHeight), flags, lines);
    if (!measureOnly) {
        QPainter* painter = dc.Painter();
        painter->setFont(font);
        painter->drawText(box, flags, lines);
    }
    return {box.left(), box.top(), bounds.width(), bounds.height()};
}

PrintRect CListCtrlPrint::CellRect(int x, int y, int column) const {
    const auto c = static_cast<size_t>(column);
    return {x + m_pColumnEdges[c], y, x + m_pColumnEdges[c + 1], y + RowHeight()};
}

void CListCtrlPrint::Line(CPrintDC& dc, int x1, int y1, int x2, int y2) const {
    dc.Painter()->drawLine(x1, y1, x2, y2);
}

QSize CListCtrlPrint::PrintHeader(CPrintDC& dc, PrintRect& rect, int page, int pages,
                                  bool measureOnly) {
    QSize size(0, 0);
    if (!m_strPageFormat.isEmpty()) {
        const QString text = FormatPageNumber(m_strPageFormat, page, pages);
        const int flags = Qt::AlignRight | Qt::AlignTop | Qt::TextWordWrap;
        const QRect measured = Text(
            dc, m_ftHead, QRect(rect.left, rect.top, rect.Width(), kOpenHeight), flags, text, true);
        // The box at the right edge, as wide as the text.
        if (!measureOnly)
            Text(dc, m_ftHead, QRect(rect.left, rect.top, rect.Width(), measured.height()), flags,
                 text, false);
        size = measured.size();
    }
    if (!m_strHeader.isEmpty()) {
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
        const int width = std::max(0, rect.Width() - size.width());
        const QRect measured = Text(dc, m_ftHead, QRect(rect.left, rect.top, width, kOpenHeight),
                                    flags, m_strHeader, true);
        if (!measureOnly)
            Text(dc, m_ftHead, QRect(rect.left, rect.top, width, measured.height()), flags,
                 m_strHeader, false);
        size.setHeight(std::max(size.height(), measured.height()));
    }
    rect.top += size.height();
    return size;
}

QSize CListCtrlPrint::PrintColumnHeadings(CPrintDC& dc, PrintRect& rect, bool measureOnly) {
    if (!measureOnly) {
        QPainter* painter = dc.Painter();
        painter->setFont(m_ftBody);
        const int top = rect.top, bottom = rect.top + RowHeight();
        Line(dc, rect.left, top, rect.right, top);
        Line(dc, rect.right, top, rect.right, bottom);
        Line(dc, rect.right, bottom, rect.left, bottom);
        Line(dc, rect.left, bottom, rect.left, top);
        painter->setBrush(Qt::white);
        for (int c = 0; c < m_nColumns; ++c) {
            const PrintRect cell = CellRect(rect.left, rect.top, c);
            painter->drawRect(QRect(cell.left, cell.top, cell.Width() - 1, cell.Height() - 1));
            Text(dc, m_ftBody, cell.ToQRect(),
                 ColumnAlignment(m_pColumnFormats[static_cast<size_t>(c)]) | Qt::AlignVCenter,
                 m_pColumnHeadings[static_cast<size_t>(c)], false);
            Line(dc, cell.left, cell.bottom, cell.left, cell.top);
            Line(dc, cell.left, cell.top, cell.right, cell.top);
        }
        painter->setBrush(Qt::NoBrush);
    }
    rect.top += RowHeight();
    return {0, RowHeight()};
}

QSize CListCtrlPrint::PrintFooter(CPrintDC& dc, PrintRect& rect, bool measureOnly) {
    int height = 0;
    if (!m_strFooter.isEmpty()) {
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
        const QRect measured =
            Text(dc, m_ftFoot, QRect(rect.left, rect.top, rect.Width(), kOpenHeight), flags,
                 m_strFooter, true);
        if (!measureOnly)
            Text(dc, m_ftFoot, QRect(rect.left, rect.top, rect.Width(), measured.height()), flags,
                 m_strFooter, false);
        height = measured.height();
    }
    rect.bottom -= height;
    return {0, height};
}

void CListCtrlPrint::OnPrint(CPrintDC& dc, CPrintInfo& info) {
    QPainter* painter = dc.Painter();
    PrintRect rect = info.m_rectDraw;
    ApplyMargins(dc, rect);
    const Qt::BGMode oldMode = painter->backgroundMode();
    painter->setBackgroundMode(Qt::TransparentMode);
    painter->setPen(QPen(Qt::black, 0));

    PrintHeader(dc, rect, info.m_nCurPage, info.GetMaxPage(), false);
    PrintColumnHeadings(dc, rect, false);

    const int first = (info.m_nCurPage - 1) * m_nRowsPerPage;
    const int last = info.m_nCurPage * m_nRowsPerPage;
    int y = rect.top;
    const int x = rect.left;
    for (int row = first; row < last; ++row) {
        PrintRect cell;
        for (int c = 0; c < m_nColumns; ++c) {
            cell = CellRect(x, y, c);
            // Rows past the last item are printed as empty ruled rows.
            if (row < m_nItems)
                Text(dc, m_ftBody, cell.ToQRect(),
                     ColumnAlignment(m_pColumnFormats[static_cast<size_t>(c)]) | Qt::AlignVCenter,
                     m_pList->GetItemText(row, c), false);
            Line(dc, cell.left, cell.bottom, cell.left, cell.top);
            Line(dc, cell.left, cell.top, cell.right, cell.top);
        }
        Line(dc, cell.right, cell.top, cell.right, cell.bottom);
        y += RowHeight() + 1;
    }
    Line(dc, rect.left, y, rect.right, y);

    PrintRect footer = info.m_rectDraw;
    ApplyMargins(dc, footer);
    footer.top = footer.bottom - m_szFooter.height();
    PrintFooter(dc, footer, false);
    painter->setBackgroundMode(oldMode);
}
