#pragma once

// What a device needs of the cancel dialog its producer shows while printing:
// the status line. The dialog itself is a window of the user-interface
// library; it implements this beside its window class.

#include <QString>

namespace orvane {

class TjxCancelDialogStatus {
public:
    virtual ~TjxCancelDialogStatus() = default;
    virtual QString StatusText() const = 0;
    // Shows the text and lets the window handle pending input, so that its
    // Cancel button answers while pages print.
    virtual void ShowStatusText(const QString& text) = 0;
};

} // namespace orvane
