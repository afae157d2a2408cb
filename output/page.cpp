#include "output/page.h"

#include "document/class_registry.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "output/draw_command.h"
#include "output/draw_other.h"

#include <algorithm>

namespace orvane {

const TClassInfo& TjxPage::StaticClass()
{
    using T = TjxPage;
    // Colour's declared default is not white, so white is always written.
    static const TClassInfo info =
        TClassBuilder<T>("TjxPage", &TjxRelative::StaticClass())
            .Creatable()
            .Component()
            .Prop("AbsolutePageNo", IntegerType(), &T::AbsolutePageNo, &T::SetAbsolutePageNo)
            .Prop("AbsolutePageCount", IntegerType(), &T::AbsolutePageCount, &T::SetAbsolutePageCount)
            .Prop("Calculation", BooleanType(), &T::Calculation, &T::SetCalculation)
            .Prop("Color", IntegerType(), &T::Color, &T::SetColor).Default(167772155)
            .Prop("ControlGroupBreakNo", IntegerType(), &T::ControlGroupBreakNo, &T::SetControlGroupBreakNo)
            .Prop("DocumentName", StringType(), &T::DocumentName, &T::SetDocumentName)
            .Prop("FirstPage", BooleanType(), &T::FirstPage, &T::SetFirstPage)
            .Prop("Final", BooleanType(), &T::Final, &T::SetFinal)
            .Prop("LanguageIndex", IntegerType(), &T::LanguageIndex, &T::SetLanguageIndex)
            .Prop("LastPage", BooleanType(), &T::LastPage, &T::SetLastPage)
            .Prop("PageDef", ClassType(), &T::PageDef)
            .Prop("PageNo", IntegerType(), &T::PageNo, &T::SetPageNo)
            .Prop("PageCount", IntegerType(), &T::PageCount, &T::SetPageCount)
            .Prop("PassSetting", PassSettingType(), &T::PassSetting, &T::SetPassSetting)
            .Prop("PrintDateTime", FloatType(), &T::PrintDateTime, &T::SetPrintDateTime)
            .Prop("PrinterSetup", ClassType(), &T::PrinterSetup, &T::SetPrinterSetup)
            .Build();
    return info;
}

TjxPage::TjxPage(TComponent* owner) : TjxRelative(owner), m_printerSetup(std::make_unique<TjxPrinterSetup>()) {}

TjxPage::~TjxPage()
{
    m_destroying = true;
    FreeCommands();
}

void TjxPage::FreeCommands()
{
    while (ChildCount() > 0)
        delete Child(ChildCount() - 1);  // a command takes itself off the page
    m_clickable.reset();
    m_updateable.reset();
}

void TjxPage::SetPrinterSetup(TjxPrinterSetup* value)
{
    if (value && value != m_printerSetup.get())
        m_printerSetup->Assign(value);
}

TjxDrawCommand* TjxPage::DrawCommand(int index) const
{
    return static_cast<TjxDrawCommand*>(Child(index));
}

void TjxPage::AddToLists(TjxDrawCommand* command)
{
    const auto add = [command](std::unique_ptr<List>& list) {
        if (!list)
            list = std::make_unique<List>();
        if (std::find(list->begin(), list->end(), command) == list->end())
            list->push_back(command);
    };
    if (command->IsUpdateable())
        add(m_updateable);
    if (command->Clickable())
        add(m_clickable);
}

void TjxPage::AddDrawCommand(TjxDrawCommand* command)
{
    if (!command || command->m_page == this)
        return;
    if (command->ClassInfo().InheritsFrom(TjxOutlineDrawCommand::StaticClass()) && OutlineDrawCommand())
        throw EOutlineError(GetMessage(msg::OnlyOneOutlineCommand));
    if (command->m_page)
        command->SetPage(nullptr);
    command->m_page = this;
    command->SetParent(this);
    AddToLists(command);
    if (command->Owner() != this) {
        if (command->Owner())
            command->Owner()->RemoveComponent(command);
        InsertComponent(command);
    }
}

void TjxPage::Erase(std::unique_ptr<List>& list, TjxDrawCommand* command)
{
    if (!list)
        return;
    list->erase(std::remove(list->begin(), list->end(), command), list->end());
    if (list->empty())
        list.reset();
}

void TjxPage::RemoveDrawCommand(TjxDrawCommand* command)
{
    if (!command)
        return;
    Erase(m_clickable, command);
    Erase(m_updateable, command);
    if (command->m_page == this)
        command->m_page = nullptr;
    if (command->Parent() == this)
        command->SetParent(nullptr);
    if (!m_destroying && command->Owner() == this)
        RemoveComponent(command);
}

void TjxPage::RemoveChild(TjxRelative* child)
{
    TjxRelative::RemoveChild(child);
    if (auto* command = dynamic_cast<TjxDrawCommand*>(child)) {
        Erase(m_clickable, command);
        Erase(m_updateable, command);
        if (command->m_page == this)
            command->m_page = nullptr;
    }
}

void TjxPage::Loaded()
{
    TjxRelative::Loaded();
    // Commands read from a stream joined as children before their flags were read.
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* command = dynamic_cast<TjxDrawCommand*>(Child(i))) {
            command->m_page = this;
            AddToLists(command);
        }
}

