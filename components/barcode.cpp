#include "components/barcode.h"

#include "components/db_text.h"
#include "components/display_format.h"
#include "components/text_production.h"
#include "document/class_registry.h"
#include "document/component_registry.h"
#include "document/form.h"
#include "document/messages.h"
#include "document/stream_reader.h"
#include "document/stream_writer.h"
#include "document/units.h"
#include "engine/data_pipeline.h"
#include "platform/text_measurer.h"

#include <cmath>

namespace orvane {

namespace {

// A length given in inches as the report's units show it.
QString InchesInUnits(double inches, TjxUnitType units)
{
    double value = inches;
    switch (units) {
    case utMillimeters: value = inches * 25.4; break;
    case utScreenPixels: value = inches * kScreenPixelsPerInch; break;
    case utPrinterPixels: value = inches * kBarCodeReferenceDpi; break;
    case utMMThousandths: value = inches * 25400; break;
    default: break;
    }
    QString text;
    FormatGeneral(value, 7, FormatSettings().decimalSeparator, text);
    return text;
}

} // namespace

const TClassInfo& TjxCustomBarCode::StaticClass()
{
    using T = TjxCustomBarCode;
    using P = TjxPublish<T>;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TjxCustomBarCode", &TjxCustomComponent::StaticClass());
        P::Base(b);
        // Both are always written: their stored forms are what a reader of the stream relies on.
        b.Defined("mmBarWidth", [](T& c, TReader& r) { c.SetmmBarWidth(r.ReadThousandths()); },
                  [](const T& c, TWriter& w) { w.WriteInteger(c.m_mmBarWidth); }, [](const T&) { return true; });
        b.Defined(
            "mmWideBarRatio", [](T& c, TReader& r) { c.m_wideBarRatio = float(r.ReadInteger() / 25400.0); },
            [](const T& c, TWriter& w) { w.WriteInteger(int64_t(std::llround(double(c.m_wideBarRatio) * 25400.0))); },
            [](const T&) { return true; });
        return b.Build();
    }();
    return info;
}

TjxCustomBarCode::TjxCustomBarCode(TComponent* owner) : TjxCustomComponent(owner)
{
    SetInitialAutoSize(true);
    // 1.53 x 0.5083 inch.
    SetInitialSize(UnitsToThousandths(1.53f, utInches), UnitsToThousandths(0.5083f, utInches));
    Font()->OnChange = nullptr;
    Font()->SetName(QStringLiteral("Courier New"));
    Font()->OnChange = [this] { FontChanged(); };
}

const TTextMeasurer& TjxCustomBarCode::TextMeasurer() const
{
    return m_measurer ? *m_measurer : DefaultTextMeasurer();
}

void TjxCustomBarCode::Refuse(const QString& message) const
{
    if (!IsReadingOrLoading() && !m_printing && !message.isEmpty())
        ShowMessageBox(message, mtInformation, mbOK);
}

bool TjxCustomBarCode::Validate()
{
    // A dry run of the encoder, Code 128 included, so that its message shows
    // here once rather than from drawing code.
    TjxDrawBarCode command;
    FillCommand(command, CurrentData());
    const TjxBarCodeSymbol symbol = command.Encode();
    m_codeOK = symbol.ok;
    if (!symbol.ok)
        Refuse(symbol.message);
    return m_codeOK;
}

void TjxCustomBarCode::SymbolChanged()
{
    if (IsReadingOrLoading())
        return;
    AdjustBounds();
}

void TjxCustomBarCode::SetAddOnCode(const QString& value)
{
    if (value == m_addOnCode)
        return;
    if (!IsReadingOrLoading() && !value.isEmpty()) {
        if (!IsUpcEanType(m_barCodeType))
            return Refuse(GetMessage(423));
        bool digits = value.size() == 2 || value.size() == 5;
        for (QChar c : value)
            digits = digits && c >= u'0' && c <= u'9';
        if (!digits)
            return Refuse(GetMessage(424));
    }
    Change(m_addOnCode, value, "AddOnCode", true);
    SymbolChanged();
}

void TjxCustomBarCode::SetAutoEncode(bool value)
{
    if (value && m_barCodeType != bcCode128 && !IsReadingOrLoading())
        return;
    if (Change(m_autoEncode, value, "AutoEncode", true) && !IsReadingOrLoading()) {
        Validate();
        SymbolChanged();
    }
}

