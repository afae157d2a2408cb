#pragma once

#include <QImage>
#include <QObject>
#include <QRect>
#include <functional>
#include <memory>
#include <vector>

namespace orvane {

class TClassInfo;
class TjxBorder;
class TjxCanvas;
class TjxComponent;
class TjxDesignControlManager;
class TPersistent;
struct TPropInfo;

// Published properties read by name, as every designer part reads them.
const TPropInfo* FindPublished(const TPersistent* object, const char* name);
int64_t OrdinalProperty(const TPersistent* object, const char* name, int64_t fallback = 0);
double FloatProperty(const TPersistent* object, const char* name, double fallback = 0);
QString StringProperty(const TPersistent* object, const char* name);
TPersistent* ObjectProperty(const TPersistent* object, const char* name);
template <class T> T* ObjectPropertyAs(const TPersistent* object, const char* name)
{
    return dynamic_cast<T*>(ObjectProperty(object, name));
}

// What the workspace shows of one report component: drawn from the
// component's properties into a cached bitmap, placed where the component
// sits in its band's area. It listens to its component and goes when the
// component goes.
class TjxDesignControl : public QObject {
    Q_OBJECT
public:
    enum TLockedEdge : int { leLeft = 1, leTop = 2, leWidth = 4, leHeight = 8 };

    TjxDesignControl();
    ~TjxDesignControl() override;

    TjxComponent* GetComponent() const { return m_component; }
    // Attaches the component: listens to it, marks it designed, takes its bounds.
    virtual void SetComponent(TjxComponent* component);
    TjxDesignControlManager* Manager() const { return m_manager; }
    void SetManager(TjxDesignControlManager* manager) { m_manager = manager; }

    // Workspace pixels.
    const QRect& Geometry() const { return m_geometry; }
    bool IsVisible() const { return m_visible; }
    void SetTop(int top);
    int LockedEdges() const { return m_lockedEdges; }

    virtual void UpdateLockedEdges();
    virtual bool UsesCache() const { return true; }
    // Position and size from the component; visible only with both sizes at least 1.
    virtual void UpdateBounds();
    virtual bool IsTransparent() const;
    virtual void DrawBorder(TjxCanvas& canvas, const TjxBorder& border);
    virtual void DrawContent(TjxCanvas& canvas);
    virtual void DrawFrame(TjxCanvas& canvas);

    // Drops the cache and repaints.
    void Invalidate();
    bool CacheValid() const { return m_cacheValid; }
    // Paints the control at its place with the workspace's painter.
    void Paint(QPainter& painter);
    // The control's own pixels over white, as the cache holds them.
    QImage Image();

    std::function<void(QPainter&)> OnPaint;

protected:
    virtual void ComponentNotify(int eventId);
    virtual void ComponentDestroyed();
    QRect ClientRect() const { return QRect(0, 0, m_geometry.width(), m_geometry.height()); }
    // Fills the client rectangle with the component's colour unless transparent,
    // each bordered side moved in by one pixel.
    void DrawBackground(TjxCanvas& canvas);
    void Repaint() const;

    int m_lockedEdges = 0;

private:
    class TListener;
    void Detach();

    TjxComponent* m_component = nullptr;
    TjxDesignControlManager* m_manager = nullptr;
    QRect m_geometry;
    bool m_visible = false;
    QImage m_cache;
    bool m_cacheValid = false;
    bool m_lookKnown = false;
    bool m_paintsFromCache = true;
    bool m_paintsTransparent = false;
    std::unique_ptr<TListener> m_listener;
};

// Which control class shows which component class: the nearest registered
// ancestor of the component's class decides.
class TjxDesignControlRegistry {
public:
    using Creator = std::function<TjxDesignControl*()>;
    static TjxDesignControlRegistry& Instance();

    // Registering a class again replaces its control class.
    void Register(const TClassInfo& componentClass, Creator creator);
    void Unregister(const TClassInfo& componentClass);
    bool IsRegistered(const TClassInfo& componentClass) const;
    // Raises EDesignError for a nil component or a class with no control.
    TjxDesignControl* CreateInstance(TjxComponent* component) const;

private:
    TjxDesignControlRegistry();
    std::vector<std::pair<const TClassInfo*, Creator>> m_entries;
};

} // namespace orvane
