#include "document/template.h"

#include "document/class_registry.h"
#include "document/dialog_registry.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/stream_text.h"
#include "document/stream_writer.h"
#include "platform/file_io.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <cerrno>

namespace orvane {

const TTypeInfo& SaveToTypeType()
{
    static const TTypeInfo& t = EnumType("TjxSaveToType", {"stDatabase", "stFile"});
    return t;
}

const TTypeInfo& FormatTypeType()
{
    static const TTypeInfo& t = EnumType("TjxFormatType", {"ftBinary", "ftASCII"});
    return t;
}

// ---- database settings ----

const TClassInfo& TjxTemplateDBSettings::StaticClass()
{
    using T = TjxTemplateDBSettings;
    static const TClassInfo info =
        TClassBuilder<T>("TjxTemplateDBSettings", &TPersistent::StaticClass())
            .Prop("DataPipeline", ClassType(), &T::DataPipeline, &T::SetDataPipeline)
            .Prop("Name", StringType(), &T::Name, &T::SetName)
            .Prop("NameField", StringType(), &T::NameField, &T::SetNameField)
            .Prop("TemplateField", StringType(), &T::TemplateField, &T::SetTemplateField)
            .Build();
    return info;
}

void TjxTemplateDBSettings::Assign(const TPersistent* source)
{
    const auto* o = dynamic_cast<const TjxTemplateDBSettings*>(source);
    if (!o)
        return TPersistent::Assign(source);
    m_dataPipeline = o->m_dataPipeline;
    m_name = o->m_name;
    m_nameField = o->m_nameField;
    m_templateField = o->m_templateField;
}

const TClassInfo& TjxCustomTemplateErrorDialog::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxCustomTemplateErrorDialog>("TjxCustomTemplateErrorDialog", &TComponent::StaticClass()).Build();
    return info;
}

// ---- settings ----

const TClassInfo& TjxCustomTemplate::StaticClass()
{
    using T = TjxCustomTemplate;
    static const TClassInfo info =
        TClassBuilder<T>("TjxCustomTemplate", &TPersistent::StaticClass())
            .Prop("DatabaseSettings", ClassType(), &T::DatabaseSettings, &T::SetDatabaseSettings)
            .Prop("FileName", StringType(), &T::FileName, &T::SetFileName)
            .Prop("Offset", IntegerType(), &T::Offset, &T::SetOffset).Default(0)
            .Prop("SaveTo", SaveToTypeType(), &T::SaveTo, &T::SetSaveTo).Default(stFile)
            .Prop("ShowBusyCursor", BooleanType(), &T::ShowBusyCursor, &T::SetShowBusyCursor).Default(1)
            .Prop("Format", FormatTypeType(), &T::Format, &T::SetFormat).Default(ftBinary)
            .Build();
    return info;
}

TjxCustomTemplate::TjxCustomTemplate() : m_databaseSettings(std::make_unique<TjxTemplateDBSettings>()) {}

TjxCustomTemplate::~TjxCustomTemplate() = default;

void TjxCustomTemplate::AssignSettings(const TjxCustomTemplate& o)
{
    m_databaseSettings->Assign(o.m_databaseSettings.get());
    m_fileName = o.m_fileName;
    m_offset = o.m_offset;
    m_saveTo = o.m_saveTo;
    m_format = o.m_format;
    m_showBusyCursor = o.m_showBusyCursor;
}

void TjxCustomTemplate::Assign(const TPersistent* source)
{
    const auto* o = dynamic_cast<const TjxCustomTemplate*>(source);
    if (!o)
        return TPersistent::Assign(source);
    AssignSettings(*o);
}

// ---- template ----

const TClassInfo& TjxTemplate::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxTemplate>("TjxTemplate", &TjxCustomTemplate::StaticClass()).Build();
    return info;
}

TjxTemplate::TjxTemplate() = default;

TjxTemplate::~TjxTemplate() = default;

TComponent* TjxTemplate::Root() const
{
    TComponent* subject = Subject();
    if (!subject)
        return nullptr;
    return subject->Owner() ? subject->Owner() : subject;
}

QString TjxTemplate::Description() const
{
    return m_saveTo == stFile ? m_fileName : m_databaseSettings->Name();
}

