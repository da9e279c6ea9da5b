#include "app/LumaraView.h"

#include "pages/output/OutputPage.h"

#include "features/connection/TransferWindow.h"
#include "features/connection/LinkMonitorWindow.h"
#include "files/LumaraDoc.h"
#include "app/MainWindow.h"
#include "app/ShellMessages.h"
#include "controls/GradientProgressCtrl.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/LinkKeys.h"
#include "pages/output/PositionButtons.h"
#include "platform/DialogUnits.h"
#include "platform/Fonts.h"
#include "platform/Skin.h"
#include "platform/UiGlobals.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QTimerEvent>

#include <algorithm>

UiThreadOnly<CLumaraView*> g_ActiveView{nullptr};
UiThreadOnly<CKTVCommand*> g_CommandEngine{nullptr};
UiThreadOnly<std::string> g_StartDirectory;
UiThreadOnly<std::string> g_HelpFileCn;
UiThreadOnly<std::string> g_HelpFileEn;

namespace {

// Template 101 (dialog units of Arial 8), in creation order.
struct TemplateControl {
    int id;
    int x, y, w, h;
    bool hidden;
    bool disabled;
};

constexpr TemplateControl kTemplate101[] = {
    {1413, 481, 20, 30, 12, false, false}, {1368, 1, 70, 850, 347, false, false},
    {8801, 101, 2, 30, 12, false, false},  {8803, 663, 71, 38, 12, true, false},
    {8804, 590, 72, 48, 17, true, false},  {1414, 761, 20, 9, 13, true, false},
    {1002, 765, 19, 6, 12, true, false},   {8802, 140, 2, 30, 12, false, false},
    {2066, 753, 56, 8, 8, true, false},    {2067, 763, 56, 8, 8, true, false},
    {2068, 748, 58, 8, 8, true, false},    {2069, 760, 57, 8, 8, true, false},
    {2561, 562, 19, 80, 14, false, false}, {2562, 543, 18, 80, 14, false, false},
    {2563, 536, 19, 80, 14, false, false}, {2770, 51, 0, 50, 11, false, true},
    {2772, 814, 1, 13, 10, false, false},  {2773, 831, 1, 13, 10, false, false},
    {2776, 526, 7, 130, 14, false, true},  {2819, 173, 0, 28, 10, true, true},
    {2820, 696, 4, 53, 12, true, true},    {1415, 364, 20, 15, 11, false, false},
    {2823, 442, 20, 13, 10, false, false}, {4700, 446, 0, 15, 11, true, false},
    {4701, 403, 20, 15, 11, false, false}, {4702, 325, 20, 15, 11, false, false},
    {4703, 39, 20, 15, 11, false, false},  {4704, 69, 20, 15, 11, false, false},
    {4705, 151, 20, 15, 11, false, false}, {4706, 257, 20, 15, 11, false, false},
    {2821, 209, 9, 50, 14, false, false},
};

// Two texts of the top bar get more room than their template places give
// them: in 75 x 19 pixels the preset name showed only "Pre" of "Preset 1",
// and the status box ran under the level bar, which cut its Chinese text.
// Both sit in the free top row, clear of the level bar (from y 29).
constexpr QRect kPresetNamePlace(280, 3, 280, 24);
constexpr int kPresetNameIndent = 8;
constexpr QRect kLinkStatusPlace(830, 3, 195, 24);
// The mix-source warning's template place lies over the preset name: it
// goes to the free part of the top row, right of the System button.
constexpr QPoint kMixWarningPlace(634, 6);

const TemplateControl* FindTemplate(int id) {
    for (const TemplateControl& c : kTemplate101)
        if (c.id == id) return &c;
    return nullptr;
}

// The bitmaps of the view's own buttons by language: off normal, off hover,
// off pressed, on normal, on hover, on pressed (0: the off picture).
struct ButtonBitmaps {
    int id;
    bool inLayout; // also set by the layout, before the language is applied
    unsigned chinese[6];
    unsigned english[6];
};

constexpr ButtonBitmaps kButtonBitmaps[] = {
    {2821, false, {1353, 1353, 1353, 0, 0, 0}, {1352, 1352, 1352, 0, 0, 0}},
    {2561, false, {4310, 4311, 4312, 4312, 4312, 4312}, {4300, 4301, 4302, 4302, 4302, 4302}},
    {2562, false, {4313, 4314, 4315, 4315, 4315, 4315}, {4303, 4304, 4305, 4305, 4305, 4305}},
    {2563, false, {4316, 4317, 4318, 4318, 4318, 4318}, {4306, 4307, 4308, 4308, 4308, 4308}},
    {1415, true, {1125, 1126, 1126, 1127, 1128, 1128}, {1129, 1130, 1130, 1131, 1275, 1275}},
    {4703, true, {1232, 1233, 1234, 0, 0, 0}, {1214, 1217, 1216, 0, 0, 0}},
    {4704, true, {1235, 1236, 1237, 0, 0, 0}, {1218, 1215, 1219, 0, 0, 0}},
    {2823, true, {1011, 1010, 1012, 1012, 1016, 1011}, {1013, 1014, 1015, 1015, 1017, 1013}},
    {4702, true, {1166, 1167, 1168, 0, 0, 0}, {1169, 1170, 1171, 0, 0, 0}},
    {4700, false, {1330, 1331, 1331, 1328, 1329, 1329}, {1334, 1335, 1335, 1332, 1333, 1333}},
    {4701, true, {1138, 1139, 1238, 1238, 1238, 1138}, {1142, 1143, 1220, 1220, 1220, 1142}},
};

void ApplyBitmaps(CBitButton* button, const unsigned (&ids)[6]) {
    if (button) button->SetBitmaps(ids[0], ids[1], ids[2], ids[3], ids[4], ids[5]);
}

bool IsInside(const QWidget* ancestor, const QObject* object) {
    const QWidget* w = qobject_cast<const QWidget*>(object);
    return w && (w == ancestor || ancestor->isAncestorOf(w));
}

} // namespace

