#include "controls/ListCtrl.h"

#include <QEvent>
#include <QHeaderView>
#include <QPalette>

namespace {

constexpr int kFormatRole = Qt::UserRole;

Qt::Alignment AlignmentOfFormat(int format) {
    // The centre flag wins over the right one, as the header reads them.
    if (format & LVCFMT_CENTER) return Qt::AlignHCenter | Qt::AlignVCenter;
    if (format & LVCFMT_RIGHT) return Qt::AlignRight | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

} // namespace

CListCtrl::CListCtrl(QWidget* parent) : QTableWidget(parent) {
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    UpdateItemHeight();
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setStretchLastSection(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setShowGrid(false);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    bkColour_ = palette().color(QPalette::Base);
    textBkColour_ = bkColour_;
    textColour_ = palette().color(QPalette::Text);
}

int CListCtrl::InsertColumn(int column, const QString& heading, int format, int width, int) {
    if (column < 0) return -1;
    if (column > columnCount()) column = columnCount();
    insertColumn(column);
    auto* item = new QTableWidgetItem(heading);
    item->setData(kFormatRole, format);
    item->setTextAlignment(AlignmentOfFormat(format));
    setHorizontalHeaderItem(column, item);
    if (width >= 0) setColumnWidth(column, width);
    return column;
}

bool CListCtrl::DeleteColumn(int column) {
    if (column < 0 || column >= columnCount()) return false;
    removeColumn(column);
    return true;
}

int CListCtrl::GetColumnCount() const {
    return horizontalHeader()->count();
}

bool CListCtrl::GetColumn(int column, Column& out) const {
    if (column < 0 || column >= columnCount()) return false;
    const QTableWidgetItem* item = horizontalHeaderItem(column);
    out.width = columnWidth(column);
    out.format = item ? item->data(kFormatRole).toInt() : LVCFMT_LEFT;
    out.text = item ? item->text() : QString();
    return true;
}

int CListCtrl::GetColumnWidth(int column) const {
    return column >= 0 && column < columnCount() ? columnWidth(column) : 0;
}

Qt::Alignment CListCtrl::ColumnAlignment(int column) const {
    Column c;
    return GetColumn(column, c) ? AlignmentOfFormat(c.format) : AlignmentOfFormat(LVCFMT_LEFT);
}

QTableWidgetItem* CListCtrl::Cell(int row, int column) {
    QTableWidgetItem* cell = item(row, column);
    if (!cell) {
        cell = new QTableWidgetItem();
        cell->setTextAlignment(ColumnAlignment(column));
        setItem(row, column, cell);
    }
    return cell;
}

int CListCtrl::InsertItem(int row, const QString& text) {
    if (row < 0 || columnCount() == 0) return -1;
    if (row > rowCount()) row = rowCount();
    insertRow(row);
    Cell(row, 0)->setText(text);
    return row;
}

bool CListCtrl::SetItemText(int row, int column, const QString& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return false;
    Cell(row, column)->setText(text);
    return true;
}

QString CListCtrl::GetItemText(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text() : QString();
}

bool CListCtrl::DeleteItem(int row) {
    if (row < 0 || row >= rowCount()) return false;
    removeRow(row);
    return true;
}

bool CListCtrl::DeleteAllItems() {
    setRowCount(0);
    return true;
}

void CListCtrl::SetExtendedStyle(unsigned style) {
    extendedStyle_ = style;
    setShowGrid((style & LVS_EX_GRIDLINES) != 0);
}

void CListCtrl::SetBkColor(const QColor& colour) {
    bkColour_ = colour;
    QPalette pal = palette();
    pal.setColor(QPalette::Base, colour);
    setPalette(pal);
}

void CListCtrl::SetTextColor(const QColor& colour) {
    textColour_ = colour;
    QPalette pal = palette();
    pal.setColor(QPalette::Text, colour);
    setPalette(pal);
}

QRect CListCtrl::GetSubItemRect(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return {};
    return visualRect(model()->index(row, column));
}

QHeaderView* CListCtrl::GetHeaderCtrl() const {
    return horizontalHeader();
}

int CListCtrl::ItemHeight() const {
    return fontMetrics().height() + 4;
}

void CListCtrl::UpdateItemHeight() {
    verticalHeader()->setDefaultSectionSize(ItemHeight());
}

void CListCtrl::changeEvent(QEvent* event) {
    QTableWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) UpdateItemHeight();
}
