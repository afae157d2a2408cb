// The producer's print flow: devices, the publisher and the report's engine.

#include "document/custom_report.h"
#include "document/dialog_registry.h"
#include "document/errors.h"
#include "document/event_ids.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/printer.h"
#include "document/printer_setup.h"
#include "document/producer.h"
#include "engine/engine.h"
#include "output/archive_device.h"
#include "output/cancel_dialog.h"
#include "output/print_dialog.h"
#include "output/device_registry.h"
#include "output/page.h"
#include "output/previewer.h"
#include "output/printer_device.h"
#include "output/publisher.h"
#include "output/stream_device.h"
#include "output/text_file_device.h"

#include <QCoreApplication>

namespace orvane {

const TClassInfo& TjxCustomPreviewer::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxCustomPreviewer>("TjxCustomPreviewer", &TjxForm::StaticClass()).Build();
    return info;
}

void TjxPublisherDeleter::operator()(TjxPublisher* publisher) const
{
    delete publisher;
}

TjxPublisher* TjxProducer::Publisher()
{
    if (!m_publisher) {
        m_publisher.reset(new TjxPublisher());
        m_publisher->PageRequestHandler = [this](TjxPublisher* publisher, TjxPageRequest* request) {
            TjxEventParams params{{QStringLiteral("aPublisher"), QVariant::fromValue<TComponent*>(publisher), false}};
            m_onPageRequest(this, params);
            SendEventNotify(ciProducerPageRequest, &params);
            m_printing = true;
            try {
                GeneratePages(publisher, request);
            } catch (...) {
                m_printing = false;
                throw;
            }
            m_printing = false;
        };
    }
    return m_publisher.get();
}

void TjxProducer::SetArchiveFileName(const QString& value)
{
    if (!SetField(m_archiveFileName, value, "ArchiveFileName"))
        return;
    ResetRun();
    if (m_publisher)
        m_publisher->ResetDevices();
}

void TjxProducer::ResetRun()
{
    m_runStarted = false;
    if (m_publisher)
        m_publisher->ClearCache();
}

void TjxProducer::Print()
{
    StartProducing();
    if (m_deviceType != u"Screen") {
        PrintToDevices();
        return;
    }
    Preview();
}

void TjxProducer::Preview()
{
    if (m_previewForm)
        return;
    // The window comes from the user-interface library; a program without
    // it has nothing to show.
    const TClassInfo* cls = GetDialogClass(u"TjxCustomPreviewer");
    TComponent* created = cls && cls->createComponent ? cls->createComponent(this) : nullptr;
    auto* form = dynamic_cast<TjxCustomPreviewer*>(created);
    if (!form || !form->Viewer()) {
        delete created;
        StopProducing();
        return;
    }
    m_previewForm = form;
    form->OnCloseQueryHook = [this](TjxForm*) {
        PreviewClosed();
        return true;
    };
    form->OnDestroyHook = [this](TjxForm* destroyed) {
        if (m_previewForm == destroyed)
            m_previewForm = nullptr;
    };
    form->OnCancelHook = [this](TjxForm*) { Cancel(); };
    TjxEventParams params;
    m_onAssignPreviewFormSettings(this, params);
    SendEventNotify(ciProducerAssignPreviewFormSettings);
    ApplyPreviewFormSettings();
    form->SetLanguageIndex(m_languageIndex);
    if (!m_icon->IsEmpty())
        form->SetIcon(*m_icon);
    m_onPreviewFormCreate(this, params);
    SendEventNotify(ciProducerPreviewFormCreate);
    form->SetReport(this);
    if (m_modalPreview) {
        // Generation runs inside the window's own message loop.
        form->OnActivateHook = [this](TjxForm*) {
            if (m_deviceType == u"Screen")
                Generate();
        };
        form->ShowModal();
    } else {
        form->Show();
        Generate();
    }
    if (m_enableProcessMessages && QCoreApplication::instance())
        QCoreApplication::processEvents();
}

void TjxProducer::PreviewClosed()
{
    StopProducing();
    SendEventNotify(ciProducerEndPrint);
    TjxEventParams params;
    m_afterPrint(this, params);
    m_onPreviewFormClose(this, params);
    SendEventNotify(ciProducerPreviewFormClose);
}

