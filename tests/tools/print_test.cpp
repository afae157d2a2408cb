// orvane-cli print: a template's report as a print job, run as a user would
// run it, on the system's spooler.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/support/process_run.h"
#include "tests/support/two_page_receipt.h"

using namespace orvane::test;

namespace {

bool QueueExists(const QString& queue)
{
    return RunProgram(QStringLiteral("lpstat"), {QStringLiteral("-p"), queue}, 30000).exitCode == 0;
}

// Two pages: a label on a detail band printed twice, one to a page.
struct ReceiptTemplate {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("receipt.rtm"));

    ReceiptTemplate()
    {
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(kTwoPageReceipt);
    }
};

} // namespace

TEST(CliPrint, PrintsTheReportAsOneJob)
{
    const QString queue = QStringLiteral("OrvanePDF");
    if (!QueueExists(queue)) {
        if (qEnvironmentVariable("CI") == u"true")
            FAIL() << "CI needs the CUPS queue " << queue.toStdString() << " (scripts/start-cups)";
        GTEST_SKIP() << "no CUPS queue " << queue.toStdString() << "; scripts/test starts one";
    }
    ReceiptTemplate t;
    const QString out = t.dir.filePath(QStringLiteral("job.pdf"));
    ProcessRun r = RunCli({QStringLiteral("print"), t.file, QStringLiteral("--printer"), queue, QStringLiteral("-o"), out});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // Each page's words, blanks and line breaks made single blanks.
    const auto pageTexts = [&] {
        QStringList pages = RunProgram(QStringLiteral("pdftotext"), {out, QStringLiteral("-")}).out.split(u'\f');
        for (QString& page : pages)
            page = page.simplified();
        return pages;
    };
    QStringList pages = pageTexts();
    ASSERT_EQ(pages.size(), 3);  // two pages and what follows the last form feed
    EXPECT_EQ(pages[0], u"Trust account receipt 1");
    EXPECT_EQ(pages[1], u"Trust account receipt 2");

    // Two uncollated copies of page 2 only.
    ASSERT_TRUE(QFile::remove(out));
    r = RunCli({QStringLiteral("print"), t.file, QStringLiteral("--printer"), queue, QStringLiteral("--copies"),
             QStringLiteral("2"), QStringLiteral("--pages"), QStringLiteral("2"), QStringLiteral("-o"), out});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(pageTexts(), QStringList({"Trust account receipt 2", "Trust account receipt 2", ""}));

    // Pages past the end are no job at all.
    ASSERT_TRUE(QFile::remove(out));
    r = RunCli({QStringLiteral("print"), t.file, QStringLiteral("--printer"), queue, QStringLiteral("--pages"),
                QStringLiteral("999"), QStringLiteral("-o"), out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, u"orvane-cli: The report produced no page to write.\n");
    EXPECT_FALSE(QFile::exists(out));
}

TEST(CliPrint, BadOptionsSaySoAndPrintNothing)
{
    ReceiptTemplate t;
    const QString out = t.dir.filePath(QStringLiteral("job.pdf"));
    ProcessRun r = RunCli({QStringLiteral("print"), t.file, QStringLiteral("--printer"), QStringLiteral("NoSuchPrinter"),
                    QStringLiteral("-o"), out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(u"No printer is named \"NoSuchPrinter\".")) << r.err.toStdString();
    r = RunCli({QStringLiteral("print"), t.file, QStringLiteral("--copies"), QStringLiteral("0"), QStringLiteral("-o"),
             out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(u"Invalid number of copies: 0")) << r.err.toStdString();
    r = RunCli({QStringLiteral("print")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_FALSE(QFile::exists(out));
}

TEST(CliPrint, WhatKeepsThePrintFromStartingIsNamed)
{
    ReceiptTemplate t;
    const QString out = t.dir.filePath(QStringLiteral("job.pdf"));
    const auto print = [&](const QStringList& options, const QProcessEnvironment& env) {
        QProcess p;
        p.setProcessEnvironment(env);
        return RunProgramIn(p, QStringLiteral(ORVANE_CLI), QStringList{QStringLiteral("print"), t.file} + options);
    };
    const QProcessEnvironment system = QProcessEnvironment::systemEnvironment();
    // A scheduler that is not there: the system has no printer at all.
    QProcessEnvironment none = system;
    none.insert(QStringLiteral("CUPS_SERVER"), t.dir.filePath(QStringLiteral("no-scheduler.sock")));
    const struct {
        QStringList options;
        QProcessEnvironment env;
        QString message;
    } cases[] = {
        {{"--printer", ""}, system, "--printer needs a value"},
        {{"--printer", "Screen"}, system, "Screen printer does not support printing."},
        {{"--printer", "screen", "-o", out}, system, "Screen printer does not support printing."},
        {{}, none, "There are no printers connected to your computer."},
        {{"--printer", "Default"}, none, "There are no printers connected to your computer."},
        {{"--printer", "Nowhere"}, none, "No printer is named \"Nowhere\"."},
        {{"--pages", ""}, system, "--pages needs a value"},
        {{"--pages", "2-1"}, system, "\"2-1\" is not a list of pages such as 1,3-5."},
        {{"--pages", "1,x"}, system, "\"1,x\" is not a list of pages such as 1,3-5."},
    };
    for (const auto& c : cases) {
        const ProcessRun r = print(c.options, c.env);
        EXPECT_EQ(r.exitCode, 1) << c.options.join(u' ').toStdString();
        EXPECT_EQ(r.err, "orvane-cli: " + c.message + "\n") << c.options.join(u' ').toStdString();
    }

    // Printers but none of them the default (as the test run's scheduler has it).
    const bool noDefault =
        RunProgram(QStringLiteral("lpstat"), {QStringLiteral("-d")}, 30000).out.contains(u"no system default");
    if (QueueExists(QStringLiteral("OrvanePDF")) && noDefault && !system.contains(QStringLiteral("LPDEST")) &&
        !system.contains(QStringLiteral("PRINTER"))) {
        const ProcessRun r = print({}, system);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, u"orvane-cli: There is no default printer.\n");
    }
    EXPECT_FALSE(QFile::exists(out));
}
