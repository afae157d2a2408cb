#pragma once

// Writes the pages themselves to a report archive (.raf), so that the report's
// exact page images can be shown or printed again later.
//
// Layout (integers 32-bit little-endian, N pages):
//   0          offset of the page data, 4 + 8 * N
//   4          N index entries: offset of the page relative to the page data,
//              the page's AbsolutePageNo
//   4 + 8 * N  each page as a complete binary component stream ("TPF0", TjxPage
//              with its draw commands as children)
// The index grows in the archive while the page data collects in a temporary
// file; the two are joined when the job ends.

#include "output/stream_device.h"

#include <QByteArray>

#include <memory>

class QTemporaryFile;

namespace orvane {

class TjxArchiveDevice : public TjxFileDevice {
    ORVANE_CLASS(TjxArchiveDevice, TjxFileDevice)
public:
    explicit TjxArchiveDevice(TComponent* owner = nullptr);
    ~TjxArchiveDevice() override;

    static QString ClassDeviceName() { return QStringLiteral("ArchiveFile"); }
    static QString ClassDefaultExt() { return QStringLiteral("raf"); }
    static QString ClassFilter() { return QStringLiteral("Archive files|*.RAF|All files|*.*"); }
    static QString ClassDescription();
    QString DeviceName() const override { return ClassDeviceName(); }

    // Only the report's last page keeps the (complete) outline.
    bool KeepOutlineOnLastPageOnly() const { return m_keepOutlineOnLastPageOnly; }
    void SetKeepOutlineOnLastPageOnly(bool value) { m_keepOutlineOnLastPageOnly = value; }

    // The temporary page data file while a job runs; empty otherwise.
    QString TemporaryPageStreamName() const;

    void StartJob() override;

protected:
    void WritePage(TjxPage* page) override;
    void CompleteOutput() override;
    void DiscardOutput() override;

private:
    std::unique_ptr<QTemporaryFile> m_pageStream;
    QByteArray m_pageBytes;  // one page's stream; kept to reuse its room
    bool m_keepOutlineOnLastPageOnly = true;
};

} // namespace orvane
