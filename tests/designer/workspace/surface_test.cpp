// The design surface with the receipt and with small reports of its own:
// where bars, rulers and controls sit, which band a y belongs to, band
// height changes by code and by dragging, column bands with undo, rulers,
// and the workspace's pixels against orvane-cli's page.

#include "surface_fixture.h"

#include "../../support/process_run.h"

#include "components/label.h"
#include "components/line.h"
#include "designer/undo/undo_hooks.h"
#include "designer/workspace/bounds_rect.h"
#include "document/custom_report.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/page_def.h"
#include "document/printer_setup.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>

#include "platform/canvas.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

std::vector<TjxComponent*> ComponentsOf(TjxBand* band)
{
    std::vector<TjxComponent*> result;
    for (int i = 0; i < band->ComponentCount(); ++i)
        if (auto* c = dynamic_cast<TjxComponent*>(band->Components(i)))
            result.push_back(c);
    return result;
}

// A report of the host with a header of the given height and a label in it.
TjxReport* SmallReport(TComponent* host, int headerHeight, bool withLabel)
{
    auto* report = new TjxReport(host);
    report->SetName(QStringLiteral("rptSmall"));
    report->CreateDefaultBands();
    TjxBand* header = report->FindBand(btHeader);
    header->SetmmHeight(headerHeight);
    if (withLabel) {
        auto* label = new TjxLabel(host);
        label->SetName(QStringLiteral("jxLabel1"));
        label->SetBand(header);
        label->SetBounds(5000, 10000, 30000, 30000);  // left, top, height, width
    }
    return report;
}

} // namespace

TEST(DesignSurface, ReceiptBarsRulersAndControlsSitWhereTheThousandthsPutThem)
{
    TReceiptRig rig;
    TjxReport* report = rig.report;
    const int printable = report->PrinterSetup()->PageDef()->PrintableWidth();
    int offset = 0, lastBarTop = 0;
    ASSERT_GE(report->BandCount(), 2);
    for (TjxBand* band : report->Bands()) {
        TjxBandControl* bar = rig.Bar(band);
        ASSERT_NE(bar, nullptr) << band->Name().toStdString();
        const int h = Px(band->mmHeight());
        EXPECT_EQ(bar->AreaTop(), offset) << band->Name().toStdString();
        EXPECT_EQ(bar->geometry(), QRect(0, offset + h, Px(printable) + 1, 16)) << band->Name().toStdString();
        ASSERT_NE(bar->Ruler(), nullptr);
        EXPECT_EQ(bar->Ruler()->parentWidget()->parentWidget(), rig.surface.VerticalRulerPanel());
        EXPECT_EQ(bar->Ruler()->geometry(), QRect(0, offset, 22, h));
        for (TjxComponent* c : ComponentsOf(band)) {
            TjxDesignControl* control = rig.Manager()->DesignControlOf(c);
            ASSERT_NE(control, nullptr) << c->Name().toStdString();
            EXPECT_EQ(control->Geometry(),
                      QRect(Px(c->mmLeft()), Px(c->mmTop()) + offset, Px(c->mmWidth()), Px(c->mmHeight())))
                << c->Name().toStdString();
            EXPECT_EQ(control->IsVisible(), Px(c->mmWidth()) >= 1 && Px(c->mmHeight()) >= 1);
        }
        lastBarTop = offset + h;
        offset += h + 16;
    }
    const QSize workspace(Px(printable) + 1, lastBarTop + 16);
    EXPECT_EQ(rig.surface.Workspace()->size(), workspace);
    EXPECT_EQ(rig.surface.WorkspaceBottom(), lastBarTop);
    EXPECT_EQ(rig.surface.ScrollRange(), workspace + QSize(96, 96));
    EXPECT_EQ(rig.surface.ScrollBox()->widget()->size(), workspace + QSize(96, 96));
    EXPECT_EQ(rig.surface.HorizontalRuler()->width(), workspace.width() + 96 - 16);
    EXPECT_EQ(rig.surface.HorizontalRuler()->geometry().left(), 23);
    EXPECT_EQ(rig.surface.SelectReportButton()->geometry(), QRect(0, 0, 23, 23));
    EXPECT_EQ(rig.surface.SelectReportButton()->toolTip(), GetMessage(msg::DesignerSelectReport));
    EXPECT_EQ(rig.surface.Workspace()->BandHeights().size(), size_t(report->BandCount()));
    // Every band and component of the report is being designed.
    EXPECT_TRUE(report->DesignState() & dsDesigning);
    EXPECT_FALSE(report->DesignState() & dsBuildingControls);
}

