#pragma once

#include "document/persistent.h"

#include <QHash>
#include <memory>
#include <shared_mutex>
#include <vector>

namespace orvane {

class TUserNameIndex;

// Component state flags.
enum TComponentStateFlag : uint16_t {
    csLoading = 0x0001,
    csReading = 0x0002,
    csWriting = 0x0004,
    csDestroying = 0x0008,
    csDesigning = 0x0010,
    csAncestor = 0x0020,
    csUpdating = 0x0040,
    csFixups = 0x0080,
    csFreeNotification = 0x0100,
    csInline = 0x0200,
};

enum TOperation : uint8_t { opInsert, opRemove };

// The toolkit component: an owner that destroys what it owns, a name unique
// among its owner's components, a tag, state flags and free notification.
class TComponent : public TPersistent {
    ORVANE_CLASS(TComponent, TPersistent)
public:
    explicit TComponent(TComponent* owner = nullptr);
    ~TComponent() override;
    TComponent* AsComponent() const override { return const_cast<TComponent*>(this); }

    TComponent* Owner() const { return m_owner; }
    const QString& Name() const { return m_name; }
    virtual void SetName(const QString& newName);
    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }

    // Owned components in the order they were inserted.
    int ComponentCount() const { return int(m_components.size()); }
    TComponent* Components(int index) const { return m_components.at(size_t(index)); }
    int ComponentIndex() const;
    TComponent* FindComponent(QStringView name) const;
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void DestroyComponents();
    // The owned components by user name (report objects have one), built when
    // first asked for and kept up to date from then on.
    const TUserNameIndex& OwnedUserNames() const;
    // An owned component's user name changed.
    void OwnedUserNameChanged(TComponent* component);

    uint16_t ComponentState() const { return m_state; }
    bool HasState(uint16_t flags) const { return (m_state & flags) != 0; }
    void SetDesigning(bool value, bool setChildren = true);

    // A component marked as a sub-component streams as part of its holder.
    bool IsSubComponent() const { return m_subComponent; }
    void SetSubComponent(bool value) { m_subComponent = value; }

    // Mutual links that tell each side when the other goes away.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Streaming: which components are this one's streamed children, and where
    // children read from a stream go.
    using TGetChildProc = std::function<void(TComponent*)>;
    virtual void GetChildren(const TGetChildProc& proc, TComponent* root) const;
    virtual TComponent* GetChildOwner();
    virtual TComponent* GetChildParent();
    virtual bool HasParent() const { return false; }
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual void SetParentComponent(TComponent* parent) {}
    virtual void SetChildOrder(TComponent* child, int order) {}
    // Classes that this component declares for its own fields; the reader looks there first.
    virtual const TClassInfo* FindFieldClass(QStringView className) const { return nullptr; }
    // Published methods a stream can name as event handlers when this is the lookup root.
    virtual TMethodCode MethodAddress(QStringView name);
    virtual QString MethodName(const TMethod& method) const;

    // Sent when loading from a stream has finished.
    virtual void Loaded();
    // Sent when this component's record (properties and children) has been read.
    virtual void AfterReadRecord() {}
    // State hooks used by the stream reader and writer.
    void SetLoading() { m_state |= csLoading | csReading; }
    void ClearLoadingState() { m_state &= ~(csLoading | csReading); }
    void SetReading(bool on) { on ? m_state |= csReading : m_state &= ~csReading; }
    void SetWriting(bool on) { on ? m_state |= csWriting : m_state &= ~csWriting; }
    void SetInline(bool on) { on ? m_state |= csInline : m_state &= ~csInline; }
    void SetAncestor(bool on) { on ? m_state |= csAncestor : m_state &= ~csAncestor; }

protected:
    virtual void Notification(TComponent* component, TOperation operation) {}
    virtual void ValidateRename(TComponent* component, const QString& curName, const QString& newName);
    virtual void ChangeName(const QString& newName);
    // The name the owner's user-name index knows this component by; none here.
    virtual QString IndexedUserName() const { return {}; }
    void SetStateFlags(uint16_t flags) { m_state |= flags; }
    void ClearStateFlags(uint16_t flags) { m_state &= ~flags; }

private:
    void Insert(TComponent* component);
    void Remove(TComponent* component);
    void IndexName(TComponent* component, const QString& oldName);
    void FreeNotifyPartners();

    TComponent* m_owner = nullptr;
    std::vector<TComponent*> m_components;
    QHash<QString, TComponent*> m_nameIndex;  // lower-case name -> owned component
    mutable std::unique_ptr<TUserNameIndex> m_ownedUserNames;
    std::vector<TComponent*> m_freeNotifies;
    QString m_name;
    int m_tag = 0;
    uint16_t m_state = 0;
    bool m_subComponent = false;
};

// Hears, on its own thread, about every component destroyed while it is
// installed (a stream reader keeps track of the objects it created this way).
class TDestructionObserver {
public:
    TDestructionObserver();
    virtual ~TDestructionObserver();
    TDestructionObserver(const TDestructionObserver&) = delete;
    TDestructionObserver& operator=(const TDestructionObserver&) = delete;
    virtual void ComponentDestroyed(TComponent* component) = 0;

private:
    friend class TComponent;
    TDestructionObserver* m_previous;
};

// Guards component names process-wide: a template load holds it for writing,
// so that another thread never sees a half-renamed tree.
std::shared_mutex& ComponentNameLock();

// Holds ComponentNameLock for writing unless the thread already does (a
// template read inside another, a container whose creation loads a template).
class TComponentNameWriteGuard {
public:
    TComponentNameWriteGuard();
    ~TComponentNameWriteGuard();
    TComponentNameWriteGuard(const TComponentNameWriteGuard&) = delete;
    TComponentNameWriteGuard& operator=(const TComponentNameWriteGuard&) = delete;
};

// Identifier rule for component and user names.
bool IsValidIdent(QStringView ident);

} // namespace orvane
