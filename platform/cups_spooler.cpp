#include "platform/cups_spooler.h"

#include "platform/file_io.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSet>
#include <QTemporaryFile>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <cups/cups.h>

namespace orvane {

namespace {

struct DestDeleter {
    void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};

struct InfoDeleter {
    void operator()(cups_dinfo_t* info) const { cupsFreeDestInfo(info); }
};

int BinNumber(const QString& source, int index)
{
    // The platform's own numbers where a source has one; driver numbers after 256.
    if (source == u"auto")
        return kBinAutomatic;
    if (source == u"manual")
        return 4;
    if (source == u"main" || source == u"top")
        return 1;
    if (source == u"bottom")
        return 2;
    if (source == u"middle")
        return 3;
    if (source == u"envelope")
        return 5;
    return kPaperUser + 1 + index;
}

int PixelsOf(int hundredthsOfMillimetre, int resolution)
{
    return int(std::lround(double(hundredthsOfMillimetre) * resolution / 2540.0));
}

// Paper, orientation and margins that a settings record selects on a printer.
struct Layout {
    int width = 0;   // hundredths of a millimetre, oriented
    int length = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
    bool landscape = false;
    int duplex = 1;
    int copies = 1;
    int bin = 0;  // 0: the printer's own choice
    int resolutionX = 0, resolutionY = 0;  // the driver's default
};

Layout LayoutOf(const TjxCupsSpooler::Driver& driver, const TjxDevMode* settings)
{
    Layout layout;
    const TjxCupsSpooler::Paper* paper =
        driver.defaultPaper >= 0 ? &driver.papers[driver.defaultPaper] : nullptr;
    int width = paper ? paper->width : 21000;
    int length = paper ? paper->length : 29700;
    int left = paper ? paper->left : 0, bottom = paper ? paper->bottom : 0;
    int right = paper ? paper->right : 0, top = paper ? paper->top : 0;
    bool landscape = driver.defaultOrientation == 2;
    if (settings) {
        if (settings->fields & dmfPaperSize) {
            if (settings->paperSize == kPaperUser && settings->paperWidth > 0 && settings->paperLength > 0) {
                width = settings->paperWidth * 10;
                length = settings->paperLength * 10;
                left = bottom = right = top = 0;
            } else {
                for (const auto& p : driver.papers)
                    if (p.number == settings->paperSize) {
                        width = p.width, length = p.length;
                        left = p.left, bottom = p.bottom, right = p.right, top = p.top;
                        break;
                    }
            }
        }
        if (settings->fields & dmfOrientation)
            landscape = settings->orientation == 2;
        if (settings->fields & dmfDuplex)
            layout.duplex = settings->duplex;
        if (settings->fields & dmfCopies)
            layout.copies = std::max(1, settings->copies);
        if (settings->fields & dmfDefaultSource)
            layout.bin = settings->defaultSource;
        if ((settings->fields & dmfPrintQuality) && settings->printQuality > 0) {
            const int x = settings->printQuality;
            const int y = (settings->fields & dmfYResolution) && settings->yResolution > 0 ? settings->yResolution : x;
            // Only what the queue offers: another value would print at one
            // resolution and be measured at another.
            if (driver.resolutions.isEmpty() || driver.resolutions.contains(QSize(x, y)))
                layout.resolutionX = x, layout.resolutionY = y;
        }
    }
    layout.landscape = landscape;
    if (landscape) {
        // The paper turns a quarter to the left: its left edge becomes the bottom.
        layout.width = length, layout.length = width;
        layout.left = top, layout.top = right, layout.right = bottom, layout.bottom = left;
    } else {
        layout.width = width, layout.length = length;
        layout.left = left, layout.top = top, layout.right = right, layout.bottom = bottom;
    }
    return layout;
}

class TCupsDeviceContext : public TjxDeviceContext {
public:
    TCupsDeviceContext(QString device, std::shared_ptr<const TjxCupsSpooler::Driver> driver, const TjxDevMode* settings,
                       bool printing)
        : m_device(std::move(device)), m_driver(std::move(driver)), m_printing(printing)
    {
        m_layout = LayoutOf(*m_driver, settings);
    }

