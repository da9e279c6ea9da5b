// CPictureButton: the plain picture button of the main view and the pages. Its
// face is one of six pictures, chosen by its on/off state and by whether the
// pointer is over it with the left button down; the pictures carry all the
// lettering, so no caption is drawn; disabled, it shows its state's normal
// picture dimmed. A click does not change the state; it reaches the parent
// as WM_COMMAND (id, BN_CLICKED). With the hover report on, entering the
// button sends WM_USER+602 (key flags, id) to the parent, once per entry
// point.
#pragma once

#include "controls/SkinButtonBase.h"

#include <optional>

class CPictureButton : public ctl::SkinButtonBase {
public:
    enum Face { OffNormal, OffHover, OffPressed, OnNormal, OnHover, OnPressed };

    explicit CPictureButton(QWidget* parent = nullptr, int id = 0);

    // Note the order: the on group first.
    void SetBitmaps(unsigned onNormal, unsigned onHover, unsigned onPressed, unsigned offNormal,
                    unsigned offHover, unsigned offPressed);
    // Any non-zero state is on; GetCheck returns the value as given.
    void SetCheck(int state);
    int GetCheck() const { return state_; }
    void EnableHoverNotify(bool enable) { hoverNotify_ = enable; }

    // The picture shown now; 0 paints nothing (what is under the button shows).
    unsigned CurrentBitmap() const;

    QSize sizeHint() const override;

protected:
    void Refresh() override;
    void OnEntered(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    unsigned faces_[6] = {};
    int state_ = 1;
    bool hoverNotify_ = false;
    std::optional<QPoint> lastEntry_;
};
