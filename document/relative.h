#pragma once

#include "document/communicator.h"

#include <memory>

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

    // The top of the tree this object is in (the object itself without a parent).
    TjxRelative* Root() const;
    // The user names below the root of this tree. Objects are looked up by
    // their stored user name; those that derive theirs (bands, reports inside
    // subreports) are compared one by one.
    // Built when first asked for and kept up to date through renames,
    // reparenting and destruction from then on.
    // Offers the holders of `name` to `match`; true once one in place was found.
    bool FindUserNameInTree(const QString& name, TUserNameMatch& match) const;
    // The lowest number no user name of the stem in the tree ends in (the
    // asker's own counts as free), and the lowest free one from `from` on.
    int LowestFreeUserNumberInTree(QStringView stem, const TjxCommunicator* asking) const;
    int FreeUserNumberInTree(QStringView stem, int from) const;

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
    void UserNameStored() override;
    // Drops the names index of this root before its tree is taken apart
    // wholesale; the next look-up builds it again.
    void DropTreeNames();
    // Takes a child made just now, in no parent's list yet, without the
    // duplicate search of AddChild (trees of many thousand children).
    void AdoptNewChild(TjxRelative* child);

private:
    struct TTreeNames;
    TTreeNames& TreeNames() const;
    // This object and everything below it enter or leave the index of a tree.
    void EnterTree(TTreeNames& names);
    void LeaveTree(TTreeNames& names);
    // Called once m_parent was set or cleared.
    void JoinedParent();
    void LeftParent(TjxRelative* formerParent);
    // Leaves the current parent, if any, telling both sides.
    void DetachFromParent();
    void ReadChildType(TReader& reader);

    TjxRelative* m_parent = nullptr;
    std::vector<TjxRelative*> m_children;
    int m_childType = 0;
    int m_readPosition = -1;
    bool m_orderedChildren = false;
    bool m_freeingChildren = false;
    QString m_keyPropertyName;
    // Only at a root, once somebody looked a name up in the tree.
    mutable std::unique_ptr<TTreeNames> m_treeNames;
};

} // namespace orvane
