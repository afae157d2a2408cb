#include "output/background_print.h"

#include "document/auto_search_field.h"
#include "document/class_registry.h"
#include "document/errors.h"
#include "document/event_ids.h"
#include "document/form.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/printer.h"
#include "document/printer_setup.h"
#include "document/report.h"
#include "document/report_template.h"
#include "engine/pipeline_list.h"
#include "output/device.h"
#include "output/page_request.h"
#include "output/publisher.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QObject>
#include <QThread>

#include <cxxabi.h>
#include <optional>
#include <set>
#include <sys/resource.h>
#include <unistd.h>

namespace orvane {

// ---- container factories ----

namespace {

struct ContainerFactories {
    std::mutex lock;
    std::map<QString, TjxContainerFactory> byClass;
};

ContainerFactories& Factories()
{
    static ContainerFactories factories;
    return factories;
}

TjxContainerFactory FactoryFor(const QString& className)
{
    auto& f = Factories();
    std::lock_guard guard(f.lock);
    auto it = f.byClass.find(className.toLower());
    return it == f.byClass.end() ? TjxContainerFactory() : it->second;
}

// "EReadError" for orvane::EReadError: the class name an error is shown with.
QString ErrorClassName(const std::exception& error)
{
    int status = 0;
    char* demangled = abi::__cxa_demangle(typeid(error).name(), nullptr, nullptr, &status);
    QString name = QString::fromLatin1(status == 0 && demangled ? demangled : typeid(error).name());
    std::free(demangled);
    const qsizetype colons = name.lastIndexOf(u"::");
    return colons < 0 ? name : name.mid(colons + 2);
}

// The layout moves between copies without telling a report explorer.
template <class Fn>
void WithoutExplorerEvents(TjxReportTemplate& layout, Fn action)
{
    layout.BroadcastExplorerEvents = false;
    try {
        action(layout);
    } catch (...) {
        layout.BroadcastExplorerEvents = true;
        throw;
    }
    layout.BroadcastExplorerEvents = true;
}

// A window can be made only on the user-interface thread: a container that is
// one (a form with a window, or a widget) cannot be copied on a worker.
bool IsWindowClass(const TClassInfo& info)
{
    return info.InheritsFrom(TjxForm::StaticClass());
}

bool IsWindow(const TComponent& container)
{
    const auto* object = dynamic_cast<const QObject*>(&container);
    return (object && object->isWidgetType()) || IsWindowClass(container.ClassInfo());
}

QString ErrorText(const std::exception& error)
{
    if (const auto* e = dynamic_cast<const EOrvaneError*>(&error))
        return e->Message();
    return QString::fromUtf8(error.what());
}

} // namespace

void RegisterContainerFactory(const QString& className, TjxContainerFactory factory)
{
    auto& f = Factories();
    std::lock_guard guard(f.lock);
    f.byClass[className.toLower()] = std::move(factory);
}

void UnregisterContainerFactory(const QString& className)
{
    auto& f = Factories();
    std::lock_guard guard(f.lock);
    f.byClass.erase(className.toLower());
}

// ---- the request ----

TjxBackgroundPrintRequest::TjxBackgroundPrintRequest(TPersistent* producer, const QString& textFileName,
                                                     const QString& archiveFileName, const QString& deviceType,
                                                     const TjxPageRequest* pageRequest)
{
    if (!producer)
        throw EBackgroundPrintError(GetMessage(msg::BackgroundRequestNoProducer));
    auto* report = dynamic_cast<TjxProducer*>(producer);
    if (!report)
        throw EBackgroundPrintError(GetMessage(msg::BackgroundRequestNotProducer) + producer->ClassName());
    if (!report->Owner())
        throw EBackgroundPrintError(GetMessage(msg::BackgroundRequestNoOwner));
    ReportComponentName = report->Name();
    DeviceType = deviceType;
    if (deviceType == u"Screen")
        throw EBackgroundPrintError(GetMessage(msg::BackgroundRequestScreen));
    if (IsWindow(*report->Owner()))
        throw EBackgroundPrintError(GetMessage(msg::BackgroundCannotCreateContainer) + report->Owner()->ClassName());
    OwnerClass = &report->Owner()->ClassInfo();
    PageRequest = std::make_unique<TjxPageRequest>();
    if (pageRequest)
        PageRequest->Assign(pageRequest);
    PrinterSetup = std::make_unique<TjxPrinterSetup>();
    PrinterSetup->Assign(report->PrinterSetup());
    TextFileName = textFileName;
    ArchiveFileName = archiveFileName;
    if (auto* custom = dynamic_cast<TjxCustomReport*>(report)) {
        QBuffer buffer(&LayoutStream);
        buffer.open(QIODevice::WriteOnly);
        WithoutExplorerEvents(*custom->Template(), [&](TjxReportTemplate& layout) { layout.SaveToStream(buffer); });
    }
    if (auto* withSearch = dynamic_cast<TjxReport*>(report))
        for (int i = 0; i < withSearch->AutoSearchFieldCount(); ++i) {
            const TjxAutoSearchField* field = withSearch->AutoSearchFields(i);
            auto copy = std::make_unique<TjxAutoSearchField>();
            copy->Assign(field);
            copy->SetSearchExpression(field->SearchExpression());
            copy->SetShowAllValues(field->ShowAllValues());
            AutoSearchGroups.push_back(std::move(copy));
        }
}

TjxBackgroundPrintRequest::~TjxBackgroundPrintRequest() = default;

// ---- one job and its worker ----

// What the user-interface thread and the worker share about one job. Each
// job has its own lock and signal: no event is shared between jobs.
class TjxBackgroundPrintJob {
public:
    std::unique_ptr<TjxBackgroundPrintRequest> request;
    std::thread thread;
    std::mutex lock;
    std::condition_variable ready;
    // Set under lock as well; atomic so that the reader never depends on
    // the lock alone.
    std::atomic<bool> containerReady{false};
    QString workerError;    // the worker's; read after it ended
    QString timeoutNotice;  // the user-interface thread's
    std::atomic<bool> cancelRequested{false};
};

// Reaches the user-interface thread from a worker. The worker holds it
// shared; `queue` goes null when the queue is gone.
struct TjxQueueWakeUp {
    std::mutex lock;
    std::vector<std::shared_ptr<TjxBackgroundPrintJob>> ended;
    QObject* receiver = nullptr;
    TjxBackgroundPrintQueue* queue = nullptr;
};

namespace {

// Gives the devices of the copy's run the request's pages when printing
// begins, and cancels the copy's run at the next page once a flush asked so.
class TjxWalkieTalkie : public TjxCommunicator {
public:
    TjxWalkieTalkie(TjxCustomReport& copy, const TjxPageRequest& pages, const std::atomic<bool>& cancel)
        : m_copy(copy), m_pages(pages), m_cancel(cancel)
    {
        AddEventInterest(ciProducerStartPrint);
    }

