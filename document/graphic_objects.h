#pragma once

#include "document/persistent.h"

namespace orvane {

// Colours are 0x00BBGGRR; system colours are 0xFF000000 plus the colour index.
using TColor = int32_t;

inline constexpr TColor SystemColor(int index) { return TColor(0xFF000000u | uint32_t(index)); }

inline constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                        clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                        clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                        clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
                        clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6, clCream = 0xF0FBFF, clMedGray = 0xA4A0A0;
inline constexpr TColor clScrollBar = SystemColor(0), clBackground = SystemColor(1),
                        clActiveCaption = SystemColor(2), clInactiveCaption = SystemColor(3),
                        clMenu = SystemColor(4), clWindow = SystemColor(5), clWindowFrame = SystemColor(6),
                        clMenuText = SystemColor(7), clWindowText = SystemColor(8), clCaptionText = SystemColor(9),
                        clActiveBorder = SystemColor(10), clInactiveBorder = SystemColor(11),
                        clAppWorkSpace = SystemColor(12), clHighlight = SystemColor(13),
                        clHighlightText = SystemColor(14), clBtnFace = SystemColor(15),
                        clBtnShadow = SystemColor(16), clGrayText = SystemColor(17), clBtnText = SystemColor(18),
                        clInactiveCaptionText = SystemColor(19), clBtnHighlight = SystemColor(20),
                        cl3DDkShadow = SystemColor(21), cl3DLight = SystemColor(22), clInfoText = SystemColor(23),
                        clInfoBk = SystemColor(24), clHotLight = SystemColor(26),
                        clGradientActiveCaption = SystemColor(27), clGradientInactiveCaption = SystemColor(28),
                        clMenuHighlight = SystemColor(29), clMenuBar = SystemColor(30);
inline constexpr TColor clNone = 0x1FFFFFFF, clDefault = 0x20000000;

using TFontCharset = uint8_t;
inline constexpr TFontCharset ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, OEM_CHARSET = 255;

// Streamed as names where the value has one ("clBtnFace", "DEFAULT_CHARSET").
const TTypeInfo& ColorType();
const TTypeInfo& FontCharsetType();

enum TFontPitch : uint8_t { fpDefault, fpVariable, fpFixed };
enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = uint32_t;  // bit (1 << TFontStyle)
enum TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame, psUserStyle, psAlternate };
enum TPenMode : uint8_t {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
    pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
enum TBrushStyle : uint8_t { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

const TTypeInfo& AlignmentType();
const TTypeInfo& FontPitchType();
const TTypeInfo& FontStylesType();
const TTypeInfo& PenStyleType();
const TTypeInfo& PenModeType();
const TTypeInfo& BrushStyleType();

// Base of the drawing objects: tells its holder when it changes.
class TGraphicsObject : public TPersistent {
    ORVANE_CLASS(TGraphicsObject, TPersistent)
public:
    std::function<void()> OnChange;

protected:
    void Changed()
    {
        if (OnChange) OnChange();
    }
};

class TFont : public TGraphicsObject {
    ORVANE_CLASS(TFont, TGraphicsObject)
public:
    TFont() = default;

    TFontCharset Charset() const { return m_charset; }
    void SetCharset(TFontCharset v);
    TColor Color() const { return m_color; }
    void SetColor(TColor v);
    // Height in pixels at PixelsPerInch; negative values are character heights.
    int Height() const;
    void SetHeight(int v);
    const QString& Name() const { return m_name; }
    void SetName(const QString& v);
    int Orientation() const { return m_orientation; }
    void SetOrientation(int v);
    TFontPitch Pitch() const { return m_pitch; }
    void SetPitch(TFontPitch v);
    int Size() const { return m_size; }
    void SetSize(int v);
    TFontStyles Style() const { return m_style; }
    void SetStyle(TFontStyles v);
    bool HasStyle(TFontStyle s) const { return (m_style & (1u << s)) != 0; }

    int PixelsPerInch() const { return m_pixelsPerInch; }
    void SetPixelsPerInch(int v) { m_pixelsPerInch = v; }

    void Assign(const TPersistent* source) override;
    bool operator==(const TFont& o) const;

private:
    TFontCharset m_charset = DEFAULT_CHARSET;
    TColor m_color = clWindowText;
    QString m_name = QStringLiteral("MS Sans Serif");
    int m_orientation = 0;
    TFontPitch m_pitch = fpDefault;
    int m_size = 8;
    TFontStyles m_style = 0;
    int m_pixelsPerInch = 96;
};

class TPen : public TGraphicsObject {
    ORVANE_CLASS(TPen, TGraphicsObject)
public:
    TColor Color() const { return m_color; }
    void SetColor(TColor v);
    TPenMode Mode() const { return m_mode; }
    void SetMode(TPenMode v);
    TPenStyle Style() const { return m_style; }
    void SetStyle(TPenStyle v);
    int Width() const { return m_width; }
    void SetWidth(int v);

    void Assign(const TPersistent* source) override;
    bool operator==(const TPen& o) const;

private:
    TColor m_color = clBlack;
    TPenMode m_mode = pmCopy;
    TPenStyle m_style = psSolid;
    int m_width = 1;
};

class TBrush : public TGraphicsObject {
    ORVANE_CLASS(TBrush, TGraphicsObject)
public:
    TColor Color() const { return m_color; }
    void SetColor(TColor v);
    TBrushStyle Style() const { return m_style; }
    void SetStyle(TBrushStyle v);

    void Assign(const TPersistent* source) override;
    bool operator==(const TBrush& o) const;

private:
    TColor m_color = clWhite;
    TBrushStyle m_style = bsSolid;
};

// Multiplies and divides with the result rounded half away from zero.
int MulDiv(int number, int numerator, int denominator);

} // namespace orvane
