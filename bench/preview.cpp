// The preview window on a list report of 100,000 SQLite rows (about 3,000
// pages), in one pass and in two: time to the first page shown (and, in two
// passes, how long the first pass took), page turns (next) at 100 % and at
// whole page (median and worst of 200, repaint included), the jump to the
// last page, and the memory while paging through every page.
//   scripts/bench, or build/bench/bench_preview [ROWS] [search]
// With "search" only the search is run, after the window has been to the last
// page: the run to profile (valgrind --tool=callgrind
// --toggle-collect='orvane::TjxTextSearchPreview::Search()').
// The SQLite file is made once under /tmp. Figures only; nothing is asserted.

#include "bench/bench_support.h"
#include "components/db_text.h"
#include "components/label.h"
#include "components/system_variable.h"
#include "document/page_def.h"
#include "document/printer_setup.h"
#include "document/report.h"
#include "engine/db_pipeline.h"
#include "output/page.h"
#include "preview/preview.h"
#include "preview/print_preview.h"
#include "preview/screen_device.h"
#include "preview/text_search_preview.h"
#include "preview/viewer.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unistd.h>
#include <vector>

using namespace orvane;

namespace {

using orvane::bench::THost;

using orvane::bench::PeakMemoryMb;

const char* const kFile = "/tmp/orvane_bench_preview.sqlite";

void EnsureFile(int rows)
{
    const QString connection = QStringLiteral("bench.preview");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(QString::fromLatin1(kFile));
        db.open();
        QSqlQuery q(db);
        if (!(q.exec(QStringLiteral("SELECT COUNT(*) FROM orders")) && q.next() && q.value(0).toInt() == rows)) {
            q.exec(QStringLiteral("DROP TABLE IF EXISTS orders"));
            q.exec(QStringLiteral("CREATE TABLE orders (id INTEGER, name VARCHAR(30), placed VARCHAR(10), amount REAL)"));
            db.transaction();
            q.prepare(QStringLiteral("INSERT INTO orders VALUES (?, ?, ?, ?)"));
            for (int i = 1; i <= rows; ++i) {
                q.addBindValue(i);
                q.addBindValue(QStringLiteral("Customer %1").arg(i));
                q.addBindValue(QStringLiteral("2026-%1-%2")
                                   .arg(1 + i % 12, 2, 10, QChar(u'0'))
                                   .arg(1 + i % 28, 2, 10, QChar(u'0')));
                q.addBindValue(i * 1.25);
                q.exec();
            }
            db.commit();
        }
    }
    QSqlDatabase::removeDatabase(connection);
}

long CurrentMemoryMb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * sysconf(_SC_PAGESIZE) / (1024 * 1024) : 0;
}

// The processor time of this thread, which does all the work (engine, SQLite,
// drawing): on a machine shared with other work it says more than the clock.
double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The list report of the preview tests: a title, four fields a row, "Page n
// of m" (two passes) or "Page n" (one pass) at the foot of every page.
struct ListReport {
    THost host;
    TjxReport* report = nullptr;

    explicit ListReport(bool twoPass)
    {
        report = new TjxReport(&host);
        report->SetName(QStringLiteral("rptList"));
        report->SetPassSetting(twoPass ? psTwoPass : psOnePass);
        report->SetPropertyValue(u"ModalPreview", false);
        // The window fills the 1024 x 768 test screen.
        report->PreviewFormSettings()->SetWindowState(wsMaximized);
        TjxPageDef* def = report->PrinterSetup()->PageDef();
        def->SetmmWidth(210079);
        def->SetmmHeight(297127);
        auto* pipeline = new TjxDBPipeline(&host);
        pipeline->SetName(QStringLiteral("plOrders"));
        pipeline->SetDatabaseName(QString::fromLatin1(kFile));
        pipeline->SetTableName(QStringLiteral("orders"));
        report->SetDataPipeline(pipeline);
        TjxBand* header = report->CreateBand(btHeader);
        header->SetmmHeight(12000);
        auto* title = new TjxLabel(&host);
        title->SetName(QStringLiteral("lblTitle"));
        title->SetParentComponent(header);
        title->SetCaption(QStringLiteral("Orders"));
        title->SetBounds(6350, 2000, 6000, 60000);
        title->Font()->SetName(QStringLiteral("Arial"));
        title->Font()->SetSize(12);
        TjxBand* detail = report->CreateBand(btDetail);
        detail->SetmmHeight(8000);
        const char* fields[] = {"id", "name", "placed", "amount"};
        for (int i = 0; i < 4; ++i) {
            auto* text = new TjxDBText(&host);
            text->SetName(QStringLiteral("txt%1").arg(i));
            text->SetParentComponent(detail);
            text->SetDataPipeline(pipeline);
            text->SetDataField(QString::fromLatin1(fields[i]));
            text->SetBounds(6350 + i * 45000, 1000, 4500, 44000);
            text->Font()->SetName(QStringLiteral("Arial"));
            text->Font()->SetSize(10);
            if (i == 3)
                text->SetDisplayFormat(QStringLiteral("#,0.00"));
        }
        TjxBand* footer = report->CreateBand(btFooter);
        footer->SetmmHeight(8000);
        auto* pageNo = new TjxSystemVariable(&host);
        pageNo->SetName(QStringLiteral("varPage"));
        pageNo->SetParentComponent(footer);
        pageNo->SetVarType(twoPass ? vtPageSetDesc : vtPageNoDesc);
        pageNo->SetBounds(150000, 1000, 5000, 40000);
        pageNo->Font()->SetName(QStringLiteral("Arial"));
        pageNo->Font()->SetSize(10);
    }
};

