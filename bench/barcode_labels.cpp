// 10,000 labels, each with a Code 128 and an EAN-13 data-aware barcode read
// from SQLite, rendered to PDF by orvane-cli as a user runs it. Prints the
// time and labels per second.
//   scripts/bench --benchmark_filter=BarCodeLabels
// The SQLite file and the template are made once under /tmp.

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const char* const kData = "/tmp/orvane_bench_barcodes.sqlite";
const char* const kTemplate = "/tmp/orvane_bench_barcodes.rtm";
constexpr int kLabels = 10000;

void EnsureFiles()
{
    const QString connection = QStringLiteral("bench.barcodes");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(QString::fromLatin1(kData));
        db.open();
        QSqlQuery q(db);
        if (!(q.exec(QStringLiteral("SELECT COUNT(*) FROM labels")) && q.next() && q.value(0).toInt() == kLabels)) {
            q.exec(QStringLiteral("DROP TABLE IF EXISTS labels"));
            q.exec(QStringLiteral("CREATE TABLE labels (code TEXT, ean TEXT)"));
            db.transaction();
            q.prepare(QStringLiteral("INSERT INTO labels VALUES (?, ?)"));
            for (int i = 1; i <= kLabels; ++i) {
                q.addBindValue(QStringLiteral("PART-%1-X").arg(i, 6, 10, QChar(u'0')));
                q.addBindValue(QStringLiteral("590%1").arg(i, 9, 10, QChar(u'0')));
                q.exec();
            }
            db.commit();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    QFile f(QString::fromLatin1(kTemplate));
    f.open(QIODevice::WriteOnly);
    f.write("object rptLabels: TjxReport\r\n"
            "  DataPipelineName = 'plLabels'\r\n"
            "  PrinterSetup.mmPaperHeight = 297000\r\n"
            "  PrinterSetup.mmPaperWidth = 210000\r\n"
            "  Version = '9.01'\r\n"
            "  object jxDetailBand1: TjxDetailBand\r\n"
            "    mmHeight = 30000\r\n"
            "    object jxDBBarCode1: TjxDBBarCode\r\n"
            "      AutoEncode = True\r\n"
            "      BarCodeType = bcCode128\r\n"
            "      DataField = 'code'\r\n"
            "      DataPipelineName = 'plLabels'\r\n"
            "      mmHeight = 20000\r\n"
            "      mmWidth = 60000\r\n"
            "    end\r\n"
            "    object jxDBBarCode2: TjxDBBarCode\r\n"
            "      BarCodeType = bcEAN_13\r\n"
            "      DataField = 'ean'\r\n"
            "      DataPipelineName = 'plLabels'\r\n"
            "      mmBarWidth = 330\r\n"
            "      mmLeft = 100000\r\n"
            "      mmHeight = 28000\r\n"
            "      mmWidth = 40000\r\n"
            "    end\r\n"
            "  end\r\n"
            "end\r\n");
}

void BM_BarCodeLabelsToPdf(benchmark::State& state)
{
    EnsureFiles();
    for (auto _ : state) {
        QTemporaryDir out;
        QProcess p;
        p.start(QStringLiteral(ORVANE_CLI),
                {QStringLiteral("render"), QString::fromLatin1(kTemplate), QStringLiteral("--db"),
                 QString::fromLatin1(kData), QStringLiteral("--to"), QStringLiteral("pdf"), QStringLiteral("-o"),
                 out.filePath(QStringLiteral("labels.pdf"))});
        if (!p.waitForFinished(600000) || p.exitCode() != 0)
            state.SkipWithError("orvane-cli failed");
    }
    state.counters["labels_per_s"] =
        benchmark::Counter(double(kLabels) * double(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_BarCodeLabelsToPdf)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
