#pragma once

// Runs a program as a user would from a shell and keeps what it said.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace orvane::test {

struct ProcessRun {
    int exitCode = -1;  // -1: it crashed or did not finish
    QString out;
    QString err;
};

inline ProcessRun RunProgram(const QString& program, const QStringList& args, int timeoutMs = 60000)
{
    QProcess p;
    p.start(program, args);
    const bool finished = p.waitForFinished(timeoutMs);
    if (!finished)
        p.kill();
    const bool ran = finished && p.error() == QProcess::UnknownError && p.exitStatus() == QProcess::NormalExit;
    return {ran ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

#ifdef ORVANE_CLI
inline ProcessRun RunCli(const QStringList& args) { return RunProgram(QStringLiteral(ORVANE_CLI), args); }
#endif

} // namespace orvane::test
