#include "components/printable.h"

#include "document/class_registry.h"
#include "document/event_ids.h"
#include "document/stream_reader.h"
#include "document/stream_writer.h"
#include "components/text_production.h"
#include "engine/data_pipeline.h"
#include "output/draw_command.h"
#include "output/page.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace orvane {

const TTypeInfo& BorderPositionsType()
{
    static const TTypeInfo& t =
        SetType("TjxBorderPositions", EnumType("TjxBorderPosition", {"bpLeft", "bpTop", "bpRight", "bpBottom"}));
    return t;
}

const TTypeInfo& TextAlignmentType()
{
    static const TTypeInfo& t =
        EnumType("TjxTextAlignment", {"taLeftJustified", "taRightJustified", "taCentered", "taFullJustified"});
    return t;
}

// ---- TjxBorder ----

const TClassInfo& TjxBorder::StaticClass()
{
    // The receipt layouts store every value of a border, defaults included.
    using T = TjxBorder;
    static const TClassInfo info =
        TClassBuilder<T>("TjxBorder", &TPersistent::StaticClass())
            .Prop("BorderPositions", BorderPositionsType(), &T::BorderPositions, &T::SetBorderPositions).NoDefault()
            .Prop("Color", ColorType(), &T::Color, &T::SetColor).NoDefault()
            .Prop("Style", PenStyleType(), &T::Style, &T::SetStyle).NoDefault()
            .Prop("Visible", BooleanType(), &T::Visible, &T::SetVisible).NoDefault()
            .Prop("Weight", FloatType(), &T::Weight, &T::SetWeight)
            .Build();
    return info;
}

template <class V>
void TjxBorder::Store(V& field, const V& value)
{
    if (field == value)
        return;
    field = value;
    if (OnChange)
        OnChange();
}

void TjxBorder::SetBorderPositions(TjxBorderPositions value) { Store(m_borderPositions, TjxBorderPositions(value & 0xF)); }
void TjxBorder::SetColor(TColor value) { Store(m_color, value); }
void TjxBorder::SetStyle(TPenStyle value) { Store(m_style, value); }
void TjxBorder::SetVisible(bool value) { Store(m_visible, value); }

void TjxBorder::SetWeight(float value)
{
    if (!(value >= 0) || std::isinf(value))
        return;
    Store(m_weight, value);
}

bool TjxBorder::operator==(const TjxBorder& other) const
{
    return m_borderPositions == other.m_borderPositions && m_color == other.m_color && m_style == other.m_style &&
           m_visible == other.m_visible && m_weight == other.m_weight;
}

void TjxBorder::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TjxBorder*>(source);
    if (!other)
        return TPersistent::Assign(source);
    if (*this == *other)
        return;
    m_borderPositions = other->m_borderPositions;
    m_color = other->m_color;
    m_style = other->m_style;
    m_visible = other->m_visible;
    m_weight = other->m_weight;
    if (OnChange)
        OnChange();
}

// ---- TjxPrintable ----

