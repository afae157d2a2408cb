#pragma once

// The Configure window of a barcode, registered for TjxCustomBarCodeDialog.

#include "components/barcode_dialog.h"

#include <memory>

class QDialog;

namespace orvane {

class TjxBarCodeDialogWindow;

class TjxBarCodeDialog : public TjxCustomBarCodeDialog {
    ORVANE_CLASS(TjxBarCodeDialog, TjxCustomBarCodeDialog)
public:
    explicit TjxBarCodeDialog(TComponent* owner = nullptr);
    ~TjxBarCodeDialog() override;

    TModalResult ShowModal() override;
    // The window, made on first use and showing the dialog's values.
    QDialog* Window();

private:
    std::unique_ptr<TjxBarCodeDialogWindow> m_window;
};

} // namespace orvane
