// Where orvane-cli may write: every command's output goes only to a new name
// or over a writable regular file that is not its own input.

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "tests/support/process_run.h"
#include "tests/tools/list_report.h"

using namespace orvane::test;

namespace {

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

mode_t ModeOf(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

// Each command that writes a file, writing to `out`.
QList<QStringList> Writers(const ListReport& t, const QString& out)
{
    return {
        {"convert", "--to-binary", t.file, out},
        {"render", t.file, "--db", t.data, "--to", "pdf", "-o", out},
        {"render", t.file, "--db", t.data, "--to", "raf", "-o", out},
        {"render", t.file, "--db", t.data, "--to", "png", "--pages", "1", "-o", out},
        {"print", t.file, "--db", t.data, "-o", out},
    };
}

} // namespace

TEST(CliOutputs, NoCommandReplacesASpecialReadOnlyOrInputFile)
{
    ListReport t;
    const QByteArray input = Bytes(t.file);
    const QString fifo = t.Path("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    // A null device of the test's own where the system lets the test make one:
    // a test that went wrong must not replace the machine's /dev/null.
    const QString node = t.Path("null");
    const bool haveNode = ::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    const QString readOnly = t.Path("kept.pdf");
    {
        QFile f(readOnly);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep");
    }
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0444), 0);
    const QString folder = t.Path("sub");
    ASSERT_TRUE(QDir(t.dir.path()).mkdir(QStringLiteral("sub")));
    const QString hardLink = t.Path("same.rtm");
    ASSERT_EQ(::link(QFile::encodeName(t.file).constData(), QFile::encodeName(hardLink).constData()), 0);
    const QStringList before = t.Outputs();

    struct Target {
        QString path;
        QString message;
    };
    QList<Target> targets = {
        {fifo, "Cannot create file \"" + fifo + "\". Not a regular file."},
        {readOnly, "Cannot create file \"" + readOnly + "\". File is read-only."},
        {folder, "Cannot create file \"" + folder + "\". Is a directory"},
        {t.file, "The output \"" + t.file + "\" is the file being read."},
        {hardLink, "The output \"" + hardLink + "\" is the file being read."},
    };
    if (haveNode)
        targets.append({node, "Cannot create file \"" + node + "\". Not a regular file."});
    for (const Target& target : targets)
        for (const QStringList& args : Writers(t, target.path)) {
            const ProcessRun r = RunCli(args);
            EXPECT_EQ(r.exitCode, 1) << args.join(u' ').toStdString();
            EXPECT_EQ(r.err, "orvane-cli: " + target.message + "\n") << args.join(u' ').toStdString();
        }

    EXPECT_TRUE(S_ISFIFO(ModeOf(fifo)));
    if (haveNode) {
        EXPECT_TRUE(S_ISCHR(ModeOf(node)));
    }
    EXPECT_EQ(ModeOf(readOnly) & 07777, 0444u);
    EXPECT_EQ(Bytes(readOnly), "keep");
    EXPECT_EQ(Bytes(t.file), input);
    EXPECT_TRUE(QDir(folder).isEmpty());
    EXPECT_EQ(t.Outputs(), before);
}

TEST(CliOutputs, AFolderThatCannotTakeTheFileIsNamedWithTheReason)
{
    ListReport t;
    const QString missing = t.Path("missing/out.pdf");
    const QString underFile = t.file + QStringLiteral("/out.pdf");
    for (const auto& [out, reason] : {std::pair{missing, QStringLiteral("No such file or directory")},
                                      std::pair{underFile, QStringLiteral("Not a directory")}})
        for (const QStringList& args : Writers(t, out)) {
            const ProcessRun r = RunCli(args);
            EXPECT_EQ(r.exitCode, 1) << args.join(u' ').toStdString();
            EXPECT_EQ(r.err, "orvane-cli: Cannot create file \"" + out + "\". " + reason + "\n")
                << args.join(u' ').toStdString();
        }
    EXPECT_TRUE(t.Outputs().isEmpty());
}

TEST(CliOutputs, AReadOnlyFolderIsNamedWithTheReason)
{
    // The permission bits of a folder bind everyone but root.
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    ListReport t;
    ASSERT_TRUE(QDir(t.dir.path()).mkdir(QStringLiteral("locked")));
    ASSERT_EQ(::chmod(QFile::encodeName(t.Path("locked")).constData(), 0555), 0);
    const QString locked = t.Path("locked/out.pdf");
    for (const QStringList& args : Writers(t, locked)) {
        const ProcessRun r = RunCli(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, "orvane-cli: Cannot create file \"" + locked + "\". Permission denied\n");
    }
    EXPECT_TRUE(QDir(t.Path("locked")).isEmpty());
}

TEST(CliOutputs, AReplacedOutputKeepsItsPermissions)
{
    ListReport t;
    for (const char* format : {"pdf", "raf"}) {
        const QString out = t.Path("out.") + QString::fromLatin1(format);
        {
            QFile f(out);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("old");
        }
        ASSERT_EQ(::chmod(QFile::encodeName(out).constData(), 0640), 0);
        const ProcessRun r = RunCli({"render", t.file, "--db", t.data, "--to", format, "-o", out});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_NE(Bytes(out), "old");
        EXPECT_EQ(ModeOf(out) & 07777, 0640u) << format;
    }
}
