#include "preview/viewer.h"

#include "document/custom_report.h"
#include "document/errors.h"
#include "document/form.h"
#include "document/printer_setup.h"
#include "document/report.h"
#include "output/draw_command.h"
#include "output/page.h"
#include "output/publisher.h"
#include "platform/canvas.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QScopeGuard>
#include <QTimer>
#include <QWheelEvent>

namespace orvane {

namespace {

QString ErrorText(const std::exception& error)
{
    if (const auto* e = dynamic_cast<const EOrvaneError*>(&error))
        return e->Message();
    return QString::fromUtf8(error.what());
}

} // namespace

const TClassInfo& TjxViewer::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxViewer>("TjxViewer", &TjxCommunicator::StaticClass()).Build();
    return info;
}

// Copies the part of the device's image it is asked to paint; it never draws
// the page itself.
class TjxViewerPaintBox : public QWidget {
public:
    explicit TjxViewerPaintBox(TjxViewer* viewer) : QWidget(nullptr), m_viewer(viewer)
    {
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        const QRect clip = event->rect();
        TjxScreenDevice* device = m_viewer->m_device;
        if (!m_viewer->PaintAllowed() || m_viewer->m_renderFailed) {
            painter.fillRect(clip, ToQColor(clBtnShadow));
            return;
        }
        try {
            device->EnsureRendered(clip);
        } catch (const std::exception& error) {
            // Tried again only for the next page or zoom.
            m_viewer->RenderFailed(error);
            painter.fillRect(clip, ToQColor(clBtnShadow));
            return;
        }
        const QImage& image = device->Image();
        const QRect imageRect = device->ImageRect();
        painter.fillRect(clip, ToQColor(clBtnShadow));
        const QRect covered = clip.intersected(imageRect);
        if (!covered.isEmpty() && !image.isNull())
            painter.drawImage(covered, image, covered.translated(-imageRect.topLeft()));
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        m_pressed = true;
        m_viewer->SendEventNotify(ciViewerMouseDown);
        emit m_viewer->mouseDown(event->button(), event->position().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (!m_pressed || event->button() != Qt::LeftButton)
            return;
        m_pressed = false;
        if (rect().contains(event->position().toPoint()))
            m_viewer->ClickAt(event->position().toPoint());
    }
    void mouseMoveEvent(QMouseEvent* event) override { m_viewer->UpdateCursor(event->position().toPoint()); }

private:
    TjxViewer* m_viewer;
    bool m_pressed = false;
};

struct TjxViewer::PrintState {
    QString deviceType;
    std::unique_ptr<TjxPrinterSetup> setup;
    bool showAutoSearchDialog = false;
};

TjxViewer::TjxViewer(QWidget* parent) : QWidget(parent), TjxCommunicator(nullptr)
{
    resize(320, 120);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ToQColor(clBtnShadow));
    palette.setColor(QPalette::WindowText, ToQColor(clBtnShadow));
    setPalette(palette);
    m_device = new TjxScreenDevice(this);
    m_device->SetView(this);
    m_device->StartJobHandler = [this](TjxDevice*) {
        m_ready = true;
        PrintStateChangedEvent();
    };
    m_device->EndJobHandler = [this](TjxDevice*) { PrintStateChangedEvent(); };
    m_device->CancelJobHandler = [this](TjxDevice*) { PrintStateChangedEvent(); };
    m_device->PublisherChangedHandler = [this](TjxDevice*) { PublisherChanged(); };
}

TjxViewer::~TjxViewer()
{
    m_destroying = true;
    if (m_report) {
        m_report->RemoveFreeNotification(this);
        m_report->RemoveEventNotify(this);
        m_report->RemoveEventNotify(m_device);
    }
    m_device->SetView(nullptr);
    m_device->PublisherChangedHandler = nullptr;
    delete m_device;
    m_device = nullptr;
}

QWidget* TjxViewer::PaintBox() const
{
    return m_paintBox;
}

// ---- children and drawing ----

