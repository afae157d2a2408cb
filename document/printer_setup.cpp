#include "document/printer_setup.h"

#include "document/printer.h"
#include "document/paper.h"
#include "document/printer_list.h"
#include "document/stream_reader.h"
#include "document/stream_writer.h"
#include "document/toolkit_component.h"
#include "platform/spooler.h"

#include <cmath>
#include <iterator>

namespace orvane {

namespace {


// The size of a new page: Letter where the user writes decimals with a point, else A4.
constexpr int kLetterWidth = 215900, kLetterHeight = 279401;
constexpr int kA4Width = 210000, kA4Height = 297000;
constexpr int kQuarterInch = 6350;

QString CurrentAsDefault(const QString& value)
{
    return value == u"Current" ? kDefaultName : value;
}

// The page's stored lengths, in stream order; the index is the bit of
// m_lengthsRead.
struct StoredLength {
    const char* name;
    int (TjxPageDef::*getter)() const;
    void (TjxPageDef::*setter)(int);
    TjxAxis axis;
};
const StoredLength kStoredLengths[] = {
    {"mmMarginBottom", &TjxPageDef::mmMarginBottom, &TjxPageDef::SetmmMarginBottom, axVertical},
    {"mmMarginLeft", &TjxPageDef::mmMarginLeft, &TjxPageDef::SetmmMarginLeft, axHorizontal},
    {"mmMarginRight", &TjxPageDef::mmMarginRight, &TjxPageDef::SetmmMarginRight, axHorizontal},
    {"mmMarginTop", &TjxPageDef::mmMarginTop, &TjxPageDef::SetmmMarginTop, axVertical},
    {"mmPaperHeight", &TjxPageDef::mmHeight, &TjxPageDef::SetmmHeight, axVertical},
    {"mmPaperWidth", &TjxPageDef::mmWidth, &TjxPageDef::SetmmWidth, axHorizontal},
};

int IndexOfText(const QStringList& list, const QString& text)
{
    for (int i = 0; i < list.size(); ++i)
        if (list[i].compare(text, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace

const TTypeInfo& DuplexTypeType()
{
    static const TTypeInfo& t = EnumType("TjxDuplexType", {"dpNone", "dpHorizontal", "dpVertical"});
    return t;
}

const TTypeInfo& PrinterOrientationType()
{
    static const TTypeInfo& t = EnumType("TPrinterOrientation", {"poPortrait", "poLandscape"});
    return t;
}

const TClassInfo& TjxPrinterSetup::StaticClass()
{
    static const TClassInfo info = [] {
    using S = TjxPrinterSetup;

    TClassBuilder<S> builder("TjxPrinterSetup", &TPersistent::StaticClass());
    builder.Prop("BinName", StringType(), &S::BinName, &S::SetBinName)
        .Prop("Collation", BooleanType(), &S::Collation, &S::SetCollation).Default(1)
        .Prop("Copies", IntegerType(), &S::Copies, &S::SetCopies).Default(1)
        .Prop("DocumentName", StringType(), &S::DocumentName, &S::SetDocumentName)
        .Prop("Duplex", DuplexTypeType(), &S::Duplex, &S::SetDuplex).Default(dpNone)
        .Prop("MarginBottom", FloatType(), &S::MarginBottom, &S::SetMarginBottom).NeverStored()
        .Prop("MarginLeft", FloatType(), &S::MarginLeft, &S::SetMarginLeft).NeverStored()
        .Prop("MarginRight", FloatType(), &S::MarginRight, &S::SetMarginRight).NeverStored()
        .Prop("MarginTop", FloatType(), &S::MarginTop, &S::SetMarginTop).NeverStored()
        .Prop("Orientation", PrinterOrientationType(), &S::Orientation, &S::SetOrientation).Default(poPortrait)
        .Prop("PaperHeight", FloatType(), &S::PaperHeight, &S::SetPaperHeight).NeverStored()
        .Prop("PaperName", StringType(), &S::PaperName, &S::SetPaperName)
        .Prop("PaperWidth", FloatType(), &S::PaperWidth, &S::SetPaperWidth).NeverStored()
        .Prop("PrinterName", StringType(), &S::PrinterName, &S::SetPrinterName);
    // Lengths in thousandths; there is no ancestor to compare with, so all are written.
    for (int length = 0; length < int(std::size(kStoredLengths)); ++length) {
        const StoredLength& stored = kStoredLengths[length];
        builder.Defined(
            stored.name, [length](S& s, TReader& r) { s.ReadThousandths(r, length); },
            [getter = stored.getter](const S& s, TWriter& w) { w.WriteInteger((s.PageDef()->*getter)()); },
            [](const S&) { return true; });
    }
    builder.Defined(
        "PaperSize", &S::ReadPaperSize, [](const S& s, TWriter& w) { w.WriteInteger(s.PaperNumber()); },
        [](const S&) { return true; });
    return builder.Build();
    }();
    return info;
}

TjxPrinterSetup::TjxPrinterSetup(TComponent* owner, std::recursive_mutex* sharedLock)
    : m_lock(sharedLock ? *sharedLock : m_ownLock), m_owner(owner), m_pageDef(std::make_unique<TjxPageDef>()), m_proposedPageDef(std::make_unique<TjxPageDef>())
{
    const bool point = FormatSettings().decimalSeparator == u'.';
    m_pageDef->SetmmWidth(point ? kLetterWidth : kA4Width);
    m_pageDef->SetmmHeight(point ? kLetterHeight : kA4Height);
    m_pageDef->SetmmMarginLeft(kQuarterInch);
    m_pageDef->SetmmMarginRight(kQuarterInch);
    m_pageDef->SetmmMarginTop(kQuarterInch);
    m_pageDef->SetmmMarginBottom(kQuarterInch);
    m_printerName = kDefaultName;
    m_paperName = kCustomPaperName;
    m_binName = kDefaultName;
    m_printerInfo = PrinterList().Find(kDefaultName);
}

TjxPrinterSetup::~TjxPrinterSetup() = default;

bool TjxPrinterSetup::OwnerReading() const
{
    return m_owner && m_owner->HasState(csReading);
}

bool TjxPrinterSetup::Active() const
{
    std::lock_guard guard(m_lock);
    if (m_owner && m_owner->HasState(csLoading | csReading))
        return false;
    return m_hooksEnabled;
}

bool TjxPrinterSetup::HooksEnabled() const
{
    std::lock_guard guard(m_lock);
    return m_hooksEnabled;
}

void TjxPrinterSetup::SetHooksEnabled(bool value)
{
    std::lock_guard guard(m_lock);
    m_hooksEnabled = value;
}

TjxCustomPrinter* TjxPrinterSetup::GetPrinter() const
{
    if (m_units != utPrinterPixels)
        return nullptr;
    TjxCustomPrinter* printer = nullptr;
    if (OnGetPrinter)
        OnGetPrinter(const_cast<TjxPrinterSetup*>(this), printer);
    // The shared printer belongs to the user-interface thread: a report
    // printing on a worker measures without it rather than race for it.
    if (printer || !IsMainThread())
        return printer;
    return SharedPrinter();
}

float TjxPrinterSetup::UnitsOf(int th, TjxAxis axis) const
{
    return ThousandthsToUnits(th, m_units, axis, GetPrinter());
}

int TjxPrinterSetup::ThousandthsOf(float value, TjxAxis axis) const
{
    return UnitsToThousandths(value, m_units, axis, GetPrinter());
}

bool TjxPrinterSetup::Validate(TjxPageDef& proposal)
{
    bool accept = true;
    if (OnValidatePageDef && Active())
        OnValidatePageDef(this, &proposal, accept);
    return accept;
}

void TjxPrinterSetup::PageDefChanged()
{
    if (OnPageDefChange && Active())
        OnPageDefChange(this);
}

void TjxPrinterSetup::Changed()
{
    if (OnChange && Active())
        OnChange(this);
}

void TjxPrinterSetup::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TjxPrinterSetup*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this)
        return;
    std::scoped_lock guard(m_lock, other->m_lock);
    m_collation = other->m_collation;
    m_copies = other->m_copies;
    m_documentName = other->m_documentName;
    m_printerName = other->m_printerName;
    m_duplex = other->m_duplex;
    m_orientation = other->m_orientation;
    m_pageDef->Assign(other->m_pageDef.get());
    m_printerInfo = PrinterList().Find(m_printerName);
    m_paperName = other->m_paperName;
    m_pendingPaperNumber = 0;
    m_binName = other->m_binName;
    m_units = other->m_units;
}

void TjxPrinterSetup::AssignWithPending(const TjxPrinterSetup& source)
{
    std::scoped_lock guard(m_lock, source.m_lock);
    Assign(&source);
    m_pendingPaperNumber = source.m_pendingPaperNumber;
}

QString TjxPrinterSetup::BinName() const
{
    std::lock_guard guard(m_lock);
    return m_binName;
}

void TjxPrinterSetup::SetBinName(const QString& value)
{
    std::lock_guard guard(m_lock);
    const QString v = CurrentAsDefault(value);
    if (v == m_binName)
        return;
    m_binName = v;
    Changed();
}

bool TjxPrinterSetup::Collation() const
{
    std::lock_guard guard(m_lock);
    return m_collation;
}

void TjxPrinterSetup::SetCollation(bool value)
{
    std::lock_guard guard(m_lock);
    if (value == m_collation)
        return;
    m_collation = value;
    Changed();
}

int TjxPrinterSetup::Copies() const
{
    std::lock_guard guard(m_lock);
    return m_copies;
}

void TjxPrinterSetup::SetCopies(int value)
{
    std::lock_guard guard(m_lock);
    if (value == m_copies || value <= 0)
        return;
    m_copies = value;
    Changed();
}

QString TjxPrinterSetup::DocumentName() const
{
    std::lock_guard guard(m_lock);
    return m_documentName;
}

void TjxPrinterSetup::SetDocumentName(const QString& value)
{
    std::lock_guard guard(m_lock);
    if (value == m_documentName)
        return;
    m_documentName = value;
    Changed();
}

TjxDuplexType TjxPrinterSetup::Duplex() const
{
    std::lock_guard guard(m_lock);
    return m_duplex;
}

void TjxPrinterSetup::SetDuplex(TjxDuplexType value)
{
    std::lock_guard guard(m_lock);
    if (value == m_duplex)
        return;
    m_duplex = value;
    Changed();
}

float TjxPrinterSetup::MarginBottom() const
{
    std::lock_guard guard(m_lock);
    return UnitsOf(m_pageDef->mmMarginBottom(), axVertical);
}

float TjxPrinterSetup::MarginLeft() const
{
    std::lock_guard guard(m_lock);
    return UnitsOf(m_pageDef->mmMarginLeft(), axHorizontal);
}

float TjxPrinterSetup::MarginRight() const
{
    std::lock_guard guard(m_lock);
    return UnitsOf(m_pageDef->mmMarginRight(), axHorizontal);
}

float TjxPrinterSetup::MarginTop() const
{
    std::lock_guard guard(m_lock);
    return UnitsOf(m_pageDef->mmMarginTop(), axVertical);
}

void TjxPrinterSetup::SetMarginBottom(float value) { SetMargin(mgBottom, value); }
void TjxPrinterSetup::SetMarginLeft(float value) { SetMargin(mgLeft, value); }
void TjxPrinterSetup::SetMarginRight(float value) { SetMargin(mgRight, value); }
void TjxPrinterSetup::SetMarginTop(float value) { SetMargin(mgTop, value); }

void TjxPrinterSetup::SetMargin(Margin margin, float value)
{
    if (!(value >= 0))
        return;  // negative, or not a number
    std::lock_guard guard(m_lock);
    m_proposedPageDef->Assign(m_pageDef.get());
    const TjxAxis axis = margin == mgLeft || margin == mgRight ? axHorizontal : axVertical;
    const int th = ThousandthsOf(value, axis);
    void (TjxPageDef::*setter)(int) = nullptr;
    switch (margin) {
    case mgLeft: setter = &TjxPageDef::SetmmMarginLeft; break;
    case mgTop: setter = &TjxPageDef::SetmmMarginTop; break;
    case mgRight: setter = &TjxPageDef::SetmmMarginRight; break;
    case mgBottom: setter = &TjxPageDef::SetmmMarginBottom; break;
    }
    (m_proposedPageDef.get()->*setter)(th);
    if (!Validate(*m_proposedPageDef))
        return;
    (m_pageDef.get()->*setter)(th);
    PageDefChanged();
}

TPrinterOrientation TjxPrinterSetup::Orientation() const
{
    std::lock_guard guard(m_lock);
    return m_orientation;
}

void TjxPrinterSetup::SetOrientation(TPrinterOrientation value)
{
    std::lock_guard guard(m_lock);
    if (value == m_orientation)
        return;
    m_proposedPageDef->Assign(m_pageDef.get());
    m_proposedPageDef->SetmmWidth(m_pageDef->mmHeight());
    m_proposedPageDef->SetmmHeight(m_pageDef->mmWidth());
    if (!Validate(*m_proposedPageDef))
        return;
    m_orientation = value;
    const int width = m_pageDef->mmWidth();
    m_pageDef->SetmmWidth(m_pageDef->mmHeight());
    m_pageDef->SetmmHeight(width);
    PageDefChanged();
}

float TjxPrinterSetup::PaperHeight() const
{
    std::lock_guard guard(m_lock);
    return UnitsOf(m_pageDef->mmHeight(), axVertical);
}

float TjxPrinterSetup::PaperWidth() const
{
    std::lock_guard guard(m_lock);
    return UnitsOf(m_pageDef->mmWidth(), axHorizontal);
}

void TjxPrinterSetup::SetPaperHeight(float value)
{
    std::lock_guard guard(m_lock);
    if (OwnerReading()) {
        m_legacyPaperHeight = value;
        return;
    }
    if (!(value >= 0))
        return;
    m_proposedPageDef->Assign(m_pageDef.get());
    m_proposedPageDef->SetmmHeight(ThousandthsOf(value, axVertical));
    if (!Validate(*m_proposedPageDef))
        return;
    m_pageDef->SetmmHeight(m_proposedPageDef->mmHeight());
    m_paperName = MatchPaperName();
    PageDefChanged();
}

void TjxPrinterSetup::SetPaperWidth(float value)
{
    std::lock_guard guard(m_lock);
    if (OwnerReading()) {
        m_legacyPaperWidth = value;
        return;
    }
    if (!(value >= 0))
        return;
    m_proposedPageDef->Assign(m_pageDef.get());
    m_proposedPageDef->SetmmWidth(ThousandthsOf(value, axHorizontal));
    if (!Validate(*m_proposedPageDef))
        return;
    m_pageDef->SetmmWidth(m_proposedPageDef->mmWidth());
    m_paperName = MatchPaperName();
    PageDefChanged();
}

float TjxPrinterSetup::PrintableHeight() const
{
    std::lock_guard guard(m_lock);
    return UnitsOf(m_pageDef->PrintableHeight(), axVertical);
}

float TjxPrinterSetup::PrintableWidth() const
{
    std::lock_guard guard(m_lock);
    return UnitsOf(m_pageDef->PrintableWidth(), axHorizontal);
}

TjxUnitType TjxPrinterSetup::Units() const
{
    std::lock_guard guard(m_lock);
    return m_units;
}

void TjxPrinterSetup::SetUnits(TjxUnitType value)
{
    std::lock_guard guard(m_lock);
    if (value == m_units)
        return;
    m_units = value;
    if (!Active())
        return;
    // The paper's size again from the printer's table, now in the new units.
    float width = PaperWidth();
    float height = PaperHeight();
    const QString name = PaperName();
    if (name != kCustomPaperName)
        LookupPaperSize(name, width, height);
    m_pageDef->SetmmWidth(ThousandthsOf(width, axHorizontal));
    m_pageDef->SetmmHeight(ThousandthsOf(height, axVertical));
    PageDefChanged();
}

QString TjxPrinterSetup::StoredPaperName() const
{
    std::lock_guard guard(m_lock);
    return m_paperName;
}

QString TjxPrinterSetup::PaperName() const
{
    std::lock_guard guard(m_lock);
    if (m_pendingPaperNumber != 0) {
        const QString name = PaperNameOfNumber(m_pendingPaperNumber);
        if (!name.isEmpty())
            m_paperName = name;
        m_pendingPaperNumber = 0;
    }
    if (m_paperName == kCustomPaperName)
        m_paperName = MatchPaperName();
    return m_paperName;
}

void TjxPrinterSetup::SetPaperName(const QString& value)
{
    std::lock_guard guard(m_lock);
    if (!Active() || value == kCustomPaperName) {
        m_paperName = value;
        return;
    }
    if (m_pendingPaperNumber != 0)
        PaperName();
    // Envelopes feed sideways: the size is looked up in landscape, but the
    // orientation only stays when the proposal is accepted.
    const TPrinterOrientation previous = m_orientation;
    if (value.contains(u"Envelope"))
        m_orientation = poLandscape;
    float width = PaperWidth();
    float height = PaperHeight();
    LookupPaperSize(value, width, height);
    m_proposedPageDef->Assign(m_pageDef.get());
    m_proposedPageDef->SetmmWidth(ThousandthsOf(width, axHorizontal));
    m_proposedPageDef->SetmmHeight(ThousandthsOf(height, axVertical));
    if (!Validate(*m_proposedPageDef)) {
        m_orientation = previous;
        return;
    }
    m_paperName = value;
    m_pageDef->SetmmWidth(m_proposedPageDef->mmWidth());
    m_pageDef->SetmmHeight(m_proposedPageDef->mmHeight());
    PageDefChanged();
}

QString TjxPrinterSetup::PrinterName() const
{
    std::lock_guard guard(m_lock);
    return m_printerName;
}

void TjxPrinterSetup::SetPrinterName(const QString& value)
{
    std::lock_guard guard(m_lock);
    QString name = CurrentAsDefault(value);
    const bool active = Active();
    const int number = active ? PaperNumber() : 0;
    TjxPrinterInfo* entry = PrinterList().Find(name);
    if (!entry)
        return;
    // An unknown name selects the default printer under that printer's own name.
    if (name != kDefaultName)
        name = entry->Name();
    m_printerName = name;
    m_printerInfo = entry;
    if (!active)
        return;
    QString paper = number != 0 && number != kPaperUser ? PaperNameOfNumber(number) : QString();
    if (paper.isEmpty())
        paper = MatchPaperName();
    m_paperName = paper;
    Changed();
}

QStringList TjxPrinterSetup::BinNames() const
{
    std::lock_guard guard(m_lock);
    return (m_printerInfo ? m_printerInfo : NoPrinterInfo())->GetCapabilities().BinNames;
}

QStringList TjxPrinterSetup::PaperNames() const
{
    std::lock_guard guard(m_lock);
    return (m_printerInfo ? m_printerInfo : NoPrinterInfo())->GetCapabilities().PaperNames;
}

QString TjxPrinterSetup::PrinterDescription() const
{
    std::lock_guard guard(m_lock);
    return m_printerName == kDefaultName ? PrinterList().DefaultPrinterName() : m_printerName;
}

QStringList TjxPrinterSetup::PrinterNames() const
{
    return PrinterList().Names();
}

TjxPrinterInfo* TjxPrinterSetup::PrinterInfo() const
{
    std::lock_guard guard(m_lock);
    return m_printerInfo;
}

int TjxPrinterSetup::PendingPaperNumber() const
{
    std::lock_guard guard(m_lock);
    return m_pendingPaperNumber;
}

void TjxPrinterSetup::LookupPaperSize(const QString& name, float& width, float& height) const
{
    std::lock_guard guard(m_lock);
    if (!m_printerInfo)
        return;
    const TjxPrinterCapabilities& caps = m_printerInfo->GetCapabilities();
    const int i = IndexOfText(caps.PaperNames, name);
    if (i < 0 || i >= caps.PaperWidths.size())
        return;
    const int wt = caps.PaperWidths[i].toInt();
    const int ht = i < caps.PaperHeights.size() ? caps.PaperHeights[i].toInt() : 0;
    TjxCustomPrinter* printer = GetPrinter();
    if (m_orientation == poPortrait) {
        width = TenthsToUnits(wt, m_units, axHorizontal, printer);
        height = TenthsToUnits(ht, m_units, axVertical, printer);
    } else {
        width = TenthsToUnits(ht, m_units, axHorizontal, printer);
        height = TenthsToUnits(wt, m_units, axVertical, printer);
    }
}

QString TjxPrinterSetup::MatchPaperName() const
{
    std::lock_guard guard(m_lock);
    if (!m_printerInfo)
        return m_paperName;
    const TjxPrinterCapabilities& caps = m_printerInfo->GetCapabilities();
    TjxCustomPrinter* printer = GetPrinter();
    const float width = PaperWidth();
    const float height = PaperHeight();
    int wt, ht;
    if (m_orientation == poPortrait) {
        wt = UnitsToTenths(width, m_units, axHorizontal, printer);
        ht = UnitsToTenths(height, m_units, axVertical, printer);
    } else {
        wt = UnitsToTenths(height, m_units, axVertical, printer);
        ht = UnitsToTenths(width, m_units, axHorizontal, printer);
    }
    const qsizetype count = std::min(caps.PaperWidths.size(), caps.PaperHeights.size());
    for (int i = 0; i < count; ++i) {
        if (std::abs(caps.PaperHeights[i].toInt() - ht) <= 10 && std::abs(caps.PaperWidths[i].toInt() - wt) <= 10)
            return i < caps.PaperNames.size() ? caps.PaperNames[i] : kCustomPaperName;
    }
    return kCustomPaperName;
}

QString TjxPrinterSetup::PaperNameOfNumber(int number) const
{
    std::lock_guard guard(m_lock);
    if (!m_printerInfo)
        return {};
    const TjxPrinterCapabilities& caps = m_printerInfo->GetCapabilities();
    const int i = int(caps.PaperNumbers.indexOf(QString::number(number)));
    return i >= 0 && i < caps.PaperNames.size() ? caps.PaperNames[i] : QString();
}

uint16_t TjxPrinterSetup::PaperNumber() const
{
    std::lock_guard guard(m_lock);
    if (!m_printerInfo)
        return 0;
    const TjxPrinterCapabilities& caps = m_printerInfo->GetCapabilities();
    int i = IndexOfText(caps.PaperNames, m_paperName);
    // Not found, or the first paper: which the stored name may only claim, so ask the size.
    if (i <= 0)
        i = IndexOfText(caps.PaperNames, MatchPaperName());
    if (i < 0 || i >= caps.PaperNumbers.size())
        return uint16_t(kPaperUser);
    return uint16_t(caps.PaperNumbers[i].toInt());
}

bool TjxPrinterSetup::Equals(const TjxPrinterSetup& other) const
{
    std::scoped_lock guard(m_lock, other.m_lock);
    return PrinterDescription() == other.PrinterDescription() && m_binName == other.m_binName &&
           m_collation == other.m_collation && m_copies == other.m_copies &&
           m_documentName == other.m_documentName && m_duplex == other.m_duplex &&
           m_orientation == other.m_orientation && m_pageDef->Equals(*other.m_pageDef);
}

bool TjxPrinterSetup::SamePaper(const TjxPrinterSetup& other) const
{
    std::scoped_lock guard(m_lock, other.m_lock);
    return PrinterDescription() == other.PrinterDescription() && m_orientation == other.m_orientation &&
           m_paperName == other.m_paperName;
}

void TjxPrinterSetup::ConvertLegacyPaperSize()
{
    std::lock_guard guard(m_lock);
    m_pageDef->SetmmHeight(UnitsToThousandths(m_legacyPaperHeight, m_units, axVertical));
    m_pageDef->SetmmWidth(UnitsToThousandths(m_legacyPaperWidth, m_units, axHorizontal));
}

void TjxPrinterSetup::ReadThousandths(TReader& reader, int length)
{
    const int value = reader.ReadThousandths();
    std::lock_guard guard(m_lock);
    (m_pageDef.get()->*kStoredLengths[length].setter)(value);
    m_lengthsRead |= 1u << length;
}

void TjxPrinterSetup::ConvertLengthsRead(TjxUnitType units)
{
    std::lock_guard guard(m_lock);
    for (int length = 0; length < int(std::size(kStoredLengths)); ++length) {
        if (!(m_lengthsRead & (1u << length)))
            continue;
        const StoredLength& stored = kStoredLengths[length];
        const int value = (m_pageDef.get()->*stored.getter)();
        (m_pageDef.get()->*stored.setter)(ClampStoredLength(UnitsToThousandths(float(value), units, stored.axis)));
    }
    m_lengthsRead = 0;
}

void TjxPrinterSetup::ReadPaperSize(TReader& reader)
{
    const int64_t value = reader.ReadInteger();
    std::lock_guard guard(m_lock);
    m_pendingPaperNumber = int(uint16_t(value));
}

} // namespace orvane
