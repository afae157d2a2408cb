#pragma once

#include "document/relative.h"
#include "document/strings.h"
#include "document/units.h"

namespace orvane {

class TjxCustomReport;
class TjxGroup;

enum TjxPrintHeightType : uint8_t { phStatic, phDynamic };
enum TjxColumnTraversalType : uint8_t { ctTopToBottom, ctLeftToRight };
enum TjxPageSettingType : uint8_t { psAll, psPageList, psSinglePage, psFirstPage, psLastPage, psPageRange };

const TTypeInfo& PrintHeightType();
const TTypeInfo& ColumnTraversalType();
const TTypeInfo& PageSettingType();

// Band type numbers, as components' BandType carries them.
enum TjxBandType : int {
    btHeader = 0, btTitle = 1, btColumnHeader = 2, btGroupHeader = 3, btDetail = 4,
    btGroupFooter = 5, btColumnFooter = 6, btSummary = 7, btFooter = 8, btPageStyle = 9
};

// A horizontal strip the engine prints at defined moments; holds printable
// components in drawing order.
class TjxBand : public TjxRelative {
    ORVANE_CLASS(TjxBand, TjxRelative)
public:
    explicit TjxBand(TComponent* owner = nullptr);
    ~TjxBand() override;
    TjxBand* AsBand() const override { return const_cast<TjxBand*>(this); }

    virtual TjxBandType BandType() const = 0;
    // The text that decides the band's place in the report.
    virtual QString SortKey() const;
    static QString SortKeyPart(int number);
    static int DefaultHeight(TjxBandType type);
    static int CaptionMessage(TjxBandType type);
    virtual QString Caption() const;
    QString GetUserName() const override { return Caption(); }
    bool HasDerivedUserName() const override { return true; }

    TjxCustomReport* Report() const { return m_report; }
    virtual void SetReport(TjxCustomReport* report);
    // Without a designer of its own, the band's report's (or group's) designer.
    TjxDesignerInterface* GetDesignerInterface() const override;
    TjxUnitType ReportUnits() const;
    TjxGroup* Group() const { return m_group; }
    void SetGroup(TjxGroup* group) { m_group = group; }
    int GroupIndex() const;

    int mmHeight() const { return m_mmHeight; }
    // Listeners of event 119 may refuse the change; negative heights become 0.
    void SetmmHeight(int value);
    int mmBottomOffset() const { return m_mmBottomOffset; }
    void SetmmBottomOffset(int value);
    int mmPrintPosition() const { return m_mmPrintPosition; }
    void SetmmPrintPosition(int value);
    bool Save() const { return m_save; }
    void SetSave(bool value);
    bool Visible() const { return m_visible; }
    void SetVisible(bool value);
    TjxPrintHeightType PrintHeight() const { return m_printHeight; }
    void SetPrintHeight(TjxPrintHeightType value);

    TMethod AfterGenerate() const { return m_afterGenerate; }
    void SetAfterGenerate(const TMethod& m) { m_afterGenerate = m; }
    TMethod AfterPrint() const { return m_afterPrint; }
    void SetAfterPrint(const TMethod& m) { m_afterPrint = m; }
    TMethod BeforePrint() const { return m_beforePrint; }
    void SetBeforePrint(const TMethod& m) { m_beforePrint = m; }
    TMethod BeforeGenerate() const { return m_beforeGenerate; }
    void SetBeforeGenerate(const TMethod& m) { m_beforeGenerate = m; }

    // Drawing order of the components.
    int ComponentCount() const { return ChildCount(); }
    TjxRelative* Components(int index) const { return Child(index); }
    void BringToFront(TjxRelative* component);
    void SendToBack(TjxRelative* component);
    void MoveComponent(int from, int to);

    // The layout-changed notice: the band's event 125 and the report's notice.
    void LayoutChanged();
    // Converts a band read from an older stream (the version as a number, 9.01 = 9010).
    virtual void Convert(int version);
    // The row spacing an older report stream held; the detail band's bottom offset.
    void SetLegacyRowSpacing(double value) { m_legacyRowSpacing = value; }

    void SetParentComponent(TComponent* parent) override;

protected:
    void SetHeightValue(int value) { m_mmHeight = value; }
    // Legacy values remembered while reading.
    QString m_legacyOnPrint;
    double m_legacyRowSpacing = 0;

private:
    static void ReadLegacyIdent(TjxBand& band, TReader& reader);

    TjxCustomReport* m_report = nullptr;
    TjxGroup* m_group = nullptr;
    int m_mmHeight = 13229;
    bool m_heightRead = false;  // from the stream being read: Convert may convert it
    int m_mmBottomOffset = 0;
    int m_mmPrintPosition = 0;
    bool m_save = false;
    bool m_visible = true;
    TjxPrintHeightType m_printHeight = phStatic;
    TMethod m_afterGenerate, m_afterPrint, m_beforePrint, m_beforeGenerate;

