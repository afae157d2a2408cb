#include "output/draw_text.h"

#include "components/text_layout.h"
#include "document/class_registry.h"
#include "document/stream_reader.h"
#include "document/stream_writer.h"
#include "document/units.h"
#include "platform/canvas.h"

#include <charconv>

namespace orvane {

const TClassInfo& TjxDrawText::StaticClass()
{
    using T = TjxDrawText;
    const auto rotated = [](const T& c) { return c.m_angle != 0; };
    static const TClassInfo info =
        TClassBuilder<T>("TjxDrawText", &TjxDrawCommand::StaticClass())
            .Creatable()
            .Prop("Angle", IntegerType(), &T::Angle, &T::SetAngle)
            .Prop("AutoSize", BooleanType(), &T::AutoSize, &T::SetAutoSize).Default(0)
            .Prop("Color", ColorType(), &T::Color, &T::SetColor).Default(clWhite)
            .Prop("Font", ClassType(), &T::Font, &T::SetFont)
            .Prop("ForceJustifyLastLine", BooleanType(), &T::ForceJustifyLastLine, &T::SetForceJustifyLastLine)
            .Default(0)
            .Prop("IsMemo", BooleanType(), &T::IsMemo, &T::SetIsMemo).Default(0)
            .Prop("Leading", IntegerType(), &T::Leading, &T::SetLeading).Default(0)
            .Prop("TabStopPositions", ClassType(), &T::TabStopPositions, &T::SetTabStopPositions)
            .Prop("Text", StringType(), &T::Text, &T::SetText)
            .Prop("TextAlignment", TextAlignmentType(), &T::TextAlignment, &T::SetTextAlignment)
            .Default(taLeftJustified)
            .Prop("Transparent", BooleanType(), &T::Transparent, &T::SetTransparent).Default(0)
            .Prop("WordWrap", BooleanType(), &T::WordWrap, &T::SetWordWrap).Default(0)
            .Prop("WrappedText", ClassType(), &T::WrappedText, &T::SetWrappedText)
            .Prop("BandSave", BooleanType(), &T::BandSave, &T::SetBandSave).Default(0)
            .Prop("BandSaveNo", IntegerType(), &T::BandSaveNo, &T::SetBandSaveNo).Default(0)
            .Prop("ComponentSave", BooleanType(), &T::ComponentSave, &T::SetComponentSave).Default(0)
            .Prop("ComponentSaveNo", IntegerType(), &T::ComponentSaveNo, &T::SetComponentSaveNo).Default(0)
            .Prop("SaveLength", IntegerType(), &T::SaveLength, &T::SetSaveLength).Default(0)
            // Older streams kept a two-state alignment.
            .Defined(
                "Alignment",
                [](T& c, TReader& r) {
                    const QString ident = r.ReadIdent();
                    if (ident.compare(u"taCenter", Qt::CaseInsensitive) == 0)
                        c.SetAlignment(taCenter);
                    else if (ident.compare(u"taRightJustify", Qt::CaseInsensitive) == 0)
                        c.SetAlignment(taRightJustify);
                    else if (ident.compare(u"taLeftJustify", Qt::CaseInsensitive) == 0)
                        c.SetAlignment(taLeftJustify);
                },
                nullptr, [](const T&) { return false; })
            .Defined("RotatedOriginLeft", [](T& c, TReader& r) { c.m_rotatedOriginLeft = r.ReadThousandths(); },
                     [](const T& c, TWriter& w) { w.WriteInteger(c.m_rotatedOriginLeft); }, rotated)
            .Defined("RotatedOriginTop", [](T& c, TReader& r) { c.m_rotatedOriginTop = r.ReadThousandths(); },
                     [](const T& c, TWriter& w) { w.WriteInteger(c.m_rotatedOriginTop); }, rotated)
            .Build();
    return info;
}

TjxDrawText::TjxDrawText(TComponent* owner)
    : TjxDrawCommand(owner),
      m_font(std::make_unique<TFont>()),
      m_tabStopPositions(std::make_unique<TStrings>()),
      m_wrappedText(std::make_unique<TStrings>())
{
}

TjxDrawText::~TjxDrawText() = default;

void TjxDrawText::SetTextAlignment(TjxTextAlignment value)
{
    m_textAlignment = value;
    m_alignment = value == taRightJustified ? taRightJustify : value == taCentered ? taCenter : taLeftJustify;
}

void TjxDrawText::SetAlignment(TAlignment value)
{
    m_alignment = value;
    m_textAlignment = TjxTextAlignment(value);
}

QString TjxDrawText::SaveKey() const
{
    return QStringLiteral("%1%2").arg(m_bandSaveNo, 8).arg(m_componentSaveNo, 8);
}

bool TjxDrawText::IsSameAs(const TjxDrawCommand* other) const
{
    const auto* o = dynamic_cast<const TjxDrawText*>(other);
    return o && TjxDrawCommand::IsSameAs(other) && m_alignment == o->m_alignment &&
           m_textAlignment == o->m_textAlignment && m_forceJustifyLastLine == o->m_forceJustifyLastLine &&
           m_autoSize == o->m_autoSize && m_color == o->m_color && m_font->Name() == o->m_font->Name() &&
           m_font->Size() == o->m_font->Size() && m_font->Style() == o->m_font->Style() &&
           m_isMemo == o->m_isMemo && m_leading == o->m_leading && m_saveLength == o->m_saveLength &&
           m_text == o->m_text && m_transparent == o->m_transparent &&
           m_tabStopPositions->Text() == o->m_tabStopPositions->Text() && m_wordWrap == o->m_wordWrap &&
           m_wrappedText->Text() == o->m_wrappedText->Text();
}

void TjxDrawText::Assign(const TPersistent* source)
{
    TjxDrawCommand::Assign(source);
    const auto* o = dynamic_cast<const TjxDrawText*>(source);
    if (!o)
        return;
    m_angle = o->m_angle;
    m_autoSize = o->m_autoSize;
    m_color = o->m_color;
    m_font->Assign(o->m_font.get());
    m_forceJustifyLastLine = o->m_forceJustifyLastLine;
    m_isMemo = o->m_isMemo;
    m_leading = o->m_leading;
    m_tabStopPositions->Assign(o->m_tabStopPositions.get());
    m_text = o->m_text;
    m_textAlignment = o->m_textAlignment;
    m_transparent = o->m_transparent;
    m_wordWrap = o->m_wordWrap;
    m_wrappedText->Assign(o->m_wrappedText.get());
    m_bandSave = o->m_bandSave;
    m_bandSaveNo = o->m_bandSaveNo;
    m_componentSave = o->m_componentSave;
    m_componentSaveNo = o->m_componentSaveNo;
    m_saveLength = o->m_saveLength;
    m_alignment = o->m_alignment;
    m_rotatedOriginLeft = o->m_rotatedOriginLeft;
    m_rotatedOriginTop = o->m_rotatedOriginTop;
    m_screenFontHeight = o->m_screenFontHeight;
    m_screenLineHeight = o->m_screenLineHeight;
    m_screenRectWidth = o->m_screenRectWidth;
    m_textComponent = o->m_textComponent;
}

bool TjxDrawText::Draw(TjxCanvas& canvas)
{
    if (m_angle != 0)
        DrawRotated(canvas);
    else
        DrawHorizontal(canvas);
    return true;
}

namespace {

std::vector<int> DeviceTabStops(const TjxCanvas& canvas, const TStrings& stops)
{
    std::vector<int> result;
    for (const QString& line : stops.Lines()) {
        const QByteArray digits = line.trimmed().toLatin1();
        int th = 0;
        const auto [ptr, ec] = std::from_chars(digits.constData(), digits.constData() + digits.size(), th);
        if (ec != std::errc() || ptr != digits.constData() + digits.size())
            continue;
        result.push_back(canvas.ScaledPixelsX(th));
        if (int(result.size()) == kMaxTabStops)
            break;
    }
    return result;
}

int RoundPx(double v) { return int(RoundHalfEven(static_cast<long double>(v))); }

} // namespace

void TjxDrawText::DrawHorizontal(TjxCanvas& canvas)
{
    const TjxBorder& border = *Border();
    std::vector<int> tabStops;
    if (m_isMemo && m_tabStopPositions->Count() > 0)
        tabStops = DeviceTabStops(canvas, *m_tabStopPositions);

    canvas.SetFont(*m_font);
    // On the screen the leading follows the zoom as every other length does,
    // so that memo lines keep their spacing at large zooms.
    int leading = m_isMemo ? canvas.ScaledPixelsY(m_leading) : 0;
    const auto currentLineHeight = [&] {
        return (m_isMemo ? leading : RoundPx(canvas.ExternalLeading())) + RoundPx(canvas.TextHeight());
    };
    int lineHeight = currentLineHeight();
    const int hb = canvas.ThicknessX(border.Weight());
    const int vb = canvas.ThicknessY(border.Weight());
    const bool bordered = border.Visible();
    const bool left = bordered && border.HasPosition(bpLeft), right = bordered && border.HasPosition(bpRight);
    const bool top = bordered && border.HasPosition(bpTop), bottom = bordered && border.HasPosition(bpBottom);

    TjxDeviceRect r = DeviceRect();
    if (m_autoSize && !m_wordWrap && !m_text.isEmpty())
        r.bottom = std::max(r.bottom, r.top + lineHeight);

    QStringList lines;
    if (m_wordWrap)
        lines = m_wrappedText->Lines();
    else if (!m_text.isEmpty())
        lines.append(m_text);

    const auto lineWidth = [&](const QString& line) {
        return m_isMemo ? canvas.TabbedTextWidth(line, tabStops) : canvas.TextWidth(line);
    };

    // The screen fits a memo of several lines into its rectangle at any zoom.
    qsizetype lastLine = lines.size() - 1;
    bool clamped = false;
    if (canvas.IsScreen() && m_isMemo && lines.size() > 1) {
        const auto smaller = [&canvas] {
            const int h = canvas.FontHeight();
            canvas.SetFontHeight(h < 0 ? h + 1 : h - 1);
        };
        for (const QString& line : lines) {
            if (std::abs(canvas.FontHeight()) < 2)
                break;
            QString measured = line;
            measured.remove(TjxTextMarkup::ParagraphEnd.toString());
            if (lineWidth(measured) > r.Width())
                smaller();
        }
        lineHeight = currentLineHeight();
        const int n = int(lines.size());
        const int R = r.Height();
        const int ideal = RoundPx(double(R) / n);
        if (lineHeight > 0 && std::abs(ideal - lineHeight) / double(lineHeight) <= 0.1) {
            lineHeight = ideal;
        } else {
            while (R / n < lineHeight && std::abs(canvas.FontHeight()) > 1) {
                if (leading >= 1)
                    --leading;
                else
                    smaller();
                lineHeight = currentLineHeight();
            }
        }
        if (lineHeight > 0 && qsizetype(n) * lineHeight > R)
            lastLine = std::min<qsizetype>(lastLine, R / lineHeight);
        if (std::abs(canvas.FontHeight()) < 1) {
            canvas.SetFontHeight(canvas.FontHeight() < 0 ? -1 : 1);
            clamped = true;
        }
    }

    if (m_autoSize && !lines.isEmpty()) {
        double widest = 0;
        for (const QString& line : lines)
            widest = std::max(widest, lineWidth(line));
        const int w = RoundPx(widest) + (left ? hb : 0) + (right ? hb : 0);
        if (w != r.Width()) {
            if (m_alignment == taRightJustify)
                r.left = r.right - w;
            else if (m_alignment == taCenter) {
                r.left = r.left + RoundPx((r.Width() - w) / 2.0);
                r.right = r.left + w;
            } else
                r.right = r.left + w;
        }
    }

    if (!m_transparent && !lines.isEmpty() && r.Width() > 0 && r.Height() > 0)
        canvas.FillRect(QRect(r.left, r.top, r.Width(), r.Height()), m_color);
    TjxDeviceRect clip = r;
    if (bordered)
        clip.bottom += vb;

    canvas.SetBrush(clWhite, bsClear);
    for (qsizetype i = 0; i <= lastLine; ++i) {
        QString line = lines[i];
        const int y = r.top + int(i) * lineHeight + (top ? vb : 0);
        int x = r.left;
        TjxLineJustification justification;
        switch (m_textAlignment) {
        case taLeftJustified:
            x = r.left + (left ? hb : 0);
            break;
        case taRightJustified:
            x = r.right - RoundPx(lineWidth(line)) - (right ? hb : 0);
            break;
        case taCentered:
            x = r.left + RoundPx((r.Width() - lineWidth(line)) / 2.0 - 0.5);
            break;
        case taFullJustified: {
            const bool endsParagraph = line.contains(TjxTextMarkup::ParagraphEnd);
            const bool oneWord = !line.trimmed().contains(u' ');
            if ((endsParagraph && !m_forceJustifyLastLine) || (endsParagraph && oneWord)) {
                line.remove(TjxTextMarkup::ParagraphEnd.toString());
            } else {
                line.remove(TjxTextMarkup::ParagraphEnd.toString());
                const int width = r.Width() - (left ? hb : 0) - (right ? hb : 0);
                justification =
                    JustifyLine(canvas.Measurer(), canvas.Font(), canvas.FontDpi(), width, tabStops, line);
            }
            x = r.left + (bordered ? hb : 0);
            break;
        }
        }
        if (m_isMemo && !justification.Active() && !clamped) {
            canvas.SaveState();
            canvas.IntersectClip(QRect(clip.left, clip.top, clip.Width(), clip.Height()));
            canvas.TabbedText(x, y, line, tabStops, x);
            canvas.RestoreState();
        } else {
            const QRect lineClip(QPoint(r.left, r.top + int(i) * lineHeight),
                                 QPoint(clip.right - 1, clip.bottom - 1));
            canvas.JustifiedTextRect(lineClip, x, y, line, justification.leadingSpaces, justification.breakCount,
                                     justification.extra);
        }
    }

    if (m_autoSize && !lines.isEmpty()) {
        TjxDeviceRect d = DeviceRect();
        d.left = r.left;
        d.right = r.right;
        d.bottom = d.top + int(lines.size()) * lineHeight + (top ? vb : 0) + (bottom ? vb : 0);
        SetDeviceRect(d);
    }
    if (canvas.IsScreen()) {
        m_screenFontHeight = canvas.FontHeight();
        m_screenLineHeight = UnitsToThousandths(float(lineHeight), utScreenPixels, axVertical);
        m_screenRectWidth = UnitsToThousandths(float(r.Width()), utScreenPixels, axHorizontal);
    }
    DrawBorder(canvas, border, DeviceRect());
}

void TjxDrawText::DrawRotated(TjxCanvas& canvas)
{
    const TjxDeviceRect r = DeviceRect();
    if (!m_transparent && r.Width() > 0 && r.Height() > 0)
        canvas.FillRect(QRect(r.left, r.top, r.Width(), r.Height()), m_color);
    canvas.SetFont(*m_font, true);
    canvas.SetBrush(clWhite, bsClear);
    canvas.RotatedText(r.left + canvas.ScaledPixelsX(m_rotatedOriginLeft),
                       r.top + canvas.ScaledPixelsY(m_rotatedOriginTop), m_angle, m_text);
    DrawBorder(canvas, *Border(), r);
}

ORVANE_REGISTER_CLASS(TjxDrawText);

} // namespace orvane
