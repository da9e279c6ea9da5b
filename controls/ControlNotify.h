// How a skinned control talks to the window it sits in: the control's
// dialog id, the WM_COMMAND notice a control sends when the user changed its
// value, and the control messages the pages handle.
#pragma once

#include "model/Notify.h"
#include "platform/Message.h"

class QWidget;

constexpr unsigned WM_NOTIFY = 0x004E; // lParam: a record that starts with the sender, id and code
constexpr unsigned WM_COMMAND = 0x0111;
constexpr unsigned WM_HSCROLL = 0x0114; // wParam: the scroll request, the thumb position above it
constexpr unsigned WM_VSCROLL = 0x0115;
constexpr unsigned WM_LBUTTONDOWN = 0x0201;

// Control messages (WM_USER+N keep their numbers).
enum : unsigned {
    WM_SLIDER_TAKE_FOCUS = WM_USER + 201, // to a slider: take the keyboard focus
    WM_CONTROL_HOVER = WM_USER + 602,     // sent: (mouse key flags, control id)
    WM_DELAY_SPIN_STEP = WM_USER + 1100,  // posted: (spin id, step delta)
    WM_SLIDER_MOVING = WM_USER + 9425,    // posted: (slider id, position)
    WM_SLIDER_MOVED = WM_USER + 9426,     // posted: (slider id, position)
};

// Mouse key flags of WM_CONTROL_HOVER.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

// The dialog id of a control (0 until set), kept on the widget.
void SetControlId(QWidget* control, int id);
int ControlId(const QWidget* control);

// wParam of WM_COMMAND: the id in the low word, the notification code in the
// high word.
constexpr WPARAM CommandWParam(int id, int code) {
    return (static_cast<WPARAM>(static_cast<uint16_t>(code)) << 16) | static_cast<uint16_t>(id);
}

// Sends WM_COMMAND (id, code) to the control's parent and returns its answer;
// lParam carries the control itself. Nothing without a parent.
LRESULT SendCommand(QWidget* control, int code = 0);
