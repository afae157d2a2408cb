#include "preview/preview.h"

#include "document/errors.h"
#include "document/form.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/producer.h"
#include "document/report.h"
#include "output/page.h"
#include "preview/outline_viewer.h"
#include "preview/status_bar.h"
#include "preview/text_search_preview.h"
#include "preview/viewer.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCursor>
#include <QHBoxLayout>
#include <QListWidget>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>
#include <mutex>

namespace orvane {

const TClassInfo& TjxCustomPreview::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxCustomPreview>("TjxCustomPreview", &TjxCommunicator::StaticClass()).Build();
    return info;
}

const TClassInfo& TjxPreview::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxPreview>("TjxPreview", &TjxCustomPreview::StaticClass()).Build();
    return info;
}

// ---- the preview class registry ----

namespace {

struct PreviewClasses {
    std::mutex lock;
    TjxPreviewFactory factory;
};

PreviewClasses& Previews()
{
    static PreviewClasses classes;
    return classes;
}

} // namespace

void RegisterPreviewClass(TjxPreviewFactory factory)
{
    std::lock_guard guard(Previews().lock);
    Previews().factory = std::move(factory);
}

void UnregisterPreviewClass()
{
    std::lock_guard guard(Previews().lock);
    Previews().factory = nullptr;
}

TjxCustomPreview* CreatePreview(QWidget* parent)
{
    TjxPreviewFactory factory;
    {
        std::lock_guard guard(Previews().lock);
        factory = Previews().factory;
    }
    return factory ? factory(parent) : nullptr;
}

// ---- TjxCustomPreview ----

TjxCustomPreview::TjxCustomPreview(QWidget* parent)
    : TjxCommunicator(nullptr), m_parent(parent), m_context(std::make_unique<QObject>())
{
    m_viewer = new TjxViewer(parent);
    m_viewer->setObjectName(QStringLiteral("viewer"));
    QObject::connect(m_viewer.data(), &TjxViewer::pageChanged, m_context.get(), [this] { Guarded([this] { PageChanged(); }); });
    QObject::connect(m_viewer.data(), &TjxViewer::printStateChanged, m_context.get(),
                     [this] { Guarded([this] { PrintStateChanged(); }); });
    QObject::connect(m_viewer.data(), &TjxViewer::statusChanged, m_context.get(),
                     [this] { Guarded([this] { StatusChanged(); }); });
    QObject::connect(m_viewer.data(), &TjxViewer::viewerReset, m_context.get(), [this] { Guarded([this] { ViewerReset(); }); });
}

TjxCustomPreview::~TjxCustomPreview()
{
    m_context.reset();
    if (m_report)
        m_report->RemoveFreeNotification(this);
}

QWidget* TjxCustomPreview::ViewerParent() const
{
    return m_parent;
}

void TjxCustomPreview::SetStatusBar(TjxStatusBar* bar)
{
    m_statusBar = bar;
}

void TjxCustomPreview::Start(TjxProducer* report)
{
    if (m_report)
        m_report->RemoveFreeNotification(this);
    m_report = report;
    if (m_report)
        m_report->FreeNotification(this);
    if (m_viewer)
        m_viewer->SetReport(report);
}

void TjxCustomPreview::Notification(TComponent* component, TOperation operation)
{
    TjxCommunicator::Notification(component, operation);
    if (operation == opRemove && component == m_report)
        m_report = nullptr;
}

void TjxCustomPreview::Guarded(const std::function<void()>& fn)
{
    // Nothing may leave a slot: the message is shown instead.
    try {
        fn();
    } catch (const std::exception& error) {
        ShowErrorMessage(error);
    }
}

void TjxCustomPreview::StatusChanged()
{
    if (!m_statusBar || !m_viewer)
        return;
    if (m_statusBar->SimplePanel())
        throw ESearchError(GetMessage(msg::NonSimplePanelStatusBar));
    while (m_statusBar->PanelCount() < 2)
        m_statusBar->AddPanel(m_statusBar->PanelCount() == 0 ? 275 : 0);
    m_statusBar->SetPanelText(0, m_viewer->Status());
}

