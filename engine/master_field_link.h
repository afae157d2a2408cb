#pragma once

#include "document/auto_search_field.h"
#include "document/relative.h"

namespace orvane {

enum TjxCollationType : uint8_t { ctANSI, ctASCII, ctVariant };
enum TjxGuidCollationType : uint8_t { gcMSSQLServer, gcMSAccess, gcGuid, gcString };
const TTypeInfo& CollationTypeType();
const TTypeInfo& GuidCollationTypeType();

// One field pair of a master/detail relation; a child of the detail pipeline.
class TjxMasterFieldLink : public TjxRelative {
    ORVANE_CLASS(TjxMasterFieldLink, TjxRelative)
public:
    explicit TjxMasterFieldLink(TComponent* owner = nullptr);

    const QString& MasterFieldName() const { return m_masterFieldName; }
    void SetMasterFieldName(const QString& v) { SetField(m_masterFieldName, v, "MasterFieldName"); }
    const QString& DetailFieldName() const { return m_detailFieldName; }
    void SetDetailFieldName(const QString& v) { SetField(m_detailFieldName, v, "DetailFieldName"); }
    TjxSortOrderType DetailSortOrder() const { return m_detailSortOrder; }
    void SetDetailSortOrder(TjxSortOrderType v) { SetField(m_detailSortOrder, v, "DetailSortOrder"); }
    bool IsCaseSensitive() const { return m_isCaseSensitive; }
    void SetIsCaseSensitive(bool v) { SetField(m_isCaseSensitive, v, "IsCaseSensitive"); }
    TjxCollationType CollationType() const { return m_collationType; }
    void SetCollationType(TjxCollationType v) { SetField(m_collationType, v, "CollationType"); }
    TjxGuidCollationType GuidCollationType() const { return m_guidCollationType; }
    void SetGuidCollationType(TjxGuidCollationType v) { SetField(m_guidCollationType, v, "GuidCollationType"); }

private:
    QString m_masterFieldName;
    QString m_detailFieldName;
    TjxSortOrderType m_detailSortOrder = soAscending;
    bool m_isCaseSensitive = false;
    TjxCollationType m_collationType = ctANSI;
    TjxGuidCollationType m_guidCollationType = gcString;
};

} // namespace orvane
