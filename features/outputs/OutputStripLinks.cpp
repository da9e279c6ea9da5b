// The strip's link button (joint-editing groups) and its link-group menu
// (joint-debug settings).
//
// The link button's clicks follow the group rules of ApplyLinkClick
// (model/LinkGroups.h); here they are carried out on the strips: the copy
// from the member joined through (under g_DeviceLock with its queueing), the
// captions and the current output, the picture, and byte 287 with the
// dynamics item for the device.
#include "features/outputs/OutputStrip.h"

#include "controls/BitButton.h"
#include "controls/MessageBox.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/JointDebug.h"
#include "model/KTV_OutData.h"
#include "model/LinkGroups.h"
#include "model/LinkKeys.h"
#include "features/outputs/JointGroupsDialog.h"
#include "pages/output/OutputPage.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPointer>

#include <algorithm>
#include <iterator>

namespace {

constexpr int kMaskOutputs = kJointDebugOutputs;

const BiText kAllGroupsTakenText = {
    "12个联调组都已在使用,请先撤销一个组。",
    "All 12 link groups are in use. Please release a group first.",
};

// The link-group menu (resource 962): command and text (Chinese, English).
struct MenuItem {
    int command;
    const char* cn;
    const char* en;
};
constexpr MenuItem kLinkGroupMenu[4] = {
    {COutputStrip::kCmdNewJointGroup, "生成新联调组", "New joint debug group"},
    {COutputStrip::kCmdJoinJointGroup, "加入已有联调组", "Join a joint debug group"},
    {COutputStrip::kCmdLeaveJointGroup, "退出联调组", "Leave the joint debug group"},
    {COutputStrip::kCmdDissolveJointGroup, "撤销联调组", "Dissolve the joint debug group"},
};

bool Chinese() {
    return g_LanguageFlag.load() != 0;
}

} // namespace

// ---------------------------------------------------------------------------
// Neighbours
// ---------------------------------------------------------------------------

COutputPage* COutputStrip::OutputPage() const {
    return m_View ? dynamic_cast<COutputPage*>(m_View->OutputPageWindow()) : nullptr;
}

COutputStrip* COutputStrip::StripOf(int output) const {
    return m_View ? dynamic_cast<COutputStrip*>(m_View->OutputStrip(output)) : nullptr;
}

// The caption of an output's strip in the main view, with its selection look.
void COutputStrip::SetCaption(int output, bool checked) {
    CStripBase* s = m_View ? m_View->OutputStrip(output) : nullptr;
    if (!s) return;
    s->SetCaptionChecked(checked);
    s->SetSelected(checked);
}

// ---------------------------------------------------------------------------
// The link button
// ---------------------------------------------------------------------------

void COutputStrip::OnLinkClick(int kind) {
    if (kind == kLinkSingle) m_LastLinkClick = 1;
    if (kind == kLinkDouble) m_LastLinkClick = 2;
    const int o = m_OutputIndex;
    if (o < 0 || o >= kOutputCount) return;
    LinkClickInput in;
    in.output = o;
    in.kind = static_cast<LinkClickKind>(kind);
    in.checked = m_LinkButton->GetCheck() != 0;
    in.current = g_CurrentOutput;
    const COutputStrip* currentStrip = StripOf(in.current);
    in.currentChecked = currentStrip && currentStrip->LinkButton()->GetCheck() != 0;
    // A leave unchecks captions by the output's state before the click.
    if (in.checked && in.kind != LinkClickKind::Double) UncheckCaptionsOnLeave();

    const LinkClickResult r = ApplyLinkClick(in);
    switch (r.step) {
    case LinkStep::None:
        return;
    case LinkStep::Refused:
        return RefuseNewGroup();
    case LinkStep::Rejoin:
    case LinkStep::JoinCurrent:
    case LinkStep::JoinOpen:
        JoinVia(r.source);
        break;
    case LinkStep::OpenHere:
        MakeCurrentAlone();
        break;
    case LinkStep::StartGroup:
    case LinkStep::Leave:
    case LinkStep::LeaveForGood:
        break;
    }
    if (r.checked) m_LinkPictureGroup = r.group;
    if (r.step == LinkStep::Rejoin) CheckGroupCaptionsTogether(r.group);
    FinishLinkClick(r.checked);
}

