// CColorMenu: the skinned popup menu: items 150 pixels wide, the item under
// the pointer on a pale blue face with a dark blue outline.
#pragma once

#include <QMenu>

class CColorMenu : public QMenu {
public:
    static constexpr int kItemWidth = 150;

    explicit CColorMenu(QWidget* parent = nullptr);
};
