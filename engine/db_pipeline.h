#pragma once

#include "engine/cursor_pipeline.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariantMap>

namespace orvane {

// A table or a query of a Qt SQL database. SQLite ("QSQLITE") is the default
// and needs no server; any other Qt SQL driver works the same way. Rows are
// fetched as the traversal reaches them and kept, so bookmarks and moving back
// cost nothing. Values reach SQL only as bound parameters; a detail re-runs its
// query with the master's link values bound. Login user and password are set by
// the program and never streamed. The connection belongs to the thread that opens it.
//
// Report data is read-only. A connection the pipeline opens itself is opened
// read-only (SQLite: read-only and query_only, and the file must exist: none is
// ever created; other drivers: their read-only session or access mode), and the
// SQL must be exactly one statement that only reads (SQLite decides that for
// its statements, on any connection). Only the records of templates kept in a
// database are written, through a connection of their own.
class TjxDBPipeline : public TjxCursorPipeline {
    ORVANE_CLASS(TjxDBPipeline, TjxCursorPipeline)
public:
    explicit TjxDBPipeline(TComponent* owner = nullptr);
    ~TjxDBPipeline() override;

    // An existing connection of the program, by name; when none exists under the
    // name, the pipeline opens its own from the settings below.
    const QString& ConnectionName() const { return m_connectionName; }
    void SetConnectionName(const QString& v) { SetField(m_connectionName, v, "ConnectionName"); }
    const QString& DriverName() const { return m_driverName; }
    void SetDriverName(const QString& v) { SetField(m_driverName, v, "DriverName"); }
    const QString& DatabaseName() const { return m_databaseName; }
    void SetDatabaseName(const QString& v) { SetField(m_databaseName, v, "DatabaseName"); }
    const QString& HostName() const { return m_hostName; }
    void SetHostName(const QString& v) { SetField(m_hostName, v, "HostName"); }
    int Port() const { return m_port; }
    void SetPort(int v) { SetField(m_port, v, "Port"); }
    const QString& TableName() const { return m_tableName; }
    void SetTableName(const QString& v) { SetField(m_tableName, v, "TableName"); }
    // SQL text; its ":name" placeholders take Params and, for a detail, the
    // master's link values under the master field names.
    const QString& SQL() const { return m_sql; }
    void SetSQL(const QString& v) { SetField(m_sql, v, "SQL"); }

    void SetLogin(const QString& user, const QString& password) { m_loginUser = user; m_password = password; }
    const QVariantMap& Params() const { return m_params; }
    void SetParam(const QString& name, const QVariant& value) { m_params.insert(name, value); }
    void ClearParams() { m_params.clear(); }

    // The connection in use while active.
    QSqlDatabase Database() const;

    // Statements in SQL text, by its quotes and comments (for drivers that
    // cannot tell it themselves); a text whose reading depends on the dialect
    // counts as the larger number.
    static int StatementCount(QStringView sql);

    // Template records.
    void Append() override;
    void Edit() override;
    void Post() override;
    void Cancel() override;
    bool Locate(const QString& fieldName, const TVarValue& value) override;
    QByteArray FieldToStream(const QString& fieldName) override;
    void StreamToField(const QString& fieldName, const QByteArray& data) override;
    void SetFieldValue(const QString& fieldName, const TVarValue& value) override;

protected:
    void OpenSource() override;
    void CloseSource() override;
    bool SourceRowAvailable(int row) override;
    TVarValue SourceValue(int row, int column) override;
    void ApplyMaster() override;

private:
    void Execute();
    void MakeReadOnly();
    // The statement to run: the text without what follows its one statement;
    // raises when it is not exactly one statement that only reads.
    QString CheckReadOnly(const QString& text);
    void DefineFields();
    QString SelectText(QVariantMap& bindings) const;
    QString Quoted(const QString& identifier) const;
    QVariant RawValue(int row, int column);
    [[noreturn]] void RaiseQueryError(const QString& databaseText) const;

    QString m_connectionName;
    QString m_driverName = QStringLiteral("QSQLITE");
    QString m_databaseName;
    QString m_hostName;
    int m_port = 0;
    QString m_tableName;
    QString m_sql;
    QString m_loginUser;
    QString m_password;
    QVariantMap m_params;

    QString m_ownConnection;  // the connection this pipeline added, removed on close
    QString m_checkedText;       // the SQL last found to be one statement that only reads
    QString m_checkedStatement;  // and that statement
    std::unique_ptr<QSqlQuery> m_query;
    std::vector<QVariant> m_values;  // fetched rows, row after row
    int m_columnCount = 0;
    int m_fetchedRows = 0;
    bool m_exhausted = false;
    std::vector<int> m_fieldColumns;  // the query column of each field

    enum { emNone, emEdit, emInsert } m_editMode = emNone;
    QVariantMap m_editValues;
    QVariantMap m_editKey;  // identifies the record an edit updates
};

} // namespace orvane
