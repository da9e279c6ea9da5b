// The machine-preset dialog (template 170): the device's six stored presets
// in a grid of numbers and names, to load one, to store the current settings
// as one under a new name, or to delete one's name. Its opener sets the mode
// (load, save as, delete), which gives the caption and the action button;
// the grid's right-click menu loads, saves as or deletes in any mode, a
// double click does what the mode says, and the Delete key deletes. The view
// does the device work (LoadDevicePreset, SendPresetToDevice, the name
// commands). Enter and Escape move the focus to the dialog and close
// nothing; Quit closes it.
#pragma once

#include "controls/core/GridCore.h"
#include "model/Notify.h"
#include "platform/Message.h"

#include <QDialog>

#include <string>

class CComboGridCtrl;
class CLumaraView;
class QPushButton;

class CMachinePresetDialog : public platform::MessageTarget<QDialog> {
public:
    enum : int { IDC_GRID = 2724, IDC_ACTION = 2727, IDC_QUIT = 2 };
    enum Mode : int { kLoad = 0, kSaveAs = 1, kDelete = 2 };
    // Requests the dialog posts itself.
    enum : unsigned {
        WM_SAVE_AS_REQUEST = WM_USER + 400,
        WM_LOAD_REQUEST = WM_USER + 401,
        WM_DELETE_REQUEST = WM_USER + 402,
    };
    // The grid: 7 rows and 2 columns, one of each fixed; the name column's width.
    static constexpr int kRows = 7;
    static constexpr int kColumns = 2;
    static constexpr int kNameColumnWidth = 262;

    // view: the owner of the preset actions (none: the dialog only shows).
    explicit CMachinePresetDialog(CLumaraView* view, QWidget* parent = nullptr);
    ~CMachinePresetDialog() override;

    void SetMode(int mode) { m_Mode = mode; }
    int GetMode() const { return m_Mode; }

    // Runs once, when the dialog is first shown.
    void OnInitDialog();
    void SetupGrid();
    void FillPresetNames();
    void ApplyModeTexts();

    // The action button: the mode's action on the focus cell's preset.
    void OnAction();
    // The name prompt for a row; OK stores the current settings under the name.
    void SaveAsPrompt(int row);
    void SavePresetName();
    void LoadPreset();
    void DeletePreset();

    // Rows 1 to 6 hold presets 1 to 6.
    bool IsPresetRow(int row) const;

    CComboGridCtrl* Grid() const { return m_Grid; }
    QPushButton* ActionButton() const { return m_Action; }
    QPushButton* QuitButton() const { return m_Quit; }
    int CurrentPreset() const { return m_CurrentPreset; }
    void SetEnteredName(const std::string& name) { m_Name = name; }

    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void OnGridNotify(int code, const CellId& cell);
    void OnMenuCommand(int command);
    // The action on a cell's preset, when the cell is in a preset row; the
    // cell is kept as that action's cell either way.
    void LoadFrom(const CellId& cell);
    void SaveAsFrom(const CellId& cell);
    void DeleteFrom(const CellId& cell);
    // Says a refused name in the language of the moment.
    static void Prompt(const std::string& text);
    // The stored name of a preset as the grid shows it.
    static std::string StoredName(int preset);

    CLumaraView* m_View;
    QPushButton* m_Quit = nullptr;
    QPushButton* m_Action = nullptr;
    int m_Mode = kLoad;
    CComboGridCtrl* m_Grid = nullptr;
    int m_CurrentPreset = 1;
    std::string m_Name;
    CellId m_SaveAsCell;
    CellId m_LoadCell;
    CellId m_DeleteCell;
    bool m_Initialised = false;
};
