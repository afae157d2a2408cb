#pragma once

// The print dialog as the producer sees it: what the producer gives it before
// showing it and reads back after OK. The window is a class of the
// user-interface library registered for "TjxCustomPrintDialog"; the checks
// made on OK live here so that every window answers them alike.

#include "document/form.h"
#include "output/page_request.h"

#include <memory>

namespace orvane {

class TjxPrinter;
class TjxBackgroundPrintSettings;
struct TjxDeviceClass;

enum TjxPageChoice : uint8_t { pcAll, pcCurrentPage, pcPages };

// The controls' state when OK is pressed.
struct TjxPrintChoices {
    TjxPageChoice pages = pcAll;
    QString pagesText;
    TjxPageRangeType pageRange = prAll;
    QString copiesText = QStringLiteral("1");
    bool collate = false;
    bool printToFile = false;
    QString fileDeviceName;  // the selected file type; empty: none selected
    QString fileName;
};

class TjxCustomPrintDialog : public TjxForm {
    ORVANE_CLASS(TjxCustomPrintDialog, TjxForm)
public:
    explicit TjxCustomPrintDialog(TComponent* owner = nullptr);
    ~TjxCustomPrintDialog() override;

    bool AllowPrintToArchive() const { return m_allowPrintToArchive; }
    void SetAllowPrintToArchive(bool value) { m_allowPrintToArchive = value; }
    bool AllowPrintToFile() const { return m_allowPrintToFile; }
    void SetAllowPrintToFile(bool value) { m_allowPrintToFile = value; }
    const QString& ArchiveFileName() const { return m_archiveFileName; }
    void SetArchiveFileName(const QString& value) { m_archiveFileName = value; }
    const QString& TextFileName() const { return m_textFileName; }
    void SetTextFileName(const QString& value) { m_textFileName = value; }
    const QString& DefaultExt() const { return m_defaultExt; }
    const QString& FileFilter() const { return m_fileFilter; }
    // In: the report's DeviceType. Out: the file device chosen.
    const QString& DeviceType() const { return m_deviceType; }
    void SetDeviceType(const QString& value) { m_deviceType = value; }
    // The dialog's own request; setting one copies it in.
    TjxPageRequest* PageRequest() const { return m_pageRequest.get(); }
    void SetPageRequest(const TjxPageRequest* request);
    // The printer whose setup the dialog edits (not owned).
    TjxPrinter* Printer() const { return m_printer; }
    void SetPrinter(TjxPrinter* printer) { m_printer = printer; }
    bool PrinterChanged() const { return m_printerChanged; }
    void SetPrinterChanged(bool value) { m_printerChanged = value; }
    bool PrintToArchive() const { return m_printToArchive; }
    bool PrintToFile() const { return m_printToFile; }
    bool DesignTime() const { return m_designTime; }
    void SetDesignTime(bool value) { m_designTime = value; }
    TjxBackgroundPrintSettings* BackgroundPrintSettings() const { return m_backgroundPrintSettings.get(); }
    void SetBackgroundPrintSettings(const TjxBackgroundPrintSettings* value);

    // The file device classes offered, in the registry's order: archive
    // classes when the archive is allowed, then the other file classes when
    // files are.
    std::vector<const TjxDeviceClass*> FileDeviceClasses() const;
    // The printers offered: the system's, sorted, without "Default" and "Screen".
    QStringList PrinterNamesOffered() const;
    // The file name kept for a file class (ArchiveFileName or TextFileName).
    QString FileNameFor(const QString& deviceName) const;
    void StoreFileName(const QString& deviceName, const QString& fileName);
    // The page text the Pages edit shows for a request.
    static QString PagesText(const TjxPageRequest& request);

    // OK: checks the choices, asking and warning through message boxes;
    // true when the dialog may close, with the results stored.
    bool Accept(const TjxPrintChoices& choices);

protected:
    bool m_allowPrintToArchive = false;
    bool m_allowPrintToFile = false;
    QString m_archiveFileName;
    QString m_textFileName;
    QString m_defaultExt;
    QString m_fileFilter;
    QString m_deviceType;
    std::unique_ptr<TjxPageRequest> m_pageRequest;
    TjxPrinter* m_printer = nullptr;
    bool m_printerChanged = false;
    bool m_printToArchive = false;
    bool m_printToFile = false;
    bool m_designTime = false;
    std::unique_ptr<TjxBackgroundPrintSettings> m_backgroundPrintSettings;
};

// The name with the extension added when its file-name part has none, or
// after a bare "." at its end; dots in folder names do not count.
QString CompleteFileName(const QString& fileName, const QString& extension);

} // namespace orvane
