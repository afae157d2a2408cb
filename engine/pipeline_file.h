#pragma once

#include <QByteArray>
#include <QString>

namespace orvane {

// Files that pipelines read are regular files of bounded size: a device, a
// FIFO or a growing file would otherwise be read until memory runs out.

// Why the name cannot be read as a regular file, in the system's message text
// ("Cannot open file ..." with the file system's reason, or "... is not a
// regular file"); empty when it can. Symbolic links are followed.
QString RegularFileProblem(const QString& fileName);

// The whole content of a regular file of at most `limit` bytes; raises
// EDataError for anything else. The check and the read use one open file, so
// the name cannot be swapped for a device in between.
QByteArray ReadRegularFile(const QString& fileName, qint64 limit);

} // namespace orvane
