#include "link/HexRecord.h"

#include "model/Globals.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kRecordData = 0;
constexpr int kRecordLinearAddress = 4;
constexpr int kRecordFixedBytes = 5; // count, address high and low, type, checksum
constexpr uint8_t kVersionUpper[2] = {0x08, 0x00};
constexpr unsigned kVersionDataAddress = 0x8000;
constexpr uint8_t kExpectedLocation[4] = {0x08, 0x00, 0x50, 0x00};
constexpr char kVersionFamily[] = "VELK-FV1";
constexpr size_t kVersionFamilyLength = 8;
constexpr size_t kVersionShown = 12;

const BiText kFileErrorText{"更新文件错误!", "Update file is error!"};
const BiText kVersionErrorText{"更新版本错误!", "Update version error!"};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

void CHexRecordReader::ResetHexParseState() {
    *this = CHexRecordReader();
}

bool CHexRecordReader::ParseHexRecord(const std::string& line, int mode,
                                      std::vector<uint8_t>& controller) {
    // Line ends and trailing blanks are not part of the record.
    size_t end = line.size();
    while (end > 0 && (line[end - 1] == '\r' || line[end - 1] == '\n' || line[end - 1] == ' ' ||
                       line[end - 1] == '\t'))
        --end;
    if (end < 1 || (end - 1) % 2 != 0) return false;
    const size_t pairs = (end - 1) / 2;
    if (pairs < kRecordFixedBytes) return false;
    std::vector<uint8_t> bytes(pairs);
    for (size_t i = 0; i < pairs; ++i) {
        const int hi = HexDigit(line[1 + 2 * i]);
        const int lo = HexDigit(line[2 + 2 * i]);
        if (hi < 0 || lo < 0) return false;
        bytes[i] = static_cast<uint8_t>(hi * 16 + lo);
    }
    // The byte count must account for exactly the pairs the line holds.
    const size_t n = bytes[0];
    if (pairs != n + kRecordFixedBytes) return false;
    uint8_t sum = 0;
    for (uint8_t b : bytes)
        sum = static_cast<uint8_t>(sum + b);
    if (sum != 0) return false;

    const uint8_t addressHigh = bytes[1];
    const uint8_t addressLow = bytes[2];
    const int type = bytes[3];
    const uint8_t* data = bytes.data() + 4;
    auto dataByte = [&](size_t i) -> uint8_t { return i < n ? data[i] : 0; };

    startCode_ = line[0];
    if (mode == 0) firstPair_ = {dataByte(0), dataByte(1)};
    if (mode == 1) {
        controller.push_back(addressHigh);
        controller.push_back(addressLow);
        secondPair_ = {addressHigh, addressLow};
    }
    if (type == kRecordData) {
        controller.insert(controller.end(), data, data + n);
        lastDataAddress_ = static_cast<unsigned>(addressHigh) << 8 | addressLow;
    } else if (type == kRecordLinearAddress) {
        if (mode == 0) controller.insert(controller.end(), data, data + n);
        upper_ = {dataByte(0), dataByte(1)};
    }
    if (upper_[0] == kVersionUpper[0] && upper_[1] == kVersionUpper[1] &&
        lastDataAddress_ == kVersionDataAddress) {
        versionLocation_ = {firstPair_[0], firstPair_[1], secondPair_[0], secondPair_[1]};
        versionText_.fill(0);
        std::copy_n(data, std::min<size_t>(n, kVersionTextSize), versionText_.begin());
    }
    ++recordCount_;
    return true;
}

std::string CHexRecordReader::VersionText() const {
    const auto zero = std::find(versionText_.begin(), versionText_.end(), 0);
    return std::string(versionText_.begin(), zero);
}

bool CHexRecordReader::ConfirmUpdateVersion(const VersionPromptFn& prompt) const {
    auto say = [&](const char* text) {
        if (prompt) prompt({text, false});
        return false;
    };
    if (std::memcmp(versionLocation_.data(), kExpectedLocation, sizeof kExpectedLocation) != 0)
        return say(kFileErrorText.Pick());
    const std::string version = VersionText();
    if (version.compare(0, kVersionFamilyLength, kVersionFamily) != 0)
        return say(kVersionErrorText.Pick());
    const std::string shown = version.substr(0, kVersionShown);
    const std::string question = g_LanguageFlag.load() ? "是否将当前固件更新到" + shown + "版本?"
                                                       : "Firmware Update to" + shown + "?";
    return prompt && prompt({question, true});
}
