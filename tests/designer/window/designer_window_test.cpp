// The designer window: status bar, caption, Preview tab, settings, menus,
// language, and what happens when the report or the designer goes.

#include "window_fixture.h"

#include "app/main_window.h"
#include "app/receipt_form.h"
#include "components/component.h"
#include "designer/designer.h"
#include "designer/edit_commands.h"
#include "designer/undo/undo_manager.h"
#include "designer/workspace/design_surface.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/report.h"
#include "document/report_template.h"
#include "document/resource_manager.h"
#include "document/units.h"
#include "engine/subreport.h"
#include "platform/file_io.h"
#include "preview/preview.h"
#include "preview/status_bar.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

using namespace orvane;
using namespace orvane::test;

namespace {

QString Formatted(int th, TjxUnitType units, TjxAxis axis)
{
    QString text;
    FormatGeneral(ThousandthsToUnits(th, units, axis), 7, FormatSettings().decimalSeparator, text);
    return text;
}

using DesignerWindow = DesignerWindowTest;

} // namespace

TEST_F(DesignerWindow, StatusBarNamesTheSelectionAndItsBoundsInTheReportsUnits)
{
    TOpenDesigner d;
    ASSERT_NE(d.window, nullptr);
    d.Receipt()->SetUnits(utInches);
    d.window->show();
    TjxStatusBar* bar = d.window->StatusBar();
    ASSERT_EQ(bar->PanelCount(), 5);
    EXPECT_EQ(bar->PanelText(0), u"Ready.");
    EXPECT_EQ(bar->PanelText(1), u"Left: 0");
    EXPECT_EQ(bar->PanelText(4), u"Height: 0");

    TjxComponent* name = d.Component("jxLabReceiptAgentName");
    ASSERT_NE(name, nullptr);
    d.window->AddSelection(name);
    EXPECT_EQ(bar->PanelText(0), u"Object: jxLabReceiptAgentName");
    EXPECT_EQ(bar->PanelText(1), QStringLiteral("Left: ") + Formatted(1588, utInches, axHorizontal));
    EXPECT_EQ(bar->PanelText(2), QStringLiteral("Top: ") + Formatted(242888, utInches, axVertical));
    EXPECT_EQ(bar->PanelText(3), QStringLiteral("Width: ") + Formatted(51435, utInches, axHorizontal));
    EXPECT_EQ(bar->PanelText(4), QStringLiteral("Height: ") + Formatted(4995, utInches, axVertical));

    // Two: the count and the bounds over both.
    TjxComponent* address = d.Component("jxLabReceiptAgentAddress1");
    d.window->AddSelection(address);
    EXPECT_EQ(bar->PanelText(0), u"Objects: 2");
    EXPECT_EQ(bar->PanelText(2), QStringLiteral("Top: ") + Formatted(242888, utInches, axVertical));
    EXPECT_EQ(bar->PanelText(3), QStringLiteral("Width: ") + Formatted(189971, utInches, axHorizontal));
    EXPECT_EQ(bar->PanelText(4), QStringLiteral("Height: ") + Formatted(248444 + 4022 - 242888, utInches, axVertical));

    // A unit change reaches the texts through the report, and a destroyed
    // component leaves the selection.
    d.window->MenuItem(QStringLiteral("mniUnitsMillimeters"))->trigger();
    EXPECT_EQ(d.Receipt()->Units(), utMillimeters);
    EXPECT_EQ(bar->PanelText(1), QStringLiteral("Left: ") + Formatted(1588, utMillimeters, axHorizontal));
    delete address;
    EXPECT_EQ(bar->PanelText(0), u"Object: jxLabReceiptAgentName");

    // The select-report button clears the selection.
    QTest::mouseClick(d.window->Surface()->SelectReportButton(), Qt::LeftButton);
    EXPECT_EQ(bar->PanelText(0), u"Ready.");
    EXPECT_EQ(d.window->SelectionList(), std::vector<TComponent*>{d.Receipt()});

    // Panels 1 to 4 hold their caption and eight digits; panel 0 takes the rest less 20.
    int used = 0;
    for (int i = 1; i < 5; ++i) {
        const QFontMetrics metrics(bar->Panel(i)->font());
        const int width = std::max(90, metrics.horizontalAdvance(GetMessage(180 + i) + QStringLiteral("XXXXXXXX")));
        if (i < 4)
            EXPECT_EQ(bar->PanelWidth(i), width) << i;
        used += width;
    }
    EXPECT_EQ(bar->PanelWidth(0), bar->width() - used - 20);
}

