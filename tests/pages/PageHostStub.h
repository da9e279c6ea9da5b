// A main view for pages tested alone: every operation of IPageHost does
// nothing (the session is asked for by no test that derives from it). Each
// test's host derives from it and records what it is about.
#pragma once

#include "pages/PageHost.h"

#include <gtest/gtest.h>

#include <cstdlib>

class PageHostStub : public IPageHost {
public:
    CDeviceSession& Session() override {
        ADD_FAILURE() << "the page asked for the device session";
        std::abort();
    }
    bool IsConnected() override { return false; }
    void SendCommand(int, int) override {}
    void SendOutputBlock(int) override {}
    void StartEditGuardTimer() override {}
    void SelectPage(int, bool) override {}
    CStripBase* OutputStrip(int) override { return nullptr; }
    CViewPage* OutputPageWindow() override { return nullptr; }
    CViewPage* MixPageWindow() override { return nullptr; }
    void SelectOutput(int) override {}
    void RepaintStrips() override {}
    void MarkMasterChanged(int) override {}
    void RequestDataResync() override {}
    void SendOutputOffFrame(int) override {}
    void SendOutputBlockLocked(int) override {}
    void QueuePacket(PacketPtr) override {}
    void CopyOutputEq(int, int) override {}
    void PasteOutputEq(int, int) override {}
    void ResetOutputEq() override {}
    void FocusMasterVolumeField() override {}
    void SetChannelModified(int) override {}
    void PostViewMessage(unsigned, WPARAM, LPARAM) override {}
};
