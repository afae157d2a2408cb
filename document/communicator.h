#pragma once

#include "document/designer_interface.h"
#include "document/event_ids.h"
#include "document/toolkit_component.h"

#include <bitset>
#include <memory>
#include <vector>

namespace orvane {

class TjxBand;
class TjxDataPipeline;
class TjxField;

// Bits of a report object's design state.
enum TjxDesignStateBit : uint16_t {
    dsDesigning = 1,            // edited in the designer
    dsDesignerActive = 2,       // the designer window showing it is active
    dsPrintingFromDesigner = 4,
    dsShowingData = 8,          // the design view shows data
    dsRestoring = 16,           // restored from a stream by the designer (undo, clipboard)
    dsPasting = 32,
    dsBuildingControls = 64,    // the designer builds band bars and design controls
    dsLoadingTemplate = 128,
    dsSavingTemplate = 256,
    dsUpdating = 512,           // inside a begin/end update bracket
    dsCreatingFromPalette = 1024,
};

// The base of every report object: user name, design state, mutual notify
// links and the numbered event channel.
class TjxCommunicator : public TComponent {
    ORVANE_CLASS(TjxCommunicator, TComponent)
public:
    explicit TjxCommunicator(TComponent* owner = nullptr);
    ~TjxCommunicator() override;

    // What a dynamic_cast would answer, for look-ups made for every value printed.
    virtual TjxBand* AsBand() const { return nullptr; }
    virtual TjxDataPipeline* AsDataPipeline() const { return nullptr; }
    virtual TjxField* AsField() const { return nullptr; }

    // User name: the name the designer shows ("Label1" for jxLabel1).
    QString UserName() const { return GetUserName(); }
    virtual QString GetUserName() const { return m_userName; }
    // What messages call it: the user name, else the component name.
    QString NameForMessages() const
    {
        const QString user = GetUserName();
        return user.isEmpty() ? Name() : user;
    }
    virtual void SetUserName(const QString& value);
    virtual bool IsValidUserName(const QString& name) const;
    virtual TjxCommunicator* FindUserName(const QString& name) const;
    virtual QString GetValidUserName(const TjxCommunicator* component) const;
    // True for classes that show a name derived from other state (a band's
    // caption) rather than the stored user name.
    virtual bool HasDerivedUserName() const { return false; }
    // The user name a name implies: without the "jx" of the class, or as it is.
    QString DefaultUserName() const;

    uint16_t DesignState() const { return m_designState; }
    virtual void IncludeDesignState(uint16_t bits);
    virtual void ExcludeDesignState(uint16_t bits);
    virtual void DesignStateChanged(uint16_t bits) {}

    virtual TjxComponentDesigner* GetComponentDesigner() const { return m_componentDesigner; }
    virtual void SetComponentDesigner(TjxComponentDesigner* designer) { m_componentDesigner = designer; }
    virtual TjxDesignerInterface* GetDesignerInterface() const;
    virtual void Modified();
    virtual void NotifyDesignerModified();
    virtual void NotifyDesignerPropertyChange(const QString& propertyName);
    virtual void NotifyDesigner(int message, int code, TjxCommunicator* object);

    virtual void ChangeOwner(TComponent* newOwner);
    // A unique component name in the scope: the class name without its T and the lowest free number.
    virtual QString GetValidName(const TComponent* component) const;

    // Notify links: always mutual; either side's destruction removes both.
    void AddNotify(TjxCommunicator* other);
    void RemoveNotify(TjxCommunicator* other);
    void SendNotify(int operation);
    virtual void Notify(TjxCommunicator* sender, int operation);

    // Event channel: listeners in order (sorted by key when they have one),
    // called for the events in their interest set.
    void AddEventNotify(TjxCommunicator* listener);
    void RemoveEventNotify(TjxCommunicator* listener);
    void SendEventNotify(int eventId, TjxEventParams* params = nullptr);
    bool HasEventListener(int eventId) const;
    virtual void EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params);
    virtual QString GetEventNotifyKey() const { return {}; }
    void AddEventInterest(int eventId) { if (eventId >= 0 && eventId < 256) m_eventInterest.set(size_t(eventId)); }
    void RemoveEventInterest(int eventId) { if (eventId >= 0 && eventId < 256) m_eventInterest.reset(size_t(eventId)); }
    bool HasEventInterest(int eventId) const { return eventId >= 0 && eventId < 256 && m_eventInterest.test(size_t(eventId)); }

