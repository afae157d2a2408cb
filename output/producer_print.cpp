// The producer's print flow: devices, the publisher and the report's engine.

#include "document/custom_report.h"
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
#include "output/printer_device.h"
#include "output/publisher.h"
#include "output/stream_device.h"

namespace orvane {

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
    m_producing = true;
    if (m_deviceType != u"Screen") {
        PrintToDevices();
        return;
    }
    // The preview window comes from the user-interface library; without it
    // there is nothing to show.
    m_producing = false;
}

void TjxProducer::PrintToDevices()
{
    const TjxDeviceClass* deviceClass = DeviceClassByName(m_deviceType);
    if (!deviceClass) {
        m_producing = false;
        return;
    }
    m_producing = true;
    m_savedPrinterSetup = std::make_unique<TjxPrinterSetup>();
    m_savedPrinterSetup->Assign(m_printerSetup.get());
    if (deviceClass->isFileDevice) {
        if (m_fileDevice) {
            CleanUp();
            throw EOrvaneError(GetMessage(msg::FileDeviceExists));
        }
        auto* device = static_cast<TjxFileDevice*>(deviceClass->create(nullptr));
        device->SetLanguageIndex(m_languageIndex);
        const bool archive = deviceClass->InheritsFrom(TjxArchiveDevice::StaticClass());
        device->SetFileName(archive ? m_archiveFileName : m_textFileName);
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
    m_producing = false;
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

void TjxCustomReport::ResetRun()
{
    TjxProducer::ResetRun();
    if (HasEngine())
        Engine()->Restart();
}

} // namespace orvane
