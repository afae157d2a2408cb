// Auto-search fields: their stream, the rules between their properties,
// search values, descriptions, entry checks and the dialog's groups.

#include "test_classes.h"
#include "tests/support/data_view.h"

#include "document/auto_search_group.h"
#include "document/errors.h"
#include "document/stream_reader.h"
#include "document/stream_text.h"
#include "document/stream_writer.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

TjxAutoSearchField* NewField(TComponent* owner, const QString& alias, TjxSearchOperatorType op,
                             const QString& expression, TjxDataType type = dtString)
{
    auto* f = new TjxAutoSearchField(owner);
    f->SetFieldName(alias);
    f->SetSearchOperator(op);
    f->SetSearchExpression(expression);
    f->SetDataType(type);
    return f;
}

} // namespace

TEST(AutoSearchStream, FieldWritesItsPropertiesInOrderAndReadsBack)
{
    TTestForm form;
    form.SetName(QStringLiteral("Form1"));
    auto* holder = new TjxTestLabel(&form);
    holder->SetName(QStringLiteral("jxLabel1"));
    auto* f = new TjxAutoSearchField(&form);
    f->SetName(QStringLiteral("jxAutoSearchField1"));
    f->SetParent(holder);
    f->SetAlignment(taRightJustify);
    f->SetFieldName(QStringLiteral("CUST_NAME"));
    f->SetFieldAlias(QStringLiteral("Customer name"));
    f->SetFieldLength(30);
    f->SetIsDetail(true);
    f->SetLinkable(false);
    f->SetGroupOrder(2);
    f->SetMandatory(true);
    f->SetSearchExpression(QStringLiteral("Sm"));
    f->SetSortType(soDescending);
    f->SetTableName(QStringLiteral("customer"));
    f->SetSearchOperator(soLike);
    f->SetWildCard(QStringLiteral("%"));
    f->SetDataPipelineName(QStringLiteral("plCustomer"));  // not stored

    const QByteArray bytes = WriteComponentToBytes(holder, &form);
    QByteArray text;
    ObjectBinaryToText(bytes, text);
    EXPECT_EQ(text,
              "object jxLabel1: TjxTestLabel\r\n"
              "  UserName = 'Label1'\r\n"
              "  object jxAutoSearchField1: TjxAutoSearchField\r\n"
              "    Alignment = taRightJustify\r\n"
              "    FieldAlias = 'Customer name'\r\n"
              "    FieldName = 'CUST_NAME'\r\n"
              "    FieldLength = 30\r\n"
              "    IsDetail = True\r\n"
              "    Linkable = False\r\n"
              "    GroupOrder = 2\r\n"
              "    DisplayWidth = 10\r\n"
              "    Mandatory = True\r\n"
              "    Position = 0\r\n"
              "    SearchExpression = 'Sm'\r\n"
              "    SortType = soDescending\r\n"
              "    TableName = 'customer'\r\n"
              "    SearchOperator = soLike\r\n"
              "    WildCard = '%'\r\n"
              "  end\r\n"
              "end\r\n");

    TTestForm form2;
    auto* holder2 = dynamic_cast<TjxTestLabel*>(ReadComponentFromBytes(bytes, nullptr, &form2));
    ASSERT_NE(holder2, nullptr);
    ASSERT_EQ(holder2->ChildCount(), 1);
    auto* g = dynamic_cast<TjxAutoSearchField*>(holder2->Child(0));
    ASSERT_NE(g, nullptr);
    for (const TPropInfo& prop : TjxAutoSearchField::StaticClass().properties)
        EXPECT_EQ(g->GetPropertyValue(prop.name), f->GetPropertyValue(prop.name)) << prop.name.toStdString();
    EXPECT_TRUE(g->DataPipelineName().isEmpty());
    EXPECT_TRUE(g->CriteriaEnabled());
    EXPECT_EQ(WriteComponentToBytes(holder2, &form2), bytes);
}

TEST(AutoSearchStream, AnEmptyAliasStaysEmptyWhenRead)
{
    // Reading only stores: the alias must not follow the field name read after it.
    TTestForm form;
    auto* f = new TjxAutoSearchField(&form);
    f->SetName(QStringLiteral("jxAutoSearchField1"));
    f->SetFieldName(QStringLiteral("CODE"));
    f->SetFieldAlias(QString());
    const QByteArray bytes = WriteComponentToBytes(f, &form);
    TTestForm form2;
    auto* g = dynamic_cast<TjxAutoSearchField*>(ReadComponentFromBytes(bytes, nullptr, &form2));
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->FieldName(), u"CODE");
    EXPECT_TRUE(g->FieldAlias().isEmpty());
}

