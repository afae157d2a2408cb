#pragma once

// Takes part in page requests and counts the pages it asked for, drawing
// nothing: what generation costs without any output.

#include "output/device.h"

namespace orvane {

class TjxNullDevice : public TjxDevice {
    ORVANE_CLASS(TjxNullDevice, TjxDevice)
public:
    explicit TjxNullDevice(TComponent* owner = nullptr) : TjxDevice(owner) {}

    static QString ClassDeviceName() { return QStringLiteral("Null"); }
    QString DeviceName() const override { return ClassDeviceName(); }

    // Requested pages that are not notices, since the job started.
    int PagesReceived() const { return m_pagesReceived; }

    void ReceivePage(TjxPage* page) override;
    void StartJob() override;

private:
    int m_pagesReceived = 0;
};

} // namespace orvane
