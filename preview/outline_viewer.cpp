#include "preview/outline_viewer.h"

#include "document/event_ids.h"
#include "document/form.h"
#include "document/messages.h"
#include "output/draw_other.h"
#include "output/page.h"
#include "preview/viewer.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <functional>

namespace orvane {

namespace {

constexpr int kPageRole = Qt::UserRole;
// Marks the blank item and "...more..." after an incomplete tree.
constexpr int kMoreRole = Qt::UserRole + 1;

bool IsMoreItem(const QTreeWidgetItem* item)
{
    return item && item->data(0, kMoreRole).toBool();
}

int PageOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kPageRole).toInt() : 0;
}

void CollapseWithSubtree(QTreeWidgetItem* item)
{
    for (int i = 0; i < item->childCount(); ++i)
        CollapseWithSubtree(item->child(i));
    item->setExpanded(false);
}

} // namespace

TjxOutlineViewer::TjxOutlineViewer(QWidget* parent)
    : QTreeWidget(parent), m_communicator(std::make_unique<TjxCommunicator>())
{
    setObjectName(QStringLiteral("outlineViewer"));
    setHeaderHidden(true);
    setColumnCount(1);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFocusPolicy(Qt::NoFocus);
    setUniformRowHeights(true);
    SetHotTracking(true);
    // Jumps wait until the click's handling is over: the jump makes pages,
    // and a new page can rebuild the tree under the item clicked.
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) { GoToItem(item); });
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { GoToItem(current); });
    hide();
}

TjxOutlineViewer::~TjxOutlineViewer()
{
    FreePopup();
}

void TjxOutlineViewer::SetViewer(TjxViewer* viewer)
{
    if (m_viewer == viewer)
        return;
    FreePopup();
    m_viewer = viewer;
}

void TjxOutlineViewer::GoToItem(QTreeWidgetItem* item)
{
    if (m_filling || m_updating > 0)
        return;
    const int page = PageOf(item);
    if (page <= 0 || !m_viewer)
        return;
    QTimer::singleShot(0, this, [this, page] {
        try {
            if (m_viewer)
                m_viewer->GotoPage(page);
        } catch (const std::exception& error) {
            ShowErrorMessage(error);
        }
    });
}

void TjxOutlineViewer::mousePressEvent(QMouseEvent* event)
{
    // The right button opens the popup only; it selects nothing.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void TjxOutlineViewer::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
}

void TjxOutlineViewer::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_popup) {
        UpdatePopup();
        m_popup->popup(event->globalPos());
    }
    event->accept();
}

void TjxOutlineViewer::SetHotTracking(bool value)
{
    m_hotTracking = value;
    setMouseTracking(value);
    setAttribute(Qt::WA_Hover, value);
    for (QTreeWidgetItemIterator it(this); *it; ++it)
        (*it)->setToolTip(0, value ? (*it)->text(0) : QString());
}

void TjxOutlineViewer::Clear()
{
    m_filling = true;
    clear();
    setCurrentItem(nullptr);
    m_filling = false;
    m_nodeCount = 0;
    m_complete = false;
    SetHotTracking(true);
    FreePopup();
}

void TjxOutlineViewer::Rebuild(const TjxOutlineDrawCommand& command)
{
    m_filling = true;
    setUpdatesEnabled(false);
    clear();
    int count = 0;
    if (const TjxOutlineNode* root = command.Root()) {
        const std::function<void(const TjxOutlineNode*, QTreeWidgetItem*)> add =
            [&](const TjxOutlineNode* node, QTreeWidgetItem* parent) {
                for (int i = 0; i < node->NodeCount(); ++i) {
                    const TjxOutlineNode* child = node->Node(i);
                    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
                    item->setText(0, child->Caption());
                    item->setData(0, kPageRole, child->PageReference());
                    ++count;
                    add(child, item);
                }
            };
        add(root, nullptr);
    }
    expandAll();
    m_nodeCount = count;
    if (!m_complete && count > 0) {
        auto* gap = new QTreeWidgetItem(this);
        gap->setData(0, kPageRole, 0);
        gap->setData(0, kMoreRole, true);
        auto* more = new QTreeWidgetItem(this);
        more->setText(0, GetMessage(1045));
        more->setData(0, kPageRole, 0);
        more->setData(0, kMoreRole, true);
    }
    const bool single = m_complete && count == 1;
    SetHotTracking(!single);
    setUpdatesEnabled(true);
    m_filling = false;
}

void TjxOutlineViewer::RemoveMoreItems()
{
    const int n = topLevelItemCount();
    if (n >= 2 && IsMoreItem(topLevelItem(n - 1)) && IsMoreItem(topLevelItem(n - 2))) {
        m_filling = true;
        delete takeTopLevelItem(n - 1);
        delete takeTopLevelItem(n - 2);
        m_filling = false;
    }
}

