// The report model: bands and their order, groups, settings rules, streaming
// and the conversion of older streams.

#include "document/errors.h"
#include "document/parameter_list.h"
#include "document/printer_setup.h"
#include "document/report.h"
#include "document/report_template.h"
#include "document/stream_reader.h"
#include "document/stream_text.h"
#include "document/stream_writer.h"
#include "engine/engine.h"
#include "output/page.h"
#include "output/page_request.h"
#include "platform/file_io.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvane;

namespace {

// A window-like owner that streams the components it owns without a parent.
class TReportHost : public TComponent {
public:
    explicit TReportHost(TComponent* owner = nullptr) : TComponent(owner) {}
    void GetChildren(const TGetChildProc& proc, TComponent*) const override
    {
        for (int i = 0; i < ComponentCount(); ++i)
            if (!Components(i)->HasParent())
                proc(Components(i));
    }
};

QStringList BandNames(const TjxCustomReport& report)
{
    QStringList names;
    for (TjxBand* band : report.Bands())
        names << band->Name();
    return names;
}

TjxGroup* AddGroup(TjxReport& report, const char* breakName)
{
    auto* group = new TjxGroup(report.Owner());
    group->SetName(report.GetValidName(group));
    group->SetReport(&report);
    group->SetBreakName(QString::fromLatin1(breakName));
    report.EnsureBands();
    return group;
}

} // namespace

TEST(Report, EnsureBandsCreatesHeaderDetailFooterInOrder)
{
    TReportHost host;
    auto* report = new TjxReport(&host);
    report->SetName(QStringLiteral("rptTest"));
    EXPECT_EQ(report->BandCount(), 0);
    report->EnsureBands();
    EXPECT_EQ(BandNames(*report), QStringList({"jxHeaderBand1", "jxDetailBand1", "jxFooterBand1"}));
    EXPECT_EQ(report->Band(0)->Owner(), &host);
    EXPECT_EQ(report->Band(0)->mmHeight(), 13229);
    EXPECT_EQ(report->UserName(), u"Report");

    // A title goes first; a summary after the footer but before a page style.
    report->CreateBand(btPageStyle);
    report->CreateBand(btSummary);
    report->CreateBand(btTitle);
    EXPECT_EQ(BandNames(*report), QStringList({"jxTitleBand1", "jxHeaderBand1", "jxDetailBand1", "jxFooterBand1",
                                               "jxSummaryBand1", "jxPageStyle1"}));
    EXPECT_EQ(report->FindBand(btSummary)->Name(), u"jxSummaryBand1");
    EXPECT_EQ(report->FindBand(btGroupHeader, 0), nullptr);
    EXPECT_EQ(report->FindBand(btColumnHeader), nullptr);
}

TEST(Report, GroupBandsSortAroundTheDetail)
{
    TReportHost host;
    auto* report = new TjxReport(&host);
    report->EnsureBands();
    TjxGroup* g0 = AddGroup(*report, "Customer");
    TjxGroup* g1 = AddGroup(*report, "Invoice");
    QStringList types;
    for (TjxBand* b : report->Bands())
        types << QString::number(b->BandType()) + (b->Group() ? QString::number(b->GroupIndex()) : QString());
    EXPECT_EQ(types, QStringList({"0", "30", "31", "4", "51", "50", "8"}));
    EXPECT_EQ(report->FindBand(btGroupFooter, 1), g1->FooterBand());
    EXPECT_EQ(report->FindBand(btGroupHeader, 2), nullptr);
    EXPECT_EQ(g0->HeaderBand()->Caption(), u"Group Header[0]: Customer");

    // Moving a group re-sorts its bands.
    report->MoveGroup(g1, 0);
    EXPECT_EQ(report->Band(1), g1->HeaderBand());
    EXPECT_EQ(report->Band(4), g0->FooterBand());

    // Destroying a group takes its bands along.
    delete g1;
    EXPECT_EQ(report->BandCount(), 5);
    EXPECT_EQ(report->GroupCount(), 1);
}