// After a rejoin: the captions of the group's members all checked when any is.
void COutputStrip::CheckGroupCaptionsTogether(int group) {
    const int key = GroupLinkKey(group + 1);
    int keys[kOutputCount];
    {
        DeviceLockGuard lock(g_DeviceLock);
        std::copy(std::begin(g_LinkKey), std::end(g_LinkKey), keys);
    }
    bool anyChecked = false;
    for (int i = 0; i < kOutputCount; ++i) {
        const CStripBase* s = m_View ? m_View->OutputStrip(i) : nullptr;
        if (s && keys[i] == key && s->IsCaptionChecked()) anyChecked = true;
    }
    if (!anyChecked) return;
    for (int i = 0; i < kOutputCount; ++i)
        if (keys[i] == key) SetCaption(i, true);
}

// The output takes the settings of the member it joins through; that
// member's outputs are off on the device while its copy is written.
void COutputStrip::JoinVia(int source) {
    const int o = m_OutputIndex;
    COutputPage* page = OutputPage();
    {
        // The off frames, the copy and the restoring frames enter the queue
        // as one piece.
        DeviceLockGuard lock(g_DeviceLock);
        if (page) page->MuteMaskOutputs(source, true);
        if (m_View) m_View->CopyOutputEq(source, o);
        if (page) page->MuteMaskOutputs(source, false);
        if (m_View) m_View->SyncLinkGroupStrips(source, LinkKeyOf(source));
        g_LinkActive = 1;
    }
    if (!page) return;
    // The page shows what the output now holds.
    if (o == g_CurrentOutput) page->RefreshChannel();
    page->RedrawGraph();
}

// A double click: the output becomes current and its caption the only
// one checked.
void COutputStrip::MakeCurrentAlone() {
    const int o = m_OutputIndex;
    if (m_View && g_CurrentOutput != o) {
        m_View->SelectOutput(o);
    } else if (COutputPage* page = OutputPage()) {
        page->RefreshChannel();
    }
    for (int i = 0; i < kOutputCount; ++i)
        SetCaption(i, i == o);
    if (m_View) m_View->RepaintStrips();
}

void COutputStrip::UncheckCaptionsOnLeave() {
    const int o = m_OutputIndex;
    if (o != g_CurrentOutput) {
        SetCaption(o, false);
        return;
    }
    for (int i = 0; i < kOutputCount; ++i)
        if (i != o) SetCaption(i, false);
}

// Byte 287 takes the group number (0 when the output left) and the
// dynamics item is marked for the device; the button shows the result.
void COutputStrip::FinishLinkClick(bool checked) {
    const int o = m_OutputIndex;
    {
        DeviceLockGuard lock(g_DeviceLock);
        StoreLinkGroupByte(o);
        if (m_Output) m_Output->SetDynamicsDirty(1);
    }
    m_LinkButton->SetCheck(checked ? 1 : 0);
    ShowLinkPicture(Chinese());
}

void COutputStrip::RefuseNewGroup() {
    ShowMessageBox(nullptr, kAllGroupsTakenText.Pick(), std::string(), MB_OK, g_LanguageFlag.load(),
                   2000);
}

// ---------------------------------------------------------------------------
// The link-group menu and the joint-debug masks
// ---------------------------------------------------------------------------

bool COutputStrip::AreAllMasksFull() {
    DeviceLockGuard lock(g_DeviceLock);
    for (int i = 0; i < kMaskOutputs; ++i)
        if (LinkKeyOf(i) != MaskLinkKey(0xFF)) return false;
    return true;
}

bool COutputStrip::HasMaskPartner() const {
    const int o = m_OutputIndex;
    if (o < 0 || o >= kMaskOutputs) return false;
    DeviceLockGuard lock(g_DeviceLock);
    return (LinkKeyMask(LinkKeyOf(o)) & 0xFF & ~(1 << o)) != 0;
}

