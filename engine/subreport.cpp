#include "engine/subreport.h"

#include "document/band.h"
#include "document/class_registry.h"
#include "document/component_registry.h"
#include "document/errors.h"
#include "document/event_ids.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/page_def.h"
#include "document/printer.h"
#include "document/printer_setup.h"
#include "document/report.h"
#include "document/stream_reader.h"
#include "engine/band_engine.h"
#include "engine/cache_manager.h"
#include "engine/data_pipeline.h"
#include "engine/engine.h"
#include "engine/pipeline_list.h"
#include "output/draw_command.h"
#include "output/draw_other.h"
#include "output/page.h"
#include "output/page_request.h"
#include "output/printer_device.h"
#include "output/publisher.h"

#include <QIODevice>
#include <algorithm>

namespace orvane {

const TTypeInfo& PrintBehaviorTypeType()
{
    static const TTypeInfo& t = EnumType("TjxPrintBehaviorType", {"pbChild", "pbSection", "pbFixed"});
    return t;
}

namespace {

constexpr uint32_t kColumnBands = (1u << btColumnHeader) | (1u << btColumnFooter);

// Changes a band's visibility for the length of a child page without telling
// the designer or marking the report changed: the stored value stays the user's.
void SetVisibleQuietly(TjxBand* band, bool visible)
{
    const bool reading = band->HasState(csReading);
    band->SetReading(true);
    band->SetVisible(visible);
    band->SetReading(reading);
}

QString KeyPart(int value)
{
    return QStringLiteral("%1").arg(value, 8);
}

} // namespace

// ---- the page-cache record ----

// The ancestors' part comes first as a block of its own, so that the section
// bookkeeping of records written earlier can be rewritten without knowing it.
struct TjxSubReport::TRecord {
    QByteArray base;  // the stretchable's state
    bool alreadyPageBroken = false;
    qint32 count = 0;
    bool reportStarted = false;
    qint32 lastCachedPage = 0;
    bool reportCompleted = false;
    qint32 reportPageNo = 1;
    bool firstPassCompleted = false;
    qint32 reportPageCount = 0;
    // Engine, groups, bands and components of the child report, in the order
    // the child engine lists them, at the start of the child page to make next.
    qint32 childIndex = -1;
    QList<QByteArray> child;

    void Write(QDataStream& s) const
    {
        s << base << alreadyPageBroken << count
          << reportStarted << lastCachedPage << reportCompleted << reportPageNo << firstPassCompleted
          << reportPageCount << childIndex << child;
    }
    void Read(QDataStream& s)
    {
        s >> base >> alreadyPageBroken >> count >>
            reportStarted >> lastCachedPage >> reportCompleted >> reportPageNo >> firstPassCompleted >>
            reportPageCount >> childIndex >> child;
    }
};

// What one child page needs around it, undone afterwards also when an
// exception passes: the child engine keeps its page states with the subreport
// (whose record in the parent's page cache carries them) instead of in a cache
// of its own, a child or fixed box lays the child out on a page of the box's
// size, page bands stay out of a child flowing in the parent's page, and
// pipelines the child closed that were open before are open again (the
// parent's engine still reads them).
class TjxSubReport::TChildRun {
public:
    TChildRun(TjxSubReport& owner, const TjxRect* box)
        : m_report(*owner.m_report), m_engine(m_report.Engine())
    {
        m_query = std::move(m_engine->LastCachedPageQuery);
        m_save = std::move(m_engine->OnSavePage);
        m_restore = std::move(m_engine->OnRestorePage);
        m_engine->LastCachedPageQuery = [&owner] { return owner.m_lastCachedPage; };
        m_engine->OnSavePage = [&owner](int index) { owner.SaveChildState(index); };
        m_engine->OnRestorePage = [&owner](int index) { owner.RestoreChildState(index); };

        const TjxDataPipelineList list(&m_report);
        for (int i = 0; i < list.Count(); ++i)
            if (list.Pipelines(i)->Active())
                m_open.push_back(list.Pipelines(i));

        if (box) {
            m_savedSetup = std::make_unique<TjxPrinterSetup>();
            m_savedSetup->Assign(m_report.PrinterSetup());
            if (TjxCustomReport* parent = owner.ParentReport())
                m_report.PrinterSetup()->Assign(parent->PrinterSetup());
            TjxPageDef* def = m_report.PrinterSetup()->PageDef();
            def->SetmmWidth(box->Width());
            def->SetmmHeight(box->Height());
            def->SetmmMarginLeft(0);
            def->SetmmMarginTop(0);
            def->SetmmMarginRight(0);
            def->SetmmMarginBottom(0);
        }
        if (owner.m_printBehavior == pbChild)
            for (TjxBand* band : m_report.Bands())
                if ((band->BandType() == btHeader || band->BandType() == btFooter) && band->Visible()) {
                    SetVisibleQuietly(band, false);
                    m_hidden.push_back(band);
                }
    }

    ~TChildRun()
    {
        for (TjxBand* band : m_hidden)
            SetVisibleQuietly(band, true);
        if (m_savedSetup)
            m_report.PrinterSetup()->Assign(m_savedSetup.get());
        for (TjxDataPipeline* pipeline : m_open)
            if (!pipeline->Active()) {
                try {
                    pipeline->Open();
                } catch (const EOrvaneError&) {
                    // It opened a moment ago; the parent reports the failure when it reads.
                }
            }
        m_engine->LastCachedPageQuery = std::move(m_query);
        m_engine->OnSavePage = std::move(m_save);
        m_engine->OnRestorePage = std::move(m_restore);
    }

