#include "preview/print_preview.h"

#include "document/class_registry.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/producer.h"
#include "preview/preview.h"
#include "preview/status_bar.h"
#include "preview/viewer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace orvane {

const TClassInfo& TjxPrintPreview::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxPrintPreview>("TjxPrintPreview", &TjxCustomPreviewer::StaticClass()).Creatable().Build();
    return info;
}

class TjxPrintPreviewWindow : public QDialog {
public:
    explicit TjxPrintPreviewWindow(TjxPrintPreview* form) : QDialog(nullptr), m_form(form)
    {
        setObjectName(QStringLiteral("printPreview"));
        setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
        setSizeGripEnabled(false);
    }
    void Forget() { m_form = nullptr; }
    QWidget* Body() const { return m_body; }
    void SetBody(QWidget* body) { m_body = body; }

protected:
    void showEvent(QShowEvent* event) override
    {
        QDialog::showEvent(event);
        if (m_form && !m_form->m_activated) {
            // Generation starts inside the window's own message loop.
            QTimer::singleShot(0, this, [this] {
                if (m_form)
                    m_form->Activated();
            });
        }
    }
    void closeEvent(QCloseEvent* event) override
    {
        if (m_form && !m_form->m_closed) {
            event->ignore();
            m_form->Close();
            return;
        }
        QDialog::closeEvent(event);
    }
    void reject() override
    {
        if (m_form && !m_form->m_closed)
            m_form->Close();
        else
            QDialog::reject();
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (m_form && m_form->m_preview && m_form->m_preview->KeyDown(event))
            return;
        QDialog::keyPressEvent(event);
    }

private:
    TjxPrintPreview* m_form;
    QWidget* m_body = nullptr;
};

