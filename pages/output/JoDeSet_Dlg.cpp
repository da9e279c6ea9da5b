#include "pages/output/JoDeSet_Dlg.h"

#include "controls/BitButton.h"
#include "controls/ControlNotify.h"
#include "controls/MessageBox.h"
#include "controls/ModalDialog.h"
#include "controls/StaticControls.h"
#include "model/Globals.h"
#include "pages/output/OutputDlg.h"
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
constexpr QRect kAddGroup[4] = {{129, 61, 21, 13}, {129, 81, 21, 13}, {129, 106, 21, 13},
                                {129, 125, 21, 13}};
constexpr int kAddGroupId[4] = {CJoDeSet_Dlg::IDC_ADD_GROUP1, CJoDeSet_Dlg::IDC_ADD_GROUP2,
                                CJoDeSet_Dlg::IDC_ADD_GROUP3, CJoDeSet_Dlg::IDC_ADD_GROUP4};
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

CJoDeSet_Dlg::CJoDeSet_Dlg(QWidget* parent) : QDialog(parent) {
    setFont(platform::TemplateQFont(platform::kArial10));
    setFixedSize(platform::DluToPixels(kSize, platform::kArial10));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(g_DialogBkColor));
    setPalette(pal);
    setAutoFillBackground(true);

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

CJoDeSet_Dlg::~CJoDeSet_Dlg() = default;

void CJoDeSet_Dlg::StyleList(QTableWidget* list) {
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

CBitButton* CJoDeSet_Dlg::Button(int id) const {
    if (id == IDOK) return m_Ok;
    if (id == IDC_ADD) return m_Add;
    if (id == IDC_UNDO) return m_Undo;
    for (int n = 0; n < kGroups; ++n)
        if (kAddGroupId[n] == id) return m_AddGroup[n];
    return nullptr;
}

QString CJoDeSet_Dlg::ChannelName(int output) {
    return (Chinese() ? QStringLiteral("通道%1") : QStringLiteral("Channel%1")).arg(output + 1);
}

int CJoDeSet_Dlg::DoModal() {
    InitDialog();
    return ctl::RunModal(*this) == QDialog::Accepted ? IDOK : IDCANCEL;
}

// ---------------------------------------------------------------------------
// Opening
// ---------------------------------------------------------------------------

void CJoDeSet_Dlg::InitDialog() {
    const bool cn = Chinese();
    setWindowTitle(cn ? QStringLiteral("联调设置") : QStringLiteral("Joint Debug Settings"));
    m_Ok->setText(cn ? QStringLiteral("确定") : QStringLiteral("OK"));
    m_LeftHeading->setText(cn ? QStringLiteral("可操作通道:") : QStringLiteral("Operable channel:"));
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

    for (int i = 0; i < kChannels; ++i) {
        const int mask = m_Page ? m_Page->Panel(i).mask : 1 << i;
        for (int j = 0; j < kChannels; ++j)
            m_Matrix[i][j] = (mask >> j) & 1;
    }
    BuildGroups();
    FillLists();
    ShowButtons();
    ClearSelections();
    m_GroupNumber.clear();
    m_Changed = false;
}

bool CJoDeSet_Dlg::IsLinked(int output) const {
    for (int j = 0; j < kChannels; ++j)
        if (j != output && m_Matrix[output][j]) return true;
    return false;
}

void CJoDeSet_Dlg::BuildGroups() {
    for (Group& g : m_Groups)
        g = Group{};
    std::fill(std::begin(m_GroupUsed), std::end(m_GroupUsed), 0);
    int next = 0;
    for (int i = 0; i < kChannels && next < kGroups; ++i) {
        if (!IsLinked(i) || GroupOf(i) >= 0) continue;
        Group& g = m_Groups[next];
        for (int j = 0; j < kChannels; ++j)
            g.member[j] = m_Matrix[i][j];
        g.name = QString::number(next + 1);
        ++next;
    }
}

// The first group holding the output, -1 for none.
int CJoDeSet_Dlg::GroupOf(int output) const {
    for (int g = 0; g < kGroups; ++g)
        if (m_Groups[g].member[output]) return g;
    return -1;
}

void CJoDeSet_Dlg::AddRow(QTableWidget* list, int id, int output) {
    const int row = list->rowCount();
    list->insertRow(row);
    auto* idItem = new QTableWidgetItem(QString::number(id));
    idItem->setTextAlignment(Qt::AlignCenter);
    auto* name = new QTableWidgetItem(ChannelName(output));
    name->setData(Qt::UserRole, output);
    list->setItem(row, 0, idItem);
    list->setItem(row, 1, name);
}

void CJoDeSet_Dlg::FillLists() {
    const QSignalBlocker blockLeft(m_Left), blockRight(m_Right);
    m_Left->setRowCount(0);
    m_Right->setRowCount(0);
    const int p = m_Output;
    const bool pInside = p >= 0 && p < kChannels;
    int leftId = 1;
    if (m_Mode == kNewGroupMode) {
        if (pInside && IsLinked(p)) {
            // The number of the last of the groups that holds p.
            int id = 1;
            for (int g = 0; g < kGroups; ++g)
                if (m_Groups[g].member[p]) id = g + 1;
            for (int j = 0; j < kChannels; ++j)
                if (m_Matrix[p][j]) AddRow(m_Right, id, j);
            for (int j = 0; j < kChannels; ++j)
                if (!m_Matrix[p][j]) AddRow(m_Left, leftId++, j);
        } else {
            if (pInside) AddRow(m_Right, 1, p);
            for (int j = 0; j < kChannels; ++j)
                if (j != p) AddRow(m_Left, leftId++, j);
        }
        return;
    }
    for (int i = 0; i < kChannels; ++i) {
        const bool withP = pInside && m_Matrix[i][p];
        if ((IsLinked(i) && withP) || i == p) {
            AddRow(m_Left, leftId++, i);
        } else if (IsLinked(i)) {
            const int g = std::max(GroupOf(i), 0);
            AddRow(m_Right, g + 1, i);
            m_GroupUsed[g] = 1;
        }
    }
    SortRight();
}

void CJoDeSet_Dlg::SortRight() {
    std::vector<Row> rows = Rows(m_Right);
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return a.id != b.id ? a.id < b.id : a.name < b.name;
    });
    const QSignalBlocker block(m_Right);
    m_Right->setRowCount(0);
    for (const Row& r : rows)
        AddRow(m_Right, r.id, r.output);
}

