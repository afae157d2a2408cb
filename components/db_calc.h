#pragma once

// Database calculations: the count, sum, minimum, maximum or average of a
// data field over the records the report traverses, reset by a group.

#include "components/db_text.h"
#include "components/look_ahead.h"

namespace orvane {

enum TjxDBCalcType : uint8_t { dcCount, dcSum, dcMinimum, dcMaximum, dcAverage };
const TTypeInfo& DBCalcTypeType();

class TjxDBCalc : public TjxDBText {
    ORVANE_CLASS(TjxDBCalc, TjxDBText)
protected:
    // Calculations compare records in their own calculation step.
    void RecordTraversed() override {}

public:
    explicit TjxDBCalc(TComponent* owner = nullptr);

    TjxDBCalcType DBCalcType() const { return m_dbCalcType; }
    void SetDBCalcType(TjxDBCalcType value);
    bool LookAhead() const { return m_lookAhead; }
    // Ignored while printing; on, it makes the report two-pass.
    void SetLookAhead(bool value);
    // OnCalc(Sender) after each record; OnGroupBreak(Sender) at the first record after a reset.
    TMethod OnCalc() const { return m_onCalc; }
    void SetOnCalc(const TMethod& value) { SetField(m_onCalc, value, "OnCalc"); }
    TMethod OnGroupBreak() const { return m_onGroupBreak; }
    void SetOnGroupBreak(const TMethod& value) { SetField(m_onGroupBreak, value, "OnGroupBreak"); }

    // The records counted and the running value since the last reset.
    int RecordCount() const { return m_totals.count; }
    double RunningValue() const { return m_totals.value; }
    // What prints: the running value, or for an average the value per record (0 without records).
    double ShownNumber() const;
    // dtInteger for a count; dtDateTime for date and time fields; otherwise dtDouble.
    TjxDataType CalcDataType() const;

    // In the designer the type and field ("Sum(amount)", "Count(*)");
    // otherwise the number by the display format, empty for a zero under
    // BlankWhenZero and for a zero date-time.
    QString FormattedText() override;

    void InitGeneration() override;
    void EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params) override;
    // Counts and values start again: the group's break, or report start.
    void Reset();
    // Remembers that the page cache holds this component's record for the page.
    void SaveState(int pageIndex) override;
    using TjxDBText::SaveState;

    std::unique_ptr<TjxDrawCommand> NewDrawCommand() const override;
    void PropertiesToDrawCommand(TjxDrawCommand* command) override;

    // The key of the scope the value belongs to (look-ahead).
    QString LookAheadScopeKey() const;
    const TjxLookAheadValues& LookAheadValues() const { return m_lookAheadValues; }

protected:
    void BandChanged() override;
    void WriteState(QDataStream& stream) const override;
    void ReadState(QDataStream& stream) override;

private:
    struct TTotals {
        int count = 0;
        double value = 0;
        bool operator==(const TTotals&) const = default;
    };

    void Calculate();
    // The field's value as a number: numbers and dates count, anything else
    // (null, text, a read error) is 0.
    double FieldNumber();
    QString DesignText() const;
    bool LookAheadActive() const;

    TjxDBCalcType m_dbCalcType = dcSum;
    bool m_lookAhead = false;
    TMethod m_onCalc, m_onGroupBreak;
    TTotals m_totals;
    TjxRollback<TTotals> m_rollback;
    TjxLookAheadValues m_lookAheadValues;
    bool m_pageSaved = false;
    int m_savedPageIndex = -1;
};

} // namespace orvane
