#include "document/component_registry.h"

#include "document/class_registry.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"

#include <algorithm>
#include <atomic>

namespace orvane {

namespace {
std::atomic<bool> g_installed{true};
}

void InstallComponentRegistry() { g_installed = true; }
void UninstallComponentRegistry() { g_installed = false; }

QString TjxRegComponent::Hint() const
{
    return hintText.isEmpty() ? GetMessage(hintMessage) : hintText;
}

TjxRegList& RegisteredComponents()
{
    static TjxRegList list;
    return list;
}

const TjxRegComponent* TjxRegList::Find(QStringView className) const
{
    for (const auto& r : m_records)
        if (QStringView(r->componentClass->className).compare(className, Qt::CaseInsensitive) == 0)
            return r.get();
    return nullptr;
}

QStringList TjxRegList::ClassNames() const
{
    QStringList names;
    for (const auto& r : m_records)
        names << r->componentClass->className;
    return names;
}

std::vector<const TjxRegComponent*> TjxRegList::Palette(QStringView paletteName) const
{
    std::vector<const TjxRegComponent*> result;
    for (const auto& r : m_records)
        if (r->paletteName == paletteName)
            result.push_back(r.get());
    std::stable_sort(result.begin(), result.end(),
                     [](const TjxRegComponent* a, const TjxRegComponent* b) { return a->position < b->position; });
    return result;
}

int TjxRegList::Subscribe(std::function<void()> onChange)
{
    m_subscribers.emplace_back(m_nextSubscriber, std::move(onChange));
    return m_nextSubscriber++;
}

void TjxRegList::Unsubscribe(int id)
{
    m_subscribers.erase(std::remove_if(m_subscribers.begin(), m_subscribers.end(),
                                       [id](const auto& s) { return s.first == id; }),
                        m_subscribers.end());
}

void TjxRegList::Changed()
{
    const auto subscribers = m_subscribers;
    for (const auto& s : subscribers)
        s.second();
}

void RegisterComponent(const TClassInfo& cls, const QString& paletteName, int position, int hintMessage,
                       const QString& hintText)
{
    if (!g_installed)
        throw ERegistryError(GetMessage(msg::UnableToRegisterComponents));
    TjxRegList& list = RegisteredComponents();
    auto& records = list.m_records;
    auto it = std::find_if(records.begin(), records.end(), [&](const auto& r) {
        return r->componentClass->className.compare(cls.className, Qt::CaseInsensitive) == 0;
    });
    if (it != records.end()) {
        UnregisterClass(*(*it)->componentClass);
        records.erase(it);
    }
    auto record = std::make_unique<TjxRegComponent>();
    record->componentClass = &cls;
    record->paletteName = paletteName;
    record->position = position;
    record->hintMessage = hintMessage;
    record->hintText = hintText;
    RegisterClass(cls);
    records.push_back(std::move(record));
    list.Changed();
}

void UnregisterComponent(const TClassInfo& cls)
{
    if (!g_installed)
        throw ERegistryError(GetMessage(msg::UnableToUnregisterComponents));
    UnregisterClass(cls);
    TjxRegList& list = RegisteredComponents();
    auto& records = list.m_records;
    auto it = std::find_if(records.begin(), records.end(),
                           [&](const auto& r) { return r->componentClass->className == cls.className; });
    if (it == records.end())
        return;
    records.erase(it);
    list.Changed();
}

TComponentRegistrar::TComponentRegistrar(const TClassInfo& cls, const char* paletteName, int position, int hintMessage)
    : m_cls(cls)
{
    RegisterComponent(cls, QString::fromLatin1(paletteName), position, hintMessage);
}

TComponentRegistrar::~TComponentRegistrar()
{
    // After the registry shut down there is nothing left to remove.
    if (g_installed)
        UnregisterComponent(m_cls);
}

} // namespace orvane
