#include "components/text_production.h"

#include "components/printable.h"
#include "engine/data_pipeline.h"

#include <exception>

namespace orvane {

// ---- field values ----

TjxDataPipeline* AvailableDataPipeline(const TjxPrintable& component, bool printing)
{
    if (!component.IsDataAware() || component.DataField().isEmpty())
        return nullptr;
    TjxCommunicator* source = component.DataPipeline();
    TjxDataPipeline* pipeline = source ? source->AsDataPipeline() : nullptr;
    if (!pipeline)
        return nullptr;
    try {
        if (!pipeline->Active() || pipeline->IndexOfField(component.DataField()) < 0)
            return nullptr;
    } catch (const std::exception&) {
        return nullptr;
    }
    const uint16_t state = component.DesignState();
    const bool designing = (state & dsDesigning) || component.HasState(csDesigning);
    if (designing && !printing && !(state & dsShowingData))
        return nullptr;
    return pipeline;
}

QString FieldPlaceholderText(const TjxPrintable& component, bool printing)
{
    if (printing)
        return {};
    if (component.DataField().isEmpty())
        return component.UserName();
    if (const auto* pipeline = dynamic_cast<const TjxDataPipeline*>(component.DataPipeline())) {
        const QString alias = pipeline->GetFieldAlias(component.DataField());
        if (!alias.isEmpty())
            return alias;
    }
    return component.DataField();
}

QVariant VarValueToVariant(const TVarValue& value)
{
    switch (value.kind) {
    case TVarValue::vtUnassigned: case TVarValue::vtNull: case TVarValue::vtArray:
        return {};
    case TVarValue::vtShortInt: case TVarValue::vtSmallInt: case TVarValue::vtInteger: case TVarValue::vtInt64:
        return QVariant(qint64(value.integer));
    case TVarValue::vtCurrency:
        return QVariant(double(value.integer) / 10000.0);
    case TVarValue::vtSingle: case TVarValue::vtDouble: case TVarValue::vtDate:
        return QVariant(value.real);
    case TVarValue::vtBoolean:
        return QVariant(value.integer != 0);
    case TVarValue::vtWideString: case TVarValue::vtString:
        return QVariant(value.text);
    }
    return {};
}

// ---- repeated values ----

void ResetPriorValue(TjxRepeatState& state)
{
    state.repeatReset = true;
    state.alreadyPrinted = false;
    state.lastPrintPage = -1;
    state.priorValue.clear();
    state.priorValueSame = false;
}

void CompareValue(TjxRepeatState& state, const QString& currentValue, int currentPage)
{
    state.currentValue = currentValue;
    if (state.repeatReset || state.currentValue != state.priorValue) {
        state.priorValue = state.currentValue;
        state.priorValueSame = false;
        state.lastPrintPage = currentPage;
    } else {
        state.priorValueSame = true;
    }
}

void RepeatRecordChanged(TjxRepeatState& state, const QString& currentValue, int currentPage)
{
    CompareValue(state, currentValue, currentPage);
    state.repeatReset = false;
}

void RepeatPageStart(TjxRepeatState& state, const TjxRepeatOptions& options)
{
    if (state.lastPrintPage != -1)
        state.alreadyPrinted = !options.reprintOnSubsequent;
}

bool RepeatDecidePrint(TjxRepeatState& state, const TjxRepeatOptions& options, const QString& currentValue,
                       bool firstRecord, int currentPage, bool toPrint)
{
    bool prints;
    if (!state.priorValueSame || (firstRecord && !state.alreadyPrinted)) {
        state.alreadyPrinted = false;
        prints = true;
    } else if (options.suppressRepeatedValues) {
        prints = options.reprintOnSubsequent && state.lastPrintPage < currentPage && !state.alreadyPrinted;
    } else {
        prints = toPrint;
    }
    if (prints)
        state.alreadyPrinted = true;
    CompareValue(state, currentValue, currentPage);
    return prints;
}

// ---- memo pages ----

TjxMemoPage LayoutMemoPage(const QString& text, const TjxRect& rect, int startPosition, const TjxMemoTextStyle& style,
                           const TTextMeasurer& measurer)
{
    TjxMemoPage page;
    const TFont defaultFont;
    const int start = std::clamp(startPosition, 0, int(text.size()));
    int position = start;
    const TjxWrapMetrics metrics =
        WrapText(text, rect, page.lines, position, style.printer, style.tabStops, style.leading, style.charWrap,
                 style.font ? *style.font : defaultFont, false, style.alignment, measurer);
    page.lineHeight = metrics.lineHeight;
    page.drawHeight = int(page.lines.size()) * metrics.lineHeight;
    if (page.lines.isEmpty()) {
        // Nothing fits here: the text waits, whole, for the next page.
        page.endPosition = start;
        page.nextPosition = start;
        page.complete = text.size() == 0;
        return page;
    }
    page.endPosition = position;
    page.complete = position >= text.size();
    page.nextPosition = page.complete ? 0 : position;
    return page;
}

} // namespace orvane