    int NotifyCount() const { return m_notifyList ? int(m_notifyList->size()) : 0; }
    TjxCommunicator* NotifyPartner(int index) const { return m_notifyList->at(size_t(index)); }
    int EventNotifyCount() const { return m_eventNotifyList ? int(m_eventNotifyList->size()) : 0; }
    TjxCommunicator* EventListener(int index) const { return m_eventNotifyList->at(size_t(index)); }

    bool NameChangedOnLoad() const { return m_nameChangedOnLoad; }
    void SetNameChangedOnLoad(bool value) { m_nameChangedOnLoad = value; }

    // Handlers of code that embeds an object.
    std::function<void(TjxCommunicator* sender, int operation)> OnNotify;
    std::function<void(TjxCommunicator* sender, int eventId, TjxEventParams* params)> OnEventNotify;

    void SetName(const QString& newName) override;
    void Loaded() override;

    // The common setter: while reading only store; otherwise tell the
    // designer before and after the change.
    // Returns whether the value changed outside reading (so that callers
    // can follow up, for example with a layout change).
    template <class V>
    bool SetField(V& field, const V& value, const char* propertyName)
    {
        if (field == value)
            return false;
        if (IsReadingOrLoading()) {
            field = value;
            return false;
        }
        NotifyDesignerPropertyChange(QString::fromLatin1(propertyName));
        field = value;
        Modified();
        PropertyChanged();
        return true;
    }

    // Tells the designer that a property of this object took a new value.
    void PropertyChanged() { NotifyDesigner(dnPropertyChanged, kDesignerNotifyCode, this); }

protected:
    // The communicator whose tree this object's user names are unique in.
    virtual TjxCommunicator* ParentCommunicator() const { return nullptr; }
    // Stores a user name and tells the partners.
    void StoreUserName(const QString& value);
    // Stores a user name and keeps the indexes that know it up to date; tells nobody.
    void AssignUserName(const QString& value);
    // The user name as stored, whatever a class shows instead.
    const QString& StoredUserName() const { return m_userName; }
    // Called after the stored user name changed.
    virtual void UserNameStored() {}
    QString IndexedUserName() const override { return m_userName; }
    bool IsReadingOrLoading() const { return HasState(csReading | csLoading); }

private:
    using List = std::vector<TjxCommunicator*>;
    static void Erase(std::unique_ptr<List>& list, TjxCommunicator* item);

    QString m_userName;
    uint16_t m_designState = 0;
    TjxComponentDesigner* m_componentDesigner = nullptr;
    std::unique_ptr<List> m_notifyList;
    std::unique_ptr<List> m_eventNotifyList;
    std::bitset<256> m_eventInterest;
    bool m_nameChangedOnLoad = false;
};

// Picks the holder of a name among the places searched in order: the first
// object that is not being loaded, else the first at all. Two objects share a
// name only while a stream is loaded, and the one in place is the holder.
class TUserNameMatch {
public:
    // True once a holder that is in place was found: the search can stop.
    bool Offer(TjxCommunicator* object)
    {
        if (!object)
            return false;
        if (!m_first)
            m_first = object;
        if (object->HasState(csLoading))
            return false;
        m_settled = object;
        return true;
    }
    TjxCommunicator* Result() const { return m_settled ? m_settled : m_first; }

private:
    TjxCommunicator* m_first = nullptr;
    TjxCommunicator* m_settled = nullptr;
};

// The lowest positive number missing from the list (the list is sorted here).
int LowestFreeNumber(std::vector<int> numbers);
// The positive integer after a stem ("jxLabel12" after "jxLabel" gives 12), or 0.
int NumberAfterStem(QStringView name, QStringView stem, Qt::CaseSensitivity cs = Qt::CaseSensitive);

} // namespace orvane
