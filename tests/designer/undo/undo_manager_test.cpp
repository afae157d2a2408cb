// The undo manager through the designer hooks and the edit commands, on a
// report built in code.

#include "random_editor.h"

#include "components/db_text.h"
#include "components/label.h"
#include "engine/memory_pipeline.h"
#include "components/memo.h"
#include "components/variable.h"
#include "document/errors.h"
#include "document/graphic_objects.h"
#include "document/units.h"

using namespace orvane;
using namespace orvane::test;

namespace {

std::unique_ptr<TjxUndoableTask> TaskWith(int records)
{
    auto task = std::make_unique<TjxUndoableTask>();
    for (int i = 0; i < records; ++i)
        task->Add(std::make_unique<TjxSetPropUndoable>());
    return task;
}

} // namespace

TEST(UndoableTaskCollection, KeepsAtMostItsCapacityDroppingTheOldest)
{
    TjxUndoableTaskCollection list;
    EXPECT_EQ(list.Capacity(), 50);
    list.SetCapacity(3);
    for (int i = 1; i <= 5; ++i)
        list.Add(TaskWith(i));
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Tasks(0)->Count(), 3);  // tasks 1 and 2 went
    list.SetCapacity(-1);
    EXPECT_EQ(list.Capacity(), 3);
    list.SetCapacity(1);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Tasks(0)->Count(), 5);
    EXPECT_EQ(list.RemoveLast()->Count(), 5);
    EXPECT_EQ(list.RemoveLast(), nullptr);
}

TEST(UndoManager, CapacityRedoListAndEmptyTasks)
{
    TUndoReport f;
    TjxUndoManager& m = f.rig.manager;
    auto* label = f.Add<TjxLabel>(f.Band(btDetail));

    // FinishTask without StartTask does nothing; an empty task never reaches the list.
    m.FinishTask();
    EXPECT_EQ(m.TaskDepth(), 0);
    m.StartTask();
    m.FinishTask();
    EXPECT_EQ(m.UndoCount(), 0);

    m.SetCapacity(2);
    f.rig.edit.SetProperty(label, QStringLiteral("Caption"), QStringLiteral("one"));
    f.rig.edit.SetProperty(label, QStringLiteral("Caption"), QStringLiteral("two"));
    f.rig.edit.SetProperty(label, QStringLiteral("Caption"), QStringLiteral("three"));
    EXPECT_EQ(m.UndoCount(), 2);
    f.rig.edit.Undo();
    f.rig.edit.Undo();
    EXPECT_EQ(label->Caption(), u"one");
    f.rig.edit.Undo();  // the oldest change is gone
    EXPECT_EQ(label->Caption(), u"one");
    EXPECT_EQ(m.RedoCount(), 2);

    f.rig.edit.SetProperty(label, QStringLiteral("Caption"), QStringLiteral("four"));
    EXPECT_EQ(m.RedoCount(), 0);
    EXPECT_EQ(m.UndoCount(), 1);

    // Recording off: nothing recorded, nothing undone.
    m.SetEnabled(false);
    f.rig.edit.SetProperty(label, QStringLiteral("Caption"), QStringLiteral("five"));
    f.rig.edit.Undo();
    EXPECT_EQ(label->Caption(), u"five");
    m.SetEnabled(true);
    EXPECT_EQ(m.UndoCount(), 1);
}

