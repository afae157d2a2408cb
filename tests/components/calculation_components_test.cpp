// The calculated text components on their own: what they stream, how they
// register, what the designer shows, their value rules, and the draw
// commands that keep their values up to date.

#include "components/calc.h"
#include "components/db_calc.h"
#include "components/system_variable.h"
#include "components/variable.h"
#include "document/class_registry.h"
#include "document/component_registry.h"
#include "document/errors.h"
#include "document/group.h"
#include "document/messages.h"
#include "document/report.h"
#include "document/stream_reader.h"
#include "document/stream_text.h"
#include "document/stream_writer.h"
#include "engine/engine.h"
#include "engine/memory_pipeline.h"
#include "output/draw_other.h"
#include "output/page.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

class THost : public TComponent {
public:
    explicit THost(TComponent* owner = nullptr) : TComponent(owner) {}
    void GetChildren(const TGetChildProc& proc, TComponent*) const override
    {
        for (int i = 0; i < ComponentCount(); ++i)
            if (!Components(i)->HasParent())
                proc(Components(i));
    }
};

struct TCalcReport {
    THost host;
    TjxReport* report = nullptr;
    TjxBand* header = nullptr;
    TjxMemoryPipeline* pipeline = nullptr;

    TCalcReport()
    {
        report = new TjxReport(&host);
        report->SetName(QStringLiteral("rptCalc"));
        header = report->CreateBand(btHeader);
        header->SetName(QStringLiteral("jxHeaderBand1"));
        pipeline = new TjxMemoryPipeline(&host);
        pipeline->SetName(QStringLiteral("plData"));
        pipeline->AddField(QStringLiteral("amount"), dtDouble);
    }

    template <class C>
    C* Add(const char* name, TjxBand* band = nullptr)
    {
        auto* c = new C(&host);
        c->SetName(QString::fromLatin1(name));
        c->SetBand(band ? band : header);
        return c;
    }

    TjxGroup* AddGroup(const char* name)
    {
        auto* group = new TjxGroup(&host);
        group->SetName(QString::fromLatin1(name));
        group->SetReport(report);
        group->SetBreakName(QStringLiteral("amount"));
        report->EnsureBands();
        return group;
    }
};

QByteArray Text(TComponent* c, TComponent* root)
{
    QByteArray text;
    ObjectBinaryToText(WriteComponentToBytes(c, root), text);
    return text;
}

} // namespace

TEST(CalculationStreaming, EveryPropertyRoundTripsThroughBinaryAndText)
{
    TCalcReport r;
    TjxGroup* group = r.AddGroup("jxGroup1");

    auto* variable = r.Add<TjxVariable>("jxVariable1");
    variable->SetBlankWhenZero(true);
    variable->SetCalcType(veGroupStart);
    variable->SetCalcComponent(group);
    variable->SetResetType(veDataPipelineTraversal);
    variable->SetResetComponent(r.pipeline);
    variable->SetDataType(dtCurrency);
    variable->SetDisplayFormat(QStringLiteral("$#,0.00"));
    variable->SetLookAhead(true);
    variable->Font()->SetSize(14);
    auto* second = r.Add<TjxVariable>("jxVariable2");
    second->SetCalcOrder(0);

    auto* system = r.Add<TjxSystemVariable>("jxSystemVariable1");
    system->SetVarType(vtPageNoDesc);
    system->SetDisplayFormat(QStringLiteral("0"));
    system->SetTextAlignment(taCentered);

    auto* dbCalc = r.Add<TjxDBCalc>("jxDBCalc1", group->FooterBand());
    dbCalc->SetDataPipeline(r.pipeline);
    dbCalc->SetDataField(QStringLiteral("amount"));
    dbCalc->SetDBCalcType(dcMaximum);
    dbCalc->SetResetGroup(group);
    dbCalc->SetLookAhead(true);

    auto* calc = r.Add<TjxCalc>("jxCalc1");
    calc->SetCalcType(ctCustom);
    calc->SetCustomType(dtInteger);
    calc->SetAlignment(taRightJustify);

    const QByteArray bytes = WriteComponentToBytes(r.report, &r.host);
    QByteArray text, fromText;
    ObjectBinaryToText(bytes, text);
    ObjectTextToBinary(text, fromText);
    EXPECT_EQ(fromText, bytes);
    // The group by reference, the pipeline by name.
    EXPECT_TRUE(text.contains("    CalcComponent = jxGroup1\r\n"));
    EXPECT_FALSE(text.contains("ResetComponent"));
    EXPECT_TRUE(text.contains("    ResetDataPipelineName = 'plData'\r\n"));
    EXPECT_TRUE(text.contains("    CalcType = veGroupStart\r\n"));
    EXPECT_TRUE(text.contains("    VarType = vtPageNoDesc\r\n"));
    EXPECT_TRUE(text.contains("    DBCalcType = dcMaximum\r\n"));
    EXPECT_TRUE(text.contains("    CalcType = ctCustom\r\n"));
    EXPECT_TRUE(text.contains("    Alignment = taRightJustify\r\n"));

    THost host;
    auto* pipeline = new TjxMemoryPipeline(&host);
    pipeline->SetName(QStringLiteral("plData"));
    auto* copy = dynamic_cast<TjxReport*>(ReadComponentFromBytes(fromText, nullptr, &host));
    ASSERT_NE(copy, nullptr);
    auto* v = dynamic_cast<TjxVariable*>(host.FindComponent(u"jxVariable1"));
    auto* v2 = dynamic_cast<TjxVariable*>(host.FindComponent(u"jxVariable2"));
    auto* d = dynamic_cast<TjxDBCalc*>(host.FindComponent(u"jxDBCalc1"));
    auto* c = dynamic_cast<TjxCalc*>(host.FindComponent(u"jxCalc1"));
    ASSERT_TRUE(v && v2 && d && c);
    // Written again the copy gives the same bytes; the references point into the copy.
    EXPECT_EQ(WriteComponentToBytes(copy, &host), bytes);
    EXPECT_EQ(v->CalcComponent(), host.FindComponent(u"jxGroup1"));
    EXPECT_EQ(v->ResetComponent(), pipeline);
    EXPECT_EQ(d->ResetGroup(), host.FindComponent(u"jxGroup1"));
    // Read orders are recorded as they stand.
    EXPECT_EQ(v->CalcOrder(), 1);
    EXPECT_EQ(v2->CalcOrder(), 0);
    EXPECT_EQ(c->CustomType(), dtInteger);
    EXPECT_EQ(copy->PassSetting(), psTwoPass);
}

