// orvane-cli info: a template's report as a readable tree.

#include "tools/orvane-cli/commands.h"

#include "document/custom_report.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/report.h"
#include "document/report_template.h"
#include "document/stream_reader.h"
#include "document/stream_text.h"
#include "document/stream_writer.h"
#include "engine/data_pipeline.h"
#include "engine/field.h"
#include "engine/pipeline_list.h"
#include "platform/file_io.h"

#include <QTextStream>
#include <cstdio>

namespace orvane {

namespace {

// Owns what a template holds while it is shown.
class TInfoHost : public TComponent {
public:
    TInfoHost() = default;
};

QString Value(const TPersistent& object, const char* property)
{
    if (!object.ClassInfo().PublishesProperty(QString::fromLatin1(property)))
        return {};
    const QVariant v = object.GetPropertyValue(QString::fromLatin1(property));
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 6);
    return v.toString();
}

void PrintObject(QTextStream& out, const TComponent& c, int depth)
{
    const QString indent(depth * 2, u' ');
    out << indent << c.Name() << ": " << c.ClassName();
    if (auto* communicator = dynamic_cast<const TjxCommunicator*>(&c))
        if (!communicator->UserName().isEmpty() && communicator->UserName() != c.Name())
            out << " (" << communicator->UserName() << ')';
    if (auto* band = dynamic_cast<const TjxBand*>(&c))
        out << "  height " << band->mmHeight();
    if (auto* group = dynamic_cast<const TjxGroup*>(&c))
        out << "  break " << group->BreakName();
    const QString left = Value(c, "Left");
    if (!left.isEmpty())
        out << "  at " << left << ',' << Value(c, "Top") << " size " << Value(c, "Width") << 'x'
            << Value(c, "Height");
    const QString caption = Value(c, "Caption");
    if (!caption.isEmpty())
        out << "  \"" << caption << '"';
    out << '\n';
}

void PrintTree(QTextStream& out, const TComponent& c, TComponent* root, int depth)
{
    PrintObject(out, c, depth);
    c.GetChildren([&](TComponent* child) { PrintTree(out, *child, root, depth + 1); }, root);
}

// The report's own settings: the top-level entries of its text form.
void PrintSettings(QTextStream& out, TjxCustomReport& report, TComponent* root)
{
    QByteArray text;
    ObjectBinaryToText(WriteComponentToBytes(&report, root), text);
    for (const QByteArray& line : text.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (line.startsWith("  object") || line.startsWith("  inherited"))
            break;
        if (line.startsWith("  ") && !line.startsWith("    "))
            out << "  = " << QString::fromLatin1(trimmed) << '\n';
    }
}

} // namespace

// The pipelines the report can reach, with their fields and record counts.
void PrintPipelines(QTextStream& out, TjxCustomReport& report)
{
    const TjxDataPipelineList list(&report);
    for (int i = 0; i < list.Count(); ++i) {
        TjxDataPipeline* pipeline = list.Pipelines(i);
        pipeline->Open();
        int records = 0;
        for (pipeline->First(); !pipeline->Eof(); pipeline->Next())
            ++records;
        out << "pipeline " << list.Names(i) << ": " << records << " record(s)\n";
        for (int f = 0; f < pipeline->FieldCount(); ++f) {
            TjxField* field = pipeline->Fields(f);
            out << "  " << field->FieldName() << ' ' << DataTypeName(field->DataType()) << '\n';
        }
        pipeline->Close();
    }
}

int InfoCommand(const QStringList& arguments)
{
    QStringList args = arguments;
    const QString database = TakeDatabaseOption(args);
    if (ReportUnknownOption(args) || args.size() != 1) {
        std::fputs("usage: orvane-cli info FILE [--db FILE.sqlite]\n", stderr);
        return 2;
    }
    TInfoHost host;
    qsizetype start = 0;
    TjxCustomReport* report = ReadTemplateReport(args[0], host, &start);
    QTextStream out(stdout);
    if (start > 0)
        out << "offset " << start << '\n';
    PrintObject(out, *report, 0);
    PrintSettings(out, *report, &host);
    report->GetChildren([&](TComponent* child) { PrintTree(out, *child, &host, 1); }, &host);
    if (!database.isEmpty()) {
        BindDatabase(*report, database);
        PrintPipelines(out, *report);
    }
    return 0;
}

} // namespace orvane
