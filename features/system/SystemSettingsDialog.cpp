#include "features/system/SystemSettingsDialog.h"

#include "controls/DynamicsGraph.h"
#include "controls/FontStatic.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/KTV_OutData.h"
#include "model/ModelLock.h"
#include "model/Music_InData.h"

#include <QComboBox>
#include <QGroupBox>

#include <algorithm>

namespace {

// Template 108 in dialog units of Arial 8.
constexpr platform::TemplateFont kFont = platform::kArial8;
const QSize kSize(730, 271);

// The groups: two lines of four.
constexpr int kGroupLeft[4] = {39, 210, 382, 554};
constexpr int kGroupTop[2] = {35, 153};
constexpr int kGroupHeight = 108;

// How each field of a row is shown and where it stands in its group.
struct FieldLayout {
    int editId;
    int spinId;
    bool right; // the compressor column
    int y;      // from the group's top
    int type;
    double scale;
    double offset;
    const char* unit;
    int minimum;
    int maximum;
};
constexpr FieldLayout kFieldLayouts[CSystemSettingsDialog::kFields] = {
    {5620, 5650, false, 13, 24, 0.1, 30.0, "", 0, 420},   // limiter level
    {5630, 5660, false, 65, 5, 1.0, 0.0, "", 0, 206},     // limiter attack
    {5700, 5710, false, 91, 6, 1.0, 0.0, "ms", 50, 5000}, // limiter release
    {9500, 9540, true, 13, 24, 0.1, 30.0, "", 0, 360},    // compressor level
    {9510, 9550, true, 39, 40, 1.0, 0.0, "", 1, 191},     // ratio
    {9520, 9560, true, 65, 5, 1.0, 0.0, "", 0, 206},      // compressor attack
    {9530, 9570, true, 91, 6, 1.0, 0.0, "ms", 50, 5000},  // compressor release
};
// Release times are sent as the time less 50 ms.
constexpr int kReleaseBase = 50;

// The row labels left of the groups: one set serves both columns of a line.
struct LabelLayout {
    int id;
    int y;
    const char* text;
};
constexpr LabelLayout kRowLabels[8] = {
    {5600, 47, "Level"},  {9136, 74, "Ratio"},  {5601, 100, "At.Time"}, {5602, 126, "Re.Time"},
    {5603, 167, "Level"}, {9137, 191, "Ratio"}, {5604, 217, "At.Time"}, {5605, 244, "Re.Time"},
};
constexpr int kLabelFontHeight = 15;

const char* const kSourceEntries[] = {"Main", "AUX", "High", "Bluetooth"};
const char* const kReleaseRates[] = {"Atk * 2", "Atk * 4",  "Atk * 6",
                                     "Atk * 8", "Atk * 16", "Atk * 32"};
const char* const kSourceSides[] = {"L", "R", "L+R"};

constexpr int kGateMax = 100;
constexpr int kGateType = 23;
constexpr int kGateTextLimit = 8;

QRect GroupRect(int row) {
    const int column = row % 4;
    return QRect(kGroupLeft[column], kGroupTop[row / 4], column == 3 ? 168 : 166, kGroupHeight);
}

// The dialog-unit place of a field's edit in row r. (The template gives the
// left column of the last group 40 units, which cut "-30.0dBu"; every field
// takes 44.)
QRect FieldRect(const FieldLayout& f, int row) {
    const QRect g = GroupRect(row);
    const int x = f.right ? (row % 4 == 3 ? 120 : 119) : 3;
    return QRect(g.x() + x, g.y() + f.y, 44, 12);
}

QRect CurveRect(int row) {
    const QRect g = GroupRect(row);
    const bool higher = row == 3 || row == 5 || row == 6 || row == 7;
    return QRect(g.x() + 49, g.y() + (higher ? 13 : 14), 67, 90);
}

// The dialog's fields are plain framed edits on the dialog's face.
void PlainField(CNumEdit* edit) {
    edit->setFrame(true);
    edit->SetFaceColors(Qt::white, Qt::black);
}

QString GroupCaption(int row) {
    // "&&" shows one "&"; the first caption has no blank before "Compression".
    return row == 0 ? QStringLiteral("CH1  Limiter &&Compression")
                    : QStringLiteral("CH%1  Limiter && Compression").arg(row + 1);
}

} // namespace

