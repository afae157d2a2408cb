#pragma once

// The designer window's own settings, read when the window is created and
// written when it closes, without the window: the window applies what
// LoadDesignerSettings returns and hands its state to SaveDesignerSettings.

#include "designer/settings/settings_keys.h"
#include "document/report_settings.h"

#include <QList>
#include <QRect>
#include <QString>

namespace orvane {

class TjxIniStorage;

// The display the window opens on.
struct TjxDisplayInfo {
    int width = 1024;  // the display's resolution in pixels
    int height = 768;
    // Each screen's available area, the primary first; empty means the whole display.
    QList<QRect> availableAreas;
};

struct TjxDesignerWindowSettings {
    bool showData = settings::kDefaultShowData;
    TWindowState windowState = wsNormal;
    QRect bounds;  // the normal bounds, also those a maximised window restores to
    bool snapToGrid = settings::kDefaultSnapToGrid;
    bool displayGrid = settings::kDefaultDisplayGrid;
    int xGridSpace = settings::kDefaultGridSpace;
    int yGridSpace = settings::kDefaultGridSpace;
    int undoCapacity = settings::kDefaultUndoCapacity;
    QString defaultFontName = settings::kDefaultFontName;
    int defaultFontSize = settings::kDefaultFontSize;
};

// The default bounds: 790 x 600 on a display 1024 pixels wide, otherwise
// scaled from it (the height from the window's current height), centred on
// the display.
QRect DefaultDesignerBounds(const TjxDisplayInfo& display, int currentHeight);

// Reads the settings. `current` is the window as it stands: its height scales
// the default size, and its grid spacing, undo capacity and window state are
// kept where nothing (or nothing usable) is stored. Stored values are checked:
// a window state other than 0, 1 or 2 reads as 0 (normal); a stored 1
// (minimised) keeps the current state; bounds are read only for the normal
// state, a size below 1 takes the default, a window larger than its screen
// is made to fit and one that could not be reached on any screen is centred;
// grid spacing outside 1..256 and a negative undo capacity keep the current
// value; an empty default font name reads "Arial" and a size below 1 reads 10.
TjxDesignerWindowSettings LoadDesignerSettings(const TjxIniStorage& storage, const TjxDisplayInfo& display,
                                               const TjxDesignerWindowSettings& current);

// Writes the settings the window owns; "Grid Options" is erased first and
// the undo capacity is written only when there is an undo manager. The
// default font is never written. The keys reach the store together in one
// update; when it cannot be written, EOrvaneError is raised and the store
// keeps what it had.
void SaveDesignerSettings(TjxIniStorage& storage, const TjxDesignerWindowSettings& settings, bool hasUndoManager);

} // namespace orvane
