#pragma once

// What the calculating components (variables, database calculations) share
// while a report generates: the report's engine and clock, the record
// position a calculation was made at (for the rollback when a band moves to
// the next page), and the values a two-pass report looks ahead to.

#include <QDateTime>
#include <QHash>
#include <QString>
#include <vector>

namespace orvane {

class TjxCommunicator;
class TjxComponent;
class TjxDataPipeline;
class TjxDrawVariable;
class TjxEngine;

// The engine of the component's report; none outside a report. Made on
// first use like the report makes it.
TjxEngine* ReportEngine(const TjxComponent& component);
// The component's report is generating pages right now.
bool ReportIsPrinting(const TjxComponent& component);
// Now, by the engine's clock when the report has an engine (so that a run can
// be reproduced), otherwise by the system's.
QDateTime ReportNow(const TjxComponent& component);
// A local date and time as a date-time number (days since 30 December 1899).
double DateTimeNumber(const QDateTime& value);

// Where the traversal of the report's data stands: the traversal counts of
// the engine's master and detail pipelines, the report's, and the component's own.
struct TjxTraversalMark {
    std::vector<int> counts;  // empty: no pipeline moves, so no position is known
    bool IsValid() const { return !counts.empty(); }
    bool operator==(const TjxTraversalMark&) const = default;
};
TjxTraversalMark CurrentTraversalMark(const TjxComponent& component, TjxDataPipeline* own = nullptr);

// The value before the last calculation. When a band does not fit the engine
// says so (event 139); the value returns to this record only when the same
// record is then calculated again, so a band that moves to the next page
// counts its record once, and a record whose band did print is never taken
// back.
template <class V>
class TjxRollback {
public:
    // Before a calculation at `mark`; may put `value` back.
    void BeforeCalculation(V& value, const TjxTraversalMark& mark)
    {
        if (m_pending && m_armed && mark.IsValid() && mark == m_mark)
            value = m_saved;
        m_pending = false;
        m_saved = value;
        m_mark = mark;
        m_armed = true;
    }
    void BandDidNotFit() { m_pending = m_armed; }
    // After a reset or a restored page the last calculation is history.
    void Disarm() { m_armed = m_pending = false; }
    bool Pending() const { return m_pending; }

private:
    V m_saved{};
    TjxTraversalMark m_mark;
    bool m_armed = false;
    bool m_pending = false;
};

// The look-ahead key of a scope: the subreport path, the scope position as
// eight right-aligned digits, "|", and the column the same way.
QString LookAheadKey(const QString& path, int scope, int column);
// The subreport path of the component: empty in the main report; in a child
// report the key of the occurrence being printed (the enclosing subreports'
// counts), since scope positions start again with every occurrence.
QString LookAheadPath(const TjxComponent& component);
// The run of the main report the component's values belong to: 0 in the
// main report, where every report start is a new run; in a child report,
// which starts again with every occurrence, the report starts of the
// outermost subreport.
int LookAheadRun(const TjxComponent& component);
// A child report runs inside its main report's passes: values are recorded
// in the main report's first pass and printed final in its second.
bool LookAheadFirstPass(const TjxComponent& component);

// The texts a component calculated during the first pass of a two-pass
// report, by scope. The second pass prints the final text of each scope
// wherever the component appears, for example a group total in the header.
class TjxLookAheadValues {
public:
    struct Entry {
        int traversal = 0;  // the sequence number of the calculation that set the text
        QString text;
    };

    void Clear();
    // At the component's report start: the values go unless they belong to
    // the same run (LookAheadRun).
    void Start(int run);
    // Records the text calculated for `key`. A key seen before broadcasts
    // event 67 from `component` with the key, sequence number and text, so
    // that draw commands listening for the scope take the new text.
    void Record(TjxCommunicator& component, const QString& key, const QString& text);
    const Entry* Find(const QString& key) const;
    int Count() const { return int(m_entries.size()); }
    // A command created for `key` takes the recorded text; during the first
    // pass it keeps listening to `component` for later values of its scope.
    void Apply(TjxCommunicator& component, const QString& key, TjxDrawVariable& command, bool firstPass) const;

private:
    QHash<QString, Entry> m_entries;
    int m_sequence = 0;
    int m_run = 0;
};

} // namespace orvane
