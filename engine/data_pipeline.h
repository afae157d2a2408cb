#pragma once

// The abstract data source of reports: traversal state, ranges, master/detail
// relations, events and bookmarks. Concrete pipelines supply the native cursor.

#include "document/data_type.h"
#include "document/relative.h"

#include <QImage>
#include <QStringList>
#include <memory>
#include <vector>

namespace orvane {

class TjxField;
class TjxMasterFieldLink;
class TjxDataPipelineList;

enum TjxRangeBeginType : uint8_t { rbFirstRecord, rbLastRecord, rbCurrentRecord };
enum TjxRangeEndType : uint8_t { reFirstRecord, reLastRecord, reCurrentRecord, reCount };
const TTypeInfo& RangeBeginTypeType();
const TTypeInfo& RangeEndTypeType();

// Event numbers a pipeline broadcasts after each of its handlers.
enum TjxPipelineEvent : int {
    peRecordPositionChange = 37,
    peMasterRecordPositionChange = 38,
    peTraversal = 39,
    peGotoBookmark = 40,
    peDataChange = 41,
    peFirst = 42,
    peNext = 43,
    pePrior = 44,
    peLast = 45,
    peBeforeOpen = 130,
    peAfterOpen = 131,
    peBeforeClose = 132,
    peAfterClose = 133,
};

// A record position of a concrete pipeline; 0 means none.
using TjxBookmark = int64_t;

// A position the engine saves per page and restores later.
struct TjxPipelinePosition {
    bool noRecords = false;
    bool lastRecord = false;
    bool firstRecord = false;
    int traversalCount = 0;
    int recordIndex = 0;
    TjxBookmark bookmark = 0;
};

// Per master record, the first and last detail record (-1 while unknown).
class TjxLinkRangeIndex {
public:
    struct Entry {
        int firstRecord = -1;
        int lastRecord = -1;
    };
    void Clear() { m_entries.clear(); m_masterRecords.clear(); }
    int Count() const { return int(m_entries.size()); }
    // The entry of a master record number, created when missing.
    Entry& Add(int masterRecord);
    const Entry* Find(int masterRecord) const;

private:
    std::vector<Entry> m_entries;
    std::vector<int> m_masterRecords;
};

class TjxDataPipeline : public TjxRelative {
    ORVANE_CLASS(TjxDataPipeline, TjxRelative)
public:
    explicit TjxDataPipeline(TComponent* owner = nullptr);
    ~TjxDataPipeline() override;
    TjxDataPipeline* AsDataPipeline() const override { return const_cast<TjxDataPipeline*>(this); }

    // ---- state ----
    void Open();
    void Close();
    virtual bool Active() const = 0;
    // BOF and EOF of the traversal (EOF is a macro of the C library).
    bool Bof();
    bool Eof();
    bool DataTraversed() const { return m_dataTraversed; }
    bool FirstRecord() const { return m_position & 1; }
    bool LastRecord() const { return m_position & 2; }
    bool NoRecords() const { return m_position & 4; }
    int TraversalCount() const { return m_traversalCount; }
    int RecordIndex() const { return m_recordIndex; }
    int RecordCount() const { return m_recordCount; }
    TComponent* DataView() const { return m_dataView; }

    // ---- properties ----
    TjxDataPipeline* MasterDataPipeline() const { return m_masterDataPipeline; }
    void SetMasterDataPipeline(TjxDataPipeline* value);
    const QString& MasterDataPipelineName() const { return m_masterDataPipelineName; }
    // The step of a native move; negative traverses backwards.
    int MoveBy() const { return m_moveBy; }
    void SetMoveBy(int value) { SetField(m_moveBy, value == 0 ? 1 : value, "MoveBy"); }
    TjxRangeBeginType RangeBegin() const { return m_rangeBegin; }
    void SetRangeBegin(TjxRangeBeginType v) { SetField(m_rangeBegin, v, "RangeBegin"); }
    TjxRangeEndType RangeEnd() const { return m_rangeEnd; }
    void SetRangeEnd(TjxRangeEndType v) { SetField(m_rangeEnd, v, "RangeEnd"); }
    int RangeEndCount() const { return m_rangeEndCount; }
    void SetRangeEndCount(int v) { SetField(m_rangeEndCount, v < 0 ? 0 : v, "RangeEndCount"); }
    bool SkipWhenNoRecords() const { return m_skipWhenNoRecords; }
    void SetSkipWhenNoRecords(bool value);
    bool Visible() const { return m_visible; }
    void SetVisible(bool v) { SetField(m_visible, v, "Visible"); }