    ~TCupsDeviceContext() override { AbortDoc(); }

    TjxDeviceCaps Caps() const override
    {
        TjxDeviceCaps caps;
        const int rx = ResolutionX(), ry = ResolutionY();
        caps.logPixelsX = rx;
        caps.logPixelsY = ry;
        caps.physicalWidth = PixelsOf(m_layout.width, rx);
        caps.physicalHeight = PixelsOf(m_layout.length, ry);
        caps.physicalOffsetX = PixelsOf(m_layout.left, rx);
        caps.physicalOffsetY = PixelsOf(m_layout.top, ry);
        caps.horzRes = caps.physicalWidth - caps.physicalOffsetX - PixelsOf(m_layout.right, rx);
        caps.vertRes = caps.physicalHeight - caps.physicalOffsetY - PixelsOf(m_layout.bottom, ry);
        if (!m_driver->color) {
            caps.sizePalette = 2;
            caps.numColors = 2;
        }
        return caps;
    }

    bool Reset(const TjxDevMode* settings) override
    {
        m_layout = LayoutOf(*m_driver, settings);
        if (m_printer)
            ApplyLayout();
        return true;
    }

    // The document is drawn into a PDF file of its own: a file next to the
    // output file, renamed over it when the document ends, or a temporary
    // file handed to the queue when it ends. An aborted document leaves nothing.
    bool StartDoc(const QString& documentName, const QString& outputName) override
    {
        if (!m_printing || m_printer)
            return false;
        // An output file goes only where a save may go; the reason is the caller's to show.
        if (!outputName.isEmpty())
            CheckSaveTarget(outputName);
        const QString pattern = outputName.isEmpty()
                                    ? QDir::temp().filePath(QStringLiteral("orvane-job-XXXXXX.pdf"))
                                    : SaveFolder(outputName) + QStringLiteral("/.orvane-XXXXXX.part");
        m_spool = std::make_unique<QTemporaryFile>(pattern);
        if (!m_spool->open()) {
            m_spool.reset();
            return false;
        }
        m_spool->close();
        m_outputName = outputName;
        m_documentName = documentName;
        m_failed = false;
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(m_spool->fileName());
        m_printer->setDocName(documentName);
        m_printer->setCreator(QStringLiteral("Orvane"));
        m_printer->setResolution(ResolutionY());
        ApplyLayout();
        return true;
    }

    bool StartPage() override
    {
        if (!m_printer)
            return false;
        bool started = false;
        if (!m_painter.isActive()) {
            // The queue takes one paper source and one way of using the
            // sheets for the whole job: the first page's.
            m_jobBin = m_layout.bin;
            m_jobDuplex = m_layout.duplex;
            m_jobMedia = MediaOf(m_layout);
            m_jobResolution = ResolutionX() != m_driver->resolutionX || ResolutionY() != m_driver->resolutionY
                                  ? ResolutionText(ResolutionX(), ResolutionY())
                                  : QByteArray();
            started = m_painter.begin(m_printer.get());
        } else {
            started = m_printer->newPage();
        }
        // A page that could not start makes the document fail at its end.
        m_failed = m_failed || !started;
        return started;
    }

    bool EndPage() override { return m_printer && m_painter.isActive(); }

    bool EndDoc() override
    {
        if (!m_printer)
            return false;
        // A document without pages is no job: nothing goes to the queue or the file.
        if (!m_painter.isActive())
            return AbortDoc() && !m_failed;
        bool ok = m_painter.end() && !m_failed;
        m_printer.reset();
        const QString spool = m_spool->fileName();
        if (ok && !m_outputName.isEmpty()) {
            // Readable as any new file of the user's (the spool file was private).
            ok = MoveFileOver(spool, m_outputName, nullptr);
            if (ok)
                m_spool->setAutoRemove(false);
        } else if (ok) {
            ok = Submit(spool);
        }
        m_spool.reset();
        return ok;
    }

