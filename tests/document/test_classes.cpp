#include "test_classes.h"

#include "document/class_registry.h"

namespace orvane::test {

const TClassInfo& TTestForm::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TTestForm>("TTestForm", &TComponent::StaticClass())
                                       .Creatable()
                                       .Method("ButtonClick", &TTestForm::ButtonClick)
                                       .Build();
    return info;
}

void TTestForm::GetChildren(const TGetChildProc& proc, TComponent*) const
{
    for (int i = 0; i < ComponentCount(); ++i)
        if (!Components(i)->HasParent())
            proc(Components(i));
}

const TClassInfo& TTestItem::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TTestItem>("TTestItem", &TCollectionItem::StaticClass())
                                       .CollectionItem()
                                       .Prop("Title", StringType(), &TTestItem::Title, &TTestItem::SetTitle)
                                       .Prop("Width", IntegerType(), &TTestItem::Width, &TTestItem::SetWidth).Default(10)
                                       .Build();
    return info;
}

void TTestItem::Assign(const TPersistent* source)
{
    const auto* o = dynamic_cast<const TTestItem*>(source);
    if (!o)
        return TCollectionItem::Assign(source);
    m_title = o->m_title;
    m_width = o->m_width;
}

const TTypeInfo& TestKindType() { return EnumType("TTestKind", {"tkdPlain", "tkdBold", "tkdBoxed"}); }
const TTypeInfo& TestOptionsType() { return SetType("TTestOptions", EnumType("TTestOption", {"toFirst", "toSecond", "toThird"})); }

const TClassInfo& TjxTestBand::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxTestBand>("TjxTestBand", &TjxRelative::StaticClass())
            .Creatable()
            .Prop("UserName", StringType(), &TjxTestBand::UserName, &TjxTestBand::SetUserName)
            .Prop("Position", IntegerType(), &TjxTestBand::Position, &TjxTestBand::SetPosition).NoDefault()
            .Prop("Caption", StringType(), &TjxTestBand::Caption, &TjxTestBand::SetCaption)
            .Prop("Count", IntegerType(), &TjxTestBand::Count, &TjxTestBand::SetCount).Default(0)
            .Prop("Big", Int64Type(), &TjxTestBand::Big, &TjxTestBand::SetBig)
            .Prop("Ratio", FloatType(), &TjxTestBand::Ratio, &TjxTestBand::SetRatio)
            .Prop("Visible", BooleanType(), &TjxTestBand::Visible, &TjxTestBand::SetVisible).Default(1)
            .Prop("Kind", TestKindType(), &TjxTestBand::Kind, &TjxTestBand::SetKind).Default(tkdPlain)
            .Prop("Options", TestOptionsType(), &TjxTestBand::Options, &TjxTestBand::SetOptions).Default(0)
            .Prop("Color", ColorType(), &TjxTestBand::Color, &TjxTestBand::SetColor).Default(clWhite)
            .Prop("Letter", CharType(), &TjxTestBand::Letter, &TjxTestBand::SetLetter).Default(0)
            .Prop("Font", ClassType(), &TjxTestBand::Font, &TjxTestBand::SetFont)
            .Prop("Lines", ClassType(), &TjxTestBand::Lines, &TjxTestBand::SetLines)
            .Prop("Items", ClassType(), &TjxTestBand::Items, &TjxTestBand::SetItems)
            .Prop("Target", ClassType(), &TjxTestBand::Target, &TjxTestBand::SetTarget)
            .Prop("OnPrint", MethodType(), &TjxTestBand::OnPrint, &TjxTestBand::SetOnPrint)
            .Prop("Value", VariantType(), &TjxTestBand::Value, &TjxTestBand::SetValue)
            .Prop("ReadOnlyValue", IntegerType(), &TjxTestBand::ReadOnlyValue).Default(0)
            .DefinedBinary("Blob", &TjxTestBand::SetBlob, &TjxTestBand::Blob,
                           [](const TjxTestBand& b) { return !b.Blob().isEmpty(); })
            .Build();
    return info;
}

TjxTestBand::TjxTestBand(TComponent* owner)
    : TjxRelative(owner),
      m_font(std::make_unique<TFont>()),
      m_lines(std::make_unique<TStrings>()),
      m_items(std::make_unique<TCollection>(TTestItem::StaticClass(), this))
{
}

TjxTestBand::~TjxTestBand() = default;

void TjxTestBand::SetTarget(TjxRelative* v)
{
    if (m_target == v)
        return;
    if (m_target)
        RemoveFreeNotification(m_target);
    m_target = v;
    if (v)
        FreeNotification(v);
}

void TjxTestBand::Notification(TComponent* component, TOperation operation)
{
    TjxRelative::Notification(component, operation);
    if (operation == opRemove && component == m_target)
        m_target = nullptr;
}

void TjxTestBand::Loaded()
{
    TjxRelative::Loaded();
    if (loadedLog)
        loadedLog->push_back(Name());
}

const TClassInfo& TjxTestLabel::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxTestLabel>("TjxTestLabel", &TjxRelative::StaticClass())
            .Creatable()
            .Prop("UserName", StringType(), &TjxTestLabel::UserName, &TjxTestLabel::SetUserName)
            .Prop("Caption", StringType(), &TjxTestLabel::Caption, &TjxTestLabel::SetCaption)
            .Build();
    return info;
}

const TClassInfo& TjxTestListener::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxTestListener>("TjxTestListener", &TjxCommunicator::StaticClass())
                                       .Creatable()
                                       .Build();
    return info;
}

ORVANE_REGISTER_CLASS(TTestForm);
ORVANE_REGISTER_CLASS(TjxTestBand);
ORVANE_REGISTER_CLASS(TjxTestLabel);
ORVANE_REGISTER_CLASS(TjxTestListener);

} // namespace orvane::test
