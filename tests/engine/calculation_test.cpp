// Calculated texts through the engine: database calculations, variables,
// system variables and the older calc component, with page breaks, group
// breaks, regenerated pages and look-ahead totals in two-pass reports.

#include "report_fixture.h"

#include "components/calc.h"
#include "components/db_calc.h"
#include "components/system_variable.h"
#include "components/variable.h"
#include "engine/db_pipeline.h"
#include "output/draw_other.h"


using namespace orvane;
using namespace orvane::test;

namespace {

TMethod Handler(TMethodCode code)
{
    TMethod m;
    m.code = std::move(code);
    return m;
}

// Rows of (grp, amount) as the report's main pipeline "plAmounts".
struct AmountReport : ReportFixture {
    TjxDataPipeline* amounts = nullptr;

    explicit AmountReport(const std::vector<std::pair<const char*, double>>& rows)
    {
        std::vector<QVariantList> table;
        for (const auto& [grp, amount] : rows)
            table.push_back({QString::fromLatin1(grp), amount});
        amounts = AddTable(QStringLiteral("plAmounts"), QStringLiteral("amounts"),
                           {QStringLiteral("grp TEXT"), QStringLiteral("amount REAL")}, table);
        report->SetDataPipeline(amounts);
        data = amounts;
    }
};

template <class C>
C* Place(ReportFixture& f, TjxBand* band, int top = 0)
{
    auto* c = new C(&f.host);
    c->SetName(f.report->GetValidName(c));
    c->SetParentComponent(band);
    c->SetBounds(0, top, 5000, 30000);
    return c;
}

TjxDBCalc* AddCalc(ReportFixture& f, TjxBand* band, TjxDBCalcType type, TjxDataPipeline* pipeline,
                   const char* field = "amount", int top = 0)
{
    auto* calc = Place<TjxDBCalc>(f, band, top);
    calc->SetDataPipeline(pipeline);
    calc->SetDataField(QString::fromLatin1(field));
    calc->SetDBCalcType(type);
    return calc;
}

// An integer variable that adds a field of the current record at every record.
TjxVariable* AddSum(ReportFixture& f, TjxBand* band, TjxDataPipeline* pipeline, const char* field, int top = 0)
{
    auto* v = Place<TjxVariable>(f, band, top);
    v->SetDataType(dtInteger);
    const QString name = QString::fromLatin1(field);
    v->SetOnCalc(Handler([pipeline, name](TComponent*, TjxEventParams& p) {
        const TVarValue x = pipeline->GetFieldValue(name);
        p.SetValue(u"Value", p.Value(u"Value").toDouble() + (x.kind == TVarValue::vtDouble ? x.real : double(x.integer)));
    }));
    return v;
}

// The texts a component printed on the final pages, in page order.
QStringList TextsOf(const ReportFixture& f, const TComponent* component)
{
    QStringList texts;
    for (const TjxPage* page : f.FinalPages())
        for (int i = 0; i < page->DrawCommandCount(); ++i)
            if (auto* text = dynamic_cast<TjxDrawText*>(page->DrawCommand(i)); text && text->TextComponent() == component)
                texts << text->Text();
    return texts;
}

// Counts the engine's "band did not fit" notices.
class TNoFitCounter : public TjxCommunicator {
public:
    int count = 0;
    void EventNotify(TjxCommunicator*, int eventId, TjxEventParams*) override { count += eventId == ciBandEngineTraversal; }
};

TjxGroup* GroupOn(ReportFixture& f, const char* field)
{
    TjxGroup* group = f.AddGroup(field);
    f.report->EnsureBands();
    return group;
}

} // namespace

