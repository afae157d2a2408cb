#pragma once

#include <QStringList>

#include <functional>

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
// empty text when the option is absent; raises when the value is missing or empty.
QString TakeOption(QStringList& args, const QString& name);
// Removes a flag; true when it was there.
bool TakeFlag(QStringList& args, const QString& name);
// Says so on the error output when an argument left over is an option the
// command does not know (Qt's own among them: the tool hands Qt none).
bool ReportUnknownOption(const QStringList& args);
// "--pages 1,3-5" as a page-list request: numbers from 1 and ascending ranges
// joined by commas, at most kMaxListedPages pages; raises for anything else.
// Returns the first page asked for (1 without a list).
int SetPageListRequest(TjxPageRequest& request, const QString& pages);
constexpr int kMaxListedPages = 1000000;
// The largest page image render --to png makes: 64 Mi pixels (256 MiB at 32
// bits a pixel, an A4 page at about 800 dpi). A larger page is refused before
// anything is allocated.
constexpr qint64 kPageImagePixelLimit = qint64(1) << 26;
// Raises when a command's output would go over its input or where a save may not go.
void CheckOutputFile(const QString& output, const QString& input);

// SIGINT and SIGTERM: the first asks the run to stop, a second one ends the
// process at once.
void InstallInterruptHandlers();
// What stops a run on a signal; not an EOrvaneError, so that nothing on the
// way takes it for a failure to report and go on.
struct TInterrupted {
    int signal;
};
// Raises TInterrupted once a signal asked the run to stop.
void StopIfInterrupted();

// The template's report, its pipelines bound to the SQLite file when one is
// given, ready to run without a user interface.
TjxCustomReport* ReadReportToRun(const QString& fileName, TComponent& host, const QString& database);
// Runs the report into the device for the request; the device leaves the
// report's publisher afterwards, also when the run fails. A signal stops the
// run at its next page (TInterrupted). Returns the highest page number the
// run started: below the first page asked for, nothing was output.
int GenerateTo(TjxCustomReport& report, TjxDevice& device, const TjxPageRequest& request);
// Runs `run` (which generates the report), stopping at a new page when
// interrupted; answers the highest page started.
int WatchedRun(TjxCustomReport& report, const std::function<void()>& run);

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
