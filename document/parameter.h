#pragma once

#include "document/data_type.h"
#include "document/relative.h"
#include "document/strings.h"

#include <memory>

namespace orvane {

// A named, typed value that the application or the report's handlers set
// before printing. The name is the component name.
class TjxParameter : public TjxRelative {
    ORVANE_CLASS(TjxParameter, TjxRelative)
public:
    explicit TjxParameter(TComponent* owner = nullptr);
    ~TjxParameter() override;

    static bool IsSupportedDataType(TjxDataType type);

    TjxDataType DataType() const { return m_dataType; }
    // Unsupported types raise EParameterError. Outside reading the value is
    // carried over to the new type; a value that cannot be converted raises
    // EConvertError and leaves the parameter as it was.
    void SetDataType(TjxDataType type);

    // Null while IsNull (a null parameter streams as Null and stays null).
    TVarValue Value() const;
    // Null or unassigned only sets IsNull; anything else is converted to the
    // kind of DataType, stored, and announced through the value-set hook.
    virtual void SetValue(const TVarValue& value);
    bool IsNull() const { return m_isNull; }

    // Created on first use.
    TStrings* PickList() const;
    void SetPickList(TStrings* value);
    bool HasPickList() const { return m_pickList != nullptr; }

    void Assign(const TPersistent* source) override;

    virtual TjxDataType DataTypeOfValueKind(TVarValue::Kind kind) const;
    virtual TVarValue::Kind ValueKindOfDataType(TjxDataType type) const;

    // Called after a non-null value was stored (the list's spare parameter uses it).
    std::function<void(TjxParameter* parameter)> OnValueSet;

protected:
    virtual void ValueSet();

private:
    TjxDataType m_dataType = dtString;
    TVarValue m_value;
    bool m_isNull = false;
    mutable std::unique_ptr<TStrings> m_pickList;
};

} // namespace orvane
