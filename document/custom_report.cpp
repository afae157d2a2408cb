#include "document/custom_report.h"
#include "document/user_name_index.h"

#include "document/class_registry.h"
#include "document/messages.h"
#include "document/page_def.h"
#include "document/printer_setup.h"
#include "document/report_template.h"
#include "document/stream_reader.h"
#include "document/stream_writer.h"
#include "engine/pipeline_list.h"

#include <algorithm>

namespace orvane {

const TTypeInfo& NoDataBehaviorsType()
{
    static const TTypeInfo& t =
        SetType("TjxNoDataBehaviors",
                EnumType("TjxNoDataBehaviorType", {"ndMessageDialog", "ndMessageOnPage", "ndBlankPage", "ndBlankReport"}));
    return t;
}

const TTypeInfo& PassSettingType()
{
    static const TTypeInfo& t = EnumType("TjxPassSettingType", {"psOnePass", "psTwoPass"});
    return t;
}

namespace {

void Skip(TPersistent&, TReader& r) { r.SkipValue(); }
bool Never(const TPersistent&) { return false; }

} // namespace

const TClassInfo& TjxCustomReport::StaticClass()
{
    using T = TjxCustomReport;
    static const TClassInfo info =
        TClassBuilder<T>("TjxCustomReport", &TjxProducer::StaticClass())
            .Prop("AutoStop", BooleanType(), &T::AutoStop, &T::SetAutoStop).Default(1)
            .Prop("Columns", IntegerType(), &T::Columns, &T::SetColumns).Default(1)
            .Prop("ColumnPositions", ClassType(), &T::ColumnPositions, &T::SetColumnPositions)
            .Prop("ColumnWidth", FloatType(),
                  [](const T& r) { return double(ThousandthsToUnits(r.m_mmColumnWidth, r.m_units, axHorizontal)); },
                  [](T& r, double v) {
                      if (r.IsReadingOrLoading()) {  // kept for the conversion of older streams
                          r.m_legacyColumnWidth = v;
                          r.m_legacyColumnWidthRead = true;
                          return;
                      }
                      r.SetmmColumnWidth(UnitsToThousandths(float(v), r.m_units, axHorizontal));
                  })
                .NeverStored()
            .Prop("DataPipeline", ClassType(), &T::DataPipeline, &T::SetDataPipeline)
            .Prop("NoDataBehaviors", NoDataBehaviorsType(), &T::NoDataBehaviors, &T::SetNoDataBehaviors)
                .Default(1 << ndBlankPage)
            .Event("OnEndColumn", &T::m_onEndColumn)
            .Event("OnEndFirstPass", &T::m_onEndFirstPass)
            .Event("OnEndPage", &T::m_onEndPage)
            .Event("OnEndSecondPass", &T::m_onEndSecondPass)
            .Event("OnNoData", &T::m_onNoData)
            .Event("OnPrintingComplete", &T::m_onPrintingComplete)
            .Event("OnSaveText", &T::m_onSaveText)
            .Event("OnStartColumn", &T::m_onStartColumn)
            .Event("OnStartFirstPass", &T::m_onStartFirstPass)
            .Event("OnStartPage", &T::m_onStartPage)
            .Event("OnStartSecondPass", &T::m_onStartSecondPass)
            .Prop("PageLimit", IntegerType(), &T::PageLimit, &T::SetPageLimit).Default(0)
            .Prop("PassSetting", PassSettingType(), &T::PassSetting, &T::SetPassSetting).Default(psOnePass)
            .Prop("PrinterSetup", ClassType(), &T::PrinterSetup, &T::SetPrinterSetup)
            .Prop("SaveAsTemplate", BooleanType(), &T::SaveAsTemplate, &T::SetSaveAsTemplate).Default(0)
            .Prop("Template", ClassType(), &T::Template, &T::SetTemplate)
            .Prop("Units", UnitTypeType(), &T::Units, &T::SetUnits).Default(utInches)
            .Defined("Left", [](T& r, TReader& rd) { r.m_left = int(rd.ReadInteger()); },
                     [](const T& r, TWriter& w) { w.WriteInteger(r.m_left); }, [](const T& r) { return r.m_left != 0; })
            .Defined("Top", [](T& r, TReader& rd) { r.m_top = int(rd.ReadInteger()); },
                     [](const T& r, TWriter& w) { w.WriteInteger(r.m_top); }, [](const T& r) { return r.m_top != 0; })
            .Defined("Version", &T::ReadVersion, [](const T&, TWriter& w) { w.WriteString(QString::fromLatin1(kVersion)); },
                     [](const T&) { return true; })
            .Defined("mmColumnWidth",
                     [](T& r, TReader& rd) { r.m_mmColumnWidth = rd.ReadThousandths(); },
                     [](const T& r, TWriter& w) { w.WriteInteger(r.m_mmColumnWidth); }, [](const T&) { return true; })
            .Defined("DataPipelineName", [](T& r, TReader& rd) { r.m_dataPipelineName = rd.ReadString(); },
                     [](const T& r, TWriter& w) { w.WriteString(r.m_dataPipeline ? r.m_dataPipeline->Name() : r.m_dataPipelineName); },
                     [](const T& r) { return r.m_dataPipeline != nullptr || !r.m_dataPipelineName.isEmpty(); })
            // Names older streams held.
            .Defined("Device",
                     [](T& r, TReader& rd) {
                         const QString v = rd.ReadIdent();
                         static const std::pair<const char*, const char*> devices[] = {
                             {"dvScreen", "Screen"}, {"dvPrinter", "Printer"}, {"dvFile", "TextFile"}, {"dvArchive", "ArchiveFile"}};
                         for (const auto& [ident, device] : devices)
                             if (v.compare(QLatin1String(ident), Qt::CaseInsensitive) == 0)
                                 r.m_deviceType = QString::fromLatin1(device);
                     },
                     nullptr, Never)
            .Defined("UserName", Skip, nullptr, Never)
            .Defined("RulerUnits",
                     [](T& r, TReader& rd) {
                         const QString v = rd.ReadIdent();
                         if (v == u"utPixels") r.m_units = utScreenPixels;
                         else if (v == u"utInches") r.m_units = utInches;
                         else if (v == u"utMillimeters") r.m_units = utMillimeters;
                     },
                     nullptr, Never)
            .Defined("AllowPrintCancel", Skip, nullptr, Never)
            .Defined("PreviewPages", Skip, nullptr, Never)
            .Defined("SuppressFormFeed", Skip, nullptr, Never)
            .Defined("Viewer", Skip, nullptr, Never)
            .Defined("DataSource", [](T& r, TReader& rd) { r.m_legacyDataSource = rd.ReadIdent(); }, nullptr, Never)
            .Defined("Orientation", [](T& r, TReader& rd) { r.m_legacyLandscape = rd.ReadIdent() == u"poLandscape"; },
                     nullptr, Never)
            .Defined("NoDataPages", [](T& r, TReader& rd) { r.m_pageLimit = int(rd.ReadInteger()); }, nullptr, Never)
            .Defined("RowSpacing", [](T& r, TReader& rd) { r.m_legacyRowSpacing = rd.ReadFloat(); }, nullptr, Never)
            .Build();
    return info;
}

TjxCustomReport::TjxCustomReport(TComponent* owner)
    : TjxProducer(owner),
      m_columnPositions(std::make_unique<TStrings>()),
      m_template(std::make_unique<TjxReportTemplate>(this))
{
    m_printerSetup->SetDocumentName(GetUserName());
    // Without a designer there is nobody to ask about components beyond a
    // narrower page, so every page definition is accepted.
    m_printerSetup->OnValidatePageDef = [](TjxPrinterSetup*, TjxPageDef*, bool& accept) { accept = true; };
    m_printerSetup->OnPageDefChange = [this](TjxPrinterSetup*) {
        for (TjxBand* band : m_bands)
            band->SendEventNotify(ciBandLayoutChanged);
        NotifyDesigner(dnPageLayoutChanged, kDesignerNotifyCode, this);
        LayoutChanged();
    };
    m_printerSetup->OnChange = [this](TjxPrinterSetup*) {
        if (m_printerSetup->Units() != m_units)
            m_printerSetup->SetUnits(m_units);
    };
}

TjxCustomReport::~TjxCustomReport()
{
    SetStateFlags(csDestroying);
    // The engine holds the bands and components; it goes first.
    m_engine.reset();
    SetDataPipeline(nullptr);
    NotifyDestroying();
    m_clearing = true;
    // Groups destroy their own bands; then the other bands.
    while (!m_groups.empty())
        delete m_groups.back();
    while (!m_bands.empty())
        delete m_bands.back();
}

// ---- bands ----

TjxBand* TjxCustomReport::FindBand(TjxBandType type, int groupIndex) const
{
    if (type == btGroupHeader || type == btGroupFooter) {
        if (groupIndex < 0 || groupIndex >= GroupCount())
            return nullptr;
        TjxGroup* g = m_groups[size_t(groupIndex)];
        return type == btGroupHeader ? g->HeaderBand() : g->FooterBand();
    }
    const TClassInfo* cls = BandClassOfType(type);
    for (TjxBand* band : m_bands)
        if (band->InheritsFrom(*cls))
            return band;
    return nullptr;
}

void TjxCustomReport::AddBand(TjxBand* band)
{
    if (std::find(m_bands.begin(), m_bands.end(), band) != m_bands.end())
        return;
    m_bands.push_back(band);
    band->m_report = this;
    if (band->Parent() != this)
        band->TjxRelative::SetParent(this);
    TComponent* owner = Owner() ? Owner() : this;
    if (band->Owner() != owner && !IsReadingOrLoading())
        band->ChangeOwner(owner);
    SortBands();
    band->SendEventNotify(ciReportBandAdded);
    // The designer builds a bar for the band it hears of from the report.
    if (DesignState() & dsDesigning) {
        TjxEventParams params{{QStringLiteral("Band"), QVariant::fromValue(static_cast<void*>(band)), false}};
        SendEventNotify(ciReportBandAdded, &params);
    }
    LayoutChanged();
}

void TjxCustomReport::RemoveBand(TjxBand* band)
{
    auto it = std::find(m_bands.begin(), m_bands.end(), band);
    if (it == m_bands.end())
        return;
    m_bands.erase(it);
    band->m_report = nullptr;
    if (band->Parent() == this)
        RemoveChild(band);
    if (m_clearing)
        return;
    SortBands();
    band->SendEventNotify(ciReportBandRemoved);
    if (DesignState() & dsDesigning) {
        TjxEventParams params{{QStringLiteral("Band"), QVariant::fromValue(static_cast<void*>(band)), false}};
        SendEventNotify(ciReportBandRemoved, &params);
    }
    LayoutChanged();
}

void TjxCustomReport::SortBands()
{
    std::stable_sort(m_bands.begin(), m_bands.end(),
                     [](const TjxBand* a, const TjxBand* b) { return a->SortKey() < b->SortKey(); });
}

TjxBand* TjxCustomReport::CreateBand(TjxBandType type)
{
    TComponent* owner = Owner() ? Owner() : this;
    auto* band = static_cast<TjxBand*>(BandClassOfType(type)->createComponent(owner));
    band->SetName(GetValidName(band));
    band->SetReport(this);
    return band;
}

void TjxCustomReport::CreateDefaultBands()
{
    if (!m_bands.empty())
        return;
    struct Bracket {
        TjxCustomReport* report;
        ~Bracket() { report->EndUpdate(); }
    };
    BeginUpdate();
    Bracket bracket{this};
    for (int type = 0; type <= 9; ++type) {
        if (type == btGroupHeader || type == btGroupFooter || !(m_automaticBandTypes & (1u << type)))
            continue;
        if (!FindBand(TjxBandType(type)))
            CreateBand(TjxBandType(type));
    }
}

void TjxCustomReport::BeginUpdate()
{
    if (m_updateCount++ > 0)
        return;
    IncludeDesignState(dsUpdating);
    NotifyDesigner(dnReportUpdateStart, kDesignerNotifyCode, this);
}

void TjxCustomReport::EndUpdate()
{
    if (m_updateCount == 0 || --m_updateCount > 0)
        return;
    ExcludeDesignState(dsUpdating);
    NotifyDesigner(dnReportUpdateEnd, kDesignerNotifyCode, this);
}

void TjxCustomReport::SelectInDesigner()
{
    NotifyDesigner(dnSelectReport, kDesignerNotifyCode, this);
}

std::vector<TjxCustomReport*> TjxCustomReport::ChildReports() const
{
    std::vector<TjxCustomReport*> result;
    for (const TjxBand* band : m_bands)
        for (int i = 0; i < band->ChildCount(); ++i) {
            const TjxRelative* component = band->Child(i);
            for (int j = 0; j < component->ChildCount(); ++j)
                if (auto* child = dynamic_cast<TjxCustomReport*>(component->Child(j)))
                    result.push_back(child);
        }
    return result;
}

void TjxCustomReport::SetComponentDesigner(TjxComponentDesigner* designer)
{
    TjxComponentDesigner* old = GetComponentDesigner();
    if (old == designer)
        return;
    // The field changes before anyone is told, so that a designer answering
    // with another attach or detach finds the work done.
    if (old) {
        for (TjxCustomReport* child : ChildReports())
            child->SetComponentDesigner(nullptr);
        TjxProducer::SetComponentDesigner(nullptr);
        if (TjxDesignerInterface* left = old->DesignerInterface())
            left->NotifyDesigner(dnReportDetached, kDesignerNotifyCode, this);
    }
    if (!designer || GetComponentDesigner())
        return;
    TjxProducer::SetComponentDesigner(designer);
    if (TjxDesignerInterface* joined = designer->DesignerInterface())
        joined->NotifyDesigner(dnReportAttached, kDesignerNotifyCode, this);
    if (GetComponentDesigner() != designer)
        return;
    for (TjxCustomReport* child : ChildReports())
        child->SetComponentDesigner(designer);
}

void TjxBandedReport::EnsureBands()
{
    if (BandCount() == 0)
        CreateDefaultBands();
    if (!FindBand(btDetail))
        CreateBand(btDetail);
    TComponent* owner = Owner() ? Owner() : this;
    for (int i = 0; i < GroupCount(); ++i) {
        TjxGroup* g = Group(i);
        for (TjxBandType type : {btGroupHeader, btGroupFooter}) {
            if ((type == btGroupHeader ? g->HeaderBand() : g->FooterBand()) != nullptr)
                continue;
            auto* band = static_cast<TjxGroupBand*>(BandClassOfType(type)->createComponent(owner));
            band->SetName(GetValidName(band));
            type == btGroupHeader ? g->SetHeaderBand(band) : g->SetFooterBand(band);
        }
    }
}

// ---- groups ----

int TjxCustomReport::IndexOfGroup(const TjxGroup* group) const
{
    auto it = std::find(m_groups.begin(), m_groups.end(), group);
    return it == m_groups.end() ? -1 : int(it - m_groups.begin());
}

void TjxCustomReport::AddGroup(TjxGroup* group)
{
    if (IndexOfGroup(group) >= 0)
        return;
    m_groups.push_back(group);
    group->SetReportUnlinked(this);
    if (group->Parent() != this)
        group->TjxRelative::SetParent(this);
    TComponent* owner = Owner() ? Owner() : this;
    if (group->Owner() != owner && !IsReadingOrLoading())
        group->ChangeOwner(owner);
    SortBands();
    LayoutChanged();
}

void TjxCustomReport::RemoveGroup(TjxGroup* group)
{
    auto it = std::find(m_groups.begin(), m_groups.end(), group);
    if (it == m_groups.end())
        return;
    m_groups.erase(it);
    group->SetReportUnlinked(nullptr);
    if (group->Parent() == this)
        RemoveChild(group);
    if (m_clearing)
        return;
    SortBands();
    LayoutChanged();
}

void TjxCustomReport::MoveGroup(TjxGroup* group, int newIndex)
{
    const int from = IndexOfGroup(group);
    if (from < 0)
        return;
    newIndex = std::clamp(newIndex, 0, GroupCount() - 1);
    m_groups.erase(m_groups.begin() + from);
    m_groups.insert(m_groups.begin() + newIndex, group);
    for (TjxGroup* g : m_groups)
        g->RefreshBandCaptions();
    SortBands();
    for (TjxGroup* g : m_groups)
        for (TjxBand* b : {static_cast<TjxBand*>(g->HeaderBand()), static_cast<TjxBand*>(g->FooterBand())})
            if (b)
                b->NotifyDesignerModified();
    LayoutChanged();
}

// ---- settings ----

int TjxCustomReport::PrintableWidth() const
{
    return m_printerSetup->PageDef()->PrintableWidth();
}

void TjxCustomReport::SetColumns(int value)
{
    if (value <= 0)
        value = 1;
    if (IsReadingOrLoading()) {
        m_columns = value;
        return;
    }
    if (value == m_columns)
        return;
    NotifyDesignerPropertyChange(QStringLiteral("Columns"));
    const int old = m_columns;
    m_columns = value;
    if (value >= 2) {
        m_mmColumnWidth = PrintableWidth() / value;
        m_automaticBandTypes |= (1u << btColumnHeader) | (1u << btColumnFooter);
        if (old < 2 && BandCount() > 0) {
            if (!FindBand(btColumnHeader))
                CreateBand(btColumnHeader);
            if (!FindBand(btColumnFooter))
                CreateBand(btColumnFooter);
        }
    } else {
        m_mmColumnWidth = PrintableWidth();
        m_automaticBandTypes &= ~((1u << btColumnHeader) | (1u << btColumnFooter));
    }
    LayoutChanged();
    Modified();
    PropertyChanged();
}

void TjxCustomReport::SetmmColumnWidth(int value)
{
    if (IsReadingOrLoading()) {
        m_mmColumnWidth = value;
        return;
    }
    const int printable = PrintableWidth();
    value = std::min(value, printable);
    if (value == m_mmColumnWidth)
        return;
    NotifyDesignerPropertyChange(QStringLiteral("ColumnWidth"));
    m_mmColumnWidth = value;
    if (value <= 0 && m_columns > 1)
        SetColumns(1);
    else if (m_columns > 1 && value > 0 && printable / value < m_columns)
        m_columns = printable / value;
    LayoutChanged();
    Modified();
    PropertyChanged();
}

void TjxCustomReport::SetColumnPositions(TStrings* value)
{
    if (!value)
        return;
    m_columnPositions->Assign(value);
    if (!IsReadingOrLoading()) {
        LayoutChanged();
        Modified();
        PropertyChanged();
    }
}

void TjxCustomReport::SetNoDataBehaviors(TjxNoDataBehaviors value)
{
    const uint32_t page = 1u << ndBlankPage, report = 1u << ndBlankReport, message = 1u << ndMessageOnPage;
    if ((value & page) && (value & report)) {
        // The member newly added wins.
        if (m_noDataBehaviors & page)
            value &= ~page;
        else
            value &= ~report;
    }
    if (!(value & (page | report)))
        value |= page;
    if ((value & page) && (value & message))
        value &= ~message;
    SetField(m_noDataBehaviors, value, "NoDataBehaviors");
}

void TjxCustomReport::SetTemplate(TjxReportTemplate* value)
{
    if (value)
        m_template->Assign(value);
}

void TjxCustomReport::SetUnits(TjxUnitType value)
{
    const bool changed = value != m_units;
    m_units = value;
    m_printerSetup->SetUnits(value);
    if (IsReadingOrLoading())
        return;
    NotifyDesignerModified();
    // The designer reads the new unit from the report.
    if (changed)
        NotifyDesigner(dnUnitsChanged, kDesignerNotifyCode, this);
}

void TjxCustomReport::SetDataPipeline(TjxCommunicator* value)
{
    if (m_dataPipeline == value)
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("DataPipeline"));
    if (m_dataPipeline)
        RemoveNotify(m_dataPipeline);
    m_dataPipeline = value;
    if (value) {
        AddNotify(value);
        m_dataPipelineName = value->Name();
    } else if (!IsReadingOrLoading()) {
        // Taken off its pipeline: the name must not bring it back on the next load.
        m_dataPipelineName.clear();
    }
    if (!IsReadingOrLoading() && !HasState(csDestroying)) {
        SendNotify(ntDataChanged);
        LayoutChanged();
        Modified();
    }
}

