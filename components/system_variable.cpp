#include "components/system_variable.h"

#include "components/display_format.h"
#include "document/band.h"
#include "document/class_registry.h"
#include "document/component_registry.h"
#include "document/custom_report.h"
#include "document/messages.h"
#include "document/printer_setup.h"
#include "engine/engine.h"

#include <cmath>
#include <exception>

namespace orvane {

TjxDataType SystemVariableDataType(TjxVarType type)
{
    switch (type) {
    case vtDate: return dtDate;
    case vtDateTime: case vtPrintDateTime: return dtDateTime;
    case vtPageCount: case vtPageNo: return dtInteger;
    case vtTime: return dtTime;
    default: return dtString;
    }
}

TVarValue SystemVariableValue(TjxVarType type, int pageNo, int pageCount, const QDateTime& now,
                              const QDateTime& printDateTime, const QString& documentName)
{
    const QString pageSet = QString::number(pageNo) + u' ' + GetMessage(16) + u' ' + QString::number(pageCount);
    switch (type) {
    case vtDate: return VarDate(std::floor(DateTimeNumber(QDateTime(now.date(), QTime(0, 0)))));
    case vtDateTime: return VarDate(DateTimeNumber(now));
    case vtDocumentName: return TVarValue::WideString(documentName);
    case vtPrintDateTime: return VarDate(DateTimeNumber(printDateTime));
    case vtPageCount: return TVarValue::Integer(pageCount);
    case vtPageSet: return TVarValue::WideString(pageSet);
    case vtPageSetDesc: return TVarValue::WideString(GetMessage(18) + u' ' + pageSet);
    case vtPageNo: return TVarValue::Integer(pageNo);
    case vtPageNoDesc: return TVarValue::WideString(GetMessage(18) + u' ' + QString::number(pageNo));
    case vtTime: {
        const QTime t = now.time();
        double time = 0;
        TryEncodeTime(t.hour(), t.minute(), t.second(), t.msec(), time);
        return VarDate(time);
    }
    }
    return TVarValue::Null();
}

QString SystemVariableText(TjxVarType type, int pageNo, int pageCount, const QDateTime& now,
                           const QDateTime& printDateTime, const QString& documentName, const QString& displayFormat)
{
    const TVarValue value = SystemVariableValue(type, pageNo, pageCount, now, printDateTime, documentName);
    const TjxDataType dataType = SystemVariableDataType(type);
    if (dataType == dtString)
        return value.text;
    try {
        return FormatDisplayValue(value, dataType, displayFormat);
    } catch (const std::exception&) {
        return {};
    }
}

TjxVarType VarTypeOfCalcType(TjxCalcType type)
{
    switch (type) {
    case ctDate: return vtDate;
    case ctDateTime: return vtDateTime;
    case ctPrintDateTime: return vtPrintDateTime;
    case ctPageCount: return vtPageCount;
    case ctPageSet: return vtPageSet;
    case ctPageSetDesc: return vtPageSetDesc;
    case ctPageNo: return vtPageNo;
    case ctPageNoDesc: return vtPageNoDesc;
    case ctTime: return vtTime;
    case ctCustom: break;
    }
    return vtDate;
}

QString VarTypeName(TjxVarType type)
{
    switch (type) {
    case vtDate: return GetMessage(303);
    case vtDateTime: return GetMessage(304);
    case vtDocumentName: return GetMessage(1127).remove(u' ');
    case vtPrintDateTime: return GetMessage(305);
    case vtPageCount: return GetMessage(306);
    case vtPageSet: return GetMessage(307);
    case vtPageSetDesc: return GetMessage(308);
    case vtPageNo: return GetMessage(309);
    case vtPageNoDesc: return GetMessage(310);
    case vtTime: return GetMessage(311);
    }
    return {};
}

const TClassInfo& TjxSystemVariable::StaticClass()
{
    using T = TjxSystemVariable;
    using P = TjxPublish<T>;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TjxSystemVariable", &TjxCustomVariable::StaticClass());
        b.Creatable();
        P::Anchors(b);
        P::AutoSize(b, true);
        P::Border(b);
        P::Color(b);
        b.Prop("DisplayFormat", StringType(), &T::DisplayFormat, &T::SetDisplayFormat);
        P::Font(b);
        P::OnDrawCommandClick(b);
        P::OnDrawCommandCreate(b);
        P::TextAlignment(b);
        P::Transparent(b);
        b.Prop("VarType", VarTypeType(), &T::VarType, &T::SetVarType).Default(vtDate);
        P::Visible(b);
        P::WordWrap(b);
        return b.Build();
    }();
    return info;
}

TjxSystemVariable::TjxSystemVariable(TComponent* owner) : TjxCustomVariable(owner)
{
    SetCacheRecordSize(1);
}

void TjxSystemVariable::SetVarType(TjxVarType value)
{
    if (value > vtTime || !Change(m_varType, value, "VarType", true))
        return;
    if (IsReadingOrLoading())
        return;
    if (value == vtPageSet || value == vtPageSetDesc)
        RequireTwoPasses();
    RefreshCaption();
}

TVarValue TjxSystemVariable::Value() const
{
    const QDateTime now = ReportNow(*this);
    const TjxBand* band = Band();
    TjxCustomReport* report = band ? band->Report() : nullptr;
    const QString documentName = report ? report->PrinterSetup()->DocumentName() : QString();
    if (IsPrinting() && report && report->HasEngine()) {
        const TjxEngine* engine = report->Engine();
        return SystemVariableValue(m_varType, engine->PageNo(), engine->PageCount(), now, engine->PrintDateTime(),
                                   documentName);
    }
    return SystemVariableValue(m_varType, 1, 1, now, now, documentName);
}

QString TjxSystemVariable::FormattedText()
{
    const TVarValue value = Value();
    const TjxDataType dataType = VariableDataType();
    if (dataType == dtString && !OnFormat().IsAssigned())
        return value.text;
    // A text type with a handler still prints as it is unless the handler changes it.
    if (dataType == dtString) {
        TjxEventParams params{{QStringLiteral("DisplayFormat"), DisplayFormat(), false},
                              {QStringLiteral("DataType"), int(dataType), false},
                              {QStringLiteral("Value"), value.text, false},
                              {QStringLiteral("Text"), value.text, true}};
        OnFormat()(this, params);
        return params.Value(u"Text").toString();
    }
    return FormatValue(value, dataType);
}

QString TjxSystemVariable::DisplayName() const
{
    return VarTypeName(m_varType) + QStringLiteral(": ") + UserName();
}

std::unique_ptr<TjxDrawCommand> TjxSystemVariable::NewDrawCommand() const
{
    return std::make_unique<TjxDrawVar>();
}

void TjxSystemVariable::PropertiesToDrawCommand(TjxDrawCommand* command)
{
    TjxCustomVariable::PropertiesToDrawCommand(command);
    if (auto* draw = dynamic_cast<TjxDrawVar*>(command)) {
        draw->SetVarType(m_varType);
        draw->SetDisplayFormat(DisplayFormat());
    }
}

ORVANE_REGISTER_COMPONENT(TjxSystemVariable, "Standard Components", 3, 491);

ORVANE_REGISTER_CLASS(TjxSystemVariable);

} // namespace orvane
