// The outline beside the viewer: a grouped invoice report from SQLite in the
// preview window, its tree against the page texts, clicks, the popup, and a
// new run with other data.

#include "preview_fixture.h"

#include "document/event_ids.h"
#include "document/group.h"
#include "document/messages.h"
#include "output/draw_other.h"
#include "preview/outline_viewer.h"
#include "preview/preview.h"
#include "preview/print_preview.h"
#include "preview/viewer.h"

#include <QMenu>
#include <QSplitter>
#include <QTest>
#include <map>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

const QStringList kCustomers = {"Adler", "Brandt", "Castell", "Dorn", "Ebert", "Falk"};
const int kInvoices[] = {3, 14, 1, 8, 17, 2};

// customers(id, name) and invoices(id, customer, number), one pass so that
// early pages carry a growing tree.
struct InvoicePreview {
    QTemporaryDir dir;
    THost host;
    TjxReport* report = nullptr;
    TjxDBPipeline* pipeline = nullptr;

    InvoicePreview()
    {
        WriteData(kCustomers);
        report = new TjxReport(&host);
        report->SetName(QStringLiteral("rptInvoices"));
        report->SetPassSetting(psOnePass);
        report->SetPropertyValue(u"ModalPreview", false);
        SetA4(report);
        pipeline = new TjxDBPipeline(&host);
        pipeline->SetName(QStringLiteral("plInvoices"));
        pipeline->SetDatabaseName(DataFile());
        pipeline->SetSQL(QStringLiteral("SELECT c.name AS customer, i.number AS number FROM invoices i "
                                        "JOIN customers c ON c.id = i.customer ORDER BY c.id, i.id"));
        report->SetDataPipeline(pipeline);
        TjxBand* detail = report->CreateBand(btDetail);
        detail->SetmmHeight(25000);
        AddText(detail, "number");
        auto* group = new TjxGroup(&host);
        group->SetName(QStringLiteral("grpCustomer"));
        group->SetReport(report);
        group->SetBreakName(QStringLiteral("customer"));
        group->SetDataPipelineName(QStringLiteral("plInvoices"));
        report->EnsureBands();
        group->HeaderBand()->SetmmHeight(12000);
        group->FooterBand()->SetmmHeight(0);
        AddText(group->HeaderBand(), "customer");
    }

    void AddText(TjxBand* band, const char* field)
    {
        auto* text = new TjxDBText(&host);
        text->SetName(QStringLiteral("txt%1").arg(QString::fromLatin1(field)));
        text->SetParentComponent(band);
        text->SetDataPipeline(pipeline);
        text->SetDataField(QString::fromLatin1(field));
        text->SetBounds(6350, 1000, 5000, 60000);
    }

    QString DataFile() const { return dir.filePath(QStringLiteral("invoices.sqlite")); }

    // The same invoices under other customer names.
    void WriteData(const QStringList& names)
    {
        const QString connection = QStringLiteral("outline.preview.data");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            db.setDatabaseName(DataFile());
            db.open();
            QSqlQuery q(db);
            q.exec(QStringLiteral("DROP TABLE IF EXISTS customers"));
            q.exec(QStringLiteral("DROP TABLE IF EXISTS invoices"));
            q.exec(QStringLiteral("CREATE TABLE customers (id INTEGER, name TEXT)"));
            q.exec(QStringLiteral("CREATE TABLE invoices (id INTEGER, customer INTEGER, number TEXT)"));
            int invoice = 0;
            for (int c = 0; c < names.size(); ++c) {
                q.exec(QStringLiteral("INSERT INTO customers VALUES (%1, '%2')").arg(c + 1).arg(names[c]));
                for (int i = 0; i < kInvoices[c]; ++i) {
                    ++invoice;
                    q.exec(QStringLiteral("INSERT INTO invoices VALUES (%1, %2, 'INV%1')").arg(invoice).arg(c + 1));
                }
            }
        }
        QSqlDatabase::removeDatabase(connection);
    }

    TjxPrintPreview* Form() const { return dynamic_cast<TjxPrintPreview*>(report->PreviewForm()); }
    TjxPreview* Preview() const { return Form() ? dynamic_cast<TjxPreview*>(Form()->Preview()) : nullptr; }
    TjxViewer* Viewer() const { return Form()->PreviewViewer(); }
    TjxOutlineViewer* Outline() const { return Preview()->OutlineViewer(); }

    bool Open()
    {
        report->Print();
        return Form() && WaitUntil([this] { return Viewer()->AbsolutePageNo() == 1 && !Viewer()->Busy(); });
    }
    bool ShowPage(int page)
    {
        Viewer()->GotoPage(page);
        return WaitUntil([this, page] { return Viewer()->AbsolutePageNo() == page && !Viewer()->Busy(); });
    }
    bool ShowLastPage()
    {
        Viewer()->LastPage();
        return WaitUntil([this] {
            return !Viewer()->Busy() && Viewer()->CurrentPage() && Viewer()->CurrentPage()->LastPage();
        });
    }
    void Close()
    {
        if (TjxPrintPreview* form = Form())
            form->Close();
        WaitUntil([this] { return report->PreviewForm() == nullptr; });
    }

    // Customer to the first page its header text is on, read page by page in the viewer.
    std::map<QString, int> StartPages(const QStringList& names)
    {
        std::map<QString, int> start;
        const int last = Viewer()->CurrentPage()->AbsolutePageNo();
        for (int page = 1; page <= last; ++page) {
            EXPECT_TRUE(ShowPage(page));
            for (const QString& text : PageTexts(*Viewer()->CurrentPage()))
                if (names.contains(text) && !start.count(text))
                    start[text] = page;
        }
        return start;
    }
};

