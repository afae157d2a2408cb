// Names, user names, notify links, the event channel and the relative tree.

#include "test_classes.h"

#include "document/class_registry.h"
#include "document/errors.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

TEST(ComponentNames, NextNameTakesTheLowestFreeNumber)
{
    TTestForm form;
    auto* probe = new TjxTestLabel(&form);
    EXPECT_EQ(probe->GetValidName(probe), u"jxTestLabel1");
    for (const char* n : {"jxTestLabel1", "jxTestLabel3", "jxTestLabelTotal", "jxTestLabel01x"}) {
        auto* l = new TjxTestLabel(&form);
        l->SetName(QString::fromLatin1(n));
    }
    EXPECT_EQ(probe->GetValidName(probe), u"jxTestLabel2");
    // Other classes do not take numbers; "01" counts as 1.
    auto* band = new TjxTestBand(&form);
    band->SetName(QStringLiteral("jxTestLabel2"));
    EXPECT_EQ(probe->GetValidName(probe), u"jxTestLabel2");
    form.FindComponent(u"jxTestLabel1")->SetName(QStringLiteral("jxTestLabel01"));
    EXPECT_EQ(probe->GetValidName(probe), u"jxTestLabel2");

    // Owner names are unique, compared without case; bad identifiers are refused.
    auto* other = new TjxTestLabel(&form);
    EXPECT_THROW(other->SetName(QStringLiteral("JXTESTLABEL3")), EComponentError);
    EXPECT_THROW(other->SetName(QStringLiteral("1abc")), EComponentError);
    EXPECT_TRUE(other->Name().isEmpty());
    other->SetName(QStringLiteral("Fine_1"));
    EXPECT_EQ(form.FindComponent(u"fine_1"), other);
    delete other;
    EXPECT_EQ(form.FindComponent(u"Fine_1"), nullptr);
}

TEST(UserNames, FollowNamesAndStayUnique)
{
    TTestForm form;
    auto* a = new TjxTestLabel(&form);
    auto* b = new TjxTestLabel(&form);
    a->SetName(QStringLiteral("jxLabel12"));
    EXPECT_EQ(a->UserName(), u"Label12");
    b->SetName(QStringLiteral("Plain"));
    EXPECT_EQ(b->UserName(), u"Plain");

    a->SetUserName(QStringLiteral("Total"));
    EXPECT_EQ(a->UserName(), u"Total");
    b->SetUserName(QStringLiteral("total"));
    EXPECT_EQ(b->UserName(), u"total1");
    auto* c = new TjxTestLabel(&form);
    c->SetUserName(QStringLiteral("Total2"));
    EXPECT_EQ(c->UserName(), u"Total2");
    b->SetUserName(QStringLiteral("Total2"));  // taken and ends in a digit: refused
    EXPECT_EQ(b->UserName(), u"total1");
    b->SetUserName(QStringLiteral("not valid"));
    EXPECT_EQ(b->UserName(), u"total1");

    // A user name set by hand no longer follows the name.
    a->SetName(QStringLiteral("jxLabel99"));
    EXPECT_EQ(a->UserName(), u"Total");
    c->SetUserName(QStringLiteral("Label5"));
    c->SetName(QStringLiteral("jxLabel5"));
    c->SetName(QStringLiteral("jxLabel6"));
    EXPECT_EQ(c->UserName(), u"Label6");
}

TEST(NotifyLinks, AreMutualAndVanishWithEitherSide)
{
    auto* a = new TjxTestListener;
    auto* b = new TjxTestListener;
    a->AddNotify(b);
    a->AddNotify(b);
    EXPECT_EQ(a->NotifyCount(), 1);
    EXPECT_EQ(b->NotifyCount(), 1);
    a->RemoveNotify(b);
    EXPECT_EQ(a->NotifyCount(), 0);
    EXPECT_EQ(b->NotifyCount(), 0);

    // Destroying the sender: the listener hears operation 0 and forgets it.
    a->AddEventNotify(b);
    b->AddEventInterest(ciNameChanged);
    delete a;
    EXPECT_EQ(b->operations, std::vector<int>{ntDestroying});
    EXPECT_EQ(b->NotifyCount(), 0);
    EXPECT_EQ(b->EventNotifyCount(), 0);

    // Destroying the listener: the sender's event list no longer holds it.
    auto* sender = new TjxTestListener;
    sender->AddEventNotify(b);
    delete b;
    EXPECT_EQ(sender->EventNotifyCount(), 0);
    EXPECT_EQ(sender->NotifyCount(), 0);
    sender->SendEventNotify(ciNameChanged);  // must not touch the destroyed listener
    delete sender;
}

