#include "document/communicator.h"

#include "document/class_registry.h"
#include "document/user_name_index.h"

#include <algorithm>

namespace orvane {

const TClassInfo& TjxCommunicator::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxCommunicator>("TjxCommunicator", &TComponent::StaticClass()).Build();
    return info;
}

int LowestFreeNumber(std::vector<int> numbers)
{
    std::sort(numbers.begin(), numbers.end());
    int k = 1;
    for (int n : numbers) {
        if (n != k)
            return k;
        ++k;
    }
    return int(numbers.size()) + 1;
}

int NumberAfterStem(QStringView name, QStringView stem, Qt::CaseSensitivity cs)
{
    if (name.size() <= stem.size() || !name.startsWith(stem, cs))
        return 0;
    const QStringView digits = name.mid(stem.size());
    if (digits.size() > 9)
        return 0;
    int value = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return 0;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

TjxCommunicator::TjxCommunicator(TComponent* owner) : TComponent(owner) {}

TjxCommunicator::~TjxCommunicator()
{
    SendNotify(ntDestroying);
    // Partners that kept a link (an override that did not forget us) lose it now.
    while (m_notifyList && !m_notifyList->empty()) {
        TjxCommunicator* partner = m_notifyList->back();
        m_notifyList->pop_back();
        Erase(partner->m_notifyList, this);
        Erase(partner->m_eventNotifyList, this);
    }
    m_notifyList.reset();
    if (m_eventNotifyList)
        for (TjxCommunicator* listener : *m_eventNotifyList)
            Erase(listener->m_notifyList, this);
    m_eventNotifyList.reset();
}

void TjxCommunicator::Erase(std::unique_ptr<List>& list, TjxCommunicator* item)
{
    if (!list)
        return;
    list->erase(std::remove(list->begin(), list->end(), item), list->end());
    if (list->empty())
        list.reset();
}

// ---- notify links -------------------------------------------------------

void TjxCommunicator::AddNotify(TjxCommunicator* other)
{
    if (!other || other == this)
        return;
    if (!m_notifyList)
        m_notifyList = std::make_unique<List>();
    if (std::find(m_notifyList->begin(), m_notifyList->end(), other) != m_notifyList->end())
        return;
    m_notifyList->push_back(other);
    other->AddNotify(this);
}

void TjxCommunicator::RemoveNotify(TjxCommunicator* other)
{
    if (!m_notifyList || !other)
        return;
    auto it = std::find(m_notifyList->begin(), m_notifyList->end(), other);
    if (it == m_notifyList->end())
        return;
    m_notifyList->erase(it);
    if (m_notifyList->empty())
        m_notifyList.reset();
    other->RemoveNotify(this);
}

void TjxCommunicator::SendNotify(int operation)
{
    // From the last partner to the first; partners may unlink during the call.
    size_t i = NotifyCount();
    while (i > 0 && m_notifyList) {
        --i;
        if (i >= m_notifyList->size()) {
            i = m_notifyList->size();
            continue;
        }
        (*m_notifyList)[i]->Notify(this, operation);
    }
}

void TjxCommunicator::Notify(TjxCommunicator* sender, int operation)
{
    if (operation == ntDestroying) {
        Erase(m_notifyList, sender);
        Erase(m_eventNotifyList, sender);
    }
    if (OnNotify)
        OnNotify(sender, operation);
}

// ---- event channel ------------------------------------------------------

void TjxCommunicator::AddEventNotify(TjxCommunicator* listener)
{
    if (!listener)
        return;
    if (!m_eventNotifyList)
        m_eventNotifyList = std::make_unique<List>();
    if (std::find(m_eventNotifyList->begin(), m_eventNotifyList->end(), listener) != m_eventNotifyList->end())
        return;
    m_eventNotifyList->push_back(listener);
    if (!listener->GetEventNotifyKey().isEmpty() ||
        std::any_of(m_eventNotifyList->begin(), m_eventNotifyList->end(),
                    [](TjxCommunicator* c) { return !c->GetEventNotifyKey().isEmpty(); }))
        std::stable_sort(m_eventNotifyList->begin(), m_eventNotifyList->end(),
                         [](TjxCommunicator* a, TjxCommunicator* b) {
                             return a->GetEventNotifyKey().compare(b->GetEventNotifyKey(), Qt::CaseInsensitive) < 0;
                         });
    AddNotify(listener);
}

void TjxCommunicator::RemoveEventNotify(TjxCommunicator* listener)
{
    Erase(m_eventNotifyList, listener);
    RemoveNotify(listener);
}

void TjxCommunicator::SendEventNotify(int eventId, TjxEventParams* params)
{
    if (eventId < 0 || eventId > 255)
        return;
    size_t i = 0;
    while (m_eventNotifyList && i < m_eventNotifyList->size()) {
        TjxCommunicator* listener = (*m_eventNotifyList)[i];
        if (listener->HasEventInterest(eventId))
            listener->EventNotify(this, eventId, params);
        // Step on only while the listener still stands here, so that a listener
        // leaving during the call does not make the next one miss the event.
        if (m_eventNotifyList && i < m_eventNotifyList->size() && (*m_eventNotifyList)[i] == listener)
            ++i;
    }
}

bool TjxCommunicator::HasEventListener(int eventId) const
{
    if (!m_notifyList)
        return false;
    return std::any_of(m_notifyList->begin(), m_notifyList->end(),
                       [eventId](TjxCommunicator* c) { return c->HasEventInterest(eventId); });
}

void TjxCommunicator::EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params)
{
    if (OnEventNotify)
        OnEventNotify(sender, eventId, params);
}

