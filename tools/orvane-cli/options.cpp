// What the commands that run a report share: options, loading, running.

#include "tools/orvane-cli/commands.h"

#include "document/custom_report.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/strings.h"
#include "engine/engine.h"
#include "output/device.h"
#include "output/page_request.h"
#include "output/publisher.h"
#include "platform/file_io.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace orvane {

QString TakeOption(QStringList& args, const QString& name)
{
    const qsizetype at = args.indexOf(name);
    if (at < 0)
        return {};
    // An empty value would quietly mean the option's default.
    if (at + 1 >= args.size() || args.at(at + 1).isEmpty())
        throw EOrvaneError(MessageText(msg::OptionNeedsValue, {name}));
    const QString value = args.at(at + 1);
    args.remove(at, 2);
    return value;
}

bool TakeFlag(QStringList& args, const QString& name)
{
    return args.removeAll(name) > 0;
}

bool ReportUnknownOption(const QStringList& args)
{
    for (const QString& arg : args)
        if (arg.size() > 1 && arg.startsWith(u'-')) {
            std::fprintf(stderr, "orvane-cli: %s\n", MessageText(msg::UnknownOption, {arg}).toLocal8Bit().constData());
            return true;
        }
    return false;
}

int SetPageListRequest(TjxPageRequest& request, const QString& pages)
{
    if (pages.isEmpty())
        return 1;
    static const QRegularExpression item(QStringLiteral("^\\s*([0-9]{1,10})\\s*(?:-\\s*([0-9]{1,10})\\s*)?$"));
    const auto invalid = [&] { return EOrvaneError(MessageText(msg::InvalidPageList, {pages})); };
    std::vector<int> numbers;
    for (const QString& part : pages.split(u',')) {
        const QRegularExpressionMatch match = item.match(part);
        if (!match.hasMatch())
            throw invalid();
        const qint64 first = match.captured(1).toLongLong();
        const qint64 last = match.hasCaptured(2) ? match.captured(2).toLongLong() : first;
        if (first < 1 || last < first || last > INT32_MAX ||
            qint64(numbers.size()) + (last - first + 1) > kMaxListedPages)
            throw invalid();
        for (qint64 page = first; page <= last; ++page)
            numbers.push_back(int(page));
    }
    std::sort(numbers.begin(), numbers.end());
    TStrings strings;
    for (const int page : numbers)
        strings.Add(QString::number(page));
    request.SetPageList(&strings);
    request.SetPageSetting(psPageList);
    return numbers.front();
}

void CheckOutputFile(const QString& output, const QString& input)
{
    if (SameFile(output, input))
        throw EOrvaneError(MessageText(msg::OutputIsInput, {output}));
    CheckSaveTarget(output);
}

TjxCustomReport* ReadReportToRun(const QString& fileName, TComponent& host, const QString& database)
{
    TjxCustomReport* report = ReadTemplateReport(fileName, host);
    if (!database.isEmpty())
        BindDatabase(*report, database);
    report->SetEnableProcessMessages(false);
    return report;
}

int GenerateTo(TjxCustomReport& report, TjxDevice& device, const TjxPageRequest& request)
{
    return WatchedRun(report, [&] {
        device.AssignPageRequest(&request);
        device.SetPublisher(report.Publisher());
        try {
            report.Generate();
        } catch (...) {
            device.SetPublisher(nullptr);
            throw;
        }
        device.SetPublisher(nullptr);
    });
}

int WatchedRun(TjxCustomReport& report, const std::function<void()>& run)
{
    StopIfInterrupted();
    // A new page is where a run can stop cleanly: it unwinds as a failed run
    // does, and the devices drop their unfinished files.
    const TMethod before = report.OnStartPage();
    auto highest = std::make_shared<int>(0);
    TMethod watch = before;
    watch.code = [previous = before.code, highest, &report](TComponent* sender, TjxEventParams& params) {
        StopIfInterrupted();
        *highest = std::max(*highest, report.Engine()->AbsolutePageNo());
        if (previous)
            previous(sender, params);
    };
    report.SetOnStartPage(watch);
    try {
        run();
    } catch (...) {
        report.SetOnStartPage(before);
        throw;
    }
    report.SetOnStartPage(before);
    return *highest;
}

} // namespace orvane
