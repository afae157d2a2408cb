#include "engine/outline.h"

#include "document/band.h"
#include "document/errors.h"
#include "document/event_ids.h"
#include "document/group.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/report.h"
#include "engine/band_engine.h"
#include "engine/engine.h"
#include "engine/subreport.h"
#include "output/page.h"

#include <algorithm>
#include <functional>

namespace orvane {

namespace {

// The subreports in a band, regions included, in child order.
void CollectSubReports(const TjxRelative* parent, std::vector<TjxCommunicator*>& into)
{
    for (int i = 0; i < parent->ChildCount(); ++i) {
        TjxRelative* child = parent->Child(i);
        if (auto* subreport = dynamic_cast<TjxSubReport*>(child))
            into.push_back(subreport);
        else if (child)
            CollectSubReports(child, into);
    }
}

TjxCustomReport* ReportOf(TjxCommunicator* participant)
{
    if (auto* subreport = dynamic_cast<TjxSubReport*>(participant))
        return subreport->Report();
    return dynamic_cast<TjxCustomReport*>(participant);
}

bool HasDrillDownWithoutExpandAll(const TjxCustomReport* report, int depth = 0)
{
    // Deeper nesting than this is a cycle, which the engine refuses anyway.
    if (!report || depth > 64)
        return false;
    std::vector<TjxCommunicator*> subreports;
    for (TjxBand* band : report->Bands())
        CollectSubReports(band, subreports);
    for (TjxCommunicator* c : subreports) {
        auto* subreport = static_cast<TjxSubReport*>(c);
        if (subreport->DrillDownApplies() && !subreport->ExpandAll())
            return true;
        if (HasDrillDownWithoutExpandAll(subreport->Report(), depth + 1))
            return true;
    }
    return false;
}

bool InSubtree(const TjxOutlineNode* node, const TjxOutlineNode* top)
{
    for (const TjxRelative* n = node; n; n = n->Parent())
        if (n == top)
            return true;
    return false;
}

QString CaptionBeforeColon(const QString& text)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    return colon < 0 ? text : text.left(colon);
}

} // namespace

std::vector<TjxCommunicator*> OutlineChildren(TjxCommunicator* participant)
{
    std::vector<TjxCommunicator*> children;
    if (auto* group = dynamic_cast<TjxGroup*>(participant)) {
        TjxCustomReport* report = group->Report();
        if (!report)
            return children;
        const int index = report->IndexOfGroup(group);
        if (index >= 0 && index + 1 < report->GroupCount())
            children.push_back(report->Group(index + 1));
        else if (TjxBand* detail = report->FindBand(btDetail))
            CollectSubReports(detail, children);
        return children;
    }
    TjxCustomReport* report = ReportOf(participant);
    if (!report)
        return children;
    const std::vector<TjxBand*>& bands = report->Bands();
    TjxBand* detail = report->FindBand(btDetail);
    const auto detailAt = std::find(bands.begin(), bands.end(), detail);
    for (auto it = bands.begin(); it != detailAt; ++it)
        CollectSubReports(*it, children);
    if (report->GroupCount() > 0)
        children.push_back(report->Group(0));
    else if (detail)
        CollectSubReports(detail, children);
    if (detailAt != bands.end())
        for (auto it = detailAt + 1; it != bands.end(); ++it)
            CollectSubReports(*it, children);
    return children;
}

// ---- node creators ----

const TClassInfo& TjxOutlineNodeCreator::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxOutlineNodeCreator>("TjxOutlineNodeCreator", &TjxCommunicator::StaticClass()).Build();
    return info;
}

TjxOutlineNodeCreator::TjxOutlineNodeCreator(TjxOutline* outline, TjxCommunicator* participant,
                                             TjxOutlineNodeCreator* parent)
    : TjxCommunicator(nullptr), m_outline(outline), m_participant(participant), m_parentCreator(parent)
{
}

TjxOutlineNodeCreator::~TjxOutlineNodeCreator() = default;

TjxOutlineNodeCreator* TjxOutlineNodeCreator::AddCreator(std::unique_ptr<TjxOutlineNodeCreator> creator)
{
    m_creators.push_back(std::move(creator));
    return m_creators.back().get();
}

bool TjxOutlineNodeCreator::MayCreate() const
{
    return m_outline && m_outline->Root() && !m_outline->Suppressed();
}

TjxOutlineNode* TjxOutlineNodeCreator::ParentNode() const
{
    for (const TjxOutlineNodeCreator* c = m_parentCreator; c; c = c->m_parentCreator)
        if (c->m_current)
            return c->m_current;
    return m_outline->Root();
}

