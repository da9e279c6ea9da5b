// The update-file fuzzer's input form. The reader never looks inside a DSP
// image, so an input does not spell one out: its first byte picks the form.
// Even: the rest is the file as it is. Odd, with at least 4 bytes after it:
// those 4 bytes (the tag), then a whole DSP image of a fixed pattern, then
// the rest (the unread byte, "WMCU" and the controller part). Mutations then
// change what the reader decides on rather than 256 KB of payload.
#pragma once

#include "link/UpdateFile.h"

#include <sanitizer/asan_interface.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace updatefuzz {

// The file an input stands for. A full-size one is written around an image
// that stays from input to input; the room after it is poisoned, so that a
// read past the file's end is reported as on a buffer of its own size.
class FileOfInput {
public:
    FileOfInput() : bytes_(kFull + kTailRoom) {
        for (size_t i = 0; i < kDspImageSize; ++i)
            bytes_[kUpdateTagSize + i] = static_cast<uint8_t>(i * 7);
    }
    // The file's bytes, valid until the next call; none for an empty input.
    std::pair<const uint8_t*, size_t> Make(const uint8_t* data, size_t size) {
        if (size == 0) return {nullptr, 0};
        const uint8_t* rest = data + 1;
        const size_t restSize = size - 1;
        if (!(data[0] & 1) || restSize < kUpdateTagSize) return {rest, restSize};
        const size_t fileSize = kFull + restSize - kUpdateTagSize;
        ASAN_UNPOISON_MEMORY_REGION(bytes_.data(), bytes_.size());
        if (fileSize > bytes_.size()) bytes_.resize(fileSize);
        std::memcpy(bytes_.data(), rest, kUpdateTagSize);
        std::memcpy(bytes_.data() + kFull, rest + kUpdateTagSize, restSize - kUpdateTagSize);
        ASAN_POISON_MEMORY_REGION(bytes_.data() + fileSize, bytes_.size() - fileSize);
        return {bytes_.data(), fileSize};
    }

private:
    static constexpr size_t kFull = kUpdateTagSize + kDspImageSize;
    // Room for any tail the seeds lead to, so that a run does not grow it.
    static constexpr size_t kTailRoom = 64 * 1024;
    std::vector<uint8_t> bytes_;
};

} // namespace updatefuzz
