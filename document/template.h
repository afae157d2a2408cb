#pragma once

#include "document/communicator.h"

#include <QIODevice>

namespace orvane {

enum TjxSaveToType : uint8_t { stDatabase, stFile };
enum TjxFormatType : uint8_t { ftBinary, ftASCII };
const TTypeInfo& SaveToTypeType();
const TTypeInfo& FormatTypeType();

// Where templates live in a database: the table's pipeline and its fields.
class TjxTemplateDBSettings : public TPersistent {
    ORVANE_CLASS(TjxTemplateDBSettings, TPersistent)
public:
    TjxCommunicator* DataPipeline() const { return m_dataPipeline; }
    void SetDataPipeline(TjxCommunicator* value) { m_dataPipeline = value; }
    const QString& Name() const { return m_name; }
    void SetName(const QString& value) { m_name = value; }
    const QString& NameField() const { return m_nameField; }
    void SetNameField(const QString& value) { m_nameField = value; }
    const QString& TemplateField() const { return m_templateField; }
    void SetTemplateField(const QString& value) { m_templateField = value; }
    bool IsComplete() const { return m_dataPipeline && !m_nameField.isEmpty() && !m_templateField.isEmpty(); }
    void Assign(const TPersistent* source) override;

private:
    TjxCommunicator* m_dataPipeline = nullptr;
    QString m_name;
    QString m_nameField;
    QString m_templateField;
};

// The dialog a template shows when part of a stream cannot be read. The
// user-interface library registers a class for it; without one the error stands.
class TjxCustomTemplateErrorDialog : public TComponent {
    ORVANE_CLASS(TjxCustomTemplateErrorDialog, TComponent)
public:
    enum TAnswer { taIgnore, taCancel, taIgnoreAll };
    using TComponent::TComponent;
    virtual TAnswer Execute(const QString& errorMessage) = 0;
};

// The settings every template has, streamed as the report's "Template.*".
class TjxCustomTemplate : public TPersistent {
    ORVANE_CLASS(TjxCustomTemplate, TPersistent)
public:
    TjxCustomTemplate();
    ~TjxCustomTemplate() override;

    TjxTemplateDBSettings* DatabaseSettings() const { return m_databaseSettings.get(); }
    void SetDatabaseSettings(TjxTemplateDBSettings* value) { m_databaseSettings->Assign(value); }
    const QString& FileName() const { return m_fileName; }
    virtual void SetFileName(const QString& value) { m_fileName = value; }
    int Offset() const { return m_offset; }
    void SetOffset(int value) { m_offset = value < 0 ? 0 : value; }
    TjxSaveToType SaveTo() const { return m_saveTo; }
    void SetSaveTo(TjxSaveToType value) { m_saveTo = value; }
    bool ShowBusyCursor() const { return m_showBusyCursor; }
    void SetShowBusyCursor(bool value) { m_showBusyCursor = value; }
    TjxFormatType Format() const { return m_format; }
    void SetFormat(TjxFormatType value) { m_format = value; }

    // Copies database settings, file name, offset, destination, format and the busy-cursor flag.
    void AssignSettings(const TjxCustomTemplate& other);
    void Assign(const TPersistent* source) override;

protected:
    std::unique_ptr<TjxTemplateDBSettings> m_databaseSettings;
    QString m_fileName;
    int m_offset = 0;
    TjxSaveToType m_saveTo = stFile;
    bool m_showBusyCursor = true;
    TjxFormatType m_format = ftBinary;
};

// Loads and saves an object tree in a file, a stream or a database record, in
// binary or text form. What is loaded and how content is swapped is the
// subclass's; a failed load leaves everything as it was.
class TjxTemplate : public TjxCustomTemplate {
    ORVANE_CLASS(TjxTemplate, TjxCustomTemplate)
public:
    TjxTemplate();
    ~TjxTemplate() override;

    // The component whose tree is stored, and the lookup root of the stream.
    virtual TComponent* Subject() const = 0;
    virtual TComponent* Root() const;
    QString Description() const;
    void SetDescription(const QString& value);
    bool ReadOnly() const;

    void Load();
    void LoadFromFile();
    void LoadFromStream(QIODevice& stream);
    // Tells the designer of the subject when the name changes outside reading.
    void SetFileName(const QString& value) override;
    void Save();
    void SaveToFile();
    void SaveToStream(QIODevice& stream);

    // Handlers; each has a second slot, for a report explorer, called after the
    // first while BroadcastExplorerEvents is true.
    std::function<void(TjxTemplate*, QIODevice*)> OnLoadBegin;
    std::function<void(TComponent*)> OnLoadFinish, OnLoadFinishExplorer;
    std::function<void(TjxTemplate*)> OnNewTemplate, OnNewTemplateExplorer;
    std::function<void(TComponent*)> OnSaveBegin;
    std::function<void(TjxTemplate*, QByteArray&)> OnSaveStream, OnSaveStreamExplorer;
    bool BroadcastExplorerEvents = true;

    // Database records come with the data layer: it installs these.
    static std::function<void(TjxTemplate&)>& DatabaseLoader();
    static std::function<void(TjxTemplate&, const QByteArray&)>& DatabaseSaver();

    // Whether a template (text "object" or binary "TPF0") starts at a position,
    // and the position the load uses: the offset from the current position, the
    // start, or a 32-bit position stored at the start; -1 for none.
    static bool TemplateStartsAt(const QByteArray& data, qsizetype position);
    qsizetype DetectOffset(const QByteArray& data, qsizetype position);

    // The stored bytes: signature, the record and a 0 byte, or the text form.
    virtual QByteArray WriteTemplate();

protected:
    // Subclasses move the content: the previous content aside before reading,
    // the new or the previous one back afterwards.
    virtual bool PrepareLoad() = 0;
    virtual void FinishLoad(bool success) = 0;
    virtual void ReadTemplate(const QByteArray& binary) = 0;
    virtual void PrepareSave() {}
    virtual void FinishSave() {}
    // After a save that wrote everything.
    virtual void SaveSucceeded() {}
    void SaveSettings();
    // Puts back the settings from before the load; a load that succeeded
    // keeps the offset it found the template at.
    void RestoreSettings();
    // The error hook of a load: the registered error dialog decides, or the error stands.
    bool HandleReadError(const QString& message);

    bool m_ignoreAll = false;

private:
    // Writes the file through a temporary one, keeping the bytes before Offset.
    void WriteFile(const QByteArray& data) const;

    int m_loadedOffset = -1;
    std::unique_ptr<TjxCustomTemplate> m_savedSettings;
};

} // namespace orvane