// ---------------------------------------------------------------------------
// Construction
// ---------------------------------------------------------------------------

QRect CLumaraView::TemplateRect(int id) {
    const TemplateControl* c = FindTemplate(id);
    return c ? platform::DluToPixels(QRect(c->x, c->y, c->w, c->h), platform::kArial8) : QRect();
}

CLumaraView::CLumaraView(CLumaraDoc& doc, platform::SettingsStore& settings,
                         const LinkEnvironment& env, QWidget* parent)
    : MessageTarget(parent), m_Doc(doc), m_Data(&doc.Data()), m_Store(settings),
      m_ViewSettings(settings), m_Notify(this), m_UsbMarks(settings, platform::settings::kUsb),
      m_Session(
          doc.Data(), m_UsbMarks, m_Notify,
          [this] {
              QMetaObject::invokeMethod(
                  this, [this] { m_Session.DrainRelay(); }, Qt::QueuedConnection);
          },
          env) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    m_Session.SetHost(this);
    m_Session.SetDeferrer([this](int ms, std::function<void()> task) {
        QTimer::singleShot(ms, this, std::move(task));
    });
    CreateControls();
}

CLumaraView::~CLumaraView() {
    OnDestroy();
    m_Session.SetHost(nullptr);
    m_Session.Detach();
    if (g_CommandEngine == &m_Session.Command()) g_CommandEngine = nullptr;
    if (g_ActiveView == this) g_ActiveView = nullptr;
    if (g_PageHost == this) g_PageHost = nullptr;
}

void CLumaraView::OnDestroy() {
    if (qApp) qApp->removeEventFilter(this);
    // The close button has emptied the list already.
    if (!m_Closing && m_InputSourceList) m_InputSourceList->ResetContent();
    for (const auto& t : m_Timers)
        killTimer(t.second);
    m_Timers.clear();
    ShutDownLink();
    DestroyOwnedWindows();
}

void CLumaraView::ShutDownLink() {
    if (m_LinkShutDown) return;
    m_LinkShutDown = true;
    // A hot-plug event still queued must not connect a view that is going.
    m_Session.StopWatchingHotplug();
    StopIo(false);
    UnmarkUsbDevice();
    StopProbe(false);
}

