// orvane-preview TEMPLATE [--db DATA.sqlite]: the template's report in the
// preview window, as printing it to "Screen" shows it.

#include "components/printable.h"
#include "dialogs/message_box.h"
#include "document/band.h"
#include "document/errors.h"
#include "document/form.h"
#include "document/group.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/report.h"
#include "document/report_template.h"
#include "engine/db_pipeline.h"
#include "engine/pipeline_list.h"
#include "output/previewer.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <cstdio>

using namespace orvane;

namespace {

class THost : public TComponent {
public:
    THost() : TComponent(nullptr) {}
};

// Every pipeline name the report refers to gets a pipeline on the SQLite
// table of that name (or of the name without its "pl").
void BindDatabase(TjxCustomReport& report, TComponent& owner, const QString& file)
{
    if (!QFileInfo(file).isFile())
        throw EDataError(MessageText(msg::DatabaseFileNotFound, {file}));
    QStringList tables;
    const QString probe = QStringLiteral("orvane.preview.probe");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), probe);
        db.setDatabaseName(file);
        if (db.open())
            tables = db.tables(QSql::Tables) + db.tables(QSql::Views);
    }
    QSqlDatabase::removeDatabase(probe);
    QStringList names;
    const auto add = [&names](const QString& name) {
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
    TjxDataPipelineList existing(&report);
    for (const QString& name : names) {
        if (existing.FindByName(name))
            continue;
        const QString bare = name.startsWith(QStringLiteral("pl")) ? name.mid(2) : QString();
        for (const QString& table : tables) {
            if (table.compare(name, Qt::CaseInsensitive) != 0 && table.compare(bare, Qt::CaseInsensitive) != 0)
                continue;
            auto* pipeline = new TjxDBPipeline(&owner);
            pipeline->SetName(name);
            pipeline->SetDatabaseName(file);
            pipeline->SetTableName(table);
            break;
        }
    }
    ResolveReportPipelines(report);
}

int Run(const QStringList& arguments)
{
    QStringList args = arguments;
    QString database;
    if (const qsizetype at = args.indexOf(QStringLiteral("--db")); at >= 0) {
        if (at + 1 >= args.size())
            throw EDataError(GetMessage(msg::DatabaseOptionNeedsFile));
        database = args[at + 1];
        args.remove(at, 2);
    }
    if (args.size() != 1 || args[0].startsWith(QStringLiteral("--"))) {
        std::fprintf(stderr, "%s\n", qPrintable(GetMessage(msg::PreviewUsage)));
        return 2;
    }
    THost host;
    auto* report = new TjxReport(&host);
    report->Template()->SetFileName(QDir::current().absoluteFilePath(args[0]));
    report->Template()->LoadFromFile();
    if (!database.isEmpty())
        BindDatabase(*report, host, database);
    // The preview shows whatever device the template names.
    report->SetDeviceType(QStringLiteral("Screen"));
    report->Print();
    // A window that is not modal stays until it is closed.
    while (report->PreviewForm())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvane-preview"));
    // Failures while the window is open show in a message box.
    InstallMessageBoxWindow();
    try {
        return Run(app.arguments().mid(1));
    } catch (const EOrvaneError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.Message()));
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
