// The PDF device: one PDF page per requested report page, each in its own
// paper size and orientation, read back with poppler's tools.

#include "document/errors.h"
#include "document/page_def.h"
#include "document/printer_setup.h"
#include "output/draw_text.h"
#include "output/page.h"
#include "output/pdf_device.h"
#include "output/publisher.h"
#include "platform/file_io.h"
#include "tests/support/gui_environment.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orvane;

namespace {

std::unique_ptr<TjxPage> TextPage(int number, int count, const QString& text, bool landscape)
{
    auto page = std::make_unique<TjxPage>();
    page->SetAbsolutePageNo(number);
    page->SetFirstPage(number == 1);
    page->SetLastPage(number == count);
    page->SetFinal(true);
    page->PageDef()->SetmmWidth(210000);
    page->PageDef()->SetmmHeight(297000);
    if (landscape)
        page->PrinterSetup()->SetOrientation(poLandscape);
    auto* command = new TjxDrawText;
    command->SetBounds(20000, 30000, 150000, 10000);
    command->SetText(text);
    command->Font()->SetName(QStringLiteral("Arial"));
    command->Font()->SetSize(14);
    command->Font()->SetColor(clBlack);
    page->AddDrawCommand(command);
    return page;
}

QString Output(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(30000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

TEST(PdfDevice, EachRequestedPageInItsOwnPaper)
{
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdfinfo.isEmpty() || pdftotext.isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";

    std::vector<std::unique_ptr<TjxPage>> pages;
    pages.push_back(TextPage(1, 3, QStringLiteral("Portrait receipt 4711"), false));
    pages.push_back(TextPage(2, 3, QStringLiteral("Not requested"), false));
    pages.push_back(TextPage(3, 3, QStringLiteral("Landscape receipt 4712"), true));
    ASSERT_EQ(pages[2]->PageDef()->mmWidth(), 297000);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("receipts.pdf"));
    TjxPublisher publisher;
    publisher.PageRequestHandler = [&pages](TjxPublisher* p, TjxPageRequest*) {
        for (const auto& page : pages)
            p->ReceivePage(page.get());
    };
    TjxPDFDevice device;
    device.SetFileName(path);
    device.PageRequest()->SetPageSetting(psPageList);
    device.PageRequest()->PageList()->SetLines({"1", "3"});
    device.SetPublisher(&publisher);
    device.RequestPages();
    EXPECT_FALSE(device.JobRunning());
    EXPECT_EQ(device.PagesWritten(), 2);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"receipts.pdf"});

    const QString info = Output(pdfinfo, {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("2"), path});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n")))) << info.toStdString();
    const QRegularExpression size(QStringLiteral("Page\\s+(\\d) size:\\s+([\\d.]+) x ([\\d.]+) pts"));
    std::vector<std::pair<double, double>> sizes;
    for (auto it = size.globalMatch(info); it.hasNext();) {
        const auto m = it.next();
        sizes.emplace_back(m.captured(2).toDouble(), m.captured(3).toDouble());
    }
    ASSERT_EQ(sizes.size(), 2u) << info.toStdString();
    EXPECT_NEAR(sizes[0].first, 595.3, 1);
    EXPECT_NEAR(sizes[0].second, 841.9, 1);
    EXPECT_NEAR(sizes[1].first, 841.9, 1);
    EXPECT_NEAR(sizes[1].second, 595.3, 1);

    const auto textOf = [&](int page) {
        const QString n = QString::number(page);
        return Output(pdftotext, {QStringLiteral("-f"), n, QStringLiteral("-l"), n, path, QStringLiteral("-")});
    };
    EXPECT_TRUE(textOf(1).contains(u"Portrait receipt 4711"));
    EXPECT_TRUE(textOf(2).contains(u"Landscape receipt 4712"));
    EXPECT_FALSE(textOf(1).contains(u"Not requested") || textOf(2).contains(u"Not requested"));
}

TEST(PdfDevice, NoPagesOrCancelKeepTheTarget)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kept.pdf"));
    WriteWholeFile(path, "old");
    TjxPDFDevice device;
    device.SetFileName(path);
    device.StartJob();
    try {
        device.EndJob();
        ADD_FAILURE() << "no error";
    } catch (const EPrintError& e) {
        EXPECT_EQ(e.Message(), u"The report produced no page to write.");
    }
    EXPECT_FALSE(device.JobRunning());

    const auto page = TextPage(1, 1, QStringLiteral("Cancelled"), false);
    device.StartJob();
    device.ReceivePage(page.get());
    EXPECT_EQ(device.PagesWritten(), 1);
    device.Cancel();
    EXPECT_EQ(ReadWholeFile(path), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"kept.pdf"});
}
