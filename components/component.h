#pragma once

// Printable components placed in a band: band membership, anchors, sizing to
// the parent, and the declarations of published properties that the concrete
// classes choose from.

#include "components/printable.h"

namespace orvane {

class TjxGroup;

enum TjxAnchorType : uint8_t { atLeft, atTop, atRight, atBottom };
using TjxAnchors = uint32_t;  // bit (1 << TjxAnchorType)
inline constexpr TjxAnchors kDefaultAnchors = (1u << atLeft) | (1u << atTop);
const TTypeInfo& AnchorsType();

class TjxComponent : public TjxPrintable {
    ORVANE_CLASS(TjxComponent, TjxPrintable)
public:
    explicit TjxComponent(TComponent* owner = nullptr);
    ~TjxComponent() override;

    // The band is the component's parent in the report tree.
    TjxBand* Band() const;
    virtual void SetBand(TjxBand* band);
    // The band's type number and group index; a component without a band keeps
    // the values it last had (or read).
    int BandType() const;
    int GroupNo() const;
    // For values known only after a first pass: the component's report runs
    // in two passes, and so does the main report a child report runs inside
    // (a child report always follows its main report's passes).
    void RequireTwoPasses();

    TjxAnchors Anchors() const { return m_anchors; }
    // Both top and bottom, or both left and right, are refused.
    virtual void SetAnchors(TjxAnchors value);
    bool HasAnchor(TjxAnchorType a) const { return (m_anchors & (1u << a)) != 0; }
    bool IsBottomAnchored() const { return HasAnchor(atBottom); }
    // Anchors the component to the bottom (true) or the top (false) of its parent.
    virtual void SetShiftWithParent(bool value);

    bool ParentDataPipeline() const { return m_parentDataPipeline; }
    virtual void SetParentDataPipeline(bool value);
    TjxGroup* ResetGroup() const { return m_resetGroup; }
    virtual void SetResetGroup(TjxGroup* value);
    // The containing region, none when the component sits directly in its band.
    TjxComponent* Region() const { return m_region; }
    // Only a region (a class named TjxRegion or derived from one) or none.
    virtual void SetRegion(TjxComponent* region);

    void SetmmLeft(int value) override;
    void SetmmTop(int value) override;
    void SetmmWidth(int value) override;
    void SetmmHeight(int value) override;
    void SetBounds(int left, int top, int height, int width) override;
    void SetParentWidth(bool value) override;
    void SetParentHeight(bool value) override;
    void SetDataPipeline(TjxCommunicator* value) override;
    TjxUnitType Units() const override;

    // The parent's rectangle in thousandths of a millimetre: (0, 0, width, height)
    // for a band, the region's own rectangle in the band for a region.
    virtual TjxRect GetParentRect() const;
    // The parent's rectangle before its last change; a band keeps none, so its current one.
    virtual TjxRect GetParentSavedRect() const;
    // Follows the parent's new bounds by the anchors and the parent-sizing flags.
    void RealignToParent();
    virtual void BringToFront();
    virtual void SendToBack();

    void LayoutChanged() override;
    void PropertiesToDrawCommand(TjxDrawCommand* command) override;
    TjxDesignerInterface* GetDesignerInterface() const override;
    void SetParent(TjxRelative* parent) override;
    // A region read as the parent takes the component in; a band places it.
    void SetParentComponent(TComponent* parent) override;
    // The region when there is one, else the band: a region streams its children.
    TComponent* GetParentComponent() const override;

protected:
    // Called after the component moved to another band (or left its band).
    virtual void BandChanged() {}
    int BandWidth() const;
    int BandHeight() const;
    void Notify(TjxCommunicator* sender, int operation) override;

private:
    TjxAnchors m_anchors = kDefaultAnchors;
    int m_bandType = 4;
    int m_groupNo = -1;
    bool m_parentDataPipeline = true;
    TjxComponent* m_region = nullptr;
    TjxGroup* m_resetGroup = nullptr;
};

// Components that never grow while printing (text, shapes, lines, images).
class TjxCustomComponent : public TjxComponent {
    ORVANE_CLASS(TjxCustomComponent, TjxComponent)
public:
    explicit TjxCustomComponent(TComponent* owner = nullptr);