TEST(AutoSearchField, PropertyRulesAndTheChangeHook)
{
    TjxAutoSearchField f;
    EXPECT_EQ(f.FieldLength(), 10);
    EXPECT_EQ(f.DisplayWidth(), 10);
    EXPECT_EQ(f.Position(), -1);
    int changes = 0;
    f.OnChange = [&](TjxAutoSearchField*) { ++changes; };

    f.SetShowAllValues(true);
    f.SetMandatory(true);
    EXPECT_FALSE(f.ShowAllValues());
    f.SetShowAllValues(true);
    EXPECT_FALSE(f.Mandatory());
    EXPECT_EQ(changes, 3);

    // The alias follows the field name only while it equals it.
    f.SetFieldName(QStringLiteral("A"));
    EXPECT_EQ(f.FieldAlias(), u"A");
    f.SetFieldAlias(QStringLiteral("Alias"));
    f.SetFieldName(QStringLiteral("B"));
    EXPECT_EQ(f.FieldAlias(), u"Alias");
    EXPECT_EQ(changes, 5);

    f.SetSearchExpression(QStringLiteral("x"));
    f.SetSearchOperator(soInList);
    f.SetDataPipelineName(QStringLiteral("pl"));
    f.DisableCriteria();
    EXPECT_FALSE(f.CriteriaEnabled());
    EXPECT_EQ(changes, 9);
    // Metadata and repeated values do not call the hook.
    f.SetTableName(QStringLiteral("t"));
    f.SetSortType(soDescending);
    f.SetSearchOperator(soInList);
    EXPECT_EQ(changes, 9);

    f.SetLoading();
    f.SetMandatory(true);
    f.ClearLoadingState();
    EXPECT_EQ(changes, 9);

    TjxTestLabel pipeline;
    f.SetDataPipeline(&pipeline);
    f.SetGroupingObject(&pipeline);
    {
        TjxTestLabel gone;
        f.SetGroupingObject(&gone);
    }
    EXPECT_EQ(f.GroupingObject(), nullptr);
    EXPECT_EQ(f.DataPipeline(), &pipeline);
}

TEST(AutoSearchField, SearchValuesAreSplitAndConverted)
{
    TjxAutoSearchField f;
    f.SetDataType(dtInteger);
    f.SetSearchExpression(QStringLiteral("1,2,"));
    EXPECT_EQ(f.ValueCount(), 2);
    EXPECT_EQ(f.Value(), TVarValue::Integer(1));
    EXPECT_EQ(f.Values(1), TVarValue::Integer(2));
    EXPECT_EQ(f.Values(2), TVarValue::WideString(QString()));
    EXPECT_EQ(f.Values(-1), TVarValue::WideString(QString()));
    f.SetSearchExpression(QStringLiteral("1,,x"));
    EXPECT_EQ(f.ValueCount(), 3);
    try {
        f.Values(2);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), u"'x' is not a valid integer value");
    }
    f.SetSearchExpression(QString());
    EXPECT_EQ(f.ValueCount(), 0);

    f.SetDataType(dtString);
    f.SetWildCard(QStringLiteral("%"));
    f.SetSearchExpression(QStringLiteral("Sm"));
    EXPECT_EQ(f.Value(), TVarValue::WideString(QStringLiteral("Sm%")));
    f.SetSearchExpression(QStringLiteral("Sm%,Jo"));
    EXPECT_EQ(f.Values(0), TVarValue::WideString(QStringLiteral("Sm%")));
    EXPECT_EQ(f.Values(1), TVarValue::WideString(QStringLiteral("Jo%")));

    f.SetSearchExpression(QStringLiteral("12.5, 2/29/2024"));
    f.SetDataType(dtCurrency);
    EXPECT_EQ(f.Value(), VarCurrency(125000));
    f.SetDataType(dtDouble);
    EXPECT_EQ(f.Value(), TVarValue::Double(12.5));
    f.SetDataType(dtDate);
    double leapDay = 0;
    ASSERT_TRUE(TryEncodeDate(2024, 2, 29, leapDay));
    EXPECT_EQ(f.Values(1), VarDate(leapDay));
    f.SetDataType(dtBoolean);
    EXPECT_EQ(f.Value(), TVarValue::WideString(QString()));
}

