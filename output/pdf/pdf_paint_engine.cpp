#include "output/pdf/pdf_paint_engine.h"

#include "document/units.h"
#include "output/pdf/pdf_document.h"

#include <QGlyphRun>
#include <QImage>
#include <QPixmap>
#include <QRawFont>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

namespace orvane {

namespace {

// Everything QPainter would otherwise emulate by drawing text as outlines or
// transforming shapes itself, except what PDF cannot express.
const QPaintEngine::PaintEngineFeatures kFeatures = QPaintEngine::PaintEngineFeatures(
    uint(QPaintEngine::AllFeatures) &
    ~uint(QPaintEngine::ObjectBoundingModeGradients | QPaintEngine::ConicalGradientFill |
          QPaintEngine::RasterOpModes | QPaintEngine::BlendModes | QPaintEngine::PorterDuff));

// One hatch cell in device pixels, as the raster devices draw hatches.
constexpr int kHatchCell = 8;

} // namespace

TPdfPaintEngine::TPdfPaintEngine(TPdfDocument& document) : QPaintEngine(kFeatures), m_document(document) {}

void TPdfPaintEngine::Num(double v)
{
    PdfAppendNumber(m_content, v);
    m_content.append(' ');
}

bool TPdfPaintEngine::begin(QPaintDevice* device)
{
    auto* page = static_cast<TPdfPageDevice*>(device);
    m_pageWidth = page->WidthPoints();
    m_pageHeight = page->HeightPoints();
    m_scale = 72.0 / page->Resolution();
    m_content.clear();
    m_content.reserve(64 * 1024);
    m_matrix = QTransform();
    m_pen = QPen();
    m_brush = QBrush();
    m_opacity = 1;
    m_clipEnabled = false;
    m_clips.clear();
    m_emittedClips.clear();
    m_inClip = false;
    ResetEmittedState();
    m_alphaName.clear();
    m_fillAlpha = m_strokeAlpha = 1;
    m_pageFonts.clear();
    m_pageImages.clear();
    m_pageStates.clear();
    m_pagePatterns.clear();
    // Device pixels from the top-left corner.
    m_content.append("q ");
    Num(m_scale);
    m_content.append("0 0 ");
    Num(-m_scale);
    m_content.append("0 ");
    Num(m_pageHeight);
    m_content.append("cm\n");
    return true;
}

bool TPdfPaintEngine::end()
{
    if (m_inClip)
        m_content.append("Q\n");
    m_content.append("Q\n");
    QByteArray resources;
    auto objectList = [&resources](const char* prefix, auto&& entries) {
        for (const auto& [name, object] : entries) {
            resources.append(" /").append(prefix).append(name).append(' ');
            PdfAppendInt(resources, object);
            resources.append(" 0 R");
        }
    };
    if (!m_pageFonts.empty()) {
        resources.append(" /Font <<");
        for (TPdfFace* face : m_pageFonts) {
            resources.append(" /").append(face->ResourceName()).append(' ');
            PdfAppendInt(resources, face->ObjectNumber());
            resources.append(" 0 R");
        }
        resources.append(" >>");
    }
    if (!m_pageImages.empty()) {
        resources.append(" /XObject <<");
        for (int object : m_pageImages) {
            resources.append(" /Im");
            PdfAppendInt(resources, object);
            resources.append(' ');
            PdfAppendInt(resources, object);
            resources.append(" 0 R");
        }
        resources.append(" >>");
    }
    if (!m_pageStates.empty()) {
        resources.append(" /ExtGState <<");
        objectList("", m_pageStates);
        resources.append(" >>");
    }
    if (!m_pagePatterns.empty()) {
        resources.append(" /Pattern <<");
        objectList("", m_pagePatterns);
        resources.append(" >>");
    }
    m_document.AddPage(m_pageWidth, m_pageHeight, m_content, resources);
    m_content.clear();
    m_content.squeeze();
    return !m_document.File().Failed();
}

void TPdfPaintEngine::ResetEmittedState()
{
    m_fillSet = m_strokeSet = m_dashSet = false;
    m_lineWidth = -1;
    m_cap = m_join = -1;
    m_miter = -1;
    m_alphaName = "?";  // unknown: the state outside the group that ended may differ
}

void TPdfPaintEngine::updateState(const QPaintEngineState& state)
{
    const DirtyFlags flags = state.state();
    if (flags & DirtyTransform)
        m_matrix = state.transform();
    if (flags & DirtyPen)
        m_pen = state.pen();
    if (flags & DirtyBrush)
        m_brush = state.brush();
    if (flags & DirtyBrushOrigin)
        m_brushOrigin = state.brushOrigin();
    if (flags & DirtyOpacity)
        m_opacity = state.opacity();
    if (flags & DirtyClipEnabled)
        m_clipEnabled = state.isClipEnabled();
    if (flags & DirtyClipPath) {
        m_clipEnabled = true;
        AddClip(state.clipPath(), nullptr, state.clipOperation());
    }
    if (flags & DirtyClipRegion) {
        m_clipEnabled = true;
        const QRegion region = state.clipRegion();
        if (region.rectCount() == 1) {
            const QRectF rect = region.boundingRect();
            QPainterPath path;
            path.addRect(rect);
            AddClip(path, &rect, state.clipOperation());
        } else {
            QPainterPath path;
            for (const QRect& r : region)
                path.addRect(r);
            AddClip(path, nullptr, state.clipOperation());
        }
    }
}

void TPdfPaintEngine::AddClip(const QPainterPath& path, const QRectF* rect, Qt::ClipOperation op)
{
    if (op == Qt::NoClip) {
        m_clips.clear();
        m_clipEnabled = false;
        return;
    }
    if (op == Qt::ReplaceClip)
        m_clips.clear();
    Clip clip;
    const bool axisAligned = m_matrix.type() <= QTransform::TxScale;
    if (rect && axisAligned) {
        clip.rect = m_matrix.mapRect(*rect);
    } else {
        clip.isRect = false;
        clip.path = m_matrix.isIdentity() ? path : m_matrix.map(path);
    }
    m_clips.push_back(std::move(clip));
}

void TPdfPaintEngine::SyncClip()
{
    static const std::vector<Clip> none;
    const std::vector<Clip>& wanted = m_clipEnabled ? m_clips : none;
    if (wanted == m_emittedClips)
        return;
    if (m_inClip) {
        m_content.append("Q\n");
        m_inClip = false;
        ResetEmittedState();
    }
    m_emittedClips = wanted;
    if (wanted.empty())
        return;
    m_content.append("q\n");
    m_inClip = true;
    for (const Clip& clip : wanted) {
        if (clip.isRect) {
            AppendRect(clip.rect);
            m_content.append(" W n\n");
        } else {
            AppendPath(clip.path);
            m_content.append(clip.path.fillRule() == Qt::OddEvenFill ? "W* n\n" : "W n\n");
        }
    }
}

namespace {

// The three components of a colour as the content stream writes them; the
// fill changes between a text's background and its glyphs on every line.
void AppendColor(QByteArray& out, QRgb rgb)
{
    static const std::array<QByteArray, 256> components = [] {
        std::array<QByteArray, 256> texts;
        for (int i = 0; i < 256; ++i) {
            PdfAppendNumber(texts[size_t(i)], i / 255.0);
            texts[size_t(i)].append(' ');
        }
        return texts;
    }();
    for (const int c : {qRed(rgb), qGreen(rgb), qBlue(rgb)})
        AppendBytes(out, components[size_t(c)].constData(), components[size_t(c)].size());
}

} // namespace

void TPdfPaintEngine::SetFillColor(const QColor& color)
{
    const QRgb rgb = color.rgb() & 0xFFFFFF;
    if (m_fillSet && m_fillColor == rgb)
        return;
    m_fillSet = true;
    m_fillColor = rgb;
    AppendColor(m_content, rgb);
    m_content.append("rg\n");
}

void TPdfPaintEngine::SetStrokeColor(const QColor& color)
{
    const QRgb rgb = color.rgb() & 0xFFFFFF;
    if (m_strokeSet && m_strokeColor == rgb)
        return;
    m_strokeSet = true;
    m_strokeColor = rgb;
    AppendColor(m_content, rgb);
    m_content.append("RG\n");
}

void TPdfPaintEngine::SetAlpha(double fill, double stroke)
{
    fill = std::clamp(fill * m_opacity, 0.0, 1.0);
    stroke = std::clamp(stroke * m_opacity, 0.0, 1.0);
    if (m_alphaName != "?" && fill == m_fillAlpha && stroke == m_strokeAlpha)
        return;
    QByteArray key;
    PdfAppendNumber(key, fill);
    key.append('_');
    PdfAppendNumber(key, stroke);
    m_fillAlpha = fill;
    m_strokeAlpha = stroke;
    if (m_alphaName.isEmpty() && key == "1_1")
        return;
    const QByteArray name = "GS" + QByteArray(key).replace('.', 'd');
    if (name == m_alphaName)
        return;
    int& object = m_states[name];
    if (!object) {
        object = m_document.File().Reserve();
        QByteArray d("<< /Type /ExtGState /ca ");
        PdfAppendNumber(d, fill);
        d.append(" /CA ");
        PdfAppendNumber(d, stroke);
        d.append(" >>");
        m_document.File().WriteObject(object, d);
    }
    m_pageStates[name] = object;
    m_content.append('/').append(name).append(" gs\n");
    m_alphaName = name;
}

QByteArray TPdfPaintEngine::PatternName(Qt::BrushStyle style, const QColor& color)
{
    QByteArray name("P");
    PdfAppendInt(name, int(style));
    name.append('_');
    name.append(QByteArray::number(color.rgb() & 0xFFFFFF, 16));
    name.append('_');
    PdfAppendInt(name, std::llround(m_pageHeight * 1000));
    int& object = m_patterns[name];
    if (!object) {
        // Cells of device pixels: the pattern space is the page's default space.
        const double c = kHatchCell;
        QByteArray cell;
        PdfAppendNumber(cell, color.redF());
        cell.append(' ');
        PdfAppendNumber(cell, color.greenF());
        cell.append(' ');
        PdfAppendNumber(cell, color.blueF());
        cell.append(" RG 1 w 0 J\n");
        const bool hor = style == Qt::HorPattern || style == Qt::CrossPattern;
        const bool ver = style == Qt::VerPattern || style == Qt::CrossPattern;
        const bool fdiag = style == Qt::FDiagPattern || style == Qt::DiagCrossPattern;
        const bool bdiag = style == Qt::BDiagPattern || style == Qt::DiagCrossPattern;
        if (hor)
            cell.append("0 0.5 m 8 0.5 l S\n");
        if (ver)
            cell.append("0.5 0 m 0.5 8 l S\n");
        if (fdiag)
            cell.append("-1 -1 m 9 9 l S\n");
        if (bdiag)
            cell.append("-1 9 m 9 -1 l S\n");
        QByteArray d(" /Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 ");
        PdfAppendNumber(d, c);
        d.append(' ');
        PdfAppendNumber(d, c);
        d.append("] /XStep ");
        PdfAppendNumber(d, c);
        d.append(" /YStep ");
        PdfAppendNumber(d, c);
        d.append(" /Resources << >> /Matrix [");
        PdfAppendNumber(d, m_scale);
        d.append(" 0 0 ");
        PdfAppendNumber(d, -m_scale);
        d.append(" 0 ");
        PdfAppendNumber(d, m_pageHeight);
        d.append(']');
        object = m_document.File().Reserve();
        m_document.File().WriteStream(object, d, cell, false);
    }
    m_pagePatterns[name] = object;
    return name;
}

const char* TPdfPaintEngine::PrepareFill(bool fill, bool stroke, bool evenOdd)
{
    SyncClip();
    const Qt::BrushStyle brushStyle = m_brush.style();
    fill = fill && brushStyle != Qt::NoBrush;
    stroke = stroke && m_pen.style() != Qt::NoPen;
    if (!fill && !stroke)
        return nullptr;
    SetAlpha(fill ? m_brush.color().alphaF() : 1.0, stroke ? m_pen.color().alphaF() : 1.0);
    if (fill) {
        if (brushStyle >= Qt::HorPattern && brushStyle <= Qt::DiagCrossPattern) {
            const QByteArray name = PatternName(brushStyle, m_brush.color());
            m_content.append("/Pattern cs /").append(name).append(" scn\n");
            m_fillSet = false;
        } else {
            SetFillColor(m_brush.color());
        }
    }
    if (stroke) {
        SetStrokeColor(m_pen.color());
        const double width = m_pen.widthF() > 0 ? m_pen.widthF() : 1.0;
        if (width != m_lineWidth) {
            m_lineWidth = width;
            Num(width);
            m_content.append("w\n");
        }
        const int cap = m_pen.capStyle() == Qt::RoundCap ? 1 : m_pen.capStyle() == Qt::SquareCap ? 2 : 0;
        if (cap != m_cap) {
            m_cap = cap;
            PdfAppendInt(m_content, cap);
            m_content.append(" J\n");
        }
        const int join = m_pen.joinStyle() == Qt::RoundJoin ? 1 : m_pen.joinStyle() == Qt::BevelJoin ? 2 : 0;
        if (join != m_join) {
            m_join = join;
            PdfAppendInt(m_content, join);
            m_content.append(" j\n");
        }
        if (join == 0 && m_pen.miterLimit() != m_miter) {
            m_miter = m_pen.miterLimit();
            Num(std::max(1.0, m_miter));
            m_content.append("M\n");
        }
        QByteArray dash("[");
        if (m_pen.style() != Qt::SolidLine) {
            for (qreal d : m_pen.dashPattern()) {
                PdfAppendNumber(dash, d * width);
                dash.append(' ');
            }
        }
        dash.append("] ");
        PdfAppendNumber(dash, m_pen.style() != Qt::SolidLine ? m_pen.dashOffset() * width : 0.0);
        dash.append(" d\n");
        if (!m_dashSet || dash != m_dash) {
            m_dashSet = true;
            m_dash = dash;
            m_content.append(dash);
        }
    }
    if (fill && stroke)
        return evenOdd ? "B*\n" : "B\n";
    if (fill)
        return evenOdd ? "f*\n" : "f\n";
    return "S\n";
}

void TPdfPaintEngine::BeginTransform()
{
    m_transformed = !m_matrix.isIdentity();
    if (!m_transformed)
        return;
    m_content.append("q ");
    Num(m_matrix.m11());
    Num(m_matrix.m12());
    Num(m_matrix.m21());
    Num(m_matrix.m22());
    Num(m_matrix.dx());
    Num(m_matrix.dy());
    m_content.append("cm\n");
}

void TPdfPaintEngine::EndTransform()
{
    if (m_transformed)
        m_content.append("Q\n");
    m_transformed = false;
}

void TPdfPaintEngine::AppendPath(const QPainterPath& path)
{
    const int n = path.elementCount();
    for (int i = 0; i < n; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            Num(e.x);
            Num(e.y);
            m_content.append("m\n");
            break;
        case QPainterPath::LineToElement:
            Num(e.x);
            Num(e.y);
            m_content.append("l\n");
            break;
        case QPainterPath::CurveToElement:
            if (i + 2 < n) {
                const QPainterPath::Element c2 = path.elementAt(i + 1);
                const QPainterPath::Element end = path.elementAt(i + 2);
                Num(e.x);
                Num(e.y);
                Num(c2.x);
                Num(c2.y);
                Num(end.x);
                Num(end.y);
                m_content.append("c\n");
                i += 2;
            }
            break;
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
}

void TPdfPaintEngine::AppendRect(const QRectF& rect)
{
    Num(rect.x());
    Num(rect.y());
    Num(rect.width());
    Num(rect.height());
    m_content.append("re");
}

void TPdfPaintEngine::Paint(const char* op)
{
    m_content.append(op);
}

void TPdfPaintEngine::drawPath(const QPainterPath& path)
{
    if (path.isEmpty())
        return;
    const char* op = PrepareFill(true, true, path.fillRule() == Qt::OddEvenFill);
    if (!op)
        return;
    BeginTransform();
    AppendPath(path);
    Paint(op);
    EndTransform();
}

void TPdfPaintEngine::drawPolygon(const QPointF* points, int count, PolygonDrawMode mode)
{
    if (count < 2)
        return;
    const bool polyline = mode == PolylineMode;
    const char* op = PrepareFill(!polyline, true, mode == OddEvenMode);
    if (!op)
        return;
    BeginTransform();
    for (int i = 0; i < count; ++i) {
        Num(points[i].x());
        Num(points[i].y());
        m_content.append(i == 0 ? "m\n" : "l\n");
    }
    if (!polyline)
        m_content.append("h\n");
    Paint(op);
    EndTransform();
}

void TPdfPaintEngine::drawRects(const QRectF* rects, int count)
{
    const char* op = PrepareFill(true, true, false);
    if (!op)
        return;
    BeginTransform();
    for (int i = 0; i < count; ++i) {
        AppendRect(rects[i]);
        m_content.append('\n');
    }
    Paint(op);
    EndTransform();
}

void TPdfPaintEngine::drawLines(const QLineF* lines, int count)
{
    const char* op = PrepareFill(false, true, false);
    if (!op)
        return;
    BeginTransform();
    for (int i = 0; i < count; ++i) {
        Num(lines[i].x1());
        Num(lines[i].y1());
        m_content.append("m ");
        Num(lines[i].x2());
        Num(lines[i].y2());
        m_content.append("l\n");
    }
    Paint(op);
    EndTransform();
}

void TPdfPaintEngine::drawPixmap(const QRectF& r, const QPixmap& pixmap, const QRectF& sr)
{
    drawImage(r, pixmap.toImage(), sr);
}

void TPdfPaintEngine::UseImage(int object)
{
    if (std::find(m_pageImages.begin(), m_pageImages.end(), object) == m_pageImages.end())
        m_pageImages.push_back(object);
}

void TPdfPaintEngine::drawImage(const QRectF& r, const QImage& image, const QRectF& sr, Qt::ImageConversionFlags)
{
    if (image.isNull() || r.isEmpty())
        return;
    const QRect whole = image.rect();
    const QRect part = sr.toAlignedRect().intersected(whole);
    if (part.isEmpty())
        return;
    int object = 0;
    if (part == whole && !m_jpeg.isEmpty() && image.cacheKey() == m_jpegImage)
        object = m_document.Images().JpegObject(m_jpeg, image);
    if (!object)
        object = m_document.Images().Object(part == whole ? image : image.copy(part));
    if (!object)
        return;
    SyncClip();
    SetAlpha(1.0, 1.0);
    UseImage(object);
    BeginTransform();
    m_content.append("q ");
    Num(r.width());
    m_content.append("0 0 ");
    Num(-r.height());
    Num(r.x());
    Num(r.y() + r.height());
    m_content.append("cm /Im");
    PdfAppendInt(m_content, object);
    m_content.append(" Do Q\n");
    EndTransform();
}

void TPdfPaintEngine::OfferJpeg(qint64 imageKey, const QByteArray& jpeg)
{
    m_jpegImage = imageKey;
    m_jpeg = jpeg;
}

void TPdfPaintEngine::UseFont(TPdfFace* face)
{
    if (std::find(m_pageFonts.begin(), m_pageFonts.end(), face) == m_pageFonts.end())
        m_pageFonts.push_back(face);
}

void TPdfPaintEngine::DrawGlyphs(TPdfFace* face, const TPdfGlyphRun& run, const QPointF& origin, double size)
{
    UseFont(face);
    const double k = size / face->UnitsPerEm();
    m_content.append("BT /").append(face->ResourceName()).append(' ');
    Num(size);
    m_content.append("Tf\n");
    const size_t n = run.glyphs.size();
    bool offsets = false;
    for (size_t i = 0; i < n && !offsets; ++i)
        offsets = run.xOffsets[i] || run.yOffsets[i];
    if (!offsets) {
        m_content.append("1 0 0 -1 ");
        Num(origin.x());
        Num(origin.y());
        m_content.append("Tm ");
        if (run.plain) {
            m_content.append('<');
            for (uint32_t g : run.glyphs)
                PdfAppendHexGlyph(m_content, g);
            m_content.append("> Tj ET\n");
        } else {
            // Advances that differ from the glyphs' widths as adjustments in thousandths of the size.
            const double toText = 1000.0 / face->UnitsPerEm();
            m_content.append('[');
            for (size_t i = 0; i < n; ++i) {
                m_content.append('<').append(PdfHexGlyph(run.glyphs[i])).append('>');
                const int diff = run.advances[i] - face->Advance(run.glyphs[i]);
                if (diff) {
                    PdfAppendNumber(m_content, -diff * toText);
                    m_content.append(' ');
                }
            }
            m_content.append("] TJ ET\n");
        }
        return;
    }
    double x = origin.x();
    for (size_t i = 0; i < n; ++i) {
        m_content.append("1 0 0 -1 ");
        Num(x + run.xOffsets[i] * k);
        Num(origin.y() - run.yOffsets[i] * k);
        m_content.append("Tm <").append(PdfHexGlyph(run.glyphs[i])).append("> Tj\n");
        x += run.advances[i] * k;
    }
    m_content.append("ET\n");
}

void TPdfPaintEngine::DrawPositionedGlyph(TPdfFace* face, uint32_t glyph, const QPointF& at, double size)
{
    UseFont(face);
    m_content.append("BT /").append(face->ResourceName()).append(' ');
    Num(size);
    m_content.append("Tf 1 0 0 -1 ");
    Num(at.x());
    Num(at.y());
    m_content.append("Tm <").append(PdfHexGlyph(glyph)).append("> Tj ET\n");
}

// Text the face cannot draw whole: Qt's own layout picks the fallback faces,
// each run drawn in its face, or as outlines when the face cannot be embedded.
void TPdfPaintEngine::DrawTextFallback(const QPointF& p, const QString& text, const QFont& font)
{
    QTextLayout layout(text, font);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid())
        return;
    const double ascent = line.ascent();
    for (const QGlyphRun& glyphRun : layout.glyphRuns()) {
        const QRawFont raw = glyphRun.rawFont();
        const QList<quint32> glyphs = glyphRun.glyphIndexes();
        const QList<QPointF> positions = glyphRun.positions();
        TPdfFace* face = m_document.Fonts().Face(raw);
        if (face->Embeddable()) {
            // Each glyph maps back to the character of the text it shows.
            for (QChar c : text) {
                const QList<quint32> own = raw.glyphIndexesForString(QString(c));
                if (own.size() == 1 && glyphs.contains(own.front()))
                    face->Use(own.front(), QStringView(&c, 1));
            }
            for (qsizetype i = 0; i < glyphs.size(); ++i) {
                face->Use(glyphs[i], {});
                DrawPositionedGlyph(face, glyphs[i], p + QPointF(positions[i].x(), positions[i].y() - ascent),
                                    raw.pixelSize());
            }
        } else {
            QPainterPath outlines;
            for (qsizetype i = 0; i < glyphs.size(); ++i)
                outlines.addPath(raw.pathForGlyph(glyphs[i]).translated(
                    p + QPointF(positions[i].x(), positions[i].y() - ascent)));
            outlines.setFillRule(Qt::WindingFill);
            AppendPath(outlines);
            m_content.append("f\n");
        }
    }
}

void TPdfPaintEngine::TakePendingState()
{
    // The changes stay marked: QPainter records them when it hands them over,
    // and restores what changed since a save from that record. Taking them
    // again then is harmless (QPainter hands clips over at once, never late).
    if (state && state->state())
        updateState(*state);
}

bool TPdfPaintEngine::DrawTextLine(const QRect& clip, const QPointF& baseline, const QString& text, const QFont& font,
                                   const QColor& color)
{
    if (!isActive())
        return false;
    TakePendingState();
    if (!text.isEmpty())
        DrawText(baseline, text, font, color, &clip);
    return true;
}

// A justified line (rich text) is as wide as its layout made it: the space
// its blanks take is shared among them, as Qt's layout does.
void TPdfPaintEngine::Justify(TPdfFace* face, TPdfGlyphRun& run, const QString& text, double width)
{
    int64_t natural = 0;
    int blanks = 0;
    for (size_t i = 0; i < run.glyphs.size(); ++i) {
        natural += run.advances[i];
        blanks += text[qsizetype(i)] == u' ';
    }
    const double extra = width - double(natural);
    if (blanks == 0 || std::abs(extra) < face->UnitsPerEm() / 50.0)
        return;
    const int32_t share = int32_t(std::lround(extra / blanks));
    for (size_t i = 0; i < run.glyphs.size(); ++i)
        if (text[qsizetype(i)] == u' ') {
            run.advances[i] += share;
            run.plain = false;
        }
}

bool TPdfPaintEngine::FillRect(const QRect& rect, const QColor& color)
{
    if (!isActive())
        return false;
    TakePendingState();
    SyncClip();
    SetAlpha(color.alphaF(), 1.0);
    SetFillColor(color);
    BeginTransform();
    AppendRect(rect);
    m_content.append(" f\n");
    EndTransform();
    return true;
}

void TPdfPaintEngine::drawTextItem(const QPointF& p, const QTextItem& textItem)
{
    const QString text = textItem.text();
    if (!text.isEmpty())
        DrawText(p, text, textItem.font(), m_pen.color(), nullptr, textItem.width());
}

void TPdfPaintEngine::DrawText(const QPointF& baseline, const QString& text, const QFont& font, const QColor& color,
                               const QRect* lineClip, double width)
{
    // The raster devices draw an upright line on a whole pixel's baseline, as
    // a printer does: so does the PDF, which then looks as they do at its resolution.
    QPointF p = baseline;
    if (m_matrix.type() <= QTransform::TxTranslate)
        p.setY(std::round(p.y() + m_matrix.dy()) - m_matrix.dy());
    double size = 0;
    TPdfFace* face = m_document.Fonts().Face(font, size);
    thread_local TPdfGlyphRun run;
    const bool shaped = face->Embeddable() && face->Shape(text, run) && !run.missing;
    if (shaped && width > 0 && run.glyphs.size() == size_t(text.size()))
        Justify(face, run, text, width / size * face->UnitsPerEm());
    // A line's own clip is written only when its glyphs may reach past it
    // (most lines of a report fit their boxes).
    bool clipped = lineClip != nullptr;
    int64_t box[4];
    if (clipped && shaped && face->InkBox(run, box)) {
        const double k = size / face->UnitsPerEm();
        // Anti-aliasing may touch the pixel beside an outline.
        const QRectF ink(QPointF(p.x() + box[0] * k - 1, p.y() - box[3] * k - 1),
                         QPointF(p.x() + box[2] * k + 1, p.y() - box[1] * k + 1));
        clipped = !QRectF(*lineClip).contains(ink);
    }
    if (clipped) {
        // The line's clip joins the painter's for this line only.
        const QRectF rect(*lineClip);
        const bool enabled = m_clipEnabled;
        std::vector<Clip> disabled;
        if (!enabled)
            disabled.swap(m_clips);
        AddClip(QPainterPath(), &rect, Qt::IntersectClip);
        m_clipEnabled = true;
        SyncClip();
        m_clips.pop_back();
        if (!enabled)
            m_clips.swap(disabled);
        m_clipEnabled = enabled;
    } else {
        SyncClip();
    }
    SetAlpha(color.alphaF(), 1.0);
    SetFillColor(color);
    BeginTransform();
    if (shaped)
        DrawGlyphs(face, run, p, size);
    else
        DrawTextFallback(p, text, font);
    EndTransform();
}


TPdfPageDevice::TPdfPageDevice(TPdfDocument& document, int resolution)
    : m_engine(std::make_unique<TPdfPaintEngine>(document)), m_resolution(resolution)
{
    SetPageSize(m_widthTh, m_heightTh);
}

TPdfPageDevice::~TPdfPageDevice() = default;

void TPdfPageDevice::SetPageSize(int widthThousandths, int heightThousandths)
{
    m_widthTh = widthThousandths;
    m_heightTh = heightThousandths;
    m_widthPx = ThousandthsToPixels(m_widthTh, m_resolution);
    m_heightPx = ThousandthsToPixels(m_heightTh, m_resolution);
}

double TPdfPageDevice::WidthPoints() const { return ThousandthsToUnits(m_widthTh, utInches) * 72.0; }

double TPdfPageDevice::HeightPoints() const { return ThousandthsToUnits(m_heightTh, utInches) * 72.0; }

int TPdfPageDevice::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth: return m_widthPx;
    case PdmHeight: return m_heightPx;
    case PdmWidthMM: return m_widthTh / 1000;
    case PdmHeightMM: return m_heightTh / 1000;
    case PdmNumColors: return INT_MAX;
    case PdmDepth: return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY: return m_resolution;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
    }
    return 0;
}

} // namespace orvane
