// The PDF writer behind the PDF device, read back with poppler and qpdf: pages
// look as the raster devices draw them, text extracts as from Qt's own PDF
// output, and the file is valid, with its fonts embedded as subsets.

#include "document/page_def.h"
#include "document/printer_setup.h"
#include "output/draw_barcode.h"
#include "output/draw_image.h"
#include "output/draw_line.h"
#include "output/draw_other.h"
#include "output/draw_shape.h"
#include "output/draw_text.h"
#include "output/page.h"
#include "output/pdf_device.h"
#include "platform/canvas.h"
#include "document/units.h"
#include "tests/output/publish_pages.h"
#include "tests/support/gui_environment.h"
#include "tests/support/page_compare.h"

#include <QBuffer>
#include <functional>
#include <QDir>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

using Pages = std::vector<std::unique_ptr<TjxPage>>;

QByteArray RunTool(const QString& program, const QStringList& args, int* code = nullptr)
{
    QProcess process;
    process.start(program, args);
    process.waitForFinished(60000);
    if (code)
        *code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return process.readAllStandardOutput();
}

std::unique_ptr<TjxPage> NewPage(int number, int width = 210000, int height = 297000)
{
    auto page = std::make_unique<TjxPage>();
    page->SetAbsolutePageNo(number);
    page->SetFinal(true);
    page->SetDocumentName(QStringLiteral("Writer test"));
    page->PageDef()->SetmmWidth(width);
    page->PageDef()->SetmmHeight(height);
    return page;
}

TjxDrawText* AddText(TjxPage& page, int left, int top, const QString& text, int size = 12, int angle = 0)
{
    auto* command = new TjxDrawText;
    command->SetBounds(left, top, 150000, 8000);
    command->SetText(text);
    command->Font()->SetName(QStringLiteral("Arial"));
    command->Font()->SetSize(size);
    command->Font()->SetColor(clBlack);
    command->SetTransparent(true);
    if (angle) {
        command->SetAngle(angle);
        command->SetBounds(left, top, 8000, 80000);
        command->SetRotatedOriginLeft(0);
        command->SetRotatedOriginTop(70000);
    }
    page.AddDrawCommand(command);
    return command;
}

const QString kGreek = QStringLiteral(u"Ελληνικά γράμματα ΑΒΓΔ");
const QString kPolish = QStringLiteral(u"Zażółć gęślą jaźń ŁÓDŹ");
const QString kAccented = QStringLiteral(u"Crème brûlée à côté, naïve façade");
const QString kRotated = QStringLiteral(u"Sideways total 4711");

