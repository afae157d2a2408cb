#include "output/publisher.h"

#include "output/device.h"
#include "output/page.h"

#include <algorithm>
#include <climits>
#include <exception>

namespace orvane {

const TClassInfo& TjxPublisher::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxPublisher>("TjxPublisher", &TjxCommunicator::StaticClass()).Build();
    return info;
}

TjxPublisher::TjxPublisher(TComponent* owner)
    : TjxCommunicator(owner), m_mergedRequest(std::make_unique<TjxPageRequest>())
{
}

TjxPublisher::~TjxPublisher()
{
    std::vector<TjxDevice*> devices = m_attachedDevices;
    for (const auto& [key, stack] : m_deviceStacks)
        for (TjxDevice* device : stack)
            if (std::find(devices.begin(), devices.end(), device) == devices.end())
                devices.push_back(device);
    m_attachedDevices.clear();
    m_deviceStacks.clear();
    for (TjxDevice* device : devices) {
        RemoveFreeNotification(device);
        device->ForgetPublisher();
        if (device->PublisherChangedHandler)
            device->PublisherChangedHandler(device);
    }
}

// Devices.

void TjxPublisher::AddDevice(TjxDevice* device)
{
    std::lock_guard guard(m_lock);
    if (!device || IsAttached(device))
        return;
    for (const auto& [key, stack] : m_deviceStacks)
        if (std::find(stack.begin(), stack.end(), device) != stack.end())
            return;
    if (device->InStack()) {
        // Only the top device of a stack receives; the one below waits.
        auto& stack = m_deviceStacks[device->StackKey()];
        if (!stack.empty())
            std::erase(m_attachedDevices, stack.back());
        stack.push_back(device);
    }
    m_attachedDevices.push_back(device);
    FreeNotification(device);
}

void TjxPublisher::RemoveDevice(TjxDevice* device)
{
    std::lock_guard guard(m_lock);
    if (!device)
        return;
    std::erase(m_attachedDevices, device);
    for (auto it = m_deviceStacks.begin(); it != m_deviceStacks.end(); ++it) {
        auto& stack = it->second;
        auto pos = std::find(stack.begin(), stack.end(), device);
        if (pos == stack.end())
            continue;
        const bool wasTop = pos + 1 == stack.end();
        stack.erase(pos);
        if (stack.empty())
            m_deviceStacks.erase(it);
        else if (wasTop)
            m_attachedDevices.push_back(stack.back());
        break;
    }
    RemoveFreeNotification(device);
}

void TjxPublisher::Notification(TComponent* component, TOperation operation)
{
    TjxCommunicator::Notification(component, operation);
    if (operation != opRemove || !component)
        return;
    // Only pointers are compared: what is left of the device is a TComponent.
    for (TjxDevice* device : std::vector<TjxDevice*>(m_attachedDevices))
        if (static_cast<TComponent*>(device) == component)
            RemoveDevice(device);
    for (const auto& [key, stack] : std::map<QString, std::vector<TjxDevice*>>(m_deviceStacks))
        for (TjxDevice* device : stack)
            if (static_cast<TComponent*>(device) == component)
                RemoveDevice(device);
}

bool TjxPublisher::IsAttached(const TjxDevice* device) const
{
    return std::find(m_attachedDevices.begin(), m_attachedDevices.end(), device) != m_attachedDevices.end();
}

int TjxPublisher::DeviceCount() const
{
    std::lock_guard guard(m_lock);
    return int(m_attachedDevices.size());
}

TjxDevice* TjxPublisher::DeviceAt(int index) const
{
    std::lock_guard guard(m_lock);
    return index >= 0 && index < int(m_attachedDevices.size()) ? m_attachedDevices[size_t(index)] : nullptr;
}

std::vector<TjxDevice*> TjxPublisher::StackedDevices(const QString& stackKey) const
{
    std::lock_guard guard(m_lock);
    auto it = m_deviceStacks.find(stackKey);
    if (it == m_deviceStacks.end())
        return {};
    return {it->second.rbegin(), it->second.rend()};
}

bool TjxPublisher::OnlyScreenDevices() const
{
    std::lock_guard guard(m_lock);
    return std::all_of(m_attachedDevices.begin(), m_attachedDevices.end(),
                       [](const TjxDevice* d) { return d->DeviceName() == u"Screen"; });
}

QString TjxPublisher::StatusText() const
{
    std::lock_guard guard(m_lock);
    for (const TjxDevice* device : m_attachedDevices)
        if (!device->StatusText().isEmpty())
            return device->StatusText();
    return {};
}

void TjxPublisher::SetStatusText(const QString& text)
{
    std::lock_guard guard(m_lock);
    for (TjxDevice* device : std::vector<TjxDevice*>(m_attachedDevices))
        if (IsAttached(device))
            device->SetStatusText(text);
}

// Broadcasts.

