#pragma once

// Runs a program as a user would from a shell and keeps what it said.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <sys/wait.h>

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

// The same through popen, standard output only: no Qt child-process
// machinery, whose child runs intercepted calls that ThreadSanitizer counts
// against the parent (the thread tests run under it).
inline ProcessRun RunProgramPiped(const QString& program, const QStringList& args)
{
    QString command = program;
    for (QString arg : args)
        command += QStringLiteral(" '") + arg.replace(u'\'', QStringLiteral("'\\''")) + u'\'';
    command += QStringLiteral(" 2>/dev/null");
    FILE* pipe = popen(command.toLocal8Bit().constData(), "r");
    if (!pipe)
        return {};
    QByteArray out;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, qsizetype(n));
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, QString::fromUtf8(out), QString()};
}

#ifdef ORVANE_CLI
inline ProcessRun RunCli(const QStringList& args) { return RunProgram(QStringLiteral(ORVANE_CLI), args); }
#endif

} // namespace orvane::test
