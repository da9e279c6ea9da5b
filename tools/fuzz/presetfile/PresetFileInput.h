// What both preset-file fuzz targets do with their input: byte 0 chooses,
// bit 0 the whole-device reader (else one preset), bit 1 the rest is plain
// JSON to be scrambled first (so that mutations act on text). A refused file
// must leave the model and the header untouched.
#pragma once

#include "files/PresetJson.h"
#include "model/DataDefine.h"
#include "model/DeviceRecords.h"
#include "model/Globals.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace presetfuzz {

// Everything a preset file can change. Kept in fixed storage and compared
// in place, so that no input pays for copies of it on the heap.
struct Model {
    uint8_t image[sizeof g_ParamImage];
    uint8_t presets[sizeof g_PcPresets];
    uint8_t records[5][8];
    uint8_t pages[sizeof g_DeviceRecords.Bytes().pageTable];
    int locked;

    // The records a preset file carries, in the order kept above.
    static const uint8_t* Record(size_t i) {
        SystemRecordBytes& b = g_DeviceRecords.Bytes();
        const uint8_t* records[5] = {b.sources, b.master, b.outputMapA, b.outputMapB,
                                     b.presetSelect};
        return records[i];
    }

    void Take() {
        std::memcpy(image, g_ParamImage, sizeof image);
        std::memcpy(presets, &g_PcPresets[0][0], sizeof presets);
        for (size_t i = 0; i < 5; ++i)
            std::memcpy(records[i], Record(i), 8);
        std::memcpy(pages, g_DeviceRecords.Bytes().pageTable, sizeof pages);
        locked = g_StateFlags[kFlagDataLocked].load();
    }
    bool Holds() const {
        for (size_t i = 0; i < 5; ++i)
            if (std::memcmp(records[i], Record(i), 8) != 0) return false;
        return std::memcmp(image, g_ParamImage, sizeof image) == 0 &&
               std::memcmp(presets, &g_PcPresets[0][0], sizeof presets) == 0 &&
               std::memcmp(pages, g_DeviceRecords.Bytes().pageTable, sizeof pages) == 0 &&
               static_cast<uint8_t>(locked) ==
                   static_cast<uint8_t>(g_StateFlags[kFlagDataLocked].load());
    }
};

inline void Check(bool condition) {
    if (!condition) std::abort();
}

// Reads the input with codec; true when the file was accepted (complete
// tells which reader took it). A refused file is checked here.
inline bool ReadInput(const uint8_t* data, size_t size, CPresetJson& codec, bool& complete) {
    static const bool ready = [] {
        InitParamModel();
        return true;
    }();
    (void)ready;
    if (size == 0) return false;
    complete = data[0] & 1;
    std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] & 2) CPresetJson::Scramble(bytes);

    static Model before;
    before.Take();
    const PresetFileHeader header = codec.m_Header;
    if (complete ? codec.ReadAllPresetsBytes(bytes) : codec.ReadPresetBytes(bytes)) return true;
    Check(codec.Error() != PresetFileError::None && !codec.ErrorText().empty());
    Check(before.Holds());
    Check(codec.m_Header == header);
    return false;
}

} // namespace presetfuzz
