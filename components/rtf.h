#pragma once

// The rich text format read into and written from QTextDocument.
//
// A rich text document is laid out in twips: its paint device has 1440 dots
// per inch, so indents, tab stops and picture sizes in the file are layout
// pixels unchanged, and every output device renders the one layout scaled.
// Character positions are the document's: a paragraph end counts one
// character, a picture counts one.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QTextFormat>

class QTextDocument;

namespace orvane {

inline constexpr int kRichTextDpi = 1440;

// Groups nested deeper than this make a file unreadable; a picture larger
// than these limits is left out.
inline constexpr int kRtfMaxDepth = 1000;
inline constexpr qsizetype kRtfMaxPictureBytes = 64 * 1024 * 1024;
inline constexpr qint64 kRtfMaxPicturePixels = 64 * 1024 * 1024;

// Format properties that keep what the document model has no place for:
// a list paragraph's first-line indent, a picture's file bytes and kind.
inline constexpr int kRtfListIndentProperty = QTextFormat::UserProperty + 1;
inline constexpr int kRtfPictureDataProperty = QTextFormat::UserProperty + 2;
inline constexpr int kRtfPictureJpegProperty = QTextFormat::UserProperty + 3;

// Sets the reference layout: twips, no document margin, design metrics.
void PrepareRichTextDocument(QTextDocument& document);

// Reads `bytes` into `document` (cleared first). Bytes that do not start with
// "{\rtf" are plain text (UTF-8 when valid, else Windows-1252). Damaged
// files load as far as they can be read; a file that cannot be read at all
// answers false with the reason in `error`, the document then undefined.
bool ReadRtf(QByteArrayView bytes, QTextDocument& document, QString* error = nullptr);

// 7-bit RTF: characters of Windows-1252 as \'hh, the others as \uN?.
QByteArray WriteRtf(const QTextDocument& document);

// RTF held in a string, as bytes for the reader: Windows-1252 characters as
// their bytes, the others as \uN escapes.
QByteArray RtfStringToBytes(QStringView text);

// Whether the bytes, or a string, are RTF rather than plain text.
bool IsRtf(QByteArrayView bytes);
bool IsRtf(QStringView text);

} // namespace orvane
