// The delay area of the level and delay page: one distance field per speaker
// position on the car, the position buttons, the units and the link toggles
// of the speaker groups, with the linked step that moves every member of a
// linked group.
// Before any Qt header: Qt's "slots" keyword would take the groups' member name.
#include "model/SpeakerGroups.h"

#include "pages/leveldelay/LevelDelayPage.h"

#include "controls/BitButton.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "controls/PngButton.h"
#include "controls/SpinBtn.h"
#include "controls/core/NumValue.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/KTV_OutData.h"
#include "model/ModelLock.h"
#include "model/SpeakerTypes.h"
#include "model/ValueScale.h"
#include "platform/DialogUnits.h"

#include <algorithm>

namespace {

using platform::DluToPixels;
using platform::kArial8;

// The distance field of each speaker type (index = type; -1: none).
constexpr int kFieldOfType[CLevelDelayPage::kSpeakerTypes] = {
    -1, 0, 1, 2, 1, 1, 1, 3, 4, 5, 4, 4, 4, 8, 9, 9, 10, 11, 11, 6, 7, 7, 12, 13, 14};
// The centre woofer's field and the subwoofers' fields sit below their
// speakers, clear of them.
constexpr QPoint kFieldDlu[CLevelDelayPage::kDistanceFields] = {
    {22, 193}, {22, 215}, {22, 236},  {230, 193}, {230, 215}, {230, 236}, {127, 150}, {127, 216},
    {22, 267}, {22, 289}, {230, 267}, {230, 289}, {98, 352},  {158, 352}, {127, 352}};

struct PositionLayout {
    QPoint dlu;
    unsigned first; // normal, hover, down
};
// Position buttons of types 1..24.
constexpr PositionLayout kPositions[CLevelDelayPage::kSpeakerTypes - 1] = {
    {{69, 190}, 7100},  {{69, 211}, 7103},  {{69, 234}, 7106},  {{69, 211}, 7103},
    {{69, 211}, 7103},  {{69, 211}, 7103},  {{212, 190}, 7110}, {{212, 211}, 7113},
    {{212, 234}, 7116}, {{212, 211}, 7113}, {{212, 211}, 7113}, {{212, 211}, 7113},
    {{69, 264}, 7100},  {{69, 287}, 7106},  {{69, 287}, 7106},  {{212, 264}, 7110},
    {{212, 287}, 7116}, {{212, 287}, 7116}, {{140, 174}, 7120}, {{137, 192}, 7123},
    {{137, 194}, 7123}, {{105, 327}, 585},  {{166, 327}, 588},  {{136, 327}, 582}};

struct ToggleLayout {
    int id;
    int type;     // a member type of its group
    int pairMode; // 0: any
    unsigned pictures;
    QPoint dlu;
};
// The rings sit beside the speakers they link, never over them: the left
// ones right of the left speakers (as the right ones sit left of the right
// speakers), the centre one right of the centre speakers, the subwoofers'
// one above the subwoofers.
constexpr ToggleLayout kToggleLayouts[CLevelDelayPage::kToggles] = {
    {6800, 1, 4, 7340, {95, 199}},   {6801, 1, 1, 7400, {95, 199}},
    {6802, 1, 2, 7390, {95, 199}},   {6803, 1, 3, 7410, {95, 221}},
    {6804, 7, 4, 7350, {199, 199}},  {6805, 7, 1, 7430, {199, 199}},
    {6806, 7, 2, 7420, {199, 199}},  {6807, 7, 3, 7440, {199, 221}},
    {6808, 13, 0, 7360, {95, 273}},  {6809, 16, 0, 7370, {199, 273}},
    {6810, 19, 0, 7330, {165, 183}}, {6811, 22, 0, 7380, {123, 313}}};

const ToggleLayout* ToggleLayoutOf(int id) {
    for (const ToggleLayout& t : kToggleLayouts)
        if (t.id == id) return &t;
    return nullptr;
}

// The pair mode of a front group, 0 for the others.
int PairModeOfType(int type) {
    if (type >= 1 && type <= 5) return g_SpeakerGroups->frontLeft.pairMode;
    if (type >= 7 && type <= 11) return g_SpeakerGroups->frontRight.pairMode;
    return 0;
}

} // namespace

int CLevelDelayPage::DistanceFieldOfType(int type) {
    return type >= 0 && type < kSpeakerTypes ? kFieldOfType[type] : -1;
}

