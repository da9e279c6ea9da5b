// The main view's two menus and its top bar's system button: the mode menu
// (File: preset files) under button 8801 and the system menu (Options) under
// button 8802, built once and trimmed as the program ships them, their texts
// in the language, and the commands they and the top bar's buttons run.
#include "app/LumaraView.h"

#include "features/connection/VersionWindow.h"
#include "controls/MessageBox.h"
#include "controls/ModalDialog.h"
#include "model/Globals.h"
#include "platform/DesktopOpener.h"

#include <QAction>
#include <QLocale>
#include <QMenu>

namespace {

// The menus as their resources hold them (the texts are replaced by the
// language's); 0 is a separator.
constexpr int kModeMenuResource[] = {720, 721, 722, 0, 723, 725, 0, 724, 726};
constexpr int kSystemMenuResource[] = {729, 728, 32776, 727, 32779, 32778, 32777, 32775, 730, 731};

// The items' texts by command: Chinese, English.
struct MenuText {
    int command;
    const char* cn;
    const char* en;
};
constexpr MenuText kMenuTexts[] = {
    {720, "加载 机器预置场景(&E)", "Load Machine Preset(&E)"},
    {721, "另存为 机器预置场景(&I)", "Save As Machine Preset(&I)"},
    {722, "删除 机器预置场景(&D)", "Delete Machine Preset(&D)"},
    {723, "加载 电脑上场景文件(&O)", "Load PC Presets File(&O)"},
    {724, "加载 整机场景", "Load All Presets"},
    {725, "另存为 电脑上场景文件(&S)", "Save As PC Presets File(&S)"},
    {726, "保存 整机场景", "Save All Presets"},
    {727, "固件更新", "Firmware Update"},
    {728, "高级", "Advanced"},
    {32775, "恢复出厂设置", "Restore factory settings"},
    {32776, nullptr, "Player volume"}, // the Chinese text stays as it is
    {32777, "开机默认音源", "Boot default source"},
    {32778, "音源联动音效", "Audio source settings"},
    {32779, "输入音源音量", "Input source volume"},
    {730, "帮助(&F)", "Help(&F)"},
    {731, "关于(&A)...", "About(&A)"},
};

// The system button sits in the top row beside the two menu buttons.
const QRect kSystemButtonPlace(569, 3, 55, 22);
constexpr unsigned kSystemButtonCn[2] = {8703, 8712}; // normal, hover
constexpr unsigned kSystemButtonEn[2] = {8722, 8732};

const BiText kHelpMissingText{"没有发现帮助文件!", "Not find help file!"};
const BiText kHelpCaption{"帮助", "Help"};
constexpr unsigned kQuitOnly = 6;

QMenu* BuildMenu(QWidget* owner, const int* items, size_t count) {
    auto* menu = new QMenu(owner);
    for (size_t i = 0; i < count; ++i) {
        if (items[i] == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* a = menu->addAction(QString::number(items[i]));
        a->setData(items[i]);
    }
    return menu;
}

void RemoveItemAt(QMenu& menu, int position) {
    const QList<QAction*> actions = menu.actions();
    if (position < 0 || position >= actions.size()) return;
    QAction* a = actions[position];
    menu.removeAction(a);
    delete a;
}

QAction* FindItem(QMenu* menu, int command) {
    if (!menu) return nullptr;
    for (QAction* a : menu->actions())
        if (!a->isSeparator() && a->data().toInt() == command) return a;
    return nullptr;
}

// Renames a command's item in whichever menu holds it; nothing when neither does.
void RenameItem(QMenu* mode, QMenu* system, int command, const QString& text) {
    for (QMenu* menu : {mode, system})
        if (QAction* a = FindItem(menu, command)) a->setText(text);
}

// A system whose locale is Chinese (PRC): the language item says "中文" there.
bool IsChineseSystem() {
    const QLocale system = QLocale::system();
    return system.language() == QLocale::Chinese && system.territory() == QLocale::China;
}

} // namespace

// ---------------------------------------------------------------------------
// Building and showing
// ---------------------------------------------------------------------------

void CLumaraView::CreateMenus() {
    m_ModeMenu = BuildMenu(this, kModeMenuResource, std::size(kModeMenuResource));
    m_SystemMenu = BuildMenu(this, kSystemMenuResource, std::size(kSystemMenuResource));
    // The device-preset items and the separator after them go.
    for (int i = 0; i < 4; ++i)
        RemoveItemAt(*m_ModeMenu, 0);
    // The player-volume item, then the power-on source item.
    RemoveItemAt(*m_SystemMenu, 2);
    RemoveItemAt(*m_SystemMenu, 5);
    // The system dialog's button, which the template keeps out of sight.
    m_SystemDialogButton->setGeometry(kSystemButtonPlace);
    m_SystemDialogButton->show();
}

void CLumaraView::PrepareModeMenu() {
    const QList<QAction*> items = m_ModeMenu->actions();
    const bool connected = IsConnected();
    for (int position = 0; position < items.size(); ++position)
        items[position]->setEnabled(position < 3 || connected);
}

QPoint CLumaraView::MenuPopupPoint(const QWidget* button) const {
    const QRect r = button->geometry();
    return mapToGlobal(QPoint(r.left(), r.top() + r.height() + 2));
}

int CLumaraView::TrackMenuPopup(QMenu& menu, const QPoint& at) {
    QAction* chosen = menu.exec(at);
    return chosen ? chosen->data().toInt() : 0;
}

void CLumaraView::OnModeMenuButton() {
    PrepareModeMenu();
    if (const int command = TrackMenuPopup(*m_ModeMenu, MenuPopupPoint(m_ModeMenuButton)))
        SendMessage(WM_COMMAND, CommandWParam(command, 0));
}

void CLumaraView::OnSystemMenuButton() {
    if (const int command = TrackMenuPopup(*m_SystemMenu, MenuPopupPoint(m_SystemMenuButton)))
        SendMessage(WM_COMMAND, CommandWParam(command, 0));
}

// ---------------------------------------------------------------------------
// Language
// ---------------------------------------------------------------------------

QString CLumaraView::LanguageItemText(bool chinese, bool chineseSystem) {
    if (chinese) return QStringLiteral("English");
    return chineseSystem ? QStringLiteral("中文") : QStringLiteral("Chinese");
}

void CLumaraView::ApplyMenuLanguage() {
    const bool cn = g_LanguageFlag.load() != 0;
    for (const MenuText& t : kMenuTexts) {
        const char* text = cn ? t.cn : t.en;
        if (text) RenameItem(m_ModeMenu, m_SystemMenu, t.command, QString::fromUtf8(text));
    }
    RenameItem(m_ModeMenu, m_SystemMenu, kCmdLanguage, LanguageItemText(cn, IsChineseSystem()));
    const unsigned* looks = cn ? kSystemButtonCn : kSystemButtonEn;
    m_SystemDialogButton->SetBitmaps(looks[0], looks[1], looks[1], looks[1], looks[1], looks[1]);
}

// ---------------------------------------------------------------------------
// Commands
// ---------------------------------------------------------------------------

bool CLumaraView::OnMenuCommand(int id) {
    switch (id) {
    case IDC_MODE_MENU:
        OnModeMenuButton();
        return true;
    case IDC_SYSTEM_MENU:
        OnSystemMenuButton();
        return true;
    case IDC_SYSTEM_DIALOG:
        OnSystemButton();
        return true;
    case IDC_MAP_RESET:
        OnOutputMapReset();
        return true;
    case kCmdLoadDevicePreset:
    case kCmdSaveDevicePreset:
    case kCmdDeleteDevicePreset:
        // Their items are gone; the commands still open the machine-preset dialog.
        OpenMachinePresetDialog(id - kCmdLoadDevicePreset);
        return true;
    case kCmdFirmwareUpdate:
        m_Firmware.OnUpdateCommand();
        return true;
    case kCmdAdvanced:
        OnAdvancedCommand();
        return true;
    case kCmdLanguage:
        SwitchLanguage(true);
        return true;
    case kCmdHelp:
        OnHelpCommand();
        return true;
    case kCmdAbout:
        OnAboutCommand();
        return true;
    case kCmdFactoryReset:
        OnFactoryResetCommand();
        return true;
    case kCmdPlayerVolume:
        return true; // its item is gone; the command does nothing
    case kCmdDefaultSource:
        OnDefaultSourceCommand();
        return true;
    case kCmdSourcePresets:
        OnSourcePresetCommand();
        return true;
    case kCmdSourceVolumes:
        OnSourceVolumeCommand();
        return true;
    default:
        return false;
    }
}

const std::string& CLumaraView::HelpFile() const {
    return g_LanguageFlag.load() ? g_HelpFileCn : g_HelpFileEn;
}

void CLumaraView::OnHelpCommand() {
    if (platform::OpenWithDesktop(QString::fromStdString(HelpFile()))) return;
    CMessageBox box(QString::fromUtf8(kHelpMissingText.Pick()), kQuitOnly,
                    QString::fromUtf8(kHelpCaption.Pick()), 0, this);
    box.DoModal();
}

void CLumaraView::OnAboutCommand() {
    CVersionWindow dialog(this);
    ctl::RunModal(dialog);
}
