// What the pages, panels and strips ask of the main view: they are built
// below it and reach it only through this interface (the view implements
// it). Every operation runs on the UI thread.
#pragma once

#include "model/DeviceLock.h"
#include "model/Notify.h"
#include "model/Packet.h"
#include "model/ThreadRole.h"

class CDeviceSession;
class CStripBase;
class CViewPage;

// What the pages post to the main view (wParam, lParam).
enum : unsigned {
    WM_PAGE_OUTPUT_ON = WM_USER + 202,    // (output, on flag): the output page's channel mute
    WM_PAGE_OUTPUT_LEVEL = WM_USER + 206, // (output, gain code 0..600): spread over the link group
    WM_PAGE_OUTPUT_POLARITY = WM_USER + 207, // (output, polarity); no page sends it
    WM_PAGE_MIX_PRESET = WM_USER + 226,      // (output, type): a speaker type's mix preset
    WM_PAGE_REQUEST = WM_USER + 301,         // (0, 0): show page 2
    WM_PAGE_SHOW_MIX = WM_USER + 8026, // (any, mix): the mix page (mix non-zero) or the output page
    WM_PAGE_SELECT_OUTPUT = WM_USER + 8032, // (output, 0): the mix page selects an output
};

class IPageHost {
public:
    virtual ~IPageHost() = default;

    // The device session: connection state, senders, transfers.
    virtual CDeviceSession& Session() = 0;
    virtual bool IsConnected() = 0;
    // One system record (and a preset slot) to the device when connected.
    virtual void SendCommand(int record, int index) = 0;
    // An output's whole block, with the output off around it.
    virtual void SendOutputBlock(int output) = 0;
    // The user is changing a source or master control: device status
    // reports wait until 1000 ms after the last change.
    virtual void StartEditGuardTimer() = 0;
    // Page 0..2 of the page area; leaveOld: the old page's button goes off first.
    virtual void SelectPage(int page, bool leaveOld) = 0;

    // ---- for the mix page ----------------------------------------------------
    // The level of a source (1..16) in an output changed: that output's strip
    // shows the source's mix switch on for any level but 0. Other sources: nothing.
    virtual void OnMixSourceSwitch(int /*output*/, int /*source*/, int /*level*/) {}
    // Makes an output current, as a click on its strip does.
    virtual void RequestOutput(int /*output*/) {}

    // ---- for the advanced settings dialog -----------------------------------
    // The sources record is to be sent (flag 1, when connected) or not (0).
    virtual void MarkSourceChanged(int /*flag*/) {}
    // Stores whether the output graphs show the EQ response (g_LineSetting)
    // and redraws them.
    virtual void SaveLineSetting() {}
    // After the input mode changed there: nothing more is done.
    virtual void OnAdvancedSettingChanged() {}

    // ---- for the output strips, the level bar and the speaker-position buttons
    // The strip of output 0..11 (null outside), the output page, the mix page.
    virtual CStripBase* OutputStrip(int output) = 0;
    virtual CViewPage* OutputPageWindow() = 0;
    virtual CViewPage* MixPageWindow() = 0;
    // Makes the output current on every page (nothing when it already is).
    virtual void SelectOutput(int output) = 0;
    // The row of strips is painted again (the green frame follows the current output).
    virtual void RepaintStrips() = 0;
    // The strips of the outputs holding this link key: their captions all
    // checked when one is, and the output's level shown on the others.
    virtual void SyncLinkGroupStrips(int /*output*/, int /*key*/) {}
    // The master record is to be sent (flag 1, when connected) or not (0).
    virtual void MarkMasterChanged(int flag) = 0;
    // The device is asked to deliver the current data again.
    virtual void RequestDataResync() = 0;

    // ---- what the output page asks of the view ------------------------------
    // The output's basic item with the output off, at once; the model keeps
    // its on flag.
    virtual void SendOutputOffFrame(int output) = 0;
    // SendOutputBlock under g_DeviceLock (a caller may hold it already).
    virtual void SendOutputBlockLocked(int output) = 0;
    // Appends a built frame to the send queue; the caller holds g_DeviceLock.
    virtual void QueuePacket(PacketPtr packet) = 0;
    // Output `to` takes the equaliser, crossover and EQ mode of `from`; when
    // connected its block is queued (Paste also keeps a tweeter's crossover usable).
    virtual void CopyOutputEq(int from, int to) = 0;
    virtual void PasteOutputEq(int from, int to) = 0;
    // The current output's equaliser and its link group back to flat, sent.
    virtual void ResetOutputEq() = 0;
    // The master-volume field of the level bar takes the keyboard focus.
    virtual void FocusMasterVolumeField() = 0;
    // The output was edited on the output page (the panels' link button reads it).
    virtual void SetChannelModified(int output) = 0;
    // Posts a window message to the view (level WM_USER+206, mute +202, page +301).
    virtual void PostViewMessage(unsigned msg, WPARAM wParam, LPARAM lParam) = 0;

    // ---- for the input page and the level and delay page ----------------------
    // Music input n's 31 bands back to flat and, when connected, its block sent
    // between a master off and on.
    virtual void ResetInputEq(int /*input*/) {}
    // Music input n's whole block, with the input off around it (when connected).
    virtual void SendInputChannelBlock(int /*input*/) {}
    // The messages waiting for the view are handled now, except its device
    // status reports, which are dropped: a report older than a source change
    // would put the old source back.
    virtual void FlushViewMessages() {}
    // The source-setup record (the second source, the 1-way /
    // 2-way option) changed: the view's list and button show it.
    virtual void ShowSourceSetup() {}
};

// The main view, for windows that are not given it (null before it exists).
extern UiThreadOnly<IPageHost*> g_PageHost;
