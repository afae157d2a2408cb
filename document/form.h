#pragma once

// The base of every dialog and window the library opens. The core holds the
// abstract class and its data; the window itself is a class of the
// user-interface library, registered in the dialog registry. Without one
// registered the core goes on as with dialogs switched off.

#include "document/toolkit_component.h"

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace orvane {

class TIcon;
class TjxProducer;

enum TWindowState : uint8_t;

// What a modal window answered.
enum TModalResult : int { mrNone = 0, mrOK = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

class TjxForm : public TComponent {
    ORVANE_CLASS(TjxForm, TComponent)
public:
    using TjxFormEvent = std::function<void(TjxForm* form)>;
    // Answers whether the window may close.
    using TjxFormCloseQueryEvent = std::function<bool(TjxForm* form)>;

    explicit TjxForm(TComponent* owner = nullptr);
    ~TjxForm() override;

    // Hooks of the code that opened the window.
    TjxFormEvent OnActivateHook;
    TjxFormCloseQueryEvent OnCloseQueryHook;
    TjxFormEvent OnDestroyHook;
    TjxFormEvent OnCancelHook;
    void ClearHooks();

    int LanguageIndex() const { return m_languageIndex; }
    // Tells the window to reload its captions.
    void SetLanguageIndex(int value);
    TjxProducer* Report() const { return m_report; }
    // Tells the window; forgotten when the report goes away.
    void SetReport(TjxProducer* report);

    // The window. Without a window class nothing is shown and ShowModal answers mrCancel.
    virtual void Show() {}
    virtual TModalResult ShowModal() { return mrCancel; }
    virtual void Close() {}
    virtual bool IsShowing() const { return false; }
    virtual void SetWindowState(TWindowState) {}
    virtual void SetIcon(const TIcon&) {}

    // Frees the form once the event being handled has returned; freeing it
    // before that (its owner going away) cancels the release.
    void Release();

protected:
    virtual void LanguageChanged() {}
    virtual void ReportChanged() {}
    void Notification(TComponent* component, TOperation operation) override;

    // The window calls these.
    void DoActivate();
    bool DoCloseQuery();
    void DoCancel();

private:
    int m_languageIndex = 0;
    TjxProducer* m_report = nullptr;
    std::unique_ptr<QObject> m_releaseGuard;
};

// Message boxes for every part of the library. The user-interface library
// installs the window; without one (headless programs, tests) each box is
// recorded and answered with its default button.
enum TMsgDlgType : uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgButton : uint8_t { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8 };

struct TjxMessageBoxCall {
    QString text;
    TMsgDlgType type = mtInformation;
    int buttons = mbOK;
};

using TjxMessageBoxHandler = std::function<TModalResult(const TjxMessageBoxCall& call)>;

// Installs the window; none goes back to recording. Returns the earlier handler.
TjxMessageBoxHandler SetMessageBoxHandler(TjxMessageBoxHandler handler);
// Installs a handler for the calling thread only, ahead of the process's one;
// a worker thread, which may show no window, collects its boxes this way.
// Returns the thread's earlier handler.
TjxMessageBoxHandler SetThreadMessageBoxHandler(TjxMessageBoxHandler handler);
// Shows the box and answers the button chosen.
TModalResult ShowMessageBox(const QString& text, TMsgDlgType type = mtInformation, int buttons = mbOK);
// Shows the text of a failure that stopped a command.
void ShowErrorMessage(const std::exception& error);
// Records the box and answers its default button, as when no window is installed.
TModalResult RecordMessageBox(const TjxMessageBoxCall& call);
// The boxes shown while no window was installed, oldest first.
std::vector<TjxMessageBoxCall> RecordedMessageBoxes();
void ClearRecordedMessageBoxes();

// The system's warning sound before a question; the user-interface library
// installs it, headless programs stay silent.
void SetBeepHandler(std::function<void()> handler);
void Beep();

} // namespace orvane