void TjxCustomReport::Notify(TjxCommunicator* sender, int operation)
{
    if (sender == m_dataPipeline) {
        if (operation == ntDestroying) {
            m_dataPipeline = nullptr;
            m_autoStop = true;
            NotifyDesignerModified();
        } else if (operation == ntDataChanged) {
            LayoutChanged();
        }
    }
    TjxProducer::Notify(sender, operation);
}

void TjxCustomReport::LayoutChanged()
{
    if (IsReadingOrLoading() || HasState(csDestroying))
        return;
    ++m_layoutChangeCount;
}

// ---- user names ----

TjxCommunicator* TjxCustomReport::FindUserName(const QString& name) const
{
    TUserNameMatch match;
    if (name.compare(GetUserName(), Qt::CaseInsensitive) == 0 && match.Offer(const_cast<TjxCustomReport*>(this)))
        return match.Result();
    if (FindUserNameInTree(name, match))
        return match.Result();
    // Other objects of the owner, but not the bands, components and groups of other reports.
    if (const TComponent* owner = Owner())
        for (TComponent* c : owner->OwnedUserNames().Find(name)) {
            if (c == this || dynamic_cast<TjxBand*>(c) || dynamic_cast<TjxGroup*>(c))
                continue;
            if (auto* r = dynamic_cast<TjxRelative*>(c); r && dynamic_cast<TjxBand*>(r->Parent()))
                continue;
            // The index knows stored names; another report shows a derived one.
            auto* holder = static_cast<TjxCommunicator*>(c);
            if (holder->GetUserName().compare(name, Qt::CaseInsensitive) != 0)
                continue;
            if (match.Offer(holder))
                break;
        }
    return match.Result();
}

