#pragma once

#include "platform/spooler.h"

#include <QHash>
#include <mutex>

namespace orvane {

// The spooler of a Linux desktop: printers, the default printer, papers,
// resolution, colour and duplex from Qt's print support over CUPS; paper
// sources, margins and the copy limit from the scheduler (libcups), which
// Qt does not report. A document is drawn with QPrinter into a PDF file of its
// own, which goes to the queue with the job's sides, copies and paper source
// once it is complete (or is dropped when aborted). Paper numbers are the
// platform's standard numbers where the page size has one, otherwise a
// number above 1000 derived from the size, the same in every run.
// Information contexts measure from these answers alone, so listing and
// measuring need no window.
class TjxCupsSpooler : public TjxSpooler {
public:
    TjxCupsSpooler();
    ~TjxCupsSpooler() override;

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

    // A printer's media and defaults as the scheduler reports them.
    struct Paper {
        QString name;
        int number = 0;
        int width = 0;   // hundredths of a millimetre, portrait sense
        int length = 0;
        int left = 0, bottom = 0, right = 0, top = 0;  // unprintable margins, same unit
    };
    struct Driver {
        bool exists = false;
        QList<Paper> papers;
        QStringList binNames;
        QList<int> binNumbers;
        int maxCopies = 1;
        int resolutionX = 300;  // the queue's default
        int resolutionY = 300;
        QList<QSize> resolutions;  // what the queue offers
        bool color = true;
        int defaultPaper = -1;  // index into papers
        int defaultBin = 0;     // bin number, 0 when the printer names none
        int defaultDuplex = 1;
        int defaultOrientation = 1;
    };

private:
    std::shared_ptr<const Driver> DriverOf(const QString& device);
    QString DeviceOfHandle(int handle);

    std::mutex m_lock;
    QHash<QString, std::shared_ptr<const Driver>> m_drivers;
    QHash<int, QString> m_handles;
    int m_nextHandle = 1;
};

} // namespace orvane