void CLumaraView::DestroyOwnedWindows() {
    if (g_MonitorDlg && g_MonitorDlg->parent() == this) {
        delete g_MonitorDlg;
        g_MonitorDlg = nullptr;
    }
    if (g_TransferDlg && g_TransferDlg->parent() == this) {
        delete g_TransferDlg; // clears g_TransferDlg
        g_TransferDlg = nullptr;
    }
}

// The controls of template 101 (DoDataExchange binds them to the members).
void CLumaraView::CreateControls() {
    auto place = [](QWidget* w, int id) {
        const TemplateControl* c = FindTemplate(id);
        w->setObjectName(QString::number(id));
        w->setGeometry(TemplateRect(id));
        w->setVisible(!c->hidden);
        w->setEnabled(!c->disabled);
    };
    // Buttons report their clicks to the view as WM_COMMAND (id, BN_CLICKED).
    auto bit = [&](CBitButton*& member, int id) {
        member = new CBitButton(this, id);
        place(member, id);
        m_BitButtons[id] = member;
    };
    auto xp = [&](CPictureButton*& member, int id) {
        member = new CPictureButton(this, id);
        place(member, id);
    };

    xp(m_ConnectButton, IDC_CONNECT);
    m_Tab = new CEnTabCtrl(this);
    SetControlId(m_Tab, IDC_TAB);
    place(m_Tab, IDC_TAB);
    m_Background.SetCovered(m_Tab->geometry().translated(-2, 0));
    xp(m_ModeMenuButton, IDC_MODE_MENU);
    xp(m_SystemDialogButton, IDC_SYSTEM_DIALOG);
    xp(m_ReportButton, IDC_REPORT);
    m_Progress = new CGradientProgressCtrl(this);
    place(m_Progress, IDC_PROGRESS);
    m_PresetNameEdit = new QLineEdit(this);
    place(m_PresetNameEdit, IDC_PRESET_EDIT);
    m_PresetNameEdit->setReadOnly(true);
    xp(m_SystemMenuButton, IDC_SYSTEM_MENU);
    for (int page = 0; page < 4; ++page)
        xp(m_ModeButtons[page], IDC_MODE_PAGE0 + page);
    bit(m_PageButtons[1], IDC_PAGE1);
    bit(m_PageButtons[0], IDC_PAGE0);
    bit(m_PageButtons[2], IDC_PAGE2);
    bit(m_PresetNameButton, IDC_PRESET_NAME);
    m_PresetNameButton->setGeometry(kPresetNamePlace);
    bit(m_MinimiseButton, IDC_MINIMISE);
    bit(m_CloseButton, IDC_CLOSE);
    m_LinkStatus = new CLinkStateText(this);
    SetControlId(m_LinkStatus, IDC_LINK_STATUS);
    place(m_LinkStatus, IDC_LINK_STATUS);
    m_LinkStatus->setGeometry(kLinkStatusPlace);
    m_LinkStatus->SetText(QStringLiteral("未连接设备"));
    bit(m_SceneSlot1, IDC_SCENE_SLOT1);
    bit(m_LockButton, IDC_LOCK);
    m_Lock.SetButton(m_LockButton);
    bit(m_MixToggle, IDC_MIX_TOGGLE);
    bit(m_BridgeButton, IDC_BRIDGE);
    bit(m_LRLinkButton, IDC_LR_LINK);
    bit(m_MapResetButton, IDC_MAP_RESET);
    bit(m_SceneLoadButton, IDC_SCENE_LOAD);
    bit(m_SceneStoreButton, IDC_SCENE_STORE);
    m_InputSourceList = new CDropListButton(this, IDC_INPUT_SOURCE);
    place(m_InputSourceList, IDC_INPUT_SOURCE);
    m_MixSourceList = new CDropListButton(this, IDC_MIX_SOURCE);
    place(m_MixSourceList, IDC_MIX_SOURCE);
    bit(m_MixWarning, IDC_MIX_WARNING);
    m_MixWarning->move(kMixWarningPlace);
}

