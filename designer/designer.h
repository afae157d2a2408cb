#pragma once

#include "document/communicator.h"
#include "document/producer.h"
#include "document/report_settings.h"

#include <QRect>
#include <QStringList>

#include <functional>
#include <memory>

namespace orvane {

class TjxReport;

enum TPosition : uint8_t {
    poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter, poMainFormCenter,
    poOwnerFormCenter
};
enum TjxShowComponent : uint8_t {
    scLabel, scMemo, scRichText, scCalc, scImage, scShape, scLine, scBarCode, scTeeChart, scDBText, scDBMemo,
    scDBRichText, scDBCalc, scDBImage, scDBBarCode, scDBTeeChart, scRegion, scSubReport, scSystemVariable, scVariable
};
using TjxShowComponents = uint32_t;
inline constexpr TjxShowComponents kAllShowComponents = (1u << 20) - 1;

enum TjxCollationType : uint8_t { ctANSI, ctASCII, ctVariant };
enum TjxDatabaseType : uint8_t {
    dtAdvantage, dtInterBase, dtMSAccess, dtMSSQLServer, dtSybaseASE, dtSybaseASA, dtOracle, dtParadox, dtDBISAM,
    dtFlashFiler, dtMySQL, dtApollo, dtOther
};
enum TjxGuidCollationType : uint8_t { gcMSSQLServer, gcMSAccess, gcGuid, gcString };
enum TjxSQLType : uint8_t { sqBDELocal, sqSQL1, sqSQL2 };

// Data settings kept for the designer's data tools: stored and assigned only.
class TjxBasicDataSettings : public TPersistent {
    ORVANE_CLASS(TjxBasicDataSettings, TPersistent)
public:
    void Assign(const TPersistent* source) override;

protected:
    QString m_databaseName;
    QString m_sessionType;
};

class TjxDataSettings : public TjxBasicDataSettings {
    ORVANE_CLASS(TjxDataSettings, TjxBasicDataSettings)
public:
    void Assign(const TPersistent* source) override;

private:
    bool m_allowEditSQL = false;
    TjxCollationType m_collationType = ctASCII;
    TjxDatabaseType m_databaseType = dtOther;
    TjxCommunicator* m_dataDictionary = nullptr;
    TjxGuidCollationType m_guidCollationType = gcMSSQLServer;
    bool m_isCaseSensitive = false;
    TjxSQLType m_sqlType = sqBDELocal;
    bool m_useDataDictionary = false;
};

class TjxDesigner;

// The designer's events the window fires (with itself as Sender).
struct TjxDesignerWindowEvents {
    TMethod onActivate, onClose, onCloseQuery, onDeactivate, onDestroy, onHide, onResize, onAssignField,
        onCreateComponent, onCreateReport, onCustomOpenDoc, onCustomSaveDoc, onDestroyComponent, onGetDataNames,
        onGetDisplayFormats, onGetFields, onReportSelected, onSelectionChanged, onTabChange, onTabChanged,
        onValidateComponent;
};

// What the designer component needs of its window. The window class lives in
// the widget library and registers a factory; without one the designer opens
// nothing.
class TjxCustomDesignerWindow {
public:
    virtual ~TjxCustomDesignerWindow() = default;

    // The Sender of the window's events.
    virtual TComponent* EventSender() = 0;
    virtual void SetReport(TjxReport* report) = 0;
    virtual TjxReport* MainReport() const = 0;
    virtual void LoadSettings() = 0;
    // Shows the window modally; returns when it closes.
    virtual void ShowModal() = 0;
    virtual bool Modal() const = 0;
    // Detaches from the report and the designer and frees the window: at once
    // when nothing of it runs, else after its modal loop and handlers ended.
    virtual void Release() = 0;

    virtual void SetTabsVisible(bool value) = 0;
    virtual void SetAllowDataSettingsChange(bool value) = 0;
    virtual void SetAllowSaveToFile(bool value) = 0;
    virtual void SetBaseCaption(const QString& value) = 0;
    virtual void SetDataSettings(const TjxDataSettings& value) = 0;
    virtual void SetIcon(const TIcon& icon) = 0;
    virtual void SetPosition(TPosition value) = 0;
    virtual bool ShowData() const = 0;
    virtual void SetShowData(bool value) = 0;
    virtual QRect Bounds() const = 0;
    virtual void SetBounds(const QRect& bounds) = 0;
    virtual TWindowState WindowState() const = 0;
    virtual void SetWindowState(TWindowState value) = 0;
    virtual int Tag() const = 0;
    virtual void SetTag(int value) = 0;
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool value) = 0;
    virtual void SetEvents(const TjxDesignerWindowEvents& events) = 0;
    // The component classes the palette offers.
    virtual void SetPaletteClasses(const QStringList& classNames) = 0;

    // Set by the designer component.
    std::function<void()> OnWindowDestroyed;
    std::function<void()> OnReportGone;
    std::function<void()> OnAfterShow;
    std::function<void(QString& helpFile, QString& keyPhrase, bool& callHelp)> OnHelp;
};

