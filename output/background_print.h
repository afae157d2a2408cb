#pragma once

// Printing on a worker thread. The report the user prints is never handed to
// the worker: each job builds a private copy of the report's whole container
// from its class, gives it the layout saved on the user-interface thread and
// prints it with every dialog off. Jobs print one after the other.

#include <QString>
#include <QByteArray>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace orvane {

class TComponent;
class TPersistent;
class TjxAutoSearchField;
class TjxPageRequest;
class TjxPrinterSetup;
struct TClassInfo;

// Builds a container of the class anew, complete with its stored description
// (a form's settings and components). Without a factory the class's plain
// constructor is used.
using TjxContainerFactory = std::function<TComponent*()>;
void RegisterContainerFactory(const QString& className, TjxContainerFactory factory);
void UnregisterContainerFactory(const QString& className);

// One job as queued: everything the worker needs, copied on the
// user-interface thread so that later changes to the report do not reach it.
class TjxBackgroundPrintRequest {
public:
    // Raises EBackgroundPrintError for a missing producer, an object that is
    // not a producer, a producer without owner and the screen device.
    TjxBackgroundPrintRequest(TPersistent* producer, const QString& textFileName, const QString& archiveFileName,
                              const QString& deviceType, const TjxPageRequest* pageRequest);
    ~TjxBackgroundPrintRequest();
    TjxBackgroundPrintRequest(const TjxBackgroundPrintRequest&) = delete;
    TjxBackgroundPrintRequest& operator=(const TjxBackgroundPrintRequest&) = delete;

    QString ReportComponentName;
    const TClassInfo* OwnerClass = nullptr;
    QString DeviceType;
    QString TextFileName;
    QString ArchiveFileName;
    std::unique_ptr<TjxPageRequest> PageRequest;
    std::unique_ptr<TjxPrinterSetup> PrinterSetup;
    QByteArray LayoutStream;
    std::vector<std::unique_ptr<TjxAutoSearchField>> AutoSearchGroups;
};

class TjxBackgroundPrintJob;

// The queue and its worker. Only one worker is alive at a time; the worker's
// end is handled on the user-interface thread, which starts the next job.
class TjxBackgroundPrintQueue {
public:
    TjxBackgroundPrintQueue();
    ~TjxBackgroundPrintQueue();

    // Takes the request; a missing one is refused with the queue's error.
    void Add(std::unique_ptr<TjxBackgroundPrintRequest> request);
    // Cancels the job in progress (its worker ends by itself and its end is
    // handled as usual) and discards every queued job.
    void Flush();
    // The queued jobs, the one in progress included.
    int RequestCount() const;
    // Flushes, then waits for the worker and frees what is left: the
    // program is closing.
    void Shutdown();

    // Whose end was just handled, and the error text of the queue (cleared
    // by whoever passes it on).
    QString TakeError();
    // Called on the user-interface thread after each job's end was handled.
    std::function<void()> ChangeHandler;
    // How long the user-interface thread waits for a new worker's container.
    int ContainerTimeoutMs = 10000;
    // Handles the end of workers that already ended (normally posted to the
    // user-interface thread by the worker itself).
    void ProcessEndedWorkers();

private:
    void StartNext();
    void WaitForContainer(const std::shared_ptr<TjxBackgroundPrintJob>& job);
    void WorkerEnded(TjxBackgroundPrintJob* job);

    mutable std::recursive_mutex m_lock;
    std::deque<std::unique_ptr<TjxBackgroundPrintRequest>> m_queued;
    std::shared_ptr<TjxBackgroundPrintJob> m_current;
    // Jobs whose worker has ended but whose end is not handled yet.
    std::vector<std::shared_ptr<TjxBackgroundPrintJob>> m_ended;
    std::shared_ptr<std::mutex> m_endedLock;
    QString m_error;
    bool m_shutDown = false;
    // Tells the user-interface thread that a worker ended; the queue's
    // lifetime token, which the worker holds only weakly.
    std::shared_ptr<struct TjxQueueWakeUp> m_wakeUp;
};

// The process's one entry point for background jobs.
class TjxBackgroundPrintManager {
public:
    static TjxBackgroundPrintManager& Instance();

    // Queues a job for the producer; raises EBackgroundPrintError for a
    // producer that is not a report and for a request that cannot be made.
    void Print(TPersistent* producer, const TjxPageRequest* pageRequest, const QString& textFileName,
               const QString& archiveFileName, const QString& deviceType);
    void Flush();
    int RequestCount() const;
    // Cancels, joins and frees everything: the program is closing.
    void Shutdown();

    TjxBackgroundPrintQueue& Queue() { return m_queue; }

    // A job's error text; without a handler it is shown as a warning box.
    std::function<void(const QString& message)> ErrorHandler;
    std::function<void()> ThreadEndedHandler;
    std::function<void()> AllThreadsEndedHandler;

private:
    TjxBackgroundPrintManager();
    ~TjxBackgroundPrintManager();
    void Changed();

    mutable std::recursive_mutex m_lock;
    TjxBackgroundPrintQueue m_queue;
};

} // namespace orvane
