// The rules of preset names: the device keeps a name as at most 15 GBK bytes
// in a 16-byte field; a scene takes at most 13 bytes when the user names it,
// and names are compared by their first 13 bytes. Names are cut and wrapped
// by GBK bytes, always between characters, so a double-byte character is
// never split. Plain C++: texts are UTF-8.
#pragma once

#include "model/DataDefine.h"

#include <cstdint>
#include <string>
#include <vector>

// The bytes a scene name may take, and the bytes compared between names.
constexpr int kSceneNameBytes = 13;
// The scene picker's captions break after this many bytes.
constexpr int kSceneCaptionWidth = 13;

// One character of a name and the GBK bytes it takes (a character GBK cannot
// hold counts as two, the width it would show with).
struct NameChar {
    std::string utf8;
    int bytes;
};
std::vector<NameChar> SplitNameChars(const std::string& utf8);

// The longest start of the text that takes at most maxBytes GBK bytes.
std::string CutToGbkBytes(const std::string& utf8, int maxBytes);

// A file's title as the current preset name: what the view shows (at most 13
// bytes; 12 when the thirteenth is a single-byte character after a single-byte
// one) and what the device's name field receives (the single-byte characters
// of those 13 bytes; empty when there are none).
struct TitleName {
    std::string shown;
    std::string stored;
};
TitleName PresetNameFromTitle(const std::string& title);

// A caption of the scene picker: a text longer than width bytes is broken
// into lines of at most width bytes ("ABCDEFGHIJKLMN" gives
// "ABCDEFGHIJKLM\nN").
std::string WrapSceneCaption(const std::string& text, int width = kSceneCaptionWidth);

// Why a new name for a stored preset is refused.
enum class SceneNameRefusal { None, Empty, Blank, TooLong, Invalid, Duplicate };

// Checks a name for stored preset n (1..6) against the rules and the other
// five stored presets (their first 13 bytes); on None, field holds the name
// as the device keeps it.
SceneNameRefusal CheckSceneName(const std::string& utf8, int n, uint8_t (&field)[kPresetNameSize])
    REQUIRES(g_DeviceLock);

// Checks a new name for stored preset n (1..6) and, when it passes, stores
// it as that preset's name in the program's copies and as the current
// data's name; a refused name changes nothing.
SceneNameRefusal StoreSceneName(const std::string& utf8, int n) REQUIRES(g_DeviceLock);

// What a refused name is told with, in the language of the moment (blank,
// too long, invalid, the same as another's); empty for None and Empty, which
// each caller words its own way.
std::string SceneNameRefusalText(SceneNameRefusal refusal);

// The question before a stored preset's name is deleted: "是否删除第3组场景?"
// or "Are you delete No.3 preset?".
std::string DeletePresetQuestion(int n, bool chinese);
