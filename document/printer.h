#pragma once

// The printer object: selects a printer of the printer list, keeps its
// settings record and device context, measures the device and brackets
// documents and pages. TjxPrinter adds its own printer setup and translates it
// into the settings record.

#include "document/printer_canvas.h"
#include "document/printer_setup.h"
#include "platform/spooler.h"

#include <atomic>

#include <QMargins>
#include <QPoint>
#include <QSize>

namespace orvane {

class TjxPrinterInfo;
struct TjxPrinterCapabilities;

class TjxCustomPrinter {
public:
    TjxCustomPrinter();
    virtual ~TjxCustomPrinter();
    TjxCustomPrinter(const TjxCustomPrinter&) = delete;
    TjxCustomPrinter& operator=(const TjxCustomPrinter&) = delete;

    // Selecting a printer: an unknown or unusable name selects "Screen";
    // ignored while printing.
    QString PrinterName() const;
    void SetPrinterName(const QString& name);
    QString PrinterDescription() const;
    TjxPrinterInfo* PrinterInfo() const;
    const TjxPrinterCapabilities* Capabilities() const;

    // The device context, created on demand: an information context outside
    // printing, a device context while printing; none when not even the
    // screen's could be had.
    TjxDeviceContext* DC();
    // The context as it is, without creating one.
    TjxDeviceContext* CurrentDC() const;
    TjxPrinterCanvas* Canvas();

    // Measured on the device (the screen's resolution without a context).
    QPoint PixelsPerInch();
    // Unprintable margins in printer pixels: left, top, right, bottom.
    QMargins PageOffsets();
    QSize PhysicalSize();
    QSize PrintableSize();
    bool IsColor();

    QString DocumentName() const;
    void SetDocumentName(const QString& name);
    // A file the document goes to instead of the printer; empty: the printer.
    QString OutputName() const;
    void SetOutputName(const QString& name);

    void BeginDoc();
    void NewPage();
    void EndPage();
    void EndDoc();
    // Ends the document without printing it (a cancelled or failed job).
    void Abort();
    void ResetDC();
    bool Printing() const;
    bool PageOpen() const;
    int PageCount() const;

    // A copy of the settings record; none when the driver gives none.
    std::optional<TjxDevMode> DevMode();
    void SetDevMode(const TjxDevMode& settings);
    // The driver's own settings dialog; true when confirmed.
    bool ShowProperties();
    // Makes a named paper size known to the printer (size and area in thousandths).
    void RegisterCustomForm(const QString& name, const QSize& size, const QRect& imageableArea);
    // Gives back device context, settings record and printer handle (not while printing).
    void Release();

    std::recursive_mutex& Lock() const { return m_lock; }

protected:
    // The entry selected last; none before the first selection.
    TjxPrinterInfo* SelectedEntry() const { return m_info; }
    // The driver's default paper source, from its settings record.
    int DriverDefaultSource() const { return m_defaultSource; }

private:
    TjxDevMode* SettingsRecord();
    int PrinterHandle();
    void Measure();
    void DropDC();

    mutable std::recursive_mutex m_lock;
    bool m_isColor = true;
    std::unique_ptr<TjxPrinterCanvas> m_canvas;
    std::unique_ptr<TjxDeviceContext> m_dc;
    TjxPrinterInfo* m_info = nullptr;
    int m_defaultSource = 0;
    QString m_documentName;
    QString m_outputName;
    int m_pageCount = 0;
    bool m_printing = false;
    // The spooler the handle was opened on: a printer may outlive its list.
    std::shared_ptr<TjxSpooler> m_handleSpooler;
    int m_handle = 0;
    QString m_printerName;
    bool m_resetPending = false;
    bool m_pageOpen = false;
    std::optional<TjxDevMode> m_devMode;
    bool m_devModeAsked = false;
    QMargins m_offsets;
    QPoint m_resolution;
    QSize m_physicalSize;
    QSize m_printableSize;
};

class TjxPrinter : public TjxCustomPrinter {
public:
    TjxPrinter();
    ~TjxPrinter() override;

    // Takes over a setup (when it differs from the one the printer has) and
    // gives it to the driver's settings record.
    void SetPrinterSetup(const TjxPrinterSetup& setup);
    // The printer's own setup, first updated from the settings record.
    TjxPrinterSetup* PrinterSetup();
    // The paper's width and length in tenths of a millimetre, portrait sense.
    QSize PaperSizeTenths();

private:
    void ApplySetup();

    std::unique_ptr<TjxPrinterSetup> m_setup;
};

// The printer every report shares; none while no real printer is installed.
TjxPrinter* SharedPrinter();

// Reports printing on worker threads just now (raised and lowered by each
// background job around its run); read by any thread.
std::atomic<int>& ReportWorkerCount();
// True on the program's main thread, and on any thread while a worker prints.
bool MayUseApplicationWideObjects();
// The thread that loaded the library: the user-interface thread.
bool IsMainThread();

} // namespace orvane
