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
#include <QtEndian>

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
}

bool TjxTemplate::HandleReadError(const QString& message)
{
    if (m_ignoreAll)
        return true;
    const TClassInfo* cls = GetDialogClass(u"TjxCustomTemplateErrorDialog");
    if (!cls || !cls->createComponent)
        return false;
    std::unique_ptr<TComponent> dialog(cls->createComponent(nullptr));
    auto* errorDialog = dynamic_cast<TjxCustomTemplateErrorDialog*>(dialog.get());
    if (!errorDialog)
        return false;
    const auto answer = errorDialog->Execute(message);
    if (answer == TjxCustomTemplateErrorDialog::taIgnoreAll)
        m_ignoreAll = true;
    return answer != TjxCustomTemplateErrorDialog::taCancel;
}

bool TjxTemplate::TemplateStartsAt(const QByteArray& data, qsizetype position)
{
    if (position < 0 || position > data.size())
        return false;
    const QByteArrayView at = QByteArrayView(data).sliced(position);
    return at.startsWith("object") || at.startsWith("TPF0");
}

qsizetype TjxTemplate::DetectOffset(const QByteArray& data, qsizetype position)
{
    if (TemplateStartsAt(data, position + m_offset))
        return position + m_offset;
    if (TemplateStartsAt(data, 0)) {
        m_offset = 0;
        return 0;
    }
    if (data.size() >= 4) {
        const qint32 n = qFromLittleEndian<qint32>(data.constData());
        if (n > 0 && TemplateStartsAt(data, n)) {
            m_offset = n;
            return n;
        }
    }
    return -1;
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
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile())
        throw ETemplateLoadError(GetMessage(46) + u' ' + m_fileName);
    QByteArray data = ReadWholeFile(fileName);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    LoadFromStream(buffer);
}

void TjxTemplate::LoadFromStream(QIODevice& stream)
{
    m_ignoreAll = false;
    SaveSettings();
    if (!PrepareLoad())
        return;
    if (OnLoadBegin)
        OnLoadBegin(this, &stream);
    try {
        const qint64 position = stream.pos();
        stream.seek(0);
        const QByteArray all = stream.readAll();
        stream.seek(position);
        const qsizetype start = DetectOffset(all, position);
        if (start < 0)
            throw EInvalidTemplateError(GetMessage(49));
        const QByteArray body = all.mid(start);
        QByteArray binary;
        if (body.startsWith("object")) {
            ObjectTextToBinary(body, binary);
            binary.append('\0');
        } else {
            binary = body;
        }
        ReadTemplate(binary);
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
            const QString fileName = ResolveFileName(m_fileName);
            QByteArray prefix;
            if (m_offset > 0) {
                // The bytes before the template belong to someone else: keep them.
                QFile existing(fileName);
                if (existing.open(QIODevice::ReadOnly))
                    prefix = existing.read(m_offset);
                prefix.append(QByteArray(m_offset - prefix.size(), '\0'));
            }
            WriteWholeFile(fileName, prefix + data);
        }
    } catch (...) {
        FinishSave();
        throw;
    }
    FinishSave();
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
}

ORVANE_REGISTER_CLASS(TjxTemplate);

} // namespace orvane