    void EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params) override
    {
        if (eventId != ciProducerStartPrint)
            return;
        TjxPublisher* publisher = m_copy.Publisher();
        for (int i = 0; i < publisher->DeviceCount(); ++i) {
            TjxDevice* device = publisher->DeviceAt(i);
            device->AssignPageRequest(&m_pages);
            if (!m_hooked.insert(device).second)
                continue;
            auto previous = device->ReceivePageHandler;
            device->ReceivePageHandler = [this, previous](TjxDevice* d, TjxPage* page) {
                if (previous)
                    previous(d, page);
                if (m_cancel.load() && !m_copy.Cancelled())
                    CancelQuietly();
            };
        }
    }

private:
    // A flush stops the copy's run without its OnCancel: nobody asked the
    // copy itself to stop.
    void CancelQuietly()
    {
        if (const TPropInfo* onCancel = m_copy.ClassInfo().FindProperty(u"OnCancel"); onCancel && onCancel->setMethod)
            onCancel->setMethod(m_copy, TMethod());
        m_copy.Cancel();
    }

    TjxCustomReport& m_copy;
    const TjxPageRequest& m_pages;
    const std::atomic<bool>& m_cancel;
    std::set<TjxDevice*> m_hooked;
};

// The copy's auto-search fields take the request's definitions and values.
void CopyAutoSearchFields(const TjxBackgroundPrintRequest& request, TjxCustomReport& copy)
{
    auto* report = dynamic_cast<TjxReport*>(&copy);
    if (request.AutoSearchGroups.empty() || !report)
        return;
    const int count = int(request.AutoSearchGroups.size());
    if (report->AutoSearchFieldCount() > 0 && report->AutoSearchFieldCount() != count)
        throw EBackgroundPrintError(GetMessage(msg::BackgroundAutoSearchMismatch));
    if (report->AutoSearchFieldCount() == 0)
        for (int i = 0; i < count; ++i) {
            const TjxAutoSearchField& field = *request.AutoSearchGroups[size_t(i)];
            report->CreateAutoSearchCriteria(field.DataPipelineName(), field.FieldName(), field.SearchOperator(),
                                             field.SearchExpression(), field.Mandatory());
        }
    for (int i = 0; i < count; ++i) {
        const TjxAutoSearchField& field = *request.AutoSearchGroups[size_t(i)];
        TjxAutoSearchField* target = report->AutoSearchFields(i);
        target->Assign(&field);
        target->SetSearchExpression(field.SearchExpression());
        target->SetShowAllValues(field.ShowAllValues());
    }
}

// Makes the container anew from its class; an error is returned as text.
TComponent* CreateContainer(const TjxBackgroundPrintRequest& request, TjxCustomReport*& report, QString& error)
{
    if (!request.OwnerClass) {
        error = GetMessage(msg::BackgroundContainerNoClass);
        return nullptr;
    }
    const QString className = request.OwnerClass->className;
    if (IsWindowClass(*request.OwnerClass)) {
        error = GetMessage(msg::BackgroundCannotCreateContainer) + className;
        return nullptr;
    }
    std::unique_ptr<TComponent> container;
    try {
        if (TjxContainerFactory factory = FactoryFor(className))
            container.reset(factory());
        else if (request.OwnerClass->createComponent)
            container.reset(request.OwnerClass->createComponent(nullptr));
    } catch (const std::exception& e) {
        error = ErrorClassName(e) + QStringLiteral(": ") + ErrorText(e);
        return nullptr;
    }
    if (!container) {
        error = GetMessage(msg::BackgroundCannotCreateContainer) + className;
        return nullptr;
    }
    TComponent* found = container->FindComponent(request.ReportComponentName);
    if (!found) {
        error = GetMessage(msg::BackgroundProducerNotInOwner) + request.ReportComponentName;
        return nullptr;
    }
    report = dynamic_cast<TjxCustomReport*>(found);
    if (!report) {
        error = MessageText(msg::BackgroundComponentNotProducer, {request.ReportComponentName}) + found->ClassName();
        return nullptr;
    }
    return container.release();
}

// The copy takes the layout, searches, pages, printer choices and files of
// the request and prints with every dialog off.
void ConfigureCopy(const TjxBackgroundPrintRequest& request, TjxCustomReport& copy)
{
    if (!request.LayoutStream.isEmpty()) {
        QByteArray layout = request.LayoutStream;
        QBuffer buffer(&layout);
        buffer.open(QIODevice::ReadOnly);
        WithoutExplorerEvents(*copy.Template(), [&](TjxReportTemplate& layout) { layout.LoadFromStream(buffer); });
    }
    CopyAutoSearchFields(request, copy);
    copy.SetArchiveFileName(request.ArchiveFileName);
    copy.SetDeviceType(request.DeviceType);
    copy.SetEnableProcessMessages(false);
    copy.SetPrinterSetup(request.PrinterSetup.get());
    if (auto* report = dynamic_cast<TjxReport*>(&copy))
        report->SetShowAutoSearchDialog(false);
    copy.SetShowCancelDialog(false);
    copy.SetShowPrintDialog(false);
    copy.SetTextFileName(request.TextFileName);
    // The copy never queues itself again.
    copy.BackgroundPrintSettings()->SetEnabled(false);
    copy.BackgroundPrintSettings()->SetActive(false);
}

// The worker thread's body: everything it makes, it frees.
void RunJob(TjxBackgroundPrintJob& job)
{
    const TjxBackgroundPrintRequest& request = *job.request;
    QString error;
    std::unique_ptr<TComponent> container;
    TjxCustomReport* copy = nullptr;
    {
        TComponentNameWriteGuard names;
        container.reset(CreateContainer(request, copy, error));
    }
    if (container && error.isEmpty()) {
        try {
            ConfigureCopy(request, *copy);
        } catch (const std::exception& e) {
            error = ErrorText(e);
        }
    }
    {
        // The user-interface thread stops waiting, whatever happened.
        std::lock_guard guard(job.lock);
        job.containerReady = true;
    }
    job.ready.notify_all();

    // The copy is this worker's open form while the job runs: the lists its
    // reports build find it, and no list of another thread ever does.
    std::optional<TjxOpenContainerGuard> open;
    if (container && error.isEmpty())
        open.emplace(container.get(), ckForm);
    if (container && error.isEmpty() && !job.cancelRequested.load()) {
        TjxWalkieTalkie walkieTalkie(*copy, *request.PageRequest, job.cancelRequested);
        copy->AddEventNotify(&walkieTalkie);
        try {
            copy->Print();
        } catch (const std::exception& e) {
            error = GetMessage(msg::BackgroundCannotGenerate) + QStringLiteral("\r\n") + ErrorText(e);
        }
        copy->RemoveEventNotify(&walkieTalkie);
    }
    open.reset();
    {
        TComponentNameWriteGuard names;
        container.reset();
    }
    std::lock_guard guard(job.lock);
    job.workerError = error;
}

void WorkerThread(std::shared_ptr<TjxBackgroundPrintJob> job, std::shared_ptr<TjxQueueWakeUp> wakeUp)
{
    // Qt's thread priorities do nothing here: the scheduler is told directly.
    setpriority(PRIO_PROCESS, pid_t(gettid()), 19);
    // A worker may show no window: its boxes become part of the job's error.
    QStringList boxes;
    SetThreadMessageBoxHandler([&boxes](const TjxMessageBoxCall& call) {
        boxes << call.text;
        return call.buttons & mbOK ? mrOK : call.buttons & mbYes ? mrYes : mrCancel;
    });
    ++ReportWorkerCount();
    try {
        RunJob(*job);
    } catch (const std::exception& e) {
        std::lock_guard guard(job->lock);
        if (job->workerError.isEmpty())
            job->workerError = ErrorText(e);
    } catch (...) {
    }
    if (--ReportWorkerCount() < 0)
        ReportWorkerCount() = 0;
    SetThreadMessageBoxHandler(nullptr);
    {
        std::lock_guard guard(job->lock);
        // A worker that fails before its container is ready still releases the wait.
        job->containerReady = true;
        for (const QString& box : std::as_const(boxes))
            job->workerError += (job->workerError.isEmpty() ? QString() : QStringLiteral("\r\n")) + box;
    }
    job->ready.notify_all();
    std::lock_guard guard(wakeUp->lock);
    wakeUp->ended.push_back(job);
    if (wakeUp->receiver) {
        TjxBackgroundPrintQueue* queue = wakeUp->queue;
        QMetaObject::invokeMethod(wakeUp->receiver, [queue] { queue->ProcessEndedWorkers(); },
                                  Qt::QueuedConnection);
    }
}

bool OnUserInterfaceThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

} // namespace

