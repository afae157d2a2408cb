#include "document/auto_search_field.h"

#include "document/class_registry.h"
#include "document/event_ids.h"
#include "document/messages.h"
#include "document/strings.h"

namespace orvane {


const TTypeInfo& SortOrderTypeType()
{
    static const TTypeInfo& t = EnumType("TjxSortOrderType", {"soAscending", "soDescending"});
    return t;
}

const TTypeInfo& SearchOperatorTypeType()
{
    static const TTypeInfo& t =
        EnumType("TjxSearchOperatorType",
                 {"soEqual", "soNotEqual", "soLessThan", "soLessThanOrEqualTo", "soGreaterThan",
                  "soGreaterThanOrEqualTo", "soLike", "soNotLike", "soBetween", "soNotBetween", "soInList",
                  "soNotInList", "soBlank", "soNotBlank"});
    return t;
}

QString SearchOperatorText(TjxSearchOperatorType op, TjxDataType dataType)
{
    const bool dates = dataType == dtDate || dataType == dtTime || dataType == dtDateTime;
    // Message numbers: date wording, other wording.
    static const int numbers[][2] = {
        {92, 93},     {94, 95},     {96, 97},     {98, 99},     {100, 1000},  {1001, 1002}, {1003, 1003},
        {1004, 1004}, {1005, 1005}, {1006, 1006}, {1007, 1007}, {1027, 1027}, {1008, 1008}, {1009, 1009},
    };
    if (op > soNotBlank)
        return {};
    return GetMessage(numbers[op][dates ? 0 : 1]);
}

const TClassInfo& TjxAutoSearchField::StaticClass()
{
    using F = TjxAutoSearchField;
    static const TClassInfo info =
        TClassBuilder<F>("TjxAutoSearchField", &TjxRelative::StaticClass())
            .Creatable()
            .Prop("Alignment", AlignmentType(), &F::Alignment, &F::SetAlignment).Default(taLeftJustify)
            .Prop("FieldAlias", StringType(), &F::FieldAlias, &F::SetFieldAlias)
            .Prop("FieldName", StringType(), &F::FieldName, &F::SetFieldName)
            .Prop("FieldLength", IntegerType(), &F::FieldLength, &F::SetFieldLength).NoDefault()
            .Prop("IsDetail", BooleanType(), &F::IsDetail, &F::SetIsDetail).Default(0)
            .Prop("Linkable", BooleanType(), &F::Linkable, &F::SetLinkable).Default(1)
            .Prop("GroupOrder", IntegerType(), &F::GroupOrder, &F::SetGroupOrder).Default(-1)
            .Prop("DataType", DataTypeType(), &F::DataType, &F::SetDataType).Default(dtString)
            .Prop("DisplayFormat", StringType(), &F::DisplayFormat, &F::SetDisplayFormat)
            .Prop("DisplayWidth", IntegerType(), &F::DisplayWidth, &F::SetDisplayWidth).NoDefault()
            .Prop("Mandatory", BooleanType(), &F::Mandatory, &F::SetMandatory).Default(0)
            .Prop("Position", IntegerType(), &F::Position, &F::SetPosition).Default(-1)
            .Prop("Selectable", BooleanType(), &F::Selectable, &F::SetSelectable).Default(1)
            .Prop("SelectOrder", IntegerType(), &F::SelectOrder, &F::SetSelectOrder).Default(-1)
            .Prop("Searchable", BooleanType(), &F::Searchable, &F::SetSearchable).Default(1)
            .Prop("Search", BooleanType(), &F::Search, &F::SetSearch).Default(0)
            .Prop("SearchOrder", IntegerType(), &F::SearchOrder, &F::SetSearchOrder).Default(-1)
            .Prop("SearchExpression", StringType(), &F::SearchExpression, &F::SetSearchExpression)
            .Prop("ShowAllValues", BooleanType(), &F::ShowAllValues, &F::SetShowAllValues).Default(0)
            .Prop("Sortable", BooleanType(), &F::Sortable, &F::SetSortable).Default(1)
            .Prop("Sort", BooleanType(), &F::Sort, &F::SetSort).Default(0)
            .Prop("SortOrder", IntegerType(), &F::SortOrder, &F::SetSortOrder).Default(-1)
            .Prop("SortType", SortOrderTypeType(), &F::SortType, &F::SetSortType).Default(soAscending)
            .Prop("SortExpression", StringType(), &F::SortExpression, &F::SetSortExpression)
            .Prop("TableAlias", StringType(), &F::TableAlias, &F::SetTableAlias)
            .Prop("TableName", StringType(), &F::TableName, &F::SetTableName)
            .Prop("Delimiter", StringType(), &F::Delimiter, &F::SetDelimiter)
            .Prop("SearchOperator", SearchOperatorTypeType(), &F::SearchOperator, &F::SetSearchOperator)
            .Default(soEqual)
            .Prop("WildCard", StringType(), &F::WildCard, &F::SetWildCard)
            .Build();
    return info;
}

ORVANE_REGISTER_CLASS(TjxAutoSearchField);

TjxAutoSearchField::TjxAutoSearchField(TComponent* owner) : TjxRelative(owner) {}

TjxAutoSearchField::~TjxAutoSearchField()
{
    SetDataPipeline(nullptr);
    SetGroupingObject(nullptr);
}

void TjxAutoSearchField::Changed()
{
    if (OnChange && !IsReadingOrLoading())
        OnChange(this);
}

void TjxAutoSearchField::RefreshUserName()
{
    // Captions built from the field name and expression follow the partners' refresh.
    if (!IsReadingOrLoading())
        SendNotify(ntUserNameChanged);
}

void TjxAutoSearchField::SetFieldName(const QString& v)
{
    if (v == m_fieldName)
        return;
    if (IsReadingOrLoading()) {
        m_fieldName = v;
        return;
    }
    NotifyDesignerPropertyChange(QStringLiteral("FieldName"));
    if (m_fieldAlias == m_fieldName)
        m_fieldAlias = v;
    m_fieldName = v;
    RefreshUserName();
    Modified();
    Changed();
}

void TjxAutoSearchField::SetSearchExpression(const QString& v)
{
    if (v == m_searchExpression)
        return;
    Store(m_searchExpression, v, "SearchExpression");
    RefreshUserName();
    Changed();
}

void TjxAutoSearchField::SetMandatory(bool v)
{
    if (v == m_mandatory)
        return;
    Store(m_mandatory, v, "Mandatory");
    if (v)
        m_showAllValues = false;
    Changed();
}

void TjxAutoSearchField::SetShowAllValues(bool v)
{
    if (v == m_showAllValues)
        return;
    Store(m_showAllValues, v, "ShowAllValues");
    if (v)
        m_mandatory = false;
    Changed();
}

void TjxAutoSearchField::SetSearchOperator(TjxSearchOperatorType v)
{
    if (v == m_searchOperator)
        return;
    Store(m_searchOperator, v, "SearchOperator");
    Changed();
}

void TjxAutoSearchField::SetDataPipelineName(const QString& v)
{
    if (v == m_dataPipelineName)
        return;
    m_dataPipelineName = v;
    Changed();
}

void TjxAutoSearchField::SetCriteriaEnabled(bool v)
{
    if (v == m_criteriaEnabled)
        return;
    m_criteriaEnabled = v;
    Changed();
}

void TjxAutoSearchField::SetDataPipeline(TComponent* pipeline)
{
    if (pipeline == m_dataPipeline)
        return;
    if (m_dataPipeline && m_dataPipeline != m_groupingObject)
        RemoveFreeNotification(m_dataPipeline);
    m_dataPipeline = pipeline;
    if (pipeline)
        FreeNotification(pipeline);
}

void TjxAutoSearchField::SetGroupingObject(TComponent* object)
{
    if (object == m_groupingObject)
        return;
    if (m_groupingObject && m_groupingObject != m_dataPipeline)
        RemoveFreeNotification(m_groupingObject);
    m_groupingObject = object;
    if (object)
        FreeNotification(object);
}

void TjxAutoSearchField::Notification(TComponent* component, TOperation operation)
{
    TjxRelative::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == m_dataPipeline)
        m_dataPipeline = nullptr;
    if (component == m_groupingObject)
        m_groupingObject = nullptr;
}