// "caption@page" of the items, indented by two spaces a level.
QStringList Items(const QTreeWidget* tree)
{
    QStringList items;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(tree)); *it; ++it) {
        int depth = 0;
        for (const QTreeWidgetItem* p = (*it)->parent(); p; p = p->parent())
            ++depth;
        items << QString(depth * 2, u' ') + (*it)->text(0) + u'@' + QString::number((*it)->data(0, Qt::UserRole).toInt());
    }
    return items;
}

QTreeWidgetItem* FindItem(QTreeWidget* tree, const QString& caption)
{
    const auto found = tree->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

void ClickItem(QTreeWidget* tree, QTreeWidgetItem* item)
{
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

class TVisibilityLog : public TjxCommunicator {
public:
    explicit TVisibilityLog(TjxCommunicator* source)
    {
        AddEventInterest(ciOutlineVisibilityChanged);
        source->AddEventNotify(this);
    }
    void EventNotify(TjxCommunicator* sender, int id, TjxEventParams* params) override
    {
        TjxCommunicator::EventNotify(sender, id, params);
        if (id == ciOutlineVisibilityChanged && params)
            visible.push_back(params->Value(u"Visible").toBool());
    }
    std::vector<bool> visible;
};

} // namespace

TEST(OutlineViewer, TheTreeBesideTheViewerPointsAtTheGroupsPages)
{
    InvoicePreview f;
    ASSERT_TRUE(f.Open());
    TjxOutlineViewer* outline = f.Outline();
    // Shown left of the viewer at the panel's width.
    ASSERT_TRUE(outline->isVisible());
    QWidget* panel = f.Preview()->LeftPanel();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->geometry().left(), 0);
    EXPECT_EQ(panel->width(), 125);
    EXPECT_EQ(outline->geometry(), QRect(QPoint(0, 0), panel->size()));
    EXPECT_GE(f.Viewer()->geometry().left(), 125);
    EXPECT_EQ(outline->focusPolicy(), Qt::NoFocus);

    // Page 1 of a one-pass run: the tree so far and "...more...".
    const TjxOutlineDrawCommand* first = f.Viewer()->CurrentPage()->OutlineDrawCommand();
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(outline->Complete());
    EXPECT_EQ(outline->NodeCount(), first->NodeCount());
    QStringList items = Items(outline);
    ASSERT_GE(items.size(), 4);
    EXPECT_EQ(items.first(), u"Main@1");
    EXPECT_EQ(items.mid(items.size() - 2), QStringList({"@0", "...more...@0"}));
    EXPECT_TRUE(items.contains(u"    Page 1@1"));

    // The last page has the whole tree: a node per customer at its first page.
    ASSERT_TRUE(f.ShowLastPage());
    const int last = f.Viewer()->AbsolutePageNo();
    EXPECT_TRUE(outline->Complete());
    items = Items(outline);
    EXPECT_FALSE(items.contains(u"...more...@0"));
    const std::map<QString, int> start = f.StartPages(kCustomers);
    ASSERT_TRUE(f.ShowLastPage());
    ASSERT_EQ(start.size(), size_t(kCustomers.size()));
    QStringList groups;
    for (const QString& item : Items(outline))
        if (item.startsWith(u"  ") && !item.startsWith(u"    "))
            groups << item.trimmed();
    QStringList expected;
    for (const QString& name : kCustomers)
        expected << name + u'@' + QString::number(start.at(name));
    EXPECT_EQ(groups, expected);
    EXPECT_GT(last, start.at(QStringLiteral("Ebert")));

    // A click on a node shows its page; the page holds the customer's header.
    QTreeWidgetItem* dorn = FindItem(outline, QStringLiteral("Dorn"));
    ASSERT_NE(dorn, nullptr);
    ClickItem(outline, dorn);
    ASSERT_TRUE(WaitUntil([&] { return f.Viewer()->AbsolutePageNo() == start.at(QStringLiteral("Dorn")); }));
    EXPECT_TRUE(PageTexts(*f.Viewer()->CurrentPage()).contains(u"Dorn"));
    // A page node goes to its page; a double click does not fold the tree.
    QTreeWidgetItem* pageNode = FindItem(outline, QStringLiteral("Page %1").arg(last));
    ASSERT_NE(pageNode, nullptr);
    ClickItem(outline, pageNode);
    ASSERT_TRUE(WaitUntil([&] { return f.Viewer()->AbsolutePageNo() == last; }));
    QTreeWidgetItem* main = FindItem(outline, QStringLiteral("Main"));
    QTest::mouseDClick(outline->viewport(), Qt::LeftButton, {}, outline->visualItemRect(main).center());
    EXPECT_TRUE(main->isExpanded());
    f.Close();
}

