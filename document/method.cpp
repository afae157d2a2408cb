#include "document/method.h"

namespace orvane {

const TjxEventParam* TjxEventParams::Find(QStringView name) const
{
    for (const auto& p : m_params)
        if (QStringView(p.name).compare(name, Qt::CaseInsensitive) == 0)
            return &p;
    return nullptr;
}

QVariant TjxEventParams::Value(QStringView name) const
{
    const TjxEventParam* p = Find(name);
    return p ? p->value : QVariant();
}

bool TjxEventParams::SetValue(QStringView name, const QVariant& value)
{
    for (auto& p : m_params)
        if (QStringView(p.name).compare(name, Qt::CaseInsensitive) == 0) {
            if (!p.writable) return false;
            p.value = value;
            return true;
        }
    return false;
}

} // namespace orvane
