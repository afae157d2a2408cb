#pragma once

// A container as a program's form would be: an SQLite pipeline, a two-page
// receipt and a list report of the pipeline's items. The background worker
// makes its copies through the factory registered here.

#include "document/class_registry.h"
#include "document/errors.h"
#include "document/report.h"
#include "document/report_template.h"
#include "engine/db_pipeline.h"
#include "output/background_print.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <deque>
#include <mutex>

namespace orvane::test {

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif

class TJobContainer : public TComponent {
    ORVANE_CLASS(TJobContainer, TComponent)
public:
    explicit TJobContainer(TComponent* owner = nullptr) : TComponent(owner) {}
};

inline const TClassInfo& TJobContainer::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TJobContainer>("TJobContainer", &TComponent::StaticClass()).Creatable().Build();
    return info;
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
    QString data = dir.filePath(QStringLiteral("data.sqlite"));
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
        WriteTemplate(QStringLiteral("list.rtm"), kList);
        Load(Receipt(), QStringLiteral("receipt.rtm"));
        Load(List(), QStringLiteral("list.rtm"));
    }
    ~BackgroundJobs() { UnregisterContainerFactory(QStringLiteral("TJobContainer")); }

    TjxReport* Receipt() const { return dynamic_cast<TjxReport*>(container->FindComponent(u"rptReceipt")); }
    TjxReport* List() const { return dynamic_cast<TjxReport*>(container->FindComponent(u"rptList")); }

    void MakeListData(int items)
    {
        const QString connection = QStringLiteral("background.jobs.setup");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            db.setDatabaseName(data);
            db.open();
            QSqlQuery q(db);
            q.exec(QStringLiteral("CREATE TABLE items (id INTEGER, name TEXT)"));
            db.transaction();
            q.prepare(QStringLiteral("INSERT INTO items VALUES (?, ?)"));
            for (int i = 1; i <= items; ++i) {
                q.addBindValue(i);
                q.addBindValue(QStringLiteral("Item %1").arg(i));
                q.exec();
            }
            db.commit();
        }
        QSqlDatabase::removeDatabase(connection);
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

    void Load(TjxReport* report, const QString& name)
    {
        report->Template()->SetFileName(dir.filePath(name));
        report->Template()->LoadFromFile();
    }

    // Two pages: a label and the page number on a detail band printed twice.
    static constexpr const char* kReceipt = "object rptReceipt: TjxReport\r\n"
                                            "  AutoStop = False\r\n"
                                            "  PageLimit = 2\r\n"
                                            "  PrinterSetup.DocumentName = 'Receipt'\r\n"
                                            "  PrinterSetup.mmPaperHeight = 297000\r\n"
                                            "  PrinterSetup.mmPaperWidth = 210000\r\n"
                                            "  Version = '9.01'\r\n"
                                            "  object jxDetailBand1: TjxDetailBand\r\n"
                                            "    mmHeight = 200000\r\n"
                                            "    object jxLabel1: TjxLabel\r\n"
                                            "      Caption = 'Trust account receipt'\r\n"
                                            "      mmHeight = 5000\r\n"
                                            "      mmWidth = 80000\r\n"
                                            "    end\r\n"
                                            "    object jxSystemVariable1: TjxSystemVariable\r\n"
                                            "      VarType = vtPageNo\r\n"
                                            "      mmTop = 10000\r\n"
                                            "      mmHeight = 5000\r\n"
                                            "      mmWidth = 20000\r\n"
                                            "    end\r\n"
                                            "  end\r\n"
                                            "end\r\n";
    // Three items to an A4 page.
    static constexpr const char* kList = "object rptList: TjxReport\r\n"
                                         "  DataPipelineName = 'plItems'\r\n"
                                         "  PrinterSetup.DocumentName = 'List'\r\n"
                                         "  PrinterSetup.mmMarginBottom = 13500\r\n"
                                         "  PrinterSetup.mmMarginTop = 13500\r\n"
                                         "  PrinterSetup.mmPaperHeight = 297000\r\n"
                                         "  PrinterSetup.mmPaperWidth = 210000\r\n"
                                         "  Version = '9.01'\r\n"
                                         "  object jxDetailBand1: TjxDetailBand\r\n"
                                         "    mmHeight = 90000\r\n"
                                         "    object jxDBText1: TjxDBText\r\n"
                                         "      DataField = 'name'\r\n"
                                         "      DataPipelineName = 'plItems'\r\n"
                                         "      mmHeight = 5000\r\n"
                                         "      mmWidth = 40000\r\n"
                                         "    end\r\n"
                                         "  end\r\n"
                                         "end\r\n";

    std::mutex m_lock;
    std::deque<Settings> m_next;
};

} // namespace orvane::test
