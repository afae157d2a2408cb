#include "output/stream_device.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/message_table.h"
#include "document/messages.h"
#include "output/device_registry.h"
#include "output/page.h"
#include "platform/file_io.h"

#include <QDir>
#include <QSaveFile>
#include <QTemporaryFile>

namespace orvane {

std::unique_ptr<QTemporaryFile> OpenScratchFile(const QString& prefix)
{
    // No usable temporary folder gives an empty path, which would put the
    // file in the current directory.
    const QString folder = QDir::tempPath();
    auto file = std::make_unique<QTemporaryFile>(QDir(folder).filePath(prefix + QStringLiteral("XXXXXX")));
    if (folder.isEmpty() || !file->open())
        throw EPrintError(FillPlaceholders(GetMessage(67), {{QStringLiteral("filename"), file->fileTemplate()}}));
    return file;
}

const TClassInfo& TjxStreamDevice::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxStreamDevice>("TjxStreamDevice", &TjxDevice::StaticClass()).Build();
    return info;
}

const TClassInfo& TjxFileDevice::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxFileDevice>("TjxFileDevice", &TjxStreamDevice::StaticClass()).Build();
    return info;
}

// Stream device.

TjxStreamDevice::TjxStreamDevice(TComponent* owner) : TjxDevice(owner) {}

// Each class drops what it owns; a caller's stream is only let go.
TjxStreamDevice::~TjxStreamDevice() { m_output = nullptr; }

void TjxStreamDevice::SetOutput(QIODevice* stream)
{
    if (m_settingOutput)
        return;
    m_settingOutput = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_settingOutput};
    if (m_output && m_output != stream)
        DiscardOutput();
    m_output = stream;
}

void TjxStreamDevice::WriteBuffer(const char* data, qint64 count)
{
    if (count <= 0)
        return;
    if (!m_output || m_output->write(data, count) != count)
        throw EWriteError(GetMessage(msg::StreamWriteError));
}

void TjxStreamDevice::CloseOutput() { m_output = nullptr; }

void TjxStreamDevice::DiscardOutput() { m_output = nullptr; }

void TjxStreamDevice::FailJob()
{
    DiscardOutput();
    AbandonJob();
}

void TjxStreamDevice::StartJob()
{
    if (JobRunning())
        return;
    if (!m_output)
        CreateOutput();
    TjxDevice::StartJob();
}

void TjxStreamDevice::EndJob()
{
    if (!JobRunning())
        return;
    try {
        CompleteOutput();
        if (m_output)
            CloseOutput();
    } catch (...) {
        FailJob();
        throw;
    }
    TjxDevice::EndJob();
}

void TjxStreamDevice::Cancel()
{
    DiscardOutput();
    TjxDevice::Cancel();
}

// File device.

TjxFileDevice::TjxFileDevice(TComponent* owner) : TjxStreamDevice(owner) {}

// An unfinished file is never committed: destroying the QSaveFile removes it.
TjxFileDevice::~TjxFileDevice() = default;

// The class answers live in the registry entry of the device's name.
QString TjxFileDevice::DefaultExt() const
{
    const TjxDeviceClass* c = DeviceClassByName(DeviceName());
    return c ? c->defaultExt : QString();
}

QString TjxFileDevice::Filter() const
{
    const TjxDeviceClass* c = DeviceClassByName(DeviceName());
    return c ? c->filter : QString();
}

QString TjxFileDevice::Description() const
{
    const TjxDeviceClass* c = DeviceClassByName(DeviceName());
    return c ? c->Description() : QString();
}

void TjxFileDevice::SetCreatesFile(bool value)
{
    if (!JobRunning())
        m_createsFile = value;
}

void TjxFileDevice::SetFileName(const QString& value)
{
    if (!JobRunning())
        m_fileName = value;
}

void TjxFileDevice::OpenFile()
{
    if (!m_createsFile)
        return;
    QString reason;
    std::unique_ptr<QSaveFile> file = OpenSaveFile(ResolveFileName(m_fileName), &reason);
    if (!file)
        throw EPrintError(FillPlaceholders(GetMessage(67), {{QStringLiteral("filename"), m_fileName}}) + u' ' +
                          reason);
    SetOutput(file.get());
    m_file = std::move(file);
}

void TjxFileDevice::CloseOutput()
{
    if (!m_file) {
        TjxStreamDevice::CloseOutput();
        return;
    }
    QString reason;
    const bool committed = CommitSaveFile(*m_file, &reason);
    m_file.reset();
    TjxStreamDevice::CloseOutput();
    if (!committed)
        throw EWriteError(MessageText(msg::CannotCreateFile, {m_fileName, reason}));
}

void TjxFileDevice::DiscardOutput()
{
    if (m_file) {
        m_file->cancelWriting();
        m_file.reset();
    }
    TjxStreamDevice::DiscardOutput();
}

void TjxFileDevice::StartJob()
{
    if (JobRunning())
        return;
    TjxStreamDevice::StartJob();
    UpdateStatus(nullptr);
}

void TjxFileDevice::ReceivePage(TjxPage* page)
{
    TjxDevice::ReceivePage(page);
    if (!PageIsRequested())
        return;
    UpdateStatus(page);
    // Pages that still arrive after a cancel belong to no output.
    if (!PageIsNotice() && JobRunning())
        WritePage(page);
}

void TjxFileDevice::UpdateStatus(TjxPage* page)
{
    if (!page) {
        SetStatusText(GetMessage(2));
        return;
    }
    // A notice page leaves the present text (the engine's progress) alone.
    if (PageIsNotice())
        return;
    const QList<std::pair<QString, QString>> values{
        {QStringLiteral("page"), QString::number(page->AbsolutePageNo())},
        {QStringLiteral("pagecount"), QString::number(page->AbsolutePageCount())},
        {QStringLiteral("documentname"), page->DocumentName()},
        {QStringLiteral("printername"), m_fileName},
    };
    const bool withCount = PageRequest()->PageSetting() == psAll && page->PassSetting() == psTwoPass;
    SetStatusText(FillPlaceholders(GetMessage(withCount ? 28 : 27), values));
}

} // namespace orvane
