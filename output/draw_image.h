#pragma once

#include "components/picture.h"
#include "output/draw_command.h"

#include <QImage>

namespace orvane {

enum TjxCopyMode : uint8_t;

class TjxDrawImage : public TjxDrawCommand {
    ORVANE_CLASS(TjxDrawImage, TjxDrawCommand)
public:
    explicit TjxDrawImage(TComponent* owner = nullptr);
    ~TjxDrawImage() override;

    bool Center() const { return m_center; }
    void SetCenter(bool value) { m_center = value; }
    bool MaintainAspectRatio() const { return m_maintainAspectRatio; }
    void SetMaintainAspectRatio(bool value) { m_maintainAspectRatio = value; }
    TPicture* Picture() const { return m_picture.get(); }
    void SetPicture(TPicture* value) { if (value) m_picture->Assign(value); }
    bool Scale() const { return m_scale; }
    void SetScale(bool value) { m_scale = value; }
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool value) { m_stretch = value; }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value) { m_transparent = value; }
    bool DirectDraw() const { return m_directDraw; }
    void SetDirectDraw(bool value) { m_directDraw = value; }
    const QString& ImageName() const { return m_imageName; }
    void SetImageName(const QString& value) { m_imageName = value; }
    // Whether the picture goes into streams (archives may keep images apart).
    bool StorePicture() const { return m_storePicture; }
    void SetStorePicture(bool value) { m_storePicture = value; }

    bool Draw(TjxCanvas& canvas) override;
    void Assign(const TPersistent* source) override;

private:
    // The placement rules (stretch, aspect ratio, centring) of a w x h image in r.
    void Place(TjxCanvas& canvas, const TjxDeviceRect& r, const QImage& image, int w, int h,
               TjxCopyMode mode) const;

    bool m_center = false;
    bool m_maintainAspectRatio = false;
    std::unique_ptr<TPicture> m_picture;
    bool m_scale = false;
    bool m_stretch = false;
    bool m_transparent = false;
    bool m_directDraw = false;
    QString m_imageName;
    bool m_storePicture = true;
};

} // namespace orvane
