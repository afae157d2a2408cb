// Background printing of Ravelle's receipt to PDF: jobs per second with one
// job at a time and with a second one always queued behind the running one;
// the user-interface thread's time per job (the layout copy and queueing);
// and the worst lateness of a 50 ms timer while ten jobs print.
//   scripts/bench --benchmark_filter=Background   (target bench_background)

#include "gui_benchmark_main.h"

#include "app/receipt_form.h"
#include "document/report.h"
#include "output/background_print.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <time.h>

using namespace orvane;

namespace {

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

struct ReceiptJobs {
    QTemporaryDir dir;
    TForm1 form;
    TjxReport* receipt = nullptr;
    int made = 0;
    double uiCpuMs = 0;  // spent in Print on this thread
    QStringList errors;

    ReceiptJobs()
    {
        form.ReadDescription();
        receipt = form.Receipt();
        receipt->SetShowPrintDialog(false);
        receipt->SetShowCancelDialog(false);
        receipt->SetDeviceType(QStringLiteral("PDFFile"));
        receipt->BackgroundPrintSettings()->SetEnabled(true);
        TjxBackgroundPrintManager::Instance().ErrorHandler = [this](const QString& m) { errors << m; };
        // One job first: fonts, printers and caches are set up once per program.
        Queue();
        while (TjxBackgroundPrintManager::Instance().RequestCount() > 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        made = 0;
        uiCpuMs = 0;
        QFile::remove(dir.filePath(QStringLiteral("r0.pdf")));
    }
    ~ReceiptJobs() { TjxBackgroundPrintManager::Instance().ErrorHandler = nullptr; }

    int Written() const
    {
        return int(QDir(dir.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files).size());
    }

    void Queue()
    {
        receipt->SetTextFileName(dir.filePath(QStringLiteral("r%1.pdf").arg(made++)));
        receipt->BackgroundPrintSettings()->SetActive(true);
        const double start = ThreadCpuMs();
        receipt->Print();
        uiCpuMs += ThreadCpuMs() - start;
    }
};

int Pending()
{
    return TjxBackgroundPrintManager::Instance().RequestCount();
}

void Idle()
{
    while (Pending() > 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
}

// range(0): how many jobs are kept queued or printing at once.
void BackgroundReceiptJobs(benchmark::State& state)
{
    const int depth = int(state.range(0));
    constexpr int kJobs = 8;
    ReceiptJobs jobs;
    int done = 0;
    for (auto _ : state) {
        for (int submitted = 0; submitted < kJobs;) {
            if (Pending() < depth) {
                jobs.Queue();
                ++submitted;
            } else {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
                QThread::usleep(200);
            }
        }
        Idle();
        done += kJobs;
    }
    if (!jobs.errors.isEmpty())
        state.SkipWithError(jobs.errors.first().toStdString().c_str());
    else if (jobs.Written() != jobs.made)
        state.SkipWithError("a job wrote no PDF");
    state.counters["jobs_per_s"] = benchmark::Counter(double(done), benchmark::Counter::kIsRate);
    state.counters["ui_cpu_ms_per_job"] = jobs.uiCpuMs / std::max(1, jobs.made);
}
BENCHMARK(BackgroundReceiptJobs)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Ten jobs queued at once; a timer that should fire every 50 ms records how
// late it came.
void BackgroundTimerLateness(benchmark::State& state)
{
    ReceiptJobs jobs;
    qint64 worst = 0;
    for (auto _ : state) {
        QElapsedTimer since;
        QTimer timer;
        timer.setInterval(50);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            worst = std::max(worst, since.restart() - 50);
        });
        since.start();
        timer.start();
        for (int i = 0; i < 10; ++i)
            jobs.Queue();
        Idle();
    }
    state.counters["worst_timer_delay_ms"] = double(worst);
    state.counters["ui_cpu_ms_per_job"] = jobs.uiCpuMs / std::max(1, jobs.made);
}
BENCHMARK(BackgroundTimerLateness)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return RunGuiBenchmarks(argc, argv);
}
