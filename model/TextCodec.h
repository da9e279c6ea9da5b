// The device keeps its texts as GBK bytes; the program works in UTF-8.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

// GBK bytes to UTF-8. Invalid or truncated sequences become U+FFFD, so text
// from the device never fails to show.
std::string GbkToUtf8(const std::string& gbk);

// UTF-8 to GBK bytes; nothing when the text has a character GBK cannot hold
// or is not valid UTF-8.
std::optional<std::string> Utf8ToGbk(const std::string& utf8);

// The bytes of the longest start of GBK text within n bytes that ends
// between characters: a lead byte (0x81..0xFE) whose second byte lies beyond
// n is left out, so that cutting a name never splits a double-byte character.
size_t GbkWholeLength(const unsigned char* gbk, size_t n);