void TjxCustomBarCode::SetAutoSize(bool value)
{
    if (!value && (m_barCodeType == bcPostnet || m_barCodeType == bcFIM) && !IsReadingOrLoading())
        return Refuse(GetMessage(425));
    TjxCustomComponent::SetAutoSize(value);
}

void TjxCustomBarCode::SetAutoSizeFont(bool value)
{
    if (!value && IsUpcEanType(m_barCodeType) && !IsReadingOrLoading())
        return Refuse(GetMessage(426));
    if (Change(m_autoSizeFont, value, "AutoSizeFont", true))
        SymbolChanged();
}

void TjxCustomBarCode::SetAlignment(TAlignment value)
{
    if (value == Alignment() || value > taCenter)
        return;
    const TjxTextAlignment text = value == taRightJustify ? taRightJustified : value == taCenter ? taCentered
                                                                                                  : taLeftJustified;
    if (IsReadingOrLoading())
        return StoreAlignment(text);
    NotifyDesignerPropertyChange(QStringLiteral("Alignment"));
    StoreAlignment(text);
    AfterChange(false);
}

void TjxCustomBarCode::SetBarCodeType(TjxBarCodeType value)
{
    if (value > bcMSI)
        return;
    if (IsReadingOrLoading()) {
        m_barCodeType = value;
        return;
    }
    // The same type again keeps the user's data.
    if (value == m_barCodeType)
        return;
    NotifyDesignerPropertyChange(QStringLiteral("BarCodeType"));
    m_barCodeType = value;
    m_data = BarCodeSample(value, m_calcCheckDigit, IsDataAware());
    m_codeOK = true;
    if (value == bcPostnet || value == bcFIM) {
        TjxCustomComponent::SetAutoSize(true);
        m_printHumanReadable = false;
    }
    if (IsUpcEanType(value))
        m_autoSizeFont = true;
    if (value == bcCode128)
        m_autoEncode = true;
    m_mmBarWidth = BarCodeDefaultWidth(value);
    AfterChange(true);
    AdjustBounds();
}

void TjxCustomBarCode::SetBarColor(TColor value)
{
    if (Change(m_barColor, value, "BarColor"))
        Font()->SetColor(value);
}

void TjxCustomBarCode::FontChanged()
{
    m_barColor = Font()->Color();
    TjxCustomComponent::FontChanged();
    SymbolChanged();
}

void TjxCustomBarCode::SetBarWidth(double value)
{
    if (!std::isfinite(value))
        return;
    const int th = FromUnits(value, axHorizontal);
    if (!IsReadingOrLoading()) {
        // Checked on the converted length, so the limits themselves always pass.
        if (th < kMinBarWidth)
            return Refuse(FillMessage(FormatMessage(GetMessage(427)), {InchesInUnits(0.004, Units())}));
        if (th > kMaxBarWidth)
            return Refuse(FillMessage(FormatMessage(GetMessage(428)), {InchesInUnits(0.1, Units())}));
    }
    SetmmBarWidth(th);
}

void TjxCustomBarCode::SetmmBarWidth(int value)
{
    if (Change(m_mmBarWidth, value, "BarWidth", true))
        SymbolChanged();
}

void TjxCustomBarCode::SetBearerBars(bool value)
{
    if (value && m_barCodeType != bcInt2of5 && !IsReadingOrLoading())
        return Refuse(GetMessage(429));
    if (Change(m_bearerBars, value, "BearerBars"))
        SymbolChanged();
}

void TjxCustomBarCode::SetCalcCheckDigit(bool value)
{
    if (Change(m_calcCheckDigit, value, "CalcCheckDigit", true) && !IsReadingOrLoading()) {
        Validate();
        SymbolChanged();
    }
}

void TjxCustomBarCode::SetData(const QString& value)
{
    if (Change(m_data, value, "Data", true) && !IsReadingOrLoading()) {
        Validate();
        SymbolChanged();
    }
}

void TjxCustomBarCode::SetOrientation(TjxBarCodeOrientation value)
{
    if (value <= orBottomToTop && Change(m_orientation, value, "Orientation", true))
        SymbolChanged();
}

