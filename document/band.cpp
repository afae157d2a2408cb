#include "document/band.h"

#include "document/class_registry.h"
#include "document/custom_report.h"
#include "document/group.h"
#include "document/messages.h"
#include "document/stream_reader.h"
#include "document/stream_writer.h"
#include "document/units.h"

#include <algorithm>

namespace orvane {

const TTypeInfo& PrintHeightType()
{
    static const TTypeInfo& t = EnumType("TjxPrintHeightType", {"phStatic", "phDynamic"});
    return t;
}

const TTypeInfo& ColumnTraversalType()
{
    static const TTypeInfo& t = EnumType("TjxColumnTraversalType", {"ctTopToBottom", "ctLeftToRight"});
    return t;
}

const TTypeInfo& PageSettingType()
{
    static const TTypeInfo& t = EnumType("TjxPageSettingType", {"psAll", "psPageList", "psSinglePage", "psFirstPage",
                                                               "psLastPage", "psPageRange"});
    return t;
}

// ---- TjxBand ----

const TClassInfo& TjxBand::StaticClass()
{
    using T = TjxBand;
    static const TClassInfo info =
        TClassBuilder<T>("TjxBand", &TjxRelative::StaticClass())
            .Prop("AfterGenerate", MethodType(), &T::AfterGenerate, &T::SetAfterGenerate)
            .Prop("AfterPrint", MethodType(), &T::AfterPrint, &T::SetAfterPrint)
            .Prop("BeforePrint", MethodType(), &T::BeforePrint, &T::SetBeforePrint)
            .Prop("BeforeGenerate", MethodType(), &T::BeforeGenerate, &T::SetBeforeGenerate)
            .Prop("Height", FloatType(),
                  [](const T& b) { return double(ThousandthsToUnits(b.mmHeight(), b.ReportUnits(), axVertical)); },
                  [](T& b, double v) { b.SetmmHeight(UnitsToThousandths(v, b.ReportUnits(), axVertical)); })
                .NeverStored()
            .Prop("Save", BooleanType(), &T::Save, &T::SetSave).Default(0)
            .Prop("Visible", BooleanType(), &T::Visible, &T::SetVisible).Default(1)
            .Defined("mmBottomOffset", [](T& b, TReader& r) { b.m_mmBottomOffset = r.ReadThousandths(); },
                     [](const T& b, TWriter& w) { w.WriteInteger(b.m_mmBottomOffset); }, [](const T&) { return true; })
            .Defined("mmHeight",
                     [](T& b, TReader& r) {
                         b.m_mmHeight = r.ReadThousandths();
                         b.m_heightRead = true;
                     },
                     [](const T& b, TWriter& w) { w.WriteInteger(b.m_mmHeight); }, [](const T&) { return true; })
            .Defined("mmPrintPosition", [](T& b, TReader& r) { b.m_mmPrintPosition = r.ReadThousandths(); },
                     [](const T& b, TWriter& w) { w.WriteInteger(b.m_mmPrintPosition); }, [](const T&) { return true; })
            .Defined("OnPrint", &T::ReadLegacyIdent, nullptr, [](const T&) { return false; })
            .Defined("OnSaveLineEnd", [](T&, TReader& r) { r.SkipValue(); }, nullptr, [](const T&) { return false; })
            .Defined("OnSaveLineStart", [](T&, TReader& r) { r.SkipValue(); }, nullptr, [](const T&) { return false; })
            .Defined("Left", [](T&, TReader& r) { r.SkipValue(); }, nullptr, [](const T&) { return false; })
            .Defined("Top", [](T&, TReader& r) { r.SkipValue(); }, nullptr, [](const T&) { return false; })
            .Build();
    return info;
}

void TjxBand::ReadLegacyIdent(TjxBand& band, TReader& reader)
{
    band.m_legacyOnPrint = reader.ReadIdent();
}

TjxBand::TjxBand(TComponent* owner) : TjxRelative(owner) {}

TjxBand::~TjxBand()
{
    // A report going as a whole has told the designer already.
    if (!m_report || !m_report->HasState(csDestroying))
        NotifyDesigner(dnBandDestroyed, kDesignerNotifyCode, this);
    if (m_report)
        m_report->RemoveBand(this);
}

TjxUnitType TjxBand::ReportUnits() const
{
    return m_report ? m_report->Units() : utInches;
}

QString TjxBand::SortKeyPart(int number)
{
    return QString::number(number).rightJustified(8, u' ');
}

QString TjxBand::SortKey() const
{
    static const int keys[] = {2, 1, 3, 4, 5, 6, 7, 9, 8, 10};
    return SortKeyPart(keys[BandType()]);
}

int TjxBand::DefaultHeight(TjxBandType type)
{
    switch (type) {
    case btColumnHeader: case btColumnFooter: case btGroupHeader: case btGroupFooter: return 0;
    default: return 13229;
    }
}

int TjxBand::CaptionMessage(TjxBandType type)
{
    static const int messages[] = {193, 195, 188, 192, 189, 191, 187, 194, 190, 691};
    return messages[type];
}

QString TjxBand::Caption() const
{
    return GetMessage(CaptionMessage(BandType()));
}

int TjxBand::GroupIndex() const
{
    return m_group && m_report ? m_report->IndexOfGroup(m_group) : -1;
}

TjxDesignerInterface* TjxBand::GetDesignerInterface() const
{
    if (TjxDesignerInterface* own = TjxRelative::GetDesignerInterface())
        return own;
    if (m_report)
        return m_report->GetDesignerInterface();
    return m_group ? m_group->GetDesignerInterface() : nullptr;
}

void TjxBand::SetReport(TjxCustomReport* report)
{
    if (m_report == report)
        return;
    if (m_report)
        m_report->RemoveBand(this);
    m_report = report;
    if (report) {
        report->AddBand(this);
        if (report->DesignState() & dsShowingData)
            IncludeDesignState(dsShowingData);
        else
            ExcludeDesignState(dsShowingData);
    }
}

void TjxBand::SetParentComponent(TComponent* parent)
{
    if (auto* report = dynamic_cast<TjxCustomReport*>(parent))
        SetReport(report);
    else
        TjxRelative::SetParentComponent(parent);
}

void TjxBand::SetmmHeight(int value)
{
    if (IsReadingOrLoading()) {
        m_mmHeight = value;
        return;
    }
    if (value == m_mmHeight)
        return;
    TjxEventParams check{{QStringLiteral("NewHeight"), value, false}, {QStringLiteral("IsValid"), true, true}};
    SendEventNotify(ciBandHeightChanging, &check);
    if (!check.Value(u"IsValid").toBool())
        return;
    NotifyDesignerPropertyChange(QStringLiteral("Height"));
    const int old = m_mmHeight;
    m_mmHeight = std::max(0, value);
    TjxEventParams changed{{QStringLiteral("OldHeight"), old, false}};
    SendEventNotify(ciBandHeightChanged, &changed);
    LayoutChanged();
    Modified();
    PropertyChanged();
}

void TjxBand::SetmmBottomOffset(int value)
{
    if (SetField(m_mmBottomOffset, value, "BottomOffset"))
        LayoutChanged();
}

void TjxBand::SetmmPrintPosition(int value)
{
    if (SetField(m_mmPrintPosition, value, "PrintPosition"))
        LayoutChanged();
}

void TjxBand::SetSave(bool value)
{
    SetField(m_save, value, "Save");
}

void TjxBand::SetVisible(bool value)
{
    if (SetField(m_visible, value, "Visible"))
        LayoutChanged();
}

void TjxBand::SetPrintHeight(TjxPrintHeightType value)
{
    if (SetField(m_printHeight, value, "PrintHeight"))
        LayoutChanged();
}

void TjxBand::BringToFront(TjxRelative* component)
{
    const int from = IndexOfChild(component);
    if (from < 0)
        return;
    InsertChild(ChildCount() - 1, component);
    SendEventNotify(ciBandComponentAdded);
    Modified();
}

void TjxBand::SendToBack(TjxRelative* component)
{
    if (IndexOfChild(component) < 0)
        return;
    InsertChild(0, component);
    SendEventNotify(ciBandComponentRemoved);
    Modified();
}

void TjxBand::MoveComponent(int from, int to)
{
    if (from < 0 || from >= ChildCount())
        return;
    to = std::clamp(to, 0, ChildCount() - 1);
    if (from == to)
        return;
    InsertChild(to, Child(from));
    if (DesignState() & dsDesigning)
        SendEventNotify(ciBandComponentAdded);
    Modified();
}

void TjxBand::LayoutChanged()
{
    SendEventNotify(ciBandLayoutChanged);
    if (m_report)
        m_report->LayoutChanged();
}

void TjxBand::Convert(int version)
{
    if (version < 1270 && !m_legacyOnPrint.isEmpty() && !m_beforePrint.IsAssigned() && Owner()) {
        if (TMethodCode code = Owner()->MethodAddress(m_legacyOnPrint))
            m_beforePrint = TMethod{Owner(), m_legacyOnPrint, code};
    }
    // Only a height the stream held was in screen pixels; the default is not.
    if (version < 2097 && m_heightRead)
        m_mmHeight = ClampStoredLength(UnitsToThousandths(float(m_mmHeight), utScreenPixels, axVertical));
    m_heightRead = false;
    for (int i = 0; i < ChildCount(); ++i)
        Child(i)->ConvertVersion(version);
    if (version < 3000 && m_printHeight == phDynamic) {
        // The lowest component bottom, through the published lengths in report units.
        int lowest = -1;
        for (int i = 0; i < ChildCount(); ++i) {
            const TPersistent* c = Child(i);
            if (!c->ClassInfo().PublishesProperty(u"Top", tkFloat) || !c->ClassInfo().PublishesProperty(u"Height", tkFloat))
                continue;
            const float bottom = float(c->GetPropertyValue(u"Top").toDouble() + c->GetPropertyValue(u"Height").toDouble());
            lowest = std::max(lowest, UnitsToThousandths(bottom, ReportUnits(), axVertical));
        }
        if (lowest >= 0)
            m_mmBottomOffset = ClampStoredLength(int64_t(m_mmHeight) - lowest);
    }
    m_legacyOnPrint.clear();
}

// ---- page, report and other bands ----

const TClassInfo& TjxCustomBand::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxCustomBand>("TjxCustomBand", &TjxBand::StaticClass()).Build();
    return info;
}

