#include "components/memo.h"
#include "output/draw_text.h"

#include "document/class_registry.h"
#include "document/component_registry.h"
#include "document/stream_reader.h"
#include "document/stream_writer.h"

namespace orvane {

// ---- TjxCustomMemo ----

const TClassInfo& TjxCustomMemo::StaticClass()
{
    using T = TjxCustomMemo;
    using P = TjxPublish<T>;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TjxCustomMemo", &TjxStretchable::StaticClass());
        P::Base(b);
        P::ForceJustifyLastLine(b);
        b.Prop("KeepTogether", BooleanType(), &T::KeepTogether, &T::SetKeepTogether).Default(0);
        b.Defined("mmLeading", [](T& c, TReader& r) { c.SetmmLeading(r.ReadThousandths()); },
                  [](const T& c, TWriter& w) { w.WriteInteger(c.m_mmLeading); }, [](const T&) { return true; });
        b.Defined("Position", [](T&, TReader& r) { r.SkipValue(); }, nullptr, [](const T&) { return false; });
        return b.Build();
    }();
    return info;
}

TjxCustomMemo::TjxCustomMemo(TComponent* owner)
    : TjxStretchable(owner),
      m_lines(std::make_unique<TStrings>()),
      m_tabStopPositions(std::make_unique<TStrings>()),
      m_tabStopsInUnits(std::make_unique<TStrings>())
{
    m_lines->OnChange = [this] { LinesChanged(); };
}

TjxCustomMemo::~TjxCustomMemo()
{
    m_lines->OnChange = nullptr;
}

void TjxCustomMemo::SetCharWrap(bool value)
{
    // The layout of a running report must not change under it.
    if (m_printing)
        return;
    Change(m_charWrap, value, "CharWrap", true);
}

void TjxCustomMemo::SetmmLeading(int value)
{
    Change(m_mmLeading, value, "Leading", true);
}

void TjxCustomMemo::LinesChanged()
{
    if (IsReadingOrLoading() || m_quietLines)
        return;
    AfterChange(true);
}

void TjxCustomMemo::SetLines(TStrings* value)
{
    if (!value || *value == *m_lines)
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("Lines"));
    m_lines->Assign(value);
}

TStrings* TjxCustomMemo::TabStopPositions() const
{
    if (IsReadingOrLoading() || IsWriting())
        return m_tabStopPositions.get();
    m_tabStopsInUnits->SetLines(ThousandthsListToUnits(m_tabStopPositions->Lines(), Units(), axHorizontal));
    return m_tabStopsInUnits.get();
}

void TjxCustomMemo::SetTabStopPositions(TStrings* value)
{
    if (!value)
        return;
    if (IsReadingOrLoading()) {
        m_tabStopPositions->Assign(value);
        return;
    }
    const QStringList stored = UnitsListToThousandths(value->Lines(), Units(), axHorizontal);
    if (stored == m_tabStopPositions->Lines())
        return;
    NotifyDesignerPropertyChange(QStringLiteral("TabStopPositions"));
    m_tabStopPositions->SetLines(stored);
    AfterChange(true);
}

void TjxCustomMemo::ConvertVersion(int version)
{
    TjxStretchable::ConvertVersion(version);
    // Leading was once kept in screen pixels.
    if (version < 3000)
        m_mmLeading = UnitsToThousandths(float(m_mmLeading), utScreenPixels, axVertical);
}

QString TjxCustomMemo::GetText()
{
    // Every page of a long memo asks for its text: join the lines once. Any
    // change of the lines detaches them from the copy kept here.
    const QStringList& lines = m_lines->Lines();
    if (!lines.isSharedWith(m_textLines)) {
        m_text = lines.join(TjxTextMarkup::LineBreak);
        m_textLines = lines;
    }
    return m_text;
}

void TjxCustomMemo::SetLinesQuietly(const QStringList& lines)
{
    m_quietLines = true;
    m_lines->SetLines(lines);
    m_quietLines = false;
}

TjxMemoTextStyle TjxCustomMemo::TextStyle(TjxCustomPrinter* printer) const
{
    TjxMemoTextStyle style;
    style.font = Font();
    style.alignment = TextAlignment();
    style.charWrap = m_charWrap;
    style.leading = m_mmLeading;
    style.tabStops = m_tabStopPositions->Lines();
    style.printer = printer;
    return style;
}

