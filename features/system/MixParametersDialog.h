// CMixParametersDialog: the mix parameter settings behind the access code. Two fields
// show: the attenuation of the main source (byte 6 of record 8, sent with
// system command 8) and the noise gate of the master record (byte 3 of record
// 5, sent with the master record on the link's next idle pass). The template
// also holds a level and a time field of record 8, a gate switch and a drop
// list, all hidden.
//
// Spin steps of the attenuation (the arrow keys in its field) store each new
// value at once and send record 8 once, 300 ms after the last step; closing
// the dialog sends a value still waiting at once.
//
// While it exists the dialog marks itself open in g_StateFlags; the main view
// holds it by a pointer that clears itself and shows the records again after
// the device's data has been loaded.
#pragma once

#include "controls/ControlTimer.h"
#include "controls/SkinDialog.h"
#include "platform/Skin.h"

#include <QPixmap>

class CBitButton;
class CDropListButton;
class CKTV_Data;
class CNumEdit;
class CNumSpin;
class IPageHost;

class CMixParametersDialog : public CSkinDialog {
public:
    enum : int {
        IDC_LEVEL = 3581,
        IDC_ATTENUATION = 3582,
        IDC_TIME = 3583,
        IDC_GATE = 3584,
        IDC_GATE_SPIN = 2852,
        IDC_ATTENUATION_SPIN = 2853,
        IDC_TIME_SPIN = 2854,
        IDC_LEVEL_SPIN = 2855,
        IDC_GATE_SWITCH = 2938,
        IDC_SOURCE = 2819,
    };
    static constexpr int kSourceListId = 1311;
    static constexpr int kAttenuationTimer = 56954;
    static constexpr int kAttenuationDelayMs = 300;

    CMixParametersDialog(IPageHost* view, QWidget* parent = nullptr);
    ~CMixParametersDialog() override;

    // The view and the device-data object, set before the dialog opens.
    void SetView(IPageHost* view) { m_View = view; }
    void SetData(CKTV_Data* data) { m_Data = data; }

    // Shows the four bytes again (after the device's data was loaded).
    void Refresh();

    CNumEdit* AttenuationEdit() const { return m_Edit[kAttenuation]; }
    CNumSpin* AttenuationSpin() const { return m_Spin[kAttenuation]; }
    CNumEdit* GateEdit() const { return m_Edit[kGate]; }
    CNumSpin* GateSpin() const { return m_Spin[kGate]; }
    CNumEdit* LevelEdit() const { return m_Edit[kLevel]; }
    CNumEdit* TimeEdit() const { return m_Edit[kTime]; }
    CBitButton* GateSwitch() const { return m_Switch; }
    ControlTimer& AttenuationTimer() { return m_Timer; }

    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    void done(int result) override;

protected:
    void OnInitDialog() override;
    void paintEvent(QPaintEvent* event) override;

private:
    enum Field { kLevel, kAttenuation, kTime, kGate };
    static constexpr int kFieldCount = 4;

    // A new value of a record-8 field: stored, shown and sent (at once, or
    // 300 ms after the last attenuation step).
    void OnRecord8Field(Field field, int value, bool debounce);
    void OnGate(int value);
    void OnGateSwitch();
    // Sends record 8 when an attenuation step still waits for it.
    void SendPendingAttenuation();
    void OnTimer();
    void Show(Field field, int value);

    IPageHost* m_View;
    CKTV_Data* m_Data = nullptr;
    CNumEdit* m_Edit[kFieldCount] = {};
    CNumSpin* m_Spin[kFieldCount] = {};
    CBitButton* m_Switch = nullptr;
    CDropListButton* m_SourceList = nullptr;
    skin::LanguagePixmap m_Background;
    ControlTimer m_Timer;
};
