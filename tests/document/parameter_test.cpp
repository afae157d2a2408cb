// Parameters and parameter lists: typed values, carrying values across type
// changes, the spare parameter, and their streams.

#include "test_classes.h"

#include "document/errors.h"
#include "document/parameter_list.h"
#include "document/stream_reader.h"
#include "document/stream_text.h"
#include "document/stream_writer.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

QString ErrorText(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EOrvaneError& e) {
        return e.Message();
    }
    return QStringLiteral("<no error>");
}

// A form holding a parameter list with one parameter of each supported type.
struct ListFixture {
    TTestForm form;
    TjxParameterList* list;

    ListFixture()
    {
        form.SetName(QStringLiteral("Form1"));
        list = new TjxParameterList(&form);
        list->SetName(QStringLiteral("jxParameterList1"));
        list->Add(QStringLiteral("Customer"), dtString, TVarValue::WideString(QStringLiteral("Caf\u00e9 Nord")));
        list->Add(QStringLiteral("Copies"), dtInteger, TVarValue::Integer(3));
        list->Add(QStringLiteral("Rate"), dtDouble, TVarValue::Double(2.5));
        list->Add(QStringLiteral("Draft"), dtBoolean, TVarValue::Boolean(true));
        list->Add(QStringLiteral("Amount"), dtCurrency, TVarValue::WideString(QStringLiteral("12.3456")));
        list->Add(QStringLiteral("Big"), dtLargeInt, VarInt64(int64_t(1) << 40));
        list->Add(QStringLiteral("Due"), dtDateTime, VarDate(45000.5));
        list->Add(QStringLiteral("Ratio"), dtSingle, TVarValue::Double(0.25));
        TjxParameter* region = list->AddName(QStringLiteral("Region"));
        region->PickList()->Add(QStringLiteral("North"));
        region->PickList()->Add(QStringLiteral("South"));
        region->SetValue(TVarValue::Null());
    }
};

} // namespace

TEST(ParameterStream, ListRoundTripsThroughBinaryAndTextForm)
{
    ListFixture f;
    const QByteArray bytes = WriteComponentToBytes(f.list, &f.form);
    QByteArray text;
    ObjectBinaryToText(bytes, text);
    EXPECT_EQ(text,
              "object jxParameterList1: TjxParameterList\r\n"
              "  object Customer: TjxParameter\r\n"
              "    DataType = dtString\r\n"
              "    Value = 'Caf'#233' Nord'\r\n"
              "  end\r\n"
              "  object Copies: TjxParameter\r\n"
              "    DataType = dtInteger\r\n"
              "    Value = 3\r\n"
              "  end\r\n"
              "  object Rate: TjxParameter\r\n"
              "    DataType = dtDouble\r\n"
              "    Value = 2.500000000000000000\r\n"
              "  end\r\n"
              "  object Draft: TjxParameter\r\n"
              "    DataType = dtBoolean\r\n"
              "    Value = True\r\n"
              "  end\r\n"
              "  object Amount: TjxParameter\r\n"
              "    DataType = dtCurrency\r\n"
              "    Value = 12.3456c\r\n"
              "  end\r\n"
              "  object Big: TjxParameter\r\n"
              "    DataType = dtLargeInt\r\n"
              "    Value = 1099511627776\r\n"
              "  end\r\n"
              "  object Due: TjxParameter\r\n"
              "    DataType = dtDateTime\r\n"
              "    Value = 45000.5d\r\n"
              "  end\r\n"
              "  object Ratio: TjxParameter\r\n"
              "    DataType = dtSingle\r\n"
              "    Value = 0.25s\r\n"
              "  end\r\n"
              "  object Region: TjxParameter\r\n"
              "    DataType = dtString\r\n"
              "    Value = Null\r\n"
              "    PickList.Strings = (\r\n"
              "      'North'\r\n"
              "      'South')\r\n"
              "  end\r\n"
              "end\r\n");
    QByteArray back;
    ObjectTextToBinary(text, back);
    EXPECT_EQ(back, bytes);

    // Read back into another form: same parameters, types, kinds and order.
    TTestForm form2;
    auto* copy = dynamic_cast<TjxParameterList*>(ReadComponentFromBytes(bytes, nullptr, &form2));
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(copy->Count(), f.list->Count());
    for (int i = 0; i < copy->Count(); ++i) {
        const TjxParameter* a = f.list->ItemsByIndex(i);
        const TjxParameter* b = copy->ItemsByIndex(i);
        EXPECT_EQ(b->Name(), a->Name());
        EXPECT_EQ(b->DataType(), a->DataType()) << a->Name().toStdString();
        EXPECT_EQ(b->Value(), a->Value()) << a->Name().toStdString();
        EXPECT_EQ(b->IsNull(), a->IsNull());
        EXPECT_EQ(b->Owner(), copy);
    }
    EXPECT_EQ(copy->Items(QStringLiteral("Region"))->PickList()->Lines(), QStringList({QStringLiteral("North"), QStringLiteral("South")}));
    EXPECT_EQ(copy->Items(QStringLiteral("Amount"))->Value(), VarCurrency(123456));
    EXPECT_EQ(WriteComponentToBytes(copy, &form2), bytes);
}

