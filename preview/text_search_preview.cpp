#include "preview/text_search_preview.h"

#include "document/message_ids.h"
#include "document/messages.h"
#include "document/producer.h"
#include "document/report_settings.h"
#include "output/draw_text.h"
#include "output/page.h"
#include "output/publisher.h"
#include "preview/screen_device.h"
#include "preview/status_bar.h"
#include "preview/viewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QActionGroup>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

namespace orvane {

namespace {

constexpr int kEditWidth = 115;
constexpr int kGap = 5;
constexpr int kArrowSize = 22;
constexpr int kButtonHeight = 23;
constexpr int kMinButtonWidth = 55;
constexpr int kVerticalHeight = 78;

// The hourglass for a scope.
struct TWaitCursor {
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

// The pages the search reads: the publisher's cached copies when it keeps
// them, the viewer's copy of the shown page, else pages made one at a time
// for a device of the search's own, so the viewer keeps showing its page.
// That device keeps no copy: the search reads each page while it is delivered.
class TjxTextSearchPreview::TPageSource {
public:
    TPageSource(TjxViewer* viewer, TjxScreenDevice* offScreen) : m_viewer(viewer), m_offScreen(offScreen) {}
    // The off-screen device leaves the publisher on every way out, errors included.
    ~TPageSource()
    {
        m_offScreen->PageReader = nullptr;
        // A request that failed half-way leaves the device's job open, and
        // an open job asks for nothing: the next search could not read a page.
        if (m_offScreen->JobRunning())
            m_offScreen->EndJob();
        m_offScreen->Reset();
        if (m_attached)
            m_offScreen->SetPublisher(nullptr);
    }

    // Called before a page is made for the search.
    std::function<void(int pageNo)> Making;

    bool operator()(int pageNo, const TjxTextSearchEngine::TPageReader& read)
    {
        TjxProducer* report = m_viewer ? m_viewer->Report() : nullptr;
        if (!report)
            throw ESearchEngineError(MessageText(msg::SearchViewerNil));
        TjxPublisher* publisher = report->Publisher();
        // By number each time: the cache replaces a page that is made again.
        if (publisher->CachePages())
            if (TjxPage* page = publisher->CachedPage(pageNo)) {
                read(*page);
                return true;
            }
        if (TjxPage* shown = m_viewer->CurrentPage(); shown && shown->AbsolutePageNo() == pageNo) {
            read(*shown);
            return true;
        }
        if (m_lastPageNo > 0 && pageNo > m_lastPageNo)
            return false;
        if (Making)
            Making(pageNo);
        if (!m_attached) {
            m_offScreen->SetPublisher(publisher);
            m_attached = true;
        }
        bool delivered = false;
        bool last = false;
        // Raised inside the report's run, an error would unwind through the
        // engine: it is kept and raised once the page request has returned.
        std::exception_ptr error;
        m_offScreen->PageReader = [&](const TjxPage& page) {
            if (page.AbsolutePageNo() != pageNo)
                return;
            delivered = true;
            last = page.LastPage();
            try {
                read(page);
            } catch (...) {
                error = std::current_exception();
            }
        };
        m_offScreen->GotoPage(pageNo);
        m_offScreen->PageReader = nullptr;
        if (error)
            std::rethrow_exception(error);
        if (delivered) {
            if (last)
                m_lastPageNo = pageNo;
            return true;
        }
        // Past the report's last page nothing comes.
        if (publisher->AbsolutePageCount() > 0 && pageNo > publisher->AbsolutePageCount())
            return false;
        throw ESearchEngineError(MessageText(msg::SearchRequestedPageNil));
    }

private:
    TjxViewer* m_viewer;
    TjxScreenDevice* m_offScreen;
    int m_lastPageNo = 0;
    bool m_attached = false;
};

TjxTextSearchPreview::TjxTextSearchPreview(TjxViewer* viewer, QWidget* parent)
    : QWidget(parent), m_viewer(viewer), m_offScreen(std::make_unique<TjxScreenDevice>())
{
    setObjectName(QStringLiteral("searchPanel"));
    m_offScreen->SetShowStatus(false);
    m_offScreen->SetDrawsPages(false);
    m_offScreen->SetRequestsAlone(true);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("searchEdit"));
    const char* names[] = {"searchFirst", "searchPrior", "searchNext", "searchLast"};
    const Qt::ArrowType arrows[] = {Qt::UpArrow, Qt::LeftArrow, Qt::RightArrow, Qt::DownArrow};
    for (int i = 0; i < 4; ++i) {
        m_buttons[i] = new QToolButton(this);
        m_buttons[i]->setObjectName(QString::fromLatin1(names[i]));
        m_buttons[i]->setArrowType(arrows[i]);
    }
    m_find = new QPushButton(this);
    m_find->setObjectName(QStringLiteral("searchFind"));
    m_done = new QPushButton(this);
    m_done->setObjectName(QStringLiteral("searchDone"));

