// The report's steps before it prints: parameters may cancel the print, and
// the auto-search step lets printing go on when there is nothing to ask.

#include "tests/engine/report_fixture.h"

#include "document/auto_search_field.h"
#include "document/event_ids.h"
#include "output/null_device.h"

#include <algorithm>

using namespace orvane;
using namespace orvane::test;

namespace {

class TEventLog : public TjxCommunicator {
public:
    TEventLog()
    {
        for (int id : {ciReportInitializeParameters, ciReportBeforeAutoSearchDialogCreate,
                       ciReportAfterAutoSearchDialogCreate, ciReportGetAutoSearchValues, ciProducerPrintFinished})
            AddEventInterest(id);
    }
    std::vector<int> events;
    void EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params) override
    {
        TjxCommunicator::EventNotify(sender, eventId, params);
        events.push_back(eventId);
    }
};

struct BeforePrinting : ::testing::Test {
    ReportFixture f;
    TEventLog log;
    void SetUp() override
    {
        f.AddData(3);
        f.AddField(f.AddBand(btDetail, 20000), "id");
        f.report->SetDeviceType(TjxNullDevice::ClassDeviceName());
        f.report->AddEventNotify(&log);
    }
    void TearDown() override { f.report->RemoveEventNotify(&log); }
};

} // namespace

TEST_F(BeforePrinting, ParametersMayCancelThePrint)
{
    f.report->SetOnInitializeParameters(TMethod{nullptr, {}, [](TComponent*, TjxEventParams& params) {
                                                    params.SetValue(u"aCancel", true);
                                                }});
    f.report->Print();
    EXPECT_EQ(log.events, std::vector<int>{ciReportInitializeParameters});
    EXPECT_FALSE(f.report->Producing());
}

TEST_F(BeforePrinting, WithoutADialogTheReportPrints)
{
    // Switched on, with fields, but no window class in this program: as if off.
    f.report->SetShowAutoSearchDialog(true);
    f.report->CreateAutoSearchCriteria(QStringLiteral("plData"), QStringLiteral("id"), soEqual, QStringLiteral("2"),
                                       false);
    f.report->Print();
    EXPECT_EQ(log.events, (std::vector<int>{ciReportInitializeParameters, ciReportBeforeAutoSearchDialogCreate,
                                            ciReportGetAutoSearchValues, ciProducerPrintFinished}));
    // A print from inside the steps does not start a second run.
    log.events.clear();
    f.report->SetOnInitializeParameters(TMethod{nullptr, {}, [this](TComponent*, TjxEventParams&) {
                                                    f.report->Print();
                                                }});
    f.report->Print();
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), ciProducerPrintFinished), 1);
}
