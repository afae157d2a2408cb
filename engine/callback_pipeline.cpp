#include "engine/callback_pipeline.h"

#include "document/class_registry.h"

namespace orvane {

const TClassInfo& TjxCallbackPipeline::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxCallbackPipeline>("TjxCallbackPipeline", &TjxCursorPipeline::StaticClass()).Creatable().Build();
    return info;
}

ORVANE_REGISTER_CLASS(TjxCallbackPipeline);

TjxCallbackPipeline::TjxCallbackPipeline(TComponent* owner) : TjxCursorPipeline(owner) {}

void TjxCallbackPipeline::OpenSource()
{
    // The count is taken once per open so that a traversal sees one fixed set.
    m_count = OnGetRecordCount ? std::max(0, OnGetRecordCount()) : 0;
}

TVarValue TjxCallbackPipeline::SourceValue(int row, int column)
{
    return OnGetFieldValue ? OnGetFieldValue(row, column) : TVarValue::Null();
}

} // namespace orvane
