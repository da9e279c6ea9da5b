// CDefaultSourceDialog: the input source the device selects when it powers up (byte
// 1 of record 8); a new choice sends the record. The system menu does not
// offer it.
#pragma once

#include "controls/SkinDialog.h"

class CDropListButton;
class CTransparentStatic;
class IPageHost;

class CDefaultSourceDialog : public CSkinDialog {
public:
    enum : int { IDC_PROMPT = 2937, IDC_SOURCE = 2819 };
    static constexpr int kListId = 36941;

    // The source of an entry (0..3), and the entry of a source (-1: none).
    static int SourceOfEntry(int entry);
    static int EntryOfSource(int source);

    explicit CDefaultSourceDialog(IPageHost* view, QWidget* parent = nullptr);

    CDropListButton* SourceList() const { return m_List; }
    CTransparentStatic* Prompt() const { return m_Prompt; }

    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    void OnDropListChoice(int listId, int entry);

protected:
    void OnInitDialog() override;

private:
    IPageHost* m_View;
    CTransparentStatic* m_Prompt = nullptr;
    CDropListButton* m_List = nullptr;
};
