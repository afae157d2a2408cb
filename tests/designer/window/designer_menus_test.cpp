// The designer window's menus: every item's state in each situation, the
// file copies, the band items, the view and report settings, and shortcuts
// that find their item disabled.

#include "window_fixture.h"

#include "components/component.h"
#include "designer/designer.h"
#include "designer/edit_commands.h"
#include "designer/undo/undo_manager.h"
#include "designer/workspace/design_surface.h"
#include "designer/workspace/ruler.h"
#include "designer/workspace/workspace.h"
#include "document/band.h"
#include "document/class_registry.h"
#include "document/dialog_registry.h"
#include "document/form.h"
#include "document/errors.h"
#include "document/printer_setup.h"
#include "document/report.h"
#include "document/report_template.h"
#include "engine/subreport.h"

#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <map>

using namespace orvane;
using namespace orvane::test;

namespace {

// The designer window shown, with the menu user's gestures.
struct TMenuDesigner : TOpenDesigner {
    TMenuDesigner() { window->show(); }
    QAction* Item(const char* name) const { return window->MenuItem(QLatin1String(name)); }
    // Opens every menu as the user would before picking an item.
    void OpenMenus() const
    {
        for (const char* menu : {"mnuFile", "mnuEdit", "mnuView", "mnuReport"})
            emit window->Menu(QLatin1String(menu))->aboutToShow();
    }
    // The keyboard focus on the designer's focus target, as while designing.
    QLineEdit* Focus() const
    {
        QApplication::setActiveWindow(window);
        WaitUntil([this] { return window->isActiveWindow(); }, 3000);
        QLineEdit* focus = window->Surface()->FocusEdit();
        focus->setFocus();
        return focus;
    }
};

// Answers the file dialog with `path` (cancels it when empty).
QTimer* AnswerFileDialog(const QString& path, int* shown = nullptr)
{
    return WhenModal([path, shown](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog)
            return false;
        if (shown)
            ++*shown;
        if (path.isEmpty()) {
            dialog->reject();
        } else {
            // Typed as a user types it: a selection made in code can be undone
            // by the dialog's own initial selection once its folder is read.
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (edit)
                edit->setText(path);
            else
                dialog->selectFile(path);
            static_cast<QDialog*>(dialog)->accept();
        }
        return true;
    });
}

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Triggers an item whose file dialog is answered with `path` and whose
// command fails; the message it showed.
QString FailingFileCommand(QAction* item, const QString& path)
{
    QString shown;
    QPointer<QTimer> box = AnswerMessageBox(&shown);
    QPointer<QTimer> answer = AnswerFileDialog(path);
    item->trigger();
    WaitUntil([&] { return !shown.isEmpty(); }, 3000);
    delete answer;
    delete box;
    return shown;
}

// A registered dialog that answers as told and keeps what it was given.
class TAnsweringDialog : public TjxForm {
    ORVANE_CLASS(TAnsweringDialog, TjxForm)
public:
    explicit TAnsweringDialog(TComponent* owner = nullptr) : TjxForm(owner) {}
    TModalResult ShowModal() override
    {
        shownWith = dynamic_cast<TjxCustomReport*>(Report());
        return answer;
    }
    static inline TModalResult answer = mrCancel;
    static inline TjxCustomReport* shownWith = nullptr;
};

using DesignerMenus = DesignerWindowTest;

// An item's state: enabled, visible.
using TState = std::pair<bool, bool>;
constexpr TState kOn{true, true};
constexpr TState kOff{false, true};
constexpr TState kHidden{false, false};

void ExpectStates(const TMenuDesigner& d, const std::map<std::string, TState>& expected, const char* situation)
{
    for (const auto& [name, state] : expected) {
        QAction* item = d.Item(name.c_str());
        ASSERT_NE(item, nullptr) << name;
        // A hidden item's enabling does not matter.
        if (state.second) {
            EXPECT_EQ(item->isEnabled(), state.first) << situation << ": " << name;
        }
        EXPECT_EQ(item->isVisible(), state.second) << situation << ": " << name;
    }
}

} // namespace

