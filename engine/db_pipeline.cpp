#include "engine/db_pipeline.h"

#include "document/class_registry.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "engine/field.h"
#include "engine/master_field_link.h"

#include <QDateTime>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlRecord>

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

double DaysOf(const QDateTime& dt)
{
    static const QDate kBase(1899, 12, 30);
    return double(kBase.daysTo(dt.date())) + double(dt.time().msecsSinceStartOfDay()) / 86400000.0;
}

TVarValue DateValue(const QVariant& v, TjxDataType type)
{
    QDateTime dt;
    switch (v.metaType().id()) {
    case QMetaType::QDate: dt = QDateTime(v.toDate(), QTime(0, 0)); break;
    case QMetaType::QTime: dt = QDateTime(QDate(1899, 12, 30), v.toTime()); break;
    case QMetaType::QDateTime: dt = v.toDateTime(); break;
    default: {
        const QString s = v.toString().trimmed();
        if (type == dtTime) {
            const QTime t = QTime::fromString(s, Qt::ISODateWithMs);
            if (t.isValid())
                dt = QDateTime(QDate(1899, 12, 30), t);
        } else {
            dt = QDateTime::fromString(s, Qt::ISODateWithMs);
            if (!dt.isValid()) {
                const QDate d = QDate::fromString(s.left(10), Qt::ISODate);
                if (d.isValid())
                    dt = QDateTime(d, QTime(0, 0));
            }
        }
    }
    }
    if (!dt.isValid())
        return TVarValue::WideString(v.toString());
    return VarDate(DaysOf(dt));
}

int g_connectionNumber = 0;

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

void TjxDBPipeline::OpenSource()
{
    if (m_connectionName.isEmpty() || !QSqlDatabase::contains(m_connectionName)) {
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
        if (!(MasterDataPipeline() && IsLinked()))
            Execute();
    } catch (...) {
        CloseSource();
        throw;
    }
}

void TjxDBPipeline::CloseSource()
{
    m_query.reset();
    m_values.clear();
    m_values.shrink_to_fit();
    m_fetchedRows = 0;
    m_exhausted = true;
    m_editMode = emNone;
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
    auto query = std::make_unique<QSqlQuery>(Database());
    query->setForwardOnly(true);
    if (!query->prepare(text))
        RaiseQueryError(query->lastError().text());
    for (auto it = bindings.begin(); it != bindings.end(); ++it)
        if (text.contains(it.key()))
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
    QSqlQuery query(Database());
    if (!query.prepare(text))
        RaiseQueryError(query.lastError().text());
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values[i]);
    if (!query.exec())
        RaiseQueryError(query.lastError().text());
    m_editMode = emNone;
    m_editValues.clear();
    // Read again so that the cursor sees what was written.
    Execute();
    ResetCursor();
    UpdatePositionFlags();
}

} // namespace orvane
