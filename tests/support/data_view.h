#pragma once

// A data-access component that groups auto-search fields, as data views do:
// its description names the group's tab, AutoSearchTabOrder places the tab.

#include "document/property_info.h"
#include "document/toolkit_component.h"

namespace orvane::test {

class TTestDataView : public TComponent {
    ORVANE_CLASS(TTestDataView, TComponent)
public:
    explicit TTestDataView(TComponent* owner = nullptr) : TComponent(owner) {}
    TTestDataView(const QString& description, int tabOrder) : m_description(description), m_tabOrder(tabOrder) {}
    QString Description() const { return m_description; }
    void SetDescription(const QString& v) { m_description = v; }
    int AutoSearchTabOrder() const { return m_tabOrder; }
    void SetAutoSearchTabOrder(int v) { m_tabOrder = v; }

private:
    QString m_description;
    int m_tabOrder = 0;
};

inline const TClassInfo& TTestDataView::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TTestDataView>("TTestDataView", &TComponent::StaticClass())
            .Prop("Description", StringType(), &TTestDataView::Description, &TTestDataView::SetDescription)
            .Prop("AutoSearchTabOrder", IntegerType(), &TTestDataView::AutoSearchTabOrder,
                  &TTestDataView::SetAutoSearchTabOrder)
            .Build();
    return info;
}

} // namespace orvane::test
