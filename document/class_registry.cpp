#include "document/class_registry.h"

#include <QHash>
#include <mutex>

namespace orvane {

namespace {

struct ClassList {
    std::mutex lock;
    QHash<QString, const TClassInfo*> byName;  // lower-case class name
};

ClassList& Classes()
{
    static ClassList list;
    return list;
}

} // namespace

void RegisterClass(const TClassInfo& cls)
{
    auto& list = Classes();
    std::lock_guard guard(list.lock);
    list.byName.insert(cls.className.toLower(), &cls);
}

void UnregisterClass(const TClassInfo& cls)
{
    auto& list = Classes();
    std::lock_guard guard(list.lock);
    auto it = list.byName.find(cls.className.toLower());
    if (it != list.byName.end() && *it == &cls)
        list.byName.erase(it);
}

const TClassInfo* FindClass(QStringView className)
{
    auto& list = Classes();
    std::lock_guard guard(list.lock);
    return list.byName.value(className.toString().toLower(), nullptr);
}

QStringList RegisteredClassNames()
{
    auto& list = Classes();
    std::lock_guard guard(list.lock);
    QStringList names;
    for (const TClassInfo* c : std::as_const(list.byName))
        names.append(c->className);
    names.sort();
    return names;
}

} // namespace orvane
