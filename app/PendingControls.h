// TEMPORARY: minimal versions of the skinned buttons, the drop-list button,
// the link indicator and the tab control with the operations the view calls,
// so that the view builds and runs until the controls' own classes land.
// Removed when they do.
#pragma once

#include "platform/Skin.h"

#include <QAbstractButton>
#include <QPainter>
#include <QStringList>
#include <QWidget>

class CBitButton : public QAbstractButton {
public:
    explicit CBitButton(QWidget* parent = nullptr) : QAbstractButton(parent) {}
    void SetBitmaps(unsigned offN, unsigned offH, unsigned offP, unsigned onN, unsigned onH, unsigned onP) {
        ids_[0] = offN; ids_[1] = offH; ids_[2] = offP;
        ids_[3] = onN ? onN : offN; ids_[4] = onH ? onH : offH; ids_[5] = onP ? onP : offP;
        const QSize s = skin::Size(static_cast<int>(offN));
        if (s.isValid()) resize(s);
        update();
    }
    void SetDisabledBitmaps(unsigned off, unsigned on) { dis_[0] = off; dis_[1] = on; update(); }
    void SetDisabledTextColor(QColor c) { disColor_ = c; }
    void SetDisabledTextFormat(unsigned) {}
    void SetDisabledTextIndent(int px) { indent_ = px; }
    void SetDisabledFont(const QFont* f) { if (f) setFont(*f); }
    void SetCheck(int on) { on_ = on != 0; update(); }
    int GetCheck() const { return on_ ? 1 : 0; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        unsigned id = isEnabled() ? ids_[on_ ? 3 : 0] : dis_[on_ ? 1 : 0];
        if (isEnabled() && underMouse()) id = ids_[on_ ? 4 : 1];
        if (id) p.drawPixmap(0, 0, skin::Pixmap(static_cast<int>(id)));
        if (!isEnabled() && !text().isEmpty()) {
            p.setPen(disColor_);
            p.drawText(rect().adjusted(indent_, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text());
        }
    }
    void enterEvent(QEnterEvent*) override { update(); }
    void leaveEvent(QEvent*) override { update(); }

private:
    unsigned ids_[6] = {};
    unsigned dis_[2] = {};
    QColor disColor_;
    int indent_ = 0;
    bool on_ = false;
};

class CXPButton : public QAbstractButton {
public:
    explicit CXPButton(QWidget* parent = nullptr) : QAbstractButton(parent) {}
    void SetBitmaps(unsigned onN, unsigned onH, unsigned onP, unsigned offN, unsigned offH, unsigned offP) {
        ids_[0] = offN; ids_[1] = offH; ids_[2] = offP; ids_[3] = onN; ids_[4] = onH; ids_[5] = onP;
        update();
    }
    void SetCheck(int state) { state_ = state; update(); }
    int GetCheck() const { return state_; }

protected:
    void paintEvent(QPaintEvent*) override {
        const unsigned id = ids_[(state_ ? 3 : 0) + (underMouse() ? 1 : 0)];
        if (!id) return;
        const QPixmap pm = skin::Pixmap(static_cast<int>(id));
        if (pm.size() != size()) resize(pm.size());
        QPainter p(this);
        p.drawPixmap(0, 0, pm);
    }

private:
    unsigned ids_[6] = {};
    int state_ = 1;
};

class CComBoxBtn : public QAbstractButton {
public:
    explicit CComBoxBtn(QWidget* parent = nullptr) : QAbstractButton(parent) {}
    void SetBitmaps(unsigned normal, unsigned hover) {
        ids_[0] = normal; ids_[1] = hover;
        const QSize s = skin::Size(static_cast<int>(normal));
        if (s.isValid()) resize(s);
    }
    bool CreateDropList(QWidget*, int id) { id_ = id; return true; }
    void AddString(const QString& t) { items_ << t; }
    void ResetContent() { items_.clear(); sel_ = -1; setText(QString()); }
    void SetCurSel(int i) {
        if (items_.isEmpty()) return;
        sel_ = std::clamp(i, 0, int(items_.size()) - 1);
        setText(items_[sel_]);
        update();
    }
    int GetCurSel() const { return sel_; }
    int GetCount() const { return int(items_.size()); }
    void EnableMoveNotify(bool) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawPixmap(0, 0, skin::Pixmap(static_cast<int>(ids_[underMouse() ? 1 : 0])));
        p.setPen(Qt::white);
        p.drawText(rect().adjusted(6, 0, -18, 0), Qt::AlignLeft | Qt::AlignVCenter, text());
    }

private:
    unsigned ids_[2] = {};
    QStringList items_;
    int sel_ = -1;
    int id_ = 0;
};

class CShow_Link : public QAbstractButton {
public:
    explicit CShow_Link(QWidget* parent = nullptr) : QAbstractButton(parent) {}
    void StartBlink() { blink_ = true; }
    void StopBlink() { blink_ = false; }
    bool IsBlinking() const { return blink_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(76, 76, 76));
        p.setPen(QColor(250, 250, 250));
        p.drawText(rect(), Qt::AlignCenter, text());
    }

private:
    bool blink_ = false;
};

class CEnTabCtrl : public QWidget {
public:
    explicit CEnTabCtrl(QWidget* parent = nullptr) : QWidget(parent) {}
    static void SetLookFlags(unsigned, bool) {}
    void SetBkgndColor(QColor c) { bk_ = c; update(); }
    void EnableDraw(int) {}

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), bk_); }

private:
    QColor bk_;
};
