// A design session on Ravelle's receipt with the mouse and the keys only,
// from Ravelle's "Open" to its "Save"; the saved template read back by
// orvane-cli holds what the workspace showed.

#include "../window/window_fixture.h"
#include "../../support/process_run.h"
#include "mouse_helpers.h"

#include "app/main_window.h"
#include "app/receipt_form.h"
#include "components/component.h"
#include "designer/controls/design_control.h"
#include "designer/controls/design_control_manager.h"
#include "designer/edit_commands.h"
#include "designer/undo/undo_manager.h"
#include "designer/workspace/design_surface.h"
#include "designer/workspace/workspace.h"
#include "document/band.h"
#include "document/report.h"
#include "document/printer_setup.h"
#include "document/report_template.h"

#include <QAction>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace orvane;
using namespace orvane::test;

namespace {

using DesignSession = DesignerWindowTest;

struct TSessionResult {
    bool ran = false;
    QByteArray start, end, undone, redone;
    int undoSteps = 0;
    int left = 0, top = 0, width = 0, height = 0;  // the label's pixels at the end
    int mmLeft = 0, mmTop = 0, mmWidth = 0, mmHeight = 0;
    std::vector<int> copyTops;
    int copies = 0;
    QStringList copyNames;
    QString bandName;
    QRect shownInk;  // dark pixels of the Title band on the workspace, from its top-left
    int bandHeight = 0;
};

QRect Zone(TjxDesignerWindow* w, TjxComponent* c)
{
    return w->Surface()->ControlManager()->DesignControlOf(c)->Geometry();
}

// The bounds of the dark pixels of an image inside a rectangle, from its top-left.
QRect InkBounds(const QImage& image, const QRect& within)
{
    QRect ink;
    for (int y = within.top(); y <= within.bottom() && y < image.height(); ++y)
        for (int x = within.left(); x <= within.right() && x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 100)
                ink = ink.united(QRect(x, y, 1, 1));
    return ink.translated(-within.topLeft());
}

// The pixel length as the report keeps it.
int Th(int pixels, TjxAxis axis) { return UnitsToThousandths(float(pixels), utScreenPixels, axis); }

void Session(TjxDesignerWindow* w, TSessionResult& r)
{
    TjxCustomReport* report = w->MainReport();
    auto* label = dynamic_cast<TjxComponent*>(report->Owner()->FindComponent(u"jxLabReceiptAgentName"));
    ASSERT_NE(label, nullptr);
    w->Surface()->LayoutBands();
    TjxWorkspace* ws = w->Surface()->Workspace();
    QLineEdit* keys = w->Surface()->FocusEdit();
    keys->setFocus();
    r.start = report->Template()->WriteTemplate();
    const int steps = w->UndoManager()->UndoCount();

    QTest::mouseClick(ws, Qt::LeftButton, {}, Zone(w, label).center());
    ASSERT_EQ(w->Selection().Primary(), label);

    // A Title band from the Report menu.
    w->MenuItem(QStringLiteral("mniReportTitle"))->trigger();
    TjxBand* title = report->FindBand(btTitle);
    ASSERT_NE(title, nullptr);
    QCoreApplication::processEvents();
    w->Surface()->LayoutBands();
    const int titleTop = w->Surface()->ControlManager()->BandAreaTop(title);

    // Into the Title band, 2 pixels below its top, left where it was.
    const QRect before = Zone(w, label);
    const QPoint grab = before.center();
    DragOn(ws, grab, QPoint(grab.x(), titleTop + 2 + (grab.y() - before.top())));
    ASSERT_EQ(label->Band(), title);
    EXPECT_EQ(label->spTop(), 2);
    EXPECT_EQ(label->spLeft(), before.left());

    for (int i = 0; i < 3; ++i)
        QTest::keyClick(keys, Qt::Key_Right, Qt::ControlModifier);
    for (int i = 0; i < 2; ++i)
        QTest::keyClick(keys, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(label->spLeft(), before.left() + 3);
    EXPECT_EQ(label->spHeight(), before.height() + 2);

    // Copy, then paste three times: 8, 16 and 24 pixels right and below.
    w->MenuItem(QStringLiteral("mniEditCopy"))->trigger();
    std::vector<TjxComponent*> copies;
    for (int n = 1; n <= 3; ++n) {
        w->MenuItem(QStringLiteral("mniEditPaste"))->trigger();
        ASSERT_EQ(w->Selection().Count(), 1);
        TjxComponent* copy = w->Selection().Primary();
        EXPECT_EQ(copy->spLeft(), label->spLeft() + 8 * n);
        EXPECT_EQ(copy->spTop(), label->spTop() + 8 * n);
        EXPECT_EQ(copy->Band(), title);
        copies.push_back(copy);
    }
    QCoreApplication::processEvents();

    // A rubber band (Ctrl: it starts on a component) touching the copies only.
    const QRect own = Zone(w, label);
    DragOn(ws, own.bottomRight() + QPoint(2, 2), own.bottomRight() + QPoint(22, 22), Qt::ControlModifier);
    ASSERT_EQ(w->Selection().Count(), 3);
    for (TjxComponent* c : copies)
        EXPECT_TRUE(w->Selection().Contains(c));

    // Align tops: the first in the selection list is the reference.
    TjxComponent* reference = w->Selection().First();
    const int referenceTop = reference->mmTop();
    w->EditCommands()->Align(w->Selection().Components(), akTops);
    for (TjxComponent* c : copies)
        EXPECT_EQ(c->mmTop(), referenceTop);

    // Delete the front-most copy: a click on it alone (a click on one of
    // several selected only makes it primary) and the Delete key.
    QTest::mouseClick(ws, Qt::LeftButton, {}, Zone(w, copies[2]).bottomRight() - QPoint(1, 1));
    EXPECT_EQ(w->Selection().Count(), 3);
    EXPECT_EQ(w->Selection().Primary(), copies[2]);
    QTest::mouseClick(ws, Qt::LeftButton, {}, QPoint(ws->width() - 3, titleTop + 45));
    ASSERT_TRUE(w->Selection().IsEmpty());
    QTest::mouseClick(ws, Qt::LeftButton, {}, Zone(w, copies[2]).bottomRight() - QPoint(1, 1));
    ASSERT_EQ(w->Selection().Count(), 1);
    ASSERT_EQ(w->Selection().Primary(), copies[2]);
    QTest::keyClick(keys, Qt::Key_Delete);
    copies.pop_back();

    r.end = report->Template()->WriteTemplate();
    r.left = label->spLeft();
    r.top = label->spTop();
    r.width = label->spWidth();
    r.height = label->spHeight();
    r.mmLeft = label->mmLeft();
    r.mmTop = label->mmTop();
    r.mmWidth = label->mmWidth();
    r.mmHeight = label->mmHeight();
    r.bandName = title->Name();
    r.bandHeight = ThousandthsToPixels(title->mmHeight(), kScreenPixelsPerInch);
    r.shownInk = InkBounds(ws->grab().toImage(), QRect(0, titleTop, ws->width(), r.bandHeight));
    r.copies = int(copies.size());
    for (TjxComponent* c : copies) {
        r.copyTops.push_back(c->mmTop());
        r.copyNames << c->Name();
    }

    // Undo everything, then redo it.
    r.undoSteps = w->UndoManager()->UndoCount() - steps;
    while (w->UndoManager()->UndoCount() > steps)
        w->MenuItem(QStringLiteral("mniEditUndo"))->trigger();
    r.undone = report->Template()->WriteTemplate();
    while (w->UndoManager()->RedoCount() > 0)
        w->MenuItem(QStringLiteral("mniEditRedo"))->trigger();
    r.redone = report->Template()->WriteTemplate();
    r.ran = true;
}

} // namespace

TEST_F(DesignSession, MouseAndKeysOnTheReceiptSaveWhatTheWorkspaceShowed)
{
    TRavelleWindow app;
    TSessionResult r;
    QTimer* watcher = WhenModal([&](QWidget* modal) {
        auto* w = qobject_cast<TjxDesignerWindow*>(modal);
        if (!w)
            return false;
        Session(w, r);
        w->MenuItem(QStringLiteral("mniFileClose"))->trigger();
        return true;
    });
    QTest::mouseClick(app.OpenButton(), Qt::LeftButton);
    delete watcher;
    ASSERT_TRUE(r.ran);
    EXPECT_TRUE(r.undone == r.start);
    EXPECT_TRUE(r.redone == r.end);
    EXPECT_GE(r.undoSteps, 10);

    // A pure drag and Ctrl+Right changed only the left; Shift+Down only the height.
    EXPECT_EQ(r.mmLeft, Th(r.left, axHorizontal));
    EXPECT_EQ(r.mmTop, Th(2, axVertical));
    EXPECT_EQ(r.mmHeight, Th(r.height, axVertical));
    EXPECT_EQ(r.copies, 2);

    QTest::mouseClick(app.SaveButton(), Qt::LeftButton);
    const QString saved = QDir::current().filePath(QStringLiteral("Ravelle.rtm"));
    ASSERT_TRUE(QFile::exists(saved));
    const ProcessRun info = RunProgram(QStringLiteral(ORVANE_CLI), {QStringLiteral("info"), saved});
    ASSERT_EQ(info.exitCode, 0) << info.err.toStdString();
    // The label's line, in the report's units.
    const TjxUnitType units = app.Form()->Receipt()->Units();
    const auto shown = [units](int th, TjxAxis axis) {
        return QString::number(double(ThousandthsToUnits(th, units, axis)), 'g', 6);
    };
    QString line;
    for (const QString& l : info.out.split(u'\n'))
        if (l.trimmed().startsWith(u"jxLabReceiptAgentName:"))
            line = l;
    ASSERT_FALSE(line.isEmpty()) << info.out.toStdString();
    EXPECT_TRUE(line.contains(QStringLiteral("at %1,%2 size %3x%4")
                                  .arg(shown(r.mmLeft, axHorizontal), shown(r.mmTop, axVertical),
                                       shown(r.mmWidth, axHorizontal), shown(r.mmHeight, axVertical))))
        << line.toStdString();
    // The two copies left share the reference's top.
    for (int i = 0; i < r.copies; ++i) {
        const int at = int(info.out.indexOf(r.copyNames[i] + u':'));
        ASSERT_GE(at, 0) << r.copyNames[i].toStdString();
        const QString copyLine = info.out.mid(at, info.out.indexOf(u'\n', at) - at);
        EXPECT_TRUE(copyLine.contains(QStringLiteral(",%1 size").arg(shown(r.copyTops[i], axVertical)))) << copyLine.toStdString();
    }
    // The page shows the Title band's components where the workspace showed
    // them: at the top margin, the text within the controls' outlines.
    const QString png = QDir::current().filePath(QStringLiteral("page.png"));
    const ProcessRun render = RunProgram(QStringLiteral(ORVANE_CLI),
                                         {QStringLiteral("render"), saved, QStringLiteral("--to"), QStringLiteral("png"),
                                          QStringLiteral("--dpi"), QStringLiteral("96"), QStringLiteral("--pages"),
                                          QStringLiteral("1"), QStringLiteral("-o"), png});
    ASSERT_EQ(render.exitCode, 0) << render.err.toStdString();
    const QImage page(png);
    ASSERT_FALSE(page.isNull());
    const TjxPrinterSetup* setup = app.Form()->Receipt()->PrinterSetup();
    const QPoint margin(ThousandthsToPixels(UnitsToThousandths(setup->MarginLeft(), units, axHorizontal), 96),
                        ThousandthsToPixels(UnitsToThousandths(setup->MarginTop(), units, axVertical), 96));
    ASSERT_GT(margin.y(), 0);
    const QRect printed = InkBounds(page, QRect(margin, QSize(page.width() - 2 * margin.x(), r.bandHeight)));
    ASSERT_FALSE(printed.isEmpty());
    ASSERT_FALSE(r.shownInk.isEmpty());
    EXPECT_TRUE(r.shownInk.adjusted(-1, -1, 1, 1).contains(printed))
        << "shown " << r.shownInk.x() << "," << r.shownInk.y() << " " << r.shownInk.width() << "x"
        << r.shownInk.height() << " printed " << printed.x() << "," << printed.y() << " " << printed.width() << "x"
        << printed.height();
    EXPECT_LE(std::abs(printed.left() - r.shownInk.left()), 4);
    EXPECT_LE(std::abs(printed.top() - r.shownInk.top()), 4);
    // It sits in the Title band, which comes first.
    const int bandLine = int(info.out.indexOf(r.bandName + QStringLiteral(": TjxTitleBand")));
    EXPECT_GE(bandLine, 0);
    EXPECT_GT(int(info.out.indexOf(u"jxLabReceiptAgentName:")), bandLine);
}
