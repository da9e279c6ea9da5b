#include "features/system/MixParametersDialog.h"

#include "controls/BitButton.h"
#include "controls/DropListButton.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/ModelLock.h"
#include "pages/PageHost.h"
#include "platform/Skin.h"
#include "platform/UiGlobals.h"

#include <QPainter>

#include <array>
#include <utility>

namespace {

// Template 1189 in dialog units of Arial 7.
constexpr platform::TemplateFont kFont = platform::kArial7;
const QSize kSize(196, 91);

constexpr int kBackgroundCn = 1190;
constexpr int kBackgroundEn = 1191;
constexpr unsigned kSwitchOff = 1337;
constexpr unsigned kSwitchOn = 1338;
constexpr unsigned kListNormal = 1273;
constexpr unsigned kListHover = 1274;
// The gate the hidden switch turns on: -75 dBu.
constexpr uint8_t kSwitchGate = 45;

struct FieldLayout {
    int editId;
    int spinId;
    QRect place; // dialog units
    bool shown;
    int type;
    double offset;
    const char* unit;
    int minimum;
    int maximum;
    int textLimit;
};
// In the order the set-up goes through them: level, attenuation, time, gate.
const FieldLayout kFields[4] = {
    {CMixParametersDialog::IDC_LEVEL, CMixParametersDialog::IDC_LEVEL_SPIN, QRect(0, 0, 88, 12),
     false, 26, 120.0, "", 0, 120, 8},
    {CMixParametersDialog::IDC_ATTENUATION, CMixParametersDialog::IDC_ATTENUATION_SPIN,
     QRect(95, 30, 88, 12), true, 38, 100.0, "%", 0, 100, 8},
    {CMixParametersDialog::IDC_TIME, CMixParametersDialog::IDC_TIME_SPIN, QRect(6, 41, 88, 12),
     false, 20, 1.0, "s", 2, 30, 6},
    {CMixParametersDialog::IDC_GATE, CMixParametersDialog::IDC_GATE_SPIN, QRect(94, 60, 88, 12),
     true, 23, 120.0, "dBu", 0, 80, 8},
};

} // namespace

CMixParametersDialog::CMixParametersDialog(IPageHost* view, QWidget* parent)
    : CSkinDialog(parent, kFont, kSize, Keys::StayOpen), m_View(view),
      m_Timer([this] { OnTimer(); }) {
    m_Background = skin::LanguagePixmap(kBackgroundEn, kBackgroundCn);
    for (int f = 0; f < kFieldCount; ++f) {
        const FieldLayout& layout = kFields[f];
        m_Edit[f] = Place<CNumEdit>(layout.editId, layout.place);
        m_Spin[f] = Place<CNumSpin>(layout.spinId, layout.place);
        m_Spin[f]->hide();
        m_Edit[f]->setAlignment(Qt::AlignCenter);
        // Dark text in the light boxes of the background.
        m_Edit[f]->SetFaceColors(Qt::transparent, Qt::black);
        m_Edit[f]->setVisible(layout.shown);
        m_Edit[f]->setEnabled(layout.shown);
    }
    m_Switch = Place<CBitButton>(IDC_GATE_SWITCH, QRect(146, 77, 50, 14), IDC_GATE_SWITCH);
    m_Switch->hide();
    m_SourceList = Place<CDropListButton>(IDC_SOURCE, QRect(2, 11, 40, 11), IDC_SOURCE);
    m_SourceList->setEnabled(false);
    m_SourceList->hide();
}

CMixParametersDialog::~CMixParametersDialog() {
    SendPendingAttenuation();
    g_StateFlags[kFlagMixParamDlg] = 0;
}

void CMixParametersDialog::OnInitDialog() {
    g_StateFlags[kFlagMixParamDlg] = 1;
    setWindowTitle(g_LanguageFlag.load() ? QStringLiteral("混音参数设置")
                                         : QStringLiteral("Mix parameter settings"));
    m_SourceList->SetBitmaps(kListNormal, kListHover);
    m_SourceList->CreateDropList(this, kSourceListId);
    m_SourceList->EnableMoveNotify(true);
    for (int f = 0; f < kFieldCount; ++f) {
        const FieldLayout& layout = kFields[f];
        m_Spin[f]->SetBuddy(m_Edit[f]);
        m_Spin[f]->SetRange32(layout.minimum, layout.maximum);
        m_Edit[f]->SetScale(1.0);
        m_Edit[f]->SetOffset(layout.offset);
        m_Edit[f]->SetType(layout.type, QString::fromLatin1(layout.unit));
        m_Edit[f]->setMaxLength(layout.textLimit);
        m_Edit[f]->setFont(g_FontDialog16);
    }
    // The hidden level and time keep their minimum until the next refresh.
    const auto [attenuation, gate] = WithDeviceLock([]() REQUIRES(g_DeviceLock) {
        return std::pair<int, int>(g_DeviceRecords.NoiseAttenuation(), g_DeviceRecords.NoiseGate());
    });
    Show(kAttenuation, attenuation);
    Show(kGate, gate);
    m_Switch->SetBitmaps(kSwitchOff, kSwitchOff, kSwitchOff, kSwitchOn, kSwitchOn, kSwitchOn);
}

