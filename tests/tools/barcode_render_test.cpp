// orvane-cli renders a sheet of barcodes to PNG at 300 dpi in each of the four
// orientations; zbarimg reads every symbol back.

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/support/process_run.h"

using namespace orvane::test;

namespace {

struct Symbol {
    const char* type;
    const char* data;
    int barWidth;
    const char* extra;     // further property lines
    const char* expected;  // what zbarimg prints
};

const Symbol kSheet[] = {
    {"bcUPC_A", "01234567890", 330, "", "EAN-13:0012345678905"},
    {"bcUPC_E", "012345", 330, "", "EAN-13:0001234000057"},
    {"bcEAN_13", "590123412345", 330, "      AddOnCode = '12345'\r\n", "EAN-5:12345"},
    {"bcEAN_8", "2012345", 330, "", "EAN-8:20123451"},
    {"bcInt2of5", "12345", 381, "", "I2/5:123457"},
    {"bcCode39", "BarCode", 254, "", "CODE-39:BARCODE"},
    {"bcCodabar", "A01234B", 254, "", "Codabar:A01234B"},
    {"bcCode128", "Code 128 / 1234", 254, "      AutoEncode = True\r\n", "CODE-128:Code 128 / 1234"},
};

QByteArray SheetTemplate(const char* orientation, bool vertical)
{
    QByteArray t = "object rptSheet: TjxReport\r\n"
                   "  PrinterSetup.mmMarginBottom = 5000\r\n"
                   "  PrinterSetup.mmMarginTop = 5000\r\n"
                   "  PrinterSetup.mmPaperHeight = 297000\r\n"
                   "  PrinterSetup.mmPaperWidth = 210000\r\n"
                   "  Version = '9.01'\r\n"
                   "  object jxTitleBand1: TjxTitleBand\r\n"
                   "    mmHeight = 280000\r\n";
    int i = 0;
    for (const Symbol& s : kSheet) {
        // One column when the symbols lie, two rows of four when they stand.
        const int left = vertical ? 10000 + (i % 4) * 48000 : 10000;
        const int top = vertical ? 5000 + (i / 4) * 130000 : 5000 + i * 34000;
        t += QByteArray("    object jxBarCode") + QByteArray::number(i + 1) + ": TjxBarCode\r\n" +
             "      BarCodeType = " + s.type + "\r\n      Data = '" + s.data + "'\r\n" +
             "      Orientation = " + orientation + "\r\n" + s.extra +
             "      mmBarWidth = " + QByteArray::number(s.barWidth) + "\r\n" +
             "      mmLeft = " + QByteArray::number(left) + "\r\n      mmTop = " + QByteArray::number(top) +
             "\r\n      mmWidth = 40000\r\n      mmHeight = 30000\r\n    end\r\n";
        ++i;
    }
    return t + "  end\r\nend\r\n";
}

} // namespace

TEST(CliBarCodes, EverySymbolOfASheetReadsBackInEachOrientation)
{
    QTemporaryDir dir;
    const std::pair<const char*, bool> orientations[] = {
        {"orLeftToRight", false}, {"orRightToLeft", false}, {"orTopToBottom", true}, {"orBottomToTop", true}};
    for (const auto& [orientation, vertical] : orientations) {
        const QString rtm = dir.filePath(QStringLiteral("sheet.rtm"));
        QFile file(rtm);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(SheetTemplate(orientation, vertical));
        file.close();
        const QString png = dir.filePath(QStringLiteral("sheet-%1.png").arg(QLatin1String(orientation)));
        const ProcessRun run = RunCli({"render", rtm, "--to", "png", "--dpi", "300", "-o", png});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QStringList read = ZbarRead(png).out.split(u'\n', Qt::SkipEmptyParts);
        for (const Symbol& s : kSheet)
            EXPECT_TRUE(read.contains(QLatin1String(s.expected)))
                << orientation << ": " << s.expected << " not in " << read.join(u'|').toStdString();
    }
}

TEST(CliBarCodes, ThePdfCarriesReadableSymbols)
{
    QTemporaryDir dir;
    const QString rtm = dir.filePath(QStringLiteral("sheet.rtm"));
    QFile file(rtm);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(SheetTemplate("orLeftToRight", false));
    file.close();
    const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
    const ProcessRun run = RunCli({"render", rtm, "--to", "pdf", "-o", pdf});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString prefix = dir.filePath(QStringLiteral("page"));
    ASSERT_EQ(RunProgram(QStringLiteral("pdftoppm"), {"-r", "300", "-png", "-aa", "no", "-aaVector", "no", pdf, prefix})
                  .exitCode,
              0);
    const QStringList read = ZbarRead(prefix + QStringLiteral("-1.png")).out.split(u'\n', Qt::SkipEmptyParts);
    for (const Symbol& s : kSheet)
        EXPECT_TRUE(read.contains(QLatin1String(s.expected))) << s.expected << " not in " << read.join(u'|').toStdString();
}
