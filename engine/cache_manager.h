#pragma once

// Saves and restores the print state of a set of cacheables page by page, so
// that any page generated before can be generated again exactly.
//
// Records have variable length, so each saved page is one block in a data
// stream (every cacheable's record, length-prefixed, in registration order),
// and an index stream holds one fixed-size entry (offset, length) per page
// index. Both live in memory until the memory limit is reached or a write
// fails, then in temporary files in the cache directory. Those files have no
// name: they disappear with the manager, and with the process however it ends.

#include "document/communicator.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace orvane {

class TjxCacheable;
class TjxCacheStore;

enum TjxCacheStorageKind : uint8_t { skMemory, skFiles };

class TjxCacheManager : public TjxCommunicator {
    ORVANE_CLASS(TjxCacheManager, TjxCommunicator)
public:
    static constexpr qint64 kDefaultMemoryLimit = qint64(64) * 1024 * 1024;

    explicit TjxCacheManager(TComponent* owner = nullptr);
    ~TjxCacheManager() override;

    // Clears, then registers the list in its order and gives each its place.
    void Attach(const std::vector<TjxCacheable*>& cacheables);
    // Adds a cacheable once, at the end of every page block saved from now on.
    void Register(TjxCacheable* cacheable);
    // The others keep their places, so blocks saved before still restore them.
    void Unregister(TjxCacheable* cacheable);
    bool IsRegistered(const TjxCacheable* cacheable) const;
    int CacheableCount() const { return m_registeredCount; }

    // Saves every cacheable's state as page index n, replacing a block saved
    // before under that index; later indexes stay.
    void SavePage(int pageIndex);
    // Restores every cacheable from page index n; an index never saved
    // restores nothing. A damaged block raises EPrintError and changes nothing.
    void RestorePage(int pageIndex);
    // Keeps page indexes 0 to n - 1.
    void DiscardFrom(int pageIndex);
    // Forgets every page and every cacheable; temporary files are deleted.
    void Clear();

    // The highest page index saved, -1 when none.
    int CachedPageCount() const { return m_cachedPageCount; }
    bool DiscardNotification() const { return m_discardNotification; }
    void SetDiscardNotification(bool value) { m_discardNotification = value; }

    TjxCacheStorageKind StorageKind() const { return m_storageKind; }
    // Bytes the memory store may hold (data and index together) before the
    // manager moves to temporary files.
    qint64 MemoryLimit() const { return m_memoryLimit; }
    void SetMemoryLimit(qint64 bytes) { m_memoryLimit = bytes < 0 ? 0 : bytes; }
    // The temporary directory as it was when the manager was made.
    const QString& CacheDirectory() const { return m_cacheDirectory; }
    // The descriptors of the temporary files in use, data first, then index;
    // empty in memory. The files have no name in the cache directory.
    std::vector<int> FileHandles() const;

    // Called before a fatal cache error is raised, so that the engine can stop.
    std::function<void()> OnFatal;

    // The cacheable's side: its record for one page index. Inside SavePage and
    // RestorePage these go to the block being built or read.
    void WriteRecord(TjxCacheable* cacheable, int pageIndex, const QByteArray& record);
    bool ReadRecord(TjxCacheable* cacheable, int pageIndex, QByteArray& record);

private:
    struct Entry {
        qint64 offset = 0;
        qint64 length = 0;
    };
    enum class Batch { None, Saving, Restoring };
    class BatchScope;

    int SlotOf(const TjxCacheable* cacheable) const;
    void Locate(TjxCacheable* cacheable, int slot);
    void Relocate();
    void Forget(TjxCacheable* cacheable);
    void Allocate();

    bool ReadEntry(int pageIndex, Entry& entry);
    bool ReadBlock(int pageIndex, std::vector<QByteArray>& records);
    void WriteBlock(int pageIndex, const QByteArray& block);
    void WriteTo(TjxCacheStore& store, qint64 offset, const QByteArray& bytes);
    void Cut(TjxCacheStore& store, qint64 size);
    std::unique_ptr<TjxCacheStore> NewStore();
    void SwitchToFiles();
    [[noreturn]] void Fatal();
    [[noreturn]] void Unreadable(int pageIndex) const;

    // Registration order; a cacheable unregistered after pages were saved
    // leaves a hole, so that the records of the others keep their places.
    std::vector<TjxCacheable*> m_slots;
    int m_registeredCount = 0;
    std::unique_ptr<TjxCacheStore> m_data;
    std::unique_ptr<TjxCacheStore> m_index;
    TjxCacheStorageKind m_storageKind = skMemory;
    QString m_cacheDirectory;
    qint64 m_memoryLimit = kDefaultMemoryLimit;
    int m_cachedPageCount = -1;
    bool m_discardNotification = true;

    Batch m_batch = Batch::None;
    int m_batchPage = -1;
    std::vector<QByteArray> m_batchRecords;
};

} // namespace orvane