    friend class TjxCustomReport;
};

class TjxCustomBand : public TjxBand {
    ORVANE_CLASS(TjxCustomBand, TjxBand)
public:
    using TjxBand::TjxBand;
};

class TjxBasicBand : public TjxCustomBand {
    ORVANE_CLASS(TjxBasicBand, TjxCustomBand)
public:
    using TjxCustomBand::TjxCustomBand;
};

// Header and footer: printed on every page.
class TjxPageBand : public TjxBasicBand {
    ORVANE_CLASS(TjxPageBand, TjxBasicBand)
public:
    using TjxBasicBand::TjxBasicBand;
    bool PrintOnFirstPage() const { return m_printOnFirstPage; }
    void SetPrintOnFirstPage(bool value);
    bool PrintOnLastPage() const { return m_printOnLastPage; }
    void SetPrintOnLastPage(bool value);

private:
    bool m_printOnFirstPage = true;
    bool m_printOnLastPage = true;
};

class TjxHeaderBand : public TjxPageBand {
    ORVANE_CLASS(TjxHeaderBand, TjxPageBand)
public:
    explicit TjxHeaderBand(TComponent* owner = nullptr);
    TjxBandType BandType() const override { return btHeader; }
};

class TjxFooterBand : public TjxPageBand {
    ORVANE_CLASS(TjxFooterBand, TjxPageBand)
public:
    explicit TjxFooterBand(TComponent* owner = nullptr);
    TjxBandType BandType() const override { return btFooter; }
};

// Title and summary: printed once per report.
class TjxReportBand : public TjxBasicBand {
    ORVANE_CLASS(TjxReportBand, TjxBasicBand)
public:
    using TjxBasicBand::TjxBasicBand;
    bool NewPage() const { return m_newPage; }
    void SetNewPage(bool value);

private:
    bool m_newPage = false;
};

class TjxTitleBand : public TjxReportBand {
    ORVANE_CLASS(TjxTitleBand, TjxReportBand)
public:
    explicit TjxTitleBand(TComponent* owner = nullptr);
    TjxBandType BandType() const override { return btTitle; }
};

class TjxSummaryBand : public TjxReportBand {
    ORVANE_CLASS(TjxSummaryBand, TjxReportBand)
public:
    explicit TjxSummaryBand(TComponent* owner = nullptr);
    TjxBandType BandType() const override { return btSummary; }
};

class TjxDetailBand : public TjxBasicBand {
    ORVANE_CLASS(TjxDetailBand, TjxBasicBand)
public:
    explicit TjxDetailBand(TComponent* owner = nullptr);
    TjxBandType BandType() const override { return btDetail; }
    int BandsPerRecord() const { return m_bandsPerRecord; }
    void SetBandsPerRecord(int value);
    TjxColumnTraversalType ColumnTraversal() const { return m_columnTraversal; }
    void SetColumnTraversal(TjxColumnTraversalType value);
    int PrintCount() const { return m_printCount; }
    void SetPrintCount(int value);
    // The pipeline the band traverses, by name until pipelines are resolved.
    const QString& DataPipelineName() const { return m_dataPipelineName; }
    void SetDataPipelineName(const QString& value) { m_dataPipelineName = value; }
    void Convert(int version) override;

private:
    int m_bandsPerRecord = 1;
    TjxColumnTraversalType m_columnTraversal = ctTopToBottom;
    int m_printCount = 0;
    QString m_dataPipelineName;
};

class TjxColumnHeaderBand : public TjxBasicBand {
    ORVANE_CLASS(TjxColumnHeaderBand, TjxBasicBand)
public:
    explicit TjxColumnHeaderBand(TComponent* owner = nullptr);
    TjxBandType BandType() const override { return btColumnHeader; }
};

class TjxColumnFooterBand : public TjxBasicBand {
    ORVANE_CLASS(TjxColumnFooterBand, TjxBasicBand)
public:
    explicit TjxColumnFooterBand(TComponent* owner = nullptr);
    TjxBandType BandType() const override { return btColumnFooter; }
};

class TjxPageStyle : public TjxBasicBand {
    ORVANE_CLASS(TjxPageStyle, TjxBasicBand)
public:
    explicit TjxPageStyle(TComponent* owner = nullptr);
    ~TjxPageStyle() override;
    TjxBandType BandType() const override { return btPageStyle; }
    int EndPage() const { return m_endPage; }
    void SetEndPage(int value) { m_endPage = value; }
    TStrings* PageList() const { return m_pageList.get(); }
    void SetPageList(TStrings* value) { m_pageList->Assign(value); }
    TjxPageSettingType PageSetting() const { return m_pageSetting; }
    void SetPageSetting(TjxPageSettingType value) { m_pageSetting = value; }
    int SinglePage() const { return m_singlePage; }
    void SetSinglePage(int value) { m_singlePage = value; }
    int StartPage() const { return m_startPage; }
    void SetStartPage(int value) { m_startPage = value; }
    const QString& ValidPages() const { return m_validPages; }
    void SetValidPages(const QString& value) { m_validPages = value; }

private:
    int m_endPage = 0;
    std::unique_ptr<TStrings> m_pageList;
    TjxPageSettingType m_pageSetting = psAll;
    int m_singlePage = 0;
    int m_startPage = 0;
    QString m_validPages;
};

// Group header and footer: owned by their group.
class TjxGroupBand : public TjxCustomBand {
    ORVANE_CLASS(TjxGroupBand, TjxCustomBand)
public:
    explicit TjxGroupBand(TComponent* owner = nullptr);
    ~TjxGroupBand() override;
    QString Caption() const override;
    void SetParentComponent(TComponent* parent) override;
    bool HasParent() const override { return Group() != nullptr || TjxCustomBand::HasParent(); }
    TComponent* GetParentComponent() const override;
};

class TjxGroupHeaderBand : public TjxGroupBand {
    ORVANE_CLASS(TjxGroupHeaderBand, TjxGroupBand)
public:
    using TjxGroupBand::TjxGroupBand;
    TjxBandType BandType() const override { return btGroupHeader; }
    QString SortKey() const override;
};

class TjxGroupFooterBand : public TjxGroupBand {
    ORVANE_CLASS(TjxGroupFooterBand, TjxGroupBand)
public:
    using TjxGroupBand::TjxGroupBand;
    TjxBandType BandType() const override { return btGroupFooter; }
    QString SortKey() const override;
};

// The band class of a type number, for creating bands by type.
const TClassInfo* BandClassOfType(TjxBandType type);

} // namespace orvane
