#pragma once

// The report-emulation text file device: every text of a page on a grid of
// characters, so that the text file looks like the printed page.

#include "output/text_file_device.h"
#include "platform/text_measurer.h"

namespace orvane {

class TFont;

// Lays the texts of each page on a grid of CharsPerLine characters by
// LinesPerPage lines, so that the file looks like the printed page: every
// page with text gives exactly LinesPerPage lines.
class TjxReportTextFileDevice : public TjxCustomTextFileDevice {
    ORVANE_CLASS(TjxReportTextFileDevice, TjxCustomTextFileDevice)
public:
    // The largest grid: a larger one is refused rather than filled with blanks.
    static constexpr int kMaxGrid = 10000;

    explicit TjxReportTextFileDevice(TComponent* owner = nullptr);
    ~TjxReportTextFileDevice() override;

    static QString ClassDeviceName() { return QStringLiteral("ReportTextFile"); }
    static QString ClassDefaultExt() { return QStringLiteral("txt"); }
    static QString ClassFilter() { return QStringLiteral("Text files|*.TXT|All files|*.*"); }
    static QString ClassDescription();
    QString DeviceName() const override { return ClassDeviceName(); }

    // The grid follows the paper and the size of a fixed-pitch "0"; without
    // it, CharsPerLine and LinesPerPage divide the paper.
    bool AutoCalcGrid() const { return m_autoCalcGrid; }
    void SetAutoCalcGrid(bool value) { m_autoCalcGrid = value; }
    // The grid's font size follows the first text of the page.
    bool SizeFromFont() const { return m_sizeFromFont; }
    void SetSizeFromFont(bool value) { m_sizeFromFont = value; }
    int CharsPerLine() const { return m_charsPerLine; }
    void SetCharsPerLine(int value) { m_charsPerLine = value; }
    int LinesPerPage() const { return m_linesPerPage; }
    void SetLinesPerPage(int value) { m_linesPerPage = value; }
    int FontSize() const { return m_fontSize; }
    void SetFontSize(int value) { m_fontSize = value; }
    // The grid of the last page written, in thousandths of a millimetre.
    int ColumnWidth() const { return m_columnWidth; }
    int RowHeight() const { return m_rowHeight; }

    // Metrics of the fonts; the installed fonts unless set (not owned).
    const TTextMeasurer& TextMeasurer() const;
    void SetTextMeasurer(const TTextMeasurer* measurer) { m_measurer = measurer; }

protected:
    void WritePage(TjxPage* page) override;

private:
    struct TCell;
    void CalcGrid(const TjxPage& page, const TFont* firstFont);

    bool m_autoCalcGrid = true;
    bool m_sizeFromFont = true;
    int m_charsPerLine = 80;
    int m_linesPerPage = 66;
    int m_fontSize = 12;
    int m_columnWidth = 0;
    int m_rowHeight = 0;
    const TTextMeasurer* m_measurer = nullptr;
};

} // namespace orvane
