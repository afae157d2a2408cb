// What the dialogs bring when the user-interface library loads: the print,
// cancel and auto-search windows for the producer and the report, and the
// warning sound before a question.

#include "dialogs/auto_search_dialog.h"
#include "dialogs/cancel_dialog.h"
#include "dialogs/print_dialog.h"
#include "document/dialog_registry.h"

#include <QApplication>

namespace orvane {

namespace {

struct TDialogsModule {
    TDialogsModule()
    {
        RegisterDialogClass(QStringLiteral("TjxCustomPrintDialog"), TjxPrintDialog::StaticClass());
        RegisterDialogClass(QStringLiteral("TjxCustomCancelDialog"), TjxCancelDialog::StaticClass());
        RegisterDialogClass(QStringLiteral("TjxCustomAutoSearchDialog"), TjxAutoSearchDialog::StaticClass());
        SetBeepHandler([] {
            if (qobject_cast<QApplication*>(QCoreApplication::instance()))
                QApplication::beep();
        });
    }
    ~TDialogsModule()
    {
        SetBeepHandler(nullptr);
        UnregisterDialogClass(QStringLiteral("TjxCustomAutoSearchDialog"));
        UnregisterDialogClass(QStringLiteral("TjxCustomCancelDialog"));
        UnregisterDialogClass(QStringLiteral("TjxCustomPrintDialog"));
    }
};

const TDialogsModule s_dialogsModule;

} // namespace

} // namespace orvane