void TjxProducer::FreePreviewForm()
{
    if (TjxCustomPreviewer* form = m_previewForm) {
        m_previewForm = nullptr;
        form->ClearHooks();
        delete form;
    }
}

void TjxProducer::ApplyPreviewFormSettings()
{
    if (!m_previewForm)
        return;
    const TjxPreviewFormSettings& settings = *m_previewFormSettings;
    m_previewForm->SetZoomSetting(settings.ZoomSetting());
    if (settings.ZoomSetting() == zsPercentage)
        m_previewForm->SetZoomPercentage(settings.ZoomPercentage());
    m_previewForm->SetWindowState(settings.WindowState());
}

void TjxProducer::PrintToDevices()
{
    // Events processed while a run prints (its dialogs, its status line) may
    // ask for another one: the running one goes on alone.
    if (m_printRunning)
        return;
    const TjxDeviceClass* deviceClass = DeviceClassByName(m_deviceType);
    if (!deviceClass) {
        StopProducing();
        return;
    }
    m_printRunning = true;
    StartProducing();
    m_savedPrinterSetup = std::make_unique<TjxPrinterSetup>();
    m_savedPrinterSetup->Assign(m_printerSetup.get());
    try {
        if (!SetUpRunDevices(deviceClass)) {
            CleanUp();
            return;
        }
        RunWithCancelDialog();
    } catch (...) {
        CleanUp();
        throw;
    }
    CleanUp();
}

namespace {

constexpr int kCannotPrint = 1020;

bool PrinterUsable(TjxPrinterDevice& device)
{
    try {
        device.RequireUsablePrinter();
        return true;
    } catch (const EPrintError& error) {
        // With windows to show it in, the user gets a warning and the run
        // ends quietly; a program without windows gets the error.
        const QCoreApplication* app = QCoreApplication::instance();
        if (!GetDialogClass(u"TjxCustomPrintDialog") || !app || !app->inherits("QApplication"))
            throw;
        ShowMessageBox(GetMessage(kCannotPrint) + u'\n' + error.Message(), mtWarning, mbOK);
        return false;
    }
}

} // namespace

bool TjxProducer::SetUpRunDevices(const TjxDeviceClass* deviceClass)
{
    auto* printerDevice = new TjxPrinterDevice(nullptr);
    m_printerDevice = printerDevice;
    printerDevice->SetInStack(true);
    printerDevice->SetLanguageIndex(m_languageIndex);
    printerDevice->SetPrinterSetup(*m_printerSetup);

    TjxCustomPrintDialog* dialog = nullptr;
    // Printing from the designer always asks: its report may have the dialog off.
    if (m_showPrintDialog || (DesignState() & dsPrintingFromDesigner)) {
        const TClassInfo* cls = GetDialogClass(u"TjxCustomPrintDialog");
        TComponent* created = cls && cls->createComponent ? cls->createComponent(nullptr) : nullptr;
        dialog = dynamic_cast<TjxCustomPrintDialog*>(created);
        if (!dialog)
            delete created;
    }
    if (dialog) {
        m_printDialog = dialog;
        dialog->OnDestroyHook = [this](TjxForm* form) {
            if (m_printDialog == form)
                m_printDialog = nullptr;
        };
        dialog->SetDesignTime(Owner() && (Owner()->ComponentState() & csDesigning));
        dialog->SetReport(this);
        dialog->SetDeviceType(m_deviceType);
        dialog->SetPrinter(printerDevice->Printer());
        dialog->SetLanguageIndex(m_languageIndex);
        dialog->SetAllowPrintToArchive(m_allowPrintToArchive);
        dialog->SetAllowPrintToFile(m_allowPrintToFile);
        dialog->SetArchiveFileName(m_archiveFileName);
        dialog->SetTextFileName(m_textFileName);
        dialog->SetBackgroundPrintSettings(m_backgroundPrintSettings.get());
        dialog->PageRequest()->SetPageRequested(m_currentPage);
        if (!m_icon->IsEmpty())
            dialog->SetIcon(*m_icon);
        TjxEventParams params;
        m_onPrintDialogCreate(this, params);
        SendEventNotify(ciProducerPrintDialogCreate);
        const TModalResult result = dialog->ShowModal();
        m_onPrintDialogClose(this, params);
        SendEventNotify(ciProducerPrintDialogClose);
        if (!m_printDialog || result != mrOK)
            return false;
        m_backgroundPrintSettings->SetActive(dialog->BackgroundPrintSettings()->Active());
    }

    // Where the pages go: the file type chosen in the dialog, else the
    // report's own device.
    const TjxDeviceClass* target = deviceClass;
    if (dialog) {
        target = DeviceClassByName(TjxPrinterDevice::ClassDeviceName());
        if (dialog->PrintToFile())
            target = DeviceClassByName(dialog->DeviceType());
        else if (dialog->PrintToArchive())
            target = DeviceClassByName(TjxArchiveDevice::ClassDeviceName());
        if (!target)
            return false;
    }
    if (target->InheritsFrom(TjxPrinterDevice::StaticClass())) {
        if (!PrinterUsable(*printerDevice))
            return false;
        if (dialog)
            printerDevice->AssignPageRequest(dialog->PageRequest());
        TjxPrinter* printer = printerDevice->Printer();
        printerDevice->SetPublisher(Publisher());
        m_printerSetup->Assign(printer->PrinterSetup());
        if (!m_printerSetup->Equals(*m_savedPrinterSetup)) {
            m_printerSetupChanged = true;
            ClearPagesForNewSetup();
        }
        if (OnRunDeviceReady)
            OnRunDeviceReady(printerDevice);
        return true;
    }
    // Not the printer: the printer device only served the dialog.
    m_printerDevice = nullptr;
    delete printerDevice;
    if (m_fileDevice)
        throw EOrvaneError(GetMessage(msg::FileDeviceExists));
    TjxDevice* device = target->create(nullptr);
    m_fileDevice = device;
    if (target->isFileDevice) {
        SetUpFileDevice(device);
        if (dialog) {
            auto* file = static_cast<TjxFileDevice*>(device);
            file->SetFileName(dialog->FileNameFor(target->deviceName));
            device->AssignPageRequest(dialog->PageRequest());
        }
    } else {
        device->SetLanguageIndex(m_languageIndex);
    }
    device->SetPublisher(Publisher());
    if (OnRunDeviceReady)
        OnRunDeviceReady(device);
    return true;
}

