#include "components/rich_text.h"

#include "components/display_format.h"
#include "components/rich_text_engine.h"
#include "components/rtf.h"
#include "document/band.h"
#include "document/class_registry.h"
#include "document/component_registry.h"
#include "document/custom_report.h"
#include "document/units.h"
#include "engine/data_pipeline.h"
#include "engine/field.h"
#include "engine/pipeline_list.h"
#include "output/draw_other.h"

#include <QDataStream>
#include <QTextCursor>
#include <QTextDocument>

#include <exception>

namespace orvane {

// ---- mail merge ----

namespace {

// The field a tag names: a field name, else an alias; empty when neither.
QString ResolveField(TjxDataPipeline& pipeline, const QString& name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return {};
    const int index = pipeline.IndexOfField(trimmed);
    if (index >= 0)
        return pipeline.GetFieldNames().at(index);
    for (int i = 0; i < pipeline.FieldCount(); ++i) {
        const TjxField* field = pipeline.Fields(i);
        if (field && field->FieldAlias().compare(trimmed, Qt::CaseInsensitive) == 0)
            return field->FieldName();
    }
    return {};
}

// The value between the first two single quotes after the keyword.
QString QuotedValue(QStringView tag, QStringView keyword)
{
    const qsizetype at = tag.indexOf(keyword, 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    const qsizetype open = tag.indexOf(u'\'', at + keyword.size());
    if (open < 0)
        return {};
    const qsizetype close = tag.indexOf(u'\'', open + 1);
    if (close < 0)
        return {};
    return tag.mid(open + 1, close - open - 1).toString();
}

// Replaces characters [from, to) with text in the format of the first one.
void ReplaceRange(TjxRichEdit& edit, QString& text, int from, int to, const QString& value)
{
    QTextCursor first(&edit.Document());
    first.setPosition(from + 1);
    const QTextCharFormat format = first.charFormat();
    QTextCursor cursor(&edit.Document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.insertText(value, format);
    // The document turns line feeds into paragraph ends: the text follows it.
    QString inserted = value;
    inserted.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    inserted.replace(u'\r', u'\n');
    text.replace(from, to - from, inserted);
}

QString FieldText(TjxDataPipeline& pipeline, const QString& field, const QString& displayFormat)
{
    try {
        if (displayFormat.isEmpty())
            return pipeline.GetFieldAsString(field);
        return FormatDisplayValue(pipeline.GetFieldValue(field), pipeline.GetFieldDataType(field), displayFormat);
    } catch (const std::exception&) {
        // A value that cannot be read merges as nothing; the letter still prints.
        return {};
    }
}

} // namespace

TjxMergeInfo ParseMergeTag(QStringView tag)
{
    TjxMergeInfo info;
    const qsizetype openEnd = tag.indexOf(u'>');
    if (openEnd < 0)
        return info;
    // Attributes only count inside the opening tag.
    const QStringView opening = tag.left(openEnd);
    info.DataPipeline = QuotedValue(opening, u"DATAPIPELINE");
    info.DisplayFormat = QuotedValue(opening, u"DISPLAYFORMAT");
    const qsizetype next = tag.indexOf(u'<', openEnd + 1);
    info.FieldName = tag.mid(openEnd + 1, (next < 0 ? tag.size() : next) - openEnd - 1).toString();
    return info;
}

void MergeRichText(TjxRichEdit& edit, TjxDataPipeline* pipeline, const TjxDataPipelineList& pipelines)
{
    QString text = edit.PlainText();
    // Field tags: the report's pipeline's fields.
    if (pipeline) {
        int pos = 0;
        while (pos < text.size()) {
            const int lt = int(text.indexOf(u'<', pos));
            if (lt < 0)
                break;
            const int gt = int(text.indexOf(u'>', pos));
            if (gt < 0)
                break;
            if (gt < lt) {
                pos = gt + 1;
                continue;
            }
            const QString field = ResolveField(*pipeline, text.mid(lt + 1, gt - lt - 1));
            if (field.isEmpty()) {
                pos = lt + 1;
                continue;
            }
            const QString value = FieldText(*pipeline, field, {});
            ReplaceRange(edit, text, lt, gt + 1, value);
            pos = lt + int(value.size());
        }
    }
    // Data tags, each naming its pipeline, field and display format.
    static const QString kOpen = QStringLiteral("<DBTEXT");
    static const QString kClose = QStringLiteral("</DBTEXT>");
    int pos = 0;
    while (pos < text.size()) {
        const int open = int(text.indexOf(kOpen, pos, Qt::CaseInsensitive));
        if (open < 0)
            break;
        const int close = int(text.indexOf(kClose, open, Qt::CaseInsensitive));
        if (close < 0)
            break; // an unmatched tag stays as it is
        const int end = close + int(kClose.size());
        const TjxMergeInfo info = ParseMergeTag(QStringView(text).mid(open, end - open));
        TjxDataPipeline* source = info.DataPipeline.isEmpty() ? nullptr : pipelines.FindByUserName(info.DataPipeline);
        if (!source)
            source = pipeline;
        QString value;
        if (source) {
            const QString field = ResolveField(*source, info.FieldName);
            if (!field.isEmpty())
                value = FieldText(*source, field, info.DisplayFormat);
        }
        ReplaceRange(edit, text, open, end, value);
        pos = open + int(value.size());
    }
}

// ---- TjxCustomRichText ----

const TClassInfo& TjxCustomRichText::StaticClass()
{
    using T = TjxCustomRichText;
    using P = TjxPublish<T>;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TjxCustomRichText", &TjxStretchable::StaticClass());
        P::Base(b);
        b.Prop("KeepTogether", BooleanType(), &T::KeepTogether, &T::SetKeepTogether).Default(0);
        return b.Build();
    }();
    return info;
}

TjxCustomRichText::TjxCustomRichText(TComponent* owner) : TjxStretchable(owner), m_content(CreateRichEdit())
{
    SetInitialAutoSize(false);
    SetWordWrap(true);
    SetInitialSize(UnitsToThousandths(185, utScreenPixels, axHorizontal),
                   UnitsToThousandths(89, utScreenPixels, axVertical));
}

TjxCustomRichText::~TjxCustomRichText() = default;

QString TjxCustomRichText::RichText() const
{
    if (m_content->CharCount() == 0)
        return {};
    return QString::fromLatin1(m_content->SaveToBytes());
}

TjxRichEdit& TjxCustomRichText::Writable() const
{
    if (m_content.use_count() > 1) {
        std::shared_ptr<TjxRichEdit> copy = CreateRichEdit();
        copy->Assign(*m_content);
        copy->SetSelStart(m_content->SelStart());
        copy->SetSelLength(m_content->SelLength());
        m_content = std::move(copy);
    }
    return *m_content;
}

void TjxCustomRichText::Load(const std::function<void(TjxRichEdit&)>& load)
{
    if (m_content.use_count() > 1) {
        std::shared_ptr<TjxRichEdit> fresh = CreateRichEdit();
        load(*fresh);
        m_content = std::move(fresh);
    } else {
        load(*m_content);
    }
}

const std::shared_ptr<const TjxRichTextContent>& TjxCustomRichText::PrintContent() const
{
    if (!m_print) {
        m_print = std::make_shared<TjxRichTextContent>(m_merged ? m_merged : m_content);
        m_printSource = m_content;
    }
    return m_print;
}

void TjxCustomRichText::SetRichText(const QString& value)
{
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("RichText"));
    Load([&](TjxRichEdit& edit) { edit.LoadFromString(value); });
    ContentChanged();
}

QStringList TjxCustomRichText::RichTextStrings() const
{
    QString text = RichText();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

void TjxCustomRichText::SetSelText(const QString& value)
{
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("RichText"));
    Writable().SetSelText(value);
    ContentChanged();
}

void TjxCustomRichText::LoadFromFile(const QString& fileName)
{
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("RichText"));
    Load([&](TjxRichEdit& edit) { edit.LoadFromFile(fileName); });
    ContentChanged();
}

