// The main view: everything inside the main window. It owns the pages of
// its page area, the level bar, the twelve output strips, the buttons of the
// top bar and the device session (the link engine, the connection and the
// transfers, link/DeviceSession.h), lays them out from template 101, switches
// pages, drags the borderless main window, and on its close button stops the
// link before the window goes. 300 ms after its initial update it posts
// itself the first connection attempt (WM_FIRST_CONNECT).
//
// Its link, connection and transfer operations keep their names as a facade
// over the session; the session does the work without a widget.
#pragma once

#include "model/DeviceLock.h"
#include "model/Globals.h"
#include "model/LinkKeys.h"

#include "features/firmware/FirmwareFeature.h"
#include "features/presets/LockFeature.h"
#include "files/PresetJson.h"
#include "app/ViewPages.h"
#include "controls/BitButton.h"
#include "controls/DropListButton.h"
#include "controls/LinkIndicator.h"
#include "controls/TabCtrl.h"
#include "controls/PictureButton.h"
#include "link/DeviceSession.h"
#include "platform/Message.h"
#include "platform/Settings.h"
#include "platform/Skin.h"
#include "platform/StoredSettingsGroup.h"
#include "platform/ViewNotify.h"
#include "model/ThreadRole.h"

#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QRect>

#include <map>
#include <memory>
#include <string>

class CGradientProgressCtrl;
class CMixParametersDialog;
class CKTV_Data;
class CKTV_OutData;
class CLumaraDoc;
class CPositionButtons;
class QLineEdit;
class QMenu;

