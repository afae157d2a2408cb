#include "designer/designer.h"

#include "designer/settings/ini_storage.h"
#include "document/class_registry.h"
#include "document/report.h"
#include "document/resource_manager.h"

namespace orvane {

namespace {

const TTypeInfo& PositionType()
{
    static const TTypeInfo& t = EnumType("TPosition", {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                                                       "poScreenCenter", "poDesktopCenter", "poMainFormCenter",
                                                       "poOwnerFormCenter"});
    return t;
}

const TTypeInfo& ShowComponentsType()
{
    static const TTypeInfo& t = SetType(
        "TjxShowComponents",
        EnumType("TjxShowComponent", {"scLabel", "scMemo", "scRichText", "scCalc", "scImage", "scShape", "scLine",
                                      "scBarCode", "scTeeChart", "scDBText", "scDBMemo", "scDBRichText", "scDBCalc",
                                      "scDBImage", "scDBBarCode", "scDBTeeChart", "scRegion", "scSubReport",
                                      "scSystemVariable", "scVariable"}));
    return t;
}

} // namespace

const TClassInfo& TjxBasicDataSettings::StaticClass()
{
    using T = TjxBasicDataSettings;
    static const TClassInfo info = TClassBuilder<T>("TjxBasicDataSettings", &TPersistent::StaticClass())
                                       .Field("DatabaseName", StringType(), &T::m_databaseName)
                                       .Field("SessionType", StringType(), &T::m_sessionType)
                                       .Build();
    return info;
}

void TjxBasicDataSettings::Assign(const TPersistent* source)
{
    const auto* o = dynamic_cast<const TjxBasicDataSettings*>(source);
    if (!o)
        return TPersistent::Assign(source);
    m_databaseName = o->m_databaseName;
    m_sessionType = o->m_sessionType;
}

const TClassInfo& TjxDataSettings::StaticClass()
{
    using T = TjxDataSettings;
    static const TClassInfo info =
        TClassBuilder<T>("TjxDataSettings", &TjxBasicDataSettings::StaticClass())
            .Field("AllowEditSQL", BooleanType(), &T::m_allowEditSQL).NoDefault()
            .Field("CollationType", EnumType("TjxCollationType", {"ctANSI", "ctASCII", "ctVariant"}), &T::m_collationType)
                .Default(ctASCII)
            .Field("DatabaseType",
                   EnumType("TjxDatabaseType", {"dtAdvantage", "dtInterBase", "dtMSAccess", "dtMSSQLServer",
                                                "dtSybaseASE", "dtSybaseASA", "dtOracle", "dtParadox", "dtDBISAM",
                                                "dtFlashFiler", "dtMySQL", "dtApollo", "dtOther"}),
                   &T::m_databaseType)
                .Default(dtOther)
            .Field("DataDictionary", ClassType(), &T::m_dataDictionary)
            .Field("GuidCollationType", EnumType("TjxGuidCollationType", {"gcMSSQLServer", "gcMSAccess", "gcGuid", "gcString"}),
                   &T::m_guidCollationType)
                .NoDefault()
            .Field("IsCaseSensitive", BooleanType(), &T::m_isCaseSensitive).Default(0)
            .Field("SQLType", EnumType("TjxSQLType", {"sqBDELocal", "sqSQL1", "sqSQL2"}), &T::m_sqlType).NoDefault()
            .Field("UseDataDictionary", BooleanType(), &T::m_useDataDictionary).Default(0)
            .Build();
    return info;
}

void TjxDataSettings::Assign(const TPersistent* source)
{
    TjxBasicDataSettings::Assign(source);
    const auto* o = dynamic_cast<const TjxDataSettings*>(source);
    if (!o)
        return;
    m_allowEditSQL = o->m_allowEditSQL;
    m_collationType = o->m_collationType;
    m_databaseType = o->m_databaseType;
    m_dataDictionary = o->m_dataDictionary;
    m_guidCollationType = o->m_guidCollationType;
    m_isCaseSensitive = o->m_isCaseSensitive;
    m_sqlType = o->m_sqlType;
    m_useDataDictionary = o->m_useDataDictionary;
}

const TClassInfo& TjxDesigner::StaticClass()
{
    using T = TjxDesigner;
    static const TClassInfo info =
        TClassBuilder<T>("TjxDesigner", &TjxCommunicator::StaticClass())
            .Creatable()
            .Field("AllowDataSettingsChange", BooleanType(), &T::m_allowDataSettingsChange).Default(0)
            .Field("AllowSaveToFile", BooleanType(), &T::m_allowSaveToFile).Default(1)
            .Field("Caption", StringType(), &T::m_caption)
            .Prop("DataSettings", ClassType(), &T::DataSettings, &T::SetDataSettings)
            .Field("EnableHelp", BooleanType(), &T::m_enableHelp).Default(1)
            .Field("HelpFile", StringType(), &T::m_helpFile)
            .Prop("Icon", ClassType(), &T::Icon, &T::SetIcon)
            .Field("MergeMenu", ClassType(), &T::m_mergeMenu)
            .Field("Position", PositionType(), &T::m_position).Default(poScreenCenter)
            .Field("ShowComponents", ShowComponentsType(), &T::m_showComponents).Default(kAllShowComponents)
            .Prop("Report", ClassType(), &T::Report, &T::SetReport)
            .Field("ShowData", BooleanType(), &T::m_showData).Default(1)
            .Prop("IniStorageType", StringType(), &T::IniStorageType, &T::SetIniStorageType)
            .Prop("IniStorageName", StringType(), &T::IniStorageName, &T::SetIniStorageName)
            .Field("TabsVisible", BooleanType(), &T::m_tabsVisible).Default(1)
            .Field("Visible", BooleanType(), &T::m_visible).Default(1)
            .Field("WindowHeight", IntegerType(), &T::m_windowHeight).Default(400)
            .Field("WindowLeft", IntegerType(), &T::m_windowLeft).Default(100)
            .Field("WindowTop", IntegerType(), &T::m_windowTop).Default(50)
            .Field("WindowWidth", IntegerType(), &T::m_windowWidth).Default(600)
            .Field("WindowState", WindowStateType(), &T::m_windowState).Default(wsNormal)
            .Field("WindowTag", IntegerType(), &T::m_windowTag).Default(0)
            .Event("OnActivate", &T::m_onActivate)
            .Event("OnClose", &T::m_onClose)
            .Event("OnCloseQuery", &T::m_onCloseQuery)
            .Event("OnDeactivate", &T::m_onDeactivate)
            .Event("OnDestroy", &T::m_onDestroy)
            .Event("OnHide", &T::m_onHide)
            .Event("OnResize", &T::m_onResize)
            .Event("OnAssignField", &T::m_onAssignField)
            .Event("OnCreate", &T::m_onCreate)
            .Event("OnCreateComponent", &T::m_onCreateComponent)
            .Event("OnCreateReport", &T::m_onCreateReport)
            .Event("OnCustomOpenDoc", &T::m_onCustomOpenDoc)
            .Event("OnCustomSaveDoc", &T::m_onCustomSaveDoc)
            .Event("OnDestroyComponent", &T::m_onDestroyComponent)
            .Event("OnGetDataNames", &T::m_onGetDataNames)
            .Event("OnGetDisplayFormats", &T::m_onGetDisplayFormats)
            .Event("OnGetFields", &T::m_onGetFields)
            .Event("OnHelp", &T::m_onHelp)
            .Event("OnReportSelected", &T::m_onReportSelected)
            .Event("OnSelectionChanged", &T::m_onSelectionChanged)
            .Event("OnShow", &T::m_onShow)
            .Event("OnTabChange", &T::m_onTabChange)
            .Event("OnTabChanged", &T::m_onTabChanged)
            .Event("OnValidateComponent", &T::m_onValidateComponent)
            .Build();
    return info;
}

TjxDesigner::TjxDesigner(TComponent* owner)
    : TjxCommunicator(owner), m_dataSettings(std::make_unique<TjxDataSettings>()), m_icon(std::make_unique<TIcon>())
{
    const TjxIniStorageClass& storage = TjxIniStoragePlugIn::CurrentClass();
    m_iniStorageType = storage.typeName;
    m_iniStorageName = storage.defaultStorageName;
}

TjxDesigner::~TjxDesigner()
{
    SetReport(nullptr);
}

void TjxDesigner::SetReport(TjxReport* report)
{
    if (m_report == report)
        return;
    if (m_report)
        RemoveFreeNotification(m_report);
    m_report = report;
    if (report)
        FreeNotification(report);
}

void TjxDesigner::SetIniStorageType(const QString& value)
{
    if (!TjxIniStoragePlugIns::Find(value) || !SetField(m_iniStorageType, value, "IniStorageType"))
        return;
    if (m_designerWindowExists)
        ApplyIniStorage();
}

void TjxDesigner::SetIniStorageName(const QString& value)
{
    if (!SetField(m_iniStorageName, value, "IniStorageName"))
        return;
    if (m_designerWindowExists)
        ApplyIniStorage();
}

void TjxDesigner::ApplyIniStorage() const
{
    const TjxIniStorageClass* storage = TjxIniStoragePlugIns::Find(m_iniStorageType);
    if (!storage)
        return;
    TjxIniStoragePlugIn::SetCurrentClass(*storage);
    TjxIniStoragePlugIn::SetCurrentName(m_iniStorageName);
}

void TjxDesigner::Notification(TComponent* component, TOperation operation)
{
    TjxCommunicator::Notification(component, operation);
    if (operation == opRemove && component == m_report)
        m_report = nullptr;
}

void TjxDesigner::Loaded()
{
    TjxCommunicator::Loaded();
    TjxEventParams none;
    m_onCreate(this, none);
}

namespace {

// The designer's texts come from its own language modules ("lxIDE").
struct TDesignerModule {
    TDesignerModule() { TjxResourceManager::Instance().AddModule(QString(kIdeModuleName)); }
    ~TDesignerModule() { TjxResourceManager::Instance().RemoveModule(QString(kIdeModuleName)); }
} s_designerModule;

} // namespace

ORVANE_REGISTER_CLASS(TjxBasicDataSettings);
ORVANE_REGISTER_CLASS(TjxDataSettings);
ORVANE_REGISTER_CLASS(TjxDesigner);

} // namespace orvane
