#pragma once

#include "document/binary_value_writer.h"
#include "document/property_info.h"

namespace orvane {

class TPersistent;
class TComponent;
class TCollection;

// Writes component records: published properties in list order, then defined
// properties, then the children each class names. Values equal to their
// defaults are left out. A tree that nests deeper than kMaxStreamNesting, or a
// NaN or infinite float, fails with "Nesting too deep" or "Stream write
// error": no reader would take the stream back.
class TWriter {
public:
    explicit TWriter(QByteArray& out);

    // The component whose stream this is, and the one references are relative to.
    TComponent* Root() const { return m_root; }
    void SetRoot(TComponent* root) { m_root = root; }
    TComponent* LookupRoot() const { return m_lookupRoot; }
    void SetLookupRoot(TComponent* lookupRoot) { m_lookupRoot = lookupRoot; }
    // A child left out of the stream with its own children, as if it were
    // not there: a device's copy without it would cost a copy of the tree.
    void SetLeftOut(const TComponent* child) { m_leftOut = child; }

    // Inherited streams: the object the written component descends from.
    // Where it is of the component's class, each defined entry is written only
    // when its value differs from the ancestor's; templates have none, and
    // then every entry follows its own rule.
    const TPersistent* Ancestor() const { return m_ancestor; }
    void SetAncestor(const TPersistent* ancestor) { m_ancestor = ancestor; }

    // Signature and one record. Root and lookup root default to the
    // component's owner, or the component itself when it has none.
    void WriteDescendent(TComponent* component);
    // One record without signature.
    void WriteComponent(TComponent* component);
    // A component's entries (or a sub-object's, under a path prefix).
    void WriteProperties(const TPersistent& instance, const QString& prefix = QString());
    void WriteCollection(const TCollection& collection);

    // Values, for the write operations of defined properties.
    void WriteListBegin();
    void WriteListEnd();
    void WriteInteger(int64_t v) { m_values.WriteInteger(v); }
    void WriteFloat(double v) { m_values.WriteExtended(v); }
    void WriteSingle(float v) { m_values.WriteSingle(v); }
    void WriteCurrency(int64_t scaled) { m_values.WriteCurrency(scaled); }
    void WriteDate(double v) { m_values.WriteDate(v); }
    void WriteBoolean(bool v) { m_values.WriteBoolean(v); }
    void WriteString(QStringView v) { m_values.WriteString(v); }
    void WriteListItemString(QStringView v) { m_values.WriteListItemString(v); }
    void WriteIdent(QStringView v) { m_values.WriteIdent(v); }
    void WriteVariant(const TVarValue& v);
    TBinaryValueWriter& Values() { return m_values; }

    // The text that names a component relative to the lookup root; empty when
    // the component cannot be named.
    QString ReferenceText(const TComponent* component) const;

private:
    // The prefix is the path in the stream's code page, as the names are kept.
    void WritePropertiesIn(const TPersistent& instance, QByteArrayView prefix);
    void WriteProperty(const TPersistent& instance, const TPropInfo& prop, QByteArrayView prefix);
    void WriteDefined(const TPersistent& instance, const TDefinedPropInfo& d, QByteArrayView prefix,
                      const TPersistent* ancestor);
    // The bytes of a defined entry's value alone (empty when it has no data).
    QByteArray DefinedValue(const TPersistent& instance, const TDefinedPropInfo& d) const;
    void WriteSetMembers(const TTypeInfo& type, int64_t members);
    // The name of a property or defined property, after the path `prefix`.
    template <class Info>
    void WritePropName(QByteArrayView prefix, const Info& info);
    void Enter();
    void Leave() { --m_depth; }
    // One level of nesting for the scope: refused past the limit, left on exit.
    struct TLevel {
        explicit TLevel(TWriter& writer) : w(writer) { w.Enter(); }
        ~TLevel() { w.Leave(); }
        TLevel(const TLevel&) = delete;
        TLevel& operator=(const TLevel&) = delete;
        TWriter& w;
    };

    QByteArray& m_out;
    TBinaryValueWriter m_values;
    TComponent* m_root = nullptr;
    TComponent* m_lookupRoot = nullptr;
    const TComponent* m_leftOut = nullptr;
    const TPersistent* m_ancestor = nullptr;
    int m_depth = 0;
};

// Convenience: the binary stream of one component.
QByteArray WriteComponentToBytes(TComponent* component, TComponent* root = nullptr);

} // namespace orvane
