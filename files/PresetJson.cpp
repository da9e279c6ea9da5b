#include "files/PresetJson.h"

#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/TextCodec.h"

#include <cjson/cJSON.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// ---------------------------------------------------------------------------
// Header layout: keys in file order and the record member each one fills
// ---------------------------------------------------------------------------

using TextMember = std::string PresetFileHeader::*;
using IntMember = int PresetFileHeader::*;

struct TextField {
    const char* key;
    TextMember member;
};

// "Varno" and "client" share their keys.
constexpr const char* kCompanyKeys[9] = {
    "company_brand",    "company_briefing_en", "company_briefing_zh",
    "company_contacts", "company_name",        "company_qq",
    "company_tel",      "company_web",         "company_weixin",
};
constexpr TextMember kMakerMembers[9] = {
    &PresetFileHeader::makerBrand,      &PresetFileHeader::makerBriefingEn,
    &PresetFileHeader::makerBriefingZh, &PresetFileHeader::makerContacts,
    &PresetFileHeader::makerName,       &PresetFileHeader::makerQq,
    &PresetFileHeader::makerTel,        &PresetFileHeader::makerWeb,
    &PresetFileHeader::makerWeixin,
};
constexpr TextMember kClientMembers[9] = {
    &PresetFileHeader::clientBrand,      &PresetFileHeader::clientBriefingEn,
    &PresetFileHeader::clientBriefingZh, &PresetFileHeader::clientContacts,
    &PresetFileHeader::clientName,       &PresetFileHeader::clientQq,
    &PresetFileHeader::clientTel,        &PresetFileHeader::clientWeb,
    &PresetFileHeader::clientWeixin,
};

enum class InfoType { Text, Flag, Int };
struct InfoField {
    const char* key;
    InfoType type;
    TextMember text;
    IntMember number;
};
constexpr InfoField kInfoFields[19] = {
    {"data_android_version", InfoType::Text, &PresetFileHeader::androidVersion, nullptr},
    {"data_car_brand", InfoType::Text, &PresetFileHeader::carBrand, nullptr},
    {"data_car_type", InfoType::Text, &PresetFileHeader::carType, nullptr},
    {"data_eff_briefing", InfoType::Text, &PresetFileHeader::effBriefing, nullptr},
    {"data_encryption_bool", InfoType::Flag, nullptr, &PresetFileHeader::encrypted},
    {"data_encryption_byte", InfoType::Int, nullptr, &PresetFileHeader::encryptionByte},
    {"data_group_name", InfoType::Text, &PresetFileHeader::groupName, nullptr},
    {"data_group_num", InfoType::Int, nullptr, &PresetFileHeader::groupNum},
    {"data_head_data", InfoType::Int, nullptr, &PresetFileHeader::headData},
    {"data_ios_version", InfoType::Text, &PresetFileHeader::iosVersion, nullptr},
    {"data_json_version", InfoType::Text, &PresetFileHeader::jsonVersion, nullptr},
    {"data_machine_type", InfoType::Text, &PresetFileHeader::machineType, nullptr},
    {"data_mcu_version", InfoType::Text, &PresetFileHeader::mcuVersion, nullptr},
    {"data_pc_version", InfoType::Text, &PresetFileHeader::pcVersion, nullptr},
    {"data_upload_time", InfoType::Text, &PresetFileHeader::uploadTime, nullptr},
    {"data_user_info", InfoType::Text, &PresetFileHeader::userInfo, nullptr},
    {"data_user_mailbox", InfoType::Text, &PresetFileHeader::userMailbox, nullptr},
    {"data_user_name", InfoType::Text, &PresetFileHeader::userName, nullptr},
    {"data_user_tel", InfoType::Text, &PresetFileHeader::userTel, nullptr},
};

constexpr const char* kFileTypeSingle = "single";
constexpr const char* kFileTypeComplete = "complete";

// ---------------------------------------------------------------------------
// System arrays: key, number of values written, and where they come from
// ---------------------------------------------------------------------------

