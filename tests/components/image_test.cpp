// Pictures: graphic classes and their registry, the template form, and the
// image components, with data images read from real SQLite fields.

#include "components/image.h"
#include "document/component_registry.h"
#include "document/messages.h"
#include "document/stream_reader.h"
#include "document/stream_text.h"
#include "document/stream_writer.h"
#include "engine/db_pipeline.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include "tests/support/gui_environment.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

QByteArray Encoded(int width, int height, const char* format)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return bytes;
}

// Qt writes no GIF; a 1 x 1 one is small enough to spell out.
QByteArray Gif1x1()
{
    static const unsigned char b[] = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0xFF, 0xFF,
                                      0, 0, 0, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 1, 0, 0x3B};
    return QByteArray(reinterpret_cast<const char*>(b), sizeof b);
}

const QString kInvalidImage = QStringLiteral("Invalid Image.");

class TImageHost : public TComponent {
public:
    explicit TImageHost(TComponent* owner = nullptr) : TComponent(owner) {}
};

} // namespace

TEST(Picture, EachClassReadsOnlyItsOwnFormat)
{
    const struct {
        const TGraphicClass& cls;
        QByteArray bytes;
        int width;
    } cases[] = {{BitmapClass(), Encoded(4, 3, "BMP"), 4},
                 {PngImageClass(), Encoded(5, 2, "PNG"), 5},
                 {JPEGImageClass(), Encoded(8, 8, "JPEG"), 8},
                 {GIFImageClass(), Gif1x1(), 1}};
    for (const auto& c : cases) {
        TPicture picture;
        picture.LoadFromBytes(c.bytes, c.cls);
        EXPECT_EQ(picture.Width(), c.width) << c.cls.className.toStdString();
        EXPECT_EQ(picture.Graphic()->SaveToBytes(), c.bytes);  // never re-encoded
    }

    // A bitmap is no JPEG, even though QImage could tell what it is.
    TPicture picture;
    picture.LoadFromBytes(Encoded(4, 3, "PNG"), PngImageClass());
    try {
        picture.LoadFromBytes(Encoded(4, 3, "BMP"), JPEGImageClass());
        FAIL() << "a bitmap read as JPEG";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), kInvalidImage);
    }
    EXPECT_THROW(picture.LoadFromBytes("not an image", PngImageClass()), EInvalidGraphic);
    // A failed load leaves the picture as it was.
    EXPECT_EQ(picture.Graphic()->ClassName(), u"TPngImage");
    EXPECT_EQ(picture.Width(), 4);

    // Metafiles are kept as bytes; an unknown extension is refused.
    picture.LoadFromBytes("EMF data", MetafileClass());
    EXPECT_FALSE(picture.Empty());
    EXPECT_TRUE(picture.Graphic()->IsMetafile());
    EXPECT_THROW(picture.LoadFromFile(QStringLiteral("/tmp/picture.xyz")), EInvalidGraphic);
    EXPECT_EQ(GraphicClassForExtension(u"JPG"), &JPEGImageClass());
}

TEST(Picture, GraphicTypeRegistry)
{
    const QStringList names = GraphicTypeNames();
    for (const char* name : {"Bitmap", "GIF", "Icon", "JPEG", "MetaFile", "PNG"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(name))) << name;
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    EXPECT_EQ(names, sorted);
    EXPECT_EQ(GetGraphicClass(u"jpeg"), &JPEGImageClass());
    EXPECT_EQ(GetGraphicClass(u"Tiff"), nullptr);

    RegisterGraphicType(QStringLiteral("ScanOfReceipt"), PngImageClass());
    RegisterGraphicType(QStringLiteral("ScanOfReceipt"), JPEGImageClass());
    EXPECT_EQ(GetGraphicClass(u"ScanOfReceipt"), &JPEGImageClass());
    EXPECT_EQ(GraphicTypeNames().count(QStringLiteral("ScanOfReceipt")), 1);
}

TEST(Picture, TemplateFormIsClassNameThenBytes)
{
    const QByteArray bmp = Encoded(4, 3, "BMP");
    TPicture picture;
    picture.LoadFromBytes(bmp, BitmapClass());
    // Bitmaps carry their byte count first (little-endian).
    QByteArray expected = QByteArray("\x07TBitmap");
    expected.append(char(bmp.size() & 0xFF)).append(char(bmp.size() >> 8)).append(QByteArray(2, '\0')).append(bmp);
    EXPECT_EQ(picture.Data(), expected);

    const QByteArray png = Encoded(5, 2, "PNG");
    picture.LoadFromBytes(png, PngImageClass());
    EXPECT_EQ(picture.Data(), QByteArray("\x09TPngImage") + png);

    // Read back with and without a count.
    TPicture read;
    read.SetData(expected);
    EXPECT_EQ(read.Graphic()->SaveToBytes(), bmp);
    read.SetData(QByteArray("\x07TBitmap") + bmp);
    EXPECT_EQ(read.Width(), 4);
    EXPECT_THROW(read.SetData(QByteArray("\x08TUnknown") + bmp), EInvalidGraphic);
    read.SetData({});
    EXPECT_TRUE(read.Empty());
    EXPECT_TRUE(TPicture().Data().isEmpty());
}

