#include "link/SendData.h"

#include "model/Globals.h"

#include <algorithm>
#include <cstring>

int CSendData::HeldLength() const {
    return std::max(0, std::min(length_, static_cast<int>(frame_.size())));
}

int CSendData::IsReady() const {
    if (g_ConnectionKind.load() != 0) return ready_;
    return chunk_ < length_ ? 1 : 0;
}

int CSendData::IsNotifyDone() const {
    if (g_ConnectionKind.load() != 0) return notifyDone_;
    return notifyDone_ && chunk_ == length_ ? 1 : 0;
}

int CSendData::IsNotifySent() const {
    if (g_ConnectionKind.load() != 0) return notifySent_;
    return notifySent_ && chunk_ >= length_ ? 1 : 0;
}

int CSendData::NextChunk(uint8_t (&report)[kHidReportSize]) {
    const int held = HeldLength();
    if (chunk_ >= held) return 0;
    std::memset(report, 0, sizeof report);
    const int n = std::min(kHidReportSize - 1, held - chunk_);
    std::memcpy(report + 1, frame_.data() + chunk_, static_cast<size_t>(n));
    chunk_ += n;
    return 1;
}
