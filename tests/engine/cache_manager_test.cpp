// The page cache: page blocks in memory and in temporary files, saving a page
// again, discarding, cacheables leaving, damaged files and failed writes.

#include "document/cacheable.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "engine/cache_manager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace orvane;

namespace {

class TCounter : public TjxCacheable {
public:
    int value = 0;
    QString text;
    // Discard notices with the page count seen then, as the engine needs it.
    std::vector<std::pair<int, int>> discards;

    void Set(int v, const QString& t)
    {
        value = v;
        text = t;
    }
    void DiscardFrom(int pageIndex) override
    {
        discards.emplace_back(pageIndex, CachePageCount());
        TjxCacheable::DiscardFrom(pageIndex);
    }

protected:
    void WriteState(QDataStream& stream) const override { stream << qint32(value) << text; }
    void ReadState(QDataStream& stream) override
    {
        qint32 v = 0;
        stream >> v >> text;
        value = v;
    }
};

QString PageText(int page, int object) { return QStringLiteral("page %1 object %2 ").arg(page).arg(object).repeated(page + 1); }

// Gives every object distinct values for the page and saves it.
void SavePage(TjxCacheManager& manager, const std::vector<TCounter*>& objects, int page)
{
    for (size_t i = 0; i < objects.size(); ++i)
        objects[i]->Set(page * 100 + int(i), PageText(page, int(i)));
    manager.SavePage(page);
}

void ExpectPage(const std::vector<TCounter*>& objects, int page)
{
    for (size_t i = 0; i < objects.size(); ++i) {
        EXPECT_EQ(objects[i]->value, page * 100 + int(i)) << "page " << page << " object " << i;
        EXPECT_EQ(objects[i]->text, PageText(page, int(i))) << "page " << page << " object " << i;
    }
}

void Scramble(const std::vector<TCounter*>& objects)
{
    for (TCounter* o : objects)
        o->Set(-1, QStringLiteral("scrambled"));
}

QStringList CchFiles(const QString& directory)
{
    return QDir(directory).entryList({QStringLiteral("cch*")}, QDir::Files);
}

// The process's open files that live (named or not) in the directory.
int OpenFilesIn(const QString& directory)
{
    const QString prefix = QDir(directory).canonicalPath() + u'/';
    int count = 0;
    for (const QFileInfo& fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System | QDir::Files))
        if (fd.symLinkTarget().startsWith(prefix))
            ++count;
    return count;
}

// Points the temporary directory at a directory of the test's own.
class CacheFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("TMPDIR", m_dir.path().toLocal8Bit());
        ASSERT_EQ(QDir(QDir::tempPath()).canonicalPath(), QDir(m_dir.path()).canonicalPath());
    }
    void TearDown() override { m_old.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", m_old); }
    QString Dir() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_old = qgetenv("TMPDIR");
};

// Runs a check in memory and again with the manager in files from its first write.
template <class F>
void InBothStores(F check)
{
    for (bool files : {false, true}) {
        SCOPED_TRACE(files ? "files" : "memory");
        TjxCacheManager manager;
        if (files)
            manager.SetMemoryLimit(0);
        check(manager);
        EXPECT_EQ(manager.StorageKind(), files ? skFiles : skMemory);
    }
}

TEST(CacheManager, SavedPagesRestoreTheirOwnValuesAndSkippedIndexesRestoreNothing)
{
    InBothStores([](TjxCacheManager& manager) {
        TCounter a, b, c;
        const std::vector<TCounter*> objects{&a, &b, &c};
        manager.Attach({&a, &b, &c});
        EXPECT_EQ(manager.CachedPageCount(), -1);
        EXPECT_EQ(c.CacheManager(), &manager);
        EXPECT_EQ(c.CachePosition(), 2);
        EXPECT_EQ(c.CacheCount(), 3);

        for (int page = 0; page <= 5; ++page)
            SavePage(manager, objects, page);
        EXPECT_EQ(manager.CachedPageCount(), 5);
        EXPECT_EQ(a.CachePageCount(), 5);

        for (int page : {3, 0, 5}) {
            Scramble(objects);
            manager.RestorePage(page);
            ExpectPage(objects, page);
        }

        // Page 8 saved past the end: 6 and 7 read as never saved, not as garbage.
        SavePage(manager, objects, 8);
        EXPECT_EQ(manager.CachedPageCount(), 8);
        Scramble(objects);
        for (int never : {6, 7, 9, -1})
            manager.RestorePage(never);
        EXPECT_EQ(a.value, -1);
        EXPECT_EQ(c.text, QStringLiteral("scrambled"));
        manager.RestorePage(8);
        ExpectPage(objects, 8);
    });
}

