#include "link/SendData.h"

#include "model/Globals.h"

#include <algorithm>
#include <cstring>

SendDataPtr ToSendData(PacketPtr frame) {
    if (!frame) return nullptr;
    if (auto* queued = dynamic_cast<CSendData*>(frame.get())) {
        frame.release();
        return SendDataPtr(queued);
    }
    return std::make_unique<CSendData>(std::move(*frame));
}

int CSendData::IsReady() const {
    if (g_ConnectionKind.load() != 0) return ready_;
    return chunk_ < GetLength() ? 1 : 0;
}

int CSendData::IsNotifyDone() const {
    if (g_ConnectionKind.load() != 0) return notifyDone_;
    return notifyDone_ && chunk_ == GetLength() ? 1 : 0;
}

int CSendData::IsNotifySent() const {
    if (g_ConnectionKind.load() != 0) return notifySent_;
    return notifySent_ && chunk_ >= GetLength() ? 1 : 0;
}

int CSendData::NextChunk(uint8_t (&report)[kHidReportSize]) {
    const int held = HeldLength();
    if (chunk_ >= held) return 0;
    std::memset(report, 0, sizeof report);
    const int n = std::min(kHidReportSize - 1, held - chunk_);
    std::memcpy(report + 1, Frame().data() + chunk_, static_cast<size_t>(n));
    chunk_ += n;
    return 1;
}