// A page of every kind of draw command, in several fonts, scripts and colours.
std::unique_ptr<TjxPage> KindsPage(int number)
{
    auto page = NewPage(number);
    AddText(*page, 20000, 15000, QStringLiteral("Trust account receipt No. 2026-0042"), 16);
    AddText(*page, 20000, 26000, kGreek);
    AddText(*page, 20000, 34000, kPolish);
    AddText(*page, 20000, 42000, kAccented);
    TjxDrawText* bold = AddText(*page, 20000, 50000, QStringLiteral("Bold italic Times 1.250,00"), 14);
    bold->Font()->SetName(QStringLiteral("Times New Roman"));
    bold->Font()->SetStyle(TFontStyles(1u << fsBold | 1u << fsItalic));
    bold->Font()->SetColor(clRed);
    TjxDrawText* boxed = AddText(*page, 20000, 60000, QStringLiteral("Boxed on yellow"), 12);
    boxed->SetTransparent(false);
    boxed->SetColor(clYellow);
    boxed->SetBounds(20000, 60000, 60000, 8000);
    boxed->Border()->SetVisible(true);
    boxed->Border()->SetBorderPositions(1u << bpLeft | 1u << bpTop | 1u << bpRight | 1u << bpBottom);
    AddText(*page, 180000, 80000, kRotated, 12, 90);

    auto* memo = new TjxDrawText;
    memo->SetBounds(20000, 75000, 120000, 20000);
    memo->SetIsMemo(true);
    memo->SetWordWrap(true);
    memo->Font()->SetName(QStringLiteral("Courier New"));
    memo->Font()->SetSize(10);
    memo->Font()->SetColor(clNavy);
    memo->SetTransparent(true);
    memo->WrappedText()->SetLines({QStringLiteral("First memo line"), QStringLiteral("Second memo line")});
    page->AddDrawCommand(memo);

    const TShapeType shapes[] = {stRectangle, stEllipse, stRoundRect, stCircle};
    const TBrushStyle brushes[] = {bsSolid, bsClear, bsSolid, bsDiagCross};
    for (int i = 0; i < 4; ++i) {
        auto* shape = new TjxDrawShape;
        shape->SetBounds(20000 + i * 40000, 105000, 30000, 20000);
        shape->SetShapeType(shapes[i]);
        shape->SetXCornerRound(5000);
        shape->SetYCornerRound(5000);
        shape->Brush()->SetColor(i == 2 ? clLime : clSilver);
        shape->Brush()->SetStyle(brushes[i]);
        shape->Pen()->SetWidth(3);
        shape->Pen()->SetColor(clBlue);
        page->AddDrawCommand(shape);
    }
    const TjxLinePositionType positions[] = {lpTop, lpBottom, lpLeft, lpRight};
    for (int i = 0; i < 4; ++i) {
        auto* line = new TjxDrawLine;
        line->SetBounds(20000 + i * 40000, 135000, 30000, 15000);
        line->SetLinePosition(positions[i]);
        line->SetLineStyle(i % 2 ? lsDouble : lsSingle);
        line->SetWeight(1.5f);
        line->Pen()->SetStyle(i == 2 ? psDash : psSolid);
        page->AddDrawCommand(line);
    }

    QImage picture(60, 40, QImage::Format_ARGB32);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            picture.setPixel(x, y, qRgba(x * 4, y * 6, 128, x < 30 ? 255 : 0));
    auto* image = new TjxDrawImage;
    image->SetBounds(20000, 160000, 60000, 40000);
    image->Picture()->SetImage(picture);
    image->SetStretch(true);
    page->AddDrawCommand(image);

    auto* barcode = new TjxDrawBarCode;
    barcode->SetBounds(100000, 160000, 80000, 20000);
    barcode->SetBarCodeType(bcCode128);
    barcode->SetData(QStringLiteral("ABC-123"));
    barcode->SetBarWidth(254);
    barcode->SetAutoEncode(true);
    barcode->SetPrintHumanReadable(true);
    barcode->Font()->SetName(QStringLiteral("Arial"));
    barcode->Font()->SetSize(10);
    page->AddDrawCommand(barcode);

    auto* rich = new TjxDrawRichText;
    rich->SetBounds(20000, 210000, 150000, 30000);
    const QByteArray rtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 Rich {\\b bold} and {\\i italic} words\\par}");
    rich->SetRichTextStream(rtf);
    rich->SetStartCharPos(0);
    rich->SetEndCharPos(30);
    page->AddDrawCommand(rich);
    return page;
}

// A list page: 50 rows of four fields, as the list reports print them.
std::unique_ptr<TjxPage> ListPage(int number)
{
    auto page = NewPage(number);
    AddText(*page, 15000, 10000, QStringLiteral("Customer list"), 14);
    for (int row = 0; row < 50; ++row) {
        const int id = (number - 1) * 50 + row + 1;
        const int top = 20000 + row * 5000;
        AddText(*page, 15000, top, QString::number(id), 9);
        AddText(*page, 35000, top, QStringLiteral("Customer %1").arg(id * 7919 % 100000), 9);
        AddText(*page, 95000, top, QStringLiteral("%1 Main Street").arg(id % 997), 9);
        AddText(*page, 160000, top, QStringLiteral("%1.%2").arg(id * 13 % 10000).arg(id % 100, 2, 10, QChar(u'0')), 9);
    }
    AddText(*page, 90000, 280000, QStringLiteral("Page %1").arg(number), 9);
    return page;
}