TEST(UndoManager, FactoryResolvesNamesWithoutCaseAndFallsBackByProperty)
{
    TUndoReport f;
    auto* label = f.Add<TjxLabel>(f.Band(btDetail));
    auto* memo = f.Add<TjxMemo>(f.Band(btDetail));
    const auto& factory = TjxUndoableClassFactory::Instance();
    auto cls = [&](const char* op, TComponent* object) {
        auto u = factory.Create(QString::fromLatin1(op), object);
        return u ? u->ClassName() : QStringLiteral("none");
    };
    EXPECT_EQ(cls("MOVEBOUNDS", label), u"TjxMoveUnDoable");
    EXPECT_EQ(cls("bringtofront", label), u"TjxZOrderUnDoable");
    EXPECT_EQ(cls("Border.Positions", label), u"TjxSetBorderPositionsUndoable");
    EXPECT_EQ(cls("Pen.Color", label), u"none");  // a label has no pen: nothing to keep
    EXPECT_EQ(cls("font.size", label), u"TjxSetFontSizeUndoable");
    EXPECT_EQ(cls("MoveBounds", label), u"TjxMoveUnDoable");
    EXPECT_EQ(cls("Caption", label), u"TjxSetPropUndoable");
    EXPECT_EQ(cls("Lines", memo), u"TjxSetPersistentPropUndoable");
    EXPECT_EQ(cls("ShiftRelativeTo", memo), u"TjxSetReferencePropUndoable");
    EXPECT_EQ(cls("Border.Weight", label), u"TjxSetEmbeddedPropUndoable");
    EXPECT_EQ(cls("NoSuchProperty", label), u"none");
    EXPECT_EQ(cls("Font.NoSuch", label), u"none");
    EXPECT_EQ(factory.Create(QStringLiteral("MoveBounds"), label)->Description(), u"Move Object");
    EXPECT_EQ(factory.Create(QStringLiteral("ResizeBounds"), label)->Description(), u"Resize Object");
}

// Two records of one property in one task: Undo must end at the first one's
// value, so a task undoes newest first.
TEST(UndoManager, ATaskUndoesNewestFirstAndRedoesInOrder)
{
    TUndoReport f;
    auto* label = f.Add<TjxLabel>(f.Band(btDetail), 1000, 2000);
    {
        TjxUndoCommandScope command(&f.rig.hooks);
        label->SetBounds(3000, 4000, 5000, 20000);
        label->SetBounds(7000, 8000, 6000, 21000);
    }
    ASSERT_EQ(f.rig.manager.UndoCount(), 1);
    EXPECT_EQ(f.rig.manager.UndoList().Tasks(0)->Count(), 2);
    f.rig.edit.Undo();
    EXPECT_EQ(std::tuple(label->mmLeft(), label->mmTop(), label->mmHeight(), label->mmWidth()),
              std::tuple(1000, 2000, 5000, 20000));
    f.rig.edit.Redo();
    EXPECT_EQ(std::tuple(label->mmLeft(), label->mmTop(), label->mmHeight(), label->mmWidth()),
              std::tuple(7000, 8000, 6000, 21000));
}

// A setter's Modified reaches the band and the report as well; those must not
// close the command's task. Align lefts is one Undo step.
TEST(UndoManager, HooksArePairedSoACommandIsOneTask)
{
    TUndoReport f;
    TjxBand* detail = f.Band(btDetail);
    auto* a = f.Add<TjxLabel>(detail, 1000);
    auto* b = f.Add<TjxLabel>(detail, 5000);
    auto* c = f.Add<TjxLabel>(detail, 9000);
    f.rig.edit.AlignLefts({a, b, c});
    EXPECT_EQ(f.rig.manager.UndoCount(), 1);
    EXPECT_EQ(f.rig.manager.TaskDepth(), 0);
    EXPECT_EQ(f.rig.hooks.OpenLevels(), 0);
    EXPECT_EQ(c->mmLeft(), 1000);
    f.rig.edit.Undo();
    EXPECT_EQ(b->mmLeft(), 5000);
    EXPECT_EQ(c->mmLeft(), 9000);
    f.rig.edit.Redo();
    EXPECT_EQ(b->mmLeft(), 1000);
    EXPECT_EQ(c->mmLeft(), 1000);

    // A setter outside a command is a task of its own; the report's and band's
    // Modified calls are ignored.
    a->SetCaption(QStringLiteral("x"));
    EXPECT_EQ(f.rig.manager.UndoCount(), 2);
    EXPECT_EQ(f.rig.manager.TaskDepth(), 0);
    detail->SetmmHeight(30000);  // a band reaches the hooks through its report
    EXPECT_EQ(f.rig.manager.UndoCount(), 3);
}