const TClassInfo& TjxPrintable::StaticClass()
{
    using T = TjxPrintable;
    const auto never = [](const T&) { return false; };
    const auto skip = [](T&, TReader& r) { r.SkipValue(); };
    static const TClassInfo info =
        TClassBuilder<T>("TjxPrintable", &TjxCacheable::StaticClass())
            .Defined("DataPipelineName", [](T& c, TReader& r) { c.m_dataPipelineName = r.ReadString(); },
                     [](const T& c, TWriter& w) { w.WriteString(c.m_dataPipeline->Name()); },
                     [](const T& c) { return c.m_dataPipeline != nullptr; })
            .Defined("mmHeight",
                     [](T& c, TReader& r) {
                         c.SetmmHeight(r.ReadThousandths());
                         c.m_boundsRead |= kHeightRead;
                     },
                     [](const T& c, TWriter& w) { w.WriteInteger(c.m_mmHeight); }, [](const T&) { return true; })
            .Defined("mmLeft",
                     [](T& c, TReader& r) {
                         c.SetmmLeft(r.ReadThousandths());
                         c.m_boundsRead |= kLeftRead;
                     },
                     [](const T& c, TWriter& w) { w.WriteInteger(c.m_mmLeft); }, [](const T&) { return true; })
            .Defined("mmTop",
                     [](T& c, TReader& r) {
                         c.SetmmTop(r.ReadThousandths());
                         c.m_boundsRead |= kTopRead;
                     },
                     [](const T& c, TWriter& w) { w.WriteInteger(c.m_mmTop); }, [](const T&) { return true; })
            .Defined("mmWidth",
                     [](T& c, TReader& r) {
                         c.SetmmWidth(r.ReadThousandths());
                         c.m_boundsRead |= kWidthRead;
                     },
                     [](const T& c, TWriter& w) { w.WriteInteger(c.m_mmWidth); }, [](const T&) { return true; })
            // Names older streams held.
            .Defined("DataSource", [](T& c, TReader& r) { c.m_legacyDataSource = r.ReadIdent(); }, nullptr, never)
            .Defined("OnFormatText", skip, nullptr, never)
            .Defined("Region", skip, nullptr, never)
            .Defined("ReportField", [](T& c, TReader& r) { c.m_legacyDataField = r.ReadString(); }, nullptr, never)
            .Defined("ParentDataSource", skip, nullptr, never)
            .Defined("Alignment",
                     [](T& c, TReader& r) {
                         const int v = AlignmentType().EnumValue(r.ReadIdent());
                         if (v >= 0)
                             c.SetAlignment(TAlignment(v));
                     },
                     nullptr, never)
            .Build();
    return info;
}

TjxPrintable::TjxPrintable(TComponent* owner)
    : TjxCacheable(owner),
      m_border(std::make_unique<TjxBorder>()),
      m_font(std::make_unique<TFont>()),
      m_mmHeight(UnitsToThousandths(17, utScreenPixels, axVertical)),
      m_mmWidth(UnitsToThousandths(65, utScreenPixels, axHorizontal))
{
    m_border->OnChange = [this] { BorderChanged(); };
    m_font->OnChange = [this] { FontChanged(); };
}

TjxPrintable::~TjxPrintable()
{
    // The owned objects must not call back into a half-destroyed component.
    m_border->OnChange = nullptr;
    m_font->OnChange = nullptr;
}

namespace {
// A design control listening to the component hears of new bounds (113) and
// of a changed look (114).
void TellDesignControl(TjxPrintable& printable, int eventId)
{
    if (printable.DesignState() & dsDesigning)
        printable.SendEventNotify(eventId);
}
} // namespace

bool TjxPrintable::IsDesigning() const
{
    return (DesignState() & dsDesigning) || HasState(csDesigning);
}

void TjxPrintable::AfterChange(bool affectsLayout)
{
    InvalidateDesignControl();
    TellDesignControl(*this, ciComponentDesignChangeSecond);
    Modified();
    PropertyChanged();
    if (affectsLayout)
        LayoutChanged();
}

void TjxPrintable::BorderChanged()
{
    if (IsReadingOrLoading())
        return;
    AdjustBounds();
    InvalidateDesignControl();
    TellDesignControl(*this, ciComponentDesignChangeSecond);
    Modified();
    PropertyChanged();
}

void TjxPrintable::FontChanged()
{
    if (IsReadingOrLoading())
        return;
    InvalidateDesignControl();
    TellDesignControl(*this, ciComponentDesignChangeSecond);
    Modified();
    PropertyChanged();
    LayoutChanged();
}

void TjxPrintable::StoreAlignment(TjxTextAlignment value)
{
    m_textAlignment = value;
    m_alignment = value == taRightJustified ? taRightJustify : value == taCentered ? taCenter : taLeftJustify;
}

void TjxPrintable::SetAlignment(TAlignment value)
{
    SetTextAlignment(value == taRightJustify ? taRightJustified : value == taCenter ? taCentered : taLeftJustified);
}

void TjxPrintable::SetTextAlignment(TjxTextAlignment value)
{
    if (value > taFullJustified || (value == taFullJustified && !CanFullJustify()) || value == m_textAlignment)
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("TextAlignment"));
    StoreAlignment(value);
    if (!IsReadingOrLoading())
        AfterChange(true);
}

void TjxPrintable::SetAutoSize(bool value)
{
    if (Change(m_autoSize, value, "AutoSize", true) && !IsReadingOrLoading())
        AdjustBounds();
}