TEST(Report, SettingRules)
{
    TReportHost host;
    TjxReport report(&host);
    const uint32_t page = 1u << ndBlankPage, blank = 1u << ndBlankReport, message = 1u << ndMessageOnPage;
    EXPECT_EQ(report.NoDataBehaviors(), page);
    report.SetNoDataBehaviors(page | blank);
    EXPECT_EQ(report.NoDataBehaviors(), blank);
    report.SetNoDataBehaviors(page | blank);
    EXPECT_EQ(report.NoDataBehaviors(), page);
    report.SetNoDataBehaviors(0);
    EXPECT_EQ(report.NoDataBehaviors(), page);
    report.SetNoDataBehaviors(message | page);
    EXPECT_EQ(report.NoDataBehaviors(), page);
    report.SetNoDataBehaviors(message | blank);
    EXPECT_EQ(report.NoDataBehaviors(), message | blank);

    report.SetColumns(0);
    EXPECT_EQ(report.Columns(), 1);

    TjxGroup group(&host);
    group.SetReport(&report);
    group.SetNewPage(true);
    group.SetKeepTogether(true);
    EXPECT_FALSE(group.NewPage());
    group.SetNewColumn(true);
    EXPECT_FALSE(group.KeepTogether());
    group.SetReport(nullptr);
    group.SetBreakType(btCustomField);  // only inside a report
    EXPECT_EQ(group.BreakType(), btDataField);
}

TEST(Report, BandHeightChangesCanBeVetoed)
{
    TReportHost host;
    TjxReport report(&host);
    report.EnsureBands();
    TjxBand* header = report.FindBand(btHeader);
    TjxCommunicator listener;
    listener.AddEventInterest(ciBandHeightChanging);
    listener.AddEventInterest(ciBandHeightChanged);
    std::vector<int> heard;
    bool veto = true;
    listener.OnEventNotify = [&](TjxCommunicator*, int id, TjxEventParams* p) {
        heard.push_back(id);
        if (id == ciBandHeightChanging && veto)
            p->SetValue(u"IsValid", false);
    };
    header->AddEventNotify(&listener);
    header->SetmmHeight(5000);
    EXPECT_EQ(header->mmHeight(), 13229);
    veto = false;
    const int before = report.LayoutChangeCount();
    header->SetmmHeight(-3);
    EXPECT_EQ(header->mmHeight(), 0);
    EXPECT_EQ(heard, (std::vector<int>{ciBandHeightChanging, ciBandHeightChanging, ciBandHeightChanged}));
    EXPECT_GT(report.LayoutChangeCount(), before);
}

TEST(Report, StreamsBandsGroupsAndParametersInOrder)
{
    TReportHost host;
    host.SetName(QStringLiteral("Form1"));
    auto* report = new TjxReport(&host);
    report->SetName(QStringLiteral("rptInvoice"));
    report->EnsureBands();
    AddGroup(*report, "Customer");
    report->Parameters()->AddName(QStringLiteral("Year"));
    report->SetPassSetting(psTwoPass);
    report->SetAutoStop(false);

    QByteArray text;
    ObjectBinaryToText(WriteComponentToBytes(report, &host), text);
    const QList<QByteArray> lines = text.split('\n');
    QStringList objects;
    for (const QByteArray& line : lines)
        if (line.trimmed().startsWith("object "))
            objects << QString::fromLatin1(line.trimmed());
    EXPECT_EQ(objects, QStringList({"object rptInvoice: TjxReport", "object jxHeaderBand1: TjxHeaderBand",
                                    "object jxDetailBand1: TjxDetailBand", "object jxFooterBand1: TjxFooterBand",
                                    "object jxGroup1: TjxGroup", "object jxGroupHeaderBand1: TjxGroupHeaderBand",
                                    "object jxGroupFooterBand1: TjxGroupFooterBand",
                                    "object jxParameterList1: TjxParameterList", "object Year: TjxParameter"}));
    EXPECT_TRUE(text.contains("  AutoStop = False\r\n"));
    EXPECT_TRUE(text.contains("  PassSetting = psTwoPass\r\n"));
    EXPECT_TRUE(text.contains("  Version = '9.01'\r\n"));
    EXPECT_TRUE(text.contains("    mmHeight = 13229\r\n"));

    // Read into another host: the same tree and the same bytes again.
    const QByteArray bytes = WriteComponentToBytes(report, &host);
    TReportHost host2;
    host2.SetName(QStringLiteral("Form1"));
    auto* copy = dynamic_cast<TjxReport*>(ReadComponentFromBytes(bytes, nullptr, &host2));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(BandNames(*copy), BandNames(*report));
    ASSERT_EQ(copy->GroupCount(), 1);
    EXPECT_EQ(copy->Group(0)->BreakName(), u"Customer");
    ASSERT_NE(copy->ParameterList(), nullptr);
    EXPECT_EQ(copy->ParameterList()->Count(), 1);
    EXPECT_EQ(WriteComponentToBytes(copy, &host2), bytes);
}

