#include "engine/text_search.h"
#include "engine/text_search_rich.h"

#include "components/text_layout.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/report_settings.h"
#include "document/units.h"
#include "output/draw_other.h"
#include "output/draw_text.h"
#include "output/page.h"
#include "platform/canvas.h"
#include "platform/justified_text.h"
#include "platform/text_measurer.h"

#include <algorithm>
#include <memory>

namespace orvane {

namespace {

constexpr QStringView kDelimiters = u" \".',?;:()!@#$%^&*-+={}[]/~`|\\";

// A search level counter that is restored on every way out.
struct TLevel {
    explicit TLevel(int& level) : m_level(level) { ++m_level; }
    ~TLevel() { --m_level; }
    int& m_level;
};

} // namespace

bool IsSearchDelimiter(QChar c)
{
    return kDelimiters.contains(c);
}

int TjxTextSearchToolbox::Find(const QString& text, const QString& pattern, bool wholeWord, bool caseSensitive,
                               int from)
{
    // An empty pattern would match everywhere and never move on.
    if (pattern.isEmpty() || from < 0 || from >= text.size())
        return 0;
    const Qt::CaseSensitivity cs = caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const bool words = wholeWord && !(pattern.size() == 1 && IsSearchDelimiter(pattern[0]));
    qsizetype at = text.indexOf(pattern, from, cs);
    while (at >= 0 && words) {
        const qsizetype end = at + pattern.size();
        const bool before = at == 0 || IsSearchDelimiter(text[at - 1]);
        const bool after = end >= text.size() || IsSearchDelimiter(text[end]);
        if (before && after)
            break;
        at = text.indexOf(pattern, at + 1, cs);
    }
    return at < 0 ? 0 : int(at) + 1;
}

const TjxTextSearchOccurrence& TjxTextSearchPage::At(int index) const
{
    if (index < 0 || index >= Count())
        throw ESearchError(MessageText(msg::SearchOccurrenceIndex));
    return Occurrences[std::size_t(index)];
}

// Page list

const TjxTextSearchPage* TjxTextSearchPageList::FindPage(int pageNo) const
{
    for (const TjxTextSearchPage& page : m_pages)
        if (page.PageNo == pageNo)
            return &page;
    return nullptr;
}

void TjxTextSearchPageList::Append(TjxTextSearchPage page)
{
    m_pages.push_back(std::move(page));
}

void TjxTextSearchPageList::Clear()
{
    m_pages.clear();
    m_pageIndex = -1;
    m_occurrenceIndex = -1;
}

const TjxTextSearchPage* TjxTextSearchPageList::CurrentPage() const
{
    return m_pageIndex >= 0 && m_pageIndex < PageCount() ? &m_pages[std::size_t(m_pageIndex)] : nullptr;
}

const TjxTextSearchOccurrence* TjxTextSearchPageList::CurrentOccurrence() const
{
    const TjxTextSearchPage* page = CurrentPage();
    if (!page || m_occurrenceIndex < 0 || m_occurrenceIndex >= page->Count())
        return nullptr;
    return &page->Occurrences[std::size_t(m_occurrenceIndex)];
}

int TjxTextSearchPageList::OccurrenceCount() const
{
    int count = 0;
    for (const TjxTextSearchPage& page : m_pages)
        count += page.Count();
    return count;
}

int TjxTextSearchPageList::GlobalIndex() const
{
    if (!CurrentOccurrence())
        return -1;
    int index = m_occurrenceIndex;
    for (int i = 0; i < m_pageIndex; ++i)
        index += m_pages[std::size_t(i)].Count();
    return index;
}

void TjxTextSearchPageList::SetGlobalIndex(int index)
{
    int rest = index;
    for (int i = 0; rest >= 0 && i < PageCount(); ++i) {
        if (rest < m_pages[std::size_t(i)].Count()) {
            m_pageIndex = i;
            m_occurrenceIndex = rest;
            return;
        }
        rest -= m_pages[std::size_t(i)].Count();
    }
    throw ESearchError(MessageText(msg::SearchIndexMissing, {QString::number(index)}));
}

bool TjxTextSearchPageList::First()
{
    if (m_pages.empty())
        return false;
    m_pageIndex = 0;
    m_occurrenceIndex = 0;
    return true;
}

bool TjxTextSearchPageList::Next()
{
    if (!CurrentOccurrence())
        return First();
    if (m_occurrenceIndex + 1 < CurrentPage()->Count()) {
        ++m_occurrenceIndex;
        return true;
    }
    if (m_pageIndex + 1 >= PageCount())
        return false;
    ++m_pageIndex;
    m_occurrenceIndex = 0;
    return true;
}

bool TjxTextSearchPageList::Prior()
{
    if (!CurrentOccurrence())
        return false;
    if (m_occurrenceIndex > 0) {
        --m_occurrenceIndex;
        return true;
    }
    if (m_pageIndex == 0)
        return false;
    --m_pageIndex;
    m_occurrenceIndex = CurrentPage()->Count() - 1;
    return true;
}

bool TjxTextSearchPageList::Last()
{
    if (m_pages.empty())
        throw ESearchError(MessageText(msg::SearchLastPageEmpty));
    m_pageIndex = PageCount() - 1;
    m_occurrenceIndex = CurrentPage()->Count() - 1;
    return true;
}

bool TjxTextSearchPageList::OnLast() const
{
    return CurrentOccurrence() && m_pageIndex == PageCount() - 1 && m_occurrenceIndex == CurrentPage()->Count() - 1;
}

void TjxTextSearchPageList::GotoPage(int pageNo)
{
    for (int i = 0; i < PageCount(); ++i)
        if (m_pages[std::size_t(i)].PageNo == pageNo) {
            m_pageIndex = i;
            m_occurrenceIndex = 0;
            return;
        }
    throw ESearchError(
        MessageText(msg::SearchGotoPageMissing, {QString::number(pageNo), QString::number(PageCount())}));
}

// One page

QStringList SearchLines(const TjxDrawText& command)
{
    QStringList lines;
    if (command.WordWrap())
        lines = command.WrappedText()->Lines();
    else if (!command.Text().isEmpty())
        lines.append(command.Text());
    // The paragraph mark is layout, not text: searching it would shift positions.
    for (QString& line : lines)
        line.remove(TjxTextMarkup::ParagraphEnd.toString());
    return lines;
}

namespace {

std::unique_ptr<TFont> SearchFont(const TjxDrawText& command)
{
    auto font = std::make_unique<TFont>();
    font->Assign(command.Font());
    font->SetName(DeviceSubstitution(font->Name()));
    return font;
}

int ToThousandths(double screenPixels, TjxAxis axis)
{
    return UnitsToThousandths(float(screenPixels), utScreenPixels, axis);
}

// The height of one line of the command, in thousandths: the command's own
// height per line when it is within a tenth of the font's.
int LineHeightThousandths(const TjxDrawText& command, int lineCount, const TTextMeasurer& measurer)
{
    const auto font = SearchFont(command);
    int height = ToThousandths(measurer.LineHeight(*font, 96), axVertical);
    if (command.IsMemo())
        height += command.Leading();
    if (command.IsMemo() && lineCount > 1) {
        const int perLine = command.Height() / lineCount;
        if (height > 0 && std::abs(perLine - height) <= height / 10)
            height = perLine;
    }
    return std::max(height, 1);
}

// Where the draw code puts characters [pos, pos + length) of a full-justified
// line, in pixels at 96 dpi from the line's left edge: the last line of a
// paragraph stays left-aligned, the others spread their blanks (a single word
// its letters) over the command's width.
std::pair<double, double> JustifiedSpan(const TjxDrawText& command, int lineNo, int pos, int length,
                                        const TFont& font, const TTextMeasurer& measurer)
{
    const QStringList lines = command.WordWrap() ? command.WrappedText()->Lines() : QStringList{command.Text()};
    QString line = lines.value(lineNo - 1);
    const bool endsParagraph = line.contains(TjxTextMarkup::ParagraphEnd);
    const bool oneWord = !line.trimmed().contains(u' ');
    line.remove(TjxTextMarkup::ParagraphEnd.toString());
    const auto width = [&](QStringView text) { return measurer.TextWidth(font, kScreenPixelsPerInch, text); };
    if (endsParagraph && (!command.ForceJustifyLastLine() || oneWord))
        return {width(QStringView(line).left(pos)), width(QStringView(line).left(pos + length))};
    const QString original = line;
    const TjxLineJustification j = JustifyLine(measurer, font, kScreenPixelsPerInch,
                                               ThousandthsToPixels(command.Width(), kScreenPixelsPerInch), {}, line);
    // A word spread letter by letter has a blank before each of its characters
    // but the first (and the low halves of surrogate pairs).
    const bool spaced = line.size() > original.size();
    const auto at = [&](qsizetype k) {
        if (!spaced || k <= j.leadingSpaces)
            return k;
        qsizetype mapped = k;
        for (qsizetype i = j.leadingSpaces + 1; i <= k && i < original.size(); ++i)
            if (!original[i].isLowSurrogate())
                ++mapped;
        return mapped;
    };
    const double start = JustifiedCharPosition(line, j.leadingSpaces, j.breakCount, j.extra, at(pos), width);
    const double end =
        length > 0 ? JustifiedCharPosition(line, j.leadingSpaces, j.breakCount, j.extra, at(pos + length - 1), width) +
                         width(QStringView(line).mid(at(pos + length - 1), 1))
                   : start;
    return {start, end};
}

} // namespace

QRect SearchTextRect(const TjxDrawText& command, int lineNo, int pos, int length, const TTextMeasurer& measurer)
{
    const QStringList lines = SearchLines(command);
    if (command.Angle() != 0 || lineNo < 1 || lineNo > lines.size())
        return QRect(command.Left(), command.Top(), command.Width(), command.Height());
    const QString& line = lines[lineNo - 1];
    const auto font = SearchFont(command);
    const auto width = [&](qsizetype from, qsizetype n) {
        return ToThousandths(measurer.TextWidth(*font, 96, QStringView(line).mid(from, n)), axHorizontal);
    };
    const int before = width(0, pos);
    const int match = width(pos, length);
    const int after = width(pos + length, line.size() - pos - length);
    int offset = 0;
    int matchWidth = match;
    switch (command.TextAlignment()) {
    case taRightJustified:
        offset = command.Width() - match - after;
        break;
    case taCentered:
        offset = before + int(RoundHalfEven((command.Width() - before - match - after) / 2.0L));
        break;
    case taFullJustified: {
        const auto [start, end] = JustifiedSpan(command, lineNo, pos, length, *font, measurer);
        offset = ToThousandths(start, axHorizontal);
        matchWidth = ToThousandths(end, axHorizontal) - offset;
        break;
    }
    default:
        offset = before;
        break;
    }
    const int lineHeight = LineHeightThousandths(command, int(lines.size()), measurer);
    return QRect(command.Left() + offset, command.Top() + (lineNo - 1) * lineHeight, std::max(matchWidth, 1),
                 lineHeight);
}

std::vector<TjxTextSearchOccurrence> SearchPageOccurrences(const TjxPage& page, const QString& text,
                                                           const TjxTextSearchOptions& options,
                                                           const TTextMeasurer& measurer, const bool* cancelled)
{
    std::vector<TjxTextSearchOccurrence> found;
    if (text.isEmpty())
        return found;
    const QString paragraphEnd = TjxTextMarkup::ParagraphEnd.toString();
    for (int index = 0; index < page.DrawCommandCount(); ++index) {
        if (cancelled && *cancelled)
            return {};
        const TjxDrawCommand* drawCommand = page.DrawCommand(index);
        const auto* command = dynamic_cast<const TjxDrawText*>(drawCommand);
        if (!command) {
            if (const auto* rich = dynamic_cast<const TjxDrawRichText*>(drawCommand))
                AppendRichTextOccurrences(found, *rich, index, text, options);
            continue;
        }
        // Most texts hold no match: a single-line text is looked into as it
        // is, without building its list of lines.
        if (!command->WordWrap() && !command->Text().contains(paragraphEnd) &&
            !TjxTextSearchToolbox::Find(command->Text(), text, options.WholeWord, options.CaseSensitive))
            continue;
        const QStringList lines = SearchLines(*command);
        int running = 0;
        for (int lineNo = 1; lineNo <= lines.size(); ++lineNo) {
            const QString& line = lines[lineNo - 1];
            int from = 0;
            while (int at = TjxTextSearchToolbox::Find(line, text, options.WholeWord, options.CaseSensitive, from)) {
                TjxTextSearchOccurrence occurrence;
                occurrence.DrawCommandIndex = index;
                occurrence.OccurrenceNo = ++running;
                occurrence.LineNo = lineNo;
                occurrence.CharPos = at - 1;
                occurrence.Length = int(text.size());
                occurrence.TextRect = SearchTextRect(*command, lineNo, at - 1, int(text.size()), measurer);
                occurrence.Top = occurrence.TextRect.top();
                occurrence.Left = command->Left() + running;
                found.push_back(occurrence);
                from = at - 1 + int(text.size());
            }
        }
    }
    // Numeric keys: the same order as the zero-padded text keys over the page,
    // and right for negative or very large values too.
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.Top != b.Top ? a.Top < b.Top : a.Left < b.Left;
    });
    return found;
}