    bool AbortDoc() override
    {
        if (!m_printer)
            return false;
        if (m_painter.isActive())
            m_painter.end();
        m_printer.reset();
        m_spool.reset();
        return true;
    }

    QPainter* Painter() override { return m_painter.isActive() ? &m_painter : nullptr; }

private:
    int ResolutionX() const { return m_layout.resolutionX > 0 ? m_layout.resolutionX : m_driver->resolutionX; }
    int ResolutionY() const { return m_layout.resolutionY > 0 ? m_layout.resolutionY : m_driver->resolutionY; }
    static QByteArray ResolutionText(int x, int y)
    {
        return x == y ? QByteArray::number(x) + "dpi" : QByteArray::number(x) + 'x' + QByteArray::number(y) + "dpi";
    }

    void ApplyLayout()
    {
        // The page size in portrait sense; the layout's orientation turns it.
        const bool landscape = m_layout.landscape;
        const QSizeF portrait = landscape ? QSizeF(m_layout.length, m_layout.width) / 100.0
                                          : QSizeF(m_layout.width, m_layout.length) / 100.0;
        const QMarginsF margins(m_layout.left / 100.0, m_layout.top / 100.0, m_layout.right / 100.0,
                                m_layout.bottom / 100.0);
        m_printer->setFullPage(false);
        m_printer->setPageLayout(QPageLayout(QPageSize(portrait, QPageSize::Millimeter),
                                             landscape ? QPageLayout::Landscape : QPageLayout::Portrait, margins,
                                             QPageLayout::Millimeter));
        // Sides and copies go to the queue with the job (Submit).
    }

    QString m_device;
    std::shared_ptr<const TjxCupsSpooler::Driver> m_driver;
    bool m_printing;
    Layout m_layout;
    bool Submit(const QString& file) const
    {
        cups_option_t* options = nullptr;
        int count = 0;
        const char* sides = m_jobDuplex == 2   ? "two-sided-short-edge"
                            : m_jobDuplex == 3 ? "two-sided-long-edge"
                                               : "one-sided";
        count = cupsAddOption("sides", sides, count, &options);
        if (m_layout.copies > 1)
            count = cupsAddOption("copies", QByteArray::number(m_layout.copies).constData(), count, &options);
        // The paper goes with the job too: a queue would otherwise fit the
        // pages onto its own default paper.
        if (!m_jobMedia.isEmpty())
            count = cupsAddOption("media", m_jobMedia.constData(), count, &options);
        // The queue renders at its own default unless told otherwise.
        if (!m_jobResolution.isEmpty())
            count = cupsAddOption("printer-resolution", m_jobResolution.constData(), count, &options);
        if (const qsizetype bin = m_driver->binNumbers.indexOf(m_jobBin); bin >= 0 && m_jobBin != m_driver->defaultBin)
            count = cupsAddOption("media-source", m_driver->binNames[bin].toUtf8().constData(), count, &options);
        const int job = cupsPrintFile(m_device.toUtf8().constData(), QFile::encodeName(file).constData(),
                                      m_documentName.toUtf8().constData(), count, options);
        cupsFreeOptions(count, options);
        return job > 0;
    }

    std::unique_ptr<QPrinter> m_printer;
    QPainter m_painter;
    std::unique_ptr<QTemporaryFile> m_spool;
    QString m_outputName;
    QString m_documentName;
    int m_jobBin = 0;
    int m_jobDuplex = 1;
    QByteArray m_jobMedia;
    QByteArray m_jobResolution;

