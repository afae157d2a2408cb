// orvane-cli render: runs a template's report headless into PDF, PNG or an archive.

#include "tools/orvane-cli/commands.h"

#include "document/custom_report.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/page_def.h"
#include "output/device.h"
#include "output/device_registry.h"
#include "output/draw_command.h"
#include "output/page.h"
#include "output/page_request.h"
#include "output/publisher.h"
#include "output/stream_device.h"
#include "platform/canvas.h"
#include "platform/file_io.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <memory>

namespace orvane {

namespace {

// Draws every page it receives into an image at a fixed resolution.
class TPageImageDevice : public TjxRasterDevice {
public:
    explicit TPageImageDevice(int dpi) : m_dpi(dpi) {}

    void ReceivePage(TjxPage* page) override
    {
        TjxRasterDevice::ReceivePage(page);
        if (!JobRunning() || !PageIsRequested() || PageIsNotice())
            return;
        const TjxPageDef* def = page->PageDef();
        QImage image(ThousandthsToPixels(def->mmWidth(), m_dpi), ThousandthsToPixels(def->mmHeight(), m_dpi),
                     QImage::Format_RGB32);
        const int dotsPerMeter = int(m_dpi / 0.0254 + 0.5);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            TjxCanvas canvas(&painter, m_dpi, m_dpi);
            m_canvas = &canvas;
            DrawPage(page);
            m_canvas = nullptr;
        }
        m_pages.push_back({page->AbsolutePageNo(), std::move(image)});
    }

    bool DrawCommand(TjxDrawCommand* command) override
    {
        command->CalcDrawRect(*m_canvas);
        return command->Draw(*m_canvas);
    }

    struct Rendered {
        int pageNo;
        QImage image;
    };
    const std::vector<Rendered>& Pages() const { return m_pages; }

private:
    int m_dpi;
    TjxCanvas* m_canvas = nullptr;
    std::vector<Rendered> m_pages;
};

// "file.png" for one page, "file-3.png" for page 3 of several.
QString ImageFileName(const QString& out, int pageNo, bool several)
{
    if (!several)
        return out;
    const QFileInfo info(out);
    const QString suffix = info.suffix().isEmpty() ? QStringLiteral("png") : info.suffix();
    return info.dir().filePath(QStringLiteral("%1-%2.%3").arg(info.completeBaseName()).arg(pageNo).arg(suffix));
}

} // namespace

int RenderCommand(const QStringList& arguments)
{
    QStringList args = arguments;
    const QString database = TakeDatabaseOption(args);
    const QString format = TakeOption(args, QStringLiteral("--to")).toLower();
    QString out = TakeOption(args, QStringLiteral("-o"));
    const QString pages = TakeOption(args, QStringLiteral("--pages"));
    const QString dpiText = TakeOption(args, QStringLiteral("--dpi"));
    if (args.size() != 1 || format.isEmpty() || out.isEmpty()) {
        std::fputs("usage: orvane-cli render TEMPLATE --to pdf|png|raf -o OUT [--db FILE.sqlite] [--pages LIST] "
                   "[--dpi N]\n",
                   stderr);
        return 2;
    }
    if (format != u"pdf" && format != u"png" && format != u"raf")
        throw EOrvaneError(MessageText(msg::RenderFormatUnknown, {format}));

    TjxPageRequest request;
    SetPageListRequest(request, pages);

    TComponent host;
    TjxCustomReport* report = ReadReportToRun(args[0], host, database);

    std::unique_ptr<TjxDevice> device;
    TPageImageDevice* images = nullptr;
    if (format == u"png") {
        bool ok = false;
        const int dpi = dpiText.isEmpty() ? 96 : dpiText.toInt(&ok);
        if (!dpiText.isEmpty() && (!ok || dpi < 10 || dpi > 2400))
            throw EOrvaneError(MessageText(msg::InvalidResolution, {dpiText}));
        images = new TPageImageDevice(dpi);
        device.reset(images);
    } else {
        auto* file = static_cast<TjxFileDevice*>(
            CreateDevice(format == u"pdf" ? QStringLiteral("PDFFile") : QStringLiteral("ArchiveFile")));
        file->SetFileName(ResolveFileName(out));
        device.reset(file);
    }
    GenerateTo(*report, *device, request);

    if (images) {
        if (images->Pages().empty())
            throw EOrvaneError(GetMessage(msg::RenderNoPages));
        const bool several = images->Pages().size() > 1;
        for (const auto& rendered : images->Pages()) {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            rendered.image.save(&buffer, "PNG");
            WriteWholeFile(ImageFileName(out, rendered.pageNo, several), bytes);
        }
    }
    return 0;
}

} // namespace orvane
