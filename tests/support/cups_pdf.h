#pragma once

// The PDF files that the OrvanePDF queue's cups-pdf backend writes.

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QThread>

#include "process_run.h"

namespace orvane::test {

// Where cups-pdf writes for the current user: the Out folder of its configuration,
// and the folder of anonymous jobs.
inline QStringList CupsPdfOutputFolders()
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

// The PDF that a job produced: named after the document (cups-pdf names
// files after the job's title), or, should the naming differ and
// `anyAfterHalf` allow it, the newest one written since `since`; complete once
// pdfinfo reads it. Waits up to `timeoutSecs`.
inline QString WaitForCupsPdf(const QDateTime& since, const QString& documentName, int timeoutSecs = 60,
                              bool anyAfterHalf = true)
{
    const QDateTime start = QDateTime::currentDateTime();
    while (start.secsTo(QDateTime::currentDateTime()) < timeoutSecs) {
        const bool onlyNamed = !anyAfterHalf || start.secsTo(QDateTime::currentDateTime()) < timeoutSecs / 2;
        QString found;
        QDateTime foundTime;
        for (const QString& folder : CupsPdfOutputFolders()) {
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
        if (!found.isEmpty() && RunProgramPiped(QStringLiteral("pdfinfo"), {found}).exitCode == 0)
            return found;
        QThread::msleep(250);
    }
    return {};
}

} // namespace orvane::test