void TjxViewer::CreateChildren()
{
    if (m_scrollBox)
        return;
    m_scrollBox = new QScrollArea(this);
    m_scrollBox->setFrameShape(QFrame::NoFrame);
    m_scrollBox->setWidgetResizable(false);
    m_scrollBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scrollBox->setGeometry(rect());
    m_scrollBox->viewport()->setAutoFillBackground(true);
    QPalette palette = m_scrollBox->viewport()->palette();
    palette.setColor(QPalette::Window, ToQColor(clBtnShadow));
    m_scrollBox->viewport()->setPalette(palette);
    // The keys belong to the preview; the wheel to the viewer.
    m_scrollBox->setFocusPolicy(Qt::NoFocus);
    m_scrollBox->viewport()->installEventFilter(this);
    m_paintBox = new TjxViewerPaintBox(this);
    m_paintBox->resize(m_device->ImageSize());
    m_scrollBox->setWidget(m_paintBox);
    m_scrollBox->setVisible(false);
}

bool TjxViewer::CanDraw()
{
    if (m_destroying)
        return false;
    CreateChildren();
    return true;
}

QSize TjxViewer::ClientSize() const
{
    // The scroll box fills the viewer without a frame; its size without the
    // scroll bars: their showing must not change the layout, or the page
    // would be laid out again and again.
    return size();
}

QRect TjxViewer::VisibleRect() const
{
    if (!m_scrollBox)
        return QRect(QPoint(0, 0), size());
    return QRect(QPoint(m_scrollBox->horizontalScrollBar()->value(), m_scrollBox->verticalScrollBar()->value()),
                 m_scrollBox->viewport()->size());
}

void TjxViewer::ImageReplaced()
{
    m_renderFailed = false;
    if (!CanDraw())
        return;
    if (!m_scrollBox->isVisible()) {
        setUpdatesEnabled(false);
        m_scrollBox->setVisible(true);
        setUpdatesEnabled(true);
        update();
    }
    m_paintBox->resize(m_device->ImageSize());
    // A new image of the same size (highlights drawn over the page) must show too.
    m_paintBox->update();
}

void TjxViewer::UpdateScrollBars()
{
    if (!m_scrollBox)
        return;
    if (m_resetScrollPosition) {
        m_scrollBox->horizontalScrollBar()->setValue(0);
        m_scrollBox->verticalScrollBar()->setValue(0);
        m_resetScrollPosition = false;
    }
}

void TjxViewer::PageShown()
{
    UpdateScrollBars();
    if (m_paintBox)
        m_paintBox->update();
    PageChangedEvent();
}

void TjxViewer::StatusChanged()
{
    SendEventNotify(ciViewerStatusChange);
    emit statusChanged();
}

void TjxViewer::ImageRectChanged(const QRect& rect)
{
    if (!m_paintBox)
        return;
    m_redrawingCommand = true;
    m_paintBox->update(rect);
    m_redrawingCommand = false;
}

void TjxViewer::PageChangedEvent()
{
    SendEventNotify(ciViewerPageChange);
    emit pageChanged();
}

void TjxViewer::PrintStateChangedEvent()
{
    if (m_paintBox)
        m_paintBox->update();
    SendEventNotify(ciViewerPrintStateChange);
    emit printStateChanged();
}

// ---- properties ----

void TjxViewer::SetReport(TjxProducer* report)
{
    if (report == m_report)
        return;
    if (m_report) {
        m_report->RemoveFreeNotification(this);
        m_report->RemoveEventNotify(m_device);
    }
    m_report = report;
    if (m_report) {
        m_report->FreeNotification(this);
        m_device->SetPublisher(m_report->Publisher());
        m_report->AddEventNotify(m_device);
        m_device->ShownPage()->SetPrinterSetup(m_report->PrinterSetup());
    } else {
        m_device->SetPublisher(nullptr);
    }
}

void TjxViewer::Notification(TComponent* component, TOperation operation)
{
    TjxCommunicator::Notification(component, operation);
    if (operation == opRemove && component && component == m_report) {
        m_report = nullptr;
        m_printState.reset();
        m_device->SetPublisher(nullptr);
        m_device->ShownPage()->Clear();
        m_device->Reset();
    }
}

void TjxViewer::PublisherChanged()
{
    // The report's publisher went away: the report goes with it.
    if (m_report && !m_device->Publisher() && !m_printState && !m_destroying) {
        TjxProducer* report = m_report;
        m_report = nullptr;
        report->RemoveFreeNotification(this);
        report->RemoveEventNotify(m_device);
        Reset();
    }
}

