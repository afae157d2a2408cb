#include "components/image.h"
#include "output/draw_image.h"

#include "document/class_registry.h"
#include "document/component_registry.h"
#include "document/data_type.h"
#include "document/messages.h"
#include "engine/data_pipeline.h"

#include <QFileInfo>

namespace orvane {

namespace {

constexpr int kInvalidImage = 290;  // "Invalid Image."

} // namespace

// ---- TjxCustomImage ----

const TClassInfo& TjxCustomImage::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxCustomImage>("TjxCustomImage", &TjxCustomComponent::StaticClass()).Build();
    return info;
}

TjxCustomImage::TjxCustomImage(TComponent* owner)
    : TjxCustomComponent(owner), m_picture(std::make_unique<TPicture>())
{
    SetInitialSize(UnitsToThousandths(50, utScreenPixels, axHorizontal),
                   UnitsToThousandths(50, utScreenPixels, axVertical));
    m_picture->OnChange = [this] { PictureChanged(); };
}

TjxCustomImage::~TjxCustomImage()
{
    m_picture->OnChange = nullptr;
}

bool TjxCustomImage::ChangeFlag(bool& field, bool value, const char* propertyName)
{
    if (field == value)
        return false;
    if (IsReadingOrLoading()) {
        field = value;
        return false;
    }
    NotifyDesignerPropertyChange(QString::fromLatin1(propertyName));
    field = value;
    PictureChanged();
    return true;
}

void TjxCustomImage::SetPicture(TPicture* value)
{
    if (!value || value == m_picture.get())
        return;
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("Picture"));
    m_picture->Assign(value);  // PictureChanged follows through OnChange
}

void TjxCustomImage::SetCenter(bool value)
{
    ChangeFlag(m_center, value, "Center");
}

void TjxCustomImage::SetDirectDraw(bool value)
{
    ChangeFlag(m_directDraw, value, "DirectDraw");
}

void TjxCustomImage::SetMaintainAspectRatio(bool value)
{
    ChangeFlag(m_maintainAspectRatio, value, "MaintainAspectRatio");
}

void TjxCustomImage::SetStretch(bool value)
{
    ChangeFlag(m_stretch, value, "Stretch");
}

void TjxCustomImage::SetTransparent(bool value)
{
    const bool changed = Transparent() != value;
    TjxCustomComponent::SetTransparent(value);
    if (changed)
        PictureChanged();
}

void TjxCustomImage::SetAutoSize(bool value)
{
    const bool changed = AutoSize() != value;
    TjxCustomComponent::SetAutoSize(value);
    if (changed)
        PictureChanged();
}

void TjxCustomImage::SetPrintState(bool printing, bool generatingNewPage)
{
    m_printing = printing;
    m_generatingNewPage = printing && generatingNewPage;
}

void TjxCustomImage::PictureChanged()
{
    if (IsReadingOrLoading())
        return;
    const int pixelWidth = m_picture->Width();
    const int pixelHeight = m_picture->Height();
    if (AutoSize() && pixelWidth > 0 && pixelHeight > 0) {
        const int width = UnitsToThousandths(float(pixelWidth), utScreenPixels, axHorizontal);
        const int height = UnitsToThousandths(float(pixelHeight), utScreenPixels, axVertical);
        if (width != mmWidth() || height != mmHeight())
            SetBounds(mmLeft(), mmTop(), height, width);
    }
    AfterChange(false);
    if (m_printing && m_generatingNewPage)
        ++m_imageCounter;
}

QString TjxCustomImage::ImageName()
{
    if (Name().isEmpty())
        SetName(GetValidName(this));
    return Name() + QString::number(m_imageCounter);
}

void TjxCustomImage::ConvertVersion(int version)
{
    TjxCustomComponent::ConvertVersion(version);
    // Older templates drew every metafile directly.
    if (version <= 4200 && !m_picture->Empty())
        m_directDraw = m_picture->Graphic()->IsMetafile();
}

// ---- TjxImage ----

