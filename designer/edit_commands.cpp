#include "designer/edit_commands.h"

#include "components/component.h"
#include "designer/edit/band_layout.h"
#include "document/custom_report.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/stream_reader.h"
#include "document/stream_writer.h"
#include "engine/data_pipeline.h"
#include "engine/region.h"
#include "engine/pipeline_list.h"

#include <QHash>
#include <QRect>
#include <QSet>
#include <algorithm>
#include <climits>

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

void TjxEditCommands::SetPixelBounds(TjxComponent* component, int left, int top, int width, int height)
{
    width = std::max(1, width);
    height = std::max(1, height);
    const auto mm = [](int pixels, int current, int currentPixels, TjxAxis axis) {
        return pixels == currentPixels ? current : UnitsToThousandths(float(pixels), utScreenPixels, axis);
    };
    const int mmLeft = mm(left, component->mmLeft(), component->spLeft(), axHorizontal);
    const int mmTop = mm(top, component->mmTop(), component->spTop(), axVertical);
    const int mmWidth = mm(width, component->mmWidth(), component->spWidth(), axHorizontal);
    const int mmHeight = mm(height, component->mmHeight(), component->spHeight(), axVertical);
    if (mmLeft == component->mmLeft() && mmTop == component->mmTop() && mmWidth == component->mmWidth() &&
        mmHeight == component->mmHeight())
        return;
    TjxUndoCommandScope scope(m_hooks);
    component->SetBounds(mmLeft, mmTop, mmHeight, mmWidth);
}

void TjxEditCommands::MoveToBand(TjxComponent* component, TjxBand* band)
{
    if (!band || band == component->Band())
        return;
    TjxUndoCommandScope scope(m_hooks);
    // The old band's order, undone after the band change is.
    if (Manager()->Enabled() && component->Band())
        Manager()->Commit(TjxUndoableClassFactory::Instance().Create(QStringLiteral("SendToBack"), component));
    component->SetBand(band);
}

void TjxEditCommands::PlaceInBandAt(TjxComponent* component, int workspaceTop)
{
    TjxCustomReport* report = component->Band() ? component->Band()->Report() : Report();
    const TjxBandLayout layout(report);
    TjxBand* band = layout.BandAt(workspaceTop);
    if (!band || band == component->Band())
        return;
    TjxUndoCommandScope scope(m_hooks);
    // The place on the workspace stays; the top becomes the new band's.
    const int left = component->spLeft();
    const int top = workspaceTop - layout.AreaTop(band);
    MoveToBand(component, band);
    SetPixelBounds(component, left, top, component->spWidth(), component->spHeight());
}

