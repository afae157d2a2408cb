#pragma once

// Reads a report archive (.raf) written by TjxArchiveDevice: the header and
// the index are checked against the file's size when it is opened, pages are
// read one at a time.

#include <QFile>
#include <QString>
#include <memory>
#include <vector>

namespace orvane {

class TjxPage;

class TjxArchiveReader {
public:
    // Raises EOrvaneError when the file cannot be opened ("Unable to open
    // file") or is no archive (message 2050 with the file name).
    explicit TjxArchiveReader(const QString& fileName);
    ~TjxArchiveReader();
    TjxArchiveReader(const TjxArchiveReader&) = delete;
    TjxArchiveReader& operator=(const TjxArchiveReader&) = delete;

    const QString& FileName() const { return m_fileName; }
    int PageCount() const { return int(m_entries.size()); }
    // The AbsolutePageNo the index records for the entry.
    int AbsolutePageNo(int index) const;
    // Index of the entry for a page number; -1 when the archive has none.
    int IndexOfPage(int absolutePageNo) const;
    // A new page read from the entry; message 2051 when there is no such
    // entry, 2050 when its data is damaged.
    std::unique_ptr<TjxPage> ReadPage(int index);

private:
    struct Entry {
        qint64 offset;  // in the file
        qint64 length;
        int absolutePageNo;
    };
    [[noreturn]] void ThrowNotAnArchive() const;

    QString m_fileName;
    QFile m_file;
    std::vector<Entry> m_entries;
};

} // namespace orvane