TEST(OutlineViewer, MoreDoesNothingAndThePopupHidesAndShows)
{
    InvoicePreview f;
    ASSERT_TRUE(f.Open());
    TjxOutlineViewer* outline = f.Outline();
    TVisibilityLog log(outline->Communicator());
    QTreeWidgetItem* more = FindItem(outline, QStringLiteral("...more..."));
    ASSERT_NE(more, nullptr);
    ClickItem(outline, more);
    QTest::qWait(50);
    EXPECT_EQ(f.Viewer()->AbsolutePageNo(), 1);

    QMenu* popup = outline->PopupMenu();
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(popup->actions().size(), 3);
    EXPECT_EQ(popup->actions()[0]->text(), u"Hide Outline");
    EXPECT_EQ(popup->actions()[1]->text(), u"Expand Outline");
    EXPECT_EQ(popup->actions()[2]->text(), u"Collapse Outline");
    // With "...more..." below it, Main stays open and its groups fold.
    popup->actions()[2]->trigger();
    EXPECT_TRUE(FindItem(outline, QStringLiteral("Main"))->isExpanded());
    EXPECT_FALSE(FindItem(outline, QStringLiteral("Adler"))->isExpanded());
    popup->actions()[1]->trigger();
    EXPECT_TRUE(FindItem(outline, QStringLiteral("Adler"))->isExpanded());
    popup->actions()[0]->trigger();
    EXPECT_FALSE(outline->isVisible());
    EXPECT_FALSE(f.Preview()->LeftPanel()->isVisible());
    EXPECT_EQ(log.visible, std::vector<bool>({false}));
    // Hidden, the same popup shows it again and cannot fold it.
    EXPECT_EQ(popup->actions()[0]->text(), u"Show Outline");
    EXPECT_FALSE(popup->actions()[1]->isEnabled());
    EXPECT_FALSE(popup->actions()[2]->isEnabled());
    popup->actions()[0]->trigger();
    EXPECT_TRUE(outline->isVisible());
    EXPECT_TRUE(f.Preview()->LeftPanel()->isVisible());
    EXPECT_EQ(log.visible.back(), true);
    f.Close();
}

TEST(OutlineViewer, ANewRunWithOtherDataShowsItsOwnTree)
{
    InvoicePreview f;
    ASSERT_TRUE(f.Open());
    ASSERT_TRUE(f.ShowLastPage());
    TjxOutlineViewer* outline = f.Outline();
    ASSERT_NE(FindItem(outline, QStringLiteral("Adler")), nullptr);
    const int count = outline->NodeCount();

    // As many groups and pages, other names: the tree must not stay as it was.
    const QStringList renamed = {"Aubert", "Bosch", "Conti", "Dietz", "Engel", "Fuchs"};
    f.WriteData(renamed);
    f.Viewer()->Regenerate();
    ASSERT_TRUE(WaitUntil([&] { return f.Viewer()->AbsolutePageNo() == 1 && !f.Viewer()->Busy(); }));
    EXPECT_EQ(FindItem(outline, QStringLiteral("Adler")), nullptr);
    ASSERT_TRUE(f.ShowLastPage());
    EXPECT_EQ(outline->NodeCount(), count);
    EXPECT_EQ(FindItem(outline, QStringLiteral("Adler")), nullptr);
    for (const QString& name : renamed)
        EXPECT_NE(FindItem(outline, name), nullptr) << name.toStdString();
    const std::map<QString, int> start = f.StartPages(renamed);
    ASSERT_TRUE(f.ShowLastPage());
    EXPECT_EQ(FindItem(outline, QStringLiteral("Dietz"))->data(0, Qt::UserRole).toInt(),
              start.at(QStringLiteral("Dietz")));
    f.Close();
}

TEST(OutlineViewer, SwitchedOffThereIsNoPanelAndAnEmptyTreeCollapsesQuietly)
{
    InvoicePreview f;
    f.report->OutlineSettings()->SetEnabled(false);
    ASSERT_TRUE(f.Open());
    EXPECT_FALSE(f.Outline()->isVisible());
    EXPECT_FALSE(f.Preview()->LeftPanel()->isVisible());
    EXPECT_EQ(f.Viewer()->CurrentPage()->OutlineDrawCommand(), nullptr);
    EXPECT_EQ(f.Outline()->topLevelItemCount(), 0);
    f.Outline()->Collapse();
    f.Outline()->SelectNodeOfPage(1);
    f.Close();
}
