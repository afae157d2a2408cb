#pragma once

#include "designer/undo/undoable.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <vector>

namespace orvane {

class TjxCustomReport;

// One Undo step: the records of one command.
class TjxUndoableTask {
public:
    TjxUndoableTask() = default;
    virtual ~TjxUndoableTask() = default;
    TjxUndoableTask(const TjxUndoableTask&) = delete;
    TjxUndoableTask& operator=(const TjxUndoableTask&) = delete;

    void Add(std::unique_ptr<TjxUndoable> undoable) { m_undoables.push_back(std::move(undoable)); }
    void Insert(int index, std::unique_ptr<TjxUndoable> undoable)
    {
        index = std::clamp(index, 0, Count());
        m_undoables.insert(m_undoables.begin() + index, std::move(undoable));
    }
    int Count() const { return int(m_undoables.size()); }
    TjxUndoable* Undoables(int index) const { return m_undoables.at(size_t(index)).get(); }
    // The records from `index` on, moved to a task of their own.
    std::unique_ptr<TjxUndoableTask> TakeFrom(int index);

    // Undo reverses the records newest first, so that two records of one
    // property end at the first one's value; Redo replays them in order.
    virtual void Undo(TjxCustomReport* context);
    virtual void Redo(TjxCustomReport* context);

private:
    static constexpr int kRetryRounds = 4;
    std::vector<std::unique_ptr<TjxUndoable>> m_undoables;
};

// Tasks, oldest first, at most Capacity of them: adding past it drops the oldest.
class TjxUndoableTaskCollection {
public:
    static constexpr int kDefaultCapacity = 50;

    int Capacity() const { return m_capacity; }
    // Negative values are ignored; a smaller capacity drops the oldest tasks.
    void SetCapacity(int value);
    int Count() const { return int(m_tasks.size()); }
    void Add(std::unique_ptr<TjxUndoableTask> task);
    // Hands the newest task to the caller; none when empty.
    std::unique_ptr<TjxUndoableTask> RemoveLast();
    void Clear() { m_tasks.clear(); }
    TjxUndoableTask* Tasks(int index) const { return m_tasks.at(size_t(index)).get(); }

private:
    void Trim();
    std::deque<std::unique_ptr<TjxUndoableTask>> m_tasks;
    int m_capacity = kDefaultCapacity;
};

class TjxUndoManager {
public:
    TjxUndoManager();
    ~TjxUndoManager();
    TjxUndoManager(const TjxUndoManager&) = delete;
    TjxUndoManager& operator=(const TjxUndoManager&) = delete;

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value) { m_enabled = value; }
    bool InOperation() const { return m_inOperation; }
    int TaskDepth() const { return m_taskDepth; }
    int OperationDepth() const { return m_operationDepth; }
    TjxUndoableTask* OpenTask() const { return m_openTask.get(); }

    // Returns the open task, or none when recording is off.
    TjxUndoableTask* StartTask();
    void FinishTask();
    void RecordChange(const QString& operation, TComponent* object);
    void StartOperation(const QString& operation, TComponent* object);
    void FinishOperation();

    // Both leave recording on even when a record fails; a failed task is freed.
    void Undo(TjxCustomReport* context);
    void Redo(TjxCustomReport* context);
    void Clear();

    int UndoCount() const { return m_undoList.Count(); }
    int RedoCount() const { return m_redoList.Count(); }
    int Capacity() const { return m_undoList.Capacity(); }
    void SetCapacity(int value);
    const TjxUndoableTaskCollection& UndoList() const { return m_undoList; }
    const TjxUndoableTaskCollection& RedoList() const { return m_redoList; }

    // Records made by a caller outside the property hooks (create, delete,
    // paste): appended to the open task, or a task of their own.
    void Commit(std::unique_ptr<TjxUndoable> undoable);
    // The same at a place in the open task (before records it caused).
    void CommitAt(int index, std::unique_ptr<TjxUndoable> undoable);

    // While a task is undone or redone, a setter may change what the task
    // never changed (a subreport going back to child printing makes its
    // band's height dynamic). The hooks report such changes here; they are
    // put back once the task ran, so Undo and Redo change only what the
    // command changed.
    bool CollectingSideEffects() const { return m_collecting; }
    void CollectSideEffect(const QString& operation, TComponent* object);

private:
    void Run(TjxUndoableTask& task, TjxCustomReport* context, bool undo);

    TjxUndoableTaskCollection m_undoList;
    TjxUndoableTaskCollection m_redoList;
    std::unique_ptr<TjxUndoableTask> m_openTask;
    std::unique_ptr<TjxUndoable> m_openOperation;
    int m_taskDepth = 0;
    int m_operationDepth = 0;
    bool m_enabled = false;
    bool m_inOperation = false;
    bool m_collecting = false;
    std::vector<std::unique_ptr<TjxUndoable>> m_sideEffects;
};

// Scoped brackets: whatever leaves the scope, an exception included, closes them.
class TjxUndoTaskGuard {
public:
    explicit TjxUndoTaskGuard(TjxUndoManager* manager);
    ~TjxUndoTaskGuard();
    TjxUndoTaskGuard(const TjxUndoTaskGuard&) = delete;
    TjxUndoTaskGuard& operator=(const TjxUndoTaskGuard&) = delete;

private:
    TjxUndoManager* m_manager;
    bool m_opened = false;
};

class TjxUndoOperationGuard {
public:
    TjxUndoOperationGuard(TjxUndoManager* manager, const QString& operation, TComponent* object);
    ~TjxUndoOperationGuard();
    TjxUndoOperationGuard(const TjxUndoOperationGuard&) = delete;
    TjxUndoOperationGuard& operator=(const TjxUndoOperationGuard&) = delete;

private:
    TjxUndoManager* m_manager;
    int m_depth;
};

// Recording off for the scope (bulk work whose records are made explicitly).
class TjxUndoDisabledGuard {
public:
    explicit TjxUndoDisabledGuard(TjxUndoManager* manager);
    ~TjxUndoDisabledGuard();
    TjxUndoDisabledGuard(const TjxUndoDisabledGuard&) = delete;
    TjxUndoDisabledGuard& operator=(const TjxUndoDisabledGuard&) = delete;

private:
    TjxUndoManager* m_manager;
    bool m_was;
};

} // namespace orvane