void TjxProducer::RunWithCancelDialog()
{
    TjxCustomCancelDialog* dialog = nullptr;
    if (m_showCancelDialog) {
        const TClassInfo* cls = GetDialogClass(u"TjxCustomCancelDialog");
        TComponent* created = cls && cls->createComponent ? cls->createComponent(nullptr) : nullptr;
        dialog = dynamic_cast<TjxCustomCancelDialog*>(created);
        if (!dialog)
            delete created;
    }
    if (!dialog) {
        Generate();
        return;
    }
    m_cancelDialog = dialog;
    dialog->OnDestroyHook = [this](TjxForm* form) {
        if (m_cancelDialog == form)
            m_cancelDialog = nullptr;
    };
    dialog->OnCancelHook = [this](TjxForm*) { Cancel(); };
    dialog->SetReport(this);
    dialog->SetLanguageIndex(m_languageIndex);
    if (!m_icon->IsEmpty())
        dialog->SetIcon(*m_icon);
    for (TjxDevice* device : {m_fileDevice, m_printerDevice})
        if (device)
            device->SetCancelDialog(dialog->StatusLine());
    TjxEventParams params;
    m_onCancelDialogCreate(this, params);
    SendEventNotify(ciProducerCancelDialogCreate);
    dialog->SetCancelEnabled(true);

    // Generation runs inside the dialog's loop; what it raises is passed on
    // once the loop is over, never through it.
    std::exception_ptr failure;
    const auto generate = [this, &failure](TjxForm* form) {
        try {
            Generate();
        } catch (...) {
            failure = std::current_exception();
        }
        form->Close();
    };
    if (m_modalCancelDialog) {
        dialog->OnTimerHook = generate;
        dialog->ShowModal();
    } else {
        dialog->Show();
        generate(dialog);
    }
    // Gone with the dialog: the devices no longer show the status.
    for (TjxDevice* device : {m_fileDevice, m_printerDevice})
        if (device)
            device->SetCancelDialog(nullptr);
    m_onCancelDialogClose(this, params);
    SendEventNotify(ciProducerCancelDialogClose);
    if (TjxCustomCancelDialog* open = m_cancelDialog) {
        m_cancelDialog = nullptr;
        open->ClearHooks();
        open->OnTimerHook = nullptr;
        delete open;
    }
    if (failure)
        std::rethrow_exception(failure);
}

