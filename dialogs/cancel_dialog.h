#pragma once

// The window shown while a report prints: the status line and Cancel.

#include "output/cancel_dialog.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QPushButton;

namespace orvane {

class TjxCancelDialog : public TjxCustomCancelDialog {
    ORVANE_CLASS(TjxCancelDialog, TjxCustomCancelDialog)
public:
    explicit TjxCancelDialog(TComponent* owner = nullptr);
    ~TjxCancelDialog() override;

    void Show() override;
    TModalResult ShowModal() override;
    void Close() override;
    bool IsShowing() const override;
    void SetCancelEnabled(bool value) override;

    QDialog* Window() const { return m_window; }

protected:
    void StatusTextChanged() override;
    void LanguageChanged() override;

private:
    void Arrange();

    QPointer<QDialog> m_window;
    QLabel* m_memo = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_closed = false;
};

} // namespace orvane
