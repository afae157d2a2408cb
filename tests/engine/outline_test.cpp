// The outline a report run leaves on its pages: a grouped invoice list read
// from SQLite, checked against where the page texts say each customer starts.

#include "report_fixture.h"

#include "document/event_ids.h"
#include "engine/outline.h"
#include "engine/subreport.h"
#include "output/archive_reader.h"
#include "output/draw_other.h"

#include <QDir>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace orvane;
using namespace orvane::test;

namespace {

// Customers with their invoice counts; names sort as listed.
const std::vector<std::pair<QString, int>> kCustomers = {
    {QStringLiteral("Adler"), 3},  {QStringLiteral("Brandt"), 14}, {QStringLiteral("Castell"), 1},
    {QStringLiteral("Dorn"), 8},   {QStringLiteral("Ebert"), 17},  {QStringLiteral("Falk"), 2},
};

struct InvoiceReport : ReportFixture {
    std::vector<std::pair<QString, int>> customers;
    TjxGroup* group = nullptr;
    // Invoice text ("INV7") to customer.
    std::map<QString, QString> invoiceOwner;

    explicit InvoiceReport(const std::vector<std::pair<QString, int>>& list = kCustomers) : customers(list)
    {
        report->OutlineSettings()->SetEnabled(true);
        report->OutlineSettings()->SetVisible(true);
        std::vector<QVariantList> customerRows, invoiceRows;
        int invoice = 0;
        for (size_t c = 0; c < customers.size(); ++c) {
            customerRows.push_back({int(c + 1), customers[c].first});
            for (int i = 0; i < customers[c].second; ++i) {
                ++invoice;
                invoiceRows.push_back({invoice, int(c + 1), QStringLiteral("INV%1").arg(invoice)});
                invoiceOwner[QStringLiteral("INV%1").arg(invoice)] = customers[c].first;
            }
        }
        AddTable(QStringLiteral("plCustomers"), QStringLiteral("customers"),
                 {QStringLiteral("id INTEGER"), QStringLiteral("name TEXT")}, customerRows);
        auto* invoices = AddTable(QStringLiteral("plInvoices"), QStringLiteral("invoices"),
                                  {QStringLiteral("id INTEGER"), QStringLiteral("customer INTEGER"),
                                   QStringLiteral("number TEXT")},
                                  invoiceRows);
        invoices->SetSQL(QStringLiteral("SELECT c.name AS customer, i.number AS number FROM invoices i "
                                        "JOIN customers c ON c.id = i.customer ORDER BY c.name, i.id"));
        data = invoices;
        report->SetDataPipeline(data);
        TjxBand* detail = AddBand(btDetail, 25000);
        AddField(detail, "number")->SetBounds(0, 0, 40000, 5000);
        group = AddGroup("customer");
        group->SetDataPipelineName(QStringLiteral("plInvoices"));
        report->EnsureBands();
        group->HeaderBand()->SetmmHeight(12000);
        group->FooterBand()->SetmmHeight(0);
        AddField(group->HeaderBand(), "customer")->SetBounds(0, 0, 40000, 5000);
    }

    // Customer to the pages it prints on (its header or an invoice of it), from the texts.
    std::map<QString, std::set<int>> PagesOfCustomers() const
    {
        std::map<QString, std::set<int>> pagesOf;
        for (const TjxPage* page : FinalPages())
            for (const QString& text : Texts(*page)) {
                const auto owner = invoiceOwner.find(text);
                pagesOf[owner != invoiceOwner.end() ? owner->second : text].insert(page->AbsolutePageNo());
            }
        return pagesOf;
    }

