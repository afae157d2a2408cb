#include "document/relative.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/stream_reader.h"

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

TjxRelative::TjxRelative(TComponent* owner) : TjxCommunicator(owner) {}

TjxRelative::~TjxRelative()
{
    SetStateFlags(csDestroying);
    SetParent(nullptr);
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

void TjxRelative::SetParent(TjxRelative* parent)
{
    if (parent == m_parent)
        return;
    if (m_parent)
        m_parent->RemoveChild(this);
    m_parent = parent;
    if (parent)
        parent->AddChild(this);
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
        if (child->m_parent)
            child->m_parent->RemoveChild(child);
        child->m_parent = this;
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
    auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it == m_children.end())
        return;
    m_children.erase(it);
    if (child->m_parent == this)
        child->m_parent = nullptr;
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
    if (value != m_parent->IndexOfChild(this)) {
        TjxRelative* parent = m_parent;
        parent->RemoveChild(this);
        parent->InsertChild(value, this);
    }
    Modified();
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
