// CInputConnectorStrip: the strip of the input page that pictures the device's input
// panel (PNG 654) with one button per connector group. A click on a
// connector asks the page to make its source active (WM_USER+401); which
// connector buttons show follows the input mode, which groups the six
// analogue inputs as three stereo pairs (mode 0), a four-channel AUX1 and a
// stereo AUX2 (mode 1) or one six-channel AUX1 (mode 2). The strip keeps no
// source of its own: it reads g_ActiveSource and g_InputMode.
//
// The panel picture is transparent around the panel: Qt paints the page
// under the strip first, so the page shows through without a captured copy.
#pragma once

#include "platform/Message.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <array>

class CPngButton;

class CInputConnectorStrip : public platform::MessageTarget<QWidget> {
public:
    // Posted to the owner: (0, source 0..5).
    static constexpr unsigned kSourceMessage = WM_USER + 401;
    static constexpr int kPanelPicture = 654;
    // Buttons of template 653.
    enum : int {
        IDC_SPDIF = 2705,
        IDC_HILEVEL = 2704,
        IDC_PHONE = 2715,
        IDC_AUX1 = 2706,
        IDC_AUX2 = 2707,
        IDC_AUX3 = 2708,
        IDC_AUX1_4CH = 2710,
        IDC_AUX2_MODE1 = 2711,
        IDC_AUX3_MODE1 = 2712, // never shown
        IDC_AUX1_6CH = 2713,
        IDC_AUX2_MODE2 = 2714, // never shown
    };
    static constexpr int kButtonCount = 11;

    explicit CInputConnectorStrip(QWidget* parent = nullptr);
    ~CInputConnectorStrip() override;

    // The window told of clicks (the input page).
    void SetOwner(QObject* owner) { m_Owner = owner; }
    // The connector buttons of g_InputMode shown, the others hidden.
    void ShowModeButtons();
    void UncheckAllButtons();
    // Only the button of g_ActiveSource in g_InputMode checked (none for off).
    void CheckActiveSourceButton();
    void UncheckActiveSourceButton();
    void ShowSpdifButton(int show);
    void ShowPhoneButton(int show);
    // Repaints the buttons (after a language switch).
    void RedrawButtons();

    // The button of a source in a mode; 0 for none (off, or a source the
    // mode does not have).
    static int ButtonOf(int source, int mode);
    // The source of a button; -1 for an id that is not one.
    static int SourceOfButton(int id);
    CPngButton* Button(int id) const;

    // A click on the button of source s.
    void OnSourceButton(int source);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void LoadButtonImages();

    QPointer<QObject> m_Owner;
    std::array<CPngButton*, kButtonCount> m_Buttons{};
    QImage m_Panel;
};
