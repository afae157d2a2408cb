#include "components/db_calc.h"

#include "components/display_format.h"
#include "components/text_production.h"
#include "document/band.h"
#include "document/class_registry.h"
#include "document/component_registry.h"
#include "document/custom_report.h"
#include "document/group.h"
#include "document/messages.h"
#include "engine/band_engine.h"
#include "engine/data_pipeline.h"
#include "engine/engine.h"
#include "output/draw_other.h"

#include <cmath>
#include <exception>

namespace orvane {

const TTypeInfo& DBCalcTypeType()
{
    static const TTypeInfo& t =
        EnumType("TjxDBCalcType", {"dcCount", "dcSum", "dcMinimum", "dcMaximum", "dcAverage"});
    return t;
}

const TClassInfo& TjxDBCalc::StaticClass()
{
    using T = TjxDBCalc;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TjxDBCalc", &TjxDBText::StaticClass());
        b.Creatable();
        b.Prop("DBCalcType", DBCalcTypeType(), &T::DBCalcType, &T::SetDBCalcType).Default(dcSum);
        b.Prop("LookAhead", BooleanType(), &T::LookAhead, &T::SetLookAhead).Default(0);
        b.Prop("OnCalc", MethodType(), &T::OnCalc, &T::SetOnCalc);
        b.Prop("OnGroupBreak", MethodType(), &T::OnGroupBreak, &T::SetOnGroupBreak);
        return b.Build();
    }();
    return info;
}

TjxDBCalc::TjxDBCalc(TComponent* owner) : TjxDBText(owner) {}

void TjxDBCalc::SetDBCalcType(TjxDBCalcType value)
{
    if (value > dcAverage || !Change(m_dbCalcType, value, "DBCalcType", true))
        return;
    RefreshCaption();
}

void TjxDBCalc::SetLookAhead(bool value)
{
    if (ReportIsPrinting(*this))
        return;
    if (!Change(m_lookAhead, value, "LookAhead") || !value || IsReadingOrLoading())
        return;
    RequireTwoPasses();
}

bool TjxDBCalc::LookAheadActive() const
{
    const TjxBand* band = Band();
    return m_lookAhead && band && band->Report() && band->Report()->PassSetting() == psTwoPass;
}

void TjxDBCalc::BandChanged()
{
    TjxDBText::BandChanged();
    if (!IsDesigning() || IsReadingOrLoading() || HasState(csDestroying))
        return;
    // The calculation restarts with the group of the band it is put in.
    TjxBand* band = Band();
    const bool groupBand = band && (band->BandType() == btGroupHeader || band->BandType() == btGroupFooter);
    SetResetGroup(groupBand ? band->Group() : nullptr);
}

double TjxDBCalc::ShownNumber() const
{
    if (m_dbCalcType == dcAverage)
        return m_totals.count == 0 ? 0.0 : m_totals.value / m_totals.count;
    return m_totals.value;
}

TjxDataType TjxDBCalc::CalcDataType() const
{
    if (m_dbCalcType == dcCount)
        return dtInteger;
    TjxDataType fieldType = dtString;
    if (auto* pipeline = dynamic_cast<TjxDataPipeline*>(DataPipeline())) {
        try {
            fieldType = pipeline->GetFieldDataType(DataField());
        } catch (const std::exception&) {
            fieldType = dtString;
        }
    }
    return fieldType == dtDate || fieldType == dtTime || fieldType == dtDateTime ? dtDateTime : dtDouble;
}

QString TjxDBCalc::DesignText() const
{
    QString text = GetMessage(1028 + int(m_dbCalcType)) + u'(';
    if (DataField().isEmpty())
        return text + (m_dbCalcType == dcCount ? QStringLiteral("*)") : QStringLiteral("?)"));
    QString field = DataField();
    if (const auto* pipeline = dynamic_cast<const TjxDataPipeline*>(DataPipeline())) {
        const QString alias = pipeline->GetFieldAlias(DataField());
        if (!alias.isEmpty())
            field = alias;
    }
    return text + field + u')';
}

QString TjxDBCalc::FormattedText()
{
    if (IsDesigning() && !IsPrinting())
        return DesignText();
    const double number = ShownNumber();
    const TjxDataType dataType = CalcDataType();
    TVarValue value;
    if (dataType == dtInteger)
        value = TVarValue::Integer(std::llround(number));
    else if (dataType == dtDateTime)
        value = VarDate(number);
    else
        value = TVarValue::Double(number);
    const bool handler = OnFormat().IsAssigned();
    QString text;
    if (!(BlankWhenZero() && number == 0) && !(dataType == dtDateTime && number == 0))
        text = FormatOrEmpty(value, dataType, handler ? QString() : DisplayFormat());
    return ApplyFormatHandler(OnFormat(), text, dataType, value);
}

void TjxDBCalc::InitGeneration()
{
    TjxDBText::InitGeneration();
    m_totals = {};
    m_rollback.Disarm();
    m_pageSaved = false;
    if (TjxEngine* engine = ReportEngine(*this))
        engine->AddEventNotify(this);
    AddEventInterest(ciEngineRecordTraversed);
    AddEventInterest(ciBandEngineTraversal);
    AddEventInterest(ciGroupAfterGroupBreak);
    if (LookAheadActive())
        m_lookAheadValues.Start(LookAheadRun(*this));
}

void TjxDBCalc::EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params)
{
    TjxDBText::EventNotify(sender, eventId, params);
    if (!sender)
        return;
    if (sender == ResetGroup() && eventId == ciGroupAfterGroupBreak) {
        Reset();
        return;
    }
    if (sender != ReportEngine(*this))
        return;
    if (eventId == ciEngineRecordTraversed && IsPrinting())
        Calculate();
    else if (eventId == ciBandEngineTraversal)
        m_rollback.BandDidNotFit();
}

