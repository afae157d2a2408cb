#pragma once

// The mouse on the workspace as a hand moves it.

#include <QTest>
#include <QWidget>

namespace orvane::test {

// A drag in steps, so the drag threshold is passed on the way.
inline void DragOn(QWidget* on, const QPoint& from, const QPoint& to, Qt::KeyboardModifiers mods = {})
{
    QTest::mousePress(on, Qt::LeftButton, mods, from);
    for (int i = 1; i <= 4; ++i)
        QTest::mouseMove(on, from + (to - from) * i / 4);
    QTest::mouseRelease(on, Qt::LeftButton, mods, to);
}

} // namespace orvane::test
