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
    const TjxDeviceClass* deviceClass = DeviceClassByName(m_deviceType);
    if (!deviceClass) {
        StopProducing();
        return;
    }
    StartProducing();
    m_savedPrinterSetup = std::make_unique<TjxPrinterSetup>();
    m_savedPrinterSetup->Assign(m_printerSetup.get());
    if (deviceClass->isFileDevice) {
        if (m_fileDevice) {
            CleanUp();
            throw EOrvaneError(GetMessage(msg::FileDeviceExists));
        }
        TjxDevice* device = deviceClass->create(nullptr);
        SetUpFileDevice(device);
        m_fileDevice = device;
        m_fileDevice->SetPublisher(Publisher());
    } else if (deviceClass->InheritsFrom(TjxPrinterDevice::StaticClass())) {
        AttachPrinterDevice();
    } else {
        m_fileDevice = deviceClass->create(nullptr);
        m_fileDevice->SetLanguageIndex(m_languageIndex);
        m_fileDevice->SetPublisher(Publisher());
    }
    try {
        Generate();
    } catch (...) {
        CleanUp();
        throw;
    }
    CleanUp();
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

void TjxProducer::AttachPrinterDevice()
{
    auto* device = new TjxPrinterDevice(nullptr);
    m_printerDevice = device;
    device->SetInStack(true);
    device->SetLanguageIndex(m_languageIndex);
    device->SetPrinterSetup(*m_printerSetup);
    try {
        device->RequireUsablePrinter();
    } catch (...) {
        CleanUp();
        throw;
    }
    TjxPrinter* printer = device->Printer();
    device->SetPublisher(Publisher());
    m_printerSetup->Assign(printer->PrinterSetup());
    if (!m_printerSetup->Equals(*m_savedPrinterSetup)) {
        m_printerSetupChanged = true;
        ClearPagesForNewSetup();
    }
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
    for (TjxDevice** slot : {&m_fileDevice, &m_printerDevice})
        if (TjxDevice* device = *slot) {
            *slot = nullptr;
            device->SetPublisher(nullptr);
            delete device;
        }
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
