// The report's steps before printing: parameters, then the auto-search dialog.

#include "document/auto_search_dialog.h"
#include "document/auto_search_field.h"
#include "document/dialog_registry.h"
#include "document/event_ids.h"
#include "document/report.h"
#include "engine/engine.h"

namespace orvane {

void TjxReport::Print()
{
    // A handler that prints again from inside these steps would stack dialogs.
    if (m_beforePrinting)
        return;
    m_beforePrinting = true;
    bool proceed = false;
    try {
        TjxEventParams params{{QStringLiteral("aCancel"), false, true}};
        m_onInitializeParameters(this, params);
        SendEventNotify(ciReportInitializeParameters, &params);
        if (!params.Value(u"aCancel").toBool()) {
            m_autoSearchInPrint = true;
            proceed = DisplayAutoSearchDialog();
            const bool engineInitialised = HasEngine() && (Engine()->State() & esInitialized);
            if (proceed && AutoSearchFieldCount() > 0 && !engineInitialised)
                GetAutoSearchValues();
        }
    } catch (...) {
        FreeAutoSearchDialog();
        m_autoSearchInPrint = false;
        m_beforePrinting = false;
        throw;
    }
    FreeAutoSearchDialog();
    m_autoSearchInPrint = false;
    m_beforePrinting = false;
    if (proceed)
        TjxProducer::Print();
}

bool TjxReport::DisplayAutoSearchDialog()
{
    if (m_autoSearchDialog)
        return false;  // already open: the first one decides
    TjxEventParams params;
    m_beforeAutoSearchDialogCreate(this, params);
    SendEventNotify(ciReportBeforeAutoSearchDialogCreate);
    if (!m_showAutoSearchDialog)
        return true;
    const TClassInfo* cls = GetDialogClass(u"TjxCustomAutoSearchDialog");
    TComponent* created = cls && cls->createComponent ? cls->createComponent(nullptr) : nullptr;
    auto* dialog = dynamic_cast<TjxCustomAutoSearchDialog*>(created);
    if (!dialog) {
        // No window class: as with the dialog switched off.
        delete created;
        return true;
    }
    m_autoSearchDialog = dialog;
    dialog->OnDestroyHook = [this](TjxForm* form) {
        if (m_autoSearchDialog == form)
            m_autoSearchDialog = nullptr;
    };
    dialog->SetReport(this);
    dialog->SetLanguageIndex(LanguageIndex());
    m_afterAutoSearchDialogCreate(this, params);
    SendEventNotify(ciReportAfterAutoSearchDialogCreate);
    // Nothing to ask: the report prints as with the dialog switched off.
    bool accepted = true;
    if (!m_autoSearchFields.empty()) {
        dialog->SetAutoSearchFields(m_autoSearchFields);
        dialog->OnCloseHook = [this](TjxForm*) {
            TjxEventParams closeParams;
            m_onAutoSearchDialogClose(this, closeParams);
            SendEventNotify(ciReportAutoSearchDialogClose);
        };
        accepted = dialog->ShowModal() == mrOK;
        if (accepted && m_autoSearchDialog) {
            m_autoSearchDialog->ApplyToFields();
            ResetRun();
            if (!m_autoSearchInPrint)
                GetAutoSearchValues();
        }
    }
    if (!m_autoSearchInPrint)
        FreeAutoSearchDialog();
    return accepted;
}

void TjxReport::GetAutoSearchValues()
{
    TjxEventParams params;
    m_onGetAutoSearchValues(this, params);
    SendEventNotify(ciReportGetAutoSearchValues);
}

void TjxReport::FreeAutoSearchDialog()
{
    if (TjxCustomAutoSearchDialog* dialog = m_autoSearchDialog) {
        m_autoSearchDialog = nullptr;
        dialog->ClearHooks();
        dialog->OnCloseHook = nullptr;
        delete dialog;
    }
}

} // namespace orvane
