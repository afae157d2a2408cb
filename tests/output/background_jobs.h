#pragma once

// A container as a program's form would be: an SQLite pipeline, a two-page
// receipt and a list report of the pipeline's items, three to a page. The background worker
// makes its copies through the factory registered here.

#include "document/class_registry.h"
#include "document/errors.h"
#include "document/report.h"
#include "document/report_template.h"
#include "document/printer.h"
#include "engine/db_pipeline.h"
#include "engine/pipeline_list.h"
#include "output/background_print.h"
#include "tests/support/two_page_receipt.h"
#include "tests/tools/list_report.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <deque>
#include <mutex>

namespace orvane::test {

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif

// What the handlers of the copies saw on their workers.
struct CopyEvents {
    std::atomic<int> cancels{0};
    std::atomic<bool> printing{false};
    // The copy cancels its own run as it begins.
    std::atomic<bool> cancelOnPrint{false};
    std::mutex lock;
    // Each pipeline a report without owner lists on the worker, and whether
    // it is the copy's own.
    QList<QPair<QString, bool>> workerList;
};

inline CopyEvents& Copies()
{
    static CopyEvents events;
    return events;
}

class TJobContainer : public TComponent {
    ORVANE_CLASS(TJobContainer, TComponent)
public:
    explicit TJobContainer(TComponent* owner = nullptr) : TComponent(owner) {}

    // Handlers a report's layout may name; they count only on a worker.
    void ReportCancelled(TComponent*, TjxEventParams&)
    {
        if (!IsMainThread())
            ++Copies().cancels;
    }
    void ReportPrinting(TComponent* sender, TjxEventParams&)
    {
        if (IsMainThread())
            return;
        if (Copies().cancelOnPrint)
            dynamic_cast<TjxReport*>(sender)->Cancel();
        TjxReport loose;
        const TjxDataPipelineList list(&loose);
        std::lock_guard guard(Copies().lock);
        Copies().workerList.clear();
        for (int i = 0; i < list.Count(); ++i)
            Copies().workerList.append({list.Names(i), list.Pipelines(i)->Owner() == this});
        Copies().printing = true;
    }
};

inline const TClassInfo& TJobContainer::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TJobContainer>("TJobContainer", &TComponent::StaticClass())
                                       .Creatable()
                                       .Method("ReportCancelled", &TJobContainer::ReportCancelled)
                                       .Method("ReportPrinting", &TJobContainer::ReportPrinting)
                                       .Build();
    return info;
}

// Names a handler of the report's owner for the report's event, as a stored layout would.
inline void BindEvent(TjxReport& report, const char16_t* event, const QString& method)
{
    TMethod handler;
    handler.data = report.Owner();
    handler.name = method;
    handler.code = report.Owner()->MethodAddress(method);
    report.ClassInfo().FindProperty(QStringView(event))->setMethod(report, handler);
}

// Waits, letting events run, until no job is queued or printing.
inline bool WaitUntilIdle(int timeoutMs = 60000)
{
    QElapsedTimer timer;
    timer.start();
    while (TjxBackgroundPrintManager::Instance().RequestCount() > 0) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

struct BackgroundJobs {
    QTemporaryDir dir;
    QString data;  // the list's items
    std::unique_ptr<TJobContainer> container;
    // How the worker's next container comes out.
    QString nameOverride;
    bool failCreation = false;
    int creationDelayMs = 0;

    BackgroundJobs()
    {
        RegisterContainerFactory(QStringLiteral("TJobContainer"), [this] { return MakeCopy(); });
        container.reset(Make(data));
        WriteTemplate(QStringLiteral("receipt.rtm"), kReceipt);
        Receipt()->Template()->SetFileName(dir.filePath(QStringLiteral("receipt.rtm")));
        Receipt()->Template()->LoadFromFile();
    }
    ~BackgroundJobs() { UnregisterContainerFactory(QStringLiteral("TJobContainer")); }

    TjxReport* Receipt() const { return dynamic_cast<TjxReport*>(container->FindComponent(u"rptReceipt")); }
    TjxReport* List() const { return dynamic_cast<TjxReport*>(container->FindComponent(u"rptList")); }

    // The list's items in an SQLite file of their own; the list report reads them.
    void MakeListData(int items)
    {
        m_list = std::make_unique<ListReport>(items);
        data = m_list->data;
        dynamic_cast<TjxDBPipeline*>(container->FindComponent(u"plItems"))->SetDatabaseName(data);
        List()->Template()->SetFileName(m_list->file);
        List()->Template()->LoadFromFile();
    }

    // The report prints to a PDF file in the background, as a user's print would.
    void Queue(TjxReport* report, const QString& file)
    {
        {
            std::lock_guard guard(m_lock);
            m_next.push_back({nameOverride, failCreation, creationDelayMs});
        }
        report->SetShowPrintDialog(false);
        report->SetShowCancelDialog(false);
        report->SetDeviceType(QStringLiteral("PDFFile"));
        report->SetTextFileName(file);
        report->BackgroundPrintSettings()->SetEnabled(true);
        report->BackgroundPrintSettings()->SetActive(true);
        report->Print();
    }

    std::unique_ptr<TjxBackgroundPrintRequest> Request(TjxReport* report, const QString& file)
    {
        return std::make_unique<TjxBackgroundPrintRequest>(report, file, QString(), QStringLiteral("PDFFile"),
                                                           nullptr);
    }

private:
    struct Settings {
        QString nameOverride;
        bool failCreation = false;
        int creationDelayMs = 0;
    };

    static TJobContainer* Make(const QString& data)
    {
        auto* made = new TJobContainer();
        made->SetName(QStringLiteral("frmJobs"));
        auto* pipeline = new TjxDBPipeline(made);
        pipeline->SetName(QStringLiteral("plItems"));
        pipeline->SetDatabaseName(data);
        pipeline->SetTableName(QStringLiteral("items"));
        for (const char* name : {"rptReceipt", "rptList"}) {
            auto* report = new TjxReport(made);
            report->SetName(QString::fromLatin1(name));
        }
        return made;
    }

    // Runs on the worker: what the settings said when the job was queued.
    TComponent* MakeCopy()
    {
        Settings settings;
        {
            std::lock_guard guard(m_lock);
            // Jobs print in queue order.
            if (!m_next.empty()) {
                settings = m_next.front();
                m_next.pop_front();
            }
        }
        if (settings.creationDelayMs > 0)
            QThread::msleep(settings.creationDelayMs);
        if (settings.failCreation)
            throw EReadError(QStringLiteral("The container's description cannot be read."));
        TJobContainer* made = Make(data);
        if (!settings.nameOverride.isEmpty())
            for (int i = 0; i < made->ComponentCount(); ++i)
                if (auto* report = dynamic_cast<TjxReport*>(made->Components(i)))
                    report->SetName(settings.nameOverride + QString::number(i));
        return made;
    }

    void WriteTemplate(const QString& name, const char* text)
    {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(text);
    }

    // Two pages: a label and the page number on a detail band printed twice.
    static constexpr const char* kReceipt = kTwoPageReceipt;
    std::unique_ptr<ListReport> m_list;
    std::mutex m_lock;
    std::deque<Settings> m_next;
};

} // namespace orvane::test
