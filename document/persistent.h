#pragma once

#include "document/property_info.h"

namespace orvane {

class TComponent;
class TCollection;

// The base of every object whose published properties can be streamed.
class TPersistent {
public:
    TPersistent() = default;
    TPersistent(const TPersistent&) = delete;
    TPersistent& operator=(const TPersistent&) = delete;
    virtual ~TPersistent() = default;

    static const TClassInfo& StaticClass();
    virtual const TClassInfo& ClassInfo() const { return StaticClass(); }
    const QString& ClassName() const { return ClassInfo().className; }
    bool InheritsFrom(const TClassInfo& cls) const { return ClassInfo().InheritsFrom(cls); }
    // What a dynamic_cast would answer, for the stream writer's every property.
    virtual TComponent* AsComponent() const { return nullptr; }
    virtual TCollection* AsCollection() const { return nullptr; }

    // Copies another object's state; the base refuses, as nothing can be copied.
    virtual void Assign(const TPersistent* source);

    // Property access by name or by dotted path ("Font.Name"). Values travel as
    // QVariant: ordinals as qint64, floats as double, strings as QString,
    // objects as TPersistent*. Unknown names raise EInvalidPropertyError.
    QVariant GetPropertyValue(QStringView path) const;
    void SetPropertyValue(QStringView path, const QVariant& value);

protected:
    virtual void AssignTo(TPersistent* dest) const;
};

// Walks a dotted path through class-valued properties; returns the object that
// holds the last part and that part's descriptor, or nulls when the path is bad.
std::pair<TPersistent*, const TPropInfo*> ResolvePropertyPath(TPersistent& root, QStringView path);

} // namespace orvane

Q_DECLARE_METATYPE(orvane::TPersistent*)
