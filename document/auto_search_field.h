#pragma once

// Search criteria on data fields that the end user may edit just before a
// report prints; the application applies them to its data.

#include "document/data_type.h"
#include "document/graphic_objects.h"
#include "document/relative.h"

#include <QObject>
#include <QPointer>
#include <vector>

namespace orvane {

class TStrings;

// The toolkit's text alignment.

enum TjxSortOrderType : uint8_t { soAscending, soDescending };
const TTypeInfo& SortOrderTypeType();

enum TjxSearchOperatorType : uint8_t {
    soEqual, soNotEqual, soLessThan, soLessThanOrEqualTo, soGreaterThan, soGreaterThanOrEqualTo, soLike, soNotLike,
    soBetween, soNotBetween, soInList, soNotInList, soBlank, soNotBlank
};
const TTypeInfo& SearchOperatorTypeType();

// The words of an operator in descriptions; date types read "is before" where
// others read "is less than".
QString SearchOperatorText(TjxSearchOperatorType op, TjxDataType dataType);

class TjxAutoSearchField : public TjxRelative {
    ORVANE_CLASS(TjxAutoSearchField, TjxRelative)
public:
    explicit TjxAutoSearchField(TComponent* owner = nullptr);
    ~TjxAutoSearchField() override;

    // Published, in stream order.
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment v) { Store(m_alignment, v, "Alignment"); }
    QString FieldAlias() const { return m_fieldAlias; }
    void SetFieldAlias(const QString& v) { Store(m_fieldAlias, v, "FieldAlias"); }
    QString FieldName() const { return m_fieldName; }
    // The alias follows while it equals the old field name.
    void SetFieldName(const QString& v);
    int FieldLength() const { return m_fieldLength; }
    void SetFieldLength(int v) { Store(m_fieldLength, v, "FieldLength"); }
    bool IsDetail() const { return m_isDetail; }
    void SetIsDetail(bool v) { Store(m_isDetail, v, "IsDetail"); }
    bool Linkable() const { return m_linkable; }
    void SetLinkable(bool v) { Store(m_linkable, v, "Linkable"); }
    int GroupOrder() const { return m_groupOrder; }
    void SetGroupOrder(int v) { Store(m_groupOrder, v, "GroupOrder"); }
    TjxDataType DataType() const { return m_dataType; }
    void SetDataType(TjxDataType v) { Store(m_dataType, v, "DataType"); }
    QString DisplayFormat() const { return m_displayFormat; }
    void SetDisplayFormat(const QString& v) { Store(m_displayFormat, v, "DisplayFormat"); }
    int DisplayWidth() const { return m_displayWidth; }
    void SetDisplayWidth(int v) { Store(m_displayWidth, v, "DisplayWidth"); }
    bool Mandatory() const { return m_mandatory; }
    // A mandatory field never shows all values, and the other way round.
    void SetMandatory(bool v);
    bool Selectable() const { return m_selectable; }
    void SetSelectable(bool v) { Store(m_selectable, v, "Selectable"); }
    int SelectOrder() const { return m_selectOrder; }
    void SetSelectOrder(int v) { Store(m_selectOrder, v, "SelectOrder"); }
    bool Searchable() const { return m_searchable; }
    void SetSearchable(bool v) { Store(m_searchable, v, "Searchable"); }
    bool Search() const { return m_search; }
    void SetSearch(bool v) { Store(m_search, v, "Search"); }
    int SearchOrder() const { return m_searchOrder; }
    void SetSearchOrder(int v) { Store(m_searchOrder, v, "SearchOrder"); }
    QString SearchExpression() const { return m_searchExpression; }
    void SetSearchExpression(const QString& v);
    bool ShowAllValues() const { return m_showAllValues; }
    void SetShowAllValues(bool v);
    bool Sortable() const { return m_sortable; }
    void SetSortable(bool v) { Store(m_sortable, v, "Sortable"); }
    bool Sort() const { return m_sort; }
    void SetSort(bool v) { Store(m_sort, v, "Sort"); }
    int SortOrder() const { return m_sortOrder; }
    void SetSortOrder(int v) { Store(m_sortOrder, v, "SortOrder"); }
    TjxSortOrderType SortType() const { return m_sortType; }
    void SetSortType(TjxSortOrderType v) { Store(m_sortType, v, "SortType"); }
    QString SortExpression() const { return m_sortExpression; }
    void SetSortExpression(const QString& v) { Store(m_sortExpression, v, "SortExpression"); }
    QString TableAlias() const { return m_tableAlias; }
    void SetTableAlias(const QString& v) { Store(m_tableAlias, v, "TableAlias"); }
    QString TableName() const { return m_tableName; }
    void SetTableName(const QString& v) { Store(m_tableName, v, "TableName"); }
    QString Delimiter() const { return m_delimiter; }
    void SetDelimiter(const QString& v) { Store(m_delimiter, v, "Delimiter"); }
    TjxSearchOperatorType SearchOperator() const { return m_searchOperator; }
    void SetSearchOperator(TjxSearchOperatorType v);
    QString WildCard() const { return m_wildCard; }
    void SetWildCard(const QString& v) { Store(m_wildCard, v, "WildCard"); }

