#include "platform/canvas.h"
#include "platform/justified_text.h"

#include "document/units.h"
#include "platform/text_measurer.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPen>
#include <QThread>
#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

// Qt's light palette for the system colours a template may name.
QColor SystemQColor(int index)
{
    switch (index) {
    case 1: case 12: return QColor(0xAB, 0xAB, 0xAB);
    case 2: return QColor(0x99, 0xB4, 0xD1);
    case 3: return QColor(0xBF, 0xCD, 0xDB);
    case 4: case 5: case 9: case 14: case 20: case 24: case 30: return QColor(0xFF, 0xFF, 0xFF);
    case 13: case 29: return QColor(0x33, 0x99, 0xFF);
    case 15: case 22: return QColor(0xF0, 0xF0, 0xF0);
    case 16: return QColor(0xA0, 0xA0, 0xA0);
    case 17: return QColor(0x6D, 0x6D, 0x6D);
    case 21: return QColor(0x69, 0x69, 0x69);
    default: return QColor(0, 0, 0);
    }
}

Qt::PenStyle ToQtPenStyle(TPenStyle style)
{
    switch (style) {
    case psDash: return Qt::DashLine;
    case psDot: case psAlternate: return Qt::DotLine;
    case psDashDot: return Qt::DashDotLine;
    case psDashDotDot: return Qt::DashDotDotLine;
    case psClear: return Qt::NoPen;
    default: return Qt::SolidLine;
    }
}

Qt::BrushStyle ToQtBrushStyle(TBrushStyle style)
{
    switch (style) {
    case bsClear: return Qt::NoBrush;
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::FDiagPattern;
    case bsBDiagonal: return Qt::BDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
    }
}

// The font as the measurer realises it, so that drawn and measured text agree.
QFont MakeDeviceFont(const TFont& font, int dpi)
{
    QFont f(font.Name());
    f.setPixelSize(std::max(1, std::abs(MulDiv(font.Size(), dpi, 72))));
    f.setBold(font.HasStyle(fsBold));
    f.setItalic(font.HasStyle(fsItalic));
    f.setUnderline(font.HasStyle(fsUnderline));
    f.setStrikeOut(font.HasStyle(fsStrikeOut));
    f.setKerning(false);
    if (font.Pitch() == fpFixed)
        f.setFixedPitch(true);
    // Pixel sizes must not be scaled again by the paint device's resolution.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

} // namespace

// A font as a device realises it at a resolution, and what is measured of it.
struct TRealisedFont {
    TFont font;
    int dpi = 0;
    QFont deviceFont;
    double leading = -1;  // negative until measured
    double ascent = -1;   // on a device of ascentDpi; negative until measured
    int ascentDpi = 0;
};

namespace {

// Realised once per font and thread: every page has a canvas of its own, and
// measuring a font anew costs as much as drawing a page of lines with it.
// Most recent first.
constexpr size_t kRealisedFonts = 32;

std::vector<std::shared_ptr<TRealisedFont>>& RealisedFonts()
{
    thread_local std::vector<std::shared_ptr<TRealisedFont>> fonts;
    return fonts;
}

// Only the application's thread touches it.
bool g_realisedDropRegistered = false;

// Font engines must not outlive the application object: its thread drops its fonts with it.
void DropRealisedFonts()
{
    RealisedFonts().clear();
    g_realisedDropRegistered = false;
}

std::shared_ptr<TRealisedFont> Realise(const TFont& font, int dpi)
{
    auto& fonts = RealisedFonts();
    for (size_t i = 0; i < fonts.size(); ++i) {
        if (fonts[i]->dpi == dpi && fonts[i]->font == font) {
            if (i > 0)
                std::rotate(fonts.begin(), fonts.begin() + qsizetype(i), fonts.begin() + qsizetype(i) + 1);
            return fonts.front();
        }
    }
    if (const QCoreApplication* app = QCoreApplication::instance();
        app && app->thread() == QThread::currentThread() && !g_realisedDropRegistered) {
        qAddPostRoutine(DropRealisedFonts);
        g_realisedDropRegistered = true;
    }
    if (fonts.size() >= kRealisedFonts)
        fonts.pop_back();
    auto realised = std::make_shared<TRealisedFont>();
    realised->font.Assign(&font);
    realised->dpi = dpi;
    realised->deviceFont = MakeDeviceFont(font, dpi);
    fonts.insert(fonts.begin(), realised);
    return realised;
}

int ToPixels(int th, int dpi)
{
    return ThousandthsToPixels(th, dpi);
}

} // namespace

