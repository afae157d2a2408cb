#include "engine/cursor_pipeline.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "engine/field.h"
#include "engine/master_field_link.h"

namespace orvane {

const TClassInfo& TjxCursorPipeline::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxCursorPipeline>("TjxCursorPipeline", &TjxDataPipeline::StaticClass()).Build();
    return info;
}

bool TjxCursorPipeline::RowAvailable(int row)
{
    if (row < 0)
        return false;
    if (m_view)
        return size_t(row) < m_view->size();
    return SourceRowAvailable(row);
}

int TjxCursorPipeline::RowCount()
{
    if (!m_active)
        return 0;
    if (m_view)
        return int(m_view->size());
    int n = m_row;
    while (SourceRowAvailable(n))
        ++n;
    return n;
}

void TjxCursorPipeline::ResetCursor()
{
    m_row = 0;
    m_eof = !RowAvailable(0);
    m_bof = true;
}

void TjxCursorPipeline::NativeOpen()
{
    if (m_active)
        return;
    OpenSource();
    m_active = true;
    m_view.reset();
    if (MasterDataPipeline() && IsLinked())
        ApplyMaster();
    ResetCursor();
}

void TjxCursorPipeline::NativeClose()
{
    if (!m_active)
        return;
    m_active = false;
    m_view.reset();
    CloseSource();
    m_bof = m_eof = true;
    m_row = 0;
}

void TjxCursorPipeline::NativeFirst()
{
    if (m_active)
        ResetCursor();
    TjxDataPipeline::NativeFirst();
}

void TjxCursorPipeline::NativeLast()
{
    if (m_active) {
        const int n = RowCount();
        m_row = n > 0 ? n - 1 : 0;
        m_eof = true;
        m_bof = n == 0;
    }
    TjxDataPipeline::NativeLast();
}

int TjxCursorPipeline::NativeMoveBy(int n)
{
    if (!m_active)
        return 0;
    int moved = 0;
    if (n > 0) {
        while (moved < n) {
            if (!RowAvailable(m_row + 1)) {
                m_eof = true;
                break;
            }
            ++m_row;
            ++moved;
        }
        if (moved > 0)
            m_bof = false;
    } else if (n < 0) {
        while (moved < -n) {
            if (m_row == 0) {
                m_bof = true;
                break;
            }
            --m_row;
            ++moved;
        }
        if (moved > 0)
            m_eof = !RowAvailable(m_row);
    }
    return moved;
}

TjxBookmark TjxCursorPipeline::GetBookmark()
{
    return m_active && RowAvailable(m_row) ? TjxBookmark(m_row) + 1 : 0;
}

void TjxCursorPipeline::GotoBookmark(TjxBookmark bookmark)
{
    if (m_active && bookmark > 0 && RowAvailable(int(bookmark - 1))) {
        m_row = int(bookmark - 1);
        m_bof = m_eof = false;
    }
    TjxDataPipeline::GotoBookmark(bookmark);
}

int TjxCursorPipeline::FieldIndex(const QString& fieldName)
{
    if (m_lastFieldIndex >= 0 && fieldName == m_lastFieldName)
        return m_lastFieldIndex;
    const int index = IndexOfField(fieldName);
    if (index < 0)
        throw EDataError(MessageText(msg::FieldNotFound, {fieldName, UserName()}));
    m_lastFieldName = fieldName;
    m_lastFieldIndex = index;
    return index;
}

TVarValue TjxCursorPipeline::GetFieldValue(const QString& fieldName)
{
    return GetFieldValueAt(FieldIndex(fieldName));
}

TVarValue TjxCursorPipeline::GetFieldValueAt(int index)
{
    if (!m_active || !RowAvailable(m_row))
        return TVarValue::Null();
    return SourceValue(CurrentSourceRow(), index);
}

std::vector<TVarValue> TjxCursorPipeline::MasterValues() const
{
    std::vector<TVarValue> values;
    TjxDataPipeline* master = MasterDataPipeline();
    for (int i = 0; i < LinkCount(); ++i)
        values.push_back(master && master->Active() ? master->GetFieldValue(Links(i)->MasterFieldName())
                                                    : TVarValue::Null());
    return values;
}

void TjxCursorPipeline::ApplyMaster()
{
    const std::vector<TVarValue> masterValues = MasterValues();
    std::vector<int> columns;
    for (int i = 0; i < LinkCount(); ++i) {
        const int column = IndexOfField(Links(i)->DetailFieldName());
        if (column < 0)
            throw EDataError(MessageText(msg::FieldNotFound, {Links(i)->DetailFieldName(), UserName()}));
        columns.push_back(column);
    }
    auto view = std::make_unique<std::vector<int>>();
    for (int row = 0; SourceRowAvailable(row); ++row) {
        bool match = true;
        for (size_t i = 0; i < columns.size() && match; ++i) {
            const TVarValue& m = masterValues[i];
            const TVarValue d = SourceValue(row, columns[i]);
            if (VarIsNullOrUnassigned(m) || VarIsNullOrUnassigned(d)) {
                match = false;
                break;
            }
            const Qt::CaseSensitivity cs = Links(int(i))->IsCaseSensitive() ? Qt::CaseSensitive : Qt::CaseInsensitive;
            match = VarToText(m).compare(VarToText(d), cs) == 0;
        }
        if (match)
            view->push_back(row);
    }
    m_view = std::move(view);
}

void TjxCursorPipeline::MasterRecordChanged()
{
    if (!m_active || !IsLinked())
        return;
    ApplyMaster();
    ResetCursor();
    UpdatePositionFlags();
}

void TjxCursorPipeline::MasterChanged()
{
    if (!m_active)
        return;
    m_view.reset();
    if (MasterDataPipeline() && IsLinked())
        ApplyMaster();
    ResetCursor();
    UpdatePositionFlags();
}

} // namespace orvane
