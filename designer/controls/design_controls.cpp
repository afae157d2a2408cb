#include "designer/controls/design_controls.h"

#include "components/barcode.h"
#include "components/db_calc.h"
#include "components/db_memo.h"
#include "components/db_text.h"
#include "components/image.h"
#include "components/label.h"
#include "components/line.h"
#include "components/memo.h"
#include "components/picture.h"
#include "components/db_rich_text.h"
#include "components/rich_edit.h"
#include "components/rich_text.h"
#include "components/shape.h"
#include "components/system_variable.h"
#include "components/text_layout.h"
#include "components/variable.h"
#include "engine/page_break.h"
#include "engine/region.h"
#include "engine/subreport.h"
#include "output/draw_image.h"
#include "output/draw_line.h"
#include "output/draw_other.h"
#include "output/draw_shape.h"
#include "output/draw_text.h"
#include "platform/canvas.h"

#include <QPainter>

namespace orvane {

namespace {

TjxDeviceRect DeviceRectOf(const QRect& r) { return TjxDeviceRect{r.left(), r.left() + r.width(), r.top(), r.top() + r.height()}; }

// White text on no background draws nothing the AND copy of a cache would keep.
bool WhiteTextOnNothing(const TjxDesignControl& control)
{
    const auto* font = ObjectPropertyAs<TFont>(control.GetComponent(), "Font");
    return control.IsTransparent() && font && font->Color() == clWhite;
}

} // namespace

// ---- text ------------------------------------------------------------------

void TjxCustomComponentControl::FillText(TjxDrawText& text, const QString& caption)
{
    TjxComponent* c = GetComponent();
    text.SetText(caption);
    text.SetFont(ObjectPropertyAs<TFont>(c, "Font"));
    text.SetColor(TColor(OrdinalProperty(c, "Color", clWhite)));
    text.SetTransparent(OrdinalProperty(c, "Transparent") != 0);
    text.SetBorder(ObjectPropertyAs<TjxBorder>(c, "Border"));
    if (FindPublished(c, "TextAlignment"))
        text.SetTextAlignment(TjxTextAlignment(OrdinalProperty(c, "TextAlignment")));
    else
        text.SetAlignment(TAlignment(OrdinalProperty(c, "Alignment")));
    text.SetForceJustifyLastLine(OrdinalProperty(c, "ForceJustifyLastLine") != 0);
    const int angle = int(OrdinalProperty(c, "Angle"));
    if (angle != 0) {
        // Rotated text shows its Text about its rotation origin.
        text.SetAngle(angle);
        text.SetText(StringProperty(c, "Text").isEmpty() ? caption : StringProperty(c, "Text"));
        if (auto* t = dynamic_cast<TjxCustomText*>(c)) {
            text.SetRotatedOriginLeft(t->RotatedOriginLeft());
            text.SetRotatedOriginTop(t->RotatedOriginTop());
        }
        return;
    }
    if (OrdinalProperty(c, "WordWrap") != 0 && text.Font()) {
        QStringList lines;
        int position = 0;
        WrapText(caption, TjxRect{0, 0, c->mmWidth(), c->mmHeight()}, lines, position, nullptr, {}, 0,
                 OrdinalProperty(c, "CharWrap") != 0, *text.Font(), false, text.TextAlignment());
        TStrings wrapped;
        wrapped.SetLines(lines);
        text.SetWordWrap(true);
        text.SetWrappedText(&wrapped);
    }
}

void TjxCustomComponentControl::DrawCaption(TjxCanvas& canvas, const QString& caption)
{
    TjxDrawText text;
    FillText(text, caption);
    text.SetDeviceRect(DeviceRectOf(ClientRect()));
    text.Draw(canvas);
}

void TjxCustomComponentControl::DrawContent(TjxCanvas& canvas)
{
    TjxComponent* c = GetComponent();
    if (!c)
        return;
    if (OrdinalProperty(c, "Visible", 1) != 0)
        DrawCaption(canvas, StringProperty(c, "Caption"));
    DrawFrame(canvas);
}

bool TjxCustomTextControl::UsesCache() const
{
    return !WhiteTextOnNothing(*this);
}

// ---- memo ------------------------------------------------------------------

void TjxCustomMemoControl::DrawContent(TjxCanvas& canvas)
{
    TjxComponent* c = GetComponent();
    if (!c)
        return;
    auto* lines = ObjectPropertyAs<TStrings>(c, "Lines");
    const QString text = lines ? lines->Text() : QString();
    if (text.isEmpty()) {
        DrawCaption(canvas, StringProperty(c, "Caption"));
        DrawFrame(canvas);
        return;
    }
    TjxDrawText draw;
    FillText(draw, QString());
    draw.SetIsMemo(true);
    const int leading = int(OrdinalProperty(c, "mmLeading"));
    draw.SetLeading(leading);
    auto* stops = ObjectPropertyAs<TStrings>(c, "TabStopPositions");
    QStringList stopList = stops ? stops->Lines() : QStringList();
    if (auto* memo = dynamic_cast<TjxCustomMemo*>(c); memo && memo->StoredTabStopPositions())
        stopList = memo->StoredTabStopPositions()->Lines();
    TStrings stopStrings;
    stopStrings.SetLines(stopList);
    draw.SetTabStopPositions(&stopStrings);
    QStringList wrappedLines;
    int position = 0;
    if (draw.Font())
        WrapText(text, TjxRect{0, 0, c->mmWidth(), 1 << 30}, wrappedLines, position, nullptr, stopList, leading,
                 OrdinalProperty(c, "CharWrap") != 0, *draw.Font(), false, draw.TextAlignment());
    TStrings wrapped;
    wrapped.SetLines(wrappedLines);
    draw.SetWordWrap(true);
    draw.SetWrappedText(&wrapped);
    draw.SetDeviceRect(DeviceRectOf(ClientRect()));
    // The screen's drawing fits the lines into the control's height.
    canvas.SetScreenZoom(1, 1);
    draw.Draw(canvas);
    DrawFrame(canvas);
}

// ---- images ------------------------------------------------------------------

TPenStyle TjxCustomImageControl::EmptyFrameStyle() const { return psDot; }
TPenStyle TjxDBImageControl::EmptyFrameStyle() const { return psDash; }

void TjxCustomImageControl::DrawContent(TjxCanvas& canvas)
{
    TjxComponent* c = GetComponent();
    if (!c)
        return;
    auto* picture = ObjectPropertyAs<TPicture>(c, "Picture");
    if (auto* image = dynamic_cast<TjxCustomImage*>(c); !picture && image)
        picture = image->StoredPicture();
    const QRect r = ClientRect();
    if (!picture || picture->Empty()) {
        DrawBackground(canvas);
        canvas.SetBrush(clWhite, bsClear);
        canvas.SetPen(clGray, EmptyFrameStyle(), 1);
        canvas.Rectangle(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
        if (auto* font = ObjectPropertyAs<TFont>(c, "Font"))
            canvas.SetFont(*font);
        const QString text = u'(' + StringProperty(c, "Caption") + u')';
        const int w = int(canvas.TextWidth(text)), h = int(canvas.TextHeight());
        canvas.TextRect(r, (r.width() - w) / 2, (r.height() - h) / 2, text);
    } else {
        TjxDrawImage draw;
        draw.SetPicture(picture);
        draw.SetStretch(OrdinalProperty(c, "Stretch") != 0);
        draw.SetCenter(OrdinalProperty(c, "Center") != 0);
        draw.SetMaintainAspectRatio(OrdinalProperty(c, "MaintainAspectRatio") != 0);
        draw.SetTransparent(IsTransparent());
        draw.SetDeviceRect(DeviceRectOf(r));
        draw.Draw(canvas);
    }
    if (auto* border = c->Border(); border && border->Visible())
        DrawBorder(canvas, *border);
}

void TjxDBImageControl::DrawContent(TjxCanvas& canvas)
{
    // Without data the picture stays empty; a field that is no picture shows the empty frame too.
    if (auto* image = dynamic_cast<TjxDBImage*>(GetComponent()))
        try {
            image->LoadPicture();
        } catch (const std::exception&) {
        }
    TjxCustomImageControl::DrawContent(canvas);
}

// ---- shapes and lines -------------------------------------------------------

bool TjxShapeControl::IsTransparent() const
{
    auto* brush = ObjectPropertyAs<TBrush>(GetComponent(), "Brush");
    return brush && brush->Style() == bsClear;
}

void TjxShapeControl::DrawContent(TjxCanvas& canvas)
{
    auto* shape = dynamic_cast<TjxShape*>(GetComponent());
    if (!shape)
        return;
    const TjxShapeGeometry g = shape->DesignGeometry();
    TjxDrawShape draw;
    draw.SetPen(ObjectPropertyAs<TPen>(shape, "Pen"));
    draw.SetBrush(ObjectPropertyAs<TBrush>(shape, "Brush"));
    draw.SetShapeType(g.shapeType);
    draw.SetXCornerRound(g.cornerRound);
    draw.SetYCornerRound(g.cornerRound);
    // The figure is in screen pixels at the shape's own origin.
    draw.SetDeviceRect(TjxDeviceRect{g.left, g.left + g.width, g.top, g.top + g.height});
    draw.Draw(canvas);
}

bool TjxLineControl::UsesCache() const
{
    auto* pen = ObjectPropertyAs<TPen>(GetComponent(), "Pen");
    return !pen || pen->Color() != clWhite;
}

void TjxLineControl::DrawContent(TjxCanvas& canvas)
{
    TjxComponent* c = GetComponent();
    if (!c)
        return;
    TjxDrawLine draw;
    draw.SetPen(ObjectPropertyAs<TPen>(c, "Pen"));
    draw.SetWeight(float(FloatProperty(c, "Weight", 0.75)));
    draw.SetLinePosition(TjxLinePositionType(OrdinalProperty(c, "Position")));
    draw.SetLineStyle(TjxLineStyleType(OrdinalProperty(c, "Style")));
    draw.SetDeviceRect(DeviceRectOf(ClientRect()));
    draw.Draw(canvas);
}

// ---- regions and page breaks ---------------------------------------------------

bool TjxCustomRegionControl::IsTransparent() const
{
    auto* brush = ObjectPropertyAs<TBrush>(GetComponent(), "Brush");
    return brush && brush->Style() == bsClear;
}

void TjxCustomRegionControl::DrawContent(TjxCanvas& canvas)
{
    TjxComponent* c = GetComponent();
    if (!c)
        return;
    const QRect r = ClientRect();
    if (auto* pen = ObjectPropertyAs<TPen>(c, "Pen"))
        canvas.SetPen(*pen);
    if (auto* brush = ObjectPropertyAs<TBrush>(c, "Brush"))
        canvas.SetBrush(*brush);
    canvas.Rectangle(0, 0, r.width(), r.height());
    // Two one-pixel bevels, lit from the bottom right.
    canvas.SetPen(clGray, psSolid, 1);
    canvas.Line(1, 1, r.width() - 1, 1);
    canvas.Line(1, 1, 1, r.height() - 1);
    canvas.SetPen(clSilver, psSolid, 1);
    canvas.Line(r.width() - 2, 1, r.width() - 2, r.height() - 1);
    canvas.Line(1, r.height() - 2, r.width() - 1, r.height() - 2);
    if (auto* font = ObjectPropertyAs<TFont>(c, "Font"))
        canvas.SetFont(*font);
    canvas.SetBrush(clWhite, bsClear);
    canvas.TextRect(r.adjusted(2, 2, -2, -2), 3, 3, StringProperty(c, "Caption"));
}

void TjxPageBreakControl::UpdateLockedEdges()
{
    TjxDesignControl::UpdateLockedEdges();
    m_lockedEdges |= leHeight;
}

void TjxPageBreakControl::DrawContent(TjxCanvas& canvas)
{
    const QRect r = ClientRect();
    canvas.FillRect(r, clWhite);
    canvas.SetBrush(clWhite, bsClear);
    canvas.Painter().save();
    canvas.Painter().fillRect(r, QBrush(ToQColor(clGray), Qt::BDiagPattern));
    canvas.Painter().restore();
    canvas.SetPen(clBlack, psSolid, 1);
    canvas.Rectangle(0, 0, r.width(), r.height());
}

// ---- barcodes ----------------------------------------------------------------

bool TjxCustomBarCodeControl::UsesCache() const
{
    return !WhiteTextOnNothing(*this);
}

void TjxCustomBarCodeControl::DrawContent(TjxCanvas& canvas)
{
    auto* barcode = dynamic_cast<TjxCustomBarCode*>(GetComponent());
    // Data the symbology refuses draws nothing until it is corrected.
    if (!barcode || !barcode->CodeOK())
        return;
    DrawBackground(canvas);
    // The page's own command, drawn the screen's way.
    TjxDrawBarCode draw;
    barcode->PropertiesToDrawCommand(&draw);
    draw.SetDeviceRect(DeviceRectOf(ClientRect()));
    canvas.SetScreenZoom(1, 1);
    draw.Draw(canvas);
    if (barcode->Visible() && barcode->CurrentData().isEmpty()) {
        const QRect r = ClientRect();
        canvas.SetBrush(clWhite, bsClear);
        canvas.SetPen(clGray, psDash, 1);
        canvas.Rectangle(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
    }
}

// ---- rich text ---------------------------------------------------------------

void TjxCustomRichTextControl::DrawContent(TjxCanvas& canvas)
{
    auto* rich = dynamic_cast<TjxCustomRichText*>(GetComponent());
    if (!rich)
        return;
    const TjxRichEdit& edit = rich->RichEdit();
    if (edit.CharCount() == 0) {
        TjxDesignControl::DrawContent(canvas);
        return;
    }
    // The page's command over the whole text, at the component's size:
    // the lines break where the printed ones do.
    TjxDrawRichText draw;
    draw.SetBorder(rich->Border());
    draw.SetBounds(0, 0, rich->mmWidth(), rich->mmHeight());
    draw.SetColor(rich->Color());
    draw.SetTransparent(rich->Transparent());
    draw.SetRichTextStream(edit.SaveToBytes());
    draw.SetStartCharPos(0);
    draw.SetEndCharPos(edit.CharCount() - 1);
    draw.SetDeviceRect(DeviceRectOf(ClientRect()));
    canvas.SetScreenZoom(1, 1);
    draw.Draw(canvas);
    DrawFrame(canvas);
}

// ---- registrations --------------------------------------------------------------

TjxDesignControlRegistry::TjxDesignControlRegistry()
{
    const auto add = [this]<class C>(const TClassInfo& cls, C*) { Register(cls, [] { return new C; }); };
    add(TjxComponent::StaticClass(), static_cast<TjxDesignControl*>(nullptr));
    add(TjxLabel::StaticClass(), static_cast<TjxLabelControl*>(nullptr));
    add(TjxDBText::StaticClass(), static_cast<TjxDBTextControl*>(nullptr));
    add(TjxMemo::StaticClass(), static_cast<TjxMemoControl*>(nullptr));
    add(TjxDBMemo::StaticClass(), static_cast<TjxDBMemoControl*>(nullptr));
    add(TjxVariable::StaticClass(), static_cast<TjxVariableControl*>(nullptr));
    add(TjxSystemVariable::StaticClass(), static_cast<TjxSystemVariableControl*>(nullptr));
    add(TjxDBCalc::StaticClass(), static_cast<TjxDBCalcControl*>(nullptr));
    add(TjxImage::StaticClass(), static_cast<TjxImageControl*>(nullptr));
    add(TjxDBImage::StaticClass(), static_cast<TjxDBImageControl*>(nullptr));
    add(TjxShape::StaticClass(), static_cast<TjxShapeControl*>(nullptr));
    add(TjxLine::StaticClass(), static_cast<TjxLineControl*>(nullptr));
    add(TjxRegion::StaticClass(), static_cast<TjxRegionControl*>(nullptr));
    add(TjxSubReport::StaticClass(), static_cast<TjxSubreportControl*>(nullptr));
    add(TjxPageBreak::StaticClass(), static_cast<TjxPageBreakControl*>(nullptr));
    add(TjxBarCode::StaticClass(), static_cast<TjxBarCodeControl*>(nullptr));
    add(TjxDBBarCode::StaticClass(), static_cast<TjxDBBarCodeControl*>(nullptr));
    add(TjxRichText::StaticClass(), static_cast<TjxRichTextControl*>(nullptr));
    add(TjxDBRichText::StaticClass(), static_cast<TjxDBRichTextControl*>(nullptr));
}

} // namespace orvane