// ---- design state and the designer --------------------------------------

void TjxCommunicator::IncludeDesignState(uint16_t bits)
{
    const uint16_t changed = uint16_t(bits & ~m_designState);
    if (!changed)
        return;
    m_designState |= bits;
    DesignStateChanged(changed);
}

void TjxCommunicator::ExcludeDesignState(uint16_t bits)
{
    const uint16_t changed = uint16_t(bits & m_designState);
    if (!changed)
        return;
    m_designState &= uint16_t(~bits);
    DesignStateChanged(changed);
}

TjxDesignerInterface* TjxCommunicator::GetDesignerInterface() const
{
    return m_componentDesigner ? m_componentDesigner->DesignerInterface() : nullptr;
}

void TjxCommunicator::Modified()
{
    NotifyDesignerModified();
}

void TjxCommunicator::NotifyDesignerModified()
{
    if (TjxDesignerInterface* d = GetDesignerInterface())
        d->NotifyDesignerModified(this);
}

void TjxCommunicator::NotifyDesignerPropertyChange(const QString& propertyName)
{
    if (TjxDesignerInterface* d = GetDesignerInterface())
        d->NotifyDesignerPropertyChange(this, propertyName);
}

void TjxCommunicator::NotifyDesigner(int message, int code, TjxCommunicator* object)
{
    if (TjxDesignerInterface* d = GetDesignerInterface())
        d->NotifyDesigner(message, code, object);
}

// ---- names and user names -----------------------------------------------

QString TjxCommunicator::GetValidName(const TComponent* component) const
{
    const QString base = component->ClassName().mid(1);
    const TComponent* scope = Owner() ? Owner() : this;
    std::vector<int> used;
    for (int i = 0; i < scope->ComponentCount(); ++i) {
        const TComponent* c = scope->Components(i);
        if (c == component || !c->InheritsFrom(component->ClassInfo()))
            continue;
        if (const int n = NumberAfterStem(c->Name(), base))
            used.push_back(n);
    }
    return base + QString::number(LowestFreeNumber(std::move(used)));
}

bool TjxCommunicator::IsValidUserName(const QString& name) const
{
    if (!IsValidIdent(name))
        return false;
    const TjxCommunicator* found = FindUserName(name);
    return !found || found == this;
}

TjxCommunicator* TjxCommunicator::FindUserName(const QString& name) const
{
    if (TjxCommunicator* parent = ParentCommunicator())
        return parent->FindUserName(name);
    TUserNameMatch match;
    if (m_userName.compare(name, Qt::CaseInsensitive) == 0 && match.Offer(const_cast<TjxCommunicator*>(this)))
        return match.Result();
    // Only communicators give the owner's index a name.
    if (const TComponent* owner = Owner())
        for (TComponent* c : owner->OwnedUserNames().Find(name))
            if (match.Offer(static_cast<TjxCommunicator*>(c)))
                break;
    return match.Result();
}

