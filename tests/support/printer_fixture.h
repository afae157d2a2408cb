#pragma once

// The test printer platform with two printers, installed for one test and
// replaced by the default platform afterwards.

#include "document/printer_list.h"
#include "document/units.h"
#include "platform/test_spooler.h"

#include <gtest/gtest.h>

namespace orvane::test {

// Letter (1), A4 (9), Legal (5), Envelope DL (27) and the driver's user size.
inline TjxDriverCapabilities OfficePrinterCapabilities()
{
    TjxDriverCapabilities caps;
    caps.paperNames = {QStringLiteral("Letter"), QStringLiteral("A4"), QStringLiteral("User defined"),
                       QStringLiteral("Legal"), QStringLiteral("Envelope DL 110 x 220mm")};
    caps.paperNumbers = {1, 9, 256, 5, 27};
    caps.paperSizes = {QSize(2159, 2794), QSize(2100, 2970), QSize(0, 0), QSize(2159, 3556), QSize(1100, 2200)};
    caps.binNames = {QStringLiteral("Upper tray"), QStringLiteral("Manual feed")};
    caps.binNumbers = {1, 4};
    caps.maxCopies = 999;
    return caps;
}

inline TjxDevMode OfficeDriverSettings()
{
    TjxDevMode mode;
    mode.fields = dmfOrientation | dmfPaperSize | dmfCopies | dmfDefaultSource | dmfDuplex;
    mode.paperSize = 9;
    mode.paperWidth = 2100;
    mode.paperLength = 2970;
    mode.defaultSource = 15;  // the driver's own automatic choice
    return mode;
}

inline TjxDeviceCaps Caps600()
{
    TjxDeviceCaps caps;
    caps.logPixelsX = 600;
    caps.logPixelsY = 300;
    caps.physicalWidth = 4960;
    caps.physicalHeight = 3508;
    caps.physicalOffsetX = 100;
    caps.physicalOffsetY = 50;
    caps.horzRes = 4760;
    caps.vertRes = 3358;
    return caps;
}

class TestPlatform : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_spooler = std::make_shared<TjxTestSpooler>();
        if (WithPrinters()) {
            m_spooler->AddPrinter({QStringLiteral("P"), kPrinterLocal, OfficePrinterCapabilities(),
                                   OfficeDriverSettings(), Caps600(), false});
            m_spooler->AddPrinter({QStringLiteral("Q"), kPrinterNetwork, TjxDriverCapabilities(), std::nullopt,
                                   Caps600(), false});
            m_spooler->SetDefaultPrinter(QStringLiteral("P"));
        }
        SetSpooler(m_spooler);
        m_format = SetFormatSettings({u'.'});
    }
    void TearDown() override
    {
        SetSpooler(nullptr);
        SetFormatSettings(m_format);
    }
    virtual bool WithPrinters() const { return true; }

    std::shared_ptr<TjxTestSpooler> m_spooler;
    TjxFormatSettings m_format;
};

class NoPrinterPlatform : public TestPlatform {
protected:
    bool WithPrinters() const override { return false; }
};

} // namespace orvane::test
