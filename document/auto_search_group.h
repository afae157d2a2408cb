#pragma once

// The auto-search dialog's working copies: one group per grouping object,
// each holding copies of that object's fields. Never streamed.

#include "document/auto_search_field.h"

namespace orvane {

class TjxAutoSearchGroup : public TjxRelative {
    ORVANE_CLASS(TjxAutoSearchGroup, TjxRelative)
public:
    explicit TjxAutoSearchGroup(TComponent* owner = nullptr);
    // Writes TabOrder back to the grouping object's AutoSearchTabOrder.
    ~TjxAutoSearchGroup() override;

    QString Description() const { return m_description; }
    void SetDescription(const QString& v) { m_description = v; }
    int TabOrder() const { return m_tabOrder; }
    void SetTabOrder(int v) { m_tabOrder = v; }

    TComponent* GroupingObject() const { return m_groupingObject; }
    void SetGroupingObject(TComponent* object);

    int FieldCount() const { return ChildCount(); }
    TjxAutoSearchField* Fields(int index) const;
    // A copy of the field (Assign), owned and parented by the group.
    TjxAutoSearchField* AddCopy(const TjxAutoSearchField& field);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    QString m_description;
    int m_tabOrder = 0;
    TComponent* m_groupingObject = nullptr;
};

class TjxAutoSearchGroups : public TjxRelative {
    ORVANE_CLASS(TjxAutoSearchGroups, TjxRelative)
public:
    explicit TjxAutoSearchGroups(TComponent* owner = nullptr);
    ~TjxAutoSearchGroups() override;

    int GroupCount() const { return ChildCount(); }
    TjxAutoSearchGroup* Groups(int index) const;
    // The group of exactly this description, or null.
    TjxAutoSearchGroup* FindGroup(const QString& description) const;

    // Copies the field into the group named by its grouping object's
    // Description (empty without one), creating groups in first-seen order;
    // a new group's TabOrder is the object's AutoSearchTabOrder (0 without one).
    TjxAutoSearchField* AddField(const TjxAutoSearchField& field);
    void AddFields(const std::vector<TjxAutoSearchField*>& fields);
    void Clear();

    // Tab order of the dialog's pages: by TabOrder as text right-aligned in
    // eight characters (so 0 sorts before -1), stable; then each group's
    // TabOrder becomes its index.
    void SortByTabOrder();
    // Swaps two neighbouring tabs and writes the new indexes into TabOrder.
    void ExchangeGroups(int a, int b);
};

} // namespace orvane
