// Traversing 1,000,000 records of 5 fields, reading every field, from an
// SQLite file and from memory. Records per second are reported as items/s.
//   scripts/bench --benchmark_filter=Pipeline
// The SQLite file is made once under /tmp.

#include "engine/db_pipeline.h"
#include "engine/field.h"
#include "engine/memory_pipeline.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <benchmark/benchmark.h>

using namespace orvane;

namespace {

constexpr int kRecords = 1000000;
const char* const kFile = "/tmp/orvane_bench_pipeline.sqlite";

class THost : public TComponent {
public:
    THost() : TComponent(nullptr) {}
};

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

} // namespace

BENCHMARK_MAIN();
