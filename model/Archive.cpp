#include "Archive.h"

#include "TextCodec.h"

#include <cstring>

bool CArchive::Take(size_t n, const uint8_t*& p) {
    if (failed_ || n > inSize_ - pos_) {
        failed_ = true;
        return false;
    }
    p = in_ + pos_;
    pos_ += n;
    return true;
}

uint64_t CArchive::Read(size_t n) {
    const uint8_t* p = nullptr;
    if (!Take(n, p)) return 0;
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= static_cast<uint64_t>(p[i]) << (8 * i);
    return v;
}

void CArchive::Write(uint64_t v, size_t n) {
    for (size_t i = 0; i < n; ++i) out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void CArchive::Double(double& v) {
    static_assert(sizeof(double) == sizeof(uint64_t), "8-byte doubles");
    uint64_t bits = 0;
    if (loading_) {
        bits = Read(8);
        std::memcpy(&v, &bits, sizeof v);
    } else {
        std::memcpy(&bits, &v, sizeof v);
        Write(bits, 8);
    }
}

void CArchive::RawString(std::string& bytes) {
    if (!loading_) {
        const size_t n = bytes.size();
        if (n < 0xFF) {
            Write(n, 1);
        } else if (n < 0xFFFE) {
            Write(0xFF, 1);
            Write(n, 2);
        } else {
            Write(0xFF, 1);
            Write(0xFFFF, 2);
            Write(n, 4);
        }
        out_.insert(out_.end(), bytes.begin(), bytes.end());
        return;
    }
    uint64_t n = Read(1);
    if (n == 0xFF) {
        n = Read(2);
        if (n == 0xFFFE) {
            // A wide-character string: this archive writes none, so refuse it.
            failed_ = true;
        } else if (n == 0xFFFF) {
            n = Read(4);
        }
    }
    const uint8_t* p = nullptr;
    if (failed_ || !Take(static_cast<size_t>(n), p)) {
        bytes.clear();
        return;
    }
    bytes.assign(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
}

void CArchive::String(std::string& utf8) {
    if (!loading_) {
        std::string bytes = Utf8ToGbk(utf8).value_or(utf8);
        RawString(bytes);
        return;
    }
    std::string bytes;
    RawString(bytes);
    utf8 = GbkToUtf8(bytes);
}
