#pragma once

#include <functional>
#include <vector>

namespace orvane {

class TjxBand;
class TjxComponent;

// The selection's bounds in thousandths of a millimetre: left and size over
// all selected components, top relative to the band of the topmost one.
struct TjxSelectionBounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The components selected in the designer, in selection order (the first is
// the alignment commands' reference). The primary one is the one last added
// or clicked; its outline leads a drag.
class TjxDesignerSelection {
public:
    int Count() const { return int(m_components.size()); }
    bool IsEmpty() const { return m_components.empty(); }
    TjxComponent* Component(int index) const { return m_components.at(size_t(index)); }
    const std::vector<TjxComponent*>& Components() const { return m_components; }
    TjxComponent* First() const { return m_components.empty() ? nullptr : m_components.front(); }
    TjxComponent* Primary() const { return m_primary; }
    // Only a selected component becomes primary.
    void SetPrimary(TjxComponent* component);
    bool Contains(const TjxComponent* component) const;

    // Adding one that is selected already changes nothing; the one added
    // becomes primary. Removing the primary makes the last one primary.
    void Add(TjxComponent* component);
    void Remove(const TjxComponent* component);
    void Clear();

    TjxSelectionBounds Bounds() const;
    // The band under the selection's top edge; none without a selection.
    TjxBand* TopBand() const;

    // After every change of the list.
    std::function<void()> OnChange;

private:
    void Changed() const;

    std::vector<TjxComponent*> m_components;
    TjxComponent* m_primary = nullptr;
};

} // namespace orvane
