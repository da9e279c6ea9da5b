#include "features/system/AdvancedSettingsDialog.h"

#include "features/connection/TransferWindow.h"
#include "controls/DynamicsGraph.h"
#include "controls/ControlNotify.h"
#include "controls/ListCtrlCl.h"
#include "controls/MessageBox.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "controls/StaticControls.h"
#include "controls/core/NumValue.h"
#include "link/LinkGlobals.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/KTV_OutData.h"
#include "model/SourceTable.h"
#include "model/SpeakerTypes.h"
#include "pages/PageHost.h"
#include "platform/Skin.h"
#include "platform/UiGlobals.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include <algorithm>

const int CAdvancedSettingsDialog::kFocusOrder[kEditCount] = {2731, 2791, 2792, 2734, 2765,
                                                              2741, 2759, 2760, 2758, 2778};

namespace {

constexpr int kBackgroundCn = 6750, kBackgroundEn = 6751;
const QSize kSize(760, 486);

// The source values are the volumes of S/PDIF, Hi.Level and Phone (source
// codes 0 to 2); the master values are the master volume word and the master
// trim (the master record's input-lock byte).
constexpr int kVolumeMax = 66; // 60 is 0 dB
constexpr int kSourceMax = 60;
constexpr int kTrimMax = 60;
constexpr int kAttackMax = 206; // 200 ms
constexpr int kCompressorMax = 360;
constexpr int kPortMax = 65535;

struct FieldLayout {
    int id;
    int spinId;
    QRect place;
    int type;
    int minimum, maximum;
    double scale, offset;
    const char* unit;
};

// clang-format off
const FieldLayout kFieldLayouts[] = {
    {CAdvancedSettingsDialog::IDC_SOURCE_A, 2732, {110, 128, 76, 24}, numfield::kGain, 0, kSourceMax, 1, 60, "dB"},
    {CAdvancedSettingsDialog::IDC_SOURCE_B, 2793, {216, 128, 76, 24}, numfield::kGain, 0, kSourceMax, 1, 60, "dB"},
    {CAdvancedSettingsDialog::IDC_SOURCE_C, 2794, {322, 128, 76, 24}, numfield::kGain, 0, kSourceMax, 1, 60, "dB"},
    {CAdvancedSettingsDialog::IDC_MASTER_VOLUME, 2735, {470, 128, 76, 24}, numfield::kGain, 0, kVolumeMax, 1, 60, "dB"},
    {CAdvancedSettingsDialog::IDC_MASTER_B, 2766, {576, 128, 76, 24}, numfield::kIntegerUnit, 0, kTrimMax, 1, 0, "dB"},
    {CAdvancedSettingsDialog::IDC_LIMITER, 2761, {630, 214, 100, 24}, numfield::kLevelDbu, 0, dynamics::kLevelMax, 0.1, 30, "dBu"},
    {CAdvancedSettingsDialog::IDC_COMPRESSOR, 2780, {630, 262, 100, 24}, numfield::kLevelDbu, 0, kCompressorMax, 0.1, 30, "dBu"},
    {CAdvancedSettingsDialog::IDC_RATIO, 2763, {630, 310, 100, 24}, numfield::kRatio, dynamics::kRatioMin, dynamics::kRatioMax, 1, 0, ""},
    {CAdvancedSettingsDialog::IDC_ATTACK, 2762, {630, 358, 100, 24}, numfield::kShortTime, 0, kAttackMax, 1, 0, "ms"},
};
// clang-format on

template <class W> W* Make(QWidget* parent, int id, const QRect& r) {
    auto* w = new W(parent);
    SetControlId(w, id);
    w->setGeometry(r);
    return w;
}

QString Lang(const char* cn, const char* en) {
    return QString::fromUtf8(g_LanguageFlag.load() ? cn : en);
}

const BiText kAddressRefused{"IP地址格式错误!", "The IP address is not valid!"};

} // namespace

