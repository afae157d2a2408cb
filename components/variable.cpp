#include "components/variable.h"

#include "components/display_format.h"
#include "components/text_production.h"
#include "document/band.h"
#include "document/class_registry.h"
#include "document/component_registry.h"
#include "document/custom_report.h"
#include "document/group.h"
#include "document/method.h"
#include "document/stream_reader.h"
#include "document/stream_writer.h"
#include "engine/band_engine.h"
#include "engine/data_pipeline.h"
#include "engine/engine.h"
#include "engine/pipeline_list.h"
#include "output/draw_other.h"

#include <algorithm>
#include <climits>
#include <exception>

namespace orvane {

const TTypeInfo& VarEventTypeType()
{
    static const TTypeInfo& t =
        EnumType("TjxVarEventType", {"veTraversal", "veDataPipelineTraversal", "vePageStart", "vePageEnd",
                                     "veColumnStart", "veColumnEnd", "veReportStart", "veReportEnd", "veGroupStart",
                                     "veGroupEnd", "veGroupBeforeHeader", "veGroupBeforeFooter"});
    return t;
}

int VarEventId(TjxVarEventType type)
{
    switch (type) {
    case veTraversal: return ciEngineRecordTraversed;
    case veDataPipelineTraversal: return peTraversal;
    case vePageStart: return ciReportStartPage;
    case vePageEnd: return ciReportEndPage;
    case veColumnStart: return ciReportStartColumn;
    case veColumnEnd: return ciReportEndColumn;
    case veReportStart: return ciEngineStartFirstPage;
    case veReportEnd: return ciEngineFirstPassComplete;
    case veGroupStart: return ciGroupBeforeGroupBreak;
    case veGroupEnd: return ciGroupAfterGroupBreak;
    case veGroupBeforeHeader: return ciGroupHeaderGenerated;
    case veGroupBeforeFooter: return ciGroupFooterGenerated;
    }
    return -1;
}

TVarValue VariantToVar(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return TVarValue::Null();
    switch (value.metaType().id()) {
    case QMetaType::Bool: return TVarValue::Boolean(value.toBool());
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::Short:
    case QMetaType::UShort: case QMetaType::Char: case QMetaType::SChar: case QMetaType::UChar:
    case QMetaType::Long:
        return TVarValue::Integer(value.toLongLong());
    case QMetaType::ULongLong: case QMetaType::ULong:
        return value.toULongLong() > uint64_t(INT64_MAX) ? TVarValue::Double(value.toDouble())
                                                          : TVarValue::Integer(value.toLongLong());
    case QMetaType::Float: return VarSingle(value.toFloat());
    case QMetaType::Double: return TVarValue::Double(value.toDouble());
    case QMetaType::QString: case QMetaType::QChar: case QMetaType::QByteArray:
        return TVarValue::WideString(value.toString());
    case QMetaType::QDateTime: return VarDate(DateTimeNumber(value.toDateTime()));
    case QMetaType::QDate: return VarDate(DateTimeNumber(QDateTime(value.toDate(), QTime(0, 0))));
    case QMetaType::QTime: {
        const QTime t = value.toTime();
        double time = 0;
        TryEncodeTime(t.hour(), t.minute(), t.second(), t.msec(), time);
        return VarDate(time);
    }
    default: return TVarValue::Null();
    }
}

// ---- TjxCustomVariable ----

const TClassInfo& TjxCustomVariable::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxCustomVariable>("TjxCustomVariable", &TjxCustomText::StaticClass()).Build();
    return info;
}

TjxCustomVariable::TjxCustomVariable(TComponent* owner) : TjxCustomText(owner) {}

void TjxCustomVariable::SetUserName(const QString& value)
{
    const QString old = UserName();
    TjxCustomText::SetUserName(value);
    if (UserName() != old)
        RefreshCaption();
}

void TjxCustomVariable::SetDisplayFormat(const QString& value)
{
    const QString old = DisplayFormat();
    TjxCustomText::SetDisplayFormat(value);
    if (DisplayFormat() != old)
        RefreshCaption();
}

