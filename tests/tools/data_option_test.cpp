// orvane-cli with data: a template's own SQL only reads, pipelines read only
// regular files, and --db refuses what is not an SQLite file with the tables
// the template names.

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstring>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "tests/support/process_run.h"

using namespace orvane::test;

namespace {

struct Data {
    QTemporaryDir dir;
    QString data = Path("data.sqlite");

    Data()
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("cli.data"));
            db.setDatabaseName(data);
            db.open();
            QSqlQuery q(db);
            q.exec(QStringLiteral("CREATE TABLE victim (id INTEGER, name TEXT)"));
            for (int i = 1; i <= 5; ++i)
                q.exec(QStringLiteral("INSERT INTO victim VALUES (%1, 'Item %1')").arg(i));
            q.exec(QStringLiteral("CREATE TABLE customers (id INTEGER)"));
            q.exec(QStringLiteral("CREATE VIEW recent AS SELECT * FROM victim"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("cli.data"));
    }

    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    int Rows() const
    {
        int rows = -1;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("cli.count"));
            db.setDatabaseName(data);
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
            QSqlQuery q(db);
            if (db.open() && q.exec(QStringLiteral("SELECT COUNT(*) FROM victim")) && q.next())
                rows = q.value(0).toInt();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("cli.count"));
        return rows;
    }

    // A list report over plItems, which the template defines itself by `pipeline`.
    QString Template(const char* name, const QByteArray& pipeline) const
    {
        const QString file = Path(name);
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write("object rptList: TjxReport\r\n"
                "  DataPipelineName = 'plItems'\r\n"
                "  Version = '9.01'\r\n" +
                pipeline +
                "  object jxDetailBand1: TjxDetailBand\r\n"
                "    mmHeight = 9000\r\n"
                "    object jxDBText1: TjxDBText\r\n"
                "      DataField = 'name'\r\n"
                "      DataPipelineName = 'plItems'\r\n"
                "      mmHeight = 5000\r\n"
                "      mmWidth = 40000\r\n"
                "    end\r\n"
                "  end\r\n"
                "end\r\n");
        return file;
    }

    QString SqlTemplate(const char* name, const QString& sql, const QString& database = {}) const
    {
        QString quoted = sql;
        quoted.replace(u'\'', QStringLiteral("''"));
        return Template(name, "  object plItems: TjxDBPipeline\r\n"
                              "    DatabaseName = '" + (database.isEmpty() ? data : database).toUtf8() + "'\r\n"
                              "    SQL = '" + quoted.toUtf8() + "'\r\n"
                              "  end\r\n");
    }
};

QString SystemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

TEST(CliData, TemplateSqlNeverWrites)
{
    Data d;
    const QString out = d.Path("out.raf");
    const QString copy = d.Path("copy.sqlite");
    const struct {
        QString sql;
        QString expected;
    } refused[] = {
        {QStringLiteral("DELETE FROM victim"),
         QStringLiteral("The SQL of plItems does not only read: report data is read-only.")},
        {QStringLiteral("VACUUM INTO '%1'").arg(copy),
         QStringLiteral("The SQL of plItems does not only read: report data is read-only.")},
        {QStringLiteral("SELECT * FROM victim; DELETE FROM victim"),
         QStringLiteral("The SQL of plItems must be exactly one statement.")},
    };
    for (const auto& r : refused) {
        const QString file = d.SqlTemplate("sql.rtm", r.sql);
        const ProcessRun info = RunCli({"info", file, "--db", d.data});
        EXPECT_EQ(info.exitCode, 1) << r.sql.toStdString();
        EXPECT_TRUE(info.err.contains(r.expected)) << info.err.toStdString();
        const ProcessRun render = RunCli({"render", file, "--to", "raf", "-o", out});
        EXPECT_EQ(render.exitCode, 1) << r.sql.toStdString();
        EXPECT_TRUE(render.err.contains(QStringLiteral("Could not open DataSet.: plItems. ") + r.expected))
            << render.err.toStdString();
        EXPECT_EQ(d.Rows(), 5) << r.sql.toStdString();
    }
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_FALSE(QFile::exists(out));

    // The same template reading renders its records.
    const QString reading = d.SqlTemplate("read.rtm", QStringLiteral("SELECT name FROM victim WHERE id > 2"));
    const ProcessRun info = RunCli({"info", reading, "--db", d.data});
    EXPECT_EQ(info.exitCode, 0) << info.err.toStdString();
    EXPECT_TRUE(info.out.contains(QStringLiteral("pipeline plItems: 3 record(s)"))) << info.out.toStdString();
    EXPECT_EQ(RunCli({"render", reading, "--to", "raf", "-o", out}).exitCode, 0);
    EXPECT_TRUE(QFile::exists(out));
}

