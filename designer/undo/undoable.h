#pragma once

// Recorded changes. A record never holds its object: it keeps the object's
// Name and finds it again among the components of the context report's owner,
// so records survive the object's destruction and re-creation by name.

#include "document/method.h"
#include "document/var_value.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace orvane {

class TComponent;
class TjxCommunicator;
class TPersistent;
class TjxCustomReport;
struct TPropInfo;

class TjxUndoable {
public:
    TjxUndoable() = default;
    virtual ~TjxUndoable();
    TjxUndoable(const TjxUndoable&) = delete;
    TjxUndoable& operator=(const TjxUndoable&) = delete;

    virtual QString ClassName() const { return QStringLiteral("TjxUndoable"); }
    // What the Edit menu may show: the class name unless a class has a text.
    virtual QString Description() const { return ClassName(); }
    // Stores what the record needs of the object (the base: its Name).
    virtual void Capture(TComponent* object);
    // False when Capture found nothing to keep: such a record is not made.
    virtual bool Captured() const { return true; }
    // Swaps the stored state with the object's current one.
    virtual void Exchange(TComponent* object, TjxCustomReport* context) = 0;

    // Sub-items first (in order), then the object itself; a missing object is skipped.
    virtual void Undo(TjxCustomReport* context);
    virtual void Redo(TjxCustomReport* context);
    // A value the object refused while others of the task were not back yet
    // (word wrap while the text is still rotated) is set again once the
    // whole task ran.
    // So is a value that a later-undone record moved along (a region moving
    // its children): whatever does not hold its target then is set again.
    // True when it had to set its value again.
    bool Retry(TjxCustomReport* context);
    // Puts the value before the change back as a load stores it, touching
    // nothing else (a side effect of undoing another record).
    void StoreBefore(TjxCustomReport* context);
    // Reads the state the change left, before the first Undo of its task
    // changes anything: records of one task may touch each other's values
    // (a pipeline clears a flag, the flag clears the pipeline), so Redo
    // puts back what was there rather than what a swap read half-way.
    void Seal(TjxCustomReport* context);

    const QString& Operation() const { return m_operation; }
    void SetOperation(const QString& operation) { m_operation = operation; }
    const QString& ComponentName() const { return m_componentName; }
    void AddSubItem(std::unique_ptr<TjxUndoable> item);
    int SubItemCount() const { return m_subItems ? int(m_subItems->size()) : 0; }

    // The component a name refers to among the components of the context's owner.
    static TComponent* FindByName(const QString& name, TjxCustomReport* context);
    // The owner whose components records are looked up in.
    static TComponent* LookupOwner(TjxCustomReport* context);

protected:
    // Reads the after-state (value records).
    virtual void CaptureAfter(TComponent* object) {}
    // For Exchange: seals when not yet sealed and flips direction; true
    // when the state before the change is to be restored now.
    bool Toggle(TComponent* object);
    // The value of the current direction: held by the object? set it.
    virtual bool HoldsTarget(TComponent* object) const { return true; }
    virtual void ApplyTarget(TComponent* object, TjxCustomReport* context) {}
    // Toggle, then ApplyTarget: the Exchange of the value records.
    void ExchangeValues(TComponent* object, TjxCustomReport* context)
    {
        Toggle(object);
        ApplyTarget(object, context);
    }

    QString m_operation;
    QString m_componentName;
    bool m_sealed = false;
    bool m_undone = false;

private:
    std::unique_ptr<std::vector<std::unique_ptr<TjxUndoable>>> m_subItems;
};

// A published property's value held exactly as the property's accessors give it.
using TjxPropValue = std::variant<std::monostate, int64_t, double, QString, TMethod, TVarValue>;

// A property read and written through its descriptor; a length in report
// units goes through its stored thousandths, so nothing is rounded.
class TjxSetPropUndoable : public TjxUndoable {
public:
    QString ClassName() const override { return QStringLiteral("TjxSetPropUndoable"); }
    void Capture(TComponent* object) override;
    void Exchange(TComponent* object, TjxCustomReport* context) override { ExchangeValues(object, context); }
    bool Captured() const override { return !std::holds_alternative<std::monostate>(m_before); }

protected:
    // The object that holds the property: the component itself here.
    virtual TPersistent* Holder(TComponent* object) const;
    virtual QString PropertyName() const { return m_operation; }
    void CaptureAfter(TComponent* object) override { m_after = Read(object); }
    TjxPropValue Read(TComponent* object) const;
    // Sets the value, as a load would when the designer setter refuses it;
    // false when the object still holds another.
    bool Apply(TComponent* object, const TjxPropValue& value);
    bool HoldsTarget(TComponent* object) const override;
    void ApplyTarget(TComponent* object, TjxCustomReport*) override { Apply(object, m_undone ? m_before : m_after); }
    TjxPropValue m_before, m_after;
};

