#pragma once

// The output device classes by name ("ArchiveFile", "PDFFile", ...), in the
// order they were registered. The producer's DeviceType accepts only these.

#include "output/stream_device.h"

#include <functional>
#include <type_traits>
#include <vector>

namespace orvane {

struct TjxDeviceClass {
    const TClassInfo* classInfo = nullptr;
    QString deviceName;
    // File device classes answer the three texts below; others leave them empty.
    bool isFileDevice = false;
    QString defaultExt;
    QString filter;
    std::function<QString()> description;  // in the current language
    std::function<TjxDevice*(TComponent* owner)> create;

    QString Description() const { return description ? description() : QString(); }
    bool InheritsFrom(const TClassInfo& cls) const { return classInfo && classInfo->InheritsFrom(cls); }
};

// The registry entry of a device class T.
template <class T>
TjxDeviceClass DeviceClassOf()
{
    static_assert(std::is_base_of_v<TjxDevice, T>);
    TjxDeviceClass c;
    c.classInfo = &T::StaticClass();
    c.deviceName = T::ClassDeviceName();
    if constexpr (std::is_base_of_v<TjxFileDevice, T>) {
        c.isFileDevice = true;
        c.defaultExt = T::ClassDefaultExt();
        c.filter = T::ClassFilter();
        c.description = &T::ClassDescription;
    }
    c.create = [](TComponent* owner) -> TjxDevice* { return new T(owner); };
    return c;
}

// Also registers the class with the class registry; a class already listed is ignored.
void RegisterDeviceClass(const TjxDeviceClass& deviceClass);
// Removes the class from both registries.
void UnregisterDeviceClass(const TClassInfo& cls);
// The class whose device name equals the name exactly; none otherwise. The
// entry stays valid until its class is unregistered.
const TjxDeviceClass* DeviceClassByName(QStringView name);
QStringList DeviceNames();
std::vector<TjxDeviceClass> DeviceClasses();
// A new device of the named class, owned by `owner` when given (else by the
// caller); EOrvaneError "No output device is named ..." for unknown names.
TjxDevice* CreateDevice(const QString& name, TComponent* owner = nullptr);

// Whether the producer's DeviceType may take the name: registered device
// names, and the standard devices whose classes live in other libraries
// ("Screen" comes with the user-interface library, which a program without
// windows never loads, yet it is every report's default).
bool IsAcceptedDeviceName(const QString& name);

} // namespace orvane
