#include "document/parameter.h"

#include "document/class_registry.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"

namespace orvane {

const TClassInfo& TjxParameter::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxParameter>("TjxParameter", &TjxRelative::StaticClass())
            .Creatable()
            .Prop("DataType", DataTypeType(), &TjxParameter::DataType, &TjxParameter::SetDataType).NoDefault()
            .Prop("Value", VariantType(), &TjxParameter::Value, &TjxParameter::SetValue)
            .Prop("PickList", ClassType(), &TjxParameter::PickList, &TjxParameter::SetPickList)
            .StoredIf(&TjxParameter::HasPickList)
            .Build();
    return info;
}

ORVANE_REGISTER_CLASS(TjxParameter);

TjxParameter::TjxParameter(TComponent* owner) : TjxRelative(owner), m_value(TVarValue::WideString(QString())) {}

TjxParameter::~TjxParameter() = default;

bool TjxParameter::IsSupportedDataType(TjxDataType type)
{
    switch (type) {
    case dtBoolean: case dtDateTime: case dtInteger: case dtSingle: case dtDouble: case dtCurrency: case dtString:
    case dtLargeInt:
        return true;
    default:
        return false;
    }
}

TjxDataType TjxParameter::DataTypeOfValueKind(TVarValue::Kind kind) const
{
    return DataTypeOfVarKind(kind);
}

TVarValue::Kind TjxParameter::ValueKindOfDataType(TjxDataType type) const
{
    return VarKindOfDataType(type);
}

void TjxParameter::SetDataType(TjxDataType type)
{
    if (!IsSupportedDataType(type))
        throw EParameterError(MessageText(msg::ParameterTypeNotSupported, {DataTypeName(type)}));
    if (type == m_dataType)
        return;
    if (IsReadingOrLoading()) {
        m_dataType = type;
        return;
    }
    const TVarValue::Kind kind = ValueKindOfDataType(type);
    TVarValue carried;
    if (m_isNull)
        carried = VarZero(kind);  // nothing to carry; the value stays null
    else if (m_dataType == dtString && m_value.text.isEmpty())
        carried = VarZero(kind);
    else if (type == dtString && VarEqualsZero(m_value))
        carried = VarZero(kind);
    else
        carried = VarAsKind(m_value, kind);  // may throw; nothing has changed yet
    NotifyDesignerPropertyChange(QStringLiteral("DataType"));
    m_dataType = type;
    m_value = carried;
    Modified();
}

TVarValue TjxParameter::Value() const
{
    return m_isNull ? TVarValue::Null() : m_value;
}

void TjxParameter::SetValue(const TVarValue& value)
{
    const bool reading = IsReadingOrLoading();
    if (VarIsNullOrUnassigned(value)) {
        if (m_isNull)
            return;
        if (!reading)
            NotifyDesignerPropertyChange(QStringLiteral("Value"));
        m_isNull = true;
        if (!reading)
            Modified();
        return;
    }
    TVarValue converted = VarAsKind(value, ValueKindOfDataType(m_dataType));
    if (!reading)
        NotifyDesignerPropertyChange(QStringLiteral("Value"));
    m_isNull = false;
    m_value = std::move(converted);
    if (!reading)
        Modified();
    ValueSet();
}

void TjxParameter::ValueSet()
{
    // A copy: the hook may replace itself (the spare joining its list).
    const auto hook = OnValueSet;
    if (hook)
        hook(this);
}

TStrings* TjxParameter::PickList() const
{
    if (!m_pickList)
        m_pickList = std::make_unique<TStrings>();
    return m_pickList.get();
}

void TjxParameter::SetPickList(TStrings* value)
{
    if (!value) {
        if (m_pickList)
            m_pickList->Clear();
        return;
    }
    PickList()->Assign(value);
}

void TjxParameter::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TjxParameter*>(source);
    if (!other)
        return TjxRelative::Assign(source);
    if (other == this)
        return;
    SetName(other->Name());
    m_dataType = other->m_dataType;
    m_isNull = other->m_isNull;
    m_value = other->m_value;
    if (!m_isNull)
        SetValue(other->m_value);
    if (other->m_pickList)
        PickList()->Assign(other->m_pickList.get());
    else if (m_pickList)
        m_pickList->Clear();
}

} // namespace orvane