std::unique_ptr<TjxDrawText> CreateHighlightDrawCommand(const TjxPage& page, const TjxTextSearchOccurrence& occurrence)
{
    if (occurrence.DrawCommandIndex < 0 || occurrence.DrawCommandIndex >= page.DrawCommandCount())
        return nullptr;
    const auto* command = dynamic_cast<const TjxDrawText*>(page.DrawCommand(occurrence.DrawCommandIndex));
    if (!command)
        return nullptr;
    const QStringList lines = SearchLines(*command);
    if (occurrence.LineNo < 1 || occurrence.LineNo > lines.size() ||
        occurrence.CharPos + occurrence.Length > lines[occurrence.LineNo - 1].size())
        return nullptr;
    auto highlight = std::make_unique<TjxDrawText>();
    highlight->SetFont(command->Font());
    highlight->Font()->SetColor(clHighlightText);
    highlight->SetColor(clHighlight);
    highlight->SetTransparent(false);
    highlight->SetText(lines[occurrence.LineNo - 1].mid(occurrence.CharPos, occurrence.Length));
    // A little wider than the measured word: the screen's fonts may run a
    // shade wider than the measurement (italics much more).
    const int pad = command->Font()->HasStyle(fsItalic) ? 750 : 100;
    const QRect r = occurrence.TextRect;
    highlight->SetLeft(r.left());
    highlight->SetTop(r.top());
    highlight->SetWidth(r.width() + pad);
    highlight->SetHeight(r.height());
    return highlight;
}

