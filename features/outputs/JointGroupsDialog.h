// CJointGroupsDialog: "Joint Debug Settings" (template 963). Outputs 1 to 8 are
// linked through the link masks of the output page's panels (bit k: output
// k, its own bit included); outputs with equal masks form one joint-debug
// group, and the dialog shows at most four. The left list holds the channels
// the user may move, the right list the groups with their numbers.
//
// New-group mode (the link-group menu's "new group"): the right list starts
// with the panel's output and its group, ">>" moves the selected left rows
// into it. Join mode ("join a group"): the left list holds the panel's
// output and its group, the right list every other group, and ">>1" ..
// ">>4" move the selected rows into group n. A selected channel linked with
// channels that are not selected asks whether they go along. OK writes the
// masks and posts WM_USER+302 (the output whose settings are copied, 0 new
// group / 1 join) to the output page, which turns the masks into link keys.
#pragma once

#include "model/JointDebug.h"

#include <QDialog>
#include <QString>

#include <vector>

class CBitButton;
class COutputPage;
class CTransparentStatic;
class QTableWidget;

class CJointGroupsDialog : public QDialog {
public:
    enum : int {
        IDD = 963,
        IDC_OPERABLE = 2832,
        IDC_RELATIONS = 2833,
        IDC_ADD = 2819,
        IDC_UNDO = 2820,
        IDC_ADD_GROUP1 = 2822,
        IDC_ADD_GROUP2 = 2821,
        IDC_ADD_GROUP3 = 2823,
        IDC_ADD_GROUP4 = 2824,
        IDC_LEFT_HEADING = 2835,
        IDC_RIGHT_HEADING = 2836,
    };
    static constexpr int IDOK = 1;
    static constexpr int IDCANCEL = 2;
    static constexpr int kChannels = 8; // outputs 0..7
    static constexpr int kGroups = 4;
    enum Mode : int { kJoinMode = 0, kNewGroupMode = 1 };

    explicit CJointGroupsDialog(QWidget* parent = nullptr);
    ~CJointGroupsDialog() override;

    // The page whose panel masks the dialog reads and writes and to which it
    // posts its result.
    void SetPage(COutputPage* page) { m_Page = page; }
    // Runs the dialog (the modal seam of controls/ModalDialog.h): IDOK after
    // OK, IDCANCEL otherwise.
    int DoModal();
    // Texts, lists and buttons from the masks (run by DoModal).
    void InitDialog();

    // ---- what the controls do -------------------------------------------
    // The selection of a list changed: the list clicked last and its rows'
    // selection flags.
    void OnListSelection(bool right);
    void OnAdd();
    // ">>n" (n 1..4).
    void OnAddToGroup(int n);
    void OnUndo();
    void OnOk();

    // ---- rows, for the view of a test --------------------------------------
    struct Row {
        int id;
        int output;
        QString name;
        bool operator==(const Row& o) const {
            return id == o.id && output == o.output && name == o.name;
        }
    };
    std::vector<Row> LeftRows() const;
    std::vector<Row> RightRows() const;
    QTableWidget* LeftList() const { return m_Left; }
    QTableWidget* RightList() const { return m_Right; }
    CBitButton* Button(int id) const;
    CTransparentStatic* LeftHeading() const { return m_LeftHeading; }
    CTransparentStatic* RightHeading() const { return m_RightHeading; }
    // Selects the rows of these outputs in a list (as clicks with Ctrl do).
    void SelectOutputs(bool right, const std::vector<int>& outputs);

    // ---- members ----------------------------------------------------------
    int m_Mode = kNewGroupMode;
    int m_Output = 0;            // the panel's output
    LinkMatrix m_Matrix{};       // read from the masks when the dialog opens
    JointDebugGroupSet m_Groups; // at most four, numbered 1..4
    JointDebugLists m_Lists;     // what the two lists show, with the groups offered
    int m_LeftSelected[kChannels] = {};
    int m_RightSelected[kChannels] = {};
    int m_LastList = 0;    // 0 left, 1 right
    QString m_GroupNumber; // the n of the last ">>n", empty when none
    bool m_Changed = false;

private:
    // The groups and lists from the matrix, shown.
    void Rebuild();
    void ShowLists();
    void ShowButtons();
    void ClearSelections();
    bool AnyLeftSelected() const;
    // The outputs to move: the selected left rows, with the unselected
    // partners the user agreed to take along.
    std::vector<int> OutputsToMove();
    void AddRow(QTableWidget* list, int id, int output);
    std::vector<Row> Rows(const std::vector<JointDebugRow>& rows) const;
    static QString ChannelName(int output);
    void StyleList(QTableWidget* list);

    COutputPage* m_Page = nullptr;
    QTableWidget* m_Left = nullptr;
    QTableWidget* m_Right = nullptr;
    CBitButton* m_Ok = nullptr;
    CBitButton* m_Add = nullptr;
    CBitButton* m_Undo = nullptr;
    CBitButton* m_AddGroup[kGroups] = {};
    CTransparentStatic* m_LeftHeading = nullptr;
    CTransparentStatic* m_RightHeading = nullptr;
};
