#include "engine/field.h"

#include "document/class_registry.h"
#include "document/errors.h"
#include "document/stream_reader.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "engine/data_pipeline.h"

namespace orvane {

const TClassInfo& TjxField::StaticClass()
{
    using T = TjxField;
    static const TClassInfo info =
        TClassBuilder<T>("TjxField", &TjxRelative::StaticClass())
            .Creatable()
            .Prop("Alignment", AlignmentType(), &T::Alignment, &T::SetAlignment).Default(taLeftJustify)
            .Prop("DataType", DataTypeType(), &T::DataType, &T::SetDataType).Default(dtString)
            .Prop("DisplayFormat", StringType(), &T::DisplayFormat, &T::SetDisplayFormat)
            .Prop("DisplayWidth", IntegerType(), &T::DisplayWidth, &T::SetDisplayWidth).Default(10)
            .Prop("FieldAlias", StringType(), &T::FieldAlias, &T::SetFieldAlias)
            .Prop("FieldLength", IntegerType(), &T::FieldLength, &T::SetFieldLength).Default(10)
            .Prop("FieldName", StringType(), &T::FieldName, &T::SetFieldName)
            .Prop("GroupOrder", IntegerType(), &T::GroupOrder, &T::SetGroupOrder).Default(-1)
            .Prop("IsDetail", BooleanType(), &T::IsDetail, &T::SetIsDetail).Default(0)
            .Prop("Linkable", BooleanType(), &T::Linkable, &T::SetLinkable).Default(1)
            .Prop("Mandatory", BooleanType(), &T::Mandatory, &T::SetMandatory).Default(0)
            .Prop("Position", IntegerType(), &T::FieldPosition, &T::SetFieldPosition).Default(-1)
            .Prop("Search", BooleanType(), &T::Search, &T::SetSearch).Default(0)
            .Prop("SearchExpression", StringType(), &T::SearchExpression, &T::SetSearchExpression)
            .Prop("SearchOrder", IntegerType(), &T::SearchOrder, &T::SetSearchOrder).Default(-1)
            .Prop("Searchable", BooleanType(), &T::Searchable, &T::SetSearchable).Default(1)
            .Prop("SelectOrder", IntegerType(), &T::SelectOrder, &T::SetSelectOrder).Default(-1)
            .Prop("Selectable", BooleanType(), &T::Selectable, &T::SetSelectable).Default(1)
            .Prop("ShowAllValues", BooleanType(), &T::ShowAllValues, &T::SetShowAllValues).Default(0)
            .Prop("Sort", BooleanType(), &T::Sort, &T::SetSort).Default(0)
            .Prop("SortExpression", StringType(), &T::SortExpression, &T::SetSortExpression)
            .Prop("SortOrder", IntegerType(), &T::SortOrder, &T::SetSortOrder).Default(-1)
            .Prop("SortType", SortOrderTypeType(), &T::SortType, &T::SetSortType).Default(soAscending)
            .Prop("Sortable", BooleanType(), &T::Sortable, &T::SetSortable).Default(1)
            .Prop("TableAlias", StringType(), &T::TableAlias, &T::SetTableAlias)
            .Prop("TableName", StringType(), &T::TableName, &T::SetTableName)
            .Defined("Visible", [](T&, TReader& r) { r.ReadBoolean(); }, nullptr, [](const T&) { return false; })
            .Build();
    return info;
}

ORVANE_REGISTER_CLASS(TjxField);

TjxField::TjxField(TComponent* owner) : TjxRelative(owner) {}

TjxDataPipeline* TjxField::DataPipeline() const
{
    return dynamic_cast<TjxDataPipeline*>(Parent());
}

void TjxField::SetDataType(TjxDataType v)
{
    if (TjxDataPipeline* p = DataPipeline(); p && !p->SupportsDataType(v))
        throw EInvalidPropertyError(MessageText(msg::DataTypeNotSupported, {p->ClassInfo().className}));
    SetField(m_dataType, v, "DataType");
}

void TjxField::SetFieldName(const QString& v)
{
    if (m_fieldAlias == m_fieldName)
        SetField(m_fieldAlias, v, "FieldAlias");
    SetField(m_fieldName, v, "FieldName");
}

void TjxField::SetMandatory(bool v)
{
    SetField(m_mandatory, v, "Mandatory");
    if (v)
        SetField(m_showAllValues, false, "ShowAllValues");
}

void TjxField::SetShowAllValues(bool v)
{
    SetField(m_showAllValues, v, "ShowAllValues");
    if (v)
        SetField(m_mandatory, false, "Mandatory");
}

double TjxField::AsDouble() const
{
    TjxDataPipeline* p = DataPipeline();
    return p ? p->GetFieldAsDouble(m_fieldName) : 0;
}

QImage TjxField::AsPicture() const
{
    TjxDataPipeline* p = DataPipeline();
    return p ? p->GetFieldAsPicture(m_fieldName) : QImage();
}

QString TjxField::AsString() const
{
    TjxDataPipeline* p = DataPipeline();
    return p ? p->GetFieldAsString(m_fieldName) : QString();
}

bool TjxField::IsNull() const
{
    TjxDataPipeline* p = DataPipeline();
    return p ? p->IsNull(m_fieldName) : true;
}

TVarValue TjxField::Value() const
{
    TjxDataPipeline* p = DataPipeline();
    return p ? p->GetFieldValue(m_fieldName) : TVarValue::Null();
}

bool TjxField::operator==(const TjxField& o) const
{
    return m_alignment == o.m_alignment && m_dataType == o.m_dataType && m_displayFormat == o.m_displayFormat &&
           m_displayWidth == o.m_displayWidth && m_fieldAlias == o.m_fieldAlias && m_fieldLength == o.m_fieldLength &&
           m_fieldName == o.m_fieldName && m_groupOrder == o.m_groupOrder && m_isDetail == o.m_isDetail &&
           m_linkable == o.m_linkable && m_mandatory == o.m_mandatory && m_position == o.m_position &&
           m_search == o.m_search && m_searchExpression == o.m_searchExpression && m_searchOrder == o.m_searchOrder &&
           m_searchable == o.m_searchable && m_selectOrder == o.m_selectOrder && m_selectable == o.m_selectable &&
           m_showAllValues == o.m_showAllValues && m_sort == o.m_sort && m_sortExpression == o.m_sortExpression &&
           m_sortOrder == o.m_sortOrder && m_sortType == o.m_sortType && m_sortable == o.m_sortable &&
           m_tableAlias == o.m_tableAlias && m_tableName == o.m_tableName;
}

} // namespace orvane