    // Traversal walks exactly these records when the list is set and not empty.
    void SetBookmarkList(std::vector<TjxBookmark> list);
    void ClearBookmarkList() { m_bookmarkList.reset(); }
    TjxBookmark CurrentRecordBookmark() const { return m_currentRecordBookmark; }
    void SetCurrentRecordBookmark(TjxBookmark b) { m_currentRecordBookmark = b; }
    // The record the cursor is on becomes the current record of the ranges.
    void MarkCurrentRecord() { m_currentRecordBookmark = Active() ? GetBookmark() : 0; }

    // ---- traversal ----
    void First();
    void Next();
    void Prior();
    void Last();
    // Moves n records (negative backwards) and raises the position events.
    void MoveBy(int n);
    void InitTraversal(const TjxDataPipelineList* list);
    void Traversal();
    void DataChange();
    TjxPipelinePosition SavePosition();
    void RestorePosition(const TjxPipelinePosition& position, bool freeBookmark = true);
    int DetailCount() const { return int(m_details.size()); }

    // ---- fields and links ----
    int FieldCount() const;
    TjxField* Fields(int index) const;
    TjxField* FieldObjects(const QString& fieldName) const;
    TjxField* CurrentField() const { return m_currentField; }
    void SetCurrentField(TjxField* f) { m_currentField = f; }
    int IndexOfField(const QString& fieldName) const;
    virtual QStringList GetFieldNames() const;
    TVarValue FieldValues(const QString& fieldName) { return GetFieldValue(fieldName); }
    int LinkCount() const;
    TjxMasterFieldLink* Links(int index) const;
    bool IsLinked() const { return LinkCount() > 0; }
    TjxMasterFieldLink* AddLink(const QString& masterFieldName, const QString& detailFieldName);
    void FreeLinks();
    // Adds a field; the pipeline owns it.
    TjxField* AddField(const QString& fieldName, TjxDataType type, int size = 10);
    void FreeFields();

    // ---- field values (concrete pipelines) ----
    virtual TVarValue GetFieldValue(const QString& fieldName);
    // The value of the field at an index of Fields: the fast path of components that keep their field.
    virtual TVarValue GetFieldValueAt(int index) = 0;
    virtual QString GetFieldAsString(const QString& fieldName);
    virtual double GetFieldAsDouble(const QString& fieldName);
    virtual QImage GetFieldAsPicture(const QString& fieldName);
    virtual bool IsNull(const QString& fieldName);
    TjxDataType GetFieldDataType(const QString& fieldName) const;
    int GetFieldSize(const QString& fieldName) const;
    QString GetFieldAlias(const QString& fieldName) const;
    // True when a design view cannot show the field.
    virtual bool FieldMissing(const QString& fieldName) const { return IndexOfField(fieldName) < 0; }
    virtual bool SupportsDataType(TjxDataType type) const { return true; }
    virtual void SetDataView(TComponent* view) { m_dataView = view; }

    // ---- bookmarks ----
    virtual TjxBookmark GetBookmark() = 0;
    virtual void FreeBookmark(TjxBookmark) {}
    virtual void GotoBookmark(TjxBookmark bookmark);
    virtual int CompareBookmarks(TjxBookmark a, TjxBookmark b) const { return a < b ? -1 : (a > b ? 1 : 0); }

    // ---- records of templates kept in a database ----
    virtual void Append() {}
    virtual void Edit() {}
    virtual void Post() {}
    virtual void Cancel() {}
    virtual bool Locate(const QString& fieldName, const TVarValue& value) { return false; }
    virtual QByteArray FieldToStream(const QString& fieldName) { return {}; }
    virtual void StreamToField(const QString& fieldName, const QByteArray& data) {}
    virtual void SetFieldValue(const QString& fieldName, const TVarValue& value) {}
    // Can the field hold a template (a large binary or memo field)?
    virtual bool IsTemplateField(const QString& fieldName) const;

