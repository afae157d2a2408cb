#pragma once

// The receipt as Ravelle saves it: its window's Save run in a folder of the
// test's own, which is where the template file lands.

#include "app/main_window.h"

#include <QDir>
#include <QString>

namespace orvane::test {

// Saves the receipt into `folder` and answers the template file's path.
inline QString SaveRavelleReceipt(const QString& folder)
{
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder);
    {
        TRavelleWindow window;
        window.Save();
    }
    QDir::setCurrent(previous);
    return QDir(folder).filePath(QStringLiteral("Ravelle.rtm"));
}

} // namespace orvane::test
