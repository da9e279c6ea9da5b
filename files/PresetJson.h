// Preset files on the computer: ".jssh" holds the current settings and the
// system records, ".jsah" the whole device (system records, current settings
// and the six stored presets). Both are cJSON's formatted print of one object,
// XOR-scrambled by position. Plain C++ and cJSON; never Qt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The header every file starts with. Texts are 8-bit bytes as they stand in
// the file (GBK for Chinese); they are never re-encoded.
struct PresetFileHeader {
    // "Varno": the maker.
    std::string makerBrand;
    std::string makerBriefingEn;
    std::string makerBriefingZh;
    std::string makerContacts;
    std::string makerName;
    std::string makerQq;
    std::string makerTel;
    std::string makerWeb;
    std::string makerWeixin;
    // "client": the brand the files belong to.
    std::string clientBrand;
    std::string clientBriefingEn;
    std::string clientBriefingZh;
    std::string clientContacts;
    std::string clientName;
    std::string clientQq;
    std::string clientTel;
    std::string clientWeb;
    std::string clientWeixin;
    // "data_info".
    std::string androidVersion;
    std::string carBrand;
    std::string carType;
    std::string effBriefing;
    int encrypted = 0;
    int encryptionByte = 0;
    std::string groupName;
    int groupNum = 0;
    int headData = 94;
    std::string iosVersion;
    std::string jsonVersion;
    std::string machineType;
    std::string mcuVersion;
    std::string pcVersion;
    std::string uploadTime;
    std::string userInfo;
    std::string userMailbox;
    std::string userName;
    std::string userTel;
    // Root "fileType".
    std::string fileType;

    bool operator==(const PresetFileHeader& o) const;
    bool operator!=(const PresetFileHeader& o) const { return !(*this == o); }
};

enum class PresetFileError {
    None,
    CannotOpen, // missing, unreadable or not a regular file
    TooLarge,   // larger than any preset file can be
    CannotWrite,
    NotJson, // damaged: not one JSON value
    MissingMember,
    WrongType,
    BadValue,      // a number that is not a byte (or not an int in the header)
    WrongClient,   // client brand is not ours
    WrongMachine,  // written for another product
    WrongFileType, // a whole-device file opened as one preset, or the reverse
};

class CPresetJson {
public:
    // Files are scrambled in blocks of this size, byte k of a block XOR k mod 256.
    static constexpr size_t kScrambleBlock = 0x8000;
    // A whole-device file is about 150 KB; anything far larger is not ours and
    // would only cost memory to parse.
    static constexpr size_t kMaxFileSize = 2u * 1024 * 1024;

    CPresetJson();

    // The file commands. Saving reads the globals; loading checks the whole
    // file first and then replaces the image, the records and the header in
    // one step, or changes nothing. On failure Error()/ErrorText() say why.
    bool SavePresetFile(const std::string& path);
    bool LoadPresetFile(const std::string& path);
    bool SaveAllPresetsFile(const std::string& path);
    bool LoadAllPresetsFile(const std::string& path);

    // The same on the file's bytes (scrambled, as stored).
    bool WritePresetBytes(std::string& fileBytes);
    bool WriteAllPresetsBytes(std::string& fileBytes);
    bool ReadPresetBytes(const std::string& fileBytes);
    bool ReadAllPresetsBytes(const std::string& fileBytes);

    // Scrambling is its own inverse.
    static void Scramble(uint8_t* data, size_t n);
    static void Scramble(std::string& data);

    // Kept from the last file read (or the defaults) and written into every
    // file saved; the upload time is renewed by each save.
    PresetFileHeader m_Header;
    // The client brand a file must carry to be read.
    std::string m_RequiredClientBrand = "16";

    PresetFileError Error() const { return m_Error; }
    // Why the last operation failed, in the language of g_LanguageFlag (UTF-8).
    std::string ErrorText() const;
    // The member or value concerned, e.g. data.output.output[3][17].
    const std::string& ErrorDetail() const { return m_ErrorDetail; }

private:
    enum class Kind { Single, Complete };

    bool Write(Kind kind, std::string& fileBytes);
    bool Read(Kind kind, const std::string& fileBytes);
    bool SaveFile(Kind kind, const std::string& path);
    bool LoadFile(Kind kind, const std::string& path);
    bool Fail(PresetFileError error, std::string detail = {});

    PresetFileError m_Error = PresetFileError::None;
    std::string m_ErrorDetail;
};