TEST(CacheManager, SavingAnIndexAgainReplacesOnlyThatPage)
{
    InBothStores([](TjxCacheManager& manager) {
        TCounter a, b;
        const std::vector<TCounter*> objects{&a, &b};
        manager.Attach({&a, &b});
        for (int page = 0; page <= 5; ++page)
            SavePage(manager, objects, page);

        // Regenerating page 3 from page 2's state, with a longer block than before.
        manager.RestorePage(2);
        a.Set(777, QStringLiteral("regenerated ").repeated(50));
        manager.SavePage(3);
        EXPECT_EQ(manager.CachedPageCount(), 5);
        Scramble(objects);
        manager.RestorePage(3);
        EXPECT_EQ(a.value, 777);
        EXPECT_EQ(b.value, 201) << "b kept page 2's state";
        manager.RestorePage(4);
        ExpectPage(objects, 4);

        // Again, shorter, and one object on its own: only its record changes.
        a.Set(778, QStringLiteral("short"));
        manager.SavePage(3);
        b.Set(999, QStringLiteral("b alone"));
        b.SaveState(3);
        Scramble(objects);
        manager.RestorePage(3);
        EXPECT_EQ(a.text, QStringLiteral("short"));
        EXPECT_EQ(b.value, 999);

        // Page 3's block now lies behind page 5's; discarding from 5 must keep
        // it, though page 4's block, the last kept, ends before it.
        manager.DiscardFrom(5);
        Scramble(objects);
        manager.RestorePage(3);
        EXPECT_EQ(a.value, 778);
        EXPECT_EQ(b.text, QStringLiteral("b alone"));
        manager.RestorePage(4);
        ExpectPage(objects, 4);
    });
}

TEST(CacheManager, DiscardKeepsEarlierPagesAndTellsTheCacheablesWhenAsked)
{
    InBothStores([](TjxCacheManager& manager) {
        TCounter a, t;
        const std::vector<TCounter*> objects{&a, &t};
        manager.DiscardFrom(0);  // nothing cached: nobody is told
        manager.Attach({&a, &t});
        manager.DiscardFrom(0);
        EXPECT_TRUE(t.discards.empty());

        for (int page = 0; page <= 5; ++page)
            SavePage(manager, objects, page);
        manager.DiscardFrom(3);
        ASSERT_EQ(t.discards.size(), 1u);
        EXPECT_EQ(t.discards[0], std::make_pair(3, 5)) << "the notice comes while the old count stands";
        EXPECT_EQ(manager.CachedPageCount(), 2);
        EXPECT_EQ(t.CachePageCount(), 2);

        Scramble(objects);
        manager.RestorePage(3);
        EXPECT_EQ(a.value, -1);
        manager.RestorePage(2);
        ExpectPage(objects, 2);

        // The next generation of page 3 saves it again; 4 and 5 do not come back.
        SavePage(manager, objects, 3);
        EXPECT_EQ(manager.CachedPageCount(), 3);
        SavePage(manager, objects, 6);
        Scramble(objects);
        manager.RestorePage(4);
        manager.RestorePage(5);
        EXPECT_EQ(a.value, -1) << "entries cut by the discard must not resurface";

        // A discard beyond what is cached never raises the count.
        manager.DiscardFrom(20);
        EXPECT_EQ(manager.CachedPageCount(), 6);

        manager.SetDiscardNotification(false);
        t.discards.clear();
        manager.DiscardFrom(1);
        EXPECT_TRUE(t.discards.empty());
        EXPECT_EQ(manager.CachedPageCount(), 0);

        manager.Clear();
        ASSERT_EQ(t.discards.size(), 1u) << "clearing always tells";
        EXPECT_EQ(t.discards[0], std::make_pair(0, 0));
        EXPECT_EQ(manager.CachedPageCount(), -1);
        EXPECT_EQ(manager.CacheableCount(), 0);
        EXPECT_EQ(t.CacheManager(), nullptr);
    });
}

