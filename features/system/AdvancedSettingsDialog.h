// The advanced settings dialog (template 675): the network module's address
// and port with their apply button, the network module's reset, the input
// mode, the source and master values, the output channels with their
// speaker types and links, the selected channel's dynamics with its curve,
// and whether the output graphs also show the EQ response. While it exists
// it is registered in g_AdvancedDlg, and the view keeps it current (link
// state, device data) through the three Refresh/Enable operations.
#pragma once

#include "controls/core/DynamicsCurve.h"
#include "platform/Message.h"

#include <QDialog>
#include <QString>

#include <vector>

class CDynamicsGraph;
class CKTV_Data;
class CKTV_OutData;
class CListCtrlCl;
class CNumEdit;
class CNumSpin;
class IPageHost;
class QCheckBox;
class QLineEdit;
class QMenu;
class QPushButton;
class CTransparentStatic;

class CAdvancedSettingsDialog : public platform::MessageTarget<QDialog> {
public:
    enum : int {
        IDC_INPUT_MODE = 2729,
        IDC_SOURCE_A = 2731, // source values (sent with the source record)
        IDC_SOURCE_B = 2791,
        IDC_SOURCE_C = 2792,
        IDC_MASTER_VOLUME = 2734, // master values (sent with the master record)
        IDC_MASTER_B = 2765,
        IDC_ADDRESS = 2739,
        IDC_PORT = 2741,
        IDC_APPLY = 2743,
        IDC_CHANNELS = 2757,
        IDC_LIMITER = 2758, // the selected channel's dynamics
        IDC_ATTACK = 2759,
        IDC_RATIO = 2760,
        IDC_COMPRESSOR = 2778,
        IDC_RESET_MODULE = 2790,
        IDC_SHOW_EQ = 2797,
        IDC_DESCRIPTION = 2805,
    };
    // Items of the input-mode menu: mode 0..6 is item 174 + mode.
    enum : int { ID_MODE_FIRST = 174, ID_MODE_OFF = 180 };
    static constexpr int kModeCount = 7;
    static constexpr int kChannelRows = 12;
    static constexpr int kEditCount = 10;
    // The edits in the order Enter, Tab and the arrow keys move the focus.
    static const int kFocusOrder[kEditCount];
    static constexpr unsigned WM_FOCUS_KEY = WM_USER + 700; // (edit id, 37 back / 39 on)
    // Cell colours of the link column.
    static constexpr unsigned kGrey = 0xFF808080, kRed = 0xFFFF0000;

    explicit CAdvancedSettingsDialog(QWidget* parent = nullptr);
    ~CAdvancedSettingsDialog() override;

    IPageHost* m_View = nullptr; // the main view (g_PageHost unless the opener sets another)
    void SetData(CKTV_Data* data);

    // Runs once, when the dialog is first shown.
    void OnInitDialog();

    // What the view calls while the dialog exists.
    void RefreshFromGlobals();
    void EnableApply(bool enable);
    void RefreshNetworkAddress();

    // Handlers.
    void OnInputModeButton();
    void OnInputMode(int item); // 174..180
    void OnValueChanged(int id);
    void OnChannelClicked(int row);
    void OnPortEdited();
    void OnPortFocusLost();
    void OnAddressEdited();
    // Apply: a valid address and the port become the device's; a text that
    // is no address is refused with a message and nothing changes.
    bool OnApply();
    void OnResetModule();
    void OnShowEqToggled();

    // The menu of input modes in the language, items enabled by the sources' table.
    void FillInputModeMenu(QMenu& menu) const;
    static QString InputModeText(int mode);
    // The device's source code of an input mode: the mode below 6, else 255.
    static int SourceCodeOfMode(int mode) { return mode >= 0 && mode < 6 ? mode : 255; }

    int SelectedChannel() const { return m_Channel; }
    int InputMode() const { return m_InputMode; }
    int Port() const { return m_Port; }
    const dynamics::Levels& Levels() const { return m_Levels; }
    QLineEdit* AddressEdit() const { return m_Address; }
    QLineEdit* PortEdit() const { return m_PortEdit; }
    QPushButton* ApplyButton() const { return m_Apply; }
    QPushButton* InputModeButton() const { return m_InputModeButton; }
    QPushButton* ResetModuleButton() const { return m_ResetModule; }
    QCheckBox* ShowEqCheck() const { return m_ShowEq; }
    CListCtrlCl* Channels() const { return m_List; }
    CDynamicsGraph* Curve() const { return m_Curve; }
    CTransparentStatic* Description() const { return m_Description; }
    CNumEdit* Edit(int id) const;
    int BackgroundId() const;
    static QString DescriptionText();

    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;

protected:
    // Runs the input-mode menu below the button; the chosen item, 0 for none.
    virtual int TrackInputModeMenu(QMenu& menu, const QPoint& at);
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Field {
        int id;
        int spinId;
        CNumEdit* edit;
        CNumSpin* spin;
    };
    void CreateFields();
    void LoadChannel(int row);
    void FillChannelRows();
    void ResetLinkMarks();
    void MoveFocus(int fromId, bool forward);
    void ShowInputMode();
    CKTV_OutData* Output() const;
    const Field* FieldOf(int id) const;

    CKTV_Data* m_Data = nullptr;
    QLineEdit* m_Address = nullptr;
    QLineEdit* m_PortEdit = nullptr;
    QPushButton* m_Apply = nullptr;
    QPushButton* m_ResetModule = nullptr;
    QPushButton* m_InputModeButton = nullptr;
    CListCtrlCl* m_List = nullptr;
    CDynamicsGraph* m_Curve = nullptr;
    QCheckBox* m_ShowEq = nullptr;
    CTransparentStatic* m_Description = nullptr;
    std::vector<Field> m_Fields;

    int m_Channel = -1;
    int m_Port = 0;
    int m_InputMode = 0;
    dynamics::Levels m_Levels; // the selected channel's copies
    bool m_Initialised = false;
};
