#include "components/custom_text.h"
#include "output/draw_text.h"
#include "components/display_format.h"
#include "components/text_production.h"

#include "document/band.h"
#include "document/method.h"
#include "document/stream_reader.h"
#include "document/stream_writer.h"

#include <algorithm>
#include <limits>

namespace orvane {

const TClassInfo& TjxCustomText::StaticClass()
{
    using T = TjxCustomText;
    using P = TjxPublish<T>;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TjxCustomText", &TjxCustomComponent::StaticClass());
        P::Base(b);
        b.Prop("Angle", IntegerType(), &T::Angle, &T::SetAngle).Default(0);
        b.Prop("CharWrap", BooleanType(), &T::CharWrap, &T::SetCharWrap).Default(0);
        b.Prop("OnGetText", MethodType(), &T::OnGetText, &T::SetOnGetText);
        P::ReprintOnOverFlow(b);
        b.Prop("Save", BooleanType(), &T::Save, &T::SetSave).Default(0);
        b.Prop("SaveLength", IntegerType(), &T::SaveLength, &T::SetSaveLength).Default(0);
        b.Prop("SaveOrder", IntegerType(), &T::SaveOrder, &T::SetSaveOrder).Default(-1);
        // The origin of rotated text only means something for rotated text.
        b.Defined("RotatedOriginLeft", [](T& c, TReader& r) { c.m_rotatedOriginLeft = r.ReadThousandths(); },
                  [](const T& c, TWriter& w) { w.WriteInteger(c.m_rotatedOriginLeft); },
                  [](const T& c) { return c.m_angle != 0; });
        b.Defined("RotatedOriginTop", [](T& c, TReader& r) { c.m_rotatedOriginTop = r.ReadThousandths(); },
                  [](const T& c, TWriter& w) { w.WriteInteger(c.m_rotatedOriginTop); },
                  [](const T& c) { return c.m_angle != 0; });
        b.Defined("OnSave", [](T& c, TReader& r) { c.m_legacySaveHandlerName = r.ReadIdent(); }, nullptr,
                  [](const T&) { return false; });
        return b.Build();
    }();
    return info;
}

TjxCustomText::TjxCustomText(TComponent* owner) : TjxCustomComponent(owner)
{
    SetInitialAutoSize(true);
}

void TjxCustomText::SetAngle(int value)
{
    if (value >= -359 && value <= -1)
        value += 360;
    else if (value < 0 || value > 359)
        return;
    if (!Change(m_angle, value, "Angle", true))
        return;
    if (value != 0)
        TjxCustomComponent::SetWordWrap(false);
    if (!IsReadingOrLoading())
        AdjustBounds();
}

void TjxCustomText::SetWordWrap(bool value)
{
    TjxCustomComponent::SetWordWrap(m_angle != 0 ? false : value);
}

void TjxCustomText::SetCaption(const QString& value)
{
    const bool changed = value != Caption();
    TjxCustomComponent::SetCaption(value);
    if (changed && !AutoSize() && m_angle != 0 && !IsReadingOrLoading())
        AdjustBounds();
}

void TjxCustomText::FontChanged()
{
    TjxCustomComponent::FontChanged();
    if (!IsReadingOrLoading())
        AdjustBounds();
}

void TjxCustomText::SetCharWrap(bool value)
{
    // The layout of a running report must not change under it.
    if (m_printing)
        return;
    if (Change(m_charWrap, value, "CharWrap", true) && !IsReadingOrLoading())
        AdjustBounds();
}

void TjxCustomText::SetDisplayFormat(const QString& value)
{
    Change(m_displayFormat, value, "DisplayFormat", true);
}

void TjxCustomText::SetRotatedOrigin(int left, int top)
{
    m_rotatedOriginLeft = left;
    m_rotatedOriginTop = top;
}

std::vector<TjxCustomText*> SavedComponents(const TjxBand* band)
{
    std::vector<TjxCustomText*> list;
    if (!band)
        return list;
    for (int i = 0; i < band->ComponentCount(); ++i)
        if (auto* text = dynamic_cast<TjxCustomText*>(band->Components(i)); text && text->Save())
            list.push_back(text);
    // Orders from older streams may repeat or leave gaps: equal ones keep drawing order.
    std::stable_sort(list.begin(), list.end(),
                     [](const TjxCustomText* a, const TjxCustomText* b) { return a->SaveOrder() < b->SaveOrder(); });
    return list;
}

