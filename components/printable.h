#pragma once

// The base of everything a report prints inside a band: geometry in
// thousandths of a millimetre, appearance, border, font and the optional
// binding to a data pipeline field.

#include "document/graphic_objects.h"
#include "document/cacheable.h"
#include "document/relative.h"
#include "document/units.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>

namespace orvane {

class TjxBand;
class TjxBandEngine;
class TjxDrawCommand;
class TjxPage;
class TjxPrintable;

enum TjxBorderPosition : uint8_t { bpLeft, bpTop, bpRight, bpBottom };
using TjxBorderPositions = uint32_t;  // bit (1 << TjxBorderPosition)
const TTypeInfo& BorderPositionsType();

// A rectangle in thousandths of a millimetre; right and bottom are exclusive.
struct TjxRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return SaturatedLength(TjxLength64(right) - left); }
    int Height() const { return SaturatedLength(TjxLength64(bottom) - top); }
    bool operator==(const TjxRect&) const = default;
};

// What a band (or region) tells its components while it prints on a page,
// in thousandths of a millimetre in page coordinates.
struct TjxPrintParent {
    TjxRect printRect;           // the parent's rectangle on the page
    int currentBottom = 0;       // how far the parent's contents reach so far
    int pageLimit = 0;           // the lowest position the page allows
    bool dynamicHeight = false;  // a band of dynamic height, or a stretching region inside one
    bool overFlow = false;       // printing the continuation of an overflow
    int overFlowOffset = 0;      // how far the continuation has been moved up
    int spaceUsed = 0;           // the parent's height so far
    int designHeight = 0;        // the parent's designed height
    // A region parent: its top on the page and its designed top in the band.
    bool isRegion = false;
    int regionPageTop = 0;
    int regionmmTop = 0;
    // The lowest child that stretched, none when nothing did.
    const TjxPrintable* lowestStretched = nullptr;
    // The continuation is a split (components that did not fit), not a stretch.
    bool split = false;
    // Growing components continue from an overflow (the band's ContinueStretch, a region's OverFlow).
    bool continueStretch = false;
    // The band being printed; none outside a report run.
    TjxBandEngine* bandEngine = nullptr;
};

enum TjxTextAlignment : uint8_t { taLeftJustified, taRightJustified, taCentered, taFullJustified };
const TTypeInfo& TextAlignmentType();

// The frame drawn around a component; its lines are Weight points thick.
class TjxBorder : public TPersistent {
    ORVANE_CLASS(TjxBorder, TPersistent)
public:
    TjxBorder() = default;

    TjxBorderPositions BorderPositions() const { return m_borderPositions; }
    void SetBorderPositions(TjxBorderPositions value);
    bool HasPosition(TjxBorderPosition p) const { return (m_borderPositions & (1u << p)) != 0; }
    TColor Color() const { return m_color; }
    void SetColor(TColor value);
    TPenStyle Style() const { return m_style; }
    void SetStyle(TPenStyle value);
    bool Visible() const { return m_visible; }
    void SetVisible(bool value);
    float Weight() const { return m_weight; }
    // Negative and non-numeric weights are ignored.
    void SetWeight(float value);

    void Assign(const TPersistent* source) override;
    bool operator==(const TjxBorder& other) const;

    std::function<void()> OnChange;

private:
    template <class V> void Store(V& field, const V& value);

    TjxBorderPositions m_borderPositions = 0;
    TColor m_color = clBlack;
    TPenStyle m_style = psSolid;
    bool m_visible = false;
    float m_weight = 1.0f;
};

class TjxPrintable : public TjxCacheable {
    ORVANE_CLASS(TjxPrintable, TjxCacheable)
public:
    explicit TjxPrintable(TComponent* owner = nullptr);
    ~TjxPrintable() override;

    // Appearance.
    TAlignment Alignment() const { return m_alignment; }
    virtual void SetAlignment(TAlignment value);
    bool AutoSize() const { return m_autoSize; }
    virtual void SetAutoSize(bool value);
    TjxBorder* Border() const { return m_border.get(); }
    virtual void SetBorder(TjxBorder* value);
    const QString& Caption() const { return m_caption; }
    virtual void SetCaption(const QString& value);
    TColor Color() const { return m_color; }
    virtual void SetColor(TColor value);
    TFont* Font() const { return m_font.get(); }
    virtual void SetFont(TFont* value);
    bool ForceJustifyLastLine() const { return m_forceJustifyLastLine; }
    virtual void SetForceJustifyLastLine(bool value);
    bool ParentHeight() const { return m_parentHeight; }
    virtual void SetParentHeight(bool value);
    bool ParentWidth() const { return m_parentWidth; }
    virtual void SetParentWidth(bool value);
    bool ReprintOnOverFlow() const { return m_reprintOnOverFlow; }
    virtual void SetReprintOnOverFlow(bool value);
    bool StretchWithParent() const { return m_stretchWithParent; }
    virtual void SetStretchWithParent(bool value);
    TjxTextAlignment TextAlignment() const { return m_textAlignment; }
    virtual void SetTextAlignment(TjxTextAlignment value);
    bool Transparent() const { return m_transparent; }
    virtual void SetTransparent(bool value);
    bool Visible() const { return m_visible; }
    virtual void SetVisible(bool value);
    bool WordWrap() const { return m_wordWrap; }
    virtual void SetWordWrap(bool value);
    // The text last assigned through SetText or the caption.
    const QString& Text() const { return m_text; }
    virtual void SetText(const QString& value);

