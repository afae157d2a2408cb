#include "document/global_fixups.h"

#include "document/toolkit_component.h"

#include <algorithm>

namespace orvane {

TGlobalFixups& GlobalFixups()
{
    static TGlobalFixups fixups;
    return fixups;
}

void TGlobalFixups::Add(TComponent* holder, TPersistent* instance, const TPropInfo* prop, const QString& reference)
{
    std::lock_guard guard(m_lock);
    m_fixups.push_back({holder, instance, prop, reference});
}

int TGlobalFixups::Count() const
{
    std::lock_guard guard(m_lock);
    return int(m_fixups.size());
}

void TGlobalFixups::NameChanged(TComponent* root)
{
    std::lock_guard guard(m_lock);
    const QString prefix = root->Name() + u'.';
    for (size_t i = 0; i < m_fixups.size();) {
        Fixup& f = m_fixups[i];
        if (!f.reference.startsWith(prefix, Qt::CaseInsensitive)) {
            ++i;
            continue;
        }
        TComponent* target = FindNestedComponent(root, QStringView(f.reference).mid(prefix.size()));
        if (!target) {
            ++i;
            continue;
        }
        const Fixup done = f;
        m_fixups.erase(m_fixups.begin() + qsizetype(i));
        if (done.prop->setObject)
            done.prop->setObject(*done.instance, target);
    }
}

void TGlobalFixups::Forget(TComponent* component)
{
    std::lock_guard guard(m_lock);
    if (m_fixups.empty())
        return;
    m_fixups.erase(std::remove_if(m_fixups.begin(), m_fixups.end(),
                                  [component](const Fixup& f) { return f.holder == component; }),
                   m_fixups.end());
}

TComponent* FindNestedComponent(TComponent* root, QStringView reference)
{
    TComponent* current = root;
    qsizetype pos = 0;
    while (current && pos <= reference.size()) {
        qsizetype end = pos;
        while (end < reference.size() && reference[end] != u'.' && !(reference[end] == u'-' && end + 1 < reference.size() && reference[end + 1] == u'>'))
            ++end;
        const QStringView part = reference.mid(pos, end - pos);
        TComponent* next = current->FindComponent(part);
        if (!next && part.compare(u"Owner", Qt::CaseInsensitive) == 0)
            next = current;
        current = next;
        if (end >= reference.size())
            break;
        pos = end + (reference[end] == u'.' ? 1 : 2);
    }
    return current;
}

} // namespace orvane