CBitButton* CLumaraView::PageButton(int page) const {
    return page >= 0 && page < 3 ? m_PageButtons[page] : nullptr;
}

CBitButton* CLumaraView::BitButton(int id) const {
    auto it = m_BitButtons.find(id);
    return it == m_BitButtons.end() ? nullptr : it->second;
}

// ---------------------------------------------------------------------------
// Initial update and layout
// ---------------------------------------------------------------------------

void CLumaraView::OnInitialUpdate() {
    g_ActiveView = this;
    g_PageHost = this;
    m_Session.Command().SetNotifyWnd(&m_Session.Relay());
    g_StartDirectory = QDir::currentPath().toStdString();
    m_ProgramFolder = g_StartDirectory;
    for (int i = 0; i < kOutputCount; ++i)
        SetLinkKey(i, i);
    InitFileDialogPaths();
    g_HelpFileCn = m_ProgramFolder + "/CH_Help.chm";
    g_HelpFileEn = m_ProgramFolder + "/EN_Help.chm";
    // The update folder and file, and the stored language (which wins
    // over the system's).
    m_Session.Worker().SetConnected(false);
    m_ViewSettings.StartUpLanguage();
    m_Data->LoadFromImage(g_ParamImage, g_CurrentOutput);
    LayoutControls();
    SwitchLanguage(false);
    SetModePage(0, 0);
    SelectPage(g_CurrentPage, false);
    SelectSource(g_DeviceRecords.ActiveSource(), 0);
    RegisterHidNotification();
    RefreshTitleAndPaths();
    g_CommandEngine = &m_Session.Command();
    m_Session.Attach();
    // The communication monitor, hidden.
    g_MonitorDlg = new CLinkMonitorWindow(this);
    g_MonitorDlg->hide();
    m_ViewSettings.StartUpOthers();
    m_DragRect = rect();
    m_Dragging = false;
    qApp->installEventFilter(this);
    // A new work area of the desktop reaches the view as the system's setting change.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        connect(screen, &QScreen::availableGeometryChanged, this,
                [this] { PostMessage(WM_SETTINGCHANGE, kWorkAreaSetting, 0); });
    SetTimer(kFirstConnectTimer, kFirstConnectMs);
    // What the window starts with is nothing the device has missed.
    m_Session.ForgetUnsentChanges();
}

void CLumaraView::InitFileDialogPaths() {
    for (int i = 0; i < 6; ++i)
        m_FileDialogPaths[i] =
            m_ProgramFolder + (i < 4 ? "/DataFile/*.rsas" : "/DataFile/*.Mode_C");
}

void CLumaraView::RefreshTitleAndPaths() {
    window()->setWindowTitle(QString::fromUtf8(g_ProductTitle));
    if (g_DisplayMode == 1) InitFileDialogPaths();
}

