// What the pages, panels and strips ask of the main view: they are built
// below it and reach it only through this interface (the view implements
// it). Every operation runs on the UI thread.
#pragma once

#include "model/DeviceLock.h"

class CDeviceSession;

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
    // Asks the device to deliver the current data again (after damaged values).
    virtual void RequestDataResync();

    // ---- for the system dialogs ------------------------------------------------
    // The master record is to be sent (flag 1, when connected) or not (0).
    virtual void MarkMasterChanged(int flag) = 0;
};

// The main view, for windows that are not given it (null before it exists).
extern IPageHost* g_PageHost UI_THREAD_ONLY;
