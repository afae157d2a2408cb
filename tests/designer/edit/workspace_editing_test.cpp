// Designing Ravelle's receipt with the mouse and the keys on the workspace.

#include "../window/window_fixture.h"
#include "mouse_helpers.h"

#include "app/main_window.h"
#include "app/receipt_form.h"
#include "components/component.h"
#include "components/label.h"
#include "designer/controls/design_control.h"
#include "designer/controls/design_control_manager.h"
#include "designer/designer.h"
#include "designer/edit/clipboard.h"
#include "designer/edit_commands.h"
#include "designer/undo/undo_manager.h"
#include "designer/workspace/band_control.h"
#include "designer/workspace/design_surface.h"
#include "designer/workspace/ruler.h"
#include "designer/workspace/workspace.h"
#include "designer/workspace/workspace_editor.h"
#include "document/band.h"
#include "engine/memory_pipeline.h"
#include "document/errors.h"
#include "document/report.h"
#include "document/report_template.h"
#include "document/stream_writer.h"
#include "preview/status_bar.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QScreen>
#include <QScrollArea>
#include <QTest>

using namespace orvane;
using namespace orvane::test;

namespace {

struct TDesignSession {
    TForm1 form;
    TjxDesignerWindow* window = nullptr;
    QString message;

    TDesignSession()
    {
        form.ReadDescription();
        window = dynamic_cast<TjxDesignerWindow*>(form.Designer()->CreateDesignerWindow());
        window->show();
        QApplication::setActiveWindow(window);
        window->Surface()->FocusEdit()->setFocus();
        QCoreApplication::processEvents();
        window->Surface()->LayoutBands();
    }
    TjxReport* Receipt() const { return form.Receipt(); }
    TjxComponent* Component(const char* name) const
    {
        return dynamic_cast<TjxComponent*>(form.FindComponent(QString::fromLatin1(name)));
    }
    TjxWorkspace* Workspace() const { return window->Surface()->Workspace(); }
    TjxWorkspaceEditor* Editor() const { return window->Editor(); }
    QRect Zone(TjxComponent* c) const
    {
        return window->Surface()->ControlManager()->DesignControlOf(c)->Geometry();
    }
    QLineEdit* Focus() const { return window->Surface()->FocusEdit(); }
    QByteArray Bytes() const { return Receipt()->Template()->WriteTemplate(); }
    void Drag(const QPoint& from, const QPoint& to, Qt::KeyboardModifiers mods = {})
    {
        DragOn(Workspace(), from, to, mods);
    }
    void Click(const QPoint& at, Qt::KeyboardModifiers mods = {})
    {
        QTest::mouseClick(Workspace(), Qt::LeftButton, mods, at);
    }
    // Runs a command that may show a message box and keeps its text.
    void Answering(const std::function<void()>& fn)
    {
        message.clear();
        QTimer* answer = AnswerMessageBox(&message);
        fn();
        if (message.isEmpty())
            delete answer;
    }
};

using WorkspaceEditing = DesignerWindowTest;

} // namespace

TEST(SizingHandles, SitAtTheCornersAndEdgeCentres)
{
    const QRect zone(100, 50, 41, 20);
    EXPECT_EQ(SizingHandleRect(0, zone).topLeft(), QPoint(95, 45));
    EXPECT_EQ(SizingHandleRect(1, zone).topLeft(), QPoint(100 + 20 - 3, 45));
    EXPECT_EQ(SizingHandleRect(2, zone).topLeft(), QPoint(140, 45));
    EXPECT_EQ(SizingHandleRect(3, zone).topLeft(), QPoint(95, 50 + 10 - 3));
    EXPECT_EQ(SizingHandleRect(4, zone).topLeft(), QPoint(140, 57));
    EXPECT_EQ(SizingHandleRect(5, zone).topLeft(), QPoint(95, 69));
    EXPECT_EQ(SizingHandleRect(6, zone).topLeft(), QPoint(117, 69));
    EXPECT_EQ(SizingHandleRect(7, zone).topLeft(), QPoint(140, 69));
    EXPECT_EQ(SizingHandleRect(7, zone).size(), QSize(7, 7));
    const auto marks = SelectionHandleRects(zone);
    EXPECT_EQ(marks[0].topLeft(), QPoint(96, 46));
    EXPECT_EQ(marks[3].topLeft(), QPoint(139, 68));
}

