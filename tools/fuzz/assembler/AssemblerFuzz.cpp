// Feeds arbitrary bytes to the reply assembler in arbitrary pieces, as TCP
// reads and as USB reports, with packets queued that the replies can take.
#include "link/KTVCommand.h"
#include "link/LinkGlobals.h"
#include "model/DataDefine.h"
#include "model/FrameBuilder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

class NullView : public IViewNotify {
public:
    void Post(unsigned, WPARAM, LPARAM) override {}
    LRESULT Send(unsigned, WPARAM, LPARAM) override { return 0; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool initialised = [] {
        InitParamModel();
        return true;
    }();
    (void)initialised;
    static NullView view;
    g_MainView = &view;
    CKTVCommand cmd;
    cmd.SetNotifyWnd(&view);
    if (size == 0) return 0;
    // The first byte picks the phase, the transport and the piece size.
    const uint8_t control = data[0];
    ++data;
    --size;
    g_StateFlags[kFlagInitialRead] = control & 1;
    g_DeviceAbnormal = 0;
    const bool usb = control & 2;
    const size_t piece = 1 + (control >> 2) * 7;
    for (int i = 0; i < 4; ++i) {
        auto p = ToSendData(BuildSystemReadPacket(i, 0));
        p->SetProgressValue(i);
        p->SetLongWait(i == 3);
        p->SetNotifyWhenDone(1);
        cmd.AddPacket(std::move(p));
    }
    for (size_t at = 0; at < size; at += piece) {
        const size_t n = std::min(piece, size - at);
        if (usb) {
            std::memset(g_HidInReport, 0, sizeof g_HidInReport);
            std::memcpy(g_HidInReport + 1, data + at, std::min<size_t>(n, kHidDataSize));
            cmd.FeedUsbReport(static_cast<int>(std::min<size_t>(n, kHidDataSize)) + 1);
        } else {
            std::memcpy(g_NetRxBuffer, data + at, std::min<size_t>(n, kNetRxSize));
            cmd.FeedNetBytes(static_cast<int>(std::min<size_t>(n, kNetRxSize)));
        }
        if (cmd.GetCount() == 0) cmd.AddPacket(BuildSystemReadPacket(kRecordSources, 0));
    }
    g_MainView = nullptr;
    return 0;
}
