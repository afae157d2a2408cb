#include "app/receipt_form.h"

#include "designer/designer.h"
#include "document/class_registry.h"
#include "document/report.h"
#include "document/stream_reader.h"
#include "document/stream_text.h"
#include "output/background_print.h"

#include <QFile>

namespace orvane {

const TClassInfo& TForm1::StaticClass()
{
    using T = TForm1;
    static const TClassInfo info =
        TClassBuilder<T>("TForm1", &TComponent::StaticClass())
            .Creatable()
            .Prop("Left", IntegerType(), &T::Left, &T::SetLeft).NoDefault()
            .Prop("Top", IntegerType(), &T::Top, &T::SetTop).NoDefault()
            .Prop("Width", IntegerType(), &T::Width, &T::SetWidth).NoDefault()
            .Prop("Height", IntegerType(), &T::Height, &T::SetHeight).NoDefault()
            .Prop("Caption", StringType(), &T::Caption, &T::SetCaption)
            .Prop("Color", ColorType(), &T::Color, &T::SetColor).Default(clBtnFace)
            .Prop("Font", ClassType(), &T::Font, &T::SetFont)
            .Prop("OnCreate", MethodType(), &T::OnCreate, &T::SetOnCreate)
            .Method("FormCreate", &T::FormCreate)
            .Build();
    return info;
}

TForm1::TForm1(TComponent* owner) : TComponent(owner), m_font(std::make_unique<TFont>()) {}

TForm1::~TForm1() = default;

void TForm1::ReadDescription()
{
    QFile description(QStringLiteral(":/ravelle/main_window.txt"));
    description.open(QIODevice::ReadOnly);
    QByteArray binary;
    ObjectTextToBinary(description.readAll(), binary);
    TReader reader(binary);
    reader.ReadRootComponent(this);
}

void TForm1::FormCreate(TComponent*, TjxEventParams&)
{
    m_templateFileName = QStringLiteral(".\\Ravelle.rtm");
}

void TForm1::Loaded()
{
    TComponent::Loaded();
    TjxEventParams none;
    m_onCreate(this, none);
}

TjxReport* TForm1::Receipt() const
{
    return dynamic_cast<TjxReport*>(FindComponent(u"rptReceipt"));
}

TjxDesigner* TForm1::Designer() const
{
    return dynamic_cast<TjxDesigner*>(FindComponent(u"jxDesigner1"));
}

void TForm1::GetChildren(const TGetChildProc& proc, TComponent*) const
{
    for (int i = 0; i < ComponentCount(); ++i)
        if (!Components(i)->HasParent())
            proc(Components(i));
}

ORVANE_REGISTER_CLASS(TForm1);

namespace {
// A background print of the receipt works on a form of its own, made as the
// program makes its window's form.
const bool s_containerFactory = (RegisterContainerFactory(QStringLiteral("TForm1"),
                                                          [] {
                                                              auto form = std::make_unique<TForm1>();
                                                              form->ReadDescription();
                                                              return form.release();
                                                          }),
                                 true);
} // namespace

} // namespace orvane
