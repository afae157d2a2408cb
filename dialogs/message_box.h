#pragma once

// The message box window behind the core's ShowMessageBox.

namespace orvane {

// Installs the window for every later message box. Where no widgets can be
// shown (no QApplication) boxes are recorded as without a window.
void InstallMessageBoxWindow();

} // namespace orvane
