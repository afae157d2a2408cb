#pragma once

#include "document/page_def.h"
#include "document/units.h"

#include <functional>
#include <memory>
#include <mutex>

namespace orvane {

class TComponent;
class TjxCustomPrinter;
class TjxPrinterInfo;

enum TjxDuplexType : uint8_t { dpNone, dpHorizontal, dpVertical };
enum TPrinterOrientation : uint8_t { poPortrait, poLandscape };

const TTypeInfo& DuplexTypeType();
const TTypeInfo& PrinterOrientationType();

// The printer choice and page settings of a report (and of every page it
// generates): paper, margins, orientation, printer, bin, copies, collation,
// duplex. Stores lengths in thousandths of a millimetre and shows them in
// Units. Tells its owner about each change through four hooks, but only while
// it is Active; every operation holds the setup's re-entrant lock.
class TjxPrinterSetup : public TPersistent {
    ORVANE_CLASS(TjxPrinterSetup, TPersistent)
public:
    // The owner (a report) is never owned by the setup; it decides when the
    // setup is Active (not while it is loading or being read).
    // A printer passes its own lock, so that it and its setup are always
    // locked in one order whichever side a thread starts from.
    explicit TjxPrinterSetup(TComponent* owner = nullptr, std::recursive_mutex* sharedLock = nullptr);
    ~TjxPrinterSetup() override;

    void Assign(const TPersistent* source) override;
    // Assign, and keep the source's paper number still to be resolved.
    void AssignWithPending(const TjxPrinterSetup& source);
    // Called by the owner after it was read; nothing to do here.
    virtual void Loaded() {}

    // Published.
    QString BinName() const;
    void SetBinName(const QString& value);
    bool Collation() const;
    void SetCollation(bool value);
    int Copies() const;
    void SetCopies(int value);
    QString DocumentName() const;
    void SetDocumentName(const QString& value);
    TjxDuplexType Duplex() const;
    void SetDuplex(TjxDuplexType value);
    float MarginBottom() const;
    void SetMarginBottom(float value);
    float MarginLeft() const;
    void SetMarginLeft(float value);
    float MarginRight() const;
    void SetMarginRight(float value);
    float MarginTop() const;
    void SetMarginTop(float value);
    TPrinterOrientation Orientation() const;
    void SetOrientation(TPrinterOrientation value);
    float PaperHeight() const;
    void SetPaperHeight(float value);
    // Resolves a paper read by number, and "Custom" by size, on the selected printer.
    QString PaperName() const;
    void SetPaperName(const QString& value);
    float PaperWidth() const;
    void SetPaperWidth(float value);
    QString PrinterName() const;
    void SetPrinterName(const QString& value);

    // Public.
    TComponent* Owner() const { return m_owner; }
    bool Active() const;
    bool HooksEnabled() const;
    void SetHooksEnabled(bool value);
    QStringList BinNames() const;
    QStringList PaperNames() const;
    QString PrinterDescription() const;
    QStringList PrinterNames() const;
    TjxPrinterInfo* PrinterInfo() const;
    TjxPageDef* PageDef() const { return m_pageDef.get(); }
    float PrintableHeight() const;
    float PrintableWidth() const;
    TjxUnitType Units() const;
    void SetUnits(TjxUnitType value);
    // The platform paper number of the current paper (written as "PaperSize").
    uint16_t PaperNumber() const;
    int PendingPaperNumber() const;
    // The paper name stored, without resolving it.
    QString StoredPaperName() const;

    bool Equals(const TjxPrinterSetup& other) const;
    bool SamePaper(const TjxPrinterSetup& other) const;

    // Paper size from the sizes the setup remembered while its owner was
    // read from a stream older than the thousandths.
    void ConvertLegacyPaperSize();
    // Streams older than the thousandths held the page's stored lengths in
    // the report's units: converts those the last read supplied, and only
    // those (the others hold defaults, already in thousandths).
    void ConvertLengthsRead(TjxUnitType units);
    // Forgets which lengths the last read supplied.
    void ForgetLengthsRead() { m_lengthsRead = 0; }

    // The size of a paper of the selected printer in Units (w, h oriented);
    // unchanged when the printer does not know the name.
    void LookupPaperSize(const QString& name, float& width, float& height) const;
    // The first of the printer's papers within 1 mm of the current size; "Custom" when none.
    QString MatchPaperName() const;
    // The printer's name for a paper number; empty when it has none.
    QString PaperNameOfNumber(int number) const;

    std::recursive_mutex& Lock() const { return m_lock; }

    // The printer that printer-pixel units are measured at (OnGetPrinter's,
    // else the shared one); none in other units.
    TjxCustomPrinter* GetPrinter() const;
    // Thousandths of a millimetre in the setup's units.
    float UnitsOf(int th, TjxAxis axis) const;

    // Hooks; each is called only while the setup is Active.
    std::function<void(TjxPrinterSetup* sender, TjxCustomPrinter*& printer)> OnGetPrinter;
    std::function<void(TjxPrinterSetup* sender, TjxPageDef* proposed, bool& accept)> OnValidatePageDef;
    std::function<void(TjxPrinterSetup* sender)> OnPageDefChange;
    std::function<void(TjxPrinterSetup* sender)> OnChange;

private:
    enum Margin { mgLeft, mgTop, mgRight, mgBottom };

    bool OwnerReading() const;
    bool Validate(TjxPageDef& proposal);
    void PageDefChanged();
    void Changed();
    void SetMargin(Margin margin, float value);
    int ThousandthsOf(float value, TjxAxis axis) const;

    // Defined properties.
    void ReadThousandths(TReader& reader, int length);
    void ReadPaperSize(TReader& reader);

    mutable std::recursive_mutex m_ownLock;
    std::recursive_mutex& m_lock;  // m_ownLock, or the lock of the printer that owns the setup
    TComponent* m_owner;
    std::unique_ptr<TjxPageDef> m_pageDef;
    std::unique_ptr<TjxPageDef> m_proposedPageDef;
    TjxPrinterInfo* m_printerInfo = nullptr;
    QString m_binName;
    QString m_documentName;
    mutable QString m_paperName;
    QString m_printerName;
    int m_copies = 1;
    mutable int m_pendingPaperNumber = 0;
    float m_legacyPaperHeight = 0;
    float m_legacyPaperWidth = 0;
    TjxDuplexType m_duplex = dpNone;
    TPrinterOrientation m_orientation = poPortrait;
    TjxUnitType m_units = utInches;
    bool m_collation = true;
    bool m_hooksEnabled = true;
    unsigned m_lengthsRead = 0;  // bits: indexes into the stored lengths
};

} // namespace orvane
