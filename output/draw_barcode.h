#pragma once

// The barcode draw command: encodes its data when drawn and lays the symbol
// out in whole device pixels at the device's resolution.

#include "components/barcode/barcode_encoder.h"
#include "output/draw_command.h"

#include <QSize>
#include <optional>
#include <vector>

namespace orvane {

class TTextMeasurer;

const TTypeInfo& BarCodeTypeType();
const TTypeInfo& BarCodeOrientationType();

// Components size themselves at this resolution: stable from machine to
// machine, and fine enough that a device at another resolution draws within
// a pixel or two of it (the symbol is kept inside the rectangle there).
inline constexpr int kBarCodeReferenceDpi = 600;

// BarWidth's limits in thousandths of a millimetre: 0.004 and 0.1 inch.
inline constexpr int kMinBarWidth = 102;
inline constexpr int kMaxBarWidth = 2540;

// Widths of a symbol's elements in device pixels at one resolution.
struct TjxBarCodeMetrics {
    int narrow = 1;        // also the module
    int wide = 3;
    int charGap = 2;       // after each Code 39 character
    int postnetSpace = 1;
    int moduleHeight = 1;  // a module across the bars
    int Width(TjxElementWidth w) const
    {
        switch (w) {
        case ewWide: return wide;
        case ewCharGap: return charGap;
        case ewPostnetSpace: return postnetSpace;
        default: return narrow;
        }
    }
};

// Narrow never rounds to 0 and wide stays wider than narrow when the ratio is
// above 1. Non-positive widths and ratios (from a stream) take the type's
// default width and the ratio 3.
TjxBarCodeMetrics BarCodeMetrics(TjxBarCodeType type, int barWidth, float wideBarRatio, int dpiAlong,
                                 int dpiAcross);
int PatternPixels(const TjxBarPattern& pattern, const TjxBarCodeMetrics& metrics);

struct TjxBarCodeTextItem {
    int x = 0, y = 0;  // top-left of the text cell
    QString text;
    int fontSize = 0;  // points
};

// The symbol laid out unrotated: x along the symbol from its left edge, y down
// the bars; whole pixels.
struct TjxBarCodeLayout {
    int width = 0;
    int height = 0;
    int quietZone = 0;
    int barHeight = 0;       // H, the bars without the text row
    int barBottom = 0;
    bool valid = false;      // bars and text are drawn
    std::vector<QRect> bars;
    std::vector<TjxBarCodeTextItem> texts;
};

class TjxDrawBarCode : public TjxDrawCommand {
    ORVANE_CLASS(TjxDrawBarCode, TjxDrawCommand)
public:
    explicit TjxDrawBarCode(TComponent* owner = nullptr);
    ~TjxDrawBarCode() override;

    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment value) { m_alignment = value; }
    const QString& AddOnCode() const { return m_addOnCode; }
    void SetAddOnCode(const QString& value) { m_addOnCode = value; m_symbol.reset(); }
    bool AutoEncode() const { return m_autoEncode; }
    void SetAutoEncode(bool value) { m_autoEncode = value; m_symbol.reset(); }
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool value) { m_autoSize = value; }
    bool AutoSizeFont() const { return m_autoSizeFont; }
    void SetAutoSizeFont(bool value) { m_autoSizeFont = value; }
    TjxBarCodeType BarCodeType() const { return m_barCodeType; }
    void SetBarCodeType(TjxBarCodeType value) { m_barCodeType = value; m_symbol.reset(); }
    TColor BarColor() const { return m_barColor; }
    void SetBarColor(TColor value) { m_barColor = value; }
    // Narrow bar width in thousandths of a millimetre.
    int BarWidth() const { return m_barWidth; }
    void SetBarWidth(int value) { m_barWidth = value; }
    bool BearerBars() const { return m_bearerBars; }
    void SetBearerBars(bool value) { m_bearerBars = value; }
    bool CalcCheckDigit() const { return m_calcCheckDigit; }
    void SetCalcCheckDigit(bool value) { m_calcCheckDigit = value; m_symbol.reset(); }
    bool CodeOK() const { return m_codeOK; }
    void SetCodeOK(bool value) { m_codeOK = value; }
    TColor Color() const { return m_color; }
    void SetColor(TColor value) { m_color = value; }
    const QString& Data() const { return m_data; }
    void SetData(const QString& value) { m_data = value; m_symbol.reset(); }
    TFont* Font() const { return m_font.get(); }
    void SetFont(TFont* value) { if (value) m_font->Assign(value); }
    TjxBarCodeOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TjxBarCodeOrientation value) { m_orientation = value; }
    bool PrintHumanReadable() const { return m_printHumanReadable; }
    void SetPrintHumanReadable(bool value) { m_printHumanReadable = value; }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value) { m_transparent = value; }
    float WideBarRatio() const { return m_wideBarRatio; }
    void SetWideBarRatio(float value) { m_wideBarRatio = value; }

    bool IsVertical() const { return m_orientation == orTopToBottom || m_orientation == orBottomToTop; }
    // The symbol the data makes now (check digits, pattern, validity);
    // encoded once until a setter above changes what it is made from.
    const TjxBarCodeSymbol& Encode() const;
    // The layout at a resolution along and across the bars, text measured by `measurer`.
    TjxBarCodeLayout Layout(int dpiAlong, int dpiAcross, const TTextMeasurer& measurer) const;
    // The symbol's size on a device of `dpi` (width and height swapped for the
    // vertical orientations), without a canvas.
    QSize MeasureSymbol(int dpi, const TTextMeasurer& measurer) const;

    // The printer path on printers, PDF and images; the screen path on the screen.
    bool Draw(TjxCanvas& canvas) override;
    bool IsSameAs(const TjxDrawCommand* other) const override;
    virtual bool DrawOnPrinter(TjxCanvas& canvas);
    virtual bool DrawOnScreen(TjxCanvas& canvas);
    // Measures, or draws with the top-left corner at (originX, originY), the
    // symbol at `resolution` along it (the canvas's resolution across);
    // returns its size on the canvas.
    virtual QSize RenderSymbol(TjxCanvas& canvas, int originX, bool draw, int resolution, int originY);

    void Assign(const TPersistent* source) override;

private:
    QSize OrientedSize(const TjxBarCodeLayout& layout) const;
    // Draws a layout with the top-left corner at (originX, originY); returns its size on the canvas.
    QSize DrawLayout(TjxCanvas& canvas, const TjxBarCodeLayout& layout, int originX, int originY) const;

    TAlignment m_alignment = taLeftJustify;
    QString m_addOnCode;
    bool m_autoEncode = false;
    bool m_autoSize = true;
    bool m_autoSizeFont = true;
    TjxBarCodeType m_barCodeType = bcCode39;
    TColor m_barColor = clBlack;
    int m_barWidth = 0;
    bool m_bearerBars = false;
    bool m_calcCheckDigit = true;
    bool m_codeOK = true;
    TColor m_color = clWhite;
    QString m_data;
    std::unique_ptr<TFont> m_font;
    TjxBarCodeOrientation m_orientation = orLeftToRight;
    bool m_printHumanReadable = true;
    bool m_transparent = false;
    float m_wideBarRatio = 3.0f;
    mutable std::optional<TjxBarCodeSymbol> m_symbol;
};

} // namespace orvane
