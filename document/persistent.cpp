#include "document/persistent.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"

namespace orvane {

const TClassInfo& TPersistent::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TPersistent>("TPersistent", nullptr).Build();
    return info;
}

void TPersistent::Assign(const TPersistent* source)
{
    if (source) {
        source->AssignTo(this);
        return;
    }
    AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* dest) const
{
    const QString from = this == dest ? QStringLiteral("nil") : ClassName();
    throw EConvertError(MessageText(msg::CannotAssign, {from, dest->ClassName()}));
}

std::pair<TPersistent*, const TPropInfo*> ResolvePropertyPath(TPersistent& root, QStringView path)
{
    TPersistent* object = &root;
    qsizetype start = 0;
    for (;;) {
        const qsizetype dot = path.indexOf(u'.', start);
        const QStringView part = path.mid(start, dot < 0 ? -1 : dot - start);
        const TPropInfo* prop = object->ClassInfo().FindProperty(part);
        if (dot < 0)
            return {object, prop};
        if (!prop || prop->Kind() != tkClass || !prop->getObject)
            return {nullptr, nullptr};
        object = prop->getObject(*object);
        if (!object)
            return {nullptr, nullptr};
        start = dot + 1;
    }
}

QVariant TPersistent::GetPropertyValue(QStringView path) const
{
    auto [object, prop] = ResolvePropertyPath(const_cast<TPersistent&>(*this), path);
    if (!prop || !prop->IsReadable())
        throw EInvalidPropertyError(MessageText(msg::PropertyDoesNotExist, {path.toString()}));
    switch (prop->Kind()) {
    case tkInteger: case tkChar: case tkEnumeration: case tkSet: case tkInt64:
        return QVariant::fromValue(qint64(prop->getOrdinal(*object)));
    case tkFloat:
        return prop->getFloat(*object);
    case tkString: case tkWString:
        return prop->getString(*object);
    case tkClass: case tkInterface:
        return QVariant::fromValue(prop->getObject(*object));
    case tkMethod:
        return prop->getMethod(*object).name;
    case tkVariant: {
        const TVarValue v = prop->getVariant(*object);
        switch (v.kind) {
        case TVarValue::vtUnassigned: return QVariant();
        case TVarValue::vtNull: return QVariant::fromValue(nullptr);
        case TVarValue::vtSingle: case TVarValue::vtDouble: case TVarValue::vtDate: return v.real;
        case TVarValue::vtCurrency: return double(v.integer) / 10000.0;
        case TVarValue::vtBoolean: return bool(v.integer);
        case TVarValue::vtWideString: case TVarValue::vtString: return v.text;
        default: return QVariant::fromValue(qint64(v.integer));
        }
    }
    }
    return {};
}

void TPersistent::SetPropertyValue(QStringView path, const QVariant& value)
{
    auto [object, prop] = ResolvePropertyPath(*this, path);
    if (!prop)
        throw EInvalidPropertyError(MessageText(msg::PropertyDoesNotExist, {path.toString()}));
    if (!prop->IsWritable())
        throw EInvalidPropertyError(GetMessage(msg::PropertyIsReadOnly));
    switch (prop->Kind()) {
    case tkInteger: case tkChar: case tkEnumeration: case tkSet: case tkInt64:
        if (value.typeId() == QMetaType::QString && prop->type) {
            int64_t v = 0;
            const int e = prop->type->EnumValue(value.toString());
            if (prop->Kind() == tkEnumeration && e >= 0)
                prop->setOrdinal(*object, e);
            else if (prop->type->IdentToInt(value.toString(), v))
                prop->setOrdinal(*object, v);
            else
                throw EInvalidPropertyError(GetMessage(msg::InvalidPropertyValue));
            return;
        }
        prop->setOrdinal(*object, value.toLongLong());
        return;
    case tkFloat:
        prop->setFloat(*object, value.toDouble());
        return;
    case tkString: case tkWString:
        prop->setString(*object, value.toString());
        return;
    case tkClass: case tkInterface:
        prop->setObject(*object, value.value<TPersistent*>());
        return;
    case tkMethod:
        throw EInvalidPropertyError(GetMessage(msg::InvalidPropertyValue));
    case tkVariant: {
        TVarValue v;
        switch (value.typeId()) {
        case QMetaType::UnknownType: break;
        case QMetaType::Nullptr: v = TVarValue::Null(); break;
        case QMetaType::Bool: v = TVarValue::Boolean(value.toBool()); break;
        case QMetaType::Double: case QMetaType::Float: v = TVarValue::Double(value.toDouble()); break;
        case QMetaType::Int: case QMetaType::LongLong: case QMetaType::UInt: case QMetaType::ULongLong:
            v = TVarValue::Integer(value.toLongLong());
            break;
        default: v = TVarValue::WideString(value.toString()); break;
        }
        prop->setVariant(*object, v);
        return;
    }
    }
}

} // namespace orvane