void TjxCustomText::Renumber(const std::vector<TjxCustomText*>& list)
{
    for (int i = 0; i < int(list.size()); ++i)
        list[i]->SetSaveIndex(i);
}

void TjxCustomText::SetSaveIndex(int index)
{
    Change(m_saveOrder, int16_t(index), "SaveOrder");
}

void TjxCustomText::SetSave(bool value)
{
    if (!Change(m_save, value, "Save") || IsReadingOrLoading())
        return;
    std::vector<TjxCustomText*> list = SavedComponents(Band());
    std::erase(list, this);
    if (value)
        list.push_back(this);
    else
        SetSaveIndex(-1);
    Renumber(list);
}

void TjxCustomText::SetSaveLength(int value)
{
    Change(m_saveLength, value, "SaveLength");
}

void TjxCustomText::SetSaveOrder(int value)
{
    // The order is a 16-bit number; a stream's value is only recorded.
    value = std::clamp(value, int(std::numeric_limits<int16_t>::min()), int(std::numeric_limits<int16_t>::max()));
    if (IsReadingOrLoading()) {
        Change(m_saveOrder, int16_t(value), "SaveOrder");
        return;
    }
    value = std::max(value, 0);
    TjxBand* band = Band();
    if (!m_save || !band) {
        SetSaveIndex(value);
        return;
    }
    std::vector<TjxCustomText*> list = SavedComponents(band);
    std::erase(list, this);
    list.insert(list.begin() + std::min(value, int(list.size())), this);
    Renumber(list);
}

void TjxCustomText::BandChanged()
{
    TjxCustomComponent::BandChanged();
    // A saved text moved to another band joins the end of that band's list.
    if (!m_save || IsReadingOrLoading() || !Band())
        return;
    std::vector<TjxCustomText*> list = SavedComponents(Band());
    std::erase(list, this);
    list.push_back(this);
    Renumber(list);
}

QString TjxCustomText::GetText()
{
    QString text = FormattedText();
    if (IsReadingOrLoading() || (IsDesigning() && !m_printing))
        return text;
    TjxEventParams params{{QStringLiteral("Text"), text, true}};
    m_onGetText(this, params);
    SendEventNotify(ciTextGetText, &params);
    return params.Value(u"Text").toString();
}

QStringList TjxCustomText::WrappedText(const TjxRect& rect, TjxCustomPrinter* printer)
{
    QStringList lines;
    int position = 0;
    WrapText(GetText(), rect, lines, position, printer, {}, 0, m_charWrap, *Font(), AutoSize(), TextAlignment(),
             TextMeasurer());
    return lines;
}

void TjxCustomText::MeasureText(const QString& text, double& width, double& height)
{
    // Unwrapped text breaks only at its line breaks: a box too wide to wrap anything.
    constexpr int kUnbounded = 1 << 29;
    const TjxRect rect{0, 0, WordWrap() ? mmWidth() : kUnbounded, kUnbounded};
    QStringList lines;
    int position = 0;
    const TTextMeasurer& measurer = TextMeasurer();
    const TjxWrapMetrics metrics =
        WrapText(text, rect, lines, position, nullptr, {}, 0, m_charWrap, *Font(), false, TextAlignment(), measurer);
    width = metrics.widestLine;
    // An empty text is still one line high.
    const int lineCount = std::max<int>(1, int(lines.size()));
    height = UnitsToThousandths(float(lineCount * measurer.LineHeight(*Font(), kScreenPixelsPerInch)),
                                utScreenPixels, axVertical);
}

void TjxCustomText::AdjustRotatedBounds(const QString& text)
{
    const TjxRect box{mmLeft(), mmTop(), mmLeft() + mmWidth(), mmTop() + mmHeight()};
    const TjxRotatedText rotated =
        SizeRotatedText(text, box, *Border(), TextAlignment(), AutoSize(), m_angle, *Font(), TextMeasurer());
    if (AutoSize() && !(rotated.box == box))
        SetBounds(rotated.box.left, rotated.box.top, rotated.box.Height(), rotated.box.Width());
    SetRotatedOrigin(rotated.originLeft, rotated.originTop);
}

void TjxCustomText::AdjustBounds()
{
    TjxCustomComponent::AdjustBounds();
    if (IsDesigning())
        SizeToText();
}

