// The effect unit of a preset: eleven one-byte effect parameters, a name and
// a three-band equaliser with crossovers. It is loaded from and written into
// the effect block of a parameter block and stored with the document; no
// command exchanges it with the device.
//
// Effect block (152 bytes):
//   0..23 band records of bands 0..2      24..119 not the unit's
//   120..127 crossover record
//   128 p1, 129 p2, 130 p3, 131 p4, 134 p5
//   136 p6, 137 p7, 138 p8, 139 p9, 140 p10, 143 p11
//   144..151 name, 8-byte text field
#pragma once

#include "model/ChannelColors.h"
#include "model/ChannelCurve.h"
#include "model/KTVEQ.h"
#include "model/NameField.h"

#include <cstdint>
#include <string>

class CArchive;

constexpr int kEffectParamCount = 11;

class CEffect_Data {
public:
    CEffect_Data();
    CEffect_Data(const CEffect_Data&) = delete;
    CEffect_Data& operator=(const CEffect_Data&) = delete;

    // From an effect block; marks are not touched.
    void LoadFromBlock(const uint8_t* block);
    void LoadCrossoversFromBlock(const uint8_t* record);
    // Name, parameters, bands and crossover into the current image's effect
    // block. The name goes back as the bytes it was loaded from; a name of 8
    // or more bytes from a document leaves the name field as it was and is
    // refused (TooLong).
    TextFieldError WriteAllItems();
    // The crossover record into the current image's effect block.
    void WriteCrossover();
    // The three marks := value; every filter steps with it.
    void SetChangeFlags(int value);
    void Serialize(CArchive& ar);

    // Parameter n (1..11); 0 outside.
    int GetParam(int n) const;
    std::string GetName() const { return name_.GetText(); }
    CKTVEQ& GetEQ() { return eq_; }
    int GetFilterCount() const { return eq_.GetCount(); }
    CFilter* GetFilter(int i) const { return eq_.GetAt(i); }
    CFilter* GetHighPass() const { return eq_.GetHighPass(); }
    CFilter* GetLowPass() const { return eq_.GetLowPass(); }
    void SetEqBypass(int on) { eq_.SetEqBypass(on, 0, eq_.GetCount()); }
    int AreChangeFlagsSet() const {
        return nameChanged_ | firstGroupChanged_ | secondGroupChanged_;
    }

    void SetCurveColor(COLORREF color) { curveColor_ = color; }
    COLORREF GetCurveColor() const { return curveColor_; }
    void SetCurveArgb(const ArgbColor& color) { curveArgb_ = color; }
    ArgbColor GetCurveArgb() const { return curveArgb_; }

    // --- Value texts for the parameter report -------------------------------
    std::string FormatParam1Text() const;
    std::string FormatParam2Text() const;
    std::string FormatParam3Text() const;
    std::string FormatParam4Text() const;
    std::string FormatParam5Text() const;
    std::string FormatParam6Text() const;
    std::string FormatParam7Text() const;
    std::string FormatParam8Text() const;
    std::string FormatParam9Text() const;
    std::string FormatParam11Text() const;

    // --- Curve ---------------------------------------------------------------
    void SetGraphRect(const GraphRect& plotArea);
    void UpdateCurve();
    const CChannelCurve& GetCurve() const { return curve_; }
    // Raised by every change of the equaliser that the graph draws.
    std::uint64_t GetChangeCount() const { return eq_.GetChangeCount(); }

private:
    CNameField name_{CNameField::Read::Text, "Effect"};
    // Parameters 1..11 at index 0..10.
    int params_[kEffectParamCount] = {20, 84, 50, 68, 0, 18, 50, 0, 40, 50, 0};
    CKTVEQ eq_;
    CChannelCurve curve_;
    COLORREF curveColor_ = 255;
    ArgbColor curveArgb_;
    int allOff_ = 0;
    int nameChanged_ = 0;
    int firstGroupChanged_ = 0;
    int secondGroupChanged_ = 0;
};
