#pragma once

// A framed container that prints a group of components as one block: the
// children keep their places relative to it, it may grow with them, and it
// may move whole to the next page rather than split.

#include "engine/stretchable.h"
#include "engine/data_pipeline.h"

#include <array>
#include <memory>
#include <utility>
#include <vector>

namespace orvane {

class TjxCacheManager;
class TjxPage;

class TjxCustomRegion : public TjxStretchable {
    ORVANE_CLASS(TjxCustomRegion, TjxStretchable)
public:
    explicit TjxCustomRegion(TComponent* owner = nullptr);
    ~TjxCustomRegion() override;

    TBrush* Brush() const { return m_brush.get(); }
    void SetBrush(TBrush* value);
    TPen* Pen() const { return m_pen.get(); }
    void SetPen(TPen* value);

    // The components inside, in the order they joined; the band owns them.
    const std::vector<TjxComponent*>& Children() const { return m_children; }
    using TjxStretchable::AddChild;
    using TjxStretchable::RemoveChild;
    // The component takes the region's band and follows the region in z-order.
    void AddChild(TjxComponent* component);
    void RemoveChild(TjxComponent* component);

    // The region's rectangle in its band, and the one its children were last aligned to.
    TjxRect BoundsRect() const
    {
        return {mmLeft(), mmTop(), SaturatedLength(TjxLength64(mmLeft()) + mmWidth()),
                SaturatedLength(TjxLength64(mmTop()) + mmHeight())};
    }
    TjxRect SavedRect() const { return m_savedRect; }

    // Regions do not nest; one read inside a region goes to its band.
    void SetRegion(TjxComponent* region) override;
    // A target inside the region would print before the region that holds it.
    void SetShiftRelativeTo(TjxStretchable* target) override;
    void SetBand(TjxBand* band) override;
    void BringToFront() override;
    void SendToBack() override;
    void BoundsChanged() override;
    void Loaded() override;

    // The brush is the background, the pen the frame.
    void SetTransparent(bool value) override;
    void SetBackground(TColor color, bool transparent) override;
    void SetFontColor(TColor color) override;
    void SetPenColor(TColor color, bool clear);
    void SetLineWidth(int width);

    void GetChildren(const TGetChildProc& proc, TComponent* root) const override;

    // ---- Generation ----
    void InitGeneration() override;
    void BeforeGenerate(bool freshBandPrint = true) override;
    void Reprint() override;
    // Where a split region resumes: the smallest top of its unfinished children,
    // from the region's own top; the region's height when nothing is pending.
    int ContinuationOffset() const { return m_continuationOffset; }
    int FirstIncompleteCategory() const { return m_firstIncompleteCategory; }

    std::unique_ptr<TjxDrawCommand> NewDrawCommand() const override;
    void PropertiesToDrawCommand(TjxDrawCommand* command) override;

protected:
    void ComputeContent(const TjxPrintParent& parent) override;
    void PrintContentsToPage(TjxPage* page) override;
    void Notify(TjxCommunicator* sender, int operation) override;
    void WriteState(QDataStream& stream) const override;
    void ReadState(QDataStream& stream) override;

private:
    friend class TjxComponent;
    using TKeyed = std::pair<int, TjxComponent*>;  // index in the region, child

    // Membership changes come through the child's SetRegion.
    void ChildJoined(TjxComponent* child);
    void ChildLeft(TjxComponent* child, bool destroying);
    void Forget(TjxComponent* child);
    void GraphicChanged();
    void RealignChildren();
    void MoveAfter(TjxComponent* child, TjxComponent* anchor);
    void GenerateChildren(const TjxPrintParent& parent);
    void TakeSnapshot();
    void RollBack();

    std::unique_ptr<TBrush> m_brush;
    std::unique_ptr<TPen> m_pen;
    std::vector<TjxComponent*> m_children;
    TjxRect m_savedRect;

    // Print state.
    std::array<std::vector<TKeyed>, 4> m_categories;
    const TjxPrintable* m_lowestStretching = nullptr;
    int m_firstIncompleteCategory = 0;
    int m_firstIncompleteIndex = 0;
    int m_continuationOffset = 0;
    std::vector<TKeyed> m_printedChildren;

    // KeepTogether: the state before the region printed, to go back to when it does not fit.
    std::unique_ptr<TjxCacheManager> m_rollbackCache;
    bool m_rollbackAttached = false;
    std::unique_ptr<TjxPage> m_rollbackPage;
    bool m_hasRollbackPage = false;
    TjxPipelinePosition m_rollbackMaster, m_rollbackDetail;
};

class TjxRegion : public TjxCustomRegion {
    ORVANE_CLASS(TjxRegion, TjxCustomRegion)
public:
    explicit TjxRegion(TComponent* owner = nullptr);

    QString DesignEditProperty() const override { return QStringLiteral("Caption"); }
};

} // namespace orvane