enum class SysSource { Block52, Zeros, Block2, Block64, Block5, OutputMap };
struct SysArray {
    const char* key;
    int written;
    SysSource source;
};
constexpr SysArray kSysArrays[8] = {
    {"cur_password_data", 8, SysSource::Block52},
    {"eff_group_name", 16, SysSource::Zeros},
    {"out_led", 16, SysSource::Zeros},
    {"pc_source_set", 8, SysSource::Block2},
    {"sound_delay_field", 50, SysSource::Block64},
    {"system_data", 8, SysSource::Block5},
    {"system_group_name", 16, SysSource::Zeros},
    {"system_spk_type", 16, SysSource::OutputMap},
};

// A file carries only the first 112 bytes of each music input block.
constexpr int kMusicBytesWritten = 112;
constexpr int kCompletePresetCount = 1 + kStoredPresetCount;

// The globals a save reads, copied under the device lock.
struct Snapshot {
    uint8_t image[kParamBlockSize];
    uint8_t presets[kStoredPresetCount][kParamBlockSize];
    uint8_t sys52[8];
    uint8_t sys2[8];
    uint8_t sys64[sizeof SystemRecordBytes::pageTable];
    uint8_t sys5[8];
    uint8_t outputMap[16];

    void Take(bool withPresets) {
        DeviceLockGuard lock(g_DeviceLock);
        std::memcpy(image, g_ParamImage, sizeof image);
        if (withPresets) std::memcpy(presets, g_PcPresets, sizeof presets);
        const CDeviceRecords& rec = g_DeviceRecords;
        rec.CopyRecord(kRecordPresetSelect, sys52, sizeof sys52);
        rec.CopyRecord(kRecordSources, sys2, sizeof sys2);
        rec.CopyRecord(kRecordPageTable, sys64, sizeof sys64);
        rec.CopyRecord(kRecordMaster, sys5, sizeof sys5);
        rec.CopyRecord(kRecordOutputMapA, outputMap, 8);
        rec.CopyRecord(kRecordOutputMapB, outputMap + 8, 8);
    }
    const uint8_t* Preset(int k) const { return k == 0 ? image : presets[k - 1]; }
    const uint8_t* System(SysSource s) const {
        static const uint8_t zeros[16] = {};
        switch (s) {
        case SysSource::Block52:
            return sys52;
        case SysSource::Block2:
            return sys2;
        case SysSource::Block64:
            return sys64;
        case SysSource::Block5:
            return sys5;
        case SysSource::OutputMap:
            return outputMap;
        case SysSource::Zeros:
            break;
        }
        return zeros;
    }
};

// Bytes a load will store: the first bytes.size() bytes at dest, or at the
// start of a system record when dest is null.
struct Patch {
    uint8_t* dest;
    std::vector<uint8_t> bytes;
    int record = -1;
};

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------

// Builds the tree; any allocation failure is remembered and fails the save.
class TreeBuilder {
public:
    bool ok = true;

    cJSON* Add(cJSON* parent, const char* key, cJSON* item) {
        const bool added = item && (key ? cJSON_AddItemToObject(parent, key, item)
                                        : cJSON_AddItemToArray(parent, item));
        if (!added) {
            cJSON_Delete(item);
            ok = false;
            return nullptr;
        }
        return item;
    }
    cJSON* Object(cJSON* parent, const char* key) { return Add(parent, key, cJSON_CreateObject()); }
    cJSON* Array(cJSON* parent, const char* key) { return Add(parent, key, cJSON_CreateArray()); }
    void Text(cJSON* parent, const char* key, const std::string& s) {
        Add(parent, key, cJSON_CreateString(s.c_str()));
    }
    void Bytes(cJSON* parent, const char* key, const uint8_t* p, int n) {
        std::array<int, kOutputBlockSize> values{};
        for (int i = 0; i < n; ++i)
            values[static_cast<size_t>(i)] = p[i];
        Add(parent, key, cJSON_CreateIntArray(values.data(), n));
    }