TEST_F(DesignerWindow, CaptionFollowsTheTemplateAndTheTabSetHoldsTheMainReport)
{
    TOpenDesigner d;
    EXPECT_EQ(d.window->windowTitle(), u"Orvane");
    EXPECT_FALSE(d.window->ReportTabs()->isVisibleTo(d.window));
    ASSERT_EQ(d.window->ReportTabs()->count(), 1);
    EXPECT_EQ(d.window->ReportTabs()->tabText(0), u"Main: No Data Pipeline Assigned");

    TjxReport* report = d.Receipt();
    const QString file = CwdFile(QStringLiteral("receipt.rtm"));
    report->SetSaveAsTemplate(true);
    report->Template()->SetFileName(file);
    EXPECT_EQ(d.window->windowTitle(), QStringLiteral("Orvane: ") + file);
    report->Template()->Save();
    QFile::setPermissions(file, QFileDevice::ReadOwner);
    d.window->UpdateCaption();
    EXPECT_EQ(d.window->windowTitle(), QStringLiteral("Orvane: ") + file + QStringLiteral(" [Read Only]"));
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    d.form.Designer()->SetCaption(QStringLiteral("Layout"));
    EXPECT_EQ(d.window->windowTitle(), QStringLiteral("Layout: ") + file);
    report->SetSaveAsTemplate(false);
    d.window->UpdateCaption();
    EXPECT_EQ(d.window->windowTitle(), u"Layout");
}

TEST_F(DesignerWindow, PreviewTabDisablesTheEditingMenusAndComesBack)
{
    TOpenDesigner d;
    d.window->show();
    QTabWidget* notebook = d.window->Notebook();
    int changing = 0, changed = 0;
    TjxDesignerWindowEvents events;
    events.onTabChange.code = [&](TComponent*, TjxEventParams&) { ++changing; };
    events.onTabChanged.code = [&](TComponent*, TjxEventParams&) { ++changed; };
    d.window->SetEvents(events);

    notebook->setCurrentIndex(1);
    ASSERT_EQ(notebook->currentIndex(), 1);
    EXPECT_TRUE(d.window->PreviewActive());
    EXPECT_TRUE(d.Receipt()->DesignState() & dsDesignerActive);
    ASSERT_NE(d.window->Preview(), nullptr);
    EXPECT_EQ(d.window->Preview()->Report(), d.Receipt());
    for (const char* menu : {"mnuEdit", "mnuView", "mnuReport"})
        EXPECT_FALSE(d.window->Menu(QLatin1String(menu))->menuAction()->isEnabled()) << menu;
    for (const char* item : {"mniFileNew", "mniFileOpen", "mniFileSaveAs", "mniFilePageSetup", "mniEditUndo"})
        EXPECT_FALSE(d.window->MenuItem(QLatin1String(item))->isEnabled()) << item;
    for (const char* item : {"mniFileSave", "mniFilePrint", "mniFileClose"})
        EXPECT_TRUE(d.window->MenuItem(QLatin1String(item))->isEnabled()) << item;
    EXPECT_EQ(changing, 1);
    EXPECT_EQ(changed, 1);

    notebook->setCurrentIndex(0);
    EXPECT_FALSE(d.window->PreviewActive());
    EXPECT_EQ(d.window->Preview()->Report(), nullptr);
    EXPECT_FALSE(d.Receipt()->DesignState() & dsDesignerActive);
    EXPECT_TRUE(d.window->Menu(QStringLiteral("mnuEdit"))->menuAction()->isEnabled());
    EXPECT_TRUE(d.window->MenuItem(QStringLiteral("mniFileOpen"))->isEnabled());

    // A handler that refuses keeps the Design tab and tells nothing changed.
    events.onTabChange.code = [](TComponent*, TjxEventParams& p) { p.SetValue(u"AllowChange", false); };
    d.window->SetEvents(events);
    changed = 0;
    notebook->setCurrentIndex(1);
    EXPECT_EQ(notebook->currentIndex(), 0);
    EXPECT_FALSE(d.window->PreviewActive());
    EXPECT_EQ(changed, 0);
}

