#pragma once

// A paint engine and a page device that write what QPainter draws as PDF
// page content: paths and shapes with their pens and brushes, clipping,
// transforms, opacity, images, and text as real text in embedded fonts.
// Coordinates are the device's pixels at its resolution, top-left origin.

#include "output/pdf/pdf_file.h"
#include "platform/canvas.h"

#include <QBrush>
#include <QByteArray>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPen>
#include <QTransform>
#include <map>
#include <memory>
#include <vector>

namespace orvane {

class TPdfDocument;
class TPdfFace;
struct TPdfGlyphRun;

class TPdfPaintEngine : public QPaintEngine, public TjxDirectDrawing {
public:
    explicit TPdfPaintEngine(TPdfDocument& document);

    bool begin(QPaintDevice* device) override;
    bool end() override;
    void updateState(const QPaintEngineState& state) override;
    void drawPath(const QPainterPath& path) override;
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override;
    void drawRects(const QRectF* rects, int count) override;
    void drawLines(const QLineF* lines, int count) override;
    void drawPixmap(const QRectF& r, const QPixmap& pixmap, const QRectF& sr) override;
    void drawImage(const QRectF& r, const QImage& image, const QRectF& sr,
                   Qt::ImageConversionFlags flags = Qt::AutoColor) override;
    void drawTextItem(const QPointF& p, const QTextItem& textItem) override;
    bool DrawTextLine(const QRect& clip, const QPointF& baseline, const QString& text, const QFont& font,
                      const QColor& color) override;
    bool FillRect(const QRect& rect, const QColor& color) override;
    Type type() const override { return QPaintEngine::User; }

    // JPEG data that decodes to the image with this cache key: drawn whole,
    // that image is written as the data itself. None when `jpeg` is empty.
    void OfferJpeg(qint64 imageKey, const QByteArray& jpeg);

private:
    struct Clip {
        QRectF rect;
        QPainterPath path;
        bool isRect = true;
        bool operator==(const Clip& o) const
        {
            return isRect == o.isRect && (isRect ? rect == o.rect : path == o.path);
        }
    };

    void AddClip(const QPainterPath& path, const QRectF* rect, Qt::ClipOperation op);
    // Takes the painter's state changes not yet handed over (a line of text
    // comes past QPainter, which hands them over only when it draws).
    void TakePendingState();
    // A line of text at its baseline; `lineClip`, when given, is the line's own clip.
    // `width`, when positive, is the width the layout gave the line.
    void DrawText(const QPointF& p, const QString& text, const QFont& font, const QColor& color,
                  const QRect* lineClip, double width = 0);
    void Justify(TPdfFace* face, TPdfGlyphRun& run, const QString& text, double width);
    void SyncClip();
    void ResetEmittedState();
    // Sets the stroke and fill state for a paint; returns the operator that paints.
    const char* PrepareFill(bool fill, bool stroke, bool evenOdd);
    void SetFillColor(const QColor& color);
    void SetStrokeColor(const QColor& color);
    void SetAlpha(double fill, double stroke);
    void BeginTransform();
    void EndTransform();
    void AppendPath(const QPainterPath& path);
    void AppendRect(const QRectF& rect);
    void Paint(const char* op);
    QByteArray PatternName(Qt::BrushStyle style, const QColor& color);
    void DrawGlyphs(TPdfFace* face, const TPdfGlyphRun& run, const QPointF& origin, double size);
    void DrawPositionedGlyph(TPdfFace* face, uint32_t glyph, const QPointF& at, double size);
    void DrawTextFallback(const QPointF& p, const QString& text, const QFont& font);
    void Num(double v);
    void UseFont(TPdfFace* face);
    void UseImage(int object);

    TPdfDocument& m_document;
    double m_pageWidth = 0;   // points
    double m_pageHeight = 0;
    double m_scale = 1;       // points per device pixel
    TPdfContent m_content;

    // Painter state.
    QTransform m_matrix;
    QPen m_pen;
    QBrush m_brush;
    QPointF m_brushOrigin;
    double m_opacity = 1;
    bool m_clipEnabled = false;
    std::vector<Clip> m_clips;

    // What the content stream has set (reset at each Q that ends a clip).
    std::vector<Clip> m_emittedClips;
    bool m_inClip = false;
    QRgb m_fillColor = 0;
    QRgb m_strokeColor = 0;
    bool m_fillSet = false;
    bool m_strokeSet = false;
    double m_lineWidth = -1;
    int m_cap = -1;
    int m_join = -1;
    double m_miter = -1;
    QByteArray m_dash;
    bool m_dashSet = false;
    QByteArray m_alphaName;
    double m_fillAlpha = 1;    // what m_alphaName sets
    double m_strokeAlpha = 1;
    bool m_transformed = false;

    qint64 m_jpegImage = 0;
    QByteArray m_jpeg;

    // Resources of the current page.
    std::vector<TPdfFace*> m_pageFonts;
    std::vector<int> m_pageImages;
    std::map<QByteArray, int> m_pageStates;
    std::map<QByteArray, int> m_pagePatterns;
    // Written once per document.
    std::map<QByteArray, int> m_states;
    std::map<QByteArray, int> m_patterns;
};

// One page at a time: its size is set before a painter begins on it, and the
// page goes to the document when the painter ends.
class TPdfPageDevice : public QPaintDevice {
public:
    TPdfPageDevice(TPdfDocument& document, int resolution);
    ~TPdfPageDevice() override;
    // The page in thousandths of a millimetre.
    void SetPageSize(int widthThousandths, int heightThousandths);
    int Resolution() const { return m_resolution; }
    double WidthPoints() const;
    double HeightPoints() const;
    QPaintEngine* paintEngine() const override { return m_engine.get(); }

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    std::unique_ptr<TPdfPaintEngine> m_engine;
    int m_resolution;
    int m_widthTh = 210000;
    int m_heightTh = 297000;
    int m_widthPx = 0;
    int m_heightPx = 0;
};

} // namespace orvane
