#include "document/strings.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/stream_reader.h"
#include "document/stream_writer.h"

namespace orvane {

const TClassInfo& TStrings::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TStrings>("TStrings", &TPersistent::StaticClass())
            .Defined("Strings", &TStrings::ReadStrings, &TStrings::WriteStrings,
                     [](const TStrings& s) { return s.Count() > 0; })
            .Build();
    return info;
}

const QString& TStrings::Strings(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(MessageText(msg::ListIndexOutOfBounds, {QString::number(index)}));
    return m_lines[index];
}

void TStrings::SetStrings(int index, const QString& line)
{
    if (index < 0 || index >= Count())
        throw EListError(MessageText(msg::ListIndexOutOfBounds, {QString::number(index)}));
    m_lines[index] = line;
    Changed();
}

void TStrings::SetLines(const QStringList& lines)
{
    m_lines = lines;
    Changed();
}

int TStrings::Add(const QString& line)
{
    m_lines.append(line);
    Changed();
    return Count() - 1;
}

void TStrings::Insert(int index, const QString& line)
{
    if (index < 0 || index > Count())
        throw EListError(MessageText(msg::ListIndexOutOfBounds, {QString::number(index)}));
    m_lines.insert(index, line);
    Changed();
}

void TStrings::Delete(int index)
{
    if (index < 0 || index >= Count())
        throw EListError(MessageText(msg::ListIndexOutOfBounds, {QString::number(index)}));
    m_lines.removeAt(index);
    Changed();
}

void TStrings::Clear()
{
    if (m_lines.isEmpty())
        return;
    m_lines.clear();
    Changed();
}

int TStrings::IndexOf(QStringView line) const
{
    for (int i = 0; i < Count(); ++i)
        if (QStringView(m_lines[i]).compare(line, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString TStrings::Text() const
{
    QString text;
    for (const QString& line : m_lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    return text;
}

void TStrings::SetText(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        lines.append(text.mid(start, end - start).toString());
        if (end < n && text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n')
            ++end;
        start = end + 1;
    }
    SetLines(lines);
}

void TStrings::EndUpdate()
{
    if (m_updateCount > 0 && --m_updateCount == 0 && m_changedInUpdate) {
        m_changedInUpdate = false;
        Changed();
    }
}

void TStrings::Changed()
{
    if (m_updateCount > 0) {
        m_changedInUpdate = true;
        return;
    }
    if (OnChange)
        OnChange();
}

void TStrings::Assign(const TPersistent* source)
{
    if (const auto* other = dynamic_cast<const TStrings*>(source)) {
        SetLines(other->m_lines);
        return;
    }
    TPersistent::Assign(source);
}

void TStrings::ReadStrings(TReader& reader)
{
    reader.ReadListBegin();
    QStringList lines;
    while (!reader.EndOfList())
        lines.append(reader.ReadString());
    reader.ReadListEnd();
    SetLines(lines);
}

void TStrings::WriteStrings(TWriter& writer) const
{
    writer.WriteListBegin();
    for (const QString& line : m_lines)
        writer.WriteListItemString(line);
    writer.WriteListEnd();
}

} // namespace orvane
