#pragma once

#include <QStringList>

namespace orvane {

// Each command takes the arguments after its name and returns the exit code;
// errors with the system's message are raised as EOrvaneError.
int ConvertCommand(const QStringList& args);
int InfoCommand(const QStringList& args);
int PrintCommand(const QStringList& args);
int PrintersCommand(const QStringList& args);
int RenderCommand(const QStringList& args);

class TComponent;
class TjxCustomReport;
class TjxDevice;
class TjxPageRequest;

// "NAME VALUE": removes both from the arguments and returns the value, or an
// empty text when the option is absent; raises when the value is missing.
QString TakeOption(QStringList& args, const QString& name);
// Removes a flag; true when it was there.
bool TakeFlag(QStringList& args, const QString& name);
// "--pages 1,3-5" as a page-list request; raises for a text without pages.
void SetPageListRequest(TjxPageRequest& request, const QString& pages);

// The template's report, its pipelines bound to the SQLite file when one is
// given, ready to run without a user interface.
TjxCustomReport* ReadReportToRun(const QString& fileName, TComponent& host, const QString& database);
// Runs the report into the device for the request; the device leaves the
// report's publisher afterwards, also when the run fails.
void GenerateTo(TjxCustomReport& report, TjxDevice& device, const TjxPageRequest& request);

// Reads the report of a template file (binary or text form, with or without
// an offset) into `host`; `offset` receives where the template starts.
TjxCustomReport* ReadTemplateReport(const QString& fileName, TComponent& host, qsizetype* offset = nullptr);

// "--db FILE.sqlite": removes the option from the arguments and returns the
// file, or an empty text when absent; raises when the file name is missing.
QString TakeDatabaseOption(QStringList& args);
// Gives every pipeline name the report refers to (its own, its detail band's,
// its groups' and its components') a pipeline on the table of that name in the
// SQLite file (or the name without its "pl" prefix), owned by the report's
// owner, and binds the names. Returns the pipelines made.
int BindDatabase(TjxCustomReport& report, const QString& sqliteFile);

} // namespace orvane