    m_matchList = new QListWidget(this);
    m_matchList->setObjectName(QStringLiteral("searchMatches"));
    m_matchList->hide();

    connect(m_edit, &QLineEdit::returnPressed, this, [this] { Run([this] { Search(); }); });
    connect(m_edit, &QLineEdit::textChanged, this, [this] { Refresh(); });
    connect(m_buttons[sbFirst], &QToolButton::clicked, this, [this] { Run([this] { First(); }); });
    connect(m_buttons[sbPrior], &QToolButton::clicked, this, [this] { Run([this] { Prior(); }); });
    connect(m_buttons[sbNext], &QToolButton::clicked, this, [this] { Run([this] { Next(); }); });
    connect(m_buttons[sbLast], &QToolButton::clicked, this, [this] { Run([this] { Last(); }); });
    connect(m_find, &QPushButton::clicked, this, [this] { Run([this] { Search(); }); });
    connect(m_done, &QPushButton::clicked, this, [this] {
        if (Searching())
            Cancel();
        else
            Run([this] { Clear(); });
    });
    connect(m_matchList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_filling)
            Run([this, row] { MatchChosen(row); });
    });
    m_options = new QMenu(this);
    auto* start = new QActionGroup(this);
    for (int i = 0; i < 5; ++i) {
        if (i == 3)
            m_options->addSeparator();
        m_optionActions[i] = m_options->addAction(QString());
        m_optionActions[i]->setCheckable(true);
        if (i >= 3)
            start->addAction(m_optionActions[i]);
        connect(m_optionActions[i], &QAction::toggled, this, [this, i](bool checked) { OptionToggled(i, checked); });
    }
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_options->popup(mapToGlobal(at)); });
    // The long loops let the user's events through, so Cancel and Escape work.
    m_engine.ProgressHandler = [](int) { QCoreApplication::processEvents(); };
    // A page the viewer is given is drawn once, with its highlights.
    if (m_viewer)
        m_viewer->ScreenDevice()->HighlightsForPage = [this](const TjxPage& page) { return HighlightsOnReceipt(page); };
    Retranslate();
    Refresh();
}

TjxTextSearchPreview::~TjxTextSearchPreview()
{
    m_engine.CancelSearch();
    if (m_viewer) {
        m_viewer->ScreenDevice()->HighlightsForPage = nullptr;
        m_viewer->ScreenDevice()->SetHighlights({});
    }
}

void TjxTextSearchPreview::SetSettings(TjxTextSearchSettings* settings)
{
    m_settings = settings;
    m_engine.SetSettings(settings);
    if (settings) {
        m_edit->setText(settings->DefaultString());
        setVisible(settings->Enabled() && settings->Visible());
        m_optionActions[0]->setChecked(settings->ShowAll());
        m_optionActions[1]->setChecked(settings->CaseSensitive());
        m_optionActions[2]->setChecked(settings->WholeWord());
        m_optionActions[settings->SearchFromCurrentPage() ? 4 : 3]->setChecked(true);
    }
    Refresh();
}

void TjxTextSearchPreview::OptionToggled(int option, bool checked)
{
    if (!m_settings)
        return;
    switch (option) {
    case 0: m_settings->SetShowAll(checked); break;
    case 1: m_settings->SetCaseSensitive(checked); break;
    case 2: m_settings->SetWholeWord(checked); break;
    case 4: m_settings->SetSearchFromCurrentPage(checked); break;
    default: break;
    }
    // A changed option makes the next Find a new search; Show All redraws now.
    if (option == 0 && m_engine.HasResult() && !Searching())
        Run([this] { HighlightShownPage(); });
    Refresh();
}