    // Looks the master's name up after loading.
    void ResolveMaster(const TjxDataPipelineList& list);

    TMethod m_afterClose, m_afterOpen, m_beforeClose, m_beforeOpen, m_onDataChange, m_onFirst, m_onGotoBookmark,
        m_onLast, m_onMasterRecordPositionChange, m_onNext, m_onPrior, m_onRecordPositionChange, m_onTraversal;

    void Loaded() override;
    void EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params) override;

protected:
    // ---- the native cursor ----
    virtual bool NativeBOF() = 0;
    virtual bool NativeEOF() = 0;
    virtual void NativeOpen() = 0;
    virtual void NativeClose() = 0;
    // Concrete pipelines move, then call these, which raise the position event.
    virtual void NativeFirst();
    virtual void NativeLast();
    // Moves n records; returns how many were moved.
    virtual int NativeMoveBy(int n) = 0;
    // The row number of the cursor, or -1 when the source cannot tell.
    virtual int NativeRecordNo() const { return -1; }

    // The master moved to another record: details re-read their rows here.
    virtual void MasterRecordChanged() {}
    // Told when a master/detail relation of this pipeline changes.
    virtual void MasterChanged() {}

    // ---- link-index mode, a contract for pipelines that read details through the range index ----
    virtual bool LinkIndexMode() const { return false; }
    virtual void LinkIndexFirst() {}
    virtual void LinkIndexLast() {}
    virtual int LinkIndexMoveBy(int n) { return 0; }
    // Negative before the master's range, 0 inside, positive after it.
    virtual int LinkIndexPosition() const { return 0; }
    TjxLinkRangeIndex* LinkRangeIndex() const { return m_linkRangeIndex.get(); }
    bool m_endReached = false;

    void Notify(TjxCommunicator* sender, int operation) override;
    void UpdatePositionFlags();

private:
    void Fire(const TMethod& handler, int eventId);
    void RecordPositionChange() { Fire(m_onRecordPositionChange, peRecordPositionChange); }
    bool DetailsHaveRecords();
    void SkipForward();
    void SkipBackward();
    void RawNext();
    void RawPrior();
    void DoFirst(bool events);
    void DoNext(bool events);
    bool HasBookmarkList() const { return m_bookmarkList && !m_bookmarkList->empty(); }
    bool CurrentOnly() const { return m_rangeBegin == rbCurrentRecord && m_rangeEnd == reCurrentRecord; }
    bool LinkLowerBound();
    bool LinkUpperBound();
    void ClearDetails();
    void ReadLegacyMaster(class TReader& reader);
    void ReadLegacyOpenClose(class TReader& reader, TMethod& target);

    std::unique_ptr<std::vector<TjxBookmark>> m_bookmarkList;
    TjxBookmark m_currentRecordBookmark = 0;
    bool m_dataTraversed = false;
    std::vector<TjxDataPipeline*> m_details;
    bool m_skipEmptyDetails = false;
    TjxDataPipeline* m_masterDataPipeline = nullptr;
    QString m_masterDataPipelineName;
    int m_moveBy = 1;
    TjxRangeEndType m_rangeEnd = reLastRecord;
    int m_rangeEndCount = 0;
    TjxRangeBeginType m_rangeBegin = rbFirstRecord;
    bool m_skipWhenNoRecords = true;
    uint8_t m_position = 0;
    int m_traversalCount = 0;
    bool m_visible = true;
    bool m_positioning = false;
    int m_recordIndex = 0;
    int m_recordCount = -1;
    int m_linkLowerIndex = -1;
    int m_linkUpperIndex = -1;
    std::vector<TVarValue> m_masterLowValues, m_masterHighValues;
    std::unique_ptr<TjxLinkRangeIndex> m_linkRangeIndex;
    QString m_nameWhileLoading;
    TComponent* m_dataView = nullptr;
    TjxField* m_currentField = nullptr;
};

} // namespace orvane