void TjxCustomRichText::LoadFromRTFStream(QByteArrayView stream)
{
    if (!IsReadingOrLoading())
        NotifyDesignerPropertyChange(QStringLiteral("RichText"));
    Load([&](TjxRichEdit& edit) { edit.LoadFromBytes(stream); });
    ContentChanged();
}

void TjxCustomRichText::LoadContent(QByteArrayView bytes)
{
    Load([&](TjxRichEdit& edit) { edit.LoadFromBytes(bytes); });
}

void TjxCustomRichText::LoadContentText(const QString& text)
{
    Load([&](TjxRichEdit& edit) { edit.LoadFromString(text); });
}

void TjxCustomRichText::ContentChanged()
{
    if (!IsReadingOrLoading())
        AfterChange(true);
}

void TjxCustomRichText::SetMailMerge(bool value)
{
    if (Change(m_mailMerge, value, "MailMerge", true) && !value)
        m_merged.reset();
}

void TjxCustomRichText::InitGeneration()
{
    TjxStretchable::InitGeneration();
    m_startCharPos = -1;
    m_endCharPos = -1;
    m_nextCharPos = 0;
    m_continuing = false;
    m_print.reset();
    m_printSource.reset();
}

void TjxCustomRichText::Merge()
{
    if (!m_mailMerge) {
        m_merged.reset();
        return;
    }
    // A new copy each time: the pages of the previous letter still print theirs.
    std::shared_ptr<TjxRichEdit> merged = CreateRichEdit();
    merged->Assign(*m_content);
    TjxCustomReport* report = Band() ? Band()->Report() : nullptr;
    auto* pipeline = report ? dynamic_cast<TjxDataPipeline*>(report->DataPipeline()) : nullptr;
    TjxDataPipelineList pipelines;
    if (report)
        pipelines.Build(report);
    MergeRichText(*merged, pipeline, pipelines);
    m_merged = std::move(merged);
}