    // The tree expected at the end of `page`: Main, then each customer begun
    // by then at the page of its header, with a page node per page it printed on.
    QStringList ExpectedTree(int page, bool pageNodes = true) const
    {
        const auto pagesOf = PagesOfCustomers();
        QStringList tree{QStringLiteral("0|report|Main|1")};
        for (const auto& customer : customers) {
            const auto& pages = pagesOf.at(customer.first);
            if (*pages.begin() > page)
                continue;
            tree << QStringLiteral("1|group|%1|%2").arg(customer.first).arg(*pages.begin());
            if (pageNodes)
                for (int p : pages)
                    if (p <= page)
                        tree << QStringLiteral("2|page|Page %1|%1").arg(p);
        }
        return tree;
    }
};

QString TypeName(TjxOutlineNodeType type)
{
    switch (type) {
    case ntRoot: return QStringLiteral("root");
    case ntReport: return QStringLiteral("report");
    case ntSubReport: return QStringLiteral("subreport");
    case ntGroup: return QStringLiteral("group");
    case ntPage: return QStringLiteral("page");
    case ntNoOutline: return QStringLiteral("none");
    case ntOther: break;
    }
    return QStringLiteral("other");
}

// "depth|type|caption|page" for every node below the root, depth first.
void Flatten(const TjxOutlineNode* node, int depth, QStringList& into)
{
    for (int i = 0; i < node->NodeCount(); ++i) {
        const TjxOutlineNode* child = node->Node(i);
        into << QStringLiteral("%1|%2|%3|%4")
                    .arg(depth)
                    .arg(TypeName(child->NodeType()), child->Caption())
                    .arg(child->PageReference());
        Flatten(child, depth + 1, into);
    }
}

QStringList Tree(const TjxPage& page)
{
    QStringList tree;
    const TjxOutlineDrawCommand* command = page.OutlineDrawCommand();
    if (!command)
        return {QStringLiteral("(no outline)")};
    const TjxOutlineNode* root = command->Root();
    if (!root)
        return {QStringLiteral("(no root)")};
    if (root->NodeType() != ntRoot || root->PageReference() != -1 || !root->Caption().isEmpty())
        return {QStringLiteral("(bad root)")};
    Flatten(root, 0, tree);
    return tree;
}

} // namespace

TEST(Outline, GroupNodesPointAtTheirFirstPageOnEveryPageOfTheRun)
{
    InvoiceReport f;
    f.Run();
    const auto pages = f.FinalPages();
    ASSERT_GE(pages.size(), 4u);
    const int last = int(pages.size());
    // Groups do span pages here, or the test would prove little.
    const auto pagesOf = f.PagesOfCustomers();
    EXPECT_GT(pagesOf.at(QStringLiteral("Ebert")).size(), 1u);
    for (const TjxPage* page : pages) {
        const int n = page->AbsolutePageNo();
        EXPECT_EQ(Tree(*page), f.ExpectedTree(n)) << "page " << n;
        EXPECT_EQ(page->OutlineDrawCommand()->Completed(), n == last) << n;
        EXPECT_EQ(page->OutlineDrawCommand()->NodeCount(), int(f.ExpectedTree(n).size())) << n;
    }
    // One node per customer, in order, on the last page.
    QStringList groups;
    for (const QString& line : Tree(*pages.back()))
        if (line.startsWith(u"1|group|"))
            groups << line.section(u'|', 2, 2);
    EXPECT_EQ(groups, QStringList({"Adler", "Brandt", "Castell", "Dorn", "Ebert", "Falk"}));
}

