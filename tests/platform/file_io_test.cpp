// Reading and saving files: what a save may replace, what a read takes.

#include "document/errors.h"
#include "tests/support/test_basics.h"
#include "platform/file_io.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace orvane;

using namespace orvane::test;

namespace {

mode_t ModeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

bool MakeFifo(const QString& path) { return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0; }

} // namespace

TEST(SaveTarget, OnlyNewNamesAndWritableRegularFilesMayBeReplaced)
{
    TempFolder f;
    WriteRaw(f.Path("plain.txt"), "plain");
    WriteRaw(f.Path("ro.txt"), "keep");
    ASSERT_EQ(::chmod(QFile::encodeName(f.Path("ro.txt")).constData(), 0444), 0);
    ASSERT_TRUE(MakeFifo(f.Path("fifo")));
    ASSERT_EQ(::symlink("/dev/null", QFile::encodeName(f.Path("null-link")).constData()), 0);
    ASSERT_TRUE(QDir(f.dir.path()).mkdir(QStringLiteral("sub")));

    EXPECT_EQ(SaveTargetProblem(f.Path("new.txt")), u"");
    EXPECT_EQ(SaveTargetProblem(f.Path("plain.txt")), u"");
    EXPECT_EQ(SaveTargetProblem(f.Path("ro.txt")), u"File is read-only.");
    EXPECT_EQ(SaveTargetProblem(f.Path("fifo")), u"Not a regular file.");
    // Checked only: nothing here writes to a device of the machine.
    EXPECT_EQ(SaveTargetProblem(QStringLiteral("/dev/null")), u"Not a regular file.");
    EXPECT_EQ(SaveTargetProblem(f.Path("null-link")), u"Not a regular file.");
    EXPECT_EQ(SaveTargetProblem(f.Path("sub")), u"Is a directory");
    EXPECT_EQ(SaveTargetProblem(f.Path("missing/new.txt")), u"No such file or directory");
    EXPECT_EQ(SaveTargetProblem(f.Path("plain.txt/new.txt")), u"Not a directory");
    EXPECT_EQ(SaveTargetProblem(QString()), u"No such file or directory");

    // Every saver refuses them the same way and leaves them as they were.
    for (const char* name : {"ro.txt", "fifo", "sub", "missing/new.txt"}) {
        const QString path = f.Path(name);
        const QString error = ErrorOf([&] { WriteWholeFile(path, "new"); });
        EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot create file \"") + path + "\". ")) << error.toStdString();
        QString reason;
        EXPECT_FALSE(OpenSaveFile(path, &reason)) << name;
        EXPECT_EQ(reason, SaveTargetProblem(path)) << name;
        EXPECT_FALSE(ErrorOf([&] { TStagedFile staged(path); }).isEmpty()) << name;
    }
    EXPECT_EQ(ModeOf(f.Path("ro.txt")) & 07777, 0444u);
    EXPECT_EQ(ReadWholeFile(f.Path("ro.txt")), "keep");
    EXPECT_TRUE(S_ISFIFO(ModeOf(f.Path("fifo"))));
    EXPECT_EQ(f.Entries(), u"fifo null-link plain.txt ro.txt sub");
}

TEST(SaveTarget, ADeviceNodeStaysADeviceNode)
{
    TempFolder f;
    // A null device of the test's own, where the system lets the test make one.
    const QString node = f.Path("null");
    if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "no device nodes can be made here";
    EXPECT_EQ(SaveTargetProblem(node), u"Not a regular file.");
    EXPECT_FALSE(ErrorOf([&] { WriteWholeFile(node, "data"); }).isEmpty());
    QString reason;
    EXPECT_FALSE(MoveFileOver(f.Path("none"), node, &reason));
    EXPECT_EQ(reason, u"Not a regular file.");
    EXPECT_TRUE(S_ISCHR(ModeOf(node)));
}

TEST(SaveTarget, ATargetThatChangesWhileWritingIsNotReplaced)
{
    TempFolder f;
    const QString path = f.Path("out.txt");
    QString reason;
    std::unique_ptr<QSaveFile> file = OpenSaveFile(path, &reason);
    ASSERT_TRUE(file) << reason.toStdString();
    file->write("new");
    ASSERT_TRUE(MakeFifo(path));
    EXPECT_FALSE(CommitSaveFile(*file, &reason));
    EXPECT_EQ(reason, u"Not a regular file.");
    file.reset();
    EXPECT_TRUE(S_ISFIFO(ModeOf(path)));
    EXPECT_EQ(f.Entries(), u"out.txt");
}

TEST(StagedFile, WaitsClosedForItsCommitAndKeepsAReplacedFilesPermissions)
{
    TempFolder f;
    WriteRaw(f.Path("old.txt"), "old");
    ASSERT_EQ(::chmod(QFile::encodeName(f.Path("old.txt")).constData(), 0640), 0);
    {
        TStagedFile replacing(f.Path("old.txt"));
        TStagedFile fresh(f.Path("new.txt"));
        TStagedFile dropped(f.Path("dropped.txt"));
        replacing.Write("replaced");
        fresh.Write("fresh");
        dropped.Write("never");
        // Written, not yet in place: the targets are as they were.
        EXPECT_EQ(ReadWholeFile(f.Path("old.txt")), "old");
        EXPECT_FALSE(QFile::exists(f.Path("new.txt")));
        EXPECT_EQ(f.Entries().count(QStringLiteral(".part")), 3);
        replacing.Commit();
        fresh.Commit();
    }
    EXPECT_EQ(ReadWholeFile(f.Path("old.txt")), "replaced");
    EXPECT_EQ(ModeOf(f.Path("old.txt")) & 07777, 0640u);
    EXPECT_EQ(ReadWholeFile(f.Path("new.txt")), "fresh");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(ModeOf(f.Path("new.txt")) & 07777, 0666u & ~mask);
    // The uncommitted one left nothing.
    EXPECT_EQ(f.Entries(), u"new.txt old.txt");
}

