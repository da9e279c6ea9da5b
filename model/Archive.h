// The model's own binary archive: how the channel objects store themselves
// in a document. Values are little-endian: BYTE 1, WORD 2, DWORD 4 bytes,
// doubles as 8-byte IEEE; strings as a length prefix (one byte below 255,
// else 0xFF and a WORD below 0xFFFE, else 0xFF FF FF and a DWORD) and the
// text as GBK bytes. A text GBK cannot hold is written in the wide form:
// 0xFF FE FF, then the prefix counting UTF-16 units, then UTF-16LE.
//
// A loading archive reads a byte span it does not own and never reads past
// its end: a value that is not there reads as 0 and marks the archive
// failed. LoadOrRestore turns that into an all-or-nothing load.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

class CArchive {
public:
    // A storing archive. Its buffer is made on the first value, large enough
    // for a whole document (about 29 KB), so that a save does not grow it
    // value by value; the room ahead of the values is never filled.
    CArchive() = default;
    // A loading archive over data[0..size).
    CArchive(const uint8_t* data, size_t size)
        : loading_(true), in_(data), inSize_(data ? size : 0) {}
    explicit CArchive(const std::vector<uint8_t>& data) : CArchive(data.data(), data.size()) {}

    bool IsStoring() const { return !loading_; }
    bool IsLoading() const { return loading_; }
    // Loading met the end of its data or a malformed value.
    bool Failed() const { return failed_; }
    // What a storing archive has collected, copied out on the first call
    // after a change; Data and Size give the same bytes in place.
    const std::vector<uint8_t>& Bytes() const {
        if (bytes_.size() != used_) bytes_.assign(out_.get(), out_.get() + used_);
        return bytes_;
    }
    const uint8_t* Data() const { return out_.get(); }
    // A storing archive starts again with no values, keeping its buffer.
    void Rewind() {
        used_ = 0;
        bytes_.clear();
    }
    size_t Size() const { return used_; }
    // Bytes read so far by a loading archive.
    size_t Position() const { return pos_; }

    // Each stores the value or loads into it, by the archive's direction.
    template <class T> void Byte(T& v) { Transfer<uint8_t>(v); }
    template <class T> void Word(T& v) { Transfer<uint16_t>(v); }
    template <class T> void Dword(T& v) { Transfer<uint32_t>(v); }
    void Double(double& v);
    // A UTF-8 text, kept as GBK in the archive where GBK can hold it, else
    // in the wide form, so that every text reads back as it was written.
    void String(std::string& utf8);
    // A text whose bytes are kept as they are.
    void RawString(std::string& bytes);
    // Loading only: a string as it was written, the bytes of the narrow form
    // as they are, or the wide form as UTF-8 (wide is set then).
    void ReadText(std::string& text, bool& wide);
    // Loading only: a value just read is one no valid document holds; the
    // load fails as on a malformed value.
    void Refuse() { failed_ = true; }

private:
    static constexpr size_t kSaveReserve = 32 * 1024;

    template <class Wire, class T> void Transfer(T& v) {
        static_assert(std::is_integral_v<T>, "integral members only");
        if (loading_) {
            const Wire w = static_cast<Wire>(Read<sizeof(Wire)>());
            // Signed members read the word back as the same-width signed value.
            using SignedWire = std::make_signed_t<Wire>;
            if constexpr (std::is_signed_v<T>)
                v = static_cast<T>(static_cast<SignedWire>(w));
            else
                v = static_cast<T>(w);
        } else {
            Write<sizeof(Wire)>(static_cast<Wire>(v));
        }
    }
    void WriteLength(size_t n);
    // The length prefix; wide is set when the wide-string marker precedes it.
    uint64_t ReadLength(bool& wide);
    // N bytes little-endian; the width is known where they are called, so
    // each is a few moves rather than a loop per byte.
    template <size_t N> uint64_t Read() {
        const uint8_t* p = nullptr;
        if (!Take(N, p)) return 0;
        uint64_t v = 0;
        for (size_t i = 0; i < N; ++i)
            v |= static_cast<uint64_t>(p[i]) << (8 * i);
        return v;
    }
    template <size_t N> void Write(uint64_t v) {
        uint8_t* p = Room(N);
        for (size_t i = 0; i < N; ++i)
            p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
    // The next n bytes of a storing archive, made room for in the buffer.
    uint8_t* Room(size_t n) {
        if (capacity_ - used_ < n) Grow(n);
        uint8_t* p = out_.get() + used_;
        used_ += n;
        return p;
    }
    void Grow(size_t n);
    bool Take(size_t n, const uint8_t*& p) {
        if (failed_ || n > inSize_ - pos_) {
            failed_ = true;
            return false;
        }
        p = in_ + pos_;
        pos_ += n;
        return true;
    }

    bool loading_ = false;
    bool failed_ = false;
    const uint8_t* in_ = nullptr;
    size_t inSize_ = 0;
    size_t pos_ = 0;
    // Written bytes are out_[0..used_) of capacity_.
    std::unique_ptr<uint8_t[]> out_;
    size_t capacity_ = 0;
    size_t used_ = 0;
    mutable std::vector<uint8_t> bytes_;
};

// Loads obj from ar. When the archive runs short or holds a malformed value,
// obj is put back exactly as it was before the call and false is returned,
// so a damaged document loses nothing.
template <class T> bool LoadOrRestore(T& obj, CArchive& ar) {
    CArchive before;
    obj.Serialize(before);
    obj.Serialize(ar);
    if (!ar.Failed()) return true;
    CArchive back(before.Data(), before.Size());
    obj.Serialize(back);
    return false;
}