void TjxTextSearchPreview::Retranslate()
{
    const int captions[] = {1062, 1063, 1064, 1057, 1056};
    for (int i = 0; i < 5; ++i)
        m_optionActions[i]->setText(GetMessage(captions[i]));
    m_edit->setToolTip(GetMessage(1052));
    m_buttons[sbFirst]->setToolTip(GetMessage(1058));
    m_buttons[sbPrior]->setToolTip(GetMessage(1061));
    m_buttons[sbNext]->setToolTip(GetMessage(1060));
    m_buttons[sbLast]->setToolTip(GetMessage(1059));
    m_find->setText(GetMessage(1072));
    m_find->setToolTip(GetMessage(1053));
    m_done->setText(GetMessage(Searching() ? 5 : 1046));
    m_done->setToolTip(GetMessage(1049));
    LayOut();
}

void TjxTextSearchPreview::SetVertical(bool vertical)
{
    m_vertical = vertical;
    LayOut();
}

void TjxTextSearchPreview::LayOut()
{
    // Positions as the toolbar has always had them: a row at the top of the
    // preview, or rows in its left panel.
    const int editHeight = m_edit->sizeHint().height();
    const auto captionWidth = [](const QPushButton* button) {
        return std::max(kMinButtonWidth, button->fontMetrics().horizontalAdvance(button->text()) + 10);
    };
    // Done is as wide as Find, and wide enough for "Cancel" while searching.
    const int findWidth = captionWidth(m_find);
    const int doneWidth = std::max({findWidth, kMinButtonWidth,
                                    m_done->fontMetrics().horizontalAdvance(GetMessage(1046)) + 10,
                                    m_done->fontMetrics().horizontalAdvance(GetMessage(5)) + 10});
    if (m_vertical) {
        m_edit->setGeometry(5, 5, kEditWidth, editHeight);
        const int arrowsTop = 5 + editHeight + 2;
        const int gaps[] = {7, 10, 7, 0};
        for (int i = 0, x = 5; i < 4; x += kArrowSize + gaps[i], ++i)
            m_buttons[i]->setGeometry(x, arrowsTop, kArrowSize, kArrowSize);
        const int buttonsTop = arrowsTop + kArrowSize + 2;
        m_find->setGeometry(5, buttonsTop, findWidth, kButtonHeight);
        m_done->setGeometry(5 + findWidth + 6, buttonsTop, doneWidth, kButtonHeight);
        setMinimumWidth(0);
        setFixedHeight(kVerticalHeight);
        return;
    }
    int x = 2;
    m_edit->setGeometry(x, 2, kEditWidth, editHeight);
    x += kEditWidth + kGap;
    for (QToolButton* button : m_buttons) {
        button->setGeometry(x, 2 + (editHeight - kArrowSize) / 2, kArrowSize, kArrowSize);
        x += kArrowSize + kGap;
    }
    m_find->setGeometry(x, 2, findWidth, kButtonHeight);
    x += findWidth + kGap;
    m_done->setGeometry(x, 2, doneWidth, kButtonHeight);
    setMinimumWidth(x + doneWidth);
    setFixedHeight(std::max(editHeight, kButtonHeight) + 4);
}

void TjxTextSearchPreview::Run(const std::function<void()>& action)
{
    // The window's messages run while a search goes on: only Cancel acts then.
    if (Searching())
        return;
    TWaitCursor wait;
    try {
        action();
    } catch (const std::exception& error) {
        m_engine.CancelSearch();
        QMessageBox::critical(this, QString(), QString::fromUtf8(error.what()));
    }
    Refresh();
}

bool TjxTextSearchPreview::RunSearch(bool toLastPage)
{
    if (!m_viewer || !m_viewer->Report())
        throw ESearchEngineError(MessageText(msg::SearchViewerNil));
    const QString text = m_edit->text();
    if (m_settings)
        m_settings->SetDefaultString(text);
    const int start = m_settings && m_settings->SearchFromCurrentPage() ? std::max(1, m_viewer->AbsolutePageNo()) : 1;
    m_outdated = false;
    bool found = false;
    m_done->setText(GetMessage(5));
    WithPages([&] { found = m_engine.Search(text, start, toLastPage); });
    m_searchedText = text;
    m_searchedCase = m_engine.Options().CaseSensitive;
    m_searchedWholeWord = m_engine.Options().WholeWord;
    return found;
}

