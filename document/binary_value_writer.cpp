#include "document/binary_value_writer.h"

#include "document/code_page.h"
#include "document/errors.h"
#include "document/extended_float.h"
#include "document/message_ids.h"
#include "document/messages.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace orvane {

namespace {

[[noreturn]] void WriteFailed()
{
    throw EWriteError(GetMessage(msg::StreamWriteError));
}

// Readers take the 4-byte counts as signed. Checked before the type byte is
// written, so a failed write leaves nothing behind.
uint32_t CheckedCount(qsizetype count)
{
    if (count < 0 || count > std::numeric_limits<int32_t>::max())
        WriteFailed();
    return uint32_t(count);
}

} // namespace

TBinaryValueWriter::TBinaryValueWriter(QByteArray& out) : m_out(out) {}

void TBinaryValueWriter::WriteSignature()
{
    Put(kStreamSignature, sizeof(kStreamSignature));
}

void TBinaryValueWriter::WriteByte(uint8_t value)
{
    *Grow(1) = char(value);
}

void TBinaryValueWriter::WriteBytes(QByteArrayView bytes)
{
    Put(bytes.data(), bytes.size());
}

void TBinaryValueWriter::WriteValueType(TValueType type)
{
    WriteByte(type);
}

void TBinaryValueWriter::WriteUInt32(uint32_t value)
{
    char bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = char(uint8_t(value >> (8 * i)));
    Put(bytes, 4);
}

void TBinaryValueWriter::WriteUInt64(uint64_t value)
{
    char bytes[8];
    for (int i = 0; i < 8; ++i)
        bytes[i] = char(uint8_t(value >> (8 * i)));
    Put(bytes, 8);
}

void TBinaryValueWriter::WriteShortString(QStringView text)
{
    WriteShortString(QStringView(), text);
}

void TBinaryValueWriter::WriteShortString(QStringView first, QStringView second)
{
    // At most 255 units give at most 255 bytes: the length byte is set after.
    first = first.first(std::min<qsizetype>(first.size(), 255));
    second = second.first(std::min<qsizetype>(second.size(), 255 - first.size()));
    const qsizetype units = first.size() + second.size();
    char* bytes = Grow(1 + units);
    const qsizetype length = CodePageBytes(first, bytes + 1);
    const qsizetype total = length + CodePageBytes(second, bytes + 1 + length);
    bytes[0] = char(uint8_t(total));
    // A surrogate pair is one byte: give back what it did not use.
    if (total < units)
        m_out.chop(units - total);
}

void TBinaryValueWriter::WriteShortStringBytes(QByteArrayView bytes)
{
    WriteShortStringBytes(QByteArrayView(), bytes);
}

void TBinaryValueWriter::WriteShortStringBytes(QByteArrayView first, QByteArrayView second)
{
    first = first.first(std::min<qsizetype>(first.size(), 255));
    second = second.first(std::min<qsizetype>(second.size(), 255 - first.size()));
    char* bytes = Grow(1 + first.size() + second.size());
    bytes[0] = char(uint8_t(first.size() + second.size()));
    // Empty views may have no data pointer at all.
    if (!first.isEmpty())
        std::memcpy(bytes + 1, first.data(), size_t(first.size()));
    if (!second.isEmpty())
        std::memcpy(bytes + 1 + first.size(), second.data(), size_t(second.size()));
}

void TBinaryValueWriter::WriteListEnd()
{
    WriteByte(svNull);
}

void TBinaryValueWriter::WriteInteger(int64_t value)
{
    if (value >= -128 && value <= 127) {
        const char bytes[2] = {char(svInt8), char(uint8_t(value))};
        Put(bytes, 2);
    } else if (value >= -32768 && value <= 32767) {
        const char bytes[3] = {char(svInt16), char(uint8_t(value)), char(uint8_t(value >> 8))};
        Put(bytes, 3);
    } else if (value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max()) {
        WriteValueType(svInt32);
        WriteUInt32(uint32_t(value));
    } else {
        WriteValueType(svInt64);
        WriteUInt64(uint64_t(value));
    }
}

void TBinaryValueWriter::WriteInt64(int64_t value)
{
    WriteInteger(value);
}

// NaN and infinities have no place in a stream: no reader takes them back.
static void CheckFinite(double value)
{
    if (!std::isfinite(value))
        WriteFailed();
}

void TBinaryValueWriter::WriteExtended(double value)
{
    CheckFinite(value);
    uint8_t bytes[10];
    EncodeExtended(value, bytes);
    WriteValueType(svExtended);
    WriteBytes(QByteArrayView(bytes, 10));
}

void TBinaryValueWriter::WriteSingle(float value)
{
    CheckFinite(value);
    WriteValueType(svSingle);
    WriteUInt32(std::bit_cast<uint32_t>(value));
}

void TBinaryValueWriter::WriteCurrency(int64_t scaledBy10000)
{
    WriteValueType(svCurrency);
    WriteUInt64(uint64_t(scaledBy10000));
}

void TBinaryValueWriter::WriteDate(double value)
{
    CheckFinite(value);
    WriteValueType(svDate);
    WriteUInt64(std::bit_cast<uint64_t>(value));
}

