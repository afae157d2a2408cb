#include "document/relative.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/stream_reader.h"
#include "document/user_name_index.h"

#include <algorithm>

namespace orvane {

const TClassInfo& TjxRelative::StaticClass()
{
    // "ChildType" is a legacy value: read when a class does not publish it, never written.
    static const TClassInfo info =
        TClassBuilder<TjxRelative>("TjxRelative", &TjxCommunicator::StaticClass())
            .Defined("ChildType", &TjxRelative::ReadChildType, nullptr, [](const TjxRelative&) { return false; })
            .Build();
    return info;
}

struct TjxRelative::TTreeNames {
    TUserNameIndex named;                 // objects by their stored user name
    std::vector<TjxRelative*> derived;    // objects that derive theirs (bands, reports)
};

TjxRelative::TjxRelative(TComponent* owner) : TjxCommunicator(owner) {}

TjxRelative::~TjxRelative()
{
    SetStateFlags(csDestroying);
    SetParent(nullptr);
    // Nobody looks names up in a tree that goes away.
    m_treeNames.reset();
    m_freeingChildren = true;
    while (!m_children.empty()) {
        TjxRelative* child = m_children.back();
        delete child;  // takes itself out of the list
        if (!m_children.empty() && m_children.back() == child)
            m_children.pop_back();
    }
    m_freeingChildren = false;
}

void TjxRelative::ReadChildType(TReader& reader)
{
    m_childType = int(reader.ReadInteger());
}

TjxRelative* TjxRelative::Child(int index) const
{
    if (index < 0 || index >= int(m_children.size()))
        throw EListError(MessageText(msg::ListIndexOutOfBounds, {QString::number(index)}));
    return m_children[size_t(index)];
}

void TjxRelative::DetachFromParent()
{
    if (TjxRelative* old = m_parent) {
        old->RemoveChild(this);
        if (m_parent == old) {
            // A parent whose list did not hold us: leave it all the same.
            m_parent = nullptr;
            LeftParent(old);
        }
    }
}

void TjxRelative::SetParent(TjxRelative* parent)
{
    if (parent == m_parent)
        return;
    DetachFromParent();
    m_parent = parent;
    if (parent) {
        JoinedParent();
        parent->AddChild(this);
    }
}

void TjxRelative::AddChild(TjxRelative* child)
{
    if (!child)
        return;
    if (child->m_parent != this) {
        child->SetParent(this);
        return;
    }
    if (IndexOfChild(child) < 0)
        m_children.push_back(child);
}

void TjxRelative::InsertChild(int index, TjxRelative* child)
{
    if (!child)
        return;
    if (child->m_parent != this) {
        child->DetachFromParent();
        child->m_parent = this;
        child->JoinedParent();
    } else {
        m_children.erase(std::remove(m_children.begin(), m_children.end(), child), m_children.end());
    }
    index = std::clamp(index, 0, int(m_children.size()));
    m_children.insert(m_children.begin() + index, child);
}

int TjxRelative::IndexOfChild(const TjxRelative* child) const
{
    auto it = std::find(m_children.begin(), m_children.end(), child);
    return it == m_children.end() ? -1 : int(it - m_children.begin());
}

void TjxRelative::RemoveChild(TjxRelative* child)
{
    // Children mostly leave last first (destruction, undoing an insert): look from the end.
    auto it = std::find(m_children.rbegin(), m_children.rend(), child);
    if (it == m_children.rend())
        return;
    m_children.erase(std::next(it).base());
    if (child->m_parent == this) {
        child->m_parent = nullptr;
        child->LeftParent(this);
    }
}

// ---- user names of the tree ----

TjxRelative* TjxRelative::Root() const
{
    const TjxRelative* node = this;
    while (node->m_parent)
        node = node->m_parent;
    return const_cast<TjxRelative*>(node);
}

TjxRelative::TTreeNames& TjxRelative::TreeNames() const
{
    if (!m_treeNames) {
        m_treeNames = std::make_unique<TTreeNames>();
        for (TjxRelative* child : m_children)
            child->EnterTree(*m_treeNames);
    }
    return *m_treeNames;
}

void TjxRelative::EnterTree(TTreeNames& names)
{
    std::vector<TjxRelative*> pending{this};
    while (!pending.empty()) {
        TjxRelative* node = pending.back();
        pending.pop_back();
        if (node->HasDerivedUserName())
            names.derived.push_back(node);
        else
            names.named.Set(node, node->StoredUserName());
        pending.insert(pending.end(), node->m_children.begin(), node->m_children.end());
    }
}

void TjxRelative::LeaveTree(TTreeNames& names)
{
    // Only pointers are compared: this may run while the objects are destroyed.
    std::vector<TjxRelative*> pending{this};
    while (!pending.empty()) {
        TjxRelative* node = pending.back();
        pending.pop_back();
        names.named.Remove(node);
        auto it = std::find(names.derived.begin(), names.derived.end(), node);
        if (it != names.derived.end())
            names.derived.erase(it);
        pending.insert(pending.end(), node->m_children.begin(), node->m_children.end());
    }
}

void TjxRelative::AdoptNewChild(TjxRelative* child)
{
    if (!child || child->m_parent)
        return AddChild(child);
    child->m_parent = this;
    child->JoinedParent();
    m_children.push_back(child);
}

void TjxRelative::JoinedParent()
{
    // No longer a root: the tree above keeps the names now.
    m_treeNames.reset();
    const TjxRelative* root = Root();
    if (root->m_treeNames)
        EnterTree(*root->m_treeNames);
}

void TjxRelative::LeftParent(TjxRelative* formerParent)
{
    const TjxRelative* root = formerParent->Root();
    if (root->m_treeNames)
        LeaveTree(*root->m_treeNames);
}

void TjxRelative::DropTreeNames()
{
    m_treeNames.reset();
}

void TjxRelative::UserNameStored()
{
    const TjxRelative* root = Root();
    if (root != this && root->m_treeNames && !HasDerivedUserName())
        root->m_treeNames->named.Set(this, StoredUserName());
}

bool TjxRelative::FindUserNameInTree(const QString& name, TUserNameMatch& match) const
{
    const TTreeNames& names = Root()->TreeNames();
    for (TjxRelative* node : names.derived)
        if (node->GetUserName().compare(name, Qt::CaseInsensitive) == 0 && match.Offer(node))
            return true;
    for (TComponent* c : names.named.Find(name))
        if (match.Offer(static_cast<TjxRelative*>(c)))
            return true;
    return false;
}

int TjxRelative::LowestFreeUserNumberInTree(QStringView stem, const TjxCommunicator* asking) const
{
    return Root()->TreeNames().named.LowestFreeNumber(stem, asking);
}

int TjxRelative::FreeUserNumberInTree(QStringView stem, int from) const
{
    return Root()->TreeNames().named.FreeNumberFrom(stem, from);
}

int TjxRelative::Position() const
{
    if (HasState(csReading))
        return m_readPosition;
    return m_parent ? m_parent->IndexOfChild(this) : -1;
}

void TjxRelative::SetPosition(int value)
{
    if (HasState(csReading)) {
        m_readPosition = value;
        return;
    }
    if (!m_parent)
        return;
    value = std::clamp(value, 0, std::max(0, m_parent->ChildCount() - 1));
    TjxRelative* parent = m_parent;
    const bool moved = value != parent->IndexOfChild(this);
    if (moved) {
        parent->RemoveChild(this);
        parent->InsertChild(value, this);
    }
    Modified();
    if (moved)
        parent->NotifyDesigner(dnChildChanged, kDesignerNotifyCode, this);
}

void TjxRelative::TakeOverChildren(TjxRelative* other)
{
    m_orderedChildren = other->m_orderedChildren;
    SetParent(other->m_parent);
    m_freeingChildren = true;
    while (!m_children.empty())
        delete m_children.back();
    m_freeingChildren = false;
    const std::vector<TjxRelative*> moving = other->m_children;
    for (TjxRelative* child : moving) {
        child->SetParent(this);
        if (other->Owner() && child->Owner() == other->Owner() && Owner() != other->Owner())
            child->ChangeOwner(Owner());
    }
}

void TjxRelative::Modified()
{
    TjxCommunicator::Modified();
    if (m_parent)
        m_parent->Modified();
    ChildrenChanged();
}

void TjxRelative::ChangeOwner(TComponent* newOwner)
{
    TComponent* const oldOwner = Owner();
    TjxCommunicator::ChangeOwner(newOwner);
    if (!oldOwner || oldOwner == newOwner)
        return;
    const std::vector<TjxRelative*> children = m_children;
    for (TjxRelative* child : children)
        if (child->Owner() == oldOwner)
            child->ChangeOwner(newOwner);
}

void TjxRelative::GetChildren(const TGetChildProc& proc, TComponent*) const
{
    const std::vector<TjxRelative*> children = m_children;
    // A child that names another parent (a component inside a region) is streamed by that parent.
    for (TjxRelative* child : children)
        if (child->GetParentComponent() == this)
            proc(child);
    GetExtraChildren(proc);
}

void TjxRelative::SetParentComponent(TComponent* parent)
{
    if (auto* relative = dynamic_cast<TjxRelative*>(parent))
        SetParent(relative);
}

void TjxRelative::SetChildOrder(TComponent* child, int order)
{
    auto* relative = dynamic_cast<TjxRelative*>(child);
    if (!relative || relative->m_parent != this)
        return;
    order = std::clamp(order, 0, std::max(0, ChildCount() - 1));
    m_children.erase(std::remove(m_children.begin(), m_children.end(), relative), m_children.end());
    m_children.insert(m_children.begin() + order, relative);
}

void TjxRelative::AfterReadRecord()
{
    if (!m_orderedChildren)
        return;
    // Put every child whose stored position is in range at that index.
    const int count = ChildCount();
    std::vector<TjxRelative*> placed(size_t(count), nullptr);
    for (TjxRelative* child : m_children) {
        const int pos = child->m_readPosition;
        if (pos >= 0 && pos < count)
            placed[size_t(pos)] = child;
    }
    for (int i = 0; i < count; ++i) {
        TjxRelative* child = placed[size_t(i)];
        if (!child || IndexOfChild(child) == i)
            continue;
        m_children.erase(std::remove(m_children.begin(), m_children.end(), child), m_children.end());
        m_children.insert(m_children.begin() + std::min(i, int(m_children.size())), child);
    }
}

} // namespace orvane
