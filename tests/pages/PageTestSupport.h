// The main view as the strips, the level bar and the position buttons see
// it: an IPageHost that records what they ask of it, with twelve strips and
// an output and a mix page that record the calls made on them.
#pragma once

#include "tests/pages/PageHostStub.h"

#include "pages/PageBase.h"
#include "features/outputs/OutputStrip.h"

#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/SpeakerTypes.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

class PageRecorder : public CViewPage {
public:
    using CViewPage::CViewPage;
    void RefreshChannel() override { calls.push_back("RefreshChannel"); }
    int Refresh() override {
        calls.push_back("Refresh");
        return 1;
    }
    void ChannelChanging() override { calls.push_back("ChannelChanging"); }
    void ChannelChanged() override { calls.push_back("ChannelChanged"); }
    void ClearBandSelection() override { calls.push_back("ClearBandSelection"); }
    void RedrawGraph() override { calls.push_back("RedrawGraph"); }
    void FocusField(int id) override { calls.push_back("FocusField " + std::to_string(id)); }
    std::vector<std::string> calls;
};

class FakeHost : public PageHostStub {
public:
    explicit FakeHost(QWidget* parent) : output(parent), mix(parent) {
        for (int i = 0; i < 12; ++i) {
            strips[i] = new COutputStrip(parent);
            strips[i]->m_OutputIndex = i;
        }
    }
    CDeviceSession& Session() override { throw std::logic_error("no session in a page test"); }
    bool IsConnected() override { return connected; }
    void SendCommand(int record, int) override {
        calls.push_back("SendCommand " + std::to_string(record));
    }
    void SendOutputBlock(int output) override {
        calls.push_back("SendOutputBlock " + std::to_string(output));
    }
    void StartEditGuardTimer() override { calls.push_back("StartEditGuardTimer"); }
    void SelectPage(int, bool) override {}
    CStripBase* OutputStrip(int i) override { return i >= 0 && i < 12 ? strips[i] : nullptr; }
    CViewPage* OutputPageWindow() override { return &output; }
    CViewPage* MixPageWindow() override { return &mix; }
    void SelectOutput(int n) override { calls.push_back("SelectOutput " + std::to_string(n)); }
    void RepaintStrips() override { calls.push_back("RepaintStrips"); }
    void MarkMasterChanged(int flag) override {
        calls.push_back("MarkMasterChanged " + std::to_string(flag));
    }
    void RequestDataResync() override { calls.push_back("RequestDataResync"); }

    bool connected = true;
    PageRecorder output;
    PageRecorder mix;
    COutputStrip* strips[12] = {};
    std::vector<std::string> calls;
};

// Gives the twelve outputs their speaker types and rebuilds the type table
// as a load from the device does; every link key its own output.
inline void SetSpeakerTypes(const std::vector<int>& types) {
    ResetSpeakerTypeStates();
    int i = 0;
    for (int t : types)
        g_OutputSpeakerType[i++] = static_cast<uint8_t>(t);
    for (; i < 12; ++i)
        g_OutputSpeakerType[i] = 0;
    RecomputeSpeakerTypeStates();
    for (int o = 0; o < 12; ++o)
        g_LinkKey[o] = o;
}
