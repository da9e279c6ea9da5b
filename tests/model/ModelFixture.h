// Starts every model test from a freshly initialised image and records what
// the program's message box would have shown.
#pragma once

#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/MessageBox.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

inline void ResetModelState() {
    std::memset(g_ParamImage, 0, sizeof g_ParamImage);
    std::memset(g_PcPresets, 0, sizeof g_PcPresets);
    std::memset(g_DevicePresets, 0, sizeof g_DevicePresets);
    for (uint8_t* rec : {g_SysBlock2, g_SysBlock5, g_SysBlock6, g_SysBlock7, g_SysBlock8, g_SysBlock9,
                         g_SysBlock52, g_SysBlock97})
        std::memset(rec, 0, 8);
    std::memset(g_SysBlock64, 0, sizeof g_SysBlock64);
    for (auto& f : g_StateFlags) f = 0;
    for (int i = 0; i < 12; ++i) g_LinkKey[i] = i;
    g_LanguageFlag = 0;
    g_LockPassword.clear();
    g_DeviceSynced = 0;
    g_ConnectionKind = 0;
    g_ParamSentFlag = 0;
    InitParamModel();
}

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetModelState();
        previous_ = SetMessageBoxHandler([this](const MessageBoxRequest& r) {
            messages.push_back(r.text);
            return IDOK;
        });
    }
    void TearDown() override { SetMessageBoxHandler(previous_); }

    std::vector<std::string> messages;

private:
    MessageBoxHandler previous_;
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

inline std::vector<uint8_t> Bytes(const uint8_t* p, size_t n) { return std::vector<uint8_t>(p, p + n); }