    TChildRun(const TChildRun&) = delete;
    TChildRun& operator=(const TChildRun&) = delete;

private:
    TjxChildReport& m_report;
    TjxEngine* m_engine;
    std::function<int()> m_query;
    std::function<void(int)> m_save, m_restore;
    std::vector<TjxDataPipeline*> m_open;
    std::unique_ptr<TjxPrinterSetup> m_savedSetup;
    std::vector<TjxBand*> m_hidden;
};

// ---- class ----

const TClassInfo& TjxSubReport::StaticClass()
{
    using T = TjxSubReport;
    using P = TjxPublish<T>;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TjxSubReport", &TjxStretchable::StaticClass());
        b.Creatable();
        P::Base(b);
        P::Anchors(b);
        b.Prop("BottomOffset", FloatType(), &T::BottomOffset, &T::SetBottomOffset).NeverStored();
        b.Prop("DataPipeline", ClassType(), &T::DataPipeline, &T::SetDataPipeline);
        b.Prop("DrillDownComponent", ClassType(), &T::DrillDownComponent, &T::SetDrillDownComponent);
        b.Prop("ExpandAll", BooleanType(), &T::ExpandAll, &T::SetExpandAll).Default(0);
        b.Prop("KeepTogether", BooleanType(), &T::KeepTogether, &T::SetKeepTogether).Default(0);
        b.Prop("NewPrintJob", BooleanType(), &T::NewPrintJob, &T::SetNewPrintJob).Default(0);
        b.Prop("OutlineSettings", ClassType(), &T::OutlineSettings, &T::SetOutlineSettings);
        b.Prop("OverFlowOffset", FloatType(), &T::OverFlowOffset, &T::SetOverFlowOffset).NeverStored();
        b.Prop("ParentPrinterSetup", BooleanType(), &T::ParentPrinterSetup, &T::SetParentPrinterSetup).Default(1);
        b.Prop("ParentWidth", BooleanType(), &T::ParentWidth, &T::SetParentWidth).Default(1);
        b.Prop("PrintBehavior", PrintBehaviorTypeType(), &T::PrintBehavior, &T::SetPrintBehavior).Default(pbChild);
        b.Prop("ResetPageNo", BooleanType(), &T::ResetPageNo, &T::SetResetPageNo).Default(1);
        b.Prop("ShiftRelativeTo", ClassType(), &T::ShiftRelativeTo, &T::SetShiftRelativeTo);
        b.Prop("StopPosition", FloatType(), &T::StopPosition, &T::SetStopPosition).NeverStored();
        b.Prop("TraverseAllData", BooleanType(), &T::TraverseAllData, &T::SetTraverseAllData).Default(0);
        P::Visible(b);
        // Older streams stored a caption; it has no use any more.
        b.Defined("Caption", [](T&, TReader& r) { r.SkipValue(); }, nullptr, [](const T&) { return false; });
        return b.Build();
    }();
    return info;
}

TjxSubReport::TjxSubReport(TComponent* owner)
    : TjxStretchable(owner), m_outlineSettings(std::make_unique<TjxOutlineSettings>())
{
    SetInitialSize(mmWidth(), UnitsToThousandths(19, utScreenPixels, axVertical));
    SetParentWidth(true);
    SetStretch(true);
    m_outlineSettings->IsHolderReading = [this] { return IsReadingOrLoading(); };
    m_outlineSettings->OnChange = [this] { Modified(); };
}

TjxSubReport::~TjxSubReport()
{
    m_printerDevice.reset();
    m_outlineSettings->OnChange = nullptr;
    if (TjxChildReport* report = m_report) {
        ReleaseReport();
        delete report;
    }
}

// ---- the child report ----

TjxCustomReport* TjxSubReport::ParentReport() const
{
    const TjxBand* band = Band();
    return band ? band->Report() : nullptr;
}

TjxCustomReport* TjxSubReport::MainReport() const
{
    TjxCustomReport* report = ParentReport();
    if (const auto* child = dynamic_cast<const TjxChildReport*>(report))
        return child->MainReport();
    return report;
}

void TjxSubReport::CreateReport(TjxCustomReport* parentReport)
{
    if (!parentReport || m_report)
        return;
    TComponent* owner = parentReport->Owner() ? parentReport->Owner() : parentReport;
    auto* report = new TjxChildReport(owner);
    report->SetName(parentReport->GetValidName(report));
    report->PrinterSetup()->Assign(parentReport->PrinterSetup());
    report->SetUnits(Units());
    report->SetDataPipeline(DataPipeline());
    report->SetParent(this);
    ApplyAutomaticBands();
    NotifyDesigner(dnSubreportChanged, kDesignerNotifyCode, this);
}

void TjxSubReport::AddChild(TjxRelative* child)
{
    TjxStretchable::AddChild(child);
    if (auto* report = dynamic_cast<TjxChildReport*>(child); report && report->Parent() == this)
        AdoptReport(report);
}

void TjxSubReport::RemoveChild(TjxRelative* child)
{
    if (child && child == m_report) {
        // A child report leaving in its own destructor is no report any more: only forget it.
        if (child->HasState(csDestroying)) {
            m_report = nullptr;
            m_childOnChange = nullptr;
            m_childOnPageDefChange = nullptr;
        } else {
            ReleaseReport();
        }
    }
    TjxStretchable::RemoveChild(child);
}

void TjxSubReport::AdoptReport(TjxChildReport* report)
{
    if (report == m_report)
        return;
    // One child report per subreport: a newer one replaces the old.
    TjxChildReport* old = m_report;
    ReleaseReport();
    delete old;
    m_report = report;
    TjxPrinterSetup* setup = report->PrinterSetup();
    m_childOnChange = setup->OnChange;
    m_childOnPageDefChange = setup->OnPageDefChange;
    setup->OnChange = [this](TjxPrinterSetup* sender) {
        if (m_childOnChange)
            m_childOnChange(sender);
        ChildSetupChanged();
    };
    setup->OnPageDefChange = [this](TjxPrinterSetup* sender) {
        if (m_childOnPageDefChange)
            m_childOnPageDefChange(sender);
        ChildSetupChanged();
    };
    FollowParentLanguage();
}