// A band's height is stored in thousandths; in screen pixels a units round
// trip would turn 5000 into 5027.
TEST(UndoManager, BandHeightAndLengthsComeBackExactly)
{
    TUndoReport f;
    {
        TjxUndoDisabledGuard off(&f.rig.manager);
        f.report->SetUnits(utScreenPixels);
    }
    TjxBand* detail = f.Band(btDetail);
    detail->SetmmHeight(5000);
    auto* memo = f.Add<TjxMemo>(detail);
    memo->SetmmLeading(1234);
    f.rig.manager.Clear();
    const QByteArray before = f.rig.Bytes();

    f.rig.edit.SetBandHeight(detail, 12345);
    f.rig.edit.SetProperty(detail, QStringLiteral("Height"), 70.0);
    f.rig.edit.SetProperty(memo, QStringLiteral("Leading"), 3.0);
    EXPECT_NE(detail->mmHeight(), 5000);
    EXPECT_NE(memo->mmLeading(), 1234);
    while (f.rig.manager.UndoCount() > 0)
        f.rig.edit.Undo();
    EXPECT_EQ(detail->mmHeight(), 5000);
    EXPECT_EQ(memo->mmLeading(), 1234);
    EXPECT_EQ(f.rig.Bytes(), before);
}

// References are recorded by the referenced component's Name: a copy of the
// object would plant a stray component.
TEST(UndoManager, ReferencesAreRecordedByName)
{
    TUndoReport f;
    TjxBand* detail = f.Band(btDetail);
    auto* a = f.Add<TjxMemo>(detail);
    auto* b = f.Add<TjxMemo>(detail, 0, 8000);
    auto* total = f.Add<TjxVariable>(detail);
    const int components = f.host.ComponentCount();

    f.rig.edit.SetProperty(b, QStringLiteral("ShiftRelativeTo"), QVariant::fromValue<TPersistent*>(a));
    f.rig.edit.SetProperty(total, QStringLiteral("CalcComponent"), QVariant::fromValue<TPersistent*>(a));
    ASSERT_EQ(b->ShiftRelativeTo(), a);
    f.rig.edit.Undo();
    f.rig.edit.Undo();
    EXPECT_EQ(b->ShiftRelativeTo(), nullptr);
    EXPECT_EQ(total->CalcComponent(), nullptr);
    f.rig.edit.Redo();
    f.rig.edit.Redo();
    EXPECT_EQ(b->ShiftRelativeTo(), a);
    EXPECT_EQ(total->CalcComponent(), a);
    EXPECT_EQ(f.host.ComponentCount(), components);
}

TEST(UndoManager, FontSizeFromTheToolbarPathUndoesAndRedoes)
{
    TUndoReport f;
    auto* label = f.Add<TjxLabel>(f.Band(btDetail));
    const int size = label->Font()->Size();
    f.rig.edit.SetProperty(label, QStringLiteral("Font.Size"), qint64(size + 6));
    ASSERT_EQ(f.rig.manager.UndoCount(), 1);
    EXPECT_EQ(f.rig.manager.UndoList().Tasks(0)->Undoables(0)->ClassName(), u"TjxSetFontSizeUndoable");
    f.rig.edit.Undo();
    EXPECT_EQ(label->Font()->Size(), size);
    f.rig.edit.Redo();
    EXPECT_EQ(label->Font()->Size(), size + 6);
}

TEST(UndoManager, DeletingThreeComponentsIsOneTaskThatRecreatesThemInTheirBands)
{
    TUndoReport f;
    TjxBand* header = f.Band(btHeader);
    TjxBand* detail = f.Band(btDetail);
    auto* first = f.Add<TjxLabel>(detail);
    auto* a = f.Add<TjxLabel>(header);
    auto* b = f.Add<TjxMemo>(detail);
    auto* last = f.Add<TjxLabel>(detail);
    auto* c = f.Add<TjxVariable>(detail);
    auto* dependent = f.Add<TjxMemo>(detail);
    {
        TjxUndoDisabledGuard off(&f.rig.manager);
        dependent->SetShiftRelativeTo(b);
        c->SetCalcComponent(last);
    }
    const QString na = a->Name(), nb = b->Name(), nc = c->Name();
    const QByteArray before = f.rig.Bytes();

    f.rig.edit.DeleteComponents({a, b, c});
    EXPECT_EQ(f.rig.manager.UndoCount(), 1);
    EXPECT_EQ(f.host.FindComponent(na), nullptr);
    EXPECT_EQ(dependent->ShiftRelativeTo(), nullptr);  // freeing cleared it
    const QByteArray after = f.rig.Bytes();

    f.rig.edit.Undo();
    auto* ra = dynamic_cast<TjxComponent*>(f.host.FindComponent(na));
    auto* rb = dynamic_cast<TjxComponent*>(f.host.FindComponent(nb));
    auto* rc = dynamic_cast<TjxComponent*>(f.host.FindComponent(nc));
    ASSERT_TRUE(ra && rb && rc);
    EXPECT_EQ(ra->Band(), header);
    EXPECT_EQ(rb->Band(), detail);
    EXPECT_EQ(rc->Band(), detail);
    EXPECT_EQ(detail->IndexOfChild(rb), 1);
    EXPECT_EQ(dependent->ShiftRelativeTo(), rb);
    EXPECT_EQ(f.rig.Bytes(), before);

    f.rig.edit.Redo();
    EXPECT_EQ(f.host.FindComponent(na), nullptr);
    EXPECT_EQ(f.host.FindComponent(nb), nullptr);
    EXPECT_EQ(f.host.FindComponent(nc), nullptr);
    EXPECT_EQ(f.rig.Bytes(), after);
    (void)first;
}

