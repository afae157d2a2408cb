#include "document/dialog_registry.h"

#include "document/class_registry.h"

#include <QHash>
#include <mutex>

namespace orvane {

namespace {

struct DialogClasses {
    std::mutex lock;
    QHash<QString, const TClassInfo*> byAbstract;  // lower-case abstract name
};

DialogClasses& Dialogs()
{
    static DialogClasses dialogs;
    return dialogs;
}

} // namespace

void RegisterDialogClass(const QString& abstractClass, const TClassInfo& concreteClass)
{
    auto& d = Dialogs();
    std::lock_guard guard(d.lock);
    const QString key = abstractClass.toLower();
    if (const TClassInfo* earlier = d.byAbstract.value(key, nullptr))
        UnregisterClass(*earlier);
    RegisterClass(concreteClass);
    d.byAbstract.insert(key, &concreteClass);
}

void UnregisterDialogClass(const QString& abstractClass)
{
    auto& d = Dialogs();
    std::lock_guard guard(d.lock);
    if (const TClassInfo* earlier = d.byAbstract.take(abstractClass.toLower()))
        UnregisterClass(*earlier);
}

const TClassInfo* GetDialogClass(QStringView abstractClass)
{
    auto& d = Dialogs();
    std::lock_guard guard(d.lock);
    return d.byAbstract.value(abstractClass.toString().toLower(), nullptr);
}

} // namespace orvane
