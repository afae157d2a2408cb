// orvane-cli on templates: info, and convert keeping a template's closing byte
// while dropping an offset in front of it.

#include "tests/support/process_run.h"

#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace orvane::test;

namespace {

void Write(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

QByteArray Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QByteArray kTemplate =
    "object rptInvoice: TjxReport\r\n"
    "  PassSetting = psTwoPass\r\n"
    "  Version = '9.01'\r\n"
    "  object jxHeaderBand1: TjxHeaderBand\r\n"
    "    mmHeight = 20000\r\n"
    "    object jxLabel1: TjxLabel\r\n"
    "      Caption = 'Invoice'\r\n"
    "    end\r\n"
    "  end\r\n"
    "  object jxDetailBand1: TjxDetailBand\r\n"
    "  end\r\n"
    "end\r\n";

} // namespace

TEST(CliTemplates, InfoShowsTheReportTree)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("invoice.rtm"));
    Write(file, kTemplate);
    const ProcessRun r = RunCli({"info", file});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("rptInvoice: TjxReport"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("= PassSetting = psTwoPass")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("  jxHeaderBand1: TjxHeaderBand (Header)  height 20000")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("    jxLabel1: TjxLabel (Label1)")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("\"Invoice\"")));
    EXPECT_LT(r.out.indexOf(QStringLiteral("jxHeaderBand1")), r.out.indexOf(QStringLiteral("jxDetailBand1")));

    Write(file, "not a template");
    const ProcessRun bad = RunCli({"info", file});
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("Invalid Template Format"))) << bad.err.toStdString();
}

TEST(CliTemplates, ConvertKeepsTheClosingByteAndDropsTheOffset)
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("t.txt"));
    const QString bin = dir.filePath(QStringLiteral("t.rtm"));
    Write(text, kTemplate);
    ASSERT_EQ(RunCli({"convert", "--to-binary", text, bin}).exitCode, 0);
    const QByteArray binary = Read(bin);
    EXPECT_TRUE(binary.startsWith("TPF0\x09TjxReport"));
    EXPECT_TRUE(binary.endsWith(QByteArray(3, '\0')));  // record end, children end, template end

    // The same template behind a 4-byte offset header converts to the same bytes.
    QByteArray withOffset(24, '#');
    qToLittleEndian<qint32>(24, withOffset.data());
    withOffset += binary;
    const QString offsetFile = dir.filePath(QStringLiteral("offset.rtm"));
    Write(offsetFile, withOffset);
    const QString again = dir.filePath(QStringLiteral("again.rtm"));
    ASSERT_EQ(RunCli({"convert", "--to-binary", offsetFile, again}).exitCode, 0);
    EXPECT_EQ(Read(again), binary);
    const QString back = dir.filePath(QStringLiteral("back.txt"));
    ASSERT_EQ(RunCli({"convert", "--to-text", offsetFile, back}).exitCode, 0);
    EXPECT_EQ(Read(back), kTemplate);
}

TEST(CliTemplates, InfoBindsPipelinesToADatabase)
{
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data.sqlite"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("cli.info"));
        db.setDatabaseName(data);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE customers (id INTEGER, name TEXT, balance REAL)")));
        for (int i = 1; i <= 3; ++i)
            ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO customers VALUES (%1, 'c%1', %1.5)").arg(i)));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("cli.info"));
    QByteArray text = kTemplate;
    text.replace("  PassSetting = psTwoPass\r\n", "  PassSetting = psTwoPass\r\n  DataPipelineName = 'plCustomers'\r\n");
    const QString file = dir.filePath(QStringLiteral("invoice.rtm"));
    Write(file, text);

    const ProcessRun r = RunCli({"info", file, "--db", data});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("pipeline plCustomers: 3 record(s)"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("  name ")));
    EXPECT_NE(RunCli({"info", file, "--db", dir.filePath(QStringLiteral("missing.sqlite"))}).exitCode, 0);
    EXPECT_EQ(RunCli({"info", file, "--db"}).exitCode, 1);
}
