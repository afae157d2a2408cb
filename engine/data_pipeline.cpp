#include "engine/data_pipeline.h"

#include "document/class_registry.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/stream_reader.h"
#include "document/stream_writer.h"
#include "engine/field.h"
#include "engine/master_field_link.h"
#include "engine/pipeline_list.h"

#include <algorithm>
#include <cstdlib>

namespace orvane {

namespace {
constexpr uint8_t kFirst = 1, kLast = 2, kNone = 4;
}

const TTypeInfo& RangeBeginTypeType()
{
    static const TTypeInfo& t = EnumType("TjxRangeBeginType", {"rbFirstRecord", "rbLastRecord", "rbCurrentRecord"});
    return t;
}

const TTypeInfo& RangeEndTypeType()
{
    static const TTypeInfo& t =
        EnumType("TjxRangeEndType", {"reFirstRecord", "reLastRecord", "reCurrentRecord", "reCount"});
    return t;
}

// ---- link range index ----

TjxLinkRangeIndex::Entry& TjxLinkRangeIndex::Add(int masterRecord)
{
    const auto it = std::find(m_masterRecords.begin(), m_masterRecords.end(), masterRecord);
    if (it != m_masterRecords.end())
        return m_entries[size_t(it - m_masterRecords.begin())];
    m_masterRecords.push_back(masterRecord);
    m_entries.emplace_back();
    return m_entries.back();
}

const TjxLinkRangeIndex::Entry* TjxLinkRangeIndex::Find(int masterRecord) const
{
    const auto it = std::find(m_masterRecords.begin(), m_masterRecords.end(), masterRecord);
    return it == m_masterRecords.end() ? nullptr : &m_entries[size_t(it - m_masterRecords.begin())];
}

// ---- pipeline ----

const TClassInfo& TjxDataPipeline::StaticClass()
{
    using T = TjxDataPipeline;
    static const TClassInfo info =
        TClassBuilder<T>("TjxDataPipeline", &TjxRelative::StaticClass())
            .Prop("MoveBy", IntegerType(), [](const T& p) { return p.MoveBy(); }, [](T& p, int v) { p.SetMoveBy(v); })
            .Default(1)
            .Prop("RangeBegin", RangeBeginTypeType(), &T::RangeBegin, &T::SetRangeBegin).Default(rbFirstRecord)
            .Prop("RangeEnd", RangeEndTypeType(), &T::RangeEnd, &T::SetRangeEnd).Default(reLastRecord)
            .Prop("RangeEndCount", IntegerType(), &T::RangeEndCount, &T::SetRangeEndCount).Default(0)
            .Prop("SkipWhenNoRecords", BooleanType(), &T::SkipWhenNoRecords, &T::SetSkipWhenNoRecords).Default(1)
            .Prop("UserName", StringType(), &T::UserName, &T::SetUserName)
            .Prop("Visible", BooleanType(), &T::Visible, &T::SetVisible).Default(1)
            .Event("AfterClose", &T::m_afterClose)
            .Event("AfterOpen", &T::m_afterOpen)
            .Event("BeforeClose", &T::m_beforeClose)
            .Event("BeforeOpen", &T::m_beforeOpen)
            .Event("OnDataChange", &T::m_onDataChange)
            .Event("OnFirst", &T::m_onFirst)
            .Event("OnGotoBookmark", &T::m_onGotoBookmark)
            .Event("OnLast", &T::m_onLast)
            .Event("OnMasterRecordPositionChange", &T::m_onMasterRecordPositionChange)
            .Event("OnNext", &T::m_onNext)
            .Event("OnPrior", &T::m_onPrior)
            .Event("OnRecordPositionChange", &T::m_onRecordPositionChange)
            .Event("OnTraversal", &T::m_onTraversal)
            .Defined("MasterDataPipelineName", [](T& p, TReader& r) { p.m_masterDataPipelineName = r.ReadString(); },
                     [](const T& p, TWriter& w) {
                         w.WriteString(p.m_masterDataPipeline ? p.m_masterDataPipeline->Name()
                                                              : p.m_masterDataPipelineName);
                     },
                     [](const T& p) { return p.m_masterDataPipeline || !p.m_masterDataPipelineName.isEmpty(); })
            .Defined("MasterDataPipeline", &T::ReadLegacyMaster, nullptr, [](const T&) { return false; })
            .Defined("OnClose", [](T& p, TReader& r) { p.ReadLegacyOpenClose(r, p.m_afterClose); }, nullptr,
                     [](const T&) { return false; })
            .Defined("OnOpen", [](T& p, TReader& r) { p.ReadLegacyOpenClose(r, p.m_afterOpen); }, nullptr,
                     [](const T&) { return false; })
            .Build();
    return info;
}

TjxDataPipeline::TjxDataPipeline(TComponent* owner) : TjxRelative(owner) {}

TjxDataPipeline::~TjxDataPipeline()
{
    SetStateFlags(csDestroying);
    ClearDetails();
    if (m_masterDataPipeline) {
        TjxDataPipeline* master = m_masterDataPipeline;
        master->RemoveEventNotify(this);
        master->m_details.erase(std::remove(master->m_details.begin(), master->m_details.end(), this),
                                master->m_details.end());
        RemoveNotify(master);
        m_masterDataPipeline = nullptr;
    }
}

void TjxDataPipeline::ReadLegacyMaster(TReader& reader)
{
    m_masterDataPipelineName = reader.ReadIdent();
}

void TjxDataPipeline::ReadLegacyOpenClose(TReader& reader, TMethod& target)
{
    const QString name = reader.ReadIdent();
    if (TComponent* root = reader.Root()) {
        if (TMethodCode code = root->MethodAddress(name)) {
            target.data = root;
            target.name = name;
            target.code = std::move(code);
        }
    }
}

void TjxDataPipeline::Loaded()
{
    TjxRelative::Loaded();
    if (UserName() != Name() && !UserName().isEmpty())
        m_nameWhileLoading = UserName();
}

void TjxDataPipeline::Fire(const TMethod& handler, int eventId)
{
    if (handler.code) {
        TjxEventParams params;
        handler(this, params);
    }
    SendEventNotify(eventId);
}

// ---- open and close ----

void TjxDataPipeline::Open()
{
    Fire(m_beforeOpen, peBeforeOpen);
    NativeOpen();
    UpdatePositionFlags();
    Fire(m_afterOpen, peAfterOpen);
}

void TjxDataPipeline::Close()
{
    Fire(m_beforeClose, peBeforeClose);
    NativeClose();
    m_position = 0;
    DataChange();
    Fire(m_afterClose, peAfterClose);
}

void TjxDataPipeline::UpdatePositionFlags()
{
    m_position = 0;
    if (HasState(csDestroying) || !Active())
        return;
    const bool bof = Bof();
    const bool eof = Eof();
    if (bof && eof)
        m_position = kNone;
    else if (bof)
        m_position = kFirst;
    else if (eof)
        m_position = kLast;
}

void TjxDataPipeline::DataChange()
{
    if (IsReadingOrLoading() || HasState(csDestroying) || FreeingChildren() || m_positioning)
        return;
    UpdatePositionFlags();
    SendNotify(ntDataChanged);
    Fire(m_onDataChange, peDataChange);
}

void TjxDataPipeline::SetSkipWhenNoRecords(bool value)
{
    m_skipWhenNoRecords = value;
    DataChange();
}

// ---- native defaults ----

void TjxDataPipeline::NativeFirst()
{
    RecordPositionChange();
}

void TjxDataPipeline::NativeLast()
{
    RecordPositionChange();
}

void TjxDataPipeline::GotoBookmark(TjxBookmark bookmark)
{
    if (m_onGotoBookmark.code) {
        TjxEventParams params{{QStringLiteral("Bookmark"), QVariant::fromValue<qlonglong>(bookmark)}};
        m_onGotoBookmark(this, params);
    }
    SendEventNotify(peGotoBookmark);
    RecordPositionChange();
}

// ---- moves ----

void TjxDataPipeline::MoveBy(int n)
{
    m_positioning = true;
    try {
        if (n == 0 && m_recordIndex == 0)
            NativeFirst();
        const int moved = std::abs(NativeMoveBy(n));
        const int step = n >= 0 ? moved : -moved;
        m_recordIndex += m_moveBy > 0 ? step : -step;
    } catch (...) {
        m_positioning = false;
        DataChange();
        RecordPositionChange();
        throw;
    }
    m_positioning = false;
    DataChange();
    RecordPositionChange();
}

bool TjxDataPipeline::DetailsHaveRecords()
{
    if (m_details.empty() || !m_skipEmptyDetails)
        return true;
    for (TjxDataPipeline* detail : m_details) {
        if (detail->NoRecords())
            continue;
        if (detail->LinkIndexMode() && detail->LinkIndexPosition() > 0)
            continue;
        return true;
    }
    return false;
}

void TjxDataPipeline::RawNext()
{
    if (HasBookmarkList()) {
        const size_t next = size_t(m_traversalCount) + 1;
        if (next < m_bookmarkList->size())
            GotoBookmark((*m_bookmarkList)[next]);
    } else if (!CurrentOnly()) {
        if (LinkIndexMode())
            LinkIndexMoveBy(m_moveBy);
        else
            MoveBy(m_moveBy);
    }
    UpdatePositionFlags();
}

void TjxDataPipeline::RawPrior()
{
    if (HasBookmarkList()) {
        const int prior = m_traversalCount - 1;
        if (prior >= 0 && size_t(prior) < m_bookmarkList->size())
            GotoBookmark((*m_bookmarkList)[size_t(prior)]);
    } else if (!CurrentOnly()) {
        if (LinkIndexMode())
            LinkIndexMoveBy(-m_moveBy);
        else
            MoveBy(-m_moveBy);
    }
    UpdatePositionFlags();
}

void TjxDataPipeline::SkipForward()
{
    while (!DetailsHaveRecords() && !Eof()) {
        const int before = m_recordIndex;
        RawNext();
        m_dataTraversed = true;
        // A source that cannot move on must not hold the traversal in a loop.
        if (m_recordIndex == before && !HasBookmarkList() && !LinkIndexMode() && !Eof())
            break;
    }
}

void TjxDataPipeline::SkipBackward()
{
    while (!DetailsHaveRecords() && !Bof()) {
        const int before = m_recordIndex;
        RawPrior();
        m_dataTraversed = true;
        if (m_recordIndex == before && !HasBookmarkList() && !LinkIndexMode() && !Bof())
            break;
    }
}

void TjxDataPipeline::First()
{
    DoFirst(true);
}

void TjxDataPipeline::DoFirst(bool events)
{
    m_dataTraversed = false;
    m_traversalCount = 0;
    if (!LinkIndexMode())
        m_recordIndex = 0;
    if (!NoRecords()) {
        if (HasBookmarkList()) {
            GotoBookmark(m_bookmarkList->front());
        } else {
            switch (m_rangeBegin) {
            case rbFirstRecord:
                LinkIndexMode() ? LinkIndexFirst() : NativeFirst();
                SkipForward();
                break;
            case rbLastRecord:
                LinkIndexMode() ? LinkIndexLast() : NativeLast();
                SkipBackward();
                break;
            case rbCurrentRecord:
                if (m_currentRecordBookmark != 0)
                    GotoBookmark(m_currentRecordBookmark);
                break;
            }
        }
        if (!LinkIndexMode()) {
            if (Eof()) {
                m_position = kNone;
            } else {
                UpdatePositionFlags();
                m_position = (m_position & ~kNone) | kFirst;
            }
        } else if (!NoRecords()) {
            m_position = DetailsHaveRecords() ? uint8_t(m_position | kFirst) : kNone;
        }
    }
    if (events)
        Fire(m_onFirst, peFirst);
}

void TjxDataPipeline::Next()
{
    DoNext(true);
}

void TjxDataPipeline::DoNext(bool events)
{
    if (HasBookmarkList()) {
        ++m_traversalCount;
        ++m_recordIndex;
        if (size_t(m_traversalCount) < m_bookmarkList->size())
            GotoBookmark((*m_bookmarkList)[size_t(m_traversalCount)]);
    } else {
        if (!Eof() && !CurrentOnly())
            MoveBy(m_moveBy);
        m_dataTraversed = true;
        ++m_traversalCount;
    }
    SkipForward();
    UpdatePositionFlags();
    if (events)
        Fire(m_onNext, peNext);
}

void TjxDataPipeline::Prior()
{
    if (HasBookmarkList()) {
        --m_traversalCount;
        --m_recordIndex;
        if (m_traversalCount >= 0 && size_t(m_traversalCount) < m_bookmarkList->size())
            GotoBookmark((*m_bookmarkList)[size_t(m_traversalCount)]);
    } else {
        if (!Bof() && !CurrentOnly())
            MoveBy(-m_moveBy);
        m_dataTraversed = true;
        --m_traversalCount;
    }
    SkipBackward();
    UpdatePositionFlags();
    Fire(m_onPrior, pePrior);
}

void TjxDataPipeline::Last()
{
    if (!LinkIndexMode() && m_recordCount > 0)
        m_recordIndex = m_recordCount;
    if (NoRecords())
        return;
    if (HasBookmarkList()) {
        GotoBookmark(m_bookmarkList->back());
    } else {
        switch (m_rangeEnd) {
        case reFirstRecord:
            LinkIndexMode() ? LinkIndexFirst() : NativeFirst();
            SkipForward();
            break;
        case reLastRecord:
            LinkIndexMode() ? LinkIndexLast() : NativeLast();
            if (!LinkIndexMode() && m_recordCount < 0 && NativeRecordNo() >= 0 && m_rangeBegin == rbFirstRecord &&
                m_moveBy == 1)
                m_recordIndex = NativeRecordNo();
            SkipBackward();
            break;
        case reCurrentRecord:
            if (m_currentRecordBookmark != 0)
                GotoBookmark(m_currentRecordBookmark);
            break;
        case reCount: {
            // The last record of the range is the one counted last; a source with
            // fewer records ends at its own end instead of stepping on forever.
            DoFirst(false);
            while (!NoRecords() && m_traversalCount + 1 < m_rangeEndCount) {
                const int before = m_recordIndex;
                if (Eof())
                    break;
                DoNext(false);
                if (m_recordIndex == before || NativeEOF())
                    break;
            }
            break;
        }
        }
    }
    UpdatePositionFlags();
    m_position = (m_position & ~kNone) | kLast;
    Fire(m_onLast, peLast);
}

// ---- BOF and EOF ----

bool TjxDataPipeline::LinkLowerBound()
{
    if (m_masterDataPipeline && m_masterDataPipeline->NoRecords())
        return true;
    const TjxLinkRangeIndex::Entry* entry =
        m_linkRangeIndex && m_masterDataPipeline ? m_linkRangeIndex->Find(m_masterDataPipeline->RecordIndex()) : nullptr;
    if (entry)
        return !NativeBOF() && !m_endReached && m_recordIndex >= entry->firstRecord;
    return !NativeBOF() && !m_endReached && LinkIndexPosition() >= 0;
}

bool TjxDataPipeline::LinkUpperBound()
{
    if (m_masterDataPipeline && m_masterDataPipeline->NoRecords())
        return true;
    const TjxLinkRangeIndex::Entry* entry =
        m_linkRangeIndex && m_masterDataPipeline ? m_linkRangeIndex->Find(m_masterDataPipeline->RecordIndex()) : nullptr;
    if (entry)
        return NativeEOF() || (entry->lastRecord >= 0 && m_recordIndex >= entry->lastRecord);
    return NativeEOF() || LinkIndexPosition() <= 0;
}

bool TjxDataPipeline::Bof()
{
    if (HasBookmarkList() || m_bookmarkList)
        return !HasBookmarkList() || m_traversalCount == 0;
    if (LinkIndexMode()) {
        if (m_endReached)
            return true;
        switch (m_rangeBegin) {
        case rbFirstRecord: return LinkLowerBound();
        case rbLastRecord: return LinkUpperBound();
        case rbCurrentRecord: return !m_dataTraversed;
        }
        return false;
    }
    switch (m_rangeBegin) {
    case rbFirstRecord: return NativeBOF();
    case rbLastRecord: return NativeEOF();
    case rbCurrentRecord:
        if (!m_dataTraversed)
            return true;
        if (m_rangeEnd == reCurrentRecord || NativeBOF() || m_currentRecordBookmark == 0)
            return NativeBOF();
        {
            const TjxBookmark here = GetBookmark();
            const int c = CompareBookmarks(here, m_currentRecordBookmark);
            FreeBookmark(here);
            return m_moveBy > 0 ? c <= 0 : c >= 0;
        }
    }
    return false;
}

bool TjxDataPipeline::Eof()
{
    bool eof = false;
    if (m_bookmarkList) {
        return !HasBookmarkList() || size_t(m_traversalCount) >= m_bookmarkList->size();
    } else if (LinkIndexMode()) {
        if (m_endReached)
            return true;
        switch (m_rangeEnd) {
        case reFirstRecord: return LinkLowerBound();
        case reLastRecord: return LinkUpperBound();
        case reCurrentRecord: return m_traversalCount == 1;
        case reCount:
            return m_traversalCount >= m_rangeEndCount || (m_moveBy > 0 ? LinkUpperBound() : LinkLowerBound());
        }
        return false;
    } else {
        switch (m_rangeEnd) {
        case reFirstRecord: eof = NativeBOF(); break;
        case reLastRecord: eof = NativeEOF(); break;
        case reCurrentRecord: {
            const bool nativeEof = NativeEOF();
            eof = (NativeBOF() && nativeEof) || m_dataTraversed;
            if (m_dataTraversed && m_rangeBegin != rbCurrentRecord && !nativeEof && m_currentRecordBookmark != 0) {
                const TjxBookmark here = GetBookmark();
                const int c = CompareBookmarks(here, m_currentRecordBookmark);
                FreeBookmark(here);
                eof = m_moveBy > 0 ? c > 0 : c < 0;
            }
            break;
        }
        case reCount:
            eof = m_traversalCount >= m_rangeEndCount || (m_moveBy > 0 && NativeEOF()) || (m_moveBy < 0 && NativeBOF());
            break;
        }
    }
    if (eof && m_recordCount < 0)
        m_recordCount = m_recordIndex;
    return eof;
}

// ---- traversal set-up ----

void TjxDataPipeline::ClearDetails()
{
    // The link to a detail that names this pipeline as master is the detail's
    // own link to its master: it stays.
    for (TjxDataPipeline* detail : m_details)
        if (detail != m_masterDataPipeline && detail->m_masterDataPipeline != this)
            RemoveNotify(detail);
    m_details.clear();
}

void TjxDataPipeline::InitTraversal(const TjxDataPipelineList* list)
{
    if (LinkIndexMode()) {
        if (Active())
            NativeFirst();
        m_endReached = false;
        m_recordIndex = 0;
        m_linkLowerIndex = -1;
        m_linkUpperIndex = -1;
        m_masterLowValues.assign(size_t(LinkCount()), TVarValue());
        m_masterHighValues.assign(size_t(LinkCount()), TVarValue());
        if (m_linkRangeIndex)
            m_linkRangeIndex->Clear();
        else
            m_linkRangeIndex = std::make_unique<TjxLinkRangeIndex>();
    } else {
        m_positioning = false;
    }
    m_dataTraversed = false;
    m_recordCount = -1;
    m_skipEmptyDetails = false;
    ClearDetails();
    if (list) {
        for (int i = 0; i < list->Count(); ++i) {
            TjxDataPipeline* p = list->Pipelines(i);
            if (p && p != this && p->MasterDataPipeline() == this) {
                m_details.push_back(p);
                AddNotify(p);
            }
        }
    }
    if (std::any_of(m_details.begin(), m_details.end(), [](TjxDataPipeline* d) { return !d->SkipWhenNoRecords(); }))
        ClearDetails();
    m_skipEmptyDetails = !m_details.empty();
}

void TjxDataPipeline::Traversal()
{
    Fire(m_onTraversal, peTraversal);
}

// ---- saved positions ----

TjxPipelinePosition TjxDataPipeline::SavePosition()
{
    TjxPipelinePosition p;
    p.noRecords = NoRecords();
    p.lastRecord = LastRecord();
    p.firstRecord = FirstRecord();
    p.traversalCount = m_traversalCount;
    if (p.lastRecord || Active())
        p.recordIndex = m_recordIndex;
    if (Active())
        p.bookmark = GetBookmark();
    return p;
}

void TjxDataPipeline::RestorePosition(const TjxPipelinePosition& saved, bool freeBookmark)
{
    m_position = 0;
    if (saved.noRecords) m_position |= kNone;
    if (saved.lastRecord) m_position |= kLast;
    if (saved.firstRecord) m_position |= kFirst;
    m_traversalCount = saved.traversalCount;
    if (saved.firstRecord) {
        First();
    } else if (saved.lastRecord) {
        if (!LinkIndexMode())
            m_recordIndex = saved.recordIndex;
        Last();
    } else if (saved.bookmark != 0 && Active()) {
        m_recordIndex = saved.recordIndex;
        GotoBookmark(saved.bookmark);
    }
    if (freeBookmark && saved.bookmark != 0)
        FreeBookmark(saved.bookmark);
}

void TjxDataPipeline::SetBookmarkList(std::vector<TjxBookmark> list)
{
    m_bookmarkList = std::make_unique<std::vector<TjxBookmark>>(std::move(list));
}

// ---- master and detail ----

void TjxDataPipeline::SetMasterDataPipeline(TjxDataPipeline* value)
{
    if (value == this || value == m_masterDataPipeline)
        return;
    for (TjxDataPipeline* p = value; p; p = p->m_masterDataPipeline)
        if (p == this)
            return;
    TjxDataPipeline* old = m_masterDataPipeline;
    if (old) {
        old->MasterChanged();
        old->RemoveEventNotify(this);
        old->m_details.erase(std::remove(old->m_details.begin(), old->m_details.end(), this), old->m_details.end());
        if (std::find(m_details.begin(), m_details.end(), old) == m_details.end())
            RemoveNotify(old);
    }
    m_masterDataPipeline = value;
    m_masterDataPipelineName = value ? value->Name() : QString();
    if (value) {
        AddNotify(value);
        AddEventInterest(peRecordPositionChange);
        value->AddEventNotify(this);
    }
    MasterChanged();
}

void TjxDataPipeline::EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params)
{
    if (sender == m_masterDataPipeline && eventId == peRecordPositionChange) {
        // Another master record: the rows, their count and the traversal start over.
        m_recordIndex = 0;
        m_recordCount = -1;
        m_dataTraversed = false;
        MasterRecordChanged();
        Fire(m_onMasterRecordPositionChange, peMasterRecordPositionChange);
        return;
    }
    TjxRelative::EventNotify(sender, eventId, params);
}

