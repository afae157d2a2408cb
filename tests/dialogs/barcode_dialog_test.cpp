// The Configure window of a barcode: registered for the core's dialog, its
// controls follow the type, and OK, Apply and Cancel reach the barcode.

#include "components/barcode.h"
#include "components/barcode_dialog.h"
#include "dialogs/barcode_dialog.h"
#include "document/dialog_registry.h"
#include "document/messages.h"
#include "document/report.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include "tests/support/widget_environment.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

struct BarCodeWindow : ::testing::Test {
    void SetUp() override
    {
        // Boxes are recorded, not shown.
        saved = SetMessageBoxHandler(nullptr);
        ClearRecordedMessageBoxes();
        report = new TjxReport(&host);
        report->SetUnits(utInches);
        code = new TjxBarCode(&host);
        code->SetBand(report->CreateBand(btDetail));
        code->SetData(QStringLiteral("HELLO"));
    }
    void TearDown() override { SetMessageBoxHandler(saved); }

    template <class W>
    static W* Find(QDialog* window, const char* name)
    {
        auto* w = window->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    TjxMessageBoxHandler saved;
    TComponent host;
    TjxReport* report = nullptr;
    TjxBarCode* code = nullptr;
};

} // namespace

TEST_F(BarCodeWindow, ControlsFollowTheTypeAndApplyReachesTheBarcode)
{
    TjxBarCodeDialog dialog;
    dialog.Fill(*code);
    int applied = 0;
    dialog.OnApply = [&](TjxCustomBarCodeDialog& d) {
        ++applied;
        d.ApplyTo(*code);
    };
    QDialog* window = dialog.Window();
    EXPECT_EQ(window->windowTitle(), GetMessage(444));
    auto* type = Find<QComboBox>(window, "Type");
    auto* width = Find<QDoubleSpinBox>(window, "BarWidth");
    auto* addOn = Find<QLineEdit>(window, "AddOnCode");
    auto* bearer = Find<QCheckBox>(window, "BearerBars");
    auto* autoEncode = Find<QCheckBox>(window, "AutoEncode");
    ASSERT_TRUE(type && width && addOn && bearer && autoEncode);
    ASSERT_EQ(type->count(), 11);
    EXPECT_EQ(type->currentIndex(), int(bcCode39));
    EXPECT_FALSE(addOn->isEnabled() || bearer->isEnabled() || autoEncode->isEnabled());

    // Picking Code 128: a hundredth of an inch and Auto Encode checked.
    emit type->activated(int(bcCode128));
    EXPECT_DOUBLE_EQ(width->value(), 0.01);
    EXPECT_TRUE(autoEncode->isEnabled() && autoEncode->isChecked());
    // Picking EAN-13: the add-on may be typed; three digits are refused with the warning.
    emit type->activated(int(bcEAN_13));
    EXPECT_DOUBLE_EQ(width->value(), 0.013);
    EXPECT_TRUE(addOn->isEnabled());
    EXPECT_FALSE(bearer->isEnabled() || autoEncode->isChecked());
    addOn->setText(QStringLiteral("123"));
    Find<QPushButton>(window, "Apply")->click();
    EXPECT_EQ(applied, 0);
    ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(RecordedMessageBoxes()[0].text, GetMessage(424));
    EXPECT_TRUE(addOn->text().isEmpty());

    // Apply writes the values and leaves the window open.
    addOn->setText(QStringLiteral("12"));
    Find<QPushButton>(window, "Apply")->click();
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(code->BarCodeType(), bcEAN_13);
    EXPECT_EQ(code->AddOnCode(), u"12");
    EXPECT_EQ(code->mmBarWidth(), 330);
}

TEST_F(BarCodeWindow, ConfigureOpensTheRegisteredWindow)
{
    ASSERT_EQ(GetDialogClass(u"TjxCustomBarCodeDialog"), &TjxBarCodeDialog::StaticClass());
    // OK: a typed ratio counts without leaving its edit.
    QTimer::singleShot(0, [] {
        auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        auto* ratio = window->findChild<QDoubleSpinBox*>(QStringLiteral("WideBarRatio"));
        auto* orientation = window->findChild<QComboBox*>(QStringLiteral("Orientation"));
        ASSERT_TRUE(ratio && orientation);
        emit orientation->activated(int(orRightToLeft));
        ratio->findChild<QLineEdit*>()->setText(QStringLiteral("2.5"));
        window->findChild<QPushButton*>(QStringLiteral("OK"))->click();
    });
    EXPECT_TRUE(ConfigureBarCode(*code));
    EXPECT_EQ(code->WideBarRatio(), 2.5f);
    EXPECT_EQ(code->Orientation(), orRightToLeft);
    EXPECT_EQ(code->Data(), u"HELLO");

    // Cancel writes nothing.
    QTimer::singleShot(0, [] {
        auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        emit window->findChild<QComboBox*>(QStringLiteral("Type"))->activated(int(bcMSI));
        window->findChild<QPushButton*>(QStringLiteral("Cancel"))->click();
    });
    EXPECT_TRUE(ConfigureBarCode(*code));
    EXPECT_EQ(code->BarCodeType(), bcCode39);
}
