#include "components/calc.h"

#include "components/display_format.h"
#include "components/look_ahead.h"
#include "components/system_variable.h"
#include "components/text_production.h"
#include "document/band.h"
#include "document/class_registry.h"
#include "document/custom_report.h"
#include "document/printer_setup.h"
#include "engine/engine.h"

#include <exception>

namespace orvane {

TjxDataType CalcTypeDataType(TjxCalcType type, TjxDataType customType)
{
    return type == ctCustom ? customType : SystemVariableDataType(VarTypeOfCalcType(type));
}

const TClassInfo& TjxCalc::StaticClass()
{
    using T = TjxCalc;
    using P = TjxPublish<T>;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TjxCalc", &TjxCustomText::StaticClass());
        b.Creatable();
        b.Prop("Alignment", AlignmentType(), &T::Alignment, &T::SetAlignment).Default(taLeftJustify);
        P::AutoSize(b, true);
        P::Border(b);
        b.Prop("CalcType", CalcTypeType(), &T::CalcType, &T::SetCalcType).Default(ctDate);
        P::Color(b);
        b.Prop("CustomType", DataTypeType(), &T::CustomType, &T::SetCustomType).Default(dtDateTime);
        b.Prop("DisplayFormat", StringType(), &T::DisplayFormat, &T::SetDisplayFormat);
        P::Font(b);
        b.Prop("OnCalc", MethodType(), &T::OnCalc, &T::SetOnCalc);
        b.Prop("OnFormat", MethodType(), &T::OnFormat, &T::SetOnFormat);
        P::Transparent(b);
        P::Visible(b);
        return b.Build();
    }();
    return info;
}

TjxCalc::TjxCalc(TComponent* owner) : TjxCustomText(owner)
{
    SetCacheRecordSize(1);
}

void TjxCalc::SetCalcType(TjxCalcType value)
{
    if (value > ctCustom || !Change(m_calcType, value, "CalcType", true))
        return;
    if (IsReadingOrLoading())
        return;
    if (value != ctCustom)
        m_customType = CalcTypeDataType(value, m_customType);
    RefreshCaption();
}

void TjxCalc::SetCustomType(TjxDataType value)
{
    if (value > dtGUID || !Change(m_customType, value, "CustomType", true))
        return;
    RefreshCaption();
}

TVarValue TjxCalc::CustomValue() const
{
    switch (m_customType) {
    case dtBoolean: return TVarValue::Boolean(m_custom.boolean);
    case dtDate: case dtTime: case dtDateTime: return VarDate(m_custom.dateTime);
    case dtInteger: case dtLongint: case dtLargeInt: return TVarValue::Integer(m_custom.integer);
    case dtSingle: case dtDouble: case dtExtended: case dtCurrency: return TVarValue::Double(m_custom.real);
    default: return TVarValue::WideString(m_custom.string);
    }
}

void TjxCalc::StoreCustom(TjxDataType type, const TVarValue& value)
{
    m_customType = type;
    switch (type) {
    case dtBoolean: m_custom.boolean = value.integer != 0; break;
    case dtDateTime: m_custom.dateTime = value.real; break;
    case dtInteger: m_custom.integer = int32_t(value.integer); break;
    case dtDouble: m_custom.real = value.real; break;
    default: m_custom.string = value.text; break;
    }
    if (!IsPrinting())
        AfterChange(true);
}

void TjxCalc::SetAsBoolean(bool value) { StoreCustom(dtBoolean, TVarValue::Boolean(value)); }
void TjxCalc::SetAsDateTime(double value) { StoreCustom(dtDateTime, VarDate(value)); }
void TjxCalc::SetAsInteger(int32_t value) { StoreCustom(dtInteger, TVarValue::Integer(value)); }
void TjxCalc::SetAsDouble(double value) { StoreCustom(dtDouble, TVarValue::Double(value)); }
void TjxCalc::SetAsString(const QString& value) { StoreCustom(dtString, TVarValue::WideString(value)); }