TEST(DesignSurface, BandAtGivesBarsToTheBandBelowAndSkipsBandsWithoutHeight)
{
    TReceiptRig rig;
    std::vector<TjxBand*> bands = rig.report->Bands();
    // Expected owner of each y, from the layout formulas.
    int offset = 0;
    std::vector<std::pair<int, int>> covers;  // [from, to) per band
    for (TjxBand* band : bands) {
        const int h = Px(band->mmHeight());
        covers.emplace_back(offset - 16, offset + h);
        offset += h + 16;
    }
    const auto expected = [&](int y) -> TjxBand* {
        for (size_t k = 0; k < bands.size(); ++k) {
            if (y < covers[k].first || y >= covers[k].second)
                continue;
            if (bands[k]->mmHeight() > 0 && Px(bands[k]->mmHeight()) > 0)
                return bands[k];
            for (size_t j = k; j-- > 0;)
                if (Px(bands[j]->mmHeight()) > 0)
                    return bands[j];
            for (size_t j = k + 1; j < bands.size(); ++j)
                if (Px(bands[j]->mmHeight()) > 0)
                    return bands[j];
            return bands.front();
        }
        return nullptr;
    };
    bool sawZeroHeight = false;
    for (int y = -20; y < offset + 5; ++y) {
        EXPECT_EQ(rig.surface.BandAt(y), expected(y)) << "y " << y;
    }
    for (TjxBand* band : bands)
        sawZeroHeight |= Px(band->mmHeight()) == 0;
    EXPECT_TRUE(sawZeroHeight) << "the receipt's detail band has no height";
    EXPECT_EQ(rig.surface.BandAt(offset - 1), nullptr) << "the last bar belongs to no band";
}

TEST(DesignSurface, ShrinkingABandMovesComponentsUpOrToTheTop)
{
    TSurfaceRig rig;
    TjxReport* report = SmallReport(&rig.host, 60000, true);
    rig.Attach(report);
    TjxBand* header = report->FindBand(btHeader);
    auto* label = dynamic_cast<TjxComponent*>(header->Components(0));
    ASSERT_NE(label, nullptr);
    // Bottom at 40000: a band of 35000 moves it up to 30000.
    header->SetmmHeight(35000);
    EXPECT_EQ(label->mmTop(), 35000 - 30000);
    EXPECT_EQ(rig.Bar(header)->BarTop(), Px(35000));
    // Shorter than the label: it goes to the top.
    header->SetmmHeight(20000);
    EXPECT_EQ(label->mmTop(), 0);
    EXPECT_EQ(label->mmHeight(), 30000);
    rig.Settle();
    EXPECT_EQ(rig.Manager()->DesignControlOf(label)->Geometry().top(), 0);
    EXPECT_EQ(rig.Bar(report->FindBand(btDetail))->AreaTop(), Px(20000) + 16);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST(DesignSurface, BandHeightWarningsRefuseTheChange)
{
    TSurfaceRig rig;
    TjxReport* report = SmallReport(&rig.host, 60000, true);
    rig.Attach(report);
    TjxBand* header = report->FindBand(btHeader);
    header->SetmmHeight(0);
    EXPECT_EQ(header->mmHeight(), 60000);
    const int printable = report->PrinterSetup()->PageDef()->PrintableHeight();
    header->SetmmHeight(printable + 1);
    EXPECT_EQ(header->mmHeight(), 60000);
    const auto boxes = RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Invalid value: Zero height band cannot contain components."));
    EXPECT_EQ(boxes[0].type, mtWarning);
    EXPECT_EQ(boxes[1].text, QStringLiteral("Invalid value: Height of band cannot exceed height of page."));
    // The page's own height is allowed, and an empty band may have none.
    header->SetmmHeight(printable);
    EXPECT_EQ(header->mmHeight(), printable);
    TjxBand* detail = report->FindBand(btDetail);
    detail->SetmmHeight(0);
    EXPECT_EQ(detail->mmHeight(), 0);
    EXPECT_EQ(RecordedMessageBoxes().size(), 2u);
}

namespace {
void DragBar(TjxBandControl* bar, int dy)
{
    const QPoint start(40, 8);
    QTest::mousePress(bar, Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(0, dy)), bar->mapToGlobal(QPointF(start + QPoint(0, dy))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &move);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, start + QPoint(0, dy));
}
} // namespace