void TjxCustomRichText::ComputeContent(const TjxPrintParent& parent)
{
    // A text that goes on keeps the content it started with; a new one is
    // read and merged once for all its pages.
    if (!m_continuing) {
        RefreshContent();
        Merge();
        m_print.reset();
    }
    const TjxRichEdit& edit = PrintContent()->Edit();
    const int count = edit.CharCount();
    const TjxRichTextInsets in = RichTextInsets(*Border());
    const TjxRect& rect = PrintRect();
    const int width = ThousandthsToPixels(TjxLength64(mmWidth()) - in.left - in.right, kRichTextDpi);

    if (!CanStretch(parent) || !Stretch()) {
        // Drawn whole into the designed rectangle and clipped there.
        m_startCharPos = 0;
        m_endCharPos = count;
        m_nextCharPos = 0;
        m_continuing = false;
        SetDrawHeight(mmHeight());
        SetOverFlow(false);
        return;
    }

    const int start = m_continuing ? m_nextCharPos : 0;
    m_startCharPos = start;
    m_endCharPos = count - 1;
    if (start > count - 1) {
        // Nothing (left) to print.
        m_startCharPos = m_endCharPos = -1;
        m_nextCharPos = 0;
        m_continuing = false;
        SetKeptMoved(false);
        SetDrawHeight(0);
        SetOverFlow(false);
        return;
    }
    const TjxLength64 available = TjxLength64(rect.bottom) - rect.top - in.top - in.bottom;
    const int height = available > 0 ? ThousandthsToPixels(available, kRichTextDpi) : 0;
    const TjxRichTextMeasure m = TjxRTFEngine::Measure(edit, width, height, start, count - 1);
    if (m.fits) {
        m_continuing = false;
        m_nextCharPos = 0;
        SetKeptMoved(false);
        SetDrawHeight(PixelsToThousandths(m.usedHeight, kRichTextDpi) + in.top + in.bottom);
        SetOverFlow(false);
        return;
    }
    m_continuing = true;
    if (m.lastChar < start) {
        // Not one line fits here: the text waits, whole, for the next page
        // and goes on from where it stands.
        m_startCharPos = m_endCharPos = -1;
        m_nextCharPos = start;
        SetDrawHeight(0);
        SetOverFlow(true);
        return;
    }
    m_endCharPos = m.lastChar;
    m_nextCharPos = m.lastChar + 1;
    SetDrawHeight(SaturatedLength(TjxLength64(rect.bottom) - rect.top));
    // Kept together: the whole text moves to the next page once, rather than split.
    if (start == 0 && !KeptMoved() && KeepTogetherPossible(parent)) {
        SetDrawHeight(0);
        SetKeptMoved(true);
        m_startCharPos = m_endCharPos = -1;
        m_nextCharPos = 0;
    }
    SetOverFlow(true);
}

