// What the skinned controls share: their messages and control ids, the hand
// cursor, the system colours they fall back to, the pictures they draw and
// the report of mouse moves to the parent.
#pragma once

#include "controls/ControlNotify.h"

#include <QColor>
#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QPoint>

#include <optional>

class QMouseEvent;
class QPainter;
class QWidget;

// Mouse messages whose numbers travel as wParam of the click reports.
constexpr unsigned WM_LBUTTONDBLCLK = 0x0203;
constexpr unsigned WM_RBUTTONDOWN = 0x0204;

// The notification code of a button click (WM_COMMAND).
constexpr int BN_CLICKED = 0;

// Messages of the skinned controls (WM_USER+N keep their numbers).
enum : unsigned {
    WM_RADIO_UNCHECK = WM_USER + 16, // posted to a radio group's other windows
    WM_SPEAKER_CLICK =
        WM_USER + 220, // posted: (0x201 click, 0x203 double click, 0x204 right click, 0)
    WM_SLOT_RIGHT_CLICK = WM_USER + 221, // posted: (0x204, control id)
    WM_HOLD_REPORT = WM_USER + 300,      // posted every 200 ms while held: (control id, value)
    WM_DROP_CHOICE = WM_USER + 802,      // posted: (notification id, item index)
};

// Controls that carry click rules of their own, by control id.
constexpr int kSpeakerButtonId = 2830;
constexpr int kSceneSlotFirstId = 2819;
constexpr int kSceneSlotLastId = 2824;

namespace ctl {

// The program's hand cursor (cursor resource 213).
QCursor HandCursor();

// The system colours the controls fall back to, fixed so that every machine
// draws the same.
inline const QColor kButtonFace{240, 240, 240};
inline const QColor kButtonShadow{160, 160, 160};
inline const QColor kButtonHighlight{255, 255, 255};
inline const QColor kButtonLight{227, 227, 227};
inline const QColor kButtonDarkShadow{105, 105, 105};
inline const QColor kGrayText{109, 109, 109};
inline const QColor kWindowText{0, 0, 0};

// The picture of a bitmap resource id; null for 0 or an id the skin lacks.
QPixmap Picture(unsigned id);
// Gives the control its picture's size, keeping its place; nothing for an
// id without a picture.
void FitToPicture(QWidget* control, unsigned id);
// Draws the picture at the control's top-left corner, or fills the control
// with the button face where there is none.
void DrawFace(QPainter& painter, const QWidget* control, unsigned id);

// A picture as a disabled control shows it when the skin gives no disabled
// picture of its own: the same face under a dark veil, so that it reads as
// out of use instead of vanishing into a blank box.
QImage Dimmed(const QImage& picture);
// The face of a disabled control: its disabled picture, or its normal
// picture dimmed where the skin has none; null when neither exists.
QPixmap DisabledFace(unsigned disabledId, unsigned normalId);

// Mouse key flags (MK_*) of a mouse event.
WPARAM MouseKeyFlags(const QMouseEvent* event);

// Invalidates the part of the parent under the control, so that the
// parent's background is painted again behind it.
void RepaintParentArea(QWidget* control);

// Reports mouse moves to the parent as WM_USER+602 (key flags, control id),
// once per new point.
class MoveReport {
public:
    void Enable(bool on) { enabled_ = on; }
    bool Enabled() const { return enabled_; }
    // When enabled and the point differs from the last one reported, keeps
    // it and returns true.
    bool IsNew(QPoint point);
    // Sends the report for the control to its parent.
    static void Send(QWidget* control, WPARAM keys);

private:
    bool enabled_ = false;
    std::optional<QPoint> last_;
};

} // namespace ctl
