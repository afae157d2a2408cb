#pragma once

#include "document/property_info.h"

#include <QStringList>
#include <memory>
#include <vector>

namespace orvane {

// What the designer's palette knows of a report component class.
struct TjxRegComponent {
    const TClassInfo* componentClass = nullptr;
    QString paletteName;
    int position = 0;
    int hintMessage = 0;  // the message shown as the hint
    QString hintText;     // empty when the message is used
    int moduleHandle = 0; // 0: this program
    QString Hint() const;
};

// The registered report components, in registration order, by class name.
class TjxRegList {
public:
    int Count() const { return int(m_records.size()); }
    const TjxRegComponent& Records(int index) const { return *m_records.at(size_t(index)); }
    const TjxRegComponent* Find(QStringView className) const;
    QStringList ClassNames() const;
    // The palette's classes in position order.
    std::vector<const TjxRegComponent*> Palette(QStringView paletteName) const;

    // Subscribers hear about every change (the designer's palette).
    int Subscribe(std::function<void()> onChange);
    void Unsubscribe(int id);

private:
    friend void RegisterComponent(const TClassInfo&, const QString&, int, int, const QString&);
    friend void UnregisterComponent(const TClassInfo&);
    void Changed();

    std::vector<std::unique_ptr<TjxRegComponent>> m_records;
    std::vector<std::pair<int, std::function<void()>>> m_subscribers;
    int m_nextSubscriber = 1;
};

// The process's registration list, created on first use.
TjxRegList& RegisteredComponents();

// Registers a report component for the palette and for stream look-up; a
// second registration of a class replaces the first.
void RegisterComponent(const TClassInfo& cls, const QString& paletteName, int position, int hintMessage,
                       const QString& hintText = QString());
void UnregisterComponent(const TClassInfo& cls);

// Registers a report component for as long as the library is loaded.
struct TComponentRegistrar {
    TComponentRegistrar(const TClassInfo& cls, const char* paletteName, int position, int hintMessage);
    ~TComponentRegistrar();
    TComponentRegistrar(const TComponentRegistrar&) = delete;
    TComponentRegistrar& operator=(const TComponentRegistrar&) = delete;

private:
    const TClassInfo& m_cls;
};

#define ORVANE_REGISTER_COMPONENT(Class, palette, position, hint) \
    static const ::orvane::TComponentRegistrar s_component_##Class(Class::StaticClass(), palette, position, hint)

// The registry module's start and shutdown; registering while it is shut down fails.
void InstallComponentRegistry();
void UninstallComponentRegistry();

} // namespace orvane
