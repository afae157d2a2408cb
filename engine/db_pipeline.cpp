#include "engine/db_pipeline.h"

#include "document/class_registry.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/printer.h"
#include "engine/field.h"
#include "engine/master_field_link.h"
#include "engine/pipeline_file.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlRecord>
#include <QUrl>

#include <atomic>
#include <sqlite3.h>

namespace orvane {

namespace {

struct ColumnType {
    TjxDataType type = dtString;
    int size = 0;
};

// A column's declared type, as SQL writes it ("VARCHAR(40)", "BIGINT", "DATE").
ColumnType FromDeclaredType(const QString& declared)
{
    const QString t = declared.trimmed().toUpper();
    int size = 0;
    if (const qsizetype open = t.indexOf(u'('); open >= 0) {
        bool ok = false;
        size = t.mid(open + 1, t.indexOf(u',', open) > 0 ? t.indexOf(u',', open) - open - 1 : t.indexOf(u')', open) - open - 1)
                   .trimmed()
                   .toInt(&ok);
        if (!ok)
            size = 0;
    }
    if (t.contains(u"BIGINT") || t.contains(u"INT8"))
        return {dtLargeInt, 8};
    if (t.contains(u"INT"))
        return {dtInteger, 4};
    if (t.contains(u"BOOL"))
        return {dtBoolean, 1};
    if (t.contains(u"DATETIME") || t.contains(u"TIMESTAMP"))
        return {dtDateTime, 8};
    if (t.contains(u"DATE"))
        return {dtDate, 8};
    if (t.contains(u"TIME"))
        return {dtTime, 8};
    if (t.contains(u"REAL") || t.contains(u"FLOA") || t.contains(u"DOUB") || t.contains(u"NUMERIC") ||
        t.contains(u"DECIMAL"))
        return {dtDouble, 8};
    if (t.contains(u"BLOB") || t.contains(u"BYTEA") || t.contains(u"BINARY"))
        return {dtBLOB, 0};
    if (t.contains(u"CHAR") && size > 0)
        return {dtString, size};
    if (t.contains(u"TEXT") || t.contains(u"CLOB") || t.contains(u"MEMO") || t.contains(u"CHAR") || t.isEmpty())
        return {dtMemo, 0};
    return {dtString, size > 0 ? size : 10};
}

ColumnType FromSqlField(const QSqlField& f)
{
    switch (f.metaType().id()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::Short: case QMetaType::UShort: return {dtInteger, 4};
    case QMetaType::LongLong: case QMetaType::ULongLong: return {dtLargeInt, 8};
    case QMetaType::Double: case QMetaType::Float: return {dtDouble, 8};
    case QMetaType::Bool: return {dtBoolean, 1};
    case QMetaType::QDate: return {dtDate, 8};
    case QMetaType::QTime: return {dtTime, 8};
    case QMetaType::QDateTime: return {dtDateTime, 8};
    case QMetaType::QByteArray: return {dtBLOB, 0};
    default:
        if (f.length() > 0)
            return {dtString, f.length()};
        return {dtMemo, 0};
    }
}

// Characters a value of the type needs when shown.
int DisplayWidthOf(const ColumnType& c)
{
    switch (c.type) {
    case dtInteger: return 11;
    case dtLargeInt: return 20;
    case dtDouble: return 15;
    case dtBoolean: return 5;
    case dtDate: return 10;
    case dtTime: return 8;
    case dtDateTime: return 19;
    case dtString: return std::max(1, c.size);
    default: return 10;
    }
}

// Days since 30 December 1899 with the time as the fraction, as the value was
// written: no time zone is applied, so a time in a daylight-saving gap of the
// machine's zone keeps its hour (and nothing asks the zone for every record).
double DaysOf(QDate date, QTime time)
{
    static const QDate kBase(1899, 12, 30);
    return double(kBase.daysTo(date)) + double(time.msecsSinceStartOfDay()) / 86400000.0;
}

// "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.zzz]]" or with a "T"; false for
// anything else (an offset, another form).
bool ParsePlainDateTime(QStringView s, QDate& date, QTime& time)
{
    date = QDate::fromString(s.left(10), Qt::ISODate);
    if (!date.isValid())
        return false;
    if (s.size() == 10) {
        time = QTime(0, 0);
        return true;
    }
    if (s[10] != u' ' && s[10] != u'T')
        return false;
    time = QTime::fromString(s.mid(11), Qt::ISODateWithMs);
    return time.isValid();
}

TVarValue DateValue(const QVariant& v, TjxDataType type)
{
    QDate date;
    QTime time;
    switch (v.metaType().id()) {
    case QMetaType::QDate: date = v.toDate(); time = QTime(0, 0); break;
    case QMetaType::QTime: date = QDate(1899, 12, 30); time = v.toTime(); break;
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        date = dt.date();
        time = dt.time();
        break;
    }
    default: {
        const QString s = v.toString().trimmed();
        if (type == dtTime) {
            time = QTime::fromString(s, Qt::ISODateWithMs);
            if (time.isValid())
                date = QDate(1899, 12, 30);
        } else if (!ParsePlainDateTime(s, date, time)) {
            // With a zone offset: the date and time as written there.
            const QDateTime dt = QDateTime::fromString(s, Qt::ISODateWithMs);
            date = dt.isValid() ? dt.date() : QDate::fromString(s.left(10), Qt::ISODate);
            time = dt.isValid() ? dt.time() : QTime(0, 0);
        }
    }
    }
    if (!date.isValid() || !time.isValid())
        return TVarValue::WideString(v.toString());
    return VarDate(DaysOf(date, time));
}

// Connection names are unique across threads: each background job opens its own.
std::atomic<int> g_connectionNumber{0};

const QString kSqlite = QStringLiteral("QSQLITE");

sqlite3* SqliteHandle(const QSqlDatabase& db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

// Lets a statement being prepared read and compute, nothing else: no writes,
// no ATTACH (which could create a file), no transaction control, and of the
// PRAGMAs only those that describe tables (the driver reads columns and keys
// through them). `refused`, when given, learns that a statement was refused.
int ReadOnlyAuthorizer(void* refused, int action, const char* first, const char* second, const char*, const char*)
{
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    case SQLITE_FUNCTION:  // second: the function's name
        if (qstricmp(second, "load_extension") != 0 && qstricmp(second, "fts3_tokenizer") != 0)
            return SQLITE_OK;
        break;
    case SQLITE_PRAGMA:  // first: the pragma's name
        for (const char* name : {"table_info", "table_xinfo", "index_list", "index_info", "index_xinfo"})
            if (qstricmp(first, name) == 0)
                return SQLITE_OK;
        break;
    default:
        break;
    }
    if (refused)
        *static_cast<bool*>(refused) = true;
    return SQLITE_DENY;
}

enum TStatementCheck { scReads, scNotOne, scWrites, scError };

// What SQLite itself makes of the text on this connection.
// `keep`: the connection keeps the read-only authorizer afterwards.
TStatementCheck CheckSqliteStatement(sqlite3* db, bool keep, const QString& text, QString& error, qsizetype& length)
{
    const auto* begin = reinterpret_cast<const char*>(text.utf16());
    const int bytes = int(text.size() * 2);
    bool refused = false;
    sqlite3_set_authorizer(db, ReadOnlyAuthorizer, &refused);
    sqlite3_stmt* statement = nullptr;
    const void* tail = nullptr;
    const int rc = sqlite3_prepare16_v2(db, begin, bytes, &statement, &tail);
    sqlite3_set_authorizer(db, keep ? ReadOnlyAuthorizer : nullptr, nullptr);
    if (rc != SQLITE_OK) {
        error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(statement);
        return refused ? scWrites : scError;
    }
    if (!statement)
        return scNotOne;
    // A statement that only reads also returns columns: that leaves out
    // BEGIN, DETACH and the like, which SQLite counts as read-only too.
    const bool reads = sqlite3_stmt_readonly(statement) && sqlite3_column_count(statement) > 0;
    sqlite3_finalize(statement);
    if (!reads)
        return scWrites;
    // Anything but blanks and comments after it is a second statement.
    const auto* rest = static_cast<const char*>(tail);
    length = rest ? (rest - begin) / 2 : text.size();
    if (rest && rest < begin + bytes) {
        sqlite3_stmt* second = nullptr;
        const int rc2 = sqlite3_prepare16_v2(db, rest, int(begin + bytes - rest), &second, nullptr);
        sqlite3_finalize(second);
        if (rc2 != SQLITE_OK || second)
            return scNotOne;
    }
    return scReads;
}

// StatementCount with one reading of backslashes in quotes.
int CountStatements(QStringView sql, bool backslashEscapes)
{
    int count = 0;
    bool begun = false;
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = sql[i];
        if (c.isSpace())
            continue;
        if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            while (i < n && sql[i] != u'\n')
                ++i;
            continue;
        }
        if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            const qsizetype end = sql.indexOf(u"*/", i + 2);
            i = end < 0 ? n : end + 1;
            continue;
        }
        if (c == u';') {
            if (begun)
                ++count;
            begun = false;
            continue;
        }
        begun = true;
        if (c == u'\'' || c == u'"' || c == u'`') {
            qsizetype j = i + 1;
            while (j < n) {
                if (backslashEscapes && sql[j] == u'\\') {
                    j += 2;
                } else if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c)
                        j += 2;
                    else
                        break;
                } else {
                    ++j;
                }
            }
            i = j;
        } else if (c == u'$') {
            // A dollar-quoted text, $tag$ ... $tag$.
            qsizetype j = i + 1;
            while (j < n && (sql[j].isLetterOrNumber() || sql[j] == u'_'))
                ++j;
            if (j < n && sql[j] == u'$') {
                const QStringView tag = sql.mid(i, j - i + 1);
                const qsizetype end = sql.indexOf(tag, j + 1);
                i = end < 0 ? n : end + tag.size() - 1;
            }
        }
    }
    return count + (begun ? 1 : 0);
}

} // namespace

