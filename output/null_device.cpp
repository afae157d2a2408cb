#include "output/null_device.h"

namespace orvane {

const TClassInfo& TjxNullDevice::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxNullDevice>("TjxNullDevice", &TjxDevice::StaticClass()).Creatable().Build();
    return info;
}

void TjxNullDevice::StartJob()
{
    if (!JobRunning())
        m_pagesReceived = 0;
    TjxDevice::StartJob();
}

void TjxNullDevice::ReceivePage(TjxPage* page)
{
    TjxDevice::ReceivePage(page);
    if (PageIsRequested() && !PageIsNotice())
        ++m_pagesReceived;
}

} // namespace orvane
