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

// Runs the program in a process the caller has set up (environment, limits).
inline ProcessRun RunProgramIn(QProcess& p, const QString& program, const QStringList& args, int timeoutMs = 60000)
{
    p.start(program, args);
    const bool finished = p.waitForFinished(timeoutMs);
    if (!finished)
        p.kill();
    const bool ran = finished && p.error() == QProcess::UnknownError && p.exitStatus() == QProcess::NormalExit;
    return {ran ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

inline ProcessRun RunProgram(const QString& program, const QStringList& args, int timeoutMs = 60000)
{
    QProcess p;
    return RunProgramIn(p, program, args, timeoutMs);
}

// The symbols zbarimg reads in an image, one "TYPE:data" a line; `settings`
// are further -S options.
inline ProcessRun ZbarRead(const QString& image, const QStringList& settings = {})
{
    QStringList args{QStringLiteral("--nodbus"), QStringLiteral("-q"), QStringLiteral("-Sean5.enable"),
                     QStringLiteral("-Si25.min=4")};
    args += settings;
    args << image;
    return RunProgram(QStringLiteral("zbarimg"), args);
}

#ifdef ORVANE_CLI
inline ProcessRun RunCli(const QStringList& args) { return RunProgram(QStringLiteral(ORVANE_CLI), args); }
#endif

} // namespace orvane::test
