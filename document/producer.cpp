#include "document/producer.h"

#include "document/class_registry.h"
#include "document/printer_setup.h"
#include "document/stream_reader.h"
#include "document/stream_writer.h"

namespace orvane {

const TTypeInfo& FileTypeType()
{
    static const TTypeInfo& t = EnumType("TjxFileType", {"ftComma", "ftTab", "ftFixedLength", "ftCustom"});
    return t;
}

const TTypeInfo& LanguageTypeType()
{
    static const TTypeInfo& t =
        EnumType("TjxLanguageType", {"lgDefault", "lgDanish", "lgDutch", "lgEnglish", "lgFrench", "lgGerman",
                                     "lgItalian", "lgPortugueseBrazil", "lgPortuguese", "lgSpanish",
                                     "lgSpanishMexico", "lgSwedish", "lgNorwegian", "lgCustom"});
    return t;
}

const TClassInfo& TIcon::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TIcon>("TIcon", &TPersistent::StaticClass())
            .DefinedBinary("Data", &TIcon::SetData, &TIcon::Data, [](const TIcon& i) { return !i.IsEmpty(); })
            .Build();
    return info;
}

void TIcon::Assign(const TPersistent* source)
{
    const auto* o = dynamic_cast<const TIcon*>(source);
    if (!o)
        return TPersistent::Assign(source);
    m_data = o->m_data;
}

const TClassInfo& TjxProducer::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxProducer>("TjxProducer", &TjxRelative::StaticClass()).Build();
    return info;
}

TjxProducer::TjxProducer(TComponent* owner)
    : TjxRelative(owner),
      m_printerSetup(std::make_unique<TjxPrinterSetup>(this)),
      m_backgroundPrintSettings(std::make_unique<TjxBackgroundPrintSettings>()),
      m_icon(std::make_unique<TIcon>()),
      m_pdfSettings(std::make_unique<TjxPDFSettings>()),
      m_previewFormSettings(std::make_unique<TjxPreviewFormSettings>()),
      m_textSearchSettings(std::make_unique<TjxTextSearchSettings>())
{
    m_previewFormSettings->OnChange = [this] { ApplyPreviewFormSettings(); };
}

TjxProducer::~TjxProducer()
{
    NotifyDestroying();
    m_previewFormSettings->OnChange = nullptr;
    FreePreviewForm();
}

void TjxProducer::NotifyDestroying()
{
    if (m_destroyingNotified)
        return;
    m_destroyingNotified = true;
    NotifyDesigner(dnReportDestroyed, kDesignerNotifyCode, this);
}

void TjxProducer::StartProducing()
{
    if (m_producing)
        return;
    m_producing = true;
    NotifyDesigner(dnPrinting, kDesignerNotifyCode, this);
}

void TjxProducer::StopProducing()
{
    if (!m_producing)
        return;
    m_producing = false;
    EndGeneration();
    NotifyDesigner(dnPrinting, kDesignerNotifyCode, this);
}

void TjxProducer::SetPrinterSetup(TjxPrinterSetup* value)
{
    if (value)
        m_printerSetup->Assign(value);
}

std::function<bool(const QString&)>& TjxProducer::DeviceNameValidator()
{
    static std::function<bool(const QString&)> validator;
    return validator;
}

void TjxProducer::SetDeviceType(const QString& value)
{
    if (!IsReadingOrLoading() && DeviceNameValidator() && !DeviceNameValidator()(value))
        return;
    SetField(m_deviceType, value, "DeviceType");
}

void TjxProducer::SetLanguage(TjxLanguageType value)
{
    if (value == m_language)
        return;
    if (!TjxResourceManager::Instance().SetLanguage(value)) {
        if (!IsReadingOrLoading())
            return;
        value = lgDefault;
        TjxResourceManager::Instance().SetLanguage(value);
    }
    const bool told = SetField(m_language, value, "Language");
    m_languageIndex = 0;
    SendNotify(ntLanguageChanged);
    if (told)
        NotifyDesigner(dnLanguageChanged, kDesignerNotifyCode, this);
}

void TjxProducer::AssignProducerSettings(const TjxProducer& o)
{
    m_allowPrintToArchive = o.m_allowPrintToArchive;
    m_allowPrintToFile = o.m_allowPrintToFile;
    m_archiveFileName = o.m_archiveFileName;
    m_backgroundPrintSettings->Assign(o.m_backgroundPrintSettings.get());
    m_cachePages = o.m_cachePages;
    m_deviceType = o.m_deviceType;
    m_icon->Assign(o.m_icon.get());
    m_language = o.m_language;
    m_languageIndex = o.m_languageIndex;
    m_modalCancelDialog = o.m_modalCancelDialog;
    m_modalPreview = o.m_modalPreview;
    m_pdfSettings->Assign(o.m_pdfSettings.get());
    m_previewFormSettings->Assign(o.m_previewFormSettings.get());
    m_printerSetup->Assign(o.m_printerSetup.get());
    m_savePrinterSetup = o.m_savePrinterSetup;
    m_showCancelDialog = o.m_showCancelDialog;
    m_showPrintDialog = o.m_showPrintDialog;
    m_textFileName = o.m_textFileName;
    m_textFileType = o.m_textFileType;
    m_textSearchSettings->Assign(o.m_textSearchSettings.get());
    m_beforePrint = o.m_beforePrint;
    m_afterPrint = o.m_afterPrint;
    m_onCancel = o.m_onCancel;
    m_onCancelDialogCreate = o.m_onCancelDialogCreate;
    m_onCancelDialogClose = o.m_onCancelDialogClose;
    m_onPageRequest = o.m_onPageRequest;
    m_onAssignPreviewFormSettings = o.m_onAssignPreviewFormSettings;
    m_onPreviewFormCreate = o.m_onPreviewFormCreate;
    m_onPreviewFormClose = o.m_onPreviewFormClose;
    m_onPrintDialogCreate = o.m_onPrintDialogCreate;
    m_onPrintDialogClose = o.m_onPrintDialogClose;
    m_onPrintingComplete = o.m_onPrintingComplete;
    m_onSaveText = o.m_onSaveText;
}

ORVANE_REGISTER_CLASS(TjxProducer);

} // namespace orvane
