// The selection commands and the clipboard on a report built in code.

#include "../undo/undo_fixture.h"

#include "components/label.h"
#include "designer/edit/band_layout.h"
#include "designer/edit/clipboard.h"
#include "document/band.h"
#include "document/errors.h"
#include "document/stream_writer.h"
#include "engine/region.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <gtest/gtest.h>

namespace orvane::test {

namespace {

int Px(int th, TjxAxis axis = axHorizontal)
{
    return int(ThousandthsToUnits(th, utScreenPixels, axis));
}

// Set up without a record.
void Place(TUndoReport& f, TjxComponent* c, int left, int top, int height, int width)
{
    TjxUndoDisabledGuard off(&f.rig.manager);
    c->SetBounds(left, top, height, width);
}

} // namespace

TEST(GridSnap, LandsOnTheNearestLineWithinTheBand)
{
    // Spacing 8: more than half past a line goes on; exactly half stays.
    EXPECT_EQ(SnapToGrid(13, 8, false, {}), 16);
    EXPECT_EQ(SnapToGrid(12, 8, false, {}), 8);
    EXPECT_EQ(SnapToGrid(0, 8, false, {}), 0);
    // A half rounds to the even neighbour: spacing 5 goes on only past 2.
    EXPECT_EQ(SnapToGrid(12, 5, false, {}), 10);
    EXPECT_EQ(SnapToGrid(13, 5, false, {}), 15);
    // Vertically the second band's rows start 19 pixels below the first
    // band's end (a 40 pixel band: its bar ends at 56, rows at 59, 67, ...).
    const std::vector<int> heights{40, 100};
    EXPECT_EQ(SnapToGrid(13, 8, true, heights), 16);
    EXPECT_EQ(SnapToGrid(62, 8, true, heights), 59);
    EXPECT_EQ(SnapToGrid(64, 8, true, heights), 67);
}

TEST(BandLayout, FindsTheBandUnderAPointAsTheWorkspaceStacksThem)
{
    TUndoReport f;
    TjxBand* header = f.Band(btHeader);
    TjxBand* detail = f.Band(btDetail);
    TjxBand* footer = f.Band(btFooter);
    detail->SetmmHeight(0);
    const TjxBandLayout layout(f.report);
    const int headerHeight = ThousandthsToPixels(header->mmHeight(), kScreenPixelsPerInch);
    EXPECT_EQ(layout.AreaTop(header), 0);
    EXPECT_EQ(layout.AreaTop(detail), headerHeight + 16);
    EXPECT_EQ(layout.AreaTop(footer), headerHeight + 32);
    EXPECT_EQ(layout.BandAt(headerHeight - 1), header);
    // A bar belongs to the band below it; the detail band has no area, so
    // the header's bar goes to the nearest band with one, the header.
    EXPECT_EQ(layout.BandAt(headerHeight + 3), header);
    EXPECT_EQ(layout.BandAt(headerHeight + 20), footer);
    EXPECT_EQ(layout.BandAt(layout.AreaTop(footer) + 1), footer);
    EXPECT_EQ(layout.BandAt(layout.UsableBottom() + 20), nullptr);
}

TEST(EditCommands, AligningTopsAcrossBandsMovesIntoTheReferencesBand)
{
    TUndoReport f;
    TjxBand* header = f.Band(btHeader);
    TjxBand* detail = f.Band(btDetail);
    auto* a = f.Add<TjxLabel>(header, 1000, 1000);
    auto* b = f.Add<TjxLabel>(detail, 5000, 2000);
    auto* c = f.Add<TjxLabel>(header, 9000, 3000);
    const QByteArray start = f.rig.Bytes();
    f.rig.edit.Align({a, b}, akTops);
    EXPECT_EQ(b->Band(), header);
    EXPECT_EQ(b->spTop(), a->spTop());
    EXPECT_EQ(f.rig.manager.UndoCount(), 1);
    (void)c;
    f.rig.edit.Undo();
    EXPECT_EQ(b->Band(), detail);
    EXPECT_EQ(f.rig.Bytes(), start);
}

TEST(EditCommands, APixelMoveKeepsTheExactLengthsThatDidNotMove)
{
    TUndoReport f;
    TjxBand* detail = f.Band(btDetail);
    auto* label = f.Add<TjxLabel>(detail, 1234, 2345);
    Place(f, label, 1234, 2345, 4995, 51435);
    const int width = label->mmWidth(), height = label->mmHeight(), top = label->mmTop();
    f.rig.edit.SetPixelBounds(label, label->spLeft() + 8, label->spTop(), label->spWidth(), label->spHeight());
    EXPECT_EQ(label->mmWidth(), width);
    EXPECT_EQ(label->mmHeight(), height);
    EXPECT_EQ(label->mmTop(), top);
    EXPECT_EQ(label->spLeft(), Px(1234) + 8);
    EXPECT_EQ(f.rig.manager.UndoCount(), 1);
    // Nothing different: nothing recorded.
    f.rig.edit.SetPixelBounds(label, label->spLeft(), label->spTop(), label->spWidth(), label->spHeight());
    EXPECT_EQ(f.rig.manager.UndoCount(), 1);
}

TEST(EditCommands, AlignTakesTheFirstSelectedAsReference)
{
    TUndoReport f;
    TjxBand* detail = f.Band(btDetail);
    auto* a = f.Add<TjxLabel>(detail, 10000, 1000);
    auto* b = f.Add<TjxLabel>(detail, 3000, 4000);
    auto* c = f.Add<TjxLabel>(detail, 20000, 2000);
    Place(f, b, 3000, 4000, 5000, 10000);
    f.rig.edit.Align({a, b, c}, akLefts);
    EXPECT_EQ(b->mmLeft(), 10000);
    EXPECT_EQ(c->mmLeft(), 10000);
    EXPECT_EQ(f.rig.manager.UndoCount(), 1);
    f.rig.edit.Align({a, b, c}, akTops);
    EXPECT_EQ(b->mmTop(), 1000);
    EXPECT_EQ(c->mmTop(), 1000);
    f.rig.edit.Align({a, b}, akRights);
    EXPECT_EQ(b->spLeft() + b->spWidth(), a->spLeft() + a->spWidth());
    f.rig.edit.Align({a, b}, akHorizontalCentres);
    EXPECT_EQ(b->spLeft(), a->spLeft() + a->spWidth() / 2 - b->spWidth() / 2);
    EXPECT_EQ(f.rig.manager.UndoCount(), 4);
    // The reference's own place never changes.
    EXPECT_EQ(a->mmLeft(), 10000);
    EXPECT_EQ(a->mmTop(), 1000);

    // Centring in the band moves the whole selection, the first one too,
    // and keeps the components' places among each other.
    const int gap = c->spLeft() - a->spLeft();
    f.rig.edit.Align({a, c}, akCentreInBandHorizontally);
    const int bandWidth = ThousandthsToPixels(f.report->PrintableWidth(), kScreenPixelsPerInch);
    const int right = std::max(a->spLeft() + a->spWidth(), c->spLeft() + c->spWidth());
    EXPECT_LE(std::abs((a->spLeft() - 0) - (bandWidth - right)), 1);
    EXPECT_EQ(c->spLeft() - a->spLeft(), gap);
}

TEST(EditCommands, SpacingNeedsThreeAndKeepsTheOuterOnes)
{
    TUndoReport f;
    TjxBand* detail = f.Band(btDetail);
    auto* a = f.Add<TjxLabel>(detail, 0);
    auto* b = f.Add<TjxLabel>(detail, 5000);
    f.rig.edit.Align({b, a}, akSpaceHorizontally);
    EXPECT_EQ(f.rig.manager.UndoCount(), 0);
    auto* c = f.Add<TjxLabel>(detail, 50000);
    auto* d = f.Add<TjxLabel>(detail, 30000);
    const int first = a->spLeft(), last = c->spLeft();
    f.rig.edit.Align({c, b, a, d}, akSpaceHorizontally);
    const int step = (last - first) / 3;
    EXPECT_EQ(a->spLeft(), first);
    EXPECT_EQ(c->spLeft(), last);
    EXPECT_EQ(b->spLeft(), first + step);
    EXPECT_EQ(d->spLeft(), first + 2 * step);
    EXPECT_EQ(f.rig.manager.UndoCount(), 1);
}

TEST(EditCommands, SizeToSmallestAndLargestNeedsTwo)
{
    TUndoReport f;
    TjxBand* detail = f.Band(btDetail);
    auto* a = f.Add<TjxLabel>(detail);
    auto* b = f.Add<TjxLabel>(detail);
    Place(f, a, 0, 0, 3000, 7000);
    Place(f, b, 0, 0, 9000, 12000);
    f.rig.edit.Size({a}, skLargestWidth);
    EXPECT_EQ(f.rig.manager.UndoCount(), 0);
    f.rig.edit.Size({a, b}, skSmallestWidth);
    EXPECT_EQ(b->mmWidth(), 7000);
    f.rig.edit.Size({a, b}, skLargestHeight);
    EXPECT_EQ(a->mmHeight(), 9000);
    EXPECT_EQ(f.rig.manager.UndoCount(), 2);
    f.rig.edit.Undo();
    f.rig.edit.Undo();
    EXPECT_EQ(a->mmHeight(), 3000);
    EXPECT_EQ(b->mmWidth(), 12000);
}

// A creation that fails or is refused leaves no component, no open task
// and recording on.
TEST(EditCommands, ARefusedOrFailedCreationLeavesNothingBehind)
{
    TUndoReport f;
    TjxBand* detail = f.Band(btDetail);
    const QByteArray start = f.rig.Bytes();
    const int owned = f.host.ComponentCount();
    EXPECT_EQ(f.rig.edit.CreateComponent(TjxLabel::StaticClass(), detail, 0, 0, 0, 0,
                                         [](TjxComponent*) { return false; }),
              nullptr);
    EXPECT_THROW(f.rig.edit.CreateComponent(TjxLabel::StaticClass(), detail, 0, 0, 0, 0,
                                            [](TjxComponent*) -> bool { throw EOrvaneError(QStringLiteral("no")); }),
                 EOrvaneError);
    EXPECT_EQ(f.host.ComponentCount(), owned);
    EXPECT_EQ(f.rig.Bytes(), start);
    EXPECT_EQ(f.rig.manager.UndoCount(), 0);
    EXPECT_TRUE(f.rig.manager.Enabled());
    EXPECT_EQ(f.rig.hooks.OpenLevels(), 0);
    // Kept: the class's own size, one step.
    TjxComponent* made = f.rig.edit.CreateComponent(TjxLabel::StaticClass(), detail, 1000, 2000, 0, 0);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->mmWidth(), UnitsToThousandths(65, utScreenPixels, axHorizontal));
    EXPECT_EQ(f.rig.manager.UndoCount(), 1);
}

