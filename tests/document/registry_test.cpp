// Component, streaming and dialog class registries.

#include "test_classes.h"

#include "document/class_registry.h"
#include "document/component_registry.h"
#include "document/dialog_registry.h"
#include "document/errors.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace orvane;
using namespace orvane::test;

TEST(ComponentRegistry, SecondRegistrationReplacesTheFirst)
{
    int changes = 0;
    const int id = RegisteredComponents().Subscribe([&] { ++changes; });
    RegisterComponent(TjxTestLabel::StaticClass(), QStringLiteral("Standard Components"), 3, 172);
    RegisterComponent(TjxTestBand::StaticClass(), QStringLiteral("Standard Components"), 1, 0, QStringLiteral("Band"));
    RegisterComponent(TjxTestLabel::StaticClass(), QStringLiteral("Data Components"), 0, 175);
    EXPECT_EQ(changes, 3);
    const TjxRegList& list = RegisteredComponents();
    ASSERT_NE(list.Find(u"TjxTestLabel"), nullptr);
    EXPECT_EQ(list.ClassNames().count(QStringLiteral("TjxTestLabel")), 1);
    EXPECT_EQ(list.Find(u"TjxTestLabel")->paletteName, u"Data Components");
    EXPECT_EQ(list.Find(u"TjxTestLabel")->Hint(), u"Memo");
    EXPECT_EQ(list.Find(u"TjxTestBand")->Hint(), u"Band");
    EXPECT_EQ(FindClass(u"TjxTestLabel"), &TjxTestLabel::StaticClass());
    const auto palette = list.Palette(u"Standard Components");
    EXPECT_EQ(std::count_if(palette.begin(), palette.end(),
                            [](const TjxRegComponent* r) { return r->componentClass == &TjxTestBand::StaticClass(); }),
              1);
    EXPECT_TRUE(std::is_sorted(palette.begin(), palette.end(),
                               [](const TjxRegComponent* a, const TjxRegComponent* b) { return a->position < b->position; }));

    UnregisterComponent(TjxTestLabel::StaticClass());
    UnregisterComponent(TjxTestBand::StaticClass());
    EXPECT_EQ(list.Find(u"TjxTestLabel"), nullptr);
    EXPECT_EQ(FindClass(u"TjxTestLabel"), nullptr);
    RegisteredComponents().Unsubscribe(id);
    // Stream look-up of the test classes is needed by the other tests.
    RegisterClass(TjxTestLabel::StaticClass());
    RegisterClass(TjxTestBand::StaticClass());

    UninstallComponentRegistry();
    try {
        RegisterComponent(TjxTestLabel::StaticClass(), QStringLiteral("x"), 0, 0);
        FAIL();
    } catch (const ERegistryError& e) {
        EXPECT_EQ(e.Message(), u"Unable to register component classes.");
    }
    EXPECT_THROW(UnregisterComponent(TjxTestLabel::StaticClass()), ERegistryError);
    InstallComponentRegistry();
}

TEST(DialogRegistry, MapsAbstractDialogsToTheirClasses)
{
    EXPECT_EQ(GetDialogClass(u"TjxCustomPrintDialog"), nullptr);
    RegisterDialogClass(QStringLiteral("TjxCustomPrintDialog"), TjxTestListener::StaticClass());
    RegisterDialogClass(QStringLiteral("TjxCustomPrintDialog"), TTestForm::StaticClass());
    EXPECT_EQ(GetDialogClass(u"tjxcustomprintdialog"), &TTestForm::StaticClass());
    EXPECT_EQ(FindClass(u"TjxTestListener"), nullptr);  // the replaced class left stream look-up
    UnregisterDialogClass(QStringLiteral("TjxCustomPrintDialog"));
    EXPECT_EQ(GetDialogClass(u"TjxCustomPrintDialog"), nullptr);
    RegisterClass(TjxTestListener::StaticClass());
    RegisterClass(TTestForm::StaticClass());
}
