#include "engine/text_pipeline.h"

#include "document/class_registry.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "engine/field.h"
#include "engine/pipeline_file.h"

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

QStringView TjxTextPipeline::Records::Value(int record, int column) const
{
    const size_t at = size_t(recordStart[size_t(record)] + column);
    return QStringView(text).mid(valueStart[at], valueStart[at + 1] - valueStart[at]);
}

QStringList TjxTextPipeline::Records::Record(int record) const
{
    QStringList values;
    for (int c = 0; c < ValueCount(record); ++c)
        values << Value(record, c).toString();
    return values;
}

TjxTextPipeline::Records TjxTextPipeline::ParseRecords(QStringView text, QChar delimiter)
{
    Records records;
    records.text.reserve(text.size());
    bool quoted = false;       // inside a quoted value
    bool anything = false;     // the record has begun
    qsizetype valueBegin = 0;  // where the current value's text begins
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < n && text[i + 1] == u'"') {
                    records.text += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                records.text += c;
            }
            continue;
        }
        if (c == u'"' && records.text.size() == valueBegin) {
            quoted = true;
            anything = true;
        } else if (c == delimiter) {
            records.EndValue();
            valueBegin = records.text.size();
            anything = true;
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            if (anything) {
                records.EndValue();
                records.EndRecord();
            }
            valueBegin = records.text.size();
            anything = false;
        } else {
            records.text += c;
            anything = true;
        }
    }
    if (anything) {
        records.EndValue();
        records.EndRecord();
    }
    records.text.squeeze();
    return records;
}

std::vector<QStringList> TjxTextPipeline::ParseDelimited(QStringView text, QChar delimiter)
{
    const Records records = ParseRecords(text, delimiter);
    std::vector<QStringList> result;
    result.reserve(size_t(records.Count()));
    for (int r = 0; r < records.Count(); ++r)
        result.push_back(records.Record(r));
    return result;
}

void TjxTextPipeline::OpenSource()
{
    m_records = Records();
    m_firstRecord = 0;
    const QString text = QString::fromUtf8(ReadRegularFile(m_fileName, kMaxFileSize));
    if (m_fileType == ftFixedLength) {
        // Views into the text: the records hold the only copy.
        const QList<QStringView> lines =
            QStringView(text).split(QRegularExpression(QStringLiteral("\r\n|\n|\r")), Qt::SkipEmptyParts);
        for (QStringView line : lines) {
            qsizetype at = 0;
            for (int f = 0; f < FieldCount(); ++f) {
                const int width = std::max(0, Fields(f)->FieldLength());
                m_records.text += line.mid(at, width).trimmed();
                m_records.EndValue();
                at += width;
            }
            m_records.EndRecord();
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
    m_records = ParseRecords(text, delimiter);
    QStringList names;
    if (m_fieldNamesInFirstLine && m_records.Count() > 0) {
        names = m_records.Record(0);
        m_firstRecord = 1;
    } else if (FieldCount() == 0 && m_records.Count() > 0) {
        for (int i = 0; i < m_records.ValueCount(0); ++i)
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
    const int record = row + m_firstRecord;
    const TjxField* field = Fields(column);
    column = column >= 0 && size_t(column) < m_columns.size() ? m_columns[size_t(column)] : -1;
    if (column < 0 || column >= m_records.ValueCount(record))
        return TVarValue::Null();
    const QStringView value = m_records.Value(record, column);
    const TVarValue text = TVarValue::WideString(value.toString());
    if (!field || field->DataType() == dtString || field->DataType() == dtMemo)
        return text;
    if (value.trimmed().isEmpty())
        return TVarValue::Null();
    return VarAsKind(text, VarKindOfDataType(field->DataType()));
}

} // namespace orvane