TEST(SizingHandles, DraggingPastTheOppositeEdgeFlips)
{
    const QRect zone(100, 50, 40, 20);
    // Right edge dragged left of the left edge.
    const QRect flipped = ResizedZone(zone, 4, QPoint(80, 60), 0);
    EXPECT_EQ(flipped, QRect(80, 50, 21, 20));
    // Bottom dragged above the top.
    EXPECT_EQ(ResizedZone(zone, 6, QPoint(120, 30), 0), QRect(100, 30, 40, 21));
    // Top-left corner dragged below and right of the bottom-right one.
    const QRect corner = ResizedZone(zone, 0, QPoint(150, 80), 0);
    EXPECT_GE(corner.width(), 1);
    EXPECT_GE(corner.height(), 1);
    EXPECT_EQ(corner.left(), 139);
    EXPECT_EQ(corner.top(), 69);
    // Onto the opposite edge: never less than a pixel.
    EXPECT_EQ(ResizedZone(zone, 4, QPoint(100, 60), 0).width(), 1);
    // A locked width keeps left and width.
    EXPECT_EQ(ResizedZone(zone, 4, QPoint(180, 60), TjxDesignControl::leWidth), zone);
}

TEST_F(WorkspaceEditing, AClickWithoutMovingSelectsAndRecordsNothing)
{
    TDesignSession s;
    TjxComponent* name = s.Component("jxLabReceiptAgentName");
    ASSERT_NE(name, nullptr);
    const QByteArray start = s.Bytes();
    const int undo = s.window->UndoManager()->UndoCount();
    const QPoint inside = s.Zone(name).center();
    QTest::mousePress(s.Workspace(), Qt::LeftButton, {}, inside);
    QTest::mouseMove(s.Workspace(), inside + QPoint(1, 1));  // within the drag threshold
    QTest::mouseRelease(s.Workspace(), Qt::LeftButton, {}, inside + QPoint(1, 1));
    ASSERT_EQ(s.window->Selection().Count(), 1);
    EXPECT_EQ(s.window->Selection().Primary(), name);
    EXPECT_EQ(s.Bytes(), start);
    EXPECT_EQ(s.window->UndoManager()->UndoCount(), undo);
    // A click on empty space clears the selection.
    s.Click(QPoint(s.Workspace()->width() - 3, 2));
    EXPECT_TRUE(s.window->Selection().IsEmpty());
}

TEST_F(WorkspaceEditing, ADragMovesOnlyWhatMovedAndSnapsToTheGrid)
{
    TDesignSession s;
    TjxComponent* name = s.Component("jxLabReceiptAgentName");
    ASSERT_NE(name, nullptr);
    const int width = name->mmWidth(), height = name->mmHeight(), top = name->mmTop();
    const QRect zone = s.Zone(name);
    // While dragged, the rulers show the outline's edges.
    QTest::mousePress(s.Workspace(), Qt::LeftButton, {}, zone.center());
    QTest::mouseMove(s.Workspace(), zone.center() + QPoint(20, 0));
    TjxRuler* ruler = s.window->Surface()->HorizontalRuler();
    EXPECT_EQ(ruler->Guide(0), std::max(zone.left() + 20 - ruler->ScrollOffset(), ruler->InnerRect().left()));
    EXPECT_EQ(ruler->Guide(1), zone.left() + zone.width() + 20 - ruler->ScrollOffset());
    QTest::mouseRelease(s.Workspace(), Qt::LeftButton, {}, zone.center() + QPoint(20, 0));
    s.window->MenuItem(QStringLiteral("mniEditUndo"))->trigger();
    ASSERT_EQ(s.Zone(name), zone);
    // Straight right: the top and the size keep their exact thousandths.
    s.Drag(zone.center(), zone.center() + QPoint(30, 0));
    EXPECT_EQ(name->spLeft(), zone.left() + 30);
    EXPECT_EQ(name->mmWidth(), width);
    EXPECT_EQ(name->mmHeight(), height);
    EXPECT_EQ(name->mmTop(), top);
    EXPECT_EQ(s.window->UndoManager()->UndoCount(), 1);

    // With the grid: a left of 13 lands at 16, of 12 at 8.
    s.Editor()->SnapSource = [] { return true; };
    s.Workspace()->SetXGridSpace(8);
    for (const auto& [to, expected] : {std::pair{13, 16}, std::pair{12, 8}}) {
        const QRect now = s.Zone(name);
        const QPoint grab = now.topLeft() + QPoint(4, 4);
        // Away first: the drag threshold is passed before the target.
        QTest::mousePress(s.Workspace(), Qt::LeftButton, {}, grab);
        QTest::mouseMove(s.Workspace(), grab + QPoint(60, 0));
        QTest::mouseMove(s.Workspace(), QPoint(to + 4, grab.y()));
        QTest::mouseRelease(s.Workspace(), Qt::LeftButton, {}, QPoint(to + 4, grab.y()));
        EXPECT_EQ(name->spLeft(), expected) << to;
    }
    // Dragging far left stops at the workspace's edge.
    s.Editor()->SnapSource = [] { return false; };
    const QRect now = s.Zone(name);
    s.Drag(now.topLeft() + QPoint(4, 4), QPoint(-200, now.top() + 4));
    EXPECT_EQ(name->spLeft(), 0);
}

