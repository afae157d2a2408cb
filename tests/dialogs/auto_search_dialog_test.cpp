// The auto-search dialog before a print: what the user types reaches the
// report's fields and, through the application's handler, the query; a bad
// value keeps the dialog open with its message.

#include "dialog_fixture.h"
#include "tests/support/data_view.h"

#include "dialogs/auto_search_dialog.h"
#include "document/auto_search_field.h"
#include "document/event_ids.h"
#include "document/message_ids.h"
#include "document/messages.h"

#include <QListWidget>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QScrollArea>
#include <QScrollBar>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

using namespace orvane;
using namespace orvane::test;

namespace {

struct AutoSearchTest : ::testing::Test {
    ReportFixture f;
    QTemporaryDir out;
    TjxDBPipeline* pipeline = nullptr;
    TjxAutoSearchField* name = nullptr;
    TjxAutoSearchField* low = nullptr;
    std::vector<int> events;

    void SetUp() override
    {
        std::vector<QVariantList> rows;
        for (int i = 1; i <= 25; ++i)
            rows.push_back({i, QStringLiteral("Name %1").arg(i)});
        pipeline = f.AddTable(QStringLiteral("plPeople"), QStringLiteral("people"),
                              {QStringLiteral("id INTEGER"), QStringLiteral("name TEXT")}, rows);
        pipeline->SetTableName(QString());
        pipeline->SetSQL(QStringLiteral("SELECT id, name FROM people WHERE name LIKE :name AND id >= :low ORDER BY id"));
        pipeline->SetParam(QStringLiteral("name"), QStringLiteral("%"));
        pipeline->SetParam(QStringLiteral("low"), 0);
        f.data = pipeline;
        f.report->SetDataPipeline(pipeline);
        TjxBand* detail = f.AddBand(btDetail, 6000);
        f.AddField(detail, "name");

        name = f.report->CreateAutoSearchCriteria(QStringLiteral("plPeople"), QStringLiteral("name"), soLike,
                                                  QStringLiteral("Name"), false);
        name->SetWildCard(QStringLiteral("%"));
        low = f.report->CreateAutoSearchCriteria(QStringLiteral("plPeople"), QStringLiteral("id"),
                                                 soGreaterThanOrEqualTo, QStringLiteral("0"), true);
        low->SetDataType(dtInteger);
        f.report->SetShowAutoSearchDialog(true);
        // The application applies the criteria to its query.
        f.report->SetOnGetAutoSearchValues(TMethod{nullptr, {}, [this](TComponent*, TjxEventParams&) {
                                                       events.push_back(ciReportGetAutoSearchValues);
                                                       pipeline->SetParam(QStringLiteral("name"), name->Value().text);
                                                       pipeline->SetParam(QStringLiteral("low"),
                                                                          qlonglong(low->Value().integer));
                                                   }});
        f.report->SetDeviceType(QStringLiteral("PDFFile"));
        f.report->SetTextFileName(out.filePath(QStringLiteral("people.pdf")));
        f.report->SetShowPrintDialog(false);
        f.report->SetShowCancelDialog(false);
    }

    QStringList PrintedNames() const
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {out.filePath(QStringLiteral("people.pdf")), QStringLiteral("-")});
        p.waitForFinished(30000);
        QStringList names;
        for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n'))
            if (line.trimmed().startsWith(u"Name "))
                names << line.trimmed();
        return names;
    }

    QStringList SelectedBySql(const QString& like, int atLeast) const
    {
        QStringList names;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(f.sqlDir.filePath(QStringLiteral("data.sqlite")));
            db.open();
            QSqlQuery q(db);
            q.prepare(QStringLiteral("SELECT name FROM people WHERE name LIKE ? AND id >= ? ORDER BY id"));
            q.addBindValue(like);
            q.addBindValue(atLeast);
            q.exec();
            while (q.next())
                names << q.value(0).toString();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
        return names;
    }
};

QLineEdit* Entry(QDialog* dialog, const QString& field, const char* name)
{
    QWidget* panel = dialog->findChild<QWidget*>(QStringLiteral("searchPanel_") + field);
    return panel ? panel->findChild<QLineEdit*>(QString::fromLatin1(name)) : nullptr;
}

} // namespace

