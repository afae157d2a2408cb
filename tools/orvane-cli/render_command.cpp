// orvane-cli render: runs a template's report headless into PDF, PNG, an archive or text.

#include "tools/orvane-cli/commands.h"

#include "document/custom_report.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/page_def.h"
#include "document/printer_setup.h"
#include "document/units.h"
#include "output/device.h"
#include "output/device_registry.h"
#include "output/draw_command.h"
#include "output/page.h"
#include "output/page_request.h"
#include "output/pdf_device.h"
#include "output/publisher.h"
#include "output/stream_device.h"
#include "output/text_file_device.h"
#include "platform/canvas.h"
#include "platform/file_io.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace orvane {

namespace {

// "file.png" for one page, "file-3.png" for page 3 of several.
QString ImageFileName(const QString& out, int pageNo, bool several)
{
    if (!several)
        return out;
    const QFileInfo info(out);
    const QString suffix = info.suffix().isEmpty() ? QStringLiteral("png") : info.suffix();
    return info.dir().filePath(QStringLiteral("%1-%2.%3").arg(info.completeBaseName()).arg(pageNo).arg(suffix));
}

// Draws each page it receives into an image at a fixed resolution and writes
// it beside its target as soon as it is drawn: a run holds one page image at
// a time. The files take their targets' places when the run has succeeded
// (Finish); a failed or interrupted run leaves none of them.
class TPageImageDevice : public TjxRasterDevice {
public:
    TPageImageDevice(int dpi, QString out, QString input) : m_dpi(dpi), m_out(std::move(out)), m_input(std::move(input))
    {
    }

    void ReceivePage(TjxPage* page) override
    {
        TjxRasterDevice::ReceivePage(page);
        if (!JobRunning() || !PageIsRequested() || PageIsNotice())
            return;
        StopIfInterrupted();
        QByteArray png = DrawPng(page);
        // One page goes to OUT itself, several to OUT-N: the first waits for the second.
        if (!m_first) {
            m_first = Pending{page->AbsolutePageNo(), std::move(png)};
            return;
        }
        if (m_staged.empty())
            Stage(m_first->pageNo, m_first->png, true);
        m_first->png.clear();
        Stage(page->AbsolutePageNo(), png, true);
    }

    bool DrawCommand(TjxDrawCommand* command) override
    {
        if (!m_canvas)
            return false;
        command->CalcDrawRect(*m_canvas);
        return command->Draw(*m_canvas);
    }

    void Cancel() override
    {
        Drop();
        TjxRasterDevice::Cancel();
    }

    // Puts every image in its place once the run is through.
    void Finish()
    {
        if (!m_first)
            throw EOrvaneError(GetMessage(msg::RenderNoPages));
        if (m_staged.empty())
            Stage(m_first->pageNo, m_first->png, false);
        // Every target is checked before the first one is replaced.
        for (const auto& file : m_staged)
            CheckSaveTarget(file->Target());
        for (const auto& file : m_staged)
            file->Commit();
        Drop();
    }

private:
    struct Pending {
        int pageNo;
        QByteArray png;
    };

    void Drop()
    {
        m_first.reset();
        m_staged.clear();
    }

    void Stage(int pageNo, const QByteArray& png, bool several)
    {
        const QString target = ImageFileName(m_out, pageNo, several);
        CheckOutputFile(target, m_input);
        auto file = std::make_unique<TStagedFile>(target);
        file->Write(png);
        m_staged.push_back(std::move(file));
    }

    QByteArray DrawPng(TjxPage* page)
    {
        const QString pageNo = QString::number(page->AbsolutePageNo());
        const TjxPageDef* def = page->PageDef();
        int mmWidth = def->mmWidth(), mmHeight = def->mmHeight();
        if (mmWidth <= 0 || mmHeight <= 0) {
            // A page without a size is drawn on A4, as the PDF device does.
            mmWidth = 210000, mmHeight = 297000;
            if (page->PrinterSetup()->Orientation() == poLandscape)
                std::swap(mmWidth, mmHeight);
        }
        const qint64 width = ThousandthsToPixels(mmWidth, m_dpi);
        const qint64 height = ThousandthsToPixels(mmHeight, m_dpi);
        // Refused before anything is allocated.
        if (width * height > kPageImagePixelLimit)
            throw EPrintError(MessageText(msg::PageImageTooLarge, {pageNo, QString::number(width),
                                                                   QString::number(height),
                                                                   QString::number(kPageImagePixelLimit)}));
        const auto failed = [&] { return EPrintError(MessageText(msg::PageImageFailed, {pageNo})); };
        QImage image(int(std::max<qint64>(width, 1)), int(std::max<qint64>(height, 1)), QImage::Format_RGB32);
        if (image.isNull())
            throw failed();
        const int dotsPerMeter = int(m_dpi / 0.0254 + 0.5);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        image.fill(Qt::white);
        {
            QPainter painter;
            if (!painter.begin(&image))
                throw failed();
            TjxCanvas canvas(&painter, m_dpi, m_dpi);
            m_canvas = &canvas;
            try {
                DrawPage(page);
            } catch (...) {
                m_canvas = nullptr;
                throw;
            }
            m_canvas = nullptr;
            if (!painter.end())
                throw failed();
        }
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        if (!writer.write(image))
            throw EPrintError(MessageText(msg::PageImageFailed, {pageNo}) + u' ' + writer.errorString());
        return png;
    }