TEST(Report, OlderStreamsAreConverted)
{
    EXPECT_EQ(TjxCustomReport::VersionNumber(QStringLiteral("9.01")), 9010);
    EXPECT_EQ(TjxCustomReport::VersionNumber(QStringLiteral("4.1")), 4100);
    EXPECT_EQ(TjxCustomReport::VersionNumber(QStringLiteral("1.27")), 1270);
    EXPECT_EQ(TjxCustomReport::VersionNumber(QStringLiteral("9.01 Beta Build 8")), 3999);
    EXPECT_EQ(TjxCustomReport::VersionNumber(QStringLiteral("9.01 Beta Build 5")), 3998);

    for (const char* version : {"4.0", "9.01"}) {
        const QByteArray text = QByteArray("object rptOld: TjxReport\r\n  Version = '") + version +
                                "'\r\n  object jxHeaderBand1: TjxHeaderBand\r\n  end\r\nend\r\n";
        QByteArray bytes;
        ObjectTextToBinary(text, bytes);
        TReportHost host;
        auto* report = static_cast<TjxReport*>(ReadComponentFromBytes(bytes, nullptr, &host));
        EXPECT_EQ(report->AutoStop(), QByteArray(version) == "9.01") << version;
        EXPECT_EQ(report->Version(), 9010);
        EXPECT_EQ(report->ConvertedFromOldFormat(), false);
    }
    // A band of a very old stream had its height in screen pixels.
    const QByteArray old =
        "object rptOld: TjxReport\r\n  Version = '2.0'\r\n  object jxHeaderBand1: TjxHeaderBand\r\n"
        "    mmHeight = 96\r\n  end\r\nend\r\n";
    QByteArray bytes;
    ObjectTextToBinary(old, bytes);
    TReportHost host;
    auto* report = static_cast<TjxReport*>(ReadComponentFromBytes(bytes, nullptr, &host));
    EXPECT_EQ(report->FindBand(btHeader)->mmHeight(), 25400);
    EXPECT_TRUE(report->ConvertedFromOldFormat());
    EXPECT_EQ(report->PassSetting(), psTwoPass);
}

