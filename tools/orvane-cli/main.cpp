// orvane-cli: the headless tools of the report library.

#include "tools/orvane-cli/commands.h"

#include "document/errors.h"

#include <QGuiApplication>
#include <cstdio>

namespace {

const char kUsage[] =
    "usage:\n"
    "  orvane-cli convert --to-text IN OUT     a component stream or template (either form) to text form\n"
    "  orvane-cli convert --to-binary IN OUT   ... to binary form (templates keep their closing 0 byte)\n"
    "  orvane-cli info FILE [--db DATA.sqlite] a template's report: settings, bands, groups, components;\n"
    "                                          with --db, its pipelines bound to that file's tables\n"
    "  orvane-cli render FILE --to pdf|png|raf -o OUT [--db DATA.sqlite] [--pages 1,3-5] [--dpi N]\n"
    "                                          runs the template's report into a PDF, PNG images\n"
    "                                          (OUT-N.png per page when several) or an archive\n"
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

} // namespace

int main(int argc, char** argv)
{
    // Fonts and printers need the GUI module, never a window: run offscreen unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return Usage();
    const QString command = args.takeFirst();
    try {
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
    } catch (const orvane::EOrvaneError& e) {
        std::fprintf(stderr, "orvane-cli: %s\n", e.what());
        return 1;
    }
    return Usage();
}
