#include "features/system/AboutDialog.h"

#include "controls/TemplateDialog.h"
#include "model/Globals.h"
#include "platform/Skin.h"

#include <QLabel>
#include <QPushButton>

#ifndef LUMARA_VERSION
#define LUMARA_VERSION "0.1"
#endif

namespace {

// Template 100 in dialog units of MS Sans Serif 8.
constexpr platform::TemplateFont kFont = platform::kMsSansSerif8;
const QSize kSize(235, 56);
const QRect kIconPlace(11, 17, 20, 20);
const QRect kVersionPlace(40, 10, 130, 10);
const QRect kSecondPlace(40, 25, 130, 20);
const QRect kOkPlace(178, 7, 50, 16);

} // namespace

CAboutDialog::CAboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    SetUpTemplateDialog(*this, kFont, kSize);
    m_Icon = PlaceControl<QLabel>(this, IDC_ICON, kIconPlace, kFont);
    m_Icon->setPixmap(skin::Pixmap(IDC_ICON));
    m_Icon->setAlignment(Qt::AlignCenter);
    m_Version = PlaceControl<QLabel>(this, IDC_VERSION, kVersionPlace, kFont);
    m_Second = PlaceControl<QLabel>(this, IDC_COPYRIGHT, kSecondPlace, kFont);
    m_Second->setWordWrap(true);
    m_Ok = PlaceButton(this, 1, kOkPlace, kFont, true);
    m_Ok->setText(QStringLiteral("OK"));
    connect(m_Ok, &QPushButton::clicked, this, &QDialog::accept);

    const bool cn = g_LanguageFlag.load() != 0;
    const QString product = QString::fromUtf8(g_ProductTitle);
    setWindowTitle((cn ? QStringLiteral("关于 ") : QStringLiteral("About ")) + product);
    m_Version->setText(product + (cn ? QStringLiteral(" 版本 ") : QStringLiteral(" Version ")) +
                       QStringLiteral(LUMARA_VERSION));
    m_Second->setText(cn ? QStringLiteral("十二路输出音频处理器的控制面板")
                         : QStringLiteral("Front panel of the twelve-output audio processor"));
}
