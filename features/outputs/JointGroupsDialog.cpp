#include "features/outputs/JointGroupsDialog.h"

#include "controls/BitButton.h"
#include "controls/ControlNotify.h"
#include "controls/MessageBox.h"
#include "controls/ModalDialog.h"
#include "controls/StaticControls.h"
#include "model/Globals.h"
#include "pages/output/OutputPage.h"
#include "platform/DialogUnits.h"
#include "platform/Message.h"
#include "platform/UiGlobals.h"

#include <QHeaderView>
#include <QTableWidget>

#include <algorithm>

namespace {

// Template 963, dialog units of Arial 10.
constexpr QSize kSize(274, 197);
constexpr QRect kOk(226, 174, 29, 12);
constexpr QRect kLeftList(21, 33, 90, 134);
constexpr QRect kRightList(166, 33, 90, 134);
constexpr QRect kAdd(129, 92, 21, 13);
constexpr QRect kUndo(129, 145, 21, 13);
constexpr QRect kAddGroup[4] = {
    {129, 61, 21, 13}, {129, 81, 21, 13}, {129, 106, 21, 13}, {129, 125, 21, 13}};
constexpr int kAddGroupId[4] = {
    CJointGroupsDialog::IDC_ADD_GROUP1, CJointGroupsDialog::IDC_ADD_GROUP2,
    CJointGroupsDialog::IDC_ADD_GROUP3, CJointGroupsDialog::IDC_ADD_GROUP4};
constexpr QRect kLeftHeading(22, 19, 90, 12);
constexpr QRect kRightHeading(168, 19, 90, 12);

constexpr int kIdColumnWidth = 40;
constexpr int kNameColumnWidth = 110;
const QColor kListBackground(247, 247, 255);

QRect Dlu(const QRect& r) {
    return platform::DluToPixels(r, platform::kArial10);
}

bool Chinese() {
    return g_LanguageFlag.load() != 0;
}

} // namespace

CJointGroupsDialog::CJointGroupsDialog(QWidget* parent) : QDialog(parent) {
    ctl::SetUpTemplateDialog(*this, platform::kArial10, kSize);

    auto button = [this](int id, const QRect& at, const QString& text) {
        auto* b = new CBitButton(this, id);
        b->setGeometry(Dlu(at));
        b->setText(text);
        const QColor black(0, 0, 0);
        b->SetTextColors(black, black, black, black, black, black);
        return b;
    };
    m_Ok = button(IDOK, kOk, QStringLiteral("OK"));
    m_Add = button(IDC_ADD, kAdd, QStringLiteral(">>"));
    m_Undo = button(IDC_UNDO, kUndo, QStringLiteral("<<"));
    for (int n = 0; n < kGroups; ++n)
        m_AddGroup[n] = button(kAddGroupId[n], kAddGroup[n], QStringLiteral(">>%1").arg(n + 1));
    connect(m_Ok, &QAbstractButton::clicked, this, [this] { OnOk(); });
    connect(m_Add, &QAbstractButton::clicked, this, [this] { OnAdd(); });
    connect(m_Undo, &QAbstractButton::clicked, this, [this] { OnUndo(); });
    for (int n = 0; n < kGroups; ++n)
        connect(m_AddGroup[n], &QAbstractButton::clicked, this, [this, n] { OnAddToGroup(n + 1); });

    m_Left = new QTableWidget(0, 2, this);
    SetControlId(m_Left, IDC_OPERABLE);
    m_Left->setGeometry(Dlu(kLeftList));
    m_Right = new QTableWidget(0, 2, this);
    SetControlId(m_Right, IDC_RELATIONS);
    m_Right->setGeometry(Dlu(kRightList));
    for (QTableWidget* list : {m_Left, m_Right}) {
        StyleList(list);
        const bool right = list == m_Right;
        connect(list, &QTableWidget::itemSelectionChanged, this,
                [this, right] { OnListSelection(right); });
    }

    m_LeftHeading = new CTransparentStatic(this);
    SetControlId(m_LeftHeading, IDC_LEFT_HEADING);
    m_LeftHeading->setGeometry(Dlu(kLeftHeading));
    m_RightHeading = new CTransparentStatic(this);
    SetControlId(m_RightHeading, IDC_RIGHT_HEADING);
    m_RightHeading->setGeometry(Dlu(kRightHeading));
}

CJointGroupsDialog::~CJointGroupsDialog() = default;

void CJointGroupsDialog::StyleList(QTableWidget* list) {
    // Report style with grid lines and whole-row selection; the selection
    // stays visible while the list has no focus.
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->verticalHeader()->hide();
    list->horizontalHeader()->setHighlightSections(false);
    list->setColumnWidth(0, kIdColumnWidth);
    list->setColumnWidth(1, kNameColumnWidth);
    QPalette pal = list->palette();
    pal.setColor(QPalette::Base, kListBackground);
    pal.setColor(QPalette::Text, Qt::black);
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    list->setPalette(pal);
}