TEST(Calculation, DBCalcTypesRestartWithTheirGroup)
{
    AmountReport f({{"a", 5}, {"a", 3}, {"a", 3}, {"a", 7}, {"b", 9}, {"b", 4}});
    f.AddBand(btDetail, 5000);
    TjxGroup* group = GroupOn(f, "grp");
    TjxBand* footer = group->FooterBand();
    footer->SetmmHeight(10000);
    std::vector<TjxDBCalc*> calcs;
    for (TjxDBCalcType type : {dcMinimum, dcMaximum, dcCount, dcSum, dcAverage}) {
        calcs.push_back(AddCalc(f, footer, type, f.amounts));
        calcs.back()->SetResetGroup(group);
    }
    // Without a reset group the sum runs through the whole report.
    TjxDBCalc* total = AddCalc(f, f.AddBand(btSummary, 10000), dcSum, f.amounts);
    // The group tells before its footer generates.
    auto* footers = Place<TjxVariable>(f, footer, 5000);
    footers->SetDataType(dtInteger);
    footers->SetCalcType(veGroupBeforeFooter);
    footers->SetCalcComponent(group);
    footers->SetOnCalc(Handler([](TComponent*, TjxEventParams& p) { p.SetValue(u"Value", p.Value(u"Value").toInt() + 1); }));
    f.Run();
    ASSERT_EQ(f.FinalPages().size(), 1u);
    EXPECT_EQ(ReportFixture::Texts(*f.FinalPages()[0]),
              QStringList({"3", "7", "4", "18", "4.5", "1", "4", "9", "2", "13", "6.5", "2", "31"}));
    EXPECT_EQ(total->RecordCount(), 6);
    // The count carries the integer type, the others the double of the field.
    EXPECT_EQ(calcs[2]->CalcDataType(), dtInteger);
    EXPECT_EQ(calcs[3]->CalcDataType(), dtDouble);
}

TEST(Calculation, AverageWithoutRecordsPrintsZeroOrNothing)
{
    for (bool blank : {false, true}) {
        AmountReport f({{"a", 5}, {"a", 3}});
        f.AddBand(btDetail, 5000);
        TjxDataPipeline* empty =
            f.AddTable(QStringLiteral("plEmpty"), QStringLiteral("empty"), {QStringLiteral("amount REAL")}, {});
        TjxBand* summary = f.AddBand(btSummary, 10000);
        TjxDBCalc* average = AddCalc(f, summary, dcAverage, empty);
        average->SetBlankWhenZero(blank);
        TjxDBCalc* count = AddCalc(f, summary, dcCount, empty, "amount", 5000);
        f.Run();
        ASSERT_EQ(f.FinalPages().size(), 1u);
        EXPECT_EQ(TextsOf(f, average), QStringList({blank ? "" : "0"}));
        EXPECT_EQ(TextsOf(f, count), QStringList({"0"}));
        EXPECT_EQ(average->RecordCount(), 0);
    }
}

TEST(Calculation, SumCountsARecordOnceWhenItsBandMovesToTheNextPage)
{
    // Dynamic detail bands of 80 mm: the fourth record does not fit on the
    // first page and prints on the second.
    ReportFixture f;
    f.AddData(8);
    TjxBand* detail = f.AddBand(btDetail, 0, phDynamic);
    f.AddField(detail, "id")->SetBounds(0, 0, 80000, 30000);
    TjxVariable* running = AddSum(f, detail, f.data, "id");
    TjxDBCalc* dbRunning = AddCalc(f, detail, dcSum, f.data, "id");
    TjxBand* summary = f.AddBand(btSummary, 10000);
    TjxVariable* total = AddSum(f, summary, f.data, "id");
    f.Run();
    ASSERT_EQ(f.FinalPages().size(), 3u);
    EXPECT_EQ(TextsOf(f, running), QStringList({"1", "3", "6", "10", "15", "21", "28", "36"}));
    EXPECT_EQ(TextsOf(f, dbRunning), TextsOf(f, running));
    EXPECT_EQ(TextsOf(f, total), QStringList({"36"}));
}

TEST(Calculation, BandThatDoesNotFitNeverTakesBackAPrintedRecord)
{
    // A group that starts a new page with a dynamic header: the header finds
    // no room and the engine says so (event 139) after the last record of the
    // previous group printed. That record stays counted.
    ReportFixture f;
    f.AddData(8);  // grp 0 for ids 1-4, 1 for ids 5-8
    TjxBand* detail = f.AddBand(btDetail, 10000);
    f.AddField(detail, "id");
    TjxGroup* group = GroupOn(f, "grp");
    group->SetNewPage(true);
    group->HeaderBand()->SetPrintHeight(phDynamic);
    f.AddField(group->HeaderBand(), "grp");
    TjxBand* footer = group->FooterBand();
    footer->SetmmHeight(10000);
    TjxVariable* groupSum = AddSum(f, footer, f.data, "id");
    groupSum->SetResetType(veGroupEnd);
    groupSum->SetResetComponent(group);
    TjxDBCalc* dbGroupSum = AddCalc(f, footer, dcSum, f.data, "id", 5000);
    dbGroupSum->SetResetGroup(group);
    TjxBand* summary = f.AddBand(btSummary, 10000);
    TjxVariable* total = AddSum(f, summary, f.data, "id");
    TjxDBCalc* dbTotal = AddCalc(f, summary, dcSum, f.data, "id", 5000);

    TNoFitCounter noFit;
    noFit.AddEventInterest(ciBandEngineTraversal);
    f.report->Engine()->AddEventNotify(&noFit);
    f.Run();
    EXPECT_GT(noFit.count, 0);
    EXPECT_EQ(TextsOf(f, groupSum), QStringList({"10", "26"}));
    EXPECT_EQ(TextsOf(f, dbGroupSum), QStringList({"10", "26"}));
    EXPECT_EQ(TextsOf(f, total), QStringList({"36"}));
    EXPECT_EQ(TextsOf(f, dbTotal), QStringList({"36"}));
}