TEST_F(DesignerWindow, AnErrorWhileEnteringPreviewIsShownAndDesignReturns)
{
    TOpenDesigner d;
    d.window->show();
    TMethod failing;
    failing.code = [](TComponent*, TjxEventParams&) { throw EOrvaneError(QStringLiteral("no data today")); };
    d.Receipt()->SetOnStartPage(failing);
    QString shown;
    QTimer* answer = AnswerMessageBox(&shown);
    d.window->Notebook()->setCurrentIndex(1);
    WaitUntil([&] { return !shown.isEmpty(); }, 3000);
    delete answer;
    EXPECT_EQ(shown, u"no data today");
    EXPECT_EQ(d.window->Notebook()->currentIndex(), 0);
    EXPECT_FALSE(d.window->PreviewActive());
    EXPECT_TRUE(d.window->Menu(QStringLiteral("mnuEdit"))->menuAction()->isEnabled());
}

TEST_F(DesignerWindow, StoredGeometryWinsOverTheComponentsWindowProperties)
{
    {
        // Without settings: centred at the default size, not at 100, 50, 600 x 400.
        TOpenDesigner d;
        EXPECT_EQ(d.window->Bounds(), QRect((1024 - 790) / 2, (768 - 600) / 2, 790, 600));
        EXPECT_EQ(d.form.Designer()->WindowWidth(), 790);
    }
    WriteIni("[Designer Position]\nWindowState=0\nLeft=30\nTop=40\nWidth=500\nHeight=450\n"
             "[Undo Options]\nCapacity=7\n[Designer Preferences]\nShowData=0\n");
    TOpenDesigner d;
    EXPECT_EQ(d.window->Bounds(), QRect(30, 40, 500, 450));
    EXPECT_EQ(d.window->UndoManager()->Capacity(), 7);
    EXPECT_FALSE(d.form.Designer()->ShowData());

    // The component's setters act on the window while it exists.
    d.form.Designer()->SetWindowLeft(60);
    EXPECT_EQ(d.window->Bounds().left(), 60);
    EXPECT_EQ(d.form.Designer()->WindowLeft(), 60);
    d.form.Designer()->SetWindowTag(9);
    EXPECT_EQ(d.window->Tag(), 9);

    // A second window is refused.
    try {
        d.form.Designer()->CreateDesignerWindow();
        ADD_FAILURE() << "no error";
    } catch (const EDesignError& e) {
        EXPECT_EQ(e.Message(), u"TjxDesigner.CreateDesignerWindow: DesignerWindow already exists.");
    }
}

