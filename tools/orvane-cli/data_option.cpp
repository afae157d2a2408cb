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
#include "engine/pipeline_list.h"

#include <QFileInfo>
#include <QSqlDatabase>

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

} // namespace

int BindDatabase(TjxCustomReport& report, const QString& sqliteFile)
{
    if (!QFileInfo(sqliteFile).isFile())
        throw EDataError(MessageText(msg::DatabaseFileNotFound, {sqliteFile}));
    QStringList tables;
    {
        const QString probe = QStringLiteral("orvane.cli.probe");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), probe);
            db.setDatabaseName(sqliteFile);
            // Views count: a report often reads a join through one.
            if (db.open())
                tables = db.tables(QSql::Tables) + db.tables(QSql::Views);
        }
        QSqlDatabase::removeDatabase(probe);
    }
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
            continue;
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
