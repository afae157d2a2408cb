#pragma once

#include "document/graphic_objects.h"

class QPainter;

namespace orvane {

class TjxCustomPrinter;

// The canvas of a printer: paints on the printer's device context while a
// page is open, with a font kept at the printer's resolution, and on a printer
// without colour with text in black.
class TjxPrinterCanvas {
public:
    explicit TjxPrinterCanvas(TjxCustomPrinter& printer);
    TjxPrinterCanvas(const TjxPrinterCanvas&) = delete;
    TjxPrinterCanvas& operator=(const TjxPrinterCanvas&) = delete;

    TjxCustomPrinter& Printer() const { return m_printer; }
    TFont& Font() { return m_font; }
    // The painter of the open page; none while no page is open.
    QPainter* Painter() const;
    // Brings the tools to the printer: called before painting starts and
    // whenever the font changes.
    void Refresh();

private:
    TjxCustomPrinter& m_printer;
    TFont m_font;
    bool m_refreshing = false;
};

} // namespace orvane