    void Header(cJSON* root, const PresetFileHeader& h) {
        if (cJSON* maker = Object(root, "Varno"))
            for (int i = 0; i < 9; ++i)
                Text(maker, kCompanyKeys[i], h.*kMakerMembers[i]);
        if (cJSON* client = Object(root, "client"))
            for (int i = 0; i < 9; ++i)
                Text(client, kCompanyKeys[i], h.*kClientMembers[i]);
        cJSON* info = Object(root, "data_info");
        if (!info) return;
        for (const InfoField& f : kInfoFields) {
            switch (f.type) {
            case InfoType::Text:
                Text(info, f.key, h.*f.text);
                break;
            // Files are never written encrypted, whatever the last one read said.
            case InfoType::Flag:
                Add(info, f.key, cJSON_CreateFalse());
                break;
            case InfoType::Int:
                Add(info, f.key, cJSON_CreateNumber(h.*f.number));
                break;
            }
        }
    }

    void System(cJSON* parent, const Snapshot& s) {
        cJSON* sys = Object(parent, "system");
        if (!sys) return;
        for (const SysArray& a : kSysArrays)
            Bytes(sys, a.key, s.System(a.source), a.written);
    }

    // group_name, music, output of one parameter block.
    void PresetData(cJSON* data, const uint8_t* block) {
        Bytes(data, "group_name", block + kPresetNameOffset, kPresetNameSize);
        if (cJSON* music = Object(data, "music"))
            if (cJSON* inputs = Array(music, "music"))
                for (int g = 0; g < kMusicInputCount; ++g)
                    Bytes(inputs, nullptr, MusicInBlock(g, const_cast<uint8_t*>(block)),
                          kMusicBytesWritten);
        if (cJSON* output = Object(data, "output"))
            if (cJSON* outputs = Array(output, "output"))
                for (int g = 0; g < kOutputCount; ++g)
                    Bytes(outputs, nullptr, OutputBlock(g, const_cast<uint8_t*>(block)),
                          kOutputBlockSize);
    }
    void AddPresetData(cJSON* array, const Snapshot& s, int k) {
        if (cJSON* data = Add(array, nullptr, cJSON_CreateObject())) PresetData(data, s.Preset(k));
    }
};

std::string LocalTimeText() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    char text[64];
    std::snprintf(text, sizeof text, "%4d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

// ---------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------

struct ReadError {
    PresetFileError code = PresetFileError::None;
    std::string detail;
    bool Set(PresetFileError c, std::string d) {
        code = c;
        detail = std::move(d);
        return false;
    }
};

std::string Indexed(const std::string& path, size_t i) {
    return path + "[" + std::to_string(i) + "]";
}
std::string Joined(const std::string& path, const char* key) {
    return path.empty() ? key : path + "." + key;
}

using TypeTest = cJSON_bool (*)(const cJSON*);

// The member key of obj, which must exist and pass the type test.
const cJSON* Need(const cJSON* obj, const char* key, TypeTest isType, const std::string& path,
                  ReadError& e) {
    const cJSON* item = cJSON_GetObjectItemCaseSensitive(obj, key);
    if (!item) {
        e.Set(PresetFileError::MissingMember, Joined(path, key));
        return nullptr;
    }
    if (!isType(item)) {
        e.Set(PresetFileError::WrongType, Joined(path, key));
        return nullptr;
    }
    return item;
}

// Up to limit values of a byte array. Values are bytes as unsigned (0..255)
// or signed (-128..-1) numbers; the low byte is stored. Elements past the
// limit are not looked at.
bool ReadBytes(const cJSON* array, size_t limit, const std::string& path, std::vector<uint8_t>& out,
               ReadError& e) {
    if (!cJSON_IsArray(array)) return e.Set(PresetFileError::WrongType, path);
    out.clear();
    out.reserve(limit);
    size_t i = 0;
    for (const cJSON* it = array->child; it && i < limit; it = it->next, ++i) {
        if (!cJSON_IsNumber(it)) return e.Set(PresetFileError::WrongType, Indexed(path, i));
        const double v = it->valuedouble;
        if (!(v >= -128.0 && v <= 255.0) || v != std::floor(v))
            return e.Set(PresetFileError::BadValue, Indexed(path, i));
        out.push_back(static_cast<uint8_t>(static_cast<int>(v) & 0xFF));
    }
    return true;
}

bool ReadInt(const cJSON* item, int& out) {
    const double v = item->valuedouble;
    if (!(v >= INT_MIN && v <= INT_MAX) || v != std::floor(v)) return false;
    out = static_cast<int>(v);
    return true;
}

bool ReadCompany(const cJSON* root, const char* key, const TextMember (&members)[9],
                 PresetFileHeader& h, ReadError& e) {
    const cJSON* obj = Need(root, key, cJSON_IsObject, "", e);
    if (!obj) return false;
    for (int i = 0; i < 9; ++i) {
        const cJSON* s = Need(obj, kCompanyKeys[i], cJSON_IsString, key, e);
        if (!s) return false;
        h.*members[i] = s->valuestring;
    }
    return true;
}

bool ReadHeader(const cJSON* root, PresetFileHeader& h, ReadError& e) {
    if (!ReadCompany(root, "Varno", kMakerMembers, h, e) ||
        !ReadCompany(root, "client", kClientMembers, h, e))
        return false;
    const cJSON* info = Need(root, "data_info", cJSON_IsObject, "", e);
    if (!info) return false;
    for (const InfoField& f : kInfoFields) {
        switch (f.type) {
        case InfoType::Text: {
            const cJSON* s = Need(info, f.key, cJSON_IsString, "data_info", e);
            if (!s) return false;
            h.*f.text = s->valuestring;
            break;
        }
        case InfoType::Flag: {
            const cJSON* b = Need(info, f.key, cJSON_IsBool, "data_info", e);
            if (!b) return false;
            h.*f.number = cJSON_IsTrue(b) ? 1 : 0;
            break;
        }
        case InfoType::Int: {
            const cJSON* n = Need(info, f.key, cJSON_IsNumber, "data_info", e);
            if (!n) return false;
            if (!ReadInt(n, h.*f.number))
                return e.Set(PresetFileError::BadValue, Joined("data_info", f.key));
            break;
        }
        }
    }
    const cJSON* type = Need(root, "fileType", cJSON_IsString, "", e);
    if (!type) return false;
    h.fileType = type->valuestring;
    return true;
}

// A header text quoted for a message (the file's bytes are GBK).
std::string Quoted(const char* key, const std::string& value) {
    return std::string(key) + " = \"" + GbkToUtf8(value) + "\"";
}

} // namespace