void TBinaryValueWriter::WriteBoolean(bool value)
{
    WriteValueType(value ? svTrue : svFalse);
}

void TBinaryValueWriter::WriteIdent(QStringView name)
{
    // Only names of three to five letters can be one of the four words.
    if (name.size() >= 3 && name.size() <= 5) {
        if (name.compare(u"False", Qt::CaseInsensitive) == 0)
            return WriteValueType(svFalse);
        if (name.compare(u"True", Qt::CaseInsensitive) == 0)
            return WriteValueType(svTrue);
        if (name.compare(u"nil", Qt::CaseInsensitive) == 0)
            return WriteValueType(svNil);
        if (name.compare(u"Null", Qt::CaseInsensitive) == 0)
            return WriteValueType(svNull);
    }
    WriteRawIdent(name);
}

void TBinaryValueWriter::WriteRawIdent(QStringView name)
{
    WriteValueType(svIdent);
    WriteShortString(name);
}

void TBinaryValueWriter::WriteIdentBytes(QByteArrayView name)
{
    if (name.size() >= 3 && name.size() <= 5) {
        if (name.compare("False", Qt::CaseInsensitive) == 0)
            return WriteValueType(svFalse);
        if (name.compare("True", Qt::CaseInsensitive) == 0)
            return WriteValueType(svTrue);
        if (name.compare("nil", Qt::CaseInsensitive) == 0)
            return WriteValueType(svNil);
        if (name.compare("Null", Qt::CaseInsensitive) == 0)
            return WriteValueType(svNull);
    }
    WriteRawIdentBytes(name);
}

void TBinaryValueWriter::WriteRawIdentBytes(QByteArrayView name)
{
    WriteValueType(svIdent);
    WriteShortStringBytes(name);
}

void TBinaryValueWriter::WriteSingleByteString(const QByteArray& bytes)
{
    if (bytes.size() < 256) {
        WriteValueType(svString);
        WriteByte(uint8_t(bytes.size()));
    } else {
        const uint32_t count = CheckedCount(bytes.size());
        WriteValueType(svLString);
        WriteUInt32(count);
    }
    WriteBytes(bytes);
}

void TBinaryValueWriter::WriteString(QStringView text)
{
    if (IsAscii(text)) {
        WriteAsciiString(text);
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    // Empty text is written as the two-byte code 6 form: both encodings are
    // empty, and string-list lines use the same form, so text conversions
    // give the same bytes back.
    if (utf8.size() < 2 * text.size() || text.isEmpty()) {
        const QByteArray single = ToCodePage(text);
        if (single == utf8) {
            WriteSingleByteString(single);
        } else {
            const uint32_t count = CheckedCount(utf8.size());
            WriteValueType(svUtf8String);
            WriteUInt32(count);
            WriteBytes(utf8);
        }
        return;
    }
    const uint32_t count = CheckedCount(text.size());
    WriteValueType(svWString);
    WriteUInt32(count);
    char* bytes = Grow(2 * text.size());
    for (QChar unit : text) {
        *bytes++ = char(uint8_t(unit.unicode()));
        *bytes++ = char(uint8_t(unit.unicode() >> 8));
    }
}

void TBinaryValueWriter::WriteAsciiString(QStringView text)
{
    if (text.size() < 256) {
        const char head[2] = {char(svString), char(uint8_t(text.size()))};
        Put(head, 2);
    } else {
        const uint32_t count = CheckedCount(text.size());
        WriteValueType(svLString);
        WriteUInt32(count);
    }
    char* bytes = Grow(text.size());
    for (QChar unit : text)
        *bytes++ = char(unit.unicode());
}

void TBinaryValueWriter::WriteListItemString(QStringView text)
{
    if (IsAscii(text)) {
        WriteAsciiString(text);
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    const QByteArray single = ToCodePage(text);
    if (single != utf8) {
        const uint32_t count = CheckedCount(utf8.size());
        WriteValueType(svUtf8String);
        WriteUInt32(count);
        WriteBytes(utf8);
    } else {
        WriteSingleByteString(single);
    }
}

void TBinaryValueWriter::WriteSet(const QStringList& memberNames)
{
    WriteValueType(svSet);
    for (const QString& name : memberNames) {
        // An empty name would end the set early and shift everything after it.
        if (!name.isEmpty())
            WriteShortString(name);
    }
    WriteByte(0);
}

void TBinaryValueWriter::WriteBinary(QByteArrayView bytes)
{
    const uint32_t count = CheckedCount(bytes.size());
    WriteValueType(svBinary);
    WriteUInt32(count);
    WriteBytes(bytes);
}

void TBinaryValueWriter::WritePrefix(uint8_t flags, int position)
{
    flags &= cfInherited | cfChildPos | cfInline;
    if (flags == 0)
        return;
    WriteByte(kPrefixMarker | flags);
    if (flags & cfChildPos)
        WriteInteger(position);
}

void TBinaryValueWriter::WriteNil()
{
    WriteValueType(svNil);
}

void TBinaryValueWriter::WriteNull()
{
    WriteValueType(svNull);
}

} // namespace orvane