void TjxCalc::SetText(const QString& value)
{
    TjxCustomText::SetText(value);
    if (m_calcType == ctCustom)
        SetAsString(value);
}

TVarValue TjxCalc::Value() const
{
    if (m_calcType == ctCustom)
        return CustomValue();
    const QDateTime now = ReportNow(*this);
    const TjxBand* band = Band();
    TjxCustomReport* report = band ? band->Report() : nullptr;
    const QString documentName = report ? report->PrinterSetup()->DocumentName() : QString();
    const TjxVarType type = VarTypeOfCalcType(m_calcType);
    if (IsPrinting() && report && report->HasEngine()) {
        const TjxEngine* engine = report->Engine();
        return SystemVariableValue(type, engine->PageNo(), engine->PageCount(), now, engine->PrintDateTime(),
                                   documentName);
    }
    return SystemVariableValue(type, 1, 1, now, now, documentName);
}

QString TjxCalc::FormattedText()
{
    const bool designing = IsDesigning() && !IsPrinting();
    // The custom value exists only while printing; the designer names the type.
    if (designing && m_calcType == ctCustom)
        return CalcTypeType().EnumName(ctCustom).mid(2);
    const TVarValue value = Value();
    const TjxDataType dataType = CalcTypeDataType(m_calcType, m_customType);
    const bool handler = m_onFormat.IsAssigned();
    QString text;
    if (m_calcType != ctCustom && dataType == dtString) {
        text = value.text;
    } else {
        text = FormatOrEmpty(value, dataType, handler ? QString() : DisplayFormat());
    }
    return ApplyFormatHandler(m_onFormat, text, dataType, value);
}

void TjxCalc::InitGeneration()
{
    TjxCustomText::InitGeneration();
    m_custom = {};
    if (m_calcType != ctCustom)
        return;
    if (TjxEngine* engine = ReportEngine(*this))
        engine->AddEventNotify(this);
    AddEventInterest(ciEngineRecordTraversed);
}

void TjxCalc::EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params)
{
    TjxCustomText::EventNotify(sender, eventId, params);
    if (eventId != ciEngineRecordTraversed || m_calcType != ctCustom || !IsPrinting() ||
        !sender || sender != ReportEngine(*this))
        return;
    if (RepeatReset())
        m_custom = {};
    SetRepeatReset(false);
    TjxEventParams none;
    m_onCalc(this, none);
}

void TjxCalc::ConvertVersion(int version)
{
    TjxCustomText::ConvertVersion(version);
    if (version < 3000 && m_calcType != ctCustom)
        m_customType = CalcTypeDataType(m_calcType, m_customType);
}

std::unique_ptr<TjxDrawCommand> TjxCalc::NewDrawCommand() const
{
    return std::make_unique<TjxDrawCalc>();
}

void TjxCalc::PropertiesToDrawCommand(TjxDrawCommand* command)
{
    TjxCustomText::PropertiesToDrawCommand(command);
    command->SetDataType(CalcTypeDataType(m_calcType, m_customType));
    if (auto* draw = dynamic_cast<TjxDrawCalc*>(command)) {
        draw->SetCalcType(m_calcType);
        draw->SetDisplayFormat(DisplayFormat());
    }
}

void TjxCalc::WriteState(QDataStream& stream) const
{
    TjxCustomText::WriteState(stream);
    stream << m_custom.boolean << m_custom.dateTime << qint32(m_custom.integer) << m_custom.real << m_custom.string;
}

void TjxCalc::ReadState(QDataStream& stream)
{
    TjxCustomText::ReadState(stream);
    qint32 integer = 0;
    stream >> m_custom.boolean >> m_custom.dateTime >> integer >> m_custom.real >> m_custom.string;
    m_custom.integer = integer;
}

// An older component: streams still name it, the palette offers its successors.
ORVANE_REGISTER_CLASS(TjxCalc);

} // namespace orvane
