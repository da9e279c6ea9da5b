// Runs a fuzz target's entry point once over every file given, or every file
// of every folder given (in name order), without libFuzzer: the seed corpora
// become ordinary tests of every build. A target stops the run (abort or a
// sanitizer report) where its input breaks it.
//   <target>_replay PATH...
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

namespace {

bool Collect(const fs::path& path, std::vector<fs::path>& files) {
    std::error_code ec;
    if (fs::is_regular_file(path, ec)) {
        files.push_back(path);
        return true;
    }
    if (!fs::is_directory(path, ec)) return false;
    std::vector<fs::path> found;
    for (const fs::directory_entry& e : fs::directory_iterator(path, ec))
        if (e.is_regular_file()) found.push_back(e.path());
    if (ec) return false;
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        if (!Collect(argv[i], files)) {
            std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[i]);
            return 2;
        }
    }
    // An empty corpus proves nothing: a misspelt folder must not pass.
    if (files.empty()) {
        std::fprintf(stderr, "%s: no inputs\n", argv[0]);
        return 2;
    }
    for (const fs::path& f : files) {
        std::ifstream in(f, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "%s: cannot read %s\n", argv[0], f.c_str());
            return 2;
        }
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        std::printf("%s (%zu bytes)\n", f.c_str(), bytes.size());
        std::fflush(stdout); // the name stays on record if the input breaks the target
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("%zu inputs replayed\n", files.size());
    return 0;
}
