// The preset-file readers on arbitrary bytes (PresetFileInput.h), and every
// file they accept written again: it must read back to the same model and
// header. Its seeds are accepted files, so that mutations stay near them.
#include "tools/fuzz/presetfile/PresetFileInput.h"

using presetfuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CPresetJson codec;
    bool complete = false;
    if (!presetfuzz::ReadInput(data, size, codec, complete)) return 0;

    static presetfuzz::Model loaded;
    std::string again;
    Check(complete ? codec.WriteAllPresetsBytes(again) : codec.WritePresetBytes(again));
    loaded.Take();
    CPresetJson reader;
    Check(complete ? reader.ReadAllPresetsBytes(again) : reader.ReadPresetBytes(again));
    Check(loaded.Holds());
    // Files are always written unencrypted.
    codec.m_Header.encrypted = 0;
    Check(reader.m_Header == codec.m_Header);
    return 0;
}
