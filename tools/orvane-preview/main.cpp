// orvane-preview TEMPLATE [--db DATA.sqlite]: the template's report in the
// preview window, as printing it to "Screen" shows it.

#include "dialogs/message_box.h"
#include "document/dialog_registry.h"
#include "document/errors.h"
#include "document/form.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/report.h"
#include "document/report_template.h"
#include "output/previewer.h"
#include "tools/orvane-cli/commands.h"

#include <QApplication>
#include <QDir>
#include <cstdio>

using namespace orvane;

namespace {

// The toolkit's warnings stay off the console, as orvane-cli's do;
// ORVANE_QT_MESSAGES=1 shows them.
void KeepToolkitWarningsOff(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    static const bool show = qEnvironmentVariableIntValue("ORVANE_QT_MESSAGES") != 0;
    if (type == QtFatalMsg || type == QtCriticalMsg || show)
        std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, text).toLocal8Bit().constData());
}

void PrintError(const QString& message)
{
    std::fprintf(stderr, "orvane-preview: %s\n", message.toLocal8Bit().constData());
}

class THost : public TComponent {
public:
    THost() : TComponent(nullptr) {}
};

int Run(const QStringList& arguments)
{
    QStringList args = arguments;
    // The same --db as orvane-cli's: an SQLite file with a table or view for
    // every pipeline the template names.
    const QString database = TakeDatabaseOption(args);
    if (args.size() != 1 || args[0].startsWith(QStringLiteral("--"))) {
        std::fprintf(stderr, "%s\n", qPrintable(GetMessage(msg::PreviewUsage)));
        return 2;
    }
    if (!GetDialogClass(u"TjxCustomPreviewer"))
        throw EOrvaneError(GetMessage(msg::PreviewNotAvailable));
    THost host;
    auto* report = new TjxReport(&host);
    report->Template()->SetFileName(QDir::current().absoluteFilePath(args[0]));
    report->Template()->LoadFromFile();
    if (!database.isEmpty())
        BindDatabase(*report, database);
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
    qInstallMessageHandler(KeepToolkitWarningsOff);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvane-preview"));
    // Failures while the window is open show in a message box.
    InstallMessageBoxWindow();
    try {
        return Run(app.arguments().mid(1));
    } catch (const EOrvaneError& error) {
        PrintError(error.Message());
        return 1;
    } catch (const std::exception& error) {
        PrintError(QString::fromLocal8Bit(error.what()));
        return 1;
    }
}