TEST(AutoSearchField, DescriptionsAreBuiltFromMessageTexts)
{
    TTestForm form;
    TjxAutoSearchField* name = NewField(&form, QStringLiteral("Name"), soLike, QStringLiteral("Sm"));
    TjxAutoSearchField* joined =
        NewField(&form, QStringLiteral("Joined"), soGreaterThanOrEqualTo, QStringLiteral("1/1/2024"), dtDate);
    TjxAutoSearchField* region = NewField(&form, QStringLiteral("Region"), soEqual, QString());
    region->SetShowAllValues(true);

    EXPECT_EQ(AutoSearchDescription({name, joined, region}),
              u"Show all data where the Name begins with Sm and the Joined is on or after 1/1/2024 "
              u"and the Region has any value.");
    EXPECT_EQ(AutoSearchDescription({region}), u"Show all data where the Region has any value.");
    EXPECT_TRUE(AutoSearchDescription({}).isEmpty());

    // A leading field without expression passes the opening on.
    TStrings lines;
    lines.Add(QStringLiteral("stale"));
    GetAutoSearchDescriptionLines({region, name, joined}, lines);
    EXPECT_EQ(lines.Lines(), QStringList({QStringLiteral("Show all data where the Name begins with Sm"),
                                          QStringLiteral("and the Joined is on or after 1/1/2024")}));

    EXPECT_EQ(SearchOperatorText(soLessThan, dtTime), u"is before");
    EXPECT_EQ(SearchOperatorText(soLessThan, dtInteger), u"is less than");
    EXPECT_EQ(SearchOperatorText(soGreaterThan, dtDateTime), u"is after");
    EXPECT_EQ(SearchOperatorText(soGreaterThan, dtString), u"is greater than");
    EXPECT_EQ(SearchOperatorText(soNotInList, dtString), u"does not match any of the values in this list");
    EXPECT_EQ(SearchOperatorText(soNotBlank, dtDate), u"is not blank");
    EXPECT_EQ(region->ShowAllValuesCaption(), u"Show all values of the Region field.");

    name->SetDataPipelineName(QStringLiteral("plCustomer"));
    joined->SetDataPipelineName(QStringLiteral("plCustomer"));
    EXPECT_EQ(FindAutoSearchField({name, joined, region}, u"PLCUSTOMER", u"joined"), joined);
    EXPECT_EQ(FindAutoSearchField({name, joined, region}, u"plOrders", u"Name"), nullptr);
}

TEST(AutoSearchField, EntriesAreCheckedAgainstTheDataType)
{
    EXPECT_EQ(AutoSearchValueError(QStringLiteral("yes"), dtBoolean), QString());
    EXPECT_EQ(AutoSearchValueError(QStringLiteral("0"), dtBoolean), QString());
    EXPECT_EQ(AutoSearchValueError(QStringLiteral("x"), dtBoolean), u"Value must be either True or False.");
    EXPECT_EQ(AutoSearchValueError(QStringLiteral("1,000.5"), dtDouble), QString());
    EXPECT_EQ(AutoSearchValueError(QStringLiteral("1.5"), dtInteger), u"1.5 is not a valid number.");
    EXPECT_EQ(AutoSearchValueError(QStringLiteral("ten"), dtCurrency), u"ten is not a valid number.");
    EXPECT_EQ(AutoSearchValueError(QStringLiteral("2/30/2024"), dtDate), u"2/30/2024 is not a valid date.");
    EXPECT_EQ(AutoSearchValueError(QStringLiteral("25:00"), dtTime), u"25:00 is not a valid time.");
    EXPECT_EQ(AutoSearchValueError(QStringLiteral("2/1/2024 x"), dtDateTime), u"2/1/2024 x is not a valid datetime.");
    EXPECT_EQ(AutoSearchValueError(QStringLiteral("2/1/2024 10:15"), dtDateTime), QString());
    EXPECT_EQ(AutoSearchValueError(QStringLiteral("anything"), dtGraphic), QString());

    TjxAutoSearchField f;
    f.SetMandatory(true);
    EXPECT_EQ(AutoSearchEntryError(f, QString()), u"Search value must be entered.");
    f.SetMandatory(false);
    EXPECT_EQ(AutoSearchEntryError(f, QString()), QString());
}

