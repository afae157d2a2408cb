#pragma once

#ifdef ORVANE_OFFSCREEN_CONFIG
// Programs with widget tests need the widget application, whichever file
// registers its environment first.
#include "widget_environment.h"
#else

// One GUI application object for a test program: fonts, images and painting
// need it. Any test file of the program may include this; the first one
// registers the environment, and a program that made its own keeps it.

#include <QCoreApplication>
#include <QGuiApplication>
#include <gtest/gtest.h>

#include <memory>

namespace orvane::test {

class GuiEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        if (QCoreApplication::instance())
            return;
        static int argc = 1;
        static char name[] = "orvane_test";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QGuiApplication> m_app;
};

inline testing::Environment* const g_guiEnvironment = testing::AddGlobalTestEnvironment(new GuiEnvironment);

} // namespace orvane::test

#endif