void CLumaraView::LayoutControls() {
    const bool cn = g_LanguageFlag.load() != 0;
    m_Progress->SetBarColor(QColor(128, 128, 128));
    m_PresetNameButton->SetDisabledBitmaps(718, 716);
    m_PresetNameButton->SetDisabledTextColor(QColor(14, 14, 139));
    m_PresetNameButton->SetDisabledTextFormat(0);
    m_PresetNameButton->SetDisabledTextIndent(kPresetNameIndent);
    m_PresetNameButton->setText(QString());
    // The two source lists.
    m_InputSourceList->SetBitmaps(1273, 1274);
    m_InputSourceList->CreateDropList(this, kInputSourceNotify);
    m_InputSourceList->ResetContent();
    m_InputSourceList->EnableMoveNotify(true);
    m_MixSourceList->SetBitmaps(1273, 1274);
    m_MixSourceList->CreateDropList(this, kMixSourceNotify);
    m_MixSourceList->EnableMoveNotify(true);
    for (const ButtonBitmaps& b : kButtonBitmaps)
        if (b.inLayout) ApplyBitmaps(BitButton(b.id), cn ? b.chinese : b.english);
    m_LinkStatus->StartBlink();
    CreateMenus();
    m_MinimiseButton->SetBitmaps(4946, 4947, 4947, 0, 0, 0);
    m_CloseButton->SetBitmaps(4948, 4949, 4949, 0, 0, 0);
    m_Tab->SetBkgndColor(QColor(227, 228, 238));
    m_Tab->EnableDraw(2);
    CEnTabCtrl::SetLookFlags(0x1F, 0x1F);
    m_Tab->update();
    // The pages overlap in the page area.
    m_OutputPage = CreateOutputPage(m_Tab);
    m_LockPanel = CreateLockPanel(m_Tab);
    m_MixPage = CreateMixPage(m_Tab);
    m_OutputPage->SetChannelArray(m_Data);
    for (CViewPage* page : {m_OutputPage, m_LockPanel, m_MixPage}) {
        page->hide();
        page->setGeometry(m_Tab->rect());
    }
    m_EditFont = platform::ArialFont(20, 400);
    m_BoldEditFont = platform::ArialFont(20, 500);
    m_PresetNameEdit->setFont(m_EditFont);
    m_PresetNameButton->SetDisabledFont(&m_EditFont);
    m_OutputPage->SetView(this);
    m_OutputPage->SetChannelArray(m_Data);
    m_OutputPage->RefreshAll();
    m_MixPage->SetView(this);
    m_MixPage->SetChannelArray(m_Data);
    m_MixPage->Init();
    // The level bar.
    m_LevelBar = CreateLevelBar(this);
    m_LevelBar->SetBackgroundBitmap(739);
    m_LevelBar->SetView(this);
    m_LevelBar->SetChannelArray(m_Data);
    m_LevelBar->SetListButtonBitmaps(1148, 1147);
    m_LevelBar->AddListString(QStringLiteral("毫秒"));
    m_LevelBar->AddListString(QStringLiteral("厘米"));
    m_LevelBar->AddListString(QStringLiteral("英寸"));
    m_LevelBar->SetListSelection(0);
    m_LevelBar->SetSliderChannelBitmap(357, 357, 0xFF000000u);
    m_LevelBar->SetSliderThumbBitmap(358, 282, 0xFF000000u);
    m_LevelBar->SetSliderRange(0, 66, true);
    m_LevelBar->setGeometry(LevelBarRect());
    m_LevelBar->show();
    // The strips; the last two do not fit in the window.
    for (int i = 0; i < kStripCount; ++i) {
        CStripBase* s = m_Strips[i] = CreateStrip(this);
        s->SetBackgroundBitmap(1151, 1151, 1151, 1151);
        s->SetCaptionBitmaps(818 + 3 * i, 817 + 3 * i, 819 + 3 * i);
        m_StripRects[i] = StripRect(i);
        s->setGeometry(m_StripRects[i]);
        s->setVisible(i < kVisibleStrips);
        s->m_OutputIndex = i;
        s->m_Output = m_Data->GetOut(i);
        s->m_View = this;
        s->SetCaptionChecked(false);
        s->SetSelected(false);
        s->UpdateCaption();
        s->m_Mask = 1 << i;
    }
    if (CStripBase* current = Strip(g_CurrentOutput)) {
        current->SetCaptionChecked(true);
        current->SetSelected(true);
    }
    RefreshMasterControls();
    // The speaker-position buttons lie on the output page.
    if (auto* page = dynamic_cast<COutputPage*>(m_OutputPage))
        m_PositionButtons = page->PositionLayer();
    else
        m_PositionButtons = new CPositionButtons(m_OutputPage, this);
    m_PositionButtons->ShowPositionButtons();
    // The transfer window, hidden; its bar receives the replies' progress.
    g_TransferDlg = new CTransferWindow(this);
    g_TransferDlg->hide();
    g_TransferProgress = TransferProgressSink();
    ApplySpeakerTypesAtStart();
    update();
}

// ---------------------------------------------------------------------------
// Pages
// ---------------------------------------------------------------------------

int CLumaraView::CurrentPage() const {
    return g_CurrentPage;
}

