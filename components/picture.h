#pragma once

// The toolkit's picture: a graphic of one of the known classes (bitmap,
// metafile, icon, GIF, JPEG, PNG), decoded through QImage. Templates keep a
// picture as its graphic's class name followed by the file bytes.

#include "document/errors.h"
#include "document/graphic_objects.h"

#include <QImage>
#include <QStringList>
#include <memory>

namespace orvane {

// Raised with "Invalid Image." for bytes the graphic's class cannot read.
class EInvalidGraphic : public EOrvaneError {
public:
    using EOrvaneError::EOrvaneError;
};

// A graphic class: its toolkit name, the QImage format that reads it (empty:
// the bytes are kept as they are, as for metafiles), whether templates put the
// byte count before the bytes, and the file extensions it loads.
struct TGraphicClass {
    QString className;
    QByteArray format;
    bool sizePrefixed = false;
    QStringList extensions;
};

const TGraphicClass& BitmapClass();
const TGraphicClass& MetafileClass();
const TGraphicClass& IconClass();
const TGraphicClass& GIFImageClass();
const TGraphicClass& JPEGImageClass();
const TGraphicClass& PngImageClass();
// By toolkit class name ("TBitmap"), case-insensitive; none when unknown.
const TGraphicClass* FindGraphicClass(QStringView className);
// By file extension without the dot, case-insensitive; none when unknown.
const TGraphicClass* GraphicClassForExtension(QStringView extension);

// The graphic type registry: type names ("Bitmap", "JPEG") to graphic classes,
// kept sorted for the designer. Registering a name again replaces its class.
void RegisterGraphicType(const QString& typeName, const TGraphicClass& cls);
const TGraphicClass* GetGraphicClass(QStringView typeName);
QStringList GraphicTypeNames();

class TGraphic {
public:
    explicit TGraphic(const TGraphicClass& cls) : m_class(&cls) {}

    const TGraphicClass& GraphicClass() const { return *m_class; }
    const QString& ClassName() const { return m_class->className; }
    bool IsMetafile() const { return m_class == &MetafileClass(); }
    bool Empty() const { return m_bytes.isEmpty() && m_image.isNull(); }
    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }
    // Null for classes QImage cannot decode (metafiles).
    const QImage& Image() const { return m_image; }

    // Replaces the content; bytes of another format raise EInvalidGraphic and change nothing.
    void LoadFromBytes(const QByteArray& bytes);
    void SetImage(const QImage& image);
    // The content in the class's file format: the bytes loaded, or the image encoded.
    QByteArray SaveToBytes() const;
    bool operator==(const TGraphic& other) const;

private:
    const TGraphicClass* m_class;
    QByteArray m_bytes;  // as loaded; kept so that a JPEG is never re-encoded
    QImage m_image;
};

class TPicture : public TGraphicsObject {
    ORVANE_CLASS(TPicture, TGraphicsObject)
public:
    TPicture() = default;
    ~TPicture() override;

    TGraphic* Graphic() const { return m_graphic.get(); }
    // Takes a copy; none empties the picture.
    void SetGraphic(const TGraphic* graphic);
    bool Empty() const { return !m_graphic || m_graphic->Empty(); }
    int Width() const { return m_graphic ? m_graphic->Width() : 0; }
    int Height() const { return m_graphic ? m_graphic->Height() : 0; }
    void Clear();
    // A bitmap of the image.
    void SetImage(const QImage& image);
    // The graphic class follows the file's extension.
    void LoadFromFile(const QString& fileName);
    void LoadFromBytes(const QByteArray& bytes, const TGraphicClass& cls);

    // The template form: the class name as a short string, then the bytes.
    QByteArray Data() const;
    void SetData(const QByteArray& data);

    void Assign(const TPersistent* source) override;
    bool operator==(const TPicture& other) const;

private:
    void Replace(std::unique_ptr<TGraphic> graphic);

    std::unique_ptr<TGraphic> m_graphic;
};

} // namespace orvane
