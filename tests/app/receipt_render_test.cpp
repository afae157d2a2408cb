// The saved receipt rendered headless: one A4 page with its texts in order
// and the dash-dot-dot cut line across the page.

#include "app/main_window.h"

#include <QDir>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvane;

namespace {

QString RunTool(const QString& program, const QStringList& args, int* exitCode = nullptr)
{
    QProcess process;
    process.start(program, args);
    process.waitForFinished(120000);
    if (exitCode)
        *exitCode = process.exitCode();
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
}

struct SavedReceipt {
    QTemporaryDir dir;
    QString file;
    SavedReceipt()
    {
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        TRavelleWindow window;
        window.Save();
        QDir::setCurrent(previous);
        file = dir.filePath(QStringLiteral("Ravelle.rtm"));
    }
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

} // namespace

TEST(ReceiptRender, OnePdfPageWithTheTextsFromTopToBottom)
{
    SavedReceipt receipt;
    int code = -1;
    const QString pdf = receipt.Path("receipt.pdf");
    const QString output = RunTool(QStringLiteral(ORVANE_CLI),
                                   {QStringLiteral("render"), receipt.file, QStringLiteral("--to"),
                                    QStringLiteral("pdf"), QStringLiteral("-o"), pdf},
                                   &code);
    ASSERT_EQ(code, 0) << output.toStdString();
    const QString info = RunTool(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n")))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("(A4)"))) << info.toStdString();

    // Lines of words in page order: words sharing a top edge form a line.
    const QString boxes = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
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
    int code = -1;
    const QString png = receipt.Path("receipt.png");
    const QString output = RunTool(QStringLiteral(ORVANE_CLI),
                                   {QStringLiteral("render"), receipt.file, QStringLiteral("--to"),
                                    QStringLiteral("png"), QStringLiteral("-o"), png},
                                   &code);
    ASSERT_EQ(code, 0) << output.toStdString();
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
