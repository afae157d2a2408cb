#pragma once

// The list report of the engine and command-line benchmarks: orders from an
// SQLite file, a page header with a title, a detail line of four fields
// (integer id, name, date, amount with a display format) and a page footer
// with the page number, on A4. Only the page geometry differs between them.

#include "bench/bench_support.h"

#include "components/db_text.h"
#include "components/label.h"
#include "components/system_variable.h"
#include "engine/data_pipeline.h"

#include <QSqlDatabase>
#include <QSqlQuery>

namespace orvane::bench {

// Made once, shared by every benchmark that reads the orders.
inline const char* const kOrdersFile = "/tmp/orvane_bench_engine.sqlite";
constexpr int kOrderCount = 100000;

inline void EnsureOrdersFile()
{
    const QString connection = QStringLiteral("bench.orders");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(QString::fromLatin1(kOrdersFile));
        db.open();
        QSqlQuery q(db);
        if (!(q.exec(QStringLiteral("SELECT COUNT(*) FROM orders")) && q.next() &&
              q.value(0).toInt() == kOrderCount)) {
            q.exec(QStringLiteral("DROP TABLE IF EXISTS orders"));
            q.exec(QStringLiteral("CREATE TABLE orders (id INTEGER, name VARCHAR(30), placed DATE, amount REAL)"));
            q.exec(QStringLiteral("BEGIN"));
            q.prepare(QStringLiteral("INSERT INTO orders VALUES (?, ?, ?, ?)"));
            for (int i = 1; i <= kOrderCount; ++i) {
                q.bindValue(0, i);
                q.bindValue(1, QStringLiteral("Customer %1").arg(i));
                q.bindValue(2, QStringLiteral("2026-%1-%2").arg(1 + i % 12, 2, 10, QChar(u'0')).arg(1 + i % 28, 2, 10,
                                                                                                        QChar(u'0')));
                q.bindValue(3, i * 1.25);
                q.exec();
            }
            QSqlQuery(db).exec(QStringLiteral("COMMIT"));
        }
    }
    QSqlDatabase::removeDatabase(connection);
}

// Heights and margins in thousandths of a millimetre; 0 margins keep the default.
struct TListLayout {
    int mmMarginTop = 0;
    int mmMarginBottom = 0;
    int mmHeader = 12000;
    int mmDetail = 8000;
    int mmFooter = 8000;
    TjxPassSettingType passes = psTwoPass;
};

// The report on a pipeline of the orders, owned by the host.
inline TjxReport* NewListReport(THost& host, TjxDataPipeline* pipeline, const TListLayout& layout)
{
    TjxReport* report = NewA4Report(host, QStringLiteral("rptList"));
    report->SetPassSetting(layout.passes);
    TjxPageDef* def = report->PrinterSetup()->PageDef();
    if (layout.mmMarginTop > 0)
        def->SetmmMarginTop(layout.mmMarginTop);
    if (layout.mmMarginBottom > 0)
        def->SetmmMarginBottom(layout.mmMarginBottom);
    report->SetDataPipeline(pipeline);

    TjxBand* header = report->CreateBand(btHeader);
    header->SetmmHeight(layout.mmHeader);
    auto* title = new TjxLabel(&host);
    title->SetName(QStringLiteral("lblTitle"));
    title->SetParentComponent(header);
    title->SetCaption(QStringLiteral("Orders"));
    title->SetBounds(0, 2000, 6000, 60000);

    TjxBand* detail = report->CreateBand(btDetail);
    detail->SetmmHeight(layout.mmDetail);
    const char* fields[] = {"id", "name", "placed", "amount"};
    for (int i = 0; i < 4; ++i) {
        auto* text = new TjxDBText(&host);
        text->SetName(QStringLiteral("txt%1").arg(i));
        text->SetParentComponent(detail);
        text->SetDataPipeline(pipeline);
        text->SetDataField(QString::fromLatin1(fields[i]));
        text->SetBounds(i * 45000, 0, std::min(4500, layout.mmDetail), 44000);
        if (i == 3)
            text->SetDisplayFormat(QStringLiteral("#,0.00"));
    }

    TjxBand* footer = report->CreateBand(btFooter);
    footer->SetmmHeight(layout.mmFooter);
    auto* pageNo = new TjxSystemVariable(&host);
    pageNo->SetName(QStringLiteral("varPage"));
    pageNo->SetParentComponent(footer);
    pageNo->SetVarType(vtPageNo);
    pageNo->SetBounds(150000, 1000, 5000, 40000);
    return report;
}

} // namespace orvane::bench
