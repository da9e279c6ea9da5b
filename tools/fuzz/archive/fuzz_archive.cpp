// A document's preset archive from untrusted bytes: the load is all or
// nothing, and whatever values it brings must be safe to poll, write back
// into the image and draw.
//
// Only the work an input needs: the model as it stood before the input is
// kept from the last input that changed it (a refused load must leave it
// as it was), and the graph areas are set once, since a load lays out
// every filter it reads for the area it already has. Polling stops at the
// first status request: with nothing left to send, every later poll only
// walks the same channels again.
#include "model/Archive.h"
#include "model/DataDefine.h"
#include "model/FrameBuilder.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The model as stored; kept in one buffer that later stores reuse.
std::vector<uint8_t> g_Before;

// The model stored into one archive kept for every store, so that no store
// takes fresh pages.
const CArchive& Store(CKTV_Data& model) {
    static CArchive ar;
    ar.Rewind();
    model.Serialize(ar);
    return ar;
}

void Keep(CKTV_Data& model) {
    const CArchive& ar = Store(model);
    g_Before.assign(ar.Data(), ar.Data() + ar.Size());
}

bool Holds(CKTV_Data& model) {
    const CArchive& ar = Store(model);
    return ar.Size() == g_Before.size() && std::memcmp(ar.Data(), g_Before.data(), ar.Size()) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CKTV_Data* model = [] {
        InitParamModel();
        auto* m = new CKTV_Data;
        m->SetOutputGraphRect({0, 0, 900, 300});
        m->SetMusicGraphRect({0, 0, 900, 300});
        Keep(*m);
        return m;
    }();

    CArchive in(data, size);
    if (!LoadOrRestore(*model, in)) {
        if (!Holds(*model)) std::abort(); // a failed load changed the model
        return 0;
    }
    g_DeviceSynced = 1;
    model->ClearChangeFlags(0);
    for (int i = 0; i < 40; ++i) {
        const PacketPtr p = model->GetNextPacket();
        if (p && IsStatusRequest(*p)) break;
    }
    model->WriteAllToImage();
    for (int i = 0; i < kOutputCount; ++i)
        model->GetOut(i)->UpdateCurve();
    for (int i = 0; i < kMusicInputCount; ++i)
        model->GetMusic(i)->UpdateCurve();
    g_DeviceSynced = 0;
    Keep(*model);
    return 0;
}