void TjxTextSearchPreview::WithPages(const std::function<void()>& work)
{
    // Pages beyond the cache come through the search's own device; the
    // status line says which one is being made.
    TPageSource source(m_viewer, m_offScreen.get());
    const QString pageStatus = m_statusBar ? m_statusBar->PanelText(0) : QString();
    const TjxPage* shown = m_viewer ? m_viewer->CurrentPage() : nullptr;
    const QString documentName = shown ? shown->DocumentName() : QString();
    // A status line changed for every page would be painted for every page,
    // more often than anyone can read it: a few times a second is enough.
    QElapsedTimer statusShown;
    source.Making = [this, &documentName, &statusShown](int pageNo) {
        if (m_statusBar && (!statusShown.isValid() || statusShown.elapsed() >= 200)) {
            m_statusBar->SetPanelText(0, CalculatingPageText(pageNo, documentName));
            statusShown.start();
        }
    };
    m_engine.SetPageSource([&source](int pageNo, const TjxTextSearchEngine::TPageReader& read) {
        return source(pageNo, read);
    });
    struct TRestore {
        TjxTextSearchPreview* self;
        const QString& pageStatus;
        ~TRestore()
        {
            self->m_engine.SetPageSource(nullptr);
            if (self->m_statusBar)
                self->m_statusBar->SetPanelText(0, pageStatus);
        }
    } restore{this, pageStatus};
    work();
}

void TjxTextSearchPreview::SearchRemainingPages()
{
    if (!m_engine.HasResult() || m_engine.AllPagesSearched() || Searching() || !m_viewer || !m_viewer->Report())
        return;
    WithPages([this] { m_engine.SearchFurther(true); });
    Refresh();
}

void TjxTextSearchPreview::AutomaticSearch()
{
    if (!m_settings || !m_settings->RepeatSearchOnNavigate() || m_edit->text().isEmpty() || Searching() ||
        !m_viewer || m_viewer->Busy())
        return;
    Run([this] {
        if (RunSearch(false))
            ShowCurrent();
        else
            HighlightShownPage();
    });
}

void TjxTextSearchPreview::Search()
{
    const TjxTextSearchOptions options = m_engine.Options();
    // A result is used again only while it still answers the question: same
    // text and options, no page turned since. With RepeatSearchOnNavigate
    // (the only way to an automatic result) every search is a new one.
    const bool repeat = m_settings && m_settings->RepeatSearchOnNavigate();
    const bool same = m_engine.HasResult() && m_edit->text() == m_searchedText &&
                      options.CaseSensitive == m_searchedCase && options.WholeWord == m_searchedWholeWord &&
                      !m_outdated && !repeat;
    if (!same && !RunSearch(false)) {
        HighlightShownPage();
        Refresh();
        return;
    }
    if (same)
        m_engine.FirstOccurrence();
    ShowCurrent();
    Refresh();
}

void TjxTextSearchPreview::FindAll()
{
    RunSearch(true);
    FillMatchList();
    ShowCurrent();
    Refresh();
}

void TjxTextSearchPreview::Navigate(bool (TjxTextSearchEngine::*step)())
{
    if (!m_engine.HasResult())
        return;
    bool moved = false;
    WithPages([&] { moved = (m_engine.*step)(); });
    if (moved)
        ShowCurrent();
    Refresh();
}

void TjxTextSearchPreview::First() { Navigate(&TjxTextSearchEngine::FirstOccurrence); }
void TjxTextSearchPreview::Prior() { Navigate(&TjxTextSearchEngine::PriorOccurrence); }
void TjxTextSearchPreview::Next() { Navigate(&TjxTextSearchEngine::NextOccurrence); }
void TjxTextSearchPreview::Last() { Navigate(&TjxTextSearchEngine::LastOccurrence); }

void TjxTextSearchPreview::Clear()
{
    m_engine.Clear();
    m_searchedText.clear();
    m_filling = true;
    m_matchList->clear();
    m_filling = false;
    if (m_viewer)
        m_viewer->ScreenDevice()->SetHighlights({});
    m_highlightedPage = -1;
    Refresh();
}

void TjxTextSearchPreview::Cancel()
{
    m_engine.CancelSearch();
    if (m_viewer)
        m_viewer->ScreenDevice()->SetHighlights({});
    Refresh();
}

