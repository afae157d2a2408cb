// Options shared by the commands that run a report.

#include "tools/orvane-cli/commands.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/strings.h"
#include "output/page_request.h"

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

} // namespace orvane
