// The preview window as printing to "Screen" opens it: the producer's events
// and settings, the toolbar and its hints, the edits, the keys, and closing
// while pages are made or after a failure.

#include "preview_fixture.h"

#include "document/dialog_registry.h"
#include "document/errors.h"
#include "document/form.h"
#include "output/publisher.h"
#include "preview/preview.h"
#include "preview/print_preview.h"
#include "preview/status_bar.h"
#include "preview/text_search_preview.h"
#include "preview/viewer.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

TjxPreview* PreviewOf(TjxProducer* report)
{
    TjxPrintPreview* form = Form(report);
    return form ? dynamic_cast<TjxPreview*>(form->Preview()) : nullptr;
}

// Opens the report's preview without a modal loop and waits for page 1.
void OpenPreview(TjxReport* report)
{
    report->SetPropertyValue(u"ModalPreview", false);
    report->Print();
    ASSERT_NE(Form(report), nullptr);
    ASSERT_TRUE(WaitUntil([report] { return Form(report)->PreviewViewer()->AbsolutePageNo() == 1; }));
    Form(report)->Window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form(report)->Window()));
}

void CloseAndWait(TjxReport* report)
{
    if (TjxPrintPreview* form = Form(report))
        form->Close();
    ASSERT_TRUE(WaitUntil([report] { return report->PreviewForm() == nullptr; }));
}

} // namespace

TEST(PreviewWindow, OpensAndClosesWithTheProducersEvents)
{
    ListReport list(100);
    TEventLog log(list.report);
    list.report->PreviewFormSettings()->SetWindowState(wsMaximized);
    // Modal, as reports are by default: Escape from inside the window's loop.
    QTimer::singleShot(0, [&list] {
        WaitUntil([&list] { return Form(list.report) && Form(list.report)->PreviewViewer()->AbsolutePageNo() == 1; });
        TjxPrintPreview* form = Form(list.report);
        ASSERT_NE(form, nullptr);
        QDialog* window = form->Window();
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Print Preview"));
        EXPECT_EQ(window->size(), QSize(1024, 768));
        EXPECT_TRUE(list.report->Producing());
        EXPECT_EQ(form->StatusBar()->PanelText(0),
                  QStringLiteral("Page 1 of %1").arg(form->PreviewViewer()->CurrentPage()->AbsolutePageCount()));
        EXPECT_EQ(form->StatusBar()->PanelWidth(0), 275);
        QTest::keyClick(PreviewOf(list.report)->FocusEdit(), Qt::Key_Escape);
    });
    list.report->Print();
    EXPECT_FALSE(list.report->Producing());
    ASSERT_TRUE(WaitUntil([&list] { return list.report->PreviewForm() == nullptr; }));
    const int assign = log.IndexOf(ciProducerAssignPreviewFormSettings);
    const int create = log.IndexOf(ciProducerPreviewFormCreate);
    const int endPrint = log.IndexOf(ciProducerEndPrint);
    const int close = log.IndexOf(ciProducerPreviewFormClose);
    ASSERT_LT(close, int(log.ids.size()));
    EXPECT_LT(assign, create);
    EXPECT_LT(create, endPrint);
    EXPECT_LT(endPrint, close);
}

TEST(PreviewWindow, WithoutAWindowClassNothingOpens)
{
    ListReport list(10);
    const TClassInfo* registered = GetDialogClass(u"TjxCustomPreviewer");
    ASSERT_NE(registered, nullptr);
    UnregisterDialogClass(QStringLiteral("TjxCustomPreviewer"));
    TEventLog log(list.report);
    list.report->Print();
    RegisterDialogClass(QStringLiteral("TjxCustomPreviewer"), *registered);
    EXPECT_EQ(list.report->PreviewForm(), nullptr);
    EXPECT_FALSE(list.report->Producing());
    EXPECT_EQ(log.Count(ciProducerPageRequest), 0);
    EXPECT_EQ(log.Count(ciProducerPreviewFormCreate), 0);
}

