// A document's preset archive from untrusted bytes: the load is all or
// nothing, and whatever values it brings must be safe to poll, write back
// into the image and draw.
#include "model/Archive.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CKTV_Data* model = [] {
        InitParamModel();
        return new CKTV_Data;
    }();
    CArchive before;
    model->Serialize(before);

    CArchive in(data, size);
    if (!LoadOrRestore(*model, in)) {
        CArchive after;
        model->Serialize(after);
        if (after.Bytes() != before.Bytes()) std::abort(); // a failed load changed the model
        return 0;
    }
    g_DeviceSynced = 1;
    model->ClearChangeFlags(0);
    for (int i = 0; i < 40; ++i) model->GetNextPacket();
    model->WriteAllToImage();
    model->SetOutputGraphRect({0, 0, 900, 300});
    model->SetMusicGraphRect({0, 0, 900, 300});
    for (int i = 0; i < kOutputCount; ++i) model->GetOut(i)->UpdateCurve();
    for (int i = 0; i < kMusicInputCount; ++i) model->GetMusic(i)->UpdateCurve();
    g_DeviceSynced = 0;
    return 0;
}
