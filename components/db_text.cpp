#include "components/db_text.h"

#include "components/display_format.h"
#include "document/class_registry.h"
#include "document/component_registry.h"
#include "document/errors.h"
#include "document/group.h"
#include "document/method.h"
#include "components/look_ahead.h"
#include "document/event_ids.h"
#include "engine/data_pipeline.h"
#include "engine/engine.h"

#include <exception>

namespace orvane {

QString FormatFieldText(const TVarValue& value, TjxDataType dataType, const QString& displayFormat,
                        bool blankWhenZero)
{
    const bool isNull = value.kind == TVarValue::vtNull || value.kind == TVarValue::vtUnassigned;
    // Text such as "0" is never a zero: only numbers and dates are.
    if (blankWhenZero && !isNull && IsZeroValue(value, dtInteger))
        return {};
    if ((value.kind == TVarValue::vtWideString || value.kind == TVarValue::vtString) && value.text.isEmpty())
        return {};
    if (isNull && (dataType == dtDate || dataType == dtDateTime))
        return {};
    try {
        return FormatDisplayValue(value, dataType, displayFormat);
    } catch (const std::exception&) {
        return {};
    }
}

bool ReadFieldValue(TjxDataPipeline& pipeline, const QString& field, TjxDataType& dataType, TVarValue& value)
{
    dataType = dtString;
    try {
        dataType = pipeline.GetFieldDataType(field);
    } catch (const std::exception&) {
        dataType = dtString;
    }
    try {
        value = pipeline.GetFieldValue(field);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

const TClassInfo& TjxDBText::StaticClass()
{
    using T = TjxDBText;
    using P = TjxPublish<T>;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TjxDBText", &TjxCustomText::StaticClass());
        b.Creatable();
        P::Anchors(b);
        P::AutoSize(b, false);
        b.Prop("BlankWhenZero", BooleanType(), &T::BlankWhenZero, &T::SetBlankWhenZero).Default(0);
        P::Border(b);
        P::Color(b);
        b.Prop("DataField", StringType(), &T::DataField, &T::SetDataField);
        b.Prop("DataPipeline", ClassType(), &T::DataPipeline, &T::SetDataPipeline);
        b.Prop("DisplayFormat", StringType(), &T::DisplayFormat, &T::SetDisplayFormat);
        P::Font(b);
        P::OnDrawCommandClick(b);
        P::OnDrawCommandCreate(b);
        b.Prop("OnFormat", MethodType(), &T::OnFormat, &T::SetOnFormat);
        b.Prop("ParentDataPipeline", BooleanType(), &T::ParentDataPipeline, &T::SetParentDataPipeline).Default(1);
        b.Prop("ReprintOnSubsequent", BooleanType(), &T::ReprintOnSubsequent, &T::SetReprintOnSubsequent)
            .Default(0);
        b.Prop("ResetGroup", ClassType(), &T::ResetGroup, &T::SetResetGroup);
        b.Prop("SuppressRepeatedValues", BooleanType(), &T::SuppressRepeatedValues, &T::SetSuppressRepeatedValues)
            .Default(0);
        P::TextAlignment(b);
        P::Transparent(b);
        P::Visible(b);
        P::WordWrap(b);
        return b.Build();
    }();
    return info;
}

TjxDBText::TjxDBText(TComponent* owner) : TjxCustomText(owner)
{
    SetInitialAutoSize(false);
}

void TjxDBText::SetBlankWhenZero(bool value)
{
    Change(m_blankWhenZero, value, "BlankWhenZero");
}

void TjxDBText::SetReprintOnSubsequent(bool value)
{
    Change(m_reprintOnSubsequent, value, "ReprintOnSubsequent");
}

void TjxDBText::SetSuppressRepeatedValues(bool value)
{
    Change(m_suppressRepeatedValues, value, "SuppressRepeatedValues");
}

QString TjxDBText::FormattedText()
{
    TjxDataPipeline* pipeline = AvailableDataPipeline(*this, IsPrinting());
    if (!pipeline)
        return FieldPlaceholderText(*this, IsPrinting());

    TjxDataType dataType = dtString;
    TVarValue value;
    if (!ReadFieldValue(*pipeline, DataField(), dataType, value))
        return {};
    const bool formatHandler = m_onFormat.IsAssigned();
    QString text = FormatFieldText(value, dataType, formatHandler ? QString() : DisplayFormat(), m_blankWhenZero);
    return ApplyFormatHandler(m_onFormat, text, dataType, value);
}

void TjxDBText::SetDataField(const QString& value)
{
    const QString old = DataField();
    TjxCustomText::SetDataField(value);
    if (DataField() != old)
        RefreshCaption();
}

void TjxDBText::SetDisplayFormat(const QString& value)
{
    const QString old = DisplayFormat();
    TjxCustomText::SetDisplayFormat(value);
    if (DisplayFormat() != old)
        RefreshCaption();
}

void TjxDBText::SetUserName(const QString& value)
{
    const QString old = UserName();
    TjxCustomText::SetUserName(value);
    if (UserName() != old)
        RefreshCaption();
}

QString TjxDBText::DisplayName() const
{
    if (DataField().isEmpty())
        return UserName();
    return UserName() + QStringLiteral(": ") + DataField();
}

void TjxDBText::Notify(TjxCommunicator* sender, int operation)
{
    const bool fromPipeline = sender && sender == DataPipeline();
    TjxCustomText::Notify(sender, operation);
    if (fromPipeline && IsDesigning() && (operation == ntDataChanged || operation == ntDestroying))
        RefreshCaption();
}

ORVANE_REGISTER_COMPONENT(TjxDBText, "Data Components", 0, 167);

ORVANE_REGISTER_CLASS(TjxDBText);

void WriteRepeatState(QDataStream& stream, const TjxRepeatState& s)
{
    stream << s.alreadyPrinted << s.currentValue << qint32(s.lastPrintPage) << s.priorValue << s.priorValueSame
           << s.repeatReset;
}

void ReadRepeatState(QDataStream& stream, TjxRepeatState& s)
{
    qint32 lastPrintPage = -1;
    stream >> s.alreadyPrinted >> s.currentValue >> lastPrintPage >> s.priorValue >> s.priorValueSame >> s.repeatReset;
    s.lastPrintPage = lastPrintPage;
}

void TjxDBText::InitGeneration()
{
    TjxCustomText::InitGeneration();
    if (!m_suppressRepeatedValues)
        return;
    if (TjxEngine* engine = ReportEngine(*this))
        engine->AddEventNotify(this);
    AddEventInterest(ciEngineRecordTraversed);
}

void TjxDBText::EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params)
{
    TjxCustomText::EventNotify(sender, eventId, params);
    if (eventId == ciEngineRecordTraversed && m_suppressRepeatedValues && sender && sender == ReportEngine(*this) &&
        IsPrinting())
        RecordTraversed();
}

void TjxDBText::RecordTraversed()
{
    if (TjxEngine* engine = ReportEngine(*this))
        RecordChanged(engine->AbsolutePageNo());
}

void TjxDBText::ComputeContent()
{
    if (!m_suppressRepeatedValues || !IsPrinting())
        return;
    TjxEngine* engine = ReportEngine(*this);
    auto* pipeline = dynamic_cast<TjxDataPipeline*>(DataPipeline());
    const bool firstRecord = pipeline && pipeline->Active() && pipeline->FirstRecord();
    if (!DecidePrint(firstRecord, engine ? engine->AbsolutePageNo() : 0, ToPrint())) {
        SetDrawHeight(0);
        SetToPrint(false);
    }
}

void TjxDBText::WriteState(QDataStream& stream) const
{
    TjxCustomText::WriteState(stream);
    WriteRepeatState(stream, m_repeat);
}

void TjxDBText::ReadState(QDataStream& stream)
{
    TjxCustomText::ReadState(stream);
    ReadRepeatState(stream, m_repeat);
}

} // namespace orvane
