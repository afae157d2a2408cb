#include "document/parameter_list.h"

#include "document/class_registry.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"

namespace orvane {

const TClassInfo& TjxParameterList::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxParameterList>("TjxParameterList", &TjxRelative::StaticClass()).Creatable().Build();
    return info;
}

ORVANE_REGISTER_CLASS(TjxParameterList);

TjxParameterList::TjxParameterList(TComponent* owner) : TjxRelative(owner)
{
    NewSpare();
}

TjxParameterList::~TjxParameterList() = default;

void TjxParameterList::NewSpare()
{
    m_spare = std::make_unique<TjxParameter>();
    m_spare->OnValueSet = [this](TjxParameter* p) { SpareValueSet(p); };
}

TjxParameter* TjxParameterList::ItemsByIndex(int index) const
{
    return dynamic_cast<TjxParameter*>(Child(index));
}

TjxParameter* TjxParameterList::Find(QStringView name) const
{
    for (int i = 0; i < ChildCount(); ++i) {
        auto* p = dynamic_cast<TjxParameter*>(Child(i));
        if (p && QStringView(p->Name()).compare(name, Qt::CaseInsensitive) == 0)
            return p;
    }
    return nullptr;
}

TjxParameter* TjxParameterList::Items(const QString& name)
{
    if (TjxParameter* p = Find(name))
        return p;
    if (!m_insertMode)
        throw EParameterError(MessageText(msg::ParameterNotFound, {name}));
    m_spare->SetName(name);
    return m_spare.get();
}

void TjxParameterList::SpareValueSet(TjxParameter* spare)
{
    if (spare != m_spare.get())
        return;
    // The spare is inside its own SetValue here, so it must outlive this call.
    if (TjxParameter* existing = Find(spare->Name())) {
        // The name was added since the spare was handed out: the value goes
        // to that parameter rather than making a second one of the same name.
        const TVarValue value = spare->Value();
        std::unique_ptr<TjxParameter> retired = std::move(m_spare);
        NewSpare();
        retired->OnValueSet = nullptr;
        m_retired = std::move(retired);
        existing->SetValue(value);
        return;
    }
    TjxParameter* joining = m_spare.release();
    NewSpare();
    joining->OnValueSet = nullptr;
    InsertComponent(joining);
    joining->SetParent(this);
    if (!IsReadingOrLoading())
        Modified();
}

TjxParameter* TjxParameterList::AddName(const QString& name)
{
    if (InList(name))
        throw EParameterError(MessageText(msg::ParameterExists, {name}));
    auto parameter = std::make_unique<TjxParameter>();
    parameter->SetName(name);
    InsertComponent(parameter.get());
    parameter->SetParent(this);
    return parameter.release();
}

TjxParameter* TjxParameterList::Add(const QString& name, TjxDataType dataType, const TVarValue& value)
{
    TjxParameter* parameter = AddName(name);
    try {
        parameter->SetDataType(dataType);
        parameter->SetValue(value);
    } catch (...) {
        delete parameter;
        throw;
    }
    return parameter;
}

void TjxParameterList::Remove(QStringView name)
{
    delete Find(name);
}

void TjxParameterList::Clear()
{
    while (ChildCount() > 0)
        delete Child(ChildCount() - 1);
}

void TjxParameterList::Assign(const TPersistent* source)
{
    if (!source) {
        Clear();
        return;
    }
    const auto* other = dynamic_cast<const TjxParameterList*>(source);
    if (!other)
        return TjxRelative::Assign(source);
    if (other == this)
        return;
    Clear();
    for (int i = 0; i < other->Count(); ++i) {
        const TjxParameter* from = other->ItemsByIndex(i);
        if (!from)
            continue;
        auto parameter = std::make_unique<TjxParameter>(this);
        parameter->Assign(from);
        parameter->SetParent(this);
        parameter.release();
    }
}

} // namespace orvane