const TClassInfo& TAnsweringDialog::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TAnsweringDialog>("TAnsweringDialog", &TjxForm::StaticClass()).Creatable().Build();
    return info;
}

TEST_F(DesignerMenus, DialogItemsUseTheRegisteredDialog)
{
    TMenuDesigner d;
    TjxReport* report = d.Receipt();
    report->SetModified(false);
    RegisterDialogClass(QStringLiteral("TjxCustomGroupDialog"), TAnsweringDialog::StaticClass());
    RegisterDialogClass(QStringLiteral("TjxCustomTextSearchSettingsDialog"), TAnsweringDialog::StaticClass());

    // Cancelled groups change nothing; confirmed ones mark the report.
    TAnsweringDialog::answer = mrCancel;
    d.Item("mniReportGroups")->trigger();
    EXPECT_EQ(TAnsweringDialog::shownWith, report);
    EXPECT_FALSE(report->IsModified());
    TAnsweringDialog::answer = mrOK;
    TAnsweringDialog::shownWith = nullptr;
    d.Item("mniReportGroups")->trigger();
    EXPECT_EQ(TAnsweringDialog::shownWith, report);
    EXPECT_TRUE(report->IsModified());

    // Find Text Settings shows once its dialog is registered, and goes with it.
    d.OpenMenus();
    EXPECT_TRUE(d.Item("mniReportFindTextSettings")->isVisible());
    TAnsweringDialog::shownWith = nullptr;
    d.Item("mniReportFindTextSettings")->trigger();
    EXPECT_EQ(TAnsweringDialog::shownWith, report);
    UnregisterDialogClass(QStringLiteral("TjxCustomGroupDialog"));
    UnregisterDialogClass(QStringLiteral("TjxCustomTextSearchSettingsDialog"));
    d.OpenMenus();
    EXPECT_FALSE(d.Item("mniReportFindTextSettings")->isVisible());
    report->SetModified(false);
}