class CLumaraView : public platform::MessageTarget<QWidget>,
                    public ISessionHost,
                    public IPageHost,
                    private ILockHost {
public:
    // Controls of template 101.
    enum : int {
        IDC_CONNECT = 1413,
        IDC_TAB = 1368,
        IDC_MODE_MENU = 8801,
        IDC_SYSTEM_DIALOG = 8803,
        IDC_REPORT = 8804,
        IDC_PROGRESS = 1414,
        IDC_PRESET_EDIT = 1002,
        IDC_SYSTEM_MENU = 8802,
        IDC_MODE_PAGE0 = 2066, // ... 2069: output-mode pages 0 to 3
        IDC_PAGE1 = 2561,
        IDC_PAGE0 = 2562,
        IDC_PAGE2 = 2563,
        IDC_PRESET_NAME = 2770,
        IDC_MINIMISE = 2772,
        IDC_CLOSE = 2773,
        IDC_LINK_STATUS = 2776,
        IDC_SCENE_SLOT1 = 2819, // hidden: the first of the scene picker's slot ids
        IDC_LOCK = 1415,
        IDC_MIX_TOGGLE = 2823,
        IDC_BRIDGE = 4700,
        IDC_LR_LINK = 4701,
        IDC_MAP_RESET = 4702,
        IDC_SCENE_LOAD = 4703,
        IDC_SCENE_STORE = 4704,
        IDC_INPUT_SOURCE = 4705,
        IDC_MIX_SOURCE = 4706,
        IDC_MIX_WARNING = 2821,
    };
    // Notification ids of the two drop lists.
    static constexpr int kInputSourceNotify = 2820;
    static constexpr int kMixSourceNotify = 1310;
    // Timers.
    static constexpr int kLinkTimer = 1;
    static constexpr int kFirstConnectTimer = 1024;
    static constexpr int kFirstConnectMs = 300;
    static constexpr int kEditGuardTimer = 9999;
    static constexpr int kEditGuardMs = 1000;
    // The master volume word: 0..66 (60 is 0 dB); any other word shows as 60.
    static constexpr int kMasterVolumeMax = 66;
    static constexpr int kMasterVolumeFallback = 60;
    static bool IsMasterVolume(int word) { return word >= 0 && word <= kMasterVolumeMax; }
    // Places of the strips and the level bar.
    static constexpr int kStripCount = 12;
    static constexpr int kVisibleStrips = 10;
    static QRect StripRect(int i) { return QRect(128 * i + 15, 67, 99, 47); }
    static QRect LevelBarRect() { return QRect(830, 29, 438, 31); }
    // A control's place in pixels, from template 101; empty for an unknown id.
    static QRect TemplateRect(int id);

    CLumaraView(CLumaraDoc& doc, platform::SettingsStore& settings, const LinkEnvironment& env,
                QWidget* parent = nullptr);
    ~CLumaraView() override;

    // Builds and lays out everything, restores the settings and starts the
    // first-connection timer.
    void OnInitialUpdate();
    void LayoutControls();

    // page 0..2; leaveOld: the old page's button goes off first.
    void SelectPage(int page, bool leaveOld) override;
    // Button handlers of the page buttons and of WM_SELECT_PAGE2.
    void OnPageButton(int page);

    // Applies the language (toggle: switch it first) to the view's own
    // pictures and texts and to the windows it holds.
    void SwitchLanguage(bool toggle);
    void ApplyLanguage();

    // Output-mode page buttons: set 0 unchecks the current page's button;
    // otherwise a different page becomes current.
    void SetModePage(int page, int set);
    // The level bar shows the master volume (a word outside 0..66 as 60).
    void RefreshMasterControls();
    void StartEditGuardTimer() override;
    void RefreshTitleAndPaths();
    void InitFileDialogPaths();

    // ---- the link engine (the session's) ------------------------------------
    // Ends the worker; with release also resets the link state and restarts
    // the probe.
    virtual void StopIo(bool release);
    // The view's connected flag: a link is open and the worker runs.
    bool IsConnected() override { return m_Session.IsConnected(); }
    // Removes this copy's mark on the device in use.
    virtual void UnmarkUsbDevice();
    // Watches USB arrival and removal; events reach the session's USB link on this thread.
    void RegisterHidNotification();
    virtual void StopProbe(bool keep);

    // ---- timers (the program's ids) ----------------------------------------
    void SetTimer(int id, int ms);
    void KillTimer(int id);
    bool HasTimer(int id) const { return m_Timers.count(id) != 0; }
    virtual void OnTimer(int id);

    // WM_DESTROY (also run by the destructor): stops the timers and the
    // link and closes the view's own windows.
    void OnDestroy();
    // Button 2772: minimises the main window.
    void OnMinimise();
    // Button 2773: closes the windows of the view, stops the link and
    // closes the main window.
    void OnCloseButton();
    // Pages 0..2 and the key filter's view of the current page.
    int CurrentPage() const;

    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;

    // ---- connection life cycle (ViewConnection.cpp) ------------------------
    // Commands of the connection popups.
    static constexpr int ID_CONNECT_USB = 732;
    static constexpr int ID_CONNECT_NETWORK = 733;
    static constexpr int ID_USB_DEVICE_FIRST = 6600; // ... 6700: the free devices in order
    static constexpr int ID_USB_DEVICE_LAST = 6700;

    // Reconnects with the current connection kind (the start page's commands
    // open a new view and ask for it).
    virtual void ConnectDevice() { m_Session.ConnectDevice(); }
    // Connect button 1413: disconnects, or offers or makes a connection.
    void OnConnectButton();
    void OnUsbDeviceChosen(int command);
    // Runs the connect button's action; the connected flag afterwards.
    bool ToggleConnection();
    void SetLinkStatusDisplay(int connected);
    // Opens a connection popup just below the connect button; the chosen
    // command, 0 for none. Tests choose without a menu on screen.
    virtual int TrackConnectPopup(QMenu& menu, const QPoint& at);

    // ---- command senders for the pages (the session's) ---------------------
    void SendCommand(int record, int index) override { m_Session.SendCommand(record, index); }
    void RequestDataResync() override { m_Session.RequestDataResync(); }

    // ---- device-data events (ViewDeviceData.cpp) ---------------------------
    LRESULT OnDeviceDataLoaded(WPARAM preset, LPARAM);
    LRESULT OnAllPresetsRead(WPARAM, LPARAM);
    LRESULT OnOutputMapLoaded(WPARAM half, LPARAM);
    LRESULT OnDeviceStatus(WPARAM, LPARAM);
    LRESULT OnReloadEffect(WPARAM, LPARAM);
    LRESULT OnPresetNameChanged(WPARAM, LPARAM);
    bool RefreshAllPages() override;
    void ApplySpeakerTypesToOutputs();
    void ApplyMapFromDevice(int keepLink);
    void SelectModePage(int page);
    void ShowLoadedPresetName();

    // ---- output strips, levels, speaker types, equalisers (ViewOutputs.cpp) --
    // Makes output n current on every page and moves the strips' marks.
    void SelectOutput(int output) override;
    // A level from the output page: the output takes it and the other
    // outputs of its link group move by the same difference (0..600).
    void OnOutputLevel(int output, int level);
    void OnOutputOn(int output, int on);
    void OnOutputPolarity(int output, int polarity);
    // A type chosen in a strip's popup: the tables, the map bytes, the map and
    // crossover to the device, the output page, the type's mix preset.
    void OnSpeakerTypeChosen(int output, int type);
    // Outputs 0..9 take their types with the types' crossovers and mix presets.
    void ApplySpeakerTypesAtStart();
    // The mix page's default levels of a speaker type for an output.
    virtual void ApplyMixPresetForType(int output, int type);
    // A source of an output switched in the mix (sources 1..16 show on the strip).
    void OnMixSwitch(int output, int source, int level);
    // The level bar's new volume into the master record.
    void OnMasterVolume();
    void MarkMasterChanged(int flag) override;
    // The strips of a link key follow the output's caption state and level.
    void SyncLinkGroupStrips(int output, int key) override;
    // Button 2823: the output page or the mix page in front.
    void OnPageToggle();
    void ShowMixPage(int unused, bool mix);
    // Buttons 2066..2069: a mode page is chosen and sent.
    void OnModePageButton(int page);
    // The current output's equaliser and its group's, with the master off
    // around their blocks; one output's; a music input's.
    void ResetOutputEq() override;
    void ResetOutputEqChannel(int output);
    void ResetInputEq(int input) override;
    // Output b takes a's equaliser, crossover and mode; when connected its
    // block is queued; a lock password its field cannot hold is said once
    // the lock is released.
    void CopyOutputEq(int from, int to) override;
    // The same for a paste of the output page, with a tweeter's crossover
    // kept usable.
    void PasteOutputEq(int from, int to) override;
    // WM_SETTINGCHANGE: the work area (47) or any setting (0) changed.
    void OnSettingChange(int setting);
    void RepaintStrips() override;

    // ---- the mix page (ViewMixPage.cpp) ------------------------------------
    // WM_PAGE_MIX_PRESET (output, type): the type's mix levels, range-checked.
    LRESULT OnApplyMixPreset(WPARAM output, LPARAM type);
    // WM_PAGE_SELECT_OUTPUT (output): the mix page makes an output current.
    LRESULT OnSelectOutputRequest(WPARAM output, LPARAM);
    void OnMixSourceSwitch(int output, int source, int level) override {
        OnMixSwitch(output, source, level);
    }
    void RequestOutput(int output) override;
    CBitButton* MixToggle() const { return m_MixToggle; }

    // ---- the input page and the level and delay page (ViewInputPages.cpp) --
    void FlushViewMessages() override;
    void ShowSourceSetup() override;

    // ---- sources, bridge mode, left/right link (ViewSources.cpp) ----------
    // The input-source list shows a source (send 0: nothing is sent).
    void SelectSource(int source, int send);
    // 1 when the mix source cannot go with the input source (codes; 6 off).
    static int MixSourceUnavailable(int input, int mix);
    // The input-source list's entries in the language, the source selected.
    void FillInputSourceList();
    void RefillMixSourceList();
    // The warning that the mix source does not go with the input source.
    void UpdateMixSourceWarning();
    // WM_USER+802 from the two source lists.
    void OnDropListChoice(int listId, int index);
    void OnBridgeModeButton();
    void OnLRLinkButton();
    // The strips' speaker-type buttons off while the link is on (and the
    // current output typed); on, with the links rebuilt, while it is off.
    void ApplyLRLinkState();
    // Each left/right pair's source output copied onto its partner, which
    // takes the source's link key; whether any pair was copied.
    bool CopyLinkedPairs(int direction);
    // Every link key back to its own output, then the left/right link from
    // byte 289 of output 0 (after a load, a lock change, the link button).
    void RebuildLinks() override;
    // The strips and position buttons of the outputs linked with an output.
    void MarkLinkedOutputs(int output);
    void UnmarkLinkedOutputs(int output);
    // The same operations by the names the device-data events use.
    void ApplyLinkStateAfterLoad() { RebuildLinks(); }
    bool CopyPairEq(int direction) { return CopyLinkedPairs(direction); }
    void SelectGroupStrips(int output) { MarkLinkedOutputs(output); }
    void UnselectGroupStrips(int output) { UnmarkLinkedOutputs(output); }
    // After a preset file: the link off without typed outputs, the first
    // typed output current when the current one has no type.
    void ValidateLRLink();

    // ---- device preset transfer (the session's; files in ViewTransfer.cpp) --
    // The transfers that pack the model's texts say what a field could not
    // hold once the lock is released.
    void SendPresetToDevice(int preset, bool fromModel) override;
    void SendAllPresetsToDevice();
    void LoadDevicePreset(int preset) { m_Session.LoadDevicePreset(preset); }
    bool SaveAllDevicePresetsToFile();
    void SendInputChannelBlock(int input) override;
    void SendOutputBlockLocked(int output) override { SendOutputBlock(output); }
    void SendOutputBlock(int output) override;
    void SendOutputOffFrame(int output) override { m_Session.SendOutputOffFrame(output); }
    // The whole-device file: chosen before the read, written when the last
    // block has arrived (ViewPresetFiles.cpp).
    virtual bool ChooseAllPresetsFile();
    bool WriteAllPresetsFile();
    const std::string& AllPresetsFilePath() const { return m_AllPresetsFilePath; }

    // ---- firmware update (FirmwareFeature.h) ---------------------------------
    CFirmwareFeature& Firmware() { return m_Firmware; }
    void ShowUpdateRange(int range) override;

    // ---- preset names and scenes (ViewPresets.cpp) -------------------------
    // A file's title as the current preset name: shown, and its single-byte
    // characters (or "Custom") in the image's name, queued for the device.
    void SetCurrentPresetName(const std::string& title);
    // The image's name on the preset-name button; sendName queues it.
    void ShowPresetName(int sendName);
    // After a whole-device file: the image's name shown and queued.
    void RefreshPresetName();
    // Scene n (1..6): load makes the device's stored preset current; else
    // the user names it and the current settings are stored under the name.
    // The new name, or empty when nothing was named.
    std::string LoadOrSaveScene(bool load, int n);
    // Clears stored preset n's name after a question; false when nothing
    // was deleted.
    bool DeleteScene(const std::string& name, int n);
    // Stored preset n's name emptied in the program's copy and at the device
    // (no preset is current any more when it was): what a delete does once
    // the user said Yes.
    void EraseStoredPresetName(int n);
    // Buttons 4703 (mode 1, recall a scene) and 4704 (mode 0, store one).
    void OpenScenePicker(int mode);
    // The machine-preset dialog, modally: mode 0 load, 1 save as, 2 delete
    // (the mode menu's commands 720, 721 and 722, whose items the view takes
    // out at start).
    void OpenMachinePresetDialog(int mode);
    QLineEdit* PresetNameEdit() const { return m_PresetNameEdit; }

    // ---- preset files (ViewPresetFiles.cpp) --------------------------------
    // Commands of the mode menu.
    static constexpr int ID_FILE_LOAD_PRESET = 723;
    static constexpr int ID_FILE_LOAD_ALL_PRESETS = 724;
    static constexpr int ID_FILE_SAVE_PRESET = 725;
    static constexpr int ID_FILE_SAVE_ALL_PRESETS = 726;
    // Runs a file command; false for another id.
    bool OnFileCommand(int id);
    void OnFileLoadPreset() { LoadPresetFile(); }
    void OnFileLoadAllPresets() { LoadAllPresetsFile(); }
    void OnFileSavePreset() { SavePresetFile(); }
    void OnFileSaveAllPresets() { SaveAllDevicePresetsToFile(); }
    // Each is done (true) or cancelled or failed (false, said).
    bool SavePresetFile();
    bool LoadPresetFile();
    bool LoadAllPresetsFile();
    bool SaveOutputMapFile();
    bool LoadOutputMapFile();

    // ---- preset lock (LockFeature.h) -----------------------------------------
    CLockFeature& Lock() { return m_Lock; }

    // ---- what the output page asks (ViewOutputPage.cpp) ----------------------
    void QueuePacket(PacketPtr packet) override {
        m_Session.Command().AddPacket(std::move(packet));
    }
    void FocusMasterVolumeField() override;
    void PostViewMessage(unsigned msg, WPARAM wParam, LPARAM lParam) override {
        PostMessage(msg, wParam, lParam);
    }
    void SetChannelModified(int output) override;

    // ---- the advanced settings dialog (ViewAdvanced.cpp) -------------------
    void MarkSourceChanged(int flag) override;
    void SaveLineSetting() override;
    void OnAdvancedSettingChanged() override {}
    // The open advanced settings dialog follows the link state (its address
    // shown afresh) or, with reload, every value it shows.
    void RefreshAdvancedDialog(bool reload);

    // ---- the mode and system menus (ViewMenus.cpp) -------------------------
    // Commands of the two menus.
    enum MenuCommand : int {
        kCmdLoadDevicePreset = 720,   // removed from the mode menu at start
        kCmdSaveDevicePreset = 721,   // removed
        kCmdDeleteDevicePreset = 722, // removed
        kCmdLoadPresetFile = ID_FILE_LOAD_PRESET,
        kCmdLoadAllPresetsFile = ID_FILE_LOAD_ALL_PRESETS,
        kCmdSavePresetFile = ID_FILE_SAVE_PRESET,
        kCmdSaveAllPresetsFile = ID_FILE_SAVE_ALL_PRESETS,
        kCmdFirmwareUpdate = 727,
        kCmdAdvanced = 728,
        kCmdLanguage = 729,
        kCmdHelp = 730,
        kCmdAbout = 731,
        kCmdFactoryReset = 32775,
        kCmdPlayerVolume = 32776,  // removed from the system menu at start
        kCmdDefaultSource = 32777, // removed
        kCmdSourcePresets = 32778,
        kCmdSourceVolumes = 32779,
    };
    // The two menus as the user sees them (built and trimmed at layout; their
    // items carry their commands as data).
    QMenu* ModeMenu() const { return m_ModeMenu; }
    QMenu* SystemMenu() const { return m_SystemMenu; }
    // Button 8801: the single-preset items usable, the whole-device ones only
    // while connected; then the menu under the button.
    void OnModeMenuButton();
    // Button 8802: the system menu under the button.
    void OnSystemMenuButton();
    // Greys the mode menu's whole-device items while no device is connected.
    void PrepareModeMenu();
    // Where a menu opens under its button: its left edge, 2 pixels below it.
    QPoint MenuPopupPoint(const QWidget* button) const;
    // Shows a menu and returns the chosen command, 0 for none. Tests choose
    // without a menu on screen.
    virtual int TrackMenuPopup(QMenu& menu, const QPoint& at);
    // Runs a command of the system menu and of the top bar's menu, system and
    // map-reset buttons (the file commands are OnFileCommand's); false for any other id.
    bool OnMenuCommand(int id);
    // The menus' texts in the language (the language item names the other one).
    void ApplyMenuLanguage();
    static QString LanguageItemText(bool chinese, bool chineseSystem);
    // Command 730: the help file of the language from the program's folder,
    // with the desktop's handler; a message box when it cannot be opened.
    void OnHelpCommand();
    const std::string& HelpFile() const;
    // Command 731: the version dialog.
    void OnAboutCommand();

    // ---- the system dialogs and resets (ViewSystem.cpp) ----------------------
    // Button 8803: the system dialog.
    void OnSystemButton();
    // Command 728: the access-code prompt (once per view), then the mix
    // parameter settings.
    void OnAdvancedCommand();
    bool IsAccessGranted() const { return m_AccessGranted != 0; }
    // The open mix-parameter dialog shows the records again (after a load).
    void RefreshMixParamDialog();
    CMixParametersDialog* MixParamDialog() const;
    void OnSourceVolumeCommand();
    void OnSourcePresetCommand();
    void OnDefaultSourceCommand();
    // Command 32775: after the warning, the device restarts with its factory settings.
    void OnFactoryResetCommand();
    // Button 4702: the output map emptied or its default restored, sent, and
    // every link of the outputs undone.
    void OnOutputMapReset();
    // Every output gives its speaker type back.
    void ReleaseAllSpeakerTypes();

    // ---- what the session shows (ISessionHost) -----------------------------
    void ShowLinkState(bool connected) override { SetLinkStatusDisplay(connected ? 1 : 0); }
    void ClearLinkDisplay(int kind) override;
    void Say(const char* text, int ms) override;
    void ShowTransfer(int modal) override;
    void HideTransfer() override;
    void ShowFactoryTransfer() override;
    void ShowPresetTransfer() override;
    void ResetTransferProgress(int count, bool viewBar) override;
    void PressConnectButton() override { OnConnectButton(); }
    bool AskToSendUnsentChanges() override;
    void SayRefusedTexts(const TextFieldErrors& refused) override;

    // ---- members others reach ----------------------------------------------
    CKTV_Data* Data() const { return m_Data; }
    CDeviceSession& Session() override { return m_Session; }
    platform::ViewSettings& Settings() { return m_ViewSettings; }
    CPresetJson& PresetJson() { return m_PresetJson; }
    CViewPage* OutputPage() const { return m_OutputPage; }
    CViewPage* MixPage() const { return m_MixPage; }
    CViewPage* LockPanel() const { return m_LockPanel; }
    CLevelBarBase* LevelBar() const { return m_LevelBar; }
    CStripBase* Strip(int i) const { return i >= 0 && i < kStripCount ? m_Strips[i] : nullptr; }
    CPositionButtons* PositionButtons() const { return m_PositionButtons; }
    CStripBase* OutputStrip(int output) override { return Strip(output); }
    CViewPage* OutputPageWindow() override { return m_OutputPage; }
    CViewPage* MixPageWindow() override { return m_MixPage; }
    QWidget* PageArea() const { return m_Tab; }
    CBitButton* PageButton(int page) const;
    CBitButton* BitButton(int id) const;
    CPictureButton* ModeButton(int page) const {
        return page >= 0 && page < 4 ? m_ModeButtons[page] : nullptr;
    }
    CDropListButton* InputSourceList() const { return m_InputSourceList; }
    CDropListButton* MixSourceList() const { return m_MixSourceList; }
    CLinkStateText* LinkStatus() const { return m_LinkStatus; }
    CPictureButton* ConnectButton() const { return m_ConnectButton; }
    CGradientProgressCtrl* Progress() const { return m_Progress; }
    QRect DragRect() const { return m_DragRect; }
    bool IsClosing() const { return m_Closing != 0; }
    const std::string& ProgramFolder() const { return m_ProgramFolder; }
    const std::string& FileDialogPath(int i) const { return m_FileDialogPaths[i]; }

    CKTV_OutData* m_CurrentOutput = nullptr;
    std::string m_AllPresetsFilePath; // the whole-device file being read

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    // The pages shown after a load: the lock panel, or the output or mix page.
    void ShowPagesForLockState() override;
    void RepaintView() override { update(); }
    QWidget* DialogParent() override { return window(); }
    // The output page's controls and the position buttons from the model.
    bool RefreshOutputPage();
    // The messages of the strips, the level bar, the pages and the lists;
    // the top bar's buttons. False for one that is not theirs.
    bool OnStripMessage(unsigned msg, WPARAM wParam, LPARAM lParam);
    bool OnTopBarCommand(int id);
    // The outputs other than n with n's link key.
    template <class F> static void ForGroupMembers(int n, F f) {
        if (n < 0 || n >= kStripCount) return;
        for (int i = 0; i < kStripCount; ++i)
            if (i != n && SameLinkKey(i, n)) f(i);
    }
    // Output i's type as the rules take it.
    static int TypeOf(int output);
    // Enter, Escape and Tab anywhere in the view (the view's key filter).
    bool PreTranslateKey(QWidget* target, QKeyEvent* key);
    // Stops the link, releases the device's mark and ends the probe.
    void ShutDownLink();
    void DestroyOwnedWindows();

    CLumaraDoc& m_Doc;
    CKTV_Data* m_Data = nullptr;
    platform::SettingsStore& m_Store;
    platform::ViewSettings m_ViewSettings;

    // Top bar and template controls, in template order.
    CPictureButton* m_ConnectButton = nullptr;
    CEnTabCtrl* m_Tab = nullptr;
    CPictureButton* m_ModeMenuButton = nullptr;
    CPictureButton* m_SystemDialogButton = nullptr;
    CPictureButton* m_ReportButton = nullptr;
    CGradientProgressCtrl* m_Progress = nullptr;
    QLineEdit* m_PresetNameEdit = nullptr;
    CPictureButton* m_SystemMenuButton = nullptr;
    CPictureButton* m_ModeButtons[4] = {};
    CBitButton* m_PageButtons[3] = {}; // pages 0, 1, 2 (2562, 2561, 2563)
    CBitButton* m_PresetNameButton = nullptr;
    CBitButton* m_MinimiseButton = nullptr;
    CBitButton* m_CloseButton = nullptr;
    CLinkStateText* m_LinkStatus = nullptr;
    CBitButton* m_SceneSlot1 = nullptr; // hidden
    CBitButton* m_LockButton = nullptr;
    CBitButton* m_MixToggle = nullptr;
    CBitButton* m_BridgeButton = nullptr;
    CBitButton* m_LRLinkButton = nullptr;
    CBitButton* m_MapResetButton = nullptr;
    CBitButton* m_SceneLoadButton = nullptr;
    CBitButton* m_SceneStoreButton = nullptr;
    CDropListButton* m_InputSourceList = nullptr;
    CDropListButton* m_MixSourceList = nullptr;
    CBitButton* m_MixWarning = nullptr;
    std::map<int, CBitButton*> m_BitButtons; // by control id

    // The pages cover most of it: kept only where it shows.
    skin::PartedPixmap m_Background{284, 285};
    QRect m_StripRects[kStripCount];

    // Pages, level bar and strips.
    CViewPage* m_OutputPage = nullptr;
    CViewPage* m_LockPanel = nullptr;
    CViewPage* m_MixPage = nullptr;
    CLevelBarBase* m_LevelBar = nullptr;
    CStripBase* m_Strips[kStripCount] = {};
    CPositionButtons* m_PositionButtons = nullptr; // on the output page

    // The device session. The engine's messages reach this view through
    // m_Notify; the session's relay holds a synchronous one from the worker
    // until this thread drains it.
    platform::QtViewNotify m_Notify;
    platform::StoredSettingsGroup m_UsbMarks;
    CDeviceSession m_Session;
    CFirmwareFeature m_Firmware{m_Session, m_ViewSettings};
    CLockFeature m_Lock{*this, *m_Data};

    std::string m_ProgramFolder;
    std::string m_FileDialogPaths[6];
    QFont m_EditFont;
    QFont m_BoldEditFont;
    int m_Closing = 0;
    bool m_LinkShutDown = false;
    CPresetJson m_PresetJson; // the preset files

    QRect m_DragRect;
    bool m_Dragging = false;
    QPoint m_DragStart;

    std::map<int, int> m_Timers; // program id -> Qt timer id

    // Menus and the system dialogs.
    void CreateMenus();
    // An output takes a speaker type of the output-map reset.
    void ResetOutputSpeakerType(int output, int type, bool refreshCrossover);
    QMenu* m_ModeMenu = nullptr; // children of the view
    QMenu* m_SystemMenu = nullptr;
    int m_AccessGranted = 0;
    QPointer<CMixParametersDialog> m_MixParamDlg; // the open mix-parameter dialog
};

// The main view for the pages and dialogs.
extern UiThreadOnly<CLumaraView*> g_ActiveView;
extern UiThreadOnly<CKTVCommand*> g_CommandEngine;
extern UiThreadOnly<std::string> g_StartDirectory;
extern UiThreadOnly<std::string> g_HelpFileCn;
extern UiThreadOnly<std::string> g_HelpFileEn;
