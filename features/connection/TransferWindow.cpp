#include "features/connection/TransferWindow.h"

#include "controls/FontStatic.h"
#include "controls/GradientProgressCtrl.h"
#include "model/Globals.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

#include <mutex>

UiThreadOnly<CTransferWindow*> g_TransferDlg{nullptr};
UiThreadOnly<QPointer<QWidget>> g_PresetDlg;
UiThreadOnly<QPointer<QWidget>> g_AdvancedDlg;

namespace {

class Sink : public ITransferProgress {
public:
    void Attach(CGradientProgressCtrl* bar) {
        std::lock_guard<std::mutex> lock(mutex_);
        bar_ = bar;
    }
    void Detach(CGradientProgressCtrl* bar) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (bar_ == bar) bar_ = nullptr;
    }
    void SetPos(int pos) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (bar_) bar_->SetPos(pos);
    }

private:
    std::mutex mutex_;
    CGradientProgressCtrl* bar_ = nullptr;
};

Sink& TheSink() {
    static Sink sink;
    return sink;
}

const QColor kTextBlue(0, 0, 128);
const QColor kTextRed(255, 0, 0);

// The template's size (caption "Data transmission", a line of text over the bar).
constexpr int kWidth = 300;
constexpr int kHeight = 86;

} // namespace

ITransferProgress* TransferProgressSink() {
    return &TheSink();
}

CTransferWindow::CTransferWindow(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("Data transmission"));
    setFixedSize(kWidth, kHeight);
    m_Text = new CFontStatic(this);
    m_Text->setObjectName(QStringLiteral("1433"));
    m_Text->setGeometry(10, 10, kWidth - 20, 30);
    m_Progress = new CGradientProgressCtrl(this);
    m_Progress->setObjectName(QStringLiteral("2777"));
    m_Progress->setGeometry(10, 50, kWidth - 20, 20);

    // OnInitDialog.
    m_Text->SetFontStyle(QString(), 18, kTextBlue, CFontStatic::kStyleCentre | 0x01);
    m_Text->SetBackgroundColor(QColor(230, 230, 230));
    TheSink().Attach(m_Progress);
}

CTransferWindow::~CTransferWindow() {
    TheSink().Detach(m_Progress);
    if (g_TransferDlg == this) g_TransferDlg = nullptr;
    if (m_Disabled) m_Disabled->setEnabled(true);
}

QString CTransferWindow::EndText() {
    return g_LanguageFlag.load() ? QStringLiteral("数据传输结束")
                                 : QStringLiteral("End of data transmission");
}

QString CTransferWindow::FactoryDoneText() {
    return g_LanguageFlag.load() ? QStringLiteral("恢复出厂设置成功")
                                 : QStringLiteral("Load factory default success");
}

void CTransferWindow::SetLine(const QString& text) {
    m_Text->SetText(text);
}

void CTransferWindow::ShowTransfer(int fromDialog) {
    const bool cn = g_LanguageFlag.load() != 0;
    m_FromDialog = fromDialog;
    move(500, 400);
    if (m_LongCommand) {
        SetLine(cn ? QStringLiteral("正在恢复出厂设置") : QStringLiteral("Load factory defaults"));
        setWindowTitle(cn ? QStringLiteral("高级") : QStringLiteral("Advanced"));
    } else {
        SetLine(cn ? m_TitleCn : m_TitleEn);
        setWindowTitle(cn ? QStringLiteral("数据传输") : QStringLiteral("Data transmission"));
    }

    QWidget* disable = nullptr;
    if (fromDialog == 0)
        disable = parentWidget();
    else if (fromDialog == 1)
        disable = m_LongCommand && g_AdvancedDlg.Get() ? g_AdvancedDlg.Get().data()
                                                       : g_PresetDlg.Get().data();
    if (disable) {
        disable->setEnabled(false);
        m_Disabled = disable;
    }

    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // Centred over the owner's window (the screen when there is none).
    const QWidget* over = parentWidget() ? parentWidget()->window() : nullptr;
    const QRect area = over ? over->frameGeometry() : screen()->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
    m_Blink = 1;
    m_Text->SetTextColor(kTextBlue);
    show();
    StopTimer();
    m_TimerId = startTimer(kBlinkTimerMs);
}

void CTransferWindow::StopTimer() {
    if (m_TimerId) killTimer(m_TimerId);
    m_TimerId = 0;
}

void CTransferWindow::HideTransfer() {
    StopTimer();
    if (m_Disabled) m_Disabled->setEnabled(true);
    m_Disabled.clear();
    m_FromDialog = 0;
    m_LongCommand = 0;
    m_Blink = 0;
    m_EndSeen = false;
    hide();
}

void CTransferWindow::SetFactoryMode() {
    m_LongCommand = 1;
    m_EndSeen = false;
    m_Progress->SetRange(0, 110);
    m_Progress->SetPos(0);
}

void CTransferWindow::Close() {
    StopTimer();
    TheSink().Detach(m_Progress);
    if (m_Disabled) m_Disabled->setEnabled(true);
    m_Disabled.clear();
    hide();
}

void CTransferWindow::OnTimerTick() {
    const int upper = m_Progress->GetUpperRange();
    if (g_TransferRunning.load()) {
        m_Blink = !m_Blink;
        m_Text->SetTextColor(m_Blink ? kTextBlue : kTextRed);
        if (m_LongCommand) {
            const int pos = m_Progress->GetPos();
            m_Creep = pos < upper - 2 ? pos + 1 : pos;
            m_Progress->SetPos(m_Creep);
        }
        return;
    }
    if (m_LongCommand) {
        // The bar stands at its end for a while before the window goes.
        if (!m_EndSeen) {
            m_EndSeen = true;
            m_Creep = upper;
            m_Progress->SetPos(upper);
            return;
        }
        if (++m_Creep > upper + 10) {
            SetLine(FactoryDoneText());
            HideTransfer();
        }
        return;
    }
    SetLine(EndText());
    HideTransfer();
}

void CTransferWindow::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_TimerId)
        OnTimerTick();
    else
        QDialog::timerEvent(event);
}

void CTransferWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
}

void CTransferWindow::keyPressEvent(QKeyEvent* event) {
    // Keys never reach the dialog's own handling; Enter and Escape only
    // put the focus on the window.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Escape)
        setFocus();
    event->accept();
}

void CTransferWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), m_Background);
}
