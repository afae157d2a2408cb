// The settings file engine: hand-edited files survive byte for byte, values
// keep their formats, every write is atomic and shared writers lose nothing.

#include "document/errors.h"
#include "tests/support/test_basics.h"
#include "platform/ini_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <random>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace orvane;

using namespace orvane::test;

namespace {

QByteArray ReadRaw(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

ino_t InodeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : m_name(name), m_had(qEnvironmentVariableIsSet(name))
    {
        m_old = qgetenv(name);
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

} // namespace

TEST(IniFile, HandWrittenLinesSurviveEveryChangeByteForByte)
{
    TempFolder f;
    const QString path = f.Path("Orvane.ini");
    WriteRaw(path,
             "; Orvane settings, edited by hand\n"
             "top=outside any section\n"
             "\n"
             "[Designer Preferences]\n"
             "showdata = 0\n"
             "; keep this\n"
             "\n"
             "[Unknown Section]\n"
             "Some Key=a,b,%20 \"quoted\"\n"
             "not a key line\n"
             "[half open\n"
             "\n"
             "# closing comment of Unknown\n"
             "[Grid Options]\n"
             "SnapToGrid=1\n"
             "XGridSpace=12\n"
             "\n"
             "[Last]\n"
             "X=1");
    TIniFile ini(path);
    EXPECT_FALSE(ini.ReadBool("DESIGNER PREFERENCES", "ShowData", true));
    EXPECT_EQ(ini.ReadString("unknown section", "SOME KEY", "-"), u"a,b,%20 \"quoted\"");
    EXPECT_EQ(ini.ReadString("", "top", "-"), u"-");
    EXPECT_EQ(ini.ReadString("Unknown Section", "not a key line", "-"), u"-");
    EXPECT_EQ(ini.ReadSections(), (QStringList{"Designer Preferences", "Unknown Section", "Grid Options", "Last"}));

    // Writing what is stored leaves the file alone.
    const ino_t before = InodeOf(path);
    ini.WriteInteger("grid options", "xgridspace", 12);
    EXPECT_EQ(InodeOf(path), before);

    ini.WriteBool("Designer Preferences", "ShowData", true);
    ini.WriteString("designer preferences", "NewKey", "v");
    ini.EraseSection("Grid Options");
    EXPECT_FALSE(ini.SectionExists("Grid Options"));
    ini.WriteInteger("Grid Options", "YGridSpace", 8);
    ini.WriteString("New Section", "K", "x y");
    EXPECT_EQ(ReadRaw(path),
              "; Orvane settings, edited by hand\n"
              "top=outside any section\n"
              "\n"
              "[Designer Preferences]\n"
              "showdata = 1\n"
              "NewKey=v\n"
              "; keep this\n"
              "\n"
              "[Unknown Section]\n"
              "Some Key=a,b,%20 \"quoted\"\n"
              "not a key line\n"
              "[half open\n"
              "\n"
              "# closing comment of Unknown\n"
              "[Grid Options]\n"
              "YGridSpace=8\n"
              "\n"
              "[Last]\n"
              "X=1\n"
              "\n"
              "[New Section]\n"
              "K=x y\n");
}

TEST(IniFile, KeepsByteOrderMarkLineEndingsAndReadsRepeatedSectionsAsOne)
{
    TempFolder f;
    const QString crlf = f.Path("crlf.ini");
    WriteRaw(crlf, "\xEF\xBB\xBF[A]\r\nk=1\r\n; c\r\n");
    TIniFile a(crlf);
    a.WriteInteger("A", "k", 2);
    a.WriteInteger("A", "m", 3);
    a.WriteInteger("B", "n", 4);
    EXPECT_EQ(ReadRaw(crlf), "\xEF\xBB\xBF[A]\r\nk=2\r\nm=3\r\n; c\r\n\r\n[B]\r\nn=4\r\n");

    const QString twice = f.Path("twice.ini");
    WriteRaw(twice, "[A]\nk=1\n[B]\nx=0\n[a]\nk=2\nj=3\n");
    TIniFile t(twice);
    EXPECT_EQ(t.ReadInteger("A", "k", 0), 1);
    EXPECT_EQ(t.ReadInteger("A", "j", 0), 3);
    EXPECT_EQ(t.ReadSections(), (QStringList{"A", "B"}));
    EXPECT_EQ(t.ReadSection("a"), (QStringList{"k", "j"}));
    t.EraseSection("a");
    EXPECT_EQ(ReadRaw(twice), "[B]\nx=0\n");
    // Written again, the section returns to where it first stood.
    t.WriteInteger("A", "k", 5);
    EXPECT_EQ(ReadRaw(twice), "[A]\nk=5\n[B]\nx=0\n");
    t.DeleteKey("a", "K");
    EXPECT_EQ(ReadRaw(twice), "[A]\n[B]\nx=0\n");

    const QString single = f.Path("single.ini");
    WriteRaw(single, "[A]\nk=1\n");
    TIniFile s(single);
    s.EraseSection("A");
    EXPECT_EQ(ReadRaw(single), "");
    s.WriteInteger("B", "x", 1);
    EXPECT_EQ(ReadRaw(single), "[B]\nx=1\n");
}

TEST(IniFile, ValuesAreRawTextInFixedFormats)
{
    TempFolder f;
    const QString path = f.Path("values.ini");
    {
        TIniFile ini(path);
        ini.WriteBool("V", "B1", true);
        ini.WriteBool("V", "B0", false);
        ini.WriteInteger("V", "I", -5);
        ini.WriteFloat("V", "F1", 0.1);
        ini.WriteFloat("V", "F2", 1e300);
        ini.WriteFloat("V", "F3", -2.5);
        ini.WriteDate("V", "D", QDate(2026, 12, 10));
        ini.WriteTime("V", "T", QTime(13, 5, 0));
        ini.WriteTime("V", "Tms", QTime(13, 5, 0, 250));
        ini.WriteDateTime("V", "DT", QDateTime(QDate(2026, 12, 10), QTime(13, 5, 0)));
        ini.WriteString("V", "S", QString::fromUtf8("/srv/a,b/%41 \"r\" \xC3\xA9.rtm"));
    }
    EXPECT_EQ(ReadRaw(path), "[V]\nB1=1\nB0=0\nI=-5\nF1=0.1\nF2=1e+300\nF3=-2.5\nD=2026-12-10\nT=13:05:00\n"
                             "Tms=13:05:00.250\nDT=2026-12-10T13:05:00\nS=/srv/a,b/%41 \"r\" \xC3\xA9.rtm\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadFloat("V", "F1", 0), 0.1);
    EXPECT_EQ(ini.ReadFloat("V", "F2", 0), 1e300);
    EXPECT_EQ(ini.ReadTime("V", "Tms", QTime()), QTime(13, 5, 0, 250));
    EXPECT_EQ(ini.ReadDateTime("V", "DT", QDateTime()), QDateTime(QDate(2026, 12, 10), QTime(13, 5, 0)));
    EXPECT_EQ(ini.ReadDate("V", "D", QDate()), QDate(2026, 12, 10));
    EXPECT_EQ(ini.ReadString("V", "S", ""), QString::fromUtf8("/srv/a,b/%41 \"r\" \xC3\xA9.rtm"));

    WriteRaw(path, "[R]\nt=true\nf=FALSE\nT=0\nseven=7\nyes=yes\nhex=$1F\nhex2=0x1f\nblank= 42 \ntail=12abc\n"
                   "big=99999999999\ncolour=$FF000008\ncomma=1,5\nexp=2.5e3\nnan=nan\nbaddate=2026-02-30\n"
                   "empty=\n");
    EXPECT_TRUE(ini.ReadBool("R", "t", false));
    EXPECT_FALSE(ini.ReadBool("R", "f", true));
    EXPECT_TRUE(ini.ReadBool("R", "T", false));  // the first of "t" and "T"
    EXPECT_TRUE(ini.ReadBool("R", "seven", false));
    EXPECT_FALSE(ini.ReadBool("R", "yes", false));
    EXPECT_TRUE(ini.ReadBool("R", "yes", true));
    EXPECT_EQ(ini.ReadInteger("R", "hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("R", "hex2", 0), 31);
    EXPECT_EQ(ini.ReadInteger("R", "blank", 0), 42);
    EXPECT_EQ(ini.ReadInteger("R", "tail", -1), -1);
    EXPECT_EQ(ini.ReadInteger("R", "big", -1), -1);
    EXPECT_EQ(ini.ReadInteger("R", "colour", 0), int(0xFF000008u));
    EXPECT_EQ(ini.ReadFloat("R", "comma", -1), -1);
    EXPECT_EQ(ini.ReadFloat("R", "exp", -1), 2500);
    EXPECT_EQ(ini.ReadFloat("R", "nan", -1), -1);
    EXPECT_EQ(ini.ReadDate("R", "baddate", QDate(2000, 1, 1)), QDate(2000, 1, 1));
    EXPECT_EQ(ini.ReadString("R", "empty", "-"), u"");
    EXPECT_EQ(ini.ReadInteger("R", "empty", 3), 3);
    EXPECT_EQ(ini.ReadInteger("R", "missing", 3), 3);
    EXPECT_EQ(ini.ReadInteger("Missing", "t", 3), 3);
}

TEST(IniFile, WhatWouldBreakTheLinesIsRefusedAndChangesNothing)
{
    TempFolder f;
    const QString path = f.Path("x.ini");
    WriteRaw(path, "[A]\nk=1\n");
    TIniFile ini(path);
    EXPECT_EQ(ErrorOf([&] { ini.WriteString("A", "k", "1\n[B]\nk=2"); }),
              u"The value of \"k\" in section \"A\" cannot hold a line break.");
    EXPECT_EQ(ErrorOf([&] { ini.WriteString("A]", "k", "v"); }),
              u"\"A]\" cannot be a section or key name in a settings file.");
    for (const char* key : {"k=1", " ", ";k", "[k", "#k", "a\rb"})
        EXPECT_FALSE(ErrorOf([&] { ini.WriteString("A", key, "v"); }).isEmpty()) << key;
    EXPECT_FALSE(ErrorOf([&] { ini.WriteString("", "k", "v"); }).isEmpty());
    EXPECT_EQ(ReadRaw(path), "[A]\nk=1\n");
    EXPECT_EQ(ini.ReadInteger("A", "k", 0), 1);
}

TEST(IniFile, TwoWritersOnOneFileAndAnEditorBetweenThemLoseNothing)
{
    TempFolder f;
    ASSERT_TRUE(QDir(f.dir.path()).mkdir("sub"));
    const QString path = f.Path("sub/Orvane.ini");
    ASSERT_EQ(::symlink(QFile::encodeName(path).constData(), QFile::encodeName(f.Path("link.ini")).constData()), 0);
    TIniFile a(path);
    {
        TIniFile b(f.Path("sub/../sub/./Orvane.ini"));
        TIniFile c(f.Path("link.ini"));
        a.WriteInteger("Designer Position", "Left", 1);
        b.WriteInteger("Standard", "FloatLeft", 2);
        c.WriteInteger("Draw", "LineColor", 3);
        a.WriteInteger("Designer Position", "Top", 4);
        EXPECT_EQ(b.ReadInteger("Designer Position", "Top", 0), 4);
    }
    EXPECT_EQ(ReadRaw(path), "[Designer Position]\nLeft=1\nTop=4\n\n[Standard]\nFloatLeft=2\n\n[Draw]\nLineColor=3\n");
    // Someone edits the file while it is open: the next write keeps their change.
    WriteRaw(path, ReadRaw(path) + "\n[Editor]\nadded=yes\n");
    EXPECT_EQ(a.ReadString("Editor", "added", ""), u"yes");
    a.WriteInteger("Designer Position", "Left", 5);
    EXPECT_EQ(ReadRaw(path),
              "[Designer Position]\nLeft=5\nTop=4\n\n[Standard]\nFloatLeft=2\n\n[Draw]\nLineColor=3\n\n[Editor]\nadded=yes\n");
}

TEST(IniFile, AnUpdateWritesItsChangesOnceOrNotAtAll)
{
    TempFolder f;
    const QString path = f.Path("u.ini");
    WriteRaw(path, "[A]\nk=1\n");
    const ino_t before = InodeOf(path);
    TIniFile a(path);
    TIniFile b(path);
    a.BeginUpdate();
    a.WriteInteger("A", "k", 2);
    a.EraseSection("A");
    b.BeginUpdate();
    b.WriteInteger("B", "x", 1);
    b.EndUpdate();
    EXPECT_EQ(a.ReadInteger("B", "x", 0), 1);
    EXPECT_FALSE(a.SectionExists("A"));
    EXPECT_EQ(ReadRaw(path), "[A]\nk=1\n");
    EXPECT_EQ(InodeOf(path), before);
    a.WriteInteger("A", "k", 3);
    a.EndUpdate();
    EXPECT_EQ(ReadRaw(path), "[A]\nk=3\n[B]\nx=1\n");

    // Cancelled updates leave what was there before each of them.
    a.BeginUpdate();
    a.WriteInteger("A", "k", 4);
    b.BeginUpdate();
    b.WriteInteger("A", "j", 5);
    b.CancelUpdate();
    EXPECT_FALSE(a.ValueExists("A", "j"));
    EXPECT_EQ(a.ReadInteger("A", "k", 0), 4);
    a.CancelUpdate();
    EXPECT_EQ(a.ReadInteger("A", "k", 0), 3);
    // One freed inside its update drops it, and writes go to disk again at once.
    {
        TIniFile c(path);
        c.BeginUpdate();
        c.WriteInteger("C", "z", 1);
    }
    a.WriteInteger("A", "k", 6);
    EXPECT_EQ(ReadRaw(path), "[A]\nk=6\n[B]\nx=1\n");
}

TEST(IniFile, AFileThatCannotBeReadOrWrittenIsLeftAsItWas)
{
    TempFolder f;
    // Nothing is made until a write; then the folders are.
    const QString nested = f.Path("a/b/c.ini");
    TIniFile fresh(nested);
    EXPECT_EQ(fresh.ReadInteger("S", "k", 7), 7);
    EXPECT_FALSE(QFile::exists(f.Path("a")));
    fresh.WriteInteger("S", "k", 8);
    EXPECT_EQ(ReadRaw(nested), "[S]\nk=8\n");

    const QString readOnly = f.Path("ro.ini");
    WriteRaw(readOnly, "[S]\nk=1\n");
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0444), 0);
    TIniFile ro(readOnly);
    const QString error = ErrorOf([&] { ro.WriteInteger("S", "k", 2); });
    EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot create file \"%1\".").arg(readOnly))) << error.toStdString();
    EXPECT_EQ(ReadRaw(readOnly), "[S]\nk=1\n");
    EXPECT_EQ(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"ro.ini"});

    // A FIFO in its place is not read (it would block) and never replaced.
    const QString fifo = f.Path("fifo.ini");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    TIniFile pipe(fifo);
    EXPECT_EQ(pipe.ReadInteger("S", "k", 9), 9);
    EXPECT_EQ(ErrorOf([&] { pipe.WriteInteger("S", "k", 1); }),
              QStringLiteral("The settings file \"%1\" could not be read, so it is not written over. "
                             "Not a regular file.")
                  .arg(fifo));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(IniFile, TheConfigFolderFollowsXdgConfigHome)
{
    TempFolder f;
    ScopedEnv home("HOME", QFile::encodeName(f.Path("home")));
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", QFile::encodeName(f.Path("xdg")));
        EXPECT_EQ(OrvaneConfigFolder(), f.Path("xdg/orvane"));
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "relative/path");
        EXPECT_EQ(OrvaneConfigFolder(), f.Path("home/.config/orvane"));
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "");
        EXPECT_EQ(OrvaneConfigFolder(), f.Path("home/.config/orvane"));
    }
}

