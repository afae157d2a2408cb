// The preview window on a list report of 100,000 SQLite rows (about 3,000
// pages), in one pass and in two: time to the first page shown, page turns
// (next) at 100 % and whole page (median and worst of 200), the jump to the
// last page, and the memory while paging through every page.
//   scripts/bench, or build/bench/bench_preview [ROWS]
// The SQLite file is made once under /tmp. Figures only; nothing is asserted.

#include "components/db_text.h"
#include "components/label.h"
#include "components/system_variable.h"
#include "document/page_def.h"
#include "document/printer_setup.h"
#include "document/report.h"
#include "engine/db_pipeline.h"
#include "output/page.h"
#include "preview/print_preview.h"
#include "preview/viewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace orvane;

namespace {

const char* const kFile = "/tmp/orvane_bench_preview.sqlite";

class THost : public TComponent {
public:
    THost() : TComponent(nullptr) {}
};

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

long PeakMemoryMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

long CurrentMemoryMb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * sysconf(_SC_PAGESIZE) / (1024 * 1024) : 0;
}

struct ListReport {
    THost host;
    TjxReport* report = nullptr;

    explicit ListReport(bool twoPass)
    {
        report = new TjxReport(&host);
        report->SetName(QStringLiteral("rptList"));
        report->SetPassSetting(twoPass ? psTwoPass : psOnePass);
        report->SetPropertyValue(u"ModalPreview", false);
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
    }
};

struct Turns {
    double median = 0, worst = 0;
};

Turns TurnPages(TjxViewer* viewer, int turns)
{
    std::vector<double> times;
    QElapsedTimer timer;
    for (int i = 0; i < turns; ++i) {
        timer.start();
        viewer->NextPage();
        QApplication::processEvents();  // the repaint is part of the turn
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

void Run(bool twoPass)
{
    ListReport list(twoPass);
    const char* name = twoPass ? "two passes" : "one pass";
    QElapsedTimer timer;
    timer.start();
    list.report->Print();
    auto* form = dynamic_cast<TjxPrintPreview*>(list.report->PreviewForm());
    if (!form) {
        std::printf("%s: no preview window\n", name);
        return;
    }
    form->Window()->resize(1024, 768);
    TjxViewer* viewer = form->PreviewViewer();
    QApplication::processEvents();
    const double firstPage = timer.nsecsElapsed() / 1e6;
    std::printf("%-10s first page shown          %9.1f ms (page %d)\n", name, firstPage, viewer->AbsolutePageNo());

    viewer->SetZoomSetting(zs100Percent);
    const Turns full = TurnPages(viewer, 200);
    std::printf("%-10s next page at 100 %%        median %6.2f ms, worst %6.2f ms (200 turns)\n", name, full.median,
                full.worst);
    viewer->SetZoomSetting(zsWholePage);
    const Turns whole = TurnPages(viewer, 200);
    std::printf("%-10s next page at whole page   median %6.2f ms, worst %6.2f ms (200 turns)\n", name, whole.median,
                whole.worst);

    timer.start();
    viewer->LastPage();
    QApplication::processEvents();
    std::printf("%-10s jump to the last page     %9.1f ms (page %d)\n", name, timer.nsecsElapsed() / 1e6,
                viewer->AbsolutePageNo());
    const int last = viewer->AbsolutePageNo();

    // Every page from the first, memory sampled on the way.
    viewer->FirstPage();
    const long before = CurrentMemoryMb();
    long highest = before;
    timer.start();
    for (int page = 2; page <= last; ++page) {
        viewer->NextPage();
        if (page % 100 == 0) {
            QApplication::processEvents();
            highest = std::max(highest, CurrentMemoryMb());
        }
    }
    QApplication::processEvents();
    std::printf("%-10s paged through %d pages    %9.1f ms; memory %ld MB at page 1, at most %ld MB, %ld MB at the "
                "end; process peak %ld MB\n",
                name, last, timer.nsecsElapsed() / 1e6, before, highest, CurrentMemoryMb(), PeakMemoryMb());
    form->Close();
    while (list.report->PreviewForm())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Other benchmarks' options may come along from scripts/bench: only a number counts.
    bool given = false;
    const int asked = argc > 1 ? QByteArray(argv[1]).toInt(&given) : 0;
    const int rows = given ? std::max(1000, asked) : 100000;
    EnsureFile(rows);
    std::printf("preview of a list report of %d SQLite rows (A4, 1024x768 window)\n", rows);
    Run(false);
    Run(true);
    return 0;
}
