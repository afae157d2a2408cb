#pragma once

#include <QStringList>

namespace orvane {

// Each command takes the arguments after its name and returns the exit code;
// errors with the system's message are raised as EOrvaneError.
int ConvertCommand(const QStringList& args);
int InfoCommand(const QStringList& args);
int PrintersCommand(const QStringList& args);

} // namespace orvane
