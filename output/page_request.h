#pragma once

#include "document/band.h"
#include "document/strings.h"

namespace orvane {

class TjxPage;

enum TjxPageRangeType : uint8_t { prAll, prOddPages, prEvenPages };
const TTypeInfo& PageRangeType();

// Which pages a device wants: all, a list, one page, the first or the last,
// optionally only odd or even ones. The publisher merges the requests of its devices.
class TjxPageRequest : public TPersistent {
    ORVANE_CLASS(TjxPageRequest, TPersistent)
public:
    TjxPageRequest();
    ~TjxPageRequest() override;

    TStrings* PageList() const { return m_pageList.get(); }
    void SetPageList(TStrings* value);
    int PageRequested() const { return m_pageRequested; }
    void SetPageRequested(int value) { m_pageRequested = value; }
    TjxPageSettingType PageSetting() const { return m_pageSetting; }
    void SetPageSetting(TjxPageSettingType value) { m_pageSetting = value; }
    TjxPageRangeType PageRange() const { return m_pageRange; }
    void SetPageRange(TjxPageRangeType value) { m_pageRange = value; }

    void Clear();
    // A single-page request past the last page settles on the last page.
    bool IsRequested(const TjxPage& page);
    bool IsLastRequested(const TjxPage& page) const;
    void Merge(const TjxPageRequest& other);

    void Assign(const TPersistent* source) override;

private:
    std::unique_ptr<TStrings> m_pageList;
    int m_pageRequested = 1;
    TjxPageSettingType m_pageSetting = psAll;
    TjxPageRangeType m_pageRange = prAll;
};

// The pages typed as "1,3,5-12": every non-digit separates numbers, "-" after
// a number opens a range that the next number closes; sorted, duplicates kept.
QStringList TextToPageList(QStringView text);

} // namespace orvane
