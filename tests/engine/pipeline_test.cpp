// Data pipelines over real SQLite files: ranges, bookmarks, master/detail
// skipping and event order, field types from column types, text and memory
// sources; report data that is only ever read, from files that are only ever regular.

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "engine/db_pipeline.h"
#include "engine/field.h"
#include "engine/memory_pipeline.h"
#include "engine/pipeline_file.h"
#include "engine/pipeline_list.h"
#include "engine/text_pipeline.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstring>
#include <ctime>
#include <sqlite3.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace orvane;

namespace {

class THost : public TComponent {
public:
    explicit THost(TComponent* owner = nullptr) : TComponent(owner) {}
};

// Runs statements on a file of its own connection, closed before the pipelines read it.
void RunSql(const QString& file, const QStringList& statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test.setup"));
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        q.exec(QStringLiteral("BEGIN"));
        for (const QString& s : statements)
            ASSERT_TRUE(q.exec(s)) << s.toStdString() << ": " << q.lastError().text().toStdString();
        q.exec(QStringLiteral("COMMIT"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("test.setup"));
}

struct Db {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("data.sqlite"));
    THost host;

    TjxDBPipeline* Pipeline(const char* name, const char* table)
    {
        auto* p = new TjxDBPipeline(&host);
        p->SetName(QString::fromLatin1(name));
        p->SetDatabaseName(file);
        p->SetTableName(QString::fromLatin1(table));
        return p;
    }
};

// Ten records numbered 0 to 9.
void CreateNumbers(const QString& file)
{
    QStringList sql{QStringLiteral("CREATE TABLE numbers (n INTEGER, label VARCHAR(20))")};
    for (int i = 0; i < 10; ++i)
        sql << QStringLiteral("INSERT INTO numbers VALUES (%1, 'r%1')").arg(i);
    RunSql(file, sql);
}

// The values of a field over a whole traversal, as the engine walks it.
QList<int64_t> Traverse(TjxDataPipeline& p, const QString& field, int limit = 100)
{
    QList<int64_t> seen;
    p.First();
    while (!p.Eof() && !p.NoRecords() && limit-- > 0) {
        seen << p.GetFieldValue(field).integer;
        p.Next();
    }
    return seen;
}

} // namespace