// A component re-created after its band went goes to the band of its kind,
// else the first band; never into the owner without a band.
TEST(UndoManager, ARecreatedComponentWhoseBandIsGoneFindsABand)
{
    TUndoReport f;
    TjxBand* header = f.Band(btHeader);
    auto* label = f.Add<TjxLabel>(header);
    const QString name = label->Name();
    f.rig.edit.DeleteComponents({label});
    {
        TjxUndoDisabledGuard off(&f.rig.manager);
        delete header;
    }
    f.rig.edit.Undo();
    auto* back = dynamic_cast<TjxComponent*>(f.host.FindComponent(name));
    ASSERT_NE(back, nullptr);
    ASSERT_NE(back->Band(), nullptr);
    EXPECT_EQ(back->Band(), f.report->Band(0));
}

TEST(UndoManager, CutPasteAndCreateAreRecordedAndUndone)
{
    TUndoReport f;
    TjxBand* detail = f.Band(btDetail);
    TjxBand* footer = f.Band(btFooter);
    auto* label = f.Add<TjxLabel>(detail);
    label->SetCaption(QStringLiteral("cut me"));
    f.rig.manager.Clear();
    const QByteArray start = f.rig.Bytes();

    const QByteArray clip = f.rig.edit.CutComponents({label});
    EXPECT_EQ(f.host.FindComponent(u"jxLabel1"), nullptr);
    auto pasted = f.rig.edit.PasteComponents(clip, footer);
    ASSERT_EQ(pasted.size(), 1u);
    EXPECT_EQ(pasted[0]->Band(), footer);
    auto again = f.rig.edit.PasteComponents(clip, footer);
    ASSERT_EQ(again.size(), 1u);
    EXPECT_NE(again[0]->Name(), pasted[0]->Name());  // the name was taken
    TjxComponent* made = f.rig.edit.CreateComponent(TjxLabel::StaticClass(), detail, 0, 0, 1000, 1000);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(f.rig.manager.UndoCount(), 4);
    const QByteArray end = f.rig.Bytes();

    while (f.rig.manager.UndoCount() > 0)
        f.rig.edit.Undo();
    EXPECT_EQ(f.rig.Bytes(), start);
    while (f.rig.manager.RedoCount() > 0)
        f.rig.edit.Redo();
    EXPECT_EQ(f.rig.Bytes(), end);
}

// An exception in a command or an Undo leaves nothing stuck: the task is
// freed, recording is on and the next change records as usual.
TEST(UndoManager, AFailureLeavesTheManagerUsable)
{
    TUndoReport f;
    TjxBand* detail = f.Band(btDetail);
    auto* a = f.Add<TjxMemo>(detail);
    auto* b = f.Add<TjxMemo>(detail);

    f.rig.edit.SetProperty(b, QStringLiteral("ShiftRelativeTo"), QVariant::fromValue<TPersistent*>(a));
    f.rig.edit.Undo();
    {
        TjxUndoDisabledGuard off(&f.rig.manager);
        a->SetShiftRelativeTo(b);
    }
    // Redo would make a cycle: the setter refuses with an exception.
    EXPECT_THROW(f.rig.edit.Redo(), EOrvaneError);
    EXPECT_TRUE(f.rig.manager.Enabled());
    EXPECT_EQ(f.rig.manager.RedoCount(), 0);
    EXPECT_EQ(f.rig.manager.UndoCount(), 0);

    // A command whose setter throws closes its task.
    EXPECT_THROW(f.rig.edit.SetProperty(b, QStringLiteral("ShiftRelativeTo"), QVariant::fromValue<TPersistent*>(a)),
                 EOrvaneError);
    EXPECT_EQ(f.rig.manager.TaskDepth(), 0);
    EXPECT_FALSE(f.rig.manager.InOperation());
    const int count = f.rig.manager.UndoCount();
    f.rig.edit.SetProperty(a, QStringLiteral("CharWrap"), !a->CharWrap());
    EXPECT_EQ(f.rig.manager.UndoCount(), count + 1);
    EXPECT_EQ(f.rig.manager.TaskDepth(), 0);
}