// "Object.Property": the same on the object a class property holds.
class TjxSetEmbeddedPropUndoable : public TjxSetPropUndoable {
public:
    QString ClassName() const override { return QStringLiteral("TjxSetEmbeddedPropUndoable"); }
    void Capture(TComponent* object) override;

protected:
    TPersistent* Holder(TComponent* object) const override;
    QString PropertyName() const override { return m_subProperty; }
    QString m_objectProperty;
    QString m_subProperty;
};

// A class property that holds an object of its own (a font, lines, a
// border): a copy of the object.
class TjxSetPersistentPropUndoable : public TjxUndoable {
public:
    ~TjxSetPersistentPropUndoable() override;
    QString ClassName() const override { return QStringLiteral("TjxSetPersistentPropUndoable"); }
    void Capture(TComponent* object) override;
    bool Captured() const override { return m_before != nullptr; }
    void Exchange(TComponent* object, TjxCustomReport* context) override;

protected:
    virtual QString PropertyName() const { return m_operation; }
    void CaptureAfter(TComponent* object) override;
    std::unique_ptr<TPersistent> m_before, m_after;
};

// A class property that refers to another component (ShiftRelativeTo,
// ResetGroup, CalcComponent, DrillDownComponent, ...): the referenced
// component's Name, found again by name. Copying the object would plant a
// stray component.
class TjxSetReferencePropUndoable : public TjxUndoable {
public:
    QString ClassName() const override { return QStringLiteral("TjxSetReferencePropUndoable"); }
    void Capture(TComponent* object) override;
    void Exchange(TComponent* object, TjxCustomReport* context) override { ExchangeValues(object, context); }

protected:
    virtual QString PropertyName() const { return m_operation; }
    virtual TComponent* Find(const QString& name, TComponent* object, TjxCustomReport* context) const;

public:
    // For a change found after the fact: the value it had before.
    void SetBefore(const QString& name) { m_before = name; }

protected:
    void CaptureAfter(TComponent* object) override { m_after = Read(object); }
    QString Read(TComponent* object) const;
    bool HoldsTarget(TComponent* object) const override { return Read(object) == (m_undone ? m_before : m_after); }
    void ApplyTarget(TComponent* object, TjxCustomReport* context) override;
    QString m_before, m_after;
};

class TjxSetDataPipelineUndoable : public TjxSetReferencePropUndoable {
public:
    QString ClassName() const override { return QStringLiteral("TjxSetDataPipelineUndoable"); }

protected:
    QString PropertyName() const override { return QStringLiteral("DataPipeline"); }
    TComponent* Find(const QString& name, TComponent* object, TjxCustomReport* context) const override;
};

// A component's place (its band or region), kept by the place's name.
class TjxSetPlaceUndoable : public TjxUndoable {
public:
    void Capture(TComponent* object) override { TjxUndoable::Capture(object); m_before = PlaceName(object); }
    void Exchange(TComponent* object, TjxCustomReport* context) override { ExchangeValues(object, context); }

protected:
    virtual QString PlaceName(TComponent* object) const = 0;
    const QString& TargetName() const { return m_undone ? m_before : m_after; }

private:
    void CaptureAfter(TComponent* object) override { m_after = PlaceName(object); }
    bool HoldsTarget(TComponent* object) const override { return PlaceName(object) == TargetName(); }
    QString m_before, m_after;
};

class TjxSetBandUndoable : public TjxSetPlaceUndoable {
public:
    QString ClassName() const override { return QStringLiteral("TjxSetBandUndoable"); }

private:
    QString PlaceName(TComponent* object) const override;
    void ApplyTarget(TComponent* object, TjxCustomReport* context) override;
};

class TjxSetRegionUndoable : public TjxSetPlaceUndoable {
public:
    QString ClassName() const override { return QStringLiteral("TjxSetRegionUndoable"); }

private:
    QString PlaceName(TComponent* object) const override;
    void ApplyTarget(TComponent* object, TjxCustomReport* context) override;
};

