#pragma once

#include "engine/cursor_pipeline.h"

#include <functional>

namespace orvane {

// Records produced just in time: the program tells how many there are and
// answers for one field of one record when asked.
class TjxCallbackPipeline : public TjxCursorPipeline {
    ORVANE_CLASS(TjxCallbackPipeline, TjxCursorPipeline)
public:
    explicit TjxCallbackPipeline(TComponent* owner = nullptr);

    std::function<int()> OnGetRecordCount;
    std::function<TVarValue(int record, int fieldIndex)> OnGetFieldValue;

protected:
    void OpenSource() override;
    void CloseSource() override { m_count = 0; }
    bool SourceRowAvailable(int row) override { return row >= 0 && row < m_count; }
    TVarValue SourceValue(int row, int column) override;

private:
    int m_count = 0;
};

} // namespace orvane
