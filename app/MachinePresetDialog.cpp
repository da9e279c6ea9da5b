#include "app/MachinePresetDialog.h"

#include "features/connection/TransferWindow.h"
#include "app/LumaraView.h"
#include "files/PresetNames.h"
#include "features/presets/PresetNamePrompt.h"
#include "controls/ControlNotify.h"
#include "controls/grid/GridCtrl.h"
#include "controls/MessageBox.h"
#include "controls/ModalDialog.h"
#include "controls/TemplateDialog.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "platform/UiGlobals.h"

#include <QKeyEvent>
#include <QPushButton>

#include <cstring>

namespace {

// Template 170 in dialog units of MS Sans Serif 8.
constexpr platform::TemplateFont kFont = platform::kMsSansSerif8;
const QSize kSize(245, 120);
const QRect kGridPlace(21, 4, 201, 92);
const QRect kActionPlace(52, 101, 50, 14);
const QRect kQuitPlace(141, 101, 50, 14);

// DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS.
constexpr uint32_t kCellFormat = dt::kCenter | dt::kVCenter | dt::kSingleLine | dt::kEndEllipsis;

const BiText kEmptyNameText{"机器预置场景名不能为空!", "The machine preset name can not be empty!"};

struct ModeTexts {
    BiText caption;
    BiText action;
};
const ModeTexts kModeTexts[3] = {
    {{"加载 机器预置场景", "Load Machine Preset"}, {"加载", "Load"}},
    {{"另存为 机器预置场景", "Save As Machine Preset"}, {"保存", "Save"}},
    {{"删除 机器预置场景", "Delete Machine Preset"}, {"删除", "Delete"}},
};

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

CMachinePresetDialog::CMachinePresetDialog(CLumaraView* view, QWidget* parent)
    : MessageTarget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowCloseButtonHint),
      m_View(view) {
    SetUpTemplateDialog(*this, kFont, kSize);
    m_Grid = new CComboGridCtrl(this);
    m_Grid->setObjectName(QString::number(IDC_GRID));
    SetControlId(m_Grid, IDC_GRID);
    m_Grid->setGeometry(platform::DluToPixels(kGridPlace, kFont));
    // Neither button answers Enter: the keys reach the grid or the dialog.
    m_Action = PlaceButton(this, IDC_ACTION, kActionPlace, kFont, false);
    m_Quit = PlaceButton(this, IDC_QUIT, kQuitPlace, kFont, false);
    connect(m_Action, &QPushButton::clicked, this, &CMachinePresetDialog::OnAction);
    connect(m_Quit, &QPushButton::clicked, this, &QDialog::reject);
}

CMachinePresetDialog::~CMachinePresetDialog() = default;

void CMachinePresetDialog::showEvent(QShowEvent* event) {
    OnInitDialog();
    MessageTarget::showEvent(event);
}

void CMachinePresetDialog::OnInitDialog() {
    if (m_Initialised) return;
    m_Initialised = true;
    m_Grid->SubclassWindow();
    m_CurrentPreset = 1;
    SetupGrid();
    FillPresetNames();
    // The transfer window disables this dialog while a transfer it started runs.
    g_PresetDlg = this;
}

void CMachinePresetDialog::SetupGrid() {
    CComboGridCtrl& g = *m_Grid;
    g.SetRowCount(kRows);
    g.SetFixedRowCount(1);
    g.SetColumnCount(kColumns);
    g.SetFixedColumnCount(1);
    g.SetColumnWidth(1, kNameColumnWidth);
    g.ResetScrollBars();
    g.SetRowResize(false);
    g.SetSingleSelection(true);
    g.SetEditable(false);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            GridItem item;
            item.row = r;
            item.col = c;
            item.mask = GIM_TEXT | GIM_FORMAT;
            item.format = kCellFormat;
            g.SetItem(&item);
        }
    g.SetItemText(0, 0, "No.");
    g.SetItemText(0, 1, "Name");
    g.SetSelectedRange(1, 0, 1, 1);
    g.EnsureVisible(1, 0);
    g.SetGridLineColour(RgbColor(51, 154, 255));
    g.SetGridFont(g_FontDialog16);
}