// The clipboard: the length text is checked against the bytes, and what is
// not a stream of report components changes nothing.
TEST(ComponentClipboard, TheLengthTextIsNeverTrusted)
{
    const QByteArray block("0123456789");
    EXPECT_EQ(ComponentStreamOf(block, QStringLiteral("4")), QByteArray("0123"));
    EXPECT_EQ(ComponentStreamOf(block, QStringLiteral("10")), block);
    for (const char* bad : {"11", "-1", "", "4x", "999999999999999999999", " 3 4"})
        EXPECT_THROW(ComponentStreamOf(block, QString::fromLatin1(bad)), EDesignError) << bad;

    PutComponentStream(block);
    EXPECT_TRUE(HasComponentStream());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"10");
    EXPECT_EQ(TakeComponentStream(), block);
}

TEST(EditCommands, BadStreamsPasteNothing)
{
    TUndoReport f;
    TjxBand* detail = f.Band(btDetail);
    auto* label = f.Add<TjxLabel>(detail, 1000, 1000);
    const QByteArray good = f.rig.edit.CopyComponents({label, f.Add<TjxLabel>(detail, 9000, 1000)});
    const QByteArray start = f.rig.Bytes();
    const int owned = f.host.ComponentCount();

    // A band is a component, but not a report component.
    QByteArray band;
    {
        TWriter writer(band);
        writer.SetRoot(&f.host);
        writer.SetLookupRoot(&f.host);
        writer.WriteDescendent(f.Band(btFooter));
        writer.WriteListEnd();
    }
    try {
        f.rig.edit.PasteComponents(band);
        ADD_FAILURE() << "a band was pasted";
    } catch (const EDesignError& e) {
        EXPECT_TRUE(e.Message().contains(u"TjxFooterBand")) << e.Message().toStdString();
    }
    // Cut short inside the second component: the first must not stay either.
    EXPECT_THROW(f.rig.edit.PasteComponents(good.left(good.size() - 12)), EOrvaneError);
    EXPECT_THROW(f.rig.edit.PasteComponents(QByteArray("\x01garbage", 8)), EOrvaneError);
    EXPECT_EQ(f.host.ComponentCount(), owned);
    EXPECT_EQ(f.rig.Bytes(), start);
    EXPECT_EQ(f.rig.manager.UndoCount(), 0);
    EXPECT_TRUE(f.rig.manager.Enabled());
    EXPECT_EQ(f.rig.hooks.OpenLevels(), 0);

    // The good stream still pastes, both in one step.
    EXPECT_EQ(f.rig.edit.PasteComponents(good).size(), 2u);
    EXPECT_EQ(f.rig.manager.UndoCount(), 1);
}