const TClassInfo& TjxDBPipeline::StaticClass()
{
    using T = TjxDBPipeline;
    static const TClassInfo info =
        TClassBuilder<T>("TjxDBPipeline", &TjxCursorPipeline::StaticClass())
            .Creatable()
            .Prop("ConnectionName", StringType(), &T::ConnectionName, &T::SetConnectionName)
            .Prop("DatabaseName", StringType(), &T::DatabaseName, &T::SetDatabaseName)
            .Prop("DriverName", StringType(), &T::DriverName, &T::SetDriverName)
            .StoredIf([](const T& p) { return p.m_driverName != u"QSQLITE"; })
            .Prop("HostName", StringType(), &T::HostName, &T::SetHostName)
            .Prop("Port", IntegerType(), &T::Port, &T::SetPort).Default(0)
            .Prop("SQL", StringType(), &T::SQL, &T::SetSQL)
            .Prop("TableName", StringType(), &T::TableName, &T::SetTableName)
            .Build();
    return info;
}

ORVANE_REGISTER_CLASS(TjxDBPipeline);

TjxDBPipeline::TjxDBPipeline(TComponent* owner) : TjxCursorPipeline(owner) {}

TjxDBPipeline::~TjxDBPipeline()
{
    SetStateFlags(csDestroying);
    if (Active())
        NativeClose();
}

