#pragma once

// Hand-written files in the style of common Windows word processors' output.

#include <QDir>
#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

namespace orvane::test {

inline QString RtfCorpusFolder()
{
    return QStringLiteral(ORVANE_TEST_DATA "/rtf/corpus/");
}

// Every file of the corpus, by name; never empty.
inline QStringList RtfCorpus()
{
    const QStringList names = QDir(RtfCorpusFolder()).entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name);
    EXPECT_GE(names.size(), 8) << "the RTF corpus is missing";
    return names;
}

inline QByteArray RtfCorpusFile(const QString& name)
{
    QFile file(RtfCorpusFolder() + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

} // namespace orvane::test
