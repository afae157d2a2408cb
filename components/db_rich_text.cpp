#include "components/db_rich_text.h"

#include "components/text_production.h"
#include "document/class_registry.h"
#include "document/component_registry.h"
#include "document/errors.h"
#include "document/event_ids.h"
#include "document/messages.h"
#include "document/method.h"
#include "engine/data_pipeline.h"

#include <exception>

namespace orvane {

namespace {

// Message 43414.
constexpr int kErrorLoadingRichText = 414;

} // namespace

const TClassInfo& TjxDBRichText::StaticClass()
{
    using T = TjxDBRichText;
    using P = TjxPublish<T>;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TjxDBRichText", &TjxCustomRichText::StaticClass());
        b.Creatable();
        P::Anchors(b);
        b.Prop("AutoDisplay", BooleanType(), &T::AutoDisplay, &T::SetAutoDisplay).Default(1);
        P::Border(b);
        b.Prop("BottomOffset", FloatType(), &T::BottomOffset, &T::SetBottomOffset).NeverStored();
        P::Color(b);
        b.Prop("DataField", StringType(), &T::DataField, &T::SetDataField);
        b.Prop("DataPipeline", ClassType(), &T::DataPipeline, &T::SetDataPipeline);
        P::Height(b);
        b.Prop("KeepTogether", BooleanType(), &T::KeepTogether, &T::SetKeepTogether).Default(0);
        P::Left(b);
        P::OnDrawCommandClick(b);
        P::OnDrawCommandCreate(b);
        b.Prop("OnGetRichText", MethodType(), &T::OnGetRichText, &T::SetOnGetRichText);
        b.Prop("OverFlowOffset", FloatType(), &T::OverFlowOffset, &T::SetOverFlowOffset).NeverStored();
        b.Prop("ParentDataPipeline", BooleanType(), &T::ParentDataPipeline, &T::SetParentDataPipeline).Default(1);
        PublishRichTextTail(b);
        return b.Build();
    }();
    return info;
}

TjxDBRichText::TjxDBRichText(TComponent* owner) : TjxCustomRichText(owner) {}

void TjxDBRichText::SetAutoDisplay(bool value)
{
    if (!Change(m_autoDisplay, value, "AutoDisplay") || IsReadingOrLoading())
        return;
    m_loaded = false;
    if (value) {
        RefreshContent();
    } else {
        LoadContent({});
    }
}

void TjxDBRichText::SetDataField(const QString& value)
{
    const QString old = DataField();
    TjxCustomRichText::SetDataField(value);
    if (DataField() != old && !IsReadingOrLoading()) {
        m_loaded = false;
        RefreshContent();
    }
}

void TjxDBRichText::LoadFieldValue(const QByteArray& bytes, bool isBytes, const QString& text)
{
    try {
        if (isBytes)
            LoadContent(bytes);
        else
            LoadContentText(text);
    } catch (const std::exception&) {
        LoadContent(GetMessage(kErrorLoadingRichText).toUtf8());
    }
}

void TjxDBRichText::RefreshContent()
{
    if (IsReadingOrLoading())
        return;
    TjxEventParams params{{QStringLiteral("Text"), QString(), true}};
    if (m_onGetRichText.IsAssigned()) {
        m_onGetRichText(this, params);
        m_loaded = false;
        LoadFieldValue({}, false, params.Value(u"Text").toString());
        return;
    }
    SendEventNotify(ciTextGetText, &params);
    const QString given = params.Value(u"Text").toString();
    if (!given.isEmpty()) {
        m_loaded = false;
        LoadFieldValue({}, false, given);
        return;
    }
    if (!m_autoDisplay)
        return;
    TjxDataPipeline* pipeline = AvailableDataPipeline(*this, IsPrinting());
    if (!pipeline) {
        if (m_loaded || Content().CharCount() > 0)
            LoadContent({});
        m_loaded = false;
        return;
    }
    QString text;
    bool isBytes = false;
    try {
        const TVarValue value = pipeline->GetFieldValue(DataField());
        // BLOBs arrive a byte a character: the rich text's own code pages decide.
        isBytes = value.kind == TVarValue::vtString;
        text = isBytes ? value.text : pipeline->GetFieldAsString(DataField());
    } catch (const std::exception&) {
        m_loaded = false;
        LoadContent(GetMessage(kErrorLoadingRichText).toUtf8());
        return;
    }
    if (m_loaded && text == m_loadedText)
        return;
    LoadFieldValue(isBytes ? text.toLatin1() : QByteArray(), isBytes, text);
    m_loadedText = text;
    m_loaded = true;
}

void TjxDBRichText::Notify(TjxCommunicator* sender, int operation)
{
    const bool fromPipeline = sender && sender == DataPipeline();
    TjxCustomRichText::Notify(sender, operation);
    if (fromPipeline && IsDesigning() && (operation == ntDataChanged || operation == ntDestroying)) {
        m_loaded = false;
        RefreshContent();
    }
}

ORVANE_REGISTER_COMPONENT(TjxDBRichText, "Data Components", 2, 352);

ORVANE_REGISTER_CLASS(TjxDBRichText);

} // namespace orvane