CAdvancedSettingsDialog::CAdvancedSettingsDialog(QWidget* parent)
    : MessageTarget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowCloseButtonHint) {
    m_View = g_PageHost;
    setFixedSize(kSize);
    setFont(g_FontDialog14);
    m_Address = Make<QLineEdit>(this, IDC_ADDRESS, {110, 40, 150, 24});
    m_Address->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,3}(\\.[0-9]{0,3}){0,3}")), m_Address));
    m_PortEdit = Make<QLineEdit>(this, IDC_PORT, {320, 40, 70, 24});
    m_PortEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,6}")), m_PortEdit));
    m_PortEdit->installEventFilter(this);
    m_Apply = Make<QPushButton>(this, IDC_APPLY, {400, 40, 90, 24});
    m_ResetModule = Make<QPushButton>(this, IDC_RESET_MODULE, {510, 40, 150, 24});
    m_InputModeButton = Make<QPushButton>(this, IDC_INPUT_MODE, {110, 84, 120, 24});
    CreateFields();
    m_List = Make<CListCtrlCl>(this, IDC_CHANNELS, {20, 190, 330, 244});
    m_Curve = Make<CDynamicsGraph>(this, 0, {370, 190, 240, 226});
    m_ShowEq = Make<QCheckBox>(this, IDC_SHOW_EQ, {630, 396, 120, 22});
    // Light texts on the dark background.
    QPalette light = m_ShowEq->palette();
    light.setColor(QPalette::WindowText, Qt::white);
    m_ShowEq->setPalette(light);
    m_Description = new CTransparentStatic(this);
    m_Description->SetTextColor(Qt::white);
    SetControlId(m_Description, IDC_DESCRIPTION);
    m_Description->setGeometry(20, 440, 720, 40);

    connect(m_Address, &QLineEdit::textEdited, this, [this] { OnAddressEdited(); });
    connect(m_PortEdit, &QLineEdit::textEdited, this, [this] { OnPortEdited(); });
    connect(m_Apply, &QPushButton::clicked, this, [this] { OnApply(); });
    connect(m_ResetModule, &QPushButton::clicked, this, [this] { OnResetModule(); });
    connect(m_InputModeButton, &QPushButton::clicked, this, [this] { OnInputModeButton(); });
    connect(m_ShowEq, &QCheckBox::clicked, this, [this] { OnShowEqToggled(); });
    connect(m_List, &QTableWidget::cellClicked, this,
            [this](int row, int) { OnChannelClicked(row); });
}

CAdvancedSettingsDialog::~CAdvancedSettingsDialog() {
    if (g_AdvancedDlg == this) g_AdvancedDlg = nullptr;
}

void CAdvancedSettingsDialog::CreateFields() {
    for (const FieldLayout& s : kFieldLayouts) {
        Field f{s.id, s.spinId, Make<CNumEdit>(this, s.id, s.place), nullptr};
        f.spin = Make<CNumSpin>(this, s.spinId,
                                QRect(s.place.right() + 1, s.place.top(), 16, s.place.height()));
        f.edit->SetScale(s.scale);
        f.edit->SetOffset(s.offset);
        f.edit->SetType(s.type, QString::fromUtf8(s.unit));
        f.spin->SetBuddy(f.edit);
        f.spin->SetRange32(s.minimum, s.maximum);
        f.edit->installEventFilter(this);
        m_Fields.push_back(f);
    }
}

void CAdvancedSettingsDialog::SetData(CKTV_Data* data) {
    m_Data = data;
    m_Curve->SetData(data);
}

CNumEdit* CAdvancedSettingsDialog::Edit(int id) const {
    const Field* f = FieldOf(id);
    return f ? f->edit : nullptr;
}

const CAdvancedSettingsDialog::Field* CAdvancedSettingsDialog::FieldOf(int id) const {
    for (const Field& f : m_Fields)
        if (f.id == id || f.spinId == id) return &f;
    return nullptr;
}

CKTV_OutData* CAdvancedSettingsDialog::Output() const {
    return m_Data && m_Channel >= 0 ? m_Data->GetOut(m_Channel) : nullptr;
}

void CAdvancedSettingsDialog::showEvent(QShowEvent* event) {
    OnInitDialog();
    MessageTarget::showEvent(event);
}

void CAdvancedSettingsDialog::OnInitDialog() {
    if (m_Initialised) return;
    m_Initialised = true;
    g_AdvancedDlg = this;
    const QSize background = skin::Size(BackgroundId());
    if (background.isValid()) setFixedSize(background);
    const bool cn = g_LanguageFlag.load() != 0;
    setWindowTitle(cn ? QStringLiteral("高级") : QStringLiteral("Advanced Setting"));
    m_Description->setText(DescriptionText());
    m_Apply->setText(Lang("应用", "Apply"));
    m_ResetModule->setText(Lang("复位网络模块", "Reset network module"));
    m_ShowEq->setText(Lang("显示EQ曲线", "Show EQ curve"));

    m_List->SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_List->SetRowHeight(18);
    m_List->SetBkColor(QColor(128, 128, 128));
    m_List->SetTextColor(QColor(255, 255, 255));
    m_List->SetTextBkColor(QColor(247, 247, 255));
    m_List->InsertColumn(0, Lang("通道", "Channel"), LVCFMT_CENTER, 64);
    m_List->InsertColumn(1, Lang("类型", "Type"), LVCFMT_LEFT, 140);
    m_List->InsertColumn(2, Lang("联动", "Linked"), LVCFMT_CENTER, 64);
    m_List->InsertColumn(3, QString(), LVCFMT_CENTER, 40);
    for (int row = 0; row < kChannelRows; ++row)
        m_List->InsertItem(row, QStringLiteral("CH%1").arg(row + 1));
    m_List->clearSelection();
    m_Curve->SetMode(CDynamicsGraph::kModeCurve);
    RefreshFromGlobals();
}

