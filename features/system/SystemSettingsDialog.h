// CSystemSettingsDialog: the system dialog of the main view's system button. For outputs
// 1 to 8 one group each: a limiter column (level, attack, release), a
// compressor column (level, ratio, attack, release) and the dynamics curve
// between them; above the groups the noise gate of the first music input.
//
// Only the limiter attack and release of each output (item 35) and the noise
// gate (item 33 of music input 1) are kept by the model and reach the device;
// each change goes into the channel object at once and the link's poller
// sends it. The model has no place for the other five values of a row, so the
// dialog keeps them itself while it is open: each field shows what was last
// written to its own row's slot, and the compressor level may rise up to the
// row's limiter level.
//
// Rows whose outputs share a link key show a change again in the other rows
// of the key; only the ratio is carried over to them.
#pragma once

#include "controls/SkinDialog.h"

#include <QString>

#include <array>

class CDynamicsGraph;
class CFontStatic;
class CKTV_Data;
class CNumEdit;
class CNumSpin;
class QComboBox;
class QGroupBox;

class CSystemSettingsDialog : public CSkinDialog {
public:
    static constexpr int kRows = 8;
    // The fields of a row, in the template's order of their ids.
    enum Field {
        kLimiterLevel,
        kLimiterAttack,
        kLimiterRelease,
        kCompLevel,
        kRatio,
        kCompAttack,
        kCompRelease
    };
    static constexpr int kFields = 7;

    // Control ids (first of eight, one per row).
    enum : int {
        IDC_GROUP = 5610,
        IDC_CURVE = 2513,
        IDC_SOURCE_LABEL = 2061,
        IDC_SOURCE = 2063,
        IDC_GATE_LABEL = 2062,
        IDC_GATE = 2059,
        IDC_GATE_SPIN = 2060,
        IDC_RELEASE_RATE = 5640, // hidden, six
        IDC_SOURCE_SIDE = 9130,  // hidden, six
    };
    // The edit and spin ids of a field of row r.
    static int EditId(Field field, int row);
    static int SpinId(Field field, int row);

    // The five values of a row that the model does not keep.
    struct Kept {
        int limiterLevel = 0; // -30.0 dBu
        int compLevel = 0;    // -30.0 dBu
        int ratio = 1;        // 1:1
        int compAttack = 0;
        int compRelease = 50;
    };

    explicit CSystemSettingsDialog(QWidget* parent = nullptr);

    // The device-data object, set before the dialog opens.
    void SetData(CKTV_Data* data) { m_Data = data; }

    CNumEdit* Edit(int row, Field field) const;
    CNumSpin* Spin(int row, Field field) const;
    CDynamicsGraph* Curve(int row) const;
    QGroupBox* Group(int row) const;
    CNumEdit* GateEdit() const { return m_GateEdit; }
    QComboBox* SourceList() const { return m_SourceList; }
    const Kept& KeptValues(int row) const { return m_Kept[static_cast<size_t>(row)]; }

    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void OnInitDialog() override;

private:
    struct Row {
        QGroupBox* group = nullptr;
        std::array<CNumEdit*, kFields> edit{};
        std::array<CNumSpin*, kFields> spin{};
        CDynamicsGraph* curve = nullptr;
    };

    void CreateControls();
    void SetUpRows();
    void LoadValues();
    // A committed edit or a spin step of a row field.
    void OnField(Field field, int row);
    void OnNoiseGate();
    void OnSourceSide(int row, int entry);
    // Shows a field of every other row of the row's link key again (the ratio
    // carried over, the others from each row's own value).
    void ShowLinkedRows(Field field, int row, int value);
    // What a row's field shows of its output or its slot.
    int ShownValue(Field field, int row) const;
    void ShowValue(Field field, int row, int value);
    void RedrawCurve(int row);

    CKTV_Data* m_Data = nullptr;
    std::array<Row, kRows> m_Rows{};
    std::array<Kept, kRows> m_Kept{};
    CNumEdit* m_GateEdit = nullptr;
    CNumSpin* m_GateSpin = nullptr;
    QComboBox* m_SourceList = nullptr;
    std::array<CFontStatic*, 10> m_Labels{};
    std::array<QComboBox*, 12> m_Hidden{};
};
