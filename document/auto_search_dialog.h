#pragma once

// The auto-search dialog as the report sees it: the report hands it its
// fields, the dialog works on copies grouped by grouping object, and on OK
// the accepted values go back to the report's fields. The window is a class
// of the user-interface library registered for "TjxCustomAutoSearchDialog".

#include "document/auto_search_group.h"
#include "document/form.h"

#include <memory>
#include <vector>

namespace orvane {

class TjxAutoSearchField;

class TjxCustomAutoSearchDialog : public TjxForm {
    ORVANE_CLASS(TjxCustomAutoSearchDialog, TjxForm)
public:
    explicit TjxCustomAutoSearchDialog(TComponent* owner = nullptr);
    ~TjxCustomAutoSearchDialog() override;

    // Copies the fields into groups (one per grouping object, in first-seen order).
    void SetAutoSearchFields(const std::vector<TjxAutoSearchField*>& fields);
    TjxAutoSearchGroups* Groups() const { return m_groups.get(); }
    bool HasMandatoryField() const;

    // Called when the dialog closes (OnAutoSearchDialogClose, event 11).
    TjxFormEvent OnCloseHook;

    // The values the user accepted, written into the report's own fields
    // (the application reads them there in OnGetAutoSearchValues).
    void ApplyToFields() const;

protected:
    void DoClose();

private:
    std::unique_ptr<TjxAutoSearchGroups> m_groups;
    // Each copy with the report's field it was made from.
    std::vector<std::pair<TjxAutoSearchField*, TjxAutoSearchField*>> m_copies;
};

} // namespace orvane
