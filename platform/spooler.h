#pragma once

// The print spooler as the printer layer sees it: the printers, the default
// printer, each driver's capabilities and settings record, named forms, and
// device contexts with their document and page brackets. CUPS provides it
// (cups_spooler.h); a scriptable test platform (test_spooler.h) stands in for
// it in tests.

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

class QPainter;

namespace orvane {

// Field bits of the settings record: which of its values the driver is to use.
enum TjxDevModeField : uint32_t {
    dmfOrientation = 0x00000001,
    dmfPaperSize = 0x00000002,
    dmfPaperLength = 0x00000004,
    dmfPaperWidth = 0x00000008,
    dmfCopies = 0x00000100,
    dmfDefaultSource = 0x00000200,
    dmfPrintQuality = 0x00000400,  // horizontal resolution
    dmfDuplex = 0x00001000,
    dmfYResolution = 0x00002000,
    dmfFormName = 0x00010000,
};

// Paper number of a user-defined size, and bin number of the automatic choice.
inline constexpr int kPaperUser = 256;
inline constexpr int kBinAutomatic = 7;

// The settings record (device mode) of a driver: a value, copied freely.
struct TjxDevMode {
    uint32_t fields = 0;
    int orientation = 1;     // 1 portrait, 2 landscape
    int paperSize = 0;       // paper number
    int paperLength = 0;     // tenths of a millimetre, for a user-defined size
    int paperWidth = 0;
    int copies = 1;
    int defaultSource = 0;   // bin number
    int duplex = 1;          // 1 none, 2 horizontal, 3 vertical
    QString formName;
    int printQuality = 0;    // resolution in dots per inch, across
    int yResolution = 0;     // and down

    bool operator==(const TjxDevMode&) const = default;
};

// One printer as the platform enumerates it.
struct TjxSpoolerPrinter {
    QString name;
    uint32_t attributes = 0;  // kPrinterNetwork alone: a printer reached over the network
    QString port;             // where the printer is (a queue's location); may be empty
};
inline constexpr uint32_t kPrinterLocal = 0x40;
inline constexpr uint32_t kPrinterNetwork = 0x10;

// A driver's answers. Sizes are in tenths of a millimetre, width then height.
// A list the driver could not give is empty.
struct TjxDriverCapabilities {
    QStringList paperNames;
    QList<int> paperNumbers;
    QList<QSize> paperSizes;
    QStringList binNames;
    QList<int> binNumbers;
    int maxCopies = 0;
    QList<QSize> resolutions;  // dots per inch, across and down
};

// What a device context measures, in device pixels and pixels per inch.
struct TjxDeviceCaps {
    int logPixelsX = 0;
    int logPixelsY = 0;
    int physicalWidth = 0;
    int physicalHeight = 0;
    int horzRes = 0;
    int vertRes = 0;
    int physicalOffsetX = 0;
    int physicalOffsetY = 0;
    int sizePalette = 0;
    int numColors = -1;  // -1: more colours than a palette holds
};

// A named paper size of a printer, in thousandths of a millimetre.
struct TjxPaperForm {
    QString name;
    QSize size;
    QRect imageableArea;

    bool operator==(const TjxPaperForm&) const = default;
};

// A device context (printing) or an information context (measuring only).
class TjxDeviceContext {
public:
    virtual ~TjxDeviceContext() = default;
    virtual TjxDeviceCaps Caps() const = 0;
    // Takes new settings (between pages while printing); false when refused.
    virtual bool Reset(const TjxDevMode* settings) = 0;
    // Document and page brackets; an information context refuses them. A
    // non-empty output name sends the document to that file instead of the printer.
    virtual bool StartDoc(const QString& documentName, const QString& outputName) = 0;
    virtual bool StartPage() = 0;
    virtual bool EndPage() = 0;
    virtual bool EndDoc() = 0;
    // Drops the document: nothing of it reaches the printer.
    virtual bool AbortDoc() = 0;
    // What the open page is painted with, in device pixels from the printable
    // area's top-left corner; none while no page is open.
    virtual QPainter* Painter() = 0;
};

class TjxSpooler {
public:
    virtual ~TjxSpooler() = default;

    virtual QList<TjxSpoolerPrinter> EnumPrinters() = 0;
    // The device name of the system's default printer; empty when there is none.
    virtual QString DefaultPrinter() = 0;
    virtual TjxDriverCapabilities DeviceCapabilities(const QString& device) = 0;

    // A handle for the driver's settings; 0 when the printer cannot be opened.
    virtual int OpenPrinter(const QString& device) = 0;
    virtual void ClosePrinter(int handle) = 0;
    // The driver's current settings; none when it gives none.
    virtual std::optional<TjxDevMode> DocumentProperties(int handle) = 0;
    // The driver's own settings dialog on the record; false when cancelled or unavailable.
    virtual bool EditDocumentProperties(int handle, TjxDevMode& settings) = 0;

    virtual bool GetForm(int handle, const QString& name, TjxPaperForm& form) = 0;
    virtual bool SetForm(int handle, const TjxPaperForm& form) = 0;
    virtual bool AddForm(int handle, const TjxPaperForm& form) = 0;

    // A printing context, or an information context that only measures; none when refused.
    virtual std::unique_ptr<TjxDeviceContext> CreateDC(const QString& device, const TjxDevMode* settings) = 0;
    virtual std::unique_ptr<TjxDeviceContext> CreateIC(const QString& device, const TjxDevMode* settings) = 0;
    // The screen's context: its logical resolution and size; it cannot print.
    virtual std::unique_ptr<TjxDeviceContext> ScreenDC();
};

// The screen context every spooler hands out: 96 pixels per inch.
std::unique_ptr<TjxDeviceContext> MakeScreenDeviceContext();

// The spooler in force for the process: CUPS unless another was installed.
std::shared_ptr<TjxSpooler> Spooler();
// Installs a spooler (the test platform, say); null brings back the CUPS one.
// The printer list and the shared printer are rebuilt on it when next used.
void SetSpooler(std::shared_ptr<TjxSpooler> spooler);

} // namespace orvane
