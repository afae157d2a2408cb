#include "components/picture.h"

#include "document/class_registry.h"
#include "document/message_ids.h"
#include "document/messages.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QtEndian>
#include <map>
#include <mutex>

namespace orvane {

namespace {

constexpr int kInvalidImage = 290;  // "Invalid Image."

[[noreturn]] void RaiseInvalidImage()
{
    throw EInvalidGraphic(GetMessage(kInvalidImage));
}

const TGraphicClass* const* AllClasses()
{
    static const TGraphicClass* const all[] = {&BitmapClass(),   &MetafileClass(),  &IconClass(),
                                               &GIFImageClass(), &JPEGImageClass(), &PngImageClass(), nullptr};
    return all;
}

struct TTypeRegistry {
    std::mutex lock;
    // Sorted case-insensitively by the lower-case key; the value keeps the name as given.
    std::map<QString, std::pair<QString, const TGraphicClass*>> types;

    TTypeRegistry()
    {
        Add(QStringLiteral("Bitmap"), BitmapClass());
        Add(QStringLiteral("MetaFile"), MetafileClass());
        Add(QStringLiteral("Icon"), IconClass());
        Add(QStringLiteral("GIF"), GIFImageClass());
        Add(QStringLiteral("JPEG"), JPEGImageClass());
        Add(QStringLiteral("PNG"), PngImageClass());
    }
    void Add(const QString& name, const TGraphicClass& cls) { types[name.toLower()] = {name, &cls}; }
};

TTypeRegistry& Registry()
{
    static TTypeRegistry registry;
    return registry;
}

} // namespace

// ---- graphic classes ----

const TGraphicClass& BitmapClass()
{
    static const TGraphicClass c{QStringLiteral("TBitmap"), "BMP", true, {QStringLiteral("bmp")}};
    return c;
}

const TGraphicClass& MetafileClass()
{
    static const TGraphicClass c{QStringLiteral("TMetafile"), {}, false, {QStringLiteral("emf"), QStringLiteral("wmf")}};
    return c;
}

const TGraphicClass& IconClass()
{
    static const TGraphicClass c{QStringLiteral("TIcon"), "ICO", false, {QStringLiteral("ico")}};
    return c;
}

const TGraphicClass& GIFImageClass()
{
    static const TGraphicClass c{QStringLiteral("TGIFImage"), "GIF", false, {QStringLiteral("gif")}};
    return c;
}

const TGraphicClass& JPEGImageClass()
{
    static const TGraphicClass c{QStringLiteral("TJPEGImage"), "JPEG", true,
                                 {QStringLiteral("jpg"), QStringLiteral("jpeg")}};
    return c;
}

const TGraphicClass& PngImageClass()
{
    static const TGraphicClass c{QStringLiteral("TPngImage"), "PNG", false, {QStringLiteral("png")}};
    return c;
}

const TGraphicClass* FindGraphicClass(QStringView className)
{
    for (const TGraphicClass* const* c = AllClasses(); *c; ++c)
        if ((*c)->className.compare(className, Qt::CaseInsensitive) == 0)
            return *c;
    return nullptr;
}

const TGraphicClass* GraphicClassForExtension(QStringView extension)
{
    for (const TGraphicClass* const* c = AllClasses(); *c; ++c)
        for (const QString& e : (*c)->extensions)
            if (e.compare(extension, Qt::CaseInsensitive) == 0)
                return *c;
    return nullptr;
}

void RegisterGraphicType(const QString& typeName, const TGraphicClass& cls)
{
    TTypeRegistry& r = Registry();
    std::lock_guard guard(r.lock);
    r.Add(typeName, cls);
}

const TGraphicClass* GetGraphicClass(QStringView typeName)
{
    TTypeRegistry& r = Registry();
    std::lock_guard guard(r.lock);
    const auto it = r.types.find(typeName.toString().toLower());
    return it == r.types.end() ? nullptr : it->second.second;
}

QStringList GraphicTypeNames()
{
    TTypeRegistry& r = Registry();
    std::lock_guard guard(r.lock);
    QStringList names;
    for (const auto& [key, entry] : r.types)
        names.append(entry.first);
    return names;
}

// ---- TGraphic ----

void TGraphic::LoadFromBytes(const QByteArray& bytes)
{
    if (bytes.isEmpty()) {
        m_bytes.clear();
        m_image = QImage();
        return;
    }
    if (m_class->format.isEmpty()) {
        m_bytes = bytes;
        m_image = QImage();
        return;
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    // The class decides the format: a bitmap is not a JPEG because QImage could guess it.
    QImageReader reader(&buffer, m_class->format);
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    if (!reader.canRead())
        RaiseInvalidImage();
    QImage image = reader.read();
    if (image.isNull())
        RaiseInvalidImage();
    m_bytes = bytes;
    m_image = std::move(image);
}

void TGraphic::SetImage(const QImage& image)
{
    m_bytes.clear();
    m_image = image;
}

QByteArray TGraphic::SaveToBytes() const
{
    if (!m_bytes.isEmpty() || m_image.isNull())
        return m_bytes;
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, m_class->format);
    if (!writer.write(m_image))
        return {};
    return out;
}

bool TGraphic::operator==(const TGraphic& other) const
{
    return m_class == other.m_class && m_bytes == other.m_bytes && m_image == other.m_image;
}

// ---- TPicture ----

const TClassInfo& TPicture::StaticClass()
{
    using T = TPicture;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TPicture", &TGraphicsObject::StaticClass());
        b.DefinedBinary("Data", &T::SetData, &T::Data, [](const T& p) { return !p.Empty(); });
        return b.Build();
    }();
    return info;
}

