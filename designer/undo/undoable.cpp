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

} // namespace

bool IsReferenceProperty(const TPersistent& object, const TPropInfo& prop)
{
    if (prop.Kind() != tkClass || !prop.objectClass || !prop.objectClass->InheritsFrom(TComponent::StaticClass()))
        return false;
    const auto* value = prop.getObject ? dynamic_cast<const TComponent*>(prop.getObject(object)) : nullptr;
    return !(value && (value->Owner() == &object || value->IsSubComponent()));
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
    TPersistent* holder = Holder(object);
    if (!holder)
        return;
    if (auto exact = ExactLength(holder, PropertyName())) {
        m_value = int64_t(exact->get());
        return;
    }
    if (const TPropInfo* prop = WritableProperty(holder, PropertyName()))
        m_value = ReadValue(*holder, *prop);
}

void TjxSetPropUndoable::Exchange(TComponent* object, TjxCustomReport*)
{
    TPersistent* holder = Holder(object);
    if (!holder || std::holds_alternative<std::monostate>(m_value))
        return;
    if (auto exact = ExactLength(holder, PropertyName())) {
        const int current = exact->get();
        exact->set(int(std::get<int64_t>(m_value)));
        m_value = int64_t(current);
        return;
    }
    const TPropInfo* prop = WritableProperty(holder, PropertyName());
    if (!prop)
        return;
    TjxPropValue current = ReadValue(*holder, *prop);
    WriteValue(*holder, *prop, m_value);
    m_value = std::move(current);
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
    m_copy = CopyOf(ObjectProperty(object, PropertyName()));
}

void TjxSetPersistentPropUndoable::Exchange(TComponent* object, TjxCustomReport*)
{
    const TPropInfo* prop = object ? object->ClassInfo().FindProperty(PropertyName()) : nullptr;
    if (!m_copy || !prop || !prop->getObject || !prop->setObject)
        return;
    std::unique_ptr<TPersistent> current = CopyOf(prop->getObject(*object));
    prop->setObject(*object, m_copy.get());
    if (current)
        m_copy = std::move(current);
}

void TjxSetReferencePropUndoable::Capture(TComponent* object)
{
    TjxUndoable::Capture(object);
    const TPropInfo* prop = object ? object->ClassInfo().FindProperty(PropertyName()) : nullptr;
    if (prop && prop->getObject)
        if (auto* target = dynamic_cast<TComponent*>(prop->getObject(*object)))
            m_referenceName = target->Name();
}

TComponent* TjxSetReferencePropUndoable::Find(const QString& name, TComponent*, TjxCustomReport* context) const
{
    return FindByName(name, context);
}

void TjxSetReferencePropUndoable::Exchange(TComponent* object, TjxCustomReport* context)
{
    const TPropInfo* prop = object->ClassInfo().FindProperty(PropertyName());
    if (!prop || !prop->getObject || !prop->setObject)
        return;
    auto* current = dynamic_cast<TComponent*>(prop->getObject(*object));
    const QString currentName = current ? current->Name() : QString();
    prop->setObject(*object, Find(m_referenceName, object, context));
    m_referenceName = currentName;
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

void TjxSetBandUndoable::Capture(TComponent* object)
{
    TjxUndoable::Capture(object);
    if (auto* c = dynamic_cast<TjxComponent*>(object))
        if (c->Band())
            m_bandName = c->Band()->Name();
}

void TjxSetBandUndoable::Exchange(TComponent* object, TjxCustomReport* context)
{
    auto* c = dynamic_cast<TjxComponent*>(object);
    auto* band = dynamic_cast<TjxBand*>(FindByName(m_bandName, context));
    if (!c || !band)
        return;
    const QString current = c->Band() ? c->Band()->Name() : QString();
    c->SetBand(band);
    m_bandName = current;
}

void TjxSetRegionUndoable::Capture(TComponent* object)
{
    TjxUndoable::Capture(object);
    if (auto* c = dynamic_cast<TjxComponent*>(object))
        if (c->Region())
            m_regionName = c->Region()->Name();
}

void TjxSetRegionUndoable::Exchange(TComponent* object, TjxCustomReport* context)
{
    auto* c = dynamic_cast<TjxComponent*>(object);
    if (!c)
        return;
    const QString current = c->Region() ? c->Region()->Name() : QString();
    c->SetRegion(dynamic_cast<TjxComponent*>(FindByName(m_regionName, context)));
    m_regionName = current;
}

// ---- bounds and drawing order ----

void TjxSetBoundsUnDoable::Capture(TComponent* object)
{
    TjxUndoable::Capture(object);
    if (auto* p = dynamic_cast<TjxPrintable*>(object)) {
        m_left = p->mmLeft();
        m_top = p->mmTop();
        m_width = p->mmWidth();
        m_height = p->mmHeight();
    }
}

void TjxSetBoundsUnDoable::Exchange(TComponent* object, TjxCustomReport*)
{
    auto* p = dynamic_cast<TjxPrintable*>(object);
    if (!p)
        return;
    const int left = p->mmLeft(), top = p->mmTop(), width = p->mmWidth(), height = p->mmHeight();
    p->SetBounds(m_left, m_top, m_height, m_width);
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
}

QString TjxMoveUnDoable::Description() const { return GetMessage(msg::UndoMoveObject); }
QString TjxResizeUnDoable::Description() const { return GetMessage(msg::UndoResizeObject); }

void TjxZOrderUnDoable::Capture(TComponent* object)
{
    TjxUndoable::Capture(object);
    if (auto* c = dynamic_cast<TjxComponent*>(object))
        if (c->Band())
            m_index = c->Band()->IndexOfChild(c);
}

void TjxZOrderUnDoable::Exchange(TComponent* object, TjxCustomReport*)
{
    auto* c = dynamic_cast<TjxComponent*>(object);
    TjxBand* band = c ? c->Band() : nullptr;
    if (!band || m_index < 0)
        return;
    const int current = band->IndexOfChild(c);
    band->MoveComponent(current, m_index);
    m_index = current;
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
        m_value = prop->getOrdinal(*holder);
        m_captured = true;
    }
}

