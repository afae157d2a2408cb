#include "designer/designer.h"

#include "designer/settings/ini_storage.h"
#include "document/class_registry.h"
#include "document/component_registry.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
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

TjxDesignerWindowFactory& WindowFactory()
{
    static TjxDesignerWindowFactory factory;
    return factory;
}


} // namespace

void RegisterDesignerWindowClass(TjxDesignerWindowFactory factory)
{
    WindowFactory() = std::move(factory);
}

void UnregisterDesignerWindowClass()
{
    WindowFactory() = nullptr;
}

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
            .Prop("AllowDataSettingsChange", BooleanType(), &T::AllowDataSettingsChange, &T::SetAllowDataSettingsChange)
                .Default(0)
            .Prop("AllowSaveToFile", BooleanType(), &T::AllowSaveToFile, &T::SetAllowSaveToFile).Default(1)
            .Prop("Caption", StringType(), &T::Caption, &T::SetCaption)
            .Prop("DataSettings", ClassType(), &T::DataSettings, &T::SetDataSettings)
            .Field("EnableHelp", BooleanType(), &T::m_enableHelp).Default(1)
            .Field("HelpFile", StringType(), &T::m_helpFile)
            .Prop("Icon", ClassType(), &T::Icon, &T::SetIcon)
            .Field("MergeMenu", ClassType(), &T::m_mergeMenu)
            .Prop("Position", PositionType(), &T::Position, &T::SetPosition).Default(poScreenCenter)
            .Prop("ShowComponents", ShowComponentsType(), &T::ShowComponents, &T::SetShowComponents)
                .Default(kAllShowComponents)
            .Prop("Report", ClassType(), &T::Report, &T::SetReport)
            .Prop("ShowData", BooleanType(), &T::ShowData, &T::SetShowData).Default(1)
            .Prop("IniStorageType", StringType(), &T::IniStorageType, &T::SetIniStorageType)
            .Prop("IniStorageName", StringType(), &T::IniStorageName, &T::SetIniStorageName)
            .Prop("TabsVisible", BooleanType(), &T::TabsVisible, &T::SetTabsVisible).Default(1)
            .Prop("Visible", BooleanType(), &T::Visible, &T::SetVisible).Default(1)
            .Prop("WindowHeight", IntegerType(), &T::WindowHeight, &T::SetWindowHeight).Default(400)
            .Prop("WindowLeft", IntegerType(), &T::WindowLeft, &T::SetWindowLeft).Default(100)
            .Prop("WindowTop", IntegerType(), &T::WindowTop, &T::SetWindowTop).Default(50)
            .Prop("WindowWidth", IntegerType(), &T::WindowWidth, &T::SetWindowWidth).Default(600)
            .Prop("WindowState", WindowStateType(), &T::WindowState, &T::SetWindowState).Default(wsNormal)
            .Prop("WindowTag", IntegerType(), &T::WindowTag, &T::SetWindowTag).Default(0)
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
    // The window may be running its modal loop or a handler: it is told to
    // go and frees itself once nothing of it runs.
    if (TjxCustomDesignerWindow* window = std::exchange(m_window, nullptr)) {
        window->OnWindowDestroyed = nullptr;
        window->OnReportGone = nullptr;
        window->OnAfterShow = nullptr;
        window->OnHelp = nullptr;
        window->Release();
    }
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
    if (m_window && !IsReadingOrLoading())
        m_window->SetReport(report);
}

void TjxDesigner::SetAllowDataSettingsChange(bool value)
{
    m_allowDataSettingsChange = value;
    if (m_window)
        m_window->SetAllowDataSettingsChange(value);
}

void TjxDesigner::SetAllowSaveToFile(bool value)
{
    m_allowSaveToFile = value;
    if (m_window)
        m_window->SetAllowSaveToFile(value);
}

void TjxDesigner::SetCaption(const QString& value)
{
    m_caption = value;
    if (m_window)
        m_window->SetBaseCaption(value);
}

void TjxDesigner::SetDataSettings(TjxDataSettings* v)
{
    m_dataSettings->Assign(v);
    if (m_window)
        m_window->SetDataSettings(*m_dataSettings);
}

void TjxDesigner::SetIcon(TIcon* v)
{
    m_icon->Assign(v);
    if (m_window)
        m_window->SetIcon(*m_icon);
}

void TjxDesigner::SetShowComponents(TjxShowComponents value)
{
    m_showComponents = value & kAllShowComponents;
    if (m_window)
        m_window->SetPaletteClasses(PaletteClasses());
}

QStringList TjxDesigner::PaletteClasses() const
{
    QStringList classes = RegisteredComponents().ClassNames();
    const QStringList& names = ShowComponentsType().enumNames;
    for (int i = 0; i < names.size(); ++i)
        if (!(m_showComponents & (1u << i)))
            classes.removeAll(QStringLiteral("Tjx") + names[i].mid(2));
    return classes;
}

bool TjxDesigner::ShowData() const
{
    return m_window ? m_window->ShowData() : m_showData;
}

void TjxDesigner::SetShowData(bool value)
{
    m_showData = value;
    if (m_window)
        m_window->SetShowData(value);
}

void TjxDesigner::SetTabsVisible(bool value)
{
    m_tabsVisible = value;
    if (m_window && !IsReadingOrLoading())
        m_window->SetTabsVisible(value);
}

bool TjxDesigner::Visible() const
{
    return m_window ? m_window->Visible() : m_visible;
}

void TjxDesigner::SetVisible(bool value)
{
    m_visible = value;
    if (m_window)
        m_window->SetVisible(value);
}

int TjxDesigner::WindowLeft() const
{
    return m_window ? m_window->Bounds().left() : m_windowLeft;
}