    // The queue's name for the layout's paper, empty for its default paper.
    QByteArray MediaOf(const Layout& layout) const
    {
        const int width = layout.landscape ? layout.length : layout.width;
        const int length = layout.landscape ? layout.width : layout.length;
        if (m_driver->defaultPaper >= 0) {
            const TjxCupsSpooler::Paper& standard = m_driver->papers[m_driver->defaultPaper];
            if (std::abs(standard.width - width) <= 50 && std::abs(standard.length - length) <= 50)
                return {};
        }
        const QPageSize size(QSizeF(width / 100.0, length / 100.0), QPageSize::Millimeter);
        return size.isValid() ? size.key().toUtf8() : QByteArray();
    }
    bool m_failed = false;
};

// A paper the platform has no number for gets one from its size's key: the
// same paper has the same number on every printer and in every run, so a
// stored layout finds it again. Above 1000, clear of the platform's numbers.
int SyntheticPaperNumber(const QString& key, const QSet<int>& taken)
{
    uint32_t hash = 2166136261u;  // FNV-1a
    for (const char c : key.toUtf8()) {
        hash ^= uint8_t(c);
        hash *= 16777619u;
    }
    constexpr int kFirst = 1001, kRange = 64000;
    int number = kFirst + int(hash % kRange);
    while (taken.contains(number))
        number = number + 1 < kFirst + kRange ? number + 1 : kFirst;
    return number;
}

std::shared_ptr<TjxCupsSpooler::Driver> QueryDriver(const QString& device)
{
    auto driver = std::make_shared<TjxCupsSpooler::Driver>();
    const QPrinterInfo printer = device.isEmpty() ? QPrinterInfo() : QPrinterInfo::printerInfo(device);
    if (printer.isNull())
        return driver;
    driver->exists = true;

    // Papers as Qt's print support reads them from the queue.
    QSet<int> numbers;
    const QPageSize defaultSize = printer.defaultPageSize();
    for (const QPageSize& size : printer.supportedPageSizes()) {
        if (!size.isValid())
            continue;
        const QSizeF mm = size.size(QPageSize::Millimeter);
        TjxCupsSpooler::Paper paper;
        paper.name = size.name();
        paper.width = int(std::lround(mm.width() * 100));
        paper.length = int(std::lround(mm.height() * 100));
        int number = size.windowsId();
        if (number <= 0 || number == kPaperUser || numbers.contains(number))
            number = SyntheticPaperNumber(size.key(), numbers);
        numbers.insert(number);
        paper.number = number;
        if (driver->defaultPaper < 0 && defaultSize.isValid() && size.isEquivalentTo(defaultSize))
            driver->defaultPaper = int(driver->papers.size());
        driver->papers.append(paper);
    }
    if (driver->defaultPaper < 0 && !driver->papers.isEmpty())
        driver->defaultPaper = 0;
    const QList<QPrinter::ColorMode> colorModes = printer.supportedColorModes();
    driver->color = colorModes.isEmpty() || colorModes.contains(QPrinter::Color);
    switch (printer.defaultDuplexMode()) {
    case QPrinter::DuplexLongSide: driver->defaultDuplex = 3; break;
    case QPrinter::DuplexShortSide: driver->defaultDuplex = 2; break;
    default: driver->defaultDuplex = 1; break;
    }
    const QList<int> resolutions = printer.supportedResolutions();
    if (!resolutions.isEmpty())
        driver->resolutionX = driver->resolutionY = *std::max_element(resolutions.begin(), resolutions.end());
    for (const int r : resolutions)
        driver->resolutions.append(QSize(r, r));

    // What Qt does not tell: unprintable margins, paper sources, the copy
    // limit and the default resolution, from the scheduler where it has the queue.
    const QByteArray name = device.toUtf8();
    std::unique_ptr<cups_dest_t, DestDeleter> dest(cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr));
    if (!dest)
        return driver;
    std::unique_ptr<cups_dinfo_t, InfoDeleter> info(cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest.get()));
    if (!info)
        return driver;
    const int mediaCount = cupsGetDestMediaCount(CUPS_HTTP_DEFAULT, dest.get(), info.get(), CUPS_MEDIA_FLAGS_DEFAULT);
    for (int i = 0; i < mediaCount; ++i) {
        cups_size_t size;
        if (!cupsGetDestMediaByIndex(CUPS_HTTP_DEFAULT, dest.get(), info.get(), i, CUPS_MEDIA_FLAGS_DEFAULT, &size))
            continue;
        for (TjxCupsSpooler::Paper& paper : driver->papers)
            if (std::abs(paper.width - size.width) <= 100 && std::abs(paper.length - size.length) <= 100) {
                paper.left = size.left, paper.bottom = size.bottom, paper.right = size.right, paper.top = size.top;
            }
    }