TEST(DesignSurface, DraggingABarStopsAtTheLowestComponentAndAnEmptyFirstBandReachesZero)
{
    TSurfaceRig rig;
    TjxReport* report = SmallReport(&rig.host, 60000, true);
    rig.Attach(report);
    TjxBand* header = report->FindBand(btHeader);
    TjxBandControl* bar = rig.Bar(header);
    auto* label = dynamic_cast<TjxComponent*>(header->Components(0));
    const int lowest = Px(label->mmTop()) + Px(label->mmHeight());
    DragBar(bar, -500);
    rig.Settle();
    EXPECT_EQ(rig.surface.SelectedBand(), header);
    // The bar stops on the label's bottom pixel, and the label keeps its place.
    EXPECT_EQ(rig.Bar(header)->BarTop(), lowest);
    EXPECT_EQ(Px(header->mmHeight()), lowest);
    EXPECT_EQ(header->mmHeight(), label->mmTop() + label->mmHeight());
    EXPECT_EQ(label->mmTop(), 10000);
    EXPECT_FALSE(rig.surface.BarZone()->Visible());
    // Dragging down by 40 pixels gives 40 more pixels of band.
    const int before = rig.Bar(header)->BandHeightPixels();
    DragBar(rig.Bar(header), 40);
    rig.Settle();
    EXPECT_EQ(Px(header->mmHeight()), before + 40);

    // A band without components stops at the bar above it, the first one at 0.
    delete label;
    rig.Settle();
    DragBar(rig.Bar(header), -500);
    rig.Settle();
    EXPECT_EQ(header->mmHeight(), 0);
    TjxBand* detail = report->FindBand(btDetail);
    DragBar(rig.Bar(detail), -500);
    rig.Settle();
    EXPECT_EQ(detail->mmHeight(), 0);
    EXPECT_EQ(rig.Bar(detail)->AreaTop(), rig.Bar(header)->BarTop() + 16);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST(DesignSurface, TwoColumnsBringColumnBandsOneRemovesThemAndUndoRestores)
{
    TSurfaceRig rig;
    TjxReport* report = SmallReport(&rig.host, 20000, false);
    rig.Attach(report);
    {
        TjxUndoCommandScope scope(&rig.hooks);
        report->SetColumns(2);
    }
    rig.Settle();
    TjxBand* columnHeader = report->FindBand(btColumnHeader);
    TjxBand* columnFooter = report->FindBand(btColumnFooter);
    ASSERT_NE(columnHeader, nullptr);
    ASSERT_NE(columnFooter, nullptr);
    ASSERT_NE(rig.Bar(columnHeader), nullptr);
    ASSERT_NE(rig.Bar(columnFooter), nullptr);
    EXPECT_TRUE(rig.surface.Workspace()->ColumnMode());
    const QRect area = rig.surface.Workspace()->ColumnArea();
    EXPECT_EQ(area.left(), Px(report->mmColumnWidth()));
    EXPECT_EQ(area.top(), rig.Bar(columnHeader)->AreaTop());
    EXPECT_EQ(area.bottom(), rig.Bar(columnFooter)->BarTop() + 15);
    EXPECT_EQ(rig.Bar(columnHeader)->width(), Px(report->mmColumnWidth()));

    const int undoBefore = rig.undo.UndoCount();
    {
        TjxUndoCommandScope scope(&rig.hooks);
        report->SetColumns(1);
    }
    rig.Settle();
    EXPECT_EQ(report->FindBand(btColumnHeader), nullptr);
    EXPECT_EQ(report->FindBand(btColumnFooter), nullptr);
    EXPECT_FALSE(rig.surface.Workspace()->ColumnMode());
    EXPECT_EQ(rig.Manager()->Bars().size(), size_t(report->BandCount()));
    ASSERT_EQ(rig.undo.UndoCount(), undoBefore + 1);
    QStringList operations;
    const TjxUndoableTask* task = rig.undo.UndoList().Tasks(rig.undo.UndoCount() - 1);
    for (int i = 0; i < task->Count(); ++i)
        operations << task->Undoables(i)->Operation();
    EXPECT_EQ(operations.count(QStringLiteral("DestroyBand")), 2) << operations.join(u',').toStdString();

    rig.hooks.Undo();
    rig.Settle();
    EXPECT_EQ(report->Columns(), 2);
    ASSERT_NE(report->FindBand(btColumnHeader), nullptr);
    ASSERT_NE(report->FindBand(btColumnFooter), nullptr);
    EXPECT_NE(rig.Bar(report->FindBand(btColumnHeader)), nullptr);
    EXPECT_NE(rig.Bar(report->FindBand(btColumnFooter)), nullptr);
    EXPECT_EQ(rig.Manager()->Bars().size(), size_t(report->BandCount()));
}

TEST(DesignSurface, RulerSchemesLabelsAndTicks)
{
    TjxRuler ruler(roHorizontal);
    ruler.resize(400, 23);
    ruler.SetUnits(utMMThousandths);
    EXPECT_DOUBLE_EQ(ruler.TickSpacing(), (96 / 2.54) / 5);
    EXPECT_EQ(ruler.TicksPerDivision(), 5);
    EXPECT_EQ(ruler.LabelText(5), QStringLiteral("10k"));
    EXPECT_EQ(ruler.LabelText(10), QStringLiteral("20k"));
    EXPECT_EQ(ruler.LabelText(0), QStringLiteral("0"));
    ruler.SetUnits(utMillimeters);
    EXPECT_EQ(ruler.LabelText(4), QStringLiteral("10"));
    EXPECT_FALSE(ruler.HalfTicks());
    ruler.SetUnits(utScreenPixels);
    EXPECT_DOUBLE_EQ(ruler.TickSpacing(), 9.6);
    EXPECT_EQ(ruler.TicksPerDivision(), 10);
    ruler.SetUnits(utInches);
    EXPECT_EQ(ruler.LabelText(8), QStringLiteral("1"));
    EXPECT_EQ(ruler.TickPosition(8), 96);
    EXPECT_EQ(ruler.GuideLength(), 13);
    EXPECT_EQ(TjxRuler(roVertical).GuideLength(), 14);

    // A labelled tick runs the inner depth; a quarter tick leaves the top clear.
    QImage image = ruler.grab().toImage();
    const QRect inner = ruler.InnerRect();
    const QRgb window = ToQColor(clWindow).rgb() & 0xFFFFFF;
    EXPECT_NE(image.pixel(96, inner.top()) & 0xFFFFFF, window);
    EXPECT_EQ(image.pixel(12, inner.top() + 1) & 0xFFFFFF, window);
    EXPECT_NE(image.pixel(12, inner.bottom()) & 0xFFFFFF, window);
    EXPECT_NE(image.pixel(48, inner.top() + inner.height() / 2 + 1) & 0xFFFFFF, window) << "half tick";
    // Scrolling moves the ticks.
    ruler.ScrollBy(10);
    EXPECT_EQ(ruler.TickPosition(8), 86);
    ruler.ScrollBy(-50);
    EXPECT_EQ(ruler.ScrollOffset(), 0);

    // The popup: the five units, the current one checked, and Hide.
    QStringList captions;
    QString checked;
    for (QAction* a : ruler.PopupMenu()->actions()) {
        captions << a->text();
        if (a->isChecked())
            checked = a->text();
    }
    EXPECT_EQ(captions, (QStringList{"&Screen Pixels", "&Printer Pixels", "&Inches", "&Millimeters",
                                     "&Thousandths of MM", "", "&Hide"}));
    EXPECT_EQ(checked, QStringLiteral("&Inches"));
}

TEST(DesignSurface, PickedUnitsReachEveryRulerAndTheReport)
{
    TSurfaceRig rig;
    TjxReport* report = SmallReport(&rig.host, 20000, true);
    rig.Attach(report);
    TjxUnitType told = utInches;
    rig.surface.OnUnitsPicked = [&](TjxUnitType u) { told = u; };
    rig.surface.HorizontalRuler()->PopupMenu()->actions().at(3)->trigger();
    EXPECT_EQ(told, utMillimeters);
    EXPECT_EQ(report->Units(), utMillimeters);
    for (TjxBandControl* bar : rig.Manager()->Bars())
        EXPECT_EQ(bar->Ruler()->Units(), utMillimeters);
    // A unit set on the report is read from the report.
    report->SetUnits(utMMThousandths);
    EXPECT_EQ(rig.surface.HorizontalRuler()->Units(), utMMThousandths);
}

TEST(DesignSurface, ControlsFollowTheirComponentsAndRefuseWhatTheyCannotShow)
{
    TSurfaceRig rig;
    TjxReport* report = SmallReport(&rig.host, 60000, true);
    rig.Attach(report);
    TjxBand* header = report->FindBand(btHeader);
    auto* label = dynamic_cast<TjxComponent*>(header->Components(0));
    label->SetmmLeft(20000);
    EXPECT_EQ(rig.Manager()->DesignControlOf(label)->Geometry().left(), Px(20000));
    label->SetParentWidth(true);
    EXPECT_EQ(rig.Manager()->DesignControlOf(label)->LockedEdges(), 1 + 4);
    label->SetParentWidth(false);
    label->SetmmWidth(0);
    EXPECT_FALSE(rig.Manager()->DesignControlOf(label)->IsVisible());

    // A component placed in the band later gets a control; one freed loses it.
    auto* line = new TjxLine(&rig.host);
    line->SetName(QStringLiteral("jxLine1"));
    line->SetBand(header);
    ASSERT_NE(rig.Manager()->DesignControlOf(line), nullptr);
    delete line;
    rig.Settle();
    EXPECT_EQ(rig.Manager()->Controls().size(), 1u);

    try {
        TjxDesignControlRegistry::Instance().CreateInstance(nullptr);
        ADD_FAILURE();
    } catch (const EDesignError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("TjxDesignControlFactory.CreateInstance: aComponent is nil"));
    }
    TjxBoundsRect zone;
    EXPECT_EQ(zone.Zone(), QRect(10, 10, 100, 100));
    QWidget notAWorkspace;
    try {
        zone.SetParent(&notAWorkspace);
        ADD_FAILURE();
    } catch (const EDesignError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("TjxWorkspaceZone.SetParent: Parent must be of type TjxWorkspace"));
    }
}