struct Turns {
    double median = 0, worst = 0, cpuMedian = 0;
    int count = 0;
};

Turns Summary(std::vector<double> wall, std::vector<double> cpu)
{
    if (wall.empty())
        return {};
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], wall.back(), cpu[cpu.size() / 2], int(wall.size())};
}

// Next page up to `turns` times (fewer on the last page); each turn ends once
// the window has repainted.
Turns TurnPages(TjxViewer* viewer, int turns)
{
    std::vector<double> wall, cpu;
    QElapsedTimer timer;
    for (int i = 0; i < turns && !viewer->CurrentPage()->LastPage(); ++i) {
        const double cpuStart = CpuMs();
        timer.start();
        viewer->NextPage();
        QApplication::processEvents();
        wall.push_back(timer.nsecsElapsed() / 1e6);
        cpu.push_back(CpuMs() - cpuStart);
    }
    return Summary(wall, cpu);
}

void PrintTurns(const char* name, const char* what, const Turns& t)
{
    std::printf("%-10s %-26s median %7.2f ms, worst %7.2f ms (%d turns; processor median %.2f ms)\n", name, what,
                t.median, t.worst, t.count, t.cpuMedian);
}

// Page turns at two zooms, the jump to the last page and a walk through every
// page with the memory on the way; answers the last page's number.
int MeasurePaging(const char* name, TjxViewer* viewer, long atStart, const long& started)
{
    QElapsedTimer timer;
    viewer->SetZoomSetting(zs100Percent);
    PrintTurns(name, "next page at 100 %", TurnPages(viewer, 200));
    viewer->SetZoomSetting(zsWholePage);
    PrintTurns(name, "next page at whole page", TurnPages(viewer, 200));

    const int from = viewer->AbsolutePageNo();
    timer.start();
    viewer->LastPage();
    QApplication::processEvents();
    std::printf("%-10s jump to the last page       %9.1f ms (page %d to %d)\n", name, timer.nsecsElapsed() / 1e6,
                from, viewer->AbsolutePageNo());
    const int last = viewer->AbsolutePageNo();

    // Every page from the first, memory sampled on the way.
    timer.start();
    viewer->FirstPage();
    QApplication::processEvents();
    std::printf("%-10s back to the first page      %9.1f ms\n", name, timer.nsecsElapsed() / 1e6);
    const long atFirst = CurrentMemoryMb();
    long highest = atFirst;
    const long startedBefore = started;
    QElapsedTimer turn;
    std::vector<double> wall, cpu;
    timer.start();
    for (int page = 2; page <= last; ++page) {
        const double turnCpu = CpuMs();
        turn.start();
        viewer->NextPage();
        QApplication::processEvents();
        wall.push_back(turn.nsecsElapsed() / 1e6);
        cpu.push_back(CpuMs() - turnCpu);
        if (page % 10 == 0)
            highest = std::max(highest, CurrentMemoryMb());
    }
    std::printf("%-10s paged through all %d pages %9.1f ms (now on page %d; %ld pages made)\n", name, last,
                timer.nsecsElapsed() / 1e6, viewer->AbsolutePageNo(), started - startedBefore);
    PrintTurns(name, "  each of those turns", Summary(wall, cpu));
    std::printf("%-10s memory: %ld MB before the preview, %ld MB on page 1, at most %ld MB while paging, %ld MB at "
                "the end; process peak so far %ld MB\n",
                name, atStart, atFirst, highest, CurrentMemoryMb(), PeakMemoryMb());
    return last;
}

