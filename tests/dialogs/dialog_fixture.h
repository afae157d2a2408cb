#pragma once

// What the dialog tests share: a report of one record a page on the test
// printer platform, the dialogs' windows found while they are open, and the
// message boxes answered by a script.

#include "tests/engine/report_fixture.h"
#include "tests/support/printer_fixture.h"
#include "tests/support/widget_environment.h"
#include "tests/support/widget_helpers.h"

#include "dialogs/message_box.h"
#include "document/form.h"
#include "document/printer_setup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QPointer>
#include <QRadioButton>

namespace orvane::test {

// A report of `records` pages, each showing its record's id.
inline void OneRecordAPage(ReportFixture& f, int records)
{
    f.AddData(records);
    TjxBand* detail = f.AddBand(btDetail, 250000);
    // Saved too, for the text file device.
    detail->SetSave(true);
    f.AddField(detail, "id")->SetSave(true);
    f.report->PrinterSetup()->SetDocumentName(QStringLiteral("Receipts"));
    f.report->SetDeviceType(QStringLiteral("Printer"));
}

// Message boxes answered by a script instead of a window, recorded in order.
struct ScriptedBoxes {
    std::vector<TjxMessageBoxCall> shown;
    TModalResult answer = mrOK;
    ScriptedBoxes()
    {
        SetMessageBoxHandler([this](const TjxMessageBoxCall& call) {
            shown.push_back(call);
            return call.buttons & mbYes ? answer : mrOK;
        });
    }
    ~ScriptedBoxes() { InstallMessageBoxWindow(); }
    QStringList Texts() const
    {
        QStringList texts;
        for (const auto& call : shown)
            texts << call.text;
        return texts;
    }
};

// Offers the modal window named `name` to `act` once it is open. The timer
// goes by itself once it acted; deleting it before stops looking.
inline QPointer<QTimer> WhenDialog(const QString& name, const std::function<void(QDialog*)>& act)
{
    return WhenModal([name, act](QWidget* modal) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (!dialog || dialog->objectName() != name)
            return false;
        act(dialog);
        return true;
    });
}

template <class T>
T* Child(QWidget* window, const char* name)
{
    T* child = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// In the print dialog: the printer (unless empty), pages "2-3,5", two
// collated copies, OK.
inline void PagesTwoToThreeAndFiveTwiceCollated(QDialog* dialog, const QString& printer)
{
    if (!printer.isEmpty()) {
        auto* printers = Child<QComboBox>(dialog, "printerList");
        printers->setCurrentIndex(printers->findText(printer));
    }
    Child<QRadioButton>(dialog, "pagesRadio")->setChecked(true);
    Child<QLineEdit>(dialog, "pagesEdit")->setText(QStringLiteral("2-3,5"));
    Child<QLineEdit>(dialog, "copiesEdit")->setText(QStringLiteral("2"));
    Child<QCheckBox>(dialog, "collateCheck")->setChecked(true);
    Child<QPushButton>(dialog, "okButton")->click();
}

} // namespace orvane::test
