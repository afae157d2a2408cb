// A grouped invoice report on SQLite rendered to PDF: the totals printed equal
// the sums the database computes itself.

#include "tests/tools/invoice_report.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

QString ProgramOutput(const QString& program, const QStringList& args, int* code = nullptr)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    if (code)
        *code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

QList<QPair<QString, QString>> CustomerTotals(const QString& file)
{
    QList<QPair<QString, QString>> totals;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("invoice.check"));
        db.setDatabaseName(file);
        db.open();
        QSqlQuery q(db);
        q.exec(QStringLiteral("SELECT customer, printf('%.2f', SUM(amount)) FROM invoicelines GROUP BY customer "
                              "ORDER BY customer"));
        while (q.next())
            totals.append({q.value(0).toString(), q.value(1).toString()});
        q.exec(QStringLiteral("SELECT printf('%.2f', SUM(amount)) FROM invoicelines"));
        q.next();
        totals.append({QStringLiteral("Grand total"), q.value(0).toString()});
    }
    QSqlDatabase::removeDatabase(QStringLiteral("invoice.check"));
    return totals;
}

} // namespace

TEST(CliRender, InvoiceTotalsEqualTheDatabaseSums)
{
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("invoices.sqlite"));
    const QString rtm = dir.filePath(QStringLiteral("invoices.rtm"));
    const QString pdf = dir.filePath(QStringLiteral("invoices.pdf"));
    MakeInvoiceDatabase(data);
    MakeInvoiceTemplate(rtm);
    int code = -1;
    const QString output = ProgramOutput(QStringLiteral(ORVANE_CLI),
                               {QStringLiteral("render"), rtm, QStringLiteral("--db"), data, QStringLiteral("--to"),
                                QStringLiteral("pdf"), QStringLiteral("-o"), pdf},
                               &code);
    ASSERT_EQ(code, 0) << output.toStdString();
    const QString info = ProgramOutput(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpression pagesPattern(QStringLiteral("Pages:\\s+(\\d+)"));
    const int pages = pagesPattern.match(info).captured(1).toInt();
    ASSERT_GT(pages, 1) << info.toStdString();

    const QString text = ProgramOutput(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    const auto totals = CustomerTotals(data);
    ASSERT_EQ(totals.size(), 6);
    // Each customer's name comes before its total, in order; the grand total last.
    qsizetype at = 0;
    for (int i = 0; i < 5; ++i) {
        at = text.indexOf(totals[i].first, at);
        ASSERT_GE(at, 0) << totals[i].first.toStdString();
        const qsizetype nextCustomer = i < 4 ? text.indexOf(totals[i + 1].first, at) : text.size();
        const qsizetype total = text.indexOf(totals[i].second, at);
        EXPECT_TRUE(total > at && total < nextCustomer) << totals[i].first.toStdString() << " "
                                                         << totals[i].second.toStdString();
    }
    EXPECT_GT(text.lastIndexOf(totals[5].second), at) << totals[5].second.toStdString();
    for (int p = 1; p <= pages; ++p)
        EXPECT_TRUE(text.contains(QStringLiteral("Page %1 of %2").arg(p).arg(pages))) << p;
}