void TjxEditCommands::Align(const std::vector<TjxComponent*>& components, int kind)
{
    if (components.empty() || !components.front()->Band())
        return;
    if (kind == akSpaceHorizontally || kind == akSpaceVertically) {
        // The first and the last stay; the ones between get even steps.
        if (components.size() < 3)
            return;
        const bool horizontal = kind == akSpaceHorizontally;
        const TjxBandLayout layout(components.front()->Band()->Report());
        const auto place = [&](const TjxComponent* c) { return horizontal ? c->spLeft() : layout.WorkspaceTop(c); };
        std::vector<TjxComponent*> order = components;
        std::stable_sort(order.begin(), order.end(),
                         [&](const TjxComponent* a, const TjxComponent* b) { return place(a) < place(b); });
        const int start = place(order.front());
        const int step = (place(order.back()) - start) / int(order.size() - 1);
        TjxUndoCommandScope scope(m_hooks);
        for (size_t i = 1; i + 1 < order.size(); ++i) {
            TjxComponent* c = order[i];
            const int target = start + int(i) * step;
            if (horizontal) {
                SetPixelBounds(c, target, c->spTop(), c->spWidth(), c->spHeight());
            } else {
                SetPixelBounds(c, c->spLeft(), target - layout.AreaTop(c->Band()), c->spWidth(), c->spHeight());
                PlaceInBandAt(c, target);
            }
        }
        return;
    }
    const TjxComponent* ref = components.front();
    const TjxBandLayout layout(ref->Band()->Report());
    const int refLeft = ref->spLeft(), refWidth = ref->spWidth(), refHeight = ref->spHeight();
    const int refTop = layout.WorkspaceTop(ref);
    TjxUndoCommandScope scope(m_hooks);
    if (kind == akCentreInBandHorizontally || kind == akCentreInBandVertically) {
        int left = INT_MAX, right = INT_MIN, top = INT_MAX, bottom = INT_MIN;
        for (const TjxComponent* c : components) {
            left = std::min(left, c->spLeft());
            right = std::max(right, c->spLeft() + c->spWidth());
            top = std::min(top, layout.WorkspaceTop(c));
            bottom = std::max(bottom, layout.WorkspaceTop(c) + c->spHeight());
        }
        TjxBand* band = ref->Band();
        const int dx = kind == akCentreInBandHorizontally
                           ? (ThousandthsToPixels(band->Report()->PrintableWidth(), kScreenPixelsPerInch) -
                              (right - left)) / 2 - left
                           : 0;
        const int dy = kind == akCentreInBandVertically
                           ? (layout.HeightOf(band) - (bottom - top)) / 2 + layout.AreaTop(band) - top
                           : 0;
        for (TjxComponent* c : components)
            SetPixelBounds(c, c->spLeft() + dx, c->spTop() + dy, c->spWidth(), c->spHeight());
        return;
    }
    for (size_t i = 1; i < components.size(); ++i) {
        TjxComponent* c = components[i];
        switch (kind) {
        case akLefts:
            // The same edge exactly, not the edge's pixel.
            if (c->mmLeft() != ref->mmLeft())
                c->SetBounds(ref->mmLeft(), c->mmTop(), c->mmHeight(), c->mmWidth());
            break;
        case akHorizontalCentres:
            SetPixelBounds(c, refLeft + refWidth / 2 - c->spWidth() / 2, c->spTop(), c->spWidth(), c->spHeight());
            break;
        case akRights:
            SetPixelBounds(c, refLeft + refWidth - c->spWidth(), c->spTop(), c->spWidth(), c->spHeight());
            break;
        case akTops:
        case akVerticalCentres:
        case akBottoms: {
            const int target = kind == akTops               ? refTop
                               : kind == akVerticalCentres ? refTop + refHeight / 2 - c->spHeight() / 2
                                                            : refTop + refHeight - c->spHeight();
            if (kind == akTops && c->Band() == ref->Band()) {
                if (c->mmTop() != ref->mmTop())
                    c->SetBounds(c->mmLeft(), ref->mmTop(), c->mmHeight(), c->mmWidth());
                break;
            }
            SetPixelBounds(c, c->spLeft(), target - layout.AreaTop(c->Band()), c->spWidth(), c->spHeight());
            PlaceInBandAt(c, target);
            break;
        }
        default:
            break;
        }
    }
}

void TjxEditCommands::Size(const std::vector<TjxComponent*>& components, int kind)
{
    if (components.size() < 2)
        return;
    const bool widths = kind == skSmallestWidth || kind == skLargestWidth;
    const bool smallest = kind == skSmallestWidth || kind == skSmallestHeight;
    const TjxComponent* pick = components.front();
    for (const TjxComponent* c : components) {
        const int v = widths ? c->mmWidth() : c->mmHeight();
        const int p = widths ? pick->mmWidth() : pick->mmHeight();
        if (smallest ? v < p : v > p)
            pick = c;
    }
    // The chosen one's exact length, so the sizes really are equal.
    const int length = widths ? pick->mmWidth() : pick->mmHeight();
    TjxUndoCommandScope scope(m_hooks);
    for (TjxComponent* c : components)
        if ((widths ? c->mmWidth() : c->mmHeight()) != length)
            c->SetBounds(c->mmLeft(), c->mmTop(), widths ? c->mmHeight() : length, widths ? length : c->mmWidth());
}

void TjxEditCommands::Nudge(const std::vector<TjxComponent*>& components, int kind)
{
    if (components.empty())
        return;
    const int dx = kind == nkLeft ? -1 : kind == nkRight ? 1 : 0;
    const int dy = kind == nkUp ? -1 : kind == nkDown ? 1 : 0;
    TjxUndoCommandScope scope(m_hooks);
    for (TjxComponent* c : components)
        SetPixelBounds(c, c->spLeft() + dx, c->spTop() + dy, c->spWidth(), c->spHeight());
}

