#pragma once

// Formatted text that may run over several pages, and its mail merge.

#include "components/rich_edit.h"
#include "components/rich_text_engine.h"
#include "engine/stretchable.h"

#include <functional>
#include <memory>

namespace orvane {

class TjxDataPipeline;
class TjxDataPipelineList;

// What one <DBTEXT …>…</DBTEXT> tag names.
struct TjxMergeInfo {
    QString DataPipeline;
    QString DisplayFormat;
    QString FieldName;
};

// Reads a whole data tag; keywords in any case, values as written.
TjxMergeInfo ParseMergeTag(QStringView tag);

// Replaces field tags <name> (by field name or alias of `pipeline`) and data
// tags in `edit`. Values go in as text in the format of the tag's first
// character; they are never read as rich text nor merged again.
void MergeRichText(TjxRichEdit& edit, TjxDataPipeline* pipeline, const TjxDataPipelineList& pipelines);

class TjxCustomRichText : public TjxStretchable {
    ORVANE_CLASS(TjxCustomRichText, TjxStretchable)
public:
    explicit TjxCustomRichText(TComponent* owner = nullptr);
    ~TjxCustomRichText() override;

    // The content to change; a content pages still print from is copied first.
    TjxRichEdit& RichEdit() const { return Writable(); }
    // The content, to read.
    const TjxRichEdit& Content() const { return *m_content; }
    // The content as 7-bit rich text; setting loads it (rich or plain text).
    QString RichText() const;
    void SetRichText(const QString& value);
    QByteArray RichTextStream() const { return SaveToRTFStream(); }
    // The rich text as lines.
    QStringList RichTextStrings() const;
    QString PlainText() const { return m_content->PlainText(); }
    QString Text() const { return m_content->Text(); }
    int SelStart() const { return m_content->SelStart(); }
    void SetSelStart(int value) { m_content->SetSelStart(value); }
    int SelLength() const { return m_content->SelLength(); }
    void SetSelLength(int value) { m_content->SetSelLength(value); }
    QString SelText() const { return m_content->SelText(); }
    void SetSelText(const QString& value);
    QTextCharFormat SelAttributes() const { return m_content->SelAttributes(); }
    QTextBlockFormat Paragraph() const { return m_content->Paragraph(); }
    int FindText(const QString& searchStr, int startPos, int length, bool matchCase, bool wholeWord) const
    {
        return m_content->FindText(searchStr, startPos, length, matchCase, wholeWord);
    }
    // Loads raise EOrvaneError and keep the content when they fail.
    void LoadFromFile(const QString& fileName);
    void SaveToFile(const QString& fileName) const { m_content->SaveToFile(fileName); }
    void LoadFromRTFStream(QByteArrayView stream);
    QByteArray SaveToRTFStream() const { return m_content->SaveToBytes(); }

    bool MailMerge() const { return m_mailMerge; }
    virtual void SetMailMerge(bool value);

    // The characters of this page; −1 when none.
    int StartCharPos() const { return m_startCharPos; }
    int EndCharPos() const { return m_endCharPos; }
    // The text goes on on the next page from NextCharPos.
    bool Continuing() const { return m_continuing; }
    int NextCharPos() const { return m_nextCharPos; }

    // What prints: the merged copy with MailMerge, else the content.
    const TjxRichEdit& PrintEdit() const { return m_merged ? *m_merged : *m_content; }
    // The same, as the draw commands of the text's pages share it: measured
    // and drawn with one layout.
    const std::shared_ptr<const TjxRichTextContent>& PrintContent() const;

    void InitGeneration() override;
    std::unique_ptr<TjxDrawCommand> NewDrawCommand() const override;
    void PropertiesToDrawCommand(TjxDrawCommand* command) override;

    // Refreshes the content before a new text prints (a data field's).
    virtual void RefreshContent() {}

protected:
    void ComputeContent(const TjxPrintParent& parent) override;
    void WriteState(QDataStream& stream) const override;
    void ReadState(QDataStream& stream) override;
    // Loads quietly, for content that is not the user's edit.
    void LoadContent(QByteArrayView bytes);
    // The same for a string: RTF when it starts as RTF, plain text otherwise.
    void LoadContentText(const QString& text);
    void ContentChanged();

private:
    void Merge();
    // The content, copied first when pages share it: what they print from
    // never changes under them.
    TjxRichEdit& Writable() const;
    // Loads into a new edit when pages share the content; a failed load keeps it.
    void Load(const std::function<void(TjxRichEdit&)>& load);

    mutable std::shared_ptr<TjxRichEdit> m_content;
    std::shared_ptr<TjxRichEdit> m_merged;
    bool m_mailMerge = false;

    // Print state.
    int m_startCharPos = -1;
    int m_endCharPos = -1;
    int m_nextCharPos = 0;
    bool m_continuing = false;
    // What the current text prints from, made once per text.
    mutable std::shared_ptr<const TjxRichTextContent> m_print;
    // The content it was made from (merged or not).
    mutable std::shared_ptr<const TjxRichEdit> m_printSource;
};

// The published properties both rich text classes end their lists with.
template <class T>
void PublishRichTextTail(TClassBuilder<T>& b)
{
    using P = TjxPublish<T>;
    P::ReprintOnOverFlow(b);
    b.Prop("ShiftRelativeTo", ClassType(), &T::ShiftRelativeTo, &T::SetShiftRelativeTo);
    b.Prop("Stretch", BooleanType(), &T::Stretch, &T::SetStretch).Default(0);
    P::Top(b);
    P::Transparent(b);
    b.Prop("UserName", StringType(), &T::UserName, &T::SetUserName);
    P::Visible(b);
    P::Width(b);
}

class TjxRichText : public TjxCustomRichText {
    ORVANE_CLASS(TjxRichText, TjxCustomRichText)
public:
    explicit TjxRichText(TComponent* owner = nullptr);
};

} // namespace orvane
