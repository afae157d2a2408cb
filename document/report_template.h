#pragma once

#include "document/communicator.h"

#include <QIODevice>

namespace orvane {

class TjxCustomReport;

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
    void SetFileName(const QString& value) { m_fileName = value; }
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

// Loads and saves a report's whole layout in a file or a stream, in binary or
// text form; a failed load leaves the report as it was.
class TjxReportTemplate : public TjxCustomTemplate {
    ORVANE_CLASS(TjxReportTemplate, TjxCustomTemplate)
public:
    explicit TjxReportTemplate(TjxCustomReport* report = nullptr);
    ~TjxReportTemplate() override;

    TjxCustomReport* Report() const { return m_report; }
    // The owner of the report's owner: the lookup root of the stream.
    TComponent* Root() const;
    static QString FileExtension() { return QStringLiteral("rtm"); }
    static QString FileFilter() { return QStringLiteral("Report file (*.rtm)|*.rtm"); }
    QString Description() const;
    void SetDescription(const QString& value);
    bool ReadOnly() const;

    void Load();
    void LoadFromFile();
    void LoadFromStream(QIODevice& stream);
    void Save();
    void SaveToFile();
    void SaveToStream(QIODevice& stream);
    // Empties the report for a new layout.
    void New();
    // The report calls this after it was read with SaveAsTemplate set.
    void LoadAfterRead();

    // Handlers; each has a second slot, for a report explorer, called after the
    // first while BroadcastExplorerEvents is true.
    std::function<void(TjxReportTemplate*, QIODevice*)> OnLoadBegin;
    std::function<void(TjxCustomReport*)> OnLoadFinish, OnLoadFinishExplorer;
    std::function<void(TjxReportTemplate*)> OnNewTemplate, OnNewTemplateExplorer;
    std::function<void(TjxCustomReport*)> OnSaveBegin;
    std::function<void(TjxReportTemplate*, QByteArray&)> OnSaveStream, OnSaveStreamExplorer;
    bool BroadcastExplorerEvents = true;

    // Database records come with the data layer: it installs these.
    static std::function<void(TjxReportTemplate&)>& DatabaseLoader();
    static std::function<void(TjxReportTemplate&, const QByteArray&)>& DatabaseSaver();

    // Where a template starts in bytes (text "object" or binary "TPF0") from a
    // position, or -1; and the offset the load uses, or -1 for no template.
    static bool TemplateStartsAt(const QByteArray& data, qsizetype position);
    qsizetype DetectOffset(const QByteArray& data, qsizetype position);

    // The template's bytes: signature, the report's record and a 0 byte, or the text form.
    QByteArray WriteTemplate();

private:
    bool PrepareLoad();
    void FinishLoad(bool success);
    void ReadTemplate(const QByteArray& binary);
    void PrepareSave();
    void FinishSave();

    TjxCustomReport* m_report;
    // During a load.
    std::unique_ptr<TjxCustomTemplate> m_savedSettings;
    TjxCustomReport* m_savedContent = nullptr;
    TjxCustomReport* m_newContent = nullptr;
    QList<QPair<QString, TComponent*>> m_renamed;
    bool m_ignoreAll = false;
};

} // namespace orvane
