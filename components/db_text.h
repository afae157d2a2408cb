#pragma once

#include "components/custom_text.h"
#include "components/text_production.h"

namespace orvane {

// The value of a data field as text, formatted by DisplayFormat, optionally
// blank for zero and not repeated while the value stays the same.
class TjxDBText : public TjxCustomText {
    ORVANE_CLASS(TjxDBText, TjxCustomText)
public:
    explicit TjxDBText(TComponent* owner = nullptr);

    bool BlankWhenZero() const { return m_blankWhenZero; }
    void SetBlankWhenZero(bool value);
    bool ReprintOnSubsequent() const { return m_reprintOnSubsequent; }
    void SetReprintOnSubsequent(bool value);
    bool SuppressRepeatedValues() const { return m_suppressRepeatedValues; }
    void SetSuppressRepeatedValues(bool value);
    // OnFormat(Sender, DisplayFormat, DataType, Value, var Text) after the default formatting.
    TMethod OnFormat() const { return m_onFormat; }
    void SetOnFormat(const TMethod& value) { SetField(m_onFormat, value, "OnFormat"); }

    bool IsDataAware() const override { return true; }
    // The field's value formatted: see FormatFieldText.
    QString FormattedText() override;
    void SetDataField(const QString& value) override;
    void SetDisplayFormat(const QString& value) override;
    void SetUserName(const QString& value) override;
    // "Label: field" in the designer's lists.
    QString DisplayName() const;

    // Repeated values. The state is what the page cache keeps per page.
    const TjxRepeatState& RepeatState() const { return m_repeat; }
    void SetRepeatState(const TjxRepeatState& state) { m_repeat = state; }
    TjxRepeatOptions RepeatOptions() const { return {m_suppressRepeatedValues, m_reprintOnSubsequent}; }
    bool TracksPriorValue() const override { return true; }
    void ResetPriorValue() override { orvane::ResetPriorValue(m_repeat); }
    void RecordChanged(int currentPage) { RepeatRecordChanged(m_repeat, GetText(), currentPage); }
    void PageStart() override { RepeatPageStart(m_repeat, RepeatOptions()); }
    // Whether the value prints in this band print.
    bool DecidePrint(bool firstRecord, int currentPage, bool toPrint)
    {
        return RepeatDecidePrint(m_repeat, RepeatOptions(), GetText(), firstRecord, currentPage, toPrint);
    }

    // Suppressed repeated values follow the engine's record advance.
    void InitGeneration() override;
    void EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params) override;

protected:
    void ComputeContent() override;
    // The engine advanced the record; calculations track it their own way.
    virtual void RecordTraversed();
    void Notify(TjxCommunicator* sender, int operation) override;
    // The record carries the repeat state, prior value included.
    void WriteState(QDataStream& stream) const override;
    void ReadState(QDataStream& stream) override;

private:
    bool m_blankWhenZero = false;
    bool m_reprintOnSubsequent = false;
    bool m_suppressRepeatedValues = false;
    TMethod m_onFormat;
    TjxRepeatState m_repeat;
};

// The repeat state as part of a component's page record.
void WriteRepeatState(QDataStream& stream, const TjxRepeatState& state);
void ReadRepeatState(QDataStream& stream, TjxRepeatState& state);

// The text of a field value: empty for a zero number or date under
// BlankWhenZero, for an empty string and for a null date; otherwise the
// display format's text.
QString FormatFieldText(const TVarValue& value, TjxDataType dataType, const QString& displayFormat,
                        bool blankWhenZero);

// A field's data type (a string when it cannot be told) and value; false when
// the value cannot be read, which prints nothing while the report goes on.
bool ReadFieldValue(TjxDataPipeline& pipeline, const QString& field, TjxDataType& dataType, TVarValue& value);

} // namespace orvane