TEST(CacheManager, CacheablesLeavingOrSharedKeepTheirPlaces)
{
    TjxCacheManager manager;
    TCounter a, c;
    auto* b = new TCounter;
    manager.Attach({&a, b, &c});
    for (int page = 0; page <= 2; ++page) {
        a.Set(page, {});
        b->Set(page + 10, {});
        c.Set(page + 20, QStringLiteral("c%1").arg(page));
        manager.SavePage(page);
    }
    delete b;
    EXPECT_EQ(manager.CacheableCount(), 2);
    manager.RestorePage(1);
    EXPECT_EQ(a.value, 1);
    EXPECT_EQ(c.value, 21) << "c must not read the record b left behind";
    EXPECT_EQ(c.text, QStringLiteral("c1"));

    // A rollback manager holds c too; when it goes, c is the report manager's again.
    {
        TjxCacheManager rollback;
        rollback.Attach({&c});
        c.Set(3, {});
        rollback.SavePage(0);
        EXPECT_EQ(c.CacheManager(), &rollback);
        c.Set(4, {});
        rollback.RestorePage(0);
        EXPECT_EQ(c.value, 3);
    }
    EXPECT_EQ(c.CacheManager(), &manager);
    manager.RestorePage(2);
    EXPECT_EQ(c.value, 22);

    // Unregistered, a cacheable keeps its own records again.
    manager.Unregister(&a);
    EXPECT_EQ(a.CacheManager(), nullptr);
    EXPECT_EQ(a.CachePageCount(), -1);
    a.Set(5, {});
    a.SaveState(0);
    a.Set(6, {});
    a.RestoreState(0);
    EXPECT_EQ(a.value, 5);
    manager.RestorePage(1);
    EXPECT_EQ(a.value, 5) << "a is no longer restored by the manager";
}

TEST_F(CacheFiles, ATinyMemoryLimitMovesToCchFilesThatClearDeletes)
{
    auto owned = std::make_unique<TjxCacheManager>();
    TjxCacheManager& manager = *owned;
    manager.SetMemoryLimit(600);
    TjxCommunicator listener;
    int switches = 0;
    listener.AddEventInterest(ciCacheWriteFailed);
    listener.OnEventNotify = [&](TjxCommunicator* sender, int id, TjxEventParams*) {
        if (sender == &manager && id == ciCacheWriteFailed)
            ++switches;
    };
    manager.AddEventNotify(&listener);

    TCounter a, b, c;
    const std::vector<TCounter*> objects{&a, &b, &c};
    manager.Attach({&a, &b, &c});
    SavePage(manager, objects, 0);
    EXPECT_EQ(manager.StorageKind(), skMemory);
    EXPECT_TRUE(CchFiles(Dir()).isEmpty());
    for (int page = 1; page <= 9; ++page)
        SavePage(manager, objects, page);
    EXPECT_EQ(manager.StorageKind(), skFiles);
    EXPECT_EQ(switches, 1);

    // The files are open in the cache directory but have no name there.
    const std::vector<int> handles = manager.FileHandles();
    ASSERT_EQ(handles.size(), 2u);
    struct stat directory {};
    ASSERT_EQ(::stat(QFile::encodeName(Dir()).constData(), &directory), 0);
    for (int fd : handles) {
        struct stat file {};
        ASSERT_EQ(::fstat(fd, &file), 0);
        EXPECT_EQ(file.st_nlink, 0u);
        EXPECT_EQ(file.st_dev, directory.st_dev);
        EXPECT_GT(file.st_size, 0);
    }
    EXPECT_EQ(OpenFilesIn(Dir()), 2);
    EXPECT_TRUE(QDir(Dir()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System));
    // Pages saved in memory came over with the switch.
    for (int page = 0; page <= 9; ++page) {
        Scramble(objects);
        manager.RestorePage(page);
        ExpectPage(objects, page);
    }

    manager.Clear();
    EXPECT_EQ(OpenFilesIn(Dir()), 0) << "clearing closes the files";
    EXPECT_TRUE(manager.FileHandles().empty());
    EXPECT_EQ(manager.StorageKind(), skFiles) << "files once per run";

    // Used again, it starts new files at once; destroying it closes them.
    manager.Attach({&b});
    SavePage(manager, {&b}, 0);
    EXPECT_EQ(manager.FileHandles().size(), 2u);
    EXPECT_EQ(OpenFilesIn(Dir()), 2);
    EXPECT_EQ(switches, 1);
    owned.reset();
    EXPECT_EQ(OpenFilesIn(Dir()), 0);
    EXPECT_TRUE(CchFiles(Dir()).isEmpty());
}