TEST(Outline, SettingsHookAndEvent88)
{
    // Without page nodes only report and group nodes.
    {
        InvoiceReport f;
        f.report->OutlineSettings()->SetCreatePageNodes(false);
        f.Run();
        const auto pages = f.FinalPages();
        EXPECT_EQ(Tree(*pages.back()), f.ExpectedTree(int(pages.size()), false));
    }
    // A vetoed group node leaves the copies; its page nodes go to Main.
    {
        InvoiceReport f;
        TjxCommunicator listener;
        int announced = 0;
        listener.AddEventInterest(ciReportOutlineNodeCreate);
        listener.OnEventNotify = [&](TjxCommunicator*, int id, TjxEventParams* params) {
            if (id == ciReportOutlineNodeCreate && params && params->Find(u"aNode") && params->Find(u"aCreate"))
                ++announced;
        };
        f.report->AddEventNotify(&listener);
        TMethod hook;
        hook.code = [](TComponent*, TjxEventParams& params) {
            auto* node = dynamic_cast<TjxOutlineNode*>(params.Value(u"aNode").value<TPersistent*>());
            if (node && node->Caption() == u"Brandt")
                params.SetValue(u"aCreate", false);
        };
        f.report->SetOnOutlineNodeCreate(hook);
        f.Run();
        const auto pages = f.FinalPages();
        QStringList expected = f.ExpectedTree(int(pages.size()));
        const qsizetype at = expected.indexOf(QRegularExpression(QStringLiteral("1\\|group\\|Brandt\\|.*")));
        ASSERT_GE(at, 0);
        expected.removeAt(at);
        for (qsizetype i = at; i < expected.size() && expected[i].startsWith(u"2|"); ++i)
            expected[i].replace(0, 1, QStringLiteral("1"));
        EXPECT_EQ(Tree(*pages.back()), expected);
        // Main, six groups and a page node per group page, each asked once.
        int pageNodes = 0;
        for (const auto& entry : f.PagesOfCustomers())
            pageNodes += int(entry.second.size());
        EXPECT_EQ(announced, 1 + 6 + pageNodes);
    }
    // Switched off: no outline on any page.
    {
        InvoiceReport f;
        f.report->OutlineSettings()->SetEnabled(false);
        EXPECT_FALSE(f.report->OutlineSettings()->Visible());
        f.Run();
        for (const TjxPage* page : f.FinalPages())
            EXPECT_EQ(page->OutlineDrawCommand(), nullptr);
    }
}

TEST(Outline, PagesMadeAgainAddNothingAndANewRunBuildsANewTree)
{
    InvoiceReport f;
    f.Run();
    const auto first = f.FinalPages();
    const int count = int(first.size());
    const QStringList full = Tree(*first.back());
    const QStringList third = Tree(*first[2]);

    // Page 2 made again from the engine's saved state: the tree does not grow.
    f.pages.clear();
    f.Run(psSinglePage, 2);
    ASSERT_FALSE(f.FinalPages().empty());
    EXPECT_EQ(f.FinalPages().back()->AbsolutePageNo(), 2);
    EXPECT_EQ(Tree(*f.FinalPages().back()), full);
    EXPECT_EQ(f.report->Engine()->Outline()->LastOutlinedPage(), count);

    // A new run gets a tree of its own; pages of the old run keep theirs.
    std::vector<std::unique_ptr<TjxPage>> old = std::move(f.pages);
    f.pages.clear();
    f.report->Engine()->Restart();
    f.Run();
    EXPECT_EQ(Tree(*f.FinalPages().back()), full);
    EXPECT_EQ(Tree(*f.FinalPages()[2]), third);
    EXPECT_EQ(Tree(*old.back()), full);
}

TEST(Outline, TwoPassPagesCarryTheCompleteTree)
{
    InvoiceReport f;
    f.report->SetPassSetting(psTwoPass);
    f.Run();
    const auto pages = f.FinalPages();
    ASSERT_GE(pages.size(), 4u);
    const QStringList full = f.ExpectedTree(int(pages.size()));
    for (const TjxPage* page : pages) {
        EXPECT_EQ(Tree(*page), full) << page->AbsolutePageNo();
        EXPECT_TRUE(page->OutlineDrawCommand()->Completed());
    }
}

TEST(Outline, SharedTreeCopiesStayEqualAndStreamAsTheirOwn)
{
    InvoiceReport f;
    f.Run();
    const auto pages = f.FinalPages();
    const TjxPage& page = *pages[1];
    // Page copies share the run's tree until read; equal either way.
    TjxPage copy;
    copy.Assign(&page);
    EXPECT_TRUE(copy.OutlineDrawCommand()->IsSameAs(page.OutlineDrawCommand()));
    EXPECT_EQ(Tree(copy), Tree(page));
    EXPECT_TRUE(copy.OutlineDrawCommand()->IsSameAs(page.OutlineDrawCommand()));
    EXPECT_FALSE(copy.OutlineDrawCommand()->IsSameAs(pages.back()->OutlineDrawCommand()));
    // Streamed and read back, the page holds the same tree as nodes of its own.
    const QByteArray bytes = WriteComponentToBytes(&copy, &copy);
    EXPECT_TRUE(bytes.contains("TjxOutlineNode"));
    copy.Assign(pages.back());
    EXPECT_EQ(Tree(copy), Tree(*pages.back()));
}