std::unique_ptr<QMenu> COutputStrip::BuildLinkGroupMenu() {
    const int o = m_OutputIndex;
    COutputPage* page = OutputPage();
    if (o < 0 || o >= kMaskOutputs || !page) return nullptr;
    auto menu = std::make_unique<QMenu>();
    const bool cn = Chinese();
    const bool partner = HasMaskPartner() || page->IsMaskShared(o);
    for (const MenuItem& item : kLinkGroupMenu) {
        QAction* a = menu->addAction(QString::fromUtf8(cn ? item.cn : item.en));
        a->setData(item.command);
        if (item.command == kCmdJoinJointGroup) a->setEnabled(!AreAllMasksFull());
        if (item.command == kCmdLeaveJointGroup || item.command == kCmdDissolveJointGroup)
            a->setEnabled(partner);
    }
    return menu;
}

void COutputStrip::OpenLinkGroupMenu(const QPoint& at) {
    std::unique_ptr<QMenu> menu = BuildLinkGroupMenu();
    if (!menu) return;
    int command = -1;
    if (CurrentPopupChooser()) {
        command = CurrentPopupChooser()(*menu, at);
    } else {
        QPointer<COutputStrip> alive(this);
        QAction* chosen = menu->exec(at);
        if (!alive) return;
        if (chosen) command = chosen->data().toInt();
    }
    if (command >= kCmdNewJointGroup && command <= kCmdDissolveJointGroup)
        OnLinkGroupCommand(command);
}

void COutputStrip::contextMenuEvent(QContextMenuEvent* event) {
    // The link button reports its own right click.
    if (m_LinkButton->isVisible() && m_LinkButton->geometry().contains(event->pos())) return;
    event->accept();
    OpenLinkGroupMenu(event->globalPos());
}

void COutputStrip::OnLinkGroupCommand(int command) {
    COutputPage* page = OutputPage();
    const int p = m_OutputIndex;
    if (!page || p < 0 || p >= kMaskOutputs) return;
    switch (command) {
    case kCmdNewJointGroup:
    case kCmdJoinJointGroup: {
        CJointGroupsDialog dialog(this);
        dialog.m_Mode = command == kCmdNewJointGroup ? CJointGroupsDialog::kNewGroupMode
                                                     : CJointGroupsDialog::kJoinMode;
        dialog.m_Output = p;
        dialog.SetPage(page);
        dialog.DoModal();
        break;
    }
    case kCmdLeaveJointGroup:
        LeaveJointDebugGroup(*page);
        break;
    case kCmdDissolveJointGroup:
        DissolveJointDebugGroup(*page);
        break;
    default:
        break;
    }
}

// Writes the masks back to the page's panels and into the keys, each as a
// mask key, and refreshes the panels of the outputs written.
void COutputStrip::StoreJointDebugMasks(COutputPage& page, const JointDebugMasks& masks,
                                        const std::vector<int>& written) {
    DeviceLockGuard lock(g_DeviceLock);
    for (int i : written) {
        page.Panel(i).mask = masks[i];
        SetLinkKey(i, MaskLinkKey(masks[i]));
        page.RefreshMaskPanels(i, masks[i]);
    }
}

static JointDebugMasks MasksOf(COutputPage& page) {
    JointDebugMasks masks{};
    for (int i = 0; i < kJointDebugOutputs; ++i)
        masks[i] = page.Panel(i).mask;
    return masks;
}

// The output keeps only itself; the others of its group keep each other.
void COutputStrip::LeaveJointDebugGroup(COutputPage& page) {
    const int p = m_OutputIndex;
    JointDebugMasks masks = MasksOf(page);
    const int m = masks[p];
    StoreJointDebugMasks(page, masks, ::LeaveJointDebugGroup(masks, p));
    if (p != g_CurrentOutput) {
        SetCaption(p, false);
    } else {
        for (int i = 0; i < kOutputCount; ++i)
            if (i != p && (m & (1 << i))) SetCaption(i, false);
    }
    if (m_View) m_View->RepaintStrips();
}

// Every output of the group keeps only itself.
void COutputStrip::DissolveJointDebugGroup(COutputPage& page) {
    JointDebugMasks masks = MasksOf(page);
    const int m = masks[m_OutputIndex];
    StoreJointDebugMasks(page, masks, ::DissolveJointDebugGroup(masks, m_OutputIndex));
    for (int i = 0; i < kOutputCount; ++i)
        if (i != g_CurrentOutput && (m & (1 << i))) SetCaption(i, false);
    if (m_View) m_View->RepaintStrips();
}
