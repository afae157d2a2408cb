// orvane-cli render: a template on an SQLite file into PDF, PNG and archive files.

#include "output/archive_reader.h"
#include "output/page.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "tests/support/process_run.h"
#include "tests/tools/list_report.h"

using namespace orvane::test;

using namespace orvane;

TEST(CliRender, PdfOfEveryPageOrOfTheListedOnes)
{
    ListReport t;
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
    ListReport t;
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
    ListReport t;
    const QString pdf = t.Path("out.pdf");
    const ProcessRun format = RunCli({"render", t.file, "--to", "doc", "-o", pdf});
    EXPECT_EQ(format.exitCode, 1);
    EXPECT_TRUE(format.err.contains(QStringLiteral("Unknown output format \"doc\""))) << format.err.toStdString();
    EXPECT_EQ(RunCli({"render", t.file, "--to", "pdf"}).exitCode, 2);
    const ProcessRun pages = RunCli({"render", t.file, "--db", t.data, "--to", "pdf", "-o", pdf, "--pages", "x"});
    EXPECT_EQ(pages.exitCode, 1);
    EXPECT_TRUE(pages.err.contains(QStringLiteral("\"x\" is not a list of pages such as 1,3-5."))) << pages.err.toStdString();

    QFile bad(t.Path("bad.rtm"));
    bad.open(QIODevice::WriteOnly);
    bad.write("not a template");
    bad.close();
    const ProcessRun corrupt = RunCli({"render", bad.fileName(), "--to", "pdf", "-o", pdf});
    EXPECT_EQ(corrupt.exitCode, 1);
    EXPECT_TRUE(corrupt.err.contains(QStringLiteral("Invalid Template Format"))) << corrupt.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}

// Every line the tool wrote on the error output is its own.
::testing::AssertionResult OnlyOwnMessages(const QString& err)
{
    for (const QString& line : err.split(u'\n', Qt::SkipEmptyParts))
        if (!line.startsWith(u"orvane-cli: "))
            return ::testing::AssertionFailure() << "foreign line: " << line.toStdString();
    return ::testing::AssertionSuccess();
}

TEST(CliRender, PageListsAndResolutionsAreTakenAsWrittenOrRefused)
{
    ListReport t;
    const QString raf = t.Path("list.raf");
    for (const char* pages : {"", "1,a,2", "5-1", "0", "2-", "-3", "1;2", "1,,2", "99999999999"}) {
        const ProcessRun r = RunCli({"render", t.file, "--db", t.data, "--to", "raf", "-o", raf, "--pages", pages});
        EXPECT_EQ(r.exitCode, 1) << pages;
        const QString expected = *pages ? QStringLiteral("orvane-cli: \"%1\" is not a list of pages such as 1,3-5.\n")
                                              .arg(QString::fromLatin1(pages))
                                        : QStringLiteral("orvane-cli: --pages needs a value\n");
        EXPECT_EQ(r.err, expected) << pages;
    }
    for (const char* dpi : {"", "abc", "9", "2401", "96dpi"}) {
        const ProcessRun r = RunCli({"render", t.file, "--db", t.data, "--to", "png", "-o", t.Path("x.png"), "--dpi", dpi});
        EXPECT_EQ(r.exitCode, 1) << dpi;
        EXPECT_TRUE(r.err.contains(*dpi ? QStringLiteral("Invalid resolution: ") + QString::fromLatin1(dpi) : QStringLiteral("--dpi needs a value")))
            << r.err.toStdString();
    }
    EXPECT_TRUE(t.Outputs().isEmpty()) << t.Outputs().join(u' ').toStdString();

    // Blanks around numbers and items in any order are still a list.
    const ProcessRun some = RunCli({"render", t.file, "--db", t.data, "--to", "raf", "-o", raf, "--pages", " 4 , 1 - 2"});
    ASSERT_EQ(some.exitCode, 0) << some.err.toStdString();
    TjxArchiveReader reader(raf);
    ASSERT_EQ(reader.PageCount(), 3);
    EXPECT_EQ(reader.AbsolutePageNo(0), 1);
    EXPECT_EQ(reader.AbsolutePageNo(2), 4);
}