void TjxCustomPreview::PerformAction(int action)
{
    TjxViewer* viewer = m_viewer;
    if (!viewer)
        return;
    TUseScope use(this);
    Guarded([&] {
        switch (action) {
        case paPrint:
            if (BeforePreviewPrintHandler)
                BeforePreviewPrintHandler(this);
            try {
                viewer->Print();
            } catch (...) {
                if (AfterPreviewPrintHandler)
                    AfterPreviewPrintHandler(this);
                throw;
            }
            if (AfterPreviewPrintHandler)
                AfterPreviewPrintHandler(this);
            break;
        case paAutoSearch: viewer->RegenerateReport(); break;
        case paWholePage: viewer->SetZoomSetting(zsWholePage); break;
        case paPageWidth: viewer->SetZoomSetting(zsPageWidth); break;
        case pa100Percent: viewer->SetZoomSetting(zs100Percent); break;
        case paFirstPage: viewer->FirstPage(); break;
        case paPriorPage: viewer->PriorPage(); break;
        case paNextPage: viewer->NextPage(); break;
        case paLastPage: viewer->LastPage(); break;
        case paCancel:
            if (m_report && (viewer->Busy() || m_report->Printing()))
                viewer->Cancel();
            break;
        case paClose:
            if (CloseHandler)
                CloseHandler(this);
            break;
        default: break;
        }
    });
}

bool TjxCustomPreview::KeyDown(QKeyEvent* event)
{
    TjxViewer* viewer = m_viewer;
    if (!viewer)
        return false;
    const bool control = event->modifiers() & Qt::ControlModifier;
    int action = -1;
    int scroll = -1;
    switch (event->key()) {
    case Qt::Key_PageUp:
        if (control)
            action = paPriorPage;
        else
            scroll = 0;
        break;
    case Qt::Key_PageDown:
        if (control)
            action = paNextPage;
        else
            scroll = 1;
        break;
    case Qt::Key_End: if (control) action = paLastPage; break;
    case Qt::Key_Home: if (control) action = paFirstPage; break;
    case Qt::Key_Escape: if (!control) action = paClose; break;
    case Qt::Key_Up: if (!control) scroll = 0; break;
    case Qt::Key_Down: if (!control) scroll = 1; break;
    case Qt::Key_Left: if (!control) scroll = 2; break;
    case Qt::Key_Right: if (!control) scroll = 3; break;
    default: break;
    }
    if (action < 0 && scroll < 0)
        return false;
    if (action >= 0)
        PerformAction(action);
    else
        viewer->Scroll(scroll);
    // The cursor may now be over another command.
    if (m_viewer && m_viewer->PaintBox())
        QCursor::setPos(QCursor::pos());
    return true;
}

// ---- TjxPreview ----

