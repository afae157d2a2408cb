#include "designer/edit/band_layout.h"

#include "components/component.h"
#include "designer/workspace/band_control.h"
#include "document/band.h"
#include "document/custom_report.h"

#include <algorithm>
#include <cmath>

namespace orvane {

TjxBandLayout::TjxBandLayout(const TjxCustomReport* report)
{
    if (!report)
        return;
    int offset = 0;
    for (TjxBand* band : report->Bands()) {
        const int height = std::max(0, ThousandthsToPixels(band->mmHeight(), kScreenPixelsPerInch));
        m_bands.push_back(band);
        m_heights.push_back(height);
        m_tops.push_back(offset);
        offset += height + kBandBarHeight;
    }
}

int TjxBandLayout::IndexOf(const TjxBand* band) const
{
    const auto it = std::find(m_bands.begin(), m_bands.end(), band);
    return it == m_bands.end() ? -1 : int(it - m_bands.begin());
}

int TjxBandLayout::AreaTop(const TjxBand* band) const
{
    const int i = IndexOf(band);
    return i < 0 ? -1 : m_tops[size_t(i)];
}

int TjxBandLayout::HeightOf(const TjxBand* band) const
{
    const int i = IndexOf(band);
    return i < 0 ? 0 : m_heights[size_t(i)];
}

TjxBand* TjxBandLayout::BandAt(int y) const
{
    const int i = BandIndexAt(m_tops, m_heights, y);
    return i < 0 ? nullptr : m_bands[size_t(i)];
}

int BandIndexAt(const std::vector<int>& areaTops, const std::vector<int>& heights, int y)
{
    for (size_t k = 0; k < areaTops.size(); ++k) {
        if (y < areaTops[k] - kBandBarHeight || y >= areaTops[k] + heights[k])
            continue;
        if (heights[k] > 0)
            return int(k);
        for (size_t j = k; j-- > 0;)
            if (heights[j] > 0)
                return int(j);
        for (size_t j = k + 1; j < areaTops.size(); ++j)
            if (heights[j] > 0)
                return int(j);
        return 0;
    }
    return -1;
}

int TjxBandLayout::UsableBottom() const
{
    return m_bands.empty() ? 0 : m_tops.back() + m_heights.back();
}

int TjxBandLayout::WorkspaceTop(const TjxComponent* component) const
{
    return std::max(0, AreaTop(component->Band())) + component->spTop();
}

int SnapToGrid(int value, int spacing, bool vertical, const std::vector<int>& bandHeights)
{
    if (spacing <= 0)
        return value;
    int relative = value;
    if (vertical && !bandHeights.empty()) {
        // Each band's rows start where the workspace draws them: at the top
        // for the first band, a fixed gap below the previous band's end for
        // the others.
        int bottom = 0;  // end of the previous band's area
        for (size_t k = 0; k < bandHeights.size(); ++k) {
            const int origin = k == 0 ? 0 : bottom + kGridBandGap;
            const int areaTop = k == 0 ? 0 : bottom + kBandBarHeight;
            bottom = areaTop + bandHeights[k];
            relative = value - origin;
            if (value < bottom + kBandBarHeight)
                break;
        }
    }
    int offset = relative % spacing;
    if (offset < 0)
        offset += spacing;
    const int half = int(std::nearbyint(spacing / 2.0));
    return value - offset + (offset > half ? spacing : 0);
}

} // namespace orvane