TEST(Pipeline, RangesAndBookmarks)
{
    Db d;
    CreateNumbers(d.file);
    TjxDBPipeline* p = d.Pipeline("plNumbers", "numbers");
    p->Open();
    p->InitTraversal(nullptr);
    EXPECT_EQ(Traverse(*p, QStringLiteral("n")), (QList<int64_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(p->RecordCount(), 9);
    EXPECT_TRUE(p->LastRecord());
    // The cursor stays on the last record after the end was reached.
    EXPECT_EQ(p->GetFieldValue(QStringLiteral("n")).integer, 9);

    p->SetRangeEnd(reCount);
    p->SetRangeEndCount(3);
    p->InitTraversal(nullptr);
    EXPECT_EQ(Traverse(*p, QStringLiteral("n")), (QList<int64_t>{0, 1, 2}));
    p->Last();
    EXPECT_EQ(p->GetFieldValue(QStringLiteral("n")).integer, 2);
    EXPECT_TRUE(p->LastRecord());

    // More counted than there are records: Last ends on the last record.
    p->SetRangeEndCount(25);
    p->InitTraversal(nullptr);
    EXPECT_EQ(Traverse(*p, QStringLiteral("n")).size(), 10);
    p->Last();
    EXPECT_EQ(p->GetFieldValue(QStringLiteral("n")).integer, 9);

    // Only the current record.
    p->SetRangeEnd(reLastRecord);
    p->First();
    p->MoveBy(4);
    p->MarkCurrentRecord();
    p->SetRangeBegin(rbCurrentRecord);
    p->SetRangeEnd(reCurrentRecord);
    p->InitTraversal(nullptr);
    EXPECT_EQ(Traverse(*p, QStringLiteral("n")), (QList<int64_t>{4}));

    // A bookmark on record 7 survives a traversal to the end; so does a saved position.
    p->SetRangeBegin(rbFirstRecord);
    p->SetRangeEnd(reLastRecord);
    p->InitTraversal(nullptr);
    p->First();
    TjxBookmark mark = 0;
    TjxPipelinePosition saved;
    while (!p->Eof()) {
        if (p->GetFieldValue(QStringLiteral("n")).integer == 7) {
            mark = p->GetBookmark();
            saved = p->SavePosition();
        }
        p->Next();
    }
    const TjxPipelinePosition atEnd = p->SavePosition();
    p->GotoBookmark(mark);
    EXPECT_EQ(p->GetFieldValue(QStringLiteral("n")).integer, 7);
    EXPECT_EQ(p->GetFieldAsString(QStringLiteral("label")), u"r7");
    p->First();
    p->RestorePosition(saved, false);
    EXPECT_EQ(p->GetFieldValue(QStringLiteral("n")).integer, 7);
    EXPECT_EQ(p->RecordIndex(), 7);
    // A position saved on the last record goes back to the last record, not to its bookmark.
    p->First();
    p->RestorePosition(atEnd);
    EXPECT_EQ(p->GetFieldValue(QStringLiteral("n")).integer, 9);
    EXPECT_EQ(p->RecordIndex(), 9);

    // A bookmark list walks exactly its records.
    p->SetBookmarkList({3, 1, 10});
    EXPECT_EQ(Traverse(*p, QStringLiteral("n")), (QList<int64_t>{2, 0, 9}));
    p->ClearBookmarkList();

    // Backwards from the last record.
    p->SetRangeBegin(rbLastRecord);
    p->SetRangeEnd(reFirstRecord);
    p->SetMoveBy(-1);
    EXPECT_EQ(Traverse(*p, QStringLiteral("n")), (QList<int64_t>{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
}

TEST(Pipeline, EmptySourceAndErrors)
{
    Db d;
    RunSql(d.file, {QStringLiteral("CREATE TABLE empty (n INTEGER)")});
    TjxDBPipeline* p = d.Pipeline("plEmpty", "empty");
    p->Open();
    p->First();
    EXPECT_TRUE(p->NoRecords());
    p->Next();
    p->Last();
    EXPECT_TRUE(p->NoRecords());
    EXPECT_EQ(p->TraversalCount(), 1);

    // The database's own text reaches the caller.
    TjxDBPipeline* bad = d.Pipeline("plBad", "missing_table");
    try {
        bad->Open();
        FAIL() << "opening a missing table must fail";
    } catch (const EDataError& e) {
        EXPECT_TRUE(e.Message().contains(u"no such table")) << e.Message().toStdString();
    }
    EXPECT_FALSE(bad->Active());
    // A detail value that tries to break out of its quotes is only ever a bound value.
    TjxDBPipeline* q = d.Pipeline("plQuery", "");
    q->SetSQL(QStringLiteral("SELECT * FROM empty WHERE n = :n"));
    q->SetParam(QStringLiteral("n"), QStringLiteral("1; DROP TABLE empty"));
    q->Open();
    q->First();
    EXPECT_TRUE(q->NoRecords());
    q->Close();
    p->Close();
    p->Open();
    EXPECT_TRUE(p->Active());
}

namespace {

struct MasterDetail {
    Db d;
    TjxDBPipeline* master;
    TjxDBPipeline* detail;
    QStringList log;

    MasterDetail()
    {
        QStringList sql{QStringLiteral("CREATE TABLE masters (id INTEGER PRIMARY KEY, name TEXT)"),
                        QStringLiteral("CREATE TABLE items (master_id INTEGER, line INTEGER)"),
                        QStringLiteral("INSERT INTO masters VALUES (1, 'a'), (2, 'b'), (3, 'c')")};
        for (int i = 0; i < 10; ++i)
            sql << QStringLiteral("INSERT INTO items VALUES (1, %1)").arg(i);
        for (int i = 0; i < 5; ++i)
            sql << QStringLiteral("INSERT INTO items VALUES (3, %1)").arg(i);
        RunSql(d.file, sql);
        master = d.Pipeline("plMaster", "masters");
        detail = d.Pipeline("plDetail", "items");
        detail->AddLink(QStringLiteral("id"), QStringLiteral("master_id"));
        detail->SetMasterDataPipeline(master);
        Log(master, "master");
        Log(detail, "detail");
        master->Open();
        detail->Open();
    }

    void Log(TjxDataPipeline* p, const char* who)
    {
        auto handler = [this, who](const char* what) {
            TMethod m;
            m.code = [this, who, what](TComponent*, TjxEventParams&) {
                log << QString::fromLatin1(who) + u':' + QString::fromLatin1(what);
            };
            return m;
        };
        p->m_onFirst = handler("First");
        p->m_onNext = handler("Next");
        p->m_onRecordPositionChange = handler("RecordPositionChange");
        p->m_onMasterRecordPositionChange = handler("MasterRecordPositionChange");
        p->m_onDataChange = handler("DataChange");
    }

    // Masters traversed, each with its detail count.
    QStringList Run()
    {
        TjxDataPipelineList list(master);
        master->InitTraversal(&list);
        detail->InitTraversal(&list);
        QStringList seen;
        master->First();
        while (!master->Eof()) {
            const auto details = Traverse(*detail, QStringLiteral("line"));
            seen << QString::number(master->GetFieldValue(QStringLiteral("id")).integer) + u'/' +
                        QString::number(details.size());
            master->Next();
        }
        return seen;
    }
};

} // namespace

TEST(Pipeline, MasterDetailSkipsMastersWithoutDetails)
{
    MasterDetail md;
    EXPECT_EQ(md.Run(), (QStringList{QStringLiteral("1/10"), QStringLiteral("3/5")}));
    EXPECT_EQ(md.detail->GetFieldValue(QStringLiteral("master_id")).integer, 3);

    // The events of a First and of a Next that skips master 2.
    md.log.clear();
    md.master->First();
    EXPECT_EQ(md.log, (QStringList{"master:RecordPositionChange", "detail:MasterRecordPositionChange", "master:First"}));
    md.log.clear();
    md.master->Next();
    EXPECT_EQ(md.log, (QStringList{"master:DataChange", "master:RecordPositionChange",
                                   "detail:MasterRecordPositionChange", "master:DataChange",
                                   "master:RecordPositionChange", "detail:MasterRecordPositionChange", "master:Next"}));
    EXPECT_EQ(md.master->GetFieldValue(QStringLiteral("id")).integer, 3);

    // One detail that does not skip keeps every master.
    TjxDBPipeline* other = md.d.Pipeline("plOther", "items");
    other->AddLink(QStringLiteral("id"), QStringLiteral("master_id"));
    other->SetMasterDataPipeline(md.master);
    other->SetSkipWhenNoRecords(false);
    other->Open();
    EXPECT_EQ(md.Run(), (QStringList{"1/10", "2/0", "3/5"}));
    delete other;
    EXPECT_EQ(md.Run(), (QStringList{"1/10", "3/5"}));

    // No cycles: a master cannot become its detail's detail.
    md.master->SetMasterDataPipeline(md.detail);
    EXPECT_EQ(md.master->MasterDataPipeline(), nullptr);
    // A destroyed master leaves no dangling reference.
    delete md.master;
    EXPECT_EQ(md.detail->MasterDataPipeline(), nullptr);
}

TEST(Pipeline, MemoryPipelineFiltersDetailsByLinkValues)
{
    THost host;
    auto* master = new TjxMemoryPipeline(&host);
    master->AddField(QStringLiteral("id"), dtInteger);
    for (int id = 1; id <= 3; ++id)
        master->AddRow({TVarValue::Integer(id)});
    auto* detail = new TjxMemoryPipeline(&host);
    detail->AddField(QStringLiteral("master"), dtInteger);
    detail->AddField(QStringLiteral("line"), dtInteger);
    for (int i = 0; i < 10; ++i)
        detail->AddRow({TVarValue::Integer(1), TVarValue::Integer(i)});
    for (int i = 0; i < 5; ++i)
        detail->AddRow({TVarValue::Integer(3), TVarValue::Integer(i)});
    detail->AddLink(QStringLiteral("id"), QStringLiteral("master"));
    detail->SetMasterDataPipeline(master);
    master->Open();
    detail->Open();
    TjxDataPipelineList list(master);
    ASSERT_EQ(list.Count(), 2);
    master->InitTraversal(&list);
    EXPECT_EQ(Traverse(*master, QStringLiteral("id")), (QList<int64_t>{1, 3}));
    EXPECT_EQ(Traverse(*detail, QStringLiteral("line")), (QList<int64_t>{0, 1, 2, 3, 4}));
}

TEST(Pipeline, FieldTypesComeFromColumnTypes)
{
    Db d;
    RunSql(d.file, {QStringLiteral("CREATE TABLE t (i INTEGER, r REAL, s TEXT, v VARCHAR(30), d DATE, b BLOB)"),
                    QStringLiteral("INSERT INTO t VALUES (42, 2.5, 'memo', 'short', '2024-03-01', x'00ff10')")});
    TjxDBPipeline* p = d.Pipeline("plTypes", "t");
    p->Open();
    ASSERT_EQ(p->FieldCount(), 6);
    struct Expect { const char* name; TjxDataType type; int size; int width; };
    const Expect expected[] = {{"i", dtInteger, 4, 11}, {"r", dtDouble, 8, 15}, {"s", dtMemo, 0, 10},
                               {"v", dtString, 30, 30}, {"d", dtDate, 8, 10}, {"b", dtBLOB, 0, 10}};
    for (const Expect& e : expected) {
        const TjxField* f = p->FieldObjects(QString::fromLatin1(e.name));
        ASSERT_NE(f, nullptr) << e.name;
        EXPECT_EQ(f->DataType(), e.type) << e.name;
        EXPECT_EQ(f->FieldLength(), e.size) << e.name;
        EXPECT_EQ(f->DisplayWidth(), e.width) << e.name;
    }
    p->First();
    EXPECT_EQ(p->GetFieldValue(QStringLiteral("i")).integer, 42);
    EXPECT_EQ(p->GetFieldAsDouble(QStringLiteral("r")), 2.5);
    double day = 0;
    ASSERT_TRUE(TryEncodeDate(2024, 3, 1, day));
    const TVarValue date = p->GetFieldValue(QStringLiteral("d"));
    EXPECT_EQ(date.kind, TVarValue::vtDate);
    EXPECT_EQ(date.real, day);
    EXPECT_EQ(p->FieldToStream(QStringLiteral("b")), QByteArray("\x00\xff\x10", 3));
    EXPECT_TRUE(p->IsTemplateField(QStringLiteral("b")));
    EXPECT_FALSE(p->IsTemplateField(QStringLiteral("v")));
    // Mandatory and ShowAllValues exclude each other; the alias follows the name.
    TjxField* f = p->FieldObjects(QStringLiteral("v"));
    f->SetMandatory(true);
    f->SetShowAllValues(true);
    EXPECT_FALSE(f->Mandatory());
    f->SetFieldName(QStringLiteral("w"));
    EXPECT_EQ(f->FieldAlias(), u"w");
}

// Dates and times are read as written: not through the machine's time zone,
// where an hour in the spring daylight-saving gap does not exist.
TEST(Pipeline, DateTimesAreReadAsWrittenWhateverTheLocalZone)
{
    if (!QFile::exists(QStringLiteral("/usr/share/zoneinfo/Europe/Berlin")))
        GTEST_SKIP() << "no time zone data (tzdata)";
    const QByteArray zone = qgetenv("TZ");
    const bool hadZone = qEnvironmentVariableIsSet("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
    Db d;
    RunSql(d.file, {QStringLiteral("CREATE TABLE t (n INTEGER, at DATETIME)"),
                    QStringLiteral("INSERT INTO t VALUES (1, '2024-03-31 02:30:00'), (2, '2024-03-31T02:30:00.250'), "
                                   "(3, '2024-01-05'), (4, '2024-01-05T10:20:30+02:00'), (5, '2024-01-05 soon')")});
    TjxDBPipeline* p = d.Pipeline("plTimes", "t");
    p->Open();
    p->First();
    double day = 0, winter = 0;
    ASSERT_TRUE(TryEncodeDate(2024, 3, 31, day));
    ASSERT_TRUE(TryEncodeDate(2024, 1, 5, winter));
    const double expected[] = {day + 9000000.0 / 86400000.0, day + 9000250.0 / 86400000.0, winter,
                               winter + 37230000.0 / 86400000.0, winter};
    for (double value : expected) {
        const TVarValue v = p->GetFieldValue(QStringLiteral("at"));
        EXPECT_EQ(v.kind, TVarValue::vtDate) << p->GetFieldValue(QStringLiteral("n")).integer;
        EXPECT_DOUBLE_EQ(v.real, value) << p->GetFieldValue(QStringLiteral("n")).integer;
        p->Next();
    }
    if (hadZone)
        qputenv("TZ", zone);
    else
        qunsetenv("TZ");
    tzset();
}

TEST(Pipeline, TextFileQuotingAndSeparators)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.csv"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("name,amount,note\r\n"
               "\"Smith, J\",12,\"said \"\"hi\"\"\"\r\n"
               "Lee,7,\"two\nlines\"\r\n"
               "Ng,,\r\n");
    file.close();
    THost host;
    auto* p = new TjxTextPipeline(&host);
    p->SetFileName(path);
    p->AddField(QStringLiteral("amount"), dtInteger);
    p->Open();
    ASSERT_EQ(p->FieldCount(), 3);
    p->First();
    EXPECT_EQ(p->GetFieldAsString(QStringLiteral("name")), u"Smith, J");
    EXPECT_EQ(p->GetFieldValue(QStringLiteral("amount")).integer, 12);
    EXPECT_EQ(p->GetFieldAsString(QStringLiteral("note")), u"said \"hi\"");
    p->Next();
    EXPECT_EQ(p->GetFieldAsString(QStringLiteral("note")), u"two\nlines");
    p->Next();
    EXPECT_TRUE(p->IsNull(QStringLiteral("amount")));
    EXPECT_EQ(p->GetFieldAsString(QStringLiteral("note")), u"");
    p->Next();
    EXPECT_TRUE(p->Eof());

    const auto tabbed = TjxTextPipeline::ParseDelimited(u"a\tb,c\n\"x\ty\"\t", u'\t');
    ASSERT_EQ(tabbed.size(), 2u);
    EXPECT_EQ(tabbed[0], (QStringList{"a", "b,c"}));
    EXPECT_EQ(tabbed[1], (QStringList{"x\ty", ""}));
}

namespace {

int RowsOf(const QString& file, const QString& table)
{
    int rows = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test.count"));
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlQuery q(db);
        if (db.open() && q.exec(QStringLiteral("SELECT COUNT(*) FROM ") + table) && q.next())
            rows = q.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("test.count"));
    return rows;
}

// The message of the EDataError that opening raises, or "opened".
QString OpenFailure(TjxDataPipeline& p)
{
    try {
        p.Open();
    } catch (const EDataError& e) {
        return e.Message();
    }
    p.Close();
    return QStringLiteral("opened");
}

} // namespace

TEST(Pipeline, SqlOfATemplateOnlyReads)
{
    Db d;
    CreateNumbers(d.file);
    const QString copy = d.dir.filePath(QStringLiteral("copy.sqlite"));
    const QString attached = d.dir.filePath(QStringLiteral("attached.sqlite"));
    TjxDBPipeline* p = d.Pipeline("plNumbers", "");
    const QString notReadOnly = MessageText(msg::SqlNotReadOnly, {QStringLiteral("plNumbers")});
    const QString notOne = MessageText(msg::SqlNotOneStatement, {QStringLiteral("plNumbers")});
    const struct {
        QString sql;
        QString expected;
    } refused[] = {
        {QStringLiteral("DELETE FROM numbers"), notReadOnly},
        {QStringLiteral("WITH x AS (SELECT 1) DELETE FROM numbers"), notReadOnly},
        {QStringLiteral("DROP TABLE numbers"), notReadOnly},
        {QStringLiteral("VACUUM INTO '%1'").arg(copy), notReadOnly},
        {QStringLiteral("ATTACH '%1' AS other").arg(attached), notReadOnly},
        {QStringLiteral("PRAGMA query_only = OFF"), notReadOnly},
        {QStringLiteral("BEGIN"), notReadOnly},
        {QStringLiteral("SELECT * FROM numbers; DELETE FROM numbers"), notOne},
        {QStringLiteral("SELECT * FROM numbers; SELECT 1"), notOne},
        {QStringLiteral("SELECT * FROM numbers; garbage"), notOne},
        {QStringLiteral("  -- nothing but a comment"), notOne},
    };
    for (const auto& r : refused) {
        p->SetSQL(r.sql);
        EXPECT_EQ(OpenFailure(*p), r.expected) << r.sql.toStdString();
        EXPECT_FALSE(p->Active());
    }
    EXPECT_EQ(RowsOf(d.file, QStringLiteral("numbers")), 10);
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_FALSE(QFile::exists(attached));

    // Blanks, a closing semicolon, comments and recursive queries are still one reading statement.
    p->SetSQL(QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 3)\n"
                             "SELECT n FROM numbers WHERE n IN (SELECT x FROM c) ORDER BY n; -- the first three\n"));
    p->Open();
    p->InitTraversal(nullptr);
    EXPECT_EQ(Traverse(*p, QStringLiteral("n")), (QList<int64_t>{1, 2, 3}));

    // The connection itself refuses writes, whatever reaches it.
    {
        QSqlQuery q(p->Database());
        for (const QString& sql : {QStringLiteral("DELETE FROM numbers"), QStringLiteral("VACUUM INTO '%1'").arg(copy),
                                   QStringLiteral("PRAGMA query_only = OFF"),
                                   QStringLiteral("ATTACH '%1' AS other").arg(attached)})
            EXPECT_FALSE(q.exec(sql)) << sql.toStdString();
        // Read-only and query_only hold below that too: the connection as SQLite opened it.
        sqlite3* handle = *static_cast<sqlite3* const*>(p->Database().driver()->handle().constData());
        sqlite3_set_authorizer(handle, nullptr, nullptr);
        EXPECT_EQ(sqlite3_db_readonly(handle, "main"), 1);
        EXPECT_TRUE(q.exec(QStringLiteral("PRAGMA query_only")) && q.next() && q.value(0).toInt() == 1);
        EXPECT_FALSE(q.exec(QStringLiteral("CREATE TEMP TABLE t (a)")));
        EXPECT_FALSE(q.exec(QStringLiteral("DELETE FROM numbers")));
    }
    p->Close();
    EXPECT_EQ(RowsOf(d.file, QStringLiteral("numbers")), 10);
    EXPECT_FALSE(QFile::exists(copy));

    // A program's own read-write connection still gets only reading statements.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test.program"));
        db.setDatabaseName(d.file);
        ASSERT_TRUE(db.open());
    }
    p->SetConnectionName(QStringLiteral("test.program"));
    p->SetSQL(QStringLiteral("DELETE FROM numbers"));
    EXPECT_EQ(OpenFailure(*p), notReadOnly);
    p->SetSQL(QStringLiteral("ATTACH '%1' AS other").arg(attached));
    EXPECT_EQ(OpenFailure(*p), notReadOnly);
    p->SetSQL(QStringLiteral("SELECT n FROM numbers WHERE n > 7"));
    p->Open();
    p->InitTraversal(nullptr);
    EXPECT_EQ(Traverse(*p, QStringLiteral("n")), (QList<int64_t>{8, 9}));
    p->Close();
    delete p;
    QSqlDatabase::removeDatabase(QStringLiteral("test.program"));
    EXPECT_EQ(RowsOf(d.file, QStringLiteral("numbers")), 10);
    EXPECT_FALSE(QFile::exists(attached));
}

