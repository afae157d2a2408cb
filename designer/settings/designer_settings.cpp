#include "designer/settings/designer_settings.h"

#include "designer/settings/ini_storage.h"
#include "designer/settings/settings_keys.h"

#include <algorithm>

namespace orvane {

namespace {

// How much of a window must lie on a screen to be reached: its top edge (the
// title bar) inside the screen, with this many pixels of it across.
constexpr int kReachableWidth = 40;
constexpr int kReachableHeight = 24;
constexpr int kMaxGridSpace = 256;
constexpr int kCoordinateLimit = 1 << 20;

QList<QRect> AreasOf(const TjxDisplayInfo& display)
{
    QList<QRect> areas;
    for (const QRect& area : display.availableAreas)
        if (area.width() > 0 && area.height() > 0)
            areas.append(area);
    if (areas.isEmpty())
        areas.append(QRect(0, 0, std::max(display.width, 1), std::max(display.height, 1)));
    return areas;
}

bool Reachable(const QRect& window, const QRect& area)
{
    const int across = std::min(window.right(), area.right()) - std::max(window.left(), area.left()) + 1;
    return window.top() >= area.top() && window.top() <= area.bottom() - kReachableHeight + 1 &&
           across >= std::min(kReachableWidth, window.width());
}

// Stored bounds made usable: a size that fits the screen the window is on, and
// a position from which it can be reached; otherwise the default position.
QRect CheckedBounds(QRect bounds, const QRect& defaults, const TjxDisplayInfo& display)
{
    if (bounds.width() < 1)
        bounds.setWidth(defaults.width());
    if (bounds.height() < 1)
        bounds.setHeight(defaults.height());
    const QList<QRect> areas = AreasOf(display);
    for (const QRect& area : areas) {
        if (!Reachable(bounds, area))
            continue;
        // A window larger than its screen is made to fit on it.
        if (bounds.width() > area.width()) {
            bounds.setWidth(area.width());
            bounds.moveLeft(area.left());
        }
        if (bounds.height() > area.height()) {
            bounds.setHeight(area.height());
            bounds.moveTop(area.top());
        }
        return bounds;
    }
    const QRect& primary = areas.front();
    QRect centred = defaults;
    centred.setWidth(std::min(bounds.width(), primary.width()));
    centred.setHeight(std::min(bounds.height(), primary.height()));
    centred.moveLeft(primary.left() + (primary.width() - centred.width()) / 2);
    centred.moveTop(primary.top() + (primary.height() - centred.height()) / 2);
    return centred;
}

int CheckedGridSpace(int stored, int current)
{
    return stored >= 1 && stored <= kMaxGridSpace ? stored : current;
}

} // namespace

QRect DefaultDesignerBounds(const TjxDisplayInfo& display, int currentHeight)
{
    using namespace settings;
    int width = kDefaultWindowWidth;
    int height = kDefaultWindowHeight;
    if (display.width != kReferenceDisplayWidth) {
        width = int(int64_t(display.width) * kDefaultWindowWidth / kReferenceDisplayWidth);
        const int base = currentHeight > 0 ? currentHeight : kDefaultWindowHeight;
        height = int(int64_t(base) * display.height / kReferenceDisplayHeight);
    }
    width = std::max(width, 1);
    height = std::max(height, 1);
    return QRect((display.width - width) / 2, (display.height - height) / 2, width, height);
}

TjxDesignerWindowSettings LoadDesignerSettings(const TjxIniStorage& storage, const TjxDisplayInfo& display,
                                               const TjxDesignerWindowSettings& current)
{
    using namespace settings;
    TjxDesignerWindowSettings s = current;
    const QRect defaults = DefaultDesignerBounds(display, current.bounds.height());

    s.showData = storage.ReadBool(kDesignerPreferences, kShowData, kDefaultShowData);

    int state = storage.ReadInteger(kDesignerPosition, kWindowState, kDefaultWindowState);
    if (state < 0 || state > 2)
        state = 0;
    s.bounds = defaults;
    if (state == 0) {
        // Far-off values would overflow the rectangle's edges; they are off every screen anyway.
        const auto limited = [](int v) { return std::clamp(v, -kCoordinateLimit, kCoordinateLimit); };
        const QRect stored(limited(storage.ReadInteger(kDesignerPosition, kLeft, defaults.left())),
                           limited(storage.ReadInteger(kDesignerPosition, kTop, defaults.top())),
                           limited(storage.ReadInteger(kDesignerPosition, kWidth, defaults.width())),
                           limited(storage.ReadInteger(kDesignerPosition, kHeight, defaults.height())));
        s.bounds = CheckedBounds(stored, defaults, display);
    }
    // A stored minimised state is not restored.
    if (state != 1)
        s.windowState = state == 2 ? wsMaximized : wsNormal;

    s.snapToGrid = storage.ReadBool(kGridOptions, kSnapToGrid, kDefaultSnapToGrid);
    s.displayGrid = storage.ReadBool(kGridOptions, kDisplayGrid, current.displayGrid);
    s.xGridSpace = CheckedGridSpace(storage.ReadInteger(kGridOptions, kXGridSpace, current.xGridSpace), current.xGridSpace);
    s.yGridSpace = CheckedGridSpace(storage.ReadInteger(kGridOptions, kYGridSpace, current.yGridSpace), current.yGridSpace);

    const int capacity = storage.ReadInteger(kUndoOptions, kCapacity, current.undoCapacity);
    s.undoCapacity = capacity >= 0 ? capacity : current.undoCapacity;

    s.defaultFontName = storage.ReadString(kFormat, kDefaultFontNameKey, kDefaultFontName);
    if (s.defaultFontName.isEmpty())
        s.defaultFontName = kDefaultFontName;
    s.defaultFontSize = storage.ReadInteger(kFormat, kDefaultFontSizeKey, kDefaultFontSize);
    if (s.defaultFontSize < 1)
        s.defaultFontSize = kDefaultFontSize;
    return s;
}

void SaveDesignerSettings(TjxIniStorage& storage, const TjxDesignerWindowSettings& s, bool hasUndoManager)
{
    using namespace settings;
    // One write of the file: a crash never leaves the grid section erased and not yet written again.
    TjxIniStorageUpdate update(storage);
    storage.WriteBool(kDesignerPreferences, kShowData, s.showData);
    storage.WriteInteger(kDesignerPosition, kWindowState, int(s.windowState));
    storage.WriteInteger(kDesignerPosition, kLeft, s.bounds.left());
    storage.WriteInteger(kDesignerPosition, kTop, s.bounds.top());
    storage.WriteInteger(kDesignerPosition, kWidth, s.bounds.width());
    storage.WriteInteger(kDesignerPosition, kHeight, s.bounds.height());
    storage.EraseSection(kGridOptions);
    storage.WriteBool(kGridOptions, kSnapToGrid, s.snapToGrid);
    storage.WriteBool(kGridOptions, kDisplayGrid, s.displayGrid);
    storage.WriteInteger(kGridOptions, kXGridSpace, s.xGridSpace);
    storage.WriteInteger(kGridOptions, kYGridSpace, s.yGridSpace);
    if (hasUndoManager)
        storage.WriteInteger(kUndoOptions, kCapacity, s.undoCapacity);
    update.Commit();
}

} // namespace orvane
