#include "designer/controls/design_control.h"

#include "components/component.h"
#include "designer/controls/design_control_manager.h"
#include "designer/workspace/workspace.h"
#include "document/errors.h"
#include "document/graphic_objects.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "platform/canvas.h"

#include <QPainter>
#include <cmath>

namespace orvane {

// ---- properties by name ----------------------------------------------------

const TPropInfo* FindPublished(const TPersistent* object, const char* name)
{
    return object ? object->ClassInfo().FindProperty(QString::fromLatin1(name)) : nullptr;
}

int64_t OrdinalProperty(const TPersistent* object, const char* name, int64_t fallback)
{
    const TPropInfo* p = FindPublished(object, name);
    return p && p->getOrdinal ? p->getOrdinal(*object) : fallback;
}

double FloatProperty(const TPersistent* object, const char* name, double fallback)
{
    const TPropInfo* p = FindPublished(object, name);
    return p && p->getFloat ? p->getFloat(*object) : fallback;
}

QString StringProperty(const TPersistent* object, const char* name)
{
    const TPropInfo* p = FindPublished(object, name);
    return p && p->getString ? p->getString(*object) : QString();
}

TPersistent* ObjectProperty(const TPersistent* object, const char* name)
{
    const TPropInfo* p = FindPublished(object, name);
    return p && p->getObject ? p->getObject(*object) : nullptr;
}

// ---- the control ---------------------------------------------------------------

class TjxDesignControl::TListener : public TjxCommunicator {
public:
    explicit TListener(TjxDesignControl* control) : TjxCommunicator(nullptr), m_control(control)
    {
        for (int id = ciComponentDesignChangeFirst; id <= ciParentHeightChanged; ++id)
            AddEventInterest(id);
    }
    void EventNotify(TjxCommunicator*, int eventId, TjxEventParams*) override { m_control->ComponentNotify(eventId); }
    void Notify(TjxCommunicator* sender, int operation) override
    {
        TjxCommunicator::Notify(sender, operation);
        if (operation == ntDestroying && sender == m_control->m_component)
            m_control->ComponentDestroyed();
    }

private:
    TjxDesignControl* m_control;
};

TjxDesignControl::TjxDesignControl() : m_listener(std::make_unique<TListener>(this)) {}

TjxDesignControl::~TjxDesignControl() { Detach(); }

void TjxDesignControl::Detach()
{
    if (!m_component)
        return;
    m_component->RemoveEventNotify(m_listener.get());
    m_component->RemoveNotify(m_listener.get());
    m_component->ExcludeDesignState(dsDesigning);
    m_component = nullptr;
}

void TjxDesignControl::SetComponent(TjxComponent* component)
{
    Detach();
    m_component = component;
    if (!component)
        return;
    component->NotifyDesigner(dnDesignControlCreated, kDesignerNotifyCode, component);
    component->AddNotify(m_listener.get());
    component->AddEventNotify(m_listener.get());
    component->IncludeDesignState(dsDesigning);
    setObjectName(component->Name());
    UpdateBounds();
    UpdateLockedEdges();
    Invalidate();
}


void TjxDesignControl::Repaint() const
{
    if (m_manager && m_manager->Workspace() && m_visible)
        m_manager->Workspace()->update(m_geometry);
}

void TjxDesignControl::SetTop(int top)
{
    if (top == m_geometry.top())
        return;
    Repaint();
    m_geometry.moveTop(top);
    Repaint();
}

void TjxDesignControl::UpdateBounds()
{
    if (!m_component)
        return;
    const int areaTop = m_manager ? m_manager->BandAreaTop(m_component->Band()) : 0;
    const QRect next(m_component->spLeft(), m_component->spTop() + areaTop, m_component->spWidth(),
                     m_component->spHeight());
    Repaint();
    if (next.size() != m_geometry.size())
        m_cacheValid = false;
    m_geometry = next;
    m_visible = next.width() >= 1 && next.height() >= 1;
    Repaint();
}

void TjxDesignControl::UpdateLockedEdges()
{
    m_lockedEdges = 0;
    if (m_component && m_component->ParentWidth())
        m_lockedEdges |= leLeft | leWidth;
    if (m_component && m_component->ParentHeight())
        m_lockedEdges |= leTop | leHeight;
    if (m_component)
        m_component->NotifyDesigner(dnBoundsLocksChanged, kDesignerNotifyCode, m_component);
}

bool TjxDesignControl::IsTransparent() const { return OrdinalProperty(m_component, "Transparent") != 0; }

void TjxDesignControl::Invalidate()
{
    m_cacheValid = false;
    m_lookKnown = false;
    Repaint();
}

void TjxDesignControl::ComponentNotify(int eventId)
{
    switch (eventId) {
    case ciComponentDesignChangeFirst:
        UpdateBounds();
        break;
    case ciComponentDesignChangeSecond:
        Invalidate();
        break;
    case ciBandComponentAdded:
        if (m_manager && m_manager->Workspace())
            m_manager->Workspace()->BringToFront(this);
        break;
    case ciBandComponentRemoved:
        if (m_manager && m_manager->Workspace())
            m_manager->Workspace()->SendToBack(this);
        break;
    case ciParentWidthChanged:
    case ciParentHeightChanged:
        UpdateLockedEdges();
        break;
    default:
        break;
    }
}

void TjxDesignControl::ComponentDestroyed()
{
    m_component = nullptr;
    if (m_manager)
        m_manager->ControlGone(this);
}

void TjxDesignControl::DrawBackground(TjxCanvas& canvas)
{
    if (!m_component || IsTransparent())
        return;
    QRect r = ClientRect();
    const TjxBorder* border = m_component->Border();
    if (border && border->Visible()) {
        if (border->HasPosition(bpLeft))
            r.setLeft(r.left() + 1);
        if (border->HasPosition(bpTop))
            r.setTop(r.top() + 1);
        if (border->HasPosition(bpRight))
            r.setRight(r.right() - 1);
        if (border->HasPosition(bpBottom))
            r.setBottom(r.bottom() - 1);
    }
    canvas.FillRect(r, TColor(OrdinalProperty(m_component, "Color", clWhite)));
}

void TjxDesignControl::DrawBorder(TjxCanvas& canvas, const TjxBorder& border)
{
    if (!border.Visible())
        return;
    canvas.SetPen(border.Color(), border.Style(), 1);
    const int w = m_geometry.width(), h = m_geometry.height();
    const int weight = canvas.ThicknessX(border.Weight());
    for (int n = 0; n <= weight; ++n) {
        if (border.HasPosition(bpLeft))
            canvas.Line(n, 0, n, h);
        if (border.HasPosition(bpTop))
            canvas.Line(0, n, w, n);
        if (border.HasPosition(bpRight))
            canvas.Line(w - 1 - n, 0, w - 1 - n, h);
        if (border.HasPosition(bpBottom))
            canvas.Line(0, h - 1 - n, w, h - 1 - n);
    }
}

void TjxDesignControl::DrawFrame(TjxCanvas& canvas)
{
    const TjxBorder* border = m_component ? m_component->Border() : nullptr;
    const bool bordered = border && border->Visible();
    if (bordered)
        DrawBorder(canvas, *border);
    if (m_manager && !m_manager->ShowFrames())
        return;
    const auto has = [&](TjxBorderPosition p) { return bordered && border->HasPosition(p); };
    // Dotted grey lines make components without a visible edge findable.
    canvas.SetBrush(clWhite, bsClear);
    canvas.SetPen(clGray, psDot, 1);
    const int w = m_geometry.width(), h = m_geometry.height();
    if (!has(bpLeft))
        canvas.Line(0, 0, 0, h);
    if (!has(bpTop))
        canvas.Line(0, 0, w, 0);
    if (!has(bpRight))
        canvas.Line(w - 1, 0, w - 1, h);
    if (!has(bpBottom))
        canvas.Line(0, h - 1, w, h - 1);
}

void TjxDesignControl::DrawContent(TjxCanvas& canvas)
{
    DrawBackground(canvas);
    if (m_component) {
        canvas.SetFont(*m_component->Font());
        canvas.SetBrush(clWhite, bsClear);
        canvas.TextRect(ClientRect(), 0, 0, StringProperty(m_component, "Caption"));
    }
    DrawFrame(canvas);
}

QImage TjxDesignControl::Image()
{
    if (!m_cacheValid || m_cache.size() != m_geometry.size()) {
        const int dpi = kScreenPixelsPerInch;
        m_cache = QImage(std::max(1, m_geometry.width()), std::max(1, m_geometry.height()), QImage::Format_RGB32);
        const int dpm = int(std::lround(dpi / 0.0254));
        m_cache.setDotsPerMeterX(dpm);
        m_cache.setDotsPerMeterY(dpm);
        m_cache.fill(Qt::white);
        {
            TjxCanvas canvas(&m_cache);
            DrawContent(canvas);
        }
        m_cacheValid = true;
    }
    return m_cache;
}

void TjxDesignControl::Paint(QPainter& painter)
{
    if (!m_visible)
        return;
    painter.save();
    // Read from the component's properties once per change of its look.
    if (!m_lookKnown) {
        m_paintsFromCache = UsesCache();
        m_paintsTransparent = IsTransparent();
        m_lookKnown = true;
    }
    if (m_paintsFromCache) {
        const QImage& image = Image();
        // White lets the band show through a transparent component.
        if (m_paintsTransparent)
            painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        painter.drawImage(m_geometry.topLeft(), image);
    } else {
        painter.translate(m_geometry.topLeft());
        painter.setClipRect(ClientRect());
        const int dpi = kScreenPixelsPerInch;
        TjxCanvas canvas(&painter, dpi, dpi);
        DrawContent(canvas);
    }
    painter.restore();
    if (OnPaint)
        OnPaint(painter);
}

// ---- registry ----------------------------------------------------------------

TjxDesignControlRegistry& TjxDesignControlRegistry::Instance()
{
    static TjxDesignControlRegistry registry;
    return registry;
}

void TjxDesignControlRegistry::Register(const TClassInfo& componentClass, Creator creator)
{
    for (auto& entry : m_entries)
        if (entry.first == &componentClass) {
            entry.second = std::move(creator);
            return;
        }
    m_entries.emplace_back(&componentClass, std::move(creator));
}

void TjxDesignControlRegistry::Unregister(const TClassInfo& componentClass)
{
    std::erase_if(m_entries, [&](const auto& e) { return e.first == &componentClass; });
}

bool TjxDesignControlRegistry::IsRegistered(const TClassInfo& componentClass) const
{
    for (const auto& entry : m_entries)
        if (entry.first == &componentClass)
            return true;
    return false;
}

TjxDesignControl* TjxDesignControlRegistry::CreateInstance(TjxComponent* component) const
{
    if (!component)
        throw EDesignError(GetMessage(msg::DesignControlComponentNil));
    for (const TClassInfo* cls = &component->ClassInfo(); cls; cls = cls->parent)
        for (const auto& entry : m_entries)
            if (entry.first == cls)
                return entry.second();
    throw EDesignError(MessageText(msg::DesignControlNotRegistered, {component->ClassName()}));
}

} // namespace orvane
