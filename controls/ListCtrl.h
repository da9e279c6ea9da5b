// A report-style list: rows of items, each with a text per column, under a
// header with one heading per column. The program's lists (the parameter
// report, the coloured lists) and the list printer use this interface;
// columns carry the list control's format flags, which the header reports as
// its own (left 0, right 1, centre 2).
#pragma once

#include <QColor>
#include <QString>
#include <QTableWidget>

class QHeaderView;

// Column formats (also the header items' alignment flags).
constexpr int LVCFMT_LEFT = 0;
constexpr int LVCFMT_RIGHT = 1;
constexpr int LVCFMT_CENTER = 2;
constexpr int HDF_LEFT = 0;
constexpr int HDF_RIGHT = 1;
constexpr int HDF_CENTER = 2;

// Extended styles.
constexpr unsigned LVS_EX_GRIDLINES = 0x1;
constexpr unsigned LVS_EX_FULLROWSELECT = 0x20;

class CListCtrl : public QTableWidget {
public:
    // A header item as the list printer reads it.
    struct Column {
        int width = 0;
        int format = LVCFMT_LEFT;
        QString text;
    };

    explicit CListCtrl(QWidget* parent = nullptr);

    // Inserts a column before `column` (the sub-item is not used); the new
    // column's index, or -1. A width below 0 keeps the header's default.
    int InsertColumn(int column, const QString& heading, int format = LVCFMT_LEFT, int width = -1,
                     int subItem = -1);
    bool DeleteColumn(int column);
    // The header's item count.
    int GetColumnCount() const;
    // False for a column that does not exist.
    bool GetColumn(int column, Column& out) const;
    int GetColumnWidth(int column) const;

    // Inserts a row with the text of its first column; its index, or -1.
    int InsertItem(int row, const QString& text);
    bool SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    int GetItemCount() const { return rowCount(); }
    bool DeleteItem(int row);
    bool DeleteAllItems();

    void SetExtendedStyle(unsigned style);
    unsigned GetExtendedStyle() const { return extendedStyle_; }
    void SetBkColor(const QColor& colour);
    QColor GetBkColor() const { return bkColour_; }
    void SetTextBkColor(const QColor& colour) { textBkColour_ = colour; }
    QColor GetTextBkColor() const { return textBkColour_; }
    void SetTextColor(const QColor& colour);
    QColor GetTextColor() const { return textColour_; }

    // The rectangle of a cell in the viewport's coordinates (empty outside).
    QRect GetSubItemRect(int row, int column) const;
    QHeaderView* GetHeaderCtrl() const;

protected:
    // The alignment of a column's texts.
    Qt::Alignment ColumnAlignment(int column) const;
    // The height of every row: the font's and a little air, as a report
    // list measures its items.
    virtual int ItemHeight() const;
    void UpdateItemHeight();
    void changeEvent(QEvent* event) override;

private:
    QTableWidgetItem* Cell(int row, int column);

    unsigned extendedStyle_ = 0;
    QColor bkColour_;
    QColor textBkColour_;
    QColor textColour_;
};