TEST(ImageComponent, StreamsItsPictureAndFlags)
{
    TImageHost host;
    auto* image = new TjxImage(&host);
    image->SetName(QStringLiteral("jxImage1"));
    image->SetCenter(false);
    image->SetStretch(true);
    image->Picture()->LoadFromBytes(Encoded(5, 2, "PNG"), PngImageClass());

    QByteArray text;
    ObjectBinaryToText(WriteComponentToBytes(image, &host), text);
    EXPECT_TRUE(text.contains("  Center = False\r\n")) << text.constData();
    EXPECT_TRUE(text.contains("  Picture.Data = {\r\n    0954506E67496D616765")) << text.constData();
    EXPECT_TRUE(text.contains("  Stretch = True\r\n"));
    EXPECT_FALSE(text.contains("DirectDraw"));
    // Published order: Center, Picture, Stretch.
    EXPECT_LT(text.indexOf("Center"), text.indexOf("Picture.Data"));
    EXPECT_LT(text.indexOf("Picture.Data"), text.indexOf("Stretch"));

    QByteArray binary;
    ObjectTextToBinary(text, binary);
    TImageHost other;
    auto* read = dynamic_cast<TjxImage*>(ReadComponentFromBytes(binary, nullptr, &other));
    ASSERT_NE(read, nullptr);
    EXPECT_FALSE(read->Center());
    EXPECT_TRUE(read->Stretch());
    EXPECT_EQ(read->Picture()->Width(), 5);
    EXPECT_EQ(read->Picture()->Graphic()->ClassName(), u"TPngImage");
}

TEST(ImageComponent, AutoSizeTakesThePictureSizeInScreenPixels)
{
    TjxImage image;
    image.SetBounds(1000, 2000, 3000, 4000);
    image.SetAutoSize(true);
    EXPECT_EQ(image.mmWidth(), 4000);  // an empty picture leaves the size alone

    image.Picture()->LoadFromBytes(Encoded(200, 100, "BMP"), BitmapClass());
    EXPECT_EQ(image.mmLeft(), 1000);
    EXPECT_EQ(image.mmTop(), 2000);
    EXPECT_EQ(image.mmWidth(), UnitsToThousandths(200, utScreenPixels, axHorizontal));
    EXPECT_EQ(image.mmHeight(), UnitsToThousandths(100, utScreenPixels, axVertical));

    // Each picture change while a new page is generated gets a name of its own.
    // A component without a name gets one first.
    EXPECT_EQ(image.ImageName(), u"jxImage10");
    image.SetPrintState(true, true);
    image.Picture()->LoadFromBytes(Encoded(2, 2, "BMP"), BitmapClass());
    image.SetPrintState(true, false);  // a page the cache already holds
    image.Picture()->LoadFromBytes(Encoded(3, 2, "BMP"), BitmapClass());
    EXPECT_EQ(image.ImageCounter(), 1);
    image.InitGeneration();
    EXPECT_EQ(image.ImageCounter(), 0);

    // Old templates drew metafiles directly.
    image.Picture()->LoadFromBytes("EMF bytes", MetafileClass());
    image.ConvertVersion(4200);
    EXPECT_TRUE(image.DirectDraw());
    image.Picture()->LoadFromBytes(Encoded(3, 2, "BMP"), BitmapClass());
    image.ConvertVersion(4201);
    EXPECT_TRUE(image.DirectDraw());
    image.ConvertVersion(4200);
    EXPECT_FALSE(image.DirectDraw());
}

namespace {

// Records: 0 a bitmap and the path of a bitmap file, 1 a PNG and a missing path, 2 nulls.
struct TPhotoDb {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("photos.sqlite"));
    QString bitmapFile = dir.filePath(QStringLiteral("scan.bmp"));
    TImageHost host;
    TjxDBPipeline* pipeline = nullptr;
    TjxDBImage* image = nullptr;

    TPhotoDb()
    {
        QFile f(bitmapFile);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Encoded(6, 5, "BMP"));
        f.close();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("photos.setup"));
            db.setDatabaseName(file);
            EXPECT_TRUE(db.open());
            QSqlQuery q(db);
            EXPECT_TRUE(q.exec(QStringLiteral("CREATE TABLE photos (id INTEGER, photo BLOB, path VARCHAR(200))")));
            const QVariant rows[][3] = {{0, Encoded(4, 3, "BMP"), bitmapFile},
                                        {1, Encoded(5, 2, "PNG"), dir.filePath(QStringLiteral("missing.bmp"))},
                                        {2, QVariant(QMetaType(QMetaType::QByteArray)), QVariant(QMetaType(QMetaType::QString))}};
            for (const auto& row : rows) {
                q.prepare(QStringLiteral("INSERT INTO photos VALUES (?, ?, ?)"));
                for (const QVariant& v : row)
                    q.addBindValue(v);
                EXPECT_TRUE(q.exec());
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("photos.setup"));
        pipeline = new TjxDBPipeline(&host);
        pipeline->SetName(QStringLiteral("plPhotos"));
        pipeline->SetDatabaseName(file);
        pipeline->SetTableName(QStringLiteral("photos"));
        pipeline->Open();
        pipeline->First();
        image = new TjxDBImage(&host);
        image->SetName(QStringLiteral("jxDBImage1"));
        image->SetDataPipeline(pipeline);
    }
};

} // namespace

