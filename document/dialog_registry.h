#pragma once

#include "document/property_info.h"
#include "document/toolkit_component.h"

#include <memory>

namespace orvane {

// Binds each abstract dialog the library opens to the class that implements
// it. With nothing registered for a dialog, callers do not open one.
void RegisterDialogClass(const QString& abstractClass, const TClassInfo& concreteClass);
void UnregisterDialogClass(const QString& abstractClass);
const TClassInfo* GetDialogClass(QStringView abstractClass);

// A new dialog of the class registered for `abstractClass`, as a `T`; none
// when nothing (or nothing of that kind) is registered.
template <class T>
std::unique_ptr<T> CreateRegisteredDialog(QStringView abstractClass)
{
    const TClassInfo* cls = GetDialogClass(abstractClass);
    if (!cls || !cls->createComponent)
        return nullptr;
    std::unique_ptr<TComponent> dialog(cls->createComponent(nullptr));
    if (auto* typed = dynamic_cast<T*>(dialog.get())) {
        dialog.release();
        return std::unique_ptr<T>(typed);
    }
    return nullptr;
}

} // namespace orvane
