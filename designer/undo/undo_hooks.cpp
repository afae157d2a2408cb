#include "designer/undo/undo_hooks.h"

#include "document/communicator.h"

#include <algorithm>

namespace orvane {

TjxUndoDesignerHooks::TjxUndoDesignerHooks(TjxUndoManager* manager) : m_manager(manager) {}
TjxUndoDesignerHooks::~TjxUndoDesignerHooks() = default;

void TjxUndoDesignerHooks::NotifyDesignerPropertyChange(TjxCommunicator* sender, const QString& propertyName)
{
    if (!m_manager->StartTask()) {
        m_manager->CollectSideEffect(propertyName, sender);
        return;
    }
    m_openLevels.push_back(sender);
    m_manager->RecordChange(propertyName, sender);
}

void TjxUndoDesignerHooks::NotifyDesignerModified(TjxCommunicator* sender)
{
    if (m_openLevels.empty() || m_openLevels.back() != sender)
        return;
    m_openLevels.pop_back();
    m_manager->FinishTask();
}

void TjxUndoDesignerHooks::NotifyDesigner(int message, int code, TjxCommunicator* object)
{
    if (message == dnComponentDestroyed)
        std::replace(m_openLevels.begin(), m_openLevels.end(), object, static_cast<TjxCommunicator*>(nullptr));
    if (OnNotify)
        OnNotify(message, code, object);
}

void TjxUndoDesignerHooks::CloseLevelsAbove(int levels)
{
    while (int(m_openLevels.size()) > std::max(0, levels)) {
        m_openLevels.pop_back();
        m_manager->FinishTask();
    }
}

TjxUndoCommandScope::TjxUndoCommandScope(TjxUndoDesignerHooks* hooks)
    : m_hooks(hooks), m_levels(hooks ? hooks->OpenLevels() : 0), m_task(hooks ? hooks->Manager() : nullptr)
{
}

TjxUndoCommandScope::~TjxUndoCommandScope()
{
    if (m_hooks)
        m_hooks->CloseLevelsAbove(m_levels);
}

} // namespace orvane
