#include "document/binary_value_reader.h"

#include "document/code_page.h"
#include "document/errors.h"
#include "document/extended_float.h"
#include "document/message_ids.h"
#include "document/messages.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace orvane {

namespace {

bool IsIntegerCode(uint8_t code)
{
    return code == svInt8 || code == svInt16 || code == svInt32 || code == svInt64;
}

} // namespace

QString NestingTooDeepMessage()
{
    return MessageText(msg::NestingTooDeep, {QString::number(kMaxStreamNesting)});
}

QString StreamErrorAt(const QString& message, const QString& recordPath, qsizetype offset)
{
    if (recordPath.isEmpty())
        return MessageText(msg::ErrorAtByte, {message, QString::number(offset)});
    return MessageText(msg::ErrorInComponentAtByte, {message, recordPath, QString::number(offset)});
}

TBinaryValueReader::TNesting::TNesting(TBinaryValueReader& reader)
{
    reader.EnterList();
    m_reader = &reader;
}

void TBinaryValueReader::TNesting::Leave()
{
    if (m_reader)
        m_reader->LeaveList();
    m_reader = nullptr;
}

void TBinaryValueReader::EnterList()
{
    if (m_depth >= kMaxNesting)
        throw EReadError(NestingTooDeepMessage());
    ++m_depth;
}

void TBinaryValueReader::LeaveList()
{
    if (m_depth > 0)
        --m_depth;
}

TBinaryValueReader::TBinaryValueReader(QByteArrayView data, qsizetype start) : m_data(data)
{
    SetPosition(start);
}

void TBinaryValueReader::SetPosition(qsizetype position)
{
    if (position < 0 || position > m_data.size())
        ReadPastEnd();
    m_pos = position;
}

void TBinaryValueReader::ReadPastEnd() const
{
    throw EReadError(GetMessage(msg::StreamReadError));
}

void TBinaryValueReader::WrongKind(qsizetype valueStart)
{
    m_pos = valueStart;
    throw EReadError(GetMessage(msg::InvalidPropertyValue));
}

void TBinaryValueReader::Skip(qsizetype count)
{
    if (count < 0 || count > Remaining())
        ReadPastEnd();
    m_pos += count;
}

void TBinaryValueReader::ReadSignature()
{
    const qsizetype available = std::min<qsizetype>(Remaining(), sizeof(kStreamSignature));
    // A short stream that starts like a signature is truncated, anything else
    // is not a stream at all.
    if (m_data.sliced(m_pos, available) != QByteArrayView(kStreamSignature, available))
        throw EReadError(GetMessage(msg::InvalidStreamFormat));
    Skip(sizeof(kStreamSignature));
}

uint8_t TBinaryValueReader::ReadByte()
{
    if (m_pos >= m_data.size())
        ReadPastEnd();
    return uint8_t(m_data[m_pos++]);
}

QByteArrayView TBinaryValueReader::ReadBytes(qsizetype count)
{
    const qsizetype start = m_pos;
    Skip(count);
    return m_data.sliced(start, count);
}

uint64_t TBinaryValueReader::ReadUInt(int size)
{
    const QByteArrayView bytes = ReadBytes(size);
    uint64_t value = 0;
    for (int i = 0; i < size; ++i)
        value |= uint64_t(uint8_t(bytes[i])) << (8 * i);
    return value;
}

uint32_t TBinaryValueReader::ReadUInt32()
{
    return uint32_t(ReadUInt(4));
}

TValueType TBinaryValueReader::ReadValueType()
{
    return TValueType(ReadByte());
}

TValueType TBinaryValueReader::NextValue()
{
    if (m_pos >= m_data.size())
        ReadPastEnd();
    return TValueType(uint8_t(m_data[m_pos]));
}

bool TBinaryValueReader::EndOfList()
{
    return NextValue() == svNull;
}

void TBinaryValueReader::ReadListEnd()
{
    if (NextValue() != svNull)
        throw EReadError(GetMessage(msg::InvalidPropertyValue));
    ++m_pos;
}

void TBinaryValueReader::ReadPrefix(uint8_t& flags, int& position)
{
    flags = 0;
    position = -1;
    if (NextValue() < kPrefixMarker)
        return;
    flags = ReadByte() & 0x0F;
    if (flags & cfChildPos) {
        const TValueType code = NextValue();
        if (code != svInt8 && code != svInt16 && code != svInt32)
            throw EReadError(GetMessage(msg::InvalidPropertyValue));
        position = int(ReadInteger());
    }
}

QByteArrayView TBinaryValueReader::ReadShortStringBytes()
{
    const uint8_t length = ReadByte();
    return ReadBytes(length);
}

QString TBinaryValueReader::ReadShortString()
{
    return FromCodePage(ReadShortStringBytes());
}

int64_t TBinaryValueReader::ReadInteger()
{
    const qsizetype start = m_pos;
    switch (ReadValueType()) {
    case svInt8: return int8_t(ReadUInt(1));
    case svInt16: return int16_t(ReadUInt(2));
    case svInt32: return int32_t(ReadUInt(4));
    case svInt64: return int64_t(ReadUInt(8));
    default: WrongKind(start);
    }
}

double TBinaryValueReader::ReadFloat()
{
    if (IsIntegerCode(NextValue()))
        return double(ReadInteger());
    const qsizetype start = m_pos;
    if (ReadValueType() != svExtended)
        WrongKind(start);
    const QByteArrayView bytes = ReadBytes(10);
    const double value = DecodeExtended(reinterpret_cast<const uint8_t*>(bytes.data()));
    if (!std::isfinite(value))
        WrongKind(start);
    return value;
}

