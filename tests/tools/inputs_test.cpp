// What orvane-cli reads and takes from its command line: regular files within
// a limit, its own arguments only, and a message where memory runs out.

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include "tests/support/process_run.h"
#include "tests/tools/list_report.h"

using namespace orvane::test;

namespace {

// Long enough for a slow sanitizer build, short against a read that never ends.
constexpr int kQuick = 20000;

ProcessRun RunCliQuickly(const QStringList& args) { return RunProgram(QStringLiteral(ORVANE_CLI), args, kQuick); }

void MakeSparse(const QString& path, qint64 size)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(size));
}

} // namespace

TEST(CliInputs, OnlyRegularFilesWithinTheLimitAreRead)
{
    ListReport t;
    const QString fifo = t.Path("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QString large = t.Path("large.rtm");
    MakeSparse(large, (qint64(256) << 20) + 1);
    const struct {
        QString file;
        QString reason;
    } inputs[] = {
        {QStringLiteral("/dev/zero"), QStringLiteral("Not a regular file.")},
        {fifo, QStringLiteral("Not a regular file.")},
        {t.dir.path(), QStringLiteral("Is a directory")},
        {large, QStringLiteral("The file is larger than 268435456 bytes.")},
    };
    for (const auto& input : inputs) {
        const QString expected = "orvane-cli: Cannot open file \"" + input.file + "\". " + input.reason + "\n";
        for (const QStringList& args : {QStringList{"info", input.file},
                                        QStringList{"convert", "--to-text", input.file, t.Path("out.txt")},
                                        QStringList{"render", input.file, "--to", "pdf", "-o", t.Path("out.pdf")},
                                        QStringList{"print", input.file, "-o", t.Path("out.pdf")}}) {
            const ProcessRun r = RunCliQuickly(args);
            EXPECT_EQ(r.exitCode, 1) << args.join(u' ').toStdString();
            EXPECT_EQ(r.err, expected) << args.join(u' ').toStdString();
        }
    }
    EXPECT_EQ(t.Outputs(), QStringList({"fifo", "large.rtm"}));
}

TEST(CliInputs, RunningOutOfMemoryIsAMessage)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#else
    // A file within the read limit that a process of 256 MiB cannot hold.
    ListReport t;
    const QString big = t.Path("big.rtm");
    MakeSparse(big, qint64(250) << 20);
    QProcess p;
    p.setChildProcessModifier([] {
        const rlimit limit{rlim_t(256) << 20, rlim_t(256) << 20};
        ::setrlimit(RLIMIT_AS, &limit);
    });
    const ProcessRun r = RunProgramIn(p, QStringLiteral(ORVANE_CLI), {"info", big}, kQuick);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, u"orvane-cli: Not enough memory.\n");
#endif
}

TEST(CliInputs, TheToolkitTakesNoArgumentsOfItsOwn)
{
    ListReport t;
    // Qt would take these (and abort on a platform it cannot load).
    const QList<QStringList> lines = {
        {"info", t.file, "-platform", "xcb"},
        {"render", t.file, "--to", "pdf", "-o", t.Path("out.pdf"), "-platform", "xcb"},
        {"convert", "--to-text", t.file, t.Path("out.txt"), "-reverse"},
        {"print", t.file, "-style", "fusion"},
        {"printers", "-platform", "xcb"},
        {"-platform", "xcb", "info", t.file},
    };
    for (const QStringList& args : lines) {
        const ProcessRun r = RunCliQuickly(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(u"usage:")) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(u"qt.qpa")) << r.err.toStdString();
    }
    const ProcessRun info = RunCliQuickly({"info", t.file, "-platform", "xcb"});
    EXPECT_TRUE(info.err.startsWith(u"orvane-cli: Unknown option \"-platform\".\nusage: orvane-cli info"))
        << info.err.toStdString();
    EXPECT_TRUE(info.out.isEmpty());
    EXPECT_TRUE(t.Outputs().isEmpty());
}