namespace {

constexpr int kToolPanelHeight = 26;
constexpr int kInnerPanelWidth = 550;
constexpr int kLeftPanelWidth = 125;
constexpr int kButtonWidth = 25;
constexpr int kButtonHeight = 22;
constexpr int kEditWidth = 37;

// x positions of the toolbar's controls, left to right.
constexpr int kPrintX = 2;
constexpr int kAutoSearchX = 27;
constexpr int kFindTextX = 77;
constexpr int kWholePageX = 108;
constexpr int kPageWidthX = 133;
constexpr int k100PercentX = 158;
constexpr int kZoomEditX = 186;

// The edits keep their narrow fixed width; where the desktop's font is wider
// than the one that width was made for, the edit's font gets smaller until
// the longest entry shows whole instead of scrolled.
void FitFontToWidth(QLineEdit* edit, const QString& longest)
{
    const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
    const int room = edit->width() - 2 * frame - 4;  // a line edit keeps 2 pixels inside each side
    QFont font = edit->font();
    int pixels = QFontInfo(font).pixelSize();
    while (pixels > 6 && QFontMetrics(font).horizontalAdvance(longest) > room)
        font.setPixelSize(--pixels);
    edit->setFont(font);
}
constexpr int kFirstX = 229;
constexpr int kPriorX = 254;
constexpr int kPageEditX = 282;
constexpr int kNextX = 323;
constexpr int kLastX = 348;
constexpr int kCloseX = 379;

int MessageOfAction(int action)
{
    switch (action) {
    case paPrint: return 22;
    case paAutoSearch: return 1021;
    case paFindText: return 1054;
    case paWholePage: return 30;
    case paPageWidth: return 31;
    case pa100Percent: return 1;
    case paFirstPage: return 13;
    case paPriorPage: return 29;
    case paNextPage: return 15;
    case paLastPage: return 14;
    default: return 6;
    }
}

// The button glyphs, drawn rather than loaded.
QIcon Glyph(int action)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x20, 0x20, 0x20);
    p.setPen(QPen(ink, 1));
    const auto triangle = [&](bool right, double x) {
        QPainterPath path;
        if (right) {
            path.moveTo(x, 3);
            path.lineTo(x + 6, 8);
            path.lineTo(x, 13);
        } else {
            path.moveTo(x + 6, 3);
            path.lineTo(x, 8);
            path.lineTo(x + 6, 13);
        }
        path.closeSubpath();
        p.fillPath(path, ink);
    };
    switch (action) {
    case paPrint:
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.fillRect(QRectF(1, 6, 14, 6), ink);
        p.fillRect(QRectF(4, 11, 8, 4), Qt::white);
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
        break;
    case paAutoSearch:
    case paFindText:
        p.drawEllipse(QRectF(2.5, 2.5, 8, 8));
        p.setPen(QPen(ink, 2));
        p.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
        break;
    case paWholePage:
        p.drawRect(QRectF(3.5, 1.5, 9, 13));
        break;
    case paPageWidth:
        p.drawRect(QRectF(1.5, 3.5, 13, 9));
        p.drawLine(QPointF(3, 8), QPointF(13, 8));
        break;
    case pa100Percent:
        p.setFont(QFont(QStringLiteral("Liberation Sans"), 6, QFont::Bold));
        p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("1:1"));
        break;
    case paFirstPage:
        p.fillRect(QRectF(3, 3, 2, 10), ink);
        triangle(false, 6);
        break;
    case paPriorPage: triangle(false, 5); break;
    case paNextPage: triangle(true, 5); break;
    case paLastPage:
        triangle(true, 4);
        p.fillRect(QRectF(11, 3, 2, 10), ink);
        break;
    default: break;
    }
    return QIcon(pixmap);
}

} // namespace

// Sends the keys of the preview's controls to the preview first, as a window
// that sees its keys before its controls does. The edits keep the keys that
// edit their text.
class TjxPreview::TKeyFilter : public QObject {
public:
    explicit TKeyFilter(TjxPreview* preview) : m_preview(preview) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const bool control = key->modifiers() & Qt::ControlModifier;
        const bool isEdit = watched == m_preview->m_pageEdit || watched == m_preview->m_zoomEdit;
        if (watched == m_preview->m_focusEdit && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter))
            return true;
        if (isEdit && !control &&
            (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right || key->key() == Qt::Key_Home ||
             key->key() == Qt::Key_End))
            return false;
        return m_preview->KeyDown(key);
    }

private:
    TjxPreview* m_preview;
};