TEST_F(AutoSearchTest, TheDialogsValuesReachTheQuery)
{
    QString error;
    bool stayedOpen = false;
    QPointer<QTimer> answer = WhenDialog(QStringLiteral("autoSearchDialog"), [&](QDialog* dialog) {
        QLineEdit* nameEdit = Entry(dialog, QStringLiteral("name"), "searchEdit");
        QLineEdit* idEdit = Entry(dialog, QStringLiteral("id"), "searchEdit");
        ASSERT_TRUE(nameEdit && idEdit);
        EXPECT_EQ(nameEdit->text(), u"Name");
        nameEdit->setText(QStringLiteral("Name 2"));
        idEdit->setText(QStringLiteral("abc"));
        auto* ok = Child<QPushButton>(dialog, "okButton");
        ok->click();
        // Refused: the message beside the entry, the dialog still open.
        QWidget* idPanel = dialog->findChild<QWidget*>(QStringLiteral("searchPanel_id"));
        auto* label = idPanel->findChild<QLabel*>(QStringLiteral("errorLabel"));
        error = label->text();
        stayedOpen = dialog->isVisible() && !label->isHidden();
        idEdit->setText(QStringLiteral("21"));
        ok->click();
    });
    f.report->Print();
    delete answer;
    EXPECT_EQ(error, QStringLiteral("abc ") + GetMessage(59));
    EXPECT_TRUE(stayedOpen);
    // The report's own fields hold what was accepted; the handler ran once.
    EXPECT_EQ(name->SearchExpression(), u"Name 2");
    EXPECT_EQ(low->SearchExpression(), u"21");
    EXPECT_EQ(events, std::vector<int>{ciReportGetAutoSearchValues});
    const QStringList expected = SelectedBySql(QStringLiteral("Name 2%"), 21);
    ASSERT_EQ(expected, (QStringList{QStringLiteral("Name 21"), QStringLiteral("Name 22"), QStringLiteral("Name 23"),
                                     QStringLiteral("Name 24"), QStringLiteral("Name 25")}));
    EXPECT_EQ(PrintedNames(), expected);
}

TEST_F(AutoSearchTest, CancelPrintsNothingAndKeepsTheFields)
{
    QPointer<QTimer> answer = WhenDialog(QStringLiteral("autoSearchDialog"), [](QDialog* dialog) {
        Entry(dialog, QStringLiteral("name"), "searchEdit")->setText(QStringLiteral("Other"));
        Child<QPushButton>(dialog, "cancelButton")->click();
    });
    f.report->Print();
    delete answer;
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(name->SearchExpression(), u"Name");
    EXPECT_FALSE(QFile::exists(out.filePath(QStringLiteral("people.pdf"))));
}