TjxOutlineNode* TjxOutlineNodeCreator::NewNode(TjxOutlineNodeType type, const QString& caption, bool active)
{
    TjxOutlineNode* node = ParentNode()->AddNode();
    node->SetStamp(m_outline->NextStamp());
    node->SetOpen(true);
    node->SetActive(active);
    node->SetCaption(caption);
    node->SetNodeType(type);
    node->SetPageReference(std::max(1, m_outline->CurrentPageNo()));
    m_current = node;
    NodeMadeCurrent(node);
    if (node->Active() && !m_outline->AskHook(node) && m_current == node)
        node->SetActive(false);
    if (m_current == node && m_outline->Report()->OutlineSettings()->CreatePageNodes())
        m_outline->Register(this, node);
    return node;
}

void TjxOutlineNodeCreator::PageEnd()
{
    if (m_current && ReportFinished())
        m_current->SetOpen(false);
    const TjxOutlineReportSettings* settings = m_outline->Report()->OutlineSettings();
    const std::vector<TjxOutlineNode*> targets = m_pageNodeTargets;
    if (settings->CreatePageNodes()) {
        const int page = m_outline->CurrentPageNo();
        for (TjxOutlineNode* target : targets) {
            if (m_outline->HasChildReceivingPageNodes(target))
                continue;
            TjxOutlineNode* node = target->AddNode();
            node->SetStamp(m_outline->NextStamp());
            node->SetCaption(GetMessage(18) + QLatin1Char(' ') + QString::number(page));
            node->SetNodeType(ntPage);
            node->SetPageReference(page);
            node->SetOpen(false);
            node->SetActive(true);
            if (!m_outline->AskHook(node))
                m_outline->FreeNode(node);
        }
    }
    for (TjxOutlineNode* target : targets)
        m_outline->Unregister(this, target);
    if (m_current && m_current->Open() && settings->CreatePageNodes())
        m_outline->Register(this, m_current);
}

void TjxOutlineNodeCreator::Forget(const TjxOutlineNode* node)
{
    if (m_current && InSubtree(m_current, node))
        m_current = nullptr;
    for (size_t i = m_pageNodeTargets.size(); i-- > 0;)
        if (InSubtree(m_pageNodeTargets[i], node))
            m_outline->Unregister(this, m_pageNodeTargets[i]);
}

// ---- report nodes ----

const TClassInfo& TjxOutlineReportNodeCreator::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxOutlineReportNodeCreator>(
                                       "TjxOutlineReportNodeCreator", &TjxOutlineNodeCreator::StaticClass())
                                       .Build();
    return info;
}

TjxCustomReport* TjxOutlineReportNodeCreator::Report() const
{
    return ReportOf(m_participant);
}

void TjxOutlineReportNodeCreator::Register()
{
    if (TjxCustomReport* report = Report()) {
        AddEventInterest(ciEngineGenerationStarted);
        report->Engine()->AddEventNotify(this);
    }
}

bool TjxOutlineReportNodeCreator::ReportFinished() const
{
    TjxCustomReport* report = Report();
    return report && report->HasEngine() && report->Engine()->FinalBandDone();
}

void TjxOutlineReportNodeCreator::EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params)
{
    TjxCommunicator::EventNotify(sender, eventId, params);
    if (eventId != ciEngineGenerationStarted)
        return;
    if (!m_outline)
        throw EOutlineError(GetMessage(msg::OutlineCreatorOutlineNil));
    if (!m_participant)
        throw EOutlineError(GetMessage(msg::OutlineCreatorComponentNil));
    auto* subreport = dynamic_cast<TjxSubReport*>(m_participant);
    if (subreport && subreport->PrintBehavior() != pbSection)
        return;
    if (!MayCreate() || (m_current && m_current->Open()))
        return;
    QString caption = CaptionBeforeColon(subreport ? subreport->DesignCaption() : GetMessage(374));
    if (caption.isEmpty())
        caption = GetMessage(1040);
    const TjxOutlineSettings* settings =
        subreport ? subreport->OutlineSettings() : m_outline->Report()->OutlineSettings();
    NewNode(subreport ? ntSubReport : ntReport, caption, settings->CreateNode());
}

// ---- group nodes ----

const TClassInfo& TjxOutlineGroupNodeCreator::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxOutlineGroupNodeCreator>(
                                       "TjxOutlineGroupNodeCreator", &TjxOutlineNodeCreator::StaticClass())
                                       .Build();
    return info;
}

TjxGroup* TjxOutlineGroupNodeCreator::Group() const
{
    return static_cast<TjxGroup*>(m_participant);
}

