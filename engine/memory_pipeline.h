#pragma once

#include "engine/cursor_pipeline.h"

namespace orvane {

// Rows that the program gives: one value per field, in field order.
class TjxMemoryPipeline : public TjxCursorPipeline {
    ORVANE_CLASS(TjxMemoryPipeline, TjxCursorPipeline)
public:
    explicit TjxMemoryPipeline(TComponent* owner = nullptr);
    ~TjxMemoryPipeline() override;

    void AddRow(std::vector<TVarValue> row);
    void SetRows(std::vector<std::vector<TVarValue>> rows);
    void ClearRows();
    int SourceRowCount() const { return int(m_rows.size()); }

protected:
    void OpenSource() override {}
    void CloseSource() override {}
    bool SourceRowAvailable(int row) override { return row >= 0 && size_t(row) < m_rows.size(); }
    TVarValue SourceValue(int row, int column) override;

private:
    std::vector<std::vector<TVarValue>> m_rows;
};

} // namespace orvane
