#pragma once

#include "document/property_info.h"

namespace orvane {

// The classes a stream reader can create by name. Classes register
// themselves when the library loads and are removed again at unload.
void RegisterClass(const TClassInfo& cls);
void UnregisterClass(const TClassInfo& cls);
const TClassInfo* FindClass(QStringView className);
QStringList RegisteredClassNames();

struct TClassRegistrar {
    explicit TClassRegistrar(const TClassInfo& cls) : m_cls(cls) { RegisterClass(cls); }
    ~TClassRegistrar() { UnregisterClass(m_cls); }
    TClassRegistrar(const TClassRegistrar&) = delete;
    TClassRegistrar& operator=(const TClassRegistrar&) = delete;

private:
    const TClassInfo& m_cls;
};

#define ORVANE_REGISTER_CLASS(Class) \
    static const ::orvane::TClassRegistrar s_registrar_##Class(Class::StaticClass())

} // namespace orvane
