#include "components/rich_edit.h"

#include "components/rich_text_engine.h"
#include "components/rtf.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "platform/canvas.h"
#include "platform/file_io.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <mutex>

namespace orvane {

TjxRichEdit::TjxRichEdit() : m_document(std::make_unique<QTextDocument>())
{
    m_document->setUndoRedoEnabled(false);
    PrepareRichTextDocument(*m_document);
}

TjxRichEdit::~TjxRichEdit() = default;

void TjxRichEdit::LoadFromBytes(QByteArrayView bytes)
{
    std::lock_guard lock(RichTextLock());
    // Read into a new document so that a failed load loses nothing.
    auto document = std::make_unique<QTextDocument>();
    document->setUndoRedoEnabled(false);
    QString error;
    if (!ReadRtf(bytes, *document, &error))
        throw EOrvaneError(MessageText(msg::RichTextNotLoaded, {error}));
    m_document = std::move(document);
    ContentReplaced();
    m_selStart = 0;
    m_selLength = 0;
}

void TjxRichEdit::LoadFromString(const QString& text)
{
    if (IsRtf(text))
        LoadFromBytes(RtfStringToBytes(text));
    else
        LoadFromBytes(text.toUtf8());
}

void TjxRichEdit::LoadFromFile(const QString& fileName)
{
    LoadFromBytes(ReadWholeFile(fileName));
}

QByteArray TjxRichEdit::SaveToBytes() const
{
    std::lock_guard lock(RichTextLock());
    return WriteRtf(*m_document);
}

void TjxRichEdit::SaveToFile(const QString& fileName) const
{
    WriteWholeFile(fileName, SaveToBytes());
}

void TjxRichEdit::Assign(const TjxRichEdit& source)
{
    if (&source == this)
        return;
    std::lock_guard lock(RichTextLock());
    std::unique_ptr<QTextDocument> copy;
    if (source.m_document->isEmpty()) {
        // Cloning an empty document copies its block format whole, with the
        // index of a list that the copy does not have: formats only.
        copy = std::make_unique<QTextDocument>();
        QTextBlockFormat block = source.m_document->begin().blockFormat();
        block.clearProperty(QTextFormat::ObjectIndex);
        QTextCursor cursor(copy.get());
        cursor.setBlockFormat(block);
        cursor.setBlockCharFormat(source.m_document->begin().charFormat());
    } else {
        copy.reset(source.m_document->clone());
    }
    copy->setUndoRedoEnabled(false);
    PrepareRichTextDocument(*copy);
    copy->setDefaultTextOption(source.m_document->defaultTextOption());
    copy->setDefaultFont(source.m_document->defaultFont());
    m_document = std::move(copy);
    ContentReplaced();
    m_selStart = 0;
    m_selLength = 0;
}

void TjxRichEdit::Clear()
{
    std::lock_guard lock(RichTextLock());
    m_document->clear();
    PrepareRichTextDocument(*m_document);
    ContentReplaced();
    m_selStart = 0;
    m_selLength = 0;
}

int TjxRichEdit::CharCount() const
{
    return m_document->characterCount() - 1;
}

QString TjxRichEdit::PlainText() const
{
    // The raw text keeps no-break spaces, which the plain text turns into spaces.
    QString text = m_document->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

QString TjxRichEdit::Text() const
{
    QString text = PlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

QString TjxRichEdit::TextRange(int start, int length) const
{
    return PlainText().mid(start, length);
}

void TjxRichEdit::SetSelStart(int value)
{
    m_selStart = std::clamp(value, 0, CharCount());
    m_selLength = std::min(m_selLength, CharCount() - m_selStart);
}

void TjxRichEdit::SetSelLength(int value)
{
    // −1 selects to the end, as the edit control does.
    const int rest = CharCount() - m_selStart;
    m_selLength = value < 0 ? rest : std::min(value, rest);
}

namespace {

QTextCursor Selection(QTextDocument& document, int start, int length)
{
    QTextCursor cursor(&document);
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    return cursor;
}

} // namespace

QString TjxRichEdit::SelText() const
{
    return TextRange(m_selStart, m_selLength);
}

void TjxRichEdit::SetSelText(const QString& text)
{
    std::lock_guard lock(RichTextLock());
    QTextCursor cursor = Selection(*m_document, m_selStart, m_selLength);
    // The text takes the format of the first character it replaces.
    QTextCursor first(m_document.get());
    first.setPosition(std::min(m_selStart + 1, CharCount()));
    const QTextCharFormat format = m_selLength > 0 ? first.charFormat() : cursor.charFormat();
    cursor.insertText(text, format);
    m_selLength = int(text.size());
}

QTextCharFormat TjxRichEdit::SelAttributes() const
{
    QTextCursor cursor(m_document.get());
    cursor.setPosition(std::min(m_selStart + (m_selLength > 0 ? 1 : 0), CharCount()));
    return cursor.charFormat();
}

void TjxRichEdit::SetSelAttributes(const QTextCharFormat& format)
{
    std::lock_guard lock(RichTextLock());
    Selection(*m_document, m_selStart, m_selLength).mergeCharFormat(format);
}

QTextBlockFormat TjxRichEdit::Paragraph() const
{
    return m_document->findBlock(m_selStart).blockFormat();
}

void TjxRichEdit::SetParagraph(const QTextBlockFormat& format)
{
    std::lock_guard lock(RichTextLock());
    Selection(*m_document, m_selStart, m_selLength).mergeBlockFormat(format);
}

int TjxRichEdit::FindText(const QString& text, int start, int length, bool matchCase, bool wholeWord) const
{
    if (text.isEmpty())
        return -1;
    const int count = CharCount();
    start = std::clamp(start, 0, count);
    const int end = length < 0 ? count : std::min(count, start + length);
    QTextDocument::FindFlags flags;
    if (matchCase)
        flags |= QTextDocument::FindCaseSensitively;
    if (wholeWord)
        flags |= QTextDocument::FindWholeWords;
    const QTextCursor found = m_document->find(text, start, flags);
    if (found.isNull() || found.selectionEnd() > end)
        return -1;
    return found.selectionStart();
}

TColor TjxRichEdit::SetSelectionBackground(TColor color)
{
    std::lock_guard lock(RichTextLock());
    const QTextCharFormat current = SelAttributes();
    TColor previous;
    if (current.hasProperty(QTextFormat::BackgroundBrush))
        previous = FromQColor(current.background().color());
    else
        previous = current.foreground().color() == Qt::white ? TColor(0) : clWhite;
    const QColor qcolor = ToQColor(color);
    if (qcolor.isValid()) {
        QTextCharFormat format;
        format.setBackground(qcolor);
        Selection(*m_document, m_selStart, m_selLength).mergeCharFormat(format);
    }
    return previous;
}

namespace {

TjxRichEditFactory& Factory()
{
    static TjxRichEditFactory factory;
    return factory;
}

} // namespace

void SetRichEditClass(TjxRichEditFactory factory)
{
    Factory() = std::move(factory);
}

std::unique_ptr<TjxRichEdit> CreateRichEdit()
{
    std::lock_guard lock(RichTextLock());
    if (Factory())
        return Factory()();
    return std::make_unique<TjxRichEdit>();
}

} // namespace orvane
