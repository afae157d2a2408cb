#pragma once

#include "document/producer.h"
#include "engine/cursor_pipeline.h"

namespace orvane {

// Records of a text file: comma- or tab-separated, a custom delimiter, or
// fixed-length fields (each field's FieldLength characters). Delimited files
// follow the usual quoting: a value in double quotes may hold delimiters, line
// breaks and doubled quotes. The file is read as UTF-8 when opened; only a
// regular file of at most kMaxFileSize bytes is read, anything else (a device,
// a FIFO, a folder, a larger file) fails to open with a message.
class TjxTextPipeline : public TjxCursorPipeline {
    ORVANE_CLASS(TjxTextPipeline, TjxCursorPipeline)
public:
    explicit TjxTextPipeline(TComponent* owner = nullptr);

    static constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

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

    // Records kept compactly: every value's text one after the other, where
    // each value starts and where each record's values start (both with a
    // closing entry), so a file costs about its own size in memory.
    struct Records {
        QString text;
        std::vector<qint32> valueStart{0};
        std::vector<qint32> recordStart{0};
        int Count() const { return int(recordStart.size()) - 1; }
        int ValueCount(int record) const { return recordStart[size_t(record) + 1] - recordStart[size_t(record)]; }
        QStringView Value(int record, int column) const;
        QStringList Record(int record) const;
        // The characters appended to `text` since the last value end a value.
        void EndValue() { valueStart.push_back(qint32(text.size())); }
        void EndRecord() { recordStart.push_back(qint32(valueStart.size() - 1)); }
    };

protected:
    void OpenSource() override;
    void CloseSource() override { m_records = Records(); }
    bool SourceRowAvailable(int row) override { return row >= 0 && row + m_firstRecord < m_records.Count(); }
    TVarValue SourceValue(int row, int column) override;

private:
    static Records ParseRecords(QStringView text, QChar delimiter);

    QString m_fileName;
    TjxFileType m_fileType = ftComma;
    QString m_delimiter;
    bool m_fieldNamesInFirstLine = true;
    Records m_records;
    int m_firstRecord = 0;      // 1 when the first record names the fields
    std::vector<int> m_columns;  // the record column of each field
};

} // namespace orvane
