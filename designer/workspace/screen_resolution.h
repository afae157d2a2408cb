#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

#include "document/units.h"

namespace orvane {

// The logical resolution of the screen a widget shows on, in pixels per inch;
// the primary screen's before the widget has one.
inline int ScreenResolution(const QWidget* widget)
{
    QScreen* screen = widget ? widget->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? int(std::lround(screen->logicalDotsPerInchX())) : kScreenPixelsPerInch;
}

} // namespace orvane
