#include "document/code_page.h"

#include <algorithm>
#include <array>

namespace orvane {

namespace {

// 0x80..0x9F; the rest of the code page is identical to Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Returns the byte for a UTF-16 unit, or -1 when the code page lacks it.
int ByteFor(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return unit;
    for (int i = 0; i < int(kHighControls.size()); ++i) {
        if (kHighControls[i] == unit)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

QByteArray ToCodePage(QStringView text)
{
    QByteArray result;
    AppendCodePage(result, text);
    return result;
}

void AppendCodePage(QByteArray& out, QStringView text)
{
    const qsizetype start = out.size();
    const qsizetype needed = start + text.size();
    if (out.capacity() < needed)
        out.reserve(std::max(needed, 2 * out.capacity()));
    out.resize(needed);
    out.resize(start + CodePageBytes(text, out.data() + start));
}

qsizetype CodePageBytes(QStringView text, char* out)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        const int byte = unit < 0x80 ? int(unit) : ByteFor(unit);
        if (byte >= 0) {
            out[n++] = char(byte);
            continue;
        }
        // A surrogate pair is one character and gets one '?'.
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        out[n++] = '?';
    }
    return n;
}

bool IsAscii(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

QString FromCodePage(QByteArrayView bytes)
{
    QString result(bytes.size(), Qt::Uninitialized);
    QChar* out = result.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        out[i] = (byte >= 0x80 && byte < 0xA0) ? QChar(kHighControls[byte - 0x80]) : QChar(byte);
    }
    return result;
}

bool IsCodePageRepresentable(QStringView text)
{
    for (QChar c : text) {
        if (ByteFor(c.unicode()) < 0)
            return false;
    }
    return true;
}

} // namespace orvane
