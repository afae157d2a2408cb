#include "output/draw_barcode.h"

#include "document/class_registry.h"
#include "document/units.h"
#include "platform/canvas.h"
#include "platform/text_measurer.h"

#include <QImage>
#include <algorithm>
#include <cmath>

namespace orvane {

const TTypeInfo& BarCodeTypeType()
{
    static const TTypeInfo& t =
        EnumType("TjxBarCodeType", {"bcUPC_A", "bcUPC_E", "bcEAN_13", "bcEAN_8", "bcInt2of5", "bcCode128",
                                    "bcCode39", "bcPostnet", "bcFIM", "bcCodabar", "bcMSI"});
    return t;
}

const TTypeInfo& BarCodeOrientationType()
{
    static const TTypeInfo& t = EnumType("TjxBarCodeOrientation",
                                         {"orLeftToRight", "orRightToLeft", "orTopToBottom", "orBottomToTop"});
    return t;
}

const TClassInfo& TjxDrawBarCode::StaticClass()
{
    using T = TjxDrawBarCode;
    static const TClassInfo info =
        TClassBuilder<T>("TjxDrawBarCode", &TjxDrawCommand::StaticClass())
            .Creatable()
            .Prop("Alignment", AlignmentType(), &T::Alignment, &T::SetAlignment).Default(taLeftJustify)
            .Prop("AddOnCode", StringType(), &T::AddOnCode, &T::SetAddOnCode)
            .Prop("AutoEncode", BooleanType(), &T::AutoEncode, &T::SetAutoEncode).Default(0)
            .Prop("AutoSize", BooleanType(), &T::AutoSize, &T::SetAutoSize).Default(1)
            .Prop("AutoSizeFont", BooleanType(), &T::AutoSizeFont, &T::SetAutoSizeFont).Default(1)
            .Prop("BarCodeType", BarCodeTypeType(), &T::BarCodeType, &T::SetBarCodeType)
            .Prop("BarColor", ColorType(), &T::BarColor, &T::SetBarColor)
            .Prop("BarWidth", IntegerType(), &T::BarWidth, &T::SetBarWidth)
            .Prop("BearerBars", BooleanType(), &T::BearerBars, &T::SetBearerBars).Default(0)
            .Prop("CalcCheckDigit", BooleanType(), &T::CalcCheckDigit, &T::SetCalcCheckDigit).Default(1)
            .Prop("CodeOK", BooleanType(), &T::CodeOK, &T::SetCodeOK).Default(1)
            .Prop("Color", ColorType(), &T::Color, &T::SetColor)
            .Prop("Data", StringType(), &T::Data, &T::SetData)
            .Prop("Font", ClassType(), &T::Font, &T::SetFont)
            .Prop("Orientation", BarCodeOrientationType(), &T::Orientation, &T::SetOrientation)
            .Default(orLeftToRight)
            .Prop("PrintHumanReadable", BooleanType(), &T::PrintHumanReadable, &T::SetPrintHumanReadable)
            .Default(1)
            .Prop("Transparent", BooleanType(), &T::Transparent, &T::SetTransparent).Default(0)
            .Prop("WideBarRatio", FloatType(), &T::WideBarRatio, &T::SetWideBarRatio)
            .Build();
    return info;
}

TjxDrawBarCode::TjxDrawBarCode(TComponent* owner) : TjxDrawCommand(owner), m_font(std::make_unique<TFont>()) {}
TjxDrawBarCode::~TjxDrawBarCode() = default;

namespace {

int Px(long double value) { return int(RoundHalfEven(value)); }

// Thousandths of a millimetre as inches times a resolution, in pixels.
long double InchPixels(int thousandths, int dpi) { return static_cast<long double>(thousandths) * dpi / 25400.0L; }

int ClampedBarWidth(TjxBarCodeType type, int barWidth)
{
    if (barWidth <= 0)
        return BarCodeDefaultWidth(type);
    return std::clamp(barWidth, kMinBarWidth, kMaxBarWidth);
}

} // namespace

TjxBarCodeMetrics BarCodeMetrics(TjxBarCodeType type, int barWidth, float wideBarRatio, int dpiAlong,
                                 int dpiAcross)
{
    const int bw = ClampedBarWidth(type, barWidth);
    const long double ratio =
        std::isfinite(wideBarRatio) && wideBarRatio > 0 ? std::clamp<long double>(wideBarRatio, 1, 10) : 3;
    TjxBarCodeMetrics m;
    m.narrow = std::max(1, Px(InchPixels(bw, dpiAlong)));
    m.wide = std::max(m.narrow, Px(InchPixels(bw, dpiAlong) * ratio));
    if (ratio > 1 && m.wide == m.narrow)
        m.wide = m.narrow + 1;
    m.charGap = std::max(1, Px(InchPixels(bw, 2 * dpiAlong)));
    m.postnetSpace = std::max(1, Px(m.narrow * 1.375L));
    m.moduleHeight = std::max(1, Px(InchPixels(bw, dpiAcross)));
    return m;
}

int PatternPixels(const TjxBarPattern& pattern, const TjxBarCodeMetrics& metrics)
{
    int64_t total = 0;
    for (const TjxBarElement& e : pattern)
        total += metrics.Width(e.width);
    return int(std::min<int64_t>(total, std::numeric_limits<int>::max() / 4));
}

const TjxBarCodeSymbol& TjxDrawBarCode::Encode() const
{
    if (!m_symbol)
        m_symbol = EncodeBarCode({m_barCodeType, m_data, m_calcCheckDigit, m_autoEncode, m_addOnCode});
    return *m_symbol;
}

namespace {

// The module ranges [from, to) under which UPC and EAN print their digit
// groups; bars outside them (the guards) reach down into the text row.
struct TStrip {
    int from, to;
};

std::vector<TStrip> DigitStrips(TjxBarCodeType type)
{
    switch (type) {
    case bcUPC_A: return {{10, 45}, {50, 85}};
    case bcUPC_E: return {{3, 45}};
    case bcEAN_13: return {{3, 45}, {50, 92}};
    case bcEAN_8: return {{3, 31}, {36, 64}};
    default: return {};
    }
}

bool InStrip(const std::vector<TStrip>& strips, int module)
{
    for (const TStrip& s : strips)
        if (module >= s.from && module < s.to)
            return true;
    return false;
}

// Adds a bar, joined to the previous one when they touch with the same ends.
void AddBar(std::vector<QRect>& bars, int x, int top, int width, int bottom)
{
    if (width <= 0 || bottom <= top)
        return;
    if (!bars.empty()) {
        QRect& last = bars.back();
        if (last.left() + last.width() == x && last.top() == top && last.top() + last.height() == bottom) {
            last.setWidth(last.width() + width);
            return;
        }
    }
    bars.emplace_back(x, top, width, bottom - top);
}

// The command's font at other sizes, for measuring.
class TSizedFont {
public:
    explicit TSizedFont(const TFont& font) { m_font.Assign(&font); }
    const TFont& At(int size)
    {
        m_font.SetSize(size);
        return m_font;
    }

private:
    TFont m_font;
};

} // namespace

TjxBarCodeLayout TjxDrawBarCode::Layout(int dpiAlong, int dpiAcross, const TTextMeasurer& measurer) const
{
    TjxBarCodeLayout out;
    const TjxBarCodeSymbol& symbol = Encode();
    const TjxBarCodeMetrics m = BarCodeMetrics(m_barCodeType, m_barWidth, m_wideBarRatio, dpiAlong, dpiAcross);
    const int bw = ClampedBarWidth(m_barCodeType, m_barWidth);
    const int n = m.narrow;
    const bool upcEan = IsUpcEanType(m_barCodeType);
    const int length = PatternPixels(symbol.pattern, m);
    const int addOnLength = PatternPixels(symbol.addOn, m);

    // Quiet zones and width.
    int q = 0;
    if (upcEan)
        q = Px(InchPixels(bw, 9 * dpiAlong));
    else if (m_barCodeType == bcInt2of5)
        q = Px(0.03L * dpiAlong);
    const int addOnGap = symbol.addOn.empty() ? 0 : 9 * n;
    const int W = length + 2 * q + addOnGap + addOnLength;

    // Bar height.
    int H = 0;
    if (m_autoSize) {
        switch (m_barCodeType) {
        case bcEAN_13: case bcEAN_8: H = Px(0.85L * length); break;
        case bcInt2of5: H = Px(0.6L * W); break;
        case bcCode128: H = std::max(Px(0.15L * W), Px(dpiAcross / 4.0L)); break;
        case bcPostnet: H = Px(dpiAcross / 8.0L); break;
        case bcFIM: H = 20 * m.moduleHeight; break;
        case bcMSI: H = Px(0.2L * W); break;
        case bcUPC_A: case bcUPC_E: H = Px(73.85L * InchPixels(bw, dpiAcross)); break;
        default: H = Px(0.25L * W); break;
        }
        H = std::max(H, 5);
    } else {
        H = std::max(1, ThousandthsToPixels(IsVertical() ? Width() : Height(), dpiAcross));
    }

    // Font: sized to the symbol, reduced until the digits fit.
    const bool text = m_printHumanReadable && m_barCodeType != bcFIM;
    TSizedFont sized(*m_font);
    int fontSize = m_font->Size();
    if (m_autoSizeFont && symbol.ok && m_barCodeType != bcFIM) {
        const long double screenH = static_cast<long double>(H) * kScreenPixelsPerInch / dpiAcross;
        const long double factor = upcEan ? 0.2L : m_barCodeType == bcInt2of5 ? 0.15L
                                   : m_barCodeType == bcPostnet               ? 0.5L
                                                                               : 0.25L;
        fontSize = std::max(1, Px(screenH * factor));
        const auto tooWide = [&](int size) {
            const TFont& f = sized.At(size);
            const double digit = measurer.TextWidth(f, dpiAlong, u"0");
            switch (m_barCodeType) {
            case bcUPC_A: return 5 * digit > 36 * n;
            case bcUPC_E: return 6 * digit > 42 * n;
            case bcEAN_13: return measurer.TextWidth(f, dpiAlong, u"000000") > 42 * n;
            case bcEAN_8: return measurer.TextWidth(f, dpiAlong, u"0000") > 28 * n;
            default: return digit * symbol.text.size() > W;
            }
        };
        while (fontSize > 1 && tooWide(fontSize))
            --fontSize;
    }
    const int lineH = text ? int(std::ceil(measurer.LineHeight(sized.At(fontSize), dpiAcross))) : 0;

    // Text row.
    int height = H, barBottom = H;
    if (text) {
        if (m_autoSize)
            height = H + lineH;
        else
            barBottom = std::max(1, H - lineH);
    }
    out.width = W;
    out.height = height;
    out.quietZone = q;
    out.barHeight = H;
    out.barBottom = barBottom;
    out.valid = m_codeOK && symbol.ok;
    if (!out.valid)
        return out;

    // Bars.
    const std::vector<TStrip> strips = DigitStrips(m_barCodeType);
    const int guardBottom = upcEan && text ? std::max(barBottom, barBottom + lineH / 2 - m.moduleHeight) : barBottom;
    int x = q;
    int module = 0;
    for (const TjxBarElement& e : symbol.pattern) {
        const int w = m.Width(e.width);
        if (e.bar) {
            if (m_barCodeType == bcPostnet)
                AddBar(out.bars, x, e.shortBar ? barBottom - Px(0.4L * barBottom) : 0, w, barBottom);
            else
                AddBar(out.bars, x, 0, w, upcEan && !InStrip(strips, module) ? guardBottom : barBottom);
        }
        x += w;
        ++module;
    }
    if (m_bearerBars && m_barCodeType == bcInt2of5) {
        const int thick = std::min(3 * m.moduleHeight, barBottom);
        out.bars.emplace_back(0, 0, W, thick);
        out.bars.emplace_back(0, barBottom - thick, W, thick);
    }
    const int addOnLeft = q + length + addOnGap;
    x = addOnLeft;
    for (const TjxBarElement& e : symbol.addOn) {
        const int w = m.Width(e.width);
        if (e.bar)
            AddBar(out.bars, x, std::min(lineH, guardBottom - 1), w, guardBottom);
        x += w;
    }
    if (!text)
        return out;

    // Human-readable text.
    const auto width = [&](const QString& s, int size) {
        return int(std::ceil(measurer.TextWidth(sized.At(size), dpiAlong, s)));
    };
    const auto centred = [&](const QString& s, int from, int to) {
        const int left = q + from * n, right = q + to * n;
        out.texts.push_back({left + (right - left - width(s, fontSize)) / 2, barBottom, s, fontSize});
    };
    const QString& d = symbol.data;
    const int small = std::max(1, fontSize - 2);
    const int smallH = int(std::ceil(measurer.LineHeight(sized.At(small), dpiAcross)));
    // The outer UPC digits: smaller, lowered by half their height within the row.
    const int smallY = barBottom + std::max(0, std::min(smallH / 2, lineH - smallH));
    switch (m_barCodeType) {
    case bcUPC_A:
        out.texts.push_back({std::max(0, q - n - width(d.left(1), small)), smallY, d.left(1), small});
        centred(d.mid(1, 5), 10, 45);
        centred(d.mid(6, 5), 50, 85);
        out.texts.push_back({q + length + n, smallY, d.mid(11, 1), small});
        break;
    case bcUPC_E:
        out.texts.push_back({std::max(0, q - n - width(QStringLiteral("0"), small)), smallY, QStringLiteral("0"), small});
        centred(d.left(6), 3, 45);
        out.texts.push_back({q + length + n, smallY, d.mid(6, 1), small});
        break;
    case bcEAN_13:
        out.texts.push_back({0, barBottom, d.left(1), fontSize});
        centred(d.mid(1, 6), 3, 45);
        centred(d.mid(7, 6), 50, 92);
        break;
    case bcEAN_8:
        centred(d.left(4), 3, 31);
        centred(d.mid(4, 4), 36, 64);
        break;
    default: {
        const int tw = width(symbol.text, fontSize);
        int tx = 0;
        if (m_alignment == taRightJustify)
            tx = W - tw;
        else if (m_alignment == taCenter)
            tx = (W - tw) / 2;
        out.texts.push_back({tx, barBottom, symbol.text, fontSize});
        break;
    }
    }
    if (!symbol.addOn.empty())
        out.texts.push_back({addOnLeft + addOnLength - width(m_addOnCode, fontSize), 0, m_addOnCode, fontSize});
    return out;
}

QSize TjxDrawBarCode::MeasureSymbol(int dpi, const TTextMeasurer& measurer) const
{
    return OrientedSize(Layout(dpi, dpi, measurer));
}

namespace {

// Places the unrotated layout (w x h) on the device with its oriented box's
// top-left corner at (ox, oy).
struct TOrientedMap {
    TjxBarCodeOrientation orientation;
    int ox, oy, w, h;

