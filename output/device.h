#pragma once

// Output devices: each says which pages it wants in its page request, takes
// part in its publisher's broadcasts and decides for every page it receives
// whether it asked for it.

#include "document/communicator.h"
#include "output/page_request.h"

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>

namespace orvane {

class TjxDrawCommand;
class TjxPage;
class TjxPublisher;

class TjxDevice : public TjxCommunicator {
    ORVANE_CLASS(TjxDevice, TjxCommunicator)
public:
    using TjxDeviceEvent = std::function<void(TjxDevice* device)>;
    using TjxReceivePageEvent = std::function<void(TjxDevice* device, TjxPage* page)>;
    using TjxStatusTextEvent = std::function<void(TjxDevice* device, const QString& text)>;

    explicit TjxDevice(TComponent* owner = nullptr);
    ~TjxDevice() override;

    // The registry name of the class; the base answers its class name.
    static QString ClassDeviceName() { return QStringLiteral("TjxDevice"); }
    virtual QString DeviceName() const { return ClassInfo().className; }

    bool Receiving() const { return m_receiving; }
    // Only while no job runs.
    void SetReceiving(bool value);
    bool JobRunning() const { return m_jobRunning; }
    bool JobCancelled() const { return m_jobCancelled; }
    bool PageIsNotice() const { return m_pageIsNotice; }
    bool PageIsRequested() const { return m_pageIsRequested; }
    int LanguageIndex() const { return m_languageIndex; }
    void SetLanguageIndex(int value) { m_languageIndex = value; }
    bool AwaitingPages() const { return m_awaitingPages; }

    // The producer's cancel dialog's status line (not owned; forgotten when it
    // goes away). Every device's status reaches it through ShowDialogStatus.
    QObject* CancelDialog() const { return m_cancelDialog.data(); }
    void SetCancelDialog(QObject* dialog) { m_cancelDialog = dialog; }

    TjxPageRequest* PageRequest() const { return m_pageRequest.get(); }
    // Copies the request's values; the device keeps its own.
    void AssignPageRequest(const TjxPageRequest* request);
    void SetPageSetting(TjxPageSettingType value) { m_pageRequest->SetPageSetting(value); }

    TjxPublisher* Publisher() const { return m_publisher; }
    // Detaches from the old publisher and attaches to the new one.
    void SetPublisher(TjxPublisher* publisher);

    bool InStack() const { return m_inStack; }
    const QString& StackKey() const { return m_stackKey; }
    // Both take effect only while the device has no publisher and no job.
    virtual void SetInStack(bool value);
    virtual void SetStackKey(const QString& value);

    const QString& StatusText() const { return m_statusText; }
    virtual void SetStatusText(const QString& text);

    virtual void Cancel();
    // Draws one command; devices that draw nothing answer false.
    virtual bool DrawCommand(TjxDrawCommand* command) { return false; }
    virtual bool RedrawCommand(TjxDrawCommand* command) { return false; }
    virtual void EndJob();
    // Whether pages that are not final only report progress.
    virtual bool HidesProvisionalPages() const { return true; }
    virtual void ReceivePage(TjxPage* page);
    virtual void Reset();
    virtual void StartJob();

    // Asks the publisher for the pages of the page request and, once the
    // last one came, ends the job.
    void RequestPages();
    // A device that reads pages for itself (the text search) asks for its own
    // pages only: the standing requests of the other devices, such as the
    // page a viewer shows, are not made again with each of its pages.
    bool RequestsAlone() const { return m_requestsAlone; }
    void SetRequestsAlone(bool value) { m_requestsAlone = value; }
    // Draws the commands that start on the paper, in order.
    void DrawPage(TjxPage* page);

    // Hooks for the owner of the device.
    TjxDeviceEvent CancelJobHandler;
    TjxDeviceEvent PageRequestHandler;
    TjxReceivePageEvent ReceivePageHandler;
    TjxDeviceEvent StartJobHandler;
    TjxDeviceEvent EndJobHandler;
    TjxDeviceEvent PublisherChangedHandler;
    // Called when the status text changes (a cancel dialog shows it).
    TjxStatusTextEvent StatusTextHandler;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    // The one way a status reaches the cancel dialog: shown when it differs
    // from the dialog's present text (the dialog then handles pending input).
    void ShowDialogStatus(const QString& text);
    // Ends the job without the end-job hook, after a failure.
    void AbandonJob();

private:
    friend class TjxPublisher;
    void ForgetPublisher() { m_publisher = nullptr; }
    // Tells devices apart where an address may be reused (one freed, another made).
    uint64_t Serial() const { return m_serial; }

    bool m_receiving = true;
    bool m_jobRunning = false;
    bool m_jobCancelled = false;
    QPointer<QObject> m_cancelDialog;
    bool m_pageIsNotice = false;
    bool m_pageIsRequested = false;
    int m_languageIndex = 0;
    std::unique_ptr<TjxPageRequest> m_pageRequest;
    TjxPublisher* m_publisher = nullptr;
    bool m_inStack = false;
    QString m_stackKey;
    QString m_statusText;
    bool m_awaitingPages = true;
    bool m_requestsAlone = false;
    uint64_t m_serial;
};

// The base of the devices that draw pages on a canvas (screen, printer).
class TjxRasterDevice : public TjxDevice {
    ORVANE_CLASS(TjxRasterDevice, TjxDevice)
public:
    using TjxDevice::TjxDevice;
};

} // namespace orvane