QSqlDatabase TjxDBPipeline::Database() const
{
    if (!m_ownConnection.isEmpty())
        return QSqlDatabase::database(m_ownConnection, false);
    return QSqlDatabase::database(m_connectionName, false);
}

QString TjxDBPipeline::Quoted(const QString& identifier) const
{
    return Database().driver()->escapeIdentifier(identifier, QSqlDriver::FieldName);
}

void TjxDBPipeline::RaiseQueryError(const QString& databaseText) const
{
    throw EDataError(MessageText(msg::DatabaseQueryError, {databaseText}));
}

int TjxDBPipeline::StatementCount(QStringView sql)
{
    return std::max(CountStatements(sql, false), CountStatements(sql, true));
}

void TjxDBPipeline::OpenSource()
{
    m_checkedText.clear();
    if (!m_connectionName.isEmpty() && QSqlDatabase::contains(m_connectionName) && !IsMainThread()) {
        // A connection belongs to the thread that made it: a report printing
        // on a worker reads through a clone of its own, opened read-only.
        m_ownConnection = QStringLiteral("orvane.pipeline.") + QString::number(++g_connectionNumber);
        QSqlDatabase db = QSqlDatabase::cloneDatabase(m_connectionName, m_ownConnection);
        if (db.driverName() == kSqlite)
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    } else if (m_connectionName.isEmpty() || !QSqlDatabase::contains(m_connectionName)) {
        // SQLite would make an empty database of a missing file, and block on a FIFO.
        if (m_driverName == kSqlite) {
            if (!QFileInfo::exists(m_databaseName))
                throw EDataError(MessageText(msg::DatabaseFileNotFound, {m_databaseName}));
            if (const QString problem = RegularFileProblem(m_databaseName); !problem.isEmpty())
                throw EDataError(problem);
        }
        m_ownConnection = QStringLiteral("orvane.pipeline.") + QString::number(++g_connectionNumber);
        QSqlDatabase db = QSqlDatabase::addDatabase(m_driverName, m_ownConnection);
        if (!db.isValid()) {
            const QString text = db.lastError().text();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_ownConnection);
            m_ownConnection.clear();
            throw EDataError(MessageText(msg::DatabaseOpenError, {m_databaseName, text}));
        }
        db.setDatabaseName(m_databaseName);
        if (!m_hostName.isEmpty())
            db.setHostName(m_hostName);
        if (m_port > 0)
            db.setPort(m_port);
        if (!m_loginUser.isEmpty())
            db.setUserName(m_loginUser);
        if (!m_password.isEmpty())
            db.setPassword(m_password);
        if (m_driverName == kSqlite)
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        else if (m_driverName == u"QODBC" || m_driverName == u"QODBC3")
            db.setConnectOptions(QStringLiteral("SQL_ATTR_ACCESS_MODE=SQL_MODE_READ_ONLY"));
    }
    QString failure;
    {
        QSqlDatabase db = Database();
        if (!db.isOpen() && !db.open())
            failure = db.lastError().text();
    }
    if (!failure.isEmpty()) {
        CloseSource();
        throw EDataError(MessageText(msg::DatabaseOpenError, {m_databaseName, failure}));
    }
    try {
        if (!m_ownConnection.isEmpty())
            MakeReadOnly();
        if (!(MasterDataPipeline() && IsLinked()))
            Execute();
    } catch (...) {
        CloseSource();
        throw;
    }
}