    if (ipp_attribute_t* a = cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest.get(), info.get(), "media-source"))
        for (int i = 0; i < ippGetCount(a); ++i) {
            const QString source = QString::fromUtf8(ippGetString(a, i, nullptr));
            driver->binNames.append(source);
            driver->binNumbers.append(BinNumber(source, i));
        }
    if (ipp_attribute_t* a = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest.get(), info.get(), "media-source")) {
        const int i = driver->binNames.indexOf(QString::fromUtf8(ippGetString(a, 0, nullptr)));
        if (i >= 0)
            driver->defaultBin = driver->binNumbers[i];
    }
    if (ipp_attribute_t* a = cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest.get(), info.get(), "copies")) {
        int upper = 1;
        if (ippGetValueTag(a) == IPP_TAG_RANGE)
            ippGetRange(a, 0, &upper);
        else
            upper = ippGetInteger(a, 0);
        driver->maxCopies = std::max(1, upper);
    }
    const auto dotsPerInch = [](ipp_attribute_t* a, int i) {
        ipp_res_t units = IPP_RES_PER_INCH;
        int y = 0;
        const int x = ippGetResolution(a, i, &y, &units);
        if (units == IPP_RES_PER_CM)
            return QSize(int(std::lround(x * 2.54)), int(std::lround(y * 2.54)));
        return QSize(x, y);
    };
    // The queue's own list: it names the choices a job may ask for.
    if (ipp_attribute_t* a = cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest.get(), info.get(), "printer-resolution");
        a && ippGetValueTag(a) == IPP_TAG_RESOLUTION) {
        QList<QSize> offered;
        for (int i = 0; i < ippGetCount(a); ++i)
            if (const QSize r = dotsPerInch(a, i); r.width() > 0 && r.height() > 0 && !offered.contains(r))
                offered.append(r);
        if (!offered.isEmpty())
            driver->resolutions = offered;
    }
    if (ipp_attribute_t* a = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest.get(), info.get(), "printer-resolution")) {
        const QSize r = dotsPerInch(a, 0);
        const int rx = r.width(), ry = r.height();
        if (rx > 0 && ry > 0 && (driver->resolutions.isEmpty() || driver->resolutions.contains(r))) {
            driver->resolutionX = rx;
            driver->resolutionY = ry;
        }
    }
    if (ipp_attribute_t* a = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest.get(), info.get(), "orientation-requested"))
        driver->defaultOrientation = ippGetInteger(a, 0) == IPP_ORIENT_LANDSCAPE ? 2 : 1;
    return driver;
}

} // namespace

TjxCupsSpooler::TjxCupsSpooler() = default;
TjxCupsSpooler::~TjxCupsSpooler() = default;

QList<TjxSpoolerPrinter> TjxCupsSpooler::EnumPrinters()
{
    QList<TjxSpoolerPrinter> printers;
    for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) {
        if (info.printerName().contains(u'/'))
            continue;  // an instance is a set of options on a queue, not a printer
        // The queue's printer-location is what the user knows as "where".
        printers.append({info.printerName(), info.isRemote() ? kPrinterNetwork : kPrinterLocal, info.location()});
    }
    return printers;
}

QString TjxCupsSpooler::DefaultPrinter()
{
    return QPrinterInfo::defaultPrinterName().section(u'/', 0, 0);
}

std::shared_ptr<const TjxCupsSpooler::Driver> TjxCupsSpooler::DriverOf(const QString& device)
{
    {
        std::lock_guard guard(m_lock);
        if (auto it = m_drivers.constFind(device); it != m_drivers.cend())
            return *it;
    }
    // Asked outside the lock: the scheduler may take its time.
    std::shared_ptr<const Driver> driver = QueryDriver(device);
    std::lock_guard guard(m_lock);
    return *m_drivers.insert(device, driver);
}