void TjxSubReport::ReleaseReport()
{
    if (!m_report)
        return;
    TjxPrinterSetup* setup = m_report->PrinterSetup();
    setup->OnChange = std::move(m_childOnChange);
    setup->OnPageDefChange = std::move(m_childOnPageDefChange);
    m_childOnChange = nullptr;
    m_childOnPageDefChange = nullptr;
    if (m_report->HasEngine()) {
        TjxEngine* engine = m_report->Engine();
        engine->LastCachedPageQuery = nullptr;
        engine->OnSavePage = nullptr;
        engine->OnRestorePage = nullptr;
        engine->Clock = [] { return QDateTime::currentDateTime(); };
    }
    m_childStates.clear();
    m_report = nullptr;
}

void TjxSubReport::ListenToParentReport(TjxCustomReport* old)
{
    TjxCustomReport* parent = ParentReport();
    if (old && old != parent)
        RemoveNotify(old);
    if (parent)
        AddNotify(parent);
    FollowParentLanguage();
}

void TjxSubReport::FollowParentLanguage()
{
    if (TjxCustomReport* parent = ParentReport(); parent && m_report)
        m_report->FollowLanguage(parent->Language());
}

void TjxSubReport::ApplyAutomaticBands()
{
    if (!m_report)
        return;
    const uint32_t columns = m_report->AutomaticBandTypes() & kColumnBands;
    const uint32_t bands = m_printBehavior == pbChild ? (1u << btTitle) | (1u << btDetail) | (1u << btSummary)
                                                      : (1u << btHeader) | (1u << btDetail) | (1u << btFooter);
    m_report->SetAutomaticBandTypes(bands | columns);
}

void TjxSubReport::CopyParentPrinterSetup()
{
    TjxCustomReport* parent = ParentReport();
    if (m_report && parent)
        m_report->PrinterSetup()->Assign(parent->PrinterSetup());
}

void TjxSubReport::ChildSetupChanged()
{
    TjxCustomReport* parent = ParentReport();
    if (m_parentPrinterSetup && m_report && parent && !m_report->PrinterSetup()->Equals(*parent->PrinterSetup()))
        SetParentPrinterSetup(false);
}

// ---- published ----

void TjxSubReport::SetPrintBehavior(TjxPrintBehaviorType value)
{
    if (value > pbFixed || (value == pbSection && Region()))
        return;
    const bool loading = IsReadingOrLoading();
    if (value == m_printBehavior && !loading)
        return;
    if (!loading)
        NotifyDesignerPropertyChange(QStringLiteral("PrintBehavior"));
    m_printBehavior = value;
    SetStretch(value == pbChild);
    // A stream keeps what was saved: KeepTogether is written before the
    // behaviour and must not be lost on loading.
    if (loading)
        return;
    if (value == pbFixed) {
        SetKeepTogether(false);
        SetmmStopPosition(0);
    }
    if (value == pbSection) {
        SetDrillDownComponent(nullptr);
        SetParentWidth(true);
        SetShiftRelativeTo(nullptr);
    }
    ApplyAutomaticBands();
    AfterChange(true);
}

void TjxSubReport::SetParentPrinterSetup(bool value)
{
    Change(m_parentPrinterSetup, value, "ParentPrinterSetup");
    if (value && !IsReadingOrLoading())
        CopyParentPrinterSetup();
}

void TjxSubReport::SetResetPageNo(bool value)
{
    if (m_printBehavior != pbSection && !IsReadingOrLoading())
        return;
    Change(m_resetPageNo, value, "ResetPageNo");
}

void TjxSubReport::SetNewPrintJob(bool value)
{
    Change(m_newPrintJob, value, "NewPrintJob");
    if (!value || m_printBehavior == pbSection)
        return;
    // Announced, so that the designer's undo puts the behaviour back too.
    const bool loading = IsReadingOrLoading();
    if (!loading)
        NotifyDesignerPropertyChange(QStringLiteral("PrintBehavior"));
    m_printBehavior = pbSection;
    if (!loading)
        Modified();
}

void TjxSubReport::SetTraverseAllData(bool value)
{
    Change(m_traverseAllData, value, "TraverseAllData", true);
}

TjxComponent* TjxSubReport::DrillDownComponent() const
{
    if (m_drillDownComponent && !IsWriting() && !IsReadingOrLoading() && m_drillDownComponent->Band() != Band()) {
        auto* self = const_cast<TjxSubReport*>(this);
        self->SetDrillDownHandlers(false);
        self->RemoveNotify(m_drillDownComponent);
        self->m_drillDownComponent = nullptr;
    }
    return m_drillDownComponent;
}

void TjxSubReport::SetDrillDownComponent(TjxComponent* value)
{
    if (value == m_drillDownComponent || value == this)
        return;
    const bool loading = IsReadingOrLoading();
    if (value && m_printBehavior != pbChild && !loading)
        return;
    if (!loading)
        NotifyDesignerPropertyChange(QStringLiteral("DrillDownComponent"));
    if (m_drillDownComponent) {
        SetDrillDownHandlers(false);
        RemoveNotify(m_drillDownComponent);
    }
    m_drillDownComponent = value;
    if (value) {
        AddNotify(value);
        // A component drills down into one subreport only.
        if (TjxBand* band = Band())
            for (int i = 0; i < band->ChildCount(); ++i) {
                auto* other = dynamic_cast<TjxSubReport*>(band->Child(i));
                if (other && other != this && other->m_drillDownComponent == value) {
                    other->SetDrillDownHandlers(false);
                    other->RemoveNotify(value);
                    other->m_drillDownComponent = nullptr;
                }
            }
    }
    if (!loading)
        AfterChange(false);
}

