// A thousand seeded random edits, then Undo to the start and Redo to the end:
// the template's bytes must match at both ends. And the contract of every
// published property: one change through the designer path is one task.

#include "random_editor.h"

#include "app/receipt_form.h"
#include "components/label.h"
#include "components/memo.h"
#include "components/variable.h"
#include "engine/region.h"
#include "engine/subreport.h"

using namespace orvane;
using namespace orvane::test;

namespace {

constexpr int kEdits = 1000;

// Edits, then undoes and redoes everything, comparing the template's bytes.
void RunRoundTrip(TUndoRig& rig, uint32_t seed)
{
    rig.manager.SetCapacity(kEdits + 10);
    rig.manager.Clear();
    const QByteArray start = rig.Bytes();
    TRandomEditor editor(rig, seed);
    for (int i = 0; i < kEdits; ++i)
        editor.Step();
    EXPECT_EQ(rig.manager.TaskDepth(), 0);
    EXPECT_GT(rig.manager.UndoCount(), kEdits / 2);
    const QByteArray end = rig.Bytes();
    ASSERT_NE(end, start);

    const int tasks = rig.manager.UndoCount();
    while (rig.manager.UndoCount() > 0)
        rig.edit.Undo();
    EXPECT_EQ(rig.manager.RedoCount(), tasks);
    EXPECT_TRUE(rig.Bytes() == start) << "undo all, seed " << seed;
    while (rig.manager.RedoCount() > 0)
        rig.edit.Redo();
    EXPECT_TRUE(rig.Bytes() == end) << "redo all, seed " << seed;
}

// Every edit on its own: Undo gives the bytes before it, Redo the bytes
// after it, and an edit that recorded nothing changed nothing.
void CheckEachTask(TUndoRig& rig, uint32_t seed, int steps)
{
    rig.manager.SetCapacity(steps + 10);
    TRandomEditor editor(rig, seed);
    for (int i = 0; i < steps; ++i) {
        const QByteArray before = rig.Bytes();
        const int count = rig.manager.UndoCount();
        editor.Step();
        const QByteArray after = rig.Bytes();
        if (rig.manager.UndoCount() == count) {
            ASSERT_TRUE(after == before) << "step " << i << " recorded nothing: " << editor.Last().toStdString();
            continue;
        }
        rig.edit.Undo();
        ASSERT_TRUE(rig.Bytes() == before) << "undo of step " << i << ": " << editor.Last().toStdString();
        rig.edit.Redo();
        ASSERT_TRUE(rig.Bytes() == after) << "redo of step " << i << ": " << editor.Last().toStdString();
    }
}

} // namespace

TEST(UndoRandomEdits, EachEditUndoesAndRedoesOnItsOwn)
{
    TGroupedReport f;
    CheckEachTask(f.rig, 6, kEdits / 5);
}

TEST(UndoRandomEdits, GroupedReportWithSubreportsComesBackByteForByte)
{
    TGroupedReport f;
    RunRoundTrip(f.rig, 20261210);
}

TEST(UndoRandomEdits, ReceiptComesBackByteForByte)
{
    TForm1 form;
    form.ReadDescription();
    ASSERT_NE(form.Receipt(), nullptr);
    TUndoRig rig;
    rig.Attach(form.Receipt());
    RunRoundTrip(rig, 7);
}

// Every published property of every registered component class: a change
// through the designer path adds exactly one task and closes every level.
TEST(UndoContract, EveryPublishedPropertyChangeIsOneTask)
{
    TGroupedReport f;
    TRandomEditor values(f.rig, 1);
    f.rig.manager.SetCapacity(100000);
    TjxBand* detail = f.Band(btDetail);
    int checked = 0;
    const TjxRegList& classes = RegisteredComponents();
    for (int i = 0; i < classes.Count(); ++i) {
        const TClassInfo& cls = *classes.Records(i).componentClass;
        TjxComponent* c = f.rig.edit.CreateComponent(cls, detail, 1000, 1000, 20000, 5000);
        ASSERT_NE(c, nullptr) << cls.className.toStdString();
        for (const TPropInfo& prop : cls.properties) {
            QString path = prop.name;
            QVariant value;
            std::unique_ptr<TPersistent> keep;
            if (prop.Kind() == tkClass) {
                // Every sub-property of an object property, one at a time.
                TPersistent* sub = prop.getObject ? prop.getObject(*c) : nullptr;
                if (!sub || IsReferenceProperty(*c, prop) || dynamic_cast<TStrings*>(sub))
                    continue;
                for (const TPropInfo& subProp : sub->ClassInfo().properties) {
                    if (subProp.Kind() == tkClass || !values.NewValue(*sub, subProp, value))
                        continue;
                    const int before = f.rig.manager.UndoCount();
                    const QVariant old = c->GetPropertyValue(prop.name + u'.' + subProp.name);
                    f.rig.edit.SetProperty(c, prop.name + u'.' + subProp.name, value);
                    const bool changed = c->GetPropertyValue(prop.name + u'.' + subProp.name) != old;
                    EXPECT_EQ(f.rig.manager.UndoCount(), before + (changed ? 1 : 0))
                        << cls.className.toStdString() << "." << prop.name.toStdString() << "."
                        << subProp.name.toStdString();
                    EXPECT_EQ(f.rig.manager.TaskDepth(), 0);
                    checked += changed;
                }
                continue;
            }
            if (!values.NewValue(*c, prop, value))
                continue;
            const int before = f.rig.manager.UndoCount();
            const QVariant old = c->GetPropertyValue(path);
            try {
                f.rig.edit.SetProperty(c, path, value);
            } catch (const EOrvaneError&) {
            }
            const bool changed = c->GetPropertyValue(path) != old;
            EXPECT_EQ(f.rig.manager.UndoCount(), before + (changed ? 1 : 0))
                << cls.className.toStdString() << "." << path.toStdString();
            EXPECT_EQ(f.rig.manager.TaskDepth(), 0);
            EXPECT_EQ(f.rig.hooks.OpenLevels(), 0);
            checked += changed;
        }
    }
    EXPECT_GT(checked, 200);
}
