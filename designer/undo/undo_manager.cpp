#include "designer/undo/undo_manager.h"

#include <QSet>

namespace orvane {

// ---- TjxUndoableTask ----

void TjxUndoableTask::Undo(TjxCustomReport* context)
{
    for (auto& undoable : m_undoables)
        undoable->Seal(context);
    for (auto it = m_undoables.rbegin(); it != m_undoables.rend(); ++it)
        (*it)->Undo(context);
    // Values that depend on each other (calculation orders renumbered
    // around the one set) may take a few rounds to settle.
    for (int round = 0; round < kRetryRounds; ++round) {
        bool again = false;
        for (auto it = m_undoables.rbegin(); it != m_undoables.rend(); ++it)
            again |= (*it)->Retry(context);
        if (!again)
            break;
    }
}

void TjxUndoableTask::Redo(TjxCustomReport* context)
{
    // Every Exchange swaps, so running the records again in order reverses the Undo.
    for (auto& undoable : m_undoables)
        undoable->Undo(context);
    for (int round = 0; round < kRetryRounds; ++round) {
        bool again = false;
        for (auto& undoable : m_undoables)
            again |= undoable->Retry(context);
        if (!again)
            break;
    }
}

std::unique_ptr<TjxUndoableTask> TjxUndoableTask::TakeFrom(int index)
{
    auto taken = std::make_unique<TjxUndoableTask>();
    const auto from = m_undoables.begin() + std::clamp(index, 0, Count());
    std::move(from, m_undoables.end(), std::back_inserter(taken->m_undoables));
    m_undoables.erase(from, m_undoables.end());
    return taken;
}

// ---- TjxUndoableTaskCollection ----

void TjxUndoableTaskCollection::SetCapacity(int value)
{
    if (value < 0)
        return;
    m_capacity = value;
    Trim();
}

void TjxUndoableTaskCollection::Trim()
{
    while (int(m_tasks.size()) > m_capacity)
        m_tasks.pop_front();
}

void TjxUndoableTaskCollection::Add(std::unique_ptr<TjxUndoableTask> task)
{
    if (!m_tasks.empty() && int(m_tasks.size()) >= m_capacity)
        m_tasks.pop_front();
    m_tasks.push_back(std::move(task));
    Trim();
}

std::unique_ptr<TjxUndoableTask> TjxUndoableTaskCollection::RemoveLast()
{
    if (m_tasks.empty())
        return nullptr;
    auto task = std::move(m_tasks.back());
    m_tasks.pop_back();
    return task;
}

// ---- TjxUndoManager ----

TjxUndoManager::TjxUndoManager() = default;
TjxUndoManager::~TjxUndoManager() = default;

TjxUndoableTask* TjxUndoManager::StartTask()
{
    if (!m_enabled || m_inOperation)
        return nullptr;
    ++m_taskDepth;
    if (!m_openTask)
        m_openTask = std::make_unique<TjxUndoableTask>();
    return m_openTask.get();
}

void TjxUndoManager::FinishTask()
{
    if (m_taskDepth == 0 || m_inOperation)
        return;
    if (--m_taskDepth > 0)
        return;
    if (auto task = std::move(m_openTask); task && task->Count() > 0)
        m_undoList.Add(std::move(task));
}

void TjxUndoManager::RecordChange(const QString& operation, TComponent* object)
{
    StartOperation(operation, object);
    FinishOperation();
}

void TjxUndoManager::StartOperation(const QString& operation, TComponent* object)
{
    if (!m_enabled || m_inOperation)
        return;
    // A capture that fails leaves the depth as it was.
    auto undoable = TjxUndoableClassFactory::Instance().Create(operation, object);
    ++m_operationDepth;
    if (undoable) {
        if (m_openOperation)
            m_openOperation->AddSubItem(std::move(undoable));
        else
            m_openOperation = std::move(undoable);
    }
    if (m_openOperation)
        m_inOperation = true;
}

void TjxUndoManager::FinishOperation()
{
    if (m_operationDepth == 0)
        return;
    if (--m_operationDepth == 0 && m_openOperation)
        Commit(std::move(m_openOperation));
    m_inOperation = false;
}

void TjxUndoManager::Commit(std::unique_ptr<TjxUndoable> undoable)
{
    if (!undoable)
        return;
    m_redoList.Clear();
    if (m_openTask) {
        m_openTask->Add(std::move(undoable));
        return;
    }
    auto task = std::make_unique<TjxUndoableTask>();
    task->Add(std::move(undoable));
    m_undoList.Add(std::move(task));
}

void TjxUndoManager::CommitAt(int index, std::unique_ptr<TjxUndoable> undoable)
{
    if (!undoable)
        return;
    if (!m_openTask) {
        Commit(std::move(undoable));
        return;
    }
    m_redoList.Clear();
    m_openTask->Insert(index, std::move(undoable));
}

namespace {
// Recording is back on however the step ends.
struct TReenable {
    bool& enabled;
    ~TReenable() { enabled = true; }
};
} // namespace

void TjxUndoManager::CollectSideEffect(const QString& operation, TComponent* object)
{
    if (m_collecting)
        if (auto undoable = TjxUndoableClassFactory::Instance().Create(operation, object))
            m_sideEffects.push_back(std::move(undoable));
}

namespace {

// What a record changes, for telling side effects apart: the component and
// the kind of change (both bounds records are one kind, the font's records
// one, and an instance record covers everything of its component).
QString ChangeKey(const TjxUndoable& u)
{
    const QString op = u.Operation().toLower();
    QString kind = op;
    if (dynamic_cast<const TjxComponentInstanceUndoable*>(&u))
        kind = QStringLiteral("*");
    else if (op == u"movebounds" || op == u"resizebounds")
        kind = QStringLiteral("bounds");
    else if (op == u"bringtofront" || op == u"sendtoback")
        kind = QStringLiteral("zorder");
    else if (op.startsWith(u"font"))
        kind = QStringLiteral("font");
    return u.ComponentName().toLower() + u'|' + kind;
}

struct TCollecting {
    bool& collecting;
    std::vector<std::unique_ptr<TjxUndoable>>& effects;
    TCollecting(bool& c, std::vector<std::unique_ptr<TjxUndoable>>& e) : collecting(c), effects(e)
    {
        effects.clear();
        collecting = true;
    }
    ~TCollecting()
    {
        collecting = false;
        effects.clear();
    }
};

} // namespace

void TjxUndoManager::Run(TjxUndoableTask& task, TjxCustomReport* context, bool undo)
{
    TCollecting collecting(m_collecting, m_sideEffects);
    if (undo)
        task.Undo(context);
    else
        task.Redo(context);
    m_collecting = false;
    QSet<QString> covered;
    for (int i = 0; i < task.Count(); ++i)
        covered.insert(ChangeKey(*task.Undoables(i)));
    std::vector<std::unique_ptr<TjxUndoable>> effects = std::move(m_sideEffects);
    for (auto it = effects.rbegin(); it != effects.rend(); ++it) {
        const QString key = ChangeKey(**it);
        if (covered.contains(key) || covered.contains(key.section(u'|', 0, 0) + QStringLiteral("|*")))
            continue;
        (*it)->StoreBefore(context);
    }
}

void TjxUndoManager::Undo(TjxCustomReport* context)
{
    if (!m_enabled || m_inOperation || m_undoList.Count() == 0)
        return;
    m_enabled = false;
    TReenable reenable{m_enabled};
    // A task that fails leaves with the exception and is freed on the way.
    std::unique_ptr<TjxUndoableTask> task = m_undoList.RemoveLast();
    Run(*task, context, true);
    m_redoList.Add(std::move(task));
}

void TjxUndoManager::Redo(TjxCustomReport* context)
{
    if (!m_enabled || m_inOperation || m_redoList.Count() == 0)
        return;
    m_enabled = false;
    TReenable reenable{m_enabled};
    std::unique_ptr<TjxUndoableTask> task = m_redoList.RemoveLast();
    Run(*task, context, false);
    m_undoList.Add(std::move(task));
}

void TjxUndoManager::Clear()
{
    m_inOperation = false;
    m_undoList.Clear();
    m_redoList.Clear();
    m_taskDepth = 0;
    m_operationDepth = 0;
    m_openOperation.reset();
    m_openTask.reset();
}

void TjxUndoManager::SetCapacity(int value)
{
    m_undoList.SetCapacity(value);
    m_redoList.SetCapacity(value);
}

// ---- guards ----

TjxUndoTaskGuard::TjxUndoTaskGuard(TjxUndoManager* manager) : m_manager(manager)
{
    m_opened = m_manager && m_manager->StartTask() != nullptr;
}

TjxUndoTaskGuard::~TjxUndoTaskGuard()
{
    if (m_opened)
        m_manager->FinishTask();
}

TjxUndoOperationGuard::TjxUndoOperationGuard(TjxUndoManager* manager, const QString& operation, TComponent* object)
    : m_manager(manager), m_depth(manager ? manager->OperationDepth() : 0)
{
    if (m_manager)
        m_manager->StartOperation(operation, object);
}

TjxUndoOperationGuard::~TjxUndoOperationGuard()
{
    if (m_manager && m_manager->OperationDepth() > m_depth)
        m_manager->FinishOperation();
}

TjxUndoDisabledGuard::TjxUndoDisabledGuard(TjxUndoManager* manager)
    : m_manager(manager), m_was(manager && manager->Enabled())
{
    if (m_manager)
        m_manager->SetEnabled(false);
}

TjxUndoDisabledGuard::~TjxUndoDisabledGuard()
{
    if (m_manager)
        m_manager->SetEnabled(m_was);
}

} // namespace orvane
