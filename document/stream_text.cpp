#include "document/stream_text.h"

#include "document/binary_value_reader.h"
#include "document/binary_value_writer.h"
#include "document/code_page.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <string_view>
#include <vector>

namespace orvane {

namespace {

QByteArray Decimal(int64_t value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    return QByteArray(buffer, result.ptr - buffer);
}

constexpr qsizetype kStringLineChars = 64;
constexpr qsizetype kBinaryLineBytes = 32;
constexpr int kFixedDecimals = 18;
constexpr qsizetype kMaxLineLength = 4096;

// ---------------------------------------------------------------------------
// Number formatting

// Code 5 values; see the header for the forms.
QByteArray FormatExtended(double value)
{
    if (value == 0)
        return std::signbit(value) ? QByteArrayLiteral("-0.000000000000000000")
                                   : QByteArrayLiteral("0.000000000000000000");

    // The shortest digits that give the same double back: 16 or fewer for
    // everything a person typed, 17 where 16 would change the value.
    char buffer[64];
    char* end = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::scientific).ptr;

    // buffer holds [-]d[.ddd]e(+|-)xx
    const std::string_view text(buffer, end - buffer);
    const bool negative = text.front() == '-';
    const size_t ePos = text.find('e');
    std::string digits;
    for (char c : text.substr(negative ? 1 : 0, ePos - (negative ? 1 : 0))) {
        if (c != '.')
            digits += c;
    }
    int exponent = 0;
    const char* exponentStart = text.data() + ePos + 1;
    if (*exponentStart == '+')
        ++exponentStart;
    std::from_chars(exponentStart, text.data() + text.size(), exponent);
    const int last = int(digits.find_last_not_of('0'));

    QByteArray result;
    if (negative)
        result += '-';
    if (exponent >= 16 || exponent - last < -kFixedDecimals) {
        result += digits[0];
        result += '.';
        result += last > 0 ? QByteArray(digits.data() + 1, last) : QByteArray("0");
        result += exponent < 0 ? "E-" : "E+";
        result += Decimal(std::abs(exponent));
        return result;
    }
    std::string fraction;
    if (exponent >= 0) {
        if (digits.size() < size_t(exponent) + 1)
            digits.resize(size_t(exponent) + 1, '0');
        result += QByteArray(digits.data(), exponent + 1);
        fraction = digits.substr(exponent + 1);
    } else {
        result += '0';
        fraction = std::string(size_t(-exponent - 1), '0') + digits;
    }
    fraction.resize(kFixedDecimals, '0');
    result += '.';
    result += QByteArray(fraction.data(), kFixedDecimals);
    return result;
}

template <typename T>
QByteArray FormatShortest(T value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::general);
    return QByteArray(buffer, result.ptr - buffer);
}

QByteArray FormatCurrency(int64_t scaled)
{
    const bool negative = scaled < 0;
    const uint64_t magnitude = negative ? 0 - uint64_t(scaled) : uint64_t(scaled);
    QByteArray result;
    if (negative)
        result += '-';
    char buffer[24];
    result.append(buffer, std::to_chars(buffer, buffer + sizeof(buffer), magnitude / 10000).ptr - buffer);
    uint64_t fraction = magnitude % 10000;
    if (fraction != 0) {
        char digits[4];
        for (int i = 3; i >= 0; --i, fraction /= 10)
            digits[i] = char('0' + fraction % 10);
        int length = 4;
        while (digits[length - 1] == '0')
            --length;
        result += '.';
        result.append(digits, length);
    }
    return result;
}

bool IsIdentifierStart(uint8_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}

bool IsIdentifierChar(uint8_t c)
{
    return IsIdentifierStart(c) || (c >= '0' && c <= '9');
}

bool IsTextIdentifier(QByteArrayView text)
{
    if (text.isEmpty() || !IsIdentifierStart(uint8_t(text[0])))
        return false;
    return std::all_of(text.begin(), text.end(), [](char c) { return IsIdentifierChar(uint8_t(c)); });
}

// Identifiers joined by dots: property paths and component references.
bool IsTextPath(QByteArrayView text)
{
    qsizetype start = 0;
    for (;;) {
        const qsizetype dot = text.indexOf('.', start);
        if (!IsTextIdentifier(text.sliced(start, (dot < 0 ? text.size() : dot) - start)))
            return false;
        if (dot < 0)
            return true;
        start = dot + 1;
    }
}