int CSystemSettingsDialog::EditId(Field field, int row) {
    return kFieldLayouts[field].editId + row;
}
int CSystemSettingsDialog::SpinId(Field field, int row) {
    return kFieldLayouts[field].spinId + row;
}

CSystemSettingsDialog::CSystemSettingsDialog(QWidget* parent)
    : CSkinDialog(parent, kFont, kSize, Keys::StayOpen) {
    CreateControls();
}

void CSystemSettingsDialog::CreateControls() {
    for (int r = 0; r < kRows; ++r) {
        Row& row = m_Rows[static_cast<size_t>(r)];
        row.group = Place<QGroupBox>(IDC_GROUP + r, GroupRect(r));
        row.group->setTitle(GroupCaption(r));
        for (int f = 0; f < kFields; ++f) {
            const FieldLayout& layout = kFieldLayouts[f];
            CNumEdit* edit = row.edit[static_cast<size_t>(f)] =
                Place<CNumEdit>(layout.editId + r, FieldRect(layout, r));
            PlainField(edit);
            row.spin[static_cast<size_t>(f)] =
                Place<CNumSpin>(layout.spinId + r, FieldRect(layout, r));
        }
        row.curve = Place<CDynamicsGraph>(IDC_CURVE + r, CurveRect(r));
    }
    for (size_t i = 0; i < std::size(kRowLabels); ++i)
        m_Labels[i] = Place<CFontStatic>(kRowLabels[i].id, QRect(6, kRowLabels[i].y, 32, 12));
    m_Labels[8] = Place<CFontStatic>(IDC_SOURCE_LABEL, QRect(42, 7, 42, 8));
    m_Labels[9] = Place<CFontStatic>(IDC_GATE_LABEL, QRect(130, 2, 48, 10));
    m_SourceList = Place<QComboBox>(IDC_SOURCE, QRect(39, 18, 48, 12));
    m_GateEdit = Place<CNumEdit>(IDC_GATE, QRect(127, 13, 48, 12));
    PlainField(m_GateEdit);
    m_GateSpin = Place<CNumSpin>(IDC_GATE_SPIN, QRect(127, 13, 48, 12));

    // Drop lists the template keeps hidden; their handlers stay reachable by code only.
    for (int i = 0; i < 6; ++i) {
        QComboBox* rate = m_Hidden[static_cast<size_t>(i)] =
            Place<QComboBox>(IDC_RELEASE_RATE + i, QRect(0, 0, 40, 12));
        QComboBox* side = m_Hidden[static_cast<size_t>(6 + i)] =
            Place<QComboBox>(IDC_SOURCE_SIDE + i, QRect(0, 0, 40, 12));
        for (const char* text : kReleaseRates)
            rate->addItem(QString::fromLatin1(text));
        for (const char* text : kSourceSides)
            side->addItem(QString::fromLatin1(text));
        rate->setCurrentIndex(-1);
        side->setCurrentIndex(-1);
        rate->hide();
        side->hide();
        connect(rate, &QComboBox::currentIndexChanged, this,
                [this, i] { OnField(kLimiterRelease, i); });
        connect(side, &QComboBox::currentIndexChanged, this,
                [this, i](int entry) { OnSourceSide(i, entry); });
    }
}

CNumEdit* CSystemSettingsDialog::Edit(int row, Field field) const {
    return m_Rows[static_cast<size_t>(row)].edit[static_cast<size_t>(field)];
}

CNumSpin* CSystemSettingsDialog::Spin(int row, Field field) const {
    return m_Rows[static_cast<size_t>(row)].spin[static_cast<size_t>(field)];
}

CDynamicsGraph* CSystemSettingsDialog::Curve(int row) const {
    return m_Rows[static_cast<size_t>(row)].curve;
}
QGroupBox* CSystemSettingsDialog::Group(int row) const {
    return m_Rows[static_cast<size_t>(row)].group;
}