void TjxTemplate::SetDescription(const QString& value)
{
    if (m_saveTo == stFile)
        m_fileName = value;
    else
        m_databaseSettings->SetName(value);
    if (auto* subject = dynamic_cast<TjxCommunicator*>(Subject()))
        subject->NotifyDesigner(dnNameChanged, kDesignerNotifyCode, subject);
}

void TjxTemplate::SetFileName(const QString& value)
{
    if (value == m_fileName)
        return;
    m_fileName = value;
    auto* subject = dynamic_cast<TjxCommunicator*>(Subject());
    if (subject && !subject->HasState(csReading | csLoading))
        subject->NotifyDesigner(dnNameChanged, kDesignerNotifyCode, subject);
}

bool TjxTemplate::ReadOnly() const
{
    if (m_fileName.isEmpty())
        return false;
    // The permission bits, not access(): root may write anything, but a file
    // marked read-only stays so.
    return IsReadOnlyFile(ResolveFileName(m_fileName));
}

std::function<void(TjxTemplate&)>& TjxTemplate::DatabaseLoader()
{
    static std::function<void(TjxTemplate&)> loader;
    return loader;
}

std::function<void(TjxTemplate&, const QByteArray&)>& TjxTemplate::DatabaseSaver()
{
    static std::function<void(TjxTemplate&, const QByteArray&)> saver;
    return saver;
}

void TjxTemplate::SaveSettings()
{
    m_savedSettings = std::make_unique<TjxCustomTemplate>();
    m_savedSettings->AssignSettings(*this);
}

void TjxTemplate::RestoreSettings()
{
    if (m_savedSettings)
        AssignSettings(*m_savedSettings);
    m_savedSettings.reset();
    if (m_loadedOffset >= 0)
        m_offset = m_loadedOffset;
    m_loadedOffset = -1;
}

bool TjxTemplate::HandleReadError(const QString& message)
{
    if (m_ignoreAll)
        return true;
    const auto errorDialog = CreateRegisteredDialog<TjxCustomTemplateErrorDialog>(u"TjxCustomTemplateErrorDialog");
    if (!errorDialog)
        return false;
    const auto answer = errorDialog->Execute(message);
    if (answer == TjxCustomTemplateErrorDialog::taIgnoreAll)
        m_ignoreAll = true;
    return answer != TjxCustomTemplateErrorDialog::taCancel;
}

namespace {

bool StartsTemplate(QByteArrayView at)
{
    return at.startsWith("object") || at.startsWith("TPF0");
}

// The detection of a load, over anything that can show a few bytes at a
// position: a whole buffer, or a file that is never read in full (a template
// may sit behind any amount of other data).
template <class Peek>
qsizetype FindTemplate(Peek peek, qsizetype position, int& offset)
{
    if (StartsTemplate(peek(position + qsizetype(offset), 6)))
        return position + offset;
    if (StartsTemplate(peek(0, 6))) {
        offset = 0;
        return 0;
    }
    const QByteArray head = peek(0, 4);
    if (head.size() == 4) {
        const qint32 n = qFromLittleEndian<qint32>(head.constData());
        if (n > 0 && StartsTemplate(peek(n, 6))) {
            offset = n;
            return n;
        }
    }
    return -1;
}

QString AbsolutePath(const QString& fileName)
{
    return QFileInfo(fileName).absoluteFilePath();
}

// Why a name that exists cannot be used as a template file: a folder, a
// device or a pipe would be read forever or not at all.
QString NotAFileReason(const QFileInfo& info)
{
    return info.isDir() ? qt_error_string(EISDIR) : MessageText(msg::NotRegularFile);
}

} // namespace

bool TjxTemplate::TemplateStartsAt(const QByteArray& data, qsizetype position)
{
    if (position < 0 || position > data.size())
        return false;
    return StartsTemplate(QByteArrayView(data).sliced(position));
}

qsizetype TjxTemplate::DetectOffset(const QByteArray& data, qsizetype position)
{
    const auto peek = [&data](qsizetype at, qsizetype length) {
        return at < 0 || at > data.size() ? QByteArray() : data.mid(at, length);
    };
    return FindTemplate(peek, position, m_offset);
}