CBitButton* CJointGroupsDialog::Button(int id) const {
    if (id == IDOK) return m_Ok;
    if (id == IDC_ADD) return m_Add;
    if (id == IDC_UNDO) return m_Undo;
    for (int n = 0; n < kGroups; ++n)
        if (kAddGroupId[n] == id) return m_AddGroup[n];
    return nullptr;
}

QString CJointGroupsDialog::ChannelName(int output) {
    return (Chinese() ? QStringLiteral("通道%1") : QStringLiteral("Channel%1")).arg(output + 1);
}

int CJointGroupsDialog::DoModal() {
    InitDialog();
    return ctl::RunModal(*this) == QDialog::Accepted ? IDOK : IDCANCEL;
}

// ---------------------------------------------------------------------------
// Opening
// ---------------------------------------------------------------------------

void CJointGroupsDialog::InitDialog() {
    const bool cn = Chinese();
    setWindowTitle(cn ? QStringLiteral("联调设置") : QStringLiteral("Joint Debug Settings"));
    m_Ok->setText(cn ? QStringLiteral("确定") : QStringLiteral("OK"));
    m_LeftHeading->setText(cn ? QStringLiteral("可操作通道:")
                              : QStringLiteral("Operable channel:"));
    m_RightHeading->setText(cn ? QStringLiteral("联调关系:")
                               : QStringLiteral("joint debug relations:"));
    const QFont& font = cn ? g_FontBold16 : g_FontList16;
    const QString nameHeading = cn ? QStringLiteral("通道名:") : QStringLiteral("Channel Name:");
    for (QTableWidget* list : {m_Left, m_Right}) {
        list->setFont(font);
        list->horizontalHeader()->setFont(font);
        list->setHorizontalHeaderLabels({QStringLiteral("ID"), nameHeading});
        list->horizontalHeaderItem(0)->setTextAlignment(Qt::AlignCenter);
    }
    m_LeftHeading->setFont(font);
    m_RightHeading->setFont(font);

    JointDebugMasks masks{};
    for (int i = 0; i < kChannels; ++i)
        masks[i] = m_Page ? m_Page->Panel(i).mask : 1 << i;
    m_Matrix = MatrixOfMasks(masks);
    Rebuild();
    m_GroupNumber.clear();
    m_Changed = false;
}

void CJointGroupsDialog::Rebuild() {
    m_Groups = BuildJointDebugGroups(m_Matrix);
    m_Lists = FillJointDebugLists(m_Matrix, m_Groups, m_Mode == kNewGroupMode, m_Output);
    ShowLists();
    ShowButtons();
    ClearSelections();
}

void CJointGroupsDialog::AddRow(QTableWidget* list, int id, int output) {
    const int row = list->rowCount();
    list->insertRow(row);
    auto* idItem = new QTableWidgetItem(QString::number(id));
    idItem->setTextAlignment(Qt::AlignCenter);
    auto* name = new QTableWidgetItem(ChannelName(output));
    name->setData(Qt::UserRole, output);
    list->setItem(row, 0, idItem);
    list->setItem(row, 1, name);
}

void CJointGroupsDialog::ShowLists() {
    const QSignalBlocker blockLeft(m_Left), blockRight(m_Right);
    m_Left->setRowCount(0);
    m_Right->setRowCount(0);
    for (const JointDebugRow& r : m_Lists.left)
        AddRow(m_Left, r.id, r.output);
    for (const JointDebugRow& r : m_Lists.right)
        AddRow(m_Right, r.id, r.output);
}

void CJointGroupsDialog::ShowButtons() {
    const bool join = m_Mode == kJoinMode;
    m_Add->setVisible(!join);
    for (int n = 0; n < kGroups; ++n)
        m_AddGroup[n]->setVisible(join && m_Lists.groupUsed[n]);
    m_Undo->setVisible(true);
}

void CJointGroupsDialog::ClearSelections() {
    const QSignalBlocker blockLeft(m_Left), blockRight(m_Right);
    m_Left->clearSelection();
    m_Right->clearSelection();
    std::fill(std::begin(m_LeftSelected), std::end(m_LeftSelected), 0);
    std::fill(std::begin(m_RightSelected), std::end(m_RightSelected), 0);
}

// ---------------------------------------------------------------------------
// Rows
// ---------------------------------------------------------------------------

std::vector<CJointGroupsDialog::Row>
CJointGroupsDialog::Rows(const std::vector<JointDebugRow>& rows) const {
    std::vector<Row> out;
    for (const JointDebugRow& r : rows)
        out.push_back({r.id, r.output, ChannelName(r.output)});
    return out;
}

std::vector<CJointGroupsDialog::Row> CJointGroupsDialog::LeftRows() const {
    return Rows(m_Lists.left);
}