TEST(CalculationStreaming, EngineAndReportSendersAreNeverWritten)
{
    TCalcReport r;
    auto* variable = r.Add<TjxVariable>("jxVariable1");
    variable->SetCalcType(vePageEnd);
    variable->SetPrinting(true);
    variable->InitGeneration();
    EXPECT_EQ(variable->CalcComponent(), r.report);
    EXPECT_EQ(variable->ResetComponent(), r.report->Engine());
    const QByteArray text = Text(variable, &r.host);
    EXPECT_FALSE(text.contains("Component"));
    // A group type needs a group of the author's: the report is dropped.
    variable->SetCalcType(veGroupEnd);
    EXPECT_EQ(variable->CalcComponent(), nullptr);

    // Templates before version 3000 did not store the custom type.
    QByteArray bytes;
    ObjectTextToBinary("object jxCalc2: TjxCalc\r\n  CalcType = ctPageNo\r\nend\r\n", bytes);
    THost host;
    auto* old = dynamic_cast<TjxCalc*>(ReadComponentFromBytes(bytes, nullptr, &host));
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->CustomType(), dtDateTime);
    old->ConvertVersion(3000);
    EXPECT_EQ(old->CustomType(), dtDateTime);
    old->ConvertVersion(2999);
    EXPECT_EQ(old->CustomType(), dtInteger);
}

TEST(CalculationRegistry, PaletteKnowsTheCalculatedTexts)
{
    const struct {
        const char* cls;
        const char* palette;
        int position, hint;
    } expected[] = {{"TjxSystemVariable", "Standard Components", 3, 491},
                    {"TjxVariable", "Standard Components", 4, 492},
                    {"TjxDBCalc", "Data Components", 3, 164}};
    for (const auto& e : expected) {
        const TjxRegComponent* reg = RegisteredComponents().Find(QString::fromLatin1(e.cls));
        ASSERT_NE(reg, nullptr) << e.cls;
        EXPECT_EQ(reg->paletteName, QString::fromLatin1(e.palette));
        EXPECT_EQ(reg->position, e.position);
        EXPECT_EQ(reg->Hint(), GetMessage(e.hint));
    }
    // The older component is read from streams but not offered any more.
    EXPECT_EQ(RegisteredComponents().Find(u"TjxCalc"), nullptr);
    EXPECT_NE(FindClass(u"TjxCalc"_qs), nullptr);
}