// ---- the queue ----

TjxBackgroundPrintQueue::TjxBackgroundPrintQueue() : m_wakeUp(std::make_shared<TjxQueueWakeUp>())
{
    m_wakeUp->queue = this;
    m_wakeUp->receiver = new QObject();
    if (QCoreApplication* app = QCoreApplication::instance())
        m_wakeUp->receiver->moveToThread(app->thread());
}

TjxBackgroundPrintQueue::~TjxBackgroundPrintQueue()
{
    Shutdown();
    std::lock_guard guard(m_wakeUp->lock);
    // Posted wake-ups die with their receiver.
    delete std::exchange(m_wakeUp->receiver, nullptr);
    m_wakeUp->queue = nullptr;
}

void TjxBackgroundPrintQueue::Add(std::unique_ptr<TjxBackgroundPrintRequest> request)
{
    std::lock_guard guard(m_lock);
    if (!request) {
        m_error = GetMessage(msg::BackgroundQueueNilRequest);
        return;
    }
    if (m_shutDown)
        return;
    m_queued.push_back(std::move(request));
    StartNext();
}

void TjxBackgroundPrintQueue::StartNext()
{
    std::lock_guard guard(m_lock);
    // One worker at a time: a cancelled one still running holds the place.
    if (m_current || m_queued.empty() || m_shutDown)
        return;
    auto job = std::make_shared<TjxBackgroundPrintJob>();
    job->request = std::move(m_queued.front());
    m_queued.pop_front();
    m_current = job;
    job->thread = std::thread(WorkerThread, job, m_wakeUp);
    WaitForContainer(job);
}