void TjxViewer::SetZoomSetting(TjxZoomSettingType value)
{
    m_zoomSetting = value;
    if (IsReadingOrLoading() || !CanDraw())
        return;
    if (isVisible()) {
        m_paintBox->hide();
        {
            // The page comes back however the new layout ends.
            const auto showAgain = qScopeGuard([this] {
                m_paintBox->update();
                m_paintBox->show();
            });
            m_device->DrawShownPage();
            m_resetScrollPosition = true;
            UpdateScrollBars();
        }
        PageChangedEvent();
    } else {
        m_resetScrollPosition = true;
        update();
    }
}

void TjxViewer::SetZoomPercentage(int value)
{
    m_zoomPercentage = std::clamp(value, 25, 250);
    SetZoomSetting(zsPercentage);
}

void TjxViewer::SetPageColor(TColor value)
{
    m_pageColor = value;
    update();
}

void TjxViewer::SetDesignSurface(bool value)
{
    m_designSurface = value;
    if (m_paintBox)
        m_paintBox->setVisible(!value);
}

void TjxViewer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_destroying || IsReadingOrLoading() || !CanDraw())
        return;
    m_scrollBox->setGeometry(rect());
    ++m_busy;
    try {
        m_device->DrawShownPage();
        UpdateScrollBars();
        PageChangedEvent();
    } catch (const std::exception& error) {
        RenderFailed(error);
    }
    m_paintBox->update();
    --m_busy;
}

void TjxViewer::RenderFailed(const std::exception& error)
{
    if (m_renderFailed)
        return;
    m_renderFailed = true;
    // Painting and resizing cannot open a window: the message follows once
    // they have returned.
    QTimer::singleShot(0, this, [text = ErrorText(error)] { ShowMessageBox(text, mtError); });
}

// ---- navigation and commands ----

int TjxViewer::AbsolutePageNo() const
{
    return m_device->ShownPage()->AbsolutePageNo();
}

bool TjxViewer::Busy() const
{
    return m_device->JobRunning() || (m_report && m_report->Printing());
}

void TjxViewer::FirstPage()
{
    if (!Busy())
        m_device->FirstPage();
}

void TjxViewer::PriorPage()
{
    if (!Busy() && AbsolutePageNo() > 1)
        m_device->GotoPage(AbsolutePageNo() - 1);
}

void TjxViewer::NextPage()
{
    if (!Busy() && !m_device->ShownPage()->LastPage() && AbsolutePageNo() > 0)
        m_device->GotoPage(AbsolutePageNo() + 1);
}

void TjxViewer::LastPage()
{
    if (!Busy())
        m_device->LastPage();
}

void TjxViewer::GotoPage(int pageNo)
{
    if (!Busy())
        m_device->GotoPage(pageNo);
}

void TjxViewer::Scroll(int kind)
{
    if (!m_scrollBox)
        return;
    QScrollBar* vertical = m_scrollBox->verticalScrollBar();
    QScrollBar* horizontal = m_scrollBox->horizontalScrollBar();
    switch (kind) {
    case 0: vertical->setValue(vertical->value() - m_scrollBox->height()); break;
    case 1: vertical->setValue(vertical->value() + m_scrollBox->height()); break;
    case 2: horizontal->setValue(horizontal->value() - m_scrollBox->width()); break;
    case 3: horizontal->setValue(horizontal->value() + m_scrollBox->width()); break;
    default: break;
    }
}

void TjxViewer::wheelEvent(QWheelEvent* event)
{
    if (m_scrollBox) {
        QScrollBar* vertical = m_scrollBox->verticalScrollBar();
        vertical->setValue(vertical->value() - event->angleDelta().y() / 5);
    }
    event->accept();
}

