#include "dialogs/message_box.h"

#include "document/form.h"
#include "document/message_ids.h"
#include "document/messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace orvane {

namespace {

QString Caption(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return GetMessage(msg::MessageBoxWarning);
    case mtError: return GetMessage(msg::MessageBoxError);
    case mtConfirmation: return GetMessage(msg::MessageBoxConfirmation);
    default: return GetMessage(msg::MessageBoxInformation);
    }
}

QMessageBox::Icon Icon(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return QMessageBox::Warning;
    case mtError: return QMessageBox::Critical;
    case mtConfirmation: return QMessageBox::Question;
    case mtInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

TModalResult ShowWindow(const TjxMessageBoxCall& call)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return RecordMessageBox(call);
    QMessageBox::StandardButtons buttons;
    if (call.buttons & mbOK)
        buttons |= QMessageBox::Ok;
    if (call.buttons & mbYes)
        buttons |= QMessageBox::Yes;
    if (call.buttons & mbNo)
        buttons |= QMessageBox::No;
    if (call.buttons & mbCancel)
        buttons |= QMessageBox::Cancel;
    if (!buttons)
        buttons = QMessageBox::Ok;
    QPointer<QMessageBox> box =
        new QMessageBox(Icon(call.type), Caption(call.type), call.text, buttons, QApplication::activeWindow());
    box->setObjectName(QStringLiteral("messageBox"));
    const int answer = box->exec();
    delete box.data();
    switch (answer) {
    case QMessageBox::Ok: return mrOK;
    case QMessageBox::Yes: return mrYes;
    case QMessageBox::No: return mrNo;
    default: return mrCancel;
    }
}

} // namespace

void InstallMessageBoxWindow()
{
    SetMessageBoxHandler(&ShowWindow);
}

} // namespace orvane
