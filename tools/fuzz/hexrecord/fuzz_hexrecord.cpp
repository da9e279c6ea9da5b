// The HEX record reader on arbitrary lines: the first byte picks the mode,
// the rest is split into lines. A refused line must leave the image as it
// was; an accepted one adds at most its data and its address. Then the
// version confirmation on whatever was found.
#include "link/HexRecord.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int mode = data[0] % 3;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    CHexRecordReader reader;
    std::vector<uint8_t> image;
    size_t at = 0;
    while (at <= text.size()) {
        const size_t end = std::min(text.find('\n', at), text.size());
        const std::string line = text.substr(at, end - at);
        const size_t before = image.size();
        const int records = reader.RecordCount();
        if (reader.ParseHexRecord(line, mode, image)) {
            if (image.size() > before + line.size() / 2 + 2) std::abort();
            if (reader.RecordCount() != records + 1) std::abort();
        } else if (image.size() != before || reader.RecordCount() != records) {
            std::abort();
        }
        at = end + 1;
    }
    reader.ConfirmUpdateVersion([](const VersionPrompt&) { return false; });
    return 0;
}
