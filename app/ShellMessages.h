// Window messages and command ids of the application shell: the frames'
// system commands, the commands of the main frame and the view's own
// messages. Numbers keep the program's values.
#pragma once

#include "controls/ControlNotify.h"
#include "model/Notify.h"
#include "platform/Message.h"

#include <QWidget>

constexpr unsigned WM_SYSCOMMAND = 0x0112;
constexpr unsigned WM_SETTINGCHANGE = 0x001A;
constexpr WPARAM kWorkAreaSetting = 47; // wParam of WM_SETTINGCHANGE: the desktop's work area
constexpr WPARAM SC_MINIMIZE = 0xF020;
constexpr WPARAM SC_CLOSE = 0xF060;

// Commands of the main frame (wParam of WM_COMMAND).
enum : int {
    ID_OPEN_MAIN_VIEW = 8000,   // the start page's right button
    ID_OPEN_MAIN_VIEW2 = 8001,  // the start page's left button
    ID_OPEN_START_PAGE = 32774, // nothing sends it
    ID_FILE_CLOSE = 57602,      // close the active document
};

// The view's own messages.
enum : unsigned {
    WM_SELECT_PAGE2 = WM_USER + 301,          // from the output page: show page 2
    WM_SELECT_OUTPUT = WM_USER + 203,         // (output, 0): a strip or a page selects an output
    WM_RELOAD_EFFECT = WM_USER + 119,         // reload the effect unit from the image
    WM_USER_120 = WM_USER + 120,              // answered without effect
    WM_USER_303 = WM_USER + 303,              // answered without effect
    WM_LOCK_STATE_AFTER_LOAD = WM_USER + 501, // a preset file was loaded: take its lock state
};

// Hands a message to a frame window (posted or sent); false when the window
// takes no messages.
inline bool MessageToFrame(QWidget* frame, unsigned msg, WPARAM wParam, bool post) {
    if (!dynamic_cast<platform::IMessageReceiver*>(frame)) return false;
    if (post)
        platform::PostMessage(frame, msg, wParam, 0);
    else
        platform::SendMessage(frame, msg, wParam, 0);
    return true;
}
