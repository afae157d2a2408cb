#pragma once

// Multi-line text that may stretch across pages.

#include "engine/stretchable.h"
#include "components/text_production.h"
#include "document/strings.h"

namespace orvane {

// Where a memo stands in its text while a report generates; the page cache
// keeps a copy per page.
struct TjxMemoContinuation {
    int charPos = 0;                // where the next page continues; 0 at the start
    bool overFlow = false;          // text is left for the next page
    bool keepTogetherMoved = false; // the whole memo was moved to a new page once
    QStringList printLines;         // the lines of the current page
    int drawHeight = 0;             // thousandths of mm
};

class TjxCustomMemo : public TjxStretchable {
    ORVANE_CLASS(TjxCustomMemo, TjxStretchable)
public:
    explicit TjxCustomMemo(TComponent* owner = nullptr);
    ~TjxCustomMemo() override;

    bool CharWrap() const { return m_charWrap; }
    virtual void SetCharWrap(bool value);
    // Added to every line's height, in thousandths of a millimetre.
    int mmLeading() const { return m_mmLeading; }
    virtual void SetmmLeading(int value);
    double Leading() const { return ToUnits(m_mmLeading, axVertical); }
    void SetLeading(double value) { SetmmLeading(FromUnits(value, axVertical)); }
    TStrings* Lines() const { return m_lines.get(); }
    virtual void SetLines(TStrings* value);
    // Tab stops are kept in thousandths of a millimetre and shown in Units;
    // streams see the stored values.
    TStrings* TabStopPositions() const;
    virtual void SetTabStopPositions(TStrings* value);
    TStrings* StoredTabStopPositions() const { return m_tabStopPositions.get(); }

    bool CanFullJustify() const override { return true; }
    void ConvertVersion(int version) override;

    // The lines joined with line breaks.
    virtual QString GetText();
    // Set by the engine while the report generates.
    bool IsPrinting() const override { return m_printing; }
    void SetPrinting(bool value) override { m_printing = value; }
    const TTextMeasurer& TextMeasurer() const { return m_measurer ? *m_measurer : DefaultTextMeasurer(); }
    void SetTextMeasurer(const TTextMeasurer* measurer) { m_measurer = measurer; }
    TjxMemoTextStyle TextStyle(TjxCustomPrinter* printer = nullptr) const;

    const TjxMemoContinuation& Continuation() const { return m_continuation; }
    void SetContinuation(const TjxMemoContinuation& value) { m_continuation = value; }
    // At report start.
    void ResetContinuation() { m_continuation = {}; }
    void InitGeneration() override;
    // Lays out this page's part of the text in `printRect` (its bottom the
    // page limit). A stretching memo in a band of dynamic height continues
    // from CharPos and may overflow; `canMoveWhole` says that the engine would
    // move a KeepTogether memo that does not fit to the next page whole.
    // Otherwise the text is laid out from its start in the designed height
    // and what does not fit is dropped.
    void ComputeMemoContent(const TjxRect& printRect, bool stretching, bool canMoveWhole,
                            TjxCustomPrinter* printer = nullptr);

    // Prints as a text command holding this page's lines.
    std::unique_ptr<TjxDrawCommand> NewDrawCommand() const override;
    void PropertiesToDrawCommand(TjxDrawCommand* command) override;

protected:
    // A stretching memo continues its text from where the last page ended; a
    // fixed one prints what fits in its rectangle.
    void ComputeContent(const TjxPrintParent& parent) override;
    // The record carries the continuation, so a page generated again starts where it did.
    void WriteState(QDataStream& stream) const override;
    void ReadState(QDataStream& stream) override;
    // Lines changed by the component itself, not by the user.
    void SetLinesQuietly(const QStringList& lines);

private:
    void LinesChanged();

    bool m_printing = false;
    bool m_quietLines = false;
    const TTextMeasurer* m_measurer = nullptr;
    TjxMemoContinuation m_continuation;

    bool m_charWrap = false;
    int m_mmLeading = 0;
    std::unique_ptr<TStrings> m_lines;
    // The lines joined, and the lines they were joined from.
    QString m_text;
    QStringList m_textLines;
    std::unique_ptr<TStrings> m_tabStopPositions;
    std::unique_ptr<TStrings> m_tabStopsInUnits;
};

class TjxMemo : public TjxCustomMemo {
    ORVANE_CLASS(TjxMemo, TjxCustomMemo)
public:
    explicit TjxMemo(TComponent* owner = nullptr);

    QString DesignEditProperty() const override { return QStringLiteral("Caption"); }
};

} // namespace orvane