TEST(EditCommands, RepeatedPastesCascadeAndStayInTheirBand)
{
    TUndoReport f;
    TjxBand* detail = f.Band(btDetail);
    TjxBand* header = f.Band(btHeader);
    auto* label = f.Add<TjxLabel>(header, 5000, 2000);
    header->SetmmHeight(60000);
    TjxPasteCascade cascade;
    const QByteArray copy = f.rig.edit.CopyComponents({label}, &cascade);
    for (int n = 1; n <= 3; ++n) {
        // Selected band elsewhere or not: a header label goes to the header.
        const auto pasted = f.rig.edit.PasteComponents(copy, nullptr, &cascade);
        ASSERT_EQ(pasted.size(), 1u);
        EXPECT_EQ(pasted[0]->Band(), header);
        EXPECT_EQ(pasted[0]->spLeft(), label->spLeft() + 8 * n) << n;
        EXPECT_EQ(pasted[0]->spTop(), label->spTop() + 8 * n) << n;
        EXPECT_EQ(pasted[0]->mmWidth(), label->mmWidth());
    }
    // A band shorter than the component: its top is the band height minus its height.
    TjxPasteCascade other;
    auto* tall = f.Add<TjxLabel>(detail, 0, 0);
    tall->SetBounds(0, 0, 30000, 10000);
    const QByteArray tallCopy = f.rig.edit.CopyComponents({tall}, &other);
    detail->SetmmHeight(20000);
    const auto pasted = f.rig.edit.PasteComponents(tallCopy, nullptr, &other);
    ASSERT_EQ(pasted.size(), 1u);
    const int bandHeight = ThousandthsToPixels(detail->mmHeight(), kScreenPixelsPerInch);
    EXPECT_EQ(pasted[0]->spTop(), std::max(0, bandHeight - pasted[0]->spHeight()));
}

