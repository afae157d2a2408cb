#pragma once

// Helpers many test files share: how gtest prints a QString, a temporary
// folder, writing a file's bytes, the message of the error an action throws,
// and a component stream in its other form.

#include "document/errors.h"
#include "document/stream_text.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <ostream>

#include <gtest/gtest.h>

// Found by argument-dependent lookup: QString lives in the global namespace.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace orvane::test {

struct TempFolder {
    QTemporaryDir dir;
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    // Every entry, hidden and special ones included, blank-separated.
    QString Entries() const
    {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
            .join(u' ');
    }
};

inline void WriteRaw(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(data), data.size());
}

// The message of the error the action throws; empty when it throws none.
inline QString ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EOrvaneError& error) {
        return error.Message();
    }
    return {};
}

inline QByteArray ToText(const QByteArray& binary)
{
    QByteArray text;
    ObjectBinaryToText(binary, text);
    return text;
}

inline QByteArray ToBinary(const QByteArray& text)
{
    QByteArray binary;
    ObjectTextToBinary(text, binary);
    return binary;
}

} // namespace orvane::test
