#include "output/cancel_dialog.h"

#include <QCoreApplication>

namespace orvane {

namespace {

class TjxStatusLine : public QObject, public TjxCancelDialogStatus {
public:
    explicit TjxStatusLine(TjxCustomCancelDialog* dialog) : m_dialog(dialog) {}
    QString StatusText() const override { return m_dialog->StatusText(); }
    void ShowStatusText(const QString& text) override { m_dialog->SetStatusText(text); }

private:
    TjxCustomCancelDialog* m_dialog;
};

} // namespace

const TClassInfo& TjxCustomCancelDialog::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxCustomCancelDialog>("TjxCustomCancelDialog", &TjxForm::StaticClass()).Build();
    return info;
}

TjxCustomCancelDialog::TjxCustomCancelDialog(TComponent* owner)
    : TjxForm(owner), m_statusLine(std::make_unique<TjxStatusLine>(this))
{
}

TjxCustomCancelDialog::~TjxCustomCancelDialog() = default;

QObject* TjxCustomCancelDialog::StatusLine() const
{
    return m_statusLine.get();
}

void TjxCustomCancelDialog::SetStatusText(const QString& text)
{
    if (text == m_statusText)
        return;
    m_statusText = text;
    StatusTextChanged();
    // Keeps the Cancel button answering while pages print.
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

void TjxCustomCancelDialog::CancelClicked()
{
    // A second click while the first one's cancel runs does nothing.
    if (!m_cancelEnabled || m_cancelling)
        return;
    m_cancelling = true;
    DoCancel();
    m_cancelling = false;
    Close();
}

void TjxCustomCancelDialog::DoTimer()
{
    if (OnTimerHook) {
        const TjxFormEvent hook = std::move(OnTimerHook);
        OnTimerHook = nullptr;
        hook(this);
    }
}

} // namespace orvane