void TjxProducer::SetUpFileDevice(TjxDevice* device)
{
    auto* file = dynamic_cast<TjxFileDevice*>(device);
    if (!file)
        return;
    file->SetLanguageIndex(m_languageIndex);
    const bool archive = file->InheritsFrom(TjxArchiveDevice::StaticClass());
    file->SetFileName(archive ? m_archiveFileName : m_textFileName);
    if (auto* text = dynamic_cast<TjxTextFileDevice*>(file)) {
        text->SetReport(this);
        text->SetFileType(m_textFileType);
        text->OnSaveText = [this](TjxTextFileDevice* sender, TComponent*, QString& value) { SaveText(sender, value); };
    }
}

void TjxProducer::SaveText(TComponent* sender, QString& text)
{
    TjxEventParams params{{QStringLiteral("Text"), text, true}};
    m_onSaveText(sender, params);
    SendEventNotify(ciProducerSaveText, &params);
    text = params.Value(u"Text").toString();
}

void TjxProducer::ClearPagesForNewSetup()
{
    m_producing = false;
    ResetRun();  // the publisher's cache goes with it
    m_producing = true;
}

void TjxProducer::Generate()
{
    if (HandOffToBackground())
        return;
    TjxPublisher* publisher = Publisher();
    publisher->SetCachePages(m_cachePages);
    try {
        TjxEventParams params;
        m_beforePrint(this, params);
        if (!m_runStarted || m_cancelled)
            publisher->Reset();
        m_runStarted = true;
        m_cancelled = false;
        publisher->StartJob();
        publisher->RequestPages();
        // Ending may still fail (a queue refusing the document) or print
        // further collated copies: a failure there is the run's failure.
        if (!m_cancelled)
            publisher->EndJob();
    } catch (...) {
        // A failed run leaves no output behind: the devices drop their files.
        if (!m_cancelled) {
            m_cancelled = true;
            publisher->CancelJob();
        }
        m_runStarted = false;
        throw;
    }
    if (!publisher->OnlyScreenDevices()) {
        SendEventNotify(ciProducerEndPrint);
        TjxEventParams params;
        m_afterPrint(this, params);
        m_onPrintingComplete(this, params);
    }
    // Outside a print or preview session nothing asks for more pages of this run.
    if (!Producing())
        EndGeneration();
}

void TjxProducer::Cancel()
{
    m_cancelled = true;
    if (m_publisher)
        m_publisher->CancelJob();
    StopGeneration();
    TjxEventParams params;
    m_onCancel(this, params);
    SendEventNotify(ciProducerCancel);
}

void TjxProducer::CleanUp()
{
    if (m_printerSetupChanged) {
        m_printerSetupChanged = false;
        ClearPagesForNewSetup();
    }
    if (!m_savePrinterSetup && m_savedPrinterSetup)
        m_printerSetup->Assign(m_savedPrinterSetup.get());
    m_savedPrinterSetup.reset();
    if (TjxCustomPrintDialog* dialog = m_printDialog) {
        m_printDialog = nullptr;
        dialog->ClearHooks();
        delete dialog;
    }
    for (TjxDevice** slot : {&m_fileDevice, &m_printerDevice})
        if (TjxDevice* device = *slot) {
            *slot = nullptr;
            device->SetPublisher(nullptr);
            delete device;
        }
    m_printRunning = false;
    StopProducing();
    SendEventNotify(ciProducerPrintFinished);
}

// ---- the report's side ----

void TjxCustomReport::GeneratePages(TjxPublisher* publisher, TjxPageRequest* request)
{
    TjxEngine* engine = Engine();
    engine->Page()->SetPrinterSetup(PrinterSetup());
    engine->Page()->SetProducer(this);
    engine->OnAfterSendPage = [publisher](TjxPage& page) { publisher->ReceivePage(&page); };
    engine->Generate(*request);
}

void TjxCustomReport::StopGeneration()
{
    if (HasEngine())
        Engine()->Stop();
}

void TjxCustomReport::EndGeneration()
{
    if (HasEngine())
        Engine()->EndRun();
}

void TjxCustomReport::ResetRun()
{
    TjxProducer::ResetRun();
    if (HasEngine())
        Engine()->Restart();
}

} // namespace orvane
