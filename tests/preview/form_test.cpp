// The core's dialog base and message boxes: recorded without a window,
// shown and answered with one; a form released later or freed first.

#include "preview_fixture.h"

#include "document/errors.h"
#include "document/form.h"
#include "document/report.h"

#include <QMessageBox>
#include <stdexcept>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

TEST(MessageBoxes, RecordedWithoutAWindowAndShownWithOne)
{
    // Headless: recorded and answered with the default button.
    const TjxMessageBoxHandler window = SetMessageBoxHandler(nullptr);
    ASSERT_TRUE(bool(window)) << "the user-interface library installs its window";
    ClearRecordedMessageBoxes();
    EXPECT_EQ(ShowMessageBox(QStringLiteral("Saved."), mtInformation), mrOK);
    EXPECT_EQ(ShowMessageBox(QStringLiteral("Replace it?"), mtConfirmation, mbYes | mbNo), mrYes);
    ShowErrorMessage(EPrintError(QStringLiteral("The printer P did not accept the document.")));
    const std::vector<TjxMessageBoxCall> recorded = RecordedMessageBoxes();
    ASSERT_EQ(recorded.size(), 3u);
    EXPECT_EQ(recorded[1].text, QStringLiteral("Replace it?"));
    EXPECT_EQ(recorded[1].buttons, mbYes | mbNo);
    EXPECT_EQ(recorded[2].type, mtError);
    EXPECT_EQ(recorded[2].text, QStringLiteral("The printer P did not accept the document."));
    SetMessageBoxHandler(window);

    // With the window: a real message box, answered by its button.
    ClearRecordedMessageBoxes();
    QString text;
    AnswerMessageBox(&text, QMessageBox::No);
    EXPECT_EQ(ShowMessageBox(QStringLiteral("Replace it?"), mtConfirmation, mbYes | mbNo), mrNo);
    EXPECT_EQ(text, QStringLiteral("Replace it?"));
    AnswerMessageBox(&text);
    ShowErrorMessage(std::runtime_error("disk full"));
    EXPECT_EQ(text, QStringLiteral("disk full"));
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST(Forms, ReleasedOnceTheEventReturnsOrFreedFirstByTheirOwner)
{
    THost host;
    auto* report = new TjxReport(&host);
    bool destroyed = false;
    auto* form = new TjxForm(report);
    form->OnDestroyHook = [&destroyed](TjxForm*) { destroyed = true; };
    form->SetReport(report);
    EXPECT_EQ(form->Report(), report);
    form->Release();
    EXPECT_FALSE(destroyed);
    EXPECT_TRUE(WaitUntil([&destroyed] { return destroyed; }, 2000));

    // Its owner frees it before the release comes: nothing is freed twice.
    auto* second = new TjxForm(report);
    second->Release();
    delete report;
    QApplication::processEvents();

    // A form outliving its report forgets it.
    auto* other = new TjxReport(&host);
    TjxForm third;
    third.SetReport(other);
    delete other;
    EXPECT_EQ(third.Report(), nullptr);
}