TjxComponent* TjxEditCommands::CreateComponent(const TClassInfo& cls, TjxBand* band, int mmLeft, int mmTop,
                                               int mmWidth, int mmHeight,
                                               const std::function<bool(TjxComponent*)>& prepare)
{
    TjxCustomReport* report = band ? band->Report() : nullptr;
    if (!report || !cls.createComponent)
        return nullptr;
    TComponent* owner = report->Owner() ? report->Owner() : report;
    TjxUndoCommandScope scope(m_hooks);
    TjxUndoManager* manager = Manager();
    TjxUndoableTask* task = manager->OpenTask();
    const int first = task ? task->Count() : 0;
    // A component refused or failed goes with all it made (a subreport's
    // report), and what placing it changed in others is put back: the
    // report is as before and nothing is recorded.
    const auto discard = [&](TjxComponent* component) {
        std::unique_ptr<TjxUndoableTask> partial = task ? task->TakeFrom(first) : nullptr;
        TjxUndoDisabledGuard off(manager);
        FreeComponentTrees(owner, {component});
        if (partial)
            partial->Undo(report);
    };
    TComponent* made = cls.createComponent(owner);
    auto* component = dynamic_cast<TjxComponent*>(made);
    if (!component) {
        delete made;
        return nullptr;
    }
    bool keep = true;
    try {
        // Recording stays on while it is placed: what placing it changes in
        // others (a subreport makes its band's height dynamic) must come back
        // too. Its own records find nothing while it does not exist and are
        // skipped.
        component->IncludeDesignState(dsCreatingFromPalette);
        component->SetName(report->GetValidName(component));
        component->SetBand(band);
        component->SetBounds(mmLeft, mmTop, mmHeight > 0 ? mmHeight : component->mmHeight(),
                             mmWidth > 0 ? mmWidth : component->mmWidth());
        if (prepare) {
            TjxUndoDisabledGuard off(manager);
            keep = prepare(component);
        }
    } catch (...) {
        discard(component);
        throw;
    }
    if (!keep) {
        discard(component);
        return nullptr;
    }
    component->ExcludeDesignState(dsCreatingFromPalette);
    if (manager->Enabled())
        manager->Commit(TjxUndoableClassFactory::Instance().Create(QStringLiteral("CreateComponent"), component));
    return component;
}

void TjxEditCommands::DeleteComponents(const std::vector<TjxComponent*>& components)
{
    Destroy(components, QStringLiteral("DestroyComponent"));
}

QByteArray TjxEditCommands::CopyComponents(const std::vector<TjxComponent*>& components,
                                           TjxPasteCascade* cascade) const
{
    QByteArray stream;
    TComponent* owner = Owner();
    TWriter writer(stream);
    writer.SetRoot(owner);
    writer.SetLookupRoot(owner);
    const std::vector<TjxComponent*> top = TopLevelComponents(components);
    for (TjxComponent* c : top)
        writer.WriteDescendent(c);
    writer.WriteListEnd();
    if (cascade && !top.empty()) {
        cascade->known = true;
        cascade->copy = QPoint(top.front()->spLeft(), top.front()->spTop());
        cascade->Reset();
    }
    return stream;
}

