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

bool TjxDrawImage::Draw(TjxCanvas& canvas)
{
    const QImage image = m_picture->Graphic() ? m_picture->Graphic()->Image() : QImage();
    if (image.isNull())
        return true;
    const TjxDeviceRect r = DeviceRect();
    const TjxCopyMode mode = m_transparent ? cmSrcAnd : cmSrcCopy;
    const int W = r.Width(), H = r.Height();
    // The picture's size on the device, from its own resolution (screen pixels when it has none).
    const auto deviceSize = [&](int pixels, int dotsPerMeter, int dpi) {
        const double ppi = dotsPerMeter > 0 ? dotsPerMeter * 0.0254 : 96.0;
        return int(RoundHalfEven(static_cast<long double>(pixels) * dpi / std::round(ppi)));
    };
    const int w = deviceSize(image.width(), image.dotsPerMeterX(), canvas.DpiX());
    const int h = deviceSize(image.height(), image.dotsPerMeterY(), canvas.DpiY());
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