const TClassInfo& TjxBasicBand::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxBasicBand>("TjxBasicBand", &TjxCustomBand::StaticClass()).Build();
    return info;
}

// The never-stored lengths in report units.
#define ORVANE_BAND_LENGTH(Name, Getter, Setter)                                                             \
    Prop(Name, FloatType(),                                                                                   \
         [](const T& b) { return double(ThousandthsToUnits(b.Getter(), b.ReportUnits(), axVertical)); },     \
         [](T& b, double v) { b.Setter(UnitsToThousandths(v, b.ReportUnits(), axVertical)); })              \
        .NeverStored()

const TClassInfo& TjxPageBand::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxPageBand>("TjxPageBand", &TjxBasicBand::StaticClass()).Build();
    return info;
}

void TjxPageBand::SetPrintOnFirstPage(bool value)
{
    SetField(m_printOnFirstPage, value, "PrintOnFirstPage");
}

void TjxPageBand::SetPrintOnLastPage(bool value)
{
    SetField(m_printOnLastPage, value, "PrintOnLastPage");
}

const TClassInfo& TjxHeaderBand::StaticClass()
{
    using T = TjxHeaderBand;
    static const TClassInfo info =
        TClassBuilder<T>("TjxHeaderBand", &TjxPageBand::StaticClass())
            .Creatable()
            .ORVANE_BAND_LENGTH("BottomOffset", mmBottomOffset, SetmmBottomOffset)
            .Prop("PrintHeight", PrintHeightType(), &T::PrintHeight, &T::SetPrintHeight).Default(phStatic)
            .Prop("PrintOnFirstPage", BooleanType(), &T::PrintOnFirstPage, &T::SetPrintOnFirstPage).Default(1)
            .Prop("PrintOnLastPage", BooleanType(), &T::PrintOnLastPage, &T::SetPrintOnLastPage).Default(1)
            .ORVANE_BAND_LENGTH("PrintPosition", mmPrintPosition, SetmmPrintPosition)
            .Build();
    return info;
}

