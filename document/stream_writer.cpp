#include "document/stream_writer.h"

#include "document/binary_value_reader.h"
#include "document/code_page.h"
#include "document/collection.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/toolkit_component.h"

#include <QVarLengthArray>

namespace orvane {

TWriter::TWriter(QByteArray& out) : m_out(out), m_values(out) {}

void TWriter::WriteDescendent(TComponent* component)
{
    if (!m_root)
        m_root = component->Owner() ? component->Owner() : component;
    if (!m_lookupRoot)
        m_lookupRoot = m_root;
    m_values.WriteSignature();
    WriteComponent(component);
}

void TWriter::Enter()
{
    if (m_depth >= kMaxStreamNesting)
        throw EWriteError(NestingTooDeepMessage());
    ++m_depth;
}

void TWriter::WriteListBegin()
{
    Enter();
    m_values.WriteValueType(svList);
}

void TWriter::WriteListEnd()
{
    m_values.WriteListEnd();
    Leave();
}

void TWriter::WriteComponent(TComponent* component)
{
    const TLevel level(*this);
    struct WritingFlag {
        TComponent* c;
        explicit WritingFlag(TComponent* c) : c(c) { c->SetWriting(true); }
        ~WritingFlag() { c->SetWriting(false); }
    } writing(component);

    const TClassInfo& cls = component->ClassInfo();
    if (!cls.streamClassName.isEmpty())
        m_values.WriteShortStringBytes(cls.streamClassName);
    else
        m_values.WriteShortString(cls.className);
    m_values.WriteShortString(component->Name());
    WriteProperties(*component);
    m_values.WriteListEnd();
    component->GetChildren(
        [this](TComponent* child) {
            if (child != m_leftOut)
                WriteComponent(child);
        },
        m_root);
    m_values.WriteListEnd();
}

template <class Info>
void TWriter::WritePropName(QByteArrayView prefix, const Info& info)
{
    // A descriptor table indexed before use has the bytes ready, a name
    // without a path even as the whole short string.
    if (prefix.isEmpty() && !info.streamEntry.isEmpty())
        m_values.WriteBytes(info.streamEntry);
    else if (!info.streamName.isEmpty() || info.name.isEmpty())
        m_values.WriteShortStringBytes(prefix, info.streamName);
    else
        m_values.WriteShortStringBytes(prefix, ToCodePage(info.name));
}

void TWriter::WriteProperties(const TPersistent& instance, const QString& prefix)
{
    WritePropertiesIn(instance, ToCodePage(prefix));
}

void TWriter::WritePropertiesIn(const TPersistent& instance, QByteArrayView prefix)
{
    const TClassInfo& cls = instance.ClassInfo();
    for (const TPropInfo& prop : cls.properties)
        WriteProperty(instance, prop, prefix);
    // The ancestor stands for the component at the top of the stream only.
    const TPersistent* ancestor = m_depth == 1 && prefix.isEmpty() && m_ancestor ? m_ancestor : nullptr;
    if (ancestor && !ancestor->ClassInfo().InheritsFrom(cls))
        ancestor = nullptr;
    for (const TDefinedPropInfo& d : cls.defined)
        WriteDefined(instance, d, prefix, ancestor);
}

QByteArray TWriter::DefinedValue(const TPersistent& instance, const TDefinedPropInfo& d) const
{
    QByteArray bytes;
    if (!d.hasData || !d.hasData(instance))
        return bytes;
    TWriter scratch(bytes);
    scratch.m_root = m_root;
    scratch.m_lookupRoot = m_lookupRoot;
    if (d.binary) {
        if (d.writeBinary)
            scratch.m_values.WriteBinary(d.writeBinary(instance));
    } else if (d.write) {
        d.write(instance, scratch);
    }
    return bytes;
}

void TWriter::WriteDefined(const TPersistent& instance, const TDefinedPropInfo& d, QByteArrayView prefix,
                           const TPersistent* ancestor)
{
    const QByteArray value = DefinedValue(instance, d);
    if (value.isEmpty() || (ancestor && value == DefinedValue(*ancestor, d)))
        return;
    WritePropName(prefix, d);
    m_out.append(value);
}

void TWriter::WriteProperty(const TPersistent& instance, const TPropInfo& prop, QByteArrayView prefix)
{
    if (!prop.IsReadable())
        return;
    const TTypeKind kind = prop.Kind();
    if (!prop.IsWritable()) {
        if (kind != tkClass)
            return;
        const TPersistent* object = prop.getObject(instance);
        const TComponent* sub = object ? object->AsComponent() : nullptr;
        if (!sub || !sub->IsSubComponent())
            return;
    }
    if (!prop.IsStored(instance))
        return;

    switch (kind) {
    case tkInteger: case tkChar: case tkEnumeration: case tkSet: {
        const int64_t v = prop.getOrdinal(instance);
        if (prop.defaultValue != kNoDefault && v == prop.defaultValue)
            return;
        WritePropName(prefix, prop);
        if (kind == tkInteger) {
            // Most integers have no identifiers; those that do were indexed with their bytes.
            const QByteArray* ident = prop.type->identMap.empty() ? nullptr : prop.type->IdentBytes(v);
            if (ident)
                m_values.WriteRawIdentBytes(*ident);
            else
                m_values.WriteInteger(v);
        } else if (kind == tkChar) {
            const QChar c{char16_t(v)};
            m_values.WriteString(QStringView(&c, 1));
        } else if (kind == tkEnumeration) {
            if (const QByteArray* bytes = prop.type->EnumNameBytes(v))
                m_values.WriteIdentBytes(*bytes);
            else
                m_values.WriteIdent(prop.type->EnumName(v));
        } else {
            WriteSetMembers(*prop.type, v);
        }
        return;
    }
    case tkInt64: {
        const int64_t v = prop.getOrdinal(instance);
        if (v == (prop.defaultValue == kNoDefault ? 0 : prop.defaultValue))
            return;
        WritePropName(prefix, prop);
        m_values.WriteInt64(v);
        return;
    }
    case tkFloat: {
        const double v = prop.getFloat(instance);
        if (v == 0)
            return;
        WritePropName(prefix, prop);
        m_values.WriteExtended(v);
        return;
    }
    case tkString: case tkWString: {
        const QString v = prop.getString(instance);
        if (v.isEmpty())
            return;
        WritePropName(prefix, prop);
        m_values.WriteString(v);
        return;
    }
    case tkMethod: {
        const TMethod m = prop.getMethod(instance);
        if (!m.IsAssigned() || !m_lookupRoot)
            return;
        const QString name = m_lookupRoot->MethodName(m);
        if (name.isEmpty())
            return;
        WritePropName(prefix, prop);
        m_values.WriteRawIdent(name);
        return;
    }
    case tkVariant: {
        const TVarValue v = prop.getVariant(instance);
        if (v.IsUnassigned())
            return;
        WritePropName(prefix, prop);
        WriteVariant(v);
        return;
    }
    case tkClass: case tkInterface: {
        TPersistent* value = prop.getObject(instance);
        if (!value)
            return;
        TComponent* component = value->AsComponent();
        if (component && !component->IsSubComponent()) {
            const QString ref = ReferenceText(component);
            if (ref.isEmpty())
                return;
            WritePropName(prefix, prop);
            m_values.WriteRawIdent(ref);
            return;
        }
        // The path and its dot on the stack: sub-objects are written for every draw command.
        const QByteArray nameBytes = prop.streamName.isEmpty() ? ToCodePage(prop.name) : prop.streamName;
        QVarLengthArray<char, 128> path;
        path.append(prefix.data(), prefix.size());
        path.append(nameBytes.constData(), nameBytes.size());
        path.append('.');
        const QByteArrayView pathView(path.constData(), path.size());
        WritePropertiesIn(*value, pathView);
        if (TCollection* collection = value->AsCollection()) {
            m_values.WriteShortStringBytes(pathView.chopped(1));
            WriteCollection(*collection);
        }
        return;
    }
    }
}

void TWriter::WriteSetMembers(const TTypeInfo& type, int64_t members)
{
    // The names' bytes straight from the type; a type never indexed goes the long way.
    if (type.enumNameBytes.size() != size_t(type.enumNames.size())) {
        QStringList names;
        for (int i = 0; i < type.enumNames.size() && i < 32; ++i)
            if (uint64_t(members) & (uint64_t(1) << i))
                names.append(type.enumNames[i]);
        m_values.WriteSet(names);
        return;
    }
    m_values.WriteValueType(svSet);
    for (size_t i = 0; i < type.enumNameBytes.size() && i < 32; ++i)
        // An empty name would end the set early and shift everything after it.
        if ((uint64_t(members) & (uint64_t(1) << i)) && !type.enumNameBytes[i].isEmpty())
            m_values.WriteShortStringBytes(type.enumNameBytes[i]);
    m_values.WriteByte(0);
}

void TWriter::WriteCollection(const TCollection& collection)
{
    const TLevel level(*this);
    m_values.WriteValueType(svCollection);
    for (int i = 0; i < collection.Count(); ++i) {
        m_values.WriteValueType(svList);
        WritePropertiesIn(*collection.Items(i), {});
        m_values.WriteListEnd();
    }
    m_values.WriteListEnd();
}

void TWriter::WriteVariant(const TVarValue& v)
{
    switch (v.kind) {
    case TVarValue::vtUnassigned: m_values.WriteNil(); return;
    case TVarValue::vtNull: m_values.WriteNull(); return;
    case TVarValue::vtShortInt: case TVarValue::vtSmallInt: case TVarValue::vtInteger:
        m_values.WriteInteger(v.integer);
        return;
    case TVarValue::vtInt64: m_values.WriteInt64(v.integer); return;
    case TVarValue::vtSingle: m_values.WriteSingle(float(v.real)); return;
    case TVarValue::vtDouble: m_values.WriteExtended(v.real); return;
    case TVarValue::vtCurrency: m_values.WriteCurrency(v.integer); return;
    case TVarValue::vtDate: m_values.WriteDate(v.real); return;
    case TVarValue::vtBoolean: m_values.WriteBoolean(v.integer != 0); return;
    case TVarValue::vtWideString: m_values.WriteString(v.text); return;
    case TVarValue::vtString: m_values.WriteListItemString(v.text); return;
    case TVarValue::vtArray: break;
    }
    throw EWriteError(GetMessage(msg::StreamWriteError));
}

QString TWriter::ReferenceText(const TComponent* component) const
{
    if (!component)
        return {};
    if (component == m_lookupRoot)
        return QStringLiteral("Owner");
    if (component->Name().isEmpty())
        return {};
    TComponent* owner = component->Owner();
    if (owner && owner == m_lookupRoot)
        return component->Name();
    if (owner && m_lookupRoot)
        for (TComponent* up = owner->Owner(); up; up = up->Owner())
            if (up == m_lookupRoot) {
                const QString ownerRef = ReferenceText(owner);
                return ownerRef.isEmpty() ? QString() : ownerRef + u'.' + component->Name();
            }
    if (!owner || owner->Name().isEmpty())
        return component->Name() + QStringLiteral(".Owner");
    return owner->Name() + u'.' + component->Name();
}

QByteArray WriteComponentToBytes(TComponent* component, TComponent* root)
{
    QByteArray out;
    TWriter writer(out);
    if (root) {
        writer.SetRoot(root);
        writer.SetLookupRoot(root);
    }
    writer.WriteDescendent(component);
    return out;
}

} // namespace orvane