bool TjxViewer::eventFilter(QObject* watched, QEvent* event)
{
    if (m_scrollBox && watched == m_scrollBox->viewport() && event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TjxViewer::Cancel()
{
    if (m_report)
        m_report->Cancel();
}

void TjxViewer::RegenerateReport()
{
    if (!Busy())
        Regenerate();
}

void TjxViewer::Regenerate()
{
    if (Busy() || !m_report)
        return;
    m_ready = false;
    m_report->Publisher()->Reset();
    m_report->ResetRun();
    Reset();
    m_ready = true;
    if (ResetHandler)
        ResetHandler(this);
    m_device->RequestPages();
}

void TjxViewer::Reset()
{
    if (m_report)
        m_device->ShownPage()->SetPrinterSetup(m_report->PrinterSetup());
    m_device->Reset();
    if (ResetHandler)
        ResetHandler(this);
    SendEventNotify(ciViewerReset);
    emit viewerReset();
}

void TjxViewer::ClickAt(const QPoint& position)
{
    // A click while pages are made would start a second page request.
    if (Busy() || !m_report)
        return;
    // The report's click handler and the page made again may fail: the
    // message is shown, the click goes no further.
    try {
        if (TjxDrawCommand* command = m_device->HitTest(position.x(), position.y())) {
            if (command->ClickHandler())
                command->ClickHandler()(command);
            if (command->RedrawPage()) {
                command->SetRedrawPage(false);
                const int shown = AbsolutePageNo();
                m_device->PageRequest()->SetPageSetting(psSinglePage);
                m_device->PageRequest()->SetPageRequested(shown);
                m_device->RequestPages();
                if (m_paintBox)
                    UpdateCursor(m_paintBox->mapFromGlobal(QCursor::pos()));
            }
        }
        emit pageClicked();
    } catch (const std::exception& error) {
        ShowErrorMessage(error);
    }
}

void TjxViewer::UpdateCursor(const QPoint& position)
{
    if (!m_paintBox)
        return;
    if (!Busy() && m_device->HitTest(position.x(), position.y()))
        m_paintBox->setCursor(Qt::PointingHandCursor);
    else
        m_paintBox->unsetCursor();
}

// ---- printing from the viewer ----

void TjxViewer::Print()
{
    if (Busy() || !m_report || m_printState)
        return;
    auto state = std::make_unique<PrintState>();
    state->deviceType = m_report->DeviceType();
    state->setup = std::make_unique<TjxPrinterSetup>();
    state->setup->Assign(m_report->PrinterSetup());
    auto* report = dynamic_cast<TjxReport*>(m_report);
    state->showAutoSearchDialog = report && report->ShowAutoSearchDialog();
    m_printState = std::move(state);

    m_device->SetPublisher(nullptr);
    m_report->SetCurrentPage(AbsolutePageNo() > 0 ? AbsolutePageNo() : 1);
    AddEventInterest(ciProducerPrintFinished);
    m_report->AddEventNotify(this);
    if (report)
        report->SetShowAutoSearchDialog(false);
    m_report->SetDeviceType(QStringLiteral("Printer"));
    // Restored however printing ends: finished, cancelled, refused or failed,
    // so that a later save never stores "Printer".
    try {
        m_report->Print();
    } catch (...) {
        RestoreAfterPrint();
        throw;
    }
    RestoreAfterPrint();
}

void TjxViewer::EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params)
{
    TjxCommunicator::EventNotify(sender, eventId, params);
    if (eventId == ciProducerPrintFinished && sender == m_report)
        RestoreAfterPrint();
}

void TjxViewer::RestoreAfterPrint()
{
    if (!m_printState || !m_report)
        return;
    std::unique_ptr<PrintState> state = std::move(m_printState);
    m_report->RemoveEventNotify(this);
    m_report->SetDeviceType(state->deviceType);
    if (auto* report = dynamic_cast<TjxReport*>(m_report))
        report->SetShowAutoSearchDialog(state->showAutoSearchDialog);
    m_device->SetPublisher(m_report->Publisher());
    // Another paper or printer may change the layout: the page is made
    // again once the print run has unwound.
    if (!m_report->PrinterSetup()->Equals(*state->setup)) {
        const int shown = std::max(1, AbsolutePageNo());
        QTimer::singleShot(0, this, [this, shown] {
            if (!m_report || Busy())
                return;
            try {
                m_device->ShownPage()->SetPrinterSetup(m_report->PrinterSetup());
                m_device->PageRequest()->SetPageSetting(psSinglePage);
                m_device->PageRequest()->SetPageRequested(shown);
                m_device->RequestPages();
            } catch (const std::exception& error) {
                ShowErrorMessage(error);
            }
        });
    }
}

} // namespace orvane
