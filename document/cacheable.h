#pragma once

// Objects that carry print state from one page to the next. Each keeps a
// small state record per generated page so that a page can be generated
// again from exactly the state it started with.

#include "document/relative.h"

#include <QByteArray>
#include <QDataStream>
#include <vector>

namespace orvane {

class TjxCacheManager;

class TjxCacheable : public TjxRelative {
    ORVANE_CLASS(TjxCacheable, TjxRelative)
public:
    explicit TjxCacheable(TComponent* owner = nullptr);
    ~TjxCacheable() override;

    // The first byte of every record; a record of another version is not taken.
    static constexpr quint8 kStateRecordVersion = 1;

    // Size of the fixed part of the object's record in bytes; set per class by its constructor.
    int CacheRecordSize() const { return m_cacheRecordSize; }
    // The highest page index saved, -1 when none.
    int CachePageCount() const;

    // The manager whose page blocks hold this object's records (the one that
    // located it last), or null when the object keeps its records itself.
    TjxCacheManager* CacheManager() const { return m_cacheManager; }
    // Where the object's record stands in each page block of that manager.
    int CachePosition() const { return m_cachePosition; }
    // How many cacheables that manager holds.
    int CacheCount() const;

    // The current print state as one record, and back. A record that is
    // empty, of another version or cut short leaves the state as it was.
    QByteArray SaveState() const;
    bool RestoreState(const QByteArray& record);
    // A record's data stream (from the version byte on) without its closing
    // check; empty when the check fails. And the check put on a data stream
    // rewritten in place, which makes it a record again.
    static QByteArray RecordData(const QByteArray& record);
    static void SealRecord(QByteArray& data);

    // Page index n holds the state after page n was generated (index 0: the
    // state at report start). On its own, saving index n forgets any later
    // pages; with a manager, later pages stay and index n is replaced.
    virtual void SaveState(int pageIndex);
    // An index that was never saved restores nothing.
    virtual void RestoreState(int pageIndex);
    // Forgets the pages from `pageIndex` on. With a manager this is only the
    // notice: the manager cuts its own streams.
    virtual void DiscardFrom(int pageIndex);

protected:
    void SetCacheRecordSize(int value) { m_cacheRecordSize = value; }
    // Each class with print state writes its values after its ancestor's and
    // reads them back in the same order.
    virtual void WriteState(QDataStream& stream) const {}
    virtual void ReadState(QDataStream& stream) {}

private:
    friend class TjxCacheManager;

    int m_cacheRecordSize = 0;
    std::vector<QByteArray> m_pageRecords;
    // A region's or group's rollback manager holds the same objects as the
    // report's, so an object may be registered with more than one.
    std::vector<TjxCacheManager*> m_cacheManagers;
    TjxCacheManager* m_cacheManager = nullptr;
    int m_cachePosition = 0;
};

} // namespace orvane
