#include "features/connection/ConnectionDialog.h"

#include "controls/TemplateDialog.h"
#include "features/firmware/PortList.h"
#include "model/Globals.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

namespace {

// Template 144 in dialog units of MS Sans Serif 8.
constexpr platform::TemplateFont kFont = platform::kMsSansSerif8;
const QSize kSize(190, 92);
const QRect kRadioPlaces[3] = {{12, 10, 170, 12}, {12, 26, 170, 12}, {12, 42, 170, 12}};
const QRect kPortsPlace(24, 58, 90, 12);
const QRect kLinkPlace(130, 72, 50, 14);
const int kRadioIds[3] = {CConnectionDialog::IDC_USB, CConnectionDialog::IDC_WIFI,
                          CConnectionDialog::IDC_COM};
const BiText kRadioTexts[3] = {
    {"使用USB连接到设备", "Use the USB connect to the device"},
    {"使用WIFI无线连接到设备", "Use the WIFI connect to the device"},
    {"使用COM连接到设备", "Use the COM connect to the device"},
};
const BiText kLinkText{"联机", "Link"};

} // namespace

CConnectionDialog::CConnectionDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Link"));
    SetUpTemplateDialog(*this, kFont, kSize);
    for (int i = 0; i < 3; ++i) {
        m_Radios[i] = PlaceControl<QRadioButton>(this, kRadioIds[i], kRadioPlaces[i], kFont);
        connect(m_Radios[i], &QRadioButton::clicked, this, [this, i] { OnChooseKind(i + 1); });
    }
    m_Ports = PlaceControl<QComboBox>(this, IDC_PORTS, kPortsPlace, kFont);
    m_Link = PlaceButton(this, IDC_LINK, kLinkPlace, kFont, true);
    connect(m_Ports, &QComboBox::activated, this, &CConnectionDialog::OnPortChosen);
    connect(m_Link, &QPushButton::clicked, this, &CConnectionDialog::OnLink);
}

QRadioButton* CConnectionDialog::Radio(int kind) const {
    return kind >= kLinkUsb && kind <= kLinkSerial ? m_Radios[kind - 1] : nullptr;
}

void CConnectionDialog::showEvent(QShowEvent* event) {
    OnInitDialog();
    QDialog::showEvent(event);
}

void CConnectionDialog::OnInitDialog() {
    if (m_Initialised) return;
    OnInitDialog(ListSerialPortsOrNone());
}

void CConnectionDialog::OnInitDialog(const std::vector<SerialPortInfo>& ports) {
    m_Initialised = true;
    const bool cn = g_LanguageFlag.load() != 0;
    for (int i = 0; i < 3; ++i)
        m_Radios[i]->setText(cn ? QString::fromUtf8(kRadioTexts[i].cn)
                                : QString::fromUtf8(kRadioTexts[i].en));
    m_Link->setText(QString::fromUtf8(cn ? kLinkText.cn : kLinkText.en));
    m_Chosen = g_ConnectionKind.load();
    for (int kind = kLinkUsb; kind <= kLinkSerial; ++kind)
        Radio(kind)->setChecked(kind == m_Chosen);
    m_Ports->setEnabled(m_Chosen == kLinkSerial);
    FillSerialPortList(*m_Ports, ports, m_PortName);
    m_PortName = m_Ports->currentText().toStdString();
}

void CConnectionDialog::OnChooseKind(int kind) {
    if (!Radio(kind)) return;
    m_Chosen = kind;
    Radio(kind)->setChecked(true);
    m_Ports->setEnabled(kind == kLinkSerial);
}

void CConnectionDialog::OnPortChosen(int index) {
    if (index >= 0 && index < m_Ports->count()) m_PortName = m_Ports->itemText(index).toStdString();
}

void CConnectionDialog::OnLink() {
    if (m_Chosen == g_ConnectionKind.load()) g_StateFlags[kFlagKindChosenAgain] = 1;
    g_ConnectionKind = m_Chosen;
    accept();
}