QColor ToQColor(TColor color)
{
    const uint32_t c = uint32_t(color);
    if ((c & 0xFF000000u) == 0xFF000000u)
        return SystemQColor(int(c & 0xFFu));
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

TColor FromQColor(const QColor& color)
{
    return TColor(color.red() | (color.green() << 8) | (color.blue() << 16));
}

QString DeviceSubstitution(const QString& faceName)
{
    static const std::pair<const char16_t*, const char16_t*> table[] = {
        {u"Courier", u"Courier New"}, {u"Fixedsys", u"Arial"}, {u"Modern", u"Arial"},
        {u"MS Sans Serif", u"Arial"}, {u"MS Serif", u"Courier New"}, {u"Small Fonts", u"Arial"},
        {u"System", u"Arial"},        {u"Terminal", u"Arial"},
    };
    for (const auto& [from, to] : table)
        if (faceName == QStringView(from))
            return QString::fromUtf16(to);
    return faceName;
}

TjxCanvas::TjxCanvas(QPaintDevice* device)
    : m_ownPainter(std::make_unique<QPainter>()), m_measurer(&DefaultTextMeasurer())
{
    m_painter = m_ownPainter.get();
    if (device) {
        m_dpiX = device->logicalDpiX();
        m_dpiY = device->logicalDpiY();
        m_painter->begin(device);
    }
    m_fontDpi = m_dpiY;
    m_direct = dynamic_cast<TjxDirectDrawing*>(m_painter->paintEngine());
    ApplyPen();
    ApplyBrush();
}

TjxCanvas::TjxCanvas(QPainter* painter, int dpiX, int dpiY)
    : m_painter(painter), m_dpiX(dpiX), m_dpiY(dpiY), m_fontDpi(dpiY), m_measurer(&DefaultTextMeasurer())
{
    if (m_painter)
        m_direct = dynamic_cast<TjxDirectDrawing*>(m_painter->paintEngine());
    ApplyPen();
    ApplyBrush();
}

TjxCanvas::~TjxCanvas()
{
    if (m_ownPainter && m_ownPainter->isActive())
        m_ownPainter->end();
}

bool TjxCanvas::IsActive() const { return m_painter && m_painter->isActive(); }

int TjxCanvas::ThousandthsToPixelsX(int th) const { return ToPixels(th, m_dpiX); }
int TjxCanvas::ThousandthsToPixelsY(int th) const { return ToPixels(th, m_dpiY); }

void TjxCanvas::SetScreenZoom(double zoomX, double zoomY)
{
    m_screen = true;
    m_zoomX = zoomX;
    m_zoomY = zoomY;
}

int TjxCanvas::ScaledPixelsX(int th) const
{
    const int px = ThousandthsToPixelsX(th);
    return m_screen ? int(RoundHalfEven(static_cast<long double>(px) * m_zoomX)) : px;
}

int TjxCanvas::ScaledPixelsY(int th) const
{
    const int px = ThousandthsToPixelsY(th);
    return m_screen ? int(RoundHalfEven(static_cast<long double>(px) * m_zoomY)) : px;
}

namespace {

int WeightToPixels(double points, double unitsPerPoint)
{
    return std::max<int>(1, int(RoundHalfEven(static_cast<long double>(points) * unitsPerPoint)));
}

} // namespace

int TjxCanvas::ThicknessX(double points) const
{
    return WeightToPixels(points, m_dpiX / 72.0 * (m_screen ? m_zoomX : 1.0));
}

int TjxCanvas::ThicknessY(double points) const
{
    return m_screen ? ThicknessX(points) : WeightToPixels(points, m_dpiY / 72.0);
}

QRect TjxCanvas::ThousandthsToPixels(int left, int top, int width, int height) const
{
    const int l = ThousandthsToPixelsX(left);
    const int t = ThousandthsToPixelsY(top);
    const int r = ThousandthsToPixelsX(left + width);
    const int b = ThousandthsToPixelsY(top + height);
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

void TjxCanvas::SetPen(TColor color, TPenStyle style, int width)
{
    m_penColor = color;
    m_penStyle = style;
    m_penWidth = std::max(0, width);
    ApplyPen();
}

void TjxCanvas::SetBrush(TColor color, TBrushStyle style)
{
    m_brushColor = color;
    m_brushStyle = style;
    ApplyBrush();
}

void TjxCanvas::ApplyPen()
{
    if (!IsActive())
        return;
    QPen pen(ToQColor(m_penColor), std::max(1, m_penWidth), ToQtPenStyle(m_penStyle), Qt::FlatCap, Qt::MiterJoin);
    m_painter->setPen(pen);
}

void TjxCanvas::ApplyBrush()
{
    if (!IsActive())
        return;
    m_painter->setBrush(QBrush(ToQColor(m_brushColor), ToQtBrushStyle(m_brushStyle)));
}

void TjxCanvas::SetFont(const TFont& font, bool substitute)
{
    m_font.Assign(&font);
    if (substitute || m_screen)
        m_font.SetName(DeviceSubstitution(font.Name()));
    if (m_monochromeText && m_font.Color() != clBlack && m_font.Color() != clWhite)
        m_font.SetColor(clBlack);
    if (m_screen) {
        const int height96 = -MulDiv(font.Size(), kScreenPixelsPerInch, 72);
        const int height = int(RoundHalfEven(static_cast<long double>(height96) * m_zoomY));
        SetFontHeight(height == 0 ? -1 : height);
        return;
    }
    m_fontDpi = m_dpiY;
    m_fontHeight = -MulDiv(m_font.Size(), m_dpiY, 72);
    if (!IsActive())
        return;
    // Every text command sets its font: most set the one before again.
    if (!m_realised || m_realised->dpi != m_fontDpi || !(m_realised->font == m_font))
        m_realised = Realise(m_font, m_fontDpi);
    m_painter->setFont(m_realised->deviceFont);
}

void TjxCanvas::SetFontHeight(int height)
{
    // A size in points at 72 dpi is a size in pixels: measuring and drawing
    // then realise exactly this height.
    m_fontHeight = height;
    m_fontDpi = 72;
    m_font.SetSize(std::max(1, std::abs(height)));
    if (IsActive()) {
        m_realised = Realise(m_font, m_fontDpi);
        m_painter->setFont(m_realised->deviceFont);
    }
}

void TjxCanvas::SetMeasurer(const TTextMeasurer* measurer)
{
    m_measurer = measurer ? measurer : &DefaultTextMeasurer();
}

// Shapes are stroked inside their rectangle: a pen w pixels wide covers the
// outermost w pixels, so the pixels touched are exactly those of the rectangle.
void TjxCanvas::Rectangle(int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top || !IsActive())
        return;
    const QRect r(left, top, right - left, bottom - top);
    if (m_brushStyle != bsClear)
        m_painter->fillRect(r, m_painter->brush());
    if (m_penStyle == psClear)
        return;
    const double w = std::min<double>(std::max(1, m_penWidth), std::min(r.width(), r.height()) / 2.0);
    m_painter->save();
    m_painter->setBrush(Qt::NoBrush);
    QPen pen = m_painter->pen();
    pen.setWidthF(w);
    m_painter->setPen(pen);
    m_painter->drawRect(QRectF(left + w / 2, top + w / 2, r.width() - w, r.height() - w));
    m_painter->restore();
}

void TjxCanvas::FillRect(const QRect& rect, TColor color)
{
    if (IsActive() && !rect.isEmpty() && !(m_direct && m_direct->FillRect(rect, ToQColor(color))))
        m_painter->fillRect(rect, ToQColor(color));
}

void TjxCanvas::RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight)
{
    if (right <= left || bottom <= top || !IsActive())
        return;
    const double w = m_penStyle == psClear ? 0 : std::max(1, m_penWidth);
    m_painter->save();
    if (m_penStyle == psClear)
        m_painter->setPen(Qt::NoPen);
    else {
        QPen pen = m_painter->pen();
        pen.setWidthF(w);
        m_painter->setPen(pen);
    }
    m_painter->setRenderHint(QPainter::Antialiasing, false);
    m_painter->drawRoundedRect(QRectF(left + w / 2, top + w / 2, right - left - w, bottom - top - w),
                               cornerWidth / 2.0, cornerHeight / 2.0, Qt::AbsoluteSize);
    m_painter->restore();
}

