#include "model/NameField.h"

#include "model/Archive.h"
#include "model/DataDefine.h"
#include "model/TextCodec.h"

#include <algorithm>
#include <cstring>

CNameField::CNameField(Read rule, const std::string& initialText) : rule_(rule) {
    const std::string gbk = Utf8ToGbk(initialText).value_or(std::string());
    std::memcpy(bytes_.data(), gbk.data(), std::min(gbk.size(), kSize - 1));
}

void CNameField::Load(const uint8_t* field, NewName pending) {
    if (!field) return;
    std::memcpy(bytes_.data(), field, kSize);
    if (pending == NewName::Drop) pending_ = false;
}

void CNameField::SetText(const std::string& utf8) {
    pending_ = true;
    pendingUtf8_ = true;
    pendingName_ = utf8;
}

TextFieldError CNameField::Write(uint8_t* field) {
    if (!field) return TextFieldError::None;
    TextFieldError refused = TextFieldError::None;
    if (pending_) {
        pending_ = false;
        std::array<uint8_t, kSize> packed = bytes_;
        refused = pendingUtf8_ ? StringToField(packed.data(), kSize, pendingName_)
                               : BytesToField(packed.data(), kSize, pendingName_);
        if (refused == TextFieldError::None) bytes_ = packed;
    }
    std::memcpy(field, bytes_.data(), kSize);
    return refused;
}

std::string CNameField::TextBytes() const {
    return FieldText(bytes_.data(), rule_ == Read::Text ? kSize - 1 : kSize);
}

std::string CNameField::GetText() const {
    if (pending_) return pendingUtf8_ ? pendingName_ : GbkToUtf8(pendingName_);
    return GbkToUtf8(TextBytes());
}

void CNameField::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        std::string text = pending_ ? pendingName_ : TextBytes();
        if (pending_ && pendingUtf8_)
            ar.String(text);
        else
            ar.RawString(text);
        return;
    }
    std::string text;
    bool wide = false;
    ar.ReadText(text, wide);
    if (ar.Failed()) return;
    if (!wide && text == TextBytes()) {
        pending_ = false;
        return;
    }
    pending_ = true;
    pendingUtf8_ = wide;
    pendingName_ = std::move(text);
}
