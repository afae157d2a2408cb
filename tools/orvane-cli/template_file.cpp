// Reading a template file's report for the commands that work on one.

#include "tools/orvane-cli/commands.h"

#include "document/custom_report.h"
#include "document/errors.h"
#include "document/messages.h"
#include "document/report_template.h"
#include "document/stream_reader.h"
#include "document/stream_text.h"
#include "platform/file_io.h"

namespace orvane {

TjxCustomReport* ReadTemplateReport(const QString& fileName, TComponent& host, qsizetype* offset)
{
    QByteArray data = ReadWholeFile(fileName);
    TjxReportTemplate probe;
    const qsizetype start = probe.DetectOffset(data, 0);
    if (start < 0)
        throw EInvalidTemplateError(GetMessage(49));
    QByteArray binary = data.mid(start);
    if (binary.startsWith("object"))
        ObjectTextToBinary(QByteArray(binary), binary);
    TReader reader(binary);
    reader.SetOwner(&host);
    reader.SetRoot(&host);
    auto* report = dynamic_cast<TjxCustomReport*>(reader.ReadComponent(nullptr));
    if (!report)
        throw EInvalidTemplateError(GetMessage(49));
    if (offset)
        *offset = start;
    return report;
}

} // namespace orvane
