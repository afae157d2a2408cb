// Our RTF reader and writer against an independent reader (pandoc) over the
// corpus: the same text, and what our writer makes reads back there with the
// same text and the same bold and italic runs.

#include "components/rich_edit.h"
#include "tests/support/gui_environment.h"
#include "tests/support/process_run.h"
#include "rtf_corpus.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>

#include <iconv.h>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

bool HavePandoc()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pandoc")).isEmpty();
}

#define REQUIRE_PANDOC() \
    ASSERT_TRUE(HavePandoc()) << "pandoc is not installed: scripts/setup installs it for this comparison"

QString Pandoc(const QString& file, const char* format)
{
    const ProcessRun run = RunProgram(QStringLiteral("pandoc"), {QStringLiteral("-f"), QStringLiteral("rtf"),
                                                                 QStringLiteral("-t"), QString::fromLatin1(format),
                                                                 QStringLiteral("--wrap=none"), file});
    EXPECT_EQ(run.exitCode, 0) << file.toStdString() << ": " << run.err.toStdString();
    return run.out;
}

// The code page a file's header declares (\ansicpgN); 1252 without one.
int DeclaredCodePage(const QByteArray& rtf)
{
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("\\\\ansicpg(\\d+)")).match(QString::fromLatin1(rtf.left(200)));
    return m.hasMatch() ? m.captured(1).toInt() : 1252;
}

QByteArray Iconv(const QByteArray& bytes, const char* from, const char* to)
{
    iconv_t cd = iconv_open(to, from);
    EXPECT_NE(cd, iconv_t(-1)) << from << " to " << to;
    if (cd == iconv_t(-1))
        return {};
    QByteArray out(bytes.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char* outPtr = out.data();
    size_t outLeft = size_t(out.size());
    const size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    EXPECT_NE(r, size_t(-1)) << "not convertible from " << from << " to " << to;
    out.truncate(outPtr - out.constData());
    return out;
}

// What both sides are brought to: one paragraph a line (pandoc puts a blank
// line between blocks, and drops empty paragraphs), blanks and tabs as
// single blanks (pandoc makes every tab and blank run one space), lines
// trimmed, a hard line break a new line, a picture one marker.
QString Normalise(QString text)
{
    text.replace(QChar::LineSeparator, u'\n');
    text.replace(QChar::ObjectReplacementCharacter, QStringLiteral("[picture]"));
    QStringList lines;
    for (QString line : text.split(u'\n')) {
        line.replace(QRegularExpression(QStringLiteral("[ \\t]+")), QStringLiteral(" "));
        line = line.trimmed();
        if (!line.isEmpty())
            lines << line;
    }
    return lines.join(u'\n');
}

// Pandoc's plain text, its own quirks undone first:
// - it reads every \'hh as Windows-1252 whatever \ansicpg says, so its text
//   goes back to those bytes and is decoded with the declared code page;
// - it marks struck text with ~~ and pictures with [image];
// - list items start with a marker it makes ("-" for bullets, "1." for
//   numbers) or with the \pntext it keeps as text ("·", "•", "1."),
//   indented by level; ours has neither, the marker being the list's;
// - a table is drawn with rows of dashes, the cells of a row side by side
//   at least two blanks apart; ours has a cell a paragraph.
QString NormalisePandoc(QString text, int codePage)
{
    if (codePage != 1252) {
        const QByteArray fileBytes = Iconv(text.toUtf8(), "UTF-8", "WINDOWS-1252");
        text = QString::fromUtf8(Iconv(fileBytes, qPrintable(QStringLiteral("WINDOWS-%1").arg(codePage)), "UTF-8"));
    }
    text.replace(QStringLiteral("~~"), QString());
    text.replace(QStringLiteral("[image]"), QStringLiteral("[picture]"));
    static const QRegularExpression marker(QStringLiteral("^\\s*(-|\\x{00B7}|\\x{2022}|\\d+\\.)\\s+"));
    static const QRegularExpression dashes(QStringLiteral("^\\s*-{3,}( +-{3,})*\\s*$"));
    static const QRegularExpression cellGap(QStringLiteral("\\s{2,}"));
    QStringList lines;
    bool inTable = false;
    for (QString line : text.split(u'\n')) {
        if (dashes.match(line).hasMatch()) {
            inTable = true;
            continue;
        }
        if (line.trimmed().isEmpty())
            inTable = false;
        if (inTable) {
            lines += line.trimmed().split(cellGap);
            continue;
        }
        lines << line.remove(marker);
    }
    return Normalise(lines.join(u'\n'));
}

QString OurPlainText(const QByteArray& rtf)
{
    TjxRichEdit edit;
    edit.LoadFromBytes(rtf);
    return edit.PlainText();
}

// The bold and the italic runs of a text, in order, each simplified.
struct Emphasis {
    QStringList bold;
    QStringList italic;
    bool operator==(const Emphasis&) const = default;
};

// Collects runs from a stream of pieces with their emphasis; a block ends every run.
class RunCollector {
public:
    void Piece(const QString& text, bool bold, bool italic)
    {
        Extend(m_bold, m_result.bold, text, bold);
        Extend(m_italic, m_result.italic, text, italic);
    }
    void BlockEnd()
    {
        Piece(QString(), false, false);
    }
    Emphasis Result()
    {
        BlockEnd();
        return m_result;
    }

private:
    static void Extend(QString& open, QStringList& runs, const QString& text, bool on)
    {
        if (on) {
            open += text;
            return;
        }
        if (!open.simplified().isEmpty())
            runs << open.simplified();
        open.clear();
    }
    QString m_bold, m_italic;
    Emphasis m_result;
};

Emphasis OurEmphasis(const QTextDocument& document)
{
    RunCollector runs;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            QString text = it.fragment().text();
            text.replace(QChar::LineSeparator, u' ');
            runs.Piece(text, f.fontWeight() >= QFont::DemiBold, f.fontItalic());
        }
        runs.BlockEnd();
    }
    return runs.Result();
}

