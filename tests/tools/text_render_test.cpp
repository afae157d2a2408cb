// orvane-cli render --to txt and --to reporttext: a list report on an SQLite
// file to records of each text file type and to a text image of its pages.

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "tests/support/process_run.h"
#include "tests/tools/list_report.h"

using namespace orvane::test;

namespace {

// The list report's data with a template that saves the detail band's id and
// name, three records to a page of four; tab separated unless told otherwise.
struct SavedList : ListReport {
    QString saved = Path("saved.rtm");

    SavedList()
    {
        QFile f(saved);
        f.open(QIODevice::WriteOnly);
        f.write("object rptList: TjxReport\r\n"
                "  DataPipelineName = 'plItems'\r\n"
                "  PrinterSetup.mmMarginBottom = 13500\r\n"
                "  PrinterSetup.mmMarginTop = 13500\r\n"
                "  PrinterSetup.mmPaperHeight = 297000\r\n"
                "  PrinterSetup.mmPaperWidth = 210000\r\n"
                "  TextFileType = ftTab\r\n"
                "  Version = '9.01'\r\n"
                "  object jxDetailBand1: TjxDetailBand\r\n"
                "    Save = True\r\n"
                "    mmHeight = 90000\r\n"
                "    object jxDBText1: TjxDBText\r\n"
                "      DataField = 'id'\r\n"
                "      DataPipelineName = 'plItems'\r\n"
                "      Save = True\r\n"
                "      SaveLength = 3\r\n"
                "      SaveOrder = 0\r\n"
                "      TextAlignment = taRightJustified\r\n"
                "      mmHeight = 5000\r\n"
                "      mmWidth = 10000\r\n"
                "    end\r\n"
                "    object jxDBText2: TjxDBText\r\n"
                "      DataField = 'name'\r\n"
                "      DataPipelineName = 'plItems'\r\n"
                "      Save = True\r\n"
                "      SaveLength = 8\r\n"
                "      SaveOrder = 1\r\n"
                "      mmHeight = 5000\r\n"
                "      mmLeft = 40000\r\n"
                "      mmWidth = 40000\r\n"
                "    end\r\n"
                "  end\r\n"
                "end\r\n");
    }

    QStringList Outputs() const
    {
        QStringList entries = ListReport::Outputs();
        entries.removeAll(QStringLiteral("saved.rtm"));
        return entries;
    }
};

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

// The records the report gives, each made of its item's two fields.
QByteArray Records(const std::function<QByteArray(int)>& record)
{
    QByteArrayList records;
    for (int i = 1; i <= 12; ++i)
        records << record(i);
    return records.join("\r\n");
}

} // namespace

TEST(CliTextRender, RecordsOfEachType)
{
    SavedList t;
    const QString out = t.Path("items.txt");
    // Without --text-type the report's own TextFileType.
    const ProcessRun tab = RunCli({"render", t.saved, "--db", t.data, "--to", "txt", "-o", out});
    ASSERT_EQ(tab.exitCode, 0) << tab.err.toStdString();
    EXPECT_EQ(tab.err, QString());
    EXPECT_EQ(ReadFile(out), Records([](int i) { return QByteArray::number(i) + "\tItem " + QByteArray::number(i); }));

    ASSERT_EQ(RunCli({"render", t.saved, "--db", t.data, "--to", "txt", "--text-type", "comma", "-o", out}).exitCode, 0);
    EXPECT_EQ(ReadFile(out),
              Records([](int i) { return QByteArray::number(i) + ",\"Item " + QByteArray::number(i) + "\""; }));

    ASSERT_EQ(RunCli({"render", t.saved, "--db", t.data, "--to", "txt", "--text-type", "fixed", "-o", out}).exitCode, 0);
    EXPECT_EQ(ReadFile(out), Records([](int i) {
                  return QByteArray::number(i).rightJustified(3) + ("Item " + QByteArray::number(i)).leftJustified(8);
              }));

    ASSERT_EQ(RunCli({"render", t.saved, "--db", t.data, "--to", "txt", "--text-type", "custom", "--pages", "2", "-o",
                      out}).exitCode,
              0);
    EXPECT_EQ(ReadFile(out), QByteArray("4Item 45Item 56Item 6"));
    EXPECT_EQ(t.Outputs(), QStringList({"items.txt"}));
}

TEST(CliTextRender, ReportTextHasEqualPagesWithOneLinePerRecord)
{
    SavedList t;
    const QString out = t.Path("pages.txt");
    const ProcessRun run = RunCli({"render", t.saved, "--db", t.data, "--to", "reporttext", "-o", out});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = QString::fromLatin1(ReadFile(out)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size() % 4, 0);
    const int perPage = int(lines.size()) / 4;
    static const QRegularExpression record(QStringLiteral("^ *(\\d+) +Item (\\d+)$"));
    for (int page = 0; page < 4; ++page) {
        QStringList texts = lines.mid(page * perPage, perPage);
        texts.removeAll(QString());
        ASSERT_EQ(texts.size(), 3) << texts.join(u'|').toStdString();
        for (int i = 0; i < 3; ++i) {
            const QRegularExpressionMatch m = record.match(texts[i]);
            ASSERT_TRUE(m.hasMatch()) << texts[i].toStdString();
            EXPECT_EQ(m.captured(1).toInt(), page * 3 + i + 1);
            EXPECT_EQ(m.captured(2).toInt(), page * 3 + i + 1);
        }
    }
}

TEST(CliTextRender, RefusalsLeaveNoFile)
{
    SavedList t;
    const QString out = t.Path("out.txt");
    const ProcessRun type = RunCli({"render", t.saved, "--db", t.data, "--to", "txt", "--text-type", "csv", "-o", out});
    EXPECT_EQ(type.exitCode, 1);
    EXPECT_TRUE(type.err.contains(QStringLiteral("Unknown text file type \"csv\": use comma, tab, fixed or custom.")))
        << type.err.toStdString();
    const ProcessRun pdf =
        RunCli({"render", t.saved, "--db", t.data, "--to", "pdf", "--text-type", "tab", "-o", t.Path("out.pdf")});
    EXPECT_EQ(pdf.exitCode, 1);
    EXPECT_TRUE(pdf.err.contains(QStringLiteral("--text-type applies only to --to txt."))) << pdf.err.toStdString();
    // No page asked for exists: no document.
    const ProcessRun none = RunCli({"render", t.saved, "--db", t.data, "--to", "txt", "--pages", "9", "-o", out});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains(QStringLiteral("The report produced no page to write."))) << none.err.toStdString();
    EXPECT_EQ(t.Outputs(), QStringList());

    // A report that saves nothing gives an empty file, and says why.
    const ProcessRun empty = RunCli({"render", t.file, "--db", t.data, "--to", "txt", "-o", out});
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_TRUE(empty.err.contains(QStringLiteral("No text of the report is marked for saving")))
        << empty.err.toStdString();
    EXPECT_EQ(ReadFile(out), QByteArray());
}
