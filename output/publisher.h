#pragma once

// Output is pull-driven: the publisher merges the page requests of its
// devices, serves what it can from its page cache, asks the report for the
// rest and hands every page it gets to the devices that still wait.

#include "document/communicator.h"
#include "output/page_request.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

namespace orvane {

class TjxDevice;
class TjxPage;

class TjxPublisher : public TjxCommunicator {
    ORVANE_CLASS(TjxPublisher, TjxCommunicator)
public:
    // Generates the pages of the request and hands each to ReceivePage.
    using TjxPageRequestEvent = std::function<void(TjxPublisher* publisher, TjxPageRequest* request)>;

    explicit TjxPublisher(TComponent* owner = nullptr);
    ~TjxPublisher() override;

    int AbsolutePageCount() const { return m_absolutePageCount; }
    bool CachePages() const { return m_cachePages; }
    void SetCachePages(bool value) { m_cachePages = value; }
    bool FirstRequest() const { return m_firstRequest; }
    bool RequestsGranted() const { return m_requestsGranted; }
    bool ServingCache() const { return m_servingCache; }
    bool RunComplete() const { return m_runComplete; }
    bool Requesting() const { return m_requesting; }
    bool Generating() const { return m_generating; }
    TjxPageRequest* MergedRequest() const { return m_mergedRequest.get(); }
    // Held by every broadcast, so that a background print and the user
    // interface never deliver pages to the device list at once.
    std::recursive_mutex& Lock() const { return m_lock; }

    TjxPageRequestEvent PageRequestHandler;

    // Devices attach through TjxDevice::SetPublisher.
    int DeviceCount() const;
    TjxDevice* DeviceAt(int index) const;
    // The devices of a stack, top first.
    std::vector<TjxDevice*> StackedDevices(const QString& stackKey) const;
    // True also when no device is attached.
    bool OnlyScreenDevices() const;

    // Cached pages in page-number order.
    int CachedPageCount() const;
    TjxPage* CachedPageAt(int index) const;
    // By AbsolutePageNo; none when it is not cached.
    TjxPage* CachedPage(int absolutePageNo) const;

    void ResetDevices();
    // With a device given, the job starts and ends for that device only.
    void StartJob(TjxDevice* only = nullptr);
    void CancelJob();
    void EndJob(TjxDevice* only = nullptr);
    void ClearCache();
    void Reset();
    void ResetRequest();

    // Collects the devices' requests and serves or generates them. With a
    // device given, only that device's request is asked for.
    void RequestPages(TjxDevice* only = nullptr);
    // Merges one request into the run's request.
    void RequestPage(const TjxPageRequest& request);
    void ProcessRequests();
    void ReceivePage(TjxPage* page);

    // The first status text of the devices that has one.
    QString StatusText() const;
    void SetStatusText(const QString& text);

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void CachePage(const TjxPage& page);
    void PropagatePageCount(const TjxPage& page);
    bool ServeFromCache();

private:
    friend class TjxDevice;
    void AddDevice(TjxDevice* device);
    // Goes by the pointer alone: a device being destroyed may call it.
    void RemoveDevice(TjxDevice* device);
    bool IsAttached(const TjxDevice* device) const;
    // Calls fn for each attached, receiving device (awaiting pages when asked),
    // skipping devices that left during the broadcast.
    // To every receiving device (awaiting pages, with awaitingOnly), or to `only`.
    void Broadcast(bool awaitingOnly, const std::function<void(TjxDevice*)>& fn, TjxDevice* only = nullptr);
    // Serves one cached page, remembering it so that the engine's copy is not delivered twice.
    void SendCachedPage(TjxPage* page);

    mutable std::recursive_mutex m_lock;
    int m_absolutePageCount = 0;
    bool m_cachePages = false;
    std::vector<TjxDevice*> m_attachedDevices;
    bool m_firstRequest = true;
    // Stack name -> devices, top last.
    std::map<QString, std::vector<TjxDevice*>> m_deviceStacks;
    // Ordered by AbsolutePageNo, which is the order of the "%8d" keys.
    std::vector<std::unique_ptr<TjxPage>> m_cachedPages;
    // No cached page has a smaller AbsolutePageCount (a lower bound).
    int m_lowestCachedCount = 0;
    std::unique_ptr<TjxPageRequest> m_mergedRequest;
    // Pages delivered from the cache for the request being processed.
    std::set<int> m_servedFromCache;
    bool m_requestsGranted = false;
    bool m_servingCache = false;
    bool m_runComplete = false;
    bool m_requesting = false;
    bool m_generating = false;
};

} // namespace orvane
