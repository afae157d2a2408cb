#pragma once

// Text metrics for layout. Layout asks only for these quantities, so that a
// deterministic measurer can stand in for the fonts where results must be exact.

#include <QString>
#include <QStringView>
#include <memory>

namespace orvane {

class TFont;

class TTextMeasurer {
public:
    virtual ~TTextMeasurer() = default;

    // Advance width of the text as one line, in pixels at `dpi`; tabs are not
    // expanded here.
    virtual double TextWidth(const TFont& font, int dpi, QStringView text) const = 0;
    // Ascent plus descent in pixels at `dpi`: "the height of W" and the text
    // metrics' height are this one value.
    virtual double LineHeight(const TFont& font, int dpi) const = 0;
    // The average character width; default tab stops are eight of them apart.
    virtual double AverageCharWidth(const TFont& font, int dpi) const = 0;
};

// The installed fonts through QFontMetricsF, kerning off, with the font's pixel
// size at the resolution rounded as the font's own height is.
class TQtTextMeasurer : public TTextMeasurer {
public:
    TQtTextMeasurer();
    ~TQtTextMeasurer() override;

    double TextWidth(const TFont& font, int dpi, QStringView text) const override;
    double LineHeight(const TFont& font, int dpi) const override;
    double AverageCharWidth(const TFont& font, int dpi) const override;

    // Forgets the metrics kept for the fonts in use.
    void ClearCache();

private:
    struct TCache;
    std::unique_ptr<TCache> m_cache;
};

// Every character advances by a fixed fraction of the em (the point size at
// the resolution); a line is a fixed number of ems high. Style and face are ignored.
class TFixedAdvanceMeasurer : public TTextMeasurer {
public:
    explicit TFixedAdvanceMeasurer(double advanceEm = 0.5, double heightEm = 1.2)
        : m_advanceEm(advanceEm), m_heightEm(heightEm)
    {
    }

    double AdvanceEm() const { return m_advanceEm; }
    double HeightEm() const { return m_heightEm; }

    double TextWidth(const TFont& font, int dpi, QStringView text) const override;
    double LineHeight(const TFont& font, int dpi) const override;
    double AverageCharWidth(const TFont& font, int dpi) const override;

private:
    double m_advanceEm;
    double m_heightEm;
};

// The measurer of the real fonts, shared by the process.
const TTextMeasurer& DefaultTextMeasurer();

} // namespace orvane