QString TjxCustomVariable::FormatValue(const TVarValue& value, TjxDataType dataType, bool blank)
{
    const bool handler = m_onFormat.IsAssigned();
    const QString text = blank ? QString() : FormatOrEmpty(value, dataType, handler ? QString() : DisplayFormat());
    return ApplyFormatHandler(m_onFormat, text, dataType, value);
}

std::unique_ptr<TjxDrawCommand> TjxCustomVariable::NewDrawCommand() const
{
    return std::make_unique<TjxDrawVariable>();
}

void TjxCustomVariable::PropertiesToDrawCommand(TjxDrawCommand* command)
{
    TjxCustomText::PropertiesToDrawCommand(command);
    command->SetDataType(VariableDataType());
}

// ---- TjxVariable ----

const TClassInfo& TjxVariable::StaticClass()
{
    using T = TjxVariable;
    using P = TjxPublish<T>;
    // References to the engine or the report never go into a stream; a
    // pipeline goes by name.
    const auto storedReference = [](TjxVarEventType type, TjxCommunicator* c) {
        return c && (IsGroupEventType(type) || type == veDataPipelineTraversal) &&
               !dynamic_cast<TjxDataPipeline*>(c);
    };
    static const TClassInfo info = [&] {
        TClassBuilder<T> b("TjxVariable", &TjxCustomVariable::StaticClass());
        b.Creatable();
        P::Anchors(b);
        P::AutoSize(b, true);
        b.Prop("BlankWhenZero", BooleanType(), &T::BlankWhenZero, &T::SetBlankWhenZero).Default(0);
        P::Border(b);
        b.Prop("CalcComponent", ClassType(), &T::CalcComponent, &T::SetCalcComponent)
            .StoredIf([storedReference](const T& v) { return storedReference(v.m_calcType, v.m_calcComponent); });
        b.Prop("CalcOrder", IntegerType(), &T::CalcOrder, &T::SetCalcOrder).Default(-1);
        b.Prop("CalcType", VarEventTypeType(), &T::CalcType, &T::SetCalcType).Default(veTraversal);
        P::Color(b);
        b.Prop("DataType", DataTypeType(), &T::DataType, &T::SetDataType).Default(dtString);
        b.Prop("DisplayFormat", StringType(), &T::DisplayFormat, &T::SetDisplayFormat);
        P::Font(b);
        b.Prop("LookAhead", BooleanType(), &T::LookAhead, &T::SetLookAhead).Default(0);
        b.Prop("OldOnCalc", MethodType(), &T::OldOnCalc, &T::SetOldOnCalc);
        b.Prop("OnCalc", MethodType(), &T::OnCalc, &T::SetOnCalc);
        P::OnDrawCommandClick(b);
        P::OnDrawCommandCreate(b);
        b.Prop("OnFormat", MethodType(), &T::OnFormat, &T::SetOnFormat);
        b.Prop("OnReset", MethodType(), &T::OnReset, &T::SetOnReset);
        b.Prop("ResetComponent", ClassType(), &T::ResetComponent, &T::SetResetComponent)
            .StoredIf([storedReference](const T& v) { return storedReference(v.m_resetType, v.m_resetComponent); });
        b.Prop("ResetType", VarEventTypeType(), &T::ResetType, &T::SetResetType).Default(veReportEnd);
        P::TextAlignment(b);
        P::Transparent(b);
        P::Visible(b);
        P::WordWrap(b);
        // A pipeline the variable listens to is stored by its name and found again after loading.
        const auto pipelineName = [](TjxCommunicator* c, const QString& unresolved) {
            return c ? c->Name() : unresolved;
        };
        b.Defined("CalcDataPipelineName", [](T& v, TReader& r) { v.m_calcPipelineName = r.ReadString(); },
                  [pipelineName](const T& v, TWriter& w) {
                      w.WriteString(pipelineName(v.m_calcComponent, v.m_calcPipelineName));
                  },
                  [](const T& v) {
                      return v.m_calcType == veDataPipelineTraversal &&
                             (v.m_calcComponent ? !v.m_calcComponent->Name().isEmpty()
                                                : !v.m_calcPipelineName.isEmpty());
                  });
        b.Defined("ResetDataPipelineName", [](T& v, TReader& r) { v.m_resetPipelineName = r.ReadString(); },
                  [pipelineName](const T& v, TWriter& w) {
                      w.WriteString(pipelineName(v.m_resetComponent, v.m_resetPipelineName));
                  },
                  [](const T& v) {
                      return v.m_resetType == veDataPipelineTraversal &&
                             (v.m_resetComponent ? !v.m_resetComponent->Name().isEmpty()
                                                 : !v.m_resetPipelineName.isEmpty());
                  });
        return b.Build();
    }();
    return info;
}