namespace {

constexpr int kLoopKeys = 200;
const char* const kChildFileVariable = "ORVANE_INI_WRITER_FILE";

// A long comment makes every write large, so that a kill often lands inside one.
QByteArray LoopPreamble()
{
    return "; written in a loop\n;" + QByteArray(60000, 'x') + "\n[Loop]\n";
}

QByteArray LoopFile(const std::vector<int>& values)
{
    QByteArray out = LoopPreamble();
    for (int k = 0; k < int(values.size()); ++k)
        out += "K" + QByteArray::number(k) + "=" + QByteArray::number(values[size_t(k)]) + "\n";
    return out;
}

} // namespace

// Run by the test below as a child process: writes until it is killed.
TEST(IniFileChild, WritesInALoop)
{
    const QByteArray path = qgetenv(kChildFileVariable);
    if (path.isEmpty())
        GTEST_SKIP() << "runs only as the child of IniFile.AKilledWriterLeavesTheOldOrTheNewFile";
    TIniFile ini(QFile::decodeName(path));
    for (int round = 1;; ++round)
        for (int k = 0; k < kLoopKeys; ++k)
            ini.WriteInteger("Loop", "K" + QString::number(k), round);
}

TEST(IniFile, AKilledWriterLeavesTheOldOrTheNewFile)
{
    TempFolder f;
    const QString path = f.Path("loop.ini");
    char self[4096] = {};
    ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
    const QByteArray variable = QByteArray(kChildFileVariable) + "=" + QFile::encodeName(path);
    std::vector<char*> env;
    for (char** e = environ; *e; ++e)
        env.push_back(*e);
    env.push_back(const_cast<char*>(variable.constData()));
    env.push_back(nullptr);
    char filter[] = "--gtest_filter=IniFileChild.WritesInALoop";
    char* argv[] = {self, filter, nullptr};

    std::mt19937 random(20261210);
    for (int kill = 0; kill < 8; ++kill) {
        std::vector<int> start(kLoopKeys, 0);
        WriteRaw(path, LoopFile(start));
        pid_t child = 0;
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
        const int spawned = ::posix_spawn(&child, self, &quiet, nullptr, argv, env.data());
        posix_spawn_file_actions_destroy(&quiet);
        ASSERT_EQ(spawned, 0);
        // Until the child has written some keys (bounded, in case it cannot start).
        for (int wait = 0; wait < 3000 && TIniFile(path).ReadInteger("Loop", "K3", 0) == 0; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 30000));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself";

        // Every key is there, the values are one write's state, and the bytes are exactly that state's.
        const QByteArray bytes = ReadRaw(path);
        TIniFile ini(path);
        std::vector<int> values;
        for (int k = 0; k < kLoopKeys; ++k)
            values.push_back(ini.ReadInteger("Loop", "K" + QString::number(k), -1));
        EXPECT_GE(values.front(), 1);
        int steps = 0;
        for (int k = 1; k < kLoopKeys; ++k) {
            EXPECT_TRUE(values[size_t(k)] == values[size_t(k) - 1] || values[size_t(k)] == values[size_t(k) - 1] - 1)
                << "key " << k;
            steps += values[size_t(k)] != values[size_t(k) - 1];
        }
        EXPECT_LE(steps, 1);
        EXPECT_EQ(bytes, LoopFile(values));
    }
}