TEST(ParameterStream, ParameterNamesDoNotCollideWithTheFormsComponents)
{
    // The form already has a component named like a parameter: reading the
    // list must not fail, as the parameters belong to the list.
    ListFixture f;
    const QByteArray bytes = WriteComponentToBytes(f.list, &f.form);
    TTestForm form2;
    auto* label = new TjxTestLabel(&form2);
    label->SetName(QStringLiteral("Customer"));
    auto* copy = dynamic_cast<TjxParameterList*>(ReadComponentFromBytes(bytes, nullptr, &form2));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Items(QStringLiteral("Customer"))->Value().text, u"Caf\u00e9 Nord");
    EXPECT_EQ(form2.FindComponent(u"Customer"), label);
}

TEST(ParameterStream, AnUnsupportedTypeInAStreamIsAReadError)
{
    const QByteArray text = "object jxParameterList1: TjxParameterList\r\n"
                            "  object P: TjxParameter\r\n"
                            "    DataType = dtMemo\r\n"
                            "  end\r\n"
                            "end\r\n";
    QByteArray bytes;
    ObjectTextToBinary(text, bytes);
    TTestForm form;
    EXPECT_EQ(ErrorText([&] { ReadComponentFromBytes(bytes, nullptr, &form); }),
              u"Error reading P.DataType: TjxParameter.SetDataType: dtMemo data type is not supported");
}

TEST(Parameter, DataTypeChangesCarryTheValueOver)
{
    TjxParameter p;
    EXPECT_EQ(p.DataType(), dtString);
    EXPECT_EQ(p.Value(), TVarValue::WideString(QString()));

    // The empty text becomes the zero of the new type.
    p.SetDataType(dtInteger);
    EXPECT_EQ(p.Value(), TVarValue::Integer(0));
    // Zero becomes the empty text, not "0".
    p.SetDataType(dtString);
    EXPECT_EQ(p.Value(), TVarValue::WideString(QString()));
    p.SetDataType(dtBoolean);
    EXPECT_EQ(p.Value(), TVarValue::Boolean(false));

    p.SetDataType(dtInteger);
    p.SetValue(TVarValue::Integer(42));
    p.SetDataType(dtString);
    EXPECT_EQ(p.Value(), TVarValue::WideString(QStringLiteral("42")));
    p.SetDataType(dtDouble);
    EXPECT_EQ(p.Value(), TVarValue::Double(42));
    p.SetValue(TVarValue::WideString(QStringLiteral("2.5")));
    EXPECT_EQ(p.Value(), TVarValue::Double(2.5));
    p.SetDataType(dtCurrency);
    EXPECT_EQ(p.Value(), VarCurrency(25000));
    // Halves go to the even neighbour.
    p.SetDataType(dtInteger);
    EXPECT_EQ(p.Value(), TVarValue::Integer(2));
    p.SetDataType(dtLargeInt);
    EXPECT_EQ(p.Value(), VarInt64(2));
    p.SetDataType(dtString);
    EXPECT_EQ(p.Value(), TVarValue::WideString(QStringLiteral("2")));
}

TEST(Parameter, BadTypesAndValuesLeaveTheParameterAsItWas)
{
    TjxParameter p;
    p.SetValue(TVarValue::WideString(QStringLiteral("abc")));
    EXPECT_EQ(ErrorText([&] { p.SetDataType(dtDate); }),
              u"TjxParameter.SetDataType: dtDate data type is not supported");
    EXPECT_THROW(p.SetDataType(dtMemo), EParameterError);
    EXPECT_EQ(ErrorText([&] { p.SetDataType(dtInteger); }),
              u"Could not convert variant of type (UnicodeString) into type (Integer)");
    EXPECT_EQ(p.DataType(), dtString);
    EXPECT_EQ(p.Value().text, u"abc");

    p.SetValue(TVarValue::WideString(QStringLiteral("7")));
    p.SetDataType(dtInteger);
    EXPECT_THROW(p.SetValue(TVarValue::WideString(QStringLiteral("seven"))), EConvertError);
    EXPECT_THROW(p.SetValue(VarInt64(int64_t(1) << 33)), EConvertError);
    EXPECT_EQ(p.Value(), TVarValue::Integer(7));
}