void CSystemSettingsDialog::OnInitDialog() {
    for (size_t i = 0; i < std::size(kRowLabels); ++i) {
        m_Labels[i]->SetFontSize(kLabelFontHeight);
        m_Labels[i]->SetLeftAlign(1);
        m_Labels[i]->SetText(QString::fromLatin1(kRowLabels[i].text));
    }
    m_Labels[8]->SetFontSize(kLabelFontHeight);
    m_Labels[8]->SetText(QStringLiteral("Source"));
    m_Labels[9]->SetFontSize(kLabelFontHeight);
    m_Labels[9]->SetText(QStringLiteral("NoiseGate"));
    for (const char* text : kSourceEntries)
        m_SourceList->addItem(QString::fromLatin1(text));
    m_SourceList->setCurrentIndex(-1); // a choice stores and sends nothing
    setWindowTitle(g_LanguageFlag.load() ? QStringLiteral("系统") : QStringLiteral("System"));

    m_GateSpin->SetBuddy(m_GateEdit);
    m_GateSpin->SetAlignRight(true);
    m_GateSpin->SetRange32(0, kGateMax);
    m_GateEdit->SetScale(1.0);
    m_GateEdit->SetOffset(120.0);
    m_GateEdit->SetType(kGateType);
    m_GateEdit->setMaxLength(kGateTextLimit);
    SetUpRows();
    LoadValues();
}

void CSystemSettingsDialog::SetUpRows() {
    for (int r = 0; r < kRows; ++r) {
        Row& row = m_Rows[static_cast<size_t>(r)];
        for (int f = 0; f < kFields; ++f) {
            const FieldLayout& layout = kFieldLayouts[f];
            CNumEdit* edit = row.edit[static_cast<size_t>(f)];
            CNumSpin* spin = row.spin[static_cast<size_t>(f)];
            spin->SetBuddy(edit);
            spin->SetAlignRight(true);
            edit->SetType(layout.type, QString::fromLatin1(layout.unit));
            edit->SetScale(layout.scale);
            edit->SetOffset(layout.offset);
            // The spin takes the field's type with its range: the ratio steps by its own rule.
            spin->SetRange32(layout.minimum, layout.maximum);
        }
        row.curve->InitLayout();
        row.curve->SetMode(CDynamicsGraph::kModeCurve);
    }
}

void CSystemSettingsDialog::LoadValues() {
    if (!m_Data) return;
    if (CMusic_InData* music = m_Data->GetMusic(0))
        m_GateSpin->SetValueChecked(
            WithDeviceLock([&]() REQUIRES(g_DeviceLock) { return music->GetNoiseGate(); }));
    for (int r = 0; r < kRows; ++r) {
        CKTV_OutData* out = m_Data->GetOut(r);
        if (!out) continue;
        Kept& kept = m_Kept[static_cast<size_t>(r)];
        // The compressor opens with the limiter's times of its output.
        const int attack = WithDeviceLock(
            [&]() REQUIRES(g_DeviceLock) { return static_cast<int>(out->GetAttackTime()); });
        const int release = WithDeviceLock(
            [&]() REQUIRES(g_DeviceLock) { return out->GetReleaseTime() + kReleaseBase; });
        kept.compAttack = std::clamp(attack, kFieldLayouts[kCompAttack].minimum,
                                     kFieldLayouts[kCompAttack].maximum);
        kept.compRelease = std::clamp(release, kFieldLayouts[kCompRelease].minimum,
                                      kFieldLayouts[kCompRelease].maximum);
        for (int f = 0; f < kFields; ++f)
            ShowValue(static_cast<Field>(f), r, ShownValue(static_cast<Field>(f), r));
        CDynamicsGraph* curve = m_Rows[static_cast<size_t>(r)].curve;
        curve->SetData(m_Data);
        curve->SetChannel(r);
        RedrawCurve(r);
    }
}

int CSystemSettingsDialog::ShownValue(Field field, int row) const {
    const Kept& kept = m_Kept[static_cast<size_t>(row)];
    CKTV_OutData* out = m_Data ? m_Data->GetOut(row) : nullptr;
    switch (field) {
    case kLimiterLevel:
        return kept.limiterLevel;
    case kLimiterAttack:
        return out ? WithDeviceLock([&]() REQUIRES(g_DeviceLock) {
            return static_cast<int>(out->GetAttackTime());
        })
                   : 0;
    case kLimiterRelease:
        return out ? WithDeviceLock([&]() REQUIRES(g_DeviceLock) {
            return out->GetReleaseTime() + kReleaseBase;
        })
                   : 0;
    case kCompLevel:
        return kept.compLevel;
    case kRatio:
        return kept.ratio;
    case kCompAttack:
        return kept.compAttack;
    case kCompRelease:
        return kept.compRelease;
    }
    return 0;
}

void CSystemSettingsDialog::ShowValue(Field field, int row, int value) {
    Spin(row, field)->SetValueChecked(value);
}

