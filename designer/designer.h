#pragma once

#include "document/communicator.h"
#include "document/producer.h"
#include "document/report_settings.h"

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

// The end-user designer component: it keeps the designer's published
// settings and events, which the designer window applies when it opens.
class TjxDesigner : public TjxCommunicator {
    ORVANE_CLASS(TjxDesigner, TjxCommunicator)
public:
    explicit TjxDesigner(TComponent* owner = nullptr);
    ~TjxDesigner() override;

    TjxReport* Report() const { return m_report; }
    void SetReport(TjxReport* report);
    const QString& Caption() const { return m_caption; }
    TjxDataSettings* DataSettings() const { return m_dataSettings.get(); }
    void SetDataSettings(TjxDataSettings* v) { m_dataSettings->Assign(v); }
    TIcon* Icon() const { return m_icon.get(); }
    void SetIcon(TIcon* v) { m_icon->Assign(v); }
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
    int WindowLeft() const { return m_windowLeft; }
    int WindowTop() const { return m_windowTop; }
    int WindowWidth() const { return m_windowWidth; }
    int WindowHeight() const { return m_windowHeight; }
    TPosition Position() const { return m_position; }

    void Loaded() override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
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
