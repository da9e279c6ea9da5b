#include "controls/TabCtrl.h"

#include "controls/SkinControl.h"
#include "platform/Fonts.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionTab>
#include <QStylePainter>

#include <algorithm>
#include <cmath>

namespace {
int g_lookFlags = 0;
constexpr int kTabPadding = 6;
constexpr int kMinTabWidth = 40;
} // namespace

CBaseTabCtrl::CBaseTabCtrl(int drawMode, QWidget* parent) : MessageTarget(parent) {
    setMouseTracking(true);
    EnableDraw(drawMode);
}

void CBaseTabCtrl::SetBkgndColor(QColor color) {
    background_ = color;
    update();
}

QColor CBaseTabCtrl::BkgndColor() const {
    return background_.isValid() ? background_ : ctl::kButtonFace;
}

void CBaseTabCtrl::EnableDraw(int mode) {
    if (mode < 0 || mode > 2) return;
    drawMode_ = mode;
    update();
}

int CBaseTabCtrl::InsertItem(int index, const QString& text) {
    index = std::clamp(index, 0, GetItemCount());
    tabs_.insert(index, text);
    if (current_ < 0)
        current_ = 0;
    else if (index <= current_ && GetItemCount() > 1)
        ++current_;
    update();
    return index;
}

int CBaseTabCtrl::SetCurSel(int index) {
    const int previous = current_;
    if (index < 0 || index >= GetItemCount()) return -1;
    current_ = index;
    update();
    return previous;
}

QRect CBaseTabCtrl::GetItemRect(int index) const {
    if (index < 0 || index >= GetItemCount()) return QRect();
    const QFontMetrics fm(TabFont());
    int x = 2;
    for (int i = 0;; ++i) {
        const int w = std::max(kMinTabWidth, fm.horizontalAdvance(tabs_[i]) + 2 * kTabPadding);
        if (i == index) return QRect(x, 2, w, kTabHeight);
        x += w;
    }
}

QRect CBaseTabCtrl::DisplayRect() const {
    const int top = tabs_.isEmpty() ? 4 : 2 + kTabHeight + 2;
    return QRect(2, top, width() - 4, height() - top - 2);
}

QColor CBaseTabCtrl::GetTabColor(bool) const {
    return QColor(255, 0, 0);
}
QColor CBaseTabCtrl::GetTabTextColor(bool) const {
    return ctl::kWindowText;
}

void CBaseTabCtrl::PaintBackground(QPainter& p) {
    p.fillRect(rect(), ctl::kButtonFace);
    // The union of the tabs, in edges (right and bottom one past the last
    // pixel); all 0 without tabs.
    int l = 0, t = 0, r = 0, b = 0;
    for (int i = 0; i < GetItemCount(); ++i) {
        const QRect tab = GetItemRect(i);
        if (i == 0) {
            l = tab.left(), t = tab.top(), r = tab.left() + tab.width(),
            b = tab.top() + tab.height();
        } else {
            l = std::min(l, tab.left()), t = std::min(t, tab.top());
            r = std::max(r, tab.left() + tab.width()), b = std::max(b, tab.top() + tab.height());
        }
    }
    const int h = b - t;
    l -= 2, r += 2, t -= 3, b += 3;
    const QColor bk = BkgndColor();
    auto fill = [&](int x0, int y0, int x1, int y1) {
        if (x1 > x0 && y1 > y0) p.fillRect(QRect(x0, y0, x1 - x0, y1 - y0), bk);
    };
    fill(0, 0, width(), t + 3);           // above the tabs
    fill(0, 0, 2, h + 2);                 // left of the tab row
    fill((r - l) - 2, 0, width(), h + 2); // right of the tabs
}

void CBaseTabCtrl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    PaintBackground(p);
    const QRect display = DisplayRect();
    if (drawMode_ == 2) {
        DrawItemStruct border{&p, 0, false,
                              QRect(0, display.top() - 2, width(), height() - display.top() + 2)};
        DrawMainBorder(border);
        if (tabs_.isEmpty()) return;
        for (int i = GetItemCount() - 1; i >= 0; --i) {
            if (i == current_) continue;
            DrawItemStruct item{&p, i, false, GetItemRect(i).adjusted(0, 0, 0, -2)};
            DrawItem(item);
            DrawItemBorder(item);
        }
        if (current_ >= 0) {
            DrawItemStruct item{&p, current_, true, GetItemRect(current_).adjusted(0, -2, 0, 2)};
            DrawItem(item);
            DrawItemBorder(item);
        }
        return;
    }
    // The plain look of the style; mode 1 draws the tabs through DrawItem.
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = QRect(0, display.top() - 2, width(), height() - display.top() + 2);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &p, this);
    for (int i = 0; i < GetItemCount(); ++i) {
        if (OwnerDrawsTabs()) {
            DrawItemStruct item{&p, i, i == current_, GetItemRect(i)};
            DrawItem(item);
            continue;
        }
        QStyleOptionTab tab;
        tab.initFrom(this);
        tab.rect = GetItemRect(i);
        tab.text = tabs_[i];
        if (i == current_) tab.state |= QStyle::State_Selected;
        style()->drawControl(QStyle::CE_TabBarTab, &tab, &p, this);
    }
}

void CBaseTabCtrl::mouseMoveEvent(QMouseEvent* e) {
    const QPoint at = e->position().toPoint();
    for (int i = GetItemCount() - 1; i >= 0; --i) {
        if (!GetItemRect(i).contains(at)) continue;
        // Tab 3 and the selected tab are not for clicking.
        setCursor(i == current_ || i == 3 ? QCursor(Qt::ArrowCursor) : ctl::HandCursor());
        return;
    }
    setCursor(Qt::ArrowCursor);
    QWidget::mouseMoveEvent(e);
}