const TClassInfo& TjxImage::StaticClass()
{
    using T = TjxImage;
    using P = TjxPublish<T>;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TjxImage", &TjxCustomImage::StaticClass());
        b.Creatable();
        P::Base(b);
        P::Anchors(b);
        P::AutoSize(b, false);
        P::Border(b);
        b.Prop("Center", BooleanType(), &T::Center, &T::SetCenter).Default(1);
        b.Prop("DirectDraw", BooleanType(), &T::DirectDraw, &T::SetDirectDraw).Default(0);
        P::Font(b);
        b.Prop("MaintainAspectRatio", BooleanType(), &T::MaintainAspectRatio, &T::SetMaintainAspectRatio).Default(0);
        P::OnDrawCommandClick(b);
        P::OnDrawCommandCreate(b);
        b.Prop("Picture", ClassType(), &T::StoredPicture, &T::SetPicture);
        P::ReprintOnOverFlow(b);
        b.Prop("Stretch", BooleanType(), &T::Stretch, &T::SetStretch).Default(0);
        P::Transparent(b);
        P::Visible(b);
        return b.Build();
    }();
    return info;
}

// ---- TjxDBImage ----

const TClassInfo& TjxDBImage::StaticClass()
{
    using T = TjxDBImage;
    using P = TjxPublish<T>;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TjxDBImage", &TjxCustomImage::StaticClass());
        b.Creatable();
        P::Base(b);
        P::Anchors(b);
        b.Prop("AutoDisplay", BooleanType(), &T::AutoDisplay, &T::SetAutoDisplay).Default(1);
        P::AutoSize(b, false);
        P::Border(b);
        b.Prop("Center", BooleanType(), &T::Center, &T::SetCenter).Default(1);
        b.Prop("DataField", StringType(), &T::DataField, &T::SetDataField);
        b.Prop("DataPipeline", ClassType(), &T::DataPipeline, &T::SetDataPipeline);
        b.Prop("DirectDraw", BooleanType(), &T::DirectDraw, &T::SetDirectDraw).Default(0);
        P::Font(b);
        // The default "Bitmap" is not written.
        b.Prop("GraphicType", StringType(), &T::GraphicType, &T::SetGraphicType)
            .StoredIf([](const T& c) { return c.GraphicType() != u"Bitmap"; });
        b.Prop("MaintainAspectRatio", BooleanType(), &T::MaintainAspectRatio, &T::SetMaintainAspectRatio).Default(0);
        P::OnDrawCommandClick(b);
        P::OnDrawCommandCreate(b);
        b.Prop("OnGetPicture", MethodType(), &T::OnGetPicture, &T::SetOnGetPicture);
        b.Prop("ParentDataPipeline", BooleanType(), &T::ParentDataPipeline, &T::SetParentDataPipeline).Default(1);
        P::ReprintOnOverFlow(b);
        b.Prop("Stretch", BooleanType(), &T::Stretch, &T::SetStretch).Default(0);
        P::Transparent(b);
        P::Visible(b);
        return b.Build();
    }();
    return info;
}

TjxDBImage::TjxDBImage(TComponent* owner) : TjxCustomImage(owner) {}

TjxDataPipeline* TjxDBImage::Pipeline() const
{
    return dynamic_cast<TjxDataPipeline*>(DataPipeline());
}

TPicture* TjxDBImage::Picture()
{
    LoadPicture();
    return StoredPicture();
}

void TjxDBImage::SetAutoDisplay(bool value)
{
    if (value == m_autoDisplay)
        return;
    m_autoDisplay = value;
    if (value && !IsReadingOrLoading())
        LoadPicture();
}

void TjxDBImage::SetGraphicType(const QString& value)
{
    if (!GetGraphicClass(value) || value == m_graphicType)
        return;
    if (IsReadingOrLoading()) {
        m_graphicType = value;
        return;
    }
    NotifyDesignerPropertyChange(QStringLiteral("GraphicType"));
    m_graphicType = value;
    // Metafiles draw straight onto the device.
    SetDirectDraw(GetGraphicClass(value) == &MetafileClass());
    AfterChange(true);
}

void TjxDBImage::SetDataField(const QString& value)
{
    TjxCustomImage::SetDataField(value);
    if (IsReadingOrLoading())
        return;
    LoadPicture();
    AfterChange(false);
}

void TjxDBImage::SetDataPipeline(TjxCommunicator* value)
{
    const bool changed = value != DataPipeline();
    TjxCustomImage::SetDataPipeline(value);
    if (changed && !IsReadingOrLoading() && !IsPrinting())
        LoadPicture();
}

QString TjxDBImage::DisplayName() const
{
    return DataField().isEmpty() ? UserName() : UserName() + QStringLiteral(": ") + DataField();
}