// ---------------------------------------------------------------------------
// CPresetJson
// ---------------------------------------------------------------------------

bool PresetFileHeader::operator==(const PresetFileHeader& o) const {
    for (int i = 0; i < 9; ++i)
        if (this->*kMakerMembers[i] != o.*kMakerMembers[i] ||
            this->*kClientMembers[i] != o.*kClientMembers[i])
            return false;
    for (const InfoField& f : kInfoFields) {
        if (f.text && this->*f.text != o.*f.text) return false;
        if (f.number && this->*f.number != o.*f.number) return false;
    }
    return fileType == o.fileType;
}

CPresetJson::CPresetJson() {
    PresetFileHeader& h = m_Header;
    h.makerBrand = "Varno";
    h.makerBriefingEn = "Varno designs and builds digital signal processors for car audio.";
    // "瓦尔诺设计并制造汽车音响数字信号处理器。"
    h.makerBriefingZh =
        "\xCD\xDF\xB6\xFB\xC5\xB5\xC9\xE8\xBC\xC6\xB2\xA2\xD6\xC6\xD4\xEC\xC6\xFB\xB3\xB5"
        "\xD2\xF4\xCF\xEC\xCA\xFD\xD7\xD6\xD0\xC5\xBA\xC5\xB4\xA6\xC0\xED\xC6\xF7\xA1\xA3";
    h.makerContacts = "Chen Wei";
    // "瓦尔诺电子科技有限公司"
    h.makerName =
        "\xCD\xDF\xB6\xFB\xC5\xB5\xB5\xE7\xD7\xD3\xBF\xC6\xBC\xBC\xD3\xD0\xCF\xDE\xB9\xAB\xCB\xBE";
    h.makerQq = "800012345";
    h.makerTel = "020-00000000";
    h.makerWeb = "www.varno.example";
    h.makerWeixin = "VARNO";
    h.clientBrand = "16";
    h.clientBriefingEn = "VN";
    h.clientBriefingZh = "\xC9\xF9\xD4\xC3"; // "声悦"
    h.clientContacts = "000-00000000";
    h.clientName = "\xC9\xF9\xD4\xC3";
    h.clientQq = "QQ";
    h.clientTel = "000-00000000";
    h.clientWeb = "www.example.com";
    h.clientWeixin = "WEIXIN";
    h.androidVersion = "Android-V1.00";
    h.carBrand = "2016-02-30";
    h.carType = "\xCA\xBE\xC0\xFD\xB3\xB5\xD0\xCD"; // "示例车型"
    h.effBriefing = "\xC4\xBE\xBC\xAA\xCB\xFB";     // "木吉他"
    h.encrypted = 0;
    h.encryptionByte = 0;
    h.groupName = "Share";
    h.groupNum = 0;
    h.headData = 94;
    h.iosVersion = "iOS-V1.00";
    h.jsonVersion = "Varno-JSON_V1.00";
    h.machineType = g_ModelName;
    h.mcuVersion = "MCU-V1.00";
    h.pcVersion = "PC-V1.00";
    h.userInfo = "VN";
    h.userName = "Chen Wei";
    h.userTel = "020-00000000";
    h.fileType = kFileTypeSingle;
}