TEST(Parameter, NullValuesOnlySetIsNull)
{
    TjxParameter p;
    p.SetDataType(dtInteger);
    p.SetValue(TVarValue::Integer(9));
    int hookCalls = 0;
    p.OnValueSet = [&](TjxParameter*) { ++hookCalls; };
    p.SetValue(TVarValue::Null());
    EXPECT_TRUE(p.IsNull());
    EXPECT_EQ(p.Value().kind, TVarValue::vtNull);
    p.SetValue(TVarValue());
    EXPECT_TRUE(p.IsNull());
    EXPECT_EQ(hookCalls, 0);
    // A null value stays null through a type change.
    p.SetDataType(dtString);
    EXPECT_TRUE(p.IsNull());
    p.SetValue(TVarValue::Integer(5));
    EXPECT_FALSE(p.IsNull());
    EXPECT_EQ(p.Value(), TVarValue::WideString(QStringLiteral("5")));
    EXPECT_EQ(hookCalls, 1);
}

TEST(Parameter, AssignCopiesNameTypeValueAndPickList)
{
    TjxParameter a;
    a.SetName(QStringLiteral("Start"));
    a.SetDataType(dtDateTime);
    a.SetValue(VarDate(100.25));
    a.PickList()->Add(QStringLiteral("x"));
    TjxParameter b;
    b.PickList()->Add(QStringLiteral("old"));
    b.Assign(&a);
    EXPECT_EQ(b.Name(), u"Start");
    EXPECT_EQ(b.DataType(), dtDateTime);
    EXPECT_EQ(b.Value(), VarDate(100.25));
    EXPECT_EQ(b.PickList()->Lines(), QStringList{QStringLiteral("x")});

    TjxParameter c;
    c.SetValue(TVarValue::Null());
    b.Assign(&c);
    EXPECT_TRUE(b.IsNull());
    EXPECT_EQ(b.PickList()->Count(), 0);
}

TEST(ParameterList, ReadingAnUnknownNameAddsNothingUntilAValueArrives)
{
    TjxParameterList list;
    EXPECT_TRUE(list.InsertMode());
    TjxParameter* spare = list.Items(QStringLiteral("A"));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(spare->Name(), u"A");
    EXPECT_EQ(list.Values(QStringLiteral("A")), TVarValue::WideString(QString()));
    list.Items(QStringLiteral("A"))->SetValue(TVarValue::Null());
    EXPECT_EQ(list.Count(), 0);

    list.Items(QStringLiteral("A"))->SetValue(TVarValue::WideString(QStringLiteral("x")));
    ASSERT_EQ(list.Count(), 1);
    TjxParameter* a = list.ItemsByIndex(0);
    EXPECT_EQ(a, spare);
    EXPECT_EQ(a->Name(), u"A");
    EXPECT_EQ(a->Parent(), &list);
    EXPECT_EQ(list.Items(QStringLiteral("a")), a);
    // The next spare is a fresh one.
    EXPECT_NE(list.Spare(), a);
    EXPECT_EQ(list.Spare()->DataType(), dtString);

    EXPECT_EQ(ErrorText([&] { list.AddName(QStringLiteral("a")); }),
              u"TjxParameterList.Add: a Parameter named, a, already exists.");

    // A type chosen before the value is kept when the spare joins.
    list.Items(QStringLiteral("N"))->SetDataType(dtInteger);
    list.SetValues(QStringLiteral("N"), TVarValue::WideString(QStringLiteral("5")));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Items(QStringLiteral("n"))->Value(), TVarValue::Integer(5));

    list.SetInsertMode(false);
    EXPECT_EQ(ErrorText([&] { list.Items(QStringLiteral("B")); }),
              u"TjxParameterList.GetItemForName: No parameter named, B, exists");
    EXPECT_EQ(list.Count(), 2);
}

TEST(ParameterList, ASpareWhoseNameWasAddedMeanwhileFeedsThatParameter)
{
    TjxParameterList list;
    TjxParameter* spare = list.Items(QStringLiteral("C"));
    TjxParameter* c = list.AddName(QStringLiteral("C"));
    c->SetDataType(dtInteger);
    spare->SetValue(TVarValue::WideString(QStringLiteral("3")));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(c->Value(), TVarValue::Integer(3));
    EXPECT_NE(list.Spare(), spare);
}

