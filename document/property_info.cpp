#include "document/property_info.h"

#include <deque>
#include <mutex>

namespace orvane {

int TTypeInfo::EnumValue(QStringView valueName) const
{
    for (int i = 0; i < enumNames.size(); ++i)
        if (QStringView(enumNames[i]).compare(valueName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString TTypeInfo::EnumName(int64_t ordinal) const
{
    if (ordinal < 0 || ordinal >= enumNames.size())
        return {};
    return enumNames[int(ordinal)];
}

bool TTypeInfo::IdentToInt(QStringView ident, int64_t& value) const
{
    for (const auto& e : identMap)
        if (QStringView(e.name).compare(ident, Qt::CaseInsensitive) == 0) {
            value = e.value;
            return true;
        }
    return false;
}

bool TTypeInfo::IntToIdent(int64_t value, QString& ident) const
{
    for (const auto& e : identMap)
        if (e.value == value) {
            ident = e.name;
            return true;
        }
    return false;
}

namespace {

// Type records live for the whole process; handed-out references stay valid.
struct TypeStore {
    std::mutex lock;
    std::deque<TTypeInfo> types;

    const TTypeInfo& Find(TTypeKind kind, const QString& name)
    {
        for (const auto& t : types)
            if (t.kind == kind && t.name == name)
                return t;
        return Add(kind, name);
    }
    const TTypeInfo& Add(TTypeKind kind, const QString& name)
    {
        types.emplace_back();
        types.back().kind = kind;
        types.back().name = name;
        return types.back();
    }
};

TypeStore& Store()
{
    static TypeStore store;
    return store;
}

const TTypeInfo& Basic(TTypeKind kind, const char* name)
{
    auto& s = Store();
    std::lock_guard guard(s.lock);
    return s.Find(kind, QString::fromLatin1(name));
}

} // namespace

const TTypeInfo& IntegerType() { static const TTypeInfo& t = Basic(tkInteger, "Integer"); return t; }
const TTypeInfo& Int64Type() { static const TTypeInfo& t = Basic(tkInt64, "Int64"); return t; }
const TTypeInfo& CharType() { static const TTypeInfo& t = Basic(tkChar, "Char"); return t; }
const TTypeInfo& FloatType() { static const TTypeInfo& t = Basic(tkFloat, "Double"); return t; }
const TTypeInfo& StringType() { static const TTypeInfo& t = Basic(tkString, "String"); return t; }
const TTypeInfo& WideStringType() { static const TTypeInfo& t = Basic(tkWString, "WideString"); return t; }
const TTypeInfo& ClassType() { static const TTypeInfo& t = Basic(tkClass, "TObject"); return t; }
const TTypeInfo& MethodType() { static const TTypeInfo& t = Basic(tkMethod, "TMethod"); return t; }
const TTypeInfo& VariantType() { static const TTypeInfo& t = Basic(tkVariant, "Variant"); return t; }
const TTypeInfo& BooleanType()
{
    static const TTypeInfo& t = EnumType("Boolean", {"False", "True"});
    return t;
}

const TTypeInfo& EnumType(const char* name, std::initializer_list<const char*> names)
{
    auto& s = Store();
    std::lock_guard guard(s.lock);
    const QString typeName = QString::fromLatin1(name);
    for (const auto& t : s.types)
        if (t.kind == tkEnumeration && t.name == typeName)
            return t;
    TTypeInfo& t = const_cast<TTypeInfo&>(s.Add(tkEnumeration, typeName));
    for (const char* n : names)
        t.enumNames.append(QString::fromLatin1(n));
    return t;
}

const TTypeInfo& SetType(const char* name, const TTypeInfo& elementType)
{
    auto& s = Store();
    std::lock_guard guard(s.lock);
    const QString typeName = QString::fromLatin1(name);
    for (const auto& t : s.types)
        if (t.kind == tkSet && t.name == typeName)
            return t;
    TTypeInfo& t = const_cast<TTypeInfo&>(s.Add(tkSet, typeName));
    t.enumNames = elementType.enumNames;
    return t;
}

const TTypeInfo& IdentMapType(const char* name, std::vector<TIdentMapEntry> entries)
{
    auto& s = Store();
    std::lock_guard guard(s.lock);
    const QString typeName = QString::fromLatin1(name);
    for (const auto& t : s.types)
        if (t.kind == tkInteger && t.name == typeName)
            return t;
    TTypeInfo& t = const_cast<TTypeInfo&>(s.Add(tkInteger, typeName));
    t.identMap = std::move(entries);
    return t;
}

bool TPropInfo::IsReadable() const
{
    return getOrdinal || getFloat || getString || getObject || getMethod || getVariant;
}

bool TPropInfo::IsWritable() const
{
    return setOrdinal || setFloat || setString || setObject || setMethod || setVariant;
}

bool TPropInfo::IsStored(const TPersistent& instance) const
{
    switch (stored) {
    case srAlways: return true;
    case srNever: return false;
    case srPredicate: return storedPredicate(instance);
    }
    return true;
}

void TClassInfo::Index()
{
    m_propIndex.clear();
    for (int i = 0; i < int(properties.size()); ++i)
        m_propIndex.insert(properties[i].name.toLower(), i);
}

const TPropInfo* TClassInfo::FindProperty(QStringView propName) const
{
    auto it = m_propIndex.constFind(propName.toString().toLower());
    return it == m_propIndex.cend() ? nullptr : &properties[*it];
}

const TDefinedPropInfo* TClassInfo::FindDefined(QStringView propName) const
{
    for (const auto& d : defined)
        if (QStringView(d.name).compare(propName, Qt::CaseInsensitive) == 0)
            return &d;
    return nullptr;
}

const TPublishedMethod* TClassInfo::FindMethod(QStringView methodName) const
{
    for (const auto& m : methods)
        if (QStringView(m.name).compare(methodName, Qt::CaseInsensitive) == 0)
            return &m;
    return nullptr;
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const
{
    for (const TClassInfo* c = this; c; c = c->parent)
        if (c == &other)
            return true;
    return false;
}

bool TClassInfo::PublishesProperty(QStringView propName, TTypeKind kind) const
{
    const TPropInfo* p = FindProperty(propName);
    return p && p->Kind() == kind;
}

} // namespace orvane
