#include "features/connection/VersionWindow.h"

#include "controls/StaticControls.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "platform/Skin.h"
#include "platform/UiGlobals.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace {

CTransparentStatic* Static(QWidget* parent, const char* id, const QRect& r) {
    auto* label = new CTransparentStatic(parent);
    label->setObjectName(QString::fromLatin1(id));
    label->setGeometry(r);
    label->setFont(g_FontDialog16);
    return label;
}

} // namespace

CVersionWindow::CVersionWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setFixedSize(400, 180);
    m_Picture = new QLabel(this);
    m_Picture->setObjectName(QStringLiteral("2065"));
    m_Picture->setPixmap(skin::Pixmap(275));
    m_Picture->setGeometry(QRect(QPoint(14, 14), skin::Size(275)));
    m_Link = new CHyperlink(this);
    m_Link->setObjectName(QStringLiteral("1895"));
    m_Link->setGeometry(150, 110, 230, 20);
    m_Link->hide();
    m_NoticeText = Static(this, "1894", QRect(150, 84, 230, 20));
    m_Device = Static(this, "1877", QRect(150, 20, 240, 24));
    // Room for two lines: the software version wraps after its label.
    m_Software = Static(this, "1875", QRect(150, 50, 240, 44));
    m_RemarkText = Static(this, "1876", QRect(150, 84, 230, 20));
    m_Help = new QPushButton(this);
    m_Help->setObjectName(QStringLiteral("8802"));
    m_Help->setGeometry(180, 140, 90, 26);
    m_Quit = new QPushButton(this);
    m_Quit->setObjectName(QStringLiteral("1874"));
    m_Quit->setGeometry(290, 140, 90, 26);
    // Help has a handler that does nothing.
    connect(m_Quit, &QPushButton::clicked, this, &QDialog::accept);

    // OnInitDialog.
    g_StateFlags[kFlagFirmwareMode] = 0;
    const bool cn = g_LanguageFlag.load() != 0;
    setWindowTitle(cn ? QStringLiteral("关于") : QStringLiteral("About"));
    m_Help->setText(cn ? QStringLiteral("帮助") : QStringLiteral("Help"));
    m_Quit->setText(cn ? QStringLiteral("退出") : QStringLiteral("Quit"));
    ShowVersions();
}

QString CVersionWindow::SoftwareVersion(int variant) {
    if (variant == 1) return QString::fromUtf8(g_SoftwareVersion1);
    if (variant == 2) return QString::fromUtf8(g_SoftwareVersion2);
    return QString();
}

void CVersionWindow::ShowVersions() {
    const std::string device = g_DeviceRecords.VersionText();
    const bool cn = g_LanguageFlag.load() != 0;
    m_Device->setText((cn ? QStringLiteral("设备版本 ") : QStringLiteral("Device version ")) +
                      QString::fromStdString(device));
    m_Software->setText((cn ? QStringLiteral("软件版本 ") : QStringLiteral("Software version ")) +
                        SoftwareVersion(g_DeviceVariant.load()));
}

QString CVersionWindow::DeviceText() const {
    return m_Device->text();
}
QString CVersionWindow::SoftwareText() const {
    return m_Software->text();
}

void CVersionWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), g_DialogBkBrush);
}
