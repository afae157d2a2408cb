#include "document/collection.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"

#include <algorithm>

namespace orvane {

const TClassInfo& TCollectionItem::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TCollectionItem>("TCollectionItem", &TPersistent::StaticClass()).Build();
    return info;
}

const TClassInfo& TCollection::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TCollection>("TCollection", &TPersistent::StaticClass()).Build();
    return info;
}

TCollectionItem::TCollectionItem(TCollection* collection)
{
    SetCollection(collection);
}

TCollectionItem::~TCollectionItem()
{
    SetCollection(nullptr);
}

void TCollectionItem::SetCollection(TCollection* collection)
{
    if (m_collection == collection)
        return;
    if (m_collection)
        m_collection->RemoveItem(this);
    if (collection)
        collection->InsertItem(this);
}

int TCollectionItem::Index() const
{
    if (!m_collection)
        return -1;
    const auto& items = m_collection->m_items;
    return int(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int index)
{
    const int current = Index();
    if (current < 0 || current == index || index < 0 || index >= m_collection->Count())
        return;
    auto& items = m_collection->m_items;
    items.erase(items.begin() + current);
    items.insert(items.begin() + index, this);
    Changed(true);
}

QString TCollectionItem::DisplayName() const
{
    return ClassName();
}

void TCollectionItem::Changed(bool allItems)
{
    if (m_collection && m_collection->m_updateCount == 0)
        m_collection->Update(allItems ? nullptr : this);
}

TCollection::TCollection(const TClassInfo& itemClass, TPersistent* owner)
    : m_itemClass(&itemClass), m_owner(owner)
{
}

TCollection::~TCollection()
{
    ++m_updateCount;  // no change notifications while going away
    Clear();
}

TCollectionItem* TCollection::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(MessageText(msg::ListIndexOutOfBounds, {QString::number(index)}));
    return m_items[size_t(index)];
}

TCollectionItem* TCollection::Add()
{
    if (!m_itemClass->createCollectionItem)
        throw EConvertError(MessageText(msg::CannotAssign, {m_itemClass->className, ClassName()}));
    auto* item = static_cast<TCollectionItem*>(m_itemClass->createCollectionItem(*this));
    return item;
}

TCollectionItem* TCollection::Insert(int index)
{
    TCollectionItem* item = Add();
    item->SetIndex(index);
    return item;
}

void TCollection::Delete(int index)
{
    delete Items(index);
}

void TCollection::Clear()
{
    if (m_items.empty())
        return;
    BeginUpdate();
    while (!m_items.empty())
        delete m_items.back();
    EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int id) const
{
    for (TCollectionItem* item : m_items)
        if (item->ID() == id)
            return item;
    return nullptr;
}

void TCollection::EndUpdate()
{
    if (m_updateCount > 0 && --m_updateCount == 0)
        Changed();
}

void TCollection::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TCollection*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    BeginUpdate();
    Clear();
    for (TCollectionItem* item : other->m_items)
        Add()->Assign(item);
    EndUpdate();
}

void TCollection::InsertItem(TCollectionItem* item)
{
    m_items.push_back(item);
    item->m_collection = this;
    item->m_id = m_nextId++;
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item)
{
    auto it = std::find(m_items.begin(), m_items.end(), item);
    if (it != m_items.end())
        m_items.erase(it);
    item->m_collection = nullptr;
    Changed();
}

void TCollection::Changed()
{
    if (m_updateCount == 0)
        Update(nullptr);
}

void TCollection::Update(TCollectionItem* item)
{
    if (OnUpdate)
        OnUpdate(item);
}

} // namespace orvane
