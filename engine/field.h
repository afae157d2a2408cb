#pragma once

#include "document/auto_search_field.h"
#include "document/data_type.h"
#include "document/graphic_objects.h"
#include "document/relative.h"

#include <QImage>

namespace orvane {

class TjxDataPipeline;

// One field of a data pipeline: how it is shown, searched and sorted. Values
// come from the owning pipeline.
class TjxField : public TjxRelative {
    ORVANE_CLASS(TjxField, TjxRelative)
public:
    explicit TjxField(TComponent* owner = nullptr);
    TjxField* AsField() const override { return const_cast<TjxField*>(this); }

    TjxDataPipeline* DataPipeline() const;

    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment v) { SetField(m_alignment, v, "Alignment"); }
    TjxDataType DataType() const { return m_dataType; }
    // Raises when the pipeline cannot hold values of the type.
    void SetDataType(TjxDataType v);
    const QString& DisplayFormat() const { return m_displayFormat; }
    void SetDisplayFormat(const QString& v) { SetField(m_displayFormat, v, "DisplayFormat"); }
    int DisplayWidth() const { return m_displayWidth; }
    void SetDisplayWidth(int v) { SetField(m_displayWidth, v, "DisplayWidth"); }
    const QString& FieldAlias() const { return m_fieldAlias; }
    void SetFieldAlias(const QString& v) { SetField(m_fieldAlias, v, "FieldAlias"); }
    int FieldLength() const { return m_fieldLength; }
    void SetFieldLength(int v) { SetField(m_fieldLength, v, "FieldLength"); }
    const QString& FieldName() const { return m_fieldName; }
    // The alias follows the name while it was the name.
    void SetFieldName(const QString& v);
    int GroupOrder() const { return m_groupOrder; }
    void SetGroupOrder(int v) { SetField(m_groupOrder, v, "GroupOrder"); }
    bool IsDetail() const { return m_isDetail; }
    void SetIsDetail(bool v) { SetField(m_isDetail, v, "IsDetail"); }
    bool Linkable() const { return m_linkable; }
    void SetLinkable(bool v) { SetField(m_linkable, v, "Linkable"); }
    bool Mandatory() const { return m_mandatory; }
    void SetMandatory(bool v);
    int FieldPosition() const { return m_position; }
    void SetFieldPosition(int v) { SetField(m_position, v, "Position"); }
    bool Search() const { return m_search; }
    void SetSearch(bool v) { SetField(m_search, v, "Search"); }
    const QString& SearchExpression() const { return m_searchExpression; }
    void SetSearchExpression(const QString& v) { SetField(m_searchExpression, v, "SearchExpression"); }
    int SearchOrder() const { return m_searchOrder; }
    void SetSearchOrder(int v) { SetField(m_searchOrder, v, "SearchOrder"); }
    bool Searchable() const { return m_searchable; }
    void SetSearchable(bool v) { SetField(m_searchable, v, "Searchable"); }
    int SelectOrder() const { return m_selectOrder; }
    void SetSelectOrder(int v) { SetField(m_selectOrder, v, "SelectOrder"); }
    bool Selectable() const { return m_selectable; }
    void SetSelectable(bool v) { SetField(m_selectable, v, "Selectable"); }
    bool ShowAllValues() const { return m_showAllValues; }
    void SetShowAllValues(bool v);
    bool Sort() const { return m_sort; }
    void SetSort(bool v) { SetField(m_sort, v, "Sort"); }
    const QString& SortExpression() const { return m_sortExpression; }
    void SetSortExpression(const QString& v) { SetField(m_sortExpression, v, "SortExpression"); }
    int SortOrder() const { return m_sortOrder; }
    void SetSortOrder(int v) { SetField(m_sortOrder, v, "SortOrder"); }
    TjxSortOrderType SortType() const { return m_sortType; }
    void SetSortType(TjxSortOrderType v) { SetField(m_sortType, v, "SortType"); }
    bool Sortable() const { return m_sortable; }
    void SetSortable(bool v) { SetField(m_sortable, v, "Sortable"); }
    const QString& TableAlias() const { return m_tableAlias; }
    void SetTableAlias(const QString& v) { SetField(m_tableAlias, v, "TableAlias"); }
    const QString& TableName() const { return m_tableName; }
    void SetTableName(const QString& v) { SetField(m_tableName, v, "TableName"); }

    // Values, read through the pipeline.
    double AsDouble() const;
    QImage AsPicture() const;
    QString AsString() const;
    bool IsNull() const;
    TVarValue Value() const;

    bool operator==(const TjxField& other) const;

private:
    TAlignment m_alignment = taLeftJustify;
    TjxDataType m_dataType = dtString;
    QString m_displayFormat;
    int m_displayWidth = 10;
    QString m_fieldAlias;
    int m_fieldLength = 10;
    QString m_fieldName;
    int m_groupOrder = -1;
    bool m_isDetail = false;
    bool m_linkable = true;
    bool m_mandatory = false;
    int m_position = -1;
    bool m_search = false;
    QString m_searchExpression;
    int m_searchOrder = -1;
    bool m_searchable = true;
    int m_selectOrder = -1;
    bool m_selectable = true;
    bool m_showAllValues = false;
    bool m_sort = false;
    QString m_sortExpression;
    int m_sortOrder = -1;
    TjxSortOrderType m_sortType = soAscending;
    bool m_sortable = true;
    QString m_tableAlias;
    QString m_tableName;
};

} // namespace orvane