// The page as the raster devices draw it.
QImage RasterPage(TjxPage& page, int dpi)
{
    QImage image(ThousandthsToPixels(page.PageDef()->mmWidth(), dpi),
                 ThousandthsToPixels(page.PageDef()->mmHeight(), dpi), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    TjxCanvas canvas(&painter, dpi, dpi);
    for (int i = 0; i < page.DrawCommandCount(); ++i) {
        page.DrawCommand(i)->CalcDrawRect(canvas);
        page.DrawCommand(i)->Draw(canvas);
    }
    return image;
}

// The pages as Qt's own PDF engine writes them at the device's resolution.
void WriteQtPdf(const Pages& pages, const QString& path)
{
    QPdfWriter writer(path);
    writer.setResolution(600);
    QPainter painter;
    for (size_t i = 0; i < pages.size(); ++i) {
        const QPageSize size(QSizeF(pages[i]->PageDef()->mmWidth() / 1000.0, pages[i]->PageDef()->mmHeight() / 1000.0),
                             QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
        writer.setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF()));
        if (i == 0)
            painter.begin(&writer);
        else
            writer.newPage();
        TjxCanvas canvas(&painter, 600, 600);
        for (int c = 0; c < pages[i]->DrawCommandCount(); ++c) {
            pages[i]->DrawCommand(c)->CalcDrawRect(canvas);
            pages[i]->DrawCommand(c)->Draw(canvas);
        }
    }
    painter.end();
}

void WritePdf(const Pages& pages, const QString& path, int resolution = 600)
{
    for (const auto& page : pages) {
        page->SetFirstPage(page == pages.front());
        page->SetLastPage(page == pages.back());
    }
    TjxPDFDevice device;
    device.SetFileName(path);
    device.SetResolution(resolution);
    PublishPages(device, pages);
}

QStringList Words(const QByteArray& text)
{
    return QString::fromUtf8(text).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

} // namespace

TEST(PdfWriter, PagesLookAsTheRasterDevicesDrawThem)
{
    if (!HavePdfTools())
        GTEST_SKIP() << "poppler-utils or qpdf are not installed";
    Pages pages;
    pages.push_back(KindsPage(1));
    pages.push_back(ListPage(2));
    auto landscape = NewPage(3, 297000, 210000);
    AddText(*landscape, 20000, 20000, QStringLiteral("Landscape page"), 20);
    pages.push_back(std::move(landscape));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("look.pdf"));
    // At the raster's resolution, so that both lay out with the same whole-pixel font sizes.
    WritePdf(pages, pdf, 150);
    const std::vector<QImage> rasters = RasterisePdf(pdf, dir.filePath(QStringLiteral("look")), 150);
    ASSERT_EQ(rasters.size(), pages.size());
    for (size_t i = 0; i < pages.size(); ++i) {
        const QImage expected = RasterPage(*pages[i], 150);
        // Anti-aliased edges differ between the two rasterisers; a missing or
        // misplaced element differs far more.
        const double share = DifferingShare(rasters[i], expected, 96);
        EXPECT_LT(share, 0.005) << "page " << i + 1 << ": " << rasters[i].width() << "x" << rasters[i].height()
                                << " against " << expected.width() << "x" << expected.height();
        if (share >= 0.005) {
            rasters[i].save(QStringLiteral("/tmp/pdf_look_%1_pdf.png").arg(i + 1));
            expected.save(QStringLiteral("/tmp/pdf_look_%1_png.png").arg(i + 1));
        }
    }
}

TEST(PdfWriter, TextExtractsAsFromQtsPdf)
{
    if (!HavePdfTools())
        GTEST_SKIP() << "poppler-utils or qpdf are not installed";
    Pages pages;
    pages.push_back(KindsPage(1));
    pages.push_back(ListPage(2));
    QTemporaryDir dir;
    const QString ours = dir.filePath(QStringLiteral("ours.pdf"));
    const QString qts = dir.filePath(QStringLiteral("qts.pdf"));
    WritePdf(pages, ours);
    WriteQtPdf(pages, qts);
    const QStringList expected = Words(RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), qts, QStringLiteral("-")}));
    const QStringList actual = Words(RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), ours, QStringLiteral("-")}));
    ASSERT_GT(expected.size(), 200);
    EXPECT_EQ(actual, expected);
    const QString all = actual.join(u' ');
    for (const QString& line : {kGreek, kPolish, kAccented, kRotated})
        EXPECT_TRUE(all.contains(line.simplified())) << line.toStdString();
}

