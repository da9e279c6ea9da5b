// Helpers of the skinned-control tests: the messages a control's page
// received, mouse input delivered straight to a control, and what a control
// shows.
#pragma once

#include "tests/controls/ControlPage.h"
#include "controls/ControlTimer.h"
#include "platform/Message.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include <ostream>
#include <vector>

namespace skintest {

// A message as the tests compare it.
struct Message {
    unsigned msg;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Message& o) const {
        return msg == o.msg && wParam == o.wParam && lParam == o.lParam;
    }
};

inline std::ostream& operator<<(std::ostream& os, const Message& m) {
    return os << "{WM_USER+" << (static_cast<int>(m.msg) - 0x400) << ", " << m.wParam << ", "
              << m.lParam << "}";
}

// The window the controls sit in.
using Parent = RecordingPage;

// Delivers what was posted, then takes the messages of one number.
inline std::vector<Message> Take(RecordingPage& page, unsigned msg) {
    std::vector<Message> out;
    for (const Received& r : page.Take(msg))
        out.push_back({r.msg, r.wParam, r.lParam});
    return out;
}

// Whether the control shows the picture: every opaque pixel of the picture
// is on screen as it is (transparent parts show what lies under the control).
inline bool ShowsPicture(QWidget* control, const QImage& picture) {
    const QImage shown = control->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage want = picture.convertToFormat(QImage::Format_ARGB32);
    if (shown.size() != want.size() || want.isNull()) return false;
    int opaque = 0;
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x) {
            const QRgb w = want.pixel(x, y);
            if (qAlpha(w) != 255) continue;
            ++opaque;
            if (shown.pixel(x, y) != w) return false;
        }
    return opaque > 0;
}

// The columns of an image that hold pixels of the colour.
inline std::vector<int> InkColumns(const QImage& img, const QColor& ink) {
    std::vector<int> xs;
    for (int x = 0; x < img.width(); ++x)
        for (int y = 0; y < img.height(); ++y)
            if (img.pixelColor(x, y) == ink) {
                xs.push_back(x);
                break;
            }
    return xs;
}

inline void SendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons held, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, mods);
    QApplication::sendEvent(w, &e);
}
inline void Move(QWidget* w, QPoint at, Qt::MouseButtons held = Qt::NoButton,
                 Qt::KeyboardModifiers mods = Qt::NoModifier) {
    SendMouse(w, QEvent::MouseMove, at, Qt::NoButton, held, mods);
}
inline void Press(QWidget* w, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    SendMouse(w, QEvent::MouseButtonPress, at, button, button);
}
inline void Release(QWidget* w, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    SendMouse(w, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}
inline void Click(QWidget* w, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    Press(w, at, button);
    Release(w, at, button);
}
// The second click of a double click: the system sends it as a double click
// instead of a press.
inline void DoubleClick(QWidget* w, QPoint at) {
    SendMouse(w, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    Release(w, at);
}
inline void Leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}
inline void Wheel(QWidget* w, int delta) {
    const QPoint at(2, 2);
    QWheelEvent e(QPointF(at), QPointF(w->mapToGlobal(at)), QPoint(), QPoint(0, delta),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

} // namespace skintest
