#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include "document/message_ids.h"
#include "document/message_table.h"
#include "document/messages.h"
#include "tests/support/test_basics.h"

using namespace orvane;

namespace {

QByteArray BuiltInTableSource()
{
    QFile file(QStringLiteral(":/orvane/message_table_en.txt"));
    (void)BuiltInMessages();  // registers the library's resources
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

} // namespace

TEST(MessageTable, BuiltInTableIsCleanAndInRange)
{
    TjxMessageTableIssues issues;
    const TjxMessageTable table = TjxMessageTable::Parse(BuiltInTableSource(), &issues);
    EXPECT_FALSE(issues.invalidUtf8);
    EXPECT_EQ(issues.malformedLines, QList<int>());
    EXPECT_EQ(issues.repeatedNumbers, QList<int>());
    EXPECT_EQ(table.Count(), BuiltInMessages().Count());

    // The library's own table stops at identifier 44156; our own texts start
    // at 2001 and run without gaps, one for every number in message_ids.h;
    // a later block of them starts at a multiple of 20.
    int expectedOwn = msg::InvalidStreamFormat;
    for (int n : table.Numbers()) {
        if (n < msg::InvalidStreamFormat) {
            EXPECT_GE(n, 1);
            EXPECT_LE(n, 1156);
        } else {
            if (n > expectedOwn && n % 20 == 0)
                expectedOwn = n;
            EXPECT_EQ(n, expectedOwn);
            ++expectedOwn;
        }
        EXPECT_FALSE(table.Text(n).isEmpty()) << n;
    }
    EXPECT_GT(expectedOwn, int(msg::ListIndexOutOfBounds));
}

TEST(MessageTable, BuiltInPlaceholdersAreKnownNames)
{
    // A misspelt placeholder would never be filled; "<None>" and "<FindText>"
    // are texts shown as they are.
    const QSet<QString> known(MessagePlaceholders().begin(), MessagePlaceholders().end());
    const QRegularExpression placeholder(QStringLiteral("<[^<>]*>"));
    for (int n : BuiltInMessages().Numbers()) {
        const QString text = BuiltInMessages().Text(n);
        for (const auto& match : placeholder.globalMatch(text)) {
            const QString name = match.captured();
            EXPECT_TRUE(known.contains(name) || name == u"<None>" || name == u"<FindText>")
                << n << ": " << text.toStdString();
        }
    }
}

TEST(MessageTable, BothFormsOfANumberFindTheSameText)
{
    const TjxMessageTable& table = BuiltInMessages();
    EXPECT_EQ(table.Text(43004), table.Text(4));
    EXPECT_EQ(table.Text(4), u"Calculating page <page> for report <documentname>");
    EXPECT_EQ(table.Text(44034), u"No Data Found");
    EXPECT_EQ(table.Text(49), u"Invalid Template Format");
    EXPECT_EQ(table.Text(11), u"Enter page numbers and/or page ranges separated by commas.  For example, 1,3,5-12.");
    // The inspector's title message has no English text.
    EXPECT_FALSE(table.Contains(963));
    EXPECT_TRUE(table.Text(963).isEmpty());
    EXPECT_EQ(GetMessage(43342), GetMessage(342));
    EXPECT_EQ(GetMessage(msg::UnableToRegisterComponents + 43000), u"Unable to register component classes.");
}

TEST(MessageTable, ParsesTheTextForm)
{
    const QByteArray source =
        "\xEF\xBB\xBF# comment\r\n"
        "\r\n"
        "  12 =  two blanks kept \r\n"
        "43013=First = Page\n"
        "14=line\\nbreak\\ttab\\\\back\\slash\n"
        "15=\n"
        "not a line\n"
        "=no number\n"
        "0=zero\n"
        "16=one\n"
        "16=two";
    TjxMessageTableIssues issues;
    const TjxMessageTable table = TjxMessageTable::Parse(source, &issues);
    EXPECT_EQ(table.Text(12), u"  two blanks kept ");
    EXPECT_EQ(table.Text(13), u"First = Page");
    EXPECT_EQ(table.Text(14), u"line\nbreak\ttab\\back\\slash");
    EXPECT_TRUE(table.Contains(15));
    EXPECT_TRUE(table.Text(15).isEmpty());
    EXPECT_EQ(table.Text(16), u"two");
    EXPECT_EQ(table.Numbers(), (QList<int>{12, 13, 14, 15, 16}));
    EXPECT_EQ(issues.malformedLines, (QList<int>{7, 8, 9}));
    EXPECT_EQ(issues.repeatedNumbers, QList<int>{16});
    EXPECT_FALSE(issues.invalidUtf8);

    TjxMessageTable::Parse("1=caf\xE9\n", &issues);
    EXPECT_TRUE(issues.invalidUtf8);
}

TEST(Messages, FormatMessageTurnsEveryPlaceholderIntoAMarker)
{
    const QString text = MessagePlaceholders().join(u'|');
    const QString format = FormatMessage(text);
    EXPECT_EQ(format.count(QStringLiteral("%s")), MessagePlaceholders().size());
    EXPECT_FALSE(format.contains(u'<'));

    const QString status = FillMessage(FormatMessage(GetMessage(4)), {QStringLiteral("3"), QStringLiteral("Invoice")});
    EXPECT_EQ(status, u"Calculating page 3 for report Invoice");
    // Cited by its identifier.
    EXPECT_EQ(FillMessage(FormatMessage(GetMessage(43027)), {QStringLiteral("3"), QStringLiteral("Report"), QStringLiteral("P")}),
              u"Printing page 3 for report Report on the P");
    // Texts in angle brackets that are no placeholder stay.
    EXPECT_EQ(FormatMessage(QStringLiteral("<None> <page> <Page>")), u"<None> %s <Page>");
}

TEST(Messages, FillMessageInsertsValuesAsText)
{
    EXPECT_EQ(MessageText(msg::ParseErrorOnLine, {GetMessage(msg::IdentifierExpected), QStringLiteral("7")}),
              u"Identifier expected on line 7");
    EXPECT_EQ(MessageText(msg::ErrorReading, {QStringLiteral("jxLabel1"), QStringLiteral("."),
                                              QStringLiteral("Caption"), QStringLiteral("Stream read error")}),
              u"Error reading jxLabel1.Caption: Stream read error");
    // A value that looks like a format is not expanded again.
    EXPECT_EQ(FillMessage(QStringLiteral("Class %s not found"), {QStringLiteral("%s%d%%")}), u"Class %s%d%% not found");
    // Percent signs that start no marker are text.
    EXPECT_EQ(FillMessage(GetMessage(1), {QStringLiteral("x")}), u"100 %");
    EXPECT_EQ(FillMessage(GetMessage(430), {}), GetMessage(430));
    EXPECT_EQ(FillMessage(QStringLiteral("50%% of %s"), {QStringLiteral("it")}), u"50% of it");
    // Missing values give nothing; surplus values are ignored.
    EXPECT_EQ(FillMessage(QStringLiteral("[%s|%d]"), {QStringLiteral("a")}), u"[a|]");
    EXPECT_EQ(FillMessage(QStringLiteral("[%s]"), {QStringLiteral("a"), QStringLiteral("b")}), u"[a]");
}

TEST(Messages, FillMessageWidthPrecisionAndIndex)
{
    EXPECT_EQ(FillMessage(QStringLiteral("%8d|"), {QStringLiteral("42")}), u"      42|");
    EXPECT_EQ(FillMessage(QStringLiteral("%-5s|"), {QStringLiteral("ab")}), u"ab   |");
    EXPECT_EQ(FillMessage(QStringLiteral("%.2s|%.3d|%.3d"), {QStringLiteral("abcd"), QStringLiteral("7"), QStringLiteral("-7")}),
              u"ab|007|-007");
    EXPECT_EQ(FillMessage(QStringLiteral(": %3d   "), {QStringLiteral("1234")}), u": 1234   ");
    // An explicit index lets a translation reorder the values; counting
    // continues after it.
    EXPECT_EQ(FillMessage(QStringLiteral("%1:s before %0:s, then %s"),
                          {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}),
              u"b before a, then b");
    EXPECT_EQ(FillMessage(QStringLiteral("%1:s %s"), {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}),
              u"b c");
}

TEST(Messages, FillPlaceholdersByName)
{
    // A translation may put the placeholders in another order than English.
    const QString translated = QStringLiteral("<documentname>: Seite <page> von <pagecount>");
    EXPECT_EQ(FillPlaceholders(translated, {{QStringLiteral("page"), QStringLiteral("2")},
                                            {QStringLiteral("pagecount"), QStringLiteral("5")},
                                            {QStringLiteral("documentname"), QStringLiteral("Rechnung")}}),
              u"Rechnung: Seite 2 von 5");
    // Every occurrence is filled; values are not searched again; names
    // without a value and lone brackets stay.
    EXPECT_EQ(FillPlaceholders(QStringLiteral("<name> a <b <name> <None> <page>"),
                               {{QStringLiteral("name"), QStringLiteral("<page>")}}),
              u"<page> a <b <page> <None> <page>");
    EXPECT_EQ(FillPlaceholders(GetMessage(67), {{QStringLiteral("filename"), QStringLiteral("/tmp/x.txt")}}),
              u"Unable to open file: /tmp/x.txt.");
}

TEST(Messages, ValuesThatDoNotPrintAreWrittenAsCodesAndLongOnesAreCut)
{
    // Control codes, C1 controls, line separators and bidirectional overrides
    // would act on a terminal or reorder the message; they show as the text
    // form writes them.
    EXPECT_EQ(MessageValue(u"a\x1b[31mb\tc\x7f\u009b\u2028\u202e"), u"a#27[31mb#9c#127#155#8232#8238");
    // Printable text stays, also outside the basic plane; a lone surrogate does not.
    EXPECT_EQ(MessageValue(u"Caf\u00e9 \u65e5 \U0001F600 #1"), u"Caf\u00e9 \u65e5 \U0001F600 #1");
    EXPECT_EQ(MessageValue(QString(QChar(0xD83D)) + u'x'), u"#55357x");

    // Long values keep their start and end, never half a code.
    EXPECT_EQ(MessageValue(QString(256, u'a')), QString(256, u'a'));
    const QString digits = QString(200, u'1') + QString(200, u'2');
    EXPECT_EQ(MessageValue(digits), QString(190, u'1') + QStringLiteral("...") + QString(63, u'2'));
    const QString escapes = MessageValue(QString(300, QChar(27)));
    EXPECT_EQ(escapes, QStringLiteral("#27").repeated(63) + QStringLiteral("...") + QStringLiteral("#27").repeated(21));
    EXPECT_LE(escapes.size(), kMaxMessageValue);
    // A ten-megabyte value costs no more than a short one.
    EXPECT_EQ(MessageValue(QString(10'000'000, u'x')).size(), kMaxMessageValue);

    // Every value put into a message goes through it.
    EXPECT_EQ(MessageText(msg::ClassNotFound, {QStringLiteral("T\x1b]0;title\x07")}), u"Class T#27]0;title#7 not found");
    EXPECT_EQ(FillPlaceholders(GetMessage(67), {{QStringLiteral("filename"), QStringLiteral("a\nb")}}),
              u"Unable to open file: a#10b.");
    // The table quotes once: a missing character in single quotes.
    EXPECT_EQ(MessageText(msg::CharExpected, {QStringLiteral("=")}), u"'=' expected");
}