void TjxPrintable::SetBorder(TjxBorder* value)
{
    if (!value || *value == *m_border)
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("Border"));
    m_border->Assign(value);
}

void TjxPrintable::SetCaption(const QString& value)
{
    m_text = value;
    if (Change(m_caption, value, "Caption", true) && m_autoSize && !IsReadingOrLoading())
        AdjustBounds();
}

void TjxPrintable::SetText(const QString& value)
{
    m_text = value;
}

void TjxPrintable::SetColor(TColor value)
{
    if (UsesColor())
        Change(m_color, value, "Color");
}

void TjxPrintable::SetFont(TFont* value)
{
    if (!value || *value == *m_font)
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("Font"));
    m_font->Assign(value);
}

void TjxPrintable::SetForceJustifyLastLine(bool value)
{
    Change(m_forceJustifyLastLine, value, "ForceJustifyLastLine");
}

void TjxPrintable::SetParentHeight(bool value)
{
    Change(m_parentHeight, value, "ParentHeight", true);
}

void TjxPrintable::SetParentWidth(bool value)
{
    Change(m_parentWidth, value, "ParentWidth", true);
}

void TjxPrintable::SetReprintOnOverFlow(bool value)
{
    Change(m_reprintOnOverFlow, value, "ReprintOnOverFlow", true);
}

void TjxPrintable::SetStretchWithParent(bool value)
{
    Change(m_stretchWithParent, value, "StretchWithParent", true);
}

void TjxPrintable::SetTransparent(bool value)
{
    Change(m_transparent, value, "Transparent");
}

void TjxPrintable::SetVisible(bool value)
{
    Change(m_visible, value, "Visible", true);
}

void TjxPrintable::SetWordWrap(bool value)
{
    if (Change(m_wordWrap, value, "WordWrap", true) && !IsReadingOrLoading())
        AdjustBounds();
}

void TjxPrintable::SetBackground(TColor color, bool transparent)
{
    SetTransparent(transparent);
    if (!transparent)
        SetColor(color);
}

void TjxPrintable::SetFontColor(TColor color)
{
    if (!UsesFontColor() || m_font->Color() == color)
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("Font.Color"));
    m_font->SetColor(color);
}

void TjxPrintable::SetDataField(const QString& value)
{
    if (IsDataAware())
        Change(m_dataField, value, "DataField", true);
}

void TjxPrintable::SetDataPipeline(TjxCommunicator* value)
{
    if (value == m_dataPipeline)
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("DataPipeline"));
    if (m_dataPipeline)
        RemoveNotify(m_dataPipeline);
    m_dataPipeline = value;
    if (value) {
        AddNotify(value);
        m_dataPipelineName = value->Name();
    } else if (!IsReadingOrLoading()) {
        // Taken off its pipeline: the name must not bring it back on the next load.
        m_dataPipelineName.clear();
    }
    if (!IsReadingOrLoading() && !HasState(csDestroying)) {
        SendNotify(ntDataChanged);
        AfterChange(true);
        NotifyDesigner(dnDataPipelineChanged, kDesignerNotifyCode, this);
    }
}

void TjxPrintable::Notify(TjxCommunicator* sender, int operation)
{
    if (sender == m_dataPipeline && operation == ntDestroying)
        m_dataPipeline = nullptr;
    TjxCacheable::Notify(sender, operation);
}

void TjxPrintable::ChangeBounds(int left, int top, int width, int height)
{
    if (left == m_mmLeft && top == m_mmTop && width == m_mmWidth && height == m_mmHeight)
        return;
    if (IsReadingOrLoading()) {
        m_mmLeft = left;
        m_mmTop = top;
        m_mmWidth = width;
        m_mmHeight = height;
        return;
    }
    const bool moved = left != m_mmLeft || top != m_mmTop;
    NotifyDesignerPropertyChange(moved ? QStringLiteral("MoveBounds") : QStringLiteral("ResizeBounds"));
    m_mmLeft = left;
    m_mmTop = top;
    m_mmWidth = width;
    m_mmHeight = height;
    BoundsChanged();
    TellDesignControl(*this, ciComponentDesignChangeFirst);
    AfterChange(true);
}

