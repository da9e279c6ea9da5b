#include "features/connection/LinkMonitorWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

UiThreadOnly<CLinkMonitorWindow*> g_MonitorDlg{nullptr};

CLinkMonitorWindow::CLinkMonitorWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Lock"));
    setFixedSize(420, 330);
    auto* writtenLabel = new QLabel(QStringLiteral("写数据"), this);
    writtenLabel->setGeometry(10, 6, 200, 18);
    m_Written = new QPlainTextEdit(this);
    m_Written->setObjectName(QStringLiteral("1221"));
    m_Written->setReadOnly(true);
    m_Written->setGeometry(10, 26, 400, 120);
    auto* readLabel = new QLabel(QStringLiteral("读数据"), this);
    readLabel->setGeometry(10, 152, 200, 18);
    m_Read = new QPlainTextEdit(this);
    m_Read->setObjectName(QStringLiteral("1024"));
    m_Read->setReadOnly(true);
    m_Read->setGeometry(10, 172, 400, 120);
    m_Clear = new QPushButton(QStringLiteral("Clear"), this);
    m_Clear->setObjectName(QStringLiteral("1222"));
    m_Clear->setGeometry(10, 298, 80, 24);
    m_LeftSpareEdit = new QLineEdit(this);
    m_LeftSpareEdit->setObjectName(QStringLiteral("1884"));
    m_LeftSpareEdit->setGeometry(250, 298, 76, 24);
    m_RightSpareEdit = new QLineEdit(this);
    m_RightSpareEdit->setObjectName(QStringLiteral("1885"));
    m_RightSpareEdit->setGeometry(334, 298, 76, 24);
    connect(m_Clear, &QPushButton::clicked, this, [this] { OnClear(); });
}

void CLinkMonitorWindow::OnClear() {
    m_Written->clear();
    m_Read->clear();
}
