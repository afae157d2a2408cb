#include "document/graphic_objects.h"

#include "document/class_registry.h"

#include <cmath>

namespace orvane {

const TTypeInfo& ColorType()
{
    static const TTypeInfo& t = IdentMapType("TColor", {
        {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
        {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
        {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
        {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
        {clMoneyGreen, "clMoneyGreen"}, {clSkyBlue, "clSkyBlue"}, {clCream, "clCream"}, {clMedGray, "clMedGray"},
        {clScrollBar, "clScrollBar"}, {clBackground, "clBackground"}, {clActiveCaption, "clActiveCaption"},
        {clInactiveCaption, "clInactiveCaption"}, {clMenu, "clMenu"}, {clWindow, "clWindow"},
        {clWindowFrame, "clWindowFrame"}, {clMenuText, "clMenuText"}, {clWindowText, "clWindowText"},
        {clCaptionText, "clCaptionText"}, {clActiveBorder, "clActiveBorder"}, {clInactiveBorder, "clInactiveBorder"},
        {clAppWorkSpace, "clAppWorkSpace"}, {clHighlight, "clHighlight"}, {clHighlightText, "clHighlightText"},
        {clBtnFace, "clBtnFace"}, {clBtnShadow, "clBtnShadow"}, {clGrayText, "clGrayText"},
        {clBtnText, "clBtnText"}, {clInactiveCaptionText, "clInactiveCaptionText"},
        {clBtnHighlight, "clBtnHighlight"}, {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"},
        {clInfoText, "clInfoText"}, {clInfoBk, "clInfoBk"}, {clHotLight, "clHotLight"},
        {clGradientActiveCaption, "clGradientActiveCaption"},
        {clGradientInactiveCaption, "clGradientInactiveCaption"}, {clMenuHighlight, "clMenuHighlight"},
        {clMenuBar, "clMenuBar"}, {clNone, "clNone"}, {clDefault, "clDefault"},
    });
    return t;
}

const TTypeInfo& FontCharsetType()
{
    static const TTypeInfo& t = IdentMapType("TFontCharset", {
        {0, "ANSI_CHARSET"}, {1, "DEFAULT_CHARSET"}, {2, "SYMBOL_CHARSET"}, {77, "MAC_CHARSET"},
        {128, "SHIFTJIS_CHARSET"}, {129, "HANGEUL_CHARSET"}, {130, "JOHAB_CHARSET"}, {134, "GB2312_CHARSET"},
        {136, "CHINESEBIG5_CHARSET"}, {161, "GREEK_CHARSET"}, {162, "TURKISH_CHARSET"},
        {177, "HEBREW_CHARSET"}, {178, "ARABIC_CHARSET"}, {186, "BALTIC_CHARSET"},
        {204, "RUSSIAN_CHARSET"}, {222, "THAI_CHARSET"}, {238, "EASTEUROPE_CHARSET"}, {255, "OEM_CHARSET"},
    });
    return t;
}

const TTypeInfo& AlignmentType()
{
    static const TTypeInfo& t = EnumType("TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"});
    return t;
}

const TTypeInfo& FontPitchType()
{
    static const TTypeInfo& t = EnumType("TFontPitch", {"fpDefault", "fpVariable", "fpFixed"});
    return t;
}

const TTypeInfo& FontStylesType()
{
    static const TTypeInfo& t =
        SetType("TFontStyles", EnumType("TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}));
    return t;
}

const TTypeInfo& PenStyleType()
{
    static const TTypeInfo& t = EnumType("TPenStyle", {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot",
                                                       "psClear", "psInsideFrame", "psUserStyle", "psAlternate"});
    return t;
}

const TTypeInfo& PenModeType()
{
    static const TTypeInfo& t = EnumType("TPenMode", {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy",
                                                      "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen",
                                                      "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask",
                                                      "pmNotMask", "pmXor", "pmNotXor"});
    return t;
}

const TTypeInfo& BrushStyleType()
{
    static const TTypeInfo& t = EnumType("TBrushStyle", {"bsSolid", "bsClear", "bsHorizontal", "bsVertical",
                                                         "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"});
    return t;
}

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const int64_t product = int64_t(number) * numerator;
    const int64_t half = std::abs(int64_t(denominator)) / 2;
    const bool negative = (product < 0) != (denominator < 0);
    const int64_t q = (std::abs(product) + half) / std::abs(int64_t(denominator));
    return int(negative ? -q : q);
}

const TClassInfo& TGraphicsObject::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TGraphicsObject>("TGraphicsObject", &TPersistent::StaticClass()).Build();
    return info;
}

const TClassInfo& TFont::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TFont>("TFont", &TGraphicsObject::StaticClass())
            .Prop("Charset", FontCharsetType(), &TFont::Charset, &TFont::SetCharset).NoDefault()
            .Prop("Color", ColorType(), &TFont::Color, &TFont::SetColor).NoDefault()
            .Prop("Height", IntegerType(), &TFont::Height, &TFont::SetHeight).NeverStored()
            .Prop("Name", StringType(), &TFont::Name, &TFont::SetName)
            .Prop("Orientation", IntegerType(), &TFont::Orientation, &TFont::SetOrientation).Default(0)
            .Prop("Pitch", FontPitchType(), &TFont::Pitch, &TFont::SetPitch).Default(fpDefault)
            .Prop("Size", IntegerType(), &TFont::Size, &TFont::SetSize).NoDefault()
            .Prop("Style", FontStylesType(), &TFont::Style, &TFont::SetStyle).NoDefault()
            .Build();
    return info;
}

void TFont::SetCharset(TFontCharset v) { if (m_charset != v) { m_charset = v; Changed(); } }
void TFont::SetColor(TColor v) { if (m_color != v) { m_color = v; Changed(); } }
int TFont::Height() const { return -MulDiv(m_size, m_pixelsPerInch, 72); }
void TFont::SetHeight(int v) { SetSize(-MulDiv(v, 72, m_pixelsPerInch)); }
void TFont::SetName(const QString& v) { if (!v.isEmpty() && m_name != v) { m_name = v; Changed(); } }
void TFont::SetOrientation(int v) { if (m_orientation != v) { m_orientation = v; Changed(); } }
void TFont::SetPitch(TFontPitch v) { if (m_pitch != v) { m_pitch = v; Changed(); } }
void TFont::SetSize(int v) { if (m_size != v) { m_size = v; Changed(); } }
void TFont::SetStyle(TFontStyles v) { if (m_style != v) { m_style = v; Changed(); } }

void TFont::Assign(const TPersistent* source)
{
    const auto* f = dynamic_cast<const TFont*>(source);
    if (!f) {
        TPersistent::Assign(source);
        return;
    }
    if (*this == *f)
        return;
    m_charset = f->m_charset;
    m_color = f->m_color;
    m_name = f->m_name;
    m_orientation = f->m_orientation;
    m_pitch = f->m_pitch;
    m_size = f->m_size;
    m_style = f->m_style;
    Changed();
}

bool TFont::operator==(const TFont& o) const
{
    return m_charset == o.m_charset && m_color == o.m_color && m_name == o.m_name &&
           m_orientation == o.m_orientation && m_pitch == o.m_pitch && m_size == o.m_size && m_style == o.m_style;
}

const TClassInfo& TPen::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TPen>("TPen", &TGraphicsObject::StaticClass())
            .Prop("Color", ColorType(), &TPen::Color, &TPen::SetColor).Default(clBlack)
            .Prop("Mode", PenModeType(), &TPen::Mode, &TPen::SetMode).Default(pmCopy)
            .Prop("Style", PenStyleType(), &TPen::Style, &TPen::SetStyle).Default(psSolid)
            .Prop("Width", IntegerType(), &TPen::Width, &TPen::SetWidth).Default(1)
            .Build();
    return info;
}

void TPen::SetColor(TColor v) { if (m_color != v) { m_color = v; Changed(); } }
void TPen::SetMode(TPenMode v) { if (m_mode != v) { m_mode = v; Changed(); } }
void TPen::SetStyle(TPenStyle v) { if (m_style != v) { m_style = v; Changed(); } }
void TPen::SetWidth(int v) { if (v >= 0 && m_width != v) { m_width = v; Changed(); } }

void TPen::Assign(const TPersistent* source)
{
    const auto* p = dynamic_cast<const TPen*>(source);
    if (!p) {
        TPersistent::Assign(source);
        return;
    }
    if (*this == *p)
        return;
    m_color = p->m_color;
    m_mode = p->m_mode;
    m_style = p->m_style;
    m_width = p->m_width;
    Changed();
}

bool TPen::operator==(const TPen& o) const
{
    return m_color == o.m_color && m_mode == o.m_mode && m_style == o.m_style && m_width == o.m_width;
}

const TClassInfo& TBrush::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TBrush>("TBrush", &TGraphicsObject::StaticClass())
            .Prop("Color", ColorType(), &TBrush::Color, &TBrush::SetColor).Default(clWhite)
            .Prop("Style", BrushStyleType(), &TBrush::Style, &TBrush::SetStyle).Default(bsSolid)
            .Build();
    return info;
}

void TBrush::SetColor(TColor v) { if (m_color != v) { m_color = v; Changed(); } }
void TBrush::SetStyle(TBrushStyle v) { if (m_style != v) { m_style = v; Changed(); } }

void TBrush::Assign(const TPersistent* source)
{
    const auto* b = dynamic_cast<const TBrush*>(source);
    if (!b) {
        TPersistent::Assign(source);
        return;
    }
    if (*this == *b)
        return;
    m_color = b->m_color;
    m_style = b->m_style;
    Changed();
}

bool TBrush::operator==(const TBrush& o) const { return m_color == o.m_color && m_style == o.m_style; }

} // namespace orvane
