#include "document/auto_search_dialog.h"

#include "document/auto_search_field.h"


namespace orvane {

const TClassInfo& TjxCustomAutoSearchDialog::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxCustomAutoSearchDialog>("TjxCustomAutoSearchDialog", &TjxForm::StaticClass()).Build();
    return info;
}

TjxCustomAutoSearchDialog::TjxCustomAutoSearchDialog(TComponent* owner)
    : TjxForm(owner), m_groups(std::make_unique<TjxAutoSearchGroups>())
{
}

TjxCustomAutoSearchDialog::~TjxCustomAutoSearchDialog()
{
    m_copies.clear();
    m_groups.reset();
}

void TjxCustomAutoSearchDialog::SetAutoSearchFields(const std::vector<TjxAutoSearchField*>& fields)
{
    m_copies.clear();
    m_groups->Clear();
    for (TjxAutoSearchField* field : fields)
        if (field)
            m_copies.emplace_back(m_groups->AddField(*field), field);
}

bool TjxCustomAutoSearchDialog::HasMandatoryField() const
{
    for (const auto& [copy, original] : m_copies)
        if (copy->Mandatory())
            return true;
    return false;
}

void TjxCustomAutoSearchDialog::ApplyToFields() const
{
    for (const auto& [copy, original] : m_copies) {
        original->SetShowAllValues(copy->ShowAllValues());
        original->SetSearchExpression(copy->SearchExpression());
    }
}

void TjxCustomAutoSearchDialog::DoClose()
{
    if (OnCloseHook)
        OnCloseHook(this);
}

} // namespace orvane