TEST(EventChannel, DeliversByInterestAndSurvivesListenersLeaving)
{
    TjxTestListener sender;
    TjxTestListener first, second, third;
    for (auto* l : {&first, &second, &third}) {
        l->AddEventInterest(ciReportStartPage);
        sender.AddEventNotify(l);
    }
    second.RemoveEventInterest(ciReportStartPage);
    second.AddEventInterest(ciReportEndPage);
    EXPECT_TRUE(sender.HasEventListener(ciReportEndPage));
    EXPECT_FALSE(sender.HasEventListener(ciBandAfterPrint));

    sender.SendEventNotify(ciReportStartPage);
    sender.SendEventNotify(300);  // beyond 255: nobody
    EXPECT_EQ(first.heard, std::vector<int>{ciReportStartPage});
    EXPECT_TRUE(second.heard.empty());
    EXPECT_EQ(third.heard, std::vector<int>{ciReportStartPage});

    // The first listener leaves while it is called; the next one still hears.
    second.AddEventInterest(ciReportStartPage);
    first.onEvent = [&](TjxCommunicator* s, int) { static_cast<TjxCommunicator*>(s)->RemoveEventNotify(&first); };
    sender.SendEventNotify(ciReportStartPage);
    EXPECT_EQ(second.heard.size(), 1u);
    EXPECT_EQ(third.heard.size(), 2u);
    // A listener that removes one before it does not make the walk skip.
    third.onEvent = [&](TjxCommunicator* s, int) { static_cast<TjxCommunicator*>(s)->RemoveEventNotify(&second); };
    TjxTestListener fourth;
    fourth.AddEventInterest(ciReportStartPage);
    sender.AddEventNotify(&fourth);
    sender.SendEventNotify(ciReportStartPage);
    EXPECT_EQ(fourth.heard.size(), 1u);

    // Parameters travel and writable ones come back.
    TjxTestListener bandOwner, vetoer;
    vetoer.AddEventInterest(ciBandHeightChanging);
    vetoer.onEvent = [&](TjxCommunicator*, int) {};
    bandOwner.AddEventNotify(&vetoer);
    TjxEventParams params{{QStringLiteral("NewHeight"), 5000, false}, {QStringLiteral("IsValid"), true, true}};
    vetoer.onEvent = [&](TjxCommunicator*, int) {
        EXPECT_FALSE(params.SetValue(u"NewHeight", 1));
        EXPECT_TRUE(params.SetValue(u"isvalid", false));
    };
    bandOwner.SendEventNotify(ciBandHeightChanging, &params);
    EXPECT_FALSE(params.Value(u"IsValid").toBool());
}

TEST(EventChannel, KeyedListenersAreSorted)
{
    TjxTestListener sender, plain, b, a;
    b.key = QStringLiteral("beta");
    a.key = QStringLiteral("Alpha");
    sender.AddEventNotify(&b);
    sender.AddEventNotify(&plain);
    sender.AddEventNotify(&a);
    ASSERT_EQ(sender.EventNotifyCount(), 3);
    EXPECT_EQ(sender.EventListener(0), &plain);
    EXPECT_EQ(sender.EventListener(1), &a);
    EXPECT_EQ(sender.EventListener(2), &b);
}

TEST(Renaming, SendsTheNameChangedEventExceptWhileLoading)
{
    TTestForm form;
    auto* label = new TjxTestLabel(&form);
    TjxTestListener listener;
    listener.AddEventInterest(ciNameChanged);
    label->AddEventNotify(&listener);
    label->SetName(QStringLiteral("jxLabel4"));
    EXPECT_EQ(listener.heard, std::vector<int>{ciNameChanged});
    label->SetLoading();
    label->SetName(QStringLiteral("jxLabel5"));
    EXPECT_EQ(listener.heard.size(), 1u);
    EXPECT_EQ(label->UserName(), u"Label4");
    label->Loaded();
}

TEST(Relatives, KeepTheirTreeAndDestroyTheirChildren)
{
    TTestForm form;
    auto* parent = new TjxTestBand(&form);
    std::vector<TjxTestLabel*> kids;
    for (int i = 0; i < 4; ++i) {
        kids.push_back(new TjxTestLabel(&form));
        kids.back()->SetParent(parent);
    }
    EXPECT_EQ(parent->ChildCount(), 4);
    EXPECT_EQ(kids[2]->Position(), 2);
    kids[0]->SetPosition(99);  // clamped to the last place
    EXPECT_EQ(kids[0]->Position(), 3);
    EXPECT_EQ(parent->Child(0), kids[1]);
    kids[0]->SetPosition(-5);
    EXPECT_EQ(parent->Child(0), kids[0]);

    auto* other = new TjxTestBand(&form);
    kids[3]->SetParent(other);
    EXPECT_EQ(parent->ChildCount(), 3);
    EXPECT_EQ(other->Child(0), kids[3]);

    // Destroying the parent destroys its children, which leave their owner.
    TjxTestListener watcher;
    kids[1]->AddNotify(&watcher);
    delete parent;
    EXPECT_EQ(watcher.operations, std::vector<int>{ntDestroying});
    EXPECT_EQ(form.ComponentCount(), 2);  // the other band and its child
}

