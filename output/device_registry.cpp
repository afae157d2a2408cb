#include "output/device_registry.h"

#include "document/class_registry.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/producer.h"
#include "output/archive_device.h"
#include "output/null_device.h"
#include "output/pdf_device.h"
#include "output/printer_device.h"
#include "output/report_text_file_device.h"
#include "output/text_file_device.h"

#include <memory>
#include <mutex>

namespace orvane {

namespace {

struct DeviceList {
    std::mutex lock;
    std::vector<std::unique_ptr<TjxDeviceClass>> classes;  // registration order
};

DeviceList& Devices()
{
    static DeviceList list;
    return list;
}

} // namespace

void RegisterDeviceClass(const TjxDeviceClass& deviceClass)
{
    if (!deviceClass.classInfo)
        return;
    {
        auto& list = Devices();
        std::lock_guard guard(list.lock);
        for (const auto& c : list.classes)
            if (c->classInfo == deviceClass.classInfo)
                return;
        list.classes.push_back(std::make_unique<TjxDeviceClass>(deviceClass));
    }
    RegisterClass(*deviceClass.classInfo);
}

void UnregisterDeviceClass(const TClassInfo& cls)
{
    {
        auto& list = Devices();
        std::lock_guard guard(list.lock);
        std::erase_if(list.classes, [&cls](const auto& c) { return c->classInfo == &cls; });
    }
    UnregisterClass(cls);
}

const TjxDeviceClass* DeviceClassByName(QStringView name)
{
    auto& list = Devices();
    std::lock_guard guard(list.lock);
    for (const auto& c : list.classes)
        if (c->deviceName == name)
            return c.get();
    return nullptr;
}

QStringList DeviceNames()
{
    auto& list = Devices();
    std::lock_guard guard(list.lock);
    QStringList names;
    for (const auto& c : list.classes)
        names.append(c->deviceName);
    return names;
}

std::vector<TjxDeviceClass> DeviceClasses()
{
    auto& list = Devices();
    std::lock_guard guard(list.lock);
    std::vector<TjxDeviceClass> classes;
    for (const auto& c : list.classes)
        classes.push_back(*c);
    return classes;
}

TjxDevice* CreateDevice(const QString& name, TComponent* owner)
{
    std::function<TjxDevice*(TComponent*)> create;
    if (const TjxDeviceClass* c = DeviceClassByName(name))
        create = c->create;
    if (!create)
        throw EOrvaneError(MessageText(msg::UnknownDevice, {name}));
    return create(owner);
}

bool IsAcceptedDeviceName(const QString& name)
{
    static const QStringList kStandard{QStringLiteral("Screen"), QStringLiteral("Printer"),
                                       QStringLiteral("TextFile"), QStringLiteral("ReportTextFile")};
    return DeviceClassByName(name) || kStandard.contains(name);
}

namespace {

// The devices of this library, in the order file dialogs list them.
struct StandardDevices {
    StandardDevices()
    {
        RegisterDeviceClass(DeviceClassOf<TjxPrinterDevice>());
        RegisterDeviceClass(DeviceClassOf<TjxTextFileDevice>());
        RegisterDeviceClass(DeviceClassOf<TjxReportTextFileDevice>());
        RegisterDeviceClass(DeviceClassOf<TjxArchiveDevice>());
        RegisterDeviceClass(DeviceClassOf<TjxPDFDevice>());
        RegisterDeviceClass(DeviceClassOf<TjxNullDevice>());
        TjxProducer::DeviceNameValidator() = &IsAcceptedDeviceName;
    }
    ~StandardDevices()
    {
        TjxProducer::DeviceNameValidator() = nullptr;
        UnregisterDeviceClass(TjxNullDevice::StaticClass());
        UnregisterDeviceClass(TjxPDFDevice::StaticClass());
        UnregisterDeviceClass(TjxArchiveDevice::StaticClass());
        UnregisterDeviceClass(TjxReportTextFileDevice::StaticClass());
        UnregisterDeviceClass(TjxTextFileDevice::StaticClass());
        UnregisterDeviceClass(TjxPrinterDevice::StaticClass());
    }
};

const StandardDevices s_standardDevices;

} // namespace

} // namespace orvane