void TjxBackgroundPrintQueue::WaitForContainer(const std::shared_ptr<TjxBackgroundPrintJob>& job)
{
    // Waits in short slices, letting the user interface run between them,
    // so that a slow container never stalls the window.
    constexpr int kSliceMs = 25;
    const bool processEvents = OnUserInterfaceThread();
    for (int waited = 0; waited < ContainerTimeoutMs;) {
        const int slice = std::min(kSliceMs, ContainerTimeoutMs - waited);
        {
            std::unique_lock lock(job->lock);
            if (job->ready.wait_for(lock, std::chrono::milliseconds(slice), [&] { return job->containerReady.load(); }))
                return;
        }
        waited += slice;
        if (processEvents)
            QCoreApplication::processEvents();
    }
    std::lock_guard lock(job->lock);
    if (job->containerReady)
        return;
    job->timeoutNotice =
        MessageText(msg::BackgroundContainerTimeout, {QString::number(ContainerTimeoutMs / 1000.0)});
}

void TjxBackgroundPrintQueue::ProcessEndedWorkers()
{
    std::vector<std::shared_ptr<TjxBackgroundPrintJob>> ended;
    {
        std::lock_guard guard(m_wakeUp->lock);
        ended.swap(m_wakeUp->ended);
    }
    for (const auto& job : ended)
        WorkerEnded(job.get());
}