// The session settings that keep an own connection from writing.
void TjxDBPipeline::MakeReadOnly()
{
    QString statement;
    if (m_driverName == kSqlite)
        statement = QStringLiteral("PRAGMA query_only = ON");
    else if (m_driverName == u"QPSQL")
        statement = QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY");
    else if (m_driverName == u"QMYSQL" || m_driverName == u"QMARIADB")
        statement = QStringLiteral("SET SESSION TRANSACTION READ ONLY");
    if (statement.isEmpty())
        return;
    {
        QSqlQuery query(Database());
        if (!query.exec(statement))
            throw EDataError(MessageText(msg::DatabaseOpenError, {m_databaseName, query.lastError().text()}));
    }
    // Whatever reaches this connection later is prepared only when it reads
    // (query_only alone still lets VACUUM INTO create an empty file).
    if (m_driverName == kSqlite) {
        sqlite3* handle = SqliteHandle(Database());
        if (!handle)
            throw EDataError(MessageText(msg::DatabaseOpenError, {m_databaseName, QString()}));
        sqlite3_set_authorizer(handle, ReadOnlyAuthorizer, nullptr);
    }
}

QString TjxDBPipeline::CheckReadOnly(const QString& text)
{
    if (!m_checkedText.isEmpty() && text == m_checkedText)
        return m_checkedStatement;
    const QSqlDatabase db = Database();
    TStatementCheck check = scReads;
    QString error;
    qsizetype length = text.size();
    if (sqlite3* handle = db.driverName() == kSqlite ? SqliteHandle(db) : nullptr)
        check = CheckSqliteStatement(handle, !m_ownConnection.isEmpty(), text, error, length);
    else if (db.driverName() == kSqlite)
        check = scError;  // no handle to ask: nothing is run unchecked
    else if (StatementCount(text) != 1)
        check = scNotOne;
    switch (check) {
    case scReads: break;
    case scNotOne: throw EDataError(MessageText(msg::SqlNotOneStatement, {NameForMessages()}));
    case scWrites: throw EDataError(MessageText(msg::SqlNotReadOnly, {NameForMessages()}));
    case scError: RaiseQueryError(error);
    }
    m_checkedText = text;
    // Exactly the statement that was checked runs, without what follows it.
    m_checkedStatement = text.left(length);
    return m_checkedStatement;
}

