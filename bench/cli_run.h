#pragma once

// Runs orvane-cli as a user would and reads what the child cost from its
// resource usage: the parent's own work (Qt, the benchmark) is not counted.

#include <QElapsedTimer>
#include <QFile>
#include <QStringList>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace orvane::bench {

struct TCliRun {
    int exitCode = -1;      // -1 when it could not be started or did not exit
    double wallSeconds = 0;
    double cpuSeconds = 0;  // user + system
    double peakMb = 0;      // peak resident memory
};

inline TCliRun RunCli(const char* program, const QStringList& args)
{
    std::vector<QByteArray> bytes;
    bytes.push_back(QByteArray(program));
    for (const QString& arg : args)
        bytes.push_back(QFile::encodeName(arg));
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    TCliRun run;
    QElapsedTimer clock;
    clock.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, program, nullptr, nullptr, argv.data(), environ) != 0)
        return run;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.wallSeconds = double(clock.nsecsElapsed()) / 1e9;
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.peakMb = double(usage.ru_maxrss) / 1024.0;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace orvane::bench
