#pragma once

// Variables: typed values that the report calculates and resets on the
// events the author chooses, with OnCalc and OnReset handlers.

#include "components/custom_text.h"
#include "components/look_ahead.h"
#include "document/data_type.h"

namespace orvane {

class TjxDataPipeline;
class TjxGroup;

// The report events a variable calculates or resets on.
enum TjxVarEventType : uint8_t {
    veTraversal, veDataPipelineTraversal, vePageStart, vePageEnd, veColumnStart, veColumnEnd, veReportStart,
    veReportEnd, veGroupStart, veGroupEnd, veGroupBeforeHeader, veGroupBeforeFooter
};
const TTypeInfo& VarEventTypeType();
// The event number a type listens for.
int VarEventId(TjxVarEventType type);
// The types whose sender is a group the author chooses.
inline bool IsGroupEventType(TjxVarEventType type) { return type >= veGroupStart && type <= veGroupBeforeFooter; }

// The base of variables and system variables: a value of a data type,
// formatted by the display format; the draw command carries the data type.
class TjxCustomVariable : public TjxCustomText {
    ORVANE_CLASS(TjxCustomVariable, TjxCustomText)
public:
    explicit TjxCustomVariable(TComponent* owner = nullptr);

    // The data type of the value shown.
    virtual TjxDataType VariableDataType() const { return dtString; }

    // OnFormat(Sender, DisplayFormat, DataType, Value, var Text), whenever assigned.
    TMethod OnFormat() const { return m_onFormat; }
    void SetOnFormat(const TMethod& value) { SetField(m_onFormat, value, "OnFormat"); }

    void SetUserName(const QString& value) override;
    void SetDisplayFormat(const QString& value) override;

    std::unique_ptr<TjxDrawCommand> NewDrawCommand() const override;
    void PropertiesToDrawCommand(TjxDrawCommand* command) override;

protected:
    // The value as text by the display format (none when OnFormat is
    // assigned; no text at all when blank), then OnFormat.
    QString FormatValue(const TVarValue& value, TjxDataType dataType, bool blank = false);

private:
    TMethod m_onFormat;
};

// One slot per data type; the data type says which one is the value.
struct TjxVariableValue {
    bool boolean = false;
    double dateTime = 0;  // dtDate, dtTime and dtDateTime
    int32_t integer = 0;
    float single = 0;
    double real = 0;      // dtDouble
    double extended = 0;
    int64_t currency = 0; // scaled by 10000
    QChar character;
    QString string;

    bool operator==(const TjxVariableValue&) const = default;
};

class TjxVariable : public TjxCustomVariable {
    ORVANE_CLASS(TjxVariable, TjxCustomVariable)
public:
    explicit TjxVariable(TComponent* owner = nullptr);
    ~TjxVariable() override;

    bool BlankWhenZero() const { return m_blankWhenZero; }
    void SetBlankWhenZero(bool value);
    // Position in the band's calculation order; -1 until placed in a band.
    int CalcOrder() const { return m_calcOrder; }
    // Moves the variable within its band's order (clamped to it) and numbers
    // the band's variables again; while reading only recorded.
    void SetCalcOrder(int value);
    TjxVarEventType CalcType() const { return m_calcType; }
    void SetCalcType(TjxVarEventType value);
    TjxVarEventType ResetType() const { return m_resetType; }
    void SetResetType(TjxVarEventType value);
    // The senders of the calculation and reset events: a pipeline or group of
    // the author's choice; the engine and the report for the other types
    // (set when the report starts).
    TjxCommunicator* CalcComponent() const { return m_calcComponent; }
    void SetCalcComponent(TjxCommunicator* value);
    TjxCommunicator* ResetComponent() const { return m_resetComponent; }
    void SetResetComponent(TjxCommunicator* value);
    int CalcEventId() const { return m_calcEventId; }
    int ResetEventId() const { return m_resetEventId; }
    // dtBoolean to dtString; other types are ignored.
    TjxDataType DataType() const { return m_dataType; }
    void SetDataType(TjxDataType value);
    bool LookAhead() const { return m_lookAhead; }
    // Ignored while printing; on, it makes the report two-pass.
    void SetLookAhead(bool value);

