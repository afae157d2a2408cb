#include "output/draw_image.h"

#include "document/class_registry.h"
#include "platform/canvas.h"


namespace orvane {

const TClassInfo& TjxDrawImage::StaticClass()
{
    using T = TjxDrawImage;
    static const TClassInfo info =
        TClassBuilder<T>("TjxDrawImage", &TjxDrawCommand::StaticClass())
            .Creatable()
            .Prop("DataType", DataTypeType(), &T::DataType, &T::SetDataType).Default(dtGraphic)
            .Prop("Center", BooleanType(), &T::Center, &T::SetCenter).Default(0)
            .Prop("MaintainAspectRatio", BooleanType(), &T::MaintainAspectRatio, &T::SetMaintainAspectRatio)
            .Default(0)
            .Prop("Picture", ClassType(), &T::Picture, &T::SetPicture)
            .StoredIf([](const T& c) { return c.m_storePicture; })
            .Prop("Scale", BooleanType(), &T::Scale, &T::SetScale).Default(0)
            .Prop("Stretch", BooleanType(), &T::Stretch, &T::SetStretch).Default(0)
            .Prop("Transparent", BooleanType(), &T::Transparent, &T::SetTransparent).Default(0)
            .Prop("DirectDraw", BooleanType(), &T::DirectDraw, &T::SetDirectDraw).Default(0)
            .Prop("ImageName", StringType(), &T::ImageName, &T::SetImageName)
            .Build();
    return info;
}

TjxDrawImage::TjxDrawImage(TComponent* owner)
    : TjxDrawCommand(owner), m_picture(std::make_unique<TPicture>())
{
    SetDataType(dtGraphic);
}

TjxDrawImage::~TjxDrawImage() = default;

namespace {

// The picture's size on a device, from its own resolution (screen pixels when it has none).
int DeviceSize(int pixels, int dotsPerMeter, int dpi)
{
    const double ppi = dotsPerMeter > 0 ? dotsPerMeter * 0.0254 : 96.0;
    return int(RoundHalfEven(static_cast<long double>(pixels) * dpi / std::round(ppi)));
}

} // namespace

void TjxDrawImage::Place(TjxCanvas& canvas, const TjxDeviceRect& r, const QImage& image, int w, int h,
                         TjxCopyMode mode) const
{
    const int W = r.Width(), H = r.Height();
    if (m_stretch && m_maintainAspectRatio) {
        const double s = (w > 0 && h > 0) ? std::min(double(W) / w, double(H) / h) : 0;
        const int iw = int(Truncate(w * s)), ih = int(Truncate(h * s));
        int x = r.left, y = r.top;
        if (m_center) {
            x += (W - iw) / 2;
            y += (H - ih) / 2;
        }
        canvas.StretchDraw(QRect(x, y, iw, ih), image, mode);
    } else if (m_stretch) {
        canvas.StretchDraw(QRect(r.left, r.top, W, H), image, mode);
    } else {
        int x = r.left, y = r.top;
        if (m_center) {
            x += (W - w) / 2;
            y += (H - h) / 2;
        }
        canvas.SaveState();
        canvas.IntersectClip(QRect(r.left, r.top, W, H));
        canvas.StretchDraw(QRect(x, y, w, h), image, mode);
        canvas.RestoreState();
    }
}

bool TjxDrawImage::Draw(TjxCanvas& canvas)
{
    const QImage image = m_picture->Graphic() ? m_picture->Graphic()->Image() : QImage();
    if (image.isNull())
        return true;
    const TjxDeviceRect r = DeviceRect();
    const TjxCopyMode mode = m_transparent ? cmSrcAnd : cmSrcCopy;
    const int w = DeviceSize(image.width(), image.dotsPerMeterX(), canvas.DpiX());
    const int h = DeviceSize(image.height(), image.dotsPerMeterY(), canvas.DpiY());
    if (!canvas.IsScreen()) {
        Place(canvas, r, image, w, h, mode);
    } else if (m_directDraw) {
        Place(canvas, r, image, int(RoundHalfEven(static_cast<long double>(w) * canvas.ZoomX())),
              int(RoundHalfEven(static_cast<long double>(h) * canvas.ZoomY())), mode);
    } else {
        // The screen lays the picture out at 100 % in a bitmap of the
        // command's own size and stretches that bitmap to the zoom.
        const QRect own = canvas.ThousandthsToPixels(Left(), Top(), Width(), Height());
        if (own.width() > 0 && own.height() > 0 && r.Width() > 0 && r.Height() > 0) {
            QImage unzoomed(own.size(), QImage::Format_RGB32);
            unzoomed.fill(Qt::white);
            {
                QPainter painter(&unzoomed);
                TjxCanvas plain(&painter, canvas.DpiX(), canvas.DpiY());
                Place(plain, TjxDeviceRect{0, own.width(), 0, own.height()}, image, w, h, cmSrcCopy);
            }
            canvas.StretchDraw(QRect(r.left, r.top, r.Width(), r.Height()), unzoomed, mode);
        }
    }
    DrawBorder(canvas, *Border(), r);
    return true;
}

void TjxDrawImage::Assign(const TPersistent* source)
{
    TjxDrawCommand::Assign(source);
    const auto* o = dynamic_cast<const TjxDrawImage*>(source);
    if (!o)
        return;
    m_center = o->m_center;
    m_maintainAspectRatio = o->m_maintainAspectRatio;
    m_picture->Assign(o->m_picture.get());
    m_scale = o->m_scale;
    m_stretch = o->m_stretch;
    m_transparent = o->m_transparent;
    m_directDraw = o->m_directDraw;
    m_imageName = o->m_imageName;
    m_storePicture = o->m_storePicture;
}

ORVANE_REGISTER_CLASS(TjxDrawImage);

} // namespace orvane
