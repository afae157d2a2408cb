#include "document/property_info.h"

#include "document/code_page.h"

#include <deque>
#include <mutex>

namespace orvane {

void TTypeInfo::Index()
{
    m_enumExact.clear();
    m_enumIndex.clear();
    enumNameBytes.clear();
    identNameBytes.clear();
    for (const QString& n : enumNames)
        enumNameBytes.push_back(ToCodePage(n));
    for (const TIdentMapEntry& e : identMap)
        identNameBytes.push_back(ToCodePage(e.name));
    for (int i = 0; i < enumNames.size(); ++i) {
        m_enumExact.insert(enumNames[i], i);
        m_enumIndex.insert(enumNames[i].toLower(), i);
    }
    m_identExact.clear();
    m_identIndex.clear();
    m_valueIndex.clear();
    for (int i = 0; i < int(identMap.size()); ++i) {
        m_identExact.insert(identMap[size_t(i)].name, identMap[size_t(i)].value);
        m_identIndex.insert(identMap[size_t(i)].name.toLower(), identMap[size_t(i)].value);
        if (!m_valueIndex.contains(identMap[size_t(i)].value))
            m_valueIndex.insert(identMap[size_t(i)].value, i);
    }
}

int TTypeInfo::EnumValue(QStringView valueName) const
{
    const QString key = valueName.toString();
    auto exact = m_enumExact.constFind(key);
    if (exact != m_enumExact.cend())
        return *exact;
    return m_enumIndex.value(key.toLower(), -1);
}

QString TTypeInfo::EnumName(int64_t ordinal) const
{
    if (ordinal < 0 || ordinal >= enumNames.size())
        return {};
    return enumNames[int(ordinal)];
}

bool TTypeInfo::IdentToInt(QStringView ident, int64_t& value) const
{
    const QString key = ident.toString();
    auto exact = m_identExact.constFind(key);
    if (exact != m_identExact.cend()) {
        value = *exact;
        return true;
    }
    auto it = m_identIndex.constFind(key.toLower());
    if (it == m_identIndex.cend())
        return false;
    value = *it;
    return true;
}

const QByteArray* TTypeInfo::EnumNameBytes(int64_t ordinal) const
{
    if (ordinal < 0 || ordinal >= int64_t(enumNameBytes.size()) || enumNameBytes.size() != size_t(enumNames.size()))
        return nullptr;
    return &enumNameBytes[size_t(ordinal)];
}

const QByteArray* TTypeInfo::IdentBytes(int64_t value) const
{
    if (identNameBytes.size() != identMap.size())
        return nullptr;
    auto it = m_valueIndex.constFind(value);
    return it == m_valueIndex.cend() ? nullptr : &identNameBytes[size_t(*it)];
}

bool TTypeInfo::IntToIdent(int64_t value, QString& ident) const
{
    auto it = m_valueIndex.constFind(value);
    if (it == m_valueIndex.cend())
        return false;
    ident = identMap[size_t(*it)].name;
    return true;
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
    t.Index();
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
    t.Index();
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
    t.Index();
    return t;
}

bool TPropInfo::HasGetter() const
{
    return getOrdinal || getFloat || getString || getObject || getMethod || getVariant;
}

bool TPropInfo::HasSetter() const
{
    return setOrdinal || setFloat || setString || setObject || setMethod || setVariant;
}

void TClassInfo::Index()
{
    m_exactIndex.clear();
    m_propIndex.clear();
    streamClassName = ToCodePage(className);
    // Names past a short string's 255 bytes are cut, as any short string is.
    const auto entry = [](const QByteArray& name) {
        const QByteArray cut = name.left(255);
        return char(uint8_t(cut.size())) + cut;
    };
    for (TPropInfo& p : properties) {
        p.streamName = ToCodePage(p.name);
        p.streamEntry = entry(p.streamName);
        p.readable = p.HasGetter();
        p.writable = p.HasSetter();
        p.indexed = true;
    }
    for (TDefinedPropInfo& d : defined) {
        d.streamName = ToCodePage(d.name);
        d.streamEntry = entry(d.streamName);
    }
    for (int i = 0; i < int(properties.size()); ++i) {
        m_exactIndex.insert(properties[i].name, i);
        m_propIndex.insert(properties[i].name.toLower(), i);
    }
}

const TPropInfo* TClassInfo::FindProperty(QStringView propName) const
{
    // Streams spell names as declared; only other spellings pay for folding.
    const QString key = propName.toString();
    auto exact = m_exactIndex.constFind(key);
    if (exact != m_exactIndex.cend())
        return &properties[*exact];
    auto it = m_propIndex.constFind(key.toLower());
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