TEST(Relatives, TakeOverChildrenMovesContentAndOwnership)
{
    TTestForm form, scratchOwner;
    auto* report = new TjxTestBand(&form);
    auto* oldKid = new TjxTestLabel(&form);
    oldKid->SetParent(report);
    auto* fresh = new TjxTestBand(&scratchOwner);
    fresh->SetOrderedChildren(true);
    auto* k1 = new TjxTestLabel(&scratchOwner);
    k1->SetName(QStringLiteral("jxLabel1"));
    k1->SetParent(fresh);
    auto* k2 = new TjxTestLabel(&scratchOwner);
    k2->SetParent(fresh);

    TjxTestListener watcher;
    oldKid->AddNotify(&watcher);
    report->TakeOverChildren(fresh);
    EXPECT_EQ(watcher.operations, std::vector<int>{ntDestroying});
    EXPECT_TRUE(report->OrderedChildren());
    ASSERT_EQ(report->ChildCount(), 2);
    EXPECT_EQ(report->Child(0), k1);
    EXPECT_EQ(k1->Owner(), &form);
    EXPECT_EQ(form.FindComponent(u"jxLabel1"), k1);
    EXPECT_EQ(fresh->ChildCount(), 0);
    EXPECT_EQ(scratchOwner.ComponentCount(), 1);
}

TEST(Relatives, ChangeOwnerKeepsUserNamesUnique)
{
    TTestForm a, b;
    auto* parent = new TjxTestBand(&a);
    parent->SetUserName(QStringLiteral("Band1"));
    auto* kid = new TjxTestLabel(&a);
    kid->SetParent(parent);
    auto* clash = new TjxTestBand(&b);
    clash->SetUserName(QStringLiteral("Band1"));
    parent->ChangeOwner(&b);
    EXPECT_EQ(parent->Owner(), &b);
    EXPECT_EQ(kid->Owner(), &b);
    EXPECT_EQ(parent->UserName(), u"TestBand1");
    EXPECT_EQ(a.ComponentCount(), 0);
}

TEST(FreeNotification, ClearsReferencesToDestroyedComponents)
{
    TTestForm form;
    auto* band = new TjxTestBand(&form);
    auto* target = new TjxTestLabel(&form);
    band->SetTarget(target);
    delete target;
    EXPECT_EQ(band->Target(), nullptr);
    auto* target2 = new TjxTestLabel(&form);
    band->SetTarget(target2);
    delete band;  // the other side goes first
    delete target2;
    EXPECT_EQ(form.ComponentCount(), 0);
}

TEST(PropertyAccess, ByNameAndByPath)
{
    TjxTestBand band;
    EXPECT_TRUE(band.ClassInfo().PublishesProperty(u"caption", tkString));
    EXPECT_FALSE(band.ClassInfo().PublishesProperty(u"Caption", tkInteger));
    EXPECT_TRUE(band.ClassInfo().PublishesProperty(u"Tag"));  // inherited
    band.SetPropertyValue(u"Font.Size", 14);
    EXPECT_EQ(band.Font()->Size(), 14);
    band.SetPropertyValue(u"Kind", QStringLiteral("tkdBold"));
    EXPECT_EQ(band.Kind(), tkdBold);
    band.SetPropertyValue(u"Color", QStringLiteral("clRed"));
    EXPECT_EQ(band.Color(), clRed);
    EXPECT_EQ(band.GetPropertyValue(u"Font.Size").toInt(), 14);
    EXPECT_THROW(band.GetPropertyValue(u"Font.Nope"), EInvalidPropertyError);
    EXPECT_THROW(band.SetPropertyValue(u"ReadOnlyValue", 1), EInvalidPropertyError);
    // A property published again keeps its parent's place in the list.
    const auto& props = TjxTestBand::StaticClass().properties;
    EXPECT_EQ(props[0].name, u"Name");
    EXPECT_EQ(props[1].name, u"Tag");
    EXPECT_EQ(props[2].name, u"UserName");
    EXPECT_EQ(FindClass(u"tjxtestband"), &TjxTestBand::StaticClass());
}