void CLumaraView::SelectPage(int page, bool leaveOld) {
    if (!PageButton(page)) return;
    if (leaveOld) {
        const int old = g_CurrentPage;
        if (CBitButton* b = PageButton(old)) b->SetCheck(0);
        if (old == 1) m_OutputPage->hide();
        g_CurrentPage = page;
    }
    PageButton(page)->SetCheck(1);
    if (page == 1) {
        m_OutputPage->show();
        m_Background.ReleaseCovered();
        m_OutputPage->RefreshChannel();
    }
}

void CLumaraView::OnPageButton(int page) {
    // A button does nothing for the page already shown.
    if (page == g_CurrentPage) return;
    SelectPage(page, true);
}

// ---------------------------------------------------------------------------
// Language
// ---------------------------------------------------------------------------

void CLumaraView::SwitchLanguage(bool toggle) {
    const bool statusShown = !m_LinkStatus->isHidden();
    if (toggle) g_LanguageFlag = g_LanguageFlag.load() ? 0 : 1;
    ApplyLanguage();
    // The re-skin hides the connection text; a switch at run time shows it
    // again in the new language, so the state does not go out of sight.
    if (toggle) m_LinkStatus->setVisible(statusShown);
    update();
}

void CLumaraView::ApplyLanguage() {
    const bool cn = g_LanguageFlag.load() != 0;
    for (CBitButton* b : m_PageButtons)
        b->hide();
    m_LinkStatus->hide();
    g_LanguageSetting = cn ? "Chinese" : "English";

    for (const ButtonBitmaps& b : kButtonBitmaps)
        ApplyBitmaps(BitButton(b.id), cn ? b.chinese : b.english);

    FillInputSourceList();

    if (cn) {
        m_ModeMenuButton->SetBitmaps(8701, 8710, 8710, 8710, 8710, 8710);
        m_SystemMenuButton->SetBitmaps(8702, 8711, 8711, 8711, 8711, 8711);
    } else {
        m_ModeMenuButton->SetBitmaps(8720, 8730, 8730, 8730, 8730, 8730);
        m_SystemMenuButton->SetBitmaps(8721, 8731, 8731, 8731, 8731, 8731);
    }

    if (g_DeviceSynced.load()) {
        if (cn)
            m_ConnectButton->SetBitmaps(8741, 8750, 8750, 0, 0, 0);
        else
            m_ConnectButton->SetBitmaps(8743, 8752, 8752, 0, 0, 0);
        m_LinkStatus->SetText(cn ? QStringLiteral("已连接设备")
                                 : QStringLiteral("Connected device"));
    } else {
        if (cn)
            m_ConnectButton->SetBitmaps(8751, 8740, 8740, 0, 0, 0);
        else
            m_ConnectButton->SetBitmaps(8753, 8742, 8742, 0, 0, 0);
        m_LinkStatus->SetText(cn ? QStringLiteral("未连接设备")
                                 : QStringLiteral("Not connected devices"));
    }
    ApplyMenuLanguage();

    // The default preset name follows the language; any other name stays.
    if (g_DeviceSynced.load() && g_DeviceRecords.CurrentStoredPreset() == 0) {
        const QString caption = m_PresetNameButton->text();
        if (cn && caption == QLatin1String("Custom"))
            m_PresetNameButton->setText(QStringLiteral("自定义"));
        else if (!cn && caption == QStringLiteral("自定义"))
            m_PresetNameButton->setText(QStringLiteral("Custom"));
    }

    if (m_LevelBar) m_LevelBar->SetBackgroundBitmap(cn ? 739 : 1153);
    for (int i = 0; i < kStripCount; ++i) {
        CStripBase* s = m_Strips[i];
        if (!s) continue;
        const int bg = cn ? 1151 : 1152;
        s->SetBackgroundBitmap(bg, bg, bg, bg);
        s->SetLanguage(cn ? 1 : 0);
        s->ShowLinkGroup(LinkKeyOf(i));
        s->UpdateCaption();
    }
    RefillMixSourceList();
    m_ViewSettings.SaveDspMcuSettings();
    if (m_OutputPage) m_OutputPage->ApplyLanguage();
    if (m_MixPage) m_MixPage->ApplyLanguage();
    if (m_LockPanel) m_LockPanel->ApplyLanguage();
    if (m_LevelBar) m_LevelBar->ApplyLanguage();
    // The other language's pictures go: the window holds only the one shown.
    m_Background.Release();
    skin::ReleaseOtherLanguage(cn);
}

