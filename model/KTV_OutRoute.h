// The routes of a preset: the channels of one kind in channel order. Each
// route creates its channels in its constructor and owns them.
#pragma once

#include "model/KTV_OutData.h"
#include "model/MIC_InData.h"
#include "model/Music_InData.h"

#include <memory>
#include <vector>

class CArchive;

template <class Channel> class CChannelRoute {
public:
    CChannelRoute() = default;
    CChannelRoute(const CChannelRoute&) = delete;
    CChannelRoute& operator=(const CChannelRoute&) = delete;

    int GetCount() const { return static_cast<int>(channels_.size()); }
    // Channel i, or null outside the route.
    Channel* GetAt(int i) const {
        return i >= 0 && i < GetCount() ? channels_[static_cast<size_t>(i)].get() : nullptr;
    }
    // Each channel in order; no count is written.
    void Serialize(CArchive& ar) {
        for (auto& c : channels_)
            c->Serialize(ar);
    }
    void SetAllDirty(int flag) {
        for (auto& c : channels_)
            c->SetAllDirty(flag);
    }
    // Channel i from its block (of the current image or a stored preset).
    void LoadChannelFromImage(const uint8_t* channelBlock, int i) {
        if (Channel* c = GetAt(i)) c->LoadFromImageBlock(channelBlock);
    }

protected:
    Channel& Add() {
        channels_.push_back(std::make_unique<Channel>());
        return *channels_.back();
    }

private:
    std::vector<std::unique_ptr<Channel>> channels_;
};

// Microphone 0, "Mic 1".
class CKTV_MicRoute : public CChannelRoute<CMIC_InData> {
public:
    CKTV_MicRoute();
};

// Music inputs 0..3, "Music 1" .. "Music 4".
class CKTV_MusicRoute : public CChannelRoute<CMusic_InData> {
public:
    CKTV_MusicRoute();
};

// Outputs 0..11; their speaker types from g_OutputSpeakerType.
class CKTV_OutRoute : public CChannelRoute<CKTV_OutData> {
public:
    CKTV_OutRoute();
};