float TBinaryValueReader::ReadSingle()
{
    if (IsIntegerCode(NextValue()))
        return float(ReadInteger());
    const qsizetype start = m_pos;
    if (ReadValueType() != svSingle)
        WrongKind(start);
    const float value = std::bit_cast<float>(uint32_t(ReadUInt(4)));
    if (!std::isfinite(value))
        WrongKind(start);
    return value;
}

int64_t TBinaryValueReader::ReadCurrency()
{
    const qsizetype start = m_pos;
    if (IsIntegerCode(NextValue())) {
        const int64_t amount = ReadInteger();
        constexpr int64_t kLimit = std::numeric_limits<int64_t>::max() / 10000;
        if (amount > kLimit || amount < -kLimit)
            WrongKind(start);
        return amount * 10000;
    }
    if (ReadValueType() != svCurrency)
        WrongKind(start);
    return int64_t(ReadUInt(8));
}

double TBinaryValueReader::ReadDate()
{
    if (IsIntegerCode(NextValue()))
        return double(ReadInteger());
    const qsizetype start = m_pos;
    if (ReadValueType() != svDate)
        WrongKind(start);
    const double value = std::bit_cast<double>(ReadUInt(8));
    if (!std::isfinite(value))
        WrongKind(start);
    return value;
}

bool TBinaryValueReader::ReadBoolean()
{
    const qsizetype start = m_pos;
    switch (ReadValueType()) {
    case svFalse: return false;
    case svTrue: return true;
    default: WrongKind(start);
    }
}

QString TBinaryValueReader::ReadIdent()
{
    const qsizetype start = m_pos;
    switch (ReadValueType()) {
    case svIdent: return ReadShortString();
    case svFalse: return QStringLiteral("False");
    case svTrue: return QStringLiteral("True");
    case svNil: return QStringLiteral("nil");
    case svNull: return QStringLiteral("Null");
    default: WrongKind(start);
    }
}

QString TBinaryValueReader::ReadString()
{
    const qsizetype start = m_pos;
    switch (ReadValueType()) {
    case svString: return FromCodePage(ReadShortStringBytes());
    case svLString: return FromCodePage(ReadBytes(ReadUInt32()));
    case svUtf8String: return QString::fromUtf8(ReadBytes(ReadUInt32()));
    case svWString: {
        const uint32_t units = ReadUInt32();
        if (units > uint64_t(Remaining()) / 2)
            ReadPastEnd();
        const QByteArrayView bytes = ReadBytes(qsizetype(units) * 2);
        QString text(qsizetype(units), Qt::Uninitialized);
        QChar* out = text.data();
        for (qsizetype i = 0; i < qsizetype(units); ++i)
            out[i] = QChar(char16_t(uint8_t(bytes[2 * i]) | (uint8_t(bytes[2 * i + 1]) << 8)));
        return text;
    }
    default: WrongKind(start);
    }
}

QStringList TBinaryValueReader::ReadSet()
{
    const qsizetype start = m_pos;
    if (ReadValueType() != svSet)
        WrongKind(start);
    QStringList members;
    for (;;) {
        const QByteArrayView name = ReadShortStringBytes();
        if (name.isEmpty())
            return members;
        members.append(FromCodePage(name));
    }
}

QByteArray TBinaryValueReader::ReadBinary()
{
    const qsizetype start = m_pos;
    if (ReadValueType() != svBinary)
        WrongKind(start);
    return ReadBytes(ReadUInt32()).toByteArray();
}

void TBinaryValueReader::SkipValue()
{
    const qsizetype start = m_pos;
    switch (ReadValueType()) {
    case svNull:
    case svFalse:
    case svTrue:
    case svNil:
        return;
    case svList: {
        TNesting nesting(*this);
        while (!EndOfList())
            SkipValue();
        ReadListEnd();
        return;
    }
    case svInt8: Skip(1); return;
    case svInt16: Skip(2); return;
    case svInt32: Skip(4); return;
    case svExtended: Skip(10); return;
    case svString:
    case svIdent:
        ReadShortStringBytes();
        return;
    case svBinary:
    case svLString:
    case svUtf8String:
        Skip(ReadUInt32());
        return;
    case svSet:
        while (!ReadShortStringBytes().isEmpty()) {
        }
        return;
    case svCollection: {
        TNesting nesting(*this);
        while (!EndOfList()) {
            const TValueType code = NextValue();
            if (code == svInt8 || code == svInt16 || code == svInt32)
                ReadInteger();
            if (ReadValueType() != svList)
                throw EReadError(GetMessage(msg::InvalidPropertyValue));
            while (!EndOfList())
                SkipProperty();
            ReadListEnd();
        }
        ReadListEnd();
        return;
    }
    case svSingle: Skip(4); return;
    case svCurrency:
    case svDate:
    case svInt64:
        Skip(8);
        return;
    case svWString:
        Skip(qsizetype(ReadUInt32()) * 2);
        return;
    default:
        WrongKind(start);
    }
}

void TBinaryValueReader::SkipProperty()
{
    ReadShortStringBytes();
    SkipValue();
}

void TBinaryValueReader::SkipComponent(bool skipHeader)
{
    TNesting nesting(*this);
    if (skipHeader) {
        uint8_t flags = 0;
        int position = 0;
        ReadPrefix(flags, position);
        ReadShortStringBytes();
        ReadShortStringBytes();
    }
    while (!EndOfList())
        SkipProperty();
    ReadListEnd();
    while (!EndOfList())
        SkipComponent(true);
    ReadListEnd();
}

} // namespace orvane
