#pragma once

#include "platform/spooler.h"

#include <QPicture>
#include <map>
#include <mutex>

namespace orvane {

// A print spooler whose printers are scripted and which logs every call, for
// tests of everything above the platform. Install it with SetSpooler and put
// the default back with SetSpooler(nullptr) afterwards. Make it with
// std::make_shared: its device contexts keep it alive.
//
// Log lines name the call and its arguments, for example "EnumPrinters",
// "CreateIC P", "ResetDC P fields=0x1103 orientation=2 paper=9 ...",
// "StartDoc P doc=Report1 output=", "StartPage P", "EndDoc P", "AbortDoc P",
// "DeleteDC P".
class TjxTestSpooler : public TjxSpooler, public std::enable_shared_from_this<TjxTestSpooler> {
public:
    struct Printer {
        QString name;
        uint32_t attributes = kPrinterLocal;
        TjxDriverCapabilities capabilities;
        std::optional<TjxDevMode> settings;  // what the driver reports; none: it gives no record
        TjxDeviceCaps caps;                  // what its contexts measure
        bool refuseContexts = false;         // device and information contexts fail
        bool refuseDocuments = false;        // StartDoc fails (a full queue, a stopped printer)
    };

    // A document printed on one of the printer's device contexts.
    struct Document {
        QString printer;
        QString name;
        QString output;
        QList<TjxDevMode> resets;               // the records of every ResetDC, in order
        QList<std::shared_ptr<QPicture>> pages; // what was painted on each page
        bool ended = false;
        bool aborted = false;
    };

    void AddPrinter(const Printer& printer);
    void SetDefaultPrinter(const QString& device) { m_defaultPrinter = device; }
    // A printer's scripted record as a later DocumentProperties reports it.
    void SetSettings(const QString& device, const std::optional<TjxDevMode>& settings);
    void SetCaps(const QString& device, const TjxDeviceCaps& caps);
    // Where a printer is, as the printer list reports it.
    void SetPort(const QString& device, const QString& port);

    QStringList Log() const;
    void ClearLog();
    QList<Document> Documents() const;
    std::map<QString, TjxPaperForm> Forms() const;
    // The record the driver's dialog returns; none: the dialog is cancelled.
    void SetDialogResult(const std::optional<TjxDevMode>& result) { m_dialogResult = result; }

    QList<TjxSpoolerPrinter> EnumPrinters() override;
    QString DefaultPrinter() override;
    TjxDriverCapabilities DeviceCapabilities(const QString& device) override;
    int OpenPrinter(const QString& device) override;
    void ClosePrinter(int handle) override;
    std::optional<TjxDevMode> DocumentProperties(int handle) override;
    bool EditDocumentProperties(int handle, TjxDevMode& settings) override;
    bool GetForm(int handle, const QString& name, TjxPaperForm& form) override;
    bool SetForm(int handle, const TjxPaperForm& form) override;
    bool AddForm(int handle, const TjxPaperForm& form) override;
    std::unique_ptr<TjxDeviceContext> CreateDC(const QString& device, const TjxDevMode* settings) override;
    std::unique_ptr<TjxDeviceContext> CreateIC(const QString& device, const TjxDevMode* settings) override;
    std::unique_ptr<TjxDeviceContext> ScreenDC() override;

    // Used by the contexts this spooler hands out.
    void Write(const QString& line);
    int StartDocument(const QString& printer, const QString& name, const QString& output);
    void AddReset(int document, const TjxDevMode& settings);
    void AddPage(int document, std::shared_ptr<QPicture> page);
    void EndDocument(int document);
    void AbortDocument(int document);

    static QString Describe(const TjxDevMode* settings);

private:
    const Printer* Find(const QString& device) const;

    mutable std::recursive_mutex m_lock;
    QList<Printer> m_printers;
    QString m_defaultPrinter;
    QStringList m_log;
    QList<Document> m_documents;
    std::map<int, QString> m_handles;
    std::map<QString, TjxPaperForm> m_forms;
    std::optional<TjxDevMode> m_dialogResult;
    std::map<QString, QString> m_ports;
    int m_nextHandle = 1;
};

} // namespace orvane
