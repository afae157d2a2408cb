#pragma once

// Components that may grow while printing (memos, regions, subreports, page
// breaks): their settings and the chain of components that shift relative to
// one another.

#include "components/component.h"

#include <utility>
#include <vector>

namespace orvane {

class TjxEngine;

class TjxStretchable : public TjxComponent {
    ORVANE_CLASS(TjxStretchable, TjxComponent)
public:
    // Message 342: a component cannot shift relative to one that shifts with it.
    static constexpr int kCyclicShiftMessage = 342;

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
    // Entering a region leaves the chain; a region shifting relative to this one leaves it too.
    void SetRegion(TjxComponent* region) override;

    // ---- Generation ----
    // May grow while printing: Stretch in a dynamic parent, or a stop position.
    virtual bool CanStretch(const TjxPrintParent& parent) const;
    // The lowest point reached on the page: the component's top after placement,
    // then the bottom of the component and of its dependents.
    int CurrentPosition() const { return m_currentPosition; }
    // The lowest position the component may reach on this page.
    int PrintLimit() const { return m_limit; }
    // The component is done; its dependents are printing.
    bool DependentsToPrint() const { return m_dependentsToPrint; }
    // Some dependent (or region child) did not fit and was not a stretching one.
    bool Split() const { return m_split; }
    bool KeptMoved() const { return m_keptMoved; }

    void InitGeneration() override;
    void BeforeGenerate(bool freshBandPrint = true) override;
    // Places the component, lets it lay out its content, then prints its dependents.
    void Generate(const TjxPrintParent& parent) override;
    void AfterGenerate() override;
    // Its own command, then whatever it printed inside and below it.
    void PrintToPage(TjxPage* page) override;
    void PropertiesToDrawCommand(TjxDrawCommand* command) override;

protected:
    void BandChanged() override;
    void Notify(TjxCommunicator* sender, int operation) override;
    void StoreLength(int& field, int value, const char* propertyName);
    void WriteState(QDataStream& stream) const override;
    void ReadState(QDataStream& stream) override;

    // Sets DrawHeight and OverFlow for what the component shows in its PrintRect.
    virtual void ComputeContent(const TjxPrintParent& parent) {}
    // Draws what the component printed inside itself (a region's children).
    virtual void PrintContentsToPage(TjxPage* page) {}
    // Whether moving the whole component to the next page makes sense now:
    // KeepTogether, and something already printed above it on this page (also
    // by the reports a child report flows inside).
    bool KeepTogetherPossible(const TjxPrintParent& parent) const;
    // The stop position in force once the component's top on the page is
    // known; 0: none.
    virtual int StopPositionAt(int top) { return m_mmStopPosition; }
    void SetKeptMoved(bool value) { m_keptMoved = value; }
    void SetSplit(bool value) { m_split = value; }
    void SetCurrentPosition(int value) { m_currentPosition = value; }
    // The engine of the report run, none outside one.
    TjxEngine* GenerationEngine() const { return m_engine; }

private:
    void DropTarget();
    // Leaving Stretch or the chain when another setting takes over.
    void LeaveChain();
    void Layout(const TjxPrintParent& parent);
    int PlaceTop(const TjxPrintParent& parent);
    void PrintDependents(const TjxPrintParent& parent);

    bool m_stretch = false;
    bool m_keepTogether = false;
    TjxStretchable* m_shiftRelativeTo = nullptr;
    std::vector<TjxStretchable*> m_dependents;
    int m_mmBottomOffset = 0;
    int m_mmOverFlowOffset = 0;
    int m_mmStopPosition = 0;

    // Print state.
    bool m_dependentsToPrint = false;
    int m_currentPosition = 0;
    int m_limit = 0;
    bool m_allComplete = true;
    int m_firstIncompleteIndex = 0;
    bool m_split = false;
    bool m_keptMoved = false;
    // Dependents that printed, with their band-list index as the drawing order.
    std::vector<std::pair<int, TjxPrintable*>> m_printed;
    TjxEngine* m_engine = nullptr;
};

} // namespace orvane
