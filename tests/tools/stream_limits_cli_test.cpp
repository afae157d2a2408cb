// Careless and hostile templates through orvane-cli: convert and the commands
// that load a template agree on what they take, say what is wrong, and never
// put raw control bytes on the terminal.

#include "output/archive_reader.h"
#include "output/page.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/support/process_run.h"

using namespace orvane;
using namespace orvane::test;

namespace {

struct Files {
    QTemporaryDir dir;

    QString Write(const char* name, const QByteArray& data) const
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
        return path;
    }
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

QByteArray ShortString(const QByteArray& text)
{
    return char(text.size()) + text;
}

// The message lines orvane-cli printed, without the toolkit's own notes.
QString Errors(const ProcessRun& run)
{
    QStringList lines;
    for (const QString& line : run.err.split(u'\n', Qt::SkipEmptyParts))
        if (line.startsWith(u"orvane-cli: "))
            lines << line;
    return lines.join(u'\n');
}

} // namespace

TEST(CliStreamLimits, TemplateWithoutVersionRendersOnePage)
{
    Files files;
    const QString bare = files.Write("bare.rtm", "object rpt: TjxReport\r\nend");
    ASSERT_EQ(QFile(bare).size(), 26);

    const QString raf = files.Path("bare.raf");
    const ProcessRun archive = RunCli({"render", bare, "--to", "raf", "-o", raf});
    ASSERT_EQ(archive.exitCode, 0) << archive.err.toStdString();
    TjxArchiveReader reader(raf);
    ASSERT_EQ(reader.PageCount(), 1);
    // The page has the default paper, not one converted as if it were inches.
    const std::unique_ptr<TjxPage> page = reader.ReadPage(0);
    EXPECT_LT(page->PageDef()->mmHeight(), 300000);
    EXPECT_EQ(page->PageDef()->mmMarginTop(), 6350);

    const ProcessRun image = RunCli({"render", bare, "--to", "png", "-o", files.Path("bare.png"), "--dpi", "24"});
    EXPECT_EQ(image.exitCode, 0) << image.err.toStdString();
    EXPECT_TRUE(QFile::exists(files.Path("bare.png")));
    EXPECT_FALSE(QFile::exists(files.Path("bare-2.png")));
}

TEST(CliStreamLimits, ConvertAndLoadingAgree)
{
    Files files;
    struct Case {
        const char* name;
        QByteArray data;
        const char* message;  // what both say
    } cases[] = {
        // A stream cut short says where.
        {"cut.rtm", "TPF0\x06TForm1", "Stream read error at byte 11"},
        // Lists nested deeper than any reader takes: the text form...
        {"deep.txt", "object rpt: TjxReport\r\n  Tag = " + QByteArray(300, '(') + QByteArray(300, ')') + "\r\nend\r\n",
         "Nesting too deep: more than 256 levels on line 2"},
        // ... and the binary form.
        {"deep.rtm",
         "TPF0" + ShortString("TjxReport") + ShortString("rpt") + ShortString("Tag") + QByteArray(300, '\x01') +
             QByteArray(300, '\0') + QByteArray(3, '\0'),
         "Nesting too deep: more than 256 levels"},
        // A line whose weight is not a number.
        {"nan.rtm",
         "TPF0" + ShortString("TjxReport") + ShortString("rpt") + QByteArray(1, '\0') + ShortString("TjxDetailBand") +
             ShortString("jxDetailBand1") + QByteArray(1, '\0') + ShortString("TjxLine") + ShortString("jxLine1") +
             ShortString("Weight") + QByteArray::fromHex("0500000000000000c0ff7f") + QByteArray(5, '\0'),
         "Error reading jxLine1.Weight: Invalid property value"},
        {"inf.txt",
         "object rpt: TjxReport\r\n  object jxDetailBand1: TjxDetailBand\r\n    object jxLine1: TjxLine\r\n"
         "      Weight = 1.0E+9999\r\n    end\r\n  end\r\nend\r\n",
         "Invalid property value on line 4"},
    };
    for (const Case& c : cases) {
        const QString file = files.Write(c.name, c.data);
        const ProcessRun convert = RunCli({"convert", "--to-text", file, files.Path("out.txt")});
        const ProcessRun info = RunCli({"info", file});
        EXPECT_EQ(convert.exitCode, 1) << c.name;
        EXPECT_EQ(info.exitCode, 1) << c.name;
        for (const ProcessRun* run : {&convert, &info})
            EXPECT_TRUE(Errors(*run).contains(QString::fromLatin1(c.message))) << c.name << ": " << run->err.toStdString();
        EXPECT_FALSE(QFile::exists(files.Path("out.txt"))) << c.name;
    }

    // Just inside the limits both take it.
    const QString fine = files.Write(
        "fine.txt", "object rpt: TjxReport\r\n  object jxDetailBand1: TjxDetailBand\r\n    object jxLine1: TjxLine\r\n"
                    "      Weight = 2.5\r\n    end\r\n  end\r\nend\r\n");
    EXPECT_EQ(RunCli({"convert", "--to-binary", fine, files.Path("fine.rtm")}).exitCode, 0);
    EXPECT_EQ(RunCli({"info", files.Path("fine.rtm")}).exitCode, 0);
}

TEST(CliStreamLimits, CorruptNamesNeverReachTheTerminalRaw)
{
    Files files;
    const QByteArray escape = "\x1b]0;owned\x07\x1b[2J\x9b" "31m";
    const QByteArray records[] = {
        "TPF0" + ShortString("TjxReport") + ShortString("rpt") + QByteArray(1, '\0') + ShortString("TjxDetail" + escape) +
            ShortString("b1") + QByteArray(4, '\0'),
        "TPF0" + ShortString("TjxReport") + ShortString("rpt") + QByteArray(1, '\0') + ShortString("TjxDetailBand") +
            ShortString("b" + escape) + QByteArray(4, '\0'),
        "TPF0" + ShortString("TjxReport") + ShortString("rpt") + ShortString("Tag" + escape) + QByteArray(1, '\x02') +
            QByteArray(1, '\x01') + QByteArray(3, '\0'),
    };
    for (const QByteArray& record : records) {
        const QString file = files.Write("corrupt.rtm", record);
        for (const QStringList& args : {QStringList{"convert", "--to-text", file, files.Path("x.txt")},
                                        QStringList{"info", file},
                                        QStringList{"render", file, "--to", "raf", "-o", files.Path("x.raf")}}) {
            QProcess p;
            p.start(QStringLiteral(ORVANE_CLI), args);
            ASSERT_TRUE(p.waitForFinished(60000));
            EXPECT_EQ(p.exitCode(), 1) << args.join(u' ').toStdString();
            const QByteArray err = p.readAllStandardError();
            EXPECT_TRUE(err.contains("orvane-cli: ")) << err.toStdString();
            for (char c : err)
                EXPECT_TRUE(c == '\n' || (uint8_t(c) >= 0x20 && c != '\x7f')) << args.join(u' ').toStdString() << ": " << err.toHex().toStdString();
            EXPECT_FALSE(err.contains("\xc2\x9b")) << "no C1 control either";
        }
    }
}
