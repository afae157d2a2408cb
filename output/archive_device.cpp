#include "output/archive_device.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/message_table.h"
#include "document/messages.h"
#include "document/stream_writer.h"
#include "output/draw_other.h"
#include "output/page.h"
#include "platform/file_io.h"

#include <QTemporaryFile>
#include <QtEndian>
#include <limits>

namespace orvane {

namespace {

[[noreturn]] void ThrowWriteError() { throw EWriteError(GetMessage(msg::StreamWriteError)); }

} // namespace

const TClassInfo& TjxArchiveDevice::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxArchiveDevice>("TjxArchiveDevice", &TjxFileDevice::StaticClass()).Creatable().Build();
    return info;
}

TjxArchiveDevice::TjxArchiveDevice(TComponent* owner) : TjxFileDevice(owner) {}

// The temporary page data file goes with its QTemporaryFile.
TjxArchiveDevice::~TjxArchiveDevice() = default;

QString TjxArchiveDevice::ClassDescription() { return GetMessage(34); }

QString TjxArchiveDevice::TemporaryPageStreamName() const
{
    return m_pageStream ? m_pageStream->fileName() : QString();
}

void TjxArchiveDevice::StartJob()
{
    if (JobRunning())
        return;
    TjxFileDevice::StartJob();
    try {
        m_pageStream = OpenScratchFile(QStringLiteral("arc"));
    } catch (...) {
        FailJob();
        throw;
    }
    try {
        // Room for the offset of the page data, written when the job ends.
        const char placeholder[4] = {};
        WriteBuffer(placeholder, 4);
    } catch (...) {
        FailJob();
        throw;
    }
}

void TjxArchiveDevice::WritePage(TjxPage* page)
{
    try {
        if (!m_pageStream)
            ThrowWriteError();
        m_pageBytes.resize(0);
        TWriter writer(m_pageBytes);
        writer.SetRoot(page);
        writer.SetLookupRoot(page);
        // The page is shared with the other devices: only the archive's stream loses the outline.
        if (m_keepOutlineOnLastPageOnly && !page->LastPage())
            writer.SetLeftOut(page->OutlineDrawCommand());
        writer.WriteDescendent(page);
        const QByteArray& data = m_pageBytes;
        const qint64 offset = m_pageStream->pos();
        // The index holds 32-bit offsets; past that the archive could not be read back.
        if (offset > std::numeric_limits<qint32>::max())
            ThrowWriteError();
        char entry[8];
        qToLittleEndian<qint32>(qint32(offset), entry);
        qToLittleEndian<qint32>(page->AbsolutePageNo(), entry + 4);
        WriteBuffer(entry, 8);
        if (m_pageStream->write(data) != data.size())
            ThrowWriteError();
    } catch (...) {
        // A half-written page would leave the index and the data apart.
        FailJob();
        throw;
    }
}

void TjxArchiveDevice::CompleteOutput()
{
    QIODevice* archive = Output();
    if (!m_pageStream || !archive)
        ThrowWriteError();
    // An archive without pages is no document, as a PDF: the target keeps what it had.
    if (m_pageStream->size() == 0)
        throw EPrintError(GetMessage(msg::RenderNoPages));
    const qint64 dataStart = archive->pos();
    if (!AppendFileContent(*m_pageStream, *archive))
        ThrowWriteError();
    if (!archive->seek(0))
        ThrowWriteError();
    char header[4];
    qToLittleEndian<qint32>(qint32(dataStart), header);
    WriteBuffer(header, 4);
    m_pageStream.reset();
}

void TjxArchiveDevice::DiscardOutput()
{
    m_pageStream.reset();
    TjxFileDevice::DiscardOutput();
}

} // namespace orvane