void TjxSubReport::SetDrillDownHandlers(bool on)
{
    if (!m_drillDownComponent)
        return;
    if (on) {
        AddEventInterest(ciComponentDrawCommandCreate);
        AddEventInterest(ciComponentDrawCommandClick);
        m_drillDownComponent->AddEventNotify(this);
    } else {
        // Leaving the event list drops the link too; the destruction notice still matters.
        m_drillDownComponent->RemoveEventNotify(this);
        AddNotify(m_drillDownComponent);
    }
}

void TjxSubReport::SetExpandAll(bool value)
{
    if (!Change(m_expandAll, value, "ExpandAll") || IsReadingOrLoading())
        return;
    m_expansions.clear();
    if (DrillDownApplies())
        SetDrillDownHandlers(!value);
}

void TjxSubReport::SetOutlineSettings(TjxOutlineSettings* value)
{
    if (value)
        m_outlineSettings->Assign(value);
}

void TjxSubReport::SetBand(TjxBand* band)
{
    TjxCustomReport* old = ParentReport();
    TjxStretchable::SetBand(band);
    ListenToParentReport(old);
    if (!band || !band->Report() || IsReadingOrLoading())
        return;
    if (!m_report)
        CreateReport(band->Report());
    else if (m_parentPrinterSetup)
        CopyParentPrinterSetup();
    if (Stretch() && band->PrintHeight() == phStatic)
        band->SetPrintHeight(phDynamic);
}

void TjxSubReport::SetRegion(TjxComponent* region)
{
    TjxStretchable::SetRegion(region);
    // A box inside a region cannot hand pages of its own to the parent.
    if (Region() && m_printBehavior == pbSection)
        SetPrintBehavior(pbFixed);
}

void TjxSubReport::SetParentWidth(bool value)
{
    if (!value && m_printBehavior == pbSection && !IsReadingOrLoading())
        return;
    TjxStretchable::SetParentWidth(value);
}

void TjxSubReport::SetShiftRelativeTo(TjxStretchable* target)
{
    if (target && m_printBehavior == pbSection && !IsReadingOrLoading())
        return;
    TjxStretchable::SetShiftRelativeTo(target);
}

void TjxSubReport::SetDataPipeline(TjxCommunicator* value)
{
    if (value == DataPipeline())
        return;
    TjxStretchable::SetDataPipeline(value);
    if (m_report)
        m_report->SetDataPipeline(value);
    if (!IsReadingOrLoading()) {
        InvalidateDesignControl();
        NotifyDesigner(dnSubreportChanged, kDesignerNotifyCode, this);
    }
}

void TjxSubReport::SetUserName(const QString& value)
{
    const QString old = UserName();
    TjxStretchable::SetUserName(value);
    if (!IsReadingOrLoading() && UserName() != old)
        NotifyDesigner(dnSubreportChanged, kDesignerNotifyCode, this);
}

QString TjxSubReport::DesignCaption() const
{
    const TjxCommunicator* pipeline = DataPipeline();
    return UserName() + QStringLiteral(": ") +
           (pipeline ? pipeline->UserName() : GetMessage(msg::NoDataPipelineAssigned));
}

void TjxSubReport::Loaded()
{
    TjxStretchable::Loaded();
    // A stream without a child report still gets one to print.
    if (!m_report)
        if (TjxCustomReport* parent = ParentReport())
            CreateReport(parent);
    ListenToParentReport(nullptr);
}

void TjxSubReport::Notify(TjxCommunicator* sender, int operation)
{
    if (operation == ntDestroying) {
        if (sender == m_drillDownComponent)
            m_drillDownComponent = nullptr;
        if (sender == m_listenedEngine)
            m_listenedEngine = nullptr;
        if (sender == DataPipeline() && IsDesigning())
            NotifyDesigner(dnSubreportChanged, kDesignerNotifyCode, this);
    }
    TjxStretchable::Notify(sender, operation);
    TjxCustomReport* parent = ParentReport();
    if (!parent || !sender || HasState(csDestroying) || parent->HasState(csDestroying))
        return;
    if (operation == ntLanguageChanged && sender == parent) {
        FollowParentLanguage();
    } else if (operation == ntDestroying && sender != parent) {
        // A template load moves the band into another report and frees the
        // one it was read into: listen to the report the subreport is in now.
        ListenToParentReport(nullptr);
    }
}

// ---- keys and drill-down ----

bool TjxSubReport::DrillDownApplies() const
{
    return DrillDownComponent() && m_printBehavior != pbSection;
}

bool TjxSubReport::DrillDownExpanded() const
{
    return DrillDownApplies() && (m_expandAll || m_expansions.contains(CurrentExpansionKey()));
}

QString TjxSubReport::CurrentReportKey() const
{
    const auto* child = dynamic_cast<const TjxChildReport*>(ParentReport());
    const auto* holder = child ? dynamic_cast<const TjxSubReport*>(child->Parent()) : nullptr;
    return holder ? holder->ChildReportKey() : QString();
}

QString TjxSubReport::ChildReportKey() const
{
    return KeyPart(m_count) + u'|' + CurrentReportKey();
}

QString TjxSubReport::CurrentExpansionKey() const
{
    return CurrentReportKey() + KeyPart(m_count);
}

