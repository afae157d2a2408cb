#include "document/stream_reader.h"

#include "document/class_registry.h"
#include "document/collection.h"
#include "document/errors.h"
#include "document/global_fixups.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/toolkit_component.h"
#include "document/units.h"

#include <algorithm>

namespace orvane {

// Hears about components that go away while the stream is read (a failed
// record, a parent that destroys its children), so nothing dangles.
class TReader::TWatcher : public TDestructionObserver {
public:
    explicit TWatcher(TReader& reader) : m_reader(reader) {}
    void ComponentDestroyed(TComponent* component) override
    {
        if (m_reader.m_alive.contains(component))
            m_reader.Forget(component);
    }

private:
    TReader& m_reader;
};

TReader::TReader(const QByteArray& data) : m_data(data), m_values(m_data), m_watcher(std::make_unique<TWatcher>(*this)) {}

TReader::~TReader() = default;

void TReader::Watch(TComponent* component)
{
    if (m_alive.contains(component))
        return;
    m_alive.insert(component);
}

void TReader::Forget(TComponent* component)
{
    m_alive.remove(component);
    m_loaded.erase(std::remove(m_loaded.begin(), m_loaded.end(), component), m_loaded.end());
    m_fixups.erase(std::remove_if(m_fixups.begin(), m_fixups.end(),
                                  [component](const Fixup& f) { return f.holder == component; }),
                   m_fixups.end());
}

template <class Fn>
void TReader::Guarded(Fn read)
{
    m_located = false;
    m_path.clear();
    try {
        read();
    } catch (const EReadError& e) {
        AbandonRead();
        if (m_located)
            throw;
        throw EReadError(StreamErrorAt(e.Message(), RecordPath(), m_values.Position()));
    } catch (...) {
        AbandonRead();
        throw;
    }
    FinishRead();
}

QString TReader::RecordPath() const
{
    return m_path.join(u'.');
}

TComponent* TReader::ReadRootComponent(TComponent* root)
{
    m_values.ReadSignature();
    m_root = root;
    m_owner = root ? root->Owner() : nullptr;
    m_parent = nullptr;
    TComponent* result = nullptr;
    Guarded([&] { result = ReadRecord(root); });
    return result;
}

TComponent* TReader::ReadComponent(TComponent* instance)
{
    m_values.ReadSignature();
    if (!m_root)
        m_root = m_owner ? m_owner : instance;
    TComponent* result = nullptr;
    Guarded([&] { result = ReadRecord(instance); });
    return result;
}

void TReader::ReadComponents(TComponent* owner, TComponent* parent, const std::function<void(TComponent*)>& proc)
{
    m_owner = owner;
    m_parent = parent;
    if (!m_root)
        m_root = owner;
    Guarded([&] {
        while (!m_values.EndOfList()) {
            m_values.ReadSignature();
            TComponent* c = ReadRecord(nullptr);
            if (c && proc)
                proc(c);
        }
        m_values.ReadListEnd();
    });
}

const TClassInfo* TReader::FindComponentClass(const QString& className) const
{
    if (m_root)
        if (const TClassInfo* cls = m_root->FindFieldClass(className))
            return cls;
    if (OnFindComponentClass)
        if (const TClassInfo* cls = OnFindComponentClass(className))
            return cls;
    return FindClass(className);
}

TComponent* TReader::ReadRecord(TComponent* given)
{
    TBinaryValueReader::TNesting nesting(m_values);
    uint8_t flags = 0;
    int position = -1;
    m_values.ReadPrefix(flags, position);
    const QString className = m_values.ReadShortString();
    const QString name = m_values.ReadShortString();
    m_path.append(name.isEmpty() ? className : name);

    TComponent* component = given;
    bool created = false;
    try {
        if (component) {
            Watch(component);
            component->SetLoading();
            if (component == m_root && !name.isEmpty() && component->Name().isEmpty())
                component->SetName(name);
        } else if (flags & cfInherited) {
            component = m_owner ? m_owner->FindComponent(name) : nullptr;
            if (!component)
                throw EReadError(MessageText(msg::AncestorNotFound, {name}));
            Watch(component);
            component->SetLoading();
        } else {
            const TClassInfo* cls = FindComponentClass(className);
            if (!cls || !cls->isComponent || !cls->createComponent)
                throw EClassNotFound(MessageText(msg::ClassNotFound, {className}));
            component = cls->createComponent(m_owner);
            created = true;
            if (!m_root)
                m_root = component;  // a stream read with no root roots itself
            Watch(component);
            component->SetLoading();
            if (flags & cfInline)
                component->SetInline(true);
            if (m_parent)
                component->SetParentComponent(m_parent);
            QString newName = name;
            if (OnSetName)
                OnSetName(component, newName);
            component->SetName(newName);
        }
        if ((flags & cfChildPos) && m_parent && position >= 0)
            m_parent->SetChildOrder(component, position);
    } catch (const EOrvaneError& e) {
        if (created && Alive(component))
            delete component;
        if (OnError && OnError(e.Message())) {
            m_located = false;
            m_path.removeLast();
            nesting.Leave();  // the skip counts this record itself
            m_values.SkipComponent(false);
            return nullptr;
        }
        m_located = true;  // the message names the class or the name
        throw;
    }

    try {
        ReadRecordBody(component);
    } catch (...) {
        if (created && Alive(component))
            delete component;
        throw;
    }
    m_path.removeLast();
    return component;
}

void TReader::ReadRecordBody(TComponent* component)
{
    TComponent* const savedCurrent = m_current;
    TComponent* const savedOwner = m_owner;
    TComponent* const savedParent = m_parent;
    struct Restore {
        TReader& r;
        TComponent *current, *owner, *parent;
        ~Restore()
        {
            r.m_current = current;
            r.m_owner = owner;
            r.m_parent = parent;
        }
    } restore{*this, savedCurrent, savedOwner, savedParent};

    m_current = component;
    while (!m_values.EndOfList()) {
        ReadProperty(*component);
        if (!Alive(component))
            throw EReadError(GetMessage(msg::StreamReadError));
    }
    m_values.ReadListEnd();

    TComponent* childOwner = component->GetChildOwner();
    m_owner = childOwner ? childOwner : m_root;
    m_parent = component->GetChildParent();
    while (!m_values.EndOfList())
        ReadRecord(nullptr);
    m_values.ReadListEnd();

    component->SetReading(false);
    component->AfterReadRecord();
    m_loaded.push_back(component);
}

void TReader::ReadProperty(TPersistent& instance)
{
    const QString path = m_values.ReadShortString();
    const qsizetype valueStart = m_values.Position();
    const int nesting = m_values.Nesting();
    bool offer = true;
    try {
        ReadPropertyPath(instance, path, offer);
    } catch (const EOrvaneError& e) {
        // Position the stream behind this value so that reading can go on;
        // when even that fails the stream itself is broken.
        m_values.RestoreNesting(nesting);
        // The skip's own error (a value cut short, nesting too deep) is then
        // what ends the read, and what the message says.
        bool broken = false;
        QString reason = e.Message();
        try {
            m_values.SetPosition(valueStart);
            m_values.SkipValue();
        } catch (const EOrvaneError& skipError) {
            broken = true;
            reason = skipError.Message();
        }
        QString who;
        if (m_current)
            who = m_current->Name().isEmpty() ? m_current->ClassName() : m_current->Name();
        else
            who = instance.ClassName();
        const QString message = MessageText(msg::ErrorReading, {who, QStringLiteral("."), path, reason});
        if (!broken && offer && OnError && OnError(message)) {
            m_located = false;  // excused; a later error still needs its place
            return;
        }
        m_located = true;
        throw EReadError(message);
    }
}

void TReader::ReadPropertyPath(TPersistent& instance, const QString& path, bool& offer)
{
    TPersistent* object = &instance;
    qsizetype start = 0;
    for (;;) {
        const qsizetype dot = path.indexOf(u'.', start);
        if (dot < 0)
            break;
        const TPropInfo* prop = object->ClassInfo().FindProperty(QStringView(path).mid(start, dot - start));
        if (!prop || prop->Kind() != tkClass || !prop->getObject)
            throw EReadError(GetMessage(msg::InvalidPropertyPath));
        object = prop->getObject(*object);
        if (!object)
            throw EReadError(GetMessage(msg::InvalidPropertyPath));
        start = dot + 1;
    }
    const QStringView last = QStringView(path).mid(start);
    if (const TPropInfo* prop = object->ClassInfo().FindProperty(last)) {
        ReadPropValue(*object, *prop);
        return;
    }
    if (const TDefinedPropInfo* d = object->ClassInfo().FindDefined(last)) {
        if (d->binary) {
            if (m_values.NextValue() != svBinary)
                throw EReadError(GetMessage(msg::InvalidPropertyValue));
            const QByteArray bytes = m_values.ReadBinary();
            if (d->readBinary)
                d->readBinary(*object, bytes);
        } else {
            offer = false;
            d->read(*object, *this);
        }
        return;
    }
    throw EReadError(MessageText(msg::PropertyDoesNotExist, {last.toString()}));
}

void TReader::ReadPropValue(TPersistent& instance, const TPropInfo& prop)
{
    const TTypeKind kind = prop.Kind();
    if (!prop.IsWritable()) {
        bool subComponent = false;
        if (kind == tkClass && prop.getObject)
            if (auto* c = dynamic_cast<TComponent*>(prop.getObject(instance)))
                subComponent = c->IsSubComponent();
        if (!subComponent)
            throw EReadError(GetMessage(msg::PropertyIsReadOnly));
    }
    const auto invalid = [] { return EReadError(GetMessage(msg::InvalidPropertyValue)); };
    const TValueType next = m_values.NextValue();

    switch (kind) {
    case tkInteger: {
        int64_t v = 0;
        if (next == svIdent) {
            if (!prop.type->IdentToInt(m_values.ReadIdent(), v))
                throw invalid();
        } else {
            v = m_values.ReadInteger();
        }
        prop.setOrdinal(instance, v);
        return;
    }
    case tkInt64:
        prop.setOrdinal(instance, m_values.ReadInteger());
        return;
    case tkChar: {
        if (next != svString && next != svLString && next != svWString && next != svUtf8String)
            throw invalid();
        const QString s = m_values.ReadString();
        if (s.size() > 1)
            throw invalid();
        prop.setOrdinal(instance, s.isEmpty() ? 0 : s[0].unicode());
        return;
    }
    case tkEnumeration: {
        if (next != svIdent && next != svFalse && next != svTrue && next != svNil && next != svNull)
            throw invalid();
        const int v = prop.type->EnumValue(m_values.ReadIdent());
        if (v < 0)
            throw invalid();
        prop.setOrdinal(instance, v);
        return;
    }
    case tkSet: {
        if (next != svSet)
            throw invalid();
        uint64_t bits = 0;
        for (const QString& member : m_values.ReadSet()) {
            const int v = prop.type->EnumValue(member);
            if (v < 0)
                throw invalid();
            if (v < 32)
                bits |= uint64_t(1) << v;
        }
        prop.setOrdinal(instance, int64_t(bits));
        return;
    }
    case tkFloat:
        prop.setFloat(instance, m_values.ReadFloat());
        return;
    case tkString: case tkWString:
        if (next != svString && next != svLString && next != svWString && next != svUtf8String)
            throw invalid();
        prop.setString(instance, m_values.ReadString());
        return;
    case tkClass: case tkInterface: {
        if (next == svNil) {
            m_values.ReadValueType();
            if (prop.setObject)
                prop.setObject(instance, nullptr);
            return;
        }
        if (next == svCollection) {
            auto* collection = prop.getObject ? dynamic_cast<TCollection*>(prop.getObject(instance)) : nullptr;
            if (!collection)
                throw invalid();
            ReadCollection(*collection);
            return;
        }
        if (next != svIdent)
            throw invalid();
        m_fixups.push_back({m_current, &instance, &prop, m_values.ReadIdent()});
        return;
    }
    case tkMethod: {
        if (next == svNil) {
            m_values.ReadValueType();
            prop.setMethod(instance, TMethod());
            return;
        }
        if (next != svIdent)
            throw invalid();
        const QString name = m_values.ReadIdent();
        TMethodCode code;
        bool veto = false;
        if (m_root)
            code = m_root->MethodAddress(name);
        if (OnFindMethod)
            OnFindMethod(name, code, veto);
        if (veto || !code)
            throw invalid();
        prop.setMethod(instance, TMethod{m_root, name, code});
        return;
    }
    case tkVariant:
        prop.setVariant(instance, ReadVariant());
        return;
    }
}

TVarValue TReader::ReadVariant()
{
    TVarValue v;
    switch (m_values.NextValue()) {
    case svNil: m_values.ReadValueType(); return v;
    case svNull: m_values.ReadValueType(); v.kind = TVarValue::vtNull; return v;
    case svInt8: v.kind = TVarValue::vtShortInt; v.integer = m_values.ReadInteger(); return v;
    case svInt16: v.kind = TVarValue::vtSmallInt; v.integer = m_values.ReadInteger(); return v;
    case svInt32: v.kind = TVarValue::vtInteger; v.integer = m_values.ReadInteger(); return v;
    case svInt64: v.kind = TVarValue::vtInt64; v.integer = m_values.ReadInteger(); return v;
    case svSingle: v.kind = TVarValue::vtSingle; v.real = m_values.ReadSingle(); return v;
    case svExtended: v.kind = TVarValue::vtDouble; v.real = m_values.ReadFloat(); return v;
    case svCurrency: v.kind = TVarValue::vtCurrency; v.integer = m_values.ReadCurrency(); return v;
    case svDate: v.kind = TVarValue::vtDate; v.real = m_values.ReadDate(); return v;
    case svFalse: case svTrue: v.kind = TVarValue::vtBoolean; v.integer = m_values.ReadBoolean(); return v;
    case svString: case svLString: v.kind = TVarValue::vtString; v.text = m_values.ReadString(); return v;
    case svWString: case svUtf8String: v.kind = TVarValue::vtWideString; v.text = m_values.ReadString(); return v;
    default: break;
    }
    throw EReadError(GetMessage(msg::InvalidPropertyValue));
}

int TReader::ReadThousandths()
{
    const TValueType type = m_values.NextValue();
    int64_t value = 0;
    if (type == svExtended)
        value = Truncate(static_cast<long double>(m_values.ReadFloat()));
    else if (type == svSingle)
        value = Truncate(static_cast<long double>(m_values.ReadSingle()));
    else
        value = m_values.ReadInteger();
    if (value > kMaxStoredLength || value < -kMaxStoredLength)
        throw EReadError(GetMessage(msg::LengthOutOfRange));
    return int(value);
}

int ClampStoredLength(int64_t thousandths)
{
    return int(std::clamp<int64_t>(thousandths, -TReader::kMaxStoredLength, TReader::kMaxStoredLength));
}

void TReader::ReadListBegin()
{
    if (m_values.NextValue() != svList)
        throw EReadError(GetMessage(msg::InvalidPropertyValue));
    m_values.EnterList();
    m_values.ReadValueType();
}

void TReader::ReadListEnd()
{
    m_values.ReadListEnd();
    m_values.LeaveList();
}

void TReader::ReadCollection(TCollection& collection)
{
    if (m_values.NextValue() != svCollection)
        throw EReadError(GetMessage(msg::InvalidPropertyValue));
    TBinaryValueReader::TNesting nesting(m_values);
    m_values.ReadValueType();
    if (!m_values.EndOfList())
        collection.Clear();
    collection.BeginUpdate();
    struct EndUpdate {
        TCollection& c;
        ~EndUpdate() { c.EndUpdate(); }
    } endUpdate{collection};
    while (!m_values.EndOfList()) {
        const TValueType t = m_values.NextValue();
        if (t == svInt8 || t == svInt16 || t == svInt32)
            m_values.ReadInteger();  // order number, not used
        if (m_values.ReadValueType() != svList)
            throw EReadError(GetMessage(msg::InvalidPropertyValue));
        TPersistent* item = collection.Add();
        while (!m_values.EndOfList())
            ReadProperty(*item);
        m_values.ReadListEnd();
    }
    m_values.ReadListEnd();
}

void TReader::FinishRead()
{
    // References first, then "loaded", children before their parents.
    std::vector<Fixup> fixups;
    fixups.swap(m_fixups);
    for (const Fixup& f : fixups) {
        if (f.holder && !Alive(f.holder))
            continue;
        QString reference = f.reference;
        if (OnReferenceName)
            OnReferenceName(reference);
        TComponent* target = m_root ? FindNestedComponent(m_root, reference) : nullptr;
        if (target) {
            if (f.prop->setObject)
                f.prop->setObject(*f.instance, target);
        } else if (reference.contains(u'.')) {
            GlobalFixups().Add(f.holder, f.instance, f.prop, reference);
        }
    }
    std::vector<TComponent*> loaded;
    loaded.swap(m_loaded);
    for (TComponent* c : loaded) {
        if (!Alive(c))
            continue;
        c->Loaded();
        if (Alive(c))
            c->ClearLoadingState();
    }
}

void TReader::AbandonRead()
{
    m_fixups.clear();
    for (TComponent* c : std::as_const(m_alive))
        c->ClearLoadingState();
    m_loaded.clear();
}

TComponent* ReadComponentFromBytes(const QByteArray& data, TComponent* instance, TComponent* owner, TComponent* parent)
{
    TReader reader(data);
    reader.SetOwner(owner);
    reader.SetParent(parent);
    if (!owner && instance)
        reader.SetRoot(instance->Owner() ? instance->Owner() : instance);
    return reader.ReadComponent(instance);
}

} // namespace orvane
