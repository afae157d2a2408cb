// Report archives: the exact file layout, reading pages back, and what a
// cancelled or failed job leaves behind (nothing).

#include "document/errors.h"
#include "document/stream_writer.h"
#include "output/archive_device.h"
#include "output/archive_reader.h"
#include "output/draw_other.h"
#include "output/draw_shape.h"
#include "output/draw_text.h"
#include "output/page.h"
#include "output/publisher.h"
#include "platform/file_io.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include "tests/output/publish_pages.h"

using namespace orvane;
using namespace orvane::test;

namespace {

std::unique_ptr<TjxPage> MakePage(int number, int count, bool outline)
{
    auto page = std::make_unique<TjxPage>();
    page->SetAbsolutePageNo(number);
    page->SetAbsolutePageCount(count);
    page->SetFirstPage(number == 1);
    page->SetLastPage(number == count);
    page->SetFinal(true);
    page->SetDocumentName(QStringLiteral("Receipts"));
    auto* text = new TjxDrawText;
    text->SetBounds(10000, 10000 * number, 60000, 6000);
    text->SetText(QStringLiteral("Receipt %1").arg(number));
    page->AddDrawCommand(text);
    auto* shape = new TjxDrawShape;
    shape->SetBounds(5000, 5000, 20000, 3000 * number);
    page->AddDrawCommand(shape);
    if (outline) {
        auto* command = new TjxOutlineDrawCommand;
        command->CreateRoot()->SetCaption(QStringLiteral("Receipts"));
        page->AddDrawCommand(command);
    }
    return page;
}

QByteArray Bytes(TjxPage* page) { return WriteComponentToBytes(page, page); }

int Int32At(const QByteArray& data, qsizetype pos) { return qFromLittleEndian<qint32>(data.constData() + pos); }

std::vector<std::unique_ptr<TjxPage>> ThreePages(bool outlines)
{
    std::vector<std::unique_ptr<TjxPage>> pages;
    for (int n = 1; n <= 3; ++n)
        pages.push_back(MakePage(n, 3, outlines || n == 3));
    return pages;
}


// Points the system's temporary folder somewhere the test can watch.
struct RedirectedTmpDir {
    QTemporaryDir dir;
    QByteArray saved = qgetenv("TMPDIR");
    explicit RedirectedTmpDir(const QString& path = {}) { qputenv("TMPDIR", (path.isEmpty() ? dir.path() : path).toLocal8Bit()); }
    ~RedirectedTmpDir()
    {
        if (saved.isEmpty())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", saved);
    }
    QStringList Entries() const { return QDir(dir.path()).entryList(QDir::Files); }
};

} // namespace

TEST(Archive, LayoutIndexAndPagesReadBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("receipts.raf"));
    const auto pages = ThreePages(false);
    TjxArchiveDevice device;
    device.SetFileName(path);
    PublishPages(device, pages);
    EXPECT_FALSE(device.JobRunning());

    const QByteArray raf = ReadWholeFile(path);
    ASSERT_GT(raf.size(), 28);
    EXPECT_EQ(raf.left(4), QByteArray("\x1C\0\0\0", 4));
    std::vector<int> offsets;
    for (int i = 0; i < 3; ++i) {
        offsets.push_back(Int32At(raf, 4 + 8 * i));
        EXPECT_EQ(Int32At(raf, 8 + 8 * i), i + 1);
    }
    EXPECT_EQ(offsets[0], 0);
    offsets.push_back(int(raf.size()) - 28);
    for (int i = 0; i < 3; ++i) {
        const QByteArray stream = raf.mid(28 + offsets[i], offsets[i + 1] - offsets[i]);
        EXPECT_TRUE(stream.startsWith("TPF0\x07TjxPage")) << i;
        EXPECT_EQ(stream, Bytes(pages[size_t(i)].get())) << i;
    }

    TjxArchiveReader reader(path);
    ASSERT_EQ(reader.PageCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(reader.AbsolutePageNo(i), i + 1);
        const std::unique_ptr<TjxPage> page = reader.ReadPage(i);
        EXPECT_EQ(Bytes(page.get()), Bytes(pages[size_t(i)].get())) << i;
    }
    EXPECT_EQ(ErrorOf([&] { reader.ReadPage(3); }), u"The archive has no page 4.");
}