TEST(PdfWriter, ValidWithSubsetFontsAndNoLargerThanQtsPdf)
{
    if (!HavePdfTools())
        GTEST_SKIP() << "poppler-utils or qpdf are not installed";
    Pages pages;
    pages.push_back(KindsPage(1));
    for (int i = 2; i <= 20; ++i)
        pages.push_back(ListPage(i));
    QTemporaryDir dir;
    const QString ours = dir.filePath(QStringLiteral("ours.pdf"));
    const QString qts = dir.filePath(QStringLiteral("qts.pdf"));
    WritePdf(pages, ours);
    WriteQtPdf(pages, qts);

    int code = -1;
    const QByteArray check = RunTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), ours}, &code);
    EXPECT_EQ(code, 0) << check.toStdString();

    const QStringList fonts = QString::fromUtf8(RunTool(QStringLiteral("pdffonts"), {ours})).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GE(fonts.size(), 2 + 3) << fonts.join(u'\n').toStdString();  // header, rule, Arial, Times, Courier at least
    for (qsizetype i = 2; i < fonts.size(); ++i) {
        // name type encoding emb sub uni object ID
        const QStringList columns = fonts[i].split(u' ', Qt::SkipEmptyParts);
        ASSERT_GE(columns.size(), 7) << fonts[i].toStdString();
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Z]{6}\\+")).match(columns[0]).hasMatch())
            << fonts[i].toStdString();
        EXPECT_EQ(columns[columns.size() - 5], QStringLiteral("yes")) << "embedded: " << fonts[i].toStdString();
        EXPECT_EQ(columns[columns.size() - 4], QStringLiteral("yes")) << "subset: " << fonts[i].toStdString();
        EXPECT_EQ(columns[columns.size() - 3], QStringLiteral("yes")) << "to unicode: " << fonts[i].toStdString();
    }
    EXPECT_LE(QFileInfo(ours).size(), QFileInfo(qts).size());
}

TEST(PdfWriter, ImagesOnceBookmarksToTheirPages)
{
    if (!HavePdfTools())
        GTEST_SKIP() << "poppler-utils or qpdf are not installed";
    Pages pages;
    for (int i = 1; i <= 4; ++i)
        pages.push_back(KindsPage(i));
    pages.back()->SetLastPage(true);
    auto* outline = new TjxOutlineDrawCommand;
    outline->SetCompleted(true);
    TjxOutlineNode* root = outline->CreateRoot();
    root->SetNodeType(ntRoot);
    for (int p : {1, 3}) {
        TjxOutlineNode* node = root->AddNode();
        node->SetCaption(QStringLiteral(u"Gruppe Ärger %1").arg(p));
        node->SetPageReference(p);
        TjxOutlineNode* child = node->AddNode();
        child->SetCaption(QStringLiteral("Detail %1").arg(p + 1));
        child->SetPageReference(p + 1);
    }
    pages.back()->AddDrawCommand(outline);
    // A JPEG photo on two pages.
    QImage photo(64, 48, QImage::Format_RGB32);
    photo.fill(QColor(200, 120, 40));
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        ASSERT_TRUE(writer.write(photo));
    }
    for (int p : {0, 2}) {
        auto* image = new TjxDrawImage;
        image->SetBounds(100000, 250000, 40000, 30000);
        image->Picture()->LoadFromBytes(jpeg, JPEGImageClass());
        image->SetStretch(true);
        pages[size_t(p)]->AddDrawCommand(image);
    }
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("marks.pdf"));
    WritePdf(pages, pdf);

    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // The picture and its soft mask once for four pages, the JPEG data once for two, as it was.
    EXPECT_EQ(bytes.count("/Subtype /Image"), 3);
    EXPECT_EQ(bytes.count("/DCTDecode"), 1);
    EXPECT_TRUE(bytes.contains(jpeg));

    int code = -1;
    const QByteArray json = RunTool(QStringLiteral("qpdf"), {QStringLiteral("--json"), QStringLiteral("--json-key=outlines"), pdf}, &code);
    ASSERT_EQ(code, 0);
    // Each bookmark with its page, depth first.
    QStringList found;
    std::function<void(const QJsonArray&, int)> walk = [&](const QJsonArray& items, int depth) {
        for (const QJsonValue& item : items) {
            const QJsonObject o = item.toObject();
            found << QStringLiteral("%1%2@%3")
                         .arg(QString(depth, u'-'), o.value(u"title").toString())
                         .arg(o.value(u"destpageposfrom1").toInt());
            walk(o.value(u"kids").toArray(), depth + 1);
        }
    };
    walk(QJsonDocument::fromJson(json).object().value(u"outlines").toArray(), 0);
    EXPECT_EQ(found.join(u'|'), QStringLiteral(u"Gruppe Ärger 1@1|-Detail 2@2|Gruppe Ärger 3@3|-Detail 4@4"));
}
