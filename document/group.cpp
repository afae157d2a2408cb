#include "document/group.h"

#include "document/band.h"
#include "document/class_registry.h"
#include "document/custom_report.h"
#include "document/messages.h"
#include "document/stream_reader.h"
#include "document/stream_writer.h"
#include "document/units.h"

namespace orvane {

const TTypeInfo& BreakTypeType()
{
    static const TTypeInfo& t = EnumType("TjxBreakType", {"btDataField", "btCustomField"});
    return t;
}

const TClassInfo& TjxGroup::StaticClass()
{
    using T = TjxGroup;
    static const TClassInfo info =
        TClassBuilder<T>("TjxGroup", &TjxRelative::StaticClass())
            .Creatable()
            .Prop("AfterGroupBreak", MethodType(), &T::AfterGroupBreak, &T::SetAfterGroupBreak)
            .Prop("BeforeGroupBreak", MethodType(), &T::BeforeGroupBreak, &T::SetBeforeGroupBreak)
            .Prop("BreakName", StringType(), &T::BreakName, &T::SetBreakName)
            .Prop("BreakType", BreakTypeType(), &T::BreakType, &T::SetBreakType).Default(btDataField)
            .Prop("HeaderForOrphanedFooter", BooleanType(), &T::HeaderForOrphanedFooter, &T::SetHeaderForOrphanedFooter).Default(1)
            .Prop("KeepTogether", BooleanType(), &T::KeepTogether, &T::SetKeepTogether).Default(0)
            .Prop("OnGetBreakValue", MethodType(), &T::OnGetBreakValue, &T::SetOnGetBreakValue)
            .Prop("OutlineSettings", ClassType(), &T::OutlineSettings, &T::SetOutlineSettings)
            .Prop("NewColumn", BooleanType(), &T::NewColumn, &T::SetNewColumn).Default(0)
            .Prop("NewPage", BooleanType(), &T::NewPage, &T::SetNewPage).Default(0)
            .Prop("NewColumnThreshold", FloatType(),
                  [](const T& g) { return double(ThousandthsToUnits(g.m_mmNewColumnThreshold, g.Units(), axVertical)); },
                  [](T& g, double v) { g.SetmmNewColumnThreshold(UnitsToThousandths(v, g.Units(), axVertical)); })
                .NeverStored()
            .Prop("NewPageThreshold", FloatType(),
                  [](const T& g) { return double(ThousandthsToUnits(g.m_mmNewPageThreshold, g.Units(), axVertical)); },
                  [](T& g, double v) {
                      if (g.IsReadingOrLoading()) {  // kept for the conversion of older streams
                          g.m_legacyThreshold = v;
                          g.m_legacyThresholdRead = true;
                          return;
                      }
                      g.SetmmNewPageThreshold(UnitsToThousandths(v, g.Units(), axVertical));
                  })
                .NeverStored()
            .Prop("ResetPageNo", BooleanType(), &T::ResetPageNo, &T::SetResetPageNo).Default(0)
            .Prop("ReprintOnSubsequentColumn", BooleanType(), &T::ReprintOnSubsequentColumn, &T::SetReprintOnSubsequentColumn).Default(1)
            .Prop("ReprintOnSubsequentPage", BooleanType(), &T::ReprintOnSubsequentPage, &T::SetReprintOnSubsequentPage).Default(1)
            .Prop("UserName", StringType(), &T::UserName, &T::SetUserName)
            .Defined("mmNewColumnThreshold", [](T& g, TReader& r) { g.m_mmNewColumnThreshold = r.ReadThousandths(); },
                     [](const T& g, TWriter& w) { w.WriteInteger(g.m_mmNewColumnThreshold); }, [](const T&) { return true; })
            .Defined("mmNewPageThreshold", [](T& g, TReader& r) { g.m_mmNewPageThreshold = r.ReadThousandths(); },
                     [](const T& g, TWriter& w) { w.WriteInteger(g.m_mmNewPageThreshold); }, [](const T&) { return true; })
            .Defined("DataPipelineName", [](T& g, TReader& r) { g.m_dataPipelineName = r.ReadString(); },
                     [](const T& g, TWriter& w) { w.WriteString(g.m_dataPipelineName); }, [](const T&) { return true; })
            .Defined("FieldName", [](T& g, TReader& r) { g.m_legacyFieldName = r.ReadString(); }, nullptr,
                     [](const T&) { return false; })
            .Defined("ReprintOnSubsequent", [](T& g, TReader& r) { g.m_legacyReprintOnSubsequent = r.ReadBoolean(); },
                     nullptr, [](const T&) { return false; })
            .Defined("Left", [](T&, TReader& r) { r.SkipValue(); }, nullptr, [](const T&) { return false; })
            .Defined("Top", [](T&, TReader& r) { r.SkipValue(); }, nullptr, [](const T&) { return false; })
            .Build();
    return info;
}

TjxGroup::TjxGroup(TComponent* owner)
    : TjxRelative(owner), m_outlineSettings(std::make_unique<TjxOutlineSettings>())
{
    m_outlineSettings->IsHolderReading = [this] { return IsReadingOrLoading(); };
    // Outline participants tell the designer when their settings change.
    m_outlineSettings->OnChange = [this] { Modified(); };
}

TjxGroup::~TjxGroup()
{
    SetStateFlags(csDestroying);
    delete m_headerBand;
    delete m_footerBand;
    if (m_report)
        m_report->RemoveGroup(this);
}

TjxUnitType TjxGroup::Units() const
{
    return m_report ? m_report->Units() : utInches;
}

int TjxGroup::Index() const
{
    return m_report ? m_report->IndexOfGroup(this) : -1;
}

TjxDesignerInterface* TjxGroup::GetDesignerInterface() const
{
    if (TjxDesignerInterface* own = TjxRelative::GetDesignerInterface())
        return own;
    return m_report ? m_report->GetDesignerInterface() : nullptr;
}

void TjxGroup::SetReport(TjxCustomReport* report)
{
    if (m_report == report)
        return;
    if (m_report) {
        if (m_headerBand)
            m_headerBand->SetReport(nullptr);
        if (m_footerBand)
            m_footerBand->SetReport(nullptr);
        m_report->RemoveGroup(this);
    }
    m_report = report;
    if (report) {
        report->AddGroup(this);
        if (m_headerBand)
            m_headerBand->SetReport(report);
        if (m_footerBand)
            m_footerBand->SetReport(report);
    }
}

void TjxGroup::SetHeaderBand(TjxGroupBand* band)
{
    if (m_headerBand == band)
        return;
    if (m_headerBand) {
        m_headerBand->SetReport(nullptr);
        m_headerBand->SetGroup(nullptr);
    }
    m_headerBand = band;
    if (band) {
        band->SetGroup(this);
        band->SetReport(m_report);
    }
}

void TjxGroup::SetFooterBand(TjxGroupBand* band)
{
    if (m_footerBand == band)
        return;
    if (m_footerBand) {
        m_footerBand->SetReport(nullptr);
        m_footerBand->SetGroup(nullptr);
    }
    m_footerBand = band;
    if (band) {
        band->SetGroup(this);
        band->SetReport(m_report);
    }
}

void TjxGroup::BandDestroyed(TjxGroupBand* band)
{
    if (m_headerBand == band)
        m_headerBand = nullptr;
    if (m_footerBand == band)
        m_footerBand = nullptr;
}

void TjxGroup::SetBreakName(const QString& value)
{
    if (m_breakName == value)
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("BreakName"));
    m_breakName = value;
    if (!IsReadingOrLoading()) {
        RefreshBandCaptions();
        Modified();
    }
}

