// Feeds arbitrary bytes to the preset-file readers.
// Byte 0 chooses: bit 0 the whole-device reader (else one preset), bit 1 the
// rest is plain JSON to be scrambled first (so that mutations act on text).
// A refused file must leave the model untouched; an accepted one, written
// again, must read back to the same model and header.
#include "app/PresetJson.h"
#include "model/DataDefine.h"
#include "model/Globals.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> TakeModel() {
    std::vector<uint8_t> m(g_ParamImage, g_ParamImage + sizeof g_ParamImage);
    m.insert(m.end(), &g_PcPresets[0][0], &g_PcPresets[0][0] + sizeof g_PcPresets);
    for (const uint8_t* rec :
         {g_DeviceRecords.Bytes().sources, g_DeviceRecords.Bytes().master,
          g_DeviceRecords.Bytes().outputMapA, g_DeviceRecords.Bytes().outputMapB,
          g_DeviceRecords.Bytes().presetSelect})
        m.insert(m.end(), rec, rec + 8);
    m.insert(m.end(), g_DeviceRecords.Bytes().pageTable,
             g_DeviceRecords.Bytes().pageTable + sizeof g_DeviceRecords.Bytes().pageTable);
    m.push_back(static_cast<uint8_t>(g_StateFlags[kFlagDataLocked].load()));
    return m;
}

void Check(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        InitParamModel();
        return true;
    }();
    (void)ready;
    if (size == 0) return 0;
    const bool complete = data[0] & 1;
    std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] & 2) CPresetJson::Scramble(bytes);

    const std::vector<uint8_t> before = TakeModel();
    CPresetJson codec;
    const PresetFileHeader header = codec.m_Header;
    if (!(complete ? codec.ReadAllPresetsBytes(bytes) : codec.ReadPresetBytes(bytes))) {
        Check(codec.Error() != PresetFileError::None && !codec.ErrorText().empty());
        Check(TakeModel() == before);
        Check(codec.m_Header == header);
        return 0;
    }

    std::string again;
    Check(complete ? codec.WriteAllPresetsBytes(again) : codec.WritePresetBytes(again));
    const std::vector<uint8_t> loaded = TakeModel();
    CPresetJson reader;
    Check(complete ? reader.ReadAllPresetsBytes(again) : reader.ReadPresetBytes(again));
    Check(TakeModel() == loaded);
    // Files are always written unencrypted.
    codec.m_Header.encrypted = 0;
    Check(reader.m_Header == codec.m_Header);
    return 0;
}
