#include "output/archive_reader.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/message_table.h"
#include "document/messages.h"
#include "document/stream_reader.h"
#include "output/page.h"
#include "platform/file_io.h"

#include <QtEndian>

namespace orvane {

TjxArchiveReader::TjxArchiveReader(const QString& fileName) : m_fileName(fileName), m_file(ResolveFileName(fileName))
{
    if (!m_file.open(QIODevice::ReadOnly))
        throw EOrvaneError(FillPlaceholders(GetMessage(67), {{QStringLiteral("filename"), fileName}}));
    const qint64 size = m_file.size();
    const QByteArray head = m_file.read(4);
    if (head.size() != 4)
        ThrowNotAnArchive();
    const qint64 dataStart = qFromLittleEndian<qint32>(head.constData());
    if (dataStart < 4 || (dataStart - 4) % 8 != 0 || dataStart > size)
        ThrowNotAnArchive();
    const qint64 count = (dataStart - 4) / 8;
    if (count == 0 && size != 4)
        ThrowNotAnArchive();
    const QByteArray index = m_file.read(count * 8);
    if (index.size() != count * 8)
        ThrowNotAnArchive();
    m_entries.reserve(size_t(count));
    qint64 previous = -1;
    for (qint64 i = 0; i < count; ++i) {
        const qint64 offset = qFromLittleEndian<qint32>(index.constData() + i * 8);
        const int pageNo = qFromLittleEndian<qint32>(index.constData() + i * 8 + 4);
        // Pages follow each other in index order, each at least a signature long.
        if (offset <= previous || offset < 0 || dataStart + offset + 4 > size)
            ThrowNotAnArchive();
        if (i == 0 && offset != 0)
            ThrowNotAnArchive();
        m_entries.push_back({dataStart + offset, 0, pageNo});
        previous = offset;
    }
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const qint64 end = i + 1 < m_entries.size() ? m_entries[i + 1].offset : size;
        m_entries[i].length = end - m_entries[i].offset;
        if (m_entries[i].length < 4)
            ThrowNotAnArchive();
    }
}

TjxArchiveReader::~TjxArchiveReader() = default;

void TjxArchiveReader::ThrowNotAnArchive() const
{
    throw EOrvaneError(MessageText(msg::NotAnArchive, {m_fileName}));
}

int TjxArchiveReader::AbsolutePageNo(int index) const
{
    return index >= 0 && index < PageCount() ? m_entries[size_t(index)].absolutePageNo : 0;
}

int TjxArchiveReader::IndexOfPage(int absolutePageNo) const
{
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].absolutePageNo == absolutePageNo)
            return int(i);
    return -1;
}

std::unique_ptr<TjxPage> TjxArchiveReader::ReadPage(int index)
{
    if (index < 0 || index >= PageCount())
        throw EOrvaneError(MessageText(msg::ArchivePageMissing, {QString::number(index + 1)}));
    const Entry& entry = m_entries[size_t(index)];
    if (!m_file.seek(entry.offset))
        ThrowNotAnArchive();
    const QByteArray data = m_file.read(entry.length);
    // A page record: the signature, then the class name as a short string.
    static const QByteArray kPageRecord = QByteArrayLiteral("TPF0\x07TjxPage");
    if (data.size() != entry.length || !data.startsWith(kPageRecord))
        ThrowNotAnArchive();
    auto page = std::make_unique<TjxPage>();
    try {
        ReadComponentFromBytes(data, page.get());
    } catch (const EOrvaneError&) {
        ThrowNotAnArchive();
    }
    return page;
}

} // namespace orvane
