#pragma once

// The text file device exports the texts that the report marks for saving
// as records, one per band print: comma or tab separated, fixed length or run
// together.
//
// Text files (this device's and the report-emulation device's) are written in
// Windows-1252 when every character fits that code page, and in UTF-8 behind a
// byte order mark when one does not, so that no character is lost. Lines end
// in CR LF; the last line of the file has none.

#include "document/graphic_objects.h"
#include "document/producer.h"
#include "output/stream_device.h"

#include <functional>
#include <memory>

class QTemporaryFile;

namespace orvane {

class TjxDrawText;

// `text` made exactly `length` characters: cut when longer; when shorter,
// filled with blanks after it (left), before it (right), or around it
// (centred: half the blanks, rounded down, before).
QString FitToLength(const QString& text, int length, TAlignment alignment);

// The characters of one text file while its job runs. They collect in a
// temporary file as UTF-8 until the end, when the code page is known.
class TjxTextFileContent {
public:
    TjxTextFileContent();
    ~TjxTextFileContent();

    // A fresh temporary file; EPrintError "Unable to open file" when none can be made.
    void Start();
    // A page arrived: a job without any writes no file.
    void StartPage() { m_anyPage = true; }
    // One line; the line end goes before every line but the file's first.
    void AppendLine(QStringView line, bool lineEnds = true);
    // Writes the whole file to the device's output and lets go of the
    // temporary file; EPrintError when no page arrived.
    void WriteTo(TjxStreamDevice& device);
    void Discard();

private:
    void Append(QStringView text);

    std::unique_ptr<QTemporaryFile> m_file;
    bool m_anyPage = false;
    bool m_anyLine = false;
    bool m_codePage = true;  // every character so far fits Windows-1252
};

// The base of the text file devices: the file's characters collect in their
// content while the job runs.
class TjxCustomTextFileDevice : public TjxFileDevice {
    ORVANE_CLASS(TjxCustomTextFileDevice, TjxFileDevice)
public:
    using TjxFileDevice::TjxFileDevice;

    void StartJob() override;

protected:
    void CompleteOutput() override;
    void DiscardOutput() override;
    TjxTextFileContent& Content() { return m_content; }

private:
    TjxTextFileContent m_content;
};

class TjxTextFileDevice : public TjxCustomTextFileDevice {
    ORVANE_CLASS(TjxTextFileDevice, TjxCustomTextFileDevice)
public:
    // Called for every field with the device, the text component that
    // printed it and its text, which the hook may change.
    using TjxSaveTextEvent = std::function<void(TjxTextFileDevice* device, TComponent* component, QString& text)>;

    explicit TjxTextFileDevice(TComponent* owner = nullptr);
    ~TjxTextFileDevice() override;

    static QString ClassDeviceName() { return QStringLiteral("TextFile"); }
    static QString ClassDefaultExt() { return QStringLiteral("txt"); }
    static QString ClassFilter() { return QStringLiteral("Text files|*.TXT|All files|*.*"); }
    static QString ClassDescription();
    QString DeviceName() const override { return ClassDeviceName(); }

    TjxFileType FileType() const { return m_fileType; }
    // Only while no job runs.
    void SetFileType(TjxFileType value);
    // The report whose OnSaveText the producer's hook fires; not owned.
    TjxProducer* Report() const { return m_report; }
    void SetReport(TjxProducer* value) { m_report = value; }
    // Records written in the current or last job.
    int RecordCount() const { return m_recordCount; }

    TjxSaveTextEvent OnSaveText;

    void StartJob() override;

protected:
    void WritePage(TjxPage* page) override;

private:
    // One field's text as the file type writes it.
    QString FieldText(const TjxDrawText& command);

    TjxFileType m_fileType = ftComma;
    TjxProducer* m_report = nullptr;
    int m_recordCount = 0;
};

} // namespace orvane