TjxPreview::TjxPreview(QWidget* parent) : TjxCustomPreview(parent), m_keyFilter(std::make_unique<TKeyFilter>(this))
{
    auto* layout = new QVBoxLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_toolPanel = new QWidget(parent);
    m_toolPanel->setObjectName(QStringLiteral("toolPanel"));
    m_toolPanel->setFixedHeight(kToolPanelHeight);
    m_toolPanel->setAutoFillBackground(true);
    QPalette palette = m_toolPanel->palette();
    palette.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
    m_toolPanel->setPalette(palette);
    layout->addWidget(m_toolPanel);

    m_splitter = new QSplitter(Qt::Horizontal, parent);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_splitter->setChildrenCollapsible(false);
    m_leftPanel = new QWidget(m_splitter);
    m_leftPanel->setObjectName(QStringLiteral("leftPanel"));
    m_leftPanel->resize(kLeftPanelWidth, m_leftPanel->height());
    m_leftPanel->setMinimumWidth(kLeftPanelWidth);
    m_leftPanel->hide();
    auto* leftLayout = new QVBoxLayout(m_leftPanel);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);
    // The search panel sits above the outline, its controls in rows.
    m_search = new TjxTextSearchPreview(Viewer(), m_leftPanel);
    m_search->SetVertical(true);
    m_search->hide();
    m_search->Edit()->installEventFilter(m_keyFilter.get());
    leftLayout->addWidget(m_search);
    m_outlineViewer = new TjxOutlineViewer(m_leftPanel);
    m_outlineViewer->SetViewer(Viewer());
    leftLayout->addWidget(m_outlineViewer);
    leftLayout->addWidget(m_search->MatchList());
    // The panel shows while the outline does.
    AddEventInterest(ciOutlineVisibilityChanged);
    m_outlineViewer->Communicator()->AddEventNotify(this);
    Viewer()->setParent(m_splitter);
    m_splitter->addWidget(m_leftPanel);
    m_splitter->addWidget(Viewer());
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({kLeftPanelWidth, 1000});
    layout->addWidget(m_splitter, 1);

    BuildToolbar();
    Retranslate();
    SetNavigationEnabled(false, false, false, false, false);
}

TjxPreview::~TjxPreview() = default;

void TjxPreview::BuildToolbar()
{
    m_innerPanel = new QWidget(m_toolPanel);
    m_innerPanel->setObjectName(QStringLiteral("innerPanel"));
    m_innerPanel->setGeometry(0, 0, kInnerPanelWidth, kToolPanelHeight);
    const int y = (kToolPanelHeight - kButtonHeight) / 2;
    static const char* const names[] = {"print",     "autoSearch", "findText",  "wholePage", "pageWidth", "percent100",
                                        "firstPage", "priorPage",  "nextPage",  "lastPage",  "close"};
    const int xs[] = {kPrintX, kAutoSearchX, kFindTextX, kWholePageX, kPageWidthX, k100PercentX,
                      kFirstX, kPriorX,      kNextX,     kLastX,      kCloseX};
    for (int action = 0; action <= paCancel; ++action) {
        auto* button = new QToolButton(m_innerPanel);
        button->setObjectName(QString::fromLatin1(names[action]));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(true);
        button->setGeometry(xs[action], y, kButtonWidth, kButtonHeight);
        if (action != paCancel)
            button->setIcon(Glyph(action));
        QObject::connect(button, &QToolButton::clicked, Context(), [this, action] { ButtonClicked(action); });
        m_buttons[action] = button;
    }
    m_buttons[paFindText]->setCheckable(true);
    m_buttons[paAutoSearch]->hide();
    m_buttons[paFindText]->hide();
    m_zoomGroup = new QButtonGroup(m_innerPanel);
    m_zoomGroup->setExclusive(true);
    for (int action : {paWholePage, paPageWidth, pa100Percent}) {
        m_buttons[action]->setCheckable(true);
        m_zoomGroup->addButton(m_buttons[action], action);
    }
    m_buttons[paWholePage]->setChecked(true);

    const auto makeEdit = [this, y](const char* name, int x, const QString& pattern) {
        auto* edit = new QLineEdit(m_innerPanel);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setGeometry(x, y, kEditWidth, kButtonHeight);
        edit->setMaxLength(5);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
        edit->installEventFilter(m_keyFilter.get());
        return edit;
    };
    m_zoomEdit = makeEdit("zoomEdit", kZoomEditX, QStringLiteral("[0-9 ]{0,3} ?%?"));
    m_pageEdit = makeEdit("pageEdit", kPageEditX, QStringLiteral("[0-9]{0,5}"));
    FitFontToWidth(m_zoomEdit, QStringLiteral("888 %"));
    FitFontToWidth(m_pageEdit, QStringLiteral("88888"));
    QObject::connect(m_zoomEdit, &QLineEdit::returnPressed, Context(), [this] { ZoomEditEntered(); });
    QObject::connect(m_pageEdit, &QLineEdit::returnPressed, Context(), [this] { PageEditEntered(); });

    // Keeps the keyboard focus where no control uses the keys.
    m_focusEdit = new QLineEdit(m_innerPanel);
    m_focusEdit->setObjectName(QStringLiteral("focusEdit"));
    m_focusEdit->setGeometry(0, 0, 0, 0);
    m_focusEdit->installEventFilter(m_keyFilter.get());
    if (QWidget* window = Parent())
        window->installEventFilter(m_keyFilter.get());
    m_focusEdit->setFocus();
}