// Words that end a component's properties in the text form.
bool IsStructureKeyword(QByteArrayView text)
{
    for (const char* keyword : {"end", "object", "inherited", "inline"})
        if (text.compare(QByteArrayView(keyword), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// ---------------------------------------------------------------------------
// Binary to text

class TBinaryToText {
public:
    explicit TBinaryToText(QByteArrayView binary) : m_reader(binary) {}

    QByteArray Convert()
    {
        m_reader.ReadSignature();
        try {
            ConvertObject(0);
        } catch (const EReadError& e) {
            if (m_located)
                throw;
            // A broken structure: say in which record and where.
            throw EReadError(StreamErrorAt(e.Message(), m_path.join(u'.'), m_reader.Position()));
        }
        return m_out;
    }

private:
    // Lists, collections and records count in the reader, as when loading.
    using TNesting = TBinaryValueReader::TNesting;

    void Indent(int level)
    {
        for (int i = 0; i < level; ++i)
            m_out += "  ";
    }

    void NewLine(int level)
    {
        m_out += "\r\n";
        Indent(level);
    }

    [[noreturn]] void ValueError(const QString& message)
    {
        m_located = true;
        throw EReadError(MessageText(msg::ErrorReading, {FromCodePage(m_objectName), QStringLiteral("."),
                                                         FromCodePage(m_propertyPath), message}));
    }

    // A value the reader refuses (a NaN or an infinity) fails as when loading.
    template <typename Read>
    auto CheckedValue(Read read)
    {
        try {
            return read();
        } catch (const EReadError& e) {
            ValueError(e.Message());
        }
    }

    void ConvertObject(int level)
    {
        TNesting nesting(m_reader);
        uint8_t flags = 0;
        int position = 0;
        const qsizetype recordStart = m_reader.Position();
        m_reader.ReadPrefix(flags, position);
        const QByteArrayView className = m_reader.ReadShortStringBytes();
        const QByteArrayView name = m_reader.ReadShortStringBytes();
        // Names that are no identifiers could not be read back from the text.
        if (!IsTextIdentifier(className) || (!name.isEmpty() && !IsTextIdentifier(name))) {
            m_located = true;
            throw EReadError(StreamErrorAt(GetMessage(msg::IdentifierExpected), m_path.join(u'.'), recordStart));
        }

        Indent(level);
        if (flags & cfInherited)
            m_out += "inherited ";
        else if (flags & cfInline)
            m_out += "inline ";
        else
            m_out += "object ";
        if (!name.isEmpty()) {
            m_out += name;
            m_out += ": ";
        }
        m_out += className;
        if (flags & cfChildPos) {
            m_out += " [";
            m_out += Decimal(position);
            m_out += ']';
        }
        m_out += "\r\n";

        const QByteArray outerName = m_objectName;
        m_objectName = (name.isEmpty() ? className : name).toByteArray();
        m_path.append(FromCodePage(m_objectName));
        while (!m_reader.EndOfList())
            ConvertProperty(level + 1);
        m_reader.ReadListEnd();
        while (!m_reader.EndOfList())
            ConvertObject(level + 1);
        m_reader.ReadListEnd();
        m_path.removeLast();  // not on errors: then it tells where
        m_objectName = outerName;

        Indent(level);
        m_out += "end\r\n";
    }

    void ConvertProperty(int level)
    {
        const QByteArrayView name = m_reader.ReadShortStringBytes();
        m_propertyPath = name.toByteArray();
        const qsizetype dot = name.indexOf('.');
        if (!IsTextPath(name) || IsStructureKeyword(dot < 0 ? name : name.first(dot)))
            ValueError(GetMessage(msg::IdentifierExpected));
        Indent(level);
        m_out += name;
        m_out += " = ";
        ConvertValue(level);
        m_out += "\r\n";
    }

    void ConvertValue(int level)
    {
        const TValueType code = m_reader.NextValue();
        switch (code) {
        case svList: {
            TNesting nesting(m_reader);
            m_reader.ReadValueType();
            m_out += '(';
            while (!m_reader.EndOfList()) {
                NewLine(level + 1);
                ConvertValue(level + 1);
            }
            m_reader.ReadListEnd();
            m_out += ')';
            return;
        }
        case svInt8:
        case svInt16:
        case svInt32:
        case svInt64:
            m_out += Decimal(m_reader.ReadInteger());
            return;
        case svExtended:
            m_out += FormatExtended(CheckedValue([&] { return m_reader.ReadFloat(); }));
            return;
        case svSingle:
            m_out += FormatShortest(CheckedValue([&] { return m_reader.ReadSingle(); }));
            m_out += 's';
            return;
        case svCurrency:
            m_out += FormatCurrency(m_reader.ReadCurrency());
            m_out += 'c';
            return;
        case svDate:
            m_out += FormatShortest(CheckedValue([&] { return m_reader.ReadDate(); }));
            m_out += 'd';
            return;
        case svString:
        case svLString: {
            m_reader.ReadValueType();
            const QByteArrayView bytes =
                code == svString ? m_reader.ReadShortStringBytes() : m_reader.ReadBytes(m_reader.ReadUInt32());
            WriteQuoted(bytes.size(), [&](qsizetype i) { return unsigned(uint8_t(bytes[i])); }, false, level);
            return;
        }
        case svWString:
        case svUtf8String: {
            const QString text = m_reader.ReadString();
            WriteQuoted(text.size(), [&](qsizetype i) { return unsigned(text[i].unicode()); }, true, level);
            return;
        }
        case svIdent: {
            m_reader.ReadValueType();
            const QByteArrayView ident = m_reader.ReadShortStringBytes();
            if (!IsTextPath(ident))
                ValueError(GetMessage(msg::InvalidPropertyValue));
            m_out += ident;
            return;
        }
        case svFalse:
        case svTrue:
        case svNil:
        case svNull:
            m_out += ToCodePage(m_reader.ReadIdent());
            return;
        case svSet: {
            m_reader.ReadValueType();
            m_out += '[';
            bool first = true;
            for (QByteArrayView member = m_reader.ReadShortStringBytes(); !member.isEmpty();
                 member = m_reader.ReadShortStringBytes()) {
                const bool number = std::all_of(member.begin(), member.end(), [](char c) { return c >= '0' && c <= '9'; });
                if (!number && !IsTextIdentifier(member))
                    ValueError(GetMessage(msg::InvalidPropertyValue));
                if (!first)
                    m_out += ", ";
                m_out += member;
                first = false;
            }
            m_out += ']';
            return;
        }
        case svCollection:
            ConvertCollection(level);
            return;
        case svBinary: {
            m_reader.ReadValueType();
            const QByteArrayView bytes = m_reader.ReadBytes(m_reader.ReadUInt32());
            static constexpr char kHex[] = "0123456789ABCDEF";
            m_out += '{';
            for (qsizetype i = 0; i < bytes.size(); ++i) {
                if (bytes.size() >= kBinaryLineBytes && i % kBinaryLineBytes == 0)
                    NewLine(level + 1);
                const auto byte = uint8_t(bytes[i]);
                m_out += kHex[byte >> 4];
                m_out += kHex[byte & 15];
            }
            m_out += '}';
            return;
        }
        default:
            ValueError(QString::fromLatin1(Decimal(code)));
        }
    }

    void ConvertCollection(int level)
    {
        TNesting nesting(m_reader);
        m_reader.ReadValueType();
        m_out += '<';
        const QByteArray outerPath = m_propertyPath;
        while (!m_reader.EndOfList()) {
            NewLine(level + 1);
            m_out += "item";
            const TValueType code = m_reader.NextValue();
            if (code == svInt8 || code == svInt16 || code == svInt32) {
                m_out += " [";
                m_out += Decimal(m_reader.ReadInteger());
                m_out += ']';
            }
            if (m_reader.ReadValueType() != svList) {
                m_propertyPath = outerPath;
                ValueError(GetMessage(msg::InvalidPropertyValue));
            }
            m_out += "\r\n";
            while (!m_reader.EndOfList())
                ConvertProperty(level + 2);
            m_reader.ReadListEnd();
            m_propertyPath = outerPath;
            Indent(level + 1);
            m_out += "end";
        }
        m_reader.ReadListEnd();
        m_out += '>';
    }

    // Quoted runs and #codes, at most 64 characters a line; a longer string
    // starts on its own line one level deeper than its property.
    template <typename CharAt>
    void WriteQuoted(qsizetype length, CharAt charAt, bool escapeHigh, int level)
    {
        if (length == 0) {
            m_out += "''";
            return;
        }
        const auto plain = [&](unsigned c) { return c >= 32 && c != '\'' && !(escapeHigh && c > 127); };
        const int lineLevel = level + 1;
        if (length > kStringLineChars)
            NewLine(lineLevel);
        qsizetype i = 0;
        qsizetype lineStart = 0;
        while (i < length) {
            const unsigned c = charAt(i);
            if (plain(c)) {
                m_out += '\'';
                do {
                    m_out += char(charAt(i));
                    ++i;
                } while (i < length && plain(charAt(i)) && i - lineStart < kStringLineChars);
                m_out += '\'';
            } else {
                m_out += '#';
                m_out += Decimal(c);
                ++i;
            }
            if (i - lineStart >= kStringLineChars && i < length) {
                m_out += " +";
                NewLine(lineLevel);
                lineStart = i;
            }
        }
    }

    TBinaryValueReader m_reader;
    QByteArray m_out;
    QByteArray m_objectName;
    QByteArray m_propertyPath;
    QStringList m_path;
    bool m_located = false;  // the error on its way out names its property
};

// ---------------------------------------------------------------------------
// Number parsing

// A decimal exponent so large or small that from_chars gives up still has an
// obvious value: infinity (which the caller refuses) or zero.
template <typename T>
T Saturated(std::string_view text)
{
    const bool negative = !text.empty() && text.front() == '-';
    const size_t ePos = text.find_first_of("eE");
    const std::string_view mantissa = text.substr(0, ePos);
    long long exponent = 0;
    if (ePos != std::string_view::npos) {
        const char* start = text.data() + ePos + 1;
        const char* end = text.data() + text.size();
        if (start < end && *start == '+')
            ++start;
        if (std::from_chars(start, end, exponent).ec != std::errc())
            exponent = (start < end && *start == '-') ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    }
    // Decimal exponent of the leading non-zero digit.
    bool afterPoint = false;
    bool found = false;
    long long integerDigits = 0;
    long long leadingZeros = 0;
    for (char c : mantissa) {
        if (c == '.') {
            afterPoint = true;
        } else if (c >= '0' && c <= '9') {
            found = found || c != '0';
            if (!afterPoint && found)
                ++integerDigits;
            else if (afterPoint && !found)
                ++leadingZeros;
        }
    }
    const long long position = integerDigits > 0 ? integerDigits - 1 : -1 - leadingZeros;
    const bool huge = found && position + exponent >= 0;
    const T magnitude = huge ? std::numeric_limits<T>::infinity() : T(0);
    return negative ? -magnitude : magnitude;
}

template <typename T>
bool ParseReal(std::string_view text, T& value)
{
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (result.ptr != text.data() + text.size())
        return false;
    if (result.ec == std::errc::result_out_of_range) {
        value = Saturated<T>(text);
        return true;
    }
    return result.ec == std::errc();
}

// Amount times 10000, from the exact decimal digits so that large amounts
// keep every digit; ties round to even.
bool ParseCurrency(std::string_view text, int64_t& scaled)
{
    if (text.find_first_of("eE") != std::string_view::npos) {
        double value = 0;
        if (!ParseReal(text, value))
            return false;
        const double rounded = std::nearbyint(value * 10000.0);
        if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0))
            return false;
        scaled = int64_t(rounded);
        return true;
    }
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    const size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (whole.empty() || fraction.find('.') != std::string_view::npos)
        return false;
    uint64_t magnitude = 0;
    const auto addDigit = [&](char c) {
        return c >= '0' && c <= '9' && !__builtin_mul_overflow(magnitude, 10u, &magnitude)
               && !__builtin_add_overflow(magnitude, unsigned(c - '0'), &magnitude);
    };
    for (char c : whole) {
        if (!addDigit(c))
            return false;
    }
    for (size_t i = 0; i < 4; ++i) {
        if (!addDigit(i < fraction.size() ? fraction[i] : '0'))
            return false;
    }
    if (fraction.size() > 4) {
        const std::string_view rest = fraction.substr(4);
        if (rest.find_first_not_of("0123456789") != std::string_view::npos)
            return false;
        const bool aboveHalf = rest[0] > '5' || (rest[0] == '5' && rest.find_first_not_of('0', 1) != std::string_view::npos);
        const bool half = rest[0] == '5' && !aboveHalf;
        if ((aboveHalf || (half && (magnitude & 1))) && __builtin_add_overflow(magnitude, 1u, &magnitude))
            return false;
    }
    const uint64_t limit = negative ? uint64_t(1) << 63 : (uint64_t(1) << 63) - 1;
    if (magnitude > limit)
        return false;
    scaled = negative ? int64_t(0 - magnitude) : int64_t(magnitude);
    return true;
}

// ---------------------------------------------------------------------------
// Text to binary

enum class TTokenKind { End, Symbol, Identifier, String, Integer, Float };

struct TToken {
    TTokenKind kind = TTokenKind::End;
    int line = 1;
    QByteArrayView text;        // identifiers and numbers, as written
    char symbol = 0;
    std::vector<char16_t> units; // string pieces: quoted bytes and #codes
    bool highCode = false;       // a #code of 128 or more
    int64_t integer = 0;
    double real = 0;
    float single = 0;
    char floatType = 0; // 0, 's', 'c' or 'd'
};

int HexDigit(uint8_t c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

class TTextToBinary {
public:
    explicit TTextToBinary(QByteArrayView text) : m_text(text), m_writer(m_out) {}

    QByteArray Convert()
    {
        CheckLineLength(0);
        NextToken();
        m_writer.WriteSignature();
        ConvertObject();
        return m_out;
    }

private:
    [[noreturn]] void ErrorOnLine(const QString& message, int line)
    {
        throw EParserError(FillMessage(GetMessage(msg::ParseErrorOnLine), {message, QString::fromLatin1(Decimal(line))}));
    }

    [[noreturn]] void Error(int id, const QString& argument = QString())
    {
        ErrorOnLine(FillMessage(GetMessage(id), {argument}), m_token.line);
    }

    uint8_t At(qsizetype position) const { return uint8_t(m_text[position]); }

    // The line that starts at lineStart must fit the 4096-byte line buffer.
    void CheckLineLength(qsizetype lineStart)
    {
        qsizetype end = m_text.indexOf('\n', lineStart);
        if (end < 0)
            end = m_text.size();
        qsizetype length = end - lineStart;
        if (length > 0 && end < m_text.size() && At(end - 1) == '\r')
            --length;
        if (length > kMaxLineLength)
            ErrorOnLine(GetMessage(msg::LineTooLong), m_line);
    }

    // Steps over one byte, counting lines.
    void Advance()
    {
        if (At(m_pos++) == '\n') {
            ++m_line;
            CheckLineLength(m_pos);
        }
    }

    void SkipBlanks()
    {
        while (m_pos < m_text.size() && At(m_pos) <= ' ')
            Advance();
    }

    void NextToken()
    {
        SkipBlanks();
        m_token.line = m_line;
        m_token.units.clear();
        m_token.highCode = false;
        m_token.floatType = 0;
        if (m_pos >= m_text.size()) {
            m_token.kind = TTokenKind::End;
            return;
        }
        const qsizetype start = m_pos;
        const uint8_t c = At(m_pos);
        if (IsIdentifierStart(c)) {
            while (m_pos < m_text.size() && IsIdentifierChar(At(m_pos)))
                ++m_pos;
            m_token.kind = TTokenKind::Identifier;
            m_token.text = m_text.sliced(start, m_pos - start);
        } else if (c == '\'' || c == '#') {
            ScanString();
        } else if (c == '$') {
            ScanHex();
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            ScanNumber();
        } else {
            ++m_pos;
            m_token.kind = TTokenKind::Symbol;
            m_token.symbol = char(c);
        }
    }

    void ScanString()
    {
        m_token.kind = TTokenKind::String;
        while (m_pos < m_text.size()) {
            const uint8_t c = At(m_pos);
            if (c == '\'') {
                ++m_pos;
                for (;;) {
                    if (m_pos >= m_text.size() || At(m_pos) == '\n' || At(m_pos) == '\r')
                        Error(msg::InvalidStringConstant);
                    const uint8_t b = At(m_pos++);
                    if (b == '\'') {
                        if (m_pos < m_text.size() && At(m_pos) == '\'') {
                            ++m_pos;
                        } else {
                            break;
                        }
                    }
                    m_token.units.push_back(b);
                }
            } else if (c == '#') {
                ++m_pos;
                uint32_t code = 0;
                qsizetype digits = 0;
                const bool hex = m_pos < m_text.size() && At(m_pos) == '$';
                if (hex)
                    ++m_pos;
                for (; m_pos < m_text.size(); ++m_pos, ++digits) {
                    const int digit = hex ? HexDigit(At(m_pos)) : (At(m_pos) >= '0' && At(m_pos) <= '9' ? At(m_pos) - '0' : -1);
                    if (digit < 0)
                        break;
                    code = code * (hex ? 16 : 10) + uint32_t(digit);
                    if (code > 0xFFFF)
                        Error(msg::InvalidStringConstant);
                }
                if (digits == 0)
                    Error(msg::InvalidStringConstant);
                if (code >= 128)
                    m_token.highCode = true;
                m_token.units.push_back(char16_t(code));
            } else {
                break;
            }
        }
    }

    void ScanHex()
    {
        const qsizetype start = ++m_pos;
        uint64_t value = 0;
        while (m_pos < m_text.size() && HexDigit(At(m_pos)) >= 0) {
            if (value >> 60)
                Error(msg::NumberExpected);
            value = value * 16 + uint64_t(HexDigit(At(m_pos++)));
        }
        if (m_pos == start)
            Error(msg::NumberExpected);
        m_token.kind = TTokenKind::Integer;
        m_token.text = m_text.sliced(start - 1, m_pos - start + 1);
        m_token.integer = int64_t(value);
    }

    void ScanNumber()
    {
        const qsizetype start = m_pos++;
        bool isFloat = false;
        while (m_pos < m_text.size() && At(m_pos) >= '0' && At(m_pos) <= '9')
            ++m_pos;
        while (m_pos < m_text.size()) {
            const uint8_t c = At(m_pos);
            if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-'))
                break;
            isFloat = true;
            ++m_pos;
        }
        const std::string_view number(m_text.data() + start, size_t(m_pos - start));
        m_token.text = m_text.sliced(start, m_pos - start);
        if (m_pos < m_text.size()) {
            const char suffix = char(At(m_pos) | 0x20);
            if (suffix == 's' || suffix == 'c' || suffix == 'd') {
                m_token.floatType = suffix;
                ++m_pos;
            }
        }

        bool valid = false;
        if (m_token.floatType == 's') {
            valid = ParseReal(number, m_token.single);
        } else if (m_token.floatType == 'c') {
            valid = ParseCurrency(number, m_token.integer);
        } else if (m_token.floatType == 'd' || isFloat) {
            valid = ParseReal(number, m_token.real);
        } else {
            const auto result = std::from_chars(number.data(), number.data() + number.size(), m_token.integer);
            valid = result.ec == std::errc() && result.ptr == number.data() + number.size();
        }
        if (!valid)
            Error(msg::NumberExpected);
        // Too large for a double: as a NaN or an infinity it is no stream value.
        if ((m_token.floatType == 's' && !std::isfinite(m_token.single))
            || ((m_token.floatType == 'd' || (isFloat && !m_token.floatType)) && !std::isfinite(m_token.real)))
            Error(msg::InvalidPropertyValue);
        m_token.kind = (isFloat || m_token.floatType) ? TTokenKind::Float : TTokenKind::Integer;
    }

    bool IsSymbol(char symbol) const { return m_token.kind == TTokenKind::Symbol && m_token.symbol == symbol; }

    bool IsKeyword(std::string_view keyword) const
    {
        if (m_token.kind != TTokenKind::Identifier || m_token.text.size() != qsizetype(keyword.size()))
            return false;
        for (size_t i = 0; i < keyword.size(); ++i) {
            if ((m_token.text[i] | 0x20) != keyword[i])
                return false;
        }
        return true;
    }

    bool IsObjectKeyword() const { return IsKeyword("object") || IsKeyword("inherited") || IsKeyword("inline"); }

    void Expect(char symbol)
    {
        if (!IsSymbol(symbol))
            Error(msg::CharExpected, QString(QLatin1Char(symbol)));
    }

    QByteArrayView ExpectIdentifier()
    {
        if (m_token.kind != TTokenKind::Identifier)
            Error(msg::IdentifierExpected);
        return m_token.text;
    }

    // Objects, lists and collections count as in the binary reader.
    void Enter()
    {
        if (m_depth >= kMaxStreamNesting)
            ErrorOnLine(NestingTooDeepMessage(), m_token.line);
        ++m_depth;
    }

    void Leave() { --m_depth; }

    // On return the current token is the component's "end".
    void ConvertObject()
    {
        if (!IsObjectKeyword())
            Error(msg::KeywordExpected, QStringLiteral("object"));
        Enter();
        uint8_t flags = IsKeyword("inherited") ? cfInherited : IsKeyword("inline") ? cfInline : 0;
        NextToken();
        QByteArrayView name;
        QByteArrayView className = ExpectIdentifier();
        NextToken();
        if (IsSymbol(':')) {
            NextToken();
            name = className;
            className = ExpectIdentifier();
            NextToken();
        }
        int position = 0;
        if (IsSymbol('[')) {
            NextToken();
            if (m_token.kind != TTokenKind::Integer)
                Error(msg::NumberExpected);
            if (m_token.integer < std::numeric_limits<int32_t>::min() || m_token.integer > std::numeric_limits<int32_t>::max())
                Error(msg::InvalidPropertyValue);
            position = int(m_token.integer);
            flags |= cfChildPos;
            NextToken();
            Expect(']');
            NextToken();
        }
        m_writer.WritePrefix(flags, position);
        m_writer.WriteShortStringBytes(className);
        m_writer.WriteShortStringBytes(name);

        while (!IsKeyword("end") && !IsObjectKeyword())
            ConvertProperty();
        m_writer.WriteListEnd();
        while (IsObjectKeyword()) {
            ConvertObject();
            NextToken();
        }
        m_writer.WriteListEnd();
        if (!IsKeyword("end"))
            Error(msg::KeywordExpected, QStringLiteral("end"));
        Leave();
    }

    void ConvertProperty()
    {
        QByteArray path = ExpectIdentifier().toByteArray();
        NextToken();
        while (IsSymbol('.')) {
            NextToken();
            path += '.';
            path += ExpectIdentifier();
            NextToken();
        }
        m_writer.WriteShortStringBytes(path);
        Expect('=');
        NextToken();
        ConvertValue();
    }

    // On return the current token is the one after the value.
    void ConvertValue()
    {
        switch (m_token.kind) {
        case TTokenKind::Identifier: {
            QByteArray ident = m_token.text.toByteArray();
            NextToken();
            while (IsSymbol('.')) {
                NextToken();
                ident += '.';
                ident += ExpectIdentifier();
                NextToken();
            }
            m_writer.WriteIdent(FromCodePage(ident));
            return;
        }
        case TTokenKind::String:
            m_writer.WriteString(ParseString());
            return;
        case TTokenKind::Integer:
            m_writer.WriteInteger(m_token.integer);
            NextToken();
            return;
        case TTokenKind::Float:
            switch (m_token.floatType) {
            case 's': m_writer.WriteSingle(m_token.single); break;
            case 'c': m_writer.WriteCurrency(m_token.integer); break;
            case 'd': m_writer.WriteDate(m_token.real); break;
            default: m_writer.WriteExtended(m_token.real); break;
            }
            NextToken();
            return;
        case TTokenKind::Symbol:
            switch (m_token.symbol) {
            case '(': ConvertList(); return;
            case '[': ConvertSet(); return;
            case '<': ConvertCollection(); return;
            case '{': ConvertBinary(); return;
            default: break;
            }
            break;
        case TTokenKind::End:
            break;
        }
        Error(msg::InvalidPropertyValue);
    }

    // Pieces joined with '+'; #codes of 128 or more make the whole string
    // UTF-16, otherwise it is code-page text.
    QString ParseString()
    {
        std::vector<char16_t> units = m_token.units;
        bool wide = m_token.highCode;
        NextToken();
        while (IsSymbol('+')) {
            NextToken();
            if (m_token.kind != TTokenKind::String)
                Error(msg::StringExpected);
            units.insert(units.end(), m_token.units.begin(), m_token.units.end());
            wide = wide || m_token.highCode;
            NextToken();
        }
        if (wide)
            return QString(reinterpret_cast<const QChar*>(units.data()), qsizetype(units.size()));
        QByteArray bytes(qsizetype(units.size()), Qt::Uninitialized);
        for (size_t i = 0; i < units.size(); ++i)
            bytes[qsizetype(i)] = char(units[i]);
        return FromCodePage(bytes);
    }

    void ConvertList()
    {
        Enter();
        NextToken();
        m_writer.WriteValueType(svList);
        while (!IsSymbol(')')) {
            if (m_token.kind == TTokenKind::End)
                Error(msg::CharExpected, QStringLiteral(")"));
            ConvertValue();
        }
        m_writer.WriteListEnd();
        NextToken();
        Leave();
    }

    void ConvertSet()
    {
        NextToken();
        m_writer.WriteValueType(svSet);
        if (!IsSymbol(']')) {
            for (;;) {
                if (m_token.kind != TTokenKind::Identifier && m_token.kind != TTokenKind::Integer)
                    Error(msg::IdentifierExpected);
                m_writer.WriteShortStringBytes(m_token.text);
                NextToken();
                if (!IsSymbol(','))
                    break;
                NextToken();
            }
        }
        Expect(']');
        m_writer.WriteByte(0);
        NextToken();
    }

    void ConvertCollection()
    {
        Enter();
        NextToken();
        m_writer.WriteValueType(svCollection);
        while (!IsSymbol('>')) {
            if (!IsKeyword("item"))
                Error(msg::KeywordExpected, QStringLiteral("item"));
            NextToken();
            if (IsSymbol('[')) {
                NextToken();
                // Readers take the order number only from codes 2 to 4.
                if (m_token.kind != TTokenKind::Integer)
                    Error(msg::NumberExpected);
                if (m_token.integer < std::numeric_limits<int32_t>::min()
                    || m_token.integer > std::numeric_limits<int32_t>::max())
                    Error(msg::InvalidPropertyValue);
                m_writer.WriteInteger(m_token.integer);
                NextToken();
                Expect(']');
                NextToken();
            }
            m_writer.WriteValueType(svList);
            while (!IsKeyword("end"))
                ConvertProperty();
            m_writer.WriteListEnd();
            NextToken();
        }
        m_writer.WriteListEnd();
        NextToken();
        Leave();
    }

    // The hex digits are read straight from the text: they may run over
    // several lines and are not tokens.
    void ConvertBinary()
    {
        QByteArray bytes;
        int high = -1;
        for (;;) {
            if (m_pos >= m_text.size())
                ErrorOnLine(GetMessage(msg::InvalidBinaryValue), m_line);
            const uint8_t c = At(m_pos);
            if (c == '}') {
                ++m_pos;
                break;
            }
            if (c <= ' ') {
                Advance();
                continue;
            }
            const int digit = HexDigit(c);
            if (digit < 0)
                ErrorOnLine(GetMessage(msg::InvalidBinaryValue), m_line);
            ++m_pos;
            if (high < 0) {
                high = digit;
            } else {
                bytes += char(high * 16 + digit);
                high = -1;
            }
        }
        if (high >= 0)
            ErrorOnLine(GetMessage(msg::InvalidBinaryValue), m_line);
        m_writer.WriteBinary(bytes);
        NextToken();
    }

    QByteArrayView m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
    int m_depth = 0;
    TToken m_token;
    QByteArray m_out;
    TBinaryValueWriter m_writer;
};

} // namespace

void ObjectBinaryToText(QByteArrayView binary, QByteArray& text)
{
    text = TBinaryToText(binary).Convert();
}

void ObjectTextToBinary(QByteArrayView text, QByteArray& binary)
{
    binary = TTextToBinary(text).Convert();
}

} // namespace orvane