TjxDrawCommand* TjxPage::FindDrawCommand(const TClassInfo& cls) const
{
    for (int i = 0; i < ChildCount(); ++i)
        if (Child(i)->ClassInfo().InheritsFrom(cls))
            return static_cast<TjxDrawCommand*>(Child(i));
    return nullptr;
}

TjxOutlineDrawCommand* TjxPage::OutlineDrawCommand() const
{
    return static_cast<TjxOutlineDrawCommand*>(FindDrawCommand(TjxOutlineDrawCommand::StaticClass()));
}

TjxDrawCommand* TjxPage::ClickableAt(int index) const
{
    if (!m_clickable || index < 0 || index >= int(m_clickable->size()))
        return nullptr;
    return (*m_clickable)[size_t(index)];
}

TjxDrawCommand* TjxPage::UpdateableAt(int index) const
{
    if (!m_updateable || index < 0 || index >= int(m_updateable->size()))
        return nullptr;
    return (*m_updateable)[size_t(index)];
}

std::vector<TjxDrawCommand*> TjxPage::RefreshUpdateables()
{
    std::vector<TjxDrawCommand*> redraw;
    if (!m_updateable)
        return redraw;
    const List commands = *m_updateable;
    for (TjxDrawCommand* command : commands)
        if (command->RefreshText())
            redraw.push_back(command);
    return redraw;
}

void TjxPage::Clear()
{
    FreeCommands();
    m_absolutePageNo = 0;
    m_absolutePageCount = 0;
    m_calculation = false;
    m_controlGroupBreakNo = 0;
    m_documentName.clear();
    m_final = false;
    m_languageIndex = 0;
    m_lastPage = false;
    m_pageCount = 0;
    m_pageNo = 0;
}

QString TjxPage::PageOfPagesText() const
{
    return GetMessage(18) + u' ' + QString::number(m_absolutePageNo) + u' ' + GetMessage(16) + u' ' +
           QString::number(m_absolutePageCount);
}

QString TjxPage::PageNumberText() const
{
    return GetMessage(18) + u' ' + QString::number(m_absolutePageNo);
}

void TjxPage::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TjxPage*>(source);
    if (!other)
        return TjxRelative::Assign(source);
    if (other == this)
        return;
    m_absolutePageNo = other->m_absolutePageNo;
    m_absolutePageCount = other->m_absolutePageCount;
    m_calculation = other->m_calculation;
    m_color = other->m_color;
    m_controlGroupBreakNo = other->m_controlGroupBreakNo;
    m_documentName = other->m_documentName;
    m_firstPage = other->m_firstPage;
    m_final = other->m_final;
    m_languageIndex = other->m_languageIndex;
    m_lastPage = other->m_lastPage;
    m_pageNo = other->m_pageNo;
    m_pageCount = other->m_pageCount;
    m_passSetting = other->m_passSetting;
    m_printDateTime = other->m_printDateTime;
    m_producer = other->m_producer;
    m_printerSetup->Assign(other->m_printerSetup.get());
    FreeCommands();
    for (int i = 0; i < other->ChildCount(); ++i) {
        const auto* from = dynamic_cast<const TjxDrawCommand*>(other->Child(i));
        if (!from || !from->ClassInfo().createComponent)
            continue;
        auto* copy = static_cast<TjxDrawCommand*>(from->ClassInfo().createComponent(this));
        copy->Assign(from);
        copy->SetPage(this);
    }
}

ORVANE_REGISTER_CLASS(TjxPage);

} // namespace orvane