void CPresetJson::Scramble(uint8_t* data, size_t n) {
    for (size_t block = 0; block < n; block += kScrambleBlock) {
        const size_t end = n - block < kScrambleBlock ? n : block + kScrambleBlock;
        for (size_t p = block; p < end; ++p)
            data[p] ^= static_cast<uint8_t>((p - block) & 0xFF);
    }
}

void CPresetJson::Scramble(std::string& data) {
    Scramble(reinterpret_cast<uint8_t*>(data.data()), data.size());
}

bool CPresetJson::Fail(PresetFileError error, std::string detail) {
    m_Error = error;
    m_ErrorDetail = std::move(detail);
    return false;
}

std::string CPresetJson::ErrorText() const {
    struct Text {
        PresetFileError code;
        BiText text;
    };
    static const Text texts[] = {
        {PresetFileError::CannotOpen, {"无法打开文件。", "The file cannot be opened."}},
        {PresetFileError::TooLarge,
         {"文件太大, 不是场景文件。", "The file is too large to be a preset file."}},
        {PresetFileError::CannotWrite, {"无法写入文件。", "The file cannot be written."}},
        {PresetFileError::NotJson, {"文件已损坏。", "The file is damaged."}},
        {PresetFileError::MissingMember, {"文件缺少项目:", "The file lacks an entry:"}},
        {PresetFileError::WrongType,
         {"文件项目类型错误:", "An entry of the file has the wrong type:"}},
        {PresetFileError::BadValue,
         {"文件项目数值超出范围:", "An entry of the file is out of range:"}},
        {PresetFileError::WrongClient,
         {"文件属于其他品牌。", "The file belongs to another brand."}},
        {PresetFileError::WrongMachine,
         {"文件不是本机型的。", "The file was made for another machine."}},
        {PresetFileError::WrongFileType,
         {"文件的场景类型不符。",
          "The file holds the other kind of presets (one preset / whole device)."}},
    };
    for (const Text& t : texts) {
        if (t.code != m_Error) continue;
        std::string text = t.text.Pick();
        if (!m_ErrorDetail.empty()) text += " " + m_ErrorDetail;
        return text;
    }
    return {};
}

// ---------------------------------------------------------------------------
// Saving
// ---------------------------------------------------------------------------

bool CPresetJson::WritePresetBytes(std::string& fileBytes) {
    return Write(Kind::Single, fileBytes);
}
bool CPresetJson::WriteAllPresetsBytes(std::string& fileBytes) {
    return Write(Kind::Complete, fileBytes);
}