void TjxSubReport::DrillDownClick(TjxDrawCommand* command)
{
    if (!command || IsDesigning())
        return;
    const QString key = command->ExpansionKey();
    if (m_expansions.contains(key))
        m_expansions.removeAll(key);
    else
        m_expansions.append(key);
    command->SetRedrawPage(true);
    m_retainExpansions = true;
    TjxCustomReport* main = MainReport();
    if (!main)
        return;
    TjxEngine* engine = main->Engine();
    if (main->PassSetting() == psTwoPass) {
        engine->Restart();
        return;
    }
    // Generation resumes at the clicked page; the pages before it stand.
    const int page = std::max(1, command->Page() ? command->Page()->AbsolutePageNo() : engine->AbsolutePageNo());
    engine->CacheManager()->DiscardFrom(page);
    engine->Reset(page);
}

void TjxSubReport::EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params)
{
    if (sender && sender == m_listenedEngine && eventId == ciEnginePageSent) {
        ParentPageSent();
        return;
    }
    if (sender && sender == m_drillDownComponent && params &&
        (eventId == ciComponentDrawCommandCreate || eventId == ciComponentDrawCommandClick)) {
        auto* command = dynamic_cast<TjxDrawCommand*>(params->Value(u"aDrawCommand").value<TPersistent*>());
        if (!command || !DrillDownApplies() || m_expandAll)
            return;
        if (eventId == ciComponentDrawCommandCreate)
            command->SetExpansionKey(CurrentExpansionKey());
        else
            DrillDownClick(command);
        return;
    }
    TjxStretchable::EventNotify(sender, eventId, params);
}

// ---- generation ----

TjxBandEngine* TjxSubReport::BandEngine() const
{
    TjxCustomReport* report = ParentReport();
    return report && report->HasEngine() ? report->Engine()->BandEngine(Band()) : nullptr;
}

TjxEngine* TjxSubReport::ParentEngine() const
{
    TjxCustomReport* report = ParentReport();
    return report ? report->Engine() : nullptr;
}

void TjxSubReport::RestartChild()
{
    if (!m_report)
        return;
    TjxEngine* engine = m_report->Engine();
    if (engine->Printing())
        return;
    // Restarting closes the child's pipelines; the ones the parent reads are reopened.
    std::vector<TjxDataPipeline*> open;
    const TjxDataPipelineList list(m_report);
    for (int i = 0; i < list.Count(); ++i)
        if (list.Pipelines(i)->Active())
            open.push_back(list.Pipelines(i));
    engine->Restart();
    m_childStates.clear();
    for (TjxDataPipeline* pipeline : open)
        if (!pipeline->Active())
            pipeline->Open();
}

void TjxSubReport::ResumeChild()
{
    // The child's page states are this subreport's (a page made again brings
    // them back); a child that was started over since needs its bands and
    // pipelines again before it can take them.
    TjxEngine* engine = m_report->Engine();
    const bool known = std::any_of(m_childStates.begin(), m_childStates.end(),
                                   [this](const TChildState& s) { return s.index == m_reportPageNo - 1; });
    if (!known) {
        // Without the state to go on from, the child makes its earlier pages
        // again (without drawing them) on the way to the one asked for.
        RestartChild();
        m_lastCachedPage = 0;
        return;
    }
    if (!engine->HasState(esInitialized)) {
        const std::vector<TChildState> states = m_childStates;
        {
            TChildRun run(*this, nullptr);
            engine->InitializeReport();
        }
        m_childStates = states;
    }
    // Counts and end-of-run marks are not part of the engine's page state.
    engine->m_passOneDone = m_firstPassCompleted;
    engine->m_absolutePageCount = m_reportPageCount;
    engine->m_lastPageOfReport = 0;
    engine->m_blankReport = false;
    engine->m_emptyPages = 0;
}

void TjxSubReport::SaveChildState(int pageIndex)
{
    TChildState state;
    state.index = pageIndex;
    for (const TjxCacheable* cacheable : m_report->Engine()->m_cacheables)
        state.states.append(cacheable->SaveState());
    // A page that did not count is made again: the state before it stays.
    m_childStates.erase(std::remove_if(m_childStates.begin(), m_childStates.end(),
                                       [&](const TChildState& s) { return s.index >= pageIndex; }),
                        m_childStates.end());
    m_childStates.push_back(std::move(state));
    if (m_childStates.size() > 2)
        m_childStates.erase(m_childStates.begin());
}

void TjxSubReport::RestoreChildState(int pageIndex)
{
    const std::vector<TjxCacheable*>& cacheables = m_report->Engine()->m_cacheables;
    for (const TChildState& state : m_childStates)
        if (state.index == pageIndex && size_t(state.states.size()) == cacheables.size()) {
            for (size_t i = 0; i < cacheables.size(); ++i)
                cacheables[i]->RestoreState(state.states[qsizetype(i)]);
            return;
        }
}

void TjxSubReport::InitGeneration()
{
    TjxStretchable::InitGeneration();
    m_printerDevice.reset();
    m_runStopPosition = 0;
    m_alreadyPageBroken = m_firstPassCompleted = m_pageGenerated = false;
    m_reportCompleted = m_reportStarted = m_sectionEnded = m_childPageReady = false;
    m_reportPageNo = 1;
    m_reportPageCount = 0;
    m_lastCachedPage = 0;
    m_count = 0;
    ++m_reportStarts;
    m_retainExpansions = false;
    m_mainSection = !dynamic_cast<TjxChildReport*>(ParentReport());
    m_sectionSubreportsOnly = false;
    if (m_printBehavior == pbSection)
        if (TjxBand* band = Band()) {
            m_sectionSubreportsOnly = true;
            for (int i = 0; i < band->ChildCount(); ++i) {
                const auto* other = dynamic_cast<const TjxSubReport*>(band->Child(i));
                if (!other || other->m_printBehavior != pbSection)
                    m_sectionSubreportsOnly = false;
            }
        }
    if (DrillDownApplies())
        SetDrillDownHandlers(!m_expandAll);
    if (!m_report)
        return;
    if (m_parentPrinterSetup)
        CopyParentPrinterSetup();
    TjxCustomReport* main = MainReport();
    if (main)
        m_report->SetEnableProcessMessages(main->EnableProcessMessages());
    // The whole report tree prints with the main report's date and time.
    m_report->Engine()->Clock = [this] {
        TjxCustomReport* top = MainReport();
        return top && top->HasEngine() ? top->Engine()->PrintDateTime() : QDateTime::currentDateTime();
    };
    RestartChild();
}

