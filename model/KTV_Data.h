// The model of one preset: the effect unit, the microphone, the four music
// inputs and the twelve outputs. It loads every channel from a parameter
// block, writes them back into the image, stores itself in the document and
// tells the link worker what to send next (GetNextPacket).
//
// Threads: the link worker polls under g_DeviceLock; pages change channel
// objects under the same lock (see ModelLock.h).
#pragma once

#include "model/DeviceLock.h"
#include "model/Effect_Data.h"
#include "model/FrameBuilder.h"
#include "model/KTV_OutRoute.h"
#include "model/PacketPoller.h"

#include <cstdint>
#include <string>

class CArchive;

// The link worker polls the model through IPacketPoller.
class CKTV_Data : public IPacketPoller {
public:
    // Builds every channel and the output link table. Build it while the
    // device is not synchronised, so that nothing is left marked.
    CKTV_Data();
    // Also drops the link table's pointers to this model's outputs.
    ~CKTV_Data() override;
    CKTV_Data(const CKTV_Data&) = delete;
    CKTV_Data& operator=(const CKTV_Data&) = delete;

    // g_LinkKey[i] := i, g_LinkedOutData[i] := output i, g_LinkActive := 1
    // exactly when the link flag in output block 0 of the image is 1.
    void InitLinkTable();
    // Effect unit, microphone, music inputs, outputs. Load a document with
    // LoadOrRestore (Archive.h) to keep the model whole on a damaged one.
    void Serialize(CArchive& ar);
    // Every channel from a 5000-byte parameter block; the effect unit only
    // in mode 0 or 6. Raises no mark.
    void LoadFromImage(const uint8_t* block, int mode);
    // Every channel's items into the current image; no packet. Returns the
    // new names it refused (effect unit, then music inputs), for the caller
    // to show once it holds no lock.
    TextFieldErrors WriteAllToImage();
    // The send poller: the first pending change in the fixed order, packed
    // into the image and turned into its frame, or the status request when
    // nothing is pending. Never null.
    PacketPtr GetNextPacket() override;
    // Clears every channel's marks (stepping filters still lagging behind),
    // sets the master-settings pending flag to value and clears the source one.
    void ClearChangeFlags(int value);
    // A channel change the poller has still to send (a marked item, or a
    // filter still stepping towards its value); takes nothing.
    bool HasPendingChanges() const;

    // Channel i, or null outside its route.
    CMIC_InData* GetMic(int i) const { return mic_.GetAt(i); }
    CMusic_InData* GetMusic(int i) const { return music_.GetAt(i); }
    CKTV_OutData* GetOut(int i) const { return out_.GetAt(i); }
    CEffect_Data* GetEffect() { return &effect_; }
    CKTV_MicRoute& GetMicRoute() { return mic_; }
    CKTV_MusicRoute& GetMusicRoute() { return music_; }
    CKTV_OutRoute& GetOutRoute() { return out_; }

    // The sum of every channel's change count: moves whenever any equaliser
    // of the preset changes what a graph draws of it.
    std::uint64_t GetChangeCount() const;

    void SetOutputGraphRect(const GraphRect& plotArea);
    void SetMusicGraphRect(const GraphRect& plotArea);

    // The preset name as the poller last read it from the image.
    const std::string& GetName() const { return name_; }

private:
    // Steps of GetNextPacket, which holds the lock.
    PacketPtr NextNamePacket() REQUIRES(g_DeviceLock);
    PacketPtr NextMusicPacket(CMusic_InData& in) REQUIRES(g_DeviceLock);
    PacketPtr NextOutputPacket(CKTV_OutData& out) REQUIRES(g_DeviceLock);

    CEffect_Data effect_;
    CKTV_MicRoute mic_;
    CKTV_MusicRoute music_;
    CKTV_OutRoute out_;
    std::string name_;
};
