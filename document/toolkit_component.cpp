#include "document/toolkit_component.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/global_fixups.h"
#include "document/user_name_index.h"

#include <algorithm>

namespace orvane {

const TClassInfo& TComponent::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TComponent>("TComponent", &TPersistent::StaticClass())
            .Component()
            .Prop("Name", StringType(), &TComponent::Name, &TComponent::SetName).NeverStored()
            .Prop("Tag", IntegerType(), &TComponent::Tag, &TComponent::SetTag).Default(0)
            .Build();
    return info;
}

std::shared_mutex& ComponentNameLock()
{
    static std::shared_mutex lock;
    return lock;
}

namespace {
thread_local int t_nameLockDepth = 0;
}

TComponentNameWriteGuard::TComponentNameWriteGuard()
{
    if (t_nameLockDepth == 0)
        ComponentNameLock().lock();
    ++t_nameLockDepth;
}

TComponentNameWriteGuard::~TComponentNameWriteGuard()
{
    if (--t_nameLockDepth == 0)
        ComponentNameLock().unlock();
}

bool IsValidIdent(QStringView ident)
{
    if (ident.isEmpty())
        return false;
    auto alpha = [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_'; };
    if (!alpha(ident[0]))
        return false;
    for (QChar c : ident.mid(1))
        if (!alpha(c) && !(c >= u'0' && c <= u'9'))
            return false;
    return true;
}

TComponent::TComponent(TComponent* owner)
{
    if (owner)
        owner->InsertComponent(this);
}

namespace {
thread_local TDestructionObserver* t_observers = nullptr;
}

TDestructionObserver::TDestructionObserver() : m_previous(t_observers) { t_observers = this; }

TDestructionObserver::~TDestructionObserver()
{
    // Observers come and go in stack order on one thread.
    TDestructionObserver** link = &t_observers;
    while (*link && *link != this)
        link = &(*link)->m_previous;
    if (*link)
        *link = m_previous;
}

TComponent::~TComponent()
{
    for (TDestructionObserver* o = t_observers; o; o = o->m_previous)
        o->ComponentDestroyed(this);
    m_state |= csDestroying;
    FreeNotifyPartners();
    m_ownedUserNames.reset();
    DestroyComponents();
    GlobalFixups().Forget(this);
    if (m_owner)
        m_owner->RemoveComponent(this);
}

void TComponent::FreeNotifyPartners()
{
    while (!m_freeNotifies.empty()) {
        TComponent* partner = m_freeNotifies.back();
        m_freeNotifies.pop_back();
        auto& theirs = partner->m_freeNotifies;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        partner->Notification(this, opRemove);
    }
}

void TComponent::DestroyComponents()
{
    // Destroyed last to first; each one takes itself out of the list.
    while (!m_components.empty()) {
        TComponent* c = m_components.back();
        Remove(c);
        delete c;
    }
}

int TComponent::ComponentIndex() const
{
    if (!m_owner)
        return -1;
    const auto& list = m_owner->m_components;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : int(it - list.begin());
}

TComponent* TComponent::FindComponent(QStringView name) const
{
    if (name.isEmpty())
        return nullptr;
    return m_nameIndex.value(name.toString().toLower(), nullptr);
}

void TComponent::InsertComponent(TComponent* component)
{
    if (!component->m_name.isEmpty())
        ValidateRename(component, QString(), component->m_name);
    if (component->m_owner)
        component->m_owner->RemoveComponent(component);
    Insert(component);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    Notification(component, opRemove);
    Remove(component);
}

void TComponent::Insert(TComponent* component)
{
    m_components.push_back(component);
    component->m_owner = this;
    if (!component->m_name.isEmpty())
        m_nameIndex.insert(component->m_name.toLower(), component);
    if (m_ownedUserNames)
        m_ownedUserNames->Set(component, component->IndexedUserName());
}

void TComponent::Remove(TComponent* component)
{
    // Components leave mostly last first (destruction, undoing an insert): look from the end.
    auto rit = std::find(m_components.rbegin(), m_components.rend(), component);
    if (rit == m_components.rend())
        return;
    m_components.erase(std::next(rit).base());
    if (m_ownedUserNames)
        m_ownedUserNames->Remove(component);
    if (!component->m_name.isEmpty()) {
        auto ni = m_nameIndex.find(component->m_name.toLower());
        if (ni != m_nameIndex.end() && *ni == component)
            m_nameIndex.erase(ni);
    }
    component->m_owner = nullptr;
}

const TUserNameIndex& TComponent::OwnedUserNames() const
{
    if (!m_ownedUserNames) {
        m_ownedUserNames = std::make_unique<TUserNameIndex>();
        for (TComponent* c : m_components)
            m_ownedUserNames->Set(c, c->IndexedUserName());
    }
    return *m_ownedUserNames;
}

void TComponent::OwnedUserNameChanged(TComponent* component)
{
    if (m_ownedUserNames && component->m_owner == this)
        m_ownedUserNames->Set(component, component->IndexedUserName());
}

void TComponent::IndexName(TComponent* component, const QString& oldName)
{
    if (!oldName.isEmpty()) {
        auto ni = m_nameIndex.find(oldName.toLower());
        if (ni != m_nameIndex.end() && *ni == component)
            m_nameIndex.erase(ni);
    }
    if (!component->m_name.isEmpty())
        m_nameIndex.insert(component->m_name.toLower(), component);
}

void TComponent::ValidateRename(TComponent* component, const QString& curName, const QString& newName)
{
    if (curName.compare(newName, Qt::CaseInsensitive) == 0)
        return;
    TComponent* other = FindComponent(newName);
    if (other && other != component)
        throw EComponentError(MessageText(msg::ComponentNameExists, {newName}));
}

void TComponent::SetName(const QString& newName)
{
    if (m_name == newName)
        return;
    if (!newName.isEmpty() && !IsValidIdent(newName))
        throw EComponentError(MessageText(msg::InvalidComponentName, {newName}));
    if (m_owner)
        m_owner->ValidateRename(this, m_name, newName);
    ChangeName(newName);
}

void TComponent::ChangeName(const QString& newName)
{
    const QString oldName = m_name;
    m_name = newName;
    if (m_owner)
        m_owner->IndexName(this, oldName);
    else if (!newName.isEmpty())
        GlobalFixups().NameChanged(this);
}

void TComponent::SetDesigning(bool value, bool setChildren)
{
    value ? m_state |= csDesigning : m_state &= ~csDesigning;
    if (setChildren)
        for (TComponent* c : m_components)
            c->SetDesigning(value, true);
}

void TComponent::FreeNotification(TComponent* component)
{
    if (!component || component == this)
        return;
    if (std::find(m_freeNotifies.begin(), m_freeNotifies.end(), component) == m_freeNotifies.end())
        m_freeNotifies.push_back(component);
    auto& theirs = component->m_freeNotifies;
    if (std::find(theirs.begin(), theirs.end(), this) == theirs.end())
        theirs.push_back(this);
    m_state |= csFreeNotification;
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    if (!component)
        return;
    m_freeNotifies.erase(std::remove(m_freeNotifies.begin(), m_freeNotifies.end(), component), m_freeNotifies.end());
    auto& theirs = component->m_freeNotifies;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::GetChildren(const TGetChildProc&, TComponent*) const {}

TComponent* TComponent::GetChildOwner() { return nullptr; }

TComponent* TComponent::GetChildParent() { return this; }

TMethodCode TComponent::MethodAddress(QStringView name)
{
    const TPublishedMethod* m = ClassInfo().FindMethod(name);
    return m ? m->bind(*this) : TMethodCode();
}

QString TComponent::MethodName(const TMethod& method) const
{
    if (method.data != this || method.name.isEmpty())
        return {};
    const TPublishedMethod* m = ClassInfo().FindMethod(method.name);
    return m ? m->name : QString();
}

void TComponent::Loaded()
{
    m_state &= ~(csLoading | csReading);
}

} // namespace orvane
