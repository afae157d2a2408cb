#pragma once

#include "document/relative.h"
#include "document/report_settings.h"
#include "document/resource_manager.h"

namespace orvane {

class TjxPrinterSetup;
class TjxPublisher;
class TjxDevice;
class TjxPageRequest;
class TjxCustomPreviewer;
class TjxCustomPrintDialog;
class TjxCustomCancelDialog;
struct TjxDeviceClass;

// Frees the publisher where its class is known.
struct TjxPublisherDeleter {
    void operator()(TjxPublisher* publisher) const;
};

enum TjxFileType : uint8_t { ftComma, ftTab, ftFixedLength, ftCustom };
const TTypeInfo& FileTypeType();
const TTypeInfo& LanguageTypeType();

// The icon of the preview, print and cancel windows: image bytes as stored.
class TIcon : public TPersistent {
    ORVANE_CLASS(TIcon, TPersistent)
public:
    const QByteArray& Data() const { return m_data; }
    void SetData(const QByteArray& data) { m_data = data; }
    bool IsEmpty() const { return m_data.isEmpty(); }
    void Assign(const TPersistent* source) override;

private:
    QByteArray m_data;
};

// The base of everything that produces pages: device and printing settings,
// the printer setup and the version text. Printing itself lives with the
// output devices.
class TjxProducer : public TjxRelative {
    ORVANE_CLASS(TjxProducer, TjxRelative)
public:
    static constexpr const char* kVersion = "9.01";

    explicit TjxProducer(TComponent* owner = nullptr);
    ~TjxProducer() override;

    TjxPrinterSetup* PrinterSetup() const { return m_printerSetup.get(); }
    void SetPrinterSetup(TjxPrinterSetup* value);

    const QString& Version() const { return m_version; }
    void SetVersion(const QString& value) { m_version = value; }

    bool AllowPrintToArchive() const { return m_allowPrintToArchive; }
    bool AllowPrintToFile() const { return m_allowPrintToFile; }
    const QString& ArchiveFileName() const { return m_archiveFileName; }
    void SetArchiveFileName(const QString& value);
    void SetTextFileName(const QString& value) { SetField(m_textFileName, value, "TextFileName"); }
    void SetShowPrintDialog(bool value) { SetField(m_showPrintDialog, value, "ShowPrintDialog"); }
    void SetShowCancelDialog(bool value) { SetField(m_showCancelDialog, value, "ShowCancelDialog"); }
    TjxBackgroundPrintSettings* BackgroundPrintSettings() const { return m_backgroundPrintSettings.get(); }
    void SetBackgroundPrintSettings(TjxBackgroundPrintSettings* v) { m_backgroundPrintSettings->Assign(v); }
    bool CachePages() const { return m_cachePages; }
    void SetCachePages(bool value) { SetField(m_cachePages, value, "CachePages"); }
    const QString& DeviceType() const { return m_deviceType; }
    // Names that no registered device has are ignored, except while reading.
    void SetDeviceType(const QString& value);
    TIcon* Icon() const { return m_icon.get(); }
    void SetIcon(TIcon* v) { m_icon->Assign(v); }
    TjxLanguageType Language() const { return m_language; }
    // A language without modules is refused; while reading it falls back to lgDefault.
    void SetLanguage(TjxLanguageType value);
    int LanguageIndex() const { return m_languageIndex; }
    bool ModalCancelDialog() const { return m_modalCancelDialog; }
    void SetModalCancelDialog(bool value) { SetField(m_modalCancelDialog, value, "ModalCancelDialog"); }
    bool ModalPreview() const { return m_modalPreview; }
    TjxPDFSettings* PDFSettings() const { return m_pdfSettings.get(); }
    void SetPDFSettings(TjxPDFSettings* v) { m_pdfSettings->Assign(v); }
    TjxPreviewFormSettings* PreviewFormSettings() const { return m_previewFormSettings.get(); }
    void SetPreviewFormSettings(TjxPreviewFormSettings* v) { m_previewFormSettings->Assign(v); }
    bool SavePrinterSetup() const { return m_savePrinterSetup; }
    bool ShowCancelDialog() const { return m_showCancelDialog; }
    bool ShowPrintDialog() const { return m_showPrintDialog; }
    const QString& TextFileName() const { return m_textFileName; }
    TjxFileType TextFileType() const { return m_textFileType; }
    void SetTextFileType(TjxFileType value) { SetField(m_textFileType, value, "TextFileType"); }
    TjxTextSearchSettings* TextSearchSettings() const { return m_textSearchSettings.get(); }
    void SetTextSearchSettings(TjxTextSearchSettings* v) { m_textSearchSettings->Assign(v); }

    // Which device names SetDeviceType accepts; the output library installs it.
    static std::function<bool(const QString&)>& DeviceNameValidator();

    // Copies the producer settings (template loads move content between reports).
    void AssignProducerSettings(const TjxProducer& other);