    QPoint Point(int x, int y) const
    {
        switch (orientation) {
        case orRightToLeft: return {ox + w - x, oy + h - y};
        case orTopToBottom: return {ox + h - y, oy + x};
        case orBottomToTop: return {ox + y, oy + w - x};
        default: return {ox + x, oy + y};
        }
    }
    QRect Rect(const QRect& r) const
    {
        const QPoint a = Point(r.left(), r.top());
        const QPoint b = Point(r.left() + r.width(), r.top() + r.height());
        return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                     QSize(std::abs(b.x() - a.x()), std::abs(b.y() - a.y())));
    }
    int Angle() const
    {
        switch (orientation) {
        case orRightToLeft: return 180;
        case orTopToBottom: return 270;
        case orBottomToTop: return 90;
        default: return 0;
        }
    }
};

} // namespace

QSize TjxDrawBarCode::OrientedSize(const TjxBarCodeLayout& l) const
{
    return IsVertical() ? QSize(l.height, l.width) : QSize(l.width, l.height);
}

QSize TjxDrawBarCode::RenderSymbol(TjxCanvas& canvas, int originX, bool draw, int resolution, int originY)
{
    const int across = IsVertical() ? canvas.DpiX() : canvas.DpiY();
    const TjxBarCodeLayout l = Layout(resolution, across, canvas.Measurer());
    if (!draw)
        return OrientedSize(l);
    return DrawLayout(canvas, l, originX, originY);
}