TjxPageHighlights CreatePageHighlights(const TjxPage& page,
                                       const std::vector<const TjxTextSearchOccurrence*>& occurrences)
{
    const auto outOfSync = [] {
        return ESearchError(MessageText(msg::SearchHighlightFailed, {MessageText(msg::SearchHighlightOutOfSync)}));
    };
    TjxPageHighlights highlights;
    // A rich text's matches are recoloured together, in one copy of it.
    std::map<int, std::vector<const TjxTextSearchOccurrence*>> rich;
    for (const TjxTextSearchOccurrence* occurrence : occurrences) {
        const int index = occurrence->DrawCommandIndex;
        if (index >= 0 && index < page.DrawCommandCount() &&
            dynamic_cast<const TjxDrawRichText*>(page.DrawCommand(index))) {
            rich[index].push_back(occurrence);
            continue;
        }
        auto overlay = CreateHighlightDrawCommand(page, *occurrence);
        if (!overlay)
            throw outOfSync();
        highlights.Overlays.push_back(std::move(overlay));
    }
    for (const auto& [index, matches] : rich) {
        auto copy = CreateRichTextHighlight(*static_cast<const TjxDrawRichText*>(page.DrawCommand(index)), matches);
        if (!copy)
            throw outOfSync();
        highlights.Substitutes.emplace(index, std::move(copy));
    }
    return highlights;
}

