// Ctrl-C and kill during a long orvane-cli run: it stops, says so and leaves
// no file behind, neither its output nor a temporary one.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

#include "tests/support/process_run.h"
#include "tests/tools/list_report.h"

using namespace orvane::test;

namespace {

// Waits until the folder holds something besides the report, or the run ended.
bool AwaitFirstFile(const ListReport& t, QProcess& p)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 60000 && p.state() == QProcess::Running) {
        if (!t.Outputs().isEmpty())
            return true;
        QThread::msleep(20);
    }
    return false;
}

// Waits until the running program has a handler for the signal, as the
// kernel shows it in the process's caught-signal mask.
bool AwaitSignalCaught(QProcess& p, int signal)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 60000 && p.state() == QProcess::Running) {
        QFile status(QStringLiteral("/proc/%1/status").arg(p.processId()));
        if (status.open(QIODevice::ReadOnly))
            for (const QByteArray& line : status.readAll().split('\n'))
                if (line.startsWith("SigCgt:") && (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1)
                    return true;
        QThread::msleep(20);
    }
    return false;
}

} // namespace

TEST(CliInterrupt, ASignalStopsTheRunAndLeavesNothing)
{
    // 30,000 items: 10,000 pages, far more than a run draws before the signal.
    ListReport t(30000);
    for (const int signal : {SIGINT, SIGTERM}) {
        QProcess p;
        p.start(QStringLiteral(ORVANE_CLI),
                {"render", t.file, "--db", t.data, "--to", "png", "--dpi", "30", "-o", t.Path("page.png")});
        ASSERT_TRUE(p.waitForStarted());
        // The first page images wait beside their targets for the end of the run.
        ASSERT_TRUE(AwaitFirstFile(t, p)) << "no page image appeared";
        ::kill(pid_t(p.processId()), signal);
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 128 + signal);
        EXPECT_EQ(QString::fromUtf8(p.readAllStandardError()),
                  QStringLiteral("orvane-cli: Interrupted by signal %1: nothing was written.\n").arg(signal));
        EXPECT_TRUE(t.Outputs().isEmpty()) << t.Outputs().join(u' ').toStdString();
    }
}

TEST(CliInterrupt, AnInterruptedPdfIsNotWritten)
{
    // Enough pages that the PDF writer is still busy half a second in.
    ListReport t(150000);
    QProcess p;
    p.start(QStringLiteral(ORVANE_CLI), {"render", t.file, "--db", t.data, "--to", "pdf", "-o", t.Path("list.pdf")});
    ASSERT_TRUE(p.waitForStarted());
    // The document is only staged when complete, so wait until the program
    // catches the signal (a fixed wait could strike while it still loads),
    // then give it a moment into the run.
    ASSERT_TRUE(AwaitSignalCaught(p, SIGTERM)) << "the run ended before it could be interrupted";
    QThread::msleep(500);
    ASSERT_EQ(p.state(), QProcess::Running) << "the run ended before it could be interrupted";
    ::kill(pid_t(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 128 + SIGTERM);
    EXPECT_TRUE(t.Outputs().isEmpty()) << t.Outputs().join(u' ').toStdString();
}