TEST(EditCommands, PastedCaptionsFollowTheNameOnlyWhenTheyWereTheDefault)
{
    TUndoReport f;
    TjxBand* detail = f.Band(btDetail);
    auto* plain = f.Add<TjxLabel>(detail);
    plain->SetCaption(plain->UserName());
    auto* text = f.Add<TjxLabel>(detail);
    text->SetCaption(QStringLiteral("Labels printed:"));
    const auto pasted = f.rig.edit.PasteComponents(f.rig.edit.CopyComponents({plain, text}));
    ASSERT_EQ(pasted.size(), 2u);
    EXPECT_NE(pasted[0]->UserName(), plain->UserName());
    EXPECT_EQ(pasted[0]->Caption(), pasted[0]->UserName());
    EXPECT_EQ(pasted[1]->Caption(), u"Labels printed:");
}

// A region in the detail band, with the given labels inside it.
TjxRegion* RegionWith(TUndoReport& f, std::initializer_list<TjxComponent*> children, int top = 0)
{
    auto* region = f.Add<TjxRegion>(f.Band(btDetail));
    Place(f, region, 0, top, 20000, 80000);
    TjxUndoDisabledGuard off(&f.rig.manager);
    for (TjxComponent* c : children)
        c->SetRegion(region);
    return region;
}

