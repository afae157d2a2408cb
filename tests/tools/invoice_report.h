#pragma once

// A grouped invoice report on SQLite: customers, their invoices and the
// invoices' lines read through one view; a group per customer with its sum,
// a grand total and "Page N of M" in the page footer. Also what other tests
// build their templates in code with.

#include "components/db_calc.h"
#include "components/db_text.h"
#include "components/label.h"
#include "components/system_variable.h"
#include "document/group.h"
#include "document/page_def.h"
#include "document/printer_setup.h"
#include "document/report.h"
#include "document/report_template.h"
#include "engine/db_pipeline.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include <gtest/gtest.h>

namespace orvane::test {

// The owner of a template's report and pipelines while they are built.
class TTemplateHost : public TComponent {
public:
    TTemplateHost() : TComponent(nullptr) {}
};

// A new component of the report on `band`, named as the designer names it; in thousandths.
template <class T>
inline T* AddComponent(TTemplateHost& host, TjxCustomReport* report, TjxBand* band, int left, int top, int width,
                       int height)
{
    auto* component = new T(&host);
    component->SetName(report->GetValidName(component));
    component->SetParentComponent(band);
    component->SetBounds(left, top, height, width);
    return component;
}

// Customers, their invoices and the invoices' lines, read through one view.
inline void MakeInvoiceDatabase(const QString& file)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("invoice.setup"));
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        q.exec(QStringLiteral("CREATE TABLE customers (id INTEGER PRIMARY KEY, name TEXT)"));
        q.exec(QStringLiteral("CREATE TABLE invoices (id INTEGER PRIMARY KEY, customer INTEGER, number TEXT)"));
        q.exec(QStringLiteral("CREATE TABLE lines (id INTEGER PRIMARY KEY, invoice INTEGER, amount REAL)"));
        int invoice = 0, line = 0;
        for (int c = 1; c <= 5; ++c) {
            q.exec(QStringLiteral("INSERT INTO customers VALUES (%1, 'Customer %2')").arg(c).arg(QChar(u'A' + c - 1)));
            for (int i = 0; i < 4; ++i) {
                ++invoice;
                q.exec(QStringLiteral("INSERT INTO invoices VALUES (%1, %2, 'INV-%3')").arg(invoice).arg(c).arg(invoice, 4, 10, QChar(u'0')));
                for (int l = 0; l < 1 + (invoice * 7) % 6; ++l) {
                    ++line;
                    // Quarters add up exactly in binary floating point.
                    q.exec(QStringLiteral("INSERT INTO lines VALUES (%1, %2, %3)").arg(line).arg(invoice).arg(((line * 37) % 1000) / 4.0));
                }
            }
        }
        ASSERT_TRUE(q.exec(QStringLiteral(
            "CREATE VIEW invoicelines AS SELECT c.name AS customer, i.number AS number, l.amount AS amount "
            "FROM lines l JOIN invoices i ON i.id = l.invoice JOIN customers c ON c.id = i.customer "
            "ORDER BY c.name, i.number, l.id")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("invoice.setup"));
}

// The report: a group per customer (header with the name, footer with its
// sum), a line per invoice line, a summary with the grand total and "Page N of M".
inline void MakeInvoiceTemplate(const QString& file)
{
    TTemplateHost host;
    auto* report = new TjxReport(&host);
    report->SetName(QStringLiteral("rptInvoices"));
    report->SetPassSetting(psTwoPass);
    TjxPageDef* def = report->PrinterSetup()->PageDef();
    def->SetmmWidth(210000);
    def->SetmmHeight(297000);
    auto* pipeline = new TjxDBPipeline(&host);
    pipeline->SetName(QStringLiteral("plInvoiceLines"));
    report->SetDataPipeline(pipeline);

    TjxBand* detail = report->CreateBand(btDetail);
    detail->SetmmHeight(7000);
    for (auto [field, left] : {std::pair{"number", 20000}, std::pair{"amount", 120000}}) {
        auto* text = AddComponent<TjxDBText>(host, report, detail, left, 1000, 40000, 5000);
        text->SetDataPipeline(pipeline);
        text->SetDataField(QString::fromLatin1(field));
        if (QByteArray(field) == "amount")
            text->SetDisplayFormat(QStringLiteral("0.00"));
    }

    auto* group = new TjxGroup(&host);
    group->SetName(report->GetValidName(group));
    group->SetReport(report);
    group->SetBreakName(QStringLiteral("customer"));
    group->SetDataPipelineName(QStringLiteral("plInvoiceLines"));
    report->EnsureBands();
    group->HeaderBand()->SetmmHeight(9000);
    group->FooterBand()->SetmmHeight(9000);
    auto* name = AddComponent<TjxDBText>(host, report, group->HeaderBand(), 0, 1000, 60000, 5000);
    name->SetDataPipeline(pipeline);
    name->SetDataField(QStringLiteral("customer"));
    auto* sum = AddComponent<TjxDBCalc>(host, report, group->FooterBand(), 120000, 1000, 40000, 5000);
    sum->SetDataPipeline(pipeline);
    sum->SetDataField(QStringLiteral("amount"));
    sum->SetDisplayFormat(QStringLiteral("0.00"));
    sum->SetResetGroup(group);

    TjxBand* summary = report->CreateBand(btSummary);
    summary->SetmmHeight(10000);
    auto* label = AddComponent<TjxLabel>(host, report, summary, 0, 1000, 60000, 5000);
    label->SetCaption(QStringLiteral("Grand total"));
    auto* grand = AddComponent<TjxDBCalc>(host, report, summary, 120000, 1000, 40000, 5000);
    grand->SetDataPipeline(pipeline);
    grand->SetDataField(QStringLiteral("amount"));
    grand->SetDisplayFormat(QStringLiteral("0.00"));

    TjxBand* footer = report->CreateBand(btFooter);
    footer->SetmmHeight(8000);
    auto* page = AddComponent<TjxSystemVariable>(host, report, footer, 150000, 1000, 40000, 5000);
    page->SetVarType(vtPageSetDesc);
    report->SortBands();

    report->Template()->SetFileName(file);
    report->Template()->SaveToFile();
}

} // namespace orvane::test