TjxVariable::TjxVariable(TComponent* owner) : TjxCustomVariable(owner)
{
    m_calcEventId = VarEventId(m_calcType);
    m_resetEventId = VarEventId(m_resetType);
    SetCacheRecordSize(1);
}

TjxVariable::~TjxVariable() = default;

void TjxVariable::SetBlankWhenZero(bool value)
{
    Change(m_blankWhenZero, value, "BlankWhenZero");
}

std::vector<TjxVariable*> TjxVariable::BandVariables() const
{
    std::vector<TjxVariable*> variables;
    if (TjxBand* band = Band())
        for (int i = 0; i < band->ComponentCount(); ++i)
            if (auto* v = dynamic_cast<TjxVariable*>(band->Components(i)))
                variables.push_back(v);
    // Unplaced variables (-1) come last, in band order.
    std::stable_sort(variables.begin(), variables.end(), [](const TjxVariable* a, const TjxVariable* b) {
        const int ka = a->m_calcOrder < 0 ? INT_MAX : a->m_calcOrder;
        const int kb = b->m_calcOrder < 0 ? INT_MAX : b->m_calcOrder;
        return ka < kb;
    });
    return variables;
}

void TjxVariable::SetCalcOrder(int value)
{
    value = std::clamp(value, int(INT16_MIN), int(INT16_MAX));
    if (IsReadingOrLoading()) {
        m_calcOrder = int16_t(value);
        return;
    }
    std::vector<TjxVariable*> order = BandVariables();
    if (order.empty()) {
        Change(m_calcOrder, int16_t(std::max(0, value)), "CalcOrder");
        return;
    }
    order.erase(std::remove(order.begin(), order.end(), this), order.end());
    const int position = std::clamp(value, 0, int(order.size()));
    order.insert(order.begin() + position, this);
    for (int i = 0; i < int(order.size()); ++i)
        order[size_t(i)]->Change(order[size_t(i)]->m_calcOrder, int16_t(i), "CalcOrder");
}

void TjxVariable::BandChanged()
{
    TjxCustomVariable::BandChanged();
    // A variable placed in a band calculates after the ones already there.
    if (!IsReadingOrLoading() && !HasState(csDestroying) && Band())
        SetCalcOrder(INT16_MAX);
}

QString TjxVariable::GetEventNotifyKey() const
{
    const TjxBand* band = Band();
    return (band ? band->SortKey() : QString()) + QString::number(m_calcOrder).rightJustified(8, u' ');
}

void TjxVariable::Listen(TjxCommunicator* sender)
{
    if (sender)
        sender->AddEventNotify(this);
}

void TjxVariable::StopListening(TjxCommunicator* sender)
{
    // The other role may still need the sender.
    if (sender && sender != m_calcComponent && sender != m_resetComponent)
        sender->RemoveEventNotify(this);
}

void TjxVariable::UpdateEventInterest()
{
    for (int type = veTraversal; type <= veGroupBeforeFooter; ++type)
        RemoveEventInterest(VarEventId(TjxVarEventType(type)));
    RemoveEventInterest(ciBandEngineTraversal);
    AddEventInterest(m_calcEventId);
    AddEventInterest(m_resetEventId);
    if (m_calcType == veTraversal)
        AddEventInterest(ciBandEngineTraversal);
}