void TjxTextSearchPreview::ShowCurrent()
{
    const int pageNo = m_engine.CurrentPageNo();
    if (!m_viewer || pageNo <= 0)
        return;
    // A page the viewer is given comes with its highlights.
    if (m_viewer->AbsolutePageNo() != pageNo)
        m_viewer->GotoPage(pageNo);
    else
        HighlightShownPage();
    const int index = m_engine.CurrentGlobalIndex();
    if (index >= 0 && index < m_matchList->count()) {
        m_filling = true;
        m_matchList->setCurrentRow(index);
        m_filling = false;
    }
}

void TjxTextSearchPreview::PageChanged()
{
    // Pages the viewer receives were highlighted on their way in.
    if (m_engine.HasResult() && !Searching() && m_viewer && m_viewer->AbsolutePageNo() != m_highlightedPage)
        HighlightShownPage();
}

TjxPageHighlights TjxTextSearchPreview::HighlightsFor(const TjxPage& page) const
{
    const TjxTextSearchPage* entry = m_engine.HasResult() ? m_engine.PageList().FindPage(page.AbsolutePageNo()) : nullptr;
    if (!entry)
        return {};
    const bool all = m_settings && m_settings->ShowAll();
    const TjxTextSearchOccurrence* current = m_engine.CurrentOccurrence();
    std::vector<const TjxTextSearchOccurrence*> chosen;
    for (const TjxTextSearchOccurrence& occurrence : entry->Occurrences)
        if (all || &occurrence == current)
            chosen.push_back(&occurrence);
    return CreatePageHighlights(page, chosen);
}

TjxPageHighlights TjxTextSearchPreview::HighlightsOnReceipt(const TjxPage& page)
{
    m_highlightedPage = page.AbsolutePageNo();
    // Asked while the page is delivered: an error is shown once the run is over.
    try {
        return HighlightsFor(page);
    } catch (const std::exception& error) {
        m_engine.CancelSearch();
        const QString message = QString::fromUtf8(error.what());
        QMetaObject::invokeMethod(
            this, [this, message] { QMessageBox::critical(this, QString(), message); Refresh(); },
            Qt::QueuedConnection);
        return {};
    }
}

void TjxTextSearchPreview::HighlightShownPage()
{
    if (!m_viewer)
        return;
    TjxScreenDevice* device = m_viewer->ScreenDevice();
    const TjxPage* page = device->ShownPage();
    m_highlightedPage = page ? page->AbsolutePageNo() : -1;
    device->SetHighlights(page ? HighlightsFor(*page) : TjxPageHighlights{});
}

void TjxTextSearchPreview::FillMatchList()
{
    m_filling = true;
    m_matchList->clear();
    for (int p = 0; p < m_engine.PageList().PageCount(); ++p) {
        const TjxTextSearchPage& page = m_engine.PageList().Page(p);
        for (const TjxTextSearchOccurrence& occurrence : page.Occurrences)
            m_matchList->addItem(QStringLiteral("%1: %2").arg(page.PageNo).arg(m_searchedText) +
                                 QStringLiteral(" (%1)").arg(occurrence.LineNo));
    }
    m_filling = false;
}

void TjxTextSearchPreview::MatchChosen(int row)
{
    if (row < 0 || row >= m_engine.OccurrenceCount())
        return;
    const_cast<TjxTextSearchPageList&>(m_engine.PageList()).SetGlobalIndex(row);
    ShowCurrent();
}

void TjxTextSearchPreview::Refresh()
{
    const bool result = m_engine.HasResult() && m_engine.OccurrenceCount() > 0;
    const bool showAll = m_settings && m_settings->ShowAll();
    const bool arrows = result && !showAll && !Searching();
    const bool onFirst = m_engine.PageList().OnFirst();
    const bool onLast = m_engine.PageList().OnLast() && m_engine.AllPagesSearched();
    m_buttons[sbFirst]->setEnabled(arrows && !onFirst);
    m_buttons[sbPrior]->setEnabled(arrows && !onFirst);
    m_buttons[sbNext]->setEnabled(arrows && !onLast);
    m_buttons[sbLast]->setEnabled(arrows && !onLast);
    // Nothing to look for in an empty text.
    m_find->setEnabled(!m_edit->text().isEmpty() && !Searching());
    m_done->setEnabled(Searching() || m_engine.HasResult());
    m_done->setText(GetMessage(Searching() ? 5 : 1046));
    if (m_statusBar && m_statusBar->PanelCount() > 1)
        m_statusBar->SetPanelText(1, m_engine.StatusText());
}

void TjxTextSearchPreview::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && Searching()) {
        Cancel();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace orvane