void TjxDataPipeline::Notify(TjxCommunicator* sender, int operation)
{
    if (operation == ntDestroying) {
        if (sender == m_masterDataPipeline) {
            m_masterDataPipeline = nullptr;
            MasterChanged();
        }
        m_details.erase(std::remove(m_details.begin(), m_details.end(), sender), m_details.end());
        if (sender == m_dataView)
            m_dataView = nullptr;
    }
    TjxRelative::Notify(sender, operation);
}

void TjxDataPipeline::ResolveMaster(const TjxDataPipelineList& list)
{
    if (m_masterDataPipeline || m_masterDataPipelineName.isEmpty())
        return;
    if (TjxDataPipeline* p = list.FindByName(m_masterDataPipelineName)) {
        const QString name = m_masterDataPipelineName;
        SetMasterDataPipeline(p);
        m_masterDataPipelineName = name;
    }
}

// ---- fields and links ----

int TjxDataPipeline::FieldCount() const
{
    int n = 0;
    for (int i = 0; i < ChildCount(); ++i)
        if (dynamic_cast<TjxField*>(Child(i)))
            ++n;
    return n;
}

namespace {

// Field names match in any case. Texts equal in any case have equal lengths,
// so most names are told apart before the slower comparison.
bool SameFieldName(const QString& a, const QString& b)
{
    return a.size() == b.size() && (a == b || a.compare(b, Qt::CaseInsensitive) == 0);
}

TjxField* FieldOf(TjxRelative* child) { return child ? child->AsField() : nullptr; }

} // namespace

