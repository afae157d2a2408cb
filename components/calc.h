#pragma once

// The older calculation component: the system values of the system
// variable, or a custom value that OnCalc sets at every record.

#include "components/custom_text.h"
#include "output/draw_other.h"

namespace orvane {

// The data type a calculation type shows; ctCustom keeps its own.
TjxDataType CalcTypeDataType(TjxCalcType type, TjxDataType customType);

class TjxCalc : public TjxCustomText {
    ORVANE_CLASS(TjxCalc, TjxCustomText)
public:
    explicit TjxCalc(TComponent* owner = nullptr);

    TjxCalcType CalcType() const { return m_calcType; }
    // The system types set CustomType to the type of their value.
    void SetCalcType(TjxCalcType value);
    TjxDataType CustomType() const { return m_customType; }
    void SetCustomType(TjxDataType value);
    // OnCalc(Sender) at every record while printing, for the custom value.
    TMethod OnCalc() const { return m_onCalc; }
    void SetOnCalc(const TMethod& value) { SetField(m_onCalc, value, "OnCalc"); }
    // OnFormat(Sender, DisplayFormat, DataType, Value, var Text), whenever assigned.
    TMethod OnFormat() const { return m_onFormat; }
    void SetOnFormat(const TMethod& value) { SetField(m_onFormat, value, "OnFormat"); }

    // The custom value in the slot of CustomType.
    TVarValue CustomValue() const;
    // Typed setters: the custom value and its type.
    void SetAsBoolean(bool value);
    void SetAsDateTime(double value);
    void SetAsInteger(int32_t value);
    void SetAsDouble(double value);
    void SetAsString(const QString& value);
    // A string custom value, for the custom type only.
    void SetText(const QString& value) override;

    // The value shown: a system value, or the custom value.
    TVarValue Value() const;
    QString FormattedText() override;

    // The custom value starts afresh at report start and after a reset.
    bool TracksPriorValue() const override { return m_calcType == ctCustom; }
    void ResetPriorValue() override { SetRepeatReset(true); }
    void InitGeneration() override;
    void EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params) override;
    // Templates before version 3000 did not store CustomType.
    void ConvertVersion(int version) override;

    std::unique_ptr<TjxDrawCommand> NewDrawCommand() const override;
    void PropertiesToDrawCommand(TjxDrawCommand* command) override;

protected:
    void WriteState(QDataStream& stream) const override;
    void ReadState(QDataStream& stream) override;

private:
    struct TCustomValue {
        bool boolean = false;
        double dateTime = 0;
        int32_t integer = 0;
        double real = 0;
        QString string;
    };
    void StoreCustom(TjxDataType type, const TVarValue& value);

    TjxCalcType m_calcType = ctDate;
    TjxDataType m_customType = dtDateTime;
    TMethod m_onCalc, m_onFormat;
    TCustomValue m_custom;
};

} // namespace orvane