TEST(CalculationDesigner, ComponentsShowWhatTheyCalculate)
{
    TCalcReport r;
    auto designing = [](TjxPrintable* c) {
        c->IncludeDesignState(dsDesigning);
        return c;
    };
    auto* variable = r.Add<TjxVariable>("jxVariable1");
    designing(variable);
    variable->SetUserName(QStringLiteral("Total"));
    variable->SetAsInteger(12);
    EXPECT_EQ(variable->GetText(), u"Total");
    EXPECT_EQ(variable->Caption(), u"Total");

    auto* system = r.Add<TjxSystemVariable>("jxSystemVariable1");
    designing(system);
    system->SetUserName(QStringLiteral("Pages"));
    system->SetVarType(vtPageSetDesc);
    EXPECT_EQ(system->GetText(), u"Page 1 of 1");
    EXPECT_EQ(system->Caption(), u"Page 1 of 1");
    EXPECT_EQ(system->DisplayName(), u"PageSetDesc: Pages");
    system->SetVarType(vtDocumentName);
    EXPECT_EQ(system->DisplayName(), u"DocumentName: Pages");

    auto* dbCalc = r.Add<TjxDBCalc>("jxDBCalc1");
    designing(dbCalc);
    EXPECT_EQ(dbCalc->GetText(), u"Sum(?)");
    dbCalc->SetDBCalcType(dcCount);
    EXPECT_EQ(dbCalc->GetText(), u"Count(*)");
    dbCalc->SetDataPipeline(r.pipeline);
    dbCalc->SetDataField(QStringLiteral("amount"));
    dbCalc->SetDBCalcType(dcAverage);
    EXPECT_EQ(dbCalc->GetText(), u"Average(amount)");
    EXPECT_EQ(dbCalc->Caption(), u"Average(amount)");

    auto* calc = r.Add<TjxCalc>("jxCalc1");
    designing(calc);
    calc->SetCalcType(ctPageSet);
    EXPECT_EQ(calc->GetText(), u"1 of 1");
    EXPECT_EQ(calc->Caption(), u"1 of 1");
    // A printing component leaves the designer's caption alone.
    calc->SetPrinting(true);
    calc->SetCalcType(ctCustom);
    EXPECT_EQ(calc->Caption(), u"1 of 1");
    calc->SetPrinting(false);
    calc->SetCustomType(dtInteger);
    EXPECT_EQ(calc->GetText(), u"Custom");
    EXPECT_EQ(calc->Caption(), u"Custom");

    // A database calculation restarts with the group of the band it is put in.
    TjxGroup* group = r.AddGroup("jxGroup1");
    dbCalc->SetBand(group->HeaderBand());
    EXPECT_EQ(dbCalc->ResetGroup(), group);
    dbCalc->SetBand(r.header);
    EXPECT_EQ(dbCalc->ResetGroup(), nullptr);
}

TEST(CalculationValues, VariableStoresValuesInTheSlotOfItsType)
{
    TCalcReport r;
    auto* v = r.Add<TjxVariable>("jxVariable1");
    EXPECT_EQ(v->DataType(), dtString);
    v->SetDataType(dtMemo);
    EXPECT_EQ(v->DataType(), dtString);

    v->SetDataType(dtInteger);
    v->SetValue(TVarValue::WideString(QStringLiteral("42")));
    EXPECT_EQ(v->Value().integer, 42);
    v->SetValue(TVarValue::Null());
    EXPECT_EQ(v->Value().integer, 42);
    EXPECT_THROW(v->SetValue(TVarValue::WideString(QStringLiteral("forty"))), EConvertError);
    EXPECT_EQ(v->Value().integer, 42);
    v->SetValue(TVarValue::Double(2.5));
    EXPECT_EQ(v->Value().integer, 2);  // halves go to the even neighbour

    // Each type keeps its own slot.
    v->SetText(QStringLiteral("kept"));
    EXPECT_EQ(v->DataType(), dtString);
    v->SetDataType(dtInteger);
    EXPECT_EQ(v->Value().integer, 2);
    v->SetDataType(dtString);
    EXPECT_EQ(v->Value().text, u"kept");

    v->SetAsCurrency(12345);
    EXPECT_EQ(v->DataType(), dtCurrency);
    v->SetValue(TVarValue::Double(1.23456));
    EXPECT_EQ(v->Slots().currency, 12346);
    v->SetDataType(dtChar);
    v->SetValue(TVarValue::WideString(QStringLiteral("xyz")));
    EXPECT_EQ(v->Value().text, u"x");
    v->SetAsBoolean(true);
    EXPECT_EQ(v->GetText(), u"True");

    // Blank for a zero number only.
    v->SetBlankWhenZero(true);
    v->SetAsInteger(0);
    EXPECT_EQ(v->GetText(), QString());
    v->SetAsString(QStringLiteral("0"));
    EXPECT_EQ(v->GetText(), u"0");
    v->SetAsDouble(0.5);
    v->SetDisplayFormat(QStringLiteral("0.00"));
    EXPECT_EQ(v->GetText(), u"0.50");

    // The value is part of the page record.
    const QByteArray record = v->SaveState();
    v->SetAsDouble(9);
    ASSERT_TRUE(v->RestoreState(record));
    EXPECT_EQ(v->Value().real, 0.5);
}

