// Tab controls in the program's own look. CBaseTabCtrl lays out a row of
// tabs at the top over a display area, fills the background around the tabs
// and shows the hand cursor over a tab that can be clicked; the look of the
// tabs and borders comes from its virtual drawing operations. CEnTabCtrl
// supplies that look: coloured or gradient faces, highlight and shadow
// borders, chosen by look flags shared by the whole class. The main view uses
// one without tabs as the frame of its pages.
#pragma once

#include "platform/Message.h"

#include <QColor>
#include <QFont>
#include <QStringList>
#include <QWidget>

class QPainter;

class CBaseTabCtrl : public platform::MessageTarget<QWidget> {
public:
    // 0: the control paints itself; 1: tabs through DrawItem; 2: everything
    // through the drawing operations.
    explicit CBaseTabCtrl(int drawMode = 0, QWidget* parent = nullptr);

    // An invalid colour stands for the system's button face.
    void SetBkgndColor(QColor color);
    QColor BkgndColor() const; // the colour in use
    // Modes 0..2; any other value changes nothing.
    void EnableDraw(int mode);
    int GetDrawMode() const { return drawMode_; }

    int InsertItem(int index, const QString& text);
    int GetItemCount() const { return static_cast<int>(tabs_.size()); }
    int GetCurSel() const { return current_; }
    int SetCurSel(int index);
    // Tab rectangles and the display area under the tabs, in the control.
    QRect GetItemRect(int index) const;
    QRect DisplayRect() const;
    static constexpr int kTabHeight = 20;

    // The record the drawing operations receive.
    struct DrawItemStruct {
        QPainter* painter;
        int itemId;
        bool selected;
        QRect rect;
    };

protected:
    virtual void DrawItem(DrawItemStruct& item) = 0;
    virtual void DrawMainBorder(DrawItemStruct& item) = 0;
    virtual void DrawItemBorder(DrawItemStruct& item) = 0;
    virtual QColor GetTabColor(bool selected) const;
    virtual QColor GetTabTextColor(bool selected) const;
    // The font the tabs are measured and drawn with.
    virtual QFont TabFont() const { return font(); }
    // Whether DrawItem draws the tabs outside mode 2.
    virtual bool OwnerDrawsTabs() const { return drawMode_ != 0; }
    QString ItemText(int index) const { return tabs_.value(index); }

    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void PaintBackground(QPainter& p);

    QColor background_; // invalid: the system's button face
    int drawMode_ = 0;
    QStringList tabs_;
    int current_ = -1;
};

class CEnTabCtrl : public CBaseTabCtrl {
public:
    // Look flags, one set for the whole class.
    enum : int {
        kFlat = 0x1,
        kColour = 0x2,
        kSelectionHighlight = 0x4,
        kGradient = 0x8,
        kBackTabBorders = 0x10,
    };

    explicit CEnTabCtrl(QWidget* parent = nullptr);

    // look flags = flags when enable is non-zero, else 0. Tabs then draw
    // through the drawing operations when any flag is set.
    static void SetLookFlags(int enable, int flags);
    static int LookFlags();

    static QColor Darker(QColor color, float factor);
    static QColor Lighter(QColor color, float factor);

    QColor TabColor(bool selected) const { return GetTabColor(selected); }
    QColor TabTextColor(bool selected) const { return GetTabTextColor(selected); }
    int ItemBeingDrawn() const { return itemDrawn_; }

protected:
    void DrawItem(DrawItemStruct& item) override;
    void DrawMainBorder(DrawItemStruct& item) override;
    void DrawItemBorder(DrawItemStruct& item) override;
    QColor GetTabColor(bool selected) const override;
    QColor GetTabTextColor(bool selected) const override;
    bool OwnerDrawsTabs() const override;
    QFont TabFont() const override { return tabFont_; }

private:
    QFont tabFont_;
    mutable int itemDrawn_ = 3;
};