std::unique_ptr<TjxDrawCommand> TjxCustomRichText::NewDrawCommand() const
{
    return std::make_unique<TjxDrawRichText>();
}

void TjxCustomRichText::PropertiesToDrawCommand(TjxDrawCommand* command)
{
    TjxStretchable::PropertiesToDrawCommand(command);
    auto* draw = dynamic_cast<TjxDrawRichText*>(command);
    if (!draw)
        return;
    draw->SetColor(Color());
    draw->SetStartCharPos(m_startCharPos);
    draw->SetEndCharPos(m_endCharPos);
    draw->SetTransparent(Transparent());
    // Every page of one text draws from the document it was measured on.
    draw->SetRichTextContent(PrintContent());
}

void TjxCustomRichText::WriteState(QDataStream& stream) const
{
    TjxStretchable::WriteState(stream);
    stream << qint32(m_startCharPos) << qint32(m_endCharPos) << qint32(m_nextCharPos) << m_continuing;
}

void TjxCustomRichText::ReadState(QDataStream& stream)
{
    TjxStretchable::ReadState(stream);
    qint32 start = -1, end = -1, next = 0;
    bool continuing = false;
    stream >> start >> end >> next >> continuing;
    m_startCharPos = start;
    m_endCharPos = end;
    m_nextCharPos = std::max<qint32>(next, 0);
    m_continuing = continuing;
    // A page made again reads its record's content again. The next page of
    // the text being printed finds the content it was measured on unchanged
    // and goes on with it, rather than with a copy laid out again.
    if (!m_continuing) {
        m_print.reset();
        return;
    }
    RefreshContent();
    const std::shared_ptr<TjxRichEdit> oldMerged = m_merged;
    Merge();
    const bool same = m_print && m_printSource == m_content &&
                      (m_merged ? oldMerged && oldMerged->PlainText() == m_merged->PlainText() : !oldMerged);
    if (same)
        m_merged = oldMerged;
    else
        m_print.reset();
}

// ---- TjxRichText ----

const TClassInfo& TjxRichText::StaticClass()
{
    using T = TjxRichText;
    using P = TjxPublish<T>;
    static const TClassInfo info = [] {
        TClassBuilder<T> b("TjxRichText", &TjxCustomRichText::StaticClass());
        b.Creatable();
        P::Anchors(b);
        P::Border(b);
        b.Prop("BottomOffset", FloatType(), &T::BottomOffset, &T::SetBottomOffset).NeverStored();
        P::Caption(b);
        P::Color(b);
        P::Height(b);
        b.Prop("KeepTogether", BooleanType(), &T::KeepTogether, &T::SetKeepTogether).Default(0);
        P::Left(b);
        b.Prop("MailMerge", BooleanType(), &T::MailMerge, &T::SetMailMerge).Default(0);
        P::OnDrawCommandClick(b);
        P::OnDrawCommandCreate(b);
        b.Prop("OverFlowOffset", FloatType(), &T::OverFlowOffset, &T::SetOverFlowOffset).NeverStored();
        b.Prop("RichText", StringType(), &T::RichText, &T::SetRichText);
        PublishRichTextTail(b);
        return b.Build();
    }();
    return info;
}

TjxRichText::TjxRichText(TComponent* owner) : TjxCustomRichText(owner) {}

ORVANE_REGISTER_COMPONENT(TjxRichText, "Standard Components", 2, 351);

ORVANE_REGISTER_CLASS(TjxRichText);

} // namespace orvane