TEST(Outline, ArchiveKeepsTheCompleteTreeOnItsLastPage)
{
    InvoiceReport f;
    f.Run();
    const auto pages = f.FinalPages();
    const QStringList full = Tree(*pages.back());

    InvoiceReport archived;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("invoices.raf"));
    archived.report->SetDeviceType(QStringLiteral("ArchiveFile"));
    archived.report->SetArchiveFileName(file);
    archived.report->SetShowPrintDialog(false);
    archived.report->SetShowCancelDialog(false);
    archived.report->Print();

    TjxArchiveReader reader(file);
    ASSERT_EQ(reader.PageCount(), int(pages.size()));
    for (int i = 0; i < reader.PageCount(); ++i) {
        const std::unique_ptr<TjxPage> page = reader.ReadPage(i);
        const bool last = i == reader.PageCount() - 1;
        ASSERT_EQ(page->OutlineDrawCommand() != nullptr, last) << i;
        EXPECT_EQ(ReportFixture::Texts(*page), ReportFixture::Texts(*pages[size_t(i)])) << i;
        if (last) {
            EXPECT_EQ(Tree(*page), full);
            EXPECT_EQ(Tree(*page), f.ExpectedTree(reader.PageCount()));
            EXPECT_TRUE(page->OutlineDrawCommand()->Completed());
        }
    }
}

TEST(Outline, CopiesDropInactiveNodesAndRepeatedPageNodes)
{
    // A tree as the outline grows it, copied at stamps 0 and 1.
    auto tree = std::make_shared<TjxOutlineNode>();
    tree->SetNodeType(ntRoot);
    tree->SetPageReference(-1);
    TjxOutlineNode* main = tree->AddNode();
    main->SetCaption(QStringLiteral("Main"));
    main->SetNodeType(ntReport);
    TjxOutlineNode* hidden = main->AddNode();
    hidden->SetActive(false);
    hidden->SetNodeType(ntGroup);
    for (int page : {1, 1, 2}) {
        TjxOutlineNode* node = hidden->AddNode();
        node->SetNodeType(ntPage);
        node->SetCaption(QStringLiteral("Page %1").arg(page));
        node->SetPageReference(page);
        node->SetStamp(page - 1);
    }
    TjxOutlineNode* own = main->AddNode();
    own->SetNodeType(ntPage);
    own->SetCaption(QStringLiteral("Page 2"));
    own->SetPageReference(2);
    own->SetStamp(1);

    TjxOutlineDrawCommand first, second;
    first.ShareTree(tree, 0);
    second.ShareTree(tree, 1);
    EXPECT_EQ(first.NodeCount(), 2);
    EXPECT_EQ(second.NodeCount(), 3);
    TjxPage page;
    page.AddDrawCommand(new TjxOutlineDrawCommand);
    page.OutlineDrawCommand()->Assign(&second);
    EXPECT_EQ(Tree(page), QStringList({"0|report|Main|0", "1|page|Page 1|1", "1|page|Page 2|2"}));
    EXPECT_EQ(page.OutlineDrawCommand()->NodeCount(), 3);
}

TEST(Outline, KeptTogetherGroupsPointAtThePageTheyMovedTo)
{
    // Each group fits on a page but not always in what is left of one: the
    // rollback moves it, and the node made before the move must go with it.
    InvoiceReport f({{QStringLiteral("Adler"), 6},
                     {QStringLiteral("Brandt"), 7},
                     {QStringLiteral("Castell"), 5},
                     {QStringLiteral("Dorn"), 8},
                     {QStringLiteral("Ebert"), 3},
                     {QStringLiteral("Falk"), 6}});
    f.group->SetKeepTogether(true);
    f.Run();
    const auto pages = f.FinalPages();
    ASSERT_GE(pages.size(), 3u);
    // Groups never split: each prints on one page.
    for (const auto& entry : f.PagesOfCustomers())
        EXPECT_EQ(entry.second.size(), 1u) << entry.first.toStdString();
    for (const TjxPage* page : pages)
        EXPECT_EQ(Tree(*page), f.ExpectedTree(page->AbsolutePageNo())) << page->AbsolutePageNo();
}

