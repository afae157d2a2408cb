#pragma once

// The real print queue of the tests: the CUPS scheduler with the OrvanePDF
// queue (its cups-pdf backend writes each job as a PDF file), started the
// way scripts/start-cups starts it, and the files that it writes.

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QThread>

#include <unistd.h>

#include "cups_pdf.h"

namespace orvane::test {

inline const QString kQueue = QStringLiteral("OrvanePDF");

struct Run {
    int exitCode = -1;
    QString output;
};

inline Run Tool(const QString& program, const QStringList& args, int timeoutMs = 30000)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForStarted(timeoutMs) || !p.waitForFinished(timeoutMs))
        return {-1, program + QStringLiteral(": ") + p.errorString()};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromLocal8Bit(p.readAll())};
}

inline bool SchedulerRunning()
{
    return Tool(QStringLiteral("lpstat"), {QStringLiteral("-r")}).output.contains(u"is running");
}

// Starts the scheduler and the queue the way the test script does; returns why not when it cannot.
inline QString PrepareQueue()
{
    const QString script = QStringLiteral(ORVANE_TEST_DATA "/../../scripts/start-cups");
    if (!SchedulerRunning() || Tool(QStringLiteral("lpstat"), {QStringLiteral("-p"), kQueue}).exitCode != 0) {
        const Run started = Tool(QStringLiteral("bash"), {script}, 60000);
        if (started.exitCode != 0)
            return QStringLiteral("scripts/start-cups failed: ") + started.output.trimmed();
    }
    if (!SchedulerRunning())
        return QStringLiteral("the CUPS scheduler is not running (lpstat -r)");
    if (Tool(QStringLiteral("lpstat"), {QStringLiteral("-p"), kQueue}).exitCode != 0)
        return QStringLiteral("the queue %1 does not exist").arg(kQueue);
    return {};
}

// Skips the test without a queue to print to; on CI a missing queue is a failure.
#define ORVANE_REQUIRE_CUPS_QUEUE()                                                          \
    do {                                                                                     \
        const QString problem = ::orvane::test::PrepareQueue();                              \
        if (!problem.isEmpty()) {                                                            \
            if (qEnvironmentVariable("CI") == u"true")                                       \
                FAIL() << "no CUPS queue: " << problem.toStdString();                        \
            GTEST_SKIP() << "no CUPS queue to print to (" << problem.toStdString() << ")";   \
        }                                                                                    \
    } while (false)

// Runs a scheduler administration tool (lpadmin), through sudo when not root.
inline Run Admin(const QString& program, const QStringList& args)
{
    if (::geteuid() == 0)
        return Tool(program, args);
    return Tool(QStringLiteral("sudo"), QStringList{QStringLiteral("-n"), program} + args);
}

// Gives the test queue a location, as an administrator does with lpadmin -L.
inline QString SetQueueLocation(const QString& location)
{
    const Run run = Admin(QStringLiteral("lpadmin"), {QStringLiteral("-p"), kQueue, QStringLiteral("-L"), location});
    return run.exitCode == 0 ? QString() : run.output.trimmed();
}

} // namespace orvane::test