TPicture::~TPicture() = default;

void TPicture::Replace(std::unique_ptr<TGraphic> graphic)
{
    m_graphic = std::move(graphic);
    Changed();
}

void TPicture::SetGraphic(const TGraphic* graphic)
{
    Replace(graphic ? std::make_unique<TGraphic>(*graphic) : nullptr);
}

void TPicture::Clear()
{
    Replace(nullptr);
}

void TPicture::SetImage(const QImage& image)
{
    auto graphic = std::make_unique<TGraphic>(BitmapClass());
    graphic->SetImage(image);
    Replace(std::move(graphic));
}

void TPicture::LoadFromBytes(const QByteArray& bytes, const TGraphicClass& cls)
{
    auto graphic = std::make_unique<TGraphic>(cls);
    graphic->LoadFromBytes(bytes);
    Replace(std::move(graphic));
}

void TPicture::LoadFromFile(const QString& fileName)
{
    const TGraphicClass* cls = GraphicClassForExtension(QFileInfo(fileName).suffix());
    if (!cls)
        RaiseInvalidImage();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EInvalidGraphic(MessageText(msg::CannotOpenFile, {fileName, file.errorString()}));
    LoadFromBytes(file.readAll(), *cls);
}

QByteArray TPicture::Data() const
{
    if (Empty())
        return {};
    const QByteArray name = m_graphic->ClassName().toLatin1();
    const QByteArray bytes = m_graphic->SaveToBytes();
    QByteArray out;
    out.append(char(uint8_t(name.size())));
    out.append(name);
    if (m_graphic->GraphicClass().sizePrefixed) {
        char size[4];
        qToLittleEndian<quint32>(quint32(bytes.size()), size);
        out.append(size, 4);
    }
    out.append(bytes);
    return out;
}

void TPicture::SetData(const QByteArray& data)
{
    if (data.isEmpty()) {
        Clear();
        return;
    }
    const int nameLength = uint8_t(data[0]);
    if (data.size() < 1 + nameLength)
        RaiseInvalidImage();
    const TGraphicClass* cls = FindGraphicClass(QString::fromLatin1(data.mid(1, nameLength)));
    if (!cls)
        RaiseInvalidImage();
    QByteArray bytes = data.mid(1 + nameLength);
    // Some writers put the byte count first and some do not; a count that
    // matches the rest exactly is taken for one.
    if (bytes.size() >= 4 && qFromLittleEndian<quint32>(bytes.constData()) == quint32(bytes.size() - 4))
        bytes.remove(0, 4);
    LoadFromBytes(bytes, *cls);
}

void TPicture::Assign(const TPersistent* source)
{
    if (auto* p = dynamic_cast<const TPicture*>(source)) {
        if (p != this)
            SetGraphic(p->Graphic());
        return;
    }
    TGraphicsObject::Assign(source);
}

bool TPicture::operator==(const TPicture& other) const
{
    if (Empty() || other.Empty())
        return Empty() == other.Empty();
    return *m_graphic == *other.m_graphic;
}

ORVANE_REGISTER_CLASS(TPicture);

} // namespace orvane
