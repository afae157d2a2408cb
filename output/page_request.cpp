#include "output/page_request.h"

#include "document/class_registry.h"
#include "output/page.h"

#include <algorithm>

namespace orvane {

const TTypeInfo& PageRangeType()
{
    static const TTypeInfo& t = EnumType("TjxPageRangeType", {"prAll", "prOddPages", "prEvenPages"});
    return t;
}

const TClassInfo& TjxPageRequest::StaticClass()
{
    using T = TjxPageRequest;
    static const TClassInfo info =
        TClassBuilder<T>("TjxPageRequest", &TPersistent::StaticClass())
            .Prop("PageList", ClassType(), &T::PageList, &T::SetPageList)
            .Prop("PageRequested", IntegerType(), &T::PageRequested, &T::SetPageRequested).Default(1)
            .Prop("PageSetting", PageSettingType(), &T::PageSetting, &T::SetPageSetting).Default(psAll)
            .Prop("PageRange", PageRangeType(), &T::PageRange, &T::SetPageRange).Default(prAll)
            .Build();
    return info;
}

TjxPageRequest::TjxPageRequest() : m_pageList(std::make_unique<TStrings>()) {}

TjxPageRequest::~TjxPageRequest() = default;

void TjxPageRequest::SetPageList(TStrings* value)
{
    if (value)
        m_pageList->Assign(value);
}

void TjxPageRequest::Clear()
{
    m_pageList->Clear();
    m_pageRange = prAll;
    m_pageRequested = 1;
    m_pageSetting = psAll;
}

bool TjxPageRequest::IsRequested(const TjxPage& page)
{
    const int number = page.AbsolutePageNo();
    bool requested = false;
    switch (m_pageSetting) {
    case psAll:
        requested = true;
        break;
    case psPageList:
        requested = m_pageList->IndexOf(QString::number(number)) >= 0;
        break;
    case psSinglePage:
        if (page.AbsolutePageCount() < m_pageRequested && page.LastPage())
            m_pageRequested = page.AbsolutePageCount();
        else if (m_pageRequested < 1 && number == 1)
            m_pageRequested = 1;
        requested = number == m_pageRequested;
        break;
    case psFirstPage:
        requested = page.FirstPage();
        break;
    case psLastPage:
        requested = page.LastPage();
        break;
    case psPageRange:
        break;
    }
    if (m_pageRange == prOddPages)
        requested = requested && number % 2 == 1;
    else if (m_pageRange == prEvenPages)
        requested = requested && number % 2 == 0;
    return requested;
}

bool TjxPageRequest::IsLastRequested(const TjxPage& page) const
{
    switch (m_pageSetting) {
    case psAll: case psLastPage: return page.LastPage();
    case psPageList: return m_pageList->Count() > 0 && m_pageList->Lines().last() == QString::number(page.AbsolutePageNo());
    case psSinglePage: return page.AbsolutePageNo() == m_pageRequested;
    case psFirstPage: return page.FirstPage();
    case psPageRange: break;
    }
    return false;
}

void TjxPageRequest::Merge(const TjxPageRequest& other)
{
    if (other.m_pageSetting != psSinglePage && other.m_pageSetting != psFirstPage) {
        m_pageSetting = psAll;
        return;
    }
    const QString theirs = QString::number(other.m_pageRequested);
    if ((m_pageSetting == psSinglePage && m_pageRequested != other.m_pageRequested) ||
        (m_pageSetting == psFirstPage && other.m_pageRequested != 1)) {
        m_pageSetting = psPageList;
        m_pageList->SetLines({QString::number(m_pageRequested), theirs});
    } else if (m_pageSetting == psPageList && m_pageList->IndexOf(theirs) < 0) {
        m_pageList->Add(theirs);
    }
}

void TjxPageRequest::Assign(const TPersistent* source)
{
    const auto* o = dynamic_cast<const TjxPageRequest*>(source);
    if (!o)
        return;  // other kinds of source are ignored
    m_pageList->Assign(o->m_pageList.get());
    m_pageRequested = o->m_pageRequested;
    m_pageSetting = o->m_pageSetting;
    m_pageRange = o->m_pageRange;
}

QStringList TextToPageList(QStringView text)
{
    std::vector<int> pages;
    int rangeStart = -1;
    bool afterNumber = false;  // blanks between a number and "-" still open a range
    bool openRange = false;
    qsizetype i = 0;
    while (i < text.size()) {
        if (!text[i].isDigit()) {
            if (text[i] == u'-')
                openRange = afterNumber;
            else if (text[i] != u' ')
                afterNumber = openRange = false;
            ++i;
            continue;
        }
        int64_t value = 0;
        while (i < text.size() && text[i].isDigit()) {
            value = std::min<int64_t>(value * 10 + text[i].digitValue(), INT32_MAX);
            ++i;
        }
        const int number = int(value);
        if (openRange) {
            // The pages strictly between the two ends (a typed huge range is capped).
            for (int64_t p = int64_t(rangeStart) + 1; p < number && pages.size() < 100000; ++p)
                pages.push_back(int(p));
            openRange = false;
        }
        pages.push_back(number);
        rangeStart = number;
        afterNumber = true;
    }
    std::stable_sort(pages.begin(), pages.end());
    QStringList list;
    for (int p : pages)
        list << QString::number(p);
    return list;
}

ORVANE_REGISTER_CLASS(TjxPageRequest);

} // namespace orvane
