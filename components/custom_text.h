#pragma once

// The base of the single-line or wrapped text components: rotation, breaking
// inside words, and the settings of report-emulation text files.

#include "components/component.h"
#include "components/text_layout.h"
#include "document/data_type.h"
#include "document/var_value.h"

namespace orvane {

class TjxCustomText : public TjxCustomComponent {
    ORVANE_CLASS(TjxCustomText, TjxCustomComponent)
public:
    explicit TjxCustomText(TComponent* owner = nullptr);

    int Angle() const { return m_angle; }
    // -359 to -1 are stored as a turn more; other values outside 0 to 359 are
    // ignored. A rotated text does not wrap.
    virtual void SetAngle(int value);
    bool CharWrap() const { return m_charWrap; }
    virtual void SetCharWrap(bool value);
    const QString& DisplayFormat() const { return m_displayFormat; }
    virtual void SetDisplayFormat(const QString& value);
    int RotatedOriginLeft() const { return m_rotatedOriginLeft; }
    int RotatedOriginTop() const { return m_rotatedOriginTop; }
    void SetRotatedOrigin(int left, int top);

    // Report-emulation text files.
    bool Save() const { return m_save; }
    virtual void SetSave(bool value);
    int SaveLength() const { return m_saveLength; }
    virtual void SetSaveLength(int value);
    // The position in the band's list of saved components (-1 when not saved).
    // Saving appends to the list, unsaving removes; the others close up.
    int SaveOrder() const { return m_saveOrder; }
    // Moves a saved text within its band's list: negative orders become 0,
    // orders past the end the last index. While reading the value is only recorded.
    virtual void SetSaveOrder(int value);

    TMethod OnGetText() const { return m_onGetText; }
    void SetOnGetText(const TMethod& value) { SetField(m_onGetText, value, "OnGetText"); }
    // The handler name an older stream gave as "OnSave".
    const QString& LegacySaveHandlerName() const { return m_legacySaveHandlerName; }

    void SetCaption(const QString& value) override;
    void SetWordWrap(bool value) override;
    void FontChanged() override;

    // The text to print: the formatted text, then OnGetText and its event
    // (not while reading, nor in the designer unless printing).
    QString GetText();
    // The text before OnGetText: the caption here, the field value for data-aware classes.
    virtual QString FormattedText() { return Caption(); }
    // The lines of the text inside `rect` from its start, wrapped at words
    // (and inside words with CharWrap), as a wrapped component prints them.
    QStringList WrappedText(const TjxRect& rect, TjxCustomPrinter* printer = nullptr);

    // Set by the engine while the report generates: sizes stay, events fire.
    bool IsPrinting() const override { return m_printing; }
    void SetPrinting(bool value) override { m_printing = value; }
    // Fonts are measured with this measurer; none means the real fonts.
    const TTextMeasurer& TextMeasurer() const { return m_measurer ? *m_measurer : DefaultTextMeasurer(); }
    void SetTextMeasurer(const TTextMeasurer* measurer) { m_measurer = measurer; }

    // Sizes the component to its text (AutoSize) at the screen's resolution,
    // keeping the edge its alignment anchors; rotated text by its extents and
    // its origin. Setters size only in the designer: a program that builds a
    // report keeps the bounds it gives, and calls SizeToText when it wants sizing.
    void AdjustBounds() override;
    void SizeToText();

    // Prints as a text command with the produced text, wrapped in the PrintRect when WordWrap is on.
    std::unique_ptr<TjxDrawCommand> NewDrawCommand() const override;
    void PropertiesToDrawCommand(TjxDrawCommand* command) override;

protected:
    void BandChanged() override;
    // The value in its display format; a value the format cannot show prints nothing.
    static QString FormatOrEmpty(const TVarValue& value, TjxDataType dataType, const QString& displayFormat);
    // OnFormat(Sender, DisplayFormat, DataType, Value, var Text): the handler may replace the text.
    QString ApplyFormatHandler(const TMethod& handler, const QString& text, TjxDataType dataType,
                               const TVarValue& value);
    // The designer shows what the component would print (not while reading or printing).
    void RefreshCaption();

private:
    // Sets the order alone; Renumber makes every member's order its index in the list.
    void SetSaveIndex(int index);
    static void Renumber(const std::vector<TjxCustomText*>& list);
    // The text as one block at the screen's resolution: widest line and total height, in pixels.
    void MeasureText(const QString& text, double& width, double& height);
    void AdjustRotatedBounds(const QString& text);

    int m_angle = 0;
    bool m_charWrap = false;
    QString m_displayFormat;
    int m_rotatedOriginLeft = 0;
    int m_rotatedOriginTop = 0;
    int16_t m_saveOrder = -1;
    bool m_save = false;
    int m_saveLength = 0;
    TMethod m_onGetText;
    QString m_legacySaveHandlerName;
    bool m_printing = false;
    const TTextMeasurer* m_measurer = nullptr;
    // The border lines at the last sizing: adding or removing one does not move a right-aligned text.
    TjxBorderPositions m_sizedBorderPositions = 0;
};

// The band's saved text components in save order.
std::vector<TjxCustomText*> SavedComponents(const TjxBand* band);

} // namespace orvane