QStringList TjxAutoSearchField::SearchValues() const
{
    QStringList values = m_searchExpression.split(u',');
    if (values.last().isEmpty())
        values.removeLast();
    return values;
}

TVarValue TjxAutoSearchField::Values(int index) const
{
    const QStringList values = SearchValues();
    if (index < 0 || index >= values.size())
        return TVarValue::WideString(QString());
    const QString& text = values[index];
    switch (m_dataType) {
    case dtDate: case dtTime: case dtDateTime:
        return VarDate(TextToDateTime(text, ValueFormatSettings()));
    case dtInteger: case dtLongint:
        return TVarValue::Integer(TextToInteger(text));
    case dtSingle: case dtDouble: case dtExtended:
        return TVarValue::Double(TextToFloat(text, ValueFormatSettings()));
    case dtCurrency:
        return VarCurrency(TextToCurrency(text, ValueFormatSettings()));
    case dtChar: case dtString: case dtMemo:
        if (!m_wildCard.isEmpty() && !text.contains(m_wildCard))
            return TVarValue::WideString(text + m_wildCard);
        return TVarValue::WideString(text);
    default:
        return TVarValue::WideString(QString());
    }
}

QString TjxAutoSearchField::Description(bool first) const
{
    QString clause = GetMessage(first ? 54 : 55) + u' ' + m_fieldAlias + u' ';
    if (m_showAllValues)
        clause += GetMessage(1036);
    else
        clause += OperatorText() + u' ' + m_searchExpression;
    return clause;
}

