#pragma once

#include "document/persistent.h"

#include <vector>

namespace orvane {

class TCollection;

// An item of a collection; it belongs to its collection, which destroys it.
class TCollectionItem : public TPersistent {
    ORVANE_CLASS(TCollectionItem, TPersistent)
public:
    explicit TCollectionItem(TCollection* collection);
    ~TCollectionItem() override;

    TCollection* Collection() const { return m_collection; }
    void SetCollection(TCollection* collection);
    int Index() const;
    void SetIndex(int index);
    int ID() const { return m_id; }
    virtual QString DisplayName() const;

protected:
    // Tells the collection that this item (or, with allItems, every item) changed.
    void Changed(bool allItems);

private:
    friend class TCollection;
    TCollection* m_collection = nullptr;
    int m_id = 0;
};

// An ordered, owned list of items of one class, streamed as a collection value.
class TCollection : public TPersistent {
    ORVANE_CLASS(TCollection, TPersistent)
public:
    explicit TCollection(const TClassInfo& itemClass, TPersistent* owner = nullptr);
    ~TCollection() override;
    TCollection* AsCollection() const override { return const_cast<TCollection*>(this); }

    const TClassInfo& ItemClass() const { return *m_itemClass; }
    TPersistent* Owner() const { return m_owner; }
    int Count() const { return int(m_items.size()); }
    TCollectionItem* Items(int index) const;
    TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();
    TCollectionItem* FindItemID(int id) const;

    void BeginUpdate() { ++m_updateCount; }
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }

    void Assign(const TPersistent* source) override;

    // Called when an item, or with nullptr the whole collection, changed.
    std::function<void(TCollectionItem*)> OnUpdate;

protected:
    virtual void Update(TCollectionItem* item);

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);
    void Changed();

    const TClassInfo* m_itemClass;
    TPersistent* m_owner;
    std::vector<TCollectionItem*> m_items;
    int m_nextId = 0;
    int m_updateCount = 0;
};

} // namespace orvane
