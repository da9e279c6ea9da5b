#include "controls/ColorListCtrl.h"

#include <QApplication>
#include <QHeaderView>
#include <QPalette>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

class ColourDelegate : public QStyledItemDelegate {
public:
    explicit ColourDelegate(CColorListCtrl* list) : QStyledItemDelegate(list), list_(list) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const CColorListCtrl::CellColour c = list_->ColoursOf(index.row(), index.column());
        option->palette.setColor(QPalette::Text, c.text);
        option->backgroundBrush = c.background;
    }

private:
    CColorListCtrl* list_;
};

} // namespace

CColorListCtrl::CColorListCtrl(QWidget* parent) : CListCtrl(parent) {
    setItemDelegate(new ColourDelegate(this));
    // A divider cannot be dragged.
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
}

void CColorListCtrl::SetItemColor(int item, int subItem, const QColor& text,
                                  const QColor& background) {
    colours_.push_back({item, subItem, text, background});
    viewport()->repaint();
}

void CColorListCtrl::SetRowColor(int item, const QColor& text, const QColor& background) {
    for (int c = 0; c < GetColumnCount(); ++c)
        SetItemColor(item, c, text, background);
}

void CColorListCtrl::ClearColors() {
    colours_.clear();
    viewport()->repaint();
}

bool CColorListCtrl::DeleteAllItems() {
    CListCtrl::DeleteAllItems();
    ClearColors();
    return true;
}

bool CColorListCtrl::DeleteItem(int item) {
    if (!CListCtrl::DeleteItem(item)) return false;
    colours_.erase(std::remove_if(colours_.begin(), colours_.end(),
                                  [item](const CellColour& c) { return c.item == item; }),
                   colours_.end());
    for (CellColour& c : colours_)
        if (c.item > item) --c.item;
    return true;
}

CColorListCtrl::CellColour CColorListCtrl::ColoursOf(int item, int subItem) const {
    const QPalette pal = QApplication::palette();
    CellColour result{item, subItem, pal.color(QPalette::Text), pal.color(QPalette::Base)};
    for (const CellColour& c : colours_) {
        if (c.item == item && c.subItem == subItem) {
            result.text = c.text;
            result.background = c.background;
        }
    }
    return result;
}