// Renaming breaks the link: the record finds nothing and is skipped.
TEST(UndoManager, ARenamedComponentIsSkipped)
{
    TUndoReport f;
    auto* label = f.Add<TjxLabel>(f.Band(btDetail));
    f.rig.edit.SetProperty(label, QStringLiteral("Caption"), QStringLiteral("changed"));
    label->SetName(QStringLiteral("jxRenamed"));
    f.rig.edit.Undo();
    EXPECT_EQ(label->Caption(), u"changed");
    EXPECT_EQ(f.rig.manager.RedoCount(), 1);
}

// Bands, groups and child reports without a designer of their own reach the
// report's: their changes are recorded with the hooks attached to the report alone.
TEST(UndoManager, BandsGroupsAndChildReportsReachTheReportsDesigner)
{
    TGroupedReport f;
    TjxUndoManager& m = f.rig.manager;
    m.Clear();
    TjxGroup* group = f.report->Group(0);
    group->SetBreakName(QStringLiteral("Region"));
    EXPECT_EQ(m.UndoCount(), 1);
    f.report->FindBand(btGroupHeader, 0)->SetmmHeight(7000);
    EXPECT_EQ(m.UndoCount(), 2);
    TjxSubReport* sub = nullptr;
    for (int i = 0; i < f.host.ComponentCount() && !sub; ++i)
        sub = dynamic_cast<TjxSubReport*>(f.host.Components(i));
    ASSERT_NE(sub, nullptr);
    TjxBand* childBand = sub->Report()->Band(0);
    childBand->SetmmHeight(childBand->mmHeight() + 1000);
    EXPECT_EQ(m.UndoCount(), 3);
    auto* inChild = dynamic_cast<TjxComponent*>(childBand->Child(0));
    ASSERT_NE(inChild, nullptr);
    inChild->SetmmLeft(inChild->mmLeft() + 500);
    EXPECT_EQ(m.UndoCount(), 4);
    EXPECT_EQ(m.TaskDepth(), 0);
    while (m.UndoCount() > 0)
        f.rig.edit.Undo();
    EXPECT_EQ(group->BreakName(), u"Customer");
}

// A band or group freed and re-created by its record: back in its report,
// with its components, and the designer hears of the band.
TEST(UndoManager, BandsAndGroupsComeBackToTheirReport)
{
    TGroupedReport f;
    TjxUndoManager& m = f.rig.manager;
    m.Clear();
    std::vector<int> created;
    f.rig.hooks.OnNotify = [&](int message, int, TjxCommunicator*) {
        if (message == dnBandCreated)
            created.push_back(message);
    };
    const QByteArray start = f.rig.Bytes();
    TjxBand* footer = f.Band(btFooter);
    TjxGroup* inner = f.report->Group(1);
    {
        TjxUndoCommandScope command(&f.rig.hooks);
        m.Commit(TjxUndoableClassFactory::Instance().Create(QStringLiteral("DestroyBand"), footer));
        m.Commit(TjxUndoableClassFactory::Instance().Create(QStringLiteral("DestroyGroup"), inner));
        TjxUndoDisabledGuard off(&m);
        FreeComponentTrees(&f.host, {footer, inner});
    }
    EXPECT_EQ(f.report->GroupCount(), 1);
    EXPECT_EQ(f.report->FindBand(btFooter), nullptr);
    f.rig.edit.Undo();
    EXPECT_EQ(f.report->GroupCount(), 2);
    ASSERT_NE(f.report->FindBand(btFooter), nullptr);
    EXPECT_EQ(f.report->FindBand(btFooter)->ChildCount(), 1);
    EXPECT_EQ(created.size(), 3u);  // the footer and the group's two bands
    EXPECT_EQ(f.rig.Bytes(), start);
    f.rig.edit.Redo();
    EXPECT_EQ(f.report->GroupCount(), 1);
    EXPECT_EQ(f.report->FindBand(btFooter), nullptr);
}

