#pragma once

// Published-property descriptors: one table per class drives streaming, undo,
// the inspector and the designer. Nobody writes per-class streaming code.

#include <QString>
#include <QStringList>
#include <QHash>
#include <cstdint>
#include <functional>
#include <limits>
#include <type_traits>
#include <vector>

#include "document/method.h"
#include "document/var_value.h"

namespace orvane {

class TPersistent;
class TComponent;
class TCollection;
class TReader;
class TWriter;
class TClassInfo;

enum TTypeKind : uint8_t {
    tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass,
    tkMethod, tkWString, tkVariant, tkInterface, tkInt64
};

// The value that marks an ordinal property as having no default.
inline constexpr int64_t kNoDefault = std::numeric_limits<int32_t>::min();

struct TIdentMapEntry {
    int64_t value;
    QString name;
};

// Type information of a property: its kind, the value names of enumerations
// and sets, and the identifier map of integer types such as TColor.
class TTypeInfo {
public:
    TTypeKind kind = tkInteger;
    QString name;
    QStringList enumNames;                 // enumerations, and the element type of a set
    std::vector<TIdentMapEntry> identMap;  // integers streamed as names
    // The names above in the stream's code page, made by Index() so that
    // writers copy bytes instead of converting the same names again.
    std::vector<QByteArray> enumNameBytes;
    std::vector<QByteArray> identNameBytes;

    // Ordinal of an enumeration or set element name, case-insensitive; -1 when unknown.
    int EnumValue(QStringView valueName) const;
    QString EnumName(int64_t ordinal) const;
    bool IdentToInt(QStringView ident, int64_t& value) const;
    bool IntToIdent(int64_t value, QString& ident) const;
    // The stream bytes of an enumeration name or of the identifier of a
    // value; null when there is none (or the type was never indexed).
    const QByteArray* EnumNameBytes(int64_t ordinal) const;
    const QByteArray* IdentBytes(int64_t value) const;

    void Index();  // builds the look-up tables once the names are complete

private:
    QHash<QString, int> m_enumExact;        // value name as declared -> ordinal
    QHash<QString, int> m_enumIndex;        // lower-case value name -> ordinal
    QHash<QString, int64_t> m_identExact;   // identifier as declared -> value
    QHash<QString, int64_t> m_identIndex;   // lower-case identifier -> value
    QHash<int64_t, int> m_valueIndex;       // value -> first map entry
};

const TTypeInfo& IntegerType();
const TTypeInfo& Int64Type();
const TTypeInfo& CharType();
const TTypeInfo& FloatType();
const TTypeInfo& StringType();
const TTypeInfo& WideStringType();
const TTypeInfo& BooleanType();
const TTypeInfo& ClassType();
const TTypeInfo& MethodType();
const TTypeInfo& VariantType();

// Makes (once, for the process) the type information of an enumeration or a set of one.
const TTypeInfo& EnumType(const char* name, std::initializer_list<const char*> names);
const TTypeInfo& SetType(const char* name, const TTypeInfo& elementType);
const TTypeInfo& IdentMapType(const char* name, std::vector<TIdentMapEntry> entries);

enum TStoredRule : uint8_t { srAlways, srNever, srPredicate };

struct TPropInfo {
    QString name;
    QByteArray streamName;  // the name in the stream's code page, set by TClassInfo::Index()
    QByteArray streamEntry;  // the same as a short string (its length byte first), also set there
    const TTypeInfo* type = nullptr;
    const TClassInfo* objectClass = nullptr;  // class kind: the declared class
    TStoredRule stored = srAlways;
    int64_t defaultValue = kNoDefault;

    // Accessors; which pair is set follows the kind. Integers, characters,
    // enumerations, sets (bit masks) and 64-bit integers go through the ordinal pair.
    std::function<int64_t(const TPersistent&)> getOrdinal;
    std::function<void(TPersistent&, int64_t)> setOrdinal;
    std::function<double(const TPersistent&)> getFloat;
    std::function<void(TPersistent&, double)> setFloat;
    std::function<QString(const TPersistent&)> getString;
    std::function<void(TPersistent&, const QString&)> setString;
    std::function<TPersistent*(const TPersistent&)> getObject;
    std::function<void(TPersistent&, TPersistent*)> setObject;
    std::function<TMethod(const TPersistent&)> getMethod;
    std::function<void(TPersistent&, const TMethod&)> setMethod;
    std::function<TVarValue(const TPersistent&)> getVariant;
    std::function<void(TPersistent&, const TVarValue&)> setVariant;
    std::function<bool(const TPersistent&)> storedPredicate;