TEST(CliRender, AListPastTheLastPageWritesNothing)
{
    ListReport t;
    for (const char* format : {"pdf", "raf", "png"}) {
        const QString out = t.Path("out.") + QString::fromLatin1(format);
        const ProcessRun r = RunCli({"render", t.file, "--db", t.data, "--to", format, "-o", out, "--pages", "5,999"});
        EXPECT_EQ(r.exitCode, 1) << format;
        EXPECT_EQ(r.err, u"orvane-cli: The report produced no page to write.\n") << format;
    }
    EXPECT_TRUE(t.Outputs().isEmpty()) << t.Outputs().join(u' ').toStdString();
}

TEST(CliRender, PageImagesAboveTheLimitAreRefusedBeforeTheyAreMade)
{
    // A page of 10 m by 10 m at 96 dpi, and A4 at 2400 dpi.
    ListReport wide(3, 10000000, 10000000);
    const ProcessRun r = RunCli({"render", wide.file, "--db", wide.data, "--to", "png", "-o", wide.Path("w.png")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, u"orvane-cli: Page 1 would be an image of 37795 x 37795 pixels; the limit is 67108864 pixels.\n");
    EXPECT_TRUE(wide.Outputs().isEmpty());

    ListReport t;
    const ProcessRun fine = RunCli({"render", t.file, "--db", t.data, "--to", "png", "-o", t.Path("a4.png"), "--dpi", "2400"});
    EXPECT_EQ(fine.exitCode, 1);
    EXPECT_EQ(fine.err, u"orvane-cli: Page 1 would be an image of 19842 x 28063 pixels; the limit is 67108864 pixels.\n");
    EXPECT_TRUE(t.Outputs().isEmpty());
}

TEST(CliRender, AnImageRunThatFailsLeavesTheEarlierImages)
{
    ListReport t;
    for (const char* name : {"list-1.png", "list-2.png"}) {
        QFile old(t.Path(name));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    // Page 3's image has nowhere to go: pages 1 and 2 were drawn already.
    ASSERT_EQ(::mkfifo(QFile::encodeName(t.Path("list-3.png")).constData(), 0644), 0);
    const ProcessRun r = RunCli({"render", t.file, "--db", t.data, "--to", "png", "-o", t.Path("list.png")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "orvane-cli: Cannot create file \"" + t.Path("list-3.png") + "\". Not a regular file.\n");
    EXPECT_EQ(t.Outputs(), QStringList({"list-1.png", "list-2.png", "list-3.png"}));
    for (const char* name : {"list-1.png", "list-2.png"}) {
        QFile old(t.Path(name));
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), "old") << name;
    }
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(t.Path("list-3.png")).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    // The same run without the obstacle replaces them all, each a page image.
    ASSERT_TRUE(QFile::remove(t.Path("list-3.png")));
    const ProcessRun ok = RunCli({"render", t.file, "--db", t.data, "--to", "png", "-o", t.Path("list.png"), "--dpi", "24"});
    ASSERT_EQ(ok.exitCode, 0) << ok.err.toStdString();
    EXPECT_TRUE(ok.err.isEmpty());
    EXPECT_EQ(t.Outputs(), QStringList({"list-1.png", "list-2.png", "list-3.png", "list-4.png"}));
    for (int page = 1; page <= 4; ++page)
        EXPECT_EQ(QImage(t.Path("list-") + QString::number(page) + ".png").size(), QSize(198, 281)) << page;
}

TEST(CliRender, FailuresSayOnlyWhatWentWrong)
{
    ListReport t;
    const QStringList failing[] = {
        {"render", t.file, "--db", t.data, "--to", "png", "-o", t.Path("x.png"), "--dpi", "2400"},
        {"render", t.file, "--db", t.data, "--to", "pdf", "-o", t.dir.path()},
        {"render", t.file, "--db", t.data, "--to", "raf", "-o", t.Path("none/x.raf")},
        {"render", t.Path("none.rtm"), "--to", "pdf", "-o", t.Path("x.pdf")},
    };
    for (const QStringList& args : failing) {
        const ProcessRun r = RunCli(args);
        EXPECT_EQ(r.exitCode, 1) << args.join(u' ').toStdString();
        EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(OnlyOwnMessages(r.err));
    }
}