void TjxBackgroundPrintQueue::WorkerEnded(TjxBackgroundPrintJob* job)
{
    {
        std::lock_guard guard(m_lock);
        if (job->thread.joinable())
            job->thread.join();
        QString text;
        {
            std::lock_guard lock(job->lock);
            // The timeout notice never hides the job's own error: both are told.
            text = job->timeoutNotice;
            if (!job->workerError.isEmpty())
                text += (text.isEmpty() ? QString() : QStringLiteral("\r\n")) + job->workerError;
        }
        if (!text.isEmpty())
            m_error = text;
        if (m_current.get() == job)
            m_current.reset();
        StartNext();
    }
    if (ChangeHandler)
        ChangeHandler();
}

void TjxBackgroundPrintQueue::Flush()
{
    std::lock_guard guard(m_lock);
    // The running job's request stays with its worker until it ended.
    if (m_current)
        m_current->cancelRequested = true;
    m_queued.clear();
}

int TjxBackgroundPrintQueue::RequestCount() const
{
    std::lock_guard guard(m_lock);
    return int(m_queued.size()) + (m_current ? 1 : 0);
}

QString TjxBackgroundPrintQueue::TakeError()
{
    std::lock_guard guard(m_lock);
    return std::exchange(m_error, QString());
}

void TjxBackgroundPrintQueue::Shutdown()
{
    std::shared_ptr<TjxBackgroundPrintJob> running;
    {
        std::lock_guard guard(m_lock);
        m_shutDown = true;
        m_queued.clear();
        running = std::exchange(m_current, nullptr);
        if (running)
            running->cancelRequested = true;
    }
    if (running && running->thread.joinable())
        running->thread.join();
    std::lock_guard guard(m_wakeUp->lock);
    m_wakeUp->ended.clear();
}