    // OnCalc(Sender, var Value) and OnReset(Sender, var Value); OldOnCalc(Sender)
    // calculates when OnCalc is not assigned.
    TMethod OnCalc() const { return m_onCalc; }
    void SetOnCalc(const TMethod& value) { SetField(m_onCalc, value, "OnCalc"); }
    TMethod OnReset() const { return m_onReset; }
    void SetOnReset(const TMethod& value) { SetField(m_onReset, value, "OnReset"); }
    TMethod OldOnCalc() const { return m_oldOnCalc; }
    void SetOldOnCalc(const TMethod& value) { SetField(m_oldOnCalc, value, "OldOnCalc"); }

    // The value in the slot of DataType.
    TVarValue Value() const;
    // Stores a value converted to DataType; null and unassigned values are
    // ignored, unconvertible ones raise EConvertError.
    void SetValue(const TVarValue& value);
    // Typed setters: the value and its data type.
    void SetAsBoolean(bool value);
    void SetAsDate(double value);
    void SetAsTime(double value);
    void SetAsDateTime(double value);
    void SetAsInteger(int32_t value);
    void SetAsSingle(float value);
    void SetAsDouble(double value);
    void SetAsExtended(double value);
    void SetAsCurrency(int64_t scaledBy10000);
    void SetAsChar(QChar value);
    void SetAsString(const QString& value);
    // A string value.
    void SetText(const QString& value) override;
    const TjxVariableValue& Slots() const { return m_value; }

    TjxDataType VariableDataType() const override { return m_dataType; }
    // The user name in the designer, else the formatted value (empty for a
    // zero number under BlankWhenZero).
    QString FormattedText() override;

    // The pipeline names read from a stream, until the pipelines are found.
    const QString& CalcDataPipelineName() const { return m_calcPipelineName; }
    const QString& ResetDataPipelineName() const { return m_resetPipelineName; }

    void InitGeneration() override;
    void EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params) override;
    // Variables that hear the same sender go in band and calculation order.
    QString GetEventNotifyKey() const override;
    // Remembers that the page cache holds this variable's record for the page.
    void SaveState(int pageIndex) override;
    using TjxCustomVariable::SaveState;
    void PropertiesToDrawCommand(TjxDrawCommand* command) override;
    void Loaded() override;

    // The key of the scope the value belongs to (look-ahead).
    QString LookAheadScopeKey() const;
    const TjxLookAheadValues& LookAheadValues() const { return m_lookAheadValues; }

protected:
    void Notify(TjxCommunicator* sender, int operation) override;
    void BandChanged() override;
    void WriteState(QDataStream& stream) const override;
    void ReadState(QDataStream& stream) override;

private:
    void Calculate();
    void Reset();
    // Stores the handler's value when it changed type or content.
    void TakeHandlerValue(const QVariant& before, const QVariant& after);
    // The page end (or column end) value also belongs in the page's record.
    void RewritePageRecord(TjxVarEventType type);
    bool LookAheadActive() const;
    void StoreSlot(const TVarValue& value);
    void Listen(TjxCommunicator* sender);
    void StopListening(TjxCommunicator* sender);
    void UpdateEventInterest();
    // Finds the pipelines named by the stream.
    void ResolvePipelineNames();
    std::vector<TjxVariable*> BandVariables() const;

    bool m_blankWhenZero = false;
    int16_t m_calcOrder = -1;
    TjxCommunicator* m_calcComponent = nullptr;
    QString m_calcPipelineName;
    int m_calcEventId = 0;
    TjxVarEventType m_calcType = veTraversal;
    TjxDataType m_dataType = dtString;
    bool m_lookAhead = false;
    TjxLookAheadValues m_lookAheadValues;
    TjxCommunicator* m_resetComponent = nullptr;
    QString m_resetPipelineName;
    int m_resetEventId = 0;
    TjxVarEventType m_resetType = veReportEnd;
    TMethod m_onCalc, m_onReset, m_oldOnCalc;
    TjxVariableValue m_value;
    TjxRollback<TjxVariableValue> m_rollback;
    bool m_pageSaved = false;
    int m_savedPageIndex = -1;
};

// A handler's value back as a value: numbers, booleans, text; dates and
// times as date-times; anything else as null (which is not stored).
TVarValue VariantToVar(const QVariant& value);

} // namespace orvane
