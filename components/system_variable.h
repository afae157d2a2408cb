#pragma once

// System variables: the date, the time, the document name and the page
// numbers of the page being made.

#include "components/variable.h"
#include "output/draw_other.h"

#include <QDateTime>

namespace orvane {

// The data type of a system variable's value.
TjxDataType SystemVariableDataType(TjxVarType type);
// A system variable's value from the page numbers, clocks and name given.
TVarValue SystemVariableValue(TjxVarType type, int pageNo, int pageCount, const QDateTime& now,
                              const QDateTime& printDateTime, const QString& documentName);
// Its text: the text types as they are ("2 of 5", "Page 2 of 5", "Page 2"),
// the others by the display format.
QString SystemVariableText(TjxVarType type, int pageNo, int pageCount, const QDateTime& now,
                           const QDateTime& printDateTime, const QString& documentName, const QString& displayFormat);
// The system variable type a calculation type shows (ctCustom has none: vtDate).
TjxVarType VarTypeOfCalcType(TjxCalcType type);
// The name the designer gives a type ("PageSet", "DocumentName").
QString VarTypeName(TjxVarType type);

class TjxSystemVariable : public TjxCustomVariable {
    ORVANE_CLASS(TjxSystemVariable, TjxCustomVariable)
public:
    explicit TjxSystemVariable(TComponent* owner = nullptr);

    TjxVarType VarType() const { return m_varType; }
    // The page set types make the report two-pass: they need the page count.
    void SetVarType(TjxVarType value);

    TjxDataType VariableDataType() const override { return SystemVariableDataType(m_varType); }
    // While printing from the engine (pages, its clock, its print date and
    // time); in the designer as on a first page of one.
    TVarValue Value() const;
    QString FormattedText() override;
    // "PageSet: SystemVariable1" in the designer's lists.
    QString DisplayName() const;

    std::unique_ptr<TjxDrawCommand> NewDrawCommand() const override;
    void PropertiesToDrawCommand(TjxDrawCommand* command) override;

private:
    TjxVarType m_varType = vtDate;
};

} // namespace orvane