void TjxVariable::SetCalcComponent(TjxCommunicator* value)
{
    if (value == m_calcComponent || value == this)
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("CalcComponent"));
    TjxCommunicator* old = m_calcComponent;
    m_calcComponent = value;
    StopListening(old);
    Listen(value);
    UpdateEventInterest();
    if (!value)
        m_calcPipelineName.clear();
    else if (dynamic_cast<TjxDataPipeline*>(value))
        m_calcPipelineName = value->Name();
    if (IsReadingOrLoading())
        return;
    Modified();
    PropertyChanged();
}

void TjxVariable::SetResetComponent(TjxCommunicator* value)
{
    if (value == m_resetComponent || value == this)
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("ResetComponent"));
    TjxCommunicator* old = m_resetComponent;
    m_resetComponent = value;
    StopListening(old);
    Listen(value);
    UpdateEventInterest();
    if (!value)
        m_resetPipelineName.clear();
    else if (dynamic_cast<TjxDataPipeline*>(value))
        m_resetPipelineName = value->Name();
    if (IsReadingOrLoading())
        return;
    Modified();
    PropertyChanged();
}

namespace {

// Whether a sender suits an event type whose sender the author chooses.
bool SuitsType(TjxVarEventType type, TjxCommunicator* sender)
{
    if (type == veDataPipelineTraversal)
        return dynamic_cast<TjxDataPipeline*>(sender) != nullptr;
    if (IsGroupEventType(type))
        return dynamic_cast<TjxGroup*>(sender) != nullptr;
    return true;
}

} // namespace

void TjxVariable::SetCalcType(TjxVarEventType value)
{
    if (value > veGroupBeforeFooter || !Change(m_calcType, value, "CalcType"))
        return;
    m_calcEventId = VarEventId(value);
    UpdateEventInterest();
    if (!IsReadingOrLoading() && m_calcComponent && !SuitsType(value, m_calcComponent))
        SetCalcComponent(nullptr);
}

void TjxVariable::SetResetType(TjxVarEventType value)
{
    if (value > veGroupBeforeFooter || !Change(m_resetType, value, "ResetType"))
        return;
    m_resetEventId = VarEventId(value);
    UpdateEventInterest();
    if (!IsReadingOrLoading() && m_resetComponent && !SuitsType(value, m_resetComponent))
        SetResetComponent(nullptr);
}

void TjxVariable::SetDataType(TjxDataType value)
{
    if (value > dtString)
        return;
    if (Change(m_dataType, value, "DataType", true))
        RefreshCaption();
}

void TjxVariable::SetLookAhead(bool value)
{
    if (ReportIsPrinting(*this))
        return;
    if (!Change(m_lookAhead, value, "LookAhead") || !value || IsReadingOrLoading())
        return;
    RequireTwoPasses();
}

bool TjxVariable::LookAheadActive() const
{
    const TjxBand* band = Band();
    return m_lookAhead && band && band->Report() && band->Report()->PassSetting() == psTwoPass;
}

// ---- the value ----

TVarValue TjxVariable::Value() const
{
    switch (m_dataType) {
    case dtBoolean: return TVarValue::Boolean(m_value.boolean);
    case dtDate: case dtTime: case dtDateTime: return VarDate(m_value.dateTime);
    case dtInteger: return TVarValue::Integer(m_value.integer);
    case dtSingle: return VarSingle(m_value.single);
    case dtDouble: return TVarValue::Double(m_value.real);
    case dtExtended: return TVarValue::Double(m_value.extended);
    case dtCurrency: return VarCurrency(m_value.currency);
    case dtChar:
        return TVarValue::WideString(m_value.character.isNull() ? QString() : QString(m_value.character));
    default: return TVarValue::WideString(m_value.string);
    }
}