void TjxGroup::SetBreakType(TjxBreakType value)
{
    if (m_breakType == value || (!m_report && !IsReadingOrLoading()))
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("BreakType"));
    m_breakType = value;
    if (!IsReadingOrLoading()) {
        m_breakName.clear();
        RefreshBandCaptions();
        Modified();
    }
}

void TjxGroup::SetHeaderForOrphanedFooter(bool value) { SetField(m_headerForOrphanedFooter, value, "HeaderForOrphanedFooter"); }
void TjxGroup::SetResetPageNo(bool value) { SetField(m_resetPageNo, value, "ResetPageNo"); }
void TjxGroup::SetReprintOnSubsequentColumn(bool value) { SetField(m_reprintOnSubsequentColumn, value, "ReprintOnSubsequentColumn"); }
void TjxGroup::SetReprintOnSubsequentPage(bool value) { SetField(m_reprintOnSubsequentPage, value, "ReprintOnSubsequentPage"); }

void TjxGroup::SetKeepTogether(bool value)
{
    if (m_keepTogether == value)
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("KeepTogether"));
    m_keepTogether = value;
    if (value) {
        m_newPage = false;
        m_newColumn = false;
    }
    if (!IsReadingOrLoading())
        Modified();
}

void TjxGroup::SetNewColumn(bool value)
{
    if (m_newColumn == value)
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("NewColumn"));
    m_newColumn = value;
    if (value)
        m_keepTogether = false;
    if (!IsReadingOrLoading())
        Modified();
}

