#include "pages/input/InputConnectorStrip.h"

#include "controls/ControlNotify.h"
#include "controls/PngButton.h"
#include "model/Globals.h"
#include "pages/SourcePages.h"
#include "platform/Skin.h"

#include <QKeyEvent>
#include <QPainter>

#include <iterator>

namespace {

struct ButtonLayout {
    int id;
    int source;
    int x; // place on the panel picture (the template's is the picture's)
    int width;
    unsigned images[3];  // normal, hover, down
    unsigned chinese[3]; // 0: none
    bool shown;          // in the template
};

// The connector groups lie under the panel's sockets.
constexpr int kButtonY = 132;
constexpr ButtonLayout kButtonLayouts[CInputConnectorStrip::kButtonCount] = {
    {CInputConnectorStrip::IDC_SPDIF, 0, 25, 74, {673, 674, 675}, {4448, 4449, 4450}, true},
    {CInputConnectorStrip::IDC_HILEVEL, 1, 110, 150, {676, 677, 678}, {4451, 4452, 4453}, true},
    {CInputConnectorStrip::IDC_PHONE, 2, 272, 74, {688, 689, 690}, {4454, 4455, 4456}, true},
    {CInputConnectorStrip::IDC_AUX1, 3, 357, 150, {655, 656, 657}, {4430, 4431, 4432}, true},
    {CInputConnectorStrip::IDC_AUX2, 4, 521, 150, {658, 659, 660}, {4433, 4434, 4435}, true},
    {CInputConnectorStrip::IDC_AUX3, 5, 686, 150, {661, 662, 663}, {4436, 4437, 4438}, true},
    {CInputConnectorStrip::IDC_AUX1_4CH, 3, 357, 314, {667, 668, 669}, {4439, 4440, 4441}, false},
    // In English the stereo AUX2 of mode 1 looks as in mode 0 (the skin keys
    // pictures by number alone, and 700..702 are the drop lists').
    {CInputConnectorStrip::IDC_AUX2_MODE1, 4, 686, 150, {658, 659, 660}, {4442, 4443, 4444}, false},
    {CInputConnectorStrip::IDC_AUX3_MODE1, 5, 686, 150, {703, 704, 705}, {0, 0, 0}, false},
    {CInputConnectorStrip::IDC_AUX1_6CH, 3, 357, 478, {670, 671, 672}, {4445, 4446, 4447}, false},
    {CInputConnectorStrip::IDC_AUX2_MODE2, 4, 521, 150, {710, 711, 712}, {0, 0, 0}, false},
};

// The buttons of a source in modes 0, 1 and 2 (0: none).
constexpr int kButtonOf[source::kOff][3] = {
    {CInputConnectorStrip::IDC_SPDIF, CInputConnectorStrip::IDC_SPDIF,
     CInputConnectorStrip::IDC_SPDIF},
    {CInputConnectorStrip::IDC_HILEVEL, CInputConnectorStrip::IDC_HILEVEL,
     CInputConnectorStrip::IDC_HILEVEL},
    {CInputConnectorStrip::IDC_PHONE, CInputConnectorStrip::IDC_PHONE,
     CInputConnectorStrip::IDC_PHONE},
    {CInputConnectorStrip::IDC_AUX1, CInputConnectorStrip::IDC_AUX1_4CH,
     CInputConnectorStrip::IDC_AUX1_6CH},
    {CInputConnectorStrip::IDC_AUX2, CInputConnectorStrip::IDC_AUX2_MODE1,
     CInputConnectorStrip::IDC_AUX2_MODE2},
    {CInputConnectorStrip::IDC_AUX3, CInputConnectorStrip::IDC_AUX3_MODE1, 0},
};

// The buttons each mode shows (of those that change with the mode).
constexpr int kModeButtons[3][3] = {
    {CInputConnectorStrip::IDC_AUX1, CInputConnectorStrip::IDC_AUX2,
     CInputConnectorStrip::IDC_AUX3},
    {CInputConnectorStrip::IDC_AUX1_4CH, CInputConnectorStrip::IDC_AUX2_MODE1, 0},
    {CInputConnectorStrip::IDC_AUX1_6CH, 0, 0},
};
// ... and those it unchecks.
constexpr int kModeUnchecked[3][3] = {
    {CInputConnectorStrip::IDC_AUX1, CInputConnectorStrip::IDC_AUX2,
     CInputConnectorStrip::IDC_AUX3},
    {CInputConnectorStrip::IDC_AUX1_4CH, CInputConnectorStrip::IDC_AUX2_MODE1,
     CInputConnectorStrip::IDC_AUX3_MODE1},
    {CInputConnectorStrip::IDC_AUX1_6CH, CInputConnectorStrip::IDC_AUX2_MODE2, 0},
};

bool IsMode(int mode) {
    return mode >= 0 && mode <= 2;
}

} // namespace