QString TjxAutoSearchField::ShowAllValuesCaption() const
{
    return FillMessage(FormatMessage(GetMessage(1033)), {m_fieldAlias});
}

void TjxAutoSearchField::Assign(const TPersistent* source)
{
    const auto* o = dynamic_cast<const TjxAutoSearchField*>(source);
    if (!o)
        return TjxRelative::Assign(source);
    if (o == this)
        return;
    const bool nameChanges = m_fieldName != o->m_fieldName || m_searchExpression != o->m_searchExpression;
    m_alignment = o->m_alignment;
    m_fieldAlias = o->m_fieldAlias;
    m_fieldName = o->m_fieldName;
    m_fieldLength = o->m_fieldLength;
    m_isDetail = o->m_isDetail;
    m_linkable = o->m_linkable;
    m_groupOrder = o->m_groupOrder;
    m_dataType = o->m_dataType;
    m_displayFormat = o->m_displayFormat;
    m_displayWidth = o->m_displayWidth;
    m_mandatory = o->m_mandatory;
    m_selectable = o->m_selectable;
    m_selectOrder = o->m_selectOrder;
    m_searchable = o->m_searchable;
    m_search = o->m_search;
    m_searchOrder = o->m_searchOrder;
    m_searchExpression = o->m_searchExpression;
    m_showAllValues = o->m_showAllValues;
    m_sortable = o->m_sortable;
    m_sort = o->m_sort;
    m_sortOrder = o->m_sortOrder;
    m_sortType = o->m_sortType;
    m_sortExpression = o->m_sortExpression;
    m_tableAlias = o->m_tableAlias;
    m_tableName = o->m_tableName;
    m_delimiter = o->m_delimiter;
    m_searchOperator = o->m_searchOperator;
    m_wildCard = o->m_wildCard;
    if (Parent() && Parent() == o->Parent())
        SetPosition(o->Position());
    if (nameChanges)
        RefreshUserName();
    if (!IsReadingOrLoading())
        Modified();
    Changed();
}

// ---- descriptions ---------------------------------------------------------------

QString AutoSearchDescription(const std::vector<TjxAutoSearchField*>& fields)
{
    QString text;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            text += u' ';
        text += fields[i]->Description(i == 0);
    }
    return text;
}

void GetAutoSearchDescriptionLines(const std::vector<TjxAutoSearchField*>& fields, TStrings& lines)
{
    lines.Clear();
    for (TjxAutoSearchField* field : fields)
        if (!field->SearchExpression().isEmpty())
            lines.Add(field->Description(lines.Count() == 0));
}

TjxAutoSearchField* FindAutoSearchField(const std::vector<TjxAutoSearchField*>& fields, QStringView dataPipelineName,
                                        QStringView fieldName)
{
    for (TjxAutoSearchField* field : fields)
        if (QStringView(field->DataPipelineName()).compare(dataPipelineName, Qt::CaseInsensitive) == 0 &&
            QStringView(field->FieldName()).compare(fieldName, Qt::CaseInsensitive) == 0)
            return field;
    return nullptr;
}

QString AutoSearchValueError(const QString& text, TjxDataType dataType)
{
    if (text.isEmpty())
        return {};
    const TValueFormatSettings fs = ValueFormatSettings();
    auto invalid = [&](int message) { return text + u' ' + GetMessage(message); };
    switch (dataType) {
    case dtBoolean: {
        static const QString accepted = QStringLiteral("01FNTY");
        return accepted.contains(text.front().toUpper()) ? QString() : GetMessage(60);
    }
    case dtDate: {
        double d;
        return TryTextToDate(text, d, fs) ? QString() : invalid(56);
    }
    case dtTime: {
        double d;
        return TryTextToTime(text, d, fs) ? QString() : invalid(57);
    }
    case dtDateTime: {
        double d;
        return TryTextToDateTime(text, d, fs) ? QString() : invalid(58);
    }
    case dtInteger: case dtLongint: case dtSingle: case dtDouble: case dtExtended: case dtCurrency: {
        QString plain = text;
        plain.remove(fs.thousandSeparator);
        // Whole-number fields take whole numbers only, so that the search
        // values convert when the report reads them.
        int64_t i;
        double d;
        const bool whole = dataType == dtInteger || dataType == dtLongint;
        const bool ok = whole ? TryTextToInteger(plain, i) : TryTextToFloat(plain, d, fs);
        return ok ? QString() : invalid(59);
    }
    default:
        return {};
    }
}

QString AutoSearchEntryError(const TjxAutoSearchField& field, const QString& text)
{
    if (text.isEmpty())
        return field.Mandatory() ? GetMessage(61) : QString();
    return AutoSearchValueError(text, field.DataType());
}

} // namespace orvane