TEST(CliData, PipelineFilesThatCannotBeReadNameThePipelineAndTheReason)
{
    Data d;
    const QString out = d.Path("out.raf");
    // A missing database is an error and is not created.
    const QString missing = d.Path("missing.sqlite");
    const ProcessRun gone = RunCli({"render", d.SqlTemplate("gone.rtm", QStringLiteral("SELECT 1"), missing), "--to",
                                    "raf", "-o", out});
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_TRUE(gone.err.contains(QStringLiteral("Could not open DataSet.: plItems. Database file not found: ") + missing))
        << gone.err.toStdString();
    EXPECT_FALSE(QFile::exists(missing));

    // A text pipeline on a device or a FIFO stops at once instead of reading forever.
    const QString fifo = d.Path("fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& file : {QStringLiteral("/dev/zero"), fifo}) {
        const QString rtm = d.Template("text.rtm", "  object plItems: TjxTextPipeline\r\n"
                                                   "    FileName = '" + file.toUtf8() + "'\r\n"
                                                   "  end\r\n");
        const ProcessRun r = RunCli({"render", rtm, "--to", "raf", "-o", out});
        EXPECT_EQ(r.exitCode, 1) << file.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("Could not open DataSet.: plItems. \"%1\" is not a regular file.").arg(file)))
            << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(out));
}

TEST(CliData, DbOptionRefusesWhatIsNotAnSqliteFileWithTheNamedTables)
{
    Data d;
    const QString plain = d.Template("plain.rtm", {});
    const QString text = d.Path("notes.txt");
    const QString empty = d.Path("empty.sqlite");
    {
        QFile f(text);
        f.open(QIODevice::WriteOnly);
        f.write("id,name\n1,x\n");
        QFile e(empty);
        e.open(QIODevice::WriteOnly);
    }
    // An SQLite file without tables.
    const QString bare = d.Path("bare.sqlite");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("cli.bare"));
        db.setDatabaseName(bare);
        ASSERT_TRUE(db.open());
        ASSERT_TRUE(QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = 1")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("cli.bare"));
    const QString out = d.Path("out.raf");
    const struct {
        QString db;
        QString expected;
    } refused[] = {
        {text, QStringLiteral("\"%1\" is not an SQLite database.").arg(text)},
        {empty, QStringLiteral("The database file \"%1\" is empty.").arg(empty)},
        {d.dir.path(), QStringLiteral("Cannot open file \"%1\". %2").arg(d.dir.path(), SystemText(EISDIR))},
        {QStringLiteral("/dev/null"), QStringLiteral("\"/dev/null\" is not a regular file.")},
        {d.Path("missing.sqlite"), QStringLiteral("Database file not found: ") + d.Path("missing.sqlite")},
        // The template reads plItems; the file has no items table or view.
        {d.data, QStringLiteral("The pipeline plItems has no table or view in \"%1\"; it has: customers, recent, victim")
                     .arg(d.data)},
        {bare, QStringLiteral("The pipeline plItems has no table or view in \"%1\"; it has: no tables").arg(bare)},
    };
    for (const auto& r : refused) {
        for (const char* command : {"info", "render"}) {
            QStringList args{QString::fromLatin1(command), plain, "--db", r.db};
            if (args[0] == u"render")
                args << "--to" << "raf" << "-o" << out;
            const ProcessRun run = RunCli(args);
            EXPECT_EQ(run.exitCode, 1) << command << ' ' << r.db.toStdString();
            EXPECT_TRUE(run.err.contains(r.expected)) << run.err.toStdString();
        }
    }
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(QFile(empty).size(), 0);
    EXPECT_FALSE(QFile::exists(d.Path("missing.sqlite")));
}
