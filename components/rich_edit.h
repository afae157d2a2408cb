#pragma once

// The content of a rich text component: a document with the operations the
// component, scripts and text search use on it.

#include "document/graphic_objects.h"

#include <QByteArray>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>

#include <functional>
#include <memory>
#include <vector>

class QTextDocument;

namespace orvane {

class TjxRichEdit {
public:
    TjxRichEdit();
    virtual ~TjxRichEdit();
    TjxRichEdit(const TjxRichEdit&) = delete;
    TjxRichEdit& operator=(const TjxRichEdit&) = delete;

    QTextDocument& Document() { return *m_document; }
    const QTextDocument& Document() const { return *m_document; }

    // Rich text, or plain text when it does not start with "{\rtf". A load
    // that fails raises EOrvaneError and leaves the content as it was.
    void LoadFromBytes(QByteArrayView bytes);
    // A string holding rich text or plain text.
    void LoadFromString(const QString& text);
    void LoadFromFile(const QString& fileName);
    // 7-bit rich text.
    QByteArray SaveToBytes() const;
    // Written whole or not at all.
    void SaveToFile(const QString& fileName) const;
    // The content of another edit, copied.
    void Assign(const TjxRichEdit& source);
    void Clear();

    // Characters: a paragraph end and a picture count one each.
    int CharCount() const;
    // Paragraphs separated by a line feed, so that positions match the text's.
    QString PlainText() const;
    // Paragraphs separated by carriage return and line feed.
    QString Text() const;
    // The characters from `start` for `length`, as PlainText has them.
    QString TextRange(int start, int length) const;

    int SelStart() const { return m_selStart; }
    void SetSelStart(int value);
    int SelLength() const { return m_selLength; }
    void SetSelLength(int value);
    QString SelText() const;
    // Replaces the selection with plain text in the format of its first character.
    void SetSelText(const QString& text);
    QTextCharFormat SelAttributes() const;
    void SetSelAttributes(const QTextCharFormat& format);
    // The format of the paragraph the selection starts in.
    QTextBlockFormat Paragraph() const;
    void SetParagraph(const QTextBlockFormat& format);

    // Searches forward from `start` within `length` characters (−1: to the
    // end); the position found or −1.
    int FindText(const QString& text, int start, int length, bool matchCase, bool wholeWord) const;
    // Gives the selection a background; answers the one it had (none: black
    // for white text, else white).
    TColor SetSelectionBackground(TColor color);

    // A line of the reference layout, in twips.
    struct TLine {
        double top = 0;
        double bottom = 0;
        int start = 0; // first character
        int end = 0;   // one past the last, the paragraph end included
    };

private:
    friend class TjxRTFEngine;
    // The document's lines at a width, laid out once per content and width.
    const std::vector<TLine>& Lines(int width) const;
    void ContentReplaced() { m_linesWidth = -1; }

    std::unique_ptr<QTextDocument> m_document;
    mutable std::vector<TLine> m_lines;
    mutable int m_linesWidth = -1;
    mutable int m_linesRevision = -1;
    int m_selStart = 0;
    int m_selLength = 0;
};

// The class that makes content controls; the default makes TjxRichEdit.
using TjxRichEditFactory = std::function<std::unique_ptr<TjxRichEdit>()>;
void SetRichEditClass(TjxRichEditFactory factory);
std::unique_ptr<TjxRichEdit> CreateRichEdit();

} // namespace orvane
