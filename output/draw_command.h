#pragma once

// What devices see of a report: draw commands with absolute positions on the
// paper in thousandths of a millimetre, collected on pages.

#include "components/printable.h"
#include "document/data_type.h"
#include "document/relative.h"

#include <QRect>
#include <functional>
#include <memory>

namespace orvane {

class TjxBand;
class TjxCanvas;
class TjxDrawCommand;
class TjxPage;

// The click handler a producing component sets: its OnDrawCommandClick runs.
using TjxDrawCommandClickEvent = std::function<void(TjxDrawCommand* command)>;

// The command's rectangle in device pixels, in the order devices fill it.
struct TjxDeviceRect {
    int left = 0, right = 0, top = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const TjxDeviceRect&) const = default;
};

class TjxDrawCommand : public TjxRelative {
    ORVANE_CLASS(TjxDrawCommand, TjxRelative)
public:
    explicit TjxDrawCommand(TComponent* owner = nullptr);
    ~TjxDrawCommand() override;

    // Published.
    TjxBorder* Border() const { return m_border.get(); }
    void SetBorder(TjxBorder* value) { if (value) m_border->Assign(value); }
    bool Clickable() const { return m_clickable; }
    void SetClickable(bool value) { m_clickable = value; }
    TjxDataType DataType() const { return m_dataType; }
    void SetDataType(TjxDataType value) { m_dataType = value; }
    int Left() const { return m_left; }
    void SetLeft(int value) { m_left = value; }
    int Height() const { return m_height; }
    void SetHeight(int value) { m_height = value; }
    int Top() const { return m_top; }
    void SetTop(int value) { m_top = value; }
    int Width() const { return m_width; }
    void SetWidth(int value) { m_width = value; }
    void SetBounds(int left, int top, int width, int height)
    {
        m_left = left;
        m_top = top;
        m_width = width;
        m_height = height;
    }

    // Run time.
    TjxBand* Band() const { return m_band; }
    void SetBand(TjxBand* value) { m_band = value; }
    const TjxDeviceRect& DeviceRect() const { return m_drawRect; }
    void SetDeviceRect(const TjxDeviceRect& value) { m_drawRect = value; }
    // The device rectangle as left, top, right, bottom.
    QRect DrawRect() const;
    void SetDrawRect(const QRect& rect);
    // Fills the device rectangle from Left, Top, Width and Height at the canvas's resolution.
    void CalcDrawRect(const TjxCanvas& canvas);
    const QString& ExpansionKey() const { return m_expansionKey; }
    void SetExpansionKey(const QString& value) { m_expansionKey = value; }
    const TjxDrawCommandClickEvent& ClickHandler() const { return m_clickHandler; }
    void SetClickHandler(TjxDrawCommandClickEvent value) { m_clickHandler = std::move(value); }
    TjxPage* Page() const { return m_page; }
    // Moves the command from its page to `page` (none: detached).
    void SetPage(TjxPage* page);
    bool RedrawPage() const { return m_redrawPage; }
    void SetRedrawPage(bool value) { m_redrawPage = value; }

    // Renders the command on a raster canvas from its DrawRect; false when
    // this class is not drawn by the device.
    virtual bool Draw(TjxCanvas& canvas);
    virtual bool IsSameAs(const TjxDrawCommand* other) const;
    // Whether the text depends on values known only after the page was made.
    virtual bool IsUpdateable() const { return false; }
    // Recomputes the text from the page; true when it should be redrawn.
    virtual bool RefreshText() { return false; }

    void Assign(const TPersistent* source) override;

protected:
    friend class TjxPage;
    void DetachFromPage() { m_page = nullptr; }

    // Border lines on the device rectangle; the thickness is Weight in device
    // pixels (at least 1), drawn as thickness + 1 lines per side.
    static void DrawBorder(TjxCanvas& canvas, const TjxBorder& border, const TjxDeviceRect& rect);

private:
    std::unique_ptr<TjxBorder> m_border;
    bool m_clickable = false;
    TjxDataType m_dataType = dtString;
    int m_left = 0;
    int m_height = 0;
    int m_top = 0;
    int m_width = 0;

    TjxBand* m_band = nullptr;
    TjxDeviceRect m_drawRect;
    QString m_expansionKey;
    TjxDrawCommandClickEvent m_clickHandler;
    TjxPage* m_page = nullptr;
    bool m_redrawPage = false;
};

// Device pixels per point on an axis of the canvas, and a weight in points
// as whole device pixels (halves to even, at least 1).
double DeviceUnitsPerPoint(int dpi);
int PointsToDevicePixels(double points, int dpi);

} // namespace orvane
