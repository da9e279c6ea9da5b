// The firmware update dialog (template 270): the update file, the start
// (over the one USB device found, a device or the network module chosen
// from a popup), the status text and the gradient progress bar with its
// percentage, and the cancel, which asks first while an update runs. When
// the first connection fails, the retry thread tries again every 500 ms, at
// most 21 times.
//
// The link shows the update here through the session's display port: the
// worker's status texts and bar positions arrive as queued calls, and the
// dialog detaches itself from the port on every way it ends, so that a late
// step never reaches a closed dialog.
#pragma once

#include "link/FirmwareUpdate.h"
#include "features/firmware/SerialPort.h"
#include "features/firmware/UpdateRetryThread.h"
#include "platform/Message.h"

#include <QDialog>
#include <QString>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class CButtonRadio;
class CDeviceSession;
class CGradientProgressCtrl;
class CGroupBox;
class CTransparentStatic;
class QComboBox;
class QLineEdit;
class QMenu;
class QPushButton;

namespace platform {
class ViewSettings;
}

// The file dialog of an update file (CLumaraView::ChooseUpdateFile): the
// chosen path becomes g_HexFilePath at once; true, and its folder kept in
// the settings, only when its extension is exactly "bin".
bool ChooseUpdateFile(platform::ViewSettings& settings, QWidget* parent);

class CFirmwareUpdateDialog : public platform::MessageTarget<QDialog>, public IUpdateDisplay {
public:
    enum : int {
        IDD = 270,
        IDC_PATH = 1882,
        IDC_BROWSE = 1883,
        IDC_PROGRESS = 1414,
        IDC_TIP = 1886,
        IDC_UPDATE = 1881,
        IDC_CANCEL = 1891,
        IDC_FILE_LABEL = 1878,
        IDC_TOOL_LABEL = 1887,
        IDC_FILE_GROUP = 1889,
        IDC_INTERFACE_GROUP = 1890,
        IDC_USB = 1798,
        IDC_WIFI = 1880,
        IDC_COM = 1888,
        IDC_PORTS = 1898,
    };
    // Commands of the device popup (menu 114 and the per-device one).
    static constexpr int ID_CONNECT_USB = 732;
    static constexpr int ID_CONNECT_NETWORK = 733;
    static constexpr int ID_USB_DEVICE_FIRST = 6600;
    static constexpr int ID_USB_DEVICE_LAST = 6700;
    // The retry's result (lParam 1 connected).
    static constexpr unsigned WM_RETRY_RESULT = WM_USER + 200;
    static constexpr int kWidth = 397;
    static constexpr int kHeight = 160;

    // No parent window, as the program opens it.
    CFirmwareUpdateDialog(CDeviceSession& session, platform::ViewSettings& settings,
                          QWidget* parent = nullptr);
    ~CFirmwareUpdateDialog() override;

    // Button 1883: the file dialog; the path field shows g_HexFilePath.
    void OnBrowse();
    // Button 1881: the start (nothing while an update or a retry runs).
    void OnUpdate();
    // The device popup's commands.
    void OnMenuCommand(int command);
    void StartOverUsb(const std::string& path);
    void StartOverNetwork();
    // Button 1891 and the window's close box.
    void OnCancel();
    LRESULT OnRetryResult(LPARAM result);
    // Fills the serial port list from the ports found (a failed listing
    // shows as no port: the one entry "NULL").
    void FillPortList();
    void FillPortList(const std::vector<SerialPortInfo>& ports);

    // IUpdateDisplay: from any thread, handed to this thread.
    void ShowTip(const std::string& text) override;
    void ShowProgress(int pos, int upper) override;

    // Opens the device popup at a point; the chosen command, 0 for none.
    // Tests choose without a menu on screen.
    virtual int TrackPopup(QMenu& menu, const QPoint& at);

    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;

    QLineEdit* PathEdit() const { return m_Path; }
    CGradientProgressCtrl* Progress() const { return m_Progress; }
    CTransparentStatic* Tip() const { return m_Tip; }
    QComboBox* Ports() const { return m_Ports; }
    QPushButton* UpdateButton() const { return m_Update; }
    QPushButton* CancelButton() const { return m_Cancel; }
    QPushButton* BrowseButton() const { return m_Browse; }
    CGroupBox* FileGroup() const { return m_FileGroup; }
    CGroupBox* InterfaceGroup() const { return m_InterfaceGroup; }
    CTransparentStatic* FileLabel() const { return m_FileLabel; }
    CTransparentStatic* ToolLabel() const { return m_ToolLabel; }
    CUpdateRetryThread& RetryThread() { return *m_Retry; }
    const std::string& PortName() const { return m_PortName; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void CreateControls();
    // The file loaded, the old link closed, the first connection of the
    // kind (USB: to path); the retry when it fails.
    void StartOver(int kind, const std::string& path);
    void OnInitDialog();
    void ApplyTexts();
    // The retry thread's tick, made here: the attempt of its run.
    void OnRetryTick(int run, int tick, bool ready);
    // Stops the retry and the port's calls; the dialog closes.
    void EndDialog();

    CDeviceSession& m_Session;
    platform::ViewSettings& m_Settings;

    QLineEdit* m_Path = nullptr;
    QPushButton* m_Browse = nullptr;
    CGradientProgressCtrl* m_Progress = nullptr;
    CTransparentStatic* m_Tip = nullptr;
    QPushButton* m_Update = nullptr;
    QPushButton* m_Cancel = nullptr;
    CTransparentStatic* m_FileLabel = nullptr;
    CTransparentStatic* m_ToolLabel = nullptr;
    CGroupBox* m_FileGroup = nullptr;
    CGroupBox* m_InterfaceGroup = nullptr;
    CButtonRadio* m_UsbRadio = nullptr;
    CButtonRadio* m_WifiRadio = nullptr;
    CButtonRadio* m_ComRadio = nullptr;
    QComboBox* m_Ports = nullptr;

    std::string m_PortName;
    bool m_ConnectResult = false;
    bool m_Ended = false;
    std::unique_ptr<CUpdateRetryThread> m_Retry;
    // Bar positions from the worker coalesce: one queued call at a time.
    std::atomic<bool> m_ProgressQueued{false};
    std::atomic<int> m_LatestPos{0};
    std::atomic<int> m_LatestUpper{0};
};
