#pragma once

#include "document/parameter.h"

#include <memory>

namespace orvane {

// A report's parameters, as ordered children. The list owns its parameters,
// so their names are unique within the list (case-insensitive) and never
// collide with the names of the form's components when a template is read.
class TjxParameterList : public TjxRelative {
    ORVANE_CLASS(TjxParameterList, TjxRelative)
public:
    explicit TjxParameterList(TComponent* owner = nullptr);
    ~TjxParameterList() override;

    int Count() const { return ChildCount(); }
    TjxParameter* ItemsByIndex(int index) const;
    // The parameter of that name (case-insensitive). When there is none: in
    // insert mode the spare parameter, renamed, which joins the list only when
    // it is given a non-null value; otherwise EParameterError.
    TjxParameter* Items(const QString& name);
    TVarValue Values(const QString& name) { return Items(name)->Value(); }
    void SetValues(const QString& name, const TVarValue& value) { Items(name)->SetValue(value); }
    // The parameter of that name, or null.
    TjxParameter* Find(QStringView name) const;
    bool InList(QStringView name) const { return Find(name) != nullptr; }

    // A new parameter child of that name; EParameterError when the name is taken.
    TjxParameter* AddName(const QString& name);
    // AddName, then DataType and Value; on failure nothing is added.
    TjxParameter* Add(const QString& name, TjxDataType dataType, const TVarValue& value);
    void Remove(QStringView name);
    void Clear();

    bool InsertMode() const { return m_insertMode; }
    void SetInsertMode(bool value) { m_insertMode = value; }

    // The parameter that Items hands out for unknown names.
    TjxParameter* Spare() const { return m_spare.get(); }

    // Copies every parameter of another list; nothing (null) clears.
    void Assign(const TPersistent* source) override;

    // Parameters read from a stream belong to the list.
    TComponent* GetChildOwner() override { return this; }

private:
    void NewSpare();
    void SpareValueSet(TjxParameter* spare);

    bool m_insertMode = true;
    std::unique_ptr<TjxParameter> m_spare;
    std::unique_ptr<TjxParameter> m_retired;  // a spare replaced while its SetValue still runs
};

} // namespace orvane
