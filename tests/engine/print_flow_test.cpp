// A report printed through its producer to file devices: the archive and PDF.

#include "report_fixture.h"

#include "document/errors.h"
#include "output/archive_reader.h"
#include "output/publisher.h"
#include "platform/file_io.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>

using namespace orvane;
using namespace orvane::test;

namespace {

struct ArchiveReport : ReportFixture {
    QTemporaryDir dir;
    QString file;

    ArchiveReport()
    {
        AddData(9);
        TjxBand* detail = AddBand(btDetail, 90000);
        AddField(detail, "id");
        file = dir.filePath(QStringLiteral("report.raf"));
        report->SetDeviceType(QStringLiteral("ArchiveFile"));
        report->SetArchiveFileName(file);
        report->SetShowPrintDialog(false);
        report->SetShowCancelDialog(false);
    }

    // The archive's temporary page streams in the temporary folder.
    static QStringList TemporaryStreams()
    {
        return QDir(QDir::tempPath()).entryList({QStringLiteral("arc*")}, QDir::Files);
    }
};

quint32 At(const QByteArray& bytes, int offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

} // namespace

TEST(PrintFlow, ArchiveHoldsEveryGeneratedPage)
{
    ArchiveReport run;
    run.report->Print();
    EXPECT_FALSE(run.report->Producing());
    const QByteArray bytes = ReadWholeFile(run.file);
    ASSERT_GE(bytes.size(), 28);
    EXPECT_EQ(bytes.left(4), QByteArray::fromHex("1C000000"));
    for (int page = 0; page < 3; ++page) {
        const quint32 offset = At(bytes, 4 + 8 * page);
        EXPECT_EQ(At(bytes, 8 + 8 * page), quint32(page + 1));
        EXPECT_EQ(bytes.mid(28 + int(offset), 4), QByteArray("TPF0"));
        EXPECT_EQ(bytes.mid(28 + int(offset) + 5, 7), QByteArray("TjxPage"));
    }
    EXPECT_EQ(At(bytes, 4), 0u);

    // The same report generated again gives the same pages the archive holds.
    ReportFixture again;
    again.AddData(9);
    again.AddField(again.AddBand(btDetail, 90000), "id");
    again.Run();
    TjxArchiveReader reader(run.file);
    ASSERT_EQ(reader.PageCount(), 3);
    ASSERT_EQ(again.FinalPages().size(), 3u);
    for (int i = 0; i < 3; ++i) {
        std::unique_ptr<TjxPage> page = reader.ReadPage(i);
        EXPECT_EQ(ReportFixture::Texts(*page), ReportFixture::Texts(*again.FinalPages()[size_t(i)]));
        EXPECT_EQ(page->AbsolutePageNo(), i + 1);
        EXPECT_EQ(page->LastPage(), i == 2);
    }
    EXPECT_TRUE(ArchiveReport::TemporaryStreams().isEmpty());
}

TEST(PrintFlow, CancelledArchiveRunLeavesNothing)
{
    ArchiveReport run;
    const QStringList before = ArchiveReport::TemporaryStreams();
    TMethod cancelOnSecondPage;
    cancelOnSecondPage.code = [&](TComponent*, TjxEventParams&) {
        if (run.report->Engine()->AbsolutePageNo() == 2)
            run.report->Cancel();
    };
    run.report->SetOnStartPage(cancelOnSecondPage);
    run.report->Print();
    EXPECT_TRUE(run.report->Cancelled());
    EXPECT_FALSE(QFile::exists(run.file));
    EXPECT_EQ(ArchiveReport::TemporaryStreams(), before);
    EXPECT_TRUE(QDir(run.dir.path()).entryList(QDir::Files).isEmpty());
}

TEST(PrintFlow, FailedRunKeepsTheFileThatWasThere)
{
    ArchiveReport run;
    WriteWholeFile(run.file, "earlier archive");
    // A band taller than any page stops the run with an error.
    run.report->FindBand(btDetail)->SetmmHeight(280000);
    EXPECT_THROW(run.report->Print(), EPrintError);
    EXPECT_FALSE(run.report->Producing());
    EXPECT_EQ(ReadWholeFile(run.file), QByteArray("earlier archive"));
    EXPECT_TRUE(ArchiveReport::TemporaryStreams().isEmpty());
}

TEST(PrintFlow, CachedPagesServeASecondRunWithoutGenerating)
{
    ArchiveReport run;
    run.report->SetCachePages(true);
    run.report->Print();
    int generated = 0;
    run.report->Engine()->OnEventNotify = [&](TjxCommunicator*, int id, TjxEventParams*) {
        generated += id == ciEnginePageSent;
    };
    QFile::remove(run.file);
    run.report->Print();
    EXPECT_EQ(generated, 0);
    EXPECT_EQ(run.report->Publisher()->CachedPageCount(), 3);
    EXPECT_EQ(TjxArchiveReader(run.file).PageCount(), 3);
}
