#pragma once

// Pictures stored in the report (TjxImage) or read from a data field of the
// current record (TjxDBImage).

#include "components/component.h"
#include "components/picture.h"

namespace orvane {

class TjxDataPipeline;

class TjxCustomImage : public TjxCustomComponent {
    ORVANE_CLASS(TjxCustomImage, TjxCustomComponent)
public:
    explicit TjxCustomImage(TComponent* owner = nullptr);
    ~TjxCustomImage() override;

    // A data image loads the current record's picture first.
    virtual TPicture* Picture() { return m_picture.get(); }
    TPicture* StoredPicture() const { return m_picture.get(); }
    void SetPicture(TPicture* value);
    bool Center() const { return m_center; }
    void SetCenter(bool value);
    bool DirectDraw() const { return m_directDraw; }
    void SetDirectDraw(bool value);
    bool MaintainAspectRatio() const { return m_maintainAspectRatio; }
    void SetMaintainAspectRatio(bool value);
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool value);
    void SetTransparent(bool value) override;
    void SetAutoSize(bool value) override;

    bool UsesColor() const override { return false; }
    bool UsesFontColor() const override { return false; }
    void ConvertVersion(int version) override;

    // The engine's side: the counter restarts with each report, and a picture
    // change counts only while a page the cache does not hold yet is generated.
    int ImageCounter() const { return m_imageCounter; }
    void InitGeneration() override
    {
        TjxCustomComponent::InitGeneration();
        m_imageCounter = 0;
    }
    void SetPrintState(bool printing, bool generatingNewPage);
    void SetPrinting(bool value) override { SetPrintState(value, m_generatingNewPage); }
    bool IsPrinting() const override { return m_printing; }
    // Devices keep one copy of a picture per name.
    virtual QString ImageName();

    // Prints as an image command holding a copy of the picture.
    std::unique_ptr<TjxDrawCommand> NewDrawCommand() const override;
    void PropertiesToDrawCommand(TjxDrawCommand* command) override;

protected:
    virtual void PictureChanged();

private:
    bool ChangeFlag(bool& field, bool value, const char* propertyName);

    std::unique_ptr<TPicture> m_picture;
    bool m_center = true;
    bool m_directDraw = false;
    bool m_maintainAspectRatio = false;
    bool m_stretch = false;
    int m_imageCounter = 0;
    bool m_printing = false;
    bool m_generatingNewPage = false;
};

class TjxImage : public TjxCustomImage {
    ORVANE_CLASS(TjxImage, TjxCustomImage)
public:
    using TjxCustomImage::TjxCustomImage;
};

class TjxDBImage : public TjxCustomImage {
    ORVANE_CLASS(TjxDBImage, TjxCustomImage)
public:
    explicit TjxDBImage(TComponent* owner = nullptr);

    TPicture* Picture() override;
    bool AutoDisplay() const { return m_autoDisplay; }
    void SetAutoDisplay(bool value);
    const QString& GraphicType() const { return m_graphicType; }
    // Names the graphic type registry does not know are ignored.
    void SetGraphicType(const QString& value);
    // Fired with the parameter "aPicture" (the picture to fill).
    TMethod OnGetPicture() const { return m_onGetPicture; }
    void SetOnGetPicture(const TMethod& value)
    {
        SetField(m_onGetPicture, value, "OnGetPicture");
        // Methods compare by receiver and name, so a handler given as code alone looks unchanged.
        m_onGetPicture = value;
    }

    bool IsDataAware() const override { return true; }
    void SetDataField(const QString& value) override;
    void SetDataPipeline(TjxCommunicator* value) override;
    // The user name and the field: "DBImage1: Photo".
    QString DisplayName() const;
    QString ImageName() override;

    // Empties the picture and fills it from the handler or the current record.
    // While printing, a field that cannot be read as the graphic type raises
    // EPrintError "Invalid Image."; otherwise it leaves the picture empty.
    void LoadPicture();

private:
    TjxDataPipeline* Pipeline() const;
    bool IsDataAvailable() const;
    void LoadFromField(TjxDataPipeline& pipeline);

    bool m_autoDisplay = true;
    QString m_graphicType = QStringLiteral("Bitmap");
    TMethod m_onGetPicture;
};

} // namespace orvane