void TjxOutlineGroupNodeCreator::Register()
{
    TjxGroup* group = Group();
    AddEventInterest(ciBandBeforeGenerate);
    AddEventInterest(ciBandAfterGenerate);
    if (group->HeaderBand())
        group->HeaderBand()->AddEventNotify(this);
    if (group->FooterBand())
        group->FooterBand()->AddEventNotify(this);
    if (group->Report())
        if (TjxBand* detail = group->Report()->FindBand(btDetail))
            detail->AddEventNotify(this);
}

void TjxOutlineGroupNodeCreator::EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params)
{
    TjxCommunicator::EventNotify(sender, eventId, params);
    TjxGroup* group = Group();
    if (!MayCreate() || !group->Report())
        return;
    auto* band = dynamic_cast<TjxBand*>(sender);
    if (!band)
        return;
    if (eventId == ciBandBeforeGenerate) {
        if (band == group->HeaderBand()) {
            m_headerVisible = band->mmHeight() > 0 && band->Visible();
            if (m_headerVisible)
                CreateGroupNode();
        } else if (band->BandType() == btDetail && !m_headerVisible) {
            CreateGroupNode();
        }
    } else if (eventId == ciBandAfterGenerate && band == group->FooterBand() && m_current) {
        TjxBandEngine* engine = group->Report()->Engine()->BandEngine(band);
        if (!engine || engine->AllComplete())
            m_current->SetOpen(false);
    }
}

void TjxOutlineGroupNodeCreator::CreateGroupNode()
{
    TjxGroup* group = Group();
    TjxGroupState* state = group->Report()->Engine()->GroupState(group);
    if (!state)
        return;
    // A group whose footer never generates (an invisible footer band) still
    // ends with each break: its next value gets a node of its own.
    if (m_current && m_current->Open() && state->BreakNo() != m_breakNo)
        m_current->SetOpen(false);
    if (m_current && m_current->Open())
        return;
    m_previous = m_current;
    m_breakNo = state->BreakNo();
    NewNode(ntGroup, state->BreakValue(), group->OutlineSettings()->CreateNode());
}

void TjxOutlineGroupNodeCreator::NodeMadeCurrent(TjxOutlineNode* node)
{
    if (!m_firstOnPage)
        m_firstOnPage = node;
}

bool TjxOutlineGroupNodeCreator::NestedGroupMoved() const
{
    for (const auto& creator : m_creators)
        if (auto* inner = dynamic_cast<TjxOutlineGroupNodeCreator*>(creator.get())) {
            TjxGroup* group = inner->Group();
            TjxGroupState* state = group->Report() ? group->Report()->Engine()->GroupState(group) : nullptr;
            if ((state && state->Moved()) || inner->NestedGroupMoved())
                return true;
        }
    return false;
}

void TjxOutlineGroupNodeCreator::PruneAtPageEnd()
{
    // A kept-together group that moves to the next page starts there: the
    // node made for it on this page goes.
    if (!m_current || !m_current->Open() || m_current == m_firstOnPage || !Group()->KeepTogether() ||
        NestedGroupMoved())
        return;
    TjxOutlineNode* previous = m_previous;
    m_outline->FreeNode(m_current);
    m_current = previous;
    m_previous = nullptr;
}

void TjxOutlineGroupNodeCreator::PageEnd()
{
    TjxOutlineNodeCreator::PageEnd();
    m_firstOnPage = m_current && m_current->Open() ? m_current : nullptr;
}

void TjxOutlineGroupNodeCreator::Forget(const TjxOutlineNode* node)
{
    TjxOutlineNodeCreator::Forget(node);
    if (m_previous && InSubtree(m_previous, node))
        m_previous = nullptr;
    if (m_firstOnPage && InSubtree(m_firstOnPage, node))
        m_firstOnPage = nullptr;
}

// ---- the outline ----

const TClassInfo& TjxOutline::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxOutline>("TjxOutline", &TjxCommunicator::StaticClass()).Build();
    return info;
}

TjxOutline::TjxOutline(TjxReport* report) : TjxCommunicator(nullptr), m_report(report) {}

TjxOutline::~TjxOutline()
{
    // Creators first: they point into the tree.
    m_creators.reset();
}

TjxEngine* TjxOutline::MainEngine() const
{
    return m_report && m_report->HasEngine() ? m_report->Engine() : nullptr;
}

int TjxOutline::CurrentPageNo() const
{
    TjxEngine* engine = MainEngine();
    return engine ? engine->AbsolutePageNo() : 0;
}

bool TjxOutline::Suppressed() const
{
    return m_lastOutlinedPage > 0 && m_lastOutlinedPage >= CurrentPageNo();
}