double TjxDBCalc::FieldNumber()
{
    auto* pipeline = dynamic_cast<TjxDataPipeline*>(DataPipeline());
    if (!pipeline)
        return 0;
    TVarValue value;
    try {
        value = pipeline->GetFieldValue(DataField());
    } catch (const std::exception&) {
        return 0;
    }
    switch (value.kind) {
    case TVarValue::vtShortInt: case TVarValue::vtSmallInt: case TVarValue::vtInteger: case TVarValue::vtInt64:
        return double(value.integer);
    case TVarValue::vtCurrency: return double(value.integer) / 10000.0;
    case TVarValue::vtSingle: case TVarValue::vtDouble: case TVarValue::vtDate: return value.real;
    default: return 0;
    }
}

void TjxDBCalc::Calculate()
{
    auto* pipeline = dynamic_cast<TjxDataPipeline*>(DataPipeline());
    m_rollback.BeforeCalculation(m_totals, CurrentTraversalMark(*this, pipeline));
    TjxEngine* engine = ReportEngine(*this);

    bool noRecords = false;
    try {
        noRecords = pipeline && pipeline->NoRecords();
    } catch (const std::exception&) {
        noRecords = true;
    }
    if (noRecords) {
        const TjxBand* band = Band();
        auto* main = band && band->Report() ? dynamic_cast<TjxDataPipeline*>(band->Report()->DataPipeline()) : nullptr;
        bool mainEmpty = true;
        try {
            mainEmpty = !main || main->NoRecords();
        } catch (const std::exception&) {
            mainEmpty = true;
        }
        if (mainEmpty)
            m_totals.value = 0;
    } else {
        const bool first = RepeatState().repeatReset;
        if (first && m_onGroupBreak.IsAssigned()) {
            TjxEventParams params;
            m_onGroupBreak(this, params);
        }
        const double x = FieldNumber();
        ++m_totals.count;
        switch (m_dbCalcType) {
        case dcCount: m_totals.value = m_totals.count; break;
        case dcSum: case dcAverage: m_totals.value += x; break;
        // The earlier value stays on a tie.
        case dcMinimum: if (first || x < m_totals.value) m_totals.value = x; break;
        case dcMaximum: if (first || x > m_totals.value) m_totals.value = x; break;
        }
    }
    RecordChanged(engine ? engine->AbsolutePageNo() : 0);
    TjxEventParams params;
    m_onCalc(this, params);
    SendEventNotify(ciVariableCalc);
    if (LookAheadActive() && engine && LookAheadFirstPass(*this))
        m_lookAheadValues.Record(*this, LookAheadScopeKey(), GetText());
}

void TjxDBCalc::Reset()
{
    ResetPriorValue();
    m_totals = {};
    m_rollback.Disarm();
    const TjxBand* band = Band();
    if (!m_pageSaved || !band || (band->BandType() != btFooter && band->BandType() != btColumnFooter))
        return;
    m_pageSaved = false;
    // The page's record was taken before its footers printed; only that page's.
    if (TjxEngine* engine = ReportEngine(*this); engine && engine->AbsolutePageNo() == m_savedPageIndex)
        TjxDBText::SaveState(m_savedPageIndex);
}

void TjxDBCalc::SaveState(int pageIndex)
{
    TjxDBText::SaveState(pageIndex);
    m_pageSaved = true;
    m_savedPageIndex = pageIndex;
}

QString TjxDBCalc::LookAheadScopeKey() const
{
    TjxEngine* engine = ReportEngine(*this);
    const TjxBand* band = Band();
    if (!engine || !band)
        return LookAheadKey(LookAheadPath(*this), 0, 0);
    int scope = 0, column = 0;
    switch (band->BandType()) {
    case btColumnHeader: case btColumnFooter:
        column = engine->CurrentColumn();
        [[fallthrough]];
    case btHeader: case btFooter:
        scope = engine->AbsolutePageNo();
        break;
    default:
        if (TjxGroupState* state = ResetGroup() ? engine->GroupState(ResetGroup()) : nullptr)
            scope = state->BreakNo();
        break;
    }
    return LookAheadKey(LookAheadPath(*this), scope, column);
}

std::unique_ptr<TjxDrawCommand> TjxDBCalc::NewDrawCommand() const
{
    return std::make_unique<TjxDrawVariable>();
}

void TjxDBCalc::PropertiesToDrawCommand(TjxDrawCommand* command)
{
    TjxDBText::PropertiesToDrawCommand(command);
    auto* draw = dynamic_cast<TjxDrawVariable*>(command);
    TjxEngine* engine = ReportEngine(*this);
    if (draw && engine && LookAheadActive())
        m_lookAheadValues.Apply(*this, LookAheadScopeKey(), *draw, LookAheadFirstPass(*this));
}

void TjxDBCalc::WriteState(QDataStream& stream) const
{
    TjxDBText::WriteState(stream);
    stream << qint32(m_totals.count) << m_totals.value;
}

void TjxDBCalc::ReadState(QDataStream& stream)
{
    TjxDBText::ReadState(stream);
    qint32 count = 0;
    stream >> count >> m_totals.value;
    m_totals.count = count;
    m_rollback.Disarm();
}

ORVANE_REGISTER_COMPONENT(TjxDBCalc, "Data Components", 3, 164);

ORVANE_REGISTER_CLASS(TjxDBCalc);

} // namespace orvane