TEST(DBImage, LoadsTheCurrentRecordsPicture)
{
    TPhotoDb d;
    d.image->SetDataField(QStringLiteral("photo"));
    EXPECT_EQ(d.image->Picture()->Width(), 4);
    d.pipeline->Next();
    EXPECT_EQ(d.image->Picture()->Width(), 5);  // a bitmap field takes what QImage reads
    EXPECT_EQ(d.image->ImageName(), u"jxDBImage1plPhotosphoto1");
    d.pipeline->Next();
    EXPECT_TRUE(d.image->Picture()->Empty());  // a null field

    // A string field names a file; a missing file is nothing.
    d.pipeline->First();
    d.image->SetDataField(QStringLiteral("path"));
    EXPECT_EQ(d.image->Picture()->Width(), 6);
    d.pipeline->Next();
    EXPECT_TRUE(d.image->Picture()->Empty());
    d.pipeline->Next();
    EXPECT_TRUE(d.image->Picture()->Empty());

    // Without AutoDisplay or a handler nothing is read.
    d.pipeline->First();
    d.image->SetAutoDisplay(false);
    EXPECT_TRUE(d.image->Picture()->Empty());
    EXPECT_EQ(d.image->DisplayName(), d.image->UserName() + QStringLiteral(": path"));
}

TEST(DBImage, AWrongGraphicTypeStopsOnlyAPrintingReport)
{
    TPhotoDb d;
    d.image->SetDataField(QStringLiteral("photo"));
    d.image->SetGraphicType(QStringLiteral("Tiff"));  // unknown: ignored
    EXPECT_EQ(d.image->GraphicType(), u"Bitmap");
    d.image->SetGraphicType(QStringLiteral("JPEG"));
    EXPECT_TRUE(d.image->Picture()->Empty());  // the designer shows nothing

    d.image->SetPrintState(true, true);
    try {
        d.image->Picture();
        FAIL() << "a bitmap printed as JPEG";
    } catch (const EPrintError& e) {
        EXPECT_EQ(e.Message(), kInvalidImage);
    }
    d.image->SetPrintState(false, false);

    d.pipeline->Next();
    d.image->SetGraphicType(QStringLiteral("PNG"));
    EXPECT_EQ(d.image->Picture()->Graphic()->ClassName(), u"TPngImage");
    EXPECT_FALSE(d.image->DirectDraw());
    d.image->SetGraphicType(QStringLiteral("MetaFile"));
    EXPECT_TRUE(d.image->DirectDraw());
}

TEST(DBImage, TheHandlerFillsThePicture)
{
    TPhotoDb d;
    d.image->SetDataField(QStringLiteral("photo"));
    d.image->SetAutoDisplay(false);
    int calls = 0;
    TMethod handler;
    handler.code = [&](TComponent* sender, TjxEventParams& params) {
        ++calls;
        EXPECT_EQ(sender, d.image);
        auto* picture = dynamic_cast<TPicture*>(params.Value(u"aPicture").value<TPersistent*>());
        ASSERT_NE(picture, nullptr);
        picture->LoadFromBytes(Gif1x1(), GIFImageClass());
    };
    d.image->SetOnGetPicture(handler);
    // The handler wins over the field.
    TPicture* picture = d.image->Picture();
    ASSERT_FALSE(picture->Empty());
    EXPECT_EQ(picture->Graphic()->ClassName(), u"TGIFImage");
    EXPECT_EQ(calls, 1);
}

TEST(ImageRegistration, PaletteAndPublishedOrder)
{
    const TjxRegComponent* image = RegisteredComponents().Find(u"TjxImage");
    const TjxRegComponent* dbImage = RegisteredComponents().Find(u"TjxDBImage");
    ASSERT_TRUE(image && dbImage);
    EXPECT_EQ(image->paletteName, u"Standard Components");
    EXPECT_EQ(image->position, 5);
    EXPECT_EQ(image->hintMessage, 170);
    EXPECT_EQ(dbImage->paletteName, u"Data Components");
    EXPECT_EQ(dbImage->position, 4);
    EXPECT_EQ(dbImage->hintMessage, 165);

    const TClassInfo& cls = TjxDBImage::StaticClass();
    EXPECT_FALSE(cls.PublishesProperty(u"Picture"));
    for (const char* name : {"AutoDisplay", "DataField", "DataPipeline", "GraphicType", "OnGetPicture",
                             "ParentDataPipeline", "MaintainAspectRatio", "Transparent"})
        EXPECT_TRUE(cls.PublishesProperty(QString::fromLatin1(name))) << name;
    EXPECT_TRUE(TjxImage::StaticClass().PublishesProperty(u"Picture", tkClass));
}
