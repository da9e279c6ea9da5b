// What the picture buttons share: the control id, the hand cursor, clicks
// reported as WM_COMMAND (id, BN_CLICKED), the hover look (the pointer is
// over the button, or a partner lends it its hover), the pressed look (the
// left button went down on it and is not yet up) and the report of mouse
// moves to the parent.
#pragma once

#include "controls/SkinControl.h"
#include "platform/Message.h"

#include <QAbstractButton>
#include <QPointer>

namespace ctl {

class SkinButtonBase : public platform::MessageTarget<QAbstractButton> {
public:
    SkinButtonBase(QWidget* parent, int id);

    // Mouse moves over the button send WM_USER+602 (key flags, id) to the parent.
    void EnableMoveNotify(bool enable) { moves_.Enable(enable); }
    // Called by a partner: the hover look without the pointer.
    void SetHoverLook(bool hover);

    bool IsHover() const { return hover_; }
    bool IsPressed() const { return pressed_; }

protected:
    // The look changed: repaint.
    virtual void Refresh() { update(); }
    // Whether the button lends its hover look to its partners now.
    virtual bool LendsHover() const { return true; }
    // The pointer came over the button.
    virtual void OnEntered(QMouseEvent*) {}

    void SetPartnerButtons(SkinButtonBase* first, SkinButtonBase* second);
    void ForgetPartners();
    void LendHover(bool hover);
    void SetHover(bool hover);
    void SetPressed(bool pressed);

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

    bool hover_ = false;
    bool pressed_ = false;
    MoveReport moves_;

private:
    QPointer<SkinButtonBase> partners_[2];
};

} // namespace ctl