QToolButton* TjxPreview::Button(int action) const
{
    if (action == paClose)
        action = paCancel;
    return action >= 0 && action <= paCancel ? m_buttons[action] : nullptr;
}

void TjxPreview::Retranslate()
{
    m_search->Retranslate();
    for (int action = 0; action < paCancel; ++action)
        m_buttons[action]->setToolTip(GetMessage(MessageOfAction(action)));
    if (m_buttons[paFindText]->isChecked())
        m_buttons[paFindText]->setToolTip(GetMessage(1055));
    if (m_outlineViewer)
        m_outlineViewer->Retranslate();
    PrintStateChanged();
}

void TjxPreview::Start(TjxProducer* report)
{
    m_starting = true;
    m_cancelled = false;
    TjxCustomPreview::Start(report);
    m_search->Clear();
    m_automaticSearchDone = m_automaticSearchPending = false;
    m_search->SetSettings(report ? report->TextSearchSettings() : nullptr);
    m_search->SetStatusBar(StatusBar());
    SetNavigationEnabled(false, false, false, false, false);
    for (int action : {paPrint, paWholePage, paPageWidth, pa100Percent})
        m_buttons[action]->setEnabled(true);
    UpdateZoomButtons();
    const auto* outlined = dynamic_cast<const TjxReport*>(report);
    m_outlineWanted =
        outlined && outlined->OutlineSettings()->Enabled() && outlined->OutlineSettings()->Visible();
    m_outlineViewer->Clear();
    if (m_outlineViewer->OutlineVisible())
        SetOutlineVisible(false);
    RefreshVisibility();
    m_starting = false;
}

void TjxPreview::SetOutlineVisible(bool visible)
{
    m_outlineViewer->SetOutlineVisible(visible);
}

void TjxPreview::EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params)
{
    TjxCustomPreview::EventNotify(sender, eventId, params);
    if (eventId == ciOutlineVisibilityChanged && sender == m_outlineViewer->Communicator() && params)
        UpdateLeftPanel();
}

void TjxPreview::UpdateLeftPanel()
{
    // The panel shows while the outline or the search panel does.
    const bool visible = m_outlineViewer->OutlineVisible() || m_search->isVisibleTo(m_leftPanel);
    if (visible == !m_leftPanel->isHidden())
        return;
    m_leftPanel->setVisible(visible);
    if (visible)
        m_splitter->setSizes({kLeftPanelWidth, std::max(1, m_splitter->width() - kLeftPanelWidth)});
}