void TjxPrintable::SetmmLeft(int value) { ChangeBounds(value, m_mmTop, m_mmWidth, m_mmHeight); }
void TjxPrintable::SetmmTop(int value) { ChangeBounds(m_mmLeft, value, m_mmWidth, m_mmHeight); }
void TjxPrintable::SetmmWidth(int value) { ChangeBounds(m_mmLeft, m_mmTop, value, m_mmHeight); }
void TjxPrintable::SetmmHeight(int value) { ChangeBounds(m_mmLeft, m_mmTop, m_mmWidth, value); }

void TjxPrintable::SetBounds(int left, int top, int height, int width)
{
    ChangeBounds(left, top, width, height);
}

int TjxPrintable::ToScreenPixels(int thousandths, TjxAxis axis)
{
    return int(Truncate(ThousandthsToUnits(thousandths, utScreenPixels, axis)));
}

int TjxPrintable::FromScreenPixels(int pixels, TjxAxis axis)
{
    return UnitsToThousandths(float(pixels), utScreenPixels, axis);
}

void TjxPrintable::SetspLeft(int value) { SetmmLeft(FromScreenPixels(value, axHorizontal)); }
void TjxPrintable::SetspTop(int value) { SetmmTop(FromScreenPixels(value, axVertical)); }
void TjxPrintable::SetspWidth(int value) { SetmmWidth(FromScreenPixels(value, axHorizontal)); }
void TjxPrintable::SetspHeight(int value) { SetmmHeight(FromScreenPixels(value, axVertical)); }

double TjxPrintable::ToUnits(int thousandths, TjxAxis axis) const
{
    return double(ThousandthsToUnits(thousandths, Units(), axis));
}

int TjxPrintable::FromUnits(double value, TjxAxis axis) const
{
    return UnitsToThousandths(float(value), Units(), axis);
}

// Older streams held these lengths as floats in their own units; they are kept
// as read (truncated) and converted by ConvertVersion.
double TjxPrintable::Left() const { return ToUnits(m_mmLeft, axHorizontal); }
double TjxPrintable::Top() const { return ToUnits(m_mmTop, axVertical); }
double TjxPrintable::Width() const { return ToUnits(m_mmWidth, axHorizontal); }
double TjxPrintable::Height() const { return ToUnits(m_mmHeight, axVertical); }

void TjxPrintable::SetLeft(double value)
{
    if (IsReadingOrLoading()) {
        m_mmLeft = ClampStoredLength(Truncate(value));
        m_boundsRead |= kLeftRead;
    } else {
        SetmmLeft(FromUnits(value, axHorizontal));
    }
}

void TjxPrintable::SetTop(double value)
{
    if (IsReadingOrLoading()) {
        m_mmTop = ClampStoredLength(Truncate(value));
        m_boundsRead |= kTopRead;
    } else {
        SetmmTop(FromUnits(value, axVertical));
    }
}

void TjxPrintable::SetWidth(double value)
{
    if (IsReadingOrLoading()) {
        m_mmWidth = ClampStoredLength(Truncate(value));
        m_boundsRead |= kWidthRead;
    } else {
        SetmmWidth(FromUnits(value, axHorizontal));
    }
}

void TjxPrintable::SetHeight(double value)
{
    if (IsReadingOrLoading()) {
        m_mmHeight = ClampStoredLength(Truncate(value));
        m_boundsRead |= kHeightRead;
    } else {
        SetmmHeight(FromUnits(value, axVertical));
    }
}

void TjxPrintable::ConvertVersion(int version)
{
    if (version < 1270 && m_dataField.isEmpty() && !m_legacyDataField.isEmpty())
        m_dataField = m_legacyDataField;
    if (version <= 2096) {
        // Bounds the stream held were screen pixels; defaults are thousandths.
        const auto convert = [this](int& value, uint8_t bit, TjxAxis axis) {
            if (m_boundsRead & bit)
                value = ClampStoredLength(UnitsToThousandths(float(value), utScreenPixels, axis));
        };
        convert(m_mmLeft, kLeftRead, axHorizontal);
        convert(m_mmTop, kTopRead, axVertical);
        convert(m_mmWidth, kWidthRead, axHorizontal);
        convert(m_mmHeight, kHeightRead, axVertical);
    }
    m_boundsRead = 0;
    if (version < 3530 && !Name().isEmpty())
        SetUserName(Name());
    m_legacyDataField.clear();
}

