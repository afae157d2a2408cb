// Traversing 1,000,000 records of 5 fields, reading every field, from an
// SQLite file, from memory and from a comma-separated file near the text
// pipeline's size limit. Records per second are reported as items/s; the text
// file run also reports the memory its records take (resident set growth).
//   scripts/bench --benchmark_filter=Pipeline
// The SQLite file is made once under /tmp.

#include "bench/bench_support.h"
#include "engine/db_pipeline.h"
#include "engine/field.h"
#include "engine/memory_pipeline.h"
#include "engine/text_pipeline.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <benchmark/benchmark.h>

#include <fstream>
#include <unistd.h>
#include <string>

using namespace orvane;

namespace {

using orvane::bench::THost;

constexpr int kRecords = 1000000;
const char* const kFile = "/tmp/orvane_bench_pipeline.sqlite";

void EnsureFile()
{
    const QString file = QString::fromLatin1(kFile);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench.setup"));
        db.setDatabaseName(file);
        db.open();
        QSqlQuery q(db);
        if (!(q.exec(QStringLiteral("SELECT COUNT(*) FROM items")) && q.next() && q.value(0).toInt() == kRecords)) {
            q.exec(QStringLiteral("DROP TABLE IF EXISTS items"));
            q.exec(QStringLiteral("CREATE TABLE items (id INTEGER, name VARCHAR(20), amount REAL, qty INTEGER, note TEXT)"));
            q.exec(QStringLiteral("BEGIN"));
            q.prepare(QStringLiteral("INSERT INTO items VALUES (?, ?, ?, ?, ?)"));
            for (int i = 0; i < kRecords; ++i) {
                q.bindValue(0, i);
                q.bindValue(1, QStringLiteral("name %1").arg(i));
                q.bindValue(2, i * 0.25);
                q.bindValue(3, i % 100);
                q.bindValue(4, QStringLiteral("note"));
                q.exec();
            }
            QSqlQuery(db).exec(QStringLiteral("COMMIT"));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench.setup"));
}

int64_t Walk(TjxDataPipeline& p)
{
    const int fields = p.FieldCount();
    int64_t sum = 0;
    p.First();
    while (!p.Eof()) {
        for (int f = 0; f < fields; ++f)
            sum += p.GetFieldValueAt(f).kind;
        p.Next();
    }
    return sum;
}

void BM_PipelineSqlite(benchmark::State& state)
{
    EnsureFile();
    THost host;
    for (auto _ : state) {
        auto* p = new TjxDBPipeline(&host);
        p->SetDatabaseName(QString::fromLatin1(kFile));
        p->SetTableName(QStringLiteral("items"));
        p->Open();
        benchmark::DoNotOptimize(Walk(*p));
        delete p;
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_PipelineSqlite)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PipelineMemory(benchmark::State& state)
{
    THost host;
    auto* p = new TjxMemoryPipeline(&host);
    p->AddField(QStringLiteral("id"), dtInteger);
    p->AddField(QStringLiteral("name"), dtString);
    p->AddField(QStringLiteral("amount"), dtDouble);
    p->AddField(QStringLiteral("qty"), dtInteger);
    p->AddField(QStringLiteral("note"), dtString);
    std::vector<std::vector<TVarValue>> rows;
    rows.reserve(kRecords);
    const TVarValue note = TVarValue::WideString(QStringLiteral("note"));
    for (int i = 0; i < kRecords; ++i)
        rows.push_back({TVarValue::Integer(i), TVarValue::WideString(QStringLiteral("name")), TVarValue::Double(i * 0.25),
                        TVarValue::Integer(i % 100), note});
    p->SetRows(std::move(rows));
    p->Open();
    for (auto _ : state)
        benchmark::DoNotOptimize(Walk(*p));
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_PipelineMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

// Resident memory now, in MB.
double ResidentMB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void BM_PipelineTextFile(benchmark::State& state)
{
    // About 60 MB: 1,000,000 records just under the 64 MiB limit.
    const QString file = QStringLiteral("/tmp/orvane_bench_pipeline.csv");
    if (QFile::exists(file) == false || QFile(file).size() > TjxTextPipeline::kMaxFileSize) {
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write("id,name,amount,qty,note\n");
        for (int i = 0; i < kRecords; ++i)
            f.write(QStringLiteral("%1,name %1,%2,%3,\"a note, quoted, and somewhat longer\"\n").arg(i).arg(i * 0.25).arg(i % 100).toUtf8());
    }
    THost host;
    double grown = 0;
    for (auto _ : state) {
        auto* p = new TjxTextPipeline(&host);
        p->SetFileName(file);
        const double before = ResidentMB();
        p->Open();
        grown = ResidentMB() - before;
        benchmark::DoNotOptimize(Walk(*p));
        delete p;
    }
    state.counters["file_MB"] = double(QFile(file).size()) / (1024.0 * 1024.0);
    state.counters["records_MB"] = grown;
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_PipelineTextFile)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
