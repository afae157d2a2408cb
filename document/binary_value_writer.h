#pragma once

#include "document/byte_append.h"
#include "document/stream_value.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>
#include <QStringView>
#include <algorithm>
#include <cstdint>
#include <cstring>

namespace orvane {

// Appends the values of the binary component stream to a byte array.
// Knows encodings only; what to write for a property is the object layer's.
class TBinaryValueWriter {
public:
    explicit TBinaryValueWriter(QByteArray& out);

    void WriteSignature();
    void WriteByte(uint8_t value);
    void WriteBytes(QByteArrayView bytes);
    void WriteValueType(TValueType type);
    // 1 length byte and the code-page bytes, cut to 255 bytes.
    void WriteShortString(QStringView text);
    // The two texts as one short string: a property path and its name.
    void WriteShortString(QStringView first, QStringView second);
    // Same for text that is already single-byte.
    void WriteShortStringBytes(QByteArrayView bytes);
    void WriteShortStringBytes(QByteArrayView first, QByteArrayView second);
    void WriteListEnd();
    // Smallest of codes 2, 3, 4; code 19 beyond 32 bits.
    void WriteInteger(int64_t value);
    void WriteInt64(int64_t value);
    void WriteExtended(double value);
    void WriteSingle(float value);
    void WriteCurrency(int64_t scaledBy10000);
    void WriteDate(double value);
    void WriteBoolean(bool value);
    // Enumeration rule: False/True -> 8/9, nil -> 13, Null -> 0 (any case),
    // other names code 7.
    void WriteIdent(QStringView name);
    void WriteRawIdent(QStringView name);
    // The same two for a name already in the code page.
    void WriteIdentBytes(QByteArrayView name);
    void WriteRawIdentBytes(QByteArrayView name);
    // String and wide-string properties: code 6/12 for ASCII, code 20 when
    // UTF-8 is shorter than twice the UTF-16 units, else code 18.
    void WriteString(QStringView text);
    // String-list lines: code 20 when UTF-8 and the code page differ, else 6/12.
    void WriteListItemString(QStringView text);
    void WriteSet(const QStringList& memberNames);
    void WriteBinary(QByteArrayView bytes);
    // Nothing when flags is 0; the position follows only with cfChildPos.
    void WritePrefix(uint8_t flags, int position);
    void WriteNil();
    void WriteNull();

    qsizetype Position() const { return m_out.size(); }

private:
    char* Grow(qsizetype count) { return AppendRoom(m_out, count); }
    void Put(const char* data, qsizetype count) { AppendBytes(m_out, data, count); }

    void WriteUInt32(uint32_t value);
    void WriteUInt64(uint64_t value);
    void WriteSingleByteString(const QByteArray& bytes);
    // Code 6 or 12 straight from the units, which are their own bytes.
    void WriteAsciiString(QStringView text);

    QByteArray& m_out;
};

} // namespace orvane