void TjxGroup::SetNewPage(bool value)
{
    if (m_newPage == value)
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("NewPage"));
    m_newPage = value;
    if (value)
        m_keepTogether = false;
    if (!IsReadingOrLoading())
        Modified();
}

void TjxGroup::SetmmNewColumnThreshold(int value)
{
    SetField(m_mmNewColumnThreshold, value, "NewColumnThreshold");
}

void TjxGroup::SetmmNewPageThreshold(int value)
{
    SetField(m_mmNewPageThreshold, value, "NewPageThreshold");
}

QString TjxGroup::BreakCaption() const
{
    if (!m_breakName.isEmpty())
        return m_breakName;
    return GetMessage(m_breakType == btDataField ? 301 : 300);
}

QString TjxGroup::Caption() const
{
    return GetMessage(331) + QStringLiteral(" [") + QString::number(Index()) + QStringLiteral("]: ") + m_breakName;
}

void TjxGroup::RefreshBandCaptions()
{
    for (TjxGroupBand* band : {m_headerBand, m_footerBand})
        if (band)
            band->SendEventNotify(ciBandNameChanged);
}

void TjxGroup::Convert(int version)
{
    if (version < 1270 && !m_legacyFieldName.isEmpty())
        m_breakName = m_legacyFieldName;
    if (version <= 2096) {
        m_newColumn = m_newPage;
        if (m_legacyReprintOnSubsequent >= 0)
            m_reprintOnSubsequentColumn = m_reprintOnSubsequentPage = m_legacyReprintOnSubsequent != 0;
        if (m_legacyThresholdRead)
            m_mmNewColumnThreshold = m_mmNewPageThreshold =
                ClampStoredLength(UnitsToThousandths(float(m_legacyThreshold), Units(), axVertical));
    }
    m_legacyFieldName.clear();
    m_legacyReprintOnSubsequent = -1;
    m_legacyThresholdRead = false;
}

void TjxGroup::GetChildren(const TGetChildProc& proc, TComponent*) const
{
    if (m_headerBand)
        proc(m_headerBand);
    if (m_footerBand)
        proc(m_footerBand);
}

void TjxGroup::SetParentComponent(TComponent* parent)
{
    if (auto* report = dynamic_cast<TjxCustomReport*>(parent))
        SetReport(report);
}

TComponent* TjxGroup::GetParentComponent() const
{
    return m_report;
}

ORVANE_REGISTER_CLASS(TjxGroup);

} // namespace orvane