void CLumaraView::SetModePage(int page, int set) {
    const int current = g_DeviceRecords.CurrentModePage();
    if (!set) {
        if (CPictureButton* b = ModeButton(current)) b->SetCheck(0);
        return;
    }
    if (page == current || page < 0 || page >= kModePageCount) return;
    if (CPictureButton* b = ModeButton(current)) b->SetCheck(0);
    DeviceLockGuard lock(g_DeviceLock);
    g_DeviceRecords.SetCurrentModePage(page);
}

void CLumaraView::RefreshMasterControls() {
    if (!m_LevelBar) return;
    int word = 0;
    bool muted = false;
    {
        DeviceLockGuard lock(g_DeviceLock);
        word = g_DeviceRecords.MasterVolume();
        muted = g_DeviceRecords.MasterOn() == 0;
    }
    m_LevelBar->SetValue(IsMasterVolume(word) ? word : kMasterVolumeFallback);
    m_LevelBar->SetMuteCheck(muted);
}

void CLumaraView::StartEditGuardTimer() {
    SetTimer(kEditGuardTimer, kEditGuardMs);
}

// ---------------------------------------------------------------------------
// The link engine
// ---------------------------------------------------------------------------

void CLumaraView::StopIo(bool release) {
    m_Session.StopIo(release);
}
void CLumaraView::UnmarkUsbDevice() {
    m_Session.Usb().UnmarkUsbDevice();
}
void CLumaraView::StopProbe(bool keep) {
    m_Session.Net().StopProbe(keep);
}

void CLumaraView::RegisterHidNotification() {
    m_Session.WatchHotplug([this](std::function<void()> deliver) {
        QMetaObject::invokeMethod(this, std::move(deliver), Qt::QueuedConnection);
    });
}

// ---------------------------------------------------------------------------
// Timers and messages
// ---------------------------------------------------------------------------

void CLumaraView::SetTimer(int id, int ms) {
    KillTimer(id);
    m_Timers[id] = startTimer(ms, Qt::PreciseTimer);
}

void CLumaraView::KillTimer(int id) {
    auto it = m_Timers.find(id);
    if (it == m_Timers.end()) return;
    killTimer(it->second);
    m_Timers.erase(it);
}

void CLumaraView::timerEvent(QTimerEvent* event) {
    for (const auto& t : m_Timers) {
        if (t.second == event->timerId()) {
            OnTimer(t.first);
            return;
        }
    }
    QWidget::timerEvent(event);
}

void CLumaraView::OnTimer(int id) {
    switch (id) {
    case kEditGuardTimer:
        KillTimer(kEditGuardTimer);
        g_StateFlags[kFlagStatusGuard] = 0;
        // The device's next report is taken over even when it did not change
        // meanwhile: it may differ from what the user set.
        m_Session.Command().AskForStatus();
        break;
    case kFirstConnectTimer:
        PostMessage(WM_FIRST_CONNECT, 0, 0);
        KillTimer(kFirstConnectTimer);
        break;
    default:
        break; // timer 1 has no effect
    }
}

