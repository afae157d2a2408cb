#pragma once

// One widget application for a test program, on the checked-in offscreen
// screen (1024 x 768 at 96 dpi, no window frames) with the Fusion style and
// a pinned application font, so that geometry and pixels are the same on
// every machine. Include it instead of gui_environment.h.

#include <QApplication>
#include <QFont>
#include <QStyleFactory>
#include <gtest/gtest.h>

#include <memory>

#ifndef ORVANE_OFFSCREEN_CONFIG
#error "widget tests need ORVANE_OFFSCREEN_CONFIG (tests/support/offscreen.json)"
#endif

namespace orvane::test {

class WidgetEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        if (QCoreApplication::instance())
            return;
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + ORVANE_OFFSCREEN_CONFIG);
        static int argc = 1;
        static char name[] = "orvane_widget_test";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(11);
        QApplication::setFont(font);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

inline testing::Environment* const g_widgetEnvironment = testing::AddGlobalTestEnvironment(new WidgetEnvironment);

} // namespace orvane::test