TEST(Archive, OutlineStaysOnTheLastPageOnlyAndTheSharedPagesKeepTheirs)
{
    QTemporaryDir dir;
    for (bool keepOnLast : {true, false}) {
        const QString path = dir.filePath(QStringLiteral("outline.raf"));
        const auto pages = ThreePages(true);
        TjxArchiveDevice device;
        device.SetFileName(path);
        device.SetKeepOutlineOnLastPageOnly(keepOnLast);
        PublishPages(device, pages);
        TjxArchiveReader reader(path);
        ASSERT_EQ(reader.PageCount(), 3);
        for (int i = 0; i < 3; ++i) {
            const bool expected = !keepOnLast || i == 2;
            EXPECT_EQ(reader.ReadPage(i)->OutlineDrawCommand() != nullptr, expected) << keepOnLast << i;
            EXPECT_TRUE(pages[size_t(i)]->OutlineDrawCommand()) << i;
            EXPECT_EQ(reader.ReadPage(i)->DrawCommandCount(), expected ? 3 : 2);
        }
    }
}

TEST(Archive, CancelFailureAndDestructionLeaveNothingBehind)
{
    RedirectedTmpDir temp;
    QTemporaryDir target;
    const QString path = target.filePath(QStringLiteral("kept.raf"));
    WriteWholeFile(path, "old");
    const auto pages = ThreePages(false);

    for (bool destroy : {false, true}) {
        auto device = std::make_unique<TjxArchiveDevice>();
        device->SetFileName(path);
        device->StartJob();
        device->ReceivePage(pages[0].get());
        const QString pageStream = device->TemporaryPageStreamName();
        EXPECT_TRUE(QFileInfo(pageStream).fileName().startsWith(u"arc"));
        EXPECT_EQ(temp.Entries().size(), 1);
        if (destroy)
            device.reset();
        else
            device->Cancel();
        EXPECT_TRUE(temp.Entries().isEmpty()) << destroy;
        EXPECT_EQ(ReadWholeFile(path), QByteArray("old"));
        EXPECT_EQ(QDir(target.path()).entryList(QDir::Files), QStringList{"kept.raf"});
        if (device) {
            // Pages after a cancel are not written anywhere.
            device->ReceivePage(pages[1].get());
            device->EndJob();
            EXPECT_EQ(ReadWholeFile(path), QByteArray("old"));
        }
    }

    // A folder that does not exist: message 67 with the name and the reason, no job, no files.
    TjxArchiveDevice device;
    const QString missing = target.filePath(QStringLiteral("no-such-folder/x.raf"));
    device.SetFileName(missing);
    EXPECT_EQ(ErrorOf([&] { device.StartJob(); }), "Unable to open file: " + missing + ". No such file or directory");
    EXPECT_FALSE(device.JobRunning());
    EXPECT_TRUE(temp.Entries().isEmpty());

    // No place for the page data (a missing folder, a file): the archive's temporary file goes too.
    device.SetFileName(path);
    for (const QString& folder : {target.filePath(QStringLiteral("no-temp")), path}) {
        RedirectedTmpDir nowhere(folder);
        EXPECT_TRUE(ErrorOf([&] { device.StartJob(); }).startsWith(u"Unable to open file: ")) << folder.toStdString();
        EXPECT_FALSE(device.JobRunning());
        EXPECT_EQ(QDir(target.path()).entryList(QDir::Files), QStringList{"kept.raf"});
        EXPECT_EQ(ReadWholeFile(path), QByteArray("old"));
        EXPECT_TRUE(QDir::current().entryList({QStringLiteral("arc*")}, QDir::Files).isEmpty());
    }
}

TEST(Archive, ReaderRejectsDamagedFiles)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.raf"));
    TjxArchiveDevice device;
    device.SetFileName(good);
    PublishPages(device, ThreePages(false));
    const QByteArray raf = ReadWholeFile(good);

    const QString missing = dir.filePath(QStringLiteral("missing.raf"));
    EXPECT_EQ(ErrorOf([&] { TjxArchiveReader r(missing); }), "Unable to open file: " + missing + ".");

    const QString bad = dir.filePath(QStringLiteral("bad.raf"));
    const QString notArchive = "\"" + bad + "\" is not a report archive file.";
    QByteArray beyond = raf;
    qToLittleEndian<qint32>(raf.size(), beyond.data() + 12);  // second page past the end
    QByteArray hugeHeader = raf;
    qToLittleEndian<qint32>(0x7FFFFFFC, hugeHeader.data());
    for (const QByteArray& data : {QByteArray(), raf.left(3), raf.left(20), raf.left(30), beyond, hugeHeader,
                                   QByteArray("\x04\0\0\0junk", 8)}) {
        WriteWholeFile(bad, data);
        EXPECT_EQ(ErrorOf([&] { TjxArchiveReader r(bad); }), notArchive) << data.size();
    }

    // A damaged page spoils only itself.
    QByteArray damaged = raf;
    damaged[28 + Int32At(raf, 12)] = 'X';
    WriteWholeFile(bad, damaged);
    TjxArchiveReader reader(bad);
    EXPECT_EQ(reader.ReadPage(0)->AbsolutePageNo(), 1);
    EXPECT_EQ(ErrorOf([&] { reader.ReadPage(1); }), notArchive);
}