QString TjxCustomReport::GetValidUserName(const TjxCommunicator* component) const
{
    if (auto* band = dynamic_cast<const TjxBand*>(component))
        return band->GetUserName();
    const QString stem = TUserNameIndex::Stem(component->ClassInfo());
    // No name in the tree ends in the number; the owner's other objects may still hold the name.
    for (int n = LowestFreeUserNumberInTree(stem, component);; n = FreeUserNumberInTree(stem, n + 1)) {
        const QString name = stem + QString::number(n);
        const TjxCommunicator* holder = FindUserName(name);
        if (!holder || holder == component)
            return name;
    }
}

// ---- streaming ----

void TjxCustomReport::GetChildren(const TGetChildProc& proc, TComponent*) const
{
    const std::vector<TjxBand*> bands = m_bands;
    for (TjxBand* band : bands)
        if (!band->Group())
            proc(band);
    const std::vector<TjxGroup*> groups = m_groups;
    for (TjxGroup* g : groups)
        proc(g);
    GetExtraReportChildren(proc);
}

void TjxCustomReport::ReadVersion(TReader& reader)
{
    m_version = reader.ReadString();
    m_versionRead = true;
}

int TjxCustomReport::VersionNumber(const QString& text)
{
    QString digits;
    for (QChar c : text) {
        if (!(c.isDigit() || c == u'.') || digits.size() >= 20)
            break;
        digits += c;
    }
    const qsizetype dot = digits.indexOf(u'.');
    if (dot >= 0)
        digits.remove(dot, 1);
    while (digits.size() < 4)
        digits += u'0';
    bool ok = false;
    int number = digits.toInt(&ok);
    if (!ok)
        number = 0;
    const qsizetype beta = text.indexOf(QStringLiteral("Beta Build"));
    if (number >= 9010 && beta >= 0 && beta + 11 < text.size() && text[beta + 11].isDigit())
        number = text[beta + 11].digitValue() >= 7 ? 3999 : 3998;
    return number;
}

