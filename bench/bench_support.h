#pragma once

#include "document/page_def.h"
#include "document/printer_setup.h"
#include "document/report.h"
#include "document/toolkit_component.h"

#include <sys/resource.h>

namespace orvane::bench {

// The owner of a benchmark's report, as a form would be.
class THost : public TComponent {
public:
    THost() : TComponent(nullptr) {}
};

// A report on A4 for a run measured alone: no page cache, no pending
// window messages processed between pages.
inline TjxReport* NewA4Report(THost& host, const QString& name)
{
    auto* report = new TjxReport(&host);
    report->SetName(name);
    report->SetCachePages(false);
    report->SetEnableProcessMessages(false);
    TjxPageDef* def = report->PrinterSetup()->PageDef();
    def->SetmmWidth(210000);
    def->SetmmHeight(297000);
    return report;
}

// The process's peak resident memory so far, in megabytes.
inline long PeakMemoryMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace orvane::bench