TEST_F(DesignerMenus, EveryItemsStateInEachSituation)
{
    TMenuDesigner d;
    QApplication::clipboard()->clear();
    TjxComponent* name = d.Component("jxLabReceiptAgentName");
    TjxComponent* phone = d.Component("jxLabReceiptAgentPhone");
    TjxBand* header = d.Receipt()->FindBand(btHeader);
    ASSERT_TRUE(name && phone && header);

    // The receipt is kept in a file and is the only report: no copies to or
    // from files, no subreport items; nothing to undo or paste yet.
    std::map<std::string, TState> design{
        {"mniFileNew", kOn}, {"mniFileNewReport", kOn}, {"mniFileOpen", kOn}, {"mniFileClose", kOn},
        {"mniFileSave", kOn}, {"mniFileSaveAs", kOn}, {"mniFileLoadSubreport", kHidden},
        {"mniFileSaveSubreport", kHidden}, {"mniFileLoadFromFile", kHidden}, {"mniFileSaveToFile", kHidden},
        {"mniFileLoadSubreportFromFile", kHidden}, {"mniFileSaveSubReportToFile", kHidden},
        {"mniFilePageSetup", kOn}, {"mniFilePrint", kOn}, {"mniFilePrintToFileSetup", kOn},
        {"mniEditUndo", kOff}, {"mniEditRedo", kOff}, {"mniEditCut", kOn}, {"mniEditCopy", kOn},
        {"mniEditPaste", kOff}, {"mniEditDelete", kOn}, {"mniEditSelectAll", kOn}, {"mniEditBringToFront", kOn},
        {"mniEditSendToBack", kOn}, {"mniViewToolbars", kOn}, {"mniViewRulers", kOn}, {"mniViewGridOptions", kOn},
        {"mniViewShowData", kOn}, {"mniReportData", kOn}, {"mniReportTitle", kOn}, {"mniReportSummary", kOn},
        {"mniReportHeader", kOn}, {"mniReportFooter", kOn}, {"mniReportPageStyle", kOn}, {"mniReportGroups", kOn},
        {"mniReportOutlineSettings", kOn}, {"mniReportFindTextSettings", kHidden}, {"mniReportPortrait", kOn},
        {"mniReportLandscape", kOn}, {"mniReportCachePages", kOn}, {"mniReportPassSetting", kOn},
        {"mniReportUnits", kOn}, {"mniHelpContents", kOn}, {"mniHelpAbout", kOn}};

    d.OpenMenus();
    ExpectStates(d, design, "no selection");
    EXPECT_EQ(d.Item("mniEditUndo")->text(), u"&Undo:0");
    EXPECT_EQ(d.Item("mniEditRedo")->text(), u"&Redo:0");
    EXPECT_TRUE(d.Item("mniReportHeader")->isChecked());
    EXPECT_FALSE(d.Item("mniReportTitle")->isChecked());
    EXPECT_TRUE(d.Item("mniReportPortrait")->isChecked());
    EXPECT_TRUE(d.Item("mniViewRulers")->isChecked());
    EXPECT_TRUE(d.Item("mniReportTwoPass")->isChecked());
    // Without a primary component the z-order items record nothing.
    d.Item("mniEditBringToFront")->trigger();
    EXPECT_EQ(d.window->UndoManager()->UndoCount(), 0);

    // One component: bring it to the front, one undo step; the captions count it.
    d.window->AddSelection(phone);
    const int phoneIndex = header->IndexOfChild(phone);
    d.Item("mniEditBringToFront")->trigger();
    EXPECT_EQ(header->IndexOfChild(phone), header->ChildCount() - 1);
    EXPECT_NE(phoneIndex, header->ChildCount() - 1);
    d.OpenMenus();
    design["mniEditUndo"] = kOn;
    ExpectStates(d, design, "one component");
    EXPECT_EQ(d.Item("mniEditUndo")->text(), u"&Undo:1");

    // Several components, after a copy: Paste follows the clipboard.
    d.window->AddSelection(name);
    d.Item("mniEditCopy")->trigger();
    d.OpenMenus();
    design["mniEditPaste"] = kOn;
    ExpectStates(d, design, "several components");
    d.Item("mniEditSendToBack")->trigger();
    EXPECT_EQ(header->IndexOfChild(phone), 1);
    EXPECT_EQ(header->IndexOfChild(name), 0);
    d.Item("mniEditUndo")->trigger();
    d.OpenMenus();
    design["mniEditRedo"] = kOn;
    ExpectStates(d, design, "after undo");
    EXPECT_EQ(d.Item("mniEditRedo")->text(), u"&Redo:1");

    // A band: the same items; the z-order items act on no band.
    d.window->ClearSelection();
    d.window->Surface()->SetSelectedBand(header);
    const int undo = d.window->UndoManager()->UndoCount();
    d.Item("mniEditBringToFront")->trigger();
    EXPECT_EQ(d.window->UndoManager()->UndoCount(), undo);
    d.OpenMenus();
    ExpectStates(d, design, "a band");

    // Preview: Edit, View and Report are off, item by item; File keeps Save, Print and Close.
    d.window->Notebook()->setCurrentIndex(1);
    ASSERT_TRUE(d.window->PreviewActive());
    d.OpenMenus();
    std::map<std::string, TState> preview = design;
    for (auto& [item, state] : preview)
        if (state.second && item.rfind("mniHelp", 0) != 0)
            state.first = false;
    for (const char* stays : {"mniFileClose", "mniFileSave", "mniFilePrint"})
        preview[stays] = kOn;
    ExpectStates(d, preview, "preview");
    for (const char* menu : {"mnuEdit", "mnuView", "mnuReport"})
        EXPECT_FALSE(d.window->Menu(QLatin1String(menu))->menuAction()->isEnabled()) << menu;

    d.window->Notebook()->setCurrentIndex(0);
    d.OpenMenus();
    ExpectStates(d, design, "back in design");
}

