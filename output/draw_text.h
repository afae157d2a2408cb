#pragma once

#include "document/strings.h"
#include "output/draw_command.h"

namespace orvane {

// A text on the page: one line, or the lines the word wrapper made.
class TjxDrawText : public TjxDrawCommand {
    ORVANE_CLASS(TjxDrawText, TjxDrawCommand)
public:
    explicit TjxDrawText(TComponent* owner = nullptr);
    ~TjxDrawText() override;

    int Angle() const { return m_angle; }
    void SetAngle(int value) { m_angle = value; }
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool value) { m_autoSize = value; }
    TColor Color() const { return m_color; }
    void SetColor(TColor value) { m_color = value; }
    TFont* Font() const { return m_font.get(); }
    void SetFont(TFont* value) { if (value) m_font->Assign(value); }
    bool ForceJustifyLastLine() const { return m_forceJustifyLastLine; }
    void SetForceJustifyLastLine(bool value) { m_forceJustifyLastLine = value; }
    bool IsMemo() const { return m_isMemo; }
    void SetIsMemo(bool value) { m_isMemo = value; }
    // Extra space between lines of a memo, in thousandths of a millimetre.
    int Leading() const { return m_leading; }
    void SetLeading(int value) { m_leading = value; }
    TStrings* TabStopPositions() const { return m_tabStopPositions.get(); }
    void SetTabStopPositions(TStrings* value) { if (value) m_tabStopPositions->Assign(value); }
    const QString& Text() const { return m_text; }
    void SetText(const QString& value) { m_text = value; }
    TjxTextAlignment TextAlignment() const { return m_textAlignment; }
    // Keeps the older alignment in step.
    void SetTextAlignment(TjxTextAlignment value);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value) { m_transparent = value; }
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool value) { m_wordWrap = value; }
    TStrings* WrappedText() const { return m_wrappedText.get(); }
    void SetWrappedText(TStrings* value) { if (value) m_wrappedText->Assign(value); }
    bool BandSave() const { return m_bandSave; }
    void SetBandSave(bool value) { m_bandSave = value; }
    int BandSaveNo() const { return m_bandSaveNo; }
    void SetBandSaveNo(int value) { m_bandSaveNo = value; }
    bool ComponentSave() const { return m_componentSave; }
    void SetComponentSave(bool value) { m_componentSave = value; }
    int ComponentSaveNo() const { return m_componentSaveNo; }
    void SetComponentSaveNo(int value) { m_componentSaveNo = value; }
    int SaveLength() const { return m_saveLength; }
    void SetSaveLength(int value) { m_saveLength = value; }

    // The older two-state alignment; setting it sets TextAlignment of the same ordinal.
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment value);
    // Offsets of a rotated text's origin from Left and Top, in thousandths.
    int RotatedOriginLeft() const { return m_rotatedOriginLeft; }
    void SetRotatedOriginLeft(int value) { m_rotatedOriginLeft = value; }
    int RotatedOriginTop() const { return m_rotatedOriginTop; }
    void SetRotatedOriginTop(int value) { m_rotatedOriginTop = value; }

    // What the screen device recorded when it last drew the text (after
    // fitting): the font height in screen pixels, the line height and the
    // rectangle's width in thousandths. Zero until drawn on a screen.
    int ScreenFontHeight() const { return m_screenFontHeight; }
    int ScreenLineHeight() const { return m_screenLineHeight; }
    int ScreenRectWidth() const { return m_screenRectWidth; }

    // The producing text component (for its display format); not owned.
    TComponent* TextComponent() const { return m_textComponent; }
    void SetTextComponent(TComponent* value) { m_textComponent = value; }

    // Two right-aligned eight-character numbers; the text file device sorts by it.
    QString SaveKey() const;

    bool Draw(TjxCanvas& canvas) override;
    bool IsSameAs(const TjxDrawCommand* other) const override;
    void Assign(const TPersistent* source) override;

private:
    void DrawHorizontal(TjxCanvas& canvas);
    void DrawRotated(TjxCanvas& canvas);

    int m_angle = 0;
    bool m_autoSize = false;
    TColor m_color = clWhite;
    std::unique_ptr<TFont> m_font;
    bool m_forceJustifyLastLine = false;
    bool m_isMemo = false;
    int m_leading = 0;
    std::unique_ptr<TStrings> m_tabStopPositions;
    QString m_text;
    TjxTextAlignment m_textAlignment = taLeftJustified;
    bool m_transparent = false;
    bool m_wordWrap = false;
    std::unique_ptr<TStrings> m_wrappedText;
    bool m_bandSave = false;
    int m_bandSaveNo = 0;
    bool m_componentSave = false;
    int m_componentSaveNo = 0;
    int m_saveLength = 0;
    TAlignment m_alignment = taLeftJustify;
    int m_rotatedOriginLeft = 0;
    int m_rotatedOriginTop = 0;
    TComponent* m_textComponent = nullptr;
    int m_screenFontHeight = 0;
    int m_screenLineHeight = 0;
    int m_screenRectWidth = 0;
};

} // namespace orvane