void CJoDeSet_Dlg::ShowButtons() {
    const bool join = m_Mode == kJoinMode;
    m_Add->setVisible(!join);
    for (int n = 0; n < kGroups; ++n)
        m_AddGroup[n]->setVisible(join && m_GroupUsed[n]);
    m_Undo->setVisible(true);
}

void CJoDeSet_Dlg::ClearSelections() {
    const QSignalBlocker blockLeft(m_Left), blockRight(m_Right);
    m_Left->clearSelection();
    m_Right->clearSelection();
    std::fill(std::begin(m_LeftSelected), std::end(m_LeftSelected), 0);
    std::fill(std::begin(m_RightSelected), std::end(m_RightSelected), 0);
}

// ---------------------------------------------------------------------------
// Rows
// ---------------------------------------------------------------------------

std::vector<CJoDeSet_Dlg::Row> CJoDeSet_Dlg::Rows(const QTableWidget* list) const {
    std::vector<Row> rows;
    for (int r = 0; r < list->rowCount(); ++r) {
        const QTableWidgetItem* id = list->item(r, 0);
        const QTableWidgetItem* name = list->item(r, 1);
        if (!id || !name) continue;
        rows.push_back({id->text().toInt(), name->data(Qt::UserRole).toInt(), name->text()});
    }
    return rows;
}

std::vector<CJoDeSet_Dlg::Row> CJoDeSet_Dlg::LeftRows() const {
    return Rows(m_Left);
}

std::vector<CJoDeSet_Dlg::Row> CJoDeSet_Dlg::RightRows() const {
    return Rows(m_Right);
}

std::vector<int> CJoDeSet_Dlg::Outputs(const QTableWidget* list) const {
    std::vector<int> out;
    for (const Row& r : Rows(list))
        out.push_back(r.output);
    return out;
}

void CJoDeSet_Dlg::SelectOutputs(bool right, const std::vector<int>& outputs) {
    QTableWidget* list = right ? m_Right : m_Left;
    list->clearSelection();
    const std::vector<Row> rows = Rows(list);
    for (size_t r = 0; r < rows.size(); ++r)
        if (std::find(outputs.begin(), outputs.end(), rows[r].output) != outputs.end())
            list->selectionModel()->select(list->model()->index(static_cast<int>(r), 0),
                                           QItemSelectionModel::Select |
                                               QItemSelectionModel::Rows);
}

void CJoDeSet_Dlg::OnListSelection(bool right) {
    QTableWidget* list = right ? m_Right : m_Left;
    int* flags = right ? m_RightSelected : m_LeftSelected;
    m_LastList = right ? 1 : 0;
    std::fill(flags, flags + kChannels, 0);
    for (int r = 0; r < list->rowCount() && r < kChannels; ++r)
        flags[r] = list->item(r, 0) && list->item(r, 0)->isSelected() ? 1 : 0;
}

