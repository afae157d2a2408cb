#pragma once

// A drawing surface in device pixels over QPainter (on a QImage, a QPdfWriter
// or a QPrinter) with the operations the page renderers need. Coordinates are
// integer pixels; right and bottom edges are exclusive, as for device
// rectangles, and a line's end point is not drawn.

#include "document/graphic_objects.h"

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>
#include <memory>
#include <vector>

class QPaintDevice;

namespace orvane {

class TTextMeasurer;
struct TRealisedFont;

// A paint engine that takes the commonest drawing straight from the canvas:
// whole lines of plain text with their clip, which QPainter would lay out
// first (the PDF writer shapes text on its own), and filled rectangles, which
// QPainter would draw by changing its pen and brush twice. False: draw it as usual.
class TjxDirectDrawing {
public:
    virtual ~TjxDirectDrawing() = default;
    virtual bool DrawTextLine(const QRect& clip, const QPointF& baseline, const QString& text, const QFont& font,
                              const QColor& color) = 0;
    virtual bool FillRect(const QRect& rect, const QColor& color) = 0;
};

// Copy modes of images: plain copy, or AND with what is already there.
enum TjxCopyMode : uint8_t { cmSrcCopy, cmSrcAnd };

// The faces the screen draws with in place of old raster fonts.
QString DeviceSubstitution(const QString& faceName);

class TjxCanvas {
public:
    // Paints on `device` until destroyed; the painter is begun here. The
    // resolution is the device's own logical resolution.
    explicit TjxCanvas(QPaintDevice* device);
    // Paints with a painter someone else began (a printer's page, a widget).
    TjxCanvas(QPainter* painter, int dpiX, int dpiY);
    ~TjxCanvas();
    TjxCanvas(const TjxCanvas&) = delete;
    TjxCanvas& operator=(const TjxCanvas&) = delete;

    bool IsActive() const;
    int DpiX() const { return m_dpiX; }
    int DpiY() const { return m_dpiY; }
    QPainter& Painter() { return *m_painter; }

    // The screen at a zoom: thicknesses, pen widths, corner radii, tab stops
    // and fonts follow the zoom factors (shown size over paper size in screen
    // pixels), and every face is substituted. Other canvases have factors of 1.
    void SetScreenZoom(double zoomX, double zoomY);
    bool IsScreen() const { return m_screen; }
    double ZoomX() const { return m_zoomX; }
    double ZoomY() const { return m_zoomY; }

    // Thousandths of a millimetre to pixels of this device.
    int ThousandthsToPixelsX(int th) const;
    int ThousandthsToPixelsY(int th) const;
    // A length in thousandths as pixels at the zoom: converted, then scaled.
    int ScaledPixelsX(int th) const;
    int ScaledPixelsY(int th) const;
    // A weight in points as whole pixels (halves to even, at least 1): the
    // printer uses each axis's resolution, the screen its resolution times
    // the horizontal zoom for both.
    int ThicknessX(double points) const;
    int ThicknessY(double points) const;
    // A rectangle in thousandths to device pixels: each edge converted on its own.
    QRect ThousandthsToPixels(int left, int top, int width, int height) const;

    // Drawing state.
    void SetPen(TColor color, TPenStyle style, int width);
    void SetPen(const TPen& pen) { SetPen(pen.Color(), pen.Style(), pen.Width()); }
    int PenWidth() const { return m_penWidth; }
    void SetBrush(TColor color, TBrushStyle style);
    void SetBrush(const TBrush& brush) { SetBrush(brush.Color(), brush.Style()); }
    TBrushStyle BrushStyle() const { return m_brushStyle; }
    // The font at this device's resolution, its face substituted when asked.
    // On the screen the height is the font's height in screen pixels times
    // the vertical zoom, rounded (-1 when that gives 0).
    void SetFont(const TFont& font, bool substitute = false);
    // The font's height in pixels as realised; negative: a character height.
    int FontHeight() const { return m_fontHeight; }
    // Realises the current font at another height in pixels (screen fitting).
    void SetFontHeight(int height);
    // The resolution the current font's size is realised at, for measuring:
    // the device's, or 72 for a font set by its height in pixels.
    int FontDpi() const { return m_fontDpi; }
    // A printer without colour prints coloured text black rather than in a
    // pale raster.
    void SetMonochromeText(bool value) { m_monochromeText = value; }
    const TFont& Font() const { return m_font; }
    // Measuring goes through the measurer so that layout and drawing agree.
    void SetMeasurer(const TTextMeasurer* measurer);
    const TTextMeasurer& Measurer() const { return *m_measurer; }

    // Shapes. The outline is drawn inside the rectangle; the inside is filled
    // with the brush unless it is clear.
    void Rectangle(int left, int top, int right, int bottom);
    void FillRect(const QRect& rect, TColor color);
    void RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
    void Ellipse(int left, int top, int right, int bottom);
    void Line(int x1, int y1, int x2, int y2);
    void Polyline(const std::vector<QPoint>& points);

    // Text: the top of the character cell is at y.
    double TextWidth(const QString& text) const;
    double TextHeight() const;
    // The font's external leading in pixels.
    double ExternalLeading() const;
    // One line turned `angle` degrees counter-clockwise about (x, y), the top-left of its cell.
    void RotatedText(int x, int y, int angle, const QString& text);
    // Draws text clipped to `clip`.
    void TextRect(const QRect& clip, int x, int y, const QString& text);
    // Draws text with `extra` pixels shared by the blanks after the first
    // `leadingSpaces` characters (`breaks` of them), clipped to `clip`.
    void JustifiedTextRect(const QRect& clip, int x, int y, const QString& text, int leadingSpaces, int breaks,
                           double extra);
    // Draws text with its tabs expanded to `tabStops` (pixels from `tabOrigin`):
    // none means a stop every eight average characters, one a stop at every
    // multiple of it; a tab past the last stop moves nothing.
    void TabbedText(int x, int y, const QString& text, const std::vector<int>& tabStops, int tabOrigin);
    double TabbedTextWidth(const QString& text, const std::vector<int>& tabStops) const;

    // An image stretched to the rectangle.
    void StretchDraw(const QRect& rect, const QImage& image, TjxCopyMode mode = cmSrcCopy);
    // The image with its white pixels fully transparent.
    static QImage WhiteLeftOut(const QImage& image);
    // Clipping that the caller restores.
    void SaveState();
    void RestoreState();
    void IntersectClip(const QRect& rect);

private:
    void ApplyPen();
    void ApplyBrush();
    double TabAdvance(double position, const std::vector<int>& tabStops) const;

    std::unique_ptr<QPainter> m_ownPainter;
    QPainter* m_painter = nullptr;
    TjxDirectDrawing* m_direct = nullptr;
    // The current font as realised at m_fontDpi, the one the painter draws with.
    std::shared_ptr<TRealisedFont> m_realised;
    int m_dpiX = 96;
    int m_dpiY = 96;
    TColor m_penColor = clBlack;
    TPenStyle m_penStyle = psSolid;
    int m_penWidth = 1;
    TColor m_brushColor = clWhite;
    TBrushStyle m_brushStyle = bsSolid;
    TFont m_font;
    int m_fontHeight = 0;
    int m_fontDpi = 96;
    bool m_monochromeText = false;
    bool m_screen = false;
    double m_zoomX = 1;
    double m_zoomY = 1;
    const TTextMeasurer* m_measurer = nullptr;
};

// A colour of the graphic objects as Qt's; system colours take the usual
// light theme's values.
QColor ToQColor(TColor color);
// The inverse for plain colours.
TColor FromQColor(const QColor& color);

} // namespace orvane