void TjxVariable::StoreSlot(const TVarValue& value)
{
    switch (m_dataType) {
    case dtBoolean: m_value.boolean = VarAsKind(value, TVarValue::vtBoolean).integer != 0; break;
    case dtDate: case dtTime: case dtDateTime: m_value.dateTime = VarAsKind(value, TVarValue::vtDate).real; break;
    case dtInteger: m_value.integer = int32_t(VarAsKind(value, TVarValue::vtInteger).integer); break;
    case dtSingle: m_value.single = float(VarAsKind(value, TVarValue::vtSingle).real); break;
    case dtDouble: m_value.real = VarAsKind(value, TVarValue::vtDouble).real; break;
    case dtExtended: m_value.extended = VarAsKind(value, TVarValue::vtDouble).real; break;
    case dtCurrency: m_value.currency = VarAsKind(value, TVarValue::vtCurrency).integer; break;
    case dtChar: {
        const QString text = VarAsKind(value, TVarValue::vtWideString).text;
        m_value.character = text.isEmpty() ? QChar() : text.front();
        break;
    }
    default: m_value.string = VarAsKind(value, TVarValue::vtWideString).text; break;
    }
}

void TjxVariable::SetValue(const TVarValue& value)
{
    if (VarIsNullOrUnassigned(value))
        return;
    StoreSlot(value);
    // A running report changes values, not the template.
    if (!IsPrinting())
        AfterChange(true);
}

void TjxVariable::SetAsBoolean(bool value)
{
    m_dataType = dtBoolean;
    SetValue(TVarValue::Boolean(value));
}

void TjxVariable::SetAsDate(double value)
{
    m_dataType = dtDate;
    SetValue(VarDate(value));
}

void TjxVariable::SetAsTime(double value)
{
    m_dataType = dtTime;
    SetValue(VarDate(value));
}

void TjxVariable::SetAsDateTime(double value)
{
    m_dataType = dtDateTime;
    SetValue(VarDate(value));
}

void TjxVariable::SetAsInteger(int32_t value)
{
    m_dataType = dtInteger;
    SetValue(TVarValue::Integer(value));
}

void TjxVariable::SetAsSingle(float value)
{
    m_dataType = dtSingle;
    SetValue(VarSingle(value));
}

void TjxVariable::SetAsDouble(double value)
{
    m_dataType = dtDouble;
    SetValue(TVarValue::Double(value));
}

void TjxVariable::SetAsExtended(double value)
{
    m_dataType = dtExtended;
    SetValue(TVarValue::Double(value));
}

void TjxVariable::SetAsCurrency(int64_t scaledBy10000)
{
    m_dataType = dtCurrency;
    SetValue(VarCurrency(scaledBy10000));
}

void TjxVariable::SetAsChar(QChar value)
{
    m_dataType = dtChar;
    m_value.character = value;
    if (!IsPrinting())
        AfterChange(true);
}

void TjxVariable::SetAsString(const QString& value)
{
    m_dataType = dtString;
    SetValue(TVarValue::WideString(value));
}

void TjxVariable::SetText(const QString& value)
{
    TjxCustomVariable::SetText(value);
    SetAsString(value);
}

QString TjxVariable::FormattedText()
{
    if (IsDesigning() && !IsPrinting())
        return UserName();
    const TVarValue value = Value();
    const bool blank = m_blankWhenZero && m_dataType >= dtInteger && m_dataType <= dtCurrency && VarEqualsZero(value);
    return FormatValue(value, m_dataType, blank);
}

// ---- events ----

void TjxVariable::ResolvePipelineNames()
{
    if (m_calcComponent && m_resetComponent)
        return;
    const bool calcMissing = m_calcType == veDataPipelineTraversal && !m_calcComponent && !m_calcPipelineName.isEmpty();
    const bool resetMissing =
        m_resetType == veDataPipelineTraversal && !m_resetComponent && !m_resetPipelineName.isEmpty();
    if (!calcMissing && !resetMissing)
        return;
    const TjxDataPipelineList list(this);
    if (calcMissing)
        if (TjxDataPipeline* pipeline = list.FindByName(m_calcPipelineName))
            SetCalcComponent(pipeline);
    if (resetMissing)
        if (TjxDataPipeline* pipeline = list.FindByName(m_resetPipelineName))
            SetResetComponent(pipeline);
}