void CBaseTabCtrl::mousePressEvent(QMouseEvent* e) {
    const QPoint at = e->position().toPoint();
    for (int i = GetItemCount() - 1; i >= 0; --i)
        if (GetItemRect(i).contains(at)) {
            SetCurSel(i);
            return;
        }
    QWidget::mousePressEvent(e);
}

// ---------------------------------------------------------------------------

CEnTabCtrl::CEnTabCtrl(QWidget* parent)
    : CBaseTabCtrl(0, parent),
      tabFont_(platform::FaceFont(QStringLiteral("Microsoft Verdana"), 20, 400)) {}

// Tabs are drawn here whenever the class has a look.
bool CEnTabCtrl::OwnerDrawsTabs() const {
    return CBaseTabCtrl::OwnerDrawsTabs() || g_lookFlags != 0;
}

void CEnTabCtrl::SetLookFlags(int enable, int flags) {
    g_lookFlags = enable ? flags : 0;
}
int CEnTabCtrl::LookFlags() {
    return g_lookFlags;
}

QColor CEnTabCtrl::Darker(QColor c, float factor) {
    factor = std::clamp(factor, 0.0f, 1.0f);
    auto ch = [factor](int v) { return static_cast<int>(v * factor); };
    return QColor(ch(c.red()), ch(c.green()), ch(c.blue()));
}

QColor CEnTabCtrl::Lighter(QColor c, float factor) {
    if (factor <= 1.0f) factor = 1.0f;
    auto ch = [factor](int v) { return std::min(255, static_cast<int>(v * factor)); };
    return QColor(ch(c.red()), ch(c.green()), ch(c.blue()));
}

QColor CEnTabCtrl::GetTabColor(bool selected) const {
    const int f = g_lookFlags;
    if (selected && (f & kSelectionHighlight))
        return f & kColour ? Lighter(QColor(0, 0, 0), 1.9f) : Lighter(ctl::kButtonFace, 1.4f);
    if (!selected && ((f & kBackTabBorders) || !(f & kFlat))) {
        if (f & kColour)
            return itemDrawn_ == 3 ? QColor(227, 228, 238) : Darker(QColor(127, 168, 222), 0.9f);
        return Darker(ctl::kButtonFace, 0.9f);
    }
    if (!selected) return BkgndColor();
    return ctl::kButtonFace;
}

QColor CEnTabCtrl::GetTabTextColor(bool selected) const {
    return selected ? Darker(QColor(255, 0, 0), 0.9f) : Darker(QColor(255, 255, 255), 0.9f);
}

void CEnTabCtrl::DrawItem(DrawItemStruct& item) {
    itemDrawn_ = item.itemId;
    const bool selected = item.itemId == GetCurSel();
    QRect r = item.rect.adjusted(0, 0, 0, selected ? -1 : 2);
    QPainter& p = *item.painter;
    const QColor c = GetTabColor(selected);
    if (!(LookFlags() & kGradient)) {
        p.fillRect(r, c);
    } else {
        const QColor base = (LookFlags() & kColour) ? BkgndColor() : ctl::kButtonFace;
        const QColor e = selected ? ctl::kButtonFace : Darker(base, 0.7f);
        const int H = r.height();
        for (int n = 0; n < H; n += 2) {
            auto mix = [&](int from, int to) { return from + (n * (to - from)) / H; };
            p.fillRect(
                QRect(r.left(), r.top() + n, r.width(), std::min(2, H - n)),
                QColor(mix(c.red(), e.red()), mix(c.green(), e.green()), mix(c.blue(), e.blue())));
        }
    }
    const QRect text(r.left() + 3, r.top() + (selected ? 4 : 3), r.width() - 6, 20);
    p.setFont(tabFont_);
    p.setPen(GetTabTextColor(selected));
    p.drawText(text, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
               QFontMetrics(tabFont_).elidedText(ItemText(item.itemId).left(99), Qt::ElideRight,
                                                 text.width()));
}

void CEnTabCtrl::DrawItemBorder(DrawItemStruct& item) {
    const bool selected = item.itemId == GetCurSel();
    const QColor t = GetTabColor(selected);
    const QColor light = Lighter(t, 1.5f), shadow = Darker(t, 0.75f);
    QPainter& p = *item.painter;
    const int L = item.rect.left(), T = item.rect.top(), R = item.rect.left() + item.rect.width();
    int B = item.rect.top() + item.rect.height();
    if (!selected && !(LookFlags() & kBackTabBorders)) {
        p.fillRect(QRect(L - 6, T, 6, B - T), shadow);
        p.fillRect(QRect(R - 1, T, 1, B - T), shadow);
        return;
    }
    B += selected ? -1 : 1;
    const int index = item.itemId;
    if (index == 3) return;
    const bool dark = index == 0 || index == 4;
    const QColor edge = dark ? shadow : light;
    p.fillRect(QRect(L, T, index == 9 ? 3 : 4, B - T), edge); // left
    p.fillRect(QRect(L, T, R - L, 1), edge);                  // top
    if (index == 9) return;
    const int rw = dark ? 3 : 4;
    p.fillRect(QRect(R - rw, T, rw, B - T), shadow); // right
}

void CEnTabCtrl::DrawMainBorder(DrawItemStruct& item) {
    const QColor t = GetTabColor(false);
    const QColor light = Lighter(t, 1.5f), shadow = Darker(t, 0.75f);
    QPainter& p = *item.painter;
    const QRect r = item.rect;
    p.setPen(light);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(shadow);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}
