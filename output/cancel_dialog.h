#pragma once

// The cancel dialog the producer shows while printing. The core holds the
// abstract class and its status line; the window is a class of the
// user-interface library registered for "TjxCustomCancelDialog".

#include "document/form.h"

#include <QObject>
#include <QString>
#include <memory>

namespace orvane {

// What a device needs of the cancel dialog: the status line.
class TjxCancelDialogStatus {
public:
    virtual ~TjxCancelDialogStatus() = default;
    virtual QString StatusText() const = 0;
    // Shows the text and lets the window handle pending input, so that its
    // Cancel button answers while pages print.
    virtual void ShowStatusText(const QString& text) = 0;
};

class TjxCustomCancelDialog : public TjxForm {
    ORVANE_CLASS(TjxCustomCancelDialog, TjxForm)
public:
    explicit TjxCustomCancelDialog(TComponent* owner = nullptr);
    ~TjxCustomCancelDialog() override;

    const QString& StatusText() const { return m_statusText; }
    // Stores the text and tells the window.
    void SetStatusText(const QString& text);

    // What devices hold on to: it goes with the dialog, so a device never
    // reaches a dialog that was freed.
    QObject* StatusLine() const;

    // Run once, 10 ms after the dialog opened modally (generation runs
    // inside the dialog's own loop).
    TjxFormEvent OnTimerHook;
    // The producer lets the user cancel once the run is set up.
    virtual void SetCancelEnabled(bool value) { m_cancelEnabled = value; }
    bool CancelEnabled() const { return m_cancelEnabled; }

    // The Cancel button: the producer's cancel, then the dialog closes.
    void CancelClicked();

protected:
    virtual void StatusTextChanged() {}
    // The window starts the timer when it is shown modally; it calls this.
    void DoTimer();

private:
    QString m_statusText;
    bool m_cancelEnabled = false;
    bool m_cancelling = false;
    std::unique_ptr<QObject> m_statusLine;
};

} // namespace orvane
