// A two-pass list report of 100,000 SQLite rows (some 3,000 pages) in the
// preview window: first, last and a typed page and back again, and Escape
// while the first pass still runs.

#include "preview_fixture.h"

#include "output/publisher.h"
#include "preview/preview.h"
#include "preview/print_preview.h"
#include "preview/viewer.h"

#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

constexpr int kRows = 100000;

// The page number as the page's footer prints it.
QString Footer(TjxViewer* viewer)
{
    for (const QString& text : PageTexts(*viewer->CurrentPage()))
        if (text.startsWith(QStringLiteral("Page ")))
            return text;
    return {};
}

// The ids of the rows on the shown page (the texts that are whole numbers).
std::vector<int> Ids(TjxViewer* viewer)
{
    std::vector<int> ids;
    for (const QString& text : PageTexts(*viewer->CurrentPage())) {
        bool ok = false;
        const int id = text.toInt(&ok);
        if (ok)
            ids.push_back(id);
    }
    return ids;
}

std::vector<int> Range(int first, int last)
{
    std::vector<int> ids;
    for (int i = first; i <= last; ++i)
        ids.push_back(i);
    return ids;
}

} // namespace

TEST(LongReport, FirstLastATypedPageAndBack)
{
    ListReport list(kRows);
    list.report->SetPropertyValue(u"ModalPreview", false);
    list.report->Print();
    TjxPrintPreview* form = Form(list.report);
    ASSERT_NE(form, nullptr);
    TjxViewer* viewer = form->PreviewViewer();
    auto* preview = dynamic_cast<TjxPreview*>(form->Preview());
    ASSERT_EQ(viewer->AbsolutePageNo(), 1);
    const int count = viewer->CurrentPage()->AbsolutePageCount();
    ASSERT_GT(count, 2500);
    EXPECT_EQ(Footer(viewer), QStringLiteral("Page 1 of %1").arg(count));
    const int perPage = int(Ids(viewer).size());
    ASSERT_GT(perPage, 20);
    EXPECT_EQ(Ids(viewer).front(), 1);

    QWidget* focus = preview->FocusEdit();
    QTest::keyClick(focus, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(viewer->AbsolutePageNo(), count);
    EXPECT_EQ(Footer(viewer), QStringLiteral("Page %1 of %1").arg(count));
    EXPECT_EQ(preview->PageEdit()->text(), QString::number(count));
    EXPECT_EQ(Ids(viewer).back(), kRows);

    preview->PageEdit()->setFocus();
    preview->PageEdit()->selectAll();
    QTest::keyClicks(preview->PageEdit(), QStringLiteral("1500"));
    QTest::keyClick(preview->PageEdit(), Qt::Key_Return);
    EXPECT_EQ(viewer->AbsolutePageNo(), 1500);
    EXPECT_EQ(Footer(viewer), QStringLiteral("Page 1500 of %1").arg(count));
    // Its rows are the ones after 1,499 full pages.
    EXPECT_EQ(Ids(viewer), Range(1499 * perPage + 1, 1500 * perPage));

    QTest::keyClick(focus, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(viewer->AbsolutePageNo(), 1);
    EXPECT_EQ(Footer(viewer), QStringLiteral("Page 1 of %1").arg(count));
    EXPECT_EQ(Ids(viewer), Range(1, perPage));

    form->Close();
    EXPECT_TRUE(WaitUntil([&list] { return list.report->PreviewForm() == nullptr; }));
}

TEST(LongReport, EscapeDuringTheFirstPassClosesTheWindow)
{
    ListReport list(kRows);
    // Escape arrives through the window's message loop while the first pass
    // calculates page 50.
    bool pressed = false;
    TMethod onStartPage;
    onStartPage.code = [&list, &pressed](TComponent*, TjxEventParams&) {
        if (pressed || list.report->Engine()->AbsolutePageNo() != 50)
            return;
        pressed = true;
        QTimer::singleShot(0, [&list] {
            if (TjxPrintPreview* form = Form(list.report))
                QTest::keyClick(dynamic_cast<TjxPreview*>(form->Preview())->FocusEdit(), Qt::Key_Escape);
        });
    };
    list.report->SetOnStartPage(onStartPage);
    list.report->Print();
    EXPECT_TRUE(pressed);
    EXPECT_TRUE(list.report->Cancelled());
    EXPECT_TRUE(WaitUntil([&list] { return list.report->PreviewForm() == nullptr; }));
    EXPECT_FALSE(list.report->Producing());
    EXPECT_FALSE(list.report->Printing());
    // The report can be previewed again afterwards.
    list.report->SetOnStartPage(TMethod{});
    list.report->SetPropertyValue(u"ModalPreview", false);
    list.report->Print();
    ASSERT_NE(Form(list.report), nullptr);
    EXPECT_EQ(Form(list.report)->PreviewViewer()->AbsolutePageNo(), 1);
    Form(list.report)->Close();
    EXPECT_TRUE(WaitUntil([&list] { return list.report->PreviewForm() == nullptr; }));
}
