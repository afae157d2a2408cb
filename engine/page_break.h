#pragma once

// Sends the rest of its band to a new page.

#include "engine/stretchable.h"

namespace orvane {

class TjxPageBreak : public TjxStretchable {
    ORVANE_CLASS(TjxPageBreak, TjxStretchable)
public:
    explicit TjxPageBreak(TComponent* owner = nullptr);

    bool UsesColor() const override { return false; }
    bool UsesFontColor() const override { return false; }
    // Page breaks are never inside regions; one read inside a region goes to its band.
    void SetRegion(TjxComponent* region) override;
    // A break that follows another component stretches with it.
    void SetShiftRelativeTo(TjxStretchable* target) override;

    // A break below the page limit still breaks once: it uses no space.
    void Generate(const TjxPrintParent& parent) override;

protected:
    // The first time it ends the page; on the next page it completes, using no space.
    void ComputeContent(const TjxPrintParent& parent) override;
};

} // namespace orvane
