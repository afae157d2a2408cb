#pragma once

#include "document/property_info.h"

namespace orvane {

// Binds each abstract dialog the library opens to the class that implements
// it. With nothing registered for a dialog, callers do not open one.
void RegisterDialogClass(const QString& abstractClass, const TClassInfo& concreteClass);
void UnregisterDialogClass(const QString& abstractClass);
const TClassInfo* GetDialogClass(QStringView abstractClass);

} // namespace orvane
