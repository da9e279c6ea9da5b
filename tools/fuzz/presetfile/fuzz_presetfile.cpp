// Feeds arbitrary bytes to the preset-file readers (PresetFileInput.h). A
// refused file must leave the model untouched. Writing an accepted file
// again and reading it back costs several times its reading, so that is
// the round-trip target's work (presetfile_roundtrip), and this one stays
// fast on the reader's own paths.
#include "tools/fuzz/presetfile/PresetFileInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CPresetJson codec;
    bool complete = false;
    presetfuzz::ReadInput(data, size, codec, complete);
    return 0;
}
