// What the commands that run a report share: options, loading, running.

#include "tools/orvane-cli/commands.h"

#include "document/custom_report.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/strings.h"
#include "output/device.h"
#include "output/page_request.h"
#include "output/publisher.h"

namespace orvane {

QString TakeOption(QStringList& args, const QString& name)
{
    const qsizetype at = args.indexOf(name);
    if (at < 0)
        return {};
    if (at + 1 >= args.size())
        throw EOrvaneError(MessageText(msg::OptionNeedsValue, {name}));
    const QString value = args.at(at + 1);
    args.remove(at, 2);
    return value;
}

bool TakeFlag(QStringList& args, const QString& name)
{
    return args.removeAll(name) > 0;
}

void SetPageListRequest(TjxPageRequest& request, const QString& pages)
{
    if (pages.isEmpty())
        return;
    const QStringList list = TextToPageList(pages);
    if (list.isEmpty())
        throw EOrvaneError(MessageText(msg::RenderPagesInvalid, {pages}));
    TStrings strings;
    for (const QString& page : list)
        strings.Add(page);
    request.SetPageList(&strings);
    request.SetPageSetting(psPageList);
}

TjxCustomReport* ReadReportToRun(const QString& fileName, TComponent& host, const QString& database)
{
    TjxCustomReport* report = ReadTemplateReport(fileName, host);
    if (!database.isEmpty())
        BindDatabase(*report, database);
    report->SetEnableProcessMessages(false);
    return report;
}

void GenerateTo(TjxCustomReport& report, TjxDevice& device, const TjxPageRequest& request)
{
    device.AssignPageRequest(&request);
    device.SetPublisher(report.Publisher());
    try {
        report.Generate();
    } catch (...) {
        device.SetPublisher(nullptr);
        throw;
    }
    device.SetPublisher(nullptr);
}

} // namespace orvane
