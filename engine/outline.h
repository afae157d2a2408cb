#pragma once

// The report outline: while the main report generates, a tree of nodes for
// the report, its section subreports, each group value and (optionally) each
// page a report or group node continues on. At every page end the page gets
// an outline draw command with the tree as it stands.
//
// One tree serves a whole run. Nodes are only added once pages have been
// copied (a node freed at a page end was made on that page and never seen
// by a copy), so a page's copy is the tree's nodes stamped up to the page's
// copy number, and every page shares the run's tree instead of holding a
// copy of its own: memory stays linear in the page count.

#include "document/communicator.h"
#include "output/draw_other.h"

#include <memory>
#include <unordered_map>
#include <vector>

namespace orvane {

class TjxBand;
class TjxCustomReport;
class TjxEngine;
class TjxGroup;
class TjxPage;
class TjxReport;
class TjxSubReport;
class TjxOutline;

// A creator of outline nodes for one participant (a report, a subreport or
// a group); creators form a tree in the order of the outline's children.
class TjxOutlineNodeCreator : public TjxCommunicator {
    ORVANE_CLASS(TjxOutlineNodeCreator, TjxCommunicator)
public:
    TjxOutlineNodeCreator(TjxOutline* outline = nullptr, TjxCommunicator* participant = nullptr,
                          TjxOutlineNodeCreator* parent = nullptr);
    ~TjxOutlineNodeCreator() override;

    TjxOutline* Outline() const { return m_outline; }
    TjxCommunicator* Participant() const { return m_participant; }
    TjxOutlineNodeCreator* ParentCreator() const { return m_parentCreator; }
    int CreatorCount() const { return int(m_creators.size()); }
    TjxOutlineNodeCreator* Creator(int index) const { return m_creators.at(size_t(index)).get(); }
    TjxOutlineNodeCreator* AddCreator(std::unique_ptr<TjxOutlineNodeCreator> creator);

    TjxOutlineNode* CurrentNode() const { return m_current; }
    // Starts listening to the participant's events.
    virtual void Register() {}
    // The page-end steps: pruning (groups) and page nodes.
    virtual void PruneAtPageEnd() {}
    virtual void PageEnd();
    // Drops every reference to the nodes in the subtree of `node`, which is
    // about to be freed.
    virtual void Forget(const TjxOutlineNode* node);

protected:
    friend class TjxOutline;

    // The parent for a new node: the current node of the nearest ancestor
    // creator that has one, else the outline's root.
    TjxOutlineNode* ParentNode() const;
    // A new open node; the report's hook may make it inactive.
    TjxOutlineNode* NewNode(TjxOutlineNodeType type, const QString& caption, bool active);
    virtual void NodeMadeCurrent(TjxOutlineNode*) {}
    virtual bool ReportFinished() const { return false; }
    // The creator may make nodes now (the page is not one done already).
    bool MayCreate() const;

    TjxOutline* m_outline = nullptr;
    TjxCommunicator* m_participant = nullptr;
    TjxOutlineNodeCreator* m_parentCreator = nullptr;
    std::vector<std::unique_ptr<TjxOutlineNodeCreator>> m_creators;
    TjxOutlineNode* m_current = nullptr;
    // The nodes that get the next page node.
    std::vector<TjxOutlineNode*> m_pageNodeTargets;
};

// Report and section subreport nodes, made when the report's engine starts.
class TjxOutlineReportNodeCreator : public TjxOutlineNodeCreator {
    ORVANE_CLASS(TjxOutlineReportNodeCreator, TjxOutlineNodeCreator)
public:
    using TjxOutlineNodeCreator::TjxOutlineNodeCreator;
    TjxCustomReport* Report() const;
    void Register() override;
    void EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params) override;

protected:
    bool ReportFinished() const override;
};

// Group value nodes, made when the group header (or, without a visible
// header, the detail band) is about to generate.
class TjxOutlineGroupNodeCreator : public TjxOutlineNodeCreator {
    ORVANE_CLASS(TjxOutlineGroupNodeCreator, TjxOutlineNodeCreator)
public:
    using TjxOutlineNodeCreator::TjxOutlineNodeCreator;
    TjxGroup* Group() const;
    void Register() override;
    void EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params) override;
    void PruneAtPageEnd() override;
    void PageEnd() override;
    void Forget(const TjxOutlineNode* node) override;

protected:
    void NodeMadeCurrent(TjxOutlineNode* node) override;

private:
    void CreateGroupNode();
    bool NestedGroupMoved() const;

    TjxOutlineNode* m_firstOnPage = nullptr;
    TjxOutlineNode* m_previous = nullptr;
    bool m_headerVisible = false;
    int m_breakNo = -1;  // the group's break number when the current node was made
};

class TjxOutline : public TjxCommunicator {
    ORVANE_CLASS(TjxOutline, TjxCommunicator)
public:
    explicit TjxOutline(TjxReport* report = nullptr);
    ~TjxOutline() override;

    TjxReport* Report() const { return m_report; }
    TjxOutlineNode* Root() const { return m_root.get(); }
    TjxOutlineNodeCreator* CreatorTree() const { return m_creators.get(); }
    bool Complete() const { return m_complete; }
    void SetComplete(bool value) { m_complete = value; }
    int LastOutlinedPage() const { return m_lastOutlinedPage; }

    // Once per run: a new tree (the old one lives on in the pages that share it).
    void Initialize();
    // The main report's page ended.
    void PageEnded();
    // Gives the engine's current page the outline draw command.
    void AddDrawCommand(TjxPage& page);
    // The report's hook decides whether a new node stays active.
    bool AskHook(TjxOutlineNode* node);
    // Frees a node of the tree after every creator forgot it.
    void FreeNode(TjxOutlineNode* node);
    // Page-node registration: the node gets the next page node from its creator.
    void Register(TjxOutlineNodeCreator* creator, TjxOutlineNode* node);
    void Unregister(TjxOutlineNodeCreator* creator, TjxOutlineNode* node);
    bool HasChildReceivingPageNodes(const TjxOutlineNode* node) const;

    TjxEngine* MainEngine() const;
    int CurrentPageNo() const;
    // Nodes and page-end changes wait while pages already outlined are made again.
    bool Suppressed() const;
    int NextStamp() const { return m_copies; }

private:
    std::unique_ptr<TjxOutlineNodeCreator> CreateNodeCreator(TjxCommunicator* participant,
                                                             TjxOutlineNodeCreator* parent);
    void BuildCreators(TjxCommunicator* participant, TjxOutlineNodeCreator* parent);

    TjxReport* m_report = nullptr;
    std::shared_ptr<TjxOutlineNode> m_root;
    std::unique_ptr<TjxOutlineNodeCreator> m_creators;
    bool m_complete = false;
    bool m_listening = false;
    int m_lastOutlinedPage = 0;
    int m_copies = 0;
    // Registered nodes per parent.
    std::unordered_map<const TjxRelative*, int> m_receiving;
};

// The outline children of a participant in outline order: for a report (or
// the report of a subreport) the subreports of the bands before the detail
// band, its outermost group (without groups the detail band's subreports) and
// the subreports after; for a group its inner group or, innermost, the detail
// band's subreports.
std::vector<TjxCommunicator*> OutlineChildren(TjxCommunicator* participant);

} // namespace orvane
