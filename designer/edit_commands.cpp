#include "designer/edit_commands.h"

#include "components/component.h"
#include "document/custom_report.h"
#include "document/stream_writer.h"
#include "engine/data_pipeline.h"
#include "engine/pipeline_list.h"

#include <QSet>
#include <algorithm>

namespace orvane {

namespace {

// The next object up: a component's region, else the tree parent.
TjxRelative* Up(TjxRelative* object)
{
    if (auto* c = dynamic_cast<TjxComponent*>(object))
        if (c->Region())
            return c->Region();
    return object->Parent();
}

bool HasAncestorIn(TjxRelative* object, const QSet<TComponent*>& set)
{
    for (TjxRelative* p = Up(object); p; p = Up(p))
        if (set.contains(p))
            return true;
    return false;
}

// Components with the same band in drawing order, bands in report order.
bool ComesBefore(TjxComponent* a, TjxComponent* b)
{
    TjxBand* ba = a->Band();
    TjxBand* bb = b->Band();
    if (ba != bb)
        return ba < bb;
    return ba && ba->IndexOfChild(a) < ba->IndexOfChild(b);
}

} // namespace

std::vector<TjxComponent*> TopLevelComponents(const std::vector<TjxComponent*>& components)
{
    QSet<TComponent*> set;
    for (TjxComponent* c : components)
        if (c)
            set.insert(c);
    std::vector<TjxComponent*> result;
    for (TjxComponent* c : components)
        if (c && !HasAncestorIn(c, set) && std::find(result.begin(), result.end(), c) == result.end())
            result.push_back(c);
    return result;
}

TjxEditCommands::TjxEditCommands(TjxUndoDesignerHooks* hooks) : m_hooks(hooks) {}

TComponent* TjxEditCommands::Owner() const { return TjxUndoable::LookupOwner(Report()); }

void TjxEditCommands::SetProperty(TComponent* object, const QString& name, const QVariant& value)
{
    TjxUndoCommandScope scope(m_hooks);
    TjxUndoManager* manager = Manager();
    TjxUndoableTask* task = manager->OpenTask();
    const int before = task ? task->Count() : 0;
    // Setters that do not announce themselves (a font's size, a plain field)
    // are recorded here; the record is taken before the change.
    std::unique_ptr<TjxUndoable> record;
    QVariant old;
    bool comparable = false;
    if (task && !manager->InOperation()) {
        record = TjxUndoableClassFactory::Instance().Create(name, object);
        const TPropInfo* prop = ResolvePropertyPath(*object, name).second;
        comparable = record && prop && prop->IsReadable() && prop->Kind() != tkClass;
        if (comparable)
            old = object->GetPropertyValue(name);
    }
    object->SetPropertyValue(name, value);
    if (!record || manager->OpenTask() != task)
        return;
    // A setter that refused the value changed nothing.
    if (comparable && object->GetPropertyValue(name) == old)
        return;
    for (int i = before; i < task->Count(); ++i) {
        const TjxUndoable* u = task->Undoables(i);
        if (u->ComponentName() == object->Name() && u->Operation().compare(name, Qt::CaseInsensitive) == 0)
            return;
    }
    manager->CommitAt(before, std::move(record));
}

void TjxEditCommands::Move(TjxComponent* component, int mmLeft, int mmTop)
{
    TjxUndoCommandScope scope(m_hooks);
    component->SetBounds(mmLeft, mmTop, component->mmHeight(), component->mmWidth());
}

void TjxEditCommands::Resize(TjxComponent* component, int mmWidth, int mmHeight)
{
    TjxUndoCommandScope scope(m_hooks);
    component->SetBounds(component->mmLeft(), component->mmTop(), mmHeight, mmWidth);
}

void TjxEditCommands::SetBandHeight(TjxBand* band, int mmHeight)
{
    TjxUndoCommandScope scope(m_hooks);
    band->SetmmHeight(mmHeight);
}

void TjxEditCommands::BringToFront(const std::vector<TjxComponent*>& components)
{
    TjxUndoCommandScope scope(m_hooks);
    for (TjxComponent* c : components)
        c->BringToFront();
}

void TjxEditCommands::SendToBack(const std::vector<TjxComponent*>& components)
{
    TjxUndoCommandScope scope(m_hooks);
    for (TjxComponent* c : components)
        c->SendToBack();
}

void TjxEditCommands::AlignLefts(const std::vector<TjxComponent*>& components)
{
    if (components.size() < 2)
        return;
    TjxUndoCommandScope scope(m_hooks);
    const int left = components.front()->mmLeft();
    for (size_t i = 1; i < components.size(); ++i)
        components[i]->SetmmLeft(left);
}

TjxComponent* TjxEditCommands::CreateComponent(const TClassInfo& cls, TjxBand* band, int mmLeft, int mmTop,
                                               int mmWidth, int mmHeight)
{
    TjxCustomReport* report = band ? band->Report() : nullptr;
    if (!report || !cls.createComponent)
        return nullptr;
    TComponent* owner = report->Owner() ? report->Owner() : report;
    TjxUndoCommandScope scope(m_hooks);
    TjxComponent* component = nullptr;
    {
        // Recording stays on: what placing it changes in others (a subreport
        // makes its band's height dynamic) must come back too. Its own
        // records find nothing while it does not exist and are skipped.
        TComponent* made = cls.createComponent(owner);
        component = dynamic_cast<TjxComponent*>(made);
        if (!component) {
            delete made;
            return nullptr;
        }
        try {
            component->SetName(report->GetValidName(component));
            component->SetBand(band);
            component->SetBounds(mmLeft, mmTop, mmHeight, mmWidth);
        } catch (...) {
            delete component;
            throw;
        }
    }
    if (Manager()->Enabled())
        Manager()->Commit(TjxUndoableClassFactory::Instance().Create(QStringLiteral("CreateComponent"), component));
    return component;
}

void TjxEditCommands::DeleteComponents(const std::vector<TjxComponent*>& components)
{
    Destroy(components, QStringLiteral("DestroyComponent"));
}

QByteArray TjxEditCommands::CopyComponents(const std::vector<TjxComponent*>& components) const
{
    QByteArray stream;
    TComponent* owner = Owner();
    TWriter writer(stream);
    writer.SetRoot(owner);
    writer.SetLookupRoot(owner);
    for (TjxComponent* c : TopLevelComponents(components))
        writer.WriteDescendent(c);
    writer.WriteListEnd();
    return stream;
}

QByteArray TjxEditCommands::CutComponents(const std::vector<TjxComponent*>& components)
{
    QByteArray stream = CopyComponents(components);
    Destroy(components, QStringLiteral("CutComponent"));
    return stream;
}

void TjxEditCommands::Destroy(const std::vector<TjxComponent*>& components, const QString& operation)
{
    std::vector<TjxComponent*> top = TopLevelComponents(components);
    TComponent* owner = Owner();
    if (top.empty() || !owner)
        return;
    TjxUndoCommandScope scope(m_hooks);
    TjxUndoManager* manager = Manager();
    // What goes: the components and everything below them (a region's
    // children, a subreport's report with its bands): their streams hold all
    // of it, so all of it must go, or Undo would find the names taken.
    const std::vector<TComponent*> tops(top.begin(), top.end());
    const std::vector<TComponent*> trees = ComponentTrees(owner, tops);
    const QSet<TComponent*> going(trees.begin(), trees.end());
    if (manager->Enabled()) {
        // Freeing clears references to them in other objects without a
        // word to the designer: record those first, so Undo sets them again
        // once the components are back.
        for (int i = 0; i < owner->ComponentCount(); ++i) {
            TComponent* holder = owner->Components(i);
            for (const TPropInfo& prop : holder->ClassInfo().properties) {
                if (!prop.IsWritable() || !IsReferenceProperty(*holder, prop))
                    continue;
                if (TComponent* target = ReferenceOf(holder, prop); target && going.contains(target))
                    manager->RecordChange(prop.name, holder);
            }
        }
        // Undo re-creates newest record first: record from the back of each
        // band so they return in drawing order, each at its own index.
        std::vector<TjxComponent*> order = top;
        std::sort(order.begin(), order.end(), [](TjxComponent* a, TjxComponent* b) { return ComesBefore(b, a); });
        for (TjxComponent* c : order)
            manager->Commit(TjxUndoableClassFactory::Instance().Create(operation, c));
    }
    TjxUndoDisabledGuard off(manager);
    FreeComponentTrees(owner, tops);
}

std::vector<TjxComponent*> TjxEditCommands::PasteComponents(const QByteArray& stream, TjxBand* band)
{
    TjxCustomReport* report = band && band->Report() ? band->Report() : Report();
    TComponent* owner = Owner();
    std::vector<TjxComponent*> pasted;
    if (!band && report && report->BandCount() > 0)
        band = report->Band(0);
    if (!report || !owner || !band)
        return pasted;
    TjxUndoCommandScope scope(m_hooks);
    TjxUndoableTask* task = Manager()->OpenTask();
    const int first = task ? task->Count() : 0;
    const TjxReferenceSnapshot references(owner);
    {
        // Recording stays on while they are placed, as for a new component.
        // A pasted copy whose name is taken gets a new one.
        TjxComponentStreamRead reading(stream, owner, [&](TComponent* component, QString& name) {
            TComponent* holder = owner->FindComponent(name);
            if (holder && holder != component)
                name = report->GetValidName(component);
        });
        // Read straight into the band, as Undo's re-creation reads them back.
        for (TComponent* object : reading.ReadInto(band)) {
            auto* c = dynamic_cast<TjxComponent*>(object);
            if (!c || c->Band() != band) {
                reading.Discard(object);
                continue;
            }
            pasted.push_back(c);
        }
        const TjxDataPipelineList pipelines(report);
        for (TjxComponent* c : pasted)
            if (!c->DataPipeline() && !c->DataPipelineName().isEmpty())
                if (TjxDataPipeline* pipeline = pipelines.FindByName(c->DataPipelineName()))
                    c->SetDataPipeline(pipeline);
    }
    if (Manager()->Enabled()) {
        // Links the pasted components took from others without a word:
        // recorded before the paste records, so Undo gives them back after
        // the pasted ones are gone.
        for (const auto& e : references.Changed()) {
            auto record = TjxUndoableClassFactory::Instance().Create(e.prop->name, e.holder);
            if (auto* reference = dynamic_cast<TjxSetReferencePropUndoable*>(record.get())) {
                reference->SetBefore(e.value ? e.value->Name() : QString());
                Manager()->CommitAt(first, std::move(record));
            }
        }
        for (TjxComponent* c : pasted)
            Manager()->Commit(TjxUndoableClassFactory::Instance().Create(QStringLiteral("PasteComponent"), c));
    }
    return pasted;
}

} // namespace orvane