TEST(Calculation, RecordCalculatedAgainAfterABandDidNotFitCountsOnce)
{
    // An engine that moves a band to the next page and traverses its record
    // again: the second calculation of the same record replaces the first.
    ReportFixture f;
    f.AddData(3);
    TjxBand* detail = f.AddBand(btDetail, 10000);
    TjxVariable* sum = AddSum(f, detail, f.data, "id");
    TjxDBCalc* dbSum = AddCalc(f, detail, dcSum, f.data, "id");
    TjxEngine* engine = f.report->Engine();
    for (TjxPrintable* c : std::initializer_list<TjxPrintable*>{sum, dbSum}) {
        c->SetPrinting(true);
        c->InitGeneration();
    }
    f.data->Open();
    f.data->First();
    auto traverse = [&] { engine->SendEventNotify(ciEngineRecordTraversed); };
    traverse();  // record 1
    f.data->Next();
    traverse();  // record 2
    engine->SendEventNotify(ciBandEngineTraversal);
    traverse();  // record 2 again on the next page
    EXPECT_EQ(sum->Value().integer, 3);
    EXPECT_EQ(dbSum->RunningValue(), 3);
    EXPECT_EQ(dbSum->RecordCount(), 2);
    // A notice followed by the next record takes nothing back.
    engine->SendEventNotify(ciBandEngineTraversal);
    f.data->Next();
    traverse();  // record 3
    EXPECT_EQ(sum->Value().integer, 6);
    EXPECT_EQ(dbSum->RunningValue(), 6);
}

TEST(Calculation, PageSetTextsInAFivePageTwoPassReport)
{
    // Two records of 90 mm a page beside a 10 mm footer.
    ReportFixture f;
    f.AddData(10);
    f.AddField(f.AddBand(btDetail, 90000), "id");
    TjxBand* footer = f.AddBand(btFooter, 10000);
    const TjxVarType types[] = {vtPageSetDesc, vtPageSet, vtPageNo, vtPageCount, vtPageNoDesc};
    std::vector<TjxSystemVariable*> vars;
    for (TjxVarType type : types) {
        vars.push_back(Place<TjxSystemVariable>(f, footer, 0));
        vars.back()->SetVarType(type);
    }
    // The page set needs the page count before the last page is made.
    EXPECT_EQ(f.report->PassSetting(), psTwoPass);
    f.Run();
    const auto pages = f.FinalPages();
    ASSERT_EQ(pages.size(), 5u);
    EXPECT_EQ(TextsOf(f, vars[0])[1], u"Page 2 of 5");
    EXPECT_EQ(TextsOf(f, vars[1])[1], u"2 of 5");
    EXPECT_EQ(TextsOf(f, vars[2]), QStringList({"1", "2", "3", "4", "5"}));
    EXPECT_EQ(TextsOf(f, vars[3])[0], u"5");
    EXPECT_EQ(TextsOf(f, vars[4])[4], u"Page 5");

    // The commands carry their type, so that renumbered pages refresh them.
    const TjxPage& second = *pages[1];
    auto* pageSet = dynamic_cast<TjxDrawVar*>(second.DrawCommand(second.DrawCommandCount() - 5));
    ASSERT_NE(pageSet, nullptr);
    EXPECT_EQ(pageSet->VarType(), vtPageSetDesc);
    EXPECT_EQ(pageSet->DataType(), dtString);
    EXPECT_TRUE(pageSet->IsUpdateable());
}