// Engine

TjxTextSearchEngine::TjxTextSearchEngine(const TTextMeasurer* measurer)
    : m_measurer(measurer ? measurer : &DefaultTextMeasurer())
{
}

TjxTextSearchOptions TjxTextSearchEngine::Options() const
{
    TjxTextSearchOptions options;
    if (m_settings) {
        options.CaseSensitive = m_settings->CaseSensitive();
        options.WholeWord = m_settings->WholeWord();
    }
    return options;
}

void TjxTextSearchEngine::Clear()
{
    m_pageList.Clear();
    m_text.clear();
    m_highestPage = 0;
    m_pageToGoTo = -1;
    m_allPagesSearched = false;
    m_cancelled = false;
    m_searched = false;
}

bool TjxTextSearchEngine::Search(const QString& text, int startPage, bool toLastPage)
{
    // A search asked for while one runs (from its progress handler) would
    // pull the pages away under the running one.
    if (Searching())
        return false;
    Clear();
    if (text.isEmpty())
        return false;
    m_text = text;
    m_highestPage = std::max(startPage, 1) - 1;
    m_searched = true;
    const bool found = SearchPages(std::max(startPage, 1), toLastPage);
    if (m_cancelled) {
        m_pageList.Clear();
        m_pageToGoTo = -1;
        return false;
    }
    if (found)
        m_pageList.First();
    return found;
}

