// lumara-sim-update: writes a firmware update file that the simulated device
// takes, for trying the update dialog without a maker's file.
//
//   lumara-sim-update [--dsp] [--controller BYTES] FILE
//
// The file's layout: "WMCU", 4 controller start parameters and the
// controller image; with --dsp first "WDSP", the whole DSP image (0x3FFFF
// bytes) and one byte that is not read. The images are a fixed pattern in
// which every byte differs from its neighbours. The simulated device checks
// the steps, not what the images hold.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t kDspImageSize = 0x3FFFF;
constexpr size_t kDefaultControllerBytes = 1024;
constexpr size_t kMaxControllerBytes = 1u << 20;
constexpr uint8_t kStartParameters[4] = {0x00, 0x80, 0x00, 0x08};

constexpr const char kUsage[] =
    "usage: lumara-sim-update [--dsp] [--controller BYTES] [--help] FILE\n"
    "Writes a firmware update file (.bin) that the simulated device (lumara-sim) takes.\n"
    "  --dsp               a DSP image too (262143 bytes: the update takes some 6000 steps)\n"
    "  --controller BYTES  the controller image's size (default 1024; 0 with --dsp: DSP only)\n"
    "  --help              this text\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// Bytes that differ from their neighbours, so that a lost or shifted step shows.
void AppendPattern(std::vector<uint8_t>& out, size_t n, uint32_t seed) {
    uint32_t x = seed;
    for (size_t i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out.push_back(static_cast<uint8_t>(x));
    }
}

void AppendTag(std::vector<uint8_t>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

} // namespace

int main(int argc, char** argv) {
    bool dsp = false;
    long controller = static_cast<long>(kDefaultControllerBytes);
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--dsp") {
            dsp = true;
        } else if (a == "--controller") {
            if (i + 1 >= argc) return Usage();
            char* end = nullptr;
            controller = std::strtol(argv[++i], &end, 10);
            if (*end || end == argv[i] || controller < 0 ||
                controller > static_cast<long>(kMaxControllerBytes))
                return Usage();
        } else if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (!a.empty() && a[0] != '-' && !path) {
            path = argv[i];
        } else {
            return Usage();
        }
    }
    // A file needs one image at least.
    if (!path || (!dsp && controller == 0)) return Usage();

    std::vector<uint8_t> file;
    if (dsp) {
        AppendTag(file, "WDSP");
        AppendPattern(file, kDspImageSize, 0x2545F491u);
        file.push_back(0xFF); // the byte after the image, not read
    }
    if (controller > 0) {
        AppendTag(file, "WMCU");
        file.insert(file.end(), std::begin(kStartParameters), std::end(kStartParameters));
        AppendPattern(file, static_cast<size_t>(controller), 0x9E3779B9u);
    }

    FILE* f = std::fopen(path, "wb");
    if (!f) {
        std::fprintf(stderr, "lumara-sim-update: cannot write %s: %s\n", path,
                     std::strerror(errno));
        return 1;
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    if (std::fclose(f) != 0 || !written) {
        std::fprintf(stderr, "lumara-sim-update: cannot write %s: %s\n", path,
                     std::strerror(errno));
        return 1;
    }
    std::printf("%s: %zu bytes, DSP image %zu bytes, controller image %ld bytes\n", path,
                file.size(), dsp ? kDspImageSize : size_t{0}, controller);
    return 0;
}