void TjxCustomBarCode::SetPrintHumanReadable(bool value)
{
    if (Change(m_printHumanReadable, value, "PrintHumanReadable", true))
        SymbolChanged();
}

void TjxCustomBarCode::SetWideBarRatio(float value)
{
    if (!std::isfinite(value) || value <= 0)
        return;
    if (Change(m_wideBarRatio, value, "WideBarRatio", true))
        SymbolChanged();
}

void TjxCustomBarCode::Loaded()
{
    TjxCustomComponent::Loaded();
    m_codeOK = EncodeBarCode({m_barCodeType, m_data, m_calcCheckDigit, m_autoEncode, m_addOnCode}).ok;
}

void TjxCustomBarCode::FillCommand(TjxDrawBarCode& c, const QString& data) const
{
    c.SetAlignment(Alignment());
    c.SetAddOnCode(m_addOnCode);
    c.SetAutoEncode(m_autoEncode);
    c.SetAutoSize(AutoSize());
    c.SetAutoSizeFont(m_autoSizeFont);
    c.SetBarCodeType(m_barCodeType);
    c.SetBarColor(m_barColor);
    c.SetBarWidth(m_mmBarWidth);
    c.SetBearerBars(m_bearerBars);
    c.SetCalcCheckDigit(m_calcCheckDigit);
    c.SetColor(Color());
    c.SetData(data);
    c.SetFont(Font());
    c.SetOrientation(m_orientation);
    c.SetPrintHumanReadable(m_printHumanReadable);
    c.SetTransparent(Transparent());
    c.SetWideBarRatio(m_wideBarRatio);
    c.SetCodeOK(c.Encode().ok);
}

void TjxCustomBarCode::BeginUpdate()
{
    ++m_updateCount;
}

void TjxCustomBarCode::EndUpdate()
{
    if (m_updateCount > 0 && --m_updateCount == 0 && m_sizePending) {
        m_sizePending = false;
        AdjustBounds();
    }
}

void TjxCustomBarCode::AdjustBounds()
{
    if (m_updateCount > 0) {
        m_sizePending = true;
        return;
    }
    if (AutoSize() && !IsReadingOrLoading() && !m_printing) {
        TjxDrawBarCode command;
        FillCommand(command, CurrentData());
        if (command.CodeOK()) {
            const QSize size = command.MeasureSymbol(kBarCodeReferenceDpi, TextMeasurer());
            const int w = CoveringThousandths(size.width(), kBarCodeReferenceDpi);
            const int h = CoveringThousandths(size.height(), kBarCodeReferenceDpi);
            if (w != mmWidth() || h != mmHeight())
                ChangeBounds(mmLeft(), mmTop(), w, h);
        }
    }
    InvalidateDesignControl();
}

std::unique_ptr<TjxDrawCommand> TjxCustomBarCode::NewDrawCommand() const
{
    return std::make_unique<TjxDrawBarCode>();
}

void TjxCustomBarCode::PropertiesToDrawCommand(TjxDrawCommand* command)
{
    TjxCustomComponent::PropertiesToDrawCommand(command);
    auto* draw = dynamic_cast<TjxDrawBarCode*>(command);
    if (!draw)
        return;
    FillCommand(*draw, CurrentData());
    if (AutoSize() && draw->CodeOK()) {
        // Each record's data has its own size.
        const QSize size = draw->MeasureSymbol(kBarCodeReferenceDpi, TextMeasurer());
        draw->SetWidth(CoveringThousandths(size.width(), kBarCodeReferenceDpi));
        draw->SetHeight(CoveringThousandths(size.height(), kBarCodeReferenceDpi));
    }
}

// ---- TjxBarCode ----

