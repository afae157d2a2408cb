#include "output/report_text_file_device.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/page_def.h"
#include "document/units.h"
#include "output/draw_text.h"
#include "output/page.h"

#include <QRegularExpression>
#include <algorithm>
#include <vector>

namespace orvane {

namespace {

// The fixed-pitch font the grid is measured in.
struct TGridFont : TFont {
    explicit TGridFont(int size)
    {
        SetName(QStringLiteral("Courier New"));
        SetSize(size);
    }
};

} // namespace

// One line of a text on the page.
struct TjxReportTextFileDevice::TCell {
    int top = 0;
    int left = 0;
    int width = 0;
    bool autoSize = false;
    TAlignment alignment = taLeftJustify;
    QString text;
    const TFont* font = nullptr;
};

const TClassInfo& TjxReportTextFileDevice::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxReportTextFileDevice>("TjxReportTextFileDevice",
                                                                          &TjxCustomTextFileDevice::StaticClass())
                                       .Creatable()
                                       .Build();
    return info;
}

TjxReportTextFileDevice::TjxReportTextFileDevice(TComponent* owner) : TjxCustomTextFileDevice(owner) {}
TjxReportTextFileDevice::~TjxReportTextFileDevice() = default;

QString TjxReportTextFileDevice::ClassDescription() { return GetMessage(12); }

const TTextMeasurer& TjxReportTextFileDevice::TextMeasurer() const
{
    return m_measurer ? *m_measurer : DefaultTextMeasurer();
}

void TjxReportTextFileDevice::CalcGrid(const TjxPage& page, const TFont* firstFont)
{
    const TTextMeasurer& measurer = TextMeasurer();
    int size = m_fontSize;
    if (m_sizeFromFont && firstFont) {
        const double width = measurer.TextWidth(*firstFont, kScreenPixelsPerInch, u"0");
        if (measurer.TextWidth(TGridFont(8), kScreenPixelsPerInch, u"0") >= width)
            size = 8;
        else if (measurer.TextWidth(TGridFont(10), kScreenPixelsPerInch, u"0") < width)
            size = 12;
        else
            size = 10;
    }
    const int paperWidth = page.PageDef()->mmWidth();
    const int paperHeight = page.PageDef()->mmHeight();
    if (m_autoCalcGrid) {
        const TGridFont font(size);
        m_columnWidth = UnitsToThousandths(float(measurer.TextWidth(font, kScreenPixelsPerInch, u"0")), utScreenPixels);
        m_rowHeight = UnitsToThousandths(float(measurer.LineHeight(font, kScreenPixelsPerInch)), utScreenPixels, axVertical);
        if (m_columnWidth > 0 && m_rowHeight > 0) {
            m_charsPerLine = paperWidth / m_columnWidth;
            m_linesPerPage = paperHeight / m_rowHeight;
        }
    } else {
        m_columnWidth = m_charsPerLine > 0 ? paperWidth / m_charsPerLine : 0;
        m_rowHeight = m_linesPerPage > 0 ? paperHeight / m_linesPerPage : 0;
    }
    // A grid without a cell would divide by zero below; one larger than any
    // paper gives would fill memory with blanks.
    if (m_columnWidth <= 0 || m_rowHeight <= 0 || m_charsPerLine <= 0 || m_linesPerPage <= 0)
        throw EPrintError(MessageText(msg::TextGridNoRoom,
                                      {QString::number(m_charsPerLine), QString::number(m_linesPerPage),
                                       QString::number(paperWidth), QString::number(paperHeight)}));
    if (m_charsPerLine > kMaxGrid || m_linesPerPage > kMaxGrid)
        throw EPrintError(MessageText(msg::TextGridTooLarge, {QString::number(m_charsPerLine),
                                                              QString::number(m_linesPerPage),
                                                              QString::number(kMaxGrid)}));
}

void TjxReportTextFileDevice::WritePage(TjxPage* page)
{
    Content().StartPage();
    const TTextMeasurer& measurer = TextMeasurer();
    std::vector<TCell> cells;
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    for (int i = 0; i < page->DrawCommandCount(); ++i) {
        const auto* command = dynamic_cast<const TjxDrawText*>(page->DrawCommand(i));
        if (!command)
            continue;
        TCell cell;
        cell.top = command->Top();
        cell.left = command->Left();
        cell.width = command->Width();
        cell.alignment = command->Alignment();
        // Kept by every line: a one-line wrapped label is not cut where the
        // same label unwrapped is not.
        cell.autoSize = command->AutoSize();
        cell.font = command->Font();
        // A text of several lines, wrapped or with line breaks of its own,
        // gives one cell per line: a line break in a grid line would add
        // lines to the page.
        QStringList lines = command->WrappedText()->Lines();
        if (lines.isEmpty()) {
            lines = command->Text().split(lineBreak);
            if (lines.size() == 1) {
                cell.text = lines.front();
                cells.push_back(cell);
                continue;
            }
        }
        const int height =
            UnitsToThousandths(float(measurer.LineHeight(*command->Font(), kScreenPixelsPerInch)), utScreenPixels, axVertical);
        for (qsizetype n = 0; n < lines.size(); ++n) {
            TCell line = cell;
            line.text = lines[n];
            line.top = SaturatedLength(TjxLength64(cell.top) + TjxLength64(height) * n);
            cells.push_back(line);
        }
    }
    if (cells.empty())
        return;
    // Numbers, not their formatted keys, which would put -1 after 9.
    std::stable_sort(cells.begin(), cells.end(), [](const TCell& a, const TCell& b) {
        return a.top != b.top ? a.top < b.top : a.left < b.left;
    });
    try {
        CalcGrid(*page, cells.front().font);
        int row = 1;
        QString line(m_charsPerLine, u' ');
        const auto writeLine = [this, &line] {
            qsizetype end = line.size();
            while (end > 0 && line[end - 1] == u' ')
                --end;
            Content().AppendLine(QStringView(line).left(end));
        };
        for (const TCell& cell : cells) {
            const int cellRow = cell.top / m_rowHeight + 1;
            if (cellRow > m_linesPerPage)
                break;
            for (; row < cellRow; ++row) {
                writeLine();
                line = QString(m_charsPerLine, u' ');
            }
            qint64 column = cell.left / m_columnWidth + 1;
            qint64 width = std::max<qint64>(cell.width / m_columnWidth + 1, 0);
            if (cell.autoSize)
                width = std::max<qint64>(width, cell.text.size());
            // Nothing lands beyond a grid's width past the paper's right edge.
            width = std::min<qint64>(width, qint64(kMaxGrid) * 2);
            QString text = FitToLength(cell.text, int(width), cell.alignment);
            if (column < 1) {
                // The part left of the paper is cut off.
                text = text.mid(1 - column);
                column = 1;
            }
            if (column > qint64(kMaxGrid) * 2 || text.isEmpty())
                continue;
            const qsizetype start = qsizetype(column - 1);
            if (line.size() < start + text.size())
                line.resize(start + text.size(), u' ');
            line.replace(start, text.size(), text);
        }
        for (; row <= m_linesPerPage; ++row) {
            writeLine();
            line = QString(m_charsPerLine, u' ');
        }
    } catch (...) {
        FailJob();
        throw;
    }
}

} // namespace orvane
