// Prints the rows of a report list as a ruled table: a header text and a
// page number at the top of every page, a row of column headings, the rows
// in a grid of thin lines, and a footer text at the bottom. Column widths
// follow the list's, scaled to fill the printable width; alignment follows
// the columns' formats.
//
// Set the list and the texts, then DoPrint. Every job reads the columns
// afresh, so one printer object may print again after the list changed.
#pragma once

#include "controls/PrinterJob.h"

#include <QFont>
#include <QSize>
#include <QString>

#include <vector>

class CListCtrl;

class CListCtrlPrint : public CPrinterJob {
public:
    CListCtrlPrint();
    ~CListCtrlPrint() override;

    void OnPrint(CPrintDC& dc, CPrintInfo& info) override;
    void OnEndPrinting(CPrintDC& dc, CPrintInfo& info) override;
    void OnBeginPrinting(CPrintDC& dc, CPrintInfo& info) override;
    // Reads the list's columns; no list, no items, no columns or no width
    // to share out ends the job before the print dialog.
    bool OnPreparePrinting(CPrintInfo& info, bool skipDialog) override;

    // Each moves the rectangle's top (bottom for the footer) past what it
    // prints and returns the size it takes.
    QSize PrintHeader(CPrintDC& dc, PrintRect& rect, int page, int pages, bool measureOnly);
    QSize PrintColumnHeadings(CPrintDC& dc, PrintRect& rect, bool measureOnly);
    QSize PrintFooter(CPrintDC& dc, PrintRect& rect, bool measureOnly);
    // Shrinks the rectangle by the margins (millimetres, in device units).
    void ApplyMargins(CPrintDC& dc, PrintRect& rect) const;

    // The layout of the last job: rows on a page, the table row's height,
    // the columns' edges in device units and the area left for the rows.
    int RowsPerPage() const { return m_nRowsPerPage; }
    int RowHeight() const { return m_szFtBody.height(); }
    const std::vector<int>& ColumnEdges() const { return m_pColumnEdges; }
    PrintRect TableArea() const { return m_TableArea; }

    int m_nMarginLeft = 10, m_nMarginTop = 10, m_nMarginRight = 10, m_nMarginBottom = 10;
    CListCtrl* m_pList = nullptr; // not owned
    QString m_strHeader;
    QString m_strFooter;
    QString m_strPageFormat; // e.g. "Page %d of %d": the page and the page count
    QString m_strFtHead = QStringLiteral("Arial");
    QString m_strFtFoot = QStringLiteral("Times New Roman");
    QString m_strFtBody = QStringLiteral("Arial");
    int m_nFtHead = 12, m_nFtFoot = 6, m_nFtBody = 8; // points

private:
    // Draws (or only measures) text in a box, DrawText's way: the box's
    // left, top and width hold, the returned rectangle's width and height
    // are those of the text.
    QRect Text(CPrintDC& dc, const QFont& font, const QRect& box, int flags, const QString& text,
               bool measureOnly) const;
    PrintRect CellRect(int x, int y, int column) const;
    void Line(CPrintDC& dc, int x1, int y1, int x2, int y2) const;

    QFont m_ftHead, m_ftFoot, m_ftBody;
    QSize m_szFtHead, m_szFtFoot, m_szFtBody;
    std::vector<int> m_pColumnEdges;   // column count + 1 running edges
    std::vector<int> m_pColumnFormats; // header formats
    std::vector<QString> m_pColumnHeadings;
    int m_nRowsPerPage = 1;
    int m_nColumns = 0;
    int m_nItems = 0;
    QSize m_szFooter;
    PrintRect m_TableArea;
};