// Walks pandoc's document tree: Strong is bold, Emph italic, every block a break.
void WalkPandoc(const QJsonValue& value, bool bold, bool italic, RunCollector& runs)
{
    if (value.isArray()) {
        for (const QJsonValue& item : value.toArray())
            WalkPandoc(item, bold, italic, runs);
        return;
    }
    if (!value.isObject())
        return;
    const QJsonObject node = value.toObject();
    const QString type = node.value(u"t").toString();
    const QJsonValue content = node.value(u"c");
    if (type == u"Str") {
        runs.Piece(content.toString(), bold, italic);
    } else if (type == u"Space" || type == u"SoftBreak" || type == u"LineBreak") {
        runs.Piece(QStringLiteral(" "), bold, italic);
    } else if (type == u"Strong") {
        WalkPandoc(content, true, italic, runs);
    } else if (type == u"Emph") {
        WalkPandoc(content, bold, true, runs);
    } else if (type == u"Link" || type == u"Image") {
        WalkPandoc(content.toArray().at(1), bold, italic, runs);  // the text, not the target
    } else if (type == u"Para" || type == u"Plain" || type == u"Header" || type == u"CodeBlock") {
        WalkPandoc(content, bold, italic, runs);
        runs.BlockEnd();
    } else if (node.contains(u"blocks")) {
        WalkPandoc(node.value(u"blocks"), bold, italic, runs);
    } else {
        WalkPandoc(content, bold, italic, runs);
    }
}

Emphasis PandocEmphasis(const QString& json)
{
    RunCollector runs;
    WalkPandoc(QJsonDocument::fromJson(json.toUtf8()).object(), false, false, runs);
    return runs.Result();
}

} // namespace

TEST(RtfIndependentReader, CorpusTextMatches)
{
    REQUIRE_PANDOC();
    for (const QString& name : RtfCorpus()) {
        const QByteArray rtf = RtfCorpusFile(name);
        const QString theirs = NormalisePandoc(Pandoc(RtfCorpusFolder() + name, "plain"), DeclaredCodePage(rtf));
        EXPECT_EQ(Normalise(OurPlainText(rtf)).toStdString(), theirs.toStdString()) << name.toStdString();
    }
}

TEST(RtfIndependentReader, OurWriterReadsBackWithTheSameTextAndEmphasis)
{
    REQUIRE_PANDOC();
    QTemporaryDir dir;
    for (const QString& name : RtfCorpus()) {
        TjxRichEdit edit;
        edit.LoadFromBytes(RtfCorpusFile(name));
        const QString written = dir.filePath(name);
        QFile file(written);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(edit.SaveToBytes());
        file.close();
        // Our writer's output is 7-bit: no code page to undo.
        EXPECT_EQ(NormalisePandoc(Pandoc(written, "plain"), 1252).toStdString(),
                  Normalise(edit.PlainText()).toStdString())
            << name.toStdString();
        const Emphasis ours = OurEmphasis(edit.Document());
        const Emphasis theirs = PandocEmphasis(Pandoc(written, "json"));
        EXPECT_EQ(theirs.bold, ours.bold) << name.toStdString();
        EXPECT_EQ(theirs.italic, ours.italic) << name.toStdString();
    }
}