    // Background and font colour as the designer's colour buttons set them.
    virtual void SetBackground(TColor color, bool transparent);
    virtual void SetFontColor(TColor color);
    virtual bool UsesColor() const { return true; }
    virtual bool UsesFontColor() const { return true; }
    virtual bool CanFullJustify() const { return false; }

    // Data binding. The pipeline is held as a communicator until the data
    // layer exists; the name read from a stream waits to be resolved.
    const QString& DataField() const { return m_dataField; }
    virtual void SetDataField(const QString& value);
    TjxCommunicator* DataPipeline() const { return m_dataPipeline; }
    virtual void SetDataPipeline(TjxCommunicator* value);
    const QString& DataPipelineName() const { return m_dataPipelineName; }
    virtual bool IsDataAware() const { return false; }

    // Geometry in thousandths of a millimetre, relative to the parent band.
    int mmLeft() const { return m_mmLeft; }
    virtual void SetmmLeft(int value);
    int mmTop() const { return m_mmTop; }
    virtual void SetmmTop(int value);
    int mmWidth() const { return m_mmWidth; }
    virtual void SetmmWidth(int value);
    int mmHeight() const { return m_mmHeight; }
    virtual void SetmmHeight(int value);
    virtual void SetBounds(int left, int top, int height, int width);

    // The same geometry in screen pixels, as the designer's workspace shows it
    // (rounded to the nearest pixel both ways).
    int spLeft() const { return ToScreenPixels(m_mmLeft, axHorizontal); }
    void SetspLeft(int value);
    int spTop() const { return ToScreenPixels(m_mmTop, axVertical); }
    void SetspTop(int value);
    int spWidth() const { return ToScreenPixels(m_mmWidth, axHorizontal); }
    void SetspWidth(int value);
    int spHeight() const { return ToScreenPixels(m_mmHeight, axVertical); }
    void SetspHeight(int value);

    // The same lengths in Units.
    virtual TjxUnitType Units() const { return m_units; }
    virtual void SetUnits(TjxUnitType value) { m_units = value; }
    double Left() const;
    void SetLeft(double value);
    double Top() const;
    void SetTop(double value);
    double Width() const;
    void SetWidth(double value);
    double Height() const;
    void SetHeight(double value);

    TMethod OnPrint() const { return m_onPrint; }
    void SetOnPrint(const TMethod& value) { SetField(m_onPrint, value, "OnPrint"); }
    TMethod OnDrawCommandClick() const { return m_onDrawCommandClick; }
    void SetOnDrawCommandClick(const TMethod& value) { SetField(m_onDrawCommandClick, value, "OnDrawCommandClick"); }
    TMethod OnDrawCommandCreate() const { return m_onDrawCommandCreate; }
    void SetOnDrawCommandCreate(const TMethod& value) { SetField(m_onDrawCommandCreate, value, "OnDrawCommandCreate"); }

    // The property the designer's in-place edit changes; empty for none.
    virtual QString DesignEditProperty() const { return {}; }

    // Recomputes the size for AutoSize; the base only repaints.
    virtual void AdjustBounds() { InvalidateDesignControl(); }
    virtual void BoundsChanged() {}
    virtual void FontChanged();
    virtual void InvalidateDesignControl() {}
    // Tells the band that its layout is stale.
    virtual void LayoutChanged() {}
    // Brings values read from an older stream up to date (9.01 is 9010).
    virtual void ConvertVersion(int version);

    // ---- Generation ----
    // Print state of the current band print.
    bool ToPrint() const { return m_toPrint; }
    void SetToPrint(bool value) { m_toPrint = value; }
    bool Complete() const { return m_complete; }
    void SetComplete(bool value) { m_complete = value; }
    bool NoRoom() const { return m_noRoom; }
    void SetNoRoom(bool value) { m_noRoom = value; }
    bool OverFlow() const { return m_overFlow; }
    void SetOverFlow(bool value) { m_overFlow = value; }
    int DrawHeight() const { return m_drawHeight; }
    virtual void SetDrawHeight(int value) { m_drawHeight = value; }
    const TjxRect& PrintRect() const { return m_printRect; }
    void SetPrintRect(const TjxRect& value) { m_printRect = value; }
    // Forces the next value to print even when it repeats the prior one.
    bool RepeatReset() const { return m_repeatReset; }
    virtual void SetRepeatReset(bool value) { m_repeatReset = value; }
    // Position in the band's object list; orders the draw commands on a page.
    int IndexInBand() const { return m_indexInBand; }
    void SetIndexInBand(int value) { m_indexInBand = value; }

