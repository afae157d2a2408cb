#pragma once

#include <vector>

namespace orvane {

// Grid rows of a band after the first start this far below the previous band's area.
inline constexpr int kGridBandGap = 19;

class TjxBand;
class TjxComponent;
class TjxCustomReport;

// Where the workspace stacks a report's bands, in screen pixels: each band's
// area followed by its bar. Widget-free, so commands place components the
// way the workspace shows them.
class TjxBandLayout {
public:
    explicit TjxBandLayout(const TjxCustomReport* report);

    const std::vector<TjxBand*>& Bands() const { return m_bands; }
    // Workspace y of a band's area; -1 for a band not in the report.
    int AreaTop(const TjxBand* band) const;
    int HeightOf(const TjxBand* band) const;
    // Pixel heights, top to bottom.
    std::vector<int> Heights() const { return m_heights; }
    // The band whose area or bar holds y; a band of no height gives its
    // place to the nearest one with a height.
    TjxBand* BandAt(int y) const;
    // The top of the lowest bar: nothing may reach below it.
    int UsableBottom() const;
    // A component's top in workspace pixels.
    int WorkspaceTop(const TjxComponent* component) const;

private:
    int IndexOf(const TjxBand* band) const;

    std::vector<TjxBand*> m_bands;
    std::vector<int> m_heights;
    std::vector<int> m_tops;
};

// The index of the band whose area or bar holds y, given each band's area
// top and height; a band of no height gives its place to the nearest one
// with a height. -1 when none holds it.
int BandIndexAt(const std::vector<int>& areaTops, const std::vector<int>& heights, int y);

// A position on the grid: horizontally the nearest multiple of the spacing;
// vertically the same within the band the position falls in, from the
// band's first grid row. More than half a spacing past a line goes to the next
// (a half rounds to the even neighbour).
int SnapToGrid(int value, int spacing, bool vertical, const std::vector<int>& bandHeights);

} // namespace orvane