void CMixParametersDialog::Show(Field field, int value) {
    m_Edit[field]->SetValue(value);
    m_Spin[field]->SetValueChecked(value);
}

void CMixParametersDialog::Refresh() {
    const auto bytes = WithDeviceLock([]() REQUIRES(g_DeviceLock) {
        const CDeviceRecords& rec = g_DeviceRecords;
        return std::array<int, kFieldCount>{rec.NoiseLevel(), rec.NoiseAttenuation(),
                                            rec.NoiseTime(), rec.NoiseGate()};
    });
    for (int f = 0; f < kFieldCount; ++f)
        Show(static_cast<Field>(f), bytes[static_cast<size_t>(f)]);
}

LRESULT CMixParametersDialog::WindowProc(unsigned msg, WPARAM wParam, LPARAM) {
    // The hidden drop list (id 1311) has no entries: its choice changes nothing.
    if (msg != WM_COMMAND || (wParam >> 16) != 0) return 0;
    switch (static_cast<int>(wParam & 0xFFFF)) {
    case IDC_ATTENUATION:
        OnRecord8Field(kAttenuation, m_Edit[kAttenuation]->GetValue(), false);
        break;
    case IDC_ATTENUATION_SPIN:
        OnRecord8Field(kAttenuation, m_Spin[kAttenuation]->GetBuddyValue(), true);
        break;
    case IDC_LEVEL:
        OnRecord8Field(kLevel, m_Spin[kLevel]->GetBuddyValue(), false);
        break;
    case IDC_LEVEL_SPIN:
        OnRecord8Field(kLevel, m_Edit[kLevel]->GetValue(), false);
        break;
    case IDC_TIME:
    case IDC_TIME_SPIN:
        OnRecord8Field(kTime, m_Spin[kTime]->GetBuddyValue(), false);
        break;
    case IDC_GATE:
        OnGate(m_Edit[kGate]->GetValue());
        break;
    case IDC_GATE_SPIN:
        OnGate(m_Spin[kGate]->GetBuddyValue());
        break;
    case IDC_GATE_SWITCH:
        OnGateSwitch();
        break;
    default:
        break;
    }
    return 0;
}

void CMixParametersDialog::OnRecord8Field(Field field, int value, bool debounce) {
    CDeviceRecords& rec = g_DeviceRecords;
    const int now = field == kLevel  ? rec.NoiseLevel()
                    : field == kTime ? rec.NoiseTime()
                                     : rec.NoiseAttenuation();
    if (now == value) return;
    m_Edit[field]->SetValue(value);
    m_Spin[field]->SetValueChecked(value);
    DeviceLockGuard lock(g_DeviceLock);
    if (field == kLevel)
        rec.SetNoiseLevel(value);
    else if (field == kTime)
        rec.SetNoiseTime(value);
    else
        rec.SetNoiseAttenuation(value);
    if (debounce) {
        // Each step starts the 300 ms again: the record goes once the steps stop.
        m_Timer.Start(kAttenuationDelayMs);
        return;
    }
    // The record carries every byte, the attenuation waiting for its timer too.
    m_Timer.Stop();
    if (m_View) m_View->SendCommand(kRecordSourceSetup, 0);
}

void CMixParametersDialog::OnGate(int value) {
    {
        DeviceLockGuard lock(g_DeviceLock);
        if (g_DeviceRecords.NoiseGate() == value) return;
        g_DeviceRecords.SetNoiseGate(value);
        if (m_View) m_View->MarkMasterChanged(1);
    }
    Show(kGate, value);
}

void CMixParametersDialog::OnGateSwitch() {
    const bool on = m_Switch->GetCheck() == 0;
    m_Switch->SetCheck(on ? 1 : 0);
    DeviceLockGuard lock(g_DeviceLock);
    g_DeviceRecords.SetNoiseGate(on ? kSwitchGate : 0);
    if (m_View) m_View->MarkMasterChanged(1);
}

void CMixParametersDialog::OnTimer() {
    m_Timer.Stop();
    if (m_View) m_View->SendCommand(kRecordSourceSetup, 0);
}

void CMixParametersDialog::SendPendingAttenuation() {
    if (m_Timer.IsActive()) OnTimer();
}

void CMixParametersDialog::done(int result) {
    // A value the timer still held back goes now, not never.
    SendPendingAttenuation();
    CSkinDialog::done(result);
}

void CMixParametersDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, m_Background.In(g_LanguageFlag.load() != 0));
}