void TjxCanvas::Ellipse(int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top || !IsActive())
        return;
    const double w = m_penStyle == psClear ? 0 : std::max(1, m_penWidth);
    m_painter->save();
    if (m_penStyle == psClear)
        m_painter->setPen(Qt::NoPen);
    else {
        QPen pen = m_painter->pen();
        pen.setWidthF(w);
        m_painter->setPen(pen);
    }
    m_painter->drawEllipse(QRectF(left + w / 2, top + w / 2, right - left - w, bottom - top - w));
    m_painter->restore();
}

// Lines stop before their end point, so a line from x1 to x2 covers the
// pixels x1 to x2 - 1 (an aliased line with a flat cap does just that).
void TjxCanvas::Line(int x1, int y1, int x2, int y2)
{
    if (!IsActive() || m_penStyle == psClear)
        return;
    if (x1 == x2 && y1 == y2)
        return;
    m_painter->save();
    m_painter->setRenderHint(QPainter::Antialiasing, false);
    m_painter->drawLine(QPoint(x1, y1), QPoint(x2, y2));
    m_painter->restore();
}

void TjxCanvas::Polyline(const std::vector<QPoint>& points)
{
    if (!IsActive() || m_penStyle == psClear || points.size() < 2)
        return;
    QPolygonF polygon;
    for (const QPoint& p : points)
        polygon << QPointF(p);
    m_painter->drawPolyline(polygon);
}