    int m_dpi;
    QString m_out;
    QString m_input;
    TjxCanvas* m_canvas = nullptr;
    std::optional<Pending> m_first;
    std::vector<std::unique_ptr<TStagedFile>> m_staged;
};

// --dpi N: the PNG's pixels per inch (96 without it) or the PDF's drawing
// resolution (the device's own, 600, without it).
int ResolutionOf(const QString& text, int fallback)
{
    if (text.isEmpty())
        return fallback;
    bool ok = false;
    const int dpi = text.toInt(&ok);
    if (!ok || dpi < 10 || dpi > 2400)
        throw EOrvaneError(MessageText(msg::InvalidResolution, {text}));
    return dpi;
}

TjxFileType TextFileTypeOf(const QString& text)
{
    static const std::pair<const char*, TjxFileType> kTypes[] = {
        {"comma", ftComma}, {"tab", ftTab}, {"fixed", ftFixedLength}, {"custom", ftCustom}};
    for (const auto& [name, type] : kTypes)
        if (text == QLatin1String(name))
            return type;
    throw EOrvaneError(MessageText(msg::TextFileTypeUnknown, {text}));
}

} // namespace

int RenderCommand(const QStringList& arguments)
{
    QStringList args = arguments;
    const QString database = TakeDatabaseOption(args);
    const QString format = TakeOption(args, QStringLiteral("--to")).toLower();
    const QString out = ResolveFileName(TakeOption(args, QStringLiteral("-o")));
    const QString pages = TakeOption(args, QStringLiteral("--pages"));
    const QString dpiText = TakeOption(args, QStringLiteral("--dpi"));
    const QString textType = TakeOption(args, QStringLiteral("--text-type")).toLower();
    if (ReportUnknownOption(args) || args.size() != 1 || format.isEmpty() || out.isEmpty()) {
        std::fputs("usage: orvane-cli render TEMPLATE --to pdf|png|raf|txt|reporttext -o OUT [--db FILE.sqlite] "
                   "[--pages LIST] [--dpi N] [--text-type comma|tab|fixed|custom]\n"
                   "  --dpi N  pixels per inch of the PNG images (96) or of the PDF's drawing (600), 10 to 2400\n",
                   stderr);
        return 2;
    }
    static const QStringList kFormats{QStringLiteral("pdf"), QStringLiteral("png"), QStringLiteral("raf"),
                                      QStringLiteral("txt"), QStringLiteral("reporttext")};
    if (!kFormats.contains(format))
        throw EOrvaneError(MessageText(msg::RenderFormatUnknown, {format}));
    if (!textType.isEmpty() && format != u"txt")
        throw EOrvaneError(GetMessage(msg::TextTypeNeedsTxt));
    // A resolution the output cannot use would be silently dropped.
    if (!dpiText.isEmpty() && format != u"png" && format != u"pdf")
        throw EOrvaneError(GetMessage(msg::DpiNeedsImageOrPdf));
    const bool typeGiven = !textType.isEmpty();
    const TjxFileType fileType = typeGiven ? TextFileTypeOf(textType) : ftComma;
    const int dpi = ResolutionOf(dpiText, format == u"png" ? 96 : 0);
    const QString& input = args[0];

    TjxPageRequest request;
    SetPageListRequest(request, pages);
    // Images get their names from the pages; each is checked when it is written.
    if (format != u"png")
        CheckOutputFile(out, input);

    TComponent host;
    TjxCustomReport* report = ReadReportToRun(input, host, database);

    if (format == u"png") {
        TPageImageDevice images(dpi, out, input);
        GenerateTo(*report, images, request);
        StopIfInterrupted();
        images.Finish();
        return 0;
    }
    const QString deviceName = format == u"pdf"   ? QStringLiteral("PDFFile")
                               : format == u"raf" ? QStringLiteral("ArchiveFile")
                               : format == u"txt" ? QStringLiteral("TextFile")
                                                  : QStringLiteral("ReportTextFile");
    std::unique_ptr<TjxFileDevice> file(static_cast<TjxFileDevice*>(CreateDevice(deviceName)));
    // As a print from the report would have it (OnSaveText, TextFileType), to OUT.
    report->SetUpFileDevice(file.get());
    file->SetFileName(out);
    // Fonts take whole pixels at the drawing resolution: at a PNG's dpi the PDF lays out as that PNG.
    if (auto* pdf = dynamic_cast<TjxPDFDevice*>(file.get()); pdf && dpi > 0)
        pdf->SetResolution(dpi);
    auto* text = dynamic_cast<TjxTextFileDevice*>(file.get());
    if (text && typeGiven)
        text->SetFileType(fileType);
    // The file devices refuse a document without pages themselves.
    GenerateTo(*report, *file, request);
    // Nothing marked for saving is no error, yet rarely what was meant.
    if (text && text->RecordCount() == 0)
        std::fprintf(stderr, "orvane-cli: %s\n",
                     MessageText(msg::TextFileEmpty, {out}).toLocal8Bit().constData());
    return 0;
}

} // namespace orvane