TjxField* TjxDataPipeline::Fields(int index) const
{
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* f = FieldOf(Child(i)); f && index-- == 0)
            return f;
    return nullptr;
}

TjxField* TjxDataPipeline::FieldObjects(const QString& fieldName) const
{
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* f = FieldOf(Child(i)); f && SameFieldName(f->FieldName(), fieldName))
            return f;
    return nullptr;
}

QStringList TjxDataPipeline::GetFieldNames() const
{
    QStringList names;
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* f = FieldOf(Child(i)))
            names << f->FieldName();
    return names;
}

int TjxDataPipeline::IndexOfField(const QString& fieldName) const
{
    // Asked for every value printed: no list of names is built for it.
    int index = 0;
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* f = FieldOf(Child(i))) {
            if (SameFieldName(f->FieldName(), fieldName))
                return index;
            ++index;
        }
    return -1;
}

TjxField* TjxDataPipeline::AddField(const QString& fieldName, TjxDataType type, int size)
{
    auto* f = new TjxField(nullptr);
    f->SetParent(this);
    f->SetFieldName(fieldName);
    f->SetDataType(type);
    f->SetFieldLength(size);
    f->SetDisplayWidth(size);
    return f;
}

void TjxDataPipeline::FreeFields()
{
    for (int i = ChildCount() - 1; i >= 0; --i)
        if (auto* f = dynamic_cast<TjxField*>(Child(i))) {
            if (f == m_currentField)
                m_currentField = nullptr;
            delete f;
        }
}