QString TjxCommunicator::GetValidUserName(const TjxCommunicator* component) const
{
    if (TjxCommunicator* parent = ParentCommunicator())
        return parent->GetValidUserName(component);
    const QString stem = TUserNameIndex::Stem(component->ClassInfo());
    const TComponent* owner = Owner();
    if (!owner)
        return stem + u'1';
    const TUserNameIndex& names = owner->OwnedUserNames();
    for (int n = names.LowestFreeNumber(stem, component);; n = names.FreeNumberFrom(stem, n + 1)) {
        const QString name = stem + QString::number(n);
        const TjxCommunicator* holder = FindUserName(name);
        if (!holder || holder == component)
            return name;
    }
}

QString TjxCommunicator::DefaultUserName() const
{
    const QString prefix = ClassName().mid(1, 2);
    QString result = Name();
    if (!prefix.isEmpty() && result.startsWith(prefix))
        result = result.mid(prefix.size());
    if (!IsValidUserName(result))
        result = GetValidUserName(this);
    return result;
}

void TjxCommunicator::AssignUserName(const QString& value)
{
    if (m_userName == value)
        return;
    m_userName = value;
    if (TComponent* owner = Owner())
        owner->OwnedUserNameChanged(this);
    UserNameStored();
}

void TjxCommunicator::StoreUserName(const QString& value)
{
    if (m_userName == value)
        return;
    AssignUserName(value);
    SendNotify(ntUserNameChanged);
}

void TjxCommunicator::SetUserName(const QString& value)
{
    if (!IsValidIdent(value))
        return;
    if (IsReadingOrLoading()) {
        AssignUserName(value);
        return;
    }
    const QString old = m_userName;
    if (IsValidUserName(value)) {
        StoreUserName(value);
    } else {
        const QChar last = value.back();
        if (last >= u'1' && last <= u'9')
            return;
        for (int i = 1;; ++i) {
            const QString candidate = value + QString::number(i);
            const TjxCommunicator* found = FindUserName(candidate);
            if (!found || found == this) {
                StoreUserName(candidate);
                break;
            }
        }
    }
    if (m_userName != old)
        NotifyDesigner(dnNameChanged, kDesignerNotifyCode, this);
}

void TjxCommunicator::SetName(const QString& newName)
{
    const QString oldName = Name();
    if (oldName == newName)
        return;
    const bool userNameFollows = m_userName.isEmpty() || m_userName == oldName || m_userName == oldName.mid(2);
    TComponent::SetName(newName);
    if (IsReadingOrLoading() && !(m_designState & dsPasting))
        return;
    if (userNameFollows)
        StoreUserName(DefaultUserName());
    SendEventNotify(ciNameChanged);
    if (!IsReadingOrLoading())
        NotifyDesigner(dnNameChanged, kDesignerNotifyCode, this);
}

void TjxCommunicator::Loaded()
{
    TComponent::Loaded();
    if (!ClassInfo().PublishesProperty(u"UserName"))
        return;
    if (m_userName.isEmpty()) {
        AssignUserName(DefaultUserName());
        return;
    }
    // A stored name that an object in place already has (a pasted copy, a
    // careless stream) is replaced as a missing one would be.
    const QString stored = m_userName;
    AssignUserName(QString());
    const TjxCommunicator* holder = FindUserName(stored);
    AssignUserName(holder && !holder->HasState(csLoading) ? GetValidUserName(this) : stored);
}

void TjxCommunicator::ChangeOwner(TComponent* newOwner)
{
    if (newOwner == Owner())
        return;
    if (Owner())
        Owner()->RemoveComponent(this);
    // Objects in a report tree keep their user names: the tree, not the owner,
    // keeps them unique (a window may hold two reports with the same names).
    if (newOwner && !ParentCommunicator() && !m_userName.isEmpty()) {
        const TUserNameIndex& names = newOwner->OwnedUserNames();
        if (!names.Find(m_userName).isEmpty()) {
            const QString stem = TUserNameIndex::Stem(ClassInfo());
            AssignUserName(stem + QString::number(names.LowestFreeNumber(stem)));
        }
    }
    if (newOwner) {
        // A name the new owner already uses would make the move fail; take a free one.
        const bool nameTaken = !Name().isEmpty() && newOwner->FindComponent(Name());
        if (nameTaken)
            TComponent::SetName(QString());
        newOwner->InsertComponent(this);
        if (nameTaken)
            TComponent::SetName(GetValidName(this));
    }
}

} // namespace orvane
