#pragma once

// The search toolbar of the preview and its list of matches: runs the text
// search engine over the viewer's report and highlights the current match
// (or all of the shown page's) over the viewer's own copy of the page.

#include "engine/text_search.h"

#include <QPointer>
#include <QWidget>
#include <memory>

class QLineEdit;
class QListWidget;
class QToolButton;
class QPushButton;
class QMenu;
class QAction;

namespace orvane {

class TjxScreenDevice;
class TjxStatusBar;
class TjxTextSearchSettings;
class TjxViewer;

class TjxTextSearchPreview : public QWidget {
    Q_OBJECT
public:
    enum TButton { sbFirst, sbPrior, sbNext, sbLast };

    TjxTextSearchPreview(TjxViewer* viewer, QWidget* parent = nullptr);
    ~TjxTextSearchPreview() override;

    // The report's settings (not owned): the edit's text and the options
    // come from them, the toolbar shows while they are enabled and visible.
    TjxTextSearchSettings* Settings() const { return m_settings; }
    void SetSettings(TjxTextSearchSettings* settings);
    void SetStatusBar(TjxStatusBar* bar) { m_statusBar = bar; }

    // Searches for the edit's text (a new search, or the existing result's first match).
    void Search();
    // Searches every page and lists each match.
    void FindAll();
    void First();
    void Prior();
    void Next();
    void Last();
    // Forgets the search and its highlights.
    void Clear();
    // Stops a running search; the shown page stays.
    void Cancel();
    bool Searching() const { return m_engine.Searching(); }

    const TjxTextSearchEngine& Engine() const { return m_engine; }
    QLineEdit* Edit() const { return m_edit; }
    QToolButton* Button(TButton button) const { return m_buttons[button]; }
    QPushButton* FindButton() const { return m_find; }
    QPushButton* DoneButton() const { return m_done; }
    // One row a match ("Page 2: Vendor"), in page order; choosing a row shows it.
    QListWidget* MatchList() const { return m_matchList; }
    QString StatusText() const { return m_engine.StatusText(); }
    // The options popup: Show All, Case Sensitive, Whole Word | first page, current page.
    QMenu* OptionsMenu() const { return m_options; }

    // The shown page changed: its matches are highlighted again.
    void PageChanged();
    // The user turned a page: the next search starts afresh.
    void ViewerNavigated() { m_outdated = true; }
    // Before going to the last page: the pages not searched yet are, without
    // stopping at their matches.
    void SearchRemainingPages();
    // The preview showed its first page: with RepeatSearchOnNavigate, the
    // default text is searched for at once.
    void AutomaticSearch();
    // The report was made again: the result no longer holds.
    void ViewerReset() { Clear(); }

    void Retranslate();
    // In rows, for the preview's left panel, instead of one row.
    bool Vertical() const { return m_vertical; }
    void SetVertical(bool vertical);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    class TPageSource;

    bool RunSearch(bool toLastPage);
    // Runs work that reads pages, through the search's own device.
    void WithPages(const std::function<void()>& work);
    void Navigate(bool (TjxTextSearchEngine::*step)());
    void ShowCurrent();
    // The highlights of the current match, or with ShowAll of all the page's.
    TjxPageHighlights HighlightsFor(const TjxPage& page) const;
    TjxPageHighlights HighlightsOnReceipt(const TjxPage& page);
    void HighlightShownPage();
    void FillMatchList();
    void MatchChosen(int row);
    void Refresh();
    void LayOut();
    void OptionToggled(int option, bool checked);
    // Runs an action: the hourglass, errors shown and the search cancelled,
    // buttons and status refreshed.
    void Run(const std::function<void()>& action);

    QPointer<TjxViewer> m_viewer;
    TjxTextSearchSettings* m_settings = nullptr;
    QPointer<TjxStatusBar> m_statusBar;
    TjxTextSearchEngine m_engine;
    std::unique_ptr<TjxScreenDevice> m_offScreen;
    QLineEdit* m_edit = nullptr;
    QToolButton* m_buttons[4] = {};
    QPushButton* m_find = nullptr;
    QPushButton* m_done = nullptr;
    QListWidget* m_matchList = nullptr;
    QMenu* m_options = nullptr;
    QAction* m_optionActions[5] = {};
    QString m_searchedText;
    bool m_searchedCase = false;
    bool m_searchedWholeWord = false;
    bool m_filling = false;
    bool m_vertical = false;
    bool m_outdated = false;
    // The page the viewer's highlights were last made for.
    int m_highlightedPage = -1;
};

} // namespace orvane