void TjxPublisher::Broadcast(bool awaitingOnly, const std::function<void(TjxDevice*)>& fn, TjxDevice* only)
{
    std::lock_guard guard(m_lock);
    // One failing device must not keep the others from their call (an end
    // job that is skipped loses that device's output); the first error is
    // passed on afterwards.
    // Devices that join the list during the broadcast take part too: above
    // all the one a leaving stacked device brings back (a job must not end
    // for one of them only).
    std::exception_ptr firstError;
    std::set<uint64_t> visited;
    for (;;) {
        const auto next = std::find_if(m_attachedDevices.begin(), m_attachedDevices.end(),
                                       [&](TjxDevice* d) { return !visited.contains(d->Serial()); });
        if (next == m_attachedDevices.end())
            break;
        TjxDevice* device = *next;
        visited.insert(device->Serial());
        if (!device->Receiving() || (awaitingOnly && !device->AwaitingPages()) || (only && device != only))
            continue;
        try {
            fn(device);
        } catch (...) {
            if (!firstError)
                firstError = std::current_exception();
        }
    }
    if (firstError)
        std::rethrow_exception(firstError);
}

void TjxPublisher::ResetDevices()
{
    Broadcast(false, [](TjxDevice* d) { d->Reset(); });
}

void TjxPublisher::StartJob(TjxDevice* only)
{
    Broadcast(false, [](TjxDevice* d) { d->StartJob(); }, only);
}

void TjxPublisher::CancelJob()
{
    Broadcast(true, [](TjxDevice* d) { d->Cancel(); });
}

void TjxPublisher::EndJob(TjxDevice* only)
{
    std::lock_guard guard(m_lock);
    m_generating = false;
    try {
        Broadcast(false, [](TjxDevice* d) { d->EndJob(); }, only);
    } catch (...) {
        ResetRequest();
        throw;
    }
    ResetRequest();
}

// Cache.

void TjxPublisher::ClearCache()
{
    std::lock_guard guard(m_lock);
    m_runComplete = false;
    m_absolutePageCount = 0;
    m_requestsGranted = false;
    m_cachedPages.clear();
    m_lowestCachedCount = 0;
}

void TjxPublisher::Reset()
{
    {
        std::lock_guard guard(m_lock);
        ClearCache();
        ResetRequest();
    }
    SendEventNotify(ciPublisherReset);
}

void TjxPublisher::ResetRequest()
{
    std::lock_guard guard(m_lock);
    m_firstRequest = true;
    m_mergedRequest->Clear();
    m_servedFromCache.clear();
}

int TjxPublisher::CachedPageCount() const
{
    std::lock_guard guard(m_lock);
    return int(m_cachedPages.size());
}

TjxPage* TjxPublisher::CachedPageAt(int index) const
{
    std::lock_guard guard(m_lock);
    return index >= 0 && index < int(m_cachedPages.size()) ? m_cachedPages[size_t(index)].get() : nullptr;
}

TjxPage* TjxPublisher::CachedPage(int absolutePageNo) const
{
    std::lock_guard guard(m_lock);
    auto it = std::lower_bound(m_cachedPages.begin(), m_cachedPages.end(), absolutePageNo,
                               [](const std::unique_ptr<TjxPage>& p, int n) { return p->AbsolutePageNo() < n; });
    return it != m_cachedPages.end() && (*it)->AbsolutePageNo() == absolutePageNo ? it->get() : nullptr;
}

void TjxPublisher::CachePage(const TjxPage& page)
{
    std::lock_guard guard(m_lock);
    if (!m_cachePages || m_servingCache || !page.Final() || page.Calculation())
        return;
    auto copy = std::make_unique<TjxPage>();
    copy->Assign(&page);
    copy->SetCalculation(false);
    const int number = copy->AbsolutePageNo();
    const int count = copy->AbsolutePageCount();
    auto it = std::lower_bound(m_cachedPages.begin(), m_cachedPages.end(), number,
                               [](const std::unique_ptr<TjxPage>& p, int n) { return p->AbsolutePageNo() < n; });
    if (it != m_cachedPages.end() && (*it)->AbsolutePageNo() == number)
        *it = std::move(copy);
    else
        m_cachedPages.insert(it, std::move(copy));
    m_lowestCachedCount = m_cachedPages.size() == 1 ? count : std::min(m_lowestCachedCount, count);
    if (m_cachedPages.size() > 1)
        PropagatePageCount(page);
}

void TjxPublisher::PropagatePageCount(const TjxPage& page)
{
    std::lock_guard guard(m_lock);
    const int count = page.AbsolutePageCount();
    // Every cached page already knows at least this count.
    if (count <= m_lowestCachedCount)
        return;
    for (const auto& cached : m_cachedPages) {
        if (cached->AbsolutePageCount() >= count)
            continue;
        cached->SetAbsolutePageCount(count);
        if (cached->ControlGroupBreakNo() == page.ControlGroupBreakNo() && cached->PageCount() < page.PageCount())
            cached->SetPageCount(page.PageCount());
        if (cached->UpdateableCount() > 0)
            cached->RefreshUpdateables();
    }
    m_lowestCachedCount = count;
}

void TjxPublisher::SendCachedPage(TjxPage* page)
{
    m_servedFromCache.insert(page->AbsolutePageNo());
    ReceivePage(page);
}