bool TjxTextSearchEngine::SearchFurther(bool toLastPage)
{
    if (m_text.isEmpty() || m_allPagesSearched || m_cancelled || Searching())
        return false;
    const int pagesBefore = m_pageList.PageCount();
    SearchPages(m_highestPage + 1, toLastPage);
    return !m_cancelled && m_pageList.PageCount() > pagesBefore;
}

bool TjxTextSearchEngine::SearchPages(int from, bool toLastPage)
{
    TLevel level(m_searching);
    m_cancelled = false;
    bool found = false;
    for (int pageNo = from; !m_cancelled; ++pageNo) {
        bool lastPage = false;
        const auto read = [&](const TjxPage& page) {
            lastPage = page.LastPage();
            found = SearchOnePage(page) || found;
        };
        if (!m_pageSource || !m_pageSource(pageNo, read)) {
            m_allPagesSearched = true;
            break;
        }
        m_highestPage = std::max(m_highestPage, pageNo);
        if (lastPage)
            m_allPagesSearched = true;
        if (ProgressHandler)
            ProgressHandler(pageNo);
        if (m_allPagesSearched || (found && !toLastPage))
            break;
    }
    return found && !m_cancelled;
}

bool TjxTextSearchEngine::SearchOnePage(const TjxPage& page)
{
    const int pageNo = page.AbsolutePageNo();
    if (m_pageList.FindPage(pageNo))
        return false;
    std::vector<TjxTextSearchOccurrence> found =
        SearchPageOccurrences(page, m_text, Options(), *m_measurer, &m_cancelled);
    if (found.empty() || m_cancelled)
        return false;
    TjxTextSearchPage entry;
    entry.PageNo = pageNo;
    entry.Occurrences = std::move(found);
    m_pageList.Append(std::move(entry));
    if (m_pageToGoTo < 0)
        m_pageToGoTo = pageNo;
    return true;
}

int TjxTextSearchEngine::CurrentPageNo() const
{
    const TjxTextSearchPage* page = m_pageList.CurrentPage();
    return page ? page->PageNo : -1;
}

bool TjxTextSearchEngine::FirstOccurrence()
{
    return m_pageList.First();
}

bool TjxTextSearchEngine::PriorOccurrence()
{
    return m_pageList.Prior();
}

bool TjxTextSearchEngine::NextOccurrence()
{
    if (m_pageList.Next())
        return true;
    if (!m_allPagesSearched && SearchFurther(false))
        return m_pageList.Next();
    return false;
}

bool TjxTextSearchEngine::LastOccurrence()
{
    if (!m_allPagesSearched)
        SearchFurther(true);
    if (m_cancelled || m_pageList.PageCount() == 0)
        return false;
    return m_pageList.Last();
}

QString TjxTextSearchEngine::StatusText() const
{
    if (m_cancelled)
        return GetMessage(1051);
    if (!HasResult())
        return QString();
    const bool showAll = m_settings && m_settings->ShowAll();
    QString text = GetMessage(1048) + u' ';
    if (showAll)
        text += QString::number(OccurrenceCount());
    else
        text += QString::number(CurrentGlobalIndex() + 1) + u' ' + GetMessage(16) + u' ' +
                QString::number(OccurrenceCount());
    if (!m_allPagesSearched)
        text += u' ' + GetMessage(1045);
    const QString gap(10, u' ');
    if (showAll)
        text += gap + GetMessage(1062);
    if (m_settings && m_settings->CaseSensitive())
        text += gap + GetMessage(1063);
    if (m_settings && m_settings->WholeWord())
        text += gap + GetMessage(1064);
    return text;
}

} // namespace orvane
