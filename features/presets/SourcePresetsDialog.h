// CSourcePresetsDialog: the presets the device recalls by itself when an input
// source is chosen: a stored preset (memory 1 to 6, or none) for each of five
// sources, and the switch of that linkage (record 9, which the device applies
// from its next start). Every change sends the record. Enter and Esc leave
// the dialog open; it closes through its close box.
#pragma once

#include "controls/SkinDialog.h"
#include "platform/Skin.h"

#include <QPixmap>

#include <array>

class CBitButton;
class CDropListButton;
class CTransparentStatic;
class IPageHost;

class CSourcePresetsDialog : public CSkinDialog {
public:
    static constexpr int kRows = 5;
    enum : int { IDC_SWITCH = 2939, IDC_ROW = 2819 }; // rows 2819..2823
    static constexpr int kFirstListId = 8880;         // ... 8884

    // The source code of a row (high level, AUX, S/PDIF, phone, player).
    static int SourceOfRow(int row);
    // The entries of every row: "none", then the names of stored presets 1..6.
    static QStringList Entries();

    explicit CSourcePresetsDialog(IPageHost* view, QWidget* parent = nullptr);

    CBitButton* Switch() const { return m_Switch; }
    CDropListButton* RowList(int row) const { return m_Rows[static_cast<size_t>(row)]; }

    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    void OnLinkSwitch();
    void OnDropListChoice(int listId, int entry);

protected:
    void OnInitDialog() override;
    void paintEvent(QPaintEvent* event) override;

private:
    IPageHost* m_View;
    CBitButton* m_Switch = nullptr;
    std::array<CDropListButton*, kRows> m_Rows{};
    skin::LanguagePixmap m_Background;
};
