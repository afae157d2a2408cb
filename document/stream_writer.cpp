#include "document/stream_writer.h"

#include "document/binary_value_reader.h"
#include "document/collection.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/toolkit_component.h"

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

    m_values.WriteShortString(component->ClassName());
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

void TWriter::WritePropName(const QString& prefix, const QString& name)
{
    m_values.WriteShortString(prefix, name);
}

void TWriter::WriteProperties(const TPersistent& instance, const QString& prefix)
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

void TWriter::WriteDefined(const TPersistent& instance, const TDefinedPropInfo& d, const QString& prefix,
                           const TPersistent* ancestor)
{
    const QByteArray value = DefinedValue(instance, d);
    if (value.isEmpty() || (ancestor && value == DefinedValue(*ancestor, d)))
        return;
    WritePropName(prefix, d.name);
    m_out.append(value);
}

void TWriter::WriteProperty(const TPersistent& instance, const TPropInfo& prop, const QString& prefix)
{
    if (!prop.IsReadable())
        return;
    const TTypeKind kind = prop.Kind();
    if (!prop.IsWritable()) {
        if (kind != tkClass)
            return;
        const auto* sub = dynamic_cast<const TComponent*>(prop.getObject(instance));
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
        WritePropName(prefix, prop.name);
        if (kind == tkInteger) {
            QString ident;
            if (prop.type->IntToIdent(v, ident))
                m_values.WriteRawIdent(ident);
            else
                m_values.WriteInteger(v);
        } else if (kind == tkChar) {
            const QChar c{char16_t(v)};
            m_values.WriteString(QStringView(&c, 1));
        } else if (kind == tkEnumeration) {
            m_values.WriteIdent(prop.type->EnumName(v));
        } else {
            QStringList members;
            for (int i = 0; i < prop.type->enumNames.size() && i < 32; ++i)
                if (uint64_t(v) & (uint64_t(1) << i))
                    members.append(prop.type->enumNames[i]);
            m_values.WriteSet(members);
        }
        return;
    }
    case tkInt64: {
        const int64_t v = prop.getOrdinal(instance);
        if (v == (prop.defaultValue == kNoDefault ? 0 : prop.defaultValue))
            return;
        WritePropName(prefix, prop.name);
        m_values.WriteInt64(v);
        return;
    }
    case tkFloat: {
        const double v = prop.getFloat(instance);
        if (v == 0)
            return;
        WritePropName(prefix, prop.name);
        m_values.WriteExtended(v);
        return;
    }
    case tkString: case tkWString: {
        const QString v = prop.getString(instance);
        if (v.isEmpty())
            return;
        WritePropName(prefix, prop.name);
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
        WritePropName(prefix, prop.name);
        m_values.WriteRawIdent(name);
        return;
    }
    case tkVariant: {
        const TVarValue v = prop.getVariant(instance);
        if (v.IsUnassigned())
            return;
        WritePropName(prefix, prop.name);
        WriteVariant(v);
        return;
    }
    case tkClass: case tkInterface: {
        TPersistent* value = prop.getObject(instance);
        if (!value)
            return;
        auto* component = dynamic_cast<TComponent*>(value);
        if (component && !component->IsSubComponent()) {
            const QString ref = ReferenceText(component);
            if (ref.isEmpty())
                return;
            WritePropName(prefix, prop.name);
            m_values.WriteRawIdent(ref);
            return;
        }
        // One string for the path and its dot: sub-objects are written for every draw command.
        QString path;
        path.reserve(prefix.size() + prop.name.size() + 1);
        path.append(prefix).append(prop.name).append(u'.');
        WriteProperties(*value, path);
        if (auto* collection = dynamic_cast<TCollection*>(value)) {
            m_values.WriteShortString(QStringView(path).chopped(1));
            WriteCollection(*collection);
        }
        return;
    }
    }
}

void TWriter::WriteCollection(const TCollection& collection)
{
    const TLevel level(*this);
    m_values.WriteValueType(svCollection);
    for (int i = 0; i < collection.Count(); ++i) {
        m_values.WriteValueType(svList);
        WriteProperties(*collection.Items(i));
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
