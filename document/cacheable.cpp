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

namespace {

// A record ends in a check of its bytes (FNV-1a, little-endian). A record that
// passes is exactly what WriteState wrote, so it is read without first
// keeping the state to put back, which cost as much as the read itself.
constexpr qsizetype kCheckSize = 4;

quint32 RecordCheck(const char* data, qsizetype size)
{
    quint32 h = 2166136261u;
    for (qsizetype i = 0; i < size; ++i)
        h = (h ^ quint8(data[i])) * 16777619u;
    return h;
}

} // namespace

QByteArray TjxCacheable::RecordData(const QByteArray& record)
{
    const qsizetype size = record.size() - kCheckSize;
    if (size < 1)
        return {};
    quint32 check = 0;
    for (int i = 0; i < kCheckSize; ++i)
        check |= quint32(quint8(record[size + i])) << (8 * i);
    if (check != RecordCheck(record.constData(), size))
        return {};
    return QByteArray::fromRawData(record.constData(), size);
}

void TjxCacheable::SealRecord(QByteArray& data)
{
    const quint32 check = RecordCheck(data.constData(), data.size());
    for (int i = 0; i < kCheckSize; ++i)
        data.append(char(quint8(check >> (8 * i))));
}

QByteArray TjxCacheable::SaveState() const
{
    QByteArray record;
    {
        QDataStream stream(&record, QIODevice::WriteOnly);
        stream.setVersion(QDataStream::Qt_6_0);
        stream << kStateRecordVersion;
        WriteState(stream);
    }
    SealRecord(record);
    return record;
}

bool TjxCacheable::RestoreState(const QByteArray& record)
{
    // Cut short, lengthened, of another version or otherwise damaged: the
    // state stays as it was.
    const QByteArray data = RecordData(record);
    if (data.isEmpty() || quint8(data[0]) != kStateRecordVersion)
        return false;
    QDataStream stream(data);
    stream.setVersion(QDataStream::Qt_6_0);
    quint8 version = 0;
    stream >> version;
    ReadState(stream);
    return stream.status() == QDataStream::Ok && stream.atEnd();
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
