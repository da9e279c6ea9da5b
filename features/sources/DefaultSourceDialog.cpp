#include "features/sources/DefaultSourceDialog.h"

#include "controls/DropListButton.h"
#include "controls/SkinControl.h"
#include "controls/StaticControls.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/ModelLock.h"
#include "pages/PageHost.h"
#include "platform/UiGlobals.h"

namespace {

// Template 1327 in dialog units of Arial 8.
constexpr platform::TemplateFont kDefFont = platform::kArial8;
const QSize kDefSize(150, 66);
const QRect kDefPromptPlace(10, 8, 130, 24);
constexpr QPoint kDefListAt(45, 38); // dialog units
// The source lists' pictures: the list's entries need their width.
constexpr unsigned kDefListNormal = 1273;
constexpr unsigned kDefListHover = 1274;
const QColor kDefPromptColor(73, 72, 72);

constexpr int kDefSources[4] = {0, 5, 3, 1}; // entries: optical, player, AUX, high level
const char* const kDefEntriesCn[4] = {"光纤", "播放器", "低电平", "高电平"};
const char* const kDefEntriesEn[4] = {"Optical", "Player", "AUX", "Hi.Level"};

} // namespace

int CDefaultSourceDialog::SourceOfEntry(int entry) {
    return entry >= 0 && entry < 4 ? kDefSources[entry] : -1;
}

int CDefaultSourceDialog::EntryOfSource(int source) {
    for (int e = 0; e < 4; ++e)
        if (kDefSources[e] == source) return e;
    return -1;
}

CDefaultSourceDialog::CDefaultSourceDialog(IPageHost* view, QWidget* parent)
    : CSkinDialog(parent, kDefFont, kDefSize, Keys::Dialog), m_View(view) {
    m_Prompt = Place<CTransparentStatic>(IDC_PROMPT, kDefPromptPlace);
    m_List = new CDropListButton(this, IDC_SOURCE);
    Name(m_List, IDC_SOURCE);
    m_List->move(platform::DluToPixels(kDefListAt, kDefFont));
}

void CDefaultSourceDialog::OnInitDialog() {
    m_List->SetBitmaps(kDefListNormal, kDefListHover);
    m_List->CreateDropList(this, kListId);
    m_List->ResetContent();
    m_List->EnableMoveNotify(true);
    m_Prompt->setFont(g_FontDialog14);
    m_Prompt->SetTextColor(kDefPromptColor);
    const bool cn = g_LanguageFlag.load() != 0;
    m_Prompt->setText(cn ? QStringLiteral("请选择开机默认音源：")
                         : QStringLiteral("Please select the default source \nfor powering up:"));
    setWindowTitle(cn ? QStringLiteral("开机默认音源") : QStringLiteral("Boot default source"));
    for (const char* entry : cn ? kDefEntriesCn : kDefEntriesEn)
        m_List->AddString(QString::fromUtf8(entry));
    const int entry = EntryOfSource(g_DeviceRecords.PowerOnSource());
    if (entry >= 0) m_List->SetCurSel(entry);
}

LRESULT CDefaultSourceDialog::WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DROP_CHOICE) OnDropListChoice(static_cast<int>(wParam), static_cast<int>(lParam));
    return 0;
}

void CDefaultSourceDialog::OnDropListChoice(int listId, int entry) {
    const int source = SourceOfEntry(entry);
    if (listId != kListId || source < 0) return;
    DeviceLockGuard lock(g_DeviceLock);
    if (g_DeviceRecords.PowerOnSource() == source) return;
    g_DeviceRecords.SetPowerOnSource(source);
    if (m_View) m_View->SendCommand(kRecordSourceSetup, 0);
}