TjxHeaderBand::TjxHeaderBand(TComponent* owner) : TjxPageBand(owner) {}

const TClassInfo& TjxFooterBand::StaticClass()
{
    using T = TjxFooterBand;
    static const TClassInfo info =
        TClassBuilder<T>("TjxFooterBand", &TjxPageBand::StaticClass())
            .Creatable()
            .Prop("PrintHeight", PrintHeightType(), &T::PrintHeight, &T::SetPrintHeight).Default(phStatic)
            .Prop("PrintOnFirstPage", BooleanType(), &T::PrintOnFirstPage, &T::SetPrintOnFirstPage).Default(1)
            .Prop("PrintOnLastPage", BooleanType(), &T::PrintOnLastPage, &T::SetPrintOnLastPage).Default(1)
            .Build();
    return info;
}

TjxFooterBand::TjxFooterBand(TComponent* owner) : TjxPageBand(owner) {}

const TClassInfo& TjxReportBand::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxReportBand>("TjxReportBand", &TjxBasicBand::StaticClass()).Build();
    return info;
}

void TjxReportBand::SetNewPage(bool value)
{
    SetField(m_newPage, value, "NewPage");
}

template <class T>
static TClassInfo ReportBandClass(const char* name)
{
    return TClassBuilder<T>(name, &TjxReportBand::StaticClass())
        .Creatable()
        .ORVANE_BAND_LENGTH("BottomOffset", mmBottomOffset, SetmmBottomOffset)
        .Prop("NewPage", BooleanType(), &T::NewPage, &T::SetNewPage).Default(0)
        .Prop("PrintHeight", PrintHeightType(), &T::PrintHeight, &T::SetPrintHeight).Default(phStatic)
        .ORVANE_BAND_LENGTH("PrintPosition", mmPrintPosition, SetmmPrintPosition)
        .Build();
}

