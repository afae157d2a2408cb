#pragma once

// What the text components produce while a report generates, as plain
// operations on plain state: the field text of a data-aware component, the
// suppression of repeated values, and the lines of a memo page with the
// position at which the next page continues.

#include "components/text_layout.h"
#include "document/data_type.h"
#include "document/var_value.h"

#include <QStringList>
#include <QVariant>

namespace orvane {

class TjxPrintable;
class TjxDataPipeline;

// ---- field values ----

// The bound pipeline when the component's field can be read now: the component
// is data-aware with a field, its pipeline is open and has the field, and the
// report is printing or not in the designer or the designer shows data.
// Errors while asking the pipeline count as no data.
TjxDataPipeline* AvailableDataPipeline(const TjxPrintable& component, bool printing);

// What a component shows for its field when no data can be read: nothing while
// printing; in the designer its user name (no field) or the field's display name.
QString FieldPlaceholderText(const TjxPrintable& component, bool printing);

// A value as an event parameter.
QVariant VarValueToVariant(const TVarValue& value);

// ---- repeated values ----

// Everything the suppression of repeated values needs to carry from one record
// and one page to the next. The page cache keeps a copy per page, prior value
// included, so a regenerated page decides exactly as the first time did.
struct TjxRepeatState {
    bool alreadyPrinted = false;   // the current value has printed on this page
    QString currentValue;
    int lastPrintPage = -1;        // absolute page on which the prior value started
    QString priorValue;            // text of the value last started
    bool priorValueSame = false;
    bool repeatReset = true;       // the next value starts afresh (report start, group break)

    bool operator==(const TjxRepeatState&) const = default;
};

struct TjxRepeatOptions {
    bool suppressRepeatedValues = false;
    bool reprintOnSubsequent = false;
};

// At report start and at a break of the reset group.
void ResetPriorValue(TjxRepeatState& state);
// Takes the current record's text: a new value (or one after a reset) becomes
// the prior value, starting on `currentPage`.
void CompareValue(TjxRepeatState& state, const QString& currentValue, int currentPage);
// The engine moved to the next record.
void RepeatRecordChanged(TjxRepeatState& state, const QString& currentValue, int currentPage);
// A new page starts: a repeated value may print once more when asked to.
void RepeatPageStart(TjxRepeatState& state, const TjxRepeatOptions& options);
// Whether the current value prints in this band print; compares afterwards.
// `firstRecord`: the pipeline is on its first record; `toPrint`: the
// component's print flag.
bool RepeatDecidePrint(TjxRepeatState& state, const TjxRepeatOptions& options, const QString& currentValue,
                       bool firstRecord, int currentPage, bool toPrint);

// ---- memo pages ----

struct TjxMemoTextStyle {
    const TFont* font = nullptr;
    TjxTextAlignment alignment = taLeftJustified;
    bool charWrap = false;
    int leading = 0;             // thousandths of mm
    QStringList tabStops;        // thousandths of mm
    TjxCustomPrinter* printer = nullptr;
};

struct TjxMemoPage {
    QStringList lines;           // the lines laid out on this page
    int endPosition = 0;         // first character not placed on this page
    int nextPosition = 0;        // where the next page starts: 0 after the last page
    bool complete = false;       // the text ended on this page
    int lineHeight = 0;          // thousandths of mm, leading included
    int drawHeight = 0;          // lines times line height
};

// Lays the text out in `rect` from `startPosition`. A page on which not even
// one line fits places nothing and continues where it started.
TjxMemoPage LayoutMemoPage(const QString& text, const TjxRect& rect, int startPosition, const TjxMemoTextStyle& style,
                           const TTextMeasurer& measurer);

} // namespace orvane
