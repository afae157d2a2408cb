#pragma once

// Devices that write pages to a stream: one the caller supplies, or a file
// the device opens. A file is written beside its target under a temporary
// name and takes the target's place only when the job ends complete; a
// cancelled, failed or abandoned job leaves the target as it was.

#include "output/device.h"

#include <QByteArrayView>
#include <QIODevice>
#include <memory>

class QSaveFile;
class QTemporaryFile;

namespace orvane {

// An open scratch file in the temporary folder, its name starting with
// prefix; EPrintError "Unable to open file" (message 67) when there is none.
std::unique_ptr<QTemporaryFile> OpenScratchFile(const QString& prefix);

class TjxStreamDevice : public TjxDevice {
    ORVANE_CLASS(TjxStreamDevice, TjxDevice)
public:
    explicit TjxStreamDevice(TComponent* owner = nullptr);
    ~TjxStreamDevice() override;

    // The stream written to; one supplied from outside is not owned.
    QIODevice* Output() const { return m_output; }
    // Lets go of the previous output first (without completing it).
    virtual void SetOutput(QIODevice* stream);

    // Nothing for a count of 0; a short write raises EWriteError.
    void WriteBuffer(const char* data, qint64 count);
    void WriteBuffer(QByteArrayView data) { WriteBuffer(data.data(), data.size()); }

    void Cancel() override;
    void EndJob() override;
    void StartJob() override;

protected:
    virtual void CreateOutput() {}
    // Completes the output; the job has written everything.
    virtual void CloseOutput();
    // Drops the output without completing it (cancel, error, destruction).
    virtual void DiscardOutput();
    // Runs at the end of a job before the output is closed.
    virtual void CompleteOutput() {}
    // Discards the output and ends the job, after a failure.
    void FailJob();

private:
    QIODevice* m_output = nullptr;
    bool m_settingOutput = false;
};

class TjxFileDevice : public TjxStreamDevice {
    ORVANE_CLASS(TjxFileDevice, TjxStreamDevice)
public:
    explicit TjxFileDevice(TComponent* owner = nullptr);
    ~TjxFileDevice() override;

    // Class answers, which the device registry lists; the base answers empty texts.
    static QString ClassDefaultExt() { return {}; }
    static QString ClassFilter() { return {}; }
    static QString ClassDescription() { return {}; }
    // A device's own class answers, as registered under its DeviceName.
    QString DefaultExt() const;
    QString Filter() const;
    QString Description() const;

    bool CreatesFile() const { return m_createsFile; }
    virtual void SetCreatesFile(bool value);
    const QString& FileName() const { return m_fileName; }
    // Only while no job runs.
    virtual void SetFileName(const QString& value);

    void Write(const char* data, qint64 count) { WriteBuffer(data, count); }

    void ReceivePage(TjxPage* page) override;
    void StartJob() override;

protected:
    void CreateOutput() override { OpenFile(); }
    void CloseOutput() override;
    void DiscardOutput() override;
    // Opens the temporary file beside FileName; EPrintError "Unable to open file" on failure.
    virtual void OpenFile();
    // The status line for a page (none: accessing data).
    virtual void UpdateStatus(TjxPage* page);
    // Writes one requested page that is not a notice.
    virtual void WritePage(TjxPage* page) {}

private:
    bool m_createsFile = true;
    QString m_fileName;
    std::unique_ptr<QSaveFile> m_file;
};

} // namespace orvane