void TjxDBPipeline::CloseSource()
{
    m_query.reset();
    m_values.clear();
    m_values.shrink_to_fit();
    m_fetchedRows = 0;
    m_exhausted = true;
    m_editMode = emNone;
    m_checkedText.clear();
    m_checkedStatement.clear();
    if (!m_ownConnection.isEmpty()) {
        QSqlDatabase::database(m_ownConnection, false).close();
        QSqlDatabase::removeDatabase(m_ownConnection);
        m_ownConnection.clear();
    }
}

QString TjxDBPipeline::SelectText(QVariantMap& bindings) const
{
    for (auto it = m_params.begin(); it != m_params.end(); ++it)
        bindings.insert(it.key().startsWith(u':') ? it.key() : u':' + it.key(), it.value());
    const bool detail = MasterDataPipeline() && IsLinked();
    const std::vector<TVarValue> masterValues = detail ? MasterValues() : std::vector<TVarValue>();
    auto bound = [](const TVarValue& v) -> QVariant {
        switch (v.kind) {
        case TVarValue::vtUnassigned: case TVarValue::vtNull: return QVariant();
        case TVarValue::vtBoolean: return QVariant(v.integer != 0);
        case TVarValue::vtShortInt: case TVarValue::vtSmallInt: case TVarValue::vtInteger: case TVarValue::vtInt64:
            return QVariant(qlonglong(v.integer));
        case TVarValue::vtSingle: case TVarValue::vtDouble: return QVariant(v.real);
        default: return QVariant(VarToText(v));
        }
    };
    if (!m_sql.isEmpty()) {
        for (int i = 0; detail && i < LinkCount(); ++i)
            bindings.insert(u':' + Links(i)->MasterFieldName(), bound(masterValues[size_t(i)]));
        return m_sql;
    }
    QString text = QStringLiteral("SELECT * FROM ") +
                   Database().driver()->escapeIdentifier(m_tableName, QSqlDriver::TableName);
    if (detail) {
        QStringList where, order;
        for (int i = 0; i < LinkCount(); ++i) {
            const TjxMasterFieldLink* link = Links(i);
            const QString placeholder = QStringLiteral(":orvane_link") + QString::number(i);
            where << Quoted(link->DetailFieldName()) + QStringLiteral(" = ") + placeholder;
            order << Quoted(link->DetailFieldName()) +
                         (link->DetailSortOrder() == soDescending ? QStringLiteral(" DESC") : QString());
            bindings.insert(placeholder, bound(masterValues[size_t(i)]));
        }
        text += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND ")) + QStringLiteral(" ORDER BY ") +
                order.join(QStringLiteral(", "));
    }
    return text;
}

void TjxDBPipeline::Execute()
{
    m_query.reset();
    m_values.clear();
    m_fetchedRows = 0;
    m_exhausted = false;
    QVariantMap bindings;
    const QString text = SelectText(bindings);
    const QString statement = CheckReadOnly(text);
    auto query = std::make_unique<QSqlQuery>(Database());
    query->setForwardOnly(true);
    if (!query->prepare(statement))
        RaiseQueryError(query->lastError().text());
    for (auto it = bindings.begin(); it != bindings.end(); ++it)
        if (statement.contains(it.key()))
            query->bindValue(it.key(), it.value());
    if (!query->exec())
        RaiseQueryError(query->lastError().text());
    m_query = std::move(query);
    m_columnCount = m_query->record().count();
    DefineFields();
}