QString CAdvancedSettingsDialog::DescriptionText() {
    return g_LanguageFlag.load()
               ? QStringLiteral("说明:\n        设置输出回声场点是否同时显示EQ频响曲线。")
               : QStringLiteral("Description:\n        Set the output echo sites also show "
                                "whether EQ response curve.");
}

int CAdvancedSettingsDialog::BackgroundId() const {
    return g_LanguageFlag.load() ? kBackgroundCn : kBackgroundEn;
}

void CAdvancedSettingsDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPixmap background = skin::Pixmap(BackgroundId());
    if (background.isNull())
        p.fillRect(rect(), g_DialogBkBrush);
    else
        p.drawPixmap(0, 0, background);
}

// ---------------------------------------------------------------------------
// What the view calls
// ---------------------------------------------------------------------------

void CAdvancedSettingsDialog::RefreshFromGlobals() {
    RefreshNetworkAddress();
    int sources[3], volume, trim;
    {
        DeviceLockGuard lock(g_DeviceLock);
        for (int i = 0; i < 3; ++i)
            sources[i] = g_DeviceRecords.SourceVolume(i);
        volume = g_DeviceRecords.MasterVolume();
        trim = g_DeviceRecords.InputLock();
        const int active = g_DeviceRecords.ActiveSource();
        m_InputMode = active < 6 ? active : 6;
    }
    const int ids[3] = {IDC_SOURCE_A, IDC_SOURCE_B, IDC_SOURCE_C};
    for (int i = 0; i < 3; ++i)
        Edit(ids[i])->SetValue(std::clamp(sources[i], 0, kSourceMax));
    Edit(IDC_MASTER_VOLUME)->SetValue(std::clamp(volume, 0, kVolumeMax));
    Edit(IDC_MASTER_B)->SetValue(std::clamp(trim, 0, kTrimMax));
    ShowInputMode();
    m_ShowEq->setChecked(g_LineSetting != 0);
    FillChannelRows();
    ResetLinkMarks();
    if (m_Channel >= 0) LoadChannel(m_Channel);
}

void CAdvancedSettingsDialog::EnableApply(bool enable) {
    m_Apply->setEnabled(enable);
}

void CAdvancedSettingsDialog::RefreshNetworkAddress() {
    m_Address->setText(QString::fromStdString(DeviceAddress()));
    m_Port = g_DevicePort.load();
    m_PortEdit->setText(QString::number(m_Port));
    EnableApply(false);
}

// ---------------------------------------------------------------------------
// The network module
// ---------------------------------------------------------------------------

void CAdvancedSettingsDialog::OnAddressEdited() {
    if (m_Address->text().toStdString() != DeviceAddress()) EnableApply(true);
}

void CAdvancedSettingsDialog::OnPortEdited() {
    const int port = m_PortEdit->text().toInt();
    if (port > kPortMax) m_PortEdit->setText(QString::number(kPortMax));
    m_Port = std::min(port, kPortMax);
    if (m_Port != g_DevicePort.load()) EnableApply(true);
}

void CAdvancedSettingsDialog::OnPortFocusLost() {
    if (m_PortEdit->text().toInt() >= 1) return;
    m_Port = 1;
    m_PortEdit->setText(QStringLiteral("1"));
    if (m_Port != g_DevicePort.load()) EnableApply(true);
}

bool CAdvancedSettingsDialog::OnApply() {
    const std::string text = m_Address->text().toStdString();
    DeviceEndpoint endpoint;
    const bool dotted = std::count(text.begin(), text.end(), '.') == 3;
    if (!dotted || !ParseDeviceAddress(text, endpoint)) {
        CMessageBox::Show(QString::fromUtf8(kAddressRefused.Pick()), MB_OK, 0, this);
        return false;
    }
    const int port = std::clamp(m_PortEdit->text().toInt(), 1, kPortMax);
    {
        DeviceLockGuard lock(g_DeviceLock);
        g_DeviceIpAddress = endpoint.host;
    }
    g_DevicePort = port;
    RefreshNetworkAddress();
    return true;
}

