#pragma once

// Objects that carry print state from one page to the next. Each keeps a
// small state record per generated page so that a page can be generated
// again from exactly the state it started with.

#include "document/relative.h"

#include <QByteArray>
#include <QDataStream>
#include <vector>

namespace orvane {

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
    int CachePageCount() const { return int(m_pageRecords.size()) - 1; }

    // The current print state as one record, and back. A record that is
    // empty, of another version or cut short leaves the state as it was.
    QByteArray SaveState() const;
    bool RestoreState(const QByteArray& record);

    // Page index n holds the state after page n was generated (index 0: the
    // state at report start). Saving index n forgets any later pages.
    virtual void SaveState(int pageIndex);
    // An index that was never saved restores nothing.
    virtual void RestoreState(int pageIndex);
    // Forgets the pages from `pageIndex` on.
    virtual void DiscardFrom(int pageIndex);

protected:
    void SetCacheRecordSize(int value) { m_cacheRecordSize = value; }
    // Each class with print state writes its values after its ancestor's and
    // reads them back in the same order.
    virtual void WriteState(QDataStream& stream) const {}
    virtual void ReadState(QDataStream& stream) {}

private:
    int m_cacheRecordSize = 0;
    std::vector<QByteArray> m_pageRecords;
};

} // namespace orvane