void TjxPreview::ViewerReset()
{
    m_search->ViewerReset();
    m_automaticSearchDone = m_automaticSearchPending = false;
    // A new run's tree may have no more nodes than the old one: build it anew.
    m_outlineViewer->Clear();
}

void TjxPreview::RefreshVisibility()
{
    const auto* report = dynamic_cast<const TjxReport*>(Report());
    m_buttons[paAutoSearch]->setVisible(report && report->ShowAutoSearchDialog());
    TjxTextSearchSettings* search = Report() ? Report()->TextSearchSettings() : nullptr;
    const bool enabled = search && search->Enabled();
    m_buttons[paFindText]->setVisible(enabled);
    m_buttons[paFindText]->setChecked(enabled && search->Visible());
    m_search->setVisible(enabled && search->Visible());
    m_search->MatchList()->setVisible(enabled && search->Visible());
    UpdateLeftPanel();
}

void TjxPreview::UpdateZoomButtons()
{
    switch (Viewer()->ZoomSetting()) {
    case zsWholePage: m_buttons[paWholePage]->setChecked(true); break;
    case zsPageWidth: m_buttons[paPageWidth]->setChecked(true); break;
    case zs100Percent: m_buttons[pa100Percent]->setChecked(true); break;
    case zsPercentage:
        // A percentage of its own: none of the three is down.
        m_zoomGroup->setExclusive(false);
        for (int action : {paWholePage, paPageWidth, pa100Percent})
            m_buttons[action]->setChecked(false);
        m_zoomGroup->setExclusive(true);
        break;
    }
}

void TjxPreview::SetNavigationEnabled(bool first, bool prior, bool next, bool last, bool edit)
{
    m_buttons[paFirstPage]->setEnabled(first);
    m_buttons[paPriorPage]->setEnabled(prior);
    m_buttons[paNextPage]->setEnabled(next);
    m_buttons[paLastPage]->setEnabled(last);
    m_pageEdit->setEnabled(edit);
}

void TjxPreview::PageChanged()
{
    TjxViewer* viewer = Viewer();
    const TjxPage* page = viewer->CurrentPage();
    const int pageNo = viewer->AbsolutePageNo();
    if (pageNo > 0)
        m_pageEdit->setText(QString::number(pageNo));
    m_zoomEdit->setText(QString::number(viewer->ZoomPercentageShown()) + QStringLiteral(" %"));
    UpdateZoomButtons();
    if (m_cancelled || pageNo <= 0) {
        SetNavigationEnabled(false, false, false, false, !m_cancelled && pageNo > 0);
    } else {
        const bool first = pageNo == 1;
        const bool last = page->LastPage();
        SetNavigationEnabled(!first, !first, !last, !last, true);
    }
    m_search->PageChanged();
    if (pageNo == 1 && !m_automaticSearchDone) {
        m_automaticSearchDone = true;
        m_automaticSearchPending = true;
    }
    StartPendingAutomaticSearch();
    if (page && pageNo == 1 && m_outlineWanted && !m_outlineViewer->OutlineVisible() && page->OutlineDrawCommand())
        SetOutlineVisible(true);
    if (page && m_outlineViewer->OutlineVisible()) {
        m_outlineViewer->UpdateFromPage(page);
        m_outlineViewer->SelectNodeOfPage(pageNo);
    }
    RefreshVisibility();
}

void TjxPreview::StartPendingAutomaticSearch()
{
    // Once the run that brought the first page is over: the search makes
    // pages of its own, which no running job may be asked for.
    TjxViewer* viewer = Viewer();
    if (!m_automaticSearchPending || !viewer || viewer->Busy() || (Report() && Report()->Printing()))
        return;
    m_automaticSearchPending = false;
    QMetaObject::invokeMethod(m_search, &TjxTextSearchPreview::AutomaticSearch, Qt::QueuedConnection);
}

