// What report objects tell the designer they are attached to: which numbered
// notification each real operation sends, with which object, and when
// nothing is sent. Also the report's modified flag and the screen-pixel
// geometry of printables.

#include "components/label.h"
#include "document/errors.h"
#include "document/page_def.h"
#include "document/printer_setup.h"
#include "document/report.h"
#include "document/report_template.h"
#include "document/resource_manager.h"
#include "engine/region.h"
#include "engine/subreport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

using namespace orvane;

namespace {

class THost : public TComponent {
public:
    explicit THost(TComponent* owner = nullptr) : TComponent(owner) {}
};

struct TNote {
    int message;
    int code;
    TjxCommunicator* object;
    bool operator==(const TNote& o) const = default;
};

void PrintTo(const TNote& n, std::ostream* os)
{
    *os << "{" << n.message << ", " << n.code << ", " << static_cast<const void*>(n.object) << "}";
}

// A designer that writes down what it is told.
class TRecorder : public TjxDesignerInterface, public TjxComponentDesigner {
public:
    std::vector<TNote> notes;
    std::vector<TjxCommunicator*> modified;
    std::function<void(const TNote&)> onNote;

    void NotifyDesignerModified(TjxCommunicator* object) override { modified.push_back(object); }
    void NotifyDesignerPropertyChange(TjxCommunicator*, const QString&) override {}
    void NotifyDesigner(int message, int code, TjxCommunicator* object) override
    {
        notes.push_back({message, code, object});
        if (onNote)
            onNote(notes.back());
    }
    TjxDesignerInterface* DesignerInterface() const override { return const_cast<TRecorder*>(this); }

    // The notes of one number.
    std::vector<TNote> Of(int message) const
    {
        std::vector<TNote> result;
        for (const TNote& n : notes)
            if (n.message == message)
                result.push_back(n);
        return result;
    }
    std::vector<TNote> Take() { return std::exchange(notes, {}); }
};

TNote N(int message, TjxCommunicator* object)
{
    return {message, kDesignerNotifyCode, object};
}

struct Fixture {
    // The designer outlives the report objects it hears from.
    TRecorder designer;
    QTemporaryDir dir;
    THost host;
    TjxReport* report;

