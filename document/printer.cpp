#include "document/printer.h"

#include <thread>

#include "document/errors.h"
#include "document/paper.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/printer_list.h"

namespace orvane {

namespace {

const QString kScreen = QStringLiteral("Screen");

bool IsScreen(const TjxPrinterInfo* info)
{
    return dynamic_cast<const TjxScreenPrinterInfo*>(info) != nullptr;
}

} // namespace

TjxCustomPrinter::TjxCustomPrinter() : m_printerName(kDefaultName) {}

TjxCustomPrinter::~TjxCustomPrinter()
{
    std::lock_guard guard(m_lock);
    m_printing = false;
    Release();
}

QString TjxCustomPrinter::PrinterName() const
{
    std::lock_guard guard(m_lock);
    return m_info ? m_info->Name() : m_printerName;
}

void TjxCustomPrinter::SetPrinterName(const QString& name)
{
    std::lock_guard guard(m_lock);
    if (m_printing)
        return;
    TjxPrinterList& list = PrinterList();
    if (name.compare(kDefaultName, Qt::CaseInsensitive) == 0)
        list.RefreshDefaultPrinter();
    TjxPrinterInfo* entry = list.Find(name);
    if (!entry || !entry->IsValid())
        entry = list.Find(kScreen);
    if (entry == m_info)
        return;
    Release();
    m_printerName = entry->Name();
    m_info = entry;
}

QString TjxCustomPrinter::PrinterDescription() const
{
    std::lock_guard guard(m_lock);
    return m_printerName == kDefaultName ? PrinterList().DefaultPrinterName() : m_printerName;
}

TjxPrinterInfo* TjxCustomPrinter::PrinterInfo() const
{
    std::lock_guard guard(m_lock);
    return PrinterList().Find(m_printerName);
}

const TjxPrinterCapabilities* TjxCustomPrinter::Capabilities() const
{
    TjxPrinterInfo* info = PrinterInfo();
    return info ? &info->GetCapabilities() : nullptr;
}

int TjxCustomPrinter::PrinterHandle()
{
    if (m_handle || !m_info || IsScreen(m_info) || !m_info->Spooler())
        return m_handle;
    m_handleSpooler = m_info->Spooler();
    m_handle = m_handleSpooler->OpenPrinter(m_info->Device());
    return m_handle;
}

TjxDevMode* TjxCustomPrinter::SettingsRecord()
{
    if (!m_devMode && !m_devModeAsked) {
        m_devModeAsked = true;
        if (const int handle = PrinterHandle()) {
            m_devMode = m_handleSpooler->DocumentProperties(handle);
            if (m_devMode)
                m_defaultSource = m_devMode->defaultSource;
        }
    }
    return m_devMode ? &*m_devMode : nullptr;
}

std::optional<TjxDevMode> TjxCustomPrinter::DevMode()
{
    std::lock_guard guard(m_lock);
    if (!m_info)
        SetPrinterName(m_printerName);
    const TjxDevMode* record = SettingsRecord();
    return record ? std::optional<TjxDevMode>(*record) : std::nullopt;
}

void TjxCustomPrinter::SetDevMode(const TjxDevMode& settings)
{
    std::lock_guard guard(m_lock);
    if (m_printing)
        m_resetPending = true;
    else
        DropDC();
    m_devMode = settings;
    m_devModeAsked = true;
}

TjxDeviceContext* TjxCustomPrinter::CurrentDC() const
{
    std::lock_guard guard(m_lock);
    return m_dc.get();
}

TjxDeviceContext* TjxCustomPrinter::DC()
{
    std::lock_guard guard(m_lock);
    if (m_dc)
        return m_dc.get();
    TjxPrinterInfo* entry = PrinterList().Find(m_printerName);
    if (entry && entry->IsValid()) {
        if (m_info != entry) {
            // The name was set but not yet selected (a new printer is "Default").
            Release();
            m_info = entry;
        }
        if (IsScreen(entry)) {
            if (m_printing)
                throw EPrintError(GetMessage(msg::ScreenPrinterCannotPrint));
            m_dc = entry->Spooler()->ScreenDC();
        } else {
            const TjxDevMode* settings = SettingsRecord();
            m_dc = m_printing ? entry->Spooler()->CreateDC(entry->Device(), settings)
                              : entry->Spooler()->CreateIC(entry->Device(), settings);
            if (!m_dc) {
                entry->SetIsValid(false);
                if (!m_printing && m_printerName != kScreen) {
                    SetPrinterName(kScreen);
                    return DC();
                }
            }
        }
    }
    if (m_dc) {
        Measure();
        Canvas()->Refresh();
    }
    return m_dc.get();
}

TjxPrinterCanvas* TjxCustomPrinter::Canvas()
{
    std::lock_guard guard(m_lock);
    if (!m_canvas)
        m_canvas = std::make_unique<TjxPrinterCanvas>(*this);
    return m_canvas.get();
}

void TjxCustomPrinter::Measure()
{
    const TjxDeviceCaps caps = m_dc->Caps();
    m_resolution = QPoint(caps.logPixelsX, caps.logPixelsY);
    m_physicalSize = QSize(caps.physicalWidth, caps.physicalHeight);
    m_printableSize = QSize(caps.horzRes, caps.vertRes);
    m_offsets = QMargins(caps.physicalOffsetX, caps.physicalOffsetY,
                         caps.physicalWidth - caps.physicalOffsetX - caps.horzRes,
                         caps.physicalHeight - caps.physicalOffsetY - caps.vertRes);
    m_isColor = !(caps.sizePalette == 2 && caps.numColors == 2);
}

void TjxCustomPrinter::DropDC()
{
    m_dc.reset();
}

QPoint TjxCustomPrinter::PixelsPerInch()
{
    std::lock_guard guard(m_lock);
    if (!DC())
        return QPoint(kScreenPixelsPerInch, kScreenPixelsPerInch);
    return m_resolution;
}

QMargins TjxCustomPrinter::PageOffsets()
{
    std::lock_guard guard(m_lock);
    DC();
    return m_offsets;
}

QSize TjxCustomPrinter::PhysicalSize()
{
    std::lock_guard guard(m_lock);
    DC();
    return m_physicalSize;
}

QSize TjxCustomPrinter::PrintableSize()
{
    std::lock_guard guard(m_lock);
    DC();
    return m_printableSize;
}

bool TjxCustomPrinter::IsColor()
{
    std::lock_guard guard(m_lock);
    DC();
    return m_isColor;
}

QString TjxCustomPrinter::DocumentName() const
{
    std::lock_guard guard(m_lock);
    return m_documentName;
}

void TjxCustomPrinter::SetDocumentName(const QString& name)
{
    std::lock_guard guard(m_lock);
    m_documentName = name;
}

QString TjxCustomPrinter::OutputName() const
{
    std::lock_guard guard(m_lock);
    return m_outputName;
}

void TjxCustomPrinter::SetOutputName(const QString& name)
{
    std::lock_guard guard(m_lock);
    m_outputName = name;
}

bool TjxCustomPrinter::Printing() const
{
    std::lock_guard guard(m_lock);
    return m_printing;
}

bool TjxCustomPrinter::PageOpen() const
{
    std::lock_guard guard(m_lock);
    return m_pageOpen;
}

int TjxCustomPrinter::PageCount() const
{
    std::lock_guard guard(m_lock);
    return m_pageCount;
}

void TjxCustomPrinter::BeginDoc()
{
    std::lock_guard guard(m_lock);
    if (m_printing)
        return;
    m_printing = true;
    m_pageCount = 0;
    m_pageOpen = false;
    // An information context is replaced by a device context.
    DropDC();
    // A document that did not start leaves the printer idle: no printing
    // state, no device context that a later EndDoc would close.
    const auto abandon = [this] {
        m_printing = false;
        m_pageOpen = false;
        m_resetPending = false;
        DropDC();
    };
    try {
        ResetDC();
        if (!m_dc || !m_dc->StartDoc(m_documentName, m_outputName))
            abandon();
    } catch (...) {
        abandon();
        throw;
    }
}

void TjxCustomPrinter::NewPage()
{
    std::lock_guard guard(m_lock);
    if (!m_printing || m_pageOpen)
        return;
    m_pageOpen = true;
    if (m_resetPending)
        ResetDC();
    if (TjxDeviceContext* dc = DC())
        dc->StartPage();
    ++m_pageCount;
    Canvas()->Refresh();
}

void TjxCustomPrinter::EndPage()
{
    std::lock_guard guard(m_lock);
    if (!m_printing || !m_pageOpen)
        return;
    m_pageOpen = false;
    if (m_dc)
        m_dc->EndPage();
}

void TjxCustomPrinter::EndDoc()
{
    std::lock_guard guard(m_lock);
    if (!m_printing)
        return;
    EndPage();
    const bool handedOn = !m_dc || m_dc->EndDoc();
    DropDC();
    m_printing = false;
    m_pageOpen = false;
    m_pageCount = 0;
    // The queue or the output file did not take the document.
    if (!handedOn)
        throw EPrintError(MessageText(msg::PrinterRefusedDocument, {PrinterName()}));
}

void TjxCustomPrinter::Abort()
{
    std::lock_guard guard(m_lock);
    if (!m_printing)
        return;
    m_pageOpen = false;
    if (m_dc)
        m_dc->AbortDoc();
    DropDC();
    m_printing = false;
    m_pageCount = 0;
}

void TjxCustomPrinter::ResetDC()
{
    std::lock_guard guard(m_lock);
    if (!m_printing)
        return;
    m_resetPending = false;
    Canvas()->Refresh();
    if (TjxDeviceContext* dc = DC()) {
        dc->Reset(SettingsRecord());
        Measure();
        Canvas()->Refresh();
    }
}

bool TjxCustomPrinter::ShowProperties()
{
    std::lock_guard guard(m_lock);
    std::optional<TjxDevMode> copy = DevMode();
    if (!copy || !PrinterHandle())
        return false;
    if (!m_handleSpooler->EditDocumentProperties(m_handle, *copy))
        return false;
    SetDevMode(*copy);
    return true;
}

void TjxCustomPrinter::RegisterCustomForm(const QString& name, const QSize& size, const QRect& imageableArea)
{
    std::lock_guard guard(m_lock);
    const int handle = PrinterHandle();
    if (!handle)
        return;
    TjxPaperForm existing;
    const TjxPaperForm wanted{name, size, imageableArea};
    if (m_handleSpooler->GetForm(handle, name, existing)) {
        if (existing.size != size || existing.imageableArea != imageableArea)
            m_handleSpooler->SetForm(handle, wanted);
    } else {
        m_handleSpooler->AddForm(handle, wanted);
    }
}

void TjxCustomPrinter::Release()
{
    std::lock_guard guard(m_lock);
    if (m_printing)
        return;
    DropDC();
    m_devMode.reset();
    m_devModeAsked = false;
    if (m_handle)
        m_handleSpooler->ClosePrinter(m_handle);
    m_handle = 0;
    m_handleSpooler.reset();
}

TjxPrinter::TjxPrinter() : m_setup(std::make_unique<TjxPrinterSetup>(nullptr, &Lock()))
{
    m_setup->OnPageDefChange = [this](TjxPrinterSetup*) { ApplySetup(); };
    m_setup->OnChange = [this](TjxPrinterSetup*) { ApplySetup(); };
    m_setup->OnGetPrinter = [this](TjxPrinterSetup*, TjxCustomPrinter*& printer) { printer = this; };
}

TjxPrinter::~TjxPrinter() = default;

void TjxPrinter::SetPrinterSetup(const TjxPrinterSetup& setup)
{
    std::lock_guard guard(Lock());
    // Runs for every printed page: a setup that did not change costs only this comparison.
    const TjxPrinterInfo* entry = SelectedEntry();
    if (entry && entry->Name() == setup.PrinterDescription() && m_setup->Equals(setup))
        return;
    if (!Printing() && m_setup->PrinterName() != setup.PrinterName())
        m_setup->SetPrinterName(setup.PrinterName());
    m_setup->SetHooksEnabled(false);
    m_setup->Assign(&setup);
    ApplySetup();
    m_setup->SetHooksEnabled(true);
}

void TjxPrinter::ApplySetup()
{
    std::lock_guard guard(Lock());
    struct Hooks {
        TjxPrinterSetup& s;
        explicit Hooks(TjxPrinterSetup& s) : s(s) { s.SetHooksEnabled(false); }
        ~Hooks() { s.SetHooksEnabled(true); }
    } hooksOff(*m_setup);

    SetPrinterName(m_setup->PrinterName());
    SetDocumentName(m_setup->DocumentName());
    std::optional<TjxDevMode> record = DevMode();
    if (!record)
        return;

    const QString paperName = m_setup->PaperName();
    const bool landscape = m_setup->Orientation() == poLandscape;
    if (paperName == kCustomPaperName) {
        // The form is the page in portrait sense.
        const TjxPageDef* page = m_setup->PageDef();
        QSize size(page->mmWidth(), page->mmHeight());
        if (landscape)
            size.transpose();
        RegisterCustomForm(paperName, size, QRect(QPoint(0, 0), size));
        record->formName = paperName;
    }
    // The resolution is the driver's choice, not the setup's: it stays.
    record->fields = (record->fields & (dmfPrintQuality | dmfYResolution)) | dmfOrientation | dmfPaperSize |
                     dmfCopies | dmfDuplex;
    record->copies = 1;  // the printer device makes the copies
    record->duplex = int(m_setup->Duplex()) + 1;
    record->orientation = int(m_setup->Orientation()) + 1;
    record->paperSize = m_setup->PaperNumber();
    if (paperName == kCustomPaperName || record->paperSize == kPaperUser) {
        record->fields |= dmfPaperLength | dmfPaperWidth;
        const QSize tenths = PaperSizeTenths();
        record->paperWidth = tenths.width();
        record->paperLength = tenths.height();
    }
    if (const TjxPrinterCapabilities* caps = Capabilities()) {
        const QString bin = m_setup->BinName();
        const int i = int(caps->BinNames.indexOf(bin));
        if (i >= 0 && i < caps->BinNumbers.size()) {
            record->defaultSource = bin == kDefaultName ? DriverDefaultSource() : caps->BinNumbers[i].toInt();
            record->fields |= dmfDefaultSource;
        }
    }
    SetDevMode(*record);
}

TjxPrinterSetup* TjxPrinter::PrinterSetup()
{
    std::lock_guard guard(Lock());
    struct Hooks {
        TjxPrinterSetup& s;
        explicit Hooks(TjxPrinterSetup& s) : s(s) { s.SetHooksEnabled(false); }
        ~Hooks() { s.SetHooksEnabled(true); }
    } hooksOff(*m_setup);

    const std::optional<TjxDevMode> record = DevMode();
    if (!record)
        return m_setup.get();
    if (PrinterName() != m_setup->PrinterName())
        m_setup->SetPrinterName(PrinterName());
    if ((record->fields & dmfDuplex) && record->duplex >= 1 && record->duplex <= 3)
        m_setup->SetDuplex(TjxDuplexType(record->duplex - 1));
    if ((record->fields & dmfOrientation) && record->orientation >= 1 && record->orientation <= 2)
        m_setup->SetOrientation(TPrinterOrientation(record->orientation - 1));
    const bool landscape = m_setup->Orientation() == poLandscape;
    const TjxUnitType units = m_setup->Units();
    const auto setSize = [&](int widthTenths, int lengthTenths) {
        if (landscape)
            std::swap(widthTenths, lengthTenths);
        m_setup->SetPaperWidth(TenthsToUnits(widthTenths, units, axHorizontal, this));
        m_setup->SetPaperHeight(TenthsToUnits(lengthTenths, units, axVertical, this));
    };
    if (record->fields & dmfPaperSize) {
        const QString name = m_setup->PaperNameOfNumber(record->paperSize);
        if (!name.isEmpty()) {
            m_setup->SetPaperName(name);
            int w = record->paperWidth, h = record->paperLength;
            if (landscape)
                std::swap(w, h);
            float width = TenthsToUnits(w, units, axHorizontal, this);
            float height = TenthsToUnits(h, units, axVertical, this);
            m_setup->LookupPaperSize(name, width, height);
            m_setup->SetPaperWidth(width);
            m_setup->SetPaperHeight(height);
        }
        if (record->paperSize == kPaperUser)
            setSize(record->paperWidth, record->paperLength);
    }
    if (record->fields & dmfDefaultSource) {
        if (record->defaultSource == DriverDefaultSource()) {
            m_setup->SetBinName(kDefaultName);
        } else if (const TjxPrinterCapabilities* caps = Capabilities()) {
            const int i = int(caps->BinNumbers.indexOf(QString::number(record->defaultSource)));
            if (i >= 0 && i < caps->BinNames.size())
                m_setup->SetBinName(caps->BinNames[i]);
        }
    }
    return m_setup.get();
}

QSize TjxPrinter::PaperSizeTenths()
{
    std::lock_guard guard(Lock());
    const TjxUnitType units = m_setup->Units();
    const float width = m_setup->PaperWidth();
    const float height = m_setup->PaperHeight();
    if (m_setup->Orientation() == poPortrait)
        return QSize(UnitsToTenths(width, units, axHorizontal, this), UnitsToTenths(height, units, axVertical, this));
    return QSize(UnitsToTenths(height, units, axHorizontal, this), UnitsToTenths(width, units, axVertical, this));
}

namespace {

struct SharedPrinterState {
    std::unique_ptr<TjxPrinter> printer;
    const TjxPrinterList* list = nullptr;  // the list it was made for
    std::vector<std::unique_ptr<TjxPrinter>> retired;
};

SharedPrinterState& Shared()
{
    static SharedPrinterState state;
    return state;
}

} // namespace

TjxPrinter* SharedPrinter()
{
    std::lock_guard guard(PrinterCreationLock());
    SharedPrinterState& s = Shared();
    const TjxPrinterList& list = PrinterList();
    if (s.list != &list) {
        // Another spooler: the old printer may still be referenced, so it is kept.
        if (s.printer)
            s.retired.push_back(std::move(s.printer));
        s.list = &list;
        if (list.Count() > 2)
            s.printer = std::make_unique<TjxPrinter>();
    }
    return s.printer.get();
}

namespace {
const std::thread::id g_mainThread = std::this_thread::get_id();
}

std::atomic<int>& ReportWorkerCount()
{
    static std::atomic<int> count{0};
    return count;
}

bool IsMainThread()
{
    return std::this_thread::get_id() == g_mainThread;
}

bool MayUseApplicationWideObjects()
{
    return IsMainThread() || ReportWorkerCount().load() > 0;
}

} // namespace orvane