TEST(StagedFile, ACommitOntoATargetThatBecameReadOnlyIsRefused)
{
    TempFolder f;
    TStagedFile staged(f.Path("out.txt"));
    staged.Write("new");
    WriteRaw(f.Path("out.txt"), "mine");
    ASSERT_EQ(::chmod(QFile::encodeName(f.Path("out.txt")).constData(), 0444), 0);
    EXPECT_EQ(ErrorOf([&] { staged.Commit(); }),
              QStringLiteral("Cannot create file \"") + f.Path("out.txt") + "\". File is read-only.");
    EXPECT_EQ(ReadWholeFile(f.Path("out.txt")), "mine");
}

TEST(ReadWholeFile, ReadsRegularFilesUpToTheLimitOnly)
{
    TempFolder f;
    WriteRaw(f.Path("small"), QByteArray("abc\0def", 7));
    EXPECT_EQ(ReadWholeFile(f.Path("small")), QByteArray("abc\0def", 7));

    // Never waits for a writer, never reads an endless device.
    ASSERT_TRUE(MakeFifo(f.Path("fifo")));
    EXPECT_EQ(ErrorOf([&] { ReadWholeFile(f.Path("fifo")); }),
              QStringLiteral("Cannot open file \"") + f.Path("fifo") + "\". Not a regular file.");
    EXPECT_EQ(ErrorOf([&] { ReadWholeFile(QStringLiteral("/dev/zero")); }),
              u"Cannot open file \"/dev/zero\". Not a regular file.");
    EXPECT_EQ(ErrorOf([&] { ReadWholeFile(f.dir.path()); }),
              QStringLiteral("Cannot open file \"") + f.dir.path() + "\". Is a directory");
    EXPECT_EQ(ErrorOf([&] { ReadWholeFile(f.Path("missing")); }),
              QStringLiteral("Cannot open file \"") + f.Path("missing") + "\". No such file or directory");

    // Sparse: one byte past the limit takes no room on the disk.
    QFile large(f.Path("large"));
    ASSERT_TRUE(large.open(QIODevice::WriteOnly));
    ASSERT_TRUE(large.resize(kReadFileLimit + 1));
    large.close();
    EXPECT_EQ(ErrorOf([&] { ReadWholeFile(f.Path("large")); }),
              QStringLiteral("Cannot open file \"") + f.Path("large") + "\". The file is larger than 268435456 bytes.");
}

TEST(AppendFileContent, CopiesWholeFilesAndBuffersAtThePresentPosition)
{
    TempFolder f;
    // More than one chunk, with bytes that tell the positions apart.
    QByteArray data(3 * 1024 * 1024 + 17, Qt::Uninitialized);
    for (qsizetype i = 0; i < data.size(); ++i)
        data[i] = char(i * 7 + i / 251);
    {
        // File to file; the source still holds buffered bytes, the target has a head.
        QFile source(f.Path("source.bin"));
        ASSERT_TRUE(source.open(QIODevice::ReadWrite));
        source.write(data);
        QSaveFile target(f.Path("target.bin"));
        ASSERT_TRUE(target.open(QIODevice::WriteOnly));
        target.write("head");
        ASSERT_TRUE(AppendFileContent(source, target));
        EXPECT_EQ(target.pos(), 4 + data.size());
        target.write("tail");
        ASSERT_TRUE(target.commit());
    }
    EXPECT_EQ(ReadWholeFile(f.Path("target.bin")), "head" + data + "tail");
    {
        // A buffer to a file, and a file to a buffer, go the ordinary way.
        QBuffer memory;
        memory.setData(data.left(1000));
        ASSERT_TRUE(memory.open(QIODevice::ReadOnly));
        QFile target(f.Path("from_memory.bin"));
        ASSERT_TRUE(target.open(QIODevice::WriteOnly));
        ASSERT_TRUE(AppendFileContent(memory, target));
    }
    EXPECT_EQ(ReadWholeFile(f.Path("from_memory.bin")), data.left(1000));
    QFile source(f.Path("from_memory.bin"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QBuffer out;
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("x");
    ASSERT_TRUE(AppendFileContent(source, out));
    EXPECT_EQ(out.data(), "x" + data.left(1000));
    // A target that takes nothing is a failure, not a short copy.
    QFile readOnly(f.Path("source.bin"));
    ASSERT_TRUE(readOnly.open(QIODevice::ReadOnly));
    QFile full(QStringLiteral("/dev/full"));
    if (full.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        EXPECT_FALSE(AppendFileContent(readOnly, full));
}

TEST(SameFile, FollowsLinksAndTellsFilesApart)
{
    TempFolder f;
    WriteRaw(f.Path("a"), "a");
    WriteRaw(f.Path("b"), "a");
    ASSERT_EQ(::link(QFile::encodeName(f.Path("a")).constData(), QFile::encodeName(f.Path("hard")).constData()), 0);
    ASSERT_EQ(::symlink("a", QFile::encodeName(f.Path("soft")).constData()), 0);
    EXPECT_TRUE(SameFile(f.Path("a"), f.Path("hard")));
    EXPECT_TRUE(SameFile(f.Path("soft"), f.Path("a")));
    EXPECT_TRUE(SameFile(f.Path("a"), f.dir.path() + QStringLiteral("/./a")));
    EXPECT_FALSE(SameFile(f.Path("a"), f.Path("b")));
    EXPECT_FALSE(SameFile(f.Path("a"), f.Path("missing")));
}