const TClassInfo& TjxTitleBand::StaticClass()
{
    static const TClassInfo info = ReportBandClass<TjxTitleBand>("TjxTitleBand");
    return info;
}

TjxTitleBand::TjxTitleBand(TComponent* owner) : TjxReportBand(owner) {}

const TClassInfo& TjxSummaryBand::StaticClass()
{
    static const TClassInfo info = ReportBandClass<TjxSummaryBand>("TjxSummaryBand");
    return info;
}

TjxSummaryBand::TjxSummaryBand(TComponent* owner) : TjxReportBand(owner) {}

const TClassInfo& TjxDetailBand::StaticClass()
{
    using T = TjxDetailBand;
    static const TClassInfo info =
        TClassBuilder<T>("TjxDetailBand", &TjxBasicBand::StaticClass())
            .Creatable()
            .Prop("BandsPerRecord", IntegerType(), &T::BandsPerRecord, &T::SetBandsPerRecord).Default(1)
            .ORVANE_BAND_LENGTH("BottomOffset", mmBottomOffset, SetmmBottomOffset)
            .Prop("ColumnTraversal", ColumnTraversalType(), &T::ColumnTraversal, &T::SetColumnTraversal).Default(ctTopToBottom)
            .Prop("PrintCount", IntegerType(), &T::PrintCount, &T::SetPrintCount).Default(0)
            .Prop("PrintHeight", PrintHeightType(), &T::PrintHeight, &T::SetPrintHeight).Default(phStatic)
            .ORVANE_BAND_LENGTH("PrintPosition", mmPrintPosition, SetmmPrintPosition)
            .Defined("DataSource", [](T&, TReader& r) { r.SkipValue(); }, nullptr, [](const T&) { return false; })
            .Defined("NoRecordsAction", [](T&, TReader& r) { r.SkipValue(); }, nullptr, [](const T&) { return false; })
            .Defined("SkipWhenNoRecords", [](T&, TReader& r) { r.SkipValue(); }, nullptr, [](const T&) { return false; })
            .Defined("DataPipeline", [](T& b, TReader& r) { b.m_dataPipelineName = r.ReadIdent(); },
                     [](const T& b, TWriter& w) { w.Values().WriteRawIdent(b.m_dataPipelineName); },
                     [](const T& b) { return !b.m_dataPipelineName.isEmpty(); })
            .Build();
    return info;
}