QSize TjxDrawBarCode::DrawLayout(TjxCanvas& canvas, const TjxBarCodeLayout& l, int originX, int originY) const
{
    const QSize size = OrientedSize(l);
    const TOrientedMap map{m_orientation, originX, originY, l.width, l.height};
    if (!m_transparent)
        canvas.FillRect(QRect(QPoint(originX, originY), size), m_color);
    if (!l.valid)
        return size;
    for (const QRect& bar : l.bars)
        canvas.FillRect(map.Rect(bar), m_barColor);
    TFont font;
    font.Assign(m_font.get());
    font.SetColor(m_barColor);
    for (const TjxBarCodeTextItem& t : l.texts) {
        font.SetSize(t.fontSize);
        canvas.SetFont(font);
        const QPoint p = map.Point(t.x, t.y);
        canvas.RotatedText(p.x(), p.y(), map.Angle(), t.text);
    }
    return size;
}

bool TjxDrawBarCode::Draw(TjxCanvas& canvas)
{
    if (!m_codeOK || !Encode().ok) {
        // Invalid data has no symbol to size: the rectangle shows its background.
        const TjxDeviceRect r = DeviceRect();
        if (!m_transparent)
            canvas.FillRect(QRect(r.left, r.top, r.Width(), r.Height()), m_color);
        DrawBorder(canvas, *Border(), r);
        return true;
    }
    return canvas.IsScreen() ? DrawOnScreen(canvas) : DrawOnPrinter(canvas);
}

