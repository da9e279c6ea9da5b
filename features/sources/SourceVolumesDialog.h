// CSourceVolumesDialog: the volumes of five input sources, one fader and one
// field each, over a background that names the columns. Each volume is one
// byte of the source record (record 2); every change, also to the same value
// and at every moving report of a fader, stores its byte and sends the whole
// record at once.
//
// Enter and Tab in a field move to the next field (after the field took its
// value), Left and Right to the previous and the next; Esc only commits. The
// dialog closes through its close box.
#pragma once

#include "controls/SkinDialog.h"
#include "platform/Skin.h"

#include <QPixmap>

#include <array>

class CBitmapSlider;
class CNumEdit;
class CNumSpin;
class IPageHost;

class CSourceVolumesDialog : public CSkinDialog {
public:
    static constexpr int kColumns = 5;
    enum : int { IDC_EDIT = 2818, IDC_SPIN = 2941, IDC_FADER = 2946 }; // first of five
    // Messages of the field focus: (edit id, 37 previous / 39 next), (edit id, 0).
    static constexpr unsigned kFocusStepMessage = WM_USER + 700;
    static constexpr unsigned kFocusNextMessage = WM_USER + 701;
    static constexpr int kKeyPrevious = 37;
    static constexpr int kKeyNext = 39;

    // The source code whose volume a column sets (Hi.Level, AUX, SPDIF, Phone, Player).
    static int SourceOfColumn(int column);

    explicit CSourceVolumesDialog(IPageHost* view, QWidget* parent = nullptr);

    CNumEdit* Edit(int column) const { return m_Edit[static_cast<size_t>(column)]; }
    CNumSpin* Spin(int column) const { return m_Spin[static_cast<size_t>(column)]; }
    CBitmapSlider* Fader(int column) const { return m_Fader[static_cast<size_t>(column)]; }

    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void OnInitDialog() override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A new value of a column, from its field or from its fader.
    void OnVolumeChanged(int column, bool fromFader);
    void FocusStep(int editId, int key);
    int ColumnOfEdit(const QObject* edit) const;

    IPageHost* m_View;
    std::array<CNumEdit*, kColumns> m_Edit{};
    std::array<CNumSpin*, kColumns> m_Spin{};
    std::array<CBitmapSlider*, kColumns> m_Fader{};
    skin::LanguagePixmap m_Background;
};