TjxDetailBand::TjxDetailBand(TComponent* owner) : TjxBasicBand(owner) {}

void TjxDetailBand::SetBandsPerRecord(int value)
{
    if (value < 1)
        return;
    SetField(m_bandsPerRecord, value, "BandsPerRecord");
}

void TjxDetailBand::SetColumnTraversal(TjxColumnTraversalType value)
{
    SetField(m_columnTraversal, value, "ColumnTraversal");
}

void TjxDetailBand::SetPrintCount(int value)
{
    if (value < 0)
        return;
    SetField(m_printCount, value, "PrintCount");
}

void TjxDetailBand::Convert(int version)
{
    TjxBasicBand::Convert(version);
    if (version < 3000 && m_legacyRowSpacing != 0 && Report())
        SetmmBottomOffset(ClampStoredLength(UnitsToThousandths(float(m_legacyRowSpacing), Report()->Units(), axVertical)));
    m_legacyRowSpacing = 0;
}

const TClassInfo& TjxColumnHeaderBand::StaticClass()
{
    using T = TjxColumnHeaderBand;
    static const TClassInfo info =
        TClassBuilder<T>("TjxColumnHeaderBand", &TjxBasicBand::StaticClass())
            .Creatable()
            .ORVANE_BAND_LENGTH("BottomOffset", mmBottomOffset, SetmmBottomOffset)
            .ORVANE_BAND_LENGTH("PrintPosition", mmPrintPosition, SetmmPrintPosition)
            .Prop("PrintHeight", PrintHeightType(), &T::PrintHeight, &T::SetPrintHeight).Default(phStatic)
            .Build();
    return info;
}

TjxColumnHeaderBand::TjxColumnHeaderBand(TComponent* owner) : TjxBasicBand(owner) { SetHeightValue(0); }

const TClassInfo& TjxColumnFooterBand::StaticClass()
{
    using T = TjxColumnFooterBand;
    static const TClassInfo info =
        TClassBuilder<T>("TjxColumnFooterBand", &TjxBasicBand::StaticClass())
            .Creatable()
            .Prop("PrintHeight", PrintHeightType(), &T::PrintHeight, &T::SetPrintHeight).Default(phStatic)
            .Build();
    return info;
}

TjxColumnFooterBand::TjxColumnFooterBand(TComponent* owner) : TjxBasicBand(owner) { SetHeightValue(0); }

const TClassInfo& TjxPageStyle::StaticClass()
{
    using T = TjxPageStyle;
    static const TClassInfo info =
        TClassBuilder<T>("TjxPageStyle", &TjxBasicBand::StaticClass())
            .Creatable()
            .Prop("EndPage", IntegerType(), &T::EndPage, &T::SetEndPage).Default(0)
            .Prop("PageList", ClassType(), &T::PageList, &T::SetPageList)
            .Prop("PageSetting", PageSettingType(), &T::PageSetting, &T::SetPageSetting).Default(psAll)
            .Prop("SinglePage", IntegerType(), &T::SinglePage, &T::SetSinglePage).Default(0)
            .Prop("StartPage", IntegerType(), &T::StartPage, &T::SetStartPage).Default(0)
            .Prop("ValidPages", StringType(), &T::ValidPages, &T::SetValidPages)
            .Build();
    return info;
}

TjxPageStyle::TjxPageStyle(TComponent* owner) : TjxBasicBand(owner), m_pageList(std::make_unique<TStrings>()) {}

TjxPageStyle::~TjxPageStyle() = default;

// ---- group bands ----