TEST_F(AutoSearchTest, WithoutFieldsItPrintsAsIfSwitchedOff)
{
    f.report->DestroyAutoSearchFields();
    f.report->Print();
    EXPECT_EQ(PrintedNames().size(), 25);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(AutoSearchTest, InListAndBetweenValuesMayHoldNoComma)
{
    TjxAutoSearchDialog dialog;
    auto* list = f.report->CreateAutoSearchCriteria(QStringLiteral("plPeople"), QStringLiteral("city"), soInList,
                                                    QStringLiteral("Bern,Basel"), false);
    dialog.SetAutoSearchFields({list});
    dialog.BuildPanels();
    QDialog* window = dialog.Window();
    QWidget* panel = window->findChild<QWidget*>(QStringLiteral("searchPanel_city"));
    ASSERT_NE(panel, nullptr);
    auto* values = panel->findChild<QListWidget*>(QStringLiteral("valueList"));
    ASSERT_EQ(values->count(), 2);
    auto* edit = panel->findChild<QLineEdit*>(QStringLiteral("listEdit"));
    edit->setText(QStringLiteral("Smith, J"));
    panel->findChild<QPushButton*>(QStringLiteral("addToList"))->click();
    EXPECT_EQ(values->count(), 2);
    EXPECT_EQ(panel->findChild<QLabel*>(QStringLiteral("errorLabel"))->text(),
              MessageText(msg::AutoSearchValueHasComma, {QStringLiteral("Smith, J")}));
    edit->setText(QStringLiteral("Chur"));
    panel->findChild<QPushButton*>(QStringLiteral("addToList"))->click();
    EXPECT_EQ(values->count(), 3);
    values->setCurrentRow(0);
    panel->findChild<QPushButton*>(QStringLiteral("removeFromList"))->click();
    EXPECT_TRUE(dialog.OkClicked());
    dialog.ApplyToFields();
    EXPECT_EQ(list->SearchExpression(), u"Basel,Chur");
    EXPECT_EQ(list->ValueCount(), 2);
}

TEST_F(AutoSearchTest, TabsOfGroupsCarryErrorBulletsAndMoveAtDesignTime)
{
    TTestDataView people(QStringLiteral("People"), 7), numbers(QStringLiteral("Numbers"), 3);
    name->SetGroupingObject(&people);
    low->SetGroupingObject(&numbers);
    f.report->IncludeDesignState(dsDesigning);
    {
        TjxAutoSearchDialog dialog;
        dialog.SetReport(f.report);
        dialog.SetAutoSearchFields({name, low});
        dialog.BuildPanels();
        QTabWidget* tabs = dialog.Tabs();
        ASSERT_NE(tabs, nullptr);
        ASSERT_EQ(tabs->count(), 2);
        // By tab order: Numbers (3) before People (7).
        EXPECT_EQ(tabs->tabText(0), u"Numbers");
        EXPECT_EQ(tabs->tabText(1), u"People");
        QDialog* window = dialog.Window();

        // The menu of the first tab: only Right.
        std::unique_ptr<QMenu> menu(dialog.TabMenu(0));
        ASSERT_NE(menu, nullptr);
        auto* left = menu->findChild<QAction*>(QStringLiteral("moveTabLeft"));
        auto* right = menu->findChild<QAction*>(QStringLiteral("moveTabRight"));
        ASSERT_TRUE(left && right);
        EXPECT_EQ(left->text(), GetMessage(1025));
        EXPECT_EQ(right->text(), GetMessage(1026));
        EXPECT_FALSE(left->isEnabled());
        EXPECT_TRUE(right->isEnabled());
        right->trigger();
        EXPECT_EQ(tabs->tabText(0), u"People");
        EXPECT_EQ(tabs->tabText(1), u"Numbers");
        menu.reset(dialog.TabMenu(1));
        EXPECT_TRUE(menu->findChild<QAction*>(QStringLiteral("moveTabLeft"))->isEnabled());
        EXPECT_FALSE(menu->findChild<QAction*>(QStringLiteral("moveTabRight"))->isEnabled());

        // A bad number on the page now second: its tab gets the bullet and
        // becomes the current one; the other tab has none.
        tabs->setCurrentIndex(0);
        Entry(window, QStringLiteral("id"), "searchEdit")->setText(QStringLiteral("x1"));
        EXPECT_FALSE(dialog.OkClicked());
        EXPECT_EQ(tabs->currentIndex(), 1);
        EXPECT_TRUE(tabs->tabIcon(0).isNull());
        ASSERT_FALSE(tabs->tabIcon(1).isNull());
        const QImage bullet = tabs->tabIcon(1).pixmap(5, 5).toImage();
        EXPECT_EQ(bullet.size(), QSize(5, 5));
        EXPECT_EQ(qAlpha(bullet.pixel(0, 0)), 0);
        EXPECT_EQ(QColor(bullet.pixel(2, 2)), QColor(Qt::red));
        // Corrected: the bullet goes and the dialog accepts.
        Entry(window, QStringLiteral("id"), "searchEdit")->setText(QStringLiteral("4"));
        EXPECT_TRUE(dialog.OkClicked());
        EXPECT_TRUE(tabs->tabIcon(1).isNull());
    }
    // The new order went back to the data views with the dialog.
    EXPECT_EQ(people.AutoSearchTabOrder(), 0);
    EXPECT_EQ(numbers.AutoSearchTabOrder(), 1);

    // Outside the designer the tabs have no menu.
    f.report->ExcludeDesignState(dsDesigning);
    TjxAutoSearchDialog dialog;
    dialog.SetReport(f.report);
    dialog.SetAutoSearchFields({name, low});
    dialog.BuildPanels();
    ASSERT_NE(dialog.Tabs(), nullptr);
    EXPECT_EQ(dialog.TabMenu(0), nullptr);
    EXPECT_EQ(dialog.Tabs()->tabBar()->contextMenuPolicy(), Qt::DefaultContextMenu);
}

TEST_F(AutoSearchTest, TheFormFitsItsPanelsUpToItsDesignedHeight)
{
    // Visible scroll range of the dialog's scroll boxes, all pages together.
    const auto hiddenHeight = [](QDialog* window) {
        int hidden = 0;
        for (QScrollArea* area : window->findChildren<QScrollArea*>())
            hidden += area->verticalScrollBar()->maximum();
        return hidden;
    };
    {
        // Two fields: the form is lower than designed and shows them whole.
        TjxAutoSearchDialog dialog;
        dialog.SetAutoSearchFields({name, low});
        dialog.BuildPanels();
        QDialog* window = dialog.Window();
        window->show();
        QApplication::processEvents();
        EXPECT_LT(window->height(), 500);
        EXPECT_GE(window->width(), 438);
        EXPECT_LE(window->width(), 1000);
        EXPECT_EQ(hiddenHeight(window), 0);
        window->hide();
    }
    {
        // Nine fields: the form stops at its designed height and scrolls.
        std::vector<TjxAutoSearchField*> fields{name, low};
        for (int i = 0; i < 7; ++i)
            fields.push_back(f.report->CreateAutoSearchCriteria(QStringLiteral("plPeople"),
                                                                QStringLiteral("extra%1").arg(i), soEqual, {}, false));
        TjxAutoSearchDialog dialog;
        dialog.SetAutoSearchFields(fields);
        dialog.BuildPanels();
        QDialog* window = dialog.Window();
        window->show();
        QApplication::processEvents();
        EXPECT_EQ(window->height(), 500);
        EXPECT_GT(hiddenHeight(window), 0);
        window->hide();
    }
    {
        // Two tabs: as high as the taller page, not as both pages together.
        TTestDataView people(QStringLiteral("People"), 0), numbers(QStringLiteral("Numbers"), 1);
        name->SetGroupingObject(&people);
        low->SetGroupingObject(&numbers);
        auto* third = f.report->CreateAutoSearchCriteria(QStringLiteral("plPeople"), QStringLiteral("city"), soInList,
                                                         {}, false);
        third->SetGroupingObject(&people);
        TjxAutoSearchDialog dialog;
        dialog.SetAutoSearchFields({name, low, third});
        dialog.BuildPanels();
        QDialog* window = dialog.Window();
        window->show();
        QApplication::processEvents();
        EXPECT_LT(window->height(), 500);
        EXPECT_EQ(hiddenHeight(window), 0);
        window->hide();
    }
}