void TjxSubReport::BeforeGenerate(bool freshBandPrint)
{
    TjxStretchable::BeforeGenerate(freshBandPrint);
    m_reportGenerated = false;
    m_childPageReady = false;
}

void TjxSubReport::AfterGenerate()
{
    TjxStretchable::AfterGenerate();
    m_runStopPosition = 0;
    if (m_printBehavior != pbSection && m_reportGenerated && m_reportCompleted)
        ++m_count;
}

bool TjxSubReport::CanStretch(const TjxPrintParent& parent) const
{
    return TjxStretchable::CanStretch(parent) || m_runStopPosition != 0;
}

int TjxSubReport::StopPositionAt(int top)
{
    // A fixed box that walks the data stops at its own bottom.
    if (m_printBehavior == pbFixed && m_traverseAllData)
        m_runStopPosition = top + mmHeight();
    return m_runStopPosition != 0 ? m_runStopPosition : mmStopPosition();
}

void TjxSubReport::ComputeContent(const TjxPrintParent& parent)
{
    m_reportGenerated = true;
    if (!m_report) {
        // Nothing to print: the occurrence is over at once.
        m_reportCompleted = true;
        SetOverFlow(false);
        if (CanStretch(parent))
            SetDrawHeight(0);
        return;
    }
    if (m_printBehavior == pbSection)
        ComputeSection();
    else if (m_printBehavior == pbChild || m_traverseAllData)
        ComputeChild(parent);
    else
        ComputeFixed();
}

void TjxSubReport::GenerateChildPage(const TjxRect* box)
{
    TjxEngine* engine = m_report->Engine();
    {
        TChildRun run(*this, box);
        TjxPageRequest request;
        request.SetPageSetting(psSinglePage);
        request.SetPageRequested(m_reportPageNo);
        engine->Generate(request);
    }
    // A child that was stopped starts over next time.
    if (engine->StopRequested())
        RestartChild();
}

void TjxSubReport::ComputeChild(const TjxPrintParent& parent)
{
    TjxEngine* engine = m_report->Engine();
    if (!m_reportStarted && OverFlow() && !KeptMoved())
        return;
    if (DrillDownApplies() && !DrillDownExpanded()) {
        RestartChild();
        m_reportCompleted = true;
        SetOverFlow(false);
        SetDrawHeight(0);
        return;
    }
    if (m_reportStarted) {
        ResumeChild();
    } else {
        m_reportStarted = true;
        m_firstPassCompleted = m_reportCompleted = false;
        m_reportPageNo = 1;
        m_reportPageCount = 1;
        m_lastCachedPage = 0;
        RestartChild();
    }
    const bool keep = KeepTogetherPossible(parent) && !KeptMoved() && m_printBehavior != pbFixed;
    const TjxRect box = PrintRect();
    GenerateChildPage(&box);
    if (CanStretch(parent)) {
        m_reportCompleted = engine->m_finalBandDone;
        SetOverFlow(!m_reportCompleted);
        SetDrawHeight(engine->SpaceUsed());
    } else {
        m_reportCompleted = true;
        SetOverFlow(false);
        SetDrawHeight(mmHeight());
    }
    if (DrawHeight() <= 0) {
        // Nothing of this page printed: the same page is asked for again.
        m_lastCachedPage = m_reportPageNo - 1;
    } else {
        if (OverFlow() && keep) {
            SetKeptMoved(true);
            SetDrawHeight(0);
            m_reportStarted = false;
            return;
        }
        if (OverFlow()) {
            ++m_reportPageNo;
            m_lastCachedPage = engine->AbsolutePageNo();
        }
        m_reportPageCount = engine->AbsolutePageCount();
        m_childPageReady = true;
    }
    m_firstPassCompleted = engine->m_passOneDone;
    if (m_reportCompleted)
        m_reportStarted = false;
    if (!OverFlow())
        SetKeptMoved(false);
}

void TjxSubReport::ComputeFixed()
{
    TjxEngine* engine = m_report->Engine();
    if (PrintRect().Height() < mmHeight()) {
        // A stop position cuts the box: it waits for the next page.
        SetOverFlow(true);
        SetDrawHeight(0);
        return;
    }
    m_reportPageNo = 1;
    m_lastCachedPage = 0;
    m_reportPageCount = 1;
    RestartChild();
    const TjxRect rect = PrintRect();
    const TjxRect box{rect.left, rect.top, rect.left + mmWidth(), rect.top + mmHeight()};
    GenerateChildPage(&box);
    m_reportCompleted = true;
    SetOverFlow(false);
    SetDrawHeight(mmHeight());
    m_firstPassCompleted = engine->m_passOneDone;
    m_childPageReady = true;
}

void TjxSubReport::SetSectionState(uint16_t bit, bool on)
{
    if (TjxEngine* engine = ParentEngine())
        engine->SetStateBit(bit, on);
}

