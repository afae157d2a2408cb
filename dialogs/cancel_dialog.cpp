#include "dialogs/cancel_dialog.h"

#include "document/messages.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>

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
    Arrange();
}

void TjxCancelDialog::Arrange()
{
    // The button as wide as its caption plus 30 pixels, centred; the window
    // wide enough for it and high enough for the status, growing only, so
    // that it does not jump from page to page.
    const int buttonWidth = QFontMetrics(m_cancel->font()).horizontalAdvance(m_cancel->text()) + 30;
    const int width = std::max({kClientWidth, m_window->width(), buttonWidth + 16});
    const int memoHeight = std::max({56, m_memo->height(), m_memo->heightForWidth(width - 16)});
    const int height = 8 + memoHeight + 8 + 25 + 13;
    m_memo->setGeometry(8, 8, width - 16, memoHeight);
    m_cancel->setGeometry((width - buttonWidth) / 2, height - 8 - 25, buttonWidth, 25);
    if (m_window->size() != QSize(width, height))
        m_window->setFixedSize(width, height);
}

void TjxCancelDialog::StatusTextChanged()
{
    if (!m_memo)
        return;
    m_memo->setText(StatusText());
    if (m_memo->heightForWidth(m_memo->width()) > m_memo->height())
        Arrange();
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