bool CPresetJson::Write(Kind kind, std::string& fileBytes) {
    m_Error = PresetFileError::None;
    m_ErrorDetail.clear();
    auto snapshot = std::make_unique<Snapshot>();
    snapshot->Take(kind == Kind::Complete);
    m_Header.uploadTime = LocalTimeText();

    std::unique_ptr<cJSON, void (*)(cJSON*)> root(cJSON_CreateObject(), cJSON_Delete);
    if (!root) return Fail(PresetFileError::CannotWrite, "out of memory");
    TreeBuilder b;
    b.Header(root.get(), m_Header);
    if (kind == Kind::Single) {
        if (cJSON* data = b.Object(root.get(), "data")) {
            b.PresetData(data, snapshot->image);
            b.System(data, *snapshot);
        }
        b.Text(root.get(), "fileType", kFileTypeSingle);
    } else {
        b.Text(root.get(), "fileType", kFileTypeComplete);
        b.System(root.get(), *snapshot);
        if (cJSON* data = b.Array(root.get(), "data"))
            for (int k = 0; k < kCompletePresetCount; ++k)
                b.AddPresetData(data, *snapshot, k);
    }
    if (!b.ok) return Fail(PresetFileError::CannotWrite, "out of memory");

    std::unique_ptr<char, void (*)(void*)> text(cJSON_Print(root.get()), cJSON_free);
    if (!text) return Fail(PresetFileError::CannotWrite, "out of memory");
    fileBytes.assign(text.get());
    Scramble(fileBytes);
    return true;
}

namespace {

// Writes next to the file and renames over it, so that a failed write (a full
// disk, a pulled USB stick) leaves the old file intact.
bool ReplaceFile(const std::string& path, const std::string& bytes, std::string& why) {
    std::string target = path;
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    const bool exists = stat(target.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        why = "not a regular file";
        return false;
    }

    static std::atomic<unsigned> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = target + ".~" + std::to_string(getpid()) + "-" + std::to_string(counter++);
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    if (exists) (void)fchmod(fd, st.st_mode & 07777);

    bool ok = true;
    for (size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            ok = false;
    }
    ok = ok && fsync(fd) == 0;
    if (!ok) why = std::strerror(errno);
    if (close(fd) != 0 && ok) {
        ok = false;
        why = std::strerror(errno);
    }
    if (ok && rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        why = std::strerror(errno);
    }
    if (!ok) unlink(temp.c_str());
    return ok;
}

} // namespace

bool CPresetJson::SaveFile(Kind kind, const std::string& path) {
    std::string bytes;
    if (!Write(kind, bytes)) return false;
    std::string why;
    if (!ReplaceFile(path, bytes, why)) return Fail(PresetFileError::CannotWrite, why);
    return true;
}

bool CPresetJson::SavePresetFile(const std::string& path) {
    return SaveFile(Kind::Single, path);
}
bool CPresetJson::SaveAllPresetsFile(const std::string& path) {
    return SaveFile(Kind::Complete, path);
}

// ---------------------------------------------------------------------------
// Loading
// ---------------------------------------------------------------------------

bool CPresetJson::ReadPresetBytes(const std::string& fileBytes) {
    return Read(Kind::Single, fileBytes);
}
bool CPresetJson::ReadAllPresetsBytes(const std::string& fileBytes) {
    return Read(Kind::Complete, fileBytes);
}

namespace {

// Collects what a file would store; nothing is written here.
class PresetFileParser {
public:
    ReadError error;
    std::vector<Patch> patches;

    bool Add(uint8_t* dest, const cJSON* array, size_t limit, const std::string& path,
             int record = -1) {
        Patch p{dest, {}, record};
        if (!ReadBytes(array, limit, path, p.bytes, error)) return false;
        if (!p.bytes.empty()) patches.push_back(std::move(p));
        return true;
    }

    // Up to count arrays of up to width values each, into consecutive blocks.
    bool AddBlocks(uint8_t* first, size_t stride, size_t count, size_t width, const cJSON* arrays,
                   const std::string& path) {
        if (!cJSON_IsArray(arrays)) return error.Set(PresetFileError::WrongType, path);
        size_t g = 0;
        for (const cJSON* it = arrays->child; it && g < count; it = it->next, ++g)
            if (!Add(first + g * stride, it, width, Indexed(path, g))) return false;
        return true;
    }

