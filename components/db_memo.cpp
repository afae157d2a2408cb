#include "components/db_memo.h"
#include "components/db_text.h"

#include "document/class_registry.h"
#include "document/component_registry.h"
#include "document/method.h"
#include "engine/data_pipeline.h"

#include <exception>

namespace orvane {

const TClassInfo& TjxDBMemo::StaticClass()
{
    using T = TjxDBMemo;
    using P = TjxPublish<T>;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TjxDBMemo", &TjxCustomMemo::StaticClass());
        b.Creatable();
        P::Anchors(b);
        b.Prop("AutoDisplay", BooleanType(), &T::AutoDisplay, &T::SetAutoDisplay).Default(1);
        P::Border(b);
        b.Prop("BottomOffset", FloatType(), &T::BottomOffset, &T::SetBottomOffset).NeverStored();
        // Stored whatever its value, as for memos.
        b.Prop("CharWrap", BooleanType(), &T::CharWrap, &T::SetCharWrap).NoDefault();
        P::Color(b);
        b.Prop("DataField", StringType(), &T::DataField, &T::SetDataField);
        b.Prop("DataPipeline", ClassType(), &T::DataPipeline, &T::SetDataPipeline);
        P::Font(b);
        b.Prop("Leading", FloatType(), &T::Leading, &T::SetLeading).NeverStored();
        P::OnDrawCommandClick(b);
        P::OnDrawCommandCreate(b);
        b.Prop("OnGetMemo", MethodType(), &T::OnGetMemo, &T::SetOnGetMemo);
        b.Prop("OverFlowOffset", FloatType(), &T::OverFlowOffset, &T::SetOverFlowOffset).NeverStored();
        b.Prop("ParentDataPipeline", BooleanType(), &T::ParentDataPipeline, &T::SetParentDataPipeline).Default(1);
        P::ReprintOnOverFlow(b);
        b.Prop("ShiftRelativeTo", ClassType(), &T::ShiftRelativeTo, &T::SetShiftRelativeTo);
        b.Prop("Stretch", BooleanType(), &T::Stretch, &T::SetStretch).Default(0);
        b.Prop("SuppressRepeatedValues", BooleanType(), &T::SuppressRepeatedValues, &T::SetSuppressRepeatedValues)
            .Default(0);
        b.Prop("TabStopPositions", ClassType(), &T::TabStopPositions, &T::SetTabStopPositions);
        P::TextAlignment(b);
        P::Transparent(b);
        P::Visible(b);
        return b.Build();
    }();
    return info;
}

TjxDBMemo::TjxDBMemo(TComponent* owner) : TjxCustomMemo(owner) {}

void TjxDBMemo::SetAutoDisplay(bool value)
{
    Change(m_autoDisplay, value, "AutoDisplay");
}

void TjxDBMemo::SetSuppressRepeatedValues(bool value)
{
    Change(m_suppressRepeatedValues, value, "SuppressRepeatedValues");
}

void TjxDBMemo::SetDataField(const QString& value)
{
    const QString old = DataField();
    TjxCustomMemo::SetDataField(value);
    if (DataField() != old && !IsReadingOrLoading())
        RefreshLines();
}

QString TjxDBMemo::GetText()
{
    RefreshLines();
    return TjxCustomMemo::GetText();
}

void TjxDBMemo::RefreshLines()
{
    if (IsReadingOrLoading())
        return;
    const bool handled = m_onGetMemo.IsAssigned() || HasEventListener(ciDataMemoGetMemo);
    if (!m_autoDisplay && !handled)
        return;
    if (handled && IsPrinting()) {
        SetLinesQuietly({});
        TjxEventParams params{{QStringLiteral("Lines"), QVariant::fromValue<TPersistent*>(Lines()), false}};
        m_onGetMemo(this, params);
        SendEventNotify(ciDataMemoGetMemo, &params);
        return;
    }
    TjxDataPipeline* pipeline = AvailableDataPipeline(*this, IsPrinting());
    QString text;
    bool read = false;
    if (pipeline) {
        try {
            text = pipeline->GetFieldAsString(DataField());
            read = true;
        } catch (const std::exception&) {
            // A value that cannot be read leaves the memo empty; the report goes on.
        }
    }
    if (!read) {
        SetLinesQuietly({});
        return;
    }
    // Every page of a long memo reads the field again: the same value keeps
    // the lines made of it, as long as nobody changed them since.
    if (Lines()->Lines().isSharedWith(m_fieldLines) && (text.isSharedWith(m_fieldText) || text == m_fieldText))
        return;
    TStrings lines;
    lines.SetText(text);
    SetLinesQuietly(lines.Lines());
    m_fieldText = text;
    m_fieldLines = Lines()->Lines();
}

void TjxDBMemo::Notify(TjxCommunicator* sender, int operation)
{
    const bool fromPipeline = sender && sender == DataPipeline();
    TjxCustomMemo::Notify(sender, operation);
    if (fromPipeline && IsDesigning() && operation == ntDataChanged)
        RefreshLines();
}

ORVANE_REGISTER_COMPONENT(TjxDBMemo, "Data Components", 1, 166);

ORVANE_REGISTER_CLASS(TjxDBMemo);

void TjxDBMemo::WriteState(QDataStream& stream) const
{
    TjxCustomMemo::WriteState(stream);
    WriteRepeatState(stream, m_repeat);
}

void TjxDBMemo::ReadState(QDataStream& stream)
{
    TjxCustomMemo::ReadState(stream);
    ReadRepeatState(stream, m_repeat);
}

} // namespace orvane