QString TjxDBImage::ImageName()
{
    TjxDataPipeline* pipeline = Pipeline();
    if (!pipeline)
        return TjxCustomImage::ImageName();
    if (Name().isEmpty())
        SetName(GetValidName(this));
    return Name() + pipeline->Name() + DataField() + QString::number(pipeline->RecordIndex());
}

bool TjxDBImage::IsDataAvailable() const
{
    TjxDataPipeline* pipeline = Pipeline();
    if (DataField().isEmpty() || !pipeline)
        return false;
    try {
        if (!pipeline->Active())
            return false;
        if (!IsDesigning())
            return true;
        return !pipeline->FieldMissing(DataField()) && ((DesignState() & dsShowingData) || IsPrinting());
    } catch (...) {
        return false;
    }
}

void TjxDBImage::LoadPicture()
{
    TPicture& picture = *StoredPicture();
    picture.Clear();
    const bool listening = HasEventListener(ciDataImageGetPicture);
    if (!m_autoDisplay && !m_onGetPicture.IsAssigned() && !listening)
        return;
    if (m_onGetPicture.IsAssigned() || listening) {
        TjxEventParams params;
        params.Add(QStringLiteral("aPicture"), QVariant::fromValue<TPersistent*>(&picture));
        m_onGetPicture(this, params);
        SendEventNotify(ciDataImageGetPicture, &params);
    } else if (IsDataAvailable()) {
        LoadFromField(*Pipeline());
    }
    InvalidateDesignControl();
}

void TjxDBImage::LoadFromField(TjxDataPipeline& pipeline)
{
    TPicture& picture = *StoredPicture();
    const QString& field = DataField();
    TjxDataType type = dtNotKnown;
    try {
        type = pipeline.GetFieldDataType(field);
    } catch (...) {
    }
    const auto fail = [&] {
        picture.Clear();
        if (IsPrinting())
            throw EPrintError(GetMessage(kInvalidImage));
    };
    switch (type) {
    case dtBLOB: case dtMemo: case dtGraphic: {
        try {
            const TGraphicClass* cls = GetGraphicClass(m_graphicType);
            if (!cls)
                cls = &BitmapClass();
            if (cls == &BitmapClass()) {
                if (pipeline.IsNull(field))
                    return;
                const QImage image = pipeline.GetFieldAsPicture(field);
                if (image.isNull())
                    throw EInvalidGraphic(GetMessage(kInvalidImage));
                picture.SetImage(image);
            } else {
                const QByteArray bytes = pipeline.FieldToStream(field);
                if (!bytes.isEmpty())
                    picture.LoadFromBytes(bytes, *cls);
            }
        } catch (const std::exception&) {
            fail();
        }
        return;
    }
    case dtString: {
        const TVarValue value = pipeline.GetFieldValue(field);
        if (VarIsNullOrUnassigned(value))
            return;
        const QString fileName = VarToText(value);
        if (fileName.isEmpty() || !QFileInfo(fileName).isFile())
            return;
        try {
            picture.LoadFromFile(fileName);
        } catch (const std::exception&) {
            fail();
        }
        return;
    }
    default:
        return;
    }
}

ORVANE_REGISTER_COMPONENT(TjxImage, "Standard Components", 5, 170);
ORVANE_REGISTER_COMPONENT(TjxDBImage, "Data Components", 4, 165);

ORVANE_REGISTER_CLASS(TjxImage);
ORVANE_REGISTER_CLASS(TjxDBImage);

std::unique_ptr<TjxDrawCommand> TjxCustomImage::NewDrawCommand() const
{
    return std::make_unique<TjxDrawImage>();
}

void TjxCustomImage::PropertiesToDrawCommand(TjxDrawCommand* command)
{
    TjxCustomComponent::PropertiesToDrawCommand(command);
    auto* draw = dynamic_cast<TjxDrawImage*>(command);
    if (!draw)
        return;
    draw->SetPicture(Picture());
    draw->SetCenter(m_center);
    draw->SetDirectDraw(m_directDraw);
    draw->SetMaintainAspectRatio(m_maintainAspectRatio);
    draw->SetStretch(m_stretch);
    draw->SetTransparent(Transparent());
    draw->SetImageName(ImageName());
}

} // namespace orvane