int TjxDataPipeline::LinkCount() const
{
    int n = 0;
    for (int i = 0; i < ChildCount(); ++i)
        if (dynamic_cast<TjxMasterFieldLink*>(Child(i)))
            ++n;
    return n;
}

TjxMasterFieldLink* TjxDataPipeline::Links(int index) const
{
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* l = dynamic_cast<TjxMasterFieldLink*>(Child(i)); l && index-- == 0)
            return l;
    return nullptr;
}

TjxMasterFieldLink* TjxDataPipeline::AddLink(const QString& masterFieldName, const QString& detailFieldName)
{
    auto* link = new TjxMasterFieldLink(nullptr);
    link->SetMasterFieldName(masterFieldName);
    link->SetDetailFieldName(detailFieldName);
    link->SetParent(this);
    MasterChanged();
    return link;
}

void TjxDataPipeline::FreeLinks()
{
    for (int i = ChildCount() - 1; i >= 0; --i)
        if (auto* l = dynamic_cast<TjxMasterFieldLink*>(Child(i)))
            delete l;
    MasterChanged();
}

// ---- values ----

TVarValue TjxDataPipeline::GetFieldValue(const QString& fieldName)
{
    const int index = IndexOfField(fieldName);
    if (index < 0)
        throw EDataError(MessageText(msg::FieldNotFound, {fieldName, UserName()}));
    return GetFieldValueAt(index);
}