double TjxCanvas::TextWidth(const QString& text) const
{
    return m_measurer->TextWidth(m_font, m_fontDpi, text);
}

double TjxCanvas::TextHeight() const
{
    return m_measurer->LineHeight(m_font, m_fontDpi);
}

double TjxCanvas::ExternalLeading() const
{
    // Asked for every line drawn: measured once per font.
    // The thread's list holds the record while this call uses it.
    TRealisedFont* realised = m_realised && m_realised->dpi == m_fontDpi && m_realised->font == m_font
                                  ? m_realised.get()
                                  : Realise(m_font, m_fontDpi).get();
    if (realised->leading < 0)
        realised->leading = QFontMetricsF(realised->deviceFont).leading();
    return realised->leading;
}

void TjxCanvas::RotatedText(int x, int y, int angle, const QString& text)
{
    if (!IsActive() || text.isEmpty())
        return;
    m_painter->save();
    m_painter->translate(x, y);
    m_painter->rotate(-angle);
    m_painter->setPen(ToQColor(m_font.Color()));
    const QFontMetricsF metrics(m_painter->font(), m_painter->device());
    m_painter->drawText(QPointF(0, metrics.ascent()), text);
    m_painter->restore();
}

namespace {

// A line far wider than any page (a field of megabytes in one text) is drawn
// from the part the clip lets show: shaping and writing the glyphs outside it
// costs seconds and gigabytes and shows nothing.
constexpr qsizetype kLongLine = 4096;
constexpr qsizetype kLinePiece = 1024;

qsizetype PieceEnd(const QString& text, qsizetype start)
{
    qsizetype end = std::min(text.size(), start + kLinePiece);
    if (end < text.size() && text[end - 1].isHighSurrogate())
        --end;
    return end;
}

} // namespace

void TjxCanvas::TextRect(const QRect& clip, int x, int y, const QString& text)
{
    if (!IsActive() || text.isEmpty() || clip.isEmpty())
        return;
    double pen = x;
    QString shown = text;
    if (text.size() > kLongLine) {
        // A glyph may reach past its advance: keep a line height either side.
        const double margin = TextHeight();
        const auto width = [&](qsizetype from, qsizetype to) {
            return m_measurer->TextWidth(m_font, m_fontDpi, QStringView(text).mid(from, to - from));
        };
        qsizetype start = 0;
        for (qsizetype end = PieceEnd(text, 0); end < text.size(); end = PieceEnd(text, start)) {
            const double w = width(start, end);
            if (pen + w >= clip.left() - margin)
                break;
            pen += w;
            start = end;
        }
        qsizetype end = start;
        for (double right = pen; end < text.size() && right <= clip.right() + margin;) {
            const qsizetype next = PieceEnd(text, end);
            right += width(end, next);
            end = next;
        }
        shown = text.mid(start, end - start);
    }
    // Measured once per font: most lines of a page share a few fonts.
    const QFont& font = m_painter->font();
    const int deviceDpi = m_painter->device()->logicalDpiY();
    double ascent;
    if (m_realised && font == m_realised->deviceFont) {
        if (m_realised->ascent < 0 || m_realised->ascentDpi != deviceDpi) {
            m_realised->ascent = QFontMetricsF(font, m_painter->device()).ascent();
            m_realised->ascentDpi = deviceDpi;
        }
        ascent = m_realised->ascent;
    } else {
        ascent = QFontMetricsF(font, m_painter->device()).ascent();
    }
    if (m_direct && !font.underline() && !font.strikeOut() &&
        m_direct->DrawTextLine(clip, QPointF(pen, y + ascent), shown, font, ToQColor(m_font.Color())))
        return;
    m_painter->save();
    m_painter->setClipRect(clip, Qt::IntersectClip);
    m_painter->setPen(ToQColor(m_font.Color()));
    m_painter->drawText(QPointF(pen, y + ascent), shown);
    m_painter->restore();
}