    // group_name, music and output of one preset into block.
    bool PresetData(const cJSON* data, uint8_t* block, const std::string& path) {
        const cJSON* name = Need(data, "group_name", cJSON_IsArray, path, error);
        if (!name ||
            !Add(block + kPresetNameOffset, name, kPresetNameSize, Joined(path, "group_name")))
            return false;

        const std::string musicPath = Joined(path, "music");
        const cJSON* music = Need(data, "music", cJSON_IsObject, path, error);
        const cJSON* inputs =
            music ? Need(music, "music", cJSON_IsArray, musicPath, error) : nullptr;
        if (!inputs || !AddBlocks(MusicInBlock(0, block), kMusicBlockSize, kMusicInputCount,
                                  kMusicBlockSize, inputs, Joined(musicPath, "music")))
            return false;

        const std::string outputPath = Joined(path, "output");
        const cJSON* output = Need(data, "output", cJSON_IsObject, path, error);
        const cJSON* outputs =
            output ? Need(output, "output", cJSON_IsArray, outputPath, error) : nullptr;
        return outputs && AddBlocks(OutputBlock(0, block), kOutputBlockSize, kOutputCount,
                                    kOutputBlockSize, outputs, Joined(outputPath, "output"));
    }

    // The five system arrays that are read; the three spare ones may be absent.
    bool System(const cJSON* sys, const std::string& path) {
        struct Target {
            const char* key;
            int record;
            size_t width;
        };
        const Target targets[] = {
            {"cur_password_data", kRecordPresetSelect, sizeof SystemRecordBytes::presetSelect},
            {"pc_source_set", kRecordSources, sizeof SystemRecordBytes::sources},
            {"sound_delay_field", kRecordPageTable, sizeof SystemRecordBytes::pageTable},
            {"system_data", kRecordMaster, sizeof SystemRecordBytes::master},
        };
        for (const Target& t : targets) {
            const cJSON* a = Need(sys, t.key, cJSON_IsArray, path, error);
            if (!a || !Add(nullptr, a, t.width, Joined(path, t.key), t.record)) return false;
        }
        // The output map spans two records.
        const cJSON* map = Need(sys, "system_spk_type", cJSON_IsArray, path, error);
        std::vector<uint8_t> bytes;
        if (!map || !ReadBytes(map, 16, Joined(path, "system_spk_type"), bytes, error))
            return false;
        const size_t low = bytes.size() < 8 ? bytes.size() : 8;
        if (low)
            patches.push_back({nullptr,
                               {bytes.begin(), bytes.begin() + static_cast<long>(low)},
                               kRecordOutputMapA});
        if (bytes.size() > 8)
            patches.push_back({nullptr, {bytes.begin() + 8, bytes.end()}, kRecordOutputMapB});
        return true;
    }
};

} // namespace

