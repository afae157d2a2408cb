#include "platform/text_measurer.h"

#include "document/graphic_objects.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <algorithm>
#include <mutex>
#include <optional>
#include <vector>

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
// resolving a font per call, and the widths of the words measured, which
// recur all through a text. Shared between threads, hence the lock.
struct TQtTextMeasurer::TCache {
    struct TEntry {
        QString name;
        int pixelSize = 0;
        TFontStyles style = 0;
        int pitch = 0;
        QFontMetricsF metrics{QFont()};
        double lineHeight = 0;  // ascent and descent, asked for every line
        QHash<QString, double> words;
    };

    std::mutex lock;
    std::vector<std::unique_ptr<TEntry>> entries;  // the one used last first
    qsizetype words = 0;                           // remembered over all fonts

    // The entry of a font, moved to the front; called under the lock.
    TEntry& Get(const TFont& font, int dpi)
    {
        const int pixelSize = MulDiv(font.Size(), dpi, 72);
        for (size_t i = 0; i < entries.size(); ++i) {
            TEntry& e = *entries[i];
            if (e.pixelSize == pixelSize && e.style == font.Style() && e.pitch == int(font.Pitch()) &&
                e.name == font.Name()) {
                if (i > 0)
                    std::rotate(entries.begin(), entries.begin() + qsizetype(i), entries.begin() + qsizetype(i) + 1);
                return *entries.front();
            }
        }
        if (entries.size() >= 64) {
            words -= entries.back()->words.size();
            entries.pop_back();
        }
        auto entry = std::make_unique<TEntry>();
        entry->name = font.Name();
        entry->pixelSize = pixelSize;
        entry->style = font.Style();
        entry->pitch = int(font.Pitch());
        entry->metrics = QFontMetricsF(MakeQFont(font, dpi));
        entry->lineHeight = entry->metrics.ascent() + entry->metrics.descent();
        entries.insert(entries.begin(), std::move(entry));
        return *entries.front();
    }
};

namespace {

// Shaping builds glyph arrays for all of a text: a long one is measured in
// pieces, cut after a space where there is one.
constexpr qsizetype kMeasurePiece = 8192;
// Words up to this length are remembered, up to this many over all fonts
// (some ten megabytes at most).
constexpr qsizetype kRememberedWord = 64;
constexpr qsizetype kRememberedWords = 65536;

double Advance(const QFontMetricsF& metrics, QStringView text)
{
    double width = 0;
    while (text.size() > kMeasurePiece) {
        qsizetype cut = kMeasurePiece;
        const qsizetype space = text.left(kMeasurePiece).lastIndexOf(u' ');
        if (space >= kMeasurePiece / 2)
            cut = space + 1;
        else if (text[cut - 1].isHighSurrogate())
            --cut;
        width += metrics.horizontalAdvance(QString::fromRawData(text.data(), cut));
        text = text.mid(cut);
    }
    return width + metrics.horizontalAdvance(QString::fromRawData(text.data(), text.size()));
}

} // namespace

TQtTextMeasurer::TQtTextMeasurer() : m_cache(std::make_unique<TCache>()) {}
TQtTextMeasurer::~TQtTextMeasurer() = default;

void TQtTextMeasurer::ClearCache()
{
    std::lock_guard guard(m_cache->lock);
    m_cache->entries.clear();
    m_cache->words = 0;
}

double TQtTextMeasurer::TextWidth(const TFont& font, int dpi, QStringView text) const
{
    if (text.isEmpty())
        return 0;
    const bool remembered = text.size() <= kRememberedWord;
    std::optional<QFontMetricsF> metrics;
    {
        std::lock_guard guard(m_cache->lock);
        TCache::TEntry& entry = m_cache->Get(font, dpi);
        if (remembered) {
            const auto known = entry.words.constFind(QString::fromRawData(text.data(), text.size()));
            if (known != entry.words.cend())
                return *known;
        }
        metrics.emplace(entry.metrics);
    }
    // Shaping runs outside the lock, so that other threads measuring are not
    // held up by a text of megabytes.
    const double width = Advance(*metrics, text);
    if (!remembered)
        return width;
    std::lock_guard guard(m_cache->lock);
    if (m_cache->words >= kRememberedWords) {
        for (const auto& e : m_cache->entries)
            e->words.clear();
        m_cache->words = 0;
    }
    TCache::TEntry& entry = m_cache->Get(font, dpi);
    if (!entry.words.contains(QString::fromRawData(text.data(), text.size()))) {
        entry.words.insert(text.toString(), width);
        ++m_cache->words;
    }
    return width;
}

double TQtTextMeasurer::LineHeight(const TFont& font, int dpi) const
{
    std::lock_guard guard(m_cache->lock);
    return m_cache->Get(font, dpi).lineHeight;
}

double TQtTextMeasurer::AverageCharWidth(const TFont& font, int dpi) const
{
    std::lock_guard guard(m_cache->lock);
    return m_cache->Get(font, dpi).metrics.averageCharWidth();
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
