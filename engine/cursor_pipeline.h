#pragma once

#include "engine/data_pipeline.h"

namespace orvane {

// A pipeline over numbered rows that a source supplies, possibly lazily. The
// cursor keeps the usual semantics: end of data means a move past the last row
// was tried, and the cursor then stays on the last row. A detail sees only the
// rows whose link fields equal the master's current values.
class TjxCursorPipeline : public TjxDataPipeline {
    ORVANE_CLASS(TjxCursorPipeline, TjxDataPipeline)
public:
    using TjxDataPipeline::TjxDataPipeline;

    bool Active() const override { return m_active; }
    TjxBookmark GetBookmark() override;
    void GotoBookmark(TjxBookmark bookmark) override;
    TVarValue GetFieldValue(const QString& fieldName) override;
    TVarValue GetFieldValueAt(int index) override;
    // Rows of the current view (all rows when not linked); fetches them all.
    int RowCount();

protected:
    // The source: open, close, whether a row exists (fetching up to it) and its values.
    virtual void OpenSource() = 0;
    virtual void CloseSource() = 0;
    virtual bool SourceRowAvailable(int row) = 0;
    virtual TVarValue SourceValue(int row, int column) = 0;
    // Re-reads the rows for the master's current values; the default filters the source rows.
    virtual void ApplyMaster();
    // The master's values of the link fields, in link order.
    std::vector<TVarValue> MasterValues() const;
    int CurrentSourceRow() const { return m_view ? (*m_view)[size_t(m_row)] : m_row; }
    int CurrentRow() const { return m_row; }
    // Back on the first row of the rows the source now has.
    void ResetCursor();

    bool NativeBOF() override { return !m_active || m_bof; }
    bool NativeEOF() override { return !m_active || m_eof; }
    void NativeOpen() override;
    void NativeClose() override;
    void NativeFirst() override;
    void NativeLast() override;
    int NativeMoveBy(int n) override;
    int NativeRecordNo() const override { return m_row; }
    void MasterRecordChanged() override;
    void MasterChanged() override;

private:
    bool RowAvailable(int row);
    int FieldIndex(const QString& fieldName);

    bool m_active = false;
    bool m_bof = true;
    bool m_eof = true;
    int m_row = 0;
    std::unique_ptr<std::vector<int>> m_view;
    QString m_lastFieldName;
    int m_lastFieldIndex = -1;
};

} // namespace orvane