int TjxDesigner::WindowTop() const
{
    return m_window ? m_window->Bounds().top() : m_windowTop;
}

int TjxDesigner::WindowWidth() const
{
    return m_window ? m_window->Bounds().width() : m_windowWidth;
}

int TjxDesigner::WindowHeight() const
{
    return m_window ? m_window->Bounds().height() : m_windowHeight;
}

void TjxDesigner::SetWindowLeft(int value)
{
    m_windowLeft = value;
    if (m_window)
        m_window->SetBounds(m_window->Bounds().translated(value - m_window->Bounds().left(), 0));
}

void TjxDesigner::SetWindowTop(int value)
{
    m_windowTop = value;
    if (m_window)
        m_window->SetBounds(m_window->Bounds().translated(0, value - m_window->Bounds().top()));
}

void TjxDesigner::SetWindowWidth(int value)
{
    m_windowWidth = value;
    if (m_window) {
        QRect r = m_window->Bounds();
        r.setWidth(value);
        m_window->SetBounds(r);
    }
}

void TjxDesigner::SetWindowHeight(int value)
{
    m_windowHeight = value;
    if (m_window) {
        QRect r = m_window->Bounds();
        r.setHeight(value);
        m_window->SetBounds(r);
    }
}

TWindowState TjxDesigner::WindowState() const
{
    return m_window ? m_window->WindowState() : m_windowState;
}

void TjxDesigner::SetWindowState(TWindowState value)
{
    m_windowState = value;
    if (m_window)
        m_window->SetWindowState(value);
}

int TjxDesigner::WindowTag() const
{
    return m_window ? m_window->Tag() : m_windowTag;
}

void TjxDesigner::SetWindowTag(int value)
{
    m_windowTag = value;
    if (m_window)
        m_window->SetTag(value);
}

void TjxDesigner::SetPosition(TPosition value)
{
    m_position = value;
    if (m_window)
        m_window->SetPosition(value);
}

TjxDesignerWindowEvents TjxDesigner::Events() const
{
    return {m_onActivate,         m_onClose,           m_onCloseQuery,     m_onDeactivate,   m_onDestroy,
            m_onHide,             m_onResize,          m_onAssignField,    m_onCreateComponent,
            m_onCreateReport,     m_onCustomOpenDoc,   m_onCustomSaveDoc,  m_onDestroyComponent,
            m_onGetDataNames,     m_onGetDisplayFormats, m_onGetFields,    m_onReportSelected,
            m_onSelectionChanged, m_onTabChange,       m_onTabChanged,     m_onValidateComponent};
}

void TjxDesigner::ShowModal()
{
    if (!m_window)
        CreateDesignerWindow();
    // The window keeps its modal flag for the loop and clears it however the
    // loop ends; this component may be gone when it returns.
    if (m_window)
        m_window->ShowModal();
}

TjxCustomDesignerWindow* TjxDesigner::CreateDesignerWindow()
{
    if (m_window)
        throw EDesignError(GetMessage(msg::DesignerWindowExists));
    if (HasState(csDesigning) || !WindowFactory())
        return nullptr;
    ApplyIniStorage();
    TjxCustomDesignerWindow* window = WindowFactory()(this);
    if (!window)
        return nullptr;
    m_window = window;
    SetDesignerWindowExists(true);
    window->OnWindowDestroyed = [this] {
        m_window = nullptr;
        SetDesignerWindowExists(false);
    };
    window->OnReportGone = [this] { SetReport(nullptr); };
    window->OnAfterShow = [this] { WindowShown(); };
    window->OnHelp = [this](QString& file, QString& phrase, bool& call) { WindowHelp(file, phrase, call); };
    window->SetTabsVisible(m_tabsVisible);
    window->SetAllowDataSettingsChange(m_allowDataSettingsChange);
    window->SetAllowSaveToFile(m_allowSaveToFile);
    window->SetBaseCaption(m_caption);
    window->SetDataSettings(*m_dataSettings);
    window->SetIcon(*m_icon);
    window->SetPosition(m_position);
    window->SetShowData(m_showData);
    window->SetBounds(QRect(m_windowLeft, m_windowTop, m_windowWidth, m_windowHeight));
    window->SetWindowState(m_windowState);
    window->SetTag(m_windowTag);
    window->SetEvents(Events());
    window->SetReport(m_report);
    // Stored placement wins over the component's window properties.
    window->LoadSettings();
    return window;
}

void TjxDesigner::WindowShown()
{
    if (!m_window)
        return;
    m_window->SetTabsVisible(m_tabsVisible);
    if (m_showComponents != kAllShowComponents)
        m_window->SetPaletteClasses(PaletteClasses());
    TjxEventParams none;
    m_onShow(m_window->EventSender(), none);
}

void TjxDesigner::WindowHelp(QString& helpFile, QString& keyPhrase, bool& callHelp)
{
    callHelp = m_enableHelp;
    if (!m_helpFile.isEmpty())
        helpFile = m_helpFile;
    if (!m_onHelp.IsAssigned() || !m_window)
        return;
    TjxEventParams params{{QStringLiteral("HelpFile"), helpFile, true},
                          {QStringLiteral("KeyPhrase"), keyPhrase, true},
                          {QStringLiteral("CallHelp"), callHelp, true}};
    m_onHelp(m_window->EventSender(), params);
    helpFile = params.Value(u"HelpFile").toString();
    keyPhrase = params.Value(u"KeyPhrase").toString();
    callHelp = params.Value(u"CallHelp").toBool();
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
    if (operation == opRemove && component == m_report) {
        m_report = nullptr;
        if (m_window)
            m_window->SetReport(nullptr);
    }
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
