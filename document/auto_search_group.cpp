#include "document/auto_search_group.h"

#include "document/class_registry.h"
#include "document/errors.h"

#include <algorithm>

namespace orvane {

namespace {

QString GroupDescriptionOf(const TComponent* object)
{
    if (!object)
        return {};
    const TPropInfo* p = object->ClassInfo().FindProperty(u"Description");
    if (!p || !p->getString)
        return {};
    return p->getString(*object);
}

int TabOrderOf(const TComponent* object)
{
    if (!object)
        return 0;
    const TPropInfo* p = object->ClassInfo().FindProperty(u"AutoSearchTabOrder");
    if (!p || !p->getOrdinal)
        return 0;
    return int(p->getOrdinal(*object));
}

} // namespace

// ---- group ------------------------------------------------------------------------

const TClassInfo& TjxAutoSearchGroup::StaticClass()
{
    using G = TjxAutoSearchGroup;
    static const TClassInfo info =
        TClassBuilder<G>("TjxAutoSearchGroup", &TjxRelative::StaticClass())
            .Creatable()
            .Prop("Description", StringType(), &G::Description, &G::SetDescription).NeverStored()
            .Prop("TabOrder", IntegerType(), &G::TabOrder, &G::SetTabOrder).NeverStored()
            .Build();
    return info;
}

ORVANE_REGISTER_CLASS(TjxAutoSearchGroup);

TjxAutoSearchGroup::TjxAutoSearchGroup(TComponent* owner) : TjxRelative(owner) {}

TjxAutoSearchGroup::~TjxAutoSearchGroup()
{
    if (m_groupingObject) {
        const TPropInfo* p = m_groupingObject->ClassInfo().FindProperty(u"AutoSearchTabOrder");
        if (p && p->setOrdinal && p->Kind() == tkInteger) {
            try {
                p->setOrdinal(*m_groupingObject, m_tabOrder);
            } catch (const EOrvaneError&) {
                // A grouping object that refuses the value keeps its own.
            }
        }
    }
    SetGroupingObject(nullptr);
}

void TjxAutoSearchGroup::SetGroupingObject(TComponent* object)
{
    if (object == m_groupingObject)
        return;
    if (m_groupingObject)
        RemoveFreeNotification(m_groupingObject);
    m_groupingObject = object;
    if (object)
        FreeNotification(object);
}

void TjxAutoSearchGroup::Notification(TComponent* component, TOperation operation)
{
    TjxRelative::Notification(component, operation);
    if (operation == opRemove && component == m_groupingObject)
        m_groupingObject = nullptr;
}

TjxAutoSearchField* TjxAutoSearchGroup::Fields(int index) const
{
    return dynamic_cast<TjxAutoSearchField*>(Child(index));
}

TjxAutoSearchField* TjxAutoSearchGroup::AddCopy(const TjxAutoSearchField& field)
{
    auto copy = std::make_unique<TjxAutoSearchField>(this);
    copy->Assign(&field);
    copy->SetDataPipelineName(field.DataPipelineName());
    copy->SetGroupingObject(field.GroupingObject());
    copy->SetParent(this);
    return copy.release();
}

// ---- groups ------------------------------------------------------------------------

const TClassInfo& TjxAutoSearchGroups::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxAutoSearchGroups>("TjxAutoSearchGroups", &TjxRelative::StaticClass()).Creatable().Build();
    return info;
}

ORVANE_REGISTER_CLASS(TjxAutoSearchGroups);

TjxAutoSearchGroups::TjxAutoSearchGroups(TComponent* owner) : TjxRelative(owner) {}

TjxAutoSearchGroups::~TjxAutoSearchGroups() = default;

TjxAutoSearchGroup* TjxAutoSearchGroups::Groups(int index) const
{
    return dynamic_cast<TjxAutoSearchGroup*>(Child(index));
}

TjxAutoSearchGroup* TjxAutoSearchGroups::FindGroup(const QString& description) const
{
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* g = Groups(i); g && g->Description() == description)
            return g;
    return nullptr;
}

TjxAutoSearchField* TjxAutoSearchGroups::AddField(const TjxAutoSearchField& field)
{
    TComponent* object = field.GroupingObject();
    const QString description = GroupDescriptionOf(object);
    TjxAutoSearchGroup* group = FindGroup(description);
    if (!group) {
        auto created = std::make_unique<TjxAutoSearchGroup>(this);
        created->SetDescription(description);
        created->SetTabOrder(TabOrderOf(object));
        created->SetGroupingObject(object);
        created->SetParent(this);
        group = created.release();
    }
    return group->AddCopy(field);
}

void TjxAutoSearchGroups::AddFields(const std::vector<TjxAutoSearchField*>& fields)
{
    for (const TjxAutoSearchField* field : fields)
        AddField(*field);
}

void TjxAutoSearchGroups::Clear()
{
    while (ChildCount() > 0)
        delete Child(ChildCount() - 1);
}

void TjxAutoSearchGroups::SortByTabOrder()
{
    std::vector<TjxAutoSearchGroup*> groups;
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* g = Groups(i))
            groups.push_back(g);
    auto key = [](const TjxAutoSearchGroup* g) { return QString::number(g->TabOrder()).rightJustified(8, u' '); };
    std::stable_sort(groups.begin(), groups.end(),
                     [&](const TjxAutoSearchGroup* a, const TjxAutoSearchGroup* b) { return key(a) < key(b); });
    for (int i = 0; i < int(groups.size()); ++i) {
        SetChildOrder(groups[size_t(i)], i);
        groups[size_t(i)]->SetTabOrder(i);
    }
}

void TjxAutoSearchGroups::ExchangeGroups(int a, int b)
{
    TjxAutoSearchGroup* first = Groups(a);
    TjxAutoSearchGroup* second = Groups(b);
    if (!first || !second || a == b)
        return;
    SetChildOrder(first, b);
    SetChildOrder(second, a);
    first->SetTabOrder(b);
    second->SetTabOrder(a);
}

} // namespace orvane
