// The reader of single Intel HEX records and the version confirmation built
// on it. The update itself sends the update file's bytes as they are; these
// read a controller image written as HEX text and find the version the
// image carries.
//
// A record line: a start code, then pairs of hexadecimal digits: byte count
// n, address high and low, record type, n data bytes, checksum (the record's
// bytes sum to 0). A record that does not hold all of that, or whose sum is
// not 0, is refused and changes nothing.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What the version confirmation says (question false: a message with OK) or
// asks (question true: Yes and No). The engine shows nothing itself: the
// caller's prompt shows it, under the prompt caption of the language, and
// answers true for Yes.
struct VersionPrompt {
    std::string text;
    bool question = false;
};
using VersionPromptFn = std::function<bool(const VersionPrompt&)>;

class CHexRecordReader {
public:
    static constexpr int kVersionTextSize = 11;

    // Forgets the pairs, the addresses, the record count and the version.
    void ResetHexParseState();

    // Reads one record. Mode 0 keeps data bytes 0 and 1 as the first pair;
    // mode 1 appends the address bytes to controller and keeps them as the
    // second pair. A data record (type 0) appends its data to controller and
    // keeps its address as the last data address; an extended linear address
    // (type 4) appends its data in mode 0 only and becomes the upper address;
    // other types are read and not used. Where the upper address is 08 00
    // and the last data address 80 00, the pairs become the version location
    // and the record's first 11 data bytes the version text.
    // False, with nothing changed, for a malformed record.
    bool ParseHexRecord(const std::string& line, int mode, std::vector<uint8_t>& controller);

    // Asks through prompt whether to update to the version found; a wrong
    // location or version family is said and answered false.
    bool ConfirmUpdateVersion(const VersionPromptFn& prompt) const;

    char StartCode() const { return startCode_; }
    const std::array<uint8_t, 2>& FirstPair() const { return firstPair_; }
    const std::array<uint8_t, 2>& SecondPair() const { return secondPair_; }
    const std::array<uint8_t, 2>& UpperAddress() const { return upper_; }
    unsigned LastDataAddress() const { return lastDataAddress_; }
    const std::array<uint8_t, 4>& VersionLocation() const { return versionLocation_; }
    // The version text: up to 11 characters.
    std::string VersionText() const;
    int RecordCount() const { return recordCount_; }

private:
    char startCode_ = 0;
    std::array<uint8_t, 2> firstPair_{};
    std::array<uint8_t, 2> secondPair_{};
    std::array<uint8_t, 2> upper_{};
    unsigned lastDataAddress_ = 0;
    std::array<uint8_t, 4> versionLocation_{};
    std::array<uint8_t, kVersionTextSize> versionText_{};
    int recordCount_ = 0;
};
