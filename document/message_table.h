#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

namespace orvane {

// Message n is the string with identifier 43000 + n. Callers cite messages in
// either form; the two ranges never overlap.
inline constexpr int kMessageIdentifierBase = 43000;

constexpr int MessageNumber(int numberOrIdentifier)
{
    return numberOrIdentifier > kMessageIdentifierBase ? numberOrIdentifier - kMessageIdentifierBase
                                                       : numberOrIdentifier;
}

// What was wrong with a table's text. Lines are counted from 1.
struct TjxMessageTableIssues {
    bool invalidUtf8 = false;
    QList<int> malformedLines;
    QList<int> repeatedNumbers;

    bool IsEmpty() const { return !invalidUtf8 && malformedLines.isEmpty() && repeatedNumbers.isEmpty(); }
};

// Message texts by number: the built-in English table, or one language module.
//
// Text form (UTF-8): one "number=text" a line, the text running to the end of
// the line with its blanks; "\n", "\t" and "\\" are the escapes; lines that
// start with "#" and blank lines are skipped. The number may be n or 43000 + n.
class TjxMessageTable {
public:
    TjxMessageTable() = default;

    // Malformed lines are skipped; a repeated number keeps its last text.
    static TjxMessageTable Parse(QByteArrayView data, TjxMessageTableIssues* issues = nullptr);

    bool Contains(int numberOrIdentifier) const;
    // Empty when the table has no text for the number.
    QString Text(int numberOrIdentifier) const;
    int Count() const { return int(m_texts.size()); }
    QList<int> Numbers() const;  // ascending

private:
    QHash<int, QString> m_texts;
};

// The English texts compiled into the library.
const TjxMessageTable& BuiltInMessages();

// The named placeholders that FormatMessage turns into "%s", in its order.
const QStringList& MessagePlaceholders();

// Replaces each "<name>" whose name has a value, wherever it stands, in one
// pass: values are not searched again. Unlike the positional "%s" form this
// stays right when a translation puts the placeholders in another order.
// Names are given without the angle brackets, for example {"page", "3"}.
QString FillPlaceholders(const QString& text, const QList<std::pair<QString, QString>>& values);

} // namespace orvane