int CLevelDelayPage::ToggleOfType(int type) {
    const int* state = g_SpeakerGroups->StateOfType(type);
    if (!state) return 0;
    const int pair = PairModeOfType(type);
    for (const ToggleLayout& t : kToggleLayouts)
        if (g_SpeakerGroups->StateOfType(t.type) == state &&
            (t.pairMode == 0 || t.pairMode == pair))
            return t.id;
    return 0;
}

CNumEdit* CLevelDelayPage::DistanceFieldOf(int output) const {
    return output >= 0 && output < kOutputs ? m_Records[static_cast<size_t>(output)].field
                                            : nullptr;
}

CNumSpin* CLevelDelayPage::DistanceSpinOf(int output) const {
    return output >= 0 && output < kOutputs ? m_Records[static_cast<size_t>(output)].spin : nullptr;
}

void CLevelDelayPage::SetUpDelayArea() {
    for (int d = 0; d < kDistanceFields; ++d) {
        auto* field = new CNumEdit(this);
        Register(field, kDistanceField + d);
        field->setGeometry(DluToPixels(QRect(kFieldDlu[d], QSize(44, 10)), kArial8));
        field->setMaxLength(10);
        field->setAlignment(Qt::AlignCenter);
        field->installEventFilter(this);
        auto* spin = new CNumSpin(this);
        Register(spin, kDistanceSpin + d);
        spin->SetBuddy(field);
        spin->SetRange32(0, kMaxDelay);
        spin->SetValueType(2);
        spin->hide();
        field->CreateSpinButton(kDistanceStrip + d);
        field->SetSpinTarget(kDistanceStrip + d, spin);
        if (CSpinBtn* strip = field->SpinButton()) strip->SetBitmaps(800, 801, 802, 803);
        field->SetType(numfield::kDelayMs);
        field->SetValue(0);
        field->hide();
    }
    for (int t = 1; t < kSpeakerTypes; ++t) {
        const PositionLayout& p = kPositions[t - 1];
        auto* b = new CPngButton(this, kPositionButton + t - 1);
        Register(b, kPositionButton + t - 1);
        b->SetImages(p.first, p.first + 1, p.first + 2);
        b->SetCheckedImages(p.first + 2, p.first + 2, p.first + 2);
        b->move(DluToPixels(p.dlu, kArial8));
        b->hide();
    }
    for (const ToggleLayout& t : kToggleLayouts) {
        auto* b = new CPngButton(this, t.id);
        Register(b, t.id);
        b->SetImages(t.pictures, t.pictures + 1, t.pictures + 2);
        b->SetCheckedImages(t.pictures + 3, t.pictures + 4, t.pictures + 5);
        b->move(DluToPixels(t.dlu, kArial8));
        b->hide();
    }
    for (int u = 0; u < 3; ++u) {
        auto* b = new CBitButton(this, IDC_UNIT_MS + u);
        Register(b, IDC_UNIT_MS + u);
        b->setGeometry(DluToPixels(QRect(231, 323 + 12 * u, 50, 9), kArial8));
    }
}

void CLevelDelayPage::AssignDistanceControls(int type, int output) {
    if (output < 0 || output >= kOutputs) return;
    DistanceRecord& rec = m_Records[static_cast<size_t>(output)];
    const int d = DistanceFieldOfType(type);
    if (d < 0) {
        rec = {};
        return;
    }
    // A field shared by two outputs edits the later (higher) one: its
    // spin's output is the last one set.
    rec.field = Field(kDistanceField + d);
    rec.spin = Spin(kDistanceSpin + d);
    rec.button = PngButton(kPositionButton + type - 1);
    rec.field->show();
    rec.button->show();
    rec.spin->SetChannel(output);
}

void CLevelDelayPage::ApplyDistanceFromField(int output) {
    CKTV_OutData* out = Out(output);
    CNumSpin* spin = DistanceSpinOf(output);
    if (!out || !spin) return;
    const int v = std::clamp(spin->GetBuddyValue(), 0, kMaxDelay);
    WithDeviceLock([&]() REQUIRES(g_DeviceLock) {
        if (out->GetDelay() != v) out->SetDelay(static_cast<int16_t>(v));
    });
    SelectOutput(output);
}