CInputConnectorStrip::CInputConnectorStrip(QWidget* parent) : MessageTarget(parent) {
    LoadPngResource(kPanelPicture, "png", m_Panel);
    // The strip takes the size of its picture, where the template put it.
    resize(m_Panel.isNull() ? QSize(860, 175) : m_Panel.size());
    setFocusPolicy(Qt::ClickFocus);
    for (size_t i = 0; i < std::size(kButtonLayouts); ++i) {
        const ButtonLayout& s = kButtonLayouts[i];
        auto* b = new CPngButton(this, s.id);
        SetControlId(b, s.id);
        b->move(s.x, kButtonY);
        b->setVisible(s.shown);
        QObject::connect(b, &QAbstractButton::clicked, this,
                         [this, src = s.source] { OnSourceButton(src); });
        m_Buttons[i] = b;
    }
    LoadButtonImages();
}

CInputConnectorStrip::~CInputConnectorStrip() = default;

void CInputConnectorStrip::LoadButtonImages() {
    for (size_t i = 0; i < std::size(kButtonLayouts); ++i) {
        const ButtonLayout& s = kButtonLayouts[i];
        CPngButton* b = m_Buttons[i];
        b->SetImages(s.images[0], s.images[1], s.images[2]);
        b->SetCheckedImages(s.images[2], s.images[2], s.images[2]);
        if (s.chinese[0])
            b->SetChineseImages(s.chinese[0], s.chinese[1], s.chinese[2], s.chinese[2],
                                s.chinese[2], s.chinese[2]);
    }
}

CPngButton* CInputConnectorStrip::Button(int id) const {
    for (size_t i = 0; i < std::size(kButtonLayouts); ++i)
        if (kButtonLayouts[i].id == id) return m_Buttons[i];
    return nullptr;
}

int CInputConnectorStrip::ButtonOf(int source, int mode) {
    if (source < 0 || source >= source::kOff || !IsMode(mode)) return 0;
    return kButtonOf[source][mode];
}

int CInputConnectorStrip::SourceOfButton(int id) {
    for (const ButtonLayout& s : kButtonLayouts)
        if (s.id == id) return s.source;
    return -1;
}

void CInputConnectorStrip::ShowModeButtons() {
    if (!IsMode(g_InputMode)) return;
    for (const auto& mode : kModeButtons)
        for (int id : mode)
            if (CPngButton* b = Button(id)) b->ShowWindow(0);
    for (int id : kModeButtons[g_InputMode])
        if (CPngButton* b = Button(id)) b->ShowWindow(5);
}

void CInputConnectorStrip::UncheckAllButtons() {
    for (int id : {IDC_SPDIF, IDC_HILEVEL, IDC_PHONE})
        Button(id)->SetCheck(0);
    if (!IsMode(g_InputMode)) return;
    for (int id : kModeUnchecked[g_InputMode])
        if (CPngButton* b = Button(id)) b->SetCheck(0);
}

void CInputConnectorStrip::CheckActiveSourceButton() {
    UncheckAllButtons();
    if (CPngButton* b = Button(ButtonOf(g_ActiveSource, g_InputMode))) b->SetCheck(1);
}

void CInputConnectorStrip::UncheckActiveSourceButton() {
    if (CPngButton* b = Button(ButtonOf(g_ActiveSource, g_InputMode))) b->SetCheck(0);
}

void CInputConnectorStrip::ShowSpdifButton(int show) {
    Button(IDC_SPDIF)->ShowWindow(show ? 5 : 0);
}

void CInputConnectorStrip::ShowPhoneButton(int show) {
    Button(IDC_PHONE)->ShowWindow(show ? 5 : 0);
}

void CInputConnectorStrip::RedrawButtons() {
    for (CPngButton* b : m_Buttons)
        if (ControlId(b) != IDC_AUX3_MODE1 && ControlId(b) != IDC_AUX2_MODE2) b->Redraw();
}

void CInputConnectorStrip::OnSourceButton(int source) {
    if (!source::IsSource(source) || source == source::kOff) return;
    if (g_ActiveSource != source) {
        UncheckActiveSourceButton();
        if (CPngButton* b = Button(ButtonOf(source, g_InputMode))) b->SetCheck(1);
    }
    // Also for the source already active: the page sends it again.
    if (m_Owner) platform::PostMessage(m_Owner, kSourceMessage, 0, static_cast<LPARAM>(source));
}

void CInputConnectorStrip::paintEvent(QPaintEvent*) {
    if (m_Panel.isNull()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawImage(QPoint(0, 0), m_Panel);
}

void CInputConnectorStrip::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        // The keys stay with the strip; the page neither closes nor tabs.
        setFocus(Qt::OtherFocusReason);
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
