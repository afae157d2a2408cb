#pragma once

#include "components/memo.h"

namespace orvane {

// A memo whose lines come from a memo or string field, or from OnGetMemo.
class TjxDBMemo : public TjxCustomMemo {
    ORVANE_CLASS(TjxDBMemo, TjxCustomMemo)
public:
    explicit TjxDBMemo(TComponent* owner = nullptr);

    bool AutoDisplay() const { return m_autoDisplay; }
    void SetAutoDisplay(bool value);
    bool SuppressRepeatedValues() const { return m_suppressRepeatedValues; }
    void SetSuppressRepeatedValues(bool value);
    // OnGetMemo(Sender, Lines) fills the lines while printing.
    TMethod OnGetMemo() const { return m_onGetMemo; }
    void SetOnGetMemo(const TMethod& value) { SetField(m_onGetMemo, value, "OnGetMemo"); }

    bool IsDataAware() const override { return true; }
    void SetDataField(const QString& value) override;
    // Refreshes the lines first.
    QString GetText() override;
    // Clears the lines and fills them from OnGetMemo and its event while
    // printing, or else from the field when data is available.
    void RefreshLines();

    // Repeated values, tracked only while SuppressRepeatedValues is on.
    bool TracksPriorValue() const override { return m_suppressRepeatedValues; }
    const TjxRepeatState& RepeatState() const { return m_repeat; }
    void SetRepeatState(const TjxRepeatState& state) { m_repeat = state; }
    void ResetPriorValue() override { orvane::ResetPriorValue(m_repeat); }
    void RecordChanged(int currentPage) { RepeatRecordChanged(m_repeat, GetText(), currentPage); }
    // Whether the value prints in this band print; a suppressed memo lays nothing out.
    bool DecidePrint(bool firstRecord, int currentPage, bool toPrint)
    {
        return RepeatDecidePrint(m_repeat, {m_suppressRepeatedValues, false}, GetText(), firstRecord, currentPage,
                                 toPrint);
    }

protected:
    void Notify(TjxCommunicator* sender, int operation) override;
    // The record adds the repeat state to the memo's continuation.
    void WriteState(QDataStream& stream) const override;
    void ReadState(QDataStream& stream) override;

private:
    bool m_autoDisplay = true;
    bool m_suppressRepeatedValues = false;
    TMethod m_onGetMemo;
    TjxRepeatState m_repeat;
    // The field's text the lines were last made of, and those lines.
    QString m_fieldText;
    QStringList m_fieldLines;
};

} // namespace orvane