void CAdvancedSettingsDialog::OnResetModule() {
    if (m_View) m_View->SendCommand(kRecordLongCommand, 0);
}

// ---------------------------------------------------------------------------
// Input mode
// ---------------------------------------------------------------------------

QString CAdvancedSettingsDialog::InputModeText(int mode) {
    static const char* const cn[kModeCount] = {"数字", "高电平", "蓝牙", "AUX1",
                                               "AUX2", "AUX3",   "关闭"};
    static const char* const en[kModeCount] = {"S/PDIF", "Hi.Level", "Phone", "AUX1",
                                               "AUX2",   "AUX3",     "OFF"};
    if (mode < 0 || mode >= kModeCount) return QString();
    return QString::fromUtf8(g_LanguageFlag.load() ? cn[mode] : en[mode]);
}

void CAdvancedSettingsDialog::FillInputModeMenu(QMenu& menu) const {
    for (int mode = 0; mode < kModeCount; ++mode) {
        QAction* a = menu.addAction(InputModeText(mode));
        a->setData(ID_MODE_FIRST + mode);
        a->setEnabled(g_SourceTable->enabled[mode] != 0);
    }
}

int CAdvancedSettingsDialog::TrackInputModeMenu(QMenu& menu, const QPoint& at) {
    const QAction* chosen = menu.exec(at);
    return chosen ? chosen->data().toInt() : 0;
}

void CAdvancedSettingsDialog::OnInputModeButton() {
    QMenu menu(this);
    FillInputModeMenu(menu);
    const QPoint at = m_InputModeButton->mapToGlobal(QPoint(0, m_InputModeButton->height()));
    if (const int item = TrackInputModeMenu(menu, at)) OnInputMode(item);
}

void CAdvancedSettingsDialog::ShowInputMode() {
    m_InputModeButton->setText(InputModeText(m_InputMode));
}

void CAdvancedSettingsDialog::OnInputMode(int item) {
    const int mode = item - ID_MODE_FIRST;
    if (mode < 0 || mode >= kModeCount) return;
    m_InputMode = mode;
    {
        DeviceLockGuard lock(g_DeviceLock);
        g_DeviceRecords.SetActiveSource(SourceCodeOfMode(mode));
    }
    ShowInputMode();
    if (m_View) {
        m_View->SendCommand(kRecordSources, 0);
        m_View->OnAdvancedSettingChanged();
    }
}

// ---------------------------------------------------------------------------
// Values
// ---------------------------------------------------------------------------

void CAdvancedSettingsDialog::OnValueChanged(int id) {
    const Field* f = FieldOf(id);
    if (!f) return;
    const int v = f->spin->GetBuddyValue();
    switch (f->id) {
    case IDC_SOURCE_A:
    case IDC_SOURCE_B:
    case IDC_SOURCE_C: {
        const int source = f->id == IDC_SOURCE_A ? 0 : f->id == IDC_SOURCE_B ? 1 : 2;
        g_DeviceRecords.SetSourceVolume(source, v);
        if (m_View) m_View->MarkSourceChanged(1);
        break;
    }
    case IDC_MASTER_VOLUME:
    case IDC_MASTER_B: {
        DeviceLockGuard lock(g_DeviceLock);
        if (f->id == IDC_MASTER_VOLUME)
            g_DeviceRecords.SetMasterVolume(v);
        else
            g_DeviceRecords.SetInputLock(v);
    }
        if (m_View) m_View->MarkMasterChanged(1);
        break;
    case IDC_LIMITER:
        m_Levels.limiterLevel = v;
        break;
    case IDC_COMPRESSOR:
        m_Levels.compressorLevel = v;
        break;
    case IDC_RATIO:
        m_Levels.ratio = v;
        break;
    case IDC_ATTACK:
        if (CKTV_OutData* out = Output()) {
            DeviceLockGuard lock(g_DeviceLock);
            out->SetAttackTime(static_cast<int16_t>(v));
        }
        break;
    default:
        return;
    }
    m_Curve->SetLevels(m_Levels);
}

void CAdvancedSettingsDialog::OnShowEqToggled() {
    g_LineSetting = g_LineSetting ? 0 : 1;
    m_ShowEq->setChecked(g_LineSetting != 0);
    update();
    if (m_View) m_View->SaveLineSetting();
}