void CLevelDelayPage::OnPositionButton(int id) {
    for (int i = 0; i < kOutputs; ++i) {
        const DistanceRecord& rec = m_Records[static_cast<size_t>(i)];
        if (!rec.button || ControlId(rec.button) != id) continue;
        SelectOutput(rec.spin->GetChannel());
        rec.field->setFocus(Qt::OtherFocusReason);
    }
}

void CLevelDelayPage::SetDistanceUnit(int unit) {
    if (g_DistanceUnit >= 1 && g_DistanceUnit <= 3)
        BitButton(IDC_UNIT_MS + g_DistanceUnit - 1)->SetCheck(0);
    if (unit < 1 || unit > 3) return;
    g_DistanceUnit = unit;
    BitButton(IDC_UNIT_MS + unit - 1)->SetCheck(1);
    // The stored delays stay; only their text changes.
    for (int d = 0; d < kDistanceFields; ++d) {
        CNumEdit* f = Field(kDistanceField + d);
        const int v = f->GetValue();
        f->SetType(unit - 1);
        f->SetValue(v);
    }
}

void CLevelDelayPage::OnUnitButton(int unit) {
    if (unit == 1 && g_DistanceUnit == 1 && BitButton(IDC_UNIT_MS)->GetCheck()) return;
    SetDistanceUnit(unit);
    SelectOutput(-1);
}

void CLevelDelayPage::RefreshLinkToggles() {
    for (const ToggleLayout& t : kToggleLayouts) {
        CPngButton* b = PngButton(t.id);
        const int* state = g_SpeakerGroups->StateOfType(t.type);
        const bool mine = t.pairMode == 0 || t.pairMode == PairModeOfType(t.type);
        const bool shown = state && *state >= 0 && mine;
        b->setVisible(shown);
        b->SetCheck(shown && *state == 1 ? 1 : 0);
        if (shown && *state == 1) LockGroupFields(t.type, true);
    }
}

void CLevelDelayPage::LockGroupFields(int type, bool lock) {
    const int* members = g_SpeakerGroups->SlotsOfType(type);
    if (!members) return;
    for (int k = 0; k < kOutputs; ++k) {
        if (members[k] < 0) continue;
        // A locked field only steps: its strip covers it.
        if (CNumEdit* f = DistanceFieldOf(members[k])) f->SetReadOnly(lock);
    }
}

void CLevelDelayPage::OnLinkToggle(int id) {
    const ToggleLayout* layout = ToggleLayoutOf(id);
    if (!layout) return;
    int* state = g_SpeakerGroups->StateOfType(layout->type);
    if (!state || *state < 0) return;
    *state = *state != 0 ? 0 : 1;
    LockGroupFields(layout->type, *state == 1);
    if (const int shown = ToggleOfType(layout->type)) PngButton(shown)->SetCheck(*state);
    SelectOutput(-1);
}

void CLevelDelayPage::OnDistanceSpinDelta(int spinId, int delta) {
    CNumSpin* spin = spinId >= kDistanceSpin && spinId < kDistanceSpin + kDistanceFields
                         ? Spin(spinId)
                         : nullptr;
    if (!spin) return;
    const int o = spin->GetChannel();
    if (o < 0 || o >= kOutputs) return;
    const int type = TypeOf(o);
    const int* state = g_SpeakerGroups->StateOfType(type);
    const int* members = g_SpeakerGroups->SlotsOfType(type);
    if (!state || !members || *state != 1) return;
    for (int k = 0; k < kOutputs; ++k)
        if (members[k] >= 0 && members[k] != o) StepLinkedDistance(members[k], delta);
}

void CLevelDelayPage::StepLinkedDistance(int p, int delta) {
    CNumSpin* spin = DistanceSpinOf(p);
    CKTV_OutData* out = Out(p);
    if (!spin || !out) return;
    int v = spin->GetBuddyValue();
    switch (spin->GetBuddyType()) {
    case numfield::kDelayCm:
        v = StepDelayCentimetres(v, delta);
        break;
    case numfield::kDelayInch:
        v = StepDelayInches(v, delta);
        break;
    default:
        v += delta;
        break;
    }
    v = std::clamp(v, 0, kMaxDelay);
    if (WithDeviceLock([&]() REQUIRES(g_DeviceLock) {
            if (out->GetDelay() == v) return false;
            out->SetDelay(static_cast<int16_t>(v));
            return true;
        }))
        spin->SetValueChecked(v);
}