    TTypeKind Kind() const { return type->kind; }
    // Answered from flags once the class is indexed: the writer asks for
    // every property of every object it writes.
    bool IsReadable() const { return indexed ? readable : HasGetter(); }
    bool IsWritable() const { return indexed ? writable : HasSetter(); }
    bool IsStored(const TPersistent& instance) const
    {
        return stored == srAlways || (stored == srPredicate && storedPredicate(instance));
    }

    // Set by TClassInfo::Index() from the accessors.
    bool indexed = false;
    bool readable = false;
    bool writable = false;
    bool HasGetter() const;
    bool HasSetter() const;
};

// A property that exists only in streams, with its own read and write operations.
struct TDefinedPropInfo {
    QString name;
    QByteArray streamName;  // as TPropInfo::streamName
    QByteArray streamEntry;  // as TPropInfo::streamEntry
    bool binary = false;
    std::function<void(TPersistent&, TReader&)> read;
    std::function<void(const TPersistent&, TWriter&)> write;
    std::function<void(TPersistent&, const QByteArray&)> readBinary;
    std::function<QByteArray(const TPersistent&)> writeBinary;
    std::function<bool(const TPersistent&)> hasData;
};

// A published method of a lookup root: the handler a stream names.
struct TPublishedMethod {
    QString name;
    std::function<TMethodCode(TComponent&)> bind;
};

class TClassInfo {
public:
    QString className;
    QByteArray streamClassName;  // the class name in the stream's code page, set by Index()
    const TClassInfo* parent = nullptr;
    std::vector<TPropInfo> properties;      // the parent's list, then this class's own
    std::vector<TDefinedPropInfo> defined;  // the parent's first
    std::vector<TPublishedMethod> methods;
    bool isComponent = false;
    std::function<TComponent*(TComponent* owner)> createComponent;
    std::function<TPersistent*(TCollection& collection)> createCollectionItem;

    const TPropInfo* FindProperty(QStringView propName) const;
    const TDefinedPropInfo* FindDefined(QStringView propName) const;
    const TPublishedMethod* FindMethod(QStringView methodName) const;
    bool InheritsFrom(const TClassInfo& other) const;
    // Does this class publish a property of this name and kind?
    bool PublishesProperty(QStringView propName, TTypeKind kind) const;
    bool PublishesProperty(QStringView propName) const { return FindProperty(propName) != nullptr; }

    void Index();  // builds the name look-up tables; called once when the class is complete

private:
    QHash<QString, int> m_exactIndex;  // name as declared -> position
    QHash<QString, int> m_propIndex;   // lower-case name -> position
};

namespace detail {
template <class T> struct IsTMethod : std::false_type {};
template <> struct IsTMethod<TMethod> : std::true_type {};
}

// Builds a class's descriptor table in declaration order.
template <class C>
class TClassBuilder {
public:
    TClassBuilder(const char* className, const TClassInfo* parent)
    {
        m_info.className = QString::fromLatin1(className);
        m_info.parent = parent;
        if (parent) {
            m_info.properties = parent->properties;
            m_info.defined = parent->defined;
            m_info.methods = parent->methods;
            m_info.isComponent = parent->isComponent;
        }
    }

