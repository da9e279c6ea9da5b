// Starts every model test from a freshly initialised image.
#pragma once

#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/LinkGroups.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

inline void ResetModelState() {
    std::memset(g_ParamImage, 0, sizeof g_ParamImage);
    std::memset(g_PcPresets, 0, sizeof g_PcPresets);
    std::memset(g_DevicePresets, 0, sizeof g_DevicePresets);
    for (uint8_t* rec :
         {g_DeviceRecords.Bytes().sources, g_DeviceRecords.Bytes().master,
          g_DeviceRecords.Bytes().outputMapA, g_DeviceRecords.Bytes().outputMapB,
          g_DeviceRecords.Bytes().sourceSetup, g_DeviceRecords.Bytes().deviceKept,
          g_DeviceRecords.Bytes().presetSelect, g_DeviceRecords.Bytes().transferMarker})
        std::memset(rec, 0, 8);
    std::memset(g_DeviceRecords.Bytes().pageTable, 0, sizeof g_DeviceRecords.Bytes().pageTable);
    for (auto& f : g_StateFlags)
        f = 0;
    for (int i = 0; i < 12; ++i)
        g_LinkKey[i] = i;
    ResetLinkGroups();
    g_LanguageFlag = 0;
    g_LockPassword->clear();
    g_DeviceSynced = 0;
    g_UnsentEdits = 0;
    g_ConnectionKind = 0;
    g_ParamSentFlag = 0;
    InitParamModel();
}

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override { ResetModelState(); }
};

// A whole model loaded from the default image, with the device not synchronised.
class LoadedModelTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        model = std::make_unique<CKTV_Data>();
        model->LoadFromImage(g_ParamImage, 0);
    }
    CKTV_OutData& Out(int i) { return *model->GetOut(i); }

    std::unique_ptr<CKTV_Data> model;
};

// "6B 6B EE" -> bytes
inline std::vector<uint8_t> Hex(const std::string& text) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

inline std::vector<uint8_t> Bytes(const uint8_t* p, size_t n) {
    return std::vector<uint8_t>(p, p + n);
}

// Everything a load may write, to prove what it changed and what it left.
struct ModelBytes {
    std::vector<uint8_t> image, presets, sys;

    static ModelBytes Take() {
        ModelBytes m;
        m.image = Bytes(g_ParamImage, sizeof g_ParamImage);
        m.presets = Bytes(&g_PcPresets[0][0], sizeof g_PcPresets);
        for (const uint8_t* rec :
             {g_DeviceRecords.Bytes().sources, g_DeviceRecords.Bytes().master,
              g_DeviceRecords.Bytes().outputMapA, g_DeviceRecords.Bytes().outputMapB,
              g_DeviceRecords.Bytes().sourceSetup, g_DeviceRecords.Bytes().deviceKept,
              g_DeviceRecords.Bytes().presetSelect, g_DeviceRecords.Bytes().transferMarker})
            m.sys.insert(m.sys.end(), rec, rec + 8);
        m.sys.insert(m.sys.end(), std::begin(g_DeviceRecords.Bytes().pageTable),
                     std::end(g_DeviceRecords.Bytes().pageTable));
        return m;
    }
    bool operator==(const ModelBytes& o) const {
        return image == o.image && presets == o.presets && sys == o.sys;
    }
};

// Fills every byte a file can carry with a pattern that differs per seed.
inline void FillModel(int seed) {
    auto fill = [seed](uint8_t* p, size_t n, int salt) {
        for (size_t i = 0; i < n; ++i)
            p[i] = static_cast<uint8_t>((i * 7 + static_cast<size_t>(seed * 31 + salt)) & 0xFF);
    };
    fill(g_ParamImage, sizeof g_ParamImage, 0);
    for (int k = 0; k < kStoredPresetCount; ++k)
        fill(g_PcPresets[k], kParamBlockSize, k + 1);
    int salt = 10;
    for (uint8_t* rec : {g_DeviceRecords.Bytes().sources, g_DeviceRecords.Bytes().master,
                         g_DeviceRecords.Bytes().outputMapA, g_DeviceRecords.Bytes().outputMapB,
                         g_DeviceRecords.Bytes().sourceSetup, g_DeviceRecords.Bytes().deviceKept,
                         g_DeviceRecords.Bytes().presetSelect})
        fill(rec, 8, salt++);
    fill(g_DeviceRecords.Bytes().pageTable, sizeof g_DeviceRecords.Bytes().pageTable, salt);
    // No stray lock marks: the tests set them where they mean to.
    for (uint8_t* block : {g_ParamImage, g_PcPresets[0], g_PcPresets[1], g_PcPresets[2],
                           g_PcPresets[3], g_PcPresets[4], g_PcPresets[5]})
        for (int c = 0; c < kOutputCount; ++c)
            OutputBlock(c, block)[kOutLockMarkByte] = 0;
}