bool CPresetJson::Read(Kind kind, const std::string& fileBytes) {
    m_Error = PresetFileError::None;
    m_ErrorDetail.clear();
    if (fileBytes.size() > kMaxFileSize) return Fail(PresetFileError::TooLarge);

    // The parser gets a NUL-terminated copy with spare zeros behind it, so no
    // input can lead it past the buffer.
    constexpr size_t kSpareZeros = 16;
    std::string text;
    text.reserve(fileBytes.size() + kSpareZeros);
    text = fileBytes;
    Scramble(text);
    const auto isBlank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0';
    };
    size_t length = text.size();
    while (length > 0 && isBlank(text[length - 1]))
        --length;
    text.append(kSpareZeros, '\0');
    const auto at = [](size_t offset) { return "at byte " + std::to_string(offset); };
    // Zero bytes may only trail the text: inside a string cJSON would cut it short.
    if (const void* zero = std::memchr(text.data(), '\0', length))
        return Fail(PresetFileError::NotJson,
                    at(static_cast<size_t>(static_cast<const char*>(zero) - text.data())));

    const char* end = nullptr;
    std::unique_ptr<cJSON, void (*)(cJSON*)> root(
        cJSON_ParseWithLengthOpts(text.c_str(), length, &end, 0), cJSON_Delete);
    size_t stop = end && end >= text.c_str() ? static_cast<size_t>(end - text.c_str()) : 0;
    if (stop > length) stop = length;
    if (!root) return Fail(PresetFileError::NotJson, at(stop));
    // Only blanks may follow the root value; anything else means damage.
    for (size_t p = stop; p < length; ++p)
        if (!isBlank(text[p])) return Fail(PresetFileError::NotJson, at(p));
    if (!cJSON_IsObject(root.get())) return Fail(PresetFileError::WrongType, "(root)");

    PresetFileParser parser;
    PresetFileHeader header;
    if (!ReadHeader(root.get(), header, parser.error))
        return Fail(parser.error.code, parser.error.detail);
    if (header.clientBrand != m_RequiredClientBrand)
        return Fail(PresetFileError::WrongClient,
                    Quoted("client.company_brand", header.clientBrand));
    if (header.machineType != g_ModelName)
        return Fail(PresetFileError::WrongMachine,
                    Quoted("data_info.data_machine_type", header.machineType));
    const char* wantedType = kind == Kind::Single ? kFileTypeSingle : kFileTypeComplete;
    if (header.fileType != wantedType)
        return Fail(PresetFileError::WrongFileType, Quoted("fileType", header.fileType));

    bool currentImageRead = false;
    if (kind == Kind::Single) {
        const cJSON* data = Need(root.get(), "data", cJSON_IsObject, "", parser.error);
        const cJSON* sys =
            data ? Need(data, "system", cJSON_IsObject, "data", parser.error) : nullptr;
        if (!sys || !parser.PresetData(data, g_ParamImage, "data") ||
            !parser.System(sys, "data.system"))
            return Fail(parser.error.code, parser.error.detail);
        currentImageRead = true;
    } else {
        const cJSON* sys = Need(root.get(), "system", cJSON_IsObject, "", parser.error);
        const cJSON* data =
            sys ? Need(root.get(), "data", cJSON_IsArray, "", parser.error) : nullptr;
        if (!data || !parser.System(sys, "system"))
            return Fail(parser.error.code, parser.error.detail);
        int k = 0;
        for (const cJSON* it = data->child; it && k < kCompletePresetCount; it = it->next, ++k) {
            const std::string path = Indexed("data", static_cast<size_t>(k));
            if (!cJSON_IsObject(it)) return Fail(PresetFileError::WrongType, path);
            if (!parser.PresetData(it, k == 0 ? g_ParamImage : g_PcPresets[k - 1], path))
                return Fail(parser.error.code, parser.error.detail);
        }
        currentImageRead = k > 0;
    }

    // The whole file is good: store it in one step.
    {
        DeviceLockGuard lock(g_DeviceLock);
        for (const Patch& p : parser.patches) {
            if (p.dest)
                std::memcpy(p.dest, p.bytes.data(), p.bytes.size());
            else
                g_DeviceRecords.StoreRecord(p.record, p.bytes.data(), p.bytes.size());
        }
        if (currentImageRead) g_StateFlags[kFlagDataLocked] = IsAnyOutputLocked();
    }
    m_Header = std::move(header);
    return true;
}

namespace {

bool ReadFileBytes(const std::string& path, std::string& out, PresetFileError& error,
                   std::string& why) {
    // Non-blocking so that a FIFO cannot hang the open; only regular files are read.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        error = PresetFileError::CannotOpen;
        why = std::strerror(errno);
        return false;
    }
    struct stat st {};
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (!ok) {
        error = PresetFileError::CannotOpen;
        why = "not a regular file";
    } else if (static_cast<unsigned long long>(st.st_size) > CPresetJson::kMaxFileSize) {
        ok = false;
        error = PresetFileError::TooLarge;
    }
    // Read at most one byte past the limit, in case the file grows meanwhile.
    out.clear();
    char buf[65536];
    while (ok) {
        const size_t room = CPresetJson::kMaxFileSize + 1 - out.size();
        if (room == 0) break;
        const ssize_t n = read(fd, buf, room < sizeof buf ? room : sizeof buf);
        if (n > 0)
            out.append(buf, static_cast<size_t>(n));
        else if (n == 0)
            break;
        else if (errno != EINTR) {
            ok = false;
            error = PresetFileError::CannotOpen;
            why = std::strerror(errno);
        }
    }
    close(fd);
    return ok;
}

} // namespace

bool CPresetJson::LoadFile(Kind kind, const std::string& path) {
    std::string bytes;
    PresetFileError error = PresetFileError::None;
    std::string why;
    if (!ReadFileBytes(path, bytes, error, why)) return Fail(error, why);
    return Read(kind, bytes);
}

bool CPresetJson::LoadPresetFile(const std::string& path) {
    return LoadFile(Kind::Single, path);
}
bool CPresetJson::LoadAllPresetsFile(const std::string& path) {
    return LoadFile(Kind::Complete, path);
}
