#include "output/pdf/pdf_file.h"

#include <QIODevice>
#include <QString>
#include <charconv>
#include <cmath>
#include <libdeflate.h>

namespace orvane {

namespace {
constexpr qsizetype kFlushSize = 256 * 1024;
}

void PdfAppendInt(QByteArray& out, int64_t value)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    AppendBytes(out, buf, r.ptr - buf);
}

void PdfAppendNumber(QByteArray& out, double value)
{
    // Whole thousandths: enough below a device pixel at any resolution used.
    if (!std::isfinite(value))
        value = 0;
    const int64_t milli = std::llround(value * 1000.0);
    // Made whole on the stack, appended once.
    char buf[32];
    char* p = buf;
    if (milli < 0)
        *p++ = '-';
    const uint64_t a = milli < 0 ? uint64_t(0) - uint64_t(milli) : uint64_t(milli);
    p = std::to_chars(p, buf + 24, a / 1000).ptr;
    if (const int frac = int(a % 1000)) {
        *p++ = '.';
        *p++ = char('0' + frac / 100);
        if (frac % 100) {
            *p++ = char('0' + frac / 10 % 10);
            if (frac % 10)
                *p++ = char('0' + frac % 10);
        }
    }
    AppendBytes(out, buf, p - buf);
}

QByteArray PdfTextString(const QString& text)
{
    bool ascii = true;
    for (QChar c : text)
        if (c.unicode() < 32 || c.unicode() > 126)
            ascii = false;
    QByteArray out("(");
    if (ascii) {
        for (QChar c : text) {
            const char ch = char(c.unicode());
            if (ch == '(' || ch == ')' || ch == '\\')
                out.append('\\');
            out.append(ch);
        }
    } else {
        QByteArray bytes("\xFE\xFF", 2);
        for (QChar c : text) {
            bytes.append(char(c.unicode() >> 8));
            bytes.append(char(c.unicode() & 0xFF));
        }
        for (char ch : bytes) {
            if (ch == '(' || ch == ')' || ch == '\\')
                out.append('\\');
            if (ch == '\r') {
                out.append("\\r");
                continue;
            }
            out.append(ch);
        }
    }
    out.append(')');
    return out;
}

TPdfFile::TPdfFile(QIODevice* out, int level) : m_out(out), m_compressor(libdeflate_alloc_compressor(level))
{
    m_buffer.reserve(kFlushSize + 64 * 1024);
    Write(QByteArray("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n"));
}

TPdfFile::~TPdfFile()
{
    if (m_compressor)
        libdeflate_free_compressor(m_compressor);
}

int TPdfFile::Reserve()
{
    m_offsets.push_back(-1);
    return int(m_offsets.size() - 1);
}

void TPdfFile::Write(const char* data, size_t size)
{
    AppendBytes(m_buffer, data, qsizetype(size));
    m_offset += int64_t(size);
    if (m_buffer.size() >= kFlushSize)
        Flush();
}

void TPdfFile::Flush()
{
    if (m_buffer.isEmpty())
        return;
    if (!m_failed && (!m_out || m_out->write(m_buffer) != m_buffer.size()))
        m_failed = true;
    m_buffer.resize(0);
}

void TPdfFile::BeginObject(int number)
{
    if (number <= 0 || size_t(number) >= m_offsets.size()) {
        m_failed = true;
        return;
    }
    m_offsets[size_t(number)] = m_offset;
    QByteArray head;
    PdfAppendInt(head, number);
    head.append(" 0 obj\n");
    Write(head);
}

void TPdfFile::EndObject() { Write("\nendobj\n", 8); }

void TPdfFile::WriteObject(int number, const QByteArray& body)
{
    BeginObject(number);
    Write(body);
    EndObject();
}

void TPdfFile::WriteStream(int number, const QByteArray& dictionary, const char* data, size_t size, bool deflate)
{
    if (deflate && m_compressor) {
        const size_t bound = libdeflate_zlib_compress_bound(m_compressor, size);
        if (size_t(m_deflated.size()) < bound)
            m_deflated.resize(qsizetype(bound));
        const size_t n = libdeflate_zlib_compress(m_compressor, data, size, m_deflated.data(), bound);
        if (n == 0) {
            m_failed = true;
            return;
        }
        data = m_deflated.constData();
        size = n;
    }
    BeginObject(number);
    QByteArray head("<<");
    head.append(dictionary);
    if (deflate)
        head.append(" /Filter /FlateDecode");
    head.append(" /Length ");
    PdfAppendInt(head, int64_t(size));
    head.append(" >>\nstream\n");
    Write(head);
    Write(data, size);
    Write("\nendstream", 10);
    EndObject();
}

bool TPdfFile::Finish(int root, int info)
{
    const int64_t xref = m_offset;
    QByteArray table("xref\n0 ");
    PdfAppendInt(table, int64_t(m_offsets.size()));
    table.append("\n0000000000 65535 f \n");
    for (size_t i = 1; i < m_offsets.size(); ++i) {
        if (m_offsets[i] < 0) {
            // A reserved number never written: a broken file, not a valid one.
            m_failed = true;
            table.append("0000000000 65535 f \n");
            continue;
        }
        // Ten digits, zero-padded: each entry is exactly 20 bytes.
        char entry[20] = {'0', '0', '0', '0', '0', '0', '0', '0', '0', '0', ' ', '0', '0', '0', '0', '0', ' ', 'n', ' ', '\n'};
        int64_t value = m_offsets[i];
        for (int d = 9; d >= 0 && value > 0; --d, value /= 10)
            entry[d] = char('0' + value % 10);
        table.append(entry, 20);
    }
    table.append("trailer\n<< /Size ");
    PdfAppendInt(table, int64_t(m_offsets.size()));
    table.append(" /Root ");
    PdfAppendInt(table, root);
    table.append(" 0 R /Info ");
    PdfAppendInt(table, info);
    table.append(" 0 R >>\nstartxref\n");
    PdfAppendInt(table, xref);
    table.append("\n%%EOF\n");
    Write(table);
    Flush();
    return !m_failed;
}

} // namespace orvane