    // Not stored.
    QString DataPipelineName() const { return m_dataPipelineName; }
    void SetDataPipelineName(const QString& v);
    bool CriteriaEnabled() const { return m_criteriaEnabled; }
    void SetCriteriaEnabled(bool v);
    void DisableCriteria() { SetCriteriaEnabled(false); }
    // Whether the field's clause opens a description ("Show all data where the").
    bool FirstField() const { return m_firstField; }
    void SetFirstField(bool v) { m_firstField = v; }
    // Links that clear themselves when the other side is destroyed.
    TComponent* DataPipeline() const { return m_dataPipeline; }
    void SetDataPipeline(TComponent* pipeline);
    // The data-access component whose published Description and
    // AutoSearchTabOrder group the field in the dialog.
    TComponent* GroupingObject() const { return m_groupingObject; }
    void SetGroupingObject(TComponent* object);
    // The dialog's panel for the field and the container it sits in.
    QObject* Panel() const { return m_panel; }
    void SetPanel(QObject* panel) { m_panel = panel; }
    QObject* Container() const { return m_container; }
    void SetContainer(QObject* container) { m_container = container; }

    // Called after Mandatory, ShowAllValues, FieldName, SearchExpression,
    // SearchOperator, the pipeline name or the enabled flag changed (not while reading).
    std::function<void(TjxAutoSearchField* field)> OnChange;

    // The search values: SearchExpression split at every "," (a trailing
    // empty piece is dropped), each converted by DataType. An index beyond the
    // values gives the empty text; text unsuitable for DataType raises EConvertError.
    QStringList SearchValues() const;
    int ValueCount() const { return int(SearchValues().size()); }
    TVarValue Values(int index) const;
    TVarValue Value() const { return Values(0); }

    QString OperatorText() const { return SearchOperatorText(m_searchOperator, m_dataType); }
    // The field's clause of a description, opened for the first field or as a continuation.
    QString Description(bool first) const;
    QString Description() const { return Description(m_firstField); }
    // "Show all values of the <name> field." for this field.
    QString ShowAllValuesCaption() const;

    // Every published property. The position is taken only between fields of
    // the same parent, so that copying never reorders another tree.
    void Assign(const TPersistent* source) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    template <class V>
    void Store(V& member, const V& value, const char* propertyName)
    {
        if (member == value)
            return;
        if (IsReadingOrLoading()) {
            member = value;
            return;
        }
        NotifyDesignerPropertyChange(QString::fromLatin1(propertyName));
        member = value;
        Modified();
    }
    void Changed();
    void RefreshUserName();

    TAlignment m_alignment = taLeftJustify;
    QString m_fieldAlias;
    QString m_fieldName;
    int m_fieldLength = 10;
    bool m_isDetail = false;
    bool m_linkable = true;
    int m_groupOrder = -1;
    TjxDataType m_dataType = dtString;
    QString m_displayFormat;
    int m_displayWidth = 10;
    bool m_mandatory = false;
    bool m_selectable = true;
    int m_selectOrder = -1;
    bool m_searchable = true;
    bool m_search = false;
    int m_searchOrder = -1;
    QString m_searchExpression;
    bool m_showAllValues = false;
    bool m_sortable = true;
    bool m_sort = false;
    int m_sortOrder = -1;
    TjxSortOrderType m_sortType = soAscending;
    QString m_sortExpression;
    QString m_tableAlias;
    QString m_tableName;
    QString m_delimiter;
    TjxSearchOperatorType m_searchOperator = soEqual;
    QString m_wildCard;

    QString m_dataPipelineName;
    bool m_criteriaEnabled = true;
    bool m_firstField = false;
    TComponent* m_dataPipeline = nullptr;
    TComponent* m_groupingObject = nullptr;
    QPointer<QObject> m_panel;
    QPointer<QObject> m_container;
};

// Operations the report offers over its field list.

// The clauses of all fields joined with one blank; the first field opens.
QString AutoSearchDescription(const std::vector<TjxAutoSearchField*>& fields);
// One line per field with a search expression; the first line opens.
void GetAutoSearchDescriptionLines(const std::vector<TjxAutoSearchField*>& fields, TStrings& lines);
// The first field of that pipeline name and field name (case-insensitive), or null.
TjxAutoSearchField* FindAutoSearchField(const std::vector<TjxAutoSearchField*>& fields, QStringView dataPipelineName,
                                        QStringView fieldName);

// Checks a search value typed for a field of a data type: empty when it is
// acceptable, otherwise the message to show beside the entry.
QString AutoSearchValueError(const QString& text, TjxDataType dataType);
// The same with the mandatory rule of a field.
QString AutoSearchEntryError(const TjxAutoSearchField& field, const QString& text);

} // namespace orvane