LRESULT CLumaraView::WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) {
    if (OnStripMessage(msg, wParam, lParam)) return 0;
    // The link's own messages: connection, transfers, firmware update.
    if (m_Session.OnMessage(msg, wParam, lParam)) return 0;
    switch (msg) {
    case WM_DEVICE_DATA_DONE:
        return OnDeviceDataLoaded(wParam, lParam);
    case WM_ALL_PRESETS_READ:
        return OnAllPresetsRead(wParam, lParam);
    case WM_OUTPUT_MAP:
        return OnOutputMapLoaded(wParam, lParam);
    case WM_DEVICE_STATUS:
        return OnDeviceStatus(wParam, lParam);
    case WM_RELOAD_EFFECT:
        return OnReloadEffect(wParam, lParam);
    case WM_PRESET_NAME_CUSTOM:
        return OnPresetNameChanged(wParam, lParam);
    case WM_USER_120:
    case WM_USER_303:
        return 0;
    case WM_SELECT_PAGE2:
        SelectPage(2, true);
        return 0;
    case WM_LOCK_STATE_AFTER_LOAD:
        m_Lock.OnStateAfterFileLoad();
        return 0;
    case WM_COMMAND: {
        const int id = static_cast<int>(wParam & 0xFFFF);
        if (id >= ID_USB_DEVICE_FIRST && id <= ID_USB_DEVICE_LAST) {
            OnUsbDeviceChosen(id);
            return 0;
        }
        if (OnTopBarCommand(id)) return 0;
        if (OnFileCommand(id)) return 0;
        if (OnMenuCommand(id)) return 0;
        switch (id) {
        case IDC_LOCK:
            m_Lock.OnLockButton();
            break;
        case IDC_CONNECT:
            OnConnectButton();
            break;
        case ID_CONNECT_USB:
            m_Session.ConnectUsb();
            break;
        case ID_CONNECT_NETWORK:
            m_Session.NetConnect();
            break;
        case IDC_PAGE1:
            OnPageButton(1);
            break;
        case IDC_PAGE0:
            OnPageButton(0);
            break;
        case IDC_PAGE2:
            OnPageButton(2);
            break;
        case IDC_MINIMISE:
            OnMinimise();
            break;
        case IDC_CLOSE:
            OnCloseButton();
            break;
        case IDC_MIX_TOGGLE:
            OnPageToggle();
            break;
        default:
            break;
        }
        return 0;
    }
    default:
        return 0;
    }
}

// ---------------------------------------------------------------------------
// Window behaviour
// ---------------------------------------------------------------------------

void CLumaraView::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    m_Background.Draw(p, QPoint(2, 0), event->region(), g_LanguageFlag.load() != 0);
}

void CLumaraView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_DragRect.contains(event->position().toPoint())) {
        m_Dragging = true;
        m_DragStart = event->position().toPoint();
        grabMouse();
    }
    QWidget::mousePressEvent(event);
}

void CLumaraView::mouseMoveEvent(QMouseEvent* event) {
    if (m_Dragging) window()->move(event->globalPosition().toPoint() - m_DragStart);
    QWidget::mouseMoveEvent(event);
}

void CLumaraView::mouseReleaseEvent(QMouseEvent* event) {
    if (m_Dragging) {
        m_Dragging = false;
        releaseMouse();
    }
    QWidget::mouseReleaseEvent(event);
}

bool CLumaraView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && IsInside(this, watched))
        return PreTranslateKey(static_cast<QWidget*>(watched), static_cast<QKeyEvent*>(event));
    return false;
}

bool CLumaraView::PreTranslateKey(QWidget* target, QKeyEvent* key) {
    // The output page sees the keys of its own fields first.
    if (m_OutputPage && m_OutputPage->isVisible() && IsInside(m_OutputPage, target) &&
        m_OutputPage->PreTranslateKey(target, key))
        return true;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        // A numeric field that loses the focus takes its value; the key goes on.
        setFocus(Qt::OtherFocusReason);
        return false;
    case Qt::Key_Tab:
        // The mix page moves Tab along its own ring of edits.
        if (m_MixPage && m_MixPage->isVisible() && IsInside(m_MixPage, target)) return false;
        [[fallthrough]];
    case Qt::Key_Backtab:
        if (g_CurrentPage == 1 && m_OutputPage) m_OutputPage->FocusFirstBand();
        // No dialog navigation on any page.
        return true;
    default:
        return false;
    }
}

void CLumaraView::ShowUpdateRange(int range) {
    m_Progress->SetRange(0, range);
}

void CLumaraView::OnMinimise() {
    if (!MessageToFrame(window(), WM_SYSCOMMAND, SC_MINIMIZE, true)) window()->showMinimized();
}

void CLumaraView::OnCloseButton() {
    DestroyOwnedWindows();
    m_InputSourceList->ResetContent();
    ShutDownLink();
    m_Closing = 1;
    if (window() == this) return;
    if (!MessageToFrame(window(), WM_SYSCOMMAND, SC_CLOSE, false)) window()->close();
}