QString TjxCupsSpooler::DeviceOfHandle(int handle)
{
    std::lock_guard guard(m_lock);
    return m_handles.value(handle);
}

TjxDriverCapabilities TjxCupsSpooler::DeviceCapabilities(const QString& device)
{
    const auto driver = DriverOf(device);
    TjxDriverCapabilities caps;
    for (const Paper& p : driver->papers) {
        caps.paperNames.append(p.name);
        caps.paperNumbers.append(p.number);
        caps.paperSizes.append(QSize(int(std::lround(p.width / 10.0)), int(std::lround(p.length / 10.0))));
    }
    caps.binNames = driver->binNames;
    caps.binNumbers = driver->binNumbers;
    caps.maxCopies = driver->exists ? driver->maxCopies : 0;
    caps.resolutions = driver->resolutions;
    return caps;
}

int TjxCupsSpooler::OpenPrinter(const QString& device)
{
    if (!DriverOf(device)->exists)
        return 0;
    std::lock_guard guard(m_lock);
    const int handle = m_nextHandle++;
    m_handles.insert(handle, device);
    return handle;
}

void TjxCupsSpooler::ClosePrinter(int handle)
{
    std::lock_guard guard(m_lock);
    m_handles.remove(handle);
}

std::optional<TjxDevMode> TjxCupsSpooler::DocumentProperties(int handle)
{
    const QString device = DeviceOfHandle(handle);
    if (device.isEmpty())
        return std::nullopt;
    const auto driver = DriverOf(device);
    TjxDevMode mode;
    mode.fields = dmfOrientation | dmfPaperSize | dmfCopies | dmfDuplex;
    mode.orientation = driver->defaultOrientation;
    if (driver->defaultPaper >= 0) {
        const Paper& p = driver->papers[driver->defaultPaper];
        mode.paperSize = p.number;
        mode.paperWidth = int(std::lround(p.width / 10.0));
        mode.paperLength = int(std::lround(p.length / 10.0));
    }
    mode.copies = 1;
    mode.duplex = driver->defaultDuplex;
    mode.fields |= dmfPrintQuality | dmfYResolution;
    mode.printQuality = driver->resolutionX;
    mode.yResolution = driver->resolutionY;
    if (!driver->binNumbers.isEmpty()) {
        mode.fields |= dmfDefaultSource;
        mode.defaultSource = driver->defaultBin ? driver->defaultBin : driver->binNumbers.first();
    }
    return mode;
}

bool TjxCupsSpooler::EditDocumentProperties(int, TjxDevMode&)
{
    // The driver's dialog is a window; the core has none (the print dialog
    // of the user-interface library edits the settings instead).
    return false;
}

// CUPS keeps no table of named forms: a user-defined size travels with each
// job as the paper width and length of the settings record. So there is
// never a form to find, and storing one has nothing to do.
bool TjxCupsSpooler::GetForm(int, const QString&, TjxPaperForm&)
{
    return false;
}

bool TjxCupsSpooler::SetForm(int, const TjxPaperForm&)
{
    return true;
}

bool TjxCupsSpooler::AddForm(int, const TjxPaperForm&)
{
    return true;
}

std::unique_ptr<TjxDeviceContext> TjxCupsSpooler::CreateDC(const QString& device, const TjxDevMode* settings)
{
    auto driver = DriverOf(device);
    if (!driver->exists)
        return nullptr;
    return std::make_unique<TCupsDeviceContext>(device, std::move(driver), settings, true);
}

std::unique_ptr<TjxDeviceContext> TjxCupsSpooler::CreateIC(const QString& device, const TjxDevMode* settings)
{
    auto driver = DriverOf(device);
    if (!driver->exists)
        return nullptr;
    return std::make_unique<TCupsDeviceContext>(device, std::move(driver), settings, false);
}

} // namespace orvane