// ---------------------------------------------------------------------------
// Channels
// ---------------------------------------------------------------------------

void CAdvancedSettingsDialog::FillChannelRows() {
    for (int row = 0; row < kChannelRows; ++row) {
        const CKTV_OutData* out = m_Data ? m_Data->GetOut(row) : nullptr;
        QString type = out ? QString::fromUtf8(SpeakerTypeName(out->GetSpeakerType())) : QString();
        type.replace(QLatin1String("&&"), QLatin1String("&")); // the names are menu texts
        m_List->SetItemText(row, 1, type);
    }
}

void CAdvancedSettingsDialog::ResetLinkMarks() {
    for (int row = 0; row < kChannelRows; ++row) {
        m_List->SetItemText(row, 2, QString());
        m_List->SetItemBkColor(3, row, QColor::fromRgba(kGrey));
    }
    m_List->viewport()->update();
}

void CAdvancedSettingsDialog::OnChannelClicked(int row) {
    if (row < 0 || row >= kChannelRows) return;
    m_Channel = row;
    m_List->selectRow(row);
    ResetLinkMarks();
    int keys[kChannelRows];
    {
        DeviceLockGuard lock(g_DeviceLock);
        std::copy(g_LinkKey, g_LinkKey + kChannelRows, keys);
    }
    for (int i = 0; i < kChannelRows; ++i) {
        if (i == row || keys[i] != keys[row]) continue;
        m_List->SetItemText(i, 2, QStringLiteral("●"));
        m_List->SetItemBkColor(3, i, QColor::fromRgba(kRed));
    }
    m_List->viewport()->update();
    LoadChannel(row);
}

void CAdvancedSettingsDialog::LoadChannel(int row) {
    m_Curve->SetChannel(row);
    m_Levels = m_Curve->GetLevels();
    m_Levels = dynamics::Clamp(m_Levels);
    Edit(IDC_LIMITER)->SetValue(m_Levels.limiterLevel);
    Edit(IDC_COMPRESSOR)->SetValue(std::min(m_Levels.compressorLevel, kCompressorMax));
    Edit(IDC_RATIO)->SetValue(m_Levels.ratio);
    if (const CKTV_OutData* out = Output())
        Edit(IDC_ATTACK)->SetValue(std::clamp<int>(out->GetAttackTime(), 0, kAttackMax));
    m_Curve->SetLevels(m_Levels);
}

// ---------------------------------------------------------------------------
// Messages and keys
// ---------------------------------------------------------------------------

LRESULT CAdvancedSettingsDialog::WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        OnValueChanged(static_cast<int>(wParam & 0xFFFF));
        return 0;
    case WM_FOCUS_KEY:
        MoveFocus(static_cast<int>(wParam), lParam != 37);
        return 0;
    default:
        return 0; // the sliders' messages among them: there are none here
    }
}

void CAdvancedSettingsDialog::MoveFocus(int fromId, bool forward) {
    const int* at = std::find(kFocusOrder, kFocusOrder + kEditCount, fromId);
    const int i = at == kFocusOrder + kEditCount ? -1 : static_cast<int>(at - kFocusOrder);
    const int next = forward ? (i + 1) % kEditCount : (i <= 0 ? kEditCount - 1 : i - 1);
    const int id = kFocusOrder[next];
    QWidget* target = id == IDC_PORT ? static_cast<QWidget*>(m_PortEdit) : Edit(id);
    if (target) target->setFocus(Qt::TabFocusReason);
}

bool CAdvancedSettingsDialog::eventFilter(QObject* watched, QEvent* event) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (w && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int id = ControlId(w);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
            w->clearFocus(); // the field reads its text back
            MoveFocus(id, true);
            return true;
        case Qt::Key_Backtab:
            w->clearFocus();
            MoveFocus(id, false);
            return true;
        case Qt::Key_Escape:
            setFocus(Qt::OtherFocusReason);
            return true;
        default:
            break;
        }
    }
    if (watched == m_PortEdit && event->type() == QEvent::FocusOut) OnPortFocusLost();
    return MessageTarget::eventFilter(watched, event);
}

void CAdvancedSettingsDialog::keyPressEvent(QKeyEvent* event) {
    // Escape leaves the dialog open; Enter does not end it either.
    const int key = event->key();
    if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
        setFocus(Qt::OtherFocusReason);
        event->accept();
        return;
    }
    MessageTarget::keyPressEvent(event);
}