std::string CMachinePresetDialog::StoredName(int preset) {
    return g_DeviceRecords.StoredPresetName(preset);
}

void CMachinePresetDialog::FillPresetNames() {
    for (int n = 1; n <= kStoredPresetCount; ++n) {
        m_Grid->SetItemText(n, 1, StoredName(n));
        m_Grid->SetItemText(n, 0, std::to_string(n));
    }
    m_Grid->SetFocusCellAt(1, 1);
    ApplyModeTexts();
    update();
}

void CMachinePresetDialog::ApplyModeTexts() {
    m_Grid->SetEditable(false);
    const bool cn = g_LanguageFlag.load() != 0;
    const ModeTexts& t = kModeTexts[m_Mode >= kLoad && m_Mode <= kDelete ? m_Mode : kLoad];
    auto pick = [cn](const BiText& b) { return Text(cn ? b.cn : b.en); };
    setWindowTitle(pick(t.caption));
    m_Action->setText(pick(t.action));
    m_Grid->SetItemText(0, 0, cn ? "序号" : "No.");
    m_Grid->SetItemText(0, 1, cn ? "场景名" : "Preset");
    m_Quit->setText(cn ? QStringLiteral("退出") : QStringLiteral("Quit"));
}

bool CMachinePresetDialog::IsPresetRow(int row) const {
    // Rows 1 to 6: never the heading, never beyond the six presets.
    return row > 0 && row <= kStoredPresetCount && row < m_Grid->GetRowCount();
}

// ---------------------------------------------------------------------------
// Actions
// ---------------------------------------------------------------------------

void CMachinePresetDialog::OnAction() {
    const CellId focus = m_Grid->GetFocusCell();
    switch (m_Mode) {
    case kLoad:
        LoadFrom(focus);
        break;
    case kSaveAs:
        SaveAsFrom(focus);
        break;
    case kDelete:
        DeleteFrom(focus);
        break;
    default:
        break;
    }
}

void CMachinePresetDialog::LoadFrom(const CellId& cell) {
    m_LoadCell = cell;
    if (!IsPresetRow(cell.row)) return;
    m_CurrentPreset = cell.row;
    LoadPreset();
}

void CMachinePresetDialog::SaveAsFrom(const CellId& cell) {
    m_SaveAsCell = cell;
    if (IsPresetRow(cell.row)) SaveAsPrompt(cell.row);
}

void CMachinePresetDialog::DeleteFrom(const CellId& cell) {
    m_DeleteCell = cell;
    if (!IsPresetRow(cell.row)) return;
    m_CurrentPreset = cell.row;
    DeletePreset();
}

void CMachinePresetDialog::SaveAsPrompt(int row) {
    if (!IsPresetRow(row)) return;
    CPresetNamePrompt prompt(this);
    prompt.SetPresetNumber(row);
    if (ctl::RunModal(prompt) != QDialog::Accepted) return;
    m_Name = prompt.Name();
    m_CurrentPreset = row;
    SavePresetName();
}

void CMachinePresetDialog::Prompt(const std::string& text) {
    const int cn = g_LanguageFlag.load() ? 1 : 0;
    ShowMessageBox(nullptr, text, g_ProductTitle, MB_OK, cn, cn ? -2 : -3);
}

void CMachinePresetDialog::SavePresetName() {
    const int n = m_CurrentPreset;
    if (n < 1 || n > kStoredPresetCount) return;
    SceneNameRefusal refusal;
    {
        DeviceLockGuard lock(g_DeviceLock);
        refusal = StoreSceneName(m_Name, n);
    }
    // The first failing check ends it, with nothing changed.
    if (refusal != SceneNameRefusal::None) {
        Prompt(refusal == SceneNameRefusal::Empty ? std::string(kEmptyNameText.Pick())
                                                  : SceneNameRefusalText(refusal));
        return;
    }
    m_Grid->SetItemText(m_SaveAsCell.row, 1, StoredName(n));
    if (!m_View) return;
    // The whole preset is queued before the current name is asked for, so
    // the device takes the preset first and its name after it.
    m_View->SendPresetToDevice(n, true);
    m_View->ShowPresetName(1);
}