TEST(AutoSearchField, AssignCopiesEveryPublishedPropertyButMovesOnlyWithinOneParent)
{
    TjxTestLabel parentA, parentB;
    auto* a0 = new TjxAutoSearchField;
    auto* a1 = new TjxAutoSearchField;
    auto* b0 = new TjxAutoSearchField;
    a0->SetParent(&parentA);
    a1->SetParent(&parentA);
    b0->SetParent(&parentB);
    b0->SetFieldName(QStringLiteral("F"));
    b0->SetFieldAlias(QStringLiteral("Alias"));
    b0->SetShowAllValues(true);
    b0->SetDataType(dtCurrency);
    b0->SetSearchOperator(soBetween);
    b0->SetSearchExpression(QStringLiteral("1,2"));
    b0->SetDisplayWidth(7);
    b0->SetSortExpression(QStringLiteral("F desc"));

    a1->Assign(b0);
    for (const TPropInfo& prop : TjxAutoSearchField::StaticClass().properties) {
        if (prop.name != u"Position") {
            EXPECT_EQ(a1->GetPropertyValue(prop.name), b0->GetPropertyValue(prop.name)) << prop.name.toStdString();
        }
    }
    EXPECT_EQ(a1->Position(), 1);

    a1->Assign(a0);
    EXPECT_EQ(a1->Position(), 0);
    EXPECT_EQ(a1->FieldName(), QString());
    EXPECT_THROW(a1->Assign(&parentA), EConvertError);
}

TEST(AutoSearchGroups, FieldsAreCopiedIntoGroupsOfTheirGroupingObject)
{
    TTestDataView customers, orders;
    customers.SetDescription(QStringLiteral("Customers"));
    customers.SetAutoSearchTabOrder(2);
    orders.SetDescription(QStringLiteral("Orders"));
    auto* doomed = new TTestDataView;
    doomed->SetDescription(QStringLiteral("Doomed"));

    TTestForm form;
    TjxAutoSearchField* f1 = NewField(&form, QStringLiteral("Name"), soEqual, QStringLiteral("a"));
    TjxAutoSearchField* f2 = NewField(&form, QStringLiteral("Free"), soEqual, QStringLiteral("b"));
    TjxAutoSearchField* f3 = NewField(&form, QStringLiteral("City"), soEqual, QStringLiteral("c"));
    TjxAutoSearchField* f4 = NewField(&form, QStringLiteral("Total"), soEqual, QStringLiteral("d"));
    TjxAutoSearchField* f5 = NewField(&form, QStringLiteral("Gone"), soEqual, QStringLiteral("e"));
    f1->SetGroupingObject(&customers);
    f3->SetGroupingObject(&customers);
    f4->SetGroupingObject(&orders);
    f5->SetGroupingObject(doomed);
    {
        TjxAutoSearchGroups groups;
        groups.AddFields({f1, f2, f3, f4, f5});
        ASSERT_EQ(groups.GroupCount(), 4);
        EXPECT_EQ(groups.Groups(0)->Description(), u"Customers");
        EXPECT_EQ(groups.Groups(0)->TabOrder(), 2);
        EXPECT_EQ(groups.Groups(1)->Description(), QString());
        EXPECT_EQ(groups.Groups(2)->Description(), u"Orders");
        ASSERT_EQ(groups.Groups(0)->FieldCount(), 2);
        TjxAutoSearchField* copy = groups.Groups(0)->Fields(1);
        EXPECT_NE(copy, f3);
        EXPECT_EQ(copy->FieldName(), u"City");
        EXPECT_EQ(copy->SearchExpression(), u"c");
        copy->SetSearchExpression(QStringLiteral("changed"));
        EXPECT_EQ(f3->SearchExpression(), u"c");

        // "%8d" order: 0 before -1, 9 before 10; equal keys keep their order.
        groups.Groups(3)->SetTabOrder(-1);
        groups.SortByTabOrder();
        EXPECT_EQ(groups.Groups(0)->Description(), QString());
        EXPECT_EQ(groups.Groups(1)->Description(), u"Orders");
        EXPECT_EQ(groups.Groups(2)->Description(), u"Customers");
        EXPECT_EQ(groups.Groups(3)->Description(), u"Doomed");
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(groups.Groups(i)->TabOrder(), i);

        groups.ExchangeGroups(1, 2);
        EXPECT_EQ(groups.Groups(1)->Description(), u"Customers");
        EXPECT_EQ(groups.Groups(1)->TabOrder(), 1);
        EXPECT_EQ(groups.Groups(2)->TabOrder(), 2);
        delete doomed;  // its group forgets it
    }
    // Destroyed groups hand their tab order back.
    EXPECT_EQ(customers.AutoSearchTabOrder(), 1);
    EXPECT_EQ(orders.AutoSearchTabOrder(), 2);
}