void TjxDBPipeline::DefineFields()
{
    const QSqlRecord record = m_query->record();
    // SQLite keeps the declared column types only in the table's schema.
    QHash<QString, QString> declared;
    if (Database().driverName() == u"QSQLITE" && m_sql.isEmpty()) {
        QSqlQuery info(Database());
        if (info.exec(QStringLiteral("PRAGMA table_info(") +
                      Database().driver()->escapeIdentifier(m_tableName, QSqlDriver::TableName) + u')'))
            while (info.next())
                declared.insert(info.value(1).toString().toLower(), info.value(2).toString());
    }
    for (int c = 0; c < record.count(); ++c) {
        const QSqlField f = record.field(c);
        const auto decl = declared.constFind(f.name().toLower());
        const ColumnType type = decl != declared.constEnd() ? FromDeclaredType(*decl) : FromSqlField(f);
        TjxField* field = FieldObjects(f.name());
        if (!field)
            field = AddField(f.name(), dtString, 10);
        field->SetDataType(type.type);
        field->SetFieldLength(type.size);
        field->SetDisplayWidth(DisplayWidthOf(type));
        if (field->TableName().isEmpty())
            field->SetTableName(m_tableName);
    }
    m_fieldColumns.clear();
    for (int i = 0; i < FieldCount(); ++i)
        m_fieldColumns.push_back(record.indexOf(Fields(i)->FieldName()));
}

bool TjxDBPipeline::SourceRowAvailable(int row)
{
    if (row < 0)
        return false;
    while (row >= m_fetchedRows && !m_exhausted && m_query) {
        if (!m_query->next()) {
            m_exhausted = true;
            if (m_query->lastError().isValid())
                RaiseQueryError(m_query->lastError().text());
            break;
        }
        for (int c = 0; c < m_columnCount; ++c)
            m_values.push_back(m_query->value(c));
        ++m_fetchedRows;
    }
    return row < m_fetchedRows;
}

QVariant TjxDBPipeline::RawValue(int row, int column)
{
    if (column < 0 || size_t(column) >= m_fieldColumns.size() || m_fieldColumns[size_t(column)] < 0)
        return QVariant();
    return m_values[size_t(row) * size_t(m_columnCount) + size_t(m_fieldColumns[size_t(column)])];
}

TVarValue TjxDBPipeline::SourceValue(int row, int column)
{
    const QVariant v = RawValue(row, column);
    if (v.isNull())
        return TVarValue::Null();
    const TjxField* field = Fields(column);
    switch (field ? field->DataType() : dtString) {
    case dtInteger: case dtLargeInt: case dtLongint: return TVarValue::Integer(v.toLongLong());
    case dtBoolean: return TVarValue::Boolean(v.toBool());
    case dtSingle: case dtDouble: case dtExtended: case dtCurrency: return TVarValue::Double(v.toDouble());
    case dtDate: case dtTime: case dtDateTime: return DateValue(v, field->DataType());
    case dtBLOB: case dtGraphic: {
        TVarValue r;
        r.kind = TVarValue::vtString;
        r.text = QString::fromLatin1(v.toByteArray());
        return r;
    }
    default: return TVarValue::WideString(v.toString());
    }
}

void TjxDBPipeline::ApplyMaster()
{
    Execute();
}

// ---- template records ----

bool TjxDBPipeline::Locate(const QString& fieldName, const TVarValue& value)
{
    if (!Active())
        Open();
    const int column = IndexOfField(fieldName);
    if (column < 0)
        throw EDataError(MessageText(msg::FieldNotFound, {fieldName, UserName()}));
    const QString wanted = VarToText(value);
    for (int row = 0; SourceRowAvailable(row); ++row) {
        const QVariant v = RawValue(row, column);
        if (!v.isNull() && v.toString() == wanted) {
            GotoBookmark(TjxBookmark(row) + 1);
            m_editKey.clear();
            const QSqlIndex key = Database().primaryIndex(m_tableName);
            for (int k = 0; k < key.count(); ++k) {
                const int keyColumn = IndexOfField(key.fieldName(k));
                if (keyColumn >= 0)
                    m_editKey.insert(key.fieldName(k), RawValue(row, keyColumn));
            }
            if (m_editKey.isEmpty())
                m_editKey.insert(Fields(column)->FieldName(), v);
            return true;
        }
    }
    return false;
}

void TjxDBPipeline::Append()
{
    m_editMode = emInsert;
    m_editValues.clear();
}

