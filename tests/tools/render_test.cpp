// orvane-cli render: a template on an SQLite file into PDF, PNG and archive files.

#include "output/archive_reader.h"
#include "output/page.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/support/process_run.h"

using namespace orvane::test;

using namespace orvane;

namespace {

// Twelve items, three to a page of 297000 th with 13500 margins.
struct ListTemplate {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("list.rtm"));
    QString data = dir.filePath(QStringLiteral("data.sqlite"));

    ListTemplate()
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("render.setup"));
            db.setDatabaseName(data);
            db.open();
            QSqlQuery q(db);
            q.exec(QStringLiteral("CREATE TABLE items (id INTEGER, name TEXT)"));
            for (int i = 1; i <= 12; ++i)
                q.exec(QStringLiteral("INSERT INTO items VALUES (%1, 'Item %1')").arg(i));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("render.setup"));
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write("object rptList: TjxReport\r\n"
                "  DataPipelineName = 'plItems'\r\n"
                "  PrinterSetup.mmMarginBottom = 13500\r\n"
                "  PrinterSetup.mmMarginTop = 13500\r\n"
                "  PrinterSetup.mmPaperHeight = 297000\r\n"
                "  PrinterSetup.mmPaperWidth = 210000\r\n"
                "  Version = '9.01'\r\n"
                "  object jxDetailBand1: TjxDetailBand\r\n"
                "    mmHeight = 90000\r\n"
                "    object jxDBText1: TjxDBText\r\n"
                "      DataField = 'name'\r\n"
                "      DataPipelineName = 'plItems'\r\n"
                "      mmHeight = 5000\r\n"
                "      mmWidth = 40000\r\n"
                "    end\r\n"
                "  end\r\n"
                "end\r\n");
    }
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

} // namespace

TEST(CliRender, PdfOfEveryPageOrOfTheListedOnes)
{
    ListTemplate t;
    const QString pdf = t.Path("list.pdf");
    const ProcessRun all = RunCli({"render", t.file, "--db", t.data, "--to", "pdf", "-o", pdf});
    ASSERT_EQ(all.exitCode, 0) << all.err.toStdString();
    EXPECT_TRUE(RunProgram(QStringLiteral("pdfinfo"), {pdf}).out.contains(QRegularExpression(QStringLiteral("Pages:\\s+4\\n"))));
    const QString text = RunProgram(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).out;
    EXPECT_LT(text.indexOf(QStringLiteral("Item 1\n")), text.indexOf(QStringLiteral("Item 12")));

    const ProcessRun some = RunCli({"render", t.file, "--db", t.data, "--to", "pdf", "-o", pdf, "--pages", "2,4"});
    ASSERT_EQ(some.exitCode, 0) << some.err.toStdString();
    const QString two = RunProgram(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).out;
    EXPECT_TRUE(two.contains(QStringLiteral("Item 4")));
    EXPECT_TRUE(two.contains(QStringLiteral("Item 12")));
    EXPECT_FALSE(two.contains(QStringLiteral("Item 1\n")));
    EXPECT_TRUE(RunProgram(QStringLiteral("pdfinfo"), {pdf}).out.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))));
}

TEST(CliRender, ArchiveAndImages)
{
    ListTemplate t;
    const QString raf = t.Path("list.raf");
    ASSERT_EQ(RunCli({"render", t.file, "--db", t.data, "--to", "raf", "-o", raf}).exitCode, 0);
    TjxArchiveReader reader(raf);
    ASSERT_EQ(reader.PageCount(), 4);
    EXPECT_EQ(reader.AbsolutePageNo(3), 4);

    // Several pages become one image each.
    const QString png = t.Path("list.png");
    ASSERT_EQ(RunCli({"render", t.file, "--db", t.data, "--to", "png", "-o", png, "--pages", "1-2"}).exitCode, 0);
    EXPECT_FALSE(QImage(t.Path("list-1.png")).isNull());
    EXPECT_FALSE(QImage(t.Path("list-2.png")).isNull());
    EXPECT_FALSE(QFile::exists(t.Path("list-3.png")));
}

TEST(CliRender, BadInputIsRefusedAndLeavesNothing)
{
    ListTemplate t;
    const QString pdf = t.Path("out.pdf");
    const ProcessRun format = RunCli({"render", t.file, "--to", "doc", "-o", pdf});
    EXPECT_EQ(format.exitCode, 1);
    EXPECT_TRUE(format.err.contains(QStringLiteral("Unknown output format \"doc\""))) << format.err.toStdString();
    EXPECT_EQ(RunCli({"render", t.file, "--to", "pdf"}).exitCode, 2);
    const ProcessRun pages = RunCli({"render", t.file, "--db", t.data, "--to", "pdf", "-o", pdf, "--pages", "x"});
    EXPECT_EQ(pages.exitCode, 1);
    EXPECT_TRUE(pages.err.contains(QStringLiteral("No pages in \"x\""))) << pages.err.toStdString();

    QFile bad(t.Path("bad.rtm"));
    bad.open(QIODevice::WriteOnly);
    bad.write("not a template");
    bad.close();
    const ProcessRun corrupt = RunCli({"render", bad.fileName(), "--to", "pdf", "-o", pdf});
    EXPECT_EQ(corrupt.exitCode, 1);
    EXPECT_TRUE(corrupt.err.contains(QStringLiteral("Invalid Template Format"))) << corrupt.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}
