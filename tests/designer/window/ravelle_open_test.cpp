// Ravelle's "Open" shows the designer on the receipt, modally.

#include "window_fixture.h"

#include "app/main_window.h"
#include "app/receipt_form.h"
#include "designer/designer.h"
#include "designer/settings/settings_keys.h"
#include "document/report.h"
#include "document/report_template.h"
#include "platform/file_io.h"

#include <QPushButton>
#include <QTest>

using namespace orvane;
using namespace orvane::test;

namespace {

using RavelleOpen = DesignerWindowTest;

struct TSeen {
    TjxDesignerWindow* window = nullptr;
    bool visible = false;
    TjxReport* mainReport = nullptr;
    QString caption;
    bool openReturned = true;
};

// Clicks "Open"; while the designer shows, records what it shows and closes it.
TSeen OpenAndClose(TRavelleWindow& app, const bool* openReturned)
{
    TSeen seen;
    QTimer* watcher = WhenModal([&seen, openReturned](QWidget* modal) {
        auto* designer = qobject_cast<TjxDesignerWindow*>(modal);
        if (!designer)
            return false;
        seen.window = designer;
        seen.visible = designer->isVisible();
        seen.mainReport = designer->MainReport();
        seen.caption = designer->windowTitle();
        seen.openReturned = *openReturned;
        designer->close();
        return true;
    });
    QTest::mouseClick(app.OpenButton(), Qt::LeftButton);
    delete watcher;
    return seen;
}

} // namespace

TEST_F(RavelleOpen, ShowsTheDesignerOnTheReceiptUntilItClosesAndReusesTheWindow)
{
    TRavelleWindow app;
    TjxReport* receipt = app.Form()->Receipt();
    bool returned = false;
    const TSeen first = OpenAndClose(app, &returned);
    returned = true;
    ASSERT_NE(first.window, nullptr);
    EXPECT_TRUE(first.visible);
    EXPECT_FALSE(first.openReturned);
    EXPECT_EQ(first.mainReport, receipt);
    EXPECT_EQ(first.caption, u"Orvane");
    EXPECT_FALSE(first.window->isVisible());
    EXPECT_FALSE(first.window->Modal());

    // Closing saved the window's settings.
    std::unique_ptr<TjxIniStorage> ini = TjxIniStoragePlugIn::CreateInstance();
    EXPECT_EQ(ini->ReadInteger(settings::kDesignerPosition, settings::kWidth, -1), 790);
    EXPECT_EQ(ini->ReadInteger(settings::kUndoOptions, settings::kCapacity, -1), 50);
    EXPECT_TRUE(QFile::exists(OrvaneIni()));

    returned = false;
    const TSeen second = OpenAndClose(app, &returned);
    EXPECT_EQ(second.window, first.window);
    EXPECT_EQ(static_cast<TjxCustomDesignerWindow*>(second.window), app.Form()->Designer()->DesignerWindow());
    EXPECT_FALSE(second.openReturned);
}

TEST_F(RavelleOpen, ACorruptTemplateShowsItsMessageAndOpensNoDesigner)
{
    TRavelleWindow app;
    WriteWholeFile(QStringLiteral("Ravelle.rtm"), "hello");
    QString shown;
    bool designerShown = false;
    QTimer* watcher = WhenModal([&](QWidget* modal) {
        if (qobject_cast<TjxDesignerWindow*>(modal)) {
            designerShown = true;
            modal->close();
            return true;
        }
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box)
            return false;
        shown = box->text();
        box->accept();
        return true;
    });
    QTest::mouseClick(app.OpenButton(), Qt::LeftButton);
    delete watcher;
    EXPECT_EQ(shown, u"Invalid Template Format");
    EXPECT_FALSE(designerShown);
    EXPECT_EQ(app.Form()->Designer()->DesignerWindow(), nullptr);
}

TEST_F(RavelleOpen, ATemplateFileIsLoadedBeforeTheDesignerShows)
{
    TRavelleWindow app;
    TjxReport* receipt = app.Form()->Receipt();
    app.Save();
    receipt->Band(0)->Child(0)->SetUserName(QStringLiteral("Edited"));
    QString userName;
    QTimer* watcher = WhenModal([&](QWidget* modal) {
        auto* designer = qobject_cast<TjxDesignerWindow*>(modal);
        if (!designer)
            return false;
        userName = designer->MainReport()->Band(0)->Child(0)->UserName();
        designer->close();
        return true;
    });
    app.Open();
    delete watcher;
    EXPECT_EQ(userName, u"LabPayrollAgentName");
}
