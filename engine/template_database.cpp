#include "engine/template_database.h"

#include "document/errors.h"
#include "document/messages.h"
#include "document/template.h"
#include "engine/data_pipeline.h"

#include <QBuffer>

namespace orvane {

namespace {

TjxDataPipeline* OpenTemplatePipeline(TjxTemplate& tmpl, bool saving)
{
    const TjxTemplateDBSettings* settings = tmpl.DatabaseSettings();
    auto* pipeline = dynamic_cast<TjxDataPipeline*>(settings->DataPipeline());
    if (!pipeline) {
        const QString text = GetMessage(45) + u' ' + settings->Name();
        if (saving)
            throw ETemplateSaveError(text);
        throw ETemplateLoadError(text);
    }
    if (!pipeline->Active())
        pipeline->Open();
    if (!settings->IsComplete() || !pipeline->IsTemplateField(settings->TemplateField())) {
        if (saving)
            throw ETemplateSaveError(GetMessage(53));
        throw ETemplateLoadError(GetMessage(53));
    }
    return pipeline;
}

void LoadFromRecord(TjxTemplate& tmpl)
{
    const TjxTemplateDBSettings* settings = tmpl.DatabaseSettings();
    TjxDataPipeline* pipeline = OpenTemplatePipeline(tmpl, false);
    const QString name = settings->Name();
    if (name.isEmpty() || !pipeline->Locate(settings->NameField(), TVarValue::WideString(name)))
        throw ETemplateLoadError(GetMessage(45) + u' ' + name);
    QByteArray data;
    try {
        data = pipeline->FieldToStream(settings->TemplateField());
    } catch (const EOrvaneError&) {
        throw ETemplateLoadError(GetMessage(47));
    }
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    tmpl.LoadFromStream(buffer);
}

void SaveToRecord(TjxTemplate& tmpl, const QByteArray& templateBytes)
{
    const TjxTemplateDBSettings* settings = tmpl.DatabaseSettings();
    TjxDataPipeline* pipeline = OpenTemplatePipeline(tmpl, true);
    const QString name = settings->Name();
    if (name.isEmpty())
        throw ETemplateSaveError(GetMessage(45) + u' ' + name);
    if (pipeline->Locate(settings->NameField(), TVarValue::WideString(name))) {
        pipeline->Edit();
    } else {
        pipeline->Append();
        pipeline->SetFieldValue(settings->NameField(), TVarValue::WideString(name));
    }
    QByteArray data = templateBytes;
    try {
        if (tmpl.OnSaveStream)
            tmpl.OnSaveStream(&tmpl, data);
        if (tmpl.BroadcastExplorerEvents && tmpl.OnSaveStreamExplorer)
            tmpl.OnSaveStreamExplorer(&tmpl, data);
        pipeline->StreamToField(settings->TemplateField(), data);
        pipeline->Post();
    } catch (...) {
        pipeline->Cancel();
        throw;
    }
}

const bool s_installed = [] {
    InstallTemplateDatabase();
    return true;
}();

} // namespace

void InstallTemplateDatabase()
{
    TjxTemplate::DatabaseLoader() = LoadFromRecord;
    TjxTemplate::DatabaseSaver() = SaveToRecord;
}

} // namespace orvane
