#pragma once

// Runs a device over pages made by hand, as a report's publisher would
// hand them on, and reads what a call raised.

#include "document/errors.h"
#include "output/device.h"
#include "output/page.h"
#include "output/publisher.h"
#include "tests/support/test_basics.h"

#include <functional>
#include <memory>
#include <vector>

namespace orvane::test {

// The device leaves the publisher also when the run fails.
inline void PublishPages(TjxDevice& device, const std::vector<std::unique_ptr<TjxPage>>& pages)
{
    TjxPublisher publisher;
    publisher.PageRequestHandler = [&pages](TjxPublisher* p, TjxPageRequest*) {
        for (const auto& page : pages)
            p->ReceivePage(page.get());
    };
    device.SetPublisher(&publisher);
    try {
        device.RequestPages();
    } catch (...) {
        device.SetPublisher(nullptr);
        throw;
    }
    device.SetPublisher(nullptr);
}

} // namespace orvane::test
