#include "model/Archive.h"

#include "model/TextCodec.h"

#include <algorithm>
#include <cstring>

void CArchive::Grow(size_t n) {
    const size_t capacity = std::max({kSaveReserve, 2 * capacity_, used_ + n});
    std::unique_ptr<uint8_t[]> bigger(new uint8_t[capacity]);
    if (used_) std::memcpy(bigger.get(), out_.get(), used_);
    out_ = std::move(bigger);
    capacity_ = capacity;
}

void CArchive::Double(double& v) {
    static_assert(sizeof(double) == sizeof(uint64_t), "8-byte doubles");
    uint64_t bits = 0;
    if (loading_) {
        bits = Read<8>();
        std::memcpy(&v, &bits, sizeof v);
    } else {
        std::memcpy(&bits, &v, sizeof v);
        Write<8>(bits);
    }
}

namespace {

std::string Utf16ToUtf8(const uint8_t* p, size_t units) {
    std::string out;
    auto put = [&](uint32_t c) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    };
    for (size_t i = 0; i < units; ++i) {
        const uint32_t u = p[2 * i] | (p[2 * i + 1] << 8);
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < units) {
            const uint32_t low = p[2 * i + 2] | (p[2 * i + 3] << 8);
            if (low >= 0xDC00 && low < 0xE000) {
                put(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        put(u >= 0xD800 && u < 0xE000 ? 0xFFFD : u);
    }
    return out;
}

// UTF-16 units of a UTF-8 text; a malformed sequence becomes U+FFFD.
std::vector<uint16_t> Utf8ToUtf16(const std::string& s) {
    std::vector<uint16_t> out;
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<uint8_t>(s[i]);
        const size_t len = b < 0x80         ? 1
                           : (b >> 5) == 6  ? 2
                           : (b >> 4) == 14 ? 3
                           : (b >> 3) == 30 ? 4
                                            : 0;
        uint32_t c = 0xFFFD;
        if (len == 1) {
            c = b;
        } else if (len > 1 && i + len <= s.size()) {
            c = b & (0x7F >> len);
            for (size_t k = 1; k < len; ++k) {
                const auto cont = static_cast<uint8_t>(s[i + k]);
                if ((cont & 0xC0) != 0x80) {
                    c = 0xFFFD;
                    break;
                }
                c = (c << 6) | (cont & 0x3F);
            }
        }
        i += len ? std::min(len, s.size() - i) : 1;
        if (c > 0x10FFFF) c = 0xFFFD;
        if (c >= 0x10000) {
            out.push_back(static_cast<uint16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<uint16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<uint16_t>(c));
        }
    }
    return out;
}

} // namespace

void CArchive::WriteLength(size_t n) {
    if (n < 0xFF) {
        Write<1>(n);
    } else if (n < 0xFFFE) {
        Write<1>(0xFF);
        Write<2>(n);
    } else {
        Write<1>(0xFF);
        Write<2>(0xFFFF);
        Write<4>(n);
    }
}

uint64_t CArchive::ReadLength(bool& wide) {
    wide = false;
    uint64_t n = Read<1>();
    if (n < 0xFF) return n;
    n = Read<2>();
    if (n == 0xFFFE) {
        wide = true;
        bool again = false;
        n = ReadLength(again);
        if (again) failed_ = true; // one marker only
        return n;
    }
    return n == 0xFFFF ? Read<4>() : n;
}

void CArchive::ReadText(std::string& text, bool& wide) {
    text.clear();
    wide = false;
    const uint64_t n = ReadLength(wide);
    const uint64_t width = wide ? 2 : 1;
    const uint8_t* p = nullptr;
    if (failed_ || n > (inSize_ - pos_) / width || !Take(static_cast<size_t>(n * width), p)) {
        failed_ = true;
        return;
    }
    if (wide)
        text = Utf16ToUtf8(p, static_cast<size_t>(n));
    else
        text.assign(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
}

void CArchive::RawString(std::string& bytes) {
    if (!loading_) {
        WriteLength(bytes.size());
        if (!bytes.empty()) std::memcpy(Room(bytes.size()), bytes.data(), bytes.size());
        return;
    }
    bool wide = false;
    ReadText(bytes, wide);
    if (wide) { // raw bytes are never written wide
        failed_ = true;
        bytes.clear();
    }
}

void CArchive::String(std::string& utf8) {
    if (!loading_) {
        if (auto gbk = Utf8ToGbk(utf8)) {
            RawString(*gbk);
            return;
        }
        const std::vector<uint16_t> units = Utf8ToUtf16(utf8);
        Write<1>(0xFF);
        Write<2>(0xFFFE);
        WriteLength(units.size());
        for (uint16_t u : units)
            Write<2>(u);
        return;
    }
    bool wide = false;
    ReadText(utf8, wide);
    if (!wide) utf8 = GbkToUtf8(utf8);
}
