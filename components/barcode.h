#pragma once

// Barcode components: the symbol of their data (TjxBarCode) or of a field
// (TjxDBBarCode), sized to the symbol, printed as a barcode draw command.

#include "components/component.h"
#include "output/draw_barcode.h"

namespace orvane {

class TjxCustomBarCode : public TjxCustomComponent {
    ORVANE_CLASS(TjxCustomBarCode, TjxCustomComponent)
public:
    explicit TjxCustomBarCode(TComponent* owner = nullptr);

    const QString& AddOnCode() const { return m_addOnCode; }
    void SetAddOnCode(const QString& value);
    bool AutoEncode() const { return m_autoEncode; }
    void SetAutoEncode(bool value);
    bool AutoSizeFont() const { return m_autoSizeFont; }
    void SetAutoSizeFont(bool value);
    TjxBarCodeType BarCodeType() const { return m_barCodeType; }
    void SetBarCodeType(TjxBarCodeType value);
    TColor BarColor() const { return m_barColor; }
    void SetBarColor(TColor value);
    // In the report's units; mmBarWidth in thousandths of a millimetre.
    double BarWidth() const { return ToUnits(m_mmBarWidth, axHorizontal); }
    void SetBarWidth(double value);
    int mmBarWidth() const { return m_mmBarWidth; }
    void SetmmBarWidth(int value);
    bool BearerBars() const { return m_bearerBars; }
    void SetBearerBars(bool value);
    bool CalcCheckDigit() const { return m_calcCheckDigit; }
    void SetCalcCheckDigit(bool value);
    const QString& Data() const { return m_data; }
    void SetData(const QString& value);
    TjxBarCodeOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TjxBarCodeOrientation value);
    bool PrintHumanReadable() const { return m_printHumanReadable; }
    void SetPrintHumanReadable(bool value);
    float WideBarRatio() const { return m_wideBarRatio; }
    void SetWideBarRatio(float value);
    // Whether the data makes a valid symbol.
    bool CodeOK() const { return m_codeOK; }

    void SetAlignment(TAlignment value) override;
    void SetAutoSize(bool value) override;
    void FontChanged() override;
    void Loaded() override;

    // The data the symbol shows now.
    virtual QString CurrentData() { return m_data; }
    // Checks the data again; the message shows in the designer only.
    bool Validate();

    bool IsPrinting() const override { return m_printing; }
    void SetPrinting(bool value) override { m_printing = value; }
    // Fonts are measured with this measurer; none means the real fonts.
    const TTextMeasurer& TextMeasurer() const;
    void SetTextMeasurer(const TTextMeasurer* measurer) { m_measurer = measurer; }

    // With AutoSize, takes the symbol's size at the reference resolution;
    // invalid data keeps the size it has. Between BeginUpdate and the last
    // EndUpdate the sizing waits and happens once at the end.
    void AdjustBounds() override;
    void BeginUpdate();
    void EndUpdate();

    std::unique_ptr<TjxDrawCommand> NewDrawCommand() const override;
    void PropertiesToDrawCommand(TjxDrawCommand* command) override;

protected:
    // Copies what the symbol is drawn from into `command`.
    void FillCommand(TjxDrawBarCode& command, const QString& data) const;
    // A rejected value: the message in an information box (not while loading or printing).
    void Refuse(const QString& message) const;
    void SetInitialData(const QString& value) { m_data = value; }

private:
    void SymbolChanged();

    QString m_addOnCode;
    bool m_autoEncode = false;
    bool m_autoSizeFont = true;
    TjxBarCodeType m_barCodeType = bcCode39;
    TColor m_barColor = clBlack;
    int m_mmBarWidth = 254;
    bool m_bearerBars = false;
    bool m_calcCheckDigit = true;
    QString m_data;
    TjxBarCodeOrientation m_orientation = orLeftToRight;
    bool m_printHumanReadable = true;
    float m_wideBarRatio = 3.0f;
    bool m_codeOK = true;
    bool m_printing = false;
    int m_updateCount = 0;
    bool m_sizePending = false;
    const TTextMeasurer* m_measurer = nullptr;
};

class TjxBarCode : public TjxCustomBarCode {
    ORVANE_CLASS(TjxBarCode, TjxCustomBarCode)
public:
    explicit TjxBarCode(TComponent* owner = nullptr);
};

class TjxDBBarCode : public TjxCustomBarCode {
    ORVANE_CLASS(TjxDBBarCode, TjxCustomBarCode)
public:
    explicit TjxDBBarCode(TComponent* owner = nullptr);

    bool IsDataAware() const override { return true; }
    // The field's value as text; without a field, nothing while printing and
    // the type's sample in the designer.
    QString CurrentData() override;
    void SetDataField(const QString& value) override;

protected:
    void Notify(TjxCommunicator* sender, int operation) override;
};

} // namespace orvane