TEST(Calculation, SystemVariablesReadTheEnginesClock)
{
    ReportFixture f;
    f.AddData(1);
    f.report->PrinterSetup()->SetDocumentName(QStringLiteral("Receipts"));
    TjxBand* detail = f.AddBand(btDetail, 10000);
    const QDateTime clock(QDate(2024, 3, 5), QTime(14, 30, 15));
    f.report->Engine()->Clock = [clock] { return clock; };
    auto add = [&](TjxVarType type, const char* format) {
        auto* v = Place<TjxSystemVariable>(f, detail);
        v->SetVarType(type);
        v->SetDisplayFormat(QString::fromLatin1(format));
        return v;
    };
    TjxSystemVariable* date = add(vtDate, "yyyy/mm/dd");
    TjxSystemVariable* time = add(vtTime, "hh:nn:ss");
    TjxSystemVariable* printed = add(vtPrintDateTime, "yyyy/mm/dd hh:nn");
    TjxSystemVariable* name = add(vtDocumentName, "");
    f.Run();
    EXPECT_EQ(TextsOf(f, date), QStringList({"2024/03/05"}));
    EXPECT_EQ(TextsOf(f, time), QStringList({"14:30:15"}));
    EXPECT_EQ(TextsOf(f, printed), QStringList({"2024/03/05 14:30"}));
    EXPECT_EQ(TextsOf(f, name), QStringList({"Receipts"}));
}

TEST(Calculation, LookAheadTotalsPrintInTheirGroupHeaders)
{
    AmountReport f({{"a", 5}, {"a", 3}, {"a", 3}, {"a", 7}, {"b", 9}, {"b", 4}, {"c", 1}});
    // Tall details: group a runs over to a second page, where its header prints again.
    f.AddBand(btDetail, 80000);
    TjxGroup* group = GroupOn(f, "grp");
    TjxBand* header = group->HeaderBand();
    header->SetmmHeight(10000);
    TjxDBCalc* ahead = AddCalc(f, header, dcSum, f.amounts);
    ahead->SetResetGroup(group);
    ahead->SetLookAhead(true);
    EXPECT_EQ(f.report->PassSetting(), psTwoPass);
    TjxDBCalc* running = AddCalc(f, header, dcSum, f.amounts);
    running->SetResetGroup(group);
    TjxVariable* variable = AddSum(f, header, f.amounts, "amount");
    variable->SetDataType(dtDouble);
    variable->SetResetType(veGroupEnd);
    variable->SetResetComponent(group);
    variable->SetLookAhead(true);
    f.Run();

    QStringList totals = TextsOf(f, ahead);
    EXPECT_GT(totals.size(), 3);  // the reprinted header
    totals.removeDuplicates();
    EXPECT_EQ(totals, QStringList({"18", "13", "1"}));
    QStringList variableTotals = TextsOf(f, variable);
    EXPECT_EQ(variableTotals, TextsOf(f, ahead));
    // Without look-ahead the header shows the group's first record.
    EXPECT_EQ(TextsOf(f, running).first(), u"5");
    // The second pass prints final values; its commands do not wait for more.
    for (const TjxPage* page : f.FinalPages())
        for (int i = 0; i < page->DrawCommandCount(); ++i) {
            auto* command = dynamic_cast<TjxDrawVariable*>(page->DrawCommand(i));
            EXPECT_TRUE(!command || !command->LookAhead());
        }
}

TEST(Calculation, OnCalcValueIsStoredInTheVariablesType)
{
    ReportFixture f;
    f.AddData(3);
    TjxBand* detail = f.AddBand(btDetail, 10000);
    auto* asText = Place<TjxVariable>(f, detail);
    asText->SetDataType(dtInteger);
    asText->SetOnCalc(Handler([&f](TComponent*, TjxEventParams& p) {
        p.SetValue(u"Value", QStringLiteral("%1").arg(f.data->GetFieldValue(u"id"_qs).integer * 10));
    }));
    auto* rounded = Place<TjxVariable>(f, detail);
    rounded->SetDataType(dtInteger);
    rounded->SetOnCalc(Handler([](TComponent*, TjxEventParams& p) { p.SetValue(u"Value", 2.6); }));
    auto* untouched = Place<TjxVariable>(f, detail);
    untouched->SetDataType(dtDouble);
    untouched->SetOnCalc(Handler([](TComponent*, TjxEventParams&) {}));
    // A listener of the calculation event may change the value too.
    auto* listened = Place<TjxVariable>(f, detail);
    listened->SetDataType(dtCurrency);
    TjxCommunicator listener;
    listener.AddEventInterest(ciVariableCalc);
    listener.OnEventNotify = [](TjxCommunicator*, int, TjxEventParams* p) { p->SetValue(u"OnCalc", u"1.25"_qs); };
    listened->AddEventNotify(&listener);
    f.Run();
    EXPECT_EQ(TextsOf(f, asText), QStringList({"10", "20", "30"}));
    EXPECT_EQ(asText->Value().kind, TVarValue::vtInteger);
    EXPECT_EQ(TextsOf(f, rounded), QStringList({"3", "3", "3"}));
    EXPECT_EQ(untouched->Value().kind, TVarValue::vtDouble);
    EXPECT_EQ(TextsOf(f, untouched), QStringList({"0", "0", "0"}));
    EXPECT_EQ(TextsOf(f, listened), QStringList({"$1.25", "$1.25", "$1.25"}));
}

