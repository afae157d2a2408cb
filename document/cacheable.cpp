#include "document/cacheable.h"

#include "document/class_registry.h"
#include "engine/cache_manager.h"

#include <QIODevice>

namespace orvane {

const TClassInfo& TjxCacheable::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxCacheable>("TjxCacheable", &TjxRelative::StaticClass()).Build();
    return info;
}

TjxCacheable::TjxCacheable(TComponent* owner) : TjxRelative(owner) {}

TjxCacheable::~TjxCacheable()
{
    while (!m_cacheManagers.empty())
        m_cacheManagers.back()->Unregister(this);
}

int TjxCacheable::CachePageCount() const
{
    return m_cacheManager ? m_cacheManager->CachedPageCount() : int(m_pageRecords.size()) - 1;
}

int TjxCacheable::CacheCount() const
{
    return m_cacheManager ? m_cacheManager->CacheableCount() : 0;
}

QByteArray TjxCacheable::SaveState() const
{
    QByteArray record;
    QDataStream stream(&record, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_6_0);
    stream << kStateRecordVersion;
    WriteState(stream);
    return record;
}

bool TjxCacheable::RestoreState(const QByteArray& record)
{
    QDataStream stream(record);
    stream.setVersion(QDataStream::Qt_6_0);
    quint8 version = 0;
    stream >> version;
    if (stream.status() != QDataStream::Ok || version != kStateRecordVersion)
        return false;
    // Reading is spread over the class chain, so a damaged record is undone
    // by putting the state back as it was.
    const QByteArray before = SaveState();
    ReadState(stream);
    if (stream.status() == QDataStream::Ok && stream.atEnd())
        return true;
    QDataStream undo(before);
    undo.setVersion(QDataStream::Qt_6_0);
    undo >> version;
    ReadState(undo);
    return false;
}

void TjxCacheable::SaveState(int pageIndex)
{
    if (pageIndex < 0)
        return;
    if (m_cacheManager) {
        m_cacheManager->WriteRecord(this, pageIndex, SaveState());
        return;
    }
    // Pages are generated in order; a page saved again makes the later ones stale.
    m_pageRecords.resize(size_t(pageIndex) + 1);
    m_pageRecords[size_t(pageIndex)] = SaveState();
}

void TjxCacheable::RestoreState(int pageIndex)
{
    if (pageIndex < 0)
        return;
    if (m_cacheManager) {
        QByteArray record;
        if (m_cacheManager->ReadRecord(this, pageIndex, record))
            RestoreState(record);
        return;
    }
    if (size_t(pageIndex) >= m_pageRecords.size())
        return;
    RestoreState(m_pageRecords[size_t(pageIndex)]);
}

void TjxCacheable::DiscardFrom(int pageIndex)
{
    if (m_cacheManager)
        return;
    if (pageIndex < 0)
        pageIndex = 0;
    if (size_t(pageIndex) < m_pageRecords.size())
        m_pageRecords.resize(size_t(pageIndex));
}

} // namespace orvane
