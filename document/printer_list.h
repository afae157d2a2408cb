#pragma once

// The process-wide list of printers: "Default", "Screen", then the platform's
// printers in the order it enumerates them. Built once per spooler, on first use.

#include "document/paper.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace orvane {

class TjxSpooler;

// An entry of the printer list. Its capabilities are asked of the driver once.
class TjxPrinterInfo {
public:
    TjxPrinterInfo(std::shared_ptr<TjxSpooler> spooler, const QString& name, bool isLocal, const QString& port,
                   const QString& device, const QString& driver);
    virtual ~TjxPrinterInfo();
    TjxPrinterInfo(const TjxPrinterInfo&) = delete;
    TjxPrinterInfo& operator=(const TjxPrinterInfo&) = delete;

    const QString& Driver() const { return m_driver; }
    const QString& Device() const { return m_device; }
    const QString& Port() const { return m_port; }
    const QString& Name() const { return m_name; }
    bool LocalPrinter() const { return m_localPrinter; }
    // False once the platform refused a device context for this printer.
    bool IsValid() const { return m_isValid; }
    void SetIsValid(bool value) { m_isValid = value; }
    // The platform this printer belongs to; none for the placeholder.
    const std::shared_ptr<TjxSpooler>& Spooler() const { return m_spooler; }

    // Gathered and normalised on the first call, then kept.
    virtual const TjxPrinterCapabilities& GetCapabilities();

protected:
    virtual TjxPrinterCapabilities GatherCapabilities();

private:
    std::shared_ptr<TjxSpooler> m_spooler;
    QString m_driver;
    QString m_device;
    QString m_port;
    std::unique_ptr<TjxPrinterCapabilities> m_capabilities;
    QString m_name;
    std::atomic<bool> m_isValid{true};
    bool m_localPrinter = false;
    std::recursive_mutex m_lock;
};

// The entry "Screen": measures with the screen and never prints.
class TjxScreenPrinterInfo : public TjxPrinterInfo {
public:
    explicit TjxScreenPrinterInfo(std::shared_ptr<TjxSpooler> spooler);

protected:
    TjxPrinterCapabilities GatherCapabilities() override;
};

class TjxPrinterList {
public:
    explicit TjxPrinterList(std::shared_ptr<TjxSpooler> spooler);
    ~TjxPrinterList();
    TjxPrinterList(const TjxPrinterList&) = delete;
    TjxPrinterList& operator=(const TjxPrinterList&) = delete;

    int Count() const;
    QStringList Names() const;
    TjxPrinterInfo* Info(int index) const;

    // The entry name of the system's default printer ("Screen" when it has
    // none); empty when no entry has the default printer's device.
    QString DefaultPrinterName() const;
    void RefreshDefaultPrinter();
    // The first entry whose device is this text (without regard to case); empty when none.
    QString NameOfDevice(const QString& device) const;
    // The entry for a name; an unknown name gives the default printer's entry.
    TjxPrinterInfo* Find(const QString& name) const;

    const std::shared_ptr<TjxSpooler>& Spooler() const { return m_spooler; }

private:
    void Build();
    TjxPrinterInfo* Lookup(const QString& name) const;

    std::shared_ptr<TjxSpooler> m_spooler;
    std::vector<std::unique_ptr<TjxPrinterInfo>> m_entries;
    QString m_defaultPrinterName;
    mutable std::recursive_mutex m_lock;
};

// Guards the creation of the printer list, the shared printer and the placeholder.
std::recursive_mutex& PrinterCreationLock();

// The printer list of the spooler in force. When another spooler was
// installed since, the list is built anew; the old one stays valid (setups
// may point into it) until the process ends.
TjxPrinterList& PrinterList();

// The placeholder "No Printer Installed": its papers are just "Custom", its bins "Default".
TjxPrinterInfo* NoPrinterInfo();

} // namespace orvane
