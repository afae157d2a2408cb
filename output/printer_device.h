#pragma once

// Turns the requested pages into one print job on its own printer: every
// page with its own paper, orientation and bin, its commands placed from the
// paper's corner (the canvas starts at the printable area), copies collated
// by printing the whole report again or uncollated page by page.

#include "output/device.h"

#include <algorithm>
#include <memory>

namespace orvane {

class TjxCanvas;
class TjxPrinter;
class TjxPrinterSetup;

class TjxPrinterDevice : public TjxRasterDevice {
    ORVANE_CLASS(TjxPrinterDevice, TjxRasterDevice)
public:
    explicit TjxPrinterDevice(TComponent* owner = nullptr);
    ~TjxPrinterDevice() override;

    static QString ClassDeviceName() { return QStringLiteral("Printer"); }
    QString DeviceName() const override { return ClassDeviceName(); }

    // The device's own printer; the producer gives it the report's setup.
    TjxPrinter* Printer() const { return m_printer.get(); }
    void SetPrinterSetup(const TjxPrinterSetup& setup);
    // Raises what keeps the printer from printing: the screen was named, no
    // printer has the name, there is no default printer or no printer at all,
    // or the printer cannot be opened.
    void RequireUsablePrinter();

    // Collated copies still to print, the current one included.
    int CopiesLeft() const { return m_copiesLeft; }
    // How the running job makes its copies, as its setup said when it started.
    bool Collated() const { return m_collated; }
    int JobCopies() const { return m_jobCopies; }
    // Every page printed this many times, whatever its own setup says (a job
    // split off another one makes that one's copies); 0: as the page says.
    void SetPageCopies(int value) { m_pageCopies = std::max(0, value); }
    bool FirstPageOfJob() const { return m_firstPageOfJob; }
    // Where the paper's top-left corner lies on the canvas, in printer pixels.
    int OffsetX() const { return m_offsetX; }
    int OffsetY() const { return m_offsetY; }

    // Called after a page started and after it ended on the printer.
    TjxReceivePageEvent StartPageHandler;
    TjxReceivePageEvent EndPageHandler;

    void StartJob() override;
    void ReceivePage(TjxPage* page) override;
    void EndJob() override;
    // Drops the document: what a cancelled or failed run printed so far never
    // reaches the paper.
    void Cancel() override;
    bool DrawCommand(TjxDrawCommand* command) override;

    // True once the last collated copy is through; otherwise counts one copy
    // off and asks the publisher for the pages again.
    virtual bool CopiesDone();

    // The status line for a page (none: before the first page).
    QString PageStatus(const TjxPage* page) const;

private:
    void StartPrinterPage(TjxPage* page);
    void EndPrinterPage(TjxPage* page);
    // Draws the page's commands on the open printer page through one canvas.
    void DrawOnPrinter(TjxPage* page);
    void ShowStatus(const TjxPage* page);
    bool ReportCompleted(const TjxPage* page) const;
    void CloseDocument(bool print);

    std::unique_ptr<TjxPrinter> m_printer;
    int m_copiesLeft = 1;
    bool m_firstPageOfJob = true;
    int m_offsetX = 0;
    int m_offsetY = 0;
    // Taken from the device's setup when the job starts: pages bring their
    // own setups, which must not change how the job makes its copies.
    bool m_collated = false;
    int m_jobCopies = 1;
    int m_pageCopies = 0;
    QString m_requestedPrinter;  // as the setup named it, before any fallback
    TjxCanvas* m_canvas = nullptr;  // while a page's commands are drawn
};

} // namespace orvane
