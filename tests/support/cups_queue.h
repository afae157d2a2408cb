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

// Where cups-pdf writes for the current user: the Out folder of its configuration,
// and the folder of anonymous jobs.
inline QStringList OutputFolders()
{
    QStringList folders;
    QFile conf(QStringLiteral("/etc/cups/cups-pdf.conf"));
    QString out = QStringLiteral("${HOME}/PDF");
    if (conf.open(QIODevice::ReadOnly))
        for (const QByteArray& raw : conf.readAll().split('\n')) {
            const QString line = QString::fromLocal8Bit(raw).trimmed();
            if (line.startsWith(u"Out ") || line.startsWith(u"Out\t"))
                out = line.mid(4).trimmed();
        }
    out.replace(QStringLiteral("${HOME}"), QDir::homePath());
    out.replace(QStringLiteral("${USER}"), qEnvironmentVariable("USER", QStringLiteral("root")));
    folders << out << QDir::homePath() + QStringLiteral("/PDF") << QStringLiteral("/var/spool/cups-pdf/ANONYMOUS");
    folders.removeDuplicates();
    return folders;
}

// The PDF that the job produced: named after the document (cups-pdf names
// files after the job's title), or, should the naming differ, the newest one
// written since `since`; complete once pdfinfo reads it. Waits up to 60 s.
inline QString WaitForPdf(const QDateTime& since, const QString& documentName)
{
    const QDateTime start = QDateTime::currentDateTime();
    while (start.secsTo(QDateTime::currentDateTime()) < 60) {
        const bool onlyNamed = start.secsTo(QDateTime::currentDateTime()) < 30;
        QString found;
        QDateTime foundTime;
        for (const QString& folder : OutputFolders()) {
            QDirIterator it(folder, {QStringLiteral("*.pdf")}, QDir::Files);
            while (it.hasNext()) {
                const QFileInfo info(it.next());
                if (info.lastModified() < since || (onlyNamed && !info.fileName().contains(documentName)))
                    continue;
                if (found.isEmpty() || info.lastModified() > foundTime) {
                    found = info.filePath();
                    foundTime = info.lastModified();
                }
            }
        }
        if (!found.isEmpty() && Tool(QStringLiteral("pdfinfo"), {found}).exitCode == 0)
            return found;
        QThread::msleep(250);
    }
    return {};
}


} // namespace orvane::test
