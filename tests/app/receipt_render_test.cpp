// The saved receipt rendered headless: one A4 page with its texts in order
// and the dash-dot-dot cut line across the page.

#include "app/main_window.h"

#include <QDir>
#include <QImage>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/support/process_run.h"
#include "tests/support/saved_receipt.h"

using namespace orvane;
using namespace orvane::test;

namespace {

struct SavedReceipt {
    QTemporaryDir dir;
    QString file;
    SavedReceipt() : file(SaveRavelleReceipt(dir.path())) {}
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    // orvane-cli render of the saved receipt.
    ProcessRun Render(const char* format, const QString& out) const
    {
        return RunCli({QStringLiteral("render"), file, QStringLiteral("--to"), QString::fromLatin1(format),
                       QStringLiteral("-o"), out});
    }
};

} // namespace

TEST(ReceiptRender, OnePdfPageWithTheTextsFromTopToBottom)
{
    SavedReceipt receipt;
    const QString pdf = receipt.Path("receipt.pdf");
    const ProcessRun run = receipt.Render("pdf", pdf);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString info = RunProgram(QStringLiteral("pdfinfo"), {pdf}).out;
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n")))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("(A4)"))) << info.toStdString();

    // Lines of words in page order: words sharing a top edge form a line.
    const QString boxes =
        RunProgram(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}).out;
    const QRegularExpression wordPattern(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>([^<]*)</word>"));
    QMap<double, QMap<double, QString>> lines;
    for (auto match = wordPattern.globalMatch(boxes); match.hasNext();) {
        const auto word = match.next();
        lines[word.captured(2).toDouble()][word.captured(1).toDouble()] = word.captured(3);
    }
    QString text;
    for (const auto& line : lines)
        text += QStringList(line.values()).join(u' ') + u'\n';
    qsizetype at = -1;
    for (const char* phrase : {"Original", "Duplicate", "Sales Trust Account Receipt Number", "Receipt Date",
                               "Received From", "Vendor", "Purchaser", "Amount :", "Printed By:"}) {
        const qsizetype next = text.indexOf(QString::fromLatin1(phrase), at + 1);
        ASSERT_GT(next, at) << phrase << "\n" << text.toStdString();
        at = next;
    }
}

TEST(ReceiptRender, PngShowsTheCutLineAcrossThePage)
{
    SavedReceipt receipt;
    const QString png = receipt.Path("receipt.png");
    const ProcessRun run = receipt.Render("png", png);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QImage image(png);
    ASSERT_FALSE(image.isNull());
    // A4 at 96 dpi.
    EXPECT_EQ(image.width(), 794);
    EXPECT_EQ(image.height(), 1123);
    // The cut line lies 147902 th from the paper's top (about row 559): a row
    // there is inked, with the pattern's gaps, across most of the page width.
    int bestInked = 0, bestRuns = 0;
    for (int y = 540; y < 580; ++y) {
        int inked = 0, runs = 0;
        bool previous = false;
        for (int x = 0; x < image.width(); ++x) {
            const bool ink = qGray(image.pixel(x, y)) < 230;
            inked += ink;
            runs += ink && !previous;
            previous = ink;
        }
        if (inked > bestInked) {
            bestInked = inked;
            bestRuns = runs;
        }
    }
    const bool found = bestInked > image.width() / 3 && bestRuns > 20;
    EXPECT_TRUE(found);
}