// Freeing a region's child used to leave it in the region's list, and the
// next save wrote a freed object. Undo puts the child back in its region.
TEST(UndoManager, ADeletedRegionChildLeavesItsRegion)
{
    TUndoReport f;
    TjxBand* detail = f.Band(btDetail);
    auto* region = f.Add<TjxRegion>(detail);
    auto* child = f.Add<TjxLabel>(detail, 1000, 1000);
    child->SetRegion(region);
    f.rig.manager.Clear();
    const QByteArray start = f.rig.Bytes();
    const QString name = child->Name();
    f.rig.edit.DeleteComponents({child});
    const QByteArray after = f.rig.Bytes();  // writes the region without the child
    EXPECT_NE(after, start);
    f.rig.edit.Undo();
    auto* back = dynamic_cast<TjxComponent*>(f.host.FindComponent(name));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Region(), region);
    EXPECT_EQ(f.rig.Bytes(), start);

    // The region goes with its children, and comes back with them.
    f.rig.edit.DeleteComponents({region});
    EXPECT_EQ(f.host.FindComponent(name), nullptr);
    f.rig.edit.Undo();
    EXPECT_EQ(f.rig.Bytes(), start);
}

// Taking a component off its pipeline forgets the pipeline's name (it came
// back on the next load) and tells the designer of the flag it clears.
TEST(UndoManager, APipelineChangeAndWhatItClearsComeBack)
{
    TUndoReport f;
    auto* pipeline = new TjxMemoryPipeline(&f.host);
    pipeline->SetName(QStringLiteral("plData"));
    auto* text = f.Add<TjxDBText>(f.Band(btDetail));
    f.rig.manager.Clear();
    const QByteArray start = f.rig.Bytes();
    f.rig.edit.SetProperty(text, QStringLiteral("DataPipeline"), QVariant::fromValue<TPersistent*>(pipeline));
    EXPECT_FALSE(text->ParentDataPipeline());
    const QByteArray bound = f.rig.Bytes();
    f.rig.edit.SetProperty(text, QStringLiteral("DataPipeline"), QVariant::fromValue<TPersistent*>(nullptr));
    EXPECT_TRUE(text->DataPipelineName().isEmpty());
    f.rig.edit.Undo();
    EXPECT_EQ(text->DataPipeline(), pipeline);
    EXPECT_EQ(f.rig.Bytes(), bound);
    f.rig.edit.Undo();
    EXPECT_TRUE(text->ParentDataPipeline());
    EXPECT_EQ(f.rig.Bytes(), start);
}

// A subreport printing as a section through NewPrintJob, a fixed one that
// keeps together and is anchored to the bottom: all of it survives its
// stream, so deleting and undoing gives the same template.
TEST(UndoManager, SubreportStatesSurviveTheirStream)
{
    TUndoReport f;
    TjxBand* detail = f.Band(btDetail);
    auto* section = f.Add<TjxSubReport>(detail);
    auto* fixed = f.Add<TjxSubReport>(detail, 0, 8000);
    f.rig.manager.Clear();
    f.rig.edit.SetProperty(section, QStringLiteral("NewPrintJob"), true);
    EXPECT_EQ(section->PrintBehavior(), pbSection);
    f.rig.edit.Undo();
    EXPECT_EQ(section->PrintBehavior(), pbChild);
    f.rig.edit.Redo();
    EXPECT_EQ(section->PrintBehavior(), pbSection);

    f.rig.edit.SetProperty(fixed, QStringLiteral("PrintBehavior"), qint64(pbFixed));
    f.rig.edit.SetProperty(fixed, QStringLiteral("KeepTogether"), true);
    f.rig.edit.SetProperty(fixed, QStringLiteral("Anchors"), qint64((1u << atRight) | (1u << atBottom)));
    ASSERT_TRUE(fixed->KeepTogether());
    const QByteArray before = f.rig.Bytes();
    f.rig.edit.DeleteComponents({section, fixed});
    f.rig.edit.Undo();
    EXPECT_EQ(f.rig.Bytes(), before);
}
