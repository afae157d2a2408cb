// orvane-cli print: a template's report as a print job, run as a user would
// run it, on the system's spooler.

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/support/process_run.h"

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
        f.write("object rptReceipt: TjxReport\r\n"
                "  AutoStop = False\r\n"
                "  PageLimit = 2\r\n"
                "  PrinterSetup.DocumentName = 'Receipt'\r\n"
                "  PrinterSetup.mmPaperHeight = 297000\r\n"
                "  PrinterSetup.mmPaperWidth = 210000\r\n"
                "  Version = '9.01'\r\n"
                "  object jxDetailBand1: TjxDetailBand\r\n"
                "    mmHeight = 200000\r\n"
                "    object jxLabel1: TjxLabel\r\n"
                "      Caption = 'Trust account receipt'\r\n"
                "      mmHeight = 5000\r\n"
                "      mmWidth = 80000\r\n"
                "    end\r\n"
                "    object jxSystemVariable1: TjxSystemVariable\r\n"
                "      VarType = vtPageNo\r\n"
                "      mmTop = 10000\r\n"
                "      mmHeight = 5000\r\n"
                "      mmWidth = 20000\r\n"
                "    end\r\n"
                "  end\r\n"
                "end\r\n");
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
