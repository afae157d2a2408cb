#include "engine/cache_manager.h"

#include "document/cacheable.h"
#include "document/class_registry.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

// ---- stores -------------------------------------------------------------

// A byte stream addressed by offset. Writing past the end fills the gap with
// zeros first, so that a page index skipped reads as "never saved".
class TjxCacheStore {
public:
    virtual ~TjxCacheStore() = default;
    virtual qint64 Size() const = 0;
    virtual bool WriteAt(qint64 offset, const QByteArray& bytes) = 0;
    // The number of bytes read; fewer than asked when the stream ends first.
    virtual qint64 ReadAt(qint64 offset, char* buffer, qint64 length) = 0;
    virtual bool Truncate(qint64 size) = 0;
    // The open file's descriptor, -1 in memory.
    virtual int Handle() const { return -1; }
};

namespace {

constexpr int kEntrySize = 16;  // offset and length, both 64-bit little-endian
constexpr int kPrefixSize = 4;  // record count and record lengths, 32-bit little-endian

class TMemoryStore : public TjxCacheStore {
public:
    qint64 Size() const override { return m_bytes.size(); }

    bool WriteAt(qint64 offset, const QByteArray& bytes) override
    {
        try {
            const qint64 end = offset + bytes.size();
            if (end > m_bytes.size())
                m_bytes.resize(end, '\0');
            std::copy(bytes.cbegin(), bytes.cend(), m_bytes.begin() + offset);
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    }

    qint64 ReadAt(qint64 offset, char* buffer, qint64 length) override
    {
        if (offset < 0 || offset >= m_bytes.size())
            return 0;
        const qint64 n = std::min(length, m_bytes.size() - offset);
        std::copy_n(m_bytes.constData() + offset, n, buffer);
        return n;
    }

    bool Truncate(qint64 size) override
    {
        if (size < m_bytes.size()) {
            m_bytes.truncate(size);
            if (size == 0)
                m_bytes = QByteArray();  // give the memory back
        }
        return true;
    }

    const QByteArray& Bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

// A temporary file without a name in the cache directory: it goes with its
// descriptor, so a run that is killed leaves nothing behind.
class TFileStore : public TjxCacheStore {
public:
    explicit TFileStore(const QString& directory) : m_directory(QFile::encodeName(directory)) {}
    ~TFileStore() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    TFileStore(const TFileStore&) = delete;
    TFileStore& operator=(const TFileStore&) = delete;

    bool Open()
    {
#ifdef O_TMPFILE
        m_fd = ::open(m_directory.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (m_fd >= 0)
            return true;
#endif
        // File systems without unnamed files: a "cch" file whose name goes at once.
        QByteArray pattern = m_directory + "/cchXXXXXX";
        m_fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (m_fd < 0)
            return false;
        if (::unlink(pattern.constData()) != 0) {
            ::close(m_fd);
            m_fd = -1;
            return false;
        }
        return true;
    }

    int Handle() const override { return m_fd; }

    qint64 Size() const override
    {
        struct stat st {};
        return ::fstat(m_fd, &st) == 0 ? qint64(st.st_size) : 0;
    }

    // Writes go straight to the file, so that a failed one shows at once.
    bool WriteAt(qint64 offset, const QByteArray& bytes) override
    {
        // Writing past the end leaves a gap the file system reads back as zeros.
        const char* p = bytes.constData();
        qint64 left = bytes.size();
        while (left > 0) {
            const ssize_t n = ::pwrite(m_fd, p, size_t(left), off_t(offset));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            p += n;
            left -= n;
            offset += n;
        }
        return true;
    }

    qint64 ReadAt(qint64 offset, char* buffer, qint64 length) override
    {
        qint64 done = 0;
        while (done < length) {
            const ssize_t n = ::pread(m_fd, buffer + done, size_t(length - done), off_t(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += n;
        }
        return done;
    }

    bool Truncate(qint64 size) override
    {
        if (size >= Size())
            return true;
        int rc;
        do
            rc = ::ftruncate(m_fd, off_t(size));
        while (rc != 0 && errno == EINTR);
        return rc == 0;
    }

private:
    QByteArray m_directory;
    int m_fd = -1;
};

void PutU32(char* at, quint32 value) { qToLittleEndian(value, at); }
void PutI64(char* at, qint64 value) { qToLittleEndian(value, at); }

// A page block: the number of records, then each record with its length.
// An empty record stands for a cacheable that had nothing to save.
QByteArray EncodeBlock(const std::vector<QByteArray>& records)
{
    qint64 size = kPrefixSize;
    for (const QByteArray& r : records)
        size += kPrefixSize + r.size();
    QByteArray block(size, Qt::Uninitialized);
    char* p = block.data();
    PutU32(p, quint32(records.size()));
    p += kPrefixSize;
    for (const QByteArray& r : records) {
        PutU32(p, quint32(r.size()));
        p += kPrefixSize;
        std::copy(r.cbegin(), r.cend(), p);
        p += r.size();
    }
    return block;
}

// False when the lengths do not add up to the block exactly.
bool DecodeBlock(const QByteArray& block, std::vector<QByteArray>& records)
{
    const char* p = block.constData();
    qint64 left = block.size();
    if (left < kPrefixSize)
        return false;
    const quint32 count = qFromLittleEndian<quint32>(p);
    p += kPrefixSize;
    left -= kPrefixSize;
    // Each record takes at least its length prefix; this also bounds the allocation.
    if (qint64(count) * kPrefixSize > left)
        return false;
    std::vector<QByteArray> result(count);
    for (quint32 i = 0; i < count; ++i) {
        if (left < kPrefixSize)
            return false;
        const quint32 length = qFromLittleEndian<quint32>(p);
        p += kPrefixSize;
        left -= kPrefixSize;
        if (qint64(length) > left)
            return false;
        result[i] = QByteArray(p, qsizetype(length));
        p += length;
        left -= length;
    }
    if (left != 0)
        return false;
    records = std::move(result);
    return true;
}

} // namespace

// ---- the manager --------------------------------------------------------

// Marks the block being built or read, and lets it go however the call ends.
class TjxCacheManager::BatchScope {
public:
    BatchScope(TjxCacheManager& manager, Batch batch, int pageIndex)
        : m_manager(manager), m_batch(manager.m_batch), m_page(manager.m_batchPage),
          m_records(std::move(manager.m_batchRecords))
    {
        manager.m_batch = batch;
        manager.m_batchPage = pageIndex;
        manager.m_batchRecords.clear();
    }
    ~BatchScope()
    {
        m_manager.m_batch = m_batch;
        m_manager.m_batchPage = m_page;
        m_manager.m_batchRecords = std::move(m_records);
    }

private:
    TjxCacheManager& m_manager;
    Batch m_batch;
    int m_page;
    std::vector<QByteArray> m_records;
};

const TClassInfo& TjxCacheManager::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxCacheManager>("TjxCacheManager", &TjxCommunicator::StaticClass()).Build();
    return info;
}

TjxCacheManager::TjxCacheManager(TComponent* owner) : TjxCommunicator(owner), m_cacheDirectory(QDir::tempPath()) {}

TjxCacheManager::~TjxCacheManager()
{
    Clear();
}

// ---- registration -------------------------------------------------------

int TjxCacheManager::SlotOf(const TjxCacheable* cacheable) const
{
    const auto it = std::find(m_slots.begin(), m_slots.end(), cacheable);
    return (cacheable && it != m_slots.end()) ? int(it - m_slots.begin()) : -1;
}

bool TjxCacheManager::IsRegistered(const TjxCacheable* cacheable) const
{
    return SlotOf(cacheable) >= 0;
}

void TjxCacheManager::Locate(TjxCacheable* cacheable, int slot)
{
    cacheable->m_cacheManager = this;
    cacheable->m_cachePosition = slot;
}

// Places changed: those that look to this manager learn theirs again.
void TjxCacheManager::Relocate()
{
    for (size_t i = 0; i < m_slots.size(); ++i)
        if (m_slots[i] && m_slots[i]->m_cacheManager == this)
            Locate(m_slots[i], int(i));
}

void TjxCacheManager::Attach(const std::vector<TjxCacheable*>& cacheables)
{
    Clear();
    for (TjxCacheable* c : cacheables)
        Register(c);
    Allocate();
}

void TjxCacheManager::Allocate()
{
    if (!m_data)
        m_data = NewStore();
    if (!m_index)
        m_index = NewStore();
}

void TjxCacheManager::Register(TjxCacheable* cacheable)
{
    if (!cacheable || IsRegistered(cacheable))
        return;
    m_slots.push_back(cacheable);
    ++m_registeredCount;
    cacheable->m_cacheManagers.push_back(this);
    // Its own records would never be read again while a manager holds it.
    cacheable->m_pageRecords.clear();
    Locate(cacheable, int(m_slots.size()) - 1);
}

void TjxCacheManager::Unregister(TjxCacheable* cacheable)
{
    const int slot = SlotOf(cacheable);
    if (slot < 0)
        return;
    const bool blocksSaved = m_cachedPageCount >= 0 || (m_data && m_data->Size() > 0);
    --m_registeredCount;
    Forget(cacheable);
    if (blocksSaved || m_batch != Batch::None) {
        m_slots[size_t(slot)] = nullptr;
    } else {
        m_slots.erase(m_slots.begin() + slot);
        Relocate();
    }
}

// Drops this manager from the cacheable's links; another manager that holds
// it becomes its own again.
void TjxCacheManager::Forget(TjxCacheable* cacheable)
{
    auto& links = cacheable->m_cacheManagers;
    links.erase(std::remove(links.begin(), links.end(), this), links.end());
    if (cacheable->m_cacheManager != this)
        return;
    cacheable->m_cacheManager = nullptr;
    cacheable->m_cachePosition = 0;
    if (!links.empty()) {
        TjxCacheManager* other = links.back();
        other->Locate(cacheable, other->SlotOf(cacheable));
    }
}

// ---- pages --------------------------------------------------------------

void TjxCacheManager::SavePage(int pageIndex)
{
    if (pageIndex < 0)
        return;
    BatchScope scope(*this, Batch::Saving, pageIndex);
    m_batchRecords.assign(m_slots.size(), QByteArray());
    for (size_t i = 0; i < m_slots.size(); ++i) {
        TjxCacheable* c = m_slots[i];
        if (!c)
            continue;
        Locate(c, int(i));
        c->SaveState(pageIndex);
    }
    WriteBlock(pageIndex, EncodeBlock(m_batchRecords));
}

void TjxCacheManager::RestorePage(int pageIndex)
{
    std::vector<QByteArray> records;
    // The whole block is read and checked before anyone takes a value, so a
    // damaged block leaves every cacheable as it was.
    if (!ReadBlock(pageIndex, records))
        return;
    BatchScope scope(*this, Batch::Restoring, pageIndex);
    m_batchRecords = std::move(records);
    for (size_t i = 0; i < m_slots.size(); ++i) {
        TjxCacheable* c = m_slots[i];
        if (!c)
            continue;
        Locate(c, int(i));
        c->RestoreState(pageIndex);
    }
}

void TjxCacheManager::WriteRecord(TjxCacheable* cacheable, int pageIndex, const QByteArray& record)
{
    if (pageIndex < 0)
        return;
    if (m_batch == Batch::Saving && pageIndex == m_batchPage) {
        const int slot = cacheable->m_cacheManager == this ? cacheable->m_cachePosition : SlotOf(cacheable);
        if (slot >= 0 && size_t(slot) < m_batchRecords.size() && m_slots[size_t(slot)] == cacheable)
            m_batchRecords[size_t(slot)] = record;
        return;
    }
    // One record on its own: the page's block is rewritten with it.
    const int slot = SlotOf(cacheable);
    if (slot < 0)
        return;
    std::vector<QByteArray> records;
    ReadBlock(pageIndex, records);
    if (records.size() < m_slots.size())
        records.resize(m_slots.size());
    records[size_t(slot)] = record;
    WriteBlock(pageIndex, EncodeBlock(records));
}

bool TjxCacheManager::ReadRecord(TjxCacheable* cacheable, int pageIndex, QByteArray& record)
{
    if (pageIndex < 0)
        return false;
    if (m_batch == Batch::Restoring && pageIndex == m_batchPage) {
        const int slot = cacheable->m_cacheManager == this ? cacheable->m_cachePosition : SlotOf(cacheable);
        if (slot < 0 || size_t(slot) >= m_batchRecords.size() || m_slots[size_t(slot)] != cacheable)
            return false;
        record = m_batchRecords[size_t(slot)];
        return !record.isEmpty();
    }
    const int slot = SlotOf(cacheable);
    std::vector<QByteArray> records;
    if (slot < 0 || !ReadBlock(pageIndex, records) || size_t(slot) >= records.size())
        return false;
    record = records[size_t(slot)];
    return !record.isEmpty();
}

void TjxCacheManager::DiscardFrom(int pageIndex)
{
    if (m_cachedPageCount < 0)
        return;
    if (pageIndex < 0)
        pageIndex = 0;
    // The cacheables still see the old page count: the engine frees what its
    // records from here to there hold.
    if (m_discardNotification)
        for (size_t i = 0; i < m_slots.size(); ++i)
            if (TjxCacheable* c = m_slots[i]) {
                Locate(c, int(i));
                c->DiscardFrom(pageIndex);
            }
    if (pageIndex > m_cachedPageCount)
        return;
    // A block saved again may have moved behind later ones, so the data is
    // kept up to the furthest end among the pages that stay.
    qint64 keep = 0;
    if (pageIndex > 0 && m_index) {
        QByteArray entries(qint64(pageIndex) * kEntrySize, '\0');
        const qint64 got = m_index->ReadAt(0, entries.data(), entries.size());
        for (qint64 at = 0; at + kEntrySize <= got; at += kEntrySize) {
            const qint64 offset = qFromLittleEndian<qint64>(entries.constData() + at);
            const qint64 length = qFromLittleEndian<qint64>(entries.constData() + at + 8);
            if (length > 0)
                keep = std::max(keep, offset + length);
        }
    }
    // Stale entries must not outlive the cut: a later save past them would
    // otherwise find them standing instead of a zero-filled gap.
    if (m_index)
        Cut(*m_index, qint64(pageIndex) * kEntrySize);
    if (m_data)
        Cut(*m_data, keep);
    m_cachedPageCount = pageIndex - 1;
}

void TjxCacheManager::Clear()
{
    for (size_t i = 0; i < m_slots.size(); ++i)
        if (TjxCacheable* c = m_slots[i]) {
            Locate(c, int(i));
            c->DiscardFrom(0);
        }
    m_cachedPageCount = -1;
    const std::vector<TjxCacheable*> held = std::move(m_slots);
    m_slots.clear();
    m_registeredCount = 0;
    for (TjxCacheable* c : held)
        if (c)
            Forget(c);
    // Destroying a file store deletes its file. The storage kind stays: the
    // move to files happens once.
    m_data.reset();
    m_index.reset();
}

std::vector<int> TjxCacheManager::FileHandles() const
{
    std::vector<int> handles;
    if (m_storageKind != skFiles)
        return handles;
    for (const TjxCacheStore* store : {m_data.get(), m_index.get()})
        if (store && store->Handle() >= 0)
            handles.push_back(store->Handle());
    return handles;
}

// ---- blocks and entries -------------------------------------------------

bool TjxCacheManager::ReadEntry(int pageIndex, Entry& entry)
{
    if (!m_index)
        return false;
    char bytes[kEntrySize];
    if (m_index->ReadAt(qint64(pageIndex) * kEntrySize, bytes, kEntrySize) != kEntrySize)
        return false;
    entry.offset = qFromLittleEndian<qint64>(bytes);
    entry.length = qFromLittleEndian<qint64>(bytes + 8);
    return true;
}

bool TjxCacheManager::ReadBlock(int pageIndex, std::vector<QByteArray>& records)
{
    if (pageIndex < 0 || pageIndex > m_cachedPageCount)
        return false;
    // Every index up to the cached page count has an entry, if only a zero one.
    Entry entry;
    if (!ReadEntry(pageIndex, entry))
        Unreadable(pageIndex);
    if (entry.length == 0)
        return false;  // skipped when saving: never saved
    if (entry.offset < 0 || entry.length < kPrefixSize || !m_data || entry.offset + entry.length > m_data->Size())
        Unreadable(pageIndex);
    QByteArray block(entry.length, Qt::Uninitialized);
    if (m_data->ReadAt(entry.offset, block.data(), entry.length) != entry.length)
        Unreadable(pageIndex);
    if (!DecodeBlock(block, records))
        Unreadable(pageIndex);
    return true;
}

void TjxCacheManager::WriteBlock(int pageIndex, const QByteArray& block)
{
    Allocate();
    const qint64 dataEnd = m_data->Size();
    qint64 offset = dataEnd;
    Entry old;
    const bool hasOld = pageIndex <= m_cachedPageCount && ReadEntry(pageIndex, old) && old.length > 0 &&
                        old.offset >= 0 && old.offset + old.length <= dataEnd;
    const bool oldIsLast = hasOld && old.offset + old.length == dataEnd;
    // A block saved again takes its old place when it fits or nothing follows
    // it; otherwise it goes to the end, never over the next page's block.
    if (hasOld && (block.size() <= old.length || oldIsLast))
        offset = old.offset;
    WriteTo(*m_data, offset, block);
    if (oldIsLast && offset == old.offset && block.size() < old.length)
        Cut(*m_data, offset + block.size());

    QByteArray entry(kEntrySize, Qt::Uninitialized);
    PutI64(entry.data(), offset);
    PutI64(entry.data() + 8, block.size());
    WriteTo(*m_index, qint64(pageIndex) * kEntrySize, entry);
    m_cachedPageCount = std::max(m_cachedPageCount, pageIndex);
}

void TjxCacheManager::WriteTo(TjxCacheStore& store, qint64 offset, const QByteArray& bytes)
{
    if (m_storageKind == skMemory) {
        const qint64 growth = std::max<qint64>(0, offset + bytes.size() - store.Size());
        const qint64 held = (m_data ? m_data->Size() : 0) + (m_index ? m_index->Size() : 0);
        if (held + growth <= m_memoryLimit && store.WriteAt(offset, bytes))
            return;
        const bool isData = &store == m_data.get();
        SwitchToFiles();
        // The retry goes to the file that took the memory stream's place.
        if (!(isData ? m_data : m_index)->WriteAt(offset, bytes))
            Fatal();
        return;
    }
    if (!store.WriteAt(offset, bytes))
        Fatal();
}

void TjxCacheManager::Cut(TjxCacheStore& store, qint64 size)
{
    if (!store.Truncate(size))
        Fatal();
}

std::unique_ptr<TjxCacheStore> TjxCacheManager::NewStore()
{
    if (m_storageKind == skMemory)
        return std::make_unique<TMemoryStore>();
    auto file = std::make_unique<TFileStore>(m_cacheDirectory);
    if (!file->Open())
        Fatal();
    return file;
}

void TjxCacheManager::SwitchToFiles()
{
    if (m_storageKind == skFiles)
        Fatal();
    // Once per run, even when the copy below fails.
    m_storageKind = skFiles;
    SendEventNotify(ciCacheWriteFailed);
    // The memory streams stay in place until both copies are complete, so a
    // failure here loses no page saved so far.
    auto data = NewStore();
    auto index = NewStore();
    const auto copy = [this](const std::unique_ptr<TjxCacheStore>& from, TjxCacheStore& to) {
        if (!from)
            return;
        const QByteArray& bytes = static_cast<const TMemoryStore&>(*from).Bytes();
        if (!bytes.isEmpty() && !to.WriteAt(0, bytes))
            Fatal();
    };
    copy(m_data, *data);
    copy(m_index, *index);
    m_data = std::move(data);
    m_index = std::move(index);
}

void TjxCacheManager::Fatal()
{
    SendEventNotify(ciCacheRetryFailed);
    if (OnFatal)
        OnFatal();
    throw EPrintError(MessageText(284));
}

void TjxCacheManager::Unreadable(int pageIndex) const
{
    throw EPrintError(MessageText(msg::CacheRecordUnreadable, {QString::number(pageIndex)}));
}

} // namespace orvane