void TjxCustomReport::Loaded()
{
    TjxProducer::Loaded();
    // The pipelines beside the report, found by the names read.
    ResolveReportPipelines(*this);
    if (FormatSettings().decimalSeparator != u'.')
        m_columnPositions->SetLines(LocalizeDecimalPoint(m_columnPositions->Lines()));
    m_printerSetup->Loaded();
    if (!m_versionRead)
        m_version = QStringLiteral("1.0");
    m_versionNumber = VersionNumber(m_version);
    if (m_versionNumber < 4000)
        m_convertedFromOldFormat = true;
    if (m_versionNumber < 9010) {
        ConvertVersion(m_versionNumber);
        m_version = QString::fromLatin1(kVersion);
        m_versionNumber = 9010;
    }
    m_printerSetup->ForgetLengthsRead();
    m_versionRead = false;
    if (m_saveAsTemplate && !(DesignState() & dsLoadingTemplate))
        m_template->LoadAfterRead();
}

// Values the stream held are converted from the version that wrote it; values
// it did not hold are defaults, already right, and stay. The behaviour of old
// versions (no AutoStop, two passes) is taken over only from a stream that
// names its version: one without "Version" is read as the oldest form, but
// nothing in it says that an old version wrote it.
void TjxCustomReport::ConvertVersion(int version)
{
    for (TjxBand* band : std::vector<TjxBand*>(m_bands)) {
        if (version < 3000 && band->BandType() == btDetail && m_legacyRowSpacing != 0)
            band->SetLegacyRowSpacing(m_legacyRowSpacing);
        band->Convert(version);
    }
    for (TjxGroup* g : m_groups)
        g->Convert(version);
    if (version < 4100 && m_versionRead)
        m_autoStop = false;
    if (version < 3000) {
        // The page's lengths were stored in the report's units.
        m_printerSetup->ConvertLengthsRead(m_units);
        QStringList positions;
        for (const QString& line : m_columnPositions->Lines()) {
            double value = 0;
            if (ParseFloat(line, u'.', value))
                positions << QString::number(ClampStoredLength(UnitsToThousandths(float(value), m_units, axHorizontal)));
        }
        m_columnPositions->SetLines(positions);
        if (m_legacyColumnWidthRead)
            m_mmColumnWidth = ClampStoredLength(UnitsToThousandths(float(m_legacyColumnWidth), m_units, axHorizontal));
        if (m_columns > 1 && positions.isEmpty() && int64_t(m_mmColumnWidth) * m_columns > PrintableWidth())
            m_mmColumnWidth = PrintableWidth() / m_columns;
        if (m_versionRead)
            m_passSetting = psTwoPass;
    }
}

