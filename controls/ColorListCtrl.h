// A report-style list with a text and a background colour per cell. Every
// colour set is kept as a record; the last record of a cell counts. Column
// widths cannot be dragged.
#pragma once

#include "controls/ListCtrl.h"

#include <vector>

class CColorListCtrl : public CListCtrl {
public:
    struct CellColour {
        int item = -1;
        int subItem = -1;
        QColor text;
        QColor background;
    };

    explicit CColorListCtrl(QWidget* parent = nullptr);

    // Appends a record and repaints at once.
    void SetItemColor(int item, int subItem, const QColor& text, const QColor& background);
    // A record for every column of the header.
    void SetRowColor(int item, const QColor& text, const QColor& background);
    void ClearColors();
    bool DeleteAllItems();
    // Drops the records of the deleted row; the rows below move up and take
    // their colours with them.
    bool DeleteItem(int item);

    // The colours a cell is drawn with: the system's window colours, or the
    // last record of the cell.
    CellColour ColoursOf(int item, int subItem) const;
    const std::vector<CellColour>& Records() const { return colours_; }

private:
    std::vector<CellColour> colours_;
};