TEST(PreviewWindow, TheNarrowEditsShowTheirLongestEntryWithALargerDesktopFont)
{
    // A desktop font wider than the test screen's pinned one: "100 %" was
    // shown scrolled to "00 %" in the 37-pixel zoom edit.
    struct FontRestorer {
        QFont pinned = QApplication::font();
        ~FontRestorer() { QApplication::setFont(pinned); }
    } restore;
    QFont desktop(QStringLiteral("DejaVu Sans"));
    desktop.setPixelSize(13);
    QApplication::setFont(desktop);
    ListReport list(100);
    OpenPreview(list.report);
    TjxPreview* preview = PreviewOf(list.report);
    ASSERT_NE(preview, nullptr);
    for (const auto& [edit, longest] : {std::pair{preview->ZoomEdit(), QStringLiteral("250 %")},
                                        std::pair{preview->PageEdit(), QStringLiteral("99999")}}) {
        const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
        EXPECT_EQ(edit->width(), 37);
        EXPECT_LE(edit->fontMetrics().horizontalAdvance(longest), edit->width() - 2 * frame - 4) << longest.toStdString();
    }
    CloseAndWait(list.report);
}

TEST(PreviewWindow, ToolbarInOrderWithItsHintsAndSizes)
{
    ListReport list(100);
    OpenPreview(list.report);
    TjxPreview* preview = PreviewOf(list.report);
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->ToolPanel()->height(), 26);
    EXPECT_EQ(preview->ToolPanel()->findChild<QWidget*>(QStringLiteral("innerPanel"))->width(), 550);
    // Left to right: buttons by action, with the two edits in their places.
    struct Item {
        QWidget* widget;
        QString hint;
    };
    const std::vector<Item> items = {
        {preview->Button(paPrint), QStringLiteral("Print")},
        {preview->Button(paAutoSearch), QStringLiteral("Search Data")},
        {preview->Button(paFindText), QStringLiteral("Show the Find Text Toolbar")},
        {preview->Button(paWholePage), QStringLiteral("Whole Page")},
        {preview->Button(paPageWidth), QStringLiteral("Page Width")},
        {preview->Button(pa100Percent), QStringLiteral("100 %")},
        {preview->ZoomEdit(), QString()},
        {preview->Button(paFirstPage), QStringLiteral("First Page")},
        {preview->Button(paPriorPage), QStringLiteral("Prior Page")},
        {preview->PageEdit(), QString()},
        {preview->Button(paNextPage), QStringLiteral("Next Page")},
        {preview->Button(paLastPage), QStringLiteral("Last Page")},
        {preview->Button(paClose), QStringLiteral("Close")},
    };
    for (size_t i = 0; i + 1 < items.size(); ++i)
        EXPECT_LT(items[i].widget->x() + items[i].widget->width() - 1, items[i + 1].widget->x()) << i;
    for (const Item& item : items) {
        if (!item.hint.isEmpty()) {
            EXPECT_EQ(item.widget->toolTip(), item.hint);
        }
    }
    EXPECT_EQ(preview->Button(paPrint)->x(), 2);
    EXPECT_EQ(preview->Button(paFindText)->x(), 77);
    EXPECT_EQ(preview->ZoomEdit()->width(), 37);
    EXPECT_EQ(preview->PageEdit()->width(), 37);
    QToolButton* close = preview->Button(paClose);
    EXPECT_EQ(close->text(), QStringLiteral("Close"));
    EXPECT_EQ(close->width(), close->fontMetrics().horizontalAdvance(QStringLiteral("Close")) + 30);
    // Hidden unless the report asks for them (text search is on by default).
    EXPECT_FALSE(preview->Button(paAutoSearch)->isVisible());
    EXPECT_TRUE(preview->Button(paFindText)->isVisible());
    // On page 1 of several: back is off, forward on; the zoom shown.
    EXPECT_FALSE(preview->Button(paFirstPage)->isEnabled());
    EXPECT_FALSE(preview->Button(paPriorPage)->isEnabled());
    EXPECT_TRUE(preview->Button(paNextPage)->isEnabled());
    EXPECT_TRUE(preview->Button(paLastPage)->isEnabled());
    EXPECT_TRUE(preview->Button(paWholePage)->isChecked());
    EXPECT_EQ(preview->PageEdit()->text(), QStringLiteral("1"));
    EXPECT_EQ(preview->ZoomEdit()->text(),
              QStringLiteral("%1 %").arg(Form(list.report)->PreviewViewer()->ZoomPercentageShown()));
    CloseAndWait(list.report);

    list.report->SetShowAutoSearchDialog(true);
    OpenPreview(list.report);
    EXPECT_TRUE(PreviewOf(list.report)->Button(paAutoSearch)->isVisible());
    CloseAndWait(list.report);
}