void CSystemSettingsDialog::RedrawCurve(int row) {
    const Kept& kept = m_Kept[static_cast<size_t>(row)];
    CDynamicsGraph* curve = Curve(row);
    curve->SetLevels(dynamics::Levels{kept.limiterLevel, kept.compLevel, kept.ratio});
    curve->Refresh();
}

LRESULT CSystemSettingsDialog::WindowProc(unsigned msg, WPARAM wParam, LPARAM) {
    if (msg != WM_COMMAND || (wParam >> 16) != 0) return 0;
    const int id = static_cast<int>(wParam & 0xFFFF);
    if (id == IDC_GATE || id == IDC_GATE_SPIN) {
        OnNoiseGate();
        return 0;
    }
    for (int f = 0; f < kFields; ++f) {
        const FieldLayout& layout = kFieldLayouts[f];
        for (const int first : {layout.editId, layout.spinId})
            if (id >= first && id < first + kRows) {
                OnField(static_cast<Field>(f), id - first);
                return 0;
            }
    }
    return 0;
}

void CSystemSettingsDialog::OnField(Field field, int row) {
    CKTV_OutData* out = m_Data ? m_Data->GetOut(row) : nullptr;
    if (!out) return;
    Kept& kept = m_Kept[static_cast<size_t>(row)];
    int v = Spin(row, field)->GetBuddyValue();
    switch (field) {
    case kLimiterLevel:
        // The limiter never sits below the compressor.
        if (v < kept.compLevel) {
            v = kept.compLevel;
            ShowValue(field, row, v);
        }
        kept.limiterLevel = v;
        out->SetDynamicsParamA(v);
        RedrawCurve(row);
        break;
    case kLimiterAttack:
        WithDeviceLock([&]()
                           REQUIRES(g_DeviceLock) { out->SetAttackTime(static_cast<int16_t>(v)); });
        break;
    case kLimiterRelease:
        WithDeviceLock([&]() REQUIRES(g_DeviceLock) {
            out->SetReleaseTime(static_cast<int16_t>(v - kReleaseBase));
        });
        break;
    case kCompLevel:
        // The compressor may rise up to the limiter, not above it.
        if (kept.limiterLevel < v) {
            v = kept.limiterLevel;
            ShowValue(field, row, v);
        }
        kept.compLevel = v;
        out->SetDynamicsParamB(v);
        RedrawCurve(row);
        break;
    case kRatio:
        kept.ratio = v;
        out->SetDynamicsParamE(v);
        RedrawCurve(row);
        break;
    case kCompAttack:
        kept.compAttack = v;
        out->SetDynamicsParamC(v);
        break;
    case kCompRelease:
        kept.compRelease = v;
        out->SetDynamicsParamD(v - kReleaseBase);
        break;
    }
    ShowLinkedRows(field, row, v);
}

void CSystemSettingsDialog::ShowLinkedRows(Field field, int row, int value) {
    int keys[kRows];
    WithDeviceLock([&]() REQUIRES(g_DeviceLock) { std::copy(g_LinkKey, g_LinkKey + kRows, keys); });
    for (int j = 0; j < kRows; ++j) {
        if (j == row || keys[j] != keys[row]) continue;
        if (field == kRatio) m_Kept[static_cast<size_t>(j)].ratio = value;
        // Showing a value notifies nobody: no handler runs for row j.
        ShowValue(field, j, ShownValue(field, j));
        if (field == kLimiterLevel || field == kCompLevel || field == kRatio) RedrawCurve(j);
    }
}

void CSystemSettingsDialog::OnNoiseGate() {
    CMusic_InData* music = m_Data ? m_Data->GetMusic(0) : nullptr;
    if (!music) return;
    const int v = m_GateSpin->GetBuddyValue();
    WithDeviceLock([&]() REQUIRES(g_DeviceLock) { music->SetNoiseGate(v); });
}

void CSystemSettingsDialog::OnSourceSide(int row, int entry) {
    CKTV_OutData* out = m_Data ? m_Data->GetOut(row) : nullptr;
    if (!out || entry < 0 || entry > 2) return;
    // Entry 0 "L", 1 "R", 2 "L+R": the off flags of the two sources.
    WithDeviceLock([&]() REQUIRES(g_DeviceLock) {
        out->SetLeftSourceOff(entry == 1 ? 1 : 0);
        out->SetRightSourceOff(entry == 0 ? 1 : 0);
    });
}
