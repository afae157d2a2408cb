#include "dialogs/barcode_dialog.h"

#include "document/dialog_registry.h"
#include "document/errors.h"
#include "document/messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvane {

namespace {

// A number edit that takes any typed value: the dialog decides what it keeps.
QDoubleSpinBox* NumberEdit(double step)
{
    auto* edit = new QDoubleSpinBox;
    edit->setRange(-1e6, 1e6);
    edit->setDecimals(4);
    edit->setSingleStep(step);
    edit->setKeyboardTracking(false);
    return edit;
}

} // namespace

class TjxBarCodeDialogWindow : public QDialog {
public:
    explicit TjxBarCodeDialogWindow(TjxBarCodeDialog& form) : m_form(form)
    {
        setWindowTitle(GetMessage(444));
        setObjectName(QStringLiteral("BarCodeDialog"));
        auto* fields = new QFormLayout;
        m_type = new QComboBox;
        m_type->setObjectName(QStringLiteral("Type"));
        // The type's values, as the property inspector names them.
        m_type->addItems(BarCodeTypeType().enumNames);
        fields->addRow(GetMessage(445), m_type);
        m_orientation = new QComboBox;
        m_orientation->setObjectName(QStringLiteral("Orientation"));
        for (int n : {115, 116, 312, 375})
            m_orientation->addItem(GetMessage(n));
        fields->addRow(GetMessage(217), m_orientation);
        m_barWidth = NumberEdit(FineStep(form.Units()));
        m_barWidth->setObjectName(QStringLiteral("BarWidth"));
        fields->addRow(GetMessage(446), m_barWidth);
        m_ratio = NumberEdit(0.1);
        m_ratio->setObjectName(QStringLiteral("WideBarRatio"));
        fields->addRow(GetMessage(447), m_ratio);
        m_addOn = new QLineEdit;
        m_addOn->setObjectName(QStringLiteral("AddOnCode"));
        fields->addRow(GetMessage(448), m_addOn);
        m_bearer = new QCheckBox(GetMessage(449));
        m_bearer->setObjectName(QStringLiteral("BearerBars"));
        m_check = new QCheckBox(GetMessage(450));
        m_check->setObjectName(QStringLiteral("CalcCheckDigit"));
        m_autoEncode = new QCheckBox(GetMessage(692));
        m_autoEncode->setObjectName(QStringLiteral("AutoEncode"));
        fields->addRow(m_bearer);
        fields->addRow(m_check);
        fields->addRow(m_autoEncode);

        auto* buttons = new QDialogButtonBox;
        QPushButton* ok = buttons->addButton(GetMessage(17), QDialogButtonBox::AcceptRole);
        ok->setObjectName(QStringLiteral("OK"));
        QPushButton* cancel = buttons->addButton(GetMessage(5), QDialogButtonBox::RejectRole);
        cancel->setObjectName(QStringLiteral("Cancel"));
        QPushButton* apply = buttons->addButton(GetMessage(385), QDialogButtonBox::ApplyRole);
        apply->setObjectName(QStringLiteral("Apply"));
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(fields);
        layout->addWidget(buttons);

        connect(m_type, &QComboBox::activated, this, [this](int index) {
            m_form.SetBarCodeType(TjxBarCodeType(index), true);
            Show();
        });
        connect(m_orientation, &QComboBox::activated, this,
                [this](int index) { m_form.SetOrientation(TjxBarCodeOrientation(index)); });
        connect(m_barWidth, &QDoubleSpinBox::valueChanged, this, [this](double v) {
            m_form.SetBarWidth(v);
            Show();
        });
        connect(m_ratio, &QDoubleSpinBox::valueChanged, this, [this](double v) {
            m_form.SetWideBarRatio(v);
            Show();
        });
        connect(m_addOn, &QLineEdit::editingFinished, this, [this] { CommitAddOn(); });
        connect(m_bearer, &QCheckBox::toggled, this, [this](bool on) { m_form.SetBearerBars(on); });
        connect(m_check, &QCheckBox::toggled, this, [this](bool on) { m_form.SetCalcCheckDigit(on); });
        connect(m_autoEncode, &QCheckBox::toggled, this, [this](bool on) { m_form.SetAutoEncode(on); });
        connect(ok, &QPushButton::clicked, this, [this] {
            if (Commit() && Apply())
                accept();
        });
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
        connect(apply, &QPushButton::clicked, this, [this] {
            if (Commit())
                Apply();
        });
    }