QString TjxDataPipeline::GetFieldAsString(const QString& fieldName)
{
    return VarToText(GetFieldValue(fieldName));
}

double TjxDataPipeline::GetFieldAsDouble(const QString& fieldName)
{
    const TVarValue v = GetFieldValue(fieldName);
    if (VarIsNullOrUnassigned(v))
        return 0;
    return VarAsKind(v, TVarValue::vtDouble).real;
}

QImage TjxDataPipeline::GetFieldAsPicture(const QString& fieldName)
{
    QImage image;
    const TVarValue v = GetFieldValue(fieldName);
    if (!VarIsNullOrUnassigned(v))
        image.loadFromData(FieldToStream(fieldName));
    return image;
}

bool TjxDataPipeline::IsNull(const QString& fieldName)
{
    return VarIsNullOrUnassigned(GetFieldValue(fieldName));
}

TjxDataType TjxDataPipeline::GetFieldDataType(const QString& fieldName) const
{
    const TjxField* f = FieldObjects(fieldName);
    return f ? f->DataType() : dtNotKnown;
}

int TjxDataPipeline::GetFieldSize(const QString& fieldName) const
{
    const TjxField* f = FieldObjects(fieldName);
    return f ? f->FieldLength() : 0;
}

QString TjxDataPipeline::GetFieldAlias(const QString& fieldName) const
{
    const TjxField* f = FieldObjects(fieldName);
    return f ? f->FieldAlias() : QString();
}

bool TjxDataPipeline::IsTemplateField(const QString& fieldName) const
{
    const TjxDataType type = GetFieldDataType(fieldName);
    return type == dtBLOB || type == dtMemo;
}

} // namespace orvane