void TjxTemplate::Load()
{
    if (m_saveTo == stFile)
        LoadFromFile();
    else if (DatabaseLoader())
        DatabaseLoader()(*this);
    else
        throw ETemplateLoadError(GetMessage(45) + u' ' + m_databaseSettings->Name());
}

void TjxTemplate::LoadFromFile()
{
    const QString fileName = ResolveFileName(m_fileName);
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.exists())
        throw ETemplateLoadError(GetMessage(46) + u' ' + m_fileName);
    // Beyond "not found" the user needs the real place and the system's reason.
    const QString path = AbsolutePath(fileName);
    if (!info.isFile())
        throw ETemplateLoadError(MessageText(msg::CannotOpenFile, {path, NotAFileReason(info)}));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ETemplateLoadError(MessageText(msg::CannotOpenFile, {path, file.errorString()}));
    LoadFromStream(file);
}

void TjxTemplate::LoadFromStream(QIODevice& stream)
{
    m_ignoreAll = false;
    m_loadedOffset = -1;
    SaveSettings();
    if (!PrepareLoad())
        return;
    if (OnLoadBegin)
        OnLoadBegin(this, &stream);
    try {
        QByteArray body;
        if (stream.isSequential()) {
            // No going back: what is left is all there is.
            const QByteArray all = stream.readAll();
            const qsizetype start = DetectOffset(all, 0);
            if (start < 0)
                throw EInvalidTemplateError(GetMessage(49));
            body = all.mid(start);
        } else {
            const qint64 position = stream.pos();
            const auto peek = [&stream](qsizetype at, qsizetype length) {
                return at < 0 || at > stream.size() || !stream.seek(at) ? QByteArray() : stream.read(length);
            };
            const qsizetype start = FindTemplate(peek, position, m_offset);
            if (start < 0 || !stream.seek(start)) {
                stream.seek(position);
                throw EInvalidTemplateError(GetMessage(49));
            }
            const auto* file = qobject_cast<QFileDevice*>(&stream);
            const QString where = file ? AbsolutePath(file->fileName()) : QString();
            // A template is far smaller; a runaway file is not read whole.
            if (stream.size() - start > kReadFileLimit) {
                stream.seek(position);
                throw ETemplateLoadError(MessageText(
                    msg::CannotOpenFile, {where, MessageText(msg::FileTooLarge, {QString::number(kReadFileLimit)})}));
            }
            body = stream.readAll();
            const bool failed = file && file->error() != QFileDevice::NoError;
            const QString reason = failed ? file->errorString() : QString();
            stream.seek(position);
            if (failed)
                throw ETemplateLoadError(MessageText(msg::CannotOpenFile, {where, reason}));
        }
        QByteArray binary;
        if (body.startsWith("object")) {
            ObjectTextToBinary(body, binary);
            binary.append('\0');
        } else {
            binary = std::move(body);
        }
        ReadTemplate(binary);
        // Where the template was found is where the next save puts it, so the
        // data in front of it survives.
        m_loadedOffset = m_offset;
    } catch (...) {
        FinishLoad(false);
        if (OnLoadFinish)
            OnLoadFinish(Subject());
        if (BroadcastExplorerEvents && OnLoadFinishExplorer)
            OnLoadFinishExplorer(Subject());
        throw;
    }
    FinishLoad(true);
    if (OnLoadFinish)
        OnLoadFinish(Subject());
    if (BroadcastExplorerEvents && OnLoadFinishExplorer)
        OnLoadFinishExplorer(Subject());
}

QByteArray TjxTemplate::WriteTemplate()
{
    QByteArray binary;
    TWriter writer(binary);
    writer.SetRoot(Root());
    writer.SetLookupRoot(Root());
    writer.WriteDescendent(Subject());
    binary.append('\0');
    if (m_format != ftASCII)
        return binary;
    QByteArray text;
    ObjectBinaryToText(binary, text);
    return text;
}

