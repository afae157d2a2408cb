#include "output/device.h"

#include "output/cancel_dialog.h"

#include "document/page_def.h"
#include "output/draw_command.h"
#include "output/page.h"
#include "output/publisher.h"

#include <atomic>

namespace orvane {

const TClassInfo& TjxDevice::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxDevice>("TjxDevice", &TjxCommunicator::StaticClass()).Build();
    return info;
}

const TClassInfo& TjxRasterDevice::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxRasterDevice>("TjxRasterDevice", &TjxDevice::StaticClass()).Build();
    return info;
}

namespace {

std::atomic<uint64_t> s_nextDeviceSerial{1};

} // namespace

TjxDevice::TjxDevice(TComponent* owner)
    : TjxCommunicator(owner), m_pageRequest(std::make_unique<TjxPageRequest>()), m_serial(s_nextDeviceSerial++)
{
}

TjxDevice::~TjxDevice()
{
    // Leave the publisher's lists while this is still a whole device; the
    // owner's hook is not told about a device that is going away.
    if (m_publisher) {
        TjxPublisher* publisher = m_publisher;
        m_publisher = nullptr;
        publisher->RemoveDevice(this);
    }
}

void TjxDevice::SetReceiving(bool value)
{
    if (!m_jobRunning)
        m_receiving = value;
}

void TjxDevice::AssignPageRequest(const TjxPageRequest* request)
{
    if (request)
        m_pageRequest->Assign(request);
}

void TjxDevice::SetPublisher(TjxPublisher* publisher)
{
    if (publisher == m_publisher)
        return;
    if (m_publisher) {
        TjxPublisher* old = m_publisher;
        m_publisher = nullptr;
        old->RemoveDevice(this);
    }
    m_publisher = publisher;
    if (m_publisher)
        m_publisher->AddDevice(this);
    if (PublisherChangedHandler)
        PublisherChangedHandler(this);
}

void TjxDevice::Notification(TComponent* component, TOperation operation)
{
    TjxCommunicator::Notification(component, operation);
    if (operation == opRemove && component && component == m_publisher) {
        m_publisher = nullptr;
        if (PublisherChangedHandler)
            PublisherChangedHandler(this);
    }
}

void TjxDevice::SetInStack(bool value)
{
    if (!m_publisher && !m_jobRunning)
        m_inStack = value;
}

void TjxDevice::SetStackKey(const QString& value)
{
    if (!m_publisher && !m_jobRunning)
        m_stackKey = value;
}

void TjxDevice::SetStatusText(const QString& text)
{
    if (text == m_statusText)
        return;
    m_statusText = text;
    if (StatusTextHandler)
        StatusTextHandler(this, text);
    ShowDialogStatus(text);
}

void TjxDevice::ShowDialogStatus(const QString& text)
{
    auto* dialog = dynamic_cast<TjxCancelDialogStatus*>(m_cancelDialog.data());
    if (dialog && text != dialog->StatusText())
        dialog->ShowStatusText(text);
}

void TjxDevice::Cancel()
{
    m_jobRunning = false;
    m_jobCancelled = true;
    if (CancelJobHandler)
        CancelJobHandler(this);
}

void TjxDevice::EndJob()
{
    if (!m_jobRunning)
        return;
    m_jobRunning = false;
    m_awaitingPages = true;
    if (EndJobHandler)
        EndJobHandler(this);
}

void TjxDevice::AbandonJob()
{
    m_jobRunning = false;
    m_awaitingPages = true;
}

void TjxDevice::ReceivePage(TjxPage* page)
{
    m_pageIsNotice = false;
    m_pageIsRequested = m_pageRequest->IsRequested(*page);
    if (page->Calculation() || (!page->Final() && HidesProvisionalPages()))
        m_pageIsNotice = true;
    if (ReceivePageHandler)
        ReceivePageHandler(this, page);
    TjxEventParams params{{QStringLiteral("Page"), QVariant::fromValue<TPersistent*>(page), false}};
    SendEventNotify(ciDevicePageReceived, &params);
    if (m_awaitingPages && page->Final() && !page->Calculation())
        m_awaitingPages = !m_pageRequest->IsLastRequested(*page);
}

void TjxDevice::Reset()
{
    m_pageRequest->Clear();
    m_jobCancelled = false;
    m_awaitingPages = true;
}

void TjxDevice::StartJob()
{
    if (m_jobRunning)
        return;
    m_jobRunning = true;
    m_jobCancelled = false;
    if (StartJobHandler)
        StartJobHandler(this);
}

void TjxDevice::RequestPages()
{
    TjxPublisher* publisher = m_publisher;
    if (!publisher)
        return;
    m_awaitingPages = true;
    TjxDevice* const only = m_requestsAlone ? this : nullptr;
    try {
        publisher->StartJob(only);
        publisher->RequestPages(only);
    } catch (...) {
        if (!m_awaitingPages)
            publisher->EndJob(only);
        throw;
    }
    if (!m_awaitingPages)
        publisher->EndJob(only);
}

void TjxDevice::DrawPage(TjxPage* page)
{
    if (!page)
        return;
    // Commands that start beyond the paper are not drawn; those that only
    // run past its edge are.
    const int paperWidth = page->PageDef()->mmWidth();
    const int paperHeight = page->PageDef()->mmHeight();
    for (int i = 0; i < page->DrawCommandCount(); ++i) {
        TjxDrawCommand* command = page->DrawCommand(i);
        if (command->Left() <= paperWidth && command->Top() <= paperHeight)
            DrawCommand(command);
    }
}

} // namespace orvane
