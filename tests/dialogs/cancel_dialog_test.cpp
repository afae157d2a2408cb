// The cancel dialog around a print run: generation runs inside its loop, the
// status line follows the pages, and Cancel stops the run.

#include "dialog_fixture.h"

#include "dialogs/cancel_dialog.h"
#include "document/event_ids.h"
#include "document/messages.h"
#include "output/printer_device.h"

#include <QRegularExpression>

#include <algorithm>

using namespace orvane;
using namespace orvane::test;

namespace {

struct CancelDialogTest : TestPlatform {
    ReportFixture f;
    void SetUp() override
    {
        TestPlatform::SetUp();
        OneRecordAPage(f, 300);
        f.report->SetShowPrintDialog(false);
    }
};

// Hears the producer's events.
class TEventLog : public TjxCommunicator {
public:
    TEventLog()
    {
        for (int id = 0; id < 256; ++id)
            AddEventInterest(id);
    }
    std::vector<int> events;
    void EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params) override
    {
        TjxCommunicator::EventNotify(sender, eventId, params);
        events.push_back(eventId);
    }
};

} // namespace

TEST_F(CancelDialogTest, CancelDuringTheRunDropsTheJob)
{
    QString seen;
    bool buttonEnabled = false;
    QPointer<QTimer> cancel = WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (!dialog || dialog->objectName() != u"cancelDialog")
            return false;
        const QString text = Child<QLabel>(dialog, "statusMemo")->text();
        if (!text.startsWith(u"Printing page"))
            return false;
        seen = text;
        auto* button = Child<QPushButton>(dialog, "cancelButton");
        buttonEnabled = button->isEnabled();
        button->click();
        return true;
    });
    f.report->Print();
    delete cancel;

    // The status line came from the printer device, page by page.
    const QRegularExpression status(QStringLiteral("^Printing page (\\d+) for report Receipts on the P$"));
    const auto match = status.match(seen);
    ASSERT_TRUE(match.hasMatch()) << seen.toStdString();
    EXPECT_TRUE(buttonEnabled);
    const auto documents = m_spooler->Documents();
    ASSERT_EQ(documents.size(), 1);
    EXPECT_TRUE(documents[0].aborted);
    EXPECT_FALSE(documents[0].ended);
    EXPECT_LT(documents[0].pages.size(), 300);
    EXPECT_TRUE(f.report->Cancelled());
    EXPECT_FALSE(f.report->Producing());
    EXPECT_EQ(f.report->CancelDialog(), nullptr);
}

TEST_F(CancelDialogTest, ModalAndNonModalRunsCompleteAndCloseTheDialog)
{
    f.report->SetPageLimit(3);
    TEventLog log;
    f.report->AddEventNotify(&log);
    for (bool modal : {true, false}) {
        log.events.clear();
        f.report->SetModalCancelDialog(modal);
        f.report->Print();
        const auto documents = m_spooler->Documents();
        ASSERT_FALSE(documents.isEmpty());
        EXPECT_TRUE(documents.last().ended) << modal;
        EXPECT_EQ(documents.last().pages.size(), 3) << modal;
        EXPECT_EQ(f.report->CancelDialog(), nullptr);
        const auto at = [&](int id) {
            return std::find(log.events.begin(), log.events.end(), id) - log.events.begin();
        };
        EXPECT_LT(at(ciProducerCancelDialogCreate), at(ciProducerCancelDialogClose)) << modal;
        EXPECT_LT(at(ciProducerCancelDialogClose), ptrdiff_t(log.events.size())) << modal;
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    f.report->RemoveEventNotify(&log);
}

TEST(CancelDialogWindow, CaptionButtonAndStatus)
{
    TjxCancelDialog dialog;
    QDialog* window = dialog.Window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), GetMessage(24));
    auto* button = Child<QPushButton>(window, "cancelButton");
    EXPECT_EQ(button->text(), GetMessage(5));
    EXPECT_EQ(button->width(), button->fontMetrics().horizontalAdvance(GetMessage(5)) + 30);
    EXPECT_EQ(button->x() + button->width() / 2, window->width() / 2);
    EXPECT_FALSE(button->isEnabled());
    dialog.SetStatusText(QStringLiteral("Accessing data..."));
    auto* memo = Child<QLabel>(window, "statusMemo");
    EXPECT_EQ(memo->text(), u"Accessing data...");
    // A long status is shown whole: the window grows for it, and stays so.
    dialog.SetStatusText(QStringLiteral("Printing page 12 of 300 for report Trust account receipts for the quarter "
                                        "ending on the last day of March, all branches and all trustees together, "
                                        "on the colour laser printer of the accounts department"));
    EXPECT_GE(memo->height(), memo->heightForWidth(memo->width()));
    EXPECT_GE(button->y(), memo->geometry().bottom());
    EXPECT_TRUE(window->rect().contains(button->geometry()));
    const int grown = window->height();
    dialog.SetStatusText(QStringLiteral("Accessing data..."));
    EXPECT_EQ(window->height(), grown);
    // Cancel does nothing until the producer lets it.
    int cancels = 0;
    dialog.OnCancelHook = [&](TjxForm*) { ++cancels; };
    button->click();
    EXPECT_EQ(cancels, 0);
    dialog.SetCancelEnabled(true);
    button->click();
    EXPECT_EQ(cancels, 1);
}
