#include "document/printer_list.h"

#include "platform/spooler.h"

namespace orvane {

TjxPrinterInfo::TjxPrinterInfo(std::shared_ptr<TjxSpooler> spooler, const QString& name, bool isLocal,
                               const QString& port, const QString& device, const QString& driver)
    : m_spooler(std::move(spooler)), m_driver(driver), m_device(device), m_port(port), m_name(name),
      m_localPrinter(isLocal)
{
}

TjxPrinterInfo::~TjxPrinterInfo() = default;

const TjxPrinterCapabilities& TjxPrinterInfo::GetCapabilities()
{
    std::lock_guard guard(m_lock);
    if (!m_capabilities)
        m_capabilities = std::make_unique<TjxPrinterCapabilities>(GatherCapabilities());
    return *m_capabilities;
}

TjxPrinterCapabilities TjxPrinterInfo::GatherCapabilities()
{
    TjxPrinterCapabilities caps;
    caps.PrinterName = m_name;
    if (m_spooler) {
        const TjxDriverCapabilities driver = m_spooler->DeviceCapabilities(m_device);
        caps.PaperNames = driver.paperNames;
        for (int n : driver.paperNumbers)
            caps.PaperNumbers.append(QString::number(n));
        for (const QSize& s : driver.paperSizes) {
            caps.PaperWidths.append(QString::number(s.width()));
            caps.PaperHeights.append(QString::number(s.height()));
        }
        caps.BinNames = driver.binNames;
        for (int n : driver.binNumbers)
            caps.BinNumbers.append(QString::number(n));
        caps.MultipleCopies = driver.maxCopies > 2;
    }
    NormalizePapers(caps);
    NormalizeBins(caps);
    return caps;
}

TjxScreenPrinterInfo::TjxScreenPrinterInfo(std::shared_ptr<TjxSpooler> spooler)
    : TjxPrinterInfo(std::move(spooler), QStringLiteral("Screen"), true, QString(), QStringLiteral("Screen"), QString())
{
}

TjxPrinterCapabilities TjxScreenPrinterInfo::GatherCapabilities()
{
    return ScreenCapabilities();
}

TjxPrinterList::TjxPrinterList(std::shared_ptr<TjxSpooler> spooler) : m_spooler(std::move(spooler))
{
    Build();
}

TjxPrinterList::~TjxPrinterList() = default;

void TjxPrinterList::Build()
{
    std::lock_guard guard(m_lock);
    m_entries.clear();
    m_entries.push_back(std::make_unique<TjxPrinterInfo>(m_spooler, QStringLiteral("Default"), true, QString(),
                                                         QString(), QString()));
    m_entries.push_back(std::make_unique<TjxScreenPrinterInfo>(m_spooler));
    // Local and connected printers alike, each named and addressed by its name.
    for (const TjxSpoolerPrinter& p : m_spooler->EnumPrinters())
        m_entries.push_back(std::make_unique<TjxPrinterInfo>(m_spooler, p.name, p.attributes != kPrinterNetwork,
                                                             p.port, p.name, QString()));
    RefreshDefaultPrinter();
}

int TjxPrinterList::Count() const
{
    std::lock_guard guard(m_lock);
    return int(m_entries.size());
}

QStringList TjxPrinterList::Names() const
{
    std::lock_guard guard(m_lock);
    QStringList names;
    for (const auto& e : m_entries)
        names.append(e->Name());
    return names;
}

TjxPrinterInfo* TjxPrinterList::Info(int index) const
{
    std::lock_guard guard(m_lock);
    return index >= 0 && index < int(m_entries.size()) ? m_entries[size_t(index)].get() : nullptr;
}

QString TjxPrinterList::DefaultPrinterName() const
{
    std::lock_guard guard(m_lock);
    return m_defaultPrinterName;
}

void TjxPrinterList::RefreshDefaultPrinter()
{
    std::lock_guard guard(m_lock);
    QString device = m_spooler->DefaultPrinter().left(1023);
    device = device.section(u',', 0, 0);
    if (device.isEmpty())
        device = QStringLiteral("Screen");
    m_defaultPrinterName = NameOfDevice(device);
}

QString TjxPrinterList::NameOfDevice(const QString& device) const
{
    std::lock_guard guard(m_lock);
    for (const auto& e : m_entries)
        if (e->Device().compare(device, Qt::CaseInsensitive) == 0)
            return e->Name();
    return {};
}

TjxPrinterInfo* TjxPrinterList::Lookup(const QString& name) const
{
    for (const auto& e : m_entries)
        if (e->Name().compare(name, Qt::CaseInsensitive) == 0)
            return e.get();
    return nullptr;
}

TjxPrinterInfo* TjxPrinterList::Find(const QString& name) const
{
    std::lock_guard guard(m_lock);
    TjxPrinterInfo* entry = Lookup(name.compare(u"Default", Qt::CaseInsensitive) == 0 ? m_defaultPrinterName : name);
    // "Device on port": only a whole word "on" splits, so "Canon X" stays a
    // name (and falls back to the default printer below).
    if (!entry) {
        const qsizetype on = name.indexOf(u" on ");
        if (on > 0)
            entry = Lookup(NameOfDevice(name.left(on)));
    }
    if (!entry)
        entry = Lookup(m_defaultPrinterName);
    return entry;
}

namespace {

struct ProcessPrinters {
    std::recursive_mutex lock;
    std::unique_ptr<TjxPrinterList> list;
    std::vector<std::unique_ptr<TjxPrinterList>> retired;
    std::unique_ptr<TjxPrinterInfo> placeholder;
};

ProcessPrinters& Printers()
{
    static ProcessPrinters printers;
    return printers;
}

} // namespace

std::recursive_mutex& PrinterCreationLock()
{
    return Printers().lock;
}

TjxPrinterList& PrinterList()
{
    ProcessPrinters& p = Printers();
    std::shared_ptr<TjxSpooler> spooler = Spooler();
    std::lock_guard guard(p.lock);
    if (p.list && p.list->Spooler() != spooler)
        p.retired.push_back(std::move(p.list));
    if (!p.list)
        p.list = std::make_unique<TjxPrinterList>(std::move(spooler));
    return *p.list;
}

TjxPrinterInfo* NoPrinterInfo()
{
    ProcessPrinters& p = Printers();
    std::lock_guard guard(p.lock);
    if (!p.placeholder)
        p.placeholder = std::make_unique<TjxPrinterInfo>(nullptr, QStringLiteral("No Printer Installed"), true,
                                                         QString(), QStringLiteral("None"), QStringLiteral("None"));
    return p.placeholder.get();
}

} // namespace orvane
