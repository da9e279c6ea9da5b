// CBitmapSlider: the fader of every page, drawn from a track and a thumb
// picture of the skin (each with an optional "active" look, and a picture
// for a thumb whose input is off). It keeps a position 0..maximum, maps the
// caller's values through a value kind, follows the mouse, keys and wheel,
// and posts to its parent WM_USER+9425 while the thumb moves (at most once
// per 50 ms, and when it takes the focus) and WM_USER+9426 when a move ended,
// both with (control id, position).
#pragma once

#include "controls/core/SliderCore.h"
#include "platform/Message.h"

#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QRgb>
#include <QWidget>

class CNumEdit;
class QTimer;

class CBitmapSlider : public platform::MessageTarget<QWidget> {
public:
    // A transparent colour that means "the colour of the picture's pixel at (x, y)".
    static constexpr QRgb kColorAtPoint = 0xFF000000;

    explicit CBitmapSlider(QWidget* parent = nullptr);
    ~CBitmapSlider() override;

    // The minimum is always 0, whatever the first argument. The position is
    // not re-clamped.
    void SetRange(int minimum, int maximum, bool redraw = true);
    int GetRangeMax() const { return model_.Maximum(); }
    void SetPos(int pos);
    int GetPos() const { return model_.Pos(); }
    // Value through the value kind (not clamped); shown at once.
    void SetValue(int value);
    int GetValue() const { return model_.Value(); }
    void SetValueKind(int kind) { model_.SetKind(kind); }
    // Frequency kinds: the position of the frequency's table entry.
    void SetFrequency(int hz);
    void SetVertical(bool vertical);
    bool IsVertical() const { return model_.Vertical(); }
    void SetMargin(int left, int top, int right, int bottom);
    // Mouse moves outside a drag send WM_USER+602 (key flags, id) to the parent.
    void EnableMoveNotify(bool on);
    // Mouse and keys act only while input is on; turning it off ends a drag.
    void EnableInput(bool on);
    bool IsInputEnabled() const { return model_.InputEnabled(); }

    // Pictures by skin id; id 0 unloads. Returns false when a picture cannot
    // be loaded. With `transparent`, pixels of `color` (or of the picture's
    // pixel at (x, y) for kColorAtPoint) are not drawn.
    bool SetBitmapChannel(int id, int activeId = 0, bool transparent = false,
                          QRgb color = kColorAtPoint, int x = 0, int y = 0);
    bool SetBitmapThumb(int id, int activeId = 0, bool transparent = false,
                        QRgb color = kColorAtPoint, int x = 0, int y = 0);
    // The thumb shown while input is off; its pixel (0, 0) is its transparent colour.
    void SetThumbMask(int id);

    void SetBuddyEdit(CNumEdit* field);
    // The track's picture as keyed (for tests).
    const QImage& ChannelPicture() const { return channel_; }
    // The drawn focus look; repaints when it changes.
    void SetFocusState(bool focused);
    bool GetFocusState() const { return focused_; }

    // The pixel of the thumb centre for a position, along the travel.
    int PosToPixel(int pos) const { return model_.PosToPixel(pos); }

    // The clock the moving report's rate limit reads (tests drive their own).
    void SetClock(ctltime::Clock clock) { clock_ = std::move(clock); }
    // The 50 ms timer's handler, running from a press to the release.
    void OnMoveTimer();

protected:
    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    struct Picture {
        QImage image;
        bool transparent = false;
    };
    static bool Load(int id, bool transparent, QRgb color, int x, int y, QImage& out);
    void UpdateTravel();
    int Along(const QPointF& p) const;
    void Post(unsigned msg);
    QPoint ThumbOrigin() const;

    slider::Model model_;
    int margins_[4] = {0, 0, 0, 0}; // left, top, right, bottom
    bool moveNotify_ = false;
    QPoint lastMouse_{-1, -1};
    bool focused_ = false;
    QPointer<QWidget> buddy_; // a CNumEdit while it lives
    CNumEdit* Buddy() const;

    QImage channel_, activeChannel_;
    bool channelLoaded_ = false;
    bool channelTransparent_ = false;
    QImage thumb_, activeThumb_, disabledThumb_;
    bool thumbLoaded_ = false;
    int thumbId_ = -1;
    QSize thumbSize_;

    QTimer* moveTimer_;
    ctltime::Clock clock_ = ctltime::SteadyMs;
};
