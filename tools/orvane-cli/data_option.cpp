// Running a template against data named on the command line.

#include "commands.h"

#include "components/printable.h"
#include "document/band.h"
#include "document/custom_report.h"
#include "document/errors.h"
#include "document/group.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "engine/db_pipeline.h"
#include "engine/pipeline_file.h"
#include "engine/pipeline_list.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace orvane {

QString TakeDatabaseOption(QStringList& args)
{
    const qsizetype at = args.indexOf(QStringLiteral("--db"));
    if (at < 0)
        return {};
    if (at + 1 >= args.size() || args[at + 1].startsWith(QStringLiteral("--")))
        throw EDataError(GetMessage(msg::DatabaseOptionNeedsFile));
    const QString file = args[at + 1];
    args.remove(at, 2);
    return file;
}

namespace {

QStringList ReferencedNames(const TjxCustomReport& report)
{
    QStringList names;
    auto add = [&names](const QString& name) {
        if (!name.isEmpty() && !names.contains(name, Qt::CaseInsensitive))
            names << name;
    };
    add(report.DataPipelineName());
    for (TjxBand* band : report.Bands()) {
        if (auto* detail = dynamic_cast<TjxDetailBand*>(band))
            add(detail->DataPipelineName());
        for (int i = 0; i < band->ChildCount(); ++i)
            if (auto* printable = dynamic_cast<TjxPrintable*>(band->Child(i)))
                add(printable->DataPipelineName());
    }
    for (int i = 0; i < report.GroupCount(); ++i)
        add(report.Group(i)->DataPipelineName());
    return names;
}

// The tables and views of an SQLite file, after checking that it is one.
QStringList SqliteTables(const QString& sqliteFile)
{
    if (!QFileInfo::exists(sqliteFile))
        throw EDataError(MessageText(msg::DatabaseFileNotFound, {sqliteFile}));
    if (const QString problem = RegularFileProblem(sqliteFile); !problem.isEmpty())
        throw EDataError(problem);
    {
        QFile file(sqliteFile);
        if (!file.open(QIODevice::ReadOnly))
            throw EDataError(MessageText(msg::CannotOpenFile, {sqliteFile, file.errorString()}));
        // SQLite takes an empty file for an empty database; here it is a mistake.
        if (file.size() == 0)
            throw EDataError(MessageText(msg::DatabaseFileEmpty, {sqliteFile}));
        if (file.read(16) != QByteArray("SQLite format 3\0", 16))
            throw EDataError(MessageText(msg::NotAnSqliteDatabase, {sqliteFile}));
    }
    QStringList tables;
    QString failure;
    const QString probe = QStringLiteral("orvane.cli.probe");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), probe);
        db.setDatabaseName(sqliteFile);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            // Views count: a report often reads a join through one.
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type IN ('table', 'view') "
                                          "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name")))
                while (query.next())
                    tables << query.value(0).toString();
            else
                failure = query.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(probe);
    if (!failure.isEmpty())
        throw EDataError(MessageText(msg::DatabaseOpenError, {sqliteFile, failure}));
    return tables;
}

} // namespace

int BindDatabase(TjxCustomReport& report, const QString& sqliteFile)
{
    const QStringList tables = SqliteTables(sqliteFile);
    auto findTable = [&tables](const QString& name) -> QString {
        for (const QString& candidate : {name, name.startsWith(QStringLiteral("pl")) ? name.mid(2) : QString()})
            for (const QString& t : tables)
                if (!candidate.isEmpty() && t.compare(candidate, Qt::CaseInsensitive) == 0)
                    return t;
        return {};
    };
    TComponent* owner = report.Owner() ? report.Owner() : &report;
    TjxDataPipelineList existing(&report);
    int made = 0;
    for (const QString& name : ReferencedNames(report)) {
        if (existing.FindByName(name))
            continue;
        const QString table = findTable(name);
        if (table.isEmpty())
            throw EDataError(MessageText(
                msg::PipelineHasNoTable,
                {name, sqliteFile,
                 tables.isEmpty() ? GetMessage(msg::NoTablesInDatabase) : tables.join(QStringLiteral(", "))}));
        auto* pipeline = new TjxDBPipeline(owner);
        pipeline->SetName(name);
        pipeline->SetDatabaseName(sqliteFile);
        pipeline->SetTableName(table);
        ++made;
    }
    ResolveReportPipelines(report);
    return made;
}

} // namespace orvane