TEST(CalculationValues, CalcOrderMovesWithinTheBand)
{
    TCalcReport r;
    auto* a = r.Add<TjxVariable>("jxVariable1");
    auto* b = r.Add<TjxVariable>("jxVariable2");
    auto* c = r.Add<TjxVariable>("jxVariable3");
    EXPECT_EQ(a->CalcOrder(), 0);
    EXPECT_EQ(c->CalcOrder(), 2);
    c->SetCalcOrder(-5);
    EXPECT_EQ(c->CalcOrder(), 0);
    EXPECT_EQ(a->CalcOrder(), 1);
    EXPECT_EQ(b->CalcOrder(), 2);
    c->SetCalcOrder(99);
    EXPECT_EQ(c->CalcOrder(), 2);
    EXPECT_EQ(b->CalcOrder(), 1);

    // Senders tell their listeners in band and calculation order.
    QStringList log;
    for (TjxVariable* v : {a, b, c}) {
        v->SetCalcType(veDataPipelineTraversal);
        v->SetCalcComponent(r.pipeline);
        v->SetPrinting(true);
        const QString name = v->Name();
        TMethod m;
        m.code = [&log, name](TComponent*, TjxEventParams&) { log << name.right(1); };
        v->SetOnCalc(m);
    }
    b->SetCalcOrder(0);
    for (TjxVariable* v : {a, b, c})
        v->InitGeneration();
    r.pipeline->Traversal();
    EXPECT_EQ(log.join(QString()), u"213");
}

TEST(CalculationDrawCommands, LookAheadCommandsTakeLaterValuesOfTheirScope)
{
    TjxCommunicator source;
    TjxLookAheadValues values;
    const QString first = LookAheadKey(QString(), 0, 0);
    const QString next = LookAheadKey(QString(), 1, 0);
    EXPECT_EQ(first, u"       0|       0");
    values.Record(source, first, QStringLiteral("5"));

    TjxDrawVariable command;
    values.Apply(source, first, command, true);
    EXPECT_EQ(command.Text(), u"5");
    EXPECT_TRUE(command.IsUpdateable());
    EXPECT_TRUE(command.RefreshText());
    values.Record(source, first, QStringLiteral("8"));
    EXPECT_EQ(command.Text(), u"8");

    TjxDrawVariable copy;
    copy.Assign(&command);
    EXPECT_TRUE(copy.LookAhead());
    EXPECT_EQ(copy.VariableName(), first);
    values.Record(source, first, QStringLiteral("11"));
    EXPECT_EQ(copy.Text(), u"11");

    // Another scope's values end the wait.
    values.Record(source, next, QStringLiteral("1"));
    values.Record(source, next, QStringLiteral("2"));
    EXPECT_EQ(command.Text(), u"11");
    EXPECT_FALSE(command.RefreshText());
    EXPECT_FALSE(copy.RefreshText());
    values.Record(source, first, QStringLiteral("99"));
    EXPECT_EQ(command.Text(), u"11");

    // A command made in the second pass takes the final text and waits for nothing.
    TjxDrawVariable later;
    values.Apply(source, first, later, false);
    EXPECT_EQ(later.Text(), u"99");
    EXPECT_FALSE(later.IsUpdateable());
}

TEST(CalculationDrawCommands, PageNumbersRefreshFromTheirPage)
{
    TjxPage page;
    page.SetPageNo(3);
    page.SetPageCount(7);
    auto* set = new TjxDrawVar;
    set->SetVarType(vtPageSetDesc);
    auto* number = new TjxDrawVar;
    number->SetVarType(vtPageNo);
    number->SetDisplayFormat(QStringLiteral("00"));
    auto* date = new TjxDrawVar;
    date->SetVarType(vtDate);
    auto* calcSet = new TjxDrawCalc;
    calcSet->SetCalcType(ctPageSet);
    auto* calcNo = new TjxDrawCalc;
    calcNo->SetCalcType(ctPageNo);
    calcNo->SetText(QStringLiteral("1"));
    for (TjxDrawCommand* c : std::initializer_list<TjxDrawCommand*>{set, number, date, calcSet, calcNo})
        page.AddDrawCommand(c);
    EXPECT_EQ(page.UpdateableCount(), 4);
    page.RefreshUpdateables();
    EXPECT_EQ(set->Text(), u"Page 3 of 7");
    EXPECT_EQ(number->Text(), u"03");
    EXPECT_EQ(calcSet->Text(), u"3 of 7");
    EXPECT_FALSE(calcNo->RefreshText());
    EXPECT_EQ(calcNo->Text(), u"1");
    EXPECT_FALSE(date->RefreshText());

    // A copy keeps the format, so it renumbers without the component.
    TjxPage copy;
    copy.Assign(&page);
    copy.SetPageNo(4);
    copy.RefreshUpdateables();
    EXPECT_EQ(dynamic_cast<TjxDrawVar*>(copy.DrawCommand(1))->Text(), u"04");
}
