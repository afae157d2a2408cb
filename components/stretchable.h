#pragma once

// Components that may grow while printing (memos, regions, subreports, page
// breaks): their settings and the chain of components that shift relative to
// one another.

#include "components/component.h"

#include <vector>

namespace orvane {

class TjxStretchable : public TjxComponent {
    ORVANE_CLASS(TjxStretchable, TjxComponent)
public:
    explicit TjxStretchable(TComponent* owner = nullptr);
    ~TjxStretchable() override;

    bool Stretch() const { return m_stretch; }
    // Turning Stretch on anchors to the top and makes the band dynamic; it
    // cannot be turned off while other components shift relative to this one.
    virtual void SetStretch(bool value);
    bool KeepTogether() const { return m_keepTogether; }
    virtual void SetKeepTogether(bool value);
    // The component prints right below the end of its target. None when the
    // target has left this component's band.
    TjxStretchable* ShiftRelativeTo() const;
    // A target whose chain leads back to this component raises EInvalidPropertyError.
    virtual void SetShiftRelativeTo(TjxStretchable* target);
    // The components that shift relative to this one, in the order they were assigned.
    const std::vector<TjxStretchable*>& Dependents() const { return m_dependents; }

    // Lengths in thousandths of a millimetre; negative values are ignored.
    int mmBottomOffset() const { return m_mmBottomOffset; }
    virtual void SetmmBottomOffset(int value);
    int mmOverFlowOffset() const { return m_mmOverFlowOffset; }
    virtual void SetmmOverFlowOffset(int value);
    int mmStopPosition() const { return m_mmStopPosition; }
    virtual void SetmmStopPosition(int value);
    // The same lengths in Units.
    double BottomOffset() const { return ToUnits(m_mmBottomOffset, axVertical); }
    void SetBottomOffset(double value) { SetmmBottomOffset(FromUnits(value, axVertical)); }
    double OverFlowOffset() const { return ToUnits(m_mmOverFlowOffset, axVertical); }
    void SetOverFlowOffset(double value) { SetmmOverFlowOffset(FromUnits(value, axVertical)); }
    double StopPosition() const { return ToUnits(m_mmStopPosition, axVertical); }
    void SetStopPosition(double value) { SetmmStopPosition(FromUnits(value, axVertical)); }

    // An empty caption, or one that still shows the old user name, follows a new one.
    void SetUserName(const QString& value) override;
    void SetAnchors(TjxAnchors value) override;
    void SetReprintOnOverFlow(bool value) override;
    void SetShiftWithParent(bool value) override;
    void SetStretchWithParent(bool value) override;

protected:
    void BandChanged() override;
    void Notify(TjxCommunicator* sender, int operation) override;
    void StoreLength(int& field, int value, const char* propertyName);

private:
    void DropTarget();
    // Leaving Stretch or the chain when another setting takes over.
    void LeaveChain();

    bool m_stretch = false;
    bool m_keepTogether = false;
    TjxStretchable* m_shiftRelativeTo = nullptr;
    std::vector<TjxStretchable*> m_dependents;
    int m_mmBottomOffset = 0;
    int m_mmOverFlowOffset = 0;
    int m_mmStopPosition = 0;
};

} // namespace orvane