// ---------------------------------------------------------------------------
// Moving rows
// ---------------------------------------------------------------------------

std::vector<int> CJoDeSet_Dlg::OutputsToMove() {
    const std::vector<int> left = Outputs(m_Left);
    std::vector<int> selected;
    for (size_t r = 0; r < left.size() && r < static_cast<size_t>(kChannels); ++r)
        if (m_LeftSelected[r]) selected.push_back(left[r]);
    std::vector<int> moved = selected;
    const bool cn = Chinese();
    for (int k : selected) {
        // Partners still in the left list that are neither selected nor taken yet.
        std::vector<int> partners;
        for (int j : left)
            if (j != k && m_Matrix[k][j] &&
                std::find(moved.begin(), moved.end(), j) == moved.end())
                partners.push_back(j);
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

void CJoDeSet_Dlg::MoveRows(const std::vector<int>& outputs, int id, bool renumber) {
    const QSignalBlocker blockLeft(m_Left), blockRight(m_Right);
    std::vector<Row> left = Rows(m_Left);
    std::vector<Row> stay;
    for (const Row& r : left) {
        if (std::find(outputs.begin(), outputs.end(), r.output) == outputs.end())
            stay.push_back(r);
        else
            AddRow(m_Right, id, r.output);
    }
    m_Left->setRowCount(0);
    int n = 1;
    for (const Row& r : stay)
        AddRow(m_Left, renumber ? n++ : r.id, r.output);
}

void CJoDeSet_Dlg::OnAdd() {
    if (std::none_of(std::begin(m_LeftSelected), std::end(m_LeftSelected),
                     [](int f) { return f != 0; }))
        return;
    const std::vector<int> moved = OutputsToMove();
    const std::vector<Row> right = Rows(m_Right);
    MoveRows(moved, right.empty() ? 1 : right.front().id, true);
    ClearSelections();
    m_Changed = true;
}

void CJoDeSet_Dlg::OnAddToGroup(int n) {
    if (n < 1 || n > kGroups) return;
    if (std::none_of(std::begin(m_LeftSelected), std::end(m_LeftSelected),
                     [](int f) { return f != 0; }))
        return;
    m_GroupNumber = QString::number(n);
    MoveRows(OutputsToMove(), n, false);
    SortRight();
    ClearSelections();
    m_Changed = true;
}

void CJoDeSet_Dlg::OnUndo() {
    if (!m_Changed) return;
    BuildGroups();
    FillLists();
    ShowButtons();
    ClearSelections();
    m_GroupNumber.clear();
    m_Changed = false;
}

// ---------------------------------------------------------------------------
// OK: the masks and the result
// ---------------------------------------------------------------------------

void CJoDeSet_Dlg::OnOk() {
    if (!m_Page) {
        accept();
        return;
    }
    int result[kChannels];
    std::fill(std::begin(result), std::end(result), -1);
    int source = m_Output;
    int number = 0;
    if (m_Mode == kJoinMode) {
        if (m_GroupNumber.isEmpty()) {
            accept();
            return;
        }
        number = m_GroupNumber.toInt();
        const int g = number - 1;
        if (g < 0 || g >= kGroups) return;
        const int* member = m_Groups[g].member;
        const int* first = std::find(member, member + kChannels, 1);
        if (first == member + kChannels) return; // the group is empty: stay open
        source = static_cast<int>(first - member);
    }
    // The outputs that stay on the left lose their links to those that left.
    const std::vector<int> left = Outputs(m_Left);
    for (int k : left) {
        int& mask = m_Page->Panel(k).mask;
        for (int a = 0; a < kChannels; ++a)
            if (m_Matrix[k][a] && std::find(left.begin(), left.end(), a) == left.end())
                mask &= ~(1 << a);
    }
    for (const Row& r : Rows(m_Right))
        if (m_Mode == kNewGroupMode || r.id == number) result[r.output] = r.output;
    int mask = 0;
    for (int k = 0; k < kChannels; ++k)
        if (result[k] != -1) mask |= 1 << k;
    for (int k = 0; k < kChannels; ++k)
        if (result[k] != -1) m_Page->Panel(k).mask = mask;
    platform::PostMessage(m_Page, WM_JOINT_DEBUG_RESULT, static_cast<WPARAM>(source),
                          m_Mode == kNewGroupMode ? 0 : 1);
    accept();
}
