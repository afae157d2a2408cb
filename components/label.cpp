#include "components/label.h"

#include "document/class_registry.h"
#include "document/component_registry.h"

namespace orvane {

const TClassInfo& TjxLabel::StaticClass()
{
    using T = TjxLabel;
    using P = TjxPublish<T>;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TjxLabel", &TjxCustomText::StaticClass());
        b.Creatable();
        P::Anchors(b);
        P::AutoSize(b, true);
        P::Border(b);
        P::Caption(b);
        P::Color(b);
        P::Font(b);
        P::OnDrawCommandClick(b);
        P::OnDrawCommandCreate(b);
        P::TextAlignment(b);
        P::Transparent(b);
        P::Visible(b);
        P::WordWrap(b);
        return b.Build();
    }();
    return info;
}

TjxLabel::TjxLabel(TComponent* owner) : TjxCustomText(owner) {}

void TjxLabel::SetUserName(const QString& value)
{
    const QString old = UserName();
    TjxCustomText::SetUserName(value);
    // While reading, the caption read later is the one that counts.
    if (!IsReadingOrLoading() && UserName() != old && Caption() == old)
        SetCaption(UserName());
}

ORVANE_REGISTER_COMPONENT(TjxLabel, "Standard Components", 0, 172);

ORVANE_REGISTER_CLASS(TjxLabel);

} // namespace orvane
