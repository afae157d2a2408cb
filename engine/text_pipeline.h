#pragma once

#include "document/producer.h"
#include "engine/cursor_pipeline.h"

namespace orvane {

// Records of a text file: comma- or tab-separated, a custom delimiter, or
// fixed-length fields (each field's FieldLength characters). Delimited files
// follow the usual quoting: a value in double quotes may hold delimiters, line
// breaks and doubled quotes. The file is read as UTF-8 when opened.
class TjxTextPipeline : public TjxCursorPipeline {
    ORVANE_CLASS(TjxTextPipeline, TjxCursorPipeline)
public:
    explicit TjxTextPipeline(TComponent* owner = nullptr);

    const QString& FileName() const { return m_fileName; }
    void SetFileName(const QString& v) { SetField(m_fileName, v, "FileName"); }
    TjxFileType FileType() const { return m_fileType; }
    void SetFileType(TjxFileType v) { SetField(m_fileType, v, "FileType"); }
    const QString& Delimiter() const { return m_delimiter; }
    void SetDelimiter(const QString& v) { SetField(m_delimiter, v, "Delimiter"); }
    // The first record names the fields; otherwise fields are Field1, Field2, ... unless defined.
    bool FieldNamesInFirstLine() const { return m_fieldNamesInFirstLine; }
    void SetFieldNamesInFirstLine(bool v) { SetField(m_fieldNamesInFirstLine, v, "FieldNamesInFirstLine"); }

    // Splits delimited text into records (exposed for the file devices' round trip).
    static std::vector<QStringList> ParseDelimited(QStringView text, QChar delimiter);

protected:
    void OpenSource() override;
    void CloseSource() override { m_rows.clear(); }
    bool SourceRowAvailable(int row) override { return row >= 0 && size_t(row) < m_rows.size(); }
    TVarValue SourceValue(int row, int column) override;

private:
    QString m_fileName;
    TjxFileType m_fileType = ftComma;
    QString m_delimiter;
    bool m_fieldNamesInFirstLine = true;
    std::vector<QStringList> m_rows;
    std::vector<int> m_columns;  // the record column of each field
};

} // namespace orvane
