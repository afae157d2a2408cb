#pragma once

#include <QByteArray>
#include <QString>

namespace orvane {

// Reads a whole file; a file that cannot be read raises EOrvaneError.
QByteArray ReadWholeFile(const QString& fileName);
// Writes through a temporary file renamed over the target only when complete.
void WriteWholeFile(const QString& fileName, const QByteArray& data);

} // namespace orvane

namespace orvane {

// Names stored with "\" separators (".\Ravelle.rtm") as this platform writes them:
// relative names stay relative to the current directory.
QString ResolveFileName(const QString& fileName);

} // namespace orvane