    Fixture()
    {
        host.SetName(QStringLiteral("Form1"));
        report = new TjxReport(&host);
        report->SetName(QStringLiteral("rptTest"));
        report->EnsureBands();
        report->SetComponentDesigner(&designer);
        // The workspace gives every band a bar whose designer is the window's.
        for (TjxBand* band : report->Bands())
            band->SetComponentDesigner(&designer);
        designer.notes.clear();
    }
    TjxBand* Detail() const { return report->FindBand(btDetail); }
    TjxBand* Header() const { return report->FindBand(btHeader); }
    TjxLabel* AddLabel(TjxBand* band, const char* name)
    {
        auto* label = new TjxLabel(&host);
        label->SetName(QString::fromLatin1(name));
        label->SetBand(band);
        return label;
    }
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

} // namespace

TEST(DesignerAttach, AttachAndDetachAreToldOnceToTheDesignerConcerned)
{
    TRecorder first, second;
    THost host;
    auto* report = new TjxReport(&host);
    report->EnsureBands();

    report->SetComponentDesigner(&first);
    report->SetComponentDesigner(&first);
    EXPECT_EQ(first.Take(), std::vector<TNote>{N(dnReportAttached, report)});

    report->SetComponentDesigner(&second);
    EXPECT_EQ(first.Take(), std::vector<TNote>{N(dnReportDetached, report)});
    EXPECT_EQ(second.Take(), std::vector<TNote>{N(dnReportAttached, report)});
    EXPECT_EQ(report->GetDesignerInterface(), &second);

    report->SetComponentDesigner(nullptr);
    EXPECT_EQ(second.Take(), std::vector<TNote>{N(dnReportDetached, report)});
    EXPECT_EQ(report->GetDesignerInterface(), nullptr);
    delete report;
    EXPECT_TRUE(first.notes.empty());
    EXPECT_TRUE(second.notes.empty());
}

TEST(DesignerAttach, ADesignerAnsweringWithAttachOrDetachIsToldNothingTwice)
{
    // The window attaches the report it is told of and detaches the one it
    // lets go of; neither may come back to it as a second notification.
    TRecorder window;
    THost host;
    auto* report = new TjxReport(&host);
    window.onNote = [&](const TNote& n) {
        if (n.message == dnReportAttached)
            report->SetComponentDesigner(&window);
        if (n.message == dnReportDetached || n.message == dnReportDestroyed)
            report->SetComponentDesigner(nullptr);
    };
    report->SetComponentDesigner(&window);
    report->SetComponentDesigner(nullptr);
    EXPECT_EQ(window.Take(), (std::vector<TNote>{N(dnReportAttached, report), N(dnReportDetached, report)}));

    report->SetComponentDesigner(&window);
    window.notes.clear();
    delete report;
    EXPECT_EQ(window.Take(), (std::vector<TNote>{N(dnReportDestroyed, report), N(dnReportDetached, report)}));
}

TEST(DesignerAttach, ChildReportsOfSubreportsFollowTheMainReport)
{
    Fixture f;
    f.report->SetComponentDesigner(nullptr);
    auto* sub = new TjxSubReport(&f.host);
    sub->SetName(QStringLiteral("jxSubReport1"));
    sub->SetParentComponent(f.Detail());
    ASSERT_NE(sub->Report(), nullptr);
    TjxChildReport* child = sub->Report();
    child->EnsureBands();
    auto* inner = new TjxSubReport(&f.host);
    inner->SetName(QStringLiteral("jxSubReport2"));
    inner->SetParentComponent(child->FindBand(btDetail));
    ASSERT_NE(inner->Report(), nullptr);
    TjxChildReport* grandChild = inner->Report();
    f.designer.notes.clear();

    f.report->SetComponentDesigner(&f.designer);
    // The main report first, so that the window knows it when the children come.
    EXPECT_EQ(f.designer.Take(), (std::vector<TNote>{N(dnReportAttached, f.report), N(dnReportAttached, child),
                                                     N(dnReportAttached, grandChild)}));
    EXPECT_EQ(grandChild->GetDesignerInterface(), &f.designer);

    f.report->SetComponentDesigner(nullptr);
    EXPECT_EQ(f.designer.Take(), (std::vector<TNote>{N(dnReportDetached, grandChild), N(dnReportDetached, child),
                                                     N(dnReportDetached, f.report)}));
    EXPECT_EQ(child->GetComponentDesigner(), nullptr);
    EXPECT_EQ(grandChild->GetComponentDesigner(), nullptr);

    f.report->SetComponentDesigner(&f.designer);
    f.designer.notes.clear();
    delete inner;
    EXPECT_EQ(f.designer.Of(dnReportDestroyed), std::vector<TNote>{N(dnReportDestroyed, grandChild)});
}

TEST(DesignerNotify, NamesOfComponentsReportsAndTemplates)
{
    Fixture f;
    TjxLabel* label = f.AddLabel(f.Detail(), "jxLabel1");
    f.designer.notes.clear();

    label->SetName(QStringLiteral("jxLabelTotal"));
    // The user name follows the name: still one notification.
    EXPECT_EQ(f.designer.Of(dnNameChanged), std::vector<TNote>{N(dnNameChanged, label)});
    EXPECT_EQ(label->UserName(), u"LabelTotal");
    f.designer.notes.clear();

    label->SetUserName(QStringLiteral("Total"));
    label->SetUserName(QStringLiteral("Total"));
    EXPECT_EQ(f.designer.Take(), std::vector<TNote>{N(dnNameChanged, label)});
    // An invalid user name changes nothing and tells nothing.
    label->SetUserName(QStringLiteral("1st"));
    EXPECT_TRUE(f.designer.notes.empty());

    f.report->SetName(QStringLiteral("rptOrders"));
    EXPECT_EQ(f.designer.Of(dnNameChanged), std::vector<TNote>{N(dnNameChanged, f.report)});
    f.designer.notes.clear();

    f.report->Template()->SetFileName(f.Path("orders.rtm"));
    f.report->Template()->SetFileName(f.Path("orders.rtm"));
    EXPECT_EQ(f.designer.Take(), std::vector<TNote>{N(dnNameChanged, f.report)});
}

TEST(DesignerNotify, PropertiesOfComponentsBandsAndReports)
{
    Fixture f;
    TjxLabel* label = f.AddLabel(f.Detail(), "jxLabel1");
    f.designer.notes.clear();

    label->SetTransparent(true);
    label->SetTransparent(true);
    EXPECT_EQ(f.designer.Take(), std::vector<TNote>{N(dnPropertyChanged, label)});

    label->Font()->SetSize(14);
    EXPECT_EQ(f.designer.Take(), std::vector<TNote>{N(dnPropertyChanged, label)});

    f.Detail()->SetmmHeight(20000);
    EXPECT_EQ(f.designer.Take(), std::vector<TNote>{N(dnPropertyChanged, f.Detail())});
    f.Detail()->SetVisible(false);
    EXPECT_EQ(f.designer.Take(), std::vector<TNote>{N(dnPropertyChanged, f.Detail())});

    f.report->SetPageLimit(3);
    EXPECT_EQ(f.designer.Take(), std::vector<TNote>{N(dnPropertyChanged, f.report)});
    f.report->SetColumns(2);
    EXPECT_EQ(f.designer.Take(), std::vector<TNote>{N(dnPropertyChanged, f.report)});

    TjxCommunicator pipeline(&f.host);
    label->SetDataPipeline(&pipeline);
    // A pipeline of its own also turns ParentDataPipeline off: two properties.
    EXPECT_EQ(f.designer.Take(), (std::vector<TNote>{N(dnPropertyChanged, label), N(dnDataPipelineChanged, label),
                                                     N(dnPropertyChanged, label)}));
    label->SetDataPipeline(&pipeline);
    EXPECT_TRUE(f.designer.notes.empty());
    label->SetDataPipeline(nullptr);
    EXPECT_EQ(f.designer.Of(dnDataPipelineChanged), std::vector<TNote>{N(dnDataPipelineChanged, label)});
}

TEST(DesignerNotify, UnitsLanguageAndSelectionPassTheReportNotAValue)
{
    Fixture f;
    TjxUnitType seen = utInches;
    f.designer.onNote = [&](const TNote& n) {
        if (n.message == dnUnitsChanged)
            seen = static_cast<TjxCustomReport*>(n.object)->Units();
    };
    f.report->SetUnits(utMillimeters);
    EXPECT_EQ(f.designer.Of(dnUnitsChanged), std::vector<TNote>{N(dnUnitsChanged, f.report)});
    EXPECT_EQ(seen, utMillimeters);
    f.designer.notes.clear();
    f.report->SetUnits(utMillimeters);
    EXPECT_TRUE(f.designer.Of(dnUnitsChanged).empty());

    f.report->SelectInDesigner();
    EXPECT_EQ(f.designer.Take(), std::vector<TNote>{N(dnSelectReport, f.report)});

    TjxResourceManager& resources = TjxResourceManager::Instance();
    const QStringList searchPath = resources.SearchPath();
    QFile module(QDir(f.dir.path()).filePath(QStringLiteral("lxPrint.deu")));
    ASSERT_TRUE(module.open(QIODevice::WriteOnly));
    module.write("18=Seite\n");
    module.close();
    resources.SetSearchPath({f.dir.path()});
    resources.AddModule(kPrintModuleName);

    // A language without modules is refused: nothing changed, nothing told.
    f.report->SetLanguage(lgItalian);
    EXPECT_TRUE(f.designer.Of(dnLanguageChanged).empty());
    f.report->SetLanguage(lgGerman);
    const std::vector<TNote> told = f.designer.Of(dnLanguageChanged);
    f.report->SetLanguage(lgDefault);
    resources.SetSearchPath(searchPath);
    EXPECT_EQ(told, std::vector<TNote>{N(dnLanguageChanged, f.report)});
}

TEST(DesignerNotify, ChildrenJoiningLeavingAndMovingInBandsAndRegions)
{
    Fixture f;
    TjxLabel* label = f.AddLabel(f.Detail(), "jxLabel1");
    EXPECT_EQ(f.designer.Of(dnChildAdded), std::vector<TNote>{N(dnChildAdded, label)});
    TjxLabel* other = f.AddLabel(f.Detail(), "jxLabel2");
    f.designer.notes.clear();

    label->SetBand(f.Header());
    EXPECT_EQ(f.designer.Of(dnChildRemoved), std::vector<TNote>{N(dnChildRemoved, label)});
    EXPECT_EQ(f.designer.Of(dnChildAdded), std::vector<TNote>{N(dnChildAdded, label)});
    label->SetBand(f.Detail());
    f.designer.notes.clear();

    label->BringToFront();
    EXPECT_EQ(f.Detail()->IndexOfChild(label), 1);
    EXPECT_EQ(f.designer.Of(dnChildChanged), std::vector<TNote>{N(dnChildChanged, label)});
    f.designer.notes.clear();
    label->SetPosition(0);
    EXPECT_EQ(f.designer.Of(dnChildChanged), std::vector<TNote>{N(dnChildChanged, label)});
    f.designer.notes.clear();
    label->SetPosition(0);
    EXPECT_TRUE(f.designer.Of(dnChildChanged).empty());

    auto* region = new TjxRegion(&f.host);
    region->SetName(QStringLiteral("jxRegion1"));
    region->SetBand(f.Detail());
    f.designer.notes.clear();
    other->SetRegion(region);
    EXPECT_EQ(f.designer.Of(dnChildChanged), std::vector<TNote>{N(dnChildChanged, other)});
    f.designer.notes.clear();
    other->SetRegion(nullptr);
    EXPECT_EQ(f.designer.Of(dnChildChanged), std::vector<TNote>{N(dnChildChanged, other)});
    f.designer.notes.clear();

    // A component deleted on its own is destroyed, then gone from its band.
    delete other;
    EXPECT_EQ(f.designer.Take(),
              (std::vector<TNote>{N(dnComponentDestroyed, other), N(dnChildRemoved, other)}));
}

TEST(DesignerNotify, BandsAndReportsBeingDestroyed)
{
    Fixture f;
    f.AddLabel(f.Detail(), "jxLabel1");
    TjxBand* header = f.Header();
    f.designer.notes.clear();
    delete header;
    EXPECT_EQ(f.designer.Of(dnBandDestroyed), std::vector<TNote>{N(dnBandDestroyed, header)});

    // A group's bands go with the group, each told.
    auto* group = new TjxGroup(&f.host);
    group->SetName(QStringLiteral("jxGroup1"));
    group->SetReport(f.report);
    f.report->EnsureBands();
    TjxBand* groupHeader = group->HeaderBand();
    TjxBand* groupFooter = group->FooterBand();
    ASSERT_TRUE(groupHeader && groupFooter);
    groupHeader->SetComponentDesigner(&f.designer);
    groupFooter->SetComponentDesigner(&f.designer);
    f.designer.notes.clear();
    delete group;
    EXPECT_EQ(f.designer.Of(dnBandDestroyed),
              (std::vector<TNote>{N(dnBandDestroyed, groupHeader), N(dnBandDestroyed, groupFooter)}));
    f.designer.notes.clear();

    // The report going as a whole is told once, before any of its parts go.
    TjxCustomReport* report = f.report;
    delete report;
    EXPECT_EQ(f.designer.Take(), std::vector<TNote>{N(dnReportDestroyed, report)});
}

TEST(DesignerNotify, UpdatesTellOnlyTheOutermostBracket)
{
    Fixture f;
    f.report->BeginUpdate();
    f.report->BeginUpdate();
    EXPECT_TRUE(f.report->DesignState() & dsUpdating);
    f.report->EndUpdate();
    EXPECT_TRUE(f.report->DesignState() & dsUpdating);
    f.report->EndUpdate();
    EXPECT_FALSE(f.report->DesignState() & dsUpdating);
    f.report->EndUpdate();
    EXPECT_EQ(f.report->UpdateCount(), 0);
    EXPECT_EQ(f.designer.Take(),
              (std::vector<TNote>{N(dnReportUpdateStart, f.report), N(dnReportUpdateEnd, f.report)}));

    // Default bands made inside an update leave the outer update running.
    f.report->BeginUpdate();
    f.report->ClearContent();
    f.report->CreateDefaultBands();
    EXPECT_EQ(f.report->UpdateCount(), 1);
    EXPECT_TRUE(f.report->DesignState() & dsUpdating);
    f.report->EndUpdate();
    EXPECT_EQ(f.designer.Of(dnReportUpdateStart).size(), 1u);
    EXPECT_EQ(f.designer.Of(dnReportUpdateEnd).size(), 1u);
}

TEST(DesignerNotify, PrintingStartAndEndLetTheDesignerReadTheFlag)
{
    Fixture f;
    std::vector<bool> producing;
    f.designer.onNote = [&](const TNote& n) {
        if (n.message == dnPrinting)
            producing.push_back(static_cast<TjxProducer*>(n.object)->Producing());
    };
    // No preview window in this library: the run starts and ends at once.
    f.report->SetDeviceType(QStringLiteral("Screen"));
    f.report->Print();
    EXPECT_EQ(f.designer.Of(dnPrinting), (std::vector<TNote>{N(dnPrinting, f.report), N(dnPrinting, f.report)}));
    EXPECT_EQ(producing, (std::vector<bool>{true, false}));
    EXPECT_FALSE(f.report->Producing());
}

TEST(DesignerNotify, PageLayoutAndTemplateBracketsAreKept)
{
    Fixture f;
    f.report->PrinterSetup()->SetMarginLeft(0.5f);
    EXPECT_EQ(f.designer.Of(dnPageLayoutChanged), std::vector<TNote>{N(dnPageLayoutChanged, f.report)});
    f.designer.notes.clear();

    TjxReportTemplate* t = f.report->Template();
    f.AddLabel(f.Detail(), "jxLabel1");
    t->SetFileName(f.Path("layout.rtm"));
    f.designer.notes.clear();
    t->SaveToFile();
    EXPECT_EQ(f.designer.Take(), std::vector<TNote>{N(dnTemplateSaveStart, f.report)});

    // Loading tells the start and the end and nothing about what is read.
    t->LoadFromFile();
    EXPECT_EQ(f.designer.Take(),
              (std::vector<TNote>{N(dnTemplateLoadStart, f.report), N(dnTemplateLoadEnd, f.report)}));

    t->New();
    const std::vector<TNote> notes = f.designer.Take();
    ASSERT_GE(notes.size(), 2u);
    EXPECT_EQ(notes.front(), N(dnTemplateNewStart, f.report));
    EXPECT_EQ(notes.back(), N(dnTemplateNewEnd, f.report));
    // The new default bands are made in one update bracket.
    const auto at = [&](int message) {
        return std::find_if(notes.begin(), notes.end(), [&](const TNote& n) { return n.message == message; });
    };
    ASSERT_NE(at(dnReportUpdateStart), notes.end());
    EXPECT_LT(at(dnReportUpdateStart), at(dnReportUpdateEnd));
}

TEST(DesignerNotify, LoadingOtherUnitsTellsNoUnitChange)
{
    Fixture f;
    TjxReportTemplate* t = f.report->Template();
    t->SetFileName(f.Path("mm.rtm"));
    f.report->SetUnits(utMillimeters);
    t->SaveToFile();
    f.report->SetUnits(utInches);
    f.designer.notes.clear();
    t->LoadFromFile();
    EXPECT_EQ(f.report->Units(), utMillimeters);
    EXPECT_TRUE(f.designer.Of(dnUnitsChanged).empty());
    EXPECT_TRUE(f.designer.Of(dnNameChanged).empty());
    EXPECT_TRUE(f.designer.Of(dnPropertyChanged).empty());
}

TEST(ReportModified, ClearedBySuccessfulLoadsAndSavesOnly)
{
    Fixture f;
    TjxReportTemplate* t = f.report->Template();
    EXPECT_FALSE(f.report->IsModified());

    t->SetFileName(f.Path("saved.rtm"));
    f.report->SetModified(true);
    bool flagAtLoadEnd = true;
    f.designer.onNote = [&](const TNote& n) {
        if (n.message == dnTemplateLoadEnd)
            flagAtLoadEnd = f.report->IsModified();
    };
    t->SaveToFile();
    EXPECT_FALSE(f.report->IsModified());

    f.report->SetModified(true);
    t->LoadFromFile();
    EXPECT_FALSE(f.report->IsModified());
    // The designer re-reads the flag when the load ends.
    EXPECT_FALSE(flagAtLoadEnd);

    // A save that cannot write keeps the flag.
    f.report->SetModified(true);
    t->SetFileName(f.Path("missing-folder/saved.rtm"));
    EXPECT_THROW(t->SaveToFile(), EOrvaneError);
    EXPECT_TRUE(f.report->IsModified());

    // So does a load that fails.
    QFile broken(f.Path("broken.rtm"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a template at all");
    broken.close();
    t->SetFileName(f.Path("broken.rtm"));
    EXPECT_THROW(t->LoadFromFile(), EOrvaneError);
    EXPECT_TRUE(f.report->IsModified());

    // And a stream save succeeding clears it.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadWrite));
    t->SaveToStream(buffer);
    EXPECT_FALSE(f.report->IsModified());
}

TEST(ScreenPixels, GeometryAtNinetySixDotsPerInch)
{
    THost host;
    TjxLabel label(&host);
    label.SetmmLeft(13229);
    label.SetmmTop(6350);
    label.SetmmWidth(210000);
    label.SetmmHeight(12700);
    EXPECT_EQ(label.spLeft(), 50);
    EXPECT_EQ(label.spTop(), 24);
    EXPECT_EQ(label.spWidth(), 794);
    EXPECT_EQ(label.spHeight(), 48);

    label.SetspLeft(50);
    label.SetspTop(1);
    label.SetspWidth(65);
    label.SetspHeight(17);
    EXPECT_EQ(label.mmLeft(), 13229);
    EXPECT_EQ(label.mmTop(), 265);
    EXPECT_EQ(label.mmWidth(), 17198);
    EXPECT_EQ(label.mmHeight(), 4498);

    // Whole pixels come back as they went in.
    for (int p = 0; p <= 1200; ++p) {
        label.SetspLeft(p);
        label.SetspHeight(p);
        ASSERT_EQ(label.spLeft(), p);
        ASSERT_EQ(label.spHeight(), p);
    }
}

TEST(DesignerNotify, OutlineSettingsOfReportsGroupsAndSubreportsTellTheDesigner)
{
    Fixture f;
    auto* group = new TjxGroup(&f.host);
    group->SetName(QStringLiteral("jxGroup1"));
    group->SetReport(f.report);
    auto* sub = new TjxSubReport(&f.host);
    sub->SetName(QStringLiteral("jxSubReport1"));
    sub->SetBand(f.Detail());
    const auto told = [&](TjxCommunicator* object) {
        const bool found = std::find(f.designer.modified.begin(), f.designer.modified.end(), object) !=
                           f.designer.modified.end();
        f.designer.modified.clear();
        return found;
    };
    f.designer.modified.clear();
    f.report->OutlineSettings()->SetCreatePageNodes(false);
    EXPECT_TRUE(told(f.report));
    f.report->OutlineSettings()->SetEnabled(false);
    EXPECT_TRUE(told(f.report));
    group->OutlineSettings()->SetCreateNode(false);
    EXPECT_TRUE(told(group));
    TjxOutlineSettings on;
    group->SetOutlineSettings(&on);
    EXPECT_TRUE(group->OutlineSettings()->CreateNode());
    EXPECT_TRUE(told(group));
    sub->OutlineSettings()->SetCreateNode(false);
    EXPECT_TRUE(told(sub));
}
