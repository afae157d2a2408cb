#include "document/printer_canvas.h"

#include "document/printer.h"
#include "platform/spooler.h"

namespace orvane {

TjxPrinterCanvas::TjxPrinterCanvas(TjxCustomPrinter& printer) : m_printer(printer)
{
    m_font.OnChange = [this] { Refresh(); };
}

QPainter* TjxPrinterCanvas::Painter() const
{
    TjxDeviceContext* dc = m_printer.CurrentDC();
    return dc ? dc->Painter() : nullptr;
}

void TjxPrinterCanvas::Refresh()
{
    if (m_refreshing)
        return;
    m_refreshing = true;
    const int resolution = m_printer.PixelsPerInch().y();
    if (resolution != m_font.PixelsPerInch())
        m_font.SetPixelsPerInch(resolution);  // the point size stays
    if (!m_printer.IsColor() && m_font.Color() != clBlack && m_font.Color() != clWhite)
        m_font.SetColor(clBlack);
    m_refreshing = false;
}

} // namespace orvane
