#pragma once

// The object layer of a PDF file: numbered objects written as they come with
// their offsets kept for the cross-reference table, deflated streams, and the
// trailer. Writes are buffered; a failed write is remembered and reported by
// Finish.

#include "document/byte_append.h"

#include <QByteArray>
#include <cstdint>
#include <cstring>
#include <vector>

class QIODevice;
struct libdeflate_compressor;

namespace orvane {

// Appends a number as PDF writes it: at most three decimals, no exponent.
void PdfAppendNumber(QByteArray& out, double value);
void PdfAppendInt(QByteArray& out, int64_t value);
// A PDF string literal of arbitrary text (UTF-16BE with a byte-order mark
// when the text is not plain ASCII).
QByteArray PdfTextString(const QString& text);

// A page's content stream: its many short operators appended in place. It is
// a QByteArray for everything else.
class TPdfContent : public QByteArray {
public:
    TPdfContent& append(char c)
    {
        AppendByte(*this, c);
        return *this;
    }
    TPdfContent& append(const char* text)
    {
        AppendBytes(*this, text, qsizetype(std::strlen(text)));
        return *this;
    }
    TPdfContent& append(const QByteArray& bytes)
    {
        AppendBytes(*this, bytes.constData(), bytes.size());
        return *this;
    }
};

class TPdfFile {
public:
    // `level` is the deflate level of the streams.
    explicit TPdfFile(QIODevice* out, int level = 6);
    ~TPdfFile();
    TPdfFile(const TPdfFile&) = delete;
    TPdfFile& operator=(const TPdfFile&) = delete;

    // A new object number, to be written later with BeginObject.
    int Reserve();
    void BeginObject(int number);
    void EndObject();
    // A complete object: `dictionary` without its brackets.
    void WriteObject(int number, const QByteArray& body);
    // A stream object; `dictionary` is the entries besides Length and Filter.
    void WriteStream(int number, const QByteArray& dictionary, const char* data, size_t size, bool deflate = true);
    void WriteStream(int number, const QByteArray& dictionary, const QByteArray& data, bool deflate = true)
    {
        WriteStream(number, dictionary, data.constData(), size_t(data.size()), deflate);
    }
    // Raw stream data already in its final form (e.g. JPEG data with DCTDecode in `dictionary`).
    void Write(const char* data, size_t size);
    void Write(const QByteArray& data) { Write(data.constData(), size_t(data.size())); }

    // The cross-reference table and trailer; false when any write failed.
    bool Finish(int root, int info);
    bool Failed() const { return m_failed; }
    int64_t Offset() const { return m_offset; }

private:
    void Flush();

    QIODevice* m_out;
    libdeflate_compressor* m_compressor = nullptr;
    std::vector<int64_t> m_offsets{0};  // by object number; object 0 is the free list's head
    QByteArray m_buffer;
    QByteArray m_deflated;
    int64_t m_offset = 0;
    bool m_failed = false;
};

} // namespace orvane