TEST(DesignSurface, GridDotsStartAtEachBandsRows)
{
    TSurfaceRig rig;
    TjxReport* report = SmallReport(&rig.host, 20000, false);
    rig.Attach(report);
    const QImage grid = rig.surface.Workspace()->GridImage().convertToFormat(QImage::Format_RGB32);
    const QRgb gray = 0x808080, window = ToQColor(clWindow).rgb() & 0xFFFFFF;
    EXPECT_EQ(grid.pixel(0, 0) & 0xFFFFFF, gray);
    EXPECT_EQ(grid.pixel(8, 8) & 0xFFFFFF, gray);
    EXPECT_EQ(grid.pixel(4, 8) & 0xFFFFFF, window);
    // The second band's rows start 19 pixels after the first band's area.
    const int start = Px(20000) + 19;
    TjxBand* second = report->Bands().at(1);
    ASSERT_GT(Px(second->mmHeight()), 0);
    EXPECT_EQ(grid.pixel(8, start) & 0xFFFFFF, gray);
    EXPECT_EQ(grid.pixel(8, start - 1) & 0xFFFFFF, window);
}

// The workspace with grid and frames off against orvane-cli's page: each
// label's text sits in the same place.
TEST(DesignSurface, ReceiptLabelsSitWhereTheRenderedPagePutsThem)
{
    TReceiptRig rig;
    rig.surface.Workspace()->SetDisplayGrid(false);
    rig.Manager()->SetShowFrames(false);
    QTemporaryDir out;
    const QString png = out.filePath(QStringLiteral("page.png"));
    const ProcessRun run = RunCli({QStringLiteral("render"), rig.file, QStringLiteral("--to"), QStringLiteral("png"),
                                   QStringLiteral("-o"), png, QStringLiteral("--dpi"), QStringLiteral("96"),
                                   QStringLiteral("--pages"), QStringLiteral("1")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QImage page = QImage(png).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(page.isNull());
    const QImage workspace = rig.surface.Workspace()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const TjxPageDef* def = rig.report->PrinterSetup()->PageDef();
    TjxBand* header = rig.report->FindBand(btHeader);
    ASSERT_NE(header, nullptr);
    const auto ink = [](const QImage& image, const QRect& area) {
        QRect box;
        for (int y = std::max(0, area.top()); y <= area.bottom() && y < image.height(); ++y)
            for (int x = std::max(0, area.left()); x <= area.right() && x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                    box |= QRect(x, y, 1, 1);
        return box.translated(-area.topLeft());
    };
    int compared = 0;
    for (TjxComponent* c : ComponentsOf(header)) {
        auto* label = dynamic_cast<TjxLabel*>(c);
        if (!label || label->Caption().trimmed().isEmpty() || !label->Visible())
            continue;
        const QRect shown = rig.Manager()->DesignControlOf(label)->Geometry();
        const QRect printed(Px(def->mmMarginLeft() + label->mmLeft()), Px(def->mmMarginTop() + label->mmTop()),
                            shown.width(), shown.height());
        const QRect a = ink(workspace, shown), b = ink(page, printed);
        if (b.isEmpty())
            continue;
        ++compared;
        const std::string what = label->Name().toStdString();
        EXPECT_LE(std::abs(a.left() - b.left()), 1) << what;
        EXPECT_LE(std::abs(a.top() - b.top()), 1) << what;
        EXPECT_LE(std::abs(a.right() - b.right()), 1) << what;
        EXPECT_LE(std::abs(a.bottom() - b.bottom()), 1) << what;
    }
    EXPECT_GE(compared, 5);
}

TEST(DesignSurface, ControlsDrawFramesLetTransparentOnesShowTheGridAndDrawThinLines)
{
    TSurfaceRig rig;
    TjxReport* report = SmallReport(&rig.host, 60000, true);
    rig.Attach(report);
    TjxBand* header = report->FindBand(btHeader);
    auto* label = dynamic_cast<TjxLabel*>(header->Components(0));
    ASSERT_NE(label, nullptr);
    label->SetAutoSize(false);
    label->SetCaption(QStringLiteral("Total"));
    label->SetBounds(5000, 10000, 30000, 30000);
    auto* line = new TjxLine(&rig.host);
    line->SetName(QStringLiteral("jxLine1"));
    line->SetBand(header);
    line->SetBounds(5000, 50000, 5000, 30000);
    line->SetWeight(0.75f);
    rig.Settle();
    const QRect shown = rig.Manager()->DesignControlOf(label)->Geometry();
    ASSERT_EQ(shown, QRect(Px(5000), Px(10000), Px(30000), Px(30000)));
    // A grid dot in the label's empty lower part, below its one line of text.
    const QPoint dot(((shown.left() + shown.width() / 2) / 8) * 8, ((shown.bottom() - 4) / 8) * 8);
    ASSERT_TRUE(shown.adjusted(1, 20, -1, -1).contains(dot));
    const auto grab = [&] { return rig.surface.Workspace()->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    const auto rgb = [](const QImage& image, QPoint p) { return image.pixel(p) & 0xFFFFFF; };

    label->SetTransparent(false);
    QImage image = grab();
    EXPECT_NE(rgb(image, dot), 0x808080u) << "an opaque label covers the grid";
    int dotted = 0;
    for (int y = shown.top(); y <= shown.bottom(); ++y)
        dotted += rgb(image, QPoint(shown.left(), y)) == 0x808080;
    EXPECT_GT(dotted, shown.height() / 3) << "the dotted frame of a label without a border";
    EXPECT_LT(dotted, shown.height()) << "dotted, not solid";

    label->SetTransparent(true);
    image = grab();
    EXPECT_EQ(rgb(image, dot), 0x808080u) << "a transparent label lets the grid show";

    // 0.75 points at 96 pixels per inch is one pixel.
    const QRect lineRect = rig.Manager()->DesignControlOf(line)->Geometry();
    const QPoint onLine(lineRect.left() + 5, lineRect.top());
    EXPECT_EQ(rgb(image, onLine), 0x000000u);
    EXPECT_NE(rgb(image, onLine + QPoint(0, 1)), 0x000000u);
    // Without frames and grid the label's right edge (past its text) is blank.
    rig.Manager()->SetShowFrames(false);
    rig.surface.Workspace()->SetDisplayGrid(false);
    image = grab();
    int inked = 0;
    for (int y = shown.top(); y <= shown.bottom(); ++y)
        inked += rgb(image, QPoint(shown.right(), y)) != 0xFFFFFF;
    EXPECT_EQ(inked, 0);
}

TEST(DesignSurface, ScrollingMovesRulersAndKeepsTheFocusEditInTheVisibleCorner)
{
    TReceiptRig rig;
    rig.surface.resize(500, 400);
    TReceiptRig::Settle();
    QScrollArea* box = rig.surface.ScrollBox();
    ASSERT_GT(box->horizontalScrollBar()->maximum(), 0);
    ASSERT_GT(box->verticalScrollBar()->maximum(), 0);
    box->horizontalScrollBar()->setValue(40);
    box->verticalScrollBar()->setValue(100);
    TjxRuler* horizontal = rig.surface.HorizontalRuler();
    EXPECT_EQ(horizontal->ScrollOffset(), 40);
    EXPECT_EQ(horizontal->TickPosition(8), 96 - 40);
    TjxBand* header = rig.report->FindBand(btHeader);
    TjxRuler* bandRuler = rig.Bar(header)->Ruler();
    EXPECT_EQ(bandRuler->mapTo(rig.surface.VerticalRulerPanel(), QPoint(0, 0)).y(), rig.Bar(header)->AreaTop() - 100);
    EXPECT_EQ(rig.surface.FocusEdit()->mapTo(box->viewport(), QPoint(0, 0)), QPoint(0, 0));
    // Back at the left, the ruler's offset is gone.
    box->horizontalScrollBar()->setValue(0);
    EXPECT_EQ(horizontal->ScrollOffset(), 0);

}

TEST(DesignSurface, GuidesFollowTheMouseIntoTheBandUnderIt)
{
    TSurfaceRig rig;
    TjxReport* report = SmallReport(&rig.host, 20000, false);
    rig.Attach(report);
    TjxRuler* horizontal = rig.surface.HorizontalRuler();
    TjxBand* header = report->FindBand(btHeader);
    TjxRuler* bandRuler = rig.Bar(header)->Ruler();
    // The band under the mouse shows a guide, the band left behind none.
    rig.surface.MoveGuidesTo(QPoint(120, 50));
    EXPECT_EQ(horizontal->Guide(0), 120);
    EXPECT_EQ(bandRuler->Guide(0), 50);
    const int below = rig.Bar(header)->BarTop() + 20;
    TjxBand* other = rig.surface.BandAt(below);
    ASSERT_NE(other, nullptr);
    ASSERT_NE(other, header);
    rig.surface.MoveGuidesTo(QPoint(130, below));
    EXPECT_EQ(bandRuler->Guide(0), -1);
    EXPECT_EQ(rig.Bar(other)->Ruler()->Guide(0), below - rig.Bar(other)->AreaTop());
    rig.surface.EraseGuides();
    EXPECT_EQ(horizontal->Guide(0), -1);
}

TEST(DesignSurface, AReportDestroyedWhileShownLeavesAnEmptySurface)
{
    TSurfaceRig rig;
    TjxReport* report = SmallReport(&rig.host, 20000, true);
    rig.Attach(report);
    TjxBand* header = report->FindBand(btHeader);
    header->SetmmHeight(30000);  // a layout is due when the report goes
    report->SetComponentDesigner(nullptr);
    delete report;
    rig.report = nullptr;
    TSurfaceRig::Settle();
    EXPECT_EQ(rig.surface.CurrentReport(), nullptr);
    EXPECT_TRUE(rig.Manager()->Bars().empty());
    EXPECT_TRUE(rig.Manager()->Controls().empty());
    EXPECT_EQ(rig.surface.BandAt(5), nullptr);
    rig.surface.LayoutBands();
    rig.surface.Workspace()->grab();
}
