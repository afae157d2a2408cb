#pragma once

// Text search over the pages of a report: the find rules, the matches of a
// page with the text rectangle of each, the list of pages with matches and
// the walk through them. No widgets: the preview supplies the pages and
// draws the highlights.

#include "document/errors.h"

#include <QRect>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace orvane {

class TTextMeasurer;
class TjxDrawCommand;
class TjxDrawText;
class TjxPage;
class TjxTextSearchSettings;

class ESearchEngineError : public ESearchError {
public:
    using ESearchError::ESearchError;
};

// The characters that end a word for whole-word matching.
bool IsSearchDelimiter(QChar c);

// The text operations of the search.
class TjxTextSearchToolbox {
public:
    // The first match of `pattern` in `text` at or after `from` (0-based):
    // its 1-based position, or 0. Case-insensitive matching compares
    // character by character, so positions always refer to `text` as it is.
    static int Find(const QString& text, const QString& pattern, bool wholeWord, bool caseSensitive,
                    int from = 0);
};

struct TjxTextSearchOccurrence {
    int DrawCommandIndex = -1;
    int OccurrenceNo = 0;  // 1-based within the command
    int LineNo = 1;        // 1-based
    int CharPos = 0;       // 0-based in the line
    int Length = 0;
    int Left = 0;          // sort keys, thousandths
    int Top = 0;
    // Where the matched text is drawn on the page, in thousandths.
    QRect TextRect;
};

class TjxTextSearchPage {
public:
    int PageNo = 0;
    std::vector<TjxTextSearchOccurrence> Occurrences;

    int Count() const { return int(Occurrences.size()); }
    const TjxTextSearchOccurrence& At(int index) const;
};

// The pages with matches, in the order searched, and the current match.
class TjxTextSearchPageList {
public:
    int PageCount() const { return int(m_pages.size()); }
    const TjxTextSearchPage& Page(int index) const { return m_pages.at(std::size_t(index)); }
    // The entry of a page number, or none.
    const TjxTextSearchPage* FindPage(int pageNo) const;
    void Append(TjxTextSearchPage page);
    void Clear();

    int CurrentPageIndex() const { return m_pageIndex; }
    int CurrentOccurrenceIndex() const { return m_occurrenceIndex; }
    const TjxTextSearchPage* CurrentPage() const;
    const TjxTextSearchOccurrence* CurrentOccurrence() const;

    // All matches of all pages, and the current one's index among them (-1 for none).
    int OccurrenceCount() const;
    int GlobalIndex() const;
    void SetGlobalIndex(int index);

    bool First();
    bool Prior();
    bool Next();
    bool Last();
    // The entry of the page becomes current at its first match.
    void GotoPage(int pageNo);
    bool OnFirst() const { return m_pageIndex == 0 && m_occurrenceIndex == 0; }
    bool OnLast() const;

private:
    std::vector<TjxTextSearchPage> m_pages;
    int m_pageIndex = -1;
    int m_occurrenceIndex = -1;
};

struct TjxTextSearchOptions {
    bool CaseSensitive = false;
    bool WholeWord = false;
};

// The matches of one page, sorted by Top, then Left. `cancelled` is read
// after each command.
std::vector<TjxTextSearchOccurrence> SearchPageOccurrences(const TjxPage& page, const QString& text,
                                                           const TjxTextSearchOptions& options,
                                                           const TTextMeasurer& measurer,
                                                           const bool* cancelled = nullptr);

// The lines a text command is searched by (a memo's wrapped lines, else its text).
QStringList SearchLines(const TjxDrawText& command);
// The rectangle of line `lineNo` (1-based), characters [pos, pos + length), in thousandths.
QRect SearchTextRect(const TjxDrawText& command, int lineNo, int pos, int length, const TTextMeasurer& measurer);

// The highlight of a plain text match: a text command with the matched text
// as written, in the highlight colours, over the match's text rectangle. None
// when the occurrence does not belong to a plain text command of the page.
std::unique_ptr<TjxDrawText> CreateHighlightDrawCommand(const TjxPage& page, const TjxTextSearchOccurrence& occurrence);

// What the viewer draws for highlighted matches of its page: over each plain
// text match a text in the highlight colours; in place of a rich text with
// matches, a copy whose matched characters are recoloured. The page and its
// commands are left as they are.
struct TjxPageHighlights {
    std::vector<std::unique_ptr<TjxDrawCommand>> Overlays;
    // By the index of the page's command each is drawn instead of.
    std::map<int, std::unique_ptr<TjxDrawCommand>> Substitutes;
};

// The highlights of the given matches of the page. An occurrence that does
// not fit the page raises ESearchError.
TjxPageHighlights CreatePageHighlights(const TjxPage& page,
                                       const std::vector<const TjxTextSearchOccurrence*>& occurrences);

class TjxTextSearchEngine {
public:
    // Reads one page; the page lives only for the call.
    using TPageReader = std::function<void(const TjxPage& page)>;
    // Hands the page of an absolute number to the reader; false past the
    // report's last page.
    using TPageSource = std::function<bool(int pageNo, const TPageReader& read)>;

    explicit TjxTextSearchEngine(const TTextMeasurer* measurer = nullptr);

    TjxTextSearchSettings* Settings() const { return m_settings; }
    void SetSettings(TjxTextSearchSettings* settings) { m_settings = settings; }
    TjxTextSearchOptions Options() const;
    void SetPageSource(TPageSource source) { m_pageSource = std::move(source); }
    // Called after each page searched (the preview processes its messages).
    std::function<void(int pageNo)> ProgressHandler;

    // Searches from `startPage` until a page with matches (or, with
    // `toLastPage`, to the last page). Nothing is searched for an empty text.
    bool Search(const QString& text, int startPage = 1, bool toLastPage = false);
    // Searches the pages after the highest one searched.
    bool SearchFurther(bool toLastPage);
    void CancelSearch() { m_cancelled = true; }
    // Forgets the result.
    void Clear();

    const QString& SearchText() const { return m_text; }
    bool Searching() const { return m_searching > 0; }
    bool Cancelled() const { return m_cancelled; }
    bool HasResult() const { return !m_text.isEmpty() && !m_cancelled && m_searched; }
    bool AllPagesSearched() const { return m_allPagesSearched; }
    int HighestPageSearched() const { return m_highestPage; }
    // The page the first search found its first match on, or -1.
    int PageToGoTo() const { return m_pageToGoTo; }

    const TjxTextSearchPageList& PageList() const { return m_pageList; }
    const TjxTextSearchOccurrence* CurrentOccurrence() const { return m_pageList.CurrentOccurrence(); }
    int OccurrenceCount() const { return m_pageList.OccurrenceCount(); }
    int CurrentGlobalIndex() const { return m_pageList.GlobalIndex(); }
    int CurrentPageNo() const;

    bool FirstOccurrence();
    bool PriorOccurrence();
    // Past the last known match, the pages not yet searched are searched first.
    bool NextOccurrence();
    bool LastOccurrence();

    // "Found 1 of 8 ...more...      Whole Word", or "Text Search Cancelled".
    QString StatusText() const;

private:
    bool SearchPages(int from, bool toLastPage);
    bool SearchOnePage(const TjxPage& page);

    const TTextMeasurer* m_measurer;
    TjxTextSearchSettings* m_settings = nullptr;
    TPageSource m_pageSource;
    TjxTextSearchPageList m_pageList;
    QString m_text;
    int m_highestPage = 0;
    int m_pageToGoTo = -1;
    int m_searching = 0;
    bool m_allPagesSearched = false;
    bool m_cancelled = false;
    bool m_searched = false;
};

} // namespace orvane
