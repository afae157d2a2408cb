#include "platform/text_measurer.h"

#include "document/graphic_objects.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <mutex>

namespace orvane {

namespace {

// The font as the device would realise it: a whole number of pixels high, as
// the font's own height at a resolution is.
QFont MakeQFont(const TFont& font, int dpi)
{
    QFont f(font.Name());
    f.setPixelSize(std::max(1, std::abs(MulDiv(font.Size(), dpi, 72))));
    f.setBold(font.HasStyle(fsBold));
    f.setItalic(font.HasStyle(fsItalic));
    f.setUnderline(font.HasStyle(fsUnderline));
    f.setStrikeOut(font.HasStyle(fsStrikeOut));
    // Layout adds advances token by token; kerning would make the sum depend on the split.
    f.setKerning(false);
    if (font.Pitch() == fpFixed)
        f.setFixedPitch(true);
    return f;
}

} // namespace

// Every token is measured: keep the metrics of the fonts in use rather than
// resolving a font per call. Shared between threads, hence the lock.
struct TQtTextMeasurer::TCache {
    std::mutex lock;
    QHash<QString, QFontMetricsF> metrics;

    QFontMetricsF Get(const TFont& font, int dpi)
    {
        const QString key = font.Name() + QChar(0) + QString::number(MulDiv(font.Size(), dpi, 72)) + QChar(0) +
                            QString::number(font.Style()) + QChar(0) + QString::number(int(font.Pitch()));
        std::lock_guard guard(lock);
        auto it = metrics.constFind(key);
        if (it != metrics.cend())
            return *it;
        if (metrics.size() >= 64)
            metrics.clear();
        return *metrics.insert(key, QFontMetricsF(MakeQFont(font, dpi)));
    }
};

TQtTextMeasurer::TQtTextMeasurer() : m_cache(std::make_unique<TCache>()) {}
TQtTextMeasurer::~TQtTextMeasurer() = default;

void TQtTextMeasurer::ClearCache()
{
    std::lock_guard guard(m_cache->lock);
    m_cache->metrics.clear();
}

double TQtTextMeasurer::TextWidth(const TFont& font, int dpi, QStringView text) const
{
    if (text.isEmpty())
        return 0;
    return m_cache->Get(font, dpi).horizontalAdvance(text.toString());
}

double TQtTextMeasurer::LineHeight(const TFont& font, int dpi) const
{
    const QFontMetricsF m = m_cache->Get(font, dpi);
    return m.ascent() + m.descent();
}

double TQtTextMeasurer::AverageCharWidth(const TFont& font, int dpi) const
{
    return m_cache->Get(font, dpi).averageCharWidth();
}

namespace {

double Em(const TFont& font, int dpi) { return double(font.Size()) * dpi / 72.0; }

} // namespace

double TFixedAdvanceMeasurer::TextWidth(const TFont& font, int dpi, QStringView text) const
{
    return double(text.size()) * m_advanceEm * Em(font, dpi);
}

double TFixedAdvanceMeasurer::LineHeight(const TFont& font, int dpi) const { return m_heightEm * Em(font, dpi); }

double TFixedAdvanceMeasurer::AverageCharWidth(const TFont& font, int dpi) const
{
    return m_advanceEm * Em(font, dpi);
}

namespace {

// Never destroyed: font engines must not be released after the application object.
TQtTextMeasurer* g_defaultMeasurer = new TQtTextMeasurer;
std::mutex g_registerLock;
bool g_registered = false;

void ClearDefaultMeasurer()
{
    g_defaultMeasurer->ClearCache();
    std::lock_guard guard(g_registerLock);
    g_registered = false;
}

} // namespace

const TTextMeasurer& DefaultTextMeasurer()
{
    // The metrics belong to the application's font database: drop them with it.
    std::lock_guard guard(g_registerLock);
    if (!g_registered && QCoreApplication::instance()) {
        qAddPostRoutine(ClearDefaultMeasurer);
        g_registered = true;
    }
    return *g_defaultMeasurer;
}

} // namespace orvane