const TClassInfo& TjxGroupBand::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxGroupBand>("TjxGroupBand", &TjxCustomBand::StaticClass()).Build();
    return info;
}

TjxGroupBand::TjxGroupBand(TComponent* owner) : TjxCustomBand(owner) { SetHeightValue(0); }

TjxGroupBand::~TjxGroupBand()
{
    if (Group())
        Group()->BandDestroyed(this);
}

QString TjxGroupBand::Caption() const
{
    QString caption = TjxCustomBand::Caption();
    if (!Group())
        return caption;
    return caption + QStringLiteral("[") + QString::number(GroupIndex()) + QStringLiteral("]: ") + Group()->BreakCaption();
}

void TjxGroupBand::SetParentComponent(TComponent* parent)
{
    if (auto* group = dynamic_cast<TjxGroup*>(parent)) {
        if (BandType() == btGroupHeader)
            group->SetHeaderBand(this);
        else
            group->SetFooterBand(this);
        return;
    }
    TjxCustomBand::SetParentComponent(parent);
}

TComponent* TjxGroupBand::GetParentComponent() const
{
    return Group() ? static_cast<TComponent*>(Group()) : TjxCustomBand::GetParentComponent();
}

template <class T>
static TClassInfo GroupBandClass(const char* name)
{
    return TClassBuilder<T>(name, &TjxGroupBand::StaticClass())
        .Creatable()
        .ORVANE_BAND_LENGTH("BottomOffset", mmBottomOffset, SetmmBottomOffset)
        .Prop("PrintHeight", PrintHeightType(), &T::PrintHeight, &T::SetPrintHeight).Default(phStatic)
        .ORVANE_BAND_LENGTH("PrintPosition", mmPrintPosition, SetmmPrintPosition)
        .Build();
}

const TClassInfo& TjxGroupHeaderBand::StaticClass()
{
    static const TClassInfo info = GroupBandClass<TjxGroupHeaderBand>("TjxGroupHeaderBand");
    return info;
}

QString TjxGroupHeaderBand::SortKey() const
{
    return SortKeyPart(4) + SortKeyPart(std::max(0, GroupIndex()));
}

const TClassInfo& TjxGroupFooterBand::StaticClass()
{
    static const TClassInfo info = GroupBandClass<TjxGroupFooterBand>("TjxGroupFooterBand");
    return info;
}

QString TjxGroupFooterBand::SortKey() const
{
    return SortKeyPart(6) + SortKeyPart(99999998 - std::max(0, GroupIndex()));
}

const TClassInfo* BandClassOfType(TjxBandType type)
{
    switch (type) {
    case btHeader: return &TjxHeaderBand::StaticClass();
    case btTitle: return &TjxTitleBand::StaticClass();
    case btColumnHeader: return &TjxColumnHeaderBand::StaticClass();
    case btGroupHeader: return &TjxGroupHeaderBand::StaticClass();
    case btDetail: return &TjxDetailBand::StaticClass();
    case btGroupFooter: return &TjxGroupFooterBand::StaticClass();
    case btColumnFooter: return &TjxColumnFooterBand::StaticClass();
    case btSummary: return &TjxSummaryBand::StaticClass();
    case btFooter: return &TjxFooterBand::StaticClass();
    case btPageStyle: return &TjxPageStyle::StaticClass();
    }
    return nullptr;
}

ORVANE_REGISTER_CLASS(TjxHeaderBand);
ORVANE_REGISTER_CLASS(TjxTitleBand);
ORVANE_REGISTER_CLASS(TjxDetailBand);
ORVANE_REGISTER_CLASS(TjxSummaryBand);
ORVANE_REGISTER_CLASS(TjxFooterBand);
ORVANE_REGISTER_CLASS(TjxGroupHeaderBand);
ORVANE_REGISTER_CLASS(TjxGroupFooterBand);
ORVANE_REGISTER_CLASS(TjxColumnHeaderBand);
ORVANE_REGISTER_CLASS(TjxColumnFooterBand);
ORVANE_REGISTER_CLASS(TjxPageStyle);

} // namespace orvane