void TjxDBPipeline::Edit()
{
    m_editMode = emEdit;
    m_editValues.clear();
}

void TjxDBPipeline::Cancel()
{
    m_editMode = emNone;
    m_editValues.clear();
}

void TjxDBPipeline::SetFieldValue(const QString& fieldName, const TVarValue& value)
{
    m_editValues.insert(fieldName, VarIsNullOrUnassigned(value) ? QVariant() : QVariant(VarToText(value)));
}

void TjxDBPipeline::StreamToField(const QString& fieldName, const QByteArray& data)
{
    m_editValues.insert(fieldName, data);
}

QByteArray TjxDBPipeline::FieldToStream(const QString& fieldName)
{
    const int column = IndexOfField(fieldName);
    if (!Active() || column < 0 || !SourceRowAvailable(CurrentRow()))
        return {};
    return RawValue(CurrentSourceRow(), column).toByteArray();
}

namespace {

// Runs one write with bound values; the failure's message, or an empty text.
QString ExecWrite(const QSqlDatabase& db, const QString& text, const QVariantList& values)
{
    QSqlQuery query(db);
    if (!query.prepare(text))
        return MessageText(msg::DatabaseQueryError, {query.lastError().text()});
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values[i]);
    if (!query.exec())
        return MessageText(msg::DatabaseQueryError, {query.lastError().text()});
    return {};
}

} // namespace

void TjxDBPipeline::Post()
{
    if (m_editMode == emNone)
        return;
    if (m_tableName.isEmpty())
        RaiseQueryError(QStringLiteral("no table to write to"));
    QSqlDriver* driver = Database().driver();
    const QString table = driver->escapeIdentifier(m_tableName, QSqlDriver::TableName);
    QString text;
    QVariantList values;
    QStringList names;
    for (auto it = m_editValues.begin(); it != m_editValues.end(); ++it) {
        names << Quoted(it.key());
        values << it.value();
    }
    if (m_editMode == emInsert) {
        QStringList marks;
        for (int i = 0; i < names.size(); ++i)
            marks << QStringLiteral("?");
        text = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + names.join(QStringLiteral(", ")) +
               QStringLiteral(") VALUES (") + marks.join(QStringLiteral(", ")) + u')';
    } else {
        if (m_editKey.isEmpty())
            RaiseQueryError(QStringLiteral("no record to update"));
        QStringList sets, where;
        for (const QString& n : names)
            sets << n + QStringLiteral(" = ?");
        for (auto it = m_editKey.begin(); it != m_editKey.end(); ++it) {
            where << Quoted(it.key()) + QStringLiteral(" = ?");
            values << it.value();
        }
        text = QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ") + sets.join(QStringLiteral(", ")) +
               QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    }
    // Reading goes on through the read-only connection; the record is written
    // through a connection of its own, after the read has let go of the file.
    m_query.reset();
    QString failure;
    if (m_ownConnection.isEmpty()) {
        failure = ExecWrite(Database(), text, values);
    } else {
        const QString writer = m_ownConnection + QStringLiteral(".write");
        {
            QSqlDatabase db = QSqlDatabase::cloneDatabase(m_ownConnection, writer);
            db.setConnectOptions();
            if (m_driverName == kSqlite) {
                // Read and write, never create.
                QUrl url = QUrl::fromLocalFile(QFileInfo(m_databaseName).absoluteFilePath());
                url.setQuery(QStringLiteral("mode=rw"));
                db.setDatabaseName(url.toString(QUrl::FullyEncoded));
                db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
            }
            if (!db.open())
                failure = MessageText(msg::DatabaseOpenError, {m_databaseName, db.lastError().text()});
            else
                failure = ExecWrite(db, text, values);
            db.close();
        }
        QSqlDatabase::removeDatabase(writer);
    }
    if (!failure.isEmpty()) {
        try {
            Execute();
            ResetCursor();
            UpdatePositionFlags();
        } catch (const EOrvaneError&) {
            // The write's failure is the one to report.
        }
        throw EDataError(failure);
    }
    m_editMode = emNone;
    m_editValues.clear();
    // Read again so that the cursor sees what was written.
    Execute();
    ResetCursor();
    UpdatePositionFlags();
}

} // namespace orvane