void TjxCanvas::JustifiedTextRect(const QRect& clip, int x, int y, const QString& text, int leadingSpaces,
                                  int breaks, double extra)
{
    if (breaks <= 0 || extra == 0) {
        TextRect(clip, x, y, text);
        return;
    }
    ForEachJustifiedPiece(text, leadingSpaces, breaks, extra, [this](QStringView t) { return TextWidth(t.toString()); },
                          [&](qsizetype, const QString& piece, double px) {
                              TextRect(clip, int(std::lround(x + px)), y, piece);
                          });
}

double TjxCanvas::TabAdvance(double position, const std::vector<int>& tabStops) const
{
    if (tabStops.size() <= 1) {
        const double step = tabStops.empty() ? 8 * m_measurer->AverageCharWidth(m_font, m_fontDpi) : tabStops[0];
        if (step <= 0)
            return position;
        return (std::floor(position / step) + 1) * step;
    }
    for (int stop : tabStops)
        if (stop > position)
            return stop;
    return position;
}

double TjxCanvas::TabbedTextWidth(const QString& text, const std::vector<int>& tabStops) const
{
    double pos = 0;
    const QList<QStringView> parts = QStringView(text).split(u'\t');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            pos = TabAdvance(pos, tabStops);
        pos += m_measurer->TextWidth(m_font, m_fontDpi, parts[i]);
    }
    return pos;
}

void TjxCanvas::TabbedText(int x, int y, const QString& text, const std::vector<int>& tabStops, int tabOrigin)
{
    if (!IsActive())
        return;
    double pos = x - tabOrigin;
    const QList<QStringView> parts = QStringView(text).split(u'\t');
    const QRect everywhere(-(1 << 28), -(1 << 28), 1 << 29, 1 << 29);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            pos = TabAdvance(pos, tabStops);
        const QString piece = parts[i].toString();
        TextRect(everywhere, tabOrigin + int(std::lround(pos)), y, piece);
        pos += TextWidth(piece);
    }
}

void TjxCanvas::StretchDraw(const QRect& rect, const QImage& image, TjxCopyMode mode)
{
    if (!IsActive() || image.isNull() || rect.isEmpty())
        return;
    m_painter->save();
    m_painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    const bool raster = m_painter->paintEngine() && m_painter->paintEngine()->type() == QPaintEngine::Raster;
    if (mode == cmSrcAnd && raster) {
        m_painter->setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        m_painter->drawImage(rect, image);
    } else if (mode == cmSrcAnd) {
        // Printers and PDF have no AND: the white pixels are left out
        // through a mask, so what lies below shows through as on screen.
        m_painter->drawImage(rect, WhiteLeftOut(image));
    } else {
        m_painter->drawImage(rect, image);
    }
    m_painter->restore();
}

QImage TjxCanvas::WhiteLeftOut(const QImage& image)
{
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < masked.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x)
            if ((line[x] & 0x00FFFFFFu) == 0x00FFFFFFu)
                line[x] = 0;
    }
    return masked;
}

void TjxCanvas::SaveState()
{
    if (IsActive())
        m_painter->save();
}

void TjxCanvas::RestoreState()
{
    if (IsActive())
        m_painter->restore();
}

void TjxCanvas::IntersectClip(const QRect& rect)
{
    if (IsActive())
        m_painter->setClipRect(rect, Qt::IntersectClip);
}

} // namespace orvane
