// orvane-cli: the headless tools of the report library.

#include "tools/orvane-cli/commands.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"

#include <QGuiApplication>
#include <cstdio>
#include <new>

namespace {

const char kUsage[] =
    "usage:\n"
    "  orvane-cli convert --to-text IN OUT     a component stream or template (either form) to text form\n"
    "  orvane-cli convert --to-binary IN OUT   ... to binary form (templates keep their closing 0 byte)\n"
    "  orvane-cli info FILE [--db DATA.sqlite] a template's report: settings, bands, groups, components;\n"
    "                                          with --db, its pipelines bound to that file's tables\n"
    "  orvane-cli render FILE --to pdf|png|raf|txt|reporttext -o OUT [--db DATA.sqlite] [--pages 1,3-5]\n"
    "                 [--dpi N] [--text-type comma|tab|fixed|custom]\n"
    "                                          runs the template's report into a PDF, PNG images\n"
    "                                          (OUT-N.png per page when several), an archive, the\n"
    "                                          texts marked for saving as records (txt, by default\n"
    "                                          of the report's TextFileType) or a text image of\n"
    "                                          each page (reporttext); --dpi: pixels per inch of\n"
    "                                          the images (96) or of the PDF's drawing (600), where\n"
    "                                          fonts take whole pixels as on a printer\n"
    "  orvane-cli print FILE [--printer NAME] [--copies N] [--collate] [--db DATA.sqlite] [--pages LIST]\n"
    "                 [-o OUT.pdf]             prints the template's report on a printer (the report's own\n"
    "                                          or the default one); with -o, the job goes to that file\n"
    "  orvane-cli printers                     the printer list: Default, Screen, then the system's printers\n"
    "  orvane-cli printers [--papers] NAME     one printer: resolution, papers and bins\n";

int Usage()
{
    std::fputs(kUsage, stderr);
    return 2;
}

// Toolkit warnings would stand before the tool's own message for the same
// failure (a painter that could not start, a font not found); the tool
// checks what it uses and says what went wrong itself. ORVANE_QT_MESSAGES=1
// shows them for debugging.
void KeepToolkitWarningsOff(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    static const bool show = qEnvironmentVariableIntValue("ORVANE_QT_MESSAGES") != 0;
    if (type == QtFatalMsg || type == QtCriticalMsg || show)
        std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, text).toLocal8Bit().constData());
}

void PrintError(const QString& message)
{
    std::fprintf(stderr, "orvane-cli: %s\n", message.toLocal8Bit().constData());
}

int RunCommand(const QString& command, QStringList& args)
{
    if (command == u"convert")
        return orvane::ConvertCommand(args);
    if (command == u"info")
        return orvane::InfoCommand(args);
    if (command == u"render")
        return orvane::RenderCommand(args);
    if (command == u"print")
        return orvane::PrintCommand(args);
    if (command == u"printers") {
        args.removeAll(QStringLiteral("--papers"));
        return orvane::PrintersCommand(args);
    }
    return Usage();
}

} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(KeepToolkitWarningsOff);
    orvane::InstallInterruptHandlers();
    // Fonts and printers need the GUI module, never a window: run offscreen unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The arguments are the tool's alone: Qt would take (or abort on) its own
    // options such as "-platform" anywhere on the line.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    try {
        QGuiApplication app(qtArgc, qtArgv);
        if (args.isEmpty())
            return Usage();
        const QString command = args.takeFirst();
        return RunCommand(command, args);
    } catch (const orvane::TInterrupted& interrupted) {
        PrintError(orvane::MessageText(orvane::msg::RunInterrupted, {QString::number(interrupted.signal)}));
        return 128 + interrupted.signal;
    } catch (const orvane::EOrvaneError& e) {
        PrintError(e.Message());
    } catch (const std::bad_alloc&) {
        PrintError(orvane::GetMessage(orvane::msg::OutOfMemory));
    } catch (const std::exception& e) {
        PrintError(QString::fromLocal8Bit(e.what()));
    }
    return 1;
}
