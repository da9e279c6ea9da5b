#include "model/TextCodec.h"

#include <cerrno>
#include <iconv.h>

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as it can; on a bad sequence calls onBad(in, left)
    // which must advance the input and may append a replacement.
    template <typename OnBad> bool Run(const std::string& input, std::string& out, OnBad onBad) {
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        char buf[256];
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        while (inLeft > 0) {
            char* o = buf;
            size_t oLeft = sizeof buf;
            const size_t r = iconv(cd_, &in, &inLeft, &o, &oLeft);
            out.append(buf, static_cast<size_t>(o - buf));
            if (r == static_cast<size_t>(-1)) {
                if (errno == E2BIG) continue;
                if (!onBad(in, inLeft, out)) return false;
            }
        }
        return true;
    }

private:
    iconv_t cd_;
};

// ASCII reads the same in UTF-8, GBK and GB18030.
bool IsAscii(const std::string& text) {
    for (const char ch : text)
        if (static_cast<unsigned char>(ch) >= 0x80) return false;
    return true;
}

} // namespace

// Each thread opens its converters once: opening one costs far more than
// converting a name.
std::string GbkToUtf8(const std::string& gbk) {
    // GB18030 decodes every GBK sequence and the single-byte 0x80 the same way.
    thread_local Converter c("UTF-8", "GB18030");
    if (!c.ok() || IsAscii(gbk)) return gbk;
    std::string out;
    c.Run(gbk, out, [](char*& in, size_t& left, std::string& o) {
        ++in;
        --left;
        o += "\xEF\xBF\xBD";
        return true;
    });
    return out;
}

std::optional<std::string> Utf8ToGbk(const std::string& utf8) {
    thread_local Converter c("GBK", "UTF-8");
    if (!c.ok()) return std::nullopt;
    if (IsAscii(utf8)) return utf8;
    std::string out;
    if (!c.Run(utf8, out, [](char*&, size_t&, std::string&) { return false; })) return std::nullopt;
    return out;
}

size_t GbkWholeLength(const unsigned char* gbk, size_t n) {
    size_t i = 0;
    while (i < n && gbk[i] != 0) {
        const size_t width = gbk[i] >= 0x81 && gbk[i] <= 0xFE ? 2 : 1;
        if (i + width > n) break;
        i += width;
    }
    // A zero ends the text; what follows it is padding.
    return i < n && gbk[i] == 0 ? n : i;
}
