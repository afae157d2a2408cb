#pragma once

// Renders the requested final pages to a PDF file, one PDF page per report
// page in the page's own paper size and orientation, with the drawing code
// of the raster devices painting through the PDF writer's paint engine.

#include "output/stream_device.h"

#include <memory>

#include <QHash>

namespace orvane {

class TjxCanvas;
class TPdfDocument;
class TPdfPageDevice;

class TjxPDFDevice : public TjxFileDevice {
    ORVANE_CLASS(TjxPDFDevice, TjxFileDevice)
public:
    explicit TjxPDFDevice(TComponent* owner = nullptr);
    ~TjxPDFDevice() override;

    static QString ClassDeviceName() { return QStringLiteral("PDFFile"); }
    static QString ClassDefaultExt() { return QStringLiteral("pdf"); }
    static QString ClassFilter() { return QStringLiteral("PDF files|*.PDF|All files|*.*"); }
    static QString ClassDescription();
    QString DeviceName() const override { return ClassDeviceName(); }

    // Device pixels per inch of the drawing (initially 600).
    int Resolution() const { return m_resolution; }
    // Only while no job runs.
    void SetResolution(int value);
    // Pages written in the current or last job.
    int PagesWritten() const { return m_pagesWritten; }

    bool DrawCommand(TjxDrawCommand* command) override;
    void StartJob() override;

protected:
    void WritePage(TjxPage* page) override;
    void CompleteOutput() override;
    void DiscardOutput() override;

private:
    void ReleaseWriter();

    int m_resolution = 600;
    int m_pagesWritten = 0;
    std::unique_ptr<TPdfDocument> m_document;
    std::unique_ptr<TPdfPageDevice> m_pageDevice;
    QHash<int, int> m_pageIndex;  // AbsolutePageNo -> page of the file, for bookmarks
    TjxCanvas* m_canvas = nullptr;  // while a page is drawn
};

} // namespace orvane