// ---- Generation ----

bool TjxPrintable::IsDataAvailable() const
{
    return AvailableDataPipeline(*this, IsPrinting()) != nullptr;
}

void TjxPrintable::InitGeneration()
{
    m_overFlow = false;
    if (TracksPriorValue())
        ResetPriorValue();
}

void TjxPrintable::BeforeGenerate(bool freshBandPrint)
{
    m_complete = false;
    m_drawHeight = 0;
    m_noRoom = false;
    if (freshBandPrint)
        m_toPrint = true;
}

void TjxPrintable::AfterGenerate()
{
    if (m_complete)
        m_toPrint = false;
}

void TjxPrintable::FirePrint()
{
    const bool wasVisible = Visible();
    TjxEventParams params;
    m_onPrint(this, params);
    SendEventNotify(ciComponentPrint);
    if (!wasVisible && Visible() && !m_toPrint)
        m_toPrint = true;
}

std::unique_ptr<TjxDrawCommand> TjxPrintable::NewDrawCommand() const
{
    return nullptr;
}

void TjxPrintable::PrintToPage(TjxPage* page)
{
    if (m_toPrint && Visible())
        CreateDrawCommand(page);
}

TjxDrawCommand* TjxPrintable::CreateDrawCommand(TjxPage* page)
{
    std::unique_ptr<TjxDrawCommand> command = NewDrawCommand();
    if (!command)
        return nullptr;
    PropertiesToDrawCommand(command.get());
    if (m_onDrawCommandClick.IsAssigned() || HasEventListener(ciComponentDrawCommandClick)) {
        command->SetClickable(true);
        // Pages outlive the components that made them (a preview kept open
        // while the template is loaded again): a click finds nobody then.
        command->SetClickHandler([this, alive = std::weak_ptr<const int>(m_clickToken)](TjxDrawCommand* clicked) {
            if (alive.lock())
                DrawCommandClick(clicked);
        });
    }
    // The command belongs to nobody until the page takes it, so a handler that
    // throws leaves nothing behind.
    TjxEventParams params{{QStringLiteral("aDrawCommand"), QVariant::fromValue<TPersistent*>(command.get()), false}};
    m_onDrawCommandCreate(this, params);
    TjxDrawCommand* added = command.get();
    if (page)
        page->AddDrawCommand(command.release());
    SendEventNotify(ciComponentDrawCommandCreate, &params);
    // Without a page the caller had nowhere to keep it.
    return page ? added : nullptr;
}

void TjxPrintable::PropertiesToDrawCommand(TjxDrawCommand* command)
{
    command->SetTag(Tag());
    command->SetBorder(Border());
    command->SetBounds(m_printRect.left, m_printRect.top, m_printRect.Width(), m_drawHeight);
    if (TjxDataPipeline* pipeline = AvailableDataPipeline(*this, IsPrinting()))
        command->SetDataType(pipeline->GetFieldDataType(DataField()));
}

void TjxPrintable::DrawCommandClick(TPersistent* command)
{
    if (!dynamic_cast<TjxDrawCommand*>(command))
        return;
    TjxEventParams params{{QStringLiteral("aDrawCommand"), QVariant::fromValue<TPersistent*>(command), false}};
    m_onDrawCommandClick(this, params);
    SendEventNotify(ciComponentDrawCommandClick, &params);
}

void TjxPrintable::WriteState(QDataStream& stream) const
{
    stream << m_toPrint << m_complete << m_noRoom << m_overFlow << qint32(m_drawHeight) << qint32(m_printRect.left)
           << qint32(m_printRect.top) << qint32(m_printRect.right) << qint32(m_printRect.bottom) << m_repeatReset;
}

void TjxPrintable::ReadState(QDataStream& stream)
{
    qint32 drawHeight = 0, left = 0, top = 0, right = 0, bottom = 0;
    stream >> m_toPrint >> m_complete >> m_noRoom >> m_overFlow >> drawHeight >> left >> top >> right >> bottom
        >> m_repeatReset;
    m_drawHeight = drawHeight;
    m_printRect = {left, top, right, bottom};
}

} // namespace orvane