TEST(Report, StreamsWithoutVersionConvertOnlyWhatTheyHold)
{
    const auto load = [](const QByteArray& text, TReportHost& host) {
        QByteArray bytes;
        ObjectTextToBinary(text, bytes);
        return static_cast<TjxReport*>(ReadComponentFromBytes(bytes, nullptr, &host));
    };
    TReportHost freshHost;
    const TjxPageDef& defaults = *(new TjxReport(&freshHost))->PrinterSetup()->PageDef();

    // Nothing but the class: every value is a default and stays one.
    TReportHost host;
    const QByteArray bare = "object rpt: TjxReport\r\nend";
    ASSERT_EQ(bare.size(), 26);
    TjxReport* report = load(bare, host);
    const TjxPageDef& page = *report->PrinterSetup()->PageDef();
    EXPECT_TRUE(page.Equals(defaults));
    EXPECT_EQ(page.mmMarginTop(), 6350);
    EXPECT_TRUE(report->AutoStop());
    EXPECT_EQ(report->PassSetting(), psOnePass);
    EXPECT_TRUE(report->OutlineSettings()->Enabled());
    EXPECT_EQ(report->Version(), 9010);

    // What such a stream holds is read as the oldest form: report units
    // (inches) for the page, screen pixels for band heights; the rest stays.
    TReportHost oldHost;
    report = load("object rpt: TjxReport\r\n  PrinterSetup.mmMarginTop = 1\r\n"
                  "  object jxHeaderBand1: TjxHeaderBand\r\n    mmHeight = 96\r\n  end\r\n"
                  "  object jxDetailBand1: TjxDetailBand\r\n  end\r\nend\r\n",
                  oldHost);
    EXPECT_EQ(report->PrinterSetup()->PageDef()->mmMarginTop(), 25400);
    EXPECT_EQ(report->PrinterSetup()->PageDef()->mmMarginLeft(), 6350);
    EXPECT_EQ(report->PrinterSetup()->PageDef()->mmWidth(), defaults.mmWidth());
    EXPECT_EQ(report->FindBand(btHeader)->mmHeight(), 25400);
    EXPECT_EQ(report->FindBand(btDetail)->mmHeight(), 13229);
    EXPECT_TRUE(report->AutoStop());

    // A stream that names an old version gets that version's behaviour too,
    // and its converted lengths stay within the stored range.
    TReportHost namedHost;
    report = load("object rpt: TjxReport\r\n  PrinterSetup.mmPaperHeight = 1000\r\n  Version = '2.0'\r\nend\r\n",
                  namedHost);
    EXPECT_FALSE(report->AutoStop());
    EXPECT_EQ(report->PassSetting(), psTwoPass);
    EXPECT_EQ(report->PrinterSetup()->PageDef()->mmHeight(), TReader::kMaxStoredLength);
    EXPECT_EQ(report->PrinterSetup()->PageDef()->mmMarginTop(), 6350);
}

TEST(Report, TemplateWithoutVersionRendersOnePage)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bare.rtm"));
    WriteWholeFile(file, "object rpt: TjxReport\r\nend");
    TReportHost host;
    auto* report = new TjxReport(&host);
    report->SetName(QStringLiteral("rptBare"));
    report->Template()->SetFileName(file);
    report->Template()->LoadFromFile();
    report->SetEnableProcessMessages(false);

    int pages = 0;
    report->Engine()->OnAfterSendPage = [&pages](TjxPage& page) {
        if (page.Final() && ++pages > 3)
            throw EOrvaneError(QStringLiteral("the report does not end"));
    };
    TjxPageRequest request;
    request.SetPageSetting(psAll);
    report->Engine()->Generate(request);
    EXPECT_EQ(pages, 1);
}

TEST(Report, AutoSearchCriteriaAreChildrenAnnouncedAndStreamed)
{
    TReportHost host;
    auto* report = new TjxReport(&host);
    report->SetName(QStringLiteral("rptSearch"));
    TjxCommunicator listener;
    listener.AddEventInterest(ciReportAutoSearchFieldCreated);
    TPersistent* announced = nullptr;
    listener.OnEventNotify = [&](TjxCommunicator*, int, TjxEventParams* p) {
        announced = p->Value(u"aAutoSearchField").value<TPersistent*>();
    };
    report->AddEventNotify(&listener);
    TjxAutoSearchField* field =
        report->CreateAutoSearchCriteria(QStringLiteral("plCustomers"), QStringLiteral("Name"), soEqual,
                                         QStringLiteral("Smith"), true);
    EXPECT_EQ(announced, field);
    EXPECT_EQ(field->Parent(), report);
    EXPECT_EQ(report->AutoSearchFieldCount(), 1);
    EXPECT_EQ(report->AutoSearchCriteriaByName(u"PLCUSTOMERS", u"name"), field);
    EXPECT_EQ(report->AutoSearchCriteriaByName(u"plOther", u"Name"), nullptr);
    EXPECT_FALSE(report->AutoSearchDescription().isEmpty());

    // Streamed after the bands, read back as the report's fields.
    const QByteArray bytes = WriteComponentToBytes(report, &host);
    TReportHost host2;
    auto* copy = static_cast<TjxReport*>(ReadComponentFromBytes(bytes, nullptr, &host2));
    ASSERT_EQ(copy->AutoSearchFieldCount(), 1);
    EXPECT_EQ(copy->AutoSearchFields(0)->FieldName(), u"Name");
    EXPECT_EQ(copy->AutoSearchDescription(), report->AutoSearchDescription());
    delete field;
    EXPECT_EQ(report->AutoSearchFieldCount(), 0);
}