void TjxSubReport::ComputeSection()
{
    TjxEngine* parentEngine = ParentEngine();
    TjxCustomReport* main = MainReport();
    TjxEngine* mainEngine = main ? main->Engine() : parentEngine;
    TjxBandEngine* band = BandEngine();
    TjxEngine* engine = m_report->Engine();
    if (!parentEngine || !mainEngine)
        return;
    SetDrawHeight(0);
    if (!m_alreadyPageBroken) {
        m_alreadyPageBroken = true;
        SetOverFlow(true);
        // A group that starts on a new page has its page already: no blank one.
        for (int i = 0; i < m_report->GroupCount(); ++i)
            if (m_report->Group(i)->NewPage())
                if (TjxBandEngine* header = engine->BandEngine(m_report->Group(i)->HeaderBand()))
                    header->SetForcedNewPage(true);
        if (mainEngine->AbsolutePageNo() == 0 || mainEngine->IsNewPage())
            m_reportStarted = true;
        m_reportCompleted = false;
        SetSectionState(esNewPageForSection, true);
        if (band)
            band->SetPageBreakPending(true);
        const bool bandUsed = band && (band->UsedHeight() > 0 || band->CurrentBottom() > band->BandTop());
        if (bandUsed || parentEngine->SpaceUsed() > 0 || !m_sectionSubreportsOnly)
            return;
        // The section can begin on this page.
        if (mainEngine->AbsolutePageNo() == 1 && mainEngine->AbsolutePageCount() > 1)
            m_reportStarted = false;
    }
    if (m_reportStarted) {
        m_reportStarted = false;
        m_reportPageNo = 1;
        m_reportPageCount = 0;
        m_lastCachedPage = 0;
        m_firstPassCompleted = m_reportCompleted = false;
        RestartChild();
    } else {
        ResumeChild();
    }
    SetSectionState(esNewPageForSection, false);
    SetSectionState(esSectionGenerating, true);
    if (band)
        band->SetPageBreakPending(true);

    GenerateChildPage(nullptr);
    TjxPage* childPage = engine->Page();
    m_pageGenerated = childPage->DrawCommandCount() > 0;
    SetOverFlow(!engine->m_finalBandDone);
    SetDrawHeight(engine->SpaceUsed());
    m_reportCompleted = !OverFlow();
    if (m_reportCompleted) {
        SetSectionState(esSectionGenerating, false);
        SetSectionState(esSectionEnded, true);
        m_sectionEnded = true;
    }
    if (DrawHeight() < 1) {
        m_lastCachedPage = m_reportPageNo - 1;
    } else {
        if (OverFlow())
            ++m_reportPageNo;
        m_lastCachedPage = engine->AbsolutePageNo();
        m_reportPageCount = engine->AbsolutePageCount();
    }
    m_firstPassCompleted = engine->m_passOneDone;
    if (mainEngine->IsNewPage() && mainEngine->AbsolutePageNo() >= mainEngine->AbsolutePageCount())
        RewriteSectionRecords();

    if (m_listenedEngine != parentEngine) {
        if (m_listenedEngine)
            m_listenedEngine->RemoveEventNotify(this);
        AddEventInterest(ciEnginePageSent);
        parentEngine->AddEventNotify(this);
        m_listenedEngine = parentEngine;
    }
    TjxPage* page = parentEngine->Page();
    if (m_pageGenerated) {
        page->Assign(childPage);
        if (m_newPrintJob && mainEngine->DrawPage())
            StartSectionJob();
    }
    if (!m_resetPageNo) {
        page->SetPageNo(parentEngine->PageNo());
        page->SetPageCount(parentEngine->PageCount());
        page->RefreshUpdateables();
    }
    if (m_reportCompleted) {
        ++m_count;
        m_alreadyPageBroken = false;
        m_reportPageNo = 1;
        m_reportPageCount = 0;
        m_lastCachedPage = 0;
        m_firstPassCompleted = false;
        RestartChild();
    }
}

void TjxSubReport::RewriteSectionRecords()
{
    // Pages of this section made earlier learn its page count so far, so
    // that they come out the same when they are made again.
    TjxCustomReport* main = MainReport();
    TjxCacheManager* cache = main && main->HasEngine() ? main->Engine()->CacheManager() : nullptr;
    if (!cache || !cache->IsRegistered(this))
        return;
    const int pageCount = m_report->Engine()->AbsolutePageCount();
    for (int index = cache->CachedPageCount(); index >= 0; --index) {
        QByteArray bytes;
        if (!cache->ReadRecord(this, index, bytes))
            break;
        QDataStream in(RecordData(bytes));
        in.setVersion(QDataStream::Qt_6_0);
        quint8 version = 0;
        TRecord record;
        in >> version;
        record.Read(in);
        if (in.status() != QDataStream::Ok || version != kStateRecordVersion || record.count != m_count)
            break;
        record.reportStarted = m_reportStarted;
        record.firstPassCompleted = m_firstPassCompleted;
        record.lastCachedPage = m_lastCachedPage;
        record.reportPageCount = pageCount;
        QByteArray patched;
        {
            QDataStream out(&patched, QIODevice::WriteOnly);
            out.setVersion(QDataStream::Qt_6_0);
            out << version;
            record.Write(out);
        }
        SealRecord(patched);
        cache->WriteRecord(this, index, patched);
    }
}

void TjxSubReport::ParentPageSent()
{
    TjxEngine* engine = m_listenedEngine;
    if (!engine)
        return;
    // The next occurrence may have begun on this page already: the section
    // that ended here is known by the state it left.
    const bool sectionEnded = m_sectionEnded;
    if (m_sectionEnded) {
        m_sectionEnded = false;
        engine->SetStateBit(esSectionEnded, false);
    }
    TjxCustomReport* main = MainReport();
    if (sectionEnded || (main && main->HasEngine() && main->Engine()->GenerationDone()))
        EndSectionJob();
    if (m_pageGenerated) {
        m_pageGenerated = false;
        // The parent's next page is its own again.
        if (m_mainSection && main) {
            engine->Page()->SetPrinterSetup(main->PrinterSetup());
            engine->Page()->SetProducer(main);
        }
    }
}