TEST(Outline, DrillDownsWithoutExpandAllHaveNoOutline)
{
    for (bool expandAll : {false, true}) {
        InvoiceReport f({{QStringLiteral("Adler"), 3}, {QStringLiteral("Brandt"), 2}});
        TjxBand* detail = f.report->FindBand(btDetail);
        TjxLabel* open = f.AddLabel(detail, QStringLiteral("Open"), 0, 60000);
        auto* sub = new TjxSubReport(&f.host);
        sub->SetName(f.report->GetValidName(sub));
        sub->SetParentComponent(detail);
        sub->SetmmTop(10000);
        ASSERT_NE(sub->Report(), nullptr);
        f.AddLabel(sub->Report()->CreateBand(btDetail), QStringLiteral("Inner"));
        sub->SetDrillDownComponent(open);
        sub->SetExpandAll(expandAll);
        f.Run();
        const auto pages = f.FinalPages();
        ASSERT_FALSE(pages.empty());
        for (const TjxPage* page : pages) {
            if (!expandAll) {
                EXPECT_EQ(Tree(*page), QStringList({"0|none|NoOutline: DrillDown not supported|-1"}));
                EXPECT_TRUE(page->OutlineDrawCommand()->Completed());
            } else {
                EXPECT_EQ(Tree(*page), f.ExpectedTree(page->AbsolutePageNo()));
            }
        }
    }
}

TEST(Outline, SectionSubreportsGetANodeForEachOccurrence)
{
    ReportFixture f;
    f.report->OutlineSettings()->SetEnabled(true);
    std::vector<QVariantList> masters, details;
    const std::vector<int> counts = {2, 5, 1};
    for (int m = 1; m <= int(counts.size()); ++m) {
        masters.push_back({m, QStringLiteral("Master %1").arg(m)});
        for (int l = 1; l <= counts[size_t(m - 1)]; ++l)
            details.push_back({m, QStringLiteral("%1-%2").arg(m).arg(l)});
    }
    TjxDBPipeline* master = f.AddTable(QStringLiteral("plMaster"), QStringLiteral("masters"),
                                       {QStringLiteral("id INTEGER"), QStringLiteral("name TEXT")}, masters);
    TjxDBPipeline* detailData = f.AddTable(QStringLiteral("plDetail"), QStringLiteral("details"),
                                           {QStringLiteral("master INTEGER"), QStringLiteral("text TEXT")}, details);
    detailData->AddLink(QStringLiteral("id"), QStringLiteral("master"));
    detailData->SetMasterDataPipeline(master);
    f.report->SetDataPipeline(master);
    f.data = master;
    TjxBand* detail = f.AddBand(btDetail, 10000, phDynamic);
    auto* sub = new TjxSubReport(&f.host);
    sub->SetName(QStringLiteral("jxSubReport1"));
    sub->SetParentComponent(detail);
    sub->SetmmTop(0);
    sub->SetDataPipeline(detailData);
    sub->SetPrintBehavior(pbSection);
    TjxBand* childDetail = sub->Report()->CreateBand(btDetail);
    childDetail->SetmmHeight(80000);
    f.data = detailData;
    f.AddField(childDetail, "text")->SetBounds(0, 0, 40000, 5000);
    f.Run();

    const auto pages = f.FinalPages();
    ASSERT_GE(pages.size(), 4u);
    // The page each section starts on, from its first row.
    QStringList expected{QStringLiteral("0|report|Main|1")};
    for (int m = 1; m <= int(counts.size()); ++m)
        for (const TjxPage* page : pages)
            if (ReportFixture::Texts(*page).contains(QStringLiteral("%1-1").arg(m))) {
                expected << QStringLiteral("1|subreport|SubReport1|%1").arg(page->AbsolutePageNo());
                break;
            }
    QStringList shown;
    for (const QString& line : Tree(*pages.back()))
        if (!line.contains(u"|page|"))
            shown << line;
    EXPECT_EQ(shown, expected);
    EXPECT_TRUE(pages.back()->OutlineDrawCommand()->Completed());
}