// With `searchOnly`, the window goes to the last page and back (so that every
// page has been made once) and only the search is measured: the run to
// profile with callgrind.
void Run(bool twoPass, int rows, bool searchOnly)
{
    ListReport list(twoPass);
    const char* name = twoPass ? "two passes" : "one pass";
    QElapsedTimer timer;
    // The first page that is not a calculation page ends the first pass.
    double firstPass = -1;
    TMethod onCreate;
    onCreate.code = [&list, &timer, &firstPass](TComponent*, TjxEventParams&) {
        auto* form = dynamic_cast<TjxPrintPreview*>(list.report->PreviewForm());
        if (!form)
            return;
        form->PreviewViewer()->ScreenDevice()->ReceivePageHandler = [&timer, &firstPass](TjxDevice*, TjxPage* page) {
            if (firstPass < 0 && !page->Calculation())
                firstPass = timer.nsecsElapsed() / 1e6;
        };
    };
    list.report->ClassInfo().FindProperty(u"OnPreviewFormCreate")->setMethod(*list.report, onCreate);
    // Pages the engine starts: how much each turn makes.
    long started = 0;
    TMethod onStartPage;
    onStartPage.code = [&started](TComponent*, TjxEventParams&) { ++started; };
    list.report->SetOnStartPage(onStartPage);

    const long atStart = CurrentMemoryMb();
    const double cpuStart = CpuMs();
    timer.start();
    list.report->Print();
    auto* form = dynamic_cast<TjxPrintPreview*>(list.report->PreviewForm());
    if (!form) {
        std::printf("%s: no preview window\n", name);
        return;
    }
    TjxViewer* viewer = form->PreviewViewer();
    QApplication::processEvents();
    const double firstPage = timer.nsecsElapsed() / 1e6;
    std::printf("%-10s first page shown            %9.1f ms, processor %.1f ms (page %d of %d, window %dx%d)\n", name,
                firstPage, CpuMs() - cpuStart, viewer->AbsolutePageNo(), viewer->CurrentPage()->AbsolutePageCount(),
                form->Window()->width(), form->Window()->height());
    if (twoPass)
        std::printf("%-10s   of which the first pass   %9.1f ms, then %.1f ms to the page on screen\n", name,
                    firstPass, firstPage - firstPass);

    int last = 0;
    if (searchOnly) {
        viewer->LastPage();
        QApplication::processEvents();
        last = viewer->AbsolutePageNo();
    } else {
        last = MeasurePaging(name, viewer, atStart, started);
    }

    // A name only the last page shows, searched for from the first page.
    auto* preview = dynamic_cast<TjxPreview*>(form->Preview());
    if (TjxTextSearchPreview* search = preview ? preview->SearchPreview() : nullptr) {
        viewer->FirstPage();
        QApplication::processEvents();
        const long before = CurrentMemoryMb();
        const double searchCpu = CpuMs();
        search->Edit()->setText(QStringLiteral("Customer %1").arg(rows));
        timer.start();
        search->Search();
        QApplication::processEvents();
        std::printf("%-10s search to the last page     %9.1f ms, processor %.1f ms (%d found, on page %d of %d); "
                    "memory %ld MB before, %ld MB after\n",
                    name, timer.nsecsElapsed() / 1e6, CpuMs() - searchCpu, search->Engine().OccurrenceCount(),
                    viewer->AbsolutePageNo(), last, before, CurrentMemoryMb());
    }
    form->Close();
    while (list.report->PreviewForm())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

} // namespace

int main(int argc, char** argv)
{
    // The test screen of the widget tests: 1024 x 768 at 96 dpi.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + ORVANE_OFFSCREEN_CONFIG);
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // Other benchmarks' options may come along from scripts/bench: only a number counts.
    bool given = false;
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt(&given) : 0;
    const int count = given ? std::max(1000, rows) : 100000;
    EnsureFile(count);
    std::printf("preview of a list report of %d SQLite rows (A4)\n", count);
    // "search": only the search, after the window has been to the last page.
    bool searchOnly = false;
    for (int i = 1; i < argc; ++i)
        searchOnly = searchOnly || QByteArray(argv[i]) == "search";
    Run(false, count, searchOnly);
    Run(true, count, searchOnly);
    return 0;
}