void TjxVariable::Loaded()
{
    TjxCustomVariable::Loaded();
    ResolvePipelineNames();
}

void TjxVariable::InitGeneration()
{
    TjxCustomVariable::InitGeneration();
    ResolvePipelineNames();
    TjxEngine* engine = ReportEngine(*this);
    TjxCustomReport* report = Band() ? Band()->Report() : nullptr;
    const auto senderOf = [&](TjxVarEventType type, TjxCommunicator* chosen) -> TjxCommunicator* {
        switch (type) {
        case veTraversal: case veReportStart: case veReportEnd: return engine;
        case vePageStart: case vePageEnd: case veColumnStart: case veColumnEnd: return report;
        default: return chosen;
        }
    };
    m_calcEventId = VarEventId(m_calcType);
    m_resetEventId = VarEventId(m_resetType);
    // Listening again puts the variable in its calculation order among the
    // sender's listeners: the order may have changed since the last run.
    TjxCommunicator* oldCalc = m_calcComponent;
    TjxCommunicator* oldReset = m_resetComponent;
    m_calcComponent = m_resetComponent = nullptr;
    StopListening(oldCalc);
    StopListening(oldReset);
    m_calcComponent = senderOf(m_calcType, oldCalc);
    m_resetComponent = senderOf(m_resetType, oldReset);
    Listen(m_calcComponent);
    Listen(m_resetComponent);
    UpdateEventInterest();

    m_value = TjxVariableValue{};
    m_value.dateTime = DateTimeNumber(ReportNow(*this));
    m_rollback.Disarm();
    m_pageSaved = false;
    if (LookAheadActive())
        m_lookAheadValues.Start(LookAheadRun(*this));
}

void TjxVariable::Notify(TjxCommunicator* sender, int operation)
{
    if (operation == ntDestroying) {
        if (sender == m_calcComponent)
            m_calcComponent = nullptr;
        if (sender == m_resetComponent)
            m_resetComponent = nullptr;
    }
    TjxCustomVariable::Notify(sender, operation);
}

void TjxVariable::EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params)
{
    TjxCustomVariable::EventNotify(sender, eventId, params);
    if (!sender)
        return;
    if (sender == m_resetComponent && eventId == m_resetEventId) {
        Reset();
        return;
    }
    if (sender == m_calcComponent && eventId == m_calcEventId) {
        if (IsPrinting()) {
            m_rollback.BeforeCalculation(m_value, CurrentTraversalMark(*this));
            Calculate();
        }
        return;
    }
    if (eventId == ciBandEngineTraversal && m_calcType == veTraversal && sender == m_calcComponent)
        m_rollback.BandDidNotFit();
}

void TjxVariable::TakeHandlerValue(const QVariant& before, const QVariant& after)
{
    if (after.metaType() != before.metaType() || after != before)
        SetValue(VariantToVar(after));
}

void TjxVariable::Calculate()
{
    const QVariant before = VarValueToVariant(Value());
    if (m_onCalc.IsAssigned()) {
        TjxEventParams params{{QStringLiteral("Value"), before, true}};
        m_onCalc(this, params);
        TakeHandlerValue(before, params.Value(u"Value"));
    } else {
        TjxEventParams params;
        m_oldOnCalc(this, params);
    }
    const QVariant calculated = VarValueToVariant(Value());
    TjxEventParams params{{QStringLiteral("OnCalc"), calculated, true}};
    SendEventNotify(ciVariableCalc, &params);
    TakeHandlerValue(calculated, params.Value(u"OnCalc"));
    RewritePageRecord(m_calcType);
    if (LookAheadActive())
        if (ReportEngine(*this) && LookAheadFirstPass(*this))
            m_lookAheadValues.Record(*this, LookAheadScopeKey(), GetText());
}