// ---- content ----

void TjxCustomReport::ClearContent()
{
    while (!m_groups.empty())
        delete m_groups.back();
    while (!m_bands.empty())
        delete m_bands.back();
}

void TjxCustomReport::TakeOverContent(TjxCustomReport* other)
{
    AssignProducerSettings(*other);
    // A paper known only by its number as read (not yet resolved against the
    // printer) moves as it is: dropping the number would change what a later save writes.
    m_printerSetup->AssignWithPending(*other->m_printerSetup);
    m_columns = other->m_columns;
    m_columnPositions->Assign(other->m_columnPositions.get());
    m_mmColumnWidth = other->m_mmColumnWidth;
    SetDataPipeline(other->m_dataPipeline);
    m_dataPipelineName = other->m_dataPipelineName;
    m_autoStop = other->m_autoStop;
    m_noDataBehaviors = other->m_noDataBehaviors;
    m_pageLimit = other->m_pageLimit;
    m_passSetting = other->m_passSetting;
    m_saveAsTemplate = other->m_saveAsTemplate;
    m_units = other->m_units;
    m_template->AssignSettings(*other->m_template);
    m_onEndColumn = other->m_onEndColumn;
    m_onEndFirstPass = other->m_onEndFirstPass;
    m_onEndPage = other->m_onEndPage;
    m_onEndSecondPass = other->m_onEndSecondPass;
    m_onNoData = other->m_onNoData;
    m_onStartColumn = other->m_onStartColumn;
    m_onStartFirstPass = other->m_onStartFirstPass;
    m_onStartPage = other->m_onStartPage;
    m_onStartSecondPass = other->m_onStartSecondPass;
    m_automaticBandTypes = other->m_automaticBandTypes;

    ClearContent();
    TComponent* owner = Owner() ? Owner() : this;
    // Everything leaves the other report: keeping its index up to date on the way is wasted.
    other->DropTreeNames();
    const std::vector<TjxBand*> bands = other->m_bands;
    for (auto it = bands.rbegin(); it != bands.rend(); ++it) {
        TjxBand* band = *it;
        if (band->Group())
            continue;  // group bands come with their groups
        other->RemoveBand(band);
        if (band->Owner() != owner)
            band->ChangeOwner(owner);
        band->SetReport(this);
        for (int i = 0; i < band->ChildCount(); ++i)
            if (band->Child(i)->Owner() != owner)
                band->Child(i)->ChangeOwner(owner);
    }
    const std::vector<TjxGroup*> groups = other->m_groups;
    for (TjxGroup* g : groups) {
        if (g->Owner() != owner)
            g->ChangeOwner(owner);
        for (TjxBand* b : {static_cast<TjxBand*>(g->HeaderBand()), static_cast<TjxBand*>(g->FooterBand())})
            if (b && b->Owner() != owner) {
                b->ChangeOwner(owner);
                for (int i = 0; i < b->ChildCount(); ++i)
                    if (b->Child(i)->Owner() != owner)
                        b->Child(i)->ChangeOwner(owner);
            }
        g->SetReport(this);
    }
    SortBands();
    LayoutChanged();
}

ORVANE_REGISTER_CLASS(TjxCustomReport);

} // namespace orvane