    // Shows the dialog's values and which controls its type leaves enabled.
    void Show()
    {
        const QSignalBlocker b1(m_type), b2(m_orientation), b3(m_barWidth), b4(m_ratio), b5(m_bearer), b6(m_check),
            b7(m_autoEncode);
        m_type->setCurrentIndex(int(m_form.BarCodeType()));
        m_orientation->setCurrentIndex(int(m_form.Orientation()));
        m_barWidth->setSingleStep(FineStep(m_form.Units()));
        m_barWidth->setValue(m_form.BarWidth());
        m_ratio->setValue(m_form.WideBarRatio());
        if (!m_addOn->hasFocus() || m_addOn->text() != m_form.AddOnCode())
            m_addOn->setText(m_form.AddOnCode());
        m_bearer->setChecked(m_form.BearerBars());
        m_check->setChecked(m_form.CalcCheckDigit());
        m_autoEncode->setChecked(m_form.AutoEncode());
        m_addOn->setEnabled(m_form.AddOnCodeEnabled());
        m_check->setEnabled(m_form.CalcCheckDigitEnabled());
        m_bearer->setEnabled(m_form.BearerBarsEnabled());
        m_autoEncode->setEnabled(m_form.AutoEncodeEnabled());
    }

private:
    // A refused add-on code shows the previous one again.
    bool CommitAddOn()
    {
        if (m_addOn->text() == m_form.AddOnCode())
            return true;
        const bool taken = m_form.SetAddOnCode(m_addOn->text());
        m_addOn->setText(m_form.AddOnCode());
        return taken;
    }

    // The edit being typed in counts before OK or Apply.
    bool Commit()
    {
        m_barWidth->interpretText();
        m_ratio->interpretText();
        return CommitAddOn();
    }

    // Nothing the barcode raises may cross the event loop.
    bool Apply()
    {
        try {
            m_form.Apply();
            return true;
        } catch (const std::exception& e) {
            ShowMessageBox(QString::fromUtf8(e.what()), mtError);
        }
        return false;
    }

    TjxBarCodeDialog& m_form;
    QComboBox* m_type;
    QComboBox* m_orientation;
    QDoubleSpinBox* m_barWidth;
    QDoubleSpinBox* m_ratio;
    QLineEdit* m_addOn;
    QCheckBox* m_bearer;
    QCheckBox* m_check;
    QCheckBox* m_autoEncode;
};

const TClassInfo& TjxBarCodeDialog::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxBarCodeDialog>("TjxBarCodeDialog", &TjxCustomBarCodeDialog::StaticClass()).Creatable().Build();
    return info;
}

TjxBarCodeDialog::TjxBarCodeDialog(TComponent* owner) : TjxCustomBarCodeDialog(owner) {}

TjxBarCodeDialog::~TjxBarCodeDialog() = default;

QDialog* TjxBarCodeDialog::Window()
{
    if (!m_window)
        m_window = std::make_unique<TjxBarCodeDialogWindow>(*this);
    m_window->Show();
    return m_window.get();
}

TModalResult TjxBarCodeDialog::ShowModal()
{
    return Window()->exec() == QDialog::Accepted ? mrOK : mrCancel;
}

namespace {

struct TBarCodeDialogModule {
    TBarCodeDialogModule()
    {
        RegisterDialogClass(QStringLiteral("TjxCustomBarCodeDialog"), TjxBarCodeDialog::StaticClass());
    }
    ~TBarCodeDialogModule() { UnregisterDialogClass(QStringLiteral("TjxCustomBarCodeDialog")); }
};

const TBarCodeDialogModule s_barCodeDialogModule;

} // namespace

} // namespace orvane