TEST_F(DesignerWindow, SavingClearsModifiedSoClosingAsksNothing)
{
    TOpenDesigner d;
    TjxReport* report = d.Receipt();
    report->SetSaveAsTemplate(true);
    report->Template()->SetFileName(CwdFile(QStringLiteral("receipt.rtm")));
    d.window->show();
    d.Component("jxLabel186")->SetmmLeft(2000);
    EXPECT_TRUE(report->IsModified());

    // Ctrl+S reaches File > Save from the focus target.
    QLineEdit* focus = d.window->Surface()->FocusEdit();
    d.window->activateWindow();
    focus->setFocus();
    QApplication::setActiveWindow(d.window);
    ASSERT_TRUE(WaitUntil([&] { return d.window->isActiveWindow(); }, 3000));
    focus->setFocus();
    QTest::keyClick(focus, Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(report->IsModified());
    EXPECT_TRUE(QFile::exists(CwdFile(QStringLiteral("receipt.rtm"))));
    // An edit box would keep Ctrl+Z for its own text; the focus target leaves it to Edit > Undo.
    QTest::keyClick(focus, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(d.Component("jxLabel186")->mmLeft(), 106363);
    report->Template()->Save();

    int boxes = 0;
    QTimer* answer = WhenModal([&](QWidget* modal) {
        ++boxes;
        modal->close();
        return true;
    });
    EXPECT_TRUE(d.window->close());
    QApplication::processEvents();
    delete answer;
    EXPECT_EQ(boxes, 0);

    // A change after the save asks; Cancel keeps the window open.
    d.window->show();
    d.Component("jxLabel186")->SetmmLeft(3000);
    QString question;
    answer = AnswerMessageBox(&question, QMessageBox::Cancel);
    EXPECT_FALSE(d.window->close());
    delete answer;
    EXPECT_EQ(question, QStringLiteral("Save changes to ") + report->Template()->FileName() + QStringLiteral(" ?"));
    EXPECT_TRUE(d.window->isVisible());
    report->SetModified(false);
}

TEST_F(DesignerWindow, AFailedSettingsWriteIsShownOnceAndTheWindowCloses)
{
    TOpenDesigner d;
    d.window->show();
    // A folder where the settings file should be: it cannot be written.
    QDir().mkpath(OrvaneIni());
    int boxes = 0;
    QTimer* answer = WhenModal([&](QWidget* modal) {
        if (qobject_cast<QMessageBox*>(modal))
            ++boxes;
        modal->close();
        return false;
    });
    EXPECT_TRUE(d.window->close());
    QApplication::processEvents();
    delete answer;
    EXPECT_EQ(boxes, 1);
    EXPECT_FALSE(d.window->isVisible());
}

TEST_F(DesignerWindow, TheReportOrTheDesignerGoingLeavesNothingDangling)
{
    {
        TOpenDesigner d;
        d.window->show();
        d.window->AddSelection(d.Component("jxLabReceiptAgentName"));
        delete d.Receipt();
        EXPECT_EQ(d.window->MainReport(), nullptr);
        EXPECT_EQ(d.window->CurrentReport(), nullptr);
        EXPECT_EQ(d.form.Designer()->Report(), nullptr);
        EXPECT_TRUE(d.window->Selection().IsEmpty());
        d.window->UpdateStatusBar();
        EXPECT_TRUE(d.window->close());
    }
    // The designer freed while its modal loop runs: the loop ends, the
    // window goes after it.
    TForm1 form;
    form.ReadDescription();
    TjxDesigner* designer = form.Designer();
    QPointer<TjxDesignerWindow> window;
    QTimer* killer = WhenModal([&](QWidget* modal) {
        window = qobject_cast<TjxDesignerWindow*>(modal);
        if (!window)
            return false;
        delete designer;
        return true;
    });
    designer->ShowModal();
    delete killer;
    ASSERT_FALSE(window.isNull());
    EXPECT_FALSE(window->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(form.Receipt()->GetComponentDesigner(), nullptr);
}

TEST_F(DesignerWindow, ATemplateLoadClearsTheUndoHistoryAndReselectsTheReport)
{
    TOpenDesigner d;
    TjxReport* report = d.Receipt();
    report->Template()->SetFileName(CwdFile(QStringLiteral("receipt.rtm")));
    report->Template()->Save();
    d.Component("jxLabel186")->SetmmLeft(2000);
    EXPECT_GT(d.window->UndoManager()->UndoCount(), 0);
    report->Template()->LoadFromFile();
    EXPECT_EQ(d.window->UndoManager()->UndoCount(), 0);
    EXPECT_EQ(d.window->CurrentReport(), report);
    EXPECT_EQ(d.window->Surface()->CurrentReport(), report);
}

TEST_F(DesignerWindow, ALanguageSwitchChangesTheCaptions)
{
    TOpenDesigner d;
    QTemporaryDir dir;
    QFile module(QDir(dir.path()).filePath(QStringLiteral("lxPrint.deu")));
    ASSERT_TRUE(module.open(QIODevice::WriteOnly));
    module.write("131=&Datei\n186=Vorschau\n2500=Bereit.\n2506=Entwurf\n2538=&Info\n374=Haupt\n181=Links\n");
    module.close();
    TjxResourceManager& resources = TjxResourceManager::Instance();
    const QStringList searchPath = resources.SearchPath();
    resources.SetSearchPath({dir.path()});

    d.Receipt()->SetLanguage(lgGerman);
    EXPECT_EQ(d.window->Notebook()->tabText(0), u"Entwurf");
    EXPECT_EQ(d.window->Notebook()->tabText(1), u"Vorschau");
    EXPECT_EQ(d.window->Menu(QStringLiteral("mnuFile"))->title(), u"&Datei");
    EXPECT_EQ(d.window->MenuItem(QStringLiteral("mniHelpAbout"))->text(), u"&Info");
    EXPECT_EQ(d.window->StatusBar()->PanelText(0), u"Bereit.");
    EXPECT_EQ(d.window->StatusBar()->PanelText(1), u"Links: 0");
    EXPECT_EQ(d.window->ReportTabs()->tabText(0), u"Haupt: No Data Pipeline Assigned");

    d.Receipt()->SetLanguage(lgDefault);
    resources.SetSearchPath(searchPath);
    EXPECT_EQ(d.window->Notebook()->tabText(0), u"Design");
    EXPECT_EQ(d.window->Menu(QStringLiteral("mnuFile"))->title(), u"&File");
}

TEST_F(DesignerWindow, PaletteLeavesOutTheKindsShowComponentsLeavesOut)
{
    TForm1 form;
    form.ReadDescription();
    TjxDesigner* designer = form.Designer();
    EXPECT_TRUE(designer->PaletteClasses().contains(u"TjxDBText"));
    designer->SetShowComponents(kAllShowComponents & ~(1u << scDBText));
    EXPECT_FALSE(designer->PaletteClasses().contains(u"TjxDBText"));
    EXPECT_TRUE(designer->PaletteClasses().contains(u"TjxLabel"));
    auto* window = dynamic_cast<TjxDesignerWindow*>(designer->CreateDesignerWindow());
    window->show();
    EXPECT_EQ(window->PaletteClasses(), designer->PaletteClasses());
    window->close();
}

TEST_F(DesignerWindow, EditCommandsAndKeysActOnTheSelection)
{
    TOpenDesigner d;
    d.window->show();
    QApplication::setActiveWindow(d.window);
    QLineEdit* focus = d.window->Surface()->FocusEdit();
    focus->setFocus();
    TjxStatusBar* bar = d.window->StatusBar();

    d.window->MenuItem(QStringLiteral("mniEditSelectAll"))->trigger();
    EXPECT_EQ(d.window->Selection().Count(), 41);
    EXPECT_EQ(bar->PanelText(0), u"Objects: 41");

    // Ctrl+arrows move by a screen pixel, Shift+arrows size; a pixel is the least size.
    TjxComponent* label = d.Component("jxLabel186");
    d.window->ClearSelection();
    d.window->AddSelection(label);
    const int left = label->spLeft(), width = label->spWidth();
    QTest::keyClick(focus, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(label->spLeft(), left + 1);
    QTest::keyClick(focus, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(label->spWidth(), width + 1);
    label->SetspWidth(1);
    QTest::keyClick(focus, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(label->spWidth(), 1);
    // Each key was one undo step.
    const int steps = d.window->UndoManager()->UndoCount();
    QTest::keyClick(focus, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(d.window->UndoManager()->UndoCount(), steps + 1);

    // Copy and paste make a new component with a name of its own, selected.
    d.window->MenuItem(QStringLiteral("mniEditCopy"))->trigger();
    d.window->MenuItem(QStringLiteral("mniEditPaste"))->trigger();
    ASSERT_EQ(d.window->Selection().Count(), 1);
    TjxComponent* pasted = d.window->Selection().Primary();
    EXPECT_NE(pasted, label);
    EXPECT_NE(pasted->Name(), label->Name());
    EXPECT_EQ(pasted->Band(), label->Band());
    EXPECT_EQ(bar->PanelText(0), QStringLiteral("Object: ") + pasted->Name());

    // Delete removes it, and Undo brings it back.
    const int children = label->Band()->ChildCount();
    QTest::keyClick(focus, Qt::Key_Delete);
    EXPECT_EQ(label->Band()->ChildCount(), children - 1);
    EXPECT_TRUE(d.window->Selection().IsEmpty());
    QTest::keyClick(focus, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(label->Band()->ChildCount(), children);
}

TEST_F(DesignerWindow, AHistoryItemReopensItsFileAndTheHistoryIsSavedOnClose)
{
    TOpenDesigner d;
    TjxReport* report = d.Receipt();
    const QString a = CwdFile(QStringLiteral("a.rtm")), b = CwdFile(QStringLiteral("b.rtm"));
    report->Template()->SetFileName(a);
    report->Template()->Save();
    d.Component("jxLabel186")->SetUserName(QStringLiteral("InB"));
    report->Template()->SetFileName(b);
    report->Template()->Save();
    d.window->History().AddDocument(a, stFile, 0);
    d.window->History().AddDocument(b, stFile, 0);
    QList<QAction*> items = d.window->HistoryItems();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text(), QStringLiteral("&1 ") + b);
    EXPECT_EQ(items[1]->text(), QStringLiteral("&2 ") + a);

    d.window->show();
    items[1]->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(d.Component("jxLabel186")->UserName(), u"LabelReceiptAccountType1");
    EXPECT_EQ(report->Template()->FileName(), a);
    items = d.window->HistoryItems();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text(), QStringLiteral("&1 ") + a);
    // In Preview the history items are off.
    d.window->Notebook()->setCurrentIndex(1);
    EXPECT_FALSE(d.window->HistoryItems()[0]->isEnabled());
    d.window->Notebook()->setCurrentIndex(0);
    EXPECT_TRUE(d.window->HistoryItems()[0]->isEnabled());

    EXPECT_TRUE(d.window->close());
    std::unique_ptr<TjxIniStorage> ini = TjxIniStoragePlugIn::CreateInstance();
    EXPECT_EQ(ini->ReadString(QStringLiteral("Last Reports Accessed"), QStringLiteral("R0"), QString()), a + QStringLiteral(",1,0"));
    EXPECT_EQ(ini->ReadString(QStringLiteral("Last Reports Accessed"), QStringLiteral("R1"), QString()), b + QStringLiteral(",1,0"));
}

TEST_F(DesignerWindow, TheReportTabSetFollowsTheSubreports)
{
    TOpenDesigner d;
    d.window->show();
    QTabBar* tabs = d.window->ReportTabs();
    TjxBand* band = d.Receipt()->Band(0);
    auto* sub = dynamic_cast<TjxSubReport*>(
        d.window->EditCommands()->CreateComponent(TjxSubReport::StaticClass(), band, 1000, 1000, 50000, 10000));
    ASSERT_NE(sub, nullptr);
    ASSERT_NE(sub->Report(), nullptr);
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_TRUE(tabs->isVisible());
    EXPECT_EQ(tabs->tabText(1), sub->UserName());

    const QString caption = d.window->windowTitle();
    tabs->setCurrentIndex(1);
    EXPECT_EQ(d.window->CurrentReport(), sub->Report());
    EXPECT_EQ(d.window->Surface()->CurrentReport(), sub->Report());
    EXPECT_EQ(d.window->UndoManager()->UndoCount(), 0);
    EXPECT_EQ(d.window->windowTitle(), caption);
    // On a subreport's tab the File menu offers its subreport items.
    emit d.window->Menu(QStringLiteral("mnuFile"))->aboutToShow();
    EXPECT_TRUE(d.window->MenuItem(QStringLiteral("mniFileLoadSubreport"))->isVisible());

    // The subreport goes while its report is the designed one: the main report is designed again.
    delete sub;
    EXPECT_EQ(d.window->CurrentReport(), d.Receipt());
    EXPECT_EQ(tabs->count(), 1);
    EXPECT_FALSE(tabs->isVisible());
    d.window->UpdateStatusBar();
    EXPECT_EQ(d.window->StatusBar()->PanelText(0), QStringLiteral("Ready."));
}

TEST_F(DesignerWindow, HelpAndShowGoThroughTheDesignersHandlers)
{
    TOpenDesigner d;
    TjxDesigner* designer = d.form.Designer();
    const auto setEvent = [designer](const char* name, TMethodCode code) {
        TMethod method;
        method.code = std::move(code);
        designer->ClassInfo().FindProperty(QString::fromLatin1(name))->setMethod(*designer, method);
    };
    TComponent* shownBy = nullptr;
    setEvent("OnShow", [&](TComponent* sender, TjxEventParams&) { shownBy = sender; });
    QStringList asked;
    setEvent("OnHelp", [&](TComponent*, TjxEventParams& p) {
        asked << p.Value(u"HelpFile").toString() << p.Value(u"KeyPhrase").toString()
              << (p.Value(u"CallHelp").toBool() ? QStringLiteral("call") : QStringLiteral("no call"));
        // Nothing is opened in a test.
        p.SetValue(u"CallHelp", false);
    });
    // Set after the window was made: the designer's handlers read them when they run.
    designer->SetHelpFile(QStringLiteral("receipt.html"));

    d.window->show();
    EXPECT_EQ(shownBy, d.window->EventSender());

    QApplication::setActiveWindow(d.window);
    QLineEdit* focus = d.window->Surface()->FocusEdit();
    focus->setFocus();
    d.window->AddSelection(d.Component("jxLabel186"));
    QTest::keyClick(focus, Qt::Key_F1);
    EXPECT_EQ(asked, (QStringList{QStringLiteral("receipt.html"), QStringLiteral("TjxLabel_Object;"),
                                  QStringLiteral("call")}));
    // With several selected, the phrase names the first one selected, not the primary.
    asked.clear();
    d.window->ClearSelection();
    d.window->AddSelection(d.Component("jxMemoReceiptFrom"));
    d.window->AddSelection(d.Component("jxLabel186"));
    ASSERT_EQ(d.window->Selection().Primary(), d.Component("jxLabel186"));
    QTest::keyClick(focus, Qt::Key_F1);
    ASSERT_EQ(asked.size(), 3);
    EXPECT_EQ(asked[1], u"TjxMemo_Object;");

    asked.clear();
    designer->SetEnableHelp(false);
    d.window->MenuItem(QStringLiteral("mniHelpContents"))->trigger();
    EXPECT_EQ(asked, (QStringList{QStringLiteral("receipt.html"), QString(), QStringLiteral("no call")}));
}