void CMachinePresetDialog::LoadPreset() {
    const int n = m_CurrentPreset;
    if (n < 1 || n > kStoredPresetCount || !g_DeviceSynced.load()) return;
    {
        DeviceLockGuard lock(g_DeviceLock);
        const PresetNameField name = g_DeviceRecords.StoredPresetNameField(n);
        std::memcpy(g_ParamImage + kPresetNameOffset, name.data(), name.size());
    }
    if (m_View) m_View->LoadDevicePreset(n);
}

void CMachinePresetDialog::DeletePreset() {
    const int n = m_CurrentPreset;
    if (n < 1 || n > kStoredPresetCount) return;
    const bool cn = g_LanguageFlag.load() != 0;
    const int answer = ShowMessageBox(nullptr, DeletePresetQuestion(n, cn), g_ProductTitle,
                                      MB_YESNO, cn ? 1 : 0, cn ? -2 : -3);
    if (answer == IDYES && g_DeviceSynced.load() && m_View) m_View->EraseStoredPresetName(n);
    // The row shows the stored name: empty once deleted, and back again when
    // the Delete key emptied the cell but nothing was deleted.
    if (IsPresetRow(m_DeleteCell.row)) m_Grid->SetItemText(m_DeleteCell.row, 1, StoredName(n));
}

// ---------------------------------------------------------------------------
// Messages
// ---------------------------------------------------------------------------

void CMachinePresetDialog::OnGridNotify(int code, const CellId& cell) {
    switch (code) {
    case NM_DBLCLK:
        switch (m_Mode) {
        case kLoad:
            m_LoadCell = cell;
            PostMessage(WM_LOAD_REQUEST);
            break;
        case kSaveAs:
            m_SaveAsCell = cell;
            PostMessage(WM_SAVE_AS_REQUEST);
            break;
        case kDelete:
            m_DeleteCell = cell;
            PostMessage(WM_DELETE_REQUEST);
            break;
        default:
            break;
        }
        break;
    case GRIDN_END_EDIT:
        m_SaveAsCell = cell;
        PostMessage(WM_SAVE_AS_REQUEST);
        break;
    case GRIDN_TEXT_DELETED:
        DeleteFrom(cell);
        break;
    default:
        break;
    }
}

void CMachinePresetDialog::OnMenuCommand(int command) {
    const CellId cell = m_Grid->GetRightClickCell();
    switch (command) {
    case CGridCtrl::ID_GRID_SAVE_AS_PRESET:
        SaveAsFrom(cell);
        break;
    case CGridCtrl::ID_GRID_LOAD_PRESET:
        LoadFrom(cell);
        break;
    case CGridCtrl::ID_GRID_DELETE_PRESET:
        DeleteFrom(cell);
        break;
    default:
        break;
    }
}

LRESULT CMachinePresetDialog::WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NOTIFY: {
        const auto* n = reinterpret_cast<const GridNotify*>(lParam);
        if (n && n->hdr.idFrom == IDC_GRID) OnGridNotify(n->hdr.code, {n->row, n->col});
        return 0;
    }
    case WM_COMMAND:
        OnMenuCommand(static_cast<int>(wParam & 0xFFFF));
        return 0;
    case WM_SAVE_AS_REQUEST:
        SaveAsFrom(m_SaveAsCell);
        return 0;
    case WM_LOAD_REQUEST:
        LoadFrom(m_LoadCell);
        return 0;
    case WM_DELETE_REQUEST:
        DeleteFrom(m_DeleteCell);
        return 0;
    default:
        return 0;
    }
}

void CMachinePresetDialog::keyPressEvent(QKeyEvent* event) {
    if (!KeepDialogOnEnterOrEscape(*this, event)) MessageTarget::keyPressEvent(event);
}

bool CMachinePresetDialog::focusNextPrevChild(bool) {
    return true; // Tab belongs to the grid; it moves nothing else
}