TEST(ParameterList, AddRemoveClearAndAssign)
{
    TjxParameterList list;
    EXPECT_THROW(list.Add(QStringLiteral("D"), dtDate, TVarValue::Integer(1)), EParameterError);
    EXPECT_THROW(list.Add(QStringLiteral("D"), dtInteger, TVarValue::WideString(QStringLiteral("x"))),
                 EConvertError);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_THROW(list.AddName(QStringLiteral("not valid")), EComponentError);
    EXPECT_EQ(list.Count(), 0);

    list.Add(QStringLiteral("One"), dtInteger, TVarValue::Integer(1));
    list.Add(QStringLiteral("Two"), dtString, TVarValue::WideString(QStringLiteral("2")));
    list.Add(QStringLiteral("Three"), dtBoolean, TVarValue::Boolean(true));
    list.Remove(u"two");
    EXPECT_EQ(list.Count(), 2);
    EXPECT_FALSE(list.InList(u"Two"));
    list.Remove(u"missing");
    EXPECT_EQ(list.Count(), 2);

    TTestForm form;
    auto* other = new TjxParameterList(&form);
    other->Add(QStringLiteral("Stale"), dtString, TVarValue::WideString(QStringLiteral("s")));
    other->Assign(&list);
    ASSERT_EQ(other->Count(), 2);
    EXPECT_EQ(other->ItemsByIndex(0)->Name(), u"One");
    EXPECT_EQ(other->ItemsByIndex(1)->Value(), TVarValue::Boolean(true));
    EXPECT_EQ(other->ItemsByIndex(1)->Owner(), other);
    EXPECT_NE(other->ItemsByIndex(0), list.ItemsByIndex(0));
    other->Assign(nullptr);
    EXPECT_EQ(other->Count(), 0);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.ComponentCount(), 0);
}

TEST(ValueConversion, NumbersTextAndDatesAreLocaleFree)
{
    TValueFormatSettings fs;
    int64_t scaled = 0;
    // Currency text is read exactly, halves beyond four decimals to even.
    EXPECT_TRUE(TryTextToCurrency(u"1.00005", scaled, fs));
    EXPECT_EQ(scaled, 10000);
    EXPECT_TRUE(TryTextToCurrency(u"1.00015", scaled, fs));
    EXPECT_EQ(scaled, 10002);
    EXPECT_TRUE(TryTextToCurrency(u"-922337203685477.5808", scaled, fs));
    EXPECT_EQ(scaled, std::numeric_limits<int64_t>::min());
    EXPECT_FALSE(TryTextToCurrency(u"922337203685477.5808", scaled, fs));
    EXPECT_EQ(CurrencyToText(std::numeric_limits<int64_t>::min(), fs), u"-922337203685477.5808");
    EXPECT_EQ(CurrencyToText(-12300, fs), u"-1.23");

    EXPECT_EQ(FloatToText(1e20, fs), u"1E20");
    EXPECT_EQ(FloatToText(0.00001, fs), u"1E-5");
    EXPECT_EQ(FloatToText(0.1, fs), u"0.1");
    double d = 0;
    EXPECT_FALSE(TryTextToFloat(u"inf", d, fs));
    EXPECT_FALSE(TryTextToFloat(u"1.5x", d, fs));

    TValueFormatSettings german;
    german.decimalSeparator = u',';
    german.dateSeparator = u'.';
    german.shortDateFormat = QStringLiteral("dd.mm.yyyy");
    german.longTimeFormat = QStringLiteral("hh:nn:ss");
    EXPECT_TRUE(TryTextToFloat(u" 2,5 ", d, german));
    EXPECT_EQ(d, 2.5);
    EXPECT_FALSE(TryTextToFloat(u"2.5", d, german));
    EXPECT_EQ(FloatToText(2.5, german), u"2,5");

    EXPECT_TRUE(TryTextToDateTime(u"31.12.1899 18:00", d, german));
    EXPECT_EQ(d, 1.75);
    EXPECT_EQ(DateTimeToText(1.75, german), u"31.12.1899 18:00:00");
    EXPECT_TRUE(TryTextToDateTime(u"2/29/2024 1:30 PM", d, fs));
    EXPECT_EQ(DateTimeToText(d, fs), u"2/29/2024 1:30:00 PM");
    EXPECT_FALSE(TryTextToDate(u"2/30/2024", d, fs));
    EXPECT_FALSE(TryTextToTime(u"24:00", d, fs));
    // Before 1899 the time counts away from the date.
    EXPECT_TRUE(TryTextToDateTime(u"12/29/1899 6:00 AM", d, fs));
    EXPECT_EQ(d, -1.25);
    EXPECT_EQ(DateTimeToText(d, fs), u"12/29/1899 6:00:00 AM");
}