// ---- the manager ----

TjxBackgroundPrintManager& TjxBackgroundPrintManager::Instance()
{
    static TjxBackgroundPrintManager manager;
    return manager;
}

TjxBackgroundPrintManager::TjxBackgroundPrintManager()
{
    m_queue.ChangeHandler = [this] { Changed(); };
    // Closing the program cancels the job in progress and joins its worker
    // while the application still exists.
    if (QCoreApplication* app = QCoreApplication::instance())
        QObject::connect(app, &QCoreApplication::aboutToQuit, [this] { Shutdown(); });
}

TjxBackgroundPrintManager::~TjxBackgroundPrintManager()
{
    Shutdown();
}

void TjxBackgroundPrintManager::Print(TPersistent* producer, const TjxPageRequest* pageRequest,
                                      const QString& textFileName, const QString& archiveFileName,
                                      const QString& deviceType)
{
    std::lock_guard guard(m_lock);
    if (!dynamic_cast<TjxCustomReport*>(producer))
        throw EBackgroundPrintError(GetMessage(msg::BackgroundNotSupported) +
                                    (producer ? producer->ClassName() : QString()));
    // A request that cannot be made is refused to its caller; the jobs of
    // others are left alone.
    auto request =
        std::make_unique<TjxBackgroundPrintRequest>(producer, textFileName, archiveFileName, deviceType, pageRequest);
    m_queue.Add(std::move(request));
}

void TjxBackgroundPrintManager::Flush()
{
    std::lock_guard guard(m_lock);
    m_queue.Flush();
}

int TjxBackgroundPrintManager::RequestCount() const
{
    std::lock_guard guard(m_lock);
    return m_queue.RequestCount();
}

void TjxBackgroundPrintManager::Shutdown()
{
    m_queue.Shutdown();
}

void TjxBackgroundPrintManager::Changed()
{
    const QString error = m_queue.TakeError();
    if (!error.isEmpty()) {
        if (ErrorHandler)
            ErrorHandler(error);
        else
            ShowMessageBox(error, mtWarning, mbOK);
    }
    if (ThreadEndedHandler)
        ThreadEndedHandler();
    if (RequestCount() == 0 && AllThreadsEndedHandler)
        AllThreadsEndedHandler();
}

// ---- the producer's hand-over ----

void TjxProducer::InternalPrintInBackground(const TjxPageRequest* pageRequest, const QString& deviceType,
                                            const QString& textFileName, const QString& archiveFileName)
{
    if (deviceType == u"Screen")
        throw EBackgroundPrintError(GetMessage(msg::BackgroundScreenDevice));
    TjxBackgroundPrintManager::Instance().Print(this, pageRequest, textFileName, archiveFileName, deviceType);
}

bool TjxProducer::HandOffToBackground()
{
    if (!m_backgroundPrintSettings->Active() || m_deviceType == u"Screen")
        return false;
    InternalPrintInBackground(nullptr, m_deviceType, m_textFileName, m_archiveFileName);
    return true;
}

} // namespace orvane
