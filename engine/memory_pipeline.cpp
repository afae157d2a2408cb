#include "engine/memory_pipeline.h"

#include "document/class_registry.h"

namespace orvane {

const TClassInfo& TjxMemoryPipeline::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxMemoryPipeline>("TjxMemoryPipeline", &TjxCursorPipeline::StaticClass()).Creatable().Build();
    return info;
}

ORVANE_REGISTER_CLASS(TjxMemoryPipeline);

TjxMemoryPipeline::TjxMemoryPipeline(TComponent* owner) : TjxCursorPipeline(owner) {}

TjxMemoryPipeline::~TjxMemoryPipeline() = default;

void TjxMemoryPipeline::AddRow(std::vector<TVarValue> row)
{
    m_rows.push_back(std::move(row));
    DataChange();
}

void TjxMemoryPipeline::SetRows(std::vector<std::vector<TVarValue>> rows)
{
    m_rows = std::move(rows);
    if (Active()) {
        Close();
        Open();
    } else {
        DataChange();
    }
}

void TjxMemoryPipeline::ClearRows()
{
    SetRows({});
}

TVarValue TjxMemoryPipeline::SourceValue(int row, int column)
{
    const std::vector<TVarValue>& r = m_rows[size_t(row)];
    return column >= 0 && size_t(column) < r.size() ? r[size_t(column)] : TVarValue::Null();
}

} // namespace orvane
