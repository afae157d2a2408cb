#pragma once

#include "document/toolkit_component.h"

#include <sys/resource.h>

namespace orvane::bench {

// The owner of a benchmark's report, as a form would be.
class THost : public TComponent {
public:
    THost() : TComponent(nullptr) {}
};

// The process's peak resident memory so far, in megabytes.
inline long PeakMemoryMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace orvane::bench