TEST_F(CacheFiles, AKilledProcessLeavesNoCacheFile)
{
    // The child writes its pages to files, then dies without cleaning up.
    EXPECT_EXIT(
        {
            TjxCacheManager manager;
            manager.SetMemoryLimit(0);
            TCounter a;
            manager.Attach({&a});
            for (int page = 0; page < 50; ++page)
                SavePage(manager, {&a}, page);
            if (manager.FileHandles().size() != 2 || OpenFilesIn(Dir()) != 2)
                _exit(1);
            std::raise(SIGKILL);
        },
        ::testing::KilledBySignal(SIGKILL), "");
    EXPECT_TRUE(QDir(Dir()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System));
}

TEST_F(CacheFiles, ACacheFileCutShortIsAnErrorNamingThePage)
{
    TjxCacheManager manager;
    manager.SetMemoryLimit(0);
    TCounter a, b;
    const std::vector<TCounter*> objects{&a, &b};
    manager.Attach({&a, &b});
    for (int page = 0; page <= 3; ++page)
        SavePage(manager, objects, page);
    const std::vector<int> handles = manager.FileHandles();
    ASSERT_EQ(handles.size(), 2u);
    const int data = handles[0];
    struct stat st {};
    ASSERT_EQ(::fstat(data, &st), 0);
    ASSERT_EQ(::ftruncate(data, st.st_size - 5), 0);
    Scramble(objects);
    try {
        manager.RestorePage(3);
        FAIL() << "a short read passed";
    } catch (const EPrintError& e) {
        EXPECT_EQ(e.Message(), MessageText(msg::CacheRecordUnreadable, {QStringLiteral("3")}));
        EXPECT_TRUE(e.Message().contains(QStringLiteral("page 3")));
    }
    EXPECT_EQ(a.value, -1) << "nothing half-restored";
    EXPECT_EQ(b.text, QStringLiteral("scrambled"));
    manager.RestorePage(2);
    ExpectPage(objects, 2);

    // A block whose record lengths do not add up is refused too: page 0's
    // first record is said to be one byte longer.
    char length[4];
    ASSERT_EQ(::pread(data, length, 4, 4), 4);
    ++length[0];
    ASSERT_EQ(::pwrite(data, length, 4, 4), 4);
    EXPECT_THROW(manager.RestorePage(0), EPrintError);
    EXPECT_EQ(a.value, 200);
}

// Runs in a forked child whose files cannot grow past `fileLimit`; exits 0
// when the fatal path ran in full, and prints the error for the parent.
[[noreturn]] void RunOutOfDisk(qint64 memoryLimit, rlim_t fileLimit, int expectedLastPage)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{fileLimit, fileLimit};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        _exit(10);
    int failures = 0;
    {
        TjxCacheManager manager;
        manager.SetMemoryLimit(memoryLimit);
        bool fatalHook = false;
        manager.OnFatal = [&] { fatalHook = true; };
        TCounter a;
        manager.Attach({&a});
        int page = 0;
        try {
            for (; page < 1000; ++page) {
                a.Set(page, QString(2000, QChar(u'a' + page % 26)));
                manager.SavePage(page);
            }
            _exit(11);
        } catch (const EPrintError& e) {
            std::fprintf(stderr, "%s\n", e.what());
            if (e.Message() != MessageText(284))
                ++failures;
        }
        if (!fatalHook || manager.StorageKind() != skFiles)
            ++failures;
        // The page that failed is not counted, and the pages before it still restore.
        if (manager.CachedPageCount() != page - 1 || (expectedLastPage >= 0 && page - 1 != expectedLastPage))
            ++failures;
        for (int p : {0, page - 1}) {
            a.Set(-1, {});
            manager.RestorePage(p);
            if (a.value != p || a.text != QString(2000, QChar(u'a' + p % 26)))
                ++failures;
        }
    }
    _exit(failures);
}

TEST_F(CacheFiles, AFailedWriteToTheCacheFilesIsFatal)
{
    // The file store fills up after the move from memory.
    EXPECT_EXIT(RunOutOfDisk(0, 64 * 1024, -1), ::testing::ExitedWithCode(0),
                "Not enough disk space to print report\\.");
    // The move itself fails: the memory copy is kept and the pages saved so far
    // still restore. Pages take 4033 bytes (block and entry), so page 6 is the
    // one that outgrows 24 KiB.
    EXPECT_EXIT(RunOutOfDisk(24 * 1024, 8 * 1024, 5), ::testing::ExitedWithCode(0),
                "Not enough disk space to print report\\.");
    EXPECT_TRUE(CchFiles(Dir()).isEmpty()) << "the child deleted its files";
}

} // namespace