void TjxSubReport::StartSectionJob()
{
    TjxCustomReport* main = MainReport();
    if (m_printerDevice && !m_printerDevice->Publisher())
        m_printerDevice.reset();  // a job that a cancel or the run's end closed
    if (m_printerDevice || !main)
        return;
    // Only a run printing to a printer has jobs to split; a file target
    // (a printer's output file included) is one document.
    TjxPublisher* publisher = main->Publisher();
    TjxPrinterDevice* run = nullptr;
    for (int i = 0; i < publisher->DeviceCount() && !run; ++i)
        run = dynamic_cast<TjxPrinterDevice*>(publisher->DeviceAt(i));
    if (!run || !run->InStack() || !run->JobRunning() || !run->Printer()->OutputName().isEmpty())
        return;
    auto device = std::make_unique<TjxPrinterDevice>();
    device->SetInStack(true);
    device->SetStackKey(run->StackKey());
    device->SetLanguageIndex(run->LanguageIndex());
    device->AssignPageRequest(run->PageRequest());
    device->SetCancelDialog(run->CancelDialog());
    // The section's paper on the run's printer, with the run's copies: made
    // by the run's passes when it collates (collating here would run the
    // whole report again from inside its own generation), else page by page.
    TjxPrinterSetup setup;
    setup.Assign(m_report->PrinterSetup());
    setup.SetPrinterName(run->Printer()->PrinterName());
    setup.SetCollation(false);
    device->SetPrinterSetup(setup);
    device->SetPageCopies(run->Collated() ? 1 : run->JobCopies());
    // A cancel, a failure or the run's end closes the job; the run's own
    // printer device then takes the pages again.
    device->CancelJobHandler = [](TjxDevice* d) { d->SetPublisher(nullptr); };
    device->EndJobHandler = [](TjxDevice* d) { d->SetPublisher(nullptr); };
    device->SetPublisher(publisher);
    try {
        device->StartJob();
    } catch (...) {
        device->SetPublisher(nullptr);
        throw;
    }
    m_printerDevice = std::move(device);
}

void TjxSubReport::EndSectionJob()
{
    if (!m_printerDevice)
        return;
    // Freed whatever happens: an error ending the job must not leave the
    // device stacked over the run's own.
    std::unique_ptr<TjxPrinterDevice> device = std::move(m_printerDevice);
    device->EndJob();
    device->SetPublisher(nullptr);
}

TjxDrawCommand* TjxSubReport::CreateDrawCommand(TjxPage* page)
{
    // A section's page was taken over whole; a child page moves into the box.
    if (!m_childPageReady || !page || !m_report || m_printBehavior == pbSection)
        return nullptr;
    m_childPageReady = false;
    if (DrillDownApplies() && !DrillDownExpanded())
        return nullptr;
    TjxPage* childPage = m_report->Engine()->Page();
    const TjxRect rect = PrintRect();
    for (int i = 0; i < childPage->DrawCommandCount();) {
        TjxDrawCommand* command = childPage->DrawCommand(i);
        // The parent's outline has one root; the child's stays behind.
        if (dynamic_cast<TjxOutlineDrawCommand*>(command)) {
            ++i;
            continue;
        }
        command->SetLeft(command->Left() + rect.left);
        command->SetTop(command->Top() + rect.top);
        command->SetPage(page);
    }
    return nullptr;
}

// ---- page cache ----

TjxSubReport::TRecord TjxSubReport::Record() const
{
    TRecord r;
    r.alreadyPageBroken = m_alreadyPageBroken;
    r.count = m_count;
    r.reportStarted = m_reportStarted;
    r.lastCachedPage = m_lastCachedPage;
    r.reportCompleted = m_reportCompleted;
    r.reportPageNo = m_reportPageNo;
    r.firstPassCompleted = m_firstPassCompleted;
    r.reportPageCount = m_reportPageCount;
    return r;
}

void TjxSubReport::WriteState(QDataStream& stream) const
{
    TRecord record = Record();
    {
        QDataStream base(&record.base, QIODevice::WriteOnly);
        base.setVersion(stream.version());
        TjxStretchable::WriteState(base);
    }
    // The child's state at the start of its next page.
    for (const TChildState& state : m_childStates)
        if (state.index == m_reportPageNo - 1) {
            record.childIndex = state.index;
            record.child = state.states;
        }
    record.Write(stream);
}

void TjxSubReport::ReadState(QDataStream& stream)
{
    TRecord record;
    record.Read(stream);
    if (stream.status() != QDataStream::Ok)
        return;
    {
        QDataStream base(record.base);
        base.setVersion(stream.version());
        TjxStretchable::ReadState(base);
    }
    m_alreadyPageBroken = record.alreadyPageBroken;
    m_count = record.count;
    m_reportStarted = record.reportStarted;
    m_lastCachedPage = record.lastCachedPage;
    m_reportCompleted = record.reportCompleted;
    m_reportPageNo = record.reportPageNo;
    m_firstPassCompleted = record.firstPassCompleted;
    m_reportPageCount = record.reportPageCount;
    m_childStates.clear();
    if (!record.child.isEmpty()) {
        m_childStates.push_back({record.childIndex, record.child});
        return;
    }
    // Saved while the child stood at its beginning: it starts there again.
    if (m_report && m_report->HasEngine() && m_report->Engine()->HasState(esInitialized))
        RestartChild();
}

ORVANE_REGISTER_COMPONENT(TjxSubReport, "Advanced Components", 1, 369);

ORVANE_REGISTER_CLASS(TjxSubReport);

} // namespace orvane
