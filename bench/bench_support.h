#pragma once

#include <sys/resource.h>

namespace orvane::bench {

// The process's peak resident memory so far, in megabytes.
inline long PeakMemoryMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace orvane::bench