TjxPrintPreview::TjxPrintPreview(TComponent* owner) : TjxCustomPreviewer(owner), m_alive(std::make_shared<bool>(true))
{
    // Without widgets (a program with no window) there is nothing to show,
    // and the producer goes on as with no window class.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    m_window = new TjxPrintPreviewWindow(this);
    m_window->resize(kDefaultWidth, kDefaultHeight);
    auto* layout = new QVBoxLayout(m_window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* body = new QWidget(m_window);
    body->setObjectName(QStringLiteral("previewBody"));
    layout->addWidget(body, 1);
    m_window->SetBody(body);
    m_statusBar = new TjxStatusBar(m_window);
    m_statusBar->setObjectName(QStringLiteral("statusBar"));
    m_statusBar->AddPanel(275);
    m_statusBar->AddPanel(0);
    layout->addWidget(m_statusBar);
    m_preview.reset(CreatePreview(body));
    if (!m_preview)
        m_preview = std::make_unique<TjxPreview>(body);
    m_preview->SetStatusBar(m_statusBar);
    m_preview->CloseHandler = [this](TjxCustomPreview*) { Close(); };
    LanguageChanged();
}

TjxPrintPreview::~TjxPrintPreview()
{
    *m_alive = false;
    if (m_window)
        m_window->Forget();
    m_preview.reset();
    delete m_window.data();
}

TComponent* TjxPrintPreview::Viewer() const
{
    return PreviewViewer();
}

TjxViewer* TjxPrintPreview::PreviewViewer() const
{
    return m_preview ? m_preview->Viewer() : nullptr;
}

QDialog* TjxPrintPreview::Window() const
{
    return m_window;
}

void TjxPrintPreview::SetZoomSetting(TjxZoomSettingType value)
{
    if (TjxViewer* viewer = PreviewViewer())
        viewer->SetZoomSetting(value);
}

void TjxPrintPreview::SetZoomPercentage(int value)
{
    if (TjxViewer* viewer = PreviewViewer())
        viewer->SetZoomPercentage(value);
}

void TjxPrintPreview::LanguageChanged()
{
    if (!m_window)
        return;
    m_window->setWindowTitle(GetMessage(23));
    if (auto* preview = dynamic_cast<TjxPreview*>(m_preview.get()))
        preview->Retranslate();
}

void TjxPrintPreview::ReportChanged()
{
    if (m_preview && Report())
        m_preview->Start(Report());
}

void TjxPrintPreview::SetWindowState(TWindowState state)
{
    if (!m_window)
        return;
    switch (state) {
    case wsMaximized: m_window->setWindowState(Qt::WindowMaximized); break;
    case wsMinimized: m_window->setWindowState(Qt::WindowMinimized); break;
    default: m_window->setWindowState(Qt::WindowNoState); break;
    }
}

void TjxPrintPreview::SetIcon(const TIcon& icon)
{
    QPixmap pixmap;
    if (m_window && pixmap.loadFromData(icon.Data()))
        m_window->setWindowIcon(QIcon(pixmap));
}

bool TjxPrintPreview::IsShowing() const
{
    return m_window && m_window->isVisible();
}

namespace {

void Centre(QWidget* window)
{
    if (QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
    }
}

} // namespace

void TjxPrintPreview::Show()
{
    if (!m_window)
        return;
    m_modal = false;
    if (!(m_window->windowState() & Qt::WindowMaximized))
        Centre(m_window);
    m_window->show();
    // Showing a window that is not modal leaves generation to the producer.
    m_activated = true;
}

TModalResult TjxPrintPreview::ShowModal()
{
    if (!m_window)
        return mrCancel;
    m_modal = true;
    if (!(m_window->windowState() & Qt::WindowMaximized))
        Centre(m_window);
    const std::shared_ptr<bool> alive = m_alive;
    const QPointer<TjxPrintPreviewWindow> window = m_window;
    const int result = window->exec();
    // The window may be gone with its owner; nothing of it is touched then.
    if (!*alive)
        return mrCancel;
    m_modal = false;
    if (m_closed)
        Release();
    return result == QDialog::Accepted ? mrOK : mrCancel;
}

void TjxPrintPreview::Activated()
{
    if (m_activated || m_closing)
        return;
    m_activated = true;
    if (!m_preview)
        return;
    TjxCustomPreview::TUseScope use(m_preview.get());
    try {
        DoActivate();
    } catch (const std::exception& error) {
        // The window stays open and can be closed; the device is idle.
        ShowErrorMessage(error);
    }
}

bool TjxPrintPreview::Busy() const
{
    TjxViewer* viewer = PreviewViewer();
    return (m_preview && m_preview->InUse()) || (viewer && viewer->Busy()) || (Report() && Report()->Printing());
}

void TjxPrintPreview::ScheduleClose(int delayMs)
{
    if (!m_window)
        return;
    QTimer::singleShot(delayMs, m_window, [this] {
        if (!m_closed)
            Close();
    });
}

void TjxPrintPreview::Close()
{
    if (m_closed || !m_window)
        return;
    if (Busy()) {
        // Pages are being made further down the stack: stop them, and come
        // back once they have unwound.
        if (!m_closing) {
            m_closing = true;
            TjxViewer* viewer = PreviewViewer();
            if ((viewer && viewer->Busy()) || (Report() && Report()->Printing())) {
                try {
                    if (viewer)
                        viewer->Cancel();
                    else if (Report())
                        Report()->Cancel();
                } catch (const std::exception& error) {
                    ShowErrorMessage(error);
                }
            }
        }
        ScheduleClose(20);
        return;
    }
    m_closing = true;
    bool mayClose = true;
    try {
        mayClose = DoCloseQuery();
    } catch (const std::exception& error) {
        // The report's own close handlers failed: said so, and the window
        // still closes rather than staying with nothing to show.
        ShowErrorMessage(error);
    }
    if (!mayClose) {
        m_closing = false;
        return;
    }
    m_closed = true;
    if (m_modal) {
        m_window->done(QDialog::Rejected);
        return;  // released once the modal loop has returned
    }
    m_window->hide();
    Release();
}

} // namespace orvane
