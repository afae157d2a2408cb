#include "components/barcode_dialog.h"

#include "components/barcode.h"
#include "components/barcode/barcode_encoder.h"
#include "document/dialog_registry.h"
#include "document/messages.h"

#include <cmath>

namespace orvane {

const TClassInfo& TjxCustomBarCodeDialog::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxCustomBarCodeDialog>("TjxCustomBarCodeDialog", &TjxForm::StaticClass()).Build();
    return info;
}

void TjxCustomBarCodeDialog::Fill(const TjxCustomBarCode& code)
{
    m_units = code.Units();
    m_barCodeType = code.BarCodeType();
    m_orientation = code.Orientation();
    m_barWidth = code.BarWidth();
    m_wideBarRatio = code.WideBarRatio();
    m_addOnCode = code.AddOnCode();
    m_bearerBars = code.BearerBars();
    m_calcCheckDigit = code.CalcCheckDigit();
    m_autoEncode = code.AutoEncode();
    // The rules hold from the start, as when the window opens.
    SetBarCodeType(m_barCodeType, false);
}

void TjxCustomBarCodeDialog::ApplyTo(TjxCustomBarCode& code) const
{
    code.BeginUpdate();
    code.SetBarCodeType(m_barCodeType);
    code.SetOrientation(m_orientation);
    code.SetBarWidth(m_barWidth);
    code.SetWideBarRatio(float(m_wideBarRatio));
    // A code the type cannot carry would only be refused with a box.
    code.SetAddOnCode(AddOnCodeEnabled() ? m_addOnCode : QString());
    code.SetBearerBars(m_bearerBars);
    code.SetCalcCheckDigit(m_calcCheckDigit);
    code.SetAutoEncode(m_autoEncode);
    code.EndUpdate();
}

void TjxCustomBarCodeDialog::SetBarCodeType(TjxBarCodeType value, bool chosen)
{
    if (value > bcMSI)
        return;
    m_barCodeType = value;
    if (value != bcInt2of5)
        m_bearerBars = false;
    if (value > bcInt2of5) {
        m_calcCheckDigit = false;
        m_addOnCode.clear();
    }
    if (value == bcMSI)
        m_calcCheckDigit = true;
    if (chosen) {
        m_barWidth = ThousandthsToUnits(BarCodeDefaultWidth(value), m_units);
        m_autoEncode = value == bcCode128;
    } else if (!AutoEncodeEnabled()) {
        m_autoEncode = false;
    }
}

bool TjxCustomBarCodeDialog::AddOnCodeEnabled() const
{
    return IsUpcEanType(m_barCodeType);
}

bool TjxCustomBarCodeDialog::CalcCheckDigitEnabled() const
{
    return IsUpcEanType(m_barCodeType) || m_barCodeType == bcInt2of5 || m_barCodeType == bcMSI;
}

void TjxCustomBarCodeDialog::SetBarWidth(double value)
{
    if (std::isfinite(value))
        m_barWidth = value;
}

void TjxCustomBarCodeDialog::SetWideBarRatio(double value)
{
    if (std::isfinite(value) && value > 0)
        m_wideBarRatio = value;
}

bool TjxCustomBarCodeDialog::SetAddOnCode(const QString& value)
{
    if (value.size() != 0 && value.size() != 2 && value.size() != 5) {
        ShowMessageBox(GetMessage(424), mtWarning);
        return false;
    }
    m_addOnCode = value;
    return true;
}

void TjxCustomBarCodeDialog::StepBarWidth(bool up)
{
    const double step = FineStep(m_units);
    m_barWidth = std::max(0.0, m_barWidth + (up ? step : -step));
}

void TjxCustomBarCodeDialog::StepWideBarRatio(bool up)
{
    // Tenths are kept exact: 2.9 + 0.1 is 3, not 3.0000000000000004.
    const double next = std::round(m_wideBarRatio * 10 + (up ? 1 : -1)) / 10;
    SetWideBarRatio(next);
}

void TjxCustomBarCodeDialog::Apply()
{
    if (OnApply)
        OnApply(*this);
}

double FineStep(TjxUnitType units)
{
    switch (units) {
    case utInches: return 0.1;
    case utPrinterPixels: return 50;
    case utMMThousandths: return 1000;
    default: return 1;
    }
}

bool ConfigureBarCode(TjxCustomBarCode& code)
{
    const auto dialog = CreateRegisteredDialog<TjxCustomBarCodeDialog>(u"TjxCustomBarCodeDialog");
    if (!dialog)
        return false;
    dialog->Fill(code);
    dialog->OnApply = [&code](TjxCustomBarCodeDialog& d) { d.ApplyTo(code); };
    dialog->ShowModal();
    return true;
}

} // namespace orvane