    // A published property. The getter and setter are member functions or
    // callables taking the object; the setter may be omitted (read-only).
    template <class Getter, class Setter = std::nullptr_t>
    TClassBuilder& Prop(const char* name, const TTypeInfo& type, Getter getter, Setter setter = nullptr)
    {
        TPropInfo p;
        p.name = QString::fromLatin1(name);
        p.type = &type;
        using R = std::decay_t<std::invoke_result_t<Getter, const C&>>;
        if constexpr (std::is_same_v<R, QString>) {
            p.getString = [getter](const TPersistent& o) { return QString(std::invoke(getter, static_cast<const C&>(o))); };
            if constexpr (!std::is_null_pointer_v<Setter>)
                p.setString = [setter](TPersistent& o, const QString& v) { std::invoke(setter, static_cast<C&>(o), v); };
        } else if constexpr (std::is_floating_point_v<R>) {
            p.getFloat = [getter](const TPersistent& o) { return double(std::invoke(getter, static_cast<const C&>(o))); };
            if constexpr (!std::is_null_pointer_v<Setter>)
                p.setFloat = [setter](TPersistent& o, double v) { std::invoke(setter, static_cast<C&>(o), R(v)); };
        } else if constexpr (std::is_same_v<R, TMethod>) {
            p.getMethod = [getter](const TPersistent& o) { return TMethod(std::invoke(getter, static_cast<const C&>(o))); };
            if constexpr (!std::is_null_pointer_v<Setter>)
                p.setMethod = [setter](TPersistent& o, const TMethod& v) { std::invoke(setter, static_cast<C&>(o), v); };
        } else if constexpr (std::is_same_v<R, TVarValue>) {
            p.getVariant = [getter](const TPersistent& o) { return TVarValue(std::invoke(getter, static_cast<const C&>(o))); };
            if constexpr (!std::is_null_pointer_v<Setter>)
                p.setVariant = [setter](TPersistent& o, const TVarValue& v) { std::invoke(setter, static_cast<C&>(o), v); };
        } else if constexpr (std::is_pointer_v<R>) {
            using Target = std::remove_cv_t<std::remove_pointer_t<R>>;
            p.objectClass = &Target::StaticClass();
            p.getObject = [getter](const TPersistent& o) -> TPersistent* {
                return const_cast<Target*>(std::invoke(getter, static_cast<const C&>(o)));
            };
            if constexpr (!std::is_null_pointer_v<Setter>)
                p.setObject = [setter](TPersistent& o, TPersistent* v) {
                    std::invoke(setter, static_cast<C&>(o), dynamic_cast<Target*>(v));
                };
        } else if constexpr (std::is_same_v<R, QChar>) {
            p.getOrdinal = [getter](const TPersistent& o) { return int64_t(std::invoke(getter, static_cast<const C&>(o)).unicode()); };
            if constexpr (!std::is_null_pointer_v<Setter>)
                p.setOrdinal = [setter](TPersistent& o, int64_t v) { std::invoke(setter, static_cast<C&>(o), QChar(char16_t(v))); };
        } else {
            static_assert(std::is_integral_v<R> || std::is_enum_v<R>, "unsupported property type");
            p.getOrdinal = [getter](const TPersistent& o) { return int64_t(std::invoke(getter, static_cast<const C&>(o))); };
            if constexpr (!std::is_null_pointer_v<Setter>)
                p.setOrdinal = [setter](TPersistent& o, int64_t v) { std::invoke(setter, static_cast<C&>(o), static_cast<R>(v)); };
        }
        Publish(std::move(p));
        return *this;
    }

    // A property kept in a plain data member. Setting it on a report object
    // goes through its SetField, which tells the designer.
    template <class V, class Holder>
    TClassBuilder& Field(const char* name, const TTypeInfo& type, V Holder::*member)
    {
        static_assert(std::is_base_of_v<Holder, C>);
        return Prop(
            name, type, [member](const C& o) { return o.*member; },
            [member, name](C& o, const V& v) {
                if constexpr (requires { o.SetField(o.*member, v, name); })
                    o.SetField(o.*member, v, name);
                else
                    o.*member = v;
            });
    }
    template <class Holder>
    TClassBuilder& Event(const char* name, TMethod Holder::*member) { return Field(name, MethodType(), member); }

    // Modifiers of the property declared last.
    TClassBuilder& Default(int64_t value) { Last().defaultValue = value; return *this; }
    TClassBuilder& NoDefault() { Last().defaultValue = kNoDefault; return *this; }
    TClassBuilder& NeverStored() { Last().stored = srNever; return *this; }
    template <class Pred>
    TClassBuilder& StoredIf(Pred pred)
    {
        Last().stored = srPredicate;
        Last().storedPredicate = [pred](const TPersistent& o) { return bool(std::invoke(pred, static_cast<const C&>(o))); };
        return *this;
    }