bool TjxPublisher::ServeFromCache()
{
    std::lock_guard guard(m_lock);
    if (!m_cachePages)
        return false;
    struct Serving {
        bool& flag;
        explicit Serving(bool& f) : flag(f) { flag = true; }
        ~Serving() { flag = false; }
    } serving(m_servingCache);

    switch (m_mergedRequest->PageSetting()) {
    case psAll: {
        if (!m_runComplete || m_cachedPages.empty())
            return false;
        const TjxPage* first = CachedPage(1);
        const int count = first ? first->AbsolutePageCount() : 0;
        if (count <= 0 || int(m_cachedPages.size()) != count)
            return false;
        for (int n = 1; n <= count; ++n)
            if (!CachedPage(n))
                return false;
        for (int n = 1; n <= count; ++n)
            if (TjxPage* page = CachedPage(n))
                SendCachedPage(page);
        return true;
    }
    case psPageList: {
        std::vector<int> listed;
        bool allCached = true;
        int firstMissing = INT_MAX;
        for (const QString& entry : m_mergedRequest->PageList()->Lines()) {
            bool ok = false;
            const int n = entry.trimmed().toInt(&ok);
            if (!ok) {
                allCached = false;
                continue;
            }
            if (std::find(listed.begin(), listed.end(), n) != listed.end())
                continue;
            listed.push_back(n);
            if (!CachedPage(n)) {
                allCached = false;
                firstMissing = std::min(firstMissing, n);
            }
        }
        if (allCached) {
            for (int n : listed)
                if (TjxPage* page = CachedPage(n))
                    SendCachedPage(page);
            return !listed.empty();
        }
        // The engine delivers the rest in page order, so only the cached pages
        // before the first missing one can go first without upsetting the order.
        std::sort(listed.begin(), listed.end());
        for (int n : listed) {
            if (n >= firstMissing)
                break;
            if (TjxPage* page = CachedPage(n))
                SendCachedPage(page);
        }
        return false;
    }
    case psSinglePage:
        if (TjxPage* page = CachedPage(m_mergedRequest->PageRequested())) {
            SendCachedPage(page);
            return true;
        }
        return false;
    case psFirstPage:
        if (TjxPage* page = CachedPage(1)) {
            SendCachedPage(page);
            return true;
        }
        return false;
    case psLastPage:
        if (m_runComplete) {
            if (TjxPage* page = CachedPage(m_absolutePageCount)) {
                SendCachedPage(page);
                return true;
            }
        }
        return false;
    default:
        return false;
    }
}

// Requests.

void TjxPublisher::RequestPages(TjxDevice* only)
{
    {
        std::lock_guard guard(m_lock);
        m_requesting = true;
        m_firstRequest = true;
        try {
            Broadcast(true, [this](TjxDevice* d) {
                if (d->PageRequestHandler)
                    d->PageRequestHandler(d);
                RequestPage(*d->PageRequest());
            }, only);
        } catch (...) {
            m_requesting = false;
            throw;
        }
        m_requesting = false;
        m_generating = true;
    }
    ProcessRequests();
}

void TjxPublisher::RequestPage(const TjxPageRequest& request)
{
    std::lock_guard guard(m_lock);
    if (!m_firstRequest && !m_requesting && !m_generating)
        m_firstRequest = true;
    m_requestsGranted = false;
    if (m_firstRequest) {
        m_mergedRequest->Assign(&request);
        m_firstRequest = false;
    } else if (m_mergedRequest->PageSetting() != psAll) {
        m_mergedRequest->Merge(request);
    }
}

void TjxPublisher::ProcessRequests()
{
    {
        std::lock_guard guard(m_lock);
        if (m_requesting || m_requestsGranted)
            return;
        m_servedFromCache.clear();
        m_requestsGranted = ServeFromCache();
        if (m_requestsGranted)
            return;
    }
    // Generation runs without the lock: pages come back through ReceivePage.
    if (PageRequestHandler)
        PageRequestHandler(this, m_mergedRequest.get());
    SendEventNotify(ciPublisherPagesRequested);
}

void TjxPublisher::ReceivePage(TjxPage* page)
{
    if (!page)
        return;
    {
        std::lock_guard guard(m_lock);
        CachePage(*page);
        // A page the cache already delivered for this request is not sent again
        // when the engine makes it once more.
        const bool delivered = !m_servingCache && m_servedFromCache.count(page->AbsolutePageNo()) > 0;
        if (!delivered)
            Broadcast(true, [page](TjxDevice* d) { d->ReceivePage(page); });
        // Settles a single page asked for past the end on the last page.
        m_mergedRequest->IsRequested(*page);
        m_requestsGranted = m_mergedRequest->IsLastRequested(*page);
        if (!m_runComplete && page->LastPage()) {
            m_runComplete = true;
            m_absolutePageCount = page->AbsolutePageNo();
        }
    }
    TjxEventParams params{{QStringLiteral("Page"), QVariant::fromValue<TPersistent*>(page), false}};
    SendEventNotify(ciPublisherPagePublished, &params);
}

} // namespace orvane
