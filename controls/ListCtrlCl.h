// The coloured report list and its gradient header. The list draws every
// cell itself: a background and a text colour per column, per row or per
// cell (the first entry found for a cell wins; a cell's entry beats its
// column's), a forced row height, headings on a grey gradient; its column
// widths cannot be dragged and several navigation keys do nothing. Texts use
// the shared 16-pixel Arial fonts by language.
#pragma once

#include "controls/ListCtrl.h"

#include <QHeaderView>
#include <QStringList>

#include <list>

// A colour of a column (row unused) or of a cell.
struct ColourEntry {
    int row = -1;
    int column = -1;
    QColor colour;
};

class CHeaderCtrlCl : public QHeaderView {
public:
    explicit CHeaderCtrlCl(QWidget* parent = nullptr);

    // The texts drawn for the columns, in the order they were inserted, and
    // one alignment character per column ('0' left, '1' centre, '2' right).
    QStringList m_Headings;
    QString m_Alignment;
    // The gradient's top line and what each line below takes off each part.
    int m_R = 180, m_G = 179, m_B = 179;
    int m_Gradient = 3;
    float m_HeightFactor = 1.0f;
    int m_FontHeight = 15, m_FontWidth = 0; // kept, not used for painting
    QColor m_TextColor = QColor(0, 0, 0);

    // The height a header laid out `height` high takes with the factor
    // (truncated towards zero).
    static int ScaledHeight(int height, float factor);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // One-pixel lines from `top` to `bottom` inclusive over [left, right),
    // starting at the top colour and darker by the step on every line.
    void FillGradient(QPainter& painter, int left, int top, int bottom, int right) const;
};

class CListCtrlCl : public CListCtrl {
public:
    explicit CListCtrlCl(QWidget* parent = nullptr);
    ~CListCtrlCl() override;

    // Records the heading and its alignment in the header (columns must be
    // inserted left to right), then inserts the column.
    int InsertColumn(int column, const QString& heading, int format = LVCFMT_LEFT, int width = -1,
                     int subItem = -1);
    // Drops the recorded headings (the alignment characters stay).
    bool ClearHeadingTexts();

    // The item height in pixels; 0 or less leaves the list's own.
    void SetRowHeight(int height);
    int RowHeight() const { return rowHeight_; }
    bool SetTextColor(const QColor& colour);
    QColor GetTextColor() const { return textColour_; }
    void SetFontHW(int height, int width);
    int FontHeight() const { return fontHeight_; }
    int FontWidth() const { return fontWidth_; }
    void SetHeaderFontHW(int height, int width);
    void SetHeaderBkColor(int red, int green, int blue, int step);
    void SetHeaderTextColor(const QColor& colour);
    void SetHeaderHeight(float factor);

    void SetColumnBkColor(int column, const QColor& colour);
    void SetColumnTextColor(int column, const QColor& colour);
    // One cell entry per column of the header.
    void SetRowBkColor(int row, const QColor& colour);
    void SetRowTextColor(int row, const QColor& colour);
    // The cell's entry takes the colour (appended when it has none).
    void SetItemBkColor(int column, int row, const QColor& colour);
    void SetItemTextColor(int column, int row, const QColor& colour);

    bool FindColumnBkColor(int column, QColor& colour) const;
    bool FindColumnTextColor(int column, QColor& colour) const;
    bool FindItemBkColor(int column, int row, QColor& colour) const;
    bool FindItemTextColor(int column, int row, QColor& colour) const;

    CHeaderCtrlCl& Header() const { return *header_; }
    // Draws one cell as the list does (the delegate's work).
    void DrawCell(QPainter& painter, const QRect& labelRect, int row, int column,
                  bool selected) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    int ItemHeight() const override;

private:
    CHeaderCtrlCl* header_;
    int rowHeight_ = 0;
    std::list<ColourEntry> columnBk_;
    std::list<ColourEntry> itemBk_;
    std::list<ColourEntry> columnText_;
    std::list<ColourEntry> itemText_;
    QColor textColour_ = QColor(0, 0, 0);
    int fontHeight_ = 12;
    int fontWidth_ = 0;
};