TEST_F(WorkspaceEditing, RubberBandSelectsAndShiftToggles)
{
    TDesignSession s;
    TjxComponent* name = s.Component("jxLabReceiptAgentName");
    ASSERT_NE(name, nullptr);
    const QRect zone = s.Zone(name);
    // A band over just this label from empty space left of it... or from
    // its own left edge with Ctrl.
    s.Drag(zone.topLeft() + QPoint(1, 1), zone.bottomRight() - QPoint(1, 1), Qt::ControlModifier);
    ASSERT_EQ(s.window->Selection().Count(), 1);
    EXPECT_EQ(s.window->Selection().First(), name);
    TjxComponent* other = nullptr;
    for (TjxBand* band : s.Receipt()->Bands())
        for (int i = 0; i < band->ChildCount() && !other; ++i)
            if (auto* c = dynamic_cast<TjxComponent*>(band->Child(i)); c && c != name && s.Zone(c).width() > 3)
                other = c;
    ASSERT_NE(other, nullptr);
    // Shift+click adds; a Shift rubber band over the first toggles it off and keeps the other.
    s.Click(s.Zone(other).center(), Qt::ShiftModifier);
    EXPECT_EQ(s.window->Selection().Count(), 2);
    s.Drag(zone.topLeft() + QPoint(1, 1), zone.bottomRight() - QPoint(1, 1),
           Qt::ShiftModifier | Qt::ControlModifier);
    ASSERT_EQ(s.window->Selection().Count(), 1);
    EXPECT_EQ(s.window->Selection().First(), other);
}

TEST_F(WorkspaceEditing, AHandleResizesInOneStepAndUndoGivesTheBytesBack)
{
    TDesignSession s;
    TjxComponent* name = s.Component("jxLabReceiptAgentName");
    const QByteArray start = s.Bytes();
    s.Click(s.Zone(name).center());
    const QRect zone = s.Zone(name);
    const QPoint handle = SizingHandleRect(4, zone).center();
    s.Drag(handle, handle + QPoint(25, 0));
    EXPECT_EQ(name->spWidth(), zone.width() + 25 - 1 + (handle.x() - (zone.right() + 1)) + 1);
    EXPECT_EQ(name->spLeft(), zone.left());
    EXPECT_EQ(s.window->UndoManager()->UndoCount(), 1);
    s.window->MenuItem(QStringLiteral("mniEditUndo"))->trigger();
    EXPECT_EQ(s.Bytes(), start);
}