// The four bounds at once, in thousandths of a millimetre.
class TjxSetBoundsUnDoable : public TjxUndoable {
public:
    QString ClassName() const override { return QStringLiteral("TjxSetBoundsUnDoable"); }
    void Capture(TComponent* object) override { TjxUndoable::Capture(object); m_before = Read(object); }
    void Exchange(TComponent* object, TjxCustomReport* context) override { ExchangeValues(object, context); }

private:
    struct TBounds {
        int left = 0, top = 0, width = 0, height = 0;
    };
    void CaptureAfter(TComponent* object) override { m_after = Read(object); }
    static TBounds Read(TComponent* object);
    bool HoldsTarget(TComponent* object) const override;
    void ApplyTarget(TComponent* object, TjxCustomReport* context) override;
    TBounds m_before, m_after;
};

class TjxMoveUnDoable : public TjxSetBoundsUnDoable {
public:
    QString ClassName() const override { return QStringLiteral("TjxMoveUnDoable"); }
    QString Description() const override;
};

class TjxResizeUnDoable : public TjxSetBoundsUnDoable {
public:
    QString ClassName() const override { return QStringLiteral("TjxResizeUnDoable"); }
    QString Description() const override;
};

// The component's place in its band's drawing order.
class TjxZOrderUnDoable : public TjxUndoable {
public:
    QString ClassName() const override { return QStringLiteral("TjxZOrderUnDoable"); }
    void Capture(TComponent* object) override { TjxUndoable::Capture(object); m_before = Read(object); }
    void Exchange(TComponent* object, TjxCustomReport* context) override { ExchangeValues(object, context); }

private:
    void CaptureAfter(TComponent* object) override { m_after = Read(object); }
    // The whole band's order by name: a region takes its children along.
    static QStringList Read(TComponent* object);
    bool HoldsTarget(TComponent* object) const override { return Read(object) == (m_undone ? m_before : m_after); }
    void ApplyTarget(TComponent* object, TjxCustomReport* context) override;
    QStringList m_before, m_after;
};

// A component, band or group created (the first Undo frees it) or, in the
// destroy class, about to be freed (the first Undo re-creates it).
class TjxComponentInstanceUndoable : public TjxUndoable {
public:
    QString ClassName() const override { return QStringLiteral("TjxComponentInstanceUndoable"); }
    void Capture(TComponent* object) override;
    // Needs the context to find or re-create the object: works in Undo itself.
    void Exchange(TComponent* object, TjxCustomReport* context) override;
    void Undo(TjxCustomReport* context) override;
    void Redo(TjxCustomReport* context) override { Undo(context); }

    const QByteArray& Stream() const { return m_stream; }

protected:
    void WriteAndFree(TComponent* object);
    void ReadBack(TjxCustomReport* context);

    QByteArray m_stream;
    QString m_regionName;
    QString m_reportName;
    QString m_bandName;   // where a component sat: placed there again when it still exists
    int m_bandIndex = -1; // a group's place among the report's groups
    // The drawing-order places of the component and of what it holds (a
    // region's children), by name: put back in ascending order.
    std::vector<std::pair<QString, int>> m_places;
};

class TjxComponentDestroyUndoable : public TjxComponentInstanceUndoable {
public:
    QString ClassName() const override { return QStringLiteral("TjxComponentDestroyUndoable"); }
    // Writes the stream at once: the designer frees the object right after.
    void Capture(TComponent* object) override;
};

// Font, pen and brush records.
class TjxSetFontUndoable : public TjxSetPersistentPropUndoable {
public:
    QString ClassName() const override { return QStringLiteral("TjxSetFontUndoable"); }
};

// One ordinal of the object held by a class property ("Font", "Pen", "Brush", "Border").
class TjxSetSubOrdinalUndoable : public TjxUndoable {
public:
    TjxSetSubOrdinalUndoable(const char* objectProperty, const char* subProperty)
        : m_objectProperty(QString::fromLatin1(objectProperty)), m_subProperty(QString::fromLatin1(subProperty)) {}
    void Capture(TComponent* object) override;
    bool Captured() const override { return m_captured; }
    void Exchange(TComponent* object, TjxCustomReport* context) override { ExchangeValues(object, context); }

private:
    const TPropInfo* Resolve(TComponent* object, TPersistent*& holder) const;
    void CaptureAfter(TComponent* object) override;
    bool HoldsTarget(TComponent* object) const override;
    void ApplyTarget(TComponent* object, TjxCustomReport* context) override;
    QString m_objectProperty;
    QString m_subProperty;
    int64_t m_before = 0, m_after = 0;
    bool m_captured = false;
};

