#pragma once

#include "document/binary_value_reader.h"
#include "document/property_info.h"

#include <QSet>
#include <memory>
#include <vector>

namespace orvane {

class TPersistent;
class TComponent;
class TCollection;

// Applies component records to objects: creates components by class name,
// reads their properties and children, resolves references and tells every
// component read that loading has finished.
//
// Records, collections and the lists of defined properties nest at most
// kMaxStreamNesting levels deep. Errors that no property entry names (a
// stream cut short, a broken list, nesting too deep) say where they happened:
// the path of the records being read and the byte offset.
class TReader {
public:
    // Stored lengths (thousandths of a millimetre) lie within this many
    // either way: 10 m, beyond any paper, and far from the 32-bit limits
    // that position arithmetic must stay clear of.
    static constexpr int kMaxStoredLength = 10'000'000;

    // Keeps its own (shared) copy of the bytes, so a temporary is safe to pass.
    explicit TReader(const QByteArray& data);
    ~TReader();
    TReader(const TReader&) = delete;
    TReader& operator=(const TReader&) = delete;

    // Hooks. OnError gets the message of a failed entry or record and answers
    // whether it is handled (reading then goes on). OnSetName may replace the
    // name of a new component, OnReferenceName a reference before it is looked
    // up. OnFindMethod may supply a handler (code) or refuse one (veto).
    // OnFindComponentClass may supply the class of a record.
    std::function<bool(const QString& message)> OnError;
    std::function<void(TComponent* component, QString& name)> OnSetName;
    std::function<void(QString& name)> OnReferenceName;
    std::function<void(const QString& name, TMethodCode& code, bool& veto)> OnFindMethod;
    std::function<const TClassInfo*(const QString& className)> OnFindComponentClass;

    TComponent* Root() const { return m_root; }
    void SetRoot(TComponent* root) { m_root = root; }
    TComponent* Owner() const { return m_owner; }
    void SetOwner(TComponent* owner) { m_owner = owner; }
    TComponent* Parent() const { return m_parent; }
    void SetParent(TComponent* parent) { m_parent = parent; }

    // A whole stream whose top record is the root itself: root (or, when
    // null, a new object of the record's class) gets the properties, and the
    // children are owned by it.
    TComponent* ReadRootComponent(TComponent* root);
    // A whole stream whose top record is `instance`, or a new component owned
    // by Owner() and parented by Parent(). References resolve from Root()
    // (the owner when none is set).
    TComponent* ReadComponent(TComponent* instance);
    // Records each behind its own signature until a 0 byte; proc gets each top-level object.
    void ReadComponents(TComponent* owner, TComponent* parent, const std::function<void(TComponent*)>& proc);

    // Values, for the read operations of defined properties.
    TValueType NextValue() { return m_values.NextValue(); }
    bool EndOfList() { return m_values.EndOfList(); }
    void ReadListBegin();
    void ReadListEnd();
    int64_t ReadInteger() { return m_values.ReadInteger(); }
    // A length in thousandths of a millimetre: an integer, or a float from
    // older streams, truncated toward zero. Beyond kMaxStoredLength either
    // way it is refused ("Length out of range").
    int ReadThousandths();
    double ReadFloat() { return m_values.ReadFloat(); }
    float ReadSingle() { return m_values.ReadSingle(); }
    int64_t ReadCurrency() { return m_values.ReadCurrency(); }
    double ReadDate() { return m_values.ReadDate(); }
    bool ReadBoolean() { return m_values.ReadBoolean(); }
    QString ReadString() { return m_values.ReadString(); }
    QString ReadIdent() { return m_values.ReadIdent(); }
    TVarValue ReadVariant();
    void ReadCollection(TCollection& collection);
    void SkipValue() { m_values.SkipValue(); }
    TBinaryValueReader& Values() { return m_values; }

    // The component whose record is being read.
    TComponent* Current() const { return m_current; }

private:
    class TWatcher;
    struct Fixup {
        TComponent* holder;
        TPersistent* instance;
        const TPropInfo* prop;
        QString reference;
    };

    TComponent* ReadRecord(TComponent* given);
    void ReadRecordBody(TComponent* component);
    void ReadProperty(TPersistent& instance);
    void ReadPropertyPath(TPersistent& instance, const QString& path, bool& offer);
    void ReadPropValue(TPersistent& instance, const TPropInfo& prop);
    const TClassInfo* FindComponentClass(const QString& className) const;
    void Watch(TComponent* component);
    void Forget(TComponent* component);
    bool Alive(TComponent* component) const { return m_alive.contains(component); }
    template <class Fn> void Guarded(Fn read);
    void FinishRead();
    void AbandonRead();
    QString RecordPath() const;

    QByteArray m_data;
    TBinaryValueReader m_values;
    TComponent* m_root = nullptr;
    TComponent* m_owner = nullptr;
    TComponent* m_parent = nullptr;
    TComponent* m_current = nullptr;
    std::unique_ptr<TWatcher> m_watcher;
    QSet<TComponent*> m_alive;
    std::vector<TComponent*> m_loaded;
    std::vector<Fixup> m_fixups;
    // Names (class names for unnamed records) of the records being read; on
    // an error it still holds the path where it happened.
    QStringList m_path;
    // The error on its way out already names where it happened.
    bool m_located = false;
};

// Keeps a length read from an older stream, or converted from one, within the
// stored range (conversions never fail).
int ClampStoredLength(int64_t thousandths);

// Convenience: reads a binary stream into `instance` (or a new component of
// the stream's class owned by `owner`).
TComponent* ReadComponentFromBytes(const QByteArray& data, TComponent* instance, TComponent* owner = nullptr,
                                   TComponent* parent = nullptr);

} // namespace orvane