void TjxCustomText::SizeToText()
{
    if (IsReadingOrLoading())
        return;
    const QString text = Caption();
    if (m_angle != 0) {
        AdjustRotatedBounds(text);
        return;
    }
    if (m_printing || (!AutoSize() && WordWrap()))
        return;

    double measuredWidth = 0, measuredHeight = 0;
    MeasureText(text, measuredWidth, measuredHeight);
    const TjxBorder& border = *Border();
    const int b = border.Visible() ? UnitsToThousandths(border.Weight() * kScreenPixelsPerInch / 72.0f, utScreenPixels)
                                   : 0;

    if (!AutoSize()) {
        const int height = border.Visible() ? mmHeight() : int(measuredHeight);
        SetBounds(mmLeft(), mmTop(), height, mmWidth());
        return;
    }

    const int lines = [&](TjxBorderPosition a, TjxBorderPosition c) {
        return (border.HasPosition(a) ? 1 : 0) + (border.HasPosition(c) ? 1 : 0);
    }(bpTop, bpBottom);
    const int columns = (border.HasPosition(bpLeft) ? 1 : 0) + (border.HasPosition(bpRight) ? 1 : 0);
    const int height = int(measuredHeight) + lines * b;
    const int width = int(measuredWidth) + columns * b;

    // A border line added or removed would otherwise move a right-aligned box left.
    const bool bordersChanged = border.BorderPositions() != m_sizedBorderPositions;
    m_sizedBorderPositions = border.BorderPositions();
    int left = mmLeft();
    switch (Alignment()) {
    case taLeftJustify:
        break;
    case taRightJustify:
        if (!bordersChanged)
            left = mmLeft() + (mmWidth() - width);
        break;
    case taCenter:
        left = mmLeft() + (mmWidth() - width) / 2;
        break;
    }
    SetBounds(left, mmTop(), height, width);
}

std::unique_ptr<TjxDrawCommand> TjxCustomText::NewDrawCommand() const
{
    return std::make_unique<TjxDrawText>();
}

void TjxCustomText::PropertiesToDrawCommand(TjxDrawCommand* command)
{
    TjxCustomComponent::PropertiesToDrawCommand(command);
    auto* draw = dynamic_cast<TjxDrawText*>(command);
    if (!draw)
        return;
    // OnGetText fires once per command.
    const QString text = GetText();
    draw->SetText(text);
    draw->SetAngle(m_angle);
    draw->SetAutoSize(AutoSize());
    draw->SetColor(Color());
    draw->SetFont(Font());
    draw->SetForceJustifyLastLine(ForceJustifyLastLine());
    draw->SetTextAlignment(TextAlignment());
    draw->SetTransparent(Transparent());
    draw->SetRotatedOriginLeft(m_rotatedOriginLeft);
    draw->SetRotatedOriginTop(m_rotatedOriginTop);
    draw->SetTextComponent(this);
    draw->SetComponentSave(m_save);
    draw->SetComponentSaveNo(m_saveOrder);
    draw->SetSaveLength(m_saveLength);
    // A rotated text does not wrap.
    const bool wrap = WordWrap() && m_angle == 0;
    draw->SetWordWrap(wrap);
    if (wrap) {
        QStringList lines;
        int position = 0;
        WrapText(text, PrintRect(), lines, position, nullptr, {}, 0, m_charWrap, *Font(), AutoSize(), TextAlignment(),
                 TextMeasurer());
        TStrings wrapped;
        wrapped.SetLines(lines);
        draw->SetWrappedText(&wrapped);
    }
}

QString TjxCustomText::FormatOrEmpty(const TVarValue& value, TjxDataType dataType, const QString& displayFormat)
{
    try {
        return FormatDisplayValue(value, dataType, displayFormat);
    } catch (const std::exception&) {
        return {};
    }
}

QString TjxCustomText::ApplyFormatHandler(const TMethod& handler, const QString& text, TjxDataType dataType,
                                          const TVarValue& value)
{
    if (!handler.IsAssigned())
        return text;
    TjxEventParams params{{QStringLiteral("DisplayFormat"), DisplayFormat(), false},
                          {QStringLiteral("DataType"), int(dataType), false},
                          {QStringLiteral("Value"), VarValueToVariant(value), false},
                          {QStringLiteral("Text"), text, true}};
    handler(this, params);
    return params.Value(u"Text").toString();
}

void TjxCustomText::RefreshCaption()
{
    if (IsReadingOrLoading() || IsPrinting())
        return;
    TjxCustomText::SetCaption(GetText());
}

} // namespace orvane