#define ORVANE_SUB_ORDINAL_UNDOABLE(Class, Object, Sub)                         \
    class Class : public TjxSetSubOrdinalUndoable {                              \
    public:                                                                      \
        Class() : TjxSetSubOrdinalUndoable(Object, Sub) {}                       \
        QString ClassName() const override { return QStringLiteral(#Class); }    \
    };
ORVANE_SUB_ORDINAL_UNDOABLE(TjxSetFontSizeUndoable, "Font", "Size")
ORVANE_SUB_ORDINAL_UNDOABLE(TjxSetFontStyleUndoable, "Font", "Style")
ORVANE_SUB_ORDINAL_UNDOABLE(TjxSetFontColorUndoable, "Font", "Color")
ORVANE_SUB_ORDINAL_UNDOABLE(TjxSetPenStyleUndoable, "Pen", "Style")
ORVANE_SUB_ORDINAL_UNDOABLE(TjxSetPenColorUndoable, "Pen", "Color")
ORVANE_SUB_ORDINAL_UNDOABLE(TjxSetBrushStyleUndoable, "Brush", "Style")
ORVANE_SUB_ORDINAL_UNDOABLE(TjxSetBrushColorUndoable, "Brush", "Color")
ORVANE_SUB_ORDINAL_UNDOABLE(TjxSetBorderPositionsUndoable, "Border", "BorderPositions")
#undef ORVANE_SUB_ORDINAL_UNDOABLE

class TjxSetAnchorsUndoable : public TjxSetPropUndoable {
public:
    QString ClassName() const override { return QStringLiteral("TjxSetAnchorsUndoable"); }

protected:
    QString PropertyName() const override { return QStringLiteral("Anchors"); }
};

// Maps operation names to record classes, ignoring case.
class TjxUndoableClassFactory {
public:
    using Creator = std::function<std::unique_ptr<TjxUndoable>()>;
    static TjxUndoableClassFactory& Instance();

    void Register(const QString& operation, Creator creator);
    bool IsRegistered(const QString& operation) const;
    // The record for the operation on the object, captured; none when the
    // operation cannot be mapped (the change is then not recorded).
    std::unique_ptr<TjxUndoable> Create(const QString& operation, TComponent* object) const;

private:
    TjxUndoableClassFactory();
    std::vector<std::pair<QString, Creator>> m_entries;  // lower-case name
};

// A class property whose value is another component, not a part of the object.
bool IsReferenceProperty(const TPersistent& object, const TPropInfo& prop);
// Frees the objects and everything below them that their streams hold (a
// region's children, a subreport's report with its bands and components),
// which their destructors may leave behind; the deepest first after the tops.
void FreeComponentTrees(TComponent* owner, const std::vector<TComponent*>& tops);
// The objects of the owner below any of `tops`, the tops included.
std::vector<TComponent*> ComponentTrees(TComponent* owner, const std::vector<TComponent*>& tops);

// Reads components the designer wrote back into their owner, as paste and
// re-creation do: every named one carries dsPasting until the read is over,
// and a handler the owner no longer publishes keeps its name rather than
// failing the whole read.
class TjxComponentStreamRead {
public:
    // `rename` may give a read component another name before it is set.
    TjxComponentStreamRead(const QByteArray& stream, TComponent* owner,
                           std::function<void(TComponent*, QString&)> rename = {});
    ~TjxComponentStreamRead();
    TjxComponentStreamRead(const TjxComponentStreamRead&) = delete;
    TjxComponentStreamRead& operator=(const TjxComponentStreamRead&) = delete;

    // The top-level components read, in stream order, put under `parent`.
    std::vector<TComponent*> ReadInto(TComponent* parent);
    // Frees a read component the caller has no place for.
    void Discard(TComponent* object);

private:
    const QByteArray& m_stream;
    TComponent* m_owner;
    std::function<void(TComponent*, QString&)> m_rename;
    std::vector<TjxCommunicator*> m_named;
};

// The component a reference property holds as the stream writes it.
TComponent* ReferenceOf(TComponent* object, const TPropInfo& prop);

// The references every component of an owner holds. Reading a component
// may take a link from another without telling anyone (a drill-down
// component serves one subreport only); re-creating must not.
class TjxReferenceSnapshot {
public:
    explicit TjxReferenceSnapshot(TComponent* owner);
    struct TEntry {
        TComponent* holder;
        const TPropInfo* prop;
        TComponent* value;
    };
    // The entries whose reference changed since.
    std::vector<TEntry> Changed() const;
    // Puts the changed ones back.
    void Restore() const;

private:
    std::vector<TEntry> m_entries;
};

} // namespace orvane