TEST_F(DesignerMenus, AShortcutActsOnlyWhenItsItemIsEnabledNow)
{
    TMenuDesigner d;
    TjxReport* report = d.Receipt();
    report->SetSaveAsTemplate(true);
    report->Template()->SetFileName(CwdFile(QStringLiteral("receipt.rtm")));
    QLineEdit* focus = d.Focus();
    d.OpenMenus();
    ASSERT_TRUE(d.Item("mniFileSave")->isEnabled());

    // The template moves to a database without usable settings after the
    // menu was last opened: Ctrl+S finds Save disabled and saves nothing.
    report->Template()->SetSaveTo(stDatabase);
    int saves = 0;
    TjxDesignerWindowEvents events;
    events.onCustomSaveDoc.code = [&](TComponent*, TjxEventParams&) { ++saves; };
    d.window->SetEvents(events);
    TModalCount modals;
    QTest::keyClick(focus, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(saves, 0);
    EXPECT_FALSE(d.Item("mniFileSave")->isEnabled());
    // Back in a file, the same key saves without the menu being opened.
    report->Template()->SetSaveTo(stFile);
    QTest::keyClick(focus, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(modals.Count(), 0);

    // In Preview, Ctrl+Z undoes nothing and Ctrl+G opens nothing.
    TjxComponent* label = d.Component("jxLabel186");
    const int left = label->mmLeft();
    const int steps = d.window->UndoManager()->UndoCount();
    d.window->EditCommands()->Move(label, left + 1000, label->mmTop());
    ASSERT_EQ(d.window->UndoManager()->UndoCount(), steps + 1);
    d.window->Notebook()->setCurrentIndex(1);
    ASSERT_TRUE(d.window->PreviewActive());
    QTest::keyClick(d.window, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(d.window, Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(label->mmLeft(), left + 1000);
    d.window->Notebook()->setCurrentIndex(0);
    focus = d.Focus();
    QTest::keyClick(focus, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(label->mmLeft(), left);
    report->SetModified(false);
}

TEST_F(DesignerMenus, SaveToFileWritesTextAndPutsTheTemplateBack)
{
    TMenuDesigner d;
    TjxReport* report = d.Receipt();
    TjxReportTemplate* t = report->Template();
    t->SetSaveTo(stDatabase);
    t->SetFormat(ftBinary);
    t->SetOffset(12);
    t->SetFileName(QStringLiteral("Receipts"));
    d.Component("jxLabel186")->SetUserName(QStringLiteral("Copied"));
    report->SetModified(true);
    d.OpenMenus();
    ASSERT_TRUE(d.Item("mniFileSaveToFile")->isVisible());

    const QString copy = CwdFile(QStringLiteral("copy.rtm"));
    QPointer<QTimer> answer = AnswerFileDialog(copy);
    d.Item("mniFileSaveToFile")->trigger();
    delete answer;
    EXPECT_TRUE(FileBytes(copy).startsWith("object ")) << FileBytes(copy).left(20).toStdString();
    EXPECT_TRUE(FileBytes(copy).contains("Copied"));
    EXPECT_EQ(t->Format(), ftBinary);
    EXPECT_EQ(t->SaveTo(), stDatabase);
    EXPECT_EQ(t->Offset(), 12);
    EXPECT_EQ(t->FileName(), u"Receipts");
    // The database copy is still unsaved: closing must still ask.
    EXPECT_TRUE(report->IsModified());

    // A save that fails puts everything back too, and shows its message.
    TjxDesignerWindowEvents events;
    events.onCustomSaveDoc.code = [](TComponent*, TjxEventParams&) {
        throw EOrvaneError(QStringLiteral("disk full"));
    };
    d.window->SetEvents(events);
    EXPECT_EQ(FailingFileCommand(d.Item("mniFileSaveToFile"), CwdFile(QStringLiteral("other.rtm"))), u"disk full");
    EXPECT_EQ(t->Format(), ftBinary);
    EXPECT_EQ(t->SaveTo(), stDatabase);
    EXPECT_EQ(t->FileName(), u"Receipts");

    // A cancelled dialog changes nothing.
    d.window->SetEvents({});
    answer = AnswerFileDialog(QString());
    d.Item("mniFileSaveToFile")->trigger();
    delete answer;
    EXPECT_FALSE(QFile::exists(CwdFile(QStringLiteral("other.rtm"))));
    EXPECT_EQ(t->SaveTo(), stDatabase);
    report->SetModified(false);
}

TEST_F(DesignerMenus, LoadFromFileReadsAFileAndKeepsTheTemplatesPlace)
{
    TMenuDesigner d;
    TjxReport* report = d.Receipt();
    TjxReportTemplate* t = report->Template();
    const QString file = CwdFile(QStringLiteral("from.rtm"));
    d.Component("jxLabel186")->SetUserName(QStringLiteral("FromFile"));
    t->SetFileName(file);
    t->Save();
    d.Component("jxLabel186")->SetUserName(QStringLiteral("InMemory"));
    t->SetSaveTo(stDatabase);
    t->SetOffset(3);
    t->SetFileName(QStringLiteral("Receipts"));

    QPointer<QTimer> answer = AnswerFileDialog(file);
    d.window->MenuItem(QStringLiteral("mniFileLoadFromFile"))->trigger();
    delete answer;
    EXPECT_EQ(d.Component("jxLabel186")->UserName(), u"FromFile");
    EXPECT_EQ(t->SaveTo(), stDatabase);
    EXPECT_EQ(t->Offset(), 3);
    EXPECT_EQ(t->FileName(), u"Receipts");
    EXPECT_EQ(d.window->UndoManager()->UndoCount(), 0);
    ASSERT_GE(d.window->History().Count(), 1);
    EXPECT_EQ(d.window->History().Document(0).fileName, file);

    // A file that is no template: its message, and the template where it was.
    const QString bad = CwdFile(QStringLiteral("bad.rtm"));
    {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a template at all");
    }
    EXPECT_FALSE(FailingFileCommand(d.Item("mniFileLoadFromFile"), bad).isEmpty());
    EXPECT_EQ(d.Component("jxLabel186")->UserName(), u"FromFile");
    EXPECT_EQ(t->SaveTo(), stDatabase);
    EXPECT_EQ(t->FileName(), u"Receipts");
    report->SetModified(false);
}

TEST_F(DesignerMenus, FileCopyAndSubreportItemsFollowTheirConditions)
{
    TMenuDesigner d;
    TjxReportTemplate* t = d.Receipt()->Template();
    const auto visible = [&](const char* name) {
        emit d.window->Menu(QStringLiteral("mnuFile"))->aboutToShow();
        return d.Item(name)->isVisible();
    };
    t->SetSaveTo(stDatabase);
    EXPECT_TRUE(visible("mniFileLoadFromFile"));
    EXPECT_TRUE(visible("mniFileSaveToFile"));
    EXPECT_FALSE(visible("mniFileLoadSubreportFromFile"));
    // A database template whose settings are incomplete cannot be opened or saved there.
    EXPECT_FALSE(d.Item("mniFileOpen")->isEnabled());
    EXPECT_FALSE(d.Item("mniFileSaveAs")->isEnabled());
    d.window->SetAllowSaveToFile(false);
    EXPECT_FALSE(visible("mniFileLoadFromFile"));
    EXPECT_FALSE(visible("mniFileSaveToFile"));
    d.window->SetAllowSaveToFile(true);

    auto* sub = dynamic_cast<TjxSubReport*>(d.window->EditCommands()->CreateComponent(
        TjxSubReport::StaticClass(), d.Receipt()->Band(0), 1000, 1000, 50000, 10000));
    ASSERT_TRUE(sub && sub->Report());
    // The first tab is active: still no subreport items.
    EXPECT_FALSE(visible("mniFileLoadSubreport"));
    d.window->ReportTabs()->setCurrentIndex(1);
    ASSERT_EQ(d.window->CurrentReport(), sub->Report());
    EXPECT_TRUE(visible("mniFileLoadSubreport"));
    EXPECT_TRUE(visible("mniFileSaveSubreport"));
    EXPECT_TRUE(visible("mniFileLoadSubreportFromFile"));
    EXPECT_TRUE(visible("mniFileSaveSubReportToFile"));
    t->SetSaveTo(stFile);
    sub->Report()->Template()->SetSaveTo(stFile);
    EXPECT_TRUE(visible("mniFileLoadSubreport"));
    EXPECT_FALSE(visible("mniFileSaveSubReportToFile"));

    // On a child report's tab Cache Pages and Pass Setting belong to the main report.
    emit d.window->Menu(QStringLiteral("mnuReport"))->aboutToShow();
    EXPECT_FALSE(d.Item("mniReportCachePages")->isEnabled());
    EXPECT_FALSE(d.Item("mniReportPassSetting")->isEnabled());
    d.window->ReportTabs()->setCurrentIndex(0);
    emit d.window->Menu(QStringLiteral("mnuReport"))->aboutToShow();
    EXPECT_TRUE(d.Item("mniReportCachePages")->isEnabled());
    d.Receipt()->SetModified(false);
}

TEST_F(DesignerMenus, BandItemsMakeAndFreeBandsAsOneUndoStepEach)
{
    TMenuDesigner d;
    TjxReport* report = d.Receipt();
    TjxUndoManager* undo = d.window->UndoManager();
    d.OpenMenus();
    ASSERT_EQ(report->FindBand(btTitle), nullptr);

    d.Item("mniReportTitle")->trigger();
    TjxBand* title = report->FindBand(btTitle);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(report->Band(0), title);
    EXPECT_EQ(undo->UndoCount(), 1);
    EXPECT_EQ(undo->UndoList().Count(), 1);
    EXPECT_TRUE(d.Item("mniReportTitle")->isChecked());
    d.Item("mniEditUndo")->trigger();
    EXPECT_EQ(report->FindBand(btTitle), nullptr);
    d.Item("mniEditRedo")->trigger();
    EXPECT_NE(report->FindBand(btTitle), nullptr);

    // The header goes with its components and comes back with them.
    TjxBand* header = report->FindBand(btHeader);
    const int children = header->ChildCount();
    ASSERT_GT(children, 10);
    const int bands = report->BandCount();
    d.OpenMenus();
    ASSERT_TRUE(d.Item("mniReportHeader")->isChecked());
    d.Item("mniReportHeader")->trigger();
    EXPECT_EQ(report->FindBand(btHeader), nullptr);
    EXPECT_EQ(report->BandCount(), bands - 1);
    EXPECT_EQ(d.Component("jxLabReceiptAgentName"), nullptr);
    d.Item("mniEditUndo")->trigger();
    header = report->FindBand(btHeader);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->ChildCount(), children);
    ASSERT_NE(d.Component("jxLabReceiptAgentName"), nullptr);
    EXPECT_EQ(d.Component("jxLabReceiptAgentName")->Band(), header);

    // The footer tells the workspace.
    d.OpenMenus();
    d.Item("mniReportFooter")->trigger();
    EXPECT_NE(report->FindBand(btFooter), nullptr);
    EXPECT_TRUE(d.window->Surface()->Workspace()->FooterPresent());
    d.OpenMenus();
    d.Item("mniReportFooter")->trigger();
    EXPECT_EQ(report->FindBand(btFooter), nullptr);
    EXPECT_FALSE(d.window->Surface()->Workspace()->FooterPresent());
    report->SetModified(false);
}

TEST_F(DesignerMenus, ViewAndReportSettingsItems)
{
    TMenuDesigner d;
    TjxReport* report = d.Receipt();
    QWidget* horizontal = d.window->Surface()->HorizontalRulerPanel();
    QWidget* vertical = d.window->Surface()->VerticalRulerPanel();
    TjxDesignSurface* surface = d.window->Surface();
    QWidget* box = surface->ScrollBox();
    const QRect all = surface->rect();
    ASSERT_GT(all.width(), 100);
    const QRect withRulers(23, 23, all.width() - 23, all.height() - 23);
    EXPECT_EQ(box->geometry(), withRulers);
    d.OpenMenus();
    d.Item("mniViewRulers")->trigger();
    EXPECT_FALSE(horizontal->isVisible());
    EXPECT_FALSE(vertical->isVisible());
    // The rulers' room goes to the workspace, which starts at the surface's corner.
    EXPECT_EQ(box->geometry(), all);
    EXPECT_EQ(surface->Workspace()->mapTo(surface, QPoint(0, 0)), QPoint(0, 0));
    d.OpenMenus();
    EXPECT_FALSE(d.Item("mniViewRulers")->isChecked());
    d.Item("mniViewRulers")->trigger();
    EXPECT_TRUE(horizontal->isVisible());
    EXPECT_TRUE(vertical->isVisible());
    EXPECT_EQ(box->geometry(), withRulers);
    EXPECT_EQ(surface->Workspace()->mapTo(surface, QPoint(0, 0)), QPoint(23, 23));
    // A window resized with the rulers hidden still gives them no room.
    d.window->SetRulersVisible(false);
    d.window->resize(d.window->size() + QSize(40, 30));
    QCoreApplication::processEvents();
    EXPECT_EQ(box->geometry(), surface->rect());
    EXPECT_EQ(surface->width(), all.width() + 40);
    // The rulers' own "&Hide" hides both, as View > Rulers does.
    d.window->SetRulersVisible(true);
    QMenu* popup = surface->HorizontalRuler()->findChild<QMenu*>();
    ASSERT_NE(popup, nullptr);
    popup->actions().constLast()->trigger();
    EXPECT_FALSE(d.window->RulersVisible());
    EXPECT_EQ(box->geometry(), surface->rect());
    d.OpenMenus();
    EXPECT_FALSE(d.Item("mniViewRulers")->isChecked());
    d.window->SetRulersVisible(true);

    // Show Data is design state 8 of the designed report.
    d.window->SetShowData(false);
    EXPECT_FALSE(report->DesignState() & dsShowingData);
    d.Item("mniViewShowData")->trigger();
    EXPECT_TRUE(d.window->ShowData());
    EXPECT_TRUE(report->DesignState() & dsShowingData);
    d.OpenMenus();
    EXPECT_TRUE(d.Item("mniViewShowData")->isChecked());

    d.Item("mniReportLandscape")->trigger();
    EXPECT_EQ(report->PrinterSetup()->Orientation(), poLandscape);
    d.OpenMenus();
    EXPECT_TRUE(d.Item("mniReportLandscape")->isChecked());
    EXPECT_FALSE(d.Item("mniReportPortrait")->isChecked());
    d.Item("mniReportOnePass")->trigger();
    EXPECT_EQ(report->PassSetting(), psOnePass);
    const bool cache = report->CachePages();
    d.OpenMenus();
    d.Item("mniReportCachePages")->trigger();
    EXPECT_EQ(report->CachePages(), !cache);
    for (const TjxUnitChoice& u : kUnitChoices) {
        d.Item(u.menuItemName)->trigger();
        EXPECT_EQ(report->Units(), u.unit) << u.menuItemName;
        d.OpenMenus();
        EXPECT_TRUE(d.Item(u.menuItemName)->isChecked());
    }

    // Items whose dialog is not registered do nothing.
    const int undo = d.window->UndoManager()->UndoCount();
    TModalCount modals;
    for (const char* item : {"mniFileNew", "mniFilePageSetup", "mniFilePrintToFileSetup", "mniViewGridOptions",
                             "mniReportData", "mniReportGroups", "mniReportOutlineSettings"})
        d.Item(item)->trigger();
    EXPECT_EQ(modals.Count(), 0);
    EXPECT_EQ(d.window->UndoManager()->UndoCount(), undo);
    report->SetModified(false);
}

TEST_F(DesignerMenus, TheMenusItemsAndCaptions)
{
    TMenuDesigner d;
    // The inserted items sit at index 12 of the Report menu, just before Portrait.
    const QList<QAction*> report = d.window->Menu(QStringLiteral("mnuReport"))->actions();
    ASSERT_GT(report.size(), 15);
    EXPECT_EQ(report[12]->objectName(), u"mniReportOutlineSettings");
    EXPECT_EQ(report[12]->text(), u"Outline Settings...");
    EXPECT_EQ(report[13]->objectName(), u"mniReportFindTextSettings");
    EXPECT_EQ(report[13]->text(), u"Find Text Settings...");
    EXPECT_TRUE(report[14]->isSeparator());
    EXPECT_EQ(report[15]->objectName(), u"mniReportPortrait");
    EXPECT_EQ(d.Item("mniFileSaveForm"), nullptr);
    EXPECT_EQ(d.Item("mniViewObjectInspector"), nullptr);

    const std::pair<const char*, const char*> captions[] = {
        {"mniFileNew", "&New..."},
        {"mniFileNewReport", "New &Report"},
        {"mniFileLoadFromFile", "Loa&d From File..."},
        {"mniFileSaveToFile", "Sa&ve to File..."},
        {"mniFileLoadSubreportFromFile", "Load SubReport From File..."},
        {"mniFileSaveSubReportToFile", "Save SubReport To File..."},
        {"mniFilePrintToFileSetup", "Print to &File Setup..."},
        {"mniEditBringToFront", "Bring to &Front"},
        {"mniEditSendToBack", "Send to &Back"},
        {"mniViewToolbars", "Toolbars"},
        {"mniReportData", "&Data..."},
        {"mniReportTitle", "&Title"},
        {"mniReportPageStyle", "Page Style"},
        {"mniReportGroups", "&Groups..."},
        {"mniReportPortrait", "&Portrait"},
    };
    for (const auto& [name, caption] : captions)
        EXPECT_EQ(d.Item(name)->text(), QLatin1String(caption)) << name;
    EXPECT_EQ(d.Item("mniFileSave")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(d.Item("mniEditDelete")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Delete));
    EXPECT_EQ(d.Item("mniReportGroups")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_G));
    // View's first item is the Toolbars submenu.
    EXPECT_EQ(d.window->Menu(QStringLiteral("mnuView"))->actions().front()->objectName(), u"mniViewToolbars");
}

TEST_F(DesignerMenus, ClosingAsksOnlyForModifiedTemplatesAndNamesTheUnnamedOne)
{
    TMenuDesigner d;
    TjxReport* report = d.Receipt();
    // Modified, but not kept as a template: nothing to ask.
    report->SetSaveAsTemplate(false);
    d.Component("jxLabel186")->SetmmLeft(1000);
    ASSERT_TRUE(report->IsModified());
    {
        TModalCount modals;
        EXPECT_TRUE(d.window->CanCloseDesigner());
        EXPECT_EQ(modals.Count(), 0);
    }

    // A template without a name: the prompt names "New Report", and Yes saves as Save As does.
    report->SetSaveAsTemplate(true);
    report->Template()->SetFileName(QString());
    QString question;
    QPointer<QTimer> box = AnswerMessageBox(&question, QMessageBox::Yes);
    int dialogs = 0;
    QPointer<QTimer> answer = AnswerFileDialog(QString(), &dialogs);
    EXPECT_FALSE(d.window->CanCloseDesigner());
    delete box;
    delete answer;
    EXPECT_EQ(question, u"Save changes to New Report ?");
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(report->IsModified());

    // No closes without saving.
    box = AnswerMessageBox(&question, QMessageBox::No);
    EXPECT_TRUE(d.window->CanCloseDesigner());
    delete box;
    report->SetModified(false);
}