void TjxOutline::Initialize()
{
    if (!m_report)
        throw EOutlineError(GetMessage(msg::OutlineReportNil));
    m_lastOutlinedPage = 0;
    m_copies = 0;
    m_creators.reset();
    m_receiving.clear();
    m_listening = false;
    // Pages of an earlier run still share the old tree; it goes with the last of them.
    m_root = std::make_shared<TjxOutlineNode>();
    m_root->SetNodeType(ntRoot);
    m_root->SetPageReference(-1);
    if (HasDrillDownWithoutExpandAll(m_report)) {
        m_complete = true;
        TjxOutlineNode* node = m_root->AddNode();
        node->SetCaption(GetMessage(msg::OutlineNoDrillDown));
        node->SetNodeType(ntNoOutline);
        node->SetPageReference(-1);
        node->SetOpen(true);
        node->SetActive(true);
        return;
    }
    m_complete = false;
    m_creators = CreateNodeCreator(m_report, nullptr);
    m_creators->Register();
    for (TjxCommunicator* child : OutlineChildren(m_report))
        BuildCreators(child, m_creators.get());
    m_listening = true;
}

std::unique_ptr<TjxOutlineNodeCreator> TjxOutline::CreateNodeCreator(TjxCommunicator* participant,
                                                                     TjxOutlineNodeCreator* parent)
{
    if (dynamic_cast<TjxGroup*>(participant))
        return std::make_unique<TjxOutlineGroupNodeCreator>(this, participant, parent);
    if (dynamic_cast<TjxSubReport*>(participant) || dynamic_cast<TjxCustomReport*>(participant))
        return std::make_unique<TjxOutlineReportNodeCreator>(this, participant, parent);
    throw EOutlineError(GetMessage(msg::OutlineNoParticipant));
}

void TjxOutline::BuildCreators(TjxCommunicator* participant, TjxOutlineNodeCreator* parent)
{
    TjxOutlineNodeCreator* creator = parent->AddCreator(CreateNodeCreator(participant, parent));
    creator->Register();
    for (TjxCommunicator* child : OutlineChildren(participant))
        BuildCreators(child, creator);
}

namespace {

void DepthFirst(TjxOutlineNodeCreator* creator, const std::function<void(TjxOutlineNodeCreator*)>& fn)
{
    if (!creator)
        return;
    fn(creator);
    for (int i = 0; i < creator->CreatorCount(); ++i)
        DepthFirst(creator->Creator(i), fn);
}

} // namespace

void TjxOutline::PageEnded()
{
    if (!m_listening || Suppressed())
        return;
    DepthFirst(m_creators.get(), [](TjxOutlineNodeCreator* c) { c->PruneAtPageEnd(); });
    DepthFirst(m_creators.get(), [](TjxOutlineNodeCreator* c) { c->PageEnd(); });
    m_lastOutlinedPage = CurrentPageNo();
}

void TjxOutline::AddDrawCommand(TjxPage& page)
{
    if (!m_root || page.OutlineDrawCommand())
        return;
    auto command = std::make_unique<TjxOutlineDrawCommand>();
    command->SetCompleted(m_complete);
    command->ShareTree(m_root, m_copies++);
    page.AddDrawCommand(command.release());
}

bool TjxOutline::AskHook(TjxOutlineNode* node)
{
    return m_report->OutlineNodeCreate(node);
}

void TjxOutline::FreeNode(TjxOutlineNode* node)
{
    if (!node || node == m_root.get())
        return;
    DepthFirst(m_creators.get(), [node](TjxOutlineNodeCreator* c) { c->Forget(node); });
    delete node;
}

void TjxOutline::Register(TjxOutlineNodeCreator* creator, TjxOutlineNode* node)
{
    if (!creator->m_pageNodeTargets.empty() &&
        std::find(creator->m_pageNodeTargets.begin(), creator->m_pageNodeTargets.end(), node) !=
            creator->m_pageNodeTargets.end())
        return;
    creator->m_pageNodeTargets.push_back(node);
    ++m_receiving[node->Parent()];
}

void TjxOutline::Unregister(TjxOutlineNodeCreator* creator, TjxOutlineNode* node)
{
    auto& targets = creator->m_pageNodeTargets;
    const auto it = std::find(targets.begin(), targets.end(), node);
    if (it == targets.end())
        return;
    targets.erase(it);
    const auto count = m_receiving.find(node->Parent());
    if (count != m_receiving.end() && --count->second <= 0)
        m_receiving.erase(count);
}

bool TjxOutline::HasChildReceivingPageNodes(const TjxOutlineNode* node) const
{
    return m_receiving.count(node) > 0;
}

} // namespace orvane
