#include "model/KTV_Data.h"

#include "model/Archive.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/Notify.h"

CKTV_Data::CKTV_Data() {
    InitLinkTable();
}

CKTV_Data::~CKTV_Data() {
    DeviceLockGuard lock(g_DeviceLock);
    for (CKTV_OutData*& linked : g_LinkedOutData)
        for (int i = 0; i < out_.GetCount(); ++i)
            if (linked == out_.GetAt(i)) linked = nullptr;
}

void CKTV_Data::InitLinkTable() {
    DeviceLockGuard lock(g_DeviceLock);
    for (int i = 0; i < kOutputCount; ++i) {
        g_LinkKey[i] = i;
        g_LinkedOutData[i] = out_.GetAt(i);
    }
    // The byte is also the lock marker ('!' locked, ' ' unlocked): only the
    // value 1 means linked, or locking the data would link the outputs.
    g_LinkActive = OutputBlock(0)[kOutLockMarkByte] == 1 ? 1 : 0;
}

void CKTV_Data::Serialize(CArchive& ar) {
    DeviceLockGuard lock(g_DeviceLock);
    effect_.Serialize(ar);
    mic_.Serialize(ar);
    music_.Serialize(ar);
    out_.Serialize(ar);
}

void CKTV_Data::LoadFromImage(const uint8_t* block, int mode) {
    if (!block) return;
    DeviceLockGuard lock(g_DeviceLock);
    if (mode == 0 || mode == 6) effect_.LoadFromBlock(block + kEffectBlockOffset);
    mic_.LoadChannelFromImage(block + kMicBlockOffset, 0);
    for (int i = 0; i < kMusicInputCount; ++i)
        music_.LoadChannelFromImage(block + kMusicBlockOffset + kMusicBlockSize * i, i);
    for (int i = 0; i < kOutputCount; ++i)
        out_.LoadChannelFromImage(block + kOutputBlockOffset + kOutputBlockSize * i, i);
}

TextFieldErrors CKTV_Data::WriteAllToImage() {
    DeviceLockGuard lock(g_DeviceLock);
    TextFieldErrors refused;
    const auto note = [&refused](TextFieldError e) {
        if (e != TextFieldError::None) refused.push_back(e);
    };
    note(effect_.WriteAllItems());
    for (int i = 0; i < mic_.GetCount(); ++i)
        mic_.GetAt(i)->WriteAllItems();
    for (int i = 0; i < music_.GetCount(); ++i)
        note(music_.GetAt(i)->WriteAllItems());
    for (int i = 0; i < out_.GetCount(); ++i)
        out_.GetAt(i)->WriteAllItems();
    return refused;
}

void CKTV_Data::ClearChangeFlags(int value) {
    DeviceLockGuard lock(g_DeviceLock);
    effect_.SetChangeFlags(0);
    mic_.SetAllDirty(0);
    music_.SetAllDirty(0);
    out_.SetAllDirty(0);
    g_SendCmd5Pending = value;
    g_SendCmd2Pending = 0;
}

namespace {

// Elements [0, count) of an equaliser marked for sending.
bool AnyFilterMarked(const CKTVEQ& eq, int count) {
    for (int j = 0; j < count; ++j)
        if (eq.GetAt(j)->IsChanged()) return true;
    return false;
}

} // namespace

// What GetNextPacket would still send, item by item, without its steps.
bool CKTV_Data::HasPendingChanges() const {
    DeviceLockGuard lock(g_DeviceLock);
    for (int i = 0; i < music_.GetCount(); ++i) {
        CMusic_InData& in = *music_.GetAt(i);
        if (in.IsBasicDirty() || in.IsGateDirty() ||
            AnyFilterMarked(in.GetEq(), in.GetEq().GetBandCount()))
            return true;
    }
    for (int i = 0; i < out_.GetCount(); ++i) {
        CKTV_OutData& out = *out_.GetAt(i);
        if (out.IsNameDirty() || out.IsBasicDirty() || out.IsDynamicsDirty() || out.IsMixADirty() ||
            out.IsMixBDirty() || AnyFilterMarked(out.GetEq(), out.GetEq().GetCount()))
            return true;
    }
    return false;
}

std::uint64_t CKTV_Data::GetChangeCount() const {
    std::uint64_t sum = effect_.GetChangeCount();
    for (int i = 0; i < mic_.GetCount(); ++i)
        sum += mic_.GetAt(i)->GetChangeCount();
    for (int i = 0; i < music_.GetCount(); ++i)
        sum += music_.GetAt(i)->GetChangeCount();
    for (int i = 0; i < out_.GetCount(); ++i)
        sum += out_.GetAt(i)->GetChangeCount();
    return sum;
}

void CKTV_Data::SetOutputGraphRect(const GraphRect& plotArea) {
    DeviceLockGuard lock(g_DeviceLock); // a relayout may touch the special band's frequency
    for (int i = 0; i < out_.GetCount(); ++i)
        out_.GetAt(i)->SetGraphRect(plotArea);
}

