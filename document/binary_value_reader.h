#pragma once

#include "document/stream_value.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace orvane {

// Reads the values of a binary component stream from memory.
//
// Reading past the end throws EReadError "Stream read error". A typed read
// that meets a code of another kind throws EReadError "Invalid property
// value" and consumes nothing, so the caller can SkipValue() and go on.
// Lengths are checked against the remaining bytes before anything is
// allocated, and nesting is capped at kMaxNesting levels ("Nesting too
// deep"), so any garbage ends in one of these errors. NaN and infinite floats
// are not stream values: reading one is "Invalid property value".
class TBinaryValueReader {
public:
    static constexpr int kMaxNesting = kMaxStreamNesting;

    // One level of records, lists or collections while it is open; callers
    // that read structures themselves count them here too.
    class TNesting {
    public:
        explicit TNesting(TBinaryValueReader& reader);
        ~TNesting() { Leave(); }
        TNesting(const TNesting&) = delete;
        TNesting& operator=(const TNesting&) = delete;
        void Leave();

    private:
        TBinaryValueReader* m_reader = nullptr;
    };

    explicit TBinaryValueReader(QByteArrayView data, qsizetype start = 0);

    qsizetype Position() const { return m_pos; }
    void SetPosition(qsizetype position);
    bool AtEnd() const { return m_pos >= m_data.size(); }
    qsizetype Remaining() const { return m_data.size() - m_pos; }

    // "Invalid stream format" when the bytes there are not the signature.
    void ReadSignature();
    uint8_t ReadByte();
    QByteArrayView ReadBytes(qsizetype count);
    uint32_t ReadUInt32();
    TValueType ReadValueType();
    TValueType NextValue();
    bool EndOfList();
    // Consumes the 0 byte that ends a list; any other byte is a broken
    // structure and throws "Invalid property value" without consuming it.
    void ReadListEnd();
    // Reads the optional prefix byte; flags is 0 and position -1 without it,
    // position is -1 too when the flags have no cfChildPos.
    void ReadPrefix(uint8_t& flags, int& position);
    QString ReadShortString();
    QByteArrayView ReadShortStringBytes();

    // Codes 2, 3, 4, 19.
    int64_t ReadInteger();
    // Code 5 or any integer code.
    double ReadFloat();
    // Code 15 or any integer code.
    float ReadSingle();
    // Code 16, or an integer code holding a whole amount.
    int64_t ReadCurrency();
    // Code 17 or any integer code.
    double ReadDate();
    bool ReadBoolean();
    // Codes 7, 8, 9, 13, 0; the last four as "False", "True", "nil", "Null".
    QString ReadIdent();
    // Codes 6 and 12 from the code page, 18 from UTF-16, 20 from UTF-8.
    QString ReadString();
    QStringList ReadSet();
    QByteArray ReadBinary();

    int Nesting() const { return m_depth; }
    // After an error inside structures the reader did not close itself.
    void RestoreNesting(int depth) { m_depth = depth; }
    // A list opened and closed by the caller (the read operation of a defined
    // property) counts as a level in between.
    void EnterList();
    void LeaveList();

    // Consume exactly one encoding, lists and collections included.
    void SkipValue();
    // A short-string name and its value.
    void SkipProperty();
    // Properties and children of a record; with skipHeader, first its prefix,
    // class name and name.
    void SkipComponent(bool skipHeader);

private:
    [[noreturn]] void ReadPastEnd() const;
    [[noreturn]] void WrongKind(qsizetype valueStart);
    uint64_t ReadUInt(int size);
    void Skip(qsizetype count);

    QByteArrayView m_data;
    qsizetype m_pos = 0;
    int m_depth = 0;
};

// A reader's or converter's error with where it happened: the path of the
// records read so far (names, or class names for records without one) and the
// byte offset in the stream.
QString StreamErrorAt(const QString& message, const QString& recordPath, qsizetype offset);

// The message of a nesting deeper than kMaxStreamNesting.
QString NestingTooDeepMessage();

} // namespace orvane
