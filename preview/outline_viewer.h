#pragma once

// The outline beside the page viewer: the tree the shown page carries, read
// only; a click on a node shows the node's page.

#include "document/communicator.h"

#include <QPointer>
#include <QTreeWidget>
#include <memory>

class QMenu;

namespace orvane {

class TjxOutlineDrawCommand;
class TjxPage;
class TjxViewer;

class TjxOutlineViewer : public QTreeWidget {
    Q_OBJECT
public:
    explicit TjxOutlineViewer(QWidget* parent = nullptr);
    ~TjxOutlineViewer() override;

    // The page viewer whose pages the tree shows and which a click moves.
    TjxViewer* Viewer() const { return m_viewer; }
    void SetViewer(TjxViewer* viewer);

    // Announces event 101 ("Visible") whenever the tree is shown or hidden.
    TjxCommunicator* Communicator() const { return m_communicator.get(); }

    // The number of nodes the tree shows (the page's nodes, without "...more...").
    int NodeCount() const { return m_nodeCount; }
    // The shown tree is the whole report's.
    bool Complete() const { return m_complete; }
    bool HotTracking() const { return m_hotTracking; }

    // Shows or hides the tree (not while an update runs) and announces it.
    void SetOutlineVisible(bool visible);
    bool OutlineVisible() const { return !isHidden(); }
    void ExpandAll();
    void Collapse();
    // Empties the tree: the next page with an outline builds it again.
    void Clear();
    // The preview calls this on every page change.
    void UpdateFromPage(const TjxPage* page);
    // With nothing selected, scrolls the first node of the page to the top.
    void SelectNodeOfPage(int pageNo);

    void BeginUpdate() { ++m_updating; }
    void EndUpdate() { --m_updating; }

    // The popup of the tree and the page viewer; none until first shown.
    QMenu* PopupMenu() const { return m_popup; }
    void Retranslate();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void Rebuild(const TjxOutlineDrawCommand& command);
    void SetHotTracking(bool value);
    void RemoveMoreItems();
    void GoToItem(QTreeWidgetItem* item);
    void CreatePopup();
    void FreePopup();
    void UpdatePopup();

    QPointer<TjxViewer> m_viewer;
    std::unique_ptr<TjxCommunicator> m_communicator;
    QMenu* m_popup = nullptr;
    QAction* m_toggleAction = nullptr;
    QAction* m_expandAction = nullptr;
    QAction* m_collapseAction = nullptr;
    QMetaObject::Connection m_viewerMenu;
    int m_nodeCount = 0;
    bool m_complete = false;
    bool m_hotTracking = true;
    bool m_filling = false;
    int m_updating = 0;
};

} // namespace orvane