void TjxTemplate::Save()
{
    if (m_saveTo == stFile)
        SaveToFile();
    else if (m_databaseSettings->IsComplete()) {
        if (!DatabaseSaver())
            throw ETemplateSaveError(GetMessage(53));
        PrepareSave();
        if (OnSaveBegin)
            OnSaveBegin(Subject());
        try {
            QByteArray data = WriteTemplate();
            DatabaseSaver()(*this, data);
        } catch (...) {
            FinishSave();
            throw;
        }
        FinishSave();
        SaveSucceeded();
    } else {
        // Incomplete settings would silently save nothing.
        throw ETemplateSaveError(GetMessage(53));
    }
}

void TjxTemplate::SaveToFile()
{
    if (!Subject())
        return;
    PrepareSave();
    if (OnSaveBegin)
        OnSaveBegin(Subject());
    try {
        QByteArray data = WriteTemplate();
        if (!data.isEmpty()) {
            if (OnSaveStream)
                OnSaveStream(this, data);
            if (BroadcastExplorerEvents && OnSaveStreamExplorer)
                OnSaveStreamExplorer(this, data);
            if (ReadOnly())
                throw ETemplateSaveError(GetMessage(51));
            WriteFile(data);
        }
    } catch (...) {
        FinishSave();
        throw;
    }
    FinishSave();
    SaveSucceeded();
}

void TjxTemplate::WriteFile(const QByteArray& data) const
{
    const QString path = AbsolutePath(ResolveFileName(m_fileName));
    const QFileInfo info(path);
    const auto fail = [&path](const QString& reason) {
        throw ETemplateSaveError(MessageText(msg::CannotCreateFile, {path, reason}));
    };
    QString reason;
    const std::unique_ptr<QSaveFile> saved = OpenSaveFile(path, &reason);
    if (!saved)
        fail(reason);
    QSaveFile& out = *saved;
    qint64 written = 0;
    if (m_offset > 0) {
        // The bytes before the template belong to someone else: copied in
        // pieces, as they may be far larger than the template.
        constexpr qint64 kPiece = 1 << 20;
        if (info.exists()) {
            QFile existing(path);
            if (!existing.open(QIODevice::ReadOnly))
                throw ETemplateSaveError(MessageText(msg::CannotOpenFile, {path, existing.errorString()}));
            while (written < m_offset) {
                const QByteArray piece = existing.read(std::min(kPiece, m_offset - written));
                if (existing.error() != QFileDevice::NoError)
                    throw ETemplateSaveError(MessageText(msg::CannotOpenFile, {path, existing.errorString()}));
                if (piece.isEmpty())
                    break;
                if (out.write(piece) != piece.size())
                    fail(out.errorString());
                written += piece.size();
            }
        } else if (m_offset >= 4) {
            // A new file says where its template starts, so that it loads
            // without being told.
            QByteArray head(4, '\0');
            qToLittleEndian<qint32>(m_offset, head.data());
            if (out.write(head) != head.size())
                fail(out.errorString());
            written = head.size();
        }
        const QByteArray zeros(std::min(kPiece, m_offset - written), '\0');
        while (written < m_offset) {
            const qint64 n = std::min<qint64>(zeros.size(), m_offset - written);
            if (out.write(zeros.constData(), n) != n)
                fail(out.errorString());
            written += n;
        }
    }
    if (out.write(data) != data.size())
        fail(out.errorString());
    if (!CommitSaveFile(out, &reason))
        fail(reason);
}

void TjxTemplate::SaveToStream(QIODevice& stream)
{
    PrepareSave();
    if (OnSaveBegin)
        OnSaveBegin(Subject());
    try {
        QByteArray data = WriteTemplate();
        if (m_offset > 0 && !stream.seek(stream.pos() + m_offset))
            stream.write(QByteArray(m_offset, '\0'));
        if (OnSaveStream)
            OnSaveStream(this, data);
        if (BroadcastExplorerEvents && OnSaveStreamExplorer)
            OnSaveStreamExplorer(this, data);
        if (stream.write(data) != data.size())
            throw ETemplateSaveError(MessageText(msg::StreamWriteError));
    } catch (...) {
        FinishSave();
        throw;
    }
    FinishSave();
    SaveSucceeded();
}

ORVANE_REGISTER_CLASS(TjxTemplate);

} // namespace orvane