void TjxVariable::Reset()
{
    SetRepeatReset(true);
    m_value = TjxVariableValue{};
    m_value.dateTime = DateTimeNumber(ReportNow(*this));
    m_rollback.Disarm();
    const QVariant before = VarValueToVariant(Value());
    TjxEventParams params{{QStringLiteral("Value"), before, true}};
    m_onReset(this, params);
    TakeHandlerValue(before, params.Value(u"Value"));
    const QVariant reset = VarValueToVariant(Value());
    TjxEventParams notified{{QStringLiteral("OnReset"), reset, true}};
    SendEventNotify(ciVariableReset, &notified);
    TakeHandlerValue(reset, notified.Value(u"OnReset"));
    RewritePageRecord(m_resetType);
}

void TjxVariable::RewritePageRecord(TjxVarEventType type)
{
    if (!m_pageSaved || (type != vePageEnd && type != veColumnEnd))
        return;
    m_pageSaved = false;
    // The page's record was taken before the page ended; only that page's.
    TjxEngine* engine = ReportEngine(*this);
    if (engine && engine->AbsolutePageNo() == m_savedPageIndex)
        TjxCustomVariable::SaveState(m_savedPageIndex);
}

void TjxVariable::SaveState(int pageIndex)
{
    TjxCustomVariable::SaveState(pageIndex);
    m_pageSaved = true;
    m_savedPageIndex = pageIndex;
}

QString TjxVariable::LookAheadScopeKey() const
{
    TjxEngine* engine = ReportEngine(*this);
    if (!engine)
        return LookAheadKey(LookAheadPath(*this), 0, 0);
    int scope = 0, column = 0;
    switch (m_resetType) {
    case veTraversal: {
        TjxDataPipeline* pipeline = dynamic_cast<TjxDataPipeline*>(m_calcComponent);
        if (!pipeline)
            pipeline = engine->DetailPipeline() ? engine->DetailPipeline() : engine->MasterPipeline();
        scope = pipeline ? pipeline->TraversalCount() : 0;
        break;
    }
    case veDataPipelineTraversal:
        if (auto* pipeline = dynamic_cast<TjxDataPipeline*>(m_resetComponent))
            scope = pipeline->TraversalCount();
        break;
    case vePageStart: case vePageEnd: scope = engine->AbsolutePageNo(); break;
    case veColumnStart: case veColumnEnd:
        scope = engine->AbsolutePageNo();
        column = engine->CurrentColumn();
        break;
    case veReportStart: case veReportEnd: break;
    default:
        if (TjxGroupState* state = engine->GroupState(dynamic_cast<TjxGroup*>(m_resetComponent)))
            scope = state->BreakNo();
        break;
    }
    return LookAheadKey(LookAheadPath(*this), scope, column);
}

void TjxVariable::PropertiesToDrawCommand(TjxDrawCommand* command)
{
    TjxCustomVariable::PropertiesToDrawCommand(command);
    auto* draw = dynamic_cast<TjxDrawVariable*>(command);
    TjxEngine* engine = ReportEngine(*this);
    if (draw && engine && LookAheadActive())
        m_lookAheadValues.Apply(*this, LookAheadScopeKey(), *draw, LookAheadFirstPass(*this));
}

void TjxVariable::WriteState(QDataStream& stream) const
{
    TjxCustomVariable::WriteState(stream);
    stream << m_value.boolean << m_value.dateTime << qint32(m_value.integer) << m_value.single << m_value.real
           << m_value.extended << qint64(m_value.currency) << m_value.character << m_value.string;
}

void TjxVariable::ReadState(QDataStream& stream)
{
    TjxCustomVariable::ReadState(stream);
    qint32 integer = 0;
    qint64 currency = 0;
    stream >> m_value.boolean >> m_value.dateTime >> integer >> m_value.single >> m_value.real >> m_value.extended >>
        currency >> m_value.character >> m_value.string;
    m_value.integer = integer;
    m_value.currency = currency;
    m_rollback.Disarm();
}

ORVANE_REGISTER_COMPONENT(TjxVariable, "Standard Components", 4, 492);

ORVANE_REGISTER_CLASS(TjxVariable);

} // namespace orvane
