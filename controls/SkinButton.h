// CSkinButton: a push button, check box or radio button whose faces (normal,
// pressed, hover, disabled, focused) come from pictures, with an optional mask
// picture that cuts the button to its shape (white is see-through). Its caption
// is centred in Arial 18, red while the pointer is over it or it is pressed.
// A radio-style button that becomes checked posts WM_USER+16 to the other
// windows of its group, and skin radio buttons receiving it uncheck. With the
// hold report on, a held button posts WM_USER+300 (id, value) every 200 ms.
#pragma once

#include "controls/ControlTimer.h"
#include "controls/SkinButtonBase.h"

#include <QImage>
#include <QRegion>

class CSkinButton : public ctl::SkinButtonBase {
public:
    enum Behaviour { kPush = 0, kCheck = 2, kRadio = 4 };
    enum DrawMode { kNormal = 0, kStretch = 1, kTile = 2 };
    static constexpr int kHoldMs = 200;

    explicit CSkinButton(QWidget* parent = nullptr, int id = 0, Behaviour behaviour = kPush);

    // Picture ids (0: none; a disabled id of 0 takes the normal picture, one
    // the skin lacks the normal picture dimmed), the
    // draw mode (clamped to 0..2), a border (non-zero: a 3-D edge) and the
    // focus margin (negative: 0).
    void LoadSkin(unsigned normal, unsigned pressed, unsigned hover, unsigned disabled,
                  unsigned focused, unsigned mask, int drawMode = kStretch, int border = 0,
                  int margin = 0);
    // Returns the previous colour.
    QColor SetNormalTextColor(QColor color);
    void SetTipText(const QString& text) { setToolTip(text); }
    void EnableHoldNotify(int value);

    // A push button stays unchecked; a radio button that becomes checked
    // unchecks the rest of its group.
    void SetCheck(int checked);
    int GetCheck() const { return checked_ ? 1 : 0; }
    // Marks the first window of a group (the windows of a group are the
    // siblings from one first window to the next).
    static void SetGroupStart(QWidget* control, bool first);

    Behaviour GetBehaviour() const { return behaviour_; }
    DrawMode GetDrawMode() const { return drawMode_; }
    int Border() const { return border_; }
    int Margin() const { return margin_; }
    ControlTimer& HoldTimer() { return holdTimer_; }
    // The shape cut by the mask; empty without a mask.
    QRegion WindowRegion() const { return region_; }

    // The rows of a mask picture as rectangles one pixel high: every run of
    // pixels that are not see-through.
    static QRegion RegionFromMask(const QImage& mask, QRgb seeThrough = qRgb(255, 255, 255));

    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void DrawFaceImage(QPainter& p, const QImage& face);
    void UncheckGroup();

    Behaviour behaviour_;
    bool checked_ = false;
    QImage normal_, pressedFace_, disabled_, mask_, hoverFace_, focused_;
    int margin_ = 0;
    QColor textColor_{0, 0, 0};
    QColor highlightColor_{255, 0, 0};
    QRegion region_;
    int border_ = 1;
    DrawMode drawMode_ = kStretch;
    QFont captionFont_;
    bool holdOn_ = false;
    int holdValue_ = 0;
    ControlTimer holdTimer_;
};
