#pragma once

#include "designer/undo/undo_manager.h"
#include "document/designer_interface.h"

#include <functional>
#include <vector>

namespace orvane {

class TjxCustomReport;

// Turns the report objects' designer notifications into undo records: a
// property change opens a task level and records the change, the matching
// Modified closes it. Modified calls that a change sends on to the parents
// (band, report) match no open level and are ignored, so one setter is one
// level and a command's outer task stays open until the command ends.
class TjxUndoDesignerHooks : public TjxDesignerInterface, public TjxComponentDesigner {
public:
    explicit TjxUndoDesignerHooks(TjxUndoManager* manager);
    ~TjxUndoDesignerHooks() override;

    TjxUndoManager* Manager() const { return m_manager; }
    // The report undo and redo work on.
    TjxCustomReport* CurrentReport() const { return m_report; }
    void SetCurrentReport(TjxCustomReport* report) { m_report = report; }

    void NotifyDesignerModified(TjxCommunicator* sender) override;
    void NotifyDesignerPropertyChange(TjxCommunicator* sender, const QString& propertyName) override;
    void NotifyDesigner(int message, int code, TjxCommunicator* object) override;
    TjxDesignerInterface* DesignerInterface() const override { return const_cast<TjxUndoDesignerHooks*>(this); }

    // What the window does with the numbered notifications.
    std::function<void(int message, int code, TjxCommunicator* object)> OnNotify;

    // Levels opened by property changes and not closed yet.
    int OpenLevels() const { return int(m_openLevels.size()); }
    // Closes the levels opened since `levels` were open (a setter that never
    // sent its Modified).
    void CloseLevelsAbove(int levels);

    void Undo() { m_manager->Undo(m_report); }
    void Redo() { m_manager->Redo(m_report); }

private:
    TjxUndoManager* m_manager;
    TjxCustomReport* m_report = nullptr;
    std::vector<TjxCommunicator*> m_openLevels;
};

// One designer command: one task, whatever the objects notify on the way;
// levels the command's setters left open are closed with it.
class TjxUndoCommandScope {
public:
    explicit TjxUndoCommandScope(TjxUndoDesignerHooks* hooks);
    ~TjxUndoCommandScope();
    TjxUndoCommandScope(const TjxUndoCommandScope&) = delete;
    TjxUndoCommandScope& operator=(const TjxUndoCommandScope&) = delete;

private:
    TjxUndoDesignerHooks* m_hooks;
    int m_levels;
    TjxUndoTaskGuard m_task;
};

} // namespace orvane
