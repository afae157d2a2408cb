#include "designer/undo/undoable.h"

#include "components/component.h"
#include "components/memo.h"
#include "components/picture.h"
#include "document/custom_report.h"
#include "document/graphic_objects.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/report_settings.h"
#include "document/stream_reader.h"
#include "document/stream_writer.h"
#include "document/strings.h"
#include "engine/data_pipeline.h"
#include "engine/pipeline_list.h"
#include "engine/region.h"
#include "engine/stretchable.h"

#include <QSet>
#include <optional>

namespace orvane {

namespace {

// A length shown in report units and stored in thousandths: the undo records
// the stored value, as a units round trip rounds (to whole screen pixels, or
// to what a float holds).
struct TExactLength {
    std::function<int()> get;
    std::function<void(int)> set;
};

template <class C>
TExactLength Length(C* c, int (C::*get)() const, void (C::*set)(int))
{
    return {[c, get] { return (c->*get)(); }, [c, set](int v) { (c->*set)(v); }};
}

std::optional<TExactLength> ExactLength(TPersistent* object, QStringView name)
{
    auto is = [&](const char* n) { return name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0; };
    if (auto* band = dynamic_cast<TjxBand*>(object)) {
        if (is("Height")) return Length(band, &TjxBand::mmHeight, &TjxBand::SetmmHeight);
        if (is("BottomOffset")) return Length(band, &TjxBand::mmBottomOffset, &TjxBand::SetmmBottomOffset);
        if (is("PrintPosition")) return Length(band, &TjxBand::mmPrintPosition, &TjxBand::SetmmPrintPosition);
        return std::nullopt;
    }
    if (auto* group = dynamic_cast<TjxGroup*>(object)) {
        if (is("NewColumnThreshold"))
            return Length(group, &TjxGroup::mmNewColumnThreshold, &TjxGroup::SetmmNewColumnThreshold);
        if (is("NewPageThreshold"))
            return Length(group, &TjxGroup::mmNewPageThreshold, &TjxGroup::SetmmNewPageThreshold);
        return std::nullopt;
    }
    if (auto* report = dynamic_cast<TjxCustomReport*>(object)) {
        if (is("ColumnWidth"))
            return Length(report, &TjxCustomReport::mmColumnWidth, &TjxCustomReport::SetmmColumnWidth);
        return std::nullopt;
    }
    if (auto* p = dynamic_cast<TjxPrintable*>(object)) {
        if (is("Left")) return Length(p, &TjxPrintable::mmLeft, &TjxPrintable::SetmmLeft);
        if (is("Top")) return Length(p, &TjxPrintable::mmTop, &TjxPrintable::SetmmTop);
        if (is("Width")) return Length(p, &TjxPrintable::mmWidth, &TjxPrintable::SetmmWidth);
        if (is("Height")) return Length(p, &TjxPrintable::mmHeight, &TjxPrintable::SetmmHeight);
    }
    if (auto* s = dynamic_cast<TjxStretchable*>(object)) {
        if (is("BottomOffset")) return Length(s, &TjxStretchable::mmBottomOffset, &TjxStretchable::SetmmBottomOffset);
        if (is("OverFlowOffset"))
            return Length(s, &TjxStretchable::mmOverFlowOffset, &TjxStretchable::SetmmOverFlowOffset);
        if (is("StopPosition")) return Length(s, &TjxStretchable::mmStopPosition, &TjxStretchable::SetmmStopPosition);
    }
    if (auto* m = dynamic_cast<TjxCustomMemo*>(object))
        if (is("Leading")) return Length(m, &TjxCustomMemo::mmLeading, &TjxCustomMemo::SetmmLeading);
    return std::nullopt;
}

TjxPropValue ReadValue(const TPersistent& holder, const TPropInfo& prop)
{
    if (!prop.IsReadable())
        return {};
    switch (prop.Kind()) {
    case tkInteger: case tkChar: case tkEnumeration: case tkSet: case tkInt64:
        return prop.getOrdinal(holder);
    case tkFloat:
        return prop.getFloat(holder);
    case tkString: case tkWString:
        return prop.getString(holder);
    case tkMethod:
        return prop.getMethod(holder);
    case tkVariant:
        return prop.getVariant(holder);
    default:
        return {};
    }
}

void WriteValue(TPersistent& holder, const TPropInfo& prop, const TjxPropValue& value)
{
    if (!prop.IsWritable())
        return;
    if (auto* v = std::get_if<int64_t>(&value)) prop.setOrdinal(holder, *v);
    else if (auto* d = std::get_if<double>(&value)) prop.setFloat(holder, *d);
    else if (auto* s = std::get_if<QString>(&value)) prop.setString(holder, *s);
    else if (auto* m = std::get_if<TMethod>(&value)) prop.setMethod(holder, *m);
    else if (auto* x = std::get_if<TVarValue>(&value)) prop.setVariant(holder, *x);
}

bool SameValue(const TjxPropValue& a, const TjxPropValue& b)
{
    if (a.index() != b.index())
        return false;
    if (auto* v = std::get_if<int64_t>(&a)) return *v == std::get<int64_t>(b);
    if (auto* d = std::get_if<double>(&a)) return *d == std::get<double>(b);
    if (auto* t = std::get_if<QString>(&a)) return *t == std::get<QString>(b);
    return true;  // handlers and variants: what the setter took stands
}

// A reference as the stream sees it: some getters hide a link the designer
// does not show (a shift target in another band) but the template keeps.
struct TWritingGuard {
    explicit TWritingGuard(TComponent* c) : component(c), was(c->HasState(csWriting)) { component->SetWriting(true); }
    ~TWritingGuard() { component->SetWriting(was); }
    TWritingGuard(const TWritingGuard&) = delete;
    TWritingGuard& operator=(const TWritingGuard&) = delete;
    TComponent* component;
    bool was;
};


struct TReadingGuard {
    explicit TReadingGuard(TComponent* c) : component(c) { component->SetReading(true); }
    ~TReadingGuard() { component->SetReading(false); }
    TReadingGuard(const TReadingGuard&) = delete;
    TReadingGuard& operator=(const TReadingGuard&) = delete;
    TComponent* component;
};

// A new object of the class of `source`, assigned from it: none for classes
// that cannot be made without an owner.
std::unique_ptr<TPersistent> CopyOf(const TPersistent* source)
{
    if (!source)
        return nullptr;
    std::unique_ptr<TPersistent> copy;
    if (dynamic_cast<const TFont*>(source)) copy = std::make_unique<TFont>();
    else if (dynamic_cast<const TPen*>(source)) copy = std::make_unique<TPen>();
    else if (dynamic_cast<const TBrush*>(source)) copy = std::make_unique<TBrush>();
    else if (dynamic_cast<const TPicture*>(source)) copy = std::make_unique<TPicture>();
    else if (dynamic_cast<const TStrings*>(source)) copy = std::make_unique<TStrings>();
    else if (dynamic_cast<const TjxBorder*>(source)) copy = std::make_unique<TjxBorder>();
    else if (dynamic_cast<const TjxOutlineSettings*>(source)) copy = std::make_unique<TjxOutlineSettings>();
    else return nullptr;
    copy->Assign(source);
    return copy;
}

const TPropInfo* WritableProperty(const TPersistent* holder, QStringView name)
{
    if (!holder)
        return nullptr;
    const TPropInfo* prop = holder->ClassInfo().FindProperty(name);
    return prop && prop->IsReadable() && prop->IsWritable() ? prop : nullptr;
}

TPersistent* ObjectProperty(TPersistent* holder, QStringView name)
{
    const TPropInfo* prop = holder ? holder->ClassInfo().FindProperty(name) : nullptr;
    if (!prop || prop->Kind() != tkClass || !prop->getObject)
        return nullptr;
    return prop->getObject(*holder);
}

TjxCustomReport* ReportOf(TComponent* object)
{
    if (auto* report = dynamic_cast<TjxCustomReport*>(object))
        return report;
    if (auto* band = dynamic_cast<TjxBand*>(object))
        return band->Report();
    if (auto* group = dynamic_cast<TjxGroup*>(object))
        return group->Report();
    if (auto* component = dynamic_cast<TjxComponent*>(object))
        return component->Band() ? component->Band()->Report() : nullptr;
    return nullptr;
}

// Design state bits for the scope.
class TDesignStateGuard {
public:
    TDesignStateGuard(TComponent* object, uint16_t bits) : m_object(dynamic_cast<TjxCommunicator*>(object)), m_bits(bits)
    {
        if (m_object)
            m_object->IncludeDesignState(bits);
    }
    ~TDesignStateGuard()
    {
        if (m_object)
            m_object->ExcludeDesignState(m_bits);
    }
    TDesignStateGuard(const TDesignStateGuard&) = delete;
    TDesignStateGuard& operator=(const TDesignStateGuard&) = delete;

private:
    TjxCommunicator* m_object;
    uint16_t m_bits;
};

// The next object up: a component's region, else the tree parent.
TjxRelative* Up(TjxRelative* object)
{
    if (auto* c = dynamic_cast<TjxComponent*>(object))
        if (c->Region())
            return c->Region();
    return object->Parent();
}

int Depth(TjxRelative* object)
{
    int depth = 0;
    for (TjxRelative* p = Up(object); p; p = Up(p))
        ++depth;
    return depth;
}

} // namespace

std::vector<TComponent*> ComponentTrees(TComponent* owner, const std::vector<TComponent*>& tops)
{
    QSet<TComponent*> set(tops.begin(), tops.end());
    std::vector<TComponent*> result(tops.begin(), tops.end());
    for (int i = 0; owner && i < owner->ComponentCount(); ++i) {
        auto* r = dynamic_cast<TjxRelative*>(owner->Components(i));
        if (!r || set.contains(r))
            continue;
        for (TjxRelative* p = Up(r); p; p = Up(p))
            if (set.contains(p)) {
                result.push_back(r);
                break;
            }
    }
    return result;
}

void FreeComponentTrees(TComponent* owner, const std::vector<TComponent*>& tops)
{
    const std::vector<TComponent*> all = ComponentTrees(owner, tops);
    QSet<TComponent*> going(all.begin(), all.end());
    for (TComponent* top : tops) {
        going.remove(top);
        delete top;
    }
    // Only pointers still among the owner's components are touched.
    for (;;) {
        TjxRelative* deepest = nullptr;
        int depth = -1;
        for (int i = 0; owner && i < owner->ComponentCount(); ++i) {
            TComponent* c = owner->Components(i);
            auto* r = going.contains(c) ? dynamic_cast<TjxRelative*>(c) : nullptr;
            if (r && Depth(r) > depth) {
                deepest = r;
                depth = Depth(r);
            }
        }
        if (!deepest)
            break;
        going.remove(deepest);
        delete deepest;
    }
}

TComponent* ReferenceOf(TComponent* object, const TPropInfo& prop)
{
    if (!prop.getObject)
        return nullptr;
    TWritingGuard writing(object);
    return dynamic_cast<TComponent*>(prop.getObject(*object));
}

bool IsReferenceProperty(const TPersistent& object, const TPropInfo& prop)
{
    if (prop.Kind() != tkClass || !prop.objectClass || !prop.objectClass->InheritsFrom(TComponent::StaticClass()))
        return false;
    const TComponent* value = nullptr;
    if (auto* component = dynamic_cast<TComponent*>(const_cast<TPersistent*>(&object)))
        value = ReferenceOf(component, prop);
    else if (prop.getObject)
        value = dynamic_cast<const TComponent*>(prop.getObject(object));
    return !(value && (value->Owner() == &object || value->IsSubComponent()));
}

TjxReferenceSnapshot::TjxReferenceSnapshot(TComponent* owner)
{
    for (int i = 0; owner && i < owner->ComponentCount(); ++i) {
        TComponent* holder = owner->Components(i);
        for (const TPropInfo& prop : holder->ClassInfo().properties)
            if (prop.IsWritable() && IsReferenceProperty(*holder, prop))
                m_entries.push_back({holder, &prop, ReferenceOf(holder, prop)});
    }
}

std::vector<TjxReferenceSnapshot::TEntry> TjxReferenceSnapshot::Changed() const
{
    std::vector<TEntry> changed;
    for (const TEntry& e : m_entries)
        if (ReferenceOf(e.holder, *e.prop) != e.value)
            changed.push_back(e);
    return changed;
}

void TjxReferenceSnapshot::Restore() const
{
    for (const TEntry& e : Changed()) {
        TReadingGuard reading(e.holder);
        e.prop->setObject(*e.holder, e.value);
    }
}

// ---- TjxUndoable ----

TjxUndoable::~TjxUndoable() = default;

void TjxUndoable::Capture(TComponent* object) { m_componentName = object ? object->Name() : QString(); }

void TjxUndoable::AddSubItem(std::unique_ptr<TjxUndoable> item)
{
    if (!m_subItems)
        m_subItems = std::make_unique<std::vector<std::unique_ptr<TjxUndoable>>>();
    m_subItems->push_back(std::move(item));
}

TComponent* TjxUndoable::LookupOwner(TjxCustomReport* context)
{
    if (!context)
        return nullptr;
    return context->Owner() ? context->Owner() : context;
}

TComponent* TjxUndoable::FindByName(const QString& name, TjxCustomReport* context)
{
    if (name.isEmpty())
        return nullptr;
    TComponent* owner = LookupOwner(context);
    if (!owner)
        return nullptr;
    if (owner->Name().compare(name, Qt::CaseInsensitive) == 0 && owner == context)
        return owner;
    return owner->FindComponent(name);
}

void TjxUndoable::Seal(TjxCustomReport* context)
{
    if (m_sealed)
        return;
    if (TComponent* object = FindByName(m_componentName, context)) {
        CaptureAfter(object);
        m_sealed = true;
    }
}

void TjxUndoable::StoreBefore(TjxCustomReport* context)
{
    TComponent* object = FindByName(m_componentName, context);
    if (!object)
        return;
    if (!m_sealed) {
        CaptureAfter(object);
        m_sealed = true;
    }
    m_undone = true;
    if (HoldsTarget(object))
        return;
    if (object->HasState(csReading)) {
        ApplyTarget(object, context);
    } else {
        TReadingGuard reading(object);
        ApplyTarget(object, context);
    }
}

bool TjxUndoable::Retry(TjxCustomReport* context)
{
    if (!m_sealed)
        return false;
    TComponent* object = FindByName(m_componentName, context);
    if (!object || HoldsTarget(object))
        return false;
    // Stored as a load stores it: the designer setter would move the others
    // along again (renumbering calculation orders, dragging a region's children).
    if (object->HasState(csReading)) {
        ApplyTarget(object, context);
    } else {
        TReadingGuard reading(object);
        ApplyTarget(object, context);
    }
    return true;
}

bool TjxUndoable::Toggle(TComponent* object)
{
    // Not sealed yet: the object was missing when the task began its Undo
    // (freed by a later record of the task), and is back as it was then.
    if (!m_sealed) {
        CaptureAfter(object);
        m_sealed = true;
    }
    m_undone = !m_undone;
    return m_undone;
}

void TjxUndoable::Undo(TjxCustomReport* context)
{
    TComponent* object = FindByName(m_componentName, context);
    if (!object)
        return;
    if (m_subItems)
        for (auto& item : *m_subItems)
            item->Undo(context);
    Exchange(object, context);
}

void TjxUndoable::Redo(TjxCustomReport* context)
{
    if (TComponent* object = FindByName(m_componentName, context))
        Exchange(object, context);
}

// ---- property records ----

TPersistent* TjxSetPropUndoable::Holder(TComponent* object) const { return object; }

void TjxSetPropUndoable::Capture(TComponent* object)
{
    TjxUndoable::Capture(object);
    m_before = Read(object);
}

TjxPropValue TjxSetPropUndoable::Read(TComponent* object) const
{
    TPersistent* holder = Holder(object);
    if (!holder)
        return {};
    if (auto exact = ExactLength(holder, PropertyName()))
        return int64_t(exact->get());
    if (const TPropInfo* prop = WritableProperty(holder, PropertyName()))
        return ReadValue(*holder, *prop);
    return {};
}

bool TjxSetPropUndoable::Apply(TComponent* object, const TjxPropValue& value)
{
    TPersistent* holder = Holder(object);
    if (!holder || std::holds_alternative<std::monostate>(value))
        return true;
    if (auto exact = ExactLength(holder, PropertyName())) {
        exact->set(int(std::get<int64_t>(value)));
        return exact->get() == std::get<int64_t>(value);
    }
    const TPropInfo* prop = WritableProperty(holder, PropertyName());
    if (!prop)
        return true;
    WriteValue(*holder, *prop, value);
    if (SameValue(ReadValue(*holder, *prop), value))
        return true;
    if (!object->HasState(csReading)) {
        // A value the object held that its designer setter refuses (an
        // unset save order of -1): stored as a load stores it.
        TReadingGuard reading(object);
        WriteValue(*holder, *prop, value);
    }
    return SameValue(ReadValue(*holder, *prop), value);
}

bool TjxSetPropUndoable::HoldsTarget(TComponent* object) const
{
    return SameValue(Read(object), m_undone ? m_before : m_after);
}

void TjxSetEmbeddedPropUndoable::Capture(TComponent* object)
{
    const qsizetype dot = m_operation.indexOf(QLatin1Char('.'));
    m_objectProperty = m_operation.left(dot);
    m_subProperty = m_operation.mid(dot + 1);
    if (m_operation.compare(QLatin1String("Border.Color"), Qt::CaseInsensitive) == 0)
        m_subProperty = QStringLiteral("Color");
    TjxSetPropUndoable::Capture(object);
}

TPersistent* TjxSetEmbeddedPropUndoable::Holder(TComponent* object) const
{
    return ObjectProperty(object, m_objectProperty);
}

TjxSetPersistentPropUndoable::~TjxSetPersistentPropUndoable() = default;

void TjxSetPersistentPropUndoable::Capture(TComponent* object)
{
    TjxUndoable::Capture(object);
    m_before = CopyOf(ObjectProperty(object, PropertyName()));
}

void TjxSetPersistentPropUndoable::CaptureAfter(TComponent* object)
{
    m_after = CopyOf(ObjectProperty(object, PropertyName()));
}

void TjxSetPersistentPropUndoable::Exchange(TComponent* object, TjxCustomReport*)
{
    const TPropInfo* prop = object->ClassInfo().FindProperty(PropertyName());
    const bool toBefore = Toggle(object);
    const TPersistent* value = toBefore ? m_before.get() : m_after.get();
    if (value && prop && prop->setObject)
        prop->setObject(*object, const_cast<TPersistent*>(value));
}

void TjxSetReferencePropUndoable::Capture(TComponent* object)
{
    TjxUndoable::Capture(object);
    m_before = Read(object);
}

QString TjxSetReferencePropUndoable::Read(TComponent* object) const
{
    const TPropInfo* prop = object->ClassInfo().FindProperty(PropertyName());
    TComponent* target = prop ? ReferenceOf(object, *prop) : nullptr;
    return target ? target->Name() : QString();
}

TComponent* TjxSetReferencePropUndoable::Find(const QString& name, TComponent*, TjxCustomReport* context) const
{
    return FindByName(name, context);
}

void TjxSetReferencePropUndoable::ApplyTarget(TComponent* object, TjxCustomReport* context)
{
    const TPropInfo* prop = object->ClassInfo().FindProperty(PropertyName());
    if (!prop || !prop->setObject)
        return;
    TComponent* target = Find(m_undone ? m_before : m_after, object, context);
    prop->setObject(*object, target);
    if (ReferenceOf(object, *prop) != target && !object->HasState(csReading)) {
        // A link the object held that its designer setter refuses now (a
        // drill-down of a section): stored as a load stores it.
        TReadingGuard reading(object);
        prop->setObject(*object, target);
    }
}

TComponent* TjxSetDataPipelineUndoable::Find(const QString& name, TComponent* object, TjxCustomReport* context) const
{
    if (name.isEmpty())
        return nullptr;
    TjxCustomReport* report = ReportOf(object);
    TjxDataPipelineList list(report ? report : context);
    if (TjxDataPipeline* pipeline = list.FindByName(name))
        return pipeline;
    return FindByName(name, context);
}

QString TjxSetBandUndoable::PlaceName(TComponent* object) const
{
    auto* c = dynamic_cast<TjxComponent*>(object);
    return c && c->Band() ? c->Band()->Name() : QString();
}

void TjxSetBandUndoable::ApplyTarget(TComponent* object, TjxCustomReport* context)
{
    auto* c = dynamic_cast<TjxComponent*>(object);
    // A band that is gone leaves the component where it is, never without one.
    if (auto* band = dynamic_cast<TjxBand*>(FindByName(TargetName(), context)); c && band)
        c->SetBand(band);
}

QString TjxSetRegionUndoable::PlaceName(TComponent* object) const
{
    auto* c = dynamic_cast<TjxComponent*>(object);
    return c && c->Region() ? c->Region()->Name() : QString();
}

void TjxSetRegionUndoable::ApplyTarget(TComponent* object, TjxCustomReport* context)
{
    if (auto* c = dynamic_cast<TjxComponent*>(object))
        c->SetRegion(dynamic_cast<TjxComponent*>(FindByName(TargetName(), context)));
}

// ---- bounds and drawing order ----

TjxSetBoundsUnDoable::TBounds TjxSetBoundsUnDoable::Read(TComponent* object)
{
    auto* p = dynamic_cast<TjxPrintable*>(object);
    return p ? TBounds{p->mmLeft(), p->mmTop(), p->mmWidth(), p->mmHeight()} : TBounds{};
}

bool TjxSetBoundsUnDoable::HoldsTarget(TComponent* object) const
{
    const TBounds now = Read(object);
    const TBounds& b = m_undone ? m_before : m_after;
    return now.left == b.left && now.top == b.top && now.width == b.width && now.height == b.height;
}

void TjxSetBoundsUnDoable::ApplyTarget(TComponent* object, TjxCustomReport*)
{
    const TBounds& b = m_undone ? m_before : m_after;
    if (auto* p = dynamic_cast<TjxPrintable*>(object))
        p->SetBounds(b.left, b.top, b.height, b.width);
}

QString TjxMoveUnDoable::Description() const { return GetMessage(msg::UndoMoveObject); }
QString TjxResizeUnDoable::Description() const { return GetMessage(msg::UndoResizeObject); }

QStringList TjxZOrderUnDoable::Read(TComponent* object)
{
    QStringList names;
    auto* c = dynamic_cast<TjxComponent*>(object);
    if (TjxBand* band = c ? c->Band() : nullptr)
        for (int i = 0; i < band->ChildCount(); ++i)
            names << band->Child(i)->Name();
    return names;
}

void TjxZOrderUnDoable::ApplyTarget(TComponent* object, TjxCustomReport*)
{
    const QStringList& order = m_undone ? m_before : m_after;
    auto* c = dynamic_cast<TjxComponent*>(object);
    TjxBand* band = c ? c->Band() : nullptr;
    if (!band)
        return;
    int place = 0;
    for (const QString& name : order) {
        for (int i = place; i < band->ChildCount(); ++i)
            if (band->Child(i)->Name() == name) {
                band->MoveComponent(i, place++);
                break;
            }
    }
}

// ---- sub-object ordinals ----

const TPropInfo* TjxSetSubOrdinalUndoable::Resolve(TComponent* object, TPersistent*& holder) const
{
    holder = ObjectProperty(object, m_objectProperty);
    const TPropInfo* prop = WritableProperty(holder, m_subProperty);
    return prop && prop->getOrdinal && prop->setOrdinal ? prop : nullptr;
}

void TjxSetSubOrdinalUndoable::Capture(TComponent* object)
{
    TjxUndoable::Capture(object);
    TPersistent* holder = nullptr;
    if (const TPropInfo* prop = Resolve(object, holder)) {
        m_before = prop->getOrdinal(*holder);
        m_captured = true;
    }
}

void TjxSetSubOrdinalUndoable::CaptureAfter(TComponent* object)
{
    TPersistent* holder = nullptr;
    if (const TPropInfo* prop = Resolve(object, holder))
        m_after = prop->getOrdinal(*holder);
}

bool TjxSetSubOrdinalUndoable::HoldsTarget(TComponent* object) const
{
    TPersistent* holder = nullptr;
    const TPropInfo* prop = m_captured ? Resolve(object, holder) : nullptr;
    return !prop || prop->getOrdinal(*holder) == (m_undone ? m_before : m_after);
}

void TjxSetSubOrdinalUndoable::ApplyTarget(TComponent* object, TjxCustomReport*)
{
    TPersistent* holder = nullptr;
    if (const TPropInfo* prop = m_captured ? Resolve(object, holder) : nullptr)
        prop->setOrdinal(*holder, m_undone ? m_before : m_after);
}

// ---- instances ----

void TjxComponentInstanceUndoable::Capture(TComponent* object)
{
    TjxUndoable::Capture(object);
    if (auto* c = dynamic_cast<TjxComponent*>(object)) {
        if (TjxBand* band = c->Band()) {
            m_bandName = band->Name();
            m_places.clear();
            for (TComponent* member : ComponentTrees(c->Owner(), {c}))
                if (auto* m = dynamic_cast<TjxComponent*>(member); m && m->Band() == band)
                    m_places.emplace_back(m->Name(), band->IndexOfChild(m));
            std::sort(m_places.begin(), m_places.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
            if (band->Report())
                m_reportName = band->Report()->Name();
        }
        if (c->Region())
            m_regionName = c->Region()->Name();
    } else if (auto* band = dynamic_cast<TjxBand*>(object)) {
        if (band->Report())
            m_reportName = band->Report()->Name();
    } else if (auto* group = dynamic_cast<TjxGroup*>(object)) {
        if (group->Report()) {
            m_reportName = group->Report()->Name();
            m_bandIndex = group->Index();
        }
    }
}

void TjxComponentDestroyUndoable::Capture(TComponent* object)
{
    TjxComponentInstanceUndoable::Capture(object);
    TComponent* root = object->Owner() ? object->Owner() : object;
    TDesignStateGuard restoring(object, dsRestoring);
    m_stream.clear();
    TWriter writer(m_stream);
    writer.SetRoot(root);
    writer.SetLookupRoot(root);
    writer.WriteDescendent(object);
    writer.WriteListEnd();
}

void TjxComponentInstanceUndoable::Exchange(TComponent* object, TjxCustomReport* context)
{
    if (object)
        WriteAndFree(object);
    else
        ReadBack(context);
}

void TjxComponentInstanceUndoable::Undo(TjxCustomReport* context)
{
    Exchange(FindByName(m_componentName, context), context);
}

void TjxComponentInstanceUndoable::WriteAndFree(TComponent* object)
{
    // Where it sits now is where Redo puts it back.
    TjxComponentInstanceUndoable::Capture(object);
    TComponent* root = object->Owner() ? object->Owner() : object;
    QByteArray stream;
    {
        TDesignStateGuard restoring(object, dsRestoring);
        TWriter writer(stream);
        writer.SetRoot(root);
        writer.SetLookupRoot(root);
        writer.WriteDescendent(object);
        writer.WriteListEnd();
    }
    m_stream = std::move(stream);
    FreeComponentTrees(object->Owner(), {object});
}

void TjxComponentInstanceUndoable::ReadBack(TjxCustomReport* context)
{
    TComponent* owner = LookupOwner(context);
    if (m_stream.isEmpty() || !owner)
        return;
    TjxComponentStreamRead reading(m_stream, owner);
    auto* report = dynamic_cast<TjxCustomReport*>(FindByName(m_reportName, context));
    if (!report)
        report = context;
    // Read straight into its place when that still exists, as a template
    // load does: placing it afterwards would let the class adjust it to
    // its new parent (a page break spans its band).
    TComponent* parent = nullptr;
    if (!m_regionName.isEmpty())
        parent = FindByName(m_regionName, context);
    if (!parent && !m_bandName.isEmpty())
        parent = FindByName(m_bandName, context);
    if (!parent && m_bandName.isEmpty())
        parent = report;
    const TjxReferenceSnapshot references(owner);
    for (TComponent* object : reading.ReadInto(parent)) {
        if (auto* c = dynamic_cast<TjxComponent*>(object)) {
            // Its band by name, else the band of its kind, else the first
            // band: never a component without a band.
            auto* band = dynamic_cast<TjxBand*>(FindByName(m_bandName, context));
            if (!band && report)
                band = report->FindBand(TjxBandType(c->BandType()), std::max(0, c->GroupNo()));
            if (!band && report && report->BandCount() > 0)
                band = report->Band(0);
            if (!band) {
                reading.Discard(c);
                continue;
            }
            if (c->Band() != band)
                c->SetBand(band);
            for (const auto& [name, index] : m_places)
                if (auto* m = dynamic_cast<TjxComponent*>(FindByName(name, context)); m && m->Band() == band)
                    band->MoveComponent(band->IndexOfChild(m), index);
            if (!m_regionName.isEmpty())
                if (auto* region = dynamic_cast<TjxComponent*>(FindByName(m_regionName, context)); region && c->Region() != region)
                    c->SetRegion(region);
            // A pipeline outside the owner is found by name in the report's list.
            if (auto* p = dynamic_cast<TjxPrintable*>(c); p && !p->DataPipeline() && !p->DataPipelineName().isEmpty())
                if (TjxDataPipeline* pipeline = TjxDataPipelineList(band->Report()).FindByName(p->DataPipelineName()))
                    p->SetDataPipeline(pipeline);
        } else if (auto* band = dynamic_cast<TjxBand*>(object)) {
            if (report)
                band->SetReport(report);
            band->NotifyDesigner(dnBandCreated, kDesignerNotifyCode, band);
        } else if (auto* group = dynamic_cast<TjxGroup*>(object)) {
            if (report) {
                group->SetReport(report);
                if (m_bandIndex >= 0)
                    report->MoveGroup(group, m_bandIndex);
            }
            for (TjxBand* band : {static_cast<TjxBand*>(group->HeaderBand()), static_cast<TjxBand*>(group->FooterBand())})
                if (band)
                    band->NotifyDesigner(dnBandCreated, kDesignerNotifyCode, band);
        }
    }
    references.Restore();
}

TjxComponentStreamRead::TjxComponentStreamRead(const QByteArray& stream, TComponent* owner,
                                               std::function<void(TComponent*, QString&)> rename)
    : m_stream(stream), m_owner(owner), m_rename(std::move(rename))
{
}

TjxComponentStreamRead::~TjxComponentStreamRead()
{
    for (TjxCommunicator* c : m_named)
        c->ExcludeDesignState(dsPasting);
}

std::vector<TComponent*> TjxComponentStreamRead::ReadInto(TComponent* parent)
{
    std::vector<TComponent*> read;
    TReader reader(m_stream);
    reader.SetRoot(m_owner);
    reader.OnSetName = [this](TComponent* component, QString& name) {
        if (m_rename)
            m_rename(component, name);
        if (auto* c = dynamic_cast<TjxCommunicator*>(component)) {
            c->IncludeDesignState(dsPasting);
            m_named.push_back(c);
        }
    };
    reader.OnFindMethod = [](const QString&, TMethodCode& code, bool&) {
        if (!code)
            code = [](TComponent*, TjxEventParams&) {};
    };
    reader.ReadComponents(m_owner, parent, [&read](TComponent* c) { read.push_back(c); });
    return read;
}

void TjxComponentStreamRead::Discard(TComponent* object)
{
    std::erase(m_named, dynamic_cast<TjxCommunicator*>(object));
    delete object;
}

// ---- factory ----

TjxUndoableClassFactory& TjxUndoableClassFactory::Instance()
{
    static TjxUndoableClassFactory factory;
    return factory;
}

template <class T>
static TjxUndoableClassFactory::Creator Make()
{
    return [] { return std::unique_ptr<TjxUndoable>(new T()); };
}

TjxUndoableClassFactory::TjxUndoableClassFactory()
{
    Register(QStringLiteral("SetProp"), Make<TjxSetPropUndoable>());
    Register(QStringLiteral("SetPersistentProp"), Make<TjxSetPersistentPropUndoable>());
    Register(QStringLiteral("SetEmbeddedProp"), Make<TjxSetEmbeddedPropUndoable>());
    Register(QStringLiteral("MoveBounds"), Make<TjxMoveUnDoable>());
    Register(QStringLiteral("ResizeBounds"), Make<TjxResizeUnDoable>());
    Register(QStringLiteral("CreateComponent"), Make<TjxComponentInstanceUndoable>());
    Register(QStringLiteral("DestroyComponent"), Make<TjxComponentDestroyUndoable>());
    Register(QStringLiteral("PasteComponent"), Make<TjxComponentInstanceUndoable>());
    Register(QStringLiteral("CutComponent"), Make<TjxComponentDestroyUndoable>());
    Register(QStringLiteral("DataPipeline"), Make<TjxSetDataPipelineUndoable>());
    Register(QStringLiteral("Band"), Make<TjxSetBandUndoable>());
    Register(QStringLiteral("Region"), Make<TjxSetRegionUndoable>());
    Register(QStringLiteral("CreateBand"), Make<TjxComponentInstanceUndoable>());
    Register(QStringLiteral("DestroyBand"), Make<TjxComponentDestroyUndoable>());
    Register(QStringLiteral("CreateGroup"), Make<TjxComponentInstanceUndoable>());
    Register(QStringLiteral("DestroyGroup"), Make<TjxComponentDestroyUndoable>());
    Register(QStringLiteral("Font"), Make<TjxSetFontUndoable>());
    Register(QStringLiteral("Font.Size"), Make<TjxSetFontSizeUndoable>());
    Register(QStringLiteral("Font.Style"), Make<TjxSetFontStyleUndoable>());
    Register(QStringLiteral("Font.Color"), Make<TjxSetFontColorUndoable>());
    Register(QStringLiteral("Pen.Style"), Make<TjxSetPenStyleUndoable>());
    Register(QStringLiteral("Pen.Color"), Make<TjxSetPenColorUndoable>());
    Register(QStringLiteral("Brush.Style"), Make<TjxSetBrushStyleUndoable>());
    Register(QStringLiteral("Brush.Color"), Make<TjxSetBrushColorUndoable>());
    Register(QStringLiteral("Anchors"), Make<TjxSetAnchorsUndoable>());
    Register(QStringLiteral("Border.Positions"), Make<TjxSetBorderPositionsUndoable>());
    Register(QStringLiteral("Border.Color"), Make<TjxSetEmbeddedPropUndoable>());
    Register(QStringLiteral("BringToFront"), Make<TjxZOrderUnDoable>());
    Register(QStringLiteral("SendToBack"), Make<TjxZOrderUnDoable>());
}

void TjxUndoableClassFactory::Register(const QString& operation, Creator creator)
{
    const QString key = operation.toLower();
    for (auto& entry : m_entries)
        if (entry.first == key) {
            entry.second = std::move(creator);
            return;
        }
    m_entries.emplace_back(key, std::move(creator));
}

bool TjxUndoableClassFactory::IsRegistered(const QString& operation) const
{
    const QString key = operation.toLower();
    return std::any_of(m_entries.begin(), m_entries.end(), [&](const auto& e) { return e.first == key; });
}

std::unique_ptr<TjxUndoable> TjxUndoableClassFactory::Create(const QString& operation, TComponent* object) const
{
    if (!object || object->Name().isEmpty())
        return nullptr;
    std::unique_ptr<TjxUndoable> undoable;
    const QString key = operation.toLower();
    for (const auto& entry : m_entries)
        if (entry.first == key) {
            undoable = entry.second();
            break;
        }
    if (!undoable) {
        if (const TPropInfo* prop = object->ClassInfo().FindProperty(operation)) {
            if (!prop->IsWritable())
                return nullptr;
            if (prop->Kind() == tkClass)
                undoable = IsReferenceProperty(*object, *prop) ? std::unique_ptr<TjxUndoable>(new TjxSetReferencePropUndoable())
                                                               : std::unique_ptr<TjxUndoable>(new TjxSetPersistentPropUndoable());
            else
                undoable = std::make_unique<TjxSetPropUndoable>();
        } else if (const qsizetype dot = operation.indexOf(QLatin1Char('.')); dot > 0) {
            TPersistent* sub = ObjectProperty(object, QStringView(operation).left(dot));
            if (sub && WritableProperty(sub, QStringView(operation).mid(dot + 1)))
                undoable = std::make_unique<TjxSetEmbeddedPropUndoable>();
        }
    }
    if (!undoable)
        return nullptr;
    undoable->SetOperation(operation);
    undoable->Capture(object);
    return undoable->Captured() ? std::move(undoable) : nullptr;
}

} // namespace orvane
