#include "dialogs/cancel_dialog.h"

#include "document/messages.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace orvane {

namespace {

constexpr int kPrinting = 24;
constexpr int kCancel = 5;
constexpr int kClientWidth = 320;
constexpr int kClientHeight = 110;
constexpr int kTimerMs = 10;

// Escape and the window's close button are the Cancel button.
class TjxCancelWindow : public QDialog {
public:
    explicit TjxCancelWindow(std::function<void()> cancel) : m_cancel(std::move(cancel)) {}
    void reject() override
    {
        if (m_cancel)
            m_cancel();
    }
    void Forget() { m_cancel = nullptr; }

private:
    std::function<void()> m_cancel;
};

} // namespace

const TClassInfo& TjxCancelDialog::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxCancelDialog>("TjxCancelDialog", &TjxCustomCancelDialog::StaticClass()).Creatable().Build();
    return info;
}

TjxCancelDialog::TjxCancelDialog(TComponent* owner) : TjxCustomCancelDialog(owner)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    auto* window = new TjxCancelWindow([this] { CancelClicked(); });
    m_window = window;
    window->setObjectName(QStringLiteral("cancelDialog"));
    window->setFixedSize(kClientWidth, kClientHeight);
    window->setCursor(Qt::WaitCursor);
    m_memo = new QLabel(window);
    m_memo->setObjectName(QStringLiteral("statusMemo"));
    m_memo->setAlignment(Qt::AlignCenter);
    m_memo->setWordWrap(true);
    m_memo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_memo->setGeometry(8, 8, kClientWidth - 16, 56);
    m_cancel = new QPushButton(window);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_cancel->setEnabled(false);
    m_cancel->setCursor(Qt::ArrowCursor);
    QObject::connect(m_cancel, &QPushButton::clicked, window, [this] { CancelClicked(); });
    LanguageChanged();
}

TjxCancelDialog::~TjxCancelDialog()
{
    if (m_window) {
        static_cast<TjxCancelWindow*>(m_window.data())->Forget();
        delete m_window.data();
    }
}

void TjxCancelDialog::LanguageChanged()
{
    if (!m_window)
        return;
    m_window->setWindowTitle(GetMessage(kPrinting));
    const QString caption = GetMessage(kCancel);
    m_cancel->setText(caption);
    // As wide as its caption plus 30 pixels, centred.
    const int width = QFontMetrics(m_cancel->font()).horizontalAdvance(caption) + 30;
    m_cancel->setGeometry((kClientWidth - width) / 2, kClientHeight - 8 - 25, width, 25);
}

void TjxCancelDialog::StatusTextChanged()
{
    if (m_memo)
        m_memo->setText(StatusText());
}

void TjxCancelDialog::SetCancelEnabled(bool value)
{
    TjxCustomCancelDialog::SetCancelEnabled(value);
    if (m_cancel)
        m_cancel->setEnabled(value);
}

void TjxCancelDialog::Show()
{
    if (!m_window)
        return;
    m_closed = false;
    if (QScreen* screen = QGuiApplication::primaryScreen())
        m_window->move(screen->availableGeometry().center() - m_window->rect().center());
    m_window->show();
}

TModalResult TjxCancelDialog::ShowModal()
{
    if (!m_window) {
        // Nothing to show: the work still runs.
        DoTimer();
        return mrOK;
    }
    m_closed = false;
    if (QScreen* screen = QGuiApplication::primaryScreen())
        m_window->move(screen->availableGeometry().center() - m_window->rect().center());
    // The work starts inside the window's own loop, once it is open.
    QTimer::singleShot(kTimerMs, m_window, [this] { DoTimer(); });
    const QPointer<QDialog> window = m_window;
    const int result = window->exec();
    return result == QDialog::Accepted ? mrOK : mrCancel;
}

void TjxCancelDialog::Close()
{
    if (m_closed)
        return;
    m_closed = true;
    if (m_window)
        m_window->done(QDialog::Accepted);
}

bool TjxCancelDialog::IsShowing() const
{
    return m_window && m_window->isVisible();
}

} // namespace orvane
