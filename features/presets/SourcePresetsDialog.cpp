#include "features/presets/SourcePresetsDialog.h"

#include "controls/BitButton.h"
#include "controls/DropListButton.h"
#include "controls/SkinControl.h"
#include "controls/StaticControls.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/ModelLock.h"
#include "pages/PageHost.h"
#include "platform/Skin.h"
#include "platform/UiGlobals.h"

#include <QPainter>

namespace {

// ---- the source-linked presets (template 1339) ------------------------------

constexpr int kBackgroundCn = 1340;
constexpr int kBackgroundEn = 1341;
constexpr unsigned kSwitchOff = 1342;
constexpr unsigned kSwitchOn = 1343;
constexpr unsigned kRowNormal = 1344;
constexpr unsigned kRowHover = 1345;
// Where the background leaves room for them (pixels): the switch beside the
// title, the lists beside the row labels.
constexpr QPoint kSwitchAt(214, 12);
constexpr int kRowLeft = 140;
constexpr int kRowTop = 63;
constexpr int kRowPitch = 29;

// Rows top to bottom by source code: high level, AUX, S/PDIF, phone, player.
constexpr int kRowSources[CSourcePresetsDialog::kRows] = {1, 3, 0, 2, 5};

QSize PictureSize(int id) {
    const QSize size = skin::Size(id);
    return size.isValid() ? size : QSize(80, 20);
}

} // namespace

// ---------------------------------------------------------------------------
// CSourcePresetsDialog
// ---------------------------------------------------------------------------

int CSourcePresetsDialog::SourceOfRow(int row) {
    return row >= 0 && row < kRows ? kRowSources[row] : -1;
}

QStringList CSourcePresetsDialog::Entries() {
    const bool cn = g_LanguageFlag.load() != 0;
    QStringList entries{cn ? QStringLiteral("无") : QStringLiteral("none")};
    for (int j = 0; j < kStoredPresetCount; ++j) {
        const std::string name = g_DeviceRecords.StoredPresetName(j + 1);
        entries << (name.empty()
                        ? (cn ? QStringLiteral("场景%1") : QStringLiteral("Memory%1")).arg(j + 1)
                        : QString::fromStdString(name));
    }
    return entries;
}

CSourcePresetsDialog::CSourcePresetsDialog(IPageHost* view, QWidget* parent)
    : CSkinDialog(parent, platform::kArial8, QSize(), Keys::StayOpen), m_View(view) {
    setFixedSize(PictureSize(kBackgroundEn));
    m_Background = skin::LanguagePixmap(kBackgroundEn, kBackgroundCn);
    m_Switch = new CBitButton(this, IDC_SWITCH);
    Name(m_Switch, IDC_SWITCH);
    m_Switch->move(kSwitchAt);
    for (int i = 0; i < kRows; ++i) {
        CDropListButton* row = m_Rows[static_cast<size_t>(i)] =
            new CDropListButton(this, IDC_ROW + i);
        Name(row, IDC_ROW + i);
        row->move(kRowLeft, kRowTop + i * kRowPitch);
    }
}

void CSourcePresetsDialog::OnInitDialog() {
    const bool cn = g_LanguageFlag.load() != 0;
    setWindowTitle(cn ? QStringLiteral("音源联动音效设置")
                      : QStringLiteral("Audio source settings"));
    m_Switch->SetBitmaps(kSwitchOff, kSwitchOff, kSwitchOff, kSwitchOn, kSwitchOn, kSwitchOn);
    int link = 0;
    std::array<int, kRows> presets{};
    {
        DeviceLockGuard lock(g_DeviceLock);
        link = g_DeviceRecords.SourcePresetLink();
        for (int i = 0; i < kRows; ++i)
            presets[static_cast<size_t>(i)] = g_DeviceRecords.SourcePreset(kRowSources[i]);
    }
    m_Switch->SetCheck(link);
    const QStringList entries = Entries();
    for (int i = 0; i < kRows; ++i) {
        CDropListButton* row = RowList(i);
        row->SetBitmaps(kRowNormal, kRowHover);
        row->CreateDropList(this, kFirstListId + i);
        row->ResetContent();
        for (const QString& entry : entries)
            row->AddString(entry);
        row->EnableMoveNotify(true);
        row->SetCurSel(presets[static_cast<size_t>(i)]);
    }
}

void CSourcePresetsDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, m_Background.In(g_LanguageFlag.load() != 0));
}

LRESULT CSourcePresetsDialog::WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DROP_CHOICE) {
        OnDropListChoice(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    }
    if (msg == WM_COMMAND && (wParam >> 16) == 0 && static_cast<int>(wParam & 0xFFFF) == IDC_SWITCH)
        OnLinkSwitch();
    return 0;
}

void CSourcePresetsDialog::OnDropListChoice(int listId, int entry) {
    const int row = listId - kFirstListId;
    DeviceLockGuard lock(g_DeviceLock);
    if (row >= 0 && row < kRows && entry >= 0 && entry <= kStoredPresetCount)
        g_DeviceRecords.SetSourcePreset(kRowSources[row], entry);
    if (m_View) m_View->SendCommand(kRecordDeviceKept, 0);
}

void CSourcePresetsDialog::OnLinkSwitch() {
    const bool on = m_Switch->GetCheck() == 0;
    m_Switch->SetCheck(on ? 1 : 0);
    DeviceLockGuard lock(g_DeviceLock);
    g_DeviceRecords.SetSourcePresetLink(on ? 1 : 0);
    if (m_View) m_View->SendCommand(kRecordDeviceKept, 0);
}
