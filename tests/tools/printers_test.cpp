// orvane-cli printers, run as a user would run it, against the system's spooler.

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

struct CliRun {
    int exitCode;
    QStringList lines;
    QString errors;
};

CliRun Printers(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(ORVANE_CLI), QStringList{QStringLiteral("printers")} + args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

TEST(CliPrinters, ListsThePseudoEntriesThenTheSystemsPrinters)
{
    const CliRun run = Printers({});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    ASSERT_GE(run.lines.size(), 2);
    EXPECT_TRUE(run.lines[0].startsWith(u"Default\t-> ")) << run.lines[0].toStdString();
    // "Default" names the entry it stands for: the screen, or the printer marked default.
    const QString target = run.lines[0].mid(QStringLiteral("Default\t-> ").size());
    EXPECT_TRUE(run.lines[1].startsWith(u"Screen\tlocal")) << run.lines[1].toStdString();
    int marked = 0;
    for (const QString& line : run.lines.mid(1)) {
        const QStringList columns = line.split(u'\t');
        ASSERT_GE(columns.size(), 2) << line.toStdString();
        EXPECT_TRUE(columns[1] == u"local" || columns[1] == u"network") << line.toStdString();
        if (columns.value(2) == u"default") {
            ++marked;
            EXPECT_EQ(columns[0], target);
        }
    }
    EXPECT_EQ(marked, 1) << run.lines.join(u'\n').toStdString();
}

TEST(CliPrinters, PapersAndBinsOfOnePrinter)
{
    // The screen's papers are the same on every machine.
    const CliRun run = Printers({QStringLiteral("--papers"), QStringLiteral("screen")});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QString out = run.lines.join(u'\n');
    EXPECT_TRUE(run.lines.contains(QStringLiteral("Printer: Screen"))) << out.toStdString();
    const QRegularExpression paper(QStringLiteral("^\\s+(\\d+)\\s+(\\d+) x (\\d+)\\s+(.+)$"));
    QStringList papers;
    for (const QString& line : run.lines) {
        const auto m = paper.match(line);
        if (m.hasMatch())
            papers.append(QStringLiteral("%1|%2|%3|%4").arg(m.captured(1), m.captured(2), m.captured(3),
                                                            m.captured(4).trimmed()));
    }
    ASSERT_EQ(papers.size(), 13) << out.toStdString();
    EXPECT_EQ(papers[0], u"256|0|0|Custom");
    EXPECT_EQ(papers[1], u"1|2159|2794|Letter 8 1/2 x 11 in");
    EXPECT_EQ(papers[4], u"9|2100|2970|A4 210 x 297 mm");
    const qsizetype bins = run.lines.indexOf(QStringLiteral("Bins (number, name):"));
    ASSERT_GE(bins, 0) << out.toStdString();
    ASSERT_EQ(run.lines.size(), bins + 2) << out.toStdString();
    EXPECT_EQ(run.lines[bins + 1].simplified(), u"7 Default");

    // A name the list does not have is an error, not the default printer.
    const CliRun unknown = Printers({QStringLiteral("--papers"), QStringLiteral("No Such Printer")});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.errors.contains(u"No Such Printer")) << unknown.errors.toStdString();
}