TEST_F(WorkspaceEditing, TabWalksTheComponentsAndEscapeClears)
{
    TDesignSession s;
    QTest::keyClick(s.Focus(), Qt::Key_Tab);
    ASSERT_EQ(s.window->Selection().Count(), 1);
    TjxComponent* first = s.window->Selection().Primary();
    QTest::keyClick(s.Focus(), Qt::Key_Tab);
    EXPECT_NE(s.window->Selection().Primary(), first);
    QTest::keyClick(s.Focus(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(s.window->Selection().Primary(), first);
    QTest::keyClick(s.Focus(), Qt::Key_Escape);
    EXPECT_TRUE(s.window->Selection().IsEmpty());
}

TEST_F(WorkspaceEditing, ACreationToolMakesAComponentWhereReleased)
{
    TDesignSession s;
    TjxPlainToolState tools;
    tools.SetActiveClassName(QStringLiteral("TjxLabel"));
    s.Editor()->SetTools(&tools);
    const int undo = s.window->UndoManager()->UndoCount();
    TjxBand* band = nullptr;
    for (TjxBand* b : s.Receipt()->Bands())
        if (!band && b->mmHeight() > 10000)
            band = b;
    ASSERT_NE(band, nullptr);
    const int areaTop = s.window->Surface()->ControlManager()->BandAreaTop(band);
    const QPoint at(40, areaTop + 3);
    const int children = band->ChildCount();
    s.Click(at);
    ASSERT_EQ(band->ChildCount(), children + 1);
    ASSERT_EQ(s.window->Selection().Count(), 1);
    auto* made = dynamic_cast<TjxLabel*>(s.window->Selection().Primary());
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Band(), band);
    EXPECT_EQ(made->spLeft(), 40);
    EXPECT_EQ(made->spTop(), 3);
    EXPECT_TRUE(made->Transparent());
    EXPECT_EQ(made->Font()->Size(), 10);
    EXPECT_EQ(made->Caption(), made->UserName());
    EXPECT_TRUE(tools.ArrowDown());
    EXPECT_EQ(s.window->UndoManager()->UndoCount(), undo + 1);
    s.Editor()->SetTools(nullptr);
}

TEST_F(WorkspaceEditing, BadClipboardsChangeNothingAndSayWhy)
{
    TDesignSession s;
    TjxComponent* name = s.Component("jxLabReceiptAgentName");
    s.window->AddSelection(name);
    s.window->MenuItem(QStringLiteral("mniEditCopy"))->trigger();
    const QByteArray good = QApplication::clipboard()->mimeData()->data(ComponentClipboardFormat());
    ASSERT_FALSE(good.isEmpty());
    EXPECT_EQ(QApplication::clipboard()->text(), QString::number(good.size()));
    const QByteArray start = s.Bytes();

    const auto put = [](const QByteArray& bytes, const QString& length) {
        auto* data = new QMimeData;
        data->setData(ComponentClipboardFormat(), bytes);
        data->setText(length);
        QApplication::clipboard()->setMimeData(data);
    };
    put(good, QString::number(good.size() + 100));
    s.Answering([&] { s.window->MenuItem(QStringLiteral("mniEditPaste"))->trigger(); });
    EXPECT_FALSE(s.message.isEmpty());
    EXPECT_EQ(s.Bytes(), start);

    put(good.left(good.size() / 2), QString::number(good.size() / 2));
    s.Answering([&] { s.window->MenuItem(QStringLiteral("mniEditPaste"))->trigger(); });
    EXPECT_FALSE(s.message.isEmpty());
    EXPECT_EQ(s.Bytes(), start);

    QByteArray band;
    {
        TWriter writer(band);
        writer.SetRoot(&s.form);
        writer.SetLookupRoot(&s.form);
        writer.WriteDescendent(s.Receipt()->Bands().front());
        writer.WriteListEnd();
    }
    put(band, QString::number(band.size()));
    s.Answering([&] { s.window->MenuItem(QStringLiteral("mniEditPaste"))->trigger(); });
    EXPECT_TRUE(s.message.contains(s.Receipt()->Bands().front()->ClassName())) << s.message.toStdString();
    EXPECT_EQ(s.Bytes(), start);
    EXPECT_EQ(s.window->UpdateLock(), 0);
}

TEST_F(WorkspaceEditing, CopyInOneDesignerPastesInAnother)
{
    TDesignSession a;
    TjxComponent* name = a.Component("jxLabReceiptAgentName");
    a.window->AddSelection(name);
    a.window->MenuItem(QStringLiteral("mniEditCopy"))->trigger();
    TDesignSession b;
    const int owned = b.form.ComponentCount();
    b.Answering([&] { b.window->MenuItem(QStringLiteral("mniEditPaste"))->trigger(); });
    EXPECT_TRUE(b.message.isEmpty()) << b.message.toStdString();
    ASSERT_EQ(b.window->Selection().Count(), 1);
    TjxComponent* pasted = b.window->Selection().Primary();
    EXPECT_EQ(b.form.ComponentCount(), owned + 1);
    EXPECT_EQ(pasted->BandType(), name->BandType());
    EXPECT_EQ(pasted->mmWidth(), name->mmWidth());
    EXPECT_EQ(pasted->Caption(), name->Caption());
}

TEST_F(WorkspaceEditing, TheStatusBarFollowsAMoveAndAResizeBeforeTheRelease)
{
    TDesignSession s;
    TjxComponent* name = s.Component("jxLabReceiptAgentName");
    ASSERT_NE(name, nullptr);
    TjxStatusBar* bar = s.window->StatusBar();
    s.Click(s.Zone(name).center());
    ASSERT_EQ(s.window->Selection().Primary(), name);
    const auto panels = [bar] {
        return std::vector<QString>{bar->PanelText(1), bar->PanelText(2), bar->PanelText(3), bar->PanelText(4)};
    };
    const std::vector<QString> before = panels();

    // Escape drops a drag: the panels show the component where it stayed.
    const QPoint grab = s.Zone(name).center();
    QTest::mousePress(s.Workspace(), Qt::LeftButton, {}, grab);
    QTest::mouseMove(s.Workspace(), grab + QPoint(30, 0));
    QTest::mouseMove(s.Workspace(), grab + QPoint(60, 0));
    EXPECT_NE(panels(), before);
    QTest::keyClick(s.Focus(), Qt::Key_Escape);
    EXPECT_EQ(panels(), before);
    QTest::mouseRelease(s.Workspace(), Qt::LeftButton, {}, grab + QPoint(60, 0));
    EXPECT_EQ(panels(), before);
    ASSERT_EQ(s.window->Selection().Primary(), name);

    // While dragged: left and top follow the outline, the size keeps its text;
    // the release lands where the status bar said.
    const QPoint from = s.Zone(name).center();
    const QPoint to = from + QPoint(40, 16);
    QTest::mousePress(s.Workspace(), Qt::LeftButton, {}, from);
    for (int i = 1; i <= 4; ++i)
        QTest::mouseMove(s.Workspace(), from + (to - from) * i / 4);
    const std::vector<QString> moving = panels();
    EXPECT_NE(moving[0], before[0]);
    EXPECT_NE(moving[1], before[1]);
    EXPECT_EQ(moving[2], before[2]);
    EXPECT_EQ(moving[3], before[3]);
    QTest::mouseRelease(s.Workspace(), Qt::LeftButton, {}, to);
    EXPECT_EQ(panels(), moving);

    // A handle: the width follows while dragged.
    const QPoint handle = SizingHandleRect(4, s.Zone(name)).center();
    QTest::mousePress(s.Workspace(), Qt::LeftButton, {}, handle);
    QTest::mouseMove(s.Workspace(), handle + QPoint(12, 0));
    QTest::mouseMove(s.Workspace(), handle + QPoint(25, 0));
    const std::vector<QString> resizing = panels();
    EXPECT_EQ(resizing[0], moving[0]);
    EXPECT_NE(resizing[2], moving[2]);
    QTest::mouseRelease(s.Workspace(), Qt::LeftButton, {}, handle + QPoint(25, 0));
    EXPECT_EQ(panels(), resizing);
}

TEST_F(WorkspaceEditing, UndoAndRedoDrawTheMarksWhereTheComponentsAre)
{
    TDesignSession s;
    TjxComponent* name = s.Component("jxLabReceiptAgentName");
    ASSERT_NE(name, nullptr);
    QWidget* workspace = s.Workspace();
    // What the screen shows of the workspace against a fresh paint of it:
    // a mark left behind shows up as a difference.
    const auto stale = [&] {
        QCoreApplication::processEvents();
        const QPoint at = workspace->mapTo(s.window, QPoint(0, 0));
        const QRect visible = workspace->visibleRegion().boundingRect();
        const QImage shown = workspace->screen()
                                 ->grabWindow(s.window->winId(), at.x() + visible.x(), at.y() + visible.y(),
                                              visible.width(), visible.height())
                                 .toImage()
                                 .convertToFormat(QImage::Format_RGB32);
        const QImage painted = workspace->grab(visible).toImage().convertToFormat(QImage::Format_RGB32);
        return shown != painted;
    };
    const QRect start = s.Zone(name);
    s.window->Surface()->ScrollBox()->ensureVisible(start.center().x(), start.center().y(), 100, 100);
    QCoreApplication::processEvents();
    ASSERT_TRUE(workspace->visibleRegion().boundingRect().contains(start.adjusted(0, -10, 50, 34)));
    s.Click(start.center());
    // The status bar shows the selection where Undo and Redo leave it.
    TjxStatusBar* bar = s.window->StatusBar();
    const auto panels = [bar] { return QStringList{bar->PanelText(1), bar->PanelText(2)}; };
    const QStringList before = panels();
    s.Drag(start.center(), start.center() + QPoint(40, 24));
    ASSERT_NE(s.Zone(name), start);
    ASSERT_FALSE(stale());
    const QStringList moved = panels();
    ASSERT_NE(moved, before);

    // The marks are not drawn while the undo manager runs.
    bool hiddenWhileRunning = false;
    TjxDesignerWindowEvents events;
    events.onDestroyComponent.code = [&](TComponent*, TjxEventParams&) {
        hiddenWhileRunning = !s.Editor()->MarksVisible();
    };
    s.window->MenuItem(QStringLiteral("mniEditUndo"))->trigger();
    EXPECT_EQ(s.Zone(name), start);
    EXPECT_EQ(s.window->Selection().Primary(), name);
    EXPECT_TRUE(s.Editor()->MarksVisible());
    EXPECT_FALSE(stale());
    EXPECT_EQ(panels(), before);
    s.window->MenuItem(QStringLiteral("mniEditRedo"))->trigger();
    EXPECT_EQ(s.Zone(name), start.translated(40, 24));
    EXPECT_FALSE(stale());
    EXPECT_EQ(panels(), moved);

    // Undoing a new component's creation frees it while the marks are hidden.
    TjxPlainToolState tools;
    tools.SetActiveClassName(QStringLiteral("TjxLabel"));
    s.Editor()->SetTools(&tools);
    s.Click(start.topLeft() + QPoint(0, 60));
    s.Editor()->SetTools(nullptr);
    ASSERT_EQ(s.window->Selection().Count(), 1);
    ASSERT_FALSE(stale());
    s.window->SetEvents(events);
    s.window->MenuItem(QStringLiteral("mniEditUndo"))->trigger();
    s.window->SetEvents({});
    EXPECT_TRUE(hiddenWhileRunning);
    EXPECT_TRUE(s.window->Selection().IsEmpty());
    EXPECT_FALSE(stale());
}

TEST_F(WorkspaceEditing, ANewComponentIsAnnouncedAndARefusedOneLeavesNothing)
{
    TDesignSession s;
    TjxPlainToolState tools;
    s.Editor()->SetTools(&tools);
    const QByteArray start = s.Bytes();
    const int owned = s.form.ComponentCount();
    const int undo = s.window->UndoManager()->UndoCount();
    std::vector<std::string> fired;
    TComponent* created = nullptr;
    bool valid = false;
    TjxDesignerWindowEvents events;
    events.onCreateComponent.code = [&](TComponent* sender, TjxEventParams& params) {
        fired.push_back("create");
        EXPECT_EQ(sender, s.window->EventSender());
        created = dynamic_cast<TComponent*>(params.Value(u"Component").value<TPersistent*>());
    };
    events.onValidateComponent.code = [&](TComponent* sender, TjxEventParams& params) {
        fired.push_back("validate");
        EXPECT_EQ(sender, s.window->EventSender());
        EXPECT_EQ(params.Value(u"Component").value<TPersistent*>(), created);
        EXPECT_TRUE(params.Value(u"Valid").toBool());
        params.SetValue(u"Valid", valid);
    };
    s.window->SetEvents(events);

    // Refused, a label and a subreport (which makes a report of its own)
    // leave the template, the owner and the undo list as they were; the
    // creation tool stays active.
    for (const char* cls : {"TjxLabel", "TjxSubReport"}) {
        fired.clear();
        created = nullptr;
        tools.SetActiveClassName(QLatin1String(cls));
        s.Click(QPoint(60, 40));
        EXPECT_EQ(fired, (std::vector<std::string>{"create", "validate"})) << cls;
        EXPECT_NE(created, nullptr) << cls;
        EXPECT_EQ(s.Bytes(), start) << cls;
        EXPECT_EQ(s.form.ComponentCount(), owned) << cls;
        EXPECT_EQ(s.window->UndoManager()->UndoCount(), undo) << cls;
        EXPECT_TRUE(s.window->Selection().IsEmpty()) << cls;
        EXPECT_FALSE(tools.ArrowDown()) << cls;
    }

    // A handler that fails: its message shows and nothing stays either.
    events.onCreateComponent.code = [](TComponent*, TjxEventParams&) { throw EOrvaneError(QStringLiteral("no")); };
    s.window->SetEvents(events);
    tools.SetActiveClassName(QStringLiteral("TjxLabel"));
    s.Answering([&] { s.Click(QPoint(60, 40)); });
    EXPECT_EQ(s.message, u"no");
    EXPECT_EQ(s.Bytes(), start);
    EXPECT_EQ(s.form.ComponentCount(), owned);
    EXPECT_EQ(s.window->UndoManager()->UndoCount(), undo);
    EXPECT_EQ(s.window->UpdateLock(), 0);
    EXPECT_TRUE(s.window->UndoManager()->Enabled());

    // Accepted: kept, selected, one step that Undo takes back whole.
    events.onCreateComponent.code = [&](TComponent*, TjxEventParams& params) {
        created = dynamic_cast<TComponent*>(params.Value(u"Component").value<TPersistent*>());
    };
    s.window->SetEvents(events);
    valid = true;
    tools.SetActiveClassName(QStringLiteral("TjxSubReport"));
    s.Click(QPoint(60, 40));
    ASSERT_EQ(s.window->Selection().Count(), 1);
    EXPECT_EQ(s.window->Selection().Primary(), created);
    EXPECT_TRUE(tools.ArrowDown());
    EXPECT_EQ(s.window->UndoManager()->UndoCount(), undo + 1);
    s.window->SetEvents({});
    s.window->MenuItem(QStringLiteral("mniEditUndo"))->trigger();
    EXPECT_EQ(s.Bytes(), start);
    EXPECT_EQ(s.form.ComponentCount(), owned);
    s.Editor()->SetTools(nullptr);
}

TEST_F(WorkspaceEditing, SelectingGivesTheKeysBackToTheWorkspace)
{
    TDesignSession s;
    QWidget* button = s.window->Surface()->SelectReportButton();
    button->setFocusPolicy(Qt::StrongFocus);
    button->setFocus();
    ASSERT_TRUE(button->hasFocus());
    // Select All, then Ctrl+Right moves every component, not the button's focus.
    s.window->MenuItem(QStringLiteral("mniEditSelectAll"))->trigger();
    ASSERT_GT(s.window->Selection().Count(), 1);
    EXPECT_TRUE(s.Focus()->hasFocus());
    TjxComponent* first = s.window->Selection().First();
    const int left = first->spLeft();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(first->spLeft(), left + 1);
}

TEST_F(WorkspaceEditing, ANewDataAwareComponentReadsFromItsBandsPipeline)
{
    TDesignSession s;
    auto* reportData = new TjxMemoryPipeline(&s.form);
    reportData->SetName(QStringLiteral("plReceipt"));
    auto* lines = new TjxMemoryPipeline(&s.form);
    lines->SetName(QStringLiteral("plLines"));
    TjxReport* report = s.Receipt();
    report->SetDataPipeline(reportData);
    auto* detail = dynamic_cast<TjxDetailBand*>(report->FindBand(btDetail));
    ASSERT_NE(detail, nullptr);
    detail->SetmmHeight(20000);
    detail->SetDataPipelineName(QStringLiteral("plLines"));
    s.window->Surface()->LayoutBands();
    TjxBand* header = report->FindBand(btHeader);
    ASSERT_NE(header, nullptr);

    TjxPlainToolState tools;
    s.Editor()->SetTools(&tools);
    const auto create = [&](TjxBand* band) -> TjxComponent* {
        tools.SetActiveClassName(QStringLiteral("TjxDBText"));
        s.Click(QPoint(30, s.window->Surface()->ControlManager()->BandAreaTop(band) + 4));
        return s.window->Selection().Primary();
    };
    TjxComponent* inDetail = create(detail);
    ASSERT_NE(inDetail, nullptr);
    EXPECT_EQ(inDetail->Band(), detail);
    EXPECT_EQ(inDetail->DataPipeline(), lines);
    TjxComponent* inHeader = create(header);
    ASSERT_NE(inHeader, nullptr);
    EXPECT_EQ(inHeader->Band(), header);
    EXPECT_EQ(inHeader->DataPipeline(), reportData);
    s.Editor()->SetTools(nullptr);
}