    // Reprints on an overflow continuation when asked to, fires OnPrint, and
    // places the component when it is due; Complete unless there was no room.
    void Generate(const TjxPrintParent& parent) override;
    // Places the component in its parent's rectangle on the page, or sets
    // NoRoom when a parent of dynamic height has no room left for it.
    virtual void ComputePosition(const TjxPrintParent& parent);
    // What the component shows in its PrintRect; it may change DrawHeight.
    virtual void ComputeContent() {}
};

// The published properties the printable classes choose from. Each concrete
// class publishes its own selection in its own order; a name published again
// by a subclass keeps its first position.
template <class T>
struct TjxPublish {
    using B = TClassBuilder<T>;

    // What every printable shows first: its user name, OnPrint and the lengths in Units.
    static B& Base(B& b)
    {
        b.Prop("UserName", StringType(), &T::UserName, &T::SetUserName);
        OnPrint(b);
        Left(b);
        Top(b);
        Width(b);
        return Height(b);
    }
    static B& Left(B& b) { return b.Prop("Left", FloatType(), &T::Left, &T::SetLeft).NeverStored(); }
    static B& Top(B& b) { return b.Prop("Top", FloatType(), &T::Top, &T::SetTop).NeverStored(); }
    static B& Width(B& b) { return b.Prop("Width", FloatType(), &T::Width, &T::SetWidth).NeverStored(); }
    static B& Height(B& b) { return b.Prop("Height", FloatType(), &T::Height, &T::SetHeight).NeverStored(); }
    static B& OnPrint(B& b) { return b.Prop("OnPrint", MethodType(), &T::OnPrint, &T::SetOnPrint); }
    static B& OnDrawCommandClick(B& b)
    {
        return b.Prop("OnDrawCommandClick", MethodType(), &T::OnDrawCommandClick, &T::SetOnDrawCommandClick);
    }
    static B& OnDrawCommandCreate(B& b)
    {
        return b.Prop("OnDrawCommandCreate", MethodType(), &T::OnDrawCommandCreate, &T::SetOnDrawCommandCreate);
    }
    static B& Anchors(B& b) { return b.Prop("Anchors", AnchorsType(), &T::Anchors, &T::SetAnchors).Default(kDefaultAnchors); }
    static B& AutoSize(B& b, bool defaultValue)
    {
        return b.Prop("AutoSize", BooleanType(), &T::AutoSize, &T::SetAutoSize).Default(defaultValue);
    }
    static B& Border(B& b) { return b.Prop("Border", ClassType(), &T::Border, &T::SetBorder); }
    static B& Caption(B& b) { return b.Prop("Caption", StringType(), &T::Caption, &T::SetCaption); }
    static B& Color(B& b) { return b.Prop("Color", ColorType(), &T::Color, &T::SetColor).Default(clWhite); }
    static B& Font(B& b) { return b.Prop("Font", ClassType(), &T::Font, &T::SetFont); }
    static B& ForceJustifyLastLine(B& b)
    {
        return b.Prop("ForceJustifyLastLine", BooleanType(), &T::ForceJustifyLastLine, &T::SetForceJustifyLastLine)
            .Default(0);
    }
    static B& ParentHeight(B& b)
    {
        return b.Prop("ParentHeight", BooleanType(), &T::ParentHeight, &T::SetParentHeight).Default(0);
    }
    static B& ParentWidth(B& b)
    {
        return b.Prop("ParentWidth", BooleanType(), &T::ParentWidth, &T::SetParentWidth).Default(0);
    }
    static B& ReprintOnOverFlow(B& b)
    {
        return b.Prop("ReprintOnOverFlow", BooleanType(), &T::ReprintOnOverFlow, &T::SetReprintOnOverFlow).Default(0);
    }
    static B& StretchWithParent(B& b)
    {
        return b.Prop("StretchWithParent", BooleanType(), &T::StretchWithParent, &T::SetStretchWithParent).Default(0);
    }
    static B& TextAlignment(B& b)
    {
        return b.Prop("TextAlignment", TextAlignmentType(), &T::TextAlignment, &T::SetTextAlignment)
            .Default(taLeftJustified);
    }
    static B& Transparent(B& b)
    {
        return b.Prop("Transparent", BooleanType(), &T::Transparent, &T::SetTransparent).Default(0);
    }
    static B& Visible(B& b) { return b.Prop("Visible", BooleanType(), &T::Visible, &T::SetVisible).Default(1); }
    static B& WordWrap(B& b) { return b.Prop("WordWrap", BooleanType(), &T::WordWrap, &T::SetWordWrap).Default(0); }
};

} // namespace orvane
