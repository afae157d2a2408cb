#include "platform/spooler.h"

#include "platform/cups_spooler.h"

#include <QGuiApplication>
#include <QScreen>
#include <mutex>

namespace orvane {

namespace {

class TScreenDeviceContext : public TjxDeviceContext {
public:
    TScreenDeviceContext()
    {
        m_caps.logPixelsX = m_caps.logPixelsY = 96;
        // The screen has no paper: its physical size and offsets are 0.
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            if (const QScreen* screen = QGuiApplication::primaryScreen()) {
                m_caps.horzRes = screen->geometry().width();
                m_caps.vertRes = screen->geometry().height();
            }
    }
    TjxDeviceCaps Caps() const override { return m_caps; }
    bool Reset(const TjxDevMode*) override { return true; }
    bool StartDoc(const QString&, const QString&) override { return false; }
    bool StartPage() override { return false; }
    bool EndPage() override { return false; }
    bool EndDoc() override { return false; }
    bool AbortDoc() override { return false; }
    QPainter* Painter() override { return nullptr; }

private:
    TjxDeviceCaps m_caps;
};

std::mutex g_spoolerLock;
std::shared_ptr<TjxSpooler> g_spooler;

} // namespace

std::unique_ptr<TjxDeviceContext> MakeScreenDeviceContext()
{
    return std::make_unique<TScreenDeviceContext>();
}

std::unique_ptr<TjxDeviceContext> TjxSpooler::ScreenDC()
{
    return MakeScreenDeviceContext();
}

std::shared_ptr<TjxSpooler> Spooler()
{
    std::lock_guard guard(g_spoolerLock);
    if (!g_spooler)
        g_spooler = std::make_shared<TjxCupsSpooler>();
    return g_spooler;
}

void SetSpooler(std::shared_ptr<TjxSpooler> spooler)
{
    std::lock_guard guard(g_spoolerLock);
    g_spooler = std::move(spooler);
}

} // namespace orvane