void CKTV_Data::SetMusicGraphRect(const GraphRect& plotArea) {
    DeviceLockGuard lock(g_DeviceLock);
    for (int i = 0; i < music_.GetCount(); ++i)
        music_.GetAt(i)->SetGraphRect(plotArea);
}

// --- The send poller -----------------------------------------------------------

namespace {

// Packs the preset name into the image as "Custom" (which always fits) and
// announces it.
PacketPtr AnnounceCustomName(bool writeName) {
    if (writeName)
        (void)StringToField(g_ParamImage + kPresetNameOffset, kPresetNameSize, g_CustomName);
    PostToView(WM_PRESET_NAME_CUSTOM, 0, 0);
    return BuildSystemPacket(kRecordPresetName, 0);
}

// The first changed band of an equaliser, stepped and sent.
template <class Channel> PacketPtr NextBandPacket(Channel& ch) {
    CKTVEQ& eq = ch.GetEq();
    for (int j = 0; j < eq.GetBandCount(); ++j) {
        CFilter* f = eq.GetAt(j);
        if (!f->IsChanged()) continue;
        f->StepAppliedFreq(0);
        if (PacketPtr p = ch.SendEqBand(j, f->GetItemCode())) return p;
    }
    return nullptr;
}

} // namespace

PacketPtr CKTV_Data::NextNamePacket() {
    name_ = FieldToString(g_ParamImage + kPresetNameOffset, kPresetNameSize);
    if (name_ != g_CustomName) return AnnounceCustomName(true);
    if (g_DeviceRecords.CurrentStoredPreset() != 0) return AnnounceCustomName(false);
    if (g_EmptyName != g_CustomName) {
        g_EmptyName = g_CustomName;
        return AnnounceCustomName(true);
    }
    return nullptr;
}

PacketPtr CKTV_Data::NextMusicPacket(CMusic_InData& in) {
    if (in.IsBasicDirty()) {
        in.SetBasicDirty(0);
        if (PacketPtr p = in.WriteBasicItem(1)) return p;
    }
    if (in.IsGateDirty()) {
        in.SetGateDirty(0);
        if (PacketPtr p = in.WriteNoiseGateItem(1)) return p;
    }
    return NextBandPacket(in);
}

PacketPtr CKTV_Data::NextOutputPacket(CKTV_OutData& out) {
    if (out.IsNameDirty()) {
        out.SetNameDirty(0);
        if (PacketPtr p = out.SendNameItem()) return p;
    }
    if (out.IsBasicDirty()) {
        out.SetBasicDirty(0);
        if (PacketPtr p = out.WriteBasicItem(1)) return p;
    }
    if (out.IsDynamicsDirty()) {
        out.SetDynamicsDirty(0);
        if (PacketPtr p = out.WriteDynamicsItem(1)) return p;
    }
    auto crossover = [&]() -> PacketPtr {
        return out.TakeCrossoverChanged() ? out.WriteCrossoverItem(1) : nullptr;
    };
    auto mixA = [&]() -> PacketPtr {
        if (!out.IsMixADirty()) return nullptr;
        out.SetMixADirty(0);
        return out.WriteMixItemA(1);
    };
    auto mixB = [&]() -> PacketPtr {
        if (!out.IsMixBDirty()) return nullptr;
        out.SetMixBDirty(0);
        return out.WriteMixItemB(1);
    };
    // The output mode decides whether the mix levels reach the device
    // before the crossover.
    if (g_MixItemsFirst.load()) {
        if (PacketPtr p = mixA()) return p;
        if (PacketPtr p = mixB()) return p;
        if (PacketPtr p = crossover()) return p;
    } else {
        if (PacketPtr p = crossover()) return p;
        if (PacketPtr p = mixA()) return p;
        if (PacketPtr p = mixB()) return p;
    }
    return NextBandPacket(out);
}

PacketPtr CKTV_Data::GetNextPacket() {
    DeviceLockGuard lock(g_DeviceLock);
    if (g_SendCmd5Pending.exchange(0)) return BuildSystemPacket(kRecordMaster, 0);
    if (g_SendCmd2Pending.exchange(0)) return BuildSystemPacket(kRecordSources, 0);
    if (g_SendCmd0Pending.exchange(0)) {
        g_DeviceRecords.SetCurrentStoredPreset(0);
        return BuildSystemPacket(kRecordPresetName, 0);
    }
    if (g_ParamSentFlag.load())
        if (PacketPtr p = NextNamePacket()) return p;
    for (int i = 0; i < music_.GetCount(); ++i) {
        if (PacketPtr p = NextMusicPacket(*music_.GetAt(i))) {
            g_ParamSentFlag = 1;
            return p;
        }
    }
    for (int i = 0; i < out_.GetCount(); ++i) {
        if (PacketPtr p = NextOutputPacket(*out_.GetAt(i))) {
            g_ParamSentFlag = 1;
            return p;
        }
    }
    return BuildItemPacket(kGroupStatus, 0, 0);
}
