#pragma once

#include "document/communicator.h"

namespace orvane {

// A communicator in a parent/children tree: a report holds its bands and
// groups, a band its components. Children stream in the order of this tree.
class TjxRelative : public TjxCommunicator {
    ORVANE_CLASS(TjxRelative, TjxCommunicator)
public:
    explicit TjxRelative(TComponent* owner = nullptr);
    ~TjxRelative() override;

    TjxRelative* Parent() const { return m_parent; }
    virtual void SetParent(TjxRelative* parent);
    virtual int ChildCount() const { return int(m_children.size()); }
    virtual TjxRelative* Child(int index) const;
    virtual void GetExtraChildren(const TGetChildProc& proc) const {}
    virtual void AddChild(TjxRelative* child);
    virtual void InsertChild(int index, TjxRelative* child);
    virtual int IndexOfChild(const TjxRelative* child) const;
    virtual void RemoveChild(TjxRelative* child);
    virtual void TakeOverChildren(TjxRelative* other);
    virtual void ChildrenChanged() {}

    // Index among the parent's children; while a stream is read, the value read.
    int Position() const;
    void SetPosition(int value);
    int ChildType() const { return m_childType; }
    void SetChildType(int value) { m_childType = value; }
    bool OrderedChildren() const { return m_orderedChildren; }
    void SetOrderedChildren(bool value) { m_orderedChildren = value; }
    bool FreeingChildren() const { return m_freeingChildren; }
    const QString& KeyPropertyName() const { return m_keyPropertyName; }
    void SetKeyPropertyName(const QString& value) { m_keyPropertyName = value; }

    void Modified() override;
    void ChangeOwner(TComponent* newOwner) override;
    // Brings an object read from an older stream up to date (the version as a number, 9.01 = 9010).
    virtual void ConvertVersion(int version) {}

    void GetChildren(const TGetChildProc& proc, TComponent* root) const override;
    bool HasParent() const override { return m_parent != nullptr; }
    TComponent* GetParentComponent() const override { return m_parent; }
    void SetParentComponent(TComponent* parent) override;
    void SetChildOrder(TComponent* child, int order) override;
    void AfterReadRecord() override;

protected:
    TjxCommunicator* ParentCommunicator() const override { return m_parent; }

private:
    void ReadChildType(TReader& reader);

    TjxRelative* m_parent = nullptr;
    std::vector<TjxRelative*> m_children;
    int m_childType = 0;
    int m_readPosition = -1;
    bool m_orderedChildren = false;
    bool m_freeingChildren = false;
    QString m_keyPropertyName;
};

} // namespace orvane