void TjxSetSubOrdinalUndoable::Exchange(TComponent* object, TjxCustomReport*)
{
    TPersistent* holder = nullptr;
    const TPropInfo* prop = m_captured ? Resolve(object, holder) : nullptr;
    if (!prop)
        return;
    const int64_t current = prop->getOrdinal(*holder);
    prop->setOrdinal(*holder, m_value);
    m_value = current;
}

// ---- instances ----

void TjxComponentInstanceUndoable::Capture(TComponent* object)
{
    TjxUndoable::Capture(object);
    if (auto* c = dynamic_cast<TjxComponent*>(object)) {
        if (TjxBand* band = c->Band()) {
            m_bandName = band->Name();
            m_bandIndex = band->IndexOfChild(c);
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
    delete object;
}

void TjxComponentInstanceUndoable::ReadBack(TjxCustomReport* context)
{
    TComponent* owner = LookupOwner(context);
    if (m_stream.isEmpty() || !owner)
        return;
    std::vector<TComponent*> read;
    std::vector<TjxCommunicator*> named;
    TReader reader(m_stream);
    reader.SetRoot(owner);
    reader.OnSetName = [&named](TComponent* component, QString&) {
        if (auto* c = dynamic_cast<TjxCommunicator*>(component)) {
            c->IncludeDesignState(dsPasting);
            named.push_back(c);
        }
    };
    // A handler the owner no longer publishes keeps its name rather than
    // failing the whole record.
    reader.OnFindMethod = [](const QString&, TMethodCode& code, bool&) {
        if (!code)
            code = [](TComponent*, TjxEventParams&) {};
    };
    reader.ReadComponents(owner, nullptr, [&read](TComponent* c) { read.push_back(c); });

    auto* report = dynamic_cast<TjxCustomReport*>(FindByName(m_reportName, context));
    if (!report)
        report = context;
    for (TComponent* object : read) {
        if (auto* c = dynamic_cast<TjxComponent*>(object)) {
            // Its band by name, else the band of its kind, else the first
            // band: never a component without a band.
            auto* band = dynamic_cast<TjxBand*>(FindByName(m_bandName, context));
            if (!band && report)
                band = report->FindBand(TjxBandType(c->BandType()), std::max(0, c->GroupNo()));
            if (!band && report && report->BandCount() > 0)
                band = report->Band(0);
            if (!band) {
                std::erase(named, c);
                delete c;
                continue;
            }
            c->SetBand(band);
            if (m_bandIndex >= 0)
                band->MoveComponent(band->IndexOfChild(c), m_bandIndex);
            if (!m_regionName.isEmpty())
                if (auto* region = dynamic_cast<TjxComponent*>(FindByName(m_regionName, context)))
                    c->SetRegion(region);
            if (band->Report())
                ResolveReportPipelines(*band->Report());
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
    for (TjxCommunicator* c : named)
        c->ExcludeDesignState(dsPasting);
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
    return undoable;
}

} // namespace orvane