    virtual bool IsPrinting() const { return false; }
    // The report is generating pages (not the designer showing the component).
    virtual void SetPrinting(bool value) {}
    virtual bool IsDataAvailable() const;
    virtual bool TracksPriorValue() const { return false; }
    virtual void ResetPriorValue() {}

    // At report start.
    virtual void InitGeneration();
    // At the start of every page.
    virtual void PageStart() {}
    // Before each print of the band; a fresh band print (not an overflow
    // continuation) makes the component due to print.
    virtual void BeforeGenerate(bool freshBandPrint = true);
    // Lays the component out in its parent; growing and fixed components do this differently.
    virtual void Generate(const TjxPrintParent& parent) { m_complete = true; }
    virtual void AfterGenerate();
    // Prints again on the continuation page of an overflowing parent.
    virtual void Reprint() { m_toPrint = Visible(); }
    // Fires OnPrint and its event; a handler that makes the component visible prints it now.
    void FirePrint();
    virtual void PrintToPage(TjxPage* page);

    // The draw command class: none for the base.
    virtual std::unique_ptr<TjxDrawCommand> NewDrawCommand() const;
    // Creates, fills and adds the component's draw command to `page`; none when the class has none.
    virtual TjxDrawCommand* CreateDrawCommand(TjxPage* page);
    virtual void PropertiesToDrawCommand(TjxDrawCommand* command);
    // The viewer's click on one of the component's commands; anything else is ignored.
    virtual void DrawCommandClick(TPersistent* command);

protected:
    // The common setter: equal values do nothing; while reading only store;
    // otherwise tell the designer before and after, and the band when the
    // layout is affected. Returns whether the value changed.
    template <class V>
    bool Change(V& field, const V& value, const char* propertyName, bool affectsLayout = false)
    {
        if (field == value)
            return false;
        if (IsReadingOrLoading()) {
            field = value;
            return true;
        }
        NotifyDesignerPropertyChange(QString::fromLatin1(propertyName));
        field = value;
        AfterChange(affectsLayout);
        return true;
    }
    void AfterChange(bool affectsLayout);
    // Applies new bounds with one before-change notification.
    void ChangeBounds(int left, int top, int width, int height);
    // Sets the size a class starts with, before anyone can be told.
    void SetInitialSize(int width, int height)
    {
        m_mmWidth = width;
        m_mmHeight = height;
    }
    void SetInitialAutoSize(bool value) { m_autoSize = value; }
    void SetInitialTransparent(bool value) { m_transparent = value; }
    bool IsDesigning() const;
    bool IsWriting() const { return HasState(csWriting); }
    void StoreAlignment(TjxTextAlignment value);

    static int ToScreenPixels(int thousandths, TjxAxis axis);
    static int FromScreenPixels(int pixels, TjxAxis axis);
    // Units conversions of this component.
    double ToUnits(int thousandths, TjxAxis axis) const;
    int FromUnits(double value, TjxAxis axis) const;

    void Notify(TjxCommunicator* sender, int operation) override;
    void WriteState(QDataStream& stream) const override;
    void ReadState(QDataStream& stream) override;

    // Values of obsolete stored properties, kept for ConvertVersion.
    QString m_legacyDataField;
    QString m_legacyDataSource;

private:
    enum : uint8_t { kLeftRead = 1, kTopRead = 2, kWidthRead = 4, kHeightRead = 8 };

    void BorderChanged();
    // The bounds the stream being read held; ConvertVersion converts only those.
    uint8_t m_boundsRead = 0;

    TAlignment m_alignment = taLeftJustify;
    bool m_autoSize = false;
    std::unique_ptr<TjxBorder> m_border;
    QString m_caption;
    TColor m_color = clWhite;
    QString m_dataField;
    TjxCommunicator* m_dataPipeline = nullptr;
    QString m_dataPipelineName;
    std::unique_ptr<TFont> m_font;
    bool m_forceJustifyLastLine = false;
    int m_mmHeight;
    int m_mmLeft = 0;
    TMethod m_onDrawCommandCreate;
    TMethod m_onDrawCommandClick;
    // Held while the component lives; its draw commands' click handlers watch it.
    std::shared_ptr<const int> m_clickToken = std::make_shared<const int>(0);
    TMethod m_onPrint;
    bool m_parentHeight = false;
    bool m_parentWidth = false;
    bool m_reprintOnOverFlow = false;
    bool m_stretchWithParent = false;
    QString m_text;
    TjxTextAlignment m_textAlignment = taLeftJustified;
    int m_mmTop = 0;
    bool m_transparent = false;
    TjxUnitType m_units = utInches;
    bool m_visible = true;
    int m_mmWidth;
    bool m_wordWrap = false;

    bool m_toPrint = false;
    bool m_complete = false;
    bool m_noRoom = false;
    bool m_overFlow = false;
    int m_drawHeight = 0;
    TjxRect m_printRect;
    bool m_repeatReset = false;
    int m_indexInBand = 0;
};

} // namespace orvane
