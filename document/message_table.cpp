#include "document/message_table.h"

#include "document/messages.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <charconv>

// Q_INIT_RESOURCE must run outside any namespace. The library is static, so
// without this call the linker would drop the compiled-in table.
static void InitDocumentResources()
{
    Q_INIT_RESOURCE(document);
}

namespace orvane {

namespace {

QString Unescape(QStringView raw)
{
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c == u'\\' && i + 1 < raw.size()) {
            const QChar next = raw[i + 1];
            if (next == u'n') { out += u'\n'; ++i; continue; }
            if (next == u't') { out += u'\t'; ++i; continue; }
            if (next == u'\\') { out += u'\\'; ++i; continue; }
        }
        out += c;
    }
    return out;
}

// The number left of "=", blanks around it allowed; 0 when it is not one.
int ParseKey(QStringView key)
{
    key = key.trimmed();
    if (key.isEmpty() || key.size() > 9)
        return 0;
    const QByteArray digits = key.toLatin1();
    int value = 0;
    const char* end = digits.constData() + digits.size();
    const auto [ptr, ec] = std::from_chars(digits.constData(), end, value);
    if (ec != std::errc() || ptr != end || value <= 0)
        return 0;
    return value;
}

} // namespace

TjxMessageTable TjxMessageTable::Parse(QByteArrayView data, TjxMessageTableIssues* issues)
{
    TjxMessageTableIssues found;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(data);
    found.invalidUtf8 = decoder.hasError();

    TjxMessageTable table;
    int lineNo = 0;
    for (QStringView line : QStringView(text).split(u'\n')) {
        ++lineNo;
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(u'#'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        const int key = eq < 0 ? 0 : ParseKey(line.left(eq));
        if (key == 0) {
            found.malformedLines.append(lineNo);
            continue;
        }
        const int n = MessageNumber(key);
        if (table.m_texts.contains(n))
            found.repeatedNumbers.append(n);
        table.m_texts.insert(n, Unescape(line.mid(eq + 1)));
    }
    if (issues)
        *issues = found;
    return table;
}

bool TjxMessageTable::Contains(int numberOrIdentifier) const
{
    return m_texts.contains(MessageNumber(numberOrIdentifier));
}

QString TjxMessageTable::Text(int numberOrIdentifier) const
{
    return m_texts.value(MessageNumber(numberOrIdentifier));
}

QList<int> TjxMessageTable::Numbers() const
{
    QList<int> numbers = m_texts.keys();
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

const TjxMessageTable& BuiltInMessages()
{
    static const TjxMessageTable table = [] {
        InitDocumentResources();
        QFile file(QStringLiteral(":/orvane/message_table_en.txt"));
        if (!file.open(QIODevice::ReadOnly))
            return TjxMessageTable();
        return TjxMessageTable::Parse(file.readAll());
    }();
    return table;
}

const QStringList& MessagePlaceholders()
{
    static const QStringList names = {
        QStringLiteral("<page>"),       QStringLiteral("<pagecount>"),   QStringLiteral("<documentname>"),
        QStringLiteral("<printername>"), QStringLiteral("<columnno>"),   QStringLiteral("<filename>"),
        QStringLiteral("<minbarwidth>"), QStringLiteral("<maxbarwidth>"), QStringLiteral("<character>"),
        QStringLiteral("<identifier>"), QStringLiteral("<name>"),        QStringLiteral("<count>"),
        QStringLiteral("<message>"),    QStringLiteral("<length>"),      QStringLiteral("<no>"),
    };
    return names;
}

QString FillPlaceholders(const QString& text, const QList<std::pair<QString, QString>>& values)
{
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(u'<', i);
        if (open < 0)
            break;
        out += QStringView(text).mid(i, open - i);
        const qsizetype close = text.indexOf(u'>', open + 1);
        const QString* value = nullptr;
        if (close > open) {
            const QStringView name = QStringView(text).mid(open + 1, close - open - 1);
            for (const auto& [key, val] : values) {
                if (key == name) {
                    value = &val;
                    break;
                }
            }
        }
        if (value) {
            out += MessageValue(*value);
            i = close + 1;
        } else {
            out += u'<';
            i = open + 1;
        }
    }
    out += QStringView(text).mid(i);
    return out;
}

} // namespace orvane
