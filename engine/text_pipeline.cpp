#include "engine/text_pipeline.h"

#include "document/class_registry.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "engine/field.h"

#include <QFile>
#include <QRegularExpression>

namespace orvane {

const TClassInfo& TjxTextPipeline::StaticClass()
{
    using T = TjxTextPipeline;
    static const TClassInfo info =
        TClassBuilder<T>("TjxTextPipeline", &TjxCursorPipeline::StaticClass())
            .Creatable()
            .Prop("Delimiter", StringType(), &T::Delimiter, &T::SetDelimiter)
            .Prop("FieldNamesInFirstLine", BooleanType(), &T::FieldNamesInFirstLine, &T::SetFieldNamesInFirstLine)
            .Default(1)
            .Prop("FileName", StringType(), &T::FileName, &T::SetFileName)
            .Prop("FileType", FileTypeType(), &T::FileType, &T::SetFileType).Default(ftComma)
            .Build();
    return info;
}

ORVANE_REGISTER_CLASS(TjxTextPipeline);

TjxTextPipeline::TjxTextPipeline(TComponent* owner) : TjxCursorPipeline(owner) {}

std::vector<QStringList> TjxTextPipeline::ParseDelimited(QStringView text, QChar delimiter)
{
    std::vector<QStringList> records;
    QStringList record;
    QString value;
    bool quoted = false;       // inside a quoted value
    bool anything = false;     // the record has begun
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < n && text[i + 1] == u'"') {
                    value += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                value += c;
            }
            continue;
        }
        if (c == u'"' && value.isEmpty()) {
            quoted = true;
            anything = true;
        } else if (c == delimiter) {
            record << value;
            value.clear();
            anything = true;
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            if (anything || !value.isEmpty()) {
                record << value;
                records.push_back(record);
            }
            record.clear();
            value.clear();
            anything = false;
        } else {
            value += c;
            anything = true;
        }
    }
    if (anything || !value.isEmpty()) {
        record << value;
        records.push_back(record);
    }
    return records;
}

void TjxTextPipeline::OpenSource()
{
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EDataError(MessageText(msg::CannotOpenFile, {m_fileName, file.errorString()}));
    const QString text = QString::fromUtf8(file.readAll());
    m_rows.clear();
    if (m_fileType == ftFixedLength) {
        const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")), Qt::SkipEmptyParts);
        for (const QString& line : lines) {
            QStringList record;
            qsizetype at = 0;
            for (int f = 0; f < FieldCount(); ++f) {
                const int width = std::max(0, Fields(f)->FieldLength());
                record << line.mid(at, width).trimmed();
                at += width;
            }
            m_rows.push_back(record);
        }
        m_columns.clear();
        for (int f = 0; f < FieldCount(); ++f)
            m_columns.push_back(f);
        return;
    }
    QChar delimiter = u',';
    if (m_fileType == ftTab)
        delimiter = u'\t';
    else if (m_fileType == ftCustom)
        delimiter = m_delimiter.isEmpty() ? QChar(u',') : m_delimiter[0];
    m_rows = ParseDelimited(text, delimiter);
    QStringList names;
    if (m_fieldNamesInFirstLine && !m_rows.empty()) {
        names = m_rows.front();
        m_rows.erase(m_rows.begin());
    } else if (FieldCount() == 0 && !m_rows.empty()) {
        for (qsizetype i = 0; i < m_rows.front().size(); ++i)
            names << QStringLiteral("Field") + QString::number(i + 1);
    }
    // Fields defined beforehand keep their types; the header adds the others.
    for (const QString& name : names)
        if (!FieldObjects(name))
            AddField(name, dtString, 10);
    m_columns.clear();
    for (int f = 0; f < FieldCount(); ++f) {
        const qsizetype at = names.indexOf(Fields(f)->FieldName(), 0);
        m_columns.push_back(names.isEmpty() ? f : int(at));
    }
}

TVarValue TjxTextPipeline::SourceValue(int row, int column)
{
    const QStringList& record = m_rows[size_t(row)];
    const TjxField* field = Fields(column);
    column = column >= 0 && size_t(column) < m_columns.size() ? m_columns[size_t(column)] : -1;
    if (column < 0 || column >= record.size())
        return TVarValue::Null();
    const TVarValue text = TVarValue::WideString(record[column]);
    if (!field || field->DataType() == dtString || field->DataType() == dtMemo)
        return text;
    if (record[column].trimmed().isEmpty())
        return TVarValue::Null();
    return VarAsKind(text, VarKindOfDataType(field->DataType()));
}

} // namespace orvane