namespace {

template <class T>
void PublishBarCode(TClassBuilder<T>& b, bool dataAware)
{
    using P = TjxPublish<T>;
    b.Prop("AddOnCode", StringType(), &T::AddOnCode, &T::SetAddOnCode);
    b.Prop("Alignment", AlignmentType(), &T::Alignment, &T::SetAlignment).Default(taLeftJustify);
    P::Anchors(b);
    b.Prop("AutoEncode", BooleanType(), &T::AutoEncode, &T::SetAutoEncode).Default(0);
    P::AutoSize(b, true);
    b.Prop("AutoSizeFont", BooleanType(), &T::AutoSizeFont, &T::SetAutoSizeFont).Default(1);
    b.Prop("BarCodeType", BarCodeTypeType(), &T::BarCodeType, &T::SetBarCodeType).Default(bcCode39);
    b.Prop("BarColor", ColorType(), &T::BarColor, &T::SetBarColor).Default(clBlack);
    b.Prop("BarWidth", FloatType(), &T::BarWidth, &T::SetBarWidth).NeverStored();
    b.Prop("BearerBars", BooleanType(), &T::BearerBars, &T::SetBearerBars).Default(0);
    P::Border(b);
    b.Prop("CalcCheckDigit", BooleanType(), &T::CalcCheckDigit, &T::SetCalcCheckDigit).Default(1);
    P::Color(b);
    if (dataAware) {
        b.Prop("DataField", StringType(), &T::DataField, &T::SetDataField);
        b.Prop("DataPipeline", ClassType(), &T::DataPipeline, &T::SetDataPipeline);
    } else {
        b.Prop("Data", StringType(), &T::Data, &T::SetData);
    }
    P::Font(b);
    P::OnDrawCommandClick(b);
    P::OnDrawCommandCreate(b);
    b.Prop("Orientation", BarCodeOrientationType(), &T::Orientation, &T::SetOrientation).Default(orLeftToRight);
    if (dataAware)
        b.Prop("ParentDataPipeline", BooleanType(), &T::ParentDataPipeline, &T::SetParentDataPipeline).Default(1);
    b.Prop("PrintHumanReadable", BooleanType(), &T::PrintHumanReadable, &T::SetPrintHumanReadable).Default(1);
    P::Transparent(b);
    P::Visible(b);
    b.Prop("WideBarRatio", FloatType(), &T::WideBarRatio, &T::SetWideBarRatio).NeverStored();
}

} // namespace

const TClassInfo& TjxBarCode::StaticClass()
{
    static const TClassInfo info = [] {
        TClassBuilder<TjxBarCode> b("TjxBarCode", &TjxCustomBarCode::StaticClass());
        b.Creatable();
        PublishBarCode(b, false);
        return b.Build();
    }();
    return info;
}

TjxBarCode::TjxBarCode(TComponent* owner) : TjxCustomBarCode(owner)
{
    SetInitialData(QStringLiteral("Barcode"));
}

// ---- TjxDBBarCode ----

const TClassInfo& TjxDBBarCode::StaticClass()
{
    static const TClassInfo info = [] {
        TClassBuilder<TjxDBBarCode> b("TjxDBBarCode", &TjxCustomBarCode::StaticClass());
        b.Creatable();
        PublishBarCode(b, true);
        return b.Build();
    }();
    return info;
}

TjxDBBarCode::TjxDBBarCode(TComponent* owner) : TjxCustomBarCode(owner)
{
    SetInitialData(BarCodeSample(bcCode39, true, true));
}

QString TjxDBBarCode::CurrentData()
{
    TjxDataPipeline* pipeline = AvailableDataPipeline(*this, IsPrinting());
    if (!pipeline)
        return IsPrinting() ? QString() : BarCodeSample(BarCodeType(), CalcCheckDigit(), true);
    TjxDataType dataType = dtString;
    TVarValue value;
    if (!ReadFieldValue(*pipeline, DataField(), dataType, value))
        return {};
    return FormatFieldText(value, dataType, QString(), false);
}

void TjxDBBarCode::SetDataField(const QString& value)
{
    const QString old = DataField();
    TjxCustomBarCode::SetDataField(value);
    if (DataField() != old && !IsReadingOrLoading())
        AdjustBounds();
}

void TjxDBBarCode::Notify(TjxCommunicator* sender, int operation)
{
    const bool fromPipeline = sender && sender == DataPipeline();
    TjxCustomBarCode::Notify(sender, operation);
    if (fromPipeline && IsDesigning() && operation == ntDataChanged)
        AdjustBounds();
}

ORVANE_REGISTER_COMPONENT(TjxBarCode, "Standard Components", 8, 460);
ORVANE_REGISTER_COMPONENT(TjxDBBarCode, "Data Components", 5, 461);

ORVANE_REGISTER_CLASS(TjxBarCode);
ORVANE_REGISTER_CLASS(TjxDBBarCode);

} // namespace orvane