using TjxDesignerWindowFactory = std::function<TjxCustomDesignerWindow*(TjxDesigner* designer)>;
void RegisterDesignerWindowClass(TjxDesignerWindowFactory factory);
void UnregisterDesignerWindowClass();

// The end-user designer component: it keeps the designer's published
// settings and events, which the designer window applies when it opens.
class TjxDesigner : public TjxCommunicator {
    ORVANE_CLASS(TjxDesigner, TjxCommunicator)
public:
    explicit TjxDesigner(TComponent* owner = nullptr);
    ~TjxDesigner() override;

    TjxReport* Report() const { return m_report; }
    void SetReport(TjxReport* report);
    bool AllowDataSettingsChange() const { return m_allowDataSettingsChange; }
    void SetAllowDataSettingsChange(bool value);
    bool AllowSaveToFile() const { return m_allowSaveToFile; }
    void SetAllowSaveToFile(bool value);
    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& value);
    TjxDataSettings* DataSettings() const { return m_dataSettings.get(); }
    void SetDataSettings(TjxDataSettings* v);
    bool EnableHelp() const { return m_enableHelp; }
    void SetEnableHelp(bool value) { m_enableHelp = value; }
    const QString& HelpFile() const { return m_helpFile; }
    void SetHelpFile(const QString& value) { m_helpFile = value; }
    TIcon* Icon() const { return m_icon.get(); }
    void SetIcon(TIcon* v);
    TjxShowComponents ShowComponents() const { return m_showComponents; }
    void SetShowComponents(TjxShowComponents value);
    // The registered component classes the palette offers: those of the
    // kinds ShowComponents leaves out are removed.
    QStringList PaletteClasses() const;
    bool ShowData() const;
    void SetShowData(bool value);
    bool TabsVisible() const { return m_tabsVisible; }
    void SetTabsVisible(bool value);
    bool Visible() const;
    void SetVisible(bool value);
    // The settings storage class by type name ("IniFile", "Registry") and the
    // name of the store. A type no storage class has is ignored.
    const QString& IniStorageType() const { return m_iniStorageType; }
    void SetIniStorageType(const QString& value);
    const QString& IniStorageName() const { return m_iniStorageName; }
    void SetIniStorageName(const QString& value);
    // Makes the storage named by IniStorageType and IniStorageName the one the
    // designer's settings use: before the designer window is created and
    // whenever either property changes while it exists.
    void ApplyIniStorage() const;
    // The designer window tells while it exists.
    void SetDesignerWindowExists(bool exists) { m_designerWindowExists = exists; }
    int WindowLeft() const;
    void SetWindowLeft(int value);
    int WindowTop() const;
    void SetWindowTop(int value);
    int WindowWidth() const;
    void SetWindowWidth(int value);
    int WindowHeight() const;
    void SetWindowHeight(int value);
    TWindowState WindowState() const;
    void SetWindowState(TWindowState value);
    int WindowTag() const;
    void SetWindowTag(int value);
    TPosition Position() const { return m_position; }
    void SetPosition(TPosition value);

    // The window while it exists; none before the first ShowModal.
    TjxCustomDesignerWindow* DesignerWindow() const { return m_window; }
    // Shows the designer window modally, creating it on first use; returns
    // when the window closes.
    void ShowModal();
    // Raises EDesignError when the window exists already; none while the
    // component is itself being designed or no window class is registered.
    TjxCustomDesignerWindow* CreateDesignerWindow();

    void Loaded() override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void WindowShown();
    void WindowHelp(QString& helpFile, QString& keyPhrase, bool& callHelp);
    TjxDesignerWindowEvents Events() const;

    TjxCustomDesignerWindow* m_window = nullptr;
    bool m_allowDataSettingsChange = false;
    bool m_allowSaveToFile = true;
    QString m_caption = QStringLiteral("Orvane");
    std::unique_ptr<TjxDataSettings> m_dataSettings;
    bool m_enableHelp = true;
    QString m_helpFile;
    std::unique_ptr<TIcon> m_icon;
    TjxCommunicator* m_mergeMenu = nullptr;
    TPosition m_position = poScreenCenter;
    TjxShowComponents m_showComponents = kAllShowComponents;
    TjxReport* m_report = nullptr;
    bool m_showData = true;
    QString m_iniStorageType;
    QString m_iniStorageName;
    bool m_designerWindowExists = false;
    bool m_tabsVisible = true;
    bool m_visible = true;
    int m_windowHeight = 400;
    int m_windowLeft = 100;
    int m_windowTop = 50;
    int m_windowWidth = 600;
    TWindowState m_windowState = wsNormal;
    int m_windowTag = 0;
    TMethod m_onActivate, m_onClose, m_onCloseQuery, m_onDeactivate, m_onDestroy, m_onHide, m_onResize,
        m_onAssignField, m_onCreate, m_onCreateComponent, m_onCreateReport, m_onCustomOpenDoc, m_onCustomSaveDoc,
        m_onDestroyComponent, m_onGetDataNames, m_onGetDisplayFormats, m_onGetFields, m_onHelp,
        m_onReportSelected, m_onSelectionChanged, m_onShow, m_onTabChange, m_onTabChanged, m_onValidateComponent;
};

} // namespace orvane
