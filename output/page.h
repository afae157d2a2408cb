#pragma once

// A generated page: page numbers and print settings, owning a flat list of
// draw commands (its children, so a streamed page carries them).

#include "document/custom_report.h"
#include "document/graphic_objects.h"
#include "document/printer_setup.h"
#include "document/relative.h"

#include <memory>
#include <vector>

namespace orvane {

class TjxDrawCommand;
class TjxOutlineDrawCommand;

class TjxPage : public TjxRelative {
    ORVANE_CLASS(TjxPage, TjxRelative)
public:
    explicit TjxPage(TComponent* owner = nullptr);
    ~TjxPage() override;

    int AbsolutePageNo() const { return m_absolutePageNo; }
    void SetAbsolutePageNo(int value) { m_absolutePageNo = value; }
    int AbsolutePageCount() const { return m_absolutePageCount; }
    void SetAbsolutePageCount(int value) { m_absolutePageCount = value; }
    bool Calculation() const { return m_calculation; }
    void SetCalculation(bool value) { m_calculation = value; }
    TColor Color() const { return m_color; }
    void SetColor(TColor value) { m_color = value; }
    int ControlGroupBreakNo() const { return m_controlGroupBreakNo; }
    void SetControlGroupBreakNo(int value) { m_controlGroupBreakNo = value; }
    const QString& DocumentName() const { return m_documentName; }
    void SetDocumentName(const QString& value) { m_documentName = value; }
    bool FirstPage() const { return m_firstPage; }
    void SetFirstPage(bool value) { m_firstPage = value; }
    bool Final() const { return m_final; }
    void SetFinal(bool value) { m_final = value; }
    int LanguageIndex() const { return m_languageIndex; }
    void SetLanguageIndex(int value) { m_languageIndex = value; }
    bool LastPage() const { return m_lastPage; }
    void SetLastPage(bool value) { m_lastPage = value; }
    TjxPageDef* PageDef() const { return m_printerSetup->PageDef(); }
    int PageNo() const { return m_pageNo; }
    void SetPageNo(int value) { m_pageNo = value; }
    int PageCount() const { return m_pageCount; }
    void SetPageCount(int value) { m_pageCount = value; }
    TjxPassSettingType PassSetting() const { return m_passSetting; }
    void SetPassSetting(TjxPassSettingType value) { m_passSetting = value; }
    double PrintDateTime() const { return m_printDateTime; }
    void SetPrintDateTime(double value) { m_printDateTime = value; }
    TjxPrinterSetup* PrinterSetup() const { return m_printerSetup.get(); }
    // Copies the values; the page keeps its own setup.
    void SetPrinterSetup(TjxPrinterSetup* value);

    // The report that made the page; not owned.
    TComponent* Producer() const { return m_producer; }
    void SetProducer(TComponent* value) { m_producer = value; }

    int DrawCommandCount() const { return ChildCount(); }
    TjxDrawCommand* DrawCommand(int index) const;
    // Adds a command (the page becomes its owner); a second outline command
    // raises EOutlineError.
    void AddDrawCommand(TjxDrawCommand* command);
    void RemoveDrawCommand(TjxDrawCommand* command);
    // The first command of the class or one derived from it.
    TjxDrawCommand* FindDrawCommand(const TClassInfo& cls) const;
    TjxOutlineDrawCommand* OutlineDrawCommand() const;

    int ClickableCount() const { return m_clickable ? int(m_clickable->size()) : 0; }
    TjxDrawCommand* ClickableAt(int index) const;
    bool HasClickableList() const { return m_clickable != nullptr; }
    int UpdateableCount() const { return m_updateable ? int(m_updateable->size()) : 0; }
    TjxDrawCommand* UpdateableAt(int index) const;
    bool HasUpdateableList() const { return m_updateable != nullptr; }
    // Refreshes the text of every updateable command; returns the ones that
    // asked to be redrawn, for the device to redraw.
    std::vector<TjxDrawCommand*> RefreshUpdateables();

    // Frees the commands and resets the numbers and flags (not the colour,
    // the first-page flag, the pass setting, the date or the setup).
    void Clear();
    QString PageOfPagesText() const;
    QString PageNumberText() const;

    void Assign(const TPersistent* source) override;

    TComponent* GetChildOwner() override { return this; }
    void RemoveChild(TjxRelative* child) override;
    void Loaded() override;

private:
    using List = std::vector<TjxDrawCommand*>;
    static void Erase(std::unique_ptr<List>& list, TjxDrawCommand* command);
    void AddToLists(TjxDrawCommand* command);
    void FreeCommands();

    int m_absolutePageNo = 0;
    int m_absolutePageCount = 0;
    bool m_calculation = false;
    TColor m_color = clWhite;
    int m_controlGroupBreakNo = 0;
    QString m_documentName;
    bool m_firstPage = false;
    bool m_final = false;
    int m_languageIndex = 0;
    bool m_lastPage = false;
    int m_pageNo = 0;
    int m_pageCount = 0;
    TjxPassSettingType m_passSetting = psOnePass;
    double m_printDateTime = 0;
    std::unique_ptr<TjxPrinterSetup> m_printerSetup;
    TComponent* m_producer = nullptr;
    std::unique_ptr<List> m_clickable;
    std::unique_ptr<List> m_updateable;
    bool m_destroying = false;
};

} // namespace orvane
