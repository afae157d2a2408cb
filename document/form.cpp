#include "document/form.h"

#include "document/errors.h"
#include "document/producer.h"

#include <QCoreApplication>
#include <QTimer>
#include <mutex>

namespace orvane {

const TClassInfo& TjxForm::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxForm>("TjxForm", &TComponent::StaticClass()).Build();
    return info;
}

TjxForm::TjxForm(TComponent* owner) : TComponent(owner) {}

TjxForm::~TjxForm()
{
    m_releaseGuard.reset();
    if (m_report)
        m_report->RemoveFreeNotification(this);
    if (OnDestroyHook) {
        const TjxFormEvent hook = std::move(OnDestroyHook);
        hook(this);
    }
}

void TjxForm::ClearHooks()
{
    OnActivateHook = nullptr;
    OnCloseQueryHook = nullptr;
    OnDestroyHook = nullptr;
    OnCancelHook = nullptr;
}

void TjxForm::SetLanguageIndex(int value)
{
    m_languageIndex = value;
    LanguageChanged();
}

void TjxForm::SetReport(TjxProducer* report)
{
    if (report == m_report)
        return;
    if (m_report)
        m_report->RemoveFreeNotification(this);
    m_report = report;
    if (m_report)
        m_report->FreeNotification(this);
    ReportChanged();
}

void TjxForm::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component && component == m_report) {
        m_report = nullptr;
        ReportChanged();
    }
}

void TjxForm::Release()
{
    if (m_releaseGuard || !QCoreApplication::instance())
        return;
    // The guard dies with the form, and the queued call with the guard.
    m_releaseGuard = std::make_unique<QObject>();
    QTimer::singleShot(0, m_releaseGuard.get(), [this] {
        m_releaseGuard.release()->deleteLater();
        delete this;
    });
}

void TjxForm::DoActivate()
{
    if (OnActivateHook)
        OnActivateHook(this);
}

bool TjxForm::DoCloseQuery()
{
    return OnCloseQueryHook ? OnCloseQueryHook(this) : true;
}

void TjxForm::DoCancel()
{
    if (OnCancelHook)
        OnCancelHook(this);
}

// ---- message boxes ----

namespace {

struct MessageBoxes {
    std::mutex lock;
    TjxMessageBoxHandler handler;
    std::vector<TjxMessageBoxCall> recorded;
};

MessageBoxes& Boxes()
{
    static MessageBoxes boxes;
    return boxes;
}

} // namespace

TjxMessageBoxHandler SetMessageBoxHandler(TjxMessageBoxHandler handler)
{
    auto& b = Boxes();
    std::lock_guard guard(b.lock);
    std::swap(b.handler, handler);
    return handler;
}

namespace {
thread_local TjxMessageBoxHandler t_threadHandler;
}

TjxMessageBoxHandler SetThreadMessageBoxHandler(TjxMessageBoxHandler handler)
{
    std::swap(t_threadHandler, handler);
    return handler;
}

TModalResult ShowMessageBox(const QString& text, TMsgDlgType type, int buttons)
{
    const TjxMessageBoxCall call{text, type, buttons};
    if (t_threadHandler)
        return t_threadHandler(call);
    TjxMessageBoxHandler handler;
    {
        auto& b = Boxes();
        std::lock_guard guard(b.lock);
        handler = b.handler;
    }
    return handler ? handler(call) : RecordMessageBox(call);
}

TModalResult RecordMessageBox(const TjxMessageBoxCall& call)
{
    {
        auto& b = Boxes();
        std::lock_guard guard(b.lock);
        b.recorded.push_back(call);
    }
    if (call.buttons & mbOK)
        return mrOK;
    if (call.buttons & mbYes)
        return mrYes;
    return mrCancel;
}

void ShowErrorMessage(const std::exception& error)
{
    if (const auto* e = dynamic_cast<const EOrvaneError*>(&error))
        ShowMessageBox(e->Message(), mtError);
    else
        ShowMessageBox(QString::fromUtf8(error.what()), mtError);
}

std::vector<TjxMessageBoxCall> RecordedMessageBoxes()
{
    auto& b = Boxes();
    std::lock_guard guard(b.lock);
    return b.recorded;
}

void ClearRecordedMessageBoxes()
{
    auto& b = Boxes();
    std::lock_guard guard(b.lock);
    b.recorded.clear();
}

namespace {

std::function<void()>& BeepHandler()
{
    static std::function<void()> handler;
    return handler;
}

} // namespace

void SetBeepHandler(std::function<void()> handler)
{
    BeepHandler() = std::move(handler);
}

void Beep()
{
    if (BeepHandler())
        BeepHandler()();
}

} // namespace orvane