void TjxOutlineViewer::UpdateFromPage(const TjxPage* page)
{
    if (!page)
        return;
    ++m_updating;
    QTreeWidgetItem* selected = currentItem();
    if (selected && PageOf(selected) != page->AbsolutePageNo()) {
        m_filling = true;
        setCurrentItem(nullptr);
        clearSelection();
        m_filling = false;
    }
    if (const TjxOutlineDrawCommand* command = page->OutlineDrawCommand()) {
        m_complete = command->Completed();
        // Counted without making the page's own nodes; they are made only to rebuild.
        if (command->NodeCount() > m_nodeCount) {
            Rebuild(*command);
        } else if (m_complete) {
            // Only the no-outline node points nowhere (-1).
            const QTreeWidgetItem* first = topLevelItem(0);
            if (m_nodeCount == 0 || !first || PageOf(first) == -1)
                SetHotTracking(false);
            RemoveMoreItems();
        }
    }
    --m_updating;
}

void TjxOutlineViewer::SelectNodeOfPage(int pageNo)
{
    if (currentItem() && currentItem()->isSelected())
        return;
    for (QTreeWidgetItemIterator it(this); *it; ++it)
        if (PageOf(*it) == pageNo) {
            scrollToItem(*it, QAbstractItemView::PositionAtTop);
            return;
        }
}

void TjxOutlineViewer::ExpandAll()
{
    expandAll();
}

void TjxOutlineViewer::Collapse()
{
    QTreeWidgetItem* first = topLevelItem(0);
    if (!first)
        return;
    std::vector<QTreeWidgetItem*> level;
    if (topLevelItemCount() > 1 && !topLevelItem(1)->text(0).isEmpty()) {
        for (int i = 0; i < topLevelItemCount(); ++i)
            level.push_back(topLevelItem(i));
    } else {
        for (int i = 0; i < first->childCount(); ++i)
            level.push_back(first->child(i));
    }
    for (QTreeWidgetItem* item : level)
        CollapseWithSubtree(item);
}

void TjxOutlineViewer::SetOutlineVisible(bool visible)
{
    if (m_updating > 0)
        return;
    QWidget* window = parentWidget() ? parentWidget() : this;
    const bool updates = window->updatesEnabled();
    window->setUpdatesEnabled(false);
    setVisible(visible);
    window->setUpdatesEnabled(updates);
    if (visible)
        CreatePopup();
    UpdatePopup();
    TjxEventParams params{{QStringLiteral("Visible"), visible, false}};
    m_communicator->SendEventNotify(ciOutlineVisibilityChanged, &params);
}

void TjxOutlineViewer::CreatePopup()
{
    if (m_popup)
        return;
    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("outlinePopup"));
    m_toggleAction = m_popup->addAction(QString(), this, [this] { SetOutlineVisible(!OutlineVisible()); });
    m_expandAction = m_popup->addAction(QString(), this, [this] { ExpandAll(); });
    m_collapseAction = m_popup->addAction(QString(), this, [this] { Collapse(); });
    if (m_viewer)
        m_viewerMenu = connect(m_viewer.data(), &TjxViewer::mouseDown, this,
                               [this](Qt::MouseButton button, const QPoint& position) {
                                   if (button != Qt::RightButton || !m_popup || !m_viewer)
                                       return;
                                   UpdatePopup();
                                   m_popup->popup(m_viewer->PaintBox() ? m_viewer->PaintBox()->mapToGlobal(position)
                                                                       : m_viewer->mapToGlobal(position));
                               });
    Retranslate();
}

void TjxOutlineViewer::FreePopup()
{
    disconnect(m_viewerMenu);
    m_viewerMenu = {};
    // Later: the popup may be the one running this call.
    if (m_popup)
        m_popup->deleteLater();
    m_popup = nullptr;
    m_toggleAction = m_expandAction = m_collapseAction = nullptr;
}

void TjxOutlineViewer::UpdatePopup()
{
    if (!m_popup)
        return;
    m_toggleAction->setText(GetMessage(OutlineVisible() ? 1041 : 1042));
    m_expandAction->setEnabled(OutlineVisible());
    m_collapseAction->setEnabled(OutlineVisible());
}

void TjxOutlineViewer::Retranslate()
{
    if (m_popup) {
        m_expandAction->setText(GetMessage(1043));
        m_collapseAction->setText(GetMessage(1044));
        UpdatePopup();
    }
    const int n = topLevelItemCount();
    if (n >= 1 && IsMoreItem(topLevelItem(n - 1)))
        topLevelItem(n - 1)->setText(0, GetMessage(1045));
}

} // namespace orvane