QByteArray TjxEditCommands::CutComponents(const std::vector<TjxComponent*>& components, TjxPasteCascade* cascade)
{
    QByteArray stream = CopyComponents(components, cascade);
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

void TjxEditCommands::CheckComponentStream(const QByteArray& stream) const { WrittenBands(stream); }

std::vector<std::pair<int, int>> TjxEditCommands::WrittenBands(const QByteArray& stream) const
{
    // Read aside into an owner of its own: nothing of the report is touched.
    TComponent scratch(nullptr);
    TReader reader(stream);
    reader.SetRoot(&scratch);
    reader.OnFindMethod = [](const QString&, TMethodCode& code, bool&) {
        if (!code)
            code = [](TComponent*, TjxEventParams&) {};
    };
    std::vector<TComponent*> read;
    reader.ReadComponents(&scratch, nullptr, [&read](TComponent* c) { read.push_back(c); });
    std::vector<std::pair<int, int>> bands;
    for (TComponent* object : read) {
        const auto* c = dynamic_cast<TjxComponent*>(object);
        if (!c)
            throw EDesignError(MessageText(msg::ClipboardNotComponent, {object->ClassName()}));
        // Without a band a component keeps the band kind it was written with.
        bands.emplace_back(c->BandType(), c->GroupNo());
    }
    return bands;
}

namespace {

// The band a pasted component belongs in: the one of its kind, else the first.
TjxBand* BandOfKind(const TjxCustomReport* report, const std::pair<int, int>& kind)
{
    if (TjxBand* band = report->FindBand(TjxBandType(kind.first), std::max(0, kind.second)))
        return band;
    return report->Bands().empty() ? nullptr : report->Bands().front();
}

// A caption that is the name's default: the user name written, or the
// name without its prefix.
bool IsDefaultCaption(const QString& caption, const QString& writtenName, const QString& writtenUserName)
{
    if (caption.isEmpty())
        return false;
    return caption == writtenUserName || caption == writtenName.mid(2);
}

} // namespace

void TjxEditCommands::PlaceInRegion(TjxComponent* component)
{
    TjxBand* band = component->Band();
    if (!band || dynamic_cast<TjxCustomRegion*>(component))
        return;
    const QPoint at(component->spLeft(), component->spTop());
    TjxComponent* region = nullptr;
    for (int i = band->ChildCount(); i-- > 0 && !region;) {
        auto* c = dynamic_cast<TjxComponent*>(band->Child(i));
        if (c && c != component && dynamic_cast<TjxCustomRegion*>(c) &&
            QRect(c->spLeft(), c->spTop(), c->spWidth(), c->spHeight()).contains(at))
            region = c;
    }
    if (region != component->Region())
        component->SetRegion(region);
}

std::vector<TjxComponent*> TjxEditCommands::PasteComponents(const QByteArray& stream, TjxBand* band,
                                                            TjxPasteCascade* cascade)
{
    TjxCustomReport* report = band && band->Report() ? band->Report() : Report();
    TComponent* owner = Owner();
    std::vector<TjxComponent*> pasted;
    if (!report || !owner || report->Bands().empty())
        return pasted;
    const std::vector<std::pair<int, int>> kinds = WrittenBands(stream);
    // Into the first one's band: moving a component to another band breaks its links.
    TjxBand* readInto = band ? band : kinds.empty() ? report->Bands().front() : BandOfKind(report, kinds.front());
    TjxUndoCommandScope scope(m_hooks);
    TjxUndoManager* manager = Manager();
    TjxUndoableTask* task = manager->OpenTask();
    const int first = task ? task->Count() : 0;
    const TjxReferenceSnapshot references(owner);
    std::vector<TComponent*> before;
    for (int i = 0; i < owner->ComponentCount(); ++i)
        before.push_back(owner->Components(i));
    // The names the stream gave, by the copy that carries them now.
    QHash<QString, QString> renamed;
    std::vector<std::pair<TjxComponent*, QString>> written;
    std::vector<TjxCommunicator*> pasting;
    const auto endPasting = [&pasting] {
        for (TjxCommunicator* c : pasting)
            c->ExcludeDesignState(dsPasting);
        pasting.clear();
    };
    try {
        // Recording stays on while they are read and placed, as for a new
        // component: what placing them changes in others must come back too.
        TReader reader(stream);
        reader.SetRoot(owner);
        reader.OnSetName = [&](TComponent* component, QString& name) {
            const QString old = name;
            TComponent* holder = owner->FindComponent(name);
            if (holder && holder != component)
                name = report->GetValidName(component);
            if (name != old)
                renamed.insert(old, name);
            if (auto* c = dynamic_cast<TjxCommunicator*>(component)) {
                c->IncludeDesignState(dsPasting);
                pasting.push_back(c);
            }
            if (auto* c = dynamic_cast<TjxComponent*>(component))
                written.emplace_back(c, old);
        };
        // References among the pasted go to the copies, never the originals.
        reader.OnReferenceName = [&renamed](QString& reference) {
            if (const auto it = renamed.constFind(reference); it != renamed.constEnd())
                reference = it.value();
        };
        reader.OnFindMethod = [](const QString&, TMethodCode& code, bool&) {
            if (!code)
                code = [](TComponent*, TjxEventParams&) {};
        };
        std::vector<TComponent*> read;
        // Read into a band, as Undo's re-creation reads them back, then moved to their own.
        reader.ReadComponents(owner, readInto, [&read](TComponent* c) { read.push_back(c); });
        for (TComponent* object : read)
            if (auto* c = dynamic_cast<TjxComponent*>(object))
                pasted.push_back(c);
        endPasting();

        const TjxDataPipelineList pipelines(report);
        const int workspaceWidth = ThousandthsToPixels(report->PrintableWidth(), kScreenPixelsPerInch) + 1;
        QPoint offset;
        for (size_t i = 0; i < pasted.size(); ++i) {
            TjxComponent* c = pasted[i];
            for (const auto& [component, name] : written)
                if (component == c && IsDefaultCaption(c->Caption(), name, c->UserName()))
                    c->SetCaption(c->UserName());
            if (!band && i < kinds.size())
                c->SetBand(BandOfKind(report, kinds[i]));
            if (!c->DataPipeline() && !c->DataPipelineName().isEmpty())
                if (TjxDataPipeline* pipeline = pipelines.FindByName(c->DataPipelineName()))
                    c->SetDataPipeline(pipeline);
            if (i == 0 && cascade && cascade->known && QPoint(c->spLeft(), c->spTop()) == cascade->copy)
                offset = cascade->next - cascade->copy + QPoint(8, 8);
            if (offset.isNull() && !cascade)
                continue;
            // Kept inside the workspace's width and the band's height.
            const int bandHeight = ThousandthsToPixels(c->Band()->mmHeight(), kScreenPixelsPerInch);
            int left = c->spLeft() + offset.x();
            left = std::max(0, std::min(left, workspaceWidth - c->spWidth()));
            int top = c->spTop() + offset.y();
            top = std::max(0, std::min(top, bandHeight - c->spHeight()));
            SetPixelBounds(c, left, top, c->spWidth(), c->spHeight());
            if (cascade)
                cascade->next += QPoint(8, 8);
        }
        for (TjxComponent* c : pasted)
            PlaceInRegion(c);
        // Read components join their band without a word: the workspace is told now.
        if (report->DesignState() & dsDesigning)
            for (TjxComponent* c : pasted) {
                std::vector<TjxComponent*> tree{c};
                if (auto* region = dynamic_cast<TjxCustomRegion*>(c))
                    tree.insert(tree.end(), region->Children().begin(), region->Children().end());
                for (TjxComponent* member : tree) {
                    TjxEventParams params{
                        {QStringLiteral("Component"), QVariant::fromValue(static_cast<void*>(member)), false}};
                    report->SendEventNotify(ciBandComponentAttachmentFirst, &params);
                }
            }
    } catch (...) {
        // Nothing of a failed paste stays: what it made goes, links it took come back.
        endPasting();
        TjxUndoDisabledGuard off(manager);
        std::vector<TComponent*> made;
        for (int i = 0; i < owner->ComponentCount(); ++i)
            if (std::find(before.begin(), before.end(), owner->Components(i)) == before.end())
                made.push_back(owner->Components(i));
        for (auto it = made.rbegin(); it != made.rend(); ++it)
            delete *it;
        references.Restore();
        throw;
    }
    if (manager->Enabled()) {
        // Links the pasted components took from others without a word:
        // recorded before the paste records, so Undo gives them back after
        // the pasted ones are gone.
        for (const auto& e : references.Changed()) {
            auto record = TjxUndoableClassFactory::Instance().Create(e.prop->name, e.holder);
            if (auto* reference = dynamic_cast<TjxSetReferencePropUndoable*>(record.get())) {
                reference->SetBefore(e.value ? e.value->Name() : QString());
                manager->CommitAt(first, std::move(record));
            }
        }
        for (TjxComponent* c : pasted)
            manager->Commit(TjxUndoableClassFactory::Instance().Create(QStringLiteral("PasteComponent"), c));
    }
    return pasted;
}

} // namespace orvane
