// Update files for tests and benchmarks, built from the file layout: "WDSP"
// and a 0x3FFFF-byte DSP image (and one byte not read), then "WMCU" and the
// controller part; or "WMCU" and the controller part alone.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Bytes that differ from their neighbours, so that a shifted byte shows.
inline std::vector<uint8_t> FirmwareBytes(size_t n, unsigned seed = 1) {
    std::vector<uint8_t> out(n);
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        out[i] = static_cast<uint8_t>(x >> 16);
    }
    return out;
}

inline void AppendTag(std::vector<uint8_t>& file, const char* tag) {
    file.insert(file.end(), tag, tag + 4);
}

// "WDSP", the DSP image (0x3FFFF bytes), the byte not read, then "WMCU" and
// the controller part when there is one.
inline std::vector<uint8_t> FullUpdateFile(const std::vector<uint8_t>& dsp,
                                           const std::vector<uint8_t>* controllerPart) {
    std::vector<uint8_t> file;
    AppendTag(file, "WDSP");
    file.insert(file.end(), dsp.begin(), dsp.end());
    file.push_back(0xEE); // never read
    if (controllerPart) {
        AppendTag(file, "WMCU");
        file.insert(file.end(), controllerPart->begin(), controllerPart->end());
    }
    return file;
}

inline std::vector<uint8_t> ControllerUpdateFile(const std::vector<uint8_t>& controllerPart) {
    std::vector<uint8_t> file;
    AppendTag(file, "WMCU");
    file.insert(file.end(), controllerPart.begin(), controllerPart.end());
    return file;
}

// A controller part: 4 start parameters, then an image of n bytes.
inline std::vector<uint8_t> ControllerPart(size_t imageBytes, unsigned seed = 7) {
    std::vector<uint8_t> part = {0x00, 0x80, 0x00, 0x08};
    const auto image = FirmwareBytes(imageBytes, seed);
    part.insert(part.end(), image.begin(), image.end());
    return part;
}

// The bytes of a file; none when it cannot be read.
inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    uint8_t chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
    return bytes;
}

inline bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