bool TjxDrawBarCode::DrawOnPrinter(TjxCanvas& canvas)
{
    const TjxDeviceRect r = DeviceRect();
    const TjxBorder& border = *Border();
    const bool framed = border.Visible();
    const int x = r.left + (framed && border.HasPosition(bpLeft) ? canvas.ThicknessX(border.Weight()) : 0);
    const int y = r.top + (framed && border.HasPosition(bpTop) ? canvas.ThicknessY(border.Weight()) : 0);
    // Drawn at the device's own resolution; a device coarser than the one the
    // component was sized at may need a pixel more, which the rectangle keeps.
    canvas.SaveState();
    canvas.IntersectClip(QRect(r.left, r.top, r.Width(), r.Height()));
    canvas.Painter().setRenderHint(QPainter::Antialiasing, false);
    RenderSymbol(canvas, x, true, IsVertical() ? canvas.DpiY() : canvas.DpiX(), y);
    canvas.RestoreState();
    DrawBorder(canvas, border, r);
    return true;
}

bool TjxDrawBarCode::DrawOnScreen(TjxCanvas& canvas)
{
    const TjxDeviceRect r = DeviceRect();
    const TjxBorder& border = *Border();
    const bool framed = border.Visible();
    const int dx = framed && border.HasPosition(bpLeft) ? canvas.ThicknessX(border.Weight()) : 0;
    const int dy = framed && border.HasPosition(bpTop) ? canvas.ThicknessY(border.Weight()) : 0;
    // One layout serves both the bitmap's size and its drawing.
    const TjxBarCodeLayout layout = Layout(kScreenPixelsPerInch, kScreenPixelsPerInch, canvas.Measurer());
    const QSize natural = OrientedSize(layout);
    if (natural.width() > 0 && natural.height() > 0 && r.Width() > dx && r.Height() > dy) {
        QImage bitmap(natural, QImage::Format_RGB32);
        if (!bitmap.isNull()) {
            bitmap.fill(Qt::white);
            {
                QPainter painter(&bitmap);
                TjxCanvas plain(&painter, kScreenPixelsPerInch, kScreenPixelsPerInch);
                plain.SetMeasurer(&canvas.Measurer());
                DrawLayout(plain, layout, 0, 0);
            }
            canvas.StretchDraw(QRect(r.left + dx, r.top + dy, r.Width() - dx, r.Height() - dy), bitmap,
                               m_transparent ? cmSrcAnd : cmSrcCopy);
        }
    }
    DrawBorder(canvas, border, r);
    return true;
}