TEST(EditCommands, ReferencesAmongPastedComponentsFollowTheirRenames)
{
    TUndoReport f;
    TjxRegion* region = RegionWith(f, {});
    TjxRegion* follower = RegionWith(f, {}, 30000);
    {
        TjxUndoDisabledGuard off(&f.rig.manager);
        follower->SetShiftRelativeTo(region);
    }
    const auto pasted = f.rig.edit.PasteComponents(f.rig.edit.CopyComponents({region, follower}));
    ASSERT_EQ(pasted.size(), 2u);
    auto* copy = dynamic_cast<TjxRegion*>(pasted[1]);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->ShiftRelativeTo(), pasted[0]);
    EXPECT_EQ(follower->ShiftRelativeTo(), region);
}

// A region goes with its children: one record each for what was freed on
// its own, Undo brings all of it back once, Redo takes it away once.
TEST(EditCommands, DeletingOrCuttingARegionTakesItsChildrenOnce)
{
    TUndoReport f;
    TjxBand* detail = f.Band(btDetail);
    auto* a = f.Add<TjxLabel>(detail, 1000, 1000);
    auto* b = f.Add<TjxLabel>(detail, 30000, 1000);
    TjxRegion* region = RegionWith(f, {a, b});
    f.rig.manager.Clear();
    const QByteArray start = f.rig.Bytes();
    const int owned = f.host.ComponentCount();
    f.rig.edit.DeleteComponents({b, region, a});
    EXPECT_EQ(f.host.ComponentCount(), owned - 3);
    const QByteArray end = f.rig.Bytes();
    f.rig.edit.Undo();
    EXPECT_EQ(f.host.ComponentCount(), owned);
    EXPECT_EQ(f.rig.Bytes(), start);
    f.rig.edit.Redo();
    EXPECT_EQ(f.host.ComponentCount(), owned - 3);
    EXPECT_EQ(f.rig.Bytes(), end);
    f.rig.edit.Undo();

    // Cut with a child selected too, then paste: the region comes with both
    // children, each once.
    region = dynamic_cast<TjxRegion*>(f.host.FindComponent(u"jxRegion1"));
    ASSERT_NE(region, nullptr);
    const QByteArray clip = f.rig.edit.CutComponents({region, region->Children().front()});
    EXPECT_EQ(f.host.ComponentCount(), owned - 3);
    const auto pasted = f.rig.edit.PasteComponents(clip);
    ASSERT_EQ(pasted.size(), 1u);
    auto* back = dynamic_cast<TjxRegion*>(pasted[0]);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Children().size(), 2u);
    EXPECT_EQ(f.host.ComponentCount(), owned);
    f.rig.edit.Undo();
    f.rig.edit.Undo();
    EXPECT_EQ(f.rig.Bytes(), start);
}

} // namespace orvane::test
