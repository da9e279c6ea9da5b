// A channel's name as the device keeps it: an 8-byte text field of its block.
//
// The device's bytes are the name: they are kept as they came and written
// back unchanged, whatever they hold (another code page, no terminator,
// bytes after the first zero), so a name the program cannot read still
// reaches the device as it was and is never refused. Only a new name (the
// user's text, or another name brought by a document) is packed by the
// text-field rule when it is next written, and refused when it does not fit:
// a refused name is dropped, the field keeps its bytes, and the write tells
// why, for the caller's message.
#pragma once

#include "model/DataDefine.h"

#include <array>
#include <cstdint>
#include <string>

class CArchive;

class CNameField {
public:
    static constexpr size_t kSize = 8;

    // How the field reads as text: bytes 0..6 (the last one is the text's
    // terminator) or all eight, up to the first zero, blanks trimmed.
    enum class Read { Text, AllBytes };
    // What a load does with a new name that has not been written yet.
    enum class NewName { Drop, Keep };

    // initialText: the UTF-8 name the field starts with, as if it held it.
    explicit CNameField(Read rule, const std::string& initialText = std::string());

    // The field's bytes become the name.
    void Load(const uint8_t* field, NewName pending = NewName::Drop);
    // A user's new name (UTF-8), packed by the next Write.
    void SetText(const std::string& utf8);
    // The name into the field: the kept bytes, or a new name packed by the
    // text-field rule; a new name the rule refuses says why.
    TextFieldError Write(uint8_t* field);

    // For the user: the name decoded from GBK (bytes it cannot read show as
    // U+FFFD).
    std::string GetText() const;

    // A document keeps the name as text (the field's bytes as they read as
    // text, the bytes of a new name, or a new name GBK cannot hold in the
    // wide form). Loading the text the field already reads as keeps the
    // field's bytes; any other text becomes a new name.
    void Serialize(CArchive& ar);

private:
    // The bytes of the field as they read as text.
    std::string TextBytes() const;

    Read rule_;
    std::array<uint8_t, kSize> bytes_{};
    // A new name not yet packed: GBK bytes, or UTF-8 text (pendingUtf8_).
    bool pending_ = false;
    bool pendingUtf8_ = false;
    std::string pendingName_;
};
