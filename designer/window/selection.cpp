#include "designer/window/selection.h"

#include "components/component.h"
#include "document/band.h"
#include "document/custom_report.h"

#include <algorithm>
#include <climits>

namespace orvane {

bool TjxDesignerSelection::Contains(const TjxComponent* component) const
{
    return std::find(m_components.begin(), m_components.end(), component) != m_components.end();
}

void TjxDesignerSelection::Add(TjxComponent* component)
{
    if (!component || Contains(component))
        return;
    m_components.push_back(component);
    m_primary = component;
    Changed();
}

void TjxDesignerSelection::SetPrimary(TjxComponent* component)
{
    if (Contains(component))
        m_primary = component;
}

void TjxDesignerSelection::Remove(const TjxComponent* component)
{
    const auto it = std::find(m_components.begin(), m_components.end(), component);
    if (it == m_components.end())
        return;
    m_components.erase(it);
    if (m_primary == component)
        m_primary = m_components.empty() ? nullptr : m_components.back();
    Changed();
}

void TjxDesignerSelection::Clear()
{
    if (m_components.empty())
        return;
    m_components.clear();
    m_primary = nullptr;
    Changed();
}

namespace {

// A component's top in the report's band order: bands first, then the top inside the band.
std::pair<int, int> VerticalPlace(const TjxComponent* c)
{
    const TjxBand* band = c->Band();
    int bandIndex = INT_MAX;
    if (band && band->Report()) {
        const auto& bands = band->Report()->Bands();
        bandIndex = int(std::find(bands.begin(), bands.end(), band) - bands.begin());
    }
    return {bandIndex, c->mmTop()};
}

} // namespace

TjxBand* TjxDesignerSelection::TopBand() const
{
    if (m_components.empty())
        return nullptr;
    const auto top = std::min_element(m_components.begin(), m_components.end(),
                                      [](const TjxComponent* a, const TjxComponent* b) {
                                          return VerticalPlace(a) < VerticalPlace(b);
                                      });
    return (*top)->Band();
}

TjxSelectionBounds TjxDesignerSelection::Bounds() const
{
    if (m_components.empty())
        return {};
    // Lengths of components in other bands than the top one count from their
    // own band: the surface that knows the band positions refines this.
    const TjxBand* topBand = TopBand();
    int left = INT_MAX, right = INT_MIN, top = INT_MAX, bottom = INT_MIN;
    for (const TjxComponent* c : m_components) {
        left = std::min(left, c->mmLeft());
        right = std::max(right, c->mmLeft() + c->mmWidth());
        if (c->Band() != topBand)
            continue;
        top = std::min(top, c->mmTop());
        bottom = std::max(bottom, c->mmTop() + c->mmHeight());
    }
    return {left, top, right - left, bottom - top};
}

void TjxDesignerSelection::Changed() const
{
    if (OnChange)
        OnChange();
}

} // namespace orvane