    // ---- Output ----
    // The publisher that serves the devices of this producer's runs.
    TjxPublisher* Publisher();
    // Preview or print to the device DeviceType names (a report first runs
    // its before-printing steps).
    virtual void Print();
    // Prints to the printer or file device that DeviceType names.
    void PrintToDevices();
    // The preview window while it exists (owned); none without a window class.
    TjxCustomPreviewer* PreviewForm() const { return m_previewForm; }
    // The page the viewer shows when printing starts from it.
    int CurrentPage() const { return m_currentPage; }
    void SetCurrentPage(int value) { m_currentPage = value; }
    // Starts a job on the attached devices, asks for their pages and ends it.
    void Generate();
    // Stops the run: the devices drop what they have, the engine stops.
    void Cancel();
    // True from the start of a print (preview or devices) to its end; the
    // designer hears of both ends with dnPrinting and reads this.
    bool Producing() const { return m_producing; }
    bool Printing() const { return m_printing; }
    bool Cancelled() const { return m_cancelled; }
    TjxDevice* FileDevice() const { return m_fileDevice; }
    // Gives a file device of a run what the producer has for it: the language,
    // the file name (TextFileName or ArchiveFileName) and, for the text file
    // device, this report, TextFileType and the hook that fires OnSaveText.
    void SetUpFileDevice(TjxDevice* device);
    // OnSaveText and event 9 for one field a device saves; the text may change.
    void SaveText(TComponent* sender, QString& text);
    const TMethod& OnSaveText() const { return m_onSaveText; }
    void SetOnSaveText(const TMethod& value) { SetField(m_onSaveText, value, "OnSaveText"); }
    // The printer device of a run to the printer; none otherwise.
    TjxDevice* PrinterDevice() const { return m_printerDevice; }
    // Called with the device a run prints to once it is set up; a program
    // without a print dialog gives it its pages and output file here.
    std::function<void(TjxDevice*)> OnRunDeviceReady;
    // The dialogs of a print run while they exist (owned).
    TjxCustomPrintDialog* PrintDialog() const { return m_printDialog; }
    TjxCustomCancelDialog* CancelDialog() const { return m_cancelDialog; }
    // Forgets the pages of the last run: the next run starts from the beginning.
    virtual void ResetRun();

    // Queues this report's run on a worker thread with the given pages,
    // device and files; the screen device is refused.
    void InternalPrintInBackground(const TjxPageRequest* pageRequest, const QString& deviceType,
                                   const QString& textFileName, const QString& archiveFileName);

    // Whether generation lets the user interface process pending messages.
    bool EnableProcessMessages() const { return m_enableProcessMessages; }
    void SetEnableProcessMessages(bool value) { m_enableProcessMessages = value; }

protected:
    // Tells the designer once that this producer goes; the most derived
    // destructor calls it while the object is still whole.
    void NotifyDestroying();
    // The print run's start and end, told to the designer.
    void StartProducing();
    void StopProducing();
    // The report makes the pages a request asks for and hands each to the publisher.
    virtual void GeneratePages(TjxPublisher* publisher, TjxPageRequest* request) {}
    virtual void StopGeneration() {}
    // The run is over: what generation kept open between page requests goes.
    virtual void EndGeneration() {}
    void CleanUp();
    // The run's devices: the printer device, the print dialog, and the
    // device the pages go to. False when the dialog was not confirmed.
    bool SetUpRunDevices(const TjxDeviceClass* deviceClass);
    // Generates with the cancel dialog open when the report shows one.
    void RunWithCancelDialog();
    // With BackgroundPrintSettings.Active and a device other than the
    // screen, the run goes to a worker; true when it went.
    bool HandOffToBackground();
    void ClearPagesForNewSetup();
    // Opens the preview window and generates the first page into it.
    void Preview();
    void PreviewClosed();
    // PreviewFormSettings to the open window.
    void ApplyPreviewFormSettings();
    // The window without calling back (the producer is going away).
    void FreePreviewForm();

    bool m_producing = false;
    bool m_destroyingNotified = false;
    bool m_printing = false;
    bool m_cancelled = false;
    bool m_runStarted = false;
    TjxDevice* m_fileDevice = nullptr;
    TjxDevice* m_printerDevice = nullptr;
    // The run's printer setup differs from the report's: pages made before
    // are not the ones printed.
    bool m_printerSetupChanged = false;
    std::unique_ptr<TjxPrinterSetup> m_savedPrinterSetup;
    std::unique_ptr<TjxPublisher, TjxPublisherDeleter> m_publisher;
    TjxCustomPreviewer* m_previewForm = nullptr;
    TjxCustomPrintDialog* m_printDialog = nullptr;
    TjxCustomCancelDialog* m_cancelDialog = nullptr;
    bool m_printRunning = false;
    int m_currentPage = 1;

    // Producer settings, published by TjxReport.
    bool m_allowPrintToArchive = false;
    bool m_allowPrintToFile = false;
    QString m_archiveFileName;
    bool m_cachePages = false;
    QString m_deviceType = QStringLiteral("Screen");
    TjxLanguageType m_language = lgDefault;
    int m_languageIndex = 0;
    bool m_modalCancelDialog = true;
    bool m_enableProcessMessages = true;
    bool m_modalPreview = true;
    bool m_savePrinterSetup = false;
    bool m_showCancelDialog = true;
    bool m_showPrintDialog = true;
    QString m_textFileName;
    TjxFileType m_textFileType = ftComma;
    TMethod m_beforePrint, m_afterPrint, m_onCancel, m_onCancelDialogCreate, m_onCancelDialogClose,
        m_onPageRequest, m_onAssignPreviewFormSettings, m_onPreviewFormCreate, m_onPreviewFormClose,
        m_onPrintDialogCreate, m_onPrintDialogClose, m_onPrintingComplete, m_onSaveText;

    std::unique_ptr<TjxPrinterSetup> m_printerSetup;
    std::unique_ptr<TjxBackgroundPrintSettings> m_backgroundPrintSettings;
    std::unique_ptr<TIcon> m_icon;
    std::unique_ptr<TjxPDFSettings> m_pdfSettings;
    std::unique_ptr<TjxPreviewFormSettings> m_previewFormSettings;
    std::unique_ptr<TjxTextSearchSettings> m_textSearchSettings;
    QString m_version = QString::fromLatin1(kVersion);
};

} // namespace orvane
