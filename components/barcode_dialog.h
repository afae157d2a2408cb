#pragma once

// The Configure dialog of a barcode: the values it edits and the rules that
// tie them to the type, without a window. The window is a class of the
// user-interface library registered for "TjxCustomBarCodeDialog".

#include "document/form.h"
#include "document/units.h"
#include "output/draw_barcode.h"

#include <functional>

namespace orvane {

class TjxCustomBarCode;

class TjxCustomBarCodeDialog : public TjxForm {
    ORVANE_CLASS(TjxCustomBarCodeDialog, TjxForm)
public:
    using TApplyEvent = std::function<void(TjxCustomBarCodeDialog& dialog)>;
    using TjxForm::TjxForm;

    // Takes the barcode's values; Apply writes the dialog's back to it.
    void Fill(const TjxCustomBarCode& code);
    void ApplyTo(TjxCustomBarCode& code) const;

    TjxBarCodeType BarCodeType() const { return m_barCodeType; }
    // `chosen`: the user picked the type, which also resets the bar width and Auto Encode.
    void SetBarCodeType(TjxBarCodeType value, bool chosen);
    TjxBarCodeOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TjxBarCodeOrientation value) { m_orientation = value; }
    // In Units.
    double BarWidth() const { return m_barWidth; }
    void SetBarWidth(double value);
    double WideBarRatio() const { return m_wideBarRatio; }
    // 0 or less is ignored.
    void SetWideBarRatio(double value);
    const QString& AddOnCode() const { return m_addOnCode; }
    // Only 0, 2 or 5 characters: another length is refused with a warning.
    bool SetAddOnCode(const QString& value);
    bool BearerBars() const { return m_bearerBars; }
    void SetBearerBars(bool value) { m_bearerBars = value && BearerBarsEnabled(); }
    bool CalcCheckDigit() const { return m_calcCheckDigit; }
    void SetCalcCheckDigit(bool value) { m_calcCheckDigit = value; }
    bool AutoEncode() const { return m_autoEncode; }
    void SetAutoEncode(bool value) { m_autoEncode = value && AutoEncodeEnabled(); }
    TjxUnitType Units() const { return m_units; }
    void SetUnits(TjxUnitType value) { m_units = value; }

    // Which controls the type leaves enabled.
    bool AddOnCodeEnabled() const;
    bool CalcCheckDigitEnabled() const;
    bool BearerBarsEnabled() const { return m_barCodeType == bcInt2of5; }
    bool AutoEncodeEnabled() const { return m_barCodeType == bcCode128; }

    // The up and down buttons: the fine step of Units for the width, 0.1 for the ratio.
    void StepBarWidth(bool up);
    void StepWideBarRatio(bool up);

    TApplyEvent OnApply;
    // Hands the values to OnApply.
    void Apply();

private:
    TjxBarCodeType m_barCodeType = bcCode39;
    TjxBarCodeOrientation m_orientation = orLeftToRight;
    double m_barWidth = 0;
    double m_wideBarRatio = 3;
    QString m_addOnCode;
    bool m_bearerBars = false;
    bool m_calcCheckDigit = true;
    bool m_autoEncode = false;
    TjxUnitType m_units = utInches;
};

// The up/down step of length edits in a unit.
double FineStep(TjxUnitType units);

// Configure on a barcode: opens the registered dialog on its values; each
// Apply sets them on the barcode in one update, so it sizes once. Answers
// false when no dialog class is registered.
bool ConfigureBarCode(TjxCustomBarCode& code);

} // namespace orvane