TEST(PreviewWindow, ZoomEditAndKeys)
{
    ListReport list(100);
    OpenPreview(list.report);
    TjxPreview* preview = PreviewOf(list.report);
    TjxViewer* viewer = Form(list.report)->PreviewViewer();
    int zoomChanged = 0;
    preview->ZoomChangedHandler = [&zoomChanged](TjxCustomPreview*) { ++zoomChanged; };

    preview->ZoomEdit()->setFocus();
    preview->ZoomEdit()->clear();
    QTest::keyClicks(preview->ZoomEdit(), QStringLiteral("400"));
    QTest::keyClick(preview->ZoomEdit(), Qt::Key_Return);
    EXPECT_EQ(viewer->ZoomSetting(), zsPercentage);
    EXPECT_EQ(viewer->ZoomPercentage(), 250);
    EXPECT_EQ(viewer->ZoomPercentageShown(), 250);
    EXPECT_EQ(zoomChanged, 1);
    EXPECT_TRUE(preview->FocusEdit()->hasFocus());
    EXPECT_FALSE(preview->Button(paWholePage)->isChecked());

    preview->ZoomEdit()->setFocus();
    preview->ZoomEdit()->clear();
    QTest::keyClick(preview->ZoomEdit(), Qt::Key_Return);
    EXPECT_EQ(viewer->ZoomPercentage(), 100);
    EXPECT_EQ(zoomChanged, 2);

    // Zoom buttons.
    QTest::mouseClick(preview->Button(paPageWidth), Qt::LeftButton);
    EXPECT_EQ(viewer->ZoomSetting(), zsPageWidth);
    EXPECT_TRUE(preview->Button(paPageWidth)->isChecked());

    // Keys: Ctrl+Home on page 1 does nothing, Ctrl+End goes to the last page,
    // Ctrl+Page Up one back; the page edit goes where it is told.
    QWidget* focus = preview->FocusEdit();
    QTest::keyClick(focus, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(viewer->AbsolutePageNo(), 1);
    QTest::keyClick(focus, Qt::Key_End, Qt::ControlModifier);
    const int last = viewer->AbsolutePageNo();
    EXPECT_GT(last, 2);
    EXPECT_TRUE(viewer->CurrentPage()->LastPage());
    EXPECT_FALSE(preview->Button(paNextPage)->isEnabled());
    EXPECT_FALSE(preview->Button(paLastPage)->isEnabled());
    EXPECT_TRUE(PageTexts(*viewer->CurrentPage()).contains(QStringLiteral("Page %1 of %1").arg(last)));
    QTest::keyClick(focus, Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(viewer->AbsolutePageNo(), last - 1);
    preview->PageEdit()->setFocus();
    preview->PageEdit()->clear();
    QTest::keyClicks(preview->PageEdit(), QStringLiteral("2"));
    QTest::keyClick(preview->PageEdit(), Qt::Key_Enter);
    EXPECT_EQ(viewer->AbsolutePageNo(), 2);
    EXPECT_TRUE(preview->FocusEdit()->hasFocus());

    // Page Down scrolls rather than turning the page.
    QTest::mouseClick(preview->Button(pa100Percent), Qt::LeftButton);
    QTest::keyClick(focus, Qt::Key_PageDown);
    EXPECT_EQ(viewer->AbsolutePageNo(), 2);
    EXPECT_GT(viewer->ScrollBox()->verticalScrollBar()->value(), 0);

    // Escape closes the window.
    QTest::keyClick(focus, Qt::Key_Escape);
    EXPECT_TRUE(WaitUntil([&list] { return list.report->PreviewForm() == nullptr; }));
    EXPECT_FALSE(list.report->Producing());
}

TEST(PreviewWindow, PreviewFormSettingsApplyAtOpeningAndWhenChanged)
{
    ListReport list(50);
    list.report->PreviewFormSettings()->SetZoomPercentage(300);
    OpenPreview(list.report);
    TjxViewer* viewer = Form(list.report)->PreviewViewer();
    EXPECT_EQ(viewer->ZoomSetting(), zsPercentage);
    EXPECT_EQ(viewer->ZoomPercentage(), 250);
    list.report->PreviewFormSettings()->SetZoomSetting(zsPageWidth);
    EXPECT_EQ(viewer->ZoomSetting(), zsPageWidth);
    list.report->PreviewFormSettings()->SetWindowState(wsMaximized);
    EXPECT_TRUE(WaitUntil([&list] { return Form(list.report)->Window()->size() == QSize(1024, 768); }));
    CloseAndWait(list.report);
}

TEST(PreviewWindow, PreviewFormSettingsKeepTheirZoomInTemplatesOfBothForms)
{
    // Each zoom setting goes into a template and comes back, by its name: the
    // names older templates hold read as they always did.
    for (const TjxFormatType format : {ftASCII, ftBinary}) {
        for (const auto setting : {zsWholePage, zsPageWidth, zs100Percent, zsPercentage}) {
            QTemporaryDir dir;
            const QString file = dir.filePath(QStringLiteral("zoom.rtm"));
            THost host;
            auto* saved = new TjxReport(&host);
            saved->PreviewFormSettings()->SetZoomSetting(setting);
            if (setting == zsPercentage)
                saved->PreviewFormSettings()->SetZoomPercentage(150);
            saved->Template()->SetFormat(format);
            saved->Template()->SetFileName(file);
            saved->Template()->SaveToFile();
            if (format == ftASCII && setting == zs100Percent) {
                QFile text(file);
                ASSERT_TRUE(text.open(QIODevice::ReadOnly));
                EXPECT_TRUE(text.readAll().contains("PreviewFormSettings.ZoomSetting = zs100Percent"));
            }
            auto* loaded = new TjxReport(&host);
            loaded->Template()->SetFileName(file);
            loaded->Template()->LoadFromFile();
            EXPECT_EQ(loaded->PreviewFormSettings()->ZoomSetting(), setting) << int(format) << " " << int(setting);
            EXPECT_EQ(loaded->PreviewFormSettings()->ZoomPercentage(), setting == zsPercentage ? 150 : 100);
        }
    }
}

TEST(PreviewWindow, CancelStopsTheRunAndNavigationStaysOff)
{
    ListReport list(3000);
    list.report->SetPropertyValue(u"ModalPreview", false);
    // Cancel from the Cancel button while the first pass runs.
    bool sawCancelCaption = false;
    TMethod cancelOnPage;
    cancelOnPage.code = [&list, &sawCancelCaption](TComponent*, TjxEventParams&) {
        if (list.report->Engine()->AbsolutePageNo() != 20)
            return;
        TjxPreview* preview = PreviewOf(list.report);
        sawCancelCaption = preview->Button(paClose)->text() == QStringLiteral("Cancel");
        QTest::mouseClick(preview->Button(paClose), Qt::LeftButton);
    };
    list.report->SetOnStartPage(cancelOnPage);
    list.report->Print();
    ASSERT_NE(Form(list.report), nullptr);
    TjxPreview* preview = PreviewOf(list.report);
    EXPECT_TRUE(sawCancelCaption);
    EXPECT_TRUE(list.report->Cancelled());
    EXPECT_EQ(preview->Button(paClose)->text(), QStringLiteral("Close"));
    for (int action : {paFirstPage, paPriorPage, paNextPage, paLastPage})
        EXPECT_FALSE(preview->Button(action)->isEnabled()) << action;
    EXPECT_FALSE(preview->PageEdit()->isEnabled());
    // The window is still there and closes.
    CloseAndWait(list.report);
}

TEST(PreviewWindow, AFailingRunIsShownAndTheWindowCloses)
{
    ListReport list(10);
    // The data cannot be opened once the window generates from its own loop.
    list.pipeline->SetDatabaseName(list.dir.filePath(QStringLiteral("missing/none.sqlite")));
    QString shown;
    AnswerMessageBox(&shown);
    QTimer::singleShot(0, [&list, &shown] {
        // Once the message was answered the window is idle and closes.
        WaitUntil([&shown] { return !shown.isEmpty(); });
        if (TjxPrintPreview* form = Form(list.report)) {
            EXPECT_FALSE(form->PreviewViewer()->Busy());
            form->Close();
        }
    });
    list.report->Print();
    EXPECT_FALSE(shown.isEmpty());
    EXPECT_TRUE(WaitUntil([&list] { return list.report->PreviewForm() == nullptr; }));
    EXPECT_FALSE(list.report->Producing());
}

TEST(PreviewWindow, NothingStartsASecondRequestWhileOneRuns)
{
    ListReport list(600);
    list.report->SetPropertyValue(u"ModalPreview", false);
    TEventLog log(list.report, {ciProducerPageRequest});
    // Navigation, printing and clicks arrive while the first pass runs, as
    // they would from the messages processed during generation.
    TMethod meddle;
    bool tried = false;
    meddle.code = [&list, &tried](TComponent*, TjxEventParams&) {
        if (tried || list.report->Engine()->AbsolutePageNo() != 5)
            return;
        tried = true;
        TjxPreview* preview = PreviewOf(list.report);
        TjxViewer* viewer = Form(list.report)->PreviewViewer();
        EXPECT_TRUE(viewer->Busy());
        viewer->GotoPage(3);
        viewer->LastPage();
        viewer->Regenerate();
        preview->PerformAction(paNextPage);
        preview->PerformAction(paPrint);
        QTest::keyClick(preview->FocusEdit(), Qt::Key_End, Qt::ControlModifier);
        QTest::mouseClick(viewer->PaintBox(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 100));
    };
    list.report->SetOnStartPage(meddle);
    list.report->Print();
    ASSERT_TRUE(tried);
    ASSERT_NE(Form(list.report), nullptr);
    EXPECT_EQ(log.Count(ciProducerPageRequest), 1);
    EXPECT_EQ(Form(list.report)->PreviewViewer()->AbsolutePageNo(), 1);
    EXPECT_EQ(list.report->DeviceType(), QStringLiteral("Screen"));
    list.report->SetOnStartPage(TMethod{});
    CloseAndWait(list.report);
}

TEST(PreviewWindow, AFailingAfterPrintIsShownAndTheWindowStillCloses)
{
    ListReport list(20);
    const TPropInfo* afterPrint = list.report->ClassInfo().FindProperty(u"AfterPrint");
    ASSERT_NE(afterPrint, nullptr);
    afterPrint->setMethod(*list.report, TMethod{nullptr, {}, [](TComponent*, TjxEventParams&) {
                                                    throw EPrintError(QStringLiteral("The log cannot be written."));
                                                }});
    OpenPreview(list.report);
    QString shown;
    AnswerMessageBox(&shown);
    // The window's own close button, as the user clicks it.
    Form(list.report)->Window()->close();
    EXPECT_TRUE(WaitUntil([&list] { return list.report->PreviewForm() == nullptr; }));
    EXPECT_EQ(shown, QStringLiteral("The log cannot be written."));
    EXPECT_FALSE(list.report->Producing());
}

TEST(PreviewWindow, FindTextShowsAndHidesTheSearchToolbar)
{
    ListReport list(100);
    OpenPreview(list.report);
    TjxPreview* preview = PreviewOf(list.report);
    ASSERT_NE(preview, nullptr);
    TjxTextSearchPreview* search = preview->SearchPreview();
    ASSERT_FALSE(search->isVisible());
    QTest::mouseClick(preview->Button(paFindText), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(preview->Button(paFindText)->isChecked());
    EXPECT_TRUE(search->isVisible());
    EXPECT_TRUE(list.report->TextSearchSettings()->Visible());
    EXPECT_EQ(search->Edit()->selectedText(), search->Edit()->text());
    // In rows at the top of the left panel: the edit, the four arrows, Find and Done.
    QWidget* left = search->parentWidget();
    ASSERT_TRUE(left->isVisible());
    EXPECT_EQ(left->objectName(), QStringLiteral("leftPanel"));
    EXPECT_EQ(search->geometry(), QRect(0, 0, left->width(), 78));
    const QRect edit = search->Edit()->geometry();
    EXPECT_EQ(edit.topLeft(), QPoint(5, 5));
    EXPECT_EQ(edit.width(), 115);
    const int arrowsTop = edit.bottom() + 1 + 2;
    int x = 5;
    const int gaps[] = {7, 10, 7, 0};
    for (int i = 0; i < 4; ++i) {
        const QRect arrow = search->Button(TjxTextSearchPreview::TButton(i))->geometry();
        EXPECT_EQ(arrow.topLeft(), QPoint(x, arrowsTop)) << i;
        x = arrow.right() + 1 + gaps[i];
    }
    const QRect find = search->FindButton()->geometry();
    const QRect done = search->DoneButton()->geometry();
    EXPECT_EQ(find.topLeft(), QPoint(5, search->Button(TjxTextSearchPreview::sbFirst)->geometry().bottom() + 1 + 2));
    EXPECT_EQ(find.width(), std::max(55, search->FindButton()->fontMetrics().horizontalAdvance("Find Text") + 10));
    EXPECT_EQ(done.topLeft(), QPoint(find.right() + 1 + 6, find.top()));
    EXPECT_GE(done.width(), find.width());
    EXPECT_LE(done.bottom(), 77);
    QTest::mouseClick(preview->Button(paFindText), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_FALSE(search->isVisible());
    CloseAndWait(list.report);
}

TEST(PreviewWindow, PagesMadeAgainContinueFromOpenPipelinesUntilTheWindowCloses)
{
    ListReport list(400);
    OpenPreview(list.report);
    TjxViewer* viewer = Form(list.report)->PreviewViewer();
    viewer->LastPage();
    const int last = viewer->AbsolutePageNo();
    ASSERT_GT(last, 3);
    // Back at the start and forward again: each page is made again from the
    // bookmarks of the open pipeline, which no request closes half-way.
    viewer->FirstPage();
    viewer->NextPage();
    EXPECT_EQ(viewer->AbsolutePageNo(), 2);
    EXPECT_TRUE(list.pipeline->Active());
    EXPECT_TRUE(PageTexts(*viewer->CurrentPage()).contains(QStringLiteral("Customer 40")));
    CloseAndWait(list.report);
    EXPECT_FALSE(list.pipeline->Active());
}

TEST(PreviewWindow, TurningPagesOutdatesTheSearchAndTheLastPageIsSearchedOnTheWay)
{
    ListReport list(400);
    list.report->TextSearchSettings()->SetVisible(true);
    list.report->TextSearchSettings()->SetSearchFromCurrentPage(true);
    OpenPreview(list.report);
    TjxPreview* preview = PreviewOf(list.report);
    TjxTextSearchPreview* search = preview->SearchPreview();
    TjxStatusBar* status = Form(list.report)->StatusBar();
    const QString pageStatus = status->PanelText(0);

    // While pages are made for the search, panel 0 says which; then the page status is back.
    QStringList during;
    TjxCommunicator listener;
    listener.AddEventInterest(ciPublisherPagePublished);
    listener.OnEventNotify = [&](TjxCommunicator*, int, TjxEventParams*) { during << status->PanelText(0); };
    list.report->Publisher()->AddEventNotify(&listener);
    search->Edit()->setText(QStringLiteral("Customer 77"));
    search->Search();
    list.report->Publisher()->RemoveEventNotify(&listener);
    ASSERT_EQ(search->Engine().OccurrenceCount(), 1);
    const int found = search->Engine().CurrentPageNo();
    ASSERT_GT(found, 1);
    EXPECT_FALSE(search->Engine().AllPagesSearched());
    // Pages 2 to the match's were made for the search, the status naming them
    // as it goes (a few times a second, not for every page); the viewer then
    // shows the match.
    ASSERT_GE(during.size(), found - 1) << during.join(" | ").toStdString();
    const QRegularExpression calculating(QStringLiteral("^Calculating page (\\d+) for report "));
    int named = 0;
    for (int i = 0; i < found - 1; ++i) {
        const QRegularExpressionMatch m = calculating.match(during[i]);
        ASSERT_TRUE(m.hasMatch()) << during[i].toStdString();
        const int page = m.captured(1).toInt();
        EXPECT_GE(page, std::max(2, named));
        EXPECT_LE(page, i + 2);
        named = page;
    }
    EXPECT_TRUE(during.front().startsWith(QStringLiteral("Calculating page 2 for report ")));
    EXPECT_EQ(status->PanelText(0), preview->Viewer()->Status());

    // The Last Page button first searches what is left, without stopping at matches.
    QTest::mouseClick(preview->Button(paLastPage), Qt::LeftButton);
    EXPECT_TRUE(search->Engine().AllPagesSearched());
    EXPECT_EQ(search->Engine().CurrentPageNo(), found);
    const int last = preview->Viewer()->AbsolutePageNo();
    EXPECT_EQ(preview->Viewer()->CurrentPage()->AbsolutePageCount(), last);

    // After the turn the old result is not reused: a new search from the shown page finds nothing.
    search->Search();
    EXPECT_EQ(search->Engine().OccurrenceCount(), 0);
    EXPECT_EQ(preview->Viewer()->AbsolutePageNo(), last);
    CloseAndWait(list.report);
}

TEST(PreviewWindow, RepeatSearchOnNavigateSearchesWhenTheFirstPageShows)
{
    ListReport list(400);
    list.report->TextSearchSettings()->SetDefaultString(QStringLiteral("Customer 77"));
    list.report->TextSearchSettings()->SetRepeatSearchOnNavigate(true);
    EXPECT_TRUE(list.report->TextSearchSettings()->Visible());
    list.report->SetPropertyValue(u"ModalPreview", false);
    list.report->Print();
    ASSERT_NE(PreviewOf(list.report), nullptr);
    TjxTextSearchPreview* search = PreviewOf(list.report)->SearchPreview();
    ASSERT_TRUE(WaitUntil([search] { return search->Engine().HasResult(); }));
    EXPECT_EQ(search->Engine().SearchText(), QStringLiteral("Customer 77"));
    EXPECT_EQ(Form(list.report)->PreviewViewer()->AbsolutePageNo(), search->Engine().CurrentPageNo());
    EXPECT_GT(search->Engine().CurrentPageNo(), 1);
    CloseAndWait(list.report);
}
