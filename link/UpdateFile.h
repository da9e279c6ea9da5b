// The firmware update file (".bin"), read into the two images an update
// sends. Its layout depends on its size S:
//
//   full / DSP only (S >= 0x40004): "WDSP", the 0x3FFFF-byte DSP image, one
//       byte not read, then "WMCU" and the controller part up to the end
//       (a DSP-only file is exactly 0x40004 bytes: no "WMCU", nothing after);
//   controller only (S < 0x40004): "WMCU" and the controller part.
//
// The controller part is 4 start parameters and the controller image; both
// go to the device byte for byte as the file holds them. Any other file (a
// controller part shorter than its start parameters, a full-size file that
// does not begin with "WDSP", bytes after a DSP image without "WMCU") is
// refused before anything is sent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr size_t kDspImageSize = 0x3FFFF;
constexpr size_t kUpdateTagSize = 4;
// "WDSP", the DSP image and the byte after it that is not read.
constexpr size_t kFullLayoutSize = 0x40004;
constexpr size_t kControllerStartSize = 4;
constexpr uint8_t kCheckByteSeed = 0x12;
// A controller's flash is far smaller; a larger file is not an update file.
constexpr size_t kMaxUpdateFileSize = 16u << 20;

struct UpdateImage {
    std::vector<uint8_t> dsp; // the DSP image; empty without a DSP part
    std::vector<uint8_t>
        controller; // start parameters first, then the image; empty without a controller part
    bool hasDsp = false;
    bool hasController = false;
    uint8_t checkByte = kCheckByteSeed; // XOR of every controller image byte, from the seed
    unsigned progressRange = 0;         // the progress range R of the file
    // The update dialog's bar: R plus the steps that carry no data.
    int StepTotal() const { return static_cast<int>(progressRange) + 6; }
};

enum class UpdateFileResult {
    Ok,
    CannotOpen, // the file cannot be opened or read
    Refused,    // not a layout an update file has
};

// Reads the bytes of a whole update file. out is emptied first and stays
// empty unless the file is accepted.
UpdateFileResult ParseUpdateFile(const uint8_t* data, size_t size, UpdateImage& out);
UpdateFileResult ReadUpdateFile(const std::string& path, UpdateImage& out);

// True when the 4 bytes at offset at are the tag ("WDSP" or "WMCU").
bool HasUpdateTag(const uint8_t* data, size_t size, size_t at, const char* tag);
// The check byte of a controller part: the seed XOR every byte after the
// start parameters.
uint8_t ControllerCheckByte(const std::vector<uint8_t>& controller);