void TjxCustomMemo::ComputeMemoContent(const TjxRect& printRect, bool stretching, bool canMoveWhole,
                                       TjxCustomPrinter* printer)
{
    const QString text = GetText();
    TjxMemoContinuation& c = m_continuation;
    if (!stretching) {
        const TjxRect designed{printRect.left, printRect.top, SaturatedLength(TjxLength64(printRect.left) + mmWidth()),
                               SaturatedLength(TjxLength64(printRect.top) + mmHeight())};
        const TjxMemoPage page = LayoutMemoPage(text, designed, 0, TextStyle(printer), TextMeasurer());
        c.charPos = 0;
        c.printLines = page.lines;
        c.drawHeight = mmHeight();
        c.overFlow = false;
        return;
    }

    const int before = c.charPos;
    const TjxMemoPage page = LayoutMemoPage(text, printRect, before, TextStyle(printer), TextMeasurer());
    c.printLines = page.lines;
    if (page.complete) {
        c.overFlow = false;
        // An empty text takes no room, whatever the text before it took.
        c.drawHeight = page.drawHeight;
        c.charPos = 0;
        c.keepTogetherMoved = false;
        return;
    }
    c.charPos = page.nextPosition;
    c.overFlow = true;
    c.drawHeight = page.drawHeight;
    // A memo kept together starts on the next page rather than splitting, once.
    if (KeepTogether() && canMoveWhole && before == 0 && !c.keepTogetherMoved) {
        c.drawHeight = 0;
        c.keepTogetherMoved = true;
        c.charPos = before;
        c.printLines.clear();
    }
}

void TjxCustomMemo::InitGeneration()
{
    TjxStretchable::InitGeneration();
    ResetContinuation();
}

void TjxCustomMemo::ComputeContent(const TjxPrintParent& parent)
{
    const bool stretching = CanStretch(parent);
    ComputeMemoContent(PrintRect(), stretching, stretching && KeepTogetherPossible(parent));
    SetDrawHeight(m_continuation.drawHeight);
    SetOverFlow(m_continuation.overFlow);
}

// ---- TjxMemo ----

const TClassInfo& TjxMemo::StaticClass()
{
    using T = TjxMemo;
    using P = TjxPublish<T>;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TjxMemo", &TjxCustomMemo::StaticClass());
        b.Creatable();
        P::Anchors(b);
        P::Border(b);
        b.Prop("BottomOffset", FloatType(), &T::BottomOffset, &T::SetBottomOffset).NeverStored();
        P::Caption(b);
        // Stored whatever its value: memos have no default here.
        b.Prop("CharWrap", BooleanType(), &T::CharWrap, &T::SetCharWrap).NoDefault();
        P::Color(b);
        P::Font(b);
        b.Prop("Leading", FloatType(), &T::Leading, &T::SetLeading).NeverStored();
        b.Prop("Lines", ClassType(), &T::Lines, &T::SetLines);
        P::OnDrawCommandClick(b);
        P::OnDrawCommandCreate(b);
        b.Prop("OverFlowOffset", FloatType(), &T::OverFlowOffset, &T::SetOverFlowOffset).NeverStored();
        P::ReprintOnOverFlow(b);
        b.Prop("ShiftRelativeTo", ClassType(), &T::ShiftRelativeTo, &T::SetShiftRelativeTo);
        b.Prop("Stretch", BooleanType(), &T::Stretch, &T::SetStretch).Default(0);
        b.Prop("TabStopPositions", ClassType(), &T::TabStopPositions, &T::SetTabStopPositions);
        P::TextAlignment(b);
        P::Transparent(b);
        P::Visible(b);
        return b.Build();
    }();
    return info;
}

TjxMemo::TjxMemo(TComponent* owner) : TjxCustomMemo(owner) {}

ORVANE_REGISTER_COMPONENT(TjxMemo, "Standard Components", 1, 175);

ORVANE_REGISTER_CLASS(TjxMemo);

std::unique_ptr<TjxDrawCommand> TjxCustomMemo::NewDrawCommand() const
{
    return std::make_unique<TjxDrawText>();
}

void TjxCustomMemo::PropertiesToDrawCommand(TjxDrawCommand* command)
{
    TjxStretchable::PropertiesToDrawCommand(command);
    auto* draw = dynamic_cast<TjxDrawText*>(command);
    if (!draw)
        return;
    // A memo prints its page's lines; the whole text would ride on every page.
    draw->SetIsMemo(true);
    draw->SetWordWrap(true);
    TStrings lines;
    lines.SetLines(m_continuation.printLines);
    draw->SetWrappedText(&lines);
    draw->SetLeading(m_mmLeading);
    draw->SetTabStopPositions(m_tabStopPositions.get());
    draw->SetColor(Color());
    draw->SetFont(Font());
    draw->SetForceJustifyLastLine(ForceJustifyLastLine());
    draw->SetTextAlignment(TextAlignment());
    draw->SetTransparent(Transparent());
    draw->SetTextComponent(this);
}

void TjxCustomMemo::WriteState(QDataStream& stream) const
{
    TjxStretchable::WriteState(stream);
    const TjxMemoContinuation& c = m_continuation;
    stream << qint32(c.charPos) << c.overFlow << c.keepTogetherMoved << c.printLines << qint32(c.drawHeight);
}

void TjxCustomMemo::ReadState(QDataStream& stream)
{
    TjxStretchable::ReadState(stream);
    TjxMemoContinuation& c = m_continuation;
    qint32 charPos = 0, drawHeight = 0;
    stream >> charPos >> c.overFlow >> c.keepTogetherMoved >> c.printLines >> drawHeight;
    c.charPos = charPos;
    c.drawHeight = drawHeight;
}

} // namespace orvane