    // A property that lives only in streams.
    template <class Read, class Write, class HasData>
    TClassBuilder& Defined(const char* name, Read read, Write write, HasData hasData)
    {
        TDefinedPropInfo d;
        d.name = QString::fromLatin1(name);
        d.read = [read](TPersistent& o, TReader& r) { std::invoke(read, static_cast<C&>(o), r); };
        if constexpr (!std::is_null_pointer_v<Write>)
            d.write = [write](const TPersistent& o, TWriter& w) { std::invoke(write, static_cast<const C&>(o), w); };
        d.hasData = [hasData](const TPersistent& o) { return bool(std::invoke(hasData, static_cast<const C&>(o))); };
        Define(std::move(d));
        return *this;
    }
    template <class Read, class Write, class HasData>
    TClassBuilder& DefinedBinary(const char* name, Read read, Write write, HasData hasData)
    {
        TDefinedPropInfo d;
        d.name = QString::fromLatin1(name);
        d.binary = true;
        d.readBinary = [read](TPersistent& o, const QByteArray& b) { std::invoke(read, static_cast<C&>(o), b); };
        d.writeBinary = [write](const TPersistent& o) { return QByteArray(std::invoke(write, static_cast<const C&>(o))); };
        d.hasData = [hasData](const TPersistent& o) { return bool(std::invoke(hasData, static_cast<const C&>(o))); };
        Define(std::move(d));
        return *this;
    }

    // A method a stream may name as an event handler of this lookup root.
    template <class Fn>
    TClassBuilder& Method(const char* name, Fn fn)
    {
        TPublishedMethod m;
        m.name = QString::fromLatin1(name);
        m.bind = [fn](TComponent& self) -> TMethodCode {
            C* target = static_cast<C*>(&self);
            return [target, fn](TComponent* sender, TjxEventParams& params) { std::invoke(fn, *target, sender, params); };
        };
        m_info.methods.push_back(std::move(m));
        return *this;
    }

    // Components that the stream reader can create by class name.
    TClassBuilder& Creatable()
    {
        if constexpr (std::is_constructible_v<C, TComponent*>)
            m_info.createComponent = [](TComponent* owner) -> TComponent* { return new C(owner); };
        return *this;
    }
    TClassBuilder& CollectionItem()
    {
        if constexpr (std::is_constructible_v<C, TCollection*>)
            m_info.createCollectionItem = [](TCollection& c) -> TPersistent* { return new C(&c); };
        return *this;
    }
    TClassBuilder& Component()
    {
        m_info.isComponent = true;
        return *this;
    }

    TClassInfo Build()
    {
        m_info.Index();
        return std::move(m_info);
    }

private:
    TPropInfo& Last() { return m_info.properties[m_last]; }

    void Publish(TPropInfo p)
    {
        // Publishing a name again keeps the parent's position.
        for (size_t i = 0; i < m_info.properties.size(); ++i) {
            if (m_info.properties[i].name.compare(p.name, Qt::CaseInsensitive) == 0) {
                m_info.properties[i] = std::move(p);
                m_last = i;
                return;
            }
        }
        m_info.properties.push_back(std::move(p));
        m_last = m_info.properties.size() - 1;
    }

    void Define(TDefinedPropInfo d)
    {
        for (auto& existing : m_info.defined)
            if (existing.name.compare(d.name, Qt::CaseInsensitive) == 0) {
                existing = std::move(d);
                return;
            }
        m_info.defined.push_back(std::move(d));
    }

    TClassInfo m_info;
    size_t m_last = 0;
};

// Declares a streamable class's descriptor table; the .cpp defines StaticClass().
#define ORVANE_CLASS(Class, Base)                                                    \
public:                                                                              \
    using inherited = Base;                                                          \
    static const ::orvane::TClassInfo& StaticClass();                                \
    const ::orvane::TClassInfo& ClassInfo() const override { return StaticClass(); } \
                                                                                     \
private:

} // namespace orvane