TEST(Calculation, PageEndValuesSurviveRegeneratedPages)
{
    // A page counter shown in the page header: pages ended before this one.
    ReportFixture f;
    f.AddData(8);
    f.AddField(f.AddBand(btDetail, 90000), "id");
    auto* ended = Place<TjxVariable>(f, f.AddBand(btHeader, 10000));
    ended->SetDataType(dtInteger);
    ended->SetCalcType(vePageEnd);
    ended->SetResetType(veReportStart);
    ended->SetOnCalc(Handler([](TComponent*, TjxEventParams& p) { p.SetValue(u"Value", p.Value(u"Value").toInt() + 1); }));
    f.Run();
    ASSERT_EQ(f.FinalPages().size(), 4u);
    EXPECT_EQ(TextsOf(f, ended), QStringList({"0", "1", "2", "3"}));

    // Page 3 made again starts from the value the cache kept for it.
    f.pages.clear();
    f.Run(psSinglePage, 3);
    EXPECT_EQ(TextsOf(f, ended), QStringList({"2"}));
}

TEST(Calculation, OlderCalcComponentComputesItsCustomValueAtEveryRecord)
{
    ReportFixture f;
    f.AddData(3);
    f.report->SetPassSetting(psTwoPass);
    TjxBand* detail = f.AddBand(btDetail, 10000);
    auto* custom = Place<TjxCalc>(f, detail);
    custom->SetCalcType(ctCustom);
    custom->SetCustomType(dtInteger);
    custom->SetOnCalc(Handler([&f, custom](TComponent*, TjxEventParams&) {
        custom->SetAsInteger(int32_t(f.data->GetFieldValue(u"id"_qs).integer * 2));
    }));
    auto* pages = Place<TjxCalc>(f, f.AddBand(btFooter, 10000));
    pages->SetCalcType(ctPageSetDesc);
    EXPECT_EQ(pages->CustomType(), dtString);
    f.Run();
    EXPECT_EQ(TextsOf(f, custom), QStringList({"2", "4", "6"}));
    EXPECT_EQ(TextsOf(f, pages), QStringList({"Page 1 of 1"}));
    auto* command = dynamic_cast<const TjxDrawCalc*>(f.FinalPages()[0]->DrawCommand(3));
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->CalcType(), ctPageSetDesc);
}

TEST(Calculation, SumsAndAveragesOverAnSQLiteTable)
{
    ReportFixture f;
    TjxDBPipeline* sales = f.AddTable(
        QStringLiteral("plSales"), QStringLiteral("sales"),
        {QStringLiteral("region VARCHAR(10)"), QStringLiteral("amount REAL"), QStringLiteral("sold DATE")},
        {{QStringLiteral("east"), 12.5, QStringLiteral("2024-01-03")},
         {QStringLiteral("east"), 7.5, QStringLiteral("2024-01-09")},
         {QStringLiteral("west"), 4, QStringLiteral("2024-02-01")},
         {QStringLiteral("west"), QVariant(), QStringLiteral("2024-02-11")},
         {QStringLiteral("west"), 2, QStringLiteral("2024-02-07")}});
    f.report->SetDataPipeline(sales);
    f.AddBand(btDetail, 5000);
    TjxGroup* group = GroupOn(f, "region");
    TjxBand* footer = group->FooterBand();
    footer->SetmmHeight(10000);
    TjxDBCalc* sum = AddCalc(f, footer, dcSum, sales);
    sum->SetResetGroup(group);
    sum->SetDisplayFormat(QStringLiteral("#,0.00"));
    TjxDBCalc* average = AddCalc(f, footer, dcAverage, sales);
    average->SetResetGroup(group);
    TjxDBCalc* latest = AddCalc(f, footer, dcMaximum, sales, "sold");
    latest->SetResetGroup(group);
    latest->SetDisplayFormat(QStringLiteral("yyyy/mm/dd"));
    f.Run();
    EXPECT_EQ(TextsOf(f, sum), QStringList({"20.00", "6.00"}));
    // A null amount counts as a record of 0.
    EXPECT_EQ(TextsOf(f, average), QStringList({"10", "2"}));
    EXPECT_EQ(TextsOf(f, latest), QStringList({"2024/01/09", "2024/02/11"}));
}