std::vector<CJointGroupsDialog::Row> CJointGroupsDialog::RightRows() const {
    return Rows(m_Lists.right);
}

void CJointGroupsDialog::SelectOutputs(bool right, const std::vector<int>& outputs) {
    QTableWidget* list = right ? m_Right : m_Left;
    const std::vector<JointDebugRow>& rows = right ? m_Lists.right : m_Lists.left;
    list->clearSelection();
    for (size_t r = 0; r < rows.size(); ++r)
        if (std::find(outputs.begin(), outputs.end(), rows[r].output) != outputs.end())
            list->selectionModel()->select(list->model()->index(static_cast<int>(r), 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void CJointGroupsDialog::OnListSelection(bool right) {
    QTableWidget* list = right ? m_Right : m_Left;
    int* flags = right ? m_RightSelected : m_LeftSelected;
    m_LastList = right ? 1 : 0;
    std::fill(flags, flags + kChannels, 0);
    for (int r = 0; r < list->rowCount() && r < kChannels; ++r)
        flags[r] = list->item(r, 0) && list->item(r, 0)->isSelected() ? 1 : 0;
}

bool CJointGroupsDialog::AnyLeftSelected() const {
    return std::any_of(std::begin(m_LeftSelected), std::end(m_LeftSelected),
                       [](int f) { return f != 0; });
}

// ---------------------------------------------------------------------------
// Moving rows
// ---------------------------------------------------------------------------

std::vector<int> CJointGroupsDialog::OutputsToMove() {
    std::vector<int> left;
    for (const JointDebugRow& r : m_Lists.left)
        left.push_back(r.output);
    std::vector<int> selected;
    for (size_t r = 0; r < left.size() && r < static_cast<size_t>(kChannels); ++r)
        if (m_LeftSelected[r]) selected.push_back(left[r]);
    std::vector<int> moved = selected;
    const bool cn = Chinese();
    for (int k : selected) {
        const std::vector<int> partners = UnselectedPartners(m_Matrix, k, left, moved);
        if (partners.empty()) continue;
        QString text = ChannelName(k) + (cn ? QStringLiteral("与") : QStringLiteral(" and "));
        for (int j : partners)
            text += (cn ? QStringLiteral("通道%1 ") : QStringLiteral("channel%1 ")).arg(j + 1);
        text += cn ? QStringLiteral("联调，是否添加未选中的联调项？")
                   : QStringLiteral(
                         " joint debugging, whether to add unselected joint debugging item?");
        const int answer = ShowMessageBox(nullptr, text.toStdString(), std::string(), MB_YESNO,
                                          cn ? 1 : 0, cn ? -2 : -3);
        if (answer == IDYES) moved.insert(moved.end(), partners.begin(), partners.end());
    }
    return moved;
}

void CJointGroupsDialog::OnAdd() {
    if (!AnyLeftSelected()) return;
    const std::vector<int> moved = OutputsToMove();
    const int id = m_Lists.right.empty() ? 1 : m_Lists.right.front().id;
    MoveJointDebugRows(m_Lists, moved, id, true);
    ShowLists();
    ClearSelections();
    m_Changed = true;
}

void CJointGroupsDialog::OnAddToGroup(int n) {
    if (n < 1 || n > kGroups || !AnyLeftSelected()) return;
    m_GroupNumber = QString::number(n);
    MoveJointDebugRows(m_Lists, OutputsToMove(), n, false);
    SortJointDebugRows(m_Lists.right);
    ShowLists();
    ClearSelections();
    m_Changed = true;
}

void CJointGroupsDialog::OnUndo() {
    if (!m_Changed) return;
    Rebuild();
    m_GroupNumber.clear();
    m_Changed = false;
}

// ---------------------------------------------------------------------------
// OK: the masks and the result
// ---------------------------------------------------------------------------

void CJointGroupsDialog::OnOk() {
    if (!m_Page) {
        accept();
        return;
    }
    const bool newGroup = m_Mode == kNewGroupMode;
    int source = m_Output;
    int number = 0;
    if (!newGroup) {
        // Without a ">>n" since the dialog opened OK only closes it.
        if (m_GroupNumber.isEmpty()) {
            accept();
            return;
        }
        number = m_GroupNumber.toInt();
        source = m_Groups.FirstMember(number - 1);
        if (source < 0) return; // the group is empty: the dialog stays open
    }
    JointDebugMasks masks{};
    for (int k = 0; k < kChannels; ++k)
        masks[k] = m_Page->Panel(k).mask;
    ApplyJointDebugOk(masks, m_Matrix, m_Lists, newGroup, number);
    for (int k = 0; k < kChannels; ++k)
        m_Page->Panel(k).mask = masks[k];
    platform::PostMessage(m_Page, WM_JOINT_DEBUG_RESULT, static_cast<WPARAM>(source),
                          newGroup ? 0 : 1);
    accept();
}
