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
#include <string>
#include <type_traits>
#include <vector>

class CArchive {
public:
    // A storing archive. Its buffer starts large enough for a whole document
    // (about 29 KB), so that a save does not grow it value by value.
    CArchive() { out_.reserve(kSaveReserve); }
    // A loading archive over data[0..size).
    CArchive(const uint8_t* data, size_t size) : loading_(true), in_(data), inSize_(data ? size : 0) {}
    explicit CArchive(const std::vector<uint8_t>& data) : CArchive(data.data(), data.size()) {}

    bool IsStoring() const { return !loading_; }
    bool IsLoading() const { return loading_; }
    // Loading met the end of its data or a malformed value.
    bool Failed() const { return failed_; }
    // What a storing archive has collected.
    const std::vector<uint8_t>& Bytes() const {
        out_.resize(used_); // the spare room a save kept ahead
        return out_;
    }
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
            const Wire w = static_cast<Wire>(Read(sizeof(Wire)));
            // Signed members read the word back as the same-width signed value.
            using SignedWire = std::make_signed_t<Wire>;
            if constexpr (std::is_signed_v<T>)
                v = static_cast<T>(static_cast<SignedWire>(w));
            else
                v = static_cast<T>(w);
        } else {
            Write(static_cast<uint64_t>(static_cast<Wire>(v)), sizeof(Wire));
        }
    }
    void WriteLength(size_t n);
    // The length prefix; wide is set when the wide-string marker precedes it.
    uint64_t ReadLength(bool& wide);
    uint64_t Read(size_t n);
    // The next n bytes of a storing archive, made room for in the buffer.
    uint8_t* Room(size_t n);
    void Write(uint64_t v, size_t n);
    bool Take(size_t n, const uint8_t*& p);

    bool loading_ = false;
    bool failed_ = false;
    const uint8_t* in_ = nullptr;
    size_t inSize_ = 0;
    size_t pos_ = 0;
    // Written bytes are out_[0..used_); out_ may run ahead of them.
    mutable std::vector<uint8_t> out_;
    size_t used_ = 0;
};

// Loads obj from ar. When the archive runs short or holds a malformed value,
// obj is put back exactly as it was before the call and false is returned,
// so a damaged document loses nothing.
template <class T> bool LoadOrRestore(T& obj, CArchive& ar) {
    CArchive before;
    obj.Serialize(before);
    obj.Serialize(ar);
    if (!ar.Failed()) return true;
    CArchive back(before.Bytes());
    obj.Serialize(back);
    return false;
}