TEST(Pipeline, DatabaseFileMustExistAndIsNeverCreated)
{
    Db d;
    const QString missing = d.dir.filePath(QStringLiteral("missing.sqlite"));
    TjxDBPipeline* p = d.Pipeline("plMissing", "numbers");
    p->SetDatabaseName(missing);
    EXPECT_EQ(OpenFailure(*p), MessageText(msg::DatabaseFileNotFound, {missing}));
    EXPECT_FALSE(QFile::exists(missing));

    // A folder gives the file system's reason; a FIFO is refused without waiting for a writer.
    p->SetDatabaseName(d.dir.path());
    EXPECT_EQ(OpenFailure(*p), MessageText(msg::CannotOpenFile, {d.dir.path(), QString::fromLocal8Bit(strerror(EISDIR))}));
    const QString fifo = d.dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    p->SetDatabaseName(fifo);
    EXPECT_EQ(OpenFailure(*p), MessageText(msg::NamedFileNotRegular, {fifo}));
    EXPECT_FALSE(p->Active());
}

TEST(Pipeline, StatementCountFollowsQuotesAndComments)
{
    const struct {
        const char16_t* sql;
        int count;
    } cases[] = {
        {u"", 0},
        {u" ; ;", 0},
        {u"SELECT 1", 1},
        {u"SELECT 1;  -- done", 1},
        {u"SELECT ';' AS a, \"b;\" FROM t", 1},
        {u"SELECT 'it''s; fine'", 1},
        {u"SELECT `a;b` FROM t /* ; */", 1},
        {u"SELECT $q$ ; $q$, $$;$$", 1},
        {u"SELECT 1 -- ;\n", 1},
        {u"SELECT 1; DELETE FROM t", 2},
        {u"SELECT 1 /* */; UPDATE t SET a = 1;", 2},
        // Dialects read a backslash in quotes differently: either reading counts.
        {u"SELECT 'a\\'; DELETE FROM t; --'", 2},
        {u"SELECT 'a\\''; DELETE FROM t", 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TjxDBPipeline::StatementCount(QStringView(c.sql)), c.count) << QString::fromUtf16(c.sql).toStdString();
}

TEST(Pipeline, TextFileMustBeARegularFileOfBoundedSize)
{
    QTemporaryDir dir;
    THost host;
    auto* p = new TjxTextPipeline(&host);
    p->SetName(QStringLiteral("plText"));
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString missing = dir.filePath(QStringLiteral("missing.csv"));
    const struct {
        QString file;
        QString expected;
    } refused[] = {
        {QStringLiteral("/dev/zero"), MessageText(msg::NamedFileNotRegular, {QStringLiteral("/dev/zero")})},
        {fifo, MessageText(msg::NamedFileNotRegular, {fifo})},
        {dir.path(), MessageText(msg::CannotOpenFile, {dir.path(), QString::fromLocal8Bit(strerror(EISDIR))})},
        {missing, MessageText(msg::CannotOpenFile, {missing, QString::fromLocal8Bit(strerror(ENOENT))})},
        {QString(), MessageText(msg::CannotOpenFile, {QString(), QString::fromLocal8Bit(strerror(ENOENT))})},
    };
    for (const auto& r : refused) {
        p->SetFileName(r.file);
        EXPECT_EQ(OpenFailure(*p), r.expected) << r.file.toStdString();
    }

    // One byte past the limit is refused; a sparse file costs no disk.
    const QString large = dir.filePath(QStringLiteral("large.csv"));
    {
        QFile f(large);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("a,b\n");
        ASSERT_TRUE(f.resize(TjxTextPipeline::kMaxFileSize + 1));
    }
    p->SetFileName(large);
    EXPECT_EQ(OpenFailure(*p), MessageText(msg::NamedFileTooLarge, {large, QString::number(TjxTextPipeline::kMaxFileSize + 1),
                                                               QString::number(TjxTextPipeline::kMaxFileSize)}));
    p->SetFileName(QStringLiteral("/dev/null"));
    EXPECT_EQ(OpenFailure(*p), MessageText(msg::NamedFileNotRegular, {QStringLiteral("/dev/null")}));
    EXPECT_FALSE(p->Active());

    // The limit itself is still read, by the same reader.
    const QString ten = dir.filePath(QStringLiteral("ten.csv"));
    {
        QFile f(ten);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("id\n1\n22\n333\n");
    }
    EXPECT_EQ(ReadRegularFile(ten, 12), QByteArray("id\n1\n22\n333\n"));
    EXPECT_THROW(ReadRegularFile(ten, 11), EDataError);
    p->SetFileName(ten);
    p->AddField(QStringLiteral("id"), dtInteger);
    p->Open();
    p->InitTraversal(nullptr);
    EXPECT_EQ(Traverse(*p, QStringLiteral("id")), (QList<int64_t>{1, 22, 333}));
}
