#include "link/UpdateFile.h"

#include <cstring>
#include <fstream>

namespace {

constexpr char kDspTag[] = "WDSP";
constexpr char kMcuTag[] = "WMCU";
// Bytes of the file per progress step, and the steps of a whole DSP image.
constexpr size_t kBytesPerStep = 48;
constexpr unsigned kDspProgressSteps = 5957;
// What the range leaves out of a full file's size: the tags and the unread byte.
constexpr size_t kFullLayoutOverhead = 5;

} // namespace

bool HasUpdateTag(const uint8_t* data, size_t size, size_t at, const char* tag) {
    return data && at <= size && size - at >= kUpdateTagSize &&
           std::memcmp(data + at, tag, kUpdateTagSize) == 0;
}

uint8_t ControllerCheckByte(const std::vector<uint8_t>& controller) {
    uint8_t x = kCheckByteSeed;
    for (size_t i = kControllerStartSize; i < controller.size(); ++i)
        x ^= controller[i];
    return x;
}

UpdateFileResult ParseUpdateFile(const uint8_t* data, size_t size, UpdateImage& out) {
    out = UpdateImage();
    if (!data || size > kMaxUpdateFileSize) return UpdateFileResult::Refused;
    UpdateImage image;
    size_t counted = size; // the size the progress range counts
    size_t controllerAt = 0;
    if (size >= kFullLayoutSize) {
        if (!HasUpdateTag(data, size, 0, kDspTag)) return UpdateFileResult::Refused;
        image.dsp.assign(data + kUpdateTagSize, data + kUpdateTagSize + kDspImageSize);
        image.hasDsp = true;
        if (HasUpdateTag(data, size, kFullLayoutSize, kMcuTag)) {
            controllerAt = kFullLayoutSize + kUpdateTagSize;
        } else if (size != kFullLayoutSize) {
            // Bytes after the DSP image that no tag announces.
            return UpdateFileResult::Refused;
        }
        counted = size - kFullLayoutOverhead;
    } else {
        if (!HasUpdateTag(data, size, 0, kMcuTag)) return UpdateFileResult::Refused;
        controllerAt = kUpdateTagSize;
    }
    if (controllerAt != 0) {
        // The start step carries 4 start parameters: a shorter part cannot fill it.
        if (size - controllerAt < kControllerStartSize) return UpdateFileResult::Refused;
        image.controller.assign(data + controllerAt, data + size);
        image.hasController = true;
        image.checkByte = ControllerCheckByte(image.controller);
    }
    image.progressRange =
        image.hasDsp
            ? static_cast<unsigned>((counted - kDspImageSize) / kBytesPerStep) + kDspProgressSteps
            : static_cast<unsigned>(counted / kBytesPerStep);
    out = std::move(image);
    return UpdateFileResult::Ok;
}

UpdateFileResult ReadUpdateFile(const std::string& path, UpdateImage& out) {
    out = UpdateImage();
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return UpdateFileResult::CannotOpen;
    const std::streamoff end = file.tellg();
    if (end < 0) return UpdateFileResult::CannotOpen;
    if (static_cast<unsigned long long>(end) > kMaxUpdateFileSize) return UpdateFileResult::Refused;
    std::vector<uint8_t> bytes(static_cast<size_t>(end));
    file.seekg(0);
    if (!bytes.empty() && !file.read(reinterpret_cast<char*>(bytes.data()), end))
        return UpdateFileResult::CannotOpen;
    return ParseUpdateFile(bytes.data(), bytes.size(), out);
}
