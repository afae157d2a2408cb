// The pipeline list: what a report finds beside it, and in the application's
// open forms and data modules of its own thread.

#include "document/printer.h"
#include "document/report.h"
#include "engine/memory_pipeline.h"
#include "engine/pipeline_list.h"

#include <gtest/gtest.h>

#include <thread>

using namespace orvane;

namespace {

class TContainer : public TComponent {
public:
    explicit TContainer(const QString& name) { SetName(name); }
};

TjxMemoryPipeline* AddPipeline(TComponent& owner, const QString& name, bool visible = true)
{
    auto* pipeline = new TjxMemoryPipeline(&owner);
    pipeline->SetName(name);
    pipeline->SetUserName(name);
    pipeline->SetVisible(visible);
    return pipeline;
}

QStringList Names(const TjxDataPipelineList& list)
{
    QStringList names;
    for (int i = 0; i < list.Count(); ++i)
        names << list.Names(i);
    return names;
}

// Builds the list for `report` on a thread of its own, with the worker count
// raised around the build when `asWorker`.
QStringList NamesOnAnotherThread(TComponent& report, TComponent* ownContainer, bool asWorker)
{
    QStringList names;
    std::thread([&] {
        if (ownContainer)
            OpenContainer(ownContainer, ckForm);
        if (asWorker)
            ++ReportWorkerCount();
        names = Names(TjxDataPipelineList(&report));
        if (asWorker)
            --ReportWorkerCount();
        if (ownContainer)
            CloseContainer(ownContainer);
    }).join();
    return names;
}

} // namespace

TEST(PipelineList, OpenContainersOfTheThreadFollowTheReportsOwn)
{
    TContainer form(QStringLiteral("frmMain"));
    auto* report = new TjxReport(&form);
    AddPipeline(form, QStringLiteral("plOrders"));
    AddPipeline(form, QStringLiteral("plHidden"), false);

    TContainer customers(QStringLiteral("frmCustomers"));
    AddPipeline(customers, QStringLiteral("plCustomers"));
    TContainer data(QStringLiteral("dmData"));
    AddPipeline(data, QStringLiteral("plStock"));
    AddPipeline(data, QStringLiteral("plOff"), false);

    // Nothing is open: only the report's own container.
    EXPECT_EQ(Names(TjxDataPipelineList(report)), QStringList({"plOrders"}));

    // Opened as a form, then as a data module: data modules come first, the
    // report's own container is never listed twice, invisible ones never.
    TjxOpenContainerGuard openCustomers(&customers, ckForm);
    TjxOpenContainerGuard openData(&data, ckDataModule);
    TjxOpenContainerGuard openOwn(&form, ckForm);
    const TjxDataPipelineList list(report);
    EXPECT_EQ(Names(list), QStringList({"plOrders", "plStock", "plCustomers"}));
    EXPECT_EQ(list.FindByName(QStringLiteral("PLSTOCK")), data.FindComponent(u"plStock"));

    // A closed container is forgotten; opening one twice lists it once.
    OpenContainer(&customers, ckForm);
    CloseContainer(&customers);
    EXPECT_EQ(Names(TjxDataPipelineList(report)), QStringList({"plOrders", "plStock"}));
}

TEST(PipelineList, OtherThreadsSeeOnlyTheirOwnOpenContainersAndOnlyAsWorkers)
{
    TContainer shared(QStringLiteral("frmShared"));
    AddPipeline(shared, QStringLiteral("plShared"));
    TjxOpenContainerGuard openShared(&shared, ckForm);

    // A report with no owner: its scope is itself.
    TjxReport report;
    EXPECT_EQ(Names(TjxDataPipelineList(&report)), QStringList({"plShared"}));

    TContainer copy(QStringLiteral("frmCopy"));
    AddPipeline(copy, QStringLiteral("plCopy"));
    // A thread that is not a report worker may not use the application's containers.
    EXPECT_EQ(NamesOnAnotherThread(report, &copy, false), QStringList());
    // A worker finds the container it opened, never the user-interface thread's.
    EXPECT_EQ(NamesOnAnotherThread(report, &copy, true), QStringList({"plCopy"}));
    EXPECT_EQ(NamesOnAnotherThread(report, nullptr, true), QStringList());
    // A container another thread holds open never reaches this thread's lists.
    std::thread([&] { OpenContainer(&copy, ckForm); }).join();
    ++ReportWorkerCount();
    EXPECT_EQ(Names(TjxDataPipelineList(&report)), QStringList({"plShared"}));
    --ReportWorkerCount();
    CloseContainer(&copy);
    EXPECT_EQ(ReportWorkerCount().load(), 0);
}