void TjxPreview::PrintStateChanged()
{
    TjxViewer* viewer = Viewer();
    if (!viewer)
        return;
    StartPendingAutomaticSearch();
    QToolButton* button = m_buttons[paCancel];
    const bool running = viewer->ScreenDevice()->JobRunning();
    if (viewer->DesignSurface()) {
        button->setText(GetMessage(5));
        button->setEnabled(running);
    } else {
        button->setText(GetMessage(running ? 5 : 6));
        button->setEnabled(true);
    }
    button->setToolTip(button->text());
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(button->text()) + 30);
    if (QWidget* parent = Parent()) {
        if (running)
            parent->setCursor(Qt::BusyCursor);
        else
            parent->unsetCursor();
    }
    if (viewer->ScreenDevice()->JobCancelled()) {
        m_cancelled = true;
        SetNavigationEnabled(false, false, false, false, false);
    }
}

void TjxPreview::ButtonClicked(int action)
{
    if (action == paCancel) {
        // Close when nothing runs; otherwise stop what runs.
        TjxViewer* viewer = Viewer();
        const bool running = viewer && (viewer->Busy() || (Report() && Report()->Printing()));
        action = running ? paCancel : paClose;
    }
    if (action == paFindText) {
        // The settings first: the button, the toolbar and the match list follow them,
        // whatever redraw showing the toolbar sets off.
        const bool show = m_buttons[paFindText]->isChecked();
        if (auto* settings = Report() ? Report()->TextSearchSettings() : nullptr)
            settings->SetVisible(show);
        RefreshVisibility();
        m_buttons[paFindText]->setToolTip(GetMessage(m_buttons[paFindText]->isChecked() ? 1055 : 1054));
        if (m_search->isVisible()) {
            // Typing replaces the default text rather than adding to it.
            m_search->Edit()->setFocus();
            m_search->Edit()->selectAll();
        }
        return;
    }
    PerformAction(action);
}

void TjxPreview::PerformAction(int action)
{
    // Nothing else runs under a search: cancel and close stop it first.
    if (m_search->Searching()) {
        if (action == paCancel || action == paClose || action == paAutoSearch)
            m_search->Cancel();
        return;
    }
    if (action >= paFirstPage && action <= paLastPage) {
        if (action == paLastPage)
            Guarded([this] { m_search->SearchRemainingPages(); });
        m_search->ViewerNavigated();
    }
    TjxCustomPreview::PerformAction(action);
    if (action == paCancel && Viewer() && Viewer()->ScreenDevice()->JobCancelled()) {
        m_cancelled = true;
        SetNavigationEnabled(false, false, false, false, false);
    }
    if (m_focusEdit && action != paClose)
        m_focusEdit->setFocus();
}

bool TjxPreview::KeyDown(QKeyEvent* event)
{
    // Escape stops a running search before it may close anything.
    if (m_search->Searching()) {
        if (event->key() == Qt::Key_Escape)
            m_search->Cancel();
        return event->key() == Qt::Key_Escape;
    }
    // The search edit keeps its own keys.
    if (m_search->Edit()->hasFocus() && event->key() != Qt::Key_Escape)
        return false;
    return TjxCustomPreview::KeyDown(event);
}

void TjxPreview::PageEditEntered()
{
    const int pageNo = m_pageEdit->text().trimmed().toInt();
    m_focusEdit->setFocus();
    if (pageNo <= 0)
        return;
    m_search->ViewerNavigated();
    TUseScope use(this);
    Guarded([&] { Viewer()->GotoPage(pageNo); });
}

void TjxPreview::ZoomEditEntered()
{
    QString text = m_zoomEdit->text();
    text.remove(u' ');
    text.remove(u'%');
    bool ok = false;
    int percentage = text.toInt(&ok);
    if (!ok)
        percentage = 100;
    m_focusEdit->setFocus();
    TUseScope use(this);
    Guarded([&] {
        Viewer()->SetZoomPercentage(percentage);
        if (ZoomChangedHandler)
            ZoomChangedHandler(this);
    });
}

} // namespace orvane
