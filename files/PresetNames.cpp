#include "files/PresetNames.h"

#include "model/Globals.h"
#include "model/TextCodec.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

// The length of the UTF-8 sequence a lead byte starts (1 for a stray byte).
size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

bool IsSingleByte(const NameChar& c) {
    return c.bytes == 1;
}

} // namespace

std::vector<NameChar> SplitNameChars(const std::string& utf8) {
    std::vector<NameChar> chars;
    for (size_t i = 0; i < utf8.size();) {
        const size_t n =
            std::min(SequenceLength(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
        std::string c = utf8.substr(i, n);
        int bytes = 1;
        if (static_cast<unsigned char>(c[0]) >= 0x80) {
            const std::optional<std::string> gbk = Utf8ToGbk(c);
            bytes = gbk && !gbk->empty() ? static_cast<int>(gbk->size()) : 2;
        }
        chars.push_back({std::move(c), bytes});
        i += n;
    }
    return chars;
}

std::string CutToGbkBytes(const std::string& utf8, int maxBytes) {
    std::string out;
    int used = 0;
    for (const NameChar& c : SplitNameChars(utf8)) {
        if (used + c.bytes > maxBytes) break;
        used += c.bytes;
        out += c.utf8;
    }
    return out;
}

TitleName PresetNameFromTitle(const std::string& title) {
    std::vector<NameChar> kept;
    int used = 0;
    for (const NameChar& c : SplitNameChars(title)) {
        if (used + c.bytes > kSceneNameBytes) break;
        used += c.bytes;
        kept.push_back(c);
    }
    TitleName name;
    for (const NameChar& c : kept)
        if (IsSingleByte(c)) name.stored += c.utf8;
    // Thirteen bytes whose last two are single-byte characters show twelve.
    const size_t n = kept.size();
    if (used == kSceneNameBytes && n >= 2 && IsSingleByte(kept[n - 1]) && IsSingleByte(kept[n - 2]))
        kept.pop_back();
    for (const NameChar& c : kept)
        name.shown += c.utf8;
    return name;
}

std::string WrapSceneCaption(const std::string& text, int width) {
    const std::vector<NameChar> chars = SplitNameChars(text);
    int total = 0;
    for (const NameChar& c : chars)
        total += c.bytes;
    if (text.empty() || width <= 0 || total <= width) return text;
    // As many breaks as whole widths fit in the text (a text of exactly two
    // widths ends in a break), more if double-byte characters made a line short.
    int breaks = total / width;
    std::string out;
    size_t i = 0;
    int left = total;
    while (breaks > 0 || left > width) {
        int line = 0;
        while (i < chars.size() && line + chars[i].bytes <= width) {
            line += chars[i].bytes;
            out += chars[i++].utf8;
        }
        if (line == 0 && i < chars.size()) { // a character wider than a line
            line = chars[i].bytes;
            out += chars[i++].utf8;
        }
        out += '\n';
        left -= line;
        --breaks;
        if (i == chars.size()) break;
    }
    for (; i < chars.size(); ++i)
        out += chars[i].utf8;
    return out;
}

SceneNameRefusal CheckSceneName(const std::string& utf8, int n, uint8_t (&field)[kPresetNameSize]) {
    if (utf8.empty()) return SceneNameRefusal::Empty;
    if (IsBlankString(utf8)) return SceneNameRefusal::Blank;
    const std::optional<std::string> gbk = Utf8ToGbk(utf8);
    if (!gbk) return SceneNameRefusal::Invalid;
    if (static_cast<int>(gbk->size()) > kSceneNameBytes) return SceneNameRefusal::TooLong;
    if (BytesToField(field, sizeof field, *gbk) != TextFieldError::None)
        return SceneNameRefusal::TooLong;
    if (IsPresetNameUsed(n - 1, field, 1, kSceneNameBytes)) return SceneNameRefusal::Duplicate;
    return SceneNameRefusal::None;
}

std::string DeletePresetQuestion(int n, bool chinese) {
    return chinese ? "是否删除第" + std::to_string(n) + "组场景?"
                   : "Are you delete No." + std::to_string(n) + " preset?";
}

SceneNameRefusal StoreSceneName(const std::string& utf8, int n) {
    if (n < 1 || n > kStoredPresetCount) return SceneNameRefusal::Invalid;
    uint8_t field[kPresetNameSize] = {};
    const SceneNameRefusal refusal = CheckSceneName(utf8, n, field);
    if (refusal != SceneNameRefusal::None) return refusal;
    PresetNameField name{};
    std::copy(std::begin(field), std::end(field), name.begin());
    g_DeviceRecords.SetStoredPresetNameField(n, name);
    std::memcpy(g_ParamImage + kPresetNameOffset, field, kPresetNameSize);
    return refusal;
}

std::string SceneNameRefusalText(SceneNameRefusal refusal) {
    static const BiText blank{"机器预置场景名不能全为空格!",
                              "The machine preset name can not be all spaces!"};
    static const BiText duplicate{"已有相同的机器预置场景名!",
                                  "Have been the same machine preset name!"};
    switch (refusal) {
    case SceneNameRefusal::Blank:
        return blank.Pick();
    case SceneNameRefusal::TooLong:
        return TextFieldErrorText(TextFieldError::TooLong);
    case SceneNameRefusal::Invalid:
        return TextFieldErrorText(TextFieldError::Invalid);
    case SceneNameRefusal::Duplicate:
        return duplicate.Pick();
    case SceneNameRefusal::None:
    case SceneNameRefusal::Empty:
        break;
    }
    return {};
}