bool TjxDrawBarCode::IsSameAs(const TjxDrawCommand* other) const
{
    const auto* o = dynamic_cast<const TjxDrawBarCode*>(other);
    return o && TjxDrawCommand::IsSameAs(other) && m_data == o->m_data && m_barCodeType == o->m_barCodeType &&
           m_addOnCode == o->m_addOnCode && m_orientation == o->m_orientation && m_barWidth == o->m_barWidth &&
           m_wideBarRatio == o->m_wideBarRatio && m_barColor == o->m_barColor && m_color == o->m_color &&
           m_transparent == o->m_transparent && m_printHumanReadable == o->m_printHumanReadable &&
           m_calcCheckDigit == o->m_calcCheckDigit && m_autoEncode == o->m_autoEncode && m_codeOK == o->m_codeOK;
}

void TjxDrawBarCode::Assign(const TPersistent* source)
{
    TjxDrawCommand::Assign(source);
    const auto* o = dynamic_cast<const TjxDrawBarCode*>(source);
    if (!o)
        return;
    m_alignment = o->m_alignment;
    m_addOnCode = o->m_addOnCode;
    m_autoEncode = o->m_autoEncode;
    m_autoSize = o->m_autoSize;
    m_autoSizeFont = o->m_autoSizeFont;
    m_barCodeType = o->m_barCodeType;
    m_barColor = o->m_barColor;
    m_barWidth = o->m_barWidth;
    m_bearerBars = o->m_bearerBars;
    m_calcCheckDigit = o->m_calcCheckDigit;
    m_codeOK = o->m_codeOK;
    m_color = o->m_color;
    m_data = o->m_data;
    m_font->Assign(o->m_font.get());
    m_orientation = o->m_orientation;
    m_printHumanReadable = o->m_printHumanReadable;
    m_transparent = o->m_transparent;
    m_wideBarRatio = o->m_wideBarRatio;
    m_symbol.reset();
}

ORVANE_REGISTER_CLASS(TjxDrawBarCode);

} // namespace orvane
