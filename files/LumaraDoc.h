// The program's one document: it owns the model of the current preset and
// reads and writes the program's own archive files (the whole device, one
// preset, one page of the output-mode table, the output map with the
// crossovers). Plain C++: the document never sees Qt.
//
// Archive files: a string is one length byte and its characters, a byte is a
// byte, a word two bytes, least significant first; no padding, no checksum.
// Readers take the whole file first and store nothing unless all of it was
// there and valid, so a short or foreign file changes nothing.
#pragma once

#include "model/DeviceLock.h"

#include "model/KTV_Data.h"
#include "model/ThreadRole.h"

#include <cstdint>
#include <string>

class CArchive;

// File magics.
extern const std::string g_MagicAllPresets; // "Tolvern_ALLFile_2.0"
extern const std::string g_MagicPreset;     // "Tolvern_File_2.0"
extern const std::string g_MagicOutputMap;  // "Tolvern_Map"
extern const std::string g_MagicModeFile;   // "Mode_File"

// The outputs' crossovers as 8-byte records: high-pass frequency (LE16),
// family, slope, then the same for the low-pass. Filled from the outputs by
// CopyCrossoverTable; the output-map file reads into it.
constexpr int kCrossoverRecordSize = 8;
extern UiThreadOnly<uint8_t[12][kCrossoverRecordSize]> g_CrossoverTable;

// Copies each output's crossover into g_CrossoverTable.
void CopyCrossoverTable(const CKTV_Data& data);

// Sizes of the files as written.
constexpr size_t kAllPresetsFileSize = 35057;
constexpr size_t kPresetFileSize = 5017;
constexpr size_t kModeFileSize = 35;
constexpr size_t kOutputMapFileSize = 124;

class CLumaraDoc {
public:
    CLumaraDoc();
    CLumaraDoc(const CLumaraDoc&) = delete;
    CLumaraDoc& operator=(const CLumaraDoc&) = delete;

    CKTV_Data& Data() { return data_; }

    // A new, unnamed document: its title becomes empty.
    bool OnNewDocument();
    const std::string& Title() const { return title_; }

    // The standard document storage does nothing: the program's files are
    // the preset files and the archives below.
    void Serialize(CArchive& ar);

    // Each writes with a storing archive and reads with a loading one;
    // false when a file is refused (nothing is changed then).
    bool SerializeAllPresets(CArchive& ar);
    bool SerializePreset(CArchive& ar);
    // What the last write of either refused to pack (new names, the lock
    // password): the file holds the fields as they were (the password as
    // zeros), and the caller shows a message for each once it holds no lock.
    const TextFieldErrors& RefusedTexts() const { return refused_; }
    // Writing needs a current page 0..3; reading refuses a page outside the
    // table (the table has four pages).
    bool SerializeModePage(CArchive& ar);
    bool SerializeOutputMap(CArchive& ar);

private:
    CKTV_Data data_;
    std::string title_;
    TextFieldErrors refused_;
};
